#include "plugins/twophase/Search.h"

#include "plugins/twophase/Tables.h"

#include <algorithm>
#include <array>

namespace twophase {
namespace {

using TClock = std::chrono::steady_clock;

constexpr int Opposite[6] = {5, 3, 4, 1, 2, 0};
constexpr int MaxDepth = 32;

// A face turn after last that another order or a merged turn would give as well: the same face
// twice, or opposite faces (which commute) other than in face order.
bool Redundant(int face, int last) {
    return face == last || (face == Opposite[last] && face < last);
}

bool IsPhase2Move(int move) {
    return std::find(Phase2Moves.begin(), Phase2Moves.end(), move) != Phase2Moves.end();
}

// One way of looking at the cube: held turned whole about its URF corner none, one or two times, and
// either as it is or undone (whose answer, reversed and inverted, answers the cube). Each gives other
// ways into phase 2, so searching all six finds short answers sooner.
struct TDirection {
    TCubieCube Start;
    int Twist = 0, Flip = 0, Slice = 0;
    std::array<int, 6> Face{}; // the real face of each face turned in this view
    bool Inverted = false;
};

class TSearch {
public:
    TSearch(const TCubieCube& cube, const TSolveLimits& limits)
        : T(Tables()), Limits(limits), Deadline(TClock::now() + limits.Budget), Best(limits.MaxLength + 1) {
        std::string text = WriteFacelets(cube);
        std::array<int, 6> face{0, 1, 2, 3, 4, 5};
        for (int turned = 0; turned < 3; ++turned) {
            const TCubieCube seen = turned == 0 ? cube : ReadFacelets(text).Cube;
            for (int inverted = 0; inverted < 2; ++inverted) {
                TDirection& d = Directions[static_cast<std::size_t>(turned * 2 + inverted)];
                d.Start = inverted ? Inverse(seen) : seen;
                d.Twist = Twist(d.Start);
                d.Flip = Flip(d.Start);
                d.Slice = Slice(d.Start);
                d.Face = face;
                d.Inverted = inverted != 0;
            }
            text = TurnedWhole(text);
            for (int& f : face) {
                f = FaceBeforeTurnedWhole(f);
            }
        }
    }

    TSolveResult Run() {
        for (int depth = 0; depth < std::min(Best, MaxDepth) && !Stop; ++depth) {
            for (const TDirection& d : Directions) {
                if (Stop || Phase1Bound(d.Twist, d.Flip, d.Slice) > depth) {
                    continue;
                }
                Current = &d;
                Phase1(d.Twist, d.Flip, d.Slice, 0, depth);
            }
        }
        TSolveResult result;
        result.Found = Best <= Limits.MaxLength;
        result.Moves = BestMoves;
        return result;
    }

private:
    int Phase1Bound(int twist, int flip, int slice) const {
        return std::max(T.TwistSliceDepth[twist * SliceCount + slice],
                        T.FlipSliceDepth[flip * SliceCount + slice]);
    }

    int Phase2Bound(int corner, int edge, int order) const {
        return std::max(T.CornerOrderDepth[corner * SliceOrderCount + order],
                        T.EdgeOrderDepth[edge * SliceOrderCount + order]);
    }

    bool TimeUp() {
        if (!Late && (++Polls & 255) == 0) {
            Late = TClock::now() >= Deadline;
        }
        return Late;
    }

    void Phase1(int twist, int flip, int slice, int n, int togo) {
        if (togo == 0) {
            // A way in that ends with a phase 2 move was already tried one move shorter.
            if (n == 0 || !IsPhase2Move(Path[n - 1])) {
                Phase2Start(n);
            }
            return;
        }
        const int last = n > 0 ? Path[n - 1] / 3 : -1;
        for (int m = 0; m < MoveCount && !Stop; ++m) {
            if (last >= 0 && Redundant(m / 3, last)) {
                continue;
            }
            const int t = T.TwistMove[twist * MoveCount + m], f = T.FlipMove[flip * MoveCount + m],
                      s = T.SliceMove[slice * MoveCount + m];
            if (Phase1Bound(t, f, s) >= togo) {
                continue;
            }
            Path[n] = m;
            Phase1(t, f, s, n + 1, togo - 1);
        }
    }

    void Phase2Start(int n) {
        if (TimeUp() && Best <= Limits.MaxLength) {
            Stop = true;
            return;
        }
        const int limit = std::min(Limits.MaxLength, Best - 1) - n;
        if (limit < 0) {
            return;
        }
        TCubieCube c = Current->Start;
        for (int i = 0; i < n; ++i) {
            c = Multiply(c, MoveCube(Path[i]));
        }
        const int corner = CornerPerm(c), edge = EdgePerm(c), order = SliceOrder(c);
        for (int depth = Phase2Bound(corner, edge, order); depth <= limit; ++depth) {
            if (Phase2(corner, edge, order, n, depth)) {
                Best = n + depth;
                Keep(Best);
                Stop = Best <= Limits.GoodEnough || TClock::now() >= Deadline;
                return;
            }
        }
    }

    bool Phase2(int corner, int edge, int order, int n, int togo) {
        if (togo == 0) {
            return corner == 0 && edge == 0 && order == 0;
        }
        const int last = n > 0 ? Path[n - 1] / 3 : -1;
        for (int k = 0; k < Phase2MoveCount; ++k) {
            const int m = Phase2Moves[k];
            if (last >= 0 && Redundant(m / 3, last)) {
                continue;
            }
            const int c = T.CornerMove[corner * Phase2MoveCount + k],
                      e = T.EdgeMove[edge * Phase2MoveCount + k],
                      o = T.SliceOrderMove[order * Phase2MoveCount + k];
            if (Phase2Bound(c, e, o) >= togo) {
                continue;
            }
            Path[n] = m;
            if (Phase2(c, e, o, n + 1, togo - 1)) {
                return true;
            }
        }
        return false;
    }

    // The answer in real faces, for the path of the current direction.
    void Keep(int length) {
        BestMoves.clear();
        for (int i = 0; i < length; ++i) {
            const int m = Path[static_cast<std::size_t>(i)];
            BestMoves.push_back(Current->Face[static_cast<std::size_t>(m / 3)] * 3 + m % 3);
        }
        if (Current->Inverted) {
            std::reverse(BestMoves.begin(), BestMoves.end());
            for (int& m : BestMoves) {
                m = m / 3 * 3 + 2 - m % 3;
            }
        }
    }

    const TTables& T;
    std::array<TDirection, 6> Directions;
    const TDirection* Current = nullptr;
    const TSolveLimits Limits;
    const TClock::time_point Deadline;
    std::array<int, MaxDepth + 1> Path{};
    int Best;
    std::vector<int> BestMoves;
    bool Stop = false;
    bool Late = false;
    unsigned Polls = 0;
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
