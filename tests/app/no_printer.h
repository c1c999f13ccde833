// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "output/printer.h"

// A printer that takes every document and prints nothing, for window tests
// that never look at what DRU sends.
class NoPrinter : public qrb::Printer {
public:
    void setFontFace(std::u16string_view /*face*/) override {}
    void setFontSize(double /*points*/) override {}
    void printLine(std::u16string_view /*line*/) override {}
    bool endDocument() override { return true; }
};
