#pragma once

// Hand-made enhanced metafiles carrying EMF+ records, for the tests. The
// picture frame is 2 x 2 inches and the EMF+ resolution 100 dpi, so EMF+
// device pixels are the pixels of a 200 x 200 target; the GDI reference
// device is 100 dpi as well.

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QPointF>
#include <QRectF>

#include <cstring>
#include <initializer_list>
#include <vector>

namespace vztest {

// Little-endian bytes.
class Bytes
{
public:
    Bytes &u8(int v)
    {
        m_b.append(char(v & 0xFF));
        return *this;
    }
    Bytes &u16(int v) { return u8(v).u8(v >> 8); }
    Bytes &u32(quint32 v) { return u16(int(v & 0xFFFF)).u16(int(v >> 16)); }
    Bytes &i32(qint32 v) { return u32(quint32(v)); }
    Bytes &f32(float f)
    {
        quint32 v;
        std::memcpy(&v, &f, 4);
        return u32(v);
    }
    Bytes &rect(const QRectF &r) { return f32(float(r.x())).f32(float(r.y())).f32(float(r.width())).f32(float(r.height())); }
    Bytes &rect16(const QRect &r) { return u16(r.x()).u16(r.y()).u16(r.width()).u16(r.height()); }
    Bytes &point(QPointF p) { return f32(float(p.x())).f32(float(p.y())); }
    Bytes &points(std::initializer_list<QPointF> ps)
    {
        for (QPointF p : ps)
            point(p);
        return *this;
    }
    Bytes &matrix(float a, float b, float c, float d, float e, float f) { return f32(a).f32(b).f32(c).f32(d).f32(e).f32(f); }
    Bytes &utf16(const QString &s)
    {
        for (QChar c : s)
            u16(c.unicode());
        return *this;
    }
    Bytes &raw(const QByteArray &b)
    {
        m_b += b;
        return *this;
    }
    Bytes &pad4()
    {
        while (m_b.size() % 4)
            m_b.append('\0');
        return *this;
    }
    QByteArray bytes() const { return m_b; }
    operator QByteArray() const { return m_b; }

private:
    QByteArray m_b;
};

constexpr quint32 kVersion = 0xDBC01002;

// EMF+ objects' data.
namespace ep {
inline QByteArray solidBrush(QRgb argb) { return Bytes().u32(kVersion).u32(0).u32(argb); }
inline QByteArray hatchBrush(int style, QRgb fore, QRgb back)
{
    return Bytes().u32(kVersion).u32(1).u32(quint32(style)).u32(fore).u32(back);
}
inline QByteArray linearBrush(const QRectF &r, QRgb a, QRgb b, int wrap = 4)
{
    return Bytes().u32(kVersion).u32(4).u32(0).i32(wrap).rect(r).u32(a).u32(b).u32(0).u32(0);
}
// A pen with a solid brush; `extraFlags`/`optional` add pen data fields.
inline QByteArray pen(float width, QRgb argb, int unit = 0, quint32 extraFlags = 0, const QByteArray &optional = {})
{
    return Bytes().u32(kVersion).u32(0).u32(extraFlags).u32(quint32(unit)).f32(width).raw(optional).raw(solidBrush(argb));
}
// A path of absolute float points with the given point types.
inline QByteArray path(const std::vector<QPointF> &pts, const std::vector<quint8> &types)
{
    Bytes b;
    b.u32(kVersion).u32(quint32(pts.size())).u32(0);
    for (QPointF p : pts)
        b.point(p);
    for (quint8 t : types)
        b.u8(t);
    return b.pad4();
}
inline QByteArray rectPath(const QRectF &r)
{
    return path({r.topLeft(), r.topRight(), r.bottomRight(), r.bottomLeft()}, {0, 1, 1, 0x81});
}
inline QByteArray rectRegion(const QRectF &a, const QRectF &b, int combine)
{
    return Bytes().u32(kVersion).u32(3).u32(quint32(combine)).u32(0x10000000).rect(a).u32(0x10000000).rect(b);
}
inline QByteArray bitmap32(const QImage &src)
{
    const QImage img = src.convertToFormat(QImage::Format_ARGB32);
    Bytes b;
    b.u32(kVersion).u32(1).i32(img.width()).i32(img.height()).i32(img.width() * 4).u32(0x0026200A).u32(0);
    for (int y = 0; y < img.height(); ++y)
        b.raw(QByteArray(reinterpret_cast<const char *>(img.constScanLine(y)), img.width() * 4));
    return b;
}
inline QByteArray compressedImage(const QImage &img, const char *format)
{
    QByteArray data;
    QBuffer buf(&data);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, format);
    return Bytes().u32(kVersion).u32(1).i32(img.width()).i32(img.height()).i32(0).u32(0x0026200A).u32(1).raw(data).pad4();
}
inline QByteArray compressedData(const QByteArray &data, int w, int h)
{
    return Bytes().u32(kVersion).u32(1).i32(w).i32(h).i32(0).u32(0x0026200A).u32(1).raw(data).pad4();
}
// A metafile image: `type` 3 for EMF, 2 for placeable WMF.
inline QByteArray metafileImage(const QByteArray &file, int type = 3)
{
    return Bytes().u32(kVersion).u32(2).u32(quint32(type)).u32(quint32(file.size())).raw(file).pad4();
}
inline QByteArray textureBrush(const QByteArray &imageObject)
{
    return Bytes().u32(kVersion).u32(2).u32(0).i32(0).raw(imageObject);
}
inline QByteArray pathGradientBrush(QPointF centre, QRgb centreColour, QRgb surround, const QRectF &box)
{
    Bytes b;
    b.u32(kVersion).u32(3).u32(0).i32(0).u32(centreColour).point(centre).u32(1).u32(surround);
    b.u32(4).points({box.topLeft(), box.topRight(), box.bottomRight(), box.bottomLeft()});
    return b;
}
inline QByteArray font(float emSize, const QString &family = QStringLiteral("DejaVu Sans"), int unit = 2, int style = 0)
{
    return Bytes().u32(kVersion).f32(emSize).u32(quint32(unit)).i32(style).u32(0).u32(quint32(family.size())).utf16(family).pad4();
}
inline QByteArray stringFormat(quint32 flags, int align, int lineAlign)
{
    Bytes b;
    b.u32(kVersion).u32(flags).u32(0).u32(quint32(align)).u32(quint32(lineAlign)).u32(0).u32(0).f32(0).i32(0);
    b.f32(1.0f / 6).f32(1.0f / 6).f32(0).i32(0).i32(0).i32(0); // margins of 1/6 em
    return b;
}
} // namespace ep

