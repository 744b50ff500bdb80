// The tiled printer's walk over a bitmap's visible rectangle and its tile
// size rules.

#include "testutils.h"

#include "imaging/BmpFile.h"
#include "printpage/PrintDevice.h"
#include "printpage/TiledPrinter.h"

#include <QPainter>

using vz::PrintTile;
using vz::RecordingPrintDevice;
using Call = RecordingPrintDevice::Call;

Q_DECLARE_METATYPE(QImage::Format)

namespace {

// A picture with something different in every pixel.
QImage gradient(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        auto *row = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < w; ++x)
            row[x] = qRgb((x * 37) & 255, (y * 53) & 255, ((x ^ y) * 11) & 255);
    }
    return img;
}

vz::DibBlocks dibOf(const QImage &img)
{
    vz::DibBlocks dib;
    if (!vz::LoadDibFromBitmap(img, dib))
        qFatal("no DIB");
    return dib;
}

// The page the device received: every transfer drawn into its target.
QImage composed(const RecordingPrintDevice &dev, QSize size)
{
    QImage page(size, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter p(&page);
    for (const auto &e : dev.transfers()) {
        if (!e.refused)
            p.drawImage(e.target, e.pixels, e.source);
    }
    return page;
}

// The nearest-pixel reference: page pixel (X, Y) shows source pixel
// (X * sw / dw, Y * sh / dh) rounded down.
QImage nearest(const QImage &source, QSize dest)
{
    const QImage src = source.convertToFormat(QImage::Format_RGB32);
    QImage out(dest, QImage::Format_RGB32);
    for (int y = 0; y < dest.height(); ++y) {
        const auto *in = reinterpret_cast<const QRgb *>(src.constScanLine(int(qint64(y) * src.height() / dest.height())));
        auto *row = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < dest.width(); ++x)
            row[x] = in[qint64(x) * src.width() / dest.width()];
    }
    return out;
}

QByteArray infoHeader(int w, int h, int planes, int bits, int compression, int imageSize, int colours)
{
    QByteArray b(40 + 4 * colours, '\0');
    const auto put = [&](int at, quint32 v) {
        for (int i = 0; i < 4; ++i)
            b[at + i] = char((v >> (8 * i)) & 0xFF);
    };
    put(0, 40);
    put(4, quint32(w));
    put(8, quint32(h));
    b[12] = char(planes);
    b[14] = char(bits);
    put(16, quint32(compression));
    put(20, quint32(imageSize));
    put(32, quint32(colours));
    return b;
}

} // namespace

class TestTiledPrinter : public QObject
{
    Q_OBJECT

private slots:
    void tiles_data();
    void tiles();
    void stopsAtRefusedTile();
    void tileHeight64K_data();
    void tileHeight64K();
    void resultCodes_data();
    void resultCodes();
    void transfers_data();
    void transfers();
    void compressOddWidth();
    void tilePixels_data();
    void tilePixels();
    void fallbacks_data();
    void fallbacks();
    void runLength_data();
    void runLength();
    void ontoImageDevice();
    void coreMatchesInfo_data();
    void coreMatchesInfo();
    void headerTables_data();
    void headerTables();
};

void TestTiledPrinter::tiles_data()
{
    QTest::addColumn<QRect>("visible");
    QTest::addColumn<QSize>("tile");
    QTest::addColumn<QList<QRect>>("expected");

    QTest::newRow("one tile") << QRect(10, 20, 50, 40) << QSize(800, 600) << QList<QRect>{QRect(10, 20, 50, 40)};
    QTest::newRow("exact grid")
        << QRect(0, 0, 200, 100) << QSize(100, 50)
        << QList<QRect>{QRect(0, 0, 100, 50), QRect(100, 0, 100, 50), QRect(0, 50, 100, 50), QRect(100, 50, 100, 50)};
    QTest::newRow("cut at the right and bottom")
        << QRect(5, 7, 250, 120) << QSize(100, 100)
        << QList<QRect>{QRect(5, 7, 100, 100), QRect(105, 7, 100, 100), QRect(205, 7, 50, 100),
                        QRect(5, 107, 100, 20), QRect(105, 107, 100, 20), QRect(205, 107, 50, 20)};
    QTest::newRow("one-row tiles")
        << QRect(0, 0, 3, 3) << QSize(16376, 1)
        << QList<QRect>{QRect(0, 0, 3, 1), QRect(0, 1, 3, 1), QRect(0, 2, 3, 1)};
    QTest::newRow("empty") << QRect(0, 0, 0, 10) << QSize(100, 100) << QList<QRect>{};
}

