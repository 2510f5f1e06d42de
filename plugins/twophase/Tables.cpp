#include "plugins/twophase/Tables.h"

#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <thread>
#include <type_traits>
#include <unistd.h>

namespace twophase {
namespace {

// Rank of a permutation of 0..n-1 (Lehmer code), 0 for the identity.
int PermRank(const std::uint8_t* p, int n) {
    int rank = 0;
    for (int i = 0; i < n; ++i) {
        int smaller = 0;
        for (int j = i + 1; j < n; ++j) {
            smaller += p[j] < p[i];
        }
        rank = rank * (n - i) + smaller;
    }
    return rank;
}

// The permutation of 0..n-1 with the given rank.
void PermUnrank(int rank, std::uint8_t* p, int n) {
    int digit[CornerCount];
    for (int i = n - 1; i >= 0; --i) {
        digit[i] = rank % (n - i);
        rank /= n - i;
    }
    std::uint8_t free[CornerCount];
    for (int i = 0; i < n; ++i) {
        free[i] = static_cast<std::uint8_t>(i);
    }
    for (int i = 0, left = n; i < n; ++i, --left) {
        p[i] = free[digit[i]];
        std::copy(free + digit[i] + 1, free + left, free + digit[i]);
    }
}

// A cube whose U layer edges sit as UEdges value u gives, the other pieces at home.
TCubieCube UEdgesCube(int u) {
    int digit[4];
    for (int k = 3; k >= 0; --k) {
        digit[k] = u % (8 - k);
        u /= 8 - k;
    }
    TCubieCube c;
    bool used[8] = {};
    for (int k = 0; k < 4; ++k) {
        int place = 0;
        for (int skip = digit[k];; ++place) {
            if (!used[place] && skip-- == 0) {
                break;
            }
        }
        used[place] = true;
        c.Ep[place] = static_cast<std::uint8_t>(k);
    }
    for (int place = 0, piece = DR; place < 8; ++place) {
        if (!used[place]) {
            c.Ep[place] = static_cast<std::uint8_t>(piece++);
        }
    }
    return c;
}

constexpr int Choose(int n, int k) {
    if (k > n) {
        return 0;
    }
    int r = 1;
    for (int i = 0; i < k; ++i) {
        r = r * (n - i) / (i + 1);
    }
    return r;
}

// Combinatorial number of the places holding pieces from first on, counted from the last place
// downwards so that the solved cube has 0.
int PlacesRank(const std::uint8_t* pieceAt, int places, int first) {
    int rank = 0, found = 0;
    for (int j = places - 1; j >= 0; --j) {
        if (pieceAt[j] >= first) {
            ++found;
            rank += Choose(places - 1 - j, found);
        }
    }
    return rank;
}

using TEncode = int (*)(const TCubieCube&);

// Fills a move table over the given turns by walking every coordinate value from the solved cube, so
// no decoder is needed: quarter turns (or, for faces without one, the half turn) are applied to a
// representative cube, further turns of the same face are composed from the table itself.
// cubes, if given, receives a cube for every coordinate value.
std::vector<std::uint16_t> MoveTable(int count, const std::uint8_t* moves, int width, TEncode encode,
                                     std::vector<TCubieCube>* cubes = nullptr) {
    std::vector<std::uint16_t> table(static_cast<std::size_t>(count) * width);
    std::vector<TCubieCube> cube(count);
    std::vector<bool> seen(count);
    std::vector<int> queue{0};
    queue.reserve(count);
    seen[0] = true;
    std::vector<bool> derived(width);
    for (int k = 1; k < width; ++k) {
        derived[k] = moves[k] / 3 == moves[k - 1] / 3;
    }
    for (std::size_t head = 0; head < queue.size(); ++head) {
        const int c = queue[head];
        for (int k = 0; k < width; ++k) {
            if (derived[k]) {
                continue;
            }
            const TCubieCube next = Multiply(cube[c], MoveCube(moves[k]));
            const int n = encode(next);
            table[c * width + k] = static_cast<std::uint16_t>(n);
            if (!seen[n]) {
                seen[n] = true;
                cube[n] = next;
                queue.push_back(n);
            }
        }
    }
    for (int c = 0; c < count; ++c) {
        for (int k = 1, base = 0; k < width; ++k) {
            if (!derived[k]) {
                base = k;
                continue;
            }
            table[c * width + k] = table[table[c * width + k - 1] * width + base];
        }
    }
    if (cubes != nullptr) {
        *cubes = std::move(cube);
    }
    return table;
}

// Distances in the pair (a, b) by breadth-first layers: forward from the filled layer while it is
// small, then backward from the unfilled entries, which is cheaper once most are filled. next(a, b,
// k) is the entry after move k; (0, 0) is the solved cube. twins(a, b, mark) marks the other entries
// of the same cube, where a table over symmetry classes has more than one.
template <typename TNext, typename TTwins>
std::vector<std::uint8_t> DepthTable(int countA, int countB, int width, TNext next, TTwins twins) {
    const std::size_t total = static_cast<std::size_t>(countA) * countB;
    std::vector<std::uint8_t> depth(total, 0xFF);
    std::size_t filled = 0;
    const auto set = [&](std::size_t entry, std::uint8_t d) {
        depth[entry] = d;
        ++filled;
        twins(static_cast<int>(entry / countB), static_cast<int>(entry % countB), [&](std::size_t twin) {
            if (depth[twin] == 0xFF) {
                depth[twin] = d;
                ++filled;
            }
        });
    };
    set(0, 0);
    // Stops when a layer adds nothing, so that pairs no cube reaches cannot keep it going.
    for (std::uint8_t d = 0, added = 1; filled < total && added; ++d) {
        const std::size_t before = filled;
        const bool backward = filled > total / 3;
        for (int a = 0; a < countA; ++a) {
            const std::size_t row = static_cast<std::size_t>(a) * countB;
            for (int b = 0; b < countB; ++b) {
                if (depth[row + b] != (backward ? 0xFF : d)) {
                    continue;
                }
                for (int k = 0; k < width; ++k) {
                    const std::size_t other = next(a, b, k);
                    if (backward && depth[other] == d) {
                        set(row + b, static_cast<std::uint8_t>(d + 1));
                        break;
                    }
                    if (!backward && depth[other] == 0xFF) {
                        set(other, static_cast<std::uint8_t>(d + 1));
                    }
                }
            }
        }
        added = filled > before;
    }
    return depth;
}

template <typename TA, typename TB>
TPairDepth PairDepth(int countA, const std::vector<TA>& moveA, int countB, const std::vector<TB>& moveB,
                     int width) {
    return TPairDepth(countB, DepthTable(
                                  countA, countB, width,
                                  [&](int a, int b, int k) {
                                      return static_cast<std::size_t>(
                                                 moveA[static_cast<std::size_t>(a) * width + k]) *
                                                 countB +
                                             moveB[static_cast<std::size_t>(b) * width + k];
                                  },
                                  [](int, int, auto&&) {}));
}

// A coordinate up to symmetries: each value's class and the symmetry through which it is seen as the
// class's representative (the lowest value of the class), as class * symmetries + symmetry.
struct TClasses {
    std::vector<std::uint16_t> ClassSym;
    std::vector<int> Reps;
    // Per class: the symmetries its representative looks the same through, as bits.
    std::vector<std::uint8_t> SelfSymmetric;
};

// view(value, s) is the value seen through symmetry s.
template <typename TView>
TClasses Classes(int count, int symmetries, TView view, int (*inverse)(int) = InverseSymmetry) {
    TClasses c;
    c.ClassSym.assign(static_cast<std::size_t>(count), 0xFFFF);
    std::vector<int> seenAs(static_cast<std::size_t>(symmetries));
    for (int value = 0; value < count; ++value) {
        if (c.ClassSym[static_cast<std::size_t>(value)] != 0xFFFF) {
            continue;
        }
        const int cls = static_cast<int>(c.Reps.size());
        c.Reps.push_back(value);
        c.SelfSymmetric.push_back(0);
        for (int s = 0; s < symmetries; ++s) {
            seenAs[static_cast<std::size_t>(s)] = view(value, s);
        }
        for (int s = 0; s < symmetries; ++s) {
            const int v = seenAs[static_cast<std::size_t>(s)];
            if (v == value && s > 0) {
                c.SelfSymmetric.back() = static_cast<std::uint8_t>(c.SelfSymmetric.back() | 1u << s);
            }
            if (c.ClassSym[static_cast<std::size_t>(v)] == 0xFFFF) {
                // s undone takes v back to value, the representative.
                c.ClassSym[static_cast<std::size_t>(v)] =
                    static_cast<std::uint16_t>(cls * symmetries + inverse(s));
            }
        }
    }
    return c;
}

// [value * symmetries + s]: the value seen through s.
template <typename TView>
std::vector<std::uint16_t> Views(int count, int symmetries, TView view) {
    std::vector<std::uint16_t> table(static_cast<std::size_t>(count) * symmetries);
    for (int value = 0; value < count; ++value) {
        for (int s = 0; s < symmetries; ++s) {
            table[static_cast<std::size_t>(value) * symmetries + s] =
                static_cast<std::uint16_t>(view(value, s));
        }
    }
    return table;
}

// Distances over (class of the first coordinate, second coordinate seen through the class's
// symmetry). A representative that looks the same through some symmetries stands for one cube
// under several second values: those get the same distance.
template <typename TFirstMove, typename TSecondMove, typename TConj>
std::vector<std::uint8_t> ClassPairDepth(const TClasses& first, const std::vector<TFirstMove>& firstMove,
                                         int secondCount, const std::vector<TSecondMove>& secondMove,
                                         const std::vector<TConj>& secondConj, int symmetries, int width) {
    const int classes = static_cast<int>(first.Reps.size());
    return DepthTable(
        classes, secondCount, width,
        [&](int cls, int second, int k) {
            const int moved =
                firstMove[static_cast<std::size_t>(first.Reps[static_cast<std::size_t>(cls)]) * width + k];
            const auto entry = ClassEntry(first.ClassSym, secondConj, symmetries, moved,
                                          secondMove[static_cast<std::size_t>(second) * width + k]);
            return static_cast<std::size_t>(entry.first) * secondCount + entry.second;
        },
        [&](int cls, int second, auto&& mark) {
            for (int s = 1; s < symmetries; ++s) {
                if (first.SelfSymmetric[static_cast<std::size_t>(cls)] >> s & 1u) {
                    mark(static_cast<std::size_t>(cls) * secondCount +
                         secondConj[static_cast<std::size_t>(second) * symmetries + s]);
                }
            }
        });
}

// A cube whose first count pieces of p (corners, or the U and D layer edges) are arranged as rank says.
TCubieCube ArrangedCube(int rank, bool edges) {
    TCubieCube cube;
    PermUnrank(rank, edges ? cube.Ep.data() : cube.Cp.data(), 8);
    return cube;
}

// [class * Phase2MoveCount + k]: the class and symmetry of the class's representative after move k.
std::vector<std::uint16_t> ClassMoves(const TClasses& classes, const std::vector<std::uint16_t>& move) {
    std::vector<std::uint16_t> table;
    for (int rep : classes.Reps) {
        for (int k = 0; k < Phase2MoveCount; ++k) {
            table.push_back(classes.ClassSym[move[static_cast<std::size_t>(rep) * Phase2MoveCount +
                                                  static_cast<std::size_t>(k)]]);
        }
    }
    return table;
}

// [a * SymmetryCount + b]: the one symmetry that sees every arrangement as a and then b do, found
// on an arrangement that no symmetry other than the identity keeps.
std::vector<std::uint8_t> SymmetryProducts() {
    TCubieCube probe;
    for (int m : {6, 0, 5, 10, 16, 13, 3}) { // R U F2 Bi D2 Li F
        probe = Multiply(probe, MoveCube(m));
    }
    const auto same = [](const TCubieCube& a, const TCubieCube& b) { return a.Cp == b.Cp && a.Ep == b.Ep; };
    std::vector<std::uint8_t> product;
    for (int a = 0; a < SymmetryCount; ++a) {
        for (int b = 0; b < SymmetryCount; ++b) {
            const TCubieCube seen = ConjugatedArrangement(ConjugatedArrangement(probe, a), b);
            int found = -1;
            for (int c = 0; c < SymmetryCount; ++c) {
                if (same(ConjugatedArrangement(probe, c), seen)) {
                    found = found < 0 ? c : SymmetryCount;
                }
            }
            if (found < 0 || found == SymmetryCount) {
                throw std::logic_error("symmetry products");
            }
            product.push_back(static_cast<std::uint8_t>(found));
        }
    }
    return product;
}

// [value * SymmetryCount + s]: the value of cubes[value] seen through s, in a byte.
std::vector<std::uint8_t> ByteViews(const std::vector<TCubieCube>& cubes, TEncode encode) {
    const auto wide = Views(static_cast<int>(cubes.size()), SymmetryCount, [&](int v, int s) {
        return encode(ConjugatedArrangement(cubes[static_cast<std::size_t>(v)], s));
    });
    return {wide.begin(), wide.end()};
}

} // namespace

int Twist(const TCubieCube& c) {
    int t = 0;
    for (int i = 0; i < CornerCount - 1; ++i) {
        t = t * 3 + c.Co[i];
    }
    return t;
}

int Flip(const TCubieCube& c) {
    int f = 0;
    for (int i = 0; i < EdgeCount - 1; ++i) {
        f = f * 2 + c.Eo[i];
    }
    return f;
}

int Slice(const TCubieCube& c) {
    return PlacesRank(c.Ep.data(), EdgeCount, FR);
}

int CornerComb(const TCubieCube& c) {
    return PlacesRank(c.Cp.data(), CornerCount, DFR);
}

int SliceFlip(const TCubieCube& c) {
    int flips = 0;
    for (int i = 0; i < EdgeCount; ++i) {
        if (c.Ep[i] >= FR) {
            flips = flips * 2 + c.Eo[i];
        }
    }
    return Slice(c) * 16 + flips;
}

int UEdges(const TCubieCube& c) {
    int place[4] = {};
    for (int i = 0; i < 8; ++i) {
        if (c.Ep[i] < DR) {
            place[c.Ep[i]] = i;
        }
    }
    bool used[8] = {};
    int u = 0;
    for (int k = 0; k < 4; ++k) {
        int rank = 0;
        for (int j = 0; j < place[k]; ++j) {
            rank += !used[j];
        }
        used[place[k]] = true;
        u = u * (8 - k) + rank;
    }
    return u;
}

int CornerPerm(const TCubieCube& c) {
    return PermRank(c.Cp.data(), CornerCount);
}

int EdgePerm(const TCubieCube& c) {
    return PermRank(c.Ep.data(), 8);
}

int SliceOrder(const TCubieCube& c) {
    std::uint8_t p[4];
    for (int i = 0; i < 4; ++i) {
        p[i] = static_cast<std::uint8_t>(c.Ep[FR + i] - FR);
    }
    return PermRank(p, 4);
}

TPairDepth::TPairDepth(int secondCount, const std::vector<std::uint8_t>& depths)
    : SecondCount(static_cast<std::size_t>(secondCount)), Bits((depths.size() + 3) / 4) {
    for (std::size_t i = 0; i < depths.size(); ++i) {
        const int residue = depths[i] == 0xFF ? 3 : depths[i] % 3;
        Bits[i >> 2] = static_cast<std::uint8_t>(Bits[i >> 2] | residue << ((i & 3) * 2));
    }
}

TPairDepth TPairDepth::FromPacked(int secondCount, std::vector<std::uint8_t> bits) {
    TPairDepth table;
    table.SecondCount = static_cast<std::size_t>(secondCount);
    table.Bits = std::move(bits);
    return table;
}

TNibbleDepth::TNibbleDepth(int secondCount, const std::vector<std::uint8_t>& depths)
    : SecondCount(static_cast<std::size_t>(secondCount)), Bits((depths.size() + 1) / 2) {
    for (std::size_t i = 0; i < depths.size(); ++i) {
        const int depth = std::min<int>(depths[i], 15);
        Bits[i >> 1] = static_cast<std::uint8_t>(Bits[i >> 1] | depth << ((i & 1) * 4));
    }
}

TNibbleDepth TNibbleDepth::FromPacked(int secondCount, std::vector<std::uint8_t> bits) {
    TNibbleDepth table;
    table.SecondCount = static_cast<std::size_t>(secondCount);
    table.Bits = std::move(bits);
    return table;
}

namespace {

// Every table in file order, with the element count it must have and, for move tables, the bound
// its entries must stay under: a file that disagrees is not used, so a damaged one cannot lead the
// search out of its tables.
template <typename TSome, typename TVisit>
void EachTable(TSome& t, TVisit&& visit) {
    visit(t.TwistMove, TwistCount * MoveCount, TwistCount);
    visit(t.FlipMove, FlipCount * MoveCount, FlipCount);
    visit(t.SliceMove, SliceCount * MoveCount, SliceCount);
    visit(t.SliceOrderMove, SliceOrderCount * Phase2MoveCount, SliceOrderCount);
    visit(t.CornerCombMove, CornerCombCount * Phase2MoveCount, CornerCombCount);
    visit(t.CornerClassSym, CornerPermCount, CornerClassCount * SymmetryCount);
    visit(t.EdgeClassSym, EdgePermCount, EdgeClassCount * SymmetryCount);
    visit(t.CornerClassMove, CornerClassCount * Phase2MoveCount, CornerClassCount * SymmetryCount);
    visit(t.EdgeClassMove, EdgeClassCount * Phase2MoveCount, EdgeClassCount * SymmetryCount);
    visit(t.SymmetryProduct, SymmetryCount * SymmetryCount, SymmetryCount);
    visit(t.Phase2MoveConj, Phase2MoveCount * SymmetryCount, Phase2MoveCount);
    visit(t.SliceOrderConj, SliceOrderCount * SymmetryCount, SliceOrderCount);
    visit(t.CornerCombConj, CornerCombCount * SymmetryCount, CornerCombCount);
    visit(t.SliceFlipMove, SliceFlipCount * MoveCount, SliceFlipCount);
    visit(t.TwistClassSym, TwistCount, TwistClassCount * TurnSymmetryCount);
    visit(t.SliceFlipConj, SliceFlipCount * TurnSymmetryCount, SliceFlipCount);
    visit(t.FlipClassSym, FlipCount, FlipClassCount * HalfTurnCount);
    visit(t.TwistHalfClassSym, TwistCount, TwistHalfClassCount * HalfTurnCount);
    visit(t.FlipHalfConj, FlipCount * HalfTurnCount, FlipCount);
    visit(t.SliceHalfConj, SliceCount * HalfTurnCount, SliceCount);
    visit(t.UEdgesMove, UEdgesCount * Phase2MoveCount, UEdgesCount);
    visit(t.UEdgesConj, UEdgesCount * SymmetryCount, UEdgesCount);
    visit(t.TwistSliceFlipDown, TwistClassCount * SliceFlipCount, 1 << MoveCount);
    visit(t.DownUnturned, TurnSymmetryCount * 3 * 64, 1 << MoveCount);
}

// The distance tables in file order, after the move tables: pairs per byte 4 or 2.
template <typename TTable>
struct TDepthEntry {
    TTable TTables::*Table;
    int First, Second;
};
constexpr TDepthEntry<TNibbleDepth> Nibbles[] = {
    {&TTables::CornerOrderDepth, CornerClassCount, SliceOrderCount},
    {&TTables::EdgeOrderDepth, EdgeClassCount, SliceOrderCount},
    {&TTables::EdgeCombDepth, EdgeClassCount, CornerCombCount},
};
constexpr TDepthEntry<TPairDepth> Pairs[] = {
    {&TTables::TwistSliceFlipDepth, TwistClassCount, SliceFlipCount},
    {&TTables::FlipSliceDepth, FlipClassCount, SliceCount},
    {&TTables::TwistFlipDepth, TwistHalfClassCount, FlipCount},
    {&TTables::CornerUEdgesDepth, CornerClassCount, UEdgesCount},
};

template <typename TVisit>
void EachDepth(TVisit&& visit) {
    for (const auto& n : Nibbles) {
        visit(n, 2);
    }
    for (const auto& p : Pairs) {
        visit(p, 4);
    }
}

// Bumped whenever a table changes meaning or layout.
constexpr char Magic[8] = {'T', 'V', 'T', 'P', 'H', '0', '0', '9'};

std::uint64_t Checksum(const std::vector<char>& bytes, std::size_t size) {
    std::uint64_t h = 0x9E3779B97F4A7C15ull;
    std::size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        std::uint64_t w;
        std::memcpy(&w, bytes.data() + i, 8);
        h = (h ^ w) * 0x100000001B3ull;
        h ^= h >> 29;
    }
    for (; i < size; ++i) {
        h = (h ^ static_cast<std::uint8_t>(bytes[i])) * 0x100000001B3ull;
    }
    return h;
}

template <typename TEntry>
std::size_t PackedSize(const TEntry& p, int perByte) {
    return (static_cast<std::size_t>(p.First) * static_cast<std::size_t>(p.Second) + perByte - 1) /
           static_cast<std::size_t>(perByte);
}

} // namespace

