#include "app/SettingsDialogs.h"

#include "app/Dialogs.h"
#include "app/FramePallete.h"
#include "app/Settings.h"
#include "ini/IniFile.h"
#include "view/Cube3D.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QTabWidget>
#include <filesystem>
#include <mutex>

namespace {

constexpr int Margin = 8;
constexpr int ButtonWidth = 75, ButtonHeight = 25;
constexpr int PreviewLeft = 448;
constexpr std::array<std::uint8_t, 6> PanelTags = {0, 2, 1, 5, 4, 3}; // U R F D L B

QLabel* Caption(const QString& Text, QWidget* Parent, int X, int Y) {
    auto* label = new QLabel(Text, Parent);
    label->move(X, Y);
    return label;
}

QComboBox* List(const QString& Name, const QStringList& Items, QWidget* Parent, int X, int Y) {
    auto* list = new QComboBox(Parent);
    list->setObjectName(Name);
    list->addItems(Items);
    list->setEditable(false);
    list->setGeometry(X, Y, 150, 24);
    return list;
}

QCheckBox* Check(const QString& Name, const QString& Text, QWidget* Parent, int X, int Y) {
    auto* box = new QCheckBox(Text, Parent);
    box->setObjectName(Name);
    box->move(X, Y);
    box->adjustSize();
    return box;
}

QPushButton* Button(const QString& Name, const QString& Text, QWidget* Parent, int X, int Y) {
    auto* button = new QPushButton(Text, Parent);
    button->setObjectName(Name);
    button->setGeometry(X, Y, ButtonWidth, ButtonHeight);
    button->setAutoDefault(false);
    return button;
}

// A one-line panel in bold navy for what the preview's OpenGL says of itself.
QLabel* InfoPanel(const QString& Name, QWidget* Parent, int Y, int Width) {
    auto* panel = new QLabel(Parent);
    panel->setObjectName(Name);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setGeometry(PreviewLeft, Y, Width, 20);
    QFont font = panel->font();
    font.setBold(true);
    panel->setFont(font);
    QPalette palette = panel->palette();
    palette.setColor(QPalette::WindowText, QColor(0, 0, 128));
    panel->setPalette(palette);
    return panel;
}

} // namespace

