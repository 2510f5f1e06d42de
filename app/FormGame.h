#pragma once
// The window of one game: one cube, its commands (actions with shortcuts, a popup menu, keys and the
// mouse wheel), its undo and redo history and its own copy of the appearance settings. A child of the
// main window's workspace, and usable on its own.
//
// The view draws into ClientArea, below the palette panel of paint mode; the mouse over ClientArea goes
// to the view, which turns layers, rotates the cube or the environment and asks for the popup menu.

#include "engines/Engines.h"
#include "model/History.h"
#include "view/Cube3D.h"
#include "view/CubeSettings.h"

#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QFrame;
class QMenu;
class TBusyCursor;
class TFramePallete;
class TSolutionBar;
class TSolveJob;
struct TSavedGame;
struct TSolveOutcome;

// The file dialogs' filter for saved games.
inline constexpr const char* GameFilter = "Halvorn Cube (*.hvc)";

class TFormGame : public QWidget {
    Q_OBJECT

public:
    // A clean cube of SizeIndex in the standard view, in play mode, with an empty history. The caption
    // is KindName followed by " [GameName]".
    TFormGame(QWidget* Owner, const tCubeSettings& Settings, const std::string& GameName,
              const std::string& KindName, bool FullScreen, std::int32_t SizeIndex);
    ~TFormGame() override;

    // Creates the view of the given size, hands it the settings and state, and starts it.
    void SetupView(std::int32_t SizeIndex, const CubeState0& State, const tCubeSettings& Settings, bool Play);
    // The one path by which the window performs move texts. An invalid text is refused with a warning
    // and nothing is performed; with Record the moves go into the history and the redo chain ends.
    void PlayMoves(const std::string& Text, bool Animate, bool Record);
    // Refills the "Solve with..." submenu with the engines that solve this game's size, in slot order;
    // disabled when it is empty. Engines added or removed later show only after the next rebuild.
    void BuildSolveWithMenu();
    // Solves with Engine from now on, and solves.
    void SelectEngine(TEngineId Engine);
    // Whether a Solve waits for its cube or its engine. Stop (Shift+F9) ends the wait.
    bool Solving() const { return SolveAsked; }
    // Asks where to save the game (its own file again once it has one) and saves it as it is once
    // the moves queued before are done; the game is then named after the file.
    void SaveGame();
    // Takes over a game read from File, right after construction with its settings, kind and size:
    // its stickers, mode, history and shown answer. A cube that cannot be real shows its fault.
    void Restore(const TSavedGame& Game, const std::string& File);

    std::unique_ptr<TCube3D> View;
    TMoveHistory History; // UndoList and RedoList
    std::vector<std::string> SolutionList;
    // The engine Solve asks: the first in the table until the user chooses one. A chosen engine that
    // is removed later is not replaced by another.
    TEngineId EngineIndex = TEngineId::First;
    std::int32_t SizeIndex = 1;
    tCubeSettings Settings;
    std::string GameName;
    std::string KindName;
    std::string FileName;  // where the game was last saved or opened from; empty while it has none
    QString ProgramFolder; // where "Environment" is; the running program's folder unless set

    QFrame* PanelPallete = nullptr;
    TFramePallete* FramePallete = nullptr;
    QWidget* ClientArea = nullptr; // the view draws here
    // Below the cube: the moves made and Solve; after Solve the answer to step through, or what
    // makes the cube not valid.
    TSolutionBar* PanelSolution = nullptr;
    QMenu* PopupGameMenu = nullptr;
    QMenu* mSolveWith = nullptr;

