// The settings file and the two settings dialogs: what is read and written, and when the defaults, a
// game and the previews change.
#include "app/Settings.h"

#include "animation/Thread.h"
#include "app/Dialogs.h"
#include "app/FormGame.h"
#include "app/FormMain.h"
#include "app/FramePallete.h"
#include "app/SettingsDialogs.h"
#include "ini/IniFile.h"
#include "support/SettingsDialogs.h"
#include "view/SystemColors.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace {

std::string ReadText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
}

void WriteText(const QString& path, const std::string& text) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text.data(), static_cast<qint64>(text.size()));
}

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
    tCubeSettings missing = BuiltInSettings;
    missing.SurfaceDetail = 0; // a file without the key gives 0, not the built-in 1
    missing.StickerTextureFile = "kept.bmp";
    EXPECT_EQ(Loaded(folder, ""), missing);

    const tCubeSettings read = Loaded(folder, "[CUBE]\n"
                                              "AnimateFaceRotations=0\n"
                                              "CubeFaceRotationSpeed=2\n"
                                              "StickerType=257\n"
                                              "SurfaceDetail=3\n"
                                              "[ENVIRON]\n"
                                              "Lighting=0\n"
                                              "BackgroundColor=255\n"
                                              "EnvironFile=/e/Meadow.env\n"
                                              "EnvironmentType=1\n"
                                              "SoundsON=7\n"
                                              "[FACES]\n"
                                              "Up=1\nRight=2\nFront=3\nDown=4\nLeft=5\nNo=-16777201\n");
    EXPECT_FALSE(read.AnimateFaceRotations);
    EXPECT_EQ(read.CubeFaceRotationSpeed, 2);
    EXPECT_EQ(read.StickerType, 1) << "the low 8 bits";
    EXPECT_EQ(read.SurfaceDetail, 3);
    EXPECT_FALSE(read.Lighting);
    EXPECT_EQ(read.BackgroundColor, 255u);
    EXPECT_EQ(read.EnvironFile, "/e/Meadow.env");
    EXPECT_EQ(read.EnvironmentType, 1);
    EXPECT_TRUE(read.SoundsON) << "any number but 0 is true";
    // "Back" is missing: D keeps the built-in green; the system colour survives as such.
    EXPECT_EQ(read.FaceColors, (std::array<TColor, 7>{1, 2, 3, 4, 5, 32768, clBtnFace}));
    EXPECT_EQ(read.StickerTextureFile, "kept.bmp");

    struct Case {
        const char* Text;
        std::function<bool(const tCubeSettings&)> Check;
    };
    const Case nonsense[] = {
        {"[CUBE]\nCubeFaceRotationSpeed=fast\n", [](const auto& s) { return s.CubeFaceRotationSpeed == 1; }},
        {"[CUBE]\nCubeFaceRotationSpeed=9\n", [](const auto& s) { return s.CubeFaceRotationSpeed == 2; }},
        {"[CUBE]\nCubeFaceRotationSpeed=-4\n", [](const auto& s) { return s.CubeFaceRotationSpeed == 0; }},
        {"[CUBE]\nAnimateFaceRotations=no\n", [](const auto& s) { return s.AnimateFaceRotations; }},
        {"[ENVIRON]\nBackgroundColor=blue\n", [](const auto& s) { return s.BackgroundColor == 0; }},
        {"[ENVIRON]\nBackgroundColor=305419896\n", [](const auto& s) { return s.BackgroundColor == 0; }},
        {"[FACES]\nUp=-7\n", [](const auto& s) { return s.FaceColors[0] == 0xFFFFFFF9u; }},
        {"[FACES]\nUp=305419896\nRight=x\n",
         [](const auto& s) { return s.FaceColors[0] == 16711680 && s.FaceColors[1] == 255; }},
    };
    for (const Case& c : nonsense) {
        SCOPED_TRACE(c.Text);
        EXPECT_TRUE(c.Check(Loaded(folder, c.Text)));
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

using Clock = std::chrono::steady_clock;

class SettingsDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Folder.isValid());
        WriteText(SettingsFile(), ProgramSettings);
        ASSERT_TRUE(QDir(Folder.path()).mkpath("user/torvane"));
        WriteText(UserFile(), "; the user's\n[CUBE]\nCubeFaceRotationSpeed=1\n"); // read over the program's
        Main = std::make_unique<TFormMain>(Folder.path(), UserFile());
        ASSERT_FALSE(Main->Terminating());
        Main->resize(1000, 760);
        Main->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Main.get()));
        Defaults = Main->FormDefaultSettings;
        ASSERT_NE(Defaults, nullptr);
    }
    void TearDown() override { Main.reset(); }

    QString SettingsFile() const { return Folder.filePath("torvane.ini"); }
    // The user's own file, read over the program folder's.
    QString UserFile() const { return Folder.filePath("user/torvane/torvane.ini"); }

    const std::string ProgramSettings =
        "[CUBE]\nSurfaceDetail=5\nCubeFaceRotationSpeed=0\n[ENGINES]\nEngine1=none.so\n";

    static void Customize(TFormGame* Game, const std::function<void(TFormCustomize&)>& Use) {
        testsupport::Customize(Game, Use);
    }
    static void Choose(QComboBox* List, int Index) { testsupport::Choose(List, Index); }

    // Waits until the view's move thread has nothing left to do.
    static bool Drain(TCube3D& View) {
        const auto end = Clock::now() + std::chrono::seconds(30);
        while (Clock::now() < end) {
            QTest::qWait(20);
            if (View.MovesFinished()) {
                return true;
            }
        }
        return false;
    }

    TMessageRecorder Messages;
    QTemporaryDir Folder;
    std::unique_ptr<TFormMain> Main;
    TFormDefaultSettings* Defaults = nullptr;
};

