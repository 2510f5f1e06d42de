// Undo, redo and restart: what is played, in which order, and what each list holds after.
#include "model/History.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

struct TPlays {
    std::vector<std::string> Texts;
    std::vector<bool> Animated;
    TMoveHistory::TPlay Play() {
        return [this](const std::string& text, bool animate) {
            Texts.push_back(text);
            Animated.push_back(animate);
        };
    }
};

TEST(History, UndoAndRedoPlayTheLastTokenAndMoveItsInverse) {
    TMoveHistory h;
    h.UndoList = {"Ri", "U", "F2"}; // after R, Ui, F2
    TPlays p;
    EXPECT_TRUE(h.Undo(p.Play(), true));
    EXPECT_TRUE(h.Undo(p.Play(), false));
    EXPECT_EQ(h.UndoList, (std::vector<std::string>{"Ri"}));
    EXPECT_EQ(h.RedoList, (std::vector<std::string>{"F2", "Ui"}));
    EXPECT_TRUE(h.Redo(p.Play(), false));
    EXPECT_EQ(p.Texts, (std::vector<std::string>{"F2", "U", "Ui"}));
    EXPECT_EQ(p.Animated, (std::vector<bool>{true, false, false}));
    EXPECT_EQ(h.UndoList, (std::vector<std::string>{"Ri", "U"}));
    EXPECT_EQ(h.RedoList, (std::vector<std::string>{"F2"}));
    h.Recorded(); // a new move ends the redo chain
    EXPECT_TRUE(h.RedoList.empty());
    EXPECT_FALSE(h.Redo(p.Play(), false));
    EXPECT_TRUE(h.Undo(p.Play(), false));
    EXPECT_TRUE(h.Undo(p.Play(), false));
    EXPECT_FALSE(h.Undo(p.Play(), false));
    EXPECT_EQ(p.Texts.size(), 5u) << "nothing is played when there is nothing to undo or redo";
}

TEST(History, UndoAllSoundsFirstThenUndoesMostRecentFirstUnanimated) {
    TMoveHistory h;
    h.UndoList = {"Ri", "Ui", "Fi", "L", "M0i", "H02"};
    TPlays p;
    int sounds = 0;
    h.UndoAll(p.Play(), [&] {
        ++sounds;
        EXPECT_TRUE(p.Texts.empty()) << "the restart sound comes before the moves";
    });
    EXPECT_EQ(sounds, 1);
    EXPECT_EQ(p.Texts, (std::vector<std::string>{"H02", "M0i", "L", "Fi", "Ui", "Ri"}));
    EXPECT_EQ(p.Animated, std::vector<bool>(6, false));
    EXPECT_TRUE(h.UndoList.empty());
    EXPECT_EQ(h.RedoList, (std::vector<std::string>{"H02", "M0", "Li", "F", "U", "R"}));
}

} // namespace
