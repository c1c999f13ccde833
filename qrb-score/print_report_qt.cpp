// SPDX-License-Identifier: GPL-3.0-or-later
#include "output/printer.h"
#include "output/qt/qt_printer.h"
#include "qrb-score/print_report.h"

#include <QGuiApplication>
#include <QString>
#include <cstdlib>

namespace qrb::score {

int printReport(const std::vector<std::u16string>& text, const std::optional<std::string>& pdf,
                char* program) {
    // Nothing is shown, so no display is needed; a platform the user chose is
    // kept.
    if (const char* platform = std::getenv("QT_QPA_PLATFORM");
        platform == nullptr || *platform == '\0') {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    int qtArgc = 1;
    char* qtArgv[] = {program, nullptr};
    const QGuiApplication app(qtArgc, qtArgv);

    std::vector<std::u16string> header;
    std::vector<std::u16string> log;
    splitReport(text, header, log);
    QtPrinter printer;
    if (pdf) {
        printer.setOutputFile(QString::fromLocal8Bit(pdf->c_str()));
    }
    return qrb::printLog(printer, header, log) ? 0 : 1;
}

std::string_view pdfUnavailable() {
    return {};
}

} // namespace qrb::score
