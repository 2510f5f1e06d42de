#include "app/Dialogs.h"

#include "view/Messages.h"

#include <QApplication>
#include <QColorDialog>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMetaObject>
#include <QUrl>
#include <QVBoxLayout>

namespace {

TMessageRecorder*& ActiveRecorder() {
    static TMessageRecorder* recorder = nullptr;
    return recorder;
}

QMessageBox::Icon BoxIcon(TMessageIcon Icon) {
    switch (Icon) {
    case TMessageIcon::Information:
        return QMessageBox::Information;
    case TMessageIcon::Warning:
        return QMessageBox::Warning;
    case TMessageIcon::Error:
        return QMessageBox::Critical;
    case TMessageIcon::Question:
        return QMessageBox::Question;
    case TMessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

int RunBox(const std::string& Title, const std::string& Text, TMessageIcon Icon,
           QMessageBox::StandardButtons Buttons) {
    QMessageBox box(BoxIcon(Icon), QString::fromStdString(Title), QString::fromStdString(Text), Buttons,
                    QApplication::activeWindow());
    return box.exec();
}

} // namespace

TMessageRecorder::TMessageRecorder() {
    ActiveRecorder() = this;
}

TMessageRecorder::~TMessageRecorder() {
    ActiveRecorder() = nullptr;
}

void ShowMessageBox(const std::string& Title, const std::string& Text, TMessageIcon Icon) {
    if (TMessageRecorder* recorder = ActiveRecorder()) {
        recorder->Shown.push_back({Title, Text, Icon, false});
        if (recorder->WhileShown) {
            recorder->WhileShown();
        }
        return;
    }
    RunBox(Title, Text, Icon, QMessageBox::Ok);
}

bool AskYesNo(const std::string& Title, const std::string& Text, TMessageIcon Icon) {
    if (TMessageRecorder* recorder = ActiveRecorder()) {
        recorder->Shown.push_back({Title, Text, Icon, true});
        if (recorder->WhileShown) {
            recorder->WhileShown();
        }
        return recorder->Answer;
    }
    return RunBox(Title, Text, Icon, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

bool AskColor(TColor& Color) {
    if (TMessageRecorder* recorder = ActiveRecorder()) {
        recorder->ColorsAsked.push_back(Color);
        if (recorder->ColorAnswer) {
            Color = *recorder->ColorAnswer;
        }
        return recorder->ColorAnswer.has_value();
    }
    const QColor chosen =
        QColorDialog::getColor(QColor(static_cast<int>(Color & 0xFF), static_cast<int>((Color >> 8) & 0xFF),
                                      static_cast<int>((Color >> 16) & 0xFF)),
                               QApplication::activeWindow());
    if (!chosen.isValid()) {
        return false;
    }
    Color = static_cast<TColor>(chosen.red()) | (static_cast<TColor>(chosen.green()) << 8) |
            (static_cast<TColor>(chosen.blue()) << 16);
    return true;
}

bool AskOpenFile(const std::string& Title, const std::string& Folder, const std::string& Filter,
                 std::string& File) {
    if (TMessageRecorder* recorder = ActiveRecorder()) {
        recorder->FiltersAsked.push_back(Filter);
        recorder->FoldersAsked.push_back(Folder);
        if (recorder->FileAnswer) {
            File = *recorder->FileAnswer;
        }
        return recorder->FileAnswer.has_value();
    }
    const QString chosen =
        QFileDialog::getOpenFileName(QApplication::activeWindow(), QString::fromStdString(Title),
                                     QString::fromStdString(Folder), QString::fromStdString(Filter));
    if (chosen.isEmpty()) {
        return false;
    }
    File = chosen.toStdString();
    return true;
}

bool AskSaveFile(const std::string& Title, const std::string& Filter, const std::string& Suffix,
                 std::string& File) {
    if (TMessageRecorder* recorder = ActiveRecorder()) {
        recorder->SavesOffered.push_back(File);
        if (recorder->SaveAnswer) {
            File = *recorder->SaveAnswer;
        }
        return recorder->SaveAnswer.has_value();
    }
    QFileDialog dialog(QApplication::activeWindow(), QString::fromStdString(Title),
                       QString::fromStdString(File), QString::fromStdString(Filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QString::fromStdString(Suffix));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return false;
    }
    File = dialog.selectedFiles().first().toStdString();
    return true;
}

bool AskText(const std::string& Title, const std::string& Prompt, std::string& Text,
             const std::function<std::string(const std::string&)>& Check) {
    if (TMessageRecorder* recorder = ActiveRecorder()) {
        if (!recorder->TextAnswer) {
            return false;
        }
        const std::string fault = Check ? Check(*recorder->TextAnswer) : std::string();
        if (!fault.empty()) {
            recorder->Shown.push_back({Title, fault, TMessageIcon::Warning, false});
            return false;
        }
        Text = *recorder->TextAnswer;
        return true;
    }
    QDialog dialog(QApplication::activeWindow());
    dialog.setWindowTitle(QString::fromStdString(Title));
    auto* layout = new QVBoxLayout(&dialog);
    auto* prompt = new QLabel(QString::fromStdString(Prompt), &dialog);
    prompt->setWordWrap(true);
    layout->addWidget(prompt);
    auto* edit = new QLineEdit(QString::fromStdString(Text), &dialog);
    edit->setObjectName("EditText");
    edit->setMinimumWidth(420);
    layout->addWidget(edit);
    auto* fault = new QLabel(&dialog);
    fault->setObjectName("LabelFault");
    fault->setWordWrap(true);
    fault->setStyleSheet("color: #b00000");
    fault->hide();
    layout->addWidget(fault);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
        const std::string said = Check ? Check(edit->text().toStdString()) : std::string();
        if (said.empty()) {
            dialog.accept();
            return;
        }
        fault->setText(QString::fromStdString(said));
        fault->show();
        dialog.adjustSize(); // room for the whole explanation
        edit->setFocus();
    });
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    Text = edit->text().toStdString();
    return true;
}

void OpenDesktopAddress(const std::string& Address) {
    if (TMessageRecorder* recorder = ActiveRecorder()) {
        recorder->Opened.push_back(Address);
        return;
    }
    if (!QDesktopServices::openUrl(QUrl(QString::fromStdString(Address)))) {
        ShowMessageBox("3D Torvane", "The desktop could not open " + Address + ".");
    }
}

void InstallViewMessages() {
    SetMessageHandler([](const std::string& Title, const std::string& Text) {
        // Always queued, also from the UI thread: the sender may hold a view's lock, and a modal box
        // runs an event loop whose timers and paints take those locks or wait for the move thread,
        // which may itself wait for them. The box shows once the sender has returned to the loop.
        QMetaObject::invokeMethod(
            qApp, [Title, Text] { ShowMessageBox(Title, Text); }, Qt::QueuedConnection);
    });
}
