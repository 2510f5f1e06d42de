// The advertisement panel's browser. It tells the main window how each load ended.
import QtQuick
import QtWebEngine

WebEngineView {
    signal pageLoaded(bool ok)

    onLoadingChanged: function(request) {
        if (request.status === WebEngineView.LoadSucceededStatus)
            pageLoaded(true)
        else if (request.status === WebEngineView.LoadFailedStatus)
            pageLoaded(false)
    }
}
