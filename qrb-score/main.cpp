// SPDX-License-Identifier: GPL-3.0-or-later
// qrb-score: scores whole logbooks (ADIF, ADX, EDI) for the EU-UKW-Diplom,
// every contact by the window's rules, as a text log or as CSV.
#include "map/map.h"
#include "qrb-score/file_list.h"
#include "qrb-score/platform.h"
#include "qrb-score/print_report.h"
#include "qrb_version.h"
#include "report/contact.h"
#include "report/csv_writer.h"
#include "report/map_sink.h"
#include "report/output_buffer.h"
#include "report/printout.h"
#include "report/report.h"
#include "report/run.h"
#include "report/text_log.h"
#include "report/xlsx/xlsx_writer.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

namespace report = qrb::report;

constexpr int kExitRead = 1;
constexpr int kExitUsage = 2;

constexpr std::string_view kUsage =
    "Aufruf: qrb-score [--own LOC] [--unique] [--no-sat] [--confirmed]\n"
    "                 [--format text|csv] [--print | --pdf DATEI] [--xlsx DATEI]\n"
    "                 [--map DATEI|page] [--band B] LOG...\n";

constexpr std::string_view kHelp =
    "Wertet Logbücher für das EU-UKW-Diplom aus: jede Verbindung wird nach denselben\n"
    "Regeln gewertet wie im Fenster von QRB-Punkte (Locatorprüfung, QRB-Punkte nach\n"
    "Quadratabstand, Bandmultiplikator).\n"
    "\n"
    "Gelesen werden ADIF (.adi), ADX (.adx) und EDI (REG1TEST, .edi); das Format wird\n"
    "am Inhalt erkannt. LOG \"-\" liest die Standardeingabe.\n"
    "\n"
    "  --own LOC          eigener Locator für alle Verbindungen, statt MY_GRIDSQUARE\n"
    "                     (ADIF, ADX) oder PWWLo (EDI)\n"
    "  --unique           Wiederholungen (Rufzeichen auf demselben Band im selben\n"
    "                     Block schon gewertet) nicht werten; sonst markiert\n"
    "  --no-sat           Verbindungen über Satellit (PROP_MODE SAT, SAT_NAME)\n"
    "                     nicht werten; sonst markiert\n"
    "  --confirmed        nur bestätigte Verbindungen werten (QSL_RCVD,\n"
    "                     LOTW_QSL_RCVD oder EQSL_QSL_RCVD ist Y oder V), die\n"
    "                     übrigen gezählt, nicht aufgeführt; sonst markiert.\n"
    "                     EDI-Logs enthalten keine Bestätigungen\n"
    "  --format text      Protokoll je Station und eigenem Locator: Zeile wie im\n"
    "                     Fenster mit Rufzeichen, Datum und Zeit, Bandtabelle und\n"
    "                     Summe; danach die nicht gewerteten Verbindungen (Vorgabe)\n"
    "  --format csv       eine Zeile je Verbindung (RFC 4180), Spalten\n"
    "                     file,record,call,date,time,own,loc,band,pkt,mul,qrb,status,\n"
    "                     reason,station,repeat,satellite,confirmed\n"
    "  --print            das Protokoll auf dem Standarddrucker ausgeben\n"
    "  --pdf DATEI        das Protokoll als PDF in DATEI schreiben\n"
    "  --xlsx DATEI       zusätzlich eine Arbeitsmappe (Tabellenblätter\n"
    "                     \"Verbindungen\" und \"Übersicht\") in DATEI schreiben\n"
    "  --map DATEI        zusätzlich eine Karte der gewerteten Quadrate in DATEI\n"
    "                     schreiben, SVG (.svg) oder PNG (.png) nach der Endung\n"
    "  --map=page         die Karte als erste Seite von --print oder --pdf\n"
    "  --band B           die Karte nur für ein Band, benannt wie die Bandknöpfe\n"
    "                     (50, 144, 432, 1.2, 2.3, 3.6, 5.7, 10, 24, 47)\n"
    "  --help             diese Hilfe\n"
    "  --version          Version\n"
    "\n"
    "Nicht gewertet, mit Grund, werden Verbindungen ohne gültigen eigenen oder\n"
    "fremden Locator, ohne Band des Diploms, außerhalb der Punktetabelle und im\n"
    "EDI-Log als Duplikat markierte. Eine zweimal genannte Datei wird einmal gelesen.\n"
    "\n"
    "Exit-Status: 0 alle Dateien gelesen; 1 eine Datei ließ sich nicht lesen, ist in\n"
    "keinem der drei Formate, oder Ausgabe oder Druck schlugen fehl; 2 Aufruffehler.\n";

enum class OutputFormat { Text, Csv };

struct Options {
    std::optional<std::string> own;
    report::Report::Rules rules;
    std::optional<std::string> xlsx;
    OutputFormat format = OutputFormat::Text;
    bool print = false;
    std::optional<std::string> pdf;
    std::optional<std::string> map;
    bool mapPage = false; // --map=page: the map as the first printed page
    int mapBand = report::kAllBands;
    std::vector<std::string> logs;
};

