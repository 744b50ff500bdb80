// The print page's geometry: fitting the printer page into the work area,
// pixels per inch, ruler starts, rescaling and the page without a printer.

#include "testutils.h"

#include "printpage/PageGeometry.h"

#include <QProcess>
#include <QTest>

using namespace vz;

class TestPageGeometry : public QObject
{
    Q_OBJECT

private slots:
    void fitsThePage_data();
    void fitsThePage();
    void unusablePrinterPage();
    void rescaleRect_data();
    void rescaleRect();
    void printerPages();
    void noPrinterPageIsTheLocalePaper();
    void vztoolPrintsTheGeometry_data();
    void vztoolPrintsTheGeometry();
    void vztoolWithoutPrinterAndBadArguments();
};

void TestPageGeometry::fitsThePage_data()
{
    QTest::addColumn<PrinterPage>("printer");
    QTest::addColumn<QSize>("panel");
    QTest::addColumn<QSize>("work");
    QTest::addColumn<QRect>("page");
    QTest::addColumn<int>("ppi");
    QTest::addColumn<double>("rulerX");
    QTest::addColumn<double>("rulerY");

    const PrinterPage letter600{5100, 6600, 600, 600};
    const PrinterPage a4Landscape300{3508, 2480, 300, 300};
    // Tall page in a wide panel: the height fills.
    QTest::newRow("Letter at 600") << letter600 << QSize(833, 650) << QSize(800, 600) << QRect(176, 10, 448, 580)
                                   << 53 << -176.0 / 53 << -10.0 / 53;
    // Wide page in a squarer panel: the width fills.
    QTest::newRow("A4 landscape at 300") << a4Landscape300 << QSize(1033, 850) << QSize(1000, 800)
                                         << QRect(10, 53, 980, 693) << 84 << -10.0 / 84 << -53.0 / 84;
    // The panel's proportions ask for the full width, but the page would
    // then stand 13 pixels below the work area: the height fills instead.
    QTest::newRow("A4 landscape, width too tall") << a4Landscape300 << QSize(1033, 750) << QSize(1000, 700)
                                                  << QRect(19, 10, 962, 680) << 82 << -19.0 / 82 << -10.0 / 82;
    // The panel's proportions ask for the full height, but the page would
    // not fit across: the width fills.
    QTest::newRow("Letter, height too wide") << letter600 << QSize(400, 1000) << QSize(380, 300)
                                             << QRect(82, 10, 216, 280) << 25 << -82.0 / 25 << -10.0 / 25;
    // A work area squeezed below the margin still gives a 1 x 1 page with
    // finite inches.
    QTest::newRow("squeezed work area") << letter600 << QSize(10, 10) << QSize(10, 10) << QRect(4, 4, 1, 1) << 1
                                        << -4.0 << -4.0;
    QTest::newRow("empty work area") << letter600 << QSize() << QSize(0, 0) << QRect(0, 0, 1, 1) << 1 << 0.0 << 0.0;
}

void TestPageGeometry::fitsThePage()
{
    QFETCH(PrinterPage, printer);
    QFETCH(QSize, panel);
    QFETCH(QSize, work);
    QFETCH(QRect, page);
    QFETCH(int, ppi);
    QFETCH(double, rulerX);
    QFETCH(double, rulerY);

    const auto g = computePageGeometry(printer, panel, work);
    QVERIFY(g);
    QVERIFY(g->isValid());
    QCOMPARE(g->page, page);
    QCOMPARE(g->scale, double(printer.height) / page.height());
    QCOMPARE(g->ppiX, ppi);
    QCOMPARE(g->ppiY, ppi);
    QCOMPARE(g->rulerStartX, rulerX);
    QCOMPARE(g->rulerStartY, rulerY);
    // The page never leaves the work area once there is room for it.
    if (work.width() > 20 && work.height() > 20)
        QVERIFY(QRect(QPoint(10, 10), work - QSize(20, 20)).contains(g->page));
}

void TestPageGeometry::unusablePrinterPage()
{
    QVERIFY(!computePageGeometry(PrinterPage{0, 6600, 600, 600}, QSize(800, 600), QSize(800, 600)));
    QVERIFY(!computePageGeometry(PrinterPage{5100, 6600, 0, 600}, QSize(800, 600), QSize(800, 600)));
    QVERIFY(!computePageGeometry(PrinterPage{5100, -1, 600, 600}, QSize(800, 600), QSize(800, 600)));
}

