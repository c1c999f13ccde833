// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/print_notice.h"

#include <QAccessible>
#include <QScreen>
#include <QToolTip>
#include <algorithm>

namespace {
// Long enough to read a sentence twice.
constexpr int kShownMs = 10000;
constexpr int kWidestPixels = 320;
} // namespace

PrintNotice::PrintNotice() : QLabel(nullptr, Qt::ToolTip | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("printNotice"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    // It looks like a tooltip, in the tooltip's font too.
    setFont(QToolTip::font());
    setForegroundRole(QPalette::ToolTipText);
    setBackgroundRole(QPalette::ToolTipBase);
    setAutoFillBackground(true);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setMargin(4);
    setWordWrap(true);
    setTextFormat(Qt::PlainText);
    hideTimer_.setSingleShot(true);
    hideTimer_.setInterval(kShownMs);
    connect(&hideTimer_, &QTimer::timeout, this, &QWidget::hide);
}

void PrintNotice::showBelow(const QWidget* control, const QString& text) {
    setText(text);
    setAccessibleName(text);
    setMaximumWidth(kWidestPixels);
    adjustSize();
    const QPoint corner = control->mapToGlobal(QPoint(control->width(), control->height() + 2));
    QPoint at(corner.x() - width(), corner.y());
    if (const QScreen* screen = control->screen()) {
        const QRect room = screen->availableGeometry();
        at.setX(std::clamp(at.x(), room.left(), std::max(room.left(), room.right() - width())));
        at.setY(std::clamp(at.y(), room.top(), std::max(room.top(), room.bottom() - height())));
    }
    move(at);
    show();
    hideTimer_.start();
    // A screen reader says it aloud.
    QAccessibleEvent alert(this, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}

void PrintNotice::mousePressEvent(QMouseEvent* /*event*/) {
    hide();
}
