// The game window's threads under load: each case makes the UI thread and a view's threads meet
// where they share something (the model, the settings, the arcball, the GL context), for
// ThreadSanitizer to watch, and a watchdog turns a deadlock into a failure instead of a hung run.
#include "app/Dialogs.h"
#include "app/FormGame.h"
#include "app/SettingsDialogs.h"
#include "app/SolutionBar.h"
#include "support/SettingsDialogs.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// Ends the whole test program with a failure if it is not dismissed in time: a deadlocked UI thread
// can report nothing itself.
class TWatchdog {
public:
    TWatchdog(const char* What, std::chrono::seconds Limit)
        : Thread([this, What, Limit] {
              std::unique_lock lock(Mutex);
              if (!Dismissed.wait_for(lock, Limit, [this] { return Done; })) {
                  std::fprintf(stderr, "DEADLOCK: %s did not finish within %lld s\n", What,
                               static_cast<long long>(Limit.count()));
                  std::fflush(stderr);
                  std::_Exit(3);
              }
          }) {}
    ~TWatchdog() {
        {
            std::lock_guard lock(Mutex);
            Done = true;
        }
        Dismissed.notify_all();
        Thread.join();
    }

private:
    std::mutex Mutex;
    std::condition_variable Dismissed;
    bool Done = false;
    std::thread Thread;
};

class ThreadsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(LoadGLLibraries());
        ASSERT_TRUE(Folder.isValid());
        InstallViewMessages();
        tCubeSettings settings = BuiltInSettings;
        settings.CubeFaceRotationSpeed = 0; // slow turns: the other side always meets one in progress
        Game = new TFormGame(nullptr, settings, "Untitled-1", "Rubik's Cube", false, 1);
        Game->ProgramFolder = Folder.path();
        Game->resize(240, 300); // small frames keep a software renderer under the sanitizer quick
        Game->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Game.data()));
    }
    void TearDown() override {
        delete Game.data();
        QTest::qWait(20);
    }

    // Serves the UI thread until Done holds.
    static bool WaitFor(const std::function<bool()>& Done, std::chrono::seconds Limit = 120s) {
        const auto end = Clock::now() + Limit;
        while (Clock::now() < end) {
            if (Done()) {
                return true;
            }
            QTest::qWait(10);
        }
        return false;
    }
    bool Drained() { return !Game->PanelSolution->Playing() && Game->View->MovesFinished(); }
    // Waits until a move is being performed.
    bool Turning() {
        return WaitFor([this] { return Game->View->MoveInProgress.load(); }, 30s);
    }

    void Customize(const std::function<void(TFormCustomize&)>& Use) { testsupport::Customize(Game, Use); }

    TMessageRecorder Messages;
    QTemporaryDir Folder;
    QPointer<TFormGame> Game;
};

TEST_F(ThreadsTest, ABrokenEnvironmentAppliedWhileASolutionPlaysIsReportedAndPlayingGoesOn) {
    // Pictures that exist but do not decode: the view reports one while it loads them, which it does
    // with its Lock held, in the middle of a turn of the move thread.
    const QString env = QDir(Folder.path()).filePath("Broken.env");
    for (const char* name : {"Broken.env", "Back.jpg"}) {
        QFile file(QDir(Folder.path()).filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(name[1] == 'r' ? "" : "not a picture");
    }
    // Each report spins the event loop for a while, as a modal box would: the solution bar's timer
    // runs meanwhile.
    Messages.WhileShown = [] { QTest::qWait(300); };
    TWatchdog watchdog("applying a broken environment during playback", 120s);
    Game->PanelSolution->ShowSolution({"R", "U", "F", "L", "B", "D"}, true);
    Game->PanelSolution->Play();
    ASSERT_TRUE(Turning());
    Customize([&](TFormCustomize& dialog) {
        testsupport::Choose(dialog.ComboBoxEnvironment, 1);
        Messages.FileAnswer = env.toStdString();
        QTest::mouseClick(dialog.btnChangeEnviron, Qt::LeftButton);
        QTest::mouseClick(dialog.btnApply, Qt::LeftButton);
    });
    EXPECT_EQ(Game->Settings.EnvironFile, env.toStdString());
    ASSERT_TRUE(WaitFor([this] { return Drained(); }));
    EXPECT_EQ(Game->PanelSolution->Position, 6u);
    EXPECT_FALSE(Messages.Shown.empty()) << "the broken picture is reported";
}

TEST_F(ThreadsTest, SettingsAppliedAndPickingDuringTurns) {
    ASSERT_TRUE(Game->View->ExecuteMoves("R U F L B D R U", true, false, nullptr));
    ASSERT_TRUE(Turning());
    for (int speed : {2, 1}) {
        Customize([&](TFormCustomize& dialog) {
            testsupport::Choose(dialog.ComboBoxSliceRotationSpeed, speed);
            dialog.CheckBoxSoundEnable->setChecked(speed == 1);
            dialog.CheckBoxLighting->setChecked(speed == 2);
            QTest::mouseClick(dialog.btnApply, Qt::LeftButton);
        });
        // The pointer sweeps the cube: every move picks the sticker under it.
        for (int x = 20; x < 220; x += 10) {
            QTest::mouseMove(Game->ClientArea, QPoint(x, x));
            QApplication::processEvents();
        }
    }
    Game->ActionPaint->trigger(); // paint mode reads the colour under the pointer too
    ASSERT_TRUE(Game->View->ExecuteMoves("R U", true, false, nullptr));
    for (int x = 20; x < 220; x += 10) {
        QTest::mouseMove(Game->ClientArea, QPoint(x, 200 - x));
        QApplication::processEvents();
    }
    ASSERT_TRUE(WaitFor([this] { return Drained(); }));
    EXPECT_EQ(Game->View->SettingsCopy().CubeFaceRotationSpeed, 1);
}

TEST_F(ThreadsTest, ASpinningPreviewTurnsItsTestMoves) {
    Customize([&](TFormCustomize& dialog) {
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        for (int i = 0; i < 3; ++i) {
            QTest::mouseClick(dialog.btnTest, Qt::LeftButton);
            QTest::qWait(200);
        }
        QTest::mouseClick(dialog.btnClose, Qt::LeftButton);
    });
}

TEST_F(ThreadsTest, StopEndsPlaybackAfterTheMoveInProgress) {
    TWatchdog watchdog("stopping playback", 120s);
    Game->PanelSolution->ShowSolution({"R", "U", "F", "L", "B", "D"}, true);
    Game->PanelSolution->Play();
    ASSERT_TRUE(Turning());
    QTest::mouseClick(Game->PanelSolution->btnStop, Qt::LeftButton);
    const std::size_t stoppedAt = Game->PanelSolution->Position;
    EXPECT_FALSE(Game->PanelSolution->Playing());
    ASSERT_TRUE(WaitFor([this] { return Drained(); }));
    EXPECT_EQ(Game->PanelSolution->Position, stoppedAt);
    EXPECT_LT(stoppedAt, 6u);
}

TEST_F(ThreadsTest, ClosingAGameDuringPlayback) {
    TWatchdog watchdog("closing a game during playback", 120s);
    Game->PanelSolution->ShowSolution({"R", "U", "F", "L", "B", "D"}, true);
    Game->PanelSolution->Play();
    ASSERT_TRUE(Turning());
    Game->ActionClose->trigger();
    EXPECT_TRUE(WaitFor([this] { return Game.isNull(); }, 60s));
}

} // namespace
