// SPDX-License-Identifier: GPL-3.0-or-later
// qrb-punkte.exe: the window TELVOR on Windows. DRU prints to the default
// printer through the Windows printing API.
#include "app-win/telvor_win.h"
#include "output/win/win_printer.h"

#include <windows.h>

namespace {

std::string printToDefaultPrinter(const qrb::PrintJob& job) {
    qrb::WinPrinter printer("qrb-punkte");
    printer.setFontFace(job.fontFace);
    printer.setFontSize(job.fontSize);
    for (const std::u16string& line : job.lines) {
        printer.printLine(line);
    }
    if (printer.endDocument()) {
        return {};
    }
    return printer.failure().empty() ? std::string("der Drucker nahm den Auftrag nicht an")
                                     : printer.failure();
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE /*previous*/, PWSTR /*commandLine*/, int show) {
    qrb::win::TelvorWindow* shown = nullptr;
    qrb::win::TelvorWindow window(instance, &printToDefaultPrinter, [&shown] {
        // END and the close box end the program at once.
        if (shown != nullptr) {
            ShowWindow(shown->handle(), SW_HIDE);
        }
        PostQuitMessage(0);
    });
    shown = &window;
    if (!window.open(show)) {
        return 1;
    }
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (window.takeMessage(message)) {
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
