// The arcball: sphere mapping, drags and the standard view.
#include "view/ArcBall.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

constexpr float Eps = 1e-4f;

void ExpectMatrixNear(const TMatrix4& actual, const TMatrix4& expected, float eps = Eps) {
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(actual[i], expected[i], eps)
            << "element " << i << " (row " << i % 4 << ", column " << i / 4 << ")";
    }
}

void Drag(TArcBall& ball, float x0, float y0, float x1, float y1) {
    ball.MouseTo(x0, y0);
    ball.BeginDrag();
    ball.MouseTo(x1, y1);
    ball.EndDrag();
}

TEST(ArcBall, MapsPointsInsideOntoTheSphereAndOutsideOntoTheRim) {
    struct Case {
        float x, y;
        TVector3 expected;
    };
    const Case cases[] = {
        {0, 0, {0, 0, 1}},   {0.6f, 0, {0.6f, 0, 0.8f}}, {0, -0.8f, {0, -0.8f, 0.6f}},
        {1, 0, {1, 0, 0}},   {3, 4, {0.6f, 0.8f, 0}}, // outside: the nearest rim point
        {-2, 0, {-1, 0, 0}},
    };
    for (const Case& c : cases) {
        const TVector3 p = TArcBall::MapToSphere(c.x, c.y);
        EXPECT_NEAR(p.x, c.expected.x, Eps) << c.x << "," << c.y;
        EXPECT_NEAR(p.y, c.expected.y, Eps) << c.x << "," << c.y;
        EXPECT_NEAR(p.z, c.expected.z, Eps) << c.x << "," << c.y;
    }
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
    EXPECT_FALSE(ball.IsDragging());
    ExpectMatrixNear(ball.GetBaseRotation(), ball.GetRotation());
}

TEST(ArcBall, DragsComposeAndUndo) {
    TArcBall ball;
    ball.Reset(150);
    ball.TurnBy(0, 0);
    ExpectMatrixNear(ball.GetRotation(), IdentityMatrix());

    Drag(ball, 150, 150, 150, 150); // a click is no turn
    ExpectMatrixNear(ball.GetRotation(), IdentityMatrix());

    // Two drags give the product of their turns, the second applied after the first.
    TArcBall first, second;
    first.Reset(150);
    second.Reset(150);
    Drag(first, 150, 150, 200, 150);
    Drag(second, 150, 150, 150, 210);
    TArcBall both;
    both.Reset(150);
    Drag(both, 150, 150, 200, 150);
    Drag(both, 150, 150, 150, 210);
    ExpectMatrixNear(both.GetRotation(), Multiply(second.GetRotation(), first.GetRotation()));

    // Beyond the rim behaves as the rim: a drag to twice the radius equals one to the rim.
    TArcBall far, rim;
    far.Reset(100);
    rim.Reset(100);
    Drag(far, 100, 100, 300, 100);
    Drag(rim, 100, 100, 200, 100);
    ExpectMatrixNear(far.GetRotation(), rim.GetRotation());
    // From the centre to the rim is half a turn.
    EXPECT_NEAR(Transform(rim.GetRotation(), {0, 0, 1}).z, -1, Eps);
}

TEST(ArcBall, ZeroRadiusLeavesTheOrientationAlone) {
    TArcBall ball;
    ball.Reset(0); // a window that has no width yet
    ball.TurnBy(60, 60);
    for (float v : ball.GetRotation()) {
        EXPECT_FALSE(std::isnan(v));
    }
    ExpectMatrixNear(ball.GetRotation(), IdentityMatrix());
}

} // namespace
