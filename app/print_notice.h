// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLabel>
#include <QTimer>

// A small note that floats beside a control for a few seconds and then goes
// away by itself, like a balloon tip: nothing to dismiss, no control of the
// window changes, and the focus stays where it is. A click hides it early.
// It is a window of its own, not a child of the window it speaks about.
class PrintNotice : public QLabel {
    Q_OBJECT

public:
    PrintNotice();

    // Shows text just below the control, its right edge under the control's.
    void showBelow(const QWidget* control, const QString& text);

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    QTimer hideTimer_;
};
