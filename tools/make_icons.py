#!/usr/bin/env python3
"""Draws Quorvel's icons (a calm panorama: sky, sun and hills) and writes them
as .ico files into res/. Deterministic: the same script gives the same bytes.

    python3 tools/make_icons.py
"""
import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
RES = os.path.join(HERE, "..", "res")


def mix(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


def draw(size, sky_top, sky_low, hill_far, hill_near, sun, badge):
    """Returns rows of (r, g, b, a), top row first."""
    rows = []
    r = size * 0.44
    cx = cy = (size - 1) / 2.0
    for y in range(size):
        row = []
        for x in range(size):
            # Rounded-square silhouette with a soft edge.
            dx = max(abs(x - cx) - size * 0.30, 0)
            dy = max(abs(y - cy) - size * 0.30, 0)
            edge = math.hypot(dx, dy) - (r - size * 0.30)
            alpha = 255 if edge < -0.5 else (0 if edge > 0.5 else int(255 * (0.5 - edge)))
            v = y / (size - 1)
            c = mix(sky_top, sky_low, v)
            sx, sy = size * 0.68, size * 0.34
            if math.hypot(x - sx, y - sy) < size * 0.12:
                c = sun
            far = size * (0.58 + 0.06 * math.sin(x / size * 5.0 + 1.0))
            near = size * (0.72 + 0.08 * math.sin(x / size * 3.3 + 2.4))
            if y > far:
                c = hill_far
            if y > near:
                c = mix(hill_near, (10, 30, 20), (y - near) / size)
            if badge and x > size * 0.62 and y > size * 0.62:
                d = math.hypot(x - size * 0.80, y - size * 0.80)
                if d < size * 0.17:
                    c = badge
            row.append(c + (alpha,))
        rows.append(row)
    return rows


def bmp_entry(rows):
    size = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    for row in reversed(rows):
        for (r, g, b, a) in row:
            pixels += bytes((b, g, r, a))
    mask_row = ((size + 31) // 32) * 4
    mask = bytes(mask_row * size)
    return header + bytes(pixels) + mask


def write_ico(name, **colours):
    sizes = (16, 24, 32, 48)
    images = [bmp_entry(draw(s, **colours)) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for data in images:
        out += data
    with open(os.path.join(RES, name), "wb") as f:
        f.write(out)


BASE = dict(sky_top=(40, 70, 130), sky_low=(230, 170, 120), hill_far=(70, 110, 90),
            hill_near=(30, 80, 50), sun=(255, 220, 140))
write_ico("Quorvel.ico", badge=None, **BASE)
write_ico("Album1.ico", badge=(40, 60, 230), **BASE)
write_ico("Album2.ico", badge=(40, 200, 60), **BASE)
