// SPDX-License-Identifier: GPL-3.0-or-later
#include "qrb-score/platform.h"

// windows.h before the other Windows headers, which need its types.
// clang-format off
#include <windows.h>
// clang-format on
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <knownfolders.h>
#include <optional>
#include <shellapi.h>
#include <shlobj.h>
#include <string>
#include <string_view>
#include <sys/stat.h>

namespace qrb::score {

namespace {

std::string toUtf8(const wchar_t* text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) {
        return {};
    }
    std::string utf8(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8.data(), size, nullptr, nullptr);
    utf8.pop_back(); // the terminating zero
    return utf8;
}

// Empty when `text` is no valid UTF-8.
std::wstring toWide(const std::string& text) {
    const int size =
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.c_str(), -1, nullptr, 0);
    if (size <= 1) {
        return {};
    }
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.c_str(), -1, wide.data(), size);
    wide.pop_back();
    return wide;
}

// A scratch file that Windows deletes when its handle is closed, however the
// program ends.
class HandleScratch : public report::ScratchFile {
public:
    explicit HandleScratch(HANDLE handle) : handle_(handle) {}
    ~HandleScratch() override { CloseHandle(handle_); }
    HandleScratch(const HandleScratch&) = delete;
    HandleScratch& operator=(const HandleScratch&) = delete;

    bool write(std::string_view bytes) override {
        while (!bytes.empty()) {
            const auto chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1U << 30U));
            DWORD done = 0;
            if (WriteFile(handle_, bytes.data(), chunk, &done, nullptr) == 0 || done == 0) {
                return false;
            }
            bytes.remove_prefix(done);
        }
        return true;
    }
    bool rewind() override {
        LARGE_INTEGER start{};
        return SetFilePointerEx(handle_, start, nullptr, FILE_BEGIN) != 0;
    }
    long long read(char* into, std::size_t size) override {
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1U << 30U));
        DWORD done = 0;
        if (ReadFile(handle_, into, chunk, &done, nullptr) == 0) {
            return -1;
        }
        return done;
    }

private:
    HANDLE handle_;
};

} // namespace

std::unique_ptr<report::ScratchFile> TempScratch::open(std::string& why) {
    std::wstring folder(MAX_PATH + 1, L'\0');
    const DWORD length = GetTempPathW(static_cast<DWORD>(folder.size()), folder.data());
    if (length == 0 || length > folder.size()) {
        why = "GetTempPathW: Fehler " + std::to_string(GetLastError());
        return nullptr;
    }
    folder.resize(length); // ends with a backslash
    // A name of its own: the process and a count, tried anew while taken.
    static unsigned count = 0;
    DWORD error = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::wstring path = folder + L"qrb-score-" + std::to_wstring(GetCurrentProcessId()) +
                                  L"-" + std::to_wstring(++count) + L".tmp";
        const HANDLE handle =
            CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                        FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            return std::make_unique<HandleScratch>(handle);
        }
        error = GetLastError();
        if (error != ERROR_FILE_EXISTS) {
            break;
        }
    }
    why = toUtf8(folder.c_str()) + ": Fehler " + std::to_string(error);
    return nullptr;
}

std::string workbookScratchFolder() {
    return {};
}

CommandLine::CommandLine(int argc, char* argv[]) {
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide != nullptr) {
        for (int i = 0; i < count; ++i) {
            arguments_.push_back(toUtf8(wide[i]));
        }
        LocalFree(wide);
    } else {
        arguments_.assign(argv, argv + argc);
    }
    for (std::string& argument : arguments_) {
        pointers_.push_back(argument.data());
    }
    pointers_.push_back(nullptr);

    // Bytes in, bytes out: the logs, the text and the CSV exactly as on Linux.
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    // The messages are UTF-8; a console shows them right in that code page.
    consoleCodePage_ = GetConsoleOutputCP();
    if (consoleCodePage_ != 0) {
        SetConsoleOutputCP(CP_UTF8);
    }
}

CommandLine::~CommandLine() {
    if (consoleCodePage_ != 0) {
        std::fflush(stdout);
        std::fflush(stderr);
        SetConsoleOutputCP(consoleCodePage_);
    }
}

InputFile::InputFile(const std::string& name) {
    if (name == "-") {
        fd_ = _fileno(stdin);
        return;
    }
    const std::wstring wide = toWide(name);
    if (wide.empty()) {
        error_ = ENOENT; // no file can have a name that is not valid UTF-8
        return;
    }
    // Windows refuses to open a folder with EACCES: tell it apart first.
    struct _stat64 info {};
    if (_wstat64(wide.c_str(), &info) == 0 && (info.st_mode & _S_IFDIR) != 0) {
        error_ = EISDIR;
        return;
    }
    fd_ = _wopen(wide.c_str(), _O_RDONLY | _O_BINARY | _O_SEQUENTIAL | _O_NOINHERIT);
    if (fd_ < 0) {
        error_ = errno;
        return;
    }
    owned_ = true;
}

