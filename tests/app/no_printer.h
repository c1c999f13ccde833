// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "output/printer.h"

// A printer that takes every document and prints nothing, for window tests
// that never look at what DRU sends.
class NoPrinter : public qrb::Printer {
public:
    qrb::PrintOutcome print(const qrb::PrintJob& /*job*/) override { return {}; }
};
