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
#include <algorithm>

namespace {

using testsupport::EngineFile;

class FormEnginesTest : public testsupport::MainWindowTest {
protected:
    void SetUp() override {
        // One engine by a name relative to the program folder, the rest by their full paths.
        ASSERT_TRUE(
            QFile::copy(QString::fromStdString(EngineFile("both_engine")), Folder.filePath("both.so")));
        // The host sits beside the program, as installed, and keeps a crashing engine out.
        ASSERT_TRUE(QFile::copy(ENGINE_HOST, Folder.filePath(EngineHostName)));
        EngineTable().SetVerdictFile(Folder.filePath("verdicts.ini").toStdString());
        EngineTable().SetLoadTimeLimit(std::chrono::seconds(3));
        Ini = "; kept as it is\r\n[CUBE]\r\nAnimateFaceRotations=0\r\n\r\n[ENGINES]\r\nEngine1=" +
              EngineFile("hang_engine") + "\r\nEngine2=" + EngineFile("nosolve_engine") +
              "\r\nEngine3=" + EngineFile("good_engine") +
              "\r\nEngine4=\r\nengine5=" + EngineFile("bare_engine") +
              "\r\nEngine6=" + Folder.filePath("missing.so").toStdString() +
              "\r\nEngine7=" + EngineFile("crashinfo_engine") +
              "\r\nEngine33=both.so\r\nEngine34=" + EngineFile("negative_engine") +
              "\r\n[Other]\r\nKey=Value\r\n";
        testsupport::WriteText(Folder.filePath("torvane.ini"), Ini);
        Open();
        Dialog = Main->FormEngines;
        // The hanging engine keeps the loads going for seconds; the window is there before that.
        EXPECT_FALSE(EngineTable().Loaded());
        QTRY_VERIFY_WITH_TIMEOUT(EngineTable().Loaded(), 30000);
    }
    void TearDown() override {
        MainWindowTest::TearDown();
        EngineTable().Clear();
        EngineTable().SetVerdictFile({});
        EngineTable().SetLoadTimeLimit(std::chrono::seconds(10));
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
        QTRY_VERIFY_WITH_TIMEOUT(!Dialog->AddPending(), 30000);
    }
    static int Slot(TEngineId id) {
        const std::vector<TEngineId> ids = EngineTable().Ids();
        const auto found = std::find(ids.begin(), ids.end(), id);
        return found == ids.end() ? -1 : static_cast<int>(found - ids.begin());
    }
    // Each item's caption and the slot of the engine it stands for.
    static QStringList SubmenuTexts(TFormGame* game) {
        QStringList texts;
        for (QAction* action : game->mSolveWith->actions()) {
            texts << action->text() + "=" +
                         QString::number(Slot(static_cast<TEngineId>(action->data().toUInt())));
        }
        return texts;
    }

    std::string Ini;
    TFormEngines* Dialog = nullptr;
};

// Start-up loads the listed engines in key order, skipping those that do not load; the dialog shows
// each, its details in fixed pitch; Add and Remove change the table and the tree, never the file,
// and the next start loads what the file lists.
TEST_F(FormEnginesTest, TheDialogAndItsAddAndRemoveChangeTheTableAndTheTreeAndNeverTheFile) {
    ASSERT_EQ(EngineTable().Count(), 3);
    EXPECT_EQ(EngineTable().Find(EngineTable().Ids()[2])->LibraryFile, "both.so");
    Main->ActionEngines->trigger();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Dialog));
    EXPECT_EQ(TopLevelTexts(), QStringList({"Good Engine", "Bare Engine", "Both Sizes"}));
    QStringList details; // the engine's own texts, each in its place
    for (int line = 3; line < 8; ++line) {
        details << Dialog->TreeViewEngines->topLevelItem(0)->child(line)->text(0).simplified();
    }
    EXPECT_EQ(details, QStringList({"Version : 1.2", "Copyright : Free for tests", "Contact : The testers",
                                    "Web Site : https://tests.example", "e-mail : tests@tests.example"}));
    // The values line up in a column only where every letter is as wide as every other.
    const QFontMetrics shown(Dialog->TreeViewEngines->font());
    for (const char* label : TFormEngines::DetailLabels) {
        EXPECT_EQ(shown.horizontalAdvance(label), shown.horizontalAdvance(QString(19, 'W'))) << label;
    }

    EXPECT_FALSE(Dialog->btnRemoveEngine->isEnabled());
    Add(EngineFile("nosolve_engine"));
    EXPECT_EQ(EngineTable().Count(), 3);
    EXPECT_TRUE(Messages.Shown.empty());
    Add(EngineFile("negative_engine"));
    EXPECT_EQ(TopLevelTexts(), QStringList({"Good Engine", "Bare Engine", "Both Sizes", "Negative"}));

    // A detail line stands for its engine.
    Dialog->TreeViewEngines->setCurrentItem(Dialog->TreeViewEngines->topLevelItem(0)->child(3));
    EXPECT_TRUE(Dialog->btnRemoveEngine->isEnabled());
    QTest::mouseClick(Dialog->btnRemoveEngine, Qt::LeftButton);
    EXPECT_EQ(EngineTable().Count(), 3);
    EXPECT_EQ(TopLevelTexts(), QStringList({"Bare Engine", "Both Sizes", "Negative"}));
    EXPECT_FALSE(Dialog->btnRemoveEngine->isEnabled());
    Dialog->TreeViewEngines->setCurrentItem(Dialog->TreeViewEngines->topLevelItem(2));
    QTest::mouseClick(Dialog->btnRemoveEngine, Qt::LeftButton);
    EXPECT_EQ(TopLevelTexts(), QStringList({"Bare Engine", "Both Sizes"}));
    Main.reset();
    EXPECT_EQ(testsupport::ReadText(Folder.filePath("torvane.ini")), Ini);
    Main = std::make_unique<TFormMain>(Folder.path());
    QTRY_VERIFY_WITH_TIMEOUT(EngineTable().Loaded(), 30000);
    EXPECT_EQ(EngineTable().Count(), 3);
}

TEST_F(FormEnginesTest, GamesOfferTheEnginesThatSolveTheirSize) {
    TFormGame* game = Main->NewGame(0);
    EXPECT_EQ(SubmenuTexts(game), QStringList({"Good Engine=0", "Both Sizes=2"}));
    EXPECT_TRUE(game->mSolveWith->isEnabled());
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
    EXPECT_TRUE(QTest::qWaitFor([game] { return !game->Solving() && game->View->MovesFinished(); }, 30000));
    EXPECT_EQ(Slot(game->EngineIndex), 2);
    EXPECT_EQ(game->SolutionList, std::vector<std::string>({"R", "U", "Ri", "Ui"}));
    testsupport::SetEngineAnswer("good_engine", "R U Ri Ui");
}

} // namespace
