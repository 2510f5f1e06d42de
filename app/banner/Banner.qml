// The advertisement panel's browser. It tells the main window how each load ended, and when its page
// process has gone, which leaves it blank for good.
import QtQuick
import QtWebEngine

WebEngineView {
    signal pageLoaded(bool ok)
    signal engineFailed()

    onLoadingChanged: function(request) {
        if (request.status === WebEngineView.LoadSucceededStatus)
            pageLoaded(true)
        else if (request.status === WebEngineView.LoadFailedStatus)
            pageLoaded(false)
    }
    onRenderProcessTerminated: function(terminationStatus, exitCode) {
        if (terminationStatus !== WebEngineView.NormalTerminationStatus)
            engineFailed()
    }
}
