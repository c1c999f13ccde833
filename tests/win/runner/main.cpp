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
// --jobs FILE writes the lines of the jobs to FILE; --look checks the window
// as drawn after each file (class Look), each check counted as an
// expectation.
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
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
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

struct Tally {
    int passed = 0;
    int failed = 0;
};

// ---- The window as drawn (--look) ---------------------------------------------

// The window's client area as it is on the screen.
class Picture {
public:
    explicit Picture(HWND window) {
        RECT client;
        GetClientRect(window, &client);
        width_ = client.right;
        height_ = client.bottom;
        HDC screen = GetDC(window);
        grab(screen, 0, 0);
        ReleaseDC(window, screen);
    }
    // `text` drawn alone in `font` on the window's grey, at the left.
    Picture(HFONT font, const std::wstring& text) {
        HDC screen = GetDC(nullptr);
        HDC dc = CreateCompatibleDC(screen);
        HGDIOBJ old = SelectObject(dc, font);
        SIZE extent{};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
        width_ = extent.cx * 2 + 40;
        height_ = extent.cy * 2 + 20;
        HBITMAP bitmap = nullptr;
        void* bits = dib(dc, bitmap);
        HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
        RECT all{0, 0, width_, height_};
        HBRUSH grey = CreateSolidBrush(qrb::layout::kGrey);
        FillRect(dc, &all, grey);
        DeleteObject(grey);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(0, 0, 0));
        RECT at{20, 10, width_, height_};
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &at,
                  DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
        GdiFlush();
        copy(bits);
        SelectObject(dc, oldBitmap);
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
        ReleaseDC(nullptr, screen);
    }

    RECT all() const { return {0, 0, width_, height_}; }

    // Dark enough to be text or a drawn line on any of the window's colours.
    bool ink(int x, int y) const {
        if (x < 0 || y < 0 || x >= width_ || y >= height_) {
            return false;
        }
        const std::uint32_t p = pixels_[static_cast<std::size_t>(y) * width_ + x];
        const unsigned grey =
            (((p >> 16U) & 0xFFU) * 11 + ((p >> 8U) & 0xFFU) * 16 + (p & 0xFFU) * 5) / 32;
        return grey < 0x70;
    }

    // The first and last column inside `r` that hold ink, or none.
    std::optional<std::pair<int, int>> inkColumns(const RECT& r) const {
        std::optional<std::pair<int, int>> found;
        for (int x = r.left; x < r.right; ++x) {
            for (int y = r.top; y < r.bottom; ++y) {
                if (ink(x, y)) {
                    found = std::pair{found ? found->first : x, x};
                    break;
                }
            }
        }
        return found;
    }

    int inkWidth(const RECT& r) const {
        const auto columns = inkColumns(r);
        return columns ? columns->second - columns->first + 1 : 0;
    }

private:
    void* dib(HDC dc, HBITMAP& bitmap) const {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width_;
        info.bmiHeader.biHeight = -height_; // top row first
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        return bits;
    }

    void grab(HDC source, int x, int y) {
        HDC dc = CreateCompatibleDC(source);
        HBITMAP bitmap = nullptr;
        void* bits = dib(dc, bitmap);
        HGDIOBJ old = SelectObject(dc, bitmap);
        BitBlt(dc, 0, 0, width_, height_, source, x, y, SRCCOPY);
        GdiFlush();
        copy(bits);
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }

    void copy(const void* bits) {
        const auto* from = static_cast<const std::uint32_t*>(bits);
        pixels_.assign(from, from + static_cast<std::size_t>(width_) * height_);
    }

    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint32_t> pixels_;
};

// Checks the window as drawn at its dpi: every caption whole on one line, in
// a label that lies over no other control and no drawn line; ink along every
// drawn line where the layout puts it; the numbers of SU and PANZ centred.
class Look {
public:
    Look(Run& run, std::string where, Tally& tally)
        : run_(run), where_(std::move(where)), tally_(tally) {}

    void check() {
        HWND window = run_.window().handle();
        // Nothing of the pointer's on top: no tooltip, no pressed look.
        SetCursorPos(0, 0);
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND candidate, LPARAM) {
                wchar_t name[64]{};
                GetClassNameW(candidate, name, 64);
                if (std::wstring_view(name) == TOOLTIPS_CLASSW) {
                    SendMessageW(candidate, TTM_POP, 0, 0);
                }
                return TRUE;
            },
            0);
        RedrawWindow(window, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        run_.settle(false);
        picture_ = std::make_unique<Picture>(window);
        for (const qrb::layout::Control& c : qrb::layout::controls()) {
            if (c.kind == Kind::Label) {
                captionWhole(c.id);
            }
        }
        for (const qrb::layout::Line& line : qrb::layout::lines()) {
            lineDrawn(line);
        }
        for (const Id id : {Id::SU, Id::PANZ}) {
            numberCentred(id);
        }
    }

