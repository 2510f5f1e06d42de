// The rendering-context service's rules, on real GLX contexts: nesting per thread, one thread per
// context, and the exact texts of every refusal.
#include "view/OpenGL.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <thread>

namespace {

// Runs f and gives the message of the exception it raised, with the exception's kind.
template <typename Exception>
std::string MessageOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const Exception& e) {
        return e.what();
    } catch (const std::exception& e) {
        return std::string("wrong kind: ") + e.what();
    }
    return "no exception";
}

struct Window {
    HDC DC = GetDC(0, 64, 64);
    HGLRC RC = CreateGLContext(DC, opDoubleBuffered, 32, 0, 0, 0, 0, nullptr);
    ~Window() {
        DestroyGLContext(RC);
        ReleaseDC(DC);
    }
};

class ContextTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(LoadGLLibraries()); }
    void TearDown() override { EXPECT_EQ(ActivationCount(), 0) << "a test left a context active"; }
};

TEST_F(ContextTest, ActivationsNestAndMustBalance) {
    Window w;
    ActivateGLContext(w.DC, w.RC);
    ActivateGLContext(w.DC, w.RC);
    EXPECT_EQ(ActivationCount(), 2);
    DeactivateGLContext();
    EXPECT_EQ(ActivationCount(), 1);
    DeactivateGLContext();
    EXPECT_EQ(ActivationCount(), 0);
    EXPECT_EQ(MessageOf<EAssertionFailed>([] { DeactivateGLContext(); }), "Unbalanced deactivation.");
}

TEST_F(ContextTest, RefusalsCarryTheirTexts) {
    Window a, b;
    EXPECT_EQ(MessageOf<EAssertionFailed>([&] { ActivateGLContext(nullptr, a.RC); }), "DC must not be 0");
    EXPECT_EQ(MessageOf<EAssertionFailed>([&] { ActivateGLContext(a.DC, nullptr); }), "RC must not be 0");
    EXPECT_EQ(ActivationCount(), 0);

    ActivateGLContext(a.DC, a.RC);
    EXPECT_EQ(MessageOf<EAssertionFailed>([&] { ActivateGLContext(a.DC, b.RC); }), "Incoherent DC/RC pair.");
    EXPECT_EQ(MessageOf<EAssertionFailed>([&] { ActivateGLContext(b.DC, a.RC); }), "Incoherent DC/RC pair.");
    EXPECT_EQ(MessageOf<EAssertionFailed>([&] { DestroyGLContext(b.RC); }),
              "Active contexts cannot be deleted.");
    EXPECT_EQ(ActivationCount(), 1);
    DeactivateGLContext();

    EXPECT_EQ(MessageOf<EOpenGLException>([&] { DestroyGLContext(nullptr); }), "wglDeleteContext failed");
    EXPECT_EQ(MessageOf<EOpenGLException>(
                  [&] { CreateGLContext(nullptr, opDoubleBuffered, 32, 0, 0, 0, 0, nullptr); }),
              "There is no drawing surface for the rendering context.");
    HDC surface = GetDC(0, 32, 32);
    EXPECT_EQ(MessageOf<EOpenGLException>(
                  [&] { CreateGLContext(surface, opDoubleBuffered, 32, 300, 0, 0, 0, nullptr); }),
              "A pixel format buffer size does not fit in a byte.");
    // An overlay plane that the display does not offer.
    EXPECT_EQ(MessageOf<EOpenGLException>(
                  [&] { CreateGLContext(surface, opDoubleBuffered, 32, 0, 0, 0, 7, nullptr); }),
              "No pixel format matches the requested one.");
    // A surface that never got a pixel format cannot be made current with someone else's context.
    EXPECT_EQ(MessageOf<EOpenGLException>([&] { ActivateGLContext(surface, a.RC); }),
              "wglMakeCurrent failed");
    EXPECT_EQ(ActivationCount(), 0);
    ReleaseDC(surface);
}

TEST_F(ContextTest, AContextIsCurrentOnOneThreadAtATime) {
    Window w;
    ActivateGLContext(w.DC, w.RC);
    std::string refused, deleteRefused;
    int countThere = -1;
    std::thread other([&] {
        refused = MessageOf<EOpenGLException>([&] { ActivateGLContext(w.DC, w.RC); });
        countThere = ActivationCount();
        deleteRefused = MessageOf<EOpenGLException>([&] { DestroyGLContext(w.RC); });
    });
    other.join();
    EXPECT_EQ(refused, "Rendering context already active in another thread.");
    EXPECT_EQ(countThere, 0) << "a refused activation changes no count";
    EXPECT_EQ(deleteRefused, "Cannot delete rendering context. It is still in use by another thread.");
    DeactivateGLContext();

    // Released here, the other thread may have it, and draw with it.
    bool drew = false;
    std::thread later([&] {
        ActivateGLContext(w.DC, w.RC);
        drew = ActivationCount() == 1;
        DeactivateGLContext();
    });
    later.join();
    EXPECT_TRUE(drew);
}

TEST_F(ContextTest, GuardReleasesTheContextWhenAnExceptionPassesThrough) {
    Window w;
    try {
        TGLActivation active(w.DC, w.RC);
        TGLActivation nested(w.DC, w.RC);
        EXPECT_EQ(ActivationCount(), 2);
        throw std::runtime_error("drawing failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(ActivationCount(), 0);
    // And the context is free for another thread again.
    std::string result = "not run";
    std::thread other(
        [&] { result = MessageOf<EOpenGLException>([&] { TGLActivation active(w.DC, w.RC); }); });
    other.join();
    EXPECT_EQ(result, "no exception");
}

} // namespace
