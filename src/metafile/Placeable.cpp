#include "metafile/Placeable.h"

#include "metafile/ByteReader.h"

#include <cmath>

namespace vz::mf {

quint16 PlaceableHeader::computeChecksum() const
{
    quint16 sum = 0;
    sum ^= quint16(key & 0xFFFF);
    sum ^= quint16(key >> 16);
    sum ^= handle;
    sum ^= quint16(left);
    sum ^= quint16(top);
    sum ^= quint16(right);
    sum ^= quint16(bottom);
    sum ^= unitsPerInch;
    sum ^= quint16(reserved & 0xFFFF);
    sum ^= quint16(reserved >> 16);
    return sum;
}

QByteArray PlaceableHeader::toBytes() const
{
    QByteArray b;
    auto u16 = [&b](quint16 v) {
        b.append(char(v & 0xFF));
        b.append(char(v >> 8));
    };
    u16(quint16(key & 0xFFFF));
    u16(quint16(key >> 16));
    u16(handle);
    u16(quint16(left));
    u16(quint16(top));
    u16(quint16(right));
    u16(quint16(bottom));
    u16(unitsPerInch);
    u16(quint16(reserved & 0xFFFF));
    u16(quint16(reserved >> 16));
    u16(checksum);
    return b;
}

std::optional<PlaceableHeader> readPlaceableHeader(const QByteArray &bytes)
{
    const ByteReader in(bytes);
    if (!in.has(0, kPlaceableHeaderSize) || in.u32(0) != kPlaceableKey)
        return std::nullopt;
    PlaceableHeader h;
    h.key = in.u32(0);
    h.handle = in.u16(4);
    h.left = in.i16(6);
    h.top = in.i16(8);
    h.right = in.i16(10);
    h.bottom = in.i16(12);
    h.unitsPerInch = in.u16(14);
    h.reserved = in.u32(16);
    h.checksum = in.u16(20);
    return h;
}

bool isEnhancedMetafileData(const QByteArray &bytes)
{
    const ByteReader in(bytes);
    return bytes.size() > 100 && in.u32(0) == 1 && in.u32(40) == kEmfSignature;
}

std::optional<MetafilePict> metafilePictFromPlaceable(const QByteArray &bytes)
{
    const auto h = readPlaceableHeader(bytes);
    if (!h || !h->checksumValid())
        return std::nullopt;
    const qint64 inch = h->unitsPerInch ? h->unitsPerInch : 96;
    MetafilePict pict;
    pict.widthHiMetric = int(std::llround(double(qint64(h->right) - h->left) * 2540 / double(inch)));
    pict.heightHiMetric = int(std::llround(double(qint64(h->bottom) - h->top) * 2540 / double(inch)));
    pict.records = bytes.mid(kPlaceableHeaderSize);
    return pict;
}

} // namespace vz::mf
