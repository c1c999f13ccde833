// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

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

// What became of a print job.
struct PrintOutcome {
    bool accepted = true;
    std::u16string reason; // why it was not printed, when that is known
};

// Where a print job goes: the system's printer in the program, a recording
// one in tests. One document per job.
class Printer {
public:
    using FailureListener = std::function<void(const std::u16string& reason)>;

    virtual ~Printer() = default;

    // Prints the job. A printer that asks the print server in the background
    // may accept the job at once and learn only later that it failed: it
    // then tells the listener.
    virtual PrintOutcome print(const PrintJob& job) = 0;

    // Printing for a window that must go on taking input: the printer need
    // not wait for the print server's answer, and names `program` in what it
    // writes on standard error. A printer that answers at once ignores it.
    virtual void printForWindow(std::u16string_view program) { static_cast<void>(program); }

    // Who hears of a failure found after print() had accepted the job.
    void setFailureListener(FailureListener listener) { listener_ = std::move(listener); }

protected:
    void reportLaterFailure(const std::u16string& reason) const {
        if (listener_) {
            listener_(reason);
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
