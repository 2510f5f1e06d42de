// Undo, redo and restart: what is played, in which order, and what each list holds after.
#include "model/History.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using TTexts = std::vector<std::string>;

TEST(History, UndoRedoAndRestartPlayInverseTokensMostRecentFirst) {
    TMoveHistory h;
    h.UndoList = {"Ri", "U", "F2"}; // after R, Ui, F2
    TTexts played;
    std::vector<bool> animated;
    const TMoveHistory::TPlay play = [&](const std::string& text, bool animate) {
        played.push_back(text);
        animated.push_back(animate);
    };
    EXPECT_TRUE(h.Undo(play, true));
    EXPECT_TRUE(h.Undo(play, false));
    EXPECT_TRUE(h.Redo(play, false));
    EXPECT_EQ(played, (TTexts{"F2", "U", "Ui"}));
    EXPECT_EQ(animated, (std::vector<bool>{true, false, false}));
    EXPECT_EQ(h.UndoList, (TTexts{"Ri", "U"}));
    h.Recorded(); // a new move ends the redo chain
    EXPECT_FALSE(h.Redo(play, false));

    h.UndoList = {"Ri", "Ui", "H02", "M0i"};
    played.clear();
    int sounds = 0;
    h.UndoAll(play, [&] { sounds += played.empty() ? 1 : 100; }); // the sound comes before the moves
    EXPECT_EQ(sounds, 1);
    EXPECT_EQ(played, (TTexts{"M0i", "H02", "Ui", "Ri"}));
    EXPECT_EQ(h.RedoList, (TTexts{"M0", "H02", "U", "R"}));
    EXPECT_FALSE(h.Undo(play, false)) << "nothing left to undo";
    EXPECT_EQ(played.size(), 4u);
}

} // namespace
