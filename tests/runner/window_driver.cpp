// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/runner/window_driver.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QWidget>
#include <QWindow>

namespace scenario {

namespace {

struct KeyStroke {
    int key = Qt::Key_unknown;
    QString text;
};

// The key a keyboard sends for a character, with the character as its text.
// Qt numbers the keys of the Latin-1 characters by their upper-case code, so
// 'j' and 'J' are both Key_J; other characters arrive as an unknown key that
// still carries its text, as from an input method.
KeyStroke strokeFor(char32_t code) {
    KeyStroke stroke;
    stroke.text = QString::fromUcs4(&code, 1);
    switch (code) {
    case 13:
        stroke.key = Qt::Key_Return;
        return stroke;
    case 8:
        stroke.key = Qt::Key_Backspace;
        return stroke;
    case 9:
        stroke.key = Qt::Key_Tab;
        return stroke;
    case 27:
        stroke.key = Qt::Key_Escape;
        return stroke;
    case 127:
        stroke.key = Qt::Key_Delete;
        return stroke;
    default:
        break;
    }
    if ((code >= 0x20 && code <= 0x7E) || (code >= 0xA0 && code <= 0xFF)) {
        const char32_t upper = QChar::toUpper(code);
        stroke.key = static_cast<int>(upper <= 0xFF ? upper : code);
    }
    return stroke;
}

void sendKey(QWindow* window, QEvent::Type type, const KeyStroke& stroke) {
    qt_handleKeyEvent(window, type, stroke.key, Qt::NoModifier, stroke.text, false, 1);
    WindowDriver::settle();
}

} // namespace

QWidget* WindowDriver::control(const QString& name) const {
    if (window_->objectName() == name) {
        return window_;
    }
    return window_->findChild<QWidget*>(name);
}

QPoint WindowDriver::centreOf(const QWidget* control) const {
    return control == window_ ? window_->rect().center()
                              : control->mapTo(window_, control->rect().center());
}

QWidget* WindowDriver::controlAt(QPoint point) const {
    QWidget* widget = window_->childAt(point);
    while (widget != nullptr && widget != window_ && widget->objectName().isEmpty()) {
        widget = widget->parentWidget();
    }
    return widget != nullptr ? widget : window_;
}

void WindowDriver::click(QWidget* control) {
    QTest::mouseClick(window_->windowHandle(), Qt::LeftButton, Qt::NoModifier, centreOf(control));
    settle();
}

void WindowDriver::keys(const QString& text) {
    const QList<uint> codes = text.toUcs4();
    for (const uint code : codes) {
        const KeyStroke stroke = strokeFor(code);
        QWidget* focus = QApplication::focusWidget();
        if (focus == nullptr || focus->window()->windowHandle() == nullptr) {
            continue;
        }
        // The release goes to the same window, whatever the press did to the
        // focus inside it, as from a keyboard.
        QWindow* window = focus->window()->windowHandle();
        sendKey(window, QEvent::KeyPress, stroke);
        sendKey(window, QEvent::KeyRelease, stroke);
    }
}

void WindowDriver::paste(const QString& text) {
    auto* field = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    if (field != nullptr && !field->isReadOnly()) {
        field->insert(text);
    }
    settle();
}

void WindowDriver::close() {
    window_->close();
    settle();
}

void WindowDriver::settle() {
    for (int round = 0; round < 3; ++round) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

} // namespace scenario
