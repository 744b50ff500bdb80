#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace vz {

// The image files of the raster toolkit: BMP and JPEG in, 24-bit BMP out.
//
// 24-bit pictures are held as Format_BGR888, the byte order of a BMP row, so
// an uncompressed 24-bit BMP is read straight into the image's rows and such
// an image is written straight from them: no conversion and no second copy of
// a large picture on either side.

// Reads a BMP or JPEG file, chosen by its content and not by its name. A
// 24-bit BMP or a JPEG gives a Format_BGR888 image; other BMP depths give what
// the DIB decoder gives. Raises FileError for a missing, unreadable, damaged
// or foreign file and for pictures over the size limit.
QImage readRasterFile(const QString &fileName);

// Decodes JPEG data into a Format_BGR888 image, or Format_RGB32 when asked,
// grey and CMYK pictures included. Returns a null image and sets `error` for
// data that is not a readable JPEG, a picture over the size limit or one with
// an absurd number of progressive scans.
QImage decodeJpeg(const QByteArray &bytes, QString *error = nullptr,
                  QImage::Format format = QImage::Format_BGR888);

// Writes a 24-bit bottom-up Windows BMP with a 40-byte header. The file is
// written beside its name and renamed over it, so a failure leaves an existing
// file as it was. Transparency is dropped. Raises FileError.
void writeRasterBmp24(const QString &fileName, const QImage &image);

// A bitmap saved under a name the user chose: PNG when the name ends in
// ".png" (any case), else a 24-bit BMP as above. Either way written beside
// its name and renamed over it. Raises FileError.
void writeBitmapFile(const QString &fileName, const QImage &image);
bool isPngName(const QString &fileName);

// Passes an uncompressed 24-bit BMP into a new 24-bit BMP a band of rows at
// a time, for effects that work on each row by itself: `rowEffect` gets each
// band as a BGR888 image (its rows in no particular order) and changes it in
// place. With `flip` the rows come out top to bottom reversed. Only a band is
// ever held, which for large pictures is much quicker than reading the whole
// picture, changing it and writing it. Returns false, touching nothing, when
// `in` is not such a BMP (read it whole then); raises FileError when reading
// or writing fails. The output is written beside its name and renamed.
bool transformBmp24Rows(const QString &in, const QString &out, bool flip, void (*rowEffect)(QImage &band, int value),
                        int value);

// Pictures above this many bytes of 24-bit pixels are refused, as by Qt's
// image reader: a few bytes of header must not make us allocate gigabytes.
constexpr qint64 kMaxRasterBytes = qint64(256) * 1024 * 1024;

} // namespace vz