std::size_t TTables::Bytes() const {
    std::size_t bytes = 0;
    EachTable(*this, [&](const auto& v, int, int) { bytes += v.size() * sizeof(v[0]); });
    EachDepth([&](const auto& p, int) { bytes += (this->*p.Table).Bytes(); });
    return bytes;
}

std::optional<TTables> LoadTables(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) {
        return std::nullopt;
    }
    const std::streamoff size = in.tellg();
    if (size <= 0) {
        return std::nullopt;
    }
    std::vector<char> bytes(static_cast<std::size_t>(size));
    in.seekg(0);
    if (!in.read(bytes.data(), size)) {
        return std::nullopt;
    }
    TTables t;
    std::size_t expected = sizeof Magic + 8;
    EachTable(t,
              [&](auto& v, int count, int) { expected += static_cast<std::size_t>(count) * sizeof(v[0]); });
    EachDepth([&](const auto& p, int perByte) { expected += PackedSize(p, perByte); });
    if (bytes.size() != expected || std::memcmp(bytes.data(), Magic, sizeof Magic) != 0) {
        return std::nullopt;
    }
    std::uint64_t stored;
    std::memcpy(&stored, bytes.data() + expected - 8, 8);
    if (Checksum(bytes, expected - 8) != stored) {
        return std::nullopt;
    }
    std::size_t at = sizeof Magic;
    bool inRange = true;
    EachTable(t, [&](auto& v, int count, int bound) {
        v.resize(static_cast<std::size_t>(count));
        std::memcpy(v.data(), bytes.data() + at, v.size() * sizeof(v[0]));
        at += v.size() * sizeof(v[0]);
        for (auto x : v) {
            inRange = inRange && static_cast<int>(x) < bound;
        }
    });
    if (!inRange) {
        return std::nullopt;
    }
    EachDepth([&](const auto& p, int perByte) {
        const auto* first = reinterpret_cast<const std::uint8_t*>(bytes.data() + at);
        const std::size_t length = PackedSize(p, perByte);
        t.*p.Table = std::remove_reference_t<decltype(t.*p.Table)>::FromPacked(
            p.Second, std::vector<std::uint8_t>(first, first + length));
        at += length;
    });
    return t;
}

