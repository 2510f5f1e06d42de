// The main window as a user meets it: its menus, new games and their numbers and colours, the window
// commands, the web commands, the banner with its local page and its web view, and start and end of the
// services.
#include "app/FormMain.h"

#include "app/FormAbout.h"
#include "app/FramePallete.h"
#include "app/Version.h"
#include "engines/Engines.h"
#include "sound/Sound.h"
#include "support/AppWindows.h"
#include "support/ScreenPixels.h"
#include "support/ViewFixture.h"

#include <QDir>
#include <QHostInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTextBrowser>
#include <algorithm>
#include <cstdlib>
#include <set>
#include <unistd.h>

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
    const QCursor pipette = bicolor->FramePallete->Panels[0]->cursor();
    EXPECT_TRUE(pipette.shape() == Qt::BitmapCursor && pipette.hotSpot() == QPoint(5, 23)) << "the palette's";
    const std::array<TColor, 7> colours = bicolor->View->GetSettings().FaceColors;
    EXPECT_EQ(colours[0], colours[1]) << "U red, as F is, where the defaults have blue";
    FrameOf(bicolor)->close();
    EXPECT_EQ(Main->NewGame(1)->windowTitle(), "Arxon Cube [Untitled-3]") << "numbers are never reused";
    TFormGame* turning = Main->NewGame(0);
    // Slow turns, ten of them: the test must see one in progress, however late it looks.
    testsupport::Apply(*turning->View, [](tCubeSettings& s) { s.CubeFaceRotationSpeed = 0; });
    turning->PlayMoves("U R F L B D U R F L", true, true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return turning->View->IsMoveInProgress(); }, 10000));
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
    // The games that are not usable as they stand, and "the far corner" when tiling left it bare.
    const auto problems = [&](bool tiled) {
        std::string found;
        const QRect workspace = Main->MdiArea->viewport()->rect();
        for (TFormGame* game : games) {
            const QWidget* area = game->ClientArea;
            // What lies beneath another game shows that one: only the top game, or all when tiled.
            const bool inSight = Main->MdiArea->activeSubWindow() == FrameOf(game) || tiled;
            if (!FrameOf(game)->isMinimized() &&
                (area->width() < area->minimumWidth() || area->height() < area->minimumHeight() ||
                 !workspace.contains(FrameOf(game)->geometry().topLeft()) ||
                 (inSight && !testsupport::ShowsCube(testsupport::OnScreen(area))))) {
                found += game->windowTitle().toStdString() + "; ";
            }
        }
        const QPoint corner = workspace.bottomRight() - QPoint(4, 4);
        if (tiled && std::ranges::none_of(
                         games, [&](TFormGame* g) { return FrameOf(g)->geometry().contains(corner); })) {
            found += "the far corner";
        }
        return found;
    };
    // The surfaces follow the frames, and their exposures are drawn, a little later.
    const auto expectUsable = [&](const char* after, bool tiled) {
        static_cast<void>(QTest::qWaitFor([&] { return problems(tiled).empty(); }, 10000));
        EXPECT_EQ(problems(tiled), "") << after;
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

// The Help menu: the About box over the middle of the main window, with its texts from the top down, a
// spinning cube and links; the links and the web commands go to the desktop.
TEST_F(FormMainTest, TheHelpMenu) {
    bool shown = false;
    QTimer::singleShot(0, [&] {
        auto* about = qobject_cast<TFormAbout*>(QApplication::activeModalWidget());
        ASSERT_NE(about, nullptr);
        shown = true;
        EXPECT_EQ(about->windowTitle(), "About");
        EXPECT_LE((about->geometry().center() - Main->geometry().center()).manhattanLength(), 4);
        QStringList texts;
        for (const QLabel* label :
             {about->LabelTitle, about->LabelVersion, about->StaticText7, about->StaticText9,
              about->StaticTextURL, about->StaticText3, about->StaticTextSupportMail}) {
            texts << label->text() + (label->font().bold() ? "*@" : "@") + QString::number(label->y());
        }
        EXPECT_EQ(texts.join("|"), // * bold
                  QString("3D Torvane*@5|Version %1*@54|Graphics powered by OpenGL@90|"
                          "Sounds powered by OpenAL@110|%2@150|Technical Support :@180|%3@198")
                      .arg(TorvaneVersion, WebSite, SupportMail));
        EXPECT_TRUE(about->Preview->IsAutoRotating());
        QTest::mouseClick(about->StaticTextURL, Qt::LeftButton);
        QTest::mouseClick(about->StaticTextSupportMail, Qt::LeftButton);
        about->accept();
    });
    Main->ActionShowAboutBox->trigger();
    EXPECT_TRUE(shown);
    Main->ActionOnlineHelp->trigger();
    Main->ActionSendBugReport->trigger();
    Main->ActionShowCheckUpdates->trigger();
    const std::string mail = std::string("mailto:") + SupportMail;
    EXPECT_EQ(Messages.Opened,
              (std::vector<std::string>{WebSite, mail, std::string(WebSite) + "/torvane/help.htm", mail,
                                        std::string(WebSite) + "/"}));
}

// A stand-in for the banner's site on this machine: it refuses, or takes connections and never
// answers, or answers every request with a status and a small page.
class TSite {
public:
    enum TKind { Refuses, Silent, Answers };
    explicit TSite(TKind Kind, int Status = 200) {
        EXPECT_TRUE(Server.listen(QHostAddress::LocalHost));
        Port = Server.serverPort();
        if (Kind == Refuses) {
            Server.close(); // nothing listens on the port now
            return;
        }
        QObject::connect(&Server, &QTcpServer::newConnection, [this, Kind, Status] {
            while (QTcpSocket* socket = Server.nextPendingConnection()) {
                ++Requests;
                if (Kind == Answers) {
                    QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket, Status] {
                        socket->readAll();
                        const QByteArray page = "<html><body>Our banner</body></html>";
                        socket->write("HTTP/1.1 " + QByteArray::number(Status) +
                                      " Status\r\nContent-Type: text/html\r\nConnection: close\r\n"
                                      "Content-Length: " +
                                      QByteArray::number(page.size()) + "\r\n\r\n" + page);
                        socket->disconnectFromHost();
                    });
                }
            }
        });
    }
    QString Url(const QString& Host = "127.0.0.1") const {
        return QString("http://%1:%2").arg(Host).arg(Port);
    }

    QTcpServer Server;
    quint16 Port = 0;
    int Requests = 0;
};

