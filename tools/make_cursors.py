#!/usr/bin/env python3
"""Draws the two paint-mode cursors as 32x32 two-colour XPM images with a transparent background.

Eimer: a tilted paint bucket pouring, with a small cross-hair below it (hot spot 5, 27).
Pipette: an eyedropper pointing to the lower left (hot spot at its tip, 5, 23).
Run from the repository root: tools/make_cursors.py
"""
import math
import pathlib

SIZE = 32


def blank():
    return [[' '] * SIZE for _ in range(SIZE)]


def put(img, x, y, c):
    if 0 <= x < SIZE and 0 <= y < SIZE:
        img[y][x] = c


def polygon_fill(img, pts, c):
    ys = [p[1] for p in pts]
    for y in range(int(min(ys)), int(max(ys)) + 1):
        xs = []
        for (x0, y0), (x1, y1) in zip(pts, pts[1:] + pts[:1]):
            if (y0 <= y + 0.5 < y1) or (y1 <= y + 0.5 < y0):
                xs.append(x0 + (y + 0.5 - y0) * (x1 - x0) / (y1 - y0))
        xs.sort()
        for a, b in zip(xs[::2], xs[1::2]):
            for x in range(int(round(a)), int(round(b))):
                put(img, x, y, c)


def line(img, x0, y0, x1, y1, c):
    n = int(max(abs(x1 - x0), abs(y1 - y0))) + 1
    for i in range(n + 1):
        t = i / n
        put(img, int(round(x0 + (x1 - x0) * t)), int(round(y0 + (y1 - y0) * t)), c)


def outline(img, pts, c):
    for (x0, y0), (x1, y1) in zip(pts, pts[1:] + pts[:1]):
        line(img, x0, y0, x1, y1, c)


def rotate(pts, cx, cy, degrees):
    a = math.radians(degrees)
    return [(cx + (x - cx) * math.cos(a) - (y - cy) * math.sin(a),
             cy + (x - cx) * math.sin(a) + (y - cy) * math.cos(a)) for x, y in pts]


def crosshair(img, x, y):
    for d in range(-3, 4):
        if d:
            put(img, x + d, y, '.')
            put(img, x, y + d, '.')
    put(img, x, y, '.')


def eimer():
    img = blank()
    # The bucket body: a trapezoid tilted to pour towards the lower left.
    body = rotate([(12, 6), (28, 6), (26, 22), (14, 22)], 20, 14, -35)
    polygon_fill(img, body, '+')
    outline(img, body, '.')
    # Its handle.
    for t in range(0, 181, 6):
        a = math.radians(t)
        hx, hy = 20 + 9 * math.cos(a), 7 - 6 * math.sin(a)
        x, y = rotate([(hx, hy)], 20, 14, -35)[0]
        put(img, int(round(x)), int(round(y)), '.')
    # Paint running out of the rim towards the cross-hair.
    line(img, 9, 15, 6, 21, '.')
    line(img, 10, 16, 7, 22, '.')
    crosshair(img, 5, 27)
    return img


def pipette():
    img = blank()
    # Shaft from the tip (5, 23) up to the upper right, a bulb at the end.
    shaft = [(5, 23), (7, 19), (19, 7), (22, 10), (10, 22)]
    polygon_fill(img, shaft, '+')
    outline(img, shaft, '.')
    line(img, 17, 5, 24, 12, '.')  # the collar
    bulb = [(20, 4), (24, 1), (29, 3), (30, 8), (27, 12), (23, 9)]
    polygon_fill(img, bulb, '.')
    put(img, 5, 23, '.')
    return img


def write_xpm(path, name, img):
    rows = ',\n'.join('"' + ''.join(r) + '"' for r in img)
    path.write_text(
        "/* XPM */\n"
        f"static const char *{name}[] = {{\n"
        f'"{SIZE} {SIZE} 3 1",\n'
        '"  c None",\n'
        '". c #000000",\n'
        '"+ c #FFFFFF",\n'
        f"{rows}\n}};\n")


if __name__ == '__main__':
    out = pathlib.Path(__file__).resolve().parent.parent / 'assets' / 'cursors'
    out.mkdir(parents=True, exist_ok=True)
    write_xpm(out / 'Eimer.xpm', 'Eimer', eimer())
    write_xpm(out / 'Pipette.xpm', 'Pipette', pipette())