void TestTiledPrinter::tiles()
{
    QFETCH(QRect, visible);
    QFETCH(QSize, tile);
    QFETCH(QList<QRect>, expected);

    QList<PrintTile> seen;
    QVERIFY(vz::ForEachTile(visible, tile.width(), tile.height(), [&](const PrintTile &t) {
        seen << t;
        return true;
    }));
    QCOMPARE(seen.size(), expected.size());
    for (int i = 0; i < seen.size(); ++i) {
        QCOMPARE(seen[i].rect, expected[i]);
        QCOMPARE(seen[i].number, i + 1);
        QCOMPARE(seen[i].count, int(expected.size())); // counted before the first tile
    }
}

void TestTiledPrinter::stopsAtRefusedTile()
{
    QList<int> numbers;
    QVERIFY(!vz::ForEachTile(QRect(0, 0, 300, 300), 100, 100, [&](const PrintTile &t) {
        numbers << t.number;
        return t.number != 4;
    }));
    QCOMPARE(numbers, QList<int>({1, 2, 3, 4}));

    // Sizes that would never end the walk give no tile.
    int calls = 0;
    const auto count = [&](const PrintTile &) { return ++calls > 0; };
    QVERIFY(!vz::ForEachTile(QRect(0, 0, 10, 10), 0, 10, count));
    QVERIFY(!vz::ForEachTile(QRect(0, 0, 10, 10), 10, -1, count));
    QCOMPARE(calls, 0);
}

void TestTiledPrinter::tileHeight64K_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("bits");
    QTest::addColumn<bool>("large");
    QTest::addColumn<QSize>("expected");

    QTest::newRow("large bitmaps: the screen") << 1024 << 24 << true << QSize(1024, 768);
    QTest::newRow("1024 at 24 bits") << 1024 << 24 << false << QSize(1024, 21);
    QTest::newRow("1024 at 1 bit") << 1024 << 1 << false << QSize(1024, 511);
    QTest::newRow("1024 at 32 bits") << 1024 << 32 << false << QSize(1024, 15);
    QTest::newRow("16375 at 32 bits") << 16375 << 32 << false << QSize(16375, 1);
    QTest::newRow("16376 at 32 bits: floor of one row") << 16376 << 32 << false << QSize(16376, 1);
    QTest::newRow("40000 at 32 bits: floor of one row") << 40000 << 32 << false << QSize(40000, 1);
}

void TestTiledPrinter::tileHeight64K()
{
    QFETCH(int, width);
    QFETCH(int, bits);
    QFETCH(bool, large);
    QFETCH(QSize, expected);
    QCOMPARE(vz::printTileSize(QSize(width, 768), bits, large), expected);
    // Every tile the rule gives stays within 64 KB unless a single row is larger.
    const qint64 rowBytes = ((qint64(bits) * width + 31) / 32) * 4;
    if (!large && expected.height() > 1)
        QVERIFY(rowBytes * expected.height() <= 65503);
}

