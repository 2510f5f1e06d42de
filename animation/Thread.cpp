#include "animation/Thread.h"

#include "sound/Sound.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <chrono>

namespace {

constexpr int WakeTimeout = 250;    // ms: how soon an idle move thread notices a termination request
constexpr int AnimateInterval = 10; // ms between the steps of a spinning preview

std::string EventName(const void* thread) {
    return "RubikMakeMoveThread" + std::to_string(reinterpret_cast<std::uintptr_t>(thread));
}

} // namespace

void TAutoResetEvent::Set() {
    {
        std::lock_guard lock(Mutex);
        IsSet = true;
    }
    Signal.notify_one();
}

bool TAutoResetEvent::WaitFor(int Milliseconds) {
    std::unique_lock lock(Mutex);
    if (!Signal.wait_for(lock, std::chrono::milliseconds(Milliseconds), [this] { return IsSet; })) {
        return false;
    }
    IsSet = false;
    return true;
}

TThread::TThread() = default;

TThread::~TThread() {
    // A derived class must have ended its thread: Execute belongs to it and is gone by now.
    if (Worker.joinable()) {
        Terminate();
        Worker.join();
    }
}

void TThread::Resume() {
    std::lock_guard lock(Mutex);
    IsSuspended = false;
    IsPaused = false;
    if (!Launched) {
        Launched = true;
        Worker = std::thread([this] { Run(); });
    }
    Changed.notify_all();
}

void TThread::Suspend() {
    std::lock_guard lock(Mutex);
    IsSuspended = true;
}

void TThread::Terminate() {
    std::lock_guard lock(Mutex);
    IsTerminated = true;
    Changed.notify_all();
}

void TThread::WaitFor() {
    std::thread worker;
    {
        std::lock_guard lock(Mutex);
        if (!Launched) {
            return; // never started: nothing runs
        }
        worker = std::move(Worker);
    }
    if (worker.joinable()) {
        worker.join();
    }
}

void TThread::CheckSuspended() {
    std::unique_lock lock(Mutex);
    IsPaused = IsSuspended && !IsTerminated;
    Changed.wait(lock, [this] { return !IsSuspended || IsTerminated; });
    IsPaused = false;
}

void TThread::Run() {
    CheckSuspended();
    if (!IsTerminated) {
        Execute();
    }
}

namespace {

// What a posted call needs to find its work. Qt hands the call to the UI thread through locks of its
// own that ThreadSanitizer cannot see (unless the event loop was asleep), so the call's copy of this
// is read uninstrumented; everything else it touches is reached through Mutex, which it does see.
struct THandOffCall {
    TUIHandOff* HandOff;
    std::uint64_t Ticket;
};

__attribute__((no_sanitize("thread"))) THandOffCall ReadCall(const THandOffCall& Call) {
    return Call;
}

} // namespace

bool TUIHandOff::Run(QObject* Context, const std::function<void()>& Work) {
    std::uint64_t ticket;
    {
        std::lock_guard lock(Mutex);
        if (Cancelled || Context == nullptr) {
            return false;
        }
        ticket = ++Issued;
        Pending = &Work; // the caller's: alive until this Run returns, when it is taken back
    }
    // Freeing the context releases the wait: the queued call is then dropped by Qt, never run.
    const QMetaObject::Connection gone = QObject::connect(Context, &QObject::destroyed, [this] { Cancel(); });
    QMetaObject::invokeMethod(
        Context,
        [call = THandOffCall{this, ticket}] {
            const THandOffCall posted = ReadCall(call);
            posted.HandOff->RunPosted(posted.Ticket);
        },
        Qt::QueuedConnection);
    std::unique_lock lock(Mutex);
    Done.wait(lock, [&] { return Finished >= ticket || Cancelled; });
    const bool ran = Finished >= ticket;
    Pending = nullptr;
    lock.unlock();
    QObject::disconnect(gone);
    return ran;
}

void TUIHandOff::RunPosted(std::uint64_t Ticket) {
    std::function<void()> work;
    {
        std::lock_guard lock(Mutex);
        if (Ticket != Issued || Pending == nullptr) {
            return; // its Run has given up waiting: the work is gone with it
        }
        work = *Pending; // a copy: a Cancel may release the Run, and its work, while this one runs
    }
    work();
    std::lock_guard lock(Mutex);
    Finished = std::max(Finished, Ticket);
    Done.notify_all();
}

