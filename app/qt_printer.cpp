#include "qt_printer.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTemporaryFile>
#include <cstdio>
#include <cups/cups.h>
#include <dlfcn.h>
#include <memory>
#include <utility>

namespace {
QString fromView(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

void complain(const QString& why) {
    std::fprintf(stderr, "qrb-punkte: nicht gedruckt: %s\n", qPrintable(why));
}

// The print server's client library, loaded on the first print only: linked
// to the program it would load itself and some twenty libraries more (TLS,
// Kerberos, …) at every start, for a button that many sessions never press.
struct CupsLibrary {
    decltype(&cupsGetNamedDest) getNamedDest = nullptr;
    decltype(&cupsFreeDests) freeDests = nullptr;
    decltype(&cupsPrintFile) printFile = nullptr;
    decltype(&cupsLastErrorString) lastErrorString = nullptr;

    bool complete() const {
        return getNamedDest != nullptr && freeDests != nullptr && printFile != nullptr &&
               lastErrorString != nullptr;
    }
};

template <typename F> void bind(void* library, const char* name, F& function) {
    function = reinterpret_cast<F>(dlsym(library, name));
}

// The library, or nullptr when it cannot be loaded.
const CupsLibrary* cupsLibrary() {
    static const CupsLibrary loaded = [] {
        CupsLibrary cups;
        // Kept loaded for the rest of the run, like a linked library.
        void* library = dlopen("libcups.so.2", RTLD_NOW | RTLD_LOCAL);
        if (library != nullptr) {
            bind(library, "cupsGetNamedDest", cups.getNamedDest);
            bind(library, "cupsFreeDests", cups.freeDests);
            bind(library, "cupsPrintFile", cups.printFile);
            bind(library, "cupsLastErrorString", cups.lastErrorString);
        }
        return cups;
    }();
    return loaded.complete() ? &loaded : nullptr;
}

struct DestFree {
    void operator()(cups_dest_t* dest) const { cupsLibrary()->freeDests(1, dest); }
};
using Destination = std::unique_ptr<cups_dest_t, DestFree>;

// Lays the lines out on pages of the destination's paper, top to bottom; a
// line that would not fit any more goes to the top of a new page.
bool render(QPrinter& printer, const QString& face, double points, const QStringList& lines) {
    QPainter painter;
    if (!painter.begin(&printer)) {
        return false;
    }
    QFont font(face);
    font.setPointSizeF(points);
    font.setStyleHint(QFont::TypeWriter);
    painter.setFont(font);
    const QFontMetrics metrics(font, &printer);
    const int pageHeight = printer.pageLayout().paintRectPixels(printer.resolution()).height();
    int y = metrics.ascent();
    for (const QString& line : lines) {
        if (y + metrics.descent() > pageHeight) {
            printer.newPage();
            y = metrics.ascent();
        }
        painter.drawText(0, y, line);
        y += metrics.lineSpacing();
    }
    return painter.end();
}
} // namespace

void QtPrinter::setFontFace(std::u16string_view face) {
    face_ = fromView(face);
}

void QtPrinter::setFontSize(double points) {
    points_ = points;
}

void QtPrinter::printLine(std::u16string_view line) {
    lines_.append(fromView(line));
}

// The document is laid out by Qt into a PDF and handed to the print server
// here, so that a destination that refuses the job is noticed and reported
// like a missing one.
bool QtPrinter::endDocument() {
    const QStringList lines = std::exchange(lines_, {});
    if (!outputFile_.isEmpty()) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(outputFile_);
        printer.setDocName(QStringLiteral("QRB-Punkte"));
        printer.setPageSize(QPageSize(QPageSize::A4));
        if (!render(printer, face_, points_, lines)) {
            complain(QStringLiteral("%1 ließ sich nicht schreiben").arg(outputFile_));
            return false;
        }
        return true;
    }
    const CupsLibrary* cups = cupsLibrary();
    if (cups == nullptr) {
        complain(QStringLiteral("die CUPS-Bibliothek (libcups.so.2) fehlt"));
        return false;
    }
    const Destination destination(cups->getNamedDest(CUPS_HTTP_DEFAULT, nullptr, nullptr));
    if (!destination) {
        complain(QStringLiteral("kein Standarddrucker eingerichtet"));
        return false;
    }
    const QString name = QString::fromLocal8Bit(destination->name);

    QTemporaryFile pdf;
    if (!pdf.open()) {
        complain(QStringLiteral("keine temporäre Datei für den Druckauftrag"));
        return false;
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf.fileName());
    printer.setDocName(QStringLiteral("QRB-Punkte"));
    printer.setPageSize(QPrinterInfo::printerInfo(name).defaultPageSize());
    if (!render(printer, face_, points_, lines)) {
        complain(QStringLiteral("Druckauftrag für %1 ließ sich nicht aufbereiten").arg(name));
        return false;
    }

    const int job = cups->printFile(destination->name, pdf.fileName().toLocal8Bit().constData(),
                                    "QRB-Punkte", destination->num_options, destination->options);
    if (job == 0) {
        complain(
            QStringLiteral("%1: %2").arg(name, QString::fromLocal8Bit(cups->lastErrorString())));
        return false;
    }
    return true;
}
