#pragma once
// The cube as the engine sees it: eight corner and twelve edge pieces, each with a place and an
// orientation, read from and written to the 54-letter facelet text. Standard C++ only.
//
// Facelet text: faces in the order u f r b l d, nine stickers each, row by row as seen from outside
// (U: row 0 at the back, column 0 at L; F, R, B, L: row 0 at the U edge, column 0 at the L, F, R and
// B side; D: row 0 at the front, column 0 at L). Each sticker is the letter of its colour. Colours
// are matched to faces by the centres, so a cube held in any orientation reads as one whose centres
// are at home.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace twophase {

// Piece names double as their home places.
enum TCorner : std::uint8_t { URF, UFL, ULB, UBR, DFR, DLF, DBL, DRB };
enum TEdge : std::uint8_t { UR, UF, UL, UB, DR, DF, DL, DB, FR, FL, BL, BR };

inline constexpr int CornerCount = 8;
inline constexpr int EdgeCount = 12;
inline constexpr std::string_view FaceNames = "UFRBLD";

// Which piece sits in each place, and how it is turned there: a corner's twist counts clockwise
// thirds from having its U or D sticker on the U or D face; an edge's flip is 1 when its reference
// sticker (U/D, or F/B for middle-layer edges) is off the reference face.
struct TCubieCube {
    std::array<std::uint8_t, CornerCount> Cp{URF, UFL, ULB, UBR, DFR, DLF, DBL, DRB};
    std::array<std::uint8_t, CornerCount> Co{};
    std::array<std::uint8_t, EdgeCount> Ep{UR, UF, UL, UB, DR, DF, DL, DB, FR, FL, BL, BR};
    std::array<std::uint8_t, EdgeCount> Eo{};

    bool operator==(const TCubieCube&) const = default;
};

// The state after doing a, then b.
TCubieCube Multiply(const TCubieCube& a, const TCubieCube& b);

// Face turns are numbered face * 3 + (quarter turns - 1): 0 = U, 1 = U2, 2 = Ui, 3 = F, ... 17 = Di.
inline constexpr int MoveCount = 18;
const TCubieCube& MoveCube(int move);
// "U", "U2", "Ui" and so on.
std::string MoveName(int move);

// Why a facelet text is no real cube, in the order the reading checks it.
enum class TFault {
    None,
    Letters,       // not 54 letters out of "ufrbld"
    Counts,        // a colour not on exactly nine stickers
    Centres,       // two centres of one colour
    Pieces,        // an edge or corner that cannot exist or is there twice
    FlippedEdge,   // edge flips do not add up
    TwistedCorner, // corner twists do not add up to whole turns
    Parity,        // corner and edge arrangements disagree: two pieces swapped
};

struct TReadResult {
    TFault Fault = TFault::None;
    TCubieCube Cube; // meaningful only without a fault
};

TReadResult ReadFacelets(std::string_view facelets);
// The facelet text of a cube with its centres at home.
std::string WriteFacelets(const TCubieCube& cube);

// The facelet text of the same cube held turned a third of a turn about its URF corner: what was on
// R is then on U, U on F and F on R. Read back, it is the cube as seen from there.
std::string TurnedWhole(std::string_view facelets);
// The face that a turn of face comes from, for a cube held turned whole as above.
int FaceBeforeTurnedWhole(int face);

// The state that undoes c: Multiply(c, Inverse(c)) is solved.
TCubieCube Inverse(const TCubieCube& c);

// The eight symmetries of the cube that keep U on top: 0 to 3 quarter turns of the whole cube about
// the U-D axis (clockwise seen from U), and 4 to 7 the same after mirroring L and R.
inline constexpr int SymmetryCount = 8;
// The symmetry that undoes s, in either group of eight here: the mirror or half turn in 4 to 7
// reverses the quarter turns, so those undo themselves.
constexpr int InverseSymmetry(int s) {
    return s < 4 ? (4 - s) % 4 : s;
}
// The arrangement of pieces seen through symmetry s; orientations are left at 0, as the coordinates
// that use symmetries (phase 2 ones) are arrangements only.
TCubieCube ConjugatedArrangement(const TCubieCube& c, int s);
// The move that does to the arrangement seen through s what move does to the cube itself.
int ConjugatedMove(int move, int s);

// The eight turns of the whole cube that keep the U-D axis: 0 to 3 quarter turns about it (clockwise
// seen from U), 4 to 7 the same after a half turn about the R-L axis.
inline constexpr int TurnSymmetryCount = 8;
// The cube as seen after turning it whole by turn symmetry s, twists and flips included.
TCubieCube TurnedBySymmetry(const TCubieCube& c, int s);

// The facelet text after one face turn, worked out from the geometry of the sticker grids alone; the
// piece moves are derived from it, and tests compare both against the game's model.
std::string TurnFacelets(std::string_view facelets, int move);

} // namespace twophase
