#include "engines/SolveJob.h"

#include <mutex>
#include <thread>

// What the job's thread and its owner share; the thread keeps it alive after the owner is gone.
struct TSolveJob::TShared {
    std::mutex Mutex; // held while Done runs, so Stop returns only once Done can no longer run
    TDone Done;
};

TSolveJob::TSolveJob(int Slot, const TRubikCube& Cube, TDone Done) : Shared(std::make_shared<TShared>()) {
    Shared->Done = std::move(Done);
    TSolveOutcome outcome;
    if (Slot >= 0 && Slot < EngineCount) {
        outcome.EngineName = Engines[static_cast<std::size_t>(Slot)].EngineName;
    }
    // Detached: an engine call cannot be interrupted, and nobody may wait for it.
    std::thread([shared = Shared, Slot, cube = Cube, outcome]() mutable {
        outcome.Result = SolveCube(Slot, cube, outcome.Moves);
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
    std::lock_guard lock(Shared->Mutex);
    Shared->Done = nullptr;
}
