#include "drawn_line.h"

#include <QPainter>

DrawnLine::DrawnLine(QWidget* parent, QPoint from, QPoint to) : QWidget(parent), line_(from, to) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    const QRect box = QRect(from, to).normalized();
    setGeometry(box.x(), box.y(), box.width(), box.height());
}

void DrawnLine::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.setPen(QPen(Qt::black, 1));
    painter.drawLine(line_.translated(-pos()));
}
