// SPDX-License-Identifier: GPL-3.0-or-later
// The window as it is drawn on the screen, at the scale the test runs with
// (QT_SCALE_FACTOR 1, 1.25, 1.5, 1.75 and 2, one test run each): every caption
// whole, ink along every drawn line, and the list borders on all their edges.
// Checked in the pixels of the rendered window.
#include "app/drawn_line.h"
#include "app/line_list.h"
#include "app/telvor.h"
#include "output/printer.h"
#include "output/recording_printer.h"

#include <QLabel>
#include <QPainter>
#include <QtTest>
#include <algorithm>
#include <cmath>

namespace {

bool isInk(QRgb pixel) {
    return qGray(pixel) < 0x70;
}

// Device pixels of a widget's rectangle in the window's picture.
QRect devicePixels(const QWidget* widget, const QWidget* window, double dpr) {
    const QRectF logical(widget->mapTo(window, QPoint(0, 0)), QSizeF(widget->size()));
    return QRectF(logical.topLeft() * dpr, logical.size() * dpr).toAlignedRect();
}

// Columns from the leftmost to the rightmost ink pixel inside r, or 0.
int inkWidth(const QImage& image, const QRect& r) {
    int first = -1;
    int last = -1;
    const QRect inside = r.intersected(image.rect());
    for (int x = inside.left(); x <= inside.right(); ++x) {
        for (int y = inside.top(); y <= inside.bottom(); ++y) {
            if (isInk(image.pixel(x, y))) {
                first = first < 0 ? x : first;
                last = x;
                break;
            }
        }
    }
    return first < 0 ? 0 : last - first + 1;
}

// The same caption drawn with nothing around it to cut it.
int freeInkWidth(const QLabel* label, double dpr) {
    const QSize size(label->sizeHint().width() * 3, label->height() * 3);
    QImage image(QSize(std::lround(size.width() * dpr), std::lround(size.height() * dpr)),
                 QImage::Format_RGB32);
    image.setDevicePixelRatio(dpr);
    image.fill(QColor(0xC0, 0xC0, 0xC0));
    QPainter painter(&image);
    painter.setFont(label->font());
    painter.setPen(Qt::black);
    painter.drawText(QRect(QPoint(size.width() / 3, 0), size), Qt::AlignLeft | Qt::AlignVCenter,
                     label->text());
    painter.end();
    return inkWidth(image, image.rect());
}

} // namespace

class TstScaledWindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void captionWhole_data();
    void captionWhole();
    void lineDrawn_data();
    void lineDrawn();
    void listBorder_data();
    void listBorder();

private:
    qrb::RecordingPrinter printer_;
    std::unique_ptr<Telvor> window_;
    QImage picture_;
    double dpr_ = 1.0;
};

void TstScaledWindow::initTestCase() {
    window_ = std::make_unique<Telvor>(printer_);
    window_->start();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    const QPixmap grabbed = window_->grab();
    dpr_ = grabbed.devicePixelRatio();
    picture_ = grabbed.toImage().convertToFormat(QImage::Format_RGB32);
    qInfo("window drawn at %g device pixels per pixel", dpr_);
}

void TstScaledWindow::captionWhole_data() {
    QTest::addColumn<QString>("name");
    for (const char* name : {"TEXT1", "Text2", "Text4", "TEXT5", "TEXT6", "TEXT7"}) {
        QTest::newRow(name) << QString::fromLatin1(name);
    }
}

// The caption's ink inside its label is as wide as the caption drawn freely:
// nothing of it is cut at the label's right edge. A label grown for it lies
// over no other control.
void TstScaledWindow::captionWhole() {
    QFETCH(QString, name);
    const auto* label = window_->findChild<QLabel*>(name);
    QVERIFY(label != nullptr);
    for (const QWidget* other :
         window_->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (other != label && other->isVisible()) {
            QVERIFY2(!label->geometry().intersects(other->geometry()),
                     qPrintable(name + QStringLiteral(" lies over ") + other->objectName()));
        }
    }
    const int free = freeInkWidth(label, dpr_);
    QVERIFY(free > 0);
    const int shown = inkWidth(picture_, devicePixels(label, window_.get(), dpr_));
    QVERIFY2(std::abs(shown - free) <= 1,
             qPrintable(QStringLiteral("\"%1\" shows %2 device pixels of ink, drawn freely %3")
                            .arg(label->text())
                            .arg(shown)
                            .arg(free)));
}

