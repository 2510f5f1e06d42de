// Picking by re-drawing the cube in GL selection mode, and the game window's mouse handlers.
#include "model/Notation.h"
#include "view/Cube3D.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <QCoreApplication>
#include <QCursor>
#include <array>
#include <cmath>
#include <cstdlib>
#include <map>
#include <mutex>

namespace {

constexpr double NearPlane = 1.0;
constexpr double FarPlane = 40.0 * 32.0;
constexpr GLsizei SelectWords = 64;

// One per thread: GL writes the hits into it, and they are read after the context is released. One
// word more than GL is given, as a guard.
std::array<GLuint, SelectWords + 1>& SelectBuffer() {
    thread_local std::array<GLuint, SelectWords + 1> buffer;
    return buffer;
}

// The name of the nearest hit among Hits records, or -1 when there are none. Records are walked by
// their own name counts and never past the part of the buffer GL was given.
std::int64_t NearestHit(GLint Hits) {
    const auto& buffer = SelectBuffer();
    std::int64_t best = -1;
    GLuint bestDepth = 0;
    std::size_t at = 0;
    for (GLint hit = 0; hit < Hits; ++hit) {
        if (at + 3 > static_cast<std::size_t>(SelectWords)) {
            break;
        }
        const GLuint names = buffer[at];
        const GLuint depth = buffer[at + 1];
        if (names > 0 && at + 3 + names <= static_cast<std::size_t>(SelectWords) &&
            (best < 0 || depth < bestDepth)) {
            best = buffer[at + 3 + names - 1];
            bestDepth = depth;
        }
        at += 3 + names;
    }
    return best;
}

struct TScreenCursors {
    std::mutex Lock;
    std::map<int, QCursor> Cursors;
};

TScreenCursors& ScreenCursors() {
    static TScreenCursors cursors;
    return cursors;
}

} // namespace

void SetScreenCursor(int Index, const QCursor& Cursor) {
    TScreenCursors& cursors = ScreenCursors();
    std::lock_guard lock(cursors.Lock);
    cursors.Cursors[Index] = Cursor;
}

QCursor ScreenCursor(int Index) {
    TScreenCursors& cursors = ScreenCursors();
    std::lock_guard lock(cursors.Lock);
    const auto found = cursors.Cursors.find(Index);
    return found == cursors.Cursors.end() ? QCursor(Qt::ArrowCursor) : found->second;
}

std::int32_t TCube3D::PickSticker(std::int32_t X, std::int32_t Y) {
    if (RC == nullptr) {
        return -1;
    }
    GLint hits = 0;
    {
        std::lock_guard lock(Lock);
        auto& buffer = SelectBuffer();
        buffer.fill(0xFFFFFFFFu);
        TGLActivation active(DC, RC);
        glSelectBuffer(SelectWords, buffer.data());
        // This view's own viewport: the shared context keeps whichever view drew last.
        GLint viewport[4] = {0, 0, ClientWidth(), ClientHeight()};
        glViewport(0, 0, ClientWidth(), ClientHeight());
        glRenderMode(GL_SELECT);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPickMatrix(X, viewport[3] - Y, 2.0, 2.0, viewport);
        gluPerspective(VerticalFieldOfView(), AspectRatio(), NearPlane, FarPlane);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        DrawCube(NoLayer, NoLayer, TRenderMode::Select, 0, NoLayer);
        hits = glRenderMode(GL_RENDER);
    }
    if (hits <= 0) {
        return -1; // nothing, or more hits than the buffer holds
    }
    const std::int64_t name = NearestHit(hits);
    if (name < 0 || name == NoSticker) {
        return -1;
    }
    return static_cast<std::int32_t>(name);
}

bool TCube3D::DecodeStickerName(std::int64_t Id, std::uint8_t& Face, std::int32_t& Index) const {
    if (Id < 0 || Id >= 6 * static_cast<std::int64_t>(Cube->FaceArea)) {
        return false;
    }
    Face = static_cast<std::uint8_t>(Id / Cube->FaceArea);
    Index = static_cast<std::int32_t>(Id % Cube->FaceArea);
    return true;
}

void TCube3D::MouseDown(TMouseButton Button, std::int32_t X, std::int32_t Y) {
    if (!Enabled || AutoRotate) {
        return;
    }
    if (Button == TMouseButton::Left) {
        ArcBall->MouseTo(static_cast<float>(X), static_cast<float>(Y));
        ArcBall->BeginDrag();
    }
    DownX = X;
    DownY = Y;
    DownSticker = Mode == 1 ? PickSticker(X, Y) : -1;
    MouseButton = static_cast<std::uint8_t>(Button);
    LastMouseX = X;
    LastMouseY = Y;
}

