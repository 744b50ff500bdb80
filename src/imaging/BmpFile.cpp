#include "imaging/BmpFile.h"

#include "metafile/ByteReader.h"
#include "metafile/Dib.h"

#include <QIODevice>
#include <QPainter>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace vz {

QImage readBmp(const QByteArray &bytes, QString *error)
{
    const mf::ByteReader in(bytes);
    if (!in.has(0, 14 + 12) || bytes.at(0) != 'B' || bytes.at(1) != 'M') {
        if (error)
            *error = QStringLiteral("not a BMP file");
        return QImage();
    }
    const quint32 offBits = in.u32(10);
    // A bits offset inside the headers or past the end is ignored: the rows
    // then follow the colour table.
    qsizetype bitsOffset = -1;
    if (offBits > 14 + 12 && qint64(offBits) < bytes.size())
        bitsOffset = qsizetype(offBits) - 14;
    const auto *dib = reinterpret_cast<const uchar *>(bytes.constData()) + 14;
    return mf::decodeDib(dib, bytes.size() - 14, bitsOffset, error);
}

namespace {

// Where the uncompressed rows of a BMP end, counted from the start of the
// file, the way the DIB decoder finds them: `pixelsEnd` where the last row's
// pixels end, `rowsEnd` with that row's padding. False when the layout is
// not one of fixed-size rows (run-length or embedded pictures) or the header
// is unusable; the decoder then has its own say.
bool uncompressedRowsEnd(const QByteArray &bytes, qint64 &pixelsEnd, qint64 &rowsEnd)
{
    const mf::ByteReader in(bytes);
    if (!in.has(0, 14 + 12) || bytes.at(0) != 'B' || bytes.at(1) != 'M')
        return false;
    const quint32 headerSize = in.u32(14);
    qint64 width, height;
    int bpp, entrySize = 4;
    quint32 compression = 0, clrUsed = 0;
    qint64 afterHeader = headerSize;
    if (headerSize == 12) {
        width = in.u16(18);
        height = in.u16(20);
        bpp = in.u16(24);
        entrySize = 3;
    } else {
        if (headerSize < 16 || !in.has(14, qsizetype(std::min<quint32>(headerSize, 40))))
            return false;
        width = in.i32(18);
        height = in.i32(22);
        bpp = in.u16(28);
        if (headerSize >= 20)
            compression = in.u32(30);
        if (headerSize >= 36)
            clrUsed = in.u32(46);
        height = height < 0 ? -height : height;
        if (compression == 3 || compression == 6) {
            const quint32 masks = compression == 6 ? 4 : 3;
            if (headerSize < 40 + 4 * masks)
                afterHeader += 4 * masks;
        }
    }
    if (in.failed() || (compression != 0 && compression != 3 && compression != 6) || width <= 0 || height <= 0
        || width > 65535 || height > 65535
        || !(bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32))
        return false;
    const qint64 entries = bpp <= 8 ? (clrUsed ? std::min<qint64>(clrUsed, qint64(1) << bpp) : qint64(1) << bpp)
                                    : std::min<qint64>(clrUsed, 65536);
    const quint32 offBits = in.u32(10);
    const qint64 bitsStart = offBits > 14 + 12 && qint64(offBits) < bytes.size()
                                 ? qint64(offBits)
                                 : 14 + afterHeader + entries * entrySize;
    const qint64 stride = (width * bpp + 31) / 32 * 4;
    rowsEnd = bitsStart + height * stride;
    pixelsEnd = rowsEnd - stride + (width * bpp + 7) / 8;
    return true;
}

} // namespace

QImage readBmpFile(const QByteArray &bytes, QString *error)
{
    qint64 pixelsEnd = 0, rowsEnd = 0;
    if (!uncompressedRowsEnd(bytes, pixelsEnd, rowsEnd) || rowsEnd <= bytes.size())
        return readBmp(bytes, error);
    if (pixelsEnd > bytes.size()) {
        if (error)
            *error = QStringLiteral("the pixel data ends before the last row");
        return QImage();
    }
    // Only the last row's padding is missing: supply it.
    QByteArray padded = bytes;
    padded.append(qsizetype(rowsEnd - bytes.size()), '\0');
    return readBmp(padded, error);
}

