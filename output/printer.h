// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qrb {

// One document for a printer: the font it is printed in and its lines.
struct PrintJob {
    std::u16string fontFace;
    double fontSize = 10.0;
    std::vector<std::u16string> lines;
    bool operator==(const PrintJob&) const = default;
};

// Why a print job was not printed. The printers say what went wrong as one
// of these, with the names and the system's words beside it; only
// printFailureReason() words it.
enum class PrintError : std::uint8_t {
    Unknown,               // refused, and the printer gave no reason
    NoPrintLibrary,        // the print server's client library is missing
    ServerUnreachable,     // subject: the print server
    ServerSilent,          // subject: the print server; it took too long
    NoDefaultPrinter,      // none is set up
    DefaultPrinterUnknown, // the server could not name it; detail: what it said
    PrinterNotOpened,      // subject: the printer
    NoPageSize,            // subject: the printer; it names no page size
    FontMissing,           // subject: the font face
    NotTaken,              // subject: the printer; detail: what the server said, if anything
    PrinterSilent,         // the printer took too long
    NotLaidOut,            // the pages could not be laid out
    FileNotLaidOut,        // subject: the PDF file whose pages could not be laid out
    FileNotWritten,        // subject: the PDF file; detail: what the system said
};

struct PrintFailure {
    PrintError error = PrintError::Unknown;
    std::u16string subject; // the server, printer, font or file the error is about
    std::u16string detail;  // what the system said about it, when it said anything
};

// What became of a print job.
struct PrintOutcome {
    bool accepted = true;
    PrintFailure failure; // why not, when not accepted
};

// Why the job was not printed, in words ("kein Standarddrucker
// eingerichtet"); empty when the printer gave no reason.
std::u16string printFailureReason(const PrintOutcome& outcome);

// The line a program writes to standard error after its name and ": " when
// a job failed, in UTF-8: "nicht gedruckt: <reason>", or for a PDF file that
// could not be written "nicht geschrieben: <file>: <what the system said>".
std::string printFailureMessage(const PrintOutcome& outcome);

// Where a print job goes: the system's printer in the program, a recording
// one in tests. One document per job.
class Printer {
public:
    using FailureListener = std::function<void(const PrintOutcome& outcome)>;

    virtual ~Printer() = default;

    // Prints the job. A printer that asks the print server in the background
    // may accept the job at once and learn only later that it failed: it
    // then tells the listener.
    virtual PrintOutcome print(const PrintJob& job) = 0;

    // Printing for a window that must go on taking input: the printer need
    // not wait for the print server's answer. A printer that answers at once
    // ignores it.
    virtual void printForWindow() {}

    // Who hears of a failure found after print() had accepted the job.
    void setFailureListener(FailureListener listener) { listener_ = std::move(listener); }

protected:
    void reportLaterFailure(const PrintOutcome& outcome) const {
        if (listener_) {
            listener_(outcome);
        }
    }

private:
    FailureListener listener_;
};

// The printed lines of the log: header lines and log lines indented by five
// blanks, with the rule between them.
std::vector<std::u16string> printedLines(const std::vector<std::u16string>& header,
                                         const std::vector<std::u16string>& log);

// The printed log as one job, in a fixed-pitch font that keeps the columns
// of the log under their names.
PrintJob logPrintJob(const std::vector<std::u16string>& header,
                     const std::vector<std::u16string>& log);

// Sends the printed log to the printer as one job; true when it was accepted.
bool printLog(Printer& printer, const std::vector<std::u16string>& header,
              const std::vector<std::u16string>& log);

} // namespace qrb
