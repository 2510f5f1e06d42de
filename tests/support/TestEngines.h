#pragma once
// The small engines of tests/engines, and the test's own handle on their state. dlopen of the same
// file gives the library the engine table loaded, so the test sees what the table's calls did.

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <string>

namespace testsupport {

inline std::string EngineFile(const std::string& name) {
    return std::string(TEST_ENGINE_DIR) + "/" + name + ".so";
}

template <typename Fn>
Fn TestEngineExport(const std::string& name, const char* symbol) {
    void* library = dlopen(EngineFile(name).c_str(), RTLD_NOW | RTLD_LOCAL);
    EXPECT_NE(library, nullptr) << dlerror();
    return reinterpret_cast<Fn>(dlsym(library, symbol));
}

// What the engine answers from now on.
inline void SetEngineAnswer(const std::string& name, const char* text) {
    TestEngineExport<void (*)(const char*)>(name, "TestEngineSetAnswer")(text);
}
// The facelet text of the engine's last solve.
inline std::string LastFacelets(const std::string& name) {
    return TestEngineExport<const char* (*)()>(name, "TestEngineLastFacelets")();
}
// How often the engine was asked to solve.
inline int SolveCalls(const std::string& name) {
    return TestEngineExport<int (*)()>(name, "TestEngineSolveCalls")();
}

} // namespace testsupport
