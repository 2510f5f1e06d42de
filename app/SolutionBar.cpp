#include "app/SolutionBar.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <string_view>

namespace {

QAction* BarAction(QWidget* Owner, const char* Name, const char* Caption, const QKeySequence& Shortcut) {
    auto* action = new QAction(Caption, Owner);
    action->setObjectName(Name);
    action->setShortcut(Shortcut);
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    Owner->addAction(action); // the game window takes them over for its keys
    return action;
}

QToolButton* BarButton(QAction* Action, const char* Name, QWidget* Parent) {
    auto* button = new QToolButton(Parent);
    button->setObjectName(Name);
    button->setDefaultAction(Action);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setMinimumWidth(60);
    return button;
}

} // namespace

TSolutionBar::TSolutionBar(QWidget* Parent) : QFrame(Parent) {
    setObjectName("PanelSolution");
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    // Room for two lines of moves; a fixed height keeps the cube's size while the text changes.
    setFixedHeight(56);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 3, 6, 3);
    LabelSolution = new QLabel(this);
    LabelSolution->setObjectName("LabelSolution");
    LabelSolution->setTextFormat(Qt::RichText);
    LabelSolution->setWordWrap(true);
    layout->addWidget(LabelSolution, 1);
    ActionSolutionStep = BarAction(this, "ActionSolutionStep", "Step", QKeySequence(Qt::Key_F8));
    ActionSolutionPlay = BarAction(this, "ActionSolutionPlay", "Play", QKeySequence(Qt::Key_F9));
    ActionSolutionStop = BarAction(this, "ActionSolutionStop", "Stop", QKeySequence(Qt::SHIFT | Qt::Key_F9));
    // Its own button rather than the action's: the caption names the key, and the action is the
    // game window's.
    btnSolve = new QToolButton(this);
    btnSolve->setObjectName("btnSolve");
    btnSolve->setText("Solve (F7)");
    btnSolve->setMinimumWidth(60);
    connect(btnSolve, &QToolButton::clicked, this, [this] {
        if (ActionSolve != nullptr) {
            ActionSolve->trigger();
        }
    });
    layout->addWidget(btnSolve);
    btnStep = BarButton(ActionSolutionStep, "btnSolutionStep", this);
    btnPlay = BarButton(ActionSolutionPlay, "btnSolutionPlay", this);
    btnStop = BarButton(ActionSolutionStop, "btnSolutionStop", this);
    layout->addWidget(btnStep);
    layout->addWidget(btnPlay);
    layout->addWidget(btnStop);
    connect(ActionSolutionStep, &QAction::triggered, this, &TSolutionBar::Step);
    connect(ActionSolutionPlay, &QAction::triggered, this, &TSolutionBar::Play);
    connect(ActionSolutionStop, &QAction::triggered, this, &TSolutionBar::Stop);
    PlayTimer = new QTimer(this);
    PlayTimer->setInterval(15);
    connect(PlayTimer, &QTimer::timeout, this, &TSolutionBar::Tick);
    hide();
    Update();
}

void TSolutionBar::ShowSolution(std::vector<std::string> Answer, bool solves, std::size_t From) {
    PlayTimer->stop();
    Moves = std::move(Answer);
    Position = std::min(From, Moves.size());
    Solves = solves;
    Confirmed = false;
    Shows = TContent::Answer;
    Update();
    Reveal();
    if (Solves && !Moves.empty() && Position == Moves.size()) {
        PlayTimer->start(); // every move made: "Solved" once the cube is seen solved
    }
}

void TSolutionBar::ShowHint(const std::string& Move) {
    // Said in words too: the layer, and the way it turns as seen from outside (a slice as a face does).
    static const char* const Faces[] = {"the up face",   "the front face", "the right face",
                                        "the back face", "the left face",  "the down face"};
    static const char* const Slices[] = {"the middle layer between L and R",
                                         "the middle layer between B and F",
                                         "the middle layer between D and U"};
    static const char* const SliceWays[][2] = {
        {"as R turns", "as L turns"}, {"as F turns", "as B turns"}, {"as U turns", "as D turns"}};
    const bool back = Move.back() == 'i', half = Move.back() == '2';
    QString words;
    if (const std::size_t face = std::string_view("UFRBLD").find(Move.front());
        face != std::string_view::npos) {
        words = QString("%1, %2").arg(Faces[face], half   ? "a half turn"
                                                   : back ? "counter-clockwise"
                                                          : "clockwise");
    } else if (const std::size_t axis = std::string_view("VMH").find(Move.front());
               axis != std::string_view::npos) {
        words = QString("%1, %2").arg(Slices[axis], half ? "a half turn" : SliceWays[axis][back ? 1 : 0]);
    }
    ShowContent(TContent::Hint, QString("<b>Hint:</b> %1 (%2). F7 gives the whole solution.")
                                    .arg(QString::fromStdString(Move).toHtmlEscaped(), words));
}

void TSolutionBar::ShowSolving() {
    ShowContent(TContent::Solving, "<b>Solving...</b> (Shift+F9 stops)");
}

