#!/usr/bin/env python3
"""Draws the dialog artwork of Quorvel into res/art/ as 24-bit BMP files.

Deterministic: no randomness, no fonts, only this script's arithmetic, so the
same script always gives the same bytes. Run from anywhere:
    python3 tools/make_artwork.py

- button.bmp (160 x 50, the About dialog's) and button_wide.bmp (200 x 56,
  the Home dialog's, whose captions are longer): the templates of the
  picture buttons. Near-white
  areas become the button's face colour at run time (blue, light yellow on
  hover, black when pressed); the darker pixels stay as drawn: the rounded
  corners in the dialog background colour and a soft lower edge.
- header.bmp: the Home dialog's header, a dusk panorama of hills.
- logo_large.bmp (626 x 362) and logo_small.bmp (447 x 258): the About
  dialog's logo, the same panorama inside a matting-board frame.
- board_thumbnail.bmp (100 x 100): the canvas of the Matting boards panel's
  thumbnails, which gives their size; each board is drawn over it.
- button_photos.bmp (128 x 30) and button_half.bmp (76 x 29): the Photos
  panel's picture buttons; button_on.bmp (128 x 30) is an effect button
  while its preview is on, ringed so that the "on" state shows.
- photo_thumbnail.bmp (80 x 59): the carrier of the Photos panel's
  thumbnails, which gives their size.
- glyph_XX.bmp (48 x 48) and res/Glyphs.rc: the buttons' own pictures of
  their glyphs, for systems whose glyph font lacks them.
"""
import math
import os
import struct

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUT = os.path.join(ROOT, "res", "art")

# The dialog background, RGB(0x28, 0x24, 0x50).
BACKGROUND = (0x28, 0x24, 0x50)


def write_bmp(path, width, height, pixel):
    """pixel(x, y) -> (r, g, b) with y = 0 the top row."""
    row_bytes = (width * 3 + 3) & ~3
    data = bytearray()
    for y in range(height - 1, -1, -1):  # BMP rows run bottom-up
        row = bytearray()
        for x in range(width):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        row += b"\0" * (row_bytes - width * 3)
        data += row
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


def mix(a, b, t):
    t = max(0.0, min(1.0, t))
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


def button(x, y, w, h, radius=9):
    # Outside the rounded corners: the dialog background, so the corners
    # vanish into the panel.
    cx = min(max(x, radius), w - 1 - radius)
    cy = min(max(y, radius), h - 1 - radius)
    if (x - cx) ** 2 + (y - cy) ** 2 > radius * radius:
        return BACKGROUND
    # A two-pixel lower edge and a hairline after the glyph area give depth;
    # both are dark enough to be kept on every face.
    if y >= h - 3:
        return (0x1C, 0x19, 0x3A)
    if x == 38 and 10 <= y <= h - 12:
        return (0x5A, 0x52, 0xA8)
    return (255, 255, 255)


def button_on(x, y, w, h):
    colour = button(x, y, w, h, radius=7)
    inner = min(x - 2, w - 3 - x, y - 2, h - 5 - y)
    if colour == (255, 255, 255) and 0 <= inner <= 1:
        return (0xE0, 0x60, 0x30)
    return colour


def hills(u, v):
    """The panorama at u, v in 0..1 (v = 0 at the top)."""
    sky_top = BACKGROUND
    sky_low = (0xC8, 0x78, 0x6A)
    colour = mix(sky_top, sky_low, (v - 0.05) / 0.75)
    # A low sun with a soft glow.
    d = math.hypot((u - 0.68) * 2.2, v - 0.52)
    if d < 0.09:
        colour = (0xF6, 0xD8, 0x9A)
    elif d < 0.35:
        colour = mix((0xF0, 0xB0, 0x80), colour, (d - 0.09) / 0.26)
    # Three ranges of hills, nearer ones darker.
    ranges = [
        (0.55, 0.08, (0x5A, 0x3E, 0x6E), 3.1, 0.0),
        (0.66, 0.07, (0x3C, 0x2C, 0x5A), 5.3, 1.7),
        (0.78, 0.06, (0x22, 0x1C, 0x3C), 8.2, 4.1),
    ]
    for base, amp, tone, freq, phase in ranges:
        ridge = base - amp * (0.6 * math.sin(u * freq + phase) + 0.4 * math.sin(u * freq * 2.3 + phase * 1.9))
        if v >= ridge:
            colour = mix(tone, (0x14, 0x10, 0x28), (v - ridge) * 1.5)
    return colour


