#pragma once
// Solver engines: shared libraries, written by anyone, known only through four exported C functions.
//
//   _fnRbkinfo(name[256], legal[256], version[33], contact[65], web[129], email[129])  required
//   _fnRbksolve(N, facelets, solution[1025]) -> int, negative: the cube is not valid    required
//   _fnRbkconstruct(order[129])   the engine's face order, six of "ufrbld"               optional
//   _fnRbksupport(N) -> byte      non-zero: the engine solves N x N x N cubes             optional
//   _fnRbkimprove(N, facelets, solution[1025], ms, better, context, stop) -> int           optional
//       solves, then keeps searching for shorter answers, reporting each through better(context,
//       solution, moves) on the calling thread, until *stop is non-zero, ms have passed or none is
//       shorter; the moves of the last answer written, or negative as _fnRbksolve
//
// No engine runs in this process. Each one lives in a host process of its own
// ("torvane-engine-host <library>", beside the program), started when the engine is loaded and kept,
// so that an engine that crashes or hangs costs one solve, never the program. A host that failed is
// killed and started again for the next solve.

#include "model/Cubi.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

extern "C" {
using TFnRbkInfo = void (*)(char* Name, char* LegalNotice, char* Version, char* Contact, char* WebSite,
                            char* EMail);
using TFnRbkSolve = std::int32_t (*)(std::int32_t N, const char* Facelets, char* Solution);
using TFnRbkConstruct = void (*)(char* FaceOrder);
using TFnRbkSupport = std::uint8_t (*)(std::int32_t N);
using TFnRbkBetter = void (*)(void* Context, const char* Solution, std::int32_t Moves);
using TFnRbkImprove = std::int32_t (*)(std::int32_t N, const char* Facelets, char* Solution,
                                       std::int32_t MaxMilliseconds, TFnRbkBetter Better, void* Context,
                                       const volatile std::int32_t* Stop);
}

// Buffer sizes handed to the exports, terminator included.
inline constexpr std::array<int, 6> InfoBufferSizes = {256, 256, 33, 65, 129, 129};
inline constexpr int ConstructBufferSize = 129;
inline constexpr int FaceletBufferSize = 513;
inline constexpr int SolutionBufferSize = 1025;

// The program beside the main program that hosts one engine library.
inline constexpr const char* EngineHostName = "torvane-engine-host";

// What the program knows of one engine. The function pointers are set only in the process that has
// the library loaded (the host); in the program they stay null and every call goes to the host.
struct EngineRec {
    TFnRbkInfo fnInfo = nullptr;
    TFnRbkSolve fnSolve = nullptr;
    TFnRbkConstruct fnConstruct = nullptr;
    TFnRbkSupport fnSupport = nullptr;
    TFnRbkImprove fnImprove = nullptr;
    std::string LibraryFile;                // as given to the table
    std::string ConstructString = "ufrbld"; // at most 6 letters
    std::string EngineName;
    std::string LegalNotice;
    std::string Version;
    std::string Contact;
    std::string WebSite;
    std::string EMail;
    std::string SupportedCubes; // "2x2 ", "3x3 ", "2x2 3x3 " or empty; empty without _fnRbksupport
    bool HasImprove = false;    // it exports _fnRbkimprove (known in the program too)

    // Whether the engine solves N x N x N cubes, by what it answered when it was loaded; false
    // without _fnRbksupport.
    bool Supports(int N) const;
};

inline constexpr int MaxEngines = 33;

// The longest a solve may take before the engine counts as hung.
inline constexpr std::chrono::seconds SolveTimeLimit{60};

// An engine's identity for as long as the program runs: never reused, so a game that chose an engine
// that was removed since finds none, never another one.
enum class TEngineId : std::uint32_t {
    None = 0,            // no engine
    First = 0xFFFFFFFFu, // whichever engine is first in the table when the game solves
};

enum class TSolveResult {
    Solved,       // the answer's tokens are in the list
    Invalid,      // the cube cannot be written as a facelet text, or the engine said it is not valid
    NoEngine,     // the id names no engine in the table
    EngineFailed, // the engine crashed, hung, threw, answered nonsense or failed on a valid cube, or
                  // its face order is not the six faces of "ufrbld" once each
};

