// SPDX-License-Identifier: GPL-3.0-or-later
// qrb-punkte.exe: the window TELVOR on Windows. DRU prints to the default
// printer through the Windows printing API.
#include "app-win/telvor_win.h"
#include "output/win/win_printer.h"

// clang-format off
#include <windows.h>
// clang-format on
#include <atomic>
#include <cstdio>

namespace {

// Set when a job did not end in time and was left on its thread inside the
// printer driver: such a thread may hold the system's loader lock, so the
// program must then end without waiting for it.
std::atomic<bool> jobAbandoned{false};

// Each failure is also one line on standard error.
qrb::PrintOutcome printToDefaultPrinter(const qrb::PrintJob& job) {
    qrb::WinPrinter printer;
    qrb::PrintOutcome outcome = printer.print(job);
    if (outcome.accepted) {
        return outcome;
    }
    if (printer.abandoned()) {
        jobAbandoned = true;
    }
    std::fprintf(stderr, "qrb-punkte: %s\n", qrb::printFailureMessage(outcome).c_str());
    std::fflush(stderr);
    return outcome;
}

int run(HINSTANCE instance, int show) {
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

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE /*previous*/, PWSTR /*commandLine*/, int show) {
    const int status = run(instance, show);
    if (jobAbandoned) {
        TerminateProcess(GetCurrentProcess(), static_cast<UINT>(status));
    }
    return status;
}
