#pragma once
// A saved game ("*.hvc"): the cube, its look, the mode, the history and the answer on show, as an INI
// text that a user can read. Standard C++ only, so that the fuzz targets read and write it too.
//
//   [GAME]      Version=1 first; Kind (the cube kind's name), Size (2x2x2 or 3x3x3), Mode (Play or Paint)
//   [CUBE] [FACES] [ENVIRON]    the appearance, as the settings file holds it, plus SurfaceDetail
//   [STICKERS]  one key per face U F R B L D: its stickers in grid order, each the colour's letter
//               (u f r b l d, "-" for none) followed by the identity of the sticker lying there,
//               home face letter and home index: "uU0 fR2 ..."
//   [TURNS]     one key per home face: the quarter-turn counters of its stickers by home index
//   [HISTORY]   Undo and Redo: move tokens, blank separated; SetAt
//   [ANSWER]    Moves: the answer's move tokens (empty when none is shown); Position: the next to play
//   [END]       last, so that a file cut short is known as such
//
// A cube whose colours no real cube could show is read all the same; only a file that would break the
// model (a sticker identity twice, a move the cube does not have, ...) is refused.

#include "model/Cubi.h"
#include "model/History.h"
#include "view/CubeSettings.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct TSavedGame {
    std::string KindName;
    std::uint8_t SizeIndex = 1;
    tCubeSettings Settings;          // StickerTextureFile is not stored and reads as empty
    CubeState0 State;                // N*N per face, as TRubikCube(SizeIndex).GetState() has
    int Mode = 1;                    // 1 play, 0 paint
    TMoveHistory History;            // UndoList, RedoList, SetAt
    std::vector<std::string> Answer; // the shown answer's tokens; empty when none
    std::size_t AnswerPosition = 0;  // the next move of Answer
};

// The file's text. A relative environment file inside ProgramFolder is stored relative to it, as the
// settings file does.
std::string SavedGameText(const TSavedGame& Game, const std::string& ProgramFolder);

// Writes the text to a temporary file beside FileName and renames it over FileName, so a crash or a
// full disk never leaves half a file or destroys the old one. A game that would not read back as it is
// (a faulty state or token) or a text too large to be read again is not written either. False with a
// sentence for the user in Error.
bool WriteSavedGame(const std::string& FileName, const TSavedGame& Game, const std::string& ProgramFolder,
                    std::string& Error);

// Reads a file; nullopt with a sentence for the user in Error when it is not a game this version can
// open or cannot be read at all. The sentence names the file without its folder.
std::optional<TSavedGame> ReadSavedGame(const std::string& FileName, const std::string& ProgramFolder,
                                        std::string& Error);
// The same on a text already in memory; FileName only names it in Error.
std::optional<TSavedGame> ReadSavedGameText(std::string_view Text, const std::string& FileName,
                                            const std::string& ProgramFolder, std::string& Error);
