#include "model/Cubi.h"

#include "model/Notation.h"
#include "model/Random.h"

#include <algorithm>

namespace {

constexpr int ScrambleTurns = 513;
constexpr int MaxSize = 3;
constexpr int MaxFaceArea = MaxSize * MaxSize;

bool SameShape(const CubeState0& state, int faceArea) {
    for (int f = 0; f < FaceCount; ++f) {
        if (static_cast<int>(state.Cubies[f].size()) != faceArea ||
            static_cast<int>(state.Rotations[f].size()) != faceArea) {
            return false;
        }
    }
    return true;
}

} // namespace

TRubikCube::TRubikCube(std::uint8_t sizeIndex)
    : SizeIndex(sizeIndex == 0 ? 0 : 1), Size(SizeIndex + 2), SliceCount(Size - 2), FaceArea(Size * Size) {
    for (int f = 0; f < FaceCount; ++f) {
        State.Cubies[f].resize(FaceArea);
        State.Rotations[f].resize(FaceArea);
    }
    Empty();
}

void TRubikCube::Reset(std::uint8_t (*colorOf)(int face)) {
    for (int f = 0; f < FaceCount; ++f) {
        for (int i = 0; i < FaceArea; ++i) {
            State.Cubies[f][i] = TCubie{colorOf(f), static_cast<std::uint8_t>(f), i};
            State.Rotations[f][i] = 0;
        }
    }
}

CubeState0& TRubikCube::Clean() {
    Reset([](int face) { return static_cast<std::uint8_t>(face); });
    return State;
}

CubeState0& TRubikCube::Empty() {
    Reset([](int) { return NoColor; });
    return State;
}

bool TRubikCube::SetState(const CubeState0& state) {
    if (!SameShape(state, FaceArea)) {
        return false;
    }
    // Counters are addressed through each record's identity, so an identity outside the cube would
    // index out of range later; such a state is refused as well.
    for (const auto& face : state.Cubies) {
        for (const TCubie& c : face) {
            if (c.HomeFace >= FaceCount || c.HomeIndex < 0 || c.HomeIndex >= FaceArea || c.Color > NoColor) {
                return false;
            }
        }
    }
    State = state;
    return true;
}

std::optional<std::string> TRubikCube::CubeString(std::string_view FaceOrder) const {
    if (FaceOrder.size() != FaceCount) {
        return std::nullopt;
    }
    std::string text;
    text.reserve(FaceCount * FaceArea);
    for (char letter : FaceOrder) {
        const auto face = ColorLetters.find(letter);
        if (face == std::string_view::npos) {
            return std::nullopt;
        }
        for (const TCubie& c : State.Cubies[face]) {
            if (c.Color >= NoColor) {
                return std::nullopt;
            }
            text += ColorLetters[c.Color];
        }
    }
    return text;
}

void TRubikCube::RotateFaceGrid(int face) {
    const int N = Size;
    std::array<TCubie, MaxFaceArea> old;
    std::copy(State.Cubies[face].begin(), State.Cubies[face].end(), old.begin());
    for (int i = 0; i < FaceArea; ++i) {
        ++Counter(old[i]);
    }
    for (int r = 0; r < N; ++r) {
        for (int c = 0; c < N; ++c) {
            State.Cubies[face][r * N + c] = old[(N - 1 - c) * N + r];
        }
    }
}

void TRubikCube::CycleRing(const TCycle& cycle, const TTwists& twists) {
    const int N = Size;
    const int length = 4 * N;
    std::array<TCubie*, 4 * MaxSize> ring;
    for (int s = 0; s < 4; ++s) {
        const TStrip& strip = cycle[s];
        for (int j = 0; j < N; ++j) {
            TCubie& c = State.Cubies[strip.Face][strip.Start + j * strip.Step];
            Counter(c) += twists[s];
            ring[s * N + j] = &c;
        }
    }
    // Every record goes N places on: the record at ring position p lands at p + N.
    std::array<TCubie, 4 * MaxSize> moved;
    for (int p = 0; p < length; ++p) {
        moved[(p + N) % length] = *ring[p];
    }
    for (int p = 0; p < length; ++p) {
        *ring[p] = moved[p];
    }
}

