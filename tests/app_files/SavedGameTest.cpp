// Saved games on real files: what is written reads back as the same game, every kind of bad file is
// refused with its own sentence, and a save that fails leaves the old file as it was.
#include "app/SavedGame.h"

#include "ini/IniFile.h"
#include "support/TempFolder.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <iterator>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

using testsupport::TTempFolder;

// A game in play with turned stickers, a history with undone moves and an answer half played.
TSavedGame PlayedGame(std::uint8_t SizeIndex) {
    TRubikCube cube(SizeIndex);
    cube.Clean();
    cube.PerformMoves(SizeIndex == 0 ? "R U2 Fi L D" : "R U2 Fi V0 M0i H0 L D");
    TSavedGame game;
    game.KindName = SizeIndex == 0 ? "2×2×2 Cube" : "Rubik's Cube";
    game.SizeIndex = SizeIndex;
    game.State = cube.GetState();
    game.History.UndoList = {"Di", "Li", "F", "U2"};
    game.History.RedoList = {"R", "B2"};
    game.History.SetAt = 1;
    game.Answer = {"U", "R2", "Bi"};
    game.AnswerPosition = 2;
    return game;
}

std::string ReadAll(const std::string& Path) {
    std::ifstream in(Path, std::ios::binary);
    return in ? std::string(std::istreambuf_iterator<char>(in), {}) : "<missing>";
}

void ExpectSameGame(const TSavedGame& Read, const TSavedGame& Written) {
    EXPECT_EQ(Read.KindName, Written.KindName);
    EXPECT_EQ(Read.SizeIndex, Written.SizeIndex);
    EXPECT_EQ(Read.Settings, Written.Settings);
    EXPECT_EQ(Read.State, Written.State);
    EXPECT_EQ(Read.Mode, Written.Mode);
    EXPECT_EQ(Read.History.UndoList, Written.History.UndoList);
    EXPECT_EQ(Read.History.RedoList, Written.History.RedoList);
    EXPECT_EQ(Read.History.SetAt, Written.History.SetAt);
    EXPECT_EQ(Read.Answer, Written.Answer);
    EXPECT_EQ(Read.AnswerPosition, Written.AnswerPosition);
}

