#pragma once
// The engines dialog: has the process-wide engine table filled from the settings file when it is
// created (in the background: nothing here waits for an engine), shows every loaded engine with what
// it says of itself, and adds and removes engine libraries until the program ends. The settings file's
// "ENGINES" section is only read: what is added or removed here lasts for this run.

#include "app/Settings.h"

#include <QDialog>
#include <QString>
#include <memory>

class QFrame;
class QPushButton;
class QTreeWidget;

// Keys "Engine1" to "Engine33" of this section name the engine libraries to load at start-up.
inline constexpr const char* EnginesSection = "ENGINES";

class TFormEngines : public QDialog {
    Q_OBJECT

public:
    // Starts loading the engines the settings files list; relative file names are found in ProgramFolder.
    TFormEngines(QWidget* Owner, TSettingsFiles Files, QString ProgramFolder);
    ~TFormEngines() override;

    // Fills the engine table from the settings file in the background: engines take consecutive slots
    // in the order of their key numbers as they answer; a key that is missing, empty or names no
    // engine is skipped.
    void LoadEngines();
    // Rebuilds the tree from the table, without a selection. The tree follows the table by itself
    // while the dialog is shown.
    void RefreshEngineList();
    // Whether a library chosen with "Add" is still being tried.
    bool AddPending() const { return PendingAdds > 0; }

    QFrame* PanelEngine = nullptr;
    QTreeWidget* TreeViewEngines = nullptr;
    QFrame* PanelBottom = nullptr;
    QPushButton* btnAddEngine = nullptr;
    QPushButton* btnRemoveEngine = nullptr;

    // The labels of an engine's detail lines, in order; each is 19 characters long.
    static const char* const DetailLabels[8];

protected:
    void showEvent(QShowEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;

private:
    void btnAddEngineClick();
    void btnRemoveEngineClick();

    TSettingsFiles Files;
    QString Folder;
    int PendingAdds = 0;
    // What the table's threads post to; emptied when the dialog goes.
    struct TPost;
    std::shared_ptr<TPost> Post;
    int Listener = 0;
};
