// The game window as a user drives it: every shortcut and popup entry, the window's own keys and the
// wheel, mouse turns through the real widget, the history, refusals and closing in the middle of a turn.
#include "app/FormGame.h"

#include "animation/Thread.h"
#include "app/Dialogs.h"
#include "app/SolutionBar.h"
#include "support/CubeStates.h"
#include "support/ScreenPixels.h"
#include "support/StickerPixels.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFrame>
#include <QImage>
#include <QMenu>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

using testsupport::After;

CubeState0 Clean() {
    TRubikCube cube(1);
    return cube.Clean();
}

class FormGameTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(LoadGLLibraries());
        tCubeSettings settings = BuiltInSettings;
        settings.AnimateFaceRotations = false; // quick turns; the animated path has its own tests
        Form = new TFormGame(nullptr, settings, "Untitled-1", "Rubik's Cube", false, 1);
        Form->show();
        Form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Form));
    }
    void TearDown() override { delete Form.data(); }

    // Serves the UI thread until the move thread has performed everything queued.
    bool Drain() {
        const auto end = Clock::now() + std::chrono::seconds(30);
        while (Clock::now() < end) {
            if (Form->View->MovesFinished()) {
                return true;
            }
            QTest::qWait(5);
        }
        return false;
    }

    const CubeState0& State() const { return Form->View->Cube->GetState(); }

    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(Form, static_cast<Qt::Key>(key), modifiers);
        ASSERT_TRUE(Drain());
    }

    QPoint Centre(int id) const {
        const auto p = testsupport::VisibleStickerPixel(*Form->View, id, Form->ClientArea->width(),
                                                        Form->ClientArea->height());
        EXPECT_TRUE(p.has_value());
        return p.value_or(QPoint());
    }

    QPointer<TFormGame> Form;
    TMessageRecorder Messages;
};

TEST_F(FormGameTest, CaptionActionsAndPopupMenuAreThoseOfAGame) {
    EXPECT_EQ(Form->windowTitle(), "Rubik's Cube [Untitled-1]");
    EXPECT_EQ(State(), Clean());
    EXPECT_EQ(Form->View->Mode, 1);
    EXPECT_TRUE(Form->View->Enabled);
    EXPECT_FALSE(Form->PanelPallete->isVisible());
    EXPECT_EQ(Form->ClientArea->size(), QSize(600, 600));

    QStringList popup;
    for (QAction* entry : Form->PopupGameMenu->actions()) {
        popup << (entry->isSeparator() ? "-" : entry->text());
        if (!entry->isSeparator() && entry->menu() == nullptr) {
            EXPECT_EQ(entry->parent(), Form.data()) << "the popup entries are the window's own actions";
        }
    }
    EXPECT_EQ(
        popup.join("|").toStdString(),
        "Solve with...|-|Clean|Empty|Scramble|-|Play|Paint|-|Redo|Undo|Undo All|-|Zoom In|Zoom Out|"
        "Reset Cube View|-|Environment Far|Environment Near|Reset Environment View|-|Settings...|-|Close");
    EXPECT_FALSE(Form->mSolveWith->menuAction()->isVisible());
    EXPECT_FALSE(Form->mSolveWith->isEnabled()) << "no solver engine supports the cube";
}

