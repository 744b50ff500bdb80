#include "imagesets/LetterThumbnail.h"

#include "common/DataFiles.h"
#include "common/ProgramFolder.h"
#include "common/Rounding.h"
#include "common/VzError.h"
#include "imagesets/CatalogUpdate.h"
#include "imagesets/ThumbnailTable.h"
#include "imaging/FastImage.h"
#include "imaging/Picture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtConcurrent/QtConcurrentMap>

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

void RebuildLetterCatalog(const QString &folderIn, ThumbnailData &table, const RebuildWait &wait)
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
    QStringList names;
    for (const QString &name : dir.entryList())
        if (hasDataExtension(name, QStringLiteral("jpg")))
            names.append(name);

    // Workers touch only QImage and files. A failure travels back as a value:
    // nothing is thrown across threads.
    struct Made
    {
        QByteArray bmp;
        QString error;
    };
    const auto make = [folder](const QString &name) -> Made {
        const QString path = folder + name;
        try {
            return {bmp24Bytes(MakeLetterThumbnail(path)), QString()};
        } catch (const VzError &e) {
            return {QByteArray(), e.message().contains(path) ? e.message()
                                                             : QStringLiteral("%1\n%2").arg(e.message(), path)};
        } catch (const std::exception &e) {
            return {QByteArray(), QStringLiteral("%1\n%2").arg(QString::fromLocal8Bit(e.what()), path)};
        }
    };
    QFuture<Made> work = QtConcurrent::mapped(names, make);
    if (wait)
        wait(QFuture<void>(work));
    work.waitForFinished();
    const QList<Made> made = work.results();
    for (qsizetype i = 0; i < made.size(); ++i) {
        if (!made[i].error.isNull())
            throw FileError(made[i].error);
        table.appendThumbnail(names[i], names[i], made[i].bmp);
    }
    // The catalog is replaced under the name it already has, so a folder
    // never ends up with two of them (the letter page would join both).
    const QStringList existing = imagesCatalogNames(folder);
    const QString target = folder + (existing.isEmpty() ? kImagesCatalog : existing.first());
    QString why;
    if (!catalogWriteFile(target, table.saveToBytes(), &why))
        throw FileError(QStringLiteral("Cannot create file \"%1\". %2").arg(target, why));
    for (qsizetype i = 1; i < existing.size(); ++i)
        catalogRemoveFile(folder + existing[i], nullptr);
}

QString imagesCatalogPath(const QString &folderIn)
{
    const QString folder = withTrailingSlash(folderIn);
    const QStringList existing = imagesCatalogNames(folder);
    return folder + (existing.isEmpty() ? kImagesCatalog : existing.first());
}

} // namespace vz
