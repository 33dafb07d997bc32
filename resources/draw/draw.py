#!/usr/bin/python3
"""Draws the monitor's pictures: pictures/skin.bmp, pictures/close.bmp, pictures/app.ico.

Everything is drawn SS times larger and scaled down with an area filter, which gives
anti-aliased curves while edges on whole pixels stay sharp. The skin's key colour (#999999)
is then made exact where the window region must cut it and nowhere else; the asserts at the
end check that before anything is written.
"""
import math
import os
import struct

from PIL import Image, ImageDraw

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.normpath(os.path.join(HERE, "..", "pictures"))

SS = 8  # supersampling factor

TEAL = (0x1C, 0x68, 0x8D)
TEAL_DARK = (0x12, 0x4C, 0x69)
TEAL_LIGHT = (0x3A, 0x8F, 0xB8)
WHITE = (255, 255, 255)
KEY = (0x99, 0x99, 0x99)

W, H = 360, 270
FRAME = 3
# Staircase of 3, 2 and 1 pixels at each corner: the pixels the window region leaves out.
CORNER_CUTS = {(x, y) for y, n in ((0, 3), (1, 2), (2, 1)) for x in range(n)}
CUTS = set()
for (cx, cy) in CORNER_CUTS:
    CUTS |= {(cx, cy), (W - 1 - cx, cy), (cx, H - 1 - cy), (W - 1 - cx, H - 1 - cy)}
# Key-coloured pixels inside the frame, in the stopwatch's bezel; the region keeps them.
INNER_KEYS = {(22, 230), (24, 231)}

# Where the popup draws its text: this must stay plain so the labels read well.
TITLE_AREA = (64, 8, 224, 47)        # two white title lines on the header, right/bottom inclusive
TEXT_COLUMN = (70, 62, 346, 258)     # black and navy labels on the panel
SEPARATOR_ROWS = (123, 203)          # thin rules between the sections, inside the text column


