// The main window as a user meets it: its menus, new games and their numbers and colours, the window
// commands, the web commands, the banner with its local fallback, and start and end of the services.
#include "app/FormMain.h"

#include "app/Dialogs.h"
#include "app/FormEngines.h"
#include "app/FormGame.h"
#include "app/SettingsDialogs.h"
#include "app/SolutionBar.h"
#include "sound/Sound.h"
#include "support/ScreenPixels.h"
#include "support/StickerPixels.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QImage>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace {

bool WaitFor(const std::function<bool()>& condition) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < end && !condition()) {
        QTest::qWait(50);
    }
    return condition();
}

class FormMainTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Folder.isValid());
        Main = std::make_unique<TFormMain>(Folder.path());
        ASSERT_FALSE(Main->Terminating());
        Main->resize(1000, 760);
        Main->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Main.get()));
    }

    void CloseGame(TFormGame* game) {
        qobject_cast<QMdiSubWindow*>(game->parentWidget())->close();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QApplication::processEvents();
    }

    TMessageRecorder Messages;
    QTemporaryDir Folder;
    std::unique_ptr<TFormMain> Main;
};

TEST_F(FormMainTest, NewGamesAreNumberedAcrossKindsAndGetTheKindsColours) {
    Main->ActionNewGame[0]->trigger();
    TFormGame* bicolor = Main->NewGame(3);
    ASSERT_EQ(Main->MdiArea->subWindowList().size(), 2);
    TFormGame* rubik = qobject_cast<TFormGame*>(Main->MdiArea->subWindowList()[0]->widget());
    ASSERT_NE(rubik, nullptr);
    EXPECT_EQ(rubik->windowTitle(), "Rubik's Cube [Untitled-1]");
    EXPECT_EQ(bicolor->windowTitle(), "Bicolor Cube [Untitled-2]");
    EXPECT_EQ(bicolor->Settings.FaceColors, CubeKinds[3].Colors);
    EXPECT_EQ(bicolor->View->Settings.FaceColors, CubeKinds[3].Colors);
    EXPECT_EQ(bicolor->ProgramFolder, Main->ProgramFolder()) << "where the game finds its environments";

    // What is drawn: U and F red, L white, whatever the defaults say.
    QTest::qWait(100);
    int w = 0, h = 0;
    const std::vector<std::uint8_t> frame = bicolor->View->CaptureFrame(w, h);
    ASSERT_GT(w, 0);
    const auto pixel = [&](int id) {
        const QPoint p = testsupport::VisibleStickerPixel(*bicolor->View, id, w, h).value_or(QPoint(-1, -1));
        if (p.x() < 0 || p.y() < 0 || p.x() >= w || p.y() >= h) {
            ADD_FAILURE() << "sticker " << id << " is not in the frame: " << p.x() << "," << p.y() << " of "
                          << w << "x" << h << " distance " << bicolor->View->CubeDistance;
            return std::array<int, 3>{0, 0, 0};
        }
        const std::size_t i = (static_cast<std::size_t>(h - 1 - p.y()) * w + p.x()) * 4;
        return std::array<int, 3>{frame[i], frame[i + 1], frame[i + 2]};
    };
    for (const int id : {4, 13}) { // U and F centres
        const auto p = pixel(id);
        EXPECT_GT(p[0], 2 * p[1] + 20) << "sticker " << id << " is not red";
        EXPECT_GT(p[0], 2 * p[2] + 20) << "sticker " << id << " is not red";
    }

    CloseGame(bicolor);
    EXPECT_EQ(Main->NewGame(1)->windowTitle(), "Arxon Cube [Untitled-3]") << "numbers are never reused";
}

TEST_F(FormMainTest, WindowCommandsOnlyWhileAGameIsOpen) {
    const auto states = [&] {
        QString text;
        for (QAction* action : {Main->WindowClose1, Main->WindowCascade1, Main->WindowTileHorizontal1,
                                Main->WindowTileVertical1, Main->WindowMinimizeAll1, Main->WindowArrange1}) {
            text += action->isEnabled() ? "1" : "0";
        }
        return text;
    };
    EXPECT_EQ(states(), "000000");
    Main->NewGame(0);
    EXPECT_EQ(states(), "111111");
    Main->NewGame(3);
    emit Main->MenuWindow->aboutToShow();
    QStringList games;
    for (QAction* action : Main->MenuWindow->actions().mid(7)) {
        games << action->text();
    }
    EXPECT_EQ(games.join("|"), "&1 Rubik's Cube [Untitled-1]|&2 Bicolor Cube [Untitled-2]");
    Main->WindowClose1->trigger();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
    EXPECT_EQ(Main->MdiArea->subWindowList().size(), 1);
    EXPECT_EQ(states(), "111111");
    CloseGame(qobject_cast<TFormGame*>(Main->MdiArea->subWindowList()[0]->widget()));
    EXPECT_EQ(states(), "000000");
}

