// The engine's search for ever shorter answers through its export, played on the game's model, and
// the amount of work the first-answer search does on fixed cubes, so that a change that only slows
// the search (a bound dropped, a loop run too far) fails here without timing anything.
#include "model/CubeCheck.h"
#include "model/Cubi.h"
#include "model/Notation.h"
#include "plugins/twophase/Search.h"
#include "plugins/twophase/TwoPhase.h"
#include "support/PaintedCube.h"
#include "support/RandomCubes.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <future>
#include <gtest/gtest.h>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace std::chrono_literals;

// Long enough for any honest run on a loaded machine; only a search that ignores its ends takes this.
constexpr auto Generous = 20s;

// What the export reported, gathered on its thread; the first answer is announced to waiters.
struct TReports {
    std::mutex Lock;
    std::condition_variable Changed;
    std::vector<std::pair<std::string, int>> Answers;

    static void Better(void* context, const char* solution, int moves) {
        auto* self = static_cast<TReports*>(context);
        const std::lock_guard lock(self->Lock);
        self->Answers.emplace_back(solution, moves);
        self->Changed.notify_all();
    }
};

// Runs the export on another thread; its result is the future's.
std::future<int> Improve(const std::string& facelets, int ms, TReports& reports, const volatile int* stop,
                         std::string& solution) {
    solution.assign(1025, '\0');
    return std::async(std::launch::async, [&facelets, ms, &reports, stop, &solution] {
        return _fnRbkimprove(3, facelets.c_str(), solution.data(), ms, &TReports::Better, &reports, stop);
    });
}

bool Solves(const std::string& facelets, const std::string& moves) {
    TRubikCube cube = testsupport::Painted(facelets);
    return cube.PerformMoves(moves) && FacesAreUniform(cube);
}

int TokenCount(const std::string& moves) {
    std::vector<std::string> tokens;
    SplitMoves(moves, tokens);
    return static_cast<int>(tokens.size());
}

twophase::TSolveLimits Limits(int goodEnough, std::chrono::microseconds budget) {
    twophase::TSolveLimits limits;
    limits.GoodEnough = goodEnough;
    limits.Budget = budget;
    return limits;
}

// The facelet text of a clean cube after some turns.
std::string Scrambled(const std::string& turns) {
    TRubikCube cube(1);
    cube.Clean();
    EXPECT_TRUE(cube.PerformMoves(turns)) << turns;
    return cube.CubeString().value_or("");
}

TEST(TwoPhaseImproveTest, AnswersGetShorterAndEachSolvesTheCube) {
    randomcubes::TGenerator generator(31);
    const std::vector<std::string> cubes = {randomcubes::Facelets(generator.Next()),
                                            randomcubes::Facelets(generator.Next()),
                                            Scrambled("R U Fi L2 D B Ri U2 F D2 L Bi")};
    for (const std::string& facelets : cubes) {
        TReports reports;
        std::string solution;
        std::future<int> result = Improve(facelets, 300, reports, nullptr, solution);
        ASSERT_EQ(result.wait_for(Generous), std::future_status::ready) << facelets;
        const int moves = result.get();
        ASSERT_FALSE(reports.Answers.empty()) << facelets;
        EXPECT_LE(reports.Answers.front().second, 20) << facelets;
        for (std::size_t i = 0; i < reports.Answers.size(); ++i) {
            const auto& [answer, length] = reports.Answers[i];
            EXPECT_TRUE(Solves(facelets, answer)) << facelets << ": " << answer;
            EXPECT_EQ(TokenCount(answer), length) << answer;
            if (i > 0) {
                EXPECT_LT(length, reports.Answers[i - 1].second) << facelets;
            }
        }
        EXPECT_EQ(moves, reports.Answers.back().second) << facelets;
        EXPECT_EQ(solution.c_str(), reports.Answers.back().first) << facelets;
    }
}

