// The game window as a user drives it: every shortcut and popup entry, the window's own keys and the
// wheel, mouse turns through the real widget, the history, refusals, paint mode with its palette,
// closing, the solution bar, and the about box.
#include "app/FormGame.h"

#include "app/FormAbout.h"
#include "app/FramePallete.h"
#include "app/Version.h"
#include "engines/Engines.h"
#include "model/CubeCheck.h"
#include "support/AppWindows.h"
#include "support/ScreenPixels.h"
#include "support/TestEngines.h"

#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QToolButton>
#include <QWheelEvent>

namespace {

using testsupport::After;

class FormGameTest : public testsupport::GameWindowTest {
protected:
    void SetUp() override {
        tCubeSettings settings = BuiltInSettings;
        settings.AnimateFaceRotations = false; // quick turns; the animated path has its own tests
        Open(settings);
    }

    void Wheel(int Delta, int Times = 1) {
        QWheelEvent wheel({10, 10}, Form->mapToGlobal(QPoint(10, 10)), {}, {0, Delta}, Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        for (int i = 0; i < Times; ++i) {
            QApplication::sendEvent(Form, &wheel);
        }
    }
    const TCubie& Sticker(int id) const { return State().Cubies[id / 9][id % 9]; }
    bool Colourless() const {
        for (int id = 0; id < 54; ++id) {
            if (Sticker(id).Color != NoColor) {
                return false;
            }
        }
        return true;
    }
    // The palette's panels from left to right: U R F D L B.
    TColorPanel* Panel(int Position) const { return Form->FramePallete->Panels[Position]; }
};

TEST_F(FormGameTest, ANewGameAndItsPopupMenu) {
    EXPECT_EQ(State(), After(""));
    EXPECT_EQ(Form->View->Mode, 1);
    EXPECT_TRUE(Form->View->Enabled);
    EXPECT_FALSE(Form->PanelPallete->isVisible());
    EXPECT_EQ(Form->ClientArea->size(), QSize(600, 600));
    QStringList popup;
    for (QAction* entry : Form->PopupGameMenu->actions()) {
        popup << (entry->isSeparator() ? "-" : entry->text());
        EXPECT_TRUE(entry->isSeparator() || entry->menu() || entry->parent() == Form.data())
            << "the window's own";
    }
    EXPECT_EQ(popup.join("|"),
              "Solve with...|-|Clean|Empty|Scramble|-|Play|Paint|-|Redo|Undo|Undo All|-|Zoom In|"
              "Zoom Out|Reset Cube View|-|Environment Far|Environment Near|Reset Environment View|-|"
              "Settings...|-|Close");
    EXPECT_FALSE(Form->mSolveWith->menuAction()->isVisible());
    EXPECT_FALSE(Form->mSolveWith->isEnabled()) << "no solver engine supports the cube";
}

TEST_F(FormGameTest, ShortcutsPlayTheGame) {
    Key(Qt::Key_F2);
    const CubeState0 scrambled = State();
    EXPECT_NE(scrambled, After(""));
    Key(Qt::Key_F2);
    EXPECT_NE(State(), scrambled) << "every scramble is a new one";
    EXPECT_TRUE(Form->History.UndoList.empty()) << "scrambling is not a move of the game";
    Key(Qt::Key_F4);
    EXPECT_TRUE(Colourless());
    Key(Qt::Key_F3);
    EXPECT_EQ(State(), After(""));

    Play("U R");
    Key(Qt::Key_Backspace, Qt::ShiftModifier); // Undo
    EXPECT_EQ(State(), After("U R Ri"));
    Key(Qt::Key_Backspace, Qt::AltModifier); // Redo
    EXPECT_EQ(State(), After("U R Ri R"));
    Key(Qt::Key_Backspace, Qt::ShiftModifier);
    Play("F");
    EXPECT_TRUE(Form->History.RedoList.empty()) << "a new move ends the redo chain";
    Key(Qt::Key_Backspace, Qt::AltModifier);
    EXPECT_EQ(State(), After("U R Ri R Ri F")) << "nothing left to redo";

    Messages.Answer = false;
    Key(Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(State(), After("U R Ri R Ri F"));
    ASSERT_EQ(Messages.Shown.size(), 1u);
    EXPECT_EQ(Messages.Shown[0],
              (TShownMessage{"Restart", "Do you want to restart this game?", TMessageIcon::Warning, true}));
    Messages.Answer = true;
    Key(Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(State(), After("U R Ri R Ri F Fi Ui"));
    EXPECT_TRUE(Form->History.UndoList.empty());
    EXPECT_EQ(Form->History.RedoList.size(), 2u);
}

TEST_F(FormGameTest, CameraKeysAndTheWheel) {
    const auto key = [this](int k, Qt::KeyboardModifiers m = Qt::NoModifier) {
        return [=, this] { Key(k, m); };
    };
    struct TRow {
        const char* Name;
        std::function<void()> Press;
        std::array<float, 4>
            After; // the cube's distance from its start, the environment's elevation, azimuth, distance
    };
    const TRow rows[] = {
        {"Ins", key(Qt::Key_Insert), {-1, 0, 90, 80}},
        {"Shift+Ins", key(Qt::Key_Insert, Qt::ShiftModifier), {0, 0, 90, 80}},
        {"keypad +", key(Qt::Key_Plus, Qt::KeypadModifier), {-1, 0, 90, 80}},
        {"keypad -", key(Qt::Key_Minus, Qt::KeypadModifier), {0, 0, 90, 80}},
        {"+ of the main keys", key(Qt::Key_Plus), {0, 0, 90, 80}},
        {"wheel up", [&] { Wheel(120); }, {-1, 0, 90, 80}},
        {"two half notches down", [&] { Wheel(-60, 2); }, {0, 0, 90, 80}},
        {"Ins again", key(Qt::Key_Insert), {-1, 0, 90, 80}},
        {"Esc", key(Qt::Key_Escape), {0, 0, 90, 80}},
        {"Up", key(Qt::Key_Up), {0, 1, 90, 80}},
        {"Up again", key(Qt::Key_Up), {0, 2, 90, 80}},
        {"Shift+Down: Shift is not looked at", key(Qt::Key_Down, Qt::ShiftModifier), {0, 1, 90, 80}},
        {"Right", key(Qt::Key_Right), {0, 1, 89, 80}},
        {"Left", key(Qt::Key_Left), {0, 1, 90, 80}},
        {"Left again", key(Qt::Key_Left), {0, 1, 91, 80}},
        {"Ctrl+A", key(Qt::Key_A, Qt::ControlModifier), {0, 1, 91, 77}},
        {"Ctrl+I", key(Qt::Key_I, Qt::ControlModifier), {0, 1, 91, 80}},
        {"Ctrl+I: no farther than the box", key(Qt::Key_I, Qt::ControlModifier), {0, 1, 91, 80}},
        {"Ctrl+A again", key(Qt::Key_A, Qt::ControlModifier), {0, 1, 91, 77}},
        {"Shift+Esc", key(Qt::Key_Escape, Qt::ShiftModifier), {0, 0, 90, 80}},
    };
    const TCube3D& view = *Form->View;
    const float start = view.CubeDistance;
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.Name);
        row.Press();
        EXPECT_EQ((std::array<float, 4>{view.CubeDistance - start, view.EnvElevation, view.EnvAzimuth,
                                        view.EnvDistance}),
                  row.After);
    }
}

TEST_F(FormGameTest, InvalidMovesAreRefusedWithAWarning) {
    Form->History.RedoList = {"U"};
    Play("U X2 R");
    EXPECT_EQ(State(), After(""));
    EXPECT_TRUE(Form->History.UndoList.empty());
    EXPECT_TRUE(Form->History.RedoList.empty()) << "a recorded play ends the redo chain, even a refused one";
    ASSERT_EQ(Messages.Shown.size(), 1u);
    EXPECT_EQ(Messages.Shown[0],
              (TShownMessage{"Warning", "'U X2 R' contains invalid move(s).\nThis move sequence is cancelled",
                             TMessageIcon::Warning, false}));
}

TEST_F(FormGameTest, AMouseDragThroughTheWindowTurnsALayerAndIsRecorded) {
    Form->History.RedoList = {"U"};
    const QPoint from = Centre(13), to = Centre(14);
    QTest::mousePress(Form->ClientArea, Qt::LeftButton, {}, from);
    for (int s = 1; s <= 6; ++s) {
        QTest::mouseMove(Form->ClientArea, from + (to - from) * s / 10);
    }
    QTest::mouseRelease(Form->ClientArea, Qt::LeftButton, {}, from + (to - from) * 6 / 10);
    ASSERT_TRUE(Drain());
    ASSERT_EQ(Form->History.UndoList.size(), 1u);
    EXPECT_TRUE(Form->History.RedoList.empty());
    EXPECT_NE(State(), After(""));
    Key(Qt::Key_Backspace, Qt::ShiftModifier);
    EXPECT_EQ(State().Cubies, After("").Cubies) << "the recorded inverse undoes the turn";
}

TEST_F(FormGameTest, ARightClickOpensThePopupMenuThereAndFAloneRefreshesAndCtrlFCloses) {
    QPointer<QWidget> opened;
    QTimer::singleShot(200, [&] {
        if ((opened = QApplication::activePopupWidget())) {
            EXPECT_LE((opened->pos() - Form->ClientArea->mapToGlobal(QPoint(100, 120))).manhattanLength(), 2);
            opened->close();
        }
    });
    QTest::mouseClick(Form->ClientArea, Qt::RightButton, {}, {100, 120});
    EXPECT_EQ(opened.data(), Form->PopupGameMenu);

    Key(Qt::Key_F);
    ASSERT_FALSE(Form.isNull());
    EXPECT_TRUE(Form->isVisible());
    QTest::keyClick(Form, Qt::Key_F, Qt::ControlModifier);
    QTest::qWait(50);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(Form.isNull()) << "a closed game window is freed";
}

// Whatever covered the cube leaves no trace once it goes, without the mouse moving: no compositor
// keeps a copy of the cube, the view draws it again when its surface is uncovered.
TEST_F(FormGameTest, TheCubeIsRedrawnWhenUncovered) {
    Play("R U Ri");
    Form->View->Refresh();
    QTest::qWait(300);
    const QImage before = testsupport::OnScreen(Form->ClientArea);
    ASSERT_TRUE(testsupport::ShowsCube(before));
    const QPoint centre = Form->ClientArea->mapToGlobal(Form->ClientArea->rect().center());
    QDialog dialog(Form, Qt::Tool);
    dialog.setStyleSheet("background: white");
    dialog.setGeometry(QRect(centre - QPoint(120, 120), QSize(240, 240)));
    Form->PopupGameMenu->popup(centre - QPoint(60, 60));
    for (QWidget* cover : {static_cast<QWidget*>(Form->PopupGameMenu), static_cast<QWidget*>(&dialog)}) {
        SCOPED_TRACE(cover->metaObject()->className());
        cover->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(cover));
        QTest::qWait(200);
        EXPECT_GT(testsupport::DifferingPixels(testsupport::OnScreen(Form->ClientArea), before), 1000)
            << "covered";
        cover->hide();
        QTest::qWait(300);
        EXPECT_EQ(testsupport::DifferingPixels(testsupport::OnScreen(Form->ClientArea), before), 0);
    }
}

// Paint mode as a user copies a real cube with it.
TEST_F(FormGameTest, PaintModeClicksPaintAndClearByTheRuleAndPanelsChangeTheirColour) {
    Key(Qt::Key_F2);
    Key(Qt::Key_F6);
    QTest::qWait(50); // the palette's space comes off the view
    EXPECT_EQ(Form->View->Mode, 0);
    EXPECT_TRUE(Form->PanelPallete->isVisible());
    EXPECT_EQ(Form->PanelPallete->height(), 60);
    EXPECT_FALSE(Form->PanelSolution->isVisible()) << "the move count belongs to play mode";
    EXPECT_TRUE(Colourless()) << "paint mode starts from an empty cube";
    std::vector<int> order;
    for (TColorPanel* panel : Form->FramePallete->Panels) {
        EXPECT_TRUE(order.empty() || panel->x() > Panel(order.size() - 1)->x());
        order.push_back(panel->Tag);
        EXPECT_EQ(panel->Missing(), 9);
    }
    EXPECT_EQ(order, (std::vector<int>{0, 2, 1, 5, 4, 3})) << "U R F D L B from left to right";
    EXPECT_GT(Form->FramePallete->PanelOrientation->frameWidth(), 0) << "the palette stands out by its frame";
    EXPECT_EQ(Form->View->PaintColor, 0) << "U is chosen from the start";

    struct TStep {
        const char* Name;
        int Panel; // position of the panel chosen before the click; -1: none
        int Sticker;
        Qt::MouseButton Button;
        std::uint8_t Expected;
    };
    const TStep steps[] = {
        {"R chosen, a colourless sticker gets R", 1, 13, Qt::LeftButton, 2},
        {"a painted sticker becomes colourless", -1, 13, Qt::LeftButton, NoColor},
        {"the middle button paints too", 3, 4, Qt::MiddleButton, 5},
        {"a coloured sticker is cleared whatever the colour chosen", 2, 4, Qt::LeftButton, NoColor},
        {"B on a corner", 5, 9, Qt::LeftButton, 3},
    };
    for (const TStep& step : steps) {
        SCOPED_TRACE(step.Name);
        if (step.Panel >= 0) {
            QTest::mouseClick(Panel(step.Panel), Qt::LeftButton);
            EXPECT_EQ(Form->View->PaintColor, Panel(step.Panel)->Tag);
        }
        QTest::mouseClick(Form->ClientArea, step.Button, {}, Centre(step.Sticker));
        EXPECT_EQ(Sticker(step.Sticker).Color, step.Expected);
    }
    EXPECT_EQ(Panel(5)->Missing(), 8) << "one B sticker painted";
    EXPECT_EQ(Panel(1)->Missing(), 9);
    // What the window shows: the painted corner in B's colour (orange: red high, blue low).
    const QColor corner = testsupport::DrawnAt(*Form->View, testsupport::StickerPoint(*Form->View, 9));
    EXPECT_TRUE(corner.red() > 2 * corner.blue() + 20 && corner.green() > corner.blue()) << "not orange";

    QTest::mousePress(Form->ClientArea, Qt::LeftButton, {}, Centre(10));
    QTest::mouseRelease(Form->ClientArea, Qt::LeftButton, {}, Centre(10) + QPoint(3, 0));
    EXPECT_EQ(Sticker(10).Color, NoColor) << "a click that moves paints nothing";

    // A right click on a panel changes that colour in this game only.
    Messages.ColorAnswer = 0x00FF00; // green, as 0x00BBGGRR
    // What a right click on the panel brings: its context-menu event.
    QContextMenuEvent menu(QContextMenuEvent::Mouse, {5, 5}, Panel(0)->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(Panel(0), &menu);
    ASSERT_FALSE(Messages.ColorsAsked.empty());
    EXPECT_EQ(Messages.ColorsAsked.back(), BuiltInSettings.FaceColors[0]);
    EXPECT_EQ(Form->View->Settings.FaceColors[0], 0x00FF00u);
    EXPECT_EQ(Form->Settings.FaceColors[0], BuiltInSettings.FaceColors[0]) << "the game's own copy stays";
    EXPECT_EQ(Form->View->PaintColor, 0) << "and U is chosen";
    Messages.ColorAnswer.reset();             // Cancel
    QApplication::sendEvent(Panel(1), &menu); // R
    EXPECT_EQ(Form->View->Settings.FaceColors[2], BuiltInSettings.FaceColors[2]);
    Key(Qt::Key_F6);
    EXPECT_EQ(Sticker(9).Color, 3) << "paint mode again empties nothing";
    Key(Qt::Key_F5);
    EXPECT_EQ(Form->View->Mode, 1);
    EXPECT_FALSE(Form->PanelPallete->isVisible());
    EXPECT_TRUE(Form->PanelSolution->isVisible());
    EXPECT_EQ(Sticker(9).Color, 3) << "the painted colours stay in play mode";
}

TEST(AboutBoxTest, ShowsWhatTheProgramIsAndSpins) {
    ASSERT_TRUE(LoadGLLibraries());
    TMessageRecorder messages;
    QWidget owner;
    owner.resize(800, 600);
    owner.show();
    auto about = std::make_unique<TFormAbout>(&owner);
    about->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(about.get()));
    EXPECT_EQ(about->LabelVersion->text().toStdString(), std::string("Version ") + TorvaneVersion);
    int w = 0, h = 0;
    const std::vector<std::uint8_t> first = about->Preview->CaptureFrame(w, h);
    QTest::qWait(300);
    EXPECT_NE(about->Preview->CaptureFrame(w, h), first) << "the preview turns by itself";
    QTest::mouseClick(about->StaticTextURL, Qt::LeftButton);
    QTest::mouseClick(about->StaticTextSupportMail, Qt::LeftButton);
    EXPECT_EQ(messages.Opened, (std::vector<std::string>{WebSite, std::string("mailto:") + SupportMail}));
    // Closing frees it and its preview, spinning or not.
    QPointer<TFormAbout> watched = about.get();
    about.reset();
    EXPECT_TRUE(watched.isNull());
}

// What Solve shows in the game window: the answer to step through (tried on a copy of the cube
// first), why the cube is not valid with its stickers ringed, until the next change, or why there is
// no answer.
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
