// The rendering-context service's rules on a real GLX context: one thread at a time, nesting, and
// the guard's release when an exception passes through; and views that share the context.
#include "support/StickerPixels.h"
#include "support/ViewFixture.h"
#include "view/OpenGL.h"

#include <atomic>
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

// All views draw with one context. Whichever view drew last, each frame and each pick has the view's
// own size and lights; views drawing on two threads at once take turns.
TEST(Context, ViewsSharingItDrawAndPickWithTheirOwnSizeAndLights) {
    QWidget small, big;
    const auto unlit = testsupport::StartView(small, 160, [](tCubeSettings& s) { s.Lighting = false; });
    const auto lit = testsupport::StartView(big, 320, [](tCubeSettings&) {});
    ASSERT_TRUE(unlit && lit);
    constexpr int Centre = 4; // of the face in front, blue
    const QPoint at = testsupport::VisibleStickerPixel(*unlit, Centre, 160, 160).value_or(QPoint());
    std::atomic<bool> done = false;
    std::thread other([&] {
        while (!done) {
            int w = 0, h = 0;
            static_cast<void>(lit->CaptureFrame(w, h, NoLayer, NoLayer, 0, NoLayer));
            static_cast<void>(lit->PickSticker(10, 10));
        }
    });
    for (int round = 0; round < 20; ++round) {
        testsupport::TFrame f = testsupport::Capture(*unlit);
        const testsupport::TPixel p = f.At(at.x(), at.y());
        EXPECT_EQ(std::tuple(f.Width, f.Height, p.r, p.g, p.b), std::tuple(160, 160, 0, 0, 0xFF)) << round;
        EXPECT_EQ(unlit->PickSticker(at.x(), at.y()), Centre) << round;
    }
    done = true;
    other.join();
    const testsupport::TFrame f = testsupport::Capture(*lit);
    const testsupport::TPixel p = f.At(at.x() * 2, at.y() * 2);
    EXPECT_NE(std::tuple(p.r, p.g, p.b), std::tuple(0, 0, 0xFF)) << "the lit view is lit";
}

} // namespace
