#!/usr/bin/env python3
"""Draws our own environments (skyboxes) and writes them with their ".env" files.

    tools/make_skyboxes.py [--out assets/Environment] [--size N] [--only NAME ...]

Three scenes, one per picture format the texture loaders read:

    Meadow     sky with sun and soft clouds over rolling grassland   JPEG, 512 px (via ImageMagick)
    TiledRoom  a tiled bathroom-like room, its walls the box itself   BMP 24-bit, 256 px
    Starfield  stars, a faint galactic band and a ringed planet       TGA run-length encoded, 512 px

Every picture is computed per pixel from the 3D point of the box face it shows, with the face
placement the environment box uses (faces at distance 0.99 of a half side 1, texture s and t as the
box's table says). Where two faces meet, both pictures therefore show the same point: the box has no
visible seams. Standard library only, apart from ImageMagick's "convert" for the JPEG files. The
output is the same on every run.
"""

import argparse
import math
import os
import random
import subprocess
import sys
import tempfile
from multiprocessing import Pool

# Faces in the order U F R B L D: the direction from the centre to the face, and the directions in
# which texture s and t grow. Texture t = 0 is the bottom row of a picture.
FACES = {
    "Up": ((0, 1, 0), (0, 0, 1), (-1, 0, 0)),
    "Front": ((0, 0, 1), (-1, 0, 0), (0, 1, 0)),
    "Right": ((1, 0, 0), (0, 0, 1), (0, 1, 0)),
    "Back": ((0, 0, -1), (1, 0, 0), (0, 1, 0)),
    "Left": ((-1, 0, 0), (0, 0, -1), (0, 1, 0)),
    "Down": ((0, -1, 0), (0, 0, 1), (1, 0, 0)),
}
PLANE = 0.99  # the faces' distance from the centre, for a half side of 1


def face_point(face, s, t):
    out, su, tu = FACES[face]
    a, b = 2 * s - 1, 2 * t - 1
    return tuple(PLANE * out[i] + a * su[i] + b * tu[i] for i in range(3))


def normalize(v):
    n = math.sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2])
    return (v[0] / n, v[1] / n, v[2] / n)


def dot(a, b):
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]


def clamp01(x):
    return 0.0 if x < 0 else 1.0 if x > 1 else x


def smoothstep(e0, e1, x):
    t = clamp01((x - e0) / (e1 - e0))
    return t * t * (3 - 2 * t)


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


# ---- value noise ----

_rng = random.Random(1994)
_PERM = list(range(256))
_rng.shuffle(_PERM)
_PERM += _PERM
_VAL = [_rng.random() for _ in range(256)]


def noise2(x, y):
    ix, iy = math.floor(x), math.floor(y)
    fx, fy = x - ix, y - iy
    ix &= 255
    iy &= 255
    ux, uy = fx * fx * (3 - 2 * fx), fy * fy * (3 - 2 * fy)
    p0, p1 = _PERM[ix], _PERM[ix + 1]
    a = _VAL[_PERM[p0 + iy]]
    b = _VAL[_PERM[p1 + iy]]
    c = _VAL[_PERM[p0 + iy + 1]]
    d = _VAL[_PERM[p1 + iy + 1]]
    top = a + (b - a) * ux
    return top + (c + (d - c) * ux - top) * uy


def fbm2(x, y, octaves):
    total, amp, norm = 0.0, 0.5, 0.0
    for _ in range(octaves):
        total += amp * noise2(x, y)
        norm += amp
        # Turn a little between octaves so that the lattice does not show.
        x, y = 1.6 * x + 1.2 * y + 17.3, -1.2 * x + 1.6 * y + 5.1
        amp *= 0.5
    return total / norm


