#pragma once
// What the screen really shows of a widget: read back from the X server's root window, so a view that
// was never redrawn, or a native surface of the wrong size, shows as it would to the user.

#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace testsupport {

inline QImage OnScreen(const QWidget* Widget) {
    const QPoint at = Widget->mapToGlobal(QPoint(0, 0));
    return QApplication::primaryScreen()
        ->grabWindow(0, at.x(), at.y(), Widget->width(), Widget->height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

// Whether the middle of a cube view shows stickers: a good part of the pixels around its centre are
// bright and coloured, where an empty, black or collapsed view has none.
inline bool ShowsCube(const QImage& Image) {
    if (Image.width() < 20 || Image.height() < 20) {
        return false;
    }
    // The cube's size follows the shorter side (the view keeps its field of view).
    const int w = std::min(Image.width(), Image.height()) / 4, h = w;
    int bright = 0;
    for (int y = Image.height() / 2 - h; y < Image.height() / 2 + h; ++y) {
        for (int x = Image.width() / 2 - w; x < Image.width() / 2 + w; ++x) {
            const QRgb p = Image.pixel(x, y);
            bright += std::max({qRed(p), qGreen(p), qBlue(p)}) > 90 ? 1 : 0;
        }
    }
    return bright * 5 > (2 * w) * (2 * h);
}

} // namespace testsupport