TSettingsDialog::TSettingsDialog(QWidget* Owner, tCubeSettings& target, std::uint8_t SizeIndex,
                                 QString ProgramFolder, QSize ClientSize, int PageHeight)
    : QDialog(Owner), Folder(std::move(ProgramFolder)), Target(target) {
    setFixedSize(ClientSize);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    PageControl = new QTabWidget(this);
    PageControl->setObjectName("PageControl");
    PageControl->setGeometry(Margin, Margin, PreviewLeft - 2 * Margin, PageHeight);
    TabSheetCube = new QWidget();
    TabSheetCube->setObjectName("TabSheetCube");
    PageControl->addTab(TabSheetCube, "Cube");

    CheckBoxAnimateRotations =
        Check("CheckBoxAnimateRotations", "Animate rotation of slices on moves", TabSheetCube, 16, 16);
    CheckBoxSoundEnable = Check("CheckBoxSoundEnable", "Enable Sounds", TabSheetCube, 16, 44);
    CheckBoxLighting = Check("CheckBoxLighting", "Enable lighting", TabSheetCube, 16, 72);
    Caption("Environment", TabSheetCube, 16, 112);
    ComboBoxEnvironment = List("ComboBoxEnvironment", {"Color", "Panaromic"}, TabSheetCube, 170, 108);
    btnChangeEnviron = Button("btnChangeEnviron", "Change", TabSheetCube, 330, 107);
    Caption("Slice Rotation Speed", TabSheetCube, 16, 148);
    ComboBoxSliceRotationSpeed =
        List("ComboBoxSliceRotationSpeed", {"Slow", "Medium", "Fast"}, TabSheetCube, 170, 144);
    QLabel* stickerCaption = Caption("Sticker Type", TabSheetCube, 16, 184);
    ComboBoxStickerType = List("ComboBoxStickerType", {"Normal", "Texture"}, TabSheetCube, 170, 180);
    stickerCaption->hide();
    ComboBoxStickerType->hide();
    btnTest = Button("btnTest", "Test", TabSheetCube, 16, 184);

    const int previewWidth = ClientSize.width() - PreviewLeft - Margin;
    PanelVendor = InfoPanel("PanelVendor", this, Margin, previewWidth);
    PanelRenderer = InfoPanel("PanelRenderer", this, Margin + 22, previewWidth);
    PanelPreview = new QLabel("Loading...", this);
    PanelPreview->setObjectName("PanelPreview");
    PanelPreview->setAlignment(Qt::AlignCenter);
    PanelPreview->setAutoFillBackground(true);
    QPalette black = PanelPreview->palette();
    black.setColor(QPalette::Window, Qt::black);
    black.setColor(QPalette::WindowText, Qt::white);
    PanelPreview->setPalette(black);
    PanelPreview->setGeometry(PreviewLeft, Margin + 46, previewWidth, PageHeight - 46);

    btnClose = Button("btnClose", "Close", this, ClientSize.width() - Margin - ButtonWidth,
                      ClientSize.height() - Margin - ButtonHeight);

    Preview = std::make_unique<TCube3D>(this, PanelPreview, SizeIndex);
    Preview->ChangeCube([](TRubikCube& Cube) { Cube.Clean(); });
    Preview->SetMode(1); // play: the user may turn the preview's layers too

    connect(CheckBoxAnimateRotations, &QCheckBox::toggled, this,
            [this](bool On) { ChangePreview([On](tCubeSettings& S) { S.AnimateFaceRotations = On; }); });
    connect(CheckBoxSoundEnable, &QCheckBox::toggled, this,
            [this](bool On) { ChangePreview([On](tCubeSettings& S) { S.SoundsON = On; }); });
    connect(CheckBoxLighting, &QCheckBox::toggled, this,
            [this](bool On) { ChangePreview([On](tCubeSettings& S) { S.Lighting = On; }); });
    connect(ComboBoxEnvironment, &QComboBox::activated, this, &TSettingsDialog::EnvironmentChanged);
    connect(ComboBoxSliceRotationSpeed, &QComboBox::activated, this, [this](int Index) {
        if (SpeedChangesPreview) {
            ChangePreview([Index](tCubeSettings& S) { S.CubeFaceRotationSpeed = Index; });
        }
    });
    connect(ComboBoxStickerType, &QComboBox::activated, this, [this](int Index) {
        ChangePreview([Index](tCubeSettings& S) { S.StickerType = static_cast<std::uint8_t>(Index); });
    });
    connect(btnChangeEnviron, &QPushButton::clicked, this, &TSettingsDialog::btnChangeEnvironClick);
    connect(btnTest, &QPushButton::clicked, this, &TSettingsDialog::btnTestClick);
}

TSettingsDialog::~TSettingsDialog() {
    Preview.reset(); // its threads stop before the panel goes
}

void TSettingsDialog::SetControls(const tCubeSettings& Settings) {
    // Setting a check box fires its handler; the preview keeps what the user did in it before.
    SettingControls = true;
    CheckBoxAnimateRotations->setChecked(Settings.AnimateFaceRotations);
    ComboBoxSliceRotationSpeed->setCurrentIndex(std::clamp(Settings.CubeFaceRotationSpeed, 0, 2));
    ComboBoxStickerType->setCurrentIndex(Settings.StickerType < 2 ? Settings.StickerType : 0);
    CheckBoxLighting->setChecked(Settings.Lighting);
    ComboBoxEnvironment->setCurrentIndex(Settings.EnvironmentType < 2 ? Settings.EnvironmentType : 0);
    CheckBoxSoundEnable->setChecked(Settings.SoundsON);
    SettingControls = false;
}

void TSettingsDialog::ChangePreview(const std::function<void(tCubeSettings&)>& Change, bool Rebuild) {
    if (SettingControls) {
        return;
    }
    Change(Chosen);
    Preview->ApplySettings(Chosen, {}, Rebuild);
}

