// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What qrb-score needs from the operating system, the same on Linux and on
// Windows: the command line as UTF-8, standard input and output as plain
// bytes, logbook files opened by their UTF-8 names and read by descriptor,
// and unnamed temporary files for the report's scratch space.

#include "report/output_buffer.h"
#include "report/run.h"
#include "report/scratch.h"

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qrb::score {

// The program's arguments as UTF-8 (on Windows taken from the wide command
// line, whatever the ANSI code page); standard input, output and error pass
// bytes unchanged (no CR added before LF on Windows). Lives as long as main.
class CommandLine {
public:
    CommandLine(int argc, char* argv[]);
    ~CommandLine();
    CommandLine(const CommandLine&) = delete;
    CommandLine& operator=(const CommandLine&) = delete;

    int argc() const { return static_cast<int>(pointers_.size()) - 1; }
    char** argv() { return pointers_.data(); }

private:
    std::vector<std::string> arguments_;
    std::vector<char*> pointers_;
    [[maybe_unused]] unsigned consoleCodePage_ = 0; // the console's own, on Windows
};

// A logbook opened for reading: the file of that UTF-8 name, or standard
// input for "-".
class InputFile {
public:
    explicit InputFile(const std::string& name);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // The descriptor to read, -1 when the file could not be opened.
    int fd() const { return fd_; }
    // Why it could not be opened, as an errno value (ENOENT, EACCES, EISDIR, ...).
    int error() const { return error_; }

private:
    int fd_ = -1;
    int error_ = 0;
    bool owned_ = false;
};

// Reads at most `size` bytes; the count read, 0 at the end, -1 with errno set
// on failure (an interrupted read is repeated).
long long readFd(int fd, char* into, std::size_t size);

// A logbook's bytes, read from a descriptor.
class FdSource : public report::ByteSource {
public:
    explicit FdSource(int fd) : fd_(fd) {}
    long long read(char* into, std::size_t size) override {
        const long long got = readFd(fd_, into, size);
        if (got < 0) {
            error_ = errno;
        }
        return got;
    }
    int error() const override { return error_; }

private:
    int fd_;
    int error_ = 0;
};

// Output into a C stream (standard output), bytes unchanged.
class FileSink : public report::ByteSink {
public:
    explicit FileSink(std::FILE* file) : file_(file) {}
    bool write(std::string_view bytes) override {
        if (std::fwrite(bytes.data(), 1, bytes.size(), file_) == bytes.size()) {
            return true;
        }
        error_ = errno != 0 ? errno : EIO;
        return false;
    }
    bool flush() override {
        if (std::fflush(file_) == 0) {
            return true;
        }
        error_ = errno != 0 ? errno : EIO;
        return false;
    }
    int error() const { return error_; } // errno of the first failed write

private:
    std::FILE* file_;
    int error_ = 0;
};

// A file opened for writing by its UTF-8 name, emptied if it was there; null
// (errno set) when it cannot be.
std::FILE* openOutputFile(const std::string& name);

// The full name of a file (UTF-8), so that the user can find it; the name
// as it is when there is none.
std::string fullName(const std::string& name);

// The characters that end a folder's part in a file's name.
std::string_view folderSeparators();

// Makes the folder (UTF-8 name) unless it is there. False (errno set) when
// it cannot.
bool makeFolder(const std::string& name);

// The Explorer case: qrb-score.exe double-clicked, or logs dropped on it.
// Its console is its own (no other program is attached to it) and standard
// input and output are that console, which closes when the program ends.
// Never so on POSIX. QRB_SCORE_OWN_CONSOLE=1 lets the tests take the
// program's pipes for such a console.
bool consoleOfItsOwn();

// A line typed into the console, UTF-8 without its line end; nothing at the
// end of the input.
std::optional<std::string> readLine();

// A line of standard input read byte by byte, without its line end (LF or
// CR LF); nothing at the end of the input. readLine where no console is.
inline std::optional<std::string> readInputLine() {
    std::string line;
    int c = 0;
    while ((c = std::getchar()) != EOF && c != '\n') {
        line += static_cast<char>(c);
    }
    if (c == EOF && line.empty()) {
        return std::nullopt;
    }
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return line;
}

// Waits until a key is pressed in the console; at the end of the input, not
// at all.
void waitForKey();

// The user's Documents folder (UTF-8), empty when unknown.
std::string documentsFolder();

// Scratch files in the system's folder for temporary files, each without a
// name in it from the start (or from a moment after), so that nothing is
// left there however the program ends. POSIX: $TMPDIR, else the C library's
// folder; Windows: the folder GetTempPathW names.
class TempScratch : public report::ScratchSpace {
public:
    std::unique_ptr<report::ScratchFile> open(std::string& why) override;
};

// The folder for the workbook's temporary files: $TMPDIR where it is set
// (POSIX), else empty for the C library's own.
std::string workbookScratchFolder();

// True when standard error is a terminal that understands the escape
// sequences of the progress line.
bool stderrIsTerminal();

} // namespace qrb::score
