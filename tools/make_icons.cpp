// Writes Sondrel's icon as PNG files for the desktop's icon theme, one folder per size, or as
// one Windows icon file holding the sizes Windows shows:
//
//   make_icons FOLDER       ->   FOLDER/16x16/apps/org.sondrel.Sondrel.png, ...
//   make_icons --ico FILE   ->   FILE, with 16, 24, 32, 48 and 256 pixel pictures
#include "editor/icon.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QtEndian>

#include <cstdio>

namespace {

// An icon file whose pictures are PNG images, as Windows reads them since Vista: a header, one
// 16-byte entry a picture, then the pictures.
bool WriteIconFile(const QString& path) {
    const int sizes[] = {16, 24, 32, 48, 256};
    QList<QByteArray> pictures;
    for (const int size : sizes) {
        QByteArray png;
        QBuffer buffer(&png);
        if (!buffer.open(QIODevice::WriteOnly) ||
            !sondrel::DrawSondrelIcon(size).save(&buffer, "PNG")) {
            return false;
        }
        pictures << png;
    }
    QByteArray file;
    const auto add16 = [&file](quint16 value) {
        file.append(static_cast<char>(value & 0xFF)).append(static_cast<char>(value >> 8));
    };
    const auto add32 = [&](quint32 value) {
        add16(static_cast<quint16>(value & 0xFFFF));
        add16(static_cast<quint16>(value >> 16));
    };
    add16(0);
    add16(1); // an icon
    add16(static_cast<quint16>(pictures.size()));
    auto offset = static_cast<quint32>(6 + 16 * pictures.size());
    for (qsizetype i = 0; i < pictures.size(); ++i) {
        const int size = sizes[i];
        file.append(static_cast<char>(size == 256 ? 0 : size)); // 0 stands for 256
        file.append(static_cast<char>(size == 256 ? 0 : size));
        file.append('\0').append('\0'); // no palette; reserved
        add16(1);                       // colour planes
        add16(32);                      // bits per pixel
        add32(static_cast<quint32>(pictures[i].size()));
        add32(offset);
        offset += static_cast<quint32>(pictures[i].size());
    }
    for (const QByteArray& picture : pictures) {
        file.append(picture);
    }
    QFile out(path);
    return out.open(QIODevice::WriteOnly) && out.write(file) == file.size() && out.flush();
}

} // namespace

int main(int argc, char* argv[]) {
    const bool ico = argc == 3 && QByteArray(argv[1]) == "--ico";
    if (argc != 2 && !ico) {
        std::fprintf(stderr, "usage: make_icons FOLDER | make_icons --ico FILE\n");
        return 2;
    }
    QGuiApplication app(argc, argv);
    if (ico) {
        const QString file = QString::fromLocal8Bit(argv[2]);
        if (!WriteIconFile(file)) {
            std::fprintf(stderr, "make_icons: cannot write %s\n", qPrintable(file));
            return 1;
        }
        return 0;
    }
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
