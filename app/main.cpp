#include "qt_printer.h"
#include "telvor.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QtPrinter printer;
    Telvor window(printer);
    // END and the close button end the program at once.
    QObject::connect(&window, &Telvor::endRequested, &app, [] { QCoreApplication::exit(0); });
    window.start();
    return QApplication::exec();
}
