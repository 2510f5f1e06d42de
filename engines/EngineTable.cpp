#include "engines/EngineTableState.h"
#include "ini/IniFile.h"
#include "model/CubeCheck.h"
#include "model/Notation.h"

#include <algorithm>
#include <climits>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace enginetable;
using hostprotocol::TReplyKind;

namespace {

// More remembered verdicts than this are not looked through (or written).
constexpr int MaxVerdicts = 1000;

} // namespace

namespace enginetable {

// Where a library is and what it was when a verdict was taken.
struct TLibraryFile {
    std::string Path; // absolute
    std::string Size;
    std::string Time; // of the last change, in nanoseconds
};

std::vector<std::string> CurrentEnvironment() {
    std::vector<std::string> variables;
    for (char** variable = environ; variable != nullptr && *variable != nullptr; ++variable) {
        variables.emplace_back(*variable);
    }
    return variables;
}

std::string DefaultVerdictFile() {
    std::filesystem::path folder;
    if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache != nullptr && *cache == '/') {
        folder = cache;
    } else if (const char* home = std::getenv("HOME"); home != nullptr && *home == '/') {
        folder = std::filesystem::path(home) / ".cache";
    } else {
        return {};
    }
    return (folder / "torvane" / "engines.ini").string();
}

} // namespace enginetable

namespace {

std::optional<TLibraryFile> Stat(const std::filesystem::path& Path) {
    struct stat info {};
    if (stat(Path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return std::nullopt;
    }
    const long long nanoseconds =
        static_cast<long long>(info.st_mtim.tv_sec) * 1'000'000'000LL + info.st_mtim.tv_nsec;
    return TLibraryFile{Path.string(), std::to_string(info.st_size), std::to_string(nanoseconds)};
}

std::string DefaultHostProgram() {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return (self.parent_path() / EngineHostName).string();
}

bool IsFaceOrder(const std::string& Order) {
    return Order.size() == ColorLetters.size() &&
           std::is_permutation(Order.begin(), Order.end(), ColorLetters.begin());
}

std::string Seconds(std::chrono::milliseconds Time) {
    const long long tenths = Time.count() / 100;
    return std::to_string(tenths / 10) + (tenths % 10 != 0 ? "." + std::to_string(tenths % 10) : "") + " s";
}

void Report(const std::string& File, const std::string& What) {
    std::fprintf(stderr, "torvane: engine \"%s\" %s\n", File.c_str(), What.c_str());
}

} // namespace

bool EngineRec::Supports(int N) const {
    if (N < 2 || N > 3) {
        return false;
    }
    const std::string name = std::string(SizeNames[static_cast<std::size_t>(N - 2)]) + ' ';
    return SupportedCubes.find(name) != std::string::npos;
}

// Verdicts are remembered by path, size and time of change, one section per path.
std::optional<std::string> TEngineTable::TState::RememberedRefusal(const TLibraryFile& File) {
    std::lock_guard lock(VerdictMutex);
    if (VerdictFile.empty()) {
        return std::nullopt;
    }
    const TIniFile ini(VerdictFile);
    for (int k = 1; k <= MaxVerdicts; ++k) {
        const std::string section = "Engine" + std::to_string(k);
        if (!ini.SectionExists(section)) {
            break;
        }
        if (ini.ReadString(section, "Path", "") == File.Path) {
            const std::string reason = ini.ReadString(section, "Refused", "");
            if (ini.ReadString(section, "Size", "") != File.Size ||
                ini.ReadString(section, "Time", "") != File.Time || reason.empty()) {
                return std::nullopt;
            }
            return reason;
        }
    }
    return std::nullopt;
}

void TEngineTable::TState::RememberRefusal(const TLibraryFile& File, const std::string& Reason) {
    std::lock_guard lock(VerdictMutex);
    if (VerdictFile.empty()) {
        return;
    }
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(VerdictFile).parent_path(), error);
    TIniFile ini(VerdictFile);
    for (int k = 1; k <= MaxVerdicts; ++k) {
        const std::string section = "Engine" + std::to_string(k);
        if (!ini.SectionExists(section) || ini.ReadString(section, "Path", "") == File.Path) {
            ini.WriteString(section, "Path", File.Path);
            ini.WriteString(section, "Size", File.Size);
            ini.WriteString(section, "Time", File.Time);
            ini.WriteString(section, "Refused", Reason);
            ini.UpdateFile(); // a verdict that cannot be kept is taken again at the next start
            return;
        }
    }
}

