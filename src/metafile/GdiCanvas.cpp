#include "metafile/GdiCanvas.h"

#include <QFontMetricsF>
#include <QPaintEngine>

#include <algorithm>
#include <cmath>

namespace vz::mf {

namespace {

constexpr int kMaxSaveDepth = 256;
// Device coordinates beyond this are not drawn: they come from broken
// mappings and would only make the rasteriser crawl.
constexpr double kCoordLimit = 1 << 22;
// How far beyond the target's larger side a text size, a pen width or a
// stretched bitmap may reach before it is bounded: the painter's work and
// memory then follow the target, not the picture's mapping.
constexpr double kTargetFactor = 8;
// Text drawn as outlines is laid out at this pixel size, then scaled.
constexpr int kPathFontPixels = 256;

// GDI's dash patterns of one-pixel pens, in device pixels.
QList<qreal> thinDashes(int style)
{
    switch (style) {
    case gdi::PS_DASH: return {18, 6};
    case gdi::PS_DOT: return {3, 3};
    case gdi::PS_DASHDOT: return {9, 6, 3, 6};
    case gdi::PS_DASHDOTDOT: return {9, 3, 3, 3, 3, 3};
    default: return {1, 1}; // PS_ALTERNATE
    }
}

Qt::BrushStyle hatchStyle(int hatch)
{
    switch (hatch) {
    case 0: return Qt::HorPattern;
    case 1: return Qt::VerPattern;
    case 2: return Qt::BDiagPattern; // HS_FDIAGONAL runs from upper left to lower right
    case 3: return Qt::FDiagPattern;
    case 4: return Qt::CrossPattern;
    case 5: return Qt::DiagCrossPattern;
    default: return Qt::SolidPattern;
    }
}

double normDeg(double a)
{
    a = std::fmod(a, 360.0);
    return a < 0 ? a + 360.0 : a;
}

} // namespace

GdiCanvas::GdiCanvas(QPainter &painter, const DcState &initial, const QTransform &deviceToTarget,
                     double deviceUnitsPerMm)
    : m_p(painter), m_state(initial), m_outer(deviceToTarget), m_unitsPerMm(deviceUnitsPerMm)
{
    m_p.save();
    m_hadClip = m_p.hasClipping();
    if (m_hadClip)
        m_initialClip = m_p.clipPath();
    m_raster = m_p.paintEngine() && m_p.paintEngine()->type() == QPaintEngine::Raster;
    // The caller's render hints decide: a plain painter draws with hard
    // edges as GDI does (and fast); antialiasing is there for the asking.
    const QPaintDevice *device = m_p.device();
    const QRectF dev = device ? QRectF(0, 0, device->width(), device->height()) : QRectF();
    m_view = m_p.worldTransform().inverted().mapRect(dev);
    const QRectF unit = deviceToTarget.mapRect(QRectF(0, 0, 1, 1));
    m_limit = QRectF(QPointF(std::min(m_view.left(), unit.left()), std::min(m_view.top(), unit.top())),
                     QPointF(std::max(m_view.right(), unit.right()), std::max(m_view.bottom(), unit.bottom())))
                  .adjusted(-kCoordLimit, -kCoordLimit, kCoordLimit, kCoordLimit);
    const double scale = std::sqrt(std::abs(m_p.worldTransform().determinant()));
    m_deviceScale = std::isfinite(scale) && scale > 0 ? scale : 1;
    const int side = device ? std::max(device->width(), device->height()) : 0;
    m_maxDevice = kTargetFactor * (side > 0 ? side : 4096);
    if (m_state.clipped)
        m_clipDirty = true;
}

GdiCanvas::~GdiCanvas()
{
    flushPendingMask();
    m_p.restore();
}

QTransform GdiCanvas::transform()
{
    if (!m_mappingDirty)
        return m_full;
    const DcState &s = m_state;
    double sx = 1, sy = 1;
    switch (s.mapMode) {
    case gdi::MM_LOMETRIC: sx = m_unitsPerMm * 0.1; sy = -sx; break;
    case gdi::MM_HIMETRIC: sx = m_unitsPerMm * 0.01; sy = -sx; break;
    case gdi::MM_LOENGLISH: sx = m_unitsPerMm * 0.254; sy = -sx; break;
    case gdi::MM_HIENGLISH: sx = m_unitsPerMm * 0.0254; sy = -sx; break;
    case gdi::MM_TWIPS: sx = m_unitsPerMm * 25.4 / 1440; sy = -sx; break;
    case gdi::MM_ISOTROPIC:
    case gdi::MM_ANISOTROPIC:
        sx = s.windowExt.x() != 0 ? s.viewportExt.x() / s.windowExt.x() : 1;
        sy = s.windowExt.y() != 0 ? s.viewportExt.y() / s.windowExt.y() : 1;
        if (sx == 0)
            sx = 1;
        if (sy == 0)
            sy = 1;
        if (s.mapMode == gdi::MM_ISOTROPIC) {
            const double m = std::min(std::abs(sx), std::abs(sy));
            sx = std::copysign(m, sx);
            sy = std::copysign(m, sy);
        }
        break;
    default: break;
    }
    const QTransform page(sx, 0, 0, sy, s.viewportOrg.x() - s.windowOrg.x() * sx,
                          s.viewportOrg.y() - s.windowOrg.y() * sy);
    m_full = s.world * page * m_outer;
    m_mappingDirty = false;
    return m_full;
}

double GdiCanvas::lengthScale()
{
    const QTransform t = transform();
    return std::sqrt(std::abs(t.determinant()));
}

void GdiCanvas::saveDc()
{
    if (m_stack.size() >= kMaxSaveDepth)
        return;
    m_stack.push_back(m_state);
}

void GdiCanvas::restoreDc(int which)
{
    const int depth = int(m_stack.size());
    int target; // the stack size after restoring
    if (which < 0)
        target = depth + which;
    else
        target = which - 1;
    if (which == 0 || target < 0 || target >= depth)
        return;
    m_state = m_stack[size_t(target)];
    m_stack.resize(size_t(target));
    m_mappingDirty = true;
    m_clipDirty = true;
}

// By coordinates: a flat stroke or a single point has bounds of no width or
// height, which QRectF::contains would refuse.
bool GdiCanvas::sane(const QRectF &r) const
{
    const double l = std::min(r.left(), r.right()), rr = std::max(r.left(), r.right());
    const double t = std::min(r.top(), r.bottom()), b = std::max(r.top(), r.bottom());
    return std::isfinite(l) && std::isfinite(t) && std::isfinite(rr) && std::isfinite(b) && l >= m_limit.left()
        && rr <= m_limit.right() && t >= m_limit.top() && b <= m_limit.bottom();
}

// QRectF::united drops a rectangle of no size; the drawn area keeps every
// corner it is given.
void GdiCanvas::noteDrawn(const QRectF &r0)
{
    const QRectF r = r0.normalized();
    if (!m_anyDrawn) {
        m_drawn = r;
        m_anyDrawn = true;
        return;
    }
    m_drawn = QRectF(QPointF(std::min(m_drawn.left(), r.left()), std::min(m_drawn.top(), r.top())),
                     QPointF(std::max(m_drawn.right(), r.right()), std::max(m_drawn.bottom(), r.bottom())));
}

QPen GdiCanvas::makePen()
{
    const GdiPen &g = m_state.pen;
    const int style = g.style & 0x0F;
    if (style == gdi::PS_NULL || m_state.rop2 == gdi::R2_NOP)
        return Qt::NoPen;
    QColor c = g.color;
    if (m_state.rop2 == gdi::R2_BLACK)
        c = Qt::black;
    else if (m_state.rop2 == gdi::R2_WHITE)
        c = Qt::white;
    QPen pen(c);
    // As GDI: the device width is the pen's width along the logical x axis.
    // Thinner than a pixel it is GDI's least width, one pixel, when drawn
    // plainly; drawn smoothly it stays the faint line a scaled-down drawing
    // shows.
    const QTransform t = transform();
    const double w = g.width > 0 ? g.width * std::hypot(t.m11(), t.m12()) : 0;
    const double wDev = std::min(w * m_deviceScale, m_maxDevice);
    const bool thin = !(wDev >= 1); // also a width that is not a number
    if (thin)
        pen.setWidthF(std::isfinite(wDev) && m_p.testRenderHint(QPainter::Antialiasing) ? wDev / m_deviceScale : 0);
    else
        pen.setWidthF(wDev / m_deviceScale);
    const bool styled = style == gdi::PS_DASH || style == gdi::PS_DOT || style == gdi::PS_DASHDOT
        || style == gdi::PS_DASHDOTDOT || style == gdi::PS_ALTERNATE;
    if (styled && (g.extended ? thin : wDev < 2)) {
        // A one-pixel pen dashes in device pixels.
        pen.setWidthF(0);
        pen.setDashPattern(thinDashes(style));
        pen.setCapStyle(Qt::FlatCap);
        return pen;
    }
    // Pens of CreatePen wider than one pixel draw solid; geometric pens
    // keep their dashes, scaled by the width.
    switch (g.extended ? style : gdi::PS_SOLID) {
    case gdi::PS_DASH: pen.setStyle(Qt::DashLine); break;
    case gdi::PS_DOT:
    case gdi::PS_ALTERNATE: pen.setStyle(Qt::DotLine); break;
    case gdi::PS_DASHDOT: pen.setStyle(Qt::DashDotLine); break;
    case gdi::PS_DASHDOTDOT: pen.setStyle(Qt::DashDotDotLine); break;
    default: pen.setStyle(Qt::SolidLine); break;
    }
    switch (g.style & 0x0F00) {
    case 0x100: pen.setCapStyle(Qt::SquareCap); break;
    case 0x200: pen.setCapStyle(Qt::FlatCap); break;
    default: pen.setCapStyle(Qt::RoundCap); break;
    }
    switch (g.style & 0xF000) {
    case 0x1000: pen.setJoinStyle(Qt::BevelJoin); break;
    case 0x2000: pen.setJoinStyle(Qt::MiterJoin); break;
    default: pen.setJoinStyle(Qt::RoundJoin); break;
    }
    return pen;
}

QBrush GdiCanvas::makeBrush()
{
    const GdiBrush &b = m_state.brush;
    if (m_state.rop2 == gdi::R2_NOP)
        return Qt::NoBrush;
    switch (b.style) {
    case gdi::BS_NULL: return Qt::NoBrush;
    case gdi::BS_HATCHED: return QBrush(b.color, hatchStyle(b.hatch));
    case gdi::BS_PATTERN:
    case gdi::BS_DIBPATTERN:
    case gdi::BS_DIBPATTERNPT:
        if (!b.pattern.isNull())
            return QBrush(b.pattern);
        return QBrush(b.color);
    default: break;
    }
    QColor c = b.color;
    if (m_state.rop2 == gdi::R2_BLACK)
        c = Qt::black;
    else if (m_state.rop2 == gdi::R2_WHITE)
        c = Qt::white;
    return QBrush(c);
}

void GdiCanvas::applyClip()
{
    if (!m_clipDirty)
        return;
    m_clipDirty = false;
    if (!m_state.clipped) {
        if (m_hadClip)
            m_p.setClipPath(m_initialClip);
        else
            m_p.setClipping(false);
        return;
    }
    QPainterPath clip = m_state.clip;
    if (m_hadClip)
        clip = clip.intersected(m_initialClip);
    m_p.setClipPath(clip);
}

QPainterPath GdiCanvas::logicalToDevice(const QPainterPath &p)
{
    return transform().map(p);
}

void GdiCanvas::drawDevicePath(QPainterPath path, bool fill, bool stroke)
{
    QPen pen = stroke ? makePen() : QPen(Qt::NoPen);
    QBrush brush = fill ? makeBrush() : QBrush(Qt::NoBrush);
    if (pen.style() == Qt::NoPen && brush.style() == Qt::NoBrush)
        return;
    const QRectF bounds = path.controlPointRect();
    if (!sane(bounds))
        return;
    // Dashing a huge outline costs time for nothing the target can show.
    if (pen.style() != Qt::SolidLine && pen.style() != Qt::NoPen && bounds.width() + bounds.height() > 100000) {
        pen.setStyle(Qt::SolidLine);
        pen.setDashPattern(QList<qreal>());
    }
    applyClip();
    path.setFillRule(m_state.polyFillMode == gdi::WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    if (brush.style() != Qt::NoBrush) {
        if (brush.style() >= Qt::HorPattern && brush.style() <= Qt::DiagCrossPattern
            && m_state.bkMode == gdi::OPAQUE)
            m_p.fillPath(path, m_state.bkColor);
        if (brush.style() == Qt::TexturePattern)
            brush.setTransform(QTransform::fromTranslate(transform().dx(), transform().dy()));
        m_p.fillPath(path, brush);
    }
    if (pen.style() != Qt::NoPen) {
        if (bounds.width() == 0 && bounds.height() == 0 && pen.widthF() > 1 / m_deviceScale) {
            // A stroke of one point: GDI draws its cap, which Qt leaves out.
            const double r = pen.widthF() / 2;
            const QRectF dot(bounds.center() - QPointF(r, r), QSizeF(2 * r, 2 * r));
            QPainterPath cap;
            if (pen.capStyle() == Qt::RoundCap)
                cap.addEllipse(dot);
            else if (pen.capStyle() == Qt::SquareCap)
                cap.addRect(dot);
            m_p.fillPath(cap, pen.brush());
        } else {
            m_p.strokePath(path, pen);
        }
    }
    ++m_primitives;
    // A stroke covers half its width (half a pixel for a thin pen) around
    // the path: a flat line still covers an area.
    const qreal grow = pen.style() == Qt::NoPen ? 0 : std::max(pen.widthF(), 1 / m_deviceScale) / 2;
    noteDrawn(bounds.adjusted(-grow, -grow, grow, grow));
}

void GdiCanvas::polygon(const QPolygonF &points)
{
    if (points.size() < 2)
        return;
    QPainterPath path;
    path.addPolygon(points);
    path.closeSubpath();
    if (m_inPath) {
        m_path.addPath(path);
        return;
    }
    drawDevicePath(logicalToDevice(path), true, true);
}

void GdiCanvas::polyPolygon(const std::vector<QPolygonF> &polys)
{
    QPainterPath path;
    for (const QPolygonF &poly : polys) {
        if (poly.size() < 2)
            continue;
        path.addPolygon(poly);
        path.closeSubpath();
    }
    if (m_inPath) {
        m_path.addPath(path);
        return;
    }
    if (!path.isEmpty())
        drawDevicePath(logicalToDevice(path), true, true);
}

void GdiCanvas::polyline(const QPolygonF &points)
{
    if (points.size() < 2)
        return;
    QPainterPath path;
    path.addPolygon(points);
    if (m_inPath) {
        m_path.addPath(path);
        return;
    }
    drawDevicePath(logicalToDevice(path), false, true);
}

void GdiCanvas::polyPolyline(const std::vector<QPolygonF> &lines)
{
    for (const QPolygonF &l : lines)
        polyline(l);
}

void GdiCanvas::polyBezier(const QPolygonF &points, bool fromCurrent)
{
    QPainterPath path;
    int i = 0;
    if (fromCurrent) {
        if (m_inPath && m_path.elementCount() > 0)
            path.moveTo(m_path.currentPosition());
        else
            path.moveTo(m_state.current);
    } else {
        if (points.isEmpty())
            return;
        path.moveTo(points[0]);
        i = 1;
    }
    for (; i + 2 < points.size(); i += 3)
        path.cubicTo(points[i], points[i + 1], points[i + 2]);
    if (path.elementCount() > 0)
        m_state.current = path.currentPosition();
    if (m_inPath) {
        if (fromCurrent && m_path.elementCount() > 0) {
            for (int k = 1; k < path.elementCount(); k += 3)
                if (k + 2 < path.elementCount())
                    m_path.cubicTo(path.elementAt(k), path.elementAt(k + 1), path.elementAt(k + 2));
        } else {
            m_path.addPath(path);
        }
        return;
    }
    drawDevicePath(logicalToDevice(path), false, true);
}

void GdiCanvas::polylineTo(const QPolygonF &points)
{
    if (points.isEmpty())
        return;
    if (m_inPath) {
        if (m_path.elementCount() == 0)
            m_path.moveTo(m_state.current);
        for (const QPointF &p : points)
            m_path.lineTo(p);
        m_state.current = points.last();
        return;
    }
    QPolygonF all;
    all.reserve(points.size() + 1);
    all << m_state.current << points;
    m_state.current = points.last();
    QPainterPath path;
    path.addPolygon(all);
    drawDevicePath(logicalToDevice(path), false, true);
}

void GdiCanvas::moveTo(QPointF p)
{
    m_state.current = p;
    if (m_inPath)
        m_path.moveTo(p);
}

void GdiCanvas::lineTo(QPointF p)
{
    if (m_inPath) {
        if (m_path.elementCount() == 0)
            m_path.moveTo(m_state.current);
        m_path.lineTo(p);
        m_state.current = p;
        return;
    }
    QPainterPath path;
    path.moveTo(m_state.current);
    path.lineTo(p);
    m_state.current = p;
    drawDevicePath(logicalToDevice(path), false, true);
}

void GdiCanvas::rectangle(const QRectF &r)
{
    if (r.width() == 0 || r.height() == 0)
        return; // GDI draws nothing for an empty rectangle
    QPainterPath path;
    path.addRect(r.normalized());
    if (m_inPath) {
        m_path.addPath(path);
        return;
    }
    drawDevicePath(logicalToDevice(path), true, true);
}

void GdiCanvas::roundRect(const QRectF &r, double cornerW, double cornerH)
{
    if (r.width() == 0 || r.height() == 0)
        return; // GDI draws nothing for an empty rectangle
    QPainterPath path;
    path.addRoundedRect(r.normalized(), std::abs(cornerW) / 2, std::abs(cornerH) / 2);
    if (m_inPath) {
        m_path.addPath(path);
        return;
    }
    drawDevicePath(logicalToDevice(path), true, true);
}

void GdiCanvas::ellipse(const QRectF &r)
{
    if (r.width() == 0 || r.height() == 0)
        return; // GDI draws nothing for an empty rectangle
    QPainterPath path;
    path.addEllipse(r.normalized());
    if (m_inPath) {
        m_path.addPath(path);
        return;
    }
    drawDevicePath(logicalToDevice(path), true, true);
}

void GdiCanvas::arc(const QRectF &rect, QPointF start, QPointF end, ArcKind kind)
{
    const QRectF r = rect.normalized();
    if (r.width() <= 0 || r.height() <= 0)
        return;
    const QPointF c = r.center();
    // Angles in Qt's convention (counter-clockwise on a y-down screen).
    auto angleOf = [&](QPointF p) {
        const double dx = (p.x() - c.x()) / r.width();
        const double dy = (p.y() - c.y()) / r.height();
        return std::atan2(-dy, dx) * 180.0 / M_PI;
    };
    const double a0 = normDeg(angleOf(start));
    const double a1 = normDeg(angleOf(end));
    // GDI draws counter-clockwise as seen on the device; a flipped mapping
    // reverses the sense in logical space.
    bool ccw = !m_state.clockwiseArcs;
    if (transform().determinant() < 0)
        ccw = !ccw;
    double sweep = ccw ? normDeg(a1 - a0) : -normDeg(a0 - a1);
    if (sweep == 0)
        sweep = ccw ? 360 : -360;

    QPainterPath path;
    if (kind == ArcKind::Pie) {
        path.moveTo(c);
        path.arcTo(r, a0, sweep);
        path.closeSubpath();
    } else {
        path.arcMoveTo(r, a0);
        if (kind == ArcKind::ArcTo) {
            QPainterPath lead;
            lead.moveTo(m_state.current);
            lead.lineTo(path.currentPosition());
            path = lead;
        }
        path.arcTo(r, a0, sweep);
        if (kind == ArcKind::Chord)
            path.closeSubpath();
    }
    if (kind == ArcKind::ArcTo)
        m_state.current = path.currentPosition();
    if (m_inPath) {
        m_path.addPath(path);
        return;
    }
    const bool fill = kind == ArcKind::Chord || kind == ArcKind::Pie;
    drawDevicePath(logicalToDevice(path), fill, true);
}

void GdiCanvas::setPixel(QPointF p, const QColor &c)
{
    const QPointF d = transform().map(p);
    if (!sane(QRectF(d, QSizeF(1, 1))))
        return;
    applyClip();
    const double s = std::max(1.0, lengthScale());
    m_p.fillRect(QRectF(d, QSizeF(s, s)), c);
    ++m_primitives;
    noteDrawn(QRectF(d, QSizeF(s, s)));
}

QFont GdiCanvas::makeFont(double xScale, double yScale, double &pixelSize)
{
    const GdiFont &f = m_state.font;
    QFont font(f.face.isEmpty() ? QStringLiteral("Arial") : f.face);
    const double h = f.height == 0 ? 12.0 : std::abs(double(f.height));
    double px = std::clamp(h * yScale, 0.5, kCoordLimit);
    font.setWeight(QFont::Weight(std::clamp(f.weight <= 0 ? 400 : f.weight, 100, 900)));
    font.setItalic(f.italic);
    font.setUnderline(f.underline);
    font.setStrikeOut(f.strikeOut);
    // Metrics of large sizes are taken at a modest size and scaled: the
    // font engine is never asked for a size it would have to render huge.
    const int probePx = std::clamp(int(std::lround(px)), 1, kPathFontPixels);
    QFont probe = font;
    probe.setPixelSize(probePx);
    if (f.height > 0) {
        // A positive height is the cell height; the font's em is smaller.
        const QFontMetricsF fm(probe);
        if (fm.height() > 0)
            px = px * probePx / fm.height();
    }
    font.setPixelSize(std::max(1, int(std::lround(px))));
    if (f.width > 0) {
        probe.setPixelSize(std::clamp(font.pixelSize(), 1, kPathFontPixels));
        const QFontMetricsF fm(probe);
        const double avg = fm.averageCharWidth() * font.pixelSize() / probe.pixelSize();
        if (avg > 0)
            font.setStretch(std::clamp(int(std::lround(100.0 * f.width * xScale / avg)), 1, 4000));
    } else if (yScale > 0 && std::abs(xScale / yScale - 1) > 0.01) {
        // A picture stretched unevenly stretches its text with it.
        font.setStretch(std::clamp(int(std::lround(100.0 * xScale / yScale)), 1, 4000));
    }
    font.setHintingPreference(QFont::PreferNoHinting);
    pixelSize = px;
    return font;
}

void GdiCanvas::text(QPointF p, const QString &str, int options, const QRectF &rect, const std::vector<double> &dx)
{
    if (m_state.rop2 == gdi::R2_NOP)
        return;
    const QTransform t = transform();
    const int align = m_state.textAlign;
    const bool updateCp = align & gdi::TA_UPDATECP;
    if (updateCp)
        p = m_state.current;
    // Writers store the rectangle either way round.
    const QRectF box = rect.normalized();

    applyClip();
    if ((options & gdi::ETO_OPAQUE) && box.isValid()) {
        QPainterPath rp;
        rp.addRect(box);
        const QPainterPath d = t.map(rp);
        if (sane(d.controlPointRect())) {
            m_p.fillPath(d, m_state.bkColor);
            noteDrawn(d.controlPointRect());
        }
    }
    if (str.isEmpty())
        return;

    const QPointF origin = t.map(p);
    const QPointF xAxis = t.map(p + QPointF(1, 0)) - origin;
    const QPointF yAxis = t.map(p + QPointF(0, 1)) - origin;
    const double xScale = std::hypot(xAxis.x(), xAxis.y());
    const double yScale = std::hypot(yAxis.x(), yAxis.y());
    if (!sane(QRectF(origin, QSizeF(1, 1))) || !std::isfinite(xScale) || !std::isfinite(yScale))
        return;
    double px = 0;
    QFont font = makeFont(xScale, yScale, px);
    // Letters far larger than the target are drawn as outlines made at a
    // modest size and scaled (k), so no glyph image grows with them.
    const double stretch = font.stretch() > 0 ? std::max(1.0, font.stretch() / 100.0) : 1.0;
    const double glyphDevice = font.pixelSize() * stretch * m_deviceScale;
    double k = 1;
    if (glyphDevice > m_maxDevice) {
        if (glyphDevice > kCoordLimit)
            return; // beyond anything a device shows
        k = double(font.pixelSize()) / kPathFontPixels;
        font.setPixelSize(kPathFontPixels);
    }
    const QFontMetricsF fm(font);
    const double scale = xScale;

    // Advances in device units.
    std::vector<double> adv(size_t(str.size()));
    const bool haveDx = dx.size() >= size_t(str.size());
    double total = 0;
    for (qsizetype i = 0; i < str.size(); ++i) {
        adv[size_t(i)] = haveDx ? dx[size_t(i)] * scale : fm.horizontalAdvance(str.at(i)) * k;
        total += adv[size_t(i)];
    }
    if (!haveDx)
        total = fm.horizontalAdvance(str) * k;
    const double ascent = fm.ascent() * k, descent = fm.descent() * k, height = fm.height() * k;

    // The baseline direction on the target: the logical x axis mapped,
    // turned by the escapement. Text stays upright on flipped axes.
    double angle = std::atan2(xAxis.y(), xAxis.x()) * 180.0 / M_PI;
    if (xAxis.x() < 0 && std::abs(xAxis.y()) < 1e-9)
        angle = 0; // mirrored x: GDI still writes left to right
    angle -= m_state.font.escapement / 10.0;

    double x0 = 0;
    switch (align & gdi::TA_CENTER) {
    case gdi::TA_CENTER: x0 = -total / 2; break;
    case gdi::TA_RIGHT: x0 = -total; break;
    default: break;
    }
    double y0 = 0;
    switch (align & gdi::TA_BASELINE) {
    case gdi::TA_BASELINE: y0 = 0; break;
    case gdi::TA_BOTTOM: y0 = -descent; break;
    default: y0 = ascent; break;
    }

    if (options & gdi::ETO_CLIPPED && box.isValid()) {
        QPainterPath rp;
        rp.addRect(box);
        QPainterPath clip = t.map(rp);
        if (m_state.clipped)
            clip = clip.intersected(m_state.clip);
        if (m_hadClip)
            clip = clip.intersected(m_initialClip);
        m_p.setClipPath(clip);
        m_clipDirty = true;
    }

    m_p.save();
    m_p.translate(origin);
    m_p.rotate(angle);
    if (m_state.bkMode == gdi::OPAQUE && !(options & gdi::ETO_OPAQUE))
        m_p.fillRect(QRectF(x0, y0 - ascent, total, height), m_state.bkColor);
    if (k != 1) {
        drawTextAsPath(font, k, str, x0, y0, adv, haveDx);
    } else {
        m_p.setFont(font);
        m_p.setPen(m_state.textColor);
        if (haveDx) {
            double x = x0;
            for (qsizetype i = 0; i < str.size(); ++i) {
                m_p.drawText(QPointF(x, y0), QString(str.at(i)));
                x += adv[size_t(i)];
            }
        } else {
            m_p.drawText(QPointF(x0, y0), str);
        }
    }
    m_p.restore();
    ++m_primitives;
    const QRectF cell(x0, y0 - ascent, total, height);
    noteDrawn(QTransform().translate(origin.x(), origin.y()).rotate(angle).mapRect(cell));

    if (updateCp && xScale > 0)
        m_state.current = p + QPointF(total / xScale, 0); // along the logical x axis
}

// The text's outlines at the font's (modest) size, scaled by k onto the
// painter: filled as a path, clipped to the device by the rasteriser.
void GdiCanvas::drawTextAsPath(const QFont &font, double k, const QString &str, double x0, double y0,
                               const std::vector<double> &adv, bool haveDx)
{
    QPainterPath glyphs;
    if (haveDx) {
        double x = x0;
        for (qsizetype i = 0; i < str.size(); ++i) {
            glyphs.addText(QPointF(x / k, y0 / k), font, QString(str.at(i)));
            x += adv[size_t(i)];
        }
    } else {
        glyphs.addText(QPointF(x0 / k, y0 / k), font, str);
    }
    m_p.scale(k, k);
    m_p.fillPath(glyphs, m_state.textColor);
}

void GdiCanvas::drawImageRop(const QImage &img, const QRectF &dev, quint32 rop)
{
    QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver;
    QImage src = img;
    switch (rop) {
    case gdi::SRCAND: mode = QPainter::RasterOp_SourceAndDestination; break;
    case gdi::SRCPAINT: mode = QPainter::RasterOp_SourceOrDestination; break;
    case gdi::SRCINVERT: mode = QPainter::RasterOp_SourceXorDestination; break;
    case gdi::NOTSRCCOPY: src.invertPixels(); break;
    default: break;
    }
    if (mode != QPainter::CompositionMode_SourceOver && !m_raster) {
        // Only the raster engine knows bitwise operations; elsewhere the OR
        // half of a mask pair is the picture and the AND half is dropped.
        if (rop == gdi::SRCAND)
            return;
        mode = QPainter::CompositionMode_SourceOver;
    }
    const QPainter::CompositionMode old = m_p.compositionMode();
    m_p.setCompositionMode(mode);
    m_p.drawImage(dev, src);
    m_p.setCompositionMode(old);
}

void GdiCanvas::flushPendingMask()
{
    if (!m_maskPending)
        return;
    m_maskPending = false;
    applyClip();
    drawImageRop(m_maskImage, m_maskDest, gdi::SRCAND);
    m_maskImage = QImage();
}

// A bitmap stretched far past the target keeps only the part that can reach
// it, resampled into an image no larger than the device: no engine is asked
// to scale it whole.
bool GdiCanvas::cutToView(QImage &img, QRectF &dev) const
{
    const double limit = m_maxDevice / m_deviceScale;
    if ((dev.width() <= limit && dev.height() <= limit) || !m_view.isValid())
        return true;
    const QRectF vis = dev.intersected(m_view.adjusted(-1, -1, 1, 1));
    if (vis.isEmpty())
        return false;
    const QSize pixels(std::max(1, int(std::ceil(vis.width() * m_deviceScale))),
                       std::max(1, int(std::ceil(vis.height() * m_deviceScale))));
    const double kx = img.width() / dev.width(), ky = img.height() / dev.height();
    const QRectF from((vis.left() - dev.left()) * kx, (vis.top() - dev.top()) * ky, vis.width() * kx, vis.height() * ky);
    QImage part(pixels, img.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    part.fill(Qt::transparent);
    QPainter q(&part);
    q.setRenderHint(QPainter::SmoothPixmapTransform, m_p.testRenderHint(QPainter::SmoothPixmapTransform));
    q.setCompositionMode(QPainter::CompositionMode_Source);
    q.drawImage(QRectF(QPointF(0, 0), QSizeF(pixels)), img, from);
    q.end();
    img = part;
    dev = vis;
    return true;
}

void GdiCanvas::blit(const QImage &srcImage, const QRectF &srcRect, const QRectF &dest, quint32 rop)
{
    if (m_state.rop2 == gdi::R2_NOP || srcImage.isNull())
        return;
    QRectF sr = srcRect.intersected(QRectF(srcImage.rect()));
    if (sr.isEmpty())
        return;
    // Map the destination; negative extents mirror the picture.
    const QTransform t = transform();
    const QPointF a = t.map(dest.topLeft());
    const QPointF b = t.map(dest.bottomRight());
    QRectF dev(std::min(a.x(), b.x()), std::min(a.y(), b.y()), std::abs(b.x() - a.x()), std::abs(b.y() - a.y()));
    if (dev.isEmpty() || !sane(dev))
        return;
    // Source pixels beyond what reaches the screen would only cost memory.
    QImage img = srcImage.copy(sr.toAlignedRect());
    const bool mirrorX = (b.x() < a.x()) != (srcRect.width() < 0);
    const bool mirrorY = (b.y() < a.y()) != (srcRect.height() < 0);
    if (mirrorX || mirrorY)
        img = img.mirrored(mirrorX, mirrorY);
    if (!cutToView(img, dev))
        return;

    if (m_maskPending) {
        if (rop == gdi::SRCPAINT && (m_maskDest.topLeft() - dev.topLeft()).manhattanLength() < 1.0
            && std::abs(m_maskDest.width() - dev.width()) < 1.0 && std::abs(m_maskDest.height() - dev.height()) < 1.0) {
            // The transparent-mask pair: white mask pixels keep the
            // background, the rest shows the picture.
            QImage mask = m_maskImage.convertToFormat(QImage::Format_RGB32)
                              .scaled(img.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
            QImage out = img.convertToFormat(QImage::Format_ARGB32);
            for (int y = 0; y < out.height(); ++y) {
                QRgb *o = reinterpret_cast<QRgb *>(out.scanLine(y));
                const QRgb *m = reinterpret_cast<const QRgb *>(mask.constScanLine(y));
                for (int x = 0; x < out.width(); ++x)
                    if (qGray(m[x]) >= 128)
                        o[x] = 0;
            }
            m_maskPending = false;
            m_maskImage = QImage();
            applyClip();
            m_p.drawImage(dev, out);
            ++m_primitives;
            noteDrawn(dev);
            return;
        }
        flushPendingMask();
    }
    if (rop == gdi::SRCAND) {
        m_maskPending = true;
        m_maskImage = img;
        m_maskDest = dev;
        return;
    }
    applyClip();
    drawImageRop(img, dev, rop);
    ++m_primitives;
    noteDrawn(dev);
}

void GdiCanvas::patBlt(const QRectF &dest, quint32 rop)
{
    QPainterPath path;
    path.addRect(dest.normalized());
    const QPainterPath d = logicalToDevice(path);
    if (!sane(d.controlPointRect()))
        return;
    applyClip();
    switch (rop) {
    case gdi::BLACKNESS: m_p.fillPath(d, Qt::black); break;
    case gdi::WHITENESS: m_p.fillPath(d, Qt::white); break;
    case gdi::PATCOPY: {
        const QBrush br = makeBrush();
        if (br.style() != Qt::NoBrush)
            m_p.fillPath(d, br);
        break;
    }
    case gdi::DSTINVERT:
    case gdi::PATINVERT:
        if (m_raster) {
            const QPainter::CompositionMode old = m_p.compositionMode();
            m_p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
            m_p.fillPath(d, rop == gdi::DSTINVERT ? QBrush(Qt::white) : makeBrush());
            m_p.setCompositionMode(old);
        }
        break;
    default: return;
    }
    ++m_primitives;
    noteDrawn(d.controlPointRect());
}

void GdiCanvas::intersectClip(const QRectF &r)
{
    QPainterPath rp;
    rp.addRect(r.normalized());
    const QPainterPath d = logicalToDevice(rp);
    if (m_state.clipped)
        m_state.clip = m_state.clip.intersected(d);
    else
        m_state.clip = d;
    m_state.clipped = true;
    m_clipDirty = true;
}

void GdiCanvas::excludeClip(const QRectF &r)
{
    QPainterPath rp;
    rp.addRect(r.normalized());
    const QPainterPath d = logicalToDevice(rp);
    if (!m_state.clipped) {
        QPainterPath all;
        all.addRect(m_limit);
        m_state.clip = all;
        m_state.clipped = true;
    }
    m_state.clip = m_state.clip.subtracted(d);
    m_clipDirty = true;
}

void GdiCanvas::offsetClip(QPointF d)
{
    if (!m_state.clipped)
        return;
    const QTransform t = transform();
    const QPointF off = t.map(d) - t.map(QPointF(0, 0));
    m_state.clip.translate(off);
    m_clipDirty = true;
}

void GdiCanvas::resetClip()
{
    m_state.clipped = false;
    m_state.clip = QPainterPath();
    m_clipDirty = true;
}

void GdiCanvas::setClipPathDevice(const QPainterPath &devicePath, int mode)
{
    // RGN_AND 1, RGN_OR 2, RGN_XOR 3, RGN_DIFF 4, RGN_COPY 5
    if (!m_state.clipped && mode != 5) {
        if (mode == 1 || mode == 4) {
            QPainterPath all;
            all.addRect(m_limit);
            m_state.clip = all;
        } else {
            m_state.clip = QPainterPath();
        }
    }
    switch (mode) {
    case 1: m_state.clip = m_state.clip.intersected(devicePath); break;
    case 2: m_state.clip = m_state.clip.united(devicePath); break;
    case 3: m_state.clip = m_state.clip.united(devicePath).subtracted(m_state.clip.intersected(devicePath)); break;
    case 4: m_state.clip = m_state.clip.subtracted(devicePath); break;
    default: m_state.clip = devicePath; break;
    }
    m_state.clipped = true;
    m_clipDirty = true;
}

void GdiCanvas::beginPath()
{
    m_inPath = true;
    m_path = QPainterPath();
}

void GdiCanvas::abortPath()
{
    m_inPath = false;
    m_path = QPainterPath();
}

void GdiCanvas::closeFigure()
{
    if (m_inPath)
        m_path.closeSubpath();
}

void GdiCanvas::fillPath(bool fill, bool stroke)
{
    m_inPath = false;
    if (m_path.isEmpty())
        return;
    drawDevicePath(logicalToDevice(m_path), fill, stroke);
    m_path = QPainterPath();
}

void GdiCanvas::selectClipPath(int mode)
{
    m_inPath = false;
    QPainterPath d = logicalToDevice(m_path);
    d.setFillRule(m_state.polyFillMode == gdi::WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    setClipPathDevice(d, mode);
    m_path = QPainterPath();
}

} // namespace vz::mf
