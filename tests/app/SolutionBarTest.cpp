// What Solve shows in the game window: the answer to step through (tried on a copy of the cube
// first), why the cube is not valid with its stickers ringed, until the next change, or why there is
// no answer.
#include "app/SolutionBar.h"

#include "engines/Engines.h"
#include "model/CubeCheck.h"
#include "support/AppWindows.h"
#include "support/TestEngines.h"

#include <QLabel>
#include <QToolButton>

namespace {

using testsupport::After;

class SolutionBarTest : public testsupport::GameWindowTest {
protected:
    void SetUp() override {
        EngineCount = 0;
        ASSERT_EQ(LoadEngine(testsupport::EngineFile("good_engine"), 0), 0);
        EngineCount = 1;
        tCubeSettings settings = BuiltInSettings;
        settings.CubeFaceRotationSpeed = 2;
        Open(settings);
        Bar = Form->PanelSolution;
    }
    void TearDown() override {
        GameWindowTest::TearDown();
        EngineCount = 0;
        testsupport::SetEngineAnswer("good_engine", "R U Ri Ui");
    }

    void SolveWithAnswer(const char* Answer) {
        testsupport::SetEngineAnswer("good_engine", Answer);
        QTest::keyClick(Form, Qt::Key_F7);
    }
    bool Shows(const char* Text) const { return Bar->LabelSolution->text().contains(Text); }

