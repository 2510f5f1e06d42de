// Saved games on real files: what is written reads back as the same game, every kind of bad file is
// refused with its own sentence, and a save that fails leaves the old file as it was.
#include "app/SavedGame.h"

#include "ini/IniFile.h"
#include "support/PaintedCube.h"
#include "support/TempFolder.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <iterator>
#include <tuple>

namespace {

using testsupport::ReadFile;
using testsupport::TTempFolder;

// A game in play with turned stickers, a history with undone moves and an answer half played; or the
// same on a clean cube, whose stickers are known by heart (face D starts with "dD0").
TSavedGame PlayedGame(std::uint8_t SizeIndex, bool Clean = false) {
    const std::string moves = SizeIndex == 0 ? "R U2 Fi L D" : "R U2 Fi V0 M0i H0 L D";
    const TRubikCube cube = testsupport::CleanCube(Clean ? "" : moves, SizeIndex);
    return {SizeIndex == 0 ? "2×2×2 Cube" : "Rubik's Cube",
            SizeIndex,
            BuiltInSettings,
            cube.GetState(),
            1,
            TMoveHistory{{"Di", "Li", "F", "U2"}, {"R", "B2"}, 1},
            {"U", "R2", "Bi"},
            2};
}

auto Fields(const TSavedGame& g) {
    return std::tie(g.KindName, g.SizeIndex, g.Settings, g.State, g.Mode, g.History.UndoList,
                    g.History.RedoList, g.History.SetAt, g.Answer, g.AnswerPosition);
}

TEST(SavedGameTest, WhatIsSavedReadsBackAsTheSameGame) {
    const TTempFolder folder;
    const std::string program = folder.Name("program"), file = folder.Name("game.hvc");
    // storedEnvironment: the line the text holds for it
    const std::tuple<const char*, std::function<void(TSavedGame&)>, std::string> rows[] = {
        {"a 3x3x3 game in play", [](TSavedGame&) {}, "EnvironFile=\n"},
        {"a 2x2x2 game", [](TSavedGame& g) { g = PlayedGame(0); }, "EnvironFile=\n"},
        {"a cube being painted, with colours no real cube has and stickers without colour",
         [](TSavedGame& g) {
             g.Mode = 0, g.History = {}, g.Answer.clear(), g.AnswerPosition = 0;
             g.State.Cubies[0][4].Color = 3, g.State.Cubies[2][0].Color = NoColor,
             g.State.Rotations[5][8] = -7;
         },
         "EnvironFile=\n"},
        {"the last answer move played, the set point beyond the undo list",
         [](TSavedGame& g) { g.AnswerPosition = 3, g.History.SetAt = 9; }, "EnvironFile=\n"},
        {"every setting changed, the environment inside the program folder",
         [&](TSavedGame& g) {
             g.Settings = {false,
                           2,
                           1,
                           3,
                           false,
                           SystemColorFlag | 15,
                           program + "/Environment/Meadow Land.env",
                           1,
                           {1, 2, 3, 4, 5, 6, 7},
                           true,
                           ""};
         },
         "EnvironFile=Environment/Meadow Land.env\n"},
        {"the environment outside the program folder",
         [&](TSavedGame& g) { g.Settings.EnvironFile = folder.Name("sky.env"); },
         "EnvironFile=" + folder.Name("sky.env") + "\n"},
        {"a kind name with blanks and quotes at its ends", [](TSavedGame& g) { g.KindName = " \"Würfel\" "; },
         "EnvironFile=\n"},
    };
    for (const auto& [what, change, storedEnvironment] : rows) {
        SCOPED_TRACE(what);
        TSavedGame game = PlayedGame(1);
        change(game);
        std::string error;
        ASSERT_TRUE(WriteSavedGame(file, game, program, error)) << error;
        EXPECT_NE(ReadFile(file).find(storedEnvironment), std::string::npos) << ReadFile(file);
        const auto read = ReadSavedGame(file, program, error);
        ASSERT_TRUE(read) << error;
        EXPECT_TRUE(Fields(*read) == Fields(game));
    }
}

TEST(SavedGameTest, EachKindOfBadFileIsRefusedWithItsReason) {
    const TTempFolder folder;
    const std::string good = SavedGameText(PlayedGame(1, true), "/program");
    const std::string small = SavedGameText(PlayedGame(0, true), "/program");
    const auto edited = [](std::string text, const std::string& from, const std::string& to) {
        const auto at = text.find(from);
        return at == std::string::npos ? "<" + from + " not found>" : text.replace(at, from.size(), to);
    };
    const auto damaged = [](const std::string& what) { return "game.hvc is damaged: " + what + "."; };
    const std::string cutShort = damaged("its end is missing (the file was cut short)");
    const std::string foreign = "game.hvc is not a saved 3D Torvane game.";
    const std::pair<std::string, std::string> rows[] = {
        {good.substr(0, good.size() / 2), cutShort},
        {good.substr(0, good.find("[END]")), cutShort},
        {good.substr(0, good.find("[END]") + 2), cutShort},
        {"[CUBE]\nAnimateFaceRotations=1\n", foreign},
        {edited(good, "Version=1", "Version=one"), foreign},
        {good + std::string(TIniFile::MaxFileBytes, ';'), foreign},
        {edited(good, "Version=1", "Version=2"),
         "game.hvc was saved by a newer version of 3D Torvane (game file "
         "version 2); this version opens version 1."},
        {edited(good, "Size=3x3x3", "Size=4x4x4"), damaged("the size \"4x4x4\" is unknown")},
        {edited(good, "Mode=Play", "Mode=1"), damaged("the mode \"1\" is unknown")},
        {edited(good, "Mode=Play",
                "Mode=" + std::string(19, 'x') + "ü" + std::string(99, 'x')), // cut before ü
         damaged("the mode \"" + std::string(19, 'x') + "...\" is unknown")},
        {edited(good, "\nKind=", "\nKin="), damaged("the key Kind of [GAME] is missing")},
        {edited(good, "D=dD0", "D=dU8"), damaged("the sticker U8 is on the cube twice")},
        {edited(good, "U=", "U=uU0 "), damaged("face U has 10 stickers instead of 9")},
        {edited(good, "D=d", "D=w"), damaged("\"wD0\" on face D does not start with a colour letter")},
        {edited(good, "D=dD0", "D=dD9"), damaged("\"dD9\" on face D names no sticker of a 3x3x3 cube")},
        {edited(small, "D=dD0", "D=dD4"), damaged("\"dD4\" on face D names no sticker of a 2x2x2 cube")},
        {edited(good, "\nU=0 ", "\nU="), damaged("face U has 8 turn counters instead of 9")},
        {edited(good, "Undo=Di", "Undo=Di'"),
         damaged("\"Di'\" in the undo list is not a move of a 3x3x3 cube")},
        {edited(small, "Redo=R", "Redo=V0"),
         damaged("\"V0\" in the redo list is not a move of a 2x2x2 cube")},
        {edited(good, "SetAt=1", "SetAt=-1"), damaged("SetAt of [HISTORY] is \"-1\", not a number")},
        {edited(good, "Position=2", "Position=4"), damaged("the answer's next move is number 5 of only 3")},
    };
    for (const auto& [text, expected] : rows) {
        SCOPED_TRACE(text.substr(0, 300));
        std::string error;
        EXPECT_FALSE(ReadSavedGame(folder.Write("game.hvc", text), "/program", error));
        EXPECT_EQ(error, expected);
    }
    // A file that cannot be read at all gives the system's reason.
    std::filesystem::create_directory(folder.Name("folder.hvc"));
    for (const auto& [file, expected] :
         {std::pair{folder.Name("folder.hvc"), "folder.hvc cannot be read: Is a directory."},
          std::pair{folder.Name("none/game.hvc"), "game.hvc cannot be read: No such file or directory."}}) {
        std::string error;
        EXPECT_FALSE(ReadSavedGame(file, "/program", error));
        EXPECT_EQ(error, expected);
    }
}

TEST(SavedGameTest, AFailedSaveLeavesTheOldFileWhole) {
    const TTempFolder folder;
    TSavedGame doubled = PlayedGame(1, true), twoTokens = PlayedGame(1), huge = PlayedGame(1);
    doubled.State.Cubies[5][0] = doubled.State.Cubies[0][0];
    twoTokens.Answer.push_back("U R"); // would read back as two moves
    huge.History.UndoList.assign(TIniFile::MaxFileBytes / 2, "U2");
    const std::string longName(250, 'g'); // the temporary file's name is too long for a folder entry
    const std::string faulty = "game.hvc was not saved: the game is faulty (";
    const std::tuple<std::string, TSavedGame, std::string> rows[] = {
        {"game.hvc", doubled, faulty + "the sticker U0 is on the cube twice)."},
        {"game.hvc", twoTokens, faulty + "its stickers, history or answer do not survive being written)."},
        {"game.hvc", huge,
         "game.hvc was not saved: the game is too large for a game file (its history is too long)."},
        {longName, PlayedGame(1),
         "Cannot create a file beside " + folder.Name(longName) + ": File name too long."},
    };
    for (const auto& [name, game, expected] : rows) {
        SCOPED_TRACE(expected);
        const std::string file = folder.Write(name, std::string("old game"));
        std::string error;
        EXPECT_FALSE(WriteSavedGame(file, game, "/program", error));
        EXPECT_EQ(error, expected);
        EXPECT_EQ(ReadFile(file), "old game");
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 1)
            << "no temporary file";
        std::filesystem::remove(file);
    }
}

} // namespace
