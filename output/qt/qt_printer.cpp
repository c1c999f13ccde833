// SPDX-License-Identifier: GPL-3.0-or-later
#include "output/qt/qt_printer.h"

#include "output/page_layout.h"

#include <QBuffer>
#include <QFont>
#include <QFontMetrics>
#include <QLocale>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cups/cups.h>
#include <dlfcn.h>
#include <mutex>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <thread>
#include <utility>

namespace {

using Clock = std::chrono::steady_clock;

// How long the print server has to take a job: connecting, naming the default
// destination and receiving the document together.
constexpr std::chrono::seconds kAnswerTime{8};
// A print server that does not answer is asked again every so often whether
// the time is up.
constexpr double kPollSeconds = 0.25;
// Beyond the answer time, how long a job may still take before it is given up
// even if the client library itself waits on (for a host name to resolve, say).
constexpr std::chrono::seconds kGraceTime{2};

QString fromView(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

qrb::PrintOutcome failed(qrb::PrintError why, const QString& subject = {},
                         const QString& detail = {}) {
    return {false, {why, subject.toStdU16String(), detail.toStdU16String()}};
}

// The print server's client library, loaded on the first print only: linked
// to the program it would load itself and some twenty libraries more (TLS,
// Kerberos, …) at every start, for a button that many sessions never press.
struct CupsLibrary {
    decltype(&cupsSetServer) setServer = nullptr;
    decltype(&cupsServer) server = nullptr;
    decltype(&ippPort) port = nullptr;
    decltype(&cupsEncryption) encryption = nullptr;
    decltype(&httpConnect2) connect = nullptr;
    decltype(&httpSetTimeout) setTimeout = nullptr;
    decltype(&httpClose) close = nullptr;
    decltype(&cupsGetNamedDest) getNamedDest = nullptr;
    decltype(&cupsFreeDests) freeDests = nullptr;
    decltype(&cupsCreateJob) createJob = nullptr;
    decltype(&cupsStartDocument) startDocument = nullptr;
    decltype(&cupsWriteRequestData) writeRequestData = nullptr;
    decltype(&cupsFinishDocument) finishDocument = nullptr;
    decltype(&cupsLastError) lastError = nullptr;
    decltype(&cupsLastErrorString) lastErrorString = nullptr;

    bool complete() const {
        return setServer != nullptr && server != nullptr && port != nullptr &&
               encryption != nullptr && connect != nullptr && setTimeout != nullptr &&
               close != nullptr && getNamedDest != nullptr && freeDests != nullptr &&
               createJob != nullptr && startDocument != nullptr && writeRequestData != nullptr &&
               finishDocument != nullptr && lastError != nullptr && lastErrorString != nullptr;
    }
};

template <typename F> void bind(void* library, const char* name, F& function) {
    function = reinterpret_cast<F>(dlsym(library, name));
}

// The library, or nullptr when it cannot be loaded.
const CupsLibrary* cupsLibrary() {
    static const CupsLibrary loaded = [] {
        CupsLibrary cups;
        // Kept loaded for the rest of the run, like a linked library; a job
        // may still be under way on its thread when the program ends.
        void* library = dlopen("libcups.so.2", RTLD_NOW | RTLD_LOCAL);
        if (library != nullptr) {
            bind(library, "cupsSetServer", cups.setServer);
            bind(library, "cupsServer", cups.server);
            bind(library, "ippPort", cups.port);
            bind(library, "cupsEncryption", cups.encryption);
            bind(library, "httpConnect2", cups.connect);
            bind(library, "httpSetTimeout", cups.setTimeout);
            bind(library, "httpClose", cups.close);
            bind(library, "cupsGetNamedDest", cups.getNamedDest);
            bind(library, "cupsFreeDests", cups.freeDests);
            bind(library, "cupsCreateJob", cups.createJob);
            bind(library, "cupsStartDocument", cups.startDocument);
            bind(library, "cupsWriteRequestData", cups.writeRequestData);
            bind(library, "cupsFinishDocument", cups.finishDocument);
            bind(library, "cupsLastError", cups.lastError);
            bind(library, "cupsLastErrorString", cups.lastErrorString);
        }
        return cups;
    }();
    return loaded.complete() ? &loaded : nullptr;
}

// Where the print server is, as the client settings (CUPS_SERVER,
// client.conf) name it: a host or the path of a local socket.
struct Server {
    std::string host;
    int port = 0;
    http_encryption_t encryption = HTTP_ENCRYPTION_IF_REQUESTED;

    QString name() const { return QString::fromLocal8Bit(host.c_str()); }
    bool isLocalSocket() const { return !host.empty() && host.front() == '/'; }
};

Server printServer(const CupsLibrary& cups) {
    // The library keeps the server it found first; the settings may have
    // changed since the last print.
    cups.setServer(nullptr);
    return {cups.server(), cups.port(), cups.encryption()};
}

qrb::PrintOutcome unreachable(const Server& server) {
    return failed(qrb::PrintError::ServerUnreachable, server.name());
}

qrb::PrintOutcome noAnswer(const Server& server) {
    return failed(qrb::PrintError::ServerSilent, server.name());
}

// Nobody listens at a local socket that does not exist: known at once,
// without asking the server.
bool surelyAbsent(const Server& server) {
    struct stat info {};
    return server.isLocalSocket() &&
           (stat(server.host.c_str(), &info) != 0 || !S_ISSOCK(info.st_mode));
}

// A report's lines on pages with title and page numbers, as many lines and
// characters as the page holds in this font.
QStringList reportPages(const QStringList& lines, const QString& title, const QFontMetrics& metrics,
                        const QRect& page) {
    std::vector<std::u16string> text;
    text.reserve(static_cast<std::size_t>(lines.size()));
    for (const QString& line : lines) {
        text.push_back(line.toStdU16String());
    }
    const int perPage = 1 + (page.height() - metrics.height()) / metrics.lineSpacing();
    const int columns = page.width() / std::max(1, metrics.horizontalAdvance(QLatin1Char('M')));
    QStringList laidOut;
    for (const qrb::PageLines& one :
         qrb::layoutPages(text, title.toStdU16String(), static_cast<std::size_t>(perPage),
                          static_cast<std::size_t>(columns))) {
        for (const std::u16string& line : one) {
            laidOut.append(fromView(line));
        }
    }
    return laidOut;
}

// Lays the lines out on pages, top to bottom; a line that would not fit any
// more goes to the top of a new page. With a title, the pages of a report.
bool render(QPdfWriter& writer, const QString& face, double points, const QStringList& given,
            const QString& title, const QtPrinter::FrontPage& front) {
    QPainter painter;
    if (!painter.begin(&writer)) {
        return false;
    }
    if (front) {
        const QRect area = writer.pageLayout().paintRectPixels(writer.resolution());
        painter.save();
        front(painter, QRect(0, 0, area.width(), area.height()));
        painter.restore();
        writer.newPage();
    }
    QFont font(face);
    font.setPointSizeF(points);
    font.setStyleHint(QFont::TypeWriter);
    painter.setFont(font);
    const QFontMetrics metrics(font, &writer);
    const QRect area = writer.pageLayout().paintRectPixels(writer.resolution());
    // A report's pages are as long as the page holds, so that laying its
    // lines out top to bottom breaks them where the report's pages end.
    const QStringList lines = title.isEmpty() ? given : reportPages(given, title, metrics, area);
    const std::vector<qrb::PlacedLine> placed = qrb::layOutLines(
        static_cast<std::size_t>(lines.size()),
        {metrics.ascent(), metrics.descent(), metrics.lineSpacing()}, area.height());
    int page = 0;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const qrb::PlacedLine& at = placed[static_cast<std::size_t>(i)];
        if (at.page != page) {
            writer.newPage();
            page = at.page;
        }
        painter.drawText(0, at.baseline, lines[i]);
    }
    return painter.end();
}

void describe(QPdfWriter& writer, const QPageSize& paper) {
    writer.setTitle(QStringLiteral("QRB-Punkte"));
    writer.setCreator(QStringLiteral("QRB-Punkte"));
    writer.setPageSize(paper);
}

// The paper the printout is laid out for: Letter where the system's locale
// measures in US units, A4 everywhere else. The print server fits the page
// to the printer's paper.
QPageSize localPaper() {
    return QPageSize(QLocale::system().measurementSystem() == QLocale::ImperialUSSystem
                         ? QPageSize::Letter
                         : QPageSize::A4);
}

// The time the print server has for one job; the client library asks at
// every pause whether to wait on.
struct Deadline {
    Clock::time_point end;
    const std::atomic<bool>* cancelled = nullptr;
    bool passed = false;
};

int waitOn(http_t* /*http*/, void* data) {
    auto* deadline = static_cast<Deadline*>(data);
    if (deadline->cancelled->load() || Clock::now() >= deadline->end) {
        deadline->passed = true;
        return 0;
    }
    return 1;
}

struct HttpClose {
    const CupsLibrary* cups;
    void operator()(http_t* http) const { cups->close(http); }
};
struct DestFree {
    const CupsLibrary* cups;
    void operator()(cups_dest_t* dest) const { cups->freeDests(1, dest); }
};

// Hands the document to the print server's default destination as one job,
// on a connection of its own whose every wait ends with the deadline. Runs on
// the job's own thread.
qrb::PrintOutcome submit(const CupsLibrary& cups, const Server& server, const QByteArray& pdf,
                         const std::atomic<bool>& cancelled) {
    Deadline deadline{Clock::now() + kAnswerTime, &cancelled};
    const auto connectMs =
        std::chrono::duration_cast<std::chrono::milliseconds>(kAnswerTime).count();
    const std::unique_ptr<http_t, HttpClose> http(
        cups.connect(server.host.c_str(), server.port, nullptr, AF_UNSPEC, server.encryption, 1,
                     static_cast<int>(connectMs), nullptr),
        HttpClose{&cups});
    if (!http) {
        return unreachable(server);
    }
    cups.setTimeout(http.get(), kPollSeconds, waitOn, &deadline);
    auto refused = [&](qrb::PrintError why, const QString& printer = {}) {
        if (deadline.passed) {
            return noAnswer(server);
        }
        return failed(why, printer, QString::fromLocal8Bit(cups.lastErrorString()));
    };

    const std::unique_ptr<cups_dest_t, DestFree> destination(
        cups.getNamedDest(http.get(), nullptr, nullptr), DestFree{&cups});
    if (!destination) {
        if (deadline.passed) {
            return noAnswer(server);
        }
        const ipp_status_t status = cups.lastError();
        if (status == IPP_STATUS_OK || status == IPP_STATUS_ERROR_NOT_FOUND) {
            return failed(qrb::PrintError::NoDefaultPrinter);
        }
        return refused(qrb::PrintError::DefaultPrinterUnknown);
    }
    const char* name = destination->name;
    const QString printer = QString::fromLocal8Bit(name);
    const auto notTaken = qrb::PrintError::NotTaken;

    const int job = cups.createJob(http.get(), name, "QRB-Punkte", destination->num_options,
                                   destination->options);
    if (job == 0) {
        return refused(notTaken, printer);
    }
    if (cups.startDocument(http.get(), name, job, "QRB-Punkte", CUPS_FORMAT_PDF, 1) !=
            HTTP_STATUS_CONTINUE ||
        cups.writeRequestData(http.get(), pdf.constData(), static_cast<size_t>(pdf.size())) !=
            HTTP_STATUS_CONTINUE) {
        return refused(notTaken, printer);
    }
    if (cups.finishDocument(http.get(), name) > IPP_STATUS_OK_EVENTS_COMPLETE) {
        return refused(notTaken, printer);
    }
    return {};
}

} // namespace