    TSolutionBar* Bar = nullptr;
};

TEST_F(SolutionBarTest, StepAndPlayPerformTheAnswerAsRecordedMoves) {
    ASSERT_TRUE(Bar->isVisible()) << "in play mode the bar counts the moves";
    EXPECT_TRUE(Bar->btnSolve->isVisible());
    EXPECT_FALSE(Bar->btnPlay->isVisible());
    Play("U Ri");
    EXPECT_EQ(Bar->LabelSolution->text(), "<b>Moves:</b> 2");
    testsupport::SetEngineAnswer("good_engine", "R Ui");
    QTest::mouseClick(Bar->btnSolve, Qt::LeftButton);
    EXPECT_FALSE(Bar->btnSolve->isVisible());
    EXPECT_TRUE(Bar->Solves);
    EXPECT_TRUE(Shows("2 moves")) << Bar->LabelSolution->text().toStdString();
    EXPECT_EQ(State(), After("U Ri")) << "nothing is performed before the user asks";

    Key(Qt::Key_F8);
    EXPECT_EQ(State(), After("U Ri R"));
    EXPECT_EQ(Bar->Position, 1u);
    EXPECT_TRUE(Bar->isVisible()) << "its own moves do not end the bar";
    EXPECT_EQ(Form->History.UndoList, std::vector<std::string>({"Ui", "R", "Ri"}));

    QTest::mouseClick(Bar->btnPlay, Qt::LeftButton);
    ASSERT_TRUE(Drain());
    EXPECT_TRUE(FacesAreUniform(*Form->View->Cube));
    EXPECT_TRUE(Bar->LabelSolution->text().startsWith("<b>Solved</b>"));
    EXPECT_FALSE(Bar->ActionSolutionStep->isEnabled());

    Key(Qt::Key_Backspace, Qt::ShiftModifier); // Undo
    EXPECT_EQ(State(), After("U Ri R Ui U")) << "Undo takes back the last move of the answer";
    EXPECT_EQ(Bar->Content(), TSolutionBar::TContent::MoveCount);
    EXPECT_EQ(Bar->LabelSolution->text(), "<b>Moves:</b> 3") << "an undone move no longer counts";
}

TEST_F(SolutionBarTest, AnswersThatDoNotSolveAreFlaggedAndNeverPlayed) {
    Play("U");
    for (const char* answer : {"U", "Ui X"}) {
        SCOPED_TRACE(answer);
        SolveWithAnswer(answer);
        EXPECT_FALSE(Bar->Solves);
        EXPECT_TRUE(Shows("does not solve"));
        EXPECT_FALSE(Bar->ActionSolutionStep->isEnabled());
        QTest::keyClick(Form, Qt::Key_F8);
        Key(Qt::Key_F9);
        EXPECT_EQ(State(), After("U"));
    }
    SolveWithAnswer("");
    Form->ActionCleanCube->trigger();
    SolveWithAnswer("");
    EXPECT_TRUE(Bar->Solves);
    EXPECT_TRUE(Shows("solved already"));
    Form->ActionScrambleCube->trigger();
    EXPECT_EQ(Bar->Content(), TSolutionBar::TContent::MoveCount) << "any other change ends the answer";
}

TEST_F(SolutionBarTest, AnInvalidCubeIsExplainedAndItsStickersRinged) {
    Form->ActionPaint->trigger(); // every sticker without colour
    const int calls = testsupport::SolveCalls("good_engine");
    SolveWithAnswer("R");
    EXPECT_EQ(testsupport::SolveCalls("good_engine"), calls) << "such a cube never reaches the engine";
    ASSERT_EQ(Messages.Shown.size(), 1u);
    EXPECT_EQ(Messages.Shown[0],
              (TShownMessage{"Error", "Cube is not valid !\nCheck your cube and correct it.",
                             TMessageIcon::Error}));
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
    EXPECT_EQ(Messages.Shown[1], Messages.Shown[0]);
    const TCubeCheck flipped = CheckCube(*Form->View->Cube);
    ASSERT_EQ(flipped.Fault, TCubeFault::FlippedEdge);
    EXPECT_EQ(Form->View->HighlightedStickers, flipped.Stickers);

    // What the window shows: a magenta ring round the U-F edge's U sticker, its own colour inside.
    const auto drawn = [&](int Sticker, float Right) {
        const TVector3 centre = testsupport::StickerPoint(*Form->View, Sticker);
        return testsupport::DrawnAt(*Form->View, {centre.x + Right, centre.y, centre.z});
    };
    const QColor ring = drawn(7, 0.84f), inside = drawn(7, 0);
    EXPECT_TRUE(ring.red() > 2 * ring.green() + 40 && ring.blue() > 2 * ring.green() + 40)
        << "no magenta ring";
    EXPECT_GT(inside.red(), 2 * inside.blue()) << "the sticker shows F's red, as painted";
    EXPECT_LT(drawn(1, 0.84f).red(), 60) << "a sticker not at fault has no ring";
}

TEST_F(SolutionBarTest, SolveSaysWhyThereIsNoAnswerAndKeepsTheLastOne) {
    Play("U");
    SolveWithAnswer("Ui");
    EXPECT_EQ(Form->ClientArea->cursor().shape(), Qt::CrossCursor);
    ASSERT_EQ(LoadEngine(testsupport::EngineFile("throw_engine"), 1), 1);
    struct TRow {
        int Engine, Count;
        TShownMessage Shown;
    };
    const TRow rows[] = {
        {1,
         2,
         {"Error", "The solver engine \"Throw\" failed.\nTry another engine, or remove this one.",
          TMessageIcon::Error}},
        {2,
         2,
         {"Solve", "The solver engine chosen for this game is no longer installed.",
          TMessageIcon::Information}},
        {0, 0, {"Solve", "No solver engine is installed.", TMessageIcon::Information}},
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.Shown.Text);
        Form->EngineIndex = row.Engine;
        EngineCount = row.Count;
        QTest::keyClick(Form, Qt::Key_F7);
        ASSERT_FALSE(Messages.Shown.empty());
        EXPECT_EQ(Messages.Shown.back(), row.Shown);
        EXPECT_EQ(Form->SolutionList, std::vector<std::string>({"Ui"}));
        EXPECT_EQ(Form->ClientArea->cursor().shape(), Qt::ArrowCursor);
    }
}

// Painting a real cube's colours in paint mode, then solving it with our engine and playing the
// answer, leaves it solved.
TEST_F(SolutionBarTest, APaintedRealCubeIsSolvedByOurEngine) {
    ASSERT_EQ(LoadEngine(TWOPHASE_PLUGIN, 0), 0);
    Form->ActionPaint->trigger();
    const CubeState0 real = After("R U2 Fi L D Bi R2 Ui F H0 M0");
    Form->View->ChangeCube([&](TRubikCube& Cube) { Cube.GetState().Cubies = real.Cubies; });
    Form->ActionPlay->trigger();
    QTest::keyClick(Form, Qt::Key_F7);
    ASSERT_TRUE(Messages.Shown.empty());
    ASSERT_TRUE(Bar->Solves);
    Key(Qt::Key_F9);
    EXPECT_TRUE(FacesAreUniform(*Form->View->Cube));
    EXPECT_EQ(Form->History.UndoList.size(), Bar->Moves.size());
}

} // namespace