def framed(x, y, w, h):
    band = max(8, w // 22)
    if band <= x < w - band and band <= y < h - band:
        return hills((x - band) / (w - 2 * band), (y - band) / (h - 2 * band))
    # The matting board: a warm grey with a fine weave, and a thin bevel
    # where it meets the picture.
    inner = min(x - band + 1, w - band - x, y - band + 1, h - band - y)
    if -2 <= inner <= 0:
        return (0xD8, 0xCF, 0xC0)
    weave = ((x * 7 + y * 3) % 11) - 5
    return (0x8E + weave, 0x84 + weave, 0x96 + weave)


# --- glyph pictures -----------------------------------------------------------
# Where the glyph font (WebDings) lacks a glyph the buttons use (Wine ships a
# WebDings with almost none, and stripped Windows images may have none), the
# buttons draw these instead: white shapes on black, coloured at run time.
# Strokes are thick so that they survive being drawn at about 20 pixels.
GLYPH_SIZE = 48
GLYPH_RESOURCE_BASE = 3300  # IDB_GLYPH_PICTURES in res/resource.h


def seg(px, py, ax, ay, bx, by):
    """Distance from (px, py) to the segment a-b."""
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / float(dx * dx + dy * dy)))
    return math.hypot(px - ax - t * dx, py - ay - t * dy)


def in_rect(x, y, left, top, right, bottom):
    return left <= x <= right and top <= y <= bottom


def in_frame(x, y, left, top, right, bottom, width):
    return in_rect(x, y, left, top, right, bottom) and not in_rect(
        x, y, left + width, top + width, right - width, bottom - width)


def lock(x, y):
    shackle = abs(math.hypot(x - 24, y - 18) - 10) <= 3 and y <= 20
    return in_rect(x, y, 9, 20, 39, 42) or shackle or (in_rect(x, y, 11, 16, 17, 20) or in_rect(x, y, 31, 16, 37, 20))


def moon(x, y):
    return math.hypot(x - 24, y - 24) <= 18 and math.hypot(x - 33, y - 17) > 15


def pencil(x, y):
    return seg(x, y, 12, 36, 38, 10) <= 4.5 or seg(x, y, 7, 41, 12, 36) <= 2


def pencil_on_line(x, y):
    return seg(x, y, 14, 30, 38, 6) <= 4.5 or seg(x, y, 9, 35, 14, 30) <= 2 or in_rect(x, y, 6, 39, 42, 43)


def import_tray(x, y):
    arrow = seg(x, y, 24, 4, 24, 26) <= 3 or seg(x, y, 14, 18, 24, 28) <= 3 or seg(x, y, 34, 18, 24, 28) <= 3
    tray = in_rect(x, y, 6, 38, 42, 43) or in_rect(x, y, 6, 28, 10, 43) or in_rect(x, y, 38, 28, 42, 43)
    return arrow or tray


def picture(x, y):
    frame = in_frame(x, y, 4, 8, 43, 40, 3)
    mountain = y >= 36 - 0.9 * (14 - abs(x - 20)) and in_rect(x, y, 8, 20, 39, 37)
    sun = math.hypot(x - 33, y - 17) <= 4
    return frame or mountain or sun


def monitor(x, y):
    return (in_frame(x, y, 4, 6, 43, 34, 3) or in_rect(x, y, 21, 34, 27, 40) or in_rect(x, y, 13, 40, 35, 43))


def speech(x, y):
    bubble = ((x - 24) / 20.0) ** 2 + ((y - 20) / 14.0) ** 2 <= 1
    tail = seg(x, y, 14, 30, 9, 42) <= 3
    return bubble or tail


def power(x, y):
    r = math.hypot(x - 24, y - 26)
    ring = abs(r - 15) <= 3 and not (y < 22 and abs(x - 24) < 8)
    return ring or in_rect(x, y, 21, 4, 27, 26)


