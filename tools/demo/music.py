"""The three pieces of music, written note by note: 海 (umi) by the sea,
部屋 (heya) in the lighthouse room and 祭り (matsuri) for the festival night."""

from demo.midi import DIVISION, DRUM_CHANNEL, EIGHTH
from demo.story import FESTIVAL_MUSIC, ROOM_MUSIC, SEASIDE_MUSIC


# General MIDI programs, counted from 0 as they are written in the file.
PIANO = 0
CELLO = 42
HARP = 46
STRINGS = 49                # string ensemble 2, the softer one
ACOUSTIC_BASS = 32
FLUTE = 73
SHAMISEN = 106
KOTO = 107

# General MIDI percussion keys, standing in for the festival's instruments.
BIG_DRUM = 35               # acoustic bass drum: the big taiko
TAIKO_LOW = 41              # low floor tom
TAIKO_HIGH = 43             # high floor tom
RIDE_BELL = 53              # the little hand gong's "chiki"
WOOD_HIGH = 76              # hi wood block: a stick on the drum's rim
WOOD_LOW = 77


# ---------------------------------------------------------------------------
# Writing music down
#
# Bars are strings of "word:eighths" tokens, where the word is a note such
# as F#5 (middle C is C4), r for a rest, or a chord name. A word without a
# length fills the whole bar. The lengths of a bar must fill it exactly, so
# a miscounted bar stops the script instead of shifting all that follows.
# ---------------------------------------------------------------------------

PITCH_CLASSES = {"C": 0, "D": 2, "E": 4, "F": 5, "G": 7, "A": 9, "B": 11}


def key_number(name):
    """MIDI key of a note name: "A4" is 69, "F#3" is 54."""
    letter, accidental, octave = name[0], name[1:-1], int(name[-1])
    shift = {"": 0, "#": 1, "b": -1}[accidental]
    return 12 * (octave + 1) + PITCH_CLASSES[letter] + shift


def keys(names):
    return tuple(key_number(n) for n in names.split())


def bar_tokens(bar, bar_eighths):
    """[(offset, eighths, word)] of one bar, offsets in eighths from its start."""
    tokens, offset = [], 0
    for token in bar.split():
        word, _, count = token.partition(":")
        eighths = int(count) if count else bar_eighths
        tokens.append((offset, eighths, word))
        offset += eighths
    assert offset == bar_eighths, "bar %r lasts %d eighths, not %d" % (bar, offset, bar_eighths)
    return tokens


def accent(offset, base):
    """Velocity with a little weight on the downbeat and on the beats."""
    if offset == 0:
        return base + 10
    return base + (3 if offset % 2 == 0 else -4)


def melody(bars, bar_eighths, velocity, gate=0.92):
    """Notes (start, length, key, velocity) of a tune written bar by bar."""
    notes = []
    for number, bar in enumerate(bars):
        for offset, eighths, word in bar_tokens(bar, bar_eighths):
            if word != "r":
                start = (number * bar_eighths + offset) * EIGHTH
                notes.append((start, int(eighths * EIGHTH * gate), key_number(word),
                              accent(offset, velocity)))
    return notes


def chord_segments(bars, bar_eighths):
    """(start eighth, length in eighths, chord name) for a bar-by-bar progression."""
    return [(number * bar_eighths + offset, eighths, word)
            for number, bar in enumerate(bars)
            for offset, eighths, word in bar_tokens(bar, bar_eighths)]


def arpeggio(bars, bar_eighths, voicings, pattern, velocity):
    """Broken chords, one voicing note an eighth, picked by a one-bar pattern
    of voicing indexes (a chord that starts mid-bar goes on from mid-pattern).

    Each note rings on, as under a pedal, until the chord changes or the same
    key is struck again."""
    assert len(pattern) == bar_eighths
    notes = []
    for start, eighths, name in chord_segments(bars, bar_eighths):
        voicing = voicings[name]
        strikes = [(start + k, voicing[pattern[(start + k) % bar_eighths]]) for k in range(eighths)]
        for k, (at_eighth, key) in enumerate(strikes):
            again = [e for e, other in strikes[k + 1:] if other == key]
            stop = again[0] if again else start + eighths
            notes.append((at_eighth * EIGHTH, (stop - at_eighth) * EIGHTH, key,
                          accent(at_eighth % bar_eighths, velocity)))
    return notes


def held_chords(bars, bar_eighths, voicings, velocity):
    """Each chord held for its whole length (strings, a soft pad)."""
    notes = []
    for start, eighths, name in chord_segments(bars, bar_eighths):
        for key in voicings[name]:
            notes.append((start * EIGHTH, eighths * EIGHTH, key, velocity))
    return notes


