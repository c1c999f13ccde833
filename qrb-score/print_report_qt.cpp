// SPDX-License-Identifier: GPL-3.0-or-later
#include "map/qt/qt_map.h"
#include "output/qt/qt_printer.h"
#include "qrb-score/print_report.h"

#include <QGuiApplication>
#include <QPainter>
#include <QRectF>
#include <QString>
#include <cstdio>
#include <cstdlib>

namespace qrb::score {

namespace {

// Nothing is shown, so no display is needed; a platform the user chose is
// kept.
void headless() {
    if (const char* platform = std::getenv("QT_QPA_PLATFORM");
        platform == nullptr || *platform == '\0') {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    qInstallMessageHandler(+[](QtMsgType, const QMessageLogContext&, const QString&) {});
}

} // namespace

std::string_view mapUnavailable() {
    return {};
}

void ReportMap::contact(const Block& /*block*/, const BlockContact& contact) {
    tally_.add(contact.square, contact.qrb, contact.band);
}

qrb::map::MapInput ReportMap::input(const Report& report) {
    qrb::map::MapInput in;
    const int band = tally_.band();
    in.tally = std::move(tally_);
    const std::vector<Block>& blocks = report.blocks();
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        in.ownSquares.push_back(blocks[i].square);
        const std::string station = stationText(blocks[i].station);
        if (in.title.station.find(station) == std::string::npos) {
            in.title.station += (in.title.station.empty() ? "" : ", ") + station;
        }
        if (in.title.ownSquare.find(blocks[i].square) == std::string::npos) {
            in.title.ownSquare += (in.title.ownSquare.empty() ? "" : ", ") + blocks[i].square;
        }
    }
    if (band != qrb::map::kAllBands) {
        const std::u16string_view caption = qrb::kBands[static_cast<std::size_t>(band)].caption;
        in.title.band = std::string(caption.begin(), caption.end());
    }
    if (const auto [first, last] = report.dateRange(); !first.empty()) {
        in.title.dateRange = first + (first == last ? std::string() : " – " + last);
    }
    return in;
}

std::string ReportMap::write(const Report& report, const std::string& path, char* program) {
    const qrb::map::MapInput in = input(report);
    headless();
    int qtArgc = 1;
    char* qtArgv[] = {program, nullptr};
    const QGuiApplication app(qtArgc, qtArgv);
    std::string error;
    return qrb::map::writeMap(in, path, error) ? std::string() : error;
}

int printReport(const std::vector<std::u16string>& text, const std::u16string& title,
                const std::optional<std::string>& pdf, char* program, ReportMap* map,
                const Report& report) {
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
    if (map != nullptr) {
        printer.setFrontPage([in = map->input(report)](QPainter& painter, const QRect& area) {
            qrb::map::drawOnPage(painter, QRectF(area), in);
        });
    }
    const PrintOutcome outcome = printer.print(reportPrintJob(text));
    if (outcome.accepted) {
        return 0;
    }
    std::fprintf(stderr, "qrb-score: %s\n", printFailureMessage(outcome).c_str());
    return 1;
}

std::string_view pdfUnavailable() {
    return {};
}

} // namespace qrb::score
