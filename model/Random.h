#pragma once
// The one process-wide pseudo-random generator. Scrambles and random test moves draw from it; the
// program seeds it once at start-up, tests seed it themselves so that their draws are reproducible.
// The draws are the same on every platform for the same seed (no library-defined distributions).
// Safe to call from any thread.

#include <cstdint>

// Restarts the sequence from the given seed.
void RandomSeed(std::uint64_t Seed);

// A uniform integer in [0, Bound). Bound must be at least 1.
int Random(int Bound);
