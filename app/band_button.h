#pragma once

#include <QRadioButton>

// A band option button that is chosen by a click anywhere on it, not only on
// its indicator and caption, as on a classic form.
class BandButton : public QRadioButton {
public:
    using QRadioButton::QRadioButton;

protected:
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
};
