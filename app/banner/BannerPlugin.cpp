// The banner's web view: Qt WebEngine's Qt Quick view in a window that the main window embeds.
#include "app/BannerBrowser.h"

#include <QQuickItem>
#include <QQuickView>
#include <QtWebEngineQuick/qtwebenginequickglobal.h>

namespace {

class TBannerPlugin : public QObject, public TBannerBrowserFactory {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID TBannerBrowserFactory_iid)
    Q_INTERFACES(TBannerBrowserFactory)

public:
    std::unique_ptr<QWindow> CreateBrowser(QObject*& Page) override {
        Page = nullptr;
        if (!Initialized) {
            // With the application running, this sets up what the engine needs at once: one OpenGL
            // context that Qt Quick's contexts made after it share, so that the engine's frames reach
            // the view. Qt warns that the call comes late; nothing else depends on coming early, as
            // long as no Qt Quick window exists yet, and the program makes none but this.
            QtWebEngineQuick::initialize();
            Initialized = true;
        }
        auto view = std::make_unique<QQuickView>();
        view->setResizeMode(QQuickView::SizeRootObjectToView);
        view->setSource(QUrl(QStringLiteral("qrc:/banner/Banner.qml")));
        QObject* root = view->rootObject();
        if (view->status() != QQuickView::Ready || root == nullptr) {
            return nullptr; // the web engine's Qt Quick module is missing, for one; Qt has said why
        }
        // Without a handler Qt Quick ends the process when it cannot draw.
        connect(view.get(), &QQuickWindow::sceneGraphError, root,
                [root] { QMetaObject::invokeMethod(root, "engineFailed", Qt::QueuedConnection); });
        Page = root;
        return view;
    }

private:
    bool Initialized = false;
};

} // namespace

#include "BannerPlugin.moc"
