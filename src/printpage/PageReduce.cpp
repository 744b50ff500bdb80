#include "printpage/PageModel.h"

#include "common/VzError.h"
#include "imaging/BmpFile.h"
#include "printpage/TDibImage.h"

#include <QtEndian>

#include <cstring>

namespace vz {

namespace {

// The bitmap as a BMP file for the resampler. Opaque 32-bit images go as a
// top-down 32-bit BMP, one copy of their rows; wide photos are large, and
// turning every pixel into three bytes first costs more than the scaling.
QByteArray bmpFileOf(const QImage &image)
{
    const qsizetype rowBytes = qsizetype(image.width()) * 4;
    if (image.format() != QImage::Format_RGB32 || image.bytesPerLine() != rowBytes)
        return writeBmp24(image);
    const qsizetype pixels = rowBytes * image.height();
    constexpr int kHeaders = 14 + 40;
    if (pixels > qsizetype(0x7FFFFFFF) - kHeaders)
        return writeBmp24(image);
    QByteArray out(kHeaders + pixels, Qt::Uninitialized);
    uchar *p = reinterpret_cast<uchar *>(out.data());
    std::memset(p, 0, kHeaders);
    p[0] = 'B';
    p[1] = 'M';
    qToLittleEndian<quint32>(quint32(out.size()), p + 2);
    qToLittleEndian<quint32>(kHeaders, p + 10);
    uchar *info = p + 14;
    qToLittleEndian<quint32>(40, info);
    qToLittleEndian<qint32>(image.width(), info + 4);
    qToLittleEndian<qint32>(-image.height(), info + 8); // rows top-down, as QImage holds them
    qToLittleEndian<quint16>(1, info + 12);
    qToLittleEndian<quint16>(32, info + 14);
    qToLittleEndian<quint32>(quint32(pixels), info + 20);
    // On a little-endian machine RGB32 is stored B, G, R, X: the BMP order.
    if constexpr (Q_BYTE_ORDER == Q_LITTLE_ENDIAN) {
        std::memcpy(p + kHeaders, image.constBits(), size_t(pixels));
    } else {
        for (int y = 0; y < image.height(); ++y) {
            const auto *src = reinterpret_cast<const QRgb *>(image.constScanLine(y));
            uchar *dst = p + kHeaders + y * rowBytes;
            for (int x = 0; x < image.width(); ++x)
                qToLittleEndian<quint32>(src[x], dst + 4 * x);
        }
    }
    return out;
}

} // namespace

Picture reducePictureForScreen(const Picture &picture, int screenWidth)
{
    // Only bitmaps are reduced; metafiles, JPEGs and the rest keep their
    // kind and bytes.
    if (picture.kind() != Picture::Kind::Bitmap || screenWidth <= 0 || picture.width() <= screenWidth)
        return picture;
    const int factor = picture.width() / screenWidth;
    if (factor < 2)
        return picture;
    const std::optional<QByteArray> reduced = reduceBmpFile(bmpFileOf(picture.image()), factor);
    if (!reduced)
        return picture; // the resampler refused it: placed at full size
    try {
        return Picture::fromBytes(*reduced, Picture::Kind::Bitmap);
    } catch (const VzError &) {
        return picture;
    }
}

} // namespace vz
