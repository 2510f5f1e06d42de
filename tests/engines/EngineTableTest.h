#pragma once
// A table of its own for each engine test, remembering its verdicts in a temporary folder, with the
// host program of the build's program folder.

#include "engines/Engines.h"
#include "support/PaintedCube.h"
#include "support/TempFolder.h"
#include "support/TestEngines.h"

#include <chrono>
#include <gtest/gtest.h>
#include <string>

namespace testsupport {

// The program folder of the build, where the host program lives.
inline const std::string ProgramDir = PROGRAM_DIR;

class EngineTableTest : public ::testing::Test {
protected:
    void SetUp() override {
        Table.SetVerdictFile(Cache.Name("engines.ini"));
        // The hanging engine's load; every other one answers in milliseconds.
        Table.SetLoadTimeLimit(std::chrono::seconds(3));
    }
    // Loads the test engine of that name, which must be accepted.
    TEngineId Add(const std::string& name) {
        const TEngineId id = Table.Add(EngineFile(name), ProgramDir);
        EXPECT_NE(id, TEngineId::None) << name;
        return id;
    }

    TTempFolder Cache;
    TEngineTable Table;
};

} // namespace testsupport
