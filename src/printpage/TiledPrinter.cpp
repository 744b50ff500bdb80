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

#include "imaging/RasterFile.h"
#include "printpage/PrintDevice.h"

#include <cmath>
#include <cstring>
#include <new>

namespace vz {

namespace {

quint32 rd32(const QByteArray &b, int at)
{
    return quint32(quint8(b.at(at))) | quint32(quint8(b.at(at + 1))) << 8 | quint32(quint8(b.at(at + 2))) << 16
           | quint32(quint8(b.at(at + 3))) << 24;
}
int rd16(const QByteArray &b, int at)
{
    return quint8(b.at(at)) | quint8(b.at(at + 1)) << 8;
}
void wr32(QByteArray &b, int at, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = char((v >> (8 * i)) & 0xFF);
}

qint64 rowBytesOf(qint64 width, int bits)
{
    return ((bits * width + 31) / 32) * 4;
}

struct Job
{
    PrintDevice *device = nullptr;
    const TiledPrinterSettings *settings = nullptr;
    QRect dest;
    QByteArray header; // 40-byte info header, masks, colours
    const QByteArray *pixels = nullptr;
    int width = 0;
    int height = 0;
    int bits = 0;
    qint64 rowBytes = 0;
    long double sx = 1, sy = 1; // source per destination pixel
    bool ddb = false;
};

void report(const Job &job, const char *text)
{
    if (job.settings->showErrorBoxes && job.settings->message)
        job.settings->message(QString::fromLatin1(text));
}

// Copies source pixel (col) of `src` into pixel (j) of `dst` at `bits`.
void copyPixel(const uchar *src, qint64 col, uchar *dst, qint64 j, int bits)
{
    switch (bits) {
    case 1: {
        const int bit = (src[col >> 3] >> (7 - (col & 7))) & 1;
        if (bit)
            dst[j >> 3] = uchar(dst[j >> 3] | (0x80 >> (j & 7)));
        break;
    }
    case 4: {
        const int nib = (col & 1) ? (src[col >> 1] & 0x0F) : (src[col >> 1] >> 4);
        dst[j >> 1] = uchar(dst[j >> 1] | ((j & 1) ? nib : nib << 4));
        break;
    }
    default: {
        const int n = bits / 8;
        std::memcpy(dst + j * n, src + col * n, size_t(n));
        break;
    }
    }
}

// Builds a bw x bh tile whose row i and column j take the source pixel the
// two functions name, then sends it to `target`.
template<typename RowOf, typename ColOf>
bool drawTile(Job &job, const PrintTile &tile, const QRect &target, int bw, int bh, RowOf rowOf, ColOf colOf,
              bool stretched)
{
    const TiledPrinterSettings &s = *job.settings;
    try {
        const qint64 tileRow = rowBytesOf(bw, job.bits);
        QByteArray header = job.header;
        wr32(header, 4, quint32(bw));
        wr32(header, 8, quint32(bh));
        wr32(header, 20, quint32(tileRow * bh));
        QByteArray pixels(tileRow * bh, '\0');
        const auto *src = reinterpret_cast<const uchar *>(job.pixels->constData());
        auto *dst = reinterpret_cast<uchar *>(pixels.data());
        for (int i = 0; i < bh; ++i) {
            const qint64 r = std::clamp<qint64>(rowOf(i), 0, job.height - 1);
            const uchar *srcRow = src + (job.height - 1 - r) * job.rowBytes; // bottom-up
            uchar *dstRow = dst + qint64(bh - 1 - i) * tileRow;
            for (int j = 0; j < bw; ++j)
                copyPixel(srcRow, std::clamp<qint64>(colOf(j), 0, job.width - 1), dstRow, j, job.bits);
        }

        const QRect source(0, 0, bw, bh);
        const bool unreduced = s.reductionX == 1 && s.reductionY == 1;
        bool ok = false;
        if (!job.ddb) {
            ok = job.device->stretchDib(target, source, header, pixels) == bh;
            if (!ok) {
                report(job, unreduced ? "StretchDIBits failed! Trying BitBlt" : "StretchDIBits failed! Trying StretchBlt");
                job.ddb = s.fallBackToDdb;
            }
        }
        if (!ok && job.ddb) {
            const bool blt = unreduced && (!stretched || (tile.rect.width() == bw && tile.rect.height() == bh));
            ok = blt ? job.device->copyDdb(target.topLeft(), header, pixels)
                     : job.device->stretchDdb(target, source, header, pixels);
            if (!ok)
                report(job, blt ? "BitBlt failed" : "StretchBlt failed");
        }
        if (s.flushEachTile)
            job.device->flush();
        return ok;
    } catch (const std::bad_alloc &) {
        return false;
    } catch (...) {
        report(job, "CustomFormTileCallbackFn Exception");
        return false;
    }
}

// Expands run-length-encoded rows (RLE8 or RLE4) into `out`, prefilled
// with `fill`. Runs past the bitmap's edges are cut, input that ends early
// leaves the rest filled.
void expandRle(const QByteArray &in, int bits, int width, int height, qint64 rowBytes, int fill, QByteArray &out)
{
    out.fill(char(bits == 4 ? (fill << 4) | fill : fill));
    const auto *src = reinterpret_cast<const uchar *>(in.constData());
    const qint64 n = in.size();
    auto *dst = reinterpret_cast<uchar *>(out.data());
    qint64 x = 0;
    qint64 y = 0; // rows from the bottom, as stored
    const auto put = [&](int value) {
        if (x >= 0 && x < width && y >= 0 && y < height) {
            uchar *row = dst + y * rowBytes;
            if (bits == 8) {
                row[x] = uchar(value);
            } else {
                uchar &b = row[x >> 1];
                b = (x & 1) ? uchar((b & 0xF0) | value) : uchar((b & 0x0F) | (value << 4));
            }
        }
        ++x;
    };
    qint64 pos = 0;
    while (pos + 1 < n && y < height) {
        const int count = src[pos];
        const int code = src[pos + 1];
        pos += 2;
        if (count > 0) {
            for (int k = 0; k < count; ++k)
                put(bits == 8 ? code : ((k & 1) ? code & 0x0F : code >> 4));
        } else if (code == 0) {
            x = 0;
            ++y;
        } else if (code == 1) {
            break;
        } else if (code == 2) {
            if (pos + 1 >= n)
                break;
            x += src[pos];
            y += src[pos + 1];
            pos += 2;
        } else {
            const qint64 bytes = bits == 8 ? code : (code + 1) / 2;
            for (int k = 0; k < code; ++k) {
                const qint64 at = pos + (bits == 8 ? k : k / 2);
                if (at >= n)
                    return;
                put(bits == 8 ? src[at] : ((k & 1) ? src[at] & 0x0F : src[at] >> 4));
            }
            pos += (bytes + 1) & ~qint64(1); // absolute runs are padded to 16 bits
        }
    }
}

bool drawTileResampled(Job &job, const PrintTile &t)
{
    const int rx = std::max(job.settings->reductionX, 1);
    const int ry = std::max(job.settings->reductionY, 1);
    const int bw = std::max(1, t.rect.width() / rx);
    const int bh = std::max(1, t.rect.height() / ry);
    const long double x0 = (t.rect.left() - job.dest.left()) * job.sx;
    const long double y0 = (t.rect.top() - job.dest.top()) * job.sy;
    return drawTile(
        job, t, QRect(t.rect.left(), t.rect.top(), bw * rx, bh * ry), bw, bh,
        [&](int i) { return qint64(y0 + i * ry * job.sy); }, [&](int j) { return qint64(x0 + j * rx * job.sx); },
        false);
}

bool drawTileStretched(Job &job, const PrintTile &t)
{
    const int rx = std::max(job.settings->reductionX, 1);
    const int ry = std::max(job.settings->reductionY, 1);
    const int bw = std::max(1, int(std::min<long double>(t.rect.width() * job.sx / rx, 1 << 30)));
    const int bh = std::max(1, int(std::min<long double>(t.rect.height() * job.sy / ry, 1 << 30)));
    const qint64 c0 = qint64((t.rect.left() - job.dest.left()) * job.sx);
    const qint64 r0 = qint64((t.rect.top() - job.dest.top()) * job.sy);
    return drawTile(
        job, t, t.rect, bw, bh, [&](int i) { return r0 + qint64(i) * ry; },
        [&](int j) { return c0 + qint64(j) * rx; }, true);
}

} // namespace

int PrintDib(PrintDevice &device, int x, int y, int w, int h, const QByteArray &header, const QByteArray &pixels,
             const TiledPrinterSettings &settings)
{
    if (header.size() < 12 || pixels.isEmpty())
        return -1;
    Job job;
    job.device = &device;
    job.settings = &settings;
    job.pixels = &pixels;
    const quint32 headerSize = rd32(header, 0);
    int colours = 0;
    int masks = 0;
    bool rle = false;
    quint32 imageSize = 0;
    QByteArray expanded;
    qint64 signedHeight = 0;
    try {
        if (headerSize == 40) {
            if (header.size() < 40)
                return -1;
            const qint64 width = qint32(rd32(header, 4));
            signedHeight = qint32(rd32(header, 8));
            const int planes = rd16(header, 12);
            const int bits = rd16(header, 14);
            const quint32 compression = rd32(header, 16);
            const quint32 used = rd32(header, 32);
            if (width <= 0 || signedHeight == 0 || planes != 1)
                return -1;
            if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
                return -1;
            if (compression > 3)
                return -1;
            if (compression != 0 && (rd32(header, 20) == 0 || signedHeight < 0))
                return -1;
            if (compression == 3 && bits != 16 && bits != 32)
                return -1;
            if ((compression == 1 && bits != 8) || (compression == 2 && bits != 4))
                return -1;
            rle = compression == 1 || compression == 2;
            imageSize = rd32(header, 20);
            colours = bits <= 8 ? (used ? int(std::min<quint32>(used, 1u << bits)) : 1 << bits) : int(std::min<quint32>(used, 256));
            masks = compression == 3 ? 3 : 0;
            const int blockSize = 40 + 4 * masks + 4 * colours;
            if (header.size() < blockSize)
                return -1;
            job.header = header.left(blockSize);
            job.width = int(width);
            job.bits = bits;
        } else if (headerSize == 12) {
            const int width = qint16(rd16(header, 4));
            signedHeight = qint16(rd16(header, 6));
            const int planes = rd16(header, 8);
            const int bits = rd16(header, 10);
            if (width == 0 || signedHeight == 0 || planes != 1)
                return -1;
            if (bits != 1 && bits != 4 && bits != 8 && bits != 24)
                return -1;
            if (width < 0)
                return -1;
            colours = bits <= 8 ? 1 << bits : 0;
            if (header.size() < 12 + 3 * colours)
                return -1;
            // The info header the transfers take, colour entries widened to 4 bytes.
            job.header = QByteArray(40 + 4 * colours, '\0');
            wr32(job.header, 0, 40);
            wr32(job.header, 4, quint32(width));
            wr32(job.header, 8, quint32(qint32(signedHeight)));
            job.header[12] = 1;
            job.header[14] = char(bits);
            wr32(job.header, 32, quint32(colours));
            for (int i = 0; i < colours; ++i)
                std::memcpy(job.header.data() + 40 + 4 * i, header.constData() + 12 + 3 * i, 3);
            job.width = width;
            job.bits = bits;
        } else {
            return -1;
        }
    } catch (const std::bad_alloc &) {
        return -2;
    }
    // Top-down rows are not printed.
    if (signedHeight < 0)
        return -1;
    job.height = int(signedHeight);
    job.rowBytes = rowBytesOf(job.width, job.bits);
    if (rle) {
        const qint64 size = job.rowBytes * job.height;
        if (size > kMaxRasterBytes)
            return -2;
        // Untouched parts print white: the first white colour-table entry.
        int fill = 0;
        const int search = std::min(colours, job.bits == 4 ? 16 : 256);
        for (int i = 0; i < search; ++i) {
            const char *c = job.header.constData() + 40 + 4 * i;
            if (quint8(c[0]) == 255 && quint8(c[1]) == 255 && quint8(c[2]) == 255) {
                fill = i;
                break;
            }
        }
        try {
            expanded = QByteArray(size, Qt::Uninitialized);
        } catch (const std::bad_alloc &) {
            return -2;
        }
        expandRle(QByteArray::fromRawData(pixels.constData(), std::min<qint64>(imageSize, pixels.size())), job.bits,
                  job.width, job.height, job.rowBytes, fill, expanded);
        job.pixels = &expanded;
        wr32(job.header, 20, quint32(size));
    } else if (pixels.size() < job.rowBytes * job.height) {
        return -1;
    }
    wr32(job.header, 16, masks ? 3 : 0);

    if (w <= 0 || h <= 0)
        return 0;
    job.dest = QRect(x, y, w, h);
    const QSize printable = device.printableSize();
    const QRect visible = job.dest.intersected(QRect(QPoint(0, 0), printable));
    if (visible.isEmpty())
        return 0;
    job.sx = static_cast<long double>(job.width) / w;
    job.sy = static_cast<long double>(job.height) / h;
    job.ddb = settings.useDdb;

    const QSize tile = printTileSize(settings.tileSize, job.bits, device.acceptsLargeBitmaps());
    const bool all = ForEachTile(visible, tile.width(), tile.height(), [&](const PrintTile &t) {
        return settings.windowsStretch ? drawTileStretched(job, t) : drawTileResampled(job, t);
    });
    return all ? 1 : -5;
}

} // namespace vz
