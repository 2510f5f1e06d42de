#pragma once
// The view object: draws one cube into the client area of one window through its own rendering
// context, and owns everything that takes: the model, the arcball, the cameras, the display lists.
//
// Threads: any thread may draw (the UI thread, the move thread during a turn). Every piece of GL work
// takes Lock and makes the context current on its own thread for exactly its own duration, through
// RAII guards, so an exception passing through a GL operation leaves neither the lock held nor the
// context active.
//
// Lock discipline (the move thread's QueueLock is described in animation/Thread.h):
// - Lock (recursive) guards the GL context and everything drawn from: Settings, HighlightedStickers,
//   the lists, textures and environment files, EnvEye and EnvUp. The UI thread writes Settings only
//   under Lock (ApplySettings) and may read them without it (GetSettings); any other thread reads them
//   under Lock (SettingsCopy).
// - ModelLock guards the contents of *Cube. It is held for one change (ChangeCube: a quarter turn of
//   the move thread, a Clean, a painted sticker) or one read (a frame's cubies, a pick), never for a
//   whole animation. Order: Lock, then ModelLock; nothing is taken while ModelLock is held.
// - The camera fields, MoveInProgress, the dirty flags and the client size are atomics; ArcBall
//   guards itself. The other fields belong to the UI thread, or are set by Init before any thread
//   starts and not changed after.
// - All of it is private: callers read and change the cube, the settings and the mode through the
//   calls below, each of which takes what it needs, so no caller repeats these rules.
// - No thread waits for the UI thread, and the UI thread shows no box and runs no event loop, while
//   it holds Lock or ModelLock.

#include "animation/Thread.h"
#include "model/Cubi.h"
#include "view/ArcBall.h"
#include "view/CubeMessages.h"
#include "view/CubeSettings.h"
#include "view/OpenGL.h"

#include <QPointer>
#include <QWidget>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

inline constexpr std::int32_t NoLayer = -2147483647;
inline constexpr std::uint32_t NoSticker = 2147483647u;

// GL render modes, without pulling GL headers into every user of the view.
enum class TRenderMode { Render, Select };

struct TRGB {
    double Red = 0, Green = 0, Blue = 0;
};

class TCubeEventFilter;

// Degrees per animation frame, by CubeFaceRotationSpeed 0 (slow), 1, 2 (fast): 91, 46 and 21
// frames per quarter turn, both end angles included.
inline constexpr float TurnSteps[3] = {1.0f, 2.0f, 4.5f};
// The step for a speed from the settings file, which may hold any number: the nearest valid speed.
float TurnStep(std::int32_t speed);

// The threads it owns drive it through TThreadView (animation/Thread.h).
class TCube3D : public TThreadView {
public:
    // Owner receives the view's notifications; RenderWindow's client area is drawn.
    TCube3D(QWidget* Owner, QWidget* RenderWindow, std::uint8_t SizeIndex);
    // Stops the view's threads, then frees lists, context and surface.
    ~TCube3D() override;
    TCube3D(const TCube3D&) = delete;
    TCube3D& operator=(const TCube3D&) = delete;

    // Once, after Settings and Mode have been filled in. A window that cannot get a pixel format or a
    // context raises the failure once; the view then stays blank and draws nothing.
    void Init();

    // A frame with no turning layer, unless a move is in progress (then the move thread draws). The
    // check and the frame are made under Lock, so a still frame never lands between a move's frames.
    void Draw();
    // Applies Lighting and the dirty flags, then draws.
    void Redraw() override;
    // Redraw on the UI thread; from another thread, hands it over and waits until it has run.
    void Refresh();
    // One whole frame; at most one layer argument names a layer, the others are NoLayer.
    void RenderFrame(std::int32_t LayerX, std::int32_t LayerY, float Angle, std::int32_t LayerZ);
    // Renders one frame like RenderFrame and returns it as bottom-up RGBA rows, without showing it.
    std::vector<std::uint8_t> CaptureFrame(int& FrameWidth, int& FrameHeight, std::int32_t LayerX = NoLayer,
                                           std::int32_t LayerY = NoLayer, float Angle = 0,
                                           std::int32_t LayerZ = NoLayer);
    // The window's size has changed: the surface follows, and the frame is redrawn if ResizeRedraw.
    void Resize();

