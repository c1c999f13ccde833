// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

namespace qrb::score {

// The logbooks named on the command line, each file once: a name that names
// a file already on the list (the same name, another path to it, a link) is
// left out, and its name goes into `repeated`. "-" (standard input) counts
// once too. Names that name no file stay; reading them says why.
std::vector<std::string> distinctLogs(const std::vector<std::string>& names,
                                      std::vector<std::string>& repeated);

} // namespace qrb::score
