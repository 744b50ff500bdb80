#pragma once

#include <QByteArray>
#include <QImage>

namespace datagen {

// Encodes an image as a GIF89a file (Qt reads GIF but cannot write it). Images
// of at most 256 colours keep them exactly; others are reduced to a fixed
// colour cube with ordered dithering, so the output depends on the pixels alone.
QByteArray encodeGif(const QImage &image);

} // namespace datagen
