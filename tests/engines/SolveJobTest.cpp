// Solving off the caller's thread with engines that crash or hang on a real cube after passing the
// trial of their load, and the start-up loads that a solve waits for.
#include "engines/SolveJob.h"

#include "EngineTableTest.h"

#include <atomic>
#include <future>
#include <gtest/gtest.h>
#include <optional>

namespace {

using testsupport::CleanCube;
using testsupport::EngineFile;
using namespace std::chrono_literals;

using testsupport::ProgramDir;

class SolveJobTest : public testsupport::EngineTableTest {
protected:
    // Solves the cube on a job of its own and waits, for at most 30 s, for the outcome its Done hands
    // over; none if it never came.
    std::optional<TSolveOutcome> SolveOnJob(TEngineId id, const TRubikCube& cube,
                                            std::chrono::seconds limit) {
        std::promise<TSolveOutcome> done;
        std::future<TSolveOutcome> outcome = done.get_future();
        const TSolveJob job(
            id, cube, [&done](TSolveOutcome o) { done.set_value(std::move(o)); }, limit, Table);
        if (outcome.wait_for(30s) != std::future_status::ready) {
            return std::nullopt;
        }
        return outcome.get();
    }
};

// The host dies or hangs instead of the program; the next solve, with the same engine or another,
// works as ever.
TEST_F(SolveJobTest, AnEngineThatCrashesOrHangsFailsThatSolveOnly) {
    const TEngineId good = Add("good_engine");
    for (const char* name : {"crashlater_engine", "hanglater_engine"}) {
        SCOPED_TRACE(name);
        const TEngineId bad = Add(name);
        const std::optional<TSolveOutcome> failed = SolveOnJob(bad, CleanCube("R U"), 1s);
        ASSERT_TRUE(failed.has_value());
        EXPECT_EQ(failed->Result, TSolveResult::EngineFailed);
        EXPECT_EQ(failed->EngineName, name[0] == 'c' ? "Crash Later" : "Hang Later");
        EXPECT_EQ(SolveOnJob(good, CleanCube("R U"), 10s).value().Result, TSolveResult::Solved);
        // A fresh host for the failed engine: the clean cube, which it solves, is answered.
        EXPECT_EQ(SolveOnJob(bad, CleanCube(), 10s).value().Result, TSolveResult::Solved);
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
    const std::optional<TSolveOutcome> outcome = SolveOnJob(TEngineId::First, CleanCube("R U"), 20s);
    ASSERT_TRUE(outcome.has_value());
    EXPECT_TRUE(Table.Loaded()) << "the solve waited for every load";
    EXPECT_EQ(outcome->Result, TSolveResult::Solved);
    EXPECT_EQ(outcome->EngineName, "Good Engine");
}

// Stopped while improving, a job never reports again, even from an engine that keeps searching.
TEST_F(SolveJobTest, AStoppedImproveReportsNoMore) {
    for (const std::string name : {"stubborn_engine", "improve_engine"}) {
        SCOPED_TRACE(name);
        testsupport::EngineState.Write(name + ".improve", std::string("300 20"));
        const TEngineId id = Add(name);
        std::promise<void> first;
        std::atomic<bool> stopped = false, late = false;
        {
            TSolveJob job(
                id, CleanCube("R U"), 30s,
                [&](std::vector<std::string> moves) {
                    late = late || stopped;
                    if (moves.size() == 300) {
                        first.set_value();
                    }
                },
                [&](TSolveOutcome) { late = true; }, 10s, Table);
            ASSERT_EQ(first.get_future().wait_for(30s), std::future_status::ready);
            job.Stop();
            stopped = true;
        }
        std::vector<std::string> list; // the engine's next solve comes after whatever the job's host sent
        EXPECT_EQ(Table.Improve(id, CleanCube("R U"), 100ms, nullptr, list), TSolveResult::Solved);
        EXPECT_FALSE(late);
    }
}

} // namespace
