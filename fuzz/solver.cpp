// The two-phase engine and the game's model must agree on which painted cubes are real: the engine
// answers exactly the cubes CheckCube accepts, and its answer, played on the model, solves the cube.
//
// The 2x2x2 cube has no check in the model, so there the engine's answers are checked instead: any
// answer is at most 11 moves and solves the cube, and a cube made by turns alone gets one no longer
// than those turns.
//
// Input: a first byte whose low bit picks how the letters are made, and whose next bit picks the
// 2x2x2 cube (24 letters) instead of the 3x3x3 (54).
//   even: the following bytes are the letters, most mapped onto "ufrbld", a few left as other
//         characters; any length, so texts that are too short or too long come up too.
//   odd:  a count of turns and that many turn bytes scramble a clean model cube (slice turns move the
//         centres), then byte pairs swap two stickers or repaint one.
#include "model/CubeCheck.h"
#include "model/Cubi.h"
#include "plugins/twophase/Mini.h"
#include "plugins/twophase/Search.h"
#include "plugins/twophase/TwoPhase.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <utility>

namespace {

// Most bytes are colours; the top sixteen are letters no colour has, the terminator among them.
char Letter(std::uint8_t byte) {
    static constexpr char Others[16] = {'U', 'F', 'R',  'B',  'L',    'D', 'x', ' ',
                                        '?', '-', '\0', '\n', '\xff', '0', 'z', 'Z'};
    return byte < 240 ? ColorLetters[byte % 6] : Others[byte - 240];
}

// The model painted as the palette paints it: a letter that is no colour leaves the sticker without one.
TRubikCube Painted(const std::string& letters, bool mini = false) {
    TRubikCube cube(mini ? 0 : 1);
    cube.Clean();
    const auto area = static_cast<std::size_t>(cube.FaceArea);
    for (std::size_t id = 0; id < 6 * area; ++id) {
        const auto colour = ColorLetters.find(letters[id]);
        cube.GetState().Cubies[id / area][id % area].Color =
            static_cast<std::uint8_t>(colour == std::string_view::npos ? NoColor : colour);
    }
    return cube;
}

// Whether the moves solve the cube the letters paint, played with the model's own turns.
bool Solves(const std::string& letters, const std::string& moves, bool mini = false) {
    TRubikCube cube = Painted(letters, mini);
    return cube.PerformMoves(moves) && FacesAreUniform(cube);
}

// The 2x2x2 letters of a model cube; the model writes no facelet text for that size.
std::string MiniLetters(const TRubikCube& cube) {
    std::string letters;
    for (const auto& face : cube.GetState().Cubies) {
        for (const TCubie& sticker : face) {
            letters += ColorLetters[sticker.Color];
        }
    }
    return letters;
}

// turns: how many quarter turns made the cube from a clean one, when nothing else changed it.
void CheckMini(const std::string& letters, std::optional<int> turns) {
    std::string solution(1025, '\0');
    const int moves = _fnRbksolve(2, letters.c_str(), solution.data());
    const std::string answer = solution.c_str();
    const auto tokens = answer.empty() ? 0 : std::count(answer.begin(), answer.end(), ' ') + 1;
    if (moves > twophase::MiniMaxMoves || (turns && (moves < 0 || moves > *turns)) ||
        (moves >= 0 && (tokens != moves || !Solves(letters, answer, true))) ||
        (moves < 0 && !answer.empty())) {
        __builtin_trap();
    }
}

// The search for shorter answers, with a millisecond to spare: every answer it reports is shorter than
// the one before and solves the cube, and it returns the last one.
void CheckImprove(const std::string& letters, bool real) {
    struct TSeen {
        std::string Letters;
        int Last = 21;
        bool Wrong = false;
    } seen{letters};
    const auto better = [](void* context, const char* solution, int moves) {
        auto* s = static_cast<TSeen*>(context);
        s->Wrong = s->Wrong || moves >= s->Last || !Solves(s->Letters, solution);
        s->Last = moves;
    };
    std::string solution(1025, '\0');
    const volatile int stop = 0;
    const int moves = _fnRbkimprove(3, letters.c_str(), solution.data(), 1, better, &seen, &stop);
    if (seen.Wrong || (moves >= 0) != real || (real && moves != seen.Last) ||
        (!real && (seen.Last != 21 || !std::string_view(solution.c_str()).empty()))) {
        __builtin_trap();
    }
}

void Check(const std::string& letters) {
    if (letters.size() == 54) {
        // The painting is the inverse of the text the game hands to engines.
        const std::optional<std::string> text = Painted(letters).CubeString();
        const bool colours = letters.find_first_not_of(ColorLetters) == std::string::npos;
        if (text.has_value() != colours || (colours && *text != letters)) {
            __builtin_trap();
        }
    }
    const bool real = letters.size() == 54 && CheckCube(Painted(letters)).Fault == TCubeFault::None;

    // The agreement is about reading the cube, so any answer will do: the first one found is quick.
    twophase::TSolveLimits loose;
    loose.MaxLength = 30;
    loose.GoodEnough = 30;
    const twophase::TSolveResult answer = twophase::Solve(letters, loose);
    if (answer.Found != real || (answer.Fault == twophase::TFault::None) != real ||
        (real && !Solves(letters, answer.Text()))) {
        __builtin_trap();
    }

    // The export the game calls decides the same, and its answer solves the cube too. Its full search
    // takes several times as long as the loose one, so only one real cube in sixteen goes through it.
    if (real && std::hash<std::string>{}(letters) % 16 != 0) {
        return;
    }
    std::string solution(1025, '\0');
    const int moves = _fnRbksolve(3, letters.c_str(), solution.data());
    if ((moves >= 0) != real || (real && !Solves(letters, solution.c_str()))) {
        __builtin_trap();
    }
    CheckImprove(letters, real);
}

} // namespace

// The tables first, so that building them counts against no input's time.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    twophase::PrepareTables();
    twophase::PrepareMiniTable();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    std::span<const std::uint8_t> rest(data + 1, size - 1);
    const bool mini = (data[0] & 2) != 0;
    const std::size_t count = mini ? twophase::MiniFaceletCount : 54;
    std::string letters;
    std::optional<int> turnsOnly;
    if (data[0] % 2 == 0) {
        for (std::uint8_t byte : rest.first(std::min<std::size_t>(rest.size(), 60))) {
            letters += Letter(byte);
        }
    } else {
        TRubikCube cube(mini ? 0 : 1);
        cube.Clean();
        const std::size_t turns = rest.empty() ? 0 : std::min<std::size_t>(rest[0] % 64, rest.size() - 1);
        int faceTurns = 0;
        for (std::uint8_t turn : rest.subspan(1, turns)) {
            if (turn % 9 < 6) {
                cube.TurnFace(turn % 9);
                ++faceTurns;
            } else {
                cube.TurnSlice(turn % 9 - 6, 0); // nothing on the 2x2x2
            }
        }
        rest = rest.subspan(std::min(rest.size(), turns + 1));
        letters = mini ? MiniLetters(cube) : *cube.CubeString();
        if (rest.size() < 2) {
            turnsOnly = faceTurns;
        }
        for (std::size_t i = 0; i + 1 < rest.size(); i += 2) {
            const std::size_t id = rest[i] % count;
            if (rest[i] < 128) {
                std::swap(letters[id], letters[rest[i + 1] % count]);
            } else {
                letters[id] = Letter(rest[i + 1]);
            }
        }
    }
    if (mini) {
        CheckMini(letters, turnsOnly);
    } else {
        Check(letters);
    }
    return 0;
}
