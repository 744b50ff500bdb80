#include "metafile/EmfPlusReader.h"

#include <cmath>

namespace vz::mf {

namespace {

constexpr quint32 kEmrGdiComment = 70;

bool isDrawing(quint16 type)
{
    return (type >= emfplus::rec::Clear && type <= emfplus::rec::DrawString) || type == emfplus::rec::DrawDriverString
        || type == emfplus::rec::StrokeFillPath;
}

// The EMF+ records a comment record holds, or false when it holds none.
// `broken` is set when the records do not fit their comment.
bool commentRecords(const EmfDocument &doc, const EmfRecord &r, int index, std::vector<EmfPlusRecord> &out,
                    bool &broken)
{
    if (r.type != kEmrGdiComment)
        return false;
    const ByteReader c = doc.record(r);
    if (!c.has(0, 16) || c.u32(12) != emfplus::kCommentSignature)
        return false;
    const qint64 dataSize = c.u32(8);
    if (dataSize < 4 || dataSize > c.size() - 12) {
        broken = true;
        return true;
    }
    const qsizetype end = 12 + qsizetype(dataSize);
    qsizetype pos = 16;
    while (pos + 12 <= end) {
        const quint16 type = c.u16(pos);
        const quint16 flags = c.u16(pos + 2);
        const qint64 size = c.u32(pos + 4);
        const qint64 data = c.u32(pos + 8);
        if (size < 12 || size > end - pos || data > size - 12) {
            broken = true;
            return true;
        }
        out.push_back({type, flags, r.offset + pos + 12, qsizetype(data), index});
        pos += qsizetype(size);
    }
    return true;
}

// The header record's facts, when the first record after the EMF header is
// a comment that starts with a valid one.
bool readHeader(const EmfDocument &doc, bool &dual, double &dpiX, double &dpiY)
{
    const auto &recs = doc.records();
    if (recs.size() < 2 || recs[1].type != kEmrGdiComment)
        return false;
    const ByteReader c = doc.record(recs[1]);
    if (!c.has(0, 16 + 28) || c.u32(12) != emfplus::kCommentSignature)
        return false;
    const qint64 dataSize = c.u32(8);
    if (dataSize < 4 + 28 || dataSize > c.size() - 12)
        return false;
    if (c.u16(16) != emfplus::rec::Header || c.u32(20) < 28 || c.u32(24) < 16 || c.u32(20) > dataSize - 4)
        return false;
    if ((c.u32(28) >> 12) != emfplus::kVersionSignature)
        return false;
    const quint32 dx = c.u32(36), dy = c.u32(40);
    if (dx == 0 || dy == 0 || dx > 100000 || dy > 100000)
        return false;
    dual = c.u16(18) & 1;
    dpiX = dx;
    dpiY = dy;
    return true;
}

} // namespace

EmfPlusStream EmfPlusStream::scan(const EmfDocument &doc)
{
    EmfPlusStream s;
    bool dual = false;
    if (!readHeader(doc, dual, s.m_dpiX, s.m_dpiY))
        return s;
    s.m_kind = dual ? EmfPlusKind::Dual : EmfPlusKind::Only;
    // A comment whose records do not fit loses the rest of its records;
    // the comments after it still play.
    bool broken = false;
    bool drawingBeforeBreak = false;
    const auto &recs = doc.records();
    for (size_t i = 1; i < recs.size(); ++i) {
        const size_t before = s.m_records.size();
        bool thisBroken = false;
        commentRecords(doc, recs[i], int(i), s.m_records, thisBroken);
        for (size_t k = before; k < s.m_records.size() && !broken && !drawingBeforeBreak; ++k)
            drawingBeforeBreak = isDrawing(s.m_records[k].type);
        broken = broken || thisBroken;
    }
    // An EMF+ part that breaks before it draws anything leaves a dual file
    // to its GDI records.
    s.m_playable = s.m_kind == EmfPlusKind::Only || drawingBeforeBreak;
    return s;
}

EmfPlusKind emfPlusKind(const EmfDocument &doc)
{
    bool dual = false;
    double x = 0, y = 0;
    if (!readHeader(doc, dual, x, y))
        return EmfPlusKind::None;
    return dual ? EmfPlusKind::Dual : EmfPlusKind::Only;
}

namespace emfplus {

QColor argb(quint32 v)
{
    return QColor(int((v >> 16) & 0xFF), int((v >> 8) & 0xFF), int(v & 0xFF), int(v >> 24));
}

QColor argbAt(const ByteReader &p, qsizetype at)
{
    return argb(p.u32(at));
}

QRectF rectF(const ByteReader &p, qsizetype at)
{
    return QRectF(p.f32(at), p.f32(at + 4), p.f32(at + 8), p.f32(at + 12));
}

QRectF readRect(const ByteReader &p, qsizetype &at, bool compressed)
{
    QRectF r;
    if (compressed) {
        r = QRectF(p.i16(at), p.i16(at + 2), p.i16(at + 4), p.i16(at + 6));
        at += 8;
    } else {
        r = rectF(p, at);
        at += 16;
    }
    return r;
}

QTransform matrix(const ByteReader &p, qsizetype at)
{
    return QTransform(p.f32(at), p.f32(at + 4), p.f32(at + 8), p.f32(at + 12), p.f32(at + 16), p.f32(at + 20));
}

namespace {

// One coordinate of a relative point: 7 bits in one byte or 15 in two.
bool relativeValue(const ByteReader &p, qsizetype &at, int &v)
{
    if (!p.has(at, 1))
        return false;
    const quint8 b0 = p.u8(at);
    if (b0 & 0x80) {
        if (!p.has(at, 2))
            return false;
        int x = ((b0 & 0x7F) << 8) | p.u8(at + 1);
        if (x & 0x4000)
            x -= 0x8000;
        v = x;
        at += 2;
    } else {
        v = (b0 & 0x40) ? int(b0) - 0x80 : int(b0);
        at += 1;
    }
    return true;
}

} // namespace

QPolygonF readPoints(const ByteReader &p, qsizetype &at, quint32 count, bool compressed, bool relative)
{
    if (count == 0)
        return QPolygonF();
    // Even the smallest encoding needs two bytes a point: a count the data
    // cannot hold is refused before anything is reserved.
    const qsizetype left = p.size() - at;
    const qint64 minBytes = qint64(count) * (relative ? 2 : compressed ? 4 : 8);
    if (at < 0 || left < 0 || minBytes > left)
        return QPolygonF();
    QPolygonF poly;
    poly.reserve(qsizetype(count));
    if (relative) {
        double x = 0, y = 0;
        for (quint32 i = 0; i < count; ++i) {
            int dx = 0, dy = 0;
            if (!relativeValue(p, at, dx) || !relativeValue(p, at, dy))
                return QPolygonF();
            x += dx;
            y += dy;
            poly << QPointF(x, y);
        }
    } else if (compressed) {
        for (quint32 i = 0; i < count; ++i, at += 4)
            poly << QPointF(p.i16(at), p.i16(at + 2));
    } else {
        for (quint32 i = 0; i < count; ++i, at += 8)
            poly << QPointF(p.f32(at), p.f32(at + 4));
    }
    return poly;
}

double unitToPixels(int unit, double dpi)
{
    switch (unit) {
    case UnitPoint: return dpi / 72.0;
    case UnitInch: return dpi;
    case UnitDocument: return dpi / 300.0;
    case UnitMillimeter: return dpi / 25.4;
    default: return 1.0;
    }
}

} // namespace emfplus

} // namespace vz::mf
