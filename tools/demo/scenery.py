"""The backgrounds of the story (640 x 480): the sea, the cape, the room at
the top of the lighthouse and the festival night with its lamp."""

import math

from demo.canvas import BLACK, MAIN_SIZE, WHITE, Canvas, mix, rows
from demo.numbers import Rng, iround


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
