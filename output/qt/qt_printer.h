// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "output/printer.h"

#include <QObject>
#include <QRect>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

// The system's default printer, without any dialog. Lines are collected and
// printed as one job when the document ends: the pages are laid out into a
// PDF on the calling thread, and the print server is asked on a thread of its
// own, so that a server that never answers is given up after a few seconds.
// Every failure is the outcome of print() or, found later in the background,
// goes to the printer's listener; it is the program's to say.
class QPainter;

class QtPrinter : public QObject, public qrb::Printer {
    Q_OBJECT

public:
    explicit QtPrinter(QObject* parent = nullptr);
    ~QtPrinter() override;
    QtPrinter(const QtPrinter&) = delete;
    QtPrinter& operator=(const QtPrinter&) = delete;

    // Waits until the print server took the job or at most about ten seconds;
    // accepted only when it took it. In the background (below) it returns
    // once the job is on its way, and fails only for a failure known at once.
    qrb::PrintOutcome print(const qrb::PrintJob& job) override;
    // In the background (below).
    void printForWindow() override;

    // Lays the pages out into this PDF file instead of sending them to the
    // printer (an empty name prints again). A file that cannot be written is
    // the outcome PrintError::FileNotWritten.
    void setOutputFile(const QString& path) { outputFile_ = path; }

    // A report of many pages: this title on top of every page and "Seite N
    // von M" at its foot, long lines wrapped (see output/page_layout.h).
    // Without a title (the window's log) the lines stand on the pages as they
    // come.
    void setPageTitle(const QString& title) { title_ = title; }

    // A page drawn before the lines (a map, say), given the painter and the
    // page's printable area; an empty function for none.
    using FrontPage = std::function<void(QPainter& painter, const QRect& area)>;
    void setFrontPage(FrontPage draw) { front_ = std::move(draw); }

    // For a window that must go on taking input: print() does not wait for
    // the print server; a failure found later goes to the listener, on this
    // object's thread.
    void setInBackground(bool on) { background_ = on; }

private:
    struct Job;

    qrb::PrintOutcome writeFile(const QByteArray& pdf);
    void settle(const std::shared_ptr<Job>& job);
    void giveUp(const std::shared_ptr<Job>& job);

    QString outputFile_;
    QString title_;
    FrontPage front_;
    bool background_ = false;
    // Jobs handed to the print server whose outcome is still to come.
    std::vector<std::shared_ptr<Job>> pending_;
};
