#include "platform/SystemClipboard.h"

#include "common/VzError.h"
#include "metafile/Placeable.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>

#include <algorithm>
#include <cmath>

namespace vz {

namespace {

constexpr int kLargestRendering = 4096;

QClipboard *clipboard()
{
    return qobject_cast<QGuiApplication *>(QCoreApplication::instance()) ? QGuiApplication::clipboard() : nullptr;
}

// The image other programs paste: the picture at its size in pixels, kept
// within a sane size.
QImage renderForPaste(const Picture &pic, QSize pixels)
{
    if (pixels.isEmpty())
        pixels = pic.size();
    if (pixels.isEmpty())
        pixels = QSize(1, 1);
    if (std::max(pixels.width(), pixels.height()) > kLargestRendering)
        pixels = pixels.scaled(kLargestRendering, kLargestRendering, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    return pic.render(pixels);
}

void putMetafileWithSize(const QByteArray &placeable, QSize pixels)
{
    QClipboard *cb = clipboard();
    if (!cb)
        return;
    const Picture pic = Picture::fromBytes(placeable, Picture::Kind::Metafile);
    auto *mime = new QMimeData;
    mime->setData(QString::fromLatin1(kWmfMimeType), placeable);
    mime->setImageData(renderForPaste(pic, pixels));
    cb->setMimeData(mime);
}

} // namespace

namespace SystemClipboard {

void putBitmap(const QImage &bitmap)
{
    if (QClipboard *cb = clipboard())
        cb->setImage(bitmap);
}

void putText(const QString &text)
{
    if (QClipboard *cb = clipboard())
        cb->setText(text);
}

void putMetafile(const QByteArray &placeable)
{
    putMetafileWithSize(placeable, QSize());
}

void putPicture(const Picture &picture)
{
    if (picture.kind() == Picture::Kind::Metafile)
        putMetafileWithSize(picture.saveData(), picture.size());
    else if (!picture.isNull())
        putBitmap(picture.render());
}

bool hasPicture()
{
    QClipboard *cb = clipboard();
    const QMimeData *m = cb ? cb->mimeData() : nullptr;
    return m && (m->hasFormat(QString::fromLatin1(kWmfMimeType)) || m->hasImage());
}

bool hasText()
{
    QClipboard *cb = clipboard();
    const QMimeData *m = cb ? cb->mimeData() : nullptr;
    return m && m->hasText();
}

Picture takePicture()
{
    QClipboard *cb = clipboard();
    const QMimeData *m = cb ? cb->mimeData() : nullptr;
    if (!m)
        return Picture();
    if (m->hasFormat(QString::fromLatin1(kWmfMimeType))) {
        try {
            return Picture::fromBytes(m->data(QString::fromLatin1(kWmfMimeType)), Picture::Kind::Metafile);
        } catch (const VzError &) {
            // fall back to the image
        }
    }
    if (m->hasImage())
        return Picture::fromImage(qvariant_cast<QImage>(m->imageData()).convertToFormat(QImage::Format_RGB32));
    return Picture();
}

QString takeText()
{
    QClipboard *cb = clipboard();
    return cb ? cb->text() : QString();
}

} // namespace SystemClipboard

void PutMetafileOnClipboard(const QString &fileName)
{
    QFile f(fileName);
    if (!f.exists())
        return;
    if (!f.open(QIODevice::ReadOnly))
        throw FileError(QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, f.errorString()));
    const QByteArray bytes = f.readAll();
    const auto pict = mf::metafilePictFromPlaceable(bytes);
    if (!pict)
        throw FileError(QStringLiteral("Metafile is not valid"));
    // The picture's size in pixels follows the size in hundredths of a
    // millimetre at the screen's 96 pixels per inch.
    const QSize pixels(int(std::lround(pict->widthHiMetric * 96.0 / 2540)),
                       int(std::lround(pict->heightHiMetric * 96.0 / 2540)));
    putMetafileWithSize(bytes, pixels);
}

} // namespace vz
