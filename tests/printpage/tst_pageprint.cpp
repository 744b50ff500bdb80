// The page-printing routine: which transfers each print type and style makes,
// where pictures land, its fallbacks and stops, the slow-down hook, and the
// BMP stream reader that feeds the tiled printer.

#include "testutils.h"

#include "imaging/BmpFile.h"
#include "printpage/PagePrint.h"
#include "printpage/PrintDevice.h"

#include <QBuffer>
#include <QImageWriter>
#include <QtEndian>

#include <stdexcept>

using vz::PagePicture;
using vz::PagePrintOptions;
using vz::PagePrintResult;
using vz::PrintStyle;
using vz::PrintType;
using vz::RecordingPrintDevice;
using Call = RecordingPrintDevice::Call;
using Status = PagePrintResult::Status;

Q_DECLARE_METATYPE(Call)
Q_DECLARE_METATYPE(PrintType)
Q_DECLARE_METATYPE(PrintStyle)
Q_DECLARE_METATYPE(Status)

namespace {

// One expected transfer: its kind, target and source.
struct Sent
{
    Call call;
    QRect target;
    QRect source;
};
using SentList = QList<Sent>;

QString describe(const SentList &list)
{
    QStringList parts;
    for (const Sent &s : list)
        parts << QStringLiteral("%1 (%2,%3 %4x%5) from (%6,%7 %8x%9)")
                     .arg(int(s.call))
                     .arg(s.target.x()).arg(s.target.y()).arg(s.target.width()).arg(s.target.height())
                     .arg(s.source.x()).arg(s.source.y()).arg(s.source.width()).arg(s.source.height());
    return parts.join(QStringLiteral("; "));
}

SentList sent(const RecordingPrintDevice &dev)
{
    SentList out;
    for (const auto &e : dev.transfers())
        out.append(Sent{e.call, e.target, e.source});
    return out;
}

QList<Call> calls(const RecordingPrintDevice &dev)
{
    QList<Call> out;
    for (const auto &e : dev.entries())
        out.append(e.call);
    return out;
}

QImage filled(int w, int h, QImage::Format format, QColor colour)
{
    QImage img(w, h, format);
    img.fill(colour);
    return img;
}

vz::Picture bitmap(int w, int h, QImage::Format format = QImage::Format_RGB32, QColor colour = Qt::red)
{
    return vz::Picture::fromImage(filled(w, h, format, colour));
}

vz::Picture jpeg(int w, int h)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    if (!writer.write(filled(w, h, QImage::Format_RGB32, Qt::blue)))
        qFatal("no JPEG writer");
    return vz::Picture::fromBytes(bytes, vz::Picture::Kind::Jpeg);
}

// Tiles of 800 x 600 printer pixels, messages collected.
PagePrintOptions options(PrintType type, PrintStyle style, QStringList *messages = nullptr)
{
    PagePrintOptions o;
    o.type = type;
    o.style = style;
    o.tiled.tileSize = QSize(800, 600);
    if (messages)
        o.tiled.message = [messages](const QString &m) { messages->append(m); };
    return o;
}

// A BMP file from its parts, offsets and sizes as given (so they can lie).
QByteArray bmpFile(const QByteArray &header, const QByteArray &pixels, qint64 offset = -1)
{
    QByteArray file(14, '\0');
    file[0] = 'B';
    file[1] = 'M';
    qToLittleEndian<quint32>(quint32(14 + header.size() + pixels.size()), file.data() + 2);
    qToLittleEndian<quint32>(quint32(offset < 0 ? 14 + header.size() : offset), file.data() + 10);
    return file + header + pixels;
}

QByteArray infoHeader(qint32 w, qint32 h, int bits, quint32 imageSize = 0)
{
    QByteArray b(40, '\0');
    qToLittleEndian<quint32>(40, b.data());
    qToLittleEndian<qint32>(w, b.data() + 4);
    qToLittleEndian<qint32>(h, b.data() + 8);
    qToLittleEndian<quint16>(1, b.data() + 12);
    qToLittleEndian<quint16>(quint16(bits), b.data() + 14);
    qToLittleEndian<quint32>(imageSize, b.data() + 20);
    return b;
}

