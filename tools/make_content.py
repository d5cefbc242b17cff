#!/usr/bin/python3
"""Draws the pictures that the installer ships beside the program:

  data/program/res/0V_0H_ZoomIn_2_256.png    default picture of album 1
  data/program/res/0V_0H_ZoomOut_2_256.png   default picture of album 2
  data/program/QuorvelMattingBoards/*.jpg    default matting boards

The help and terms batch files and the first-time Quorvel.ini in
data/common/ are plain files, edited by hand.

Everything is drawn procedurally; the JPEGs are written with Pillow
(Debian's python3-pil, for Debian's /usr/bin/python3), the PNGs by this file
with zlib. The output depends on nothing but this file, Pillow's encoder and
zlib: two runs give byte-identical files. No writer stores a time or a host name.

Usage: tools/make_content.py [--out DIR] [--only NAME ...] [--list]
  --out DIR   write into DIR instead of the repository's data/ folder
  --only      make only the named items (see --list); used while tuning one
"""

import argparse
import math
import os
import random
import struct
import sys
import zlib

try:
    from PIL import Image
except ImportError:
    sys.exit("make_content: needs Pillow (Debian: python3-pil, which tools/setup-deps.sh installs)")

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


# ---------------------------------------------------------------------------
# Small numeric helpers. Images are kept as three lists of rows of floats
# (red, green, blue, 0..255); whole-row list comprehensions are what keeps
# pure Python fast enough here.

def clamp01(v):
    return 0.0 if v < 0.0 else 1.0 if v > 1.0 else v


def smoothstep(a, b, v):
    t = clamp01((v - a) / (b - a))
    return t * t * (3.0 - 2.0 * t)


def fade(t):
    # Quintic fade: value noise without visible creases at lattice lines.
    return t * t * t * (t * (t * 6.0 - 15.0) + 10.0)


def lerp3(a, b, t):
    return (a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t, a[2] + (b[2] - a[2]) * t)


def gradient(stops, t):
    """Colour at t of a gradient given as [(t0, rgb0), (t1, rgb1), ...]."""
    if t <= stops[0][0]:
        return stops[0][1]
    for (ta, ca), (tb, cb) in zip(stops, stops[1:]):
        if t <= tb:
            u = (t - ta) / (tb - ta)
            u = u * u * (3.0 - 2.0 * u)
            return lerp3(ca, cb, u)
    return stops[-1][1]


def blank(w, h, rgb):
    return ([[float(rgb[0])] * w for _ in range(h)],
            [[float(rgb[1])] * w for _ in range(h)],
            [[float(rgb[2])] * w for _ in range(h)])


# ---------------------------------------------------------------------------
# Value noise. A lattice of random values (Mersenne Twister seeded with an
# integer, which Python keeps stable across versions) is interpolated first
# along x, once per lattice row, and then between two such rows for each
# image row. With wrap=True the lattice repeats, so the picture tiles
# seamlessly: the matting boards are squeezed to a square and repeated round
# the whole frame, and a seam would show on every tile.

class Noise2D:
    def __init__(self, w, h, cx, cy, seed, wrap=False):
        rng = random.Random(seed)
        self.cy, self.wrap = cy, wrap
        if wrap:
            assert w % cx == 0 and h % cy == 0, (w, cx, h, cy)
            nx, ny = w // cx, h // cy
            ox = oy = 0
        else:
            nx, ny = w // cx + 3, h // cy + 3
            # A fractional offset keeps lattice lines of octaves from lining up.
            ox, oy = rng.random() * cx, rng.random() * cy
        self.ny, self.oy = ny, oy
        self.lat = [[rng.random() for _ in range(nx)] for _ in range(ny)]
        ix0, ix1, sx = [], [], []
        for x in range(w):
            f = (x + ox) / cx
            i = int(f)
            ix0.append(i % nx)
            ix1.append((i + 1) % nx)
            sx.append(fade(f - i))
        self.ix = list(zip(ix0, ix1, sx))
        self.cache = {}

    def _lattice_row(self, j):
        r = self.cache.get(j)
        if r is None:
            lat = self.lat[j]
            r = [lat[a] + (lat[b] - lat[a]) * s for a, b, s in self.ix]
            if len(self.cache) > 6:
                self.cache.clear()
            self.cache[j] = r
        return r

    def row(self, y):
        f = (y + self.oy) / self.cy
        j = int(f)
        s = fade(f - j)
        a = self._lattice_row(j % self.ny)
        b = self._lattice_row((j + 1) % self.ny)
        return [p + (q - p) * s for p, q in zip(a, b)]


class Fbm2D:
    """Sum of octaves of value noise, normalised to about 0..1 (mean 0.5)."""

    def __init__(self, w, h, cx, cy, octaves, seed, wrap=False, gain=0.5):
        self.octaves = []
        amp, total = 1.0, 0.0
        for k in range(octaves):
            ocx, ocy = max(1, cx >> k), max(1, cy >> k)
            self.octaves.append((amp, Noise2D(w, h, ocx, ocy, seed * 7919 + k, wrap)))
            total += amp
            amp *= gain
        self.norm = 1.0 / total

    def row(self, y):
        it = iter(self.octaves)
        amp, n = next(it)
        acc = [v * amp for v in n.row(y)]
        for amp, n in it:
            acc = [a + v * amp for a, v in zip(acc, n.row(y))]
        k = self.norm
        return [a * k for a in acc]

    def rows(self, h):
        return [self.row(y) for y in range(h)]


def noise1d(w, cell, seed, wrap=False):
    rng = random.Random(seed)
    n = w // cell + 3
    lat = [rng.random() for _ in range(n)]
    off = 0.0 if wrap else rng.random() * cell
    out = []
    for x in range(w):
        f = (x + off) / cell
        i = int(f)
        a, b = lat[i % n], lat[(i + 1) % n]
        out.append(a + (b - a) * fade(f - i))
    return out


def fbm1d(w, cell, octaves, seed, gain=0.5, ridged=False):
    acc = [0.0] * w
    amp, total = 1.0, 0.0
    for k in range(octaves):
        n = noise1d(w, max(1, cell >> k), seed * 104729 + k)
        if ridged:
            # Folding the noise makes sharp crests: mountain peaks.
            n = [(1.0 - abs(2.0 * v - 1.0)) ** 1.6 for v in n]
        acc = [a + v * amp for a, v in zip(acc, n)]
        total += amp
        amp *= gain
    return [a / total for a in acc]


