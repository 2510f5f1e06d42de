#include "app/Dialogs.h"

#include "view/Messages.h"

#include <QApplication>
#include <QMessageBox>
#include <QMetaObject>
#include <QThread>

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
        return;
    }
    RunBox(Title, Text, Icon, QMessageBox::Ok);
}

bool AskYesNo(const std::string& Title, const std::string& Text, TMessageIcon Icon) {
    if (TMessageRecorder* recorder = ActiveRecorder()) {
        recorder->Shown.push_back({Title, Text, Icon, true});
        return recorder->Answer;
    }
    return RunBox(Title, Text, Icon, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void InstallViewMessages() {
    SetMessageHandler([](const std::string& Title, const std::string& Text) {
        if (QThread::currentThread() == qApp->thread()) {
            ShowMessageBox(Title, Text);
            return;
        }
        // Queued, not blocking: the sender may hold a view's Lock, which the UI thread takes to draw.
        QMetaObject::invokeMethod(
            qApp, [Title, Text] { ShowMessageBox(Title, Text); }, Qt::QueuedConnection);
    });
}
