#pragma once
// The table's insides, shared by the table and the solve jobs' threads (engines/ only).

#include "engines/EngineHost.h"
#include "engines/Engines.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

namespace enginetable {

using TClock = std::chrono::steady_clock;

// One engine in the table. The record never changes once the engine is in the table; the host is
// used by one solve at a time (Busy, under the table's lock).
struct TEntry {
    TEngineId Id = TEngineId::None;
    int Order = 0;
    EngineRec Rec;
    std::unique_ptr<TEngineHost> Host;
    bool Busy = false;
};

// Keys "Engine1" to "Engine33" come first; engines added later follow in the order they were added.
inline constexpr int FirstAddedOrder = 1000;

// $XDG_CACHE_HOME/torvane/engines.ini, or ~/.cache/torvane/engines.ini.
std::string DefaultVerdictFile();
// A copy of the process's environment, as "NAME=value" texts.
std::vector<std::string> CurrentEnvironment();
struct TLibraryFile;

} // namespace enginetable

struct TEngineTable::TState {
    mutable std::mutex Mutex;
    mutable std::condition_variable_any Changed;
    std::vector<std::shared_ptr<enginetable::TEntry>> Entries; // in slot order
    std::uint32_t NextId = 1;
    int NextAddedOrder = enginetable::FirstAddedOrder;
    int Pending = 0; // start-up loads that have not answered
    std::string HostProgram;
    // The environment the hosts are started with, copied when the table is made (on the UI thread):
    // the UI thread may change the process's own environment later (the web view's settings), and a
    // load thread reading it meanwhile would read freed memory.
    const std::vector<std::string> HostEnvironment = enginetable::CurrentEnvironment();
    // Our own engine needs about 0.1 s for a load (it reads its tables then), and builds them in about
    // 2.5 s on a slow machine when neither its shipped file nor its cache is there. Loads run in the
    // background, so the limit delays nothing else.
    std::atomic<std::chrono::milliseconds> LoadTimeLimit{std::chrono::seconds(10)};
    std::string VerdictFile = enginetable::DefaultVerdictFile();

    // The load threads, and what stops them; only the threads calling LoadInBackground, Add, Clear and
    // the destructor touch these.
    std::mutex LoadersMutex;
    std::stop_source LoadStop;
    std::vector<std::jthread> Loaders;

    std::mutex ListenersMutex; // held while listeners run
    std::map<int, std::function<void()>> Listeners;
    int NextListener = 1;

    std::mutex VerdictMutex; // one reader-writer of the verdict file at a time

    void Notify() {
        std::lock_guard lock(ListenersMutex);
        for (const auto& [number, listener] : Listeners) {
            listener();
        }
    }

    void StopLoads() {
        std::lock_guard lock(LoadersMutex);
        LoadStop.request_stop();
        Loaders.clear(); // joins
        LoadStop = std::stop_source();
    }

    std::shared_ptr<enginetable::TEntry> Resolve(TEngineId Id) const {
        if (Id == TEngineId::First) {
            return Entries.empty() ? nullptr : Entries.front();
        }
        const auto found =
            std::find_if(Entries.begin(), Entries.end(), [&](const auto& e) { return e->Id == Id; });
        return found == Entries.end() ? nullptr : *found;
    }

    TEngineId Insert(std::shared_ptr<enginetable::TEntry> Entry) {
        Entry->Id = static_cast<TEngineId>(NextId++);
        const auto place = std::upper_bound(Entries.begin(), Entries.end(), Entry->Order,
                                            [](int order, const auto& e) { return order < e->Order; });
        Entries.insert(place, Entry);
        return Entry->Id;
    }

    std::optional<std::string> RememberedRefusal(const enginetable::TLibraryFile& File);
    void RememberRefusal(const enginetable::TLibraryFile& File, const std::string& Reason);
    std::shared_ptr<enginetable::TEntry> Load(const std::string& FileName, const std::string& Folder,
                                              std::stop_token Stop, std::string& Reason);
    TEngineId Add(const std::string& File, const std::string& Folder, std::stop_token Stop,
                  std::string* Reason);
    bool WaitLoaded(enginetable::TClock::time_point Deadline, std::stop_token Stop) {
        std::unique_lock lock(Mutex);
        return Changed.wait_until(lock, Stop, Deadline, [&] { return Pending == 0; });
    }
    TSolveResult Solve(TEngineId Id, const TRubikCube& Cube, std::vector<std::string>& List,
                       enginetable::TClock::time_point Deadline, std::stop_token Stop,
                       std::string* EngineName);
    TSolveResult Improve(TEngineId Id, const TRubikCube& Cube, std::chrono::milliseconds Budget,
                         const std::function<void(std::vector<std::string>)>& Better,
                         std::vector<std::string>& List, enginetable::TClock::time_point Deadline,
                         std::stop_token Stop, std::string* EngineName);

private:
    // Asks the engine's host about the facelet text once the host is this solve's alone.
    using TAsk = std::function<TEngineHost::TAnswer(TEngineHost& Host, const EngineRec& Engine,
                                                    const std::string& Facelets)>;
    TSolveResult Ask(TEngineId Id, const TRubikCube& Cube, std::vector<std::string>& List,
                     enginetable::TClock::time_point Deadline, const std::stop_token& Stop,
                     std::string* EngineName, const TAsk& Call);
};
