#!/usr/bin/env python3
"""Draws the program's icon: a cube seen from above the front-right corner, three faces of 3x3
stickers (U blue on top, F red on the left, R yellow on the right) on black cubies.

Writes assets/icons/torvane.svg and PNG files of 16, 32, 48, 64, 128 and 256 pixels, rasterised here
with 4x4 supersampling (no image library needed). Run from the repository root: tools/make_icon.py
"""
import math
import pathlib
import struct
import zlib

BLACK = (20, 20, 24)
FACES = {'U': (40, 90, 230), 'F': (220, 30, 40), 'R': (250, 210, 30)}


def corners():
    """The cube's three visible faces as quadrilaterals in a 0..1 square (y down), each listed from
    its top-left corner clockwise, so that sticker rows run down and columns to the right."""
    near = (0.5, 0.52)  # the corner nearest the eye
    edge = 0.42         # an edge's length on screen
    dx, dy = edge * math.cos(math.radians(30)), edge * math.sin(math.radians(30))
    left, right = (near[0] - dx, near[1] - dy), (near[0] + dx, near[1] - dy)
    far = (near[0], near[1] - 2 * dy)
    below = lambda p: (p[0], p[1] + edge)
    return {
        'U': [far, right, near, left],
        'F': [left, near, below(near), below(left)],
        'R': [near, right, below(right), below(near)],
    }


def sticker(quad, i, j, inset):
    """Sticker (row i, column j) of a face quad [a, b, c, d] with a margin of inset (in cells)."""
    a, b, _, d = quad
    u = lambda s, t: (a[0] + (b[0] - a[0]) * s + (d[0] - a[0]) * t, a[1] + (b[1] - a[1]) * s + (d[1] - a[1]) * t)
    s0, s1 = (j + inset) / 3, (j + 1 - inset) / 3
    t0, t1 = (i + inset) / 3, (i + 1 - inset) / 3
    return [u(s0, t0), u(s1, t0), u(s1, t1), u(s0, t1)]


def shapes():
    out = []
    for name, quad in corners().items():
        out.append((quad, BLACK))
        for i in range(3):
            for j in range(3):
                out.append((sticker(quad, i, j, 0.09), FACES[name]))
    return out


def inside(poly, x, y):
    hit = False
    for (x0, y0), (x1, y1) in zip(poly, poly[1:] + poly[:1]):
        if (y0 > y) != (y1 > y) and x < x0 + (y - y0) * (x1 - x0) / (y1 - y0):
            hit = not hit
    return hit


def render(size):
    sub = 4
    rows = []
    items = shapes()
    for py in range(size):
        row = bytearray()
        for px in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(sub):
                for sx in range(sub):
                    x, y = (px + (sx + 0.5) / sub) / size, (py + (sy + 0.5) / sub) / size
                    colour = None
                    for poly, c in items:
                        if inside(poly, x, y):
                            colour = c
                    if colour:
                        acc[0] += colour[0]
                        acc[1] += colour[1]
                        acc[2] += colour[2]
                        acc[3] += 255
            n = sub * sub
            alpha = acc[3] // n
            if alpha:
                row += bytes([acc[0] * 255 // acc[3], acc[1] * 255 // acc[3], acc[2] * 255 // acc[3], alpha])
            else:
                row += bytes(4)
        rows.append(bytes(row))
    return rows


def png(rows, size):
    raw = b''.join(b'\x00' + r for r in rows)
    chunk = lambda kind, data: struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', size, size, 8, 6, 0, 0, 0)) +
            chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))


def svg():
    parts = ['<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" viewBox="0 0 256 256">']
    for poly, c in shapes():
        pts = ' '.join(f'{x * 256:.2f},{y * 256:.2f}' for x, y in poly)
        parts.append(f'  <polygon points="{pts}" fill="rgb{c}" stroke="rgb{c}" stroke-width="0.5"/>')
    parts.append('</svg>')
    return '\n'.join(parts) + '\n'


def main():
    folder = pathlib.Path('assets/icons')
    folder.mkdir(parents=True, exist_ok=True)
    (folder / 'torvane.svg').write_text(svg())
    for size in (16, 32, 48, 64, 128, 256):
        (folder / f'torvane-{size}.png').write_bytes(png(render(size), size))


if __name__ == '__main__':
    main()
