#include "metafile/WmfGenerator.h"

#include "common/AtomicFile.h"
#include "metafile/AnsiText.h"
#include "metafile/Dib.h"
#include "metafile/GdiCanvas.h"
#include "metafile/Placeable.h"
#include "metafile/WmfReader.h"

#include <QFontMetricsF>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QTextItem>

#include <algorithm>
#include <cmath>
#include <vector>

namespace vz::mf {

namespace {

// Logical coordinates are kept below this so that drawing somewhat outside
// the picture still fits 16 bits.
constexpr double kLogicalSpan = 16000;
constexpr int kMaxUnitsPerInch = 16 * 96 * 16;

qint16 clamp16(double v)
{
    if (!std::isfinite(v))
        return 0;
    return qint16(std::clamp<long>(std::lround(v), -32767, 32767));
}

quint32 colorRef(const QColor &c)
{
    return quint32(c.red()) | (quint32(c.green()) << 8) | (quint32(c.blue()) << 16);
}

bool sameColor(const QColor &a, const QColor &b)
{
    return a.rgb() == b.rgb();
}

struct PenKey
{
    int style = -1;
    int width = 0;
    QColor color;
    bool operator==(const PenKey &o) const { return style == o.style && width == o.width && sameColor(color, o.color); }
};

struct BrushKey
{
    int style = -1;
    QColor color;
    int hatch = 0;
    qint64 textureKey = 0;
    bool operator==(const BrushKey &o) const
    {
        return style == o.style && sameColor(color, o.color) && hatch == o.hatch && textureKey == o.textureKey;
    }
};

struct FontKey
{
    int height = 0;
    int width = 0;
    int escapement = 0;
    int weight = 400;
    bool italic = false, underline = false, strikeOut = false;
    QString face;
    bool operator==(const FontKey &o) const
    {
        return height == o.height && width == o.width && escapement == o.escapement && weight == o.weight && italic == o.italic
            && underline == o.underline && strikeOut == o.strikeOut && face == o.face;
    }
};

} // namespace

class WmfPaintEngine : public QPaintEngine
{
public:
    explicit WmfPaintEngine(WmfGenerator *device)
        : QPaintEngine(QPaintEngine::PaintEngineFeatures(QPaintEngine::AllFeatures)
                       & ~QPaintEngine::PaintEngineFeatures(QPaintEngine::PerspectiveTransform
                                                            | QPaintEngine::PorterDuff | QPaintEngine::BlendModes)),
          m_device(device)
    {
    }

    bool begin(QPaintDevice *) override;
    bool end() override;
    void updateState(const QPaintEngineState &state) override;
    void drawPath(const QPainterPath &path) override;
    void drawPolygon(const QPointF *points, int pointCount, PolygonDrawMode mode) override;
    void drawPixmap(const QRectF &r, const QPixmap &pm, const QRectF &sr) override;
    void drawImage(const QRectF &r, const QImage &image, const QRectF &sr, Qt::ImageConversionFlags flags) override;
    void drawTextItem(const QPointF &p, const QTextItem &textItem) override;
    Type type() const override { return QPaintEngine::User; }

private:
    enum Kind { PenObj, BrushObj, FontObj, KindCount };

    // Records.
    void begin(quint16 fn) { m_rec.clear(); m_fn = fn; }
    void w16(int v) { m_rec.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF)); }
    void w32(quint32 v)
    {
        w16(int(v & 0xFFFF));
        w16(int(v >> 16));
    }
    void wBytes(const QByteArray &b)
    {
        m_rec.append(b);
        if (b.size() & 1)
            m_rec.append('\0');
    }
    void emit_();

    QTransform toLogical() const { return m_transform * QTransform::fromScale(m_k, m_k); }
    void syncClip();
    void selectPen(const QPen &pen);
    void selectBrush(const QBrush &brush);
    void selectFont(const FontKey &key);
    int newSlot();
    void select(Kind kind, int slot);
    void setFillMode(Qt::FillRule rule);
    void setTextColor(const QColor &c);
    void strokePolylines(const QList<QPolygonF> &polys);
    void fillPolygons(const QList<QPolygonF> &polys, bool withPen);
    void stretchDib(const QByteArray &dib, int w, int h, const QRectF &dest, quint32 rop);

    WmfGenerator *m_device;
    QByteArray m_out; // the records after the header
    QByteArray m_rec;
    quint16 m_fn = 0;
    quint32 m_maxRecordWords = 0;
    double m_k = 1; // logical units per device pixel
    int m_unitsPerInch = 96;
    QSize m_logicalSize;

    QTransform m_transform;
    QPen m_pen;
    QBrush m_brush;
    QFont m_font;

    std::vector<bool> m_slots;
    int m_maxSlots = 0;
    int m_selected[KindCount] = {-1, -1, -1};
    int m_pinned[KindCount] = {-1, -1, -1}; // selected when the clip's SaveDC was written
    PenKey m_penKey;
    BrushKey m_brushKey;
    FontKey m_fontKey;
    int m_fillMode = -1;
    QColor m_textColor;
    bool m_textColorSet = false;

    bool m_clipActive = false;
    QRect m_clipRect;
};

