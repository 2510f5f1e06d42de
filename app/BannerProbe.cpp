#include "app/BannerProbe.h"

namespace {
// The helper keeps its own time; this much more and it is ended from here.
constexpr int HelperGrace = 2000; // ms
} // namespace

TBannerProbe::TBannerProbe(QObject* Parent) : QObject(Parent) {
    Helper.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    Helper.setStandardOutputFile(QProcess::nullDevice());
    Deadline.setSingleShot(true);
    connect(&Deadline, &QTimer::timeout, this, [this] {
        End(false);
        Helper.kill();
    });
    connect(&Helper, &QProcess::finished, this, [this](int Status, QProcess::ExitStatus How) {
        End(How == QProcess::NormalExit && Status == 0);
    });
    connect(&Helper, &QProcess::errorOccurred, this, [this](QProcess::ProcessError Error) {
        if (Error == QProcess::FailedToStart) {
            End(false);
        }
    });
}

TBannerProbe::~TBannerProbe() {
    Helper.disconnect(this);
    if (Helper.state() != QProcess::NotRunning) {
        Helper.kill();
        Helper.waitForFinished(1000);
    }
}

void TBannerProbe::Start(const QString& HelperFile, const QUrl& Page, int TimeOutMs) {
    if (Running()) {
        return;
    }
    Waiting = true;
    Deadline.start(TimeOutMs + HelperGrace);
    Helper.start(HelperFile, {Page.toString(), QString::number(TimeOutMs)});
}

void TBannerProbe::End(bool Answered) {
    if (!Waiting) {
        return; // already reported
    }
    Waiting = false;
    Deadline.stop();
    // A helper that fails to start is reported from inside start(): the answer waits for the loop.
    Reporting = true;
    QMetaObject::invokeMethod(
        this,
        [this, Answered] {
            Reporting = false;
            emit Finished(Answered);
        },
        Qt::QueuedConnection);
}
