#include "app/SavedGame.h"

#include "app/Settings.h"
#include "ini/IniFile.h"
#include "model/Notation.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <type_traits>
#include <unistd.h>

namespace {

constexpr int FileVersion = 1;
constexpr std::string_view ProgramName = "3D Torvane";
// Indexed by colour code; the last is a sticker without colour.
constexpr std::string_view StickerColorLetters = "ufrbld-";
constexpr std::array<std::string_view, SizeCount> SizeWords = {"2x2x2", "3x3x3"};
constexpr std::array<std::string_view, 2> ModeWords = {"Paint", "Play"};
// The value a key cannot have (a line break), telling a missing key from an empty one.
const std::string Missing = "\n";

// What is wrong with a file that looks like ours, as the end of "... is damaged: <what>."
struct TDamage {
    std::string What;
};

// A text from the file, in quotes for a message; a long one is cut (at a character's start), so that a
// damaged file cannot fill the message box.
std::string Quoted(std::string_view Text) {
    constexpr std::size_t Shown = 20;
    if (Text.size() <= Shown + 3) {
        return "\"" + std::string(Text) + "\"";
    }
    std::size_t cut = Shown;
    while (cut > 0 && (static_cast<unsigned char>(Text[cut]) & 0xC0) == 0x80) {
        --cut;
    }
    return "\"" + std::string(Text.substr(0, cut)) + "...\"";
}

std::string ShownName(const std::string& FileName) {
    const std::string name = std::filesystem::path(FileName).filename().string();
    return name.empty() ? FileName : name;
}

std::string Joined(const std::vector<std::string>& Tokens) {
    std::string text;
    for (const std::string& token : Tokens) {
        text += text.empty() ? "" : " ";
        text += token;
    }
    return text;
}

std::vector<std::string_view> Split(std::string_view Text) {
    std::vector<std::string_view> tokens;
    std::size_t start = 0;
    while (start < Text.size()) {
        const std::size_t end = std::min(Text.find_first_of(" \t", start), Text.size());
        if (end > start) {
            tokens.push_back(Text.substr(start, end - start));
        }
        start = end + 1;
    }
    return tokens;
}

// Digits only (a counter also with a leading "-"), the whole text, in range; nothing else is a number.
template <typename TNumber>
std::optional<TNumber> Number(std::string_view Text) {
    TNumber number{};
    const char* end = Text.data() + Text.size();
    if (Text.empty() || Text.front() == '+' || (Text.front() == '-' && std::is_unsigned_v<TNumber>)) {
        return std::nullopt;
    }
    const auto [stop, error] = std::from_chars(Text.data(), end, number);
    return error == std::errc{} && stop == end ? std::optional<TNumber>(number) : std::nullopt;
}

std::string Required(const TIniFile& Ini, const char* Section, const std::string& Key) {
    std::string value = Ini.ReadString(Section, Key, Missing);
    if (value == Missing) {
        throw TDamage{"the key " + Key + " of [" + Section + "] is missing"};
    }
    return value;
}

std::size_t RequiredCount(const TIniFile& Ini, const char* Section, const char* Key) {
    const std::string text = Required(Ini, Section, Key);
    const auto count = Number<std::size_t>(text);
    if (!count) {
        throw TDamage{Key + std::string(" of [") + Section + "] is " + Quoted(text) + ", not a number"};
    }
    return *count;
}

std::vector<std::string> ReadMoves(const TIniFile& Ini, const char* Section, const char* Key,
                                   const char* ListName, const TRubikCube& Cube) {
    std::vector<std::string> moves;
    const std::string text = Required(Ini, Section, Key);
    for (const std::string_view token : Split(text)) {
        if (!ParseMove(token, Cube.SliceCount, false)) {
            throw TDamage{Quoted(token) + " in " + ListName + " is not a move of a " +
                          std::string(SizeWords[Cube.SizeIndex]) + " cube"};
        }
        moves.emplace_back(token);
    }
    return moves;
}

void ReadStickers(const TIniFile& Ini, TRubikCube& Cube) {
    CubeState0 state = Cube.Empty();
    std::vector<bool> seen(static_cast<std::size_t>(FaceCount * Cube.FaceArea), false);
    for (int face = 0; face < FaceCount; ++face) {
        const std::string key(1, FaceLetters[static_cast<std::size_t>(face)]);
        const std::string text = Required(Ini, "STICKERS", key);
        const auto tokens = Split(text);
        if (tokens.size() != static_cast<std::size_t>(Cube.FaceArea)) {
            throw TDamage{"face " + key + " has " + std::to_string(tokens.size()) + " stickers instead of " +
                          std::to_string(Cube.FaceArea)};
        }
        for (std::size_t i = 0; i < tokens.size(); ++i) {
            const std::string_view token = tokens[i];
            const auto color = StickerColorLetters.find(token.front());
            if (color == std::string_view::npos) {
                throw TDamage{Quoted(token) + " on face " + key + " does not start with a colour letter"};
            }
            const auto home = token.size() < 2 ? std::string_view::npos : FaceLetters.find(token[1]);
            const auto index = token.size() < 3 ? std::nullopt : Number<std::int32_t>(token.substr(2));
            if (home == std::string_view::npos || !index || *index < 0 || *index >= Cube.FaceArea) {
                throw TDamage{Quoted(token) + " on face " + key + " names no sticker of a " +
                              std::string(SizeWords[Cube.SizeIndex]) + " cube"};
            }
            const std::size_t id =
                home * static_cast<std::size_t>(Cube.FaceArea) + static_cast<std::size_t>(*index);
            if (seen[id]) { // the model counts turns by identity: each must be on the cube once
                throw TDamage{"the sticker " + std::string(token.substr(1)) + " is on the cube twice"};
            }
            seen[id] = true;
            state.Cubies[static_cast<std::size_t>(face)][i] = {static_cast<std::uint8_t>(color),
                                                               static_cast<std::uint8_t>(home), *index};
        }
    }
    for (int face = 0; face < FaceCount; ++face) {
        const std::string key(1, FaceLetters[static_cast<std::size_t>(face)]);
        const std::string text = Required(Ini, "TURNS", key);
        const auto tokens = Split(text);
        if (tokens.size() != static_cast<std::size_t>(Cube.FaceArea)) {
            throw TDamage{"face " + key + " has " + std::to_string(tokens.size()) +
                          " turn counters instead of " + std::to_string(Cube.FaceArea)};
        }
        for (std::size_t i = 0; i < tokens.size(); ++i) {
            const auto turns = Number<std::int32_t>(tokens[i]);
            if (!turns) {
                throw TDamage{"the turn counter " + Quoted(tokens[i]) + " of face " + key +
                              " is not a number"};
            }
            state.Rotations[static_cast<std::size_t>(face)][i] = *turns;
        }
    }
    Cube.SetState(state);
}

// The game the text holds, or what is wrong with it; Version has been checked.
TSavedGame ReadGame(const TIniFile& Ini, const std::string& ProgramFolder) {
    TSavedGame game;
    game.KindName = Required(Ini, "GAME", "Kind");
    const std::string size = Required(Ini, "GAME", "Size");
    const auto sizeIndex = std::find(SizeWords.begin(), SizeWords.end(), size) - SizeWords.begin();
    if (sizeIndex == static_cast<std::ptrdiff_t>(SizeWords.size())) {
        throw TDamage{"the size " + Quoted(size) + " is unknown"};
    }
    game.SizeIndex = static_cast<std::uint8_t>(sizeIndex);
    const std::string mode = Required(Ini, "GAME", "Mode");
    const auto modeIndex = std::find(ModeWords.begin(), ModeWords.end(), mode) - ModeWords.begin();
    if (modeIndex == static_cast<std::ptrdiff_t>(ModeWords.size())) {
        throw TDamage{"the mode " + Quoted(mode) + " is unknown"};
    }
    game.Mode = static_cast<int>(modeIndex);

    LoadSettings(Ini, game.Settings, ProgramFolder);

    TRubikCube cube(game.SizeIndex);
    ReadStickers(Ini, cube);
    game.State = cube.GetState();

    game.History.UndoList = ReadMoves(Ini, "HISTORY", "Undo", "the undo list", cube);
    game.History.RedoList = ReadMoves(Ini, "HISTORY", "Redo", "the redo list", cube);
    game.History.SetAt = RequiredCount(Ini, "HISTORY", "SetAt");
    game.Answer = ReadMoves(Ini, "ANSWER", "Moves", "the answer", cube);
    game.AnswerPosition = RequiredCount(Ini, "ANSWER", "Position");
    if (game.AnswerPosition > game.Answer.size()) {
        throw TDamage{"the answer's next move is number " + std::to_string(game.AnswerPosition + 1) +
                      " of only " + std::to_string(game.Answer.size())};
    }
    return game;
}

// The parts of a game that this file's own sections hold, compared (the settings go through the settings
// file's functions, which have their own rules for what they store).
bool SameCubeAndHistory(const TSavedGame& a, const TSavedGame& b) {
    return a.SizeIndex == b.SizeIndex && a.Mode == b.Mode && a.State == b.State &&
           a.History.UndoList == b.History.UndoList && a.History.RedoList == b.History.RedoList &&
           a.History.SetAt == b.History.SetAt && a.Answer == b.Answer && a.AnswerPosition == b.AnswerPosition;
}

} // namespace

