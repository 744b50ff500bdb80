#include "metafile/EmfPlusPlayer.h"

#include "metafile/EmfPlayer.h"
#include "metafile/EmfPlusObjects.h"
#include "metafile/WmfPlayer.h"

#include <QFontMetricsF>
#include <QTextLayout>
#include <QVarLengthArray>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <unordered_map>

namespace vz::mf {

using namespace emfplus;

namespace {

// Device coordinates beyond this distance from the target come from broken
// transforms: such shapes are not drawn.
constexpr double kCoordLimit = 1 << 22;
constexpr size_t kMaxStack = 1024;
constexpr int kMaxImageDepth = 3;
// Metafile images drawn under one top-level picture, nested ones included:
// a picture that draws a picture many times over stops growing here.
constexpr int kMaxNestedPlays = 256;

thread_local int t_depth = 0;

// A transform no real one equals: the painter's is set again.
QTransform unset()
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    return QTransform(nan, nan, nan, nan, nan, nan);
}
thread_local int t_nestedPlays = 0;

bool finite(const QTransform &t)
{
    return std::isfinite(t.m11()) && std::isfinite(t.m12()) && std::isfinite(t.m21()) && std::isfinite(t.m22())
        && std::isfinite(t.dx()) && std::isfinite(t.dy());
}

bool finite(const QRectF &r)
{
    return std::isfinite(r.x()) && std::isfinite(r.y()) && std::isfinite(r.width()) && std::isfinite(r.height());
}

// A cardinal spline through `pts` as Bezier segments.
QPainterPath cardinal(const QPolygonF &pts, double tension, bool closed, int first, int segments)
{
    QPainterPath path;
    const int n = int(pts.size());
    if (n < 2)
        return path;
    const double t = (std::isfinite(tension) ? std::clamp(tension, 0.0, 10.0) : 0.5) / 3.0;
    auto at = [&](int i) {
        if (closed)
            return pts[((i % n) + n) % n];
        return pts[std::clamp(i, 0, n - 1)];
    };
    const int total = closed ? n : n - 1;
    first = std::clamp(first, 0, total);
    const int last = segments < 0 ? total : std::min(total, first + segments);
    path.moveTo(at(first));
    for (int i = first; i < last; ++i) {
        const QPointF p0 = at(i - 1), p1 = at(i), p2 = at(i + 1), p3 = at(i + 2);
        path.cubicTo(p1 + t * (p2 - p0), p2 - t * (p3 - p1), p2);
    }
    if (closed)
        path.closeSubpath();
    return path;
}

QPainterPath piePath(const QRectF &r, double start, double sweep, bool pie)
{
    QPainterPath path;
    // Angles run clockwise on the page, Qt's counter-clockwise.
    if (pie) {
        path.moveTo(r.center());
        path.arcTo(r, -start, -sweep);
        path.closeSubpath();
    } else {
        path.arcMoveTo(r, -start);
        path.arcTo(r, -start, -sweep);
    }
    return path;
}

// Whether `t` keeps shapes (turns, mirrors and scales alike in x and y):
// then a pen is the same pen in device pixels.
bool conformal(const QTransform &t)
{
    if (t.type() == QTransform::TxProject)
        return false;
    const double a = t.m11(), b = t.m12(), c = t.m21(), d = t.m22();
    const double s1 = a * a + b * b, s2 = c * c + d * d;
    const double eps = 1e-9 * std::max(s1, s2);
    return std::abs(s1 - s2) <= eps && std::abs(a * c + b * d) <= eps;
}

bool hasCurves(const QPainterPath &path)
{
    for (int i = 0, n = path.elementCount(); i < n; ++i)
        if (path.elementAt(i).type == QPainterPath::CurveToElement)
            return true;
    return false;
}

// Adds a closed piece to a polygon that is filled with the winding rule:
// later pieces hang on the first one's start by a seam walked there and
// back, which adds nothing to the winding anywhere.
void addPiece(QPolygonF &out, const QPointF *pts, qsizetype n)
{
    const bool first = out.isEmpty();
    const QPointF anchor = first ? pts[0] : out.front();
    out.reserve(out.size() + n + 2);
    for (qsizetype i = 0; i < n; ++i)
        out.append(pts[i]);
    out.append(pts[0]);
    if (!first)
        out.append(anchor);
}

// The outline a mitred pen of half width `h` paints along a closed
// polygon, added to `out` (see addPiece). Each edge contributes a band
// between its two offsets, cut where it meets the next band: at the corner
// bisector where the join stays within the edges beside it, else square at
// the corner, with the miter wedge added on its own. Every piece winds the
// same way, so the fill is their union, which is the stroker's outline for
// concave and self-crossing shapes alike, at a fraction of its edges. False,
// with `out` untouched, for a corner beyond the miter limit or one that
// turns right back: the stroker handles those.
bool mitredOutline(const QPolygonF &in, double h, double miterLimit, QPolygonF &out)
{
    QVarLengthArray<QPointF, 64> poly;
    poly.reserve(in.size());
    for (const QPointF &pt : in)
        if (poly.isEmpty() || pt != poly.back())
            poly.append(pt);
    while (poly.size() > 1 && poly.front() == poly.back())
        poly.removeLast();
    const qsizetype n = poly.size();
    if (n < 3 || n > 65536 || !(h > 0) || !std::isfinite(h))
        return false;
    struct Corner
    {
        QPointF n1, n2; // unit normals left of the edges before and after
        QPointF miter;  // from the corner to where the left offsets meet
        double reach;   // how far along its edges the cut at the bisector reaches
        double length;  // of the edge after
        bool left;      // the miter wedge is on the left
        bool square;    // the bands end square here, the wedge apart
    };
    QVarLengthArray<Corner, 64> c(n);
    const double limit2 = miterLimit * miterLimit;
    QPointF e1 = poly[0] - poly[n - 1];
    double l1 = std::sqrt(e1.x() * e1.x() + e1.y() * e1.y());
    for (qsizetype i = 0; i < n; ++i) {
        const QPointF e2 = poly[i + 1 < n ? i + 1 : 0] - poly[i];
        const double l2 = std::sqrt(e2.x() * e2.x() + e2.y() * e2.y());
        if (!(l1 > 0) || !(l2 > 0) || !std::isfinite(l1) || !std::isfinite(l2))
            return false;
        Corner &k = c[i];
        k.n1 = QPointF(-e1.y() / l1, e1.x() / l1);
        k.n2 = QPointF(-e2.y() / l2, e2.x() / l2);
        const double cosTurn = k.n1.x() * k.n2.x() + k.n1.y() * k.n2.y();
        // The miter is 1 / cos(turn / 2) half widths long.
        if (!(1 + cosTurn > 1e-9) || !(2 <= limit2 * (1 + cosTurn)))
            return false;
        k.miter = (k.n1 + k.n2) * (h / (1 + cosTurn));
        const double cross = k.n1.x() * k.n2.y() - k.n1.y() * k.n2.x();
        // Turning towards the left normal puts the wedge on the right.
        k.left = cross < 0;
        const double tanHalf = std::sqrt(std::max(0.0, 1 - cosTurn) / (1 + cosTurn));
        k.reach = h * std::max(std::abs(cross), tanHalf);
        k.length = l2;
        k.square = false;
        e1 = e2;
        l1 = l2;
    }
    // A cut at the bisector may not pass the next corner's: where two would,
    // the farther reaching corner is cut square instead.
    for (qsizetype i = 0; i < n; ++i) {
        Corner &a = c[i], &b = c[i + 1 < n ? i + 1 : 0];
        if (a.length >= a.reach + b.reach)
            continue;
        Corner &far = a.reach >= b.reach ? a : b;
        far.square = true;
        far.reach = 0;
        if (a.length < a.reach + b.reach) {
            Corner &other = &far == &a ? b : a;
            other.square = true;
            other.reach = 0;
        }
    }
    qsizetype first = -1;
    for (qsizetype i = 0; i < n && first < 0; ++i)
        if (c[i].square)
            first = i;
    QVarLengthArray<QPointF, 128> piece;
    if (first < 0) {
        // One ring: the left offsets forward, then the right ones back.
        piece.resize(n);
        for (qsizetype i = 0; i < n; ++i)
            piece[i] = poly[i] + c[i].miter;
        addPiece(out, piece.data(), n);
        for (qsizetype i = 0; i < n; ++i)
            piece[i] = poly[n - 1 - i] - c[n - 1 - i].miter;
        addPiece(out, piece.data(), n);
        return true;
    }
    // Runs of bands from one square corner to the next, each closed across
    // its square ends, and the wedges of the square corners.
    QVarLengthArray<QPointF, 64> back;
    for (qsizetype s = first, done = 0; done < n;) {
        piece.clear();
        back.clear();
        piece.append(poly[s] + c[s].n2 * h);
        back.append(poly[s] - c[s].n2 * h);
        qsizetype i = s + 1 < n ? s + 1 : 0;
        ++done;
        while (!c[i].square) {
            piece.append(poly[i] + c[i].miter);
            back.append(poly[i] - c[i].miter);
            i = i + 1 < n ? i + 1 : 0;
            ++done;
        }
        piece.append(poly[i] + c[i].n1 * h);
        piece.append(poly[i] - c[i].n1 * h);
        for (qsizetype j = back.size(); j-- > 0;)
            piece.append(back[j]);
        addPiece(out, piece.data(), piece.size());
        s = i;
    }
    for (qsizetype i = 0; i < n; ++i) {
        const Corner &k = c[i];
        if (!k.square)
            continue;
        // Wound as the bands are: against the edge on its left side.
        const QPointF b = poly[i];
        const QPointF wedge[4] = {b, k.left ? b + k.n1 * h : b - k.n2 * h, k.left ? b + k.miter : b - k.miter,
                                  k.left ? b + k.n2 * h : b - k.n1 * h};
        addPiece(out, wedge, 4);
    }
    return true;
}

struct Clip
{
    bool infinite = true;
    QPainterPath path; // EMF+ device coordinates
};

struct GState
{
    QTransform world; // within the container
    QTransform base;  // the container's own transform
    int pageUnit = UnitDisplay;
    double pageScale = 1;
    Clip clip;
    Clip containerClip;
    bool antialias = false;
    bool textAntialias = true;
    bool smoothImages = true;
    bool sourceCopy = false;
};

struct StackEntry
{
    quint32 id;
    GState state;
};

struct Pending
{
    int type = 0;
    qint64 total = 0;
    QByteArray bytes;
};

} // namespace