void TstScaledWindow::lineDrawn_data() {
    QTest::addColumn<QString>("name");
    for (const char* name : {"Linie5", "Line2", "Linie7", "Linie9", "Line1", "Linie10"}) {
        QTest::newRow(name) << QString::fromLatin1(name);
    }
}

// Every device pixel along the line, ends aside, has ink across it.
void TstScaledWindow::lineDrawn() {
    QFETCH(QString, name);
    const auto* line = window_->findChild<DrawnLine*>(name);
    QVERIFY(line != nullptr);
    const QRect r = devicePixels(line, window_.get(), dpr_);
    const bool across = r.width() > r.height();
    const int from = (across ? r.left() : r.top()) + 2;
    const int to = (across ? r.right() : r.bottom()) - 2;
    QVERIFY(to > from);
    for (int along = from; along <= to; ++along) {
        bool ink = false;
        for (int off = -1; off <= (across ? r.height() : r.width()) && !ink; ++off) {
            const QPoint p = across ? QPoint(along, r.top() + off) : QPoint(r.left() + off, along);
            ink = picture_.valid(p) && isInk(picture_.pixel(p));
        }
        QVERIFY2(
            ink,
            qPrintable(
                QStringLiteral("%1 has no ink at device pixel %2 along it").arg(name).arg(along)));
    }
}

void TstScaledWindow::listBorder_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("edge");
    const std::array<const char*, 4> edges{"top", "left", "bottom", "right"};
    for (int edge = 0; edge < 4; ++edge) {
        QTest::addRow("LIST1 %s", edges.at(static_cast<std::size_t>(edge)))
            << QStringLiteral("LIST1") << edge;
    }
    // The log lies over the header's bottom edge.
    for (int edge : {0, 1, 3}) {
        QTest::addRow("LIST0 %s", edges.at(static_cast<std::size_t>(edge)))
            << QStringLiteral("LIST0") << edge;
    }
}

// Along the edge, the border (two pixels wide) stands out both from the grey
// window outside and from the white list inside.
void TstScaledWindow::listBorder() {
    QFETCH(QString, name);
    QFETCH(int, edge);
    const auto* list = window_->findChild<LineList*>(name);
    QVERIFY(list != nullptr);
    const QRect r = devicePixels(list, window_.get(), dpr_);
    const int band = static_cast<int>(std::ceil(2 * dpr_));
    const bool across = edge == 0 || edge == 2;
    const int from = (across ? r.left() : r.top()) + band + 1;
    const int to = (across ? r.right() : r.bottom()) - band - 1;
    const QRgb outside = qRgb(0xC0, 0xC0, 0xC0);
    const QRgb inside = qRgb(0xFF, 0xFF, 0xFF);
    for (int along = from; along <= to; ++along) {
        bool unlikeOutside = false;
        bool unlikeInside = false;
        for (int depth = 0; depth < band; ++depth) {
            QPoint p;
            switch (edge) {
            case 0:
                p = {along, r.top() + depth};
                break;
            case 1:
                p = {r.left() + depth, along};
                break;
            case 2:
                p = {along, r.bottom() - depth};
                break;
            default:
                p = {r.right() - depth, along};
                break;
            }
            const QRgb pixel = picture_.pixel(p) | 0xFF000000U;
            unlikeOutside = unlikeOutside || pixel != outside;
            unlikeInside = unlikeInside || pixel != inside;
        }
        QVERIFY2(unlikeOutside && unlikeInside,
                 qPrintable(QStringLiteral("%1 shows no border at device pixel %2 along edge %3")
                                .arg(name)
                                .arg(along)
                                .arg(edge)));
    }
}

QTEST_MAIN(TstScaledWindow)
#include "tst_scaled_window.moc"
