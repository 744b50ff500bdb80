// Reading and playing Windows and enhanced metafiles: mapping, the object
// table, drawing state, bitmaps, damaged files and the real sample files.

#include "testutils.h"
#include "wmfbuilder.h"

#include "imaging/Picture.h"
#include "metafile/AnsiText.h"
#include "metafile/EmfPlayer.h"
#include "metafile/Placeable.h"
#include "metafile/WmfPlayer.h"

#include <QPainter>

#include <cstring>

using vztest::WmfBuilder;
using namespace vz::mf;

namespace {

const QRgb R = qRgb(255, 0, 0), G = qRgb(0, 255, 0), B = qRgb(0, 0, 255), W = qRgb(255, 255, 255),
           K = qRgb(0, 0, 0);

QImage play(const QByteArray &bytes, QSize size = QSize(200, 200), QRectF target = QRectF(), QRgb bg = W)
{
    QImage img(size, QImage::Format_RGB32);
    img.fill(bg);
    const auto doc = WmfDocument::parse(bytes);
    if (!doc)
        return img;
    QPainter p(&img);
    playWmf(*doc, p, target.isNull() ? QRectF(QPointF(0, 0), QSizeF(size)) : target);
    p.end();
    return img;
}

// Red fill, no outline: what the probes and test shapes draw with.
WmfBuilder redNoPen()
{
    WmfBuilder b;
    b.brush(R).select(0).pen(K, 5).select(1);
    return b;
}

bool near(QRgb a, QRgb b, int tol = 40)
{
    return qAbs(qRed(a) - qRed(b)) <= tol && qAbs(qGreen(a) - qGreen(b)) <= tol && qAbs(qBlue(a) - qBlue(b)) <= tol;
}

QString hex(QRgb c)
{
    return QString::number(c & 0xFFFFFF, 16);
}

} // namespace

class TestWmf : public QObject
{
    Q_OBJECT

private slots:
    void mapping_data();
    void mapping();
    void textStaysUprightOnFlippedAxis();
    void textAlignment_data();
    void textAlignment();
    void fontHeightsAndEscapement();
    void clipRectangles_data();
    void clipRectangles();
    void objectTableSlots();
    void objectsAreHeldByValue();
    void saveAndRestore_data();
    void saveAndRestore();
    void fillModes();
    void dibRecords_data();
    void dibRecords();
    void dibRecordKinds_data();
    void dibRecordKinds();
    void boundsFoundByScanning();
    void windows1252();
    void transparentMaskPair();
    void damagedFiles_data();
    void damagedFiles();
    void placeableChecks_data();
    void placeableChecks();
    void enhancedRule_data();
    void enhancedRule();
    void realFilesDraw_data();
    void realFilesDraw();
    void matchesIndependentReader_data();
    void matchesIndependentReader();
    void emfMapModesAgree();
    void emfMapping_data();
    void emfMapping();
    void emfDamaged();
};

