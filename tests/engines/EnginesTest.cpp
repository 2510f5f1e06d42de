#include "engines/Engines.h"

#include "support/TestEngines.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using testsupport::EngineFile;
using testsupport::LastFacelets;
using testsupport::SolveCalls;

const std::string Dir = TEST_ENGINE_DIR;
// The program folder of the build, where the probe that tries engines before they are loaded lives.
const std::string ProgramDir = PROGRAM_DIR;

class EnginesTest : public ::testing::Test {
protected:
    void SetUp() override { EngineCount = 0; }
    void TearDown() override { EngineCount = 0; }

    // Loads an engine into the next slot as the registry does.
    int Add(const std::string& name) {
        const int slot = LoadEngine(EngineFile(name), EngineCount);
        if (slot != -1) {
            ++EngineCount;
        }
        return slot;
    }
};

// An engine's six texts, joined by "|".
std::string Texts(const EngineRec& e) {
    return e.EngineName + "|" + e.LegalNotice + "|" + e.Version + "|" + e.Contact + "|" + e.WebSite + "|" +
           e.EMail;
}

TEST_F(EnginesTest, LoadingReadsWhatEachEngineExports) {
    const std::string texts = "|Free for tests|1.2|The testers|https://tests.example|tests@tests.example";
    // Texts without a terminator end at their buffer's last byte.
    const std::string filled = std::string(255, 'N') + "|" + std::string(255, 'L') + "|" +
                               std::string(32, 'V') + "|" + std::string(64, 'C') + "|" +
                               std::string(128, 'W') + "|" + std::string(128, 'E');
    const struct {
        const char* File;
        bool Loads;
        std::string Texts;
        const char* Order;
        const char* Sizes;
        bool Offered2, Offered3;
    } cases[] = {
        {"good_engine", true, "Good Engine" + texts, "ufrbld", "3x3 ", false, true},
        {"both_engine", true, "Both Sizes" + texts, "dlbrfu", "2x2 3x3 ", true, true},
        {"bare_engine", true, "Bare Engine" + texts, "ufrbld", "", false, false},
        {"fillinfo_engine", true, filled, "ufrbld", "3x3 ", false, true},
        {"nosolve_engine", false, "No Solve" + texts, "ufrbld", "3x3 ", false, true},
        {"noinfo_engine", false, "|||||", "ufrbld", "3x3 ", false, true},
    };
    // All into slot 0 in turn, as after a failed load or a removal: a reused slot keeps nothing of the
    // engine before (Bare Engine after Both Sizes).
    for (const auto& c : cases) {
        SCOPED_TRACE(c.File);
        EngineCount = 0;
        EXPECT_EQ(LoadEngine(EngineFile(c.File), 0), c.Loads ? 0 : -1);
        const EngineRec& engine = Engines[0];
        EXPECT_EQ(engine.LibraryFile, EngineFile(c.File));
        EXPECT_EQ(Texts(engine), c.Texts);
        EXPECT_EQ(engine.ConstructString, c.Order);
        EXPECT_EQ(engine.SupportedCubes, c.Sizes);
        EXPECT_EQ(engine.Supports(2), c.Offered2);
        EXPECT_EQ(engine.Supports(3), c.Offered3);
        if (c.Loads) {
            EXPECT_EQ(engine.fnSupport != nullptr, *c.Sizes != '\0');
        }
    }
}

TEST_F(EnginesTest, FilesThatAreNoEngineFailQuietly) {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "torvane_engines_test";
    std::filesystem::create_directories(folder);
    std::ofstream((folder / "text.so").string()) << "not a library\n";
    std::filesystem::create_directories(folder / "folder.so");

    ASSERT_EQ(Add("good_engine"), 0);
    const std::vector<std::pair<std::string, int>> cases = {
        {(folder / "missing.so").string(), 1},
        {(folder / "text.so").string(), 1},
        {(folder / "folder.so").string(), 1},
        {"", 1},
        {EngineFile("good_engine"), MaxEngines},
        {EngineFile("good_engine"), -1},
        // Engines that would take this process down (or keep it waiting for ever) never get into it.
        {EngineFile("crashinfo_engine"), 1},
        {EngineFile("crashsupport_engine"), 1},
        {EngineFile("crashconstruct_engine"), 1},
        {EngineFile("crashsolve_engine"), 1},
        {EngineFile("hang_engine"), 1},
    };
    for (const auto& [file, slot] : cases) {
        SCOPED_TRACE(file + " in slot " + std::to_string(slot));
        EXPECT_EQ(LoadEngine(file, slot, ProgramDir), -1);
        EXPECT_EQ(EngineCount, 1);
        EXPECT_EQ(Engines[0].EngineName, "Good Engine");
    }
    std::filesystem::remove_all(folder);
}