void TSettingsDialog::SetPreviewSettings(const tCubeSettings& Settings) {
    Chosen = Settings;
    Preview->ApplySettings(Chosen);
}

tCubeSettings TSettingsDialog::PreviewSettings() const {
    return Chosen;
}

void TSettingsDialog::EnvironmentChanged(int Index) {
    // Rebuilt even when nothing seems to change: the pictures may have changed on disk.
    ChangePreview([Index](tCubeSettings& S) { S.EnvironmentType = static_cast<std::uint8_t>(Index); }, true);
}

void TSettingsDialog::btnTestClick() {
    std::string moves;
    TRubikCube(Preview->CubeSizeIndex()).RandomMoves(5, moves);
    Preview->ExecuteMoves(moves, true, false, nullptr);
}

void TSettingsDialog::btnChangeEnvironClick() {
    if (ComboBoxEnvironment->currentIndex() == 0) {
        TColor color = Target.BackgroundColor;
        if (AskColor(color)) {
            Target.BackgroundColor = color;
            ChangePreview([color](tCubeSettings& S) { S.BackgroundColor = color; });
        }
    } else {
        const QString environments = QDir(Folder).filePath("Environment");
        const QFileInfo current(QString::fromStdString(Target.EnvironFile));
        const bool listed = current.isFile() && QDir(current.absolutePath()) == QDir(environments);
        std::string file;
        if (AskOpenFile("Environment", (listed ? current.absoluteFilePath() : environments).toStdString(),
                        "Torvane Environment (*.env)", file)) {
            Target.EnvironFile = file;
            ChangePreview([&file](tCubeSettings& S) { S.EnvironFile = file; });
        }
    }
    EnvironmentChanged(ComboBoxEnvironment->currentIndex());
}

bool TSettingsDialog::event(QEvent* Event) {
    if (static_cast<int>(Event->type()) == WM_CUBEMOVES) {
        // A turn made with the mouse on the preview: played, recorded nowhere.
        Preview->ExecuteMoves(static_cast<TCubeMovesEvent*>(Event)->Moves,
                              PreviewSettings().AnimateFaceRotations, false, nullptr);
        return true;
    }
    return QDialog::event(Event);
}

void TSettingsDialog::showEvent(QShowEvent* Event) {
    if (QWidget* owner = parentWidget(); owner != nullptr && !Event->spontaneous()) {
        QWidget* main = owner->window();
        move(main->geometry().center() - rect().center());
    }
    QDialog::showEvent(Event);
    if (!Preview->HasContext()) { // the first showing
        try {
            Preview->Init();
            PanelVendor->setText(QString::fromStdString(Preview->GetGLVendor()));
            PanelRenderer->setText(QString::fromStdString(Preview->GetGLRenderer()));
        } catch (const std::exception& e) {
            ShowMessageBox(windowTitle().toStdString(), e.what(), TMessageIcon::Error);
        }
    }
    Preview->SetAutoRotate(true);
}

void TSettingsDialog::hideEvent(QHideEvent* Event) {
    Preview->SetAutoRotate(false);
    QDialog::hideEvent(Event);
}

TFormDefaultSettings::TFormDefaultSettings(QWidget* Owner, tCubeSettings& defaults, TSettingsFiles files,
                                           QString ProgramFolder)
    : TSettingsDialog(Owner, defaults, 1, std::move(ProgramFolder), QSize(783, 343), 290), Defaults(defaults),
      Files(std::move(files)) {
    setObjectName("FormDefaultSettings");
    setWindowTitle("Default Settings");
    setWindowFlag(Qt::WindowStaysOnTopHint);
    btnSave = Button("btnSave", "Save", this, btnClose->x() - Margin - ButtonWidth, btnClose->y());
    connect(btnSave, &QPushButton::clicked, this, &TFormDefaultSettings::btnSaveClick);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::hide);

    LoadSettings();
    SetPreviewSettings(Defaults);
}

void TFormDefaultSettings::LoadSettings() {
    ::LoadSettings(Files.Read(), Defaults, Folder.toStdString());
}

