// SPDX-License-Identifier: GPL-3.0-or-later
// The Windows edition has no workbook writer: --xlsx is turned away before
// any log is read, so none of the members below is ever reached.
#include "qrb-score/xlsx_writer.h"

namespace qrb::score {

std::string_view xlsxUnavailable() {
    return "Arbeitsmappen (--xlsx) gibt es in der Windows-Ausgabe nicht; --format csv "
           "schreibt eine Tabelle";
}

XlsxWriter::XlsxWriter(const std::string& path) : path_(path) {}

XlsxWriter::~XlsxWriter() = default;

void XlsxWriter::beginFile(std::string_view /*name*/) {}

void XlsxWriter::row(const logbook::Record& /*record*/, const ContactScore& /*contact*/,
                     const Marks& /*marks*/) {}

std::string XlsxWriter::finish(const Report& /*report*/) {
    return std::string(xlsxUnavailable());
}

} // namespace qrb::score
