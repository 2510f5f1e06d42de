// Our two-phase engine as the program uses it: loaded into the engine table from its file, handed
// facelet texts of seeded random states (drawn piece by piece), and its answers played on our model.
#include "engines/EngineLibrary.h"
#include "engines/Engines.h"
#include "model/CubeCheck.h"
#include "plugins/twophase/Cube.h"
#include "support/PaintedCube.h"
#include "support/RandomCubes.h"

#include <atomic>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr int CubeCount = 100; // the sanitizer build is many times slower; the plain build does 1,000
#else
constexpr int CubeCount = 1000;
#endif

class TwoPhaseTest : public ::testing::Test {
protected:
    void SetUp() override {
        Table.SetVerdictFile({});
        Engine = Table.Add(TWOPHASE_PLUGIN, PROGRAM_DIR);
        ASSERT_NE(Engine, TEngineId::None);
    }

    // The engine's answer for a facelet text, or nothing for a negative result, called in this process.
    static std::optional<std::string> Answer(const std::string& facelets, int N = 3) {
        static const EngineRec engine = [] {
            EngineRec loaded;
            std::string reason;
            EXPECT_TRUE(OpenEngineLibrary(TWOPHASE_PLUGIN, loaded, reason)) << reason;
            return loaded;
        }();
        std::string answer;
        return CallSolve(engine, N, facelets, answer) < 0 ? std::nullopt : std::optional(answer);
    }

    TEngineTable Table;
    TEngineId Engine = TEngineId::None;
};

TEST_F(TwoPhaseTest, RandomStatesGetShortAnswersThatSolveThem) {
    // First a cube held another way up: the centres have moved, the answer is still in face letters.
    const TRubikCube turned = testsupport::CleanCube("M0 H0 R U2 Fi");
    randomcubes::TGenerator generator(2026);
    for (int i = 0; i <= CubeCount; ++i) {
        const std::string facelets = i == 0 ? *turned.CubeString() : randomcubes::Facelets(generator.Next());
        TRubikCube cube = testsupport::Painted(facelets);
        ASSERT_EQ(cube.CubeString(), facelets);
        ASSERT_EQ(CheckCube(cube).Fault, TCubeFault::None)
            << "the test's own facelet layout disagrees with the model";
        std::vector<std::string> answer;
        ASSERT_EQ(Table.Solve(Engine, cube, answer, std::chrono::steady_clock::now() + SolveTimeLimit),
                  TSolveResult::Solved)
            << facelets;
        ASSERT_LE(answer.size(), 20u) << facelets;
        for (const std::string& move : answer) {
            ASSERT_TRUE(cube.PerformMoves(move)) << move;
        }
        ASSERT_TRUE(FacesAreUniform(cube)) << facelets;
    }
}

// The 2x2x2 cube's solved and over-long texts are the mini test's.
TEST_F(TwoPhaseTest, SolvedCubesAndOtherSizes) {
    const std::string clean = *testsupport::CleanCube().CubeString();
    EXPECT_EQ(Answer(clean), "") << "a solved cube needs no moves";
    EXPECT_EQ(Answer(clean.substr(0, 24), 3), std::nullopt) << "a 2x2x2 text is no 3x3x3 cube";
    EXPECT_EQ(Answer(clean, 4), std::nullopt) << "only the 2x2x2 and 3x3x3 cubes are solved";
}

// Two stickers of different colours swapped: never a real cube (a flipped edge or twisted corner, a
// piece that cannot exist or is there twice), and never an answer, whatever the search would make of it.
TEST_F(TwoPhaseTest, NoCubeWithTwoStickersSwappedGetsAnAnswer) {
    const std::string clean = *testsupport::CleanCube().CubeString();
    for (std::size_t i = 0; i < clean.size(); ++i) {
        for (std::size_t j = i + 1; j < clean.size(); ++j) {
            std::string text = clean;
            std::swap(text[i], text[j]);
            if (text != clean) {
                // Read as a cube, it would be searched for ever.
                ASSERT_NE(twophase::ReadFacelets(text).Fault, twophase::TFault::None) << text;
                ASSERT_EQ(Answer(text), std::nullopt) << text;
            }
        }
    }
}

TEST_F(TwoPhaseTest, SeveralThreadsSolveAtOnce) {
    std::atomic<int> solved = 0;
    {
        std::vector<std::jthread> threads; // joined at the end of the block
        for (int t = 0; t < 4; ++t) {
            threads.emplace_back([&solved, t] {
                randomcubes::TGenerator generator(static_cast<std::uint64_t>(7 + t));
                for (int i = 0; i < 2; ++i) {
                    const std::string facelets = randomcubes::Facelets(generator.Next());
                    const std::optional<std::string> answer = Answer(facelets);
                    TRubikCube cube = testsupport::Painted(facelets);
                    solved += answer && cube.PerformMoves(*answer) && FacesAreUniform(cube);
                }
            });
        }
    }
    EXPECT_EQ(solved, 8);
}

} // namespace
