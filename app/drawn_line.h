// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLine>
#include <QWidget>

// A straight line drawn on its parent, like the separating rules of a form.
// It takes no input: clicks fall through to whatever lies beneath.
class DrawnLine : public QWidget {
    Q_OBJECT

public:
    // from and to in pixels, in the parent's coordinates.
    DrawnLine(QWidget* parent, QPoint from, QPoint to);

    QLine line() const { return line_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QLine line_;
};