InputFile::~InputFile() {
    if (owned_) {
        _close(fd_);
    }
}

long long readFd(int fd, char* into, std::size_t size) {
    const auto chunk = static_cast<unsigned>(std::min<std::size_t>(size, INT_MAX));
    int got = 0;
    do {
        got = _read(fd, into, chunk);
    } while (got < 0 && errno == EINTR);
    return got;
}

std::FILE* openOutputFile(const std::string& name) {
    const std::wstring wide = toWide(name);
    if (wide.empty()) {
        errno = ENOENT; // no file can have a name that is not valid UTF-8
        return nullptr;
    }
    return _wfopen(wide.c_str(), L"wb");
}

std::string fullName(const std::string& name) {
    const std::wstring wide = toWide(name);
    const DWORD size = wide.empty() ? 0 : GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (size == 0) {
        return name;
    }
    std::wstring full(size, L'\0');
    const DWORD length = GetFullPathNameW(wide.c_str(), size, full.data(), nullptr);
    if (length == 0 || length >= size) {
        return name;
    }
    full.resize(length);
    return toUtf8(full.c_str());
}

std::string_view folderSeparators() {
    return "\\/";
}

bool makeFolder(const std::string& name) {
    const std::wstring wide = toWide(name);
    if (wide.empty()) {
        errno = ENOENT;
        return false;
    }
    if (CreateDirectoryW(wide.c_str(), nullptr) != 0 || GetLastError() == ERROR_ALREADY_EXISTS) {
        return true;
    }
    errno = GetLastError() == ERROR_ACCESS_DENIED ? EACCES : ENOENT;
    return false;
}

namespace {

bool isConsole(DWORD which) {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(which), &mode) != 0;
}

} // namespace

bool consoleOfItsOwn() {
    if (const wchar_t* forced = _wgetenv(L"QRB_SCORE_OWN_CONSOLE");
        forced != nullptr && std::wstring_view(forced) == L"1") {
        return true;
    }
    // A command prompt is attached to its console as well.
    DWORD processes[2] = {};
    return GetConsoleProcessList(processes, 2) == 1 && isConsole(STD_INPUT_HANDLE) &&
           isConsole(STD_OUTPUT_HANDLE);
}

std::optional<std::string> readLine() {
    std::fflush(stdout);
    if (!isConsole(STD_INPUT_HANDLE)) {
        return readInputLine();
    }
    // The console's own line editing, in UTF-16 whatever its code page.
    std::wstring line;
    wchar_t chunk[256];
    for (;;) {
        DWORD got = 0;
        if (ReadConsoleW(GetStdHandle(STD_INPUT_HANDLE), chunk, 256, &got, nullptr) == 0 ||
            got == 0) {
            if (line.empty()) {
                return std::nullopt;
            }
            break;
        }
        line.append(chunk, got);
        if (line.back() == L'\n') {
            break;
        }
    }
    while (!line.empty() && (line.back() == L'\n' || line.back() == L'\r')) {
        line.pop_back();
    }
    return toUtf8(line.c_str());
}

void waitForKey() {
    std::fflush(stdout);
    std::fflush(stderr);
    if (!isConsole(STD_INPUT_HANDLE)) {
        readLine();
        return;
    }
    // Any key, not only Enter; what was typed before does not count.
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    FlushConsoleInputBuffer(input);
    INPUT_RECORD event{};
    DWORD got = 0;
    while (ReadConsoleInputW(input, &event, 1, &got) != 0 && got == 1) {
        if (event.EventType == KEY_EVENT && event.Event.KeyEvent.bKeyDown != 0) {
            return;
        }
    }
}

std::string documentsFolder() {
    PWSTR path = nullptr;
    std::string folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Documents, KF_FLAG_CREATE, nullptr, &path))) {
        folder = toUtf8(path);
    }
    CoTaskMemFree(path);
    return folder;
}

bool stderrIsTerminal() {
    const HANDLE handle = GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    if (handle == INVALID_HANDLE_VALUE || GetConsoleMode(handle, &mode) == 0) {
        return false; // a file or a pipe
    }
    // The progress line clears itself with an escape sequence.
    return (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0 ||
           SetConsoleMode(handle, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

} // namespace qrb::score
