#include "view/OpenGL.h"

#include <algorithm>
#include <condition_variable>
#include <dlfcn.h>
#include <memory>
#include <mutex>
#include <set>
#include <vector>

// Xlib and GLX last: their macros (None, Bool, Status) clash with everything else.
#include <GL/glx.h>
#include <X11/Xlib.h>

struct TGLSurface {
    Window Parent = 0;
    Window Handle = 0; // 0 until a pixel format has been chosen
    // GL's own object for the window: it keeps its buffers from one activation to the next, where a
    // bare window's are made again each time the context is bound to it.
    GLXWindow Drawable = 0;
    Colormap Map = 0;
    int Width = 1, Height = 1;
    int ConfigId = 0; // the pixel format, 0 when none is set
    std::function<void()> OnExpose;
};

// A software renderer spends about 8 MB on every GLX context, so all rendering contexts of one pixel
// format share one: each activation takes it for its own surface and frees it at the end.
struct TSharedGLX {
    GLXContext Handle = nullptr;
    int ConfigId = 0;
    int Users = 0;     // rendering contexts made on it
    bool Busy = false; // current on some thread
};

struct TGLContext {
    TSharedGLX* Shared = nullptr;
    HDC Surface = nullptr;
};

namespace {

// Process-wide state of the service.
struct TService {
    std::mutex Lock;                                 // guards Current and Shared
    std::set<HGLRC> Current;                         // contexts current on some thread
    std::vector<std::unique_ptr<TSharedGLX>> Shared; // one per pixel format in use
    std::condition_variable Released;                // a shared context became free
    Display* Connection = nullptr;                   // opened once, kept for the process
    void* GLLibrary = nullptr;
    void* GLULibrary = nullptr;
    std::mutex SurfacesLock; // guards Surfaces
    std::set<HDC> Surfaces;
};

TService& Service() {
    static TService service;
    return service;
}

// What each thread remembers.
struct TThreadState {
    int Count = 0;
    HDC Surface = nullptr;
    HGLRC Context = nullptr;
};
thread_local TThreadState ThisThread;

// Xlib's default handler ends the process on any protocol error; a failed GL call must only fail.
int RecordXError(Display*, XErrorEvent*) {
    return 0;
}

Display* Connection() {
    TService& s = Service();
    std::lock_guard lock(s.SurfacesLock);
    if (s.Connection == nullptr) {
        XInitThreads(); // the move thread swaps and makes current on this connection too
        s.Connection = XOpenDisplay(nullptr);
        if (s.Connection) {
            XSetErrorHandler(RecordXError);
        }
    }
    return s.Connection;
}

Display* RequireConnection() {
    Display* d = Connection();
    if (d == nullptr) {
        throw EOpenGLException("Cannot open the X display.");
    }
    return d;
}

int Attribute(Display* d, GLXFBConfig config, int attribute) {
    int value = 0;
    glXGetFBConfigAttrib(d, config, attribute, &value);
    return value;
}

// The config the request is closest to: an exact colour match on a visual without alpha compositing
// (depth 24) before an ARGB one, then the deepest depth buffer up to 32, then the fewest extras.
GLXFBConfig ChooseConfig(Display* d, TContextOptions options, int colorBits, int stencil, int accum, int aux,
                         int layer) {
    const int channel = colorBits >= 32 ? 8 : colorBits >= 24 ? 8 : colorBits >= 16 ? 5 : 1;
    const int alpha = colorBits >= 32 ? 8 : 0;
    const int request[] = {GLX_X_RENDERABLE,
                           True,
                           GLX_DRAWABLE_TYPE,
                           GLX_WINDOW_BIT,
                           GLX_RENDER_TYPE,
                           GLX_RGBA_BIT,
                           GLX_X_VISUAL_TYPE,
                           GLX_TRUE_COLOR,
                           GLX_DOUBLEBUFFER,
                           (options & opDoubleBuffered) ? True : False,
                           GLX_STEREO,
                           (options & opStereo) ? True : False,
                           GLX_RED_SIZE,
                           channel,
                           GLX_GREEN_SIZE,
                           channel,
                           GLX_BLUE_SIZE,
                           channel,
                           GLX_ALPHA_SIZE,
                           alpha,
                           GLX_DEPTH_SIZE,
                           16,
                           GLX_STENCIL_SIZE,
                           stencil,
                           GLX_ACCUM_RED_SIZE,
                           accum / 4,
                           GLX_AUX_BUFFERS,
                           aux,
                           GLX_LEVEL,
                           layer,
                           0};
    int count = 0;
    GLXFBConfig* configs = glXChooseFBConfig(d, DefaultScreen(d), request, &count);
    if (configs == nullptr || count == 0) {
        if (configs) {
            XFree(configs);
        }
        return nullptr;
    }
    GLXFBConfig best = nullptr;
    long bestScore = -1;
    for (int i = 0; i < count; ++i) {
        XVisualInfo* vi = glXGetVisualFromFBConfig(d, configs[i]);
        if (vi == nullptr) {
            continue;
        }
        const int visualDepth = vi->depth;
        XFree(vi);
        const int depth = Attribute(d, configs[i], GLX_DEPTH_SIZE);
        const int extras = Attribute(d, configs[i], GLX_STENCIL_SIZE) +
                           Attribute(d, configs[i], GLX_SAMPLES) +
                           Attribute(d, configs[i], GLX_ACCUM_RED_SIZE);
        const bool slow = Attribute(d, configs[i], GLX_CONFIG_CAVEAT) == GLX_SLOW_CONFIG;
        const bool exactColor = Attribute(d, configs[i], GLX_RED_SIZE) == channel &&
                                Attribute(d, configs[i], GLX_ALPHA_SIZE) == alpha;
        const long score = (slow ? 0 : 1L << 24) + (exactColor ? 1L << 22 : 0) +
                           (visualDepth == 24 ? 1L << 20 : 0) + std::min(depth, 32) * 1024L +
                           (255 - std::min(extras, 255));
        if (score > bestScore) {
            bestScore = score;
            best = configs[i];
        }
    }
    XFree(configs);
    return best;
}

void DestroyWindow(Display* d, HDC surface) {
    if (surface->Drawable) {
        glXDestroyWindow(d, surface->Drawable);
        surface->Drawable = 0;
    }
    if (surface->Handle) {
        XDestroyWindow(d, surface->Handle);
        surface->Handle = 0;
    }
    if (surface->Map) {
        XFreeColormap(d, surface->Map);
        surface->Map = 0;
    }
}

// Gives the surface the chosen pixel format: on X a window's visual is fixed when it is created, so
// the surface's window is made (or made again) with the config's visual.
void SetPixelFormat(Display* d, HDC surface, GLXFBConfig config) {
    const int id = Attribute(d, config, GLX_FBCONFIG_ID);
    if (surface->Handle && surface->ConfigId == id) {
        return;
    }
    XVisualInfo* vi = glXGetVisualFromFBConfig(d, config);
    if (vi == nullptr) {
        throw EOpenGLException("The pixel format has no visual.");
    }
    DestroyWindow(d, surface);
    const bool topLevel = surface->Parent == 0;
    const Window parent = topLevel ? RootWindow(d, vi->screen) : surface->Parent;
    XSetWindowAttributes attributes{};
    attributes.colormap = surface->Map = XCreateColormap(d, RootWindow(d, vi->screen), vi->visual, AllocNone);
    attributes.border_pixel = 0;
    attributes.background_pixmap = 0; // no background: uncovered parts keep their pixels until redrawn
    attributes.event_mask = ExposureMask;
    surface->Handle =
        XCreateWindow(d, parent, 0, 0, static_cast<unsigned>(std::max(1, surface->Width)),
                      static_cast<unsigned>(std::max(1, surface->Height)), 0, vi->depth, InputOutput,
                      vi->visual, CWColormap | CWBorderPixel | CWBackPixmap | CWEventMask, &attributes);
    XFree(vi);
    surface->Drawable = glXCreateWindow(d, config, surface->Handle, nullptr);
    XMapWindow(d, surface->Handle);
    XSync(d, False);
    surface->ConfigId = id;
}

void MakeCurrent(Display* d, HDC surface, HGLRC context) {
    if (context && surface->Drawable == 0) {
        throw EOpenGLException("wglMakeCurrent failed"); // the surface never got a pixel format
    }
    const Bool ok =
        context ? glXMakeContextCurrent(d, surface->Drawable, surface->Drawable, context->Shared->Handle)
                : glXMakeContextCurrent(d, 0, 0, nullptr);
    if (!ok) {
        throw EOpenGLException("wglMakeCurrent failed");
    }
}

} // namespace

