// The game window as a user drives it: its shortcuts and camera keys, refusals, the popup menu,
// closing, redrawing, paint mode with its palette, and the solution bar.
#include "app/FormGame.h"

#include "app/FramePallete.h"
#include "engines/Engines.h"
#include "model/CubeCheck.h"
#include "model/CubeText.h"
#include "model/Notation.h"
#include "support/AppWindows.h"
#include "support/ScreenPixels.h"
#include "support/TestEngines.h"
#include "support/ViewFixture.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QToolButton>

namespace {

using testsupport::After;

// A game with an engine to solve with.
class FormGameTest : public testsupport::GameWindowTest {
protected:
    void SetUp() override {
        EngineTable().Clear();
        ASSERT_NE(EngineTable().Add(testsupport::EngineFile("good_engine"), PROGRAM_DIR), TEngineId::None);
        tCubeSettings settings = BuiltInSettings;
        settings.AnimateFaceRotations = false; // quick turns; the animated path has its own tests
        Open(settings);
        Bar = Form->PanelSolution;
    }
    void TearDown() override {
        GameWindowTest::TearDown();
        EngineTable().Clear();
        testsupport::SetEngineAnswer("good_engine", "R U Ri Ui");
    }

    TCubie Sticker(int id) const { return State().Cubies[id / 9][id % 9]; }
    bool Colourless() const { return CheckCube(Cube()).Stickers.size() == 54; }
    TColorPanel* Panel(int Position) const { return Form->FramePallete->Panels[Position]; }
    void SolveWithAnswer(const char* Answer) {
        testsupport::SetEngineAnswer("good_engine", Answer);
        Key(Qt::Key_F7);
    }
    bool Shows(const char* Text) const { return Bar->LabelSolution->text().contains(Text); }
    // The size of the frames the view draws now.
    QSize ViewSize() const {
        const testsupport::TFrame f = testsupport::Capture(*Form->View);
        return {f.Width, f.Height};
    }

