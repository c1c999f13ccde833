#include "qt_printer.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <cstdio>
#include <utility>

namespace {
QString fromView(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

void complain(const QString& why) {
    std::fprintf(stderr, "qrb-punkte: nicht gedruckt: %s\n", qPrintable(why));
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

bool QtPrinter::endDocument() {
    const QStringList lines = std::exchange(lines_, {});
    const QPrinterInfo destination = QPrinterInfo::defaultPrinter();
    if (destination.isNull()) {
        complain(QStringLiteral("kein Standarddrucker eingerichtet"));
        return false;
    }
    QPrinter printer(destination, QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("QRB-Punkte"));
    printer.setFullPage(false);
    QPainter painter;
    if (!painter.begin(&printer)) {
        complain(QStringLiteral("Druckauftrag für %1 ließ sich nicht beginnen")
                     .arg(destination.printerName()));
        return false;
    }
    QFont font(face_);
    font.setPointSizeF(points_);
    font.setStyleHint(QFont::TypeWriter);
    painter.setFont(font);
    const QFontMetrics metrics(font, &printer);
    const int pageHeight = printer.pageLayout().paintRectPixels(printer.resolution()).height();
    int y = metrics.ascent();
    for (const QString& line : lines) {
        // A line that would not fit goes to the top of a new page.
        if (y + metrics.descent() > pageHeight) {
            printer.newPage();
            y = metrics.ascent();
        }
        painter.drawText(0, y, line);
        y += metrics.lineSpacing();
    }
    const bool finished = painter.end();
    if (!finished) {
        complain(QStringLiteral("Druckauftrag für %1 ließ sich nicht abschließen")
                     .arg(destination.printerName()));
    }
    return finished;
}