void TestWmf::mapping_data()
{
    QTest::addColumn<QByteArray>("setup");
    QTest::addColumn<QRect>("bbox"); // invalid: no placeable header
    QTest::addColumn<int>("inch");
    QTest::addColumn<QRectF>("target");
    QTest::addColumn<QPoint>("probe");
    QTest::addColumn<int>("half");
    QTest::addColumn<QPointF>("expected");

    const QRect box(0, 0, 100, 100);
    const QRectF full(0, 0, 200, 200);
    auto rec = [](std::function<void(WmfBuilder &)> f) {
        WmfBuilder b;
        f(b);
        return b.records();
    };
    QTest::newRow("identity") << rec([](WmfBuilder &b) { b.windowOrg(0, 0).windowExt(100, 100); }) << box << 96
                              << full << QPoint(25, 75) << 2 << QPointF(50, 150);
    QTest::newRow("window origin") << rec([](WmfBuilder &b) { b.windowOrg(50, 50).windowExt(100, 100); }) << box
                                   << 96 << full << QPoint(75, 75) << 2 << QPointF(50, 50);
    QTest::newRow("negative y extent") << rec([](WmfBuilder &b) { b.windowOrg(0, 100).windowExt(100, -100); })
                                       << box << 96 << full << QPoint(25, 75) << 2 << QPointF(50, 50);
    QTest::newRow("negative x extent") << rec([](WmfBuilder &b) { b.windowOrg(100, 0).windowExt(-100, 100); })
                                       << box << 96 << full << QPoint(25, 75) << 2 << QPointF(150, 150);
    QTest::newRow("both negative") << rec([](WmfBuilder &b) { b.windowOrg(100, 100).windowExt(-100, -100); })
                                   << box << 96 << full << QPoint(25, 75) << 2 << QPointF(150, 50);
    QTest::newRow("viewport extent") << rec([](WmfBuilder &b) { b.windowExt(200, 200).viewportExt(100, 100); })
                                     << box << 96 << full << QPoint(100, 50) << 4 << QPointF(100, 50);
    QTest::newRow("viewport origin")
        << rec([](WmfBuilder &b) { b.windowOrg(0, 0).windowExt(100, 100).viewportOrg(20, 10); }) << box << 96
        << full << QPoint(25, 25) << 2 << QPointF(90, 70);
    QTest::newRow("MM_TEXT ignores extents") << rec([](WmfBuilder &b) { b.mapMode(1).windowExt(1000, 1000); })
                                             << box << 96 << full << QPoint(25, 75) << 2 << QPointF(50, 150);
    QTest::newRow("isotropic keeps aspect")
        << rec([](WmfBuilder &b) { b.mapMode(7).windowExt(100, 50).viewportExt(100, 100); }) << box << 96 << full
        << QPoint(50, 25) << 2 << QPointF(100, 50);
    QTest::newRow("anisotropic stretches")
        << rec([](WmfBuilder &b) { b.mapMode(8).windowExt(100, 50).viewportExt(100, 100); }) << box << 96 << full
        << QPoint(50, 25) << 2 << QPointF(100, 100);
    QTest::newRow("MM_HIMETRIC, y up") << rec([](WmfBuilder &b) { b.mapMode(3); }) << QRect(0, 0, 1000, 1000)
                                       << 1000 << full << QPoint(1000, -1000) << 20 << QPointF(78.74, 78.74);
    QTest::newRow("MM_LOMETRIC") << rec([](WmfBuilder &b) { b.mapMode(2); }) << QRect(0, 0, 1000, 1000) << 1000
                                 << full << QPoint(100, -100) << 2 << QPointF(78.74, 78.74);
    QTest::newRow("MM_TWIPS") << rec([](WmfBuilder &b) { b.mapMode(6); }) << QRect(0, 0, 1000, 1000) << 1000
                              << full << QPoint(720, -720) << 20 << QPointF(100, 100);
    QTest::newRow("target moved and squeezed") << rec([](WmfBuilder &b) { b.windowExt(100, 100); }) << box << 96
                                               << QRectF(10, 20, 100, 50) << QPoint(50, 50) << 4
                                               << QPointF(60, 45);
    QTest::newRow("offset window origin")
        << rec([](WmfBuilder &b) { b.windowOrg(0, 0).windowExt(100, 100).rec(0x020F, {10, 10}); }) << box << 96
        << full << QPoint(35, 35) << 2 << QPointF(50, 50);
    QTest::newRow("scaled window extent")
        << rec([](WmfBuilder &b) { b.windowExt(50, 50).rec(0x0410, {1, 2, 1, 2}); }) << box << 96 << full
        << QPoint(25, 75) << 2 << QPointF(50, 150);
    QTest::newRow("no placeable header") << rec([](WmfBuilder &b) { b.windowOrg(10, 10).windowExt(200, 100); })
                                         << QRect() << 96 << full << QPoint(110, 60) << 2 << QPointF(100, 100);
}

void TestWmf::mapping()
{
    QFETCH(QByteArray, setup);
    QFETCH(QRect, bbox);
    QFETCH(int, inch);
    QFETCH(QRectF, target);
    QFETCH(QPoint, probe);
    QFETCH(int, half);
    QFETCH(QPointF, expected);

    // The setup records, then the red probe square.
    QByteArray recs = setup;
    recs += redNoPen().rectangle(probe.x() - half, probe.y() - half, probe.x() + half, probe.y() + half).records();
    WmfBuilder all;
    // Re-wrap the raw record bytes.
    for (qsizetype pos = 0; pos + 6 <= recs.size();) {
        const quint32 words = quint32(uchar(recs[pos]) | (uchar(recs[pos + 1]) << 8));
        const quint16 fn = quint16(uchar(recs[pos + 4]) | (uchar(recs[pos + 5]) << 8));
        all.raw(fn, recs.mid(pos + 6, qsizetype(words) * 2 - 6));
        pos += qsizetype(words) * 2;
    }
    const QImage img = play(all.build(bbox, inch), QSize(200, 200), target);
    const QRect ink = vztest::inkBounds(img, 40);
    QVERIFY2(ink.isValid(), "nothing drawn");
    const QPointF centre = QRectF(ink).adjusted(0, 0, 1, 1).center();
    QVERIFY2(qAbs(centre.x() - expected.x()) <= 1.5 && qAbs(centre.y() - expected.y()) <= 1.5,
             qPrintable(QStringLiteral("probe at %1,%2").arg(centre.x()).arg(centre.y())));
}

void TestWmf::textStaysUprightOnFlippedAxis()
{
    WmfBuilder flipped;
    flipped.windowOrg(0, 100).windowExt(100, -100).font(-20).select(0).textOut(20, 70, "Hg");
    WmfBuilder plain;
    plain.windowOrg(0, 0).windowExt(100, 100).font(-20).select(0).textOut(20, 30, "Hg");
    const QImage a = play(flipped.build(QRect(0, 0, 100, 100)));
    const QImage b = play(plain.build(QRect(0, 0, 100, 100)));
    QVERIFY(vztest::inkBounds(b).isValid());
    QVERIFY(vztest::inkBounds(b).height() > 20);
    QCOMPARE(vztest::maxChannelDiff(a, b), 0);
}

void TestWmf::textAlignment_data()
{
    QTest::addColumn<int>("align");
    QTest::addColumn<QString>("check");
    QTest::newRow("left top") << 0 << "left top";
    QTest::newRow("right") << 2 << "right";
    QTest::newRow("centre") << 6 << "centre";
    QTest::newRow("baseline") << 24 << "baseline";
    QTest::newRow("bottom") << 8 << "bottom";
}