QByteArray coreHeader(quint16 w, quint16 h, int bits)
{
    QByteArray b(12, '\0');
    qToLittleEndian<quint32>(12, b.data());
    qToLittleEndian<quint16>(w, b.data() + 4);
    qToLittleEndian<quint16>(h, b.data() + 6);
    qToLittleEndian<quint16>(1, b.data() + 8);
    qToLittleEndian<quint16>(quint16(bits), b.data() + 10);
    return b;
}

// A stream that hands out its bytes and then fails, as a broken pipe or a
// failing disk does.
class FailingStream : public QIODevice
{
public:
    explicit FailingStream(QByteArray bytes, qint64 failAt) : m_bytes(std::move(bytes)), m_failAt(failAt)
    {
        open(QIODevice::ReadOnly);
    }
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return m_bytes.size() - m_pos + QIODevice::bytesAvailable(); }

protected:
    qint64 readData(char *data, qint64 max) override
    {
        if (m_pos >= m_failAt)
            return -1;
        const qint64 n = std::min({max, m_failAt - m_pos, qint64(m_bytes.size()) - m_pos});
        std::memcpy(data, m_bytes.constData() + m_pos, size_t(n));
        m_pos += n;
        return n;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QByteArray m_bytes;
    qint64 m_failAt;
    qint64 m_pos = 0;
};

} // namespace

Q_DECLARE_METATYPE(SentList)

class TestPagePrint : public QObject
{
    Q_OBJECT

private slots:
    void emptyPageBeginsNothing();
    void transfers_data();
    void transfers();
    void convertKeepsTheBitmap();
    void edges_data();
    void edges();
    void tinyBitmap_data();
    void tinyBitmap();
    void fallbacks_data();
    void fallbacks();
    void errorsPassThroughAfterEnd();
    void printErrorFromBeginHook();
    void refusedDocument();
    void slowDownWaitsPerTransfer();
    void storedValues();
    void ontoImage_data();
    void ontoImage();
    void streamReader_data();
    void streamReader();
    void streamFailures();
    void streamFromPosition();
};

void TestPagePrint::emptyPageBeginsNothing()
{
    RecordingPrintDevice dev;
    QList<PagePicture> none;
    int hooked = 0;
    PagePrintOptions o = options(PrintType::Banded, PrintStyle::None);
    o.progress = [&] { ++hooked; };
    const PagePrintResult r = vz::printPage(dev, none, 660, o);
    QCOMPARE(r.status, Status::NothingToPrint);
    QVERIFY(dev.entries().isEmpty());
    QCOMPARE(hooked, 0);
}

