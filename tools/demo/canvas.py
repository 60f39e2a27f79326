"""A small raster canvas to paint the pictures on, and the BMP encoder.

Pixels are kept top-down as R, G, B bytes. Colours are (r, g, b) tuples.
Blending uses integer arithmetic so every run gives the same bytes. A
colour argument may also be a function of the row, for vertical gradients.
"""

import math
import struct

from demo.numbers import iround

MAIN_SIZE = (640, 480)      # the main picture the engine draws on
SUB_SIZE = (140, 140)       # the square at the left of the message window
FRAME_SIZE = (620, 150)     # message frame; the window lies 5 px inside it
CURSOR_SIZE = (32, 32)
TILE_SIZE = (64, 64)

WHITE = (255, 255, 255)
BLACK = (0, 0, 0)


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
