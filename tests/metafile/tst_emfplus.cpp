// EMF+ reading and playing: one record kind per case, which part of a dual
// file plays, text layout, and damaged input.

#include "emfplusbuilder.h"
#include "wmfbuilder.h"

#include "metafile/EmfPlayer.h"
#include "metafile/EmfPlusReader.h"

#include <QElapsedTimer>
#include <QPainter>
#include <QtTest>

using namespace vz::mf;
using namespace vztest;
namespace rec = vz::mf::emfplus::rec;

namespace {

constexpr QRgb Red = 0xFFFF0000, Blue = 0xFF0000FF, Green = 0xFF00FF00, White = 0xFFFFFFFF;
enum : quint16 { S = 0x8000, C = 0x4000, P = 0x0800 };
using K = EmfPlusBuilder::ObjectKind;

QImage play(const QByteArray &bytes, QSize size = QSize(200, 200), bool smooth = false)
{
    QImage img(size, QImage::Format_RGB32);
    img.fill(White);
    const auto doc = EmfDocument::parse(bytes);
    if (doc) {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing, smooth);
        playEmf(*doc, p, QRectF(QPointF(0, 0), QSizeF(size)));
    }
    return img;
}

// Pixels that are neither white nor red: the soft edge of antialiasing.
int blended(const QImage &img)
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y) {
        const QRgb *row = reinterpret_cast<const QRgb *>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x)
            n += (row[x] | 0xFF000000) != White && (row[x] | 0xFF000000) != Red;
    }
    return n;
}

bool near(QRgb a, QRgb b, int tol = 40)
{
    return std::abs(qRed(a) - qRed(b)) <= tol && std::abs(qGreen(a) - qGreen(b)) <= tol
        && std::abs(qBlue(a) - qBlue(b)) <= tol;
}

QString describe(const QRect &r)
{
    return QStringLiteral("%1,%2 to %3,%4").arg(r.left()).arg(r.top()).arg(r.right()).arg(r.bottom());
}

bool closeRect(const QRect &a, const QRect &b, int tol = 2)
{
    return a.isValid() == b.isValid()
        && (!a.isValid()
            || (std::abs(a.left() - b.left()) <= tol && std::abs(a.top() - b.top()) <= tol
                && std::abs(a.right() - b.right()) <= tol && std::abs(a.bottom() - b.bottom()) <= tol));
}

QByteArray fillRect(const QRectF &r, QRgb c = Red)
{
    return Bytes().u32(c).u32(1).rect(r);
}

// A relative coordinate: one byte for -64..63, else two.
void relative(Bytes &b, int v)
{
    if (v >= -64 && v <= 63)
        b.u8(v & 0x7F);
    else
        b.u8(0x80 | ((v >> 8) & 0x7F)).u8(v & 0xFF);
}

QByteArray solidRectFile(const QRectF &r, QRgb c, bool dual = false)
{
    EmfPlusBuilder b(dual);
    b.plus(rec::FillRects, S, fillRect(r, c));
    return b.build();
}

QImage solidImage(QRgb c, int w = 4, int h = 4)
{
    QImage img(w, h, QImage::Format_ARGB32);
    img.fill(c);
    return img;
}

} // namespace

class TestEmfPlus : public QObject
{
    Q_OBJECT
private slots:
    void records_data();
    void records();
    void kinds();
    void antialiasing();
    void whichPartPlays_data();
    void whichPartPlays();
    void drawString_data();
    void drawString();
    void driverString();
    void dashedPen();
    void straightOutlines_data();
    void straightOutlines();
    void callerTransform();
    void continuedObject();
    void nestedMetafiles();
    void damaged_data();
    void damaged();
    void truncated();
};

