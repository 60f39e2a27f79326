#!/usr/bin/env python3
"""Write the bundled demo game "灯台の手紙" (The Lighthouse Letter) into games/demo/.

Everything in the game folder comes from this script: the story, kept below as
Python data and written both as packed scene files (scene/) and as the separate
per-record files that debug mode reads; every picture, drawn here with simple
geometry and gradients and saved as 24-bit BMP files; the three pieces of
music, written here note by note and saved as Standard MIDI Files (midi/);
and the sound effects, synthesized here and saved as WAV files (wave/).

Run with Python 3 and nothing but its standard library, after building the
program (scripts/build):

    python3 tools/make_demo.py [--program PATH] [output folder]

The output folder defaults to games/demo/ beside this tools/ folder. The output
is the same, byte for byte, on every run: no clocks, no unseeded randomness.
Once the game is written, the program checks it with its own readers,
`tallowind --check`, in both the packed form and the debug form; the program
defaults to build/tallowind beside this tools/ folder. Any finding of the
check, error or warning, fails the run.
"""

import argparse
import math
import os
import struct
import subprocess
import sys
import tempfile


# ---------------------------------------------------------------------------
# Game folder layout and fixed values
# ---------------------------------------------------------------------------

TITLE = "灯台の手紙"

MAIN_SIZE = (640, 480)      # the main picture the engine draws on
SUB_SIZE = (140, 140)       # the square at the left of the message window
FRAME_SIZE = (620, 150)     # message frame; the window lies 5 px inside it
CURSOR_SIZE = (32, 32)
TILE_SIZE = (64, 64)

# A message line shows in a 450 px label at about 21 px per full-width
# character, so keep each line within 20 full-width characters (40 bytes in
# CP932, where a full-width character takes two bytes and a half-width one).

# The settings lines, by line number. Lines 1, 4 and 11 are free for notes.
SETTINGS = [
    TITLE,              # 0 title, also the key under which saves are kept
    "Tallowind demo",   # 1 free
    "tile.bmp",         # 2 background tile in image3/
    "waku.bmp",         # 3 message frame picture in image3/
    "",                 # 4 free
    "白",               # 5 message text colour: anything but 黒 is white
    "白",               # 6 frame background colour
    "黒",               # 7 message window colour: black lets the picture show through
    "cursor.bmp",       # 8 cursor over the message frame (image3/)
    "cursor2.bmp",      # 9 cursor over the main picture (image3/)
    "Sub_Window=ON",    # 10 sub window on: a 140 x 140 portrait left of the text
    "",                 # 11 free
    "click.wav",        # 12 click sound in wave/, played at every step
]


# ---------------------------------------------------------------------------
# The story
#
# Each record is built with rec(). Type lines are written as small tuples
# (see the kind helpers) whose jump targets are record *names*, resolved to
# indexes when the files are written, so records can be inserted without
# renumbering by hand.
#
# Music goes by stretch of the story: music() gives a run of records one piece.
# A piece plays on while the records shown one after another name it and
# starts again from its beginning when the name changes (an empty name would
# stop it), so every record of a stretch names its piece, not only the first.
# A record's sound effect plays one second after the record is shown.
# ---------------------------------------------------------------------------

def normal():
    return ("NORMAL",)


def choose(*targets):
    """COMMAND record: up to four choices, message line k is choice k."""
    assert 1 <= len(targets) <= 4
    return ("COMMAND",) + tuple(targets)


def flag_set(letter, value):
    return ("FLAG", letter, "=", value)


def flag_add(letter, value):
    return ("FLAG", letter, "+", value)


def if_flag(letter, op, value, then_target, else_target):
    return ("IF", letter, op, value, then_target, else_target)


def jump(target):
    """Jump line: play goes on at the named record."""
    return ("JUMP", target)


def timed_image(ticks):
    """IMAGE record shown for ticks x 100 ms with the message window hidden."""
    return ("IMAGE", ticks)


def next_file():
    return ("NEXT_FILE",)


def end():
    return ("END",)


def rec(kind, image="", sub="", lines=(), name=None, wav=""):
    """One scene record: type, main image entry, sub image entry, 0-4 message
    lines, and the sound effect in wave/ (its music is set by music())."""
    lines = tuple(lines)
    assert len(lines) <= 4, lines
    return {
        "kind": kind,
        "image": image,
        "sub": sub,
        "wav": wav,
        "midi": "",
        "lines": lines + ("",) * (4 - len(lines)),
        "name": name,
    }


def music(piece, records):
    """Give every record of a stretch of the story the same piece in midi/."""
    for record in records:
        record["midi"] = piece
    return records


def at(picture, x=0, y=0):
    """Main image entry: picture file in image/ drawn with its top-left at (x, y)."""
    return "%s<%d,%d>" % (picture, x, y)


SEA = at("sea.bmp")
CAPE = at("cape.bmp")
ROOM = at("room.bmp")
NIGHT = at("night.bmp")
GIRL_ON_SEA = at("SP_girl.bmp", 220, 40)
GIRL_IN_ROOM = at("SP_girl.bmp", 420, 40)
GIRL_AT_NIGHT = at("SP_girl.bmp", 40, 40)
NAGI = "face1.bmp"          # 凪, smiling
NAGI_WOW = "face2.bmp"      # 凪, surprised
GRANDMA = "SP_face3.bmp"    # おばあちゃん, masked so the window shows around her

SEASIDE_MUSIC = "umi.mid"       # 海: by day, from the title to the lighthouse door
ROOM_MUSIC = "heya.mid"         # 部屋: the room at the top of the lighthouse
FESTIVAL_MUSIC = "matsuri.mid"  # 祭り: from the first drums to the end
CLICK = SETTINGS[12]            # the settings name the click sound
WAVES = "nami.wav"
BELL = "suzu.wav"
DOOR = "tobira.wav"
FIREWORK = "hanabi.wav"

SCENE1 = music(SEASIDE_MUSIC, [
    # The seaside theme starts on the title and plays on into the story.
    rec(normal(), at("title.bmp"), name="title"),
    rec(flag_set("A", 0), SEA, wav=WAVES, lines=(
        "夏休み、わたしは海辺の町へやって来た。",
        "おばあちゃんの家は、坂の上にある。",
        "窓からは、岬の古い灯台が見える。",
    )),
    rec(normal(), GIRL_ON_SEA, NAGI, (
        "わたしは凪（なぎ）。十二歳。",
        "「いい風……。海のにおいがする。」",
        "麦わら帽子をおさえて、深く息をすった。",
    )),
    rec(normal(), GIRL_ON_SEA, GRANDMA, (
        "「凪ちゃん、お出かけかい？」",
        "坂の上で、おばあちゃんが手をふっている。",
        "「夕ごはんまでに帰っておいでね。」",
    )),
    rec(choose("to_cape", "to_beach", "ask_grandma"), GIRL_ON_SEA, NAGI, (
        "・岬の灯台へ行ってみる",
        "・浜辺を歩いてみる",
        "・おばあちゃんと話す",
    )),

    # Choice 1: straight to the lighthouse, without a key (flag A stays 0).
    rec(normal(), CAPE, NAGI, (
        "わたしは、まっすぐ岬へ向かった。",
        "草の坂道をのぼると、白い灯台が見えた。",
        "赤いしまもようが、空にくっきり映える。",
    ), name="to_cape"),
    rec(normal(), CAPE, NAGI_WOW, (
        "「あれ？　とびらが少し開いてる……。」",
        "そっと押すと、とびらはきしんで開いた。",
    ), wav=DOOR),
    rec(jump("top_room"), CAPE, NAGI, (
        "ひんやりした空気の中、階段をのぼる。",
    )),

    # Choice 2: the beach, where a key lies in the sand (flag A + 1).
    rec(normal(), SEA, NAGI, (
        "浜辺におりて、波打ちぎわを歩いた。",
        "貝がらをひろいながら、のんびり進む。",
        "すると、砂の中で何かがきらりと光った。",
    ), name="to_beach", wav=WAVES),
    rec(flag_add("A", 1), SEA, NAGI_WOW, (
        "「わあ、小さな鍵だ！」",
        "真ちゅうの鍵に、灯台の絵がほられている。",
        "わたしは鍵をにぎって、岬へ走った。",
    ), wav=BELL),
    rec(jump("top_room"), CAPE, NAGI, (
        "灯台のとびらは、少しだけ開いていた。",
        "ひんやりした空気の中、階段をのぼる。",
    )),

    # Choice 3: grandma, who hands over grandpa's key (flag A + 1).
    rec(normal(), GIRL_ON_SEA, GRANDMA, (
        "「ねえ、あの灯台のこと教えて。」",
        "「おじいさんが守っていた灯台さ。」",
        "「最後の灯台守だったんだよ。」",
    ), name="ask_grandma"),
    rec(flag_add("A", 1), GIRL_ON_SEA, GRANDMA, (
        "おばあちゃんは、古い鍵を出してくれた。",
        "「灯台の机の鍵だよ。持っておいき。」",
    ), wav=BELL),
    rec(normal(), CAPE, NAGI, (
        "「ありがとう！　行ってきます！」",
        "鍵をポケットに入れて、岬の灯台へ。",
        "とびらを開け、ひんやりした階段をのぼる。",
    )),
]) + music(ROOM_MUSIC, [
    # All three ways meet in the room at the top of the lighthouse.
    rec(normal(), ROOM, lines=(
        "てっぺんの小部屋には、光があふれていた。",
        "丸い窓の向こうに、青い海が広がっている。",
        "古い机と本だなが、静かにねむっていた。",
    ), name="top_room"),
    rec(normal(), GIRL_IN_ROOM, NAGI, (
        "机の引き出しには、小さな鍵穴がある。",
        "「何が入っているんだろう……。」",
    )),
    rec(if_flag("A", "=", 1, "with_key", "no_key"), GIRL_IN_ROOM, NAGI, (
        "わたしは、引き出しに手をのばした。",
    )),

    # With a key the drawer opens...
    rec(normal(), GIRL_IN_ROOM, NAGI_WOW, (
        "鍵をさしこむと、カチリと音がした。",
        "「開いた！」",
    ), name="with_key", wav=DOOR),
    rec(normal(), GIRL_IN_ROOM, NAGI_WOW, (
        "引き出しの中には、青い封筒が一通。",
        "表に、ていねいな字でこう書いてあった。",
    )),
    rec(jump("letter"), GIRL_IN_ROOM, NAGI_WOW, (
        "『この手紙を見つけた人へ』",
    )),

    # ...without one it stays shut, but the letter turns up anyway.
    rec(normal(), GIRL_IN_ROOM, NAGI, (
        "引き出しは、鍵がかかっていて開かない。",
        "「ざんねん……。あれ？」",
    ), name="no_key"),
    rec(normal(), GIRL_IN_ROOM, NAGI_WOW, (
        "窓のすきまに、青い封筒がはさまっている。",
        "表には、ていねいな字でこう書いてあった。",
        "『この手紙を見つけた人へ』",
    )),

    rec(normal(), GIRL_IN_ROOM, lines=(
        "『灯りが消えても、この灯台は",
        "　いつも海を見守っています。",
        "　夏祭りの夜、もし空が晴れていたら",
        "　窓辺にランプをともしてください。",
    ), name="letter"),
    rec(normal(), GIRL_IN_ROOM, lines=(
        "　海の上の人たちが、きっと気づきます。』",
        "　　　　　　　　　　町の灯台守より",
    )),
]) + music(FESTIVAL_MUSIC, [
    # The festival music comes in with the drums she hears from afar.
    rec(normal(), GIRL_IN_ROOM, NAGI_WOW, (
        "「夏祭りって……今夜だ！」",
        "遠くで、お祭りの太鼓が鳴りはじめた。",
    )),
    rec(next_file(), CAPE, NAGI, (
        "わたしは手紙をだいて、坂道をかけおりた。",
        "おばあちゃんに、早く見せなくちゃ。",
    )),
])