    TSolutionBar* Bar = nullptr;
};

TEST_F(FormGameTest, ShortcutsPlayTheGame) {
    Key(Qt::Key_F2);
    EXPECT_NE(State(), After(""));
    Key(Qt::Key_F4);
    EXPECT_TRUE(Colourless());
    Key(Qt::Key_F3); // Clean: what follows starts from the clean cube
    Play("U R");
    Key(Qt::Key_Backspace, Qt::ShiftModifier); // Undo
    EXPECT_EQ(State(), After("U R Ri"));
    Key(Qt::Key_Backspace, Qt::AltModifier); // Redo
    EXPECT_EQ(State(), After("U R Ri R"));

    Messages.Answer = false;
    Key(Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(State(), After("U R Ri R"));
    ASSERT_EQ(Messages.Shown.size(), 1u);
    EXPECT_EQ(Messages.Shown[0],
              (TShownMessage{"Restart", "Do you want to restart this game?", TMessageIcon::Warning, true}));
    Messages.Answer = true;
    Key(Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(State(), After("U R Ri R Ri Ui"));
}

// The cube's distance from its start, the environment's elevation, azimuth and distance.
TEST_F(FormGameTest, CameraKeys) {
    const TCube3D& view = *Form->View;
    const float start = view.GetCubeDistance();
    const auto camera = [&] {
        return std::array<float, 4>{view.GetCubeDistance() - start, view.GetEnvElevation(),
                                    view.GetEnvAzimuth(), view.GetEnvDistance()};
    };
    Key(Qt::Key_Insert);
    Key(Qt::Key_Up);
    Key(Qt::Key_Right);
    Key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(camera(), (std::array<float, 4>{-1, 1, 89, 77}));
    Key(Qt::Key_Escape);
    EXPECT_EQ(camera(), (std::array<float, 4>{0, 1, 89, 77}));
    Key(Qt::Key_Escape, Qt::ShiftModifier);
    EXPECT_EQ(camera(), (std::array<float, 4>{0, 0, 90, 80}));
    // The keypad's + and - zoom too, the main keyboard's do not: in, out, out, then nothing.
    for (const auto& [key, modifier] :
         {std::pair(Qt::Key_Plus, Qt::KeypadModifier), std::pair(Qt::Key_Minus, Qt::KeypadModifier),
          std::pair(Qt::Key_Minus, Qt::KeypadModifier), std::pair(Qt::Key_Plus, Qt::NoModifier)}) {
        Key(key, modifier);
    }
    EXPECT_EQ(camera()[0], 1);
}

TEST_F(FormGameTest, InvalidMovesAreRefusedWithAWarning) {
    Play("U X2 R");
    EXPECT_EQ(State(), After(""));
    ASSERT_EQ(Messages.Shown.size(), 1u);
    EXPECT_EQ(Messages.Shown[0],
              (TShownMessage{"Warning", "'U X2 R' contains invalid move(s).\nThis move sequence is cancelled",
                             TMessageIcon::Warning, false}));
}

TEST_F(FormGameTest, ARightClickOpensThePopupMenuAndCtrlFCloses) {
    // The menu's own loop holds the click until it closes: it is closed as soon as it is up.
    QPointer<QWidget> opened;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if ((opened = QApplication::activePopupWidget())) {
            opened->close();
        }
    });
    closer.start(5);
    QTest::mouseClick(Form->ClientArea, Qt::RightButton, {}, {100, 120});
    closer.stop();
    EXPECT_EQ(opened.data(), Form->PopupGameMenu);
    QStringList shown; // what the menu shows, "-" for a separator
    for (const QAction* action : Form->PopupGameMenu->actions()) {
        shown << (action->isSeparator() ? "-" : action->text());
    }
    EXPECT_EQ(shown.join("|"),
              "Solve with...|-|Clean|Empty|Scramble|-|Play|Paint|-|Redo|Undo|Undo All|-|Hint|Enter Moves...|"
              "Copy Cube|Paste Cube|-|Zoom In|Zoom Out|Reset Cube View|-|Environment Far|Environment "
              "Near|Reset Environment View|-|Settings...|-|Save Game...|Close");

    QTest::keyClick(Form, Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return Form.isNull(); }, 10000)) << "a closed game window is freed";
}

// Whatever covered the cube leaves no trace once it goes, without the mouse moving: no compositor
// keeps a copy of the cube, the view draws it again when its surface is uncovered.
TEST_F(FormGameTest, TheCubeIsRedrawnWhenUncovered) {
    Play("R U Ri");
    Form->View->Refresh();
    QImage before; // once the cube is drawn and stays so
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const QImage now = testsupport::OnScreen(Form->ClientArea);
            const bool steady = testsupport::ShowsCube(now) && now == before;
            before = now;
            return steady;
        },
        10000));
    const auto differing = [&] { // the pixels on the screen now that differ from the steady picture
        const QImage now = testsupport::OnScreen(Form->ClientArea);
        int count = 0;
        for (int y = 0; y < now.height(); ++y) {
            for (int x = 0; x < now.width(); ++x) {
                count += !before.valid(x, y) || now.pixel(x, y) != before.pixel(x, y) ? 1 : 0;
            }
        }
        return count;
    };
    Form->PopupGameMenu->popup(Form->ClientArea->mapToGlobal(Form->ClientArea->rect().center()));
    EXPECT_TRUE(QTest::qWaitFor([&] { return differing() > 1000; }, 10000)) << "covered";
    Form->PopupGameMenu->hide();
    static_cast<void>(
        QTest::qWaitFor([&] { return differing() == 0; }, 10000)); // the verdict follows, with what differs
    EXPECT_EQ(differing(), 0);
}

