#include "view/Cube3D.h"

#include "animation/Thread.h"
#include "model/Notation.h"
#include "view/SystemColors.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QThread>
#include <cmath>

namespace {

constexpr float Pi = 3.14159265358979f;
constexpr float EnvironmentScale = 40.0f;
constexpr double NearPlane = 1.0;
constexpr double FarPlane = EnvironmentScale * 32.0;
constexpr int SurfaceEventInterval = 50; // ms between looks at the surface's window events

float Radians(float degrees) {
    return degrees * Pi / 180.0f;
}

} // namespace

// Hands the render window's resize and paint events to the view, and lets the drawing surface's own
// exposures through while the view lives.
class TCubeEventFilter : public QObject {
public:
    explicit TCubeEventFilter(TCube3D& view) : View(view) { startTimer(SurfaceEventInterval); }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == View.RenderWindow) {
            if (event->type() == QEvent::Resize) {
                View.Resize();
            } else if (event->type() == QEvent::Paint) {
                View.Draw();
            }
        }
        return false;
    }

protected:
    void timerEvent(QTimerEvent*) override { DispatchSurfaceEvents(); }

private:
    TCube3D& View;
};

TCube3D::TCube3D(QWidget* owner, QWidget* renderWindow, std::uint8_t sizeIndex)
    : Owner(owner), RenderWindow(renderWindow), Cube(std::make_unique<TRubikCube>(sizeIndex)) {
    Settings.StickerType = 0;
    Settings.EnvironmentType = 0;
    if (RenderWindow) {
        Width = RenderWindow->width();
        Height = RenderWindow->height();
    }
}

float TurnStep(std::int32_t speed) {
    return TurnSteps[speed < 0 ? 0 : speed > 2 ? 2 : speed];
}

void TCube3D::StopThreads() {
    // Move thread first: it finishes the move it performs, drops the rest and ends. The animate
    // thread's pending redraw is cancelled, so neither waits for this (the UI) thread.
    for (TThread* thread :
         {static_cast<TThread*>(MoveThread.get()), static_cast<TThread*>(AnimateThread.get())}) {
        if (thread) {
            thread->Terminate();
            thread->WaitFor();
        }
    }
    MoveThread.reset();
    AnimateThread.reset();
}

TCube3D::~TCube3D() {
    StopThreads();
    if (EventFilter && RenderWindow) {
        RenderWindow->removeEventFilter(EventFilter.get());
    }
    EventFilter.reset();
    if (DC && RC) {
        try {
            std::lock_guard lock(Lock);
            TGLActivation active(DC, RC);
            for (unsigned* list : {&StickerList, &EnvironmentList, &CubieFaceList}) {
                if (*list) {
                    glDeleteLists(*list, 1);
                }
            }
            DeleteTextures();
        } catch (const std::exception&) {
            // The context is already unusable; it is destroyed below all the same.
        }
    }
    if (RC) {
        try {
            DestroyGLContext(RC);
        } catch (const std::exception&) {
        }
    }
    ReleaseDC(DC);
}

int TCube3D::ClientWidth() const {
    return Width;
}
int TCube3D::ClientHeight() const {
    return Height;
}

QObject* TCube3D::HandOffContext() const {
    return EventFilter.get();
}

void TCube3D::Init() {
    if (RenderWindow) {
        Width = RenderWindow->width();
        Height = RenderWindow->height();
    }
    const QPoint cursor = QCursor::pos();
    LastMouseX = cursor.x();
    LastMouseY = cursor.y();
    DefaultDistance = static_cast<float>(Cube->Size) * 6.0f;
    CubeDistance = DefaultDistance;
    CubieSpacing = 1.98f;
    DragThreshold = 6.0f;
    CubeCentre = static_cast<float>(Cube->SliceCount + 1) / 2.0f;
    ArcBall = std::make_unique<TArcBall>();
    ResetCubeView();
    ResetEnvironmentView();
    UpdateEnvironmentCamera();
    EventFilter = std::make_unique<TCubeEventFilter>(*this);
    if (RenderWindow) {
        RenderWindow->installEventFilter(EventFilter.get());
    }
    InitGL();
    MoveThread = std::make_unique<TMakeMoveThread>(*this);
    MoveThread->Start();
    AnimateThread = std::make_unique<TAnimateThread>(*this); // suspended until SetAutoRotate(true)
}

