#pragma once

#include <QImage>
#include <QString>

namespace vz::mf {

// Decodes a packed device-independent bitmap: an info header (core, info or
// later versions), its colour table or bit masks, then the pixel rows.
// `bitsOffset` is where the rows start, counted from the header; pass -1 to
// take them right after the colour table. Supports 1, 4, 8, 16, 24 and 32
// bits, RLE4, RLE8, bit fields and top-down rows; embedded JPEG and PNG go
// through Qt. Colour indices past the table are clamped to its last entry.
// With `paletteIndices` the table holds 16-bit indices into a logical palette
// that is not available here, so they are shown as a grey ramp.
// Returns a null image and sets `error` when the data cannot be a bitmap.
// Short pixel data leaves the missing rows white.
QImage decodeDib(const uchar *data, qsizetype size, qsizetype bitsOffset = -1, QString *error = nullptr,
                 bool paletteIndices = false);

// The packed DIB of an image as a 24-bit bottom-up bitmap (40-byte header,
// rows padded to 4 bytes). Transparent parts are put on white.
QByteArray encodeDib24(const QImage &image);

// A 1-bit mask DIB (white where `image` is transparent, black elsewhere) and
// the matching image with black behind the transparent parts: the pair that
// draws a transparent picture with the AND and OR raster operations.
QByteArray encodeMaskDib(const QImage &image);
QByteArray encodeMaskedColourDib(const QImage &image);

} // namespace vz::mf
