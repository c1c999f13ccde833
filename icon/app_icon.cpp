// SPDX-License-Identifier: GPL-3.0-or-later
// The application icon: a small yagi antenna on its mast over a grid of
// locator squares, with the far station as a green dot in one square,
// described once on a 16-unit grid so that every size that is a multiple of 16
// keeps its lines on whole pixels. The window's icon and the installed icons
// are drawn from here.
#include "icon/app_icon.h"

#include <QColor>
#include <QPainter>
#include <QPainterPath>
#include <QTextStream>
#include <vector>

namespace {

constexpr double kUnits = 16.0;

struct Stroke {
    double x1, y1, x2, y2;
    QColor colour;
};

// Line width in units: one unit, a whole pixel, on the small sizes; half a
// unit from 64 pixels on and in the scalable picture, where a whole unit would
// look coarse. Both keep every line on whole pixels.
constexpr double kThinLine = 0.5;
double lineWidth(int size) {
    return size < 64 ? 1.0 : kThinLine;
}

// The rounded tile the picture lies on.
constexpr double kTileRadius = 2.5;
const QColor kTile(0xC0, 0xC0, 0xC0);    // the window's grey
const QColor kEdge(0x80, 0x80, 0x80);    // edge of the tile
const QColor kGrid(0x80, 0x80, 0x80);    // locator squares
const QColor kAntenna(0x00, 0x00, 0x80); // dark blue metal
const QColor kStation(0x5A, 0xA0, 0x5A); // the far station, a darker light green

std::vector<Stroke> strokes() {
    std::vector<Stroke> all;
    // Locator squares on the lower half; the mast is the middle line.
    for (double x : {3.5, 11.5}) {
        all.push_back({x, 9.0, x, 16.0, kGrid});
    }
    for (double y : {9.5, 13.5}) {
        all.push_back({0.0, y, 16.0, y, kGrid});
    }
    // Mast and boom.
    all.push_back({7.5, 4.0, 7.5, 16.0, kAntenna});
    all.push_back({1.0, 4.5, 15.0, 4.5, kAntenna});
    // Reflector, driven element and two directors, shorter towards the front.
    all.push_back({2.5, 1.0, 2.5, 8.0, kAntenna});
    all.push_back({5.5, 2.0, 5.5, 7.0, kAntenna});
    all.push_back({10.5, 2.0, 10.5, 7.0, kAntenna});
    all.push_back({13.5, 3.0, 13.5, 6.0, kAntenna});
    return all;
}

// The far station: a dot in a grid square to the right of the mast.
constexpr double kStationX = 13.5;
constexpr double kStationY = 11.5;
constexpr double kStationRadius = 1.5;

QRectF tileRect() {
    return {0.5, 0.5, kUnits - 1.0, kUnits - 1.0};
}

} // namespace

namespace appicon {

QImage render(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / kUnits, size / kUnits);

    QPainterPath tile;
    tile.addRoundedRect(tileRect(), kTileRadius, kTileRadius);
    painter.fillPath(tile, kTile);

    painter.save();
    painter.setClipPath(tile);
    for (const Stroke& s : strokes()) {
        painter.setPen(QPen(s.colour, lineWidth(size), Qt::SolidLine, Qt::FlatCap));
        painter.drawLine(QPointF(s.x1, s.y1), QPointF(s.x2, s.y2));
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(kStation);
    painter.drawEllipse(QPointF(kStationX, kStationY), kStationRadius, kStationRadius);
    painter.restore();

    painter.setPen(QPen(kEdge, lineWidth(size)));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(tile);
    painter.end();
    return image;
}

QString svg() {
    QString text;
    QTextStream out(&text);
    const QRectF r = tileRect();
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"128\" height=\"128\" "
           "viewBox=\"0 0 16 16\">\n"
        << "  <defs><clipPath id=\"tile\"><rect x=\"" << r.x() << "\" y=\"" << r.y()
        << "\" width=\"" << r.width() << "\" height=\"" << r.height() << "\" rx=\"" << kTileRadius
        << "\"/></clipPath></defs>\n"
        << "  <rect x=\"" << r.x() << "\" y=\"" << r.y() << "\" width=\"" << r.width()
        << "\" height=\"" << r.height() << "\" rx=\"" << kTileRadius << "\" fill=\"" << kTile.name()
        << "\"/>\n"
        << "  <g clip-path=\"url(#tile)\" stroke-linecap=\"butt\">\n";
    for (const Stroke& s : strokes()) {
        out << "    <line x1=\"" << s.x1 << "\" y1=\"" << s.y1 << "\" x2=\"" << s.x2 << "\" y2=\""
            << s.y2 << "\" stroke=\"" << s.colour.name() << "\" stroke-width=\"" << kThinLine
            << "\"/>\n";
    }
    out << "    <circle cx=\"" << kStationX << "\" cy=\"" << kStationY << "\" r=\""
        << kStationRadius << "\" fill=\"" << kStation.name() << "\"/>\n"
        << "  </g>\n"
        << "  <rect x=\"" << r.x() << "\" y=\"" << r.y() << "\" width=\"" << r.width()
        << "\" height=\"" << r.height() << "\" rx=\"" << kTileRadius << "\" fill=\"none\" stroke=\""
        << kEdge.name() << "\" stroke-width=\"" << kThinLine << "\"/>\n"
        << "</svg>\n";
    return text;
}

} // namespace appicon
