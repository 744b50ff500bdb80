#include "metafile/WmfPlayer.h"

#include "metafile/AnsiText.h"
#include "metafile/Dib.h"
#include "metafile/GdiCanvas.h"

#include <algorithm>

namespace vz::mf {

namespace {

enum class ObjKind { Free, Pen, Brush, Font, Palette, Region, Other };

struct WmfObject
{
    ObjKind kind = ObjKind::Free;
    GdiPen pen;
    GdiBrush brush;
    GdiFont font;
    QRectF region;
};

// Each creating record takes the lowest free slot; a full table grows (the
// records bound its size).
class ObjectTable
{
public:
    explicit ObjectTable(int declared) { m_objs.resize(size_t(std::clamp(declared, 0, 4096))); }
    int add(WmfObject o)
    {
        for (size_t i = 0; i < m_objs.size(); ++i)
            if (m_objs[i].kind == ObjKind::Free) {
                m_objs[i] = std::move(o);
                return int(i);
            }
        m_objs.push_back(std::move(o));
        return int(m_objs.size() - 1);
    }
    const WmfObject *get(int i) const
    {
        return i >= 0 && size_t(i) < m_objs.size() && m_objs[size_t(i)].kind != ObjKind::Free ? &m_objs[size_t(i)]
                                                                                              : nullptr;
    }
    void remove(int i)
    {
        if (i >= 0 && size_t(i) < m_objs.size())
            m_objs[size_t(i)] = WmfObject();
    }

private:
    std::vector<WmfObject> m_objs;
};

QRectF rectAt(const ByteReader &p, qsizetype at) // bottom, right, top, left
{
    return QRectF(QPointF(p.i16(at + 6), p.i16(at + 4)), QPointF(p.i16(at + 2), p.i16(at)));
}

bool isCreator(quint16 fn)
{
    switch (fn) {
    case wmf::CREATEPENINDIRECT:
    case wmf::CREATEBRUSHINDIRECT:
    case wmf::CREATEFONTINDIRECT:
    case wmf::DIBCREATEPATTERNBRUSH:
    case wmf::CREATEPATTERNBRUSH:
    case wmf::CREATEPALETTE:
    case wmf::CREATEREGION:
        return true;
    default:
        return false;
    }
}

WmfObject makeObject(const WmfRecord &r, const ByteReader &p)
{
    WmfObject o;
    switch (r.function) {
    case wmf::CREATEPENINDIRECT:
        o.kind = ObjKind::Pen;
        if (p.size() >= 10) {
            o.pen.style = p.u16(0);
            o.pen.width = std::abs(p.i16(2));
            o.pen.color = colorRef(p, 6);
        }
        break;
    case wmf::CREATEBRUSHINDIRECT:
        o.kind = ObjKind::Brush;
        if (p.size() >= 8) {
            o.brush.style = p.u16(0);
            o.brush.color = colorRef(p, 2);
            o.brush.hatch = p.u16(6);
        }
        break;
    case wmf::CREATEFONTINDIRECT:
        o.kind = ObjKind::Font;
        if (p.size() >= 18) {
            o.font.height = p.i16(0);
            o.font.width = std::abs(p.i16(2));
            o.font.escapement = p.i16(4);
            o.font.weight = p.i16(8);
            o.font.italic = p.u8(10);
            o.font.underline = p.u8(11);
            o.font.strikeOut = p.u8(12);
            o.font.charset = p.u8(13);
            QByteArray face;
            for (qsizetype i = 18; i < p.size() && i < 18 + 32; ++i) {
                const char c = char(p.u8(i));
                if (!c)
                    break;
                face.append(c);
            }
            o.font.face = decodeAnsi(face.constData(), face.size());
        }
        break;
    case wmf::DIBCREATEPATTERNBRUSH:
        o.kind = ObjKind::Brush;
        o.brush.style = gdi::BS_DIBPATTERNPT;
        o.brush.color = Qt::black;
        if (p.size() > 4 && p.u16(0) != gdi::BS_PATTERN)
            o.brush.pattern = decodeDib(p.data() + 4, p.size() - 4, -1, nullptr, p.u16(2) == 1);
        break;
    case wmf::CREATEPATTERNBRUSH:
        o.kind = ObjKind::Brush;
        o.brush.color = Qt::gray;
        break;
    case wmf::CREATEPALETTE:
        o.kind = ObjKind::Palette;
        break;
    case wmf::CREATEREGION:
        o.kind = ObjKind::Region;
        if (p.size() >= 22)
            o.region = QRectF(QPointF(p.i16(14), p.i16(16)), QPointF(p.i16(18), p.i16(20))).normalized();
        break;
    default:
        o.kind = ObjKind::Other;
        break;
    }
    return o;
}

// Source rectangle of a DIB record in the decoded (top-down) image.
QRectF dibSource(const ByteReader &dib, const QImage &img, int xSrc, int ySrc, int w, int h)
{
    const quint32 hs = dib.u32(0);
    bool bottomUp = true;
    if (hs >= 16)
        bottomUp = dib.i32(8) > 0;
    const double top = bottomUp ? img.height() - ySrc - h : ySrc;
    return QRectF(xSrc, top, w, h);
}

QImage decodeRecordDib(const ByteReader &p, qsizetype at, bool palIndices)
{
    if (p.size() <= at)
        return QImage();
    return decodeDib(p.data() + at, p.size() - at, -1, nullptr, palIndices);
}

class Player
{
public:
    Player(const WmfDocument &doc, QPainter &painter, const QRectF &target, DcState initial,
           const QTransform &outer)
        : m_doc(doc), m_table(doc.objectCount()), m_canvas(painter, initial, outer, doc.unitsPerInch() / 25.4)
    {
        (void)target;
    }

