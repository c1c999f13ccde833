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

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

namespace report = qrb::report;

constexpr int kExitRead = 1;
constexpr int kExitUsage = 2;

// The usage line and --help, around the outputs the platform offers.
std::string usage() {
    return "Aufruf: qrb-score [--own LOC] [--unique] [--no-sat] [--confirmed]\n"
           "                 [--format text|csv] " +
           std::string(qrb::score::usageOutputs()) + " [--band B] LOG...\n";
}

constexpr std::string_view kHelpStart =
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
    "                     reason,station,repeat,satellite,confirmed\n";

constexpr std::string_view kHelpEnd =
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
    bool outputChosen = false; // any of --format, --print, --pdf, --xlsx, --map
    std::vector<std::string> logs;
};

void say(const std::string& message) {
    std::fprintf(stderr, "qrb-score: %s\n", message.c_str());
}

int usageError(const std::string& message) {
    say(message);
    std::fputs(usage().c_str(), stderr);
    std::fputs("Mehr mit: qrb-score --help\n", stderr);
    return kExitUsage;
}

// The band index of a band button's caption, kAllBands for none.
int bandOfCaption(std::string_view caption) {
    for (std::size_t i = 0; i < qrb::kBands.size(); ++i) {
        if (report::bandCaption(i) == caption) {
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
            std::fputs(usage().c_str(), stdout);
            std::fputs("\n", stdout);
            for (const std::string_view part : {kHelpStart, qrb::score::helpOutputs(), kHelpEnd}) {
                std::fwrite(part.data(), 1, part.size(), stdout);
            }
            return 0;
        }
        if (arg == "--version") {
            std::fputs("qrb-score " QRB_VERSION "\n", stdout);
            return 0;
        }
        if (arg == "--print") {
            options.print = true;
            options.outputChosen = true;
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
        options.outputChosen = options.outputChosen || (name != "--own" && name != "--band");
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
    // Where no PDF can be written, --pdf is not offered either.
    const std::string printOptions =
        qrb::score::pdfUnavailable().empty() ? "--print oder --pdf" : "--print";
    if ((options.print || options.pdf) && options.format == OutputFormat::Csv) {
        return usageError("gedruckt wird das Protokoll, nicht CSV: --format csv passt nicht zu " +
                          printOptions);
    }
    if (options.mapPage && !options.print && !options.pdf) {
        return usageError("--map=page setzt die Karte vor den Druck: nur mit " + printOptions);
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
    for (const std::string& line : report::outcomeLines(name, outcome)) {
        say(line);
    }
    return !outcome.failure;
}

// Where outputs go besides those the options name: in the Explorer case the
// text log and the CSV rows both, each into a file of its own.
struct ExtraOutputs {
    std::FILE* textFile = nullptr;
    std::string textName;
    std::FILE* csvFile = nullptr;
    std::string csvName;
    // The own locator typed in, by log, for its contacts that give none.
    std::map<std::string, std::string> ownWhereMissing;
};

// What was written whole.
struct Written {
    bool text = false;
    bool csv = false;
    bool xlsx = false;
    bool map = false;
};

// Hands a file's buffer on; false (and a message) when that failed.
bool flushFile(report::OutputBuffer& out, const qrb::score::FileSink& sink,
               const std::string& name) {
    if (out.flush()) {
        return true;
    }
    say(name + ": nicht geschrieben: " + std::strerror(sink.error()));
    return false;
}

// Scores the logs into the outputs chosen; the exit status.
int runCommand(const Options& options, char* program, const ExtraOutputs& extra, Written& written) {
    if (const std::string_view noPdf = qrb::score::pdfUnavailable();
        options.pdf && !noPdf.empty()) {
        say(std::string(noPdf));
        return kExitUsage;
    }
    if (const std::string noMap = options.map ? qrb::score::mapFileUnavailable(*options.map) : "";
        !noMap.empty()) {
        say(noMap);
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

    // The outputs chosen: the text log (to standard output, a file or the
    // printer) and/or CSV rows (to standard output or a file), the workbook,
    // the map.
    qrb::score::FileSink toStdout(stdout);
    report::OutputBuffer out(toStdout);
    std::optional<qrb::score::FileSink> textSink;
    std::optional<report::OutputBuffer> textFile;
    if (extra.textFile != nullptr) {
        textSink.emplace(extra.textFile);
        textFile.emplace(*textSink);
    }
    std::optional<qrb::score::FileSink> csvSink;
    std::optional<report::OutputBuffer> csvFile;
    if (extra.csvFile != nullptr) {
        csvSink.emplace(extra.csvFile);
        csvFile.emplace(*csvSink);
    }
    const bool printing = options.print || options.pdf.has_value();
    const bool text = textFile || options.format == OutputFormat::Text;
    const bool rows = csvFile || options.format == OutputFormat::Csv;
    report::Report report(options.rules, text || options.xlsx.has_value());
    report::LogScoring scoring(scorer, report);
    qrb::score::TempScratch scratch;
    report::ByteLines textLines(textFile ? *textFile : out);
    report::PrintLines printLines;
    std::optional<report::CsvWriter> csv;
    std::optional<report::TextLog> log;
    if (text) {
        log.emplace(printing ? static_cast<report::LineSink&>(printLines) : textLines, report,
                    scratch);
        scoring.addWriter(*log);
    }
    if (rows) {
        csv.emplace(csvFile ? *csvFile : out);
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
        if (!extra.ownWhereMissing.empty()) {
            const auto typed = extra.ownWhereMissing.find(name);
            scorer.setOwnLocatorWhereMissing(typed != extra.ownWhereMissing.end() ? typed->second
                                                                                  : "");
        }
        if (!scoreLog(name, scoring)) {
            status = kExitRead;
        }
    }
    if (csv && !csvFile) {
        // The table has no place for it: the remedy goes with the messages.
        for (const std::string& file : report.filesWithoutOwn()) {
            say(file + ": " + std::string(report::withoutOwnText()));
        }
    }
    if (log) {
        written.text = true;
        if (const std::optional<report::TextLogFailure> failed = log->finish()) {
            say(report::textLogFailureText(*failed));
            status = kExitRead;
            written.text = false;
        }
        const std::u16string title = report::decodeUtf8(report::titleText(report.title()));
        if (printing && qrb::score::printReport(printLines.lines, title, options.pdf, program,
                                                options.mapPage ? &*map : nullptr, report) != 0) {
            status = kExitRead;
        }
    }
    if (xlsx) {
        written.xlsx = true;
        if (const std::optional<report::XlsxFailure> failed = xlsx->finish(report)) {
            say(report::xlsxFailureText(*failed));
            status = kExitRead;
            written.xlsx = false;
        }
    }
    if (map && options.map) {
        written.map = true;
        if (const std::string failed =
                qrb::score::writeMapFile(map->input(report), *options.map, program);
            !failed.empty()) {
            say(failed);
            status = kExitRead;
            written.map = false;
        }
    }
    if (textFile && !flushFile(*textFile, *textSink, extra.textName)) {
        status = kExitRead;
        written.text = false;
    }
    written.csv = csvFile && flushFile(*csvFile, *csvSink, extra.csvName);
    if (csvFile && !written.csv) {
        status = kExitRead;
    }
    if (!out.flush()) {
        say("Ausgabe: " + std::string(std::strerror(toStdout.error())));
        status = kExitRead;
    }
    return status;
}

// The Explorer case: started without a console of its own to return to. What
// it says stays until a key is pressed.
constexpr std::string_view kExplorerIntro =
    "qrb-score wertet Logbücher für das EU-UKW-Diplom aus (ADIF, ADX und EDI).\n"
    "\n"
    "So geht es: ein Logbuch im Explorer mit der Maus auf qrb-score.exe ziehen und\n"
    "dort loslassen. Die Auswertung kommt neben das Logbuch: als Text, als Tabelle\n"
    "(CSV), als Arbeitsmappe (.xlsx) und als Karte (.svg).\n"
    "\n"
    "Dasselbe im Browser: \"Logbuch auswerten\" im Startmenü.\n"
    "Alles, was qrb-score kann, in der Eingabeaufforderung: qrb-score --help\n";

int closeOnKey(int status) {
    std::fputs("\nZum Schließen eine Taste drücken.\n", stdout);
    qrb::score::waitForKey();
    return status;
}

// A file's name without its folder.
std::string withoutFolder(const std::string& name) {
    const std::size_t cut = name.find_last_of(qrb::score::folderSeparators());
    return cut == std::string::npos ? name : name.substr(cut + 1);
}

// Asks for an own locator for each log whose contacts give none: a first
// reading, without any output, finds them. By log, the locators typed in.
std::map<std::string, std::string> askOwnLocators(const Options& options) {
    report::ContactScorer scorer;
    report::Report report(options.rules, false);
    report::LogScoring scoring(scorer, report);
    std::vector<std::string> repeated;
    for (const std::string& name : qrb::score::distinctLogs(options.logs, repeated)) {
        const qrb::score::InputFile file(name);
        if (file.fd() >= 0) {
            qrb::score::FdSource source(file.fd());
            scoring.score(name, source);
        }
    }
    std::map<std::string, std::string> typed;
    for (const std::string& name : report.filesWithoutOwn()) {
        std::printf("In %s fehlt bei Verbindungen der eigene Locator.\n",
                    withoutFolder(name).c_str());
        for (;;) {
            std::fputs("Eigener Locator (leer lassen: diese Verbindungen nicht werten): ", stdout);
            const std::optional<std::string> answer = qrb::score::readLine();
            if (!answer) {
                return typed; // nobody there to answer
            }
            if (answer->find_first_not_of(" \t") == std::string::npos) {
                break;
            }
            if (scorer.setOwnLocatorWhereMissing(*answer)) {
                typed[name] = *answer;
                break;
            }
            std::printf("%s ist kein gültiger Locator.\n", answer->c_str());
        }
    }
    return typed;
}

int explorerCase(qrb::score::CommandLine& commandLine) {
    char* program = commandLine.argv()[0];
    if (commandLine.argc() <= 1) {
        std::fwrite(kExplorerIntro.data(), 1, kExplorerIntro.size(), stdout);
        return closeOnKey(0);
    }
    Options options;
    if (const std::optional<int> done =
            parseArguments(commandLine.argc(), commandLine.argv(), options)) {
        return closeOnKey(*done);
    }
    ExtraOutputs extra;
    Written written;
    if (options.outputChosen) {
        // Outputs named as in a command prompt (a shortcut with options).
        return closeOnKey(runCommand(options, program, extra, written));
    }

    // Logs dropped on it: the report beside the first, as NAME-qrb.txt,
    // .csv, .xlsx and .svg, or in Dokumente\QRB-Punkte where that folder
    // cannot be written.
    const std::string first = qrb::score::fullName(options.logs.front());
    const std::string folder = first.substr(0, first.size() - withoutFolder(first).size());
    const std::string base = report::reportFileBase(withoutFolder(first));
    if (!options.own) {
        extra.ownWhereMissing = askOwnLocators(options);
    }
    std::string where = folder;
    extra.textName = where + base + ".txt";
    extra.textFile = qrb::score::openOutputFile(extra.textName);
    const bool refused = extra.textFile == nullptr;
    if (refused) {
        const std::string documents = qrb::score::documentsFolder();
        const std::string separator(1, qrb::score::folderSeparators().front());
        where = documents + separator + "QRB-Punkte" + separator;
        extra.textName = where + base + ".txt";
        if (documents.empty() || !qrb::score::makeFolder(where) ||
            (extra.textFile = qrb::score::openOutputFile(extra.textName)) == nullptr) {
            say(folder + base + ".txt: nicht geschrieben: " + std::strerror(errno));
            return closeOnKey(kExitRead);
        }
    }
    extra.csvName = where + base + ".csv";
    extra.csvFile = qrb::score::openOutputFile(extra.csvName);
    if (extra.csvFile == nullptr) {
        say(extra.csvName + ": nicht geschrieben: " + std::strerror(errno));
    }
    options.xlsx = where + base + ".xlsx";
    options.map = where + base + ".svg";
    int status = runCommand(options, program, extra, written);
    for (std::FILE* file : {extra.textFile, extra.csvFile}) {
        if (file != nullptr && std::fclose(file) != 0) {
            say((file == extra.textFile ? extra.textName : extra.csvName) +
                ": nicht geschrieben: " + std::strerror(errno));
            (file == extra.textFile ? written.text : written.csv) = false;
            status = kExitRead;
        }
    }

    // The folders named without the separator at their end.
    const auto named = [](const std::string& name) { return name.substr(0, name.size() - 1); };
    std::fputs("\n", stdout);
    if (refused) {
        std::printf("In %s lässt sich nicht schreiben.\n"
                    "Die Auswertung steht deshalb in Dokumente\\QRB-Punkte (%s):\n",
                    named(folder).c_str(), named(where).c_str());
    } else {
        std::printf("Die Auswertung steht in %s:\n", named(where).c_str());
    }
    for (const auto& [done, ending] : {std::pair{written.text, ".txt"},
                                       {written.csv, ".csv"},
                                       {written.xlsx, ".xlsx"},
                                       {written.map, ".svg"}}) {
        if (done) {
            std::printf("  %s%s\n", base.c_str(), ending);
        }
    }
    return closeOnKey(status);
}

} // namespace

int main(int argc, char* argv[]) {
    qrb::score::CommandLine commandLine(argc, argv);
    if (qrb::score::consoleOfItsOwn()) {
        return explorerCase(commandLine);
    }
    Options options;
    if (const std::optional<int> done =
            parseArguments(commandLine.argc(), commandLine.argv(), options)) {
        return *done;
    }
    Written written;
    return runCommand(options, commandLine.argv()[0], ExtraOutputs(), written);
}
