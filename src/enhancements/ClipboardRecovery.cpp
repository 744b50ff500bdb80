#include "enhancements/ClipboardRecovery.h"

#include "clipboards/ToteBags.h"
#include "common/AtomicFile.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageReader>

#include <utility>

namespace vz {

namespace {

const QString kIndex = QStringLiteral("index.txt");
const QByteArray kIndexMagic = "VZRECOVERY 1";
constexpr qint64 kMaxFile = qint64(512) << 20;

QString rasterName(int slot) { return QStringLiteral("raster%1.png").arg(slot); }
QString pictureName(int slot) { return QStringLiteral("picture%1.dat").arg(slot); }
const QString kThumbnailName = QStringLiteral("windows.dat");

QByteArray readSmall(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || f.size() > kMaxFile)
        return QByteArray();
    return f.readAll();
}

Picture::Kind kindFrom(int value)
{
    if (value < int(Picture::Kind::Bitmap) || value > int(Picture::Kind::Icon))
        return Picture::Kind::None;
    return Picture::Kind(value);
}

Picture readPicture(const QString &path, Picture::Kind kind)
{
    if (kind == Picture::Kind::None)
        return Picture();
    const QByteArray bytes = readSmall(path);
    if (bytes.isEmpty())
        return Picture();
    try {
        return Picture::fromBytes(bytes, kind);
    } catch (const std::exception &) {
        return Picture();
    }
}

} // namespace

ClipboardRecovery::ClipboardRecovery(QString folder)
    : m_folder(std::move(folder))
{
    if (!m_folder.isEmpty() && !m_folder.endsWith(QLatin1Char('/')))
        m_folder += QLatin1Char('/');
}

bool ClipboardRecovery::exists() const
{
    return enabled() && QFile::exists(m_folder + kIndex);
}

bool ClipboardRecovery::saveRaster(int slot, const QImage &bitmap)
{
    Saved &saved = m_rasters[slot - 1];
    if (saved.valid && saved.rasterKey == bitmap.cacheKey())
        return true;
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!bitmap.save(&buffer, "PNG") || !writeFileAtomically(m_folder + rasterName(slot), png))
        return false;
    saved.valid = true;
    saved.rasterKey = bitmap.cacheKey();
    return true;
}

bool ClipboardRecovery::savePicture(int index, const Picture &picture, const QString &name)
{
    Saved &saved = m_pictures[index];
    // Encoding a bitmap only to compare it costs more than the whole copy
    // should; every change to a picture makes new data, so identity suffices.
    if (saved.valid && saved.picture.sharesDataWith(picture))
        return true;
    if (!writeFileAtomically(m_folder + name, picture.saveData()))
        return false;
    saved.valid = true;
    saved.picture = picture;
    return true;
}

bool ClipboardRecovery::save(const Picture &windowsThumbnail)
{
    if (!enabled() || !QDir().mkpath(m_folder))
        return false;
    bool ok = true;
    QByteArray index = kIndexMagic + "\n";
    for (int slot = 1; slot <= 4; ++slot) {
        const TToteBageImage &bag = toteBag(slot);
        const QImage bitmap = bag.RasterHolder.Bitmap();
        bool raster = bag.HasRaster && !bitmap.isNull();
        if (raster && !saveRaster(slot, bitmap))
            raster = ok = false;
        bool picture = bag.HasPicture && !bag.PictureHolder.isNull();
        if (picture && !savePicture(slot - 1, bag.PictureHolder, pictureName(slot)))
            picture = ok = false;
        index += QByteArray::number(slot) + ' ' + QByteArray::number(int(raster)) + ' ' + QByteArray::number(int(picture))
                 + ' ' + QByteArray::number(picture ? int(bag.PictureHolder.kind()) : 0) + '\n';
    }
    bool thumb = copiedImageShown() && !windowsThumbnail.isNull();
    if (thumb && !savePicture(4, windowsThumbnail, kThumbnailName))
        thumb = ok = false;
    index += "copied " + QByteArray::number(int(copiedImageShown())) + '\n';
    index += "thumbnail " + QByteArray::number(thumb ? int(windowsThumbnail.kind()) : 0) + '\n';
    return writeFileAtomically(m_folder + kIndex, index) && ok;
}

Picture ClipboardRecovery::restore()
{
    if (!exists())
        return Picture();
    const QList<QByteArray> lines = readSmall(m_folder + kIndex).split('\n');
    if (lines.isEmpty() || lines.first() != kIndexMagic)
        return Picture();
    Picture thumbnail;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QList<QByteArray> f = lines[i].split(' ');
        bool ok = false;
        if (f.size() == 4) {
            const int slot = f[0].toInt(&ok);
            if (!ok || slot < 1 || slot > 4)
                continue;
            TToteBageImage &bag = toteBag(slot);
            if (f[1] == "1") {
                QImageReader reader(m_folder + rasterName(slot), "PNG");
                const QImage bitmap = reader.read();
                if (!bitmap.isNull()) {
                    bag.RasterHolder.setBitmap(bitmap);
                    bag.HasRaster = true;
                }
            }
            if (f[2] == "1") {
                const Picture picture = readPicture(m_folder + pictureName(slot), kindFrom(f[3].toInt()));
                if (!picture.isNull())
                    bag.SetPicture(picture);
            }
        } else if (f.size() == 2 && f[0] == "copied") {
            if (f[1] == "1")
                setCopiedImageShown(true);
        } else if (f.size() == 2 && f[0] == "thumbnail") {
            thumbnail = readPicture(m_folder + kThumbnailName, kindFrom(f[1].toInt()));
        }
    }
    return thumbnail;
}

void ClipboardRecovery::remove()
{
    for (Saved &s : m_rasters)
        s = Saved();
    for (Saved &s : m_pictures)
        s = Saved();
    if (!enabled())
        return;
    // The index first: without it what is left is no copy.
    QFile::remove(m_folder + kIndex);
    QDir(m_folder).removeRecursively();
}

} // namespace vz
