#include "metafile/Dib.h"

#include "metafile/ByteReader.h"

#include <QBuffer>
#include <QPainter>

#include <algorithm>
#include <array>
#include <vector>

namespace vz::mf {

namespace {

constexpr quint32 kBiRgb = 0;
constexpr quint32 kBiRle8 = 1;
constexpr quint32 kBiRle4 = 2;
constexpr quint32 kBiBitfields = 3;
constexpr quint32 kBiJpeg = 4;
constexpr quint32 kBiPng = 5;
constexpr quint32 kBiAlphaBitfields = 6;

// Pixel counts beyond this need input of matching size: a short file may not
// make us allocate gigabytes.
constexpr qint64 kFreePixels = qint64(1) << 21;
constexpr qint64 kMaxPixels = qint64(1) << 28;

struct Channel
{
    quint32 mask = 0;
    int shift = 0;
    quint32 max = 0;

    explicit Channel(quint32 m = 0) : mask(m)
    {
        if (!m)
            return;
        while (!(m & 1)) {
            m >>= 1;
            ++shift;
        }
        max = m;
    }
    int value(quint32 v) const
    {
        if (!max)
            return 0;
        const quint64 x = (v & mask) >> shift;
        return int(x * 255 / max);
    }
};

QImage fail(QString *error, const char *why)
{
    if (error)
        *error = QString::fromLatin1(why);
    return QImage();
}

void fillWhite(QImage &img)
{
    img.fill(0xFFFFFFFFu);
}

// Decodes RLE4/RLE8 into per-pixel palette indices; pixels not written stay
// at index 0.
void decodeRle(const ByteReader &in, qsizetype pos, int width, int height, bool rle4, std::vector<quint8> &out)
{
    out.assign(size_t(width) * size_t(height), 0);
    int x = 0, y = 0; // y counts from the first stored row
    auto put = [&](quint8 idx) {
        if (x < width && y < height)
            out[size_t(y) * width + x] = idx;
        ++x;
    };
    while (in.has(pos, 2) && y < height) {
        const int count = in.u8(pos);
        const int code = in.u8(pos + 1);
        pos += 2;
        if (count > 0) {
            for (int i = 0; i < count && x < width; ++i)
                put(rle4 ? quint8((i & 1) ? (code & 0x0F) : (code >> 4)) : quint8(code));
            continue;
        }
        if (code == 0) { // end of line
            x = 0;
            ++y;
        } else if (code == 1) { // end of bitmap
            break;
        } else if (code == 2) { // delta
            if (!in.has(pos, 2))
                break;
            x += in.u8(pos);
            y += in.u8(pos + 1);
            pos += 2;
        } else { // absolute run of `code` pixels, padded to a word
            const int bytes = rle4 ? (code + 1) / 2 : code;
            if (!in.has(pos, bytes))
                break;
            for (int i = 0; i < code; ++i) {
                const quint8 b = in.u8(pos + (rle4 ? i / 2 : i));
                put(rle4 ? quint8((i & 1) ? (b & 0x0F) : (b >> 4)) : b);
            }
            pos += (bytes + 1) & ~1;
        }
    }
}

} // namespace

QImage decodeDib(const uchar *data, qsizetype size, qsizetype bitsOffset, QString *error, bool paletteIndices)
{
    const ByteReader in(data, size);
    const quint32 headerSize = in.u32(0);
    if (in.failed() || headerSize < 12 || qsizetype(headerSize) > size)
        return fail(error, "bitmap header is too short");

    qint64 width, height;
    int bpp;
    quint32 compression = kBiRgb;
    quint32 clrUsed = 0;
    int paletteEntrySize = 4;
    bool topDown = false;
    quint32 masks[4] = {0, 0, 0, 0};
    qsizetype afterHeader = headerSize;

    if (headerSize == 12) {
        width = in.u16(4);
        height = in.u16(6);
        bpp = in.u16(10);
        paletteEntrySize = 3;
    } else {
        if (headerSize < 16)
            return fail(error, "bitmap header is too short");
        width = in.i32(4);
        height = in.i32(8);
        bpp = in.u16(14);
        if (headerSize >= 20)
            compression = in.u32(16);
        if (headerSize >= 36)
            clrUsed = in.u32(32);
        if (height < 0) {
            topDown = true;
            height = -height;
        }
        if (compression == kBiBitfields || compression == kBiAlphaBitfields) {
            const int nMasks = compression == kBiAlphaBitfields ? 4 : 3;
            if (headerSize >= 40 + 4 * quint32(nMasks)) {
                for (int i = 0; i < 4 && headerSize >= 44 + 4 * quint32(i); ++i)
                    masks[i] = in.u32(40 + 4 * i);
            } else {
                if (!in.has(headerSize, 4 * nMasks))
                    return fail(error, "bitmap masks are missing");
                for (int i = 0; i < nMasks; ++i)
                    masks[i] = in.u32(headerSize + 4 * i);
                afterHeader += 4 * nMasks;
            }
        } else if (headerSize >= 56) {
            masks[3] = in.u32(52); // alpha mask of V3+ headers
        }
    }
    if (width <= 0 || height <= 0 || width > 65535 || height > 65535)
        return fail(error, "bitmap size is not valid");
    if (width * height > kMaxPixels)
        return fail(error, "bitmap is too large");

    if (compression == kBiJpeg || compression == kBiPng) {
        const qsizetype start = bitsOffset >= 0 ? bitsOffset : afterHeader;
        if (!in.has(start, 1))
            return fail(error, "bitmap data is missing");
        QImage img = QImage::fromData(data + start, int(std::min<qsizetype>(size - start, INT_MAX)),
                                      compression == kBiJpeg ? "JPEG" : "PNG");
        if (img.isNull())
            return fail(error, "embedded picture cannot be read");
        return img.convertToFormat(QImage::Format_RGB32);
    }

    if (!(bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32))
        return fail(error, "bit count is not supported");
    if ((compression == kBiRle8 && bpp != 8) || (compression == kBiRle4 && bpp != 4))
        return fail(error, "compression does not match the bit count");
    if (compression != kBiRgb && compression != kBiRle8 && compression != kBiRle4 && compression != kBiBitfields
        && compression != kBiAlphaBitfields)
        return fail(error, "compression is not supported");

    // Colour table.
    std::vector<QRgb> palette;
    qsizetype tableEntries = 0;
    if (bpp <= 8) {
        tableEntries = clrUsed ? qsizetype(std::min<quint32>(clrUsed, 1u << bpp)) : (qsizetype(1) << bpp);
    } else {
        tableEntries = std::min<quint32>(clrUsed, 65536);
    }
    const int entrySize = paletteIndices ? 2 : paletteEntrySize;
    if (bpp <= 8) {
        // A table cut short by the bits offset keeps only what fits.
        qsizetype fit = tableEntries;
        if (bitsOffset >= afterHeader)
            fit = std::min<qsizetype>(fit, (bitsOffset - afterHeader) / entrySize);
        fit = std::min<qsizetype>(fit, std::max<qsizetype>(0, (size - afterHeader) / entrySize));
        palette.reserve(size_t(fit));
        for (qsizetype i = 0; i < fit; ++i) {
            const qsizetype at = afterHeader + i * entrySize;
            if (paletteIndices) {
                const int g = int(in.u16(at) & 0xFF);
                palette.push_back(qRgb(g, g, g));
            } else {
                palette.push_back(qRgb(in.u8(at + 2), in.u8(at + 1), in.u8(at)));
            }
        }
        if (palette.empty()) {
            const int n = 1 << bpp;
            for (int i = 0; i < n; ++i) {
                const int g = n > 1 ? i * 255 / (n - 1) : 0;
                palette.push_back(qRgb(g, g, g));
            }
        }
    }
    const qsizetype bitsStart = bitsOffset >= 0 ? bitsOffset : afterHeader + tableEntries * entrySize;
    if (bitsStart > size)
        return fail(error, "bitmap data is missing");
    const qsizetype available = size - bitsStart;
    // Run-length data may expand a byte to 127 pixels and skip more.
    const bool rle = compression == kBiRle4 || compression == kBiRle8;
    if (width * height > std::max<qint64>(kFreePixels, qint64(available) * (rle ? 256 : 64)))
        return fail(error, "bitmap is larger than its data");

    QImage img(int(width), int(height),
               masks[3] && bpp >= 16 ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (img.isNull())
        return fail(error, "out of memory");
    const int w = int(width), h = int(height);
    auto rowOf = [&](int stored) { return topDown ? stored : h - 1 - stored; };
    const QRgb last = palette.empty() ? 0 : palette.back();
    auto pal = [&](unsigned idx) { return idx < palette.size() ? palette[idx] : last; };

    if (compression == kBiRle4 || compression == kBiRle8) {
        std::vector<quint8> idx;
        decodeRle(in, bitsStart, w, h, compression == kBiRle4, idx);
        for (int s = 0; s < h; ++s) {
            QRgb *line = reinterpret_cast<QRgb *>(img.scanLine(rowOf(s)));
            const quint8 *src = idx.data() + size_t(s) * w;
            for (int x = 0; x < w; ++x)
                line[x] = pal(src[x]);
        }
        return img;
    }

    const qsizetype stride = ((qsizetype(w) * bpp + 31) / 32) * 4;
    const qsizetype rows = std::min<qsizetype>(h, available / stride);
    if (rows <= 0)
        return fail(error, "bitmap data is missing");
    if (rows < h)
        fillWhite(img);

    const bool fields = compression == kBiBitfields || compression == kBiAlphaBitfields;
    Channel r, g, b, a(masks[3]);
    if (fields) {
        r = Channel(masks[0]);
        g = Channel(masks[1]);
        b = Channel(masks[2]);
    } else if (bpp == 16) {
        r = Channel(0x7C00);
        g = Channel(0x03E0);
        b = Channel(0x001F);
    } else if (bpp == 32) {
        r = Channel(0x00FF0000);
        g = Channel(0x0000FF00);
        b = Channel(0x000000FF);
    }
    const bool hasAlpha = img.format() == QImage::Format_ARGB32;

    for (qsizetype s = 0; s < rows; ++s) {
        const uchar *src = data + bitsStart + s * stride;
        QRgb *line = reinterpret_cast<QRgb *>(img.scanLine(rowOf(int(s))));
        switch (bpp) {
        case 1:
            for (int x = 0; x < w; ++x)
                line[x] = pal((src[x >> 3] >> (7 - (x & 7))) & 1);
            break;
        case 4:
            for (int x = 0; x < w; ++x)
                line[x] = pal((x & 1) ? (src[x >> 1] & 0x0F) : (src[x >> 1] >> 4));
            break;
        case 8:
            for (int x = 0; x < w; ++x)
                line[x] = pal(src[x]);
            break;
        case 24:
            for (int x = 0; x < w; ++x, src += 3)
                line[x] = qRgb(src[2], src[1], src[0]);
            break;
        case 16:
            for (int x = 0; x < w; ++x, src += 2) {
                const quint32 v = quint32(src[0]) | (quint32(src[1]) << 8);
                line[x] = qRgba(r.value(v), g.value(v), b.value(v), hasAlpha ? a.value(v) : 255);
            }
            break;
        case 32:
            if (!fields && !hasAlpha) {
                for (int x = 0; x < w; ++x, src += 4)
                    line[x] = qRgb(src[2], src[1], src[0]);
            } else {
                for (int x = 0; x < w; ++x, src += 4) {
                    const quint32 v = quint32(src[0]) | (quint32(src[1]) << 8) | (quint32(src[2]) << 16)
                        | (quint32(src[3]) << 24);
                    line[x] = qRgba(r.value(v), g.value(v), b.value(v), hasAlpha ? a.value(v) : 255);
                }
            }
            break;
        }
    }
    return img;
}

namespace {

void putU16(QByteArray &b, quint16 v)
{
    b.append(char(v & 0xFF));
    b.append(char(v >> 8));
}
void putU32(QByteArray &b, quint32 v)
{
    putU16(b, quint16(v & 0xFFFF));
    putU16(b, quint16(v >> 16));
}

QByteArray infoHeader(int w, int h, int bpp, quint32 imageSize, quint32 colours)
{
    QByteArray b;
    putU32(b, 40);
    putU32(b, quint32(w));
    putU32(b, quint32(h));
    putU16(b, 1);
    putU16(b, quint16(bpp));
    putU32(b, 0);
    putU32(b, imageSize);
    putU32(b, 3780); // 96 dpi
    putU32(b, 3780);
    putU32(b, colours);
    putU32(b, 0);
    return b;
}

QImage onWhite(const QImage &image)
{
    if (!image.hasAlphaChannel())
        return image.convertToFormat(QImage::Format_RGB32);
    QImage out(image.size(), QImage::Format_RGB32);
    out.fill(Qt::white);
    QPainter p(&out);
    p.drawImage(0, 0, image);
    return out;
}

} // namespace

QByteArray encodeDib24(const QImage &image)
{
    const QImage img = onWhite(image);
    const int w = img.width(), h = img.height();
    const qsizetype stride = ((qsizetype(w) * 24 + 31) / 32) * 4;
    QByteArray b = infoHeader(w, h, 24, quint32(stride * h), 0);
    const qsizetype start = b.size();
    b.resize(start + stride * h, '\0');
    for (int y = 0; y < h; ++y) {
        const QRgb *src = reinterpret_cast<const QRgb *>(img.constScanLine(h - 1 - y));
        uchar *dst = reinterpret_cast<uchar *>(b.data()) + start + y * stride;
        for (int x = 0; x < w; ++x, dst += 3) {
            dst[0] = uchar(qBlue(src[x]));
            dst[1] = uchar(qGreen(src[x]));
            dst[2] = uchar(qRed(src[x]));
        }
    }
    return b;
}

QByteArray encodeMaskDib(const QImage &image)
{
    const QImage img = image.convertToFormat(QImage::Format_ARGB32);
    const int w = img.width(), h = img.height();
    const qsizetype stride = ((qsizetype(w) + 31) / 32) * 4;
    QByteArray b = infoHeader(w, h, 1, quint32(stride * h), 2);
    putU32(b, 0x00000000); // index 0: black (opaque)
    putU32(b, 0x00FFFFFF); // index 1: white (transparent)
    const qsizetype start = b.size();
    b.resize(start + stride * h, '\0');
    for (int y = 0; y < h; ++y) {
        const QRgb *src = reinterpret_cast<const QRgb *>(img.constScanLine(h - 1 - y));
        uchar *dst = reinterpret_cast<uchar *>(b.data()) + start + y * stride;
        for (int x = 0; x < w; ++x)
            if (qAlpha(src[x]) < 128)
                dst[x >> 3] |= uchar(0x80 >> (x & 7));
    }
    return b;
}

QByteArray encodeMaskedColourDib(const QImage &image)
{
    QImage img = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < img.height(); ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x)
            line[x] = qAlpha(line[x]) < 128 ? qRgb(0, 0, 0) : (line[x] | 0xFF000000u);
    }
    return encodeDib24(img.convertToFormat(QImage::Format_RGB32));
}

} // namespace vz::mf
