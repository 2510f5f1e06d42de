#include "app/FormGame.h"

#include "animation/Thread.h"
#include "app/BusyCursor.h"
#include "app/Dialogs.h"
#include "app/FramePallete.h"
#include "app/SavedGame.h"
#include "app/SettingsDialogs.h"
#include "app/SolutionBar.h"
#include "engines/Engines.h"
#include "engines/SolveJob.h"
#include "model/CubeCheck.h"
#include "model/CubeText.h"
#include "model/Notation.h"
#include "sound/Sound.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMouseEvent>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <chrono>

namespace {

constexpr int PalettePanelHeight = 60;
// How long an engine that can improve its answer goes on looking for a shorter one: after Solve's
// first answer, while the user looks at it; for a hint, before the hint is shown.
constexpr std::chrono::milliseconds AnswerSearch{10000};
constexpr std::chrono::milliseconds HintSearch{1000};
constexpr int WheelNotch = 120;
// The cube's area: 600 by 600 pixels when there is room, never less than this high.
constexpr int PreferredCubeSize = 600;
constexpr int MinimumCubeHeight = 200;

// The area the view draws into. Its preferred size is what a new game gets, so that the workspace's
// cascade and restore have a size to go back to; its minimum keeps a cube to turn.
class TCubeArea : public QWidget {
public:
    using QWidget::QWidget;
    QSize sizeHint() const override { return {PreferredCubeSize, PreferredCubeSize}; }
};

TMouseButton ButtonOf(Qt::MouseButton Button) {
    switch (Button) {
    case Qt::LeftButton:
        return TMouseButton::Left;
    case Qt::RightButton:
        return TMouseButton::Right;
    default:
        return TMouseButton::Middle;
    }
}

// The turn a key gives in play mode: a face letter turns that face clockwise, V M H the middle slices
// of a 3x3x3 cube; with Shift counter-clockwise. Empty for any other key.
std::string KeyMove(int Key, bool Shift, int CubeSize) {
    std::string move;
    if (Key >= Qt::Key_A && Key <= Qt::Key_Z) {
        const char letter = static_cast<char>('A' + (Key - Qt::Key_A));
        if (FaceLetters.find(letter) != std::string_view::npos) {
            move = std::string(1, letter);
        } else if (AxisLetters.find(letter) != std::string_view::npos && CubeSize == 3) {
            move = std::string(1, letter) + "0";
        }
    }
    return move.empty() || !Shift ? move : InverseMove(move);
}

// Whether the answer's moves from From on leave Cube solved, tried on a copy: an engine, or a file,
// may hold anything.
bool AnswerSolves(const TRubikCube& Cube, const std::vector<std::string>& Answer, std::size_t From) {
    TRubikCube copy(Cube.SizeIndex);
    copy.SetState(Cube.GetState());
    std::string moves;
    for (std::size_t i = From; i < Answer.size(); ++i) {
        moves += (moves.empty() ? "" : " ") + Answer[i];
    }
    return copy.PerformMoves(moves) && FacesAreUniform(copy);
}

} // namespace

