// Solving off the caller's thread with engines that crash or hang on a real cube after passing the
// trial of their load, and the start-up loads that a solve waits for.
#include "engines/SolveJob.h"

#include "EngineTableTest.h"

#include <condition_variable>
#include <gtest/gtest.h>
#include <mutex>
#include <optional>

namespace {

using testsupport::EngineFile;
using namespace std::chrono_literals;

using testsupport::ProgramDir;

// Where a job's Done puts its outcome, and a wait for it with a time-out.
class TOutcomeBox {
public:
    TSolveJob::TDone Done() {
        return [this](TSolveOutcome outcome) {
            std::lock_guard lock(Mutex);
            Outcome = std::move(outcome);
            Arrived.notify_all();
        };
    }
    std::optional<TSolveOutcome> Wait(std::chrono::seconds limit = 30s) {
        std::unique_lock lock(Mutex);
        Arrived.wait_for(lock, limit, [&] { return Outcome.has_value(); });
        return Outcome;
    }

private:
    std::mutex Mutex;
    std::condition_variable Arrived;
    std::optional<TSolveOutcome> Outcome;
};

using SolveJobTest = testsupport::EngineTableTest;

// The host dies or hangs instead of the program; the next solve, with the same engine or another,
// works as ever.
TEST_F(SolveJobTest, AnEngineThatCrashesOrHangsFailsThatSolveOnly) {
    const TEngineId good = Add("good_engine");
    for (const char* name : {"crashlater_engine", "hanglater_engine"}) {
        SCOPED_TRACE(name);
        const TEngineId bad = Add(name);
        TOutcomeBox failed;
        const TSolveJob job(bad, Cube("R U"), failed.Done(), 1s, Table);
        const std::optional<TSolveOutcome> outcome = failed.Wait();
        ASSERT_TRUE(outcome.has_value());
        EXPECT_EQ(outcome->Result, TSolveResult::EngineFailed);
        EXPECT_EQ(outcome->EngineName, name[0] == 'c' ? "Crash Later" : "Hang Later");

        TOutcomeBox solved;
        const TSolveJob next(good, Cube("R U"), solved.Done(), 10s, Table);
        ASSERT_TRUE(solved.Wait().has_value());
        EXPECT_EQ(solved.Wait()->Result, TSolveResult::Solved);
        // A fresh host for the failed engine: the clean cube, which it solves, is answered.
        TOutcomeBox again;
        const TSolveJob retry(bad, Cube(), again.Done(), 10s, Table);
        ASSERT_TRUE(again.Wait().has_value());
        EXPECT_EQ(again.Wait()->Result, TSolveResult::Solved);
    }
}

// A solve asked while the settings file's engines are still loading waits for them, then takes the
// first in key order, whichever answered first.
TEST_F(SolveJobTest, ASolveDuringStartUpWaitsForTheEngines) {
    Table.LoadInBackground(
        {EngineFile("hang_engine"), EngineFile("good_engine"), "", EngineFile("both_engine")}, ProgramDir);
    // Meanwhile this thread changes the environment, as the program's UI thread does: the hosts start.
    for (int i = 0; i < 3000; ++i) {
        setenv(("TORVANE_TEST_" + std::to_string(i)).c_str(), "x", 1);
    }
    TOutcomeBox first;
    const TSolveJob job(TEngineId::First, Cube("R U"), first.Done(), 20s, Table);
    const std::optional<TSolveOutcome> outcome = first.Wait();
    ASSERT_TRUE(outcome.has_value());
    EXPECT_TRUE(Table.Loaded());
    EXPECT_EQ(outcome->Result, TSolveResult::Solved);
    EXPECT_EQ(outcome->EngineName, "Good Engine");
    ASSERT_EQ(Table.Count(), 2);
    EXPECT_EQ(Table.Find(Table.Ids()[1])->EngineName, "Both Sizes");
}

} // namespace