void TestEmfPlus::records_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QRect>("ink");
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<QRgb>("colour");

    auto withPen = [](float width = 4) {
        EmfPlusBuilder b;
        b.object(1, K::Pen, ep::pen(width, Red));
        return b;
    };
    {
        EmfPlusBuilder b;
        b.plus(rec::FillRects, S, fillRect(QRectF(20, 20, 60, 40)));
        QTest::newRow("FillRects colour") << b.build() << QRect(20, 20, 60, 40) << QPoint(50, 40) << Red;
    }
    {
        EmfPlusBuilder b;
        b.object(0, K::Brush, ep::solidBrush(Blue)).plus(rec::FillRects, 0, Bytes().u32(0).u32(2).rect({20, 20, 20, 20}).rect({60, 60, 20, 20}));
        QTest::newRow("FillRects brush object") << b.build() << QRect(20, 20, 60, 60) << QPoint(70, 70) << Blue;
    }
    {
        EmfPlusBuilder b;
        b.plus(rec::FillRects, S | C, Bytes().u32(Red).u32(1).rect16(QRect(30, 40, 50, 60)));
        QTest::newRow("FillRects 16-bit") << b.build() << QRect(30, 40, 50, 60) << QPoint(50, 50) << Red;
    }
    {
        EmfPlusBuilder b = withPen();
        b.plus(rec::DrawRects, 1, Bytes().u32(1).rect({40, 40, 100, 100}));
        QTest::newRow("DrawRects") << b.build() << QRect(38, 38, 104, 104) << QPoint(40, 90) << Red;
    }
    {
        EmfPlusBuilder b;
        b.plus(rec::FillPolygon, S, Bytes().u32(Red).u32(4).points({{20, 20}, {120, 20}, {120, 80}, {20, 80}}));
        QTest::newRow("FillPolygon") << b.build() << QRect(20, 20, 100, 60) << QPoint(70, 50) << Red;
    }
    {
        Bytes pts;
        for (int v : {20, 20, 100, 0, 0, 60, -100, 0})
            relative(pts, v);
        EmfPlusBuilder b;
        b.plus(rec::FillPolygon, S | P, Bytes().u32(Red).u32(4).raw(pts.bytes()));
        QTest::newRow("FillPolygon relative") << b.build() << QRect(20, 20, 100, 60) << QPoint(70, 50) << Red;
    }
    {
        EmfPlusBuilder b = withPen(6);
        b.plus(rec::DrawLines, 1, Bytes().u32(2).points({{20, 100}, {180, 100}}));
        QTest::newRow("DrawLines flat") << b.build() << QRect(20, 97, 160, 6) << QPoint(100, 100) << Red;
    }
    {
        EmfPlusBuilder b = withPen(2);
        b.plus(rec::DrawLines, 1 | 0x2000, Bytes().u32(3).points({{20, 20}, {180, 20}, {20, 180}}));
        QTest::newRow("DrawLines closed") << b.build() << QRect(19, 19, 162, 162) << QPoint(20, 100) << Red;
    }
    {
        EmfPlusBuilder b;
        b.plus(rec::FillEllipse, S, Bytes().u32(Red).rect({50, 50, 100, 60}));
        QTest::newRow("FillEllipse") << b.build() << QRect(50, 50, 100, 60) << QPoint(100, 80) << Red;
    }
    {
        EmfPlusBuilder b = withPen(2);
        b.plus(rec::DrawEllipse, 1, Bytes().rect({50, 50, 100, 60}));
        QTest::newRow("DrawEllipse") << b.build() << QRect(49, 49, 102, 62) << QPoint(50, 80) << Red;
    }
    {
        EmfPlusBuilder b;
        b.plus(rec::FillPie, S, Bytes().u32(Red).f32(0).f32(90).rect({0, 0, 200, 200}));
        QTest::newRow("FillPie clockwise") << b.build() << QRect(100, 100, 100, 100) << QPoint(150, 150) << Red;
    }
    {
        EmfPlusBuilder b = withPen(2);
        b.plus(rec::DrawPie, 1, Bytes().f32(90).f32(90).rect({0, 0, 200, 200}));
        QTest::newRow("DrawPie") << b.build() << QRect(0, 99, 101, 101) << QPoint(100, 150) << Red;
    }
    {
        EmfPlusBuilder b = withPen(4);
        b.plus(rec::DrawArc, 1, Bytes().f32(180).f32(90).rect({0, 0, 200, 200}));
        QTest::newRow("DrawArc") << b.build() << QRect(0, 0, 102, 102) << QPoint(29, 29) << Red;
    }
    {
        EmfPlusBuilder b;
        b.object(2, K::Path, ep::rectPath({30, 30, 100, 50})).plus(rec::FillPath, S | 2, Bytes().u32(Blue));
        QTest::newRow("FillPath") << b.build() << QRect(30, 30, 100, 50) << QPoint(80, 50) << Blue;
    }
    {
        EmfPlusBuilder b = withPen(4);
        b.object(2, K::Path, ep::rectPath({30, 30, 100, 50})).plus(rec::DrawPath, 2, Bytes().u32(1));
        QTest::newRow("DrawPath") << b.build() << QRect(28, 28, 104, 54) << QPoint(30, 50) << Red;
    }
    {
        EmfPlusBuilder b;
        b.plus(rec::FillClosedCurve, S, Bytes().u32(Red).f32(0.5f).u32(4).points({{100, 20}, {180, 100}, {100, 180}, {20, 100}}));
        QTest::newRow("FillClosedCurve") << b.build() << QRect(20, 20, 160, 160) << QPoint(100, 100) << Red;
    }
    {
        EmfPlusBuilder b = withPen(2);
        b.plus(rec::DrawCurve, 1, Bytes().f32(0.5f).u32(0).u32(2).u32(3).points({{20, 100}, {100, 40}, {180, 100}}));
        QTest::newRow("DrawCurve") << b.build() << QRect(19, 39, 162, 62) << QPoint(100, 40) << Red;
    }
    {
        EmfPlusBuilder b = withPen(2);
        b.plus(rec::DrawBeziers, 1, Bytes().u32(4).points({{20, 150}, {20, 50}, {180, 50}, {180, 150}}));
        QTest::newRow("DrawBeziers") << b.build() << QRect(19, 74, 162, 77) << QPoint(100, 75) << Red;
    }
    {
        EmfPlusBuilder b;
        b.object(3, K::Region, ep::rectRegion({20, 20, 40, 40}, {100, 100, 60, 60}, 2)).plus(rec::FillRegion, S | 3, Bytes().u32(Red));
        QTest::newRow("FillRegion union") << b.build() << QRect(20, 20, 140, 140) << QPoint(30, 30) << Red;
    }
    {
        EmfPlusBuilder b;
        b.object(3, K::Region, ep::rectRegion({20, 20, 100, 100}, {60, 60, 100, 100}, 1)).plus(rec::FillRegion, S | 3, Bytes().u32(Red));
        QTest::newRow("FillRegion intersect") << b.build() << QRect(60, 60, 60, 60) << QPoint(90, 90) << Red;
    }
    {
        EmfPlusBuilder b;
        b.object(4, K::Image, ep::bitmap32(solidImage(Red)))
            .plus(rec::DrawImage, 4, Bytes().u32(0xFFFFFFFF).i32(2).rect({0, 0, 4, 4}).rect({40, 40, 80, 80}));
        QTest::newRow("DrawImage pixels") << b.build() << QRect(40, 40, 80, 80) << QPoint(80, 80) << Red;
    }
    for (const char *fmt : {"PNG", "BMP", "JPEG"}) {
        EmfPlusBuilder b;
        b.object(4, K::Image, ep::compressedImage(solidImage(Blue, 16, 16), fmt))
            .plus(rec::DrawImage, 4, Bytes().u32(0xFFFFFFFF).i32(2).rect({0, 0, 16, 16}).rect({40, 40, 80, 80}));
        QTest::newRow(qPrintable(QStringLiteral("DrawImage %1").arg(QLatin1String(fmt))))
            << b.build() << QRect(40, 40, 80, 80) << QPoint(80, 80) << Blue;
    }
    {
        // Two by two red pixels.
        const QByteArray gif = QByteArray::fromHex("47494638396102000200f00000ff000000000021f90400000000002c00000000020002000002028451003b");
        EmfPlusBuilder b;
        b.object(4, K::Image, ep::compressedData(gif, 2, 2))
            .plus(rec::DrawImage, 4, Bytes().u32(0xFFFFFFFF).i32(2).rect({0, 0, 1, 1}).rect({40, 40, 80, 80}));
        QTest::newRow("DrawImage GIF") << b.build() << QRect(40, 40, 80, 80) << QPoint(80, 80) << Red;
    }
    {
        WmfBuilder w;
        w.windowExt(1000, 1000).brush(qRgb(0, 0, 255)).select(0).rectangle(0, 0, 1000, 1000);
        EmfPlusBuilder b;
        b.object(4, K::Image, ep::metafileImage(w.build(QRect(0, 0, 1000, 1000), 1000), 2))
            .plus(rec::DrawImage, 4, Bytes().u32(0xFFFFFFFF).i32(2).rect({0, 0, 96, 96}).rect({0, 100, 100, 100}));
        QTest::newRow("DrawImage WMF") << b.build() << QRect(0, 100, 100, 100) << QPoint(50, 150) << Blue;
    }
    {
        EmfPlusBuilder b;
        b.object(0, K::Brush, ep::textureBrush(ep::bitmap32(solidImage(Green))))
            .plus(rec::FillRects, 0, Bytes().u32(0).u32(1).rect({20, 20, 100, 100}));
        QTest::newRow("texture brush") << b.build() << QRect(20, 20, 100, 100) << QPoint(70, 70) << Green;
    }
    {
        EmfPlusBuilder b;
        b.object(0, K::Brush, ep::pathGradientBrush({100, 100}, Red, Blue, {0, 0, 200, 200}))
            .plus(rec::FillRects, 0, Bytes().u32(0).u32(1).rect({0, 0, 200, 200}));
        QTest::newRow("path gradient") << b.build() << QRect(0, 0, 200, 200) << QPoint(100, 100) << Red;
    }
    {
        EmfPlusBuilder b;
        b.object(4, K::Image, ep::bitmap32(solidImage(Red)))
            .plus(rec::DrawImagePoints, 4, Bytes().u32(0xFFFFFFFF).i32(2).rect({0, 0, 4, 4}).u32(3).points({{100, 20}, {180, 20}, {100, 60}}));
        QTest::newRow("DrawImagePoints") << b.build() << QRect(100, 20, 80, 40) << QPoint(140, 40) << Red;
    }
    {
        EmfPlusBuilder b;
        b.plus(rec::Clear, 0, Bytes().u32(Green));
        QTest::newRow("Clear") << b.build() << QRect(0, 0, 200, 200) << QPoint(100, 100) << Green;
    }
    // Transforms.
    {
        EmfPlusBuilder b;
        b.plus(rec::TranslateWorldTransform, 0, Bytes().f32(50).f32(50)).plus(rec::FillRects, S, fillRect({0, 0, 20, 20}));
        QTest::newRow("TranslateWorldTransform") << b.build() << QRect(50, 50, 20, 20) << QPoint(60, 60) << Red;
    }
    {
        EmfPlusBuilder b;
        b.plus(rec::ScaleWorldTransform, 0, Bytes().f32(2).f32(2)).plus(rec::FillRects, S, fillRect({10, 10, 20, 20}));
        QTest::newRow("ScaleWorldTransform") << b.build() << QRect(20, 20, 40, 40) << QPoint(40, 40) << Red;
    }
    {
        EmfPlusBuilder b;
        b.plus(rec::RotateWorldTransform, 0, Bytes().f32(90)).plus(rec::FillRects, S, fillRect({20, -120, 40, 100}));
        QTest::newRow("RotateWorldTransform") << b.build() << QRect(20, 20, 100, 40) << QPoint(70, 40) << Red;
    }
    {
        EmfPlusBuilder b;
        b.plus(rec::SetWorldTransform, 0, Bytes().matrix(1, 0, 0, 1, 10, 0))
            .plus(rec::MultiplyWorldTransform, 0x2000, Bytes().matrix(2, 0, 0, 2, 0, 0))
            .plus(rec::FillRects, S, fillRect({0, 0, 20, 20}));
        QTest::newRow("MultiplyWorldTransform append") << b.build() << QRect(20, 0, 40, 40) << QPoint(40, 20) << Red;
    }
    {
        EmfPlusBuilder b;
        b.plus(rec::SetWorldTransform, 0, Bytes().matrix(1, 0, 0, 1, 10, 0))
            .plus(rec::MultiplyWorldTransform, 0, Bytes().matrix(2, 0, 0, 2, 0, 0))
            .plus(rec::FillRects, S, fillRect({0, 0, 20, 20}));
        QTest::newRow("MultiplyWorldTransform prepend") << b.build() << QRect(10, 0, 40, 40) << QPoint(30, 20) << Red;
    }
    {
        EmfPlusBuilder b;
        b.plus(rec::SetWorldTransform, 0, Bytes().matrix(5, 0, 0, 5, 0, 0)).plus(rec::ResetWorldTransform, 0)
            .plus(rec::FillRects, S, fillRect({20, 20, 20, 20}));
        QTest::newRow("ResetWorldTransform") << b.build() << QRect(20, 20, 20, 20) << QPoint(30, 30) << Red;
    }
    {
        EmfPlusBuilder b;
        b.plus(rec::SetPageTransform, 4, Bytes().f32(1)).plus(rec::FillRects, S, fillRect({0.5, 0.5, 1, 0.5}));
        QTest::newRow("SetPageTransform inch") << b.build() << QRect(50, 50, 100, 50) << QPoint(100, 75) << Red;
    }
    {
        EmfPlusBuilder b;
        b.plus(rec::SetPageTransform, 6, Bytes().f32(2)).plus(rec::FillRects, S, fillRect({10, 10, 10, 10}));
        QTest::newRow("SetPageTransform mm scaled") << b.build() << QRect(79, 79, 78, 78) << QPoint(120, 120) << Red;
    }
    // State.
    {
        EmfPlusBuilder b;
        b.plus(rec::Save, 0, Bytes().u32(1)).plus(rec::TranslateWorldTransform, 0, Bytes().f32(100).f32(100))
            .plus(rec::Save, 0, Bytes().u32(2)).plus(rec::ScaleWorldTransform, 0, Bytes().f32(3).f32(3))
            .plus(rec::Restore, 0, Bytes().u32(1)).plus(rec::Restore, 0, Bytes().u32(2))
            .plus(rec::FillRects, S, fillRect({10, 10, 20, 20}));
        QTest::newRow("Restore pops later saves") << b.build() << QRect(10, 10, 20, 20) << QPoint(20, 20) << Red;
    }
    {
        EmfPlusBuilder b;
        b.plus(rec::BeginContainer, 2 << 8, Bytes().rect({100, 100, 50, 50}).rect({0, 0, 100, 100}).u32(7))
            .plus(rec::FillRects, S, fillRect({0, 0, 100, 100}));
        QTest::newRow("BeginContainer") << b.build() << QRect(100, 100, 50, 50) << QPoint(125, 125) << Red;
    }
    {
        EmfPlusBuilder b;
        b.plus(rec::TranslateWorldTransform, 0, Bytes().f32(50).f32(0)).plus(rec::BeginContainerNoParams, 0, Bytes().u32(5))
            .plus(rec::SetWorldTransform, 0, Bytes().matrix(1, 0, 0, 1, 0, 50))
            .plus(rec::FillRects, S, fillRect({0, 0, 20, 20}));
        QTest::newRow("container transform is relative") << b.build() << QRect(50, 50, 20, 20) << QPoint(60, 60) << Red;
    }
    {
        EmfPlusBuilder b;
        b.plus(rec::TranslateWorldTransform, 0, Bytes().f32(50).f32(0)).plus(rec::BeginContainerNoParams, 0, Bytes().u32(3))
            .plus(rec::TranslateWorldTransform, 0, Bytes().f32(50).f32(50)).plus(rec::EndContainer, 0, Bytes().u32(3))
            .plus(rec::FillRects, S, fillRect({0, 0, 20, 20}));
        QTest::newRow("EndContainer") << b.build() << QRect(50, 0, 20, 20) << QPoint(60, 10) << Red;
    }
    // Clipping.
    {
        EmfPlusBuilder b;
        b.plus(rec::SetClipRect, 0, Bytes().rect({0, 0, 100, 200})).plus(rec::FillRects, S, fillRect({0, 0, 200, 200}));
        QTest::newRow("SetClipRect") << b.build() << QRect(0, 0, 100, 200) << QPoint(50, 100) << Red;
    }
    {
        EmfPlusBuilder b;
        b.plus(rec::SetClipRect, 4 << 8, Bytes().rect({0, 0, 100, 200})).plus(rec::FillRects, S, fillRect({0, 0, 200, 200}));
        QTest::newRow("SetClipRect exclude") << b.build() << QRect(100, 0, 100, 200) << QPoint(150, 100) << Red;
    }
    {
        EmfPlusBuilder b;
        b.plus(rec::SetClipRect, 0, Bytes().rect({0, 0, 100, 100}))
            .plus(rec::SetClipRect, 2 << 8, Bytes().rect({100, 100, 50, 50}))
            .plus(rec::FillRects, S, fillRect({0, 0, 200, 200}));
        QTest::newRow("SetClipRect union") << b.build() << QRect(0, 0, 150, 150) << QPoint(120, 120) << Red;
    }
    {
        EmfPlusBuilder b;
        b.object(2, K::Path, ep::rectPath({50, 50, 50, 50})).plus(rec::SetClipPath, 2, {})
            .plus(rec::FillRects, S, fillRect({0, 0, 200, 200}));
        QTest::newRow("SetClipPath") << b.build() << QRect(50, 50, 50, 50) << QPoint(75, 75) << Red;
    }
    {
        EmfPlusBuilder b;
        b.object(3, K::Region, ep::rectRegion({20, 20, 40, 40}, {100, 100, 60, 60}, 2)).plus(rec::SetClipRegion, 3, {})
            .plus(rec::FillRects, S, fillRect({0, 0, 200, 200}));
        QTest::newRow("SetClipRegion") << b.build() << QRect(20, 20, 140, 140) << QPoint(120, 120) << Red;
    }
    {
        EmfPlusBuilder b;
        b.plus(rec::SetClipRect, 0, Bytes().rect({0, 0, 50, 50})).plus(rec::ResetClip, 0)
            .plus(rec::FillRects, S, fillRect({0, 0, 200, 200}));
        QTest::newRow("ResetClip") << b.build() << QRect(0, 0, 200, 200) << QPoint(150, 150) << Red;
    }
    {
        EmfPlusBuilder b;
        b.plus(rec::SetClipRect, 0, Bytes().rect({0, 0, 50, 50})).plus(rec::OffsetClip, 0, Bytes().f32(100).f32(100))
            .plus(rec::FillRects, S, fillRect({0, 0, 200, 200}));
        QTest::newRow("OffsetClip") << b.build() << QRect(100, 100, 50, 50) << QPoint(125, 125) << Red;
    }
    {
        EmfPlusBuilder b;
        b.plus(rec::SetClipRect, 0, Bytes().rect({0, 0, 100, 100})).plus(rec::Save, 0, Bytes().u32(9))
            .plus(rec::ResetClip, 0).plus(rec::Restore, 0, Bytes().u32(9))
            .plus(rec::FillRects, S, fillRect({0, 0, 200, 200}));
        QTest::newRow("Restore brings the clip back") << b.build() << QRect(0, 0, 100, 100) << QPoint(50, 50) << Red;
    }
    // Brushes.
    {
        EmfPlusBuilder b;
        b.object(0, K::Brush, ep::hatchBrush(4, Red, 0x00000000)).plus(rec::FillRects, 0, Bytes().u32(0).u32(1).rect({20, 20, 100, 100}));
        QTest::newRow("hatch cross") << b.build() << QRect(20, 20, 100, 100) << QPoint(24, 24) << Red;
    }
    {
        EmfPlusBuilder b;
        b.object(0, K::Brush, ep::linearBrush({0, 0, 200, 200}, Red, Blue)).plus(rec::FillRects, 0, Bytes().u32(0).u32(1).rect({0, 0, 200, 200}));
        QTest::newRow("linear gradient") << b.build() << QRect(0, 0, 200, 200) << QPoint(1, 100) << Red;
    }
    {
        // A pen whose brush is half transparent over a blue ground.
        EmfPlusBuilder b;
        b.plus(rec::FillRects, S, fillRect({0, 0, 200, 200}, Blue));
        b.plus(rec::FillRects, S, fillRect({50, 50, 100, 100}, 0x80FF0000));
        QTest::newRow("alpha") << b.build() << QRect(0, 0, 200, 200) << QPoint(100, 100) << qRgb(0x80, 0, 0x7F);
    }
    {
        EmfPlusBuilder b;
        b.object(1, K::Pen, ep::pen(2, Red, 0, 0x0004, Bytes().i32(0x14)))
            .plus(rec::DrawLines, 1, Bytes().u32(2).points({{20, 100}, {150, 100}}));
        QTest::newRow("arrow anchor cap") << b.build() << QRect(20, 98, 131, 5) << QPoint(148, 100) << Red;
    }
    {
        EmfPlusBuilder b;
        b.plus(rec::GetDC, 0).gdiRect(QRect(100, 100, 50, 50), Blue);
        QTest::newRow("GetDC lets GDI draw") << b.build() << QRect(100, 100, 50, 50) << QPoint(125, 125) << Blue;
    }
    {
        // Each side keeps its own clip across the hand-over.
        EmfPlusBuilder b;
        b.plus(rec::SetClipRect, 0, Bytes().rect({0, 0, 50, 50})).plus(rec::GetDC, 0).gdiRect(QRect(100, 100, 50, 50), Blue);
        b.plus(rec::FillRects, S, fillRect({0, 0, 200, 200}));
        QTest::newRow("clips across GetDC") << b.build() << QRect(0, 0, 150, 150) << QPoint(25, 25) << Red;
    }
}

