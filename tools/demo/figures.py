"""The characters: 凪 (Nagi), her two faces for the sub window, and her
grandmother.

A masked picture comes as a pair: the picture, white wherever the scene
behind is to show, and its mask, black where the figure covers and white
elsewhere. Both are drawn by the same function with a different "ink":
real colours for the picture, black for the mask, so the two always match.
"""

from demo.canvas import BLACK, SUB_SIZE, WHITE, Canvas, arc, mix, rows


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
