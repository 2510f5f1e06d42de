#include "plugins/twophase/Search.h"

#include "plugins/twophase/Tables.h"

#include <algorithm>
#include <array>
#include <bit>

namespace twophase {
namespace {

using TClock = std::chrono::steady_clock;

constexpr int Opposite[6] = {5, 3, 4, 1, 2, 0};
constexpr int MaxDepth = 32;
// A slice flip is the slice * this + the middle-layer edges' flips.
constexpr int SliceFlipPerSlice = SliceFlipCount / SliceCount;

// A face turn after last that another order or a merged turn would give as well: the same face
// twice, or opposite faces (which commute) other than in face order.
constexpr bool Redundant(int face, int last) {
    return face == last || (face == Opposite[last] && face < last);
}

constexpr unsigned Phase2MoveBits = [] {
    unsigned bits = 0;
    for (int m : Phase2Moves) {
        bits |= 1u << m;
    }
    return bits;
}();

// [last face + 1]: the moves worth trying after a turn of that face (none before the first move),
// as bits of move numbers and, for phase 2, of indices into Phase2Moves.
constexpr auto Phase1After = [] {
    std::array<unsigned, 7> allowed{};
    for (int last = -1; last < 6; ++last) {
        for (int m = 0; m < MoveCount; ++m) {
            if (last < 0 || !Redundant(m / 3, last)) {
                allowed[static_cast<std::size_t>(last + 1)] |= 1u << m;
            }
        }
    }
    return allowed;
}();
constexpr auto Phase2After = [] {
    std::array<unsigned, 7> allowed{};
    for (int last = -1; last < 6; ++last) {
        for (int k = 0; k < Phase2MoveCount; ++k) {
            if (last < 0 || !Redundant(Phase2Moves[static_cast<std::size_t>(k)] / 3, last)) {
                allowed[static_cast<std::size_t>(last + 1)] |= 1u << k;
            }
        }
    }
    return allowed;
}();

// Phase 1 coordinates and their distances in twist class by slice flip, flip-slice and twist-flip.
// Left uninitialised by default: the search fills one per move tried.
struct TPhase1 {
    int Twist, Flip, Slice, SliceFlip;
    std::array<int, 3> Depth;
    // The place in the twist class by slice flip tables, and the turn through which they see it.
    std::size_t Entry;
    int Turn;
};

// One way of looking at the cube: held turned whole about its URF corner none, one or two times, and
// either as it is or undone (whose answer, reversed and inverted, answers the cube). Each gives other
// ways into phase 2, so searching all six finds short answers sooner.
//
// Each view is also searched for answers that end in one or two quarter turns of F, R, B or L (in
// the view): for those, phase 1 starts from the cube with those turns done first, as a cube that the
// path and then the turns solve is solved by the turns and then the path. Such answers leave phase
// 2 with their last moves, so no plain search finds them, and they add ways into phase 2 at every
// length. Endings that differ by a phase 2 move done before them share their phase 1 search: the
// first turn either way, and the second either way when it commutes with the first. At a way into
// phase 2 each of them starts from the cube with that move done first.
struct TDirection {
    int View = 0;         // which of the six
    int EndingLength = 0; // 0, 1 or 2
    // The endings tried at each way into phase 2, each with the half turns (or -1) of the cube that
    // phase 2 starts from, done first; the first ending is the one phase 1 starts from.
    struct TEnding {
        std::array<int, 2> Moves{};
        std::array<int, 2> Before{-1, -1};
    };
    std::array<TEnding, 4> Endings{};
    int EndingCount = 1;
    // The cube phase 1 starts from and its coordinates and distances, worked out on first use: the
    // first distance, then, once that leaves room, the others.
    TCubieCube Start;
    TPhase1 Root{};
    int Rooted = 0;
};

// The cube seen one of six ways.
struct TView {
    TCubieCube Cube;
    std::array<int, 6> Face{}; // the real face of each face turned in this view
    bool Inverted = false;
};

// Two-move endings cost their starting distances, so they are searched only once the room left for
// phase 2 in an answer short enough to stop at is this or less, where ways into phase 2 grow scarce.
constexpr int TightRoom = 10;

// A path that leaves the phase 2 group and comes back into it, with no turn that Redundant rules
// out, takes at least this many moves (found by trying every shorter one): a node already in phase 2
// with fewer moves to go leads to no way into phase 2 that ends in a quarter turn, so it is skipped.
constexpr int ShortestReturn = 5;

// The endings phase 1 starts from, in moves of the view, the first turn clockwise: each quarter turn
// of F, R, B and L alone, then two on different faces, the second either way unless opposite.
constexpr auto Endings = [] {
    std::array<std::array<int, 3>, 4 + 2 + 8 * 2> endings{}; // length, then the moves
    std::size_t i = 0;
    for (int face = 1; face <= 4; ++face) {
        endings[i++] = {1, face * 3, 0};
    }
    for (int first = 1; first <= 4; ++first) {
        for (int second = 1; second <= 4; ++second) {
            const bool opposite = Opposite[first] == second;
            if (first == second || (opposite && second < first)) {
                continue;
            }
            for (int b = 0; b < (opposite ? 1 : 2); ++b) {
                endings[i++] = {2, first * 3, second * 3 + b * 2};
            }
        }
    }
    return endings;
}();

class TSearch {
public:
    TSearch(const TCubieCube& cube, const TSolveLimits& limits)
        : T(Tables()), Limits(limits), Deadline(TClock::now() + limits.Budget), Best(limits.MaxLength + 1) {
        std::string text = WriteFacelets(cube);
        std::array<int, 6> face{0, 1, 2, 3, 4, 5};
        for (int turned = 0; turned < 3; ++turned) {
            const TCubieCube seen = turned == 0 ? cube : ReadFacelets(text).Cube;
            for (int inverted = 0; inverted < 2; ++inverted) {
                const int view = turned * 2 + inverted;
                Views[static_cast<std::size_t>(view)] = {inverted ? Inverse(seen) : seen, face,
                                                         inverted != 0};
                TDirection d;
                d.View = view;
                Directions.push_back(d);
                for (const auto& ending : Endings) {
                    TDirection e = d;
                    e.EndingLength = ending[0];
                    // The half turn of the first face, done first, turns the first quarter turn the
                    // other way; that of the second face too, when it commutes with the first.
                    const int first = ending[1], second = ending[2];
                    e.Endings[0].Moves = {first, second};
                    e.Endings[1] = {{first + 2, second}, {first + 1, -1}};
                    e.EndingCount = 2;
                    if (ending[0] == 2 && Opposite[first / 3] == second / 3) {
                        e.Endings[2] = {{first, second + 2}, {second + 1, -1}};
                        e.Endings[3] = {{first + 2, second + 2}, {first + 1, second + 1}};
                        e.EndingCount = 4;
                    }
                    Directions.push_back(e);
                }
            }
            text = TurnedWhole(text);
            for (int& f : face) {
                f = FaceBeforeTurnedWhole(f);
            }
        }
        // At each length, the directions with more ways into phase 2 per phase 1 path first.
        std::stable_sort(Directions.begin(), Directions.end(), [](const TDirection& a, const TDirection& b) {
            return a.EndingCount > b.EndingCount;
        });
    }

