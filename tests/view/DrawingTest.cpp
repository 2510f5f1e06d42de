// What the view really draws, read back from the frame: sticker colours where the stickers must be,
// the background around them, changes in the model, and a turned layer.
#include "support/StickerPixels.h"
#include "support/ViewFixture.h"
#include "view/Cube3D.h"

#include <QTest>
#include <QWidget>
#include <cmath>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <thread>

namespace {

constexpr int Side = 320;

struct TPixel {
    int r, g, b;
};

class DrawingTest : public ::testing::Test {
protected:
    void SetUp() override {
        Window = std::make_unique<QWidget>();
        View = testsupport::StartView(*Window, Side);
        ASSERT_NE(View, nullptr);
        View->Settings.BackgroundColor = 0x402010; // blue 0x40, green 0x20, red 0x10
    }

    void Capture(std::int32_t layerY = NoLayer, float angle = 0) {
        int w = 0, h = 0;
        Frame = View->CaptureFrame(w, h, NoLayer, layerY, angle, NoLayer);
        ASSERT_EQ(w, Side);
        ASSERT_EQ(h, Side);
    }

    // The pixel at window coordinates (x right, y down); the frame is stored bottom row first.
    TPixel At(int x, int y) const {
        const std::size_t i = (static_cast<std::size_t>(Side - 1 - y) * Side + x) * 4;
        return {Frame[i], Frame[i + 1], Frame[i + 2]};
    }

    QPoint Project(TVector3 p) const { return testsupport::ProjectToWindow(*View, p, Side, Side); }

    // The face colour (code 0..6) a lit pixel shows: nearest in hue and saturation, brightness aside.
    int Classify(TPixel p) const {
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
        return m < 40 ? -1 : best; // too dark to be a sticker
    }

    int ColorAt(TVector3 p) const {
        const QPoint q = Project(p);
        return Classify(At(q.x(), q.y()));
    }

