// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qrb::score {

// Prints the text log on the default printer, or lays it out into the PDF
// file `pdf`: the lines up to the first column header stand above the rule,
// like the window's header list; the rest follow it, after an empty line as
// in the window's log. 0 when printed; otherwise the reason is on standard
// error and the result is the exit status.
int printReport(const std::vector<std::u16string>& text, const std::optional<std::string>& pdf,
                char* program);

// Empty where --pdf is offered; otherwise the one line that says it is not.
std::string_view pdfUnavailable();

// The header lines and the log lines of the printout, taken from the text log.
void splitReport(const std::vector<std::u16string>& text, std::vector<std::u16string>& header,
                 std::vector<std::u16string>& log);

} // namespace qrb::score
