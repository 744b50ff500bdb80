// The printer seam: a paint device as printer, and the recording printer
// the tiled printer's tests use.

#include "testutils.h"

#include "imaging/BmpFile.h"
#include "imaging/Picture.h"
#include "printpage/PrintDevice.h"

#include <QPdfWriter>
#include <QTemporaryDir>

#include <stdexcept>

using vz::PainterPrintDevice;
using vz::RecordingPrintDevice;
using Call = RecordingPrintDevice::Call;

Q_DECLARE_METATYPE(RecordingPrintDevice::Call)

namespace {

// A bitmap in blocks: left half red, right half blue, top row green.
vz::DibBlocks blocks(int w = 8, int h = 4, QImage::Format format = QImage::Format_RGB32)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::red);
    for (int y = 0; y < h; ++y) {
        auto *row = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = w / 2; x < w; ++x)
            row[x] = qRgb(0, 0, 255);
    }
    auto *top = reinterpret_cast<QRgb *>(img.scanLine(0));
    std::fill(top, top + w, qRgb(0, 255, 0));
    vz::DibBlocks dib;
    vz::LoadDibFromBitmap(img.convertToFormat(format), dib);
    return dib;
}

QRgb at(const QImage &img, int x, int y)
{
    return img.pixel(x, y) & 0xFFFFFF;
}

} // namespace

class TestPrintDevice : public QObject
{
    Q_OBJECT

private slots:
    void paintDeviceGeometry();
    void paintDeviceDocument();
    void paintDeviceTransfers_data();
    void paintDeviceTransfers();
    void paintDeviceRefusesBadBlocks();
    void pdfWriter();
    void recordingLogsCalls();
    void recordingFailures_data();
    void recordingFailures();
    void recordingRefusesDocument();
};

void TestPrintDevice::paintDeviceGeometry()
{
    QImage page(300, 200, QImage::Format_RGB32);
    page.setDotsPerMeterX(11811); // 300 dpi
    page.setDotsPerMeterY(23622); // 600 dpi
    PainterPrintDevice dev(&page);
    QCOMPARE(dev.printableSize(), QSize(300, 200));
    QCOMPARE(dev.dpiX(), 300);
    QCOMPARE(dev.dpiY(), 600);
    QVERIFY(dev.acceptsLargeBitmaps());
    dev.setAcceptsLargeBitmaps(false);
    QVERIFY(!dev.acceptsLargeBitmaps());
}

void TestPrintDevice::paintDeviceDocument()
{
    QImage page(50, 50, QImage::Format_RGB32);
    QStringList log;
    PainterPrintDevice dev(&page, {[&](const QString &title) { log << "begin " + title; },
                                   [&] { log << "end"; }});
    const vz::DibBlocks dib = blocks();
    // Nothing is drawn outside a document.
    QCOMPARE(dev.stretchDib(QRect(0, 0, 8, 4), QRect(0, 0, 8, 4), dib.header, dib.pixels), 0);
    QVERIFY(!dev.endDocument());
    QVERIFY(log.isEmpty());

    QVERIFY(dev.beginDocument("Vellozine"));
    QVERIFY(!dev.beginDocument("again"));
    QVERIFY(dev.painter().isActive());
    QVERIFY(dev.endDocument());
    QCOMPARE(log, QStringList({"begin Vellozine", "end"}));

    // A hook that throws (a printing-system error) reaches the caller.
    PainterPrintDevice failing(&page, {[](const QString &) { throw std::runtime_error("no printer"); }, {}});
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, failing.beginDocument("Vellozine"));
}

// 24- and 32-bit blocks are drawn from the pixel block itself, bottom-up
// rows mirrored; 32 bits whose fourth bytes are not all 0xFF are decoded.
void TestPrintDevice::paintDeviceTransfers_data()
{
    QTest::addColumn<QImage::Format>("format");
    QTest::addColumn<bool>("clearFourthByte");
    QTest::newRow("32 bits") << QImage::Format_RGB32 << false;
    QTest::newRow("24 bits") << QImage::Format_RGB888 << false;
    QTest::newRow("32 bits, fourth byte 0") << QImage::Format_RGB32 << true;
    QTest::newRow("8 bits") << QImage::Format_Indexed8 << false;
}