void TestTiledPrinter::resultCodes_data()
{
    QTest::addColumn<QByteArray>("header");
    QTest::addColumn<QByteArray>("pixels");
    QTest::addColumn<QRect>("dest");
    QTest::addColumn<int>("result");

    const vz::DibBlocks good = dibOf(gradient(8, 4).convertToFormat(QImage::Format_RGB888));
    const QByteArray px = good.pixels;
    const QRect dest(0, 0, 80, 40);
    QTest::newRow("printed") << good.header << px << dest << 1;
    QTest::newRow("partly outside") << good.header << px << QRect(-40, 980, 80, 40) << 1;
    QTest::newRow("empty destination") << good.header << px << QRect(0, 0, 0, 40) << 0;
    QTest::newRow("wholly outside") << good.header << px << QRect(1000, 0, 80, 40) << 0;
    QTest::newRow("above the page") << good.header << px << QRect(0, -40, 80, 40) << 0;
    QTest::newRow("no pixels") << good.header << QByteArray() << dest << -1;
    QTest::newRow("short pixels") << good.header << px.left(px.size() - 1) << dest << -1;
    QTest::newRow("header size 7") << infoHeader(8, 4, 1, 24, 0, 0, 0).replace(0, 1, "\x07") << px << dest << -1;
    QTest::newRow("header cut") << good.header.left(30) << px << dest << -1;
    QTest::newRow("width 0") << infoHeader(0, 4, 1, 24, 0, 0, 0) << px << dest << -1;
    QTest::newRow("height 0") << infoHeader(8, 0, 1, 24, 0, 0, 0) << px << dest << -1;
    QTest::newRow("top-down") << infoHeader(8, -4, 1, 24, 0, 0, 0) << px << dest << -1;
    QTest::newRow("two planes") << infoHeader(8, 4, 2, 24, 0, 0, 0) << px << dest << -1;
    QTest::newRow("5 bits") << infoHeader(8, 4, 1, 5, 0, 0, 0) << px << dest << -1;
    QTest::newRow("compression 4") << infoHeader(8, 4, 1, 24, 4, 96, 0) << px << dest << -1;
    QTest::newRow("bit fields at 24 bits") << infoHeader(8, 4, 1, 24, 3, 96, 0) << px << dest << -1;
    QTest::newRow("bit fields without masks") << infoHeader(8, 4, 1, 32, 3, 128, 0) << px << dest << -1;
    QTest::newRow("rle8 without image size") << infoHeader(8, 4, 1, 8, 1, 0, 256) << px << dest << -1;
    QTest::newRow("rle8 at 4 bits") << infoHeader(8, 4, 1, 4, 1, 96, 16) << px << dest << -1;
    QTest::newRow("rle4 at 8 bits") << infoHeader(8, 4, 1, 8, 2, 96, 256) << px << dest << -1;
    QTest::newRow("rle8 top-down") << infoHeader(8, -4, 1, 8, 1, 96, 256) << px << dest << -1;
    QTest::newRow("rle8 expansion too large") << infoHeader(60000, 60000, 1, 8, 1, 96, 256) << px << dest << -2;
    QTest::newRow("rle8 image size past the block") << infoHeader(8, 4, 1, 8, 1, 100000, 256) << px << dest << 1;
    QTest::newRow("8 bits, table cut") << infoHeader(8, 4, 1, 8, 0, 0, 256).left(40 + 4 * 255) << px << dest << -1;
    QTest::newRow("8 bits, 2 colours used") << infoHeader(8, 4, 1, 8, 0, 0, 2) << px << dest << 1;

    // A core header: 16-bit sizes, 3-byte colour entries.
    QByteArray core(12 + 3 * 2, '\0');
    core[0] = 12;
    core[4] = 8;
    core[6] = 4;
    core[8] = 1;
    core[10] = 1;
    core[12 + 3] = char(0xFF);
    QTest::newRow("core 1 bit") << core << QByteArray(16, '\x55') << dest << 1;
    QTest::newRow("core table cut") << core.left(15) << QByteArray(16, '\x55') << dest << -1;
    QByteArray core16 = core;
    core16[10] = 16;
    QTest::newRow("core 16 bits") << core16 << px << dest << -1;
}

void TestTiledPrinter::resultCodes()
{
    QFETCH(QByteArray, header);
    QFETCH(QByteArray, pixels);
    QFETCH(QRect, dest);
    QFETCH(int, result);
    RecordingPrintDevice dev(QSize(1000, 1000), 600);
    vz::TiledPrinterSettings s;
    QCOMPARE(vz::PrintDib(dev, dest.x(), dest.y(), dest.width(), dest.height(), header, pixels, s), result);
    if (result != 1)
        QVERIFY(dev.transfers().isEmpty());
    for (const auto &e : dev.transfers()) {
        QVERIFY(QRect(0, 0, 1000, 1000).contains(e.target)); // only the printable part
        QVERIFY(!e.pixels.isNull());
    }
}

void TestTiledPrinter::transfers_data()
{
    QTest::addColumn<bool>("useDdb");
    QTest::addColumn<int>("reduction");
    QTest::addColumn<bool>("winStretch");
    QTest::addColumn<Call>("call");
    QTest::addColumn<QSize>("firstSource");
    QTest::addColumn<QRect>("firstTarget");

    // 100 x 50 onto (0, 0, 1000, 500) in 400 x 300 tiles: 3 columns, 2 rows.
    QTest::newRow("dib") << false << 1 << false << Call::StretchDib << QSize(400, 300) << QRect(0, 0, 400, 300);
    QTest::newRow("dib compress") << false << 2 << false << Call::StretchDib << QSize(200, 150) << QRect(0, 0, 400, 300);
    QTest::newRow("dib winstretch") << false << 1 << true << Call::StretchDib << QSize(40, 30) << QRect(0, 0, 400, 300);
    QTest::newRow("ddb: bitblt") << true << 1 << false << Call::CopyDdb << QSize(400, 300) << QRect(0, 0, 400, 300);
    QTest::newRow("ddb compress: stretchblt") << true << 2 << false << Call::StretchDdb << QSize(200, 150) << QRect(0, 0, 400, 300);
    QTest::newRow("ddb winstretch: stretchblt") << true << 1 << true << Call::StretchDdb << QSize(40, 30) << QRect(0, 0, 400, 300);
}

