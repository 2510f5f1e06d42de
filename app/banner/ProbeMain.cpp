// torvane-banner-probe URL TIMEOUT_MS: asks the page for its headers with one plain request, through
// the desktop's proxy settings (the *_proxy variables, as the web engine reads them too), and
// ends with status 0 when it answered with a success status (after safe redirects), 1 when not (no
// answer in time, a network, proxy or name error, an error status), 2 on a wrong call. A process of
// its own, so that the network and TLS libraries never stay in the program.
#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    bool numeric = false;
    const int timeOut = args.size() == 3 ? args[2].toInt(&numeric) : 0;
    const QUrl page(args.size() == 3 ? args[1] : QString());
    if (!numeric || timeOut <= 0 || !page.isValid() ||
        !(page.scheme() == "http" || page.scheme() == "https")) {
        return 2;
    }
    // The network layer takes the desktop's proxy by itself, as the web engine does, and for plain
    // HTTP does not go on without it when it refuses.
    QNetworkAccessManager network;
    QNetworkRequest request(page);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    QNetworkReply* reply = network.get(request);
    const auto success = [reply] {
        const int code = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        return code >= 200 && code < 300;
    };
    // The status is known with the headers; the page itself is the web view's to fetch.
    QObject::connect(reply, &QNetworkReply::metaDataChanged, &app, [&] {
        if (!reply->attribute(QNetworkRequest::RedirectionTargetAttribute).isValid() &&
            reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid()) {
            QCoreApplication::exit(success() ? 0 : 1);
        }
    });
    QObject::connect(reply, &QNetworkReply::finished, &app, [&] {
        QCoreApplication::exit(reply->error() == QNetworkReply::NoError && success() ? 0 : 1);
    });
    // A host that never answers, or a name lookup that hangs, ends here rather than in the network
    // layer's own, much longer, time-outs.
    QTimer::singleShot(timeOut, &app, [] { QCoreApplication::exit(1); });
    const int status = app.exec();
    reply->disconnect(&app);
    reply->abort();
    return status;
}