// Paint mode as a user copies a real cube with it.
TEST_F(FormGameTest, PaintModeClicksPaintAndClearByTheRuleAndPanelsChangeTheirColour) {
    Key(Qt::Key_F2);
    Key(Qt::Key_F6); // from an empty cube, as the count's test shows
    EXPECT_GT(Form->FramePallete->PanelOrientation->frameWidth(), 0) << "the palette stands out by its frame";
    // The palette's space comes off the view before a click is aimed at it.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return Form->ClientArea->y() > Form->PanelPallete->geometry().bottom() &&
                   ViewSize() == Form->ClientArea->size();
        },
        10000));

    // The panel chosen before the click (its position: U R F D L B), the sticker, the button, and the
    // sticker's colour after the click.
    const std::tuple<const char*, int, int, Qt::MouseButton, std::uint8_t> steps[] = {
        {"R chosen, a colourless sticker gets R", 1, 13, Qt::LeftButton, 2},
        {"a painted sticker becomes colourless, whatever the colour chosen", 2, 13, Qt::LeftButton, NoColor},
        {"B on a corner, with the middle button", 5, 9, Qt::MiddleButton, 3},
    };
    for (const auto& [name, panel, sticker, button, expected] : steps) {
        SCOPED_TRACE(name);
        Click(Panel(panel));
        Click(Form->ClientArea, Centre(sticker), button);
        EXPECT_EQ(Sticker(sticker).Color, expected);
    }
    EXPECT_EQ(Panel(5)->Missing(), 8) << "one B sticker painted";

    // A right click on a panel changes that colour in this game only.
    Messages.ColorAnswer = 0x00FF00; // green, as 0x00BBGGRR
    QContextMenuEvent menu(QContextMenuEvent::Mouse, {5, 5}, Panel(0)->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(Panel(0), &menu);
    ASSERT_TRUE(Drain());
    EXPECT_EQ(Form->View->GetSettings().FaceColors[0], 0x00FF00u);
    EXPECT_EQ(Form->Settings.FaceColors[0], BuiltInSettings.FaceColors[0]) << "the game's own copy stays";
    Key(Qt::Key_F5);
    EXPECT_FALSE(Form->PanelPallete->isVisible());
    EXPECT_EQ(Sticker(9).Color, 3) << "the painted colours stay";
}

// What Solve shows in the game window: the answer to step through (tried on a copy of the cube
// first), why the cube is not valid with its stickers ringed, until the next change, or why there is
// no answer.
TEST_F(FormGameTest, StepAndPlayPerformTheAnswerAsRecordedMovesAndOnlyAnAnswerThatSolves) {
    const auto offered = [this] { // Step, Play and Stop as the keys and menus offer them
        return std::string{Bar->ActionSolutionStep->isEnabled() ? 'S' : '-',
                           Bar->ActionSolutionPlay->isEnabled() ? 'P' : '-',
                           Bar->ActionSolutionStop->isEnabled() ? 'X' : '-'};
    };
    Play("U Ri");
    testsupport::SetEngineAnswer("good_engine", "R Ui");
    Click(Bar->btnSolve);
    EXPECT_TRUE(Shows("2 moves")) << Bar->LabelSolution->text().toStdString();
    EXPECT_EQ(offered(), "SP-");
    EXPECT_EQ(State(), After("U Ri")) << "nothing is performed before the user asks";
    Click(Form->ClientArea, {3, 3});
    EXPECT_EQ(Bar->Content(), TSolutionBar::TContent::Answer) << "a click beside the cube changes nothing";

    Key(Qt::Key_F8);
    EXPECT_EQ(State(), After("U Ri R"));

    QTest::mouseClick(Bar->btnPlay, Qt::LeftButton);
    ASSERT_TRUE(Drain());
    EXPECT_TRUE(Uniform());
    EXPECT_TRUE(Bar->LabelSolution->text().startsWith("<b>Solved</b>"));
    EXPECT_EQ(offered(), "---");

    Key(Qt::Key_Backspace, Qt::ShiftModifier); // Undo
    EXPECT_EQ(State(), After("U Ri R Ui U")) << "Undo takes back the last move of the answer";
    EXPECT_EQ(Bar->LabelSolution->text(), "<b>Moves:</b> 3") << "an undone move no longer counts";

    // An answer that does not solve is flagged and never played.
    SolveWithAnswer("U");
    EXPECT_TRUE(Shows("does not solve"));
    EXPECT_EQ(offered(), "---");
    QTest::keyClick(Form, Qt::Key_F8);
    Key(Qt::Key_F9);
    EXPECT_EQ(State(), After("U Ri R Ui U"));
    // A turn given right after Solve comes after the cube the engine is given: its answer is for the
    // cube before the turn, so the bar says the cube has changed and offers Solve again.
    QTest::keyClick(Form, Qt::Key_F7);
    Form->PlayMoves("R", false, true);
    ASSERT_TRUE(Drain());
    EXPECT_TRUE(Shows("has changed"));
    EXPECT_TRUE(Bar->btnSolve->isVisibleTo(Bar));
    // "Solved" only when the cube is: an answer that leaves it unsolved after its last move is not.
    Bar->ShowSolution({"F"}, true);
    Key(Qt::Key_F8);
    EXPECT_EQ(Bar->Content(), TSolutionBar::TContent::Changed);

    Form->ActionCleanCube->trigger();
    SolveWithAnswer("");
    EXPECT_TRUE(Shows("solved already"));
    Form->ActionScrambleCube->trigger();
    EXPECT_EQ(Bar->Content(), TSolutionBar::TContent::MoveCount) << "any other change ends the answer";
}

