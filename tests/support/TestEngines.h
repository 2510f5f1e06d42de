#pragma once
// The small engines of tests/engines, and the test's own handle on their state. They run in host
// processes, so their state lives in files of a folder of this test program's own, named to them
// through $TE_STATE_DIR before any host starts (hosts inherit it).

#include "support/TempFolder.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <string_view>

namespace testsupport {

inline std::string EngineFile(const std::string& name) {
    return std::string(TEST_ENGINE_DIR) + "/" + name + ".so";
}

// Made when the test program starts and removed when it ends; named to the hosts it starts.
struct TEngineStateFolder : TTempFolder {
    TEngineStateFolder() { setenv("TE_STATE_DIR", Path().c_str(), 1); }
};

inline const TEngineStateFolder EngineState;

// What the engine answers from now on.
inline void SetEngineAnswer(const std::string& name, const char* text) {
    EngineState.Write(name + ".answer", std::string_view(text));
}
// How often the engine was asked to solve (the clean cube of each load's trial included).
inline int SolveCalls(const std::string& name) {
    const std::string calls = ReadFile(EngineState.Name(name + ".calls"));
    return static_cast<int>(std::count(calls.begin(), calls.end(), '\n'));
}

} // namespace testsupport
