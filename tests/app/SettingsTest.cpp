// The settings file and the two settings dialogs: what is read and written, and when the defaults, a
// game and the previews change.
#include "app/Settings.h"

#include "app/FramePallete.h"
#include "ini/IniFile.h"
#include "support/AppWindows.h"
#include "view/SystemColors.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>

namespace {

using testsupport::Choose;
using testsupport::Customize;
using testsupport::ReadText;
using testsupport::WriteText;

tCubeSettings Loaded(const QTemporaryDir& folder, const std::string& text) {
    const QString path = folder.filePath("read.ini");
    WriteText(path, text);
    tCubeSettings settings = BuiltInSettings;
    settings.StickerTextureFile = "kept.bmp";
    LoadSettings(TIniFile(path.toStdString()), settings, folder.path().toStdString());
    return settings;
}

TEST(SettingsFileTest, ValuesDefaultsAndNonsense) {
    QTemporaryDir folder;
    struct TRow {
        const char* Text;
        std::function<void(tCubeSettings&)> Expect; // how it differs from what an empty file gives
    };
    const TRow rows[] = {
        {"", [](auto&) {}},
        {"[CUBE]\nAnimateFaceRotations=0\nCubeFaceRotationSpeed=2\nStickerType=257\nSurfaceDetail=3\n["
         "ENVIRON]\n"
         "Lighting=0\nBackgroundColor=255\nEnvironFile=/e/"
         "Meadow.env\nEnvironmentType=1\nSoundsON=7\n[FACES]\n"
         "Up=1\nRight=2\nFront=3\nDown=4\nLeft=5\nNo=-16777201\n",
         [](auto& s) {
             s.AnimateFaceRotations = false;
             s.CubeFaceRotationSpeed = 2;
             s.StickerType = 1; // the low 8 bits
             s.SurfaceDetail = 3;
             s.Lighting = false;
             s.BackgroundColor = 255;
             s.EnvironFile = "/e/Meadow.env";
             s.EnvironmentType = 1;
             s.SoundsON = true; // any number but 0
             // "Back" is missing: D keeps the built-in green; the system colour survives as such.
             s.FaceColors = {1, 2, 3, 4, 5, 32768, clBtnFace};
         }},
        {"[CUBE]\nCubeFaceRotationSpeed=fast\n", [](auto& s) { s.CubeFaceRotationSpeed = 1; }},
        {"[CUBE]\nCubeFaceRotationSpeed=9\n", [](auto& s) { s.CubeFaceRotationSpeed = 2; }},
        {"[CUBE]\nCubeFaceRotationSpeed=-4\n", [](auto& s) { s.CubeFaceRotationSpeed = 0; }},
        {"[CUBE]\nAnimateFaceRotations=no\n", [](auto& s) { s.AnimateFaceRotations = true; }},
        {"[ENVIRON]\nBackgroundColor=blue\n", [](auto& s) { s.BackgroundColor = 0; }},
        {"[ENVIRON]\nBackgroundColor=305419896\n", [](auto& s) { s.BackgroundColor = 0; }},
        {"[FACES]\nUp=-7\n", [](auto& s) { s.FaceColors[0] = 0xFFFFFFF9u; }},
        {"[FACES]\nUp=305419896\nRight=x\n",
         [](auto& s) { s.FaceColors[0] = 16711680, s.FaceColors[1] = 255; }},
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.Text);
        tCubeSettings expected = BuiltInSettings;
        expected.SurfaceDetail = 0; // a file without the key gives 0, not the built-in 1
        expected.StickerTextureFile = "kept.bmp";
        row.Expect(expected);
        EXPECT_EQ(Loaded(folder, row.Text), expected);
    }
}

