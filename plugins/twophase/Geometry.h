#pragma once
// The cube in space, for reading sticker grids: x to R, y to U, z to F. A cubie sits at a point whose
// coordinates are -1, 0 or 1 (-1 or 1 on the 2x2x2), a sticker at its cubie and its face's normal.
// Private to the engine.

namespace twophase {

struct TVec {
    int x, y, z;
    bool operator==(const TVec&) const = default;
};
constexpr int Dot(TVec a, TVec b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
constexpr TVec Add(TVec a, TVec b, int kb, TVec c, int kc) {
    return {a.x + kb * b.x + kc * c.x, a.y + kb * b.y + kc * c.y, a.z + kb * b.z + kc * c.z};
}
// A clockwise quarter turn of v about n, seen from the side n points to.
constexpr TVec QuarterTurn(TVec n, TVec v) {
    const int d = Dot(n, v);
    return {d * n.x - (n.y * v.z - n.z * v.y), d * n.y - (n.z * v.x - n.x * v.z),
            d * n.z - (n.x * v.y - n.y * v.x)};
}

// Outward normal, direction of growing column, direction of growing row; faces U F R B L D.
struct TFrame {
    TVec Normal, Right, Down;
};
inline constexpr TFrame Frames[6] = {
    {{0, 1, 0}, {1, 0, 0}, {0, 0, 1}},    // U: row 0 at the back
    {{0, 0, 1}, {1, 0, 0}, {0, -1, 0}},   // F
    {{1, 0, 0}, {0, 0, -1}, {0, -1, 0}},  // R: column 0 at F
    {{0, 0, -1}, {-1, 0, 0}, {0, -1, 0}}, // B: column 0 at R
    {{-1, 0, 0}, {0, 0, 1}, {0, -1, 0}},  // L: column 0 at B
    {{0, -1, 0}, {1, 0, 0}, {0, 0, -1}},  // D: row 0 at the front
};

constexpr int FaceWithNormal(TVec n) {
    for (int f = 0; f < 6; ++f) {
        if (Frames[f].Normal == n) {
            return f;
        }
    }
    return -1;
}

} // namespace twophase