def matting(x, y):
    return in_frame(x, y, 4, 4, 43, 43, 4) or in_frame(x, y, 13, 13, 34, 34, 3)


def pages(x, y):
    return in_frame(x, y, 4, 4, 29, 33, 3) or in_frame(x, y, 17, 14, 43, 43, 3)


def document(x, y):
    lines = any(in_rect(x, y, 14, top, 33, top + 2) for top in (14, 21, 28, 35))
    return in_frame(x, y, 8, 3, 39, 44, 3) or lines


def bin_can(x, y):
    body = in_rect(x, y, 11, 14, 36, 44) and not any(in_rect(x, y, c, 18, c + 2, 40) for c in (16, 23, 30))
    return body or in_rect(x, y, 6, 8, 41, 11) or in_rect(x, y, 18, 3, 29, 7)


def wrench(x, y):
    head = abs(math.hypot(x - 33, y - 14) - 8) <= 4 and not seg(x, y, 33, 14, 44, 3) <= 3.5
    return head or seg(x, y, 10, 38, 28, 20) <= 4


def letter_a(x, y):
    return seg(x, y, 24, 5, 9, 43) <= 3.5 or seg(x, y, 24, 5, 39, 43) <= 3.5 or in_rect(x, y, 15, 28, 33, 31)


def folder(x, y):
    return in_rect(x, y, 4, 14, 43, 40) or in_rect(x, y, 4, 9, 20, 14)


def badge(x, y):
    return math.hypot(x - 37, y - 37) <= 8


def magnifier(x, y):
    return abs(math.hypot(x - 20, y - 20) - 12) <= 3 or seg(x, y, 29, 29, 42, 42) <= 4


def leaf(x, y):
    body = ((x - y) / 30.0) ** 2 * 2 + ((x + y - 48) / 20.0) ** 2 * 2 <= 1
    return body or seg(x, y, 10, 38, 24, 24) <= 1.5 and not body or seg(x, y, 6, 42, 12, 36) <= 2


def sun(x, y):
    r = math.hypot(x - 24, y - 24)
    angle = math.atan2(y - 24, x - 24)
    ray = 14 <= r <= 21 and abs(((angle / (math.pi / 4)) + 0.5) % 1 - 0.5) < 0.12
    return r <= 10 or ray


def snowflake(x, y):
    return any(seg(x, y, 24 - 19 * math.cos(a), 24 - 19 * math.sin(a), 24 + 19 * math.cos(a),
                   24 + 19 * math.sin(a)) <= 2.5 for a in (0, math.pi / 3, 2 * math.pi / 3))


def check(x, y):
    return seg(x, y, 8, 26, 19, 37) <= 4 or seg(x, y, 19, 37, 40, 11) <= 4


def triangle(points):
    (ax, ay), (bx, by), (cx, cy) = points

    def inside(x, y):
        d1 = (x - bx) * (ay - by) - (ax - bx) * (y - by)
        d2 = (x - cx) * (by - cy) - (bx - cx) * (y - cy)
        d3 = (x - ax) * (cy - ay) - (cx - ax) * (y - ay)
        return not ((d1 < 0 or d2 < 0 or d3 < 0) and (d1 > 0 or d2 > 0 or d3 > 0))
    return inside


def arrow(direction):
    def shape(x, y):
        if direction < 0:
            x = 48 - x
        return seg(x, y, 6, 24, 34, 24) <= 3 or triangle(((44, 24), (30, 12), (30, 36)))(x, y)
    return shape


def turn(direction):
    def shape(x, y):
        if direction < 0:
            x = 48 - x
        r = math.hypot(x - 24, y - 28)
        arc = abs(r - 14) <= 3 and (y <= 28 or x >= 24)
        return arc or triangle(((2, 22), (18, 22), (10, 34)))(x, y)
    return shape


