#include "plugins/twophase/Mini.h"

#include "plugins/twophase/Geometry.h"

#include <array>

namespace twophase {
namespace {

constexpr std::string_view Letters = "ufrbld";
enum : int { U, F, R, B, L, D };

// Sticker ids (face * 4 + grid index) of every corner place, as on the 3x3x3: clockwise seen from
// outside, the U or D sticker first.
constexpr std::uint8_t CornerStickers[CornerCount][3] = {
    {3, 8, 5}, {2, 4, 17}, {0, 16, 13}, {1, 12, 9}, {21, 7, 10}, {20, 19, 6}, {22, 15, 18}, {23, 11, 14},
};

using TColours = std::array<std::uint8_t, MiniFaceletCount>;

// The seven places and pieces other than D-B-L, which stays home.
constexpr std::uint8_t Free[7] = {URF, UFL, ULB, UBR, DFR, DLF, DRB};
constexpr int PermCount = 5040; // 7!
constexpr int TwistCount = 729; // 3^6: the seventh twist follows from the others
constexpr int StateCount = PermCount * TwistCount;
// The turns that keep D-B-L home, as numbered in Cube.h.
constexpr int Turns[9] = {U * 3,     U * 3 + 1, U * 3 + 2, R * 3,    R * 3 + 1,
                          R * 3 + 2, F * 3,     F * 3 + 1, F * 3 + 2};
constexpr std::uint8_t Unreached = 0xff;

// Where a sticker is in space: its cubie and its face's normal.
struct TSticker {
    TVec Cubie, Normal;
};
TSticker Place(int id) {
    const TFrame& fr = Frames[id / 4];
    const int i = id % 4;
    return {Add(fr.Normal, fr.Right, 2 * (i % 2) - 1, fr.Down, 2 * (i / 2) - 1), fr.Normal};
}
int StickerAt(TVec cubie, TVec normal) {
    const int f = FaceWithNormal(normal);
    return f * 4 + (Dot(cubie, Frames[f].Down) + 1) / 2 * 2 + (Dot(cubie, Frames[f].Right) + 1) / 2;
}

// A turn of the whole cube, as the images of the x, y and z axes.
struct TRotation {
    TVec X, Y, Z;
    TVec operator()(TVec v) const {
        return {v.x * X.x + v.y * Y.x + v.z * Z.x, v.x * X.y + v.y * Y.y + v.z * Z.y,
                v.x * X.z + v.y * Y.z + v.z * Z.z};
    }
    bool operator==(const TRotation&) const = default;
};

// All 24, made from quarter turns about R and U.
const std::array<TRotation, 24>& WholeTurns() {
    static const std::array<TRotation, 24> all = [] {
        std::array<TRotation, 24> found{};
        found[0] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
        int count = 1;
        for (int k = 0; k < count; ++k) {
            for (int axis : {R, U}) {
                const TVec n = Frames[axis].Normal;
                const TRotation& r = found[static_cast<std::size_t>(k)];
                const TRotation next{QuarterTurn(n, r.X), QuarterTurn(n, r.Y), QuarterTurn(n, r.Z)};
                bool known = false;
                for (int j = 0; j < count; ++j) {
                    known = known || found[static_cast<std::size_t>(j)] == next;
                }
                if (!known) {
                    found[static_cast<std::size_t>(count++)] = next;
                }
            }
        }
        return found;
    }();
    return all;
}

// The colours after turning the whole cube by r.
TColours Turned(const TColours& colours, const TRotation& r) {
    TColours out{};
    for (int id = 0; id < MiniFaceletCount; ++id) {
        const TSticker s = Place(id);
        out[static_cast<std::size_t>(StickerAt(r(s.Cubie), r(s.Normal)))] =
            colours[static_cast<std::size_t>(id)];
    }
    return out;
}

// The colours renamed as r moves the faces: with Turned, a clean cube stays clean.
TColours Renamed(const TColours& colours, const TRotation& r) {
    TColours out{};
    for (std::size_t i = 0; i < out.size(); ++i) {
        out[i] = static_cast<std::uint8_t>(FaceWithNormal(r(Frames[colours[i]].Normal)));
    }
    return out;
}

// The corners as on the 3x3x3 (Cube.cpp reads them the same way); edges stay at home.
TFault ReadCorners(const TColours& colour, TCubieCube& cube) {
    std::array<bool, CornerCount> seen{};
    int twists = 0;
    for (int place = 0; place < CornerCount; ++place) {
        const auto* s = CornerStickers[place];
        int twist = 0;
        while (twist < 3 && colour[s[twist]] != U && colour[s[twist]] != D) {
            ++twist;
        }
        if (twist == 3) {
            return TFault::Pieces;
        }
        // All three colours in clockwise order: the side colours alone also fit a mirrored piece.
        const int ud = colour[s[twist]], a = colour[s[(twist + 1) % 3]], b = colour[s[(twist + 2) % 3]];
        int piece = 0;
        while (piece < CornerCount &&
               !(CornerStickers[piece][0] / 4 == ud && CornerStickers[piece][1] / 4 == a &&
                 CornerStickers[piece][2] / 4 == b)) {
            ++piece;
        }
        if (piece == CornerCount || seen[piece]) {
            return TFault::Pieces;
        }
        seen[piece] = true;
        cube.Cp[place] = static_cast<std::uint8_t>(piece);
        cube.Co[place] = static_cast<std::uint8_t>(twist);
        twists += twist;
    }
    return twists % 3 == 0 ? TFault::None : TFault::TwistedCorner;
}

// Coordinates of a cube with D-B-L home: the arrangement of the other seven as a rank among the 7!,
// and their first six twists in base 3.
int FreeIndex(int piece) {
    return piece < DBL ? piece : piece - 1;
}
int PermIndex(const TCubieCube& c) {
    int index = 0;
    for (int i = 0; i < 7; ++i) {
        int smaller = 0;
        for (int j = i + 1; j < 7; ++j) {
            smaller += FreeIndex(c.Cp[Free[j]]) < FreeIndex(c.Cp[Free[i]]);
        }
        index = index * (7 - i) + smaller;
    }
    return index;
}
void SetPerm(TCubieCube& c, int index) {
    std::array<int, 7> digits{};
    for (int i = 6; i >= 0; --i) {
        digits[static_cast<std::size_t>(i)] = index % (7 - i);
        index /= 7 - i;
    }
    std::array<bool, 7> used{};
    for (int i = 0; i < 7; ++i) {
        int k = digits[static_cast<std::size_t>(i)];
        int v = 0;
        while (used[static_cast<std::size_t>(v)] || k-- > 0) {
            ++v;
        }
        used[static_cast<std::size_t>(v)] = true;
        c.Cp[Free[i]] = Free[v];
    }
}
int TwistIndex(const TCubieCube& c) {
    int index = 0;
    for (int i = 0; i < 6; ++i) {
        index = index * 3 + c.Co[Free[i]];
    }
    return index;
}
void SetTwist(TCubieCube& c, int index) {
    int sum = 0;
    for (int i = 5; i >= 0; --i) {
        c.Co[Free[i]] = static_cast<std::uint8_t>(index % 3);
        sum += index % 3;
        index /= 3;
    }
    c.Co[Free[6]] = static_cast<std::uint8_t>((3 - sum % 3) % 3);
}

struct TMiniTables {
    std::vector<std::uint16_t> PermMove;  // [perm * 9 + turn]
    std::vector<std::uint16_t> TwistMove; // [twist * 9 + turn]
    std::vector<std::uint8_t> Distance;   // [perm * TwistCount + twist]