private:
    void verdict(bool ok, const std::string& failure) {
        if (ok) {
            ++tally_.passed;
        } else {
            emit(where_ + "look: " + failure);
            ++tally_.failed;
        }
    }

    // A control's rectangle in the window's client pixels.
    RECT placed(HWND hwnd, bool client = false) const {
        RECT r;
        if (client) {
            GetClientRect(hwnd, &r);
            MapWindowPoints(hwnd, run_.window().handle(), reinterpret_cast<POINT*>(&r), 2);
        } else {
            GetWindowRect(hwnd, &r);
            MapWindowPoints(HWND_DESKTOP, run_.window().handle(), reinterpret_cast<POINT*>(&r), 2);
        }
        return r;
    }

    // A drawn line's stroke in the window's client pixels.
    RECT stroke(const qrb::layout::Line& line) const {
        auto [x1, y1, x2, y2] = run_.window().linePixels(line);
        if (line.parent) {
            const RECT outer = placed(run_.window().control(*line.parent));
            x1 += outer.left;
            x2 += outer.left;
            y1 += outer.top;
            y2 += outer.top;
        }
        const int thick = std::max(1, MulDiv(15, static_cast<int>(run_.window().dpi()), 1440));
        return {std::min(x1, x2), std::min(y1, y2), std::max(x1, x2) + thick,
                std::max(y1, y2) + thick};
    }

    void captionWhole(Id id) {
        const std::string name(qrb::layout::control(id).name);
        HWND label = run_.window().control(id);
        const RECT at = placed(label);
        for (const qrb::layout::Control& other : qrb::layout::controls()) {
            HWND hwnd = run_.window().control(other.id);
            RECT overlap;
            const RECT there = placed(hwnd);
            if (other.id != id && IsWindowVisible(hwnd) && IntersectRect(&overlap, &at, &there)) {
                verdict(false, name + " lies over " + std::string(other.name));
            }
        }
        for (const qrb::layout::Line& line : qrb::layout::lines()) {
            RECT overlap;
            const RECT drawn = stroke(line);
            if (IntersectRect(&overlap, &at, &drawn)) {
                verdict(false, name + " lies over " + std::string(line.name));
            }
        }
        const std::wstring caption = windowText(label);
        auto* font = reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0));
        const Picture alone(font, caption);
        const int free = alone.inkWidth(alone.all());
        const int shown = picture_->inkWidth(at);
        verdict(free > 0 && std::abs(shown - free) <= 1, name + " shows " + std::to_string(shown) +
                                                             " pixels of ink, drawn alone " +
                                                             std::to_string(free));
    }

    // Ink across every pixel along the line, its ends aside.
    void lineDrawn(const qrb::layout::Line& line) {
        const RECT r = stroke(line);
        const bool across = r.right - r.left > r.bottom - r.top;
        const int from = (across ? r.left : r.top) + 2;
        const int to = (across ? r.right : r.bottom) - 3;
        for (int along = from; along <= to; ++along) {
            bool ink = false;
            for (int off = (across ? r.top : r.left) - 1;
                 off <= (across ? r.bottom : r.right) && !ink; ++off) {
                ink = across ? picture_->ink(along, off) : picture_->ink(off, along);
            }
            if (!ink) {
                verdict(false, std::string(line.name) + " has no ink at pixel " +
                                   std::to_string(along) + " along it");
                return;
            }
        }
        verdict(to > from, std::string(line.name) + " is too short to see");
    }

    // The ink of the number stands as far from the left edge as from the
    // right, the blanks before and after it counted as part of the text.
    void numberCentred(Id id) {
        HWND field = run_.window().control(id);
        const std::wstring text = windowText(field);
        if (text.find_first_not_of(L' ') == std::wstring::npos) {
            return;
        }
        const std::string name(qrb::layout::control(id).name);
        const RECT inside = placed(field, true);
        const auto columns = picture_->inkColumns(inside);
        if (!columns) {
            verdict(false, name + " shows no ink for \"" + utf8(fromWide(text)) + "\"");
            return;
        }
        HDC dc = GetDC(field);
        HGDIOBJ old =
            SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(field, WM_GETFONT, 0, 0)));
        const auto width = [dc](std::size_t count) {
            SIZE extent{};
            const std::wstring blanks(count, L' ');
            GetTextExtentPoint32W(dc, blanks.c_str(), static_cast<int>(count), &extent);
            return static_cast<int>(extent.cx);
        };
        const int before = width(text.find_first_not_of(L' '));
        const int after = width(text.size() - 1 - text.find_last_not_of(L' '));
        SelectObject(dc, old);
        ReleaseDC(field, dc);
        const int left = columns->first - inside.left - before;
        const int right = inside.right - 1 - columns->second - after;
        // The letters' side bearings differ by a pixel or two.
        const int tolerance = 2 + static_cast<int>(run_.window().dpi()) / 96;
        verdict(std::abs(left - right) <= tolerance,
                name + " shows \"" + utf8(fromWide(text)) + "\" " + std::to_string(left) +
                    " pixels from the left and " + std::to_string(right) + " from the right");
    }

    Run& run_;
    std::string where_;
    Tally& tally_;
    std::unique_ptr<Picture> picture_;
};

// ---- Files -------------------------------------------------------------------

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

// With --look, the window as drawn is checked after each file.
bool lookCheck = false;

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
    if (lookCheck && !run.ended()) {
        Look(run, shown + ": ", tally).check();
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
        } else if (option == L"--look") {
            lookCheck = true;
        } else {
            break;
        }
    }
    if (first >= argc) {
        std::fputs("usage: qrb-scenario [--printer] [--jobs FILE] [--look] FILE...\n", stderr);
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