// The web engine's processes started by this process (its zygote, which the others come from).
std::set<int> EngineProcesses() {
    std::set<int> found;
    for (const QString& entry : QDir("/proc").entryList(QDir::Dirs)) {
        const std::string stat = testsupport::ReadText("/proc/" + entry + "/stat");
        const auto close = stat.rfind(')');
        if (stat.find("(QtWebEngineProc") != std::string::npos && close != std::string::npos &&
            std::atoi(stat.c_str() + close + 4) == static_cast<int>(QCoreApplication::applicationPid())) {
            found.insert(entry.toInt());
        }
    }
    return found;
}

class FormMainBannerTest : public testsupport::MainWindowTest {
protected:
    void SetUp() override {
        testsupport::WriteText(Folder.filePath("banner.htm"),
                               "<html><body>Start with Game &#9656; New Game</body></html>");
        EnginesBefore = EngineProcesses();
    }
    // A main window on the test's folder with the banner from Site; not shown yet.
    std::unique_ptr<TFormMain> MainFor(const QString& Site, bool AsRoot) {
        auto main = std::make_unique<TFormMain>(Folder.path());
        main->BannerSite = Site;
        main->BannerTools = PROGRAM_DIR;
        main->BannerTimeOut = 1500;
        main->RunsAsRoot = AsRoot;
        main->resize(1000, 760);
        return main;
    }
    void ExpectLocalPage(TFormMain& Window) {
        EXPECT_EQ(Window.WebBrowser, nullptr);
        EXPECT_TRUE(Window.LocalBanner->isVisible());
        EXPECT_EQ(Window.LocalBanner->toPlainText(), "Start with Game \u25B8 New Game");
        EXPECT_EQ(EngineProcesses(), EnginesBefore) << "a web engine process was started";
    }
    std::set<int> EnginesBefore;
};

