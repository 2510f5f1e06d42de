// What the view really draws, read back from the frame: sticker colours where the stickers must be,
// the background around them, changes in the model, and a turned layer.
#include "support/StickerPixels.h"
#include "support/ViewFixture.h"
#include "view/Cube3D.h"

#include <QTest>
#include <QWidget>
#include <cmath>
#include <future>
#include <gtest/gtest.h>
#include <memory>
#include <thread>

namespace {

using testsupport::TFrame;
using testsupport::TPixel;

constexpr int Side = 320;
constexpr std::uint32_t Background = 0x402010; // blue 0x40, green 0x20, red 0x10

// Sticker centres in the cube's frame: the sticker surface lies 1.0 out from its cubie's centre.
constexpr float Out = 1.98f + 1.0f;
constexpr TVector3 UCentre{0, Out, 0}, FCentre{0, 0, Out}, LCentre{-Out, 0, 0};

class DrawingTest : public ::testing::Test {
protected:
    void SetUp() override {
        View =
            testsupport::StartView(Window, Side, [](TCube3D& v) { v.Settings.BackgroundColor = Background; });
        ASSERT_NE(View, nullptr);
    }

    TPixel At(const TFrame& f, TVector3 p) const {
        const QPoint q = testsupport::ProjectToWindow(*View, p, Side, Side);
        return f.At(q.x(), q.y());
    }

    // The face colour (code 0..6) a lit pixel shows: nearest in hue and saturation, brightness aside;
    // -1 where it is too dark to be a sticker.
    int ColorAt(const TFrame& f, TVector3 point) const {
        const TPixel p = At(f, point);
        const double m = std::max({p.r, p.g, p.b, 1});
        int best = -1;
        double bestDistance = 1e9;
        for (int code = 0; code < 7; ++code) {
            const TRGB c = TCube3D::ColorToGL(View->Settings.FaceColors[code]);
            const double cm = std::max({c.Red, c.Green, c.Blue});
            const double d = std::pow(p.r / m - c.Red / cm, 2) + std::pow(p.g / m - c.Green / cm, 2) +
                             std::pow(p.b / m - c.Blue / cm, 2);
            if (d < bestDistance) {
                bestDistance = d;
                best = code;
            }
        }
        return m < 40 ? -1 : best;
    }