// Starts the library's host and asks it what a load asks, then has it solve the clean cube: an engine
// that survives this is kept, with its host running.
std::shared_ptr<TEntry> TEngineTable::TState::Load(const std::string& FileName, const std::string& Folder,
                                                   std::stop_token Stop, std::string& Reason) {
    std::filesystem::path path(FileName);
    if (path.is_relative() && !Folder.empty()) {
        path = std::filesystem::path(Folder) / path;
    }
    std::error_code error;
    path = std::filesystem::absolute(path, error);
    const std::optional<TLibraryFile> file = Stat(path);
    if (!file) {
        Reason = "there is no such file";
        return nullptr;
    }
    if (std::optional<std::string> remembered = RememberedRefusal(*file)) {
        Reason = *remembered + " (remembered from an earlier start)";
        return nullptr;
    }
    std::string program;
    {
        std::lock_guard lock(Mutex);
        program = !Folder.empty()        ? (std::filesystem::path(Folder) / EngineHostName).string()
                  : !HostProgram.empty() ? HostProgram
                                         : DefaultHostProgram();
    }
    auto entry = std::make_shared<TEntry>();
    entry->Host = std::make_unique<TEngineHost>(program, file->Path, HostEnvironment);
    EngineRec& rec = entry->Rec;
    rec.LibraryFile = FileName;
    rec.SupportedCubes.clear();

    const auto deadline = TClock::now() + LoadTimeLimit.load();
    bool ourFault = false;
    bool stopped = false;
    // Why the trial failed: the engine's doing, or ours (the host program cannot be started).
    const auto failed = [&](const TEngineHost::TAnswer& answer) {
        Reason = answer.OurFault
                     ? answer.Failure
                     : (answer.TimedOut ? "it did not answer within " + Seconds(LoadTimeLimit.load())
                                        : answer.Failure) +
                           " on trial";
        ourFault = answer.OurFault;
        stopped = answer.Stopped;
    };
    const auto call = [&](TReplyKind Kind,
                          const std::string& Request) -> std::optional<hostprotocol::TReply> {
        const TEngineHost::TAnswer answer = entry->Host->Call(Kind, Request, deadline, Stop);
        if (!answer.Ok) {
            failed(answer);
            return std::nullopt;
        }
        if (answer.Reply.Failed && Kind != TReplyKind::Solve) {
            Reason = "it threw an exception on trial";
            return std::nullopt;
        }
        return answer.Reply;
    };
    const auto refused = [&]() -> std::shared_ptr<TEntry> {
        if (!ourFault && !stopped) {
            RememberRefusal(*file, Reason);
        }
        return nullptr;
    };

    const TEngineHost::TAnswer hello = entry->Host->Start(deadline, Stop);
    if (!hello.Ok) {
        failed(hello);
        return refused();
    }
    if (hello.Reply.Refused) {
        Reason = "it is no engine: " + hello.Reply.Texts.front();
        return refused();
    }
    const std::optional<hostprotocol::TReply> info = call(TReplyKind::Info, hostprotocol::InfoRequest());
    if (!info) {
        return refused();
    }
    rec.EngineName = info->Texts[0];
    rec.LegalNotice = info->Texts[1];
    rec.Version = info->Texts[2];
    rec.Contact = info->Texts[3];
    rec.WebSite = info->Texts[4];
    rec.EMail = info->Texts[5];
    rec.HasImprove = hello.Reply.HasImprove;
    if (hello.Reply.HasSupport) {
        for (int n = 2; n <= 3; ++n) {
            const std::optional<hostprotocol::TReply> support =
                call(TReplyKind::Support, hostprotocol::SupportRequest(n));
            if (!support) {
                return refused();
            }
            if (support->Number != 0) {
                rec.SupportedCubes += std::string(SizeNames[static_cast<std::size_t>(n - 2)]) + ' ';
            }
        }
    }
    if (hello.Reply.HasConstruct) {
        const std::optional<hostprotocol::TReply> order =
            call(TReplyKind::Construct, hostprotocol::ConstructRequest());
        if (!order) {
            return refused();
        }
        rec.ConstructString = order->Texts[0];
    }
    // The clean cube in the engine's own face order; whatever it answers, only surviving counts.
    std::string clean;
    for (const char face :
         IsFaceOrder(rec.ConstructString) ? rec.ConstructString : std::string(ColorLetters)) {
        clean += std::string(9, face);
    }
    if (!call(TReplyKind::Solve, hostprotocol::SolveRequest(3, clean))) {
        return refused();
    }
    return entry;
}