void TUIHandOff::Cancel() {
    std::lock_guard lock(Mutex);
    Cancelled = true;
    Done.notify_all();
}

TMakeMoveThread::TMakeMoveThread(TThreadView& view) : View(view), WakeEvent(EventName(this)) {}

TMakeMoveThread::~TMakeMoveThread() {
    Terminate();
    WaitFor();
}

void TMakeMoveThread::Append(TEntry Entry) {
    ++Outstanding; // before the entry is visible, so that Idle never sees it queued and not counted
    std::lock_guard lock(QueueLock);
    Queue.push_back(std::move(Entry));
}

void TMakeMoveThread::AddMove(const TMove& Move) {
    Append({Move, {}});
}

void TMakeMoveThread::AddCommand(std::function<void()> Command) {
    Append({TMove{}, std::move(Command)});
}

bool TMakeMoveThread::TakeEntry(TEntry& Entry) {
    std::lock_guard lock(QueueLock);
    if (Queue.empty()) {
        return false;
    }
    Entry = std::move(Queue.front());
    Queue.pop_front();
    return true;
}

void TMakeMoveThread::Terminate() {
    TThread::Terminate();
    HandOff.Cancel(); // a command waiting for the UI thread must not hold up the end
    WakeEvent.Set();  // no need to sit out the wait time-out
}

void TMakeMoveThread::Execute() {
    while (!Terminated()) {
        if (!WakeEvent.WaitFor(WakeTimeout)) {
            continue;
        }
        TEntry entry;
        while (!Terminated() && TakeEntry(entry)) {
            if (entry.Command) {
                HandOff.Run(View.HandOffContext(), entry.Command);
                entry.Command = nullptr; // what it holds goes now, not with the next entry
                --Outstanding;
                continue;
            }
            const TThreadView::TMovePace pace = View.MovePace();
            if (pace.Sounds) {
                RotationSound().Play();
            }
            PerformMove(entry.Move, pace.Step);
            if (pace.Sounds) {
                RotationSound().Stop();
            }
            --Outstanding;
        }
    }
    std::lock_guard lock(QueueLock);
    Outstanding -= Queue.size(); // what is still queued is dropped, not performed
    Queue.clear();
}

void TMakeMoveThread::PerformMove(const TMove& Move, float Step) {
    View.SetMoveInProgress(true);
    const auto animate = [&](bool clockwise) {
        if (!Move.Animate) {
            return;
        }
        try {
            View.AnimateQuarter(Move, clockwise, Step);
        } catch (const std::exception&) {
            // A frame that cannot be drawn must neither end the thread nor lose the turn: the frames
            // are only the picture of it, and the view shows the new state at its next frame.
        }
    };
    // Each quarter is one change of the model, made while no frame is being drawn.
    const auto turn = [&](int quarters) { View.ApplyQuarters(Move, quarters); };
    if (Move.Turns == 1 || Move.Turns == 2) {
        for (int t = 0; t < Move.Turns; ++t) {
            animate(true);
            turn(1);
        }
    } else if (Move.Turns == 3) {
        animate(false);
        turn(3);
    }
    View.SetMoveInProgress(false);
}

TAnimateThread::TAnimateThread(TThreadView& view) : View(view) {}

TAnimateThread::~TAnimateThread() {
    Terminate();
    WaitFor();
}

void TAnimateThread::Terminate() {
    TThread::Terminate();
    HandOff.Cancel(); // a redraw waiting for the UI thread must not hold up the end
}

void TAnimateThread::Execute() {
    while (!Terminated()) {
        CheckSuspended();
        if (Terminated()) {
            break;
        }
        AnimateStep();
        std::this_thread::sleep_for(std::chrono::milliseconds(AnimateInterval));
    }
}

void TAnimateThread::AnimateStep() {
    View.SpinStep();
    HandOff.Run(View.HandOffContext(), [this] { View.Redraw(); });
}

bool TRefreshThread::Run() {
    return HandOff.Run(View.HandOffContext(), [this] { View.Redraw(); });
}
