#pragma once

#include <QRect>
#include <QSize>

#include <functional>

namespace vz {

// One tile of a bitmap being printed: its rectangle in printer pixels, its
// number (from 1) and how many tiles the bitmap has.
struct PrintTile
{
    QRect rect;
    int number = 0;
    int count = 0;
};

// The height of a tile for printers that take no bitmap over 64 KB: as many
// rows of `tileWidth` pixels at `bitsPerPixel` as fit, but at least one, so
// very wide tiles still make progress.
int tileHeightFor64K(int tileWidth, int bitsPerPixel);

// The tile size for one bitmap: `screen` (the tiled printer's setting), its
// height cut by the 64 KB rule when the printer needs it.
QSize printTileSize(QSize screen, int bitsPerPixel, bool acceptsLargeBitmaps);

// Walks `visible` in rows from the top and columns from the left, tiles of
// tileWidth x tileHeight cut at the visible edges, numbering them after
// counting them. Stops with false at the first tile the routine refuses;
// true when all succeeded (also when there are none). Tile sizes below 1
// give false without a tile.
bool ForEachTile(const QRect &visible, int tileWidth, int tileHeight,
                 const std::function<bool(const PrintTile &)> &routine);

} // namespace vz
