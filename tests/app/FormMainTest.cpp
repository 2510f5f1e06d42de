// The main window as a user meets it: its menus, new games and their numbers and colours, the window
// commands, the web commands, the banner with its local fallback, and start and end of the services.
#include "app/FormMain.h"

#include "sound/Sound.h"
#include "support/AppWindows.h"
#include "support/ScreenPixels.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTextBrowser>
#include <algorithm>

namespace {

class FormMainTest : public testsupport::MainWindowTest {
protected:
    void SetUp() override { Open(); }
};

QMdiSubWindow* FrameOf(TFormGame* game) {
    return qobject_cast<QMdiSubWindow*>(game->parentWidget());
}

TEST_F(FormMainTest, NewGamesAreNumberedAcrossKindsAndGetTheKindsColours) {
    Main->ActionNewGame[0]->trigger();
    TFormGame* bicolor = Main->NewGame(3);
    EXPECT_EQ(Main->MdiArea->subWindowList()[0]->widget()->windowTitle(), "Rubik's Cube [Untitled-1]");
    EXPECT_EQ(bicolor->windowTitle(), "Bicolor Cube [Untitled-2]");
    // What is drawn: F red (as U is), whatever the defaults say.
    QTest::qWait(100);
    const QColor drawn = testsupport::DrawnAt(*bicolor->View, testsupport::StickerPoint(*bicolor->View, 13));
    EXPECT_GT(drawn.red(), 2 * std::max(drawn.green(), drawn.blue()) + 20) << "F's centre is not red";
    FrameOf(bicolor)->close();
    EXPECT_EQ(Main->NewGame(1)->windowTitle(), "Arxon Cube [Untitled-3]") << "numbers are never reused";
    Main->NewGame(0)->PlayMoves("U R", true, true);
    QTest::qWait(50);
    Main.reset(); // mid-turn: the game waits for its turn, then everything ends
    EXPECT_FALSE(RotationSound().Inspect().Audible) << "the sound device is closed";
}

// The window commands work only while a game is open. After every one, each game that is not
// minimised keeps at least its minimum size, lies inside the workspace and shows its cube on the
// screen.
TEST_F(FormMainTest, WindowCommandsLeaveEveryGameUsable) {
    EXPECT_FALSE(Main->WindowTileVertical1->isEnabled());
    std::vector<TFormGame*> games;
    for (int kind = 0; kind < 3; ++kind) {
        games.push_back(Main->NewGame(kind));
    }
    EXPECT_TRUE(Main->WindowTileVertical1->isEnabled());
    const auto expectUsable = [&](const char* after, bool tiled) {
        SCOPED_TRACE(after);
        QTest::qWait(400); // the surfaces follow, their exposures are drawn
        const QRect workspace = Main->MdiArea->viewport()->rect();
        for (TFormGame* game : games) {
            SCOPED_TRACE(game->windowTitle().toStdString());
            if (FrameOf(game)->isMinimized()) {
                continue;
            }
            const QWidget* area = game->ClientArea;
            EXPECT_GE(area->width(), area->minimumWidth());
            EXPECT_GE(area->height(), area->minimumHeight());
            EXPECT_TRUE(workspace.contains(FrameOf(game)->geometry().topLeft()));
            // What lies beneath another game shows that one: only the top game, or all when tiled.
            if (Main->MdiArea->activeSubWindow() == FrameOf(game) || tiled) {
                EXPECT_TRUE(testsupport::ShowsCube(testsupport::OnScreen(area)));
            }
        }
        if (tiled) {
            // No part of the workspace is left bare, the last row or column included.
            const QPoint farCorner = workspace.bottomRight() - QPoint(4, 4);
            EXPECT_TRUE(std::ranges::any_of(
                games, [&](TFormGame* game) { return FrameOf(game)->geometry().contains(farCorner); }));
        }
    };
    expectUsable("new games", false);
    Main->WindowTileHorizontal1->trigger();
    expectUsable("tile horizontally", true);
    Main->WindowTileVertical1->trigger();
    expectUsable("tile vertically", true);
    Main->WindowCascade1->trigger();
    expectUsable("cascade", false);
    // Each title bar one step below and right of the one under it, all games one size.
    const QList<QMdiSubWindow*> frames = Main->MdiArea->subWindowList(QMdiArea::StackingOrder);
    for (qsizetype i = 1; i < frames.size(); ++i) {
        const QPoint step = frames[i]->pos() - frames[i - 1]->pos();
        EXPECT_TRUE(step.x() > 0 && step.y() > 0 && frames[i]->size() == frames[0]->size()) << i;
    }
    Main->WindowMinimizeAll1->trigger();
    for (TFormGame* game : games) {
        EXPECT_TRUE(FrameOf(game)->isMinimized());
        FrameOf(game)->showNormal();
    }
    expectUsable("minimise all, then restore each", false);
    for (qsizetype open = games.size(); open > 0; --open) {
        Main->WindowClose1->trigger();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(Main->MdiArea->subWindowList().size(), open - 1);
    }
    EXPECT_FALSE(Main->WindowTileVertical1->isEnabled());
}

// Without a network the web page fails at once; the panel then shows the local page, once. With no
// banner.htm in the folder the panel stays blank and does not try again.
TEST_F(FormMainTest, WebCommandsGoToTheDesktopAndTheBannerFallsBackOnce) {
    Main->ActionOnlineHelp->trigger();
    Main->ActionSendBugReport->trigger();
    Main->ActionShowCheckUpdates->trigger();
    EXPECT_EQ(Messages.Opened,
              (std::vector<std::string>{std::string(WebSite) + "/torvane/help.htm",
                                        std::string("mailto:") + SupportMail, std::string(WebSite) + "/"}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return Main->BannerFallbacks == 1; }, 20000));
    QTest::qWait(1500);
    EXPECT_EQ(Main->BannerFallbacks, 1);
    EXPECT_FALSE(Main->BannerUrl().isLocalFile());
    EXPECT_FALSE(Main->LocalBanner->isVisible()) << "the web engine runs here, also for root";
}

using FormMainBannerTest = testsupport::MainWindowTest;

// Where the web engine's helper program is missing the engine would end the whole program; the panel
// shows the local page instead, as it does when the engine fails after its start.
TEST_F(FormMainBannerTest, WithoutTheWebEngineThePanelShowsTheLocalPage) {
    const QString local = Folder.filePath("banner.htm");
    for (const bool failsLater : {false, true}) {
        SCOPED_TRACE(failsLater);
        testsupport::WriteText(local, "<html><body>Start with Game &#9656; New Game</body></html>");
        const QByteArray helper = qgetenv("QTWEBENGINEPROCESS_PATH");
        if (!failsLater) {
            qputenv("QTWEBENGINEPROCESS_PATH", "/nonexistent/QtWebEngineProcess");
        }
        TFormMain main(Folder.path());
        main.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
        helper.isNull() ? qunsetenv("QTWEBENGINEPROCESS_PATH") : qputenv("QTWEBENGINEPROCESS_PATH", helper);
        if (failsLater) {
            ASSERT_NE(main.WebBrowser, nullptr);
            main.BrowserFailed();
        }
        EXPECT_EQ(main.WebBrowser, nullptr);
        EXPECT_TRUE(main.LocalBanner->isVisible());
        EXPECT_EQ(main.LocalBanner->toPlainText(), "Start with Game \u25B8 New Game");
    }
}

} // namespace
