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

namespace {

using testsupport::Choose;
using testsupport::Customize;
using testsupport::ReadText;
using testsupport::WriteText;

TEST(SettingsFileTest, ValuesDefaultsAndNonsense) {
    // A file's text, and how what it gives differs from what an empty file gives.
    const std::pair<const char*, std::function<void(tCubeSettings&)>> rows[] = {
        {"", [](auto&) {}},
        {"[CUBE]\nAnimateFaceRotations=0\nStickerType=257\nSurfaceDetail=3\n[ENVIRON]\nEnvironmentType=1\n"
         "SoundsON=7\n[FACES]\nUp=1\nNo=-16777201\n",
         [](auto& s) {
             s.AnimateFaceRotations = false;
             s.StickerType = 1; // the low 8 bits
             s.SurfaceDetail = 3;
             s.EnvironmentType = 1;
             s.SoundsON = true;   // any number but 0
             s.FaceColors[0] = 1; // the rest keep the built-in colours; a system colour survives as such
             s.FaceColors[6] = clBtnFace;
         }},
        {"[CUBE]\nCubeFaceRotationSpeed=9\n", [](auto& s) { s.CubeFaceRotationSpeed = 2; }},
        {"[CUBE]\nCubeFaceRotationSpeed=-4\n", [](auto& s) { s.CubeFaceRotationSpeed = 0; }},
        {"[ENVIRON]\nBackgroundColor=305419896\n", [](auto& s) { s.BackgroundColor = 0; }},
        {"[FACES]\nUp=305419896\nRight=x\n",
         [](auto& s) { s.FaceColors[0] = 16711680, s.FaceColors[1] = 255; }},
    };
    for (const auto& [text, differs] : rows) {
        SCOPED_TRACE(text);
        tCubeSettings read = BuiltInSettings;
        read.StickerTextureFile = "kept.bmp";
        LoadSettings(TIniFile::FromText("/program/read.ini", text), read, "/program");
        tCubeSettings expected = BuiltInSettings;
        expected.SurfaceDetail = 0; // a file without the key gives 0, not the built-in 1
        expected.StickerTextureFile = "kept.bmp";
        differs(expected);
        EXPECT_EQ(read, expected);
    }
}

TEST(SettingsFileTest, SavingWritesEveryKeyByPositionAndKeepsTheRest) {
    QTemporaryDir folder;
    const QString path = folder.filePath("torvane.ini");
    WriteText(path, "; mine\n[CUBE]\nSurfaceDetail=4\nAnimateFaceRotations=1\n\n[ENGINES]\nEngine1=a.so\n");
    tCubeSettings changed = BuiltInSettings;
    changed.AnimateFaceRotations = false;
    changed.CubeFaceRotationSpeed = 0;
    changed.BackgroundColor = clBtnFace;
    changed.EnvironFile = "/a b/c.env";
    changed.EnvironmentType = 1;
    changed.SoundsON = true;
    changed.FaceColors = {10, 20, 30, 40, 50, 60, 70};
    TIniFile ini(path.toStdString());
    SaveSettings(ini, changed, "/program");
    ASSERT_TRUE(ini.UpdateFile());
    EXPECT_EQ(ReadText(path), "; mine\n[CUBE]\nSurfaceDetail=4\nAnimateFaceRotations=0\n"
                              "CubeFaceRotationSpeed=0\nStickerType=0\n\n"
                              "[ENGINES]\nEngine1=a.so\n\n"
                              "[FACES]\nUp=10\nRight=20\nFront=30\nDown=40\nLeft=50\nBack=60\nNo=70\n\n"
                              "[ENVIRON]\nLighting=1\nBackgroundColor=-16777201\nEnvironFile=/a b/c.env\n"
                              "EnvironmentType=1\nSoundsON=1\n");
}

class SettingsDialogTest : public testsupport::MainWindowTest {
protected:
    void SetUp() override {
        WriteText(SettingsFile(), ProgramSettings);
        ASSERT_TRUE(QDir(Folder.path()).mkpath("user/torvane"));
        WriteText(UserFile(), UserSettings);
        Open(UserFile());
        Defaults = Main->FormDefaultSettings;
    }