    float AspectRatio() const;
    // The vertical field of view of a frame: FieldOfView, or wider in a window taller than wide so
    // that FieldOfView spans its width.
    double VerticalFieldOfView() const;
    static TRGB ColorToGL(TColor color);

    bool ZoomCube(float Delta);
    bool MoveEnvironment(float Delta);
    void ResetCubeView();
    void ResetEnvironmentView();
    // One degree each; safe from any thread (a spinning preview's thread turns the azimuth too).
    void EnvironmentElevationUp() { EnvElevation.fetch_add(1.0f); }
    void EnvironmentElevationDown() { EnvElevation.fetch_sub(1.0f); }
    void EnvironmentAzimuthUp() { EnvAzimuth.fetch_add(1.0f); }
    void EnvironmentAzimuthDown() { EnvAzimuth.fetch_sub(1.0f); }

    // Switches the preview's own spinning (the animate thread) on or off.
    void SetAutoRotate(bool Value);

    // Checks the whole text; if every token is valid, queues its moves with the move thread (and, with
    // Record, appends the inverse of each to History) and wakes it. False, with nothing queued or
    // recorded, if a token is invalid.
    bool ExecuteMoves(const std::string& Text, bool Animate, bool Record, std::vector<std::string>* History);
    // The one ordered path for everything that reads or changes the cube. Command runs on the UI
    // thread once every move and command queued before it is done, never on a half-turned cube; moves
    // queued after it wait for it. Without a move thread (a view not initialised) it runs at once.
    // UI thread only.
    void QueueCommand(std::function<void()> Command);
    // A change of the model by that path (under ModelLock), then a redraw.
    void QueueChange(std::function<void(TRubikCube&)> Change);
    // A copy of the cube as it is once everything queued before has been done, handed to Then: what a
    // solver is given, what an answer is checked against.
    void ReadCube(std::function<void(const TRubikCube&)> Then);
    // New settings by that path: a turn already queued is drawn to its end with the settings it began
    // with. The pictures and lists that depend on what changed are made again (all of them with
    // Rebuild, to pick up changed files); the view is redrawn, then Then runs. Before Init the
    // settings are simply taken over.
    void ApplySettings(const tCubeSettings& NewSettings, std::function<void()> Then = {},
                       bool Rebuild = false);
    // Runs Change on the model under ModelLock at once, between two quarter turns of a move in
    // progress: for reading the model whole, and for changes before any move can be queued. Change must
    // not take Lock, show a box or run an event loop.
    void ChangeCube(const std::function<void(TRubikCube&)>& Change);
    // A copy of the model's state, taken under ModelLock; from any thread.
    CubeState0 CubeState() const;
    // A copy of Settings, taken under Lock; how threads other than the UI thread read them.
    tCubeSettings SettingsCopy();
    // Whether every move and command queued so far has been carried out; never waits for one.
    bool MovesFinished() const;

    // The frames of one quarter turn of a face or an inner slice, Step degrees apart (TurnStep), drawn
    // by the move thread.
    void AnimateFaceTurn(int face, bool clockwise, float Step);
    void AnimateSliceTurn(int axis, int slice, bool clockwise, float Step);

    // The object that hand-offs to the UI thread run on; gone with the view, which drops them.
    QObject* HandOffContext() const override;

    // What the move and animate threads drive (TThreadView).
    TMovePace MovePace() override;
    void SetMoveInProgress(bool InProgress) override { MoveInProgress = InProgress; }
    void AnimateQuarter(const TMove& Move, bool Clockwise, float Step) override;
    void ApplyQuarters(const TMove& Move, int Quarters) override;
    void SpinStep() override;

