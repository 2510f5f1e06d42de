#include "app/FormMain.h"

#include "app/BannerBrowser.h"
#include "app/BannerProbe.h"
#include "app/Dialogs.h"
#include "app/FormAbout.h"
#include "app/FormEngines.h"
#include "app/FormGame.h"
#include "app/SavedGame.h"
#include "app/SettingsDialogs.h"
#include "model/Random.h"
#include "sound/Sound.h"
#include "view/CubeMessages.h"
#include "view/OpenGL.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QIcon>
#include <QLibraryInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPixmap>
#include <QPluginLoader>
#include <QStandardPaths>
#include <QStyle>
#include <QStyleOption>
#include <QTextBrowser>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>
#include <optional>
#include <unistd.h>
#include <vector>

namespace {

constexpr TColor Blue = 0xFF0000, Red = 0x0000FF, Yellow = 0x00FFFF, Orange = 0x0080FF, White = 0xFFFFFF,
                 Green = 0x008000, Grey = 0x808080;
constexpr int AdvertisementHeight = 98;

// The size a game's frame takes in the workspace: its preferred size where that fits, never less
// than its minimum (the workspace then shows only part of it).
QSize FittedSize(const QMdiSubWindow* Window, QSize Room) {
    return Window->sizeHint().boundedTo(Room).expandedTo(Window->minimumSizeHint());
}

// The place of the Index-th window of a cascade: a step down and right per window, back at the
// corner when even the window's minimum would reach past the workspace's edge; its preferred size
// where that fits from there.
QRect CascadePlace(const QMdiSubWindow* Window, int Index, QSize Area, int Step) {
    const QSize least = Window->minimumSizeHint();
    const int steps = std::max(
        1, std::min((Area.width() - least.width()) / Step, (Area.height() - least.height()) / Step) + 1);
    const int offset = (Index % steps) * Step;
    return {QPoint(offset, offset), FittedSize(Window, Area - QSize(offset, offset))};
}

// Our icon in the sizes we drew; every window without an icon of its own shows it.
QIcon ProgramIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256}) {
        icon.addFile(QString(":/icons/torvane-%1.png").arg(size), QSize(size, size));
    }
    return icon;
}

// Whether Qt finds a file the web engine needs, which ends the process when it does not: Qt looks only
// at the path Variable names when it is set, else at the Defaults; Suffix completes either to a file.
bool EngineFileFound(const char* Variable, const QStringList& Defaults, const QString& Suffix = {}) {
    const QString named = qEnvironmentVariable(Variable);
    QStringList paths = named.isEmpty() ? Defaults : QStringList{named};
    for (QString& path : paths) {
        path += Suffix;
    }
    if (std::any_of(paths.begin(), paths.end(),
                    [](const QString& path) { return QFileInfo::exists(path); })) {
        return true;
    }
    qWarning("The banner shows its local page: the web engine finds none of %s.",
             qPrintable(paths.join(", ")));
    return false;
}

// Whether the banner's web engine can start in this process. Where it cannot, the engine ends the
// whole process instead of failing: without its helper program or its resources. (A normal user
// without user namespaces gets a lesser sandbox, not an end; root never gets here.)
bool WebEngineCanStart() {
    const QString data = QLibraryInfo::path(QLibraryInfo::DataPath);
    const QString programs = QCoreApplication::applicationDirPath();
    return EngineFileFound("QTWEBENGINEPROCESS_PATH",
                           {QLibraryInfo::path(QLibraryInfo::LibraryExecutablesPath) + "/QtWebEngineProcess",
                            programs + "/QtWebEngineProcess"}) &&
           EngineFileFound("QTWEBENGINE_RESOURCES_PATH", {data + "/resources", data, programs},
                           "/qtwebengine_resources.pak");
}

} // namespace

// The cursors are resources of the app library, which is static: they are registered by hand.
static void InitResources() {
    Q_INIT_RESOURCE(resources);
}

