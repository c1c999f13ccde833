// SPDX-License-Identifier: GPL-3.0-or-later
#include "app-win/telvor_win.h"

// windows.h before the other Windows headers, which need its types.
// clang-format off
#include <windows.h>
// clang-format on
#include <algorithm>
#include <commctrl.h>
#include <initguid.h>
#include <objbase.h>
#include <oleacc.h>
#include <string_view>

namespace qrb::win {

namespace {

using layout::Id;
using layout::Kind;

constexpr wchar_t kWindowClass[] = L"QrbPunkteTelvor";
constexpr wchar_t kNoteClass[] = L"QrbPunkteDruckNotiz";
constexpr UINT_PTR kControlIdBase = 100;
constexpr UINT_PTR kNoteTimer = 1;
// Long enough to read a sentence twice.
constexpr UINT kNoteShownMs = 10000;
constexpr int kNoteWidestPixels = 320;

std::wstring wide(std::u16string_view text) {
    return {text.begin(), text.end()};
}

std::wstring wide(std::string_view text) {
    return {text.begin(), text.end()};
}

std::wstring windowText(HWND hwnd) {
    const int length = GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int got = GetWindowTextW(hwnd, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(std::max(got, 0)));
    return text;
}

} // namespace

TelvorWindow::TelvorWindow(HINSTANCE instance, PrintFunction print, std::function<void()> ended)
    : instance_(instance), print_(std::move(print)), ended_(std::move(ended)) {}

TelvorWindow::~TelvorWindow() {
    // The printing thread posts to the window: it ends first.
    prints_.reset();
    if (note_ != nullptr) {
        DestroyWindow(note_);
    }
    if (window_ != nullptr) {
        DestroyWindow(window_);
    }
    for (const auto& [key, font] : fonts_) {
        DeleteObject(font);
    }
    for (const auto& [colour, brush] : brushes_) {
        DeleteObject(brush);
    }
}

bool TelvorWindow::open(int show) {
    INITCOMMONCONTROLSEX common{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&common);

    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &TelvorWindow::windowProc;
    windowClass.hInstance = instance_;
    windowClass.hIcon = LoadIconW(instance_, MAKEINTRESOURCEW(1));
    windowClass.hIconSm = windowClass.hIcon;
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)); // IDC_ARROW
    windowClass.lpszClassName = kWindowClass;
    RegisterClassExW(&windowClass);

    WNDCLASSEXW noteClass{};
    noteClass.cbSize = sizeof(noteClass);
    noteClass.lpfnWndProc = &TelvorWindow::noteProc;
    noteClass.hInstance = instance_;
    noteClass.hCursor = windowClass.hCursor;
    noteClass.lpszClassName = kNoteClass;
    RegisterClassExW(&noteClass);

    constexpr DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    window_ =
        CreateWindowExW(0, kWindowClass, wide(layout::kWindow.caption).c_str(), style,
                        CW_USEDEFAULT, CW_USEDEFAULT, 100, 100, nullptr, nullptr, instance_, this);
    if (window_ == nullptr) {
        return false;
    }
    dpi_ = GetDpiForWindow(window_);
    if (dpi_ == 0) {
        dpi_ = 96;
    }
    RECT frame{0, 0, px(layout::kWindow.width), px(layout::kWindow.height)};
    AdjustWindowRectExForDpi(&frame, style, FALSE, 0, dpi_);
    SetWindowPos(window_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

    createControls();
    makeFonts();
    placeAll();
    addTooltips();
    nameForScreenReaders();
    prints_ = std::make_unique<PrintQueue>(print_, window_);

    ShowWindow(window_, show);
    UpdateWindow(window_);
    apply(session_.start());
    return true;
}

int TelvorWindow::px(int twips) const {
    return layout::pixels(twips, static_cast<int>(dpi_));
}

std::uint32_t TelvorWindow::backColor(Id id) const {
    return session_.state(id).backColor;
}

void TelvorWindow::waitForPrints() {
    if (prints_) {
        prints_->waitIdle();
    }
}