TEST(TwoPhaseImproveTest, StopEndsTheSearchSoon) {
    randomcubes::TGenerator generator(32);
    const std::string facelets = randomcubes::Facelets(generator.Next());
    // Set before the call: the call ends with no answer.
    volatile int stop = 1;
    TReports early;
    std::string solution;
    std::future<int> result = Improve(facelets, 60'000, early, &stop, solution);
    ASSERT_EQ(result.wait_for(Generous), std::future_status::ready);
    EXPECT_EQ(result.get(), -3);
    EXPECT_TRUE(early.Answers.empty());
    EXPECT_STREQ(solution.c_str(), "");

    // Set once the first answer is in, in a search that would otherwise go on for a minute.
    stop = 0;
    TReports reports;
    result = Improve(facelets, 60'000, reports, &stop, solution);
    {
        std::unique_lock lock(reports.Lock);
        ASSERT_TRUE(reports.Changed.wait_for(lock, Generous, [&] { return !reports.Answers.empty(); }));
    }
    stop = 1;
    ASSERT_EQ(result.wait_for(Generous), std::future_status::ready);
    const int moves = result.get();
    EXPECT_EQ(moves, reports.Answers.back().second);
    EXPECT_TRUE(Solves(facelets, solution.c_str()));
}

TEST(TwoPhaseImproveTest, ANearlySolvedCubeEndsWithAShortestAnswer) {
    struct TCase {
        std::string Turns;
        int Shortest;
    };
    const TCase cases[] = {{"", 0}, {"R", 1}, {"R U Fi", 3}, {"R U2 D Bi L2 F", 6}};
    for (const TCase& c : cases) {
        const std::string facelets = Scrambled(c.Turns);
        TReports reports;
        std::string solution;
        // A minute allowed: only a search that knows nothing shorter exists is done in time.
        std::future<int> result = Improve(facelets, 60'000, reports, nullptr, solution);
        ASSERT_EQ(result.wait_for(Generous), std::future_status::ready) << c.Turns;
        EXPECT_EQ(result.get(), c.Shortest) << c.Turns;
        EXPECT_TRUE(Solves(facelets, solution.c_str())) << c.Turns;
        EXPECT_EQ(twophase::Solve(facelets, Limits(0, 60s)).Shortest, true) << c.Turns;
    }
}

TEST(TwoPhaseImproveTest, TheMiniCubeIsAnsweredOnce) {
    TReports reports;
    std::string solution(1025, '\0');
    const int moves = _fnRbkimprove(2, "uuuuffffrrrrbbbblllldddd", solution.data(), 10, &TReports::Better,
                                    &reports, nullptr);
    EXPECT_EQ(moves, 0);
    ASSERT_EQ(reports.Answers.size(), 1u);
    EXPECT_EQ(_fnRbkimprove(4, "uuuuffffrrrrbbbblllldddd", solution.data(), 10, nullptr, nullptr, nullptr),
              -1);
}

// The first-answer search on twenty fixed cubes, without a time limit so that it is the same every
// run. The bounds are a little above what the search does today.
TEST(TwoPhaseImproveTest, TheFirstAnswerTakesNoMoreWorkThanItDid) {
    randomcubes::TGenerator generator(33);
    twophase::TSearchWork total;
    for (int i = 0; i < 20; ++i) {
        const twophase::TSolveResult result =
            twophase::Solve(randomcubes::Facelets(generator.Next()), Limits(20, std::chrono::hours(1)));
        ASSERT_TRUE(result.Found);
        total.Phase1Nodes += result.Work.Phase1Nodes;
        total.Phase2Starts += result.Work.Phase2Starts;
        total.Phase2Nodes += result.Work.Phase2Nodes;
    }
    EXPECT_LE(total.Phase1Nodes, 360'000u);
    EXPECT_LE(total.Phase2Starts, 15'500u);
    EXPECT_LE(total.Phase2Nodes, 7'200u);
}

} // namespace