TEST(SavedGameTest, WhatIsSavedReadsBackAsTheSameGame) {
    const TTempFolder folder;
    const std::string program = folder.Name("program");
    const struct {
        const char* What;
        std::function<void(TSavedGame&)> Change;
        const char* StoredEnvironment; // the line the text holds for it
    } rows[] = {
        {"a 3x3x3 game in play", [](TSavedGame&) {}, "EnvironFile=\n"},
        {"a 2x2x2 game", [](TSavedGame& g) { g = PlayedGame(0); }, "EnvironFile=\n"},
        {"a cube being painted, with colours no real cube has and stickers without colour",
         [](TSavedGame& g) {
             g.Mode = 0;
             g.State.Cubies[0][4].Color = 3;
             g.State.Cubies[2][0].Color = NoColor;
             g.State.Rotations[5][8] = -7;
             g.History = {};
             g.Answer.clear();
             g.AnswerPosition = 0;
         },
         "EnvironFile=\n"},
        {"the last answer move played, the set point beyond an undone list",
         [](TSavedGame& g) { g.AnswerPosition = 3, g.History.SetAt = 9; }, "EnvironFile=\n"},
        {"every setting changed, the environment inside the program folder",
         [&](TSavedGame& g) {
             g.Settings.AnimateFaceRotations = false;
             g.Settings.CubeFaceRotationSpeed = 2;
             g.Settings.StickerType = 1;
             g.Settings.SurfaceDetail = 3;
             g.Settings.Lighting = false;
             g.Settings.BackgroundColor = SystemColorFlag | 15;
             g.Settings.EnvironFile = program + "/Environment/Meadow Land.env";
             g.Settings.EnvironmentType = 1;
             g.Settings.FaceColors = {1, 2, 3, 4, 5, 6, 7};
             g.Settings.SoundsON = true;
         },
         "EnvironFile=Environment/Meadow Land.env\n"},
        {"the environment outside the program folder",
         [&](TSavedGame& g) { g.Settings.EnvironFile = folder.Name("elsewhere/sky.env"); }, "EnvironFile=/"},
        {"a kind name with blanks and quotes at its ends", [](TSavedGame& g) { g.KindName = " \"Würfel\" "; },
         "EnvironFile=\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.What);
        TSavedGame game = PlayedGame(1);
        row.Change(game);
        const std::string file = folder.Name("game.hvc");
        std::string error;
        ASSERT_TRUE(WriteSavedGame(file, game, program, error)) << error;
        EXPECT_EQ(SavedGameText(game, program), ReadAll(file));
        EXPECT_NE(ReadAll(file).find(row.StoredEnvironment), std::string::npos) << ReadAll(file);
        const auto read = ReadSavedGame(file, program, error);
        ASSERT_TRUE(read) << error;
        ExpectSameGame(*read, game);
    }
}

TEST(SavedGameTest, EachKindOfBadFileIsRefusedWithItsReason) {
    const TTempFolder folder;
    // On clean cubes, whose stickers are known by heart: face D starts with "dD0".
    const auto clean = [](std::uint8_t SizeIndex) {
        TSavedGame game = PlayedGame(SizeIndex);
        game.State = TRubikCube(SizeIndex).Clean();
        return SavedGameText(game, "/program");
    };
    const std::string good = clean(1);
    const std::string small = clean(0);
    const auto replaced = [](std::string text, const std::string& from, const std::string& to) {
        const auto at = text.find(from);
        return at == std::string::npos ? "<" + from + " not found>" : text.replace(at, from.size(), to);
    };
    const std::string cutShort = "game.hvc is damaged: its end is missing (the file was cut short).";
    const std::string foreign = "game.hvc is not a saved 3D Torvane game.";
    const struct {
        std::string Text;
        std::string Error;
    } rows[] = {
        {good.substr(0, good.size() / 4), cutShort},
        {good.substr(0, good.size() / 2), cutShort},
        {good.substr(0, good.find("[END]")), cutShort},
        {good.substr(0, good.find("[END]") + 2), cutShort},
        {good.substr(0, 12), foreign},
        {"", foreign},
        {"[CUBE]\nAnimateFaceRotations=1\n", foreign},
        {std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), foreign},
        {replaced(good, "Version=1", "Version=one"), foreign},
        {good + std::string(TIniFile::MaxFileBytes, ';'), foreign},
        {replaced(good, "Version=1", "Version=2"), "game.hvc was saved by a newer version of 3D Torvane "
                                                   "(game file version 2); this version opens version 1."},
        {replaced(good, "Size=3x3x3", "Size=4x4x4"), "game.hvc is damaged: the size \"4x4x4\" is unknown."},
        {replaced(good, "Mode=Play", "Mode=1"), "game.hvc is damaged: the mode \"1\" is unknown."},
        {replaced(good, "\nKind=", "\nKin="), "game.hvc is damaged: the key Kind of [GAME] is missing."},
        {replaced(good, "D=dD0", "D=dU8"), "game.hvc is damaged: the sticker U8 is on the cube twice."},
        {replaced(good, "U=", "U=uU0 "), "game.hvc is damaged: face U has 10 stickers instead of 9."},
        {replaced(good, "D=d", "D=w"),
         "game.hvc is damaged: \"wD0\" on face D does not start with a colour letter."},
        {replaced(good, "D=dD0", "D=dD9"),
         "game.hvc is damaged: \"dD9\" on face D names no sticker of a 3x3x3 cube."},
        {replaced(good, "D=dD0", "D=dX0"),
         "game.hvc is damaged: \"dX0\" on face D names no sticker of a 3x3x3 cube."},
        {replaced(small, "D=dD0", "D=dD4"),
         "game.hvc is damaged: \"dD4\" on face D names no sticker of a 2x2x2 cube."},
        {replaced(good, "\nU=0", "\nU=x"),
         "game.hvc is damaged: the turn counter \"x\" of face U is not a number."},
        {replaced(good, "\nU=0 ", "\nU="), "game.hvc is damaged: face U has 8 turn counters instead of 9."},
        {replaced(good, "Undo=Di", "Undo=Di'"),
         "game.hvc is damaged: \"Di'\" in the undo list is not a move of a 3x3x3 cube."},
        {replaced(small, "Redo=R", "Redo=V0"),
         "game.hvc is damaged: \"V0\" in the redo list is not a move of a 2x2x2 cube."},
        {replaced(good, "Moves=U", "Moves=u"),
         "game.hvc is damaged: \"u\" in the answer is not a move of a 3x3x3 cube."},
        {replaced(good, "SetAt=1", "SetAt=-1"),
         "game.hvc is damaged: SetAt of [HISTORY] is \"-1\", not a number."},
        {replaced(good, "Position=2", "Position=4"),
         "game.hvc is damaged: the answer's next move is number 5 of only 3."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Text.substr(0, 300));
        std::string error;
        EXPECT_FALSE(ReadSavedGame(folder.Write("game.hvc", row.Text), "/program", error));
        EXPECT_EQ(error, row.Error);
    }
}

