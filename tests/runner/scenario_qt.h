// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Texts between the Qt runner and the plain C++ scenario syntax: both hold
// UTF-16, so nothing is converted but the type.

#include <QString>
#include <QStringView>
#include <string_view>

namespace scenario {

inline std::u16string_view plain(QStringView text) {
    return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())};
}

inline QString qt(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace scenario
