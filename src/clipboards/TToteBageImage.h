#pragma once

#include "imaging/Picture.h"
#include "imaging/RasterImage.h"

#include <QString>

namespace vz {

// One image clipboard of the program: a raster slot and a picture slot, each
// with its own flag. The slots are independent, so a clipboard can hold a
// raster and a picture at once. Clearing resets only the flags; the holders
// keep their old content, unseen.
class TToteBageImage
{
public:
    RasterImage RasterHolder;
    Picture PictureHolder;
    bool HasPicture = false;
    bool HasRaster = false;

    // Holds anything at all.
    bool holdsImage() const { return HasPicture || HasRaster; }
    void clear() { HasPicture = false; HasRaster = false; }

    // Puts the raster on the system clipboard.
    void CopyRasterToClipboard() const;
    // The raster as a 24-bit bitmap picture; an empty holder leaves `picture`
    // as it was.
    void RenderRasterTo(Picture &picture) const;
    void AssignPictureTo(Picture &picture) const { picture = PictureHolder; }
    void SetPicture(const Picture &picture);
    // Reads a picture file into the picture slot; on failure the slot keeps
    // what it held.
    void LoadPictureFromFile(const QString &fileName);
    void SavePictureToFile(const QString &fileName) const;
    void SetRasterFrom(const RasterImage &image);
    // A 24-bit BMP file the user chose.
    void SaveRasterToFile(const QString &fileName) const;
};

// What StoreFileInClipboard reads a file into.
enum class StoreKind { Raster = 1, Picture = 2 };

// Reads an image file into a clipboard: a BMP or JPEG into the raster slot, or
// any picture into the picture slot. A file that cannot be read raises its
// error and the clipboard keeps its previous content.
void StoreFileInClipboard(const QString &fileName, StoreKind kind, TToteBageImage &clipboard);

} // namespace vz
