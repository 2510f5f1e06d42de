// The export that searches for ever shorter answers, played on the game's model; and the work of the
// first-answer search, so that a fault that only slows it fails here without timing anything.
#include "model/CubeCheck.h"
#include "model/Notation.h"
#include "plugins/twophase/Search.h"
#include "plugins/twophase/TwoPhase.h"
#include "support/PaintedCube.h"
#include "support/RandomCubes.h"

#include <chrono>
#include <condition_variable>
#include <future>
#include <gtest/gtest.h>
#include <mutex>

namespace {

using namespace std::chrono_literals;

constexpr auto Generous = 20s; // only a search that ignores its ends takes this long

// One call of the export on another thread, and what it reported.
struct TRun {
    std::mutex Lock;
    std::condition_variable Changed;
    std::vector<std::pair<std::string, int>> Answers;
    std::string Facelets, Solution = std::string(1025, '\0');
    volatile int Stop = 0;
    std::future<int> Result;

    TRun(std::string facelets, int ms) : Facelets(std::move(facelets)) {
        Result = std::async(std::launch::async, [this, ms] {
            return _fnRbkimprove(3, Facelets.c_str(), Solution.data(), ms, &Better, this, &Stop);
        });
    }
    static void Better(void* context, const char* solution, int moves) {
        auto* self = static_cast<TRun*>(context);
        const std::lock_guard lock(self->Lock);
        self->Answers.emplace_back(solution, moves);
        self->Changed.notify_all();
    }
    bool Solves(const std::string& moves) const {
        TRubikCube cube = testsupport::Painted(Facelets);
        return cube.PerformMoves(moves) && FacesAreUniform(cube);
    }
};

std::string Scrambled(const std::string& turns) {
    return *testsupport::CleanCube(turns).CubeString();
}

TEST(TwoPhaseImproveTest, AnswersShrinkSolveTheCubeAndEndByProofWhenShort) {
    randomcubes::TGenerator generator(31);
    struct TCase {
        std::string Facelets;
        int Ms, Shortest; // -1: not known; otherwise the search must prove it within a minute
    } cases[] = {{randomcubes::Facelets(generator.Next()), 300, -1},
                 {randomcubes::Facelets(generator.Next()), 300, -1},
                 {Scrambled("R U Fi L2 D B Ri U2 F D2 L Bi"), 300, -1},
                 {Scrambled(""), 60'000, 0},
                 {Scrambled("R"), 60'000, 1},
                 {Scrambled("R U2 D Bi L2 F"), 60'000, 6}};
    for (const TCase& c : cases) {
        TRun run(c.Facelets, c.Ms);
        ASSERT_EQ(run.Result.wait_for(Generous), std::future_status::ready) << c.Facelets;
        const int moves = run.Result.get();
        ASSERT_FALSE(run.Answers.empty()) << c.Facelets;
        EXPECT_LE(run.Answers.front().second, 20) << c.Facelets;
        for (std::size_t i = 0; i < run.Answers.size(); ++i) {
            const auto& [answer, length] = run.Answers[i];
            std::vector<std::string> tokens;
            SplitMoves(answer, tokens);
            EXPECT_EQ(static_cast<int>(tokens.size()), length) << answer;
            EXPECT_TRUE(run.Solves(answer)) << c.Facelets << ": " << answer;
            EXPECT_TRUE(i == 0 || length < run.Answers[i - 1].second) << c.Facelets;
        }
        EXPECT_EQ(moves, run.Answers.back().second) << c.Facelets;
        EXPECT_EQ(run.Solution.c_str(), run.Answers.back().first) << c.Facelets;
        EXPECT_TRUE(c.Shortest < 0 || moves == c.Shortest) << c.Facelets;
    }
}

TEST(TwoPhaseImproveTest, StopEndsTheSearchSoon) {
    randomcubes::TGenerator generator(32);
    const std::string facelets = randomcubes::Facelets(generator.Next());
    TRun run(facelets, 60'000); // would search for a minute
    {
        std::unique_lock lock(run.Lock);
        ASSERT_TRUE(run.Changed.wait_for(lock, Generous, [&] { return !run.Answers.empty(); }));
    }
    run.Stop = 1;
    ASSERT_EQ(run.Result.wait_for(Generous), std::future_status::ready);
    EXPECT_EQ(run.Result.get(), run.Answers.back().second);
    EXPECT_TRUE(run.Solves(run.Solution.c_str()));

    // Set before the first answer: no answer at all.
    std::string solution(1025, 'x');
    const volatile int stop = 1;
    EXPECT_EQ(_fnRbkimprove(3, facelets.c_str(), solution.data(), 60'000, nullptr, nullptr, &stop), -3);
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
