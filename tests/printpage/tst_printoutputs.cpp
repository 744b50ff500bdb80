// One page through every print type and style onto a raster and into a PDF
// file read back by poppler: every picture where its page rectangle says,
// whole across the tiles, and the same on both outputs.

#include "testutils.h"

#include "pdftestutils.h"

#include "printpage/PrintDevice.h"

#include <QPdfWriter>

Q_DECLARE_METATYPE(vz::PrintType)
Q_DECLARE_METATYPE(vz::PrintStyle)

namespace {

constexpr int kDpi = 150;
const QSize kA4At150(1240, 1754);

// The least share of the colour over the rows and the columns inside
// `box`: a tile seam or a missed row or column shows as a line without it.
double coverage(const QImage &img, const QRect &box, QRgb colour)
{
    const QRect r = box.intersected(img.rect());
    if (r.isEmpty())
        return 0;
    QList<int> perColumn(r.width(), 0);
    int worstRow = r.width();
    for (int y = r.top(); y <= r.bottom(); ++y) {
        const QRgb *row = reinterpret_cast<const QRgb *>(img.constScanLine(y));
        int n = 0;
        for (int x = r.left(); x <= r.right(); ++x)
            if (pdftest::isNear(row[x], colour)) {
                ++n;
                ++perColumn[x - r.left()];
            }
        worstRow = std::min(worstRow, n);
    }
    const int worstColumn = *std::min_element(perColumn.cbegin(), perColumn.cend());
    return std::min(double(worstRow) / r.width(), double(worstColumn) / r.height());
}

// The box of the dark (text and border) pixels around a text box.
QRect darkBox(const QImage &img, const QRect &around)
{
    const QRect area = around.intersected(img.rect());
    return pdftest::colourBox(img.copy(area), qRgb(0, 0, 0), 1).translated(area.topLeft());
}

QString describe(const QRectF &r)
{
    return QStringLiteral("(%1, %2, %3 x %4)").arg(r.left()).arg(r.top()).arg(r.width()).arg(r.height());
}

vz::PagePrintOptions options(vz::PrintType type, vz::PrintStyle style)
{
    vz::PagePrintOptions o;
    o.type = type;
    o.style = style;
    o.tiled.tileSize = QSize(200, 150); // several tiles across every bitmap
    return o;
}

} // namespace

class TestPrintOutputs : public QObject
{
    Q_OBJECT

private slots:
    void rasterAndPdf_data();
    void rasterAndPdf();
};

void TestPrintOutputs::rasterAndPdf_data()
{
    QTest::addColumn<vz::PrintType>("type");
    QTest::addColumn<vz::PrintStyle>("style");
    using T = vz::PrintType;
    using S = vz::PrintStyle;
    QTest::newRow("device-dependent") << T::Ddb << S::None;
    QTest::newRow("convert to 24 bits") << T::Convert24 << S::None;
    QTest::newRow("StretchDIBits") << T::StretchDib << S::None;
    QTest::newRow("banded") << T::Banded << S::None;
    QTest::newRow("banded, compress") << T::Banded << S::Compress;
    QTest::newRow("banded, WinStretch") << T::Banded << S::WinStretch;
    QTest::newRow("device-dependent, compress") << T::Ddb << S::Compress;
    QTest::newRow("banded, slow down") << T::Banded << S::SlowDown;
}

void TestPrintOutputs::rasterAndPdf()
{
    QFETCH(vz::PrintType, type);
    QFETCH(vz::PrintStyle, style);

    QImage raster(kA4At150, QImage::Format_RGB32);
    raster.fill(Qt::white);
    raster.setDotsPerMeterX(5906); // 150 dpi
    raster.setDotsPerMeterY(5906);
    double s = 0;
    {
        vz::PainterPrintDevice device(&raster);
        s = vz::pagePrintScale(device, pdftest::kPanelHeight);
        QList<vz::PagePicture> pictures = pdftest::pagePictures();
        const auto result = vz::printPage(device, pictures, pdftest::kPanelHeight, options(type, style));
        QCOMPARE(result.status, vz::PagePrintResult::Status::Printed);
        QCOMPARE(result.printed, 5);
    }
    QCOMPARE(s, 1754.0 / pdftest::kPanelHeight);

    for (const auto &c : pdftest::colourPictures()) {
        const QRect want = vz::printerRect(c.rect, s);
        const QRect got = pdftest::colourBox(raster, c.colour);
        QVERIFY2(pdftest::edgeDistance(got, want) <= 1,
                 qPrintable(QStringLiteral("%1 at %2, expected %3").arg(QLatin1String(c.name), describe(got), describe(want))));
        QVERIFY2(coverage(raster, want.adjusted(1, 1, -1, -1), c.colour) > 0.95, c.name);
    }

    if (!pdftest::havePoppler())
        QSKIP("poppler's pdftoppm and pdfinfo are not installed");
    vztest::Sandbox box;
    const QString pdf = box.path(QStringLiteral("page.pdf"));
    {
        QPdfWriter writer(pdf);
        writer.setResolution(kDpi);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        vz::PainterPrintDevice device(&writer, {[&writer](const QString &t) { writer.setTitle(t); }, {}});
        QCOMPARE(vz::pagePrintScale(device, pdftest::kPanelHeight), s);
        QList<vz::PagePicture> pictures = pdftest::pagePictures();
        const auto result = vz::printPage(device, pictures, pdftest::kPanelHeight, options(type, style));
        QCOMPARE(result.status, vz::PagePrintResult::Status::Printed);
    }
    QCOMPARE(pdftest::pdfInfo(pdf).pages, 1);
    const QImage rendered = pdftest::renderPage(pdf, kDpi);
    // poppler rounds the page's 841.9 pt up to a whole pixel.
    QVERIFY(qAbs(rendered.width() - kA4At150.width()) <= 1 && qAbs(rendered.height() - kA4At150.height()) <= 1);

    // Both outputs agree within a pixel and a half (under 0.3 mm here).
    constexpr double tolerance = 1.5;
    for (const auto &c : pdftest::colourPictures()) {
        const QRect inRaster = pdftest::colourBox(raster, c.colour);
        const QRect inPdf = pdftest::colourBox(rendered, c.colour);
        QVERIFY2(pdftest::edgeDistance(inPdf, inRaster) <= tolerance,
                 qPrintable(QStringLiteral("%1: PDF %2, raster %3").arg(QLatin1String(c.name), describe(inPdf), describe(inRaster))));
        QVERIFY2(coverage(rendered, inRaster.adjusted(1, 1, -1, -1), c.colour) > 0.95, c.name);
    }
    for (const QRect &frame : pdftest::textBoxFrames()) {
        const QRect want = vz::printerRect(frame, s);
        const QRect around = want.adjusted(-20, -20, 20, 20);
        const QRect inRaster = darkBox(raster, around);
        const QRect inPdf = darkBox(rendered, around);
        QVERIFY2(!inRaster.isEmpty() && want.adjusted(-1, -1, 1, 1).contains(inRaster),
                 qPrintable(QStringLiteral("raster %1, frame %2").arg(describe(inRaster), describe(want))));
        QVERIFY2(pdftest::edgeDistance(inPdf, inRaster) <= tolerance,
                 qPrintable(QStringLiteral("PDF %1, raster %2").arg(describe(inPdf), describe(inRaster))));
    }
}

QTEST_MAIN(TestPrintOutputs)
#include "tst_printoutputs.moc"