// One job on its way to the print server, shared by the printer and the
// job's thread. Whichever comes first settles it: the thread with the
// server's answer, or the printer giving up after the answer time.
struct QtPrinter::Job {
    std::mutex mutex;
    std::condition_variable done;
    bool settled = false;
    qrb::PrintOutcome outcome;
    // Told of the outcome on its own thread; cleared when it goes away.
    QtPrinter* receiver = nullptr;
    std::atomic<bool> cancelled{false};
    Server server;

    // From the job's thread.
    void finish(const qrb::PrintOutcome& result, const std::shared_ptr<Job>& self) {
        const std::lock_guard lock(mutex);
        if (settled) {
            return;
        }
        settled = true;
        outcome = result;
        done.notify_all();
        if (receiver != nullptr) {
            QtPrinter* to = receiver;
            QMetaObject::invokeMethod(
                to, [to, self] { to->settle(self); }, Qt::QueuedConnection);
        }
    }

    // True when the outcome had not come and never will count.
    bool abandon() {
        const std::lock_guard lock(mutex);
        if (settled) {
            return false;
        }
        settled = true;
        receiver = nullptr;
        cancelled = true;
        return true;
    }
};

QtPrinter::QtPrinter(QObject* parent) : QObject(parent) {}

// A job still under way is left to end on its own thread within its answer
// time; it can no longer reach this printer.
QtPrinter::~QtPrinter() {
    for (const std::shared_ptr<Job>& job : pending_) {
        const std::lock_guard lock(job->mutex);
        job->receiver = nullptr;
        job->cancelled = true;
    }
}

