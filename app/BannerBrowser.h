#pragma once
// What the program asks of the banner's web view plug-in (torvane-banner.so in the program folder).
// The web engine, Qt Quick and QML are loaded with the plug-in, and the plug-in is loaded only once
// the banner's site has answered, so a run that never shows the web page never maps them.

#include <QObject>
#include <QWindow>
#include <QtPlugin>
#include <memory>

class TBannerBrowserFactory {
public:
    virtual ~TBannerBrowserFactory() = default;
    // Sets the web engine up in this running application (once; later calls do nothing) and makes a
    // window showing a page view; null when Qt Quick or the web engine's module cannot make one (Qt
    // has said why). Call it on the UI thread before any other Qt Quick window exists. The page view,
    // owned by the window, is set in Page: it has the property "url", the method loadHtml(html, base)
    // and the signals pageLoaded(bool ok), after every load, and engineFailed(), once its page
    // process has gone or the window cannot draw.
    virtual std::unique_ptr<QWindow> CreateBrowser(QObject*& Page) = 0;
};

#define TBannerBrowserFactory_iid "org.torvane.BannerBrowserFactory/1"
Q_DECLARE_INTERFACE(TBannerBrowserFactory, TBannerBrowserFactory_iid)
