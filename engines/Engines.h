#pragma once
// Solver engines: shared libraries, written by anyone, known only through four exported C functions.
// The table of loaded engines exists once per process and is used on the UI thread only (engine calls
// are synchronous), so it has no lock. Libraries are never unloaded.
//
//   _fnRbkinfo(name[256], legal[256], version[33], contact[65], web[129], email[129])  required
//   _fnRbksolve(N, facelets, solution[1025]) -> int, negative: the cube is not valid    required
//   _fnRbkconstruct(order[129])   the engine's face order, six of "ufrbld"               optional
//   _fnRbksupport(N) -> byte      non-zero: the engine solves N x N x N cubes             optional

#include "model/Cubi.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

extern "C" {
using TFnRbkInfo = void (*)(char* Name, char* LegalNotice, char* Version, char* Contact, char* WebSite,
                            char* EMail);
using TFnRbkSolve = std::int32_t (*)(std::int32_t N, const char* Facelets, char* Solution);
using TFnRbkConstruct = void (*)(char* FaceOrder);
using TFnRbkSupport = std::uint8_t (*)(std::int32_t N);
}

// Buffer sizes handed to the exports, terminator included.
inline constexpr std::array<int, 6> InfoBufferSizes = {256, 256, 33, 65, 129, 129};
inline constexpr int ConstructBufferSize = 129;
inline constexpr int FaceletBufferSize = 513;
inline constexpr int SolutionBufferSize = 1025;

struct EngineRec {
    TFnRbkInfo fnInfo = nullptr;
    TFnRbkSolve fnSolve = nullptr;
    TFnRbkConstruct fnConstruct = nullptr;
    TFnRbkSupport fnSupport = nullptr;
    std::string LibraryFile;                // as given to LoadEngine
    std::string ConstructString = "ufrbld"; // at most 6 letters
    std::string EngineName;
    std::string LegalNotice;
    std::string Version;
    std::string Contact;
    std::string WebSite;
    std::string EMail;
    std::string SupportedCubes; // "2x2 ", "3x3 ", "2x2 3x3 " or empty

    // Whether the engine solves N x N x N cubes; false without _fnRbksupport.
    bool Supports(int N) const;
};

inline constexpr int MaxEngines = 33;
// Slots 0 .. EngineCount - 1 hold engines; the ones above may hold stale records and are never read.
extern std::array<EngineRec, MaxEngines> Engines;
extern int EngineCount;

// Loads one library into Engines[Slot]; Slot on success, -1 otherwise (a missing file, a file that
// does not load, a missing _fnRbkinfo or _fnRbksolve, a slot outside the table, a library that
// crashes or hangs on trial). Nothing is reported.
// A relative FileName is looked for in Folder (the program folder) when one is given. Before the
// library comes into this process, the probe program of Folder (engines/Probe.h) tries it in a child
// process, for at most 5 seconds; without a Folder, or when the probe is missing or cannot run, the
// library is loaded untried. The slot is cleared once the library is loaded, so a reused slot never
// shows what an earlier occupant wrote. The caller raises EngineCount when the result is not -1.
int LoadEngine(const std::string& FileName, int Slot, const std::string& Folder = {});

// Removes the engine in Slot by moving the ones above it down; its library stays loaded.
void RemoveEngine(int Slot);

enum class TSolveResult {
    Solved,       // SolutionList holds the answer's tokens
    Invalid,      // the cube cannot be written as a facelet text, or the engine said it is not valid
    NoEngine,     // Slot holds no engine
    EngineFailed, // the engine threw, or its face order is not the six faces of "ufrbld" once each
};

// Writes the cube as a facelet text in the engine's face order, calls its _fnRbksolve and splits the
// answer into SolutionList. SolutionList is only changed when the result is Solved.
TSolveResult SolveCube(int Slot, const TRubikCube& Cube, std::vector<std::string>& SolutionList);
