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

// An X server without the GLX extension; its display number comes back through a pipe.
pid_t StartServerWithoutGlx(std::string& display) {
    int fds[2];
    if (pipe(fds) != 0) {
        return -1;
    }
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        const std::string fd = std::to_string(fds[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-extension", "GLX", "-nolisten", "tcp", "-screen",
               "0", "640x480x24", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    char number[32] = {};
    const ssize_t got = read(fds[0], number, sizeof number - 1);
    close(fds[0]);
    if (got <= 0) {
        return -1;
    }
    display = ":" + std::string(number, static_cast<std::size_t>(got));
    while (!display.empty() && (display.back() == '\n' || display.back() == ' ')) {
        display.pop_back();
    }
    return pid;
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