// A site that gives no page leaves the local page in the panel, shown at once, and starts no web
// engine; the proxy row asks for the site by this machine's name, which the network layer would
// otherwise reach directly, past a proxy that refused. Root gets the local page, and the site is not
// even asked; where the web engine's helper program is missing (the engine would end the whole
// program), the local page stays too.
TEST_F(FormMainBannerTest, WithoutAPageThePanelKeepsTheLocalPage) {
    const TSite proxy(TSite::Refuses);
    const QString host = QHostInfo::localHostName();
    // The site's kind and status, an environment variable set to a value while the main window lives,
    // whether the program runs as root, and the requests the site gets.
    using TRow = std::tuple<const char*, TSite::TKind, int, const char*, QByteArray, bool, int>;
    for (const auto& [name, kind, status, variable, value, asRoot, requests] :
         {TRow{"refuses", TSite::Refuses, 200, nullptr, {}, false, 0},
          TRow{"never answers", TSite::Silent, 200, nullptr, {}, false, 1},
          TRow{"error status", TSite::Answers, 404, nullptr, {}, false, 1},
          TRow{"proxy refuses", TSite::Answers, 200, "http_proxy", proxy.Url().toUtf8(), false, 0},
          TRow{"root", TSite::Answers, 200, nullptr, {}, true, 0},
          TRow{"no web engine helper", TSite::Answers, 200, "QTWEBENGINEPROCESS_PATH",
               "/nonexistent/QtWebEngineProcess", false, 1}}) {
        SCOPED_TRACE(name);
        TSite site(kind, status);
        const bool proxied = qstrcmp(variable, "http_proxy") == 0;
        if (proxied && QHostInfo::fromName(host).addresses().isEmpty()) {
            continue; // this machine's name must reach the site for the row to mean anything
        }
        const QByteArray before = variable ? qgetenv(variable) : QByteArray();
        if (variable) {
            qputenv(variable, value);
        }
        std::unique_ptr<TFormMain> main = MainFor(proxied ? site.Url(host) : site.Url(), asRoot);
        main->show();
        EXPECT_TRUE(main->LocalBanner->isVisible());
        EXPECT_EQ(main->BannerProbing(), !asRoot);
        QTRY_VERIFY_WITH_TIMEOUT(!main->BannerProbing(), 15000);
        QTest::qWait(0); // the answer's handling, queued after the probe's end
        if (variable) {
            before.isNull() ? qunsetenv(variable) : qputenv(variable, before);
        }
        EXPECT_EQ(site.Requests, requests);
        ExpectLocalPage(*main);
    }
}

// A site that answers brings the web view in place of the local page. When a later reload fails the
// panel shows the local page in the web view, once; when the engine fails, as rich text again.
TEST_F(FormMainBannerTest, AnAnsweringSiteBringsTheWebView) {
    if (getuid() == 0) {
        GTEST_SKIP() << "root: the web engine would run without its sandbox, so it never starts";
    }
    auto site = std::make_unique<TSite>(TSite::Answers);
    std::unique_ptr<TFormMain> main = MainFor(site->Url(), false);
    main->show();
    EXPECT_TRUE(main->LocalBanner->isVisible()) << "the local page, until the site has answered";
    QTRY_VERIFY_WITH_TIMEOUT(main->WebBrowser != nullptr, 20000);
    EXPECT_FALSE(main->LocalBanner->isVisible());
    EXPECT_EQ(main->BannerUrl(), QUrl(site->Url() + BannerPath));
    QTRY_VERIFY_WITH_TIMEOUT(site->Requests >= 2, 20000); // the probe's, then the web view's
    QTRY_VERIFY_WITH_TIMEOUT(EngineProcesses() != EnginesBefore, 20000);

    site.reset(); // the site goes away
    main->TimerAdvertisementTimer();
    QTRY_VERIFY_WITH_TIMEOUT(main->BannerFallbacks == 1 && main->BannerUrl().isLocalFile(), 20000);
    main->BrowserFailed();
    EXPECT_EQ(main->WebBrowser, nullptr);
    EXPECT_TRUE(main->LocalBanner->isVisible());
    EXPECT_EQ(main->LocalBanner->toPlainText(), "Start with Game \u25B8 New Game");
}

