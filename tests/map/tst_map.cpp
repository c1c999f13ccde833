// SPDX-License-Identifier: GPL-3.0-or-later
// The map of the worked squares: what the tally keeps, where the picture
// shows what, and the files it is written to.

#include "map/bake/gshhg_source.h"
#include "map/coast_asset.h"
#include "map/geography.h"
#include "map/map.h"
#include "map/qt/qt_map.h"
#include "map/svg.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>
#include <cmath>

using namespace qrb::map;

namespace {

struct Contact {
    const char* locator;
    int points;
    int band;
};

// A 144 MHz evening from JO62 (Berlin): Germany, England, Denmark, the Alps.
constexpr Contact kLog[] = {
    {"JO62QM", 2, 1}, {"jo62ok", 4, 1},  {"JO62", 1, 1},    {"JO61UX", 5, 1},
    {"JO31", 9, 1},   {"JN58TD", 12, 1}, {"IO91WM", 33, 1}, {"JO57", 20, 1},
    {"JO57", 6, 1},   {"JO70", 40, 2},   {"XX99", 3, 1},
};

MapInput sampleInput() {
    MapInput in;
    in.tally = SquareTally(1);
    for (const Contact& c : kLog) {
        in.tally.add(c.locator, c.points, c.band);
    }
    in.ownSquares = {"JO62QM"};
    in.title = {"DL0XYZ", "JO62QM", "144", "2024-06-01 \u2013 2024-06-02"};
    return in;
}

Rgba rgba(QRgb p) {
    return {static_cast<std::uint8_t>(qRed(p)), static_cast<std::uint8_t>(qGreen(p)),
            static_cast<std::uint8_t>(qBlue(p)), 255};
}

// Whether a pixel within two of the place has the colour: thin coast and
// grid lines may cross any single pixel.
bool colourNear(const QImage& image, Pt at, Rgba colour) {
    for (int dy = -2; dy <= 2; ++dy) {
        for (int dx = -2; dx <= 2; ++dx) {
            const QPoint p(static_cast<int>(at.x) + dx, static_cast<int>(at.y) + dy);
            if (image.valid(p) && rgba(image.pixel(p)) == colour) {
                return true;
            }
        }
    }
    return false;
}

bool anyClassColourNear(const QImage& image, Pt at, const std::vector<PointClass>& classes) {
    return std::any_of(classes.begin(), classes.end(),
                       [&](const PointClass& c) { return colourNear(image, at, c.colour); });
}

Rgba classColour(int points, const std::vector<PointClass>& classes) {
    for (const PointClass& c : classes) {
        if (points >= c.low && points <= c.high) {
            return c.colour;
        }
    }
    return {};
}

// A point inside a square, off its centre where the texts stand.
Pt insideSquare(const Scene& scene, const char* name) {
    Square s;
    parseSquare(name, s);
    return scene.projection(s.west() + 0.3, s.south() + 0.2);
}

// A made-up shore layer: in each bin held one closed ring just inside the
// bin's edge, a triangle or a square, so that a piece tells its layer.
coast::Layer ringLayer(char resolution, int binMinutes, int firstRow, int rowCount, int firstColumn,
                       int columnCount, std::uint32_t corners) {
    coast::Layer layer;
    layer.resolution = resolution;
    layer.binMinutes = binMinutes;
    layer.bits = 4;
    layer.columns = 360 * 60 / binMinutes;
    layer.rows = 180 * 60 / binMinutes;
    layer.firstRow = firstRow;
    layer.rowCount = rowCount;
    layer.firstColumn = firstColumn;
    layer.columnCount = columnCount;
    const std::vector<coast::QPoint> square{{1, 1}, {15, 1}, {15, 15}, {1, 15}};
    coast::Piece ring;
    ring.points.assign(square.begin(), square.begin() + corners);
    layer.bins.assign(static_cast<std::size_t>(rowCount) * static_cast<std::size_t>(columnCount),
                      coast::Bin{0, {ring}});
    return layer;
}

} // namespace

