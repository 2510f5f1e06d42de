// The move thread at work on the machine's GL (llvmpipe in CI), 640x480: frames per second during an
// animated turn, and the time from queueing a move to its first frame.
#include "animation/Thread.h"
#include "view/Cube3D.h"
#include "view/OpenGL.h"

#include <QApplication>
#include <QWidget>
#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>
#include <memory>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

struct TBench {
    std::unique_ptr<QWidget> Window;
    std::unique_ptr<TCube3D> View;
    std::atomic<int> Frames{0};
    std::atomic<Clock::rep> FirstFrame{0};

    TBench() {
        Window = std::make_unique<QWidget>();
        Window->resize(640, 480);
        Window->show();
        QApplication::processEvents();
        View = std::make_unique<TCube3D>(Window.get(), Window.get(), 1);
        View->ChangeCube([](TRubikCube& Cube) { Cube.Clean(); });
        tCubeSettings settings = View->GetSettings();
        settings.CubeFaceRotationSpeed = 1; // 46 frames a quarter turn
        View->ApplySettings(settings);
        View->SetFrameObserver([this](std::int32_t, std::int32_t, float, std::int32_t) {
            if (Frames++ == 0) {
                FirstFrame = Clock::now().time_since_epoch().count();
            }
        });
        View->Init();
    }

    void WaitIdle() {
        while (!View->MovesFinished()) {
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    }
};

void AnimatedTurnFrames(benchmark::State& state) {
    TBench b;
    for (auto _ : state) {
        b.Frames = 0;
        b.View->ExecuteMoves("R", true, false, nullptr);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        b.WaitIdle();
        state.SetItemsProcessed(state.items_processed() + b.Frames);
    }
    state.SetLabel("items = frames of the move thread");
}
BENCHMARK(AnimatedTurnFrames)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

void QueueToFirstFrame(benchmark::State& state) {
    TBench b;
    for (auto _ : state) {
        b.Frames = 0;
        const auto queued = Clock::now();
        b.View->ExecuteMoves("U", true, false, nullptr);
        while (b.Frames == 0) {
            std::this_thread::yield();
        }
        state.SetIterationTime(
            std::chrono::duration<double>(Clock::time_point(Clock::duration(b.FirstFrame)) - queued).count());
        b.WaitIdle();
    }
}
BENCHMARK(QueueToFirstFrame)->Unit(benchmark::kMicrosecond)->UseManualTime()->Iterations(20);

} // namespace
