#include "appearance.h"

#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QWidget>

namespace look {

namespace {
const char* const kBackColorProperty = "backColor";
} // namespace

QColor fromBgr(unsigned bgr) {
    return QColor(static_cast<int>(bgr & 0xFFU), static_cast<int>((bgr >> 8U) & 0xFFU),
                  static_cast<int>((bgr >> 16U) & 0xFFU));
}

void setBackColor(QWidget* widget, unsigned bgr) {
    // Handlers set colours that often are already there; restyling costs.
    const QVariant current = widget->property(kBackColorProperty);
    if (current.isValid() && current.toUInt() == bgr) {
        return;
    }
    widget->setProperty(kBackColorProperty, bgr);
    const QColor colour = fromBgr(bgr);
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Base, colour);
    palette.setColor(QPalette::Window, colour);
    palette.setColor(QPalette::Button, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

unsigned backColor(const QWidget* widget) {
    return widget->property(kBackColorProperty).toUInt();
}

const QStaticText& Caption::laidOut(const QString& text, const QFont& font) {
    if (layout_.text() != text || font_ != font) {
        layout_.setText(text);
        layout_.setTextFormat(Qt::PlainText);
        layout_.prepare(QTransform(), font);
        font_ = font;
    }
    return layout_;
}

void drawFocus(QPainter& painter, const QWidget* widget, const QRect& around,
               const QColor& background) {
    QStyleOptionFocusRect focus;
    focus.initFrom(widget);
    focus.rect = around;
    focus.backgroundColor = background;
    widget->style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, widget);
}

int twipsToPixels(const QWidget* widget, int twips) {
    return qRound(twips * widget->logicalDpiX() / 1440.0);
}

QIcon windowIcon() {
    QPixmap pixmap(16, 16);
    pixmap.fill(fromBgr(kGrey));
    QPainter painter(&pixmap);
    // Locator grid in the background.
    painter.setPen(QColor(0x80, 0x80, 0x80));
    for (int i = 1; i < 16; i += 5) {
        painter.drawLine(i, 9, i, 15);
        painter.drawLine(0, 9 + i / 2, 15, 9 + i / 2);
    }
    // Yagi: boom, mast and four elements.
    painter.setPen(QColor(0x00, 0x00, 0x80));
    painter.drawLine(1, 4, 14, 4);
    painter.drawLine(7, 4, 7, 15);
    for (int x : {2, 6, 10, 13}) {
        painter.drawLine(x, 1, x, 7);
    }
    // The far station, light green as the field that expects the next input.
    painter.setPen(Qt::NoPen);
    painter.setBrush(fromBgr(kLightGreen).darker(140));
    painter.drawEllipse(11, 10, 4, 4);
    painter.end();
    return QIcon(pixmap);
}

} // namespace look
