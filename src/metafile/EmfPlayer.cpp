#include "metafile/EmfPlayer.h"

#include "metafile/AnsiText.h"
#include "metafile/Dib.h"
#include "metafile/EmfPlusPlayer.h"
#include "metafile/GdiCanvas.h"

#include <map>

namespace vz::mf {

namespace {

enum : quint32 {
    EMR_HEADER = 1, EMR_POLYBEZIER, EMR_POLYGON, EMR_POLYLINE, EMR_POLYBEZIERTO, EMR_POLYLINETO, EMR_POLYPOLYLINE,
    EMR_POLYPOLYGON, EMR_SETWINDOWEXTEX, EMR_SETWINDOWORGEX, EMR_SETVIEWPORTEXTEX, EMR_SETVIEWPORTORGEX,
    EMR_SETBRUSHORGEX, EMR_EOF, EMR_SETPIXELV, EMR_SETMAPPERFLAGS, EMR_SETMAPMODE, EMR_SETBKMODE,
    EMR_SETPOLYFILLMODE, EMR_SETROP2, EMR_SETSTRETCHBLTMODE, EMR_SETTEXTALIGN, EMR_SETCOLORADJUSTMENT,
    EMR_SETTEXTCOLOR, EMR_SETBKCOLOR, EMR_OFFSETCLIPRGN, EMR_MOVETOEX, EMR_SETMETARGN, EMR_EXCLUDECLIPRECT,
    EMR_INTERSECTCLIPRECT, EMR_SCALEVIEWPORTEXTEX, EMR_SCALEWINDOWEXTEX, EMR_SAVEDC, EMR_RESTOREDC,
    EMR_SETWORLDTRANSFORM, EMR_MODIFYWORLDTRANSFORM, EMR_SELECTOBJECT, EMR_CREATEPEN, EMR_CREATEBRUSHINDIRECT,
    EMR_DELETEOBJECT, EMR_ANGLEARC, EMR_ELLIPSE, EMR_RECTANGLE, EMR_ROUNDRECT, EMR_ARC, EMR_CHORD, EMR_PIE,
    EMR_SELECTPALETTE, EMR_CREATEPALETTE, EMR_SETPALETTEENTRIES, EMR_RESIZEPALETTE, EMR_REALIZEPALETTE,
    EMR_EXTFLOODFILL, EMR_LINETO, EMR_ARCTO, EMR_POLYDRAW, EMR_SETARCDIRECTION, EMR_SETMITERLIMIT,
    EMR_BEGINPATH, EMR_ENDPATH, EMR_CLOSEFIGURE, EMR_FILLPATH, EMR_STROKEANDFILLPATH, EMR_STROKEPATH,
    EMR_FLATTENPATH, EMR_WIDENPATH, EMR_SELECTCLIPPATH, EMR_ABORTPATH,
    EMR_GDICOMMENT = 70, EMR_FILLRGN, EMR_FRAMERGN, EMR_INVERTRGN, EMR_PAINTRGN, EMR_EXTSELECTCLIPRGN, EMR_BITBLT,
    EMR_STRETCHBLT, EMR_MASKBLT, EMR_PLGBLT, EMR_SETDIBITSTODEVICE, EMR_STRETCHDIBITS, EMR_EXTCREATEFONTINDIRECTW,
    EMR_EXTTEXTOUTA, EMR_EXTTEXTOUTW, EMR_POLYBEZIER16, EMR_POLYGON16, EMR_POLYLINE16, EMR_POLYBEZIERTO16,
    EMR_POLYLINETO16, EMR_POLYPOLYLINE16, EMR_POLYPOLYGON16, EMR_POLYDRAW16, EMR_CREATEMONOBRUSH,
    EMR_CREATEDIBPATTERNBRUSHPT, EMR_EXTCREATEPEN,
};

enum class ObjKind { Pen, Brush, Font, Other };

struct EmfObject
{
    ObjKind kind = ObjKind::Other;
    GdiPen pen;
    GdiBrush brush;
    GdiFont font;
};

QRectF rectL(const ByteReader &p, qsizetype at)
{
    return QRectF(QPointF(p.i32(at), p.i32(at + 4)), QPointF(p.i32(at + 8), p.i32(at + 12)));
}

QPointF ptL(const ByteReader &p, qsizetype at)
{
    return QPointF(p.i32(at), p.i32(at + 4));
}

// A DIB whose header and bits lie at separate offsets of one record.
QImage recordDib(const ByteReader &rec, quint32 offBmi, quint32 cbBmi, quint32 offBits, quint32 cbBits, bool pal)
{
    if (cbBmi < 12 || !rec.has(offBmi, cbBmi) || !rec.has(offBits, cbBits) || offBits < offBmi)
        return QImage();
    const qsizetype end = std::max<qsizetype>(qsizetype(offBmi) + cbBmi, qsizetype(offBits) + cbBits);
    return decodeDib(rec.data() + offBmi, end - offBmi, qsizetype(offBits) - offBmi, nullptr, pal);
}

QRectF dibSource(const ByteReader &rec, quint32 offBmi, const QImage &img, double x, double y, double w, double h)
{
    bool bottomUp = true;
    if (rec.u32(offBmi) >= 16)
        bottomUp = rec.i32(offBmi + 8) > 0;
    return QRectF(x, bottomUp ? img.height() - y - h : y, w, h);
}

class Player
{
public:
    Player(const EmfDocument &doc, QPainter &painter, const QTransform &outer, const QRectF &target)
        : m_doc(doc), m_canvas(painter, DcState(), outer, doc.devicePixelsPerMm()), m_painter(painter),
          m_target(target)
    {
    }