TEngineTable::TEngineTable() : State(std::make_shared<TState>()) {}

TEngineTable::~TEngineTable() {
    State->StopLoads();
}

void TEngineTable::SetHostProgram(std::string Program) {
    std::lock_guard lock(State->Mutex);
    State->HostProgram = std::move(Program);
}

void TEngineTable::SetLoadTimeLimit(std::chrono::milliseconds Limit) {
    State->LoadTimeLimit = Limit;
}

void TEngineTable::SetVerdictFile(std::string File) {
    std::lock_guard lock(State->VerdictMutex);
    State->VerdictFile = std::move(File);
}

void TEngineTable::LoadInBackground(std::vector<std::string> Files, const std::string& Folder) {
    State->StopLoads();
    {
        std::lock_guard lock(State->Mutex);
        State->Entries.clear();
        State->Pending = static_cast<int>(
            std::count_if(Files.begin(), Files.end(), [](const auto& f) { return !f.empty(); }));
    }
    State->Notify();
    std::lock_guard lock(State->LoadersMutex);
    for (std::size_t k = 0; k < Files.size(); ++k) {
        if (Files[k].empty()) {
            continue;
        }
        const int order = static_cast<int>(k) + 1;
        State->Loaders.emplace_back(
            [state = State, file = Files[k], Folder, order, stop = State->LoadStop.get_token()] {
                std::string reason;
                std::shared_ptr<TEntry> entry = state->Load(file, Folder, stop, reason);
                {
                    std::lock_guard guard(state->Mutex);
                    if (stop.stop_requested()) {
                        return; // the table was emptied meanwhile
                    }
                    if (entry) {
                        entry->Order = order;
                        state->Insert(std::move(entry));
                    }
                    --state->Pending;
                }
                state->Changed.notify_all();
                if (!reason.empty()) {
                    Report(file, "refused: " + reason);
                }
                state->Notify();
            });
    }
}

bool TEngineTable::Loaded() const {
    std::lock_guard lock(State->Mutex);
    return State->Pending == 0;
}

bool TEngineTable::WaitLoaded(std::chrono::steady_clock::time_point Deadline, std::stop_token Stop) const {
    return State->WaitLoaded(Deadline, Stop);
}

TEngineId TEngineTable::TState::Add(const std::string& File, const std::string& Folder, std::stop_token Stop,
                                    std::string* Reason) {
    std::string reason;
    std::shared_ptr<TEntry> entry = Load(File, Folder, Stop, reason);
    TEngineId id = TEngineId::None;
    {
        std::lock_guard lock(Mutex);
        if (entry && !Stop.stop_requested()) {
            entry->Order = NextAddedOrder++;
            id = Insert(std::move(entry));
        }
    }
    if (!reason.empty()) {
        Report(File, "refused: " + reason);
    }
    if (Reason != nullptr) {
        *Reason = reason;
    }
    if (id != TEngineId::None) {
        Notify();
    }
    return id;
}

TEngineId TEngineTable::Add(const std::string& File, const std::string& Folder, std::string* Reason) {
    std::stop_token stop;
    {
        std::lock_guard lock(State->LoadersMutex);
        stop = State->LoadStop.get_token();
    }
    return State->Add(File, Folder, stop, Reason);
}