TFormGame::TFormGame(QWidget* Owner, const tCubeSettings& settings, const std::string& gameName,
                     const std::string& kindName, bool FullScreen, std::int32_t sizeIndex)
    : QWidget(Owner), SizeIndex(sizeIndex), Settings(settings), GameName(gameName), KindName(kindName),
      ProgramFolder(QCoreApplication::applicationDirPath()) {
    setAttribute(Qt::WA_DeleteOnClose);
    setFocusPolicy(Qt::StrongFocus);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    PanelPallete = new QFrame(this);
    PanelPallete->setObjectName("PanelPallete");
    PanelPallete->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    PanelPallete->setFixedHeight(PalettePanelHeight);
    PanelPallete->hide();
    auto* paletteLayout = new QVBoxLayout(PanelPallete);
    paletteLayout->setContentsMargins(1, 1, 1, 1);
    FramePallete = new TFramePallete(PanelPallete);
    FramePallete->setObjectName("FramePallete");
    paletteLayout->addWidget(FramePallete);
    layout->addWidget(PanelPallete);
    ClientArea = new TCubeArea(this);
    ClientArea->setObjectName("ClientArea");
    // As wide as the palette of paint mode, so switching modes never squeezes it.
    ClientArea->setMinimumSize(PanelPallete->minimumSizeHint().width(), MinimumCubeHeight);
    ClientArea->setMouseTracking(true); // every move sets the cursor and redraws
    ClientArea->setFocusPolicy(Qt::NoFocus);
    ClientArea->installEventFilter(this);
    // Black where the cube is drawn, before the first frame and around it.
    ClientArea->setAutoFillBackground(true);
    QPalette black = ClientArea->palette();
    black.setColor(QPalette::Window, Qt::black);
    ClientArea->setPalette(black);
    layout->addWidget(ClientArea, 1);
    PanelSolution = new TSolutionBar(this);
    layout->addWidget(PanelSolution);
    PanelSolution->PerformMove = [this](const std::string& Move) {
        if (Improving) {
            EndSolve(); // the user takes the answer as it stands: the search for a shorter one ends
        }
        PerformingSolution = true;
        PlayMoves(Move, View->GetSettings().AnimateFaceRotations, true);
        PerformingSolution = false;
    };
    // Asked every tick while playing: it must not wait for the move being performed.
    PanelSolution->Idle = [this] { return !View || View->MovesFinished(); };
    // Asked once every move of the answer is done, nothing queued after it.
    PanelSolution->CubeSolved = [this] {
        bool solved = false;
        View->ChangeCube([&](TRubikCube& Cube) { solved = FacesAreUniform(Cube); });
        return solved;
    };
    PanelSolution->StopSolving = [this] {
        EndSolve();
        PanelSolution->Clear();
    };

    ActionScrambleCube =
        AddAction("ActionScrambleCube", "Scramble", QKeySequence(Qt::Key_F2), &TFormGame::ScrambleCube);
    ActionCleanCube = AddAction("ActionCleanCube", "Clean", QKeySequence(Qt::Key_F3), &TFormGame::CleanCube);
    ActionEmptyCube = AddAction("ActionEmptyCube", "Empty", QKeySequence(Qt::Key_F4), &TFormGame::EmptyCube);
    ActionPaint = AddAction("ActionPaint", "Paint", QKeySequence(Qt::Key_F6), &TFormGame::Paint);
    ActionPlay = AddAction("ActionPlay", "Play", QKeySequence(Qt::Key_F5), &TFormGame::Play);
    ActionUndo =
        AddAction("ActionUndo", "Undo", QKeySequence(Qt::SHIFT | Qt::Key_Backspace), &TFormGame::Undo);
    ActionRedo = AddAction("ActionRedo", "Redo", QKeySequence(Qt::ALT | Qt::Key_Backspace), &TFormGame::Redo);
    ActionUndoAll =
        AddAction("ActionUndoAll", "Undo All", QKeySequence(Qt::CTRL | Qt::Key_R), &TFormGame::UndoAll);
    ActionSolve = AddAction("ActionSolve", "Solve", QKeySequence(Qt::Key_F7), &TFormGame::Solve);
    ActionEnvironNear = AddAction("ActionEnvironNear", "Environment Near", QKeySequence(Qt::CTRL | Qt::Key_A),
                                  &TFormGame::EnvironNear);
    ActionEnvironFar = AddAction("ActionEnvironFar", "Environment Far", QKeySequence(Qt::CTRL | Qt::Key_I),
                                 &TFormGame::EnvironFar);
    ActionResetEnvironView =
        AddAction("ActionResetEnvironView", "Reset Environment View",
                  QKeySequence(Qt::SHIFT | Qt::Key_Escape), &TFormGame::ResetEnvironView);
    ActionCubeZoomIn =
        AddAction("ActionCubeZoomIn", "Zoom In", QKeySequence(Qt::Key_Insert), &TFormGame::CubeZoomIn);
    ActionCubeZoomOut = AddAction("ActionCubeZoomOut", "Zoom Out", QKeySequence(Qt::SHIFT | Qt::Key_Insert),
                                  &TFormGame::CubeZoomOut);
    ActionResetCubeView = AddAction("ActionResetCubeView", "Reset Cube View", QKeySequence(Qt::Key_Escape),
                                    &TFormGame::ResetCubeView);
    ActionClose = AddAction("ActionClose", "Close", QKeySequence(), &TFormGame::CloseGame);
    ActionSettings = AddAction("ActionSettings", "Settings...", QKeySequence(), &TFormGame::ChangeSettings);
    ActionEnterMoves = AddAction("ActionEnterMoves", "Enter Moves...", QKeySequence(Qt::CTRL | Qt::Key_M),
                                 &TFormGame::EnterMoves);
    ActionCopyCube =
        AddAction("ActionCopyCube", "Copy Cube", QKeySequence(Qt::CTRL | Qt::Key_C), &TFormGame::CopyCube);
    ActionPasteCube =
        AddAction("ActionPasteCube", "Paste Cube", QKeySequence(Qt::CTRL | Qt::Key_V), &TFormGame::PasteCube);
    ActionHint = AddAction("ActionHint", "Hint", QKeySequence(Qt::CTRL | Qt::Key_H), &TFormGame::Hint);
    ActionSaveGame =
        AddAction("ActionSaveGame", "Save Game...", QKeySequence(Qt::CTRL | Qt::Key_S), &TFormGame::SaveGame);
    addActions(PanelSolution->actions()); // their keys work wherever the game has the focus
    PanelSolution->ActionSolve = ActionSolve;
    PanelSolution->SetCountShown(true); // play mode
    BuildPopupMenu();

    // The view's standard camera is measured against the client width: lay the window out first.
    resize(sizeHint());
    layout->activate();
    TRubikCube first(static_cast<std::uint8_t>(SizeIndex));
    first.Clean();
    SetupView(SizeIndex, first.GetState(), Settings, true);

    UpdateCaption();
    if (FullScreen) {
        setWindowFlags(windowFlags() | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
        setWindowState(Qt::WindowMaximized);
    }
    BuildSolveWithMenu();
}

TFormGame::~TFormGame() {
    // No engine is waited for, whatever it does.
    EndSolve();
    // The view goes next: it finishes the move being performed and stops its threads while the
    // window it draws into still exists; commands still queued are dropped with it.
    View.reset();
}

QAction* TFormGame::AddAction(const char* Name, const char* Caption, const QKeySequence& Shortcut,
                              void (TFormGame::*Slot)()) {
    auto* action = new QAction(QString::fromUtf8(Caption), this);
    action->setObjectName(QString::fromUtf8(Name));
    action->setShortcut(Shortcut);
    // Several games are open at once: a shortcut belongs to the game that has the focus.
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(action, &QAction::triggered, this, Slot);
    addAction(action);
    return action;
}

void TFormGame::BuildPopupMenu() {
    PopupGameMenu = new QMenu(this);
    PopupGameMenu->setObjectName("PopupGameMenu");
    mSolveWith = PopupGameMenu->addMenu("Solve with...");
    mSolveWith->setObjectName("mSolveWith");
    mSolveWith->menuAction()->setVisible(false);
    const std::vector<std::vector<QAction*>> groups = {
        {ActionCleanCube, ActionEmptyCube, ActionScrambleCube},
        {ActionPlay, ActionPaint},
        {ActionRedo, ActionUndo, ActionUndoAll},
        {ActionHint, ActionEnterMoves, ActionCopyCube, ActionPasteCube},
        {ActionCubeZoomIn, ActionCubeZoomOut, ActionResetCubeView},
        {ActionEnvironFar, ActionEnvironNear, ActionResetEnvironView},
        {ActionSettings},
        {ActionSaveGame, ActionClose},
    };
    for (const auto& group : groups) {
        PopupGameMenu->addSeparator();
        for (QAction* action : group) {
            PopupGameMenu->addAction(action);
        }
    }
}

void TFormGame::SetupView(std::int32_t sizeIndex, const CubeState0& State, const tCubeSettings& settings,
                          bool Play) {
    View.reset();
    View = std::make_unique<TCube3D>(this, ClientArea, static_cast<std::uint8_t>(sizeIndex));
    View->SetMode(Play ? 1 : 0);
    View->SetEnabled(true);
    View->ApplySettings(settings); // before Init: taken over at once
    try {
        View->Init();
    } catch (const std::exception& e) {
        // The view stays blank; the game still works and can be closed.
        ShowMessageBox("3D Torvane", e.what(), TMessageIcon::Error);
    }
    View->ChangeCube([&](TRubikCube& cube) { cube.SetState(State); });
    View->Refresh();
    FramePallete->SetView(View.get());
    FramePallete->Game = this;
}

void TFormGame::PaintedChanged() {
    // The counts of the cube as it is once the paint queued before has been done.
    View->QueueCommand([this] {
        if (View->GetMode() == 0) {
            FramePallete->UpdateCounts();
        }
    });
}

void TFormGame::CubeChanged() {
    if (PerformingSolution) {
        return;
    }
    if (Improving) {
        EndSolve(); // a shorter answer for the cube as it was is no use
    }
    if (!Solving()) {
        PanelSolution->Clear(); // a Solve in progress says at its end whether the cube has changed
    }
    if (View && !View->Highlighted().empty()) {
        View->SetHighlight({});
    }
    if (View && !View->Hint().empty()) {
        View->SetHint({});
    }
}

void TFormGame::ShowHint(const TRubikCube& Cube, const std::vector<std::string>& Answer) {
    if (Cube.GetState() != SolvedFrom) {
        PanelSolution->ShowChanged();
        return;
    }
    const std::optional<TMove> first =
        Answer.empty() ? std::nullopt : ParseMove(Answer.front(), Cube.SliceCount, false);
    if (!first) {
        PanelSolution->ShowSolution(Answer, Answer.empty()); // solved already, or an answer that is none
        return;
    }
    PanelSolution->ShowHint(first->Name);
    View->SetHighlight(Cube.LayerStickers(*first));
    View->SetHint(first->Name);
}

void TFormGame::ShowSolution(const TRubikCube& Cube) {
    if (Cube.GetState() != SolvedFrom) {
        PanelSolution->ShowChanged();
        return;
    }
    PanelSolution->ShowSolution(SolutionList, AnswerSolves(Cube, SolutionList, 0));
}

void TFormGame::ShowCubeFault(const TRubikCube& Cube, bool Unpainted) {
    const TCubeCheck check = CheckCube(Cube);
    if (check.Fault == TCubeFault::None || (check.Fault == TCubeFault::Uncoloured && !Unpainted)) {
        return; // after Solve: the engine's own judgement; we have nothing to add
    }
    PanelSolution->ShowFault(check.Reason);
    View->SetHighlight(check.Stickers);
}

void TFormGame::PlayMoves(const std::string& Text, bool Animate, bool Record) {
    CubeChanged();
    if (!View->ExecuteMoves(Text, Animate, Record, &History.UndoList)) {
        ShowMessageBox("Warning", "'" + Text + "' contains invalid move(s).\nThis move sequence is cancelled",
                       TMessageIcon::Warning);
    }
    if (Record) {
        History.Recorded();
        MovesCounted(); // unrecorded plays (undo, redo) count once their history step is done
    }
}

void TFormGame::MovesCounted() {
    PanelSolution->SetMoveCount(History.MovesSinceSet());
}

void TFormGame::UpdateCaption() {
    setWindowTitle(QString::fromStdString(KindName + " [" + GameName + "]"));
}

void TFormGame::BuildSolveWithMenu() {
    mSolveWith->clear();
    for (const TEngineId id : EngineTable().Ids()) {
        const std::optional<EngineRec> engine = EngineTable().Find(id);
        if (engine && engine->Supports(View->CubeSize())) {
            QAction* item = mSolveWith->addAction(QString::fromStdString(engine->EngineName));
            item->setData(static_cast<uint>(id));
            connect(item, &QAction::triggered, this, [this, id] { SelectEngine(id); });
        }
    }
    mSolveWith->setEnabled(!mSolveWith->actions().isEmpty());
}

void TFormGame::SelectEngine(TEngineId Engine) {
    EngineIndex = Engine;
    ActionSolve->trigger();
}

bool TFormGame::event(QEvent* Event) {
    switch (static_cast<int>(Event->type())) {
    case WM_CUBEMOVES:
        PlayMoves(static_cast<TCubeMovesEvent*>(Event)->Moves, View->GetSettings().AnimateFaceRotations,
                  true);
        return true;
    case WM_CUBECOLOR:
        View->SetPaintColor(static_cast<TCubeColorEvent*>(Event)->Color);
        return true;
    case WM_CUBEPOPUP: {
        const auto* popup = static_cast<TCubePopupEvent*>(Event);
        PopupGameMenu->exec(ClientArea->mapToGlobal(QPoint(popup->X, popup->Y)));
        return true;
    }
    default:
        return QWidget::event(Event);
    }
}

bool TFormGame::eventFilter(QObject* Watched, QEvent* Event) {
    if (Watched != ClientArea || !View) {
        return QWidget::eventFilter(Watched, Event);
    }
    switch (Event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        const auto* mouse = static_cast<QMouseEvent*>(Event);
        const QPoint at = mouse->position().toPoint();
        View->MouseDown(ButtonOf(mouse->button()), at.x(), at.y());
        return true;
    }
    case QEvent::MouseMove: {
        const QPoint at = static_cast<QMouseEvent*>(Event)->position().toPoint();
        View->MouseMove(at.x(), at.y());
        return true;
    }
    case QEvent::MouseButtonRelease: {
        const auto* mouse = static_cast<QMouseEvent*>(Event);
        const QPoint at = mouse->position().toPoint();
        View->MouseUp(ButtonOf(mouse->button()), at.x(), at.y());
        if (View->GetMode() == 0) {
            CubeChanged(); // a sticker may have been painted
        }
        PaintedChanged();
        return true;
    }
    default:
        return QWidget::eventFilter(Watched, Event);
    }
}