    PlayResult run()
    {
        const EmfPlusStream plus = EmfPlusStream::scan(m_doc);
        if (plus.playable())
            return runPlus(plus);
        PlayResult res;
        for (const EmfRecord &r : m_doc.records()) {
            play(r.type, m_doc.record(r));
            ++res.records;
        }
        m_canvas.flushPendingMask();
        res.primitives = m_canvas.primitivesDrawn();
        res.drawn = m_canvas.drawnBounds();
        return res;
    }

private:
    // A file with EMF+ records draws them; its GDI records keep their state
    // but draw only after a GetDC (or give the text EMF+ cannot draw).
    PlayResult runPlus(const EmfPlusStream &stream)
    {
        PlayResult res;
        EmfPlusPlayer plus(m_doc, stream, m_painter, m_target);
        auto mode = EmfPlusPlayer::GdiMode::Skip;
        const auto &records = m_doc.records();
        for (size_t i = 0; i < records.size(); ++i) {
            const EmfRecord &r = records[i];
            if (plus.holdsRecords(int(i))) {
                mode = plus.playComment(int(i));
                m_canvas.painterChanged();
                ++res.records;
                continue;
            }
            const bool draws = drawsSomething(r.type);
            if (draws) {
                // Text given as glyph indices (ETO_GLYPH_INDEX) would come out
                // as the wrong letters in our fonts: only characters stand in.
                const bool text = (r.type == EMR_EXTTEXTOUTA || r.type == EMR_EXTTEXTOUTW)
                    && !(m_doc.record(r).u32(52) & 0x10);
                if (mode == EmfPlusPlayer::GdiMode::Skip || (mode == EmfPlusPlayer::GdiMode::Text && !text))
                    continue;
                plus.yieldToGdi();
            }
            play(r.type, m_doc.record(r));
            ++res.records;
        }
        m_canvas.flushPendingMask();
        res.primitives = m_canvas.primitivesDrawn() + plus.primitives();
        res.drawn = m_canvas.drawnBounds().united(plus.drawn());
        return res;
    }

