// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Start-up measurement: a window that ends its program once it has been
// painted for the first time. Only the start-up benchmark executables are
// built with it; the program a user runs never contains it.

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QWidget>

namespace bench {

class EndAfterFirstPaint : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !seen_) {
            seen_ = true;
            // The window's own paint event opens the repaint; its children are
            // painted and the picture is flushed to the display in the same
            // pass, before the event loop takes the next queued call, which
            // ends the program the normal way (exec returns).
            QMetaObject::invokeMethod(
                QCoreApplication::instance(), [] { QCoreApplication::exit(0); },
                Qt::QueuedConnection);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool seen_ = false;
};

// Install before the window is shown.
inline void endAfterFirstPaint(QWidget& window) {
    window.installEventFilter(new EndAfterFirstPaint(&window));
}

} // namespace bench
