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

// A zero radius is a window that has no width yet: the orientation stays as it was (NaN fails too).
TEST(ArcBall, TurnsAsWorkedOutByHandAndNotAtAllOnAZeroRadius) {
    // Radius 320, drags of 60 pixels: each turns by 2 asin(0.1875) = 21.6 degrees, first about the
    // screen's vertical axis, then about its horizontal one. With c = 1 - 2 * 0.1875^2 and
    // s = 2 * 0.1875 * sqrt(1 - 0.1875^2) the result is Rx * Ry =
    //   | c      0   s    |
    //   | s^2    c   -sc  |
    //   | -sc    s   c^2  |
    const float c = 0.9296875f, s = 0.3683489f;
    const TMatrix4 turned = {c, s * s, -s * c, 0, 0, c, s, 0, s, -s * c, c * c, 0, 0, 0, 0, 1};
    for (const auto& [radius, expected] : {std::pair{320.0f, turned}, {0.0f, IdentityMatrix()}}) {
        SCOPED_TRACE(radius);
        TArcBall ball;
        ball.Reset(radius);
        ball.TurnBy(60, 60);
        ExpectMatrixNear(ball.GetRotation(), expected);
    }
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

} // namespace