def worley(size, cell, seed):
    """Cellular noise on a wrapping grid: per pixel the distance to the
    nearest and second nearest feature point and the nearest point's id."""
    rng = random.Random(seed)
    n = size // cell
    pts = [[(i * cell + rng.random() * cell, j * cell + rng.random() * cell)
            for i in range(n)] for j in range(n)]
    f1s, f2s, ids = [], [], []
    for y in range(size):
        cj = y // cell
        r1, r2, ri = [], [], []
        for x in range(size):
            ci = x // cell
            d1 = d2 = 1e18
            best = 0
            for dj in (-1, 0, 1):
                jj = cj + dj
                row = pts[jj % n]
                yoff = (jj // n) * size if jj < 0 or jj >= n else 0
                for di in (-1, 0, 1):
                    ii = ci + di
                    px, py = row[ii % n]
                    if ii < 0:
                        px -= size
                    elif ii >= n:
                        px += size
                    py += yoff
                    d = (px - x) ** 2 + (py - y) ** 2
                    if d < d1:
                        d2 = d1
                        d1 = d
                        best = (jj % n) * n + (ii % n)
                    elif d < d2:
                        d2 = d
            r1.append(math.sqrt(d1))
            r2.append(math.sqrt(d2))
            ri.append(best)
        f1s.append(r1)
        f2s.append(r2)
        ids.append(ri)
    return f1s, f2s, ids


def emboss(height, strength):
    """Light from the upper left on a wrapping height field: 1 +- shade."""
    h = len(height)
    out = []
    for y in range(h):
        up, row, dn = height[(y - 1) % h], height[y], height[(y + 1) % h]
        left = row[-1:] + row[:-1]
        right = row[1:] + row[:1]
        out.append([1.0 + strength * ((l - r) + (u - d))
                    for l, r, u, d in zip(left, right, up, dn)])
    return out


# ---------------------------------------------------------------------------
# Strokes: fibres, hairs and veins are splatted point by point into a
# coverage layer with bilinear weights, wrapping round the tile.

def splat_curve(layer, x, y, angle, length, curl, alpha, rng, width=1.0):
    size_y = len(layer)
    size_x = len(layer[0])
    step = 0.5
    steps = int(length / step)
    for _ in range(steps):
        angle += curl * (rng.random() - 0.5)
        x += math.cos(angle) * step
        y += math.sin(angle) * step
        for wo in ((0.0,) if width <= 1.0 else (-0.5 * width + 0.5, 0.5 * width - 0.5)):
            px = x - math.sin(angle) * wo
            py = y + math.cos(angle) * wo
            ix, iy = math.floor(px), math.floor(py)
            fx, fy = px - ix, py - iy
            a = alpha * step
            for dy, wy in ((0, 1.0 - fy), (1, fy)):
                row = layer[(iy + dy) % size_y]
                for dx, wx in ((0, 1.0 - fx), (1, fx)):
                    row[(ix + dx) % size_x] += a * wx * wy


def apply_layer(img, layer, rgb, gain=1.0):
    """Paints colour rgb over img with coverage min(1, layer * gain)."""
    R, G, B = img
    cr, cg, cb = rgb
    for y, lrow in enumerate(layer):
        a = [v * gain if v * gain < 1.0 else 1.0 for v in lrow]
        R[y] = [p + (cr - p) * t for p, t in zip(R[y], a)]
        G[y] = [p + (cg - p) * t for p, t in zip(G[y], a)]
        B[y] = [p + (cb - p) * t for p, t in zip(B[y], a)]


def colour_map(field, stops):
    """Maps a field of values 0..1 through a gradient to an image."""
    lut = [gradient(stops, i / 255.0) for i in range(256)]
    R, G, B = [], [], []
    for row in field:
        idx = [0 if v <= 0.0 else 255 if v >= 1.0 else int(v * 255.0) for v in row]
        R.append([lut[i][0] for i in idx])
        G.append([lut[i][1] for i in idx])
        B.append([lut[i][2] for i in idx])
    return R, G, B


def modulate(img, factor_rows):
    R, G, B = img
    for y, f in enumerate(factor_rows):
        R[y] = [p * k for p, k in zip(R[y], f)]
        G[y] = [p * k for p, k in zip(G[y], f)]
        B[y] = [p * k for p, k in zip(B[y], f)]


def add_noise_tint(img, field, amount):
    """Adds (field - 0.5) * amount to every channel: grain, mottling."""
    R, G, B = img
    for y, f in enumerate(field):
        d = [(v - 0.5) * amount for v in f]
        R[y] = [p + k for p, k in zip(R[y], d)]
        G[y] = [p + k for p, k in zip(G[y], d)]
        B[y] = [p + k for p, k in zip(B[y], d)]


# ---------------------------------------------------------------------------
# Writers, through Pillow. Pillow stores no time, software name or colour
# profile unless asked, so the bytes depend only on the pixels.

def write_png(path, w, h, rows):
    """rows: h rows of packed 8-bit RGB, w pixels each.

    Written here rather than by Pillow, so that every row can carry the "Up"
    filter: a first run decodes album 1's default picture before it shows
    anything, and the filters Pillow chose row by row made that decode a
    fifth slower for a file only 13 % smaller."""
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    packer = zlib.compressobj(9, zlib.DEFLATED, 15, 9)
    idat = []
    above = bytes(w * 3)
    for row in rows:
        idat.append(packer.compress(b"\x02" + bytes((a - b) & 0xFF for a, b in zip(row, above))))
        above = row
    idat.append(packer.flush())
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n")
        out.write(chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0)))
        out.write(chunk(b"IDAT", b"".join(idat)))
        out.write(chunk(b"IEND", b""))


def write_jpeg(path, img, quality=80):
    """Baseline JPEG, YCbCr 4:2:0, of three planes of float rows."""
    R, G, B = img
    h, w = len(R), len(R[0])
    data = bytearray(w * h * 3)
    for y in range(h):
        o = y * w * 3
        for c, chan in enumerate((R[y], G[y], B[y])):
            data[o + c:o + w * 3:3] = bytes([0 if v < 0 else 255 if v > 255 else int(v + 0.5) for v in chan])
    Image.frombytes("RGB", (w, h), bytes(data)).save(
        path, "JPEG", quality=quality, subsampling="4:2:0", optimize=False, progressive=False)


# ---------------------------------------------------------------------------
# Matting boards. Each is a 512 x 512 tile that repeats seamlessly. The
# program squeezes a board to a 100-pixel square and repeats it round the
# frame, so every board has structure at two scales: features of 20 to 100
# pixels that still read at a fifth of the size, and fine grain for the
# full-size view in the Matting Boards panel.

S = 512


def board_paper(seed, base, fibre_dark, fibre_light, mottle=6.0, grain=8.0, tooth=0.008,
                fibre_len=40.0, fibres=(160, 220)):
    """Cotton-rag or handmade paper: soft mottling, tooth and loose fibres."""
    rng = random.Random(seed)
    img = blank(S, S, base)
    add_noise_tint(img, Fbm2D(S, S, 128, 128, 5, seed + 1, wrap=True).rows(S), mottle)
    add_noise_tint(img, Fbm2D(S, S, 4, 4, 2, seed + 2, wrap=True).rows(S), grain)
    modulate(img, emboss(Fbm2D(S, S, 16, 16, 3, seed + 3, wrap=True).rows(S), tooth * 40))
    for colour, count in zip((fibre_dark, fibre_light), fibres):
        layer = [[0.0] * S for _ in range(S)]
        for _ in range(count):
            splat_curve(layer, rng.random() * S, rng.random() * S, rng.random() * 6.3,
                        8 + rng.random() * fibre_len, 0.35 * 40.0 / fibre_len,
                        0.35 + 0.4 * rng.random(), rng)
        apply_layer(img, layer, colour, 0.6)
    return img


def board_wood(seed, dark, mid, light, rings=13, figure=26.0, pores=0.55):
    """Flat-sawn veneer: wavy growth rings running across, long pores, a
    little chatoyant figure."""
    warp = Fbm2D(S, S, 256, 64, 4, seed + 1, wrap=True).rows(S)
    fine = Fbm2D(S, S, 64, 4, 4, seed + 2, wrap=True).rows(S)
    field = []
    k = rings / S
    for y in range(S):
        wr, fr = warp[y], fine[y]
        row = []
        for x in range(S):
            u = (y + figure * (wr[x] - 0.5) * 4.0) * k + 0.15 * fr[x]
            t = u - math.floor(u)
            # Early wood is light and wide, late wood a dark narrow line.
            v = (t / 0.78) ** 1.5 if t < 0.78 else 1.0 - (t - 0.78) / 0.22 * 0.9
            row.append(0.15 + 0.6 * v + 0.25 * fr[x])
        field.append(row)
    img = colour_map(field, [(0.0, light), (0.55, mid), (1.0, dark)])
    pore = Fbm2D(S, S, 128, 2, 2, seed + 3, wrap=True).rows(S)
    modulate(img, [[1.0 - pores * 0.45 * smoothstep(0.56, 0.75, v) for v in row] for row in pore])
    sheen = Fbm2D(S, S, 32, 256, 3, seed + 4, wrap=True).rows(S)
    modulate(img, [[0.96 + 0.08 * v for v in row] for row in sheen])
    # Fine scratches of the sanding, along the grain.
    add_noise_tint(img, Fbm2D(S, S, 64, 1, 1, seed + 5, wrap=True).rows(S), 10.0)
    return img


