#pragma once
// The colour palette of paint mode, shown at the top of a game window: six panels of the face colours
// (U, R, F, D, L, B from left to right), the chosen colour, and on each panel how many stickers of
// its colour are still to be painted (a cube has nine of each).
//
// A click on a panel chooses its colour (TCubeColorEvent to the game window); a right click lets the
// user change the colour of that code in this game's view only.

#include "view/CubeSettings.h"

#include <QFrame>
#include <array>
#include <cstdint>

class QLabel;
class TCube3D;

// The colour as the toolkit draws it; system colours come from the desktop's palette.
QColor ToQColor(TColor color);

// One colour panel; its tag is the colour code it shows.
class TColorPanel : public QFrame {
    Q_OBJECT

public:
    TColorPanel(std::uint8_t Tag, QWidget* Parent);

    const std::uint8_t Tag;
    void SetColor(const QColor& Color);
    const QColor& ShownColor() const { return Color; }
    // The stickers of this colour still missing; negative for none shown.
    void SetMissing(int Missing);
    int Missing() const { return MissingCount; }

signals:
    void Clicked(TColorPanel* Panel);
    void RightClicked(TColorPanel* Panel);

protected:
    void mousePressEvent(QMouseEvent* Event) override;
    void contextMenuEvent(QContextMenuEvent* Event) override;
    void paintEvent(QPaintEvent* Event) override;

private:
    QColor Color;
    int MissingCount = -1;
};

class TFramePallete : public QFrame {
    Q_OBJECT

public:
    explicit TFramePallete(QWidget* Parent);

    // Stores the view, takes its colours, then chooses the U panel (nothing is sent while the frame
    // has no game window yet).
    void SetView(TCube3D* View);
    // Where the colour choices go.
    QWidget* Game = nullptr;

    // Each panel, and the chosen colour, take the view's colour of their code (after the game's
    // settings changed them too).
    void UpdateColors();
    // Each panel shows how many stickers of its colour the cube still lacks.
    void UpdateCounts();

    void PanelColorClick(TColorPanel* Sender);
    void CustomizeColor(TColorPanel* Sender);

    QFrame* PanelOrientation = nullptr;
    QLabel* Label1 = nullptr;
    QFrame* PanelFaceColors = nullptr;
    // In the order of the screen: U, R, F, D, L, B.
    std::array<TColorPanel*, 6> Panels{};
    QLabel* PanelSelectedColor = nullptr;
    std::uint8_t SelectedTag = 0;

private:
    void ShowSelectedColor();

    TCube3D* View = nullptr;
};