void TestPagePrint::transfers_data()
{
    QTest::addColumn<PrintType>("type");
    QTest::addColumn<PrintStyle>("style");
    QTest::addColumn<int>("bits");
    QTest::addColumn<SentList>("expected");

    // A 100 x 30 bitmap at page (10, 20) on a scale of 10: printer
    // (100, 200, 1000, 300), two tiles of at most 800 wide.
    const QRect whole(100, 200, 1000, 300);
    const QRect t1(100, 200, 800, 300), t2(900, 200, 200, 300);
    for (PrintStyle style : {PrintStyle::None, PrintStyle::Compress, PrintStyle::WinStretch, PrintStyle::SlowDown}) {
        const QByteArray name = "direct, style " + QByteArray::number(int(style));
        QTest::newRow(name.constData()) << PrintType::StretchDib << style << 32
                                        << SentList{{Call::StretchDib, whole, QRect(0, 0, 100, 30)}};
    }
    QTest::newRow("banded") << PrintType::Banded << PrintStyle::None << 32
                            << SentList{{Call::StretchDib, t1, QRect(0, 0, 800, 300)},
                                        {Call::StretchDib, t2, QRect(0, 0, 200, 300)}};
    QTest::newRow("banded, slow down: no reduction") << PrintType::Banded << PrintStyle::SlowDown << 32
                                                     << SentList{{Call::StretchDib, t1, QRect(0, 0, 800, 300)},
                                                                 {Call::StretchDib, t2, QRect(0, 0, 200, 300)}};
    QTest::newRow("banded, compress") << PrintType::Banded << PrintStyle::Compress << 32
                                      << SentList{{Call::StretchDib, t1, QRect(0, 0, 400, 150)},
                                                  {Call::StretchDib, t2, QRect(0, 0, 100, 150)}};
    QTest::newRow("banded, winstretch") << PrintType::Banded << PrintStyle::WinStretch << 32
                                        << SentList{{Call::StretchDib, t1, QRect(0, 0, 80, 30)},
                                                    {Call::StretchDib, t2, QRect(0, 0, 20, 30)}};
    QTest::newRow("24 bits") << PrintType::Convert24 << PrintStyle::None << 24
                             << SentList{{Call::StretchDib, t1, QRect(0, 0, 800, 300)},
                                         {Call::StretchDib, t2, QRect(0, 0, 200, 300)}};
    QTest::newRow("24 bits, compress") << PrintType::Convert24 << PrintStyle::Compress << 24
                                       << SentList{{Call::StretchDib, t1, QRect(0, 0, 400, 150)},
                                                   {Call::StretchDib, t2, QRect(0, 0, 100, 150)}};
    // Device-dependent from the first tile on.
    QTest::newRow("ddb: bitblt") << PrintType::Ddb << PrintStyle::None << 32
                                 << SentList{{Call::CopyDdb, t1, QRect(0, 0, 800, 300)},
                                             {Call::CopyDdb, t2, QRect(0, 0, 200, 300)}};
    QTest::newRow("ddb, compress: stretchblt") << PrintType::Ddb << PrintStyle::Compress << 32
                                               << SentList{{Call::StretchDdb, t1, QRect(0, 0, 400, 150)},
                                                           {Call::StretchDdb, t2, QRect(0, 0, 100, 150)}};
    QTest::newRow("ddb, winstretch: stretchblt") << PrintType::Ddb << PrintStyle::WinStretch << 32
                                                 << SentList{{Call::StretchDdb, t1, QRect(0, 0, 80, 30)},
                                                             {Call::StretchDdb, t2, QRect(0, 0, 20, 30)}};
}

void TestPagePrint::transfers()
{
    QFETCH(PrintType, type);
    QFETCH(PrintStyle, style);
    QFETCH(int, bits);
    QFETCH(SentList, expected);

    RecordingPrintDevice dev(QSize(4800, 6600), 600);
    QList<PagePicture> page{{bitmap(100, 30), QRect(10, 20, 100, 30)}, {jpeg(20, 10), QRect(200, 300, 20, 10)}};
    const PagePrintResult r = vz::printPage(dev, page, 660, options(type, style));
    QCOMPARE(r.status, Status::Printed);
    QCOMPARE(r.printed, 2);

    const SentList got = sent(dev);
    QCOMPARE(describe(got), describe(expected));
    for (const auto &e : dev.transfers()) {
        QVERIFY(!e.refused);
        QCOMPARE(e.bitsPerPixel, bits);
        QCOMPARE(e.pixels.pixel(0, 0) & 0xFFFFFF, 0xFF0000u);
    }
    // One document with the job's title; the JPEG drawn after the bitmap.
    const auto &entries = dev.entries();
    QCOMPARE(entries.first().call, Call::Begin);
    QCOMPARE(entries.first().title, QStringLiteral("Vellozine"));
    QCOMPARE(entries.last().call, Call::End);
    QCOMPARE(entries.at(entries.size() - 2).call, Call::Picture);
    QCOMPARE(entries.at(entries.size() - 2).target, QRect(2000, 3000, 200, 100));
}

