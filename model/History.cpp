#include "model/History.h"

#include "model/Notation.h"

#include <algorithm>

namespace {

// Takes the last token of From, plays it and appends its inverse to To. The lists change even if the
// play were refused: every token here came from InverseMove of an accepted one.
bool Step(std::vector<std::string>& From, std::vector<std::string>& To, const TMoveHistory::TPlay& Play,
          bool Animate) {
    if (From.empty()) {
        return false;
    }
    const std::string token = From.back();
    Play(token, Animate);
    From.pop_back();
    To.push_back(InverseMove(token));
    return true;
}

} // namespace

bool TMoveHistory::Undo(const TPlay& Play, bool Animate) {
    const bool undone = Step(UndoList, RedoList, Play, Animate);
    // Undone across the setting: redone moves count from where the undo left the list.
    SetAt = std::min(SetAt, UndoList.size());
    return undone;
}

bool TMoveHistory::Redo(const TPlay& Play, bool Animate) {
    return Step(RedoList, UndoList, Play, Animate);
}

void TMoveHistory::UndoAll(const TPlay& Play, const std::function<void()>& OnRestart) {
    if (OnRestart) {
        OnRestart();
    }
    while (Undo(Play, false)) {
    }
}
