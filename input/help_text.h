// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <string_view>

namespace qrb {

// The 24 lines of the QTH-Kenner help panel, in order.
extern const std::array<std::u16string_view, 24> kHelpLines;

} // namespace qrb
