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

class TSearch {
public:
    TSearch(const TCubieCube& cube, const TSolveLimits& limits)
        : T(Tables()), Start(cube), Limits(limits), Deadline(TClock::now() + limits.Budget),
          Best(limits.MaxLength + 1) {}

    TSolveResult Run() {
        const int twist = Twist(Start), flip = Flip(Start), slice = Slice(Start);
        for (int depth = Phase1Bound(twist, flip, slice); depth < std::min(Best, MaxDepth) && !Stop; ++depth) {
            Phase1(twist, flip, slice, 0, depth);
        }
        TSolveResult result;
        result.Found = Best <= Limits.MaxLength;
        result.Moves = BestMoves;
        return result;
    }

private:
    int Phase1Bound(int twist, int flip, int slice) const {
        return std::max(T.TwistSliceDepth[twist * SliceCount + slice], T.FlipSliceDepth[flip * SliceCount + slice]);
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
        TCubieCube c = Start;
        for (int i = 0; i < n; ++i) {
            c = Multiply(c, MoveCube(Path[i]));
        }
        const int corner = CornerPerm(c), edge = EdgePerm(c), order = SliceOrder(c);
        for (int depth = Phase2Bound(corner, edge, order); depth <= limit; ++depth) {
            if (Phase2(corner, edge, order, n, depth)) {
                Best = n + depth;
                BestMoves.assign(Path.begin(), Path.begin() + Best);
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
            const int c = T.CornerMove[corner * Phase2MoveCount + k], e = T.EdgeMove[edge * Phase2MoveCount + k],
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

    const TTables& T;
    const TCubieCube Start;
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
