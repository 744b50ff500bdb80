// Real printing: the page printed through a private CUPS server onto its
// cups-pdf queue, and the PDF it writes read back with poppler.

#include "testutils.h"

#include "CupsServer.h"
#include "pdftestutils.h"

#include "common/Dialogs.h"
#include "printpage/PrintDevice.h"
#include "printpage/TextBoxTool.h"
#include "printpage/formPrint.h"
#include "printpage/PrinterPrintDevice.h"

#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

#include <memory>

Q_DECLARE_METATYPE(vz::PrintType)
Q_DECLARE_METATYPE(vz::PrintStyle)

namespace {

QString describe(const QRectF &r)
{
    return QStringLiteral("(%1, %2, %3 x %4)").arg(r.left()).arg(r.top()).arg(r.width()).arg(r.height());
}

constexpr int kRenderDpi = 150;

// What every printed test page must show: one A4 page titled by the job,
// each colour at the printable origin plus its edges' printer pixels
// (round(edge * s) / dpi) within 1.5 mm. `rendered` gets the page at
// kRenderDpi for further checks.
void checkPrintedPage(const QString &pdf, double s, int dpi, QPointF origin, QImage *rendered)
{
    const pdftest::PdfInfo info = pdftest::pdfInfo(pdf);
    QCOMPARE(info.pages, 1);
    // The job's name becomes the PDF's title (cups-pdf keeps PostScript's
    // brackets around it).
    QVERIFY2(info.title.contains(QStringLiteral("Vellozine")), qPrintable(info.title));
    QVERIFY2(qAbs(info.pageSize.width() - 595) <= 1 && qAbs(info.pageSize.height() - 842) <= 1,
             qPrintable(QStringLiteral("%1 x %2 pt").arg(info.pageSize.width()).arg(info.pageSize.height())));

    const double tolerance = 1.5 / 25.4 * kRenderDpi; // 1.5 mm
    *rendered = pdftest::renderPage(pdf, kRenderDpi);
    QVERIFY(!rendered->isNull());
    for (const auto &c : pdftest::colourPictures()) {
        const QRectF want = pdftest::expectedOnRender(c.rect, s, dpi, origin, kRenderDpi);
        const QRectF got = pdftest::colourBox(*rendered, c.colour);
        QVERIFY2(!got.isEmpty() && pdftest::edgeDistance(got, want) <= tolerance,
                 qPrintable(QStringLiteral("%1 at %2, expected %3").arg(QLatin1String(c.name), describe(got), describe(want))));
    }
}

} // namespace

class TestCupsPrint : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void plainPage();
    void page_data();
    void page();
    void printPageWindow();

private:
    // Prints what `paint` draws on the queue "PDF" and returns the PDF file
    // cups-pdf wrote (read into `pdf`, the file itself deleted).
    bool printJob(const std::function<void(QPrinter &)> &paint, QString *pdfCopy);

    std::unique_ptr<cupstest::CupsServer> m_server;
    vztest::Sandbox m_box;
};

void TestCupsPrint::initTestCase()
{
    const QString missing = cupstest::missingRequirement();
    if (!missing.isEmpty())
        QSKIP(qPrintable(missing));
    m_server = std::make_unique<cupstest::CupsServer>();
    QString error;
    QVERIFY2(m_server->start(&error), qPrintable(error));
    QVERIFY2(QPrinterInfo::availablePrinterNames().contains(QStringLiteral("PDF")),
             qPrintable(QPrinterInfo::availablePrinterNames().join(QLatin1Char(','))));
}

void TestCupsPrint::cleanupTestCase()
{
    m_server.reset();
}

bool TestCupsPrint::printJob(const std::function<void(QPrinter &)> &paint, QString *pdfCopy)
{
    const QSet<QString> before = cupstest::CupsServer::outputFiles();
    const int finished = m_server->finishedJobs();
    paint(*std::make_unique<QPrinter>(QPrinter::HighResolution)); // the job is sent when the printer goes
    QString error;
    const QString file = m_server->waitForJobFile(finished, before, &error);
    if (file.isEmpty()) {
        qWarning("%s", qPrintable(error));
        return false;
    }
    static int n = 0;
    *pdfCopy = m_box.path(QStringLiteral("job%1.pdf").arg(++n));
    const bool copied = QFile::copy(file, *pdfCopy);
    QFile::remove(file);
    return copied;
}

void TestCupsPrint::plainPage()
{
    QRectF printableInch;
    int dpi = 0;
    QString pdf;
    QVERIFY(printJob(
        [&](QPrinter &printer) {
            printer.setPrinterName(QStringLiteral("PDF"));
            printer.setPageSize(QPageSize(QPageSize::A4));
            printer.setDocName(QStringLiteral("Vellozine"));
            dpi = printer.resolution();
            printableInch = printer.pageLayout().paintRect(QPageLayout::Inch);
            QPainter p(&printer);
            p.fillRect(QRect(dpi, dpi, dpi, dpi / 2), Qt::red);
        },
        &pdf));
    const pdftest::PdfInfo info = pdftest::pdfInfo(pdf);
    QCOMPARE(info.pages, 1);
    QVERIFY2(qAbs(info.pageSize.width() - 595) <= 1 && qAbs(info.pageSize.height() - 842) <= 1,
             qPrintable(QStringLiteral("%1 x %2").arg(info.pageSize.width()).arg(info.pageSize.height())));
    const QImage page = pdftest::renderPage(pdf, 100);
    const QRect red = pdftest::colourBox(page, qRgb(255, 0, 0));
    const QPointF want = (printableInch.topLeft() + QPointF(1, 1)) * 100;
    QVERIFY2(qAbs(red.left() - want.x()) <= 6 && qAbs(red.top() - want.y()) <= 6,
             qPrintable(QStringLiteral("red at %1,%2, expected %3,%4").arg(red.left()).arg(red.top()).arg(want.x()).arg(want.y())));
    QVERIFY(qAbs(red.width() - 100) <= 3 && qAbs(red.height() - 50) <= 3);
}

