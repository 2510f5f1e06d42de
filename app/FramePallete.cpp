#include "app/FramePallete.h"

#include "app/Dialogs.h"
#include "view/Cube3D.h"
#include "view/CubeMessages.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <mutex>

namespace {

constexpr std::array<std::uint8_t, 6> PanelTags = {0, 2, 1, 5, 4, 3}; // U R F D L B
constexpr int PanelStep = 36;

} // namespace

QColor ToQColor(TColor color) {
    const TRGB c = TCube3D::ColorToGL(color);
    return QColor::fromRgbF(static_cast<float>(c.Red), static_cast<float>(c.Green),
                            static_cast<float>(c.Blue));
}

TColorPanel::TColorPanel(std::uint8_t tag, QWidget* Parent) : QFrame(Parent), Tag(tag) {
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(2);
    setFixedSize(33, 25);
    setCursor(ScreenCursor(2)); // the pipette
}

void TColorPanel::SetColor(const QColor& color) {
    Color = color;
    update();
}

void TColorPanel::SetMissing(int Missing) {
    MissingCount = Missing;
    update();
}

void TColorPanel::mousePressEvent(QMouseEvent* Event) {
    if (Event->button() == Qt::LeftButton) {
        emit Clicked(this);
    }
}

void TColorPanel::contextMenuEvent(QContextMenuEvent* Event) {
    emit RightClicked(this);
    Event->accept(); // no popup menu
}

void TColorPanel::paintEvent(QPaintEvent* Event) {
    {
        QPainter painter(this);
        painter.fillRect(contentsRect(), Color);
        if (MissingCount >= 0) {
            // The count in black or white, whichever stands out on the panel's colour.
            painter.setPen(qGray(Color.rgb()) > 128 ? Qt::black : Qt::white);
            QFont font = painter.font();
            font.setBold(true);
            painter.setFont(font);
            painter.drawText(contentsRect(), Qt::AlignCenter, QString::number(MissingCount));
        }
    }
    QFrame::paintEvent(Event);
}

TFramePallete::TFramePallete(QWidget* Parent) : QFrame(Parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    PanelOrientation = new QFrame(this);
    PanelOrientation->setObjectName("PanelOrientation");
    PanelOrientation->setFrameStyle(QFrame::Panel | QFrame::Raised);
    layout->addWidget(PanelOrientation);
    Label1 = new QLabel("Click to select or right click to customize.", PanelOrientation);
    Label1->setObjectName("Label1");
    Label1->move(6, 7);
    Label1->adjustSize();
    PanelFaceColors = new QFrame(PanelOrientation);
    PanelFaceColors->setObjectName("PanelFaceColors");
    PanelFaceColors->setGeometry(6, 27, 213, 25);
    const char* names[] = {"PanelColorU", "PanelColorR", "PanelColorF",
                           "PanelColorD", "PanelColorL", "PanelColorB"};
    for (std::size_t i = 0; i < Panels.size(); ++i) {
        auto* panel = new TColorPanel(PanelTags[i], PanelFaceColors);
        panel->setObjectName(names[i]);
        panel->move(static_cast<int>(i) * PanelStep, 0);
        connect(panel, &TColorPanel::Clicked, this, &TFramePallete::PanelColorClick);
        connect(panel, &TColorPanel::RightClicked, this, &TFramePallete::CustomizeColor);
        Panels[i] = panel;
    }
    PanelSelectedColor = new QLabel("Selected", PanelOrientation);
    PanelSelectedColor->setObjectName("PanelSelectedColor");
    PanelSelectedColor->setAlignment(Qt::AlignCenter);
    PanelSelectedColor->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    PanelSelectedColor->setAutoFillBackground(true);
    PanelSelectedColor->setFixedWidth(52);
    auto* inner = new QHBoxLayout(PanelOrientation);
    inner->setContentsMargins(2, 2, 2, 2);
    inner->addStretch(1);
    inner->addWidget(PanelSelectedColor);
    // The hint and the colours are placed by hand: the layout learns their width from here.
    const int placed = std::max(Label1->geometry().right(), PanelFaceColors->geometry().right()) + 1;
    const QMargins margins = inner->contentsMargins();
    PanelOrientation->setMinimumWidth(placed + inner->spacing() + PanelSelectedColor->width() +
                                      2 * PanelOrientation->frameWidth() + margins.left() + margins.right());
}

void TFramePallete::SetView(TCube3D* view) {
    View = view;
    UpdateColors();
    PanelColorClick(Panels[0]);
}

void TFramePallete::UpdateColors() {
    if (!View) {
        return;
    }
    for (TColorPanel* panel : Panels) {
        panel->SetColor(ToQColor(View->GetSettings().FaceColors[panel->Tag]));
    }
    ShowSelectedColor();
}

void TFramePallete::ShowSelectedColor() {
    if (!View) {
        return;
    }
    QPalette palette = PanelSelectedColor->palette();
    const QColor color =
        ToQColor(View->GetSettings().FaceColors[View->GetPaintColor() < 7 ? View->GetPaintColor() : NoColor]);
    palette.setColor(QPalette::Window, color);
    palette.setColor(QPalette::WindowText, qGray(color.rgb()) > 128 ? Qt::black : Qt::white);
    PanelSelectedColor->setPalette(palette);
}

void TFramePallete::UpdateCounts() {
    if (!View) {
        return;
    }
    std::array<int, 7> painted{};
    View->ChangeCube([&](TRubikCube& cube) {
        for (const auto& face : cube.GetState().Cubies) {
            for (const TCubie& sticker : face) {
                ++painted[sticker.Color < 7 ? sticker.Color : NoColor];
            }
        }
    });
    for (TColorPanel* panel : Panels) {
        panel->SetMissing(View->CubeFaceArea() - painted[panel->Tag]);
    }
}

void TFramePallete::PanelColorClick(TColorPanel* Sender) {
    if (Game) {
        TCubeColorEvent event(Sender->Tag);
        QCoreApplication::sendEvent(Game, &event);
    }
    SelectedTag = Sender->Tag;
    ShowSelectedColor();
}

void TFramePallete::CustomizeColor(TColorPanel* Sender) {
    if (!View) {
        return;
    }
    TColor color = View->GetSettings().FaceColors[Sender->Tag];
    if (AskColor(color)) {
        Sender->SetColor(ToQColor(color));
        // In order with the turns queued before, like any change of the game's look.
        tCubeSettings settings = View->GetSettings();
        settings.FaceColors[Sender->Tag] = color;
        View->ApplySettings(settings); // redraws once the colour is in place
        PanelColorClick(Sender);
    } else {
        View->Refresh(); // where the dialog covered the cube
    }
}
