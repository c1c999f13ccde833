// SPDX-License-Identifier: GPL-3.0-or-later
#include "qrb-score/platform.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qrb::score {

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

} // namespace qrb::score