const std::array<TCubeKind, 5> CubeKinds = {{
    {"Rubik's Cube", {Blue, Red, Yellow, Orange, White, Green, Grey}},
    {"Arxon Cube", {Blue, Yellow, Red, Orange, White, Green, Grey}},
    {"OddzOn Cube", {Blue, Yellow, Red, Green, Orange, White, Grey}},
    {"Bicolor Cube", {Red, Red, Red, White, White, White, Grey}},
    {"2\u00D7"
     "2\u00D7"
     "2 Cube",
     {Blue, Red, Yellow, Orange, White, Green, Grey},
     0},
}};

TFormMain::TFormMain(QString programFolder, QString UserSettings)
    : Folder(programFolder.isEmpty() ? QCoreApplication::applicationDirPath() : std::move(programFolder)),
      UserSettingsFile(UserSettings.isEmpty()
                           ? QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                                 "/torvane/" + SettingsFileName
                           : std::move(UserSettings)) {
    setWindowTitle(QApplication::applicationName());
    RunsAsRoot = getuid() == 0;
    InitResources();
    QApplication::setWindowIcon(ProgramIcon());

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    MdiArea = new QMdiArea(central);
    MdiArea->setObjectName("MdiArea");
    MdiArea->setBackground(palette().brush(QPalette::Dark)); // the desktop's workspace colour
    layout->addWidget(MdiArea, 1);
    PanelAdvertisement = new QGroupBox("Advertisement", central);
    PanelAdvertisement->setObjectName("PanelAdvertisement");
    PanelAdvertisement->setFixedHeight(AdvertisementHeight);
    auto* panelLayout = new QVBoxLayout(PanelAdvertisement);
    panelLayout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(PanelAdvertisement);
    setCentralWidget(central);
    TimerAdvertisement = new QTimer(this);
    TimerAdvertisement->setInterval(AdvertisementInterval);
    connect(TimerAdvertisement, &QTimer::timeout, this, &TFormMain::TimerAdvertisementTimer);
    CreateMenus();

    if (!LoadGLLibraries()) {
        ShowMessageBox("Fatal Error", "OpenGL is not supported !", TMessageIcon::Error);
        FatalEnd = true;
        for (QAction* action : ActionNewGame) {
            action->setEnabled(false);
        }
        // The loop ends at its next turn; nothing that needs OpenGL is started.
        QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(1); });
        return;
    }
    InstallViewMessages();
    // The device opens with the first sound a game plays: sounds are off by default.
    DeferSound(Folder.toStdString());
    SoundStarted = true;
    RandomSeed(static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
    SetScreenCursor(1, QCursor(QPixmap(":/cursors/Eimer.xpm"), 5, 27));
    SetScreenCursor(2, QCursor(QPixmap(":/cursors/Pipette.xpm"), 5, 23));
    FormDefaultSettings = new TFormDefaultSettings(this, DefaultSettings, SettingsFiles(), Folder);
    FormEngines = new TFormEngines(this, SettingsFiles(), Folder);
}

TSettingsFiles TFormMain::SettingsFiles() const {
    return {QDir(Folder).filePath(SettingsFileName).toStdString(), UserSettingsFile.toStdString()};
}

TFormMain::~TFormMain() {
    // Games first, while the services they use are still there.
    for (QMdiSubWindow* window : MdiArea->subWindowList()) {
        delete window;
    }
    if (SoundStarted) {
        CloseSound();
    }
    if (!FatalEnd) {
        UnloadGLLibraries();
    }
}

// The local page through Qt's rich text: the panel's normal state, and all of it where the web
// engine does not run.
void TFormMain::CreateLocalBanner() {
    LocalBanner = new QTextBrowser(PanelAdvertisement);
    LocalBanner->setObjectName("LocalBanner");
    LocalBanner->setFrameShape(QFrame::NoFrame);
    LocalBanner->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    LocalBanner->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    LocalBanner->setOpenExternalLinks(true);
    PanelAdvertisement->layout()->addWidget(LocalBanner);
    Probe = new TBannerProbe(this);
    connect(Probe, &TBannerProbe::Finished, this, &TFormMain::BannerProbed);
}

