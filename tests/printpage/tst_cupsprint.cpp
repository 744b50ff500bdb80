// Real printing: the page printed through a private CUPS server onto its
// cups-pdf queue, and the PDF it writes read back with poppler.

#include "testutils.h"

#include "CupsServer.h"
#include "pdftestutils.h"

#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

#include <memory>

class TestCupsPrint : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void plainPage();

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

QTEST_MAIN(TestCupsPrint)
#include "tst_cupsprint.moc"