void TCube3D::InitGL() {
    std::lock_guard lock(Lock);
    if (DC == nullptr) {
        // A native window of its own, so that the surface can be its child. Only it and its ancestors:
        // native siblings (the bars around the cube) were seen left at an old place by the window
        // system when a game opened maximised.
        QCoreApplication::setAttribute(Qt::AA_DontCreateNativeWidgetSiblings);
        RenderWindow->setAttribute(Qt::WA_NativeWindow);
        RenderWindow->setAttribute(Qt::WA_NoSystemBackground);
        RenderWindow->setAttribute(Qt::WA_OpaquePaintEvent);
        DC = GetDC(static_cast<std::uintptr_t>(RenderWindow->winId()), ClientWidth(), ClientHeight());
        // Whatever covered the surface (a menu, a dialog, another window) leaves its picture there
        // until the cube is drawn again: no compositor keeps a copy for us.
        SetExposeHandler(DC, [this] { Draw(); });
    }
    RC = CreateGLContext(DC, opDoubleBuffered, 32, 0, 0, 0, 0, nullptr);
    TGLActivation active(DC, RC);

    glShadeModel(GL_SMOOTH);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glEnable(GL_CULL_FACE);
    glFrontFace(GL_CCW);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glEnable(GL_NORMALIZE);

    const GLfloat materialAmbient[] = {0, 0, 0, 1}, materialDiffuse[] = {0.01f, 0.01f, 0.01f, 1},
                  materialSpecular[] = {0.5f, 0.5f, 0.5f, 1};
    glMaterialfv(GL_FRONT, GL_AMBIENT, materialAmbient);
    glMaterialfv(GL_FRONT, GL_DIFFUSE, materialDiffuse);
    glMaterialfv(GL_FRONT, GL_SPECULAR, materialSpecular);
    glMaterialf(GL_FRONT, GL_SHININESS, 32);

    const GLfloat ambient0[] = {0, 0, 0, 1}, diffuse0[] = {0.2f, 0.2f, 0.2f, 1},
                  specular0[] = {0.9f, 0.9f, 0.9f, 1};
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambient0);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse0);
    glLightfv(GL_LIGHT0, GL_SPECULAR, specular0);

    const GLfloat ambient1[] = {0.7f, 0.7f, 0.7f, 1}, diffuse1[] = {0.5f, 0.5f, 0.5f, 1},
                  specular1[] = {0.3f, 0.3f, 0.3f, 1}, position1[] = {2, 3, 2, 1};
    glLightfv(GL_LIGHT1, GL_AMBIENT, ambient1);
    glLightfv(GL_LIGHT1, GL_DIFFUSE, diffuse1);
    glLightfv(GL_LIGHT1, GL_SPECULAR, specular1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity(); // light 1 stays fixed relative to the camera
    glLightfv(GL_LIGHT1, GL_POSITION, position1);
    glLightf(GL_LIGHT1, GL_SPOT_EXPONENT, 60);
    glLightf(GL_LIGHT1, GL_SPOT_CUTOFF, 30);

    glEnable(GL_LIGHT0);
    glEnable(GL_LIGHT1);
    glEnable(GL_COLOR_MATERIAL);

    if (Settings.EnvironmentType == 1) {
        LoadEnvironment();
        BuildEnvironmentList();
    }
    LoadStickerTexture();
    BuildCubieFaceList();
    BuildStickerList();
}

float TCube3D::AspectRatio() const {
    const int h = ClientHeight();
    return h == 0 ? 1.0f : static_cast<float>(ClientWidth()) / static_cast<float>(h);
}

// A window taller than wide would cut the cube's sides off: there the field of view spans the width.
double TCube3D::VerticalFieldOfView() const {
    const double aspect = AspectRatio();
    if (aspect >= 1.0) {
        return FieldOfView;
    }
    constexpr double degrees = 180.0 / 3.14159265358979;
    return 2.0 * std::atan(std::tan(FieldOfView / 2.0 / degrees) / aspect) * degrees;
}

TRGB TCube3D::ColorToGL(TColor color) {
    const TColor rgb = ResolveColor(color);
    return {static_cast<double>(rgb & 0xFF) / 255.0, static_cast<double>((rgb >> 8) & 0xFF) / 255.0,
            static_cast<double>((rgb >> 16) & 0xFF) / 255.0};
}