void TestPagePrint::convertKeepsTheBitmap()
{
    RecordingPrintDevice dev;
    QImage translucent(40, 30, QImage::Format_ARGB32);
    translucent.fill(qRgba(0, 0, 0, 0));
    const vz::Picture original = vz::Picture::fromImage(translucent);
    QList<PagePicture> page{{jpeg(10, 10), QRect(0, 0, 10, 10)}, {original, QRect(10, 10, 40, 30)}};
    const PagePrintResult r = vz::printPage(dev, page, 660, options(PrintType::Convert24, PrintStyle::None));
    QCOMPARE(r.status, Status::Printed);
    QCOMPARE(r.converted, QList<int>{1});
    QCOMPARE(page.at(1).picture.kind(), vz::Picture::Kind::Bitmap);
    QCOMPARE(page.at(1).picture.image().depth(), 24);
    QVERIFY(!page.at(1).picture.sharesDataWith(original));
    // Transparent parts print white.
    QCOMPARE(page.at(1).picture.image().pixel(5, 5) & 0xFFFFFF, 0xFFFFFFu);
    QCOMPARE(dev.transfers().first().pixels.pixel(0, 0) & 0xFFFFFF, 0xFFFFFFu);
}

void TestPagePrint::edges_data()
{
    QTest::addColumn<QRect>("page");
    QTest::addColumn<QRect>("printer");
    // Scale 6.5: each edge rounded, halves to even.
    QTest::newRow("left 1") << QRect(1, 0, 100, 10) << QRect(6, 0, 650, 65);    // 6.5 -> 6, 656.5 -> 656
    QTest::newRow("left 2") << QRect(2, 0, 100, 10) << QRect(13, 0, 650, 65);   // 13, 663
    QTest::newRow("left 3") << QRect(3, 0, 100, 10) << QRect(20, 0, 650, 65);   // 19.5 -> 20, 669.5 -> 670
    QTest::newRow("tops too") << QRect(0, 1, 10, 3) << QRect(0, 6, 65, 20);     // 6.5 -> 6, 26
    QTest::newRow("left of the page") << QRect(-3, -1, 4, 2) << QRect(-20, -6, 26, 12); // -19.5 -> -20, -6.5 -> -6
    QTest::newRow("far beyond the page") << QRect(-1000000000, 0, 2000000000, 10)
                                         << QRect(-(1 << 29), 0, 1 << 30, 65);
}

void TestPagePrint::edges()
{
    QFETCH(QRect, page);
    QFETCH(QRect, printer);
    QCOMPARE(vz::printerRect(page, 6.5), printer);

    // The routine itself: a device 6500 high under a page panel 1000 high.
    for (const vz::Picture &picture : {bitmap(8, 8), jpeg(8, 8)}) {
        RecordingPrintDevice dev(QSize(5000, 6500), 600);
        QList<PagePicture> list{{picture, page}};
        vz::printPage(dev, list, 1000, options(PrintType::StretchDib, PrintStyle::None));
        QCOMPARE(dev.entries().size(), 3);
        QCOMPARE(dev.entries().at(1).target, printer);
    }
}

void TestPagePrint::tinyBitmap_data()
{
    QTest::addColumn<PrintType>("type");
    QTest::addColumn<Status>("status");
    QTest::addColumn<QList<Call>>("calls");
    // The 2 x 2 bitmap has 16 bytes of pixels: too few for the tiled printer.
    // What came before it still prints, nothing after it.
    const QList<Call> stopped{Call::Begin, Call::Picture, Call::End};
    QTest::newRow("direct prints it") << PrintType::StretchDib << Status::Printed
                                      << QList<Call>{Call::Begin, Call::Picture, Call::StretchDib, Call::Picture, Call::End};
    QTest::newRow("banded") << PrintType::Banded << Status::BitmapLoadError << stopped;
    QTest::newRow("ddb") << PrintType::Ddb << Status::BitmapLoadError << stopped;
    QTest::newRow("24 bits") << PrintType::Convert24 << Status::BitmapLoadError << stopped;
}

