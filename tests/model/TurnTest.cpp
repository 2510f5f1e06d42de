// Turns and mouse drags checked against the cube's geometry (CubeGeometry.h), not against the turn
// tables: a wrong table entry anywhere shows as a sticker carried to the wrong place or counter.
#include "CubeGeometry.h"
#include "model/Cubi.h"
#include "model/Notation.h"

#include <gtest/gtest.h>
#include <string>

using namespace geometry;

namespace {

const Vec SliceAxes[3] = {{1, 0, 0}, {0, 0, 1}, {0, 1, 0}}; // V turns like R, M like F, H like U

// The axis a move turns about (clockwise seen from the side it points to) and its layer along it,
// counted from the negative side.
std::pair<Vec, int> AxisAndLayer(const TMove& m, int N) {
    return m.IsFace ? std::pair(Frames[m.Index].Normal, N - 1) : std::pair(SliceAxes[m.Index], m.Slice + 1);
}

// Clockwise quarter turns, seen from outside a face with this normal, from vector a to vector b.
int QuartersBetween(Vec normal, Vec a, Vec b) {
    for (int q = 0; q < 4; ++q, a = QuarterTurn(normal, a)) {
        if (a == b) {
            return q;
        }
    }
    ADD_FAILURE() << "vectors are not a quarter-turn apart";
    return -1;
}

class TurnTest : public ::testing::TestWithParam<int> {};

// Every turn carries each sticker of its layer where a rigid quarter rotation puts it, adds to its
// counter the quarter turns that rotation gives it against its new face's grid, and leaves the rest.
TEST_P(TurnTest, EveryTurnIsTheRigidRotationOfItsLayer) {
    TRubikCube probe(static_cast<std::uint8_t>(GetParam()));
    const int N = probe.Size, S = probe.FaceArea;
    const auto turns = ParseMoves(N == 2 ? "U F R B L D" : "U F R B L D V0 M0 H0", probe.SliceCount, false);
    ASSERT_TRUE(turns);
    for (const TMove& turn : *turns) {
        SCOPED_TRACE(turn.Name);
        const auto [axis, layer] = AxisAndLayer(turn, N);
        TRubikCube cube(static_cast<std::uint8_t>(GetParam()));
        cube.Clean();
        for (int f = 0; f < 6; ++f) {
            for (int i = 0; i < S; ++i) {
                cube.GetState().Rotations[f][i] = 100 * f + i; // distinct, so that any mix-up shows
            }
        }
        const CubeState0 before = cube.GetState();
        turn.IsFace ? cube.TurnFace(turn.Index) : cube.TurnSlice(turn.Index, turn.Slice);
        const CubeState0& after = cube.GetState();
        int moved = 0;
        for (int f = 0; f < 6; ++f) {
            for (int i = 0; i < S; ++i) {
                const TCubie& record = before.Cubies[f][i];
                const Vec centre = StickerCentre(N, f, i);
                const int counterBefore = before.Rotations[record.HomeFace][record.HomeIndex];
                const int counterAfter = after.Rotations[record.HomeFace][record.HomeIndex];
                if (LayerAlong(N, axis, centre) != layer) {
                    EXPECT_EQ(after.Cubies[f][i], record) << "outside the layer at " << f << "/" << i;
                    EXPECT_EQ(counterAfter, counterBefore);
                    continue;
                }
                const int target =
                    StickerAt(N, QuarterTurn(axis, centre), QuarterTurn(axis, Frames[f].Normal));
                ASSERT_GE(target, 0);
                const int tf = target / S, ti = target % S;
                EXPECT_EQ(after.Cubies[tf][ti], record)
                    << f << "/" << i << " should reach " << tf << "/" << ti;
                // The sticker's "up" (towards row 0) turns with the layer.
                const Vec carriedUp = QuarterTurn(axis, -1 * Frames[f].Down);
                EXPECT_EQ(counterAfter - counterBefore,
                          QuartersBetween(Frames[tf].Normal, -1 * Frames[tf].Down, carriedUp))
                    << "counter of sticker from " << f << "/" << i;
                moved += (tf != f || ti != i);
            }
        }
        // A face turn moves its face (all but a 3x3x3 centre) and a ring of 4N; a slice only its ring.
        EXPECT_EQ(moved, turn.IsFace ? 4 * N + S - (N % 2) : 4 * N);
    }
}

// A drag from sticker A to a neighbouring sticker B gives a quarter turn of a layer holding both that
// sets both moving along the drag; stickers that are not neighbours give no move.
TEST_P(TurnTest, EveryNeighbourPairGivesTheMoveAlongTheDrag) {
    TRubikCube cube(static_cast<std::uint8_t>(GetParam()));
    const int N = cube.Size, S = cube.FaceArea;
    int neighbours = 0;
    for (int from = 0; from < 6 * S; ++from) {
        for (int to = 0; to < 6 * S; ++to) {
            const Vec a = StickerCentre(N, from / S, from % S), b = StickerCentre(N, to / S, to % S);
            const Vec drag = b - a;
            const std::string move = cube.MoveFromStickerPair(from, to);
            // Neighbours on one face are 2 apart; across a cube edge they are (1, 1, 0) apart.
            if (Dot(drag, drag) != 4 && Dot(drag, drag) != 2) {
                EXPECT_EQ(move, "") << from << " -> " << to;
                continue;
            }
            ++neighbours;
            const auto m = ParseMove(move, cube.SliceCount, false);
            ASSERT_TRUE(m) << from << " -> " << to << " gave '" << move << "'";
            ASSERT_NE(m->Turns, 2) << "a drag is a quarter turn";
            const auto [axis, layer] = AxisAndLayer(*m, N);
            const int sign = m->Turns == 1 ? 1 : -1;
            for (const Vec p : {a, b}) {
                EXPECT_EQ(LayerAlong(N, axis, p), layer) << from << " -> " << to << ": " << move;
                // Velocity of a point under a clockwise turn about axis is -(axis x p).
                EXPECT_GT(Dot(sign * (-1 * Cross(axis, p)), drag), 0) << from << " -> " << to << ": " << move;
            }
        }
    }
    // Each face has 2N(N-1) neighbour pairs inside it, and each of the 12 edges N across it.
    EXPECT_EQ(neighbours, 2 * (6 * 2 * N * (N - 1) + 12 * N));
}

INSTANTIATE_TEST_SUITE_P(BothSizes, TurnTest, ::testing::Values(0, 1),
                         [](const auto& p) { return std::string(SizeNames[p.param]); });

} // namespace
