"""Standard MIDI Files: the encoder that writes a song made in music.py.

Format 1: a first track with only the metre and the tempo, then one track
per instrument, each on a channel of its own. Times are in ticks, 480 to
the quarter note. The engine starts a piece again when its last End of
Track is reached, so every track ends exactly at the end of the last bar
and no note sounds past it: the beat then runs on evenly through the loop.
"""

import struct

from demo.numbers import iround

DIVISION = 480
EIGHTH = DIVISION // 2
DRUM_CHANNEL = 9            # the percussion channel, "channel 10" to musicians

# Message ranks: at one tick, setup goes first and note-offs before note-ons,
# so a key struck again right after it ends really sounds again.
SETUP, NOTE_OFF, NOTE_ON = 0, 1, 2


def vlq(value):
    """A variable-length quantity: 7 bits a byte, high bit set on all but the last."""
    assert 0 <= value < 1 << 28
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.append(0x80 | (value & 0x7F))
        value >>= 7
    return bytes(reversed(out))


def meta(kind, data):
    return bytes([0xFF, kind]) + vlq(len(data)) + data


def tempo_meta(bpm):
    """Set Tempo: microseconds per quarter note, in three bytes."""
    return meta(0x51, struct.pack(">I", iround(60000000.0 / bpm))[1:])


def metre_meta(beats, unit):
    # The unit is written as a power of two; 24 MIDI clocks to the metronome
    # click and 8 thirty-seconds to the quarter are the usual values.
    return meta(0x58, bytes([beats, unit.bit_length() - 1, 24, 8]))


END_OF_TRACK = meta(0x2F, b"")


def chunk(kind, body):
    return kind + struct.pack(">I", len(body)) + body


def track_body(events, end_tick, compact):
    """An MTrk body from (tick, rank, message) triples, closed by End of Track.

    A compact track uses running status (a channel message with the same
    status byte as the one before leaves it out) and ends notes with a
    note-on of velocity 0, which keeps the status byte the same; a plain
    track writes every status byte and ends notes with a real note-off.
    A meta event in between cancels running status, so the channel message
    after it always states its status again.
    """
    body, last_tick, running = bytearray(), 0, None
    for tick, rank, message in sorted(events, key=lambda e: (e[0], e[1])):
        assert last_tick <= tick <= end_tick
        body += vlq(tick - last_tick)
        last_tick = tick
        if message[0] == 0xFF:
            running = None
            body += message
        elif compact and message[0] == running:
            body += message[1:]
        else:
            running = message[0] if compact else None
            body += message
    body += vlq(end_tick - last_tick) + END_OF_TRACK
    return bytes(body)


def note_messages(channel, notes, compact):
    """(tick, rank, message) triples for notes given as (start, length, key, velocity)."""
    events = []
    for start, length, key, velocity in notes:
        assert length > 0 and 0 <= key < 128 and 0 < velocity < 128
        events.append((start, NOTE_ON, bytes([0x90 | channel, key, velocity])))
        off = bytes([0x90 | channel, key, 0]) if compact else bytes([0x80 | channel, key, 64])
        events.append((start + length, NOTE_OFF, off))
    return events


def instrument_track(track, compact):
    ch = track["channel"]
    events = [(0, SETUP, meta(0x03, track["name"].encode("ascii")))]
    if track["program"] is not None:          # the percussion channel needs none
        events.append((0, SETUP, bytes([0xC0 | ch, track["program"]])))
    for controller, value in ((7, track["volume"]), (10, track["pan"]), (91, track["reverb"])):
        events.append((0, SETUP, bytes([0xB0 | ch, controller, value])))
    return events + note_messages(ch, track["notes"], compact)


def encode_midi(song):
    """The Standard MIDI File of a song made by make_song()."""
    end = song["length"]
    beats, unit = song["metre"]
    conductor = [(0, SETUP, meta(0x03, song["title"].encode("ascii"))),
                 (0, SETUP, metre_meta(beats, unit))]
    conductor += [(tick, SETUP, tempo_meta(bpm)) for tick, bpm in song["tempos"]]
    bodies = [track_body(conductor, end, song["compact"])]
    bodies += [track_body(instrument_track(t, song["compact"]), end, song["compact"])
               for t in song["tracks"]]
    header = chunk(b"MThd", struct.pack(">HHH", 1, len(bodies), DIVISION))
    return header + b"".join(chunk(b"MTrk", body) for body in bodies)