TEST_F(FormGameTest, AnInvalidCubeIsExplainedAndItsStickersRinged) {
    // A crafted fault: two edge stickers of one piece swapped (a flipped edge).
    Form->View->ChangeCube([](TRubikCube& Cube) {
        auto& cubies = Cube.GetState().Cubies;
        std::swap(cubies[0][7].Color, cubies[1][1].Color); // U-F edge
    });
    Form->EngineIndex = EngineTable().Add(testsupport::EngineFile("negative_engine"), PROGRAM_DIR);
    ASSERT_NE(Form->EngineIndex, TEngineId::None);
    Key(Qt::Key_F7);
    ASSERT_EQ(Messages.Shown.size(), 1u);
    EXPECT_EQ(Messages.Shown[0].Text, "Cube is not valid !\nCheck your cube and correct it.");
    EXPECT_NE(Form->ClientArea->cursor().shape(), Qt::BusyCursor) << "the wait is over";
    const TCubeCheck check = CheckCube(Cube());
    EXPECT_EQ(Form->View->Highlighted(), check.Stickers);
    EXPECT_TRUE(Bar->LabelSolution->text().contains(QString::fromStdString(check.Reason).toHtmlEscaped()));

    // What the window shows: a magenta ring round the U-F edge's U sticker.
    const testsupport::TFrame frame = testsupport::Capture(*Form->View);
    const auto drawn = [&](int Sticker) { // just beyond the sticker's right edge
        const TVector3 c = testsupport::StickerPoint(*Form->View, Sticker);
        const QPoint p =
            testsupport::ProjectToWindow(*Form->View, {c.x + 0.84f, c.y, c.z}, frame.Width, frame.Height);
        return frame.At(p.x(), p.y());
    };
    const testsupport::TPixel ring = drawn(7);
    EXPECT_TRUE(ring.r > 2 * ring.g + 40 && ring.b > 2 * ring.g + 40) << "no magenta ring";
    EXPECT_LT(drawn(1).r, 60) << "a sticker not at fault has no ring";

    Form->ActionCleanCube->trigger();
    EXPECT_TRUE(Form->View->Highlighted().empty()) << "the next change ends the rings";
}

