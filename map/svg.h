// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "map/scene.h"

#include <string>

namespace qrb::map {

// The scene as a standalone SVG document in UTF-8. Each worked square's
// rectangle carries its tooltip as a <title>.
std::string toSvg(const Scene& scene);

// Text made safe for XML character data and attribute values: markup
// characters escaped, control characters dropped, bytes that are no UTF-8
// replaced by '?'.
std::string xmlEscaped(const std::string& text);

} // namespace qrb::map