    TSolveResult Run() {
        // By answer length: the phase 1 part of an answer with a set ending is that much shorter.
        for (int length = 0; length < std::min(Best, MaxDepth) && !Stop; ++length) {
            for (TDirection& d : Directions) {
                const int depth = length - d.EndingLength;
                if (Stop || depth < 0 || (d.EndingLength == 2 && Limits.GoodEnough - length > TightRoom)) {
                    continue;
                }
                if (!Rooted(d, depth)) {
                    continue;
                }
                Current = &d;
                Cubes[0] = d.Start;
                Fresh = 0;
                Phase1(d.Root, 0, depth);
            }
        }
        TSolveResult result;
        result.Found = Best <= Limits.MaxLength;
        result.Moves = BestMoves;
        result.Shortest = !Stop || Best == 0;
        result.Cancelled = Cancelled;
        result.Work = Work;
        return result;
    }

private:
    // Whether direction d can reach phase 2 in depth moves, as far as its distances tell; works
    // them out as far as needed.
    bool Rooted(TDirection& d, int depth) const {
        TPhase1& r = d.Root;
        if (d.Rooted == 0) {
            const TView& view = Views[static_cast<std::size_t>(d.View)];
            d.Start = view.Cube;
            if (d.EndingLength > 0) {
                TCubieCube before = MoveCube(d.Endings[0].Moves[0]);
                if (d.EndingLength == 2) {
                    before = Multiply(before, MoveCube(d.Endings[0].Moves[1]));
                }
                d.Start = Multiply(before, view.Cube);
            }
            r = {Twist(d.Start), Flip(d.Start), Slice(d.Start), SliceFlip(d.Start), {}, 0, 0};
            Place(r);
            r.Depth[0] =
                T.TwistSliceFlipDepth.Distance(r.Twist, r.SliceFlip, T.TwistMove, T.SliceFlipMove, MoveCount,
                                               [this](int tw, int sf) { return TwistEntry(tw, sf); });
            d.Rooted = 1;
        }
        if (r.Depth[0] > depth) {
            return false;
        }
        if (d.Rooted == 1) {
            r.Depth[1] = T.FlipSliceDepth.Distance(r.Flip, r.Slice, T.FlipMove, T.SliceMove, MoveCount,
                                                   [this](int f, int s) { return FlipSliceEntry(f, s); });
            r.Depth[2] = T.TwistFlipDepth.Distance(r.Twist, r.Flip, T.TwistMove, T.FlipMove, MoveCount,
                                                   [this](int tw, int f) { return TwistFlipEntry(tw, f); });
            d.Rooted = 2;
        }
        return std::max(r.Depth[1], r.Depth[2]) <= depth;
    }

