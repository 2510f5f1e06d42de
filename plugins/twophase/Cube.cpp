#include "plugins/twophase/Cube.h"

#include "plugins/twophase/Geometry.h"

namespace twophase {
namespace {

constexpr std::string_view Letters = "ufrbld";
enum : int { U, F, R, B, L, D };

// Sticker ids (face * 9 + grid index) of every place, corners in clockwise order seen from outside
// with the U or D sticker first, edges with the reference sticker first.
constexpr std::uint8_t CornerStickers[CornerCount][3] = {
    {8, 18, 11}, {6, 9, 38}, {0, 36, 29}, {2, 27, 20}, {47, 17, 24}, {45, 44, 15}, {51, 35, 42}, {53, 26, 33},
};
constexpr std::uint8_t EdgeStickers[EdgeCount][2] = {
    {5, 19},  {7, 10},  {3, 37},  {1, 28},  {50, 25}, {46, 16},
    {48, 43}, {52, 34}, {14, 21}, {12, 41}, {32, 39}, {30, 23},
};

int StickerAt(TVec cubie, TVec normal) {
    const int f = FaceWithNormal(normal);
    return f * 9 + (Dot(cubie, Frames[f].Down) + 1) * 3 + Dot(cubie, Frames[f].Right) + 1;
}

// The facelet text after turning the stickers of the cubies select picks by turn (a rotation of
// space); the others stay. Text that is not 54 letters comes back as it is.
template <typename TSelect, typename TTurn>
std::string MovedStickers(std::string_view facelets, TSelect select, TTurn turn) {
    std::string out(facelets);
    if (facelets.size() != 54) {
        return out;
    }
    for (int f = 0; f < 6; ++f) {
        const TFrame& fr = Frames[f];
        for (int i = 0; i < 9; ++i) {
            const TVec cubie = Add(fr.Normal, fr.Right, i % 3 - 1, fr.Down, i / 3 - 1);
            if (select(cubie)) {
                out[static_cast<std::size_t>(StickerAt(turn(cubie), turn(fr.Normal)))] =
                    facelets[static_cast<std::size_t>(f * 9 + i)];
            }
        }
    }
    return out;
}

const auto Every = [](TVec) { return true; };

// k clockwise quarter turns about the U-D axis, seen from U.
TVec QuarterTurnsAboutU(TVec v, int k) {
    for (int q = 0; q < k; ++q) {
        v = QuarterTurn(Frames[U].Normal, v);
    }
    return v;
}

// The third of a turn about the URF corner: R to U, U to F, F to R.
TVec TurnWhole(TVec v) {
    return {v.z, v.x, v.y};
}
TVec TurnWholeBack(TVec v) {
    return {v.y, v.z, v.x};
}

// Where symmetry s takes a point: the mirror first, then the quarter turns.
TVec ApplySymmetry(int s, TVec v) {
    if (s >= 4) {
        v.x = -v.x;
    }
    return QuarterTurnsAboutU(v, s % 4);
}

// Where turn symmetry s takes a point: the half turn about the R-L axis first, then the quarter turns.
TVec ApplyTurnSymmetry(int s, TVec v) {
    if (s >= 4) {
        v = {v.x, -v.y, -v.z};
    }
    return QuarterTurnsAboutU(v, s % 4);
}

// Places as the sum of their stickers' face normals, and the places each symmetry takes them to.
struct TPlaceMaps {
    std::array<std::array<std::uint8_t, CornerCount>, SymmetryCount> Corner{};
    std::array<std::array<std::uint8_t, EdgeCount>, SymmetryCount> Edge{};
};

const TPlaceMaps& PlaceMaps() {
    static const TPlaceMaps maps = [] {
        TPlaceMaps m;
        const auto centre = [](const std::uint8_t* stickers, int n) {
            TVec v{0, 0, 0};
            for (int i = 0; i < n; ++i) {
                const TVec normal = Frames[stickers[i] / 9].Normal;
                v = {v.x + normal.x, v.y + normal.y, v.z + normal.z};
            }
            return v;
        };
        for (int s = 0; s < SymmetryCount; ++s) {
            for (int i = 0; i < CornerCount; ++i) {
                const TVec to = ApplySymmetry(s, centre(CornerStickers[i], 3));
                for (int j = 0; j < CornerCount; ++j) {
                    if (centre(CornerStickers[j], 3) == to) {
                        m.Corner[s][i] = static_cast<std::uint8_t>(j);
                    }
                }
            }
            for (int i = 0; i < EdgeCount; ++i) {
                const TVec to = ApplySymmetry(s, centre(EdgeStickers[i], 2));
                for (int j = 0; j < EdgeCount; ++j) {
                    if (centre(EdgeStickers[j], 2) == to) {
                        m.Edge[s][i] = static_cast<std::uint8_t>(j);
                    }
                }
            }
        }
        return m;
    }();
    return maps;
}

template <std::size_t N>
bool OddPermutation(const std::array<std::uint8_t, N>& p) {
    bool odd = false;
    for (std::size_t i = 0; i < N; ++i) {
        for (std::size_t j = i + 1; j < N; ++j) {
            odd ^= p[i] > p[j];
        }
    }
    return odd;
}

} // namespace

TCubieCube Multiply(const TCubieCube& a, const TCubieCube& b) {
    TCubieCube r;
    for (int i = 0; i < CornerCount; ++i) {
        r.Cp[i] = a.Cp[b.Cp[i]];
        r.Co[i] = static_cast<std::uint8_t>((a.Co[b.Cp[i]] + b.Co[i]) % 3);
    }
    for (int i = 0; i < EdgeCount; ++i) {
        r.Ep[i] = a.Ep[b.Ep[i]];
        r.Eo[i] = a.Eo[b.Ep[i]] ^ b.Eo[i];
    }
    return r;
}

std::string TurnFacelets(std::string_view facelets, int move) {
    std::string out(facelets);
    const TVec n = Frames[move / 3].Normal;
    for (int q = 0; q <= move % 3; ++q) {
        out = MovedStickers(
            out, [n](TVec cubie) { return Dot(cubie, n) == 1; }, [n](TVec v) { return QuarterTurn(n, v); });
    }
    return out;
}

std::string TurnedWhole(std::string_view facelets) {
    return MovedStickers(facelets, Every, TurnWhole);
}

int FaceBeforeTurnedWhole(int face) {
    return FaceWithNormal(TurnWholeBack(Frames[face].Normal));
}

TCubieCube TurnedBySymmetry(const TCubieCube& c, int s) {
    return ReadFacelets(
               MovedStickers(WriteFacelets(c), Every, [s](TVec v) { return ApplyTurnSymmetry(s, v); }))
        .Cube;
}

TCubieCube ConjugatedArrangement(const TCubieCube& c, int s) {
    const auto& corner = PlaceMaps().Corner[static_cast<std::size_t>(s)];
    const auto& edge = PlaceMaps().Edge[static_cast<std::size_t>(s)];
    TCubieCube r;
    for (int i = 0; i < CornerCount; ++i) {
        r.Cp[corner[i]] = corner[c.Cp[i]];
    }
    for (int i = 0; i < EdgeCount; ++i) {
        r.Ep[edge[i]] = edge[c.Ep[i]];
    }
    return r;
}

int ConjugatedMove(int move, int s) {
    const int face = FaceWithNormal(ApplySymmetry(s, Frames[move / 3].Normal));
    const int quarter = move % 3;
    // A mirror turns clockwise into anticlockwise.
    return face * 3 + (s >= 4 ? 2 - quarter : quarter);
}

TCubieCube Inverse(const TCubieCube& c) {
    TCubieCube r;
    for (int i = 0; i < CornerCount; ++i) {
        r.Cp[c.Cp[i]] = static_cast<std::uint8_t>(i);
        r.Co[c.Cp[i]] = static_cast<std::uint8_t>((3 - c.Co[i]) % 3);
    }
    for (int i = 0; i < EdgeCount; ++i) {
        r.Ep[c.Ep[i]] = static_cast<std::uint8_t>(i);
        r.Eo[c.Ep[i]] = c.Eo[i];
    }
    return r;
}

const TCubieCube& MoveCube(int move) {
    static const std::array<TCubieCube, MoveCount> moves = [] {
        std::array<TCubieCube, MoveCount> all;
        const std::string solved = WriteFacelets(TCubieCube{});
        for (int face = 0; face < 6; ++face) {
            all[face * 3] = ReadFacelets(TurnFacelets(solved, face * 3)).Cube;
            all[face * 3 + 1] = Multiply(all[face * 3], all[face * 3]);
            all[face * 3 + 2] = Multiply(all[face * 3 + 1], all[face * 3]);
        }
        return all;
    }();
    return moves[move];
}

std::string MoveName(int move) {
    static constexpr std::string_view suffix[3] = {"", "2", "i"};
    return std::string(1, FaceNames[move / 3]) + std::string(suffix[move % 3]);
}

TReadResult ReadFacelets(std::string_view text) {
    TReadResult result;
    result.Fault = TFault::Letters;
    if (text.size() != 54) {
        return result;
    }
    std::array<int, 54> face{};
    std::array<int, 6> count{};
    for (int i = 0; i < 54; ++i) {
        const auto colour = Letters.find(text[i]);
        if (colour == std::string_view::npos) {
            return result;
        }
        face[i] = static_cast<int>(colour);
        ++count[colour];
    }
    result.Fault = TFault::Counts;
    for (int c : count) {
        if (c != 9) {
            return result;
        }
    }
    // Colours become faces through the centres.
    std::array<int, 6> faceOf{-1, -1, -1, -1, -1, -1};
    result.Fault = TFault::Centres;
    for (int f = 0; f < 6; ++f) {
        int& slot = faceOf[face[f * 9 + 4]];
        if (slot >= 0) {
            return result;
        }
        slot = f;
    }
    for (int& f : face) {
        f = faceOf[f];
    }

    result.Fault = TFault::Pieces;
    TCubieCube& cube = result.Cube;
    std::array<bool, EdgeCount> seen{};
    for (int place = 0; place < CornerCount; ++place) {
        const auto* s = CornerStickers[place];
        int twist = 0;
        while (twist < 3 && face[s[twist]] != U && face[s[twist]] != D) {
            ++twist;
        }
        if (twist == 3) {
            return result;
        }
        // All three colours must match a piece: the two side colours alone also fit the corner's
        // mirror image across the middle layer (a D-F-R corner reads as U-R-F).
        const int ud = face[s[twist]], a = face[s[(twist + 1) % 3]], b = face[s[(twist + 2) % 3]];
        int piece = 0;
        while (piece < CornerCount &&
               !(CornerStickers[piece][0] / 9 == ud && CornerStickers[piece][1] / 9 == a &&
                 CornerStickers[piece][2] / 9 == b)) {
            ++piece;
        }
        if (piece == CornerCount || seen[piece]) {
            return result;
        }
        seen[piece] = true;
        cube.Cp[place] = static_cast<std::uint8_t>(piece);
        cube.Co[place] = static_cast<std::uint8_t>(twist);
    }
    seen = {};
    for (int place = 0; place < EdgeCount; ++place) {
        const int a = face[EdgeStickers[place][0]], b = face[EdgeStickers[place][1]];
        int piece = 0, flip = 0;
        for (; piece < EdgeCount; ++piece) {
            const int h0 = EdgeStickers[piece][0] / 9, h1 = EdgeStickers[piece][1] / 9;
            if (h0 == a && h1 == b) {
                break;
            }
            if (h0 == b && h1 == a) {
                flip = 1;
                break;
            }
        }
        if (piece == EdgeCount || seen[piece]) {
            return result;
        }
        seen[piece] = true;
        cube.Ep[place] = static_cast<std::uint8_t>(piece);
        cube.Eo[place] = static_cast<std::uint8_t>(flip);
    }

    int flips = 0, twists = 0;
    for (int e : cube.Eo) {
        flips += e;
    }
    for (int c : cube.Co) {
        twists += c;
    }
    if (flips % 2 != 0) {
        result.Fault = TFault::FlippedEdge;
    } else if (twists % 3 != 0) {
        result.Fault = TFault::TwistedCorner;
    } else if (OddPermutation(cube.Cp) != OddPermutation(cube.Ep)) {
        result.Fault = TFault::Parity;
    } else {
        result.Fault = TFault::None;
    }
    return result;
}

std::string WriteFacelets(const TCubieCube& cube) {
    std::string out(54, ' ');
    for (int f = 0; f < 6; ++f) {
        out[f * 9 + 4] = Letters[f];
    }
    for (int i = 0; i < CornerCount; ++i) {
        for (int n = 0; n < 3; ++n) {
            out[CornerStickers[i][(n + cube.Co[i]) % 3]] = Letters[CornerStickers[cube.Cp[i]][n] / 9];
        }
    }
    for (int i = 0; i < EdgeCount; ++i) {
        for (int n = 0; n < 2; ++n) {
            out[EdgeStickers[i][(n + cube.Eo[i]) % 2]] = Letters[EdgeStickers[cube.Ep[i]][n] / 9];
        }
    }
    return out;
}

} // namespace twophase
