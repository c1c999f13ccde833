// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Drives the window as a person would: mouse clicks and key presses go in as
// events of the windowing system and reach the widgets through the toolkit's
// own delivery, so that hit-testing, enabled state, focus, the Tab chain and
// the window's key filtering all take part.

#include <QPoint>
#include <QString>

class QWidget;

namespace scenario {

class WindowDriver {
public:
    explicit WindowDriver(QWidget* window) : window_(window) {}

    // The control of that name: the window itself for its own name, otherwise
    // the child (at any depth) with that object name; null when there is none.
    QWidget* control(const QString& name) const;

    // The middle of the control in the window's coordinates: where click()
    // clicks.
    QPoint centreOf(const QWidget* control) const;

    // The named control that receives a click at that point of the window:
    // the topmost shown control there that takes mouse input (the window
    // itself when there is none). Whether it acts on the click depends on
    // its enabled state.
    QWidget* controlAt(QPoint point) const;

    // A left click at the middle of the control. The click lands on whatever
    // is on top at that point of the window, as on screen: a hidden control is
    // not hit, and a disabled one lets the click fall through to its parent.
    void click(QWidget* control);

    // One key press and release for each character, each delivered to the
    // widget that has the focus at that moment; nothing when none has.
    void keys(const QString& text);

    // The text inserted at the cursor of the focused text field, as a paste
    // from the clipboard does: no key event is sent.
    void paste(const QString& text);

    // The window's close button: a close event for the window.
    void close();

    // Delivers everything that is still pending.
    static void settle();

private:
    QWidget* window_;
};

} // namespace scenario
