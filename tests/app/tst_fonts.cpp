// SPDX-License-Identifier: GPL-3.0-or-later
// The program's fonts: the font configuration it reads itself gives every
// request the same font, with the same rendering, as the one fontconfig reads
// on its own; one it cannot read is left to fontconfig. The window's font
// becomes the application's, while tooltips, context menus and the print note
// keep the desktop's.
#include "app/font_config.h"
#include "app/print_notice.h"
#include "app/telvor.h"
#include "output/recording_printer.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QToolTip>
#include <QtTest>
#include <fontconfig/fontconfig.h>

namespace {

// The font a request gets, with the settings it is drawn with, as one text.
QByteArray chosenFont(FcConfig* config, const char* request) {
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(request));
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config, pattern, &result);
    FcPatternDestroy(pattern);
    if (match == nullptr) {
        return {};
    }
    FcChar8* text = FcNameUnparse(match);
    QByteArray chosen(reinterpret_cast<const char*>(text));
    FcStrFree(text);
    FcPatternDestroy(match);
    return chosen;
}

} // namespace

class TstFonts : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void sameFontAsFontconfigsOwn_data();
    void sameFontAsFontconfigsOwn();
    void unreadableConfigurationLeftToFontconfig_data();
    void unreadableConfigurationLeftToFontconfig();
    void popupsKeepTheDesktopsFont();

private:
    FcConfig* fontconfigsOwn_ = nullptr;
};

void TstFonts::initTestCase() {
    // Before anything asks fontconfig, as in the program.
    QVERIFY(qrb::loadFontConfiguration());
    fontconfigsOwn_ = FcInitLoadConfigAndFonts();
    QVERIFY(fontconfigsOwn_ != nullptr);
}

void TstFonts::cleanupTestCase() {
    FcConfigDestroy(fontconfigsOwn_);
}

void TstFonts::sameFontAsFontconfigsOwn_data() {
    QTest::addColumn<QByteArray>("request");
    // The window's families, none of them installed on Linux, at the sizes
    // it asks for; generic names; installed families in other styles.
    for (const char* request :
         {"Arial:pixelsize=13", "Arial:pixelsize=11", "Courier New:pixelsize=11",
          "Courier New:pixelsize=9", "MS Sans Serif:pixelsize=11", "Sans Serif:pixelsize=12",
          "monospace", "serif:bold", "Liberation Sans:italic", "DejaVu Sans:weight=200"}) {
        QTest::newRow(request) << QByteArray(request);
    }
}

void TstFonts::sameFontAsFontconfigsOwn() {
    QFETCH(QByteArray, request);
    const QByteArray own = chosenFont(fontconfigsOwn_, request.constData());
    QVERIFY(!own.isEmpty());
    QCOMPARE(chosenFont(nullptr, request.constData()), own);
}

void TstFonts::unreadableConfigurationLeftToFontconfig_data() {
    QTest::addColumn<QByteArray>("configuration");
    QTest::addColumn<bool>("debug");
    QTest::newRow("no such file") << QByteArray() << false;
    QTest::newRow("no cache folder") << QByteArray("<?xml version=\"1.0\"?>\n"
                                                   "<fontconfig><dir>/usr/share/fonts</dir>"
                                                   "</fontconfig>\n")
                                     << false;
    QTest::newRow("debugging output asked for") << QByteArray() << true;
}

void TstFonts::unreadableConfigurationLeftToFontconfig() {
    QFETCH(QByteArray, configuration);
    QFETCH(bool, debug);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("fonts.conf"));
    if (!configuration.isEmpty()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(configuration);
    }
    FcConfig* before = FcConfigReference(nullptr);
    if (debug) {
        // Any value: fontconfig reads it as a number, 0 prints nothing.
        qputenv("FC_DEBUG", "0");
    } else {
        qputenv("FONTCONFIG_FILE", path.toLocal8Bit());
    }
    const bool loaded = qrb::loadFontConfiguration();
    qunsetenv("FONTCONFIG_FILE");
    qunsetenv("FC_DEBUG");
    FcConfig* after = FcConfigReference(nullptr);
    QVERIFY(!loaded);
    QCOMPARE(after, before);
    FcConfigDestroy(after);
    FcConfigDestroy(before);
}

void TstFonts::popupsKeepTheDesktopsFont() {
    const QFont desktop = QApplication::font();
    const QFont tooltips = QToolTip::font();
    const QFont menus = QApplication::font("QMenu");
    qrb::RecordingPrinter printer;
    const Telvor window(printer);
    QCOMPARE(QApplication::font(), window.font());
    QVERIFY(window.font() != desktop);
    QCOMPARE(QToolTip::font(), tooltips);
    QCOMPARE(QApplication::font("QMenu"), menus);
    QCOMPARE(PrintNotice().font(), tooltips);
}

QTEST_MAIN(TstFonts)
#include "tst_fonts.moc"
