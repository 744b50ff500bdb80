#pragma once

// Hand-made Windows metafiles for the tests: records are written with their
// parameters in file order (as the format stores them, last argument first).

#include <QByteArray>
#include <QImage>
#include <QRect>

#include <initializer_list>

namespace vztest {

class WmfBuilder
{
public:
    WmfBuilder &rec(quint16 fn, std::initializer_list<int> words)
    {
        QByteArray p;
        for (int w : words)
            put16(p, w);
        return raw(fn, p);
    }
    WmfBuilder &raw(quint16 fn, const QByteArray &params)
    {
        QByteArray p = params;
        if (p.size() & 1)
            p.append('\0');
        const quint32 words = quint32(3 + p.size() / 2);
        put32(m_recs, words);
        put16(m_recs, fn);
        m_recs += p;
        m_max = std::max(m_max, words);
        return *this;
    }
    // Common records.
    WmfBuilder &windowOrg(int x, int y) { return rec(0x020B, {y, x}); }
    WmfBuilder &windowExt(int x, int y) { return rec(0x020C, {y, x}); }
    WmfBuilder &viewportOrg(int x, int y) { return rec(0x020D, {y, x}); }
    WmfBuilder &viewportExt(int x, int y) { return rec(0x020E, {y, x}); }
    WmfBuilder &mapMode(int m) { return rec(0x0103, {m}); }
    WmfBuilder &brush(QRgb c, int style = 0, int hatch = 0)
    {
        return rec(0x02FC, {style, int(qRed(c) | (qGreen(c) << 8)), qBlue(c), hatch});
    }
    WmfBuilder &pen(QRgb c, int style = 0, int width = 0)
    {
        return rec(0x02FA, {style, width, 0, int(qRed(c) | (qGreen(c) << 8)), qBlue(c)});
    }
    WmfBuilder &font(int height, const char *face = "DejaVu Sans", int escapement = 0)
    {
        QByteArray p;
        put16(p, height);
        put16(p, 0);
        put16(p, escapement);
        put16(p, escapement);
        put16(p, 400);
        p.append(QByteArray(8, '\0'));
        p.append(QByteArray(face).leftJustified(32, '\0', true));
        return raw(0x02FB, p);
    }
    WmfBuilder &select(int slot) { return rec(0x012D, {slot}); }
    WmfBuilder &remove(int slot) { return rec(0x01F0, {slot}); }
    WmfBuilder &rectangle(int l, int t, int r, int b) { return rec(0x041B, {b, r, t, l}); }
    WmfBuilder &polygon(std::initializer_list<QPoint> pts)
    {
        QByteArray p;
        put16(p, int(pts.size()));
        for (QPoint q : pts) {
            put16(p, q.x());
            put16(p, q.y());
        }
        return raw(0x0324, p);
    }
    WmfBuilder &textOut(int x, int y, const QByteArray &text)
    {
        QByteArray p;
        put16(p, int(text.size()));
        p += text;
        if (p.size() & 1)
            p.append('\0');
        put16(p, y);
        put16(p, x);
        return raw(0x0521, p);
    }
    // STRETCHDIB of a packed DIB into a destination rectangle.
    WmfBuilder &stretchDib(const QByteArray &dib, int srcW, int srcH, QRect dest, quint32 rop = 0x00CC0020,
                           int srcX = 0, int srcY = 0)
    {
        QByteArray p;
        put32(p, rop);
        put16(p, 0);
        put16(p, srcH);
        put16(p, srcW);
        put16(p, srcY);
        put16(p, srcX);
        put16(p, dest.bottom() + 1 - dest.top());
        put16(p, dest.right() + 1 - dest.left());
        put16(p, dest.top());
        put16(p, dest.left());
        return raw(0x0F43, p + dib);
    }

    QByteArray records() const { return m_recs; }

