// The program: the main window, which starts and ends the process-wide services.
#include "app/FormMain.h"
#include "view/OpenGL.h"

#include <QApplication>

int main(int argc, char** argv) {
    InitWindowSystemThreads();
    QApplication app(argc, argv);
    QApplication::setApplicationName("3D Torvane");
    TFormMain main;
    if (!main.Terminating()) {
        main.showMaximized();
    }
    return app.exec();
}
