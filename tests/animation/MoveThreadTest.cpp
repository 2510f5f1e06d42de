// The move thread and the preview spinner on a real view: frames of every turn, the model changing
// only after each quarter's last frame, queue order, and clean ends in every state.
#include "animation/Thread.h"
#include "view/Cube3D.h"

#include <QTest>
#include <QWidget>
#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct TFrame {
    std::int32_t LayerX, LayerY, LayerZ;
    float Angle;
    CubeState0 Model; // the model as the frame drew it
    bool operator==(const TFrame& o) const {
        return LayerX == o.LayerX && LayerY == o.LayerY && LayerZ == o.LayerZ && Angle == o.Angle;
    }
};

class MoveThreadTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(LoadGLLibraries());
        Window = std::make_unique<QWidget>();
        Window->resize(48, 48); // small frames keep a hundred turns quick on a software renderer
        Window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Window.get()));
        View = MakeView();
    }

    std::unique_ptr<TCube3D> MakeView() {
        auto view = std::make_unique<TCube3D>(Window.get(), Window.get(), 1);
        view->Cube->Clean();
        view->Mode = 1;
        view->Settings.CubeFaceRotationSpeed = 2;
        view->FrameObserver = [this, v = view.get()](std::int32_t x, std::int32_t y, float angle,
                                                     std::int32_t z) {
            if (x == NoLayer && y == NoLayer && z == NoLayer) {
                return; // an ordinary redraw, not a turn
            }
            std::lock_guard lock(FramesLock);
            Frames.push_back({x, y, z, angle, v->CubeState()});
        };
        view->Init();
        return view;
    }

    // Waits (serving the UI thread) until the queue is empty and no move is being performed.
    bool Drain(TCube3D& view, std::chrono::seconds limit = std::chrono::seconds(60)) {
        const auto end = Clock::now() + limit;
        while (Clock::now() < end) {
            if (view.MovesFinished()) {
                return true;
            }
            QTest::qWait(5);
        }
        return false;
    }

    std::vector<TFrame> TakeFrames() {
        std::lock_guard lock(FramesLock);
        return std::exchange(Frames, {});
    }

    CubeState0 After(const std::string& moves) {
        TRubikCube cube(1);
        cube.Clean();
        EXPECT_TRUE(cube.PerformMoves(moves));
        return cube.GetState();
    }

    // The frames first: they outlive the view, whose move thread adds to them until it ends.
    std::mutex FramesLock;
    std::vector<TFrame> Frames;
    std::unique_ptr<QWidget> Window;
    std::unique_ptr<TCube3D> View;
};

// Angles of a quarter turn: falling from 360 to 270 (clockwise about the positive axis) or rising.
std::vector<float> Angles(float step, bool falling) {
    std::vector<float> a;
    if (falling) {
        for (float x = 360; x >= 270; x -= step) {
            a.push_back(x);
        }
    } else {
        for (float x = 0; x <= 90; x += step) {
            a.push_back(x);
        }
    }
    return a;
}

TEST_F(MoveThreadTest, EachTurnDrawsItsLayerAndAnglesThenChangesTheModel) {
    struct Case {
        const char* move;
        std::int32_t x, y, z; // the turning layer
        bool falling;
        int quarters; // animated quarter turns
    };
    const Case cases[] = {
        {"U", NoLayer, 2, NoLayer, true, 1},   {"D", NoLayer, 0, NoLayer, false, 1},
        {"Ui", NoLayer, 2, NoLayer, false, 1}, {"F2", NoLayer, NoLayer, 2, true, 2},
        {"B", NoLayer, NoLayer, 0, false, 1},  {"Li", 0, NoLayer, NoLayer, true, 1},
        {"V0", 1, NoLayer, NoLayer, true, 1},  {"H0i", NoLayer, 1, NoLayer, false, 1},
        {"M0", NoLayer, NoLayer, 1, true, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.move);
        View->ChangeCube([](TRubikCube& cube) { cube.Clean(); });
        TakeFrames();
        ASSERT_TRUE(View->ExecuteMoves(c.move, true, false, nullptr));
        ASSERT_TRUE(Drain(*View));
        const std::vector<TFrame> frames = TakeFrames();
        const std::vector<float> angles = Angles(4.5f, c.falling);
        ASSERT_EQ(angles.size(), 21u);
        ASSERT_EQ(frames.size(), angles.size() * c.quarters);
        const CubeState0 clean = After("");
        for (std::size_t i = 0; i < frames.size(); ++i) {
            EXPECT_EQ(frames[i].LayerX, c.x);
            EXPECT_EQ(frames[i].LayerY, c.y);
            EXPECT_EQ(frames[i].LayerZ, c.z);
            EXPECT_FLOAT_EQ(frames[i].Angle, angles[i % angles.size()]);
            // Every frame of a quarter draws the model from before that quarter.
            const std::string before = i < angles.size() ? "" : std::string(1, c.move[0]);
            EXPECT_EQ(frames[i].Model.Cubies, After(before).Cubies) << "frame " << i;
        }
        EXPECT_EQ(View->Cube->GetState().Cubies, After(c.move).Cubies);
        EXPECT_NE(View->Cube->GetState().Cubies, clean.Cubies);
    }
}