void TestPrintDevice::paintDeviceTransfers()
{
    QFETCH(QImage::Format, format);
    QFETCH(bool, clearFourthByte);
    QImage page(100, 100, QImage::Format_RGB32);
    page.fill(Qt::white);
    PainterPrintDevice dev(&page);
    int progress = 0;
    dev.setProgressHook([&] { ++progress; });
    vz::DibBlocks dib = blocks(8, 4, format);
    if (clearFourthByte)
        for (qsizetype i = 3; i < dib.pixels.size(); i += 4)
            dib.pixels[i] = 0;

    QVERIFY(dev.beginDocument("t"));
    // Stretched twice over, at (10, 10).
    QCOMPARE(dev.stretchDib(QRect(10, 10, 16, 8), QRect(0, 0, 8, 4), dib.header, dib.pixels), 4);
    // Copied at its own size.
    QVERIFY(dev.copyDdb(QPoint(50, 10), dib.header, dib.pixels));
    // Only the source's lower right quarter, stretched to 20 x 20.
    QVERIFY(dev.stretchDdb(QRect(10, 50, 20, 20), QRect(4, 2, 4, 2), dib.header, dib.pixels));
    // A picture drawn into its rectangle.
    QImage yellow(4, 4, QImage::Format_RGB32);
    yellow.fill(Qt::yellow);
    QVERIFY(dev.drawPicture(vz::Picture::fromImage(yellow), QRect(70, 70, 10, 10)));
    dev.flush();
    QVERIFY(dev.endDocument());
    QCOMPARE(progress, 3); // one per transfer, none for the picture

    QCOMPARE(at(page, 10, 10), 0x00FF00u);  // top row green
    QCOMPARE(at(page, 11, 13), 0xFF0000u);  // left half red
    QCOMPARE(at(page, 24, 16), 0x0000FFu);  // right half blue
    QCOMPARE(at(page, 26, 12), 0xFFFFFFu);  // nothing past the target
    QCOMPARE(at(page, 9, 12), 0xFFFFFFu);
    QCOMPARE(at(page, 50, 10), 0x00FF00u);
    QCOMPARE(at(page, 50, 11), 0xFF0000u);
    QCOMPARE(at(page, 57, 13), 0x0000FFu);
    QCOMPARE(at(page, 58, 13), 0xFFFFFFu);
    QCOMPARE(at(page, 10, 50), 0x0000FFu);  // no green: the source skips the top
    QCOMPARE(at(page, 29, 69), 0x0000FFu);
    QCOMPARE(at(page, 30, 69), 0xFFFFFFu);
    QCOMPARE(at(page, 75, 75), 0xFFFF00u);
}

void TestPrintDevice::paintDeviceRefusesBadBlocks()
{
    QImage page(20, 20, QImage::Format_RGB32);
    PainterPrintDevice dev(&page);
    int progress = 0;
    dev.setProgressHook([&] { ++progress; });
    const vz::DibBlocks dib = blocks();
    QByteArray badHeader = dib.header;
    badHeader[0] = 7; // header size 7
    QVERIFY(dev.beginDocument("t"));
    QCOMPARE(dev.stretchDib(QRect(0, 0, 8, 4), QRect(0, 0, 8, 4), badHeader, dib.pixels), 0);
    QCOMPARE(dev.stretchDib(QRect(0, 0, 8, 4), QRect(0, 0, 8, 4), dib.header.left(10), dib.pixels), 0);
    QCOMPARE(dev.stretchDib(QRect(0, 0, 8, 4), QRect(0, 0, 8, 4), dib.header, QByteArray()), 0);
    // A source reaching past the bitmap.
    QCOMPARE(dev.stretchDib(QRect(0, 0, 8, 4), QRect(1, 0, 8, 4), dib.header, dib.pixels), 0);
    QVERIFY(!dev.stretchDdb(QRect(0, 0, 8, 4), QRect(0, 0, 8, 5), dib.header, dib.pixels));
    QVERIFY(!dev.copyDdb(QPoint(0, 0), badHeader, dib.pixels));
    QVERIFY(dev.endDocument());
    QCOMPARE(progress, 6); // refused transfers report progress too
}

void TestPrintDevice::pdfWriter()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("out.pdf");
    {
        QPdfWriter pdf(path);
        pdf.setResolution(600);
        PainterPrintDevice dev(&pdf, {[&](const QString &title) { pdf.setTitle(title); }, {}});
        QCOMPARE(dev.dpiX(), 600);
        QVERIFY(dev.printableSize().width() > 4000);
        QVERIFY(dev.beginDocument("Vellozine"));
        const vz::DibBlocks dib = blocks();
        QCOMPARE(dev.stretchDib(QRect(600, 600, 800, 400), QRect(0, 0, 8, 4), dib.header, dib.pixels), 4);
        QVERIFY(dev.endDocument());
    }
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray data = f.readAll();
    QVERIFY(data.startsWith("%PDF"));
    // The job's title, as Qt writes it: UTF-16 with its byte-order mark.
    QByteArray title("/Title (\xFE\xFF");
    for (char c : QByteArray("Vellozine"))
        title.append('\0').append(c);
    QVERIFY(data.contains(title + ')'));
}