    std::unique_ptr<QWidget> Window;
    std::unique_ptr<TCube3D> View;
    std::vector<std::uint8_t> Frame;
};

// Sticker centres in the cube's frame: the sticker surface lies 1.0 out from its cubie's centre.
constexpr float Out = 1.98f + 1.0f;
constexpr TVector3 UCentre{0, Out, 0}, FCentre{0, 0, Out}, LCentre{-Out, 0, 0};

TEST_F(DrawingTest, StandardViewShowsTheThreeFacesAndTheBackground) {
    Capture();
    // With the built-in colours U is blue, F red and L white; the standard view shows those three.
    EXPECT_EQ(ColorAt(UCentre), 0);
    EXPECT_EQ(ColorAt(FCentre), 1);
    EXPECT_EQ(ColorAt(LCentre), 4);
    for (const QPoint corner :
         {QPoint(0, 0), QPoint(Side - 1, 0), QPoint(0, Side - 1), QPoint(Side - 1, Side - 1)}) {
        const TPixel p = At(corner.x(), corner.y());
        EXPECT_EQ(p.r, 0x10);
        EXPECT_EQ(p.g, 0x20);
        EXPECT_EQ(p.b, 0x40);
    }
    // Between two stickers lies the black cubie body.
    const TPixel gap = [&] {
        const QPoint q = Project({0.99f, 0, Out - 0.005f});
        return At(q.x(), q.y());
    }();
    EXPECT_LT(std::max({gap.r, gap.g, gap.b}), 40);
}

TEST_F(DrawingTest, ModelChangesShowInTheNextFrame) {
    View->Cube->TurnFace(0);                             // U: F's top row now shows R's colour (yellow)
    View->Cube->GetState().Cubies[1][4].Color = 5;       // F centre painted green
    View->Cube->GetState().Cubies[4][4].Color = NoColor; // L centre unpainted: grey
    Capture();
    EXPECT_EQ(ColorAt({0, 1.98f, Out}), 2);
    EXPECT_EQ(ColorAt(FCentre), 5);
    EXPECT_EQ(ColorAt({0, -1.98f, Out}), 1) << "F's bottom row is unchanged";
    const QPoint grey = Project(LCentre);
    const TPixel p = At(grey.x(), grey.y());
    EXPECT_LT(std::abs(p.r - p.g) + std::abs(p.g - p.b), 12) << "an unpainted sticker is grey";

    // A colour change shows without rebuilding anything.
    View->Settings.FaceColors[0] = 0xFF00FF; // U magenta
    Capture();
    const QPoint u = Project(UCentre);
    const TPixel magenta = At(u.x(), u.y());
    EXPECT_GT(magenta.r, 100);
    EXPECT_GT(magenta.b, 100);
    EXPECT_LT(magenta.g, magenta.r / 3);
}

TEST_F(DrawingTest, TurnedLayerOpensAGapToTheRest) {
    // Look straight down on U: a quarter turn about x brings +y to the viewer.
    View->ArcBall->SetRotation({1, 0, 0, 0, 0, 0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1});
    const TVector3 corner{2.4f, Out, 2.4f}; // on U's corner sticker, outside the U layer turned by 45
    Capture();
    EXPECT_EQ(ColorAt(corner), 0);
    EXPECT_EQ(ColorAt(UCentre), 0);

    // The U layer turned by 45 degrees no longer covers the corner: there the middle layer's top,
    // black cubie faces without stickers, shows through. The layer's own centre stays where it was.
    Capture(2, 45);
    EXPECT_EQ(ColorAt(corner), -1) << "black between the turned layer and the rest";
    EXPECT_EQ(ColorAt(UCentre), 0);
    // The layer really turned: a corner sticker now lies over the middle of the R edge.
    EXPECT_EQ(ColorAt({1.98f * 1.41421f, Out, 0}), 0);
}

TEST_F(DrawingTest, NothingDrawsWithoutAContextAndFailuresReleaseTheLock) {
    QWidget bare;
    bare.resize(50, 50);
    TCube3D unready(&bare, &bare, 1);
    unready.Draw(); // never initialised: no context, nothing drawn, nothing raised
    unready.Redraw();
    EXPECT_EQ(ActivationCount(), 0);

    // Another thread holds the view's context: drawing here must fail with the service's text and
    // leave neither the view's lock held nor anything active on this thread.
    std::mutex m;
    std::condition_variable cv;
    bool held = false, release = false;
    std::thread other([&] {
        ActivateGLContext(View->DC, View->RC);
        {
            std::unique_lock l(m);
            held = true;
            cv.notify_all();
            cv.wait(l, [&] { return release; });
        }
        DeactivateGLContext();
    });
    {
        std::unique_lock l(m);
        cv.wait(l, [&] { return held; });
    }
    std::string message;
    try {
        View->Draw();
    } catch (const EOpenGLException& e) {
        message = e.what();
    }
    EXPECT_EQ(message, "Rendering context already active in another thread.");
    EXPECT_EQ(ActivationCount(), 0);
    bool lockFree = false;
    std::thread probe([&] {
        lockFree = View->Lock.try_lock();
        if (lockFree) {
            View->Lock.unlock();
        }
    });
    probe.join();
    EXPECT_TRUE(lockFree);
    {
        std::lock_guard l(m);
        release = true;
    }
    cv.notify_all();
    other.join();
    Capture(); // and the view draws again
    EXPECT_EQ(ColorAt(FCentre), 1);
}

TEST_F(DrawingTest, CameraLimits) {
    // Distance before, step, whether it moved, distance after.
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
    Window->resize(200, 120);
    QTest::qWait(50);
    int w = 0, h = 0;
    Frame = View->CaptureFrame(w, h);
    ASSERT_EQ(w, 200);
    ASSERT_EQ(h, 120);
    // The cube sits in the middle of the new frame, not in the old one's.
    const std::size_t centre = (static_cast<std::size_t>(60) * 200 + 100) * 4;
    EXPECT_NE(Frame[centre] | Frame[centre + 1] << 8 | Frame[centre + 2] << 16, 0x402010u);

    // In a tall window the whole cube stays in sight: its sides are not cut off by the frame's edges.
    Window->resize(120, 260);
    QTest::qWait(50);
    Frame = View->CaptureFrame(w, h);
    ASSERT_EQ(w, 120);
    int cut = 0;
    for (int y = 0; y < h; ++y) {
        for (const int x : {0, w - 1}) {
            const std::size_t i = (static_cast<std::size_t>(y) * w + x) * 4;
            cut += (Frame[i] | Frame[i + 1] << 8 | Frame[i + 2] << 16) != 0x402010u ? 1 : 0;
        }
    }
    EXPECT_EQ(cut, 0);

    // Refresh from a worker: the redraw runs on the UI thread while the worker waits for it.
    std::atomic<bool> done{false};
    View->Settings.Lighting = false; // something for Redraw to apply
    std::thread worker([&] {
        View->Refresh();
        done = true;
    });
    for (int i = 0; i < 200 && !done; ++i) {
        QTest::qWait(10);
    }
    worker.join();
    EXPECT_TRUE(done) << "Refresh from a worker came back";
    EXPECT_NE(View->GetGLRenderer(), "");
    EXPECT_NE(View->GetGLVendor(), "");
}

} // namespace
