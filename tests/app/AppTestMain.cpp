// Runs the window tests inside a QApplication on the real display (Xvfb in CI), with the web engine
// of the main window's panel set up first, as the program does.
#include "view/OpenGL.h"

#include <QApplication>
#include <QtWebEngineQuick/qtwebenginequickglobal.h>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    InitWindowSystemThreads();
    QtWebEngineQuick::initialize();
    QApplication app(argc, argv);
    QApplication::setApplicationName("3D Torvane");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