struct EmfPlusPlayer::Impl
{
    const EmfDocument &doc;
    const EmfPlusStream &stream;
    QPainter &p;
    QRectF target;
    QTransform orig;       // the caller's painter transform
    QTransform outer;      // EMF+ device pixels to target
    bool origAntialias = false, origTextAntialias = true, origSmooth = false;
    bool hadClip = false;
    QPainterPath initialClip; // the caller's, in target coordinates
    QRectF limit;
    QRectF deviceArea; // the painter's device, empty when unknown
    double targetSide = 1;
    double dpiX = 96, dpiY = 96;

    GState s;
    std::vector<StackEntry> stack;
    std::array<Object, kObjectSlots> objects;
    std::array<Pending, kObjectSlots> pending;
    std::unordered_map<int, std::pair<size_t, size_t>> byComment; // EMF record -> EMF+ records

    bool painterDirty = true; // transform and hints to be set again
    bool clipDirty = true;
    quint64 generation = 0;   // of the object table
    const QPainterPath *flatSource = nullptr;
    quint64 flatGeneration = 0;
    QTransform flatXf;
    QList<QPolygonF> flat;
    QTransform applied;
    QPolygonF ringBuffer; // reused by outlines filled as rings
    bool ended = false;
    int primitives = 0;
    QRectF drawnRect;

    Impl(const EmfDocument &d, const EmfPlusStream &st, QPainter &painter, const QRectF &t)
        : doc(d), stream(st), p(painter), target(t)
    {
        orig = p.worldTransform();
        origAntialias = p.testRenderHint(QPainter::Antialiasing);
        origTextAntialias = p.testRenderHint(QPainter::TextAntialiasing);
        origSmooth = p.testRenderHint(QPainter::SmoothPixmapTransform);
        hadClip = p.hasClipping();
        if (hadClip)
            initialClip = p.clipPath();
        dpiX = st.dpiX();
        dpiY = st.dpiY();
        // The frame at the EMF+ resolution is what maps onto the target.
        const QRect fh = doc.frameHiMetric();
        QRectF frame(QPointF(fh.left() * dpiX / 2540.0, fh.top() * dpiY / 2540.0),
                     QPointF(fh.right() * dpiX / 2540.0, fh.bottom() * dpiY / 2540.0));
        frame = frame.normalized();
        if (!(frame.width() > 0 && frame.height() > 0)) {
            const double k = dpiX / (doc.devicePixelsPerMm() * 25.4);
            const QRectF f = doc.frame();
            frame = QRectF(f.x() * k, f.y() * k, f.width() * k, f.height() * k);
        }
        if (frame.width() > 0 && frame.height() > 0) {
            const double sx = target.width() / frame.width(), sy = target.height() / frame.height();
            outer = QTransform(sx, 0, 0, sy, target.left() - frame.left() * sx, target.top() - frame.top() * sy);
        }
        limit = target.adjusted(-kCoordLimit, -kCoordLimit, kCoordLimit, kCoordLimit);
        if (const QPaintDevice *d = p.device(); d && d->width() > 0 && d->height() > 0)
            deviceArea = QRectF(0, 0, d->width(), d->height());
        const QRectF onDevice = orig.mapRect(target);
        targetSide = std::max({1.0, onDevice.width(), onDevice.height()});
        s.antialias = origAntialias;
        s.textAntialias = origTextAntialias;
        const auto &recs = stream.records();
        for (size_t i = 0; i < recs.size();) {
            size_t k = i;
            while (k < recs.size() && recs[k].emfIndex == recs[i].emfIndex)
                ++k;
            byComment[recs[i].emfIndex] = {i, k};
            i = k;
        }
    }

    // World to target coordinates.
    QTransform pageTransform() const
    {
        const int unit = s.pageUnit == UnitWorld ? UnitPixel : s.pageUnit;
        const double scale = std::isfinite(s.pageScale) && s.pageScale > 0 ? s.pageScale : 1;
        return QTransform::fromScale(unitToPixels(unit, dpiX) * scale, unitToPixels(unit, dpiY) * scale);
    }
    QTransform full() const { return s.world * s.base * pageTransform() * outer; }
    // World units per unit of `unit` (for pen widths and font sizes).
    double worldPer(int unit) const
    {
        if (unit == UnitWorld)
            return 1;
        const int pu = s.pageUnit == UnitWorld ? UnitPixel : s.pageUnit;
        const double page = unitToPixels(pu, dpiX) * (s.pageScale > 0 ? s.pageScale : 1);
        return unitToPixels(unit, dpiX) / page;
    }

