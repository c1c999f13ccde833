// SPDX-License-Identifier: GPL-3.0-or-later
#include "app-win/print_queue.h"

#include <utility>

namespace qrb::win {

PrintQueue::PrintQueue(PrintFunction print, HWND notify)
    : print_(std::move(print)), notify_(notify), worker_([this] { run(); }) {}

PrintQueue::~PrintQueue() {
    {
        const std::scoped_lock lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    worker_.join();
}

void PrintQueue::add(PrintJob job) {
    {
        const std::scoped_lock lock(mutex_);
        jobs_.push_back(std::move(job));
    }
    wake_.notify_all();
}

PrintOutcome PrintQueue::takeFailure() {
    const std::scoped_lock lock(mutex_);
    return std::exchange(failure_, PrintOutcome());
}

void PrintQueue::waitIdle() {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return jobs_.empty() && !busy_; });
}

void PrintQueue::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
        // Jobs still waiting when the window closes are printed first: a log
        // the user asked for is not thrown away.
        if (jobs_.empty()) {
            return;
        }
        PrintJob job = std::move(jobs_.front());
        jobs_.pop_front();
        busy_ = true;
        lock.unlock();
        PrintOutcome outcome = print_(job);
        lock.lock();
        busy_ = false;
        const bool printed = outcome.accepted;
        if (!printed) {
            failure_ = std::move(outcome);
        }
        PostMessageW(notify_, kPrintDone, printed ? 1 : 0, 0);
        if (jobs_.empty()) {
            idle_.notify_all();
        }
    }
}

} // namespace qrb::win
