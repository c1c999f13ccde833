// A second yardstick for the start-up benchmark: the bare window with one
// line of text in the default font. The difference to the bare window is
// what showing any text at all costs (font database, one font engine, glyphs).
#include "end_after_first_paint.h"

#include <QApplication>
#include <QLabel>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("QRB-PUNKTE"));
    const auto pixels = [&window](int twips) {
        return qRound(twips * window.logicalDpiX() / 1440.0);
    };
    window.setFixedSize(pixels(6690), pixels(5595));
    auto* title =
        new QLabel(QStringLiteral("Berechnung der QRB-Punkte für das EU-UKW-Diplom"), &window);
    title->move(pixels(150), pixels(300));
    bench::endAfterFirstPaint(window);
    window.show();
    return QApplication::exec();
}
