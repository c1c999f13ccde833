// SPDX-License-Identifier: GPL-3.0-or-later
// The Windows edition has no workbook writer yet: --xlsx is turned away
// before any log is read, so none of the members below is ever reached.
#include "report/xlsx/xlsx_writer.h"

namespace qrb::report {

std::string xlsxFailureText(const XlsxFailure& failure) {
    return failure.path;
}

XlsxWriter::XlsxWriter(const std::string& path, const std::string& scratchDir)
    : path_(path), scratchDir_(scratchDir) {}

XlsxWriter::~XlsxWriter() = default;

void XlsxWriter::beginFile(std::string_view /*name*/) {}

void XlsxWriter::contact(const logbook::Record& /*record*/, const ContactScore& /*contact*/,
                         const Marks& /*marks*/, std::size_t /*block*/) {}

std::optional<XlsxFailure> XlsxWriter::finish(const Report& /*report*/) {
    return XlsxFailure{XlsxFailure::Kind::NotCreated, path_, {}};
}

} // namespace qrb::report