void InitWindowSystemThreads() {
    XInitThreads();
}

bool LoadGLLibraries() {
    TService& s = Service();
    if (s.GLLibrary && s.GLULibrary) {
        return true;
    }
    UnloadGLLibraries();
    s.GLLibrary = dlopen("libGL.so.1", RTLD_NOW | RTLD_LOCAL);
    s.GLULibrary = dlopen("libGLU.so.1", RTLD_NOW | RTLD_LOCAL);
    Display* d = Connection();
    int errorBase = 0, eventBase = 0;
    const bool glx = d != nullptr && glXQueryExtension(d, &errorBase, &eventBase);
    if (s.GLLibrary && s.GLULibrary && glx) {
        return true;
    }
    UnloadGLLibraries();
    return false;
}

void UnloadGLLibraries() {
    TService& s = Service();
    for (void** library : {&s.GLLibrary, &s.GLULibrary}) {
        if (*library) {
            dlclose(*library);
            *library = nullptr;
        }
    }
}

HDC GetDC(std::uintptr_t ParentWindow, int Width, int Height) {
    RequireConnection();
    auto surface = std::make_unique<TGLSurface>();
    surface->Parent = static_cast<Window>(ParentWindow);
    surface->Width = std::max(1, Width);
    surface->Height = std::max(1, Height);
    TService& s = Service();
    std::lock_guard lock(s.SurfacesLock);
    s.Surfaces.insert(surface.get());
    return surface.release(); // owned by the service's list until ReleaseDC
}

