// What Solve shows in the game window: the answer to step through (tried on a copy of the cube
// first), or why the cube is not valid with its stickers ringed, until the next change.
#include "app/SolutionBar.h"

#include "animation/Thread.h"
#include "app/Dialogs.h"
#include "app/FormGame.h"
#include "engines/Engines.h"
#include "model/CubeCheck.h"
#include "support/CubeStates.h"
#include "support/StickerPixels.h"
#include "support/TestEngines.h"

#include <QAction>
#include <QLabel>
#include <QTest>
#include <QToolButton>
#include <chrono>
#include <gtest/gtest.h>

namespace {

using Clock = std::chrono::steady_clock;

using testsupport::After;

class SolutionBarTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(LoadGLLibraries());
        EngineCount = 0;
        ASSERT_EQ(LoadEngine(testsupport::EngineFile("good_engine"), 0), 0);
        EngineCount = 1;
        tCubeSettings settings = BuiltInSettings;
        settings.CubeFaceRotationSpeed = 2;
        Form = std::make_unique<TFormGame>(nullptr, settings, "Untitled-1", "Rubik's Cube", false, 1);
        Form->show();
        Form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Form.get()));
        Bar = Form->PanelSolution;
    }
    void TearDown() override {
        Form.reset();
        EngineCount = 0;
        testsupport::SetEngineAnswer("good_engine", "R U Ri Ui");
    }

    // Serves the UI thread until the cube has performed every move and the bar plays no more.
    bool Drain() {
        const auto end = Clock::now() + std::chrono::seconds(30);
        while (Clock::now() < end) {
            QTest::qWait(10);
            if (!Bar->Playing() && Form->View->MovesFinished()) {
                return true;
            }
        }
        return false;
    }

    void SolveWithAnswer(const char* Answer) {
        testsupport::SetEngineAnswer("good_engine", Answer);
        QTest::keyClick(Form.get(), Qt::Key_F7);
    }

    const CubeState0& State() const { return Form->View->Cube->GetState(); }

    TMessageRecorder Messages;
    std::unique_ptr<TFormGame> Form;
    TSolutionBar* Bar = nullptr;
};

TEST_F(SolutionBarTest, StepAndPlayPerformTheAnswerAsRecordedMoves) {
    ASSERT_TRUE(Bar->isVisible()) << "in play mode the bar counts the moves";
    EXPECT_TRUE(Bar->btnSolve->isVisible());
    EXPECT_FALSE(Bar->btnPlay->isVisible());
    Form->PlayMoves("U Ri", false, true);
    ASSERT_TRUE(Drain());
    EXPECT_EQ(Bar->LabelSolution->text(), "<b>Moves:</b> 2");
    testsupport::SetEngineAnswer("good_engine", "R Ui");
    QTest::mouseClick(Bar->btnSolve, Qt::LeftButton);
    ASSERT_TRUE(Bar->isVisible());
    EXPECT_FALSE(Bar->btnSolve->isVisible());
    EXPECT_TRUE(Bar->Solves);
    EXPECT_TRUE(Bar->LabelSolution->text().contains("2 moves")) << Bar->LabelSolution->text().toStdString();
    EXPECT_EQ(State(), After("U Ri")) << "nothing is performed before the user asks";

    QTest::keyClick(Form.get(), Qt::Key_F8);
    ASSERT_TRUE(Drain());
    EXPECT_EQ(State(), After("U Ri R"));
    EXPECT_EQ(Bar->Position, 1u);
    EXPECT_TRUE(Bar->isVisible()) << "its own moves do not end the bar";
    EXPECT_EQ(Form->History.UndoList, std::vector<std::string>({"Ui", "R", "Ri"}));

    QTest::mouseClick(Bar->btnPlay, Qt::LeftButton);
    ASSERT_TRUE(Drain());
    EXPECT_TRUE(FacesAreUniform(*Form->View->Cube));
    EXPECT_TRUE(Bar->LabelSolution->text().startsWith("<b>Solved</b>"));
    EXPECT_FALSE(Bar->ActionSolutionStep->isEnabled());

    QTest::keyClick(Form.get(), Qt::Key_Backspace, Qt::ShiftModifier); // Undo
    ASSERT_TRUE(Drain());
    // Counters only grow, so the state is that of the whole sequence with the inverse at its end.
    EXPECT_EQ(State(), After("U Ri R Ui U")) << "Undo takes back the last move of the answer";
    EXPECT_EQ(Bar->Content(), TSolutionBar::TContent::MoveCount);
    EXPECT_EQ(Bar->LabelSolution->text(), "<b>Moves:</b> 3") << "an undone move no longer counts";
}

TEST_F(SolutionBarTest, AnswersThatDoNotSolveAreFlaggedAndNeverPlayed) {
    Form->PlayMoves("U", false, true);
    ASSERT_TRUE(Drain());
    for (const char* answer : {"U", "Ui X"}) {
        SCOPED_TRACE(answer);
        SolveWithAnswer(answer);
        ASSERT_TRUE(Bar->isVisible());
        EXPECT_FALSE(Bar->Solves);
        EXPECT_TRUE(Bar->LabelSolution->text().contains("does not solve"));
        EXPECT_FALSE(Bar->ActionSolutionStep->isEnabled());
        QTest::keyClick(Form.get(), Qt::Key_F8);
        QTest::keyClick(Form.get(), Qt::Key_F9);
        ASSERT_TRUE(Drain());
        EXPECT_EQ(State(), After("U"));
    }
    SolveWithAnswer("");
    Form->ActionCleanCube->trigger();
    SolveWithAnswer("");
    EXPECT_TRUE(Bar->Solves);
    EXPECT_TRUE(Bar->LabelSolution->text().contains("solved already"));

    Form->ActionScrambleCube->trigger();
    EXPECT_EQ(Bar->Content(), TSolutionBar::TContent::MoveCount) << "any other change ends the answer";
}

