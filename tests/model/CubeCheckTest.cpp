// The check that tells a user why a painted cube cannot be real: one crafted cube per fault, and real
// cubes (any sequence of turns) always pass.
#include "model/CubeCheck.h"

#include "CubeGeometry.h"
#include "model/Random.h"

#include <functional>
#include <gtest/gtest.h>

namespace {

using geometry::Vec;

// The sticker id of the face with this normal on the cubie at p (doubled coordinates, -2..2).
int At(Vec cubie, Vec normal) {
    return geometry::StickerAt(3, 2 * cubie + normal, normal);
}

const Vec U{0, 1, 0}, D{0, -1, 0}, F{0, 0, 1}, B{0, 0, -1}, R{1, 0, 0}, L{-1, 0, 0};

std::uint8_t& Colour(TRubikCube& cube, int id) {
    return cube.GetState().Cubies[id / 9][id % 9].Color;
}

void Swap(TRubikCube& cube, int a, int b) {
    std::swap(Colour(cube, a), Colour(cube, b));
}

TEST(CubeCheck, RealCubesPass) {
    TRubikCube cube(1);
    cube.Clean();
    EXPECT_EQ(CheckCube(cube).Fault, TCubeFault::None);
    RandomSeed(2026);
    for (int i = 0; i < 200; ++i) {
        std::string moves;
        cube.Clean();
        cube.RandomMoves(1 + i % 40, moves);
        ASSERT_TRUE(cube.PerformMoves(moves));
        const TCubeCheck check = CheckCube(cube);
        EXPECT_EQ(check.Fault, TCubeFault::None) << moves << ": " << check.Reason;
    }
    TRubikCube small(0);
    small.Empty();
    EXPECT_EQ(CheckCube(small).Fault, TCubeFault::None) << "only the 3x3x3 cube is checked";
}

TEST(CubeCheck, EachFaultIsNamedWithItsStickers) {
    const int uf_u = At(U + F, U), uf_f = At(U + F, F);
    const int db_d = At(D + B, D);
    const int ufr_u = At(U + F + R, U), ufr_f = At(U + F + R, F), ufr_r = At(U + F + R, R);
    const int ur_u = At(U + R, U), ur_r = At(U + R, R);
    struct TCase {
        const char* Name;
        std::function<void(TRubikCube&)> Paint;
        TCubeFault Fault;
        std::vector<int> Stickers; // empty: not checked
    };
    const TCase cases[] = {
        {"two stickers without colour",
         [&](TRubikCube& c) {
             Colour(c, 3) = NoColor;
             Colour(c, 50) = NoColor;
         },
         TCubeFault::Uncoloured,
         {3, 50}},
        {"the U centre painted like the F centre, counts kept",
         [&](TRubikCube& c) { Swap(c, 4, uf_f); },
         TCubeFault::Centres,
         {4, 13}},
        {"a tenth red sticker", [&](TRubikCube& c) { Colour(c, 0) = 1; }, TCubeFault::ColourCount, {}},
        {"an edge with two opposite colours",
         [&](TRubikCube& c) { Swap(c, uf_f, db_d); },
         TCubeFault::Edges,
         {}},
        {"the same corner twice, counts kept",
         [&](TRubikCube& c) {
             // U of UFR onto the D sticker of DFR: DFR's colours twice over.
             Swap(c, ufr_u, At(D + F + R, D));
         },
         TCubeFault::Corners,
         {}},
        {"one flipped edge",
         [&](TRubikCube& c) { Swap(c, uf_u, uf_f); },
         TCubeFault::FlippedEdge,
         {std::min(uf_u, uf_f), std::max(uf_u, uf_f)}},
        {"one twisted corner",
         [&](TRubikCube& c) {
             Swap(c, ufr_u, ufr_f);
             Swap(c, ufr_f, ufr_r);
         },
         TCubeFault::TwistedCorner,
         {}},
        {"two edges swapped",
         [&](TRubikCube& c) {
             Swap(c, uf_u, ur_u);
             Swap(c, uf_f, ur_r);
         },
         TCubeFault::Parity,
         {}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TRubikCube cube(1);
        cube.Clean();
        c.Paint(cube);
        const TCubeCheck check = CheckCube(cube);
        EXPECT_EQ(check.Fault, c.Fault) << check.Reason;
        EXPECT_FALSE(check.Reason.empty());
        if (!c.Stickers.empty()) {
            EXPECT_EQ(check.Stickers, c.Stickers);
        }
        if (c.Fault == TCubeFault::TwistedCorner) {
            EXPECT_EQ(check.Stickers, (std::vector<int>{ufr_u, ufr_f, ufr_r})) << "the one twisted corner";
        }
    }
    // On a turned cube the pieces at those places are others, and the faults are the same kinds.
    for (const TCase& c : cases) {
        SCOPED_TRACE(std::string(c.Name) + ", after turns");
        if (c.Fault == TCubeFault::Edges || c.Fault == TCubeFault::Corners ||
            c.Fault == TCubeFault::Centres) {
            continue; // these paint home colours, which the turns have moved elsewhere
        }
        TRubikCube cube(1);
        cube.Clean();
        ASSERT_TRUE(cube.PerformMoves("R U Fi L2 D B2 Ri"));
        c.Paint(cube);
        EXPECT_EQ(CheckCube(cube).Fault, c.Fault) << CheckCube(cube).Reason;
    }
}

} // namespace

TEST(CubeCheck, OnlySolvedCubesHaveUniformFaces) {
    TRubikCube cube(1);
    cube.Clean();
    EXPECT_TRUE(FacesAreUniform(cube));
    ASSERT_TRUE(cube.PerformMoves("M0 M0i V0")); // a slice leaves four faces mixed
    EXPECT_FALSE(FacesAreUniform(cube));
    cube.Clean();
    ASSERT_TRUE(cube.PerformMoves("R"));
    EXPECT_FALSE(FacesAreUniform(cube));
    ASSERT_TRUE(cube.PerformMoves("Ri"));
    EXPECT_TRUE(FacesAreUniform(cube));
    Colour(cube, 4) = NoColor;
    EXPECT_FALSE(FacesAreUniform(cube));
    cube.Empty();
    EXPECT_FALSE(FacesAreUniform(cube));
}
