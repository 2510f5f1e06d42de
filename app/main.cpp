// The program: for now one game window on its own, with the sound device and the seeded generator.
#include "app/Dialogs.h"
#include "app/FormGame.h"
#include "model/Random.h"
#include "sound/Sound.h"
#include "view/OpenGL.h"

#include <QApplication>
#include <chrono>

int main(int argc, char** argv) {
    InitWindowSystemThreads();
    QApplication app(argc, argv);
    QApplication::setApplicationName("3D Torvane");
    if (!LoadGLLibraries()) {
        ShowMessageBox("Fatal Error", "OpenGL is not supported !", TMessageIcon::Error);
        return 1;
    }
    InstallViewMessages();
    InitSound();
    RandomSeed(static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));

    tCubeSettings settings = BuiltInSettings;
    settings.SoundsON = true;
    auto* game = new TFormGame(nullptr, settings, "Untitled-1", "Rubik's Cube", false, 1);
    game->show();
    game->activateWindow();
    if (const std::string failure = SoundFailure(); !failure.empty()) {
        ShowMessageBox("3D Torvane", failure + "\nThe game goes on without sound.", TMessageIcon::Warning);
    }
    const int result = app.exec();
    CloseSound();
    return result;
}