def noise3(x, y, z):
    ix, iy, iz = math.floor(x), math.floor(y), math.floor(z)
    fx, fy, fz = x - ix, y - iy, z - iz
    ix &= 255
    iy &= 255
    iz &= 255
    ux, uy, uz = fx * fx * (3 - 2 * fx), fy * fy * (3 - 2 * fy), fz * fz * (3 - 2 * fz)
    P, V = _PERM, _VAL
    a, b = P[ix] + iy, P[ix + 1] + iy
    aa, ab, ba, bb = P[a] + iz, P[a + 1] + iz, P[b] + iz, P[b + 1] + iz
    x00 = V[P[aa]] + (V[P[ba]] - V[P[aa]]) * ux
    x10 = V[P[ab]] + (V[P[bb]] - V[P[ab]]) * ux
    x01 = V[P[aa + 1]] + (V[P[ba + 1]] - V[P[aa + 1]]) * ux
    x11 = V[P[ab + 1]] + (V[P[bb + 1]] - V[P[ab + 1]]) * ux
    y0 = x00 + (x10 - x00) * uy
    y1 = x01 + (x11 - x01) * uy
    return y0 + (y1 - y0) * uz


def fbm3(x, y, z, octaves):
    total, amp, norm = 0.0, 0.5, 0.0
    for _ in range(octaves):
        total += amp * noise3(x, y, z)
        norm += amp
        x, y, z = 1.7 * x + 0.9 * z + 3.1, 1.8 * y + 0.7 * x + 9.7, 1.6 * z - 0.8 * y + 1.3
        amp *= 0.5
    return total / norm


def hash01(*ints):
    h = 2166136261
    for i in ints:
        h = ((h ^ (i & 0xFFFFFFFF)) * 16777619) & 0xFFFFFFFF
    h ^= h >> 15
    h = (h * 2246822519) & 0xFFFFFFFF
    h ^= h >> 13
    return h / 4294967296.0


# ---- Meadow: sky, sun, clouds, hills and grass ----

SUN = normalize((0.75, 0.42, -0.5))
ZENITH = (0.16, 0.36, 0.76)
HORIZON = (0.72, 0.83, 0.94)
HAZE = (0.74, 0.80, 0.86)


def meadow(face, p):
    d = normalize(p)
    x, y, z = d
    sun_cos = dot(d, SUN)
    if y > 0:
        # Elevation angle of the hills, from noise around the horizon circle (no seam at any azimuth).
        h = math.sqrt(x * x + z * z)
        cx, cz = x / h, z / h
        hills = 0.02 + 0.12 * fbm2(cx * 1.8 + 4.0, cz * 1.8 + 9.0, 4) ** 1.5
        far_hills = 0.04 + 0.10 * fbm2(cx * 1.1 + 21.0, cz * 1.1 + 2.0, 3)
        elevation = math.asin(clamp01(y))
        if elevation < hills:
            # Near hills: green, fading into the haze toward their tops.
            g = fbm2(cx * 40 + elevation * 90, cz * 40, 3)
            base = mix((0.22, 0.40, 0.16), (0.32, 0.46, 0.20), g)
            return mix(base, HAZE, 0.3 + 0.35 * elevation / hills)
        if elevation < far_hills:
            return mix((0.45, 0.55, 0.62), HAZE, 0.55 + 0.3 * elevation / far_hills)
        sky = mix(HORIZON, ZENITH, smoothstep(0.0, 1.0, y) ** 0.6)
        glow = max(0.0, sun_cos) ** 8 * 0.35 + max(0.0, sun_cos) ** 200 * 0.6
        sky = mix(sky, (1.0, 0.96, 0.85), clamp01(glow))
        if sun_cos > 0.99965:  # the sun's disc, about 1.5 degrees across
            return (1.0, 1.0, 0.96)
        # Clouds on a flat layer above: project the ray onto it.
        k = 0.9 / max(y, 0.02)
        qx, qz = x * k, z * k
        n = fbm2(qx * 1.1, qz * 1.1, 6)
        cover = smoothstep(0.42, 0.70, n) * smoothstep(0.04, 0.30, y)
        if cover > 0:
            # Thicker parts are greyer underneath; the side toward the sun is brighter.
            lit = fbm2(qx * 1.1 + SUN[0] * 0.12, qz * 1.1 + SUN[2] * 0.12, 6)
            shade = clamp01(0.75 + (n - lit) * 4.0)
            cloud = mix((0.66, 0.70, 0.78), (1.0, 0.99, 0.97), shade)
            cloud = mix(cloud, (1.0, 0.97, 0.90), max(0.0, sun_cos) ** 6 * 0.4)
            sky = mix(sky, cloud, cover)
        return sky
    # The ground: grass on a plane below, hazier with distance.
    k = 1.0 / max(-y, 0.01)
    gx, gz = x * k, z * k
    dist = k * math.sqrt(x * x + z * z)
    patches = fbm2(gx * 0.35 + 40, gz * 0.35, 5)
    fine = fbm2(gx * 6.0, gz * 6.0, 3)
    grass = mix((0.20, 0.38, 0.11), (0.46, 0.55, 0.18), smoothstep(0.35, 0.70, patches))
    grass = mix(grass, (0.14, 0.30, 0.09), 0.35 * fine * math.exp(-dist * 0.25))
    # Flowers near by: a few bright dots in a jittered grid.
    fx, fz = gx * 3.0, gz * 3.0
    cx, cz = math.floor(fx), math.floor(fz)
    r = hash01(cx, cz, 7)
    if r < 0.22 and dist < 6:
        ox, oz = hash01(cx, cz, 1), hash01(cx, cz, 2)
        if (fx - cx - ox) ** 2 + (fz - cz - oz) ** 2 < 0.006:
            colour = ((0.95, 0.95, 0.90), (0.95, 0.85, 0.20), (0.80, 0.30, 0.55))[int(r * 100) % 3]
            grass = mix(grass, colour, 0.9 * math.exp(-dist * 0.3))
    light = 0.85 + 0.15 * max(0.0, SUN[1])
    grass = tuple(c * light for c in grass)
    return mix(grass, HAZE, 0.4 * (1 - math.exp(-dist * 0.06)))


