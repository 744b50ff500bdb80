// Layout files from arbitrary bytes: decode (pictures included), place the
// pictures, and check that what decodes re-encodes and decodes the same.

#include "common/VzError.h"
#include "printpage/LayoutFile.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const vz::DecodedLayout d = vz::decodeLayout(bytes, 96);
    if (d.status != vz::DecodedLayout::Status::Ok)
        return 0;
    vz::PageLayout page;
    page.landscape = d.landscape;
    page.ppiX = page.ppiY = 50;
    for (const vz::DecodedPicture &p : d.pictures) {
        const auto rect = vz::layoutPictureRect(p, 50, 50);
        if (!rect)
            return 0;
        page.pictures.append({p.picture, *rect});
    }
    page.boxes = d.boxes;
    QByteArray again;
    try {
        again = vz::encodeLayout(page);
    } catch (const vz::FileError &) {
        return 0;
    }
    const vz::DecodedLayout back = vz::decodeLayout(again, 96);
    if (back.status != vz::DecodedLayout::Status::Ok || back.pictures.size() != d.pictures.size()
        || back.landscape != d.landscape)
        std::abort(); // what we write, we read
    return 0;
}
