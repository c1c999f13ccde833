// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/line_list.h"

#include "app/appearance.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHash>
#include <QKeyEvent>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>
#include <array>
#include <utility>

namespace {

// What a screen reader sees: a list whose children are its lines. The line
// objects exist only once an assistive tool asks for them.
class LineAccessible : public QAccessibleInterface {
public:
    LineAccessible(LineList* list, int row) : list_(list), row_(row) {}

    bool isValid() const override { return !list_.isNull() && row_ < list_->count(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override {
        return list_.isNull() ? nullptr : list_->window()->windowHandle();
    }
    QAccessibleInterface* focusChild() const override { return nullptr; }
    QAccessibleInterface* childAt(int /*x*/, int /*y*/) const override { return nullptr; }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(list_.data());
    }
    QAccessibleInterface* child(int /*index*/) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface* /*child*/) const override { return -1; }
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name && isValid() ? list_->line(row_) : QString();
    }
    void setText(QAccessible::Text /*t*/, const QString& /*text*/) override {}
    QRect rect() const override {
        if (!isValid()) {
            return {};
        }
        const QRect r = list_->rowRect(row_);
        return {list_->viewport()->mapToGlobal(r.topLeft()), r.size()};
    }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        s.selectable = true;
        s.focusable = true;
        const bool current = list_->currentRow() == row_;
        s.selected = current;
        s.focused = current && list_->hasFocus();
        s.offscreen = !list_->rowRect(row_).intersects(list_->viewport()->rect());
        s.invisible = !list_->isVisible();
        return s;
    }

private:
    QPointer<LineList> list_;
    int row_;
};

class LineListAccessible : public QAccessibleWidget {
public:
    explicit LineListAccessible(QWidget* widget) : QAccessibleWidget(widget, QAccessible::List) {}
    ~LineListAccessible() override {
        for (const QAccessible::Id id : std::as_const(lines_)) {
            QAccessible::deleteAccessibleInterface(id);
        }
    }
    LineListAccessible(const LineListAccessible&) = delete;
    LineListAccessible& operator=(const LineListAccessible&) = delete;

    int childCount() const override { return list()->count(); }
    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= list()->count()) {
            return nullptr;
        }
        auto found = lines_.constFind(index);
        if (found == lines_.constEnd()) {
            found = lines_.insert(
                index, QAccessible::registerAccessibleInterface(new LineAccessible(list(), index)));
        }
        return QAccessible::accessibleInterface(*found);
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        for (auto it = lines_.constBegin(); it != lines_.constEnd(); ++it) {
            if (QAccessible::accessibleInterface(it.value()) == child) {
                return it.key();
            }
        }
        return -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        const QPoint p = list()->viewport()->mapFromGlobal(QPoint(x, y));
        if (!list()->viewport()->rect().contains(p)) {
            return nullptr;
        }
        return child(list()->rowAt(p));
    }
    QAccessibleInterface* focusChild() const override {
        return list()->hasFocus() ? child(list()->currentRow()) : nullptr;
    }

private:
    LineList* list() const { return static_cast<LineList*>(widget()); }

    mutable QHash<int, QAccessible::Id> lines_;
};

QAccessibleInterface* lineListAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String("LineList") && object != nullptr && object->isWidgetType()) {
        return new LineListAccessible(static_cast<QWidget*>(object));
    }
    return nullptr;
}

// Width of the sunken border (a classic window panel): a shadow and a dark
// shadow ring at the top and left, a light and a face ring at the bottom and
// right.
constexpr int kBorder = 2;

} // namespace

LineList::LineList(QWidget* parent) : QAbstractScrollArea(parent) {
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(lineListAccessible);
        return true;
    }();
    (void)factoryInstalled;
    setFocusPolicy(Qt::StrongFocus);
    // Two pixels of frame around the rows, which the list paints itself.
    setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    verticalScrollBar()->setSingleStep(1);
}

void LineList::addLine(const QString& line) {
    lines_.append(line);
    updateScrollBars();
    updateRow(count() - 1);
    if (QAccessible::isActive()) {
        QAccessibleEvent event(this, QAccessible::ObjectReorder);
        QAccessible::updateAccessibility(&event);
    }
}

void LineList::setCurrentRow(int row) {
    if (row < 0 || row >= count()) {
        return;
    }
    scrollTo(row);
    if (row == current_) {
        return;
    }
    updateRow(current_);
    current_ = row;
    updateRow(current_);
    notifyAccessibility(row);
}

int LineList::topRow() const {
    return verticalScrollBar()->value();
}

int LineList::rowHeight() const {
    return std::max(1, fontMetrics().height());
}

int LineList::rowAt(QPoint viewportPoint) const {
    if (viewportPoint.y() < 0) {
        return -1;
    }
    const int row = topRow() + viewportPoint.y() / rowHeight();
    return row < count() ? row : -1;
}

QRect LineList::rowRect(int row) const {
    return {0, (row - topRow()) * rowHeight(), viewport()->width(), rowHeight()};
}

int LineList::textMargin() const {
    return style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
}

int LineList::rowsInView() const {
    return std::max(1, viewport()->height() / rowHeight());
}

