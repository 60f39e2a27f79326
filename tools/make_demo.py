#!/usr/bin/env python3
"""Write the bundled demo game "灯台の手紙" (The Lighthouse Letter) into games/demo/.

Everything in the game folder comes from this script: the story, kept below as
Python data and written both as packed scene files (scene/) and as the separate
per-record files that debug mode reads, and every picture, drawn here with
simple geometry and gradients and saved as 24-bit BMP files.

Run with Python 3 and nothing but its standard library:

    python3 tools/make_demo.py [output folder]

The output folder defaults to games/demo/ beside this tools/ folder. The output
is the same, byte for byte, on every run: no clocks, no unseeded randomness.
Before writing anything the script checks its own story (line widths, record
layout, type-line syntax, every jump target and every picture it names).
"""

import math
import os
import struct
import sys
import unicodedata


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
# character, so 20 full-width characters (40 bytes in CP932, where a
# full-width character takes two bytes and a half-width one) is the limit.
MAX_LINE_BYTES = 40

# The settings lines, by line number. Lines 1, 4 and 11 are free for notes;
# line 12 (click sound) stays empty until the demo gets sounds.
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
    "",                 # 12 click sound in wave/: none yet
]


# ---------------------------------------------------------------------------
# The story
#
# Each record is built with rec(). Type lines are written as small tuples
# (see the kind helpers) whose jump targets are record *names*, resolved to
# indexes when the files are written, so records can be inserted without
# renumbering by hand.
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


def rec(kind, image="", sub="", lines=(), name=None):
    """One scene record: type, main image entry, sub image entry, 0-4 message lines."""
    lines = tuple(lines)
    assert len(lines) <= 4, lines
    return {
        "kind": kind,
        "image": image,
        "sub": sub,
        "wav": "",       # sounds come later
        "midi": "",
        "lines": lines + ("",) * (4 - len(lines)),
        "name": name,
    }


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

SCENE1 = [
    rec(normal(), at("title.bmp"), name="title"),
    rec(flag_set("A", 0), SEA, lines=(
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
    )),
    rec(jump("top_room"), CAPE, NAGI, (
        "ひんやりした空気の中、階段をのぼる。",
    )),

    # Choice 2: the beach, where a key lies in the sand (flag A + 1).
    rec(normal(), SEA, NAGI, (
        "浜辺におりて、波打ちぎわを歩いた。",
        "貝がらをひろいながら、のんびり進む。",
        "すると、砂の中で何かがきらりと光った。",
    ), name="to_beach"),
    rec(flag_add("A", 1), SEA, NAGI_WOW, (
        "「わあ、小さな鍵だ！」",
        "真ちゅうの鍵に、灯台の絵がほられている。",
        "わたしは鍵をにぎって、岬へ走った。",
    )),
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
    )),
    rec(normal(), CAPE, NAGI, (
        "「ありがとう！　行ってきます！」",
        "鍵をポケットに入れて、岬の灯台へ。",
        "とびらを開け、ひんやりした階段をのぼる。",
    )),

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
    ), name="with_key"),
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
    rec(normal(), GIRL_IN_ROOM, NAGI_WOW, (
        "「夏祭りって……今夜だ！」",
        "遠くで、お祭りの太鼓が鳴りはじめた。",
    )),
    rec(next_file(), CAPE, NAGI, (
        "わたしは手紙をだいて、坂道をかけおりた。",
        "おばあちゃんに、早く見せなくちゃ。",
    )),
]

SCENE2 = [
    # Record 0 of a scene reached by NEXT_FILE is never shown: the next
    # click leaves it like any NORMAL record.
    rec(normal(), name="start"),
    rec(normal(), NIGHT, lines=(
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
    )),
]

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
# Checking the story
#
# The checks read the finished type lines the way the engine reads them
# (character positions, ">" delimiters), not the tuples they came from, so a
# mistake in type_line() is caught too.
# ---------------------------------------------------------------------------

def read_until(line, pos, stop=">"):
    """Characters from 0-based pos up to the next stop; returns (text, stop pos)."""
    end_pos = line.index(stop, pos)
    return line[pos:end_pos], end_pos


def parse_command(line):
    """The four choice targets, read from the 9th character on."""
    targets, pos = [], 8
    for _ in range(4):
        field, pos = read_until(line, pos)
        digits = field.replace("<", "")
        assert digits.isdigit(), line
        targets.append(int(digits))
        pos += 1
    return targets


def parse_if(line):
    """(letter, operator, value, first target, second target) of an IF line."""
    assert line.startswith("IF<"), line
    letter, op = line[3], line[4]
    value, p = read_until(line, 5)
    first, q = read_until(line, p + 7)
    second, _ = read_until(line, q + 8)
    # The unread stretches must be exactly 6 and 7 characters long.
    assert line[p + 1:p + 7] == "......" and line[q + 1:q + 8] == ".......", line
    assert letter in "ABCDEFGHIJKLMNOPQRSTUVWXYZ" and op in "=<>", line
    return letter, op, int(value), int(first), int(second)