void TSolutionBar::ShowChanged() {
    ShowContent(TContent::Changed, "<b>The cube has changed</b> since it was solved: solve it again.");
}

void TSolutionBar::ShowFault(const std::string& Reason) {
    ShowContent(TContent::Fault, "<span style='color:#b00000'><b>Not a real cube:</b> " +
                                     QString::fromStdString(Reason).toHtmlEscaped() + "</span>");
}

void TSolutionBar::Clear() {
    ShowContent(TContent::MoveCount, {});
}

void TSolutionBar::ShowContent(TContent Content, const QString& Text) {
    PlayTimer->stop();
    Moves.clear();
    Position = 0;
    Solves = false;
    Confirmed = false;
    Shows = Content;
    Update();
    if (!Text.isEmpty()) {
        LabelSolution->setText(Text);
    }
    Reveal();
}

void TSolutionBar::SetMoveCount(std::size_t Count) {
    MoveCount = Count;
    if (Shows == TContent::MoveCount) {
        Update();
    }
}

void TSolutionBar::SetCountShown(bool Shown) {
    CountShown = Shown;
    Reveal();
}

void TSolutionBar::SetSearching(bool Value) {
    SearchGoesOn = Value;
    Update();
}

void TSolutionBar::Reveal() {
    setVisible(Shows != TContent::MoveCount || CountShown);
}

bool TSolutionBar::Playing() const {
    return PlayTimer->isActive();
}

void TSolutionBar::Step() {
    if (!Solves || Position >= Moves.size() || !PerformMove) {
        return;
    }
    const std::string move = Moves[Position++];
    PerformMove(move);
    if (Position >= Moves.size()) {
        PlayTimer->start(); // to see the last move done, and the cube solved
    }
    Update();
}

void TSolutionBar::Play() {
    if (Solves && Position < Moves.size()) {
        PlayTimer->start();
        Update();
    }
}

void TSolutionBar::Stop() {
    if (Shows == TContent::Solving) {
        if (StopSolving) {
            StopSolving();
        }
        return;
    }
    if (Position < Moves.size()) {
        PlayTimer->stop(); // the check after the last move goes on
    }
    Update();
}

// One move at a time, each once the one before has been performed, so that Stop can end the run.
void TSolutionBar::Tick() {
    if (Idle && !Idle()) {
        return;
    }
    if (Position >= Moves.size()) {
        PlayTimer->stop();
        Confirm();
        return;
    }
    Step();
}

void TSolutionBar::Confirm() {
    if (Shows != TContent::Answer || Confirmed) {
        return;
    }
    if (CubeSolved && !CubeSolved()) {
        ShowChanged();
        return;
    }
    Confirmed = true;
    Update();
}

void TSolutionBar::Update() {
    const bool counting = Shows == TContent::MoveCount;
    const bool answer = Shows == TContent::Answer;
    btnSolve->setVisible(counting || Shows == TContent::Changed || Shows == TContent::Hint);
    btnStep->setVisible(answer);
    btnPlay->setVisible(answer);
    btnStop->setVisible(answer || Shows == TContent::Solving);
    if (counting) {
        LabelSolution->setText(QString("<b>Moves:</b> %1").arg(MoveCount));
    }
    const bool left = Solves && Position < Moves.size();
    ActionSolutionStep->setEnabled(left);
    ActionSolutionPlay->setEnabled(left && !Playing());
    ActionSolutionStop->setEnabled((Playing() && left) || Shows == TContent::Solving);
    QString moves;
    for (std::size_t i = 0; i < Moves.size(); ++i) {
        const QString token = QString::fromStdString(Moves[i]).toHtmlEscaped();
        if (i < Position) {
            moves += "<span style='color:#808080'>" + token + "</span> ";
        } else if (i == Position && Solves) {
            moves += "<span style='background-color:#ffe066'><b>" + token + "</b></span> ";
        } else {
            moves += token + " ";
        }
    }
    const auto count = static_cast<int>(Moves.size());
    const QString counted = QString("%1 move%2").arg(count).arg(count == 1 ? "" : "s");
    if (Shows != TContent::Answer) {
        return; // the count above, or the fault its caller writes
    }
    if (!Solves) {
        LabelSolution->setText("<span style='color:#b00000'><b>This answer does not solve the cube</b> (" +
                               counted + "): " + moves + "</span>");
    } else if (Moves.empty()) {
        LabelSolution->setText("<b>The cube is solved already.</b>");
    } else if (Confirmed) {
        LabelSolution->setText("<b>Solved</b> in " + counted + ": " + moves);
    } else if (Position >= Moves.size()) {
        LabelSolution->setText("<b>Solution</b> (" + counted + ", the last one turning): " + moves);
    } else {
        LabelSolution->setText(QString("<b>Solution</b> (%1, next %2 of %3%4): ")
                                   .arg(counted)
                                   .arg(Position + 1)
                                   .arg(count)
                                   .arg(SearchGoesOn ? "; <i>looking for a shorter one...</i>" : "") +
                               moves);
    }
}
