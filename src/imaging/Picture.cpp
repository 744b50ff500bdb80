#include "imaging/Picture.h"

#include "common/AtomicFile.h"
#include "common/VzError.h"
#include "imaging/BmpFile.h"
#include "imaging/RasterFile.h"
#include "metafile/EmfPlayer.h"
#include "metafile/Placeable.h"
#include "metafile/WmfPlayer.h"

#include <QFile>
#include <QFileInfo>
#include <QPainter>

#include <cmath>

namespace vz {

namespace {

QString invalidMessage(Picture::Kind kind)
{
    switch (kind) {
    case Picture::Kind::Bitmap: return QStringLiteral("Bitmap image is not valid");
    case Picture::Kind::Metafile:
    case Picture::Kind::EnhancedMetafile: return QStringLiteral("Metafile is not valid");
    case Picture::Kind::Icon: return QStringLiteral("Icon image is not valid");
    case Picture::Kind::Jpeg: return QStringLiteral("JPEG image is not valid");
    case Picture::Kind::Gif: return QStringLiteral("GIF image is not valid");
    default: return QStringLiteral("Picture is not valid");
    }
}

} // namespace

Picture Picture::fromImage(const QImage &bitmap)
{
    Picture p;
    if (bitmap.isNull())
        return p;
    auto d = std::make_shared<Data>();
    d->kind = Kind::Bitmap;
    d->image = bitmap;
    d->size = bitmap.size();
    p.m_d = std::move(d);
    return p;
}

Picture Picture::fromBytes(const QByteArray &bytes, Kind kind)
{
    auto d = std::make_shared<Data>();
    d->kind = kind;
    switch (kind) {
    case Kind::Bitmap:
        d->image = readBmp(bytes);
        if (d->image.isNull())
            throw FileError(invalidMessage(kind));
        d->size = d->image.size();
        break;
    case Kind::Jpeg:
    case Kind::Gif:
    case Kind::Icon: {
        // JPEGs through the raster toolkit's decoder (libjpeg-turbo, refusing
        // absurd sizes and scan counts); GIFs and icons through Qt.
        d->image = kind == Kind::Jpeg ? decodeJpeg(bytes, nullptr, QImage::Format_RGB32)
                                      : QImage::fromData(bytes, kind == Kind::Gif ? "GIF" : "ICO");
        if (d->image.isNull())
            throw FileError(invalidMessage(kind));
        d->bytes = bytes;
        d->size = d->image.size();
        break;
    }
    case Kind::Metafile:
    case Kind::EnhancedMetafile:
        if (mf::isEnhancedMetafileData(bytes)) {
            const auto doc = mf::EmfDocument::parse(bytes);
            if (!doc)
                throw FileError(invalidMessage(kind));
            d->kind = Kind::EnhancedMetafile;
            d->physical = doc->physicalSize();
            d->size = doc->pixelSize();
            d->unitsPerInch = int(std::lround(doc->devicePixelsPerMm() * 25.4));
            d->bounds = QRectF(doc->frameHiMetric()).normalized();
            d->records = int(doc->records().size());
            d->emf = std::make_shared<const mf::EmfDocument>(*doc);
        } else {
            const auto doc = mf::WmfDocument::parse(bytes);
            if (!doc)
                throw FileError(invalidMessage(kind));
            d->kind = Kind::Metafile;
            d->physical = doc->physicalSize();
            d->size = doc->pixelSize();
            d->unitsPerInch = doc->unitsPerInch();
            d->bounds = doc->frame();
            d->records = int(doc->records().size());
            d->wmf = std::make_shared<const mf::WmfDocument>(*doc);
        }
        d->bytes = bytes;
        break;
    case Kind::None:
        return Picture();
    }
    Picture p;
    p.m_d = std::move(d);
    return p;
}

Picture::Kind Picture::kindForExtension(QString extension)
{
    extension = extension.toUpper();
    if (extension.startsWith(QLatin1Char('.')))
        extension.remove(0, 1);
    if (extension == QLatin1String("BMP") || extension == QLatin1String("DIB"))
        return Kind::Bitmap;
    if (extension == QLatin1String("WMF"))
        return Kind::Metafile;
    if (extension == QLatin1String("EMF"))
        return Kind::EnhancedMetafile;
    if (extension == QLatin1String("ICO"))
        return Kind::Icon;
    if (extension == QLatin1String("JPG") || extension == QLatin1String("JPEG"))
        return Kind::Jpeg;
    if (extension == QLatin1String("GIF"))
        return Kind::Gif;
    return Kind::None;
}

Picture Picture::fromFile(const QString &fileName)
{
    const QString ext = QFileInfo(fileName).suffix();
    const Kind kind = kindForExtension(ext);
    if (kind == Kind::None)
        throw FileError(QStringLiteral("Unknown picture file extension (.%1)").arg(ext.toLower()));
    return fromFile(fileName, kind);
}

Picture Picture::fromFile(const QString &fileName, Kind kind)
{
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly))
        throw FileError(QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, f.errorString()));
    if (kind == Kind::Bitmap) {
        const QImage image = readBmpFile(f.readAll());
        if (image.isNull())
            throw FileError(invalidMessage(kind));
        return fromImage(image);
    }
    return fromBytes(f.readAll(), kind);
}