WmfGenerator::WmfGenerator() = default;
WmfGenerator::~WmfGenerator() = default;

QPaintEngine *WmfGenerator::paintEngine() const
{
    if (!m_engine)
        m_engine = std::make_unique<WmfPaintEngine>(const_cast<WmfGenerator *>(this));
    return m_engine.get();
}

int WmfGenerator::metric(PaintDeviceMetric metric) const
{
    switch (metric) {
    case PdmWidth: return m_size.width();
    case PdmHeight: return m_size.height();
    case PdmWidthMM: return int(std::lround(m_size.width() * 25.4 / m_dpi));
    case PdmHeightMM: return int(std::lround(m_size.height() * 25.4 / m_dpi));
    case PdmNumColors: return 0x7FFFFFFF;
    case PdmDepth: return 24;
    case PdmDpiX:
    case PdmDpiY:
    case PdmPhysicalDpiX:
    case PdmPhysicalDpiY: return m_dpi;
    case PdmDevicePixelRatio: return 1;
    case PdmDevicePixelRatioScaled: return int(QPaintDevice::devicePixelRatioFScale());
    default: return 0;
    }
}

void WmfGenerator::finished(const QByteArray &data)
{
    m_data = data;
    m_error.clear();
    // No exception here: this runs inside QPainter::end().
    if (!m_fileName.isEmpty() && !writeFileAtomically(m_fileName, data, &m_error) && m_error.isEmpty())
        m_error = QStringLiteral("cannot write the file");
}

void WmfPaintEngine::emit_()
{
    const quint32 words = quint32(3 + (m_rec.size() + 1) / 2);
    QByteArray head;
    head.append(char(words & 0xFF)).append(char((words >> 8) & 0xFF)).append(char((words >> 16) & 0xFF))
        .append(char(words >> 24));
    head.append(char(m_fn & 0xFF)).append(char(m_fn >> 8));
    m_out.append(head);
    m_out.append(m_rec);
    if (m_rec.size() & 1)
        m_out.append('\0');
    m_maxRecordWords = std::max(m_maxRecordWords, words);
}

bool WmfPaintEngine::begin(QPaintDevice *)
{
    m_out.clear();
    m_maxRecordWords = 0;
    m_slots.clear();
    m_maxSlots = 0;
    std::fill(std::begin(m_selected), std::end(m_selected), -1);
    std::fill(std::begin(m_pinned), std::end(m_pinned), -1);
    m_penKey = PenKey();
    m_brushKey = BrushKey();
    m_fontKey = FontKey();
    m_fillMode = -1;
    m_textColorSet = false;
    m_clipActive = false;
    m_transform = QTransform();

    const QSize size = m_device->size().expandedTo(QSize(1, 1));
    const int dpi = m_device->resolution();
    const double longest = std::max(size.width(), size.height());
    // Units per inch: as fine as 16 bits allow, at most 16 per pixel.
    m_unitsPerInch = std::clamp(int(std::floor(kLogicalSpan * dpi / longest)), 1, std::min(kMaxUnitsPerInch, 16 * dpi));
    m_k = double(m_unitsPerInch) / dpi;
    m_logicalSize = QSize(int(std::lround(size.width() * m_k)), int(std::lround(size.height() * m_k)));

    begin(wmf::SETMAPMODE);
    w16(gdi::MM_ANISOTROPIC);
    emit_();
    begin(wmf::SETWINDOWORG);
    w16(0);
    w16(0);
    emit_();
    begin(wmf::SETWINDOWEXT);
    w16(m_logicalSize.height());
    w16(m_logicalSize.width());
    emit_();
    begin(wmf::SETBKMODE);
    w16(gdi::TRANSPARENT);
    emit_();
    begin(wmf::SETTEXTALIGN);
    w16(gdi::TA_BASELINE);
    emit_();
    setActive(true);
    return true;
}

