#pragma once
// The cube model: one 2x2x2 or 3x3x3 puzzle as six faces of sticker records, with a quarter-turn
// counter per physical sticker. No locks: the owning view decides which thread may touch it when.
//
// Faces are indexed 0..5 = U F R B L D; a face index is also the colour code of the colour that face
// shows on a clean cube, and colour code 6 (NoColor) is a sticker without colour. Stickers of a face
// are numbered row by row, every face seen from outside (the usual unfolded net):
//
//   face  row 0 at      column 0 at
//   U     back edge     L side
//   F     U edge        L side
//   R     U edge        F side
//   B     U edge        R side
//   L     U edge        B side
//   D     front edge    L side
//
// A sticker id is face * N^2 + grid index; it names a position, not a physical sticker.

#include "model/TurnTables.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct TMove;

inline constexpr std::string_view FaceLetters = "UFRBLD";
inline constexpr std::string_view AxisLetters = "VMH";
inline constexpr std::string_view ColorLetters = "ufrbld";
inline constexpr std::array<std::string_view, 2> SizeNames = {"2x2", "3x3"};
inline constexpr std::array<std::string_view, 2> SizeCaptions = {"Mini", "Standard"};

inline constexpr std::uint8_t NoColor = 6;
inline constexpr int FaceCount = 6;
inline constexpr int SizeCount = 2;

// One position on one face. (HomeFace, HomeIndex) is the identity of the physical sticker that lies
// there; moves carry the whole record along, painting changes only Color.
struct TCubie {
    std::uint8_t Color = NoColor;
    std::uint8_t HomeFace = 0;
    std::int32_t HomeIndex = 0;

    bool operator==(const TCubie&) const = default;
};

// Indexed by face, then grid index.
using CubiesState = std::array<std::vector<TCubie>, FaceCount>;
// Indexed by home face, then home index (the physical sticker, not its position): the clockwise
// quarter turns the sticker has made about its own centre. Never reduced; modulo 4 it is the
// sticker's orientation against the grid of the face it lies on.
using CubiesRotationState = std::array<std::vector<std::int32_t>, FaceCount>;

// The whole state of a cube. A plain value: copies share nothing.
struct CubeState0 {
    CubiesState Cubies;
    CubiesRotationState Rotations;

    bool operator==(const CubeState0&) const = default;
};

class TRubikCube {
public:
    // Size index 0 is the 2x2x2 cube, 1 the 3x3x3; anything else is taken as 1. A new cube is empty.
    explicit TRubikCube(std::uint8_t sizeIndex);

    const std::uint8_t SizeIndex;
    const int Size;       // N
    const int SliceCount; // inner slices per axis, N - 2
    const int FaceArea;   // N * N

    // Every sticker home with its face's colour, every counter 0.
    CubeState0& Clean();
    // Every sticker home without colour, every counter 0.
    CubeState0& Empty();
    // The model's own state, for reading and for painting; not a copy.
    CubeState0& GetState() { return State; }
    const CubeState0& GetState() const { return State; }
    // Replaces the state by a copy of the given one. A state of another size, or with face or counter
    // arrays of the wrong length, is refused: the model stays as it was and the result is false.
    bool SetState(const CubeState0& state);

    // The facelet text for a solver engine: for each letter of FaceOrder (six letters out of
    // "ufrbld"), the N^2 stickers of that face in grid order, each as the letter of its colour.
    // No text (nullopt) for a sticker without colour or a face order that is not six such letters:
    // the solving path reports that as an invalid cube.
    std::optional<std::string> CubeString(std::string_view FaceOrder = ColorLetters) const;

    // One clockwise quarter turn of face 0..5, seen from outside. Other values do nothing.
    void TurnFace(int face);
    // One quarter turn of inner slice k of axis 0..2 (V, M, H), in the direction of R, F and U
    // respectively. Values naming no slice do nothing.
    void TurnSlice(int axis, int slice);

    // Applies all quarter turns of one parsed move at once.
    void Perform(const TMove& move);
    // Applies a whole move text at once, without animation. A text with an invalid token is refused as
    // a whole (false) and nothing is turned.
    bool PerformMoves(std::string_view Text);

    // The move that carries the sticker at position From towards its ring neighbour To ("R", "V0i"),
    // or the empty text when no ring holds the two next to each other. Slice rings are tried first.
    std::string MoveFromStickerPair(int From, int To) const;

    // The sticker positions (ids, ascending) of the layer a move turns: a face's own and its ring, or a
    // slice's ring.
    std::vector<int> LayerStickers(const TMove& move) const;

    // Appends Count random tokens from the process-wide generator to Text, blank separated, and trims
    // blanks from both ends. On a 2x2x2 cube only face tokens come out.
    void RandomMoves(int Count, std::string& Text) const;

    // Cleans the cube and applies 513 random face or slice quarter turns at once: no history, no
    // animation. Draws from the process-wide generator.
    CubeState0& Scramble();

private:
    void Reset(std::uint8_t (*colorOf)(int face));
    void RotateFaceGrid(int face);
    void CycleRing(const TCycle& cycle, const TTwists& twists);
    std::int32_t& Counter(const TCubie& cubie) { return State.Rotations[cubie.HomeFace][cubie.HomeIndex]; }

    CubeState0 State;
};
