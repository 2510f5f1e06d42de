// The export that searches for ever shorter answers, played on the game's model; and the work of the
// first-answer search, so that a fault that only slows it fails here without timing anything.
#include "model/CubeCheck.h"
#include "model/Notation.h"
#include "plugins/twophase/Search.h"
#include "plugins/twophase/TwoPhase.h"
#include "support/PaintedCube.h"
#include "support/RandomCubes.h"

#include <chrono>
#include <gtest/gtest.h>

namespace {

// One call of the export: what it reported, what it wrote and returned. A stop is set from the report
// of answer StopAt (0: never), as another thread would set it while the search runs.
struct TRun {
    std::string Facelets;
    int StopAt = 0;
    std::vector<std::pair<std::string, int>> Answers;
    std::string Solution = std::string(1025, '\0');
    volatile int Stop = 0;
    int Result = 0;

    TRun(std::string facelets, int ms, int stopAt = 0) : Facelets(std::move(facelets)), StopAt(stopAt) {
        Result = _fnRbkimprove(3, Facelets.c_str(), Solution.data(), ms, &Better, this, &Stop);
    }
    static void Better(void* context, const char* solution, int moves) {
        auto* self = static_cast<TRun*>(context);
        self->Answers.emplace_back(solution, moves);
        self->Stop = static_cast<int>(self->Answers.size()) == self->StopAt;
    }
    bool Solves(const std::string& moves) const {
        TRubikCube cube = testsupport::Painted(Facelets);
        return cube.PerformMoves(moves) && FacesAreUniform(cube);
    }
};

std::string Scrambled(const std::string& turns) {
    return testsupport::CleanCube(turns).CubeString().value_or("");
}

// Answers shrink and each solves the cube; short cubes end by proof, well before their minute; a stop
// ends a minute's search at once with the answer so far, and one set before the search gives none.
TEST(TwoPhaseImproveTest, AnswersShrinkSolveTheCubeAndEndByProofOrStop) {
    randomcubes::TGenerator generator(31);
    // The cube, the search's milliseconds, the answer to stop at, and the shortest answer's length (-1:
    // not known; otherwise it must be proved).
    const std::tuple<std::string, int, int, int> cases[] = {
        {randomcubes::Facelets(generator.Next()), 300, 0, -1},
        {randomcubes::Facelets(generator.Next()), 60'000, 1, -1},
        {Scrambled("R U Fi L2 D B Ri U2 F D2 L Bi"), 300, 0, -1},
        {Scrambled(""), 60'000, 0, 0},
        {Scrambled("R"), 60'000, 0, 1},
        {Scrambled("R U2 D Bi L2 F"), 60'000, 0, 6}};
    for (const auto& [facelets, ms, stopAt, shortest] : cases) {
        const TRun run(facelets, ms, stopAt);
        ASSERT_FALSE(run.Answers.empty()) << facelets;
        EXPECT_LE(run.Answers.front().second, 20) << facelets;
        EXPECT_TRUE(stopAt == 0 || run.Answers.size() == static_cast<std::size_t>(stopAt)) << "stopped";
        for (std::size_t i = 0; i < run.Answers.size(); ++i) {
            const auto& [answer, length] = run.Answers[i];
            std::vector<std::string> tokens;
            SplitMoves(answer, tokens);
            EXPECT_EQ(static_cast<int>(tokens.size()), length) << answer;
            EXPECT_TRUE(run.Solves(answer)) << facelets << ": " << answer;
            EXPECT_TRUE(i == 0 || length < run.Answers[i - 1].second) << facelets;
        }
        EXPECT_EQ(run.Result, run.Answers.back().second) << facelets;
        EXPECT_EQ(run.Solution.c_str(), run.Answers.back().first) << facelets;
        EXPECT_TRUE(shortest < 0 || run.Result == shortest) << facelets;
    }
    std::string solution(1025, 'x');
    const volatile int stop = 1;
    EXPECT_EQ(_fnRbkimprove(3, Scrambled("R U").c_str(), solution.data(), 60'000, nullptr, nullptr, &stop),
              -3);
    EXPECT_STREQ(solution.c_str(), "");
}

// Without a time limit, so that the search is the same every run; the bounds are a little above
// what it does today.
TEST(TwoPhaseImproveTest, TheFirstAnswerTakesNoMoreWorkThanItDid) {
    randomcubes::TGenerator generator(33);
    twophase::TSolveLimits limits;
    limits.Budget = std::chrono::hours(1);
    std::uint64_t phase1 = 0, starts = 0, phase2 = 0;
    for (int i = 0; i < 20; ++i) {
        const auto work = twophase::Solve(randomcubes::Facelets(generator.Next()), limits).Work;
        phase1 += work.Phase1Nodes, starts += work.Phase2Starts, phase2 += work.Phase2Nodes;
    }
    EXPECT_LE(phase1, 360'000u);
    EXPECT_LE(starts, 15'500u);
    EXPECT_LE(phase2, 7'200u);
}

} // namespace