void TestWmf::textAlignment()
{
    QFETCH(int, align);
    QFETCH(QString, check);
    // "HHHH" at logical (50, 50): device (100, 100) on a 200-pixel target.
    WmfBuilder b;
    b.windowExt(100, 100).font(-20).select(0).rec(0x012E, {align}).textOut(50, 50, "HHHH");
    const QRect ink = vztest::inkBounds(play(b.build(QRect(0, 0, 100, 100))));
    QVERIFY(ink.isValid());
    QVERIFY(ink.width() > 40);
    const QString where = QStringLiteral("ink %1,%2 %3x%4").arg(ink.x()).arg(ink.y()).arg(ink.width()).arg(ink.height());
    if (check == QLatin1String("left top"))
        QVERIFY2(ink.left() >= 99 && ink.left() <= 106 && ink.top() > 100 && ink.top() < 115, qPrintable(where));
    else if (check == QLatin1String("right"))
        QVERIFY2(ink.right() <= 101 && ink.right() >= 92, qPrintable(where));
    else if (check == QLatin1String("centre"))
        QVERIFY2(qAbs(ink.center().x() - 100) <= 3, qPrintable(where));
    else if (check == QLatin1String("baseline"))
        QVERIFY2(qAbs(ink.bottom() - 99) <= 1, qPrintable(where));
    else
        QVERIFY2(ink.bottom() < 98 && ink.bottom() > 84, qPrintable(where));
}

void TestWmf::fontHeightsAndEscapement()
{
    auto inkOf = [](int height, int escapement, const QByteArray &text) {
        WmfBuilder b;
        b.windowExt(100, 100).font(height, "DejaVu Sans", escapement).select(0).rec(0x012E, {24});
        b.textOut(30, 70, text);
        return vztest::inkBounds(play(b.build(QRect(0, 0, 100, 100))));
    };
    // A negative height is the em, a positive one the whole cell: smaller letters.
    const QRect em = inkOf(-20, 0, "H");
    const QRect cell = inkOf(20, 0, "H");
    QVERIFY2(cell.height() <= em.height() * 0.92, qPrintable(QStringLiteral("%1 vs %2").arg(cell.height()).arg(em.height())));
    // Escapement 90 degrees writes upwards.
    const QRect up = inkOf(-20, 900, "HHHH");
    QVERIFY(up.height() > 2 * up.width());
    QVERIFY(up.bottom() <= 141);

    // UPDATECP: two calls continue where the first ended.
    WmfBuilder two;
    two.windowExt(100, 100).font(-20).select(0).rec(0x012E, {1}).rec(0x0214, {50, 10});
    two.textOut(0, 0, "HH").textOut(0, 0, "HH");
    WmfBuilder one;
    one.windowExt(100, 100).font(-20).select(0).textOut(10, 50, "HHHH");
    const QImage a = play(two.build(QRect(0, 0, 100, 100)));
    const QImage b = play(one.build(QRect(0, 0, 100, 100)));
    QVERIFY(qAbs(vztest::inkBounds(a).width() - vztest::inkBounds(b).width()) <= 2);
}

void TestWmf::clipRectangles_data()
{
    QTest::addColumn<QByteArray>("clip");
    QTest::addColumn<QList<QRgb>>("expected"); // at (20,20), (180,20), (100,100)
    auto rec = [](std::function<void(WmfBuilder &)> f) {
        WmfBuilder b;
        f(b);
        return b.records();
    };
    QTest::newRow("intersect left half") << rec([](WmfBuilder &b) { b.rec(0x0416, {100, 50, 0, 0}); })
                                         << QList<QRgb>{R, W, W};
    QTest::newRow("exclude middle") << rec([](WmfBuilder &b) { b.rec(0x0415, {75, 75, 25, 25}); })
                                    << QList<QRgb>{R, R, W};
    QTest::newRow("restored away") << rec([](WmfBuilder &b) { b.rec(0x001E, {}).rec(0x0416, {10, 10, 0, 0}).rec(0x0127, {-1}); })
                                   << QList<QRgb>{R, R, R};
    QTest::newRow("two intersections") << rec([](WmfBuilder &b) { b.rec(0x0416, {100, 60, 0, 0}).rec(0x0416, {100, 100, 0, 40}); })
                                       << QList<QRgb>{W, W, R};
}

void TestWmf::clipRectangles()
{
    QFETCH(QByteArray, clip);
    QFETCH(QList<QRgb>, expected);
    WmfBuilder b;
    b.windowExt(100, 100);
    for (qsizetype pos = 0; pos + 6 <= clip.size();) {
        const quint32 words = quint32(uchar(clip[pos]) | (uchar(clip[pos + 1]) << 8));
        b.raw(quint16(uchar(clip[pos + 4]) | (uchar(clip[pos + 5]) << 8)), clip.mid(pos + 6, qsizetype(words) * 2 - 6));
        pos += qsizetype(words) * 2;
    }
    b.brush(R).select(0).pen(K, 5).select(1).rectangle(0, 0, 100, 100);
    const QImage img = play(b.build(QRect(0, 0, 100, 100)));
    QCOMPARE(hex(img.pixel(20, 20)), hex(expected[0]));
    QCOMPARE(hex(img.pixel(180, 20)), hex(expected[1]));
    QCOMPARE(hex(img.pixel(100, 100)), hex(expected[2]));
}