// An engine that never answers keeps nobody waiting: Shift+F9 ends the wait at once, gives the cursor
// back and ends the engine's host, so the next Solve is answered; and a game closed while its engine
// works closes at once (long before the engine's time limit).
TEST_F(FormGameTest, StopAndCloseDoNotWaitForAHangingEngine) {
    const TEngineId hanging = EngineTable().Add(testsupport::EngineFile("hanglater_engine"), PROGRAM_DIR);
    ASSERT_NE(hanging, TEngineId::None);
    Play("U");
    const auto solving = [this] {
        QTest::keyClick(Form, Qt::Key_F7);
        ASSERT_TRUE(QTest::qWaitFor([this] { return Form->View->MovesFinished(); }, 30000));
        ASSERT_EQ(Bar->Content(), TSolutionBar::TContent::Solving);
    };
    Form->EngineIndex = hanging;
    solving();
    EXPECT_EQ(Form->ClientArea->cursor().shape(), Qt::BusyCursor);
    EXPECT_TRUE(Bar->btnStop->isVisibleTo(Bar) && Bar->ActionSolutionStop->isEnabled());
    QTest::keyClick(Form, Qt::Key_F9, Qt::ShiftModifier);
    EXPECT_EQ(Bar->Content(), TSolutionBar::TContent::MoveCount);
    EXPECT_EQ(Form->ClientArea->cursor().shape(), Qt::ArrowCursor);
    EXPECT_TRUE(Messages.Shown.empty()) << "a stopped engine is no failure";

    // Its host was ended with the wait: a new one answers the clean cube, which the engine solves.
    Key(Qt::Key_F3);
    Key(Qt::Key_F7);
    EXPECT_EQ(Bar->Content(), TSolutionBar::TContent::Answer);

    Play("U"); // a cube it hangs on
    solving();
    Form->ActionClose->trigger();
    EXPECT_TRUE(QTest::qWaitFor([this] { return Form.isNull(); }, 20000));
}

TEST_F(FormGameTest, SolveSaysWhyThereIsNoAnswerAndKeepsTheLastOne) {
    Play("U");
    SolveWithAnswer("Ui");
    EXPECT_EQ(Form->ClientArea->cursor().shape(), Qt::CrossCursor);
    const TEngineId thrower = EngineTable().Add(testsupport::EngineFile("throw_engine"), PROGRAM_DIR);
    ASSERT_NE(thrower, TEngineId::None);
    const TEngineId gone = EngineTable().Add(testsupport::EngineFile("both_engine"), PROGRAM_DIR);
    ASSERT_TRUE(EngineTable().Remove(gone));
    // The game's engine, whether no engine is left at all, and what the user is told.
    const std::tuple<TEngineId, bool, const char*> rows[] = {
        {thrower, false, "The solver engine \"Throw\" failed.\nTry another engine, or remove this one."},
        {gone, false, "The solver engine chosen for this game is no longer installed."},
        {TEngineId::First, true, "No solver engine is installed."},
    };
    for (const auto& [engine, empty, text] : rows) {
        SCOPED_TRACE(text);
        Form->EngineIndex = engine;
        if (empty) {
            EngineTable().Clear();
        }
        Key(Qt::Key_F7);
        ASSERT_FALSE(Messages.Shown.empty());
        EXPECT_EQ(Messages.Shown.back().Text, text);
        EXPECT_EQ(Form->SolutionList, std::vector<std::string>({"Ui"}));
        EXPECT_EQ(Form->ClientArea->cursor().shape(), Qt::CrossCursor) << "the cursor it had before";
        EXPECT_EQ(Form->cursor().shape(), Qt::ArrowCursor);
    }
}