void say(const std::string& message) {
    std::fprintf(stderr, "qrb-score: %s\n", message.c_str());
}

int usageError(const std::string& message) {
    say(message);
    std::fwrite(kUsage.data(), 1, kUsage.size(), stderr);
    std::fputs("Mehr mit: qrb-score --help\n", stderr);
    return kExitUsage;
}

// The band index of a band button's caption, kAllBands for none.
int bandOfCaption(std::string_view caption) {
    const std::u16string wide = report::decodeUtf8(caption);
    for (std::size_t i = 0; i < qrb::kBands.size(); ++i) {
        if (qrb::kBands[i].caption == wide) {
            return static_cast<int>(i);
        }
    }
    return report::kAllBands;
}

// The options, or the exit status when there is nothing more to do.
std::optional<int> parseArguments(int argc, char* argv[], Options& options) {
    bool optionsEnd = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (optionsEnd || arg == "-" || arg.empty() || arg.front() != '-') {
            options.logs.emplace_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnd = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            std::fwrite(kUsage.data(), 1, kUsage.size(), stdout);
            std::fputs("\n", stdout);
            std::fwrite(kHelp.data(), 1, kHelp.size(), stdout);
            return 0;
        }
        if (arg == "--version") {
            std::fputs("qrb-score " QRB_VERSION "\n", stdout);
            return 0;
        }
        if (arg == "--print") {
            options.print = true;
            continue;
        }
        if (arg == "--unique" || arg == "--no-sat" || arg == "--confirmed") {
            (arg == "--unique"   ? options.rules.unique
             : arg == "--no-sat" ? options.rules.noSat
                                 : options.rules.confirmed) = true;
            continue;
        }
        // Options with a value: "--own LOC" or "--own=LOC".
        std::string_view name = arg;
        std::optional<std::string> value;
        if (const std::size_t eq = arg.find('='); eq != std::string_view::npos) {
            name = arg.substr(0, eq);
            value = std::string(arg.substr(eq + 1));
        }
        if (name != "--own" && name != "--format" && name != "--pdf" && name != "--xlsx" &&
            name != "--map" && name != "--band") {
            return usageError("unbekannte Option " + std::string(arg));
        }
        if (!value) {
            if (i + 1 >= argc) {
                return usageError(std::string(name) + " braucht einen Wert");
            }
            value = argv[++i];
        }
        if (name == "--own") {
            options.own = *value;
        } else if (name == "--pdf" || name == "--xlsx" || name == "--map") {
            if (value->empty()) {
                return usageError(std::string(name) + " braucht einen Dateinamen");
            }
            if (name == "--map" && *value == "page") {
                options.mapPage = true;
            } else {
                (name == "--pdf"    ? options.pdf
                 : name == "--xlsx" ? options.xlsx
                                    : options.map) = *value;
            }
        } else if (name == "--band") {
            options.mapBand = bandOfCaption(*value);
            if (options.mapBand == report::kAllBands) {
                return usageError("--band " + *value + ": kein Band des Diploms");
            }
        } else if (*value == "text" || *value == "csv") {
            options.format = *value == "csv" ? OutputFormat::Csv : OutputFormat::Text;
        } else {
            return usageError("--format kennt nur text und csv, nicht " + *value);
        }
    }
    if (options.print && options.pdf) {
        return usageError("--print und --pdf schließen einander aus");
    }
    if ((options.print || options.pdf) && options.format == OutputFormat::Csv) {
        return usageError("gedruckt wird das Protokoll, nicht CSV: --format csv passt nicht "
                          "zu --print oder --pdf");
    }
    if (options.mapPage && !options.print && !options.pdf) {
        return usageError("--map=page setzt die Karte vor den Druck: nur mit --print oder --pdf");
    }
    if (options.mapBand != report::kAllBands && !options.map && !options.mapPage) {
        return usageError("--band gilt der Karte: nur mit --map");
    }
    if (options.logs.empty()) {
        return usageError("kein Logbuch angegeben");
    }
    return std::nullopt;
}

// A progress line on a terminal while a file takes longer than a second.
class Progress {
public:
    explicit Progress(std::string_view file)
        : file_(file), enabled_(qrb::score::stderrIsTerminal()), start_(Clock::now()) {}
    ~Progress() { clear(); }
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    // Takes the line away again, before a message or at the end of the file.
    void clear() {
        if (shown_) {
            std::fputs("\r\033[K", stderr);
            shown_ = false;
        }
    }

    void update(std::uint64_t bytes, std::uint64_t contacts) {
        if (!enabled_) {
            return;
        }
        const Clock::time_point now = Clock::now();
        if (now - start_ < std::chrono::seconds(1) ||
            (shown_ && now - last_ < std::chrono::milliseconds(200))) {
            return;
        }
        last_ = now;
        shown_ = true;
        std::fprintf(stderr, "\rqrb-score: %s: %.1f MB gelesen, %llu Verbindungen\033[K",
                     file_.c_str(), static_cast<double>(bytes) / 1e6,
                     static_cast<unsigned long long>(contacts));
    }

private:
    using Clock = std::chrono::steady_clock;
    std::string file_;
    bool enabled_;
    bool shown_ = false;
    Clock::time_point start_;
    Clock::time_point last_;
};