void TFormGame::keyPressEvent(QKeyEvent* Event) {
    const bool keypad = Event->modifiers() & Qt::KeypadModifier;
    const bool plain = !(Event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (const std::string move =
            KeyMove(Event->key(), Event->modifiers() & Qt::ShiftModifier, View->CubeSize());
        plain && !move.empty() && View->GetMode() == 1) {
        // A held key turns once: a run of turns is for Enter Moves.
        if (!Event->isAutoRepeat()) {
            PlayMoves(move, View->GetSettings().AnimateFaceRotations, true);
        }
        Event->accept();
        View->Refresh();
        return;
    }
    switch (Event->key()) {
    case Qt::Key_Plus:
        if (keypad) {
            ActionCubeZoomIn->trigger();
        }
        break;
    case Qt::Key_Minus:
        if (keypad) {
            ActionCubeZoomOut->trigger();
        }
        break;
    case Qt::Key_Up:
        View->EnvironmentElevationUp();
        break;
    case Qt::Key_Down:
        View->EnvironmentElevationDown();
        break;
    case Qt::Key_Right:
        View->EnvironmentAzimuthDown();
        break;
    case Qt::Key_Left:
        View->EnvironmentAzimuthUp();
        break;
    case Qt::Key_F:
        if (Event->modifiers() & Qt::ControlModifier) {
            CloseGame();
            return; // the window is on its way out: nothing to refresh
        }
        break;
    default:
        break;
    }
    Event->accept();
    View->Refresh();
}

void TFormGame::wheelEvent(QWheelEvent* Event) {
    WheelRest += Event->angleDelta().y();
    while (WheelRest >= WheelNotch) {
        WheelRest -= WheelNotch;
        ActionCubeZoomIn->trigger();
    }
    while (WheelRest <= -WheelNotch) {
        WheelRest += WheelNotch;
        ActionCubeZoomOut->trigger();
    }
    Event->accept();
}

void TFormGame::closeEvent(QCloseEvent* Event) {
    // A press in progress ends with the window: nothing of it may outlive the close.
    if (View) {
        View->SetEnabled(false);
    }
    Event->accept();
}

void TFormGame::ChangeModel(std::function<void(TRubikCube&)> Change) {
    CubeChanged();
    View->QueueChange(std::move(Change));
    PaintedChanged();
    History.CubeSet();
    MovesCounted();
}

void TFormGame::SetCube(const CubeState0& State) {
    ChangeModel([State](TRubikCube& cube) { cube.SetState(State); });
}

void TFormGame::ScrambleCube() {
    ChangeModel([](TRubikCube& cube) { cube.Scramble(); });
}

void TFormGame::CleanCube() {
    ChangeModel([](TRubikCube& cube) { cube.Clean(); });
}

void TFormGame::EmptyCube() {
    ChangeModel([](TRubikCube& cube) { cube.Empty(); });
}

void TFormGame::ShowPalette(bool paint) {
    View->SetResizeRedraw(false);
    PanelPallete->setVisible(paint);
    PanelSolution->SetCountShown(!paint);
    View->SetResizeRedraw(true);
    View->SetMode(paint ? 0 : 1);
    ActionEnterMoves->setEnabled(!paint); // moves are for play mode, as the mouse's turns are
}

void TFormGame::Paint() {
    if (View->GetMode() == 0) {
        return;
    }
    ShowPalette(true);
    ChangeModel([](TRubikCube& cube) { cube.Empty(); });
}

void TFormGame::Play() {
    if (View->GetMode() == 1) {
        return;
    }
    ShowPalette(false);
    View->Refresh();
}

void TFormGame::Undo() {
    History.Undo([this](const std::string& Moves, bool Animate) { PlayMoves(Moves, Animate, false); },
                 View->GetSettings().AnimateFaceRotations);
    MovesCounted();
}

void TFormGame::Redo() {
    History.Redo([this](const std::string& Moves, bool Animate) { PlayMoves(Moves, Animate, false); },
                 View->GetSettings().AnimateFaceRotations);
    MovesCounted();
}

void TFormGame::UndoAll() {
    if (!AskYesNo("Restart", "Do you want to restart this game?", TMessageIcon::Warning)) {
        return;
    }
    History.UndoAll([this](const std::string& Moves, bool Animate) { PlayMoves(Moves, Animate, false); },
                    [this] {
                        if (Settings.SoundsON) {
                            RestartSound().Play();
                        }
                    });
    MovesCounted();
}

void TFormGame::Solve() {
    AskEngine(false);
}

void TFormGame::Hint() {
    AskEngine(true);
}

void TFormGame::AskEngine(bool ForHint) {
    if (Solving()) {
        return; // one at a time; Stop ends it
    }
    if (Improving) {
        EndSolve(); // the search for the answer shown gives way
    }
    SolveAsked = true;
    HintAsked = ForHint;
    ++AnswerNumber;
    const std::uint64_t number = ++SolveNumber;
    PanelSolution->ShowSolving();
    View->SetHighlight({}); // the marks of an earlier hint or fault go with its text
    View->SetHint({});
    BusyCursor = std::make_unique<TBusyCursor>(std::initializer_list<QWidget*>{this, ClientArea});
    // The engine gets the cube as it is after the moves queued before Solve, and its own copy of it.
    View->ReadCube([this, number](const TRubikCube& Cube) {
        if (number != SolveNumber) {
            return; // stopped before the cube's turn came
        }
        // A hint for a cube that is solved, or cannot be real, is the bar's usual text instead.
        const bool solved = FacesAreUniform(Cube);
        if (HintAsked && (solved || CheckCube(Cube).Fault != TCubeFault::None)) {
            EndSolve();
            if (solved) {
                PanelSolution->ShowSolution({}, true);
            } else {
                PanelSolution->Clear();
                ShowCubeFault(Cube);
            }
            return;
        }
        SolvedFrom = Cube.GetState();
        // Better and Done run on the job's thread; the job never calls them once it is stopped, and
        // this window stops it before it goes, so this window is there to post to. A hint waits for
        // the best answer of a short search; Solve shows each answer as it comes.
        const auto post = [this, number](auto Call) {
            QMetaObject::invokeMethod(
                this,
                [this, number, call = std::move(Call)]() mutable {
                    if (number == SolveNumber) {
                        call();
                    }
                },
                Qt::QueuedConnection);
        };
        const auto better = [this, post, hint = HintAsked](std::vector<std::string> Answer) {
            if (!hint) {
                post([this, answer = std::move(Answer)]() mutable { AnswerFound(std::move(answer)); });
            }
        };
        const auto done = [this, post](TSolveOutcome Outcome) {
            post([this, outcome = std::move(Outcome)]() mutable { SolveFinished(std::move(outcome)); });
        };
        SolveJob = std::make_unique<TSolveJob>(EngineIndex, Cube, HintAsked ? HintSearch : AnswerSearch,
                                               better, done);
    });
}

void TFormGame::EndSolve() {
    ++SolveNumber; // what is still on its way for this Solve is dropped
    SolveAsked = false;
    Improving = false;
    PanelSolution->SetSearching(false);
    SolveJob.reset();
    BusyCursor.reset();
}

void TFormGame::AnswerFound(std::vector<std::string> Answer) {
    if (!Improving) {
        // The first answer: shown at once, while the engine looks for a shorter one.
        SolveAsked = false;
        Improving = true;
        BusyCursor.reset();
        ClientArea->setCursor(Qt::CrossCursor);
    } else if (PanelSolution->Content() != TSolutionBar::TContent::Answer || PanelSolution->Position > 0) {
        return; // the user has moved on from the answer shown
    }
    SolutionList = std::move(Answer);
    PanelSolution->SetSearching(true);
    View->ReadCube([this, number = ++AnswerNumber](const TRubikCube& Cube) {
        if (number == AnswerNumber) {
            ShowSolution(Cube);
        }
    });
}

void TFormGame::SolveFinished(TSolveOutcome Outcome) {
    const bool hint = HintAsked, shown = Improving;
    EndSolve();
    if (shown) {
        return; // the last answer was shown as it came; the search is over
    }
    switch (Outcome.Result) {
    case TSolveResult::Solved:
        ClientArea->setCursor(Qt::CrossCursor);
        if (hint) {
            View->ReadCube(
                [this, moves = std::move(Outcome.Moves)](const TRubikCube& Cube) { ShowHint(Cube, moves); });
            break;
        }
        SolutionList = std::move(Outcome.Moves);
        // Checked against the cube as it is once the moves queued meanwhile are done.
        View->ReadCube([this](const TRubikCube& Cube) { ShowSolution(Cube); });
        break;
    case TSolveResult::Invalid: {
        PanelSolution->Clear();
        ShowMessageBox("Error", "Cube is not valid !\nCheck your cube and correct it.", TMessageIcon::Error);
        TRubikCube solved(static_cast<std::uint8_t>(SizeIndex));
        solved.SetState(SolvedFrom);
        ShowCubeFault(solved);
        break;
    }
    case TSolveResult::NoEngine:
        PanelSolution->Clear();
        ShowMessageBox("Solve",
                       EngineTable().Count() == 0
                           ? "No solver engine is installed."
                           : "The solver engine chosen for this game is no longer installed.",
                       TMessageIcon::Information);
        break;
    case TSolveResult::EngineFailed:
        PanelSolution->Clear();
        // The engine's fault, not the cube's: say so, and which engine it was.
        ShowMessageBox("Error",
                       "The solver engine \"" + Outcome.EngineName +
                           "\" failed.\nTry another engine, or remove this one.",
                       TMessageIcon::Error);
        break;
    }
}

void TFormGame::EnvironNear() {
    View->MoveEnvironment(-3.0f);
}

void TFormGame::EnvironFar() {
    View->MoveEnvironment(3.0f);
}

void TFormGame::ResetEnvironView() {
    View->ResetEnvironmentView();
    View->Refresh();
}

void TFormGame::CubeZoomIn() {
    View->ZoomCube(-1.0f);
}

void TFormGame::CubeZoomOut() {
    View->ZoomCube(1.0f);
}

void TFormGame::ResetCubeView() {
    View->ResetCubeView();
    View->Refresh();
}

void TFormGame::CloseGame() {
    // In the workspace the frame around the game is the window to close; it closes the game first.
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget())) {
        frame->close();
    } else {
        close();
    }
}

