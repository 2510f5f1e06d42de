#pragma once
// An engine library loaded into the calling process, and the four calls with the buffers the exports
// are promised. Only the host program (and benchmarks measuring the in-process call) use this: a
// library loaded here can take the process down with it.

#include "engines/Engines.h"

#include <array>
#include <functional>
#include <string>
#include <string_view>

// Loads the library at Path (never unloaded) and looks up its exports into Engine. False, with
// the reason in Reason, when it does not load.
bool OpenEngineLibrary(const std::string& Path, EngineRec& Engine, std::string& Reason);

// The six texts of _fnRbkinfo, each cut at its buffer's last byte when the engine wrote no terminator.
std::array<std::string, 6> CallInfo(const EngineRec& Engine);
bool CallSupport(const EngineRec& Engine, std::int32_t N);
// The face order of _fnRbkconstruct, cut to the record's six letters.
std::string CallConstruct(const EngineRec& Engine);
// _fnRbksolve's result, and its answer in Answer (at most SolutionBufferSize - 1 characters).
std::int32_t CallSolve(const EngineRec& Engine, std::int32_t N, std::string_view Facelets,
                       std::string& Answer);
// _fnRbkimprove's result, and its last answer in Answer. Better(answer, moves) runs on the calling
// thread for each answer the engine reports, cut as Answer is; the engine ends when *Stop is set.
std::int32_t CallImprove(const EngineRec& Engine, std::int32_t N, std::string_view Facelets,
                         std::int32_t MaxMilliseconds,
                         const std::function<void(std::string, std::int32_t)>& Better,
                         const volatile std::int32_t* Stop, std::string& Answer);
