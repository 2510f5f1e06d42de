// The engine registry and dialog, and solving from a game window, with the small test engines listed in
// a real settings file of a program folder of the test's own.
#include "app/FormEngines.h"

#include "app/Dialogs.h"
#include "app/FormGame.h"
#include "app/FormMain.h"
#include "engines/Engines.h"
#include "support/TestEngines.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFontMetrics>
#include <QImage>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>

namespace {

using testsupport::EngineFile;

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class FormEnginesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Folder.isValid());
        // One engine by a name relative to the program folder, the rest by their full paths.
        ASSERT_TRUE(
            QFile::copy(QString::fromStdString(EngineFile("both_engine")), Folder.filePath("both.so")));
        // The probe sits beside the program, as installed, and keeps a crashing engine out.
        ASSERT_TRUE(QFile::copy(ENGINE_PROBE, Folder.filePath("torvane-engine-probe")));
        Ini = "; kept as it is\r\n[CUBE]\r\nAnimateFaceRotations=0\r\n\r\n[ENGINES]\r\n"
              "Engine2=" +
              QByteArray::fromStdString(EngineFile("nosolve_engine")) +
              "\r\n"
              "Engine3=" +
              QByteArray::fromStdString(EngineFile("good_engine")) +
              "\r\n"
              "Engine4=\r\n"
              "engine5=" +
              QByteArray::fromStdString(EngineFile("bare_engine")) +
              "\r\n"
              "Engine6=" +
              Folder.filePath("missing.so").toUtf8() +
              "\r\n"
              "Engine7=" +
              QByteArray::fromStdString(EngineFile("crashinfo_engine")) +
              "\r\n"
              "Engine33=both.so\r\n"
              "Engine34=" +
              QByteArray::fromStdString(EngineFile("negative_engine")) +
              "\r\n"
              "[Other]\r\nKey=Value\r\n";
        QFile file(Folder.filePath("torvane.ini"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(Ini);
        file.close();
        Main = std::make_unique<TFormMain>(Folder.path());
        ASSERT_FALSE(Main->Terminating());
        Main->resize(1000, 760);
        Main->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Main.get()));
        Dialog = Main->FormEngines;
        ASSERT_NE(Dialog, nullptr);
    }
    void TearDown() override {
        Main.reset();
        EngineCount = 0;
    }

    QStringList TopLevelTexts() const {
        QStringList texts;
        for (int i = 0; i < Dialog->TreeViewEngines->topLevelItemCount(); ++i) {
            texts << Dialog->TreeViewEngines->topLevelItem(i)->text(0);
        }
        return texts;
    }

    // Chooses File in the open dialog of "Add".
    void Add(const std::string& File) {
        Messages.FileAnswer = File;
        QTest::mouseClick(Dialog->btnAddEngine, Qt::LeftButton);
    }

    QStringList SubmenuTexts(TFormGame* game) const {
        QStringList texts;
        for (QAction* action : game->mSolveWith->actions()) {
            texts << action->text() + "=" + action->data().toString();
        }
        return texts;
    }

    TMessageRecorder Messages;
    QTemporaryDir Folder;
    QByteArray Ini;
    std::unique_ptr<TFormMain> Main;
    TFormEngines* Dialog = nullptr;
};

TEST_F(FormEnginesTest, StartUpLoadsTheListedEnginesInKeyOrderAndNeverWritesTheFile) {
    ASSERT_EQ(EngineCount, 3);
    EXPECT_EQ(Engines[0].EngineName, "Good Engine");
    EXPECT_EQ(Engines[1].EngineName, "Bare Engine");
    EXPECT_EQ(Engines[2].EngineName, "Both Sizes");
    EXPECT_EQ(Engines[2].LibraryFile, "both.so");
    EXPECT_TRUE(Messages.Shown.empty()) << "engines that do not load are skipped silently";

    Add(EngineFile("negative_engine"));
    ASSERT_EQ(EngineCount, 4);
    Main.reset();
    EXPECT_EQ(ReadFile(Folder.filePath("torvane.ini")), Ini);

    // The next start loads what the file lists, not what was added.
    Main = std::make_unique<TFormMain>(Folder.path());
    EXPECT_EQ(EngineCount, 3);
}

TEST_F(FormEnginesTest, TheDialogShowsEachEngineWithItsDetails) {
    Main->ActionEngines->trigger();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Dialog));
    EXPECT_TRUE(Dialog->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(TopLevelTexts(), QStringList({"Good Engine", "Bare Engine", "Both Sizes"}));

    QStringList details;
    for (QTreeWidgetItem* node :
         {Dialog->TreeViewEngines->topLevelItem(1), Dialog->TreeViewEngines->topLevelItem(2)}) {
        for (int line = 0; line < node->childCount(); ++line) {
            details << node->child(line)->text(0);
        }
    }
    EXPECT_EQ(details, QStringList({
                           "Construct String : ufrbld",
                           "Supported Cubes  : ",
                           "Library File     : " + QString::fromStdString(EngineFile("bare_engine")),
                           "Version          : 1.2",
                           "Copyright        : Free for tests",
                           "Contact          : The testers",
                           "Web Site         : https://tests.example",
                           "e-mail           : tests@tests.example",
                           "Construct String : dlbrfu",
                           "Supported Cubes  : 2x2 3x3 ",
                           "Library File     : both.so",
                           "Version          : 1.2",
                           "Copyright        : Free for tests",
                           "Contact          : The testers",
                           "Web Site         : https://tests.example",
                           "e-mail           : tests@tests.example",
                       }));
    // The values line up in a column only where every letter is as wide as every other.
    const QFontMetrics shown(Dialog->TreeViewEngines->font());
    for (const char* label : TFormEngines::DetailLabels) {
        EXPECT_EQ(shown.horizontalAdvance(label), shown.horizontalAdvance(QString(19, 'W'))) << label;
    }
}