# ---- TiledRoom: the box is the room ----

EDGE = PLANE  # walls, floor and ceiling meet here
GROUT = (0.70, 0.70, 0.67)


def tile(u, v, size, grout, u0=-EDGE, v0=0.0):
    """Tile indices and whether (u, v) lies on a grout line of a grid anchored at (u0, v0)."""
    a, b = (u - u0) / size, (v - v0) / size
    i, j = math.floor(a), math.floor(b)
    fa, fb = a - i, b - j
    g = grout / size
    return i, j, fa < g or fa > 1 - g or fb < g or fb > 1 - g


def room_wall(u, y, wall):
    """One wall at horizontal position u (-EDGE..EDGE, left to right seen from inside) and height y."""
    if y < -EDGE + 0.07:
        return (0.33, 0.20, 0.11)  # skirting, the same brown as the floor's border
    if y > EDGE - 0.07:
        return (0.93, 0.93, 0.91)  # cornice, as the ceiling's rim
    # Features away from the corners.
    if wall == "Back":
        # A picture: a frame round a three-by-three grid of coloured squares.
        if abs(u) < 0.36 and 0.05 < y < 0.77:
            if abs(u) > 0.32 or y < 0.09 or y > 0.73:
                return (0.55, 0.40, 0.18)
            colours = [(0.80, 0.15, 0.12), (0.95, 0.95, 0.95), (0.10, 0.30, 0.75), (0.95, 0.55, 0.10),
                       (0.15, 0.60, 0.25), (0.95, 0.85, 0.15)]
            i, j = int((u + 0.32) / 0.64 * 3), int((y - 0.09) / 0.64 * 3)
            fu, fv = (u + 0.32) / 0.64 * 3 - i, (y - 0.09) / 0.64 * 3 - j
            if fu < 0.06 or fu > 0.94 or fv < 0.06 or fv > 0.94:
                return (0.08, 0.08, 0.08)
            return colours[int(hash01(i, j, 3) * 6) % 6]
    if wall == "Right":
        # A window with sky behind it.
        if abs(u) < 0.42 and -0.05 < y < 0.75:
            if abs(u) > 0.38 or y < -0.01 or y > 0.71 or abs(u) < 0.015 or abs(y - 0.35) < 0.015:
                return (0.96, 0.96, 0.94)
            sky = mix((0.75, 0.86, 0.97), (0.35, 0.58, 0.90), (y + 0.05) / 0.8)
            n = fbm2(u * 4 + 3, y * 6, 4)
            return mix(sky, (1, 1, 1), smoothstep(0.55, 0.75, n))
    if wall == "Left":
        # A wooden door.
        if abs(u + 0.1) < 0.3 and y < 0.5:
            if abs(u + 0.1) > 0.27 or y > 0.47:
                return (0.40, 0.25, 0.12)
            grain = fbm2((u + 0.1) * 3, y * 40, 3)
            wood = mix((0.50, 0.32, 0.16), (0.62, 0.42, 0.22), grain)
            if abs(u + 0.1) < 0.21 and (abs(y - 0.25) < 0.18 or abs(y + 0.6) < 0.25):
                if abs(abs(u + 0.1) - 0.21) < 0.012 or abs(abs(y - 0.25) - 0.18) < 0.012 or \
                        (abs(y - 0.25) >= 0.18 and abs(abs(y + 0.6) - 0.25) < 0.012):
                    wood = tuple(c * 0.75 for c in wood)
            if (u + 0.1 - 0.2) ** 2 + (y + 0.05) ** 2 < 0.0009:
                return (0.85, 0.75, 0.35)  # knob
            return wood
    # Tiles: teal below a dark blue border, cream above. Their grid starts at the corners, so that a
    # grout line runs down every corner of the room.
    size = 2 * EDGE / 12
    if y < -0.12:
        i, j, g = tile(u, y, size, 0.008, v0=-EDGE + 0.07)
        if g:
            return GROUT
        base = (0.18, 0.50, 0.50)
    elif y < -0.04:
        i, j, g = tile(u, y, size / 2, 0.008, v0=-0.12)
        if g:
            return GROUT
        return (0.12, 0.16, 0.45)
    else:
        i, j, g = tile(u, y, size, 0.008, v0=-0.04)
        if g:
            return GROUT
        base = (0.93, 0.91, 0.85)
    k = 0.95 + 0.08 * hash01(i, j, 11 if y < 0 else 12)
    return tuple(c * k for c in base)