void TestTiledPrinter::transfers()
{
    QFETCH(bool, useDdb);
    QFETCH(int, reduction);
    QFETCH(bool, winStretch);
    QFETCH(Call, call);
    QFETCH(QSize, firstSource);
    QFETCH(QRect, firstTarget);

    RecordingPrintDevice dev(QSize(2000, 2000), 600);
    vz::TiledPrinterSettings s;
    s.useDdb = useDdb;
    s.reductionX = s.reductionY = reduction;
    s.windowsStretch = winStretch;
    s.tileSize = QSize(400, 300);
    const vz::DibBlocks dib = dibOf(gradient(100, 50));
    QCOMPARE(vz::PrintDib(dev, 0, 0, 1000, 500, dib.header, dib.pixels, s), 1);
    const auto sent = dev.transfers();
    QCOMPARE(sent.size(), 6);
    for (const auto &e : sent)
        QCOMPARE(e.call, call);
    QCOMPARE(sent[0].pixels.size(), firstSource);
    QCOMPARE(sent[0].target, firstTarget);
    QCOMPARE(sent[2].target.left(), 800);
    QCOMPARE(sent[3].target.top(), 300);
    QCOMPARE(sent[5].target.bottom() + 1, 500);
    // Flushed after every tile.
    int flushes = 0;
    for (const auto &e : dev.entries())
        flushes += e.call == Call::Flush;
    QCOMPARE(flushes, 6);
}

void TestTiledPrinter::compressOddWidth()
{
    RecordingPrintDevice dev(QSize(4000, 4000), 600);
    vz::TiledPrinterSettings s;
    s.reductionX = s.reductionY = 2;
    s.tileSize = QSize(1025, 600);
    const vz::DibBlocks dib = dibOf(gradient(100, 50));
    QCOMPARE(vz::PrintDib(dev, 0, 0, 1025, 500, dib.header, dib.pixels, s), 1);
    const auto sent = dev.transfers();
    QCOMPARE(sent.size(), 1);
    QCOMPARE(sent[0].pixels.size(), QSize(512, 250));
    QCOMPARE(sent[0].target, QRect(0, 0, 1024, 500)); // the last column is left out
}

void TestTiledPrinter::tilePixels_data()
{
    QTest::addColumn<QByteArray>("header");
    QTest::addColumn<QByteArray>("pixels");
    QTest::addColumn<QSize>("dest");
    QTest::addColumn<bool>("small");

    // 37 x 23 at each depth; tiles of 10 x 7 cut it into many pieces.
    QList<std::pair<QByteArray, vz::DibBlocks>> sources;
    for (auto f : {QImage::Format_Mono, QImage::Format_Indexed8, QImage::Format_RGB555, QImage::Format_RGB16,
                   QImage::Format_RGB888, QImage::Format_RGB32})
        sources.append({"format " + QByteArray::number(int(f)), dibOf(gradient(37, 23).convertToFormat(f))});
    // 4 bits, which no image format holds: sixteen greys, varied nibbles.
    vz::DibBlocks four;
    four.header = infoHeader(37, 23, 1, 4, 0, 0, 16);
    for (int i = 0; i < 16; ++i)
        four.header[40 + 4 * i] = four.header[41 + 4 * i] = four.header[42 + 4 * i] = char(i * 17);
    for (int i = 0; i < 20 * 23; ++i)
        four.pixels.append(char((i * 73 + i / 20) & 0xFF));
    sources.append({"4 bits", four});

    for (const auto &[name, dib] : sources) {
        QTest::newRow(("up, " + name).constData()) << dib.header << dib.pixels << QSize(74, 46) << false;
        QTest::newRow(("down, " + name).constData()) << dib.header << dib.pixels << QSize(17, 11) << false;
        QTest::newRow(("64 KB tiles, " + name).constData()) << dib.header << dib.pixels << QSize(74, 46) << true;
    }
}

