// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractScrollArea>
#include <QStringList>

// A list box of text lines, one per row: the header line, the log, the point
// table and the help panel. A new line goes to the end without laying out the
// rows before it again, and is painted only when it is in view, so the
// thousandth contact costs what the first did. The list does not scroll to a
// new line by itself. A click or the arrow keys choose the current row, which
// is shown highlighted; the wheel and the scroll bar scroll by rows. As in a
// list box, there is no horizontal scrolling: a line wider than the list is
// cut at its right edge. The list draws its own sunken border, two pixels
// wide, as a list box on a classic form.
class LineList : public QAbstractScrollArea {
    Q_OBJECT

public:
    explicit LineList(QWidget* parent = nullptr);

    void addLine(const QString& line);
    int count() const { return static_cast<int>(lines_.size()); }
    const QString& line(int row) const { return lines_.at(row); }
    const QStringList& lines() const { return lines_; }

    // The highlighted row, or -1 before one was chosen.
    int currentRow() const { return current_; }
    void setCurrentRow(int row);

    // The first row in view (the vertical scroll bar counts rows).
    int topRow() const;
    int rowHeight() const;
    // Row under a point of the viewport, or -1 below the last line.
    int rowAt(QPoint viewportPoint) const;
    // Where a row is painted, in viewport coordinates (above or below the
    // viewport when scrolled out).
    QRect rowRect(int row) const;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void paintBorder();
    int textMargin() const;
    int rowsInView() const;
    void updateScrollBars();
    void scrollTo(int row);
    void updateRow(int row);
    void notifyAccessibility(int row);

    QStringList lines_;
    int current_ = -1;
};