# Glyph code (low byte; WebDings also answers at 0xF000 plus it) -> picture.
# Glyphs of a text font (arrows) have ids of their own above 0xFF, in the
# order of TEXT_GLYPHS, as ui/ButtonFaces.h's GlyphPictureOffset says.
TEXT_GLYPHS = [0x2190, 0x2192, 0x21B6, 0x21B7]
GLYPH_PICTURES = {
    0x100: arrow(-1),      # U+2190, fit to window
    0x101: arrow(1),       # U+2192
    0x102: turn(1),        # U+21B6, rotate left
    0x103: turn(-1),       # U+21B7, rotate right
    0xAC: folder,          # Change album
    0x3B: badge,           # the second album's mark over the folder
    0x4C: magnifier,       # Actual size
    0xDF: leaf,            # Fall
    0xD5: sun,             # Summer
    0xDA: snowflake,       # Winter
    0x71: check,           # an effect preview that is on
    0x33: triangle(((6, 24), (38, 6), (38, 42))),   # shift left
    0x34: triangle(((42, 24), (10, 6), (10, 42))),  # shift right
    0x35: triangle(((24, 6), (6, 38), (42, 38))),   # up
    0x36: triangle(((24, 42), (6, 10), (42, 10))),  # down
    0xCF: lock,            # Lock
    0xE0: moon,            # Sleep
    0x28: pencil,          # Update phrase
    0x29: pencil_on_line,  # Update saver phrase
    0xD2: import_tray,     # Import album, import mattings
    0xA2: picture,         # Photos panel
    0xBE: monitor,         # Monitors panel
    0x5F: speech,          # Phrases panel
    0xC0: power,           # Power panel
    0xA3: matting,         # Mattings panel
    0xD3: pages,           # Copy the error log
    0x9D: document,        # Terms
    0x3F: bin_can,         # Clean up
    0x40: wrench,          # Repair
    0x3E: letter_a,        # Select font
}


def write_glyph_pictures():
    lines = ["// The buttons' own pictures of their glyphs, drawn by tools/make_artwork.py:",
             "// resource IDB_GLYPH_PICTURES plus GlyphPictureOffset (ui/ButtonFaces.h).", ""]
    for code, shape in sorted(GLYPH_PICTURES.items()):
        name = "glyph_%03x.bmp" % code if code > 0xFF else "glyph_%02x.bmp" % code
        write_bmp(os.path.join(OUT, name), GLYPH_SIZE, GLYPH_SIZE,
                  lambda x, y, shape=shape: (255, 255, 255) if shape(x + 0.5, y + 0.5) else (0, 0, 0))
        lines.append('%d BITMAP "art/%s"' % (GLYPH_RESOURCE_BASE + code, name))
    with open(os.path.join(ROOT, "res", "Glyphs.rc"), "w") as f:
        f.write("\n".join(lines) + "\n")


def main():
    os.makedirs(OUT, exist_ok=True)
    write_glyph_pictures()
    write_bmp(os.path.join(OUT, "button.bmp"), 160, 50, lambda x, y: button(x, y, 160, 50))
    write_bmp(os.path.join(OUT, "button_wide.bmp"), 200, 56, lambda x, y: button(x, y, 200, 56))
    write_bmp(os.path.join(OUT, "header.bmp"), 900, 96, lambda x, y: hills(x / 899, y / 95))
    write_bmp(os.path.join(OUT, "logo_large.bmp"), 626, 362, lambda x, y: framed(x, y, 626, 362))
    write_bmp(os.path.join(OUT, "logo_small.bmp"), 447, 258, lambda x, y: framed(x, y, 447, 258))
    write_bmp(os.path.join(OUT, "board_thumbnail.bmp"), 100, 100, lambda x, y: BACKGROUND)
    write_bmp(os.path.join(OUT, "button_photos.bmp"), 128, 30, lambda x, y: button(x, y, 128, 30, radius=7))
    write_bmp(os.path.join(OUT, "button_half.bmp"), 76, 29, lambda x, y: button(x, y, 76, 29, radius=7))
    write_bmp(os.path.join(OUT, "button_on.bmp"), 128, 30, lambda x, y: button_on(x, y, 128, 30))
    write_bmp(os.path.join(OUT, "photo_thumbnail.bmp"), 80, 59, lambda x, y: BACKGROUND)


if __name__ == "__main__":
    main()