QString TFormMain::BannerToolsFolder() const {
    return BannerTools.isEmpty() ? QCoreApplication::applicationDirPath() : BannerTools;
}

bool TFormMain::BannerProbing() const {
    return Probe != nullptr && Probe->Running();
}

// The web view, once the site has answered: the plug-in that brings the web engine is loaded now, and
// never unloaded. Any failure leaves the local page for the rest of the run.
void TFormMain::CreateBrowser() {
    BrowserGone = true; // one try per run
    if (!WebEngineCanStart()) {
        return;
    }
    QPluginLoader loader(BannerToolsFolder() + "/torvane-banner.so");
    auto* factory = qobject_cast<TBannerBrowserFactory*>(loader.instance());
    if (factory == nullptr) {
        qWarning("The banner shows its local page: %s", qPrintable(loader.errorString()));
        return;
    }
    QObject* page = nullptr;
    std::unique_ptr<QWindow> window = factory->CreateBrowser(page);
    if (!window || page == nullptr) {
        return;
    }
    BrowserGone = false;
    WebBrowser = page;
    connect(WebBrowser, SIGNAL(pageLoaded(bool)), this, SLOT(BannerLoaded(bool)));
    connect(WebBrowser, SIGNAL(engineFailed()), this, SLOT(BrowserFailed()));
    // The games make the workspace native; the panel must be too, or the browser window would lie
    // beneath it.
    PanelAdvertisement->winId();
    BrowserWindow = window.release();
    QWidget* container = QWidget::createWindowContainer(BrowserWindow, PanelAdvertisement);
    container->setObjectName("WebBrowser");
    PanelAdvertisement->layout()->addWidget(container);
    LocalBanner->hide();
}

QAction* TFormMain::AddAction(QMenu* Menu, const char* Name, const QString& Caption) {
    auto* action = Menu->addAction(Caption);
    action->setObjectName(QString::fromUtf8(Name));
    return action;
}