void TestWmf::objectTableSlots()
{
    WmfBuilder b;
    b.pen(R).brush(G).remove(0).font(-10).rec(0x00F7, {0x300, 0}).brush(B).remove(2).brush(K);
    const auto doc = WmfDocument::parse(b.build(QRect(0, 0, 10, 10)));
    QVERIFY(doc);
    // A and B take 0 and 1; deleting A frees 0 for C; the palette takes a
    // slot like any object; deleting it frees 2 again.
    QCOMPARE(wmfObjectSlots(*doc), (std::vector<int>{0, 1, 0, 2, 3, 2}));
}

void TestWmf::objectsAreHeldByValue()
{
    WmfBuilder b;
    b.windowExt(100, 100).brush(R).select(0).remove(0).pen(K, 5).select(0);
    b.rectangle(0, 0, 50, 100);
    b.brush(B); // takes a free slot but is never selected
    b.rectangle(50, 0, 100, 100);
    const QImage img = play(b.build(QRect(0, 0, 100, 100)));
    QCOMPARE(hex(img.pixel(50, 100)), hex(R));
    QCOMPARE(hex(img.pixel(150, 100)), hex(R));
}

void TestWmf::saveAndRestore_data()
{
    QTest::addColumn<int>("argument");
    QTest::addColumn<QRgb>("expected");
    QTest::newRow("-1 relative") << -1 << G;
    QTest::newRow("-2 relative") << -2 << R;
    QTest::newRow("1 absolute") << 1 << R;
    QTest::newRow("2 absolute") << 2 << G;
    QTest::newRow("0 ignored") << 0 << B;
    QTest::newRow("-3 too deep") << -3 << B;
    QTest::newRow("3 beyond") << 3 << B;
}

void TestWmf::saveAndRestore()
{
    QFETCH(int, argument);
    QFETCH(QRgb, expected);
    WmfBuilder b;
    b.windowExt(100, 100).pen(K, 5).select(0);
    b.brush(R).select(1).rec(0x001E, {});
    b.brush(G).select(2).rec(0x001E, {});
    b.brush(B).select(3);
    b.rec(0x0127, {argument});
    b.rectangle(0, 0, 100, 100);
    const QImage img = play(b.build(QRect(0, 0, 100, 100)));
    QCOMPARE(hex(img.pixel(100, 100)), hex(expected));
}

void TestWmf::fillModes()
{
    for (int mode : {1, 2}) {
        WmfBuilder all;
        all.windowExt(100, 100).brush(R).select(0).pen(K, 5).select(1).rec(0x0106, {mode});
        all.polygon({{50, 0}, {79, 90}, {2, 35}, {98, 35}, {21, 90}});
        const QImage img = play(all.build(QRect(0, 0, 100, 100)));
        // The star's point is filled either way; its centre only when winding.
        QCOMPARE(hex(img.pixel(100, 30)), hex(R));
        QCOMPARE(hex(img.pixel(100, 100)), hex(mode == 1 ? W : R));
    }
}

void TestWmf::dibRecords_data()
{
    QTest::addColumn<QByteArray>("dib");
    QTest::addColumn<QRect>("dest");
    QTest::addColumn<QPoint>("src"); // (0,0) and size 2 x 2 unless srcSize says otherwise
    QTest::addColumn<QSize>("srcSize");
    QTest::addColumn<QList<QRgb>>("quadrants"); // TL, TR, BL, BR

    const QList<QRgb> pal{R, G, B, W};
    const QByteArray bottomUp = vztest::dib8(2, 2, pal, {QByteArray::fromHex("0203"), QByteArray::fromHex("0001")});
    const QByteArray topDown
        = vztest::dib8(2, 2, pal, {QByteArray::fromHex("0001"), QByteArray::fromHex("0203")}, true);
    QTest::newRow("bottom-up") << bottomUp << QRect(0, 0, 100, 100) << QPoint(0, 0) << QSize(2, 2)
                               << QList<QRgb>{R, G, B, W};
    QTest::newRow("top-down") << topDown << QRect(0, 0, 100, 100) << QPoint(0, 0) << QSize(2, 2)
                              << QList<QRgb>{R, G, B, W};
    QTest::newRow("index past palette clamps")
        << vztest::dib8(2, 2, pal, {QByteArray::fromHex("0209"), QByteArray::fromHex("0001")})
        << QRect(0, 0, 100, 100) << QPoint(0, 0) << QSize(2, 2) << QList<QRgb>{R, G, B, W};
    QTest::newRow("mirrored by negative width") << bottomUp << QRect(100, 0, -100, 100) << QPoint(0, 0)
                                                << QSize(2, 2) << QList<QRgb>{G, R, W, B};
    // Source y counts from the bottom row of a bottom-up bitmap.
    QTest::newRow("source pixel bottom-left") << bottomUp << QRect(0, 0, 100, 100) << QPoint(0, 0) << QSize(1, 1)
                                              << QList<QRgb>{B, B, B, B};
    QTest::newRow("source pixel top-right") << bottomUp << QRect(0, 0, 100, 100) << QPoint(1, 1) << QSize(1, 1)
                                            << QList<QRgb>{G, G, G, G};
}

