// Undo, redo and restart over a real model, played the way the game window plays them.
#include "model/History.h"

#include "model/Cubi.h"
#include "model/Notation.h"
#include "model/Random.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// A game in miniature: recorded plays append the inverses to UndoList, as the view does.
struct TGame {
    TRubikCube Cube{1};
    TMoveHistory History;
    std::vector<std::string> Played;
    bool LastAnimate = true;

    TGame() { Cube.Clean(); }
    TMoveHistory::TPlay Play() {
        return [this](const std::string& text, bool animate) {
            Played.push_back(text);
            LastAnimate = animate;
            ASSERT_TRUE(Cube.PerformMoves(text)) << text;
        };
    }
    void Recorded(const std::string& text) {
        ASSERT_TRUE(Cube.PerformMoves(text));
        std::vector<std::string> tokens;
        SplitMoves(text, tokens);
        for (const auto& t : tokens) {
            History.UndoList.push_back(InverseMove(t));
        }
        History.Recorded();
    }
};

TEST(History, UndoRestoresEveryStateAndRedoEveryMove) {
    RandomSeed(11);
    TGame g;
    g.Cube.Scramble(); // a scramble is not recorded: undo stops at the scrambled cube
    std::vector<CubeState0> states = {g.Cube.GetState()};
    for (int i = 0; i < 30; ++i) {
        std::string move;
        g.Cube.RandomMoves(1, move);
        g.Recorded(move);
        states.push_back(g.Cube.GetState());
    }
    for (int i = 29; i >= 0; --i) {
        ASSERT_TRUE(g.History.Undo(g.Play(), false));
        EXPECT_EQ(g.Cube.GetState().Cubies, states[i].Cubies) << "after undo back to move " << i;
    }
    EXPECT_FALSE(g.History.Undo(g.Play(), false));
    for (int i = 1; i <= 30; ++i) {
        ASSERT_TRUE(g.History.Redo(g.Play(), false));
        EXPECT_EQ(g.Cube.GetState().Cubies, states[i].Cubies) << "after redo of move " << i;
    }
    EXPECT_FALSE(g.History.Redo(g.Play(), false));
    EXPECT_EQ(g.Played.size(), 60u) << "nothing is played when there is nothing to undo or redo";
    // A new move after an undo ends the redo chain.
    g.History.Undo(g.Play(), true);
    EXPECT_TRUE(g.LastAnimate);
    EXPECT_EQ(g.History.RedoList.size(), 1u);
    g.Recorded("F2");
    EXPECT_TRUE(g.History.RedoList.empty());
    EXPECT_EQ(g.History.UndoList.back(), "F2");
}

TEST(History, UndoAllRestartsFromTheStateBeforeTheFirstRecordedMove) {
    TGame g;
    g.Recorded("R U");
    g.Cube.Scramble(); // not recorded: undo-all undoes only the recorded moves, on top of this
    const CubeState0 scrambled = g.Cube.GetState();
    g.Recorded("F Li");
    g.Recorded("M0 H02");
    int sounds = 0;
    g.History.UndoAll(g.Play(), [&] {
        ++sounds;
        EXPECT_TRUE(g.Played.empty()) << "the restart sound comes before the moves";
    });
    EXPECT_EQ(sounds, 1);
    EXPECT_FALSE(g.LastAnimate) << "a restart is not animated";
    EXPECT_TRUE(g.History.UndoList.empty());
    // Most recent first; each lands in RedoList, so RedoList reads the recorded moves backwards.
    EXPECT_EQ(g.Played, (std::vector<std::string>{"H02", "M0i", "L", "Fi", "Ui", "Ri"}));
    EXPECT_EQ(g.History.RedoList, (std::vector<std::string>{"H02", "M0", "Li", "F", "U", "R"}));
    TRubikCube expected(1);
    expected.SetState(scrambled);
    expected.PerformMoves("Ui Ri");
    EXPECT_EQ(g.Cube.GetState().Cubies, expected.GetState().Cubies);
}

} // namespace
