// SPDX-License-Identifier: GPL-3.0-or-later
// qrb-scenario.exe FILE...: runs scenario files against the real Win32 window.
//
// Every file gets a freshly created and started window in this process and a
// fresh recording printer. Keys and clicks go through the system's input
// queue (SendInput), exactly as a person's do; after each step the messages
// are pumped until the queue is idle. What the window shows is read back
// through the Windows API. Failed expectations and unreadable lines go to
// standard output, then "N passed, M failed". Exit status: 2 when a file
// could not be opened (or none was named), otherwise 1 when anything failed,
// otherwise 0.
//
// Options: --printer also prints DRU's jobs on the system's default printer;
// --jobs FILE writes the lines of the jobs to FILE.
#include "app-win/telvor_win.h"
#include "output/win/win_printer.h"
#include "session/layout.h"
#include "tests/runner/scenario_syntax.h"
#include "tests/runner/session_probe.h"

// windows.h before the other Windows headers, which need its types.
// clang-format off
#include <windows.h>
// clang-format on
#include <cerrno>
#include <cmath>
#include <commctrl.h>
#include <cstdio>
#include <cstring>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace scenario::syntax;
using qrb::layout::Id;
using qrb::layout::Kind;

void emit(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

std::string text8(std::u16string_view text) {
    return utf8(text);
}

std::u16string fromWide(const std::wstring& text) {
    return {text.begin(), text.end()};
}

std::wstring windowText(HWND hwnd) {
    const int length = GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int got = GetWindowTextW(hwnd, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(std::max(got, 0)));
    return text;
}

bool validUtf8(std::string_view bytes) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        int more = 0;
        char32_t code = lead;
        if (lead < 0x80) {
            more = 0;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            more = 1;
            code = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            more = 2;
            code = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            more = 3;
            code = lead & 0x07;
        } else {
            return false;
        }
        ++i;
        for (int k = 0; k < more; ++k, ++i) {
            if (i >= bytes.size() || (static_cast<unsigned char>(bytes[i]) & 0xC0) != 0x80) {
                return false;
            }
            code = (code << 6) | (static_cast<unsigned char>(bytes[i]) & 0x3F);
        }
        const bool overlong = (more == 2 && code < 0x800) || (more == 3 && code < 0x10000);
        if (overlong || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            return false;
        }
    }
    return true;
}

// ---- One window and what drives it ----------------------------------------

// With --printer, DRU's jobs also go to the system's default printer, as
// the program prints them.
bool toPrinter = false;

qrb::PrintOutcome printOnPaper(const qrb::PrintJob& job) {
    qrb::WinPrinter printer;
    qrb::PrintOutcome outcome = printer.print(job);
    if (!outcome.accepted) {
        std::fprintf(stderr, "qrb-scenario: %s\n", qrb::printFailureMessage(outcome).c_str());
    }
    return outcome;
}

class Run {
public:
    Run()
        : window_(
              GetModuleHandleW(nullptr),
              [this](const qrb::PrintJob& job) {
                  {
                      const std::scoped_lock lock(jobsMutex_);
                      jobs_.push_back(job);
                  }
                  return toPrinter ? printOnPaper(job) : qrb::PrintOutcome();
              },
              [this] { ended_ = true; }) {}

    // Opens and shows the window; empty when it is shown and active.
    std::string start() {
        if (!window_.open(SW_SHOWNORMAL)) {
            return "no window";
        }
        SetForegroundWindow(window_.handle());
        settle(false);
        if (!IsWindowVisible(window_.handle())) {
            return "a hidden window";
        }
        if (GetForegroundWindow() != window_.handle()) {
            return "an inactive window";
        }
        return {};
    }

    bool ended() const { return ended_; }