void TFormMain::CreateMenus() {
    MenuGame = menuBar()->addMenu("Game");
    MenuGame->setObjectName("MenuGame");
    MenuNewGame = MenuGame->addMenu("New Game");
    MenuNewGame->setObjectName("MenuNewGame");
    for (int kind = 0; kind < static_cast<int>(CubeKinds.size()); ++kind) {
        QAction* action =
            AddAction(MenuNewGame, "ActionNewGameExecute", QString::fromUtf8(CubeKinds[kind].Name));
        action->setData(kind); // the tag
        connect(action, &QAction::triggered, this, [this, kind] { NewGame(kind); });
        ActionNewGame[kind] = action;
    }
    ActionNewGameFullscreen = AddAction(MenuGame, "ActionNewGameFullscreen", "New Game - Fullscreen");
    ActionNewGameFullscreen->setEnabled(false);
    ActionNewGameFullscreen->setVisible(false);
    ActionOpenGame = AddAction(MenuGame, "ActionOpenGame", "Open Game...");
    ActionOpenGame->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    connect(ActionOpenGame, &QAction::triggered, this, &TFormMain::LoadGame);
    // Ctrl+S is the game's own shortcut (it saves the game that has the focus); shown here too.
    ActionSaveGameAs = AddAction(MenuGame, "ActionSaveGameAs", "Save Game...\tCtrl+S");
    connect(ActionSaveGameAs, &QAction::triggered, this, &TFormMain::SaveGame);
    ActionLoadGame = AddAction(MenuGame, "ActionLoadGame", "ActionLoadGame");
    ActionLoadGame->setEnabled(false);
    ActionLoadGame->setVisible(false);
    connect(ActionLoadGame, &QAction::triggered, this, &TFormMain::LoadGame);
    ActionSaveGame = AddAction(MenuGame, "ActionSaveGame", "Save");
    ActionSaveGame->setEnabled(false);
    ActionSaveGame->setVisible(false);
    connect(ActionSaveGame, &QAction::triggered, this, &TFormMain::SaveGame);
    MenuGame->addSeparator();
    ActionEngines = AddAction(MenuGame, "ActionEngines", "Engines...");
    ActionEngines->setVisible(false);
    connect(ActionEngines, &QAction::triggered, this, [this] {
        if (FormEngines != nullptr) {
            FormEngines->show();
            FormEngines->raise();
            FormEngines->activateWindow();
        }
    });
    ActionDefaultSettings = AddAction(MenuGame, "ActionDefaultSettings", "Default Settings...");
    connect(ActionDefaultSettings, &QAction::triggered, this, [this] {
        if (FormDefaultSettings != nullptr) {
            FormDefaultSettings->show();
            FormDefaultSettings->raise();
            FormDefaultSettings->activateWindow();
        }
    });
    MenuGame->addSeparator();
    ActionExit = AddAction(MenuGame, "ActionExit", "Exit");
    ActionExit->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Q));
    connect(ActionExit, &QAction::triggered, this, &QWidget::close);

    MenuWindow = menuBar()->addMenu("Window");
    MenuWindow->setObjectName("MenuWindow");
    WindowClose1 = AddAction(MenuWindow, "WindowClose1", "C&lose");
    connect(WindowClose1, &QAction::triggered, MdiArea, &QMdiArea::closeActiveSubWindow);
    WindowCascade1 = AddAction(MenuWindow, "WindowCascade1", "&Cascade");
    connect(WindowCascade1, &QAction::triggered, this, &TFormMain::Cascade);
    WindowTileHorizontal1 = AddAction(MenuWindow, "WindowTileHorizontal1", "Tile &Horizontally");
    connect(WindowTileHorizontal1, &QAction::triggered, this, [this] { Tile(true); });
    WindowTileVertical1 = AddAction(MenuWindow, "WindowTileVertical1", "&Tile Vertically");
    connect(WindowTileVertical1, &QAction::triggered, this, [this] { Tile(false); });
    WindowMinimizeAll1 = AddAction(MenuWindow, "WindowMinimizeAll1", "&Minimize All");
    connect(WindowMinimizeAll1, &QAction::triggered, this, &TFormMain::MinimizeAll);
    WindowArrange1 = AddAction(MenuWindow, "WindowArrange1", "&Arrange");
    connect(WindowArrange1, &QAction::triggered, this, &TFormMain::ArrangeIcons);
    connect(MenuWindow, &QMenu::aboutToShow, this, &TFormMain::UpdateWindowMenu);
    connect(MdiArea, &QMdiArea::subWindowActivated, this, &TFormMain::UpdateWindowMenu);
    UpdateWindowMenu();

    MenuHelp = menuBar()->addMenu("Help");
    MenuHelp->setObjectName("MenuHelp");
    ActionOnlineHelp = AddAction(MenuHelp, "ActionOnlineHelp", "Online Help");
    connect(ActionOnlineHelp, &QAction::triggered, this,
            [this] { OpenDesktopAddress(std::string(WebSite) + HelpPath); });
    MenuHelp->addSeparator();
    ActionSendBugReport = AddAction(MenuHelp, "ActionSendBugReport", "Bug Report...");
    connect(ActionSendBugReport, &QAction::triggered, this,
            [this] { OpenDesktopAddress(std::string("mailto:") + SupportMail); });
    ActionShowCheckUpdates = AddAction(MenuHelp, "ActionShowCheckUpdates", "Check Updates...");
    connect(ActionShowCheckUpdates, &QAction::triggered, this,
            [this] { OpenDesktopAddress(std::string(WebSite) + "/"); });
    MenuHelp->addSeparator();
    ActionShowAboutBox = AddAction(MenuHelp, "ActionShowAboutBox", "About");
    connect(ActionShowAboutBox, &QAction::triggered, this, [this] {
        TFormAbout about(this); // freed when it closes
        about.exec();
    });
}

