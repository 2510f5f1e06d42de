#include "app/FormAbout.h"

#include "app/Dialogs.h"
#include "app/FormMain.h"
#include "app/Version.h"
#include "view/Cube3D.h"
#include "view/SystemColors.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>

namespace {

// A label that acts as a link: blue, underlined, the hand cursor, and a handler for a click.
class TLinkLabel : public QLabel {
public:
    TLinkLabel(const QString& Text, QWidget* Parent, std::function<void()> onClick)
        : QLabel(Text, Parent), OnClick(std::move(onClick)) {
        QFont font = this->font();
        font.setUnderline(true);
        setFont(font);
        QPalette blue = palette();
        blue.setColor(QPalette::WindowText, Qt::blue);
        setPalette(blue);
        setCursor(Qt::PointingHandCursor);
    }

protected:
    void mouseReleaseEvent(QMouseEvent* Event) override {
        if (Event->button() == Qt::LeftButton && rect().contains(Event->position().toPoint())) {
            OnClick();
        }
    }

private:
    std::function<void()> OnClick;
};

QLabel* Label(const QString& Text, QWidget* Parent, int X, int Y, const QColor& Color = QColor()) {
    auto* label = new QLabel(Text, Parent);
    label->move(X, Y);
    if (Color.isValid()) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, Color);
        label->setPalette(palette);
    }
    return label;
}

QFrame* Line(QWidget* Parent, int Y) {
    auto* line = new QFrame(Parent);
    line->setFrameStyle(QFrame::HLine | QFrame::Raised);
    line->setGeometry(7, Y, 380, 2);
    return line;
}

} // namespace

TFormAbout::TFormAbout(QWidget* Owner) : QDialog(Owner) {
    setWindowTitle("About");
    setFixedSize(394, 271);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    QFont title("Tahoma");
    title.setBold(true);
    title.setPixelSize(21);
    const QString name = QApplication::applicationName();
    LabelTitleShadow = Label(name, this, 7, 7, Qt::gray);
    LabelTitleShadow->setFont(title);
    LabelTitle = Label(name, this, 5, 5, QColor(0, 0, 128));
    LabelTitle->setFont(title);
    Line(this, 40);
    LabelVersion = Label(QString("Version ") + TorvaneVersion, this, 8, 54);
    QFont bold("Tahoma");
    bold.setBold(true);
    LabelVersion->setFont(bold);
    StaticText7 = Label("Graphics powered by OpenGL", this, 8, 90, QColor(0, 0, 128));
    StaticText9 = Label("Sounds powered by OpenAL", this, 8, 110, QColor(0, 0, 128));
    StaticTextURL = new TLinkLabel(WebSite, this, [this] { StaticTextURLClick(); });
    StaticTextURL->move(8, 150);
    StaticText3 = Label("Technical Support :", this, 8, 180);
    StaticTextSupportMail = new TLinkLabel(SupportMail, this, [this] { StaticTextSupportMailClick(); });
    StaticTextSupportMail->move(8, 198);
    Line(this, 250);

    PanelPreview = new QWidget(this);
    PanelPreview->setObjectName("PanelPreview");
    PanelPreview->setGeometry(202, 54, 185, 185);
    Preview = std::make_unique<TCube3D>(this, PanelPreview, 1);
    Preview->ChangeCube([](TRubikCube& Cube) { Cube.Clean(); });
    tCubeSettings settings = BuiltInSettings;
    settings.BackgroundColor = clBtnFace; // the preview sits on the dialog's own face
    Preview->ApplySettings(settings);
    Preview->SetMode(1);

    if (Owner) {
        // Centred on the main window.
        const QPoint centre = Owner->mapToGlobal(Owner->rect().center());
        move(centre - QPoint(width() / 2, height() / 2));
    }
}

TFormAbout::~TFormAbout() {
    Preview.reset(); // stops its spinning before the panel goes
}

void TFormAbout::showEvent(QShowEvent* Event) {
    QDialog::showEvent(Event);
    if (!Preview->HasContext()) { // the first time it is shown
        try {
            Preview->Init();
            Preview->SetAutoRotate(true);
        } catch (const std::exception& e) {
            ShowMessageBox("About", e.what(), TMessageIcon::Error);
        }
    }
}

void TFormAbout::StaticTextURLClick() {
    OpenDesktopAddress(StaticTextURL->text().toStdString());
}

void TFormAbout::StaticTextSupportMailClick() {
    OpenDesktopAddress("mailto:" + StaticTextSupportMail->text().toStdString());
}
