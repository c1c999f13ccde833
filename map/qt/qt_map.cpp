// SPDX-License-Identifier: GPL-3.0-or-later
#include "map/qt/qt_map.h"

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QImageWriter>
#include <QPaintDevice>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <cmath>

namespace qrb::map {
namespace {

constexpr double kInchesPerMeter = 1.0 / 0.0254;
constexpr double kPageDpi = 150.0;

QColor qcolour(Rgba c) {
    return QColor(c.r, c.g, c.b, c.a);
}

QPolygonF polygon(const std::vector<Pt>& points) {
    QPolygonF out;
    out.reserve(static_cast<qsizetype>(points.size()));
    for (const Pt& p : points) {
        out.append(QPointF(p.x, p.y));
    }
    return out;
}

class ScenePainter {
public:
    explicit ScenePainter(QPainter& painter) : p_(painter) {
        const QPaintDevice* device = painter.device();
        dpi_ = device != nullptr && device->logicalDpiY() > 0 ? device->logicalDpiY() : 96.0;
    }

    void operator()(const FillArea& area) {
        QPainterPath path;
        path.setFillRule(Qt::WindingFill);
        for (const std::vector<Pt>& ring : area.rings) {
            path.addPolygon(polygon(ring));
            path.closeSubpath();
        }
        p_.fillPath(path, qcolour(area.fill));
    }

    void operator()(const Box& box) {
        const QRectF rect(box.x, box.y, box.w, box.h);
        if (box.fill.a != 0) {
            p_.fillRect(rect, qcolour(box.fill));
        }
        if (box.stroke.a != 0 && box.strokeWidth > 0.0) {
            p_.setPen(QPen(qcolour(box.stroke), box.strokeWidth, Qt::SolidLine, Qt::SquareCap,
                           Qt::MiterJoin));
            p_.setBrush(Qt::NoBrush);
            p_.drawRect(rect);
        }
    }

    void operator()(const Line& line) {
        p_.setPen(
            QPen(qcolour(line.stroke), line.width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p_.drawPolyline(polygon(line.points));
    }

    void operator()(const Dot& dot) {
        p_.setPen(Qt::NoPen);
        p_.setBrush(qcolour(dot.fill));
        p_.drawEllipse(QPointF(dot.centre.x, dot.centre.y), dot.radius, dot.radius);
    }

    void operator()(const Label& label) {
        QFont font(QString::fromLatin1(kFontFamily));
        // A font size in points that comes out as label.size painter units.
        font.setPointSizeF(label.size * 72.0 / dpi_);
        font.setBold(label.bold);
        const QString text = QString::fromStdString(label.text);
        double x = label.at.x;
        if (label.anchor != Anchor::Start) {
            const double width = QFontMetricsF(font, p_.device()).horizontalAdvance(text);
            x -= label.anchor == Anchor::Middle ? width / 2.0 : width;
        }
        p_.setFont(font);
        if (label.halo.a != 0) {
            // The rim: the text in the rim's colour, shifted round in a circle.
            p_.setPen(qcolour(label.halo));
            const double r = 0.1 * label.size;
            for (int step = 0; step < 8; ++step) {
                const double angle = step * M_PI / 4.0;
                p_.drawText(QPointF(x + r * std::cos(angle), label.at.y + r * std::sin(angle)),
                            text);
            }
        }
        p_.setPen(qcolour(label.colour));
        p_.drawText(QPointF(x, label.at.y), text);
    }

private:
    QPainter& p_;
    double dpi_ = 96.0;
};

} // namespace

void paintScene(QPainter& painter, const Scene& scene) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.fillRect(QRectF(0.0, 0.0, scene.width, scene.height), qcolour(scene.paper));
    ScenePainter draw(painter);
    painter.save();
    painter.setClipRect(QRectF(scene.frame.x, scene.frame.y, scene.frame.w, scene.frame.h),
                        Qt::IntersectClip);
    for (const Primitive& p : scene.map) {
        std::visit(draw, p);
    }
    painter.restore();
    for (const Primitive& p : scene.overlay) {
        std::visit(draw, p);
    }
    painter.restore();
}

bool writePng(const MapInput& in, const std::string& path, std::string& error) {
    const Scene scene = drawMap(in);
    QImage image(static_cast<int>(scene.width), static_cast<int>(scene.height),
                 QImage::Format_RGB32);
    if (image.isNull()) {
        error = "kein Speicher für ein Bild von " + std::to_string(in.widthPx) + " x " +
                std::to_string(in.heightPx) + " Punkten";
        return false;
    }
    const int dotsPerMeter = static_cast<int>(std::lround(in.dpi * kInchesPerMeter));
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    {
        QPainter painter(&image);
        paintScene(painter, scene);
    }
    QImageWriter writer(QString::fromStdString(path), "png");
    if (!writer.write(image)) {
        error = path + ": " + writer.errorString().toStdString();
        return false;
    }
    return true;
}

bool writeMap(const MapInput& in, const std::string& path, std::string& error) {
    const QString suffix = QString::fromStdString(path).section(QLatin1Char('.'), -1).toLower();
    if (suffix == QLatin1String("svg") && path.find('.') != std::string::npos) {
        return writeSvg(in, path, error);
    }
    if (suffix == QLatin1String("png") && path.find('.') != std::string::npos) {
        return writePng(in, path, error);
    }
    error = path + ": die Karte wird als .svg oder .png geschrieben";
    return false;
}

void drawOnPage(QPainter& painter, const QRectF& rect, const MapInput& in) {
    const QPaintDevice* device = painter.device();
    const double dpi =
        device != nullptr && device->logicalDpiX() > 0 ? device->logicalDpiX() : kPageDpi;
    MapInput page = in;
    page.dpi = kPageDpi;
    page.widthPx = std::max(1, static_cast<int>(std::lround(rect.width() / dpi * kPageDpi)));
    page.heightPx = std::max(1, static_cast<int>(std::lround(rect.height() / dpi * kPageDpi)));
    const Scene scene = drawMap(page);
    painter.save();
    painter.translate(rect.topLeft());
    painter.scale(rect.width() / scene.width, rect.height() / scene.height);
    paintScene(painter, scene);
    painter.restore();
}

} // namespace qrb::map
