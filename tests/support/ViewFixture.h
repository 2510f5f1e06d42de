#pragma once
// The start of every drawing test: a window of the given size on the display and, in it, a view of a
// clean 3x3x3 cube in play mode with the built-in settings.

#include "view/Cube3D.h"

#include <QTest>
#include <QWidget>
#include <memory>

namespace testsupport {

// Null when GL or the window is not there.
inline std::unique_ptr<TCube3D> StartView(QWidget& Window, int Side) {
    if (!LoadGLLibraries()) {
        return nullptr;
    }
    Window.resize(Side, Side);
    Window.show();
    if (!QTest::qWaitForWindowExposed(&Window)) {
        return nullptr;
    }
    auto view = std::make_unique<TCube3D>(&Window, &Window, 1);
    view->Cube->Clean();
    view->Mode = 1;
    view->Settings = BuiltInSettings;
    view->Init();
    return view;
}

} // namespace testsupport