    std::string GetGLVendor();
    std::string GetGLRenderer();
    // Whether Init made a rendering context: without one the view draws nothing.
    bool HasContext() const { return RC != nullptr; }
    // Runs Work with Lock held and the context current on this thread, for reading GL state.
    void WithContext(const std::function<void()>& Work);

    // The mouse of the game window, in client pixels (origin top left). They do nothing unless the
    // view is Enabled and not spinning by itself. A drag across stickers sends TCubeMovesEvent to
    // Owner, a right click TCubePopupEvent; a click in paint mode paints or clears one sticker.
    void MouseDown(TMouseButton Button, std::int32_t X, std::int32_t Y);
    void MouseMove(std::int32_t X, std::int32_t Y);
    void MouseUp(TMouseButton Button, std::int32_t X, std::int32_t Y);
    // The id (face * FaceArea + index) of the sticker under the pixel, or -1 for none. UI thread only.
    std::int32_t PickSticker(std::int32_t X, std::int32_t Y);
    // False for ids outside 0 .. 6 * FaceArea - 1 (so for -1 and NoSticker).
    bool DecodeStickerName(std::int64_t Id, std::uint8_t& Face, std::int32_t& Index) const;

    // The cube's size: fixed for the view's life, so read without a lock from any thread.
    int CubeSize() const { return Cube->Size; }
    std::uint8_t CubeSizeIndex() const { return Cube->SizeIndex; }
    int CubeFaceArea() const { return Cube->FaceArea; }

    // The settings the view draws with. UI thread only (the only writer); others use SettingsCopy.
    const tCubeSettings& GetSettings() const { return Settings; }
    // 0 paint, 1 play. UI thread only, like the mouse that reads it.
    std::uint8_t GetMode() const { return Mode; }
    void SetMode(std::uint8_t Value) { Mode = Value; }
    // Whether the mouse acts on the view. UI thread only.
    bool IsEnabled() const { return Enabled; }
    void SetEnabled(bool Value) { Enabled = Value; }
    // The colour code that a click in paint mode paints with. UI thread only.
    std::uint8_t GetPaintColor() const { return PaintColor; }
    void SetPaintColor(std::uint8_t Value) { PaintColor = Value; }
    // Whether a resize of the window redraws at once (off while the window rearranges itself).
    void SetResizeRedraw(bool Value) { ResizeRedraw = Value; }
    bool IsMoveInProgress() const { return MoveInProgress; }
    bool IsAutoRotating() const { return AutoRotate; }
    // False once a preview switched off has taken its last step (that step's redraw needs the UI thread).
    bool Spinning() const;

    // Sticker positions (ids) drawn with a warning ring round them, to show the user what to correct;
    // SetHighlight changes them and redraws.
    std::vector<int> Highlighted() const;
    void SetHighlight(std::vector<int> Stickers);
    // The move a hint suggests ("R", "V0i", "F2"), drawn as an arrow round its layer in the turn's
    // sense (a half turn has a head at both ends); empty for none. SetHint changes it and redraws.
    std::string Hint() const;
    void SetHint(std::string Move);

    // The cameras: the cube's distance, the environment's angles and distance, the arcball (which
    // guards itself); the field of view and the spacing of the cubies.
    float GetCubeDistance() const { return CubeDistance; }
    float GetEnvAzimuth() const { return EnvAzimuth; }
    float GetEnvElevation() const { return EnvElevation; }
    float GetEnvDistance() const { return EnvDistance; }
    void SetEnvironmentAngles(float Azimuth, float Elevation);
    TArcBall& GetArcBall() const { return *ArcBall; }
    void SetFieldOfView(double Degrees) { FieldOfView = Degrees; }
    float GetCubieSpacing() const { return CubieSpacing; }

    // The skybox's picture files and textures, faces U F R B L D, as last loaded. UI thread only.
    const std::string& EnvironmentFile(int Face) const { return EnvironmentFiles[Face]; }
    unsigned EnvironmentTexture(int Face) const { return EnvironmentTextures[Face]; }