def parse_flag(line):
    letter, op = line[5], line[6]
    operand, _ = read_until(line, 7)
    assert letter in "ABCDEFGHIJKLMNOPQRSTUVWXYZ" and op in "=+-", line
    return letter, op, int(operand)


def image_ticks(line):
    start = line.index("<") + 1
    return int(read_until(line, start)[0])


def compare(flag, op, value):
    return {"=": flag == value, ">": flag > value, "<": flag < value}[op]


def successors(records, index, flags):
    """Where leaving record index goes: a list of (next index, flags) pairs.

    An empty list means the scene stops here (END) or moves to the next
    scene file (NEXT_FILE).
    """
    line = records[index]["type"]
    if line in ("END", "NEXT_FILE"):
        return []
    if line == "NORMAL" or line.startswith("IMAGE"):
        return [(index + 1, flags)]
    if line.startswith("COMMAND"):
        return [(t, flags) for t in parse_command(line) if t != 0]
    if line.startswith("FLAG"):
        letter, op, value = parse_flag(line)
        new = dict(flags)
        old = new.get(letter, 0)
        new[letter] = {"=": value, "+": old + value, "-": old - value}[op]
        assert -32768 <= new[letter] <= 32767
        return [(index + 1, new)]
    if line.startswith("IF"):
        letter, op, value, first, second = parse_if(line)
        chosen = first if compare(flags.get(letter, 0), op, value) else second
        return [(chosen, flags)]
    assert line.lstrip("-").isdigit(), "unknown type line %r" % line
    return [(int(line) + 1, flags)]


def walk_scene(records, start_flag_sets):
    """Follow every path through a scene, from each given set of flags.

    Returns the moves made, as a set of (from, to) record pairs, and the
    scene's ends, as a list of (type line, flags) pairs.
    """
    moves, endings, taken = set(), [], set()
    todo = [(0, dict(flags)) for flags in start_flag_sets]
    while todo:
        index, flags = todo.pop()
        state = (index, tuple(sorted(flags.items())))
        if state in taken:
            continue
        taken.add(state)
        assert 0 <= index < len(records), "a path runs past the scene's end"
        following = successors(records, index, flags)
        if not following:
            endings.append((records[index]["type"], flags))
        for next_index, next_flags in following:
            # Record 0 is the scene's entry; nothing should loop back to it.
            assert next_index != 0, "record %d leads back to record 0" % index
            moves.add((index, next_index))
            todo.append((next_index, next_flags))
    return moves, endings


def check_entries(record, pictures):
    """Image entries name pictures this script draws; masks exist where needed."""
    entry = record["image"]
    if entry:
        name, rest = entry.split("<", 1)
        x, y = rest.rstrip(">").split(",")
        int(x), int(y)          # the position must be two whole numbers
        assert "image/" + name in pictures, entry
        if name.startswith("SP_"):
            assert "image/mask/" + name in pictures, entry
    sub = record["sub"]
    if sub:
        assert "image2/" + sub in pictures, sub
        if sub.startswith("SP_"):
            assert "image2/mask/" + sub in pictures, sub


def check_lines(record):
    for text in record["lines"]:
        width = len(text.encode("cp932"))
        assert width <= MAX_LINE_BYTES, "too wide (%d/%d): %s" % (width, MAX_LINE_BYTES, text)
        for ch in text:
            assert unicodedata.category(ch) != "Cc", repr(text)


def check_kind_rules(records, index):
    """Rules that a record's neighbours or its own text must follow."""
    record, line = records[index], records[index]["type"]
    if line.startswith("COMMAND"):
        # A choice is offered exactly when it has a text.
        for target, text in zip(parse_command(line), record["lines"]):
            assert (target != 0) == (text != ""), (index, line)
    if line.startswith("IMAGE"):
        assert image_ticks(line) > 0
        assert record["image"], "an IMAGE record needs a picture"
        # The window is hidden during the run: text would never be seen.
        assert not any(record["lines"]), index
        assert index + 1 < len(records), "a timed run must end before the scene does"
        following = records[index + 1]
        if not following["type"].startswith("IMAGE"):
            # The record after a run is not drawn; it should name the
            # picture the run leaves on screen.
            assert following["image"] == record["image"], index + 1


def kind_word(line):
    """The keyword of a type line, or JUMP for a bare number."""
    if line.lstrip("-").isdigit():
        return "JUMP"
    return line.split("<")[0]


