// SPDX-License-Identifier: GPL-3.0-or-later
// The report of whole logbooks as a WebAssembly module for the page's
// worker: the same report library and loop as qrb-score, with memory as its
// scratch space. The worker begins a report with the options, hands in the
// logbooks one after the other (their bytes come through qrb_host.read as
// the readers ask for them), and finishes it:
//
//   qrb_report_begin   the own locator (in qrb_buffer), the rules, the band
//                      of the map, and which outputs this pass writes
//   qrb_report_log     one logbook, its name in qrb_buffer
//   qrb_report_finish  the outputs of the pass
//   qrb_report_tables  the tables of the report just finished, for the page
//                      to show (web/report_tables.h)
//
// A report is made in three passes over the same logbooks, so that each
// output is offered as soon as it is whole, the quick ones first:
//
//   0  the text log (to qrb_host.output as it is written)
//   1  the CSV (likewise), the map's SVG and the page's tables
//   2  the workbook, into the file /tmp/report.xlsx of the page's in-memory
//      folder
//
// qrb_bands names the bands, as the band buttons do, for the choice of the
// map's band. qrb_warm_up makes a report of a made-up logbook, so that the
// browser has compiled the module's busy code for speed before the first real
// report (a browser runs new WebAssembly on a quick first compilation and
// improves the code that runs most only while it runs).
//
// Each answers with one JSON text (ASCII), valid until the next call, of
// qrb_reply_size() bytes; "messages" are the lines for the person, in German,
// as qrb-score writes them after its name.

#include "map/map.h"
#include "map/svg.h"
#include "report/contact.h"
#include "report/csv_writer.h"
#include "report/map_sink.h"
#include "report/output_buffer.h"
#include "report/report.h"
#include "report/run.h"
#include "report/scratch.h"
#include "report/text_log.h"
#include "report/xlsx/xlsx_writer.h"
#include "scoring/bands.h"
#include "web/json.h"
#include "web/report_tables.h"

#include <array>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#define QRB_EXPORT(name) extern "C" __attribute__((export_name(#name)))
#define QRB_HOST(name) extern "C" __attribute__((import_module("qrb_host"), import_name(#name)))

// What the worker supplies: the bytes of the logbook being read (at most
// `size` into `into`: the count, 0 at its end, the error number negated when
// it cannot be read),
// the progress of reading it, and the bytes of an output as they come.
QRB_HOST(read) long long qrbHostRead(char* into, std::size_t size);
QRB_HOST(progress) void qrbHostProgress(double bytes, double contacts);
QRB_HOST(output) void qrbHostOutput(int kind, const char* bytes, std::size_t size);

namespace {

namespace report = qrb::report;
using qrb::web::jsonUtf8;
using qrb::web::json::comma;
using qrb::web::json::flag;
using qrb::web::json::key;
using qrb::web::json::number;
using qrb::web::json::string;

// The outputs as qrb_host.output numbers them.
enum Output : int { Text = 0, Csv = 1, Svg = 2 };

// The in-memory folder the page opens for the module, and the workbook in it.
constexpr std::string_view kScratchFolder = "/tmp";
constexpr std::string_view kWorkbookName = "report.xlsx";

std::string reply;
std::string buffer;
std::string tables; // of the report finished last

const char* answer(std::string text) {
    reply = std::move(text);
    return reply.c_str();
}

class HostSink : public report::ByteSink {
public:
    explicit HostSink(Output kind) : kind_(kind) {}
    bool write(std::string_view bytes) override {
        if (!drop) {
            qrbHostOutput(kind_, bytes.data(), bytes.size());
        }
        return true;
    }
    bool drop = false; // the bytes go nowhere (the warm-up's)

private:
    Output kind_;
};

// The logbook being read, as the worker hands its bytes over.
class HostSource : public report::ByteSource {
public:
    long long read(char* into, std::size_t size) override {
        const long long got = qrbHostRead(into, size);
        if (got < 0) {
            error_ = static_cast<int>(-got);
            return -1;
        }
        return got;
    }
    int error() const override { return error_; }

private:
    int error_ = 0;
};

// The passes of a report and what each writes.
enum Pass : int { TextPass = 0, ReportPass = 1, WorkbookPass = 2 };

// One pass of a report: the same writers as qrb-score's text log, CSV,
// workbook and map, and the page's tables, those of the pass fed as the
// logbooks are read.
struct Run {
    Run(report::Report::Rules rules, int band, Pass pass) : report(rules, true), pass(pass) {
        switch (pass) {
        case TextPass:
            log.emplace(lines, report, scratch);
            scoring.addWriter(*log);
            break;
        case ReportPass:
            csv.emplace(csvOut);
            scoring.addWriter(*csv);
            tables.emplace(report);
            scoring.addWriter(*tables);
            map.emplace(band);
            report.addSink(*map);
            break;
        case WorkbookPass:
            xlsx.emplace(std::string(kScratchFolder) + "/" + std::string(kWorkbookName),
                         std::string(kScratchFolder));
            scoring.addWriter(*xlsx);
            break;
        }
    }