void TEngineTable::AddInBackground(std::string File, std::string Folder,
                                   std::function<void(TEngineId)> Done) {
    std::lock_guard lock(State->LoadersMutex);
    State->Loaders.emplace_back([state = State, File = std::move(File), Folder = std::move(Folder),
                                 Done = std::move(Done), stop = State->LoadStop.get_token()] {
        const TEngineId id = state->Add(File, Folder, stop, nullptr);
        if (Done) {
            Done(id);
        }
    });
}

bool TEngineTable::Remove(TEngineId Id) {
    {
        std::lock_guard lock(State->Mutex);
        const auto found = std::find_if(State->Entries.begin(), State->Entries.end(),
                                        [&](const auto& e) { return e->Id == Id; });
        if (found == State->Entries.end() || Id == TEngineId::First) {
            return false;
        }
        State->Entries.erase(found); // its host ends with the last solve that holds it
    }
    State->Notify();
    return true;
}

void TEngineTable::Clear() {
    State->StopLoads();
    {
        std::lock_guard lock(State->Mutex);
        State->Entries.clear();
        State->Pending = 0;
    }
    State->Changed.notify_all();
    State->Notify();
}

int TEngineTable::Count() const {
    std::lock_guard lock(State->Mutex);
    return static_cast<int>(State->Entries.size());
}

std::vector<TEngineId> TEngineTable::Ids() const {
    std::lock_guard lock(State->Mutex);
    std::vector<TEngineId> ids;
    for (const auto& entry : State->Entries) {
        ids.push_back(entry->Id);
    }
    return ids;
}

std::optional<EngineRec> TEngineTable::Find(TEngineId Id) const {
    std::lock_guard lock(State->Mutex);
    if (const std::shared_ptr<TEntry> entry = State->Resolve(Id)) {
        return entry->Rec;
    }
    return std::nullopt;
}

int TEngineTable::Subscribe(std::function<void()> Listener) {
    std::lock_guard lock(State->ListenersMutex);
    State->Listeners.emplace(State->NextListener, std::move(Listener));
    return State->NextListener++;
}

void TEngineTable::Unsubscribe(int Listener) {
    std::lock_guard lock(State->ListenersMutex);
    State->Listeners.erase(Listener);
}

TSolveResult TEngineTable::Solve(TEngineId Id, const TRubikCube& Cube, std::vector<std::string>& List,
                                 std::chrono::steady_clock::time_point Deadline, std::stop_token Stop,
                                 std::string* EngineName) const {
    return State->Solve(Id, Cube, List, Deadline, std::move(Stop), EngineName);
}

TSolveResult TEngineTable::TState::Solve(TEngineId Id, const TRubikCube& Cube, std::vector<std::string>& List,
                                         TClock::time_point Deadline, std::stop_token Stop,
                                         std::string* EngineName) {
    return Ask(Id, Cube, List, Deadline, Stop, EngineName,
               [&](TEngineHost& Host, const EngineRec&, const std::string& Facelets) {
                   return Host.Call(TReplyKind::Solve, hostprotocol::SolveRequest(Cube.Size, Facelets),
                                    Deadline, Stop);
               });
}

TSolveResult TEngineTable::Improve(TEngineId Id, const TRubikCube& Cube, std::chrono::milliseconds Budget,
                                   const std::function<void(std::vector<std::string>)>& Better,
                                   std::vector<std::string>& List, std::stop_token Stop,
                                   std::string* EngineName, std::chrono::milliseconds Margin) const {
    return State->Improve(Id, Cube, Budget, Better, List, TClock::now() + Budget + Margin, std::move(Stop),
                          EngineName);
}

