#pragma once
// The worker threads of a view: the move thread that performs queued moves with animated layer turns,
// the animate thread that spins a preview, and the hand-off that carries one redraw over to the UI
// thread. Plus the two primitives they are built from: a thread that can start suspended, be
// suspended, resumed and asked to end; and a named auto-reset event with a wait time-out.
//
// The threads know their view only through TThreadView below, which the view implements: the view
// depends on this library, not the other way round.
//
// Lock discipline (the view's own locks are listed in view/Cube3D.h):
// - Moves and commands share one queue and are carried out in the order they were queued: a command
//   (a Clean, a copy of the cube for a solver, new settings) runs on the UI thread while this thread
//   waits for it, so it never meets a half-turned cube and a move queued after it waits for it. Ending
//   the thread cancels that wait, so the UI thread may end the thread at any time.
// - QueueLock guards Queue and nothing else. It is held for one append or one removal, never while
//   a move or command is carried out, and nothing else is taken while it is held.
// - Outstanding counts the entries queued and not yet finished; it is atomic, so the UI thread learns
//   that everything is done (Idle) without taking any lock.
// - A move is performed with no lock of this thread held: each frame takes the view's Lock, each
//   quarter turn of the model takes the view's ModelLock for that instant only.
// - The settings a move is performed with (speed, sounds) are a copy taken under the view's Lock when
//   the move starts.
// - No thread waits for the UI thread while it holds a lock; the UI thread never shows a box or runs
//   an event loop while it holds one (view messages are queued, see app/Dialogs.h).

#include "model/Notation.h"

#include <QObject>
#include <QPointer>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

// What the worker threads drive. Each call takes the locks it needs itself and holds none on return.
class TThreadView {
public:
    virtual ~TThreadView() = default;

    // How the next move is performed: degrees per frame and whether the rotation sound plays, from a
    // copy of the settings taken under the view's lock.
    struct TMovePace {
        float Step = 2.0f;
        bool Sounds = false;
    };
    virtual TMovePace MovePace() = 0;
    // Set while a move is performed: the view's own still frames draw nothing meanwhile.
    virtual void SetMoveInProgress(bool InProgress) = 0;
    // Draws the frames of one quarter turn of the move's layer, Step degrees apart.
    virtual void AnimateQuarter(const TMove& Move, bool Clockwise, float Step) = 0;
    // Turns the model by Quarters clockwise quarter turns of the move's layer, as one change.
    virtual void ApplyQuarters(const TMove& Move, int Quarters) = 0;
    // One step of a preview's own spin: the environment camera and the cube turn a little.
    virtual void SpinStep() = 0;
    // Draws the view with every pending change applied; on the UI thread only.
    virtual void Redraw() = 0;
    // The object hand-offs to the UI thread run on; gone with the view, which drops them.
    virtual QObject* HandOffContext() const = 0;
};

// One signal releases one wait; a signal nobody waits for stays until the next wait takes it.
class TAutoResetEvent {
public:
    explicit TAutoResetEvent(std::string name) : Name(std::move(name)) {}
    void Set();
    // True when the event was set (and is now reset), false after Milliseconds without a signal.
    bool WaitFor(int Milliseconds);
    const std::string Name; // for diagnostics only

private:
    std::mutex Mutex;
    std::condition_variable Signal;
    bool IsSet = false;
};

// A thread whose work is Execute(). It is created suspended; Start or Resume lets it run. Suspension
// is cooperative: Execute calls CheckSuspended() where it may pause.
class TThread {
public:
    TThread();
    virtual ~TThread();
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;

    void Start() { Resume(); }
    void Resume();
    void Suspend();
    bool Suspended() const { return IsSuspended; }
    // True before the first start and while Execute waits in CheckSuspended: a suspended thread has
    // really stopped only then.
    bool Paused() const { return IsPaused; }
    // Asks Execute to end soon; wakes a suspended thread so that it can.
    virtual void Terminate();
    bool Terminated() const { return IsTerminated; }
    // Waits until the thread has ended. Terminate first, or this waits for Execute to end by itself.
    void WaitFor();

protected:
    virtual void Execute() = 0;
    // Blocks while the thread is suspended (and not asked to end).
    void CheckSuspended();

private:
    void Run();

    std::mutex Mutex;
    std::condition_variable Changed;
    std::atomic<bool> IsSuspended{true};
    std::atomic<bool> IsTerminated{false};
    std::atomic<bool> IsPaused{true};
    bool Launched = false;
    std::thread Worker;
};

// Runs a function on the UI thread and waits until it has run, unless cancelled first. A pending call
// whose context object is gone (its view was freed) is dropped, never run.
class TUIHandOff {
public:
    // From a thread other than the UI thread. False when cancelled or the context is gone.
    bool Run(QObject* Context, const std::function<void()>& Work);
    // Releases a Run that waits, now and for good.
    void Cancel();
    // On the UI thread: the work of the Run that posted Ticket, if that Run still waits for it.
    void RunPosted(std::uint64_t Ticket);

private:
    std::mutex Mutex;
    const std::function<void()>* Pending = nullptr; // the waiting Run's work, guarded by Mutex
    std::condition_variable Done;
    bool Cancelled = false;
    std::uint64_t Finished = 0;
    std::uint64_t Issued = 0;
};

// Performs the moves that ExecuteMoves queued, one after another, each shown as an animated turn.
class TMakeMoveThread : public TThread {
public:
    explicit TMakeMoveThread(TThreadView& View);
    ~TMakeMoveThread() override;

    // Appends a copy of the move; never waits for a move being performed.
    void AddMove(const TMove& Move);
    // Appends a command. Once everything queued before it is done, it runs on the UI thread (on the
    // view's HandOffContext) while this thread waits; dropped, never run, when the thread ends first.
    void AddCommand(std::function<void()> Command);
    void Wake() { WakeEvent.Set(); }
    void Terminate() override;
    // True when every move and command queued so far has been carried out (or dropped). Never blocks.
    bool Idle() const { return Outstanding == 0; }

    TThreadView& View;
    TAutoResetEvent WakeEvent;

protected:
    void Execute() override;
    void PerformMove(const TMove& Move, float Step);

private:
    // A move, or a command when Command is set.
    struct TEntry {
        TMove Move;
        std::function<void()> Command;
    };
    // The oldest queued entry, if any, taken out under QueueLock.
    bool TakeEntry(TEntry& Entry);
    void Append(TEntry Entry);

    std::mutex QueueLock;     // guards Queue only
    std::deque<TEntry> Queue; // guarded by QueueLock
    std::atomic<std::size_t> Outstanding{0};
    TUIHandOff HandOff; // carries commands over to the UI thread
};

// Spins a preview: every 10 ms one step of azimuth and arcball, then a redraw on the UI thread.
class TAnimateThread : public TThread {
public:
    explicit TAnimateThread(TThreadView& View);
    ~TAnimateThread() override;
    void Terminate() override;
    void AnimateStep();

    TThreadView& View;

protected:
    void Execute() override;

private:
    TUIHandOff HandOff;
};

// Carries one redraw of the view over to the UI thread and waits for it; used by Refresh when it is
// called off the UI thread.
class TRefreshThread {
public:
    explicit TRefreshThread(TThreadView& view) : View(view) {}
    bool Run();
    void Cancel() { HandOff.Cancel(); }

    TThreadView& View;

private:
    TUIHandOff HandOff;
};
