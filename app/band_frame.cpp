#include "band_frame.h"

#include <QPainter>

namespace {
const QColor kShadow{0x80, 0x80, 0x80};
const QColor kLight{0xFF, 0xFF, 0xFF};

void drawRectangle(QPainter& painter, const QRect& r, const QColor& colour) {
    painter.setPen(colour);
    painter.drawRect(r);
}
} // namespace

void BandFrame::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    if (caption_.text() != title()) {
        caption_.setText(title());
        caption_.setTextFormat(Qt::PlainText);
        caption_.prepare(QTransform(), font());
    }
    const QSizeF captionSize = caption_.size();

    // Etched: a shadow line with a light line just inside and below it.
    const int top = static_cast<int>(captionSize.height()) / 2;
    const QRect box = rect().adjusted(0, top, -2, -2);
    drawRectangle(painter, box.translated(1, 1), kLight);
    drawRectangle(painter, box, kShadow);

    // The caption sits on the frame's own background, a little in from the
    // left corner.
    constexpr int kIndent = 6;
    constexpr int kGap = 2;
    const QRectF caption(kIndent, 0, captionSize.width() + 2 * kGap, captionSize.height());
    painter.fillRect(caption, palette().brush(backgroundRole()));
    painter.setPen(palette().color(foregroundRole()));
    painter.drawStaticText(QPointF(kIndent + kGap, 0), caption_);
}