TEST(SettingsFileTest, SavingWritesEveryKeyByPositionAndKeepsTheRest) {
    QTemporaryDir folder;
    const QString path = folder.filePath("torvane.ini");
    WriteText(path, "; mine\n[CUBE]\nSurfaceDetail=4\nAnimateFaceRotations=1\n\n[ENGINES]\nEngine1=a.so\n");
    TIniFile ini(path.toStdString());
    SaveSettings(ini, BuiltInSettings, "/program");
    ASSERT_TRUE(ini.UpdateFile());
    EXPECT_EQ(ReadText(path), "; mine\n[CUBE]\nSurfaceDetail=4\nAnimateFaceRotations=1\n"
                              "CubeFaceRotationSpeed=1\nStickerType=0\n\n"
                              "[ENGINES]\nEngine1=a.so\n\n"
                              "[FACES]\nUp=16711680\nRight=255\nFront=65535\nDown=33023\nLeft=16777215\n"
                              "Back=32768\nNo=8421504\n\n"
                              "[ENVIRON]\nLighting=1\nBackgroundColor=0\nEnvironFile=\nEnvironmentType=0\n"
                              "SoundsON=0\n");

    tCubeSettings changed = BuiltInSettings;
    changed.AnimateFaceRotations = false;
    changed.CubeFaceRotationSpeed = 0;
    changed.BackgroundColor = clBtnFace;
    changed.EnvironFile = "/a b/c.env";
    changed.EnvironmentType = 1;
    changed.SoundsON = true;
    changed.FaceColors = {10, 20, 30, 40, 50, 60, 70};
    SaveSettings(ini, changed, "/program");
    ASSERT_TRUE(ini.UpdateFile());
    tCubeSettings back;
    LoadSettings(TIniFile(path.toStdString()), back, "/program");
    changed.SurfaceDetail = 4; // never written, read from what the user put there
    EXPECT_EQ(back, changed);
}

TEST(SettingsFileTest, EnvironmentsInTheProgramFolderMoveWithIt) {
    // Saved by the program in folder A, read by a copy of it in folder B.
    QTemporaryDir root;
    ASSERT_TRUE(QDir(root.path()).mkpath("A/Environment"));
    ASSERT_TRUE(QFile::link(root.filePath("A"), root.filePath("Link")));
    const std::string a = root.filePath("A").toStdString(), b = root.filePath("B").toStdString();
    struct Case {
        std::string Chosen, Stored, Read;
    };
    const Case cases[] = {
        {a + "/Environment/Meadow.env", "Environment/Meadow.env", b + "/Environment/Meadow.env"},
        {root.filePath("Link/Environment/Meadow.env").toStdString(), "Environment/Meadow.env",
         b + "/Environment/Meadow.env"},                     // the program folder by another way
        {a + "B/Sky.env", a + "B/Sky.env", a + "B/Sky.env"}, // a neighbour whose name starts alike
        {"/elsewhere/Sky.env", "/elsewhere/Sky.env", "/elsewhere/Sky.env"},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Chosen);
        tCubeSettings settings;
        settings.EnvironFile = c.Chosen;
        TIniFile ini(root.filePath("user.ini").toStdString());
        SaveSettings(ini, settings, a);
        EXPECT_EQ(ini.ReadString("ENVIRON", "EnvironFile", "?"), c.Stored);
        LoadSettings(ini, settings, b);
        EXPECT_EQ(settings.EnvironFile, c.Read);
    }
}

class SettingsDialogTest : public testsupport::MainWindowTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(Folder.isValid());
        WriteText(SettingsFile(), ProgramSettings);
        ASSERT_TRUE(QDir(Folder.path()).mkpath("user/torvane"));
        WriteText(UserFile(), UserSettings);
        Open(UserFile());
        Defaults = Main->FormDefaultSettings;
    }

    QString SettingsFile() const { return Folder.filePath("torvane.ini"); }
    // The user's own file, read over the program folder's.
    QString UserFile() const { return Folder.filePath("user/torvane/torvane.ini"); }
    static bool Drain(TCube3D& View) {
        return QTest::qWaitFor([&] { return View.MovesFinished(); }, 30000);
    }

    const std::string ProgramSettings =
        "[CUBE]\nSurfaceDetail=5\nCubeFaceRotationSpeed=0\n[ENGINES]\nEngine1=none.so\n";
    const std::string UserSettings = "; the user's\n[CUBE]\nCubeFaceRotationSpeed=1\n";
    TFormDefaultSettings* Defaults = nullptr;
};