void TRubikCube::TurnFace(int face) {
    if (face < 0 || face >= FaceCount) {
        return;
    }
    RotateFaceGrid(face);
    CycleRing(TurnTables(SizeIndex).FaceCycles[face], FaceTwists[face]);
}

void TRubikCube::TurnSlice(int axis, int slice) {
    if (axis < 0 || axis >= 3 || slice < 0 || slice >= SliceCount) {
        return;
    }
    CycleRing(TurnTables(SizeIndex).SliceCycles[axis * SliceCount + slice], SliceTwists[axis]);
}

void TRubikCube::Perform(const TMove& move) {
    for (int t = 0; t < move.Turns; ++t) {
        if (move.IsFace) {
            TurnFace(move.Index);
        } else {
            TurnSlice(move.Index, move.Slice);
        }
    }
}

bool TRubikCube::PerformMoves(std::string_view Text) {
    const auto moves = ParseMoves(Text, SliceCount, false);
    if (!moves) {
        return false;
    }
    for (const TMove& move : *moves) {
        Perform(move);
    }
    return true;
}

std::string TRubikCube::MoveFromStickerPair(int From, int To) const {
    const auto match = [From, To](const std::vector<int>& ring, const std::string& token) -> std::string {
        for (std::size_t j = 0; j + 1 < ring.size(); ++j) {
            if (ring[j] == From && ring[j + 1] == To) {
                return token;
            }
            if (ring[j] == To && ring[j + 1] == From) {
                return InverseMove(token);
            }
        }
        return {};
    };
    const TTurnTables& tables = TurnTables(SizeIndex);
    for (int k = 0; k < SliceCount; ++k) {
        for (int axis = 0; axis < 3; ++axis) {
            const std::string token = std::string(1, AxisLetters[axis]) + std::to_string(k);
            if (std::string move = match(tables.SliceRings[axis * SliceCount + k], token); !move.empty()) {
                return move;
            }
        }
    }
    for (int face = 0; face < FaceCount; ++face) {
        if (std::string move = match(tables.FaceRings[face], std::string(1, FaceLetters[face]));
            !move.empty()) {
            return move;
        }
    }
    return {};
}

void TRubikCube::RandomMoves(int Count, std::string& Text) const {
    for (int n = 0; n < Count; ++n) {
        std::string token;
        if (Random(2) == 0 || SliceCount == 0) {
            token = FaceLetters[Random(6)];
        } else {
            const int slice = Random(SliceCount);
            token = std::string(1, AxisLetters[Random(3)]) + std::to_string(slice);
        }
        if (Random(2) == 0) {
            token = InverseMove(token);
        } else if (Random(2) == 0) {
            token += '2';
        }
        Text += token;
        Text += ' ';
    }
    Text = std::string(TrimBlanks(Text));
}

CubeState0& TRubikCube::Scramble() {
    Clean();
    for (int n = 0; n < ScrambleTurns; ++n) {
        if (Random(2) == 0) {
            TurnFace(Random(6));
        } else if (SliceCount > 0) {
            const int slice = Random(SliceCount);
            TurnSlice(Random(3), slice);
        }
    }
    return State;
}

std::vector<int> TRubikCube::LayerStickers(const TMove& move) const {
    const TTurnTables& tables = TurnTables(SizeIndex);
    std::vector<int> ids;
    if (move.IsFace) {
        if (move.Index >= FaceCount) {
            return ids;
        }
        for (int i = 0; i < FaceArea; ++i) {
            ids.push_back(move.Index * FaceArea + i);
        }
        ids.insert(ids.end(), tables.FaceRings[move.Index].begin(), tables.FaceRings[move.Index].end());
    } else {
        const int entry = move.Index * SliceCount + move.Slice;
        if (move.Index >= 3 || move.Slice < 0 || move.Slice >= SliceCount) {
            return ids;
        }
        ids = tables.SliceRings[static_cast<std::size_t>(entry)];
    }
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end()); // the ring repeats its first id
    return ids;
}