    // Told of every frame about to be drawn (layers and angle), on the drawing thread. For tools and
    // tests that follow an animation; set it before Init.
    using TFrameObserver =
        std::function<void(std::int32_t LayerX, std::int32_t LayerY, float Angle, std::int32_t LayerZ)>;
    void SetFrameObserver(TFrameObserver Observer) { FrameObserver = std::move(Observer); }

private:
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
    std::atomic<bool> AutoRotate{false};
    float CubeCentre = 0;
    float DragThreshold = 6.0f;
    float DefaultDistance = 0;
    float CubieSpacing = 1.98f;

    // Re-entrant for its holder; serialises all GL work of this view, and guards what it draws from.
    mutable std::recursive_mutex Lock;
    // Guards the contents of *Cube; see the lock discipline above.
    mutable std::mutex ModelLock;
    std::atomic<bool> MoveInProgress{false};
    std::unique_ptr<TMakeMoveThread> MoveThread;
    std::unique_ptr<TAnimateThread> AnimateThread;

    unsigned StickerList = 0;
    unsigned CubieFaceList = 0;
    unsigned EnvironmentList = 0;
    // The skybox's pictures and textures, faces U F R B L D.
    std::string EnvironmentFiles[6];
    unsigned EnvironmentTextures[6] = {0, 0, 0, 0, 0, 0};
    unsigned StickerTexture = 0;

    std::string DragMoves;
    std::uint8_t Mode = 0;            // 0 paint, 1 play
    std::unique_ptr<TRubikCube> Cube; // contents guarded by ModelLock; Size and the like are fixed
    bool ResizeRedraw = true;
    double FieldOfView = 45.0;
    std::uint8_t PaintColor = 0;
    std::atomic<bool> EnvironmentDirty{false};
    std::atomic<bool> CubeDirty{false};
    tCubeSettings Settings;
    std::vector<int> HighlightedStickers; // guarded by Lock
    std::string HintMove;                 // guarded by Lock
    TFrameObserver FrameObserver;

    // Hands the render window's events to the view.
    friend class TCubeEventFilter;

    // EnvEye and EnvUp from the environment's angles and distance, with Lock held.
    void UpdateEnvironmentCamera();
    void InitGL();
    void BuildCubieFaceList();
    void BuildStickerList();
    // The pictures (Environment.cpp), with Lock held and the context current: the sticker image, the
    // skybox's six faces and its display list; DeleteTextures frees them all.
    void LoadStickerTexture();
    void LoadEnvironment();
    void BuildEnvironmentList();
    void DrawEnvironmentFace();
    void DeleteTextures();
    // The hint's arrow, in the cube's frame.
    void DrawHintArrow();
    void DrawCubie(int x, int y, TRenderMode RenderMode, int z);
    void RotateStickerImage(int face, int index);
    // The frame itself, with Lock held and the context current.
    void DrawFrame(std::int32_t LayerX, std::int32_t LayerY, float Angle, std::int32_t LayerZ);
    // A GL string of this view's context, read under Lock.
    std::string ContextString(unsigned name);
    int ClientWidth() const;
    int ClientHeight() const;

    // Draws the frames of one turning layer from 360 down to 270 degrees, or from 0 up to 90.
    void AnimateLayer(std::int32_t LayerX, std::int32_t LayerY, std::int32_t LayerZ, bool clockwise,
                      float step);
    void StopThreads();
    // Tries to turn a layer from the current press; from MouseMove only.
    void DragTurn(std::int32_t X, std::int32_t Y);
    // The drag distance in pixels beyond which a press on a sticker turns a layer.
    std::int32_t DragTurnThreshold() const;

    std::unique_ptr<TCubeEventFilter> EventFilter;
    // The window's client size, kept here for the drawing threads (widgets belong to the UI thread).
    std::atomic<int> Width{0}, Height{0};
};
