// Random moves and scrambles: pinned for a seed, well formed, and a real mix.
#include "model/Cubi.h"
#include "model/Notation.h"
#include "model/Random.h"

#include <gtest/gtest.h>
#include <string>

namespace {

TEST(RandomMoves, PinnedForASeedAndWellFormed) {
    // Golden texts: a change in the generator, the draw order or the notation shows here. The 2x2x2
    // cube makes the same draws, so its faces match the standard text wherever that has a face token.
    const char* const golden[] = {"Ri Di Ui Fi L2 R R L2 L Ui Li D2", "Ri Di Ui M0i L2 R H0 M02 L Ui M0i D2"};
    for (std::uint8_t size : {0, 1}) {
        SCOPED_TRACE(SizeNames[size]);
        TRubikCube cube(size);
        RandomSeed(42);
        std::string text;
        cube.RandomMoves(12, text);
        EXPECT_EQ(text, golden[size]);
        text.clear();
        cube.RandomMoves(4000, text);
        const auto moves = ParseMoves(text, cube.SliceCount, false);
        ASSERT_TRUE(moves);
        EXPECT_EQ(moves->size(), 4000u) << "single blanks between, none at the ends";
    }
}

TEST(Scramble, ARealMixOfBothSizes) {
    for (std::uint8_t size : {0, 1}) {
        TRubikCube cube(size);
        cube.Empty(); // scrambling starts from a clean cube: painted colours are gone
        RandomSeed(2026);
        cube.Scramble();
        int atHome = 0;
        for (int f = 0; f < 6; ++f) {
            for (int i = 0; i < cube.FaceArea; ++i) {
                const TCubie& c = cube.GetState().Cubies[f][i];
                atHome += c.HomeFace == f && c.HomeIndex == i;
                EXPECT_EQ(c.Color, c.HomeFace);
            }
        }
        EXPECT_LT(atHome, 2 * cube.FaceArea) << "only a handful of stickers stay where they started";
    }
}

} // namespace