TEST_F(EnginesTest, AnswersAreSplitIntoTokens) {
    ASSERT_EQ(Add("good_engine"), 0);
    ASSERT_EQ(Add("fillanswer_engine"), 1);
    TRubikCube cube(1);
    cube.Clean();
    const struct {
        int Slot;
        const char* Answer;
        std::vector<std::string> Tokens;
    } cases[] = {
        {0, "R U Ri Ui", {"R", "U", "Ri", "Ui"}},
        {0, "  R  U Ri", {"R"}},
        {0, "F2 V0i", {"F2", "V0i"}},
        {0, "", {}},
        // 1024 characters "R R ... R " without a terminator are read; the 1025th byte is the terminator's
        // place.
        {1, "", std::vector<std::string>(512, "R")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Answer);
        testsupport::SetEngineAnswer("good_engine", c.Answer);
        std::vector<std::string> list = {"old"};
        EXPECT_EQ(SolveCube(c.Slot, cube, list), TSolveResult::Solved);
        EXPECT_EQ(list, c.Tokens);
    }
    testsupport::SetEngineAnswer("good_engine", "R U Ri Ui");
}

// Each engine is handed the model's facelet text in the face order it asked for.
TEST_F(EnginesTest, TheCubeIsWrittenInTheEnginesFaceOrder) {
    ASSERT_EQ(Add("good_engine"), 0);
    ASSERT_EQ(Add("both_engine"), 1);
    TRubikCube cube(1);
    cube.Clean();
    ASSERT_TRUE(cube.PerformMoves("U"));
    std::vector<std::string> list;
    ASSERT_EQ(SolveCube(0, cube, list), TSolveResult::Solved);
    ASSERT_EQ(SolveCube(1, cube, list), TSolveResult::Solved);
    EXPECT_EQ(LastFacelets("good_engine"), *cube.CubeString("ufrbld"));
    EXPECT_EQ(LastFacelets("both_engine"), *cube.CubeString("dlbrfu"));
}

TEST_F(EnginesTest, CubesAnEngineCannotBeGivenNeverReachIt) {
    ASSERT_EQ(Add("good_engine"), 0);
    ASSERT_EQ(Add("negative_engine"), 1);
    ASSERT_EQ(Add("throw_engine"), 2);
    ASSERT_EQ(Add("upper_engine"), 3);
    TRubikCube unpainted(1);
    unpainted.Clean();
    unpainted.GetState().Cubies[2][4].Color = NoColor;
    TRubikCube mini(0);
    mini.Clean();
    TRubikCube clean(1);
    clean.Clean();

    struct Case {
        const char* What;
        int Slot;
        const char* Engine; // the one in that slot, or the one that must not be called
        const TRubikCube* Cube;
        TSolveResult Result;
        int EngineCalls; // calls that reach that engine
    };
    const Case cases[] = {
        {"a sticker without colour", 0, "good_engine", &unpainted, TSolveResult::Invalid, 0},
        {"a 2x2x2 cube", 0, "good_engine", &mini, TSolveResult::Invalid, 0},
        {"the engine says invalid", 1, "negative_engine", &clean, TSolveResult::Invalid, 1},
        // A fault of the engine is not the user's cube to correct.
        {"the engine throws", 2, "throw_engine", &clean, TSolveResult::EngineFailed, 1},
        {"the face order names no faces", 3, "upper_engine", &clean, TSolveResult::EngineFailed, 0},
        {"an empty slot", 4, "good_engine", &clean, TSolveResult::NoEngine, 0},
        {"a negative slot", -1, "good_engine", &clean, TSolveResult::NoEngine, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        const char* engine = c.Engine;
        const int before = SolveCalls(engine);
        std::vector<std::string> list = {"kept"};
        EXPECT_EQ(SolveCube(c.Slot, *c.Cube, list), c.Result);
        EXPECT_EQ(list, std::vector<std::string>{"kept"});
        EXPECT_EQ(SolveCalls(engine) - before, c.EngineCalls);
    }
}

} // namespace
