// The arcball: sphere mapping, drags and the standard view.
#include "view/ArcBall.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

constexpr float Eps = 1e-4f;

void ExpectMatrixNear(const TMatrix4& actual, const TMatrix4& expected) {
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(actual[i], expected[i], Eps) << "element " << i;
    }
}

// The rotation of a ball of the given radius after drags from one point to another, one after another.
TMatrix4 AfterDrags(float radius, std::initializer_list<std::array<float, 4>> drags) {
    TArcBall ball;
    ball.Reset(radius);
    for (const auto& [x0, y0, x1, y1] : drags) {
        ball.MouseTo(x0, y0);
        ball.BeginDrag();
        ball.MouseTo(x1, y1);
        ball.EndDrag();
    }
    return ball.GetRotation();
}

TEST(ArcBall, StandardViewAsWorkedOutByHand) {
    // Radius 320, drags of 60 pixels: each turns by 2 asin(0.1875) = 21.6 degrees, first about the
    // screen's vertical axis, then about its horizontal one. With c = 1 - 2 * 0.1875^2 and
    // s = 2 * 0.1875 * sqrt(1 - 0.1875^2) the result is Rx * Ry =
    //   | c      0   s    |
    //   | s^2    c   -sc  |
    //   | -sc    s   c^2  |
    TArcBall ball;
    ball.Reset(320);
    ball.TurnBy(60, 60);
    const float c = 0.9296875f, s = 0.3683489f;
    ExpectMatrixNear(ball.GetRotation(), {c, s * s, -s * c, 0, 0, c, s, 0, s, -s * c, c * c, 0, 0, 0, 0, 1});
}

TEST(ArcBall, DragsComposeAndUndo) {
    ExpectMatrixNear(AfterDrags(150, {{150, 150, 150, 150}}), IdentityMatrix()); // a click is no turn
    // Two drags give the product of their turns, the second applied after the first.
    ExpectMatrixNear(
        AfterDrags(150, {{150, 150, 200, 150}, {150, 150, 150, 210}}),
        Multiply(AfterDrags(150, {{150, 150, 150, 210}}), AfterDrags(150, {{150, 150, 200, 150}})));
    // Beyond the rim behaves as the rim: a drag to twice the radius equals one to the rim, half a turn.
    const TMatrix4 rim = AfterDrags(100, {{100, 100, 200, 100}});
    ExpectMatrixNear(AfterDrags(100, {{100, 100, 300, 100}}), rim);
    EXPECT_NEAR(Transform(rim, {0, 0, 1}).z, -1, Eps);
}

TEST(ArcBall, ZeroRadiusLeavesTheOrientationAlone) {
    TArcBall ball;
    ball.Reset(0); // a window that has no width yet
    ball.TurnBy(60, 60);
    ExpectMatrixNear(ball.GetRotation(), IdentityMatrix()); // NaN fails too
}

} // namespace
