// SPDX-License-Identifier: GPL-3.0-or-later
#include "qrb-score/platform.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qrb::score {

namespace {

// $TMPDIR, when set.
std::string tmpdirVariable() {
    const char* dir = std::getenv("TMPDIR");
    return dir != nullptr ? std::string(dir) : std::string();
}

// A scratch file on a descriptor whose name is gone.
class FdScratch : public report::ScratchFile {
public:
    explicit FdScratch(int fd) : fd_(fd) {}
    ~FdScratch() override { ::close(fd_); }
    FdScratch(const FdScratch&) = delete;
    FdScratch& operator=(const FdScratch&) = delete;

    bool write(std::string_view bytes) override {
        while (!bytes.empty()) {
            const ssize_t done = ::write(fd_, bytes.data(), bytes.size());
            if (done < 0 && errno == EINTR) {
                continue;
            }
            if (done <= 0) {
                return false;
            }
            bytes.remove_prefix(static_cast<std::size_t>(done));
        }
        return true;
    }
    bool rewind() override { return ::lseek(fd_, 0, SEEK_SET) == 0; }
    long long read(char* into, std::size_t size) override { return readFd(fd_, into, size); }

private:
    int fd_;
};

} // namespace

std::unique_ptr<report::ScratchFile> TempScratch::open(std::string& why) {
    std::string folder = tmpdirVariable();
    if (folder.empty()) {
        folder = P_tmpdir;
    }
    int fd = -1;
#ifdef O_TMPFILE
    // A file that never has a name (Linux, on file systems that can).
    fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, S_IRUSR | S_IWUSR);
#endif
    if (fd < 0) {
        // Elsewhere a named one, its name removed at once; the open file
        // stays until it is closed.
        std::string path = folder + "/qrb-score-XXXXXX";
        fd = ::mkstemp(path.data());
        if (fd >= 0) {
            ::unlink(path.c_str());
            ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        }
    }
    if (fd < 0) {
        why = folder + ": " + std::strerror(errno);
        return nullptr;
    }
    return std::make_unique<FdScratch>(fd);
}

std::string workbookScratchFolder() {
    return tmpdirVariable();
}

CommandLine::CommandLine(int argc, char* argv[]) : arguments_(argv, argv + argc) {
    for (std::string& argument : arguments_) {
        pointers_.push_back(argument.data());
    }
    pointers_.push_back(nullptr);
}

CommandLine::~CommandLine() = default;

InputFile::InputFile(const std::string& name) {
    if (name == "-") {
        fd_ = STDIN_FILENO;
        return;
    }
    fd_ = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) {
        error_ = errno;
        return;
    }
    owned_ = true;
    struct stat info {};
    if (::fstat(fd_, &info) == 0 && S_ISDIR(info.st_mode)) {
        ::close(fd_);
        fd_ = -1;
        owned_ = false;
        error_ = EISDIR;
        return;
    }
    ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
}

InputFile::~InputFile() {
    if (owned_) {
        ::close(fd_);
    }
}

long long readFd(int fd, char* into, std::size_t size) {
    ssize_t got = 0;
    do {
        got = ::read(fd, into, size);
    } while (got < 0 && errno == EINTR);
    return got;
}

bool stderrIsTerminal() {
    return isatty(STDERR_FILENO) == 1;
}

std::FILE* openOutputFile(const std::string& name) {
    return std::fopen(name.c_str(), "wb");
}

std::string fullName(const std::string& name) {
    char* real = ::realpath(name.c_str(), nullptr);
    if (real == nullptr) {
        return name;
    }
    std::string full(real);
    std::free(real); // NOLINT(cppcoreguidelines-no-malloc): realpath's own allocation
    return full;
}

std::string_view folderSeparators() {
    return "/";
}

bool makeFolder(const std::string& name) {
    return ::mkdir(name.c_str(), 0777) == 0 || errno == EEXIST;
}

// A terminal stays open when a program ends: there is no Explorer case, and
// the functions below only read standard input.
bool consoleOfItsOwn() {
    return false;
}

std::optional<std::string> readLine() {
    return readInputLine();
}

void waitForKey() {
    readLine();
}

std::string documentsFolder() {
    return {};
}

} // namespace qrb::score