void TestWmf::dibRecords()
{
    QFETCH(QByteArray, dib);
    QFETCH(QRect, dest);
    QFETCH(QPoint, src);
    QFETCH(QSize, srcSize);
    QFETCH(QList<QRgb>, quadrants);
    WmfBuilder b;
    b.windowExt(100, 100).rec(0x0107, {3}); // COLORONCOLOR
    b.stretchDib(dib, srcSize.width(), srcSize.height(), dest, 0x00CC0020, src.x(), src.y());
    const QImage img = play(b.build(QRect(0, 0, 100, 100)));
    const QPoint probes[4] = {{40, 40}, {160, 40}, {40, 160}, {160, 160}};
    for (int i = 0; i < 4; ++i)
        QVERIFY2(near(img.pixel(probes[i]), quadrants[i], 8),
                 qPrintable(QStringLiteral("quadrant %1 is %2").arg(i).arg(hex(img.pixel(probes[i])))));
}

void TestWmf::dibRecordKinds_data()
{
    QTest::addColumn<QByteArray>("params"); // everything before the DIB
    QTest::addColumn<quint16>("function");
    auto words = [](std::initializer_list<int> w) {
        QByteArray b;
        for (int v : w)
            WmfBuilder::put16(b, v);
        return b;
    };
    QByteArray srcCopy;
    WmfBuilder::put32(srcCopy, 0x00CC0020);
    // A 2 x 2 bitmap onto logical (0,0)-(2,2), the whole 2 x 2 frame.
    QTest::newRow("STRETCHDIB") << srcCopy + words({0, 2, 2, 0, 0, 2, 2, 0, 0}) << quint16(0x0F43);
    QTest::newRow("DIBSTRETCHBLT") << srcCopy + words({2, 2, 0, 0, 2, 2, 0, 0}) << quint16(0x0B41);
    QTest::newRow("DIBBITBLT") << srcCopy + words({0, 0, 2, 2, 0, 0}) << quint16(0x0940);
    QTest::newRow("SETDIBTODEV") << words({0, 2, 0, 0, 0, 2, 2, 0, 0}) << quint16(0x0D33);
}

void TestWmf::dibRecordKinds()
{
    QFETCH(QByteArray, params);
    QFETCH(quint16, function);
    const QByteArray dib = vztest::dib8(2, 2, {R, G, B, W}, {QByteArray::fromHex("0203"), QByteArray::fromHex("0001")});
    WmfBuilder b;
    b.windowExt(2, 2).raw(function, params + dib);
    const QImage img = play(b.build(QRect(0, 0, 2, 2)));
    QCOMPARE(hex(img.pixel(40, 40)), hex(R));
    QCOMPARE(hex(img.pixel(160, 40)), hex(G));
    QCOMPARE(hex(img.pixel(40, 160)), hex(B));
    QCOMPARE(hex(img.pixel(160, 160)), hex(W));
}

void TestWmf::boundsFoundByScanning()
{
    // No header and no window: the frame is what the records draw.
    WmfBuilder b;
    b.brush(R).select(0).rectangle(10, 20, 110, 70).polygon({{60, 20}, {110, 45}, {60, 70}});
    const auto doc = WmfDocument::parse(b.build());
    QVERIFY(doc);
    QVERIFY(!doc->isPlaceable());
    QCOMPARE(doc->unitsPerInch(), 96);
    QCOMPARE(doc->frame(), QRectF(10, 20, 100, 50));
    QCOMPARE(doc->pixelSize(), QSize(100, 50));
    const QImage img = play(b.build(), QSize(100, 50));
    QCOMPARE(vztest::inkBounds(img, 40), QRect(0, 0, 100, 50));
}

void TestWmf::windows1252()
{
    const QByteArray bytes("\x80\x93x\xe9\x9f", 5);
    const QString text = vz::mf::decodeAnsi(bytes.constData(), bytes.size());
    QCOMPARE(text, QString::fromUtf8("\u20ac\u201cx\u00e9\u0178"));
    QCOMPARE(vz::mf::encodeAnsi(text), bytes);
    QCOMPARE(vz::mf::encodeAnsi(QString::fromUtf8("\u4e2d")), QByteArray("?"));
}

void TestWmf::transparentMaskPair()
{
    // Green ground; the mask (white = keep) is ANDed, then the picture
    // (black where transparent) ORed: only the right half turns red.
    const QByteArray mask = vztest::dib8(2, 1, {K, W}, {QByteArray::fromHex("0100")});
    const QByteArray colour = vztest::dib8(2, 1, {K, R}, {QByteArray::fromHex("0001")});
    WmfBuilder b;
    b.windowExt(100, 100).brush(G).select(0).pen(K, 5).select(1).rectangle(0, 0, 100, 100);
    b.stretchDib(mask, 2, 1, QRect(0, 0, 100, 100), 0x008800C6);
    b.stretchDib(colour, 2, 1, QRect(0, 0, 100, 100), 0x00EE0086);
    const QByteArray file = b.build(QRect(0, 0, 100, 100));
    const QImage img = play(file);
    QCOMPARE(hex(img.pixel(40, 100)), hex(G));
    QCOMPARE(hex(img.pixel(160, 100)), hex(R));
    // Devices without raster operations get the same picture.
    QImage argb(200, 200, QImage::Format_ARGB32_Premultiplied);
    argb.fill(W);
    const auto doc = WmfDocument::parse(file);
    QPainter p(&argb);
    playWmf(*doc, p, QRectF(0, 0, 200, 200));
    p.end();
    QCOMPARE(hex(argb.pixel(40, 100)), hex(G));
    QCOMPARE(hex(argb.pixel(160, 100)), hex(R));
}