    report::ContactScorer scorer;
    report::Report report;
    Pass pass;
    report::LogScoring scoring{scorer, report};
    report::MemoryScratch scratch;
    HostSink textSink{Text};
    report::OutputBuffer textOut{textSink};
    report::ByteLines lines{textOut};
    std::optional<report::TextLog> log;
    HostSink csvSink{Csv};
    report::OutputBuffer csvOut{csvSink};
    std::optional<report::CsvWriter> csv;
    std::optional<report::XlsxWriter> xlsx;
    std::optional<report::ReportMap> map;
    std::optional<qrb::web::ReportTables> tables;
};

std::optional<Run> run;

void messages(std::string& out, const std::vector<std::string>& lines) {
    key(out, "messages");
    out += '[';
    for (const std::string& line : lines) {
        comma(out);
        jsonUtf8(out, line);
    }
    out += ']';
}

} // namespace

QRB_EXPORT(qrb_reply_size) std::size_t qrb_reply_size() {
    return reply.size();
}

QRB_EXPORT(qrb_bands) const char* qrb_bands() {
    std::string out = "[";
    for (const qrb::Band& band : qrb::kBands) {
        comma(out);
        string(out, band.caption);
    }
    out += ']';
    return answer(std::move(out));
}

// Makes the first two passes of a report of a made-up ADIF logbook of some
// thousand contacts, on several bands and squares, and drops what they
// wrote.
QRB_EXPORT(qrb_warm_up) void qrb_warm_up() {
    constexpr int kContacts = 8000;
    constexpr std::array<const char*, 4> kBandNames{"2m", "70cm", "23cm", "6m"};
    std::string log = "made up for the first compilation\n<ADIF_VER:5>3.1.4<EOH>\n";
    for (int i = 0; i < kContacts; ++i) {
        const auto letter = [](int n) { return static_cast<char>('A' + n % 18); };
        const auto digit = [](int n) { return static_cast<char>('0' + n % 10); };
        const std::string call =
            std::string("DL") + digit(i) + letter(i / 10) + letter(i / 180) + letter(i / 3240);
        const std::string square = {letter(i), letter(i / 7), digit(i / 3), digit(i / 11)};
        const std::string band = kBandNames[static_cast<std::size_t>(i) % kBandNames.size()];
        const std::string date = {'2', '0', '2', '4', '0', '5', '0', digit(i)};
        const std::string time = {'1', digit(i / 7), '3', digit(i)};
        const auto field = [&log](std::string_view name, std::string_view value) {
            log += '<';
            log += name;
            log += ':';
            log += std::to_string(value.size());
            log += '>';
            log += value;
        };
        field("CALL", call);
        field("QSO_DATE", date);
        field("TIME_ON", time);
        field("BAND", band);
        field("GRIDSQUARE", square);
        field("MY_GRIDSQUARE", "JO62QM");
        field("QSL_RCVD", i % 3 == 0 ? "Y" : "N");
        log += "<EOR>\n";
    }
    for (const Pass pass : {TextPass, ReportPass}) {
        Run warm(report::Report::Rules{}, report::kAllBands, pass);
        warm.textSink.drop = warm.csvSink.drop = true;
        report::MemorySource source(log);
        warm.scoring.score("warm-up.adi", source);
        if (warm.log) {
            warm.log->finish();
        }
        warm.textOut.flush();
        warm.csvOut.flush();
        if (warm.map) {
            qrb::map::toSvg(qrb::map::drawMap(warm.map->input(warm.report)));
        }
        if (warm.tables) {
            warm.tables->finish();
        }
    }
}