    bool sane(const QRectF &worldBounds, const QTransform &t, QRectF *out = nullptr) const
    {
        if (!finite(worldBounds) || !finite(t))
            return false;
        const QRectF r = t.mapRect(worldBounds);
        if (!finite(r) || r.left() < limit.left() || r.top() < limit.top() || r.right() > limit.right()
            || r.bottom() > limit.bottom())
            return false;
        if (out)
            *out = r;
        return true;
    }

    // A shape wholly outside the painter's device draws nothing: a cheap
    // test spares Qt's stroker and rasteriser. `grow` is in target units.
    bool offDevice(const QRectF &dev, double grow) const
    {
        if (deviceArea.isEmpty())
            return false;
        const QRectF r = orig.mapRect(dev.adjusted(-grow, -grow, grow, grow));
        const double m = 2; // caps, joins and antialiasing reach a little further
        return r.right() < deviceArea.left() - m || r.left() > deviceArea.right() + m
            || r.bottom() < deviceArea.top() - m || r.top() > deviceArea.bottom() + m;
    }

    void applyClip()
    {
        if (hadClip) {
            p.setWorldTransform(orig);
            p.setClipPath(initialClip);
        }
        if (!s.clip.infinite) {
            p.setWorldTransform(outer * orig);
            p.setClipPath(s.clip.path, hadClip ? Qt::IntersectClip : Qt::ReplaceClip);
        } else if (!hadClip) {
            p.setClipping(false);
        }
    }

    // The painter set for drawing in world coordinates.
    void prepare()
    {
        if (clipDirty) {
            // Setting the clip is costly for complex outlines: only when it changed.
            applyClip();
            clipDirty = false;
            applied = unset();
        }
        if (painterDirty) {
            p.setRenderHint(QPainter::Antialiasing, s.antialias);
            p.setRenderHint(QPainter::TextAntialiasing, s.textAntialias);
            p.setRenderHint(QPainter::SmoothPixmapTransform, s.smoothImages);
            p.setCompositionMode(s.sourceCopy ? QPainter::CompositionMode_Source : QPainter::CompositionMode_SourceOver);
            painterDirty = false;
            applied = unset();
        }
        const QTransform t = full() * orig;
        if (t != applied) {
            p.setWorldTransform(t);
            applied = t;
        }
    }

    void stateChanged() { painterDirty = true; }
    void clipChanged() { clipDirty = true; }

    void noteDrawn(const QRectF &targetRect)
    {
        ++primitives;
        drawnRect = drawnRect.isNull() ? targetRect : drawnRect.united(targetRect);
    }

    template <typename T>
    const T *object(quint32 id) const
    {
        if (id >= quint32(kObjectSlots))
            return nullptr;
        return std::get_if<T>(&objects[id]);
    }

    bool brushFor(quint32 id, bool solid, QBrush &out) const
    {
        if (solid) {
            out = QBrush(argb(id));
            return true;
        }
        const Brush *b = object<Brush>(id);
        if (!b)
            return false;
        out = b->brush;
        if (b->deviceAligned) {
            const QTransform inv = (full() * orig).inverted();
            out.setTransform(inv);
        }
        return true;
    }

    // ---- drawing --------------------------------------------------------

    // A path's curves flattened in device pixels. The last object path is
    // kept: files fill and then outline the same path.
    const QList<QPolygonF> &flattened(const QPainterPath &path, const QTransform &dt, bool objectPath)
    {
        if (objectPath && flatSource == &path && flatGeneration == generation && flatXf == dt)
            return flat;
        flat = path.toSubpathPolygons(dt);
        flatSource = objectPath ? &path : nullptr;
        flatGeneration = generation;
        flatXf = dt;
        return flat;
    }

    // Flattened figures as a path again; those that come back to their
    // start are closed.
    static QPainterPath pathOf(const QList<QPolygonF> &figures, Qt::FillRule rule)
    {
        QPainterPath out;
        out.setFillRule(rule);
        for (const QPolygonF &poly : figures) {
            out.addPolygon(poly);
            if (poly.size() > 2 && poly.first() == poly.last())
                out.closeSubpath();
        }
        return out;
    }

    void fill(const QPainterPath &path, const QBrush &brush, bool objectPath = false)
    {
        QRectF dev;
        const QTransform t = full();
        if (brush.style() == Qt::NoBrush || !sane(path.controlPointRect(), t, &dev))
            return;
        if (offDevice(dev, 0)) {
            noteDrawn(dev);
            return;
        }
        prepare();
        if (brush.style() == Qt::SolidPattern && hasCurves(path)) {
            // Flattened in device pixels, so drawn without a transform.
            const QList<QPolygonF> &figures = flattened(path, t * orig, objectPath);
            p.setWorldTransform(QTransform());
            if (figures.size() == 1) {
                p.setPen(Qt::NoPen);
                p.setBrush(brush);
                p.drawPolygon(figures.front(), path.fillRule());
            } else {
                p.fillPath(pathOf(figures, path.fillRule()), brush);
            }
            p.setWorldTransform(applied);
        } else {
            p.fillPath(path, brush);
        }
        noteDrawn(dev);
    }

    bool penFor(quint32 id, QPen &pen, const Pen **src) const
    {
        const Pen *pp = object<Pen>(id);
        if (!pp)
            return false;
        pen = pp->pen;
        QBrush brush = pp->brush.brush;
        if (pp->brush.deviceAligned)
            brush.setTransform((full() * orig).inverted());
        pen.setBrush(brush);
        const double w = pp->width * worldPer(pp->unit);
        const QTransform t = full();
        const double scale = std::sqrt(std::abs(t.determinant()));
        const double device = w * scale;
        const double width = std::min(device, 4 * kCoordLimit) / scale;
        if (!std::isfinite(device) || device < 1.0 || !std::isfinite(width))
            pen.setWidthF(0); // one device pixel, as GDI+ draws thin pens
        else
            pen.setWidthF(width);
        *src = pp;
        return true;
    }

    // A solid mitred outline of closed straight figures filled as rings
    // (see mitredOutline); false, with nothing drawn, when some figure is open
    // or not one the rings cover exactly.
    bool fillMitredRings(const QList<QPolygonF> &figures, const QPen &pen)
    {
        const bool mitred = pen.joinStyle() == Qt::MiterJoin || pen.joinStyle() == Qt::SvgMiterJoin;
        if (pen.style() != Qt::SolidLine || !(pen.widthF() > 0) || !mitred)
            return false;
        const double h = pen.widthF() / 2;
        ringBuffer.clear();
        for (const QPolygonF &figure : figures) {
            // Only figures that come back to their start: the others have caps.
            if (figure.size() < 4 || figure.front() != figure.back()
                || !mitredOutline(figure, h, pen.miterLimit(), ringBuffer))
                return false;
        }
        if (ringBuffer.isEmpty())
            return false;
        fillWinding(ringBuffer, pen.brush());
        return true;
    }

    // One polygon filled with the winding rule, no outline.
    void fillWinding(const QPolygonF &poly, const QBrush &brush)
    {
        p.setPen(Qt::NoPen);
        p.setBrush(brush);
        p.drawPolygon(poly, Qt::WindingFill);
    }

