// A window that shows a clean cube in the standard view: drag to turn it, wheel to zoom, Home to
// reset the view; the face letters turn faces (with Shift counter-clockwise), V, M and H the middle
// slices, F2 scrambles, F3 cleans, S switches the sounds. The multiple-document main window takes
// this file's place.
#include "sound/Sound.h"
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
        View->Settings.SoundsON = true;
        View->Settings.BackgroundColor = 0x604030; // a dusky blue, so the black cubies show
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
        if (!View) {
            return;
        }
        const QString letter = e->text().toUpper();
        const bool inverse = e->modifiers() & Qt::ShiftModifier;
        if (e->key() == Qt::Key_Home) {
            View->ResetCubeView();
            View->Refresh();
        } else if (e->key() == Qt::Key_F2) {
            View->ChangeCube([](TRubikCube& cube) { cube.Scramble(); });
            View->Refresh();
        } else if (e->key() == Qt::Key_F3) {
            View->ChangeCube([](TRubikCube& cube) { cube.Clean(); });
            View->Refresh();
        } else if (e->key() == Qt::Key_S) {
            View->Settings.SoundsON = !View->Settings.SoundsON;
        } else if (letter.size() == 1 && QString("UFRBLD").contains(letter)) {
            View->ExecuteMoves(letter.toStdString() + (inverse ? "i" : ""),
                               View->Settings.AnimateFaceRotations, false, nullptr);
        } else if (letter.size() == 1 && QString("VMH").contains(letter)) {
            View->ExecuteMoves(letter.toStdString() + (inverse ? "0i" : "0"),
                               View->Settings.AnimateFaceRotations, false, nullptr);
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
    InitSound();
    TCubeWindow window;
    window.show();
    window.activateWindow();
    if (const std::string failure = SoundFailure(); !failure.empty()) {
        QMessageBox::warning(&window, "3D Torvane",
                             QString::fromStdString(failure + "\nThe game goes on without sound."));
    }
    try {
        window.Start();
    } catch (const std::exception& e) {
        QMessageBox::critical(&window, "3D Torvane", e.what());
    }
    const int result = app.exec();
    CloseSound();
    return result;
}