// Keys and entered moves turn the cube as the mouse does: animated or not as set, into the history,
// counted in the bar. The count starts again whenever the cube is set; an undo across that counts on
// from where it leaves the history.
TEST_F(FormGameTest, KeysAndEnteredMovesTurnAsTheMouseDoesAndTheCountStartsWhenTheCubeIsSet) {
    const auto count = [&] { return Bar->LabelSolution->text().toStdString(); };
    Play("F");
    EXPECT_EQ(count(), "<b>Moves:</b> 1");
    Key(Qt::Key_F2);
    EXPECT_EQ(count(), "<b>Moves:</b> 0") << "a scramble sets the cube";
    TRubikCube expected = Cube();
    Key(Qt::Key_U);
    Key(Qt::Key_R, Qt::ShiftModifier);
    Key(Qt::Key_V);
    Key(Qt::Key_H, Qt::ShiftModifier);
    ASSERT_TRUE(expected.PerformMoves("U Ri V0 H0i"));
    EXPECT_EQ(State(), expected.GetState());
    EXPECT_EQ(Form->History.UndoList, (std::vector<std::string>{"Fi", "Ui", "R", "V0i", "H0"}));
    EXPECT_EQ(count(), "<b>Moves:</b> 4");

    Messages.TextAnswer = "F2 R' M  E2'\tS Lw";
    Form->ActionEnterMoves->trigger();
    ASSERT_TRUE(Drain());
    ASSERT_TRUE(expected.PerformMoves("F2 Ri V0i H02 M0 L V0i"));
    EXPECT_EQ(State(), expected.GetState());
    EXPECT_EQ(count(), "<b>Moves:</b> 11");
    Messages.TextAnswer = "R U x";
    Form->ActionEnterMoves->trigger();
    ASSERT_TRUE(Drain());
    EXPECT_EQ(Messages.Shown.at(0).Text.rfind("\"x\" at character 5", 0), 0u) << Messages.Shown[0].Text;
    EXPECT_EQ(State(), expected.GetState()) << "nothing of a refused text is played";

    Key(Qt::Key_F3);
    EXPECT_EQ(count(), "<b>Moves:</b> 0");
    Key(Qt::Key_Backspace, Qt::ShiftModifier); // Undo across the cleaning
    EXPECT_EQ(count(), "<b>Moves:</b> 0");
    Key(Qt::Key_D);
    EXPECT_EQ(count(), "<b>Moves:</b> 1");
    Key(Qt::Key_F6);
    Key(Qt::Key_U); // paint mode: keys turn nothing
    EXPECT_TRUE(Colourless());
    EXPECT_EQ(Form->History.UndoList.size(), 12u);
}

// A cube copied is the cube pasted back; a text that is no cube, or in play mode no real one, is
// refused with what is wrong; paint mode takes any cube and shows its fault.
TEST_F(FormGameTest, ACopiedCubePastesBackAndTextsThatAreNoCubeAreRefused) {
    const auto colours = [this] { return FaceletText(Cube()); };
    Play("R U Fi M0");
    const std::string turned = colours();
    Form->ActionCopyCube->trigger();
    ASSERT_TRUE(Drain());
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), turned);
    Key(Qt::Key_F3);
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(colours(), turned);
    EXPECT_EQ(Bar->LabelSolution->text(), "<b>Moves:</b> 0") << "a pasted cube is set anew";

    std::string twisted = turned;
    std::swap(twisted[0], twisted[36]); // two stickers of the U-L-B corner: a mirrored corner
    for (const std::string& text : {std::string("not a cube"), twisted}) {
        QGuiApplication::clipboard()->setText(QString::fromStdString(text));
        Messages.Shown.clear();
        Key(Qt::Key_V, Qt::ControlModifier);
        ASSERT_EQ(Messages.Shown.size(), 1u) << text;
        EXPECT_EQ(Messages.Shown[0].Title, "Paste Cube");
        EXPECT_EQ(colours(), turned) << "a refused text changes nothing";
    }
    Key(Qt::Key_F6);
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(colours(), twisted);
    EXPECT_EQ(Bar->Content(), TSolutionBar::TContent::Fault);
    EXPECT_FALSE(Form->View->Highlighted().empty());
}