// A game saved and opened again is the game as it was: kind and name in the caption, colours, every
// sticker, paint or play mode, both history lists with where the count starts, and the answer on show
// with its next move. A file that is no game of ours is refused with why, and nothing opens.
TEST_F(FormMainTest, ASavedGameOpensAsItWasSaved) {
    TFormGame* game = Main->NewGame(3);
    game->PlayMoves("B", false, true);
    game->ActionCleanCube->trigger();
    game->PlayMoves("R F Bi", false, true);
    game->ActionUndo->trigger();
    game->PlayMoves("Fi", false, false); // the answer's first move, made
    game->PanelSolution->ShowSolution({"Fi", "Ri"}, true, 1);
    ASSERT_TRUE(testsupport::Drain(game));
    const QString file = Folder.filePath("bicolor.hvc");
    Messages.SaveAnswer = file.toStdString();
    Main->ActionSaveGameAs->trigger();
    ASSERT_TRUE(testsupport::Drain(game));
    ASSERT_TRUE(Messages.Shown.empty()) << Messages.Shown[0].Text;
    EXPECT_EQ(Messages.SavesOffered.back(), QDir::homePath().toStdString() + "/Untitled-1.hvc");
    EXPECT_EQ(game->windowTitle(), "Bicolor Cube [bicolor.hvc]") << "a saved game takes its file's name";

    Messages.FileAnswer = file.toStdString();
    Main->ActionOpenGame->trigger();
    EXPECT_EQ(Messages.FoldersAsked.back(), file.toStdString()) << "it starts where the game in front is";
    auto* opened = qobject_cast<TFormGame*>(Main->MdiArea->activeSubWindow()->widget());
    ASSERT_NE(opened, game) << Messages.Shown.at(0).Text;
    EXPECT_EQ(opened->windowTitle(), "Bicolor Cube [bicolor.hvc]");
    EXPECT_EQ(opened->Settings, game->Settings);
    EXPECT_EQ(opened->View->CubeState(), game->View->CubeState());
    EXPECT_EQ(std::tie(opened->History.UndoList, opened->History.RedoList, opened->History.SetAt),
              std::tie(game->History.UndoList, game->History.RedoList, game->History.SetAt));
    EXPECT_EQ(opened->PanelSolution->LabelSolution->text(), game->PanelSolution->LabelSolution->text());
    opened->ActionSaveGame->trigger();
    EXPECT_EQ(Messages.SavesOffered.back(), file.toStdString()) << "an opened game offers its own file";

    // A 2x2x2 game in paint mode, half painted.
    TFormGame* mini = Main->NewGame(4);
    EXPECT_EQ(mini->windowTitle().toStdString(), "2\u00D72\u00D72 Cube [Untitled-2]");
    mini->ActionPaint->trigger();
    ASSERT_TRUE(testsupport::Drain(mini));
    Messages.SaveAnswer = Folder.filePath("mini").toStdString();
    mini->ActionSaveGame->trigger();
    ASSERT_TRUE(testsupport::Drain(mini));
    TFormGame* miniOpened = Main->OpenGame(Folder.filePath("mini").toStdString());
    ASSERT_NE(miniOpened, nullptr);
    EXPECT_EQ(miniOpened->View->CubeSize(), 2);
    EXPECT_EQ(miniOpened->View->GetMode(), 0);
    EXPECT_TRUE(miniOpened->PanelPallete->isVisibleTo(miniOpened));
    EXPECT_FALSE(miniOpened->PanelSolution->isVisibleTo(miniOpened))
        << "stickers still to paint are no fault";

    const int open = static_cast<int>(Main->MdiArea->subWindowList().size());
    testsupport::WriteText(Folder.filePath("foreign.hvc"), "[CUBE]\nAnimation=1\n");
    EXPECT_EQ(Main->OpenGame(Folder.filePath("foreign.hvc").toStdString()), nullptr);
    EXPECT_EQ(Messages.Shown,
              (std::vector<TShownMessage>{{"Open Game", "foreign.hvc is not a saved 3D Torvane game.",
                                           TMessageIcon::Warning, false}}));
    EXPECT_EQ(static_cast<int>(Main->MdiArea->subWindowList().size()), open);
}

// The 2x2x2 game: scrambled, solved by our engine with a shortest answer (never more than 11 moves),
// played back to a solved cube.
TEST_F(FormMainTest, A2x2x2GameIsSolvedByOurEngineAndPlayedBack) {
    const TEngineId ours = EngineTable().Add(std::string(PROGRAM_DIR) + "/twophase.so", PROGRAM_DIR);
    ASSERT_NE(ours, TEngineId::None);
    TFormGame* game = Main->NewGame(4);
    game->EngineIndex = ours;
    game->ActionScrambleCube->trigger();
    game->ActionSolve->trigger();
    ASSERT_TRUE(testsupport::Drain(game));
    ASSERT_EQ(game->PanelSolution->Content(), TSolutionBar::TContent::Answer);
    EXPECT_LE(game->PanelSolution->Moves.size(), 11u);
    game->PanelSolution->ActionSolutionPlay->trigger();
    ASSERT_TRUE(testsupport::Drain(game));
    EXPECT_TRUE(game->PanelSolution->LabelSolution->text().startsWith("<b>Solved</b>"))
        << game->PanelSolution->LabelSolution->text().toStdString();
    EngineTable().Remove(ours);
}

} // namespace