TFormGame* TFormMain::NewGame(int Kind) {
    if (FatalEnd || Kind < 0 || Kind >= static_cast<int>(CubeKinds.size())) {
        return nullptr;
    }
    tCubeSettings settings = DefaultSettings;
    settings.FaceColors = CubeKinds[Kind].Colors;
    const std::string name = "Untitled-" + std::to_string(UntitledCounter);
    auto* game =
        new TFormGame(nullptr, settings, name, CubeKinds[Kind].Name, false, CubeKinds[Kind].SizeIndex);
    game->ProgramFolder = Folder;
    AddGame(game);
    ++UntitledCounter;
    return game;
}

TFormGame* TFormMain::OpenGame(const std::string& File) {
    if (FatalEnd) {
        return nullptr;
    }
    std::string error;
    const std::optional<TSavedGame> saved = ReadSavedGame(File, Folder.toStdString(), error);
    if (!saved) {
        ShowMessageBox("Open Game", error, TMessageIcon::Warning);
        return nullptr;
    }
    const std::string name = QFileInfo(QString::fromStdString(File)).fileName().toStdString();
    auto* game = new TFormGame(nullptr, saved->Settings, name, saved->KindName, false, saved->SizeIndex);
    game->ProgramFolder = Folder;
    game->Restore(*saved, File);
    AddGame(game);
    return game;
}

void TFormMain::AddGame(TFormGame* game) {
    // While a game is maximised the new one opens maximised too (the workspace does that by itself
    // on show), as in other multiple-document programs; otherwise it takes its own size at the next
    // place of a cascade that stays inside the workspace.
    QMdiSubWindow* active = MdiArea->activeSubWindow();
    const bool maximised = active != nullptr && active->isMaximized();
    const int open = static_cast<int>(MdiArea->subWindowList().size());
    QMdiSubWindow* window = MdiArea->addSubWindow(game);
    window->setAttribute(Qt::WA_DeleteOnClose);
    connect(window, &QObject::destroyed, this, &TFormMain::UpdateWindowMenu, Qt::QueuedConnection);
    window->show();
    // Its place for a later restore, also when the workspace has opened it maximised already (a
    // geometry given to a maximised window would leave it marked maximised at the wrong size).
    if (window->isMaximized()) {
        window->showNormal();
    }
    window->setGeometry(CascadePlace(window, open, MdiArea->viewport()->size(), CascadeStep()));
    if (maximised) {
        window->showMaximized();
    }
    game->setFocus();
    UpdateWindowMenu();
}

void TFormMain::UpdateWindowMenu() {
    const QList<QMdiSubWindow*> windows = MdiArea->subWindowList();
    for (QAction* action : {WindowClose1, WindowCascade1, WindowTileHorizontal1, WindowTileVertical1,
                            WindowMinimizeAll1, WindowArrange1, ActionSaveGameAs}) {
        action->setEnabled(!windows.isEmpty());
    }
    // Below the six commands, the open games; choosing one activates it.
    const QList<QAction*> entries = MenuWindow->actions();
    for (qsizetype i = 6; i < entries.size(); ++i) {
        MenuWindow->removeAction(entries[i]);
        entries[i]->deleteLater();
    }
    if (windows.isEmpty()) {
        return;
    }
    MenuWindow->addSeparator();
    int number = 1;
    for (QMdiSubWindow* window : windows) {
        QAction* entry = MenuWindow->addAction(QString("&%1 %2").arg(number++).arg(window->windowTitle()));
        entry->setCheckable(true);
        entry->setChecked(window == MdiArea->activeSubWindow());
        connect(entry, &QAction::triggered, this, [this, w = QPointer<QMdiSubWindow>(window)] {
            if (w) {
                if (w->isMinimized()) {
                    w->showNormal(); // a chosen game is one to play
                }
                MdiArea->setActiveSubWindow(w);
            }
        });
    }
}