TEST_F(SettingsDialogTest, DefaultsAreSavedAndReachOnlyTheNextGames) {
    EXPECT_EQ(Main->DefaultSettings.SurfaceDetail, 5);
    TFormGame* before = Main->NewGame(0);
    Main->ActionDefaultSettings->trigger();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Defaults));
    EXPECT_EQ(Defaults->ComboBoxSliceRotationSpeed->currentText(), "Medium");
    EXPECT_FALSE(Defaults->ComboBoxStickerType->isVisible());
    EXPECT_FALSE(Defaults->PanelVendor->text().isEmpty());

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
}

TEST_F(SettingsDialogTest, ChangeReachesTheDefaultsAtOnceAndCloseDropsTheRest) {
    Main->ActionDefaultSettings->trigger();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Defaults));
    Messages.ColorAnswer = 0x123456;
    QTest::mouseClick(Defaults->btnChangeEnviron, Qt::LeftButton);
    EXPECT_EQ(Defaults->PreviewSettings().BackgroundColor, 0x123456u);

    Choose(Defaults->ComboBoxEnvironment, 1);
    Messages.FileAnswer = Folder.filePath("Sky.env").toStdString();
    QTest::mouseClick(Defaults->btnChangeEnviron, Qt::LeftButton);
    EXPECT_EQ(Messages.FiltersAsked.back(), "Torvane Environment (*.env)");
    EXPECT_EQ(Messages.FoldersAsked.back(), QDir(Folder.path()).filePath("Environment").toStdString());
    EXPECT_EQ(Defaults->PreviewSettings().EnvironmentType, 1);
    EXPECT_EQ(Defaults->PreviewSettings().EnvironFile, Folder.filePath("Sky.env").toStdString());

    Defaults->CheckBoxAnimateRotations->setChecked(false);
    QTest::mouseClick(Defaults->btnClose, Qt::LeftButton);
    EXPECT_FALSE(Defaults->isVisible());
    TFormGame* game = Main->NewGame(0);
    EXPECT_EQ(game->Settings.BackgroundColor, 0x123456u);
    EXPECT_EQ(game->Settings.EnvironFile, Folder.filePath("Sky.env").toStdString());
    EXPECT_EQ(game->Settings.EnvironmentType, 0) << "the list reaches the defaults only through Save";
    EXPECT_TRUE(game->Settings.AnimateFaceRotations);
    EXPECT_EQ(ReadText(SettingsFile()), ProgramSettings);
    EXPECT_EQ(ReadText(UserFile()), "; the user's\n[CUBE]\nCubeFaceRotationSpeed=1\n");
}

