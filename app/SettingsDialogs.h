#pragma once
// The two settings dialogs, each with a preview cube that turns by itself while the dialog is shown:
//
//   TFormDefaultSettings  one for the whole run, not modal: the defaults that new games start from,
//                         kept in the settings file ("Save").
//   TFormCustomize        one per use, modal: one game's own settings ("Apply"), never stored.
//
// The controls act on the preview at once; what reaches the defaults or the game is said below.

#include "app/Settings.h"
#include "view/CubeSettings.h"

#include <QDialog>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QTabWidget;
class TColorPanel;
class TCube3D;

// What both dialogs share: the controls of the "Cube" page, the preview and "Change" and "Test".
class TSettingsDialog : public QDialog {
    Q_OBJECT

public:
    ~TSettingsDialog() override;

    QTabWidget* PageControl = nullptr;
    QWidget* TabSheetCube = nullptr;
    QCheckBox* CheckBoxAnimateRotations = nullptr;
    QCheckBox* CheckBoxSoundEnable = nullptr;
    QCheckBox* CheckBoxLighting = nullptr;
    QComboBox* ComboBoxEnvironment = nullptr;
    QPushButton* btnChangeEnviron = nullptr;
    QComboBox* ComboBoxSliceRotationSpeed = nullptr;
    QComboBox* ComboBoxStickerType = nullptr; // hidden: textured stickers have no image to show yet
    QPushButton* btnTest = nullptr;
    QPushButton* btnClose = nullptr;
    QLabel* PanelVendor = nullptr;
    QLabel* PanelRenderer = nullptr;
    QLabel* PanelPreview = nullptr; // black, "Loading..." until the preview draws
    std::unique_ptr<TCube3D> Preview;

    // Five random moves on the preview, animated, recorded nowhere.
    void btnTestClick();
    // A background colour ("Color") or an environment file ("Panaromic") for Target and the preview.
    // The file dialog opens in the program folder's "Environment", with Target's environment selected
    // when it is one of those.
    void btnChangeEnvironClick();
    // The settings the preview was last given (they reach it in order with its turns).
    tCubeSettings PreviewSettings() const;

protected:
    // Target is the record "Change" writes to: the defaults, or the dialog's own copy.
    TSettingsDialog(QWidget* Owner, tCubeSettings& Target, std::uint8_t SizeIndex, QString ProgramFolder,
                    QSize ClientSize, int PageHeight);

    // Sets the controls from Settings without acting on the preview.
    void SetControls(const tCubeSettings& Settings);
    // Changes the preview's settings; with Rebuild its pictures and lists are made again.
    void ChangePreview(const std::function<void(tCubeSettings&)>& Change, bool Rebuild = false);
    // The preview's settings from now on, without acting on the controls.
    void SetPreviewSettings(const tCubeSettings& Settings);
    // Whether the speed list acts on the preview.
    bool SpeedChangesPreview = false;

    bool event(QEvent* Event) override;
    void showEvent(QShowEvent* Event) override;
    void hideEvent(QHideEvent* Event) override;

    const QString Folder; // the program folder

private:
    void EnvironmentChanged(int Index);

    tCubeSettings& Target;
    tCubeSettings Chosen; // what the preview shows, or will once its turns are done
    bool SettingControls = false;
};

class TFormDefaultSettings : public TSettingsDialog {
    Q_OBJECT

public:
    // Reads the settings files into Defaults; Defaults must outlive the dialog.
    TFormDefaultSettings(QWidget* Owner, tCubeSettings& Defaults, TSettingsFiles Files,
                         QString ProgramFolder);

    // Writes the controls' values and the defaults' colours, background and environment file into the
    // user's settings file, reads the settings back into the defaults and hides the dialog. When the file
    // cannot be written it says so, and the dialog stays open with nothing lost.
    void btnSaveClick();
    // Reads the settings file into the defaults.
    void LoadSettings();

    QPushButton* btnSave = nullptr;

protected:
    void showEvent(QShowEvent* Event) override;

private:
    tCubeSettings& Defaults;
    TSettingsFiles Files;
};

class TFormCustomize : public TSettingsDialog {
    Q_OBJECT

public:
    // Works on its own copy of Settings, with a preview of the game's size.
    TFormCustomize(QWidget* Owner, const tCubeSettings& Settings, std::uint8_t SizeIndex,
                   QString ProgramFolder);

    QPushButton* btnApply = nullptr;
    QGroupBox* GroupStickerColors = nullptr;
    // Left to right: U, R, F, D, L, B; each panel's tag is its colour code.
    std::array<TColorPanel*, 6> ColorPanels{};
    QPushButton* btnRestoreColors = nullptr;

    void PanelColorClick(TColorPanel* Panel);
    // The colours as they were when the dialog was shown.
    void btnRestoreColorsClick();

protected:
    void showEvent(QShowEvent* Event) override;

private:
    void ShowColors();

    tCubeSettings Settings;
    std::array<TColor, 7> KeptColors{};
};
