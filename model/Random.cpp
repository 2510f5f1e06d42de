#include "model/Random.h"

#include <mutex>
#include <random>

namespace {

struct TGenerator {
    std::mutex Lock;
    std::mt19937_64 Engine{5489u};
};

TGenerator& Generator() {
    static TGenerator generator;
    return generator;
}

} // namespace

void RandomSeed(std::uint64_t Seed) {
    TGenerator& g = Generator();
    std::lock_guard lock(g.Lock);
    g.Engine.seed(Seed);
}

int Random(int Bound) {
    if (Bound <= 1) {
        return 0;
    }
    TGenerator& g = Generator();
    std::lock_guard lock(g.Lock);
    // Rejection sampling keeps every value equally likely; std::uniform_int_distribution would do the
    // same, but its sequence differs between standard libraries and seeded results must not.
    const std::uint64_t bound = static_cast<std::uint64_t>(Bound);
    const std::uint64_t limit = UINT64_MAX - UINT64_MAX % bound;
    std::uint64_t draw;
    do {
        draw = g.Engine();
    } while (draw >= limit);
    return static_cast<int>(draw % bound);
}
