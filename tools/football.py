#!/usr/bin/env python3
"""Draws res/football.bmp: a 90x90, 16-colour football on grass.

The ball is a truncated icosahedron seen in central projection, so its
black pentagons and white hexagons meet along true seams."""
import itertools, math, os, sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "brand"))
import images  # noqa: E402

SIZE = images.SIZE
# Indices into the Windows 16-colour palette (7 dark gray, 8 light gray).
BLACK, GREEN, DGRAY, LGRAY, LIME, WHITE = 0, 2, 7, 8, 10, 15

PHI = (1 + 5 ** 0.5) / 2


def norm(v):
    n = math.sqrt(sum(c * c for c in v))
    return tuple(c / n for c in v)


def sign_variants(v):
    for signs in itertools.product((1, -1), repeat=3):
        yield tuple(s * c for s, c in zip(signs, v))


def cyclic(v):
    return [v, (v[1], v[2], v[0]), (v[2], v[0], v[1])]


# Pentagon centres are the icosahedron's vertices, hexagon centres the dodecahedron's.
PENTAGONS = {norm(p) for v in cyclic((0, 1, PHI)) for p in sign_variants(v)}
HEXAGONS = {norm(p) for p in sign_variants((1, 1, 1))} | \
           {norm(p) for v in cyclic((0, PHI, 1 / PHI)) for p in sign_variants(v)}
VERTICES = [p for v in cyclic((0, 1, 3 * PHI)) + cyclic((1, 2 + PHI, 2 * PHI)) +
            cyclic((PHI, 2, PHI ** 3)) for p in sign_variants(v)]


def plane_distance(n):
    return max(sum(a * b for a, b in zip(v, n)) for v in VERTICES)


FACES = [(n, plane_distance(n), True) for n in PENTAGONS] + \
        [(n, plane_distance(n), False) for n in HEXAGONS]


def rotate(p, ax, ay):
    x, y, z = p
    y, z = y * math.cos(ax) - z * math.sin(ax), y * math.sin(ax) + z * math.cos(ax)
    x, z = x * math.cos(ay) + z * math.sin(ay), -x * math.sin(ay) + z * math.cos(ay)
    return x, y, z


def pixel(px, py):
    cx = cy = (SIZE - 1) / 2
    r = 40.0
    x, y = (px - cx) / r, (cy - py) / r
    d = x * x + y * y
    if d > 1.0:
        # grass, striped as a mown pitch
        return LIME if (py // 10) % 2 else GREEN
    if d > 0.93:
        return BLACK
    z = math.sqrt(1.0 - d)
    p = rotate((x, y, z), 0.30, 0.20)
    hits = sorted((sum(a * b for a, b in zip(p, n)) / h, pent) for n, h, pent in FACES)
    (second, _), (first, pent) = hits[-2], hits[-1]
    if first - second < 0.007:
        return DGRAY                     # seam
    light = 0.45 * x + 0.55 * y + 0.70 * z
    if pent:
        return BLACK
    return WHITE if light > 0.2 else LGRAY if light > -0.3 else DGRAY


def main():
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "res", "football.bmp")
    with open(out, "wb") as f:
        f.write(images.bitmap16([[pixel(px, py) for px in range(SIZE)] for py in range(SIZE)]))


if __name__ == "__main__":
    main()
