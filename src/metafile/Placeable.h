#pragma once

#include <QByteArray>
#include <QRect>

#include <optional>

namespace vz::mf {

constexpr quint32 kPlaceableKey = 0x9AC6CDD7;
constexpr int kPlaceableHeaderSize = 22;
constexpr quint32 kEmfSignature = 0x464D4520; // " EMF"

// The 22-byte header in front of a placeable Windows metafile.
struct PlaceableHeader
{
    quint32 key = kPlaceableKey;
    quint16 handle = 0;
    qint16 left = 0, top = 0, right = 0, bottom = 0;
    quint16 unitsPerInch = 0;
    quint32 reserved = 0;
    quint16 checksum = 0;

    // XOR of the ten 16-bit words before the checksum.
    quint16 computeChecksum() const;
    bool checksumValid() const { return checksum == computeChecksum(); }
    QRect bounds() const { return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)); }
    QByteArray toBytes() const;
};

// The header when `bytes` start with the placeable key (the checksum is not
// judged here); nothing otherwise.
std::optional<PlaceableHeader> readPlaceableHeader(const QByteArray &bytes);

// Data is enhanced-metafile data when it is longer than 100 bytes, its first
// int32 is 1 (the header record) and the int32 at byte 40 is the signature.
bool isEnhancedMetafileData(const QByteArray &bytes);

// A metafile picture as the system clipboard wants it: mapping mode, size in
// hundredths of a millimetre and the metafile records without the 22-byte
// header.
struct MetafilePict
{
    int mappingMode = 8; // anisotropic
    int widthHiMetric = 0;
    int heightHiMetric = 0;
    QByteArray records;
};

// Checks a placeable metafile file's header strictly (key and checksum) and
// derives the clipboard picture: units per inch of 0 count as 96, sizes are
// extent × 2540 / units per inch rounded to the nearest integer. Returns
// nothing when the key or checksum is wrong.
std::optional<MetafilePict> metafilePictFromPlaceable(const QByteArray &bytes);

} // namespace vz::mf
