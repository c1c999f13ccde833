// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The map drawn through GDI onto a device context: a page of a printout on
// Windows, from the same drawing primitives as the SVG file and the Qt
// painter (map/qt/).

#include "map/map.h"

// clang-format off
#include <windows.h>
// clang-format on

namespace qrb::map {

// Draws the scene with its top left corner at the device context's logical
// origin, one scene pixel per logical unit. The context's objects, modes and
// clipping are as they were afterwards.
void paintScene(HDC dc, const Scene& scene);

// Draws the map filling `area` (device pixels) of a page, at the device's
// resolution: in.widthPx, in.heightPx and in.dpi are replaced by the area's.
void drawOnPage(HDC dc, const RECT& area, const MapInput& in);

} // namespace qrb::map