void TestTiledPrinter::tilePixels()
{
    QFETCH(QByteArray, header);
    QFETCH(QByteArray, pixels);
    QFETCH(QSize, dest);
    QFETCH(bool, small);

    RecordingPrintDevice dev(QSize(500, 500), 600);
    dev.setAcceptsLargeBitmaps(!small);
    vz::TiledPrinterSettings s;
    s.tileSize = small ? QSize(30000, 7) : QSize(10, 7);
    QCOMPARE(vz::PrintDib(dev, 0, 0, dest.width(), dest.height(), header, pixels, s), 1);
    QVERIFY(dev.transfers().size() > 1);
    const QImage page = composed(dev, QSize(500, 500)).copy(QRect(QPoint(0, 0), dest));
    const QImage expected = nearest(vz::dibBlocksToImage(header, pixels), dest);
    QCOMPARE(vztest::maxChannelDiff(page, expected), 0);
}

void TestTiledPrinter::fallbacks_data()
{
    QTest::addColumn<bool>("useDdb");
    QTest::addColumn<int>("reduction");
    QTest::addColumn<int>("failAt");
    QTest::addColumn<bool>("throws");
    QTest::addColumn<int>("result");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QList<Call>>("calls");

    const Call D = Call::StretchDib, B = Call::CopyDdb, S = Call::StretchDdb;
    QTest::newRow("dib tile 2 refused: resent by BitBlt")
        << false << 1 << 2 << false << 1 << QStringList{"StretchDIBits failed! Trying BitBlt"}
        << QList<Call>{D, D, B, B, B};
    QTest::newRow("dib tile 1 refused, compressed: StretchBlt")
        << false << 2 << 1 << false << 1 << QStringList{"StretchDIBits failed! Trying StretchBlt"}
        << QList<Call>{D, S, S, S, S};
    QTest::newRow("bitblt refused: the rest skipped")
        << true << 1 << 2 << false << -5 << QStringList{"BitBlt failed"} << QList<Call>{B, B};
    QTest::newRow("stretchblt refused")
        << true << 2 << 1 << false << -5 << QStringList{"StretchBlt failed"} << QList<Call>{S};
    QTest::newRow("fallback refused too")
        << false << 1 << 3 << false << -5 << QStringList{"StretchDIBits failed! Trying BitBlt", "BitBlt failed"}
        << QList<Call>{D, D, D, B};
    QTest::newRow("throw in tile 3")
        << false << 1 << 3 << true << -5 << QStringList{"CustomFormTileCallbackFn Exception"} << QList<Call>{D, D, D};
}

void TestTiledPrinter::fallbacks()
{
    QFETCH(bool, useDdb);
    QFETCH(int, reduction);
    QFETCH(int, failAt);
    QFETCH(bool, throws);
    QFETCH(int, result);
    QFETCH(QStringList, messages);
    QFETCH(QList<Call>, calls);

    // Four tiles; the third fails as a whole when a later one is refused.
    const vz::DibBlocks dib = dibOf(gradient(40, 40));
    for (bool boxes : {true, false}) {
        RecordingPrintDevice dev(QSize(1000, 1000), 600);
        dev.failTransfer(failAt, throws ? RecordingPrintDevice::Failure::Throw : RecordingPrintDevice::Failure::Refuse);
        if (failAt == 3 && !throws && !useDdb)
            dev.failTransfer(4);
        QStringList shown;
        vz::TiledPrinterSettings s;
        s.showErrorBoxes = boxes;
        s.useDdb = useDdb;
        s.reductionX = s.reductionY = reduction;
        s.tileSize = QSize(100, 100);
        s.message = [&](const QString &m) { shown << m; };
        QCOMPARE(vz::PrintDib(dev, 0, 0, 200, 200, dib.header, dib.pixels, s), result);
        QList<Call> got;
        for (const auto &e : dev.transfers())
            got << e.call;
        QCOMPARE(got, calls);
        QCOMPARE(shown, boxes ? messages : QStringList());
        // A resent tile goes to the same place.
        const auto sent = dev.transfers();
        if (result == 1)
            QCOMPARE(sent[failAt].target, sent[failAt - 1].target);
    }
}