void TestEmfPlus::records()
{
    QFETCH(QByteArray, file);
    QFETCH(QRect, ink);
    QFETCH(QPoint, at);
    QFETCH(QRgb, colour);
    const QImage img = play(file);
    const QRect got = inkBounds(img, 20);
    QVERIFY2(closeRect(got, ink), qPrintable(describe(got)));
    QVERIFY2(near(img.pixel(at), colour), qPrintable(QString::number(img.pixel(at), 16)));
}

void TestEmfPlus::kinds()
{
    const auto only = EmfDocument::parse(solidRectFile({0, 0, 10, 10}, Red));
    const auto dual = EmfDocument::parse(solidRectFile({0, 0, 10, 10}, Red, true));
    EmfPlusBuilder none;
    none.plus(rec::FillRects, S, fillRect({0, 0, 10, 10}));
    const auto plain = EmfDocument::parse(none.build(false));
    QVERIFY(only && dual && plain);
    QCOMPARE(emfPlusKind(*only), EmfPlusKind::Only);
    QCOMPARE(emfPlusKind(*dual), EmfPlusKind::Dual);
    QCOMPARE(emfPlusKind(*plain), EmfPlusKind::None);
    const EmfPlusStream s = EmfPlusStream::scan(*only);
    QCOMPARE(s.dpiX(), 100.0);
    QVERIFY(s.playable());
}

