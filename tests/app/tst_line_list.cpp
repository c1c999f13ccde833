// SPDX-License-Identifier: GPL-3.0-or-later
// The window's list box: lines appended at the end without scrolling to them
// and without repainting what is not in view; a current row chosen by click
// or keys and kept in view; its lines readable by a screen reader. And in the
// window: the log keeps its first rows in view however long it grows.
#include "app/line_list.h"
#include "app/telvor.h"
#include "output/printer.h"
#include "output/recording_printer.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QLineEdit>
#include <QPaintEvent>
#include <QScrollBar>
#include <QtTest>

namespace {

// Records the regions the viewport was asked to paint.
class PaintRecorder : public QObject {
public:
    explicit PaintRecorder(QWidget* target) : QObject(target) { target->installEventFilter(this); }
    QList<QRect> painted;

protected:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            painted.append(static_cast<QPaintEvent*>(event)->rect());
        }
        return false;
    }
};

QString lineNo(int i) {
    return QStringLiteral("line %1").arg(i);
}

} // namespace

class TstLineList : public QObject {
    Q_OBJECT

    LineList* list_ = nullptr;

    // Appends `lines` numbered lines to the shown list of 10 rows.
    void fill(int lines) {
        for (int i = 0; i < lines; ++i) {
            list_->addLine(lineNo(i));
        }
    }

private slots:
    void init();
    void cleanup();
    void appendingDoesNotScroll();
    void appendingOutOfViewPaintsNothing();
    void appendingInViewPaintsOnlyTheNewRow();
    void keysMoveTheCurrentRow_data();
    void keysMoveTheCurrentRow();
    void clickChoosesTheRowUnderTheMouse();
    void screenReaderReadsTheLines();
    void logStaysAtItsFirstRows();
};

void TstLineList::init() {
    list_ = new LineList;
    list_->resize(200, 10 * list_->rowHeight() + 2 * list_->frameWidth());
    list_->show();
    QVERIFY(QTest::qWaitForWindowExposed(list_));
    QCOMPARE(list_->viewport()->height() / list_->rowHeight(), 10);
}

void TstLineList::cleanup() {
    delete list_;
    list_ = nullptr;
}

void TstLineList::appendingDoesNotScroll() {
    fill(25);
    QCoreApplication::processEvents();
    QCOMPARE(list_->count(), 25);
    QCOMPARE(list_->line(24), lineNo(24));
    QCOMPARE(list_->topRow(), 0);
    // Scrolled by rows: the last line can come to the bottom row, no further.
    QCOMPARE(list_->verticalScrollBar()->maximum(), 15);
    QVERIFY(list_->verticalScrollBar()->isVisible());
}

void TstLineList::appendingOutOfViewPaintsNothing() {
    fill(10);
    QCoreApplication::processEvents();
    auto* recorder = new PaintRecorder(list_->viewport());
    list_->addLine(lineNo(10));
    list_->addLine(lineNo(11));
    QCoreApplication::processEvents();
    QVERIFY2(recorder->painted.isEmpty(), "rows out of view were painted");
}

void TstLineList::appendingInViewPaintsOnlyTheNewRow() {
    fill(3);
    QCoreApplication::processEvents();
    auto* recorder = new PaintRecorder(list_->viewport());
    list_->addLine(lineNo(3));
    QCoreApplication::processEvents();
    QCOMPARE(recorder->painted.size(), 1);
    QCOMPARE(recorder->painted.first(), list_->rowRect(3));
}

void TstLineList::keysMoveTheCurrentRow_data() {
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("top");
    QTest::newRow("down before any row") << -1 << int(Qt::Key_Down) << 0 << 0;
    QTest::newRow("up before any row") << -1 << int(Qt::Key_Up) << 0 << 0;
    QTest::newRow("down") << 4 << int(Qt::Key_Down) << 5 << 0;
    QTest::newRow("down past the view") << 9 << int(Qt::Key_Down) << 10 << 1;
    QTest::newRow("up at the top") << 0 << int(Qt::Key_Up) << 0 << 0;
    QTest::newRow("page down") << 2 << int(Qt::Key_PageDown) << 12 << 3;
    QTest::newRow("page down at the end") << 20 << int(Qt::Key_PageDown) << 24 << 15;
    QTest::newRow("page up") << 12 << int(Qt::Key_PageUp) << 2 << 2;
    QTest::newRow("end") << 0 << int(Qt::Key_End) << 24 << 15;
    QTest::newRow("home") << 24 << int(Qt::Key_Home) << 0 << 0;
}