bool WmfPaintEngine::end()
{
    if (m_clipActive) {
        begin(wmf::RESTOREDC);
        w16(-1);
        emit_();
        m_clipActive = false;
    }
    for (int k = 0; k < KindCount; ++k)
        if (m_selected[k] >= 0) {
            begin(wmf::DELETEOBJECT);
            w16(m_selected[k]);
            emit_();
        }
    // The end-of-file record.
    m_rec.clear();
    m_fn = wmf::EOF_;
    emit_();

    QByteArray header;
    auto h16 = [&header](int v) { header.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF)); };
    auto h32 = [&h16](quint32 v) {
        h16(int(v & 0xFFFF));
        h16(int(v >> 16));
    };
    const quint32 totalWords = quint32((18 + m_out.size()) / 2);
    h16(1);      // in memory
    h16(9);      // header words
    h16(0x0300); // version
    h32(totalWords);
    h16(m_maxSlots);
    h32(m_maxRecordWords);
    h16(0);

    PlaceableHeader ph;
    ph.left = 0;
    ph.top = 0;
    ph.right = qint16(std::min(m_logicalSize.width(), 32767));
    ph.bottom = qint16(std::min(m_logicalSize.height(), 32767));
    ph.unitsPerInch = quint16(m_unitsPerInch);
    ph.checksum = ph.computeChecksum();

    setActive(false);
    m_device->finished(ph.toBytes() + header + m_out);
    m_out.clear();
    return true;
}

void WmfPaintEngine::updateState(const QPaintEngineState &state)
{
    const DirtyFlags f = state.state();
    if (f & DirtyPen)
        m_pen = state.pen();
    if (f & DirtyBrush)
        m_brush = state.brush();
    if (f & DirtyFont)
        m_font = state.font();
    if (f & DirtyTransform)
        m_transform = state.transform();
}

void WmfPaintEngine::syncClip()
{
    QPainter *p = painter();
    QRect want;
    const bool clip = p && p->hasClipping();
    if (clip) {
        const QRectF r = p->transform().mapRect(p->clipBoundingRect());
        const QRectF l = QTransform::fromScale(m_k, m_k).mapRect(r);
        want = QRect(QPoint(clamp16(l.left()), clamp16(l.top())), QPoint(clamp16(l.right()), clamp16(l.bottom())));
    }
    if (clip == m_clipActive && (!clip || want == m_clipRect))
        return;
    if (m_clipActive) {
        // Back to the state of the SaveDC: objects made since are unselected.
        begin(wmf::RESTOREDC);
        w16(-1);
        emit_();
        for (int k = 0; k < KindCount; ++k) {
            if (m_selected[k] >= 0 && m_selected[k] != m_pinned[k]) {
                begin(wmf::DELETEOBJECT);
                w16(m_selected[k]);
                emit_();
                m_slots[size_t(m_selected[k])] = false;
            }
            m_selected[k] = m_pinned[k];
        }
        m_clipActive = false;
        // Keys of objects selected after the SaveDC no longer describe the DC.
        m_penKey = PenKey();
        m_brushKey = BrushKey();
        m_fontKey = FontKey();
        m_fillMode = -1;
        m_textColorSet = false;
    }
    if (clip) {
        begin(wmf::SAVEDC);
        emit_();
        for (int k = 0; k < KindCount; ++k)
            m_pinned[k] = m_selected[k];
        begin(wmf::INTERSECTCLIPRECT);
        w16(want.bottom() + 1);
        w16(want.right() + 1);
        w16(want.top());
        w16(want.left());
        emit_();
        m_clipActive = true;
        m_clipRect = want;
    }
}

int WmfPaintEngine::newSlot()
{
    for (size_t i = 0; i < m_slots.size(); ++i)
        if (!m_slots[i]) {
            m_slots[i] = true;
            return int(i);
        }
    m_slots.push_back(true);
    m_maxSlots = std::max<int>(m_maxSlots, int(m_slots.size()));
    return int(m_slots.size() - 1);
}

void WmfPaintEngine::select(Kind kind, int slot)
{
    begin(wmf::SELECTOBJECT);
    w16(slot);
    emit_();
    const int old = m_selected[kind];
    m_selected[kind] = slot;
    // An object still selected in a saved state must outlive that state.
    if (old >= 0 && !(m_clipActive && old == m_pinned[kind])) {
        begin(wmf::DELETEOBJECT);
        w16(old);
        emit_();
        m_slots[size_t(old)] = false;
    }
}