void Picture::setSize(const QSize &pixels)
{
    if (!m_d || !isMetafile())
        return;
    auto d = std::make_shared<Data>(*m_d);
    d->size = pixels;
    d->physical = QSize(int(std::lround(pixels.width() * 2540.0 / 96)), int(std::lround(pixels.height() * 2540.0 / 96)));
    d->resized = true;
    m_d = std::move(d);
}

bool Picture::draw(QPainter &painter, const QRectF &target) const
{
    if (!m_d || target.isEmpty())
        return false;
    switch (m_d->kind) {
    case Kind::Metafile: return m_d->wmf && mf::playWmf(*m_d->wmf, painter, target).records > 0;
    case Kind::EnhancedMetafile: return m_d->emf && mf::playEmf(*m_d->emf, painter, target).records > 0;
    case Kind::None: return false;
    default:
        painter.save();
        painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
        painter.drawImage(target, m_d->image);
        painter.restore();
        return true;
    }
}

QImage Picture::render(QSize size, const QColor &background, bool antialiased) const
{
    if (size.isEmpty())
        size = this->size();
    if (size.isEmpty())
        return QImage();
    QImage out(size, QImage::Format_RGB32);
    out.fill(background);
    QPainter p(&out);
    p.setRenderHint(QPainter::Antialiasing, antialiased);
    p.setRenderHint(QPainter::SmoothPixmapTransform, antialiased);
    draw(p, QRectF(0, 0, size.width(), size.height()));
    p.end();
    return out;
}

QByteArray Picture::saveData() const
{
    if (!m_d)
        return QByteArray();
    switch (m_d->kind) {
    case Kind::Bitmap: return writeBmp24(m_d->image);
    case Kind::Metafile: {
        if (!m_d->wmf)
            return m_d->bytes;
        QByteArray out = m_d->wmf->placeableBytes();
        if (m_d->resized) {
            // The bounding box follows the size the picture was given.
            auto h = mf::readPlaceableHeader(out);
            if (h) {
                const int inch = h->unitsPerInch ? h->unitsPerInch : 96;
                h->right = qint16(std::clamp<long>(h->left + std::lround(m_d->physical.width() * double(inch) / 2540), -32768, 32767));
                h->bottom = qint16(std::clamp<long>(h->top + std::lround(m_d->physical.height() * double(inch) / 2540), -32768, 32767));
                h->checksum = h->computeChecksum();
                out.replace(0, mf::kPlaceableHeaderSize, h->toBytes());
            }
        }
        return out;
    }
    default: return m_d->bytes;
    }
}

void Picture::saveToFile(const QString &fileName) const
{
    QString error;
    if (!writeFileAtomically(fileName, saveData(), &error))
        throw FileError(QStringLiteral("Cannot create file \"%1\". %2").arg(fileName, error));
}

QString Picture::defaultExtension() const
{
    switch (kind()) {
    case Kind::Bitmap: return QStringLiteral("bmp");
    case Kind::Metafile: return QStringLiteral("wmf");
    case Kind::EnhancedMetafile: return QStringLiteral("emf");
    case Kind::Jpeg: return QStringLiteral("jpg");
    case Kind::Gif: return QStringLiteral("gif");
    case Kind::Icon: return QStringLiteral("ico");
    default: return QString();
    }
}

} // namespace vz