def check_story(scenes, pictures):
    """Stop with an assertion error if anything in the story is malformed."""
    assert len(SETTINGS) == 13 and SETTINGS[12] == ""
    kinds_used = set()
    flag_sets = [{}]          # the flags are all 0 when the game starts
    for number, scene in enumerate(scenes, start=1):
        records = scene_records(scene)
        assert 1 <= len(records) <= 32767
        for index, record in enumerate(records):
            check_lines(record)
            check_entries(record, pictures)
            check_kind_rules(records, index)
            kinds_used.add(kind_word(record["type"]))

        moves, endings = walk_scene(records, flag_sets)
        reached = {0} | {to for _, to in moves}
        unused = set(range(len(records))) - reached
        assert not unused, "scene %d: records never reached: %s" % (number, sorted(unused))
        for index, record in enumerate(records):
            if record["type"].startswith("IF"):
                # The flag must matter: both ways out are taken by some path.
                _, _, _, first, second = parse_if(record["type"])
                outs = {to for frm, to in moves if frm == index}
                assert outs == {first, second}, (number, index, outs)

        last = number == len(scenes)
        for kind, _ in endings:
            assert kind == ("END" if last else "NEXT_FILE"), (number, kind)
        if not last:
            # Record 0 of the next scene is passed over without being shown.
            first = scene_records(scenes[number])[0]
            assert first["type"] == "NORMAL" and not any(first["lines"])
            # Flags carry over into the next scene, by whichever way it is reached.
            flag_sets = [dict(f) for f in sorted({tuple(sorted(f.items())) for _, f in endings})]

    # The title record shows only the title picture.
    title = scene_records(scenes[0])[0]
    assert title["type"] == "NORMAL" and title["image"] and not any(title["lines"])
    wanted = {"NORMAL", "COMMAND", "FLAG", "IF", "JUMP", "IMAGE", "NEXT_FILE", "END"}
    assert kinds_used == wanted, kinds_used


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


def decode_bmp(data):
    """Read back a BMP written by encode_bmp (used by the self-check)."""
    assert data[:2] == b"BM"
    offset = struct.unpack_from("<I", data, 10)[0]
    w, h = struct.unpack_from("<ii", data, 18)
    bits, compression = struct.unpack_from("<H", data, 28)[0], struct.unpack_from("<I", data, 30)[0]
    assert bits == 24 and compression == 0 and h > 0
    stride = (w * 3 + 3) & ~3
    canvas = Canvas(w, h)
    for y in range(h):
        row = data[offset + (h - 1 - y) * stride:offset + (h - 1 - y) * stride + w * 3]
        rgb = bytearray(w * 3)
        rgb[0::3], rgb[1::3], rgb[2::3] = row[2::3], row[1::3], row[0::3]
        canvas.pixels[y * w * 3:(y + 1) * w * 3] = rgb
    return canvas


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


def check_pictures(pictures):
    expected_sizes = {
        "image3/tile.bmp": TILE_SIZE, "image3/waku.bmp": FRAME_SIZE,
        "image3/cursor.bmp": CURSOR_SIZE, "image3/cursor2.bmp": CURSOR_SIZE,
    }
    for path, canvas in pictures.items():
        size = (canvas.width, canvas.height)
        if path in expected_sizes:
            assert size == expected_sizes[path], path
        elif path.startswith("image2/"):
            assert size == SUB_SIZE, path
        elif not os.path.basename(path).startswith("SP_"):
            assert size == MAIN_SIZE, path
    for path, canvas in pictures.items():
        folder, name = os.path.split(path)
        if not name.startswith("SP_") or folder.endswith("mask"):
            continue
        mask = pictures[folder + "/mask/" + name]
        assert (mask.width, mask.height) == (canvas.width, canvas.height), path
        covered = 0
        for i in range(0, len(mask.pixels), 3):
            m = bytes(mask.pixels[i:i + 3])
            assert m in (b"\x00\x00\x00", b"\xff\xff\xff"), path + ": mask must be black or white"
            if m == b"\xff\xff\xff":
                # Where the scene shows through, the picture must be pure white.
                assert canvas.pixels[i:i + 3] == b"\xff\xff\xff", path
            else:
                covered += 1
        assert covered > 0, path


# ---------------------------------------------------------------------------
# Writing the game folder
# ---------------------------------------------------------------------------

def write_file(root, relative, data):
    path = os.path.join(root, *relative.split("/"))
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def game_files(pictures):
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
    for relative, canvas in pictures.items():
        files[relative] = encode_bmp(canvas)
    return files


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    root = argv[1] if len(argv) > 1 else os.path.join(here, "..", "games", "demo")
    pictures = all_pictures()
    check_pictures(pictures)
    check_story(SCENES, pictures)
    files = game_files(pictures)
    # The written BMPs must read back as the pictures that were drawn.
    for relative, canvas in pictures.items():
        assert decode_bmp(files[relative]).pixels == canvas.pixels, relative
    for relative, data in files.items():
        write_file(root, relative, data)
    print("wrote %d files to %s" % (len(files), os.path.normpath(root)))


if __name__ == "__main__":
    main(sys.argv)
