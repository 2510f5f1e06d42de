// The move notation: which texts are moves, and what they parse to.
#include "model/Notation.h"

#include "model/Cubi.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

TEST(Notation, AcceptsAndRefusesWholeTexts) {
    const struct {
        const char* text;
        int sliceCount; // 1 for 3x3x3, 0 for 2x2x2
        bool valid;
    } cases[] = {
        {"F2 V0 H0i M02", 1, true}, {"", 1, true}, {"U", 0, true},
        {"R u", 1, false}, // refused as a whole, wherever the bad token is
        {"V1", 1, false},  // no such slice on a 3x3x3 cube
        {"V0", 0, false},  // no slices at all on a 2x2x2 cube
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseMoves(c.text, c.sliceCount, false).has_value(), c.valid) << c.text;
        TRubikCube cube(static_cast<std::uint8_t>(c.sliceCount));
        cube.Clean();
        const CubeState0 before = cube.GetState();
        EXPECT_EQ(cube.PerformMoves(c.text), c.valid);
        if (!c.valid) {
            EXPECT_EQ(cube.GetState(), before) << "a refused text must turn nothing";
        }
    }
}

TEST(Notation, ParsesTokensIntoMoves) {
    const auto moves = ParseMoves("U Fi R2 V0 M0i H02 D", 1, true);
    ASSERT_TRUE(moves);
    const TMove expected[] = {
        {"U", 1, true, true, 0, 0},   {"Fi", 3, true, true, 1, 0},   {"R2", 2, true, true, 2, 0},
        {"V0", 1, true, false, 0, 0}, {"M0i", 3, true, false, 1, 0}, {"H02", 2, true, false, 2, 0},
        {"D", 1, true, true, 5, 0},
    };
    EXPECT_EQ(*moves, std::vector<TMove>(std::begin(expected), std::end(expected)));
}

} // namespace
