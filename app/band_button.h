// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/appearance.h"

#include <QRadioButton>

// A band option button as on a classic form: a sunken round indicator, white
// while the button can be chosen, with the caption beside it. It is chosen by
// a click anywhere on it, not only on its indicator and caption. Ten of them
// repaint with every change of the band display, so they are drawn with a
// few strokes of their own rather than the style's shaded indicator.
class BandButton : public QRadioButton {
public:
    using QRadioButton::QRadioButton;

protected:
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
    void paintEvent(QPaintEvent* event) override;

private:
    look::Caption caption_;
};
