// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/command_button.h"

#include <QPainter>

namespace {
constexpr int kBevel = 2;
} // namespace

void CommandButton::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    const QRect all = rect();
    painter.fillRect(all, palette().color(QPalette::Button));

    // Light from the top left: raised, the top and left edges are light;
    // pressed, the shadow moves there.
    const bool sunken = isDown();
    const QColor& topLeft = sunken ? look::kEdgeDarkShadow : look::kEdgeLight;
    const QColor& bottomRight = sunken ? look::kEdgeLight : look::kEdgeDarkShadow;
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
    const QStaticText& caption = caption_.laidOut(text(), font());
    const QSizeF size = caption.size();
    painter.setPen(isEnabled() ? palette().color(QPalette::ButtonText) : look::kGreyedText);
    painter.drawStaticText(QPointF(inside.left() + (inside.width() - size.width()) / 2,
                                   inside.top() + (inside.height() - size.height()) / 2),
                           caption);

    if (hasFocus()) {
        look::drawFocus(painter, this, inside.adjusted(1, 1, -1, -1),
                        palette().color(QPalette::Button));
    }
}