void TCube3D::DrawFrame(std::int32_t LayerX, std::int32_t LayerY, float Angle, std::int32_t LayerZ) {
    ArcBall->SetRadius(static_cast<float>(ClientWidth()) / 2.0f);
    // The context is shared with other views: what differs between views is set for every frame.
    if (Settings.Lighting) {
        glEnable(GL_LIGHTING);
    } else {
        glDisable(GL_LIGHTING);
    }
    glViewport(0, 0, ClientWidth(), ClientHeight());
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(VerticalFieldOfView(), AspectRatio(), NearPlane, FarPlane);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    if (Settings.EnvironmentType == 0) {
        const TRGB c = ColorToGL(Settings.BackgroundColor);
        glClearColor(static_cast<GLclampf>(c.Red), static_cast<GLclampf>(c.Green),
                     static_cast<GLclampf>(c.Blue), 0);
    } else {
        glClearColor(0, 0, 0, 0);
    }
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    DrawCube(LayerX, LayerY, TRenderMode::Render, Angle, LayerZ);
    if (Settings.EnvironmentType == 1) {
        UpdateEnvironmentCamera();
        gluLookAt(EnvEye[0], EnvEye[1], EnvEye[2], 0, 0, 0, EnvUp[0], EnvUp[1], EnvUp[2]);
        if (EnvironmentList) {
            glCallList(EnvironmentList);
        }
    }
    glFinish();
}

void TCube3D::RenderFrame(std::int32_t LayerX, std::int32_t LayerY, float Angle, std::int32_t LayerZ) {
    if (RC == nullptr) {
        return; // no context: nothing may draw
    }
    if (FrameObserver) {
        FrameObserver(LayerX, LayerY, Angle, LayerZ);
    }
    std::lock_guard lock(Lock);
    TGLActivation active(DC, RC);
    DrawFrame(LayerX, LayerY, Angle, LayerZ);
    SwapBuffers(DC);
    glFlush();
}

std::vector<std::uint8_t> TCube3D::CaptureFrame(int& FrameWidth, int& FrameHeight, std::int32_t LayerX,
                                                std::int32_t LayerY, float Angle, std::int32_t LayerZ) {
    FrameWidth = FrameHeight = 0;
    if (RC == nullptr) {
        return {};
    }
    std::lock_guard lock(Lock);
    TGLActivation active(DC, RC);
    DrawFrame(LayerX, LayerY, Angle, LayerZ);
    FrameWidth = ClientWidth();
    FrameHeight = ClientHeight();
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(FrameWidth) * FrameHeight * 4);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, FrameWidth, FrameHeight, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

void TCube3D::Draw() {
    std::lock_guard lock(Lock);
    if (MoveInProgress) {
        return;
    }
    RenderFrame(NoLayer, NoLayer, 0, NoLayer);
}

void TCube3D::Redraw() {
    if (RC == nullptr) {
        return;
    }
    {
        std::lock_guard lock(Lock);
        TGLActivation active(DC, RC);
        if (EnvironmentDirty) {
            if (Settings.EnvironmentType == 1) {
                LoadEnvironment();
                BuildEnvironmentList();
            }
            EnvironmentDirty = false;
        }
        if (CubeDirty) {
            LoadStickerTexture();
            BuildStickerList();
            CubeDirty = false;
        }
    }
    Draw();
}

void TCube3D::Refresh() {
    if (QThread::currentThread() == qApp->thread()) {
        Redraw();
        return;
    }
    // The caller must not hold Lock: the UI thread takes it to draw.
    TRefreshThread(*this).Run();
}

void TCube3D::SetAutoRotate(bool Value) {
    if (Value == AutoRotate || !AnimateThread) {
        return;
    }
    AutoRotate = Value;
    if (Value) {
        AnimateThread->Resume();
    } else if (!AnimateThread->Suspended()) {
        AnimateThread->Suspend();
    }
}

bool TCube3D::ExecuteMoves(const std::string& Text, bool Animate, bool Record,
                           std::vector<std::string>* History) {
    const auto moves = ParseMoves(Text, Cube->SliceCount, Animate);
    if (!moves) {
        return false;
    }
    for (const TMove& move : *moves) {
        if (MoveThread) {
            MoveThread->AddMove(move);
        } else {
            // A view without threads (not initialised) turns at once.
            ChangeCube([&](TRubikCube& cube) { cube.Perform(move); });
        }
        if (Record && History) {
            History->push_back(InverseMove(move.Name));
        }
    }
    if (MoveThread) {
        MoveThread->Wake();
    }
    return true;
}

