// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/appearance.h"

#include "icon/app_icon.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QToolTip>
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

void useAsApplicationFont(const QFont& font) {
    // The desktop's, as they were before the first window changed them.
    static const QFont tooltips = QToolTip::font();
    static const QFont menus = QApplication::font("QMenu");
    // Only the default: the fonts the desktop gives classes of widgets stay.
    QGuiApplication::setFont(font);
    QToolTip::setFont(tooltips);
    QApplication::setFont(menus, "QMenu");
}

int twipsToPixels(const QWidget* widget, int twips) {
    return qrb::layout::pixels(twips, widget->logicalDpiX());
}

QIcon windowIcon() {
    QIcon icon;
    // 16 x 16 on a plain screen, the larger ones where the desktop scales.
    for (const int size : {16, 32, 48}) {
        icon.addPixmap(QPixmap::fromImage(appicon::render(size)));
    }
    return icon;
}

} // namespace look
