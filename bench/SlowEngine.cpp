// A solver engine that takes two seconds over every cube and then gives the same answer, "R U Ri Ui".
// It stands for a slow real engine in the benchmark of how long the window stops answering while an
// engine works (app_bench).

#include <chrono>
#include <cstdint>
#include <cstring>
#include <thread>

#define SLOW_EXPORT extern "C" __attribute__((visibility("default")))

SLOW_EXPORT void _fnRbkinfo(char* Name, char* Legal, char* Version, char* Contact, char* Web, char* Mail) {
    std::strcpy(Name, "Slow Engine");
    std::strcpy(Legal, "Free for benchmarks");
    std::strcpy(Version, "1.0");
    std::strcpy(Contact, "The benchmarkers");
    std::strcpy(Web, "https://bench.example");
    std::strcpy(Mail, "bench@bench.example");
}

SLOW_EXPORT std::int32_t _fnRbksolve(std::int32_t N, const char* /*Facelets*/, char* Solution) {
    if (N != 3) {
        return -1;
    }
    std::this_thread::sleep_for(std::chrono::seconds(2));
    std::strcpy(Solution, "R U Ri Ui");
    return 0;
}

SLOW_EXPORT void _fnRbkconstruct(char* Order) {
    std::strcpy(Order, "ufrbld");
}

SLOW_EXPORT std::uint8_t _fnRbksupport(std::int32_t N) {
    return N == 3 ? 1 : 0;
}
