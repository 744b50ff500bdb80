#pragma once

// Builds small alphabets for the lettering tests.

#include "imagesets/ThumbnailTable.h"

#include "testutils.h"

#include <QBuffer>

namespace lettertest {

inline QImage solid(int w, int h, const QColor &c)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(c);
    return img;
}

inline QByteArray bmp(const QImage &img)
{
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    img.convertToFormat(QImage::Format_RGB888).save(&buf, "BMP");
    return bytes;
}

struct Letter
{
    QString name; // the letter name after the prefix, e.g. "A", "smalla", "SPACE"
    int width;
    int height;
    QColor colour;
};

// Writes letter files "<prefix>_<name>.bmp" with a letter catalog and a set
// data file; returns the folder (with "/").
inline QString writeAlphabet(const vztest::Sandbox &box, const QString &rel, const QString &type,
                             const QList<Letter> &letters, const QString &fill = "0")
{
    box.write(rel + "/ImageSetData.qn",
              QStringLiteral("Version=2\r\nName=%1\r\nType=%2\r\nFill=%3\r\n").arg(rel.section('/', -1), type, fill).toUtf8());
    vz::ThumbnailData table;
    for (const Letter &l : letters) {
        const QString file = "Bab_" + l.name + ".bmp";
        box.write(rel + "/" + file, bmp(solid(l.width, l.height, l.colour)));
        table.appendThumbnail(l.name, file, bmp(solid(55, 55, l.colour)));
    }
    if (!letters.isEmpty())
        table.saveToFile(box.path(rel + "/Images.catalog"));
    return box.path(rel) + "/";
}

inline const char *kCharacters = "A=A\r\nB=B\r\nC=C\r\nsmalla=a\r\nsmallb=b\r\nexclam=!\r\n";

} // namespace lettertest