    void stroke(const QPainterPath &path, quint32 penId, bool objectPath = false)
    {
        QPen pen;
        const Pen *src = nullptr;
        if (!penFor(penId, pen, &src))
            return;
        QRectF dev;
        const QTransform t = full();
        if (!sane(path.controlPointRect(), t, &dev))
            return;
        // Dashing an outline far larger than the target costs time for nothing.
        if (pen.style() != Qt::SolidLine && dev.width() + dev.height() > 100000)
            pen.setStyle(Qt::SolidLine);
        const double grow = pen.widthF() * std::sqrt(std::abs(t.determinant())) / 2;
        if (offDevice(dev, grow)) {
            noteDrawn(dev.adjusted(-grow, -grow, grow, grow));
            return;
        }
        prepare();
        if (pen.widthF() > 0 && hasCurves(path)) {
            // Qt's stroker offsets each curve piece by piece, many times slower
            // than stroking the curve flattened in device pixels.
            const QTransform dt = t * orig;
            const QList<QPolygonF> &flat = flattened(path, dt, objectPath);
            if (conformal(dt)) {
                // The same pen in device pixels, its brush kept in place.
                QPen devicePen = pen;
                devicePen.setWidthF(pen.widthF() * std::sqrt(std::abs(dt.determinant())));
                QBrush brush = pen.brush();
                if (brush.style() != Qt::SolidPattern) {
                    brush.setTransform(brush.transform() * dt);
                    devicePen.setBrush(brush);
                }
                p.setWorldTransform(QTransform());
                if (!fillMitredRings(flat, devicePen))
                    p.strokePath(pathOf(flat, path.fillRule()), devicePen);
                p.setWorldTransform(applied);
            } else {
                // A stretched pen: the flattened curve goes back to world
                // coordinates, where the pen has its shape.
                const QTransform back = dt.inverted();
                QList<QPolygonF> figures;
                figures.reserve(flat.size());
                for (const QPolygonF &poly : flat)
                    figures.append(back.map(poly));
                if (!fillMitredRings(figures, pen))
                    p.strokePath(pathOf(figures, path.fillRule()), pen);
            }
        } else {
            p.strokePath(path, pen);
        }
        if (src->start.shape != LineEnd::None || src->end.shape != LineEnd::None)
            lineEnds(path, pen, *src);
        noteDrawn(dev.adjusted(-grow, -grow, grow, grow));
    }

    // Polygons and rectangles go straight to QPainter's polygon and
    // rectangle calls: a QPainterPath for them costs several times more in
    // Qt's generic path filling and stroking.
    void fillPolygon(const QPolygonF &poly, Qt::FillRule rule, const QBrush &brush)
    {
        QRectF dev;
        if (brush.style() == Qt::NoBrush || !sane(poly.boundingRect(), full(), &dev))
            return;
        if (!offDevice(dev, 0)) {
            prepare();
            p.setPen(Qt::NoPen);
            p.setBrush(brush);
            p.drawPolygon(poly, rule);
        }
        noteDrawn(dev);
    }

    void fillRects(const QList<QRectF> &rects, const QBrush &brush)
    {
        if (rects.isEmpty() || brush.style() == Qt::NoBrush)
            return;
        QRectF bounds = rects.front();
        for (const QRectF &r : rects)
            bounds = QRectF(QPointF(std::min(bounds.left(), r.left()), std::min(bounds.top(), r.top())),
                            QPointF(std::max(bounds.right(), r.right()), std::max(bounds.bottom(), r.bottom())));
        QRectF dev;
        if (!sane(bounds, full(), &dev))
            return;
        if (!offDevice(dev, 0)) {
            prepare();
            for (const QRectF &r : rects)
                p.fillRect(r, brush);
        }
        noteDrawn(dev);
    }

    // An outline of straight pieces: a polyline, a closed polygon or
    // rectangles. Pens with line ends take the general path.
    void strokeStraight(const QPolygonF &poly, bool closed, const QList<QRectF> *rects, quint32 penId)
    {
        QPen pen;
        const Pen *src = nullptr;
        if (!penFor(penId, pen, &src))
            return;
        QRectF bounds = poly.boundingRect();
        if (rects && !rects->isEmpty()) {
            bounds = rects->front();
            for (const QRectF &r : *rects)
                bounds = QRectF(QPointF(std::min(bounds.left(), r.left()), std::min(bounds.top(), r.top())),
                                QPointF(std::max(bounds.right(), r.right()), std::max(bounds.bottom(), r.bottom())));
        }
        QRectF dev;
        const QTransform t = full();
        if (!sane(bounds, t, &dev))
            return;
        if (pen.style() != Qt::SolidLine && dev.width() + dev.height() > 100000)
            pen.setStyle(Qt::SolidLine);
        const double grow = pen.widthF() * std::sqrt(std::abs(t.determinant())) / 2;
        if (offDevice(dev, grow)) {
            noteDrawn(dev.adjusted(-grow, -grow, grow, grow));
            return;
        }
        // A wide mitred solid outline of closed shapes is filled as rings:
        // Qt's stroker builds a far more complex outline for the same pixels.
        const bool mitred = pen.joinStyle() == Qt::MiterJoin || pen.joinStyle() == Qt::SvgMiterJoin;
        // A flat box turns back on itself, where the stroker's miter limit
        // decides how far the ends reach: those stay with the stroker.
        const bool solidBoxes = rects && std::all_of(rects->begin(), rects->end(), [](const QRectF &r) {
            return r.width() > 0 && r.height() > 0;
        });
        if (pen.style() == Qt::SolidLine && pen.widthF() > 0 && mitred && solidBoxes && !s.antialias
            && (t * orig).type() <= QTransform::TxScale) {
            // Hard-edged box outlines under a plain scale: four bands per
            // box through the painter's rectangle fill, which rounds shared
            // edges alike so the bands meet without gaps.
            prepare();
            const double h = pen.widthF() / 2;
            for (const QRectF &r : *rects) {
                const QRectF out = r.adjusted(-h, -h, h, h), in = r.adjusted(h, h, -h, -h);
                if (!(in.width() > 0 && in.height() > 0)) {
                    p.fillRect(out, pen.brush());
                    continue;
                }
                p.fillRect(QRectF(QPointF(out.left(), out.top()), QPointF(out.right(), in.top())), pen.brush());
                p.fillRect(QRectF(QPointF(out.left(), in.bottom()), QPointF(out.right(), out.bottom())), pen.brush());
                p.fillRect(QRectF(QPointF(out.left(), in.top()), QPointF(in.left(), in.bottom())), pen.brush());
                p.fillRect(QRectF(QPointF(in.right(), in.top()), QPointF(out.right(), in.bottom())), pen.brush());
            }
            noteDrawn(dev.adjusted(-grow, -grow, grow, grow));
            return;
        }
        if (pen.style() == Qt::SolidLine && pen.widthF() > 0 && mitred && (closed || rects)) {
            ringBuffer.clear();
            bool ok = true;
            const double h = pen.widthF() / 2;
            if (rects)
                for (qsizetype i = 0; ok && i < rects->size(); ++i)
                    ok = mitredOutline(QPolygonF(rects->at(i)), h, pen.miterLimit(), ringBuffer);
            else
                ok = mitredOutline(poly, h, pen.miterLimit(), ringBuffer);
            if (ok) {
                prepare();
                fillWinding(ringBuffer, pen.brush());
                noteDrawn(dev.adjusted(-grow, -grow, grow, grow));
                return;
            }
        }
        {
            prepare();
            p.setPen(pen);
            p.setBrush(Qt::NoBrush);
            if (rects)
                p.drawRects(*rects);
            else if (closed)
                p.drawPolygon(poly);
            else
                p.drawPolyline(poly);
        }
        noteDrawn(dev.adjusted(-grow, -grow, grow, grow));
    }

