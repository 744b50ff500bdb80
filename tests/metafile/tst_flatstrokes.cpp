// Strokes whose points lie on one row or one column, in both players: they
// draw, inside the band their pen covers and nowhere else; pen styles and
// widths follow GDI's rules under an anisotropic mapping.

#include "emfbuilder.h"
#include "testutils.h"
#include "wmfbuilder.h"

#include "metafile/EmfPlayer.h"
#include "metafile/WmfPlayer.h"

#include <QPainter>

#include <cmath>
#include <functional>

using vztest::EmfBuilder;
using vztest::WmfBuilder;
using namespace vz::mf;

namespace {

// Logical units map to 0.05 target pixels across and 0.1 down: a window of
// 4000 x 2000 units on a 200-pixel square target. Pen widths follow the x
// axis, as in GDI.
constexpr double kX = 0.05;
const QRgb K = qRgb(0, 0, 0);

enum class Shape { HLine, VLine, Polyline2, PolylineCollinear, PolylineBack, FlatRectangle, FlatArc, Dot };
enum class Player { Wmf, Emf };

struct Pen
{
    int style = 0;
    int width = 0;
    bool extended = false; // EMF's geometric EXTCREATEPEN
};

// The same records for either player: mapping, pen, a null brush, a shape.
QByteArray makeFile(Player player, Shape shape, Pen pen)
{
    const auto points = [shape]() -> QList<QPoint> {
        switch (shape) {
        case Shape::HLine: return {{400, 1000}, {3600, 1000}};
        case Shape::VLine: return {{2000, 200}, {2000, 1800}};
        case Shape::Polyline2: return {{400, 1000}, {3600, 1000}};
        case Shape::PolylineCollinear: return {{400, 1000}, {1200, 1000}, {3600, 1000}};
        case Shape::PolylineBack: return {{2000, 200}, {2000, 1800}, {2000, 1000}};
        case Shape::Dot: return {{2000, 1000}, {2000, 1000}};
        default: return {{400, 1000}, {3600, 1000}}; // the flat rectangle's corners
        }
    }();
    const bool lines = shape == Shape::HLine || shape == Shape::VLine || shape == Shape::Dot;
    const bool poly = shape == Shape::Polyline2 || shape == Shape::PolylineCollinear || shape == Shape::PolylineBack;
    const QPoint a = points.first(), b = points.last();
    if (player == Player::Wmf) {
        WmfBuilder w;
        w.mapMode(8).windowOrg(0, 0).windowExt(4000, 2000).viewportOrg(0, 0).viewportExt(1000, 1000);
        w.pen(K, pen.style, pen.width).select(0).brush(K, 1).select(1);
        if (lines) {
            w.rec(0x0214, {a.y(), a.x()}).rec(0x0213, {b.y(), b.x()}); // MOVETO, LINETO
        } else if (poly) {
            QByteArray p;
            WmfBuilder::put16(p, int(points.size()));
            for (QPoint q : points) {
                WmfBuilder::put16(p, q.x());
                WmfBuilder::put16(p, q.y());
            }
            w.raw(0x0325, p);
        } else if (shape == Shape::FlatRectangle) {
            w.rectangle(a.x(), a.y(), b.x(), b.y());
        } else { // ARC: end, start, then the box
            w.rec(0x0817, {a.y(), b.x(), b.y(), a.x(), b.y(), b.x(), a.y(), a.x()});
        }
        return w.build(QRect(0, 0, 1000, 1000));
    }
    EmfBuilder e; // a 320-pixel frame
    e.mapMode(8).windowOrg(0, 0).windowExt(4000, 2000).viewportOrg(0, 0).viewportExt(320, 320);
    if (pen.extended)
        e.extPen(1, pen.style, pen.width, K);
    else
        e.pen(1, pen.style, pen.width, K);
    e.select(1).select(0x80000005); // NULL_BRUSH
    if (lines) {
        e.moveTo(a.x(), a.y()).lineTo(b.x(), b.y());
    } else if (poly) {
        QByteArray p;
        for (QPoint q : points) {
            WmfBuilder::put32(p, quint32(q.x()));
            WmfBuilder::put32(p, quint32(q.y()));
        }
        QByteArray head;
        for (int v : {0, 0, 0, 0})
            WmfBuilder::put32(head, quint32(v));
        WmfBuilder::put32(head, quint32(points.size()));
        e.raw(EmfBuilder::POLYLINE, head + p);
    } else if (shape == Shape::FlatRectangle) {
        e.rectangle(a.x(), a.y(), b.x(), b.y());
    } else {
        e.rec(EmfBuilder::ARC, {a.x(), a.y(), b.x(), b.y(), b.x(), b.y(), a.x(), a.y()});
    }
    return e.build();
}

QImage play(Player player, const QByteArray &file, PlayResult *result = nullptr)
{
    QImage img(200, 200, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    PlayResult r;
    if (player == Player::Wmf)
        r = playWmf(*WmfDocument::parse(file), p, QRectF(0, 0, 200, 200));
    else
        r = playEmf(*EmfDocument::parse(file), p, QRectF(0, 0, 200, 200));
    p.end();
    if (result)
        *result = r;
    return img;
}

bool inked(QRgb c)
{
    return qGray(c) < 128;
}

// Pixels of ink inside and outside a band.
struct Census
{
    int inside = 0, outside = 0;
};

Census census(const QImage &img, const QRectF &band)
{
    Census c;
    for (int y = 0; y < img.height(); ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x)
            if (inked(line[x]))
                ++(band.contains(QPointF(x + 0.5, y + 0.5)) ? c.inside : c.outside);
    }
    return c;
}

// Runs of ink along a row (or a column) between two positions.
QList<int> runs(const QImage &img, bool row, int at, int from, int to)
{
    QList<int> out;
    int run = 0;
    for (int i = from; i <= to; ++i) {
        const bool ink = inked(row ? img.pixel(i, at) : img.pixel(at, i));
        if (ink) {
            ++run;
        } else if (run) {
            out << run;
            run = 0;
        }
    }
    if (run)
        out << run;
    return out;
}

QString player(Player p)
{
    return p == Player::Wmf ? QStringLiteral("WMF") : QStringLiteral("EMF");
}

} // namespace

