#pragma once
// The move notation. A move text is tokens separated by single blanks; letters are case-sensitive.
//
//   U F R B L D        clockwise quarter turn of that face, seen from outside
//   V0 M0 H0           quarter turn of inner slice k (one digit) of axis V, M or H, in the
//                      direction of R, F and U respectively
//   ...i / ...2        counter-clockwise quarter turn / half turn of the same
//
// Anything else is an invalid token: a prime ("U'"), lower case, over-long tokens, a slice letter
// without a digit, or a slice that the cube does not have. A text with one invalid token is refused
// as a whole.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One parsed move, the unit of work of the move thread.
struct TMove {
    std::string Name; // the token as written
    int Turns = 1;    // 1, 2 or 3 clockwise quarter turns
    bool Animate = false;
    bool IsFace = true;
    unsigned char Index = 0; // face 0..5 (U F R B L D) or axis 0..2 (V M H)
    int Slice = 0;           // slice number of a slice move

    bool operator==(const TMove&) const = default;
};

// Position of the token's first character in "UFRBLD", or -1.
int FaceOfMove(std::string_view token);
// Position of the token's first character in "VMH", or -1.
int AxisOfMove(std::string_view token);

// The token of the inverse move ("U" -> "Ui", "V0i" -> "V0", "F2" -> "F2"), or the empty text for
// a token that is not well formed.
std::string InverseMove(std::string_view token);

// The text without blanks and control characters at either end.
std::string_view TrimBlanks(std::string_view text);

// Clears List and appends the tokens of Text in order. Splitting stops at the end of the text or at
// the first empty token: whatever follows two blanks in a row is ignored.
void SplitMoves(std::string_view Text, std::vector<std::string>& List);

// The move a token names on a cube with SliceCount inner slices per axis, or nullopt if invalid.
std::optional<TMove> ParseMove(std::string_view token, int SliceCount, bool Animate);

// All moves of a text, or nullopt if any token is invalid (then nothing of the text may be performed).
std::optional<std::vector<TMove>> ParseMoves(std::string_view Text, int SliceCount, bool Animate);