void TCube3D::SetHighlight(std::vector<int> Stickers) {
    {
        std::scoped_lock lock(Lock);
        HighlightedStickers = std::move(Stickers);
    }
    if (RC != nullptr) {
        Refresh();
    }
}

void TCube3D::QueueCommand(std::function<void()> Command) {
    if (!MoveThread) {
        Command();
        return;
    }
    MoveThread->AddCommand(std::move(Command));
    MoveThread->Wake();
}

void TCube3D::QueueChange(std::function<void(TRubikCube&)> Change) {
    QueueCommand([this, change = std::move(Change)] {
        ChangeCube(change);
        Refresh();
    });
}

void TCube3D::ReadCube(std::function<void(const TRubikCube&)> Then) {
    QueueCommand([this, then = std::move(Then)] {
        TRubikCube copy(Cube->SizeIndex);
        ChangeCube([&](TRubikCube& cube) { copy.SetState(cube.GetState()); });
        then(copy);
    });
}

void TCube3D::ApplySettings(const tCubeSettings& NewSettings, std::function<void()> Then, bool Rebuild) {
    QueueCommand([this, NewSettings, then = std::move(Then), Rebuild] {
        const bool environment = Rebuild || NewSettings.EnvironmentType != Settings.EnvironmentType ||
                                 NewSettings.EnvironFile != Settings.EnvironFile;
        const bool stickers = Rebuild || NewSettings.StickerType != Settings.StickerType ||
                              NewSettings.StickerTextureFile != Settings.StickerTextureFile;
        {
            std::lock_guard lock(Lock); // the drawing threads read them
            Settings = NewSettings;
        }
        if (RC != nullptr) { // before Init there is nothing built yet
            EnvironmentDirty = EnvironmentDirty || environment;
            CubeDirty = CubeDirty || stickers;
            Refresh();
        }
        if (then) {
            then();
        }
    });
}

void TCube3D::SetHint(std::string Move) {
    {
        std::scoped_lock lock(Lock);
        HintMove = std::move(Move);
    }
    if (RC != nullptr) {
        Refresh();
    }
}

std::string TCube3D::Hint() const {
    std::scoped_lock lock(Lock);
    return HintMove;
}

std::vector<int> TCube3D::Highlighted() const {
    std::lock_guard lock(Lock);
    return HighlightedStickers;
}

void TCube3D::SetEnvironmentAngles(float Azimuth, float Elevation) {
    EnvAzimuth = Azimuth;
    EnvElevation = Elevation;
}

void TCube3D::WithContext(const std::function<void()>& Work) {
    if (RC == nullptr) {
        return;
    }
    std::lock_guard lock(Lock);
    TGLActivation active(DC, RC);
    Work();
}

void TCube3D::ChangeCube(const std::function<void(TRubikCube&)>& Change) {
    std::lock_guard lock(ModelLock);
    Change(*Cube);
}

CubeState0 TCube3D::CubeState() const {
    std::lock_guard lock(ModelLock);
    return Cube->GetState();
}

tCubeSettings TCube3D::SettingsCopy() {
    std::lock_guard lock(Lock);
    return Settings;
}

TThreadView::TMovePace TCube3D::MovePace() {
    std::lock_guard lock(Lock);
    return {TurnStep(Settings.CubeFaceRotationSpeed), Settings.SoundsON};
}

void TCube3D::AnimateQuarter(const TMove& Move, bool Clockwise, float Step) {
    if (Move.IsFace) {
        AnimateFaceTurn(Move.Index, Clockwise, Step);
    } else {
        AnimateSliceTurn(Move.Index, Move.Slice, Clockwise, Step);
    }
}

void TCube3D::ApplyQuarters(const TMove& Move, int Quarters) {
    ChangeCube([&](TRubikCube& cube) {
        for (int q = 0; q < Quarters; ++q) {
            if (Move.IsFace) {
                cube.TurnFace(Move.Index);
            } else {
                cube.TurnSlice(Move.Index, Move.Slice);
            }
        }
    });
}

void TCube3D::SpinStep() {
    EnvironmentAzimuthDown();
    ArcBall->TurnBy(1.0f, 2.0f);
}

bool TCube3D::Spinning() const {
    return AnimateThread && !AnimateThread->Paused();
}

bool TCube3D::MovesFinished() const {
    return !MoveThread || MoveThread->Idle();
}

