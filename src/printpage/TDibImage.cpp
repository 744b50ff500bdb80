#include "printpage/TDibImage.h"

#include <QBuffer>
#include <QIODevice>
#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

namespace vz {

namespace {

constexpr int kFileHeaderSize = 14;
constexpr int kInfoHeaderSize = 40;
constexpr int kCoreHeaderSize = 12;
constexpr int kMaskBytes = 12;
constexpr uint16_t kBmType = 0x4D42;
constexpr uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3;
// One block stays addressable by 32-bit sizes, as the file header's size is.
constexpr int64_t kMaxBlock = std::numeric_limits<int32_t>::max() - kFileHeaderSize;
constexpr int64_t kReadChunk = 1 << 20;

uint16_t u16(const uint8_t *p) { return qFromLittleEndian<uint16_t>(p); }
uint32_t u32(const uint8_t *p) { return qFromLittleEndian<uint32_t>(p); }
int32_t i32(const uint8_t *p) { return qFromLittleEndian<int32_t>(p); }
void put16(uint8_t *p, uint16_t v) { qToLittleEndian(v, p); }
void put32(uint8_t *p, uint32_t v) { qToLittleEndian(v, p); }

bool isRunLength(uint32_t compression) { return compression == kRle8 || compression == kRle4; }

int64_t rowBytes(int64_t width, int bits) { return ((width * bits + 31) / 32) * 4; }

// Bytes taken from the stream so far, grown only by what the stream really
// holds, so a header's claims never allocate beyond it.
class StreamBytes
{
public:
    explicit StreamBytes(QIODevice &s) : m_stream(s) {}
    bool ensure(int64_t n)
    {
        if (n > kMaxBlock + kFileHeaderSize)
            return false;
        while (int64_t(m_bytes.size()) < n) {
            const int64_t want = std::min(kReadChunk, n - int64_t(m_bytes.size()));
            const size_t old = m_bytes.size();
            m_bytes.resize(old + size_t(want));
            const qint64 got = m_stream.read(reinterpret_cast<char *>(m_bytes.data() + old), want);
            if (got <= 0) {
                m_bytes.resize(old);
                return false;
            }
            m_bytes.resize(old + size_t(got));
        }
        return true;
    }
    const uint8_t *at(int64_t offset) const { return m_bytes.data() + offset; }

private:
    QIODevice &m_stream;
    std::vector<uint8_t> m_bytes;
};

// The fields of either header kind that loading checks and keeps.
struct HeaderInfo
{
    int infoSize = 0;
    int32_t width = 0;
    int32_t height = 0; // signed: negative is top-down
    int bits = 0;
    uint32_t compression = kRgb;
    uint32_t imageSize = 0;
    int paletteCount = 0;
    int paletteEntry = 4;
    int masks = 0;
    int64_t rowSize = 0;
    int64_t pixelBytes = 0;
    int64_t headerBytes() const { return infoSize + masks + int64_t(paletteCount) * paletteEntry; }
};

bool validBits(int bits) { return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32; }

// Checks an info header of either size whose first 4 bytes are readable;
// `bytes` is ensured further as needed.
bool readHeader(StreamBytes &bytes, int64_t base, HeaderInfo *h)
{
    if (!bytes.ensure(base + 4))
        return false;
    const uint32_t size = u32(bytes.at(base));
    if (size == kCoreHeaderSize) {
        if (!bytes.ensure(base + kCoreHeaderSize))
            return false;
        const uint8_t *p = bytes.at(base);
        h->infoSize = kCoreHeaderSize;
        h->width = u16(p + 4);
        h->height = u16(p + 6);
        h->bits = u16(p + 10);
        if (h->width < 1 || h->height < 1 || u16(p + 8) != 1)
            return false;
        if (h->bits != 1 && h->bits != 4 && h->bits != 8 && h->bits != 24)
            return false;
        h->paletteCount = h->bits <= 8 ? 1 << h->bits : 0;
        h->paletteEntry = 3;
    } else if (size == kInfoHeaderSize) {
        if (!bytes.ensure(base + kInfoHeaderSize))
            return false;
        const uint8_t *p = bytes.at(base);
        h->infoSize = kInfoHeaderSize;
        h->width = i32(p + 4);
        h->height = i32(p + 8);
        h->bits = u16(p + 14);
        h->compression = u32(p + 16);
        h->imageSize = u32(p + 20);
        const uint32_t used = u32(p + 32);
        if (h->width < 1 || h->height == 0 || h->height == std::numeric_limits<int32_t>::min())
            return false;
        if (u16(p + 12) != 1 || !validBits(h->bits) || h->compression > kBitFields)
            return false;
        if (h->compression != kRgb && (h->imageSize == 0 || h->height < 0))
            return false;
        const uint32_t limit = h->bits <= 8 ? 1u << h->bits : 256u;
        if (used > limit)
            return false;
        h->paletteCount = h->bits <= 8 && used == 0 ? int(limit) : int(used);
        h->masks = h->compression == kBitFields ? kMaskBytes : 0;
    } else {
        return false;
    }
    const int64_t rows = h->height < 0 ? -int64_t(h->height) : h->height;
    h->rowSize = rowBytes(h->width, h->bits);
    if (isRunLength(h->compression)) {
        h->pixelBytes = h->imageSize;
    } else {
        if (h->rowSize > kMaxBlock / rows)
            return false;
        h->pixelBytes = h->rowSize * rows;
    }
    return h->pixelBytes <= kMaxBlock - kInfoHeaderSize - kMaskBytes - 256 * 4;
}

// Pixel reading and writing by format, used by the scalers.
struct Format
{
    int bits = 0;
    uint32_t compression = 0;
    const uint8_t *palette = nullptr;
    int paletteCount = 0;
    const uint32_t *masks = nullptr;
};

// One mask channel's value scaled to 8 bits.
struct MaskChannel
{
    uint32_t mask = 0;
    int shift = 0;
    uint32_t max = 0;
    explicit MaskChannel(uint32_t m) : mask(m)
    {
        if (!m)
            return;
        while (!((m >> shift) & 1u))
            ++shift;
        max = m >> shift;
    }
    uint8_t operator()(uint32_t v) const
    {
        if (!max)
            return 0;
        return uint8_t((uint64_t((v & mask) >> shift) * 255u + max / 2) / max);
    }
};

// Reads `count` pixels of a source row from column `first` into BGR triples.
void readRow24(const Format &f, const uint8_t *row, int first, int count, uint8_t *out)
{
    auto fromPalette = [&](unsigned index, uint8_t *o) {
        if (int(index) < f.paletteCount) {
            std::memcpy(o, f.palette + 4 * index, 3);
        } else {
            o[0] = o[1] = o[2] = 0;
        }
    };
    switch (f.bits) {
    case 1:
        for (int i = 0; i < count; ++i) {
            const int x = first + i;
            fromPalette((row[x >> 3] >> (7 - (x & 7))) & 1u, out + 3 * i);
        }
        break;
    case 4:
        for (int i = 0; i < count; ++i) {
            const int x = first + i;
            fromPalette((x & 1) ? row[x >> 1] & 0x0Fu : row[x >> 1] >> 4, out + 3 * i);
        }
        break;
    case 8:
        for (int i = 0; i < count; ++i)
            fromPalette(row[first + i], out + 3 * i);
        break;
    case 16:
        if (f.compression == kBitFields) {
            const MaskChannel r(f.masks[0]), g(f.masks[1]), b(f.masks[2]);
            for (int i = 0; i < count; ++i) {
                const uint32_t v = u16(row + 2 * int64_t(first + i));
                out[3 * i] = b(v);
                out[3 * i + 1] = g(v);
                out[3 * i + 2] = r(v);
            }
        } else {
            for (int i = 0; i < count; ++i) {
                const uint32_t v = u16(row + 2 * int64_t(first + i));
                const uint32_t c[3] = {v & 0x1F, (v >> 5) & 0x1F, (v >> 10) & 0x1F};
                for (int k = 0; k < 3; ++k)
                    out[3 * i + k] = uint8_t((c[k] << 3) | (c[k] >> 2));
            }
        }
        break;
    case 24:
        std::memcpy(out, row + 3 * int64_t(first), size_t(count) * 3);
        break;
    case 32:
        if (f.compression == kBitFields) {
            const MaskChannel r(f.masks[0]), g(f.masks[1]), b(f.masks[2]);
            for (int i = 0; i < count; ++i) {
                const uint32_t v = u32(row + 4 * int64_t(first + i));
                out[3 * i] = b(v);
                out[3 * i + 1] = g(v);
                out[3 * i + 2] = r(v);
            }
        } else {
            for (int i = 0; i < count; ++i)
                std::memcpy(out + 3 * i, row + 4 * int64_t(first + i), 3);
        }
        break;
    default:
        break;
    }
}

// Nearest-neighbour copy of one row in the format's own packing.
template <int Bytes>
void copyPixels(const uint8_t *src, uint8_t *dst, const std::vector<int> &cols, int dstFirst)
{
    uint8_t *d = dst + int64_t(dstFirst) * Bytes;
    for (const int c : cols) {
        std::memcpy(d, src + int64_t(c) * Bytes, Bytes);
        d += Bytes;
    }
}

void copyBits(const uint8_t *src, uint8_t *dst, const std::vector<int> &cols, int dstFirst, int bits)
{
    for (size_t i = 0; i < cols.size(); ++i) {
        const int s = cols[i];
        const int x = dstFirst + int(i);
        if (bits == 1) {
            const uint8_t v = (src[s >> 3] >> (7 - (s & 7))) & 1u;
            const uint8_t bit = uint8_t(0x80u >> (x & 7));
            dst[x >> 3] = v ? uint8_t(dst[x >> 3] | bit) : uint8_t(dst[x >> 3] & ~bit);
        } else {
            const uint8_t v = (s & 1) ? src[s >> 1] & 0x0Fu : src[s >> 1] >> 4;
            uint8_t &b = dst[x >> 1];
            b = (x & 1) ? uint8_t((b & 0xF0u) | v) : uint8_t((b & 0x0Fu) | (v << 4));
        }
    }
}

} // namespace

void TDibImage::clear()
{
    m_block.clear();
    m_block.shrink_to_fit();
    m_width = m_height = 0;
    m_topDown = false;
    m_bits = 0;
    m_compression = 0;
    m_paletteCount = 0;
    m_rowSize = m_pixelOffset = m_pixelBytes = 0;
}

const uint8_t *TDibImage::palette() const
{
    return m_paletteCount ? m_block.data() + kInfoHeaderSize + (m_compression == kBitFields ? kMaskBytes : 0) : nullptr;
}

const uint32_t *TDibImage::masks() const
{
    return m_compression == kBitFields && !m_block.empty()
        ? reinterpret_cast<const uint32_t *>(m_block.data() + kInfoHeaderSize)
        : nullptr;
}

const uint8_t *TDibImage::scanLine(int row) const
{
    if (m_block.empty() || isRunLength(m_compression) || row < 0 || row >= m_height)
        return nullptr;
    const int64_t stored = m_topDown ? row : m_height - 1 - row;
    return m_block.data() + m_pixelOffset + stored * m_rowSize;
}

uint8_t *TDibImage::scanLine(int row)
{
    return const_cast<uint8_t *>(static_cast<const TDibImage *>(this)->scanLine(row));
}

bool TDibImage::LoadFromStream(QIODevice &stream)
{
    clear();
    try {
        const qint64 start = stream.pos();
        StreamBytes bytes(stream);
        if (!bytes.ensure(kFileHeaderSize))
            return false;
        const uint8_t *fh = bytes.at(0);
        const bool fileHeader = u16(fh) == kBmType && u16(fh + 6) == 0 && u16(fh + 8) == 0;
        const int64_t base = fileHeader ? kFileHeaderSize : 0;

        HeaderInfo h;
        if (!readHeader(bytes, base, &h))
            return false;
        const int64_t headerEnd = base + h.headerBytes();
        int64_t pixelsAt = headerEnd;
        int64_t total = headerEnd + h.pixelBytes;
        if (fileHeader) {
            // The file header's size and pixel offset must agree with what
            // the info header needs: pixels after the headers, and the
            // rows (or the compressed data) inside the file.
            const int64_t fileSize = u32(bytes.at(2));
            pixelsAt = u32(bytes.at(10));
            if (pixelsAt < base + h.infoSize + h.masks || headerEnd > fileSize
                || pixelsAt > fileSize || h.pixelBytes > fileSize - pixelsAt)
                return false;
            total = fileSize;
        }
        if (!bytes.ensure(total))
            return false;

        // The block in its one form: 40-byte header, masks, 4-byte palette
        // entries, pixels.
        const int64_t paletteBytes = int64_t(h.paletteCount) * 4;
        const int64_t pixelOffset = kInfoHeaderSize + h.masks + paletteBytes;
        std::vector<uint8_t> block(size_t(pixelOffset + h.pixelBytes));
        uint8_t *b = block.data();
        if (h.infoSize == kInfoHeaderSize) {
            std::memcpy(b, bytes.at(base), kInfoHeaderSize + h.masks);
        } else {
            put32(b, kInfoHeaderSize);
            put32(b + 4, uint32_t(h.width));
            put32(b + 8, uint32_t(h.height));
            put16(b + 12, 1);
            put16(b + 14, uint16_t(h.bits));
            put32(b + 20, uint32_t(h.pixelBytes));
        }
        const uint8_t *pal = bytes.at(base + h.infoSize + h.masks);
        for (int i = 0; i < h.paletteCount; ++i) {
            uint8_t *e = b + kInfoHeaderSize + h.masks + 4 * i;
            std::memcpy(e, pal + int64_t(i) * h.paletteEntry, 3);
            e[3] = h.paletteEntry == 4 ? pal[int64_t(i) * 4 + 3] : 0;
        }
        std::memcpy(b + pixelOffset, bytes.at(pixelsAt), size_t(h.pixelBytes));

        m_block = std::move(block);
        m_width = h.width;
        m_height = h.height < 0 ? -h.height : h.height;
        m_topDown = h.height < 0;
        m_bits = h.bits;
        m_compression = h.compression;
        m_paletteCount = h.paletteCount;
        m_rowSize = h.rowSize;
        m_pixelOffset = pixelOffset;
        m_pixelBytes = h.pixelBytes;
        if (!stream.isSequential())
            stream.seek(start + total);
        return true;
    } catch (const std::bad_alloc &) {
        clear();
        return false;
    }
}

bool TDibImage::CreateLike(int width, int height, const TDibImage &source)
{
    clear();
    if (source.isEmpty() || width < 1 || height < 1 || isRunLength(source.m_compression))
        return false;
    if (source.m_compression == kBitFields && source.m_bits != 16 && source.m_bits != 32)
        return false;
    const int masks = source.m_compression == kBitFields ? kMaskBytes : 0;
    const int64_t rowSize = rowBytes(width, source.m_bits);
    const int64_t pixelOffset = kInfoHeaderSize + masks + int64_t(source.m_paletteCount) * 4;
    if (rowSize > (kMaxBlock - pixelOffset) / height)
        return false;
    const int64_t pixelBytes = rowSize * height;
    try {
        std::vector<uint8_t> block(size_t(pixelOffset + pixelBytes), 0);
        uint8_t *b = block.data();
        put32(b, kInfoHeaderSize);
        put32(b + 4, uint32_t(width));
        put32(b + 8, uint32_t(height));
        put16(b + 12, 1);
        put16(b + 14, uint16_t(source.m_bits));
        put32(b + 16, source.m_compression);
        put32(b + 20, uint32_t(pixelBytes));
        put32(b + 32, uint32_t(source.m_paletteCount));
        std::memcpy(b + kInfoHeaderSize, source.m_block.data() + kInfoHeaderSize, size_t(pixelOffset - kInfoHeaderSize));
        m_block = std::move(block);
    } catch (const std::bad_alloc &) {
        clear();
        return false;
    }
    m_width = width;
    m_height = height;
    m_topDown = false;
    m_bits = source.m_bits;
    m_compression = source.m_compression;
    m_paletteCount = source.m_paletteCount;
    m_rowSize = rowSize;
    m_pixelOffset = pixelOffset;
    m_pixelBytes = pixelBytes;
    return true;
}

bool TDibImage::StretchFrom(const TDibImage &source)
{
    return StretchFrom(source, QRect(0, 0, m_width, m_height), QRect(0, 0, source.m_width, source.m_height));
}

bool TDibImage::StretchFrom(const TDibImage &source, const QRect &dstRect, const QRect &srcRect)
{
    if (isEmpty() || source.isEmpty() || isRunLength(m_compression) || isRunLength(source.m_compression))
        return false;
    if (dstRect.isEmpty() || srcRect.isEmpty() || !QRect(0, 0, m_width, m_height).contains(dstRect)
        || !QRect(0, 0, source.m_width, source.m_height).contains(srcRect))
        return false;

    const int masks = m_compression == kBitFields ? kMaskBytes : 0;
    const bool sameFormat = m_bits == source.m_bits && m_compression == source.m_compression
        && m_paletteCount == source.m_paletteCount
        && std::memcmp(m_block.data() + kInfoHeaderSize, source.m_block.data() + kInfoHeaderSize,
                       size_t(masks + m_paletteCount * 4)) == 0;
    const bool convertible = m_compression == kRgb && (m_bits == 24 || m_bits == 32);
    if (!sameFormat && !convertible)
        return false;

    const int dw = dstRect.width(), dh = dstRect.height();
    const int sw = srcRect.width(), sh = srcRect.height();

    // Equal sizes of whole images in one format: one move of all rows.
    if (sameFormat && dw == sw && dh == sh && dstRect == QRect(0, 0, m_width, m_height)
        && srcRect == QRect(0, 0, source.m_width, source.m_height) && m_topDown == source.m_topDown) {
        std::memcpy(m_block.data() + m_pixelOffset, source.m_block.data() + source.m_pixelOffset, size_t(m_pixelBytes));
        return true;
    }

    // Ratios once, in extended precision; each destination column and row
    // takes the truncated product.
    const long double sx = static_cast<long double>(sw) / dw;
    const long double sy = static_cast<long double>(sh) / dh;
    std::vector<int> cols(static_cast<size_t>(dw));
    for (int x = 0; x < dw; ++x)
        cols[size_t(x)] = srcRect.left() + std::min(sw - 1, static_cast<int>(x * sx));

    if (sameFormat) {
        for (int r = 0; r < dh; ++r) {
            const int sr = srcRect.top() + std::min(sh - 1, static_cast<int>(r * sy));
            const uint8_t *s = source.scanLine(sr);
            uint8_t *d = scanLine(dstRect.top() + r);
            switch (m_bits) {
            case 8: copyPixels<1>(s, d, cols, dstRect.left()); break;
            case 16: copyPixels<2>(s, d, cols, dstRect.left()); break;
            case 24: copyPixels<3>(s, d, cols, dstRect.left()); break;
            case 32: copyPixels<4>(s, d, cols, dstRect.left()); break;
            default: copyBits(s, d, cols, dstRect.left(), m_bits); break;
            }
        }
        return true;
    }

    // Different formats: the source row in 24-bit form, then the chosen
    // pixels into the 24- or 32-bit destination.
    Format f;
    f.bits = source.m_bits;
    f.compression = source.m_compression;
    f.palette = source.palette();
    f.paletteCount = source.m_paletteCount;
    uint32_t sourceMasks[3] = {0, 0, 0};
    if (source.m_compression == kBitFields)
        std::memcpy(sourceMasks, source.m_block.data() + kInfoHeaderSize, sizeof sourceMasks);
    f.masks = sourceMasks;
    std::vector<uint8_t> row24(static_cast<size_t>(sw) * 3);
    const int outBytes = m_bits / 8;
    int lastRow = -1;
    for (int r = 0; r < dh; ++r) {
        const int sr = srcRect.top() + std::min(sh - 1, static_cast<int>(r * sy));
        if (sr != lastRow) {
            readRow24(f, source.scanLine(sr), srcRect.left(), sw, row24.data());
            lastRow = sr;
        }
        uint8_t *d = scanLine(dstRect.top() + r) + int64_t(dstRect.left()) * outBytes;
        for (int x = 0; x < dw; ++x, d += outBytes) {
            std::memcpy(d, row24.data() + 3 * int64_t(cols[size_t(x)] - srcRect.left()), 3);
            if (outBytes == 4)
                d[3] = 0;
        }
    }
    return true;
}

bool TDibImage::SaveToStream(QIODevice &stream, bool withFileHeader) const
{
    if (isEmpty())
        return false;
    if (withFileHeader) {
        uint8_t fh[kFileHeaderSize] = {};
        put16(fh, kBmType);
        put32(fh + 2, uint32_t(m_block.size() + kFileHeaderSize));
        put32(fh + 10, uint32_t(m_pixelOffset + kFileHeaderSize));
        if (stream.write(reinterpret_cast<const char *>(fh), kFileHeaderSize) != kFileHeaderSize)
            return false;
    }
    return stream.write(reinterpret_cast<const char *>(m_block.data()), qint64(m_block.size())) == qint64(m_block.size());
}

std::optional<QByteArray> reduceBmpFile(const QByteArray &bmpFile, int factor)
{
    QBuffer in;
    in.setData(bmpFile);
    in.open(QIODevice::ReadOnly);
    TDibImage source;
    if (!source.LoadFromStream(in))
        return std::nullopt;
    factor = std::max(1, factor);
    TDibImage reduced;
    if (!reduced.CreateLike(source.Width() / factor, source.Height() / factor, source) || !reduced.StretchFrom(source))
        return std::nullopt;
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    if (!reduced.SaveToStream(buffer))
        return std::nullopt;
    return out;
}

} // namespace vz
