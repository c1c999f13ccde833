// SPDX-License-Identifier: GPL-3.0-or-later
// The controls the window draws itself: a command button shows the colour it
// was given in every widget style, raised and sunk while pressed; a band
// button's indicator shows whether it can be chosen and whether it is chosen.
#include "app/appearance.h"
#include "app/band_button.h"
#include "app/command_button.h"

#include <QApplication>
#include <QImage>
#include <QStyle>
#include <QStyleFactory>
#include <QtTest>
#include <memory>

namespace {

QColor pixel(QWidget& widget, QPoint at) {
    return widget.grab().toImage().pixelColor(at);
}

const QColor kWhite{0xFF, 0xFF, 0xFF};
const QColor kShadow{0x40, 0x40, 0x40};

} // namespace

class TstPaintedControls : public QObject {
    Q_OBJECT

private slots:
    void buttonShowsItsColourInEveryStyle_data();
    void buttonShowsItsColourInEveryStyle();
    void buttonSinksWhilePressed();
    void indicatorShowsTheChoice_data();
    void indicatorShowsTheChoice();
};

void TstPaintedControls::buttonShowsItsColourInEveryStyle_data() {
    QTest::addColumn<QString>("style");
    QTest::addColumn<unsigned>("bgr");
    for (const QString& style : QStyleFactory::keys()) {
        for (const unsigned bgr : {qrb::layout::kGrey, qrb::layout::kLightGreen}) {
            QTest::addRow("%s %06x", qPrintable(style), bgr) << style << bgr;
        }
    }
}

void TstPaintedControls::buttonShowsItsColourInEveryStyle() {
    QFETCH(QString, style);
    QFETCH(unsigned, bgr);
    std::unique_ptr<QStyle> widgetStyle(QStyleFactory::create(style));
    QVERIFY(widgetStyle != nullptr);
    CommandButton button(QStringLiteral("OK"));
    button.setStyle(widgetStyle.get());
    button.resize(40, 20);
    look::setBackColor(&button, bgr);
    // Inside the bevel, left of the caption.
    QCOMPARE(pixel(button, {4, 10}), look::fromBgr(bgr));
    QCOMPARE(pixel(button, {0, 0}), kWhite);
    QCOMPARE(pixel(button, {39, 19}), kShadow);
}

void TstPaintedControls::buttonSinksWhilePressed() {
    CommandButton button(QStringLiteral("OK"));
    button.resize(40, 20);
    look::setBackColor(&button, qrb::layout::kLightGreen);
    button.setDown(true);
    QCOMPARE(pixel(button, {0, 0}), kShadow);
    QCOMPARE(pixel(button, {39, 19}), kWhite);
    QCOMPARE(pixel(button, {4, 10}), look::fromBgr(qrb::layout::kLightGreen));
}

void TstPaintedControls::indicatorShowsTheChoice_data() {
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("checked");
    QTest::addColumn<QColor>("centre");
    const QColor frame = look::fromBgr(qrb::layout::kLightGreen);
    QTest::newRow("can be chosen") << true << false << kWhite;
    QTest::newRow("chosen") << true << true << QColor(0, 0, 0);
    QTest::newRow("off, the frame shows through") << false << false << frame;
    QTest::newRow("off, chosen before") << false << true << QColor(0x80, 0x80, 0x80);
}

void TstPaintedControls::indicatorShowsTheChoice() {
    QFETCH(bool, enabled);
    QFETCH(bool, checked);
    QFETCH(QColor, centre);
    BandButton button(QStringLiteral("432"));
    button.resize(45, 14);
    look::setBackColor(&button, qrb::layout::kLightGreen);
    button.setChecked(checked);
    button.setEnabled(enabled);
    // The indicator is 12 pixels wide at the left, centred in the height.
    QCOMPARE(pixel(button, {7, 7}), centre);
    // Right of the caption only the background.
    QCOMPARE(pixel(button, {44, 7}), look::fromBgr(qrb::layout::kLightGreen));
}

QTEST_MAIN(TstPaintedControls)
#include "tst_painted_controls.moc"
