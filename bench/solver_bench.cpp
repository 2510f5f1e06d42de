// The two-phase engine on 1,000 seeded random states, one thread: memory, table build time and the
// time to read them back from a file as the engine's cache does first, then the time to the first
// answer of at most 21 and 20 moves, the answer length within a 10 ms budget, and the engine as it
// ships (every answer at most 20 moves).
// Run: build/bench/solver_bench
// With --worst10000 first, also the shipped setting over 10,000 other cubes, for its worst time.
// Then the 2x2x2: the time to build its distance table in memory (on the first solve), and shortest
// answers for 1,000 cubes each made by 40 random quarter turns of the model.
#include "ResidentMemory.h"
#include "model/Cubi.h"
#include "plugins/twophase/Mini.h"
#include "plugins/twophase/Search.h"
#include "plugins/twophase/Tables.h"
#include "support/RandomCubes.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace {

using TClock = std::chrono::steady_clock;
constexpr int CubeCount = 1000;
constexpr int ManyCount = 10000;

std::vector<std::string> Drawn(std::uint64_t seed, int count) {
    randomcubes::TGenerator generator(seed);
    std::vector<std::string> all;
    for (int i = 0; i < count; ++i) {
        all.push_back(randomcubes::Facelets(generator.Next()));
    }
    return all;
}

const std::vector<std::string>& Cubes() {
    static const std::vector<std::string> cubes = Drawn(20260101, CubeCount);
    return cubes;
}

// One solve per iteration over the fixed cube set; mean and 99th percentile from the solves' own
// clocks, so that the figures do not depend on how the library batches iterations.
void Run(benchmark::State& state, twophase::TSolveLimits limits,
         const std::vector<std::string>& cubes = Cubes()) {
    std::vector<double> ms;
    double moves = 0;
    std::size_t i = 0;
    for (auto _ : state) {
        const TClock::time_point start = TClock::now();
        const twophase::TSolveResult result = twophase::Solve(cubes[i++ % cubes.size()], limits);
        ms.push_back(std::chrono::duration<double, std::milli>(TClock::now() - start).count());
        if (!result.Found || static_cast<int>(result.Moves.size()) > limits.MaxLength) {
            state.SkipWithError("no answer within the limit");
            return;
        }
        moves += static_cast<double>(result.Moves.size());
    }
    std::vector<double> sorted = ms;
    std::sort(sorted.begin(), sorted.end());
    double sum = 0;
    for (double t : ms) {
        sum += t;
    }
    state.counters["mean_ms"] = sum / static_cast<double>(ms.size());
    state.counters["p99_ms"] = sorted[std::min(sorted.size() - 1, sorted.size() * 99 / 100)];
    state.counters["max_ms"] = sorted.back();
    state.counters["mean_moves"] = moves / static_cast<double>(ms.size());
}

void BM_FirstAnswer21(benchmark::State& state) {
    Run(state, {.MaxLength = 21, .GoodEnough = 21, .Budget = std::chrono::seconds(10)});
}
void BM_FirstAnswer20(benchmark::State& state) {
    Run(state, {.MaxLength = 21, .GoodEnough = 20, .Budget = std::chrono::seconds(10)});
}
void BM_Budget10ms(benchmark::State& state) {
    Run(state, {.MaxLength = 21, .GoodEnough = 0, .Budget = std::chrono::milliseconds(10)});
}

void BM_Shipped(benchmark::State& state) {
    Run(state, {});
}
void BM_Shipped10000(benchmark::State& state) {
    static const std::vector<std::string> many = Drawn(20260202, ManyCount);
    Run(state, {}, many);
}

const std::vector<std::string>& MiniCubes() {
    static const std::vector<std::string> cubes = [] {
        std::mt19937 random(20260303);
        std::vector<std::string> all;
        for (int i = 0; i < CubeCount; ++i) {
            TRubikCube cube(0);
            cube.Clean();
            for (int t = 0; t < 40; ++t) {
                cube.TurnFace(static_cast<int>(random() % 6));
            }
            std::string letters;
            for (const auto& face : cube.GetState().Cubies) {
                for (const TCubie& sticker : face) {
                    letters += ColorLetters[sticker.Color];
                }
            }
            all.push_back(letters);
        }
        return all;
    }();
    return cubes;
}

void BM_Mini(benchmark::State& state) {
    std::vector<double> us;
    double moves = 0;
    std::size_t i = 0;
    for (auto _ : state) {
        const TClock::time_point start = TClock::now();
        const twophase::TSolveResult result = twophase::SolveMini(MiniCubes()[i++ % MiniCubes().size()]);
        us.push_back(std::chrono::duration<double, std::micro>(TClock::now() - start).count());
        if (!result.Found) {
            state.SkipWithError("no answer");
            return;
        }
        moves += static_cast<double>(result.Moves.size());
    }
    std::sort(us.begin(), us.end());
    state.counters["p99_us"] = us[std::min(us.size() - 1, us.size() * 99 / 100)];
    state.counters["mean_moves"] = moves / static_cast<double>(us.size());
}

BENCHMARK(BM_FirstAnswer21)->Iterations(CubeCount)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstAnswer20)->Iterations(CubeCount)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Budget10ms)->Iterations(CubeCount)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Shipped)->Iterations(CubeCount)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Mini)->Iterations(CubeCount)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string_view(argv[1]) == "--worst10000") {
        benchmark::RegisterBenchmark("BM_Shipped10000", BM_Shipped10000)
            ->Iterations(ManyCount)
            ->Unit(benchmark::kMillisecond);
        argv[1] = argv[0];
        --argc;
        ++argv;
    }
    const double before = ResidentMiB();
    twophase::PrepareTables(); // the engine's own way: from its cache file, or built and saved
    std::printf("resident with the engine's tables: %.1f MiB (%.1f MiB before)\n", ResidentMiB(), before);
    const auto since = [](TClock::time_point start) {
        return std::chrono::duration<double, std::milli>(TClock::now() - start).count();
    };
    // Built from scratch, then written to and read back from a file as the engine's cache is.
    TClock::time_point start = TClock::now();
    std::optional<twophase::TTables> tables = twophase::BuildTables();
    const double buildMs = since(start);
    const std::string file = (std::filesystem::temp_directory_path() / "solver_bench.tables").string();
    if (!twophase::SaveTables(*tables, file)) {
        std::fprintf(stderr, "cannot write %s\n", file.c_str());
        return 1;
    }
    tables.reset();
    start = TClock::now();
    tables = twophase::LoadTables(file);
    const double loadMs = since(start);
    std::filesystem::remove(file);
    if (!tables) {
        std::fprintf(stderr, "cannot read back %s\n", file.c_str());
        return 1;
    }
    std::printf("tables: built in %.1f ms, loaded from a file in %.1f ms, %.2f MiB\n", buildMs, loadMs,
                static_cast<double>(tables->Bytes()) / (1024.0 * 1024.0));
    tables.reset();
    start = TClock::now();
    const std::size_t miniBytes = twophase::PrepareMiniTable();
    std::printf("2x2x2 table: built in %.1f ms, %.2f MiB\n", since(start),
                static_cast<double>(miniBytes) / (1024.0 * 1024.0));
    Cubes();
    MiniCubes();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