bool SaveTables(const TTables& tables, const std::string& path) {
    std::vector<char> bytes(Magic, Magic + sizeof Magic);
    const auto append = [&](const void* data, std::size_t size) {
        const char* p = static_cast<const char*>(data);
        bytes.insert(bytes.end(), p, p + size);
    };
    EachTable(tables, [&](const auto& v, int, int) { append(v.data(), v.size() * sizeof(v[0])); });
    bool sized = true;
    EachDepth([&](const auto& p, int perByte) {
        const std::vector<std::uint8_t>& packed = (tables.*p.Table).Packed();
        sized = sized && packed.size() == PackedSize(p, perByte);
        append(packed.data(), packed.size());
    });
    if (!sized) {
        return false;
    }
    const std::uint64_t sum = Checksum(bytes, bytes.size());
    append(&sum, sizeof sum);

    std::error_code error;
    const std::filesystem::path target(path);
    std::filesystem::create_directories(target.parent_path(), error);
    std::filesystem::path temporary = target;
    // Unique per process and thread, so that concurrent writers never share a temporary file.
    temporary += "." + std::to_string(::getpid()) + "-" +
                 std::to_string(std::hash<std::thread::id>{}(std::this_thread::get_id())) + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out.flush()) {
            out.close();
            std::filesystem::remove(temporary, error);
            return false;
        }
    }
    std::filesystem::rename(temporary, target, error);
    if (error) {
        std::filesystem::remove(temporary, error);
        return false;
    }
    return true;
}

