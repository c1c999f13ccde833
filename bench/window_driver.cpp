// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench/window_driver.h"

#include "app/line_list.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <chrono>
#include <stdexcept>

namespace bench {

namespace {

template <typename W> W* control(QWidget& window, const char* name) {
    auto* found = window.findChild<W*>(QString::fromLatin1(name));
    if (found == nullptr) {
        throw std::runtime_error(std::string("control not found: ") + name);
    }
    return found;
}

void after(Repaint repaint) {
    if (repaint == Repaint::AfterEachStep) {
        ContactWindow::settle();
    }
}

long long nanosSince(std::chrono::steady_clock::time_point begin) {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() -
                                                                begin)
        .count();
}

} // namespace

ContactWindow::ContactWindow(const QString& ownLocator)
    : window_(std::make_unique<Telvor>(printer_)) {
    Telvor& w = *window_;
    loc1_ = control<QLineEdit>(w, "LOC1");
    loc2_ = control<QLineEdit>(w, "LOC2");
    qth2_ = control<QLineEdit>(w, "QTH2");
    su_ = control<QLineEdit>(w, "SU");
    log_ = control<LineList>(w, "LIST1");
    band432_ = control<QRadioButton>(w, "B2");
    ok_ = control<QPushButton>(w, "OK2");
    w.start();
    settle();
    if (!ownLocator.isEmpty()) {
        typeAndEnter(loc1_, ownLocator, Repaint::AfterEachStep);
        if (!loc2_->isEnabled()) {
            throw std::runtime_error("own locator refused");
        }
    }
}

ContactWindow::~ContactWindow() = default;

void ContactWindow::settle() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

void ContactWindow::typeAndEnter(QLineEdit* field, const QString& text, Repaint repaint) {
    for (const QChar ch : text) {
        QTest::keyClick(field, ch.toLatin1());
        after(repaint);
    }
    QTest::keyClick(field, Qt::Key_Return);
    after(repaint);
}

void ContactWindow::contact(const QString& foreignLocator, Repaint repaint) {
    typeAndEnter(loc2_, foreignLocator, repaint);
    QTest::mouseClick(band432_, Qt::LeftButton);
    after(repaint);
    QTest::mouseClick(ok_, Qt::LeftButton);
    after(repaint);
}

ContactWindow::PasteTimes ContactWindow::pasteAndEnter(QLineEdit* field, QChar firstKey,
                                                       const QString& text) {
    PasteTimes times;
    field->setFocus();
    if (!firstKey.isNull()) {
        QTest::keyClick(field, firstKey.toLatin1());
    }
    settle();
    auto begin = std::chrono::steady_clock::now();
    field->insert(text);
    times.pasteNs = nanosSince(begin);
    begin = std::chrono::steady_clock::now();
    settle();
    times.paintAfterPasteNs = nanosSince(begin);
    begin = std::chrono::steady_clock::now();
    QTest::keyClick(field, Qt::Key_Return);
    times.enterNs = nanosSince(begin);
    begin = std::chrono::steady_clock::now();
    settle();
    times.paintAfterEnterNs = nanosSince(begin);
    return times;
}

} // namespace bench
