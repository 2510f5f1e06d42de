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