TEST(SavedGameTest, AFileThatCannotBeReadGivesTheSystemsReason) {
    const TTempFolder folder;
    fs::create_directory(folder.Name("folder.hvc"));
    const struct {
        std::string File;
        std::string Error;
    } rows[] = {
        {folder.Name("folder.hvc"), "folder.hvc cannot be read: Is a directory."},
        {folder.Name("none.hvc"), "none.hvc cannot be read: No such file or directory."},
        {folder.Name("none/game.hvc"), "game.hvc cannot be read: No such file or directory."},
    };
    for (const auto& row : rows) {
        std::string error;
        EXPECT_FALSE(ReadSavedGame(row.File, "/program", error));
        EXPECT_EQ(error, row.Error);
    }
}

TEST(SavedGameTest, AFailedSaveLeavesTheOldFileWhole) {
    const TTempFolder folder;
    TSavedGame doubled = PlayedGame(1);
    doubled.State = TRubikCube(1).Clean();
    doubled.State.Cubies[5][0] = doubled.State.Cubies[0][0];
    TSavedGame badMove = PlayedGame(0);
    badMove.History.RedoList.push_back("M0");
    TSavedGame twoTokens = PlayedGame(1);
    twoTokens.Answer.push_back("U R"); // would read back as two moves
    TSavedGame huge = PlayedGame(1);
    huge.History.UndoList.assign(TIniFile::MaxFileBytes / 2, "U2");
    // The temporary file's name, seven letters longer, is longer than a folder entry can be.
    const std::string longName(250, 'g');
    const struct {
        std::string File;
        TSavedGame Game;
        std::string Error;
    } rows[] = {
        {"game.hvc", doubled,
         "game.hvc was not saved: the game is faulty (the sticker U0 is on the cube twice)."},
        {"game.hvc", badMove,
         "game.hvc was not saved: the game is faulty (\"M0\" in the redo list is not a move of a 2x2x2 "
         "cube)."},
        {"game.hvc", twoTokens,
         "game.hvc was not saved: the game is faulty (its stickers, history or answer do not survive being "
         "written)."},
        {"game.hvc", huge,
         "game.hvc was not saved: the game is too large for a game file (its history is too long)."},
        {longName, PlayedGame(1),
         "Cannot create a file beside " + folder.Name(longName) + ": File name too long."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Error);
        const std::string file = folder.Write(row.File, std::string("old game"));
        std::string error;
        EXPECT_FALSE(WriteSavedGame(file, row.Game, "/program", error));
        EXPECT_EQ(error, row.Error);
        EXPECT_EQ(ReadAll(file), "old game");
        EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path()), {}), 1) << "no temporary file is left";
        fs::remove(file);
    }
}

} // namespace
