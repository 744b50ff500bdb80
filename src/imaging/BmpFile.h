#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

class QIODevice;

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

// A device-independent bitmap in two blocks, as the printer takes it: the
// header block (40-byte info header, bit masks when there are any, colour
// table) and the bottom-up pixel rows padded to 4 bytes.
struct DibBlocks
{
    QByteArray header;
    QByteArray pixels;
    int width = 0;
    int height = 0;
};

// The bitmap at its own depth: Mono 1 bit, Indexed8 8 bits (each with its
// colour table), RGB555 and RGB16 16 bits (RGB16 with its masks), BGR888 and
// RGB888 24 bits, every other format 32 bits. Transparent parts, including
// translucent colour-table entries, are put on white. False (blocks left
// empty) for a null image and for fewer than 32 bytes of pixels, which the
// printer cannot take as a bitmap.
bool LoadDibFromBitmap(const QImage &bitmap, DibBlocks &out);

// The same without the 32-byte floor: what one whole-bitmap transfer sends.
bool DibFromBitmap(const QImage &bitmap, DibBlocks &out);

// Reads a BMP file from the stream's current position into the two blocks:
// the 14-byte "BM" file header, then everything up to the pixel offset as
// the header block (a 40-byte info or 12-byte core header first), then the
// image size's bytes of pixels (for core headers and a zero image-size
// field: height x row bytes). False, blocks left empty, when the header is
// not "BM", the offset does not lie past the file header and before the
// stream's end, the header is neither kind, width or height is not positive,
// the pixels are under 32 bytes or the stream ends or fails before they are
// all read. Allocations never pass what the stream holds.
bool LoadDibFromStream(QIODevice &stream, DibBlocks &out);

} // namespace vz