void TestPageGeometry::rescaleRect_data()
{
    QTest::addColumn<QRect>("base");
    QTest::addColumn<int>("baseWidth");
    QTest::addColumn<int>("pageWidth");
    QTest::addColumn<QRect>("expected");

    QTest::newRow("x1.5") << QRect(10, 20, 100, 50) << 400 << 600 << QRect(15, 30, 150, 75);
    // 5 x 0.5 = 2.5 and 3 x 0.5 = 1.5: halves go to the even neighbour.
    QTest::newRow("halves to even") << QRect(5, 3, 7, 9) << 600 << 300 << QRect(2, 2, 4, 4);
    QTest::newRow("same width") << QRect(1, 2, 3, 4) << 600 << 600 << QRect(1, 2, 3, 4);
    QTest::newRow("never laid out") << QRect(1, 2, 3, 4) << 0 << 600 << QRect(1, 2, 3, 4);
}

void TestPageGeometry::rescaleRect()
{
    QFETCH(QRect, base);
    QFETCH(int, baseWidth);
    QFETCH(int, pageWidth);
    QFETCH(QRect, expected);
    QCOMPARE(vz::rescaleRect(base, baseWidth, pageWidth), expected);
}

void TestPageGeometry::printerPages()
{
    QCOMPARE(printerPageFor(QPageSize(QPageSize::Letter), QPageLayout::Portrait, 600), (PrinterPage{5100, 6600, 600, 600}));
    QCOMPARE(printerPageFor(QPageSize(QPageSize::A4), QPageLayout::Landscape, 300), (PrinterPage{3508, 2480, 300, 300}));
    QVERIFY(!printerPageFor(QPageSize(), QPageLayout::Portrait, 600).isValid());
}

void TestPageGeometry::noPrinterPageIsTheLocalePaper()
{
    const QPageSize paper = localePaperSize();
    QVERIFY(paper.isValid());
    const PrinterPage page = noPrinterPage();
    QCOMPARE(page, printerPageFor(paper, QPageLayout::Portrait, 600));
    QVERIFY(page.height > page.width);
}

void TestPageGeometry::vztoolPrintsTheGeometry_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("Letter") << QStringList{"--paper", "letter", "--panel", "833x650", "800x600"}
                            << QStringList{"printer: 5100x6600 at 600x600 dpi", "page: 176,10 448x580",
                                           "scale: 11.379310", "ppi: 53x53", "rulers: -3.3208 -0.1887"};
    QTest::newRow("A4 landscape at 300")
        << QStringList{"--paper", "A4", "--landscape", "--dpi", "300", "--panel", "1033x850", "1000x800"}
        << QStringList{"printer: 3508x2480 at 300x300 dpi", "page: 10,53 980x693", "scale: 3.578644", "ppi: 84x84",
                       "rulers: -0.1190 -0.6310"};
}

void TestPageGeometry::vztoolPrintsTheGeometry()
{
    QFETCH(QStringList, args);
    QFETCH(QStringList, lines);
    const QString tool = QStringLiteral(VZ_PROGRAM_DIR "/vztool");
    if (!QFile::exists(tool))
        QSKIP("vztool not built");
    QProcess p;
    p.start(tool, QStringList{"page"} + args);
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitCode(), 0);
    QCOMPARE(QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts), lines);
}

void TestPageGeometry::vztoolWithoutPrinterAndBadArguments()
{
    const QString tool = QStringLiteral(VZ_PROGRAM_DIR "/vztool");
    if (!QFile::exists(tool))
        QSKIP("vztool not built");
    // The locale's paper without a printer.
    QProcess p;
    p.start(tool, {"page", "800x600"});
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitCode(), 0);
    const PrinterPage none = noPrinterPage();
    QVERIFY(QString::fromUtf8(p.readAllStandardOutput())
                .startsWith(QStringLiteral("printer: %1x%2 at 600x600 dpi").arg(none.width).arg(none.height)));

    for (const QStringList &bad : {QStringList{"page", "--paper", "nonsense", "800x600"}, QStringList{"page", "800"},
                                   QStringList{"page", "--dpi", "0", "800x600"}, QStringList{"page"}}) {
        p.start(tool, bad);
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitCode(), 2);
    }
}

QTEST_GUILESS_MAIN(TestPageGeometry)
#include "tst_pagegeometry.moc"