// The games that are not minimised side by side: in rows the full width of the workspace, or in
// columns its full height. Where their minimum sizes do not fit in one line, the rows (columns) are
// shared out over several columns (rows) side by side.
void TFormMain::Tile(bool InRows) {
    QList<QMdiSubWindow*> windows;
    QSize least(1, 1);
    for (QMdiSubWindow* window : MdiArea->subWindowList()) {
        if (!window->isMinimized()) {
            windows << window;
            least = least.expandedTo(window->minimumSizeHint());
        }
    }
    if (windows.isEmpty()) {
        return;
    }
    // Worked out as rows; tiling in columns is the same with the two directions swapped.
    const QSize area = MdiArea->viewport()->size();
    const auto along = [InRows](QSize s) { return InRows ? s.height() : s.width(); };
    const auto across = [InRows](QSize s) { return InRows ? s.width() : s.height(); };
    const int count = static_cast<int>(windows.size());
    const int fit = std::max(1, along(area) / along(least));
    const int lines = (count + fit - 1) / fit;
    const int perLine = (count + lines - 1) / lines;
    for (int i = 0; i < count; ++i) {
        const int line = i / perLine, at = i % perLine;
        const int inLine = std::min(perLine, count - line * perLine);
        const int length = along(area) / inLine, breadth = across(area) / lines;
        const QRect cell = InRows ? QRect(line * breadth, at * length, breadth, length)
                                  : QRect(at * length, line * breadth, length, breadth);
        windows[i]->showNormal();
        windows[i]->setGeometry(QRect(cell.topLeft(), cell.size().expandedTo(windows[i]->minimumSizeHint())));
    }
}

// One step of a cascade: the height of a title bar, so that every title stays readable.
int TFormMain::CascadeStep() const {
    QStyleOptionTitleBar option;
    option.initFrom(MdiArea);
    return std::max(8, style()->pixelMetric(QStyle::PM_TitleBarHeight, &option, MdiArea));
}

// The games that are not minimised, each at its own size where the workspace has room for all of
// them, one title bar down and right from the one before.
void TFormMain::Cascade() {
    QList<QMdiSubWindow*> windows;
    for (QMdiSubWindow* window : MdiArea->subWindowList(QMdiArea::StackingOrder)) {
        if (!window->isMinimized()) {
            windows << window;
        }
    }
    if (windows.isEmpty()) {
        return;
    }
    // One size for all, so that each title shows above the next window.
    const QSize area = MdiArea->viewport()->size();
    const int step = CascadeStep();
    const int count = static_cast<int>(windows.size());
    std::vector<QRect> places;
    QSize common = area;
    for (int i = 0; i < count; ++i) {
        places.push_back(CascadePlace(windows[i], i, area, step));
        common = common.boundedTo(places.back().size());
    }
    for (int i = 0; i < count; ++i) {
        QMdiSubWindow* window = windows[i];
        window->showNormal();
        window->setGeometry(QRect(places[i].topLeft(), common.expandedTo(window->minimumSizeHint())));
        window->raise();
    }
    MdiArea->setActiveSubWindow(windows.last());
}

void TFormMain::MinimizeAll() {
    for (QMdiSubWindow* window : MdiArea->subWindowList()) {
        window->showMinimized();
    }
}

// The minimised games in a row along the bottom of the workspace.
void TFormMain::ArrangeIcons() {
    const QRect area = MdiArea->viewport()->rect();
    int x = 0;
    for (QMdiSubWindow* window : MdiArea->subWindowList()) {
        if (window->isMinimized()) {
            window->move(x, area.height() - window->height());
            x += window->width();
        }
    }
}

