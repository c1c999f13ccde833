// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/drawn_line.h"

#include <QPainter>

DrawnLine::DrawnLine(QWidget* parent, QPoint from, QPoint to) : QWidget(parent), line_(from, to) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    // One pixel across: the widget is the line.
    const QRect box = QRect(from, to).normalized();
    setGeometry(box.x(), box.y(), box.width(), box.height());
}

// The line fills the widget. A pen stroked along its edge would lie half
// outside it, and at a scale such as 125 % or 150 % the half inside covers no
// whole device pixel: the line would not be drawn at all.
void DrawnLine::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
}
