// Start-up of the program's windows: from creating the main window to the first frame of a new game,
// and the memory a process holds with one and with ten open games, and over 150 games played and
// closed. And how long the UI thread stops answering, at worst, while the solution bar plays an answer.
// Run under a display (Xvfb): build/bench/app_bench
#include "ResidentMemory.h"
#include "app/Dialogs.h"
#include "app/FormGame.h"
#include "app/FormMain.h"
#include "app/SolutionBar.h"
#include "view/OpenGL.h"

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QtWebEngineQuick/qtwebenginequickglobal.h>
#include <benchmark/benchmark.h>
#include <chrono>
#include <malloc.h>
#include <memory>
#include <string>

namespace {

// A game's constructor draws its first frame before it returns, so the time to the end of NewGame is
// the time to the first frame on screen.
void BM_MainWindowToFirstGameFrame(benchmark::State& state) {
    TMessageRecorder messages;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        auto main = std::make_unique<TFormMain>();
        main->resize(1000, 760);
        main->show();
        main->NewGame(0);
        QApplication::processEvents();
        const auto end = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
        main.reset();
        QApplication::processEvents();
    }
}
BENCHMARK(BM_MainWindowToFirstGameFrame)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_ResidentMemoryWithOpenGames(benchmark::State& state) {
    TMessageRecorder messages;
    for (auto _ : state) {
        auto main = std::make_unique<TFormMain>();
        main->resize(1000, 760);
        main->show();
        QTest::qWait(200);
        const double before = ResidentMiB();
        for (int i = 0; i < state.range(0); ++i) {
            main->NewGame(i % 4);
        }
        QTest::qWait(200);
        state.counters["resident_MB"] = ResidentMiB();
        state.counters["per_game_MB"] = (ResidentMiB() - before) / static_cast<double>(state.range(0));
        main.reset();
        QApplication::processEvents();
    }
}
BENCHMARK(BM_ResidentMemoryWithOpenGames)->Arg(1)->Arg(10)->Iterations(1)->Unit(benchmark::kMillisecond);

// Opening, scrambling, solving with the installed engine and closing one game, round after round, as
// a user would. At rounds 0, 1, 10, 50, 100 and 150: the resident size, the heap in use, and the
// resident size once the allocator has handed its free pages back (malloc_trim). A leak shows as heap
// in use that keeps growing; growth of the first only is the allocator keeping freed pages.
void BM_ResidentAfterGameRounds(benchmark::State& state) {
    TMessageRecorder messages;
    for (auto _ : state) {
        auto main = std::make_unique<TFormMain>(QString(PROGRAM_DIR));
        main->resize(1000, 760);
        main->show();
        QTest::qWait(200);
        const auto sample = [&state](int round) {
            const struct mallinfo2 heap = mallinfo2();
            state.counters["MB_after_" + std::to_string(round)] = ResidentMiB();
            state.counters["heap_MB_after_" + std::to_string(round)] =
                static_cast<double>(heap.uordblks + heap.hblkhd) / (1024.0 * 1024.0);
            malloc_trim(0);
            state.counters["trimmed_MB_after_" + std::to_string(round)] = ResidentMiB();
        };
        sample(0);
        int solved = 0;
        for (int round = 1; round <= 150; ++round) {
            TFormGame* game = main->NewGame(round % 4);
            game->ActionScrambleCube->trigger();
            game->ActionSolve->trigger();
            solved += game->PanelSolution->Content() == TSolutionBar::TContent::Answer ? 1 : 0;
            game->ActionClose->trigger();
            QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QApplication::processEvents();
            if (round == 1 || round == 10 || round % 50 == 0) {
                sample(round);
            }
        }
        state.counters["solved"] = solved;
        main.reset();
        QApplication::processEvents();
    }
}
BENCHMARK(BM_ResidentAfterGameRounds)->Iterations(1)->Unit(benchmark::kMillisecond);

// A 10 ms heartbeat on the UI thread while the bar plays six slow moves: the longest gap between two
// beats is the longest time the window could not answer (a click on Stop, a repaint).
void BM_LongestUIStallWhilePlaying(benchmark::State& state) {
    TMessageRecorder messages;
    tCubeSettings settings;
    settings.CubeFaceRotationSpeed = 0;
    for (auto _ : state) {
        TFormGame game(nullptr, settings, "Bench", "Cube", false, 1);
        game.show();
        if (!QTest::qWaitForWindowExposed(&game)) {
            state.SkipWithError("the game window was not shown");
            return;
        }
        game.PanelSolution->ShowSolution({"R", "U", "F", "L", "B", "D"}, true);
        using Clock = std::chrono::steady_clock;
        Clock::duration longest{};
        Clock::time_point last = Clock::now();
        QTimer heartbeat;
        heartbeat.setInterval(10);
        QObject::connect(&heartbeat, &QTimer::timeout, [&] {
            const Clock::time_point now = Clock::now();
            longest = std::max(longest, now - last);
            last = now;
        });
        heartbeat.start();
        last = Clock::now();
        game.PanelSolution->Play();
        const Clock::time_point end = Clock::now() + std::chrono::seconds(120);
        while ((game.PanelSolution->Playing() || !game.PanelSolution->Idle()) && Clock::now() < end) {
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        }
        heartbeat.stop();
        const double ms = std::chrono::duration<double, std::milli>(longest).count();
        state.SetIterationTime(ms / 1000.0);
        state.counters["longest_stall_ms"] = ms;
    }
}
BENCHMARK(BM_LongestUIStallWhilePlaying)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    InitWindowSystemThreads();
    QtWebEngineQuick::initialize();
    QApplication app(argc, argv);
    QApplication::setApplicationName("3D Torvane");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
