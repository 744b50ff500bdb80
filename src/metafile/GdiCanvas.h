#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QTransform>

#include <vector>

namespace vz::mf {

// GDI constants shared by the WMF and EMF players.
namespace gdi {
enum MapMode { MM_TEXT = 1, MM_LOMETRIC, MM_HIMETRIC, MM_LOENGLISH, MM_HIENGLISH, MM_TWIPS, MM_ISOTROPIC, MM_ANISOTROPIC };
enum { TRANSPARENT = 1, OPAQUE = 2 };
enum { ALTERNATE = 1, WINDING = 2 };
enum { PS_SOLID = 0, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME, PS_USERSTYLE, PS_ALTERNATE };
enum { BS_SOLID = 0, BS_NULL = 1, BS_HATCHED = 2, BS_PATTERN = 3, BS_DIBPATTERN = 5, BS_DIBPATTERNPT = 6 };
enum { TA_UPDATECP = 1, TA_RIGHT = 2, TA_CENTER = 6, TA_BOTTOM = 8, TA_BASELINE = 24 };
enum { ETO_OPAQUE = 2, ETO_CLIPPED = 4 };
enum { R2_BLACK = 1, R2_NOT = 6, R2_XORPEN = 7, R2_NOP = 11, R2_COPYPEN = 13, R2_WHITE = 16 };
constexpr quint32 SRCCOPY = 0x00CC0020, SRCPAINT = 0x00EE0086, SRCAND = 0x008800C6, SRCINVERT = 0x00660046,
                  SRCERASE = 0x00440328, NOTSRCCOPY = 0x00330008, MERGECOPY = 0x00C000CA,
                  PATCOPY = 0x00F00021, PATINVERT = 0x005A0049, DSTINVERT = 0x00550009, BLACKNESS = 0x00000042,
                  WHITENESS = 0x00FF0062;
} // namespace gdi

struct GdiPen
{
    int style = gdi::PS_SOLID; // low 4 bits: the line style; higher bits: caps and joins
    double width = 0;          // logical units; 0 is one device pixel
    QColor color = Qt::black;
    bool extended = false;     // a geometric EXTCREATEPEN pen: dashes at any width
};

struct GdiBrush
{
    int style = gdi::BS_SOLID;
    QColor color = Qt::white;
    int hatch = 0;
    QImage pattern;
};

struct GdiFont
{
    int height = 0;
    int width = 0;
    int escapement = 0; // tenths of a degree, counter-clockwise
    int weight = 400;
    bool italic = false, underline = false, strikeOut = false;
    int charset = 0;
    QString face;
};

// The drawing state of a device context: objects are held by value so that
// deleting an object never changes what is selected.
struct DcState
{
    GdiPen pen;
    GdiBrush brush;
    GdiFont font;
    QColor textColor = Qt::black;
    QColor bkColor = Qt::white;
    int bkMode = gdi::OPAQUE;
    int polyFillMode = gdi::ALTERNATE;
    int textAlign = 0;
    int rop2 = gdi::R2_COPYPEN;
    QPointF current;
    int mapMode = gdi::MM_TEXT;
    QPointF windowOrg, windowExt{1, 1}, viewportOrg, viewportExt{1, 1};
    QTransform world;
    bool clipped = false;
    QPainterPath clip; // in target coordinates
    bool clockwiseArcs = false;
};

// Draws GDI primitives given in logical coordinates onto a QPainter: the
// common back end of the WMF and EMF players. The logical-to-target mapping
// is world transform, then window/viewport per map mode, then the fixed
// mapping of the reference device onto the target rectangle.
class GdiCanvas
{
public:
    GdiCanvas(QPainter &painter, const DcState &initial, const QTransform &deviceToTarget, double deviceUnitsPerMm);
    ~GdiCanvas();

    DcState &state() { return m_state; }
    void stateChanged() { m_mappingDirty = true; }
    // Someone else set the painter's clip: ours is set again before drawing.
    void painterChanged() { m_clipDirty = true; }
    QTransform transform();
    QTransform deviceToTarget() const { return m_outer; }
    double lengthScale();

