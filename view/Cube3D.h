#pragma once
// The view object: draws one cube into the client area of one window through its own rendering
// context, and owns everything that takes: the model, the arcball, the cameras, the display lists.
//
// Threads: any thread may draw (the UI thread, the move thread during a turn). Every piece of GL work
// takes Lock and makes the context current on its own thread for exactly its own duration, through
// RAII guards, so an exception passing through a GL operation leaves neither the lock held nor the
// context active. No thread waits for the UI thread while it holds Lock.
//
// Camera fields are atomics: the UI thread writes them outside Lock, the drawing thread reads them.

#include "model/Cubi.h"
#include "view/ArcBall.h"
#include "view/CubeSettings.h"
#include "view/OpenGL.h"

#include <QPointer>
#include <QWidget>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

inline constexpr std::int32_t NoLayer = -2147483647;
inline constexpr std::uint32_t NoSticker = 2147483647u;

// GL render modes, without pulling GL headers into every user of the view.
enum class TRenderMode { Render, Select };

struct TRGB {
    double Red = 0, Green = 0, Blue = 0;
};

class TCubeEventFilter;

class TCube3D {
public:
    // Owner receives the view's notifications; RenderWindow's client area is drawn.
    TCube3D(QWidget* Owner, QWidget* RenderWindow, std::uint8_t SizeIndex);
    // Stops the view's threads, then frees lists, context and surface.
    ~TCube3D();
    TCube3D(const TCube3D&) = delete;
    TCube3D& operator=(const TCube3D&) = delete;

    // Once, after Settings and Mode have been filled in. A window that cannot get a pixel format or a
    // context raises the failure once; the view then stays blank and draws nothing.
    void Init();

    // A frame with no turning layer, unless a move is in progress (then the move thread draws).
    void Draw();
    // Applies Lighting and the dirty flags, then draws.
    void Redraw();
    // Redraw on the UI thread; from another thread, hands it over and waits until it has run.
    void Refresh();
    // One whole frame; at most one layer argument names a layer, the others are NoLayer.
    void RenderFrame(std::int32_t LayerX, std::int32_t LayerY, float Angle, std::int32_t LayerZ);
    // Renders one frame like RenderFrame and returns it as bottom-up RGBA rows, without showing it.
    std::vector<std::uint8_t> CaptureFrame(int& Width, int& Height, std::int32_t LayerX = NoLayer,
                                           std::int32_t LayerY = NoLayer, float Angle = 0,
                                           std::int32_t LayerZ = NoLayer);
    // The window's size has changed: the surface follows, and the frame is redrawn if ResizeRedraw.
    void Resize();

    float AspectRatio() const;
    static TRGB ColorToGL(TColor color);

    bool ZoomCube(float Delta);
    bool MoveEnvironment(float Delta);
    void ResetCubeView();
    void ResetEnvironmentView();
    void EnvironmentElevationUp() { EnvElevation = EnvElevation + 1.0f; }
    void EnvironmentElevationDown() { EnvElevation = EnvElevation - 1.0f; }
    void EnvironmentAzimuthUp() { EnvAzimuth = EnvAzimuth + 1.0f; }
    void EnvironmentAzimuthDown() { EnvAzimuth = EnvAzimuth - 1.0f; }
    void UpdateEnvironmentCamera();

    std::string GetGLVendor();
    std::string GetGLRenderer();

    // Draws the cube (cubies, stickers, one layer turned by Angle) with Lock held and the context
    // current; in Select mode each outer cubie face carries its sticker id as its GL name.
    void DrawCube(std::int32_t LayerX, std::int32_t LayerY, TRenderMode RenderMode, float Angle,
                  std::int32_t LayerZ);

    QWidget* const Owner;
    QWidget* const RenderWindow;
    HDC DC = nullptr;
    HGLRC RC = nullptr;

    std::uint8_t MouseButton = 2;
    std::int32_t LastMouseX = 0, LastMouseY = 0;
    std::int32_t DownX = -1, DownY = -1, DownSticker = -1;

    float EnvEye[3] = {0, 0, 0};
    float EnvUp[3] = {0, 0, 0};
    std::atomic<float> EnvAzimuth{90};
    std::atomic<float> EnvElevation{0};
    std::atomic<float> EnvDistance{80};

    std::unique_ptr<TArcBall> ArcBall;
    std::atomic<float> CubeDistance{0};
    bool Enabled = false;
    bool AutoRotate = false;
    float CubeCentre = 0;
    float DragThreshold = 6.0f;
    float DefaultDistance = 0;
    float CubieSpacing = 1.98f;

    // Re-entrant for its holder; serialises all GL work of this view.
    std::recursive_mutex Lock;
    std::atomic<bool> MoveInProgress{false};

    unsigned StickerList = 0;
    unsigned CubieFaceList = 0;
    unsigned EnvironmentList = 0;
    std::string EnvironmentFiles[6];
    unsigned EnvironmentTextures[6] = {0, 0, 0, 0, 0, 0};
    unsigned StickerTexture = 0;

    std::string DragMoves;
    std::uint8_t Mode = 0; // 0 paint, 1 play
    std::unique_ptr<TRubikCube> Cube;
    bool ResizeRedraw = true;
    double FieldOfView = 45.0;
    std::uint8_t PaintColor = 0;
    std::atomic<bool> EnvironmentDirty{false};
    std::atomic<bool> CubeDirty{false};
    tCubeSettings Settings;

private:
    void InitGL();
    void BuildCubieFaceList();
    void BuildStickerList();
    void LoadStickerTexture();
    void DrawCubie(int x, int y, TRenderMode RenderMode, int z);
    void RotateStickerImage(int face, int index);
    // The frame itself, with Lock held and the context current.
    void DrawFrame(std::int32_t LayerX, std::int32_t LayerY, float Angle, std::int32_t LayerZ);
    int ClientWidth() const;
    int ClientHeight() const;

    std::unique_ptr<TCubeEventFilter> EventFilter;
};
