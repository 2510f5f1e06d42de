#pragma once
// What the window tests share: a main window on a program folder of the test's own, a game window
// of its own, driving a game's modal settings dialog, and states to compare a cube with.

#include "app/Dialogs.h"
#include "app/FormGame.h"
#include "app/FormMain.h"
#include "app/SettingsDialogs.h"
#include "app/SolutionBar.h"
#include "model/CubeCheck.h"
#include "support/PaintedCube.h"
#include "support/StickerPixels.h"
#include "view/OpenGL.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace testsupport {

inline std::string ReadText(const QString& Path) {
    QFile file(Path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
}

inline void WriteText(const QString& Path, const std::string& Text) {
    QFile file(Path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << Path.toStdString();
    file.write(Text.data(), static_cast<qint64>(Text.size()));
}

// Opens the game's "Settings..." and lets Use drive the modal dialog; the dialog is cancelled after
// it unless Use ended it.
inline void Customize(TFormGame* Game, const std::function<void(TFormCustomize&)>& Use) {
    bool used = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<TFormCustomize*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        used = true;
        Use(*dialog);
        if (dialog->isVisible()) {
            dialog->reject();
        }
    });
    Game->ActionSettings->trigger();
    EXPECT_TRUE(used);
}

// Chooses an entry as a user's click does (the dialogs act on "activated").
inline void Choose(QComboBox* List, int Index) {
    List->setCurrentIndex(Index);
    emit List->activated(Index);
}

// Serves the UI thread until the game's cube has performed every move and command, no Solve waits for
// its engine and the solution bar plays no more.
inline bool Drain(TFormGame* Game) {
    return QTest::qWaitFor(
        [Game] { return !Game->PanelSolution->Playing() && !Game->Solving() && Game->View->MovesFinished(); },
        120000);
}

// A main window on a program folder of the test's own, shown.
class MainWindowTest : public ::testing::Test {
protected:
    void Open(const QString& UserSettings = {}) {
        ASSERT_TRUE(Folder.isValid());
        Main = std::make_unique<TFormMain>(Folder.path(), UserSettings);
        ASSERT_FALSE(Main->Terminating());
        Main->resize(1000, 760);
        Main->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Main.get()));
    }
    void TearDown() override { Main.reset(); }

    TMessageRecorder Messages;
    QTemporaryDir Folder;
    std::unique_ptr<TFormMain> Main;
};

// A 3x3x3 game window of its own, shown and active.
class GameWindowTest : public ::testing::Test {
protected:
    void Open(const tCubeSettings& Settings, QSize Size = {}) {
        ASSERT_TRUE(LoadGLLibraries());
        Form = new TFormGame(nullptr, Settings, "Untitled-1", "Rubik's Cube", false, 1);
        if (Size.isValid()) {
            Form->resize(Size);
        }
        Form->show();
        Form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Form));
    }
    void TearDown() override { delete Form.data(); }

    bool Drain() { return testsupport::Drain(Form); }
    // A click, then the commands it gave done.
    void Click(QWidget* Widget, QPoint At = {}, Qt::MouseButton Button = Qt::LeftButton) {
        QTest::mouseClick(Widget, Button, {}, At);
        ASSERT_TRUE(Drain());
    }
    // Plays the moves as recorded ones, or presses a key, and waits until they are performed.
    void Play(const char* Moves) {
        Form->PlayMoves(Moves, false, true);
        ASSERT_TRUE(Drain());
    }
    void Key(int Key, Qt::KeyboardModifiers Modifiers = Qt::NoModifier) {
        QTest::keyClick(Form, static_cast<Qt::Key>(Key), Modifiers);
        ASSERT_TRUE(Drain());
    }
    CubeState0 State() const { return Form->View->CubeState(); }
    // A copy of the game's cube as it is now.
    TRubikCube Cube() const {
        TRubikCube cube(Form->View->CubeSizeIndex());
        cube.SetState(State());
        return cube;
    }
    bool Uniform() const { return FacesAreUniform(Cube()); }
    // The window pixel of a sticker's centre, which must face the camera.
    QPoint Centre(int Id) const {
        const auto p =
            VisibleStickerPixel(*Form->View, Id, Form->ClientArea->width(), Form->ClientArea->height());
        EXPECT_TRUE(p.has_value()) << "sticker " << Id;
        return p.value_or(QPoint());
    }

    QPointer<TFormGame> Form;
    TMessageRecorder Messages;
};

} // namespace testsupport