    // The metafile: a placeable header when `bbox` is valid, then the
    // metafile header, the records and the end record.
    QByteArray build(QRect bbox = QRect(), int inch = 96, int objects = 8, bool goodChecksum = true) const
    {
        QByteArray body = m_recs;
        put32(body, 3);
        put16(body, 0);
        QByteArray head;
        put16(head, 1);
        put16(head, 9);
        put16(head, 0x300);
        put32(head, quint32((18 + body.size()) / 2));
        put16(head, objects);
        put32(head, std::max<quint32>(m_max, 3));
        put16(head, 0);
        if (!bbox.isValid())
            return head + body;
        QByteArray ph;
        put32(ph, 0x9AC6CDD7);
        put16(ph, 0);
        put16(ph, bbox.left());
        put16(ph, bbox.top());
        put16(ph, bbox.right() + 1);
        put16(ph, bbox.bottom() + 1);
        put16(ph, inch);
        put32(ph, 0);
        quint16 sum = 0;
        for (int i = 0; i < 20; i += 2)
            sum ^= quint16(uchar(ph[i]) | (uchar(ph[i + 1]) << 8));
        put16(ph, goodChecksum ? sum : sum ^ 1);
        return ph + head + body;
    }

    static void put16(QByteArray &b, int v) { b.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF)); }
    static void put32(QByteArray &b, quint32 v)
    {
        put16(b, int(v & 0xFFFF));
        put16(b, int(v >> 16));
    }

private:
    QByteArray m_recs;
    quint32 m_max = 3;
};

// A packed 8-bit DIB of `w` x `h` with the given palette and rows (stored
// in file order: bottom row first unless `topDown`).
inline QByteArray dib8(int w, int h, const QList<QRgb> &palette, const QList<QByteArray> &storedRows, bool topDown = false)
{
    QByteArray d;
    WmfBuilder::put32(d, 40);
    WmfBuilder::put32(d, quint32(w));
    WmfBuilder::put32(d, quint32(topDown ? -h : h));
    WmfBuilder::put16(d, 1);
    WmfBuilder::put16(d, 8);
    WmfBuilder::put32(d, 0);
    WmfBuilder::put32(d, 0);
    WmfBuilder::put32(d, 0);
    WmfBuilder::put32(d, 0);
    WmfBuilder::put32(d, quint32(palette.size()));
    WmfBuilder::put32(d, 0);
    for (QRgb c : palette)
        d.append(char(qBlue(c))).append(char(qGreen(c))).append(char(qRed(c))).append('\0');
    const int stride = (w + 3) & ~3;
    for (const QByteArray &r : storedRows)
        d += r.leftJustified(stride, '\0', true);
    return d;
}

// Bounding box of the pixels of an image that are not white.
inline QRect inkBounds(const QImage &img, int threshold = 96)
{
    const QImage c = img.convertToFormat(QImage::Format_RGB32);
    int l = c.width(), t = c.height(), r = -1, b = -1;
    for (int y = 0; y < c.height(); ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(c.constScanLine(y));
        for (int x = 0; x < c.width(); ++x) {
            if (255 - qGray(line[x]) > threshold) {
                l = std::min(l, x);
                r = std::max(r, x);
                t = std::min(t, y);
                b = std::max(b, y);
            }
        }
    }
    return r < 0 ? QRect() : QRect(QPoint(l, t), QPoint(r, b));
}

// Share of pixels whose channels differ by more than `tolerance`.
inline double differingShare(const QImage &a, const QImage &b, int tolerance)
{
    if (a.size() != b.size())
        return 1.0;
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    qint64 bad = 0;
    for (int row = 0; row < x.height(); ++row) {
        const QRgb *p = reinterpret_cast<const QRgb *>(x.constScanLine(row));
        const QRgb *q = reinterpret_cast<const QRgb *>(y.constScanLine(row));
        for (int col = 0; col < x.width(); ++col)
            if (qAbs(qRed(p[col]) - qRed(q[col])) > tolerance || qAbs(qGreen(p[col]) - qGreen(q[col])) > tolerance
                || qAbs(qBlue(p[col]) - qBlue(q[col])) > tolerance)
                ++bad;
    }
    return double(bad) / (double(x.width()) * x.height());
}

} // namespace vztest
