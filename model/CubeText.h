#pragma once
// Texts a user types or pastes: a move text in our notation or the one players commonly write, and a
// whole cube as one letter per sticker. Readers never guess: a text they cannot read exactly is refused
// with one sentence naming what is wrong and where (positions count characters from 1, white space
// included, so that they match what the user sees). White space is any blank or control character.

#include "model/Cubi.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct TMoveTextReading {
    std::string Moves; // the whole text in our notation, tokens separated by single blanks; empty on error
    std::string Error; // empty when every token was read; else one sentence naming the first bad token
};

// Reads a move text for a cube with SliceCount inner slices per axis. Tokens are separated by any
// white space and may mix the two notations:
//
//   ours     U F R B L D, V0 M0 H0, each plain, with i (counter-clockwise) or with 2 (half turn)
//   common   U F R B L D plain, with ' or with 2 (or 2'); R2 is the same in both
//            M (as L) = V0i, E (as D) = H0i, S (as F) = M0, with the same suffixes; so on a 3x3x3
//            cube "M2" is the common half turn, since slice 2 does not exist
//            wide turns Rw Lw Uw Dw Fw Bw: the face and the slice next to it (Rw = R V0, Lw = L V0i,
//            Uw = U H0, Dw = D H0i, Fw = F M0, Bw = B M0i), with ' and 2 applied to both
//
// Lower-case letters (r, x, u ...) mean different things to different players and are refused, as
// is every slice or wide token on a cube without slices. Whatever is accepted, ParseMoves accepts.
TMoveTextReading ReadMoveText(std::string_view Text, int SliceCount);

// The cube as our facelet text: faces U F R B L D, each face's stickers in grid order, each as its
// colour's letter of "ufrbld", or "-" for a sticker without colour. For a fully coloured 3x3x3 cube
// it equals CubeString(); a 2x2x2 cube gives 24 characters.
std::string FaceletText(const TRubikCube& Cube);

struct TFaceletReading {
    std::optional<CubeState0> State; // set when the text was read: every sticker at home, counters 0
    std::string Error;               // else one sentence for the user
};

// Reads a cube of size index SizeIndex (as for TRubikCube) from a facelet text, white space ignored
// anywhere. Either ours (as FaceletText writes it) or the common upper-case order: faces U R F D L B,
// each letter of "URFDLB" naming the colour of that face on a clean cube, grid order as ours. Only
// the text is checked, not whether the cube could be real (that is CheckCube's part).
TFaceletReading ReadFaceletText(std::string_view Text, std::uint8_t SizeIndex);
