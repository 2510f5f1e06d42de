#pragma once
// Models for the tests and benchmarks: a clean cube after moves, and a 3x3x3 cube showing the colours
// of a facelet text in face order "ufrbld".

#include "model/Cubi.h"

#include <cstdint>
#include <stdexcept>
#include <string>

namespace testsupport {

// A clean cube (3x3x3 unless told otherwise) after the moves. Moves it refuses throw: they are the
// test's own mistake, and a test that went on would check the wrong cube.
inline TRubikCube CleanCube(const std::string& Moves = "", std::uint8_t SizeIndex = 1) {
    TRubikCube cube(SizeIndex);
    cube.Clean();
    if (!cube.PerformMoves(Moves)) {
        throw std::invalid_argument("no moves: " + Moves);
    }
    return cube;
}

// The state of a clean 3x3x3 cube after the moves. Sticker counters only grow, so a state is named by
// the whole sequence of moves that led to it, undone moves included.
inline CubeState0 After(const std::string& Moves) {
    return CleanCube(Moves).GetState();
}

inline TRubikCube Painted(const std::string& facelets) {
    TRubikCube cube = CleanCube();
    for (std::size_t id = 0; id < 54; ++id) {
        cube.GetState().Cubies[id / 9][id % 9].Color =
            static_cast<std::uint8_t>(ColorLetters.find(facelets[id]));
    }
    return cube;
}

} // namespace testsupport