void WmfPaintEngine::selectPen(const QPen &pen)
{
    PenKey key;
    if (pen.style() == Qt::NoPen || pen.color().alpha() == 0) {
        key.style = gdi::PS_NULL;
    } else {
        switch (pen.style()) {
        case Qt::DashLine:
        case Qt::CustomDashLine: key.style = gdi::PS_DASH; break;
        case Qt::DotLine: key.style = gdi::PS_DOT; break;
        case Qt::DashDotLine: key.style = gdi::PS_DASHDOT; break;
        case Qt::DashDotDotLine: key.style = gdi::PS_DASHDOTDOT; break;
        default: key.style = gdi::PS_SOLID; break;
        }
        switch (pen.capStyle()) {
        case Qt::SquareCap: key.style |= 0x100; break;
        case Qt::FlatCap: key.style |= 0x200; break;
        default: break;
        }
        switch (pen.joinStyle()) {
        case Qt::BevelJoin: key.style |= 0x1000; break;
        case Qt::MiterJoin:
        case Qt::SvgMiterJoin: key.style |= 0x2000; break;
        default: break;
        }
        if (!pen.isCosmetic() && pen.widthF() > 0) {
            const double scale = std::sqrt(std::abs(m_transform.determinant()));
            key.width = std::clamp(int(std::lround(pen.widthF() * scale * m_k)), 1, 32767);
        }
        key.color = pen.color();
    }
    if (key == m_penKey && m_selected[PenObj] >= 0)
        return;
    const int slot = newSlot();
    begin(wmf::CREATEPENINDIRECT);
    w16(key.style);
    w16(key.width);
    w16(0);
    w32(colorRef(key.color));
    emit_();
    select(PenObj, slot);
    m_penKey = key;
}

void WmfPaintEngine::selectBrush(const QBrush &brush)
{
    BrushKey key;
    QImage texture;
    const Qt::BrushStyle s = brush.style();
    if (s == Qt::NoBrush || (brush.color().alpha() == 0 && s < Qt::LinearGradientPattern)) {
        key.style = gdi::BS_NULL;
    } else if (s >= Qt::HorPattern && s <= Qt::DiagCrossPattern) {
        key.style = gdi::BS_HATCHED;
        key.color = brush.color();
        key.hatch = s == Qt::HorPattern ? 0 : s == Qt::VerPattern ? 1 : s == Qt::BDiagPattern ? 2
            : s == Qt::FDiagPattern ? 3 : s == Qt::CrossPattern ? 4 : 5;
    } else if (s == Qt::TexturePattern) {
        texture = brush.textureImage();
        key.style = gdi::BS_DIBPATTERNPT;
        key.textureKey = texture.cacheKey();
    } else if (s == Qt::LinearGradientPattern || s == Qt::RadialGradientPattern || s == Qt::ConicalGradientPattern) {
        // Metafiles know no gradients: the colour halfway along stands in.
        const QGradientStops stops = brush.gradient() ? brush.gradient()->stops() : QGradientStops();
        key.style = gdi::BS_SOLID;
        key.color = stops.isEmpty() ? QColor(Qt::black) : stops.at(stops.size() / 2).second;
    } else {
        key.style = gdi::BS_SOLID;
        key.color = brush.color();
    }
    if (key == m_brushKey && m_selected[BrushObj] >= 0)
        return;
    const int slot = newSlot();
    if (key.style == gdi::BS_DIBPATTERNPT) {
        begin(wmf::DIBCREATEPATTERNBRUSH);
        w16(gdi::BS_DIBPATTERNPT);
        w16(0);
        wBytes(encodeDib24(texture));
    } else {
        begin(wmf::CREATEBRUSHINDIRECT);
        w16(key.style);
        w32(colorRef(key.color));
        w16(key.hatch);
    }
    emit_();
    select(BrushObj, slot);
    m_brushKey = key;
}

void WmfPaintEngine::selectFont(const FontKey &key)
{
    if (key == m_fontKey && m_selected[FontObj] >= 0)
        return;
    const int slot = newSlot();
    begin(wmf::CREATEFONTINDIRECT);
    w16(key.height);
    w16(key.width);
    w16(key.escapement);
    w16(key.escapement);
    w16(key.weight);
    m_rec.append(char(key.italic)).append(char(key.underline)).append(char(key.strikeOut)).append(char(0));
    m_rec.append(char(0)).append(char(0)).append(char(4)).append(char(0)); // ANTIALIASED_QUALITY
    QByteArray face = encodeAnsi(key.face).left(31);
    face.append('\0');
    wBytes(face);
    emit_();
    select(FontObj, slot);
    m_fontKey = key;
}

