#include "model/CubeCheck.h"

#include <algorithm>
#include <array>
#include <map>

namespace {

struct TVec {
    int x, y, z;
};

int Dot(TVec a, TVec b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

// Outward normal, column direction and row direction of each face, from the face-grid layout.
struct TFrame {
    TVec Normal, Right, Down;
};
constexpr std::array<TFrame, FaceCount> Frames = {{
    {{0, 1, 0}, {1, 0, 0}, {0, 0, 1}},    // U: row 0 at the back, column 0 at L
    {{0, 0, 1}, {1, 0, 0}, {0, -1, 0}},   // F
    {{1, 0, 0}, {0, 0, -1}, {0, -1, 0}},  // R: column 0 at F
    {{0, 0, -1}, {-1, 0, 0}, {0, -1, 0}}, // B: column 0 at R
    {{-1, 0, 0}, {0, 0, 1}, {0, -1, 0}},  // L: column 0 at B
    {{0, -1, 0}, {1, 0, 0}, {0, 0, -1}},  // D: row 0 at the front
}};

// The sticker id of face f on the cubie at p (coordinates -1..1, only -1 and 1 on a 2x2x2 cube).
int StickerOf(int N, int f, TVec p) {
    const TFrame& frame = Frames[f];
    const auto line = [N](int d) { return (d + 1) * (N - 1) / 2; };
    return f * N * N + line(Dot(p, frame.Down)) * N + line(Dot(p, frame.Right));
}

struct TPiece {
    std::vector<int> Faces;    // the faces it lies on, corners in right-handed cyclic order
    std::vector<int> Stickers; // the sticker on each of them
};

// Every edge and corner position, its faces listed with U or D first (F or B for middle-layer
// edges): that sticker decides the piece's orientation. A 2x2x2 cube has corners only.
struct TPieces {
    std::vector<TPiece> Edges, Corners;
};

TPieces MakePieces(int N) {
    TPieces all;
    const int step = N == 2 ? 2 : 1;
    for (int x = -1; x <= 1; x += step) {
        for (int y = -1; y <= 1; y += step) {
            for (int z = -1; z <= 1; z += step) {
                const TVec p{x, y, z};
                std::vector<int> faces;
                for (int f : {0, 5, 1, 3, 2, 4}) { // U D F B R L: the deciding face first
                    if (Dot(p, Frames[f].Normal) == 1) {
                        faces.push_back(f);
                    }
                }
                if (faces.size() == 3) {
                    // Right-handed: normal(0) x normal(1) points along normal(2).
                    const TVec a = Frames[faces[0]].Normal, b = Frames[faces[1]].Normal;
                    const TVec cross{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
                    if (Dot(cross, Frames[faces[2]].Normal) < 0) {
                        std::swap(faces[1], faces[2]);
                    }
                }
                if (faces.size() < 2) {
                    continue;
                }
                TPiece piece{faces, {}};
                for (int f : faces) {
                    piece.Stickers.push_back(StickerOf(N, f, p));
                }
                (faces.size() == 2 ? all.Edges : all.Corners).push_back(piece);
            }
        }
    }
    return all;
}

const TPieces& Pieces(int N) {
    static const std::array<TPieces, 2> pieces = {MakePieces(2), MakePieces(3)};
    return pieces[N - 2];
}

// Even (false) or odd (true) permutation.
bool OddPermutation(std::vector<int> order) {
    bool odd = false;
    for (std::size_t i = 0; i < order.size(); ++i) {
        while (order[i] != static_cast<int>(i)) {
            std::swap(order[i], order[static_cast<std::size_t>(order[i])]);
            odd = !odd;
        }
    }
    return odd;
}

TCubeCheck Fault(TCubeFault fault, std::string reason, std::vector<int> stickers) {
    std::sort(stickers.begin(), stickers.end());
    stickers.erase(std::unique(stickers.begin(), stickers.end()), stickers.end());
    return {fault, std::move(reason), std::move(stickers)};
}

} // namespace

TCubeCheck CheckCube(const TRubikCube& Cube) {
    const int N = Cube.Size, area = Cube.FaceArea, total = FaceCount * area;
    const CubiesState& cubies = Cube.GetState().Cubies;
    const auto colourOf = [&](int id) { return cubies[id / area][id % area].Color; };

    std::vector<int> stickers;
    for (int id = 0; id < total; ++id) {
        if (colourOf(id) >= NoColor) {
            stickers.push_back(id);
        }
    }
    if (!stickers.empty()) {
        return Fault(TCubeFault::Uncoloured, "Some stickers have no colour yet.", stickers);
    }

    // Which face each colour belongs to: by the centres, or on a 2x2x2 cube, which has none, by the
    // colour codes (colour c is face c's on a clean cube).
    std::array<int, FaceCount> faceOfColour = {0, 1, 2, 3, 4, 5};
    if (N == 3) {
        faceOfColour.fill(-1);
        for (int f = 0; f < FaceCount; ++f) {
            int& face = faceOfColour[colourOf(f * 9 + 4)];
            if (face >= 0) {
                return Fault(TCubeFault::Centres, "Two centres have the same colour.",
                             {face * 9 + 4, f * 9 + 4});
            }
            face = f;
        }
    }

    std::array<int, FaceCount> count{};
    for (int id = 0; id < total; ++id) {
        ++count[colourOf(id)];
    }
    for (int id = 0; id < total; ++id) {
        if (count[colourOf(id)] > area) {
            stickers.push_back(id);
        }
    }
    if (!stickers.empty()) {
        return Fault(TCubeFault::ColourCount,
                     N == 3 ? "A colour is on more than nine stickers."
                            : "A colour is on more than four stickers.",
                     stickers);
    }

    const TPieces& pieces = Pieces(N);
    // Each piece as the faces its colours belong to, rotated so that the deciding face comes first.
    const auto facesOf = [&](const TPiece& piece) {
        std::vector<int> faces;
        for (int id : piece.Stickers) {
            faces.push_back(faceOfColour[colourOf(id)]);
        }
        return faces;
    };
    // The home position whose faces are Faces turned by some Twist, or -1.
    const auto homeIndex = [](const std::vector<TPiece>& homes, const std::vector<int>& faces, int& twist) {
        std::vector<int> turned = faces;
        for (std::size_t t = 0; t < faces.size(); ++t) {
            for (std::size_t h = 0; h < homes.size(); ++h) {
                if (homes[h].Faces == turned) {
                    twist = static_cast<int>(t);
                    return static_cast<int>(h);
                }
            }
            std::rotate(turned.begin(), turned.begin() + 1, turned.end());
        }
        return -1;
    };

    // Where each piece belongs and how it is turned there; the stickers of pieces that belong nowhere
    // (opposite colours, a mirrored corner) or that are there twice.
    const auto place = [&](const std::vector<TPiece>& homes, std::vector<int>& order,
                           std::vector<int>& turns) {
        std::vector<int> faulty;
        std::map<int, std::vector<int>> byHome;
        for (const TPiece& piece : homes) {
            int turn = 0;
            const int home = homeIndex(homes, facesOf(piece), turn);
            std::vector<int>& into = home < 0 ? faulty : byHome[home];
            into.insert(into.end(), piece.Stickers.begin(), piece.Stickers.end());
            order.push_back(home);
            turns.push_back(turn);
        }
        for (const auto& [home, found] : byHome) {
            if (found.size() > homes[static_cast<std::size_t>(home)].Stickers.size()) {
                faulty.insert(faulty.end(), found.begin(), found.end());
            }
        }
        return faulty;
    };
    std::vector<int> edgeOrder, edgeFlip;
    stickers = place(pieces.Edges, edgeOrder, edgeFlip);
    if (!stickers.empty()) {
        return Fault(TCubeFault::Edges, "An edge piece has colours that no edge has, or is there twice.",
                     stickers);
    }
    std::vector<int> cornerOrder, cornerTwist;
    stickers = place(pieces.Corners, cornerOrder, cornerTwist);
    if (!stickers.empty()) {
        return Fault(TCubeFault::Corners, "A corner piece has colours that no corner has, or is there twice.",
                     stickers);
    }

    int flips = 0;
    for (std::size_t e = 0; e < pieces.Edges.size(); ++e) {
        if (edgeFlip[e]) {
            ++flips;
            stickers.insert(stickers.end(), pieces.Edges[e].Stickers.begin(), pieces.Edges[e].Stickers.end());
        }
    }
    if (flips % 2 != 0) {
        return Fault(TCubeFault::FlippedEdge, "An edge piece is flipped.", stickers);
    }
    stickers.clear();

    int twists = 0;
    for (std::size_t c = 0; c < pieces.Corners.size(); ++c) {
        if (cornerTwist[c]) {
            twists += cornerTwist[c];
            stickers.insert(stickers.end(), pieces.Corners[c].Stickers.begin(),
                            pieces.Corners[c].Stickers.end());
        }
    }
    if (twists % 3 != 0) {
        return Fault(TCubeFault::TwistedCorner, "A corner piece is twisted.", stickers);
    }

    // Without edges any corner arrangement can be reached.
    if (N == 3 && OddPermutation(edgeOrder) != OddPermutation(cornerOrder)) {
        return Fault(TCubeFault::Parity, "Two pieces are swapped.", {});
    }
    return {};
}

bool FacesAreUniform(const TRubikCube& Cube) {
    for (const std::vector<TCubie>& face : Cube.GetState().Cubies) {
        for (const TCubie& sticker : face) {
            if (sticker.Color == NoColor || sticker.Color != face.front().Color) {
                return false;
            }
        }
    }
    return true;
}