void TFormDefaultSettings::showEvent(QShowEvent* Event) {
    SetControls(Defaults);
    TSettingsDialog::showEvent(Event);
}

void TFormDefaultSettings::btnSaveClick() {
    tCubeSettings values = Defaults;
    values.AnimateFaceRotations = CheckBoxAnimateRotations->isChecked();
    values.CubeFaceRotationSpeed = ComboBoxSliceRotationSpeed->currentIndex();
    values.StickerType = static_cast<std::uint8_t>(ComboBoxStickerType->currentIndex());
    values.Lighting = CheckBoxLighting->isChecked();
    values.EnvironmentType = static_cast<std::uint8_t>(ComboBoxEnvironment->currentIndex());
    values.SoundsON = CheckBoxSoundEnable->isChecked();
    TIniFile ini(Files.User);
    SaveSettings(ini, values, Folder.toStdString());
    std::string error;
    std::error_code made;
    std::filesystem::create_directories(std::filesystem::path(Files.User).parent_path(), made);
    if (!ini.UpdateFile(&error)) {
        ShowMessageBox("Default Settings", "The settings could not be saved.\n" + error, TMessageIcon::Error);
        return;
    }
    LoadSettings();
    hide();
}

TFormCustomize::TFormCustomize(QWidget* Owner, const tCubeSettings& settings, std::uint8_t SizeIndex,
                               QString ProgramFolder)
    : TSettingsDialog(Owner, Settings, SizeIndex, std::move(ProgramFolder), QSize(784, 445), 392),
      Settings(settings) {
    setObjectName("FormCustomize");
    setWindowTitle("Customize Settings");
    SpeedChangesPreview = true;
    btnApply = Button("btnApply", "Apply", this, btnClose->x() - Margin - ButtonWidth, btnClose->y());
    connect(btnApply, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);

    GroupStickerColors = new QGroupBox(" Sticker Colors ", TabSheetCube);
    GroupStickerColors->setObjectName("GroupStickerColors");
    GroupStickerColors->setGeometry(8, 228, PreviewLeft - 4 * Margin - 16, 120);
    Caption("Click on the color pallete you want to customize", GroupStickerColors, 12, 24);
    for (std::size_t i = 0; i < ColorPanels.size(); ++i) {
        auto* panel = new TColorPanel(PanelTags[i], GroupStickerColors);
        panel->setObjectName(QString("Panel") + "URFDLB"[i]);
        panel->setFixedSize(42, 36);
        panel->move(12 + static_cast<int>(i) * 50, 52);
        panel->setCursor(Qt::PointingHandCursor);
        connect(panel, &TColorPanel::Clicked, this, &TFormCustomize::PanelColorClick);
        ColorPanels[i] = panel;
    }
    btnRestoreColors = Button("btnRestoreColors", "Restore", GroupStickerColors, 12 + 6 * 50 + 4, 57);
    connect(btnRestoreColors, &QPushButton::clicked, this, &TFormCustomize::btnRestoreColorsClick);

    SetPreviewSettings(Settings);
    PageControl->setCurrentIndex(0);
}

void TFormCustomize::showEvent(QShowEvent* Event) {
    KeptColors = Settings.FaceColors;
    ShowColors();
    SetControls(Settings);
    TSettingsDialog::showEvent(Event);
}

void TFormCustomize::ShowColors() {
    for (TColorPanel* panel : ColorPanels) {
        panel->SetColor(ToQColor(Settings.FaceColors[panel->Tag]));
    }
}

void TFormCustomize::PanelColorClick(TColorPanel* Panel) {
    TColor color = Settings.FaceColors[Panel->Tag];
    if (AskColor(color)) {
        Settings.FaceColors[Panel->Tag] = color;
        Panel->SetColor(ToQColor(color));
    }
    ChangePreview([colors = Settings.FaceColors](tCubeSettings& S) { S.FaceColors = colors; });
}

void TFormCustomize::btnRestoreColorsClick() {
    Settings.FaceColors = KeptColors;
    ShowColors();
    ChangePreview([colors = Settings.FaceColors](tCubeSettings& S) { S.FaceColors = colors; });
}