    int Next(int state, int turn) const {
        return PermMove[static_cast<std::size_t>(state / TwistCount * 9 + turn)] * TwistCount +
               TwistMove[static_cast<std::size_t>(state % TwistCount * 9 + turn)];
    }
};

TMiniTables Build() {
    TMiniTables t;
    t.PermMove.resize(PermCount * 9);
    t.TwistMove.resize(TwistCount * 9);
    for (int turn = 0; turn < 9; ++turn) {
        const TCubieCube& move = MoveCube(Turns[turn]);
        for (int p = 0; p < PermCount; ++p) {
            TCubieCube c;
            SetPerm(c, p);
            t.PermMove[static_cast<std::size_t>(p * 9 + turn)] =
                static_cast<std::uint16_t>(PermIndex(Multiply(c, move)));
        }
        for (int w = 0; w < TwistCount; ++w) {
            TCubieCube c;
            SetTwist(c, w);
            t.TwistMove[static_cast<std::size_t>(w * 9 + turn)] =
                static_cast<std::uint16_t>(TwistIndex(Multiply(c, move)));
        }
    }
    // Breadth first from solved, one distance at a time. Once the states at distance d outnumber
    // those not reached yet, each of the latter looks for a neighbour at d instead (the turns include
    // their inverses), which is far less work for the last few distances.
    t.Distance.assign(StateCount, Unreached);
    t.Distance[0] = 0;
    std::uint32_t atDistance = 1, unreached = StateCount - 1;
    for (int d = 0; atDistance > 0; ++d) {
        const bool backwards = atDistance > unreached;
        const std::uint8_t from = backwards ? Unreached : static_cast<std::uint8_t>(d);
        const std::uint8_t to = backwards ? static_cast<std::uint8_t>(d) : Unreached;
        atDistance = 0;
        for (int s = 0; s < StateCount; ++s) {
            if (t.Distance[static_cast<std::size_t>(s)] != from) {
                continue;
            }
            for (int turn = 0; turn < 9; ++turn) {
                const int n = t.Next(s, turn);
                if (t.Distance[static_cast<std::size_t>(n)] == to) {
                    t.Distance[static_cast<std::size_t>(backwards ? s : n)] =
                        static_cast<std::uint8_t>(d + 1);
                    ++atDistance;
                    if (backwards) {
                        break;
                    }
                }
            }
        }
        unreached -= atDistance;
    }
    return t;
}

const TMiniTables& Tables() {
    static const TMiniTables tables = Build();
    return tables;
}

} // namespace

TSolveResult SolveMini(std::string_view facelets) {
    TSolveResult result;
    result.Fault = TFault::Letters;
    TColours colours{};
    if (facelets.size() != MiniFaceletCount) {
        return result;
    }
    std::array<int, 6> count{};
    for (int i = 0; i < MiniFaceletCount; ++i) {
        const auto colour = Letters.find(facelets[static_cast<std::size_t>(i)]);
        if (colour == std::string_view::npos) {
            return result;
        }
        colours[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(colour);
        ++count[colour];
    }
    result.Fault = TFault::Counts;
    for (int c : count) {
        if (c != 4) {
            return result;
        }
    }
    TCubieCube cube;
    result.Fault = ReadCorners(colours, cube);
    if (result.Fault != TFault::None) {
        return result;
    }

    // Holding any one corner still costs no moves. Holding one that is home already, where there is
    // one, leaves every face showing its own letter at the end (for a cube one turn from clean: that
    // turn undone), so those come first: turned whole, with the colours renamed alike, such a corner
    // reads as D-B-L at home. Otherwise the turn that brings the D-B-L piece home with d down.
    const TRotation* turn = nullptr;
    for (const bool renamed : {true, false}) {
        for (const TRotation& r : WholeTurns()) {
            const TColours turned = renamed ? Renamed(Turned(colours, r), r) : Turned(colours, r);
            if (ReadCorners(turned, cube) == TFault::None && cube.Cp[DBL] == DBL && cube.Co[DBL] == 0) {
                turn = &r;
                break;
            }
        }
        if (turn != nullptr) {
            break;
        }
    }
    if (turn == nullptr) {
        result.Fault = TFault::Pieces; // cannot happen for a cube that reads; refused, not guessed
        return result;
    }
    // A turn of face f of the turned cube is a turn of the face it came from.
    std::array<int, 6> faceBefore{};
    for (int f = 0; f < 6; ++f) {
        faceBefore[static_cast<std::size_t>(FaceWithNormal((*turn)(Frames[f].Normal)))] = f;
    }

    const TMiniTables& tables = Tables();
    int state = PermIndex(cube) * TwistCount + TwistIndex(cube);
    for (int d = tables.Distance[static_cast<std::size_t>(state)]; d > 0; --d) {
        int t = 0;
        while (t < 9 && tables.Distance[static_cast<std::size_t>(tables.Next(state, t))] != d - 1) {
            ++t;
        }
        if (t == 9) {
            result.Moves.clear(); // a broken table: no answer rather than a wrong one
            return result;
        }
        state = tables.Next(state, t);
        result.Moves.push_back(faceBefore[static_cast<std::size_t>(Turns[t] / 3)] * 3 + Turns[t] % 3);
    }
    result.Found = true;
    return result;
}

std::vector<std::uint32_t> MiniDistanceCounts() {
    std::vector<std::uint32_t> counts;
    for (std::uint8_t d : Tables().Distance) {
        if (d >= counts.size()) {
            counts.resize(d + 1u);
        }
        ++counts[d];
    }
    return counts;
}

std::size_t PrepareMiniTable() {
    const TMiniTables& t = Tables();
    return t.Distance.size() + (t.PermMove.size() + t.TwistMove.size()) * sizeof(std::uint16_t);
}

} // namespace twophase