    QWidget Window;
    std::unique_ptr<TCube3D> View;
};

TEST_F(DrawingTest, StandardViewShowsTheThreeFacesAndTheBackground) {
    const TFrame f = testsupport::Capture(*View);
    // With the built-in colours U is blue, F red and L white; the standard view shows those three.
    EXPECT_EQ(ColorAt(f, UCentre), 0);
    EXPECT_EQ(ColorAt(f, FCentre), 1);
    EXPECT_EQ(ColorAt(f, LCentre), 4);
    for (const QPoint corner :
         {QPoint(0, 0), QPoint(Side - 1, 0), QPoint(0, Side - 1), QPoint(Side - 1, Side - 1)}) {
        const TPixel p = f.At(corner.x(), corner.y());
        EXPECT_EQ(p.r | p.g << 8 | p.b << 16, Background);
    }
    const TPixel gap = At(f, {0.99f, 0, Out - 0.005f});
    EXPECT_LT(std::max({gap.r, gap.g, gap.b}), 40) << "between two stickers lies the black cubie body";
}

TEST_F(DrawingTest, ModelChangesShowInTheNextFrame) {
    View->Cube->TurnFace(0);                             // U: F's top row now shows R's colour (yellow)
    View->Cube->GetState().Cubies[1][4].Color = 5;       // F centre painted green
    View->Cube->GetState().Cubies[4][4].Color = NoColor; // L centre unpainted: grey
    TFrame f = testsupport::Capture(*View);
    EXPECT_EQ(ColorAt(f, {0, 1.98f, Out}), 2);
    EXPECT_EQ(ColorAt(f, FCentre), 5);
    EXPECT_EQ(ColorAt(f, {0, -1.98f, Out}), 1) << "F's bottom row is unchanged";
    const TPixel p = At(f, LCentre);
    EXPECT_LT(std::abs(p.r - p.g) + std::abs(p.g - p.b), 12) << "an unpainted sticker is grey";

    // A colour change shows without rebuilding anything.
    View->Settings.FaceColors[0] = 0xFF00FF; // U magenta
    f = testsupport::Capture(*View);
    const TPixel magenta = At(f, UCentre);
    EXPECT_GT(magenta.r, 100);
    EXPECT_GT(magenta.b, 100);
    EXPECT_LT(magenta.g, magenta.r / 3);
}

TEST_F(DrawingTest, TurnedLayerOpensAGapToTheRest) {
    // Look straight down on U: a quarter turn about x brings +y to the viewer.
    View->ArcBall->SetRotation({1, 0, 0, 0, 0, 0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1});
    const TVector3 corner{2.4f, Out, 2.4f}; // on U's corner sticker, outside the U layer turned by 45
    TFrame f = testsupport::Capture(*View);
    EXPECT_EQ(ColorAt(f, corner), 0);
    EXPECT_EQ(ColorAt(f, UCentre), 0);

    // The U layer turned by 45 degrees no longer covers the corner: there the middle layer's top,
    // black cubie faces without stickers, shows through. The layer's own centre stays where it was.
    f = testsupport::Capture(*View, 2, 45);
    EXPECT_EQ(ColorAt(f, corner), -1) << "black between the turned layer and the rest";
    EXPECT_EQ(ColorAt(f, UCentre), 0);
    // The layer really turned: a corner sticker now lies over the middle of the R edge.
    EXPECT_EQ(ColorAt(f, {1.98f * 1.41421f, Out, 0}), 0);
}

TEST_F(DrawingTest, NothingDrawsWithoutAContextAndFailuresReleaseTheLock) {
    QWidget bare;
    bare.resize(50, 50);
    TCube3D unready(&bare, &bare, 1);
    unready.Draw(); // never initialised: no context, nothing drawn, nothing raised
    unready.Redraw();
    EXPECT_EQ(ActivationCount(), 0);

    // Another thread holds the view's context: drawing here fails and leaves neither the view's lock
    // held nor anything active on this thread.
    std::promise<void> held, release;
    std::thread other([&] {
        ActivateGLContext(View->DC, View->RC);
        held.set_value();
        release.get_future().wait();
        DeactivateGLContext();
    });
    held.get_future().wait();
    EXPECT_THROW(View->Draw(), EOpenGLException);
    EXPECT_EQ(ActivationCount(), 0);
    EXPECT_TRUE(std::async(std::launch::async, [&] {
                    return std::unique_lock(View->Lock, std::try_to_lock).owns_lock();
                }).get());
    release.set_value();
    other.join();
    EXPECT_EQ(ColorAt(testsupport::Capture(*View), FCentre), 1) << "and the view draws again";
}

TEST_F(DrawingTest, CameraLimits) {
    const struct {
        bool Environment;
        float Before, Step;
        bool Moved;
        float After;
    } cases[] = {{false, 10, -1, true, 9},
                 {false, 9, -1, false, 9},
                 {false, 27, 1, false, 27},
                 {true, 80, 3, false, 80},
                 {true, 80, -3, true, 77}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Before + c.Step);
        std::atomic<float>& distance = c.Environment ? View->EnvDistance : View->CubeDistance;
        distance = c.Before;
        EXPECT_EQ(c.Environment ? View->MoveEnvironment(c.Step) : View->ZoomCube(c.Step), c.Moved);
        EXPECT_FLOAT_EQ(distance, c.After);
    }
}

TEST_F(DrawingTest, SurfaceFollowsTheWindowAndRefreshComesBackFromAnyThread) {
    const auto background = [](TPixel p) { return (p.r | p.g << 8 | p.b << 16) == Background; };
    Window.resize(200, 120);
    QTest::qWait(50);
    TFrame f = testsupport::Capture(*View);
    ASSERT_EQ(f.Width, 200);
    ASSERT_EQ(f.Height, 120);
    EXPECT_FALSE(background(f.At(100, 60))) << "the cube sits in the middle of the new frame";

    // In a tall window the whole cube stays in sight: its sides are not cut off by the frame's edges.
    Window.resize(120, 260);
    QTest::qWait(50);
    f = testsupport::Capture(*View);
    ASSERT_EQ(f.Width, 120);
    for (int y = 0; y < f.Height; ++y) {
        ASSERT_TRUE(background(f.At(0, y)) && background(f.At(f.Width - 1, y))) << "row " << y;
    }

    // Refresh from a worker: the redraw runs on the UI thread while the worker waits for it.
    View->Settings.Lighting = false; // something for Redraw to apply
    std::future<void> refreshed = std::async(std::launch::async, [&] { View->Refresh(); });
    for (int i = 0; i < 200 && refreshed.wait_for(std::chrono::seconds(0)) != std::future_status::ready;
         ++i) {
        QTest::qWait(10);
    }
    EXPECT_EQ(refreshed.wait_for(std::chrono::seconds(0)), std::future_status::ready) << "Refresh came back";
    refreshed.wait();
    EXPECT_NE(View->GetGLRenderer(), "");
    EXPECT_NE(View->GetGLVendor(), "");
}

} // namespace
