#pragma once

// Hand-made enhanced metafiles for the tests: a header with a chosen frame
// and reference device, then records of 32-bit values.

#include "wmfbuilder.h"

#include <QByteArray>
#include <QPoint>
#include <QRect>
#include <QString>

#include <cstring>
#include <initializer_list>

namespace vztest {

class EmfBuilder
{
public:
    enum : quint32 {
        POLYLINE = 4, SETWINDOWEXTEX = 9, SETWINDOWORGEX = 10, SETVIEWPORTEXTEX = 11, SETVIEWPORTORGEX = 12,
        SETMAPMODE = 17, SETBKMODE = 18, SETTEXTALIGN = 22, SETTEXTCOLOR = 24, MOVETOEX = 27,
        SETWORLDTRANSFORM = 35, MODIFYWORLDTRANSFORM = 36, SELECTOBJECT = 37, CREATEPEN = 38,
        CREATEBRUSHINDIRECT = 39, RECTANGLE = 43, ARC = 45, LINETO = 54, EXTCREATEFONTINDIRECTW = 82,
        EXTTEXTOUTW = 84, EXTCREATEPEN = 95,
    };

    // `frame` (position and size) in 0.01 mm; the reference device has `pxPerMm` pixels per
    // millimetre (the default 3.2 makes a 100 mm frame 320 pixels).
    explicit EmfBuilder(QRect frame = QRect(0, 0, 10000, 10000), double pxPerMm = 3.2)
        : m_frame(frame), m_pxPerMm(pxPerMm)
    {
    }

    EmfBuilder &rec(quint32 type, std::initializer_list<qint32> values)
    {
        QByteArray p;
        for (qint32 v : values)
            WmfBuilder::put32(p, quint32(v));
        return raw(type, p);
    }
    EmfBuilder &raw(quint32 type, const QByteArray &params)
    {
        QByteArray p = params;
        while (p.size() % 4)
            p.append('\0');
        WmfBuilder::put32(m_recs, type);
        WmfBuilder::put32(m_recs, quint32(8 + p.size()));
        m_recs += p;
        ++m_count;
        return *this;
    }

