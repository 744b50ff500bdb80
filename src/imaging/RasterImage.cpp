#include "imaging/RasterImage.h"

#include "common/VzError.h"
#include "imaging/RasterFile.h"

#include <QClipboard>
#include <QGuiApplication>

namespace vz {

void RasterImage::requireBitmap() const
{
    if (m_bitmap.isNull())
        throw ImageError(QStringLiteral("The image is empty."));
}

void RasterImage::Load(const QString &fileName, int bitsPerPixel, int page, int pageCount)
{
    if (bitsPerPixel != 0 && bitsPerPixel != 24)
        throw ImageError(QStringLiteral("Cannot load an image with %1 bits per pixel.").arg(bitsPerPixel));
    if (page != 0 || pageCount != 1)
        throw ImageError(QStringLiteral("The image file has only one page."));
    QImage image = readRasterFile(fileName);
    if (bitsPerPixel == 24 && image.format() != QImage::Format_BGR888)
        image.convertTo(QImage::Format_BGR888);
    m_bitmap = image;
}

void RasterImage::Save(const QString &fileName, int format, int bitsPerPixel, int quality, int multiPage) const
{
    requireBitmap();
    if (format != kFormatBmp24 || bitsPerPixel != 24 || multiPage != 0
        || (quality != kQualityTemporary && quality != kQualityUserFile))
        throw ImageError(QStringLiteral("Only 24-bit BMP files can be saved."));
    writeRasterBmp24(fileName, m_bitmap);
}

void RasterImage::setBitmap(const QImage &bitmap)
{
    m_bitmap = bitmap; // shared until either side writes, so still a copy of its own
}

void RasterImage::Copy(int flags) const
{
    requireBitmap();
    if (flags != kCopyFlags)
        throw ImageError(QStringLiteral("Unsupported clipboard flags %1.").arg(flags));
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        throw ImageError(QStringLiteral("The system clipboard is not available."));
    QGuiApplication::clipboard()->setImage(m_bitmap);
}

void RasterImage::apply(Effect effect, int value)
{
    requireBitmap();
    if (effectTakesValue(effect) && (value < effectMinimum(effect) || value > effectMaximum(effect)))
        throw ImageError(QStringLiteral("The %1 value %2 is outside %3..%4.")
                             .arg(effectName(effect))
                             .arg(value)
                             .arg(effectMinimum(effect))
                             .arg(effectMaximum(effect)));
    applyEffect(m_bitmap, effect, value);
}

void RasterImage::Hue(int angle)
{
    apply(Effect::Hue, angle);
}

void RasterImage::Saturation(int value)
{
    apply(Effect::Saturation, value);
}

void RasterImage::Intensity(int value)
{
    apply(Effect::Intensity, value);
}

void RasterImage::Contrast(int value)
{
    apply(Effect::Contrast, value);
}

void RasterImage::Sharpen(int value)
{
    apply(Effect::Sharpen, value);
}

void RasterImage::Median(int size)
{
    apply(Effect::Median, size);
}

void RasterImage::Flip()
{
    apply(Effect::Flip, 0);
}

void RasterImage::Reverse()
{
    apply(Effect::Reverse, 0);
}

void RasterImage::DeleteBitmapListItems(int first, int count)
{
    if (first < 0 || count < 0)
        throw ImageError(QStringLiteral("Invalid bitmap list range."));
    if (first == 0 && count > 0)
        m_bitmap = QImage();
}

} // namespace vz