// After every window command each game that is not minimised keeps at least its minimum size, lies
// inside the workspace and shows its cube on the screen; games are placed inside the workspace.
TEST_F(FormMainTest, WindowCommandsLeaveEveryGameUsable) {
    std::vector<TFormGame*> games;
    for (int kind = 0; kind < 3; ++kind) {
        games.push_back(Main->NewGame(kind));
    }
    const auto frameOf = [](TFormGame* game) { return qobject_cast<QMdiSubWindow*>(game->parentWidget()); };
    const auto choose = [&](TFormGame* game) { // the game's entry of the Window list
        emit Main->MenuWindow->aboutToShow();
        for (QAction* action : Main->MenuWindow->actions()) {
            if (action->text().endsWith(game->windowTitle())) {
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
            if (frameOf(game)->isMinimized()) {
                continue;
            }
            const QWidget* area = game->ClientArea;
            EXPECT_GE(area->width(), area->minimumWidth());
            EXPECT_GE(area->height(), area->minimumHeight());
            const QRect frame = frameOf(game)->geometry();
            EXPECT_TRUE(workspace.contains(frame.topLeft())) << frame.x() << "," << frame.y();
            EXPECT_TRUE(!frameOf(game)->isMaximized() || frame == workspace) << "maximised fills it";
            // What lies beneath another game shows that one: only the top game, or all when tiled.
            if (Main->MdiArea->activeSubWindow() == frameOf(game) || tiled) {
                // The bar below the cube is where the game lays it out, as the game draws it.
                const QImage bar = testsupport::OnScreen(game->PanelSolution);
                const QImage drawn = game->grab(game->PanelSolution->geometry())
                                         .toImage()
                                         .convertToFormat(QImage::Format_RGB32);
                EXPECT_LT(testsupport::DifferingPixels(bar, drawn) * 20, bar.width() * bar.height());
                const QImage shown = testsupport::OnScreen(area);
                EXPECT_TRUE(testsupport::ShowsCube(shown)) << "saved as " << after << ".png";
                if (!testsupport::ShowsCube(shown)) {
                    shown.save(QString(after) + ".png");
                }
            }
        }
    };
    struct TRow {
        const char* Name;
        std::function<void()> Command;
    };
    const TRow rows[] = {
        {"new games", [] {}},
        {"tile horizontally", [&] { Main->WindowTileHorizontal1->trigger(); }},
        {"tile vertically", [&] { Main->WindowTileVertical1->trigger(); }},
        {"cascade",
         [&] {
             Main->WindowCascade1->trigger();
             // Each title bar one step below and right of the one under it, all games one size.
             const QList<QMdiSubWindow*> frames = Main->MdiArea->subWindowList(QMdiArea::StackingOrder);
             for (qsizetype i = 1; i < frames.size(); ++i) {
                 const QPoint step = frames[i]->pos() - frames[i - 1]->pos();
                 EXPECT_TRUE(step.x() > 0 && step.y() > 0 && frames[i]->size() == frames[0]->size()) << i;
             }
         }},
        {"minimise all, then each chosen from the Window list",
         [&] {
             Main->WindowMinimizeAll1->trigger();
             for (TFormGame* game : games) {
                 EXPECT_TRUE(frameOf(game)->isMinimized());
             }
             Main->WindowArrange1->trigger();
             for (TFormGame* game : games) {
                 choose(game);
                 EXPECT_FALSE(frameOf(game)->isMinimized());
             }
         }},
        {"maximise, then a new game",
         [&] {
             frameOf(games[0])->showMaximized();
             games.push_back(Main->NewGame(3));
             EXPECT_TRUE(frameOf(games.back())->isMaximized()) << "a new game opens maximised too";
         }},
        {"restore", [&] { frameOf(games.back())->showNormal(); }},
        {"minimise one, restore it",
         [&] {
             frameOf(games[1])->showMinimized();
             QTest::qWait(200);
             frameOf(games[1])->showNormal();
         }},
    };
    for (const TRow& row : rows) {
        row.Command();
        expectUsable(row.Name, QString(row.Name).startsWith("tile"));
    }
}

TEST_F(FormMainTest, WebCommandsGoToTheDesktop) {
    Main->ActionOnlineHelp->trigger();
    Main->ActionSendBugReport->trigger();
    Main->ActionShowCheckUpdates->trigger();
    EXPECT_EQ(Messages.Opened,
              (std::vector<std::string>{std::string(WebSite) + "/torvane/help.htm",
                                        std::string("mailto:") + SupportMail, std::string(WebSite) + "/"}));
    EXPECT_TRUE(Messages.Shown.empty());
}

TEST_F(FormMainTest, HiddenSaveAndLoadOnlyGoBackToTheProgramFolder) {
    const QString before = QDir::currentPath();
    const QString elsewhere = QDir::tempPath();
    for (QAction* action : {Main->ActionSaveGame, Main->ActionLoadGame}) {
        SCOPED_TRACE(action->objectName().toStdString());
        QDir::setCurrent(elsewhere);
        QFile::remove(Folder.filePath("game.hvc"));
        if (action == Main->ActionLoadGame) {
            QFile existing(Folder.filePath("game.hvc"));
            ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
        }
        QString filter;
        QTimer::singleShot(300, [&] {
            if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
                filter = dialog->nameFilters().join(";");
                dialog->selectFile(Folder.filePath("game.hvc"));
                static_cast<QDialog*>(dialog)->done(QDialog::Accepted); // as if the user had chosen the file
            }
        });
        action->setEnabled(true);
        action->trigger();
        EXPECT_EQ(filter, "Halvorn Cube (*.hvc)");
        EXPECT_EQ(QDir::currentPath(), Folder.path());
        EXPECT_EQ(QFile(Folder.filePath("game.hvc")).size(), 0) << "nothing is written or read";
    }
    QDir::setCurrent(before); // the folder goes with the test
}

