#include "imagesets/LetterThumbnail.h"

#include "common/DataFiles.h"
#include "common/ProgramFolder.h"
#include "common/Rounding.h"
#include "common/VzError.h"
#include "imagesets/ThumbnailTable.h"
#include "imaging/FastImage.h"
#include "imaging/Picture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace vz {

namespace {

// The files of `folder` named "Images.catalog" in any case, the exact
// spelling first.
QStringList imagesCatalogNames(const QString &folder)
{
    QStringList found;
    for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name)) {
        if (name == kImagesCatalog)
            found.prepend(name);
        else if (name.compare(kImagesCatalog, Qt::CaseInsensitive) == 0)
            found.append(name);
    }
    return found;
}

} // namespace

QImage thumbnailSourceImage(const QString &path)
{
    const Picture picture = Picture::fromFile(path);
    if (picture.kind() == Picture::Kind::Bitmap)
        return picture.image();
    // An opaque raster drawn on white is itself: skip the drawing.
    const QImage raster = picture.image();
    if (!raster.isNull() && !raster.hasAlphaChannel())
        return raster;
    const QImage drawn = picture.render();
    if (drawn.isNull())
        throw FileError(QStringLiteral("Cannot draw the picture \"%1\".").arg(path));
    return drawn;
}

QSize letterThumbnailSize(int width, int height, int side)
{
    const double ratio = double(height) / double(width);
    if (ratio >= 1.0)
        return QSize(qMax(1, roundHalfEven(side / ratio)), side);
    return QSize(side, qMax(1, roundHalfEven(ratio * side)));
}

QImage makeThumbnailFromImage(const QImage &image, int side)
{
    if (image.isNull() || image.width() < 1 || image.height() < 1)
        throw ImageError(QStringLiteral("Invalid image"));
    const QSize size = letterThumbnailSize(image.width(), image.height(), side);
    const FastBmp scaled = resampleImage(image, size.width(), size.height());
    QImage thumb(side, side, QImage::Format_RGB32);
    thumb.fill(Qt::white);
    if (size.height() == side)
        scaled.draw(thumb, (side - size.width()) / 2, 0);
    else
        scaled.draw(thumb, 0, (side - size.height()) / 2);
    return thumb;
}

QImage MakeLetterThumbnail(const QString &path, int side)
{
    return makeThumbnailFromImage(thumbnailSourceImage(path), side);
}

void RebuildLetterCatalog(const QString &folderIn, ThumbnailData &table)
{
    const QString folder = withTrailingSlash(folderIn);
    QDir dir(folder);
    dir.setFilter(QDir::Files | QDir::Hidden | QDir::System);
    dir.setSorting(QDir::Name);
    struct CloseTable
    {
        ThumbnailData &t;
        ~CloseTable() { t.clear(); }
    } closer{table};
    table.clear();
    for (const QString &name : dir.entryList()) {
        if (!hasDataExtension(name, QStringLiteral("jpg")))
            continue;
        const QByteArray bmp = bmp24Bytes(MakeLetterThumbnail(folder + name));
        table.appendThumbnail(name, name, bmp);
    }
    // The catalog is replaced under the name it already has, so a folder
    // never ends up with two of them (the letter page would join both).
    const QStringList existing = imagesCatalogNames(folder);
    table.saveToFile(folder + (existing.isEmpty() ? kImagesCatalog : existing.first()));
    for (qsizetype i = 1; i < existing.size(); ++i)
        QFile::remove(folder + existing[i]);
}

QString imagesCatalogPath(const QString &folderIn)
{
    const QString folder = withTrailingSlash(folderIn);
    const QStringList existing = imagesCatalogNames(folder);
    return folder + (existing.isEmpty() ? kImagesCatalog : existing.first());
}

} // namespace vz