void TestEmfPlus::antialiasing()
{
    // The file asks for antialiasing; the caller's painter decides whether
    // it may have it.
    auto make = [](bool on) {
        EmfPlusBuilder b;
        b.plus(rec::SetAntiAliasMode, on ? 1 : 0).plus(rec::FillEllipse, S, Bytes().u32(Red).rect({20, 20, 160, 120}));
        return b.build();
    };
    QVERIFY(blended(play(make(true), QSize(200, 200), true)) > 100);
    QCOMPARE(blended(play(make(true), QSize(200, 200), false)), 0);
    QCOMPARE(blended(play(make(false), QSize(200, 200), true)), 0);
}

void TestEmfPlus::whichPartPlays_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QRgb>("left");  // at (50, 100): the EMF+ red rectangle
    QTest::addColumn<QRgb>("right"); // at (150, 100): the GDI blue one

    auto make = [](bool dual, bool header, bool brokenFirst) {
        EmfPlusBuilder b(dual);
        if (brokenFirst) {
            // A record claiming more bytes than its comment has.
            b.plus(rec::Object, 0, QByteArray(8, '\0'));
            b.flush();
        }
        b.plus(rec::FillRects, S, fillRect({0, 0, 100, 200}));
        b.gdiRect(QRect(100, 0, 100, 200), Blue);
        QByteArray f = b.build(header);
        if (brokenFirst) {
            const int at = f.indexOf(QByteArray::fromHex("08400000"));
            f[at + 4] = char(0xF0);
        }
        return f;
    };
    QTest::newRow("EMF+ only: GDI records do not draw") << make(false, true, false) << Red << White;
    QTest::newRow("dual: the EMF+ part draws") << make(true, true, false) << Red << White;
    QTest::newRow("dual, EMF+ unreadable: GDI draws") << make(true, true, true) << White << Blue;
    QTest::newRow("EMF+ only, a broken comment: the later ones draw") << make(false, true, true) << Red << White;
    QTest::newRow("no EMF+ header: GDI draws") << make(false, false, false) << White << Blue;
}