    EmfBuilder &mapMode(int m) { return rec(SETMAPMODE, {m}); }
    EmfBuilder &windowExt(int x, int y) { return rec(SETWINDOWEXTEX, {x, y}); }
    EmfBuilder &windowOrg(int x, int y) { return rec(SETWINDOWORGEX, {x, y}); }
    EmfBuilder &viewportExt(int x, int y) { return rec(SETVIEWPORTEXTEX, {x, y}); }
    EmfBuilder &viewportOrg(int x, int y) { return rec(SETVIEWPORTORGEX, {x, y}); }
    EmfBuilder &select(quint32 handle) { return rec(SELECTOBJECT, {qint32(handle)}); }
    // CREATEPEN: the LOGPEN style, width (x of a point) and colour.
    EmfBuilder &pen(quint32 handle, int style, int width, QRgb c)
    {
        return rec(CREATEPEN, {qint32(handle), style, width, 0, colorRef(c)});
    }
    // EXTCREATEPEN of a geometric pen with a solid brush and no style array.
    EmfBuilder &extPen(quint32 handle, int style, int width, QRgb c)
    {
        return rec(EXTCREATEPEN, {qint32(handle), 0, 0, 0, 0, style | 0x00010000, width, 0, colorRef(c), 0, 0});
    }
    EmfBuilder &brush(quint32 handle, QRgb c, int style = 0) { return rec(CREATEBRUSHINDIRECT, {qint32(handle), style, colorRef(c), 0}); }
    EmfBuilder &moveTo(int x, int y) { return rec(MOVETOEX, {x, y}); }
    EmfBuilder &lineTo(int x, int y) { return rec(LINETO, {x, y}); }
    EmfBuilder &rectangle(int l, int t, int r, int b) { return rec(RECTANGLE, {l, t, r, b}); }
    EmfBuilder &polyline(std::initializer_list<QPoint> pts)
    {
        QByteArray p;
        for (int v : {0, 0, 0, 0}) // bounds, unused by players
            WmfBuilder::put32(p, quint32(v));
        WmfBuilder::put32(p, quint32(pts.size()));
        for (QPoint q : pts) {
            WmfBuilder::put32(p, quint32(q.x()));
            WmfBuilder::put32(p, quint32(q.y()));
        }
        return raw(POLYLINE, p);
    }
    // EXTCREATEFONTINDIRECTW with the plain LOGFONTW (92 bytes).
    EmfBuilder &font(quint32 handle, int height, const QString &face = QStringLiteral("DejaVu Sans"))
    {
        QByteArray p;
        WmfBuilder::put32(p, handle);
        for (int v : {height, 0, 0, 0, 400})
            WmfBuilder::put32(p, quint32(v));
        p.append(QByteArray(8, '\0')); // italic .. pitch and family
        for (int i = 0; i < 32; ++i)
            WmfBuilder::put16(p, i < face.size() ? face.at(i).unicode() : 0);
        return raw(EXTCREATEFONTINDIRECTW, p);
    }
    // EXTTEXTOUTW at a reference point, no rectangle, no advances.
    EmfBuilder &textOut(int x, int y, const QString &text, int options = 0, QRect rect = QRect(0, 0, 0, 0))
    {
        QByteArray p;
        for (int v : {0, 0, -1, -1}) // bounds
            WmfBuilder::put32(p, quint32(v));
        WmfBuilder::put32(p, 1); // GM_COMPATIBLE
        WmfBuilder::put32(p, f32(1));
        WmfBuilder::put32(p, f32(1));
        // EMRTEXT: reference, chars, string offset, options, rectangle, dx offset.
        WmfBuilder::put32(p, quint32(x));
        WmfBuilder::put32(p, quint32(y));
        WmfBuilder::put32(p, quint32(text.size()));
        WmfBuilder::put32(p, 76); // the string follows the fixed part
        WmfBuilder::put32(p, quint32(options));
        for (int v : {rect.left(), rect.top(), rect.right(), rect.bottom()})
            WmfBuilder::put32(p, quint32(v));
        WmfBuilder::put32(p, 0);
        for (QChar c : text)
            WmfBuilder::put16(p, c.unicode());
        return raw(EXTTEXTOUTW, p);
    }

    QByteArray build() const
    {
        QByteArray body = m_recs;
        for (quint32 v : {14u, 20u, 0u, 0u, 20u}) // EMR_EOF
            WmfBuilder::put32(body, v);
        QByteArray h;
        auto p32 = [&h](qint64 v) { WmfBuilder::put32(h, quint32(v)); };
        const double k = m_pxPerMm / 100;
        p32(1);
        p32(88);
        const int l = m_frame.x(), t = m_frame.y(), r = l + m_frame.width(), b = t + m_frame.height();
        for (double v : {l * k, t * k, r * k - 1, b * k - 1})
            p32(qint64(v)); // bounds, device pixels
        for (int v : {l, t, r, b}) // frame, 0.01 mm
            p32(v);
        p32(0x464D4520);
        p32(0x10000);
        p32(88 + body.size());
        p32(m_count + 2);
        WmfBuilder::put16(h, 16);
        WmfBuilder::put16(h, 0);
        p32(0);
        p32(0);
        p32(0);
        // Reference device: 320 x 240 mm at the chosen density.
        p32(qint64(320 * m_pxPerMm));
        p32(qint64(240 * m_pxPerMm));
        p32(320);
        p32(240);
        return h + body;
    }

    static qint32 colorRef(QRgb c) { return qint32(qRed(c) | (qGreen(c) << 8) | (qBlue(c) << 16)); }
    static quint32 f32(float f)
    {
        quint32 v;
        std::memcpy(&v, &f, 4);
        return v;
    }

private:
    QRect m_frame;
    double m_pxPerMm;
    QByteArray m_recs;
    int m_count = 0;
};

} // namespace vztest
