// Start-up of the program's windows: from creating the main window to the first frame of a new game,
// and the memory a process holds with one and with ten open games, and over 150 games played and
// closed. And how long the UI thread stops answering, at worst, while the solution bar plays an answer
// and while a slow engine (SlowEngine.cpp, two seconds a cube) solves.
// Run under a display (Xvfb): build/bench/app_bench
#include "ResidentMemory.h"
#include "app/Dialogs.h"
#include "app/FormGame.h"
#include "app/FormMain.h"
#include "app/SolutionBar.h"
#include "engines/Engines.h"
#include "view/OpenGL.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPointF>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <functional>
#include <malloc.h>
#include <memory>
#include <string>
#include <vector>

namespace {

// Serves the UI thread until Done or the time-out; false on the time-out.
template <typename TDoneCheck>
bool ServeUntil(TDoneCheck Done, std::chrono::seconds TimeOut) {
    const auto end = std::chrono::steady_clock::now() + TimeOut;
    while (!Done()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
    return true;
}

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
            // The engine answers off the UI thread: a round waits for it, as a user would.
            const bool answered = ServeUntil(
                [game] { return game->PanelSolution->Content() == TSolutionBar::TContent::Answer; },
                std::chrono::seconds(30));
            solved += answered ? 1 : 0;
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

// The slow engine becomes the only one, hosted like any engine; nothing is remembered of it.
bool UseSlowEngineAlone() {
    EngineTable().Clear();
    EngineTable().SetVerdictFile({});
    return EngineTable().Add(SLOW_ENGINE, PROGRAM_DIR) != TEngineId::None;
}
void ForgetEngines() {
    EngineTable().Clear();
}

// What the UI thread is given to do every 100 ms besides the heartbeat, to show that the window keeps
// drawing and taking input: nothing, a redraw of the view, or a mouse move over the cube (which picks
// the sticker under it for the cursor and draws) and a redraw.
enum class TWindowWork { None, Redraw, HoverAndRedraw };

// A 1 ms heartbeat on the UI thread, as in BM_LongestUIStallWhilePlaying: the longest gap between two
// beats is the longest time the window could not answer.
class TStallMeter {
public:
    using Clock = std::chrono::steady_clock;

    TStallMeter(TFormGame& Watched, TWindowWork Asked) : Game(Watched), Work(Asked) {
        Beat.setTimerType(Qt::PreciseTimer);
        Beat.setInterval(1);
        QObject::connect(&Beat, &QTimer::timeout, [this] { Tick(); });
    }
    void Start() {
        Longest = {};
        Last = LastDraw = Clock::now();
        Beat.start();
    }
    // The longest gap since Start, in milliseconds.
    double Stop() {
        Beat.stop();
        Tick(); // a stall still going on when the work ended counts too
        return std::chrono::duration<double, std::milli>(Longest).count();
    }
    int Frames() const { return FramesDrawn; }
    // The longest that the window work of one beat took, in milliseconds: a part of the longest gap
    // that is the window's own cost, whether or not an engine runs.
    double LongestFrame() const { return std::chrono::duration<double, std::milli>(LongestDraw).count(); }

private:
    void Tick() {
        const Clock::time_point now = Clock::now();
        Longest = std::max(Longest, now - Last);
        Last = now;
        if (Work != TWindowWork::None && Beat.isActive() &&
            now - LastDraw >= std::chrono::milliseconds(100)) {
            LastDraw = now;
            if (Work == TWindowWork::HoverAndRedraw) {
                MouseAtLeft = !MouseAtLeft;
                // Delivered at once, not through the window system, so that its cost is timed here.
                const QPointF at(Game.ClientArea->width() / (MouseAtLeft ? 3.0 : 2.0),
                                 Game.ClientArea->height() / 2.0);
                QMouseEvent hover(QEvent::MouseMove, at, Game.ClientArea->mapToGlobal(at), Qt::NoButton,
                                  Qt::NoButton, Qt::NoModifier);
                QApplication::sendEvent(Game.ClientArea, &hover);
            }
            Game.View->Refresh();
            ++FramesDrawn; // the UI thread's own work, in the gap that the next beat measures
            LongestDraw = std::max(LongestDraw, Clock::now() - now);
        }
    }

    TFormGame& Game;
    const TWindowWork Work;
    QTimer Beat;
    Clock::duration Longest{}, LongestDraw{};
    Clock::time_point Last, LastDraw;
    bool MouseAtLeft = false;
    int FramesDrawn = 0;
};

// A game whose cube the slow engine's answer, "R U Ri Ui", solves; null (with the benchmark skipped)
// when the window or the engine cannot be had.
std::unique_ptr<TFormGame> OpenGameForTheSlowEngine(benchmark::State& state) {
    if (!UseSlowEngineAlone()) {
        state.SkipWithError("the slow engine did not load");
        return nullptr;
    }
    tCubeSettings settings;
    settings.CubeFaceRotationSpeed = 0;
    auto game = std::make_unique<TFormGame>(nullptr, settings, "Bench", "Cube", false, 1);
    game->resize(640, 560);
    game->show();
    if (!QTest::qWaitForWindowExposed(game.get())) {
        state.SkipWithError("the game window was not shown");
        return nullptr;
    }
    game->PlayMoves("U R Ui Ri", false, true);
    return game;
}

// What the stall cases measure over their iterations: the longest stall, the mean time from start to
// end, how many answers came.
struct TStallFigures {
    double Worst = 0, Seconds = 0;
    int Answered = 0;

    // One iteration: Start begins the work, Ended tells when it is over. False, with the benchmark
    // stopped, when it is not over within 30 s.
    bool Measure(benchmark::State& state, TStallMeter& meter, const std::function<void()>& Start,
                 const std::function<bool()>& Ended) {
        meter.Start();
        const auto start = std::chrono::steady_clock::now();
        Start();
        const bool finished = ServeUntil(Ended, std::chrono::seconds(30));
        const auto end = std::chrono::steady_clock::now();
        Worst = std::max(Worst, meter.Stop());
        if (!finished) {
            state.SkipWithError("the engine did not answer within 30 s");
            return false;
        }
        const double took = std::chrono::duration<double>(end - start).count();
        state.SetIterationTime(took);
        Seconds += took;
        return true;
    }
    void Report(benchmark::State& state, const TStallMeter& meter) const {
        state.counters["longest_stall_ms"] = Worst;
        state.counters["solve_s"] =
            Seconds / static_cast<double>(std::max<benchmark::IterationCount>(state.iterations(), 1));
        state.counters["answered"] = Answered;
        state.counters["frames_drawn"] = meter.Frames();
        state.counters["longest_frame_ms"] = meter.LongestFrame();
    }
};

// Solve (F7) with an engine that takes 2 s: the longest time the UI thread stops answering meanwhile
// (the worst of the iterations), and the solve's wall time from the trigger to the answer's arrival.
void BM_UIStallWhileAnEngineSolves(benchmark::State& state, TWindowWork Work) {
    TMessageRecorder messages;
    std::unique_ptr<TFormGame> game = OpenGameForTheSlowEngine(state);
    if (!game) {
        return;
    }
    TStallFigures figures;
    TStallMeter meter(*game, Work);
    for (auto _ : state) {
        game->PanelSolution->Clear();
        if (!figures.Measure(
                state, meter, [&] { game->ActionSolve->trigger(); }, [&] { return !game->Solving(); })) {
            break;
        }
        // The answer is shown once the cube has been read again, on a later turn of the event loop.
        figures.Answered +=
            ServeUntil([&] { return game->PanelSolution->Content() == TSolutionBar::TContent::Answer; },
                       std::chrono::seconds(5))
                ? 1
                : 0;
    }
    figures.Report(state, meter);
    game.reset();
    ForgetEngines();
}
BENCHMARK_CAPTURE(BM_UIStallWhileAnEngineSolves, heartbeat, TWindowWork::None)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK_CAPTURE(BM_UIStallWhileAnEngineSolves, redraws, TWindowWork::Redraw)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
// On Mesa's software renderer the pick under the mouse makes one hover cost 60 to 100 ms, solve or not.
BENCHMARK_CAPTURE(BM_UIStallWhileAnEngineSolves, hover_and_redraws, TWindowWork::HoverAndRedraw)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

// For contrast, the engine called as Solve used to call it: on the UI thread, from an event, with the
// same heartbeat, window and engine. Nothing is served until the engine returns.
void BM_UIStallWhenTheEngineRanOnTheUIThread(benchmark::State& state) {
    TMessageRecorder messages;
    std::unique_ptr<TFormGame> game = OpenGameForTheSlowEngine(state);
    if (!game) {
        return;
    }
    TStallFigures figures;
    TStallMeter meter(*game, TWindowWork::Redraw);
    for (auto _ : state) {
        bool done = false;
        TSolveResult result = TSolveResult::NoEngine;
        std::vector<std::string> moves;
        const auto start = [&] {
            QTimer::singleShot(0, game.get(), [&] {
                game->View->ReadCube([&](const TRubikCube& Cube) {
                    result = SolveCube(TEngineId::First, Cube, moves);
                    done = true;
                });
            });
        };
        if (!figures.Measure(state, meter, start, [&] { return done; })) {
            break;
        }
        figures.Answered += result == TSolveResult::Solved ? 1 : 0;
    }
    figures.Report(state, meter);
    game.reset();
    ForgetEngines();
}
BENCHMARK(BM_UIStallWhenTheEngineRanOnTheUIThread)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    InitWindowSystemThreads();
    QApplication app(argc, argv);
    QApplication::setApplicationName("3D Torvane");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
