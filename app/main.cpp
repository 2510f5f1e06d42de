// A window that shows a clean cube in the standard view: drag to turn it, wheel to zoom, Home to
// reset the view. The multiple-document main window takes this file's place.
#include "view/Cube3D.h"
#include "view/OpenGL.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWidget>
#include <memory>

namespace {

class TCubeWindow : public QWidget {
public:
    TCubeWindow() {
        setWindowTitle("3D Torvane");
        resize(640, 480);
        setFocusPolicy(Qt::StrongFocus);
    }

    // Creates the view once the window has its native handle and size.
    void Start() {
        View = std::make_unique<TCube3D>(this, this, 1);
        View->Cube->Clean();
        View->Mode = 1;
        View->Enabled = true;
        View->Init();
        View->Refresh();
    }

protected:
    void mousePressEvent(QMouseEvent* e) override {
        if (View && e->button() == Qt::LeftButton) {
            View->ArcBall->MouseTo(static_cast<float>(e->position().x()),
                                   static_cast<float>(e->position().y()));
            View->ArcBall->BeginDrag();
        }
    }
    void mouseMoveEvent(QMouseEvent* e) override {
        if (View && View->ArcBall->Dragging) {
            View->ArcBall->MouseTo(static_cast<float>(e->position().x()),
                                   static_cast<float>(e->position().y()));
            View->Draw();
        }
    }
    void mouseReleaseEvent(QMouseEvent* e) override {
        if (View && e->button() == Qt::LeftButton && View->ArcBall->Dragging) {
            View->ArcBall->EndDrag();
        }
    }
    void wheelEvent(QWheelEvent* e) override {
        if (View) {
            View->ZoomCube(e->angleDelta().y() > 0 ? -1.0f : 1.0f);
        }
    }
    void keyPressEvent(QKeyEvent* e) override {
        if (View && e->key() == Qt::Key_Home) {
            View->ResetCubeView();
            View->Refresh();
        }
    }

private:
    std::unique_ptr<TCube3D> View;
};

} // namespace

int main(int argc, char** argv) {
    InitWindowSystemThreads();
    QApplication app(argc, argv);
    QApplication::setApplicationName("3D Torvane");
    if (!LoadGLLibraries()) {
        QMessageBox::critical(nullptr, "Fatal Error", "OpenGL is not supported !");
        return 1;
    }
    TCubeWindow window;
    window.show();
    try {
        window.Start();
    } catch (const std::exception& e) {
        QMessageBox::critical(&window, "3D Torvane", e.what());
    }
    return app.exec();
}
