// The program: the main window, which starts and ends the process-wide services.
#include "app/FormMain.h"
#include "view/OpenGL.h"

#include <QApplication>
#include <QtWebEngineQuick/qtwebenginequickglobal.h>

int main(int argc, char** argv) {
    InitWindowSystemThreads();
    // The advertisement panel's web engine is set up before the application exists.
    QtWebEngineQuick::initialize();
    QApplication app(argc, argv);
    QApplication::setApplicationName("3D Torvane");
    TFormMain main;
    if (!main.Terminating()) {
        main.showMaximized();
    }
    return app.exec();
}
