#include "app/BannerProbe.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <utility>

TBannerProbe::TBannerProbe(QObject* Parent) : QObject(Parent) {
    TimeOut.setSingleShot(true);
    // A host that never answers, or a name lookup that hangs, ends here rather than in the network
    // layer's own, much longer, time-outs.
    connect(&TimeOut, &QTimer::timeout, this, [this] { End(false); });
}

TBannerProbe::~TBannerProbe() {
    if (Reply != nullptr) {
        Reply->disconnect(this);
        Reply->abort();
    }
}

void TBannerProbe::Start(const QUrl& Page, int TimeOutMs) {
    if (Reply != nullptr) {
        return;
    }
    if (!Network) {
        Network = std::make_unique<QNetworkAccessManager>();
    }
    QNetworkRequest request(Page);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    Reply = Network->get(request);
    // The status is known with the headers; the page itself is the web view's to fetch.
    connect(Reply, &QNetworkReply::metaDataChanged, this, [this] {
        const QVariant status = Reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        const QVariant redirect = Reply->attribute(QNetworkRequest::RedirectionTargetAttribute);
        if (status.isValid() && !redirect.isValid()) {
            const int code = status.toInt();
            End(code >= 200 && code < 300);
        }
    });
    // Also a reply without headers, or one refused by the server, a proxy or the name lookup.
    connect(Reply, &QNetworkReply::finished, this, [this] {
        const int code = Reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        End(Reply->error() == QNetworkReply::NoError && code >= 200 && code < 300);
    });
    TimeOut.start(TimeOutMs);
}

void TBannerProbe::End(bool Answered) {
    if (Reply == nullptr) {
        return;
    }
    TimeOut.stop();
    QNetworkReply* reply = std::exchange(Reply, nullptr);
    reply->disconnect(this);
    reply->abort();
    reply->deleteLater();
    emit Finished(Answered);
}