// Without a network the web page fails at once; the panel then shows the local page, once.
TEST_F(FormMainTest, TheBannerFallsBackToTheLocalPageOnce) {
    // No banner.htm in the folder yet: the panel stays blank and does not try again.
    ASSERT_TRUE(WaitFor([&] { return Main->BannerFallbacks == 1; }));
    QTest::qWait(1500);
    EXPECT_EQ(Main->BannerFallbacks, 1);
    EXPECT_FALSE(Main->BannerUrl().isLocalFile());
    EXPECT_FALSE(Main->LocalBanner->isVisible()) << "the web engine runs here, also for root";
}

// The banner is an extra: where the web engine cannot run, the panel shows the local page without it
// (or nothing, without the page), and games open as ever.
TEST(FormMainBannerTest, WithoutTheWebEngineThePanelShowsTheLocalPage) {
    TMessageRecorder messages;
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QFile quick(folder.filePath("Banner.qml")); // as when the engine's Qt Quick module is not installed
    ASSERT_TRUE(quick.open(QIODevice::WriteOnly));
    quick.write("import QtQuick\nimport NoSuchWebEngine\nWebEngineView {}\n");
    quick.close();
    struct TRow {
        const char* Name;
        const char* HelperProgram; // what QTWEBENGINEPROCESS_PATH names, if anything
        QUrl Source;
        bool FailsLater; // the engine starts, then its page process dies
    };
    const QUrl ours("qrc:/banner/Banner.qml");
    const TRow rows[] = {
        {"the engine's helper program is missing", "/nonexistent/QtWebEngineProcess", ours, false},
        {"the browser cannot be loaded", nullptr, QUrl::fromLocalFile(quick.fileName()), false},
        {"the engine fails after its start", nullptr, ours, true},
    };
    const QString local = folder.filePath("banner.htm");
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.Name);
        QFile page(local);
        ASSERT_TRUE(page.open(QIODevice::WriteOnly));
        page.write("<html><body>Start with Game &#9656; New Game</body></html>");
        page.close();
        const QByteArray helper = qgetenv("QTWEBENGINEPROCESS_PATH");
        if (row.HelperProgram) {
            qputenv("QTWEBENGINEPROCESS_PATH", row.HelperProgram);
        }
        TFormMain main(folder.path());
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

        main.ActionNewGame[0]->trigger();
        ASSERT_EQ(main.MdiArea->subWindowList().size(), 1);
        EXPECT_TRUE(main.MdiArea->subWindowList()[0]->isVisible());
    }
}

TEST(FormMainLifeTest, StartsAndEndsTwiceInOneProcess) {
    TMessageRecorder messages;
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run);
        auto main = std::make_unique<TFormMain>();
        ASSERT_FALSE(main->Terminating());
        main->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(main.get()));
        TFormGame* game = main->NewGame(0);
        game->PlayMoves("U R", true, true);
        QTest::qWait(50);
        main.reset(); // mid-turn: the game waits for its turn, then everything ends
        EXPECT_FALSE(RotationSound().Inspect().Audible) << "the sound device is closed";
    }
}

} // namespace
