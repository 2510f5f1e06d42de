// The engine's 2x2x2 answers through its export, played on the game's model: random cubes get answers
// of at most 11 moves, never more than the turns that made them, that solve them; impossible texts are
// refused; and the distance table holds the known number of states at each distance, which only right
// move tables give.
#include "model/CubeCheck.h"
#include "model/Cubi.h"
#include "model/Notation.h"
#include "plugins/twophase/Mini.h"
#include "plugins/twophase/TwoPhase.h"
#include "support/PaintedCube.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

const std::string Clean = "uuuuffffrrrrbbbblllldddd";

// The export's result and answer.
std::pair<int, std::string> Solve(const std::string& facelets) {
    std::string solution(1025, '\0');
    const int result = _fnRbksolve(2, facelets.c_str(), solution.data());
    return {result, solution.c_str()};
}

TEST(TwoPhaseMiniTest, RandomCubesGetShortestAnswersThatSolveThem) {
    ASSERT_EQ(_fnRbksupport(2), 1);
    std::mt19937 random(2026);
    for (int i = 0; i < 2000; ++i) {
        // Short scrambles bound the length of a shortest answer; long ones reach every distance.
        const int turns = i < 1000 ? i % 9 : 40;
        TRubikCube cube = testsupport::CleanCube("", 0);
        for (int t = 0; t < turns; ++t) {
            cube.TurnFace(static_cast<int>(random() % 6));
        }
        const std::string facelets = *cube.CubeString();
        const auto [result, answer] = Solve(facelets);
        ASSERT_GE(result, 0) << facelets;
        ASSERT_LE(result, std::min(turns, twophase::MiniMaxMoves)) << facelets << ": " << answer;
        std::vector<std::string> tokens;
        SplitMoves(answer, tokens); // stops at a double blank: every move must come before one
        ASSERT_EQ(static_cast<int>(tokens.size()), result) << answer;
        ASSERT_TRUE(cube.PerformMoves(answer) && FacesAreUniform(cube)) << facelets << ": " << answer;
    }
}

TEST(TwoPhaseMiniTest, ImpossibleTextsAreRefused) {
    // Stickers 3, 8 and 5 are the U-R-F corner, clockwise from its U sticker.
    const std::pair<const char*, std::vector<std::pair<int, char>>> bad[] = {
        {"twisted corner", {{3, 'f'}, {8, 'u'}, {5, 'r'}}},
        {"mirrored corner", {{8, 'f'}, {5, 'r'}}},
        {"u and d on one piece", {{8, 'd'}, {21, 'r'}}},
        {"a colour on five stickers", {{3, 'f'}}},
        {"bad letter", {{0, 'U'}}},
        {"terminator inside", {{10, '\0'}}},
    };
    for (const auto& [what, changes] : bad) {
        std::string text = Clean;
        for (const auto& [id, letter] : changes) {
            text[static_cast<std::size_t>(id)] = letter;
        }
        EXPECT_LT(Solve(text).first, 0) << what;
    }
    for (const std::string& text : {Clean.substr(1), Clean + "u", std::string()}) {
        EXPECT_LT(Solve(text).first, 0) << text;
    }
    EXPECT_LT(_fnRbksolve(2, nullptr, nullptr), 0);
}

TEST(TwoPhaseMiniTest, DistanceTableHoldsTheKnownCounts) {
    EXPECT_EQ(twophase::MiniDistanceCounts(),
              (std::vector<std::uint32_t>{1, 9, 54, 321, 1847, 9992, 50136, 227536, 870072, 1887748, 623800,
                                          2644}));
}

} // namespace
