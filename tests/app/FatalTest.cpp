// The program on a display without GLX: "OpenGL is not supported !" under "Fatal Error", then the end
// with status 1, and no game can be opened. Runs on a display of its own, started here.
#include "app/Dialogs.h"
#include "app/FormMain.h"
#include "view/OpenGL.h"

#include <QApplication>
#include <QMdiArea>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

TEST(FatalStart, WithoutOpenGLTheProgramSaysSoAndEnds) {
    TMessageRecorder messages;
    TFormMain main;
    EXPECT_TRUE(main.Terminating());
    ASSERT_EQ(messages.Shown.size(), 1u);
    EXPECT_EQ(messages.Shown[0],
              (TShownMessage{"Fatal Error", "OpenGL is not supported !", TMessageIcon::Error, false}));
    EXPECT_EQ(main.NewGame(0), nullptr);
    EXPECT_FALSE(main.ActionNewGame[0]->isEnabled());
    EXPECT_TRUE(main.MdiArea->subWindowList().isEmpty());
    QTimer::singleShot(10000, [] { QCoreApplication::exit(99); }); // a loop that does not end fails
    EXPECT_EQ(QApplication::exec(), 1);
}

// An X server without the GLX extension on a display number nobody uses; ready once its socket is there.
pid_t StartServerWithoutGlx(std::string& display) {
    for (int number = 71; number < 140; ++number) {
        const std::string socket = "/tmp/.X11-unix/X" + std::to_string(number);
        const std::string lock = "/tmp/.X" + std::to_string(number) + "-lock";
        if (access(socket.c_str(), F_OK) == 0 || access(lock.c_str(), F_OK) == 0) {
            continue;
        }
        display = ":" + std::to_string(number);
        const pid_t pid = fork();
        if (pid == 0) {
            execlp("Xvfb", "Xvfb", display.c_str(), "-extension", "GLX", "-nolisten", "tcp", "-screen", "0",
                   "640x480x24", static_cast<char*>(nullptr));
            _exit(127);
        }
        for (int wait = 0; wait < 200; ++wait) {
            if (access(socket.c_str(), F_OK) == 0) {
                return pid;
            }
            if (waitpid(pid, nullptr, WNOHANG) == pid) {
                break; // it did not start: try the next number
            }
            usleep(50000);
        }
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
    return -1;
}

} // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    std::string display;
    const pid_t server = StartServerWithoutGlx(display);
    if (server <= 0) {
        std::fprintf(stderr, "cannot start Xvfb without GLX\n");
        return 1;
    }
    setenv("DISPLAY", display.c_str(), 1);
    int result = 1;
    {
        InitWindowSystemThreads();
        QApplication app(argc, argv);
        QApplication::setApplicationName("3D Torvane");
        result = RUN_ALL_TESTS();
    }
    kill(server, SIGTERM);
    waitpid(server, nullptr, 0);
    return result;
}
