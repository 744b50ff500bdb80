#pragma once

#include <QByteArray>
#include <QFuture>
#include <QImage>
#include <QString>

#include <functional>

namespace vz {

class ThumbnailData;

// The side of a thumbnail cell.
constexpr int kThumbnailSide = 55;

// The image a thumbnail is made from: a BMP file as its bitmap; any other
// picture (JPEG, GIF, metafile) drawn at its own size onto a new white
// bitmap. Raises FileError when the file cannot be read.
QImage thumbnailSourceImage(const QString &path);

// The size an image of w x h takes in a thumbnail of `side`.
QSize letterThumbnailSize(int width, int height, int side = kThumbnailSide);

// A white side x side thumbnail with the image scaled into it by the
// Lanczos-3 resampler, centred on the short axis. Raises FileError when the
// image cannot be read.
QImage MakeLetterThumbnail(const QString &path, int side = kThumbnailSide);
QImage makeThumbnailFromImage(const QImage &image, int side = kThumbnailSide);

// Rebuilds "Images.catalog" (letter flavour) in `folder` from the folder's
// JPEG files (".jpg" in any case), using `table` as the work table (left
// empty afterwards). An existing catalog of that name in any case
// ("IMAGES.CATALOG") is the one replaced; further case variants are removed.
// An image that cannot be read stops the rebuild with FileError (its text
// and the image's path) before the old catalog is touched.
//
// The thumbnails are made on the global thread pool; records are appended
// in the folder's listing order, so the catalog is the same whatever the
// number of threads. `wait`, when given, is called with the running work
// and returns when it has finished (a window runs its event loop there so
// it keeps painting); without it the call simply blocks.
using RebuildWait = std::function<void(const QFuture<void> &)>;
void RebuildLetterCatalog(const QString &folder, ThumbnailData &table, const RebuildWait &wait = {});

inline const QString kImagesCatalog = QStringLiteral("Images.catalog");

// Where "Images.catalog" of `folder` is written: the existing catalog of
// that name in any case, else folder + "Images.catalog".
QString imagesCatalogPath(const QString &folder);

} // namespace vz