void TFormMain::showEvent(QShowEvent* Event) {
    QMainWindow::showEvent(Event);
    if (!Shown && !FatalEnd) {
        Shown = true;
        CreateLocalBanner();
        TimerAdvertisement->start();
        TimerAdvertisementTimer();
    }
}

void TFormMain::TimerAdvertisementTimer() {
    BannerFallbacks = 0;
    const QUrl remote(BannerSite + BannerPath);
    if (WebBrowser) {
        WebBrowser->setProperty("url", remote);
        return;
    }
    if (!LocalBanner) {
        return;
    }
    ShowLocalBanner();
    if (!RunsAsRoot && !BrowserGone) {
        Probe->Start(BannerToolsFolder() + "/torvane-banner-probe", remote, BannerTimeOut);
    }
}

void TFormMain::BannerProbed(bool Answered) {
    if (!Answered || WebBrowser || BrowserGone) {
        return;
    }
    CreateBrowser();
    if (WebBrowser) {
        WebBrowser->setProperty("url", QUrl(BannerSite + BannerPath));
    }
}

QUrl TFormMain::BannerUrl() const {
    if (WebBrowser) {
        return WebBrowser->property("url").toUrl();
    }
    return LocalBanner && !LocalBanner->document()->isEmpty() ? LocalBanner->source() : QUrl();
}

void TFormMain::ShowBlankBanner() {
    QMetaObject::invokeMethod(WebBrowser, "loadHtml", Q_ARG(QString, QString()), Q_ARG(QUrl, QUrl()));
}

void TFormMain::ShowLocalBanner() {
    LocalBanner->show();
    const QUrl local = QUrl::fromLocalFile(Folder + "/banner.htm");
    if (!QFileInfo::exists(local.toLocalFile())) {
        LocalBanner->clear();
    } else if (LocalBanner->source() == local) {
        LocalBanner->reload(); // the page may have changed
    } else {
        LocalBanner->setSource(local, QTextDocument::HtmlResource);
    }
}

void TFormMain::BrowserFailed() {
    if (!WebBrowser) {
        return;
    }
    qWarning("The banner shows its local page: the web engine failed.");
    disconnect(WebBrowser, nullptr, this, nullptr);
    WebBrowser = nullptr;
    BrowserWindow = nullptr;
    BrowserGone = true;
    if (auto* container = PanelAdvertisement->findChild<QWidget*>("WebBrowser")) {
        container->hide();
    }
    BannerFallbacks = 0;
    ShowLocalBanner();
}

void TFormMain::BannerLoaded(bool Ok) {
    if (Ok) {
        return;
    }
    // The local page once; if that fails too, the panel stays blank until the next reload.
    if (BannerFallbacks > 0 || !WebBrowser) {
        return;
    }
    ++BannerFallbacks;
    const QString local = Folder + "/banner.htm";
    if (QFileInfo::exists(local)) {
        WebBrowser->setProperty("url", QUrl::fromLocalFile(local));
    } else {
        ShowBlankBanner();
    }
}

void TFormMain::SaveGame() {
    QMdiSubWindow* active = MdiArea->activeSubWindow();
    if (auto* game = active != nullptr ? qobject_cast<TFormGame*>(active->widget()) : nullptr) {
        game->SaveGame();
        QDir::setCurrent(Folder); // the sounds are opened relative to the current folder
    }
}

void TFormMain::LoadGame() {
    // Where the game in front was saved or opened from: games are usually kept together.
    std::string folder = QDir::homePath().toStdString();
    QMdiSubWindow* active = MdiArea->activeSubWindow();
    if (auto* game = active != nullptr ? qobject_cast<TFormGame*>(active->widget()) : nullptr;
        game != nullptr && !game->FileName.empty()) {
        folder = game->FileName;
    }
    std::string file;
    if (AskOpenFile("Open Game", folder, GameFilter, file)) {
        QDir::setCurrent(Folder);
        OpenGame(file);
    }
}