def bass_line(bars, bar_eighths, roots, rhythm, velocity):
    """A bass from chord roots: rhythm is [(offset, eighths, interval)] per chord."""
    notes = []
    for start, eighths, name in chord_segments(bars, bar_eighths):
        for offset, length, interval in rhythm:
            if offset < eighths:
                length = min(length, eighths - offset)
                notes.append(((start + offset) * EIGHTH, length * EIGHTH - EIGHTH // 8,
                              roots[name] + interval, accent(offset, velocity)))
    return notes


def drums(bars, bar_eighths, patterns):
    """Percussion from named one-bar patterns [(offset, key, velocity)]."""
    notes = []
    for number, name in enumerate(bars):
        for offset, key, velocity in patterns[name]:
            assert 0 <= offset < bar_eighths
            notes.append(((number * bar_eighths + offset) * EIGHTH, EIGHTH // 2, key, velocity))
    return notes


def shifted(notes, bars, bar_eighths):
    """Notes moved later by a number of bars, to join sections."""
    ticks = bars * bar_eighths * EIGHTH
    return [(start + ticks, length, key, velocity) for start, length, key, velocity in notes]


def instrument(name, channel, program, notes, volume=100, pan=64, reverb=40):
    """A track: its notes, GM program (None on the percussion channel) and mix."""
    return {"name": name, "channel": channel, "program": program, "notes": notes,
            "volume": volume, "pan": pan, "reverb": reverb}


def make_song(title, metre, bar_count, tempos, tracks, compact):
    """A song: tempos are (bar number from 0, beats per minute)."""
    beats, unit = metre
    bar_ticks = beats * DIVISION * 4 // unit
    channels = [t["channel"] for t in tracks]
    assert len(set(channels)) == len(channels)
    for t in tracks:
        assert (t["program"] is None) == (t["channel"] == DRUM_CHANNEL), t["name"]
        for start, length, key, velocity in t["notes"]:
            assert start + length <= bar_count * bar_ticks, t["name"]
        # Every instrument plays in the last bar: no line was left a bar short.
        assert any(note[0] >= (bar_count - 1) * bar_ticks for note in t["notes"]), t["name"]
    return {"title": title, "metre": metre, "length": bar_count * bar_ticks,
            "tempos": [(bar * bar_ticks, bpm) for bar, bpm in tempos],
            "tracks": tracks, "compact": compact}


# ---------------------------------------------------------------------------
# The three pieces
#
# Each melody keeps to a five-note scale, which suits the seaside town and
# keeps every note at peace with the chords. Each piece ends on a phrase that
# leads back to its first bar, since it is heard again and again.
# ---------------------------------------------------------------------------

# 海 (umi): a calm seaside theme in D major, 84 beats a minute, 16 bars of
# 4/4 (about 46 s). Flute over harp arpeggios, soft strings, a plucked bass.
UMI_TUNE = [
    "F#5:3 E5:1 D5:2 A4:2", "B4:3 D5:1 F#5:4", "E5:3 D5:1 B4:2 D5:2", "A4:6 r:2",
    "F#5:3 A5:1 B5:2 A5:2", "F#5:3 E5:1 D5:2 B4:2", "B4:2 D5:2 E5:3 F#5:1", "D5:6 r:2",
    "B5:3 A5:1 E5:2 D5:2", "E5:3 F#5:1 A5:4", "A5:3 F#5:1 E5:2 F#5:2", "B5:4 A5:2 F#5:2",
    "E5:3 D5:1 B4:2 D5:2", "A4:3 B4:1 E5:4", "F#5:3 E5:1 D5:2 E5:2",
    "A4:4 B4:2 E5:2",           # steps up into the first bar again
]
UMI_CHORDS = [
    "D", "Bm", "G", "A", "D", "Bm", "G:4 A:4", "D",
    "G", "A", "F#m", "Bm", "G", "A", "D", "A",
]
UMI_HARP = {
    "D": keys("D3 A3 D4 F#4 A4"), "Bm": keys("B2 F#3 B3 D4 F#4"),
    "G": keys("G2 D3 G3 B3 D4"), "A": keys("A2 E3 A3 C#4 E4"),
    "F#m": keys("F#2 C#3 F#3 A3 C#4"),
}
UMI_PAD = {                     # close voicings that move as little as they can
    "D": keys("F#3 A3 D4"), "Bm": keys("F#3 B3 D4"), "G": keys("G3 B3 D4"),
    "A": keys("E3 A3 C#4"), "F#m": keys("F#3 A3 C#4"),
}
UMI_BASS = {"D": key_number("D2"), "Bm": key_number("B1"), "G": key_number("G1"),
            "A": key_number("A1"), "F#m": key_number("F#1")}


def song_umi():
    bar = 8
    flute = melody(UMI_TUNE, bar, 72, gate=0.95)
    harp = arpeggio(UMI_CHORDS, bar, UMI_HARP, [0, 1, 2, 3, 4, 3, 2, 1], 52)
    strings = held_chords(UMI_CHORDS, bar, UMI_PAD, 40)
    bass = bass_line(UMI_CHORDS, bar, UMI_BASS, [(0, 6, 0), (6, 2, 7)], 66)
    return make_song("umi - seaside theme", (4, 4), 16, [(0, 84)], [
        instrument("flute", 0, FLUTE, flute, volume=100, pan=64, reverb=50),
        instrument("harp", 1, HARP, harp, volume=90, pan=44, reverb=50),
        instrument("strings", 2, STRINGS, strings, volume=70, pan=84, reverb=60),
        instrument("bass", 3, ACOUSTIC_BASS, bass, volume=96, pan=64, reverb=30),
    ], compact=True)


# 部屋 (heya): a quiet piano waltz in A minor for the lighthouse room, 72 beats
# a minute, 16 bars of 3/4 (40 s). The right hand sings, the left hand breaks
# the chords, a cello holds the roots far below.
HEYA_TUNE = [
    "E5:3 D5:1 C5:2", "A4:4 C5:2", "D5:2 E5:2 G5:2", "D5:6",
    "E5:3 G5:1 A5:2", "G5:2 E5:2 C5:2", "D5:3 E5:1 D5:1 C5:1", "A4:1 B4:5",
    "C5:3 D5:1 E5:2", "D5:3 E5:1 G5:2", "G5:3 A5:1 G5:2", "E5:6",
    "A5:3 G5:1 E5:2", "D5:3 C5:1 D5:2", "E5:2 C5:2 A4:2",
    "B4:6",                     # the B rises to the E that opens the piece
]
# Esus4 then E: the held A falls to G#, the leading note back into A minor.
HEYA_CHORDS = [
    "Am", "F", "C", "G", "Am", "F", "Dm", "Esus4:4 E:2",
    "F", "G", "Em", "Am", "F", "G", "Am", "Esus4:4 E:2",
]
HEYA_LEFT_HAND = {
    "Am": keys("A2 E3 A3 C4"), "F": keys("F2 C3 F3 A3"), "C": keys("C3 G3 C4 E4"),
    "G": keys("G2 D3 G3 B3"), "Dm": keys("D3 A3 D4 F4"), "Em": keys("E2 B2 E3 G3"),
    # The E chord comes on the last beat, where the pattern plays index 2
    # first: that is where its G# goes.
    "Esus4": keys("E2 B2 E3 A3"), "E": keys("E2 B2 G#3 B3"),
}
# The cello holds one root a bar, through the Esus4 and its E alike.
HEYA_CELLO_BARS = [bar.split(":")[0] for bar in HEYA_CHORDS]
HEYA_CELLO = {name: voicing[:1] for name, voicing in HEYA_LEFT_HAND.items()}


def song_heya():
    bar = 6
    right = melody(HEYA_TUNE, bar, 60, gate=0.9)
    left = arpeggio(HEYA_CHORDS, bar, HEYA_LEFT_HAND, [0, 1, 2, 3, 2, 1], 40)
    cello = held_chords(HEYA_CELLO_BARS, bar, HEYA_CELLO, 34)
    # Written without running status and with real note-offs, so the demo
    # has MIDI files of both forms.
    return make_song("heya - the lighthouse room", (3, 4), 16, [(0, 72)], [
        instrument("piano right hand", 0, PIANO, right, volume=100, pan=60, reverb=45),
        instrument("piano left hand", 1, PIANO, left, volume=92, pan=68, reverb=45),
        instrument("cello", 2, CELLO, cello, volume=64, pan=76, reverb=50),
    ], compact=False)


# 祭り (matsuri): a festival night in the D yo scale (D E G A B). Eight calm
# bars at 96 beats a minute, a drum roll, then eight livelier bars at 120
# (36 s). Flute for the festival fue, koto, shamisen and the drums of
# channel 10; the chords are open fifths with an added second, no thirds.
MATSURI_TUNE_CALM = [
    "A5:2 B5:2 A5:2 G5:1 E5:1", "D5:4 E5:2 G5:2", "A5:3 G5:1 E5:2 D5:2", "E5:6 r:2",
    "G5:2 A5:2 D6:2 B5:2", "A5:3 B5:1 A5:2 G5:2", "E5:2 G5:2 E5:2 D5:2", "D5:6 r:2",
]
MATSURI_TUNE_LIVELY = [
    "D6:2 B5:1 A5:1 B5:2 D6:2", "E6:2 D6:1 B5:1 A5:4", "G5:1 A5:1 B5:2 A5:1 G5:1 E5:2",
    "G5:2 A5:2 B5:4", "D6:2 B5:1 A5:1 B5:2 D6:2", "E6:2 D6:1 B5:1 A5:2 G5:2",
    "A5:2 G5:1 E5:1 D5:2 E5:2", "D5:4 r:4",
]
MATSURI_CHORDS_CALM = ["D", "D", "G", "A", "G", "D", "E:4 A:4", "D"]
MATSURI_CHORDS_LIVELY = ["D", "E:4 A:4", "G", "E", "D", "E:4 G:4", "A", "D"]
MATSURI_KOTO = {
    "D": keys("D3 A3 D4 E4 A4"), "G": keys("G2 D3 G3 A3 D4"),
    "A": keys("A2 E3 A3 B3 E4"), "E": keys("E3 B3 E4 G4 B4"),
}
MATSURI_SHAMISEN = {name: voicing[0] for name, voicing in MATSURI_KOTO.items()}
MATSURI_DRUMS = {
    "calm": [(0, TAIKO_LOW, 72), (4, TAIKO_HIGH, 56), (6, WOOD_LOW, 40)],
    # The roll that carries the calm half into the lively one.
    "roll": [(0, TAIKO_LOW, 72), (4, TAIKO_HIGH, 60), (5, TAIKO_HIGH, 66),
             (6, TAIKO_LOW, 74), (7, TAIKO_LOW, 84)],
    "lively": [(0, BIG_DRUM, 84), (0, TAIKO_LOW, 80), (1, WOOD_HIGH, 46), (2, RIDE_BELL, 38),
               (3, TAIKO_HIGH, 64), (4, TAIKO_LOW, 76), (5, WOOD_HIGH, 46),
               (6, RIDE_BELL, 38), (6, TAIKO_HIGH, 60), (7, TAIKO_LOW, 58)],
    # The last bar thins out so the calm start follows without a bump.
    "close": [(0, BIG_DRUM, 80), (0, TAIKO_LOW, 78), (4, TAIKO_HIGH, 50)],
}


def song_matsuri():
    bar, half = 8, 8
    flute = (melody(MATSURI_TUNE_CALM, bar, 70, 0.9)
             + shifted(melody(MATSURI_TUNE_LIVELY, bar, 80, 0.85), half, bar))
    koto = (arpeggio(MATSURI_CHORDS_CALM, bar, MATSURI_KOTO, [0, 1, 2, 3, 4, 3, 2, 1], 50)
            + shifted(arpeggio(MATSURI_CHORDS_LIVELY, bar, MATSURI_KOTO,
                               [0, 2, 1, 3, 2, 4, 3, 2], 58), half, bar))
    shamisen = (bass_line(MATSURI_CHORDS_CALM, bar, MATSURI_SHAMISEN, [(0, 2, 0), (4, 2, 7)], 62)
                + shifted(bass_line(MATSURI_CHORDS_LIVELY, bar, MATSURI_SHAMISEN,
                                    [(0, 1, 0), (2, 1, 0), (3, 1, 7), (4, 1, 0), (6, 1, 7),
                                     (7, 1, 12)], 70), half, bar))
    beat = drums(["calm"] * 7 + ["roll"] + ["lively"] * 7 + ["close"], bar, MATSURI_DRUMS)
    return make_song("matsuri - festival night", (4, 4), 16, [(0, 96), (half, 120)], [
        instrument("fue (flute)", 0, FLUTE, flute, volume=100, pan=64, reverb=50),
        instrument("koto", 1, KOTO, koto, volume=88, pan=40, reverb=45),
        instrument("shamisen", 2, SHAMISEN, shamisen, volume=84, pan=88, reverb=35),
        instrument("festival drums", DRUM_CHANNEL, None, beat, volume=84, pan=64, reverb=45),
    ], compact=True)


def all_music():
    """Every piece, by path inside the game folder."""
    return {
        "midi/" + SEASIDE_MUSIC: song_umi(),
        "midi/" + ROOM_MUSIC: song_heya(),
        "midi/" + FESTIVAL_MUSIC: song_matsuri(),
    }
