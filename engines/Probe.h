#pragma once
// Trying an engine library in a throw-away process before it is loaded into the program's own: a
// library that crashes or hangs in its first calls would otherwise take the program down at every
// start while the settings file names it.

#include <chrono>
#include <string>

// The helper program, found in the program folder: "torvane-engine-probe <library>" makes the four
// calls of a load and one solve of a clean cube, and exits with 0 when the library is an engine that
// survived them, 1 when it is no engine.
inline constexpr const char* EngineProbeName = "torvane-engine-probe";

enum class TProbeVerdict {
    Passed, // the helper exited with 0
    Failed, // it said "no engine", crashed, or was killed after the time limit
    NotRun, // the helper could not be started or waited for; nothing is known about the library
};

// Runs Probe on Library and waits at most TimeLimit for it. Blocks the calling thread meanwhile.
TProbeVerdict RunEngineProbe(const std::string& Probe, const std::string& Library,
                             std::chrono::milliseconds TimeLimit);