def room_floor(x, z):
    if abs(x) > EDGE - 0.09 or abs(z) > EDGE - 0.09:
        return (0.33, 0.20, 0.11)  # wooden border round the floor
    size = 2 * (EDGE - 0.09) / 8
    i, j, g = tile(x, z, size, 0.006, u0=-(EDGE - 0.09), v0=-(EDGE - 0.09))
    if g:
        return (0.45, 0.45, 0.43)
    # Marble: veins from stretched noise.
    vein = abs(fbm2(x * 3 + z * 5 + i * 7.0, z * 3 - x * 2 + j * 5.0, 5) - 0.5)
    if (i + j) % 2:
        base, veins = (0.90, 0.89, 0.86), (0.60, 0.60, 0.62)
    else:
        base, veins = (0.16, 0.16, 0.18), (0.42, 0.42, 0.45)
    return mix(base, veins, smoothstep(0.04, 0.0, vein) * 0.8)


def room_ceiling(x, z):
    if abs(x) > EDGE - 0.07 or abs(z) > EDGE - 0.07:
        return (0.93, 0.93, 0.91)
    if abs(x) < 0.32 and abs(z) < 0.32:
        if abs(x) > 0.29 or abs(z) > 0.29:
            return (0.80, 0.80, 0.78)  # the lamp's frame
        return (1.0, 1.0, 0.96)
    return (0.96, 0.96, 0.94)


LAMP = (0.0, EDGE, 0.0)