void TelvorWindow::createControls() {
    for (const layout::Control& c : layout::controls()) {
        const ControlState& state = session_.state(c.id);
        const wchar_t* windowClass = L"STATIC";
        DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
        DWORD exStyle = 0;
        std::wstring text = wide(state.caption);
        switch (c.kind) {
        case Kind::Label:
            // One line: the layout gives the label the room its caption needs.
            style |= SS_LEFTNOWORDWRAP | SS_NOPREFIX;
            break;
        case Kind::CommandButton:
            windowClass = L"BUTTON";
            style |= BS_OWNERDRAW | WS_TABSTOP;
            break;
        case Kind::List:
            windowClass = L"LISTBOX";
            style |= LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP;
            exStyle = WS_EX_CLIENTEDGE;
            text = wide(c.accessible);
            break;
        case Kind::TextField:
        case Kind::DisplayField:
            windowClass = L"EDIT";
            style |= ES_AUTOHSCROLL | WS_TABSTOP;
            style |= layout::centred(c.kind) ? ES_CENTER : ES_LEFT;
            if (c.kind == Kind::DisplayField) {
                style |= ES_READONLY;
            }
            exStyle = WS_EX_CLIENTEDGE;
            text = wide(state.text);
            break;
        case Kind::Frame:
            windowClass = L"BUTTON";
            style |= BS_GROUPBOX;
            break;
        case Kind::OptionButton:
            windowClass = L"BUTTON";
            // Not an automatic option button: the session decides which is on.
            style |= BS_RADIOBUTTON | WS_TABSTOP;
            break;
        }
        if (state.visible) {
            style |= WS_VISIBLE;
        }
        if (!state.enabled) {
            style |= WS_DISABLED;
        }
        const UINT_PTR number = kControlIdBase + layout::index(c.id);
        HWND hwnd = CreateWindowExW(exStyle, windowClass, text.c_str(), style, 0, 0, 10, 10,
                                    window_, reinterpret_cast<HMENU>(number), instance_, nullptr);
        controls_[layout::index(c.id)] = hwnd;
        SetWindowSubclass(hwnd, &TelvorWindow::controlProc, number,
                          reinterpret_cast<DWORD_PTR>(this));
        if (c.kind == Kind::OptionButton) {
            SendMessageW(hwnd, BM_SETCHECK, state.checked ? BST_CHECKED : BST_UNCHECKED, 0);
        }
    }
    // A new child window lies below the ones made before it: the controls
    // that lie above an earlier one are lifted.
    for (const Id id : layout::raised()) {
        SetWindowPos(control(id), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

HFONT TelvorWindow::font(std::string_view face, double points) {
    const int height = -layout::fontPixels(points, static_cast<int>(dpi_));
    const auto key = std::make_pair(std::string(face), height);
    if (const auto found = fonts_.find(key); found != fonts_.end()) {
        return found->second;
    }
    // The family tells a system without the face which to take instead: a
    // fixed pitch keeps the log's columns under their names.
    const DWORD family =
        face == "Courier New" ? FIXED_PITCH | FF_MODERN : VARIABLE_PITCH | FF_SWISS;
    HFONT made = CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, family,
                             wide(face).c_str());
    fonts_.emplace(key, made);
    return made;
}

HBRUSH TelvorWindow::brush(std::uint32_t colour) {
    if (const auto found = brushes_.find(colour); found != brushes_.end()) {
        return found->second;
    }
    HBRUSH made = CreateSolidBrush(colour);
    brushes_.emplace(colour, made);
    return made;
}

void TelvorWindow::makeFonts() {
    windowFont_ = font(layout::kWindow.fontFace, layout::kWindow.fontSize);
    for (const layout::Control& c : layout::controls()) {
        SendMessageW(control(c.id), WM_SETFONT,
                     reinterpret_cast<WPARAM>(font(c.fontFace, c.fontSize)), TRUE);
    }
}

// Every control at its place at the window's dpi; a label where the layout
// puts it for the width its caption takes in its font.
void TelvorWindow::placeAll() {
    for (const layout::Control& c : layout::controls()) {
        layout::Rect at = layout::placeInWindow(c.id);
        at = {px(at.left), px(at.top), px(at.width), px(at.height)};
        if (c.kind == Kind::Label) {
            HWND label = control(c.id);
            HDC dc = GetDC(label);
            HGDIOBJ old = SelectObject(dc, font(c.fontFace, c.fontSize));
            const std::wstring caption = windowText(label);
            SIZE extent{};
            GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &extent);
            SelectObject(dc, old);
            ReleaseDC(label, dc);
            // The ink of the last letter may reach one pixel past its advance.
            at = layout::labelPixels(c.id, extent.cx + 1, static_cast<int>(dpi_));
        }
        SetWindowPos(control(c.id), nullptr, at.left, at.top, at.width, at.height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    InvalidateRect(window_, nullptr, TRUE);
}

void TelvorWindow::addTooltips() {
    tooltip_ =
        CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                        WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr, instance_, nullptr);
    for (const layout::Control& c : layout::controls()) {
        if (c.tooltip.empty()) {
            continue;
        }
        std::wstring text = wide(c.tooltip);
        TOOLINFOW tool{};
        tool.cbSize = TTTOOLINFOW_V2_SIZE;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = window_;
        tool.uId = reinterpret_cast<UINT_PTR>(control(c.id));
        tool.lpszText = text.data(); // the tooltip keeps its own copy
        SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

// Screen readers name a field by the label before it, as Windows does for
// every edit field after a static text; every control also gets its name and
// its tooltip as description through the accessibility annotations.
void TelvorWindow::nameForScreenReaders() {
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IAccPropServices* services = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IAccPropServices, reinterpret_cast<void**>(&services)))) {
        for (const layout::Control& c : layout::controls()) {
            if (!c.accessible.empty()) {
                const std::wstring name = wide(c.accessible);
                services->SetHwndPropStr(control(c.id), static_cast<DWORD>(OBJID_CLIENT),
                                         CHILDID_SELF, PROPID_ACC_NAME, name.c_str());
            }
            if (!c.tooltip.empty()) {
                const std::wstring description = wide(c.tooltip);
                services->SetHwndPropStr(control(c.id), static_cast<DWORD>(OBJID_CLIENT),
                                         CHILDID_SELF, PROPID_ACC_DESCRIPTION, description.c_str());
            }
        }
        services->Release();
    }
    if (SUCCEEDED(com)) {
        CoUninitialize();
    }
}

std::optional<Id> TelvorWindow::idOf(HWND hwnd) const {
    const auto found = std::find(controls_.begin(), controls_.end(), hwnd);
    if (hwnd == nullptr || found == controls_.end()) {
        return std::nullopt;
    }
    return static_cast<Id>(found - controls_.begin());
}

bool TelvorWindow::takeMessage(const MSG& message) {
    if (window_ == nullptr || message.message != WM_KEYDOWN || message.wParam != VK_TAB) {
        return false;
    }
    if (message.hwnd != window_ && !IsChild(window_, message.hwnd)) {
        return false;
    }
    apply(session_.tab(GetKeyState(VK_SHIFT) < 0));
    return true;
}

void TelvorWindow::apply(const Changes& changes) {
    ++applying_;
    for (const layout::Control& c : layout::controls()) {
        if (changes.changed(c.id)) {
            applyControl(c.id);
        }
        const std::size_t added = changes.appended[layout::index(c.id)];
        if (added > 0) {
            const std::vector<std::u16string>& lines = session_.lines(c.id);
            for (std::size_t i = lines.size() - std::min(added, lines.size()); i < lines.size();
                 ++i) {
                const std::wstring line = wide(lines[i]);
                SendMessageW(control(c.id), LB_ADDSTRING, 0,
                             reinterpret_cast<LPARAM>(line.c_str()));
            }
        }
    }
    applyFocus();
    --applying_;
    if (changes.print) {
        // A note about an earlier print would now speak of this one.
        hideNote();
        prints_->add(*changes.print);
    }
    if (changes.ended) {
        ended_();
    }
}

void TelvorWindow::applyControl(Id id) {
    const layout::Control& c = layout::control(id);
    const ControlState& state = session_.state(id);
    HWND hwnd = control(id);
    const bool field = c.kind == Kind::TextField || c.kind == Kind::DisplayField;
    const std::wstring text = wide(field ? state.text : state.caption);
    if (c.kind != Kind::List && windowText(hwnd) != text) {
        SetWindowTextW(hwnd, text.c_str());
    }
    if (c.kind == Kind::TextField) {
        const Caret& caret = state.caret;
        if (caret.selectionLength > 0) {
            SendMessageW(hwnd, EM_SETSEL, static_cast<WPARAM>(caret.selectionStart),
                         caret.selectionStart + caret.selectionLength);
        } else {
            SendMessageW(hwnd, EM_SETSEL, static_cast<WPARAM>(caret.cursor), caret.cursor);
        }
    }
    if (c.kind == Kind::OptionButton) {
        SendMessageW(hwnd, BM_SETCHECK, state.checked ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    if ((IsWindowEnabled(hwnd) != FALSE) != state.enabled) {
        EnableWindow(hwnd, state.enabled ? TRUE : FALSE);
    }
    const bool shown = (GetWindowLongW(hwnd, GWL_STYLE) & WS_VISIBLE) != 0;
    if (shown != state.visible) {
        ShowWindow(hwnd, state.visible ? SW_SHOWNA : SW_HIDE);
    }
    InvalidateRect(hwnd, nullptr, TRUE);
}

void TelvorWindow::applyFocus() {
    const std::optional<Id> focus = session_.focus();
    HWND want = focus ? control(*focus) : window_;
    if (GetFocus() != want) {
        SetFocus(want);
        // A field the window moves the focus to shows the cursor and
        // selection the session gave it (its whole text when entered so).
        if (focus && layout::control(*focus).kind == Kind::TextField) {
            const Caret& caret = session_.state(*focus).caret;
            const int from = caret.selectionLength > 0 ? caret.selectionStart : caret.cursor;
            const int to = caret.selectionLength > 0 ? caret.selectionStart + caret.selectionLength
                                                     : caret.cursor;
            SendMessageW(want, EM_SETSEL, static_cast<WPARAM>(from), to);
        }
    }
}

LRESULT CALLBACK TelvorWindow::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<TelvorWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self == nullptr || self->window_ != hwnd) {
        if (self != nullptr && message == WM_NCCREATE) {
            self->window_ = hwnd;
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    return self->handle(message, wParam, lParam);
}

LRESULT TelvorWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND: {
        const UINT_PTR number = LOWORD(wParam);
        if (number >= kControlIdBase && number < kControlIdBase + layout::kControlCount) {
            command(static_cast<Id>(number - kControlIdBase), HIWORD(wParam));
        }
        return 0;
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
        return colorControl(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_DRAWITEM:
        drawButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_ERASEBKGND: {
        RECT area;
        GetClientRect(window_, &area);
        FillRect(reinterpret_cast<HDC>(wParam), &area, brush(layout::kWindow.backColor));
        return 1;
    }
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window_, &paint);
        paintLines(dc, false);
        EndPaint(window_, &paint);
        return 0;
    }
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(windowFont_);
    case WM_SETFOCUS:
        // Coming back to the window, the focus goes back to its control.
        if (applying_ == 0) {
            ++applying_;
            applyFocus();
            --applying_;
        }
        return 0;
    case WM_CLOSE:
        apply(session_.close());
        return 0;
    case kPrintDone:
        printed(wParam != 0);
        return 0;
    case WM_DPICHANGED: {
        dpi_ = HIWORD(wParam);
        const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(window_, nullptr, suggested->left, suggested->top,
                     suggested->right - suggested->left, suggested->bottom - suggested->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        makeFonts();
        placeAll();
        return 0;
    }
    default:
        return DefWindowProcW(window_, message, wParam, lParam);
    }
}

LRESULT CALLBACK TelvorWindow::controlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                           UINT_PTR id, DWORD_PTR self) {
    auto* window = reinterpret_cast<TelvorWindow*>(self);
    return window->handleControl(hwnd, static_cast<Id>(id - kControlIdBase), message, wParam,
                                 lParam);
}

LRESULT TelvorWindow::handleControl(HWND hwnd, Id id, UINT message, WPARAM wParam, LPARAM lParam) {
    const Kind kind = layout::control(id).kind;
    switch (message) {
    case WM_CHAR:
        // The entry fields see each key before it goes in: the session takes
        // it and writes the field's new text itself, or it goes nowhere, or
        // it is the field's own (a shortcut that copies or pastes).
        if (kind != Kind::TextField) {
            break;
        }
        switch (routeKey(static_cast<char16_t>(wParam))) {
        case KeyRoute::Field:
            break;
        case KeyRoute::Dropped:
            return 0;
        case KeyRoute::Session: {
            DWORD start = 0;
            DWORD end = 0;
            SendMessageW(hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                         reinterpret_cast<LPARAM>(&end));
            const Caret caret{static_cast<int>(end), static_cast<int>(start),
                              static_cast<int>(end - start)};
            apply(session_.key(id, static_cast<char16_t>(wParam), caret));
            return 0;
        }
        }
        break;
    case WM_SETFOCUS: {
        const bool was = focusingOption_;
        focusingOption_ = kind == Kind::OptionButton;
        const LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
        focusingOption_ = was;
        if (applying_ == 0) {
            apply(session_.focusMoved(id, false));
        }
        return result;
    }
    case WM_ERASEBKGND:
        if (kind == Kind::Frame) {
            RECT area;
            GetClientRect(hwnd, &area);
            FillRect(reinterpret_cast<HDC>(wParam), &area, brush(backColor(id)));
            return 1;
        }
        break;
    case WM_PAINT:
        if (kind == Kind::Frame) {
            // The line inside the frame is drawn over the frame's own face.
            const LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
            HDC dc = GetDC(hwnd);
            paintLines(dc, true);
            ReleaseDC(hwnd, dc);
            return result;
        }
        break;
    case WM_NCDESTROY:
        RemoveWindowSubclass(hwnd, &TelvorWindow::controlProc, kControlIdBase + layout::index(id));
        break;
    default:
        break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

void TelvorWindow::command(Id id, WORD code) {
    const Kind kind = layout::control(id).kind;
    // A quick second click on a button is reported as a double click; it is
    // a click all the same.
    const bool clicked = code == BN_CLICKED || code == BN_DOUBLECLICKED;
    if (clicked && (kind == Kind::CommandButton || kind == Kind::OptionButton)) {
        if (kind == Kind::OptionButton && focusingOption_) {
            return; // taking the focus is no click
        }
        apply(session_.click(id));
    } else if (code == EN_CHANGE && kind == Kind::TextField && applying_ == 0) {
        // Changed without a key of the filter: a paste, Delete, undo.
        HWND hwnd = control(id);
        DWORD start = 0;
        DWORD end = 0;
        SendMessageW(hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                     reinterpret_cast<LPARAM>(&end));
        const std::wstring text = windowText(hwnd);
        apply(session_.edited(
            id, std::u16string(text.begin(), text.end()),
            Caret{static_cast<int>(end), static_cast<int>(start), static_cast<int>(end - start)}));
    }
}

LRESULT TelvorWindow::colorControl(HDC dc, HWND hwnd) {
    const std::optional<Id> id = idOf(hwnd);
    const std::uint32_t colour = id ? backColor(*id) : layout::kWindow.backColor;
    SetBkColor(dc, colour);
    SetBkMode(dc, OPAQUE);
    return reinterpret_cast<LRESULT>(brush(colour));
}

void TelvorWindow::drawButton(const DRAWITEMSTRUCT& item) {
    const std::optional<Id> id = idOf(item.hwndItem);
    if (!id) {
        return;
    }
    HDC dc = item.hDC;
    RECT area = item.rcItem;
    FillRect(dc, &area, brush(backColor(*id)));
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    DrawEdge(dc, &area, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    const std::wstring caption = windowText(item.hwndItem);
    HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(item.hwndItem, WM_GETFONT, 0, 0)));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc,
                 (item.itemState & ODS_DISABLED) != 0 ? GetSysColor(COLOR_GRAYTEXT) : RGB(0, 0, 0));
    RECT text = area;
    if (pressed) {
        OffsetRect(&text, 1, 1);
    }
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, old);
    if ((item.itemState & ODS_FOCUS) != 0) {
        RECT ring = area;
        InflateRect(&ring, -3, -3);
        DrawFocusRect(dc, &ring);
    }
}

