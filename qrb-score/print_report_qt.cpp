// SPDX-License-Identifier: GPL-3.0-or-later
#include "map/qt/qt_map.h"
#include "output/qt/qt_printer.h"
#include "qrb-score/print_report.h"
#include "report/printout.h"

#include <QDir>
#include <QGuiApplication>
#include <QPainter>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <optional>

namespace qrb::score {

namespace {

// The folders whose names Qt gives the runtime folder it makes up in the
// temporary folder.
QStringList madeUpRuntimeFolders() {
    return QDir(QDir::tempPath())
        .entryList({QStringLiteral("runtime-*")}, QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
}

// The toolkit for one job, with nothing shown, so no display is needed; a
// platform the user chose is kept. The printer says in one line what went
// wrong; Qt's own remarks on the way (a runtime folder it made up, a font it
// replaced) are not for the user of a command.
//
// Without XDG_RUNTIME_DIR, Qt makes up a runtime folder in the temporary
// folder as it starts. One it made for this run is taken away again at the
// end (when empty), so that a run leaves nothing there.
class Toolkit {
public:
    explicit Toolkit(char* program) : argv_{program, nullptr} {
        if (const char* platform = std::getenv("QT_QPA_PLATFORM");
            platform == nullptr || *platform == '\0') {
            ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        }
        qInstallMessageHandler(+[](QtMsgType, const QMessageLogContext&, const QString&) {});
        if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
            before_ = madeUpRuntimeFolders();
        }
        app_.emplace(argc_, argv_.data());
    }
    ~Toolkit() {
        const bool watched = app_ && qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR");
        app_.reset();
        if (watched) {
            for (const QString& folder : madeUpRuntimeFolders()) {
                if (!before_.contains(folder)) {
                    QDir(QDir::tempPath()).rmdir(folder);
                }
            }
        }
    }
    Toolkit(const Toolkit&) = delete;
    Toolkit& operator=(const Toolkit&) = delete;

private:
    int argc_ = 1;
    std::array<char*, 2> argv_;
    QStringList before_;
    std::optional<QGuiApplication> app_;
};

bool endsWithSvg(const std::string& path) {
    return QString::fromStdString(path).endsWith(QLatin1String(".svg"), Qt::CaseInsensitive);
}

} // namespace

std::string mapFileUnavailable(const std::string& /*path*/) {
    return {};
}

std::string_view usageOutputs() {
    return "[--print | --pdf DATEI] [--xlsx DATEI]\n"
           "                 [--map DATEI|page]";
}

std::string_view helpOutputs() {
    return "  --print            das Protokoll auf dem Standarddrucker ausgeben\n"
           "  --pdf DATEI        das Protokoll als PDF in DATEI schreiben\n"
           "  --xlsx DATEI       zusätzlich eine Arbeitsmappe (Tabellenblätter\n"
           "                     \"Verbindungen\" und \"Übersicht\") in DATEI schreiben\n"
           "  --map DATEI        zusätzlich eine Karte der gewerteten Quadrate in DATEI\n"
           "                     schreiben, SVG (.svg) oder PNG (.png) nach der Endung\n"
           "  --map=page         die Karte als erste Seite von --print oder --pdf\n";
}

std::string writeMapFile(const map::MapInput& in, const std::string& path, char* program) {
    std::string error;
    if (endsWithSvg(path)) {
        // Written as text: no toolkit needed.
        return qrb::map::writeSvg(in, path, error) ? std::string() : error;
    }
    const Toolkit toolkit(program);
    return qrb::map::writeMap(in, path, error) ? std::string() : error;
}

int printReport(const std::vector<std::u16string>& text, const std::u16string& title,
                const std::optional<std::string>& pdf, char* program, report::ReportMap* map,
                const report::Report& report) {
    const Toolkit toolkit(program);

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
    const PrintOutcome outcome = printer.print(report::reportPrintJob(text));
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
