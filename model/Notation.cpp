#include "model/Notation.h"

#include "model/Cubi.h"

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The turn count of a suffix character after a complete move name.
int TurnsOfSuffix(char suffix) {
    switch (suffix) {
    case 'i':
        return 3;
    case '2':
        return 2;
    default:
        return 0;
    }
}

// Length of the move name before any suffix: 1 for a face, 2 for a slice, 0 if neither.
std::size_t NameLength(std::string_view token) {
    if (FaceOfMove(token) >= 0) {
        return 1;
    }
    if (AxisOfMove(token) >= 0 && token.size() >= 2 && IsDigit(token[1])) {
        return 2;
    }
    return 0;
}

} // namespace

int FaceOfMove(std::string_view token) {
    if (token.empty()) {
        return -1;
    }
    const auto pos = FaceLetters.find(token.front());
    return pos == std::string_view::npos ? -1 : static_cast<int>(pos);
}

int AxisOfMove(std::string_view token) {
    if (token.empty()) {
        return -1;
    }
    const auto pos = AxisLetters.find(token.front());
    return pos == std::string_view::npos ? -1 : static_cast<int>(pos);
}

std::string InverseMove(std::string_view token) {
    const std::size_t name = NameLength(token);
    if (name == 0 || token.size() > name + 1) {
        return {};
    }
    if (token.size() == name) {
        return std::string(token) + 'i';
    }
    switch (token.back()) {
    case 'i':
        return std::string(token.substr(0, name));
    case '2':
        return std::string(token);
    default:
        return {};
    }
}

std::string_view TrimBlanks(std::string_view text) {
    const auto isBlank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

void SplitMoves(std::string_view Text, std::vector<std::string>& List) {
    List.clear();
    std::string_view rest = TrimBlanks(Text);
    while (!rest.empty()) {
        const auto blank = rest.find(' ');
        if (blank == 0) {
            break; // two blanks in a row end the list
        }
        if (blank == std::string_view::npos) {
            List.emplace_back(rest);
            break;
        }
        List.emplace_back(rest.substr(0, blank));
        rest.remove_prefix(blank + 1);
    }
}

std::optional<TMove> ParseMove(std::string_view token, int SliceCount, bool Animate) {
    const std::size_t name = NameLength(token);
    if (name == 0 || token.size() > name + 1) {
        return std::nullopt;
    }
    TMove move;
    move.Name = std::string(token);
    move.Animate = Animate;
    if (name == 1) {
        move.IsFace = true;
        move.Index = static_cast<unsigned char>(FaceOfMove(token));
    } else {
        move.IsFace = false;
        move.Index = static_cast<unsigned char>(AxisOfMove(token));
        move.Slice = token[1] - '0';
        if (move.Slice >= SliceCount) {
            return std::nullopt;
        }
    }
    if (token.size() > name) {
        move.Turns = TurnsOfSuffix(token.back());
        if (move.Turns == 0) {
            return std::nullopt;
        }
    }
    return move;
}

std::optional<std::vector<TMove>> ParseMoves(std::string_view Text, int SliceCount, bool Animate) {
    std::vector<std::string> tokens;
    SplitMoves(Text, tokens);
    std::vector<TMove> moves;
    moves.reserve(tokens.size());
    for (const std::string& token : tokens) {
        std::optional<TMove> move = ParseMove(token, SliceCount, Animate);
        if (!move) {
            return std::nullopt;
        }
        moves.push_back(std::move(*move));
    }
    return moves;
}