// Room for `size` bytes of text from the page (UTF-8).
QRB_EXPORT(qrb_buffer) char* qrb_buffer(std::size_t size) {
    buffer.assign(size, '\0');
    return buffer.data();
}

// A pass of a new report; the own locator (empty: each log's own) in the
// buffer, the band of the map -1 for all. {"ok": false, "messages": […]}
// when the own locator is no square the window would accept.
QRB_EXPORT(qrb_report_begin)
const char* qrb_report_begin(int unique, int noSat, int confirmed, int band, int pass) {
    run.reset();
    std::string out = "{";
    const std::string own = buffer;
    report::Report::Rules rules;
    rules.unique = unique != 0;
    rules.noSat = noSat != 0;
    rules.confirmed = confirmed != 0;
    if (band < 0 || static_cast<std::size_t>(band) >= qrb::kBands.size()) {
        band = report::kAllBands;
    }
    run.emplace(rules, band,
                pass == ReportPass     ? ReportPass
                : pass == WorkbookPass ? WorkbookPass
                                       : TextPass);
    if (!report::trimmedBlanks(own).empty() && !run->scorer.setOwnLocator(own)) {
        run.reset();
        key(out, "ok");
        flag(out, false);
        messages(out, {"Eigener Locator " + own + ": kein gültiger Locator"});
        out += '}';
        return answer(std::move(out));
    }
    key(out, "ok");
    flag(out, true);
    out += '}';
    return answer(std::move(out));
}

// Reads one logbook, named as in the buffer, to its end or to the fault
// that stops it. {"contacts": N, "messages": […]}
QRB_EXPORT(qrb_report_log) const char* qrb_report_log() {
    std::string out = "{";
    if (!run) {
        key(out, "contacts");
        number(out, 0);
        out += '}';
        return answer(std::move(out));
    }
    const std::string name = buffer;
    HostSource source;
    const report::LogOutcome outcome =
        run->scoring.score(name, source, [](std::uint64_t bytes, std::uint64_t contacts) {
            qrbHostProgress(static_cast<double>(bytes), static_cast<double>(contacts));
        });
    key(out, "contacts");
    number(out, static_cast<std::int64_t>(outcome.contacts));
    messages(out, report::outcomeLines(name, outcome));
    out += '}';
    return answer(std::move(out));
}

// Writes the outputs of the pass and ends it. {"messages": […]}, and for
// the workbook "workbook": its name in the in-memory folder, or null.
QRB_EXPORT(qrb_report_finish) const char* qrb_report_finish() {
    std::string out = "{";
    if (!run) {
        out += '}';
        return answer(std::move(out));
    }
    std::vector<std::string> said;
    switch (run->pass) {
    case TextPass:
        for (const std::string& file : run->report.filesWithoutOwn()) {
            said.push_back(file + ": eigener Locator fehlt (im Feld „Eigener Locator“ angeben)");
        }
        if (const std::optional<report::TextLogFailure> failed = run->log->finish()) {
            said.push_back(report::textLogFailureText(*failed));
        }
        run->textOut.flush();
        break;
    case ReportPass: {
        run->csvOut.flush();
        const std::string svg = qrb::map::toSvg(qrb::map::drawMap(run->map->input(run->report)));
        qrbHostOutput(Svg, svg.data(), svg.size());
        tables = run->tables->finish();
        break;
    }
    case WorkbookPass: {
        const std::optional<report::XlsxFailure> workbook = run->xlsx->finish(run->report);
        if (workbook) {
            said.push_back(report::xlsxFailureText(*workbook));
        }
        key(out, "workbook");
        if (workbook && workbook->kind != report::XlsxFailure::Kind::TooManyRows) {
            out += "null";
        } else {
            string(out, kWorkbookName);
        }
        break;
    }
    }
    messages(out, said);
    out += '}';
    run.reset();
    return answer(std::move(out));
}

// The name the report's files take before their extension, after the
// logbook named in the buffer. {"base": "log-qrb"}
QRB_EXPORT(qrb_report_base) const char* qrb_report_base() {
    std::string out = "{";
    key(out, "base");
    jsonUtf8(out, report::reportFileBase(buffer));
    out += '}';
    return answer(std::move(out));
}

QRB_EXPORT(qrb_report_tables) const char* qrb_report_tables() {
    return answer(std::move(tables));
}