Q_DECLARE_METATYPE(Shape)
Q_DECLARE_METATYPE(Player)

class TestFlatStrokes : public QObject
{
    Q_OBJECT

private slots:
    void shapes_data();
    void shapes();
    void penStylesAndWidths_data();
    void penStylesAndWidths();
    void textRectangleEitherWayRound();
};

void TestFlatStrokes::shapes_data()
{
    QTest::addColumn<Player>("which");
    QTest::addColumn<Shape>("shape");
    QTest::addColumn<int>("width");
    QTest::addColumn<bool>("drawn");
    const struct
    {
        const char *name;
        Shape shape;
        bool drawn;
    } shapes[] = {
        {"horizontal LINETO", Shape::HLine, true},
        {"vertical LINETO", Shape::VLine, true},
        {"two-point POLYLINE", Shape::Polyline2, true},
        {"collinear POLYLINE", Shape::PolylineCollinear, true},
        {"POLYLINE doubling back", Shape::PolylineBack, true},
        // GDI draws nothing for an empty bounding rectangle.
        {"zero-height RECTANGLE", Shape::FlatRectangle, false},
        {"zero-height ARC", Shape::FlatArc, false},
    };
    for (Player p : {Player::Wmf, Player::Emf}) {
        for (const auto &s : shapes)
            for (int width : {0, 60})
                QTest::newRow(qPrintable(QStringLiteral("%1 %2 width %3").arg(player(p), s.name).arg(width)))
                    << p << s.shape << width << s.drawn;
        QTest::newRow(qPrintable(player(p) + QStringLiteral(" single point, wide pen"))) << p << Shape::Dot << 240 << true;
    }
}

void TestFlatStrokes::shapes()
{
    QFETCH(Player, which);
    QFETCH(Shape, shape);
    QFETCH(int, width);
    QFETCH(bool, drawn);
    PlayResult result;
    const QImage img = play(which, makeFile(which, shape, {0, width}), &result);
    const double half = std::max(0.5, width * kX / 2);
    const bool vertical = shape == Shape::VLine || shape == Shape::PolylineBack;
    // The line runs from 20 to 180 on its axis, at 100 across it; the dot
    // sits at (100, 100).
    const double from = shape == Shape::Dot ? 100 : 20, to = shape == Shape::Dot ? 100 : 180;
    const QRectF band = vertical ? QRectF(QPointF(100 - half, from - half), QPointF(100 + half, to + half))
                                 : QRectF(QPointF(from - half, 100 - half), QPointF(to + half, 100 + half));
    const Census c = census(img, band.adjusted(-1.5, -1.5, 1.5, 1.5));
    QCOMPARE(c.outside, 0);
    if (!drawn) {
        QCOMPARE(c.inside, 0);
        return;
    }
    if (shape == Shape::Dot) {
        // A round dot as wide as the pen: full across its middle, not at
        // the corners of its square.
        QVERIFY(inked(img.pixel(100, 100)));
        const QList<int> across = runs(img, true, 100, 80, 120);
        QVERIFY2(across.size() == 1 && qAbs(across.first() - 12) <= 1, "a dot 12 pixels wide");
        QVERIFY(!inked(img.pixel(95, 95)));
    } else {
        // Solid along its whole length.
        const QList<int> r = runs(img, !vertical, 100, 22, 178);
        QCOMPARE(r, QList<int>{157});
    }
    // A flat stroke still counts as drawn, over the width of its pen.
    QVERIFY(result.primitives > 0);
    QVERIFY2(result.drawn.width() >= 2 * half - 0.01 && result.drawn.height() >= 2 * half - 0.01,
             qPrintable(QStringLiteral("%1 x %2").arg(result.drawn.width()).arg(result.drawn.height())));
    QVERIFY(result.drawn.contains(band.center()));
}