void TestWmf::damagedFiles_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("leftRed");
    QTest::addColumn<bool>("rightBlue");

    auto make = [](std::function<void(WmfBuilder &)> middle, bool cutLast = false) {
        WmfBuilder b;
        b.windowExt(100, 100).pen(K, 5).select(0).brush(R).select(1).rectangle(0, 0, 50, 100);
        middle(b);
        b.brush(B).select(2).rectangle(50, 0, 100, 100);
        QByteArray f = b.build(QRect(0, 0, 100, 100));
        if (cutLast)
            f.chop(6 + 4); // the end record and part of the rectangle
        return f;
    };
    QTest::newRow("last record cut") << make([](WmfBuilder &) {}, true) << true << false;
    QTest::newRow("record size below 3")
        << make([](WmfBuilder &b) { b.raw(0x0999, QByteArray()); }).replace(QByteArray::fromHex("0300000099 09"), QByteArray::fromHex("0200000099 09"))
        << true << false;
    QTest::newRow("polygon count past record") << make([](WmfBuilder &b) {
        b.rec(0x0324, {1000, 1, 1, 5, 5});
    }) << true << true;
    QTest::newRow("polypolygon counts past record") << make([](WmfBuilder &b) {
        b.rec(0x0538, {2, 3, 40000, 1, 1, 2, 2, 3, 3});
    }) << true << true;
    QTest::newRow("unknown record") << make([](WmfBuilder &b) { b.rec(0x0999, {1, 2, 3}); }) << true << true;
    QTest::newRow("text longer than record") << make([](WmfBuilder &b) { b.rec(0x0521, {5000, 0x4141}); })
                                             << true << true;
    QTest::newRow("extended text cut") << make([](WmfBuilder &b) { b.rec(0x0A32, {0, 0, 100, 6, 1, 2}); })
                                       << true << true;
    QTest::newRow("bitmap with bad header") << make([](WmfBuilder &b) {
        b.stretchDib(QByteArray::fromHex("ffffffff0100000001000000"), 1, 1, QRect(0, 0, 10, 10));
    }) << true << true;
    QTest::newRow("select and delete of missing objects") << make([](WmfBuilder &b) {
        b.select(60000).remove(777).rec(0x012C, {999});
    }) << true << true;
    QTest::newRow("restore without save") << make([](WmfBuilder &b) { b.rec(0x0127, {-5}); }) << true << true;
}

void TestWmf::damagedFiles()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, leftRed);
    QFETCH(bool, rightBlue);
    const QImage img = play(file);
    QCOMPARE(img.pixel(50, 100) == (R | 0xFF000000u), leftRed);
    QCOMPARE(img.pixel(150, 100) == (B | 0xFF000000u), rightBlue);
    // Every prefix of the file reads and plays without harm.
    for (qsizetype n = 0; n < file.size(); n += 3)
        play(file.left(n), QSize(20, 20));
}

void TestWmf::placeableChecks_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QSize>("hiMetric");
    WmfBuilder b;
    b.rectangle(0, 0, 1, 1);
    QTest::newRow("1000 per inch") << b.build(QRect(0, 0, 2000, 1000), 1000) << true << QSize(5080, 2540);
    QTest::newRow("0 per inch is 96") << b.build(QRect(0, 0, 96, 48), 0) << true << QSize(2540, 1270);
    QTest::newRow("rounded to nearest") << b.build(QRect(0, 0, 1, 3), 2000) << true << QSize(1, 4);
    QTest::newRow("offset box") << b.build(QRect(-100, 50, 200, 100), 200) << true << QSize(2540, 1270);
    QByteArray badKey = b.build(QRect(0, 0, 10, 10));
    badKey[0] = char(0xD8);
    QTest::newRow("wrong key") << badKey << false << QSize();
    QTest::newRow("wrong checksum") << b.build(QRect(0, 0, 10, 10), 96, 8, false) << false << QSize();
    QTest::newRow("too short") << b.build(QRect(0, 0, 10, 10)).left(21) << false << QSize();
    QTest::newRow("no header") << b.build() << false << QSize();
}

void TestWmf::placeableChecks()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, valid);
    QFETCH(QSize, hiMetric);
    const auto pict = metafilePictFromPlaceable(file);
    QCOMPARE(pict.has_value(), valid);
    if (!valid)
        return;
    QCOMPARE(pict->mappingMode, 8);
    QCOMPARE(QSize(pict->widthHiMetric, pict->heightHiMetric), hiMetric);
    QCOMPARE(pict->records, file.mid(22));
}

void TestWmf::enhancedRule_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<bool>("enhanced");
    QByteArray emf(101, '\0');
    emf[0] = 1;
    emf.replace(40, 4, QByteArray::fromHex("20454D46"));
    QTest::newRow("101 bytes") << emf << true;
    QTest::newRow("100 bytes") << emf.left(100) << false;
    QByteArray two = emf;
    two[0] = 2;
    QTest::newRow("first int32 2") << two << false;
    QByteArray sig = emf;
    sig[43] = 'X';
    QTest::newRow("other signature") << sig << false;
    QTest::newRow("placeable WMF") << WmfBuilder().rectangle(0, 0, 1, 1).build(QRect(0, 0, 10, 10)) << false;
}

void TestWmf::enhancedRule()
{
    QFETCH(QByteArray, data);
    QFETCH(bool, enhanced);
    QCOMPARE(isEnhancedMetafileData(data), enhanced);
}

