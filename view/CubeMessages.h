#pragma once
// What a view tells the game window that owns it. The events are sent synchronously
// (QCoreApplication::sendEvent): the call returns once the window has handled them.

#include <QCursor>
#include <QEvent>
#include <cstdint>
#include <string>

enum class TMouseButton : std::uint8_t { Left = 0, Right = 1, Middle = 2 };

inline constexpr int WM_CUBEMOVES = 0x8514;
inline constexpr int WM_CUBECOLOR = 0x8515;
inline constexpr int WM_CUBEPOPUP = 0x8516;

// A mouse turn: the move text to play, recorded.
class TCubeMovesEvent : public QEvent {
public:
    explicit TCubeMovesEvent(std::string moves) : QEvent(Type(WM_CUBEMOVES)), Moves(std::move(moves)) {}
    const std::string Moves;
};

// A right click without a drag, in client pixels of the view's window: the popup menu's place.
class TCubePopupEvent : public QEvent {
public:
    TCubePopupEvent(std::int32_t x, std::int32_t y) : QEvent(Type(WM_CUBEPOPUP)), X(x), Y(y) {}
    const std::int32_t X, Y;
};

// The palette's choice of paint colour (a colour code 0..6).
class TCubeColorEvent : public QEvent {
public:
    explicit TCubeColorEvent(std::uint8_t color) : QEvent(Type(WM_CUBECOLOR)), Color(color) {}
    const std::uint8_t Color;
};

// The process's own cursors by number, loaded by the main window at start-up: 1 is the bucket of paint
// mode, 2 the pipette. A number never set gives the arrow.
void SetScreenCursor(int Index, const QCursor& Cursor);
QCursor ScreenCursor(int Index);
