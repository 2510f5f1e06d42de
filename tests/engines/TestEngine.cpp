// A solver engine for the tests, built in several variants that leave out exports or misbehave.
// It runs in a host process, so the tests reach its state through files in the folder that
// $TE_STATE_DIR names: <variant>.answer is what it answers (when present), <variant>.facelets the
// facelet text of its last solve, and <variant>.calls gets one line per solve.
//
//   TE_INFO, TE_SOLVE, TE_CONSTRUCT, TE_SUPPORT  which of these exports exist
//   TE_ORDER        the face order _fnRbkconstruct writes
//   TE_SIZES        bit 2 and bit 3: the sizes _fnRbksupport accepts
//   TE_NEGATIVE     _fnRbksolve says every cube is invalid
//   TE_FILL_ANSWER  _fnRbksolve fills all 1025 bytes and writes no terminator
//   TE_FILL_INFO    _fnRbkinfo fills every buffer to its last byte, no terminators
//   TE_CRASH        1 to 4: _fnRbkinfo, _fnRbksupport, _fnRbkconstruct or _fnRbksolve writes through a
//                   null pointer; 5: _fnRbksolve does, for any cube but the clean one (so it passes
//                   the trial of a load)
//   TE_HANG         1: _fnRbkinfo never returns; 2: _fnRbksolve never returns for any cube but the
//                   clean one
//   TE_THROW        _fnRbksolve throws a C++ exception through its C interface
//   TE_IMPROVE      1: _fnRbkimprove reports "R U Ri Ui R..." answers of <first> moves and one fewer
//                   each <step> ms down to one move, as <variant>.improve says ("<first> <step>"),
//                   until stopped or out of time; 2: the same, heeding no stop and reporting each
//                   answer twice. Each call writes the host's process id to <variant>.pid.

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <thread>
#include <unistd.h>

#define TE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {
std::string StateFile(const char* Extension) {
    const char* folder = std::getenv("TE_STATE_DIR");
    return folder == nullptr ? std::string() : std::string(folder) + "/" + TE_FILE + Extension;
}

std::string Answer() {
    std::ifstream file(StateFile(".answer"));
    return file ? std::string(std::istreambuf_iterator<char>(file), {}) : "R U Ri Ui";
}

// Whether each face's nine letters are one letter: the clean cube, in whatever face order.
bool IsClean(const char* Facelets) {
    for (int k = 0; k < 54; ++k) {
        if (Facelets[k] != Facelets[k / 9 * 9]) {
            return false;
        }
    }
    return true;
}

int* volatile Nowhere = nullptr; // volatile: the compiler cannot see the fault coming

// Ends the process as a real fault in an engine would, when this variant crashes in export Where.
void CrashIn([[maybe_unused]] int Where) {
    if (TE_CRASH == Where) {
        *Nowhere = Where;
    }
}
} // namespace

#if TE_INFO
TE_EXPORT void _fnRbkinfo(char* Name, char* Legal, char* Version, char* Contact, char* Web, char* Mail) {
    CrashIn(1);
    while (TE_HANG == 1) {
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
#endif

#if TE_SOLVE
TE_EXPORT std::int32_t _fnRbksolve(std::int32_t N, const char* Facelets, char* Solution) {
    std::ofstream(StateFile(".calls"), std::ios::app) << "solve\n";
    std::ofstream(StateFile(".facelets")) << Facelets;
    CrashIn(4);
    if (std::strlen(Facelets) == 54 && !IsClean(Facelets)) {
        CrashIn(5);
        while (TE_HANG == 2) {
            std::this_thread::sleep_for(std::chrono::seconds(1));
        }
    }
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
    std::strcpy(Solution, Answer().c_str());
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

#if TE_IMPROVE
TE_EXPORT std::int32_t _fnRbkimprove(std::int32_t, const char*, char* Solution, std::int32_t MaxMilliseconds,
                                     void (*Better)(void*, const char*, std::int32_t), void* Context,
                                     const volatile std::int32_t* Stop) {
    std::ofstream(StateFile(".pid")) << getpid();
    int first = 6;
    int step = 2;
    std::ifstream(StateFile(".improve")) >> first >> step;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(MaxMilliseconds);
    const char* const tokens[] = {"R", "U", "Ri", "Ui"};
    const auto stopped = [Stop] { return TE_IMPROVE == 1 && *Stop != 0; }; // 2 heeds no stop
    int moves = first;
    for (;; --moves) {
        std::string answer;
        for (int k = 0; k < moves; ++k) {
            answer += std::string(k > 0 ? " " : "") + tokens[k % 4];
        }
        std::strcpy(Solution, answer.c_str());
        for (int k = 0; Better != nullptr && k < TE_IMPROVE; ++k) {
            Better(Context, Solution, moves);
        }
        // An engine that heeds stops looks at the flag while it waits, too.
        const auto next = std::chrono::steady_clock::now() + std::chrono::milliseconds(step);
        while (std::chrono::steady_clock::now() < next && !stopped()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        if (moves == 1 || std::chrono::steady_clock::now() >= end || stopped()) {
            return moves;
        }
    }
}
#endif
