#include "app/FormEngines.h"

#include "app/Dialogs.h"
#include "engines/Engines.h"
#include "ini/IniFile.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QFrame>
#include <QMetaObject>
#include <QPainter>
#include <QPushButton>
#include <QShowEvent>
#include <QStyledItemDelegate>
#include <QTreeWidget>
#include <mutex>

// The table changes on its own threads; the dialog hears of it on the UI thread, and not at all once
// it is gone.
struct TFormEngines::TPost {
    std::mutex Mutex;
    TFormEngines* Dialog = nullptr;

    template <typename Fn>
    void operator()(Fn&& Call) {
        std::lock_guard lock(Mutex);
        if (Dialog != nullptr) {
            // A posted call dies with its receiver, should the dialog go before it runs.
            QMetaObject::invokeMethod(
                Dialog, [dialog = Dialog, call = std::forward<Fn>(Call)] { call(dialog); },
                Qt::QueuedConnection);
        }
    }
};

const char* const TFormEngines::DetailLabels[8] = {
    "Construct String : ", "Supported Cubes  : ", "Library File     : ", "Version          : ",
    "Copyright        : ", "Contact          : ", "Web Site         : ", "e-mail           : ",
};

namespace {

// Engines in bold green on yellow when selected, their detail lines in blue on white.
class TEngineItemDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* Option, const QModelIndex& Index) const override {
        QStyledItemDelegate::initStyleOption(Option, Index);
        const bool engine = !Index.parent().isValid();
        const QColor text = engine ? QColor(0x00, 0x80, 0x00) : QColor(0x00, 0x00, 0xFF);
        Option->font.setBold(engine);
        Option->palette.setColor(QPalette::Text, text);
        Option->palette.setColor(QPalette::HighlightedText, text);
        Option->palette.setColor(QPalette::Highlight, engine ? QColor(0xFF, 0xFF, 0x00) : QColor(Qt::white));
    }
};

QString Detail(int Line, const EngineRec& Engine) {
    const std::string* values[8] = {&Engine.ConstructString, &Engine.SupportedCubes, &Engine.LibraryFile,
                                    &Engine.Version,         &Engine.LegalNotice,    &Engine.Contact,
                                    &Engine.WebSite,         &Engine.EMail};
    return QString::fromLatin1(TFormEngines::DetailLabels[Line]) + QString::fromStdString(*values[Line]);
}

// The detail lines are columns of text: they need a font whose letters are all equally wide. A family
// name is only a request that the machine may answer with any face, so each choice is measured as
// drawn: "Courier New", else the desktop's fixed font, else the first fixed-pitch family installed.
bool DrawsEvenly(const QFont& Font) {
    const QFontMetrics metrics(Font);
    return QFontInfo(Font).fixedPitch() && metrics.horizontalAdvance('i') == metrics.horizontalAdvance('W');
}

QFont DetailFont() {
    constexpr int PointSize = 8;
    QFont courier("Courier New", PointSize);
    courier.setStyleHint(QFont::TypeWriter);
    courier.setFixedPitch(true);
    if (DrawsEvenly(courier)) {
        return courier;
    }
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(PointSize);
    font.setFixedPitch(true);
    if (DrawsEvenly(font)) {
        return font;
    }
    for (const QString& family : QFontDatabase::families()) {
        if (!QFontDatabase::isFixedPitch(family)) {
            continue;
        }
        font = QFont(family, PointSize);
        font.setFixedPitch(true);
        if (DrawsEvenly(font)) {
            return font;
        }
    }
    return courier; // no fixed-pitch face at all: the nearest there is
}

} // namespace