void TstLineList::keysMoveTheCurrentRow() {
    QFETCH(int, start);
    QFETCH(int, key);
    QFETCH(int, row);
    QFETCH(int, top);
    fill(25);
    list_->setCurrentRow(start);
    QTest::keyClick(list_, static_cast<Qt::Key>(key));
    QCOMPARE(list_->currentRow(), row);
    QCOMPARE(list_->topRow(), top);
}

void TstLineList::clickChoosesTheRowUnderTheMouse() {
    fill(4);
    QTest::mouseClick(list_->viewport(), Qt::LeftButton, {}, list_->rowRect(2).center());
    QCOMPARE(list_->currentRow(), 2);
    // Below the last line there is nothing to choose.
    QTest::mouseClick(list_->viewport(), Qt::LeftButton, {}, list_->rowRect(7).center());
    QCOMPARE(list_->currentRow(), 2);
}

void TstLineList::screenReaderReadsTheLines() {
    fill(15);
    list_->setCurrentRow(1);
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(list_);
    QVERIFY(iface != nullptr);
    QCOMPARE(iface->role(), QAccessible::List);
    QCOMPARE(iface->childCount(), 15);
    for (const int row : {0, 1, 14}) {
        QAccessibleInterface* item = iface->child(row);
        QVERIFY(item != nullptr);
        QCOMPARE(item->role(), QAccessible::ListItem);
        QCOMPARE(item->text(QAccessible::Name), lineNo(row));
        QCOMPARE(item->parent(), iface);
        QCOMPARE(iface->indexOfChild(item), row);
        QCOMPARE(item->state().selected, row == 1);
        QCOMPARE(item->state().offscreen, row == 14);
        QCOMPARE(iface->child(row), item); // the same object when asked again
    }
    QVERIFY(iface->child(15) == nullptr);
    const QRect third = iface->child(3)->rect();
    QCOMPARE(iface->childAt(third.center().x(), third.center().y()), iface->child(3));
    list_->addLine(lineNo(15));
    QCOMPARE(iface->childCount(), 16);
}

// However many contacts are confirmed, the log shows its first rows until the
// user scrolls.
void TstLineList::logStaysAtItsFirstRows() {
    qrb::RecordingPrinter printer;
    Telvor window(printer);
    window.start();
    auto* own = window.findChild<QLineEdit*>(QStringLiteral("LOC1"));
    auto* foreign = window.findChild<QLineEdit*>(QStringLiteral("LOC2"));
    auto* band = window.findChild<QAbstractButton*>(QStringLiteral("B2"));
    auto* ok = window.findChild<QAbstractButton*>(QStringLiteral("OK2"));
    auto* log = window.findChild<LineList*>(QStringLiteral("LIST1"));
    QVERIFY(own && foreign && band && ok && log);
    QTest::keyClicks(own, QStringLiteral("jo62qm"));
    QTest::keyClick(own, Qt::Key_Return);
    const int contacts = 3 * log->viewport()->height() / log->rowHeight();
    for (int i = 0; i < contacts; ++i) {
        QTest::keyClicks(foreign, QStringLiteral("jo73"));
        QTest::keyClick(foreign, Qt::Key_Return);
        QTest::mouseClick(band, Qt::LeftButton);
        QTest::mouseClick(ok, Qt::LeftButton);
    }
    QCoreApplication::processEvents();
    QCOMPARE(log->count(), contacts + 1);
    QCOMPARE(log->topRow(), 0);
    QCOMPARE(log->line(0), QString());
    QCOMPARE(log->line(contacts), QStringLiteral("JO73   432     2     2     4"));
    QVERIFY(log->verticalScrollBar()->maximum() > 0);
}

QTEST_MAIN(TstLineList)
#include "tst_line_list.moc"