TEST_F(SolutionBarTest, AnInvalidCubeIsExplainedAndItsStickersRinged) {
    Form->ActionPaint->trigger(); // every sticker without colour
    SolveWithAnswer("R");
    ASSERT_EQ(Messages.Shown.size(), 1u);
    EXPECT_EQ(Messages.Shown[0].Text, "Cube is not valid !\nCheck your cube and correct it.");
    const TCubeCheck check = CheckCube(*Form->View->Cube);
    ASSERT_EQ(check.Fault, TCubeFault::Uncoloured);
    EXPECT_EQ(Form->View->HighlightedStickers, check.Stickers);
    EXPECT_EQ(Form->View->HighlightedStickers.size(), 54u);
    ASSERT_TRUE(Bar->isVisible());
    EXPECT_TRUE(Bar->LabelSolution->text().contains(QString::fromStdString(check.Reason).toHtmlEscaped()));

    // A crafted fault: two edge stickers of one piece swapped (a flipped edge).
    Form->ActionPlay->trigger();
    Form->ActionCleanCube->trigger();
    EXPECT_TRUE(Form->View->HighlightedStickers.empty()) << "the next change ends the rings";
    EXPECT_EQ(Bar->Content(), TSolutionBar::TContent::MoveCount);
    Form->View->ChangeCube([](TRubikCube& Cube) {
        auto& cubies = Cube.GetState().Cubies;
        std::swap(cubies[0][7].Color, cubies[1][1].Color); // U-F edge
    });
    ASSERT_EQ(LoadEngine(testsupport::EngineFile("negative_engine"), 1), 1);
    EngineCount = 2;
    Form->EngineIndex = 1;
    SolveWithAnswer("R");
    ASSERT_EQ(Messages.Shown.size(), 2u);
    const TCubeCheck flipped = CheckCube(*Form->View->Cube);
    ASSERT_EQ(flipped.Fault, TCubeFault::FlippedEdge);
    EXPECT_EQ(Form->View->HighlightedStickers, flipped.Stickers);

    // What the window shows: a magenta ring round the U-F edge's U sticker, its own colour inside.
    int w = 0, h = 0;
    const std::vector<std::uint8_t> frame = Form->View->CaptureFrame(w, h);
    const auto pixel = [&](TVector3 p) {
        const QPoint q = testsupport::ProjectToWindow(*Form->View, p, w, h);
        const std::size_t i = (static_cast<std::size_t>(h - 1 - q.y()) * w + q.x()) * 4;
        return std::array<int, 3>{frame[i], frame[i + 1], frame[i + 2]};
    };
    const TVector3 centre = testsupport::StickerPoint(*Form->View, 7);
    const auto ring = pixel({centre.x + 0.84f, centre.y, centre.z});
    EXPECT_GT(ring[0], 2 * ring[1] + 40) << "no magenta ring";
    EXPECT_GT(ring[2], 2 * ring[1] + 40) << "no magenta ring";
    const auto inside = pixel(centre);
    EXPECT_GT(inside[0], 2 * inside[2]) << "the sticker shows F's red, as painted";
    const auto other =
        pixel({testsupport::StickerPoint(*Form->View, 1).x + 0.84f,
               testsupport::StickerPoint(*Form->View, 1).y, testsupport::StickerPoint(*Form->View, 1).z});
    EXPECT_LT(other[0], 60) << "a sticker not at fault has no ring";
}

} // namespace

namespace {

// Painting a real cube's colours in paint mode, then solving it with our engine and playing the
// answer, leaves it solved.
TEST_F(SolutionBarTest, APaintedRealCubeIsSolvedByOurEngine) {
    ASSERT_EQ(LoadEngine(TWOPHASE_PLUGIN, 0), 0);
    Form->ActionPaint->trigger();
    TRubikCube real(1);
    real.Clean();
    ASSERT_TRUE(real.PerformMoves("R U2 Fi L D Bi R2 Ui F H0 M0"));
    Form->View->ChangeCube([&](TRubikCube& Cube) {
        for (int face = 0; face < 6; ++face) {
            for (int i = 0; i < 9; ++i) {
                Cube.GetState().Cubies[face][i].Color = real.GetState().Cubies[face][i].Color;
            }
        }
    });
    Form->ActionPlay->trigger();
    QTest::keyClick(Form.get(), Qt::Key_F7);
    ASSERT_TRUE(Messages.Shown.empty());
    ASSERT_TRUE(Bar->Solves);
    QTest::keyClick(Form.get(), Qt::Key_F9);
    ASSERT_TRUE(Drain());
    EXPECT_TRUE(FacesAreUniform(*Form->View->Cube));
    EXPECT_EQ(Form->History.UndoList.size(), Bar->Moves.size());
}

} // namespace