// A hidden list (the point table, the help panel until it is shown) needs no
// font metrics yet: its scroll bar is set up when it is shown.
void LineList::updateScrollBars() {
    if (!isVisible()) {
        return;
    }
    QScrollBar* vertical = verticalScrollBar();
    vertical->setPageStep(rowsInView());
    vertical->setRange(0, std::max(0, count() - rowsInView()));
}

void LineList::scrollTo(int row) {
    QScrollBar* vertical = verticalScrollBar();
    if (row < topRow()) {
        vertical->setValue(row);
    } else if (row >= topRow() + rowsInView()) {
        vertical->setValue(row - rowsInView() + 1);
    }
}

void LineList::updateRow(int row) {
    if (row < 0 || !isVisible()) {
        return;
    }
    const QRect r = rowRect(row);
    if (r.intersects(viewport()->rect())) {
        viewport()->update(r);
    }
}

void LineList::notifyAccessibility(int row) {
    if (!QAccessible::isActive()) {
        return;
    }
    QAccessibleEvent selection(this, QAccessible::Selection);
    selection.setChild(row);
    QAccessible::updateAccessibility(&selection);
    if (hasFocus()) {
        QAccessibleEvent focus(this, QAccessible::Focus);
        focus.setChild(row);
        QAccessible::updateAccessibility(&focus);
    }
}

// The list's own paint events (not its viewport's) draw only the frame; there
// is no corner between two scroll bars to fill.
bool LineList::event(QEvent* event) {
    if (event->type() == QEvent::Paint) {
        paintBorder();
        return true;
    }
    return QAbstractScrollArea::event(event);
}

// Each ring is filled, one pixel wide, inside the list's own rectangle: a pen
// stroked along the edge would lie half outside it and vanish at scales such
// as 125 % or 150 %.
void LineList::paintBorder() {
    QPainter painter(this);
    const QRect all = rect();
    Q_ASSERT(frameWidth() == kBorder);
    const std::array<std::pair<QColor, QColor>, kBorder> rings{{
        {look::kEdgeShadow, look::kEdgeLight},
        {look::kEdgeDarkShadow, look::kEdgeFace},
    }};
    for (int i = 0; i < kBorder; ++i) {
        const QRect r = all.adjusted(i, i, -i, -i);
        const auto& [topLeft, bottomRight] = rings.at(static_cast<std::size_t>(i));
        painter.fillRect(r.left(), r.top(), r.width(), 1, topLeft);
        painter.fillRect(r.left(), r.top(), 1, r.height(), topLeft);
        painter.fillRect(r.left() + 1, r.bottom(), r.width() - 1, 1, bottomRight);
        painter.fillRect(r.right(), r.top() + 1, 1, r.height() - 1, bottomRight);
    }
}

void LineList::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const QRect exposed = event->rect();
    const int height = rowHeight();
    const int first = topRow() + std::max(0, exposed.top()) / height;
    const int last = std::min(count() - 1, topRow() + exposed.bottom() / height);
    const int x = textMargin();
    const int ascent = fontMetrics().ascent();
    const QPalette& colours = palette();
    for (int row = first; row <= last; ++row) {
        const QRect r = rowRect(row);
        if (row == current_) {
            painter.fillRect(r, colours.brush(QPalette::Highlight));
            painter.setPen(colours.color(QPalette::HighlightedText));
        } else {
            painter.setPen(colours.color(QPalette::Text));
        }
        painter.drawText(x, r.top() + ascent, lines_.at(row));
    }
    if (hasFocus()) {
        // Where the arrow keys start: the current row, else the first one.
        look::drawFocus(painter, this, rowRect(std::max(0, current_)),
                        colours.color(current_ >= 0 ? QPalette::Highlight : QPalette::Base));
    }
}

void LineList::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    setCurrentRow(rowAt(event->position().toPoint()));
    event->accept();
}

void LineList::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mouseReleaseEvent(event);
        return;
    }
    event->accept();
}

void LineList::keyPressEvent(QKeyEvent* event) {
    if (count() == 0) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    const int from = std::max(0, current_);
    int to = -1;
    switch (event->key()) {
    case Qt::Key_Up:
        to = current_ < 0 ? 0 : from - 1;
        break;
    case Qt::Key_Down:
        to = current_ < 0 ? 0 : from + 1;
        break;
    case Qt::Key_PageUp:
        to = from - rowsInView();
        break;
    case Qt::Key_PageDown:
        to = from + rowsInView();
        break;
    case Qt::Key_Home:
        to = 0;
        break;
    case Qt::Key_End:
        to = count() - 1;
        break;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    if (event->modifiers() & ~Qt::KeypadModifier) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    setCurrentRow(std::clamp(to, 0, count() - 1));
    event->accept();
}

void LineList::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void LineList::showEvent(QShowEvent* event) {
    QAbstractScrollArea::showEvent(event);
    updateScrollBars();
}

void LineList::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) {
        updateScrollBars();
        viewport()->update();
    }
    QAbstractScrollArea::changeEvent(event);
}

void LineList::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    updateRow(std::max(0, current_));
}

void LineList::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    updateRow(std::max(0, current_));
}

void LineList::scrollContentsBy(int /*dx*/, int /*dy*/) {
    viewport()->update();
}
