// What trying an engine in the probe process costs at start-up: loading our two-phase engine (which
// reads its tables in the probe's clean-cube solve) with the probe, against loading it untried, and
// the probe alone on it. Run: build/bench/engines_bench
#include "engines/Engines.h"
#include "engines/Probe.h"

#include <benchmark/benchmark.h>
#include <string>

namespace {

const std::string ProgramDir = PROGRAM_DIR;
const std::string Probe = ProgramDir + "/" + EngineProbeName;

// Folder empty: the library is loaded untried (after the first time only dlopen's reference count).
void BM_LoadTwoPhase(benchmark::State& state, const std::string& Folder) {
    for (auto _ : state) {
        if (LoadEngine(TWOPHASE_PLUGIN, 0, Folder) != 0) {
            state.SkipWithError("the engine did not load");
            break;
        }
    }
}
BENCHMARK_CAPTURE(BM_LoadTwoPhase, untried, std::string())->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LoadTwoPhase, tried, ProgramDir)->Unit(benchmark::kMillisecond);

void BM_ProbeOnly(benchmark::State& state) {
    for (auto _ : state) {
        if (RunEngineProbe(Probe, TWOPHASE_PLUGIN, std::chrono::seconds(5)) != TProbeVerdict::Passed) {
            state.SkipWithError("the probe refused the engine");
            break;
        }
    }
}
BENCHMARK(BM_ProbeOnly)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