    PlayResult run()
    {
        PlayResult res;
        for (const WmfRecord &r : m_doc.records()) {
            play(r, m_doc.params(r));
            ++res.records;
        }
        m_canvas.flushPendingMask();
        res.primitives = m_canvas.primitivesDrawn();
        res.drawn = m_canvas.drawnBounds();
        return res;
    }

private:
    void play(const WmfRecord &r, const ByteReader &p);
    void select(int idx);

    const WmfDocument &m_doc;
    ObjectTable m_table;
    GdiCanvas m_canvas;
};

void Player::select(int idx)
{
    const WmfObject *o = m_table.get(idx);
    if (!o)
        return;
    DcState &s = m_canvas.state();
    switch (o->kind) {
    case ObjKind::Pen: s.pen = o->pen; break;
    case ObjKind::Brush: s.brush = o->brush; break;
    case ObjKind::Font: s.font = o->font; break;
    case ObjKind::Region: m_canvas.resetClip(); m_canvas.intersectClip(o->region); break;
    default: break;
    }
}

void Player::play(const WmfRecord &r, const ByteReader &p)
{
    DcState &s = m_canvas.state();
    const qsizetype n = p.size();
    auto pt = [&](qsizetype at) { return QPointF(p.i16(at + 2), p.i16(at)); }; // y, x
    if (isCreator(r.function)) {
        m_table.add(makeObject(r, p));
        return;
    }
    switch (r.function) {
    case wmf::SAVEDC: m_canvas.saveDc(); break;
    case wmf::RESTOREDC:
        if (n >= 2)
            m_canvas.restoreDc(p.i16(0));
        break;
    case wmf::SELECTOBJECT:
        if (n >= 2)
            select(p.u16(0));
        break;
    case wmf::DELETEOBJECT:
        if (n >= 2)
            m_table.remove(p.u16(0));
        break;
    case wmf::SELECTCLIPREGION:
        if (n >= 2) {
            const WmfObject *o = m_table.get(p.u16(0));
            if (o && o->kind == ObjKind::Region) {
                m_canvas.resetClip();
                m_canvas.intersectClip(o->region);
            } else {
                m_canvas.resetClip();
            }
        }
        break;
    case wmf::SETBKMODE:
        if (n >= 2)
            s.bkMode = p.u16(0);
        break;
    case wmf::SETMAPMODE:
        if (n >= 2) {
            s.mapMode = p.u16(0);
            m_canvas.stateChanged();
        }
        break;
    case wmf::SETROP2:
        if (n >= 2)
            s.rop2 = p.u16(0);
        break;
    case wmf::SETPOLYFILLMODE:
        if (n >= 2)
            s.polyFillMode = p.u16(0);
        break;
    case wmf::SETTEXTALIGN:
        if (n >= 2)
            s.textAlign = p.u16(0);
        break;
    case wmf::SETTEXTCOLOR:
        if (n >= 4)
            s.textColor = colorRef(p, 0);
        break;
    case wmf::SETBKCOLOR:
        if (n >= 4)
            s.bkColor = colorRef(p, 0);
        break;
    case wmf::SETWINDOWORG:
        if (n >= 4) {
            s.windowOrg = pt(0);
            m_canvas.stateChanged();
        }
        break;
    case wmf::SETWINDOWEXT:
        if (n >= 4) {
            s.windowExt = pt(0);
            m_canvas.stateChanged();
        }
        break;
    case wmf::SETVIEWPORTORG:
        if (n >= 4) {
            s.viewportOrg = pt(0);
            m_canvas.stateChanged();
        }
        break;
    case wmf::SETVIEWPORTEXT:
        if (n >= 4) {
            s.viewportExt = pt(0);
            m_canvas.stateChanged();
        }
        break;
    case wmf::OFFSETWINDOWORG:
        if (n >= 4) {
            s.windowOrg += pt(0);
            m_canvas.stateChanged();
        }
        break;
    case wmf::OFFSETVIEWPORTORG:
        if (n >= 4) {
            s.viewportOrg += pt(0);
            m_canvas.stateChanged();
        }
        break;
    case wmf::SCALEWINDOWEXT:
    case wmf::SCALEVIEWPORTEXT:
        if (n >= 8) {
            const int yDen = p.i16(0), yNum = p.i16(2), xDen = p.i16(4), xNum = p.i16(6);
            if (xDen && yDen) {
                QPointF &e = r.function == wmf::SCALEWINDOWEXT ? s.windowExt : s.viewportExt;
                e = QPointF(e.x() * xNum / xDen, e.y() * yNum / yDen);
                m_canvas.stateChanged();
            }
        }
        break;
    case wmf::MOVETO:
        if (n >= 4)
            m_canvas.moveTo(pt(0));
        break;
    case wmf::LINETO:
        if (n >= 4)
            m_canvas.lineTo(pt(0));
        break;
    case wmf::POLYGON:
    case wmf::POLYLINE: {
        if (n < 2)
            break;
        const qsizetype count = p.u16(0);
        if (2 + 4 * count > n)
            break; // the count does not fit the record
        QPolygonF poly;
        poly.reserve(count);
        for (qsizetype i = 0; i < count; ++i)
            poly << QPointF(p.i16(2 + 4 * i), p.i16(4 + 4 * i));
        if (r.function == wmf::POLYGON)
            m_canvas.polygon(poly);
        else
            m_canvas.polyline(poly);
        break;
    }
    case wmf::POLYPOLYGON: {
        if (n < 2)
            break;
        const qsizetype polys = p.u16(0);
        if (2 + 2 * polys > n)
            break;
        qsizetype total = 0;
        for (qsizetype i = 0; i < polys; ++i)
            total += p.u16(2 + 2 * i);
        qsizetype at = 2 + 2 * polys;
        if (at + 4 * total > n)
            break;
        std::vector<QPolygonF> list;
        list.reserve(size_t(polys));
        for (qsizetype i = 0; i < polys; ++i) {
            const int cnt = p.u16(2 + 2 * i);
            QPolygonF poly;
            poly.reserve(cnt);
            for (int k = 0; k < cnt; ++k, at += 4)
                poly << QPointF(p.i16(at), p.i16(at + 2));
            list.push_back(std::move(poly));
        }
        m_canvas.polyPolygon(list);
        break;
    }
    case wmf::RECTANGLE:
        if (n >= 8)
            m_canvas.rectangle(rectAt(p, 0));
        break;
    case wmf::ELLIPSE:
        if (n >= 8)
            m_canvas.ellipse(rectAt(p, 0));
        break;
    case wmf::ROUNDRECT:
        if (n >= 12)
            m_canvas.roundRect(rectAt(p, 4), p.i16(2), p.i16(0));
        break;
    case wmf::ARC:
    case wmf::PIE:
    case wmf::CHORD:
        if (n >= 16) {
            const auto kind = r.function == wmf::ARC ? GdiCanvas::ArcKind::Arc
                : r.function == wmf::PIE             ? GdiCanvas::ArcKind::Pie
                                                     : GdiCanvas::ArcKind::Chord;
            m_canvas.arc(rectAt(p, 8), pt(4), pt(0), kind);
        }
        break;
    case wmf::SETPIXEL:
        if (n >= 8)
            m_canvas.setPixel(pt(4), colorRef(p, 0));
        break;
    case wmf::PATBLT:
        if (n >= 12)
            m_canvas.patBlt(QRectF(p.i16(10), p.i16(8), p.i16(6), p.i16(4)), p.u32(0));
        break;
    case wmf::INTERSECTCLIPRECT:
        if (n >= 8)
            m_canvas.intersectClip(rectAt(p, 0));
        break;
    case wmf::EXCLUDECLIPRECT:
        if (n >= 8)
            m_canvas.excludeClip(rectAt(p, 0));
        break;
    case wmf::OFFSETCLIPRGN:
        if (n >= 4)
            m_canvas.offsetClip(pt(0));
        break;
    case wmf::FILLREGION:
    case wmf::PAINTREGION:
        if (n >= 2) {
            const WmfObject *rg = m_table.get(p.u16(0));
            if (!rg || rg->kind != ObjKind::Region)
                break;
            const GdiPen savedPen = s.pen;
            const GdiBrush savedBrush = s.brush;
            if (r.function == wmf::FILLREGION) {
                const WmfObject *br = n >= 4 ? m_table.get(p.u16(2)) : nullptr;
                if (!br || br->kind != ObjKind::Brush)
                    break;
                s.brush = br->brush;
            }
            s.pen.style = gdi::PS_NULL;
            m_canvas.rectangle(rg->region);
            s.pen = savedPen;
            s.brush = savedBrush;
        }
        break;
    case wmf::TEXTOUT: {
        if (n < 2)
            break;
        const qsizetype len = p.u16(0);
        const qsizetype after = 2 + ((len + 1) & ~qsizetype(1));
        if (after + 4 > n)
            break;
        const QString str = decodeAnsi(reinterpret_cast<const char *>(p.data()) + 2, len);
        m_canvas.text(pt(after), str, 0, QRectF(), {});
        break;
    }
    case wmf::EXTTEXTOUT: {
        if (n < 8)
            break;
        const QPointF at = pt(0);
        const qsizetype len = p.u16(4);
        const int opts = p.u16(6);
        qsizetype off = 8;
        QRectF rect;
        if (opts & (gdi::ETO_OPAQUE | gdi::ETO_CLIPPED)) {
            if (n < 16)
                break;
            rect = QRectF(QPointF(p.i16(8), p.i16(10)), QPointF(p.i16(12), p.i16(14)));
            off = 16;
        }
        if (off + len > n)
            break;
        const QString str = decodeAnsi(reinterpret_cast<const char *>(p.data()) + off, len);
        const qsizetype dxAt = off + ((len + 1) & ~qsizetype(1));
        std::vector<double> dx;
        if (len > 0 && dxAt + 2 * len <= n) {
            dx.reserve(size_t(len));
            for (qsizetype i = 0; i < len; ++i)
                dx.push_back(p.i16(dxAt + 2 * i));
        }
        m_canvas.text(at, str, opts, rect, dx);
        break;
    }
    case wmf::STRETCHDIB:
        if (n > 22) {
            const quint32 rop = p.u32(0);
            const bool pal = p.u16(4) == 1;
            const int sh = p.i16(6), sw = p.i16(8), sy = p.i16(10), sx = p.i16(12);
            const int dh = p.i16(14), dw = p.i16(16), dy = p.i16(18), dxp = p.i16(20);
            const QImage img = decodeRecordDib(p, 22, pal);
            if (!img.isNull())
                m_canvas.blit(img, dibSource(p.sub(22, n - 22), img, sx, sy, sw, sh), QRectF(dxp, dy, dw, dh), rop);
        }
        break;
    case wmf::DIBSTRETCHBLT:
        if (n >= 20 + 12) {
            const quint32 rop = p.u32(0);
            const int sh = p.i16(4), sw = p.i16(6), sy = p.i16(8), sx = p.i16(10);
            const int dh = p.i16(12), dw = p.i16(14), dy = p.i16(16), dxp = p.i16(18);
            const QImage img = decodeRecordDib(p, 20, false);
            if (!img.isNull())
                m_canvas.blit(img, dibSource(p.sub(20, n - 20), img, sx, sy, sw, sh), QRectF(dxp, dy, dw, dh), rop);
        } else if (n >= 22) { // no bitmap: a pattern operation
            m_canvas.patBlt(QRectF(p.i16(20), p.i16(18), p.i16(16), p.i16(14)), p.u32(0));
        }
        break;
    case wmf::DIBBITBLT:
        if (n >= 16 + 12) {
            const quint32 rop = p.u32(0);
            const int sy = p.i16(4), sx = p.i16(6), h = p.i16(8), w = p.i16(10), dy = p.i16(12), dxp = p.i16(14);
            const QImage img = decodeRecordDib(p, 16, false);
            if (!img.isNull())
                m_canvas.blit(img, dibSource(p.sub(16, n - 16), img, sx, sy, w, h), QRectF(dxp, dy, w, h), rop);
        } else if (n >= 18) {
            m_canvas.patBlt(QRectF(p.i16(16), p.i16(14), p.i16(12), p.i16(10)), p.u32(0));
        }
        break;
    case wmf::SETDIBTODEV:
        if (n > 18) {
            const bool pal = p.u16(0) == 1;
            const int sy = p.i16(6), sx = p.i16(8), h = p.i16(10), w = p.i16(12), dy = p.i16(14), dxp = p.i16(16);
            const QImage img = decodeRecordDib(p, 18, pal);
            if (!img.isNull())
                m_canvas.blit(img, dibSource(p.sub(18, n - 18), img, sx, sy, w, h), QRectF(dxp, dy, w, h),
                              gdi::SRCCOPY);
        }
        break;
    default:
        break; // not drawn: palettes, escapes, flood fills, old bitmaps
    }
}

} // namespace

PlayResult playWmf(const WmfDocument &doc, QPainter &painter, const QRectF &target)
{
    const QRectF f = doc.frame();
    if (f.width() <= 0 || f.height() <= 0 || target.isEmpty())
        return {};
    // The player takes the caller's part: the frame is both window and
    // viewport until the records say otherwise, and maps onto the target.
    DcState initial;
    initial.mapMode = gdi::MM_ANISOTROPIC;
    initial.windowOrg = f.topLeft();
    initial.windowExt = QPointF(f.width(), f.height());
    initial.viewportOrg = f.topLeft();
    initial.viewportExt = initial.windowExt;
    const double sx = target.width() / f.width();
    const double sy = target.height() / f.height();
    const QTransform outer(sx, 0, 0, sy, target.left() - f.left() * sx, target.top() - f.top() * sy);
    Player player(doc, painter, target, initial, outer);
    return player.run();
}

std::vector<int> wmfObjectSlots(const WmfDocument &doc)
{
    ObjectTable table(doc.objectCount());
    std::vector<int> taken;
    for (const WmfRecord &r : doc.records()) {
        const ByteReader p = doc.params(r);
        if (isCreator(r.function))
            taken.push_back(table.add(makeObject(r, p)));
        else if (r.function == wmf::DELETEOBJECT && p.size() >= 2)
            table.remove(p.u16(0));
    }
    return taken;
}

} // namespace vz::mf