SCENE2 = music(FESTIVAL_MUSIC, [
    # Record 0 of a scene reached by NEXT_FILE is never shown: the next
    # click leaves it like any NORMAL record. It names the music that scene 1
    # ends with, so the festival piece plays on instead of starting again.
    rec(normal(), name="start"),
    rec(normal(), NIGHT, wav=FIREWORK, lines=(
        "その夜、町はお祭りでにぎわっていた。",
        "わたしとおばあちゃんは、ランプを持って",
        "岬の灯台へのぼった。",
    )),
    rec(normal(), GIRL_AT_NIGHT, GRANDMA, (
        "「おじいさんもね、毎晩この階段を",
        "　のぼって、灯りをともしていたんだよ。」",
        "おばあちゃんは、なつかしそうに笑った。",
    )),
    rec(normal(), GIRL_AT_NIGHT, NAGI, (
        "てっぺんの窓辺に、ランプを置く。",
        "「おじいちゃん、見ててね。」",
        "わたしは、そっと火をともした。",
    )),
    # A timed run: the lamp catches, glows, then shines out to sea. The
    # message window is hidden meanwhile, so these records carry no text.
    # The first record is shown again when its time is up and each later
    # one when its own time is up, so lamp1 stays 2 s, lamp2 1 s, and lamp3
    # appears as the run ends and the text comes back.
    rec(timed_image(10), at("lamp1.bmp"), name="lamp"),
    rec(timed_image(10), at("lamp2.bmp")),
    rec(timed_image(10), at("lamp3.bmp")),
    # The record that ends a run is not drawn, so it names the picture that
    # the run leaves on screen.
    rec(normal(), at("lamp3.bmp"), NAGI_WOW, (
        "小さな灯りが、夜の海をまっすぐてらした。",
        "すると、沖の船がつぎつぎに明かりを",
        "ちかちかと光らせて、こたえてくれた。",
    )),
    rec(normal(), at("lamp3.bmp"), GRANDMA, (
        "「ほら、お返事だよ。」",
        "おばあちゃんの目が、やさしく光っていた。",
    )),
    rec(end(), at("lamp3.bmp"), NAGI, (
        "あの手紙は、だれかへの贈り物だったんだ。",
        "来年の夏も、きっとここへ来よう。",
        "",
        "（おしまい）",
    ), wav=FIREWORK),
])

SCENES = [SCENE1, SCENE2]


# ---------------------------------------------------------------------------
# Turning the story into text lines
# ---------------------------------------------------------------------------

def record_names(scene):
    """Map each record name to its index (the index is the record's address)."""
    names = {}
    for index, record in enumerate(scene):
        if record["name"] is not None:
            assert record["name"] not in names, record["name"]
            names[record["name"]] = index
    return names


def type_line(kind, names):
    """Write one type line, turning target names into record indexes."""
    word = kind[0]
    if word in ("NORMAL", "NEXT_FILE", "END"):
        return word
    if word == "COMMAND":
        targets = [names[t] for t in kind[1:]] + [0] * (5 - len(kind))
        # Target 0 means "not offered", so no choice may lead to record 0.
        assert all(t != 0 for t in targets[:len(kind) - 1])
        return "COMMAND" + "".join("<%d>" % t for t in targets)
    if word == "FLAG":
        _, letter, op, value = kind
        return "FLAG<%s%s%d>" % (letter, op, value)
    if word == "IF":
        # The engine reads the first target 7 characters after the ">" that
        # closes the value, and the second 8 characters after the ">" that
        # closes the first target; the characters in between are not read.
        _, letter, op, value, then_target, else_target = kind
        return "IF<%s%s%d>......%d>.......%d>" % (
            letter, op, value, names[then_target], names[else_target])
    if word == "JUMP":
        # A jump line n continues at record n + 1.
        return str(names[kind[1]] - 1)
    if word == "IMAGE":
        return "IMAGE<%d>" % kind[1]
    raise ValueError("unknown kind %r" % (kind,))


def scene_records(scene):
    """The scene as a list of records whose type lines are final text."""
    names = record_names(scene)
    records = []
    for record in scene:
        done = dict(record)
        done["type"] = type_line(record["kind"], names)
        records.append(done)
    return records


def packed_scene_lines(records):
    """Packed scene file: the last record's number, then 11 lines per record."""
    lines = [str(len(records) - 1)]
    for index, record in enumerate(records):
        label = "---- %d ----" % index
        if record["name"]:
            label = "---- %d %s ----" % (index, record["name"])
        block = [label, record["type"], record["image"], record["sub"],
                 record["wav"], record["midi"]]
        block += list(record["lines"])
        block.append("")      # the closing line of a record is not read either
        assert len(block) == 11
        lines += block
    return lines


def per_record_files(records):
    """Debug mode's separate files: line i of each belongs to record i."""
    files = {
        "game.gst": [r["type"] for r in records],
        "image/image.gst": [r["image"] for r in records],
        "image2/image2.gst": [r["sub"] for r in records],
        "wave/wave.gst": [r["wav"] for r in records],
        "midi/midi.gst": [r["midi"] for r in records],
    }
    for k in range(4):
        files["message/message%d.gst" % (k + 1)] = [r["lines"][k] for r in records]
    return files


def encode_text(lines):
    """CP932 text, every line (the last too) ended by CR LF.

    Encoding is strict, so a character the code page lacks stops the script.
    """
    for line in lines:
        assert "\r" not in line and "\n" not in line, repr(line)
    return "".join(line + "\r\n" for line in lines).encode("cp932")


# ---------------------------------------------------------------------------
# A small raster canvas
#
# Pixels are kept top-down as R, G, B bytes. Colours are (r, g, b) tuples.
# Blending uses integer arithmetic so every run gives the same bytes. A
# colour argument may also be a function of the row, for vertical gradients.
# ---------------------------------------------------------------------------

WHITE = (255, 255, 255)
BLACK = (0, 0, 0)


def iround(value):
    """Round half up; Python's round() goes to even, which is harder to reason about."""
    return int(math.floor(value + 0.5))


def mix(c1, c2, t):
    """Colour between c1 (t = 0) and c2 (t = 1)."""
    t = min(1.0, max(0.0, t))
    return tuple(iround(a + (b - a) * t) for a, b in zip(c1, c2))


def ramp(stops):
    """A function of t in [0, 1] through colour stops [(t, colour), ...]."""
    def colour_at(t):
        for (t0, c0), (t1, c1) in zip(stops, stops[1:]):
            if t <= t1:
                return mix(c0, c1, (t - t0) / (t1 - t0) if t1 > t0 else 0.0)
        return stops[-1][1]
    return colour_at


def rows(y0, y1, stops):
    """Colour as a function of the row: a vertical gradient from y0 to y1."""
    colour_at = ramp(stops)
    return lambda y: colour_at((y - y0) / float(max(1, y1 - y0)))


class Rng:
    """A tiny linear congruential generator, fixed so the pictures never change."""

    def __init__(self, seed):
        self.state = seed & 0xFFFFFFFF

    def next(self):
        self.state = (self.state * 1664525 + 1013904223) & 0xFFFFFFFF
        return self.state

    def uniform(self, low, high):
        return low + (high - low) * (self.next() >> 8) / float(1 << 24)

    def below(self, n):
        return (self.next() >> 8) % n