void TestEmfPlus::whichPartPlays()
{
    QFETCH(QByteArray, file);
    QFETCH(QRgb, left);
    QFETCH(QRgb, right);
    const QImage img = play(file);
    QVERIFY2(near(img.pixel(50, 100), left, 10), qPrintable(QString::number(img.pixel(50, 100), 16)));
    QVERIFY2(near(img.pixel(150, 100), right, 10), qPrintable(QString::number(img.pixel(150, 100), 16)));
}

void TestEmfPlus::drawString_data()
{
    QTest::addColumn<int>("align");
    QTest::addColumn<int>("lineAlign");
    QTest::addColumn<quint32>("flags");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QRect>("within"); // all ink inside
    QTest::addColumn<int>("minLines"); // ink height in 20-pixel lines, at least
    QTest::addColumn<int>("maxLines");
    const QString words = QStringLiteral("one two three four five six");
    QTest::newRow("near") << 0 << 0 << 0u << QStringLiteral("Hello") << QRect(23, 20, 80, 25) << 1 << 1;
    QTest::newRow("centre") << 1 << 1 << 0u << QStringLiteral("Hello") << QRect(60, 80, 80, 40) << 1 << 1;
    QTest::newRow("far") << 2 << 2 << 0u << QStringLiteral("Hello") << QRect(100, 150, 77, 30) << 1 << 1;
    QTest::newRow("wraps") << 0 << 0 << 0u << words << QRect(20, 20, 160, 160) << 2 << 6;
    QTest::newRow("NoWrap clipped") << 0 << 0 << 0x1000u << words << QRect(20, 20, 160, 30) << 1 << 1;
    QTest::newRow("line breaks") << 0 << 0 << 0u << QStringLiteral("a\nb\nc") << QRect(20, 20, 160, 160) << 3 << 3;
}

void TestEmfPlus::drawString()
{
    QFETCH(int, align);
    QFETCH(int, lineAlign);
    QFETCH(quint32, flags);
    QFETCH(QString, text);
    QFETCH(QRect, within);
    QFETCH(int, minLines);
    QFETCH(int, maxLines);
    EmfPlusBuilder b;
    b.object(5, K::Font, ep::font(20)).object(6, K::StringFormat, ep::stringFormat(flags, align, lineAlign));
    Bytes d;
    d.u32(0xFF000000).u32(6).u32(quint32(text.size())).rect({20, 20, 160, 160}).utf16(text);
    b.plus(rec::DrawString, S | 5, d.pad4());
    const QImage img = play(b.build());
    const QRect ink = inkBounds(img, 60);
    QVERIFY2(ink.isValid(), "no text drawn");
    QVERIFY2(within.contains(ink), qPrintable(describe(ink)));
    const int lines = int(std::lround(ink.height() / 23.0 + 0.4));
    QVERIFY2(lines >= minLines && lines <= maxLines, qPrintable(QStringLiteral("%1 lines: %2").arg(lines).arg(describe(ink))));
}

void TestEmfPlus::driverString()
{
    auto make = [](bool dual, bool cmap, int gdiOptions = 0) {
        EmfPlusBuilder b(dual);
        b.object(5, K::Font, ep::font(30));
        Bytes exact; // glyphs, then their positions
        exact.u32(0xFF000000).u32(cmap ? 1 | 4 : 0).u32(0).u32(2).utf16(QStringLiteral("HI")).point({20, 60}).point({45, 60});
        b.plus(rec::DrawDriverString, S | 5, exact);
        // The GDI text of a dual file, on the right-hand side.
        Bytes font;
        font.u32(82).u32(332).u32(1).i32(-30).i32(0).i32(0).i32(0).i32(400).u32(0).u32(0);
        font.utf16(QStringLiteral("DejaVu Sans")).raw(QByteArray(332 - font.bytes().size(), '\0'));
        b.gdiRaw(font).gdi(37, {1});
        Bytes text;
        text.u32(84).u32(76 + 4 + 8).i32(0).i32(0).i32(0).i32(0).u32(1).f32(1).f32(1);
        text.i32(120).i32(100).u32(2).u32(76).u32(quint32(gdiOptions)).i32(0).i32(0).i32(0).i32(0).u32(0).utf16(QStringLiteral("HI")).u32(0).u32(0);
        b.gdiRaw(text);
        return b.build();
    };
    auto inkIn = [](const QImage &img, const QRect &r) {
        return inkBounds(img.copy(r), 60).isValid();
    };
    const QImage cmapped = play(make(false, true));
    QVERIFY(inkIn(cmapped, QRect(0, 0, 100, 80)));
    QVERIFY(!inkIn(cmapped, QRect(100, 0, 100, 200)));
    const QImage dualGlyphs = play(make(true, false));
    QVERIFY(!inkIn(dualGlyphs, QRect(0, 0, 100, 80)));
    QVERIFY(inkIn(dualGlyphs, QRect(100, 60, 100, 60)));
    const QImage onlyGlyphs = play(make(false, false));
    QVERIFY(!inkBounds(onlyGlyphs, 60).isValid());
    // GDI text that is glyph indices too draws nothing rather than wrong letters.
    QVERIFY(!inkBounds(play(make(true, false, 0x10)), 60).isValid());
}

void TestEmfPlus::dashedPen()
{
    // Solid and dashed lines along one row: the dashed one breaks.
    auto runs = [](int style) {
        EmfPlusBuilder b;
        b.object(1, K::Pen, ep::pen(4, Red, 0, 0x0020, Bytes().i32(style)))
            .plus(rec::DrawLines, 1, Bytes().u32(2).points({{10, 100}, {190, 100}}));
        const QImage img = play(b.build());
        int n = 0;
        bool ink = false;
        for (int x = 0; x < 200; ++x) {
            const bool now = near(img.pixel(x, 100), Red);
            n += now && !ink;
            ink = now;
        }
        return n;
    };
    QCOMPARE(runs(0), 1);
    QVERIFY(runs(1) >= 4);
    QVERIFY(runs(2) > runs(1));
}