void TCube3D::AnimateLayer(std::int32_t LayerX, std::int32_t LayerY, std::int32_t LayerZ, bool clockwise,
                           float step) {
    if (clockwise) {
        for (float angle = 360; angle >= 270; angle -= step) {
            RenderFrame(LayerX, LayerY, angle, LayerZ);
        }
    } else {
        for (float angle = 0; angle <= 90; angle += step) {
            RenderFrame(LayerX, LayerY, angle, LayerZ);
        }
    }
}

void TCube3D::AnimateFaceTurn(int face, bool clockwise, float Step) {
    const int last = Cube->Size - 1;
    // Seen from B, L and D a clockwise turn is counter-clockwise about the positive axis.
    switch (face) {
    case 0:
        return AnimateLayer(NoLayer, last, NoLayer, clockwise, Step);
    case 1:
        return AnimateLayer(NoLayer, NoLayer, last, clockwise, Step);
    case 2:
        return AnimateLayer(last, NoLayer, NoLayer, clockwise, Step);
    case 3:
        return AnimateLayer(NoLayer, NoLayer, 0, !clockwise, Step);
    case 4:
        return AnimateLayer(0, NoLayer, NoLayer, !clockwise, Step);
    case 5:
        return AnimateLayer(NoLayer, 0, NoLayer, !clockwise, Step);
    default:
        return;
    }
}

void TCube3D::AnimateSliceTurn(int axis, int slice, bool clockwise, float Step) {
    const int layer = slice + 1;
    switch (axis) {
    case 0:
        return AnimateLayer(layer, NoLayer, NoLayer, clockwise, Step);
    case 1:
        return AnimateLayer(NoLayer, NoLayer, layer, clockwise, Step);
    case 2:
        return AnimateLayer(NoLayer, layer, NoLayer, clockwise, Step);
    default:
        return;
    }
}

void TCube3D::Resize() {
    if (RenderWindow) {
        Width = RenderWindow->width();
        Height = RenderWindow->height();
    }
    {
        std::lock_guard lock(Lock); // not while a frame is drawn into the surface
        ResizeDC(DC, ClientWidth(), ClientHeight());
    }
    if (ResizeRedraw) {
        QApplication::processEvents(); // let pending window events run before the frame
        Redraw();
    }
}

bool TCube3D::ZoomCube(float Delta) {
    float d = CubeDistance + Delta;
    bool inRange = true;
    if (d < DefaultDistance / 2) {
        d = DefaultDistance / 2;
        inRange = false;
    } else if (d > DefaultDistance * 3 / 2) {
        d = DefaultDistance * 3 / 2;
        inRange = false;
    }
    CubeDistance = d;
    Redraw();
    return inRange;
}

bool TCube3D::MoveEnvironment(float Delta) {
    float d = EnvDistance + Delta;
    bool inRange = true;
    if (d < 0.5f) {
        d = 0.5f;
        inRange = false;
    } else if (d > EnvironmentScale * 2) {
        d = EnvironmentScale * 2;
        inRange = false;
    }
    EnvDistance = d;
    Redraw();
    return inRange;
}

void TCube3D::ResetCubeView() {
    ArcBall->Reset(static_cast<float>(ClientWidth()) / 2.0f);
    ArcBall->TurnBy(60, 60);
    CubeDistance = DefaultDistance;
}

void TCube3D::ResetEnvironmentView() {
    EnvDistance = EnvironmentScale * 2;
    EnvAzimuth = 90;
    EnvElevation = 0;
}

void TCube3D::UpdateEnvironmentCamera() {
    const float a = Radians(EnvAzimuth), e = Radians(EnvElevation), u = Radians(EnvElevation + 90),
                d = EnvDistance;
    EnvEye[0] = std::cos(a) * std::cos(e) * d;
    EnvEye[1] = std::sin(e) * d;
    EnvEye[2] = std::sin(a) * std::cos(e) * d;
    EnvUp[0] = std::cos(a) * std::cos(u) * d;
    EnvUp[1] = std::sin(u) * d;
    EnvUp[2] = std::sin(a) * std::cos(u) * d;
}

std::string TCube3D::ContextString(unsigned name) {
    std::string text;
    WithContext([&] { text = CurrentGLString(name); });
    return text;
}

std::string TCube3D::GetGLVendor() {
    return ContextString(GL_VENDOR);
}

std::string TCube3D::GetGLRenderer() {
    return ContextString(GL_RENDERER);
}