// Change (colour, file) reaches the defaults at once and Close drops the rest; Save writes all to the
// user's file, for the next games; a save that cannot be written says so and loses nothing.
TEST_F(SettingsDialogTest, TheDefaultsDialog) {
    TFormGame* before = Main->NewGame(0);
    EXPECT_EQ(Main->DefaultSettings.SurfaceDetail, 5);
    Main->ActionDefaultSettings->trigger();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Defaults));
    EXPECT_EQ(Defaults->ComboBoxSliceRotationSpeed->currentText(), "Medium");
    EXPECT_FALSE(Defaults->ComboBoxStickerType->isVisible());
    EXPECT_FALSE(Defaults->PanelVendor->text().isEmpty());
    Messages.ColorAnswer = 0x123456;
    QTest::mouseClick(Defaults->btnChangeEnviron, Qt::LeftButton);
    EXPECT_EQ(Defaults->PreviewSettings().BackgroundColor, 0x123456u);
    Choose(Defaults->ComboBoxEnvironment, 1);
    Messages.FileAnswer = Folder.filePath("Sky.env").toStdString();
    QTest::mouseClick(Defaults->btnChangeEnviron, Qt::LeftButton);
    EXPECT_EQ(Messages.FiltersAsked.back(), "Torvane Environment (*.env)");
    EXPECT_EQ(Messages.FoldersAsked.back(), QDir(Folder.path()).filePath("Environment").toStdString());
    EXPECT_EQ(Defaults->PreviewSettings().EnvironmentType, 1);
    EXPECT_EQ(Defaults->PreviewSettings().EnvironFile, *Messages.FileAnswer);
    Defaults->CheckBoxAnimateRotations->setChecked(false);
    QTest::mouseClick(Defaults->btnClose, Qt::LeftButton);
    EXPECT_FALSE(Defaults->isVisible());
    TFormGame* closed = Main->NewGame(0);
    EXPECT_EQ(closed->Settings.BackgroundColor, 0x123456u);
    EXPECT_EQ(closed->Settings.EnvironFile, *Messages.FileAnswer);
    EXPECT_EQ(closed->Settings.EnvironmentType, 0) << "the list reaches the defaults only through Save";
    EXPECT_TRUE(closed->Settings.AnimateFaceRotations);
    EXPECT_EQ(ReadText(UserFile()), UserSettings);

    Main->ActionDefaultSettings->trigger();
    Choose(Defaults->ComboBoxSliceRotationSpeed, 2);
    Defaults->CheckBoxSoundEnable->setChecked(true);
    Defaults->CheckBoxLighting->setChecked(false);
    EXPECT_EQ(Main->DefaultSettings.CubeFaceRotationSpeed, 1) << "only Save reaches the defaults";
    ASSERT_TRUE(QDir(Folder.path()).mkpath("Environment"));
    WriteText(Folder.filePath("Environment/Sky.env"), "");
    Choose(Defaults->ComboBoxEnvironment, 1);
    Messages.FileAnswer = Folder.filePath("Environment/Sky.env").toStdString();
    QTest::mouseClick(Defaults->btnChangeEnviron, Qt::LeftButton);
    QTest::mouseClick(Defaults->btnSave, Qt::LeftButton);
    EXPECT_FALSE(Defaults->isVisible());
    EXPECT_TRUE(Messages.Shown.empty());
    // Saves go to the user's file, over what was there; the program folder's stays as shipped.
    const std::string saved = ReadText(UserFile());
    EXPECT_EQ(saved.rfind("; the user's\n[CUBE]\nCubeFaceRotationSpeed=2\n", 0), 0u) << saved;
    EXPECT_NE(saved.find("SoundsON=1"), std::string::npos) << saved;
    EXPECT_EQ(saved.find("SurfaceDetail"), std::string::npos) << saved;
    EXPECT_NE(saved.find("EnvironFile=Environment/Sky.env\n"), std::string::npos)
        << "kept relative to the folder";
    EXPECT_EQ(ReadText(SettingsFile()), ProgramSettings);
    EXPECT_EQ(Main->DefaultSettings.SurfaceDetail, 5) << "read from the program's file after the save";
    TFormGame* after = Main->NewGame(2);
    EXPECT_EQ(after->Settings.CubeFaceRotationSpeed, 2);
    EXPECT_TRUE(after->Settings.SoundsON);
    EXPECT_FALSE(after->View->Settings.Lighting);
    EXPECT_EQ(after->View->EnvironmentFiles[3], Folder.filePath("Environment/Back.jpg").toStdString());
    EXPECT_EQ(after->Settings.FaceColors, CubeKinds[2].Colors) << "colours still come from the kind";
    EXPECT_EQ(before->Settings.CubeFaceRotationSpeed, 1);
    EXPECT_FALSE(before->Settings.SoundsON);

    // The next showing sets the controls from the defaults again.
    Main->ActionDefaultSettings->trigger();
    EXPECT_EQ(Defaults->ComboBoxSliceRotationSpeed->currentIndex(), 2);
    EXPECT_FALSE(Defaults->CheckBoxLighting->isChecked());
    QTest::mouseClick(Defaults->btnChangeEnviron, Qt::LeftButton);
    EXPECT_EQ(Messages.FoldersAsked.back(), *Messages.FileAnswer) << "opens with the environment selected";

    ASSERT_TRUE(QFile::remove(UserFile()));
    ASSERT_TRUE(QDir(Folder.path()).mkpath("user/torvane/torvane.ini/blocked"));
    Choose(Defaults->ComboBoxSliceRotationSpeed, 0);
    QTest::mouseClick(Defaults->btnSave, Qt::LeftButton);
    ASSERT_EQ(Messages.Shown.size(), 1u);
    EXPECT_EQ(Messages.Shown[0].Title, "Default Settings");
    EXPECT_EQ(Messages.Shown[0].Text.rfind("The settings could not be saved.\n", 0), 0u)
        << Messages.Shown[0].Text;
    EXPECT_TRUE(Defaults->isVisible()) << "the choices stay on screen to be saved again";
    EXPECT_EQ(Defaults->ComboBoxSliceRotationSpeed->currentIndex(), 0);
    EXPECT_EQ(Main->DefaultSettings.CubeFaceRotationSpeed, 2);
}