class TstMap : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    MapInput input_ = sampleInput();
    Scene scene_;
    QImage png_;
    QImage rendered_; // the SVG drawn by rsvg-convert
    std::vector<PointClass> classes_;

    QString path(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        scene_ = drawMap(input_);
        // Best points of the 144 MHz squares run from 4 (JO62) to 33 (IO91).
        classes_ = qrb::map::pointClasses(4, 33);
        std::string error;
        QVERIFY2(writePng(input_, path("map.png").toStdString(), error), error.c_str());
        QVERIFY(png_.load(path("map.png")));
        QVERIFY2(writeMap(input_, path("map.svg").toStdString(), error), error.c_str());
        const QString rsvg = QStandardPaths::findExecutable(QStringLiteral("rsvg-convert"));
        QVERIFY2(!rsvg.isEmpty(), "rsvg-convert missing (Debian: librsvg2-bin)");
        QProcess convert;
        convert.start(rsvg, {QStringLiteral("-o"), path("rendered.png"), path("map.svg")});
        QVERIFY(convert.waitForFinished(60000));
        QCOMPARE(convert.exitCode(), 0);
        QVERIFY(rendered_.load(path("rendered.png")));
    }

    void tally_data() {
        QTest::addColumn<int>("band");
        QTest::addColumn<QString>("expected"); // square:best/contacts ...
        QTest::addColumn<int>("unplaced");
        QTest::newRow("144 MHz") << 1 << "IO91:33/1 JN58:12/1 JO31:9/1 JO57:20/2 JO61:5/1 JO62:4/3"
                                 << 1;
        QTest::newRow("432 MHz") << 2 << "JO70:40/1" << 0;
        QTest::newRow("all bands")
            << kAllBands << "IO91:33/1 JN58:12/1 JO31:9/1 JO57:20/2 JO61:5/1 JO62:4/3 JO70:40/1"
            << 1;
        QTest::newRow("50 MHz") << 0 << "" << 0;
    }
    void tally() {
        QFETCH(int, band);
        QFETCH(QString, expected);
        QFETCH(int, unplaced);
        SquareTally tally(band);
        for (const Contact& c : kLog) {
            tally.add(c.locator, c.points, c.band);
        }
        QStringList got;
        for (const SquareSummary& s : tally.squares()) {
            got << QStringLiteral("%1:%2/%3")
                       .arg(QString::fromStdString(s.square.name()))
                       .arg(s.bestPoints)
                       .arg(s.contacts);
        }
        QCOMPARE(got.join(QLatin1Char(' ')), expected);
        QCOMPARE(tally.unplaced(), unplaced);
    }

    void pointClasses_data() {
        QTest::addColumn<int>("lowest");
        QTest::addColumn<int>("highest");
        QTest::addColumn<int>("count");
        QTest::newRow("one value") << 7 << 7 << 1;
        QTest::newRow("three values") << 1 << 3 << 3;
        QTest::newRow("wide range") << 1 << 33 << 6;
        QTest::newRow("reversed") << 40 << 2 << 6;
    }
    void pointClasses() {
        QFETCH(int, lowest);
        QFETCH(int, highest);
        QFETCH(int, count);
        const std::vector<PointClass> classes = qrb::map::pointClasses(lowest, highest);
        QCOMPARE(static_cast<int>(classes.size()), count);
        QCOMPARE(classes.front().low, std::min(lowest, highest));
        QCOMPARE(classes.back().high, std::max(lowest, highest));
        for (std::size_t i = 1; i < classes.size(); ++i) {
            QCOMPARE(classes[i].low, classes[i - 1].high + 1);
            QVERIFY(!(classes[i].colour == classes[i - 1].colour));
        }
    }

    // Every square in the frame, in its true shape, and nothing beyond the poles.
    void area_data() {
        QTest::addColumn<QStringList>("squares");
        QTest::newRow("one square") << QStringList{"JO62"};
        QTest::newRow("Europe") << QStringList{"IO91", "KN05", "JO62", "JP80"};
        QTest::newRow("whole earth") << QStringList{"AA00", "RR99", "JO62"};
        QTest::newRow("near the pole") << QStringList{"JR09"};
        QTest::newRow("nothing worked") << QStringList{};
    }
    void area() {
        QFETCH(QStringList, squares);
        MapInput in;
        for (const QString& square : squares) {
            QVERIFY(in.tally.add(square.toStdString(), 1, 1));
        }
        const Scene scene = drawMap(in);
        const Box& f = scene.frame;
        const Projection& p = scene.projection;
        QVERIFY(f.x >= 0.0 && f.y >= 0.0 && f.x + f.w <= scene.width && f.y + f.h <= scene.height);
        for (const QString& name : squares) {
            Square s;
            QVERIFY(parseSquare(name.toStdString(), s));
            const Pt nw = p(s.west(), s.south() + 1.0);
            const Pt se = p(s.west() + 2.0, s.south());
            QVERIFY(nw.x >= f.x - 1e-6 && nw.y >= f.y - 1e-6);
            QVERIFY(se.x <= f.x + f.w + 1e-6 && se.y <= f.y + f.h + 1e-6);
        }
        QVERIFY(p.north <= 90.0);
        QVERIFY(p.north - f.h / p.yPerDegree >= -90.0 - 1e-9);
        // The width factor of the middle latitude, kept from 80 degrees on.
        const double midLat = std::clamp(p.north - f.h / p.yPerDegree / 2.0, -80.0, 80.0);
        QVERIFY(std::abs(p.xPerDegree / p.yPerDegree - std::cos(midLat * M_PI / 180.0)) < 1e-9);
    }

    // Both pictures, the painter's PNG and the SVG drawn by rsvg-convert.
    void places_data() {
        QTest::addColumn<bool>("svg");
        QTest::addColumn<QString>("square");
        QTest::addColumn<int>("points"); // 0: not worked
        for (bool svg : {false, true}) {
            const char* kind = svg ? "svg " : "png ";
            auto row = [&](const char* square, int points) {
                QTest::newRow((std::string(kind) + square).c_str())
                    << svg << QString::fromLatin1(square) << points;
            };
            row("JO62", 4);
            row("JO61", 5);
            row("IO91", 33);
            row("JN58", 12);
            row("JO57", 20);
            row("JO42", 0);
            row("JO52", 0);
            row("JO70", 0); // worked, but on another band
        }
    }
    void places() {
        QFETCH(bool, svg);
        QFETCH(QString, square);
        QFETCH(int, points);
        const QImage& image = svg ? rendered_ : png_;
        const Pt at = insideSquare(scene_, square.toLatin1().constData());
        if (points > 0) {
            QVERIFY(colourNear(image, at, classColour(points, classes_)));
        } else {
            QVERIFY(!anyClassColourNear(image, at, classes_));
        }
    }

    void ownSquare_data() {
        QTest::addColumn<QString>("square");
        QTest::addColumn<bool>("own");
        QTest::newRow("own") << "JO62" << true;
        QTest::newRow("worked") << "JO61" << false;
        QTest::newRow("not worked") << "JO52" << false;
    }
    void ownSquare() {
        QFETCH(QString, square);
        QFETCH(bool, own);
        Square s;
        QVERIFY(parseSquare(square.toStdString(), s));
        const Pt top = scene_.projection(s.west() + 1.0, s.south() + 1.0);
        const Pt left = scene_.projection(s.west(), s.south() + 0.5);
        QCOMPARE(colourNear(png_, {top.x, top.y + 2.0}, kOwnColour), own);
        QCOMPARE(colourNear(png_, {left.x + 2.0, left.y}, kOwnColour), own);
    }

    void landAndSea_data() {
        QTest::addColumn<double>("lat");
        QTest::addColumn<double>("lon");
        QTest::addColumn<bool>("land");
        QTest::newRow("North Sea") << 56.3 << 3.5 << false;
        QTest::newRow("central Germany") << 51.3 << 10.5 << true;
        QTest::newRow("Baltic off Ruegen") << 54.8 << 13.8 << false;
        QTest::newRow("Alsace") << 48.3 << 7.3 << true;
    }
    void landAndSea() {
        QFETCH(double, lat);
        QFETCH(double, lon);
        QFETCH(bool, land);
        const Pt at = scene_.projection(lon, lat);
        for (const QImage* image : {&png_, &rendered_}) {
            QCOMPARE(colourNear(*image, at, kLandColour), land);
            QCOMPARE(colourNear(*image, at, kSeaColour), !land);
        }
    }

    void pngSize_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<double>("dpi");
        QTest::newRow("default") << 1754 << 1240 << 150.0;
        QTest::newRow("small screen") << 640 << 480 << 96.0;
        QTest::newRow("portrait print") << 1200 << 1700 << 300.0;
        QTest::newRow("thumbnail") << 40 << 30 << 150.0;
    }
    void pngSize() {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(double, dpi);
        MapInput in = sampleInput();
        in.widthPx = width;
        in.heightPx = height;
        in.dpi = dpi;
        std::string error;
        QVERIFY2(writeMap(in, path("size.png").toStdString(), error), error.c_str());
        QImage image;
        QVERIFY(image.load(path("size.png")));
        QCOMPARE(image.size(), QSize(width, height));
        QCOMPARE(image.dotsPerMeterX(), static_cast<int>(std::lround(dpi / 0.0254)));
        QCOMPARE(image.dotsPerMeterY(), image.dotsPerMeterX());
    }

    // Valid XML whatever the texts hold, and a tooltip on each worked square.
    void svgDocument() {
        MapInput in = sampleInput();
        in.title.station = "<DL&1\"X'> \xff\x01";
        const std::string svg = toSvg(drawMap(in));
        QXmlStreamReader xml(QByteArray::fromStdString(svg));
        QStringList tooltips;
        QString parent;
        while (!xml.atEnd()) {
            if (xml.readNext() == QXmlStreamReader::StartElement) {
                if (xml.name() == QLatin1String("title") && parent == QLatin1String("rect")) {
                    tooltips << xml.readElementText();
                }
                parent = xml.name().toString();
            }
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QCOMPARE(tooltips.size(), 6);
        QVERIFY(tooltips.contains(QStringLiteral("JO62: beste QRB-Punkte 4, 3 Verbindungen")));
        QVERIFY(tooltips.contains(QStringLiteral("JN58: beste QRB-Punkte 12, 1 Verbindung")));
        QVERIFY(QString::fromStdString(svg).contains(
            QStringLiteral("&lt;DL&amp;1&quot;X&apos;&gt; ?")));
    }

    // Texts from log files may hold anything.
    void xmlEscaped_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("escaped");
        QTest::newRow("markup") << QByteArray("a<b>&\"c'")
                                << QByteArray("a&lt;b&gt;&amp;&quot;c&apos;");
        QTest::newRow("umlaut and dash")
            << QByteArray("B\xc3\xa4nder \xe2\x80\x93") << QByteArray("B\xc3\xa4nder \xe2\x80\x93");
        QTest::newRow("Latin-1 byte") << QByteArray("B\xe4nder") << QByteArray("B?nder");
        QTest::newRow("cut sequence") << QByteArray("x\xe2\x80") << QByteArray("x??");
        QTest::newRow("overlong slash") << QByteArray("\xc0\xaf") << QByteArray("??");
        QTest::newRow("surrogate") << QByteArray("\xed\xa0\x80") << QByteArray("???");
        QTest::newRow("control characters")
            << QByteArray("a\x01\x1b\tb\nc", 7) << QByteArray("a\tb\nc");
        QTest::newRow("NUL") << QByteArray("a\0b", 3) << QByteArray("ab");
    }
    void xmlEscaped() {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, escaped);
        QCOMPARE(QByteArray::fromStdString(qrb::map::xmlEscaped(text.toStdString())), escaped);
    }

    void writeMapFiles_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("written");
        QTest::newRow("svg") << "a.svg" << true;
        QTest::newRow("PNG in capitals") << "b.PNG" << true;
        QTest::newRow("pdf") << "c.pdf" << false;
        QTest::newRow("no ending") << "svg" << false;
        QTest::newRow("svg in a missing folder") << "missing/d.svg" << false;
        QTest::newRow("png in a missing folder") << "missing/e.png" << false;
    }
    void writeMapFiles() {
        QFETCH(QString, name);
        QFETCH(bool, written);
        const QString file = dir_.filePath(name);
        std::string error;
        QCOMPARE(writeMap(input_, file.toStdString(), error), written);
        QCOMPARE(QFile::exists(file), written);
        QCOMPARE(error.empty(), written);
    }

    // The asset compiled in reads back as the GSHHG files it was baked from,
    // at the asset's own grid and region.
    void assetRoundTrip_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("file");
        for (const char* res : {"c", "l", "i"}) {
            QTest::newRow((std::string("shores ") + res).c_str())
                << 0 << QStringLiteral("binned_GSHHS_%1.nc").arg(QLatin1String(res));
            QTest::newRow((std::string("borders ") + res).c_str())
                << 1 << QStringLiteral("binned_border_%1.nc").arg(QLatin1String(res));
        }
    }
    void assetRoundTrip() {
        QFETCH(int, kind);
        QFETCH(QString, file);
        std::vector<coast::Layer> layers;
        QVERIFY(coast::decode(coast::builtIn(), layers));
        const char resolution = file.toLatin1().at(file.size() - 4);
        const auto held = std::find_if(layers.begin(), layers.end(), [&](const coast::Layer& l) {
            return static_cast<int>(l.kind) == kind && l.resolution == resolution;
        });
        QVERIFY(held != layers.end());
        const double size = held->binDegrees();
        coast::Region region;
        region.west = held->firstColumn * size;
        region.east = region.west + held->columnCount * size;
        region.north = 90.0 - held->firstRow * size;
        region.south = region.north - held->rowCount * size;
        coast::Layer source;
        std::string error;
        QVERIFY2(coast::readGshhg(QRB_GSHHG_DIR "/" + file.toStdString(), held->kind, resolution,
                                  held->bits, region, source, error),
                 error.c_str());
        QVERIFY(source == *held);
    }

    // An asset cut short anywhere is refused whole, and a map drawn from it
    // has no coastlines rather than half of them.
    void assetCutShort() {
        const std::span<const std::uint8_t> asset = coast::builtIn();
        std::vector<coast::Layer> layers;
        for (const std::size_t size : {std::size_t{0}, std::size_t{5}, std::size_t{12},
                                       std::size_t{40}, asset.size() / 2, asset.size() - 1}) {
            QVERIFY(!coast::decode(asset.first(size), layers));
            const Geography geo =
                loadGeography(asset.first(size), GeoBox{-180.0, 180.0, -90.0, 90.0}, 4.0);
            QVERIFY(geo.land.empty() && geo.coasts.empty() && geo.borders.empty());
        }
        QVERIFY(coast::decode(asset, layers));
    }

    // Each bin of a map from one resolution: the finer one where it is held
    // and the scale asks for it, the coarser one round it.
    void resolutions_data() {
        QTest::addColumn<double>("west");
        QTest::addColumn<double>("east");
        QTest::addColumn<double>("pixelsPerDegree");
        QTest::addColumn<int>("coarse");
        QTest::addColumn<int>("fine");
        // Coarse 20-degree bins round the earth; fine 5-degree ones from 0
        // to 20 E, 50 to 70 N. The boxes run from 52 to 58 N.
        QTest::newRow("close-up inside") << 6.0 << 14.0 << 200.0 << 0 << 4;
        QTest::newRow("close-up across the edge") << 16.0 << 24.0 << 200.0 << 1 << 2;
        QTest::newRow("close-up outside") << 22.0 << 38.0 << 200.0 << 1 << 0;
        QTest::newRow("small scale inside") << 6.0 << 14.0 << 4.0 << 1 << 0;
        QTest::newRow("once round the earth west") << -365.0 << -345.0 << 200.0 << 1 << 6;
    }
    void resolutions() {
        QFETCH(double, west);
        QFETCH(double, east);
        QFETCH(double, pixelsPerDegree);
        QFETCH(int, coarse);
        QFETCH(int, fine);
        const std::vector<std::uint8_t> asset = coast::encode(
            {ringLayer('c', 1200, 0, 9, 0, 18, 3), ringLayer('i', 300, 4, 4, 0, 4, 4)});
        const Geography geo = loadGeography(asset, GeoBox{west, east, 52.0, 58.0}, pixelsPerDegree);
        int coarseRings = 0;
        int fineRings = 0;
        for (const std::vector<LonLat>& coast : geo.coasts) {
            (coast.size() == 3 ? coarseRings : fineRings) += 1;
        }
        QCOMPARE(coarseRings, coarse);
        QCOMPARE(fineRings, fine);
        QCOMPARE(static_cast<int>(geo.land.size()), coarse + fine);
    }

    // A page of a PDF or printout: the map fills the rectangle it is given.
    void page() {
        QImage image(1200, 900, QImage::Format_RGB32);
        image.setDotsPerMeterX(11811); // 300 dpi
        image.setDotsPerMeterY(11811);
        image.fill(Qt::black);
        {
            QPainter painter(&image);
            drawOnPage(painter, QRectF(100, 100, 1000, 700), input_);
        }
        QCOMPARE(image.pixel(50, 50), qRgb(0, 0, 0));
        QCOMPARE(image.pixel(1150, 850), qRgb(0, 0, 0));
        QCOMPARE(image.pixel(105, 105), qRgb(255, 255, 255));
        QCOMPARE(image.pixel(1095, 795), qRgb(255, 255, 255));
        int worked = 0;
        for (int y = 100; y < 800; y += 3) {
            for (int x = 100; x < 1100; x += 3) {
                worked += rgba(image.pixel(x, y)) == classColour(33, classes_) ? 1 : 0;
            }
        }
        QVERIFY(worked > 20);
    }
};

QTEST_MAIN(TstMap)
#include "tst_map.moc"