void TestWmf::realFilesDraw_data()
{
    VZ_SAMPLE_METAFILE_ROWS();
}

void TestWmf::realFilesDraw()
{
    QFETCH(QString, path);
    const vz::Picture pic = vz::Picture::fromFile(path);
    QVERIFY(pic.isMetafile());
    QVERIFY(pic.width() > 0 && pic.height() > 0);
    QVERIFY(pic.recordCount() > 10);
    const QSize size = pic.size().scaled(300, 300, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    const QImage img = pic.render(size);
    const QRect ink = vztest::inkBounds(img, 24);
    QVERIFY2(ink.isValid(), "nothing drawn");
    // The drawing spreads over the picture rather than a corner of it.
    QVERIFY2(ink.width() > size.width() / 3 && ink.height() > size.height() / 3,
             qPrintable(QStringLiteral("ink only in %1x%2").arg(ink.width()).arg(ink.height())));
}

void TestWmf::matchesIndependentReader_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<double>("allowed"); // share of pixels that may differ clearly
    if (vztest::sampleMetafileDir().isEmpty())
        QSKIP("the shared sample metafiles are not present");
    QTest::newRow("ant") << "ant" << 0.02;
    QTest::newRow("2doorvan") << "2doorvan" << 0.03;
    QTest::newRow("arrow01") << "arrow01" << 0.02;
    QTest::newRow("fjftest") << "fjftest" << 0.04;
    // One-pixel outlines: drawn at full strength here, thinned in the
    // reference, which was drawn large and scaled down.
    QTest::newRow("sample") << "sample" << 0.15;
}

