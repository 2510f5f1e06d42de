#pragma once
// An independent picture of the cube in space, built from the face-grid layout alone (not from the
// turn tables), so that tests can work out where a turn must carry each sticker.
// Coordinates are doubled so that every sticker centre is integral: the cube spans -N..N.

#include <algorithm>
#include <array>

namespace geometry {

struct Vec {
    int x = 0, y = 0, z = 0;
    bool operator==(const Vec&) const = default;
    Vec operator+(Vec b) const { return {x + b.x, y + b.y, z + b.z}; }
    Vec operator-(Vec b) const { return {x - b.x, y - b.y, z - b.z}; }
    friend Vec operator*(int k, Vec a) { return {k * a.x, k * a.y, k * a.z}; }
    friend int Dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
    friend Vec Cross(Vec a, Vec b) {
        return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
    }
};

// Outward normal, direction of increasing column, direction of increasing row; faces U F R B L D.
struct FaceFrame {
    Vec Normal, Right, Down;
};
inline constexpr std::array<FaceFrame, 6> Frames = {{
    {{0, 1, 0}, {1, 0, 0}, {0, 0, 1}},    // U: row 0 at the back, column 0 at L
    {{0, 0, 1}, {1, 0, 0}, {0, -1, 0}},   // F: row 0 at U, column 0 at L
    {{1, 0, 0}, {0, 0, -1}, {0, -1, 0}},  // R: column 0 at F
    {{0, 0, -1}, {-1, 0, 0}, {0, -1, 0}}, // B: column 0 at R
    {{-1, 0, 0}, {0, 0, 1}, {0, -1, 0}},  // L: column 0 at B
    {{0, -1, 0}, {1, 0, 0}, {0, 0, -1}},  // D: row 0 at the front, column 0 at L
}};

// Centre of the sticker at position index of face f on a cube of size N.
inline Vec StickerCentre(int N, int f, int index) {
    const int r = index / N, c = index % N;
    const FaceFrame& fr = Frames[f];
    return N * fr.Normal + (2 * c - (N - 1)) * fr.Right + (2 * r - (N - 1)) * fr.Down;
}

// The position id (face * N^2 + index) of the sticker with this centre and normal, or -1.
inline int StickerAt(int N, Vec centre, Vec normal) {
    for (int f = 0; f < 6; ++f) {
        for (int i = 0; i < N * N; ++i) {
            if (Frames[f].Normal == normal && StickerCentre(N, f, i) == centre) {
                return f * N * N + i;
            }
        }
    }
    return -1;
}

// A clockwise quarter turn about Axis as seen from the side Axis points to.
inline Vec QuarterTurn(Vec axis, Vec v) {
    return Dot(axis, v) * axis - Cross(axis, v);
}

// Layer of a point along a unit axis: 0 at the negative side up to N - 1 at the positive side.
inline int LayerAlong(int N, Vec axis, Vec p) {
    return std::clamp((Dot(axis, p) + N - 1) / 2, 0, N - 1);
}

} // namespace geometry
