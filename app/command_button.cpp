#include "command_button.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace {
const QColor kLight{0xFF, 0xFF, 0xFF};
const QColor kShadow{0x40, 0x40, 0x40};
const QColor kGreyText{0x80, 0x80, 0x80};
constexpr int kBevel = 2;
} // namespace

void CommandButton::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    const QRect all = rect();
    painter.fillRect(all, palette().color(QPalette::Button));

    // Light from the top left: raised, the top and left edges are light;
    // pressed, the shadow moves there.
    const bool sunken = isDown();
    const QColor& topLeft = sunken ? kShadow : kLight;
    const QColor& bottomRight = sunken ? kLight : kShadow;
    for (int i = 0; i < kBevel; ++i) {
        const QRect edge = all.adjusted(i, i, -i, -i);
        painter.setPen(topLeft);
        painter.drawLine(edge.topLeft(), edge.topRight());
        painter.drawLine(edge.topLeft(), edge.bottomLeft());
        painter.setPen(bottomRight);
        painter.drawLine(edge.bottomLeft(), edge.bottomRight());
        painter.drawLine(edge.topRight(), edge.bottomRight());
    }

    QRect inside = all.adjusted(kBevel, kBevel, -kBevel, -kBevel);
    if (sunken) {
        inside.translate(1, 1);
    }
    if (caption_.text() != text()) {
        caption_.setText(text());
        caption_.setTextFormat(Qt::PlainText);
        caption_.prepare(QTransform(), font());
    }
    const QSizeF size = caption_.size();
    painter.setPen(isEnabled() ? palette().color(QPalette::ButtonText) : kGreyText);
    painter.drawStaticText(QPointF(inside.left() + (inside.width() - size.width()) / 2,
                                   inside.top() + (inside.height() - size.height()) / 2),
                           caption_);

    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = inside.adjusted(1, 1, -1, -1);
        focus.backgroundColor = palette().color(QPalette::Button);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}