TEST_F(SettingsDialogTest, ASaveThatCannotBeWrittenSaysSoAndLosesNothing) {
    ASSERT_TRUE(QFile::remove(UserFile()));
    ASSERT_TRUE(QDir(Folder.path()).mkpath("user/torvane/torvane.ini/blocked"));
    Main->ActionDefaultSettings->trigger();
    Choose(Defaults->ComboBoxSliceRotationSpeed, 0);
    QTest::mouseClick(Defaults->btnSave, Qt::LeftButton);
    ASSERT_EQ(Messages.Shown.size(), 1u);
    EXPECT_EQ(Messages.Shown[0].Title, "Default Settings");
    EXPECT_EQ(Messages.Shown[0].Text.rfind("The settings could not be saved.\n", 0), 0u)
        << Messages.Shown[0].Text;
    EXPECT_TRUE(Defaults->isVisible()) << "the choices stay on screen to be saved again";
    EXPECT_EQ(Defaults->ComboBoxSliceRotationSpeed->currentIndex(), 0);
    EXPECT_EQ(Main->DefaultSettings.CubeFaceRotationSpeed, 1);
}

TEST_F(SettingsDialogTest, ApplyChangesOneGameAndCloseNone) {
    TFormGame* game = Main->NewGame(0);
    TFormGame* other = Main->NewGame(1);
    const tCubeSettings defaults = Main->DefaultSettings;
    const tCubeSettings original = game->Settings;

    Customize(game, [&](TFormCustomize& dialog) {
        EXPECT_EQ(dialog.PageControl->currentIndex(), 0);
        Choose(dialog.ComboBoxSliceRotationSpeed, 0);
        dialog.CheckBoxLighting->setChecked(false);
        Messages.ColorAnswer = 0x010203;
        dialog.PanelColorClick(dialog.ColorPanels[1]); // R
        Choose(dialog.ComboBoxEnvironment, 0);
        Messages.ColorAnswer = 0x0A0B0C;
        QTest::mouseClick(dialog.btnChangeEnviron, Qt::LeftButton);
        QTest::mouseClick(dialog.btnClose, Qt::LeftButton);
    });
    EXPECT_EQ(game->Settings, original) << "Close changes nothing";

    Customize(game, [&](TFormCustomize& dialog) {
        EXPECT_EQ(dialog.ComboBoxSliceRotationSpeed->currentIndex(), 1);
        Choose(dialog.ComboBoxSliceRotationSpeed, 0);
        dialog.CheckBoxLighting->setChecked(false);
        Messages.ColorAnswer = 0x010203;
        dialog.PanelColorClick(dialog.ColorPanels[1]);
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
    EXPECT_EQ(Main->NewGame(0)->Settings.CubeFaceRotationSpeed, 1);
}

TEST_F(SettingsDialogTest, RestoreBringsBackTheColoursOfTheShowing) {
    TFormGame* game = Main->NewGame(0);
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
    EXPECT_EQ(Messages.ColorsAsked.size(), 2u);
}

TEST_F(SettingsDialogTest, TestTurnsThePreviewAndNotTheGame) {
    TFormGame* game = Main->NewGame(0);
    const CubeState0 state = game->View->Cube->GetState();
    Customize(game, [&](TFormCustomize& dialog) {
        TRubikCube clean(1);
        clean.Clean();
        QTest::mouseClick(dialog.btnTest, Qt::LeftButton);
        ASSERT_TRUE(Drain(*dialog.Preview));
        EXPECT_NE(dialog.Preview->Cube->GetState(), clean.GetState());
        QTest::mouseClick(dialog.btnApply, Qt::LeftButton);
    });
    EXPECT_EQ(game->View->Cube->GetState(), state);
    EXPECT_TRUE(game->History.UndoList.empty());

    Main->ActionDefaultSettings->trigger();
    QTest::mouseClick(Defaults->btnTest, Qt::LeftButton);
    ASSERT_TRUE(Drain(*Defaults->Preview));
    EXPECT_EQ(game->View->Cube->GetState(), state);
}

} // namespace