void TestPrintDevice::recordingLogsCalls()
{
    RecordingPrintDevice dev(QSize(1000, 2000), 300);
    QCOMPARE(dev.printableSize(), QSize(1000, 2000));
    QCOMPARE(dev.dpiY(), 300);
    int progress = 0;
    dev.setProgressHook([&] { ++progress; });
    const vz::DibBlocks dib = blocks();
    QImage img(3, 3, QImage::Format_RGB32);
    img.fill(Qt::black);

    QVERIFY(dev.beginDocument("Vellozine"));
    QVERIFY(dev.drawPicture(vz::Picture::fromImage(img), QRect(1, 2, 30, 40)));
    QCOMPARE(dev.stretchDib(QRect(5, 6, 16, 8), QRect(0, 0, 8, 4), dib.header, dib.pixels), 4);
    dev.flush();
    QVERIFY(dev.copyDdb(QPoint(7, 9), dib.header, dib.pixels));
    QVERIFY(dev.stretchDdb(QRect(0, 0, 80, 40), QRect(0, 0, 8, 4), dib.header, dib.pixels));
    QVERIFY(dev.endDocument());
    QCOMPARE(progress, 3);

    const auto &log = dev.entries();
    QList<Call> calls;
    for (const auto &e : log)
        calls << e.call;
    QCOMPARE(calls, QList<Call>({Call::Begin, Call::Picture, Call::StretchDib, Call::Flush, Call::CopyDdb,
                                 Call::StretchDdb, Call::End}));
    QCOMPARE(log[0].title, QString("Vellozine"));
    QCOMPARE(log[1].target, QRect(1, 2, 30, 40));
    QCOMPARE(log[2].target, QRect(5, 6, 16, 8));
    QCOMPARE(log[2].source, QRect(0, 0, 8, 4));
    QCOMPARE(log[2].bitsPerPixel, 32);
    QCOMPARE(log[2].transfer, 1);
    QCOMPARE(log[4].target, QRect(7, 9, 8, 4));
    QCOMPARE(log[4].transfer, 2);
    QCOMPARE(log[5].transfer, 3);
    // The pixels as sent, top row first.
    QCOMPARE(log[2].pixels.size(), QSize(8, 4));
    QCOMPARE(at(log[2].pixels, 0, 0), 0x00FF00u);
    QCOMPARE(at(log[2].pixels, 0, 1), 0xFF0000u);
    QCOMPARE(at(log[2].pixels, 7, 3), 0x0000FFu);
    QCOMPARE(dev.transfers().size(), 3);

    dev.clear();
    QVERIFY(dev.entries().isEmpty());
    QCOMPARE(dev.stretchDib(QRect(0, 0, 8, 4), QRect(0, 0, 8, 4), dib.header, dib.pixels), 4);
    QCOMPARE(dev.transfers().at(0).transfer, 1); // counting starts again
}

void TestPrintDevice::recordingFailures_data()
{
    QTest::addColumn<int>("failAt");
    QTest::addColumn<bool>("throws");
    QTest::addColumn<Call>("failingCall");

    QTest::newRow("refuse 1st (dib)") << 1 << false << Call::StretchDib;
    QTest::newRow("refuse 2nd (copy)") << 2 << false << Call::CopyDdb;
    QTest::newRow("refuse 3rd (stretch)") << 3 << false << Call::StretchDdb;
    QTest::newRow("throw in 2nd") << 2 << true << Call::CopyDdb;
    QTest::newRow("throw in 3rd") << 3 << true << Call::StretchDdb;
}

void TestPrintDevice::recordingFailures()
{
    QFETCH(int, failAt);
    QFETCH(bool, throws);
    QFETCH(Call, failingCall);

    RecordingPrintDevice dev;
    dev.failTransfer(failAt, throws ? RecordingPrintDevice::Failure::Throw : RecordingPrintDevice::Failure::Refuse);
    const vz::DibBlocks dib = blocks();
    const QList<std::function<bool()>> sends = {
        [&] { return dev.stretchDib(QRect(0, 0, 8, 4), QRect(0, 0, 8, 4), dib.header, dib.pixels) == 4; },
        [&] { return dev.copyDdb(QPoint(0, 0), dib.header, dib.pixels); },
        [&] { return dev.stretchDdb(QRect(0, 0, 8, 4), QRect(0, 0, 8, 4), dib.header, dib.pixels); },
        [&] { return dev.stretchDib(QRect(0, 0, 8, 4), QRect(0, 0, 8, 4), dib.header, dib.pixels) == 4; },
    };
    for (int i = 0; i < sends.size(); ++i) {
        const int n = i + 1;
        if (n == failAt && throws) {
            QVERIFY_THROWS_EXCEPTION(std::runtime_error, sends[i]());
        } else {
            QCOMPARE(sends[i](), n != failAt);
        }
    }
    const auto sent = dev.transfers();
    QCOMPARE(sent.size(), 4); // a failed transfer is logged too
    for (const auto &e : sent)
        QCOMPARE(e.refused, e.transfer == failAt);
    QCOMPARE(sent.at(failAt - 1).call, failingCall);
}

void TestPrintDevice::recordingRefusesDocument()
{
    RecordingPrintDevice dev;
    dev.refuseDocument();
    QVERIFY(!dev.beginDocument("Vellozine"));
    QCOMPARE(dev.entries().size(), 1);
    QVERIFY(dev.entries().at(0).refused);
    // Bad blocks are refused like a failing printer would.
    const vz::DibBlocks dib = blocks();
    QCOMPARE(dev.stretchDib(QRect(0, 0, 8, 4), QRect(0, 0, 8, 4), dib.header, QByteArray()), 0);
}

QTEST_MAIN(TestPrintDevice)
#include "tst_printdevice.moc"