class EmfPlusBuilder
{
public:
    enum ObjectKind { Brush = 1, Pen, Path, Region, Image, Font, StringFormat, ImageAttributes };

    explicit EmfPlusBuilder(bool dual = false, int dpi = 100) : m_dual(dual), m_dpi(dpi) {}

    // An EMF+ record, into the comment being written.
    EmfPlusBuilder &plus(quint16 type, quint16 flags, const QByteArray &data = {})
    {
        QByteArray d = data;
        while (d.size() % 4)
            d.append('\0');
        Bytes r;
        r.u16(type).u16(flags).u32(quint32(12 + d.size())).u32(quint32(d.size())).raw(d);
        m_comment += r.bytes();
        return *this;
    }
    EmfPlusBuilder &object(int id, ObjectKind kind, const QByteArray &data)
    {
        return plus(0x4008, quint16((id & 0xFF) | (int(kind) << 8)), data);
    }
    // Ends the current comment record.
    EmfPlusBuilder &flush()
    {
        if (m_comment.isEmpty())
            return *this;
        Bytes c;
        c.u32(70).u32(quint32(16 + m_comment.size())).u32(quint32(4 + m_comment.size())).u32(0x2B464D45).raw(m_comment);
        m_body += c.bytes();
        ++m_count;
        m_comment.clear();
        return *this;
    }
    // A GDI record (its values after type and size).
    EmfPlusBuilder &gdi(quint32 type, std::initializer_list<qint32> values)
    {
        flush();
        Bytes r;
        r.u32(type).u32(quint32(8 + 4 * values.size()));
        for (qint32 v : values)
            r.i32(v);
        m_body += r.bytes();
        ++m_count;
        return *this;
    }
    EmfPlusBuilder &gdiRaw(const QByteArray &record)
    {
        flush();
        m_body += record;
        ++m_count;
        return *this;
    }
    // A red GDI rectangle (brush 1 selected, null pen).
    EmfPlusBuilder &gdiRect(const QRect &r, QRgb colour)
    {
        const qint32 ref = qint32(qRed(colour) | (qGreen(colour) << 8) | (qBlue(colour) << 16));
        gdi(39, {1, 0, ref, 0}).gdi(37, {1}).gdi(37, {qint32(0x80000008)});
        return gdi(43, {r.left(), r.top(), r.right() + 1, r.bottom() + 1});
    }

    QByteArray header(quint16 flagsOverride = 0xFFFF) const
    {
        Bytes h;
        h.u16(0x4001).u16(flagsOverride != 0xFFFF ? flagsOverride : (m_dual ? 1 : 0)).u32(28).u32(16);
        h.u32(kVersion).u32(1).u32(quint32(m_dpi)).u32(quint32(m_dpi));
        return h;
    }

    // Bytes of records written so far.
    qsizetype size() const { return m_body.size() + m_comment.size(); }

    // The whole file; `withHeader` false leaves the EMF+ header out.
    QByteArray build(bool withHeader = true, bool withEnd = true)
    {
        if (withEnd)
            plus(0x4002, 0);
        flush();
        QByteArray body;
        int count = m_count;
        if (withHeader) {
            const QByteArray hr = header();
            Bytes c;
            c.u32(70).u32(quint32(16 + hr.size())).u32(quint32(4 + hr.size())).u32(0x2B464D45).raw(hr);
            body += c.bytes();
            ++count;
        }
        body += m_body;
        Bytes eof;
        eof.u32(14).u32(20).u32(0).u32(0).u32(20);
        body += eof.bytes();
        ++count;
        Bytes h;
        h.u32(1).u32(88);
        h.i32(0).i32(0).i32(199).i32(199);       // bounds, device pixels
        h.i32(0).i32(0).i32(5080).i32(5080);     // frame, 0.01 mm: 2 inches
        h.u32(0x464D4520).u32(0x10000).u32(quint32(88 + body.size())).u32(quint32(count + 1));
        h.u16(64).u16(0).u32(0).u32(0).u32(0);
        h.i32(1000).i32(1000).i32(254).i32(254); // 100 dpi reference device
        return h.bytes() + body;
    }

private:
    bool m_dual;
    int m_dpi;
    QByteArray m_comment;
    QByteArray m_body;
    int m_count = 0;
};

} // namespace vztest
