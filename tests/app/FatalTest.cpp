// The program on a display without GLX (the test runs on an X server of its own, started without
// it): "OpenGL is not supported !" under "Fatal Error", then the end with status 1, and no game can
// be opened.
#include "app/Dialogs.h"
#include "app/FormMain.h"

#include <QApplication>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

TEST(FatalStart, WithoutOpenGLTheProgramSaysSoAndEnds) {
    TMessageRecorder messages;
    TFormMain main;
    EXPECT_TRUE(main.Terminating());
    ASSERT_EQ(messages.Shown.size(), 1u);
    EXPECT_EQ(messages.Shown[0],
              (TShownMessage{"Fatal Error", "OpenGL is not supported !", TMessageIcon::Error, false}));
    EXPECT_EQ(main.NewGame(0), nullptr);
    QTimer::singleShot(10000, [] { QCoreApplication::exit(99); }); // a loop that does not end fails
    EXPECT_EQ(QApplication::exec(), 1);
}

} // namespace