class Canvas:
    def __init__(self, width, height, colour=BLACK):
        self.width, self.height = width, height
        self.pixels = bytearray(bytes(colour) * (width * height))

    def get(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.pixels[i:i + 3])

    def span(self, y, x0, x1, colour, alpha=1.0):
        """Paint pixels x0 <= x < x1 of row y, clipped to the canvas."""
        if callable(colour):
            colour = colour(y)
        if y < 0 or y >= self.height:
            return
        x0, x1 = max(0, x0), min(self.width, x1)
        if x0 >= x1:
            return
        start, end = (y * self.width + x0) * 3, (y * self.width + x1) * 3
        if alpha >= 1.0:
            self.pixels[start:end] = bytes(colour) * (x1 - x0)
            return
        a = iround(alpha * 256)
        if a <= 0:
            return
        keep = 256 - a
        r, g, b = colour[0] * a, colour[1] * a, colour[2] * a
        p = self.pixels
        for i in range(start, end, 3):
            p[i] = (p[i] * keep + r) >> 8
            p[i + 1] = (p[i + 1] * keep + g) >> 8
            p[i + 2] = (p[i + 2] * keep + b) >> 8

    def dot(self, x, y, colour, alpha=1.0):
        self.span(y, x, x + 1, colour, alpha)

    def rect(self, x0, y0, x1, y1, colour, alpha=1.0):
        """Fill x0 <= x < x1, y0 <= y < y1."""
        for y in range(max(0, y0), min(self.height, y1)):
            self.span(y, x0, x1, colour, alpha)

    def fill(self, colour):
        self.rect(0, 0, self.width, self.height, colour)

    def ellipse(self, cx, cy, rx, ry, colour, alpha=1.0, y_max=None):
        """Filled ellipse; y_max cuts it off below that row (for domes)."""
        top = int(math.floor(cy - ry))
        bottom = int(math.ceil(cy + ry))
        if y_max is not None:
            bottom = min(bottom, y_max)
        for y in range(top, bottom + 1):
            t = (y + 0.5 - cy) / ry
            if abs(t) >= 1.0:
                continue
            dx = rx * math.sqrt(1.0 - t * t)
            self.span(y, iround(cx - dx), iround(cx + dx), colour, alpha)

    def circle(self, cx, cy, r, colour, alpha=1.0):
        self.ellipse(cx, cy, r, r, colour, alpha)

    def polygon(self, points, colour, alpha=1.0):
        """Filled polygon (even-odd rule), sampled at pixel centres."""
        ys = [p[1] for p in points]
        n = len(points)
        for y in range(max(0, int(math.floor(min(ys)))),
                       min(self.height, int(math.ceil(max(ys))) + 1)):
            yc = y + 0.5
            xs = []
            for i in range(n):
                (xa, ya), (xb, yb) = points[i], points[(i + 1) % n]
                if (ya <= yc < yb) or (yb <= yc < ya):
                    xs.append(xa + (yc - ya) * (xb - xa) / (yb - ya))
            xs.sort()
            for k in range(0, len(xs) - 1, 2):
                self.span(y, iround(xs[k]), iround(xs[k + 1]), colour, alpha)

    def line(self, x0, y0, x1, y1, width, colour, alpha=1.0):
        """A thick straight line with square ends."""
        dx, dy = x1 - x0, y1 - y0
        length = math.hypot(dx, dy) or 1.0
        nx, ny = -dy / length * width / 2.0, dx / length * width / 2.0
        self.polygon([(x0 + nx, y0 + ny), (x1 + nx, y1 + ny),
                      (x1 - nx, y1 - ny), (x0 - nx, y0 - ny)], colour, alpha)

    def stroke(self, points, width, colour):
        """A thick opaque polyline with round joints."""
        for (xa, ya), (xb, yb) in zip(points, points[1:]):
            self.line(xa, ya, xb, yb, width, colour)
        for x, y in points:
            self.circle(x, y, width / 2.0, colour)

    def glow(self, cx, cy, radius, colour, strength):
        """A soft light: colour blended in, strongest at the centre."""
        for y in range(max(0, int(cy - radius)), min(self.height, int(cy + radius) + 1)):
            for x in range(max(0, int(cx - radius)), min(self.width, int(cx + radius) + 1)):
                d2 = ((x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2) / float(radius * radius)
                if d2 < 1.0:
                    self.dot(x, y, colour, strength * (1.0 - d2) ** 2)

    def grain(self, x0, y0, x1, y1, amount, rng):
        """Add a little even noise so large flat areas look less plastic."""
        p = self.pixels
        for y in range(max(0, y0), min(self.height, y1)):
            for x in range(max(0, x0), min(self.width, x1)):
                i = (y * self.width + x) * 3
                d = rng.below(2 * amount + 1) - amount
                for k in range(3):
                    p[i + k] = min(255, max(0, p[i + k] + d))

    def paste(self, other, x0, y0):
        for y in range(other.height):
            if 0 <= y0 + y < self.height:
                src = other.pixels[y * other.width * 3:(y + 1) * other.width * 3]
                for x in range(other.width):
                    if 0 <= x0 + x < self.width:
                        i = ((y0 + y) * self.width + x0 + x) * 3
                        self.pixels[i:i + 3] = src[x * 3:x * 3 + 3]


def rotated_ellipse(cx, cy, a, b, angle, steps=48):
    """Outline points of an ellipse with half-axes a, b turned by angle (radians)."""
    ca, sa = math.cos(angle), math.sin(angle)
    points = []
    for k in range(steps):
        t = 2.0 * math.pi * k / steps
        x, y = a * math.cos(t), b * math.sin(t)
        points.append((cx + x * ca - y * sa, cy + x * sa + y * ca))
    return points


def arc(cx, cy, rx, ry, start_deg, end_deg, steps=12):
    """Points along an elliptic arc (degrees, 0 = right, 90 = down)."""
    return [(cx + rx * math.cos(math.radians(start_deg + (end_deg - start_deg) * k / steps)),
             cy + ry * math.sin(math.radians(start_deg + (end_deg - start_deg) * k / steps)))
            for k in range(steps + 1)]


# ---------------------------------------------------------------------------
# BMP files: 24 bits per pixel, no compression, rows stored bottom-up in
# B, G, R order, each row padded to a multiple of 4 bytes.
# ---------------------------------------------------------------------------

PIXELS_PER_METRE = 3780     # 96 dots per inch


def encode_bmp(canvas):
    w, h = canvas.width, canvas.height
    row_bytes = w * 3
    stride = (row_bytes + 3) & ~3
    padding = bytes(stride - row_bytes)
    body = bytearray()
    for y in range(h - 1, -1, -1):
        rgb = canvas.pixels[y * row_bytes:(y + 1) * row_bytes]
        bgr = bytearray(row_bytes)
        bgr[0::3], bgr[1::3], bgr[2::3] = rgb[2::3], rgb[1::3], rgb[0::3]
        body += bgr + padding
    header_size = 14 + 40
    file_header = struct.pack("<2sIHHI", b"BM", header_size + len(body), 0, 0, header_size)
    info_header = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(body),
                              PIXELS_PER_METRE, PIXELS_PER_METRE, 0, 0)
    return file_header + info_header + bytes(body)


# ---------------------------------------------------------------------------
# Scenery pieces shared by several pictures
# ---------------------------------------------------------------------------

def cloud(c, cx, cy, size, colour=(255, 255, 252), alpha=0.85):
    """A soft cumulus: a flat base and a few puffs on top."""
    c.ellipse(cx, cy, size * 1.6, size * 0.45, colour, alpha)
    for dx, dy, r in ((-0.8, -0.3, 0.55), (-0.1, -0.6, 0.75), (0.7, -0.35, 0.6)):
        c.ellipse(cx + dx * size, cy + dy * size, r * size * 1.1, r * size, colour, alpha)


def lighthouse(c, cx, base_y, height, base_half, colours, door=False):
    """A tapering tower with two bands, a gallery, a lantern room and a dome.

    Returns the centre of the lantern, where the lamp light comes from.
    """
    top_y = base_y - height
    top_half = base_half * 0.68

    def half_width(y):
        return base_half + (top_half - base_half) * (base_y - y) / float(height)

    def slice_of(y_low, y_high, left=-1.0, right=1.0):
        return [(cx + left * half_width(y_low), y_low), (cx + left * half_width(y_high), y_high),
                (cx + right * half_width(y_high), y_high), (cx + right * half_width(y_low), y_low)]

    c.polygon(slice_of(base_y, top_y), colours["body"])
    for f0, f1 in ((0.22, 0.38), (0.58, 0.74)):
        c.polygon(slice_of(base_y - f0 * height, base_y - f1 * height), colours["band"])
    # Darken the right side so the tower looks round in the light from the left.
    c.polygon(slice_of(base_y, top_y, 0.3, 1.0), colours["dark"], colours.get("shade", 0.0))
    if door:
        dw = base_half * 0.42
        c.rect(iround(cx - dw), iround(base_y - base_half * 1.1), iround(cx + dw), base_y,
               colours["door"])
        c.ellipse(cx, base_y - base_half * 1.1, dw, dw * 0.9, colours["door"])
        # Left a little open: a dark gap at the edge of the door.
        c.rect(iround(cx + dw * 0.55), iround(base_y - base_half * 1.05), iround(cx + dw), base_y,
               colours["dark"])

    gallery_h = max(2, iround(height * 0.045))
    lantern_h = max(4, iround(height * 0.15))
    gx = top_half * 1.45
    c.rect(iround(cx - gx), top_y - gallery_h, iround(cx + gx), top_y, colours["dark"])
    lantern_top = top_y - gallery_h - lantern_h
    lx = top_half * 0.85
    c.rect(iround(cx - lx), lantern_top, iround(cx + lx), top_y - gallery_h, colours["glass"])
    # Railing posts on the gallery, mullions in the glass.
    post_w = max(1, iround(height * 0.008))
    for k in range(-3, 4):
        px = iround(cx + k * gx / 3.5)
        c.rect(px, top_y - gallery_h - iround(lantern_h * 0.35), px + post_w,
               top_y - gallery_h, colours["dark"])
    for k in (-1, 0, 1):
        px = iround(cx + k * lx * 0.55)
        c.rect(px, lantern_top, px + post_w, top_y - gallery_h, colours["dark"])
    c.ellipse(cx, lantern_top, lx * 1.15, lantern_h * 0.55, colours["roof"], y_max=lantern_top)
    c.rect(iround(cx - post_w), iround(lantern_top - lantern_h * 0.8), iround(cx + post_w),
           lantern_top, colours["roof"])
    return cx, lantern_top + lantern_h / 2.0