TSolveResult TEngineTable::TState::Improve(TEngineId Id, const TRubikCube& Cube,
                                           std::chrono::milliseconds Budget,
                                           const std::function<void(std::vector<std::string>)>& Better,
                                           std::vector<std::string>& List, TClock::time_point Deadline,
                                           std::stop_token Stop, std::string* EngineName) {
    // Only answers shorter than the last one reported are passed on, whatever the engine claims.
    std::optional<std::vector<std::string>> best;
    const auto offer = [&](std::string_view Answer) {
        std::vector<std::string> tokens;
        SplitMoves(Answer, tokens);
        if (!best || tokens.size() < best->size()) {
            best = tokens;
            if (Better) {
                Better(std::move(tokens));
            }
        }
    };
    const auto milliseconds =
        static_cast<std::int32_t>(std::clamp<std::chrono::milliseconds::rep>(Budget.count(), 0, INT32_MAX));
    std::vector<std::string> last;
    const TSolveResult result = Ask(
        Id, Cube, last, Deadline, Stop, EngineName,
        [&](TEngineHost& Host, const EngineRec& Engine, const std::string& Facelets) {
            if (!Engine.HasImprove) {
                return Host.Call(TReplyKind::Solve, hostprotocol::SolveRequest(Cube.Size, Facelets), Deadline,
                                 Stop);
            }
            return Host.Improve(hostprotocol::ImproveRequest(Cube.Size, milliseconds, Facelets), Deadline,
                                Stop, [&](const hostprotocol::TReply& Reply) { offer(Reply.Texts.front()); });
        });
    if (result != TSolveResult::Solved) {
        return result;
    }
    if (!best || last.size() < best->size()) {
        best = last;
        if (Better) {
            Better(std::move(last));
        }
    }
    List = std::move(*best);
    return TSolveResult::Solved;
}

TSolveResult TEngineTable::TState::Ask(TEngineId Id, const TRubikCube& Cube, std::vector<std::string>& List,
                                       TClock::time_point Deadline, const std::stop_token& Stop,
                                       std::string* EngineName, const TAsk& Call) {
    // A game that asks before the engines of the settings file have answered gets the table they make.
    if (!WaitLoaded(Deadline, Stop)) {
        return TSolveResult::EngineFailed;
    }
    std::shared_ptr<TEntry> entry;
    {
        std::lock_guard lock(Mutex);
        entry = Resolve(Id);
    }
    if (!entry) {
        return TSolveResult::NoEngine;
    }
    const EngineRec& engine = entry->Rec; // fixed while the entry lives
    if (EngineName != nullptr) {
        *EngineName = engine.EngineName;
    }
    if (!IsFaceOrder(engine.ConstructString)) {
        return TSolveResult::EngineFailed; // no cube can be written in that order
    }
    // A sticker without colour or a size without facelet text cannot be handed to an engine; that is
    // the user's cube to correct, not the engine's.
    const std::optional<std::string> facelets = Cube.CubeString(engine.ConstructString);
    if (!facelets || facelets->size() >= FaceletBufferSize) {
        return TSolveResult::Invalid;
    }
    // One solve at a time per host; a second game asking the same engine waits its turn.
    {
        std::unique_lock lock(Mutex);
        if (!Changed.wait_until(lock, Stop, Deadline, [&] { return !entry->Busy; })) {
            return TSolveResult::EngineFailed;
        }
        entry->Busy = true;
    }
    const TEngineHost::TAnswer answer = Call(*entry->Host, engine, *facelets);
    {
        std::lock_guard lock(Mutex);
        entry->Busy = false;
    }
    Changed.notify_all();
    if (!answer.Ok) {
        // A stop ends a plain solve by killing its host: no failure of the engine's. A host that did
        // not stop when asked did fail.
        if (!answer.Stopped || answer.TimedOut) {
            Report(engine.LibraryFile, "failed: " + answer.Failure + " while solving");
        }
        return TSolveResult::EngineFailed;
    }
    if (answer.Reply.Failed) {
        return TSolveResult::EngineFailed;
    }
    if (answer.Reply.Number < 0) {
        // A negative answer for a cube the model finds possible is the engine's own failure.
        const bool possible = CheckCube(Cube).Fault == TCubeFault::None;
        return possible ? TSolveResult::EngineFailed : TSolveResult::Invalid;
    }
    SplitMoves(answer.Reply.Texts.front(), List);
    return TSolveResult::Solved;
}

TEngineTable& EngineTable() {
    static TEngineTable table;
    return table;
}

TSolveResult SolveCube(TEngineId Id, const TRubikCube& Cube, std::vector<std::string>& SolutionList) {
    return EngineTable().Solve(Id, Cube, SolutionList, TClock::now() + SolveTimeLimit);
}