def board_weave(seed, base, spread=14.0, thread=4, flecks=True):
    """Plain-weave linen: threads of uneven thickness passing over and under."""
    rng = random.Random(seed)
    n = S // thread
    warp_tone = [rng.random() - 0.5 for _ in range(n)]
    weft_tone = [rng.random() - 0.5 for _ in range(n)]
    slub_v = Fbm2D(S, S, thread, 64, 3, seed + 1, wrap=True).rows(S)
    slub_h = Fbm2D(S, S, 64, thread, 3, seed + 2, wrap=True).rows(S)
    prof = [0.72 + 0.28 * math.sin(math.pi * (i + 0.5) / thread) for i in range(thread)]
    field = []
    for y in range(S):
        j, py = divmod(y, thread)
        sv, sh = slub_v[y], slub_h[y]
        row = []
        for x in range(S):
            i, px = divmod(x, thread)
            if (i + j) & 1:
                tone = warp_tone[i] * 0.6 + (sv[x] - 0.5) * 1.6
                shade = prof[px] * (0.94 + 0.06 * prof[py])
            else:
                tone = weft_tone[j] * 0.6 + (sh[x] - 0.5) * 1.6
                shade = prof[py] * (0.94 + 0.06 * prof[px])
            row.append((tone, shade))
        field.append(row)
    R, G, B = [], [], []
    br, bg, bb = base
    for row in field:
        R.append([(br + spread * t) * s for t, s in row])
        G.append([(bg + spread * t) * s for t, s in row])
        B.append([(bb + spread * t) * s for t, s in row])
    img = (R, G, B)
    add_noise_tint(img, Fbm2D(S, S, 128, 128, 3, seed + 3, wrap=True).rows(S), 10.0)
    if flecks:
        # Linen's dark slubs: short thick bits of darker fibre.
        layer = [[0.0] * S for _ in range(S)]
        for _ in range(70):
            ang = 0.0 if rng.random() < 0.5 else math.pi / 2
            splat_curve(layer, rng.random() * S, rng.random() * S, ang,
                        6 + rng.random() * 18, 0.05, 0.5, rng, width=2.0)
        apply_layer(img, layer, (base[0] * 0.62, base[1] * 0.6, base[2] * 0.58), 0.5)
    return img


def board_marble(seed, base, cloud, vein, vein2, dark_ground=False):
    """Marble: cloudy ground with veins that follow a turbulent sine."""
    img = blank(S, S, base)
    clouds = Fbm2D(S, S, 256, 256, 6, seed + 1, wrap=True).rows(S)
    apply_layer(img, [[smoothstep(0.35, 0.75, v) * 0.55 for v in row] for row in clouds], cloud)
    turb = Fbm2D(S, S, 128, 128, 6, seed + 2, wrap=True).rows(S)
    turb2 = Fbm2D(S, S, 64, 64, 5, seed + 3, wrap=True).rows(S)
    main, minor = [], []
    tau = 2.0 * math.pi
    for y in range(S):
        t1, t2 = turb[y], turb2[y]
        m1, m2 = [], []
        for x in range(S):
            a = tau * (x + 2 * y) / S + 4.0 * t1[x]
            b = tau * (3 * x - y) / S + 5.0 * t2[x] + 1.5 * t1[x]
            sa = 1.0 - abs(math.sin(a))
            # A sharp vein inside a soft halo, as the mineral bleeds out.
            m1.append(0.75 * sa ** 14 + 0.3 * sa ** 3)
            m2.append((1.0 - abs(math.sin(b))) ** 30)
        main.append(m1)
        minor.append(m2)
    strength = 0.95 if dark_ground else 0.8
    apply_layer(img, [[v * strength for v in row] for row in main], vein)
    apply_layer(img, [[v * 0.7 for v in row] for row in minor], vein2)
    add_noise_tint(img, Fbm2D(S, S, 4, 4, 2, seed + 4, wrap=True).rows(S), 6.0)
    return img


