// Writes Sondrel's icon as PNG files for the desktop's icon theme, one folder per size:
//
//   make_icons FOLDER   ->   FOLDER/16x16/apps/org.sondrel.Sondrel.png, ...
#include "editor/icon.h"

#include <QDir>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_icons FOLDER\n");
        return 2;
    }
    QGuiApplication app(argc, argv);
    const QString folder = QString::fromLocal8Bit(argv[1]);
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        const QString sized = QStringLiteral("%1/%2x%2/apps").arg(folder).arg(size);
        if (!QDir().mkpath(sized) ||
            !sondrel::DrawSondrelIcon(size).save(sized + "/org.sondrel.Sondrel.png")) {
            std::fprintf(stderr, "make_icons: cannot write %s\n", qPrintable(sized));
            return 1;
        }
    }
    return 0;
}
