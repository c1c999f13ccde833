// The yardstick of the start-up benchmark: an empty Qt Widgets window of the
// program's size and caption, built with the same compiler flags, that ends
// after its first paint exactly as the measured program does.
#include "end_after_first_paint.h"

#include <QApplication>
#include <QWidget>

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
    bench::endAfterFirstPaint(window);
    window.show();
    return QApplication::exec();
}