def board_cork(seed):
    """Agglomerated cork: granules of varied browns with dark gaps."""
    rng = random.Random(seed)
    f1, f2, ids = worley(S, 8, seed)
    tones = [rng.random() for _ in range((S // 8) ** 2)]
    fine = Fbm2D(S, S, 8, 8, 3, seed + 1, wrap=True).rows(S)
    stops = [(0.0, (126, 82, 46)), (0.45, (176, 124, 74)), (0.8, (204, 158, 102)),
             (1.0, (222, 184, 132))]
    lut = [gradient(stops, i / 255.0) for i in range(256)]
    R, G, B = [], [], []
    for y in range(S):
        a, b, c, fr = f1[y], f2[y], ids[y], fine[y]
        rr, gg, bb = [], [], []
        for x in range(S):
            t = 0.65 * tones[c[x]] + 0.45 * (fr[x] - 0.5) + 0.25
            edge = smoothstep(0.2, 2.2, (b[x] - a[x]) * (0.6 + fr[x]))
            col = lut[int(clamp01(t) * 255)]
            k = 0.6 + 0.4 * edge
            rr.append(col[0] * k)
            gg.append(col[1] * k)
            bb.append(col[2] * k)
        R.append(rr)
        G.append(gg)
        B.append(bb)
    img = (R, G, B)
    add_noise_tint(img, Fbm2D(S, S, 2, 2, 1, seed + 2, wrap=True).rows(S), 26.0)
    add_noise_tint(img, Fbm2D(S, S, 128, 128, 3, seed + 3, wrap=True).rows(S), 18.0)
    return img


def board_felt(seed, base, fibre=18.0):
    """Pressed felt: dense matted fibres, no weave, very matte."""
    rng = random.Random(seed)
    img = blank(S, S, base)
    add_noise_tint(img, Fbm2D(S, S, 64, 64, 5, seed + 1, wrap=True).rows(S), fibre * 0.8)
    add_noise_tint(img, Fbm2D(S, S, 4, 4, 2, seed + 2, wrap=True).rows(S), fibre)
    for colour, count, gain in (((base[0] * 0.55, base[1] * 0.55, base[2] * 0.55), 1400, 0.45),
                                ((min(255, base[0] * 1.5 + 12), min(255, base[1] * 1.5 + 12),
                                  min(255, base[2] * 1.5 + 12)), 1400, 0.4)):
        layer = [[0.0] * S for _ in range(S)]
        for _ in range(count):
            splat_curve(layer, rng.random() * S, rng.random() * S, rng.random() * 6.3,
                        4 + rng.random() * 10, 0.9, 0.5, rng)
        apply_layer(img, layer, colour, gain)
    return img


def board_suede(seed, base, nap=0.14, crushed=False):
    """Suede or velvet: soft light and dark patches where the nap lies
    differently, with a fine velvety grain."""
    patches = Fbm2D(S, S, 64, 64, 5, seed + 1, wrap=True).rows(S)
    streak = Fbm2D(S, S, 64, 8, 3, seed + 2, wrap=True).rows(S)
    R, G, B = [], [], []
    for y in range(S):
        p, s = patches[y], streak[y]
        if crushed:
            # Crushed velvet: the sheen peaks along the folds of the pattern.
            k = [0.72 + 0.5 * (1.0 - abs(2.0 * a - 1.0)) ** 3 + nap * (b - 0.5) for a, b in zip(p, s)]
        else:
            k = [0.9 + 0.32 * (a - 0.5) + nap * (b - 0.5) for a, b in zip(p, s)]
        R.append([base[0] * v for v in k])
        G.append([base[1] * v for v in k])
        B.append([base[2] * v for v in k])
    img = (R, G, B)
    add_noise_tint(img, Fbm2D(S, S, 2, 2, 1, seed + 3, wrap=True).rows(S), 14.0)
    return img


def board_watercolour(seed, base):
    """Cold-pressed watercolour paper: rounded bumps lit from the upper left."""
    f1, _, _ = worley(S, 8, seed)
    soft = Fbm2D(S, S, 16, 16, 3, seed + 1, wrap=True).rows(S)
    height = [[0.06 * math.sqrt(a) + 0.5 * s for a, s in zip(r1, rs)]
              for r1, rs in zip(f1, soft)]
    img = blank(S, S, base)
    modulate(img, emboss(height, 0.9))
    add_noise_tint(img, Fbm2D(S, S, 128, 128, 4, seed + 2, wrap=True).rows(S), 8.0)
    return img


def board_grasscloth(seed, base):
    """Grasscloth: horizontal grass fibres of uneven width on a fine cotton
    weft, stitched every few millimetres."""
    rng = random.Random(seed)
    # Fibre bands down the tile: each has its own width, tone and slubs.
    bands = []
    y = 0
    while y < S:
        wdt = rng.choice((2, 3, 3, 4, 5, 6))
        wdt = min(wdt, S - y)
        bands.append((y, wdt, rng.random() - 0.5))
        y += wdt
    slub = Fbm2D(S, S, 64, 2, 3, seed + 1, wrap=True).rows(S)
    img = blank(S, S, base)
    R, G, B = img
    for y0, wdt, tone in bands:
        for dy in range(wdt):
            yy = y0 + dy
            edge = math.sin(math.pi * (dy + 0.5) / wdt)
            sl = slub[yy]
            k = [(0.8 + 0.2 * edge) * (1.0 + 0.22 * tone + 0.3 * (v - 0.5)) for v in sl]
            R[yy] = [p * m for p, m in zip(R[yy], k)]
            G[yy] = [p * m for p, m in zip(G[yy], k)]
            B[yy] = [p * m * 0.97 for p, m in zip(B[yy], k)]
    # Binding threads: faint vertical lines every 32 pixels.
    layer = [[0.0] * S for _ in range(S)]
    for x0 in range(0, S, 32):
        for yy in range(S):
            layer[yy][(x0 + int(2 * math.sin(yy * 0.05 + x0))) % S] += 0.35
    apply_layer(img, layer, (base[0] * 1.12, base[1] * 1.1, base[2] * 1.05))
    add_noise_tint(img, Fbm2D(S, S, 256, 128, 3, seed + 2, wrap=True).rows(S), 16.0)
    return img


def board_travertine(seed):
    """Travertine: layered cream and honey bands with small dark pits."""
    warp = Fbm2D(S, S, 256, 64, 5, seed + 1, wrap=True).rows(S)
    layers = Fbm2D(S, S, 512, 16, 4, seed + 2, wrap=True).rows(S)
    field = []
    for y in range(S):
        wr, ly = warp[y], layers[y]
        row = []
        for x in range(S):
            u = (y + 40.0 * (wr[x] - 0.5)) * 6.0 / S
            row.append(0.55 * (0.5 + 0.5 * math.sin(2.0 * math.pi * u)) + 0.6 * (ly[x] - 0.5) + 0.2)
        field.append(row)
    img = colour_map(field, [(0.0, (232, 218, 192)), (0.45, (216, 196, 160)),
                             (0.75, (196, 168, 126)), (1.0, (172, 140, 100))])
    pits = Fbm2D(S, S, 16, 4, 2, seed + 3, wrap=True).rows(S)
    apply_layer(img, [[smoothstep(0.78, 0.84, v) for v in row] for row in pits], (110, 88, 60), 0.9)
    add_noise_tint(img, Fbm2D(S, S, 4, 4, 2, seed + 4, wrap=True).rows(S), 8.0)
    return img


# Playful boards. Faces are drawn with signed distances so that every edge
# is anti-aliased; each face is drawn again one tile over when it crosses an
# edge, so the pattern repeats without a cut.

def _cov(d):
    # Coverage of a pixel whose centre is d pixels outside a shape.
    return 0.0 if d >= 0.5 else 1.0 if d <= -0.5 else 0.5 - d


def draw_face(img, cx, cy, r, face, ink, expression="smile", angle=0.0):
    R, G, B = img
    ca, sa = math.cos(angle), math.sin(angle)
    hi = tuple(min(255.0, c * 1.12 + 18) for c in face)
    lo = tuple(c * 0.8 for c in face)
    x0, x1 = int(cx - r - 2), int(cx + r + 3)
    y0, y1 = int(cy - r - 2), int(cy + r + 3)
    for yy in range(y0, y1):
        row_r, row_g, row_b = R[yy % S], G[yy % S], B[yy % S]
        for xx in range(x0, x1):
            dx, dy = xx + 0.5 - cx, yy + 0.5 - cy
            dist = math.hypot(dx, dy)
            a_disc = _cov(dist - r)
            if a_disc <= 0.0:
                continue
            # Face coordinates: u right, v down, in units of the radius.
            u = (dx * ca + dy * sa) / r
            v = (-dx * sa + dy * ca) / r
            shade = clamp01(0.5 - 0.5 * (u * 0.5 + v * 0.7) / 1.0)
            col = lerp3(lo, hi, shade)
            # Outline ring.
            a_ink = _cov(abs(dist - r + 0.045 * r) - 0.045 * r)
            # Eyes.
            for ex in (-0.34, 0.34):
                if expression == "wink" and ex > 0:
                    # A closed eye: a short arc.
                    dd = abs(math.hypot(u - ex, v + 0.12) - 0.14) * r
                    if v + 0.12 < 0.02:
                        a_ink = max(a_ink, _cov(dd - 0.05 * r))
                else:
                    e = math.hypot((u - ex) / 0.11, (v + 0.25) / 0.17)
                    a_ink = max(a_ink, _cov((e - 1.0) * 0.11 * r))
            # Mouth.
            if expression == "grin":
                # An open half-moon mouth.
                inside = v > 0.1 and math.hypot(u, v - 0.1) < 0.52
                dd = max(0.1 - v, math.hypot(u, v - 0.1) - 0.52) * r
                if inside or dd < 0.5:
                    a_ink = max(a_ink, _cov(dd))
            else:
                mm = math.hypot(u, v + 0.05)
                if v > 0.12:
                    a_ink = max(a_ink, _cov(abs(mm - 0.55) * r - 0.055 * r))
            c = lerp3(col, ink, a_ink)
            i = xx % S
            row_r[i] += (c[0] - row_r[i]) * a_disc
            row_g[i] += (c[1] - row_g[i]) * a_disc
            row_b[i] += (c[2] - row_b[i]) * a_disc


def board_smiley(seed):
    img = board_paper(seed, (52, 104, 112), (36, 80, 88), (76, 130, 138),
                      mottle=10.0, grain=8.0, tooth=0.02)
    ink = (58, 40, 26)
    for j in range(4):
        for i in range(4):
            cx = i * 128 + 64 + (64 if j & 1 else 0)
            cy = j * 128 + 64
            # Shadow first, a little down and right, then the face.
            shadow = tuple(c * 0.72 for c in (52, 104, 112))
            draw_face(img, cx + 4, cy + 5, 46, shadow, shadow, "none")
            draw_face(img, cx, cy, 46, (246, 198, 72), ink, "smile", 0.0)
    return img


def board_smilies(seed):
    rng = random.Random(seed)
    img = board_paper(seed, (246, 240, 226), (214, 204, 186), (255, 252, 244),
                      mottle=5.0, grain=6.0, tooth=0.01)
    colours = [(247, 204, 78), (240, 140, 120), (128, 200, 170), (132, 178, 226),
               (190, 160, 220), (250, 170, 90)]
    faces = []
    tries = 0
    while len(faces) < 26 and tries < 4000:
        tries += 1
        r = 22 + rng.random() * 26
        x, y = rng.random() * S, rng.random() * S
        ok = True
        for fx, fy, fr in faces:
            dx = min(abs(x - fx), S - abs(x - fx))
            dy = min(abs(y - fy), S - abs(y - fy))
            if math.hypot(dx, dy) < r + fr + 10:
                ok = False
                break
        if ok:
            faces.append((x, y, r))
    ink = (64, 48, 40)
    for k, (x, y, r) in enumerate(faces):
        expr = ("smile", "grin", "wink")[k % 3]
        col = colours[k % len(colours)]
        ang = (rng.random() - 0.5) * 0.9
        for ox in (-S, 0, S):
            for oy in (-S, 0, S):
                if -r - 3 < x + ox < S + r + 3 and -r - 3 < y + oy < S + r + 3:
                    draw_face(img, x + ox, y + oy, r, col, ink, expr, ang)
    return img


def board_sox(seed):
    """Argyle knit, the classic sock pattern: each stitch takes one colour,
    so the diamonds are stepped as in real knitting."""
    st_w, st_h = 8, 7  # stitch size; the tile is 64 stitches wide
    navy, grey, red, mustard = (38, 52, 86), (150, 148, 144), (150, 52, 52), (218, 176, 72)
    fuzz = Fbm2D(S, S, 2, 2, 1, seed + 1, wrap=True).rows(S)
    tone = Fbm2D(S, S, 64, 64, 3, seed + 2, wrap=True).rows(S)
    nrows = -(-S // st_h)
    R, G, B = [], [], []
    for y in range(S):
        j = y // st_h
        vy = (y % st_h + 0.5) / st_h
        rr, gg, bb = [], [], []
        fz, tn = fuzz[y], tone[y]
        for x in range(S):
            i = x // st_w
            # Pattern coordinates of the stitch centre, in tiles.
            px = (i + 0.5) * st_w / S
            py = (j + 0.5) * st_h / S
            py = py * S / (nrows * st_h)
            # Two diamonds across and two down; alternate colours.
            dx = (px * 2.0) % 1.0 - 0.5
            dy = (py * 2.0) % 1.0 - 0.5
            inside = abs(dx) + abs(dy) < 0.5
            cell = (int(px * 2.0) + int(py * 2.0)) & 1
            col = (navy if cell else red) if inside else grey
            # Overcheck lines along the diamonds' diagonals.
            for s in (1.0, -1.0):
                d = (px * 2.0 + s * py * 2.0) % 1.0
                if d < 0.03 or d > 0.97:
                    col = mustard
            # Knit "V": each stitch is two slanted loops.
            u = (x % st_w + 0.5) / st_w
            loop = 1.0 - abs(((vy + abs(u - 0.5) * 1.2) % 1.0) - 0.5) * 2.0
            k = (0.7 + 0.38 * loop) * (0.9 + 0.2 * tn[x])
            k *= 0.86 if abs(u - 0.5) < 0.06 else 1.0
            k += (fz[x] - 0.5) * 0.12
            rr.append(col[0] * k)
            gg.append(col[1] * k)
            bb.append(col[2] * k)
        R.append(rr)
        G.append(gg)
        B.append(bb)
    return R, G, B


BOARDS = {
    # 01 and 02 are the two albums' boards after installation and after a
    # cleanup; the phrases are drawn on them in blue and in green, so 01 is
    # light and 02 dark.
    "01.jpg": lambda: board_paper(101, (240, 233, 217), (206, 196, 176), (252, 249, 242)),
    "02.jpg": lambda: board_wood(102, (44, 27, 17), (86, 56, 34), (124, 86, 54)),
    "03.jpg": lambda: board_weave(103, (208, 194, 166)),
    "04.jpg": lambda: board_marble(104, (238, 237, 233), (214, 214, 214), (128, 130, 136),
                                   (170, 172, 178)),
    "05.jpg": lambda: board_cork(105),
    "06.jpg": lambda: board_felt(106, (60, 60, 64)),
    "07.jpg": lambda: board_suede(107, (182, 130, 82), nap=0.22),
    "08.jpg": lambda: board_weave(108, (88, 110, 138), spread=18.0),
    "09.jpg": lambda: board_marble(109, (30, 30, 34), (48, 48, 54), (232, 230, 222),
                                   (190, 186, 176), dark_ground=True),
    "10.jpg": lambda: board_wood(110, (170, 124, 76), (206, 164, 112), (228, 196, 150),
                                 rings=9, figure=18.0, pores=0.35),
    "11.jpg": lambda: board_paper(111, (242, 232, 224), (206, 186, 176), (255, 252, 248),
                                  mottle=16.0, grain=5.0, tooth=0.006, fibre_len=140.0,
                                  fibres=(90, 260)),
    "12.jpg": lambda: board_suede(112, (128, 30, 44), nap=0.1, crushed=True),
    "13.jpg": lambda: board_watercolour(113, (246, 244, 238)),
    "14.jpg": lambda: board_grasscloth(114, (196, 180, 132)),
    "15.jpg": lambda: board_felt(115, (46, 86, 60)),
    "16.jpg": lambda: board_travertine(116),
    "smiley.jpg": lambda: board_smiley(117),
    "smilies.jpg": lambda: board_smilies(118),
    "sox.jpg": lambda: board_sox(119),
}


# ---------------------------------------------------------------------------
# Panoramas. A scene is drawn row by row: sky with sun glow and clouds,
# mountain ranges from far to near (each a ridge line with shading, snow,
# aerial haze and valley mist), a treeline, optionally a lake that mirrors
# what lies above it, and dark foreground trees. Far ranges melt into the
# mist at their feet, which gives the layered look of mountains at dawn and
# dusk. The pictures are wider than a 1920-pixel monitor so that the
# viewport has room to glide, and 1200 high so that it also moves up and
# down on a 1080-line screen.

PW, PH = 3200, 1200
FACET_SPANS = (2, 8, 24, 64, 160)
FACET_DEPTHS = (0.0, 10.0, 40.0, 110.0, 260.0)


class Silhouettes:
    """Coverage of tree shapes, row by row, anti-aliased at span ends."""

    def __init__(self, w):
        self.w = w
        self.rows = {}

    def span(self, y, x0, x1, alpha=1.0):
        if x1 <= x0:
            return
        row = self.rows.get(y)
        if row is None:
            row = self.rows[y] = [0.0] * self.w
        a = max(0, int(math.floor(x0)))
        b = min(self.w - 1, int(math.floor(x1)))
        for px in range(a, b + 1):
            c = (min(x1, px + 1.0) - max(x0, float(px))) * alpha
            if c > row[px]:
                row[px] = c

    def conifer(self, cx, base_y, height, half_w, rng, trunk=True):
        """A spruce: a thin spire, then tiers of drooping branches of uneven
        length whose ragged needle ends let the sky through here and there."""
        top = base_y - height
        crown = 0.93 if trunk else 1.0
        tw = max(0.6, half_w * 0.06)
        # Tier boundaries as fractions of the crown, tiers growing downward.
        bounds = [0.0]
        while bounds[-1] < 1.0:
            step = (0.02 + 0.035 * bounds[-1]) * (0.5 + rng.random())
            step *= max(1.0, 9.0 / max(height, 1.0) * 4.0)
            bounds.append(min(1.0, bounds[-1] + step))
        wl = [0.45 + 0.75 * rng.random() for _ in bounds]
        wr = [0.45 + 0.75 * rng.random() for _ in bounds]
        ti = 0
        for yy in range(int(math.floor(top)), int(base_y) + 1):
            t = (yy + 0.5 - top) / height
            if t < 0.0:
                continue
            ct = t / crown
            if ct <= 1.0:
                while ti + 1 < len(bounds) - 1 and ct > bounds[ti + 1]:
                    ti += 1
                f = (ct - bounds[ti]) / max(1e-6, bounds[ti + 1] - bounds[ti])
                env = half_w * ct ** 0.95
                shape = 0.5 + 0.5 * min(1.0, f) ** 0.5
                nl = 1.0 + 0.45 * (rng.random() - 0.5)
                nr = 1.0 + 0.45 * (rng.random() - 0.5)
                left = max(tw, env * shape * wl[ti] * nl)
                right = max(tw, env * shape * wr[ti] * nr)
            else:
                left = right = tw
            self.span(yy, cx - left, cx + right)

    def blade(self, x, base_y, height, lean, width):
        for yy in range(int(base_y - height), int(base_y) + 1):
            t = (base_y - yy) / height
            if t < 0.0 or t > 1.0:
                continue
            cx = x + lean * t * t
            hw = width * (1.0 - t) * 0.5 + 0.15
            self.span(yy, cx - hw, cx + hw)

    def row(self, y):
        return self.rows.get(y)


def treetop_ridge(ridge, rng, spacing, hmin, hmax):
    """Raises a ridge line by the pointed tops of a dense forest."""
    w = len(ridge)
    out = list(ridge)
    x = -spacing * rng.random()
    while x < w + spacing:
        h = hmin + (hmax - hmin) * rng.random()
        hw = h * (0.28 + 0.12 * rng.random())
        a = max(0, int(x - hw))
        b = min(w - 1, int(x + hw) + 1)
        for px in range(a, b + 1):
            v = h * (1.0 - abs(px - x) / hw)
            if v > 0.0:
                y = ridge[px] - v
                if y < out[px]:
                    out[px] = y
        x += spacing * (0.5 + rng.random())
    return out


def make_ridge(w, base, amp, cell, octaves, seed, ridged=True, dip=None, smooth=0.0):
    shape = fbm1d(w, cell, octaves, seed, gain=0.5, ridged=ridged)
    broad = fbm1d(w, cell * 3, 2, seed + 1)
    mix = [0.6 * a + 0.4 * b for a, b in zip(shape, broad)]
    # Stretch to the full 0..1 range so that amp is the real height span.
    lo, hi = min(mix), max(mix)
    out = []
    for x in range(w):
        h = (mix[x] - lo) / (hi - lo)
        if dip is not None:
            dx, dw, depth = dip
            h *= 1.0 - depth * math.exp(-((x - dx) / dw) ** 2)
        out.append(base - amp * h)
    if smooth:
        # A small box blur rounds the crests of near, wooded hills.
        k = int(smooth)
        acc = []
        for x in range(w):
            a, b = max(0, x - k), min(w, x + k + 1)
            acc.append(sum(out[a:b]) / (b - a))
        out = acc
    return out


def render_landscape(sc):
    W, H = PW, PH
    rng = random.Random(sc["seed"])
    sx, sy, sun_r = sc["sun"]
    horizon = sc["horizon"]
    sky_rows = [gradient(sc["sky"], y / horizon) for y in range(H)]
    warm, cool = sc["mist_warm"], sc["mist_cool"]
    near_sun = [math.exp(-abs(x - sx) / sc["sun_reach"]) for x in range(W)]
    mist_col = [lerp3(cool, warm, v) for v in near_sun]
    # Which way the light falls, eased across the sun's column so that no
    # seam runs down the mountains below it.
    side = [math.tanh((sx - x) / 240.0) for x in range(W)]
    dx2 = [(x - sx) ** 2 for x in range(W)]
    glow_col = sc["glow"]
    clouds = Fbm2D(W, H, 640, 40, 6, sc["seed"] + 11)
    cloud_shape = Fbm2D(W, H, 256, 128, 3, sc["seed"] + 12)
    mist_noise = Fbm2D(W, H, 420, 36, 4, sc["seed"] + 13)
    c_top, c_bot = sc["cloud_band"]

    layers = []
    for k, L in enumerate(sc["layers"]):
        ridge = make_ridge(W, L["base"], L["amp"], L["cell"], L.get("octaves", 6),
                           sc["seed"] * 31 + k, L.get("ridged", True), L.get("dip"),
                           L.get("smooth", 0.0))
        # Shading and haze follow the bare ridge; tree tops only add cover,
        # or every tree would drag a streak of its own down the slope.
        bare = ridge
        if L.get("trees"):
            sp, hmin, hmax = L["trees"]
            ridge = treetop_ridge(ridge, rng, sp, hmin, hmax)
        # The slope of the crest, measured over wider and wider spans, shades
        # the faces below it: near the crest every small peak has its lit and
        # its shaded side, further down the faces merge into big ones.
        slopes = []
        for span in FACET_SPANS:
            slopes.append([(bare[min(W - 1, x + span)] - bare[max(0, x - span)]) / (2.0 * span)
                           for x in range(W)])
        tex = Fbm2D(W, H, L.get("tex", (48, 160))[0], L.get("tex", (48, 160))[1], 5,
                    sc["seed"] * 37 + k)
        layers.append((L, ridge, bare, slopes, tex, min(ridge)))

    trees = Silhouettes(W)
    for tl in sc.get("treelines", []):
        x = 0.0
        trng = random.Random(tl["seed"])
        while x < W:
            h = tl["hmin"] + (tl["hmax"] - tl["hmin"]) * trng.random() ** 1.5
            trees.conifer(x, tl["base"] + 2 + 3 * trng.random(), h, h * tl["width"], trng)
            x += tl["spacing"] * (0.4 + 1.2 * trng.random())
    tree_col = sc.get("tree_colour", (20, 34, 42))

    fg = Silhouettes(W)
    frng = random.Random(sc["seed"] + 5)
    for (x, h, hw) in sc.get("pines", []):
        fg.conifer(x, H + 8, h, hw, frng)
    ground = None
    if sc.get("ground"):
        gbase, gamp = sc["ground"]
        gline = fbm1d(W, 420, 4, sc["seed"] + 6)
        ground = [gbase - gamp * v for v in gline]
        for x in range(W):
            fg.span(int(ground[x]) + 1, x, x + 1.0)
        for yy in range(int(min(ground)), H):
            for x in range(W):
                if yy > ground[x]:
                    fg.span(yy, x, x + 1.0, min(1.0, yy - ground[x]))
        for _ in range(W // 2):
            x = frng.random() * W
            fg.blade(x, ground[int(x)] + 3, 6 + frng.random() ** 2 * 34,
                     (frng.random() - 0.5) * 16, 2.0 + frng.random() * 2)
    fg_col = sc.get("fg_colour", (10, 16, 20))

    water = sc.get("water")
    yw = water["line"] if water else H
    if water:
        rip = Fbm2D(W, H, 160, 5, 3, sc["seed"] + 21)
        rip2 = Fbm2D(W, H, 60, 3, 2, sc["seed"] + 22)
        glint = Fbm2D(W, H, 36, 3, 2, sc["seed"] + 23)
        streak = Fbm2D(W, H, 700, 6, 3, sc["seed"] + 24)
        keep = {}

    stars = {}
    for _ in range(sc.get("stars", 0)):
        x, y = int(rng.random() * W), int(rng.random() ** 1.6 * horizon * 0.45)
        stars[(x, y)] = 0.3 + 0.7 * rng.random() ** 2

    out_rows = []
    for y in range(H):
        R = [0.0] * W
        G = [0.0] * W
        B = [0.0] * W
        if y < yw:
            sr, sg, sb = sky_rows[y]
            dy2 = (y - sy) ** 2
            in_clouds = c_top <= y <= c_bot
            if in_clouds:
                cn, cs = clouds.row(y), cloud_shape.row(y)
                band = math.sin(math.pi * (y - c_top) / (c_bot - c_top))
                low = (y - c_top) / (c_bot - c_top)
            active = [(L, ridge, bare, slope, tex.row(y)) for L, ridge, bare, slope, tex, top in layers
                      if y + 1 > top]
            mn = mist_noise.row(y)
            trow = trees.row(y)
            gk = sc["glow_k"]
            for x in range(W):
                d = math.sqrt(dx2[x] + dy2)
                r, g, b = sr, sg, sb
                if in_clouds:
                    c = smoothstep(0.5, 0.7, cn[x] * 0.75 + cs[x] * 0.4 - 0.08) * band * sc["cloud_amount"]
                    if c > 0.0:
                        lit = near_sun[x] * (0.45 + 0.55 * low)
                        cc = lerp3(sc["cloud_dark"], sc["cloud_lit"], lit)
                        r += (cc[0] - r) * c
                        g += (cc[1] - g) * c
                        b += (cc[2] - b) * c
                st = stars.get((x, y))
                if st:
                    k = st * clamp01(1.0 - y / (horizon * 0.5))
                    r += (255 - r) * k
                    g += (250 - g) * k
                    b += (235 - b) * k
                # Sun disk and glow, blended as light (screen).
                gl = gk[0] * math.exp(-d / gk[1]) + gk[2] * math.exp(-d / gk[3]) + gk[4] * math.exp(-d / gk[5])
                if d < sun_r + 1.0:
                    gl = max(gl, clamp01(sun_r + 0.5 - d) * 1.0)
                if gl > 0.002:
                    gl = min(1.0, gl)
                    r += (glow_col[0] - r) * gl
                    g += (glow_col[1] - g) * gl
                    b += (glow_col[2] - b) * gl
                # Mountain ranges, far to near, each anti-aliased on its crest.
                for L, ridge, bare, slope, trow_tex in active:
                    a = y + 1.0 - ridge[x]
                    if a <= 0.0:
                        continue
                    if a > 1.0:
                        a = 1.0
                    dd = y - bare[x]
                    tx = trow_tex[x]
                    ts = (trow_tex[x + 1] - trow_tex[x - 1]) if 0 < x < W - 1 else 0.0
                    if dd < FACET_DEPTHS[-1]:
                        i = 0
                        while dd > FACET_DEPTHS[i + 1]:
                            i += 1
                        f = (dd - FACET_DEPTHS[i]) / (FACET_DEPTHS[i + 1] - FACET_DEPTHS[i])
                        f = 0.0 if f < 0.0 else f
                        sl = slope[i][x] + (slope[i + 1][x] - slope[i][x]) * f
                    else:
                        sl = slope[-1][x]
                    light = clamp01(0.5 + side[x] * (sl * L["slope_k"] + ts * L["tex_k"]))
                    cr, cg, cb = lerp3(L["shadow"], L["lit"], light)
                    if "snow" in L:
                        line, s_sh, s_lit = L["snow"]
                        sn = smoothstep(line + 24, line - 24, y + 70.0 * (tx - 0.5) - 0.35 * max(dd, 0.0))
                        if sn > 0.0:
                            sc_ = lerp3(s_sh, s_lit, light)
                            cr += (sc_[0] - cr) * sn
                            cg += (sc_[1] - cg) * sn
                            cb += (sc_[2] - cb) * sn
                    h0, h1, hd = L["haze"]
                    hz = h0 + h1 * smoothstep(0.0, hd, dd) * (0.55 + 0.9 * mn[x])
                    if hz > 1.0:
                        hz = 1.0
                    mc = mist_col[x]
                    cr += (mc[0] - cr) * hz
                    cg += (mc[1] - cg) * hz
                    cb += (mc[2] - cb) * hz
                    rim = L.get("rim", 0.0) * near_sun[x]
                    if rim > 0.0 and dd < 3.0:
                        k = rim * (1.0 - max(dd, 0.0) / 3.0)
                        cr += (glow_col[0] - cr) * k
                        cg += (glow_col[1] - cg) * k
                        cb += (glow_col[2] - cb) * k
                    r += (cr - r) * a
                    g += (cg - g) * a
                    b += (cb - b) * a
                if trow is not None and trow[x] > 0.0:
                    a = trow[x]
                    tc = lerp3(tree_col, mist_col[x], sc.get("tree_haze", 0.12))
                    r += (tc[0] - r) * a
                    g += (tc[1] - g) * a
                    b += (tc[2] - b) * a
                R[x], G[x], B[x] = r, g, b
        else:
            q = (y - yw) / (H - yw)
            amp = water["ripple"][0] + water["ripple"][1] * q ** 1.3
            rr, r2, gn, sk = rip.row(y), rip2.row(y), glint.row(y), streak.row(y)
            deep = water["deep"]
            refl_k = water["reflect"][0] - water["reflect"][1] * q
            path_w = 18.0 + 0.42 * (y - yw)
            for x in range(W):
                ox = (rr[x] - 0.5) * amp * 2.0 + (r2[x] - 0.5) * amp
                xs = int(x + ox)
                xs = 0 if xs < 0 else W - 1 if xs >= W else xs
                ys = int(2 * yw - y - 1 + (r2[x] - 0.5) * amp * 0.35)
                ys = yw - 1 if ys >= yw else 0 if ys < 0 else ys
                src = keep[ys]
                r = src[0][xs] * refl_k + deep[0] * (1.0 - refl_k)
                g = src[1][xs] * refl_k + deep[1] * (1.0 - refl_k)
                b = src[2][xs] * refl_k + deep[2] * (1.0 - refl_k)
                # Wind streaks pick up the bright sky.
                st = smoothstep(0.6, 0.78, sk[x]) * 0.22
                if st > 0.0:
                    hc = sky_rows[int(yw * 0.85)]
                    r += (hc[0] - r) * st
                    g += (hc[1] - g) * st
                    b += (hc[2] - b) * st
                # The sun's path of glints.
                px = (x - sx) / path_w
                if -3.0 < px < 3.0:
                    pth = math.exp(-px * px)
                    gk2 = pth * (0.18 + 1.1 * smoothstep(0.55, 0.8, gn[x]))
                    gk2 = min(1.0, gk2)
                    r += (glow_col[0] - r) * gk2
                    g += (glow_col[1] - g) * gk2
                    b += (glow_col[2] - b) * gk2
                R[x], G[x], B[x] = r, g, b
            mn = mist_noise.row(y)
        # Low mist over the shore and the water.
        for (my, mh, mk) in sc.get("mist_bands", []):
            e = (y - my) / mh
            if -3.0 < e < 3.0:
                base = mk * math.exp(-e * e)
                for x in range(W):
                    m = base * (0.25 + 0.95 * mn[x])
                    if m > 0.0:
                        m = min(m, 0.9)
                        mc = mist_col[x]
                        R[x] += (mc[0] - R[x]) * m
                        G[x] += (mc[1] - G[x]) * m
                        B[x] += (mc[2] - B[x]) * m
        if water and y < yw and y >= 2 * yw - H - 8:
            keep[y] = (bytes(min(255, max(0, int(v))) for v in R),
                       bytes(min(255, max(0, int(v))) for v in G),
                       bytes(min(255, max(0, int(v))) for v in B))
        frow = fg.row(y)
        if frow is not None:
            fr, fgc, fb = fg_col
            for x in range(W):
                a = frow[x]
                if a > 0.0:
                    R[x] += (fr - R[x]) * a
                    G[x] += (fgc - G[x]) * a
                    B[x] += (fb - B[x]) * a
        row = bytearray(W * 3)
        for c, chan in enumerate((R, G, B)):
            row[c::3] = bytes([0 if v < 0 else 255 if v > 255 else int(v + 0.5) for v in chan])
        out_rows.append(bytes(row))
    return out_rows


DAWN_LAKE = {
    # Album 1: a mountain lake at sunrise, close in: snowy peaks lit pink,
    # forested ridges in blue mist, a still lake mirroring it all, and tall
    # spruces at both ends of the strip.
    "seed": 2101,
    "horizon": 800,
    "sky": [(0.0, (34, 48, 104)), (0.3, (86, 92, 156)), (0.55, (172, 126, 170)),
            (0.74, (236, 164, 152)), (0.9, (252, 204, 164)), (1.0, (255, 230, 190))],
    "sun": (1930, 574, 24),
    "sun_reach": 950.0,
    "glow": (255, 238, 204),
    "glow_k": (0.85, 60.0, 0.42, 300.0, 0.16, 1300.0),
    "cloud_band": (40, 470),
    "cloud_amount": 0.8,
    "cloud_dark": (112, 96, 150),
    "cloud_lit": (255, 196, 178),
    "mist_warm": (250, 218, 206),
    "mist_cool": (188, 184, 214),
    "layers": [
        {"base": 560, "amp": 300, "cell": 700, "tex": (60, 60), "slope_k": 1.6, "tex_k": 2.5,
         "shadow": (108, 104, 156), "lit": (214, 164, 178), "haze": (0.22, 0.55, 260.0),
         "snow": (410, (170, 168, 212), (255, 226, 222)), "rim": 0.5,
         "dip": (1930, 260, 0.75)},
        {"base": 660, "amp": 190, "cell": 520, "tex": (40, 80), "slope_k": 1.4, "tex_k": 2.0,
         "shadow": (84, 86, 136), "lit": (156, 124, 156), "haze": (0.12, 0.55, 170.0),
         "snow": (500, (150, 150, 200), (240, 208, 210)), "rim": 0.45,
         "dip": (1930, 300, 0.6)},
        {"base": 730, "amp": 110, "cell": 440, "tex": (16, 16), "slope_k": 1.0, "tex_k": 1.0,
         "shadow": (52, 62, 100), "lit": (92, 92, 124), "haze": (0.08, 0.6, 110.0),
         "trees": (9, 6, 16), "ridged": False, "smooth": 6, "rim": 0.35},
        {"base": 774, "amp": 70, "cell": 360, "tex": (12, 12), "slope_k": 0.8, "tex_k": 0.8,
         "shadow": (32, 46, 66), "lit": (52, 62, 82), "haze": (0.04, 0.55, 70.0),
         "trees": (7, 8, 20), "ridged": False, "smooth": 8, "rim": 0.25},
    ],
    "treelines": [{"seed": 2201, "base": 800, "hmin": 16, "hmax": 70, "width": 0.24,
                   "spacing": 9.0}],
    "tree_colour": (22, 38, 48),
    "tree_haze": 0.14,
    "mist_bands": [(700, 40, 0.45), (790, 22, 0.55)],
    "water": {"line": 800, "ripple": (1.0, 10.0), "deep": (24, 38, 64),
              "reflect": (0.9, 0.32)},
    "ground": (1178, 46),
    "pines": [(-30, 1120, 118), (92, 980, 96), (196, 760, 74), (300, 430, 42),
              (2790, 560, 52), (2930, 1000, 100), (3070, 1130, 118), (3180, 880, 90)],
    "fg_colour": (10, 17, 22),
}

DUSK_RIDGES = {
    # Album 2: a wide view at sundown: ridge after ridge fading into warm
    # haze, the sun going down behind the farthest range, the first stars.
    "seed": 3101,
    "horizon": 760,
    "sky": [(0.0, (16, 20, 54)), (0.28, (50, 42, 100)), (0.5, (128, 72, 124)),
            (0.68, (214, 106, 104)), (0.83, (246, 152, 90)), (0.94, (255, 198, 124)),
            (1.0, (255, 224, 164))],
    "sun": (1180, 622, 30),
    "sun_reach": 1100.0,
    "glow": (255, 232, 178),
    "glow_k": (0.9, 70.0, 0.45, 360.0, 0.2, 1500.0),
    "cloud_band": (150, 520),
    "cloud_amount": 0.75,
    "cloud_dark": (70, 46, 92),
    "cloud_lit": (255, 170, 120),
    "mist_warm": (255, 196, 150),
    "mist_cool": (196, 150, 170),
    "stars": 260,
    "layers": [
        {"base": 640, "amp": 230, "cell": 620, "tex": (50, 60), "slope_k": 1.3, "tex_k": 1.5,
         "shadow": (176, 118, 146), "lit": (218, 150, 150), "haze": (0.22, 0.45, 80.0),
         "rim": 0.6, "dip": (1180, 240, 0.7)},
        {"base": 700, "amp": 210, "cell": 560, "tex": (40, 50), "slope_k": 1.3, "tex_k": 1.5,
         "shadow": (140, 92, 132), "lit": (188, 120, 134), "haze": (0.14, 0.5, 90.0),
         "rim": 0.5, "dip": (1180, 300, 0.55)},
        {"base": 770, "amp": 190, "cell": 500, "tex": (30, 40), "slope_k": 1.2, "tex_k": 1.2,
         "shadow": (104, 68, 116), "lit": (146, 90, 118), "haze": (0.08, 0.5, 100.0),
         "rim": 0.45},
        {"base": 850, "amp": 170, "cell": 460, "tex": (16, 16), "slope_k": 1.0, "tex_k": 1.0,
         "shadow": (74, 50, 98), "lit": (106, 66, 104), "haze": (0.05, 0.5, 110.0),
         "ridged": False, "smooth": 4, "trees": (10, 4, 10), "rim": 0.35},
        {"base": 940, "amp": 160, "cell": 420, "tex": (12, 12), "slope_k": 0.9, "tex_k": 0.8,
         "shadow": (50, 36, 78), "lit": (76, 48, 86), "haze": (0.03, 0.45, 120.0),
         "ridged": False, "smooth": 6, "trees": (8, 6, 14), "rim": 0.3},
        {"base": 1040, "amp": 150, "cell": 380, "tex": (12, 12), "slope_k": 0.8, "tex_k": 0.6,
         "shadow": (34, 26, 58), "lit": (52, 34, 64), "haze": (0.02, 0.35, 120.0),
         "ridged": False, "smooth": 8, "trees": (7, 8, 20), "rim": 0.25},
        {"base": 1190, "amp": 150, "cell": 340, "tex": (12, 12), "slope_k": 0.6, "tex_k": 0.5,
         "shadow": (22, 18, 40), "lit": (32, 22, 46), "haze": (0.0, 0.18, 120.0),
         "ridged": False, "smooth": 10, "trees": (6, 10, 28), "rim": 0.2},
    ],
    "mist_bands": [(905, 50, 0.22), (1010, 60, 0.15)],
    "pines": [(40, 900, 90), (150, 640, 64), (3050, 760, 76), (3170, 980, 98)],
    "fg_colour": (14, 12, 26),
}

PANORAMAS = {
    "0V_0H_ZoomIn_2_256.png": DAWN_LAKE,
    "0V_0H_ZoomOut_2_256.png": DUSK_RIDGES,
}


# ---------------------------------------------------------------------------

def items():
    """Every output: (name, relative path, (kind, what to draw))."""
    out = []
    for name, scene in PANORAMAS.items():
        out.append((name, os.path.join("program", "res", name), ("png", scene)))
    for name, make in BOARDS.items():
        out.append((name, os.path.join("program", "QuorvelMattingBoards", name), ("jpg", make)))
    return out


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("--out", default=os.path.join(ROOT, "data"))
    ap.add_argument("--only", nargs="*")
    ap.add_argument("--list", action="store_true")
    args = ap.parse_args()
    todo = items()
    if args.list:
        for name, rel, _ in todo:
            print(rel)
        return 0
    if args.only:
        unknown = set(args.only) - {name for name, _, _ in todo}
        if unknown:
            sys.exit("unknown item(s): %s" % ", ".join(sorted(unknown)))
        todo = [t for t in todo if t[0] in args.only]
    for name, rel, (kind, what) in todo:
        path = os.path.join(args.out, rel)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        if kind == "png":
            write_png(path, PW, PH, render_landscape(what))
        else:
            write_jpeg(path, what(), quality=80)
        print("%8d  %s" % (os.path.getsize(path), rel))
    return 0


if __name__ == "__main__":
    sys.exit(main())
