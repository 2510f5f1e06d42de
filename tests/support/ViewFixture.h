#pragma once
// The start of every drawing test: a window of the given size on the display and, in it, a view of a
// clean 3x3x3 cube in play mode with the built-in settings; and the frames it draws, read back.

#include "view/Cube3D.h"

#include <QTest>
#include <QWidget>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace testsupport {

// Null when GL or the window is not there. Configure changes the settings, and BeforeInit (if given) the
// view, before the view starts.
inline std::unique_ptr<TCube3D> StartView(QWidget& Window, int Side,
                                          const std::function<void(tCubeSettings&)>& Configure,
                                          std::uint8_t SizeIndex = 1,
                                          const std::function<void(TCube3D&)>& BeforeInit = {}) {
    if (!LoadGLLibraries()) {
        return nullptr;
    }
    Window.resize(Side, Side);
    Window.show();
    if (!QTest::qWaitForWindowExposed(&Window)) {
        return nullptr;
    }
    auto view = std::make_unique<TCube3D>(&Window, &Window, SizeIndex);
    view->ChangeCube([](TRubikCube& Cube) { Cube.Clean(); });
    view->SetMode(1);
    tCubeSettings settings = BuiltInSettings;
    Configure(settings);
    view->ApplySettings(settings);
    if (BeforeInit) {
        BeforeInit(*view);
    }
    view->Init();
    return view;
}

// Changes the view's settings as the windows do, and serves the UI thread until they are in place
// (the view has carried out every move and command queued so far).
inline void Apply(TCube3D& View, const std::function<void(tCubeSettings&)>& Change, bool Rebuild = false) {
    tCubeSettings settings = View.GetSettings();
    Change(settings);
    View.ApplySettings(settings, {}, Rebuild);
    ASSERT_TRUE(QTest::qWaitFor([&] { return View.MovesFinished(); }, 60000));
}

struct TPixel {
    int r = 0, g = 0, b = 0;
};

// A frame as the view drew it.
struct TFrame {
    int Width = 0, Height = 0;
    std::vector<std::uint8_t> Bytes; // RGBA, bottom row first

    // The pixel at window coordinates (x right, y down).
    TPixel At(int x, int y) const {
        const std::size_t i =
            (static_cast<std::size_t>(Height - 1 - y) * Width + static_cast<std::size_t>(x)) * 4;
        return {Bytes[i], Bytes[i + 1], Bytes[i + 2]};
    }
    // The pixel at normalised coordinates (x right, y up, -1 to 1).
    TPixel AtNdc(double x, double y) const {
        return At(std::clamp(static_cast<int>((x + 1) / 2 * Width), 0, Width - 1),
                  std::clamp(static_cast<int>((1 - y) / 2 * Height), 0, Height - 1));
    }
};

// The view's next frame, with the layer at LayerY (if any) turned by Angle degrees.
inline TFrame Capture(TCube3D& View, std::int32_t LayerY = NoLayer, float Angle = 0) {
    TFrame f;
    f.Bytes = View.CaptureFrame(f.Width, f.Height, NoLayer, LayerY, Angle, NoLayer);
    EXPECT_EQ(f.Bytes.size(), static_cast<std::size_t>(f.Width * f.Height * 4));
    return f;
}

} // namespace testsupport