void WmfPaintEngine::setFillMode(Qt::FillRule rule)
{
    const int mode = rule == Qt::WindingFill ? gdi::WINDING : gdi::ALTERNATE;
    if (mode == m_fillMode)
        return;
    begin(wmf::SETPOLYFILLMODE);
    w16(mode);
    emit_();
    m_fillMode = mode;
}

void WmfPaintEngine::setTextColor(const QColor &c)
{
    if (m_textColorSet && sameColor(c, m_textColor))
        return;
    begin(wmf::SETTEXTCOLOR);
    w32(colorRef(c));
    emit_();
    m_textColor = c;
    m_textColorSet = true;
}

void WmfPaintEngine::strokePolylines(const QList<QPolygonF> &polys)
{
    for (const QPolygonF &poly : polys) {
        for (qsizetype start = 0; start + 1 < poly.size(); start += 32000) {
            const qsizetype n = std::min<qsizetype>(poly.size() - start, 32001);
            begin(wmf::POLYLINE);
            w16(int(n));
            for (qsizetype i = start; i < start + n; ++i) {
                w16(clamp16(poly[i].x()));
                w16(clamp16(poly[i].y()));
            }
            emit_();
        }
    }
}

void WmfPaintEngine::fillPolygons(const QList<QPolygonF> &polys, bool withPen)
{
    (void)withPen;
    std::vector<const QPolygonF *> list;
    for (const QPolygonF &p : polys)
        if (p.size() >= 3 && p.size() <= 32767)
            list.push_back(&p);
    if (list.empty())
        return;
    if (list.size() == 1) {
        const QPolygonF &poly = *list.front();
        begin(wmf::POLYGON);
        w16(int(poly.size()));
        for (const QPointF &pt : poly) {
            w16(clamp16(pt.x()));
            w16(clamp16(pt.y()));
        }
        emit_();
        return;
    }
    // A polypolygon holds at most 65535 polygons.
    for (size_t first = 0; first < list.size(); first += 65535) {
        const size_t count = std::min<size_t>(list.size() - first, 65535);
        begin(wmf::POLYPOLYGON);
        w16(int(count));
        for (size_t i = first; i < first + count; ++i)
            w16(int(list[i]->size()));
        for (size_t i = first; i < first + count; ++i)
            for (const QPointF &pt : *list[i]) {
                w16(clamp16(pt.x()));
                w16(clamp16(pt.y()));
            }
        emit_();
    }
}

void WmfPaintEngine::drawPath(const QPainterPath &path)
{
    if (path.isEmpty())
        return;
    syncClip();
    const QList<QPolygonF> polys = path.toSubpathPolygons(toLogical());
    const bool fill = m_brush.style() != Qt::NoBrush;
    const bool stroke = m_pen.style() != Qt::NoPen;
    if (!fill && !stroke)
        return;
    bool allClosed = true;
    for (const QPolygonF &p : polys)
        if (p.size() < 3 || !qFuzzyCompare(p.first().x() + 1, p.last().x() + 1)
            || !qFuzzyCompare(p.first().y() + 1, p.last().y() + 1))
            allClosed = false;
    if (fill) {
        setFillMode(path.fillRule());
        selectBrush(m_brush);
        // Closed outlines go with the fill in one record; open ones are
        // stroked on their own so no closing edge appears.
        const bool together = stroke && allClosed;
        selectPen(together ? m_pen : QPen(Qt::NoPen));
        fillPolygons(polys, together);
        if (together)
            return;
    }
    if (stroke) {
        selectPen(m_pen);
        strokePolylines(polys);
    }
}

void WmfPaintEngine::drawPolygon(const QPointF *points, int pointCount, PolygonDrawMode mode)
{
    if (pointCount < 2)
        return;
    QPolygonF poly(pointCount);
    std::copy(points, points + pointCount, poly.begin());
    QPainterPath path;
    path.addPolygon(poly);
    if (mode == PolylineMode) {
        if (m_pen.style() == Qt::NoPen)
            return;
        syncClip();
        selectPen(m_pen);
        strokePolylines(path.toSubpathPolygons(toLogical()));
        return;
    }
    path.closeSubpath();
    path.setFillRule(mode == WindingMode ? Qt::WindingFill : Qt::OddEvenFill);
    drawPath(path);
}