    static bool drawsSomething(quint32 type)
    {
        switch (type) {
        case EMR_POLYBEZIER: case EMR_POLYGON: case EMR_POLYLINE: case EMR_POLYBEZIERTO: case EMR_POLYLINETO:
        case EMR_POLYPOLYLINE: case EMR_POLYPOLYGON: case EMR_SETPIXELV: case EMR_ANGLEARC: case EMR_ELLIPSE:
        case EMR_RECTANGLE: case EMR_ROUNDRECT: case EMR_ARC: case EMR_CHORD: case EMR_PIE: case EMR_EXTFLOODFILL:
        case EMR_LINETO: case EMR_ARCTO: case EMR_POLYDRAW: case EMR_FILLPATH: case EMR_STROKEANDFILLPATH:
        case EMR_STROKEPATH: case EMR_FILLRGN: case EMR_FRAMERGN: case EMR_INVERTRGN: case EMR_PAINTRGN:
        case EMR_BITBLT: case EMR_STRETCHBLT: case EMR_MASKBLT: case EMR_PLGBLT: case EMR_SETDIBITSTODEVICE:
        case EMR_STRETCHDIBITS: case EMR_EXTTEXTOUTA: case EMR_EXTTEXTOUTW: case EMR_POLYBEZIER16:
        case EMR_POLYGON16: case EMR_POLYLINE16: case EMR_POLYBEZIERTO16: case EMR_POLYLINETO16:
        case EMR_POLYPOLYLINE16: case EMR_POLYPOLYGON16: case EMR_POLYDRAW16:
            return true;
        default: return false;
        }
    }

    void play(quint32 type, const ByteReader &p);
    void select(quint32 index);
    QPolygonF points(const ByteReader &p, qsizetype countAt, qsizetype at, bool small);

