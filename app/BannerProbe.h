#pragma once
// Asks a web page, in the background, whether it answers: one plain HTTP request through the
// application's network settings (its proxy included), the reply dropped as soon as its status is
// known. The banner starts its web engine only on a yes, so that a run without a network never does.

#include <QObject>
#include <QTimer>
#include <QUrl>
#include <memory>

class QNetworkAccessManager;
class QNetworkReply;

class TBannerProbe : public QObject {
    Q_OBJECT

public:
    explicit TBannerProbe(QObject* Parent = nullptr);
    ~TBannerProbe() override;

    // Starts a request for Page unless one is under way; Finished follows within TimeOutMs, on the UI
    // thread, never from inside this call.
    void Start(const QUrl& Page, int TimeOutMs);
    bool Running() const { return Reply != nullptr; }

signals:
    // True when the page answered with a success status (after redirects); false on no answer in
    // time, a network or proxy error, or an error status.
    void Finished(bool Answered);

private:
    void End(bool Answered);

    std::unique_ptr<QNetworkAccessManager> Network; // made on first use
    QNetworkReply* Reply = nullptr;                 // owned by Network while it runs
    QTimer TimeOut;
};