TEST_F(MoveThreadTest, SpeedsGiveTheirFrameCountsAndOddSpeedsTheNearest) {
    const struct {
        std::int32_t speed;
        std::size_t frames;
    } cases[] = {{0, 91}, {1, 46}, {2, 21}, {-5, 91}, {9, 21}};
    for (const auto& c : cases) {
        View->Settings.CubeFaceRotationSpeed = c.speed;
        TakeFrames();
        ASSERT_TRUE(View->ExecuteMoves("R", true, false, nullptr));
        ASSERT_TRUE(Drain(*View));
        EXPECT_EQ(TakeFrames().size(), c.frames) << "speed " << c.speed;
    }
}

TEST_F(MoveThreadTest, QueuedMovesRunInOrderAndUnanimatedOnesAtOnce) {
    std::vector<std::string> history;
    ASSERT_TRUE(View->ExecuteMoves("R U Fi", true, true, &history));
    EXPECT_EQ(history, (std::vector<std::string>{"Ri", "Ui", "F"}));
    ASSERT_TRUE(Drain(*View));
    const std::vector<TFrame> frames = TakeFrames();
    ASSERT_EQ(frames.size(), 63u);
    EXPECT_EQ(frames[0].LayerX, 2);  // R first
    EXPECT_EQ(frames[21].LayerY, 2); // then U
    EXPECT_EQ(frames[42].LayerZ, 2); // then F, counter-clockwise: rising angles
    EXPECT_FLOAT_EQ(frames[42].Angle, 0);
    EXPECT_EQ(View->Cube->GetState().Cubies, After("R U Fi").Cubies);

    // A refused text queues and records nothing.
    EXPECT_FALSE(View->ExecuteMoves("R u", true, true, &history));
    EXPECT_EQ(history.size(), 3u);

    // Without animation nothing is drawn and the model is turned all the same.
    View->ChangeCube([](TRubikCube& cube) { cube.Clean(); });
    std::string hundred;
    View->Cube->RandomMoves(100, hundred);
    ASSERT_TRUE(View->ExecuteMoves(hundred, false, false, nullptr));
    ASSERT_TRUE(Drain(*View));
    EXPECT_TRUE(TakeFrames().empty());
    EXPECT_EQ(View->Cube->GetState().Cubies, After(hundred).Cubies);
}

TEST_F(MoveThreadTest, AHundredAnimatedMovesDrain) {
#ifdef __SANITIZE_THREAD__
    constexpr int count = 20; // every frame costs many times as much under ThreadSanitizer
#else
    constexpr int count = 100;
#endif
    std::string moves;
    View->Cube->RandomMoves(count, moves);
    View->ChangeCube([](TRubikCube& cube) { cube.Clean(); });
    ASSERT_TRUE(View->ExecuteMoves(moves, true, false, nullptr));
    ASSERT_TRUE(Drain(*View, std::chrono::seconds(120)));
    EXPECT_EQ(View->Cube->GetState().Cubies, After(moves).Cubies);
}

