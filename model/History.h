#pragma once
// The undo and redo history of a game: two lists of move tokens, owned by the game window.
//
//   UndoList  for every recorded move, the token of its inverse, in the order the moves were made
//   RedoList  for every undone move, the token that makes it again, in the order they were undone
//
// Recording itself happens where the moves are queued (the view appends the inverse of each token of
// a recorded text to UndoList); after each recorded play the game calls Recorded(), since a new move
// ends the redo chain. Scrambling, cleaning, emptying, painting and solving leave both lists alone.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

class TMoveHistory {
public:
    // Plays a move text without recording it (the game window's PlayMoves with Record off).
    using TPlay = std::function<void(const std::string& Moves, bool Animate)>;

    std::vector<std::string> UndoList;
    std::vector<std::string> RedoList;

    // How many entries of UndoList were there when the cube was last set (scrambled, cleaned, emptied,
    // painted, opened or pasted): the moves since then are the ones a player counts.
    std::size_t SetAt = 0;

    // A recorded play has happened: the redo chain ends.
    void Recorded() { RedoList.clear(); }
    // The cube has been set: the count starts again from here. The lists stay as they are.
    void CubeSet() { SetAt = UndoList.size(); }
    // The recorded moves since the cube was last set; an undo across the setting counts from there.
    std::size_t MovesSinceSet() const { return UndoList.size() > SetAt ? UndoList.size() - SetAt : 0; }
    // Plays the last token of UndoList and moves its inverse to RedoList; false when there is none.
    bool Undo(const TPlay& Play, bool Animate);
    // Plays the last token of RedoList and moves its inverse to UndoList; false when there is none.
    bool Redo(const TPlay& Play, bool Animate);
    // Restarts the game: OnRestart first (the restart sound), then every recorded move undone, most
    // recent first, without animation. The game asks the user before it calls this.
    void UndoAll(const TPlay& Play, const std::function<void()>& OnRestart);
};
