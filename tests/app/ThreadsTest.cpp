// The game window's threads under load: each case makes the UI thread and a view's threads meet
// where they share something (the model, the settings, the arcball, the GL context), for
// ThreadSanitizer to watch; a deadlock runs into the test's time-out.
#include "support/AppWindows.h"

#include <QCheckBox>
#include <QDir>
#include <QPushButton>
#include <QToolButton>

namespace {

class ThreadsTest : public testsupport::GameWindowTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(Folder.isValid());
        InstallViewMessages();
        tCubeSettings settings = BuiltInSettings;
        settings.CubeFaceRotationSpeed = 0; // slow turns: the other side always meets one in progress
        Open(settings, QSize(240, 300));    // small frames keep a software renderer under the sanitizer quick
        Form->ProgramFolder = Folder.path();
    }
    void TearDown() override {
        GameWindowTest::TearDown();
        QTest::qWait(20);
    }

    // Waits until a move is being performed.
    bool Turning() {
        return QTest::qWaitFor([this] { return Form->View->MoveInProgress.load(); }, 30000);
    }
    // Plays a six-move answer and waits for its first turn.
    void PlayAnswer() {
        Form->PanelSolution->ShowSolution({"R", "U", "F", "L", "B", "D"}, true);
        Form->PanelSolution->Play();
        ASSERT_TRUE(Turning());
    }
    void Sweep(int FromY, int Step) { // the pointer sweeps the cube: every move picks the sticker under it
        for (int x = 20; x < 220; x += 10) {
            QTest::mouseMove(Form->ClientArea, QPoint(x, FromY + Step * x));
            QApplication::processEvents();
        }
    }

    QTemporaryDir Folder;
};

TEST_F(ThreadsTest, ABrokenEnvironmentAppliedWhileASolutionPlaysIsReportedAndPlayingGoesOn) {
    // Pictures that exist but do not decode: the view reports one while it loads them, which it does
    // with its Lock held, in the middle of a turn of the move thread.
    const QString env = QDir(Folder.path()).filePath("Broken.env");
    testsupport::WriteText(env, "");
    testsupport::WriteText(QDir(Folder.path()).filePath("Back.jpg"), "not a picture");
    // Each report spins the event loop for a while, as a modal box would: the solution bar's timer
    // runs meanwhile.
    Messages.WhileShown = [] { QTest::qWait(300); };
    PlayAnswer();
    testsupport::Customize(Form, [&](TFormCustomize& dialog) {
        testsupport::Choose(dialog.ComboBoxEnvironment, 1);
        Messages.FileAnswer = env.toStdString();
        QTest::mouseClick(dialog.btnChangeEnviron, Qt::LeftButton);
        QTest::mouseClick(dialog.btnApply, Qt::LeftButton);
    });
    ASSERT_TRUE(Drain());
    EXPECT_EQ(Form->PanelSolution->Position, 6u);
    EXPECT_FALSE(Messages.Shown.empty()) << "the broken picture is reported";
}

TEST_F(ThreadsTest, SettingsAppliedAndPickingDuringTurns) {
    ASSERT_TRUE(Form->View->ExecuteMoves("R U F L B D R U", true, false, nullptr));
    ASSERT_TRUE(Turning());
    for (int speed : {2, 1}) {
        testsupport::Customize(Form, [&](TFormCustomize& dialog) {
            testsupport::Choose(dialog.ComboBoxSliceRotationSpeed, speed);
            dialog.CheckBoxSoundEnable->setChecked(speed == 1);
            dialog.CheckBoxLighting->setChecked(speed == 2);
            QTest::mouseClick(dialog.btnApply, Qt::LeftButton);
        });
        Sweep(0, 1);
    }
    Form->ActionPaint->trigger(); // paint mode reads the colour under the pointer too
    ASSERT_TRUE(Form->View->ExecuteMoves("R U", true, false, nullptr));
    Sweep(200, -1);
    ASSERT_TRUE(Drain());
    EXPECT_EQ(Form->View->SettingsCopy().CubeFaceRotationSpeed, 1);
}

TEST_F(ThreadsTest, ASpinningPreviewTurnsItsTestMoves) {
    testsupport::Customize(Form, [&](TFormCustomize& dialog) {
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        for (int i = 0; i < 3; ++i) {
            QTest::mouseClick(dialog.btnTest, Qt::LeftButton);
            QTest::qWait(200);
        }
        QTest::mouseClick(dialog.btnClose, Qt::LeftButton);
    });
}

TEST_F(ThreadsTest, StopEndsPlaybackAfterTheMoveInProgressAndAGameClosesDuringPlayback) {
    PlayAnswer();
    QTest::mouseClick(Form->PanelSolution->btnStop, Qt::LeftButton);
    const std::size_t stoppedAt = Form->PanelSolution->Position;
    ASSERT_TRUE(Drain());
    EXPECT_EQ(Form->PanelSolution->Position, stoppedAt);
    ASSERT_LT(stoppedAt, 5u);

    Form->PanelSolution->Play();
    ASSERT_TRUE(Turning());
    Form->ActionClose->trigger();
    EXPECT_TRUE(QTest::qWaitFor([this] { return Form.isNull(); }, 60000));
}

} // namespace
