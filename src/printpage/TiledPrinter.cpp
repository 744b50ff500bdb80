#include "printpage/TiledPrinter.h"

#include <algorithm>

namespace vz {

int tileHeightFor64K(int tileWidth, int bitsPerPixel)
{
    const qint64 rowBytes = ((qint64(bitsPerPixel) * std::max(tileWidth, 1) + 31) / 32) * 4;
    if (rowBytes <= 0)
        return 1;
    return int(std::max<qint64>(1, 65503 / rowBytes));
}

QSize printTileSize(QSize screen, int bitsPerPixel, bool acceptsLargeBitmaps)
{
    const int w = std::max(screen.width(), 1);
    int h = std::max(screen.height(), 1);
    if (!acceptsLargeBitmaps)
        h = tileHeightFor64K(w, bitsPerPixel);
    return QSize(w, h);
}

namespace {

// Calls `each` for every non-empty tile; stops when it returns false.
template<typename F>
bool walkTiles(const QRect &visible, int tileWidth, int tileHeight, F each)
{
    const qint64 left = visible.left();
    const qint64 top = visible.top();
    const qint64 right = left + visible.width();
    const qint64 bottom = top + visible.height();
    for (qint64 t = top; t < bottom; t += tileHeight) {
        const qint64 b = std::min(t + tileHeight, bottom);
        for (qint64 l = left; l < right; l += tileWidth) {
            const qint64 r = std::min(l + tileWidth, right);
            if (r > l && b > t && !each(QRect(int(l), int(t), int(r - l), int(b - t))))
                return false;
        }
    }
    return true;
}

} // namespace

bool ForEachTile(const QRect &visible, int tileWidth, int tileHeight,
                 const std::function<bool(const PrintTile &)> &routine)
{
    if (tileWidth < 1 || tileHeight < 1)
        return false;
    if (visible.width() <= 0 || visible.height() <= 0)
        return true;
    int count = 0;
    walkTiles(visible, tileWidth, tileHeight, [&](const QRect &) {
        ++count;
        return true;
    });
    int number = 0;
    return walkTiles(visible, tileWidth, tileHeight, [&](const QRect &rect) {
        return routine(PrintTile{rect, ++number, count});
    });
}

} // namespace vz