    // Sets q's place in the twist class by slice flip tables from its twist and slice flip.
    void Place(TPhase1& q) const {
        const int cs = T.TwistClassSym[static_cast<std::size_t>(q.Twist)];
        q.Turn = cs % TurnSymmetryCount;
        q.Entry = T.TwistSliceFlipDepth.Index(
            cs / TurnSymmetryCount,
            T.SliceFlipConj[static_cast<std::size_t>(q.SliceFlip * TurnSymmetryCount + q.Turn)]);
    }

    // The twist class by slice flip entry of a twist and slice flip.
    std::pair<int, int> TwistEntry(int twist, int sliceFlip) const {
        return twophase::ClassEntry(T.TwistClassSym, T.SliceFlipConj, TurnSymmetryCount, twist, sliceFlip);
    }
    std::pair<int, int> FlipSliceEntry(int flip, int slice) const {
        return twophase::ClassEntry(T.FlipClassSym, T.SliceHalfConj, HalfTurnCount, flip, slice);
    }
    std::pair<int, int> TwistFlipEntry(int twist, int flip) const {
        return twophase::ClassEntry(T.TwistHalfClassSym, T.FlipHalfConj, HalfTurnCount, twist, flip);
    }
    // Phase 2 coordinates, the corner and U and D edge arrangements as class * SymmetryCount +
    // symmetry, and the distance in corner class by U edges (the others are looked up).
    struct TPhase2 {
        int Corner, Edge, Order, Comb, UEdges, UDepth;
    };

    // The entry of a class table for an arrangement's class and symmetry cs and a second value.
    template <typename TConj>
    static std::pair<int, int> ClassEntry(int cs, const std::vector<TConj>& conj, int second) {
        return {cs / SymmetryCount,
                conj[static_cast<std::size_t>(second * SymmetryCount + cs % SymmetryCount)]};
    }

