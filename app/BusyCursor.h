#pragma once
// The busy cursor over some widgets for as long as the guard lives. However the wait ends (an answer,
// a refusal, Stop, the window closing), each widget gets back the cursor it had, or none.

#include <QCursor>
#include <QPointer>
#include <QWidget>
#include <initializer_list>
#include <vector>

class TBusyCursor {
public:
    explicit TBusyCursor(std::initializer_list<QWidget*> Widgets) {
        for (QWidget* widget : Widgets) {
            Saved.push_back({widget, widget->testAttribute(Qt::WA_SetCursor), widget->cursor()});
            widget->setCursor(Qt::BusyCursor);
        }
    }
    ~TBusyCursor() {
        for (const TSaved& saved : Saved) {
            if (saved.Widget.isNull()) {
                continue;
            }
            if (saved.Had) {
                saved.Widget->setCursor(saved.Cursor);
            } else {
                saved.Widget->unsetCursor();
            }
        }
    }
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;

private:
    struct TSaved {
        QPointer<QWidget> Widget;
        bool Had;
        QCursor Cursor;
    };
    std::vector<TSaved> Saved;
};
