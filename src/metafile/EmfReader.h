#pragma once

#include "metafile/ByteReader.h"

#include <QByteArray>
#include <QRectF>
#include <QString>

#include <optional>
#include <vector>

namespace vz::mf {

struct EmfRecord
{
    quint32 type = 0;
    qsizetype offset = 0; // of the record (its type field)
    qsizetype size = 0;   // whole record, bytes
};

// An enhanced metafile split into records, each checked to lie inside the
// data.
class EmfDocument
{
public:
    static std::optional<EmfDocument> parse(const QByteArray &bytes, QString *error = nullptr);

    const QByteArray &bytes() const { return m_bytes; }
    ByteReader record(const EmfRecord &r) const { return ByteReader(m_bytes).sub(r.offset, r.size); }
    const std::vector<EmfRecord> &records() const { return m_records; }

    // The picture frame in reference-device pixels.
    QRectF frame() const { return m_frame; }
    // The header's bounds (device pixels) and frame (0.01 mm).
    QRect bounds() const { return m_bounds; }
    QRect frameHiMetric() const { return m_frameHiMetric; }
    double devicePixelsPerMm() const { return m_pxPerMm; }
    int handleCount() const { return m_handles; }
    QSize physicalSize() const;
    QSize pixelSize() const;

private:
    QByteArray m_bytes;
    std::vector<EmfRecord> m_records;
    QRectF m_frame;
    QRect m_bounds;
    QRect m_frameHiMetric;
    double m_pxPerMm = 96 / 25.4;
    int m_handles = 0;
};

} // namespace vz::mf
