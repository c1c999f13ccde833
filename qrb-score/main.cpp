// SPDX-License-Identifier: GPL-3.0-or-later
// qrb-score: scores whole logbooks (ADIF, ADX, EDI) for the EU-UKW-Diplom,
// every contact by the window's rules, as a text log or as CSV.
#include "logbook/logbook.h"
#include "map/map.h"
#include "qrb-score/contact.h"
#include "qrb-score/csv_writer.h"
#include "qrb-score/fd_input.h"
#include "qrb-score/file_list.h"
#include "qrb-score/output_buffer.h"
#include "qrb-score/platform.h"
#include "qrb-score/print_report.h"
#include "qrb-score/report.h"
#include "qrb-score/text_log.h"
#include "qrb-score/xlsx_writer.h"
#include "qrb_version.h"

#include <array>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

using qrb::score::ContactScore;
using qrb::score::ContactScorer;

constexpr int kExitRead = 1;
constexpr int kExitUsage = 2;

constexpr std::string_view kUsage =
    "Aufruf: qrb-score [--own LOC] [--unique] [--no-sat] [--format text|csv]\n"
    "                 [--print | --pdf DATEI] [--xlsx DATEI] [--map DATEI|page] [--band B]\n"
    "                 LOG...\n";

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
    "  --format text      Protokoll je Station und eigenem Locator: Zeile wie im\n"
    "                     Fenster mit Rufzeichen, Datum und Zeit, Bandtabelle und\n"
    "                     Summe; danach die nicht gewerteten Verbindungen (Vorgabe)\n"
    "  --format csv       eine Zeile je Verbindung (RFC 4180), Spalten\n"
    "                     file,record,call,date,time,own,loc,band,pkt,mul,qrb,status,\n"
    "                     reason,station,repeat,satellite\n"
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
    qrb::score::Report::Rules rules;
    std::optional<std::string> xlsx;
    OutputFormat format = OutputFormat::Text;
    bool print = false;
    std::optional<std::string> pdf;
    std::optional<std::string> map;
    bool mapPage = false; // --map=page: the map as the first printed page
    int mapBand = qrb::map::kAllBands;
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
    const std::u16string wide = qrb::score::decodeUtf8(caption);
    for (std::size_t i = 0; i < qrb::kBands.size(); ++i) {
        if (qrb::kBands[i].caption == wide) {
            return static_cast<int>(i);
        }
    }
    return qrb::map::kAllBands;
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
        if (arg == "--unique" || arg == "--no-sat") {
            (arg == "--unique" ? options.rules.unique : options.rules.noSat) = true;
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
            if (options.mapBand == qrb::map::kAllBands) {
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
    if (options.mapBand != qrb::map::kAllBands && !options.map && !options.mapPage) {
        return usageError("--band gilt der Karte: nur mit --map");
    }
    if (options.logs.empty()) {
        return usageError("kein Logbuch angegeben");
    }
    return std::nullopt;
}

std::string systemError(int error) {
    switch (error) {
    case ENOENT:
        return "Datei nicht gefunden";
    case EACCES:
        return "keine Leseberechtigung";
    case EISDIR:
        return "ist ein Verzeichnis";
    default:
        return std::strerror(error);
    }
}

// A progress line on a terminal while a file takes longer than a second.
class Progress {
public:
    Progress(std::string_view file, const std::uint64_t& contacts)
        : file_(file), contacts_(contacts), enabled_(qrb::score::stderrIsTerminal()),
          start_(Clock::now()) {}
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

    void update(std::uint64_t bytes) {
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
                     static_cast<unsigned long long>(contacts_));
    }

private:
    using Clock = std::chrono::steady_clock;
    std::string file_;
    const std::uint64_t& contacts_;
    bool enabled_;
    bool shown_ = false;
    Clock::time_point start_;
    Clock::time_point last_;
};

// Where the scored and skipped contacts go: the report that marks and counts
// them, then CSV rows or the text log, and the workbook.
struct Outputs {
    qrb::score::Report* report = nullptr;
    qrb::score::CsvWriter* csv = nullptr;
    qrb::score::TextLog* text = nullptr;
    qrb::score::XlsxWriter* xlsx = nullptr;
};

// Scores one logbook into the outputs. False (and a message) when it could
// not be read to its end; the contacts before that are scored all the same.
bool scoreFile(const std::string& name, ContactScorer& scorer, Outputs outputs) {
    const qrb::score::InputFile file(name);
    if (file.fd() < 0) {
        say(name + ": " + systemError(file.error()));
        return false;
    }

    std::uint64_t contacts = 0;
    Progress progress(name, contacts);
    qrb::score::FdInput input(file.fd());
    input.onBlock([&progress](std::uint64_t bytes) { progress.update(bytes); });
    std::istream stream(&input);

    qrb::logbook::ReadError openError;
    const std::unique_ptr<qrb::logbook::Reader> reader =
        qrb::logbook::openReader(stream, openError);
    if (!reader) {
        progress.clear();
        const int failed = input.error();
        say(name + ": " +
            (failed != 0 ? systemError(failed) : qrb::logbook::readErrorText(openError)));
        return false;
    }
    outputs.report->beginFile(name);
    if (outputs.csv != nullptr) {
        outputs.csv->beginFile(name);
    }
    if (outputs.xlsx != nullptr) {
        outputs.xlsx->beginFile(name);
    }
    const qrb::logbook::Format format = reader->format();
    // Contacts are read a batch at a time: the report looks up the calls of
    // a whole batch in one go, so that the memory is asked for them together.
    constexpr std::size_t kBatch = 16;
    std::array<qrb::logbook::Record, kBatch> records;
    ContactScore contact;
    qrb::score::Marks marks;
    for (bool more = true; more;) {
        std::size_t held = 0;
        while (held < kBatch && (more = reader->next(records[held]))) {
            ++held;
        }
        outputs.report->expect(records.data(), held);
        for (std::size_t k = 0; k < held; ++k) {
            const qrb::logbook::Record& record = records[k];
            ++contacts;
            scorer.score(record, format, contact);
            const std::size_t block = outputs.report->judge(record, contact, marks);
            if (outputs.csv != nullptr) {
                outputs.csv->row(record, contact, marks);
            } else {
                outputs.text->add(name, record, contact, marks, block);
            }
            if (outputs.xlsx != nullptr) {
                outputs.xlsx->row(record, contact, marks);
            }
        }
    }
    progress.clear();
    if (input.error() != 0) {
        say(name + ": " + systemError(input.error()));
        return false;
    }
    if (reader->error()) {
        say(name + ": " + qrb::logbook::readErrorText(*reader->error()));
        return false;
    }
    return true;
}