    bool hasLineEnds(quint32 penId) const
    {
        const Pen *pp = object<Pen>(penId);
        return pp && (pp->start.shape != LineEnd::None || pp->end.shape != LineEnd::None);
    }

    void lineEnd(QPointF at, QPointF dir, const LineEnd &e, const QPen &pen)
    {
        const double len = std::hypot(dir.x(), dir.y());
        if (!(len > 0) || !std::isfinite(len) || e.shape == LineEnd::None)
            return;
        dir /= len;
        const QPointF n(-dir.y(), dir.x());
        const double w = std::max(pen.widthF(), 1.0 / std::max(1e-9, std::sqrt(std::abs(full().determinant()))));
        const double half = e.width * w / 2, h = e.height * w;
        QPainterPath shape;
        switch (e.shape) {
        case LineEnd::Arrow: {
            QPolygonF tri;
            tri << at << at - dir * h + n * half << at - dir * h - n * half << at;
            shape.addPolygon(tri);
            break;
        }
        case LineEnd::Round: shape.addEllipse(at, half, half); break;
        case LineEnd::Square: {
            QPolygonF sq;
            sq << at + (dir + n) * half << at + (-dir + n) * half << at + (-dir - n) * half << at + (dir - n) * half;
            sq << sq.first();
            shape.addPolygon(sq);
            break;
        }
        case LineEnd::Diamond: {
            QPolygonF dm;
            dm << at + dir * half << at + n * half << at - dir * half << at - n * half << at + dir * half;
            shape.addPolygon(dm);
            break;
        }
        default: break;
        }
        shape.closeSubpath();
        if (e.filled)
            p.fillPath(shape, pen.brush());
        else
            p.strokePath(shape, pen);
    }

    // Anchors at the ends of each open figure.
    void lineEnds(const QPainterPath &path, const QPen &pen, const Pen &src)
    {
        const int n = path.elementCount();
        int start = 0;
        while (start < n) {
            int end = start + 1;
            while (end < n && path.elementAt(end).type != QPainterPath::MoveToElement)
                ++end;
            const int last = end - 1;
            if (last > start) {
                const QPointF a = path.elementAt(start), a1 = path.elementAt(start + 1);
                const QPointF b = path.elementAt(last), b1 = path.elementAt(last - 1);
                if (a != b || last - start < 2) {
                    lineEnd(a, a - a1, src.start, pen);
                    lineEnd(b, b - b1, src.end, pen);
                }
            }
            start = end;
        }
    }

    void drawImage(const Image &img, QRectF src, int srcUnit, QPointF p0, QPointF p1, QPointF p2)
    {
        if (srcUnit != UnitPixel && srcUnit != UnitWorld && srcUnit != UnitDisplay) {
            const double k = unitToPixels(srcUnit, 96);
            src = QRectF(src.x() * k, src.y() * k, src.width() * k, src.height() * k);
        }
        if (!finite(src) || std::abs(src.width()) < 1e-6 || std::abs(src.height()) < 1e-6)
            return;
        const QTransform m((p1.x() - p0.x()) / src.width(), (p1.y() - p0.y()) / src.width(),
                           (p2.x() - p0.x()) / src.height(), (p2.y() - p0.y()) / src.height(), 0, 0);
        const QTransform toDest = m * QTransform::fromTranslate(p0.x(), p0.y());
        const QTransform place = QTransform::fromTranslate(-src.x(), -src.y()) * toDest;
        QRectF dev;
        if (!sane(src, place * full(), &dev))
            return;
        prepare();
        if (!img.bitmap.isNull()) {
            const QRectF visible = src.normalized().intersected(img.bounds);
            if (visible.isEmpty())
                return;
            p.setWorldTransform(place * full() * orig);
            p.drawImage(visible, img.bitmap, visible);
            applied = unset();
            noteDrawn(dev);
            return;
        }
        if (t_depth >= kMaxImageDepth || t_nestedPlays >= kMaxNestedPlays)
            return;
        ++t_nestedPlays;
        ++t_depth;
        p.save();
        p.setWorldTransform(place * full() * orig);
        p.setClipRect(src.normalized(), Qt::IntersectClip);
        if (img.emf)
            playEmf(*img.emf, p, img.bounds);
        else if (img.wmf)
            playWmf(*img.wmf, p, img.bounds);
        p.restore();
        --t_depth;
        painterDirty = true;
        clipDirty = true;
        noteDrawn(dev);
    }

    QFont makeFont(const Font &f, int pixels) const
    {
        QFont font(f.family.isEmpty() ? QStringLiteral("Arial") : f.family);
        font.setPixelSize(pixels);
        font.setBold(f.style & 1);
        font.setItalic(f.style & 2);
        font.setUnderline(f.style & 4);
        font.setStrikeOut(f.style & 8);
        font.setHintingPreference(QFont::PreferNoHinting);
        return font;
    }

    // The scale at which text of a font is laid out: `k` world units per
    // layout pixel, the font's size in layout pixels. False when the text is
    // too small to see or far larger than the target can show.
    bool textScale(const Font &f, const QTransform &t, double &k, int &pixels) const
    {
        const double em = f.emSize * worldPer(f.unit);
        const double device = em * std::sqrt(std::abs(t.determinant()));
        // A stretched transform makes glyphs long in one direction: the
        // longer one bounds what the font engine is asked to draw.
        const double longest = em * std::max(std::hypot(t.m11(), t.m12()), std::hypot(t.m21(), t.m22()));
        if (!std::isfinite(device) || !std::isfinite(longest) || device < 0.25 || longest > 8 * targetSide)
            return false;
        pixels = std::clamp(int(std::lround(device)), 1, 8192);
        k = em / pixels;
        return k > 0 && std::isfinite(k);
    }

