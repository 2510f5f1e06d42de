#pragma once
// The turn tables shared by every cube model. A turn carries the stickers of a closed ring of 4N
// positions N places on; a ring is four strips, run in the direction in which the stickers travel.
// The tables are built once, on first use (thread-safe), and are read-only afterwards.

#include <array>
#include <vector>

// N positions of one face: Start, Start + Step, ..., Start + (N - 1) * Step.
struct TStrip {
    int Face;
    int Start;
    int Step;
};

using TCycle = std::array<TStrip, 4>;
// Quarter turns added to the counter of every sticker that leaves the strip, one value per strip.
using TTwists = std::array<int, 4>;

inline constexpr std::array<TTwists, 6> FaceTwists = {{
    {0, 0, 0, 0}, // U
    {1, 1, 1, 1}, // F
    {2, 2, 0, 0}, // R
    {3, 3, 3, 3}, // B
    {0, 0, 2, 2}, // L
    {0, 0, 0, 0}, // D
}};

inline constexpr std::array<TTwists, 3> SliceTwists = {{
    {2, 2, 0, 0}, // V
    {1, 1, 1, 1}, // M
    {0, 0, 0, 0}, // H
}};

struct TTurnTables {
    std::array<TCycle, 6> FaceCycles;
    std::vector<TCycle> SliceCycles; // entry axis * SliceCount + k
    // Sticker ids of each ring in ring order, 4N ids followed by the first again, so that the last
    // and the first position are neighbours too.
    std::array<std::vector<int>, 6> FaceRings;
    std::vector<std::vector<int>> SliceRings; // entry axis * SliceCount + k
};

// The tables of size index 0 (2x2x2) or 1 (3x3x3).
const TTurnTables& TurnTables(int sizeIndex);
