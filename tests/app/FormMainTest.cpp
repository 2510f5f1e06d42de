// The main window as a user meets it: its menus, new games and their numbers and colours, the window
// commands, the web commands, the banner with its local fallback, and start and end of the services.
#include "app/FormMain.h"

#include "sound/Sound.h"
#include "support/AppWindows.h"
#include "support/ScreenPixels.h"

#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
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
    EXPECT_EQ(bicolor->Settings.FaceColors, CubeKinds[3].Colors);
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
    Main.reset(); // mid-turn: the game waits for its turn, then everything ends (and starts again in the next
                  // test)
    EXPECT_FALSE(RotationSound().Inspect().Audible) << "the sound device is closed";
}

// The window commands work only while a game is open. After every one, each game that is not
// minimised keeps at least its minimum size, lies inside the workspace and shows its cube on the
// screen; games are placed inside the workspace.
TEST_F(FormMainTest, WindowCommandsLeaveEveryGameUsable) {
    const auto enabled = [&] {
        QString text;
        for (QAction* action : {Main->WindowClose1, Main->WindowCascade1, Main->WindowTileHorizontal1,
                                Main->WindowTileVertical1, Main->WindowMinimizeAll1, Main->WindowArrange1}) {
            text += action->isEnabled() ? "1" : "0";
        }
        return text;
    };
    EXPECT_EQ(enabled(), "000000");
    std::vector<TFormGame*> games;
    for (int kind = 0; kind < 3; ++kind) {
        games.push_back(Main->NewGame(kind));
    }
    EXPECT_EQ(enabled(), "111111");
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
            const QRect frame = FrameOf(game)->geometry();
            EXPECT_TRUE(workspace.contains(frame.topLeft())) << frame.x() << "," << frame.y();
            EXPECT_TRUE(!FrameOf(game)->isMaximized() || frame == workspace) << "maximised fills it";
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
    FrameOf(games[0])->showMaximized();
    games.push_back(Main->NewGame(3));
    EXPECT_TRUE(FrameOf(games.back())->isMaximized()) << "a new game opens maximised too";
    expectUsable("maximise, then a new game", false);
    FrameOf(games.back())->showNormal();
    expectUsable("restore", false);
    FrameOf(games[1])->showMinimized();
    QTest::qWait(200);
    FrameOf(games[1])->showNormal();
    expectUsable("minimise one, restore it", false);
    for (qsizetype open = games.size(); open > 0; --open) {
        EXPECT_EQ(enabled(), "111111");
        Main->WindowClose1->trigger();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(Main->MdiArea->subWindowList().size(), open - 1);
    }
    EXPECT_EQ(enabled(), "000000");
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

TEST_F(FormMainTest, HiddenSaveAndLoadOnlyGoBackToTheProgramFolder) {
    const QString before = QDir::currentPath();
    const QString file = Folder.filePath("game.hvc");
    for (QAction* action : {Main->ActionSaveGame, Main->ActionLoadGame}) {
        SCOPED_TRACE(action->objectName().toStdString());
        QDir::setCurrent(QDir::tempPath());
        QFile::remove(file);
        if (action == Main->ActionLoadGame) {
            testsupport::WriteText(file, "");
        }
        QString filter;
        QTimer::singleShot(300, [&] {
            if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
                filter = dialog->nameFilters().join(";");
                dialog->selectFile(file);
                static_cast<QDialog*>(dialog)->done(QDialog::Accepted); // as if the user had chosen the file
            }
        });
        action->setEnabled(true);
        action->trigger();
        EXPECT_EQ(filter, "Halvorn Cube (*.hvc)");
        EXPECT_EQ(QDir::currentPath(), Folder.path());
        EXPECT_EQ(QFile(file).size(), 0) << "nothing is written or read";
    }
    QDir::setCurrent(before); // the folder goes with the test
}

using FormMainBannerTest = testsupport::MainWindowTest;

TEST_F(FormMainBannerTest, WithoutTheWebEngineThePanelShowsTheLocalPage) {
    // As when the engine's Qt Quick module is not installed.
    testsupport::WriteText(Folder.filePath("Banner.qml"),
                           "import QtQuick\nimport NoSuchWebEngine\nWebEngineView {}\n");
    struct TRow {
        const char* Name;
        const char* HelperProgram; // what QTWEBENGINEPROCESS_PATH names, if anything
        QUrl Source;
        bool FailsLater; // the engine starts, then its page process dies
    };
    const QUrl ours("qrc:/banner/Banner.qml");
    const TRow rows[] = {
        {"the engine's helper program is missing", "/nonexistent/QtWebEngineProcess", ours, false},
        {"the browser cannot be loaded", nullptr, QUrl::fromLocalFile(Folder.filePath("Banner.qml")), false},
        {"the engine fails after its start", nullptr, ours, true},
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
        main.BrowserSource = row.Source;
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
        const QWidget* browser = main.PanelAdvertisement->findChild<QWidget*>("WebBrowser");
        EXPECT_TRUE(browser == nullptr || !browser->isVisible());

        ASSERT_TRUE(QFile::remove(local));
        main.TimerAdvertisementTimer(); // the five-minute reload finds no page: blank
        EXPECT_TRUE(main.LocalBanner->toPlainText().isEmpty());
        EXPECT_TRUE(main.BannerUrl().isEmpty());
    }
}

} // namespace