TFormEngines::TFormEngines(QWidget* Owner, TSettingsFiles files, QString ProgramFolder)
    : QDialog(Owner), Files(std::move(files)), Folder(std::move(ProgramFolder)) {
    setObjectName("FormEngines");
    setWindowTitle("Engines");
    setWindowFlag(Qt::WindowStaysOnTopHint);
    resize(495, 369);

    PanelEngine = new QFrame(this);
    PanelEngine->setObjectName("PanelEngine");
    TreeViewEngines = new QTreeWidget(PanelEngine);
    TreeViewEngines->setObjectName("TreeViewEngines");
    TreeViewEngines->setHeaderHidden(true);
    TreeViewEngines->setIndentation(19);
    TreeViewEngines->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TreeViewEngines->setMouseTracking(true); // hot tracking
    TreeViewEngines->setItemDelegate(new TEngineItemDelegate(TreeViewEngines));
    TreeViewEngines->setFont(DetailFont());
    QPalette palette = TreeViewEngines->palette();
    palette.setColor(QPalette::Base, Qt::white);
    TreeViewEngines->setPalette(palette);

    PanelBottom = new QFrame(this);
    PanelBottom->setObjectName("PanelBottom");
    btnAddEngine = new QPushButton("Add", PanelBottom);
    btnAddEngine->setObjectName("btnAddEngine");
    btnRemoveEngine = new QPushButton("Remove", PanelBottom);
    btnRemoveEngine->setObjectName("btnRemoveEngine");
    btnRemoveEngine->setEnabled(false);
    // Add is the button Enter presses; Remove never is.
    btnAddEngine->setAutoDefault(false);
    btnRemoveEngine->setAutoDefault(false);

    connect(btnAddEngine, &QPushButton::clicked, this, &TFormEngines::btnAddEngineClick);
    connect(btnRemoveEngine, &QPushButton::clicked, this, &TFormEngines::btnRemoveEngineClick);
    // Keyboard selection counts as much as a click.
    connect(TreeViewEngines, &QTreeWidget::itemSelectionChanged, this,
            [this] { btnRemoveEngine->setEnabled(!TreeViewEngines->selectedItems().isEmpty()); });

    Post = std::make_shared<TPost>();
    Post->Dialog = this;
    Listener = EngineTable().Subscribe([post = Post] {
        (*post)([](TFormEngines* dialog) {
            if (dialog->isVisible()) {
                dialog->RefreshEngineList();
            }
        });
    });
    LoadEngines();
}

TFormEngines::~TFormEngines() {
    EngineTable().Unsubscribe(Listener);
    std::lock_guard lock(Post->Mutex);
    Post->Dialog = nullptr;
}

void TFormEngines::LoadEngines() {
    const TIniFile ini = Files.Read();
    std::vector<std::string> files;
    for (int k = 1; k <= MaxEngines; ++k) {
        files.push_back(ini.ReadString(EnginesSection, "Engine" + std::to_string(k), ""));
    }
    EngineTable().LoadInBackground(std::move(files), Folder.toStdString());
}

void TFormEngines::RefreshEngineList() {
    TreeViewEngines->clear();
    for (const TEngineId id : EngineTable().Ids()) {
        const std::optional<EngineRec> engine = EngineTable().Find(id);
        if (!engine) {
            continue; // removed since
        }
        auto* node = new QTreeWidgetItem(TreeViewEngines, {QString::fromStdString(engine->EngineName)});
        node->setData(0, Qt::UserRole, static_cast<uint>(id));
        for (int line = 0; line < 8; ++line) {
            new QTreeWidgetItem(node, {Detail(line, *engine)});
        }
    }
}

void TFormEngines::showEvent(QShowEvent* Event) {
    if (QWidget* owner = parentWidget(); owner != nullptr && !Event->spontaneous()) {
        move(owner->geometry().center() - rect().center());
    }
    RefreshEngineList();
    btnRemoveEngine->setEnabled(!TreeViewEngines->selectedItems().isEmpty());
    QDialog::showEvent(Event);
}

void TFormEngines::resizeEvent(QResizeEvent* Event) {
    // The buttons keep their places against the right edge, as on the dialog's 495-pixel width.
    PanelEngine->setGeometry(0, 0, width(), height() - 41);
    TreeViewEngines->setGeometry(PanelEngine->rect());
    PanelBottom->setGeometry(0, height() - 41, width(), 41);
    btnAddEngine->setGeometry(width() - 495 + 317, 9, 75, 25);
    btnRemoveEngine->setGeometry(width() - 495 + 408, 9, 75, 25);
    QDialog::resizeEvent(Event);
}

void TFormEngines::btnAddEngineClick() {
    std::string file;
    if (!AskOpenFile("Add Engine", Folder.toStdString(), "Engine Library (*.so)", file)) {
        return;
    }
    // Tried in a host of its own first, which may take seconds for a slow or hanging engine: off the
    // UI thread. The tree shows it when the table has it, if the dialog is shown then.
    ++PendingAdds;
    EngineTable().AddInBackground(file, Folder.toStdString(), [post = Post](TEngineId) {
        (*post)([](TFormEngines* dialog) {
            --dialog->PendingAdds;
            dialog->RefreshEngineList();
        });
    });
}

void TFormEngines::btnRemoveEngineClick() {
    const QList<QTreeWidgetItem*> selected = TreeViewEngines->selectedItems();
    if (selected.isEmpty()) {
        return;
    }
    QTreeWidgetItem* node = selected.front();
    if (node->parent() != nullptr) {
        node = node->parent();
    }
    EngineTable().Remove(static_cast<TEngineId>(node->data(0, Qt::UserRole).toUInt()));
    RefreshEngineList();
}