void TestTiledPrinter::runLength_data()
{
    QTest::addColumn<int>("bits");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<bool>("whiteEntry");
    QTest::addColumn<QString>("expected"); // top row first: K black, W white, R red

    const auto b = [](std::initializer_list<int> v) {
        QByteArray out;
        for (int x : v)
            out.append(char(x));
        return out;
    };
    // 4 x 2, colours black, white, red (or black, red, red: no white).
    QTest::newRow("rle8 runs") << 8 << b({4, 2, 0, 0, 2, 0, 2, 2, 0, 1}) << true << "KKRR RRRR";
    QTest::newRow("rle8 absolute, padded") << 8 << b({0, 3, 2, 0, 2, 0, 1, 0, 0, 1}) << true << "WWWW RKRK";
    QTest::newRow("rle8 delta") << 8 << b({0, 2, 1, 1, 1, 0, 0, 1}) << true << "WKWW WWWW";
    QTest::newRow("rle8 untouched white") << 8 << b({1, 0, 0, 1}) << true << "WWWW KWWW";
    QTest::newRow("rle8 no white: index 0") << 8 << b({1, 2, 0, 1}) << false << "KKKK RKKK";
    QTest::newRow("rle8 run past the right edge") << 8 << b({9, 2, 0, 0, 1, 0}) << true << "KWWW RRRR";
    QTest::newRow("rle8 delta past the top") << 8 << b({0, 2, 0, 9, 4, 2}) << true << "WWWW WWWW";
    QTest::newRow("rle8 cut inside an absolute run") << 8 << b({0, 4, 2, 2}) << true << "WWWW RRWW";
    QTest::newRow("rle8 cut inside a delta") << 8 << b({1, 2, 0, 2, 1}) << true << "WWWW RWWW";
    QTest::newRow("rle8 no end marker") << 8 << b({4, 2}) << true << "WWWW RRRR";
    QTest::newRow("rle8 index past the table") << 8 << b({4, 200, 0, 1}) << true << "WWWW RRRR";
    QTest::newRow("rle4 runs") << 4 << b({4, 0x20, 0, 0, 3, 0x22, 0, 1}) << true << "RRRW RKRK";
    QTest::newRow("rle4 absolute, padded") << 4 << b({0, 3, 0x02, 0x20, 1, 0x00, 0, 1}) << true << "WWWW KRRK";
}

void TestTiledPrinter::runLength()
{
    QFETCH(int, bits);
    QFETCH(QByteArray, data);
    QFETCH(bool, whiteEntry);
    QFETCH(QString, expected);

    const int colours = bits == 8 ? 3 : 16;
    QByteArray header = infoHeader(4, 2, 1, bits, bits == 8 ? 1 : 2, int(data.size()), colours);
    const auto entry = [&](int i, QRgb c) {
        header[40 + 4 * i] = char(qBlue(c));
        header[41 + 4 * i] = char(qGreen(c));
        header[42 + 4 * i] = char(qRed(c));
    };
    entry(1, whiteEntry ? qRgb(255, 255, 255) : qRgb(255, 0, 0));
    entry(2, qRgb(255, 0, 0));
    RecordingPrintDevice dev(QSize(100, 100), 600);
    vz::TiledPrinterSettings s;
    QCOMPARE(vz::PrintDib(dev, 0, 0, 4, 2, header, data, s), 1);
    QCOMPARE(dev.transfers().size(), 1);
    const QImage page = dev.transfers().at(0).pixels.convertToFormat(QImage::Format_RGB32);
    QString got;
    for (int y = 0; y < 2; ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(page.constScanLine(y));
        for (int x = 0; x < 4; ++x) {
            const QRgb c = row[x] & 0xFFFFFF;
            got += c == 0 ? 'K' : c == 0xFFFFFF ? 'W' : c == 0xFF0000 ? 'R' : '?';
        }
        if (y == 0)
            got += ' ';
    }
    QCOMPARE(got, expected);
}

void TestTiledPrinter::ontoImageDevice()
{
    // Through the paint-device printer, cut at the page's right edge.
    QImage page(120, 90, QImage::Format_RGB32);
    page.fill(Qt::white);
    vz::PainterPrintDevice dev(&page);
    const vz::DibBlocks dib = dibOf(gradient(37, 23));
    vz::TiledPrinterSettings s;
    s.tileSize = QSize(16, 16);
    QVERIFY(dev.beginDocument("Vellozine"));
    QCOMPARE(vz::PrintDib(dev, 50, 20, 111, 69, dib.header, dib.pixels, s), 1);
    QVERIFY(dev.endDocument());
    const QImage expected = nearest(gradient(37, 23), QSize(111, 69)).copy(0, 0, 70, 69);
    QCOMPARE(vztest::maxChannelDiff(page.copy(50, 20, 70, 69), expected), 0);
    QCOMPARE(page.copy(0, 0, 50, 90), [] {
        QImage white(50, 90, QImage::Format_RGB32);
        white.fill(Qt::white);
        return white;
    }());
}