void TestPagePrint::tinyBitmap()
{
    QFETCH(PrintType, type);
    QFETCH(Status, status);
    QFETCH(QList<Call>, calls);
    RecordingPrintDevice dev;
    QList<PagePicture> page{{jpeg(4, 4), QRect(0, 0, 4, 4)},
                            {bitmap(2, 2, QImage::Format_RGB888), QRect(10, 10, 2, 2)},
                            {jpeg(4, 4), QRect(20, 0, 4, 4)}};
    const PagePrintResult r = vz::printPage(dev, page, 660, options(type, PrintStyle::None));
    QCOMPARE(r.status, status);
    QCOMPARE(::calls(dev), calls);
}

void TestPagePrint::fallbacks_data()
{
    QTest::addColumn<PrintType>("type");
    QTest::addColumn<int>("failAt");
    QTest::addColumn<bool>("throws");
    QTest::addColumn<QList<Call>>("calls");
    QTest::addColumn<QStringList>("messages");

    // Two bitmaps of three tiles each; each bitmap starts afresh.
    const QList<Call> dib3{Call::StretchDib, Call::StretchDib, Call::StretchDib};
    QTest::newRow("dib tile 2 refused: resent by BitBlt, then device-dependent")
        << PrintType::Banded << 2 << false
        << (QList<Call>{Call::StretchDib, Call::StretchDib, Call::CopyDdb, Call::CopyDdb} + dib3)
        << QStringList{QStringLiteral("StretchDIBits failed! Trying BitBlt")};
    QTest::newRow("bitblt refused: the next picture prints")
        << PrintType::Ddb << 1 << false
        << QList<Call>{Call::CopyDdb, Call::CopyDdb, Call::CopyDdb, Call::CopyDdb}
        << QStringList{QStringLiteral("BitBlt failed")};
    QTest::newRow("throw in a tile: the next picture prints")
        << PrintType::Banded << 2 << true << (QList<Call>{Call::StretchDib, Call::StretchDib} + dib3)
        << QStringList{QStringLiteral("CustomFormTileCallbackFn Exception")};
}

void TestPagePrint::fallbacks()
{
    QFETCH(PrintType, type);
    QFETCH(int, failAt);
    QFETCH(bool, throws);
    QFETCH(QList<Call>, calls);
    QFETCH(QStringList, messages);

    RecordingPrintDevice dev;
    dev.failTransfer(failAt, throws ? RecordingPrintDevice::Failure::Throw : RecordingPrintDevice::Failure::Refuse);
    QList<PagePicture> page{{bitmap(240, 30), QRect(0, 0, 240, 30)}, {bitmap(240, 30), QRect(0, 100, 240, 30)}};
    QStringList shown;
    const PagePrintResult r = vz::printPage(dev, page, 660, options(type, PrintStyle::None, &shown));
    QCOMPARE(r.status, Status::Printed);
    QList<Call> got;
    for (const auto &e : dev.transfers())
        got << e.call;
    QCOMPARE(got, calls);
    QCOMPARE(shown, messages);
    // The resent tile goes where the refused one was to go.
    if (got.size() > failAt && !throws && type == PrintType::Banded)
        QCOMPARE(dev.transfers().at(failAt).target, dev.transfers().at(failAt - 1).target);
    QCOMPARE(dev.entries().last().call, Call::End);
}

void TestPagePrint::errorsPassThroughAfterEnd()
{
    // A direct transfer is not checked: the device's error reaches the
    // caller, but only after the document was ended.
    RecordingPrintDevice dev;
    dev.failTransfer(1, RecordingPrintDevice::Failure::Throw);
    QList<PagePicture> page{{bitmap(40, 30), QRect(0, 0, 40, 30)}, {jpeg(4, 4), QRect(50, 0, 4, 4)}};
    int hooked = 0;
    PagePrintOptions o = options(PrintType::StretchDib, PrintStyle::None);
    o.progress = [&] { ++hooked; };
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, vz::printPage(dev, page, 660, o));
    QCOMPARE(::calls(dev), (QList<Call>{Call::Begin, Call::StretchDib, Call::End}));
    // The job's hook is gone from the device afterwards.
    QCOMPARE(hooked, 0);
    dev.stretchDib(QRect(0, 0, 1, 1), QRect(0, 0, 1, 1), QByteArray(), QByteArray());
    QCOMPARE(hooked, 0);
}

