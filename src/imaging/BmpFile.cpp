#include "imaging/BmpFile.h"

#include "metafile/ByteReader.h"
#include "metafile/Dib.h"

#include <algorithm>

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

} // namespace vz
