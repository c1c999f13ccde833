// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The map drawn with the toolkit's painter: PNG files and a page of a PDF or
// printout. The painter needs a QGuiApplication (fonts).

#include "map/map.h"

#include <QRectF>
#include <string>

class QPainter;

namespace qrb::map {

// Draws the scene with its top left corner at the painter's origin, one
// scene pixel per painter unit.
void paintScene(QPainter& painter, const Scene& scene);

// Writes the map as a PNG of in.widthPx x in.heightPx pixels whose stated
// resolution is in.dpi. False with the reason in error when it cannot.
bool writePng(const MapInput& in, const std::string& path, std::string& error);

// Writes an SVG or a PNG according to the file's ending (.svg, .png, in any
// case). False with the reason in error for another ending or a file that
// cannot be written.
bool writeMap(const MapInput& in, const std::string& path, std::string& error);

// Draws the map filling the rectangle on a page (PDF or printer), in the
// painter's current coordinates. Sizes follow the rectangle: in.widthPx,
// in.heightPx and in.dpi are replaced by the rectangle at 150 dpi.
void drawOnPage(QPainter& painter, const QRectF& rect, const MapInput& in);

} // namespace qrb::map