// Rectangle, polygon and closed curve outlines take shortcuts past Qt's
// stroker (bands, filled rings); each must paint what the stroker paints
// for the same pen.
void TestEmfPlus::straightOutlines_data()
{
    QTest::addColumn<int>("shape"); // 0 boxes, 1 closed polygon, 2 open polyline, 3 closed Bezier path, 4 open one
    QTest::addColumn<QPolygonF>("points");
    QTest::addColumn<double>("width");
    QTest::addColumn<QTransform>("world");
    QTest::addColumn<bool>("smooth");
    const QPolygonF boxes{QPointF(20, 30), QPointF(90, 70), QPointF(60, 110), QPointF(120, 150), QPointF(140, 40), QPointF(185, 140)};
    const QPolygonF hexagon{QPointF(100, 20), QPointF(170, 60), QPointF(170, 140), QPointF(100, 180), QPointF(30, 140), QPointF(30, 60)};
    const QPolygonF concave{QPointF(30, 30), QPointF(170, 30), QPointF(100, 90), QPointF(170, 170), QPointF(30, 170)};
    const QPolygonF sharp{QPointF(20, 100), QPointF(180, 90), QPointF(180, 110)}; // beyond the miter limit
    const QPolygonF thin{QPointF(40, 40), QPointF(60, 40), QPointF(60, 60), QPointF(40, 60)}; // no hole left
    const QTransform plain, stretched(1.3, 0, 0, 0.7, -10, 20), turned = QTransform().translate(100, 100).rotate(20).translate(-100, -100);
    QTest::newRow("boxes hard") << 0 << boxes << 9.0 << plain << false;
    QTest::newRow("boxes stretched hard") << 0 << boxes << 7.0 << stretched << false;
    QTest::newRow("boxes smooth") << 0 << boxes << 9.0 << plain << true;
    QTest::newRow("boxes turned") << 0 << boxes << 9.0 << turned << false;
    QTest::newRow("boxes wider than they are") << 0 << boxes << 50.0 << plain << false;
    QTest::newRow("boxes wider than they are smooth") << 0 << boxes << 50.0 << plain << true;
    QTest::newRow("a flat box") << 0 << QPolygonF{QPointF(20, 100), QPointF(180, 100)} << 9.0 << plain << false;
    QTest::newRow("hexagon hard") << 1 << hexagon << 12.0 << plain << false;
    QTest::newRow("hexagon smooth turned") << 1 << hexagon << 12.0 << turned << true;
    QTest::newRow("hexagon stretched") << 1 << hexagon << 12.0 << stretched << false;
    QTest::newRow("concave") << 1 << concave << 12.0 << plain << false;
    QTest::newRow("sharp corner") << 1 << sharp << 8.0 << plain << false;
    QTest::newRow("thick pen on small square") << 1 << thin << 30.0 << plain << false;
    QTest::newRow("open polyline") << 2 << concave << 10.0 << plain << false;
    QTest::newRow("thin pen") << 1 << hexagon << 0.5 << plain << false;
    // Curves: a round blob, one with cusps where its pieces meet (miters
    // that reach past the short flattened edges) and one crossing itself.
    const QPolygonF blob{QPointF(100, 30), QPointF(150, 30), QPointF(170, 80), QPointF(170, 100), QPointF(170, 150),
                         QPointF(120, 170), QPointF(100, 170), QPointF(50, 170), QPointF(30, 120), QPointF(30, 100),
                         QPointF(30, 50), QPointF(60, 30), QPointF(100, 30)};
    const QPolygonF cusps{QPointF(100, 20), QPointF(110, 60), QPointF(140, 90), QPointF(180, 100), QPointF(140, 110),
                          QPointF(110, 140), QPointF(100, 180), QPointF(90, 140), QPointF(60, 110), QPointF(20, 100),
                          QPointF(60, 90), QPointF(90, 60), QPointF(100, 20)};
    const QPolygonF crossing{QPointF(30, 40), QPointF(120, 40), QPointF(170, 160), QPointF(100, 160),
                             QPointF(40, 160), QPointF(80, 40), QPointF(30, 40)};
    QTest::newRow("curve hard") << 3 << blob << 10.0 << plain << false;
    QTest::newRow("curve smooth stretched") << 3 << blob << 8.0 << stretched << true;
    QTest::newRow("curve with cusps") << 3 << cusps << 9.0 << plain << false;
    QTest::newRow("curve with cusps smooth turned") << 3 << cusps << 14.0 << turned << true;
    QTest::newRow("curve crossing itself") << 3 << crossing << 11.0 << plain << false;
    QTest::newRow("open curve") << 4 << QPolygonF(cusps.mid(0, 10)) << 9.0 << plain << false;
}