    void drawString(const QString &str, const Font &f, const QBrush &brush, const QRectF &layout,
                    const StringFormat *fmt)
    {
        const QTransform t = full();
        double k = 1;
        int px = 1;
        if (str.isEmpty() || !finite(layout) || !textScale(f, t, k, px))
            return;
        const QTransform scaled = QTransform::fromScale(k, k) * t;
        const QRectF r(layout.x() / k, layout.y() / k, layout.width() / k, layout.height() / k);
        if (!sane(QRectF(r.topLeft(), QSizeF(1, 1)), scaled))
            return;
        const quint32 flags = fmt ? fmt->flags : 0;
        const double lead = (fmt ? fmt->leading : 1.0 / 6) * px;
        const double trail = (fmt ? fmt->trailing : 1.0 / 6) * px;
        const bool noWrap = (flags & FormatNoWrap) || r.width() <= 0;
        const double wrapWidth = std::max(1.0, r.width() - lead - trail);

        QString text = str;
        text.replace(QLatin1String("\r\n"), QStringLiteral("\n"));
        text.replace(QLatin1Char('\n'), QChar::LineSeparator);
        QTextLayout tl(text, makeFont(f, px));
        QTextOption opt;
        opt.setWrapMode(noWrap ? QTextOption::NoWrap : QTextOption::WrapAtWordBoundaryOrAnywhere);
        tl.setTextOption(opt);
        tl.setCacheEnabled(true);
        tl.beginLayout();
        double y = 0;
        int kept = 0;
        for (int i = 0; i < 100000; ++i) {
            QTextLine line = tl.createLine();
            if (!line.isValid())
                break;
            line.setLineWidth(noWrap ? 1.0e7 : wrapWidth);
            line.setLeadingIncluded(true); // lines are the font's line spacing apart
            line.setPosition(QPointF(0, y));
            const double next = y + line.height();
            // Only whole lines with LineLimit (the first always shows).
            if (!(flags & FormatLineLimit) || r.height() <= 0 || next <= r.height() + 0.01 || kept == 0) {
                ++kept;
                y = next;
            } else {
                break;
            }
        }
        tl.endLayout();
        const double h = y;
        double y0 = r.top();
        if (fmt && fmt->lineAlign == 1)
            y0 = r.top() + (r.height() - h) / 2;
        else if (fmt && fmt->lineAlign == 2)
            y0 = r.top() + r.height() - h;
        int align = fmt ? fmt->align : 0;
        if ((flags & FormatRightToLeft) && align != 1)
            align = 2 - align;

        prepare();
        p.setWorldTransform(scaled * orig);
        applied = unset();
        const bool clip = !(flags & FormatNoClip) && r.width() > 0 && r.height() > 0;
        if (clip) {
            p.save();
            p.setClipRect(r, Qt::IntersectClip);
        }
        p.setPen(QPen(brush, 0));
        QRectF inked;
        for (int i = 0; i < kept; ++i) {
            const QTextLine line = tl.lineAt(i);
            const double w = line.naturalTextWidth();
            double x;
            if (r.width() > 0)
                x = align == 1 ? r.left() + (r.width() - w) / 2 : align == 2 ? r.right() - trail - w : r.left() + lead;
            else
                x = align == 1 ? r.left() - w / 2 : align == 2 ? r.left() - w : r.left();
            line.draw(&p, QPointF(x, y0));
            inked = inked.united(QRectF(x, y0 + line.y(), w, line.height()));
        }
        if (clip) {
            p.restore();
            inked = inked.intersected(r);
        }
        painterDirty = true;
        if (!inked.isEmpty())
            noteDrawn(scaled.mapRect(inked));
    }

    void drawGlyphs(const QString &chars, const std::vector<QPointF> &pos, bool oneRun, const Font &f,
                    const QBrush &brush, const QTransform &m)
    {
        const QTransform t = m * full();
        double k = 1;
        int px = 1;
        if (chars.isEmpty() || pos.empty() || !finite(t) || !textScale(f, t, k, px))
            return;
        const QTransform scaled = QTransform::fromScale(k, k) * t;
        if (!sane(QRectF(pos.front(), QSizeF(1, 1)), t))
            return;
        prepare();
        p.setWorldTransform(scaled * orig);
        applied = unset();
        p.setFont(makeFont(f, px));
        p.setPen(QPen(brush, 0));
        QRectF inked;
        const QFontMetricsF fm(p.font());
        if (oneRun) {
            const QPointF at = pos.front() / k;
            p.drawText(at, chars);
            inked = QRectF(at.x(), at.y() - fm.ascent(), fm.horizontalAdvance(chars), fm.height());
        } else {
            for (qsizetype i = 0; i < chars.size() && size_t(i) < pos.size(); ++i) {
                const QPointF at = pos[size_t(i)] / k;
                if (!std::isfinite(at.x()) || !std::isfinite(at.y()))
                    continue;
                p.drawText(at, QString(chars.at(i)));
                inked = inked.united(QRectF(at.x(), at.y() - fm.ascent(), fm.horizontalAdvance(chars.at(i)), fm.height()));
            }
        }
        noteDrawn(scaled.mapRect(inked));
    }

    // ---- clipping -------------------------------------------------------

    void setClip(const QPainterPath &world, bool infinite, int mode)
    {
        Clip add;
        add.infinite = infinite;
        if (!infinite) {
            const QTransform t = s.world * s.base * pageTransform();
            if (!finite(t) || !finite(world.controlPointRect()))
                return;
            add.path = t.map(world);
        }
        Region a{s.clip.infinite, s.clip.path}, b{add.infinite, add.path};
        Region c = combineRegions(a, b, mode);
        if (!s.containerClip.infinite)
            c = combineRegions(c, Region{false, s.containerClip.path}, 1);
        s.clip.infinite = c.infinite;
        s.clip.path = c.path;
        clipChanged();
    }

    // ---- state ----------------------------------------------------------

    void push(quint32 id)
    {
        if (stack.size() >= kMaxStack)
            stack.erase(stack.begin());
        stack.push_back({id, s});
    }

    void pop(quint32 id)
    {
        for (size_t i = stack.size(); i-- > 0;) {
            if (stack[i].id == id) {
                s = stack[i].state;
                stack.resize(i);
                stateChanged();
                clipChanged();
                return;
            }
        }
    }

    void worldOp(const QTransform &m, bool append)
    {
        if (!finite(m))
            return;
        const QTransform w = append ? s.world * m : m * s.world;
        if (finite(w))
            s.world = w;
    }

    // ---- objects --------------------------------------------------------

    void objectRecord(quint16 flags, const ByteReader &data)
    {
        const int id = flags & 0xFF;
        const int type = (flags >> 8) & 0x7F;
        ++generation;
        if (id >= kObjectSlots)
            return;
        Pending &pend = pending[size_t(id)];
        if (flags & 0x8000) {
            // A piece of an object too large for one record.
            if (data.size() < 4)
                return;
            const qint64 total = data.u32(0);
            if (pend.bytes.isEmpty() || pend.total != total || pend.type != type) {
                pend = Pending();
                // The whole object must fit in what is left of the file.
                if (total <= 0 || total > doc.bytes().size())
                    return;
                pend.type = type;
                pend.total = total;
            }
            const qsizetype room = qsizetype(pend.total) - pend.bytes.size();
            const qsizetype take = std::min<qsizetype>(room, data.size() - 4);
            pend.bytes.append(reinterpret_cast<const char *>(data.data()) + 4, take);
            if (pend.bytes.size() >= pend.total) {
                const QByteArray whole = std::move(pend.bytes);
                pend = Pending();
                objects[size_t(id)] = readObject(type, ByteReader(whole));
            }
            return;
        }
        if (!pend.bytes.isEmpty() && pend.type == type) {
            // The last piece of an object whose pieces before were marked.
            QByteArray whole = std::move(pend.bytes);
            const qsizetype room = qsizetype(pend.total) - whole.size();
            whole.append(reinterpret_cast<const char *>(data.data()), std::min<qsizetype>(room, data.size()));
            pend = Pending();
            objects[size_t(id)] = readObject(type, ByteReader(whole));
            return;
        }
        pend = Pending();
        objects[size_t(id)] = readObject(type, data);
    }

    GdiMode play(const EmfPlusRecord &r, GdiMode mode);
};

