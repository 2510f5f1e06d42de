// The move notation: which texts are moves, what they parse to, and how they split and invert.
#include "model/Notation.h"

#include "model/Cubi.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

TEST(Notation, AcceptsAndRefusesWholeTexts) {
    struct Case {
        const char* text;
        int sliceCount; // 1 for 3x3x3, 0 for 2x2x2
        bool valid;
    };
    const Case cases[] = {
        {"R U Ri Ui", 1, true}, {"F2 V0 H0i M02", 1, true},
        {"", 1, true},          {"   ", 1, true},
        {"U", 0, true},         {"u", 1, false},
        {"U'", 1, false},       {"Ux", 1, false},
        {"X", 1, false},        {"u R", 1, false},  // refused as a whole, R included
        {"R u", 1, false},                          // also when the bad token comes last
        {"Uii", 1, false},                          // over-long face token
        {"U2i", 1, false},      {"V0ii", 1, false}, // over-long slice token
        {"V", 1, false},                            // slice letter alone
        {"Vx", 1, false},                           // not a digit
        {"V1", 1, false},                           // no such slice on a 3x3x3 cube
        {"H9i", 1, false},      {"V0", 0, false},   // no slices at all on a 2x2x2 cube
        {"M0i", 0, false},      {"V0x", 1, false},
        {"R\tU", 1, false}, // only blanks separate tokens
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseMoves(c.text, c.sliceCount, false).has_value(), c.valid)
            << '"' << c.text << "\" with " << c.sliceCount << " slice(s)";
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
    struct Expected {
        const char* name;
        int turns;
        bool isFace;
        int index, slice;
    };
    const Expected expected[] = {
        {"U", 1, true, 0, 0},    {"Fi", 3, true, 1, 0},   {"R2", 2, true, 2, 0}, {"V0", 1, false, 0, 0},
        {"M0i", 3, false, 1, 0}, {"H02", 2, false, 2, 0}, {"D", 1, true, 5, 0},
    };
    ASSERT_EQ(moves->size(), std::size(expected));
    for (std::size_t i = 0; i < moves->size(); ++i) {
        const TMove& m = (*moves)[i];
        EXPECT_EQ(m.Name, expected[i].name);
        EXPECT_EQ(m.Turns, expected[i].turns) << m.Name;
        EXPECT_EQ(m.IsFace, expected[i].isFace) << m.Name;
        EXPECT_EQ(m.Index, expected[i].index) << m.Name;
        if (!m.IsFace) {
            EXPECT_EQ(m.Slice, expected[i].slice) << m.Name;
        }
        EXPECT_TRUE(m.Animate);
    }
}

TEST(Notation, SplitsOnSingleBlanksAndStopsAtTheFirstEmptyToken) {
    struct Case {
        const char* text;
        std::vector<std::string> tokens;
    };
    const Case cases[] = {
        {"U R", {"U", "R"}},
        {"U  R", {"U"}}, // two blanks end the list
        {" U R ", {"U", "R"}},
        {"\r\n\tU R\n", {"U", "R"}},
        {"", {}},
        {"   ", {}},
        {"R U Ri Ui  F B", {"R", "U", "Ri", "Ui"}},
        {"Fi", {"Fi"}},
    };
    std::vector<std::string> list = {"left over"};
    for (const Case& c : cases) {
        SplitMoves(c.text, list);
        EXPECT_EQ(list, c.tokens) << '"' << c.text << '"';
    }
    // The same rule decides what is performed: "U  R" turns U only.
    TRubikCube a(1), b(1);
    a.Clean();
    b.Clean();
    a.PerformMoves("U  R");
    b.PerformMoves("U");
    EXPECT_EQ(a.GetState(), b.GetState());
}

TEST(Notation, InverseMoves) {
    struct Case {
        const char* token;
        const char* inverse;
    };
    const Case cases[] = {
        {"U", "Ui"},   {"Ui", "U"}, {"U2", "U2"}, {"V0", "V0i"}, {"V0i", "V0"}, {"H02", "H02"},
        {"M0i", "M0"}, {"Q", ""},   {"", ""},     {"u", ""},     {"U'", ""},    {"Uii", ""},
        {"V", ""},     {"Vx", ""},  {"V0ii", ""}, {"D2", "D2"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(InverseMove(c.token), c.inverse) << '"' << c.token << '"';
    }
    // Every valid token followed by its inverse is no move at all.
    for (const char* token : {"U", "Fi", "R2", "B", "Li", "D2", "V0", "M0i", "H02"}) {
        TRubikCube cube(1);
        cube.Clean();
        const CubeState0 clean = cube.GetState();
        ASSERT_TRUE(cube.PerformMoves(std::string(token) + " " + InverseMove(token))) << token;
        EXPECT_EQ(cube.GetState().Cubies, clean.Cubies) << token;
    }
}

TEST(Notation, FaceAndAxisOfMove) {
    EXPECT_EQ(FaceOfMove("D2"), 5);
    EXPECT_EQ(FaceOfMove("V0"), -1);
    EXPECT_EQ(FaceOfMove(""), -1);
    EXPECT_EQ(AxisOfMove("H0"), 2);
    EXPECT_EQ(AxisOfMove("U"), -1);
    EXPECT_EQ(AxisOfMove(""), -1);
}

} // namespace