std::string SavedGameText(const TSavedGame& Game, const std::string& ProgramFolder) {
    TIniFile ini = TIniFile::FromText("", "");
    ini.WriteInteger("GAME", "Version", FileVersion);
    ini.WriteString("GAME", "Kind", Game.KindName);
    // Values out of range are written as numbers, which read back as damage instead of another game.
    ini.WriteString("GAME", "Size",
                    Game.SizeIndex < SizeWords.size() ? std::string(SizeWords[Game.SizeIndex])
                                                      : std::to_string(Game.SizeIndex));
    ini.WriteString("GAME", "Mode",
                    Game.Mode == 0 || Game.Mode == 1
                        ? std::string(ModeWords[static_cast<std::size_t>(Game.Mode)])
                        : std::to_string(Game.Mode));
    SaveSettings(ini, Game.Settings, ProgramFolder);
    ini.WriteInteger("CUBE", "SurfaceDetail", Game.Settings.SurfaceDetail);

    for (std::size_t face = 0; face < FaceCount; ++face) {
        std::vector<std::string> stickers;
        for (const TCubie& c : Game.State.Cubies[face]) {
            stickers.push_back({c.Color < StickerColorLetters.size() ? StickerColorLetters[c.Color] : '?',
                                c.HomeFace < FaceLetters.size() ? FaceLetters[c.HomeFace] : '?'});
            stickers.back() += std::to_string(c.HomeIndex);
        }
        ini.WriteString("STICKERS", std::string(1, FaceLetters[face]), Joined(stickers));
    }
    for (std::size_t face = 0; face < FaceCount; ++face) {
        std::vector<std::string> turns;
        for (const std::int32_t t : Game.State.Rotations[face]) {
            turns.push_back(std::to_string(t));
        }
        ini.WriteString("TURNS", std::string(1, FaceLetters[face]), Joined(turns));
    }
    ini.WriteString("HISTORY", "Undo", Joined(Game.History.UndoList));
    ini.WriteString("HISTORY", "Redo", Joined(Game.History.RedoList));
    ini.WriteString("HISTORY", "SetAt", std::to_string(Game.History.SetAt));
    ini.WriteString("ANSWER", "Moves", Joined(Game.Answer));
    ini.WriteString("ANSWER", "Position", std::to_string(Game.AnswerPosition));
    return ini.Text() + "\n[END]\n";
}

