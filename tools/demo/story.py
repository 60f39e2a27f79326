"""The story of the demo, "灯台の手紙" (The Lighthouse Letter), and its settings.

The records are kept here as Python data; scene_text.py writes them as the
game's text files. Each message line should stay within 20 full-width
characters (40 bytes in CP932): a line shows in a 450 px label at about 21 px
per full-width character.
"""

TITLE = "灯台の手紙"

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