void TestEmfPlus::straightOutlines()
{
    QFETCH(int, shape);
    QFETCH(QPolygonF, points);
    QFETCH(double, width);
    QFETCH(QTransform, world);
    QFETCH(bool, smooth);
    EmfPlusBuilder b;
    b.object(1, K::Pen, ep::pen(float(width), Red));
    b.plus(rec::SetWorldTransform, 0,
           Bytes().matrix(float(world.m11()), float(world.m12()), float(world.m21()), float(world.m22()), float(world.dx()),
                          float(world.dy())));
    QPainterPath path;
    if (shape == 0) {
        Bytes rects;
        rects.u32(quint32(points.size() / 2));
        for (qsizetype i = 0; i + 1 < points.size(); i += 2) {
            const QRectF r = QRectF(points[i], points[i + 1]).normalized();
            rects.rect(r);
            path.addRect(r);
        }
        b.plus(rec::DrawRects, 1, rects);
    } else if (shape >= 3) {
        std::vector<QPointF> pts(points.begin(), points.end());
        std::vector<quint8> types(pts.size(), 3);
        types.front() = 0;
        path.moveTo(points[0]);
        for (qsizetype i = 1; i + 2 < points.size(); i += 3)
            path.cubicTo(points[i], points[i + 1], points[i + 2]);
        if (shape == 3) {
            types.back() |= 0x80;
            path.closeSubpath();
        }
        b.object(2, K::Path, ep::path(pts, types)).plus(rec::DrawPath, 2, Bytes().u32(1));
    } else {
        Bytes pts;
        pts.u32(quint32(points.size()));
        for (QPointF pt : points)
            pts.point(pt);
        b.plus(rec::DrawLines, quint16(1 | (shape == 1 ? 0x2000 : 0)), pts);
        path.addPolygon(points);
        if (shape == 1)
            path.closeSubpath();
    }
    const QImage got = play(b.build(), QSize(200, 200), smooth);

    QImage want(200, 200, QImage::Format_RGB32);
    want.fill(White);
    {
        QPainter p(&want);
        p.setRenderHint(QPainter::Antialiasing, smooth);
        p.setTransform(world);
        QPen pen(QColor(Red), width < 1 ? 0 : width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
        pen.setMiterLimit(10);
        p.strokePath(path, pen);
    }
    // Edges may round a pixel apart; a wrong shape differs in far more.
    int ink = 0, differ = 0;
    for (int y = 0; y < 200; ++y) {
        const QRgb *g = reinterpret_cast<const QRgb *>(got.constScanLine(y));
        const QRgb *w = reinterpret_cast<const QRgb *>(want.constScanLine(y));
        for (int x = 0; x < 200; ++x) {
            ink += (w[x] | 0xFF000000) != White;
            differ += !near(g[x], w[x], 70);
        }
    }
    QVERIFY(ink > 50);
    QVERIFY2(differ <= ink / 25 + 8, qPrintable(QStringLiteral("%1 of %2 pixels differ").arg(differ).arg(ink)));
}

void TestEmfPlus::callerTransform()
{
    // Curves are flattened in device pixels: a picture drawn through a
    // painter that is already moved and scaled lands where it would when
    // drawn straight into the same place.
    std::vector<QPointF> pts{{100, 30}, {150, 30}, {170, 80}, {170, 100}, {170, 150}, {120, 170}, {100, 170},
                             {50, 170}, {30, 120}, {30, 100}, {30, 50}, {60, 30}, {100, 30}};
    std::vector<quint8> types(pts.size(), 3);
    types.front() = 0;
    types.back() |= 0x80;
    EmfPlusBuilder b;
    b.object(1, K::Pen, ep::pen(12, Red)).object(2, K::Path, ep::path(pts, types));
    b.plus(rec::FillPath, 0x8000 | 2, Bytes().u32(Blue)).plus(rec::DrawPath, 2, Bytes().u32(1));
    const auto doc = EmfDocument::parse(b.build());
    QVERIFY(doc);
    auto draw = [&](bool moved) {
        QImage img(200, 200, QImage::Format_RGB32);
        img.fill(White);
        QPainter p(&img);
        if (moved) {
            p.translate(60, 30);
            p.scale(0.5, 0.5);
            playEmf(*doc, p, QRectF(0, 0, 200, 200));
        } else {
            playEmf(*doc, p, QRectF(60, 30, 100, 100));
        }
        return img;
    };
    const QImage want = draw(false), got = draw(true);
    QCOMPARE(inkBounds(got, 20), inkBounds(want, 20));
    QVERIFY(vztest::differingShare(got, want, 64) < 0.005);
}

void TestEmfPlus::continuedObject()
{
    // A path object in three pieces, each naming the whole size.
    const QByteArray whole = ep::rectPath({20, 20, 100, 100});
    auto make = [&](bool lastMarked) {
        EmfPlusBuilder b;
        const qsizetype third = whole.size() / 3;
        for (int i = 0; i < 3; ++i) {
            const QByteArray part = whole.mid(i * third, i == 2 ? -1 : third);
            const bool marked = i < 2 || lastMarked;
            Bytes d;
            if (marked)
                d.u32(quint32(whole.size()));
            d.raw(part);
            b.plus(rec::Object, quint16((marked ? 0x8000 : 0) | (K::Path << 8) | 7), d);
            b.flush();
        }
        b.plus(rec::FillPath, S | 7, Bytes().u32(Red));
        return b.build();
    };
    QVERIFY(closeRect(inkBounds(play(make(true)), 20), QRect(20, 20, 100, 100)));
    QVERIFY(closeRect(inkBounds(play(make(false)), 20), QRect(20, 20, 100, 100)));
}

void TestEmfPlus::nestedMetafiles()
{
    // A metafile image drawn into the right half.
    const QByteArray inner = solidRectFile({0, 0, 200, 200}, Blue);
    {
        EmfPlusBuilder b;
        b.object(4, K::Image, ep::metafileImage(inner))
            .plus(rec::DrawImage, 4, Bytes().u32(0xFFFFFFFF).i32(2).rect({0, 0, 200, 200}).rect({100, 0, 100, 200}));
        const QImage img = play(b.build());
        QVERIFY(closeRect(inkBounds(img, 20), QRect(100, 0, 100, 200)));
        QVERIFY(near(img.pixel(150, 100), Blue));
    }
    // Pictures that draw pictures, each ten times: nesting stops at a fixed
    // depth and a fixed number of plays, so this ends quickly.
    QByteArray level = inner;
    for (int depth = 0; depth < 8; ++depth) {
        EmfPlusBuilder b;
        b.object(4, K::Image, ep::metafileImage(level));
        for (int i = 0; i < 10; ++i)
            b.plus(rec::DrawImage, 4, Bytes().u32(0xFFFFFFFF).i32(2).rect({0, 0, 200, 200}).rect({i * 10.0, 0, 100, 100}));
        level = b.build();
        if (level.size() > 4 << 20)
            break;
    }
    QElapsedTimer timer;
    timer.start();
    play(level);
    QVERIFY2(timer.elapsed() < 20000, "nested pictures took too long");
}

void TestEmfPlus::damaged_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("blank");
    {
        EmfPlusBuilder b;
        b.object(70, K::Path, ep::rectPath({0, 0, 100, 100})).plus(rec::FillPath, S | 70, Bytes().u32(Red));
        QTest::newRow("object id past 63") << b.build() << true;
    }
    {
        EmfPlusBuilder b;
        b.plus(rec::FillRects, 0, Bytes().u32(99).u32(1).rect({0, 0, 100, 100}));
        QTest::newRow("brush id past 63") << b.build() << true;
    }
    {
        EmfPlusBuilder b;
        b.object(1, K::Path, Bytes().u32(kVersion).u32(1000000000).u32(0).point({1, 1}))
            .plus(rec::FillPath, S | 1, Bytes().u32(Red));
        QTest::newRow("billion-point path") << b.build() << true;
    }
    {
        EmfPlusBuilder b;
        b.plus(rec::FillPolygon, S, Bytes().u32(Red).u32(0xFFFFFFFF).points({{0, 0}, {100, 0}, {100, 100}}));
        QTest::newRow("polygon count past the data") << b.build() << true;
    }
    {
        EmfPlusBuilder b;
        b.plus(rec::FillRects, S, Bytes().u32(Red).u32(0x20000000).rect({0, 0, 100, 100}));
        QTest::newRow("rectangle count past the data") << b.build() << true;
    }
    {
        EmfPlusBuilder b;
        b.object(4, K::Image, Bytes().u32(kVersion).u32(1).i32(100000).i32(100000).i32(400000).u32(0x0026200A).u32(0).u32(0))
            .plus(rec::DrawImage, 4, Bytes().u32(0xFFFFFFFF).i32(2).rect({0, 0, 4, 4}).rect({0, 0, 200, 200}));
        QTest::newRow("absurd image size") << b.build() << true;
    }
    {
        EmfPlusBuilder b;
        b.object(4, K::Image, Bytes().u32(kVersion).u32(1).i32(1000).i32(1000).i32(4000).u32(0x0026200A).u32(0).u32(0))
            .plus(rec::DrawImage, 4, Bytes().u32(0xFFFFFFFF).i32(2).rect({0, 0, 4, 4}).rect({0, 0, 200, 200}));
        QTest::newRow("image rows past the data") << b.build() << true;
    }
    {
        // Compressed images whose few bytes claim a picture of 5000 x 5000: refused
        // before a decoder makes it.
        QByteArray bmp = ep::compressedImage(solidImage(Blue, 4, 4), "BMP");
        const int at = bmp.indexOf("BM");
        Bytes big;
        big.i32(5000).i32(5000);
        bmp.replace(at + 18, 8, big.bytes());
        QByteArray jpeg = ep::compressedImage(solidImage(Blue, 16, 16), "JPEG");
        const int sof = jpeg.indexOf(QByteArray::fromHex("ffc0"));
        jpeg[sof + 5] = char(0x13), jpeg[sof + 6] = char(0x88), jpeg[sof + 7] = char(0x13), jpeg[sof + 8] = char(0x88);
        for (const QByteArray &obj : {bmp, jpeg}) {
            EmfPlusBuilder b;
            b.object(4, K::Image, obj).plus(rec::DrawImage, 4, Bytes().u32(0xFFFFFFFF).i32(2).rect({0, 0, 4, 4}).rect({0, 0, 100, 100}));
            QTest::newRow(obj == bmp ? "BMP claiming a huge size" : "JPEG claiming a huge size") << b.build() << true;
        }
    }
    {
        // A 32-bit ARGB format index whose depth field claims 64 bits.
        Bytes img;
        img.u32(kVersion).u32(1).i32(4).i32(4).i32(32).u32(0x0026400A).u32(0);
        for (int i = 0; i < 16; ++i)
            img.u32(0xFFFF0000);
        img.raw(QByteArray(64, '\0'));
        EmfPlusBuilder b;
        b.object(4, K::Image, img).plus(rec::DrawImage, 4, Bytes().u32(0xFFFFFFFF).i32(2).rect({0, 0, 4, 4}).rect({0, 0, 100, 100}));
        QTest::newRow("pixel format with a false depth") << b.build() << false;
    }
    {
        // One-bit pixels with a one-colour table.
        Bytes img;
        img.u32(kVersion).u32(1).i32(8).i32(2).i32(4).u32(0x00030101).u32(0).u32(0).u32(1).u32(0xFF000000);
        img.u32(0x0F0F0F0F).u32(0x0F0F0F0F);
        EmfPlusBuilder b;
        b.object(4, K::Image, img).plus(rec::DrawImage, 4, Bytes().u32(0xFFFFFFFF).i32(2).rect({0, 0, 8, 2}).rect({0, 0, 100, 100}));
        QTest::newRow("one-bit pixels past a short table") << b.build() << false;
    }
    {
        EmfPlusBuilder b;
        b.plus(rec::Object, quint16(0x8000 | (K::Path << 8) | 1), Bytes().u32(0x7FFFFFFF).raw(ep::rectPath({0, 0, 100, 100})))
            .plus(rec::FillPath, S | 1, Bytes().u32(Red));
        QTest::newRow("continued total past the file") << b.build() << true;
    }
    {
        Bytes deep;
        deep.u32(kVersion).u32(5000);
        for (int i = 0; i < 5000; ++i)
            deep.u32(2);
        deep.u32(0x10000000).rect({0, 0, 100, 100});
        EmfPlusBuilder b;
        b.object(3, K::Region, deep).plus(rec::FillRegion, S | 3, Bytes().u32(Red));
        QTest::newRow("region nested too deep") << b.build() << true;
    }
    {
        EmfPlusBuilder b;
        b.plus(rec::ScaleWorldTransform, 0, Bytes().f32(1e30f).f32(1e30f)).plus(rec::FillRects, S, fillRect({0, 0, 100, 100}));
        QTest::newRow("absurd transform") << b.build() << true;
    }
    {
        EmfPlusBuilder b;
        b.object(5, K::Font, ep::font(1e9f));
        b.plus(rec::DrawString, S | 5, Bytes().u32(0xFF000000).u32(0xFF).u32(2).rect({0, 0, 200, 200}).utf16(QStringLiteral("Hi")));
        QTest::newRow("absurd font size") << b.build() << true;
    }
    {
        // Normal text under a transform that stretches one axis enormously.
        EmfPlusBuilder b;
        b.object(5, K::Font, ep::font(20));
        b.plus(rec::ScaleWorldTransform, 0, Bytes().f32(1e-4f).f32(1e4f));
        b.plus(rec::DrawString, S | 5, Bytes().u32(0xFF000000).u32(0xFF).u32(2).rect({0, 0, 2e6f, 0.02f}).utf16(QStringLiteral("Hi")));
        QTest::newRow("text stretched past the target") << b.build() << true;
    }
    {
        EmfPlusBuilder b;
        b.object(5, K::Font, ep::font(20));
        b.plus(rec::DrawString, S | 5, Bytes().u32(0xFF000000).u32(0xFF).u32(0x7FFFFFFF).rect({0, 0, 200, 200}).utf16(QStringLiteral("Hi")));
        QTest::newRow("string length past the data") << b.build() << true;
    }
    {
        // Clipping by a huge outline combined with another stays quick.
        std::vector<QPointF> pts;
        std::vector<quint8> types;
        for (int i = 0; i < 30000; ++i) {
            const double a = i * 2 * M_PI / 30000;
            pts.emplace_back(100 + (60 + 30 * std::sin(a * 701)) * std::cos(a), 100 + (60 + 30 * std::sin(a * 701)) * std::sin(a));
            types.push_back(i ? 1 : 0);
        }
        types.back() |= 0x80;
        EmfPlusBuilder b;
        b.object(2, K::Path, ep::path(pts, types)).plus(rec::SetClipPath, 2, {});
        b.plus(rec::SetClipRect, 1 << 8, Bytes().rect({0, 0, 120, 120}));
        b.plus(rec::SetClipPath, (3 << 8) | 2, {}).plus(rec::FillRects, S, fillRect({0, 0, 200, 200}));
        QTest::newRow("huge clip outline") << b.build() << false;
    }
    {
        // Line ends on a figure that goes nowhere.
        EmfPlusBuilder b;
        b.object(1, K::Pen, ep::pen(2, Red, 0, 0x0006, Bytes().i32(0x14).i32(0x14)))
            .plus(rec::DrawLines, 1, Bytes().u32(3).points({{50, 50}, {50, 50}, {50, 50}}));
        QTest::newRow("arrow caps on one point") << b.build() << true;
    }
    {
        EmfPlusBuilder b;
        b.plus(rec::Save, 0, Bytes().u32(1));
        for (int i = 0; i < 3000; ++i)
            b.plus(rec::BeginContainerNoParams, 0, Bytes().u32(quint32(i)));
        b.plus(rec::FillRects, S, fillRect({0, 0, 100, 100}));
        QTest::newRow("deep containers") << b.build() << false;
    }
}

