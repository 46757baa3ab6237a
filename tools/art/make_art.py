#!/usr/bin/env python3
"""Draws Quillet's icons and bitmaps and writes them as .ico and .bmp files.

Plain Python, no imaging library: the pictures are drawn from rectangles, circles and
a small built-in pixel font, and the file formats are written byte by byte.
Usage: python3 tools/art/make_art.py [OUTPUT_DIR]   (default: src/res next to this tool)
"""
import os
import struct
import sys

# --- the pixel font ---------------------------------------------------------------------
# Cells are 5 pixels wide and 10 rows high: rows 0-1 hold the accents of small letters,
# rows 1-7 capitals and ascenders, rows 3-7 the small letters, rows 8-9 descenders.
_BASE = {
    'Q': [".XXX.", "X...X", "X...X", "X...X", "X.X.X", "X..X.", ".XX.X", "....."],
    'T': ["XXXXX", "..X..", "..X..", "..X..", "..X..", "..X..", "..X.."],
    'V': ["X...X", "X...X", "X...X", "X...X", "X...X", ".X.X.", "..X.."],
    'a': [".XXX.", "....X", ".XXXX", "X...X", ".XXXX"],
    'c': [".XXX.", "X....", "X....", "X....", ".XXX."],
    'e': [".XXX.", "X...X", "XXXXX", "X....", ".XXX."],
    'n': ["XXXX.", "X...X", "X...X", "X...X", "X...X"],
    'o': [".XXX.", "X...X", "X...X", "X...X", ".XXX."],
    'r': ["X.XX.", "XX..X", "X....", "X....", "X...."],
    's': [".XXXX", "X....", ".XXX.", "....X", "XXXX."],
    'u': ["X...X", "X...X", "X...X", "X..XX", ".XX.X"],
    'z': ["XXXXX", "...X.", "..X..", ".X...", "XXXXX"],
    'ı': [".XX..", "..X..", "..X..", "..X..", ".XXX."],  # i without its dot
    'p': ["XXXX.", "X...X", "X...X", "XXXX.", "X....", "X....", "X...."],
    'j': ["..XX.", "...X.", "...X.", "...X.", "...X.", "X..X.", ".XX.."],
    'b': ["X....", "X....", "XXXX.", "X...X", "X...X", "X...X", "XXXX."],
    'd': ["....X", "....X", ".XXXX", "X...X", "X...X", "X...X", ".XXXX"],
    'h': ["X....", "X....", "XXXX.", "X...X", "X...X", "X...X", "X...X"],
    'k': ["X....", "X....", "X..X.", "X.X..", "XX...", "X.X..", "X..X."],
    'l': [".XX..", "..X..", "..X..", "..X..", "..X..", "..X..", ".XXX."],
    't': [".X...", ".X...", "XXXX.", ".X...", ".X...", ".X..X", "..XX."],
    '1': ["..X..", ".XX..", "..X..", "..X..", "..X..", "..X..", ".XXX."],
    '3': ["XXXX.", "....X", "....X", ".XXX.", "....X", "....X", "XXXX."],
    '.': [".....", ".....", ".....", ".....", ".....", ".XX..", ".XX.."],
    ' ': [],
}
_ACCENTS = {"acute": ["...X.", "..X.."], "caron": [".X.X.", "..X.."], "ring": ["..X..", ".X.X."],
            "dot": [".....", "..X.."]}
_COMPOSED = {'i': ('ı', "dot"), 'í': ('ı', "acute"), 'č': ('c', "caron"), 'ů': ('u', "ring"),
             'á': ('a', "acute"), 'ě': ('e', "caron"), 'ř': ('r', "caron"), 'š': ('s', "caron")}
_ASCENDING = set("QTV13bdhklt.")   # drawn from row 1
_DESCENDING = set("pj")            # small letters that reach rows 8-9