QByteArray writeBmp24(const QImage &image)
{
    const QByteArray dib = mf::encodeDib24(image);
    QByteArray out;
    out.reserve(14 + dib.size());
    const quint32 total = quint32(14 + dib.size());
    const quint32 offBits = 14 + 40;
    const char head[14] = {'B', 'M',
                           char(total & 0xFF), char((total >> 8) & 0xFF), char((total >> 16) & 0xFF), char(total >> 24),
                           0, 0, 0, 0,
                           char(offBits), 0, 0, 0};
    out.append(head, 14);
    out.append(dib);
    return out;
}

namespace {

void putU16(char *at, quint16 v)
{
    at[0] = char(v & 0xFF);
    at[1] = char(v >> 8);
}

void putU32(char *at, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        at[i] = char((v >> (8 * i)) & 0xFF);
}

// A colour-table entry (blue, green, red, 0) with its alpha put on white.
void putTableEntry(char *at, QRgb c)
{
    const int a = qAlpha(c);
    const auto onWhite = [a](int v) { return char((v * a + 255 * (255 - a) + 127) / 255); };
    at[0] = onWhite(qBlue(c));
    at[1] = onWhite(qGreen(c));
    at[2] = onWhite(qRed(c));
    at[3] = 0;
}

QImage onWhite32(const QImage &bitmap)
{
    if (!bitmap.hasAlphaChannel())
        return bitmap.convertToFormat(QImage::Format_RGB32);
    QImage canvas(bitmap.size(), QImage::Format_RGB32);
    canvas.fill(Qt::white);
    QPainter p(&canvas);
    p.drawImage(0, 0, bitmap);
    p.end();
    return canvas;
}

} // namespace

namespace {

bool dibBlocksOf(const QImage &bitmap, DibBlocks &out, qint64 minimumBytes)
{
    out = DibBlocks();
    if (bitmap.isNull() || bitmap.width() <= 0 || bitmap.height() <= 0)
        return false;

    QImage image;
    int bits = 32;
    quint32 compression = 0;
    bool swapRgb = false;
    QList<QRgb> table;
    switch (bitmap.format()) {
    case QImage::Format_Mono:
    case QImage::Format_MonoLSB:
        image = bitmap.convertToFormat(QImage::Format_Mono);
        bits = 1;
        table = image.colorTable();
        // A table too short for the indices: black and white, as Qt shows them.
        if (table.size() < 2)
            table = {qRgb(0, 0, 0), qRgb(255, 255, 255)};
        table.resize(2);
        break;
    case QImage::Format_Indexed8:
        image = bitmap;
        bits = 8;
        table = image.colorTable();
        if (table.isEmpty()) {
            for (int i = 0; i < 256; ++i)
                table.append(qRgb(i, i, i));
        }
        table.resize(std::min<qsizetype>(table.size(), 256));
        break;
    case QImage::Format_RGB555:
        image = bitmap;
        bits = 16;
        break;
    case QImage::Format_RGB16:
        image = bitmap;
        bits = 16;
        compression = 3; // bit fields: 5-6-5
        break;
    case QImage::Format_BGR888:
        image = bitmap;
        bits = 24;
        break;
    case QImage::Format_RGB888:
        image = bitmap;
        bits = 24;
        swapRgb = true;
        break;
    default:
        image = onWhite32(bitmap);
        break;
    }
    if (image.isNull())
        return false;

    const qint64 w = image.width();
    const qint64 h = image.height();
    const qint64 rowBytes = ((bits * w + 31) / 32) * 4;
    const qint64 imageSize = rowBytes * h;
    if (imageSize < minimumBytes || imageSize > 0x7FFFFFFF)
        return false;

    const int masks = compression == 3 ? 3 : 0;
    QByteArray header(40 + 4 * masks + 4 * table.size(), '\0');
    char *hd = header.data();
    putU32(hd + 0, 40);
    putU32(hd + 4, quint32(w));
    putU32(hd + 8, quint32(h));
    putU16(hd + 12, 1);
    putU16(hd + 14, quint16(bits));
    putU32(hd + 16, compression);
    putU32(hd + 20, quint32(imageSize));
    putU32(hd + 24, quint32(std::max(0, image.dotsPerMeterX())));
    putU32(hd + 28, quint32(std::max(0, image.dotsPerMeterY())));
    putU32(hd + 32, quint32(table.size()));
    if (masks) {
        putU32(hd + 40, 0xF800);
        putU32(hd + 44, 0x07E0);
        putU32(hd + 48, 0x001F);
    }
    for (qsizetype i = 0; i < table.size(); ++i)
        putTableEntry(hd + 40 + 4 * masks + 4 * i, table.at(i));

    QByteArray pixels(imageSize, '\0');
    const qint64 used = (bits * w + 7) / 8; // the bytes of a row that hold pixels
    for (qint64 y = 0; y < h; ++y) {
        const uchar *src = image.constScanLine(int(h - 1 - y));
        char *dst = pixels.data() + y * rowBytes;
        std::memcpy(dst, src, size_t(used));
        if (swapRgb) {
            for (qint64 x = 0; x < w; ++x)
                std::swap(dst[3 * x], dst[3 * x + 2]);
        }
    }

    out.header = std::move(header);
    out.pixels = std::move(pixels);
    out.width = int(w);
    out.height = int(h);
    return true;
}

quint32 getU32(const char *at)
{
    return quint32(quint8(at[0])) | quint32(quint8(at[1])) << 8 | quint32(quint8(at[2])) << 16
           | quint32(quint8(at[3])) << 24;
}

quint16 getU16(const char *at)
{
    return quint16(quint8(at[0]) | quint8(at[1]) << 8);
}

// Reads exactly `n` bytes, in pieces so a stream that ends early never makes
// the block larger than what it held.
bool readExactly(QIODevice &stream, qint64 n, QByteArray &into)
{
    into.clear();
    constexpr qint64 kPiece = qint64(1) << 20;
    while (into.size() < n) {
        const qint64 want = std::min(kPiece, n - into.size());
        const QByteArray piece = stream.read(want);
        if (piece.isEmpty())
            return false;
        into.append(piece);
    }
    return true;
}

} // namespace