TEST_F(FormEnginesTest, EnginesAndDetailsAreDrawnInTheirColours) {
    Main->ActionEngines->trigger();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Dialog));
    QTreeWidget* tree = Dialog->TreeViewEngines;
    tree->expandAll();

    // Counts the pixels near Colour in the row of Item as drawn (the style shades the selection).
    const auto pixelsOf = [tree](QTreeWidgetItem* Item, QRgb Colour) {
        QApplication::processEvents();
        const QImage image = tree->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QRect row = tree->visualItemRect(Item).intersected(image.rect());
        int count = 0;
        for (int y = row.top(); y <= row.bottom(); ++y) {
            for (int x = row.left(); x <= row.right(); ++x) {
                const QRgb pixel = image.pixel(x, y);
                const bool near = std::abs(qRed(pixel) - qRed(Colour)) < 48 &&
                                  std::abs(qGreen(pixel) - qGreen(Colour)) < 48 &&
                                  std::abs(qBlue(pixel) - qBlue(Colour)) < 48;
                count += near ? 1 : 0;
            }
        }
        return count;
    };
    constexpr QRgb Yellow = 0xFFFF00, Green = 0x008000, Blue = 0x0000FF, White = 0xFFFFFF;
    QTreeWidgetItem* engine = tree->topLevelItem(0);
    QTreeWidgetItem* detail = engine->child(2);

    tree->setCurrentItem(engine);
    EXPECT_GT(pixelsOf(engine, Yellow), 100) << "a selected engine lies on yellow";
    EXPECT_GT(pixelsOf(engine, Green), 10);
    EXPECT_GT(pixelsOf(detail, Blue), 10);
    EXPECT_EQ(pixelsOf(detail, Yellow), 0);

    tree->setCurrentItem(detail);
    EXPECT_EQ(pixelsOf(engine, Yellow), 0);
    EXPECT_GT(pixelsOf(detail, White), 100) << "a selected detail line lies on white";
    EXPECT_GT(pixelsOf(detail, Blue), 10);
}

TEST_F(FormEnginesTest, AddAndRemoveChangeTheTableAndTheTree) {
    Main->ActionEngines->trigger();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Dialog));
    EXPECT_FALSE(Dialog->btnRemoveEngine->isEnabled());

    Messages.FileAnswer.reset(); // Cancel
    QTest::mouseClick(Dialog->btnAddEngine, Qt::LeftButton);
    Add(EngineFile("nosolve_engine"));
    Add(Folder.filePath("missing.so").toStdString());
    EXPECT_EQ(EngineCount, 3);
    EXPECT_EQ(Messages.FiltersAsked, std::vector<std::string>(3, "Engine Library (*.so)"));
    EXPECT_TRUE(Messages.Shown.empty());

    Add(EngineFile("negative_engine"));
    EXPECT_EQ(EngineCount, 4);
    EXPECT_EQ(TopLevelTexts(), QStringList({"Good Engine", "Bare Engine", "Both Sizes", "Negative"}));

    // A detail line stands for its engine.
    Dialog->TreeViewEngines->setCurrentItem(Dialog->TreeViewEngines->topLevelItem(0)->child(3));
    EXPECT_TRUE(Dialog->btnRemoveEngine->isEnabled());
    QTest::mouseClick(Dialog->btnRemoveEngine, Qt::LeftButton);
    EXPECT_EQ(EngineCount, 3);
    EXPECT_EQ(TopLevelTexts(), QStringList({"Bare Engine", "Both Sizes", "Negative"}));
    EXPECT_TRUE(Dialog->TreeViewEngines->selectedItems().isEmpty());
    EXPECT_FALSE(Dialog->btnRemoveEngine->isEnabled());

    Dialog->TreeViewEngines->setCurrentItem(Dialog->TreeViewEngines->topLevelItem(2));
    QTest::mouseClick(Dialog->btnRemoveEngine, Qt::LeftButton);
    EXPECT_EQ(TopLevelTexts(), QStringList({"Bare Engine", "Both Sizes"}));

    // Every showing rebuilds the tree from the table.
    Dialog->close();
    RemoveEngine(0);
    Main->ActionEngines->trigger();
    EXPECT_EQ(TopLevelTexts(), QStringList({"Both Sizes"}));
}