// Scores one logbook. False (and a message) when it could not be read to its
// end; the contacts before that are scored all the same.
bool scoreLog(const std::string& name, report::LogScoring& scoring) {
    const qrb::score::InputFile file(name);
    if (file.fd() < 0) {
        say(name + ": " + report::logFailureText({file.error(), {}}));
        return false;
    }
    qrb::score::FdSource source(file.fd());
    Progress progress(name);
    const report::LogOutcome outcome =
        scoring.score(name, source, [&progress](std::uint64_t bytes, std::uint64_t contacts) {
            progress.update(bytes, contacts);
        });
    progress.clear();
    if (outcome.withoutConfirmations) {
        say(name + ": " + std::string(report::withoutConfirmationsText()));
    }
    if (outcome.failure) {
        say(name + ": " + report::logFailureText(*outcome.failure));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    qrb::score::CommandLine commandLine(argc, argv);
    Options options;
    if (const std::optional<int> done =
            parseArguments(commandLine.argc(), commandLine.argv(), options)) {
        return *done;
    }
    if (const std::string_view noPdf = qrb::score::pdfUnavailable();
        options.pdf && !noPdf.empty()) {
        say(std::string(noPdf));
        return kExitUsage;
    }
    if (const std::string_view noMap = qrb::score::mapUnavailable();
        (options.map || options.mapPage) && !noMap.empty()) {
        say(std::string(noMap));
        return kExitUsage;
    }
    if (const std::string_view noXlsx = qrb::score::xlsxUnavailable();
        options.xlsx && !noXlsx.empty()) {
        say(std::string(noXlsx));
        return kExitUsage;
    }
    report::ContactScorer scorer;
    if (options.own && !scorer.setOwnLocator(*options.own)) {
        return usageError("--own " + *options.own + ": kein gültiger Locator");
    }

    int status = 0;
    std::vector<std::string> repeated;
    const std::vector<std::string> logs = qrb::score::distinctLogs(options.logs, repeated);
    for (const std::string& name : repeated) {
        say(name + ": schon genannt, wird nur einmal gelesen");
    }

    // The outputs chosen: the text log (to standard output or the printer)
    // or CSV rows, the workbook, the map.
    qrb::score::FileSink toStdout(stdout);
    report::OutputBuffer out(toStdout);
    const bool printing = options.print || options.pdf.has_value();
    const bool text = options.format == OutputFormat::Text;
    report::Report report(options.rules, text || options.xlsx.has_value());
    report::LogScoring scoring(scorer, report);
    qrb::score::TempScratch scratch;
    report::ByteLines stdoutLines(out);
    report::PrintLines printLines;
    std::optional<report::CsvWriter> csv;
    std::optional<report::TextLog> log;
    if (text) {
        log.emplace(printing ? static_cast<report::LineSink&>(printLines) : stdoutLines, report,
                    scratch);
        scoring.addWriter(*log);
    } else {
        csv.emplace(out);
        scoring.addWriter(*csv);
    }
    std::optional<report::XlsxWriter> xlsx;
    if (options.xlsx) {
        xlsx.emplace(*options.xlsx, qrb::score::workbookScratchFolder());
        scoring.addWriter(*xlsx);
    }
    std::optional<report::ReportMap> map;
    if (options.map || options.mapPage) {
        map.emplace(options.mapBand);
        report.addSink(*map);
    }

    for (const std::string& name : logs) {
        if (!scoreLog(name, scoring)) {
            status = kExitRead;
        }
    }
    if (csv) {
        // The table has no place for it: the remedy goes with the messages.
        for (const std::string& file : report.filesWithoutOwn()) {
            say(file + ": " + std::string(report::withoutOwnText()));
        }
    }
    if (log) {
        if (const std::optional<report::TextLogFailure> failed = log->finish()) {
            say(report::textLogFailureText(*failed));
            status = kExitRead;
        }
        const std::u16string title = report::decodeUtf8(report::titleText(report.title()));
        if (printing &&
            qrb::score::printReport(printLines.lines, title, options.pdf, commandLine.argv()[0],
                                    options.mapPage ? &*map : nullptr, report) != 0) {
            status = kExitRead;
        }
    }
    if (xlsx) {
        if (const std::optional<report::XlsxFailure> failed = xlsx->finish(report)) {
            say(report::xlsxFailureText(*failed));
            status = kExitRead;
        }
    }
    if (map && options.map) {
        if (const std::string failed =
                qrb::score::writeMapFile(map->input(report), *options.map, commandLine.argv()[0]);
            !failed.empty()) {
            say(failed);
            status = kExitRead;
        }
    }
    if (!out.flush()) {
        say("Ausgabe: " + std::string(std::strerror(toStdout.error())));
        status = kExitRead;
    }
    return status;
}
