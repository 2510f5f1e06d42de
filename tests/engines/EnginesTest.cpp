#include "engines/Engines.h"

#include "support/TestEngines.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using testsupport::EngineFile;

// The program folder of the build, where the probe that tries engines before they are loaded lives.
const std::string ProgramDir = PROGRAM_DIR;

class EnginesTest : public ::testing::Test {
protected:
    void TearDown() override { EngineCount = 0; }

    // Loads an engine into the next slot as the registry does.
    void Add(const std::string& name) {
        ASSERT_EQ(LoadEngine(EngineFile(name), EngineCount), EngineCount);
        ++EngineCount;
    }
};

// Texts without a terminator end at their buffer's last byte.
TEST_F(EnginesTest, TextsFillingTheirBuffersAreCutAtTheirEnds) {
    Add("fillinfo_engine");
    EXPECT_EQ(Engines[0].EngineName, std::string(255, 'N'));
    EXPECT_EQ(Engines[0].EMail, std::string(128, 'E'));
}

TEST_F(EnginesTest, FilesThatAreNoEngineFailQuietly) {
    Add("good_engine");
    const std::vector<std::pair<std::string, int>> cases = {
        {EngineFile("good_engine"), MaxEngines},
        {EngineFile("good_engine"), -1},
        // Engines that would take this process down (or keep it waiting for ever) never get into it.
        {EngineFile("crashsupport_engine"), 1},
        {EngineFile("crashconstruct_engine"), 1},
        {EngineFile("crashsolve_engine"), 1},
        {EngineFile("hang_engine"), 1},
    };
    for (const auto& [file, slot] : cases) {
        EXPECT_EQ(LoadEngine(file, slot, ProgramDir), -1) << file << " in slot " << slot;
        EXPECT_EQ(EngineCount, 1);
        EXPECT_EQ(Engines[0].EngineName, "Good Engine");
    }
}

TEST_F(EnginesTest, AnswersAreSplitIntoTokens) {
    Add("good_engine");
    Add("fillanswer_engine");
    TRubikCube cube(1);
    cube.Clean();
    std::vector<std::string> list = {"old"};
    EXPECT_EQ(SolveCube(0, cube, list), TSolveResult::Solved);
    EXPECT_EQ(list, (std::vector<std::string>{"R", "U", "Ri", "Ui"}));
    // 1024 characters "R R ... R " without a terminator are read; the 1025th byte is the terminator's place.
    EXPECT_EQ(SolveCube(1, cube, list), TSolveResult::Solved);
    EXPECT_EQ(list, std::vector<std::string>(512, "R"));
}

// Each engine is handed the model's facelet text in the face order it asked for.
TEST_F(EnginesTest, TheCubeIsWrittenInTheEnginesFaceOrder) {
    Add("good_engine");
    Add("both_engine");
    TRubikCube cube(1);
    cube.Clean();
    ASSERT_TRUE(cube.PerformMoves("U"));
    std::vector<std::string> list;
    ASSERT_EQ(SolveCube(0, cube, list), TSolveResult::Solved);
    ASSERT_EQ(SolveCube(1, cube, list), TSolveResult::Solved);
    EXPECT_EQ(testsupport::LastFacelets("good_engine"), *cube.CubeString("ufrbld"));
    EXPECT_EQ(testsupport::LastFacelets("both_engine"), *cube.CubeString("dlbrfu"));
}

// An engine that names no faces in its face order cannot be handed the cube: it is its fault.
TEST_F(EnginesTest, AnEngineThatCannotBeGivenTheCubeIsNotCalled) {
    Add("upper_engine");
    TRubikCube clean(1);
    clean.Clean();
    std::vector<std::string> list = {"kept"};
    EXPECT_EQ(SolveCube(0, clean, list), TSolveResult::EngineFailed);
    EXPECT_EQ(SolveCube(-1, clean, list), TSolveResult::NoEngine);
    EXPECT_EQ(list, std::vector<std::string>{"kept"});
    EXPECT_EQ(testsupport::SolveCalls("upper_engine"), 0);
}

} // namespace