void TestCupsPrint::page_data()
{
    QTest::addColumn<vz::PrintType>("type");
    QTest::addColumn<vz::PrintStyle>("style");
    QTest::newRow("direct") << vz::PrintType::StretchDib << vz::PrintStyle::None;
    QTest::newRow("banded") << vz::PrintType::Banded << vz::PrintStyle::None;
    QTest::newRow("banded, device-dependent") << vz::PrintType::Ddb << vz::PrintStyle::None;
}

// The page through the routine onto the real queue, as the print dialog
// sends it: each colour where its page rectangle says, the text in its box.
void TestCupsPrint::page()
{
    QFETCH(vz::PrintType, type);
    QFETCH(vz::PrintStyle, style);

    double s = 0;
    int dpi = 0;
    QPointF origin; // inches
    vz::PagePrintResult result;
    QString pdf;
    QVERIFY(printJob(
        [&](QPrinter &printer) {
            printer.setPrinterName(QStringLiteral("PDF"));
            printer.setPageSize(QPageSize(QPageSize::A4));
            printer.setPageOrientation(QPageLayout::Portrait);
            origin = printer.pageLayout().paintRect(QPageLayout::Inch).topLeft();
            // The print page's own device for a printer: the job named,
            // a printer in its error state raised.
            vz::PrinterPrintDevice device(printer);
            dpi = device.dpiX();
            s = vz::pagePrintScale(device, pdftest::kPanelHeight);
            QList<vz::PagePicture> pictures = pdftest::pagePictures();
            vz::PagePrintOptions options;
            options.type = type;
            options.style = style;
            options.tiled.tileSize = QSize(800, 600);
            result = vz::printPage(device, pictures, pdftest::kPanelHeight, options);
        },
        &pdf));
    QCOMPARE(result.status, vz::PagePrintResult::Status::Printed);
    QCOMPARE(result.printed, 5);

    QImage img;
    checkPrintedPage(pdf, s, dpi, origin, &img);
    if (QTest::currentTestFailed())
        return;
    const double mm = kRenderDpi / 25.4;
    const QList<QRect> frames = pdftest::textBoxFrames();
    for (int i = 0; i < frames.size(); ++i) {
        const QRect want = pdftest::expectedOnRender(frames[i], s, dpi, origin, kRenderDpi).toRect();
        const QString box = pdftest::textBoxes().at(i).text;
        // Text well inside the border, nothing dark in a band around the box.
        const QRect inner = want.adjusted(int(2 * mm), int(2 * mm), -int(2 * mm), -int(2 * mm));
        QVERIFY2(pdftest::darkPixels(img, inner) > 50, qPrintable(box));
        const QRect outer = want.adjusted(-int(5 * mm), -int(5 * mm), int(5 * mm), int(5 * mm));
        const QRect near = want.adjusted(-int(1.5 * mm), -int(1.5 * mm), int(1.5 * mm), int(1.5 * mm));
        QCOMPARE(pdftest::darkPixels(img, outer) - pdftest::darkPixels(img, near), 0);
        // The border: dark pixels on the box's edge band that are not text.
        QVERIFY2(pdftest::darkPixels(img, near) - pdftest::darkPixels(img, inner) > want.width(), qPrintable(box));
    }
}

// The same page on the print page itself, printed by its Print command
// onto the real queue: pictures where the page's scale puts them, the text
// boxes printed and taken off again.
void TestCupsPrint::printPageWindow()
{
    double s = 0;
    int dpi = 0;
    QPointF origin;
    int picturesAfter = -1;
    QStringList messages;
    QString pdf;
    QVERIFY(printJob(
        [&](QPrinter &printer) {
            printer.setPrinterName(QStringLiteral("PDF"));
            printer.setPageSize(QPageSize(QPageSize::A4));
            printer.setPageOrientation(QPageLayout::Portrait);
            origin = printer.pageLayout().paintRect(QPageLayout::Inch).topLeft();
            vz::DialogResponder responder;
            vz::TfrmPrint page;
            page.resize(900, 1200);
            page.show();
            page.setPrinter(&printer);
            const auto &colours = pdftest::colourPictures();
            const QList<vz::PagePicture> pictures = pdftest::pagePictures();
            for (int i = 0; i < colours.size(); ++i)
                page.model().appendPictureAt(pictures[i].picture, pictures[i].rect);
            for (const vz::TextBoxData &box : pdftest::textBoxes())
                page.textTool()->appendTextBox(box);
            dpi = printer.resolution();
            s = double(printer.pageLayout().paintRectPixels(dpi).height()) / page.pnlPage()->height();
            page.PrintPage();
            picturesAfter = int(page.model().pictures().size());
            messages = responder.messages();
        },
        &pdf));
    QCOMPARE(messages, QStringList{"Printing Completed!  For more printing options click the Retry button."});
    QCOMPARE(picturesAfter, 3);
    QImage img;
    checkPrintedPage(pdf, s, dpi, origin, &img);
    if (QTest::currentTestFailed())
        return;
    for (const vz::TextBoxData &box : pdftest::textBoxes()) {
        const QRect want = pdftest::expectedOnRender(box.bounds, s, dpi, origin, kRenderDpi).toRect();
        QVERIFY2(pdftest::darkPixels(img, want) > 50, qPrintable(box.text));
    }
}

QTEST_MAIN(TestCupsPrint)
#include "tst_cupsprint.moc"
