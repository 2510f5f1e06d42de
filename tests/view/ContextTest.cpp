// The rendering-context service's rules on a real GLX context: one thread at a time, nesting, and
// the guard's release when an exception passes through.
#include "view/OpenGL.h"

#include <functional>
#include <gtest/gtest.h>
#include <thread>

namespace {

// Whether f, run on a thread of its own, was refused and left nothing active there.
bool RefusedOnAnotherThread(const std::function<void()>& f) {
    bool refused = false;
    std::thread([&] {
        try {
            f();
        } catch (const EOpenGLException&) {
            refused = ActivationCount() == 0;
        }
    }).join();
    return refused;
}

TEST(Context, IsCurrentOnOneThreadAtATimeAndTheGuardReleasesItWhenAnExceptionPassesThrough) {
    ASSERT_TRUE(LoadGLLibraries());
    HDC dc = GetDC(0, 64, 64);
    HGLRC rc = CreateGLContext(dc, opDoubleBuffered, 32, 0, 0, 0, 0, nullptr);
    ActivateGLContext(dc, rc);
    EXPECT_TRUE(RefusedOnAnotherThread([&] { ActivateGLContext(dc, rc); }));
    EXPECT_TRUE(RefusedOnAnotherThread([&] { DestroyGLContext(rc); }));
    DeactivateGLContext();

    EXPECT_THROW(
        {
            TGLActivation active(dc, rc);
            TGLActivation nested(dc, rc);
            EXPECT_EQ(ActivationCount(), 2);
            throw EOpenGLException("drawing failed");
        },
        EOpenGLException);
    EXPECT_EQ(ActivationCount(), 0);
    EXPECT_FALSE(RefusedOnAnotherThread([&] { TGLActivation active(dc, rc); }))
        << "released, the context is free for another thread";
    EXPECT_THROW(DeactivateGLContext(), EAssertionFailed) << "an unbalanced release";
    DestroyGLContext(rc);
    ReleaseDC(dc);
}

} // namespace