def tiled_room(face, p):
    # The overlap past a face's edge is hidden behind the neighbouring face: draw it as the edge.
    x, y, z = (max(-EDGE, min(EDGE, c)) for c in p)
    if face == "Up":
        surface = room_ceiling(x, z)
        if abs(x) < 0.29 and abs(z) < 0.29:
            return surface  # the lamp shines by itself
    elif face == "Down":
        surface = room_floor(x, z)
    else:
        # Along the wall from left to right, seen from inside: the face's own s direction.
        u = max(-EDGE, min(EDGE, dot(p, FACES[face][1])))
        surface = room_wall(u, y, face)
    # Light by distance from the lamp (not by the surface's slant, so that a corner shows one colour
    # on both sides), and darker into every corner.
    d2 = (x - LAMP[0]) ** 2 + (y - LAMP[1]) ** 2 + (z - LAMP[2]) ** 2
    light = 0.62 + 0.5 * math.exp(-d2 * 0.55)
    for c in (x, y, z):
        light *= 1 - 0.28 * math.exp(-(EDGE - abs(c)) / 0.09)
    return tuple(clamp01(c * light) for c in surface)


# ---- Starfield: stars, a faint band, a ringed planet ----

BAND_NORMAL = normalize((0.35, 0.85, 0.40))
PLANET_CENTRE = tuple(10.0 * c for c in normalize((-0.40, 0.36, -1.0)))
PLANET_RADIUS = 1.45
PLANET_LIGHT = normalize((0.8, 0.35, 0.5))
RING_NORMAL = normalize((0.25, 1.0, -0.35))


def make_stars(seed=4242):
    rng = random.Random(seed)
    stars = []

    def colour():
        t = rng.random()
        if t < 0.15:
            return (1.0, 0.78, 0.55)
        if t < 0.35:
            return (0.70, 0.80, 1.0)
        return (1.0, 0.97, 0.92)

    for _ in range(9000):
        v = normalize((rng.gauss(0, 1), rng.gauss(0, 1), rng.gauss(0, 1)))
        stars.append((v, 0.08 + 0.92 * rng.random() ** 7, colour()))
    # Many faint stars crowd into the galactic band.
    while len(stars) < 20000:
        v = normalize((rng.gauss(0, 1), rng.gauss(0, 1), rng.gauss(0, 1)))
        if rng.random() < math.exp(-(dot(v, BAND_NORMAL) / 0.12) ** 2):
            stars.append((v, 0.05 + 0.35 * rng.random() ** 4, colour()))
    return stars


def planet_hit(d):
    """Distance along the ray to the planet, or None."""
    b = dot(d, PLANET_CENTRE)
    c = dot(PLANET_CENTRE, PLANET_CENTRE) - PLANET_RADIUS ** 2
    disc = b * b - c
    if disc < 0:
        return None
    return b - math.sqrt(disc)


def ring_at(d):
    """Colour and opacity of the ring where the ray crosses its plane, with the distance there."""
    denom = dot(d, RING_NORMAL)
    if abs(denom) < 1e-6:
        return None
    t = dot(PLANET_CENTRE, RING_NORMAL) / denom
    if t <= 0:
        return None
    q = tuple(t * d[i] - PLANET_CENTRE[i] for i in range(3))
    r = math.sqrt(dot(q, q)) / PLANET_RADIUS
    if not 1.35 < r < 2.25:
        return None
    bands = 0.55 + 0.45 * math.sin(r * 38.0) * math.sin(r * 11.0)
    alpha = clamp01(bands) * smoothstep(1.35, 1.45, r) * smoothstep(2.25, 2.1, r) * (0.35 if 1.78 < r < 1.84 else 1.0)
    # The planet's shadow on the ring, on the side away from the light.
    shadow = 1.0
    along = dot(q, PLANET_LIGHT)
    if along < 0:
        off = tuple(q[i] - along * PLANET_LIGHT[i] for i in range(3))
        if dot(off, off) < PLANET_RADIUS ** 2:
            shadow = 0.25
    colour = tuple(c * shadow for c in mix((0.55, 0.50, 0.42), (0.85, 0.78, 0.62), bands))
    return colour, alpha * 0.9, t