class StdoutLines : public qrb::score::LineSink {
public:
    explicit StdoutLines(qrb::score::OutputBuffer& out) : out_(out) {}
    void line(std::string_view text) override {
        out_.write(text);
        out_.put('\n');
    }

private:
    qrb::score::OutputBuffer& out_;
};

// The text log kept for the printer, which lays the whole document out at once.
class PrintLines : public qrb::score::LineSink {
public:
    void line(std::string_view text) override { lines.push_back(qrb::score::decodeUtf8(text)); }
    std::vector<std::u16string> lines;
};

// The title on every printed page: station, own square and the dates of the
// contacts; several blocks are named one after the other.
std::u16string reportTitle(const qrb::score::Report& report) {
    std::string title = "QRB-Punkte";
    const std::vector<qrb::score::Block>& blocks = report.blocks();
    constexpr std::size_t kNamed = 3;
    for (std::size_t i = 0; i < blocks.size() && i < kNamed; ++i) {
        title += i == 0 ? ": " : "; ";
        title += qrb::score::stationText(blocks[i].station) + " " + blocks[i].square;
    }
    if (blocks.size() > kNamed) {
        title += " und " + std::to_string(blocks.size() - kNamed) + " weitere";
    }
    if (const auto [first, last] = report.dateRange(); !first.empty()) {
        title += ", " + first + (first == last ? std::string() : " bis " + last);
    }
    return qrb::score::decodeUtf8(title);
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
    ContactScorer scorer;
    if (options.own && !scorer.setOwnLocator(*options.own)) {
        return usageError("--own " + *options.own + ": kein gültiger Locator");
    }

    int status = 0;
    std::vector<std::string> repeated;
    const std::vector<std::string> logs = qrb::score::distinctLogs(options.logs, repeated);
    for (const std::string& name : repeated) {
        say(name + ": schon genannt, wird nur einmal gelesen");
    }
    qrb::score::OutputBuffer out(stdout);
    const bool printing = options.print || options.pdf.has_value();
    const bool text = options.format == OutputFormat::Text;
    qrb::score::Report report(options.rules, text || options.xlsx.has_value());
    std::optional<qrb::score::XlsxWriter> xlsx;
    if (options.xlsx) {
        xlsx.emplace(*options.xlsx);
    }
    std::optional<qrb::score::ReportMap> map;
    if (options.map || options.mapPage) {
        map.emplace(options.mapBand);
        report.addSink(*map);
    }
    Outputs outputs{&report, nullptr, nullptr, xlsx ? &*xlsx : nullptr};
    if (!text) {
        qrb::score::CsvWriter csv(out);
        outputs.csv = &csv;
        for (const std::string& log : logs) {
            if (!scoreFile(log, scorer, outputs)) {
                status = kExitRead;
            }
        }
        // The table has no place for it: the remedy goes with the messages.
        for (const std::string& file : report.filesWithoutOwn()) {
            say(file + ": eigener Locator fehlt (--own LOC angeben)");
        }
    } else {
        StdoutLines toStdout(out);
        PrintLines toPrinter;
        qrb::score::LineSink& sink =
            printing ? static_cast<qrb::score::LineSink&>(toPrinter) : toStdout;
        qrb::score::TextLog log(sink, report);
        outputs.text = &log;
        for (const std::string& name : logs) {
            if (!scoreFile(name, scorer, outputs)) {
                status = kExitRead;
            }
        }
        if (const std::string failed = log.finish(); !failed.empty()) {
            say(failed);
            status = kExitRead;
        }
        if (printing && qrb::score::printReport(toPrinter.lines, reportTitle(report), options.pdf,
                                                commandLine.argv()[0],
                                                options.mapPage ? &*map : nullptr, report) != 0) {
            status = kExitRead;
        }
    }
    if (xlsx) {
        if (const std::string failed = xlsx->finish(report); !failed.empty()) {
            say(failed);
            status = kExitRead;
        }
    }
    if (map && options.map) {
        if (const std::string failed = map->write(report, *options.map, commandLine.argv()[0]);
            !failed.empty()) {
            say(failed);
            status = kExitRead;
        }
    }
    if (!out.flush()) {
        say("Ausgabe: " + std::string(std::strerror(out.error())));
        status = kExitRead;
    }
    return status;
}
