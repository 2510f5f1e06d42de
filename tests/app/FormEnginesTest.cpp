// The engine registry and dialog, and the engines a game window offers, with the small test engines
// listed in a real settings file of a program folder of the test's own.
#include "app/FormEngines.h"

#include "engines/Engines.h"
#include "support/AppWindows.h"
#include "support/TestEngines.h"

#include <QFontMetrics>
#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>

namespace {

using testsupport::EngineFile;

class FormEnginesTest : public testsupport::MainWindowTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(Folder.isValid());
        // One engine by a name relative to the program folder, the rest by their full paths.
        ASSERT_TRUE(
            QFile::copy(QString::fromStdString(EngineFile("both_engine")), Folder.filePath("both.so")));
        // The probe sits beside the program, as installed, and keeps a crashing engine out.
        ASSERT_TRUE(QFile::copy(ENGINE_PROBE, Folder.filePath("torvane-engine-probe")));
        const auto path = [](const char* name) { return QString::fromStdString(EngineFile(name)); };
        Ini =
            QString("; kept as it is\r\n[CUBE]\r\nAnimateFaceRotations=0\r\n\r\n[ENGINES]\r\nEngine2=%1\r\n"
                    "Engine3=%2\r\nEngine4=\r\nengine5=%3\r\nEngine6=%4\r\nEngine7=%5\r\nEngine33=both.so\r\n"
                    "Engine34=%6\r\n[Other]\r\nKey=Value\r\n")
                .arg(path("nosolve_engine"), path("good_engine"), path("bare_engine"),
                     Folder.filePath("missing.so"), path("crashinfo_engine"), path("negative_engine"))
                .toStdString();
        testsupport::WriteText(Folder.filePath("torvane.ini"), Ini);
        Open();
        Dialog = Main->FormEngines;
    }
    void TearDown() override {
        MainWindowTest::TearDown();
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
    static QStringList SubmenuTexts(TFormGame* game) {
        QStringList texts;
        for (QAction* action : game->mSolveWith->actions()) {
            texts << action->text() + "=" + action->data().toString();
        }
        return texts;
    }

    std::string Ini;
    TFormEngines* Dialog = nullptr;
};

TEST_F(FormEnginesTest, TheDialogShowsEachEngineWithItsDetailsInTheirColours) {
    Main->ActionEngines->trigger();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Dialog));
    EXPECT_TRUE(Dialog->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(TopLevelTexts(), QStringList({"Good Engine", "Bare Engine", "Both Sizes"}));
    QTreeWidget* tree = Dialog->TreeViewEngines;
    QStringList details;
    for (QTreeWidgetItem* node : {tree->topLevelItem(1), tree->topLevelItem(2)}) {
        for (int line = 0; line < node->childCount(); ++line) {
            details << node->child(line)->text(0);
        }
    }
    const QString same =
        "Version          : 1.2|Copyright        : Free for tests|Contact          : The testers|"
        "Web Site         : https://tests.example|e-mail           : tests@tests.example";
    EXPECT_EQ(details.join("|"), "Construct String : ufrbld|Supported Cubes  : |Library File     : " +
                                     QString::fromStdString(EngineFile("bare_engine")) + "|" + same +
                                     "|Construct String : dlbrfu|Supported Cubes  : 2x2 3x3 |"
                                     "Library File     : both.so|" +
                                     same);
    // The values line up in a column only where every letter is as wide as every other.
    const QFontMetrics shown(tree->font());
    for (const char* label : TFormEngines::DetailLabels) {
        EXPECT_EQ(shown.horizontalAdvance(label), shown.horizontalAdvance(QString(19, 'W'))) << label;
    }

    // Counts the pixels near Colour in the row of Item as drawn (the style shades the selection).
    const auto pixelsOf = [tree](QTreeWidgetItem* Item, QColor Colour) {
        QApplication::processEvents();
        const QImage row = tree->viewport()->grab().toImage().copy(tree->visualItemRect(Item));
        int count = 0;
        for (int y = 0; y < row.height(); ++y) {
            for (int x = 0; x < row.width(); ++x) {
                const QColor c = row.pixelColor(x, y);
                count += std::max({std::abs(c.red() - Colour.red()), std::abs(c.green() - Colour.green()),
                                   std::abs(c.blue() - Colour.blue())}) < 48;
            }
        }
        return count;
    };
    tree->expandAll();
    QTreeWidgetItem* engine = tree->topLevelItem(0);
    QTreeWidgetItem* detail = engine->child(2);
    tree->setCurrentItem(engine);
    EXPECT_GT(pixelsOf(engine, Qt::yellow), 100) << "a selected engine lies on yellow";
    EXPECT_GT(pixelsOf(engine, Qt::darkGreen), 10);
    EXPECT_GT(pixelsOf(detail, Qt::blue), 10);
    EXPECT_EQ(pixelsOf(detail, Qt::yellow), 0);
    tree->setCurrentItem(detail);
    EXPECT_EQ(pixelsOf(engine, Qt::yellow), 0);
    EXPECT_GT(pixelsOf(detail, Qt::white), 100) << "a selected detail line lies on white";
    EXPECT_GT(pixelsOf(detail, Qt::blue), 10);
}

// Start-up loads the listed engines in key order, skipping those that do not load; Add and Remove
// change the table and the tree, never the file, and the next start loads what the file lists.
TEST_F(FormEnginesTest, AddAndRemoveChangeTheTableAndTheTreeAndNeverTheFile) {
    ASSERT_EQ(EngineCount, 3);
    EXPECT_EQ(Engines[2].LibraryFile, "both.so");
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
    Main.reset();
    EXPECT_EQ(testsupport::ReadText(Folder.filePath("torvane.ini")), Ini);
    Main = std::make_unique<TFormMain>(Folder.path());
    EXPECT_EQ(EngineCount, 3);
}

TEST_F(FormEnginesTest, GamesOfferTheEnginesThatSolveTheirSize) {
    TFormGame* game = Main->NewGame(0);
    EXPECT_EQ(SubmenuTexts(game), QStringList({"Good Engine=0", "Both Sizes=2"}));
    EXPECT_TRUE(game->mSolveWith->isEnabled());
    EXPECT_FALSE(game->mSolveWith->menuAction()->isVisible());
    TFormGame mini(nullptr, BuiltInSettings, "Mini", "Rubik's Cube", false, 0);
    EXPECT_EQ(SubmenuTexts(&mini), QStringList({"Both Sizes=2"}));

    // Engines added later reach the games opened after, not before.
    Add(EngineFile("good_engine"));
    EXPECT_EQ(SubmenuTexts(game), QStringList({"Good Engine=0", "Both Sizes=2"}));
    EXPECT_EQ(SubmenuTexts(Main->NewGame(1)),
              QStringList({"Good Engine=0", "Both Sizes=2", "Good Engine=3"}));

    // The item solves with its own slot.
    testsupport::SetEngineAnswer("good_engine", "F2 B2"); // slot 2 is a copy: it answers as it was built
    game->mSolveWith->actions().at(1)->trigger();
    EXPECT_EQ(game->EngineIndex, 2);
    EXPECT_EQ(game->SolutionList, std::vector<std::string>({"R", "U", "Ri", "Ui"}));
    testsupport::SetEngineAnswer("good_engine", "R U Ri Ui");
}

} // namespace
