// SPDX-License-Identifier: GPL-3.0-or-later
#include "output/win/win_printer.h"

#include "output/page_layout.h"

// windows.h before the other Windows headers, which need its types.
// clang-format off
#include <windows.h>
// clang-format on
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

namespace qrb {

namespace {

std::wstring wide(std::u16string_view text) {
    return {text.begin(), text.end()};
}

PrintOutcome failed(PrintError why, const std::wstring& subject = {}) {
    return {false, {why, std::u16string(subject.begin(), subject.end()), {}}};
}

struct DcDeleter {
    void operator()(HDC dc) const { DeleteDC(dc); }
};
struct FontDeleter {
    void operator()(HFONT font) const { DeleteObject(font); }
};
using Dc = std::unique_ptr<std::remove_pointer_t<HDC>, DcDeleter>;
using Font = std::unique_ptr<std::remove_pointer_t<HFONT>, FontDeleter>;

// The name of the default printer, empty when none is set up. The spooler's
// library is loaded here, on the job's thread, not at the program's start:
// under Wine, loading it asks the print server for its printers, which must
// neither slow down nor hold a program that does not print.
std::wstring defaultPrinter() {
    using GetDefaultPrinter = BOOL(WINAPI*)(LPWSTR, LPDWORD);
    const HMODULE spooler = LoadLibraryW(L"winspool.drv");
    if (spooler == nullptr) {
        return {};
    }
    // The one function wanted, by its documented signature.
    // NOLINTNEXTLINE(cppcoreguidelines-pro-type-reinterpret-cast)
    const auto get = reinterpret_cast<GetDefaultPrinter>(
        reinterpret_cast<void*>(GetProcAddress(spooler, "GetDefaultPrinterW")));
    if (get == nullptr) {
        return {};
    }
    DWORD size = 0;
    get(nullptr, &size);
    if (size == 0) {
        return {};
    }
    std::wstring name(size, L'\0');
    if (get(name.data(), &size) == 0) {
        return {};
    }
    name.resize(size > 0 ? size - 1 : 0); // without the terminating zero
    return name;
}

// The whole job, on its own thread: opens the default printer, lays the lines
// out page by page and hands the document to the spooler.
PrintOutcome printDocument(const std::wstring& face, double points,
                           const std::vector<std::u16string>& given, const std::u16string& title,
                           const WinPrinter::FrontPage& front) {
    const std::wstring printer = defaultPrinter();
    if (printer.empty()) {
        return failed(PrintError::NoDefaultPrinter);
    }
    const Dc dc(CreateDCW(L"WINSPOOL", printer.c_str(), nullptr, nullptr));
    if (!dc) {
        return failed(PrintError::PrinterNotOpened, printer);
    }
    const int dpiY = GetDeviceCaps(dc.get(), LOGPIXELSY);
    const int pageHeight = GetDeviceCaps(dc.get(), VERTRES);
    if (dpiY <= 0 || pageHeight <= 0) {
        return failed(PrintError::NoPageSize, printer);
    }
    // The height of the font's em square in device pixels, as the points say.
    const int height = -static_cast<int>(points * dpiY / 72.0 + 0.5);
    const Font font(CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                FIXED_PITCH | FF_MODERN, face.c_str()));
    if (!font) {
        return failed(PrintError::FontMissing, face);
    }
    SelectObject(dc.get(), font.get());
    TEXTMETRICW metrics{};
    if (GetTextMetricsW(dc.get(), &metrics) == 0) {
        return failed(PrintError::FontMissing, face);
    }
    // A report's pages are as long as the page holds, so that laying its
    // lines out top to bottom breaks them where the report's pages end.
    std::vector<std::u16string> lines;
    if (title.empty()) {
        lines = given;
    } else {
        const int spacing =
            std::max(1, static_cast<int>(metrics.tmHeight + metrics.tmExternalLeading));
        const int perPage = 1 + (pageHeight - static_cast<int>(metrics.tmHeight)) / spacing;
        const int columns = GetDeviceCaps(dc.get(), HORZRES) /
                            std::max(1, static_cast<int>(metrics.tmAveCharWidth));
        for (const PageLines& one : layoutPages(given, title, static_cast<std::size_t>(perPage),
                                                static_cast<std::size_t>(std::max(columns, 1)))) {
            lines.insert(lines.end(), one.begin(), one.end());
        }
    }
    SetTextAlign(dc.get(), TA_LEFT | TA_BASELINE | TA_NOUPDATECP);
    SetBkMode(dc.get(), TRANSPARENT);

