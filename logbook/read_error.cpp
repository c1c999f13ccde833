// SPDX-License-Identifier: GPL-3.0-or-later
// The one place where a reading error becomes German text.

#include "logbook/logbook.h"

#include <vector>

namespace qrb::logbook {

namespace {

constexpr std::uint64_t kMiB = std::uint64_t{1024} * 1024;

std::string sentence(const ReadError& error) {
    switch (error.fault) {
    case ReadFault::ReadFailed:
        return error.line == 0 && error.record == 0
                   ? "Die Datei kann nicht gelesen werden (Lesefehler)"
                   : "Die Datei kann nicht weitergelesen werden (Lesefehler)";
    case ReadFault::Empty:
        return "Die Datei ist leer";
    case ReadFault::UnknownFormat:
        return "Die Datei ist weder ein ADIF- noch ein ADX- noch ein EDI-Log";
    case ReadFault::RecordNotClosed:
        return "Die Datei endet mitten im Kontakt: <EOR> fehlt";
    case ReadFault::FieldCutOff:
        return "Die Datei endet mitten im Feld " + error.field + ": angekündigt " +
               std::to_string(error.announced) + " Bytes, es fehlen " +
               std::to_string(error.missing);
    case ReadFault::LineTooLong:
        return "Die Zeile ist länger als " + std::to_string(error.limit) + " Zeichen";
    case ReadFault::NoContactSection:
        return "Der Abschnitt [QSORecords] fehlt";
    case ReadFault::XmlTooDeep:
        return "Die XML-Elemente sind tiefer als " + std::to_string(error.limit) +
               " Ebenen verschachtelt";
    case ReadFault::XmlElementTooLong:
        return error.limit % kMiB == 0
                   ? "Ein XML-Element ist länger als " + std::to_string(error.limit / kMiB) + " MiB"
                   : "Ein XML-Element ist länger als " + std::to_string(error.limit) + " Bytes";
    case ReadFault::XmlSyntax:
        return "XML-Fehler: " + error.detail;
    }
    return "Die Datei kann nicht gelesen werden";
}

} // namespace

std::string readErrorText(const ReadError& error) {
    std::string text = sentence(error);
    std::vector<std::string> where;
    if (error.line != 0) {
        where.push_back("Zeile " + std::to_string(error.line));
    }
    if (error.record != 0) {
        where.push_back("Verbindung " + std::to_string(error.record));
    }
    if (!where.empty()) {
        text += " (" + where[0];
        if (where.size() == 2) {
            text += ", " + where[1];
        }
        text += ")";
    }
    return text;
}

} // namespace qrb::logbook
