// The move notation: which texts are moves. What they parse to is the turn tests' (faces, axes and
// slices), the engine's answers' (quarter and half turns), the move thread's (animation) and the game
// window's undo list (names).
#include "model/Notation.h"

#include "model/Cubi.h"

#include <gtest/gtest.h>

namespace {

TEST(Notation, AcceptsAndRefusesWholeTexts) {
    // sliceCount: 1 for 3x3x3, 0 for 2x2x2
    const std::tuple<const char*, int, bool> cases[] = {
        {"F2 V0 H0i M02", 1, true}, {"", 1, true}, {"U", 0, true},
        {"R u", 1, false}, // refused as a whole, wherever the bad token is
        {"V1", 1, false},  // no such slice on a 3x3x3 cube
        {"V0", 0, false},  // no slices at all on a 2x2x2 cube
    };
    for (const auto& [text, sliceCount, valid] : cases) {
        EXPECT_EQ(ParseMoves(text, sliceCount, false).has_value(), valid) << text;
        TRubikCube cube(static_cast<std::uint8_t>(sliceCount));
        cube.Clean();
        const CubeState0 before = cube.GetState();
        EXPECT_EQ(cube.PerformMoves(text), valid);
        if (!valid) {
            EXPECT_EQ(cube.GetState(), before) << "a refused text must turn nothing";
        }
    }
}

} // namespace
