#pragma once
// Driving a game's settings dialog as a user would: open it, act on it while it is shown (it is
// modal), and choose list entries the way a click does.

#include "app/FormGame.h"
#include "app/SettingsDialogs.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace testsupport {

// Opens the game's "Settings..." and lets Use drive the modal dialog; the dialog is cancelled after
// it unless Use ended it.
inline void Customize(TFormGame* Game, const std::function<void(TFormCustomize&)>& Use) {
    bool used = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<TFormCustomize*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        used = true;
        Use(*dialog);
        if (dialog->isVisible()) {
            dialog->reject();
        }
    });
    Game->ActionSettings->trigger();
    EXPECT_TRUE(used);
}

// Chooses an entry as a user's click does (the dialogs act on "activated").
inline void Choose(QComboBox* List, int Index) {
    List->setCurrentIndex(Index);
    emit List->activated(Index);
}

} // namespace testsupport