std::string TableCachePath() {
    std::filesystem::path base;
    if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache != nullptr && *cache == '/') {
        base = cache;
    } else if (const char* home = std::getenv("HOME"); home != nullptr && *home == '/') {
        base = std::filesystem::path(home) / ".cache";
    } else {
        return {};
    }
    return (base / "torvane" / "twophase.tables").string();
}

std::string ShippedTablePath() {
    static const char marker = 0; // lives in this module, so the lookup names its file
    Dl_info info{};
    if (dladdr(&marker, &info) == 0 || info.dli_fname == nullptr || *info.dli_fname != '/') {
        return {};
    }
    return (std::filesystem::path(info.dli_fname).parent_path() / "twophase.tables").string();
}

const TTables& Tables() {
    static const TTables tables = [] {
        const std::string path = TableCachePath();
        for (const std::string& file : {ShippedTablePath(), path}) {
            if (!file.empty()) {
                if (std::optional<TTables> read = LoadTables(file)) {
                    return std::move(*read);
                }
            }
        }
        TTables built = BuildTables();
        if (!path.empty()) {
            SaveTables(built, path); // without a cache the next run builds them again
        }
        return built;
    }();
    return tables;
}

TTables BuildTables() {
    TTables t;
    std::array<std::uint8_t, MoveCount> all{};
    for (int m = 0; m < MoveCount; ++m) {
        all[m] = static_cast<std::uint8_t>(m);
    }
    std::vector<TCubieCube> twistCubes, sliceFlipCubes, flipCubes, sliceCubes;
    t.TwistMove = MoveTable(TwistCount, all.data(), MoveCount, Twist, &twistCubes);
    t.SliceFlipMove = MoveTable(SliceFlipCount, all.data(), MoveCount, SliceFlip, &sliceFlipCubes);
    t.FlipMove = MoveTable(FlipCount, all.data(), MoveCount, Flip, &flipCubes);
    t.SliceMove = MoveTable(SliceCount, all.data(), MoveCount, Slice, &sliceCubes);

    // Flips and twists up to the half turns, which keep every twist and flip reference sticker on a
    // reference face, so that a flip seen turned depends on the flip alone.
    const auto halfTurned = [](const std::vector<TCubieCube>& cubes, TEncode encode) {
        return [&cubes, encode](int value, int h) {
            return encode(TurnedBySymmetry(cubes[static_cast<std::size_t>(value)], h * 2));
        };
    };
    const auto itself = [](int h) { return h; }; // every half turn undoes itself
    const TClasses flips = Classes(FlipCount, HalfTurnCount, halfTurned(flipCubes, Flip), itself);
    const TClasses halfTwists = Classes(TwistCount, HalfTurnCount, halfTurned(twistCubes, Twist), itself);
    if (flips.Reps.size() != static_cast<std::size_t>(FlipClassCount) ||
        halfTwists.Reps.size() != static_cast<std::size_t>(TwistHalfClassCount)) {
        throw std::logic_error("flip and twist classes");
    }
    t.FlipClassSym = flips.ClassSym;
    t.TwistHalfClassSym = halfTwists.ClassSym;
    t.FlipHalfConj = Views(FlipCount, HalfTurnCount, halfTurned(flipCubes, Flip));
    t.SliceHalfConj = Views(SliceCount, HalfTurnCount, halfTurned(sliceCubes, Slice));
    t.FlipSliceDepth = TPairDepth(SliceCount, ClassPairDepth(flips, t.FlipMove, SliceCount, t.SliceMove,
                                                             t.SliceHalfConj, HalfTurnCount, MoveCount));
    t.TwistFlipDepth = TPairDepth(FlipCount, ClassPairDepth(halfTwists, t.TwistMove, FlipCount, t.FlipMove,
                                                            t.FlipHalfConj, HalfTurnCount, MoveCount));

    const auto cornerMove = MoveTable(CornerPermCount, Phase2Moves.data(), Phase2MoveCount, CornerPerm);
    const auto edgeMove = MoveTable(EdgePermCount, Phase2Moves.data(), Phase2MoveCount, EdgePerm);
    std::vector<TCubieCube> orderCubes, combCubes;
    const auto order =
        MoveTable(SliceOrderCount, Phase2Moves.data(), Phase2MoveCount, SliceOrder, &orderCubes);
    t.SliceOrderMove.assign(order.begin(), order.end());
    const auto comb = MoveTable(CornerCombCount, Phase2Moves.data(), Phase2MoveCount, CornerComb, &combCubes);
    t.CornerCombMove.assign(comb.begin(), comb.end());
    t.SliceOrderConj = ByteViews(orderCubes, SliceOrder);
    t.CornerCombConj = ByteViews(combCubes, CornerComb);

    // Corner and U and D edge arrangements up to the symmetries that keep U on top.
    const TClasses corners = Classes(CornerPermCount, SymmetryCount, [](int cp, int s) {
        return CornerPerm(ConjugatedArrangement(ArrangedCube(cp, false), s));
    });
    const TClasses edges = Classes(EdgePermCount, SymmetryCount, [](int ep, int s) {
        return EdgePerm(ConjugatedArrangement(ArrangedCube(ep, true), s));
    });
    if (corners.Reps.size() != static_cast<std::size_t>(CornerClassCount) ||
        edges.Reps.size() != static_cast<std::size_t>(EdgeClassCount)) {
        throw std::logic_error("arrangement classes");
    }
    t.CornerClassSym = corners.ClassSym;
    t.EdgeClassSym = edges.ClassSym;
    t.CornerClassMove = ClassMoves(corners, cornerMove);
    t.EdgeClassMove = ClassMoves(edges, edgeMove);
    t.SymmetryProduct = SymmetryProducts();
    for (int k = 0; k < Phase2MoveCount; ++k) {
        for (int s = 0; s < SymmetryCount; ++s) {
            const auto at = std::find(Phase2Moves.begin(), Phase2Moves.end(),
                                      ConjugatedMove(Phase2Moves[static_cast<std::size_t>(k)], s));
            if (at == Phase2Moves.end()) {
                throw std::logic_error("phase 2 moves seen through a symmetry");
            }
            t.Phase2MoveConj.push_back(static_cast<std::uint8_t>(at - Phase2Moves.begin()));
        }
    }
    t.CornerOrderDepth =
        TNibbleDepth(SliceOrderCount, ClassPairDepth(corners, cornerMove, SliceOrderCount, t.SliceOrderMove,
                                                     t.SliceOrderConj, SymmetryCount, Phase2MoveCount));
    t.EdgeOrderDepth =
        TNibbleDepth(SliceOrderCount, ClassPairDepth(edges, edgeMove, SliceOrderCount, t.SliceOrderMove,
                                                     t.SliceOrderConj, SymmetryCount, Phase2MoveCount));
    t.EdgeCombDepth =
        TNibbleDepth(CornerCombCount, ClassPairDepth(edges, edgeMove, CornerCombCount, t.CornerCombMove,
                                                     t.CornerCombConj, SymmetryCount, Phase2MoveCount));
    t.UEdgesMove = MoveTable(UEdgesCount, Phase2Moves.data(), Phase2MoveCount, UEdges);
    t.UEdgesConj = Views(UEdgesCount, SymmetryCount,
                         [](int u, int s) { return UEdges(ConjugatedArrangement(UEdgesCube(u), s)); });
    t.CornerUEdgesDepth =
        TPairDepth(UEdgesCount, ClassPairDepth(corners, cornerMove, UEdgesCount, t.UEdgesMove, t.UEdgesConj,
                                               SymmetryCount, Phase2MoveCount));

    // Twists up to the turns that keep the U-D axis, by the places and flips of the middle-layer edges.
    const TClasses twists = Classes(TwistCount, TurnSymmetryCount, [&](int tw, int s) {
        return Twist(TurnedBySymmetry(twistCubes[static_cast<std::size_t>(tw)], s));
    });
    if (twists.Reps.size() != static_cast<std::size_t>(TwistClassCount)) {
        throw std::logic_error("twist classes");
    }
    t.TwistClassSym = twists.ClassSym;
    t.SliceFlipConj = Views(SliceFlipCount, TurnSymmetryCount, [&](int sf, int s) {
        return SliceFlip(TurnedBySymmetry(sliceFlipCubes[static_cast<std::size_t>(sf)], s));
    });
    const std::vector<std::uint8_t> twistSliceFlip = ClassPairDepth(
        twists, t.TwistMove, SliceFlipCount, t.SliceFlipMove, t.SliceFlipConj, TurnSymmetryCount, MoveCount);
    t.TwistSliceFlipDepth = TPairDepth(SliceFlipCount, twistSliceFlip);
    // By class and move first, so that every entry a move leads to lies in one row.
    t.TwistSliceFlipDown.assign(twistSliceFlip.size(), 0);
    for (int cls = 0; cls < TwistClassCount; ++cls) {
        const int rep = twists.Reps[static_cast<std::size_t>(cls)];
        const std::size_t row = static_cast<std::size_t>(cls) * SliceFlipCount;
        for (int m = 0; m < MoveCount; ++m) {
            const int cs = t.TwistClassSym[t.TwistMove[static_cast<std::size_t>(rep) * MoveCount +
                                                       static_cast<std::size_t>(m)]];
            const std::size_t to = static_cast<std::size_t>(cs / TurnSymmetryCount) * SliceFlipCount;
            for (int sf = 0; sf < SliceFlipCount; ++sf) {
                const int moved =
                    t.SliceFlipMove[static_cast<std::size_t>(sf) * MoveCount + static_cast<std::size_t>(m)];
                const std::uint8_t after =
                    twistSliceFlip[to + t.SliceFlipConj[static_cast<std::size_t>(moved) * TurnSymmetryCount +
                                                        static_cast<std::size_t>(cs % TurnSymmetryCount)]];
                if (twistSliceFlip[row + static_cast<std::size_t>(sf)] != 0xFF &&
                    after + 1 == twistSliceFlip[row + static_cast<std::size_t>(sf)]) {
                    t.TwistSliceFlipDown[row + static_cast<std::size_t>(sf)] |= 1u << m;
                }
            }
        }
    }
    // The move of the cube that each move of the cube seen through a turn stands for, found on a cube
    // that no turn keeps.
    TCubieCube probe;
    for (int m : {6, 0, 5, 10, 16, 13, 3}) {
        probe = Multiply(probe, MoveCube(m));
    }
    const auto same = [](const TCubieCube& a, const TCubieCube& b) {
        return a.Cp == b.Cp && a.Co == b.Co && a.Ep == b.Ep && a.Eo == b.Eo;
    };
    t.DownUnturned.assign(static_cast<std::size_t>(TurnSymmetryCount) * 3 * 64, 0);
    for (int turn = 0; turn < TurnSymmetryCount; ++turn) {
        const TCubieCube seen = TurnedBySymmetry(probe, turn);
        for (int m = 0; m < MoveCount; ++m) {
            const TCubieCube moved = TurnedBySymmetry(Multiply(probe, MoveCube(m)), turn);
            int found = -1;
            for (int k = 0; k < MoveCount; ++k) {
                if (same(Multiply(seen, MoveCube(k)), moved)) {
                    found = found < 0 ? k : MoveCount;
                }
            }
            if (found < 0 || found == MoveCount) {
                throw std::logic_error("moves seen through a turn");
            }
            // Every part value with the bit of the seen move found gets the bit of m.
            std::uint32_t* parts = &t.DownUnturned[static_cast<std::size_t>(turn * 3 + found / 6) * 64];
            for (int bits = 0; bits < 64; ++bits) {
                if (bits >> (found % 6) & 1) {
                    parts[bits] |= 1u << m;
                }
            }
        }
    }
    return t;
}

} // namespace twophase
