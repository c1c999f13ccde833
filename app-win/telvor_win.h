// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The Win32 window TELVOR: a thin view over the window session. It builds
// the native controls from the layout table, hands every key, click and
// focus move to the session and applies what the session changed.

#include "app-win/print_queue.h"
#include "session/layout.h"
#include "session/window_session.h"

// windows.h before the other Windows headers, which need its types.
// clang-format off
#include <windows.h>
// clang-format on
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace qrb::win {

class TelvorWindow {
public:
    // `print` prints DRU's jobs (on a thread of its own); `ended` is called
    // once END or the close button has ended the program.
    TelvorWindow(HINSTANCE instance, PrintFunction print, std::function<void()> ended);
    ~TelvorWindow();
    TelvorWindow(const TelvorWindow&) = delete;
    TelvorWindow& operator=(const TelvorWindow&) = delete;

    // Creates the window and its controls, shows it and runs the start
    // sequence. False when the window could not be created.
    bool open(int show);

    // Keys that move between controls (Tab, Shift+Tab) are the window's,
    // not the focused control's: a message loop offers every message here
    // first and leaves out the ones taken.
    bool takeMessage(const MSG& message);

    HWND handle() const { return window_; }
    HWND control(layout::Id id) const { return controls_[layout::index(id)]; }
    HWND printNote() const { return note_; }
    const WindowSession& session() const { return session_; }
    // The background colour the control is painted with (0x00BBGGRR).
    std::uint32_t backColor(layout::Id id) const;
    UINT dpi() const { return dpi_; }
    // Where a drawn line lies, in pixels of its parent: x1 y1 x2 y2.
    std::array<int, 4> linePixels(const layout::Line& line) const;
    // Waits until every print job handed over is done (for tests).
    void waitForPrints();

private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK controlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                        UINT_PTR id, DWORD_PTR self);
    static LRESULT CALLBACK noteProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleControl(HWND hwnd, layout::Id id, UINT message, WPARAM wParam, LPARAM lParam);

    void createControls();
    void placeAll();
    void makeFonts();
    void addTooltips();
    void nameForScreenReaders();
    void apply(const Changes& changes);
    void applyControl(layout::Id id);
    void applyFocus();
    int px(int twips) const;
    HFONT font(std::string_view face, double points);
    HBRUSH brush(std::uint32_t colour);
    LRESULT colorControl(HDC dc, HWND hwnd);
    void drawButton(const DRAWITEMSTRUCT& item);
    void paintLines(HDC dc, bool insideFrame);
    void command(layout::Id id, WORD code);
    void printed(bool ok);
    void showNote(const std::wstring& text);
    void hideNote();
    std::optional<layout::Id> idOf(HWND hwnd) const;

    HINSTANCE instance_;
    WindowSession session_;
    HWND window_ = nullptr;
    std::array<HWND, layout::kControlCount> controls_{};
    HWND tooltip_ = nullptr;
    HWND note_ = nullptr;
    UINT dpi_ = 96;
    std::map<std::pair<std::string, int>, HFONT> fonts_;
    std::map<std::uint32_t, HBRUSH> brushes_;
    HFONT windowFont_ = nullptr;
    // Set while the view itself changes controls, so that their echoes (a
    // focus or text change) are not taken for what the user did.
    int applying_ = 0;
    // Set while an option button takes the focus: a classic option button
    // reports that as a click, which is not one.
    bool focusingOption_ = false;
    PrintFunction print_;
    std::function<void()> ended_;
    std::unique_ptr<PrintQueue> prints_;
};

} // namespace qrb::win
