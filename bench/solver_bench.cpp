// The two-phase engine on 1,000 seeded random states, one thread: memory, table build time and the
// time to read them back from a file as the engine's cache does first, then the time to the first
// answer of at most 21 and 20 moves, the answer length within a 10 ms budget, and the engine as it
// ships (every answer at most 20 moves).
// Run: build/bench/solver_bench
// With --worst10000 first, also the shipped setting over 10,000 other cubes, for its worst time.
// With --improve first, instead the search that keeps looking for shorter answers, on 100 other cubes
// for 1 s each, giving the mean answer length at 0.1 s and 1 s; --improve10 does 30 cubes for 10 s
// each, adding the length at 10 s. Both take minutes.
// Times are the solves' own wall clocks, and their thread's processor time (cpu_), which the other
// work on a shared machine does not inflate.
// Then the 2x2x2: the time to build its distance table in memory (on the first solve), and shortest
// answers for 1,000 cubes each made by 40 random quarter turns of the model.
#include "ResidentMemory.h"
#include "model/Cubi.h"
#include "plugins/twophase/Mini.h"
#include "plugins/twophase/Search.h"
#include "plugins/twophase/Tables.h"
#include "support/RandomCubes.h"

#include <algorithm>
#include <array>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <time.h>
#include <tuple>
#include <utility>
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

double ThreadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) * 1e-6;
}

twophase::TSolveLimits Limits(int maxLength, int goodEnough, std::chrono::microseconds budget) {
    twophase::TSolveLimits limits;
    limits.MaxLength = maxLength;
    limits.GoodEnough = goodEnough;
    limits.Budget = budget;
    return limits;
}

// The 99th percentile and the largest of some times.
std::pair<double, double> Tail(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    return {ms[std::min(ms.size() - 1, ms.size() * 99 / 100)], ms.back()};
}

// One solve per iteration over the fixed cube set; mean and 99th percentile from the solves' own
// clocks, so that the figures do not depend on how the library batches iterations.
void Run(benchmark::State& state, twophase::TSolveLimits limits,
         const std::vector<std::string>& cubes = Cubes()) {
    std::vector<double> ms, cpuMs;
    double moves = 0;
    std::size_t i = 0;
    for (auto _ : state) {
        const TClock::time_point start = TClock::now();
        const double cpuStart = ThreadCpuMs();
        const twophase::TSolveResult result = twophase::Solve(cubes[i++ % cubes.size()], limits);
        ms.push_back(std::chrono::duration<double, std::milli>(TClock::now() - start).count());
        cpuMs.push_back(ThreadCpuMs() - cpuStart);
        if (!result.Found || static_cast<int>(result.Moves.size()) > limits.MaxLength) {
            state.SkipWithError("no answer within the limit");
            return;
        }
        moves += static_cast<double>(result.Moves.size());
    }
    double sum = 0;
    for (double t : ms) {
        sum += t;
    }
    state.counters["mean_ms"] = sum / static_cast<double>(ms.size());
    std::tie(state.counters["p99_ms"], state.counters["max_ms"]) = Tail(ms);
    std::tie(state.counters["cpu_p99_ms"], state.counters["cpu_max_ms"]) = Tail(cpuMs);
    state.counters["mean_moves"] = moves / static_cast<double>(ms.size());
}

void BM_FirstAnswer21(benchmark::State& state) {
    Run(state, Limits(21, 21, std::chrono::seconds(10)));
}
void BM_FirstAnswer20(benchmark::State& state) {
    Run(state, Limits(21, 20, std::chrono::seconds(10)));
}
void BM_Budget10ms(benchmark::State& state) {
    Run(state, Limits(21, 0, std::chrono::milliseconds(10)));
}

void BM_Shipped(benchmark::State& state) {
    Run(state, {});
}
void BM_Shipped10000(benchmark::State& state) {
    static const std::vector<std::string> many = Drawn(20260202, ManyCount);
    Run(state, {}, many);
}

// The search that keeps looking for shorter answers, one cube per iteration, stopped after seconds:
// the mean length of the latest answer at 0.1 s, 1 s and (when it runs that long) 10 s, and how many
// cubes it proved an answer shortest for.
void BM_Improve(benchmark::State& state, int seconds) {
    static const std::vector<std::string> cubes = Drawn(20260404, 100);
    constexpr std::array<double, 3> Marks = {0.1, 1, 10};
    std::array<double, 3> total{};
    double proven = 0;
    std::size_t i = 0;
    for (auto _ : state) {
        std::vector<std::pair<double, int>> answers; // seconds since the start, moves
        twophase::TSolveLimits limits = Limits(20, 0, std::chrono::seconds(seconds));
        const TClock::time_point start = TClock::now();
        limits.Better = [&](const std::vector<int>& moves) {
            answers.emplace_back(std::chrono::duration<double>(TClock::now() - start).count(),
                                 static_cast<int>(moves.size()));
        };
        const twophase::TSolveResult result = twophase::Solve(cubes[i++ % cubes.size()], limits);
        if (!result.Found || answers.empty()) {
            state.SkipWithError("no answer");
            return;
        }
        proven += result.Shortest ? 1 : 0;
        for (std::size_t m = 0; m < Marks.size(); ++m) {
            int moves = answers.front().second; // the first answer counts even when it came late
            for (const auto& [at, length] : answers) {
                moves = at <= Marks[m] ? length : moves;
            }
            total[m] += moves;
        }
    }
    const auto n = static_cast<double>(state.iterations());
    state.counters["moves_at_0.1s"] = total[0] / n;
    state.counters["moves_at_1s"] = total[1] / n;
    if (seconds >= 10) {
        state.counters["moves_at_10s"] = total[2] / n;
    }
    state.counters["proven_shortest"] = proven;
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
    if (argc > 1 &&
        (std::string_view(argv[1]) == "--improve" || std::string_view(argv[1]) == "--improve10")) {
        const bool ten = std::string_view(argv[1]) == "--improve10";
        benchmark::RegisterBenchmark(ten ? "BM_Improve10s" : "BM_Improve1s", BM_Improve, ten ? 10 : 1)
            ->Iterations(ten ? 30 : 100)
            ->Unit(benchmark::kSecond);
        argv[1] = argv[0];
        --argc;
        ++argv;
        // Only this: the other rows take a minute of their own.
        benchmark::Initialize(&argc, argv);
        twophase::PrepareTables();
        benchmark::RunSpecifiedBenchmarks("BM_Improve");
        benchmark::Shutdown();
        return 0;
    }
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