EmfPlusPlayer::GdiMode EmfPlusPlayer::Impl::play(const EmfPlusRecord &r, GdiMode mode)
{
    const ByteReader q = ByteReader(doc.bytes()).sub(r.offset, r.size);
    const quint16 f = r.flags;
    const bool compressed = f & FlagCompressed;
    const bool relative = f & FlagRelative;
    const bool solid = f & FlagSolidColor;
    const quint32 oid = f & 0xFF;
    const qsizetype n = q.size();
    auto need = [n](qsizetype bytes) { return n >= bytes; };
    auto points = [&](qsizetype at, quint32 count) { return readPoints(q, at, count, compressed, relative); };
    auto rectSize = compressed ? 8 : 16;
    if (r.type >= rec::Clear && r.type <= rec::DrawString)
        mode = GdiMode::Skip;

    switch (r.type) {
    case rec::EndOfFile: ended = true; break;
    case rec::GetDC: mode = GdiMode::All; break;
    case rec::Object: objectRecord(f, q); break;
    case rec::Clear:
        if (need(4)) {
            prepare();
            p.setWorldTransform(orig);
            applied = unset();
            p.setCompositionMode(QPainter::CompositionMode_Source);
            p.fillRect(target, argb(q.u32(0)));
            p.setCompositionMode(s.sourceCopy ? QPainter::CompositionMode_Source : QPainter::CompositionMode_SourceOver);
            noteDrawn(target);
        }
        break;
    case rec::FillRects:
    case rec::DrawRects: {
        const qsizetype at = r.type == rec::FillRects ? 8 : 4;
        if (!need(at))
            break;
        const quint32 count = q.u32(at - 4);
        if (qint64(count) * rectSize > n - at)
            break;
        QList<QRectF> rects;
        rects.reserve(qsizetype(count));
        qsizetype pos = at;
        for (quint32 i = 0; i < count; ++i) {
            const QRectF rect = readRect(q, pos, compressed);
            if (finite(rect))
                rects.append(rect.normalized());
        }
        if (r.type == rec::FillRects) {
            QBrush b;
            if (brushFor(q.u32(0), solid, b))
                fillRects(rects, b);
        } else if (!rects.isEmpty()) {
            strokeStraight(QPolygonF(), true, &rects, oid);
        }
        break;
    }
    case rec::FillPolygon: {
        if (!need(8))
            break;
        const QPolygonF poly = points(8, q.u32(4));
        QBrush b;
        if (poly.size() < 2 || !brushFor(q.u32(0), solid, b))
            break;
        fillPolygon(poly, Qt::OddEvenFill, b);
        break;
    }
    case rec::DrawLines: {
        if (!need(4))
            break;
        const QPolygonF poly = points(4, q.u32(0));
        if (poly.size() < 2)
            break;
        if (!hasLineEnds(oid)) {
            strokeStraight(poly, f & FlagClosedOrWinding, nullptr, oid);
            break;
        }
        QPainterPath path;
        path.addPolygon(poly);
        if (f & FlagClosedOrWinding)
            path.closeSubpath();
        stroke(path, oid);
        break;
    }
    case rec::FillEllipse:
    case rec::DrawEllipse: {
        const qsizetype at = r.type == rec::FillEllipse ? 4 : 0;
        if (!need(at + rectSize))
            break;
        qsizetype pos = at;
        QPainterPath path;
        path.addEllipse(readRect(q, pos, compressed));
        if (r.type == rec::FillEllipse) {
            QBrush b;
            if (brushFor(q.u32(0), solid, b))
                fill(path, b);
        } else {
            stroke(path, oid);
        }
        break;
    }
    case rec::FillPie:
    case rec::DrawPie:
    case rec::DrawArc: {
        const qsizetype at = r.type == rec::FillPie ? 4 : 0;
        if (!need(at + 8 + rectSize))
            break;
        const double start = q.f32(at), sweep = q.f32(at + 4);
        qsizetype pos = at + 8;
        const QRectF rect = readRect(q, pos, compressed);
        if (!std::isfinite(start) || !std::isfinite(sweep) || !finite(rect))
            break;
        const QPainterPath path = piePath(rect, start, std::clamp(sweep, -360.0, 360.0), r.type != rec::DrawArc);
        if (r.type == rec::FillPie) {
            QBrush b;
            if (brushFor(q.u32(0), solid, b))
                fill(path, b);
        } else {
            stroke(path, oid);
        }
        break;
    }
    case rec::FillRegion: {
        const Region *rg = object<Region>(oid);
        QBrush b;
        if (!need(4) || !rg || !brushFor(q.u32(0), solid, b))
            break;
        if (rg->infinite) {
            QPainterPath all;
            all.addRect(full().inverted().mapRect(target));
            fill(all, b);
        } else {
            fill(rg->path, b);
        }
        break;
    }
    case rec::FillPath: {
        const QPainterPath *path = object<QPainterPath>(oid);
        QBrush b;
        if (need(4) && path && brushFor(q.u32(0), solid, b))
            fill(*path, b, true);
        break;
    }
    case rec::DrawPath: {
        const QPainterPath *path = object<QPainterPath>(oid);
        if (need(4) && path)
            stroke(*path, q.u32(0), true);
        break;
    }
    case rec::FillClosedCurve: {
        if (!need(12))
            break;
        const QPolygonF poly = points(12, q.u32(8));
        QBrush b;
        if (poly.size() < 3 || !brushFor(q.u32(0), solid, b))
            break;
        QPainterPath path = cardinal(poly, q.f32(4), true, 0, -1);
        path.setFillRule((f & FlagClosedOrWinding) ? Qt::WindingFill : Qt::OddEvenFill);
        fill(path, b);
        break;
    }
    case rec::DrawClosedCurve: {
        if (!need(8))
            break;
        const QPolygonF poly = points(8, q.u32(4));
        if (poly.size() >= 3)
            stroke(cardinal(poly, q.f32(0), true, 0, -1), oid);
        break;
    }
    case rec::DrawCurve: {
        if (!need(16))
            break;
        const QPolygonF poly = points(16, q.u32(12));
        const quint32 offset = q.u32(4), segments = q.u32(8);
        if (poly.size() >= 2 && offset < quint32(poly.size()))
            stroke(cardinal(poly, q.f32(0), false, int(offset), int(std::min<quint32>(segments, quint32(poly.size())))), oid);
        break;
    }
    case rec::DrawBeziers: {
        if (!need(4))
            break;
        const QPolygonF poly = points(4, q.u32(0));
        if (poly.size() < 4)
            break;
        QPainterPath path;
        path.moveTo(poly[0]);
        for (qsizetype i = 1; i + 2 < poly.size(); i += 3)
            path.cubicTo(poly[i], poly[i + 1], poly[i + 2]);
        stroke(path, oid);
        break;
    }
    case rec::DrawImage: {
        const Image *img = object<Image>(oid);
        if (!img || !need(24 + rectSize))
            break;
        qsizetype pos = 24;
        const QRectF dest = readRect(q, pos, compressed);
        drawImage(*img, rectF(q, 8), q.i32(4), dest.topLeft(), dest.topRight(), dest.bottomLeft());
        break;
    }
    case rec::DrawImagePoints: {
        const Image *img = object<Image>(oid);
        if (!img || !need(28) || q.u32(24) != 3)
            break;
        const QPolygonF pts = points(28, 3);
        if (pts.size() == 3)
            drawImage(*img, rectF(q, 8), q.i32(4), pts[0], pts[1], pts[2]);
        break;
    }
    case rec::DrawString: {
        const Font *font = object<Font>(oid);
        if (!font || !need(28))
            break;
        const quint32 len = q.u32(8);
        QBrush b;
        if (len > quint32(n) || !need(28 + qsizetype(len) * 2) || !brushFor(q.u32(0), solid, b))
            break;
        QString str;
        str.reserve(qsizetype(len));
        for (quint32 i = 0; i < len; ++i)
            str.append(QChar(char16_t(q.u16(28 + 2 * qsizetype(i)))));
        drawString(str, *font, b, rectF(q, 12), object<StringFormat>(q.u32(4)));
        break;
    }
    case rec::DrawDriverString: {
        mode = GdiMode::Skip;
        const Font *font = object<Font>(oid);
        if (!font || !need(16))
            break;
        const quint32 options = q.u32(4);
        const quint32 count = q.u32(12);
        if (!(options & 1)) {
            // Glyph indices of a font we do not have: the GDI records of a
            // dual file carry the same text as characters.
            if (stream.kind() == EmfPlusKind::Dual)
                mode = GdiMode::Text;
            break;
        }
        const qint64 bytes = qint64(count) * 2 + qint64(count) * 8 + (q.u32(8) ? 24 : 0);
        QBrush b;
        if (count == 0 || bytes > n - 16 || !brushFor(q.u32(0), solid, b))
            break;
        QString chars;
        chars.reserve(qsizetype(count));
        for (quint32 i = 0; i < count; ++i)
            chars.append(QChar(char16_t(q.u16(16 + 2 * qsizetype(i)))));
        const qsizetype posAt = 16 + qsizetype(count) * 2;
        std::vector<QPointF> pos;
        pos.reserve(count);
        for (quint32 i = 0; i < count; ++i)
            pos.emplace_back(q.f32(posAt + 8 * qsizetype(i)), q.f32(posAt + 8 * qsizetype(i) + 4));
        const QTransform m = q.u32(8) ? matrix(q, posAt + qsizetype(count) * 8) : QTransform();
        drawGlyphs(chars, pos, options & 4, *font, b, m);
        break;
    }
    case rec::SetAntiAliasMode:
        // The caller's painter decides whether antialiasing may be used at all.
        s.antialias = origAntialias && (f & 1);
        stateChanged();
        break;
    case rec::SetTextRenderingHint: {
        const int hint = f & 0xFF;
        s.textAntialias = hint == 0 ? origTextAntialias : hint >= 3;
        stateChanged();
        break;
    }
    case rec::SetInterpolationMode:
        s.smoothImages = (f & 0xFF) != 5; // nearest neighbour
        stateChanged();
        break;
    case rec::SetCompositingMode:
        s.sourceCopy = (f & 0xFF) == 1;
        stateChanged();
        break;
    case rec::SetPixelOffsetMode:
    case rec::SetCompositingQuality:
    case rec::SetRenderingOrigin:
    case rec::SetTextContrast:
        break;
    case rec::Save:
        if (need(4))
            push(q.u32(0));
        break;
    case rec::Restore:
    case rec::EndContainer:
        if (need(4))
            pop(q.u32(0));
        break;
    case rec::BeginContainerNoParams:
        if (need(4)) {
            push(q.u32(0));
            s.base = s.world * s.base;
            s.world = QTransform();
            s.containerClip = s.clip;
        }
        break;
    case rec::BeginContainer:
        if (need(36)) {
            const QRectF dest = rectF(q, 0);
            QRectF src = rectF(q, 16);
            const int unit = (f >> 8) & 0xFF;
            const double k = worldPer(unit == UnitWorld ? UnitPixel : unit);
            src = QRectF(src.x() * k, src.y() * k, src.width() * k, src.height() * k);
            push(q.u32(32));
            QTransform m;
            if (finite(dest) && finite(src) && std::abs(src.width()) > 1e-9 && std::abs(src.height()) > 1e-9) {
                const double sx = dest.width() / src.width(), sy = dest.height() / src.height();
                m = QTransform(sx, 0, 0, sy, dest.x() - src.x() * sx, dest.y() - src.y() * sy);
            }
            s.base = m * s.world * s.base;
            s.world = QTransform();
            s.containerClip = s.clip;
        }
        break;
    case rec::SetWorldTransform:
        if (need(24)) {
            const QTransform m = matrix(q, 0);
            if (finite(m))
                s.world = m;
        }
        break;
    case rec::ResetWorldTransform: s.world = QTransform(); break;
    case rec::MultiplyWorldTransform:
        if (need(24))
            worldOp(matrix(q, 0), f & 0x2000);
        break;
    case rec::TranslateWorldTransform:
        if (need(8))
            worldOp(QTransform::fromTranslate(q.f32(0), q.f32(4)), f & 0x2000);
        break;
    case rec::ScaleWorldTransform:
        if (need(8))
            worldOp(QTransform::fromScale(q.f32(0), q.f32(4)), f & 0x2000);
        break;
    case rec::RotateWorldTransform:
        if (need(4)) {
            const double a = q.f32(0);
            if (std::isfinite(a))
                worldOp(QTransform().rotate(std::fmod(a, 360.0)), f & 0x2000);
        }
        break;
    case rec::SetPageTransform:
        if (need(4)) {
            const double scale = q.f32(0);
            s.pageUnit = f & 0xFF;
            s.pageScale = std::isfinite(scale) && scale > 0 ? scale : 1;
        }
        break;
    case rec::ResetClip:
        s.clip = s.containerClip;
        clipChanged();
        break;
    case rec::SetClipRect:
        if (need(16)) {
            QPainterPath path;
            const QRectF rect = rectF(q, 0);
            if (!finite(rect))
                break;
            path.addRect(rect.normalized());
            setClip(path, false, (f >> 8) & 0x0F);
        }
        break;
    case rec::SetClipPath:
        if (const QPainterPath *path = object<QPainterPath>(oid))
            setClip(*path, false, (f >> 8) & 0x0F);
        break;
    case rec::SetClipRegion:
        if (const Region *rg = object<Region>(oid))
            setClip(rg->path, rg->infinite, (f >> 8) & 0x0F);
        break;
    case rec::OffsetClip:
        if (need(8) && !s.clip.infinite) {
            const QTransform t = s.world * s.base * pageTransform();
            const QPointF d = t.map(QPointF(q.f32(0), q.f32(4))) - t.map(QPointF(0, 0));
            if (std::isfinite(d.x()) && std::isfinite(d.y()) && std::abs(d.x()) < kCoordLimit && std::abs(d.y()) < kCoordLimit) {
                s.clip.path.translate(d);
                clipChanged();
            }
        }
        break;
    default: break;
    }
    return mode;
}

