#include "model/TurnTables.h"

namespace {

enum : int { U, F, R, B, L, D };

TCycle FaceCycle(int face, int N) {
    const int S = N * N;
    switch (face) {
    case U:
        return {{{F, N - 1, -1}, {L, N - 1, -1}, {B, N - 1, -1}, {R, N - 1, -1}}};
    case F:
        return {{{U, S - N, +1}, {R, 0, +N}, {D, N - 1, -1}, {L, S - 1, -N}}};
    case R:
        return {{{U, S - 1, -N}, {B, 0, +N}, {D, S - 1, -N}, {F, S - 1, -N}}};
    case B:
        return {{{U, N - 1, -1}, {L, 0, +N}, {D, S - N, +1}, {R, S - 1, -N}}};
    case L:
        return {{{U, 0, +N}, {F, 0, +N}, {D, 0, +N}, {B, S - 1, -N}}};
    default:
        return {{{F, S - N, +1}, {R, S - N, +1}, {B, S - N, +1}, {L, S - N, +1}}};
    }
}

TCycle SliceCycle(int axis, int k, int N) {
    const int S = N * N;
    switch (axis) {
    case 0: // V
        return {{{U, S - N + 1 + k, -N}, {B, N - 2 - k, +N}, {D, S - N + 1 + k, -N}, {F, S - N + 1 + k, -N}}};
    case 1: // M
        return {
            {{U, (k + 1) * N, +1}, {R, N - 2 - k, +N}, {D, S - (k + 1) * N - 1, -1}, {L, S - N + 1 + k, -N}}};
    default: // H
        return {{{F, S - (k + 1) * N - 1, -1},
                 {L, S - (k + 1) * N - 1, -1},
                 {B, S - (k + 1) * N - 1, -1},
                 {R, S - (k + 1) * N - 1, -1}}};
    }
}

std::vector<int> Ring(const TCycle& cycle, int N) {
    std::vector<int> ring;
    ring.reserve(4 * N + 1);
    for (const TStrip& strip : cycle) {
        for (int j = 0; j < N; ++j) {
            ring.push_back(strip.Face * N * N + strip.Start + j * strip.Step);
        }
    }
    ring.push_back(ring.front());
    return ring;
}

TTurnTables Build(int sizeIndex) {
    const int N = sizeIndex + 2;
    const int sliceCount = N - 2;
    TTurnTables t;
    for (int face = 0; face < 6; ++face) {
        t.FaceCycles[face] = FaceCycle(face, N);
        t.FaceRings[face] = Ring(t.FaceCycles[face], N);
    }
    for (int axis = 0; axis < 3; ++axis) {
        for (int k = 0; k < sliceCount; ++k) {
            t.SliceCycles.push_back(SliceCycle(axis, k, N));
            t.SliceRings.push_back(Ring(t.SliceCycles.back(), N));
        }
    }
    return t;
}

} // namespace

const TTurnTables& TurnTables(int sizeIndex) {
    static const std::array<TTurnTables, 2> tables = {Build(0), Build(1)};
    return tables[sizeIndex == 0 ? 0 : 1];
}
