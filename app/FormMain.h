#pragma once
// The main window: the workspace that holds every game window, the menus, the advertisement panel,
// and the start and end of the process-wide services (OpenGL, sound, the generator, the cursors).

#include "app/Settings.h"
#include "view/CubeSettings.h"

#include <QMainWindow>
#include <QString>
#include <QUrl>
#include <array>
#include <cstdint>
#include <string>

class QAction;
class QGroupBox;
class QMdiArea;
class QMenu;
class QTimer;
class QTextBrowser;
class QWindow;
class TBannerProbe;
class TFormDefaultSettings;
class TFormEngines;
class TFormGame;

// A cube kind of the "New Game" menu: its name, the seven colours a new game gets (faces U F R B L D,
// then a sticker without colour) and its size index (0 the 2x2x2 cube, 1 the 3x3x3).
struct TCubeKind {
    const char* Name; // UTF-8
    std::array<TColor, 7> Colors;
    std::uint8_t SizeIndex = 1;
};
extern const std::array<TCubeKind, 5> CubeKinds;

// Where our web pages live; only the paths below it are fixed.
inline constexpr const char* WebSite = "https://www.torvane.example";
inline constexpr const char* BannerPath = "/torvane/banner.htm";
inline constexpr const char* HelpPath = "/torvane/help.htm";
inline constexpr const char* SupportMail = "support@torvane.example";
inline constexpr int AdvertisementInterval = 300000; // ms between banner reloads
// How long the banner's site may take to answer before the panel keeps its local page.
inline constexpr int BannerProbeTimeOut = 5000; // ms
// The settings file in the program folder.
inline constexpr const char* SettingsFileName = "torvane.ini";

class TFormMain : public QMainWindow {
    Q_OBJECT

public:
    // Starts the services in order. Without OpenGL it shows "OpenGL is not supported !" and asks the
    // application to end with status 1 (Terminating() is then true); nothing else is started.
    // ProgramFolder defaults to the folder of the running program, UserSettings to the user's own
    // settings file in the desktop's configuration folder ("torvane/torvane.ini").
    explicit TFormMain(QString ProgramFolder = {}, QString UserSettings = {});
    // Closes every game (their views stop their threads), then the sound device and OpenGL.
    ~TFormMain() override;

    bool Terminating() const { return FatalEnd; }
    const QString& ProgramFolder() const { return Folder; }
    // The settings files: the program folder's defaults and the user's own.
    TSettingsFiles SettingsFiles() const;

    // A new game of kind 0..4 from the default settings with the kind's colours; its window.
    TFormGame* NewGame(int Kind);
    // Opens a saved game in a new window named after the file; null, after saying why, when the file
    // is not a game this version can open.
    TFormGame* OpenGame(const std::string& File);

    tCubeSettings DefaultSettings = BuiltInSettings;
    int UntitledCounter = 1;

    QMdiArea* MdiArea = nullptr;
    QGroupBox* PanelAdvertisement = nullptr;
    // The panel shows the local page as rich text, at once. Once the banner's site has answered a
    // plain request in the background, the web view (a plug-in that brings the web engine with it)
    // takes the panel's place. It lives in a window of its own inside the panel: a browser widget
    // would make the whole main window compose itself through OpenGL, which the games' native GL
    // windows do not survive. Both stay null until then, for good where the engine cannot run here
    // (and for root, whom the engine would run without its sandbox), and become null when it fails.
    QWindow* BrowserWindow = nullptr;    // owned by its container in the panel
    QObject* WebBrowser = nullptr;       // the page view in it
    QTextBrowser* LocalBanner = nullptr; // hidden while the web view shows
    // Where the banner comes from, and the folder of the web view plug-in "torvane-banner.so" and the
    // helper "torvane-banner-probe" that asks the site (empty: the running program's); tests point
    // them elsewhere.
    QString BannerSite = QString::fromLatin1(WebSite);
    QString BannerTools;
    int BannerTimeOut = BannerProbeTimeOut;
    // Whether the process runs as root (set at construction; tests change it before the first show):
    // then the web page is never shown, and never asked for.
    bool RunsAsRoot = false;
    // Whether a request to the banner's site is under way.
    bool BannerProbing() const;
    QTimer* TimerAdvertisement = nullptr;
    // Both created hidden at start-up: the first reads the settings file, the second starts loading the
    // engines in the background (the window never waits for them).
    TFormDefaultSettings* FormDefaultSettings = nullptr;
    TFormEngines* FormEngines = nullptr;

    QMenu* MenuGame = nullptr;
    QMenu* MenuNewGame = nullptr;
    QMenu* MenuWindow = nullptr;
    QMenu* MenuHelp = nullptr;
    std::array<QAction*, 5> ActionNewGame{};
    QAction* ActionOpenGame = nullptr;   // "Open Game...", Ctrl+O
    QAction* ActionSaveGameAs = nullptr; // "Save Game...": the active game, as its own Ctrl+S does
    QAction* ActionNewGameFullscreen = nullptr;
    QAction* ActionLoadGame = nullptr;
    QAction* ActionSaveGame = nullptr;
    QAction* ActionEngines = nullptr;
    QAction* ActionDefaultSettings = nullptr;
    QAction* ActionExit = nullptr;
    QAction* WindowClose1 = nullptr;
    QAction* WindowCascade1 = nullptr;
    QAction* WindowTileHorizontal1 = nullptr;
    QAction* WindowTileVertical1 = nullptr;
    QAction* WindowMinimizeAll1 = nullptr;
    QAction* WindowArrange1 = nullptr;
    QAction* ActionOnlineHelp = nullptr;
    QAction* ActionSendBugReport = nullptr;
    QAction* ActionShowCheckUpdates = nullptr;
    QAction* ActionShowAboutBox = nullptr;

    // How many times the local banner was asked for since the last reload of the web one.
    int BannerFallbacks = 0;
    // Loads the banner page from our web site in the web view; without one it shows the local page
    // again and asks the site, in the background, whether the web view should come. The advertisement
    // timer runs it every five minutes.
    void TimerAdvertisementTimer();
    // The page the panel shows or is loading; empty while it is blank without a browser.
    QUrl BannerUrl() const;

public slots:
    void BannerLoaded(bool Ok);
    // The banner's site answered (or not) the request made without a web view.
    void BannerProbed(bool Answered);
    // The web engine failed after it started (its page process died, or Qt Quick cannot draw): the
    // panel shows the local page without it for the rest of the run.
    void BrowserFailed();

protected:
    void showEvent(QShowEvent* Event) override;

private:
    void CreateMenus();
    void CreateLocalBanner();
    QString BannerToolsFolder() const;
    void CreateBrowser();
    QAction* AddAction(QMenu* Menu, const char* Name, const QString& Caption);
    void UpdateWindowMenu();
    void Cascade();
    int CascadeStep() const;
    void Tile(bool InRows);
    void MinimizeAll();
    void ArrangeIcons();
    void ShowBlankBanner();
    void ShowLocalBanner();
    void SaveGame();
    void LoadGame();
    // Puts a new game window into the workspace, next in the cascade.
    void AddGame(TFormGame* Game);

    QString Folder;
    bool FatalEnd = false;
    bool Shown = false;
    QString UserSettingsFile;
    bool SoundStarted = false;
    TBannerProbe* Probe = nullptr;
    bool BrowserGone = false; // the web engine cannot run in this process, or failed
};
