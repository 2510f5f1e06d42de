#pragma once
// Every message box of the program goes through here: a modal QMessageBox with the title and text
// exactly as given. While a TMessageRecorder lives, boxes are recorded and answered instead of shown,
// so that no test ever blocks on a dialog.
//
// Threads: the boxes are for the UI thread, and never while it holds a view's lock (a box runs an event
// loop). InstallViewMessages routes the view's messages (texture loaders and the like, raised with the
// view's Lock held, on any thread) through the UI thread's event queue: they show after the lock is
// released, and no thread waits for them.

#include "view/CubeSettings.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

enum class TMessageIcon { None, Information, Warning, Error, Question };

// An OK box.
void ShowMessageBox(const std::string& Title, const std::string& Text,
                    TMessageIcon Icon = TMessageIcon::None);
// A Yes / No box; true for Yes.
bool AskYesNo(const std::string& Title, const std::string& Text, TMessageIcon Icon = TMessageIcon::Warning);

// The colour dialog, preset to Color (0x00BBGGRR); true and the new colour in Color if confirmed.
bool AskColor(TColor& Color);

// The file-open dialog starting in Folder (or in the folder of a file named there, with that file
// selected) with a Qt filter ("Engine Library (*.so)"); true and the chosen path in File if confirmed.
bool AskOpenFile(const std::string& Title, const std::string& Folder, const std::string& Filter,
                 std::string& File);

// The file-save dialog offering File (a full path, or a folder) with a Qt filter and a suffix added to
// a name typed without one; it asks before overwriting. True and the chosen path in File if confirmed.
bool AskSaveFile(const std::string& Title, const std::string& Filter, const std::string& Suffix,
                 std::string& File);

// A one-line text dialog with Prompt above the line and Text in it. Check says what is wrong with a
// text (empty when nothing is): the dialog then stays open, shows it and marks the text, so nothing
// typed is lost. True and the accepted text in Text if confirmed.
bool AskText(const std::string& Title, const std::string& Prompt, std::string& Text,
             const std::function<std::string(const std::string&)>& Check);

// Hands an address (a web page or a "mailto:" link) to the desktop; a failure is shown in a box.
void OpenDesktopAddress(const std::string& Address);

// Shows the view's messages as plain boxes on the UI thread.
void InstallViewMessages();

struct TShownMessage {
    std::string Title;
    std::string Text;
    TMessageIcon Icon = TMessageIcon::None;
    bool Question = false;

    bool operator==(const TShownMessage&) const = default;
};

// While one exists (one at a time), boxes are recorded here and questions get Answer. UI thread only.
class TMessageRecorder {
public:
    TMessageRecorder();
    ~TMessageRecorder();
    TMessageRecorder(const TMessageRecorder&) = delete;
    TMessageRecorder& operator=(const TMessageRecorder&) = delete;

    std::vector<TShownMessage> Shown;
    bool Answer = true;
    // What the colour dialog answers: a colour, or nothing for Cancel. The presets it was opened with.
    std::optional<TColor> ColorAnswer;
    std::vector<TColor> ColorsAsked;
    // What the file-open dialog answers (nothing for Cancel), and the filters it was opened with.
    std::optional<std::string> FileAnswer;
    std::vector<std::string> FiltersAsked;
    std::vector<std::string> FoldersAsked;
    // What the file-save dialog answers (nothing for Cancel), and the paths it offered.
    std::optional<std::string> SaveAnswer;
    std::vector<std::string> SavesOffered;
    // What the text dialog answers (nothing for Cancel); a text its check refuses is recorded as a
    // warning box with the check's words, and the dialog counts as cancelled.
    std::optional<std::string> TextAnswer;
    // The addresses handed to the desktop.
    std::vector<std::string> Opened;
    // Runs while each box or question would be on screen, as the box's own event loop would run.
    std::function<void()> WhileShown;
};
