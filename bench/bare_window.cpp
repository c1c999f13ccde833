// SPDX-License-Identifier: GPL-3.0-or-later
// The yardsticks of the start-up benchmark: an empty Qt Widgets window of the
// program's size and caption, built with the same compiler flags, that ends
// after its first paint exactly as the measured program does. Built a second
// time with QRB_WITH_LABEL, it shows one line of text in the default font:
// the difference is what showing any text at all costs (font database, one
// font engine, glyphs).
#include "bench/end_after_first_paint.h"

#include <QApplication>
#include <QWidget>
#ifdef QRB_WITH_LABEL
#include <QLabel>
#endif

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("QRB-PUNKTE"));
    // The program's client area is 6690 x 5595 twips (1/1440 inch), converted
    // at the screen's logical dpi the same way.
    const auto pixels = [&window](int twips) {
        return qRound(twips * window.logicalDpiX() / 1440.0);
    };
    window.setFixedSize(pixels(6690), pixels(5595));
#ifdef QRB_WITH_LABEL
    auto* title =
        new QLabel(QStringLiteral("Berechnung der QRB-Punkte für das EU-UKW-Diplom"), &window);
    title->move(pixels(150), pixels(300));
#endif
    bench::endAfterFirstPaint(window);
    window.show();
    return QApplication::exec();
}