TEST_F(MoveThreadTest, ModelChangesNeverOverlapAMove) {
    // Clean from the UI thread while a turn runs: the clean and the turn's change of the model are
    // one step each, so the cube ends either clean (the turn came first) or turned once from clean
    // (the clean came first), never mixed.
    for (int round = 0; round < 5; ++round) {
        ASSERT_TRUE(View->ExecuteMoves("R", true, false, nullptr));
        View->ChangeCube([](TRubikCube& cube) { cube.Clean(); });
        ASSERT_TRUE(Drain(*View));
        const auto& now = View->Cube->GetState().Cubies;
        EXPECT_TRUE(now == After("").Cubies || now == After("R").Cubies);
        View->ChangeCube([](TRubikCube& cube) { cube.Clean(); });
    }
}

TEST_F(MoveThreadTest, FreeingAViewEndsItsThreadsInEveryState) {
    // Idle.
    View.reset();
    // Mid-turn with a full queue: the turn being performed ends, the rest is dropped.
    View = MakeView();
    View->Settings.CubeFaceRotationSpeed = 0; // 91 frames a quarter: surely still turning below
    ASSERT_TRUE(View->ExecuteMoves("R U F B L D R U F B", true, false, nullptr));
    while (!View->MoveInProgress) {
        std::this_thread::yield();
    }
    View.reset();
    // Spinning, with a redraw waiting for this (the UI) thread that will never be served.
    View = MakeView();
    View->SetAutoRotate(true);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    View.reset();
    QTest::qWait(20); // a dropped hand-off must not run on the freed view
    SUCCEED();
}

TEST_F(MoveThreadTest, PreviewsSpinByThemselves) {
    View->ResetEnvironmentView();
    const TMatrix4 start = View->ArcBall->GetRotation();
    View->SetAutoRotate(true);
    View->SetAutoRotate(true); // a second switch-on leaves one thread running
    QTest::qWait(300);
    View->SetAutoRotate(false);
    QTest::qWait(50);
    const float azimuth = View->EnvAzimuth;
    EXPECT_LT(azimuth, 90.0f) << "the environment camera turned";
    EXPECT_NE(View->ArcBall->GetRotation(), start) << "the cube turned";
    QTest::qWait(100);
    EXPECT_FLOAT_EQ(View->EnvAzimuth, azimuth) << "switched off, it stays still";

    TCube3D never(Window.get(), Window.get(), 1);
    never.SetAutoRotate(false); // never rotated, not even initialised: nothing happens
}

// The move thread drives only TThreadView: a recording stand-in shows what each move asks of a view.
class TRecordingView : public TThreadView {
public:
    TMovePace MovePace() override { return {4.5f, false}; }
    void SetMoveInProgress(bool On) override { Add(On ? "busy" : "idle"); }
    void AnimateQuarter(const TMove& Move, bool Clockwise, float) override {
        Add("animate " + Move.Name + (Clockwise ? " cw" : " ccw"));
    }
    void ApplyQuarters(const TMove& Move, int Quarters) override {
        Add("apply " + Move.Name + " x" + std::to_string(Quarters));
    }
    void SpinStep() override {}
    void Redraw() override {}
    QObject* HandOffContext() const override { return nullptr; }

    std::vector<std::string> Taken() {
        std::lock_guard lock(Mutex);
        return Calls;
    }

private:
    void Add(std::string Call) {
        std::lock_guard lock(Mutex);
        Calls.push_back(std::move(Call));
    }
    std::mutex Mutex;
    std::vector<std::string> Calls;
};

TEST(MoveThreadAlone, EachMoveAnimatesItsQuartersAndTurnsTheModelAfterEach) {
    const struct {
        const char* Move;
        std::vector<std::string> Calls;
    } cases[] = {
        {"U", {"busy", "animate U cw", "apply U x1", "idle"}},
        {"Ui", {"busy", "animate Ui ccw", "apply Ui x3", "idle"}},
        {"F2", {"busy", "animate F2 cw", "apply F2 x1", "animate F2 cw", "apply F2 x1", "idle"}},
    };
    for (const auto& c : cases) {
        TRecordingView view;
        TMakeMoveThread thread(view);
        thread.Start();
        const auto moves = ParseMoves(c.Move, 1, true);
        ASSERT_TRUE(moves && moves->size() == 1u);
        thread.AddMove(moves->front());
        thread.Wake();
        const auto end = Clock::now() + std::chrono::seconds(30);
        while (!thread.Idle() && Clock::now() < end) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        EXPECT_TRUE(thread.Idle());
        EXPECT_EQ(view.Taken(), c.Calls) << c.Move;
    }
}

} // namespace
