// The move thread and the preview spinner on a real view: frames of every turn, the model changing
// only after each quarter's last frame, queue order, and clean ends in every state.
#include "animation/Thread.h"
#include "sound/Sound.h"
#include "support/PaintedCube.h"
#include "support/ViewFixture.h"
#include "view/Cube3D.h"

#include <QCoreApplication>
#include <QTest>
#include <QWidget>
#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <thread>
#include <tuple>
#include <vector>

namespace {

struct TFrame {
    std::int32_t LayerX, LayerY, LayerZ;
    float Angle;
    CubeState0 Model; // the model as the frame drew it
    bool Busy;        // the view's MoveInProgress while the frame was drawn
    bool Sounding;    // the rotation sound's source was playing
};

class MoveThreadTest : public ::testing::Test {
protected:
    void SetUp() override {
        View = MakeView();
        ASSERT_NE(View, nullptr);
    }

    // Small frames keep a hundred turns quick on a software renderer.
    std::unique_ptr<TCube3D> MakeView() {
        return testsupport::StartView(
            Window, 48, [](tCubeSettings& s) { s.CubeFaceRotationSpeed = 2; }, 1,
            [this](TCube3D& view) {
                view.SetFrameObserver(
                    [this, v = &view](std::int32_t x, std::int32_t y, float angle, std::int32_t z) {
                        std::lock_guard lock(FramesLock);
                        if (x == NoLayer && y == NoLayer && z == NoLayer) {
                            ++Redraws; // an ordinary redraw, not a turn
                            return;
                        }
                        Frames.push_back({x, y, z, angle, v->CubeState(), v->IsMoveInProgress(),
                                          RotationSound().Inspect().Sounding});
                    });
            });
    }

    // Runs moves and waits (serving the UI thread) until the queue is empty and no move is being
    // performed; gives the frames drawn since the last call (moves queued before it included).
    std::vector<TFrame> Run(const std::string& moves, bool animate = true) {
        EXPECT_TRUE(View->ExecuteMoves(moves, animate, false, nullptr));
        EXPECT_TRUE(QTest::qWaitFor([this] { return View->MovesFinished(); }, 120000)) << "moves left";
        EXPECT_FALSE(View->IsMoveInProgress());
        std::lock_guard lock(FramesLock);
        return std::exchange(Frames, {});
    }

    int RedrawCount() {
        std::lock_guard lock(FramesLock);
        return Redraws;
    }

