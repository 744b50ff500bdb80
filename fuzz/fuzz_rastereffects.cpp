// Runs one raster effect on a small image built from the input: effect,
// value, size and format first, then the pixels. The effects' edge handling
// (single rows and columns, windows larger than the image) is what this
// exercises under the sanitizers.

#include "imaging/RasterEffects.h"

#include <QImage>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 6)
        return 0;
    const auto effect = static_cast<vz::Effect>(data[0] % 8);
    const int value = int(int16_t(uint16_t(data[1] | data[2] << 8)));
    const int w = 1 + data[3] % 48, h = 1 + data[4] % 48;
    static const QImage::Format formats[] = {QImage::Format_RGB32, QImage::Format_RGB888, QImage::Format_ARGB32,
                                             QImage::Format_Grayscale8, QImage::Format_Indexed8};
    const QImage::Format format = formats[data[5] % 5];
    data += 6;
    size -= 6;

    QImage img(w, h, format);
    if (format == QImage::Format_Indexed8) {
        QList<QRgb> table;
        for (int i = 0; i < 256; ++i)
            table.append(qRgb(i, 255 - i, i / 2));
        img.setColorTable(table);
    }
    const size_t rowBytes = size_t(img.bytesPerLine());
    for (int y = 0; y < h; ++y) {
        uchar *line = img.scanLine(y);
        for (size_t i = 0; i < rowBytes; ++i)
            line[i] = size ? data[(size_t(y) * rowBytes + i) % size] : uchar(0);
    }
    if (format == QImage::Format_RGB32) // the format's fourth byte is always 0xff
        for (int y = 0; y < h; ++y) {
            auto *p = reinterpret_cast<QRgb *>(img.scanLine(y));
            for (int x = 0; x < w; ++x)
                p[x] |= 0xff000000u;
        }

    vz::applyEffect(img, effect, value);
    // Neutral values leave the image as it was; everything else leaves one of
    // the two working formats.
    const int v = std::clamp(value, vz::effectMinimum(effect), vz::effectMaximum(effect));
    const bool neutral = vz::effectTakesValue(effect)
        && (v == vz::effectNeutral(effect) || (effect == vz::Effect::Hue && v % 360 == 0));
    if (!neutral && img.format() != QImage::Format_RGB32 && img.format() != QImage::Format_RGB888)
        __builtin_trap();
    if (neutral && img.format() != format)
        __builtin_trap();
    return 0;
}