void TestPagePrint::printErrorFromBeginHook()
{
    QImage sheet(200, 200, QImage::Format_RGB32);
    vz::PainterPrintDevice dev(&sheet, {[](const QString &) { throw vz::PrintError::noPrinter(); }, {}});
    QList<PagePicture> page{{bitmap(10, 10), QRect(0, 0, 10, 10)}};
    try {
        vz::printPage(dev, page, 200, options(PrintType::StretchDib, PrintStyle::None));
        QFAIL("no error");
    } catch (const vz::VzError &e) {
        QCOMPARE(e.message(), QStringLiteral("No printer is available."));
    }
    QCOMPARE(vz::PrintError::jobRefused().message(), QStringLiteral("The printer refused the print job."));
    QVERIFY(!dev.painter().isActive());
}

void TestPagePrint::refusedDocument()
{
    RecordingPrintDevice dev;
    dev.refuseDocument();
    QList<PagePicture> page{{bitmap(40, 30), QRect(0, 0, 40, 30)}};
    QCOMPARE(vz::printPage(dev, page, 660, options(PrintType::Banded, PrintStyle::None)).status, Status::Failed);
    QCOMPARE(::calls(dev), QList<Call>{Call::Begin});
}

void TestPagePrint::slowDownWaitsPerTransfer()
{
    QList<int> waits;
    const vz::SlowDownSleeper previous = vz::setSlowDownSleeper([&](int ms) { waits << ms; });

    vz::SlowDownHook(false);
    QVERIFY(waits.isEmpty());

    RecordingPrintDevice dev;
    // Three tiles, one direct transfer, one drawn picture.
    QList<PagePicture> page{{bitmap(240, 30), QRect(0, 0, 240, 30)}, {jpeg(4, 4), QRect(0, 50, 4, 4)}};
    PagePrintOptions o = options(PrintType::Banded, PrintStyle::SlowDown);
    o.progress = [] { vz::SlowDownHook(true); };
    vz::printPage(dev, page, 660, o);
    QCOMPARE(waits, QList<int>(3, 1000));

    waits.clear();
    o.type = PrintType::StretchDib;
    vz::printPage(dev, page, 660, o);
    QCOMPARE(waits, QList<int>{1000});

    vz::setSlowDownSleeper(previous);
}

void TestPagePrint::storedValues()
{
    QCOMPARE(vz::printTypeFromInt(0), PrintType::Ddb);
    QCOMPARE(vz::printTypeFromInt(1), PrintType::Convert24);
    QCOMPARE(vz::printTypeFromInt(3), PrintType::Banded);
    for (int v : {-1, 2, 4, 7})
        QCOMPARE(vz::printTypeFromInt(v), PrintType::StretchDib);
    QCOMPARE(vz::printStyleFromInt(0), PrintStyle::Compress);
    QCOMPARE(vz::printStyleFromInt(1), PrintStyle::WinStretch);
    QCOMPARE(vz::printStyleFromInt(2), PrintStyle::SlowDown);
    for (int v : {-1, 3, 5})
        QCOMPARE(vz::printStyleFromInt(v), PrintStyle::None);
}

void TestPagePrint::ontoImage_data()
{
    QTest::addColumn<PrintType>("type");
    QTest::addColumn<PrintStyle>("style");
    QTest::newRow("ddb") << PrintType::Ddb << PrintStyle::None;
    QTest::newRow("24 bits") << PrintType::Convert24 << PrintStyle::None;
    QTest::newRow("direct") << PrintType::StretchDib << PrintStyle::None;
    QTest::newRow("banded") << PrintType::Banded << PrintStyle::None;
    QTest::newRow("banded, compress") << PrintType::Banded << PrintStyle::Compress;
    QTest::newRow("banded, winstretch") << PrintType::Banded << PrintStyle::WinStretch;
}

