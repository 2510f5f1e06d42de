// The game file reader on any text. A text that opens, written again, opens as the same game and
// writes the very same text again; one that does not open says why, naming the file. The reader on a
// file gives what it gives on the file's text.
#include "app/SavedGame.h"

#include "fuzz/MemoryFile.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace {

// Not a folder of this machine: the environment file's name is only worked out, never opened.
const std::string ProgramFolder = "/nonexistent/torvane";

bool SameGame(const TSavedGame& a, const TSavedGame& b) {
    return a.KindName == b.KindName && a.SizeIndex == b.SizeIndex && a.Settings == b.Settings &&
           a.State == b.State && a.Mode == b.Mode && a.History.UndoList == b.History.UndoList &&
           a.History.RedoList == b.History.RedoList && a.History.SetAt == b.History.SetAt &&
           a.Answer == b.Answer && a.AnswerPosition == b.AnswerPosition;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const fuzz::TMemoryFile file(text);
    std::string error, fileError;
    const auto game = ReadSavedGameText(text, file.Name(), ProgramFolder, error);
    const auto fromFile = ReadSavedGame(file.Name(), ProgramFolder, fileError);
    if (game.has_value() != fromFile.has_value() || error != fileError ||
        (game && !SameGame(*game, *fromFile))) {
        __builtin_trap();
    }
    if (!game) {
        if (!error.starts_with(std::filesystem::path(file.Name()).filename().string() + " ")) {
            __builtin_trap();
        }
        return 0;
    }
    const std::string saved = SavedGameText(*game, ProgramFolder);
    const auto again = ReadSavedGameText(saved, "again.hvc", ProgramFolder, error);
    if (!again || SavedGameText(*again, ProgramFolder) != saved) {
        __builtin_trap();
    }
    // Only texts may change on the first save: a value out of range is read as the nearest one, a
    // carriage return inside a line is written as a blank, a relative file name becomes a full one.
    TSavedGame expected = *game;
    expected.KindName = again->KindName;
    expected.Settings = again->Settings;
    if (!SameGame(*again, expected)) {
        __builtin_trap();
    }
    return 0;
}
