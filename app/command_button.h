// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/appearance.h"

#include <QPushButton>

// A command button drawn as a classic graphical button: its background colour
// (the palette's Button colour) fills it in every widget style, inside a
// raised two-pixel bevel that sinks while the button is pressed. A disabled
// caption is grey; the focus shows as a dotted rectangle.
class CommandButton : public QPushButton {
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    look::Caption caption_;
};