void TFormGame::ChangeSettings() {
    TFormCustomize dialog(this, Settings, static_cast<std::uint8_t>(SizeIndex), ProgramFolder);
    dialog.PageControl->setCurrentIndex(0);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    Settings = dialog.PreviewSettings();
    // After the turns queued before: each is drawn to its end as it began.
    View->ApplySettings(Settings, [this] {
        FramePallete->UpdateColors(); // the palette shows the colours that clicks now paint
    });
    BuildSolveWithMenu();
}

void TFormGame::EnterMoves() {
    if (View->GetMode() != 1) {
        return;
    }
    const int slices = View->CubeSize() - 2;
    const std::string prompt =
        slices > 0
            ? "Moves to play, separated by blanks, in either notation:\n"
              "R U Ri Ui F2 V0 M0 H0i, or R U R' U' F2 M E S' R2'."
            : "Moves to play, separated by blanks, in either notation:\nR U Ri Ui F2, or R U R' U' F2 R2'.";
    std::string text;
    std::string moves;
    const bool entered = AskText("Enter Moves", prompt, text, [&](const std::string& Text) {
        TMoveTextReading reading = ReadMoveText(Text, slices);
        moves = std::move(reading.Moves);
        return reading.Error;
    });
    if (entered) {
        PlayMoves(moves, View->GetSettings().AnimateFaceRotations, true);
    }
}

