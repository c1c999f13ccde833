// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/band_button.h"

#include <QPainter>
#include <QPixmapCache>

namespace {
constexpr int kIndicator = 12; // diameter in pixels
constexpr int kCaptionGap = 5;
const QColor kDot{0x00, 0x00, 0x00};
} // namespace

namespace {
// The round indicator, sunken in two rings: shadows on the upper left half,
// lights on the lower right. White inside while the button can be chosen;
// without a fill when disabled, so that the frame's colour shows through.
QPixmap drawIndicator(bool enabled, bool checked, qreal ratio) {
    const int side = kIndicator + 2;
    QPixmap pixmap(QSize(side, side) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF ring(1.5, 1.5, kIndicator - 1, kIndicator - 1);
    if (enabled) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(look::kEdgeLight);
        painter.drawEllipse(ring);
    }
    painter.setBrush(Qt::NoBrush);
    const auto half = [&painter](const QRectF& r, const QColor& colour, int startDegrees) {
        painter.setPen(QPen(colour, 1));
        painter.drawArc(r, startDegrees * 16, 180 * 16);
    };
    const QRectF inner = ring.adjusted(1, 1, -1, -1);
    half(ring, look::kEdgeShadow, 45);
    half(ring, look::kEdgeLight, 225);
    half(inner, look::kEdgeDarkShadow, 45);
    half(inner, look::kEdgeFace, 225);
    if (checked) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(enabled ? kDot : look::kEdgeShadow);
        painter.drawEllipse(ring.center(), 2.5, 2.5);
    }
    return pixmap;
}

// Four looks in all, drawn once each.
QPixmap indicator(bool enabled, bool checked, qreal ratio) {
    const QString key =
        QStringLiteral("qrb-band-indicator-%1%2-%3").arg(int(enabled)).arg(int(checked)).arg(ratio);
    QPixmap pixmap;
    if (!QPixmapCache::find(key, &pixmap)) {
        pixmap = drawIndicator(enabled, checked, ratio);
        QPixmapCache::insert(key, pixmap);
    }
    return pixmap;
}
} // namespace

void BandButton::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.drawPixmap(0, (height() - kIndicator) / 2 - 1,
                       indicator(isEnabled(), isChecked(), devicePixelRatioF()));

    const QStaticText& caption = caption_.laidOut(text(), font());
    const int captionLeft = kIndicator + kCaptionGap;
    const QSizeF size = caption.size();
    const QPointF at(captionLeft, (height() - size.height()) / 2);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawStaticText(at, caption);

    if (hasFocus()) {
        look::drawFocus(painter, this,
                        QRectF(at, size).toAlignedRect().adjusted(-1, 0, 1, 0).intersected(rect()),
                        palette().color(QPalette::Window));
    }
}
