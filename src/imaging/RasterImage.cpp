#include "imaging/RasterImage.h"

#include "common/VzError.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QImageReader>
#include <QImageWriter>
#include <QSaveFile>

namespace vz {

namespace {

// ---- file hand-over -------------------------------------------------------
// Reading and writing go through Qt's image reader and writer for now; they
// sit here together so the picture type's own codecs can take their place.

QImage readRasterFile(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw FileError(QStringLiteral("Cannot open the image file \"%1\": %2").arg(fileName, file.errorString()));
    QImageReader reader(&file);
    reader.setDecideFormatFromContent(true);
    const QByteArray format = reader.format();
    if (format != "bmp" && format != "jpeg")
        throw FileError(QStringLiteral("The file \"%1\" is not a BMP or JPEG image.").arg(fileName));
    QImage image;
    if (!reader.read(&image) || image.isNull())
        throw FileError(QStringLiteral("Cannot read the image file \"%1\": %2").arg(fileName, reader.errorString()));
    return image;
}

// A plain bottom-up BITMAPINFOHEADER file with 24 bits per pixel: Qt's
// writer gives that for 32-bit images. Written beside the name and renamed
// over it, so a failure leaves an existing file as it was.
void writeBmp24(const QString &fileName, const QImage &image)
{
    const QImage rgb = image.format() == QImage::Format_RGB32 ? image : image.convertToFormat(QImage::Format_RGB32);
    QSaveFile file(fileName);
    QString reason;
    if (file.open(QIODevice::WriteOnly)) {
        QImageWriter writer(&file, "bmp");
        if (writer.write(rgb)) {
            if (file.commit())
                return;
            reason = file.errorString();
        } else {
            reason = writer.errorString();
            file.cancelWriting();
        }
    } else {
        reason = file.errorString();
    }
    throw FileError(QStringLiteral("Cannot write the image file \"%1\": %2").arg(fileName, reason));
}

} // namespace

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
    if (bitsPerPixel == 24)
        image.convertTo(QImage::Format_RGB888);
    m_bitmap = image;
}

void RasterImage::Save(const QString &fileName, int format, int bitsPerPixel, int quality, int multiPage) const
{
    requireBitmap();
    if (format != kFormatBmp24 || bitsPerPixel != 24 || multiPage != 0
        || (quality != kQualityTemporary && quality != kQualityUserFile))
        throw ImageError(QStringLiteral("Only 24-bit BMP files can be saved."));
    writeBmp24(fileName, m_bitmap);
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
