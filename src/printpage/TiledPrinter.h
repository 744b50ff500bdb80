#pragma once

#include <QByteArray>
#include <QRect>
#include <QSize>
#include <QString>

#include <functional>

namespace vz {

class PrintDevice;

// How the tiled printer sends one bitmap; the page sets these before each.
struct TiledPrinterSettings
{
    bool showErrorBoxes = false;
    bool useDdb = false;         // device-dependent transfers from the start
    int reductionX = 1;          // 2, 2 to send a quarter of the pixels
    int reductionY = 1;
    bool windowsStretch = false; // send the source's pixels; the device stretches
    bool fallBackToDdb = true;
    bool flushEachTile = true;
    QSize tileSize = QSize(800, 600); // normally the primary screen in device pixels
    // Shows an error box (caption "TExcellentImagePrinter", OK only).
    std::function<void(const QString &)> message;
};

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

// Prints a bottom-up DIB (info or core header block, pixel block; RLE8 and
// RLE4 are expanded first) stretched into (x, y, w, h) on the device, tile
// by tile, cut to the printable area. Result: 1 printed; 0 nothing to
// print; -1 invalid input (also header or pixel blocks shorter than the
// header says, and top-down rows); -2 out of memory or an expansion larger
// than any raster the program takes; -5 a tile failed.
int PrintDib(PrintDevice &device, int x, int y, int w, int h, const QByteArray &header, const QByteArray &pixels,
             const TiledPrinterSettings &settings);

} // namespace vz
