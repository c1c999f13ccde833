// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/run.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <istream>
#include <memory>
#include <streambuf>

namespace qrb::report {

namespace {

// Reads a byte source in large blocks for the logbook readers, and counts
// what it has read.
class SourceBuffer : public std::streambuf {
public:
    SourceBuffer(ByteSource& source, std::function<void(std::uint64_t)> onBlock,
                 std::size_t blockSize = std::size_t{1} << 20U)
        : source_(source), block_(blockSize), onBlock_(std::move(onBlock)) {
        setg(block_.data(), block_.data(), block_.data());
    }

    // The source's error number of a failed read; 0 when none failed.
    int error() const { return error_; }
    bool failed() const { return failed_; }

protected:
    int_type underflow() override {
        if (gptr() < egptr()) {
            return traits_type::to_int_type(*gptr());
        }
        const std::size_t got = readSome(block_.data(), block_.size());
        setg(block_.data(), block_.data(), block_.data() + got);
        return got == 0 ? traits_type::eof() : traits_type::to_int_type(*gptr());
    }

    std::streamsize xsgetn(char_type* s, std::streamsize count) override {
        std::streamsize done = 0;
        while (done < count) {
            const std::streamsize buffered = egptr() - gptr();
            if (buffered > 0) {
                const std::streamsize take = std::min(buffered, count - done);
                std::memcpy(s + done, gptr(), static_cast<std::size_t>(take));
                gbump(static_cast<int>(take));
                done += take;
                continue;
            }
            const auto wanted = static_cast<std::size_t>(count - done);
            if (wanted >= block_.size()) {
                // A large request goes straight into the caller's memory.
                const std::size_t got = readSome(s + done, wanted);
                if (got == 0) {
                    break;
                }
                done += static_cast<std::streamsize>(got);
            } else if (traits_type::eq_int_type(underflow(), traits_type::eof())) {
                break;
            }
        }
        return done;
    }

private:
    // Reads once into `into`; the bytes read, 0 at the end or on failure.
    std::size_t readSome(char* into, std::size_t size) {
        if (atEnd_) {
            return 0;
        }
        const long long got = source_.read(into, size);
        if (got <= 0) {
            // A failed read ends the input like its end; failed() tells them apart.
            if (got < 0) {
                failed_ = true;
                error_ = source_.error();
            }
            atEnd_ = true;
            return 0;
        }
        bytesRead_ += static_cast<std::uint64_t>(got);
        if (onBlock_) {
            onBlock_(bytesRead_);
        }
        return static_cast<std::size_t>(got);
    }

    ByteSource& source_;
    std::vector<char> block_;
    std::function<void(std::uint64_t)> onBlock_;
    std::uint64_t bytesRead_ = 0;
    int error_ = 0;
    bool failed_ = false;
    bool atEnd_ = false;
};

} // namespace

long long MemorySource::read(char* into, std::size_t size) {
    const std::size_t count = std::min(size, bytes_.size());
    if (count != 0) {
        std::memcpy(into, bytes_.data(), count);
    }
    bytes_.remove_prefix(count);
    return static_cast<long long>(count);
}

std::string logFailureText(const LogFailure& failure) {
    if (failure.systemError == 0) {
        return logbook::readErrorText(failure.read);
    }
    switch (failure.systemError) {
    case ENOENT:
        return "Datei nicht gefunden";
    case EACCES:
        return "keine Leseberechtigung";
    case EISDIR:
        return "ist ein Verzeichnis";
    default:
        return std::strerror(failure.systemError);
    }
}

std::string_view withoutConfirmationsText() {
    return "EDI-Logs enthalten keine Bestätigungen: alle Verbindungen nicht bestätigt";
}

std::string reportFileBase(std::string_view logFileName) {
    std::string base(logFileName);
    // A name that is all extension (".adi") keeps it.
    if (const std::size_t dot = base.rfind('.'); dot != std::string::npos && dot > 0) {
        base.resize(dot);
    }
    return base + "-qrb";
}

std::vector<std::string> outcomeLines(const std::string& name, const LogOutcome& outcome) {
    std::vector<std::string> lines;
    if (outcome.withoutConfirmations) {
        lines.push_back(name + ": " + std::string(withoutConfirmationsText()));
    }
    if (outcome.failure) {
        lines.push_back(name + ": " + logFailureText(*outcome.failure));
    }
    return lines;
}

std::string_view withoutOwnText() {
    return "eigener Locator fehlt (--own LOC angeben)";
}

LogOutcome LogScoring::score(std::string_view name, ByteSource& source,
                             const LogProgress& progress) {
    LogOutcome outcome;
    SourceBuffer input(source, [&outcome, &progress](std::uint64_t bytes) {
        if (progress) {
            progress(bytes, outcome.contacts);
        }
    });
    std::istream stream(&input);

    // A failed read is the source's fault, whatever the reader made of the
    // bytes it did get.
    const auto failed = [&input](const logbook::ReadError& read) {
        LogFailure failure{input.failed() ? input.error() : 0, read};
        if (input.failed() && failure.systemError == 0) {
            failure.systemError = EIO;
        }
        return failure;
    };
    logbook::ReadError openError;
    const std::unique_ptr<logbook::Reader> reader = logbook::openReader(stream, openError);
    if (!reader) {
        outcome.failure = failed(openError);
        return outcome;
    }
    const logbook::Format format = reader->format();
    outcome.withoutConfirmations = format == logbook::Format::Edi && report_.rules().confirmed;
    report_.beginFile(name);
    for (ContactWriter* writer : writers_) {
        writer->beginFile(name);
    }
    // Contacts are read a batch at a time: the report looks up the calls of
    // a whole batch in one go, so that the memory is asked for them together.
    constexpr std::size_t kBatch = 16;
    std::array<logbook::Record, kBatch> records;
    ContactScore contact;
    Marks marks;
    for (bool more = true; more;) {
        std::size_t held = 0;
        while (held < kBatch && (more = reader->next(records[held]))) {
            ++held;
        }
        report_.expect(records.data(), held);
        for (std::size_t k = 0; k < held; ++k) {
            const logbook::Record& record = records[k];
            ++outcome.contacts;
            scorer_.score(record, format, contact);
            const std::size_t block = report_.judge(record, contact, marks);
            for (ContactWriter* writer : writers_) {
                writer->contact(record, contact, marks, block);
            }
        }
    }
    if (input.failed()) {
        outcome.failure = failed(reader->error().value_or(logbook::ReadError{}));
    } else if (reader->error()) {
        outcome.failure = failed(*reader->error());
    }
    return outcome;
}

} // namespace qrb::report
