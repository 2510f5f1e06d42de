#pragma once
// Plain message boxes (an OK button, no icon, no owner window) that the view and its loaders show.
// The program installs the handler that puts them on screen; tests install one that records them.
// Without a handler the caption and text go to standard error.
//
// Threads: ShowMessage may be called from any thread, also with a view's Lock held. The handler
// decides how the text reaches the UI thread; it must not make the caller wait for the UI thread
// while the caller may hold a lock the UI thread takes.

#include <functional>
#include <string>

using TMessageHandler = std::function<void(const std::string& Caption, const std::string& Text)>;

// Replaces the handler; an empty one restores the standard-error fallback. Gives the one before.
TMessageHandler SetMessageHandler(TMessageHandler Handler);

void ShowMessage(const std::string& Caption, const std::string& Text);