    const PrintOutcome notTaken = failed(PrintError::NotTaken, printer);
    DOCINFOW document{};
    document.cbSize = sizeof(document);
    document.lpszDocName = L"QRB-Punkte";
    if (StartDocW(dc.get(), &document) <= 0) {
        return notTaken;
    }
    const std::vector<PlacedLine> placed =
        layOutLines(lines.size(),
                    {static_cast<int>(metrics.tmAscent), static_cast<int>(metrics.tmDescent),
                     static_cast<int>(metrics.tmHeight + metrics.tmExternalLeading)},
                    pageHeight);
    bool ok = true;
    if (front) {
        ok = StartPage(dc.get()) > 0;
        if (ok) {
            front(dc.get(), RECT{0, 0, GetDeviceCaps(dc.get(), HORZRES), pageHeight});
            ok = EndPage(dc.get()) > 0;
        }
    }
    ok = ok && StartPage(dc.get()) > 0;
    int page = 0;
    for (std::size_t i = 0; ok && i < lines.size(); ++i) {
        if (placed[i].page != page) {
            ok = EndPage(dc.get()) > 0 && StartPage(dc.get()) > 0;
            page = placed[i].page;
        }
        const std::wstring text = wide(lines[i]);
        // An empty line is only its space on the page.
        if (ok && !text.empty()) {
            ok = TextOutW(dc.get(), 0, placed[i].baseline, text.c_str(),
                          static_cast<int>(text.size())) != 0;
        }
    }
    ok = ok && EndPage(dc.get()) > 0;
    if (!ok) {
        AbortDoc(dc.get());
        return notTaken;
    }
    if (EndDoc(dc.get()) <= 0) {
        return notTaken;
    }
    return {};
}

// One job, shared by the printer and the job's thread; the thread may outlive
// a printer that stopped waiting.
struct Job {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    PrintOutcome outcome;
};

} // namespace

PrintOutcome WinPrinter::print(const PrintJob& job) {
    setFontFace(job.fontFace);
    setFontSize(job.fontSize);
    for (const std::u16string& line : job.lines) {
        printLine(line);
    }
    return endDocument();
}

void WinPrinter::setFontFace(std::u16string_view face) {
    face_ = face;
}

void WinPrinter::setFontSize(double points) {
    points_ = points;
}

void WinPrinter::printLine(std::u16string_view line) {
    lines_.emplace_back(line);
}

PrintOutcome WinPrinter::endDocument() {
    abandoned_ = false;
    auto job = std::make_shared<Job>();
    // The job's thread holds the loader lock while the spooler library loads,
    // which may hang on a print server that never answers. Waiting below must
    // then need nothing from the loader: the clocks look up their system
    // functions on first use, so they are read once before the thread starts.
    (void)std::chrono::steady_clock::now();
    (void)std::chrono::system_clock::now();
    std::thread([job, face = wide(face_), points = points_, lines = std::exchange(lines_, {}),
                 title = title_, front = front_] {
        PrintOutcome outcome = printDocument(face, points, lines, title, front);
        const std::lock_guard lock(job->mutex);
        job->outcome = std::move(outcome);
        job->finished = true;
        job->done.notify_all();
    }).detach();

    std::unique_lock lock(job->mutex);
    if (!job->done.wait_for(lock, kAnswerTime, [&job] { return job->finished; })) {
        lock.unlock();
        abandoned_ = true;
        return failed(PrintError::PrinterSilent);
    }
    return job->outcome;
}

} // namespace qrb
