// States, whole-text moves and the facelet text for engines.
#include "model/Cubi.h"

#include <gtest/gtest.h>
#include <string>

namespace {

std::string Repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) {
        out += s;
    }
    return out;
}

std::string Face(char c) {
    return std::string(9, c);
}

bool AllAtHome(const CubeState0& s, int faceArea, std::uint8_t (*color)(int)) {
    for (int f = 0; f < 6; ++f) {
        for (int i = 0; i < faceArea; ++i) {
            const TCubie expected{color(f), static_cast<std::uint8_t>(f), i};
            if (!(s.Cubies[f][i] == expected) || s.Rotations[f][i] != 0) {
                return false;
            }
        }
    }
    return true;
}

std::uint8_t NoColorOf(int) {
    return NoColor;
}
std::uint8_t OwnColor(int f) {
    return static_cast<std::uint8_t>(f);
}

TEST(CubeState, NewCubeIsEmptyAndCleanAndEmptyNeverMix) {
    for (std::uint8_t size : {0, 1}) {
        TRubikCube cube(size);
        EXPECT_EQ(cube.Size, size + 2);
        EXPECT_TRUE(AllAtHome(cube.GetState(), cube.FaceArea, NoColorOf));
        ASSERT_TRUE(cube.PerformMoves("R U F2 Di L B"));
        cube.Clean();
        EXPECT_TRUE(AllAtHome(cube.GetState(), cube.FaceArea, OwnColor));
        cube.PerformMoves("R U");
        cube.Empty();
        EXPECT_TRUE(AllAtHome(cube.GetState(), cube.FaceArea, NoColorOf));
        cube.Clean();
        EXPECT_TRUE(AllAtHome(cube.GetState(), cube.FaceArea, OwnColor));
    }
}

TEST(CubeState, SetStateCopiesAndRefusesOtherShapes) {
    TRubikCube source(1), target(1), mini(0);
    source.Clean();
    source.PerformMoves("R");
    ASSERT_TRUE(target.SetState(source.GetState()));
    target.PerformMoves("U");
    EXPECT_NE(target.GetState(), source.GetState()) << "a set state must not share with its source";
    target.PerformMoves("Ui");
    EXPECT_EQ(target.GetState().Cubies, source.GetState().Cubies);

    mini.Clean();
    const CubeState0 kept = target.GetState();
    EXPECT_FALSE(target.SetState(mini.GetState()));
    EXPECT_EQ(target.GetState(), kept);
    EXPECT_FALSE(mini.SetState(kept));

    CubeState0 bad = kept;
    bad.Cubies[2][4].HomeIndex = 9; // names no sticker of a 3x3x3 face
    EXPECT_FALSE(target.SetState(bad));
    bad = kept;
    bad.Rotations[5].pop_back();
    EXPECT_FALSE(target.SetState(bad));
    EXPECT_EQ(target.GetState(), kept);
}

TEST(CubeState, WholeTextMoves) {
    struct Case {
        const char* name;
        std::string a, b;
    };
    // Pairs of texts that must give the same state, records and counters alike (counters compared
    // modulo nothing: the same quarter turns must be made).
    const Case same[] = {
        {"sexy move six times", Repeat("R U Ri Ui ", 6), ""},
        {"half turn is two quarters", "U2", "U U"},
        {"inverse is three quarters", "Fi", "F F F"},
        {"U and D commute", "U D", "D U"},
        {"F and B commute", "F Bi", "Bi F"},
        {"R and L commute", "R2 L", "L R2"},
        {"slice inverse", "V0i", "V0 V0 V0"},
    };
    for (const Case& c : same) {
        SCOPED_TRACE(c.name);
        TRubikCube a(1), b(1);
        a.Clean();
        b.Clean();
        ASSERT_TRUE(a.PerformMoves(c.a));
        ASSERT_TRUE(b.PerformMoves(c.b));
        EXPECT_EQ(a.GetState().Cubies, b.GetState().Cubies);
        for (int f = 0; f < 6; ++f) {
            for (int i = 0; i < 9; ++i) {
                EXPECT_EQ(a.GetState().Rotations[f][i] % 4, b.GetState().Rotations[f][i] % 4);
            }
        }
    }
}

TEST(CubeState, SliceAndOppositeFacesTurnTheWholeCube) {
    // Each text turns the whole cube; the face colours then travel as the named face turn carries
    // its ring: colour code seen at each face U F R B L D afterwards.
    struct Case {
        const char* text;
        std::string colours;
    };
    const Case cases[] = {
        {"V0 R Li", "fdrulb"}, // like R: U shows F, F shows D, D shows B, B shows U
        {"M0 F Bi", "lfubdr"}, // like F: U shows L, R shows U, D shows R, L shows D
        {"H0 U Di", "urblfd"}, // like U: F shows R, R shows B, B shows L, L shows F
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        TRubikCube cube(1);
        cube.Clean();
        ASSERT_TRUE(cube.PerformMoves(c.text));
        for (int f = 0; f < 6; ++f) {
            for (int i = 0; i < 9; ++i) {
                EXPECT_EQ(ColorLetters[cube.GetState().Cubies[f][i].Color], c.colours[f])
                    << FaceLetters[f] << i;
            }
        }
    }
}

TEST(CubeString, FaceletTextInTheEnginesOrder) {
    struct Case {
        const char* moves;
        const char* order;
        std::string expected;
    };
    const Case cases[] = {
        {"", "ufrbld", Face('u') + Face('f') + Face('r') + Face('b') + Face('l') + Face('d')},
        {"", "dlbrfu", Face('d') + Face('l') + Face('b') + Face('r') + Face('f') + Face('u')},
        // Worked out on paper from the face grids: R lifts F's right column onto U, U's onto B's
        // left column (upside down, so B 0 3 6), B's onto D's right column and D's onto F's.
        {"R", "ufrbld",
         "uufuufuuf"
         "ffdffdffd"
         "rrrrrrrrr"
         "ubbubbubb"
         "lllllllll"
         "ddbddbddb"},
        // U carries each side face's top row to the face on its left.
        {"U", "ufrbld",
         "uuuuuuuuu"
         "rrrffffff"
         "bbbrrrrrr"
         "lllbbbbbb"
         "fffllllll"
         "ddddddddd"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.moves) + " / " + c.order);
        TRubikCube cube(1);
        cube.Clean();
        ASSERT_TRUE(cube.PerformMoves(c.moves));
        EXPECT_EQ(cube.CubeString(c.order), c.expected);
    }
}

TEST(CubeString, NoTextForCubesItCannotExpress) {
    TRubikCube mini(0);
    mini.Clean();
    EXPECT_EQ(mini.CubeString(), std::nullopt) << "defined for the 3x3x3 cube only";

    TRubikCube cube(1);
    EXPECT_EQ(cube.CubeString(), std::nullopt) << "an empty cube has no letters";
    cube.Clean();
    cube.GetState().Cubies[3][8].Color = NoColor; // one unpainted sticker
    EXPECT_EQ(cube.CubeString(), std::nullopt);

    cube.Clean();
    for (const char* order : {"", "ufrbl", "ufrblx", "ufrbldu", "UFRBLD"}) {
        EXPECT_EQ(cube.CubeString(order), std::nullopt) << '"' << order << '"';
    }
}

} // namespace
