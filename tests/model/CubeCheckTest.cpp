// The check that tells a user why a painted cube cannot be real: one crafted cube per fault, and real
// cubes always pass.
#include "model/CubeCheck.h"

#include "CubeGeometry.h"

#include <gtest/gtest.h>
#include <utility>
#include <vector>

namespace {

using geometry::Vec;

// The sticker id of the face with this normal on the cubie at p (doubled coordinates, -2..2).
int At(Vec cubie, Vec normal) {
    return geometry::StickerAt(3, 2 * cubie + normal, normal);
}

const Vec U{0, 1, 0}, D{0, -1, 0}, F{0, 0, 1}, B{0, 0, -1}, R{1, 0, 0};

std::uint8_t& Colour(TRubikCube& cube, int id) {
    return cube.GetState().Cubies[id / 9][id % 9].Color;
}

TEST(CubeCheck, RealCubesPass) {
    TRubikCube cube(1);
    for (int i = 0; i < 100; ++i) {
        cube.Scramble();
        ASSERT_EQ(CheckCube(cube).Fault, TCubeFault::None) << CheckCube(cube).Reason;
    }
}

TEST(CubeCheck, EachFaultIsNamedWithItsStickers) {
    const int uf_u = At(U + F, U), uf_f = At(U + F, F), ur_u = At(U + R, U), ur_r = At(U + R, R);
    const int ufr_u = At(U + F + R, U), ufr_f = At(U + F + R, F), ufr_r = At(U + F + R, R);
    const struct {
        const char* Name;
        std::vector<std::pair<int, int>> Swaps; // colour swaps; a second of -1 unpaints, -2 paints red
        TCubeFault Fault;
        std::vector<int> Stickers; // empty: not checked
    } cases[] = {
        {"two stickers without colour", {{3, -1}, {50, -1}}, TCubeFault::Uncoloured, {3, 50}},
        {"the U centre painted like the F centre", {{4, uf_f}}, TCubeFault::Centres, {4, 13}},
        {"a tenth red sticker", {{0, -2}}, TCubeFault::ColourCount, {}},
        {"an edge with two opposite colours", {{uf_f, At(D + B, D)}}, TCubeFault::Edges, {}},
        // U of UFR onto the D sticker of DFR: DFR's colours twice over.
        {"the same corner twice", {{ufr_u, At(D + F + R, D)}}, TCubeFault::Corners, {}},
        {"one flipped edge", {{uf_u, uf_f}}, TCubeFault::FlippedEdge, {uf_u, uf_f}},
        {"a twisted corner",
         {{ufr_u, ufr_f}, {ufr_f, ufr_r}},
         TCubeFault::TwistedCorner,
         {ufr_u, ufr_f, ufr_r}},
        {"two edges swapped", {{uf_u, ur_u}, {uf_f, ur_r}}, TCubeFault::Parity, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TRubikCube cube(1);
        cube.Clean();
        for (const auto& [a, b] : c.Swaps) {
            b < 0 ? void(Colour(cube, a) = b == -1 ? NoColor : 1)
                  : std::swap(Colour(cube, a), Colour(cube, b));
        }
        const TCubeCheck check = CheckCube(cube);
        EXPECT_EQ(check.Fault, c.Fault) << check.Reason;
        EXPECT_FALSE(check.Reason.empty());
        if (!c.Stickers.empty()) {
            EXPECT_EQ(check.Stickers, c.Stickers);
        }
    }
}

TEST(CubeCheck, OnlySolvedCubesHaveUniformFaces) {
    TRubikCube cube(1);
    cube.Clean();
    EXPECT_TRUE(FacesAreUniform(cube));
    ASSERT_TRUE(cube.PerformMoves("V0")); // a slice leaves four faces mixed
    EXPECT_FALSE(FacesAreUniform(cube));
    ASSERT_TRUE(cube.PerformMoves("V0i"));
    EXPECT_TRUE(FacesAreUniform(cube));
    cube.Empty();
    EXPECT_FALSE(FacesAreUniform(cube));
}

} // namespace