void ReleaseDC(HDC Surface) {
    if (Surface == nullptr) {
        return;
    }
    TService& s = Service();
    {
        std::lock_guard lock(s.SurfacesLock);
        if (s.Surfaces.erase(Surface) == 0) {
            return;
        }
    }
    std::unique_ptr<TGLSurface> owned(Surface);
    DestroyWindow(s.Connection, owned.get());
    XFlush(s.Connection);
}

void ResizeDC(HDC Surface, int Width, int Height) {
    if (Surface == nullptr) {
        return;
    }
    Surface->Width = std::max(1, Width);
    Surface->Height = std::max(1, Height);
    if (Surface->Handle) {
        Display* d = Service().Connection;
        XResizeWindow(d, Surface->Handle, static_cast<unsigned>(Surface->Width),
                      static_cast<unsigned>(Surface->Height));
        XFlush(d);
    }
}

void SetExposeHandler(HDC Surface, std::function<void()> OnExpose) {
    if (Surface) {
        std::lock_guard lock(Service().SurfacesLock); // DispatchSurfaceEvents reads it under this lock
        Surface->OnExpose = std::move(OnExpose);
    }
}

void DispatchSurfaceEvents() {
    TService& s = Service();
    Display* d = s.Connection;
    if (d == nullptr) {
        return;
    }
    std::vector<Window> exposed;
    while (XPending(d) > 0) {
        XEvent event;
        XNextEvent(d, &event);
        // One frame per uncovered window, however many pieces of it were exposed.
        if (event.type == Expose && event.xexpose.count == 0 &&
            std::find(exposed.begin(), exposed.end(), event.xexpose.window) == exposed.end()) {
            exposed.push_back(event.xexpose.window);
        }
    }
    for (Window w : exposed) {
        std::function<void()> handler;
        {
            std::lock_guard lock(s.SurfacesLock);
            for (HDC surface : s.Surfaces) {
                if (surface->Handle == w) {
                    handler = surface->OnExpose;
                }
            }
        }
        if (handler) {
            handler(); // outside the lock: the handler draws
        }
    }
}

