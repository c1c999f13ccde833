#include "qt_printer.h"
#include "telvor.h"

#include <QApplication>
#ifdef QRB_END_AFTER_FIRST_PAINT
#include "end_after_first_paint.h"
#endif

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    // Lets the desktop match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.qrbpunkte.QRBPunkte"));
    QtPrinter printer;
    Telvor window(printer);
    // END and the close button end the program at once.
    QObject::connect(&window, &Telvor::endRequested, &app, [] { QCoreApplication::exit(0); });
#ifdef QRB_END_AFTER_FIRST_PAINT
    bench::endAfterFirstPaint(window); // start-up benchmark build only
#endif
    window.start();
    return QApplication::exec();
}
