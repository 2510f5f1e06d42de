#include "model/CubeText.h"

#include "model/Notation.h"

#include <array>

namespace {

// White space as the move parser trims it: blanks, line breaks and other control characters alike.
bool IsSpace(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

// Positions count characters, not bytes: a UTF-8 continuation byte starts none.
bool StartsCharacter(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
}

// The character (all bytes of it) that starts at Text[i].
std::string_view CharacterAt(std::string_view Text, std::size_t i) {
    std::size_t end = i + 1;
    while (end < Text.size() && !StartsCharacter(Text[end])) {
        ++end;
    }
    return Text.substr(i, end - i);
}

// The token as quoted in a message; a long run of pasted junk is cut short, on a character boundary.
std::string Quoted(std::string_view token) {
    constexpr std::size_t MaxShown = 12;
    std::string shown;
    for (std::size_t i = 0; i < token.size(); i += CharacterAt(token, i).size()) {
        if (i >= MaxShown) {
            shown += "...";
            break;
        }
        shown += CharacterAt(token, i);
    }
    return "\"" + shown + "\"";
}

std::string At(std::string_view token, int column) {
    return Quoted(token) + " at character " + std::to_string(column);
}

// Quarter turns clockwise a suffix stands for, or 0 when it is not one of the notation's suffixes.
int TurnsOf(std::string_view suffix, bool ours, bool common) {
    if (suffix.empty()) {
        return 1;
    }
    if (suffix == "2" || (common && suffix == "2'")) {
        return 2;
    }
    if ((common && suffix == "'") || (ours && suffix == "i")) {
        return 3;
    }
    return 0;
}

std::string Written(std::string_view name, int turns) {
    return std::string(name) + (turns == 2 ? "2" : turns == 3 ? "i" : "");
}

constexpr std::array<std::string_view, FaceCount> FaceNames = {"up",   "front", "right",
                                                               "back", "left",  "down"};
// The slice next to each face; for B, L and D it turns against the face's direction.
constexpr std::array<std::string_view, FaceCount> WideSlices = {"H0", "M0", "V0", "M0", "V0", "H0"};
// The common middle layers: our slice, whether it turns against ours, and the faces it lies between.
constexpr std::string_view CommonSliceLetters = "MES";
constexpr std::array<std::string_view, 3> CommonSlices = {"V0", "H0", "M0"};
constexpr std::array<bool, 3> CommonSliceReversed = {true, true, false};
constexpr std::array<std::string_view, 3> CommonSliceSides = {"L and R", "U and D", "F and B"};

std::string LowerCaseHint(char c, int SliceCount) {
    const std::string upper(1, static_cast<char>(c - 'a' + 'A'));
    const auto face = ColorLetters.find(c);
    if (face != std::string_view::npos) {
        const std::string name(FaceNames[face]);
        return "lower-case letters are not read; write " + upper + " for the " + name + " face" +
               (SliceCount > 0 ? " or " + upper + "w for the " + name + " two layers" : "") + ".";
    }
    const auto slice = std::string_view("mes").find(c);
    if (slice != std::string_view::npos && SliceCount > 0) {
        return "lower-case letters are not read; write " + upper + " for the middle layer between " +
               std::string(CommonSliceSides[slice]) + ".";
    }
    if (c == 'x' || c == 'y' || c == 'z') {
        return "lower-case letters are not read, and turns of the whole cube are not moves.";
    }
    return "lower-case letters are not read.";
}

// One token in our notation (one or two tokens), or the empty text with Why set.
std::string ReadToken(std::string_view token, int SliceCount, std::string& Why) {
    const char c = token.front();
    if (c >= 'a' && c <= 'z') {
        Why = LowerCaseHint(c, SliceCount);
        return {};
    }
    const bool wide = token.size() >= 2 && token[1] == 'w';
    const auto face = FaceLetters.find(c);
    const auto axis = AxisLetters.find(c);
    const auto common = CommonSliceLetters.find(c);
    if (SliceCount == 0 && (axis != std::string_view::npos || common != std::string_view::npos ||
                            (face != std::string_view::npos && wide))) {
        Why = "the 2x2x2 cube has no middle layers.";
        return {};
    }
    if (face != std::string_view::npos) {
        const std::string name(token.substr(0, wide ? 2 : 1));
        const int turns = TurnsOf(token.substr(name.size()), !wide, true);
        if (turns == 0) {
            Why = name +
                  (wide ? " may be followed only by ', 2 or 2'." : " may be followed only by ', i, 2 or 2'.");
            return {};
        }
        if (!wide) {
            return Written(name.substr(0, 1), turns);
        }
        return Written(name.substr(0, 1), turns) + " " +
               Written(WideSlices[face], face >= 3 ? 4 - turns : turns);
    }
    // "M" followed by a common suffix is the common slice ("M2" included); with a digit, ours.
    if (common != std::string_view::npos) {
        const int turns = TurnsOf(token.substr(1), false, true);
        if (turns > 0) {
            return Written(CommonSlices[common], CommonSliceReversed[common] ? 4 - turns : turns);
        }
    }
    if (axis != std::string_view::npos && token.size() >= 2 && token[1] >= '0' && token[1] <= '9') {
        if (token[1] - '0' >= SliceCount) {
            Why = "the middle slices are V0, M0 and H0.";
            return {};
        }
        const int turns = TurnsOf(token.substr(2), true, false);
        if (turns == 0) {
            Why = std::string(token.substr(0, 2)) + " may be followed only by i or 2.";
            return {};
        }
        return Written(token.substr(0, 2), turns);
    }
    if (common != std::string_view::npos) {
        Why = std::string(1, c) + " may be followed only by ', 2 or 2'.";
    } else if (axis != std::string_view::npos) {
        Why = std::string(1, c) + " needs the number of its slice, as in " + c + "0.";
    } else {
        Why = SliceCount > 0 ? "moves begin with U, F, R, B, L, D, M, E, S, V or H."
                             : "moves begin with U, F, R, B, L or D.";
    }
    return {};
}

} // namespace

TMoveTextReading ReadMoveText(std::string_view Text, int SliceCount) {
    TMoveTextReading reading;
    int column = 0; // characters before Text[i]
    for (std::size_t i = 0; i < Text.size();) {
        if (IsSpace(Text[i])) {
            ++column;
            ++i;
            continue;
        }
        const std::size_t start = i;
        const int tokenColumn = column + 1;
        for (; i < Text.size() && !IsSpace(Text[i]); ++i) {
            column += StartsCharacter(Text[i]);
        }
        const std::string_view token = Text.substr(start, i - start);
        std::string why;
        const std::string moves = ReadToken(token, SliceCount, why);
        if (!why.empty()) {
            return {{}, At(token, tokenColumn) + " is not a move: " + why};
        }
        reading.Moves += (reading.Moves.empty() ? "" : " ") + moves;
    }
    if (reading.Moves.empty()) {
        reading.Error = "No moves were entered.";
    }
    return reading;
}

std::string FaceletText(const TRubikCube& Cube) {
    std::string text;
    text.reserve(FaceCount * Cube.FaceArea);
    for (const std::vector<TCubie>& face : Cube.GetState().Cubies) {
        for (const TCubie& sticker : face) {
            text += sticker.Color < NoColor ? ColorLetters[sticker.Color] : '-';
        }
    }
    return text;
}

namespace {

// The common text's letters, which are also its face order, and our colour code (= face) of each.
constexpr std::string_view CommonLetters = "URFDLB";
constexpr std::array<std::uint8_t, FaceCount> CommonCodes = {0, 2, 1, 5, 4, 3};

} // namespace

TFaceletReading ReadFaceletText(std::string_view Text, std::uint8_t SizeIndex) {
    TRubikCube cube(SizeIndex);
    const auto fail = [](std::string error) { return TFaceletReading{std::nullopt, std::move(error)}; };
    std::vector<std::uint8_t> codes;
    enum class TKind { Unknown, Ours, Common } kind = TKind::Unknown;
    std::string firstDash; // where an uncoloured sticker was written before the kind was known
    int column = 0;
    for (std::size_t i = 0; i < Text.size(); ++i) {
        const char c = Text[i];
        column += StartsCharacter(c);
        if (IsSpace(c)) {
            continue;
        }
        const std::string at = At(CharacterAt(Text, i), column);
        const auto ours = ColorLetters.find(c);
        const auto common = CommonLetters.find(c);
        if (c == '-') {
            if (kind == TKind::Common) {
                return fail(at + " marks a sticker without colour, which only the lower-case text can hold.");
            }
            if (firstDash.empty()) {
                firstDash = at;
            }
            codes.push_back(NoColor);
        } else if (ours != std::string_view::npos) {
            if (kind == TKind::Common) {
                return fail(
                    at +
                    " is lower case, but the text began in upper case; write every sticker in one case.");
            }
            kind = TKind::Ours;
            codes.push_back(static_cast<std::uint8_t>(ours));
        } else if (common != std::string_view::npos) {
            if (kind == TKind::Ours) {
                return fail(
                    at +
                    " is upper case, but the text began in lower case; write every sticker in one case.");
            }
            if (!firstDash.empty()) {
                return fail(firstDash +
                            " marks a sticker without colour, which only the lower-case text can hold.");
            }
            kind = TKind::Common;
            codes.push_back(CommonCodes[common]);
        } else {
            return fail(at + " is not a sticker: write u, f, r, b, l, d or - for each, or U, R, F, D, L, B.");
        }
    }
    const std::size_t expected = FaceCount * static_cast<std::size_t>(cube.FaceArea);
    if (codes.empty()) {
        return fail("No stickers were entered.");
    }
    if (codes.size() != expected) {
        return fail("This cube has " + std::to_string(expected) + " stickers; the text gives " +
                    std::to_string(codes.size()) + ".");
    }
    CubeState0 state = cube.Empty();
    for (int k = 0; k < FaceCount; ++k) {
        const int face = kind == TKind::Common ? CommonCodes[k] : k;
        for (int i = 0; i < cube.FaceArea; ++i) {
            state.Cubies[face][i].Color = codes[k * cube.FaceArea + i];
        }
    }
    return {std::move(state), {}};
}