void WmfPaintEngine::stretchDib(const QByteArray &dib, int w, int h, const QRectF &dest, quint32 rop)
{
    begin(wmf::STRETCHDIB);
    w32(rop);
    w16(0); // DIB_RGB_COLORS
    w16(h);
    w16(w);
    w16(0);
    w16(0);
    w16(clamp16(dest.height()));
    w16(clamp16(dest.width()));
    w16(clamp16(dest.top()));
    w16(clamp16(dest.left()));
    wBytes(dib);
    emit_();
}

void WmfPaintEngine::drawImage(const QRectF &r, const QImage &image, const QRectF &sr, Qt::ImageConversionFlags)
{
    if (image.isNull() || r.isEmpty())
        return;
    syncClip();
    QImage img = sr.toAlignedRect() == image.rect() ? image : image.copy(sr.toAlignedRect());
    if (img.isNull() || img.width() > 32767 || img.height() > 32767)
        return;
    const QRectF dest = toLogical().mapRect(r);
    bool transparent = false;
    if (img.hasAlphaChannel()) {
        const QImage a = img.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < a.height() && !transparent; ++y) {
            const QRgb *line = reinterpret_cast<const QRgb *>(a.constScanLine(y));
            for (int x = 0; x < a.width(); ++x)
                if (qAlpha(line[x]) < 128) {
                    transparent = true;
                    break;
                }
        }
        img = a;
    }
    if (transparent) {
        stretchDib(encodeMaskDib(img), img.width(), img.height(), dest, gdi::SRCAND);
        stretchDib(encodeMaskedColourDib(img), img.width(), img.height(), dest, gdi::SRCPAINT);
    } else {
        stretchDib(encodeDib24(img), img.width(), img.height(), dest, gdi::SRCCOPY);
    }
}

void WmfPaintEngine::drawPixmap(const QRectF &r, const QPixmap &pm, const QRectF &sr)
{
    drawImage(r, pm.toImage(), sr, Qt::AutoColor);
}

void WmfPaintEngine::drawTextItem(const QPointF &p, const QTextItem &textItem)
{
    const QString text = textItem.text();
    if (text.isEmpty() || m_pen.style() == Qt::NoPen)
        return;
    syncClip();
    const QFont font = textItem.font();
    const QTransform t = toLogical();
    const QPointF origin = t.map(p);
    const QPointF xAxis = t.map(p + QPointF(1, 0)) - origin;
    const QPointF yAxis = t.map(p + QPointF(0, 1)) - origin;
    const double xScale = std::hypot(xAxis.x(), xAxis.y());
    const double yScale = std::hypot(yAxis.x(), yAxis.y());
    const double px = font.pixelSize() > 0 ? font.pixelSize() : font.pointSizeF() * m_device->resolution() / 72.0;

    FontKey key;
    key.height = -std::clamp(int(std::lround(px * yScale)), 1, 32767);
    if (font.stretch() > 0 && font.stretch() != 100) {
        // A squeezed or widened font keeps its width as the average
        // character width.
        QFont plain = font;
        plain.setStretch(100);
        const double avg = QFontMetricsF(plain).averageCharWidth();
        key.width = std::clamp(int(std::lround(avg * font.stretch() / 100.0 * xScale)), 0, 32767);
    }
    key.escapement = int(std::lround(-std::atan2(xAxis.y(), xAxis.x()) * 1800.0 / M_PI));
    key.weight = std::clamp(int(font.weight()), 100, 900);
    key.italic = font.italic();
    key.underline = font.underline();
    key.strikeOut = font.strikeOut();
    key.face = font.family();
    selectFont(key);
    setTextColor(m_pen.color());

    // Advances let every reader place the characters where Qt did.
    const QFontMetricsF fm(font);
    const QByteArray bytes = encodeAnsi(text);
    begin(wmf::EXTTEXTOUT);
    w16(clamp16(origin.y()));
    w16(clamp16(origin.x()));
    w16(int(bytes.size()));
    w16(0);
    wBytes(bytes);
    double acc = 0, placed = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        acc += fm.horizontalAdvance(text.at(i)) * xScale;
        const long step = std::lround(acc - placed);
        w16(clamp16(double(step)));
        placed += double(step);
    }
    emit_();
}

} // namespace vz::mf