void TestPagePrint::ontoImage()
{
    // Every type puts the same colours in the same places of a real page.
    QFETCH(PrintType, type);
    QFETCH(PrintStyle, style);
    QImage sheet(1300, 1000, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    vz::PainterPrintDevice dev(&sheet);
    // Scale 2.5 from a page panel 400 high; pictures at odd page pixels.
    QImage indexed(30, 20, QImage::Format_Indexed8);
    indexed.setColorTable({qRgb(0, 200, 0)});
    indexed.fill(0);
    QList<PagePicture> page{{bitmap(61, 41, QImage::Format_RGB32, Qt::red), QRect(11, 13, 61, 41)},
                            {vz::Picture::fromImage(indexed), QRect(201, 101, 30, 20)},
                            {jpeg(40, 40), QRect(301, 201, 40, 40)}};
    const PagePrintResult r = vz::printPage(dev, page, 400, options(type, style));
    QCOMPARE(r.status, Status::Printed);
    const auto colourAt = [&](int x, int y) { return sheet.pixelColor(x, y); };
    // Red: (27.5 -> 28, 32.5 -> 32) to (180, 135); green from (502, 252); blue
    // from (752, 502). Compress may leave the last odd row or column out.
    const auto near = [](QColor c, QColor want) {
        return qAbs(c.red() - want.red()) < 40 && qAbs(c.green() - want.green()) < 40
               && qAbs(c.blue() - want.blue()) < 40;
    };
    for (auto [x, y] : {std::pair{29, 33}, std::pair{178, 133}, std::pair{100, 80}})
        QVERIFY2(near(colourAt(x, y), Qt::red), qPrintable(QStringLiteral("red at %1,%2").arg(x).arg(y)));
    for (auto [x, y] : {std::pair{27, 33}, std::pair{181, 134}, std::pair{100, 31}, std::pair{100, 136}})
        QVERIFY2(near(colourAt(x, y), Qt::white), qPrintable(QStringLiteral("white at %1,%2").arg(x).arg(y)));
    QVERIFY(near(colourAt(503, 253), QColor(0, 200, 0)));
    QVERIFY(near(colourAt(576, 301), QColor(0, 200, 0)));
    QVERIFY(near(colourAt(501, 253), Qt::white));
    QVERIFY(near(colourAt(760, 510), Qt::blue));
    QVERIFY(near(colourAt(750, 510), Qt::white));
}

void TestPagePrint::streamReader_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("pixelBytes");

    const QByteArray px48(48, '\x11');
    const QByteArray good = bmpFile(infoHeader(4, 4, 24), px48);
    QTest::newRow("24 bits") << good << true << QSize(4, 4) << 48;
    QTest::newRow("image size field used") << bmpFile(infoHeader(4, 4, 24, 40), px48) << true << QSize(4, 4) << 40;
    QTest::newRow("top-down: height as its size") << bmpFile(infoHeader(4, -4, 24), px48) << true << QSize(4, 4) << 48;
    QTest::newRow("core header, 8 x 8 at 1 bit")
        << bmpFile(coreHeader(8, 8, 1) + QByteArray(6, '\0'), QByteArray(32, '\x0F')) << true << QSize(8, 8) << 32;
    QTest::newRow("extra bytes after the pixels") << good + QByteArray(100, 'x') << true << QSize(4, 4) << 48;

    QByteArray notBm = good;
    notBm[1] = 'A';
    QTest::newRow("not BM") << notBm << false << QSize() << 0;
    QTest::newRow("offset 14") << bmpFile(infoHeader(4, 4, 24), px48, 14) << false << QSize() << 0;
    QTest::newRow("offset past the end") << bmpFile(infoHeader(4, 4, 24), px48, 200) << false << QSize() << 0;
    QTest::newRow("offset inside the info header") << bmpFile(infoHeader(4, 4, 24), px48, 30) << false << QSize() << 0;
    QTest::newRow("header size 20") << bmpFile(infoHeader(4, 4, 24).replace(0, 1, "\x14"), px48) << false << QSize() << 0;
    QTest::newRow("width 0") << bmpFile(infoHeader(0, 4, 24, 48), px48) << false << QSize() << 0;
    QTest::newRow("negative width") << bmpFile(infoHeader(-4, 4, 24, 48), px48) << false << QSize() << 0;
    QTest::newRow("height 0") << bmpFile(infoHeader(4, 0, 24, 48), px48) << false << QSize() << 0;
    QTest::newRow("31 bytes of pixels") << bmpFile(infoHeader(4, 4, 24, 31), px48) << false << QSize() << 0;
    QTest::newRow("2 x 2 at 24 bits") << bmpFile(infoHeader(2, 2, 24), QByteArray(16, '\0')) << false << QSize() << 0;
    QTest::newRow("pixels cut") << good.left(good.size() - 1) << false << QSize() << 0;
    QTest::newRow("image size 4 GB") << bmpFile(infoHeader(4, 4, 24, 0xFFFFFFF0u), px48) << false << QSize() << 0;
    QTest::newRow("huge size from the dimensions")
        << bmpFile(infoHeader(0x7FFFFFFF, 0x7FFFFFFF, 32), px48) << false << QSize() << 0;
    QTest::newRow("file header only") << good.left(14) << false << QSize() << 0;
    QTest::newRow("cut in the file header") << good.left(9) << false << QSize() << 0;
}

