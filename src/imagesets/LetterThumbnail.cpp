#include "imagesets/LetterThumbnail.h"

#include "common/ProgramFolder.h"
#include "common/Rounding.h"
#include "common/VzError.h"
#include "imagesets/ThumbnailTable.h"
#include "imaging/FastImage.h"
#include "imaging/Picture.h"

#include <QDir>
#include <QFileInfo>

namespace vz {

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
    dir.setNameFilters({QStringLiteral("*.jpg")});
    dir.setFilter(QDir::Files | QDir::Hidden | QDir::System);
    dir.setSorting(QDir::Name);
    struct CloseTable
    {
        ThumbnailData &t;
        ~CloseTable() { t.clear(); }
    } closer{table};
    table.clear();
    for (const QString &name : dir.entryList()) {
        const QByteArray bmp = bmp24Bytes(MakeLetterThumbnail(folder + name));
        table.appendThumbnail(name, name, bmp);
    }
    table.saveToFile(folder + kImagesCatalog);
}

} // namespace vz
