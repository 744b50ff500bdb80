#include "metafile/EmfReader.h"

#include "metafile/Placeable.h"

#include <cmath>

namespace vz::mf {

std::optional<EmfDocument> EmfDocument::parse(const QByteArray &bytes, QString *error)
{
    const ByteReader in(bytes);
    if (!in.has(0, 88) || in.u32(0) != 1 || in.u32(40) != kEmfSignature) {
        if (error)
            *error = QStringLiteral("Metafile is not valid");
        return std::nullopt;
    }
    EmfDocument doc;
    doc.m_bytes = bytes;
    doc.m_bounds = QRect(QPoint(in.i32(8), in.i32(12)), QPoint(in.i32(16), in.i32(20)));
    doc.m_frameHiMetric = QRect(QPoint(in.i32(24), in.i32(28)), QPoint(in.i32(32), in.i32(36)));
    doc.m_handles = in.u16(56);
    const qint32 devW = in.i32(72), mmW = in.i32(80);
    const qint32 devH = in.i32(76), mmH = in.i32(84);
    if (devW > 0 && mmW > 0 && devH > 0 && mmH > 0)
        doc.m_pxPerMm = double(devW) / mmW;
    const double pxPerMmY = (devH > 0 && mmH > 0) ? double(devH) / mmH : doc.m_pxPerMm;

    const QRect &fh = doc.m_frameHiMetric;
    QRectF frame(QPointF(fh.left() * doc.m_pxPerMm / 100.0, fh.top() * pxPerMmY / 100.0),
                 QPointF(fh.right() * doc.m_pxPerMm / 100.0, fh.bottom() * pxPerMmY / 100.0));
    frame = frame.normalized();
    if (!(frame.width() > 0 && frame.height() > 0) || !std::isfinite(frame.width())) {
        const QRectF b = QRectF(QPointF(doc.m_bounds.left(), doc.m_bounds.top()),
                                QPointF(doc.m_bounds.right() + 1.0, doc.m_bounds.bottom() + 1.0))
                             .normalized();
        frame = b.width() > 0 && b.height() > 0 ? b : QRectF(0, 0, 1, 1);
    }
    doc.m_frame = frame;

    qsizetype pos = 0;
    while (in.has(pos, 8)) {
        const quint32 type = in.u32(pos);
        const quint32 size = in.u32(pos + 4);
        if (size < 8 || qint64(size) > bytes.size() - pos)
            break;
        doc.m_records.push_back({type, pos, qsizetype(size)});
        if (type == 14) // EOF
            break;
        pos += qsizetype(size);
    }
    return doc;
}

QSize EmfDocument::physicalSize() const
{
    const QRect &f = m_frameHiMetric;
    if (f.width() > 1 && f.height() > 1)
        return QSize(std::abs(f.right() - f.left()), std::abs(f.bottom() - f.top()));
    return QSize(int(std::lround(m_frame.width() * 100 / m_pxPerMm)), int(std::lround(m_frame.height() * 100 / m_pxPerMm)));
}

QSize EmfDocument::pixelSize() const
{
    const QSize p = physicalSize();
    return QSize(int(std::lround(p.width() * 96.0 / 2540)), int(std::lround(p.height() * 96.0 / 2540)));
}

} // namespace vz::mf