TEST_F(FormEnginesTest, GamesOfferTheEnginesThatSolveTheirSize) {
    TFormGame* game = Main->NewGame(0);
    ASSERT_NE(game, nullptr);
    EXPECT_EQ(SubmenuTexts(game), QStringList({"Good Engine=0", "Both Sizes=2"}));
    EXPECT_TRUE(game->mSolveWith->isEnabled());
    EXPECT_FALSE(game->mSolveWith->menuAction()->isVisible());

    TFormGame mini(nullptr, BuiltInSettings, "Mini", "Rubik's Cube", false, 0);
    EXPECT_EQ(SubmenuTexts(&mini), QStringList({"Both Sizes=2"}));

    // Engines added later reach the games opened after, not before.
    Add(EngineFile("good_engine"));
    EXPECT_EQ(SubmenuTexts(game), QStringList({"Good Engine=0", "Both Sizes=2"}));
    TFormGame* later = Main->NewGame(1);
    EXPECT_EQ(SubmenuTexts(later), QStringList({"Good Engine=0", "Both Sizes=2", "Good Engine=3"}));

    // The item solves with its own slot.
    testsupport::SetEngineAnswer("good_engine", "F2 B2"); // slot 2 is a copy: it answers as it was built
    game->mSolveWith->actions().at(1)->trigger();
    EXPECT_EQ(game->EngineIndex, 2);
    EXPECT_EQ(game->SolutionList, std::vector<std::string>({"R", "U", "Ri", "Ui"}));
    testsupport::SetEngineAnswer("good_engine", "R U Ri Ui");

    EngineCount = 0;
    TFormGame none(nullptr, BuiltInSettings, "None", "Rubik's Cube", false, 1);
    EXPECT_TRUE(none.mSolveWith->actions().isEmpty());
    EXPECT_FALSE(none.mSolveWith->isEnabled());
}

TEST_F(FormEnginesTest, SolveStoresTheAnswerOrSaysWhatIsWrong) {
    TFormGame* game = Main->NewGame(0);
    ASSERT_NE(game, nullptr);
    game->Settings.AnimateFaceRotations = false;
    game->View->Settings.AnimateFaceRotations = false;
    game->PlayMoves("R U", false, true);
    QTest::qWait(100);
    const CubeState0 state = game->View->Cube->GetState();
    const std::vector<std::string> undo = game->History.UndoList;

    testsupport::SetEngineAnswer("good_engine", " Ui  Ri ");
    game->ActionSolve->trigger();
    EXPECT_EQ(game->SolutionList, std::vector<std::string>({"Ui"}));
    EXPECT_EQ(game->View->Cube->GetState(), state) << "the answer is stored, not played";
    EXPECT_EQ(game->History.UndoList, undo);
    EXPECT_EQ(game->ClientArea->cursor().shape(), Qt::CrossCursor);
    EXPECT_TRUE(Messages.Shown.empty());
    testsupport::SetEngineAnswer("good_engine", "R U Ri Ui");

    const TShownMessage invalid{"Error", "Cube is not valid !\nCheck your cube and correct it.",
                                TMessageIcon::Error, false};
    Add(EngineFile("negative_engine"));
    game->EngineIndex = 3;
    game->ActionSolve->trigger();
    ASSERT_EQ(Messages.Shown.size(), 1u);
    EXPECT_EQ(Messages.Shown.back(), invalid);
    EXPECT_EQ(game->SolutionList, std::vector<std::string>({"Ui"}));

    // An engine that fails is named, and the cube is not blamed.
    Add(EngineFile("throw_engine"));
    game->EngineIndex = 4;
    game->ActionSolve->trigger();
    ASSERT_EQ(Messages.Shown.size(), 2u);
    EXPECT_EQ(Messages.Shown.back(),
              (TShownMessage{"Error",
                             "The solver engine \"Throw\" failed.\nTry another engine, or remove this one.",
                             TMessageIcon::Error, false}));
    EXPECT_EQ(game->SolutionList, std::vector<std::string>({"Ui"}));

    // A cube with stickers without colour never reaches the engine.
    game->EngineIndex = 0;
    game->ActionEmptyCube->trigger();
    const int calls = testsupport::SolveCalls("good_engine");
    game->ActionSolve->trigger();
    ASSERT_EQ(Messages.Shown.size(), 3u);
    EXPECT_EQ(Messages.Shown.back(), invalid);
    EXPECT_EQ(testsupport::SolveCalls("good_engine"), calls);

    game->EngineIndex = 5; // past the table's end, as after a removal
    game->ActionSolve->trigger();
    ASSERT_EQ(Messages.Shown.size(), 4u);
    EXPECT_EQ(Messages.Shown.back().Text, "The solver engine chosen for this game is no longer installed.");
    EngineCount = 0;
    game->ActionSolve->trigger();
    EXPECT_EQ(Messages.Shown.back().Text, "No solver engine is installed.");
    EXPECT_EQ(game->SolutionList, std::vector<std::string>({"Ui"}));
}

} // namespace