    // Pumps the window's messages until nothing is waiting and no print job
    // is running. When input was just sent, it waits a little for it to
    // arrive before calling the queue idle.
    void settle(bool inputSent) {
        bool handled = false;
        for (int round = 0; round < 1000; ++round) {
            MSG message;
            bool any = false;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                any = true;
                if (!window_.takeMessage(message)) {
                    TranslateMessage(&message);
                    DispatchMessageW(&message);
                }
            }
            handled = handled || any;
            window_.waitForPrints();
            if (GetQueueStatus(QS_ALLINPUT) != 0) {
                continue;
            }
            if (inputSent && !handled) {
                MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
                inputSent = false;
                continue;
            }
            return;
        }
    }

    HWND handleOf(std::u16string_view name) const {
        if (name == u"TELVOR") {
            return window_.handle();
        }
        const std::optional<Id> id = qrb::layout::find(text8(name));
        return id ? window_.control(*id) : nullptr;
    }

    void click(HWND target) {
        // At the middle of the control's place; where it is hidden, whatever
        // lies beneath is hit, as on screen.
        RECT box;
        GetWindowRect(target, &box);
        SetCursorPos((box.left + box.right) / 2, (box.top + box.bottom) / 2);
        // Each click stands alone, as from a person who waits between
        // clicks: its time lies past the double-click time of the one
        // before, so two clicks on one spot never make a double click.
        const DWORD now = GetTickCount();
        const DWORD apart = 2 * GetDoubleClickTime();
        const DWORD earliest = clickTime_ == 0 ? now : clickTime_ + apart;
        clickTime_ = static_cast<LONG>(now - earliest) > 0 ? now : earliest;
        INPUT press[2]{};
        press[0].type = INPUT_MOUSE;
        press[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        press[0].mi.time = clickTime_;
        press[1].type = INPUT_MOUSE;
        press[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
        press[1].mi.time = clickTime_;
        SendInput(2, press, sizeof(INPUT));
        settle(true);
    }

    // One key press per character. They go into the input queue together:
    // each one is taken from the queue only after the messages of the one
    // before have been handled, and goes to the control that has the focus
    // by then, as a person's quick typing does.
    void keys(std::u16string_view text) {
        std::vector<INPUT> presses;
        for (const char16_t c : text) {
            INPUT down{};
            down.type = INPUT_KEYBOARD;
            WORD virtualKey = 0;
            if (c == 13) {
                virtualKey = VK_RETURN;
            } else if (c == 8) {
                virtualKey = VK_BACK;
            } else if (c == 9) {
                virtualKey = VK_TAB;
            }
            if (virtualKey != 0) {
                down.ki.wVk = virtualKey;
                down.ki.wScan = static_cast<WORD>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
            } else {
                // The character itself, as a keyboard of any layout types it.
                down.ki.wScan = c;
                down.ki.dwFlags = KEYEVENTF_UNICODE;
            }
            INPUT up = down;
            up.ki.dwFlags |= KEYEVENTF_KEYUP;
            presses.push_back(down);
            presses.push_back(up);
        }
        if (!presses.empty()) {
            SendInput(static_cast<UINT>(presses.size()), presses.data(), sizeof(INPUT));
            settle(true);
        }
    }

    // A paste puts the text in at the cursor of the focused entry field, as
    // the clipboard's paste does, without a key.
    void paste(std::u16string_view text) {
        const std::optional<Id> focus = idOf(GetFocus());
        if (!focus || qrb::layout::control(*focus).kind != Kind::TextField) {
            return;
        }
        const std::wstring wide(text.begin(), text.end());
        HWND field = window_.control(*focus);
        if (OpenClipboard(window_.handle())) {
            EmptyClipboard();
            const std::size_t bytes = (wide.size() + 1) * sizeof(wchar_t);
            HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
            if (memory != nullptr) {
                std::memcpy(GlobalLock(memory), wide.c_str(), bytes);
                GlobalUnlock(memory);
                if (SetClipboardData(CF_UNICODETEXT, memory) == nullptr) {
                    GlobalFree(memory);
                }
            }
            CloseClipboard();
            SendMessageW(field, WM_PASTE, 0, 0);
        } else {
            SendMessageW(field, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(wide.c_str()));
        }
        settle(false);
    }

    void close() {
        PostMessageW(window_.handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
        settle(true);
    }

    std::optional<Id> idOf(HWND hwnd) const {
        for (const qrb::layout::Control& c : qrb::layout::controls()) {
            if (hwnd != nullptr && window_.control(c.id) == hwnd) {
                return c.id;
            }
        }
        return std::nullopt;
    }

    const qrb::win::TelvorWindow& window() const { return window_; }
    std::vector<qrb::PrintJob> jobs() {
        const std::scoped_lock lock(jobsMutex_);
        return jobs_;
    }

private:
    std::mutex jobsMutex_;
    std::vector<qrb::PrintJob> jobs_;
    bool ended_ = false;
    DWORD clickTime_ = 0;
    qrb::win::TelvorWindow window_;
};

// ---- Reading the window back ----------------------------------------------

class Probe {
public:
    explicit Probe(Run& run) : run_(run) {}

    std::int64_t twips(int pixels) const {
        return std::llround(static_cast<double>(pixels) * 1440.0 / run_.window().dpi());
    }

    Value twips4(int a, int b, int c, int d) const {
        Value v;
        v.kind = ValueKind::Twips4;
        v.twips = {twips(a), twips(b), twips(c), twips(d)};
        return v;
    }

    Observed read(const Target& target) {
        switch (target.kind) {
        case Target::Kind::Control:
            return readControl(target);
        case Target::Kind::Focus: {
            Value v;
            v.kind = ValueKind::FocusName;
            const std::optional<Id> focus = run_.idOf(GetFocus());
            v.text = focus ? utf16(qrb::layout::control(*focus).name) : u"none";
            return found(v);
        }
        case Target::Kind::Ended:
            return found(flagValue(run_.ended()));
        case Target::Kind::Shared:
        case Target::Kind::QrbTab:
            return readShared(run_.window().session().shared(), target);
        default:
            return readPrint(run_.jobs(), target);
        }
    }

    Observed readControl(const Target& target) {
        const std::u16string& name = target.control;
        if (const qrb::layout::Line* line = qrb::layout::findLine(text8(name))) {
            if (target.property == Property::Visible) {
                return found(flagValue(true));
            }
            const auto [x1, y1, x2, y2] = run_.window().linePixels(*line);
            return found(twips4(x1, y1, x2, y2));
        }
        HWND hwnd = run_.handleOf(name);
        if (hwnd == nullptr) {
            return missing("the window has no control named " + text8(name));
        }
        const bool isWindow = hwnd == run_.window().handle();
        const std::optional<Id> id = run_.idOf(hwnd);
        switch (target.property) {
        case Property::Text:
        case Property::Caption:
            return found(stringValue(fromWide(windowText(hwnd))));
        case Property::Tooltip:
            return found(stringValue(isWindow ? std::u16string() : tooltipOf(hwnd)));
        case Property::Color: {
            Value v;
            v.kind = ValueKind::Colour;
            v.colour = id ? run_.window().backColor(*id) : qrb::layout::kWindow.backColor;
            return found(v);
        }
        case Property::Enabled:
            return found(flagValue(IsWindowEnabled(hwnd) != FALSE));
        case Property::Visible:
            return found(flagValue(isWindow ? IsWindowVisible(hwnd) != FALSE
                                            : (GetWindowLongW(hwnd, GWL_STYLE) & WS_VISIBLE) != 0));
        case Property::Checked:
            return found(flagValue(SendMessageW(hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED));
        case Property::Geometry: {
            RECT box;
            GetWindowRect(hwnd, &box);
            MapWindowPoints(HWND_DESKTOP, run_.window().handle(), reinterpret_cast<POINT*>(&box),
                            2);
            // A control that belongs to another is placed in it.
            if (const std::optional<Id> parent = qrb::layout::control(*id).parent) {
                RECT outer;
                GetWindowRect(run_.window().control(*parent), &outer);
                MapWindowPoints(HWND_DESKTOP, run_.window().handle(),
                                reinterpret_cast<POINT*>(&outer), 2);
                OffsetRect(&box, -outer.left, -outer.top);
            }
            return found(twips4(box.left, box.top, box.right - box.left, box.bottom - box.top));
        }
        case Property::Font: {
            auto* font = reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0));
            LOGFONTW described{};
            if (font == nullptr || GetObjectW(font, sizeof(described), &described) == 0) {
                return missing(text8(name) + " has no font");
            }
            const double points = -described.lfHeight * 72.0 / run_.window().dpi();
            return found(fontValue(fromWide(described.lfFaceName), points));
        }
        case Property::TabOrder:
            return found(signedValue(qrb::layout::control(*id).tabIndex));
        case Property::Count:
            return found(signedValue(SendMessageW(hwnd, LB_GETCOUNT, 0, 0)));
        case Property::Item: {
            const LRESULT count = SendMessageW(hwnd, LB_GETCOUNT, 0, 0);
            if (target.index >= count) {
                return missing("no line " + std::to_string(target.index) + " in " + text8(name) +
                               ", which counts " + std::to_string(count));
            }
            const LRESULT length = SendMessageW(hwnd, LB_GETTEXTLEN, target.index, 0);
            std::wstring line(static_cast<std::size_t>(std::max<LRESULT>(length, 0)) + 1, L'\0');
            SendMessageW(hwnd, LB_GETTEXT, target.index, reinterpret_cast<LPARAM>(line.data()));
            line.resize(static_cast<std::size_t>(std::max<LRESULT>(length, 0)));
            return found(stringValue(fromWide(line)));
        }
        case Property::Size: {
            RECT inside;
            GetClientRect(hwnd, &inside);
            Value v;
            v.kind = ValueKind::Twips2;
            v.twips[0] = twips(inside.right);
            v.twips[1] = twips(inside.bottom);
            return found(v);
        }
        case Property::Line:
            break;
        }
        return missing("unknown property");
    }

    std::u16string tooltipOf(HWND hwnd) const {
        HWND tips = nullptr;
        // The window's tooltip control is a popup owned by it.
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND candidate, LPARAM found) {
                wchar_t name[64]{};
                GetClassNameW(candidate, name, 64);
                if (std::wstring_view(name) == TOOLTIPS_CLASSW) {
                    *reinterpret_cast<HWND*>(found) = candidate;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&tips));
        if (tips == nullptr) {
            return {};
        }
        std::wstring buffer(512, L'\0');
        TOOLINFOW tool{};
        tool.cbSize = TTTOOLINFOW_V2_SIZE;
        tool.hwnd = run_.window().handle();
        tool.uId = reinterpret_cast<UINT_PTR>(hwnd);
        tool.lpszText = buffer.data();
        SendMessageW(tips, TTM_GETTEXTW, buffer.size(), reinterpret_cast<LPARAM>(&tool));
        buffer.resize(std::wcslen(buffer.c_str()));
        return fromWide(buffer);
    }

    void dump(const std::function<void(const std::string&)>& line) {
        const auto show = [&](const Target& target) {
            line("  " + text8(targetText(target)) + " " + text8(read(target).render()));
        };
        for (const ControlInfo& info : controls()) {
            Target target;
            target.kind = Target::Kind::Control;
            target.control = utf16(info.name);
            for (const Property p : dottedProperties()) {
                if (appliesTo(p, info.kind)) {
                    target.property = p;
                    show(target);
                }
            }
            if (info.kind == ControlKind::List) {
                HWND list = run_.handleOf(target.control);
                const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
                target.property = Property::Item;
                for (int i = 0; i < count; ++i) {
                    target.index = i;
                    show(target);
                }
            }
        }
        Target target;
        target.kind = Target::Kind::Focus;
        show(target);
        target.kind = Target::Kind::Ended;
        show(target);
        target.kind = Target::Kind::Shared;
        for (const SharedVar var : sharedVars()) {
            target.shared = var;
            show(target);
        }
        const qrb::SharedState& st = run_.window().session().shared();
        for (int x = 0; x < qrb::QrbTable::kSize; ++x) {
            line("  " + qrbTabRow(st, x));
        }
        target.kind = Target::Kind::PrintJobs;
        show(target);
        const std::vector<qrb::PrintJob> jobs = run_.jobs();
        for (std::size_t j = 0; j < jobs.size(); ++j) {
            target.index = static_cast<int>(j);
            target.kind = Target::Kind::PrintFont;
            show(target);
            target.kind = Target::Kind::PrintCount;
            show(target);
            target.kind = Target::Kind::PrintLine;
            for (std::size_t i = 0; i < jobs[j].lines.size(); ++i) {
                target.index2 = static_cast<int>(i);
                show(target);
            }
        }
    }

private:
    Run& run_;
};