    void saveDc();
    void restoreDc(int which);

    // Shapes (fill with the brush, outline with the pen).
    void polygon(const QPolygonF &points);
    void polyPolygon(const std::vector<QPolygonF> &polys);
    void polyline(const QPolygonF &points);
    void polyPolyline(const std::vector<QPolygonF> &lines);
    void polyBezier(const QPolygonF &points, bool fromCurrent);
    void polylineTo(const QPolygonF &points);
    void moveTo(QPointF p);
    void lineTo(QPointF p);
    void rectangle(const QRectF &r);
    void roundRect(const QRectF &r, double cornerW, double cornerH);
    void ellipse(const QRectF &r);
    enum class ArcKind { Arc, Chord, Pie, ArcTo };
    void arc(const QRectF &r, QPointF start, QPointF end, ArcKind kind);
    void setPixel(QPointF p, const QColor &c);

    // Text at `p` (or the current position with TA_UPDATECP); `dx` holds
    // per-character advances in logical units when given.
    void text(QPointF p, const QString &text, int options, const QRectF &rect, const std::vector<double> &dx);

    // Raster: `src` (already decoded) is drawn from its rectangle `srcRect`
    // (pixels, top-down) into `dest` (logical) with raster operation `rop`.
    void blit(const QImage &src, const QRectF &srcRect, const QRectF &dest, quint32 rop);
    void patBlt(const QRectF &dest, quint32 rop);
    // Ends a held AND-mask that found no OR partner.
    void flushPendingMask();

    // Clipping, rectangles in logical units.
    void intersectClip(const QRectF &r);
    void excludeClip(const QRectF &r);
    void offsetClip(QPointF d);
    void resetClip();
    void setClipPathDevice(const QPainterPath &devicePath, int mode);

    // Paths (EMF).
    void beginPath();
    void endPath() { m_inPath = false; }
    void abortPath();
    void closeFigure();
    void fillPath(bool fill, bool stroke);
    void selectClipPath(int mode);

    // Bounds of everything drawn so far, in target coordinates.
    QRectF drawnBounds() const { return m_drawn; }
    // No drawing step asks the painter for anything larger than this many
    // device pixels (text size, pen width, stretched bitmaps): the target's
    // larger side times eight.
    double maxDeviceLength() const { return m_maxDevice; }
    int primitivesDrawn() const { return m_primitives; }

private:
    void applyClip();
    QPen makePen();
    QBrush makeBrush();
    void drawDevicePath(QPainterPath path, bool fill, bool stroke);
    QPainterPath logicalToDevice(const QPainterPath &p);
    bool sane(const QRectF &deviceRect) const;
    void noteDrawn(const QRectF &r);
    void drawTextAsPath(const QFont &font, double k, const QString &str, double x0, double y0,
                        const std::vector<double> &adv, bool haveDx);
    QFont makeFont(double xScale, double yScale, double &pixelSize);
    void drawImageRop(const QImage &img, const QRectF &dev, quint32 rop);
    bool cutToView(QImage &img, QRectF &dev) const;

    QPainter &m_p;
    DcState m_state;
    std::vector<DcState> m_stack;
    QTransform m_outer;
    double m_unitsPerMm;
    QTransform m_full;
    bool m_mappingDirty = true;
    bool m_clipDirty = false;
    QPainterPath m_initialClip;
    bool m_hadClip = false;
    bool m_raster = false;
    bool m_inPath = false;
    QPainterPath m_path; // logical
    QRectF m_drawn;
    bool m_anyDrawn = false;
    int m_primitives = 0;
    QRectF m_limit;
    QRectF m_view;            // the device, in target coordinates
    double m_deviceScale = 1; // device pixels per target unit
    double m_maxDevice = 0;

    // An AND-mask blit held back, waiting for its OR partner.
    bool m_maskPending = false;
    QImage m_maskImage;
    QRectF m_maskDest;
};

} // namespace vz::mf