TEST_F(FormGameTest, ShortcutsPlayTheGame) {
    Key(Qt::Key_F2);
    const CubeState0 scrambled = State();
    EXPECT_NE(scrambled, Clean());
    Key(Qt::Key_F2);
    EXPECT_NE(State(), scrambled) << "every scramble is a new one";
    EXPECT_TRUE(Form->History.UndoList.empty()) << "scrambling is not a move of the game";
    Key(Qt::Key_F4);
    for (const auto& face : State().Cubies) {
        for (const TCubie& sticker : face) {
            EXPECT_EQ(sticker.Color, NoColor);
        }
    }
    Key(Qt::Key_F3);
    EXPECT_EQ(State(), Clean());

    // Sticker counters only grow, so an undone turn shows in them: compare with the whole sequence.
    Form->PlayMoves("U R", false, true);
    ASSERT_TRUE(Drain());
    EXPECT_EQ(State(), After("U R"));
    Key(Qt::Key_Backspace, Qt::ShiftModifier);
    EXPECT_EQ(State(), After("U R Ri"));
    EXPECT_EQ(State().Cubies, After("U").Cubies);
    Key(Qt::Key_Backspace, Qt::AltModifier);
    EXPECT_EQ(State(), After("U R Ri R"));
    Key(Qt::Key_Backspace, Qt::ShiftModifier);
    Form->PlayMoves("F", false, true);
    ASSERT_TRUE(Drain());
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
    EXPECT_EQ(State().Cubies, Clean().Cubies);
    EXPECT_TRUE(Form->History.UndoList.empty());
    EXPECT_EQ(Form->History.RedoList.size(), 2u);
}

TEST_F(FormGameTest, CameraKeysAndTheWheel) {
    TCube3D& view = *Form->View;
    const float start = view.CubeDistance;
    struct TCase {
        const char* Name;
        std::function<void()> Press;
        float Distance; // change of CubeDistance
    };
    const TCase zooms[] = {
        {"Ins", [&] { Key(Qt::Key_Insert); }, -1},
        {"Shift+Ins", [&] { Key(Qt::Key_Insert, Qt::ShiftModifier); }, +1},
        {"keypad +", [&] { Key(Qt::Key_Plus, Qt::KeypadModifier); }, -1},
        {"keypad -", [&] { Key(Qt::Key_Minus, Qt::KeypadModifier); }, +1},
        {"+ of the main keys", [&] { Key(Qt::Key_Plus); }, 0},
        {"wheel up",
         [&] {
             QWheelEvent up({10, 10}, Form->mapToGlobal(QPoint(10, 10)), {}, {0, 120}, Qt::NoButton,
                            Qt::NoModifier, Qt::NoScrollPhase, false);
             QApplication::sendEvent(Form, &up);
         },
         -1},
        {"two half notches down",
         [&] {
             for (int i = 0; i < 2; ++i) {
                 QWheelEvent down({10, 10}, Form->mapToGlobal(QPoint(10, 10)), {}, {0, -60}, Qt::NoButton,
                                  Qt::NoModifier, Qt::NoScrollPhase, false);
                 QApplication::sendEvent(Form, &down);
             }
         },
         +1},
    };
    for (const TCase& c : zooms) {
        SCOPED_TRACE(c.Name);
        const float before = view.CubeDistance;
        c.Press();
        EXPECT_FLOAT_EQ(view.CubeDistance, before + c.Distance);
    }
    Key(Qt::Key_Insert);
    Key(Qt::Key_Escape);
    EXPECT_FLOAT_EQ(view.CubeDistance, start);

    Key(Qt::Key_Up);
    Key(Qt::Key_Up);
    EXPECT_FLOAT_EQ(view.EnvElevation, 2);
    Key(Qt::Key_Down, Qt::ShiftModifier); // Shift is not looked at
    EXPECT_FLOAT_EQ(view.EnvElevation, 1);
    Key(Qt::Key_Right);
    EXPECT_FLOAT_EQ(view.EnvAzimuth, 89);
    Key(Qt::Key_Left);
    Key(Qt::Key_Left);
    EXPECT_FLOAT_EQ(view.EnvAzimuth, 91);
    Key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_FLOAT_EQ(view.EnvDistance, 77);
    Key(Qt::Key_I, Qt::ControlModifier);
    Key(Qt::Key_I, Qt::ControlModifier);
    EXPECT_FLOAT_EQ(view.EnvDistance, 80) << "no farther than the box";
    Key(Qt::Key_A, Qt::ControlModifier);
    Key(Qt::Key_Escape, Qt::ShiftModifier);
    EXPECT_FLOAT_EQ(view.EnvAzimuth, 90);
    EXPECT_FLOAT_EQ(view.EnvElevation, 0);
    EXPECT_FLOAT_EQ(view.EnvDistance, 80);
}

