#pragma once
// States to compare a game's model with. Sticker counters only grow, so a state is named by the whole
// sequence of moves that led to it, undone moves included.

#include "model/Cubi.h"

#include <gtest/gtest.h>

#include <string>

namespace testsupport {

// A clean 3x3x3 cube after the moves.
inline CubeState0 After(const std::string& moves) {
    TRubikCube cube(1);
    cube.Clean();
    EXPECT_TRUE(cube.PerformMoves(moves));
    return cube.GetState();
}

} // namespace testsupport