EmfPlusPlayer::EmfPlusPlayer(const EmfDocument &doc, const EmfPlusStream &stream, QPainter &painter, const QRectF &target)
    : d(std::make_unique<Impl>(doc, stream, painter, target))
{
    if (t_depth == 0)
        t_nestedPlays = 0;
}

EmfPlusPlayer::~EmfPlusPlayer() = default;

bool EmfPlusPlayer::holdsRecords(int emfIndex) const
{
    return d->byComment.count(emfIndex) != 0;
}

EmfPlusPlayer::GdiMode EmfPlusPlayer::playComment(int emfIndex)
{
    const auto it = d->byComment.find(emfIndex);
    GdiMode mode = GdiMode::Skip;
    if (it == d->byComment.end() || d->ended)
        return mode;
    const auto &recs = d->stream.records();
    for (size_t i = it->second.first; i < it->second.second && !d->ended; ++i)
        mode = d->play(recs[i], mode);
    return mode;
}

void EmfPlusPlayer::yieldToGdi()
{
    QPainter &p = d->p;
    p.setWorldTransform(d->orig);
    p.setRenderHint(QPainter::Antialiasing, d->origAntialias);
    p.setRenderHint(QPainter::TextAntialiasing, d->origTextAntialias);
    p.setRenderHint(QPainter::SmoothPixmapTransform, d->origSmooth);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    d->painterDirty = true;
    d->clipDirty = true;
}

bool EmfPlusPlayer::ended() const
{
    return d->ended;
}

int EmfPlusPlayer::primitives() const
{
    return d->primitives;
}

QRectF EmfPlusPlayer::drawn() const
{
    return d->drawnRect;
}

} // namespace vz::mf