    QString SettingsFile() const { return Folder.filePath("torvane.ini"); }
    // The user's own file, read over the program folder's.
    QString UserFile() const { return Folder.filePath("user/torvane/torvane.ini"); }

    const std::string ProgramSettings =
        "[CUBE]\nSurfaceDetail=5\nCubeFaceRotationSpeed=0\n[ENGINES]\nEngine1=none.so\n";
    const std::string UserSettings = "; the user's\n[CUBE]\nCubeFaceRotationSpeed=1\n";
    TFormDefaultSettings* Defaults = nullptr;
};

// Change (colour, file) reaches the defaults at once and Close drops the rest; Save writes all to the
// user's file, for the next games; a save that cannot be written says so and loses nothing.
TEST_F(SettingsDialogTest, TheDefaultsDialog) {
    TFormGame* before = Main->NewGame(0);
    Main->ActionDefaultSettings->trigger();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Defaults));
    Messages.ColorAnswer = 0x123456;
    QTest::mouseClick(Defaults->btnChangeEnviron, Qt::LeftButton);
    Choose(Defaults->ComboBoxEnvironment, 1);
    Messages.FileAnswer = Folder.filePath("Sky.env").toStdString();
    QTest::mouseClick(Defaults->btnChangeEnviron, Qt::LeftButton);
    QTest::mouseClick(Defaults->btnClose, Qt::LeftButton);
    TFormGame* closed = Main->NewGame(0);
    EXPECT_EQ(closed->Settings.BackgroundColor, 0x123456u);
    EXPECT_EQ(closed->Settings.EnvironFile, *Messages.FileAnswer);
    EXPECT_EQ(closed->Settings.EnvironmentType, 0) << "the list reaches the defaults only through Save";
    EXPECT_EQ(ReadText(UserFile()), UserSettings);

    Main->ActionDefaultSettings->trigger();
    Choose(Defaults->ComboBoxSliceRotationSpeed, 2);
    Defaults->CheckBoxLighting->setChecked(false);
    ASSERT_TRUE(QDir(Folder.path()).mkpath("Environment"));
    WriteText(Folder.filePath("Environment/Sky.env"), "");
    Choose(Defaults->ComboBoxEnvironment, 1);
    Messages.FileAnswer = Folder.filePath("Environment/Sky.env").toStdString();
    QTest::mouseClick(Defaults->btnChangeEnviron, Qt::LeftButton);
    QTest::mouseClick(Defaults->btnChangeEnviron, Qt::LeftButton);
    // The file dialog opens on the environment chosen when it is one of ours, else on our folder.
    const std::string ours = Folder.filePath("Environment").toStdString();
    EXPECT_EQ(Messages.FoldersAsked, (std::vector<std::string>{ours, ours, *Messages.FileAnswer}));
    QTest::mouseClick(Defaults->btnSave, Qt::LeftButton);
    EXPECT_TRUE(Messages.Shown.empty());
    // Saves go to the user's file, over what was there; the program folder's stays as shipped.
    const std::string saved = ReadText(UserFile());
    EXPECT_EQ(saved.rfind("; the user's\n[CUBE]\nCubeFaceRotationSpeed=2\n", 0), 0u) << saved;
    EXPECT_NE(saved.find("EnvironFile=Environment/Sky.env\n"), std::string::npos)
        << "kept relative to the folder";
    EXPECT_EQ(ReadText(SettingsFile()), ProgramSettings);
    TFormGame* after = Main->NewGame(2);
    EXPECT_EQ(after->Settings.CubeFaceRotationSpeed, 2);
    EXPECT_FALSE(after->View->GetSettings().Lighting);
    EXPECT_EQ(after->View->EnvironmentFile(3), Folder.filePath("Environment/Back.jpg").toStdString());
    EXPECT_EQ(before->Settings.CubeFaceRotationSpeed, 1);

    // The next showing sets the controls from the defaults again.
    Main->ActionDefaultSettings->trigger();
    EXPECT_EQ(Defaults->ComboBoxSliceRotationSpeed->currentIndex(), 2);

    ASSERT_TRUE(QFile::remove(UserFile()));
    ASSERT_TRUE(QDir(Folder.path()).mkpath("user/torvane/torvane.ini/blocked"));
    Choose(Defaults->ComboBoxSliceRotationSpeed, 0);
    QTest::mouseClick(Defaults->btnSave, Qt::LeftButton);
    ASSERT_EQ(Messages.Shown.size(), 1u);
    EXPECT_EQ(Messages.Shown[0].Text.rfind("The settings could not be saved.\n", 0), 0u);
    EXPECT_TRUE(Defaults->isVisible()) << "the choices stay on screen to be saved again";
    EXPECT_EQ(Main->DefaultSettings.CubeFaceRotationSpeed, 2);
}

