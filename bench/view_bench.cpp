// Drawing speed on the machine's GL (llvmpipe in CI): whole frames at 640x480, and the cold start of
// a view (context, fixed state and display lists).
#include "view/Cube3D.h"
#include "view/OpenGL.h"

#include <QApplication>
#include <QWidget>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

std::unique_ptr<QWidget> ShownWindow() {
    auto window = std::make_unique<QWidget>();
    window->resize(640, 480);
    window->show();
    QApplication::processEvents();
    return window;
}

void FullFrames(benchmark::State& state) {
    auto window = ShownWindow();
    TCube3D view(window.get(), window.get(), 1);
    view.ChangeCube([](TRubikCube& Cube) { Cube.Clean(); });
    view.Init();
    float angle = 0;
    for (auto _ : state) {
        // A turning layer, as the move thread draws it; RenderFrame waits for GL to finish.
        view.RenderFrame(NoLayer, 2, angle, NoLayer);
        angle += 1;
    }
    state.SetItemsProcessed(state.iterations());
    state.SetLabel("frames");
}
BENCHMARK(FullFrames)->Unit(benchmark::kMillisecond);

void ColdViewStart(benchmark::State& state) {
    auto window = ShownWindow();
    for (auto _ : state) {
        TCube3D view(window.get(), window.get(), 1);
        view.ChangeCube([](TRubikCube& Cube) { Cube.Clean(); });
        view.Init(); // context, lights, cubie-face and sticker lists
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(ColdViewStart)->Unit(benchmark::kMillisecond);

void StickerListRebuild(benchmark::State& state) {
    auto window = ShownWindow();
    TCube3D view(window.get(), window.get(), 1);
    view.ChangeCube([](TRubikCube& Cube) { Cube.Clean(); });
    view.Init();
    for (auto _ : state) {
        // As a settings dialog's Apply does: the command rebuilds the sticker list, then draws a frame.
        view.ApplySettings(view.GetSettings(), {}, true);
        while (!view.MovesFinished()) {
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(StickerListRebuild)->Unit(benchmark::kMillisecond);

} // namespace
