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


def main():
    os.makedirs(OUT, exist_ok=True)
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
