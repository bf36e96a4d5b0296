// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
// Build-time tool: renders icon 135 into the hicolor theme's sizes. The artwork is pixel art, so
// whole-number enlargements keep its pixels sharp; the sizes in between and below are smoothed.
#include "zandrel.xpm"

#include <cstdio>
#include <QDir>
#include <QImage>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: render_icon OUTPUT_DIR ICON_NAME\n");
        return 2;
    }
    const QImage icon(zandrel_xpm);
    if (icon.isNull()) {
        std::fprintf(stderr, "render_icon: the XPM could not be read\n");
        return 1;
    }
    const QString strOut = QString::fromLocal8Bit(argv[1]);
    const QString strName = QString::fromLocal8Bit(argv[2]);
    for (const int nSize : {16, 24, 32, 48, 64, 128, 256}) {
        const QString strDir = QStringLiteral("%1/hicolor/%2x%2/apps").arg(strOut).arg(nSize);
        const QString strFile = QStringLiteral("%1/%2.png").arg(strDir, strName);
        const QImage scaled = icon.scaled(nSize, nSize, Qt::IgnoreAspectRatio,
                                          nSize % icon.width() == 0 ? Qt::FastTransformation
                                                                    : Qt::SmoothTransformation);
        if (!QDir().mkpath(strDir) || !scaled.save(strFile, "PNG")) {
            std::fprintf(stderr, "render_icon: cannot write %s\n", qPrintable(strFile));
            return 1;
        }
    }
    return 0;
}
