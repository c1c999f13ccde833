// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Start-up measurement: a window that ends its program once it has been
// painted for the first time. Only the start-up benchmark executables are
// built with it; the program a user runs never contains it.

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QWidget>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <unistd.h>

namespace bench {

// The start-up driver (startup_bench.cpp) passes the write end of a pipe in
// QRB_BENCH_PAINTED_FD and reads from it when the window's first picture was
// on its way to the display: CLOCK_MONOTONIC in nanoseconds, the clock the
// driver read before it started the program. Started by hand, the program
// only ends.
inline void reportFirstPaint() {
    const char* fd = std::getenv("QRB_BENCH_PAINTED_FD");
    if (fd == nullptr) {
        return;
    }
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const std::int64_t nanoseconds = std::int64_t{now.tv_sec} * 1'000'000'000 + now.tv_nsec;
    if (write(std::atoi(fd), &nanoseconds, sizeof nanoseconds) != sizeof nanoseconds) {
        std::abort(); // the driver counts the run as failed
    }
}

class EndAfterFirstPaint : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !seen_) {
            seen_ = true;
            // The window's own paint event opens the repaint; its children are
            // painted and the picture is sent to the display (the X backing
            // store flushes its connection) in the same pass, before the event
            // loop takes the next queued call, which notes the time and ends
            // the program the normal way (exec returns).
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [] {
                    reportFirstPaint();
                    QCoreApplication::exit(0);
                },
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