    // The frames first: they outlive the view, whose move thread adds to them until it ends.
    std::mutex FramesLock;
    std::vector<TFrame> Frames;
    int Redraws = 0;
    QWidget Window;
    std::unique_ptr<TCube3D> View;
};

TEST_F(MoveThreadTest, EachTurnDrawsItsLayerAndAnglesThenChangesTheModel) {
    constexpr std::int32_t N = NoLayer;
    // The move, its turning layer (x, y, z), whether its angles fall from 360 to 270 (clockwise about the
    // positive axis) or rise from 0 to 90, its animated quarter turns, the speed, and frames per quarter
    // (odd speeds give the nearest).
    using I = std::int32_t;
    const std::tuple<const char*, I, I, I, bool, int, I, int> cases[] = {
        {"D", N, 0, N, false, 1, 2, 21}, {"F2", N, N, 2, true, 2, 2, 21}, {"Li", 0, N, N, true, 1, 2, 21},
        {"B", N, N, 0, false, 1, 2, 21}, {"V0", 1, N, N, true, 1, 2, 21}, {"H0i", N, 1, N, false, 1, 2, 21},
        {"R", 2, N, N, true, 1, 0, 91},  {"R", 2, N, N, true, 1, 1, 46},  {"R", 2, N, N, true, 1, -5, 91},
        {"R", 2, N, N, true, 1, 9, 21},
    };
    // The rotation sound runs for as long as a turn does.
    InitSound(TORVANE_PROGRAM_DIR);
    ASSERT_EQ(SoundFailure(), "");
    testsupport::Apply(*View, [](tCubeSettings& s) { s.SoundsON = true; });
    for (const auto& [move, x, y, z, falling, quarters, speed, perQuarter] : cases) {
        SCOPED_TRACE(std::string(move) + " at speed " + std::to_string(speed));
        View->ChangeCube([](TRubikCube& cube) { cube.Clean(); });
        testsupport::Apply(*View, [&](tCubeSettings& s) { s.CubeFaceRotationSpeed = speed; });
        const std::vector<TFrame> frames = Run(move);
        ASSERT_EQ(frames.size(), static_cast<std::size_t>(perQuarter * quarters));
        const float step = 90.0f / static_cast<float>(perQuarter - 1);
        for (std::size_t i = 0; i < frames.size(); ++i) {
            const float k = static_cast<float>(i % perQuarter);
            EXPECT_EQ(std::tuple(frames[i].LayerX, frames[i].LayerY, frames[i].LayerZ), std::tuple(x, y, z));
            EXPECT_FLOAT_EQ(frames[i].Angle, falling ? 360 - k * step : k * step) << "frame " << i;
            // Every frame of a quarter draws the model from before that quarter.
            const std::string before =
                i < static_cast<std::size_t>(perQuarter) ? "" : std::string(1, move[0]);
            EXPECT_EQ(frames[i].Model.Cubies, testsupport::After(before).Cubies) << "frame " << i;
            EXPECT_TRUE(frames[i].Busy && frames[i].Sounding);
        }
        EXPECT_EQ(View->CubeState().Cubies, testsupport::After(move).Cubies);
        EXPECT_FALSE(RotationSound().Inspect().Sounding);
    }
    CloseSound();
}

// The history they leave is the game window's test.
TEST_F(MoveThreadTest, QueuedMovesRunInOrderAndUnanimatedOnesAtOnce) {
    EXPECT_EQ(Run("R U Fi").size(), 63u);
    // In that order: they do not commute.
    EXPECT_EQ(View->CubeState().Cubies, testsupport::After("R U Fi").Cubies);
    // Many moves, animated or not (then nothing is drawn), all reach the model.
    for (const bool animate : {false, true}) {
        std::string moves;
        TRubikCube(1).RandomMoves(20, moves);
        View->ChangeCube([](TRubikCube& cube) { cube.Clean(); });
        EXPECT_EQ(Run(moves, animate).empty(), !animate);
        EXPECT_EQ(View->CubeState().Cubies, testsupport::After(moves).Cubies);
    }
}

TEST_F(MoveThreadTest, FreeingAViewEndsItsThreadsInEveryState) {
    View.reset(); // idle
    const auto frames = [this] {
        std::lock_guard lock(FramesLock);
        return Frames;
    };
    // Mid-turn with a full queue: the turn being performed ends, the rest is dropped.
    View = MakeView();
    testsupport::Apply(*View, [](tCubeSettings& s) { s.CubeFaceRotationSpeed = 0; }); // 91 frames a quarter
    ASSERT_TRUE(View->ExecuteMoves("R U F B L D R U F B", true, false, nullptr));
    while (!View->IsMoveInProgress()) {
        std::this_thread::yield();
    }
    bool ran = false;
    View->QueueCommand([&] { ran = true; }); // dropped with the view, never run on a freed one
    View.reset();
    EXPECT_FALSE(ran);
    const std::vector<TFrame> drawn = frames();
    EXPECT_LE(drawn.size(), 91u);
    for (const TFrame& f : drawn) {
        EXPECT_EQ(std::tuple(f.LayerX, f.LayerY, f.LayerZ), std::tuple(2, NoLayer, NoLayer))
            << "only R was turning";
    }
    // Spinning, with a redraw waiting for this (the UI) thread that is not served before the view goes.
    View = MakeView();
    const float azimuth = View->GetEnvAzimuth();
    View->SetAutoRotate(true);
    while (View->GetEnvAzimuth() == azimuth) {
        std::this_thread::yield();
    }
    const int redraws = RedrawCount();
    View.reset();
    // The hand-off the spinner posted is delivered now: dropped, it must not draw the freed view.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(RedrawCount(), redraws);
    EXPECT_EQ(frames().size(), drawn.size());
}

TEST_F(MoveThreadTest, PreviewsSpinByThemselves) {
    View->ResetEnvironmentView();
    const TMatrix4 start = View->GetArcBall().GetRotation();
    View->SetAutoRotate(true);
    View->SetAutoRotate(true); // a second switch-on leaves one thread running
    // Each step waits for its redraw on this (the UI) thread before the next.
    const int before = RedrawCount();
    EXPECT_TRUE(QTest::qWaitFor([&] { return RedrawCount() >= before + 5; }, 30000));
    View->SetAutoRotate(false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !View->Spinning(); }, 30000)) << "switched off, it stops";
    const float azimuth = View->GetEnvAzimuth();
    EXPECT_LT(azimuth, 90.0f) << "the environment camera turned";
    EXPECT_NE(View->GetArcBall().GetRotation(), start) << "the cube turned";
    QCoreApplication::processEvents();
    EXPECT_FLOAT_EQ(View->GetEnvAzimuth(), azimuth) << "switched off, it stays still";
}

} // namespace
