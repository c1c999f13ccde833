// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// DRU's jobs printed one after another on a thread of their own, so that a
// printer that takes its time never holds the window. Each outcome is posted
// back to the window as a message.

#include "output/printer.h"

// windows.h before the other Windows headers, which need its types.
// clang-format off
#include <windows.h>
// clang-format on
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace qrb::win {

// Prints one job; returns what became of it.
using PrintFunction = std::function<PrintOutcome(const PrintJob&)>;

// The message posted to the window after each job: wParam 1 when printed,
// 0 when not; the outcome is taken with takeFailure().
inline constexpr UINT kPrintDone = WM_APP + 1;

class PrintQueue {
public:
    PrintQueue(PrintFunction print, HWND notify);
    ~PrintQueue();
    PrintQueue(const PrintQueue&) = delete;
    PrintQueue& operator=(const PrintQueue&) = delete;

    void add(PrintJob job);
    // The outcome of the last failure, once.
    PrintOutcome takeFailure();
    // Waits until every job handed over has been printed or refused.
    void waitIdle();

private:
    void run();

    PrintFunction print_;
    HWND notify_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::deque<PrintJob> jobs_;
    bool busy_ = false;
    bool stopping_ = false;
    PrintOutcome failure_;
    std::thread worker_;
};

} // namespace qrb::win
