#include "plugins/twophase/TwoPhase.h"

#include "plugins/twophase/Mini.h"
#include "plugins/twophase/Search.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <string_view>
#include <vector>

namespace {

constexpr int SolutionBuffer = 1025;

// Copies as much of text as fits, always terminated.
void Put(char* buffer, std::size_t size, std::string_view text) {
    if (buffer == nullptr || size == 0) {
        return;
    }
    const std::size_t n = std::min(text.size(), size - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
}

} // namespace

void _fnRbkinfo(char* name, char* legal, char* version, char* contact, char* web, char* email) {
    Put(name, 256, "Torvane Two-Phase");
    Put(legal, 256, "Copyright (c) 2026 The 3D Torvane developers");
    Put(version, 33, "1.0");
    Put(contact, 65, "The 3D Torvane developers");
    Put(web, 129, "https://www.torvane.example");
    Put(email, 129, "support@torvane.example");
}

int _fnRbksolve(int N, const char* facelets, char* solution) {
    Put(solution, SolutionBuffer, "");
    if ((N != 2 && N != 3) || facelets == nullptr || solution == nullptr) {
        return -1;
    }
    // A failure must not cross the C boundary; to the caller it is a cube we cannot solve.
    try {
        // One letter more than a cube has, so that a longer text is refused rather than cut short.
        const twophase::TSolveResult result =
            N == 2 ? twophase::SolveMini(
                         std::string_view(facelets, strnlen(facelets, twophase::MiniFaceletCount + 1)))
                   : twophase::Solve(std::string_view(facelets, strnlen(facelets, 55)));
        if (!result.Found) {
            return -1;
        }
        Put(solution, SolutionBuffer, result.Text());
        return static_cast<int>(result.Moves.size());
    } catch (...) {
        return -2;
    }
}

int _fnRbkimprove(int N, const char* Facelets, char* Solution, int MaxMilliseconds,
                  void (*Better)(void* Context, const char* Solution, int Moves), void* Context,
                  const volatile int* Stop) {
    Put(Solution, SolutionBuffer, "");
    if ((N != 2 && N != 3) || Facelets == nullptr || Solution == nullptr) {
        return -1;
    }
    int written = -1;
    const auto report = [&](const std::vector<int>& moves) {
        twophase::TSolveResult answer;
        answer.Moves = moves;
        Put(Solution, SolutionBuffer, answer.Text());
        written = static_cast<int>(moves.size());
        if (Better != nullptr) {
            Better(Context, Solution, written);
        }
    };
    try {
        if (N == 2) {
            const twophase::TSolveResult result = twophase::SolveMini(
                std::string_view(Facelets, strnlen(Facelets, twophase::MiniFaceletCount + 1)));
            if (result.Found) {
                report(result.Moves);
            }
            return written;
        }
        twophase::TSolveLimits limits;
        limits.GoodEnough = 0; // only a proof that nothing shorter exists ends the search early
        limits.Budget = std::chrono::milliseconds(std::max(MaxMilliseconds, 0));
        limits.Cancel = Stop;
        limits.Better = report;
        const twophase::TSolveResult result =
            twophase::Solve(std::string_view(Facelets, strnlen(Facelets, 55)), limits);
        if (result.Found) {
            return written;
        }
        return result.Cancelled && result.Fault == twophase::TFault::None ? -3 : -1;
    } catch (...) {
        // What was written stands; a failure must not cross the C boundary.
        return written >= 0 ? written : -2;
    }
}

void _fnRbkconstruct(char* buf) {
    Put(buf, 129, "ufrbld");
}

unsigned char _fnRbksupport(int N) {
    return N == 2 || N == 3 ? 1 : 0;
}