// Apply changes one game and Close none; Restore brings back the colours of the showing; Test turns
// the preview and not the game.
TEST_F(SettingsDialogTest, TheGamesDialog) {
    TFormGame* game = Main->NewGame(0);
    TFormGame* other = Main->NewGame(1);
    const tCubeSettings defaults = Main->DefaultSettings;
    const tCubeSettings original = game->Settings;
    const CubeState0 state = game->View->Cube->GetState();
    const auto change = [&](TFormCustomize& dialog) {
        EXPECT_EQ(dialog.PageControl->currentIndex(), 0);
        EXPECT_EQ(dialog.ComboBoxSliceRotationSpeed->currentIndex(), 1);
        Choose(dialog.ComboBoxSliceRotationSpeed, 0);
        dialog.CheckBoxLighting->setChecked(false);
        Messages.ColorAnswer = 0x010203;
        dialog.PanelColorClick(dialog.ColorPanels[1]); // R
    };
    Customize(game, [&](TFormCustomize& dialog) {
        change(dialog);
        Choose(dialog.ComboBoxEnvironment, 0);
        Messages.ColorAnswer = 0x0A0B0C;
        QTest::mouseClick(dialog.btnChangeEnviron, Qt::LeftButton);
        QTest::mouseClick(dialog.btnClose, Qt::LeftButton);
    });
    EXPECT_EQ(game->Settings, original) << "Close changes nothing";
    Customize(game, [&](TFormCustomize& dialog) {
        change(dialog);
        QTest::mouseClick(dialog.btnTest, Qt::LeftButton);
        ASSERT_TRUE(Drain(*dialog.Preview));
        EXPECT_NE(dialog.Preview->Cube->GetState(), testsupport::After(""));
        QTest::mouseClick(dialog.btnApply, Qt::LeftButton);
    });
    EXPECT_EQ(game->Settings.CubeFaceRotationSpeed, 0);
    EXPECT_FALSE(game->Settings.Lighting);
    EXPECT_EQ(game->Settings.FaceColors[2], 0x010203u);
    EXPECT_EQ(game->View->Settings, game->Settings);
    EXPECT_EQ(game->FramePallete->Panels[1]->ShownColor(), ToQColor(0x010203)) << "the palette's R follows";
    EXPECT_EQ(other->Settings.CubeFaceRotationSpeed, 1);
    EXPECT_TRUE(other->Settings.Lighting);
    EXPECT_EQ(Main->DefaultSettings, defaults);
    EXPECT_EQ(game->View->Cube->GetState(), state);
    EXPECT_TRUE(game->History.UndoList.empty());

    const std::size_t asked = Messages.ColorsAsked.size();
    Customize(game, [&](TFormCustomize& dialog) {
        const std::array<TColor, 7> shown = game->Settings.FaceColors;
        Messages.ColorAnswer = 0x00AA00;
        dialog.PanelColorClick(dialog.ColorPanels[0]); // U
        EXPECT_EQ(dialog.PreviewSettings().FaceColors[0], 0x00AA00u);
        Messages.ColorAnswer.reset(); // a cancelled colour dialog changes nothing
        dialog.PanelColorClick(dialog.ColorPanels[3]);
        EXPECT_EQ(dialog.PreviewSettings().FaceColors[5], shown[5]);
        QTest::mouseClick(dialog.btnRestoreColors, Qt::LeftButton);
        EXPECT_EQ(dialog.PreviewSettings().FaceColors, shown);
        QTest::mouseClick(dialog.btnApply, Qt::LeftButton);
        EXPECT_EQ(game->Settings.FaceColors, shown);
    });
    EXPECT_EQ(Messages.ColorsAsked.size(), asked + 2);

    Main->ActionDefaultSettings->trigger();
    QTest::mouseClick(Defaults->btnTest, Qt::LeftButton);
    ASSERT_TRUE(Drain(*Defaults->Preview));
    EXPECT_EQ(game->View->Cube->GetState(), state);
}

} // namespace