TEST_F(FormGameTest, PaintAndPlaySwitchTheMode) {
    Key(Qt::Key_F6);
    EXPECT_EQ(Form->View->Mode, 0);
    EXPECT_TRUE(Form->PanelPallete->isVisible());
    EXPECT_EQ(Form->PanelPallete->height(), 60);
    EXPECT_FALSE(Form->PanelSolution->isVisible()) << "the move count belongs to play mode";
    EXPECT_EQ(State().Cubies[1][4].Color, NoColor) << "paint mode starts from an empty cube";
    Form->View->ChangeCube([](TRubikCube& cube) { cube.GetState().Cubies[1][4].Color = 2; });
    Key(Qt::Key_F6);
    EXPECT_EQ(State().Cubies[1][4].Color, 2) << "paint mode again changes nothing";
    Key(Qt::Key_F5);
    EXPECT_EQ(Form->View->Mode, 1);
    EXPECT_FALSE(Form->PanelPallete->isVisible());
    EXPECT_TRUE(Form->PanelSolution->isVisible());
    EXPECT_EQ(State().Cubies[1][4].Color, 2) << "the painted colours stay";
}

TEST_F(FormGameTest, InvalidMovesAreRefusedWithAWarning) {
    Form->History.RedoList = {"U"};
    Form->PlayMoves("U X2 R", false, true);
    ASSERT_TRUE(Drain());
    EXPECT_EQ(State(), Clean());
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
    EXPECT_NE(State(), Clean());
    TRubikCube back(1);
    back.SetState(State());
    ASSERT_TRUE(back.PerformMoves(Form->History.UndoList[0]));
    EXPECT_EQ(back.GetState(), Clean()) << "the recorded inverse undoes the turn";
}

TEST_F(FormGameTest, ARightClickOpensThePopupMenuThere) {
    QPointer<QWidget> opened;
    QPoint where;
    QTimer::singleShot(200, [&] {
        opened = QApplication::activePopupWidget();
        if (opened) {
            where = opened->pos();
            opened->close();
        }
    });
    QTest::mousePress(Form->ClientArea, Qt::RightButton, {}, {100, 120});
    QTest::mouseRelease(Form->ClientArea, Qt::RightButton, {}, {100, 120});
    EXPECT_EQ(opened.data(), Form->PopupGameMenu);
    EXPECT_LE((where - Form->ClientArea->mapToGlobal(QPoint(100, 120))).manhattanLength(), 2);
}

TEST_F(FormGameTest, FAloneRefreshesAndCtrlFCloses) {
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
    Form->PlayMoves("R U Ri", false, true);
    ASSERT_TRUE(Drain());
    Form->View->Refresh();
    QTest::qWait(300);
    const QImage before = testsupport::OnScreen(Form->ClientArea);
    ASSERT_TRUE(testsupport::ShowsCube(before));
    const QPoint centre = Form->ClientArea->mapToGlobal(Form->ClientArea->rect().center());
    QDialog dialog(Form);
    dialog.setWindowFlags(Qt::Tool);
    dialog.setStyleSheet("background: white");
    struct TRow {
        const char* Name;
        QWidget* Cover;
        std::function<void()> Show;
    };
    const TRow rows[] = {
        {"popup menu", Form->PopupGameMenu, [&] { Form->PopupGameMenu->popup(centre - QPoint(60, 60)); }},
        {"dialog", &dialog,
         [&] {
             dialog.setGeometry(QRect(centre - QPoint(120, 120), QSize(240, 240)));
             dialog.show();
         }},
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.Name);
        row.Show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(row.Cover));
        QTest::qWait(200);
        EXPECT_GT(testsupport::DifferingPixels(testsupport::OnScreen(Form->ClientArea), before), 1000)
            << "it did cover the cube";
        row.Cover->hide();
        QTest::qWait(300);
        EXPECT_EQ(testsupport::DifferingPixels(testsupport::OnScreen(Form->ClientArea), before), 0);
    }
}

} // namespace
