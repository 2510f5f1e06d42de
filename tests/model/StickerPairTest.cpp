// Mouse turns: for every pair of sticker positions, the move that carries one towards the other.
#include "CubeGeometry.h"
#include "model/Cubi.h"
#include "model/Notation.h"

#include <gtest/gtest.h>
#include <string>

using namespace geometry;

namespace {

// Axis and layer a parsed move turns, clockwise quarter turns counted about the axis.
struct Rotation {
    Vec Axis;
    int Layer;
    int Quarters;
};

Rotation RotationOf(const TMove& m, int N) {
    const Vec sliceAxes[3] = {{1, 0, 0}, {0, 0, 1}, {0, 1, 0}};
    if (m.IsFace) {
        return {Frames[m.Index].Normal, N - 1, m.Turns};
    }
    return {sliceAxes[m.Index], m.Slice + 1, m.Turns};
}

class StickerPairTest : public ::testing::TestWithParam<int> {};

// A drag from sticker A to a neighbouring sticker B must give a move that turns a layer holding both
// and that sets both moving in the direction of the drag; stickers that are not neighbours give none.
TEST_P(StickerPairTest, EveryNeighbourPairGivesTheMoveAlongTheDrag) {
    TRubikCube cube(static_cast<std::uint8_t>(GetParam()));
    const int N = cube.Size, S = cube.FaceArea;
    int neighbours = 0;
    for (int from = 0; from < 6 * S; ++from) {
        for (int to = 0; to < 6 * S; ++to) {
            const Vec a = StickerCentre(N, from / S, from % S);
            const Vec b = StickerCentre(N, to / S, to % S);
            const Vec drag = b - a;
            const int distance = Dot(drag, drag);
            // Neighbours on one face are 2 apart; across a cube edge they are (1, 1, 0) apart.
            const bool isNeighbour = distance == 4 || distance == 2;
            const std::string move = cube.MoveFromStickerPair(from, to);
            if (!isNeighbour) {
                EXPECT_EQ(move, "") << from << " -> " << to;
                continue;
            }
            ++neighbours;
            const auto parsed = ParseMove(move, cube.SliceCount, false);
            ASSERT_TRUE(parsed) << from << " -> " << to << " gave '" << move << "'";
            ASSERT_NE(parsed->Turns, 2) << "a drag is a quarter turn";
            const Rotation r = RotationOf(*parsed, N);
            EXPECT_EQ(LayerAlong(N, r.Axis, a), r.Layer) << from << " -> " << to << ": " << move;
            EXPECT_EQ(LayerAlong(N, r.Axis, b), r.Layer) << from << " -> " << to << ": " << move;
            // Velocity of a point under a clockwise turn about Axis is -(Axis x p); counter-clockwise
            // flips it.
            const int sign = r.Quarters == 1 ? 1 : -1;
            for (const Vec p : {a, b}) {
                const Vec velocity = sign * (-1 * Cross(r.Axis, p));
                EXPECT_GT(Dot(velocity, drag), 0) << from << " -> " << to << ": " << move;
            }
        }
    }
    // Each face has 2N(N-1) neighbour pairs inside it, and each of the 12 edges N across it.
    EXPECT_EQ(neighbours, 2 * (6 * 2 * N * (N - 1) + 12 * N));
}

INSTANTIATE_TEST_SUITE_P(BothSizes, StickerPairTest, ::testing::Values(0, 1),
                         [](const auto& p) { return std::string(SizeNames[p.param]); });

TEST(StickerPair, KnownDragsOnTheStandardCube) {
    struct Case {
        int from, to;
        const char* move;
    };
    const Case cases[] = {
        {6, 7, "F"},   {7, 6, "Fi"},  {3, 4, "M0"},
        {7, 4, "V0"},  {4, 7, "V0i"}, {8, 18, "F"}, // U bottom-right to R top-left, across the edge
        {18, 8, "Fi"}, {6, 6, ""},    {0, 8, ""},
    };
    TRubikCube cube(1);
    for (const Case& c : cases) {
        EXPECT_EQ(cube.MoveFromStickerPair(c.from, c.to), c.move) << c.from << " -> " << c.to;
    }
}

} // namespace
