// The check that tells a user why a painted cube cannot be real: one crafted cube per fault, and real
// cubes always pass.
#include "model/CubeCheck.h"

#include "CubeGeometry.h"
#include "support/PaintedCube.h"

#include <gtest/gtest.h>
#include <utility>
#include <vector>

namespace {

using geometry::Vec;

// The sticker id of the face with this normal on the cubie at p (coordinates -1..1; on the 2x2x2
// cube, At2, only -1 and 1).
int At(Vec cubie, Vec normal) {
    return geometry::StickerAt(3, 2 * cubie + normal, normal);
}
int At2(Vec cubie, Vec normal) {
    return geometry::StickerAt(2, cubie + normal, normal);
}

const Vec U{0, 1, 0}, D{0, -1, 0}, F{0, 0, 1}, B{0, 0, -1}, R{1, 0, 0}, L{-1, 0, 0};

std::uint8_t& Colour(TRubikCube& cube, int id) {
    return cube.GetState().Cubies[id / cube.FaceArea][id % cube.FaceArea].Color;
}

TEST(CubeCheck, RealCubesPass) {
    for (std::uint8_t size : {0, 1}) {
        TRubikCube cube(size);
        for (int i = 0; i < 100; ++i) {
            cube.Scramble(); // on the 2x2x2 cube in any orientation: D, L and B turn as well
            ASSERT_EQ(CheckCube(cube).Fault, TCubeFault::None) << CheckCube(cube).Reason;
        }
    }
}

TEST(CubeCheck, EachFaultIsNamedWithItsStickers) {
    const int uf_u = At(U + F, U), uf_f = At(U + F, F), ur_u = At(U + R, U), ur_r = At(U + R, R);
    const int ufr_u = At(U + F + R, U), ufr_f = At(U + F + R, F), ufr_r = At(U + F + R, R);
    const int ufr2_u = At2(U + F + R, U), ufr2_f = At2(U + F + R, F), ufr2_r = At2(U + F + R, R);
    const int dfl2_d = At2(D + F + L, D), dfl2_f = At2(D + F + L, F), dfl2_l = At2(D + F + L, L);
    const int ufl2_f = At2(U + F + L, F), ufl2_l = At2(U + F + L, L);
    const std::vector<int> ufr2 = {ufr2_u, ufr2_f, ufr2_r};
    const std::vector<int> ufr2dfl2 = {ufr2_u, ufr2_f, dfl2_f, ufr2_r, dfl2_l, dfl2_d}; // ascending
    // The size, the case, its colour swaps (a second of -1 unpaints, -2 paints red), the fault, and the
    // stickers named (empty: not checked).
    using TSwaps = std::vector<std::pair<int, int>>;
    const std::tuple<std::uint8_t, const char*, TSwaps, TCubeFault, std::vector<int>> cases[] = {
        {1, "two stickers without colour", {{3, -1}, {50, -1}}, TCubeFault::Uncoloured, {3, 50}},
        {1, "the U centre painted like the F centre", {{4, uf_f}}, TCubeFault::Centres, {4, 13}},
        {1, "a tenth red sticker", {{0, -2}}, TCubeFault::ColourCount, {}},
        {1, "an edge with two opposite colours", {{uf_f, At(D + B, D)}}, TCubeFault::Edges, {}},
        // U of UFR onto the D sticker of DFR: DFR's colours twice over.
        {1, "the same corner twice", {{ufr_u, At(D + F + R, D)}}, TCubeFault::Corners, {}},
        {1, "one flipped edge", {{uf_u, uf_f}}, TCubeFault::FlippedEdge, {uf_u, uf_f}},
        {1,
         "a twisted corner",
         {{ufr_u, ufr_f}, {ufr_f, ufr_r}},
         TCubeFault::TwistedCorner,
         {ufr_u, ufr_f, ufr_r}},
        {1, "two edges swapped", {{uf_u, ur_u}, {uf_f, ur_r}}, TCubeFault::Parity, {}},
        {0, "2x2x2: unpainted", {{3, -1}, {20, -1}}, TCubeFault::Uncoloured, {3, 20}},
        {0, "2x2x2: a fifth red sticker", {{0, -2}}, TCubeFault::ColourCount, {0, 4, 5, 6, 7}},
        {0, "2x2x2: opposite colours", {{ufr2_r, dfl2_d}}, TCubeFault::Corners, ufr2dfl2},
        {0, "2x2x2: a mirrored corner", {{ufr2_f, ufr2_r}}, TCubeFault::Corners, ufr2},
        {0, "2x2x2: a twisted corner", {{ufr2_u, ufr2_f}, {ufr2_f, ufr2_r}}, TCubeFault::TwistedCorner, ufr2},
        // UFL turned into UFR's place and back: a lone swap, which a 2x2x2 cube can make.
        {0, "2x2x2: swapped", {{ufr2_f, ufl2_l}, {ufr2_r, ufl2_f}}, TCubeFault::None, {}},
    };
    for (const auto& [size, name, swaps, fault, stickers] : cases) {
        SCOPED_TRACE(name);
        TRubikCube cube = testsupport::CleanCube("", size);
        for (const auto& [a, b] : swaps) {
            b < 0 ? void(Colour(cube, a) = b == -1 ? NoColor : 1)
                  : std::swap(Colour(cube, a), Colour(cube, b));
        }
        const TCubeCheck check = CheckCube(cube);
        EXPECT_EQ(check.Fault, fault) << check.Reason;
        EXPECT_EQ(check.Reason.empty(), fault == TCubeFault::None);
        if (!stickers.empty()) {
            EXPECT_EQ(check.Stickers, stickers);
        }
    }
}

TEST(CubeCheck, OnlySolvedCubesHaveUniformFaces) {
    TRubikCube cube = testsupport::CleanCube();
    EXPECT_TRUE(FacesAreUniform(cube));
    ASSERT_TRUE(cube.PerformMoves("V0")); // a slice leaves four faces mixed
    EXPECT_FALSE(FacesAreUniform(cube));
    ASSERT_TRUE(cube.PerformMoves("V0i"));
    EXPECT_TRUE(FacesAreUniform(cube));
    cube.Empty();
    EXPECT_FALSE(FacesAreUniform(cube));
}

} // namespace
