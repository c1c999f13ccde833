// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the application icon for the desktop's icon theme:
// <theme>/<n>x<n>/apps/<id>.png for every size given and
// <theme>/scalable/apps/<id>.svg.
//
//   qrb-icon THEME_DIR APP_ID SIZE...
#include "icon/app_icon.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <cstdio>

namespace {

bool writeFile(const QString& path, const QByteArray& data) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(data) == data.size() && file.flush();
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: qrb-icon THEME_DIR APP_ID SIZE...\n");
        return 2;
    }
    const QString theme = QString::fromLocal8Bit(argv[1]);
    const QString id = QString::fromLocal8Bit(argv[2]);
    for (int i = 3; i < argc; ++i) {
        bool ok = false;
        const int size = QString::fromLocal8Bit(argv[i]).toInt(&ok);
        if (!ok || size < 16 || size % 16 != 0) {
            std::fprintf(stderr, "qrb-icon: size %s is no multiple of 16\n", argv[i]);
            return 2;
        }
        const QString dir = theme + QStringLiteral("/%1x%1/apps").arg(size);
        const QString path = dir + QLatin1Char('/') + id + QStringLiteral(".png");
        if (!QDir().mkpath(dir) || !appicon::render(size).save(path, "PNG")) {
            std::fprintf(stderr, "qrb-icon: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    const QString dir = theme + QStringLiteral("/scalable/apps");
    const QString path = dir + QLatin1Char('/') + id + QStringLiteral(".svg");
    if (!QDir().mkpath(dir) || !writeFile(path, appicon::svg().toUtf8())) {
        std::fprintf(stderr, "qrb-icon: cannot write %s\n", qPrintable(path));
        return 1;
    }
    return 0;
}
