#pragma once
// The rendering-context service: drawing surfaces on windows, pixel formats and GL rendering contexts,
// over GLX on a connection of its own. Every GLX and Xlib call of the program lives behind this header.
//
// Rules that hold for every thread:
//  - a context is current on at most one thread; activating it elsewhere is refused;
//  - activations nest per thread: each ActivateGLContext needs one DeactivateGLContext, and a nested
//    activation must name the surface and context that are already current;
//  - a context can only be deleted by a thread that has nothing active;
//  - the contexts of one pixel format share one GL context, with its lists, textures and state: an
//    activation waits while another thread has one of them active, and state that differs between
//    surfaces (viewport, lights) is set again by each activation that draws.
// One process-wide lock guards the list of contexts that are current somewhere; the activation count
// of a thread is its own.

#include <cstdint>
#include <exception>
#include <functional>
#include <stdexcept>
#include <string>

struct TGLSurface;
struct TGLContext;
using HDC = TGLSurface*;
using HGLRC = TGLContext*;

// Failures of the platform's context calls; the message is the text the user sees.
class EOpenGLException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A broken calling rule (unbalanced or incoherent activations); the message says which.
class EAssertionFailed : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

enum TContextOption : unsigned {
    opDoubleBuffered = 1u << 0,
    opStereo = 1u << 2,
};
using TContextOptions = unsigned;

// Makes the window system's client library safe for threads; first thing in main, before any
// toolkit or GL call.
void InitWindowSystemThreads();

// True when the GL and GLU libraries are present and the display speaks GLX.
bool LoadGLLibraries();
void UnloadGLLibraries();

// The drawing surface of a window: a child window of ParentWindow (a native window id; 0 for a
// top-level window of its own) that covers it and receives GL output. It selects no pointer or key
// input, so mouse events reach the window beneath. Raises EOpenGLException when there is no display.
HDC GetDC(std::uintptr_t ParentWindow, int Width, int Height);
void ReleaseDC(HDC Surface);
// Follows the size of the parent window's client area.
void ResizeDC(HDC Surface, int Width, int Height);
// Called on DispatchSurfaceEvents when part of the surface was uncovered and must be drawn again.
void SetExposeHandler(HDC Surface, std::function<void()> OnExpose);
// Handles pending window-system events of all surfaces (exposures) on the calling thread.
void DispatchSurfaceEvents();

// Chooses the pixel format closest to the request (RGBA, 32 depth bits where offered, else the
// deepest), gives it to the surface and creates a context for it. Palette receives nothing here
// (no palettes on true-colour displays) and may be null.
HGLRC CreateGLContext(HDC Surface, TContextOptions Options, int ColorBits, int StencilBits, int AccumBits,
                      int AuxBuffers, int Layer, void** Palette);
void ActivateGLContext(HDC Surface, HGLRC Context);
void DeactivateGLContext();
void DestroyGLContext(HGLRC Context);
void SwapBuffers(HDC Surface);

// A string of the context current on this thread (GL_VENDOR, GL_VERSION, ...); empty if none.
std::string CurrentGLString(unsigned name);

// The calling thread's activation depth (0 when nothing is current on it).
int ActivationCount();

// Keeps a context current on this thread for the guard's lifetime, so that an exception leaving the
// scope cannot leave it active.
class TGLActivation {
public:
    TGLActivation(HDC Surface, HGLRC Context) { ActivateGLContext(Surface, Context); }
    ~TGLActivation() noexcept(false) {
        // While another exception unwinds, a second one would terminate; the count is lowered first
        // inside DeactivateGLContext, so a failing release still leaves the thread balanced.
        if (std::uncaught_exceptions() > Uncaught) {
            try {
                DeactivateGLContext();
            } catch (...) {
            }
        } else {
            DeactivateGLContext();
        }
    }
    TGLActivation(const TGLActivation&) = delete;
    TGLActivation& operator=(const TGLActivation&) = delete;

private:
    int Uncaught = std::uncaught_exceptions();
};