def glyph(ch):
    """The 10 rows of a character, as strings of '.' and 'X'."""
    rows = ["....."] * 10
    if ch in _COMPOSED:
        base, accent = _COMPOSED[ch]
        rows = glyph(base)
        rows[0:2] = _ACCENTS[accent]  # above the small letter, one row apart from it
        return rows
    shape = _BASE[ch]
    start = 1 if ch in _ASCENDING else 3
    for i, r in enumerate(shape):
        rows[start + i] = r
    return rows


# --- a tiny raster ------------------------------------------------------------------------
class Canvas:
    def __init__(self, width, height, colour):
        self.w, self.h = width, height
        self.px = [[colour] * width for _ in range(height)]
        self.alpha = [[255] * width for _ in range(height)]

    def put(self, x, y, colour):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = colour
            self.alpha[y][x] = 255

    def rect(self, x0, y0, x1, y1, colour):
        """Fills x0 <= x < x1, y0 <= y < y1."""
        for y in range(max(0, y0), min(self.h, y1)):
            for x in range(max(0, x0), min(self.w, x1)):
                self.put(x, y, colour)

    def frame(self, x0, y0, x1, y1, colour):
        self.rect(x0, y0, x1, y0 + 1, colour)
        self.rect(x0, y1 - 1, x1, y1, colour)
        self.rect(x0, y0, x0 + 1, y1, colour)
        self.rect(x1 - 1, y0, x1, y1, colour)

    def disc(self, cx, cy, r, colour):
        for y in range(int(cy - r) - 1, int(cy + r) + 2):
            for x in range(int(cx - r) - 1, int(cx + r) + 2):
                if (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 <= r * r:
                    self.put(x, y, colour)

    def text(self, x, y, s, colour, scale=1, bold=False, dots=False):
        """Draws s with its cell's top left at (x, y); returns the x after the text."""
        for ch in s:
            rows = glyph(ch)
            for gy, row in enumerate(rows):
                for gx, bit in enumerate(row):
                    if bit != 'X':
                        continue
                    px, py = x + gx * scale, y + gy * scale
                    if dots:  # each pixel a round needle dot, like a dot-matrix print
                        self.disc(px + scale / 2, py + scale / 2, scale * 0.55, colour)
                    else:
                        self.rect(px, py, px + scale * (2 if bold else 1), py + scale, colour)
            x += 6 * scale + (1 if bold else 0)
        return x

    def clear_alpha(self, colour):
        """Makes every pixel of this colour transparent (for icons)."""
        for y in range(self.h):
            for x in range(self.w):
                if self.px[y][x] == colour:
                    self.alpha[y][x] = 0


# --- the pictures ---------------------------------------------------------------------------
BLACK = (0, 0, 0)
WHITE = (255, 255, 255)
TEAL = (0, 128, 128)          # the logo's transparent background
DARK = (64, 64, 64)
GREY = (160, 160, 160)
LIGHT = (208, 208, 208)
NAVY = (0, 0, 128)
GREEN = (0, 192, 0)
BAR = (214, 238, 214)         # the green bars of continuous paper
HOLE = (96, 96, 96)
PERFORATION = (176, 176, 176)


def draw_printer(c, ox, oy, size, letter=None):
    """A small dot-matrix printer with a sheet in it, drawn in a size x size box."""
    k = size / 32.0

    def r(x0, y0, x1, y1, colour):
        c.rect(ox + round(x0 * k), oy + round(y0 * k), ox + round(x1 * k), oy + round(y1 * k), colour)

    # The sheet going in at the back, with lines of print.
    r(8, 1, 24, 14, DARK)
    r(9, 2, 23, 14, WHITE)
    if letter is None and size >= 24:
        for y in (5, 8, 11):
            r(11, y, 21, y + 1, GREY)
    # The body.
    r(2, 12, 30, 26, DARK)
    r(3, 13, 29, 25, GREY)
    r(3, 13, 29, 15, LIGHT)
    r(7, 16, 25, 18, DARK)        # the slot
    r(24, 20, 27, 22, GREEN)      # the power lamp
    # The printed paper coming out at the front.
    r(6, 22, 26, 31, DARK)
    r(7, 22, 25, 30, WHITE)
    if size >= 24:
        for y in (24, 27):
            r(9, y, 23, y + 1, GREY)
    if letter:
        # A capital on the sheet, one pixel per font dot, scaled to fit.
        scale = max(1, round(k))
        gx = ox + round(16 * k) - (5 * scale) // 2
        gy = oy + round(2 * k) - scale
        c.text(gx, gy, letter, NAVY, scale=scale)


def splash():
    w, h = 330, 111
    c = Canvas(w, h, WHITE)
    margin = 20
    # Green bars across the printable width, every other band of 14 pixels.
    for top in range(0, h, 28):
        c.rect(margin, top + 14, w - margin, top + 28, BAR)
    # Tractor-feed strips: perforation lines and punched holes on both edges.
    for x in (margin, w - margin - 1):
        for y in range(0, h, 4):
            c.rect(x, y, x + 1, y + 2, PERFORATION)
    for y in range(6, h, 14):
        c.disc(margin / 2, y + 0.5, 3.6, HOLE)
        c.disc(w - margin / 2, y + 0.5, 3.6, HOLE)
    # The name in needle dots, and the subtitle below it.
    title, scale = "Quillet", 6
    tw = len(title) * 6 * scale - scale
    c.text((w - tw) // 2, 2, title, NAVY, scale=scale, dots=True)
    subtitle = "Tisk prodejek a dodacích listů"
    sw = len(subtitle) * 7 - 1
    c.text((w - sw) // 2, 66, subtitle, BLACK, bold=True)
    version = "Verze 1.3"
    vw = len(version) * 6 - 1
    c.text((w - vw) // 2, 86, version, DARK)
    return c


def logo():
    w, h = 189, 35
    c = Canvas(w, h, TEAL)
    draw_printer(c, 4, 2, 31)
    # White under black, one pixel down and right, so the name reads on any background.
    c.text(47, 3, "Quillet", WHITE, scale=3)
    c.text(46, 2, "Quillet", BLACK, scale=3)
    return c


def icon_images(letter):
    # Each size Windows asks for at 100 to 200 % scaling, so that none is stretched.
    images = []
    for size in (64, 48, 40, 32, 24, 20, 16):
        c = Canvas(size, size, TEAL)
        draw_printer(c, 0, 0, size, letter if size >= 32 else None)
        c.clear_alpha(TEAL)
        images.append(c)
    return images


# --- file formats ---------------------------------------------------------------------------
def bmp24(c):
    stride = (c.w * 3 + 3) & ~3
    rows = []
    for y in range(c.h - 1, -1, -1):  # bottom-up
        row = bytearray()
        for (r, g, b) in c.px[y]:
            row += bytes((b, g, r))
        row += b"\0" * (stride - len(row))
        rows.append(bytes(row))
    pixels = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, c.w, c.h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return header + info + pixels


def ico(images):
    blobs = []
    for c in images:
        xor = bytearray()
        for y in range(c.h - 1, -1, -1):
            for x in range(c.w):
                r, g, b = c.px[y][x]
                a = c.alpha[y][x]
                xor += bytes((b, g, r, a)) if a else b"\0\0\0\0"
        mask_stride = ((c.w + 31) // 32) * 4
        mask = bytearray()
        for y in range(c.h - 1, -1, -1):
            row = bytearray(mask_stride)
            for x in range(c.w):
                if c.alpha[y][x] == 0:
                    row[x // 8] |= 0x80 >> (x % 8)
            mask += row
        info = struct.pack("<IiiHHIIiiII", 40, c.w, c.h * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
        blobs.append(info + bytes(xor) + bytes(mask))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for c, blob in zip(images, blobs):
        out += struct.pack("<BBBBHHII", c.w % 256, c.h % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    return out + b"".join(blobs)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "..", "src", "res")
    files = {
        "Splash.bmp": bmp24(splash()),
        "Logo.bmp": bmp24(logo()),
        "Quillet.ico": ico(icon_images("Q")),
        "Tray.ico": ico(icon_images(None)),
    }
    for name, data in files.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
