#include "clipboards/TToteBageImage.h"

namespace vz {

void TToteBageImage::CopyRasterToClipboard() const { RasterHolder.Copy(RasterImage::kCopyFlags); }

void TToteBageImage::RenderRasterTo(Picture &picture) const
{
    // The hand-over keeps 24 bits per pixel, as a BMP copy would; it stays in
    // memory because a multi-megapixel file round trip on every refresh buys
    // nothing.
    if (RasterHolder.isEmpty())
        return;
    picture = Picture::fromImage(RasterHolder.Bitmap().convertToFormat(QImage::Format_RGB32));
}

void TToteBageImage::SetPicture(const Picture &picture)
{
    PictureHolder = picture;
    HasPicture = true;
}

void TToteBageImage::LoadPictureFromFile(const QString &fileName)
{
    PictureHolder = Picture::fromFile(fileName, Picture::Kind::Metafile);
    HasPicture = true;
}

void TToteBageImage::SavePictureToFile(const QString &fileName) const { PictureHolder.saveToFile(fileName); }

void TToteBageImage::SetRasterFrom(const RasterImage &image)
{
    // An empty source leaves the slot flagged empty, so no caller takes an
    // empty raster for an image.
    RasterHolder.setBitmap(image.Bitmap());
    HasRaster = !image.isEmpty();
}

void TToteBageImage::SaveRasterToFile(const QString &fileName) const
{
    RasterHolder.Save(fileName, RasterImage::kFormatBmp24, 24, RasterImage::kQualityUserFile, 0);
}

void StoreFileInClipboard(const QString &fileName, StoreKind kind, TToteBageImage &clipboard)
{
    if (kind == StoreKind::Picture) {
        clipboard.LoadPictureFromFile(fileName);
        return;
    }
    RasterImage loaded;
    loaded.Load(fileName, 0, 0, 1);
    clipboard.SetRasterFrom(loaded);
}

} // namespace vz