std::array<int, 4> TelvorWindow::linePixels(const layout::Line& line) const {
    return {px(line.x1), px(line.y1), px(line.x2), px(line.y2)};
}

void TelvorWindow::paintLines(HDC dc, bool insideFrame) {
    // One pixel across at 100 %, wider as the scale grows, filled rather
    // than stroked so that no scale loses it between two device pixels.
    const int thick = std::max(1, px(15));
    for (const layout::Line& line : layout::lines()) {
        if (line.parent.has_value() != insideFrame) {
            continue;
        }
        const auto [x1, y1, x2, y2] = linePixels(line);
        RECT stroke{std::min(x1, x2), std::min(y1, y2), std::max(x1, x2) + thick,
                    std::max(y1, y2) + thick};
        FillRect(dc, &stroke, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    }
}

void TelvorWindow::printed(bool ok) {
    if (ok || prints_ == nullptr) {
        return;
    }
    showNote(wide(printFailureNote(prints_->takeFailure())));
}

void TelvorWindow::showNote(const std::wstring& text) {
    if (note_ == nullptr) {
        note_ =
            CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kNoteClass, L"",
                            WS_POPUP | WS_BORDER, 0, 0, 10, 10, window_, nullptr, instance_, this);
        SetWindowLongPtrW(note_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    SetWindowTextW(note_, text.c_str());
    HDC dc = GetDC(note_);
    HGDIOBJ old = SelectObject(dc, font("Arial", 8.25));
    const int margin = MulDiv(4, static_cast<int>(dpi_), 96);
    RECT measure{0, 0, MulDiv(kNoteWidestPixels, static_cast<int>(dpi_), 96) - 2 * margin, 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &measure,
              DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, old);
    ReleaseDC(note_, dc);
    const int width = measure.right + 2 * margin + 2;
    const int height = measure.bottom + 2 * margin + 2;
    RECT button;
    GetWindowRect(control(Id::DRU), &button);
    SetWindowPos(note_, HWND_TOPMOST, button.right - width, button.bottom + 2, width, height,
                 SWP_NOACTIVATE | SWP_SHOWWINDOW);
    InvalidateRect(note_, nullptr, TRUE);
    SetTimer(note_, kNoteTimer, kNoteShownMs, nullptr);
    // A screen reader says it aloud.
    NotifyWinEvent(EVENT_SYSTEM_ALERT, note_, OBJID_CLIENT, CHILDID_SELF);
}

void TelvorWindow::hideNote() {
    if (note_ != nullptr) {
        KillTimer(note_, kNoteTimer);
        ShowWindow(note_, SW_HIDE);
    }
}

LRESULT CALLBACK TelvorWindow::noteProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<TelvorWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (message) {
    case WM_TIMER:
    case WM_LBUTTONDOWN:
        if (self != nullptr) {
            self->hideNote();
        }
        return 0;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(hwnd, &paint);
        RECT area;
        GetClientRect(hwnd, &area);
        if (self != nullptr) {
            FillRect(dc, &area, self->brush(layout::kLightYellow));
        }
        if (self != nullptr) {
            const std::wstring text = windowText(hwnd);
            HGDIOBJ old = SelectObject(dc, self->font("Arial", 8.25));
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
            const int margin = MulDiv(4, static_cast<int>(self->dpi_), 96);
            InflateRect(&area, -margin, -margin);
            DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &area,
                      DT_WORDBREAK | DT_NOPREFIX);
            SelectObject(dc, old);
        }
        EndPaint(hwnd, &paint);
        return 0;
    }
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

} // namespace qrb::win