    // The distance in one table after a move, from the one before it; false when that leaves no
    // room in the moves still to go.
    static bool Within(int& depth, int before, const TPairDepth& table, std::size_t at, int togo) {
        depth = TPairDepth::After(before, table.ResidueAt(at));
        return depth < togo;
    }
    static bool Within(int& depth, int before, const TPairDepth& table, std::pair<int, int> entry, int togo) {
        return Within(depth, before, table, table.Index(entry.first, entry.second), togo);
    }

    // Polled at every node, so the clock and the caller's flag are read about every 0.05 ms. True once
    // the search must end: when cancelled, or out of time with an answer in hand.
    bool Halted() {
        if ((++Polls & 511) == 0) {
            if (Limits.Cancel != nullptr && *Limits.Cancel != 0) {
                Cancelled = Stop = true;
            }
            Late = Late || TClock::now() >= Deadline;
        }
        Stop = Stop || (Late && Best <= Limits.MaxLength);
        return Stop;
    }

    void Phase1(const TPhase1& p, int n, int togo) {
        ++Work.Phase1Nodes;
        if (Halted()) {
            return;
        }
        if (togo == 0) {
            Phase2Start(n);
            return;
        }
        const int last = n > 0 ? Path[static_cast<std::size_t>(n - 1)] / 3 : -1;
        if (togo == 1) {
            // The last move must land in phase 2 itself, where every coordinate is 0: no bounds needed.
            // The last move into phase 2 is a quarter turn of F, R, B or L: any other was a way in one
            // move shorter already.
            for (unsigned moves = Phase1After[static_cast<std::size_t>(last + 1)] & ~Phase2MoveBits;
                 moves && !Stop; moves &= moves - 1) {
                const int m = std::countr_zero(moves);
                if (T.SliceFlipMove[p.SliceFlip * MoveCount + m] >= SliceFlipPerSlice ||
                    T.TwistMove[p.Twist * MoveCount + m] != 0 || T.FlipMove[p.Flip * MoveCount + m] != 0) {
                    continue;
                }
                Path[static_cast<std::size_t>(n)] = m;
                Fresh = std::min(Fresh, n);
                Phase2Start(n + 1);
            }
            return;
        }
        // In three passes, so that the lookups of several moves overlap: each move's twist class by
        // slice flip entry, asked for early; the bound it gives, which most moves fail, and for the
        // others the flip and its two entries, asked for early; then their bounds. With no room to
        // spare in the first distance (most nodes), only the moves that bring it down fit, and the
        // table of those moves gives them without a lookup per move.
        const bool tight = p.Depth[0] == togo;
        const unsigned allowed =
            Phase1After[static_cast<std::size_t>(last + 1)] & (tight ? DownMoves(T, p.Entry, p.Turn) : ~0u);
        std::array<TPhase1, MoveCount> next;
        std::array<std::size_t, MoveCount> at, second; // places in the tables, filled per move tried
        for (unsigned moves = allowed; moves; moves &= moves - 1) {
            const int m = std::countr_zero(moves);
            TPhase1& q = next[static_cast<std::size_t>(m)];
            q.Twist = T.TwistMove[p.Twist * MoveCount + m];
            q.SliceFlip = T.SliceFlipMove[p.SliceFlip * MoveCount + m];
            Place(q);
            if (!tight) {
                T.TwistSliceFlipDepth.Prefetch(q.Entry);
            }
        }
        unsigned near = 0;
        for (unsigned moves = allowed; moves; moves &= moves - 1) {
            const int m = std::countr_zero(moves);
            TPhase1& q = next[static_cast<std::size_t>(m)];
            if (tight) {
                q.Depth[0] = togo - 1;
            } else if (!Within(q.Depth[0], p.Depth[0], T.TwistSliceFlipDepth, q.Entry, togo)) {
                continue;
            }
            near |= 1u << m;
            if (q.Depth[0] == togo - 1 && togo > 2) {
                __builtin_prefetch(&T.TwistSliceFlipDown[q.Entry]); // that node's moves
            }
            q.Slice = q.SliceFlip / SliceFlipPerSlice;
            q.Flip = T.FlipMove[p.Flip * MoveCount + m];
            const auto fs = FlipSliceEntry(q.Flip, q.Slice), tf = TwistFlipEntry(q.Twist, q.Flip);
            at[static_cast<std::size_t>(m)] = T.FlipSliceDepth.Index(fs.first, fs.second);
            second[static_cast<std::size_t>(m)] = T.TwistFlipDepth.Index(tf.first, tf.second);
            T.FlipSliceDepth.Prefetch(at[static_cast<std::size_t>(m)]);
            T.TwistFlipDepth.Prefetch(second[static_cast<std::size_t>(m)]);
        }
        unsigned fit = 0;
        for (unsigned moves = near; moves; moves &= moves - 1) {
            const int m = std::countr_zero(moves);
            TPhase1& q = next[static_cast<std::size_t>(m)];
            if (!Within(q.Depth[1], p.Depth[1], T.FlipSliceDepth, at[static_cast<std::size_t>(m)], togo) ||
                !Within(q.Depth[2], p.Depth[2], T.TwistFlipDepth, second[static_cast<std::size_t>(m)],
                        togo)) {
                continue;
            }
            if (togo <= ShortestReturn && (q.Depth[0] | q.Depth[1] | q.Depth[2]) == 0) {
                continue;
            }
            fit |= 1u << m;
            if (togo > 2) { // the rows that node reads first, asked for while its siblings are checked
                __builtin_prefetch(&T.TwistMove[static_cast<std::size_t>(q.Twist) * MoveCount]);
                __builtin_prefetch(&T.SliceFlipMove[static_cast<std::size_t>(q.SliceFlip) * MoveCount]);
                __builtin_prefetch(&T.SliceFlipMove[static_cast<std::size_t>(q.SliceFlip) * MoveCount + 17]);
                __builtin_prefetch(&T.FlipMove[static_cast<std::size_t>(q.Flip) * MoveCount]);
            }
        }
        for (unsigned moves = fit; moves && !Stop; moves &= moves - 1) {
            const int m = std::countr_zero(moves);
            TPhase1& q = next[static_cast<std::size_t>(m)];
            Path[static_cast<std::size_t>(n)] = m;
            Fresh = std::min(Fresh, n);
            Phase1(q, n + 1, togo - 1);
        }
    }