bool WriteSavedGame(const std::string& FileName, const TSavedGame& Game, const std::string& ProgramFolder,
                    std::string& Error) {
    const std::string name = ShownName(FileName);
    const std::string text = SavedGameText(Game, ProgramFolder);
    // A file this program cannot open again would lose the game as surely as no file.
    if (text.size() > TIniFile::MaxFileBytes) {
        Error = name + " was not saved: the game is too large for a game file (its history is too long).";
        return false;
    }
    try {
        const TSavedGame reread = ReadGame(TIniFile::FromText(FileName, text), ProgramFolder);
        if (!SameCubeAndHistory(reread, Game)) {
            throw TDamage{"its stickers, history or answer do not survive being written"};
        }
    } catch (const TDamage& damage) {
        Error = name + " was not saved: the game is faulty (" + damage.What + ").";
        return false;
    }
    std::string writeError;
    if (!TIniFile::FromText(FileName, text).UpdateFile(&writeError)) {
        Error = writeError + ".";
        return false;
    }
    return true;
}

std::optional<TSavedGame> ReadSavedGame(const std::string& FileName, const std::string& ProgramFolder,
                                        std::string& Error) {
    const auto cannot = [&](const char* Reason) {
        Error = ShownName(FileName) + " cannot be read: " + Reason + ".";
        return std::nullopt;
    };
    // Not blocking: a named pipe in the file's place must not hang the program.
    const int fd = open(FileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return cannot(std::strerror(errno));
    }
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        const int error = S_ISDIR(info.st_mode) ? EISDIR : errno;
        close(fd);
        return cannot(error != 0 ? std::strerror(error) : "it is not a file");
    }
    // One byte more than an INI file may hold tells a file too large, whatever its size claims.
    std::string text(TIniFile::MaxFileBytes + 1, '\0');
    std::size_t length = 0;
    while (length < text.size()) {
        const ssize_t n = read(fd, text.data() + length, text.size() - length);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            const int error = errno;
            close(fd);
            return cannot(std::strerror(error));
        }
        if (n == 0) {
            break;
        }
        length += static_cast<std::size_t>(n);
    }
    close(fd);
    text.resize(length);
    return ReadSavedGameText(text, FileName, ProgramFolder, Error);
}

std::optional<TSavedGame> ReadSavedGameText(std::string_view Text, const std::string& FileName,
                                            const std::string& ProgramFolder, std::string& Error) {
    const std::string name = ShownName(FileName);
    const std::string foreign = name + " is not a saved " + std::string(ProgramName) + " game.";
    if (Text.size() > TIniFile::MaxFileBytes) {
        Error = foreign;
        return std::nullopt;
    }
    const TIniFile ini = TIniFile::FromText(FileName, Text);
    const auto version = Number<int>(ini.ReadString("GAME", "Version", ""));
    if (!version || *version < 1) {
        Error = foreign;
        return std::nullopt;
    }
    if (*version > FileVersion) {
        Error = name + " was saved by a newer version of " + std::string(ProgramName) +
                " (game file version " + std::to_string(*version) + "); this version opens version " +
                std::to_string(FileVersion) + ".";
        return std::nullopt;
    }
    try {
        if (!ini.SectionExists("END")) {
            throw TDamage{"its end is missing (the file was cut short)"};
        }
        return ReadGame(ini, ProgramFolder);
    } catch (const TDamage& damage) {
        Error = name + " is damaged: " + damage.What + ".";
        return std::nullopt;
    }
}
