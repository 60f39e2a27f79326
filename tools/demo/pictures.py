"""The window's pictures (background tile, message frame, the two cursors)
and the list of every picture of the game."""

import math

from demo.canvas import CURSOR_SIZE, FRAME_SIZE, SUB_SIZE, TILE_SIZE, WHITE, Canvas, rotated_ellipse
from demo.figures import draw_girl, draw_grandma, masked_pair, paint_face
from demo.numbers import iround
from demo.scenery import paint_cape, paint_night, paint_room, paint_sea
from demo.title import paint_title


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