void QtPrinter::printForWindow() {
    background_ = true;
}

// The PDF into the output file, whole or not at all.
qrb::PrintOutcome QtPrinter::writeFile(const QByteArray& pdf) {
    QSaveFile file(outputFile_);
    if (file.open(QIODevice::WriteOnly) && file.write(pdf) == pdf.size() && file.commit()) {
        return {};
    }
    return failed(qrb::PrintError::FileNotWritten, outputFile_, file.errorString());
}

qrb::PrintOutcome QtPrinter::print(const qrb::PrintJob& printJob) {
    const QString face = fromView(printJob.fontFace);
    const double points = printJob.fontSize;
    QStringList lines;
    lines.reserve(static_cast<qsizetype>(printJob.lines.size()));
    for (const std::u16string& line : printJob.lines) {
        lines.append(fromView(line));
    }
    if (!outputFile_.isEmpty()) {
        // Laid out in memory first: a file that cannot be written is then
        // said once, without the PDF writer's own warnings.
        QByteArray pdf;
        {
            QBuffer buffer(&pdf);
            buffer.open(QIODevice::WriteOnly);
            QPdfWriter writer(&buffer);
            describe(writer, QPageSize(QPageSize::A4));
            if (!render(writer, face, points, lines, title_, front_)) {
                return failed(qrb::PrintError::FileNotLaidOut, outputFile_);
            }
        }
        return writeFile(pdf);
    }
    const CupsLibrary* cups = cupsLibrary();
    if (cups == nullptr) {
        return failed(qrb::PrintError::NoPrintLibrary);
    }
    auto job = std::make_shared<Job>();
    job->server = printServer(*cups);
    if (surelyAbsent(job->server)) {
        return unreachable(job->server);
    }
    QByteArray pdf;
    {
        QBuffer buffer(&pdf);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        describe(writer, localPaper());
        if (!render(writer, face, points, lines, title_, front_)) {
            return failed(qrb::PrintError::NotLaidOut);
        }
    }

    if (background_) {
        job->receiver = this;
        pending_.push_back(job);
        QTimer::singleShot(kAnswerTime + kGraceTime, this, [this, job] { giveUp(job); });
    }
    std::thread([cups, job, pdf] {
        job->finish(submit(*cups, job->server, pdf, job->cancelled), job);
    }).detach();
    if (background_) {
        return {};
    }

    std::unique_lock lock(job->mutex);
    if (!job->done.wait_for(lock, kAnswerTime + kGraceTime, [&job] { return job->settled; })) {
        lock.unlock();
        job->abandon();
        return noAnswer(job->server);
    }
    return job->outcome;
}

void QtPrinter::settle(const std::shared_ptr<Job>& job) {
    const auto found = std::find(pending_.begin(), pending_.end(), job);
    if (found == pending_.end()) {
        return;
    }
    pending_.erase(found);
    if (!job->outcome.accepted) {
        reportLaterFailure(job->outcome);
    }
}

// The job's thread has not answered in time (the client library waits on
// something the deadline does not reach): the job counts as not printed.
void QtPrinter::giveUp(const std::shared_ptr<Job>& job) {
    if (!job->abandon()) {
        return;
    }
    pending_.erase(std::remove(pending_.begin(), pending_.end(), job), pending_.end());
    reportLaterFailure(noAnswer(job->server));
}
