// The game window's threads under load: each case makes the UI thread and a view's threads meet
// where they share something (the model, the settings, the arcball, the GL context), for
// ThreadSanitizer to watch; a deadlock runs into the test's time-out.
#include "engines/Engines.h"
#include "model/Random.h"
#include "support/AppWindows.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
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
        // Whatever the freed window still had posted is delivered now, and must do nothing.
        QCoreApplication::sendPostedEvents();
    }

    // Waits until a move is being performed.
    bool Turning() {
        return QTest::qWaitFor([this] { return Form->View->IsMoveInProgress(); }, 30000);
    }
    // Plays a six-move answer and waits for its first turn.
    void PlayAnswer() {
        Play("Di Bi Li Fi Ui Ri");
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
    // Each report spins the event loop, as a modal box would, until the solution bar's timer has run
    // meanwhile.
    Messages.WhileShown = [this] {
        auto* timer = Form->PanelSolution->findChild<QTimer*>();
        ASSERT_NE(timer, nullptr);
        QSignalSpy ticks(timer, &QTimer::timeout);
        static_cast<void>(QTest::qWaitFor([&] { return ticks.count() > 1 || !timer->isActive(); }, 10000));
    };
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
    ASSERT_TRUE(Drain()); // that Apply reaches the view is the settings test's
}

// Every command that reads or changes the cube, given while turns are drawn, acts on the cube those
// turns leave: given during them or after them, it gives the same cube (and Solve the same answer,
// which then solves the cube).
TEST_F(ThreadsTest, CommandsGivenDuringTurnsActOnTheCubeTheTurnsLeave) {
    EngineTable().Clear();
    EngineTable().SetVerdictFile({});
    ASSERT_NE(EngineTable().Add(std::string(PROGRAM_DIR) + "/twophase.so", PROGRAM_DIR), TEngineId::None);
    const auto trigger = [](QAction* Action) { return [Action] { Action->trigger(); }; };
    const auto recorded = [this] { Play("U F"); };
    // The command's name, what comes before it, and the command.
    const std::tuple<const char*, std::function<void()>, std::function<void()>> rows[] = {
        {"Scramble", {}, [&] { RandomSeed(7), Form->ActionScrambleCube->trigger(); }},
        {"Clean", [this] { Play("B"); }, trigger(Form->ActionCleanCube)},
        {"Empty", {}, trigger(Form->ActionEmptyCube)},
        {"Paint", {}, trigger(Form->ActionPaint)},
        {"a painted sticker",
         [this] {
             Form->ActionPaint->trigger();
             ASSERT_TRUE(Drain());
             Form->View->ChangeCube([](TRubikCube& Cube) { Cube.SetState(testsupport::After("")); });
         },
         [this] { QTest::mouseClick(Form->ClientArea, Qt::LeftButton, {}, Centre(11)); }},
        {"Undo", recorded, trigger(Form->ActionUndo)},
        {"Redo", [&] { recorded(), Key(Qt::Key_Backspace, Qt::ShiftModifier); }, trigger(Form->ActionRedo)},
        {"Restart", recorded, trigger(Form->ActionUndoAll)},
        {"Solve", {}, trigger(Form->ActionSolve)},
    };
    for (const auto& [name, setup, command] : rows) {
        SCOPED_TRACE(name);
        std::array<std::pair<CubeState0, std::vector<std::string>>, 2> results;
        for (const bool during : {true, false}) {
            Form->ActionPlay->trigger();
            Form->ActionCleanCube->trigger();
            ASSERT_TRUE(Drain());
            Form->History = {};
            Form->SolutionList.clear();
            if (setup) {
                setup();
            }
            ASSERT_TRUE(Drain());
            // Given at once, as a user's key right after a drag: the turns are queued, and drawn for
            // hundreds of frames, when the command comes.
            ASSERT_TRUE(Form->View->ExecuteMoves("R Ui", during, false, nullptr));
            if (!during) {
                ASSERT_TRUE(Drain());
            }
            command();
            ASSERT_TRUE(Drain());
            results[during] = {Form->View->CubeState(), Form->SolutionList};
        }
        EXPECT_EQ(results[0], results[1]);
        if (!results[0].second.empty()) {
            Key(Qt::Key_F9);
            EXPECT_TRUE(Uniform()) << "the answer solves the cube";
        }
    }
    EngineTable().Clear();
}

TEST_F(ThreadsTest, ASpinningPreviewTurnsItsTestMoves) {
    testsupport::Customize(Form, [&](TFormCustomize& dialog) {
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        TCube3D& preview = *dialog.Preview;
        // The later clicks come while a turn is under way (that is what is waited for; the verdict is
        // the cube's).
        for (int i = 0; i < 3; ++i) {
            QTest::mouseClick(dialog.btnTest, Qt::LeftButton);
            static_cast<void>(QTest::qWaitFor([&] { return preview.IsMoveInProgress(); }, 5000));
        }
        ASSERT_TRUE(QTest::qWaitFor([&] { return preview.MovesFinished(); }, 60000));
        TRubikCube cube(preview.CubeSizeIndex());
        cube.SetState(preview.CubeState());
        EXPECT_FALSE(FacesAreUniform(cube)) << "the test moves turned the preview";
        QTest::mouseClick(dialog.btnClose, Qt::LeftButton);
        EXPECT_FALSE(preview.IsAutoRotating()) << "closed, it stops";
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