// ---- Files -------------------------------------------------------------------

struct Tally {
    int passed = 0;
    int failed = 0;
};

struct NumberedLine {
    int number = 0;
    ParsedLine parsed;
};

std::vector<NumberedLine> readLines(const std::string& bytes) {
    std::vector<NumberedLine> lines;
    std::size_t start = 0;
    int number = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string::npos) {
            end = bytes.size();
        }
        std::string_view raw(bytes.data() + start, end - start);
        if (!raw.empty() && raw.back() == '\r') {
            raw.remove_suffix(1);
        }
        NumberedLine line;
        line.number = ++number;
        if (!validUtf8(raw)) {
            line.parsed.status = ParsedLine::Status::Malformed;
            line.parsed.reason = "the line is not valid UTF-8";
        } else {
            line.parsed = parseLine(utf16(raw));
        }
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

// With --jobs FILE, the lines of every job printed are written to FILE
// (UTF-8, one line each), for comparing with what reached the printer.
std::wstring jobsFile;

void writeJobs(const std::vector<qrb::PrintJob>& jobs) {
    FILE* out = _wfopen(jobsFile.c_str(), L"ab");
    if (out == nullptr) {
        emit("cannot write " + utf8(fromWide(jobsFile)) + ": " + std::strerror(errno));
        return;
    }
    for (const qrb::PrintJob& job : jobs) {
        for (const std::u16string& line : job.lines) {
            const std::string bytes = utf8(line) + "\n";
            std::fwrite(bytes.data(), 1, bytes.size(), out);
        }
    }
    std::fclose(out);
}

