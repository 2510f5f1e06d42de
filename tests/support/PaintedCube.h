#pragma once
// A model showing the colours of a facelet text in face order "ufrbld", for the engine's tests and
// benchmark.

#include "model/Cubi.h"

#include <cstdint>
#include <string>

namespace testsupport {

inline TRubikCube Painted(const std::string& facelets) {
    TRubikCube cube(1);
    cube.Clean();
    for (std::size_t id = 0; id < 54; ++id) {
        cube.GetState().Cubies[id / 9][id % 9].Color =
            static_cast<std::uint8_t>(ColorLetters.find(facelets[id]));
    }
    return cube;
}

} // namespace testsupport
