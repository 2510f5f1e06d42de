#include "engines/SolveJob.h"

#include "engines/EngineTableState.h"

#include <mutex>
#include <stop_token>
#include <thread>

// What the job's thread and its owner share; the thread keeps it alive after the owner is gone.
struct TSolveJob::TShared {
    std::mutex Mutex; // held while Better or Done runs, so Stop returns only once neither can run
    TBetter Better;
    TDone Done;
    std::stop_source Stop; // wakes the thread's waits and ends its engine's host
};

TSolveJob::TSolveJob(TEngineId Engine, const TRubikCube& Cube, TDone Done,
                     std::chrono::milliseconds TimeLimit, TEngineTable& Table)
    : Shared(std::make_shared<TShared>()) {
    Shared->Done = std::move(Done);
    const auto deadline = std::chrono::steady_clock::now() + TimeLimit;
    // Detached: nobody may wait for an engine. The thread holds the table's state, which outlives the
    // table for its sake, and its own copy of the cube.
    std::thread([shared = Shared, table = Table.State, Engine, cube = Cube, deadline] {
        TSolveOutcome outcome;
        outcome.Result = table->Solve(Engine, cube, outcome.Moves, deadline, shared->Stop.get_token(),
                                      &outcome.EngineName);
        std::lock_guard lock(shared->Mutex);
        if (shared->Done) {
            shared->Done(std::move(outcome));
        }
    }).detach();
}

TSolveJob::TSolveJob(TEngineId Engine, const TRubikCube& Cube, std::chrono::milliseconds Budget,
                     TBetter Better, TDone Done, std::chrono::milliseconds TimeLimit, TEngineTable& Table)
    : Shared(std::make_shared<TShared>()) {
    Shared->Better = std::move(Better);
    Shared->Done = std::move(Done);
    const auto deadline = std::chrono::steady_clock::now() + Budget + TimeLimit;
    std::thread([shared = Shared, table = Table.State, Engine, cube = Cube, Budget, deadline] {
        TSolveOutcome outcome;
        outcome.Result = table->Improve(
            Engine, cube, Budget,
            [&shared](std::vector<std::string> Moves) {
                std::lock_guard lock(shared->Mutex);
                if (shared->Better) {
                    shared->Better(std::move(Moves));
                }
            },
            outcome.Moves, deadline, shared->Stop.get_token(), &outcome.EngineName);
        std::lock_guard lock(shared->Mutex);
        if (shared->Done) {
            shared->Done(std::move(outcome));
        }
    }).detach();
}

TSolveJob::~TSolveJob() {
    Stop();
}

void TSolveJob::Stop() {
    Shared->Stop.request_stop();
    std::lock_guard lock(Shared->Mutex);
    Shared->Better = nullptr;
    Shared->Done = nullptr;
}