bool runFile(const std::wstring& path, Tally& tally) {
    const std::string shown = utf8(fromWide(path));
    FILE* file = _wfopen(path.c_str(), L"rb");
    if (file == nullptr) {
        emit(shown + ": cannot open: " + std::strerror(errno));
        return false;
    }
    std::string bytes;
    char buffer[65536];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof(buffer), file)) > 0) {
        bytes.append(buffer, got);
    }
    std::fclose(file);
    const std::vector<NumberedLine> lines = readLines(bytes);
    const auto where = [&shown](int number) { return shown + ":" + std::to_string(number) + ": "; };

    // Every line is read before anything runs; a file with an unreadable
    // line is not run at all.
    bool readable = true;
    for (const NumberedLine& line : lines) {
        if (line.parsed.status == ParsedLine::Status::Malformed) {
            emit(where(line.number) + "cannot read: " + line.parsed.reason);
            ++tally.failed;
            readable = false;
        }
    }
    if (!readable) {
        return true;
    }

    Run run;
    const std::string problem = run.start();
    if (!problem.empty()) {
        emit(shown + ": expected the started window shown and active, got " + problem);
        ++tally.failed;
        return true;
    }
    Probe probe(run);
    for (const NumberedLine& line : lines) {
        if (line.parsed.status != ParsedLine::Status::Command) {
            continue;
        }
        const Command& command = line.parsed.command;
        if (run.ended() && command.kind != Command::Kind::Expect &&
            command.kind != Command::Kind::Dump) {
            emit(where(line.number) + "cannot read: the program has ended (END or close); only "
                                      "expect and dump may follow");
            ++tally.failed;
            break;
        }
        switch (command.kind) {
        case Command::Kind::Click:
        case Command::Kind::Type: {
            if (qrb::layout::findLine(text8(command.control)) != nullptr) {
                break; // a drawn line takes no clicks
            }
            HWND target = run.handleOf(command.control);
            if (target == nullptr) {
                emit(where(line.number) + "expected a control named " + text8(command.control) +
                     " in the window, got none");
                ++tally.failed;
                break;
            }
            run.click(target);
            if (command.kind == Command::Kind::Type) {
                run.keys(command.text);
            }
            break;
        }
        case Command::Kind::Keys:
            run.keys(command.text);
            break;
        case Command::Kind::Paste:
            run.paste(command.text);
            break;
        case Command::Kind::Close:
            run.close();
            break;
        case Command::Kind::Expect: {
            const Observed seen = probe.read(command.target);
            if (seen.value && matches(command.value, *seen.value)) {
                ++tally.passed;
            } else {
                emit(where(line.number) + "expected " + text8(render(command.value)) + ", got " +
                     text8(seen.render()));
                ++tally.failed;
            }
            break;
        }
        case Command::Kind::Dump:
            emit(where(line.number) + "dump");
            probe.dump(emit);
            break;
        }
    }
    if (!jobsFile.empty()) {
        writeJobs(run.jobs());
    }
    return true;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    int first = 1;
    for (; first < argc; ++first) {
        const std::wstring_view option = argv[first];
        if (option == L"--printer") {
            toPrinter = true;
        } else if (option == L"--jobs" && first + 1 < argc) {
            jobsFile = argv[++first];
        } else {
            break;
        }
    }
    if (first >= argc) {
        std::fputs("usage: qrb-scenario [--printer] [--jobs FILE] FILE...\n", stderr);
        return 2;
    }
    Tally tally;
    bool cannotOpen = false;
    for (int i = first; i < argc; ++i) {
        if (!runFile(argv[i], tally)) {
            cannotOpen = true;
        }
    }
    emit(std::to_string(tally.passed) + " passed, " + std::to_string(tally.failed) + " failed");
    if (cannotOpen) {
        return 2;
    }
    return tally.failed > 0 ? 1 : 0;
}