    // The arrangements after the first n moves of the path: the cubes kept for the path so far are
    // reused up to the first move that changed since.
    const TCubieCube& Arranged(int n) {
        for (; Fresh < n; ++Fresh) {
            const TCubieCube& a = Cubes[static_cast<std::size_t>(Fresh)];
            const TCubieCube& b = MoveCube(Path[static_cast<std::size_t>(Fresh)]);
            TCubieCube& r = Cubes[static_cast<std::size_t>(Fresh + 1)];
            for (int i = 0; i < CornerCount; ++i) {
                r.Cp[i] = a.Cp[b.Cp[i]];
            }
            for (int i = 0; i < EdgeCount; ++i) {
                r.Ep[i] = a.Ep[b.Ep[i]];
            }
        }
        return Cubes[static_cast<std::size_t>(n)];
    }

    void Phase2Start(int n) {
        // Within the path's room too, whatever MaxLength asks for.
        const int limit = std::min({Limits.MaxLength, Best - 1, MaxDepth}) - n - Current->EndingLength;
        if (limit < 0) {
            return;
        }
        const TCubieCube& c = Arranged(n);
        if (Phase2From(c, n, limit, Current->Endings[0].Moves)) {
            return;
        }
        for (int e = 1; e < Current->EndingCount; ++e) {
            const TDirection::TEnding& ending = Current->Endings[static_cast<std::size_t>(e)];
            TCubieCube other;
            const TCubieCube& half = MoveCube(ending.Before[0]);
            for (int i = 0; i < CornerCount; ++i) {
                other.Cp[i] = half.Cp[c.Cp[i]];
            }
            for (int i = 0; i < EdgeCount; ++i) {
                other.Ep[i] = half.Ep[c.Ep[i]];
            }
            if (ending.Before[1] >= 0) {
                const TCubieCube& second = MoveCube(ending.Before[1]);
                const TCubieCube first = other;
                for (int i = 0; i < CornerCount; ++i) {
                    other.Cp[i] = second.Cp[first.Cp[i]];
                }
                for (int i = 0; i < EdgeCount; ++i) {
                    other.Ep[i] = second.Ep[first.Ep[i]];
                }
            }
            if (Stop || Phase2From(other, n, limit, ending.Moves)) {
                return;
            }
        }
    }