void TestPagePrint::streamReader()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, ok);
    QFETCH(QSize, size);
    QFETCH(int, pixelBytes);

    QBuffer buffer(&file);
    buffer.open(QIODevice::ReadOnly);
    vz::DibBlocks dib;
    dib.width = 99;
    QCOMPARE(vz::LoadDibFromStream(buffer, dib), ok);
    if (!ok) {
        QVERIFY(dib.header.isEmpty() && dib.pixels.isEmpty());
        QCOMPARE(dib.width, 0);
        return;
    }
    QCOMPARE(QSize(dib.width, dib.height), size);
    QCOMPARE(dib.pixels.size(), pixelBytes);
    QCOMPARE(dib.header.size(), qint64(qFromLittleEndian<quint32>(file.constData() + 10)) - 14);
}

void TestPagePrint::streamFailures()
{
    const QImage img = filled(16, 8, QImage::Format_RGB32, Qt::green);
    const QByteArray file = vz::writeBmp24(img);
    vz::DibBlocks dib;

    QBuffer closed;
    QVERIFY(!vz::LoadDibFromStream(closed, dib));

    // Fails at the file header, inside the info header and inside the pixels.
    for (qint64 at : {qint64(10), qint64(30), qint64(file.size() - 5)}) {
        FailingStream stream(file, at);
        QVERIFY2(!vz::LoadDibFromStream(stream, dib), qPrintable(QString::number(at)));
        QVERIFY(dib.pixels.isEmpty());
    }
    // A sequential stream that does not fail is read to the end of the pixels.
    FailingStream whole(file, file.size());
    QVERIFY(vz::LoadDibFromStream(whole, dib));

    // What it reads prints as the bitmap itself.
    RecordingPrintDevice dev;
    vz::TiledPrinterSettings s;
    QCOMPARE(vz::PrintDib(dev, 0, 0, 32, 16, dib.header, dib.pixels, s), 1);
    QCOMPARE(dev.transfers().size(), 1);
    QCOMPARE(dev.transfers().first().pixels.pixel(31, 15) & 0xFFFFFF, 0x00FF00u);
}

void TestPagePrint::streamFromPosition()
{
    // The file starts where the stream stands (a BMP inside another file).
    QByteArray data = QByteArray("prefix") + bmpFile(infoHeader(4, 4, 24), QByteArray(48, '\x22'));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    buffer.seek(6);
    vz::DibBlocks dib;
    QVERIFY(vz::LoadDibFromStream(buffer, dib));
    QCOMPARE(dib.pixels, QByteArray(48, '\x22'));
    QCOMPARE(dib.header.size(), 40);
}

QTEST_MAIN(TestPagePrint)
#include "tst_pageprint.moc"
