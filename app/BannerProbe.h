#pragma once
// Asks a web page, in the background, whether it answers, through the helper program
// "torvane-banner-probe" (one plain request, the reply dropped once its status is known). The banner
// starts its web engine only on a yes, so that a run without a network never does; and the network
// and TLS libraries are loaded by the helper, which ends, not by the program.

#include <QObject>
#include <QProcess>
#include <QTimer>
#include <QUrl>

class TBannerProbe : public QObject {
    Q_OBJECT

public:
    explicit TBannerProbe(QObject* Parent = nullptr);
    ~TBannerProbe() override;

    // Starts the helper (Helper, its full path) on Page unless one runs; Finished follows within
    // about TimeOutMs, on the UI thread, never from inside this call.
    void Start(const QString& Helper, const QUrl& Page, int TimeOutMs);
    bool Running() const { return Helper.state() != QProcess::NotRunning || Reporting; }

signals:
    // True when the page answered with a success status; false on anything else, a helper that could
    // not run or did not end in time included.
    void Finished(bool Answered);

private:
    void End(bool Answered);

    QProcess Helper;
    QTimer Deadline;
    bool Waiting = false;   // for this run's answer
    bool Reporting = false; // the answer is queued for the UI thread
};
