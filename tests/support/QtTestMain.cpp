// Runs a test program's GoogleTest cases inside a QApplication on the real display (Xvfb in CI).
#include "view/OpenGL.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    InitWindowSystemThreads();
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