void TestEmfPlus::damaged()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, blank);
    const QImage img = play(file);
    if (blank)
        QVERIFY2(!inkBounds(img, 20).isValid(), qPrintable(describe(inkBounds(img, 20))));
    else
        QVERIFY(inkBounds(img, 20).isValid());
}

void TestEmfPlus::truncated()
{
    // Every prefix of a file using most record kinds plays without harm.
    EmfPlusBuilder b;
    b.object(0, K::Brush, ep::linearBrush({0, 0, 100, 100}, Red, Blue)).object(1, K::Pen, ep::pen(3, Red));
    b.object(2, K::Path, ep::rectPath({10, 10, 50, 50})).object(3, K::Region, ep::rectRegion({0, 0, 50, 50}, {20, 20, 50, 50}, 3));
    b.object(4, K::Image, ep::compressedImage(solidImage(Blue, 8, 8), "PNG")).object(5, K::Font, ep::font(12));
    b.plus(rec::SetClipRegion, 3, {}).plus(rec::FillPath, 2, Bytes().u32(0)).plus(rec::DrawPath, 2, Bytes().u32(1));
    b.plus(rec::DrawImage, 4, Bytes().u32(0xFFFFFFFF).i32(2).rect({0, 0, 8, 8}).rect({0, 0, 50, 50}));
    b.plus(rec::DrawString, S | 5, Bytes().u32(0xFF000000).u32(0xFF).u32(2).rect({0, 0, 100, 100}).utf16(QStringLiteral("Hi")));
    const QByteArray file = b.build();
    for (qsizetype n = 0; n <= file.size(); n += 3)
        play(file.left(n), QSize(40, 40));
    QVERIFY(inkBounds(play(file), 20).isValid());
}

QTEST_MAIN(TestEmfPlus)
#include "tst_emfplus.moc"
