#pragma once
// One solve, off the UI thread. The engine gets its own copy of the cube and runs on the job's own
// thread with no lock of the caller held, so a slow engine never holds up a window or a move.
//
// Threads: construct, Stop and destroy on one thread (the UI thread). Done runs on the job's thread,
// at most once; once Stop (or the destructor) has returned it never runs, so Done may capture what
// the job's owner owns. Neither Stop nor the destructor waits for the engine: Stop kills the engine's
// host when it is solving for this job, so a hang costs nothing, and the next solve starts a new one.
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

    // Starts solving Cube with the engine at once (TEngineId::First: the first engine in the table).
    // After TimeLimit the engine counts as hung: EngineFailed.
    TSolveJob(TEngineId Engine, const TRubikCube& Cube, TDone Done,
              std::chrono::milliseconds TimeLimit = SolveTimeLimit, TEngineTable& Table = EngineTable());
    ~TSolveJob();
    TSolveJob(const TSolveJob&) = delete;
    TSolveJob& operator=(const TSolveJob&) = delete;

    // Ends the wait: Done will not run.
    void Stop();

private:
    struct TShared;
    std::shared_ptr<TShared> Shared;
};
