// Our two-phase engine called in the program's own process against called in its host process, over
// the same 1,000 seeded random cubes: mean and 99th percentile per solve, from the solves' own clocks.
// The clean cube, which the engine answers at once, shows what the host's round trip alone costs.
// Also: what loading the engine costs (host start, the four calls, the trial solve that reads its
// tables). Run: build/bench/engines_bench
#include "engines/EngineLibrary.h"
#include "engines/Engines.h"
#include "support/PaintedCube.h"
#include "support/RandomCubes.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using TClock = std::chrono::steady_clock;
constexpr int CubeCount = 1000;

const std::vector<TRubikCube>& Cubes() {
    static const std::vector<TRubikCube> cubes = [] {
        randomcubes::TGenerator generator(20260101);
        std::vector<TRubikCube> all;
        for (int i = 0; i < CubeCount; ++i) {
            all.push_back(testsupport::Painted(randomcubes::Facelets(generator.Next())));
        }
        return all;
    }();
    return cubes;
}

const std::vector<TRubikCube>& CleanCubes() {
    static const std::vector<TRubikCube> cubes(
        1, testsupport::Painted(std::string(9, 'u') + std::string(9, 'f') + std::string(9, 'r') +
                                std::string(9, 'b') + std::string(9, 'l') + std::string(9, 'd')));
    return cubes;
}

// Times Solve(cube) once per iteration over the cube set; false from Solve ends the run.
template <typename TSolve>
void Run(benchmark::State& state, const std::vector<TRubikCube>& cubes, TSolve&& Solve) {
    std::vector<double> ms;
    std::size_t i = 0;
    for (auto _ : state) {
        const TClock::time_point start = TClock::now();
        const bool solved = Solve(cubes[i++ % cubes.size()]);
        ms.push_back(std::chrono::duration<double, std::milli>(TClock::now() - start).count());
        if (!solved) {
            state.SkipWithError("no answer");
            return;
        }
    }
    std::sort(ms.begin(), ms.end());
    double sum = 0;
    for (double t : ms) {
        sum += t;
    }
    state.counters["mean_ms"] = sum / static_cast<double>(ms.size());
    state.counters["p99_ms"] = ms[std::min(ms.size() - 1, ms.size() * 99 / 100)];
}

// As the program would call the engine if it were loaded into its own process.
void BM_InProcess(benchmark::State& state, const std::vector<TRubikCube>* cubes) {
    static const EngineRec engine = [] {
        EngineRec loaded;
        std::string reason;
        if (!OpenEngineLibrary(TWOPHASE_PLUGIN, loaded, reason)) {
            std::fprintf(stderr, "%s\n", reason.c_str());
        }
        return loaded;
    }();
    if (engine.fnSolve == nullptr) {
        state.SkipWithError("the engine did not load");
        return;
    }
    Run(state, *cubes, [](const TRubikCube& cube) {
        std::string answer;
        return CallSolve(engine, cube.Size, *cube.CubeString(engine.ConstructString), answer) >= 0;
    });
}

// As the program calls it: through the table, to the engine's host.
void BM_Hosted(benchmark::State& state, const std::vector<TRubikCube>* cubes) {
    static TEngineTable table;
    static const TEngineId engine = [] {
        table.SetVerdictFile({});
        return table.Add(TWOPHASE_PLUGIN, PROGRAM_DIR);
    }();
    if (engine == TEngineId::None) {
        state.SkipWithError("the engine did not load");
        return;
    }
    Run(state, *cubes, [](const TRubikCube& cube) {
        std::vector<std::string> answer;
        return table.Solve(engine, cube, answer, TClock::now() + SolveTimeLimit) == TSolveResult::Solved;
    });
}

BENCHMARK_CAPTURE(BM_InProcess, random, &Cubes())->Iterations(CubeCount)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Hosted, random, &Cubes())->Iterations(CubeCount)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_InProcess, clean, &CleanCubes())->Iterations(CubeCount)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Hosted, clean, &CleanCubes())->Iterations(CubeCount)->Unit(benchmark::kMicrosecond);

// A load as at start-up or "Add": the host started, asked, and its trial solve read the tables.
void BM_Load(benchmark::State& state) {
    TEngineTable table;
    table.SetVerdictFile({});
    for (auto _ : state) {
        const TEngineId engine = table.Add(TWOPHASE_PLUGIN, PROGRAM_DIR);
        if (engine == TEngineId::None) {
            state.SkipWithError("the engine did not load");
            break;
        }
        state.PauseTiming();
        table.Remove(engine); // its host ends here, outside the time
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
