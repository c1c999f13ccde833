// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/runner/recording_printer.h"

#include <utility>

namespace scenario {

void RecordingPrinter::setFontFace(std::u16string_view face) {
    current_.fontFace = face;
}

void RecordingPrinter::setFontSize(double points) {
    current_.fontSize = points;
}

void RecordingPrinter::printLine(std::u16string_view line) {
    current_.lines.emplace_back(line);
}

bool RecordingPrinter::endDocument() {
    finished_.push_back(std::exchange(current_, PrintJob{}));
    return true;
}

} // namespace scenario