bool LoadDibFromBitmap(const QImage &bitmap, DibBlocks &out)
{
    // The printer takes no bitmap with fewer than 32 bytes of pixels.
    return dibBlocksOf(bitmap, out, 32);
}

bool DibFromBitmap(const QImage &bitmap, DibBlocks &out)
{
    return dibBlocksOf(bitmap, out, 1);
}

bool LoadDibFromStream(QIODevice &stream, DibBlocks &out)
{
    out = DibBlocks();
    if (!stream.isReadable())
        return false;
    const QByteArray fileHeader = stream.read(14);
    if (fileHeader.size() != 14 || fileHeader.at(0) != 'B' || fileHeader.at(1) != 'M')
        return false;
    const qint64 offset = getU32(fileHeader.constData() + 10);
    const qint64 remaining = stream.isSequential() ? stream.bytesAvailable() : stream.size() - stream.pos();
    if (offset <= 14 || remaining <= offset)
        return false;

    QByteArray header;
    if (!readExactly(stream, offset - 14, header) || header.size() < 12)
        return false;
    const quint32 headerSize = getU32(header.constData());
    qint64 width = 0;
    qint64 height = 0;
    int bits = 0;
    qint64 imageSize = 0;
    if (headerSize == 40) {
        if (header.size() < 40)
            return false;
        width = qint32(getU32(header.constData() + 4));
        height = std::abs(qint64(qint32(getU32(header.constData() + 8))));
        bits = getU16(header.constData() + 14);
        imageSize = getU32(header.constData() + 20);
    } else if (headerSize == 12) {
        width = getU16(header.constData() + 4);
        height = getU16(header.constData() + 6);
        bits = getU16(header.constData() + 10);
    } else {
        return false;
    }
    if (imageSize == 0 && width > 0) {
        const qint64 rowBytes = ((qint64(bits) * width + 31) / 32) * 4;
        // Sizes no stream can hold are refused before they overflow.
        if (rowBytes > 0 && height > std::numeric_limits<qint64>::max() / rowBytes)
            return false;
        imageSize = height * rowBytes;
    }
    if (width <= 0 || height <= 0 || imageSize < 32)
        return false;
    // Never ask for more than the stream still holds.
    const qint64 left = remaining - (offset - 14);
    if (imageSize > left)
        return false;
    QByteArray pixels;
    if (!readExactly(stream, imageSize, pixels))
        return false;

    out.header = std::move(header);
    out.pixels = std::move(pixels);
    out.width = int(width);
    out.height = int(height);
    return true;
}

} // namespace vz