void TCube3D::MouseMove(std::int32_t X, std::int32_t Y) {
    if (!Enabled || AutoRotate) {
        return;
    }
    const std::int32_t id = PickSticker(X, Y);
    if (RenderWindow) {
        QCursor cursor(Qt::CrossCursor);
        if (Mode == 1) {
            if (id != -1) {
                cursor = QCursor(Qt::PointingHandCursor);
            }
        } else {
            std::uint8_t face = 0;
            std::int32_t index = 0;
            if (DecodeStickerName(id, face, index)) {
                cursor = CubeState().Cubies[face][index].Color == NoColor ? ScreenCursor(1)
                                                                          : QCursor(Qt::WhatsThisCursor);
            }
        }
        RenderWindow->setCursor(cursor);
    }
    switch (MouseButton) {
    case 0:
        if (DownSticker != -1) {
            DragTurn(X, Y);
        } else {
            ArcBall->MouseTo(static_cast<float>(X), static_cast<float>(Y));
        }
        break;
    case 1:
        EnvAzimuth.fetch_add(static_cast<float>(LastMouseX - X));
        EnvElevation.fetch_add(static_cast<float>(LastMouseY - Y));
        break;
    default:
        break;
    }
    LastMouseX = X;
    LastMouseY = Y;
    Draw();
}

std::int32_t TCube3D::DragTurnThreshold() const {
    const float distance = CubeDistance;
    if (!(distance > 0.0f)) {
        return static_cast<std::int32_t>(DragThreshold);
    }
    // Halves go to the even neighbour.
    return static_cast<std::int32_t>(std::nearbyint(DragThreshold * DefaultDistance / distance));
}

void TCube3D::DragTurn(std::int32_t X, std::int32_t Y) {
    DragMoves.clear();
    if (MouseButton != 0) {
        return;
    }
    const std::int32_t threshold = DragTurnThreshold();
    const std::int32_t dx = X - DownX, dy = Y - DownY;
    if (std::abs(dx) <= threshold && std::abs(dy) <= threshold) {
        return; // not far enough yet
    }
    MouseButton = 2; // one decision per press, whatever it is
    std::int32_t id = -1;
    for (int k = 0; k <= 8 && DragMoves.empty(); ++k) {
        id = PickSticker(X + k * dx, Y + k * dy);
        DragMoves = Cube->MoveFromStickerPair(DownSticker, id);
    }
    if (DragMoves.empty() && id == -1) {
        // The drag left the cube: the sticker behind the press decides, and the turn is inverted so
        // that its sense still follows the pointer.
        for (int k = 1; k <= 9 && DragMoves.empty(); ++k) {
            DragMoves = Cube->MoveFromStickerPair(DownSticker, PickSticker(X - k * dx, Y - k * dy));
        }
        if (!DragMoves.empty()) {
            DragMoves = InverseMove(DragMoves);
        }
    }
    if (!DragMoves.empty()) {
        DownSticker = -1;
        MouseButton = 2;
        if (Owner) {
            TCubeMovesEvent event(DragMoves);
            QCoreApplication::sendEvent(Owner, &event);
        }
    }
}

void TCube3D::MouseUp(TMouseButton Button, std::int32_t X, std::int32_t Y) {
    if (!Enabled || AutoRotate) {
        // A press that began before the view was switched off must still end, or the next move over
        // the window would go on turning the cube without a button held.
        if (Button == TMouseButton::Left && ArcBall) {
            ArcBall->EndDrag();
        }
        MouseButton = 2;
        DownSticker = -1;
        return;
    }
    const bool click = X == DownX && Y == DownY;
    if (Button == TMouseButton::Left) {
        ArcBall->EndDrag();
    } else if (Button == TMouseButton::Right && click && Owner) {
        TCubePopupEvent event(X, Y);
        QCoreApplication::sendEvent(Owner, &event);
    }
    MouseButton = 2;
    LastMouseX = X;
    LastMouseY = Y;
    DownSticker = -1;
    if (Mode == 0 && click) {
        std::uint8_t face = 0;
        std::int32_t index = 0;
        if (DecodeStickerName(PickSticker(X, Y), face, index)) {
            // In order with the moves queued before the click; the change redraws, so the user sees
            // the sticker change without moving the mouse.
            QueueChange([face, index, color = PaintColor](TRubikCube& cube) {
                std::uint8_t& sticker = cube.GetState().Cubies[face][index].Color;
                sticker = sticker == NoColor ? color : NoColor;
            });
        }
    }
}
