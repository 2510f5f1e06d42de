#pragma once
// The bar below a game's cube. With nothing else to show it counts the moves made in the game and
// offers Solve. While the engine works it says so and offers Stop. After Solve: the engine's answer
// with its count and the next move marked, and Step / Play / Stop to perform it move by move through
// the game's recorded path (so Undo takes the moves back). An answer that does not solve the cube is
// shown as such and cannot be played; "Solved" is said only once the cube really is solved after the
// answer's last move. After an invalid cube the bar says what is wrong instead.

#include <QFrame>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

class QAction;
class QLabel;
class QTimer;
class QToolButton;

class TSolutionBar : public QFrame {
    Q_OBJECT

public:
    explicit TSolutionBar(QWidget* Parent);

    // Solves: whether the answer, applied to a copy of the cube, leaves it solved. From: the next move
    // (an answer taken up again, with the moves before it made).
    void ShowSolution(std::vector<std::string> Answer, bool Solves, std::size_t From = 0);
    // Why the cube cannot be solved, until the next change.
    void ShowFault(const std::string& Reason);
    // The first move of the engine's answer, suggested; the cube is not turned.
    void ShowHint(const std::string& Move);
    // The engine works; Stop ends the wait (StopSolving).
    void ShowSolving();
    // The cube is no longer the one the answer was for; Solve is offered again.
    void ShowChanged();
    // Back to the move count; playing stops after the move in progress.
    void Clear();
    // The moves made in the game so far, shown while there is no answer or fault.
    void SetMoveCount(std::size_t Count);
    // Whether the bar stays in sight with only the move count to show (play mode).
    void SetCountShown(bool Shown);
    // Whether the engine still looks for a shorter answer than the one shown.
    void SetSearching(bool Value);
    bool Searching() const { return SearchGoesOn; }

    enum class TContent { MoveCount, Solving, Answer, Fault, Changed, Hint };
    TContent Content() const { return Shows; }

    // Performs one move as the user's own, recorded (set by the game window).
    std::function<void(const std::string& Move)> PerformMove;
    // Whether the cube has finished every move queued so far (set by the game window).
    std::function<bool()> Idle;
    // Whether the cube is solved; asked only when Idle (set by the game window).
    std::function<bool()> CubeSolved;
    // Ends the engine's work (set by the game window).
    std::function<void()> StopSolving;

    void Step();
    void Play();
    void Stop();
    bool Playing() const;

    std::vector<std::string> Moves;
    std::size_t Position = 0; // the next move
    bool Solves = false;
    bool Confirmed = false; // the answer's last move is done and the cube is solved

    std::size_t MoveCount = 0;

    QLabel* LabelSolution = nullptr;
    QToolButton* btnSolve = nullptr; // the game's Solve (F7), while only the count shows
    QAction* ActionSolve = nullptr;  // set by the game window
    QToolButton* btnStep = nullptr;
    QToolButton* btnPlay = nullptr;
    QToolButton* btnStop = nullptr;
    QAction* ActionSolutionStep = nullptr; // F8
    QAction* ActionSolutionPlay = nullptr; // F9
    QAction* ActionSolutionStop = nullptr; // Shift+F9

private:
    void Update();
    // No answer any more: Content, with Text in the label unless Update writes it (the count).
    void ShowContent(TContent Content, const QString& Text);
    void Tick();
    // After the answer's last move, once it is done: "Solved", or the cube has changed meanwhile.
    void Confirm();
    void Reveal();

    TContent Shows = TContent::MoveCount;
    bool CountShown = false;
    bool SearchGoesOn = false;

    QTimer* PlayTimer = nullptr;
};
