#pragma once
// One solve, off the UI thread. The engine gets its own copy of the cube and runs on the job's own
// thread with no lock of the caller held, so a slow engine never holds up a window or a move.
//
// Threads: construct, Stop and destroy on one thread (the UI thread). Done runs on the job's thread,
// at most once, and Better before it; once Stop (or the destructor) has returned neither runs, so they
// may capture what the job's owner owns (and must not call Stop). Neither Stop nor the destructor
// waits for the engine: Stop kills the engine's host when it is solving for this job, so a hang costs
// nothing, and the next solve starts a new one; an engine improving its answer is asked to stop
// instead, and its host is killed only when it does not within a second.
// A job started before the engines of the settings file have all answered waits for them first.

#include "engines/Engines.h"
#include "model/Cubi.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

struct TSolveOutcome {
    TSolveResult Result = TSolveResult::NoEngine;
    std::vector<std::string> Moves; // the answer's tokens, when Solved
    std::string EngineName;         // the engine asked, for messages
};

class TSolveJob {
public:
    using TDone = std::function<void(TSolveOutcome)>;
    using TBetter = std::function<void(std::vector<std::string>)>;

    // Starts solving Cube with the engine at once (TEngineId::First: the first engine in the table).
    // After TimeLimit the engine counts as hung: EngineFailed.
    TSolveJob(TEngineId Engine, const TRubikCube& Cube, TDone Done,
              std::chrono::milliseconds TimeLimit = SolveTimeLimit, TEngineTable& Table = EngineTable());
    // The same, keeping an engine that can improve its answer searching for up to Budget (the time
    // limit counts after that): Better gets each answer shorter than the last, the first included, and
    // Done the last of them (TEngineTable::Improve).
    TSolveJob(TEngineId Engine, const TRubikCube& Cube, std::chrono::milliseconds Budget, TBetter Better,
              TDone Done, std::chrono::milliseconds TimeLimit = SolveTimeLimit,
              TEngineTable& Table = EngineTable());
    ~TSolveJob();
    TSolveJob(const TSolveJob&) = delete;
    TSolveJob& operator=(const TSolveJob&) = delete;

    // Ends the wait: neither Better nor Done will run.
    void Stop();

private:
    struct TShared;
    std::shared_ptr<TShared> Shared;
};
