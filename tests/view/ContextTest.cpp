// The rendering-context service's rules, on real GLX contexts: nesting per thread and one thread per
// context.
#include "view/OpenGL.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <thread>

namespace {

// The message of what f raised, marked with the kind of exception.
std::string MessageOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const EAssertionFailed& e) {
        return std::string("assertion: ") + e.what();
    } catch (const EOpenGLException& e) {
        return e.what();
    }
    return "no exception";
}

// The same on a thread of its own.
std::string MessageOnAnotherThread(const std::function<void()>& f) {
    std::string message;
    std::thread([&] { message = MessageOf(f); }).join();
    return message;
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

TEST_F(ContextTest, AContextIsCurrentOnOneThreadAtATime) {
    Window w;
    ActivateGLContext(w.DC, w.RC);
    EXPECT_EQ(MessageOnAnotherThread([&] {
                  ActivateGLContext(w.DC, w.RC);
                  EXPECT_EQ(ActivationCount(), 0) << "a refused activation changes no count";
              }),
              "Rendering context already active in another thread.");
    EXPECT_EQ(MessageOnAnotherThread([&] { DestroyGLContext(w.RC); }),
              "Cannot delete rendering context. It is still in use by another thread.");
    DeactivateGLContext();
    // Released here, the other thread may have it, and draw with it.
    EXPECT_EQ(MessageOnAnotherThread([&] {
                  TGLActivation active(w.DC, w.RC);
                  EXPECT_EQ(ActivationCount(), 1);
              }),
              "no exception");
}

TEST_F(ContextTest, ActivationsNestAndTheGuardReleasesThemWhenAnExceptionPassesThrough) {
    Window w;
    EXPECT_EQ(MessageOf([&] {
                  TGLActivation active(w.DC, w.RC);
                  TGLActivation nested(w.DC, w.RC);
                  EXPECT_EQ(ActivationCount(), 2);
                  throw EOpenGLException("drawing failed");
              }),
              "drawing failed");
    EXPECT_EQ(ActivationCount(), 0);
    EXPECT_EQ(MessageOnAnotherThread([&] { TGLActivation active(w.DC, w.RC); }), "no exception")
        << "the context is free for another thread again";
    EXPECT_EQ(MessageOf([] { DeactivateGLContext(); }), "assertion: Unbalanced deactivation.");
}

} // namespace
