// Face and slice turns checked against the cube's geometry: every turn must carry each sticker of
// its layer to where a rigid quarter rotation of that layer puts it, turn the sticker's counter by
// the quarter turns that rotation gives it against its new face's grid, and leave all else alone.
#include "CubeGeometry.h"
#include "model/Cubi.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace geometry;

namespace {

struct Turn {
    std::string Name;
    Vec Axis;  // clockwise about this axis, seen from the side it points to
    int Layer; // counted from the negative side of Axis
    std::function<void(TRubikCube&)> Apply;
};

std::vector<Turn> TurnsOf(const TRubikCube& cube) {
    std::vector<Turn> turns;
    const int N = cube.Size;
    for (int f = 0; f < 6; ++f) {
        turns.push_back(
            {std::string(1, FaceLetters[f]), Frames[f].Normal, N - 1, [f](TRubikCube& c) { c.TurnFace(f); }});
    }
    const Vec axes[3] = {{1, 0, 0}, {0, 0, 1}, {0, 1, 0}}; // V turns like R, M like F, H like U
    for (int a = 0; a < 3; ++a) {
        for (int k = 0; k < cube.SliceCount; ++k) {
            turns.push_back({std::string(1, AxisLetters[a]) + std::to_string(k), axes[a], k + 1,
                             [a, k](TRubikCube& c) { c.TurnSlice(a, k); }});
        }
    }
    return turns;
}

// Clockwise quarter turns, seen from outside a face with this normal, from vector a to vector b.
int QuartersBetween(Vec normal, Vec a, Vec b) {
    for (int q = 0; q < 4; ++q) {
        if (a == b) {
            return q;
        }
        a = QuarterTurn(normal, a);
    }
    ADD_FAILURE() << "vectors are not a quarter-turn apart";
    return -1;
}

// Gives every position a distinct record and a distinct counter, so that any mix-up shows.
TRubikCube Marked(int sizeIndex) {
    TRubikCube cube(static_cast<std::uint8_t>(sizeIndex));
    cube.Clean();
    CubeState0& s = cube.GetState();
    for (int f = 0; f < 6; ++f) {
        for (int i = 0; i < cube.FaceArea; ++i) {
            s.Rotations[f][i] = 100 * f + i;
        }
    }
    return cube;
}

class TurnTest : public ::testing::TestWithParam<int> {};

TEST_P(TurnTest, EveryTurnIsTheRigidRotationOfItsLayer) {
    const int sizeIndex = GetParam();
    TRubikCube probe(static_cast<std::uint8_t>(sizeIndex));
    const int N = probe.Size;
    const int S = probe.FaceArea;
    for (const Turn& turn : TurnsOf(probe)) {
        SCOPED_TRACE(turn.Name);
        TRubikCube cube = Marked(sizeIndex);
        const CubeState0 before = cube.GetState();
        turn.Apply(cube);
        const CubeState0& after = cube.GetState();
        int moved = 0;
        for (int f = 0; f < 6; ++f) {
            for (int i = 0; i < S; ++i) {
                const TCubie& record = before.Cubies[f][i];
                const Vec centre = StickerCentre(N, f, i);
                const int before_counter = before.Rotations[record.HomeFace][record.HomeIndex];
                const int after_counter = after.Rotations[record.HomeFace][record.HomeIndex];
                if (LayerAlong(N, turn.Axis, centre) != turn.Layer) {
                    EXPECT_EQ(after.Cubies[f][i], record) << "outside the layer at " << f << "/" << i;
                    EXPECT_EQ(after_counter, before_counter);
                    continue;
                }
                const Vec normal = QuarterTurn(turn.Axis, Frames[f].Normal);
                const int target = StickerAt(N, QuarterTurn(turn.Axis, centre), normal);
                ASSERT_GE(target, 0);
                const int tf = target / S, ti = target % S;
                EXPECT_EQ(after.Cubies[tf][ti], record)
                    << f << "/" << i << " should reach " << tf << "/" << ti;
                // The sticker's "up" (towards row 0) turns with the layer; its counter must grow by the
                // clockwise quarter turns between the new face's up and the carried one.
                const Vec carriedUp = QuarterTurn(turn.Axis, -1 * Frames[f].Down);
                const int expected = QuartersBetween(Frames[tf].Normal, -1 * Frames[tf].Down, carriedUp);
                EXPECT_EQ(after_counter - before_counter, expected)
                    << "counter of sticker from " << f << "/" << i;
                moved += (tf != f || ti != i);
            }
        }
        const bool isFace = turn.Name.size() == 1;
        // A face turn moves its face (all but a 3x3x3 centre) and a ring of 4N; a slice only its ring.
        EXPECT_EQ(moved, isFace ? 4 * N + S - (N % 2) : 4 * N);
    }
}

TEST_P(TurnTest, FourQuarterTurnsRestoreRecordsAndAddFourToEveryCounterTheyTurn) {
    const int sizeIndex = GetParam();
    TRubikCube probe(static_cast<std::uint8_t>(sizeIndex));
    for (const Turn& turn : TurnsOf(probe)) {
        SCOPED_TRACE(turn.Name);
        TRubikCube cube = Marked(sizeIndex);
        const CubeState0 before = cube.GetState();
        for (int q = 0; q < 4; ++q) {
            turn.Apply(cube);
        }
        EXPECT_EQ(cube.GetState().Cubies, before.Cubies);
        for (int f = 0; f < 6; ++f) {
            for (int i = 0; i < cube.FaceArea; ++i) {
                const int delta = cube.GetState().Rotations[f][i] - before.Rotations[f][i];
                EXPECT_EQ(delta % 4, 0);
                EXPECT_GE(delta, 0);
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(BothSizes, TurnTest, ::testing::Values(0, 1),
                         [](const auto& p) { return std::string(SizeNames[p.param]); });

TEST(TurnCounters, FullFaceTurnAddsFourToEachStickerOfTheFaceAndTwistsToTheRing) {
    // F turns its own nine stickers once each per quarter turn and twists each ring sticker by 1;
    // four turns bring every counter of the F layer to 4, counters elsewhere stay 0.
    TRubikCube cube(1);
    cube.Clean();
    for (int q = 0; q < 4; ++q) {
        cube.TurnFace(1);
    }
    const CubeState0& s = cube.GetState();
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(s.Rotations[1][i], 4) << "F" << i;
        EXPECT_EQ(s.Rotations[3][i], 0) << "B" << i;
    }
    for (int i : {6, 7, 8}) {
        EXPECT_EQ(s.Rotations[0][i], 4) << "U" << i;
    }
    for (int i : {0, 1, 2}) {
        EXPECT_EQ(s.Rotations[0][i], 0) << "U" << i;
    }
    // R twists its U and B strips by 2 and its D and F strips by 0: after one turn the stickers that
    // came from U onto B stand on their heads, the ones that came from D onto F do not.
    cube.Clean();
    cube.TurnFace(2);
    EXPECT_EQ(s.Rotations[0][8], 2);
    EXPECT_EQ(s.Rotations[5][8], 0);
    EXPECT_EQ(s.Rotations[2][4], 1);
}

} // namespace