void TestWmf::matchesIndependentReader()
{
    QFETCH(QString, name);
    QFETCH(double, allowed);
    // References drawn once by ImageMagick (libwmf) at low resolution.
    const QImage ref(QStringLiteral(VZ_SOURCE_DIR "/tests/metafile/data/%1.png").arg(name));
    QVERIFY(!ref.isNull());
    const vz::Picture pic = vz::Picture::fromFile(vztest::sampleMetafileDir() + name + QStringLiteral(".wmf"));
    const QImage mine = pic.render(ref.size());
    // Readers frame some files differently (libwmf fits the drawing where
    // the header's box says otherwise), so the drawings are compared within
    // their own bounds.
    const QRect mineInk = vztest::inkBounds(mine, 24);
    const QRect refInk = vztest::inkBounds(ref, 24);
    QVERIFY(mineInk.isValid() && refInk.isValid());
    const QSize common(64, 64);
    const QImage a = mine.copy(mineInk).scaled(common, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QImage b = ref.copy(refInk).scaled(common, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const double share = vztest::differingShare(a, b, 96);
    qInfo("%s: %.2f%% of pixels differ clearly", qPrintable(name), share * 100);
    QVERIFY2(share <= allowed, qPrintable(QString::number(share)));
}

void TestWmf::emfMapModesAgree()
{
    const QString dir = vztest::sampleMetafileDir();
    if (dir.isEmpty())
        QSKIP("the shared sample metafiles are not present");
    // The same drawing made in anisotropic and in HIMETRIC mapping.
    const vz::Picture a = vz::Picture::fromFile(dir + QStringLiteral("test_mm_anisotropic_ref.emf"));
    const vz::Picture h = vz::Picture::fromFile(dir + QStringLiteral("test_mm_himetric_ref.emf"));
    const QImage ia = a.render(QSize(280, 200));
    const QImage ih = h.render(QSize(280, 200));
    QVERIFY(vztest::inkBounds(ia).isValid());
    QVERIFY(vztest::differingShare(ia, ih, 64) < 0.01);
}

namespace {

// A hand-made enhanced metafile: a 100 mm square frame on a reference
// device of 3.2 pixels per millimetre (320 pixels), then the records.
class EmfBuilder
{
public:
    EmfBuilder &rec(quint32 type, std::initializer_list<qint32> values)
    {
        WmfBuilder::put32(m_recs, type);
        WmfBuilder::put32(m_recs, quint32(8 + 4 * values.size()));
        for (qint32 v : values)
            WmfBuilder::put32(m_recs, quint32(v));
        ++m_count;
        return *this;
    }
    QByteArray build() const
    {
        QByteArray h;
        auto p32 = [&h](qint64 v) { WmfBuilder::put32(h, quint32(v)); };
        QByteArray body = m_recs;
        WmfBuilder::put32(body, 14);
        WmfBuilder::put32(body, 20);
        WmfBuilder::put32(body, 0);
        WmfBuilder::put32(body, 0);
        WmfBuilder::put32(body, 20);
        p32(1);
        p32(88);
        for (int v : {0, 0, 319, 319})
            p32(v); // bounds, device pixels
        for (int v : {0, 0, 10000, 10000})
            p32(v); // frame, 0.01 mm
        p32(0x464D4520);
        p32(0x10000);
        p32(88 + body.size());
        p32(m_count + 2);
        WmfBuilder::put16(h, 4);
        WmfBuilder::put16(h, 0);
        p32(0);
        p32(0);
        p32(0);
        p32(1024);
        p32(768);
        p32(320);
        p32(240);
        return h + body;
    }

private:
    QByteArray m_recs;
    int m_count = 0;
};

QImage playEmfBytes(const QByteArray &bytes)
{
    QImage img(200, 200, QImage::Format_RGB32);
    img.fill(W);
    const auto doc = EmfDocument::parse(bytes);
    if (doc) {
        QPainter p(&img);
        playEmf(*doc, p, QRectF(0, 0, 200, 200));
    }
    return img;
}

constexpr quint32 EMR_SETWINDOWEXTEX = 9, EMR_SETVIEWPORTEXTEX = 11, EMR_SETMAPMODE = 17,
                  EMR_SETWORLDTRANSFORM = 35, EMR_SELECTOBJECT = 37, EMR_CREATEBRUSHINDIRECT = 39,
                  EMR_RECTANGLE = 43, EMR_MODIFYWORLDTRANSFORM = 36;

qint32 f32(float f)
{
    qint32 v;
    std::memcpy(&v, &f, 4);
    return v;
}

} // namespace

void TestWmf::emfMapping_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QRect>("expected"); // ink on the 200-pixel target
    QTest::addColumn<QRgb>("colour");
    const QList<qint32> redBrush{1, 0, 0x0000FF, 0};
    auto start = [&]() {
        EmfBuilder b;
        b.rec(EMR_CREATEBRUSHINDIRECT, {1, 0, 0x0000FF, 0}).rec(EMR_SELECTOBJECT, {1});
        b.rec(EMR_SELECTOBJECT, {qint32(0x80000008)}); // NULL_PEN
        return b;
    };
    // The frame is 320 device pixels wide: 160 is half of it.
    QTest::newRow("MM_TEXT") << start().rec(EMR_RECTANGLE, {0, 0, 160, 160}).build() << QRect(0, 0, 100, 100) << R;
    QTest::newRow("MM_HIMETRIC") << start().rec(EMR_SETMAPMODE, {3}).rec(EMR_RECTANGLE, {0, 0, 5000, -5000}).build()
                                 << QRect(0, 0, 100, 100) << R;
    QTest::newRow("anisotropic")
        << start().rec(EMR_SETMAPMODE, {8}).rec(EMR_SETWINDOWEXTEX, {1000, 1000}).rec(EMR_SETVIEWPORTEXTEX, {320, 320})
               .rec(EMR_RECTANGLE, {500, 500, 1000, 1000}).build()
        << QRect(100, 100, 100, 100) << R;
    QTest::newRow("world transform")
        << start().rec(EMR_SETWORLDTRANSFORM, {f32(0.5f), 0, 0, f32(0.5f), f32(160), 0})
               .rec(EMR_RECTANGLE, {0, 0, 320, 320}).build()
        << QRect(100, 0, 100, 100) << R;
    QTest::newRow("world transform reset")
        << start().rec(EMR_SETWORLDTRANSFORM, {f32(0.5f), 0, 0, f32(0.5f), 0, 0})
               .rec(EMR_MODIFYWORLDTRANSFORM, {0, 0, 0, 0, 0, 0, 1}).rec(EMR_RECTANGLE, {0, 0, 160, 160}).build()
        << QRect(0, 0, 100, 100) << R;
    QTest::newRow("stock black brush")
        << start().rec(EMR_SELECTOBJECT, {qint32(0x80000004)}).rec(EMR_RECTANGLE, {160, 160, 320, 320}).build()
        << QRect(100, 100, 100, 100) << K;
}

void TestWmf::emfMapping()
{
    QFETCH(QByteArray, file);
    QFETCH(QRect, expected);
    QFETCH(QRgb, colour);
    const QImage img = playEmfBytes(file);
    const QRect ink = vztest::inkBounds(img, 40);
    QVERIFY2(qAbs(ink.left() - expected.left()) <= 1 && qAbs(ink.top() - expected.top()) <= 1
                 && qAbs(ink.right() - expected.right()) <= 1 && qAbs(ink.bottom() - expected.bottom()) <= 1,
             qPrintable(QStringLiteral("ink %1,%2 to %3,%4").arg(ink.left()).arg(ink.top()).arg(ink.right()).arg(ink.bottom())));
    QCOMPARE(hex(img.pixel(expected.center())), hex(colour));
}

void TestWmf::emfDamaged()
{
    EmfBuilder b;
    b.rec(EMR_CREATEBRUSHINDIRECT, {1, 0, 0x0000FF, 0}).rec(EMR_SELECTOBJECT, {1});
    b.rec(EMR_RECTANGLE, {0, 0, 160, 160});
    b.rec(8, {0, 0, 0, 0, 5, 1000000, 7}); // polypolygon whose counts exceed the record
    b.rec(84, {0, 0, 0, 0, 1, 0, 0, 0, 0, 500, 100000, 0, 0, 0, 0, 0, 0}); // text past the record
    b.rec(81, {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 400, 40, 900, 4, 0, 0x00CC0020, 10, 10}); // bitmap offsets outside
    b.rec(EMR_RECTANGLE, {160, 160, 320, 320});
    const QByteArray file = b.build();
    const QImage img = playEmfBytes(file);
    QCOMPARE(hex(img.pixel(50, 50)), hex(R));
    QCOMPARE(hex(img.pixel(150, 150)), hex(R));
    for (qsizetype n = 0; n < file.size(); n += 5)
        playEmfBytes(file.left(n));
}

QTEST_MAIN(TestWmf)
#include "tst_wmf.moc"