    // Phase 2 from arrangement c after the n moves of the path, in at most limit moves, then the
    // current direction's ending as given; true when that gave a new best answer.
    bool Phase2From(const TCubieCube& c, int n, int limit, std::array<int, 2> ending) {
        ++Work.Phase2Starts;
        // The exact small tables first: most starts end there, before the costlier distance walk.
        TPhase2 p{T.CornerClassSym[static_cast<std::size_t>(CornerPerm(c))], 0, SliceOrder(c), 0, 0, 0};
        int bound = T.CornerOrderDepth.Get(ClassEntry(p.Corner, T.SliceOrderConj, p.Order));
        if (bound > limit) {
            return false;
        }
        p.Edge = T.EdgeClassSym[static_cast<std::size_t>(EdgePerm(c))];
        bound = std::max(bound, T.EdgeOrderDepth.Get(ClassEntry(p.Edge, T.SliceOrderConj, p.Order)));
        if (bound > limit) {
            return false;
        }
        p.Comb = CornerComb(c);
        bound = std::max(bound, T.EdgeCombDepth.Get(ClassEntry(p.Edge, T.CornerCombConj, p.Comb)));
        if (bound > limit) {
            return false;
        }
        p.UEdges = UEdges(c);
        using TPair = std::pair<int, int>;
        p.UDepth = T.CornerUEdgesDepth.Distance(
            TPair(p.Corner, p.UEdges), Phase2MoveCount,
            [this](TPair cu) { return ClassEntry(cu.first, T.UEdgesConj, cu.second); },
            [this](TPair cu, int k) {
                return TPair(ClassAfter(T, T.CornerClassMove, cu.first, k),
                             T.UEdgesMove[static_cast<std::size_t>(cu.second * Phase2MoveCount + k)]);
            },
            limit); // a start further away than that is not needed
        for (int depth = std::max(bound, p.UDepth); depth <= limit && !Stop; ++depth) {
            if (Phase2(p, n, depth)) {
                Keep(n + depth, ending);
                Stop = Stop || Best <= Limits.GoodEnough || TClock::now() >= Deadline;
                return true;
            }
        }
        return false;
    }

    bool Phase2(const TPhase2& p, int n, int togo) {
        if (togo == 0) {
            return true; // all distances are 0: solved
        }
        ++Work.Phase2Nodes;
        if (Halted()) {
            return false;
        }
        const int last = n > 0 ? Path[static_cast<std::size_t>(n - 1)] / 3 : -1;
        const unsigned allowed = Phase2After[static_cast<std::size_t>(last + 1)];
        for (unsigned moves = allowed; moves; moves &= moves - 1) {
            const int k = std::countr_zero(moves);
            TPhase2 q;
            q.Corner = ClassAfter(T, T.CornerClassMove, p.Corner, k);
            q.Order = T.SliceOrderMove[p.Order * Phase2MoveCount + k];
            if (T.CornerOrderDepth.Get(ClassEntry(q.Corner, T.SliceOrderConj, q.Order)) >= togo) {
                continue;
            }
            q.Edge = ClassAfter(T, T.EdgeClassMove, p.Edge, k);
            if (T.EdgeOrderDepth.Get(ClassEntry(q.Edge, T.SliceOrderConj, q.Order)) >= togo) {
                continue;
            }
            q.Comb = T.CornerCombMove[p.Comb * Phase2MoveCount + k];
            if (T.EdgeCombDepth.Get(ClassEntry(q.Edge, T.CornerCombConj, q.Comb)) >= togo) {
                continue;
            }
            q.UEdges = T.UEdgesMove[p.UEdges * Phase2MoveCount + k];
            if (!Within(q.UDepth, p.UDepth, T.CornerUEdgesDepth, ClassEntry(q.Corner, T.UEdgesConj, q.UEdges),
                        togo)) {
                continue;
            }
            Path[static_cast<std::size_t>(n)] = Phase2Moves[static_cast<std::size_t>(k)];
            Fresh = std::min(Fresh, n);
            if (Phase2(q, n + 1, togo - 1)) {
                return true;
            }
        }
        return false;
    }

