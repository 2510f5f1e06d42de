// A solver engine for the tests, built in several variants that leave out exports or misbehave.
// It answers whatever TestEngineSetAnswer gave it and keeps the last facelet text it was handed.
//
//   TE_SOLVE, TE_CONSTRUCT, TE_SUPPORT  which of these exports exist
//   TE_ORDER        the face order _fnRbkconstruct writes
//   TE_SIZES        bit 2 and bit 3: the sizes _fnRbksupport accepts
//   TE_NEGATIVE     _fnRbksolve says every cube is invalid
//   TE_FILL_ANSWER  _fnRbksolve fills all 1025 bytes and writes no terminator
//   TE_FILL_INFO    _fnRbkinfo fills every buffer to its last byte, no terminators
//   TE_CRASH        1 to 4: _fnRbkinfo, _fnRbksupport, _fnRbkconstruct or _fnRbksolve writes through a
//                   null pointer
//   TE_HANG         _fnRbkinfo never returns
//   TE_THROW        _fnRbksolve throws a C++ exception through its C interface

#include <chrono>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <thread>

#define TE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {
std::string Answer = "R U Ri Ui";
std::string LastFacelets;
int SolveCalls = 0;

int* volatile Nowhere = nullptr; // volatile: the compiler cannot see the fault coming

// Ends the process as a real fault in an engine would, when this variant crashes in export Where.
void CrashIn([[maybe_unused]] int Where) {
    if (TE_CRASH == Where) {
        *Nowhere = Where;
    }
}
} // namespace

TE_EXPORT void TestEngineSetAnswer(const char* Text) {
    Answer = Text;
}
TE_EXPORT const char* TestEngineLastFacelets() {
    return LastFacelets.c_str();
}
TE_EXPORT int TestEngineSolveCalls() {
    return SolveCalls;
}

TE_EXPORT void _fnRbkinfo(char* Name, char* Legal, char* Version, char* Contact, char* Web, char* Mail) {
    CrashIn(1);
    while (TE_HANG) {
        std::this_thread::sleep_for(std::chrono::seconds(1));
    }
    char* const buffers[] = {Name, Legal, Version, Contact, Web, Mail};
    const char* const texts[] = {TE_NAME,       "Free for tests",        "1.2",
                                 "The testers", "https://tests.example", "tests@tests.example"};
    const int sizes[] = {256, 256, 33, 65, 129, 129}; // each buffer's size, as the program gives them
    for (int i = 0; i < 6; ++i) {
        if (TE_FILL_INFO) {
            std::memset(buffers[i], "NLVCWE"[i], static_cast<std::size_t>(sizes[i]));
        } else {
            std::strcpy(buffers[i], texts[i]);
        }
    }
}

#if TE_SOLVE
TE_EXPORT std::int32_t _fnRbksolve(std::int32_t N, const char* Facelets, char* Solution) {
    ++SolveCalls;
    LastFacelets.assign(Facelets, std::strlen(Facelets));
    CrashIn(4);
    if (TE_THROW) {
        throw std::runtime_error("engine fault");
    }
    if (TE_NEGATIVE || N != 3) {
        return -1;
    }
#if TE_FILL_ANSWER
    for (int k = 0; k < 1025; ++k) {
        Solution[k] = k % 2 == 0 ? 'R' : ' ';
    }
#else
    std::strcpy(Solution, Answer.c_str());
#endif
    return 0;
}
#endif

#if TE_CONSTRUCT
TE_EXPORT void _fnRbkconstruct(char* Order) {
    CrashIn(3);
    std::strcpy(Order, TE_ORDER);
}
#endif

#if TE_SUPPORT
TE_EXPORT std::uint8_t _fnRbksupport(std::int32_t N) {
    CrashIn(2);
    return (N == 2 || N == 3) && ((TE_SIZES >> N) & 1) != 0 ? 1 : 0;
}
#endif