def planet(d):
    """The planet and its ring in direction d, as (colour, opacity), or None."""
    hit = planet_hit(d)
    ring = ring_at(d)
    body = None
    if hit is not None:
        q = tuple(hit * d[i] - PLANET_CENTRE[i] for i in range(3))
        n = normalize(q)
        lat = dot(n, RING_NORMAL)
        stripes = fbm2(lat * 9.0, 0.5 * fbm3(n[0] * 3, n[1] * 3, n[2] * 3, 3), 4)
        base = mix((0.62, 0.45, 0.30), (0.92, 0.82, 0.62), smoothstep(0.3, 0.7, stripes))
        light = max(0.0, dot(n, PLANET_LIGHT))
        rim = 1 - max(0.0, -dot(n, d))
        body = (tuple(c * (0.03 + 0.97 * light) + 0.05 * rim * light for c in base), 1.0)
    if ring is not None and (hit is None or ring[2] < hit):
        colour, alpha, _ = ring
        if body is None:
            return colour, alpha
        return mix(body[0], colour, alpha), 1.0
    return body


def starfield_background(d):
    # A faint glow along the band, in coarse steps so that run-length encoding keeps its runs.
    band = math.exp(-(dot(d, BAND_NORMAL) / 0.16) ** 2)
    if band < 0.05:
        return (0.0, 0.0, 0.0)
    cloud = fbm3(d[0] * 4 + 2, d[1] * 4, d[2] * 4, 4)
    glow = band * smoothstep(0.35, 0.75, cloud) * 0.09
    glow = math.floor(glow * 255 / 3) * 3 / 255
    return (glow * 0.95, glow * 0.85, glow * 1.15)


def render_starfield(face, size, stars):
    img = [[(0.0, 0.0, 0.0)] * size for _ in range(size)]
    out, su, tu = FACES[face]
    for row in range(size):
        t = 1 - (row + 0.5) / size
        for col in range(size):
            s = (col + 0.5) / size
            img[row][col] = starfield_background(normalize(face_point(face, s, t)))
    # Each star is spread over the pixels around where its direction meets this face's plane; near an
    # edge it lands on both faces, each drawing its own part.
    for v, bright, colour in stars:
        along = dot(v, out)
        if along <= 0.5:
            continue
        k = PLANE / along
        s = (dot(v, su) * k + 1) / 2
        t = (dot(v, tu) * k + 1) / 2
        cx, cy = s * size - 0.5, (1 - t) * size - 0.5
        sigma = (0.45 + 0.9 * bright) * size / 512
        reach = int(math.ceil(sigma * 3))
        for row in range(int(cy) - reach, int(cy) + reach + 2):
            if not 0 <= row < size:
                continue
            for col in range(int(cx) - reach, int(cx) + reach + 2):
                if not 0 <= col < size:
                    continue
                w = bright * 1.6 * math.exp(-((col - cx) ** 2 + (row - cy) ** 2) / (2 * sigma * sigma))
                if w < 0.02:
                    continue
                p = img[row][col]
                img[row][col] = tuple(p[i] + w * colour[i] for i in range(3))
    # The planet goes over the stars.
    for row in range(size):
        t = 1 - (row + 0.5) / size
        for col in range(size):
            s = (col + 0.5) / size
            d = normalize(face_point(face, s, t))
            if dot(d, normalize(PLANET_CENTRE)) < 0.9:
                continue
            hit = planet(d)
            if hit:
                colour, alpha = hit
                img[row][col] = mix(img[row][col], colour, alpha)
    return img


# ---- rendering and writing ----

SCENES = {
    # name: (scene function or None for a custom renderer, extension, size)
    "Meadow": (meadow, "jpg", 512),
    "TiledRoom": (tiled_room, "bmp", 256),
    "Starfield": (None, "tga", 512),
}


def render(job):
    name, face, size = job
    if name == "Starfield":
        img = render_starfield(face, size, make_stars())
    else:
        scene = SCENES[name][0]
        img = []
        for row in range(size):
            t = 1 - (row + 0.5) / size
            img.append([scene(face, face_point(face, (col + 0.5) / size, t)) for col in range(size)])
    # Rows top first, three bytes red, green, blue.
    rows = []
    for line in img:
        b = bytearray()
        for r, g, bl in line:
            b += bytes((int(clamp01(r) * 255 + 0.5), int(clamp01(g) * 255 + 0.5), int(clamp01(bl) * 255 + 0.5)))
        rows.append(bytes(b))
    return name, face, rows