// Apply changes one game and Close none; Test turns the preview and not the game.
TEST_F(SettingsDialogTest, TheGamesDialog) {
    TFormGame* game = Main->NewGame(0);
    TFormGame* other = Main->NewGame(1);
    const tCubeSettings original = game->Settings;
    const CubeState0 state = game->View->CubeState();
    Messages.ColorAnswer = 0x010203;
    Customize(game, [&](TFormCustomize& dialog) {
        EXPECT_LE((dialog.geometry().center() - Main->geometry().center()).manhattanLength(), 4)
            << "the dialog opens over the middle of the main window";
        EXPECT_EQ(dialog.PanelVendor->text().toStdString() + "|" + dialog.PanelRenderer->text().toStdString(),
                  dialog.Preview->GetGLVendor() + "|" + dialog.Preview->GetGLRenderer());
        Choose(dialog.ComboBoxSliceRotationSpeed, 0);
        dialog.PanelColorClick(dialog.ColorPanels[1]); // R
        ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.Preview->MovesFinished(); }, 30000));
        EXPECT_EQ(dialog.Preview->GetSettings().FaceColors[2], 0x010203u) << "the preview shows it at once";
        QTest::mouseClick(dialog.btnClose, Qt::LeftButton);
    });
    EXPECT_EQ(game->Settings, original) << "Close changes nothing";
    Customize(game, [&](TFormCustomize& dialog) {
        Choose(dialog.ComboBoxSliceRotationSpeed, 0);
        dialog.PanelColorClick(dialog.ColorPanels[1]);
        QTest::mouseClick(dialog.btnTest, Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.Preview->MovesFinished(); }, 30000));
        EXPECT_NE(dialog.Preview->CubeState(), testsupport::After(""));
        QTest::mouseClick(dialog.btnApply, Qt::LeftButton);
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return game->View->MovesFinished(); }, 30000));
    EXPECT_EQ(game->View->GetSettings().CubeFaceRotationSpeed, 0);
    EXPECT_EQ(game->Settings.FaceColors[2], 0x010203u);
    EXPECT_EQ(game->FramePallete->Panels[1]->ShownColor(), ToQColor(0x010203)) << "the palette's R follows";
    EXPECT_EQ(other->Settings.CubeFaceRotationSpeed, 1);
    EXPECT_EQ(game->View->CubeState(), state);

    TFormGame* bicolor = Main->NewGame(3);
    ASSERT_NE(bicolor->Settings.FaceColors, BuiltInSettings.FaceColors);
    Customize(bicolor, [&](TFormCustomize& dialog) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.Preview->MovesFinished(); }, 30000));
        EXPECT_EQ(dialog.Preview->GetSettings().FaceColors, bicolor->Settings.FaceColors)
            << "the game's colours";
    });
}

} // namespace
