#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace vz {

// Reads a BMP file (the 14-byte "BM" file header, then a DIB). Returns a
// null image and sets `error` when the data is not a readable bitmap. Lenient
// about short pixel data: missing rows are left white (pictures held inside
// other files, clipboard data).
QImage readBmp(const QByteArray &bytes, QString *error = nullptr);

// Reads a BMP file from disk as readBmp does, but refuses uncompressed pixel
// data that ends before the last row's pixels: such a file was cut short.
// Only a missing padding after the last row's pixels is accepted.
QImage readBmpFile(const QByteArray &bytes, QString *error = nullptr);

// A 24-bit BMP file: 14-byte file header, 40-byte info header, bottom-up
// rows padded to 4 bytes. Transparent parts are put on white.
QByteArray writeBmp24(const QImage &image);

} // namespace vz
