// SPDX-License-Identifier: GPL-3.0-or-later
#include "output/qt/qt_printer.h"
#include "qrb-score/print_report.h"

#include <QGuiApplication>
#include <QString>
#include <cstdlib>

namespace qrb::score {

int printReport(const std::vector<std::u16string>& text, const std::u16string& title,
                const std::optional<std::string>& pdf, char* program) {
    // Nothing is shown, so no display is needed; a platform the user chose is
    // kept.
    if (const char* platform = std::getenv("QT_QPA_PLATFORM");
        platform == nullptr || *platform == '\0') {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    // The printer says in one line what went wrong; Qt's own remarks on the
    // way (a runtime directory it made up, a font it replaced) are not for
    // the user of a command.
    qInstallMessageHandler(+[](QtMsgType, const QMessageLogContext&, const QString&) {});
    int qtArgc = 1;
    char* qtArgv[] = {program, nullptr};
    const QGuiApplication app(qtArgc, qtArgv);

    QtPrinter printer;
    if (pdf) {
        printer.setOutputFile(QString::fromLocal8Bit(pdf->c_str()));
    }
    // Title and "Seite N von M" on every page, long lines wrapped.
    printer.setPageTitle(QString::fromStdU16String(title));
    return printer.print(reportPrintJob(text)).accepted ? 0 : 1;
}

std::string_view pdfUnavailable() {
    return {};
}

} // namespace qrb::score