    const EmfDocument &m_doc;
    GdiCanvas m_canvas;
    QPainter &m_painter;
    QRectF m_target;
    std::map<quint32, EmfObject> m_objects;
};

QPolygonF Player::points(const ByteReader &p, qsizetype countAt, qsizetype at, bool small)
{
    const qint64 count = p.u32(countAt);
    const int step = small ? 4 : 8;
    if (count <= 0 || !p.has(at, qsizetype(count) * step))
        return QPolygonF();
    QPolygonF poly;
    poly.reserve(qsizetype(count));
    for (qint64 i = 0; i < count; ++i, at += step)
        poly << (small ? QPointF(p.i16(at), p.i16(at + 2)) : QPointF(p.i32(at), p.i32(at + 4)));
    return poly;
}

void Player::select(quint32 index)
{
    DcState &s = m_canvas.state();
    if (index & 0x80000000u) {
        switch (index & 0x7FFFFFFF) {
        case 0: s.brush = {gdi::BS_SOLID, Qt::white, 0, {}}; break;
        case 1: s.brush = {gdi::BS_SOLID, QColor(0xC0, 0xC0, 0xC0), 0, {}}; break;
        case 2: s.brush = {gdi::BS_SOLID, QColor(0x80, 0x80, 0x80), 0, {}}; break;
        case 3: s.brush = {gdi::BS_SOLID, QColor(0x40, 0x40, 0x40), 0, {}}; break;
        case 4: s.brush = {gdi::BS_SOLID, Qt::black, 0, {}}; break;
        case 5: s.brush = {gdi::BS_NULL, Qt::black, 0, {}}; break;
        case 6: s.pen = {gdi::PS_SOLID, 0, Qt::white}; break;
        case 7: s.pen = {gdi::PS_SOLID, 0, Qt::black}; break;
        case 8: s.pen = {gdi::PS_NULL, 0, Qt::black}; break;
        case 10: case 11: case 12: case 13: case 14: case 16: case 17:
            s.font = GdiFont();
            break;
        default: break;
        }
        return;
    }
    const auto it = m_objects.find(index);
    if (it == m_objects.end())
        return;
    switch (it->second.kind) {
    case ObjKind::Pen: s.pen = it->second.pen; break;
    case ObjKind::Brush: s.brush = it->second.brush; break;
    case ObjKind::Font: s.font = it->second.font; break;
    default: break;
    }
}

void Player::play(quint32 type, const ByteReader &p)
{
    DcState &s = m_canvas.state();
    const qsizetype n = p.size();
    auto need = [n](qsizetype bytes) { return n >= bytes; };
    constexpr quint32 kMaxHandle = 1u << 20;
    switch (type) {
    case EMR_POLYBEZIER:
    case EMR_POLYGON:
    case EMR_POLYLINE:
    case EMR_POLYBEZIERTO:
    case EMR_POLYLINETO:
    case EMR_POLYBEZIER16:
    case EMR_POLYGON16:
    case EMR_POLYLINE16:
    case EMR_POLYBEZIERTO16:
    case EMR_POLYLINETO16: {
        const bool small = type >= EMR_POLYBEZIER16;
        const quint32 kind = small ? type - EMR_POLYBEZIER16 + EMR_POLYBEZIER : type;
        const QPolygonF poly = points(p, 24, 28, small);
        if (poly.isEmpty())
            break;
        switch (kind) {
        case EMR_POLYBEZIER: m_canvas.polyBezier(poly, false); break;
        case EMR_POLYGON: m_canvas.polygon(poly); break;
        case EMR_POLYLINE: m_canvas.polyline(poly); break;
        case EMR_POLYBEZIERTO: m_canvas.polyBezier(poly, true); break;
        default: m_canvas.polylineTo(poly); break;
        }
        break;
    }
    case EMR_POLYPOLYLINE:
    case EMR_POLYPOLYGON:
    case EMR_POLYPOLYLINE16:
    case EMR_POLYPOLYGON16: {
        if (!need(32))
            break;
        const bool small = type >= EMR_POLYPOLYLINE16;
        const qint64 polys = p.u32(24);
        const qint64 total = p.u32(28);
        const int step = small ? 4 : 8;
        qsizetype at = 32 + qsizetype(polys) * 4;
        if (polys <= 0 || polys > n || total > n || !p.has(32, qsizetype(polys) * 4) || !p.has(at, qsizetype(total) * step))
            break;
        std::vector<QPolygonF> list;
        qint64 used = 0;
        for (qint64 i = 0; i < polys; ++i) {
            const qint64 cnt = p.u32(32 + qsizetype(i) * 4);
            if (used + cnt > total)
                break;
            QPolygonF poly;
            poly.reserve(qsizetype(cnt));
            for (qint64 k = 0; k < cnt; ++k, at += step)
                poly << (small ? QPointF(p.i16(at), p.i16(at + 2)) : QPointF(p.i32(at), p.i32(at + 4)));
            used += cnt;
            list.push_back(std::move(poly));
        }
        if (type == EMR_POLYPOLYGON || type == EMR_POLYPOLYGON16)
            m_canvas.polyPolygon(list);
        else
            m_canvas.polyPolyline(list);
        break;
    }
    case EMR_SETWINDOWEXTEX:
    case EMR_SETWINDOWORGEX:
    case EMR_SETVIEWPORTEXTEX:
    case EMR_SETVIEWPORTORGEX:
        if (need(16)) {
            const QPointF v = ptL(p, 8);
            if (type == EMR_SETWINDOWEXTEX)
                s.windowExt = v;
            else if (type == EMR_SETWINDOWORGEX)
                s.windowOrg = v;
            else if (type == EMR_SETVIEWPORTEXTEX)
                s.viewportExt = v;
            else
                s.viewportOrg = v;
            m_canvas.stateChanged();
        }
        break;
    case EMR_SCALEVIEWPORTEXTEX:
    case EMR_SCALEWINDOWEXTEX:
        if (need(24)) {
            const qint32 xNum = p.i32(8), xDen = p.i32(12), yNum = p.i32(16), yDen = p.i32(20);
            if (xDen && yDen) {
                QPointF &e = type == EMR_SCALEWINDOWEXTEX ? s.windowExt : s.viewportExt;
                e = QPointF(e.x() * xNum / xDen, e.y() * yNum / yDen);
                m_canvas.stateChanged();
            }
        }
        break;
    case EMR_SETMAPMODE:
        if (need(12)) {
            s.mapMode = int(p.u32(8));
            m_canvas.stateChanged();
        }
        break;
    case EMR_SETBKMODE:
        if (need(12))
            s.bkMode = int(p.u32(8));
        break;
    case EMR_SETPOLYFILLMODE:
        if (need(12))
            s.polyFillMode = int(p.u32(8));
        break;
    case EMR_SETROP2:
        if (need(12))
            s.rop2 = int(p.u32(8));
        break;
    case EMR_SETTEXTALIGN:
        if (need(12))
            s.textAlign = int(p.u32(8));
        break;
    case EMR_SETTEXTCOLOR:
        if (need(12))
            s.textColor = colorRef(p, 8);
        break;
    case EMR_SETBKCOLOR:
        if (need(12))
            s.bkColor = colorRef(p, 8);
        break;
    case EMR_SETARCDIRECTION:
        if (need(12))
            s.clockwiseArcs = p.u32(8) == 2;
        break;
    case EMR_MOVETOEX:
        if (need(16))
            m_canvas.moveTo(ptL(p, 8));
        break;
    case EMR_LINETO:
        if (need(16))
            m_canvas.lineTo(ptL(p, 8));
        break;
    case EMR_SETPIXELV:
        if (need(20))
            m_canvas.setPixel(ptL(p, 8), colorRef(p, 16));
        break;
    case EMR_EXCLUDECLIPRECT:
        if (need(24))
            m_canvas.excludeClip(rectL(p, 8));
        break;
    case EMR_INTERSECTCLIPRECT:
        if (need(24))
            m_canvas.intersectClip(rectL(p, 8));
        break;
    case EMR_OFFSETCLIPRGN:
        if (need(16))
            m_canvas.offsetClip(ptL(p, 8));
        break;
    case EMR_SAVEDC: m_canvas.saveDc(); break;
    case EMR_RESTOREDC:
        if (need(12))
            m_canvas.restoreDc(p.i32(8));
        break;
    case EMR_SETWORLDTRANSFORM:
    case EMR_MODIFYWORLDTRANSFORM:
        if (need(32)) {
            const QTransform xf(p.f32(8), p.f32(12), p.f32(16), p.f32(20), p.f32(24), p.f32(28));
            if (!xf.isInvertible() && type == EMR_SETWORLDTRANSFORM)
                break;
            const quint32 mode = type == EMR_SETWORLDTRANSFORM ? 4 : (need(36) ? p.u32(32) : 0);
            switch (mode) {
            case 1: s.world = QTransform(); break;
            case 2: s.world = xf * s.world; break;
            case 3: s.world = s.world * xf; break;
            case 4: s.world = xf; break;
            default: break;
            }
            m_canvas.stateChanged();
        }
        break;
    case EMR_SELECTOBJECT:
        if (need(12))
            select(p.u32(8));
        break;
    case EMR_DELETEOBJECT:
        if (need(12))
            m_objects.erase(p.u32(8));
        break;
    case EMR_CREATEPEN:
        if (need(28) && p.u32(8) < kMaxHandle) {
            EmfObject o;
            o.kind = ObjKind::Pen;
            o.pen.style = int(p.u32(12));
            o.pen.width = std::abs(p.i32(16));
            o.pen.color = colorRef(p, 24);
            m_objects[p.u32(8)] = o;
        }
        break;
    case EMR_EXTCREATEPEN:
        if (need(48) && p.u32(8) < kMaxHandle) {
            EmfObject o;
            o.kind = ObjKind::Pen;
            const quint32 style = p.u32(28);
            o.pen.style = int(style & 0xFFFF);
            // Cosmetic pens are one pixel wide whatever the record says.
            o.pen.width = (style & 0x00010000) ? double(p.u32(32)) : 0.0;
            o.pen.extended = style & 0x00010000;
            o.pen.color = colorRef(p, 40);
            if (p.u32(36) == gdi::BS_NULL)
                o.pen.style = gdi::PS_NULL;
            m_objects[p.u32(8)] = o;
        }
        break;
    case EMR_CREATEBRUSHINDIRECT:
        if (need(24) && p.u32(8) < kMaxHandle) {
            EmfObject o;
            o.kind = ObjKind::Brush;
            o.brush.style = int(p.u32(12));
            o.brush.color = colorRef(p, 16);
            o.brush.hatch = int(p.u32(20));
            m_objects[p.u32(8)] = o;
        }
        break;
    case EMR_CREATEDIBPATTERNBRUSHPT:
    case EMR_CREATEMONOBRUSH:
        if (need(32) && p.u32(8) < kMaxHandle) {
            EmfObject o;
            o.kind = ObjKind::Brush;
            o.brush.style = gdi::BS_DIBPATTERNPT;
            o.brush.color = Qt::black;
            o.brush.pattern = recordDib(p, p.u32(16), p.u32(20), p.u32(24), p.u32(28), p.u32(12) == 1);
            m_objects[p.u32(8)] = o;
        }
        break;
    case EMR_EXTCREATEFONTINDIRECTW:
        if (need(40) && p.u32(8) < kMaxHandle) {
            EmfObject o;
            o.kind = ObjKind::Font;
            o.font.height = p.i32(12);
            o.font.width = std::abs(p.i32(16));
            o.font.escapement = p.i32(20);
            o.font.weight = p.i32(28);
            o.font.italic = p.u8(32);
            o.font.underline = p.u8(33);
            o.font.strikeOut = p.u8(34);
            o.font.charset = p.u8(35);
            QString face;
            for (qsizetype i = 0; i < 32 && p.has(40 + 2 * i, 2); ++i) {
                const char16_t c = p.u16(40 + 2 * i);
                if (!c)
                    break;
                face.append(QChar(c));
            }
            o.font.face = face;
            m_objects[p.u32(8)] = o;
        }
        break;
    case EMR_CREATEPALETTE:
        if (need(12) && p.u32(8) < kMaxHandle)
            m_objects[p.u32(8)] = EmfObject();
        break;
    case EMR_RECTANGLE:
        if (need(24))
            m_canvas.rectangle(rectL(p, 8));
        break;
    case EMR_ELLIPSE:
        if (need(24))
            m_canvas.ellipse(rectL(p, 8));
        break;
    case EMR_ROUNDRECT:
        if (need(32))
            m_canvas.roundRect(rectL(p, 8), p.i32(24), p.i32(28));
        break;
    case EMR_ARC:
    case EMR_CHORD:
    case EMR_PIE:
    case EMR_ARCTO:
        if (need(40)) {
            const auto kind = type == EMR_ARC ? GdiCanvas::ArcKind::Arc
                : type == EMR_CHORD          ? GdiCanvas::ArcKind::Chord
                : type == EMR_PIE            ? GdiCanvas::ArcKind::Pie
                                             : GdiCanvas::ArcKind::ArcTo;
            m_canvas.arc(rectL(p, 8), ptL(p, 24), ptL(p, 32), kind);
        }
        break;
    case EMR_BEGINPATH: m_canvas.beginPath(); break;
    case EMR_ENDPATH: m_canvas.endPath(); break;
    case EMR_CLOSEFIGURE: m_canvas.closeFigure(); break;
    case EMR_ABORTPATH: m_canvas.abortPath(); break;
    case EMR_FILLPATH: m_canvas.fillPath(true, false); break;
    case EMR_STROKEPATH: m_canvas.fillPath(false, true); break;
    case EMR_STROKEANDFILLPATH: m_canvas.fillPath(true, true); break;
    case EMR_SELECTCLIPPATH:
        if (need(12))
            m_canvas.selectClipPath(int(p.u32(8)));
        break;
    case EMR_EXTSELECTCLIPRGN:
        if (need(16)) {
            const quint32 cb = p.u32(8);
            const int mode = int(p.u32(12));
            if (cb == 0 || !p.has(16, cb) || cb < 32) {
                if (mode == 5)
                    m_canvas.resetClip();
                break;
            }
            const qint64 count = p.u32(16 + 8);
            QPainterPath region;
            for (qint64 i = 0; i < count && p.has(48 + qsizetype(i) * 16, 16) && 32 + (i + 1) * 16 <= cb; ++i)
                region.addRect(rectL(p, 48 + qsizetype(i) * 16).normalized());
            // Region rectangles are in device units.
            m_canvas.setClipPathDevice(m_canvas.deviceToTarget().map(region), mode);
        }
        break;
    case EMR_EXTTEXTOUTA:
    case EMR_EXTTEXTOUTW:
        if (need(76)) {
            const QPointF ref = ptL(p, 36);
            const quint32 chars = p.u32(44);
            const quint32 offString = p.u32(48);
            const int options = int(p.u32(52));
            const QRectF rect = rectL(p, 56);
            const quint32 offDx = p.u32(72);
            const bool wide = type == EMR_EXTTEXTOUTW;
            const qint64 bytes = qint64(chars) * (wide ? 2 : 1);
            if (chars > quint32(n) || !p.has(offString, qsizetype(bytes)))
                break;
            QString str;
            if (wide) {
                str.reserve(qsizetype(chars));
                for (quint32 i = 0; i < chars; ++i)
                    str.append(QChar(char16_t(p.u16(offString + 2 * i))));
            } else {
                str = decodeAnsi(reinterpret_cast<const char *>(p.data()) + offString, qsizetype(chars));
            }
            std::vector<double> dx;
            const int stride = (options & 0x2000) ? 8 : 4; // ETO_PDY: x and y advances
            if (offDx && p.has(offDx, qsizetype(chars) * stride)) {
                dx.reserve(chars);
                for (quint32 i = 0; i < chars; ++i)
                    dx.push_back(p.i32(offDx + i * stride));
            }
            m_canvas.text(ref, str, options, rect, dx);
        }
        break;
    case EMR_STRETCHDIBITS:
        if (need(80)) {
            const QImage img = recordDib(p, p.u32(48), p.u32(52), p.u32(56), p.u32(60), p.u32(64) == 1);
            if (img.isNull())
                break;
            const QRectF src = dibSource(p, p.u32(48), img, p.i32(32), p.i32(36), p.i32(40), p.i32(44));
            m_canvas.blit(img, src, QRectF(p.i32(24), p.i32(28), p.i32(72), p.i32(76)), p.u32(68));
        }
        break;
    case EMR_SETDIBITSTODEVICE:
        if (need(76)) {
            const QImage img = recordDib(p, p.u32(48), p.u32(52), p.u32(56), p.u32(60), p.u32(64) == 1);
            if (img.isNull())
                break;
            const double w = p.i32(40), h = p.i32(44);
            const QRectF src = dibSource(p, p.u32(48), img, p.i32(32), p.i32(36), w, h);
            m_canvas.blit(img, src, QRectF(p.i32(24), p.i32(28), w, h), gdi::SRCCOPY);
        }
        break;
    case EMR_BITBLT:
    case EMR_STRETCHBLT:
        if (need(100)) {
            const QRectF dest(p.i32(24), p.i32(28), p.i32(32), p.i32(36));
            const quint32 rop = p.u32(40);
            const quint32 cbBmi = p.u32(88);
            if (cbBmi == 0) {
                m_canvas.patBlt(dest, rop);
                break;
            }
            const QImage img = recordDib(p, p.u32(84), cbBmi, p.u32(92), p.u32(96), p.u32(80) == 1);
            if (img.isNull())
                break;
            double sw = dest.width(), sh = dest.height();
            if (type == EMR_STRETCHBLT && need(108)) {
                sw = p.i32(100);
                sh = p.i32(104);
            }
            const QRectF src = dibSource(p, p.u32(84), img, p.i32(44), p.i32(48), sw, sh);
            m_canvas.blit(img, src, dest, rop);
        }
        break;
    default:
        break; // comments, palettes and the rest draw nothing
    }
}

} // namespace

PlayResult playEmf(const EmfDocument &doc, QPainter &painter, const QRectF &target)
{
    const QRectF f = doc.frame();
    if (f.width() <= 0 || f.height() <= 0 || target.isEmpty())
        return {};
    const double sx = target.width() / f.width();
    const double sy = target.height() / f.height();
    const QTransform outer(sx, 0, 0, sy, target.left() - f.left() * sx, target.top() - f.top() * sy);
    Player player(doc, painter, outer, target);
    return player.run();
}

} // namespace vz::mf
