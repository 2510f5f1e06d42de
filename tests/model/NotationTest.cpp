// The move notation: which texts are moves, what they parse to, and how they split and invert.
#include "model/Notation.h"

#include "model/Cubi.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

TEST(Notation, AcceptsAndRefusesWholeTexts) {
    const struct {
        const char* text;
        int sliceCount; // 1 for 3x3x3, 0 for 2x2x2
        bool valid;
    } cases[] = {
        {"R U Ri Ui", 1, true}, {"F2 V0 H0i M02", 1, true},
        {"", 1, true},          {"   ", 1, true},
        {"U", 0, true},         {"u", 1, false},
        {"U'", 1, false},       {"Ux", 1, false},
        {"u R", 1, false},      {"R u", 1, false}, // refused as a whole, wherever the bad token is
        {"Uii", 1, false},      {"U2i", 1, false},
        {"V0ii", 1, false},     {"V", 1, false},
        {"Vx", 1, false},       {"V1", 1, false}, // no such slice on a 3x3x3 cube
        {"V0", 0, false},                         // no slices at all on a 2x2x2 cube
        {"R\tU", 1, false},                       // only blanks separate tokens
    };
    for (const auto& c : cases) {
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
    const TMove expected[] = {
        {"U", 1, true, true, 0, 0},   {"Fi", 3, true, true, 1, 0},   {"R2", 2, true, true, 2, 0},
        {"V0", 1, true, false, 0, 0}, {"M0i", 3, true, false, 1, 0}, {"H02", 2, true, false, 2, 0},
        {"D", 1, true, true, 5, 0},
    };
    EXPECT_EQ(*moves, std::vector<TMove>(std::begin(expected), std::end(expected)));
    EXPECT_EQ(FaceOfMove("D2"), 5);
    EXPECT_EQ(FaceOfMove("V0"), -1);
    EXPECT_EQ(AxisOfMove("H0"), 2);
    EXPECT_EQ(AxisOfMove(""), -1);
}

TEST(Notation, SplitsOnSingleBlanksAndStopsAtTheFirstEmptyToken) {
    const struct {
        const char* text;
        std::vector<std::string> tokens;
    } cases[] = {
        {" U R ", {"U", "R"}},
        {"\r\n\tU R\n", {"U", "R"}},
        {"   ", {}},
        {"R U Ri Ui  F B", {"R", "U", "Ri", "Ui"}}, // two blanks end the list
    };
    std::vector<std::string> list = {"left over"};
    for (const auto& c : cases) {
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
    const std::pair<const char*, const char*> cases[] = {
        {"U", "Ui"}, {"Ui", "U"}, {"U2", "U2"}, {"V0", "V0i"}, {"V0i", "V0"}, {"H02", "H02"},
        {"Q", ""},   {"", ""},    {"U'", ""},   {"Uii", ""},   {"V", ""},     {"V0ii", ""},
    };
    for (const auto& [token, inverse] : cases) {
        EXPECT_EQ(InverseMove(token), inverse) << '"' << token << '"';
    }
}

} // namespace
