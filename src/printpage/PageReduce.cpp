#include "printpage/PageModel.h"

#include "common/VzError.h"
#include "imaging/BmpFile.h"
#include "printpage/TDibImage.h"

namespace vz {

Picture reducePictureForScreen(const Picture &picture, int screenWidth)
{
    // Only bitmaps are reduced; metafiles, JPEGs and the rest keep their
    // kind and bytes.
    if (picture.kind() != Picture::Kind::Bitmap || screenWidth <= 0 || picture.width() <= screenWidth)
        return picture;
    const int factor = picture.width() / screenWidth;
    if (factor < 2)
        return picture;
    const std::optional<QByteArray> reduced = reduceBmpFile(writeBmp24(picture.image()), factor);
    if (!reduced)
        return picture; // the resampler refused it: placed at full size
    try {
        return Picture::fromBytes(*reduced, Picture::Kind::Bitmap);
    } catch (const VzError &) {
        return picture;
    }
}

} // namespace vz
