// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/band_frame.h"

#include <QPainter>

namespace {
void drawRectangle(QPainter& painter, const QRect& r, const QColor& colour) {
    painter.setPen(colour);
    painter.drawRect(r);
}
} // namespace

void BandFrame::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    const QStaticText& captionText = caption_.laidOut(title(), font());
    const QSizeF captionSize = captionText.size();

    // Etched: a shadow line with a light line just inside and below it.
    const int top = static_cast<int>(captionSize.height()) / 2;
    const QRect box = rect().adjusted(0, top, -2, -2);
    drawRectangle(painter, box.translated(1, 1), look::kEdgeLight);
    drawRectangle(painter, box, look::kEdgeShadow);

    // The caption sits on the frame's own background, a little in from the
    // left corner.
    constexpr int kIndent = 6;
    constexpr int kGap = 2;
    const QRectF caption(kIndent, 0, captionSize.width() + 2 * kGap, captionSize.height());
    painter.fillRect(caption, palette().brush(backgroundRole()));
    painter.setPen(palette().color(foregroundRole()));
    painter.drawStaticText(QPointF(kIndent + kGap, 0), captionText);
}
