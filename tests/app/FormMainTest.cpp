// The main window as a user meets it: its menus, new games and their numbers and colours, the window
// commands, the web commands, the banner with its local fallback, and start and end of the services.
#include "app/FormMain.h"

#include "sound/Sound.h"
#include "support/AppWindows.h"
#include "support/ScreenPixels.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QTextBrowser>

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
    ASSERT_EQ(Main->MdiArea->subWindowList().size(), 2);
    EXPECT_EQ(Main->MdiArea->subWindowList()[0]->widget()->windowTitle(), "Rubik's Cube [Untitled-1]");
    EXPECT_EQ(bicolor->windowTitle(), "Bicolor Cube [Untitled-2]");
    EXPECT_EQ(bicolor->ProgramFolder, Main->ProgramFolder()) << "where the game finds its environments";
    // What is drawn: U and F red, whatever the defaults say.
    QTest::qWait(100);
    for (const int id : {4, 13}) { // U and F centres
        const QColor drawn =
            testsupport::DrawnAt(*bicolor->View, testsupport::StickerPoint(*bicolor->View, id));
        EXPECT_GT(drawn.red(), 2 * std::max(drawn.green(), drawn.blue()) + 20)
            << "sticker " << id << " is not red";
    }
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
    const auto choose = [&](std::size_t i) { // the game's entry of the Window list, numbered from 1
        emit Main->MenuWindow->aboutToShow();
        for (QAction* action : Main->MenuWindow->actions()) {
            if (action->text() == QString("&%1 ").arg(i + 1) + games[i]->windowTitle()) {
                action->trigger();
            }
        }
    };
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
                // The bar below the cube is where the game lays it out, as the game draws it.
                const QImage bar = testsupport::OnScreen(game->PanelSolution);
                const QImage drawn = game->grab(game->PanelSolution->geometry())
                                         .toImage()
                                         .convertToFormat(QImage::Format_RGB32);
                EXPECT_LT(testsupport::DifferingPixels(bar, drawn) * 20, bar.width() * bar.height());
                EXPECT_TRUE(testsupport::ShowsCube(testsupport::OnScreen(area)));
            }
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
    Main->WindowArrange1->trigger();
    for (std::size_t i = 0; i < games.size(); ++i) {
        EXPECT_TRUE(FrameOf(games[i])->isMinimized());
        choose(i);
        EXPECT_FALSE(FrameOf(games[i])->isMinimized());
    }
    expectUsable("minimise all, then each chosen from the Window list", false);
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
    EXPECT_TRUE(Messages.Shown.empty());
    ASSERT_TRUE(QTest::qWaitFor([&] { return Main->BannerFallbacks == 1; }, 20000));
    QTest::qWait(1500);
    EXPECT_EQ(Main->BannerFallbacks, 1);
    EXPECT_FALSE(Main->BannerUrl().isLocalFile());
    EXPECT_FALSE(Main->LocalBanner->isVisible()) << "the web engine runs here, also for root";
}

using FormMainBannerTest = testsupport::MainWindowTest;

TEST_F(FormMainBannerTest, WithoutTheWebEngineThePanelShowsTheLocalPage) {
    struct TRow {
        const char* Name;
        const char* HelperProgram; // what QTWEBENGINEPROCESS_PATH names, if anything
        bool FailsLater;           // the engine starts, then its page process dies
    };
    const TRow rows[] = {
        {"the engine's helper program is missing", "/nonexistent/QtWebEngineProcess", false},
        {"the engine fails after its start", nullptr, true},
    };
    const QString local = Folder.filePath("banner.htm");
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.Name);
        testsupport::WriteText(local, "<html><body>Start with Game &#9656; New Game</body></html>");
        const QByteArray helper = qgetenv("QTWEBENGINEPROCESS_PATH");
        if (row.HelperProgram) {
            qputenv("QTWEBENGINEPROCESS_PATH", row.HelperProgram);
        }
        TFormMain main(Folder.path());
        main.resize(800, 600);
        main.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
        helper.isNull() ? qunsetenv("QTWEBENGINEPROCESS_PATH") : qputenv("QTWEBENGINEPROCESS_PATH", helper);
        if (row.FailsLater) {
            ASSERT_NE(main.WebBrowser, nullptr);
            main.BrowserFailed();
        }
        EXPECT_EQ(main.WebBrowser, nullptr);
        EXPECT_TRUE(main.LocalBanner->isVisible());
        EXPECT_EQ(main.LocalBanner->toPlainText(), "Start with Game \u25B8 New Game");
        EXPECT_EQ(main.BannerUrl(), QUrl::fromLocalFile(local));
    }
}

} // namespace
