// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Logbooks read one after the other, every contact scored, judged by the
// report and handed to the chosen output forms: the same for the command and
// for the page, whatever the bytes come from.

#include "logbook/logbook.h"
#include "report/contact.h"
#include "report/report.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qrb::report {

// Where a logbook's bytes come from: a file or standard input in the
// command, memory in the page.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // At most `size` bytes into `into`: the count, 0 at the end, -1 when the
    // reading failed.
    virtual long long read(char* into, std::size_t size) = 0;
    // Why the reading failed: the system's error number (errno), 0 when unknown.
    virtual int error() const { return 0; }
};

// A logbook held in memory.
class MemorySource : public ByteSource {
public:
    explicit MemorySource(std::string_view bytes) : bytes_(bytes) {}
    long long read(char* into, std::size_t size) override;

private:
    std::string_view bytes_;
};

// Why a logbook could not be read to its end.
struct LogFailure {
    // The file could not be opened or read: the system's error number
    // (ENOENT, EACCES, EISDIR, …); 0 when the reader found the fault.
    int systemError = 0;
    logbook::ReadError read; // what the reader found
};

// In German, as the command writes it after the file's name: "Datei nicht
// gefunden", "keine Leseberechtigung", or the reader's words.
std::string logFailureText(const LogFailure& failure);

// What became of one logbook.
struct LogOutcome {
    std::uint64_t contacts = 0;
    // An EDI log read while only confirmed contacts count: EDI has no field
    // for a confirmation, so every contact of it is left out.
    bool withoutConfirmations = false;
    // Empty when it was read to its end; the contacts before a failure are
    // scored all the same.
    std::optional<LogFailure> failure;
};

// The note for an EDI log read while only confirmed contacts count, in
// German, as the command writes it after the file's name.
std::string_view withoutConfirmationsText();

// The name the report's files take after the first logbook, before their
// extension: the logbook's file name without its extension, and "-qrb"
// ("log.adi" gives "log-qrb").
std::string reportFileBase(std::string_view logFileName);

// What is said of one logbook once it is read, a line each, every line
// after the file's name: the note for an EDI log, then why it could not be
// read to its end.
std::vector<std::string> outcomeLines(const std::string& name, const LogOutcome& outcome);

// The note for a logbook without an own locator, when the output (CSV) has
// no place for it, as the command writes it after the file's name.
std::string_view withoutOwnText();

// Told while a logbook is read: the bytes and the contacts read so far.
using LogProgress = std::function<void(std::uint64_t bytes, std::uint64_t contacts)>;

// Scores logbooks into a report and the output forms that write the contacts
// as they come.
class LogScoring {
public:
    LogScoring(ContactScorer& scorer, Report& report) : scorer_(scorer), report_(report) {}

    // An output form; the report's own sinks are told by the report.
    void addWriter(ContactWriter& writer) { writers_.push_back(&writer); }

    // Reads the logbook called `name` (as the user named it) to its end, or
    // to the fault that stops it.
    LogOutcome score(std::string_view name, ByteSource& source, const LogProgress& progress = {});

private:
    ContactScorer& scorer_;
    Report& report_;
    std::vector<ContactWriter*> writers_;
};

} // namespace qrb::report