DAY_TOWER = {
    "body": (246, 244, 236), "band": (198, 58, 52), "dark": (52, 56, 70),
    "shade": 0.22, "glass": (176, 214, 236), "roof": (150, 44, 44), "door": (112, 72, 44),
}


def sea_band(c, y0, y1, stops, rng, streak_colour, streaks):
    """Water between rows y0 and y1 with short light streaks for the waves."""
    c.rect(0, y0, c.width, y1, rows(y0, y1, stops))
    for _ in range(streaks):
        y = y0 + 2 + rng.below(max(1, y1 - y0 - 4))
        depth = (y - y0) / float(y1 - y0)
        length = 6 + int(depth * 40) + rng.below(12)
        x = rng.below(c.width)
        c.span(y, x, x + length, streak_colour, 0.25 + 0.35 * depth)


def beam(c, lx, ly, end_x, end_top, end_bottom, colour, alpha):
    """A light beam from the lamp at (lx, ly) widening towards column end_x
    and fading out as it goes, drawn one pixel column at a time."""
    step = 1 if end_x > lx else -1
    length = float(abs(end_x - lx))
    for x in range(iround(lx), iround(end_x), step):
        t = abs(x - lx) / length
        top = ly - 2 + (end_top - ly + 2) * t
        bottom = ly + 2 + (end_bottom - ly - 2) * t
        c.rect(x, iround(top), x + 1, iround(bottom), colour, alpha * (1.0 - t))


def stars(c, count, y_max, rng):
    for _ in range(count):
        x, y = rng.below(c.width), rng.below(y_max)
        light = 150 + rng.below(106)
        colour = (light, light, min(255, light + 20))
        # Fainter stars near the horizon, where the sky is hazier.
        alpha = 1.0 - 0.6 * y / float(y_max)
        c.dot(x, y, colour, alpha)
        if rng.below(9) == 0:
            for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
                c.dot(x + dx, y + dy, colour, alpha * 0.5)


# ---------------------------------------------------------------------------
# Backgrounds (640 x 480)
# ---------------------------------------------------------------------------

def paint_sea():
    """Seaside by day: sky, sun, the sea and a beach, the lighthouse far off."""
    c = Canvas(*MAIN_SIZE)
    rng = Rng(11)
    horizon = 250
    c.rect(0, 0, 640, horizon, rows(0, horizon, [(0, (92, 160, 226)), (1, (206, 232, 246))]))
    c.glow(118, 78, 110, (255, 246, 214), 0.7)
    c.circle(118, 78, 24, (255, 251, 232))
    for cx, cy, size in ((300, 70, 34), (470, 120, 26), (70, 170, 20), (600, 50, 18)):
        cloud(c, cx, cy, size)
    # The cape with its lighthouse, far away on the right.
    cape = [(400, horizon), (450, 236), (500, 226), (545, 221), (600, 219), (640, 223), (640, horizon)]
    c.polygon(cape, (104, 142, 112))
    far = dict(DAY_TOWER, shade=0.15)
    lighthouse(c, 548, 223, 46, 7, far)
    # The water runs on under the beach so no gap shows below the wavy edge.
    sea_band(c, horizon, 385, [(0, (46, 112, 176)), (1, (70, 172, 198))], rng,
             (225, 245, 250), 260)
    c.rect(0, horizon, 640, horizon + 1, (150, 196, 222))
    # The beach, with a wavy wet edge and a line of foam.
    for x in range(640):
        edge = 372 + 6 * math.sin(x / 37.0) + 3 * math.sin(x / 11.0 + 1.0)
        top = iround(edge)
        for y in range(top - 3, top):
            c.dot(x, y, (246, 250, 250), 0.8)
        for y in range(top, 480):
            t = (y - top) / 108.0
            sand = mix((222, 200, 150), (238, 214, 162), t * 3) if t < 0.12 else \
                mix((238, 214, 162), (226, 194, 140), t)
            c.dot(x, y, sand)
    c.grain(0, 366, 640, 480, 5, rng)
    for x, y, col in ((90, 420, (240, 180, 170)), (480, 448, (250, 220, 200)),
                      (300, 465, (236, 190, 190)), (580, 405, (245, 235, 220))):
        c.ellipse(x, y, 5, 3, col)
        c.span(y, x - 3, x + 4, mix(col, BLACK, 0.25))
    return c


def paint_cape():
    """The lighthouse up close, on a grassy headland above the sea."""
    c = Canvas(*MAIN_SIZE)
    rng = Rng(23)
    c.rect(0, 0, 640, 300, rows(0, 300, [(0, (84, 146, 224)), (1, (214, 234, 248))]))
    for cx, cy, size in ((120, 80, 30), (300, 150, 20), (610, 110, 26)):
        cloud(c, cx, cy, size)
    sea_band(c, 300, 480, [(0, (58, 124, 184)), (1, (40, 96, 160))], rng, (220, 240, 250), 200)
    c.rect(0, 300, 640, 301, (160, 200, 226))
    hill = [(150, 480), (190, 420), (250, 372), (330, 344), (420, 334), (520, 332),
            (640, 338), (640, 480)]
    c.polygon(hill, rows(332, 480, [(0, (122, 182, 92)), (1, (70, 128, 60))]))
    # The cliff face below the grass on the sea side.
    c.polygon([(150, 480), (190, 420), (196, 430), (168, 480)], (112, 98, 84))
    # A path of trodden earth up to the door.
    path = [(300, 480), (330, 440), (390, 400), (440, 372), (452, 344), (470, 344),
            (466, 376), (420, 410), (370, 446), (352, 480)]
    c.polygon(path, rows(344, 480, [(0, (196, 176, 132)), (1, (170, 146, 104))]))
    c.grain(150, 332, 640, 480, 6, rng)
    for _ in range(70):
        x, y = 180 + rng.below(460), 350 + rng.below(130)
        if c.get(x, y)[1] > c.get(x, y)[0]:        # only on the grass, not the path
            colour = ((255, 250, 240), (250, 214, 90), (240, 150, 180))[rng.below(3)]
            c.circle(x, y, 2, colour)
    lamp = lighthouse(c, 460, 342, 232, 40, DAY_TOWER, door=True)
    c.glow(lamp[0] - 6, lamp[1] - 6, 16, WHITE, 0.5)    # sunlight on the glass
    return c


