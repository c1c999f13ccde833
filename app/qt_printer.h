#pragma once

#include "printer.h"

#include <QString>
#include <QStringList>

// The system's default printer, without any dialog. Lines are collected and
// printed as one job when the document ends.
class QtPrinter : public qrb::Printer {
public:
    void setFontFace(std::u16string_view face) override;
    void setFontSize(double points) override;
    void printLine(std::u16string_view line) override;
    bool endDocument() override;

    // Lays the pages out into this PDF file instead of sending them to the
    // printer (an empty name prints again).
    void setOutputFile(const QString& path) { outputFile_ = path; }

private:
    QString face_;
    double points_ = 10.0;
    QStringList lines_;
    QString outputFile_;
};