namespace {

// A hand-made header block: info (40 bytes) with `used` colours, masks when
// given, then `tableEntries` colour entries; or core (12 bytes) with 3-byte
// entries. Entry i is (i * 7, i * 13, 255 - i) as red, green, blue.
QByteArray headerBlock(bool core, int w, int h, int bits, int compression, int used, int tableEntries,
                       const QList<quint32> &masks = {})
{
    QByteArray b;
    const auto put = [&b](int at, quint32 v, int n) {
        for (int i = 0; i < n; ++i)
            b[at + i] = char((v >> (8 * i)) & 0xFF);
    };
    if (core) {
        b = QByteArray(12 + 3 * tableEntries, '\0');
        put(0, 12, 4);
        put(4, quint32(w), 2);
        put(6, quint32(h), 2);
        put(8, 1, 2);
        put(10, quint32(bits), 2);
        for (int i = 0; i < tableEntries; ++i)
            put(12 + 3 * i, quint32(qRgb(i * 7 & 255, i * 13 & 255, 255 - i)) & 0xFFFFFF, 3);
        return b;
    }
    b = QByteArray(40 + 4 * masks.size() + 4 * tableEntries, '\0');
    put(0, 40, 4);
    put(4, quint32(w), 4);
    put(8, quint32(h), 4);
    put(12, 1, 2);
    put(14, quint32(bits), 2);
    put(16, quint32(compression), 4);
    put(20, quint32(((bits * w + 31) / 32) * 4 * h), 4);
    put(32, quint32(used), 4);
    for (int i = 0; i < masks.size(); ++i)
        put(40 + 4 * i, masks[i], 4);
    for (int i = 0; i < tableEntries; ++i)
        put(40 + 4 * int(masks.size()) + 4 * i, quint32(qRgb(i * 7 & 255, i * 13 & 255, 255 - i)) & 0xFFFFFF, 4);
    return b;
}

// Rows of bytes that make every pixel different where the depth allows.
QByteArray patternPixels(int w, int h, int bits)
{
    const int rowBytes = ((bits * w + 31) / 32) * 4;
    QByteArray px(rowBytes * h, '\0');
    for (int i = 0; i < px.size(); ++i)
        px[i] = char((i * 29 + 7) & 0xFF);
    return px;
}

} // namespace

void TestTiledPrinter::coreMatchesInfo_data()
{
    QTest::addColumn<int>("bits");
    for (int bits : {1, 4, 8, 24})
        QTest::newRow(QByteArray::number(bits).append(" bits").constData()) << bits;
}

void TestTiledPrinter::coreMatchesInfo()
{
    // A core header prints the same tiles as the info header it stands for.
    QFETCH(int, bits);
    const int colours = bits <= 8 ? 1 << bits : 0;
    const QByteArray pixels = patternPixels(9, 5, bits);
    QList<QList<RecordingPrintDevice::Entry>> sent;
    for (bool core : {false, true}) {
        RecordingPrintDevice dev(QSize(1000, 1000), 600);
        vz::TiledPrinterSettings s;
        s.tileSize = QSize(16, 8);
        const QByteArray header = headerBlock(core, 9, 5, bits, 0, 0, colours);
        QCOMPARE(vz::PrintDib(dev, 3, 2, 27, 15, header, pixels, s), 1);
        sent << dev.transfers();
    }
    QCOMPARE(sent[0].size(), 4);
    QCOMPARE(sent[1].size(), sent[0].size());
    for (int i = 0; i < sent[0].size(); ++i) {
        QCOMPARE(sent[1][i].target, sent[0][i].target);
        QCOMPARE(sent[1][i].bitsPerPixel, bits);
        QVERIFY(!sent[0][i].pixels.isNull());
        QCOMPARE(sent[1][i].pixels, sent[0][i].pixels);
    }
    // Not all one colour: the table and the pixels were both used.
    const QImage first = sent[0][0].pixels.convertToFormat(QImage::Format_RGB32);
    QVERIFY(first.pixel(0, 0) != first.pixel(3, 0) || first.pixel(0, 0) != first.pixel(0, 3)); // 3 printer pixels a source pixel
}

