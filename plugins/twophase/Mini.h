#pragma once
// The 2x2x2 cube, solved in the fewest face turns (a half turn counts as one; 11 at most).
//
// Facelet text: 24 letters, faces in the order u f r b l d, four stickers each, row by row on the same
// grids as the 3x3x3 text (Cube.h). There are no centres: a letter names the colour its face shows on
// the clean cube, and a cube held any way up is solved once every face shows one colour.
//
// The cube is first turned whole so that its D-B-L piece is home with d down; that cube is solved
// with U, R and F turns alone, walking down a table of exact distances over all its 7! * 3^6 states,
// and the turns are then named by the faces of the cube as it was handed in.

#include "plugins/twophase/Search.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace twophase {

inline constexpr int MiniFaceletCount = 24;
inline constexpr int MiniMaxMoves = 11;

// Faults, as in Cube.h: Letters (not 24 letters out of "ufrbld"), Counts (a colour not on exactly
// four stickers), Pieces (a corner that cannot exist, a mirrored one, or one there twice) and
// TwistedCorner. Moves are numbered as in Cube.h and may turn any of the six faces.
TSolveResult SolveMini(std::string_view facelets);

// How many states lie at each distance from solved, D-B-L held in place: entry d for distance d.
std::vector<std::uint32_t> MiniDistanceCounts();

// Builds the shared distance table now instead of on the first solve; gives its size in bytes.
std::size_t PrepareMiniTable();

} // namespace twophase
