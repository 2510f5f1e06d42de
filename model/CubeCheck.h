#pragma once
// Why a painted cube cannot be a real one, and which stickers are at fault, so that the game
// window can say what to correct instead of only that something is wrong. Checks run in this order
// and the first fault found is reported.
//
//   Uncoloured     stickers without colour
//   Centres        two centres of the same colour
//   ColourCount    a colour on more or fewer than nine stickers
//   Edges          an edge piece that does not exist (two opposite colours) or is there twice
//   Corners        a corner piece that does not exist, is mirrored, or is there twice
//   FlippedEdge    an odd number of flipped edges
//   TwistedCorner  corner twists that do not add up to whole turns
//   Parity         two pieces swapped: the corner and edge arrangements disagree
//
// Faces are recognised by their centres' colours, so a cube painted with the centres elsewhere is
// judged as the user painted it. A 2x2x2 cube has no centres, edges or parity fault: colour c belongs
// to face c (as on a clean cube), a colour should be on four stickers, and whatever arrangement its
// corners are in can be reached.

#include "model/Cubi.h"

#include <string>
#include <vector>

enum class TCubeFault {
    None,
    Uncoloured,
    Centres,
    ColourCount,
    Edges,
    Corners,
    FlippedEdge,
    TwistedCorner,
    Parity
};

struct TCubeCheck {
    TCubeFault Fault = TCubeFault::None;
    std::string Reason;        // one sentence for the user; empty when the cube is fine
    std::vector<int> Stickers; // ids (face * N^2 + index) at fault, ascending; empty for Parity
};

TCubeCheck CheckCube(const TRubikCube& Cube);

// Whether every face shows a single colour and no sticker lacks one: the cube is solved, whatever
// colours it was painted in.
bool FacesAreUniform(const TRubikCube& Cube);
