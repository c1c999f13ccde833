// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/appearance.h"

#include <QGroupBox>

// The frame around the band buttons, drawn as on a classic form: an etched
// rectangle whose top edge the caption interrupts. The buttons above it
// repaint with every band display change, and the frame beneath them with
// them, so it is drawn with a few lines instead of the style's image frame.
class BandFrame : public QGroupBox {
public:
    using QGroupBox::QGroupBox;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    look::Caption caption_;
};