    // The first length moves of the path and then the current direction's ending (as given) as the
    // new best answer, in real faces. Turns of one face in a row merge.
    void Keep(int length, std::array<int, 2> ending) {
        std::vector<int> moves(Path.begin(), Path.begin() + length);
        for (int e = 0; e < Current->EndingLength; ++e) {
            const int m = ending[static_cast<std::size_t>(e)];
            if (!moves.empty() && moves.back() / 3 == m / 3) {
                const int turns = (moves.back() % 3 + 1 + m % 3 + 1) % 4;
                moves.pop_back();
                if (turns != 0) {
                    moves.push_back(m / 3 * 3 + turns - 1);
                }
            } else {
                moves.push_back(m);
            }
        }
        Best = static_cast<int>(moves.size());
        BestMoves.clear();
        const TView& view = Views[static_cast<std::size_t>(Current->View)];
        for (int m : moves) {
            BestMoves.push_back(view.Face[static_cast<std::size_t>(m / 3)] * 3 + m % 3);
        }
        if (view.Inverted) {
            std::reverse(BestMoves.begin(), BestMoves.end());
            for (int& m : BestMoves) {
                m = m / 3 * 3 + 2 - m % 3;
            }
        }
        if (Limits.Better) {
            Limits.Better(BestMoves);
        }
    }

    const TTables& T;
    std::array<TView, 6> Views;
    std::vector<TDirection> Directions;
    const TDirection* Current = nullptr;
    const TSolveLimits Limits;
    const TClock::time_point Deadline;
    std::array<int, MaxDepth + 1> Path{};
    // Cubes[i]: the arrangement after the first i moves of Path, for i up to Fresh.
    std::array<TCubieCube, MaxDepth + 1> Cubes{};
    int Fresh = 0;
    int Best;
    std::vector<int> BestMoves;
    bool Stop = false;
    bool Late = false;
    bool Cancelled = false;
    unsigned Polls = 511; // the first poll reads the clock and the flag
    TSearchWork Work;
};

} // namespace

std::string TSolveResult::Text() const {
    std::string text;
    for (int m : Moves) {
        if (!text.empty()) {
            text += ' ';
        }
        text += MoveName(m);
    }
    return text;
}

TSolveResult Solve(const TCubieCube& cube, const TSolveLimits& limits) {
    // A solved cube needs no search, and so none of the tables: the program's check of an engine it
    // loads asks for exactly this, and the tables would otherwise stay in the engine's host for good.
    if (cube == TCubieCube{} && (limits.Cancel == nullptr || *limits.Cancel == 0)) {
        TSolveResult solved;
        solved.Found = true;
        solved.Shortest = true;
        if (limits.Better) {
            limits.Better(solved.Moves);
        }
        return solved;
    }
    return TSearch(cube, limits).Run();
}

TSolveResult Solve(std::string_view facelets, const TSolveLimits& limits) {
    const TReadResult read = ReadFacelets(facelets);
    if (read.Fault != TFault::None) {
        TSolveResult result;
        result.Fault = read.Fault;
        return result;
    }
    return Solve(read.Cube, limits);
}

std::size_t PrepareTables() {
    return Tables().Bytes();
}

} // namespace twophase