    QAction* ActionScrambleCube = nullptr;
    QAction* ActionCleanCube = nullptr;
    QAction* ActionEmptyCube = nullptr;
    QAction* ActionPaint = nullptr;
    QAction* ActionPlay = nullptr;
    QAction* ActionUndo = nullptr;
    QAction* ActionRedo = nullptr;
    QAction* ActionUndoAll = nullptr;
    QAction* ActionSolve = nullptr;
    QAction* ActionEnvironNear = nullptr;
    QAction* ActionEnvironFar = nullptr;
    QAction* ActionResetEnvironView = nullptr;
    QAction* ActionCubeZoomIn = nullptr;
    QAction* ActionCubeZoomOut = nullptr;
    QAction* ActionResetCubeView = nullptr;
    QAction* ActionClose = nullptr;
    QAction* ActionSettings = nullptr;
    QAction* ActionHint = nullptr;
    QAction* ActionEnterMoves = nullptr;
    QAction* ActionCopyCube = nullptr;
    QAction* ActionPasteCube = nullptr;
    QAction* ActionSaveGame = nullptr;

protected:
    bool event(QEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;
    void wheelEvent(QWheelEvent* Event) override;
    void closeEvent(QCloseEvent* Event) override;

private:
    QAction* AddAction(const char* Name, const char* Caption, const QKeySequence& Shortcut,
                       void (TFormGame::*Slot)());
    void BuildPopupMenu();
    // The model has changed in paint mode: the palette's counts follow.
    void PaintedChanged();
    // The user has changed the cube: a solution or a fault shown for it no longer applies.
    void CubeChanged();
    // The engine has answered (on the UI thread): the answer, or why there is none.
    void SolveFinished(TSolveOutcome Outcome);
    // Ends a Solve: its engine is no longer waited for, and the busy cursor goes.
    void EndSolve();
    // An answer has come, shorter than the last: shown unless the user has begun to play the last.
    void AnswerFound(std::vector<std::string> Answer);
    // After a successful Solve: the answer, tried on Cube (a copy, as the cube is now) first; when the
    // cube is no longer the one solved, the bar says so instead.
    void ShowSolution(const TRubikCube& Cube);
    // After an invalid cube: why, and its stickers at fault ringed on the cube. Unpainted: stickers
    // without colour count as a fault too (not while painting, where the palette counts them).
    void ShowCubeFault(const TRubikCube& Cube, bool Unpainted = true);
    // Sets the cube anew after the moves queued before (scrambled, cleaned, emptied, pasted), then
    // shows it (and the palette's counts); the move count starts again.
    void ChangeModel(std::function<void(TRubikCube&)> Change);
    // The history has changed: the bar's move count follows.
    void MovesCounted();
    // Replaces the cube by State after the moves queued before; the move count starts again.
    void SetCube(const CubeState0& State);
    // Shows or hides the palette of paint mode without a redraw half-way, and the count of play mode.
    void ShowPalette(bool Paint);
    // The game's caption: its kind and its name.
    void UpdateCaption();

    void ScrambleCube();
    void CleanCube();
    void EmptyCube();
    void Paint();
    void Play();
    void Undo();
    void Redo();
    void UndoAll();
    void Solve();
    // Marks the first move of the engine's answer for the cube as it stands, turning nothing.
    void Hint();
    void AskEngine(bool ForHint);
    // The engine's answer for a hint has come: its first move ringed and arrowed, named in the bar.
    void ShowHint(const TRubikCube& Cube, const std::vector<std::string>& Answer);
    void EnvironNear();
    void EnvironFar();
    void ResetEnvironView();
    void CubeZoomIn();
    void CubeZoomOut();
    void ResetCubeView();
    void CloseGame();
    void ChangeSettings();
    void EnterMoves();
    void CopyCube();
    void PasteCube();

    // True while the solution bar performs a move of its own.
    bool PerformingSolution = false;
    // From Solve until the answer is shown or the user stops: the engine's job (once the cube's copy
    // is taken), the cube it was given and the busy cursor.
    bool SolveAsked = false;
    bool HintAsked = false;         // the engine is asked for a hint, not an answer to show
    bool Improving = false;         // an answer is shown and the engine looks for a shorter one
    std::uint64_t AnswerNumber = 0; // the answer last shown; a check of an earlier one is dropped
    std::uint64_t SolveNumber = 0;  // the Solve in progress; what comes for an earlier one is dropped
    std::unique_ptr<TSolveJob> SolveJob;
    CubeState0 SolvedFrom;
    std::unique_ptr<TBusyCursor> BusyCursor;
    // Wheel movement not yet worth a notch (high-resolution wheels send parts of one).
    int WheelRest = 0;
};