def mix(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


class Canvas:
    """An RGB picture drawn at SS times its size, in pixel coordinates of the final size."""

    def __init__(self, w, h, background):
        self.w, self.h = w, h
        self.img = Image.new("RGB", (w * SS, h * SS), background)

    def _mask(self):
        return Image.new("L", self.img.size, 0)

    @staticmethod
    def pt(x, y):
        return (x * SS, y * SS)

    def box(self, x0, y0, x1, y1):
        # A box [x0, x1) x [y0, y1) in final pixels, as PIL's inclusive box.
        return [x0 * SS, y0 * SS, x1 * SS - 1, y1 * SS - 1]

    def fill(self, shape, paint):
        """shape(draw) draws 255 into a mask; paint is a colour or an image of the canvas size."""
        mask = self._mask()
        shape(ImageDraw.Draw(mask))
        self.fill_mask(mask, paint)

    def fill_mask(self, mask, paint):
        if not isinstance(paint, Image.Image):
            paint = Image.new("RGB", self.img.size, paint)
        self.img = Image.composite(paint, self.img, mask)

    def vgradient(self, y0, y1, c0, c1):
        col = Image.new("RGB", (1, self.img.size[1]))
        for sy in range(self.img.size[1]):
            t = min(1.0, max(0.0, (sy / SS - y0) / max(1e-6, y1 - y0)))
            col.putpixel((0, sy), mix(c0, c1, t))
        return col.resize(self.img.size, Image.NEAREST)

    def dgradient(self, x0, y0, x1, y1, c0, c1):
        """Linear gradient from c0 at (x0, y0) to c1 at (x1, y1)."""
        small = Image.new("RGB", (self.w * 2, self.h * 2))
        dx, dy = x1 - x0, y1 - y0
        d2 = dx * dx + dy * dy
        px = small.load()
        for sy in range(small.size[1]):
            for sx in range(small.size[0]):
                t = ((sx / 2 - x0) * dx + (sy / 2 - y0) * dy) / d2
                px[sx, sy] = mix(c0, c1, min(1.0, max(0.0, t)))
        return small.resize(self.img.size, Image.BILINEAR)

    def circle(self, cx, cy, r):
        return lambda d: d.ellipse([(cx - r) * SS, (cy - r) * SS, (cx + r) * SS - 1,
                                    (cy + r) * SS - 1], fill=255)

    def ring(self, cx, cy, r_out, r_in):
        def shape(d):
            d.ellipse([(cx - r_out) * SS, (cy - r_out) * SS, (cx + r_out) * SS - 1,
                       (cy + r_out) * SS - 1], fill=255)
            d.ellipse([(cx - r_in) * SS, (cy - r_in) * SS, (cx + r_in) * SS - 1,
                       (cy + r_in) * SS - 1], fill=0)
        return shape

    def line(self, points, width, round_caps=True):
        def shape(d):
            pts = [self.pt(x, y) for x, y in points]
            d.line(pts, fill=255, width=int(round(width * SS)), joint="curve")
            if round_caps:
                r = width * SS / 2
                for (x, y) in (pts[0], pts[-1]):
                    d.ellipse([x - r, y - r, x + r, y + r], fill=255)
        return shape

    def polygon(self, points):
        return lambda d: d.polygon([self.pt(x, y) for x, y in points], fill=255)

    def arc_band(self, cx, cy, r_out, r_in, a0, a1, steps=48):
        """Ring segment between angles a0..a1 (degrees, counter-clockwise, 0 = right)."""
        outer = [(cx + r_out * math.cos(math.radians(a0 + (a1 - a0) * i / steps)),
                  cy - r_out * math.sin(math.radians(a0 + (a1 - a0) * i / steps)))
                 for i in range(steps + 1)]
        inner = [(cx + r_in * math.cos(math.radians(a1 - (a1 - a0) * i / steps)),
                  cy - r_in * math.sin(math.radians(a1 - (a1 - a0) * i / steps)))
                 for i in range(steps + 1)]
        return self.polygon(outer + inner)

    def result(self):
        return self.img.resize((self.w, self.h), Image.BOX)


def shield_points(x0, y0, x1, y1, steps=24):
    """A heater shield: a shallow peaked top, straight sides, curved flanks to the point."""
    w, h = x1 - x0, y1 - y0
    xc = (x0 + x1) / 2
    top_side = y0 + h * 0.10
    shoulder = y0 + h * 0.48

    def bezier(p0, p1, p2, n):
        return [((1 - t) ** 2 * p0[0] + 2 * (1 - t) * t * p1[0] + t * t * p2[0],
                 (1 - t) ** 2 * p0[1] + 2 * (1 - t) * t * p1[1] + t * t * p2[1])
                for t in (i / n for i in range(n + 1))]

    right = bezier((x1, shoulder), (x1, y0 + h * 0.86), (xc, y1), steps)
    left = bezier((xc, y1), (x0, y0 + h * 0.86), (x0, shoulder), steps)
    top_r = bezier((xc, y0), (xc + w * 0.25, y0 + h * 0.07), (x1, top_side), steps // 2)
    top_l = bezier((x0, top_side), (xc - w * 0.25, y0 + h * 0.07), (xc, y0), steps // 2)
    return top_r + [(x1, shoulder)] + right + left + top_l


def gauge_mark(c, cx, cy, r, paint, width, needle_angle):
    """The logo's inner mark: an open gauge arc with a needle and hub."""
    c.fill(c.arc_band(cx, cy, r, r - width, -30, 210), paint)
    a = math.radians(needle_angle)
    tip = (cx + (r - width * 1.6) * math.cos(a), cy - (r - width * 1.6) * math.sin(a))
    c.fill(c.line([(cx, cy), tip], width * 0.9), paint)
    c.fill(c.circle(cx, cy, width * 1.05), paint)


# ---------------------------------------------------------------- the skin

def draw_skin():
    c = Canvas(W, H, TEAL)

    # Header: plain teal where the titles go; a faint gauge watermark on its right.
    wm = mix(TEAL, WHITE, 0.07)
    c.fill(c.arc_band(272, 74, 56, 50, 38, 142), wm)
    c.fill(c.arc_band(272, 74, 43, 40, 44, 136), wm)

    # The white panel with rounded corners, (5, 53) to (353, 264) inclusive.
    def panel(inset):
        def shape(d):
            d.rounded_rectangle(c.box(5 + inset, 53 + inset, 354 - inset, 265 - inset),
                                radius=(9 - inset) * SS, fill=255)
        return shape
    c.fill(panel(0), mix(TEAL, WHITE, 0.55))   # soft inner edge of the teal frame
    c.fill(panel(1), WHITE)
    # A light wash at the top of the panel, under the header.
    wash = c.vgradient(54, 62, mix(TEAL, WHITE, 0.90), WHITE)
    mask = Image.new("L", c.img.size, 0)
    ImageDraw.Draw(mask).rounded_rectangle(c.box(6, 54, 353, 62), radius=8 * SS, fill=255)
    ImageDraw.Draw(mask).rectangle(c.box(6, 58, 353, 62), fill=255)
    c.fill_mask(mask, wash)
    for y in SEPARATOR_ROWS:
        c.fill(lambda d, y=y: d.rectangle(c.box(TEXT_COLUMN[0], y, TEXT_COLUMN[2] - 4, y + 1),
                                          fill=255), mix(TEAL, WHITE, 0.86))

    draw_logo(c)
    draw_gauge_icon(c)
    draw_padlock_icon(c)
    draw_stopwatch_icon(c)

    img = c.result()
    px = img.load()
    # A darker rim along the outline, following the cut corners.
    for y in range(H):
        for x in range(W):
            if (x, y) in CUTS:
                continue
            edge = x == 0 or y == 0 or x == W - 1 or y == H - 1
            near_cut = any((x + dx, y + dy) in CUTS for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
            if edge or near_cut:
                px[x, y] = TEAL_DARK
    return finish_keys(img)


def draw_logo(c):
    # A white shield, a teal field inside it, and a white gauge mark: about x 23..53, y 8..41.
    c.fill(c.polygon(shield_points(23.5, 8.2, 53.5, 41.6)), WHITE)
    c.fill(c.polygon(shield_points(26.0, 11.0, 51.0, 38.2)),
           c.dgradient(30, 11, 46, 38, TEAL_LIGHT, TEAL_DARK))
    gauge_mark(c, 38.5, 25.5, 8.5, WHITE, 2.2, 55)
    c.fill(c.circle(38.5, 25.5, 1.0), TEAL_DARK)


def draw_gauge_icon(c):
    # A dial at x 20..62, rows 69..103: coloured scale from red to green, needle on green.
    cx, cy, r = 41.0, 86.5, 17.0
    c.fill(c.circle(cx, cy + 0.6, r), mix(TEAL, WHITE, 0.80))                 # soft shadow
    c.fill(c.circle(cx, cy, r), c.dgradient(30, 72, 52, 102, TEAL_LIGHT, TEAL_DARK))
    c.fill(c.circle(cx, cy, r - 2.4), c.vgradient(70, 102, (0xFB, 0xFD, 0xFE), (0xDC, 0xEA, 0xF0)))
    scale = [((0xE0, 0x4B, 0x3A), 225, 165), ((0xF2, 0x9B, 0x30), 163, 108),
             ((0xF4, 0xCB, 0x3C), 106, 52), ((0x5C, 0xB8, 0x4A), 50, -45)]
    for colour, a0, a1 in scale:
        c.fill(c.arc_band(cx, cy, r - 3.6, r - 6.6, a1, a0), colour)
    for i in range(9):
        a = math.radians(225 - i * 270 / 8)
        p0 = (cx + (r - 7.4) * math.cos(a), cy - (r - 7.4) * math.sin(a))
        p1 = (cx + (r - 9.2) * math.cos(a), cy - (r - 9.2) * math.sin(a))
        c.fill(c.line([p0, p1], 0.9), TEAL_DARK)
    a = math.radians(30)
    tip = (cx + (r - 5.0) * math.cos(a), cy - (r - 5.0) * math.sin(a))
    tail = (cx - 3.0 * math.cos(a), cy + 3.0 * math.sin(a))
    c.fill(c.line([tail, tip], 1.7), (0xD0, 0x3B, 0x2C))
    c.fill(c.circle(cx, cy, 2.6), TEAL_DARK)
    c.fill(c.circle(cx - 0.5, cy - 0.5, 0.9), mix(TEAL, WHITE, 0.5))
    # Reading window at the bottom of the dial.
    c.fill(lambda d: d.rounded_rectangle(c.box(35, 94, 47, 99), radius=2 * SS, fill=255),
           TEAL)


def draw_padlock_icon(c):
    # A padlock with a cleaning brush across it: x 20..62, rows 135..166.
    cx = 33.0
    # Shackle.
    c.fill(c.arc_band(cx, 145.0, 8.6, 5.2, 0, 180), c.vgradient(136, 146, (0xC9, 0xD3, 0xDA),
                                                                    (0x7E, 0x8C, 0x96)))
    c.fill(lambda d: d.rectangle(c.box(cx - 8.6, 145, cx - 5.2, 151), fill=255), (0x86, 0x94, 0x9E))
    c.fill(lambda d: d.rectangle(c.box(cx + 5.2, 145, cx + 8.6, 151), fill=255), (0x86, 0x94, 0x9E))
    # Body.
    c.fill(lambda d: d.rounded_rectangle(c.box(21.5, 149.5, 44.5, 166.5), radius=3.5 * SS,
                                         fill=255), TEAL_DARK)
    c.fill(lambda d: d.rounded_rectangle(c.box(22.5, 150.5, 43.5, 165.5), radius=2.8 * SS,
                                         fill=255),
           c.vgradient(150, 166, TEAL_LIGHT, TEAL))
    c.fill(lambda d: d.rectangle(c.box(24, 152, 42, 153), fill=255), mix(TEAL_LIGHT, WHITE, 0.35))
    # Keyhole.
    c.fill(c.circle(cx, 156.5, 2.3), WHITE)
    c.fill(c.polygon([(cx - 1.1, 157), (cx + 1.1, 157), (cx + 1.6, 162.5), (cx - 1.6, 162.5)]),
           WHITE)
    # Brush: handle from the upper right, bristles fanning out at the lower left.
    outline = WHITE
    handle = [(60.5, 136.0), (50.0, 151.5)]
    c.fill(c.line(handle, 5.4), outline)
    c.fill(c.line(handle, 3.2), c.dgradient(52, 140, 60, 146, (0xE8, 0xA0, 0x4E), (0xB8, 0x6A, 0x22)))
    ferrule = [(50.8, 150.2), (47.6, 155.0)]
    c.fill(c.line(ferrule, 6.4, round_caps=False), outline)
    c.fill(c.line(ferrule, 4.6, round_caps=False), c.vgradient(150, 156, (0xD7, 0xDE, 0xE3),
                                                                 (0x8A, 0x97, 0xA0)))
    bristles = [(45.2, 153.2), (51.6, 157.4), (47.0, 166.8), (38.6, 163.4)]
    c.fill(c.polygon(bristles), c.dgradient(48, 155, 42, 166, (0xF7, 0xD7, 0x62), (0xE2, 0xA8, 0x2A)))
    for t in (0.3, 0.55, 0.8):
        p0 = (45.2 + (51.6 - 45.2) * t, 153.2 + (157.4 - 153.2) * t)
        p1 = (38.6 + (47.0 - 38.6) * t, 163.4 + (166.8 - 163.4) * t)
        c.fill(c.line([p0, p1], 0.6, round_caps=False), (0xC8, 0x8A, 0x1E))
    # Sparkles: the brush leaves things clean.
    for (sx, sy, s) in ((56.5, 161.0, 2.6), (60.0, 154.5, 1.7)):
        c.fill(c.polygon([(sx, sy - s), (sx + s * 0.3, sy - s * 0.3), (sx + s, sy),
                          (sx + s * 0.3, sy + s * 0.3), (sx, sy + s), (sx - s * 0.3, sy + s * 0.3),
                          (sx - s, sy), (sx - s * 0.3, sy - s * 0.3)]), (0x5C, 0xB8, 0x4A))


def draw_stopwatch_icon(c):
    # A stopwatch at x 20..62, rows 200..244; its silver bezel holds the two inner key pixels.
    cx, cy, r = 41.0, 224.5, 20.0
    # Crown and stem.
    c.fill(lambda d: d.rounded_rectangle(c.box(36.5, 200, 45.5, 203.4), radius=1.2 * SS, fill=255),
           c.vgradient(200, 203.4, (0xCF, 0xD6, 0xDB), (0x80, 0x8A, 0x92)))
    c.fill(lambda d: d.rectangle(c.box(39, 203, 43, 205.5), fill=255), (0x8E, 0x98, 0x9F))
    # Side button at one o'clock.
    a = math.radians(50)
    b0 = (cx + (r - 1) * math.cos(a), cy - (r - 1) * math.sin(a))
    b1 = (cx + (r + 2.6) * math.cos(a), cy - (r + 2.6) * math.sin(a))
    c.fill(c.line([b0, b1], 3.4, round_caps=False), (0x8E, 0x98, 0x9F))
    # Case: a neutral silver ring, lit from the upper left.
    c.fill(c.circle(cx, cy, r), c.dgradient(26, 208, 56, 242, (0xD8, 0xD8, 0xD8), (0x86, 0x86, 0x86)))
    c.fill(c.ring(cx, cy, r - 0.8, r - 1.6), c.dgradient(26, 208, 56, 242, (0xEE, 0xEE, 0xEE),
                                                          (0x9C, 0x9C, 0x9C)))
    # Face.
    c.fill(c.circle(cx, cy, r - 3.4), TEAL_DARK)
    c.fill(c.circle(cx, cy, r - 4.2), c.vgradient(206, 242, (0xFF, 0xFF, 0xFF), (0xE4, 0xEF, 0xF4)))
    # The running interval, from twelve to the hand.
    hand = 40  # degrees past twelve, clockwise
    sector = [(cx, cy)] + [(cx + (r - 6.0) * math.sin(math.radians(t)),
                            cy - (r - 6.0) * math.cos(math.radians(t)))
                           for t in range(0, hand + 1, 2)]
    c.fill(c.polygon(sector), mix(TEAL_LIGHT, WHITE, 0.62))
    for i in range(12):
        t = math.radians(i * 30)
        long = i % 3 == 0
        r0, r1 = r - 5.0, r - (7.6 if long else 6.4)
        c.fill(c.line([(cx + r0 * math.sin(t), cy - r0 * math.cos(t)),
                       (cx + r1 * math.sin(t), cy - r1 * math.cos(t))], 1.3 if long else 0.8,
                      round_caps=False), TEAL_DARK)
    t = math.radians(hand)
    c.fill(c.line([(cx - 3 * math.sin(t), cy + 3 * math.cos(t)),
                   (cx + (r - 6.4) * math.sin(t), cy - (r - 6.4) * math.cos(t))], 1.4),
           (0xD0, 0x3B, 0x2C))
    t = math.radians(-60)
    c.fill(c.line([(cx, cy), (cx + 7.5 * math.sin(t), cy - 7.5 * math.cos(t))], 1.8), TEAL_DARK)
    c.fill(c.circle(cx, cy, 2.0), TEAL_DARK)
    c.fill(c.circle(cx, cy, 0.8), (0xD0, 0x3B, 0x2C))


def finish_keys(img):
    """Makes the key colour exact at the cut and inner key pixels, and nowhere else."""
    px = img.load()
    for y in range(H):
        for x in range(W):
            if px[x, y] == KEY:
                px[x, y] = (0x99, 0x99, 0x9A)  # invisible step away from the key colour
    for p in CUTS | INNER_KEYS:
        px[p] = KEY
    return img


def check_skin(img):
    assert img.size == (W, H) and img.mode == "RGB"
    px = img.load()
    assert px[0, 0] == KEY
    keys = {(x, y) for y in range(H) for x in range(W) if px[x, y] == KEY}
    in_frame = {p for p in keys if p[0] < FRAME or p[1] < FRAME or p[0] >= W - FRAME
                or p[1] >= H - FRAME}
    assert len(CUTS) == 24 and in_frame == CUTS, sorted(in_frame ^ CUTS)
    assert keys - in_frame == INNER_KEYS, sorted(keys - in_frame)
    # Plain backgrounds under the text.
    x0, y0, x1, y1 = TITLE_AREA
    assert all(px[x, y] == TEAL for y in range(y0, y1 + 1) for x in range(x0, x1 + 1))
    x0, y0, x1, y1 = TEXT_COLUMN
    assert all(px[x, y] == WHITE for y in range(y0, y1 + 1) for x in range(x0, x1 + 1)
               if y not in SEPARATOR_ROWS)
    # Teal header, white panel.
    assert px[5, 20] == TEAL and px[200, 52] == TEAL and px[200, 53] != WHITE
    assert px[200, 150] == WHITE and px[354, 150] == TEAL and px[200, 265] == TEAL


# ---------------------------------------------------------------- the close button

def draw_close(skin):
    # Opaque, on the skin's own pixels behind it, so no seam shows.
    c = Canvas(20, 20, TEAL)
    behind = skin.crop((332, 12, 352, 32)).resize(c.img.size, Image.NEAREST)
    c.img = behind.copy()
    c.fill(lambda d: d.rounded_rectangle(c.box(1.5, 1.5, 18.5, 18.5), radius=4.2 * SS, fill=255),
           mix(TEAL, WHITE, 0.35))
    c.fill(lambda d: d.rounded_rectangle(c.box(2.3, 2.3, 17.7, 17.7), radius=3.6 * SS, fill=255),
           c.vgradient(2, 18, (0xF6, 0xFA, 0xFC), (0xD4, 0xE4, 0xEC)))
    c.fill(c.line([(6.6, 6.6), (13.4, 13.4)], 2.3), TEAL)
    c.fill(c.line([(13.4, 6.6), (6.6, 13.4)], 2.3), TEAL)
    return c.result()


def check_close(img, skin):
    assert img.size == (20, 20) and img.mode == "RGB"
    assert img.getpixel((0, 0)) == skin.getpixel((332, 12))
    assert img.getpixel((4, 10))[0] > 200 and img.getpixel((10, 10))[0] < 100  # light square, teal cross


# ---------------------------------------------------------------- the program icon

ICON_SIZES = (128, 48, 32, 16)


def draw_icon(size):
    """The program's mark on a transparent ground: a teal shield with a white gauge."""
    s = 8
    n = size * s
    u = n / 32.0  # the design grid is 32 units across
    rgba = Image.new("RGBA", (n, n), (0, 0, 0, 0))

    def layer(points, paint):
        mask = Image.new("L", (n, n), 0)
        ImageDraw.Draw(mask).polygon([(x * u, y * u) for x, y in points], fill=255)
        src = paint if isinstance(paint, Image.Image) else Image.new("RGBA", (n, n), paint + (255,))
        rgba.alpha_composite(Image.composite(src, Image.new("RGBA", (n, n), (0, 0, 0, 0)), mask))

    def grad(c0, c1):
        col = Image.new("RGBA", (1, n))
        for y in range(n):
            col.putpixel((0, y), mix(c0, c1, y / n) + (255,))
        return col.resize((n, n), Image.NEAREST)

    small = size <= 16
    border = 1.6 if small else 1.9
    layer(shield_points(2.4, 1.2, 29.6, 31.2), TEAL_DARK)
    layer(shield_points(2.4 + border * 0.55, 1.2 + border * 0.5, 29.6 - border * 0.55,
                        31.2 - border * 0.8), WHITE)
    layer(shield_points(2.4 + border * 1.3, 1.2 + border * 1.2, 29.6 - border * 1.3,
                        31.2 - border * 1.9), grad(TEAL_LIGHT, TEAL_DARK))

    def draw_shape(fn, paint):
        mask = Image.new("L", (n, n), 0)
        fn(ImageDraw.Draw(mask))
        src = Image.new("RGBA", (n, n), paint + (255,))
        rgba.alpha_composite(Image.composite(src, Image.new("RGBA", (n, n), (0, 0, 0, 0)), mask))

    cx, cy = 16 * u, 15.2 * u
    r, wdt = (8.8 if small else 9.0) * u, (3.0 if small else 2.6) * u

    def arc(d):
        d.pieslice([cx - r, cy - r, cx + r, cy + r], 150, 390, fill=255)
        d.ellipse([cx - r + wdt, cy - r + wdt, cx + r - wdt, cy + r - wdt], fill=0)
        d.pieslice([cx - r - 1, cy - r - 1, cx + r + 1, cy + r + 1], 30, 150, fill=0)
    draw_shape(arc, WHITE)
    if not small:
        def green(d):
            d.pieslice([cx - r, cy - r, cx + r, cy + r], 300, 390, fill=255)
            d.ellipse([cx - r + wdt, cy - r + wdt, cx + r - wdt, cy + r - wdt], fill=0)
            d.pieslice([cx - r - 1, cy - r - 1, cx + r + 1, cy + r + 1], 30, 150, fill=0)
        draw_shape(green, (0x6C, 0xC2, 0x4A))
    a = math.radians(50)
    tip = (cx + (r - wdt * 1.5) * math.cos(a), cy - (r - wdt * 1.5) * math.sin(a))
    nw = (2.6 if small else 1.9) * u

    def needle(d):
        d.line([(cx, cy), tip], fill=255, width=int(nw))
        d.ellipse([tip[0] - nw / 2, tip[1] - nw / 2, tip[0] + nw / 2, tip[1] + nw / 2], fill=255)
        hub = (3.0 if small else 2.6) * u
        d.ellipse([cx - hub, cy - hub, cx + hub, cy + hub], fill=255)
    draw_shape(needle, WHITE)
    if not small:
        # A clean sweep under the gauge.
        def base(d):
            d.rounded_rectangle([10.5 * u, 21.8 * u, 21.5 * u, 23.8 * u], radius=1.0 * u, fill=255)
        draw_shape(base, WHITE)

    pre = rgba.convert("RGBa").resize((size, size), Image.BOX)
    return pre.convert("RGBA")


def ico_bytes(images):
    """An ICO of plain 32-bpp DIB images (BGRA with alpha, plus the 1-bpp AND mask)."""
    entries, blobs = [], []
    for img in images:
        w, h = img.size
        header = struct.pack("<IiiHHIIiiII", 40, w, 2 * h, 1, 32, 0, 0, 0, 0, 0, 0)
        px = img.load()
        xor = bytearray()
        for y in range(h - 1, -1, -1):
            for x in range(w):
                r, g, b, a = px[x, y]
                xor += bytes((b, g, r, a))
        stride = ((w + 31) // 32) * 4
        mask = bytearray()
        for y in range(h - 1, -1, -1):
            row = bytearray(stride)
            for x in range(w):
                if px[x, y][3] == 0:
                    row[x // 8] |= 0x80 >> (x % 8)
            mask += row
        blob = header + bytes(xor) + bytes(mask)
        blobs.append(blob)
        entries.append((w if w < 256 else 0, h if h < 256 else 0, len(blob)))
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for (w, h, size), blob in zip(entries, blobs):
        out += struct.pack("<BBBBHHII", w, h, 0, 0, 1, 32, size, offset)
        offset += size
    for blob in blobs:
        out += blob
    return bytes(out)


def check_bmp24(path, size):
    with open(path, "rb") as f:
        data = f.read()
    assert data[:2] == b"BM"
    hsize, w, h, planes, bpp, comp = struct.unpack_from("<IiiHHI", data, 14)
    assert (hsize, w, h, planes, bpp, comp) == (40, size[0], size[1], 1, 24, 0), path


def main():
    os.makedirs(OUT, exist_ok=True)
    skin = draw_skin()
    check_skin(skin)
    close = draw_close(skin)
    check_close(close, skin)
    skin.save(os.path.join(OUT, "skin.bmp"))   # PIL writes 24-bit BI_RGB, bottom-up
    close.save(os.path.join(OUT, "close.bmp"))
    check_bmp24(os.path.join(OUT, "skin.bmp"), (W, H))
    check_bmp24(os.path.join(OUT, "close.bmp"), (20, 20))
    check_skin(Image.open(os.path.join(OUT, "skin.bmp")).convert("RGB"))
    icons = [draw_icon(s) for s in ICON_SIZES]
    with open(os.path.join(OUT, "app.ico"), "wb") as f:
        f.write(ico_bytes(icons))
    print("wrote", os.path.join(OUT, "skin.bmp"), "close.bmp", "app.ico")


if __name__ == "__main__":
    main()