// The engines the program knows, in the order the dialog and the menus show them ("slots"): those of
// the settings file in the order of their keys, then those added with the dialog.
//
// Threads: every member may be called from any thread; the table guards itself. Calls that load or
// solve block the calling thread until the host answers (never call them on the UI thread); the
// others only take the table's lock for a moment. Listeners run on whichever thread changed the
// table, with no lock of the table held.
class TEngineTable {
public:
    TEngineTable();
    // Stops the loads under way (killing their hosts) and waits for their threads; solves under way
    // keep their engine's host until they end.
    ~TEngineTable();
    TEngineTable(const TEngineTable&) = delete;
    TEngineTable& operator=(const TEngineTable&) = delete;

    // Where the host program and the remembered verdicts are. The host program defaults to the one
    // beside the running program; the verdicts to $XDG_CACHE_HOME/torvane/engines.ini (or
    // ~/.cache/torvane/); an empty VerdictFile remembers nothing.
    void SetHostProgram(std::string Program);
    void SetVerdictFile(std::string File);
    // The longest one load may take (start, the four calls, a solve of the clean cube): 10 s unless set.
    void SetLoadTimeLimit(std::chrono::milliseconds Limit);

    // Empties the table and loads Files (the settings file's keys in order; empty names are skipped)
    // all at once in the background, each taking its place in key order as it answers. A load under
    // way from an earlier call is stopped first. A relative file name is looked for in Folder.
    void LoadInBackground(std::vector<std::string> Files, const std::string& Folder);
    // Whether the loads of LoadInBackground have all answered.
    bool Loaded() const;
    // Waits until they have, until Deadline or until Stop is requested; true when they have.
    bool WaitLoaded(std::chrono::steady_clock::time_point Deadline, std::stop_token Stop = {}) const;

    // Loads one library after the others, blocking the calling thread: its id, or None when it is
    // refused. The reason goes to standard error, as every refusal's does, and into Reason.
    TEngineId Add(const std::string& File, const std::string& Folder = {}, std::string* Reason = nullptr);
    // The same on a thread of its own; Done(id or None) runs on that thread after the table changed.
    void AddInBackground(std::string File, std::string Folder, std::function<void(TEngineId)> Done);
    // Removes the engine; its host ends once no solve uses it. False when there is no such engine.
    bool Remove(TEngineId Id);
    // Removes every engine and stops the loads under way.
    void Clear();

    int Count() const;
    // The ids in slot order.
    std::vector<TEngineId> Ids() const;
    // A copy of the engine's record (First: the engine in the first slot); nothing when there is none.
    std::optional<EngineRec> Find(TEngineId Id) const;

    // Runs Listener after every change of the table, on the thread that changed it, until
    // Unsubscribe(the number returned) has returned.
    int Subscribe(std::function<void()> Listener);
    void Unsubscribe(int Listener);

    // Solves Cube with the engine: waits for the start-up loads first, then writes the cube in the
    // engine's face order and asks its host, all until Deadline or until Stop is requested (either
    // gives EngineFailed and restarts the host). List is changed only when the result is Solved. A
    // negative answer for a cube that the model finds possible is the engine's failure, not the cube's.
    TSolveResult Solve(TEngineId Id, const TRubikCube& Cube, std::vector<std::string>& List,
                       std::chrono::steady_clock::time_point Deadline, std::stop_token Stop = {},
                       std::string* EngineName = nullptr) const;

    // Solves as Solve does, and with an engine that can improve its answer keeps it searching for up to
    // Budget: Better(tokens) runs on the calling thread for each answer, the first included, that is
    // shorter than the last one. List gets the last of them when the result is Solved. A stop request
    // ends the search gracefully: the host is asked to stop, and the answer so far is Solved; a host
    // that has not answered within about a second is killed (EngineFailed). After Budget plus Margin
    // without its final answer the engine counts as hung (EngineFailed, its host started anew). An
    // engine without _fnRbkimprove answers once, through Better too, and is killed on a stop as in Solve.
    TSolveResult Improve(TEngineId Id, const TRubikCube& Cube, std::chrono::milliseconds Budget,
                         const std::function<void(std::vector<std::string>)>& Better,
                         std::vector<std::string>& List, std::stop_token Stop = {},
                         std::string* EngineName = nullptr,
                         std::chrono::milliseconds Margin = SolveTimeLimit) const;

    struct TState; // shared with the threads that load and solve, which may outlive the table

private:
    friend class TSolveJob;
    std::shared_ptr<TState> State;
};

// The table of the program: one per process.
TEngineTable& EngineTable();

// Solves with the program's table, blocking the calling thread for at most SolveTimeLimit.
TSolveResult SolveCube(TEngineId Id, const TRubikCube& Cube, std::vector<std::string>& SolutionList);