def paint_room():
    """The small room at the top of the lighthouse: round window, desk, shelf."""
    c = Canvas(*MAIN_SIZE)
    rng = Rng(37)
    c.rect(0, 0, 640, 380, rows(0, 380, [(0, (214, 196, 164)), (1, (240, 224, 192))]))
    # Stone courses of the curved wall.
    for y in range(30, 380, 38):
        c.span(y, 0, 640, (196, 176, 146), 0.6)
        shift = 0 if (y // 38) % 2 else 40
        for x in range(shift, 640, 80):
            c.rect(x, y, x + 1, y + 38, (196, 176, 146), 0.5)
    # Shade towards both edges so the wall seems to curve round.
    for x in range(640):
        d = abs(x - 320) / 320.0
        if d > 0.5:
            c.rect(x, 0, x + 1, 380, (90, 70, 50), (d - 0.5) * 0.5)
    c.grain(0, 0, 640, 380, 4, rng)
    # Wooden floor boards.
    c.rect(0, 380, 640, 480, rows(380, 480, [(0, (150, 102, 62)), (1, (120, 78, 46))]))
    for y in (400, 424, 452):
        c.span(y, 0, 640, (92, 60, 36))
    for k in range(12):
        x = rng.below(640)
        c.rect(x, 380 + 24 * rng.below(4), x + 1, 480, (92, 60, 36), 0.6)
    # The round window and the sea outside it.
    wx, wy, wr = 320, 170, 112
    c.circle(wx, wy, wr + 12, (112, 76, 46))
    sky = rows(wy - wr, wy + 18, [(0, (110, 176, 232)), (1, (204, 230, 246))])
    sea = rows(wy + 18, wy + wr, [(0, (52, 128, 186)), (1, (66, 164, 196))])
    c.ellipse(wx, wy, wr, wr, lambda y: sky(y) if y < wy + 18 else sea(y))
    for k in range(40):
        y = wy + 22 + rng.below(wr - 26)
        x = wx - 90 + rng.below(170)
        c.span(y, x, x + 10 + rng.below(14), (220, 244, 250), 0.4)
    cloud(c, wx - 40, wy - 50, 18)
    c.rect(wx - 3, wy - wr, wx + 3, wy + wr, (112, 76, 46))
    c.rect(wx - wr, wy - 3, wx + wr, wy + 3, (112, 76, 46))
    # Sunlight falling from the window down the wall and onto the floor.
    c.polygon([(wx - 70, wy + wr + 12), (wx + 70, wy + wr + 12), (wx + 170, 480), (wx - 50, 480)],
              (255, 244, 200), 0.18)
    # A shelf of books on the wall at the left, above the desk.
    c.rect(36, 150, 210, 158, (104, 66, 38))
    x = 44
    for k in range(11):
        w = 9 + rng.below(6)
        h = 34 + rng.below(14)
        colour = ((168, 60, 50), (60, 96, 150), (80, 130, 80), (200, 160, 70), (120, 80, 130))[k % 5]
        c.rect(x, 150 - h, x + w, 150, colour)
        c.rect(x + 2, 150 - h + 6, x + w - 2, 150 - h + 8, (236, 220, 180))
        x += w + 2
    # A tall writing desk. Its drawer sits high, above the message window
    # that covers the lower part of the picture, because the story needs it.
    c.rect(30, 236, 250, 250, (132, 86, 50))
    c.rect(40, 250, 240, 302, (112, 72, 42))
    c.rect(54, 258, 226, 294, (134, 88, 52))
    c.rect(132, 270, 148, 278, (206, 170, 80))          # brass handle
    c.rect(138, 282, 142, 289, (40, 26, 16))            # keyhole
    for x in (44, 222):
        c.rect(x, 302, x + 14, 384, (104, 66, 38))        # legs
    c.rect(44, 350, 236, 358, (104, 66, 38))            # footrest
    # An oil lamp and a sea shell on the desk.
    c.ellipse(200, 220, 14, 18, (240, 230, 200), 0.85)
    c.rect(190, 230, 211, 238, (180, 140, 60))
    c.ellipse(90, 232, 10, 6, (246, 210, 196))
    return c


NIGHT_TOWER = {
    "body": (58, 64, 96), "band": (50, 52, 84), "dark": (26, 28, 48),
    "shade": 0.5, "glass": (44, 52, 84), "roof": (34, 36, 60), "door": (30, 30, 50),
}


def paint_night(lamp_level):
    """The festival night. lamp_level 0: lamp out; 1: it catches; 2: it glows;
    3: its light reaches the sea and the boats answer."""
    c = Canvas(*MAIN_SIZE)
    rng = Rng(53)
    horizon = 290
    c.rect(0, 0, 640, horizon, rows(0, horizon, [(0, (8, 12, 38)), (1, (34, 48, 96))]))
    stars(c, 170, horizon - 20, rng)
    # A crescent moon: a disc with a shifted disc taken away.
    mx, my, mr = 300, 70, 24
    c.glow(mx, my, 70, (120, 130, 180), 0.35)
    for y in range(my - mr, my + mr + 1):
        for x in range(mx - mr, mx + mr + 1):
            inside = (x - mx) ** 2 + (y - my) ** 2 <= mr * mr
            shadow = (x - mx - 10) ** 2 + (y - my + 6) ** 2 <= (mr - 2) ** 2
            if inside and not shadow:
                c.dot(x, y, (250, 244, 206))
    water = [(0, (30, 42, 86)), (1, (6, 10, 30))]
    sea_band(c, horizon, 480, water, rng, (120, 140, 200), 160)
    for k in range(26):                                   # the moon on the water
        y = horizon + 4 + k * 7 + rng.below(4)
        half = 4 + k * 1.3 + rng.below(6)
        c.span(y, iround(mx - 8 - half), iround(mx - 8 + half), (250, 240, 200), 0.5 - k * 0.015)
    # The town on the far shore, bright with festival lanterns.
    town = [(120, horizon), (150, 280), (210, 274), (260, 278), (330, 282), (370, horizon)]
    c.polygon(town, (18, 22, 44))
    for _ in range(22):
        x, y = 140 + rng.below(220), 276 + rng.below(12)
        c.glow(x, y, 6, (255, 170, 80), 0.6)
        c.dot(x, y, (255, 214, 140))
    # The cape and the tower.
    cape = [(380, horizon), (420, 270), (470, 256), (560, 252), (640, 256), (640, horizon)]
    c.polygon(cape, (14, 18, 36))
    glass = {0: (44, 52, 84), 1: (170, 110, 50), 2: (255, 224, 150), 3: (255, 238, 190)}
    colours = dict(NIGHT_TOWER, glass=glass[lamp_level])
    lx, ly = lighthouse(c, 520, 256, 146, 22, colours)
    if lamp_level >= 3:
        # Two beams sweeping out over the sea, the near one brighter.
        beam(c, lx, ly, 0, 150, 250, (255, 236, 170), 0.4)
        beam(c, lx, ly, 640, 170, 214, (255, 236, 170), 0.3)
        boats = ((90, 350), (230, 320), (400, 392), (560, 336))
        for bx, by in boats:
            c.polygon([(bx - 18, by), (bx + 18, by), (bx + 12, by + 6), (bx - 12, by + 6)],
                      (10, 12, 24))
            c.rect(bx - 1, by - 16, bx + 1, by, (10, 12, 24))
            c.glow(bx, by - 16, 16, (255, 220, 130), 0.8)
            c.circle(bx, by - 16, 2, (255, 246, 210))
            for k in range(5):
                y = by + 9 + 5 * k
                c.span(y, bx - 6 + k, bx + 6 - k, (255, 210, 120), 0.4)
    if lamp_level >= 1:
        strength = {1: 0.45, 2: 0.85, 3: 0.95}[lamp_level]
        radius = {1: 26, 2: 90, 3: 120}[lamp_level]
        c.glow(lx, ly, radius, (255, 214, 130), strength)
        c.circle(lx, ly, 2 + lamp_level, (255, 250, 230))
    if lamp_level >= 2:
        for k in range(14):                               # the lamp on the water
            y = horizon + 8 + k * 9
            half = 3 + k * 1.5
            c.span(y, iround(lx - half), iround(lx + half), (255, 210, 120),
                   (0.45 if lamp_level == 3 else 0.25) - k * 0.015)
    return c


# ---------------------------------------------------------------------------
# The title picture, with the title in hand-made 16 x 16 pixel letters
# ---------------------------------------------------------------------------

TITLE_GLYPHS = {
    "灯": [
        "...#............",
        "...#...#########",
        "#..#..#....#....",
        "#..#..#....#....",
        ".#.#.#.....#....",
        "...#.......#....",
        "...#.......#....",
        "..###......#....",
        "..#.#......#....",
        ".#...#.....#....",
        ".#...#.....#....",
        "#.....#....#....",
        "#......#...#....",
        "...........#....",
        ".........###....",
        "................",
    ],
    "台": [
        "......#.........",
        ".....#..........",
        "....#.....#.....",
        "...#.......#....",
        "..#.........#...",
        ".#############..",
        "................",
        "..############..",
        "..#..........#..",
        "..#..........#..",
        "..#..........#..",
        "..#..........#..",
        "..#..........#..",
        "..############..",
        "................",
        "................",
    ],
    "の": [
        "................",
        "................",
        ".......#####....",
        ".....##.#...##..",
        "....#...#.....#.",
        "...#....#......#",
        "..#.....#......#",
        "..#....#.......#",
        ".#.....#.......#",
        ".#....#.......#.",
        ".#...#.......#..",
        "..###.......#...",
        "..........##....",
        "........##......",
        "................",
        "................",
    ],
    "手": [
        "..........###...",
        "...#######......",
        ".......#........",
        ".......#........",
        "..###########...",
        ".......#........",
        ".......#........",
        ".#############..",
        ".......#........",
        ".......#........",
        ".......#........",
        ".......#........",
        ".......#........",
        ".......#........",
        ".....###........",
        "................",
    ],
    "紙": [
        "..#.........###.",
        ".#..#...####....",
        "####....#...#...",
        "..#.....#...#...",
        ".#...#..#...#...",
        "######..########",
        "...#....#...#...",
        "...#....#....#..",
        ".#.#.#..#....#..",
        "#..#..#.#.....#.",
        "...#....#.#...#.",
        "...#....##....#.",
        "...#....#......#",
        "...#...........#",
        "...............#",
        "................",
    ],
}


def pixel_text(c, text, x0, y0, scale, colour, gap):
    for n, ch in enumerate(text):
        glyph = TITLE_GLYPHS[ch]
        gx = x0 + n * (16 * scale + gap)
        for row, bits in enumerate(glyph):
            for col, bit in enumerate(bits):
                if bit == "#":
                    c.rect(gx + col * scale, y0 + row * scale,
                           gx + (col + 1) * scale, y0 + (row + 1) * scale, colour)


def paint_title():
    """Dusk: the sun going down behind the sea, the lighthouse lit on its cape."""
    c = Canvas(*MAIN_SIZE)
    rng = Rng(71)
    horizon = 330
    c.rect(0, 0, 640, horizon, rows(0, horizon, [
        (0, (36, 28, 84)), (0.45, (120, 64, 120)), (0.8, (232, 124, 108)), (1, (255, 184, 110))]))
    stars(c, 40, 110, rng)
    c.glow(200, horizon, 170, (255, 190, 120), 0.6)
    c.circle(200, horizon, 38, (255, 214, 140))
    sea_band(c, horizon, 480, [(0, (96, 60, 110)), (1, (24, 18, 52))], rng, (255, 170, 110), 90)
    for k in range(22):                                   # the sun's path on the water
        y = horizon + 3 + k * 7
        half = 34 - k * 1.2 + rng.below(8)
        c.span(y, iround(200 - half), iround(200 + half), (255, 196, 120), 0.55 - k * 0.02)
    cape = [(400, horizon), (440, 310), (500, 296), (580, 290), (640, 294), (640, horizon)]
    c.polygon(cape, (30, 20, 44))
    dusk = dict(NIGHT_TOWER, body=(44, 32, 62), band=(38, 26, 54), dark=(24, 16, 36),
                roof=(24, 16, 36), glass=(255, 226, 150))
    # Short enough that its lantern stays below the title.
    lx, ly = lighthouse(c, 540, 294, 112, 18, dusk)
    c.glow(lx, ly, 70, (255, 220, 140), 0.8)
    beam(c, lx, ly, 160, 150, 230, (255, 230, 170), 0.4)
    # The title: a soft shadow, then the letters.
    scale, gap = 5, 10
    width = len(TITLE) * 16 * scale + (len(TITLE) - 1) * gap
    x0, y0 = (640 - width) // 2, 48
    pixel_text(c, TITLE, x0 + 4, y0 + 4, scale, (30, 16, 50), gap)
    pixel_text(c, TITLE, x0, y0, scale, (255, 244, 220), gap)
    # A thin rule under the title.
    c.rect(x0, y0 + 16 * scale + 12, x0 + width, y0 + 16 * scale + 14, (255, 226, 170))
    return c


# ---------------------------------------------------------------------------
# Characters
#
# A masked picture comes as a pair: the picture, white wherever the scene
# behind is to show, and its mask, black where the figure covers and white
# elsewhere. Both are drawn by the same function with a different "ink":
# real colours for the picture, black for the mask, so the two always match.
# ---------------------------------------------------------------------------

def real_ink(colour):
    return colour


def mask_ink(colour):
    return BLACK


def masked_pair(size, draw):
    picture, mask = Canvas(*size, colour=WHITE), Canvas(*size, colour=WHITE)
    draw(picture, real_ink)
    draw(mask, mask_ink)
    return picture, mask


SKIN = (252, 222, 196)
HAIR = (86, 52, 36)
STRAW = (232, 200, 120)
RIBBON = (206, 72, 84)
DRESS = (118, 170, 226)
DRESS_DARK = (86, 134, 196)
COLLAR = (248, 248, 240)
EYE = (64, 42, 40)


def draw_girl(c, ink):
    """凪, standing: straw hat, long hair, a blue summer dress (200 x 400)."""
    # Hair behind the head and shoulders.
    c.ellipse(100, 108, 48, 56, ink(HAIR))
    c.polygon([(54, 110), (146, 110), (152, 196), (48, 196)], ink(HAIR))
    # Arms first, so the dress covers the shoulders.
    c.polygon([(66, 154), (52, 158), (40, 250), (54, 252)], ink(SKIN))
    c.polygon([(134, 154), (148, 158), (160, 250), (146, 252)], ink(SKIN))
    c.circle(47, 256, 8, ink(SKIN))
    c.circle(153, 256, 8, ink(SKIN))
    # Legs and sandals.
    c.rect(80, 320, 93, 382, ink(SKIN))
    c.rect(107, 320, 120, 382, ink(SKIN))
    c.ellipse(85, 386, 12, 6, ink((150, 92, 60)))
    c.ellipse(115, 386, 12, 6, ink((150, 92, 60)))
    # The dress: bodice, then a flared skirt with a darker hem.
    c.polygon([(66, 150), (134, 150), (126, 232), (74, 232)], ink(DRESS))
    c.polygon([(74, 226), (126, 226), (164, 330), (36, 330)], ink(DRESS))
    c.polygon([(40, 318), (160, 318), (164, 330), (36, 330)], ink(DRESS_DARK))
    for x in (70, 100, 130):                                 # folds in the skirt
        c.line(x + (x - 100) * 0.1, 240, x + (x - 100) * 0.45, 316, 2, ink(DRESS_DARK))
    c.polygon([(84, 150), (116, 150), (100, 172)], ink(COLLAR))
    c.circle(100, 176, 4, ink(RIBBON))
    # Neck and face.
    c.rect(92, 134, 109, 152, ink(mix(SKIN, (200, 150, 130), 0.25)))
    c.ellipse(100, 104, 34, 38, ink(SKIN))
    # Fringe under the hat.
    c.polygon([(66, 84), (134, 84), (132, 98), (116, 92), (100, 100), (84, 92), (68, 100)], ink(HAIR))
    # Eyes, a smile and a little colour in the cheeks.
    for ex in (87, 113):
        c.ellipse(ex, 108, 4, 6, ink(EYE))
        c.circle(ex + 1, 105, 1.5, ink((250, 250, 246)))
    c.stroke(arc(100, 118, 8, 5, 20, 160, 8), 2, ink((196, 96, 96)))
    c.ellipse(80, 120, 6, 3, ink((246, 170, 160)), 0.6)
    c.ellipse(120, 120, 6, 3, ink((246, 170, 160)), 0.6)
    # The straw hat: brim, crown and ribbon.
    c.ellipse(100, 74, 64, 15, ink(STRAW))
    c.ellipse(100, 60, 36, 24, ink(STRAW), y_max=74)
    c.rect(65, 62, 136, 71, ink(RIBBON))
    c.ellipse(100, 77, 58, 4, ink(mix(STRAW, BLACK, 0.15)), 0.5)


def draw_nagi_face(c, ink, surprised):
    """凪 from the shoulders up, for the 140 x 140 portraits."""
    c.ellipse(70, 84, 50, 58, ink(HAIR))
    c.polygon([(20, 90), (120, 90), (126, 140), (14, 140)], ink(HAIR))
    c.polygon([(34, 122), (106, 122), (122, 140), (18, 140)], ink(DRESS))
    c.polygon([(58, 122), (82, 122), (70, 138)], ink(COLLAR))
    c.rect(62, 108, 79, 124, ink(mix(SKIN, (200, 150, 130), 0.25)))
    c.ellipse(70, 78, 38, 42, ink(SKIN))
    c.polygon([(32, 52), (108, 52), (106, 68), (88, 60), (70, 70), (52, 60), (34, 68)], ink(HAIR))
    if surprised:
        for ex in (55, 85):
            c.ellipse(ex, 80, 6, 8, ink(EYE))
            c.circle(ex + 2, 77, 2, ink((250, 250, 246)))
            c.stroke([(ex - 7, 64), (ex + 7, 63)], 2, ink(HAIR))
        c.ellipse(70, 101, 5, 6, ink((176, 80, 84)))
    else:
        for ex in (55, 85):                                   # eyes closed in a smile
            c.stroke(arc(ex, 84, 7, 6, 200, 340, 8), 3, ink(EYE))
            c.stroke([(ex - 7, 68), (ex + 7, 67)], 2, ink(HAIR))
        c.stroke(arc(70, 96, 10, 7, 20, 160, 8), 3, ink((196, 96, 96)))
    c.ellipse(46, 94, 7, 4, ink((246, 168, 158)), 0.6)
    c.ellipse(94, 94, 7, 4, ink((246, 168, 158)), 0.6)
    c.ellipse(70, 44, 70, 14, ink(STRAW))
    c.ellipse(70, 30, 40, 24, ink(STRAW), y_max=44)
    c.rect(31, 32, 110, 41, ink(RIBBON))


def paint_face(surprised):
    c = Canvas(*SUB_SIZE)
    top, bottom = ((214, 234, 255), (184, 212, 248)) if surprised else \
        ((255, 240, 214), (250, 212, 190))
    c.fill(rows(0, 140, [(0, top), (1, bottom)]))
    for k in range(0, 140, 14):                               # soft diagonal stripes
        c.polygon([(k - 40, 0), (k - 33, 0), (k + 107, 140), (k + 100, 140)], WHITE, 0.12)
    draw_nagi_face(c, real_ink, surprised)
    return c


def draw_grandma(c, ink):
    """おばあちゃん: grey hair in a bun, round glasses, a lilac cardigan (140 x 140)."""
    grey = (196, 196, 204)
    c.polygon([(22, 140), (32, 114), (108, 114), (118, 140)], ink((150, 112, 170)))
    c.polygon([(56, 114), (84, 114), (70, 136)], ink((244, 240, 230)))
    c.rect(61, 100, 80, 118, ink(mix(SKIN, (200, 150, 130), 0.3)))
    c.circle(70, 22, 16, ink(grey))                           # the bun
    c.ellipse(70, 62, 44, 44, ink(grey))
    c.ellipse(70, 72, 36, 38, ink(SKIN))
    c.polygon([(34, 60), (70, 38), (106, 60), (100, 48), (70, 30), (40, 48)], ink(grey))
    for ex in (56, 84):
        c.stroke(arc(ex, 74, 6, 5, 200, 340, 8), 2, ink(EYE))    # smiling eyes
        ring = arc(ex, 74, 12, 11, 0, 360, 24)
        c.stroke(ring, 2, ink((120, 90, 60)))                    # glasses
    c.stroke([(68, 73), (72, 73)], 2, ink((120, 90, 60)))
    c.stroke(arc(70, 92, 9, 6, 20, 160, 8), 2, ink((180, 100, 96)))
    c.stroke(arc(48, 92, 4, 3, 60, 150, 4), 1, ink((220, 180, 160)))   # laugh lines
    c.stroke(arc(92, 92, 4, 3, 30, 120, 4), 1, ink((220, 180, 160)))
    c.ellipse(46, 86, 6, 4, ink((240, 170, 160)), 0.5)
    c.ellipse(94, 86, 6, 4, ink((240, 170, 160)), 0.5)


# ---------------------------------------------------------------------------
# Interface pictures
# ---------------------------------------------------------------------------

def paint_tile():
    """64 x 64 seigaiha (overlapping wave arcs) in quiet navy; tiles seamlessly."""
    w, h = TILE_SIZE
    radius, ring = 16, 4
    c = Canvas(w, h, colour=(16, 22, 48))
    shade = [[None] * w for _ in range(h)]
    # Row after row of half-overlapping circles; a later (lower) row covers
    # the one above. Centres repeat every 32 px across and 16 px down, so the
    # pattern lines up at the tile's edges.
    for row in range(-4, h // 8 + 4):
        cy = row * 8
        for col in range(-2, w // 32 + 2):
            cx = col * 32 + (16 if row % 2 else 0)
            for y in range(cy - radius, cy + 1):
                for x in range(cx - radius, cx + radius + 1):
                    d = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
                    if d < radius:
                        shade[y % h][x % w] = int(d) % ring
    for y in range(h):
        for x in range(w):
            if shade[y][x] == ring - 1:
                c.dot(x, y, (30, 40, 78))
            elif shade[y][x] == 0:
                c.dot(x, y, (22, 30, 62))
    return c


def paint_frame():
    """620 x 150 message frame: a gold rope border; the window covers the inside."""
    w, h = FRAME_SIZE
    c = Canvas(w, h, colour=(20, 26, 56))
    border = 5
    for y in range(h):
        for x in range(w):
            depth = min(x, y, w - 1 - x, h - 1 - y)
            if depth >= border:
                continue
            if depth in (0, border - 1):
                colour = (96, 66, 26)
            else:
                twist = ((x + y) // 4) % 2          # diagonal strands of a rope
                colour = (244, 212, 124) if twist else (196, 150, 66)
            c.dot(x, y, colour)
    for cx, cy in ((2, 2), (w - 3, 2), (2, h - 3), (w - 3, h - 3)):
        c.rect(cx - 2, cy - 2, cx + 3, cy + 3, (255, 240, 180))
    return c


OUTLINE = (36, 32, 44)


def paint_quill():
    """Cursor over the message frame: a quill pen, nib at the top-left."""
    c = Canvas(*CURSOR_SIZE, colour=WHITE)
    feather = rotated_ellipse(19.5, 19.5, 13.5, 5.5, math.radians(45), 32)
    c.polygon(rotated_ellipse(19.5, 19.5, 15, 7, math.radians(45), 32), OUTLINE)
    c.polygon(feather, (196, 222, 255))
    c.line(9, 9, 30, 30, 1.4, (90, 120, 180))
    for k in range(4):                                   # barbs of the feather
        t = 12 + k * 4
        c.line(t, t, t - 3, t + 5, 1, (150, 180, 230))
    c.line(4, 4, 11, 11, 2.5, OUTLINE)                   # the shaft joins nib and feather
    c.polygon([(0, 0), (10, 5), (5, 10)], OUTLINE)
    c.polygon([(1.5, 1.5), (8.5, 5.5), (5.5, 8.5)], (226, 184, 70))
    return c


def paint_hand():
    """Cursor over the main picture: a pointing hand, fingertip at the top."""
    c = Canvas(*CURSOR_SIZE, colour=WHITE)
    fingers = [(8, 1, 14, 20), (14, 9, 19, 22), (19, 10, 24, 22), (24, 12, 28, 22)]
    palm = (6, 16, 28, 30)
    thumb = [(1, 16), (4, 13), (10, 19), (10, 27), (6, 25)]

    def finger(x0, y0, x1, y1, grow, colour):
        """An upright block with a round top, grown by grow pixels all round."""
        r = (x1 - x0) / 2.0 + grow
        c.rect(x0 - grow, iround(y0 + r - grow), x1 + grow, y1 + grow, colour)
        c.circle((x0 + x1) / 2.0, y0 + r - grow, r, colour)

    # Everything is painted one pixel larger in the outline colour first and
    # then in skin colour, so the outline follows the outside of the hand.
    for x0, y0, x1, y1 in fingers:
        finger(x0, y0, x1, y1, 1, OUTLINE)
    c.rect(palm[0] - 1, palm[1] - 1, palm[2] + 1, palm[3] + 1, OUTLINE)
    c.stroke(thumb + thumb[:1], 2, OUTLINE)
    skin = (255, 222, 186)
    for x0, y0, x1, y1 in fingers:
        finger(x0, y0, x1, y1, 0, skin)
    c.rect(*palm, colour=skin)
    c.polygon(thumb, skin)
    for x in (14, 19, 24):                               # gaps between the fingers
        c.rect(x, 14, x + 1, 21, OUTLINE)
    return c


# ---------------------------------------------------------------------------
# Every picture of the game, by path inside the game folder
# ---------------------------------------------------------------------------

def all_pictures():
    """Draw every picture; returns {relative path: Canvas} in a fixed order."""
    pictures = {}
    pictures["image3/tile.bmp"] = paint_tile()
    pictures["image3/waku.bmp"] = paint_frame()
    pictures["image3/cursor.bmp"] = paint_quill()
    pictures["image3/cursor2.bmp"] = paint_hand()
    pictures["image/title.bmp"] = paint_title()
    pictures["image/sea.bmp"] = paint_sea()
    pictures["image/cape.bmp"] = paint_cape()
    pictures["image/room.bmp"] = paint_room()
    pictures["image/night.bmp"] = paint_night(0)
    for level in (1, 2, 3):
        pictures["image/lamp%d.bmp" % level] = paint_night(level)
    girl, girl_mask = masked_pair((200, 400), draw_girl)
    pictures["image/SP_girl.bmp"] = girl
    pictures["image/mask/SP_girl.bmp"] = girl_mask
    pictures["image2/face1.bmp"] = paint_face(surprised=False)
    pictures["image2/face2.bmp"] = paint_face(surprised=True)
    grandma, grandma_mask = masked_pair(SUB_SIZE, draw_grandma)
    pictures["image2/SP_face3.bmp"] = grandma
    pictures["image2/mask/SP_face3.bmp"] = grandma_mask
    return pictures


# ---------------------------------------------------------------------------
# Standard MIDI Files
#
# Format 1: a first track with only the metre and the tempo, then one track
# per instrument, each on a channel of its own. Times are in ticks, 480 to
# the quarter note. The engine starts a piece again when its last End of
# Track is reached, so every track ends exactly at the end of the last bar
# and no note sounds past it: the beat then runs on evenly through the loop.
# ---------------------------------------------------------------------------

DIVISION = 480
EIGHTH = DIVISION // 2
DRUM_CHANNEL = 9            # the percussion channel, "channel 10" to musicians

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


# ---------------------------------------------------------------------------
# WAV files: RIFF/WAVE holding uncompressed PCM, mono. 16-bit samples are
# signed and little-endian; 8-bit samples are unsigned, silence being 128.
# ---------------------------------------------------------------------------

def riff_chunk(kind, body):
    # A chunk of odd length is followed by a pad byte its size leaves out.
    return kind + struct.pack("<I", len(body)) + body + b"\0" * (len(body) % 2)


def pcm_bytes(samples, bits):
    """Samples in -1..1 as 8- or 16-bit PCM bytes."""
    if bits == 16:
        ints = [min(32767, max(-32767, iround(s * 32767))) for s in samples]
        return struct.pack("<%dh" % len(ints), *ints)
    assert bits == 8
    return bytes(min(255, max(1, 128 + iround(s * 127))) for s in samples)


def encode_wav(sound):
    rate, bits = sound["rate"], sound["bits"]
    width = bits // 8
    fmt = struct.pack("<HHIIHH", 1, 1, rate, rate * width, width, bits)   # 1 = PCM, 1 channel
    body = riff_chunk(b"fmt ", fmt) + riff_chunk(b"data", pcm_bytes(sound["samples"], bits))
    return b"RIFF" + struct.pack("<I", 4 + len(body)) + b"WAVE" + body


# ---------------------------------------------------------------------------
# Synthesizing the sound effects
#
# Plain additive and subtractive synthesis: decaying sine partials, noise
# through one- and two-pole filters, envelopes. Noise comes from the same
# seeded Rng as the pictures, so the sounds are the same on every run.
# ---------------------------------------------------------------------------

VOICE_RATE = 22050          # 16-bit sounds
LOW_RATE = 11025            # the one 8-bit sound: noise hides the coarse steps


def noise(count, rng):
    return [rng.uniform(-1.0, 1.0) for _ in range(count)]


def lowpass(signal, rate, cutoff):
    """One-pole low-pass; cutoff in Hz, a number or a function of the time in s."""
    out, y = [], 0.0
    for n, x in enumerate(signal):
        hz = cutoff(n / float(rate)) if callable(cutoff) else cutoff
        y += (1.0 - math.exp(-2.0 * math.pi * hz / rate)) * (x - y)
        out.append(y)
    return out


def resonator(signal, rate, hz, bandwidth):
    """Two-pole band-pass ringing at hz: a body that something strikes or rubs."""
    r = math.exp(-math.pi * bandwidth / rate)
    a1, a2 = 2.0 * r * math.cos(2.0 * math.pi * hz / rate), -r * r
    out, y1, y2 = [], 0.0, 0.0
    for x in signal:
        y = (1.0 - r) * x + a1 * y1 + a2 * y2
        out.append(y)
        y1, y2 = y, y1
    return out


def normalized(signal, peak=1.0):
    top = max(abs(s) for s in signal) or 1.0
    return [s * peak / top for s in signal]


def smoothstep(t):
    t = min(1.0, max(0.0, t))
    return t * t * (3.0 - 2.0 * t)


def finish(signal, rate, peak, fade_in, fade_out):
    """Scale to the peak and fade both ends to exact silence."""
    out = normalized(signal, peak)
    n_in, n_out = max(1, int(fade_in * rate)), max(1, int(fade_out * rate))
    for k in range(n_in):
        out[k] *= smoothstep(k / float(n_in))
    for k in range(n_out):
        out[-1 - k] *= smoothstep(k / float(n_out))
    return out


def sound(samples, rate, bits=16):
    return {"samples": samples, "rate": rate, "bits": bits}


def click_sound():
    """40 ms: a soft wooden "tok", two inharmonic partials and a breath of noise."""
    rate, rng = VOICE_RATE, Rng(101)
    count = int(0.040 * rate)
    grit = lowpass(noise(count, rng), rate, 3000)
    out = []
    for n in range(count):
        t = n / float(rate)
        tone = 0.7 * math.sin(2 * math.pi * 1250 * t) + 0.3 * math.sin(2 * math.pi * 2900 * t)
        out.append(tone * math.exp(-t / 0.006) + 2.0 * grit[n] * math.exp(-t / 0.0015))
    # Kept quiet: it is heard at every step of the story.
    return sound(finish(out, rate, 0.35, 0.0005, 0.008), rate)


def waves_sound():
    """2 s at 8 bits, 11025 Hz: a wave runs up the sand and draws back hissing."""
    rate, rng = LOW_RATE, Rng(202)
    count = 2 * rate
    raw = noise(count, rng)

    def surge(t):
        # Swells for 0.7 s as the wave breaks, then slowly lets go.
        return smoothstep(t / 0.7) if t < 0.7 else math.exp(-(t - 0.7) / 0.5)

    def cutoff(t):
        return 250.0 + 1500.0 * surge(t)     # brighter while the water rushes

    body = normalized(lowpass(lowpass(raw, rate, cutoff), rate, cutoff))
    hiss = normalized(lowpass([x - y for x, y in zip(raw, lowpass(raw, rate, 2500))], rate, 4500))
    out = []
    for n in range(count):
        t = n / float(rate)
        foam = math.exp(-((t - 1.1) / 0.35) ** 2)    # the foam fizzing as it draws back
        out.append(body[n] * surge(t) + 0.3 * hiss[n] * foam)
    return sound(finish(out, rate, 0.7, 0.01, 0.25), rate, bits=8)


BELL_PARTIALS = [           # (frequency ratio, loudness, decay time in s)
    (1.0, 1.0, 0.42),
    (1.0018, 0.3, 0.38),    # a close twin, so the tone shimmers slowly
    (2.76, 0.45, 0.22),
    (4.18, 0.22, 0.13),
    (5.41, 0.12, 0.08),
]


def bell_sound():
    """1.5 s: a small bell shaken three times, inharmonic partials dying away."""
    rate, rng = VOICE_RATE, Rng(303)
    count, base = int(1.5 * rate), 1480.0
    out = [0.0] * count
    for start, loudness in ((0.0, 1.0), (0.13, 0.5), (0.21, 0.3)):
        first = int(start * rate)
        for ratio, amp, decay in BELL_PARTIALS:
            phase, hz = rng.uniform(0.0, 2 * math.pi), base * ratio
            assert hz < rate / 2
            for n in range(first, count):
                t = (n - first) / float(rate)
                level = loudness * amp * min(1.0, t / 0.0015) * math.exp(-t / decay)
                out[n] += level * math.sin(2 * math.pi * hz * t + phase)
    return sound(finish(out, rate, 0.6, 0.001, 0.1), rate)


def door_sound():
    """0.8 s: a wooden door or drawer that creaks open and bumps to a stop."""
    rate, rng = VOICE_RATE, Rng(404)
    count = int(0.8 * rate)
    # The creak: wood catching and slipping, a pulse train at 38 to 68 pulses
    # a second, rung through two resonances of the board.
    pulses, phase = [0.0] * count, 0.0
    for n in range(int(0.05 * rate), int(0.58 * rate)):
        t = n / float(rate)
        phase += (38.0 + 30.0 * math.sin(math.pi * (t - 0.05) / 0.53)) / rate
        if phase >= 1.0:
            phase -= 1.0 + rng.uniform(0.0, 0.08)      # never quite even
            pulses[n] = smoothstep((t - 0.05) / 0.07) * smoothstep((0.58 - t) / 0.08)
    creak = normalized([a + 0.6 * b for a, b in
                        zip(resonator(pulses, rate, 620, 60), resonator(pulses, rate, 1340, 120))])
    slide = normalized(lowpass(noise(count, rng), rate, 800))
    knock = normalized(lowpass(noise(count, rng), rate, 1500))
    out = []
    for n in range(count):
        t = n / float(rate)
        rub = smoothstep((t - 0.05) / 0.1) * smoothstep((0.62 - t) / 0.1)
        value = 0.55 * creak[n] + 0.25 * slide[n] * rub
        if t >= 0.62:                                  # the bump at the end
            dt = t - 0.62
            value += 0.9 * math.sin(2 * math.pi * 95 * dt) * math.exp(-dt / 0.05)
            value += 0.5 * knock[n] * math.exp(-dt / 0.012)
        out.append(value)
    return sound(finish(out, rate, 0.6, 0.002, 0.03), rate)


def firework_sound():
    """2 s: a far-off firework, a soft boom, its echo from the hills, crackling."""
    rate, rng = VOICE_RATE, Rng(505)
    count = 2 * rate
    # The rumble reaches up to a few hundred hertz, so small speakers that
    # cannot play the thud below still give the boom.
    rumble = normalized(lowpass(lowpass(noise(count, rng), rate, 420), rate, 260))
    boom, phase = [], 0.0
    for n in range(count):
        t = n / float(rate) - 0.04
        if t < 0:
            boom.append(0.0)
            continue
        # Distance takes the crack off the attack and leaves a low thud
        # sliding from 70 Hz down to 42 Hz.
        phase += 2 * math.pi * (42.0 + 28.0 * math.exp(-t / 0.15)) / rate
        env = smoothstep(t / 0.012) * math.exp(-t / 0.32)
        boom.append(env * (0.5 * math.sin(phase) + rumble[n]))
    boom = normalized(boom)
    delay = int(0.42 * rate)
    echo = lowpass([0.0] * delay + boom[:count - delay], rate, 300)
    # Crackle: little pops, rarer and softer as the sparks burn out.
    pops = [0.0] * count
    for n in range(int(0.3 * rate), int(1.8 * rate)):
        t = n / float(rate) - 0.3
        if rng.uniform(0.0, 1.0) < 0.004 * math.exp(-t / 0.6):
            size = rng.uniform(0.3, 1.0) * math.exp(-t / 0.8)
            for k in range(min(60, count - n)):
                pops[n + k] += size * rng.uniform(-1.0, 1.0) * math.exp(-k / 12.0)
    crackle = normalized(lowpass(lowpass(pops, rate, 2800), rate, 2800))
    out = [b + 0.45 * e + 0.35 * c for b, e, c in zip(boom, echo, crackle)]
    return sound(finish(out, rate, 0.7, 0.002, 0.2), rate)


def all_sounds():
    """Every sound effect, by path inside the game folder."""
    return {
        "wave/" + CLICK: click_sound(),
        "wave/" + WAVES: waves_sound(),
        "wave/" + BELL: bell_sound(),
        "wave/" + DOOR: door_sound(),
        "wave/" + FIREWORK: firework_sound(),
    }


# ---------------------------------------------------------------------------
# Writing the game folder
# ---------------------------------------------------------------------------

TOP = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def game_files():
    """Every file of the game: {relative path: bytes}, in a fixed order."""
    files = {}
    settings = encode_text(SETTINGS)
    # Normal mode: the settings and the packed scenes in scene/.
    files["scene/main.gst"] = settings
    for number, scene in enumerate(SCENES, start=1):
        files["scene/scene%d.gst" % number] = encode_text(packed_scene_lines(scene_records(scene)))
    # Debug mode: the same settings and scene 1 as separate per-record files.
    files["main.gst"] = settings
    for relative, lines in per_record_files(scene_records(SCENES[0])).items():
        files[relative] = encode_text(lines)
    for relative, canvas in all_pictures().items():
        files[relative] = encode_bmp(canvas)
    for relative, song in all_music().items():
        files[relative] = encode_midi(song)
    for relative, effect in all_sounds().items():
        files[relative] = encode_wav(effect)
    return files


def write_file(root, relative, data):
    path = os.path.join(root, *relative.split("/"))
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def check_game(program, root):
    """Run the program's checker on both forms of the game; True when it finds nothing.

    The program checks the debug form when it is started under the name
    DEBUG, so that check goes through a link of that name.
    """
    clean = True
    with tempfile.TemporaryDirectory() as folder:
        debug = os.path.join(folder, "DEBUG")
        os.symlink(program, debug)
        for started_as in (program, debug):
            done = subprocess.run([started_as, "--check", root], stdout=subprocess.PIPE,
                                  stderr=subprocess.STDOUT, text=True)
            sys.stdout.write(done.stdout)
            # The last line ends with "no problems found" when there are
            # neither errors nor warnings; warnings alone leave status 0.
            if done.returncode != 0 or not done.stdout.rstrip().endswith("no problems found"):
                clean = False
    return clean


def main(argv):
    parser = argparse.ArgumentParser(description="Write the demo game and check it with the program.")
    parser.add_argument("folder", nargs="?", default=os.path.join(TOP, "games", "demo"),
                        help="the game folder to write (default: games/demo)")
    parser.add_argument("--program", default=os.path.join(TOP, "build", "tallowind"),
                        help="the built program whose --check reads the game (default: build/tallowind)")
    args = parser.parse_args(argv[1:])
    program = os.path.abspath(args.program)
    if not (os.path.isfile(program) and os.access(program, os.X_OK)):
        sys.exit("make_demo.py: no program at %s to check the game with: build it with "
                 "scripts/build, or name it with --program" % program)

    files = game_files()
    for relative, data in files.items():
        write_file(args.folder, relative, data)
    print("wrote %d files to %s" % (len(files), os.path.normpath(args.folder)))
    if not check_game(program, os.path.abspath(args.folder)):
        sys.exit("make_demo.py: the check found problems in the game written to %s"
                 % os.path.normpath(args.folder))


if __name__ == "__main__":
    main(sys.argv)