void TFormGame::CopyCube() {
    // The cube as it is once the moves queued before are done, not half-way through a turn.
    View->ReadCube([](const TRubikCube& Cube) {
        QGuiApplication::clipboard()->setText(QString::fromStdString(FaceletText(Cube)));
    });
}

void TFormGame::PasteCube() {
    const TFaceletReading reading = ReadFaceletText(QGuiApplication::clipboard()->text().toStdString(),
                                                    static_cast<std::uint8_t>(SizeIndex));
    if (!reading.State) {
        ShowMessageBox("Paste Cube", reading.Error, TMessageIcon::Warning);
        return;
    }
    TRubikCube pasted(static_cast<std::uint8_t>(SizeIndex));
    pasted.SetState(*reading.State);
    const TCubeCheck check = CheckCube(pasted);
    // A cube to play must be a real one; paint mode takes any, to be corrected there.
    if (View->GetMode() == 1 && check.Fault != TCubeFault::None) {
        ShowMessageBox("Paste Cube",
                       "The text is not a cube that can be real: " + check.Reason +
                           "\nPaste it in paint mode (F6) to correct it there.",
                       TMessageIcon::Warning);
        return;
    }
    SetCube(*reading.State);
    ShowCubeFault(pasted, View->GetMode() == 1);
}

