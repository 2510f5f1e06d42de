// States, whole-text moves and the facelet text for engines.
#include "model/Cubi.h"

#include <gtest/gtest.h>
#include <string>

namespace {

TEST(CubeState, CleanEmptyAndSetState) {
    for (std::uint8_t size : {0, 1}) {
        TRubikCube cube(size), other(static_cast<std::uint8_t>(1 - size));
        for (const bool clean : {true, false}) {
            ASSERT_TRUE(cube.PerformMoves("R U F2 Di L B"));
            clean ? cube.Clean() : cube.Empty();
            for (int f = 0; f < 6; ++f) {
                for (int i = 0; i < cube.FaceArea; ++i) {
                    const TCubie home{clean ? static_cast<std::uint8_t>(f) : NoColor,
                                      static_cast<std::uint8_t>(f), i};
                    EXPECT_EQ(cube.GetState().Cubies[f][i], home) << f << "/" << i;
                    EXPECT_EQ(cube.GetState().Rotations[f][i], 0) << f << "/" << i;
                }
            }
        }
        // States of another size, or naming stickers the cube has not, are refused and change nothing.
        cube.PerformMoves("R");
        const CubeState0 kept = cube.GetState();
        CubeState0 bad = kept;
        bad.Cubies[2][1].HomeIndex = cube.FaceArea;
        EXPECT_FALSE(cube.SetState(bad));
        EXPECT_FALSE(cube.SetState(other.Clean()));
        CubeState0 ragged = kept; // the first face short of a sticker, then the last face's turns
        ragged.Cubies[0].pop_back();
        EXPECT_FALSE(cube.SetState(ragged));
        ragged = kept;
        ragged.Rotations[5].pop_back();
        EXPECT_FALSE(cube.SetState(ragged));
        EXPECT_EQ(cube.GetState(), kept);
        EXPECT_TRUE(cube.SetState(TRubikCube(size).Empty())) << "uncoloured stickers are no fault";
        EXPECT_NE(cube.GetState(), kept);
    }
}

TEST(CubeString, FaceletTextInTheEnginesOrderOnlyForCubesItCanExpress) {
    const std::tuple<std::uint8_t, const char*, const char*, std::optional<std::string>> cases[] = {
        // Where R and the 2x2x2 cube carry the stickers is the turn tests' and the engine's tests'. U,
        // worked out on paper, carries each side face's top row to the face on its left; the faces
        // in the order asked for.
        {1, "U", "dlbrfu", "dddddddddffflllllllllbbbbbbbbbrrrrrrrrrffffffuuuuuuuuu"},
        {1, "", "ufrblx", std::nullopt},
        {1, "unpainted", "ufrbld", std::nullopt},
    };
    for (const auto& [size, moves, order, expected] : cases) {
        SCOPED_TRACE(std::string(moves) + " / " + order);
        TRubikCube cube(size);
        cube.Clean();
        if (std::string(moves) == "unpainted") {
            cube.GetState().Cubies[3][8].Color = NoColor; // one sticker
        } else {
            ASSERT_TRUE(cube.PerformMoves(moves));
        }
        EXPECT_EQ(cube.CubeString(order), expected);
    }
}

} // namespace