void TestTiledPrinter::headerTables_data()
{
    QTest::addColumn<QByteArray>("header");
    QTest::addColumn<QByteArray>("pixels");
    QTest::addColumn<int>("result");
    QTest::addColumn<QRgb>("firstPixel"); // the top-left tile pixel; 1 for not looked at

    const auto row = [](int bits, quint32 value) {
        // One 4 x 2 bitmap whose every pixel is `value`.
        const int rowBytes = ((bits * 4 + 31) / 32) * 4;
        QByteArray px(rowBytes * 2, '\0');
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 4; ++x)
                for (int k = 0; k < bits / 8; ++k)
                    px[y * rowBytes + x * (bits / 8) + k] = char((value >> (8 * k)) & 0xFF);
        return px;
    };
    const QList<quint32> m565{0xF800, 0x07E0, 0x001F};
    const QList<quint32> m555{0x7C00, 0x03E0, 0x001F};
    const QList<quint32> m888{0xFF0000, 0xFF00, 0xFF};
    QTest::newRow("16 bits, 5-6-5 masks") << headerBlock(false, 4, 2, 16, 3, 0, 0, m565) << row(16, 0xF800) << 1
                                         << qRgb(255, 0, 0);
    QTest::newRow("16 bits, 5-5-5 masks") << headerBlock(false, 4, 2, 16, 3, 0, 0, m555) << row(16, 0x03E0) << 1
                                         << qRgb(0, 255, 0);
    QTest::newRow("16 bits, masks cut") << headerBlock(false, 4, 2, 16, 3, 0, 0, m565).left(48) << row(16, 0xF800)
                                       << -1 << QRgb(1);
    QTest::newRow("32 bits, masks") << headerBlock(false, 4, 2, 32, 3, 0, 0, m888) << row(32, 0x0000FF) << 1
                                    << qRgb(0, 0, 255);
    QTest::newRow("32 bits, masks and 2 used colours")
        << headerBlock(false, 4, 2, 32, 3, 2, 2, m888) << row(32, 0xFF0000) << 1 << qRgb(255, 0, 0);
    QTest::newRow("32 bits, 2 used colours missing")
        << headerBlock(false, 4, 2, 32, 3, 2, 0, m888) << row(32, 0xFF0000) << -1 << QRgb(1);
    QTest::newRow("24 bits, 4 used colours") << headerBlock(false, 4, 2, 24, 0, 4, 4) << row(24, 0x00FF00) << 1
                                            << qRgb(0, 255, 0);
    QTest::newRow("24 bits, 4 used colours missing") << headerBlock(false, 4, 2, 24, 0, 4, 3) << row(24, 0x00FF00)
                                                    << -1 << QRgb(1);
    // Used colours 0 means the whole table of the depth.
    QTest::newRow("8 bits, used 0, whole table") << headerBlock(false, 4, 2, 8, 0, 0, 256) << row(8, 0x05) << 1
                                                << qRgb(35, 65, 250);
    QTest::newRow("8 bits, used 0, 255 entries") << headerBlock(false, 4, 2, 8, 0, 0, 255) << row(8, 0x05) << -1
                                                << QRgb(1);
    QTest::newRow("8 bits, used 6") << headerBlock(false, 4, 2, 8, 0, 6, 6) << row(8, 0x05) << 1 << qRgb(35, 65, 250);
    QTest::newRow("1 bit, used 0, 1 entry") << headerBlock(false, 4, 2, 1, 0, 0, 1) << row(8, 0x00) << -1 << QRgb(1);
    QTest::newRow("4 bits, used 0, whole table") << headerBlock(false, 4, 2, 4, 0, 0, 16) << row(8, 0x33) << 1
                                                << qRgb(21, 39, 252);
    QTest::newRow("core 4 bits, table cut") << headerBlock(true, 4, 2, 4, 0, 0, 15) << row(8, 0x33) << -1 << QRgb(1);
    QTest::newRow("core 24 bits") << headerBlock(true, 4, 2, 24, 0, 0, 0) << row(24, 0xFF0000) << 1
                                  << qRgb(255, 0, 0);
}

void TestTiledPrinter::headerTables()
{
    QFETCH(QByteArray, header);
    QFETCH(QByteArray, pixels);
    QFETCH(int, result);
    QFETCH(QRgb, firstPixel);
    RecordingPrintDevice dev(QSize(1000, 1000), 600);
    vz::TiledPrinterSettings s;
    QCOMPARE(vz::PrintDib(dev, 0, 0, 8, 4, header, pixels, s), result);
    if (result != 1) {
        QVERIFY(dev.transfers().isEmpty());
        return;
    }
    QCOMPARE(dev.transfers().size(), 1);
    const QImage tile = dev.transfers().first().pixels;
    QVERIFY(!tile.isNull());
    QCOMPARE(tile.pixel(0, 0) & 0xFFFFFF, firstPixel & 0xFFFFFF);
}

QTEST_MAIN(TestTiledPrinter)
#include "tst_tiledprinter.moc"