void TestFlatStrokes::penStylesAndWidths_data()
{
    QTest::addColumn<Player>("which");
    QTest::addColumn<int>("style");
    QTest::addColumn<int>("width");
    QTest::addColumn<bool>("extended");
    QTest::addColumn<int>("firstDash"); // pixels; 0 when solid, -1 when nothing is drawn
    const char *names[] = {"solid", "dash", "dot", "dash-dot", "dash-dot-dot", "null"};
    // One-pixel pens dash in GDI's device-pixel patterns; CreatePen pens
    // wider than one pixel draw solid.
    const int thinDash[] = {0, 18, 3, 9, 9, -1};
    for (Player p : {Player::Wmf, Player::Emf})
        for (int style = 0; style <= 5; ++style)
            for (int width : {1, 20, 60, 120, 240}) {
                const bool onePixel = width * kX < 2;
                const int expected = style == 5 ? -1 : onePixel ? thinDash[style] : 0;
                QTest::newRow(qPrintable(QStringLiteral("%1 %2 %3").arg(player(p), names[style]).arg(width)))
                    << p << style << width << false << expected;
            }
    // A geometric pen keeps its dashes at any width.
    QTest::newRow("EMF geometric dash 240") << Player::Emf << 1 << 240 << true << 1000;
}

void TestFlatStrokes::penStylesAndWidths()
{
    QFETCH(Player, which);
    QFETCH(int, style);
    QFETCH(int, width);
    QFETCH(bool, extended);
    QFETCH(int, firstDash);
    const QImage img = play(which, makeFile(which, Shape::HLine, {style, width, extended}));
    const double half = std::max(0.5, width * kX / 2);
    const QRectF band(QPointF(20 - half, 100 - half), QPointF(180 + half, 100 + half));
    const Census c = census(img, band.adjusted(-1.5, -1.5, 1.5, 1.5));
    QCOMPARE(c.outside, 0);
    if (firstDash < 0) {
        QCOMPARE(c.inside, 0);
        return;
    }
    QVERIFY(c.inside > 0);
    const QList<int> r = runs(img, true, 100, 20, 180);
    QVERIFY(!r.isEmpty());
    if (firstDash == 0) {
        QVERIFY2(r.size() == 1 && r.first() >= 159, qPrintable(QStringLiteral("%1 runs").arg(r.size())));
    } else if (firstDash == 1000) {
        QVERIFY2(r.size() >= 2, "dashes expected");
    } else {
        QVERIFY2(r.size() >= 4, qPrintable(QStringLiteral("%1 runs").arg(r.size())));
        QVERIFY2(qAbs(r.first() - firstDash) <= 1, qPrintable(QStringLiteral("first dash %1").arg(r.first())));
    }
}

void TestFlatStrokes::textRectangleEitherWayRound()
{
    // ETO_OPAQUE fills the rectangle in the background colour whichever
    // way round its corners are stored.
    for (const QRect &r : {QRect(QPoint(40, 40), QPoint(120, 120)), QRect(QPoint(120, 120), QPoint(40, 40))}) {
        EmfBuilder e;
        e.rec(25, {EmfBuilder::colorRef(qRgb(255, 0, 0))}); // SETBKCOLOR
        e.textOut(40, 40, QStringLiteral(" "), 2, QRect(QPoint(r.left(), r.top()), QPoint(r.right(), r.bottom())));
        const QImage img = play(Player::Emf, e.build());
        QCOMPARE(img.pixel(50, 50), qRgb(255, 0, 0));
        QCOMPARE(img.pixel(150, 150), qRgb(255, 255, 255));
    }
    // ETO_CLIPPED keeps the letters inside the rectangle, stored either way.
    for (const QRect &r : {QRect(QPoint(0, 0), QPoint(160, 320)), QRect(QPoint(160, 320), QPoint(0, 0))}) {
        EmfBuilder e;
        e.font(1, -80).select(1).textOut(20, 60, QStringLiteral("HHHHHHHH"), 4, r);
        const QRect ink = vztest::inkBounds(play(Player::Emf, e.build()));
        QVERIFY(ink.isValid());
        QVERIFY2(ink.right() < 101, qPrintable(QStringLiteral("ink to %1").arg(ink.right())));
    }
}

QTEST_MAIN(TestFlatStrokes)
#include "tst_flatstrokes.moc"
