// Model throughput: quarter turns, move texts parsed and facelet texts written per second.
#include "model/Cubi.h"
#include "model/Notation.h"
#include "model/Random.h"

#include <benchmark/benchmark.h>
#include <string>

namespace {

void QuarterTurns(benchmark::State& state) {
    TRubikCube cube(1);
    cube.Clean();
    int n = 0;
    for (auto _ : state) {
        // Alternate faces and slices so that every table kind is exercised.
        if (n % 2 == 0) {
            cube.TurnFace(n % 6);
        } else {
            cube.TurnSlice(n % 3, 0);
        }
        ++n;
        benchmark::DoNotOptimize(cube.GetState());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(QuarterTurns);

void ParseMoveTexts(benchmark::State& state) {
    RandomSeed(1);
    TRubikCube cube(1);
    std::string text;
    cube.RandomMoves(20, text); // a typical engine answer or scramble text
    for (auto _ : state) {
        auto moves = ParseMoves(text, cube.SliceCount, true);
        benchmark::DoNotOptimize(moves);
    }
    state.SetItemsProcessed(state.iterations());
    state.SetLabel("20-token texts");
}
BENCHMARK(ParseMoveTexts);

void FaceletTexts(benchmark::State& state) {
    RandomSeed(1);
    TRubikCube cube(1);
    cube.Scramble();
    for (auto _ : state) {
        auto text = cube.CubeString("ufrbld");
        benchmark::DoNotOptimize(text);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(FaceletTexts);

void Scrambles(benchmark::State& state) {
    RandomSeed(1);
    TRubikCube cube(1);
    for (auto _ : state) {
        benchmark::DoNotOptimize(cube.Scramble());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(Scrambles);

} // namespace