void TFormGame::SaveGame() {
    std::string file = FileName.empty() ? QDir::homePath().toStdString() + "/" + GameName + ".hvc" : FileName;
    if (!AskSaveFile("Save Game", GameFilter, "hvc", file)) {
        return;
    }
    // The history as it is now, with the cube it leads to once the moves queued before are done.
    TSavedGame game;
    game.KindName = KindName;
    game.SizeIndex = static_cast<std::uint8_t>(SizeIndex);
    game.Settings = Settings;
    game.Mode = View->GetMode();
    game.History = History;
    if (PanelSolution->Content() == TSolutionBar::TContent::Answer && PanelSolution->Solves) {
        game.Answer = PanelSolution->Moves;
        game.AnswerPosition = PanelSolution->Position;
    }
    View->ReadCube([this, file, game = std::move(game)](const TRubikCube& Cube) mutable {
        game.State = Cube.GetState();
        std::string error;
        if (!WriteSavedGame(file, game, ProgramFolder.toStdString(), error)) {
            ShowMessageBox("Save Game", error, TMessageIcon::Error);
            return;
        }
        FileName = file;
        GameName = QFileInfo(QString::fromStdString(file)).fileName().toStdString();
        UpdateCaption();
    });
}

void TFormGame::Restore(const TSavedGame& Game, const std::string& File) {
    View->ChangeCube([&](TRubikCube& Cube) { Cube.SetState(Game.State); });
    if (Game.Mode == 0) {
        ShowPalette(true);
        PaintedChanged();
    }
    History = Game.History;
    MovesCounted();
    FileName = File;
    TRubikCube cube(static_cast<std::uint8_t>(SizeIndex));
    cube.SetState(Game.State);
    if (!Game.Answer.empty()) {
        // The moves still to play must solve the cube as it is; an answer that does not is shown so.
        SolutionList = Game.Answer;
        PanelSolution->ShowSolution(Game.Answer, AnswerSolves(cube, Game.Answer, Game.AnswerPosition),
                                    Game.AnswerPosition);
    } else {
        ShowCubeFault(cube, View->GetMode() == 1);
    }
    View->Refresh();
}