// A hint rings the layer of the first move of our engine's answer and has the view draw an arrow along
// its turn, turning nothing, until the cube changes or Solve is asked; following the hints solves the cube. A
// solved cube or one that cannot be real gets the bar's usual text.
TEST_F(FormGameTest, AHintMarksTheFirstMoveAndFollowingHintsSolves) {
    Form->EngineIndex = EngineTable().Add(std::string(PROGRAM_DIR) + "/twophase.so", PROGRAM_DIR);
    ASSERT_NE(Form->EngineIndex, TEngineId::None);
    Play("Ri");
    Key(Qt::Key_H, Qt::ControlModifier);
    EXPECT_EQ(State(), After("Ri")) << "a hint turns nothing";
    EXPECT_EQ(Form->View->Hint(), "R");
    EXPECT_TRUE(Shows("<b>Hint:</b> R (the right face, clockwise)"));
    EXPECT_EQ(Form->View->Highlighted(), Cube().LayerStickers(*ParseMove("R", 1, false)));
    Key(Qt::Key_F7);
    EXPECT_TRUE(Form->View->Hint().empty() && Form->View->Highlighted().empty())
        << "the answer takes its place";
    Key(Qt::Key_H, Qt::ControlModifier);
    Play("R");
    EXPECT_TRUE(Form->View->Hint().empty() && Form->View->Highlighted().empty())
        << "gone once the cube changes";
    Key(Qt::Key_H, Qt::ControlModifier);
    EXPECT_TRUE(Shows("solved already"));

    for (const char* moves : {"F U2 Li", "R2 D B V0", "H0 M0i F L2 U"}) {
        SCOPED_TRACE(moves);
        Key(Qt::Key_F3);
        Play(moves);
        for (int hints = 0; hints < 12 && !Uniform(); ++hints) {
            Key(Qt::Key_H, Qt::ControlModifier);
            ASSERT_EQ(Bar->Content(), TSolutionBar::TContent::Hint);
            Play(Form->View->Hint().c_str());
        }
        EXPECT_TRUE(Uniform());
    }
    Form->View->ChangeCube([](TRubikCube& Cube) {
        std::swap(Cube.GetState().Cubies[0][7].Color, Cube.GetState().Cubies[1][1].Color);
    });
    Key(Qt::Key_H, Qt::ControlModifier);
    EXPECT_EQ(Bar->Content(), TSolutionBar::TContent::Fault);
    EXPECT_TRUE(Form->View->Hint().empty());
}

// An engine that finds shorter answers as it searches: the bar shows each one as it comes, marked as
// still searching, and the last when the search ends; a step takes the answer shown and ends the search.
TEST_F(FormGameTest, ShorterAnswersAreShownAsTheyComeUntilTheUserPlays) {
    Form->EngineIndex = EngineTable().Add(testsupport::EngineFile("improve_engine"), PROGRAM_DIR);
    ASSERT_NE(Form->EngineIndex, TEngineId::None);
    testsupport::EngineState.Write("improve_engine.improve", std::string_view("6 400")); // 6, 5, ... 1 moves
    Play("Ri"); // "R", the last answer, solves it
    Key(Qt::Key_F7);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Bar->Searching(); }, 20000));
    const std::size_t first = Bar->Moves.size();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Bar->Searching(); }, 20000));
    EXPECT_GT(first, 1u);
    EXPECT_EQ(Bar->Moves, std::vector<std::string>{"R"});
    EXPECT_TRUE(Shows("(1 move, next 1 of 1)"));

    testsupport::EngineState.Write("improve_engine.improve", std::string_view("6 3000"));
    Key(Qt::Key_F3);
    Play("Ui Ri U R Ui Ri"); // the first answer, "R U Ri Ui R U", solves it
    Key(Qt::Key_F7);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Bar->Searching(); }, 20000));
    EXPECT_TRUE(Shows("(6 moves, next 1 of 6; <i>looking for a shorter one...</i>)"));
    Key(Qt::Key_H, Qt::ControlModifier);
    EXPECT_EQ(Form->View->Hint(), "R") << "a hint during the search";
    Key(Qt::Key_F7);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Bar->Searching(); }, 20000));
    Key(Qt::Key_F8);
    EXPECT_FALSE(Bar->Searching()) << "playing the answer ends the search";
    EXPECT_EQ(Bar->Position, 1u);
}

} // namespace
