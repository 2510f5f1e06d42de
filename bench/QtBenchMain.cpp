// Runs a benchmark program inside a QApplication on the real display, with GL loaded.
#include <benchmark/benchmark.h>

#include <QApplication>

#include "view/OpenGL.h"

int main(int argc, char** argv) {
    InitWindowSystemThreads();
    QApplication app(argc, argv);
    if (!LoadGLLibraries()) {
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
