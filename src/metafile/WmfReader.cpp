#include "metafile/WmfReader.h"

#include <algorithm>
#include <cmath>

namespace vz::mf {

std::optional<WmfDocument> WmfDocument::parse(const QByteArray &bytes, QString *error)
{
    auto fail = [error](const char *why) {
        if (error)
            *error = QString::fromLatin1(why);
        return std::optional<WmfDocument>();
    };
    WmfDocument doc;
    doc.m_bytes = bytes;
    const ByteReader in(bytes);
    doc.m_placeable = readPlaceableHeader(bytes);
    if (doc.m_placeable) {
        doc.m_metaStart = kPlaceableHeaderSize;
        doc.m_unitsPerInch = doc.m_placeable->unitsPerInch ? doc.m_placeable->unitsPerInch : 96;
    }
    const qsizetype h = doc.m_metaStart;
    if (!in.has(h, 18))
        return fail("Metafile is not valid");
    const quint16 type = in.u16(h);
    const quint16 headerWords = in.u16(h + 2);
    if ((type != 1 && type != 2) || headerWords != 9)
        return fail("Metafile is not valid");
    doc.m_objectCount = in.u16(h + 10);

    qsizetype pos = h + 18;
    const qsizetype end = bytes.size();
    while (in.has(pos, 6)) {
        const quint32 words = in.u32(pos);
        const quint16 fn = in.u16(pos + 4);
        if (words < 3 || qint64(words) * 2 > end - pos)
            break;
        if (fn == wmf::EOF_)
            break;
        doc.m_records.push_back({fn, pos + 6, qsizetype(words) * 2 - 6});
        pos += qsizetype(words) * 2;
    }
    doc.findFrame();
    return doc;
}

void WmfDocument::findFrame()
{
    if (m_placeable) {
        const QRectF box = QRectF(QPointF(m_placeable->left, m_placeable->top),
                                  QPointF(m_placeable->right, m_placeable->bottom))
                               .normalized();
        if (box.width() > 0 && box.height() > 0) {
            m_frame = box;
            return;
        }
    }
    // The window in effect when drawing starts, else what is drawn.
    QPointF org;
    QPointF ext;
    bool haveExt = false;
    double fontHeight = 12;
    double minX = 1e9, minY = 1e9, maxX = -1e9, maxY = -1e9;
    auto add = [&](double x, double y) {
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
        minY = std::min(minY, y);
        maxY = std::max(maxY, y);
    };
    auto addRect = [&](const ByteReader &p, int at) { // bottom, right, top, left
        add(p.i16(at + 6), p.i16(at + 4));
        add(p.i16(at + 2), p.i16(at));
    };
    for (const WmfRecord &r : m_records) {
        const ByteReader p = params(r);
        switch (r.function) {
        case wmf::SETWINDOWORG:
            if (p.size() >= 4)
                org = QPointF(p.i16(2), p.i16(0));
            break;
        case wmf::SETWINDOWEXT:
            if (p.size() >= 4 && !haveExt) {
                ext = QPointF(p.i16(2), p.i16(0));
                haveExt = ext.x() != 0 && ext.y() != 0;
            }
            break;
        case wmf::POLYGON:
        case wmf::POLYLINE: {
            const int n = p.u16(0);
            for (int i = 0; i < n && p.has(2 + 4 * i, 4); ++i)
                add(p.i16(2 + 4 * i), p.i16(4 + 4 * i));
            break;
        }
        case wmf::POLYPOLYGON: {
            const int polys = p.u16(0);
            qsizetype total = 0;
            for (int i = 0; i < polys && p.has(2 + 2 * i, 2); ++i)
                total += p.u16(2 + 2 * i);
            const qsizetype at = 2 + 2 * qsizetype(polys);
            for (qsizetype i = 0; i < total && p.has(at + 4 * i, 4); ++i)
                add(p.i16(at + 4 * i), p.i16(at + 4 * i + 2));
            break;
        }
        case wmf::LINETO:
        case wmf::MOVETO:
            if (p.size() >= 4)
                add(p.i16(2), p.i16(0));
            break;
        case wmf::RECTANGLE:
        case wmf::ELLIPSE:
            if (p.size() >= 8)
                addRect(p, 0);
            break;
        case wmf::ROUNDRECT:
            if (p.size() >= 12)
                addRect(p, 4);
            break;
        case wmf::ARC:
        case wmf::PIE:
        case wmf::CHORD:
            if (p.size() >= 16)
                addRect(p, 8);
            break;
        case wmf::CREATEFONTINDIRECT:
            if (p.size() >= 2 && p.i16(0) != 0)
                fontHeight = std::abs(p.i16(0));
            break;
        case wmf::EXTTEXTOUT:
            if (p.size() >= 6) {
                // A rough extent: text runs right and down from its point.
                add(p.i16(2), p.i16(0));
                add(p.i16(2) + 0.6 * fontHeight * p.u16(4), p.i16(0) + fontHeight);
            }
            break;
        case wmf::TEXTOUT:
            if (p.size() >= 2) {
                const qsizetype len = p.u16(0);
                const qsizetype at = 2 + ((len + 1) & ~qsizetype(1));
                if (p.has(at, 4)) {
                    add(p.i16(at + 2), p.i16(at));
                    add(p.i16(at + 2) + 0.6 * fontHeight * len, p.i16(at) + fontHeight);
                }
            }
            break;
        case wmf::STRETCHDIB:
            if (p.size() >= 22) {
                add(p.i16(20), p.i16(18));
                add(p.i16(20) + p.i16(16), p.i16(18) + p.i16(14));
            }
            break;
        case wmf::DIBSTRETCHBLT:
            if (p.size() >= 20) {
                add(p.i16(18), p.i16(16));
                add(p.i16(18) + p.i16(14), p.i16(16) + p.i16(12));
            }
            break;
        case wmf::DIBBITBLT:
            if (p.size() >= 16) {
                add(p.i16(14), p.i16(12));
                add(p.i16(14) + p.i16(10), p.i16(12) + p.i16(8));
            }
            break;
        default: break;
        }
    }
    if (haveExt) {
        m_frame = QRectF(org, QSizeF(ext.x(), ext.y())).normalized();
        return;
    }
    if (maxX > minX && maxY > minY)
        m_frame = QRectF(QPointF(minX, minY), QPointF(maxX, maxY));
    else if (maxX >= minX)
        m_frame = QRectF(minX, minY, std::max(1.0, maxX - minX), std::max(1.0, maxY - minY));
    else
        m_frame = QRectF(0, 0, 1, 1);
}

QSize WmfDocument::physicalSize() const
{
    return QSize(int(std::llround(m_frame.width() * 2540.0 / m_unitsPerInch)),
                 int(std::llround(m_frame.height() * 2540.0 / m_unitsPerInch)));
}

QSize WmfDocument::pixelSize() const
{
    const QSize phys = physicalSize();
    return QSize(int(std::llround(phys.width() * 96.0 / 2540)), int(std::llround(phys.height() * 96.0 / 2540)));
}

QByteArray WmfDocument::placeableBytes() const
{
    if (m_placeable)
        return m_bytes;
    PlaceableHeader h;
    const auto clamp16 = [](double v) { return qint16(std::clamp(std::lround(v), -32768L, 32767L)); };
    h.left = clamp16(m_frame.left());
    h.top = clamp16(m_frame.top());
    h.right = clamp16(m_frame.right());
    h.bottom = clamp16(m_frame.bottom());
    h.unitsPerInch = quint16(m_unitsPerInch);
    h.checksum = h.computeChecksum();
    return h.toBytes() + m_bytes;
}

} // namespace vz::mf