def write_bmp(path, rows):
    h, w = len(rows), len(rows[0]) // 3
    stride = (w * 3 + 3) & ~3
    data = bytearray()
    for line in reversed(rows):  # bottom row first
        for i in range(0, len(line), 3):
            data += bytes((line[i + 2], line[i + 1], line[i]))
        data += bytes(stride - w * 3)
    header = bytearray(54)
    header[0:2] = b"BM"
    header[2:6] = (54 + len(data)).to_bytes(4, "little")
    header[10:14] = (54).to_bytes(4, "little")
    header[14:18] = (40).to_bytes(4, "little")
    header[18:22] = w.to_bytes(4, "little")
    header[22:26] = h.to_bytes(4, "little")
    header[26:28] = (1).to_bytes(2, "little")
    header[28:30] = (24).to_bytes(2, "little")
    header[34:38] = len(data).to_bytes(4, "little")
    header[38:42] = header[42:46] = (2835).to_bytes(4, "little")  # 72 dots per inch
    with open(path, "wb") as f:
        f.write(header + data)


def write_tga_rle(path, rows):
    h, w = len(rows), len(rows[0]) // 3
    header = bytearray(18)
    header[2] = 10
    header[12:14] = w.to_bytes(2, "little")
    header[14:16] = h.to_bytes(2, "little")
    header[16] = 24
    out = bytearray(header)
    for line in reversed(rows):  # bottom row first; packets never cross rows
        px = [bytes((line[i + 2], line[i + 1], line[i])) for i in range(0, len(line), 3)]
        i = 0
        while i < w:
            run = 1
            while i + run < w and run < 128 and px[i + run] == px[i]:
                run += 1
            if run > 1:
                out.append(127 + run)
                out += px[i]
                i += run
                continue
            raw = 1
            while i + raw < w and raw < 128 and px[i + raw] != px[i + raw - 1]:
                raw += 1
            out.append(raw - 1)
            for k in range(raw):
                out += px[i + k]
            i += raw
    with open(path, "wb") as f:
        f.write(out)


def write_jpg(path, rows):
    h, w = len(rows), len(rows[0]) // 3
    with tempfile.NamedTemporaryFile(suffix=".ppm", delete=False) as f:
        f.write(b"P6\n%d %d\n255\n" % (w, h))
        for line in rows:
            f.write(line)
        ppm = f.name
    try:
        subprocess.run(["convert", ppm, "-strip", "-quality", "90", "-sampling-factor", "2x2", path], check=True)
    finally:
        os.unlink(ppm)


WRITERS = {"bmp": write_bmp, "tga": write_tga_rle, "jpg": write_jpg}


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--out", default=os.path.join(here, "..", "assets", "Environment"))
    parser.add_argument("--size", type=int, help="side of every picture (default: each scene's own)")
    parser.add_argument("--only", nargs="*", choices=sorted(SCENES), help="draw only these scenes")
    args = parser.parse_args()

    names = args.only or list(SCENES)
    jobs = [(n, f, args.size or SCENES[n][2]) for n in names for f in FACES]
    with Pool(os.cpu_count()) as pool:
        results = pool.map(render, jobs)
    for name, face, rows in results:
        ext = SCENES[name][1]
        folder = os.path.join(args.out, name)
        os.makedirs(folder, exist_ok=True)
        WRITERS[ext](os.path.join(folder, "%s.%s" % (face, ext)), rows)
    for name in names:
        with open(os.path.join(args.out, name + ".env"), "w", newline="\r\n") as f:
            f.write("[ENVIRON]\nPath=%s/\nExtension=%s\n" % (name, SCENES[name][1]))
        print("wrote", os.path.normpath(os.path.join(args.out, name + ".env")), file=sys.stderr)


if __name__ == "__main__":
    main()