HGLRC CreateGLContext(HDC Surface, TContextOptions Options, int ColorBits, int StencilBits, int AccumBits,
                      int AuxBuffers, int Layer, void** Palette) {
    if (Palette) {
        *Palette = nullptr;
    }
    if (Surface == nullptr) {
        throw EOpenGLException("There is no drawing surface for the rendering context.");
    }
    for (int count : {StencilBits, AccumBits, AuxBuffers}) {
        if (count < 0 || count > 255) {
            throw EOpenGLException("A pixel format buffer size does not fit in a byte.");
        }
    }
    if (!LoadGLLibraries()) {
        throw EOpenGLException("The OpenGL libraries are not loaded.");
    }
    Display* d = RequireConnection();
    GLXFBConfig config = ChooseConfig(d, Options, ColorBits, StencilBits, AccumBits, AuxBuffers, Layer);
    if (config == nullptr) {
        throw EOpenGLException("No pixel format matches the requested one.");
    }
    SetPixelFormat(d, Surface, config);
    TService& s = Service();
    std::lock_guard lock(s.Lock);
    auto shared = std::find_if(s.Shared.begin(), s.Shared.end(),
                               [&](const auto& glx) { return glx->ConfigId == Surface->ConfigId; });
    if (shared == s.Shared.end()) {
        auto glx = std::make_unique<TSharedGLX>();
        glx->Handle = glXCreateNewContext(d, config, GLX_RGBA_TYPE, nullptr, True);
        if (glx->Handle == nullptr) {
            throw EOpenGLException("The rendering context cannot be created.");
        }
        glx->ConfigId = Surface->ConfigId;
        shared = s.Shared.insert(s.Shared.end(), std::move(glx));
    }
    auto context = std::make_unique<TGLContext>();
    context->Shared = shared->get();
    context->Surface = Surface;
    ++context->Shared->Users;
    return context.release(); // freed by DestroyGLContext
}

void ActivateGLContext(HDC Surface, HGLRC Context) {
    if (Surface == nullptr) {
        throw EAssertionFailed("DC must not be 0");
    }
    if (Context == nullptr) {
        throw EAssertionFailed("RC must not be 0");
    }
    TThreadState& t = ThisThread;
    if (t.Count > 0) {
        if (t.Surface != Surface || t.Context != Context) {
            throw EAssertionFailed("Incoherent DC/RC pair.");
        }
        ++t.Count;
        return;
    }
    Display* d = RequireConnection();
    {
        TService& s = Service();
        std::unique_lock lock(s.Lock);
        if (s.Current.count(Context)) {
            throw EOpenGLException("Rendering context already active in another thread.");
        }
        // Another surface's frame holds the shared context for a moment; this thread holds none, so
        // the wait cannot close a circle.
        s.Released.wait(lock, [&] { return !Context->Shared->Busy; });
        MakeCurrent(d, Surface, Context);
        Context->Shared->Busy = true;
        s.Current.insert(Context);
    }
    t.Surface = Surface;
    t.Context = Context;
    ++t.Count;
}

void DeactivateGLContext() {
    TThreadState& t = ThisThread;
    if (t.Count <= 0) {
        throw EAssertionFailed("Unbalanced deactivation.");
    }
    if (--t.Count > 0) {
        return;
    }
    TService& s = Service();
    std::lock_guard lock(s.Lock);
    s.Current.erase(t.Context);
    t.Context->Shared->Busy = false;
    t.Surface = nullptr;
    t.Context = nullptr;
    s.Released.notify_all();
    MakeCurrent(s.Connection, nullptr, nullptr);
}

void DestroyGLContext(HGLRC Context) {
    if (ThisThread.Count != 0) {
        throw EAssertionFailed("Active contexts cannot be deleted.");
    }
    if (Context == nullptr) {
        throw EOpenGLException("wglDeleteContext failed");
    }
    TService& s = Service();
    std::lock_guard lock(s.Lock);
    // Deleting a context that another thread is drawing with would pull it from under that thread:
    // refuse before deleting rather than after.
    if (s.Current.count(Context)) {
        throw EOpenGLException("Cannot delete rendering context. It is still in use by another thread.");
    }
    std::unique_ptr<TGLContext> owned(Context);
    if (--owned->Shared->Users == 0) {
        glXDestroyContext(s.Connection, owned->Shared->Handle);
        std::erase_if(s.Shared, [&](const auto& glx) { return glx.get() == owned->Shared; });
    }
}

void SwapBuffers(HDC Surface) {
    if (Surface && Surface->Drawable) {
        glXSwapBuffers(Service().Connection, Surface->Drawable);
    }
}

std::string CurrentGLString(unsigned name) {
    const auto* text = reinterpret_cast<const char*>(glGetString(name));
    return text ? text : "";
}

int ActivationCount() {
    return ThisThread.Count;
}
