#include "imaging/RasterImage.h"

#include "imaging/RasterFile.h"

#include "common/VzError.h"
#include "testutils.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImageWriter>
#include <QProcess>
#include <QtEndian>

#include <cstring>
#include <functional>

using namespace vz;

using Operation = std::function<void(RasterImage &)>;
Q_DECLARE_METATYPE(Operation)
Q_DECLARE_METATYPE(vz::Effect)

namespace {

QImage testImage(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        auto *p = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < w; ++x)
            p[x] = qRgb(x * 40 % 256, y * 70 % 256, (x * y * 13) % 256);
    }
    return img;
}

QByteArray encoded(const QImage &img, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, format).write(img);
    return bytes;
}

// Reads an uncompressed bottom-up 24-bit BMP the plain way, as any other
// program would: fixed header fields, rows padded to four bytes.
QImage readPlainBmp24(const QByteArray &b)
{
    if (b.size() < 54 || !b.startsWith("BM"))
        return {};
    const auto u16 = [&](int o) { return qFromLittleEndian<quint16>(b.constData() + o); };
    const auto u32 = [&](int o) { return qFromLittleEndian<quint32>(b.constData() + o); };
    const auto s32 = [&](int o) { return qFromLittleEndian<qint32>(b.constData() + o); };
    const qint64 offset = u32(10), w = s32(18), h = s32(22);
    if (u32(14) < 40 || u16(26) != 1 || u16(28) != 24 || u32(30) != 0 || w <= 0 || h <= 0)
        return {};
    const qint64 stride = (w * 3 + 3) / 4 * 4;
    if (offset + stride * h > b.size())
        return {};
    QImage img(int(w), int(h), QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        const auto *src = reinterpret_cast<const uchar *>(b.constData() + offset + stride * (h - 1 - y));
        auto *dst = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < w; ++x)
            dst[x] = qRgb(src[3 * x + 2], src[3 * x + 1], src[3 * x]);
    }
    return img;
}

// A 24-bit BMP made by hand: top-down or bottom-up, row ends filled with
// junk (readers must not care), a given resolution.
QByteArray handBmp24(const QImage &image, bool topDown, qint32 dotsPerMeter = 2835)
{
    const QImage img = image.convertToFormat(QImage::Format_RGB32);
    const int w = img.width(), h = img.height(), stride = (w * 3 + 3) / 4 * 4;
    QByteArray b(54 + stride * h, '\xAB');
    auto *d = reinterpret_cast<uchar *>(b.data());
    std::memset(d, 0, 54);
    d[0] = 'B';
    d[1] = 'M';
    qToLittleEndian<quint32>(quint32(b.size()), d + 2);
    qToLittleEndian<quint32>(54, d + 10);
    qToLittleEndian<quint32>(40, d + 14);
    qToLittleEndian<qint32>(w, d + 18);
    qToLittleEndian<qint32>(topDown ? -h : h, d + 22);
    qToLittleEndian<quint16>(1, d + 26);
    qToLittleEndian<quint16>(24, d + 28);
    qToLittleEndian<qint32>(dotsPerMeter, d + 38);
    qToLittleEndian<qint32>(dotsPerMeter, d + 42);
    for (int y = 0; y < h; ++y) {
        uchar *row = d + 54 + qsizetype(stride) * (topDown ? y : h - 1 - y);
        const auto *src = reinterpret_cast<const QRgb *>(img.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            row[3 * x] = uchar(qBlue(src[x]));
            row[3 * x + 1] = uchar(qGreen(src[x]));
            row[3 * x + 2] = uchar(qRed(src[x]));
        }
    }
    return b;
}

// A progressive JPEG whose last scan is repeated `copies` times.
QByteArray manyScansJpeg(int copies)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setProgressiveScanWrite(true);
    writer.write(testImage(16, 16));
    const qsizetype lastScan = bytes.lastIndexOf("\xFF\xDA"), end = bytes.lastIndexOf("\xFF\xD9");
    if (lastScan < 0 || end < lastScan)
        return {};
    const QByteArray scan = bytes.mid(lastScan, end - lastScan);
    QByteArray out = bytes.left(end);
    for (int i = 0; i < copies; ++i)
        out += scan;
    return out + bytes.mid(end);
}

void reverseRows(QImage &band, int)
{
    reverseImage(band);
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestRasterImage : public QObject
{
    Q_OBJECT

private slots:
    void emptyRaises_data();
    void emptyRaises();
    void saveIsPlain24BitBmp_data();
    void saveIsPlain24BitBmp();
    void loadFormats();
    void loadBmpLayouts_data();
    void loadBmpLayouts();
    void resolutionIsKept();
    void rowPassMatchesWholeImage_data();
    void rowPassMatchesWholeImage();
    void rowPassLeavesOtherFiles();
    void badFilesKeepTheImage_data();
    void badFilesKeepTheImage();
    void failedSaveKeepsTheFile();
    void bitmapIsACopy();
    void valuesOutOfRange();
    void copyToSystemClipboard();
    void deleteEmpties();
    void commandLine();
};

void TestRasterImage::emptyRaises_data()
{
    QTest::addColumn<Operation>("operation");
    QTest::newRow("Save") << Operation([](RasterImage &r) { r.Save(QStringLiteral("/tmp/never-written.bmp")); });
    QTest::newRow("Copy") << Operation([](RasterImage &r) { r.Copy(); });
    QTest::newRow("Hue") << Operation([](RasterImage &r) { r.Hue(90); });
    QTest::newRow("Saturation") << Operation([](RasterImage &r) { r.Saturation(0); });
    QTest::newRow("Intensity") << Operation([](RasterImage &r) { r.Intensity(10); });
    QTest::newRow("Contrast") << Operation([](RasterImage &r) { r.Contrast(10); });
    QTest::newRow("Sharpen") << Operation([](RasterImage &r) { r.Sharpen(10); });
    QTest::newRow("Median") << Operation([](RasterImage &r) { r.Median(3); });
    QTest::newRow("Flip") << Operation([](RasterImage &r) { r.Flip(); });
    QTest::newRow("Reverse") << Operation([](RasterImage &r) { r.Reverse(); });
}

void TestRasterImage::emptyRaises()
{
    QFETCH(Operation, operation);
    QFile::remove(QStringLiteral("/tmp/never-written.bmp"));
    RasterImage empty;
    QVERIFY(empty.isEmpty());
    QVERIFY(empty.Bitmap().isNull());
    QVERIFY_THROWS_EXCEPTION(ImageError, operation(empty));
    QVERIFY(!QFile::exists(QStringLiteral("/tmp/never-written.bmp")));

    // Emptied by a null bitmap as well.
    RasterImage emptied;
    emptied.setBitmap(testImage(3, 3));
    emptied.setBitmap(QImage());
    QVERIFY_THROWS_EXCEPTION(ImageError, operation(emptied));
}

void TestRasterImage::saveIsPlain24BitBmp_data()
{
    QTest::addColumn<QImage>("image");
    QTest::addColumn<int>("quality");
    // Odd widths need row padding.
    QTest::newRow("RGB32, width 5") << testImage(5, 3) << int(RasterImage::kQualityUserFile);
    QTest::newRow("RGB888, width 7") << testImage(7, 4).convertToFormat(QImage::Format_RGB888)
                                     << int(RasterImage::kQualityTemporary);
    QTest::newRow("ARGB32 with alpha") << testImage(6, 2).convertToFormat(QImage::Format_ARGB32)
                                       << int(RasterImage::kQualityUserFile);
    QTest::newRow("indexed") << testImage(9, 9).convertToFormat(QImage::Format_Indexed8)
                             << int(RasterImage::kQualityTemporary);
}

void TestRasterImage::saveIsPlain24BitBmp()
{
    QFETCH(QImage, image);
    QFETCH(int, quality);
    vztest::Sandbox box;
    const QString path = box.path(QStringLiteral("out.bmp"));
    RasterImage r;
    r.setBitmap(image);
    r.Save(path, RasterImage::kFormatBmp24, 24, quality, 0);

    const QImage plain = readPlainBmp24(fileBytes(path));
    QVERIFY2(!plain.isNull(), "not a plain 24-bit BMP");
    QCOMPARE(vztest::maxChannelDiff(plain, image), 0);

    RasterImage back;
    back.Load(path);
    QCOMPARE(vztest::maxChannelDiff(back.Bitmap(), image), 0);
}

void TestRasterImage::loadFormats()
{
    vztest::Sandbox box;
    QImage smooth(32, 16, QImage::Format_RGB32);
    for (int y = 0; y < smooth.height(); ++y)
        for (int x = 0; x < smooth.width(); ++x)
            reinterpret_cast<QRgb *>(smooth.scanLine(y))[x] = qRgb(x * 8, 100, y * 16);
    RasterImage r;
    r.Load(box.write(QStringLiteral("a.jpg"), encoded(smooth, "jpeg")));
    QCOMPARE(r.Bitmap().size(), smooth.size());
    QVERIFY(vztest::maxChannelDiff(r.Bitmap(), smooth) < 24); // lossy, but the same picture

    const QImage img = testImage(16, 8);

    // The file's content decides, not its extension.
    r.Load(box.write(QStringLiteral("bitmap.jpg"), encoded(img, "bmp")));
    QCOMPARE(vztest::maxChannelDiff(r.Bitmap(), img), 0);

    // Grey JPEGs come out in colour like the rest.
    r.Load(box.write(QStringLiteral("grey.jpg"), encoded(smooth.convertToFormat(QImage::Format_Grayscale8), "jpeg")));
    QCOMPARE(r.Bitmap().format(), QImage::Format_BGR888);
    QVERIFY(vztest::maxChannelDiff(r.Bitmap(), smooth.convertToFormat(QImage::Format_Grayscale8)) < 24);

    // A CMYK JPEG (as Adobe writes them) looks as Qt's own reader shows it.
    const QString cmyk = QStringLiteral(VZ_SOURCE_DIR "/fuzz/corpus/rasterfile/cmyk.jpg");
    r.Load(cmyk);
    QCOMPARE(r.Bitmap().format(), QImage::Format_BGR888);
    QVERIFY(vztest::maxChannelDiff(r.Bitmap(), QImage(cmyk)) <= 2);
    const QImage cmyk32 = decodeJpeg(fileBytes(cmyk), nullptr, QImage::Format_RGB32);
    QCOMPARE(cmyk32.format(), QImage::Format_RGB32);
    QVERIFY(vztest::maxChannelDiff(cmyk32, QImage(cmyk)) <= 2);

    // Progressive JPEGs decode; only an absurd number of scans is refused.
    r.Load(box.write(QStringLiteral("progressive.jpg"), manyScansJpeg(20)));
    QCOMPARE(r.Bitmap().size(), QSize(16, 16));

    r.Load(box.write(QStringLiteral("b.bmp"), encoded(img.convertToFormat(QImage::Format_Indexed8), "bmp")), 24);
    QCOMPARE(r.Bitmap().depth(), 24);
    QCOMPARE(vztest::maxChannelDiff(r.Bitmap(), img.convertToFormat(QImage::Format_Indexed8)), 0);
    QVERIFY_THROWS_EXCEPTION(ImageError, r.Load(box.path(QStringLiteral("b.bmp")), 8));
    QVERIFY_THROWS_EXCEPTION(ImageError, r.Load(box.path(QStringLiteral("b.bmp")), 0, 1, 1));
}

void TestRasterImage::loadBmpLayouts_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QImage>("expected");
    QTest::addColumn<int>("format");
    const QImage odd = testImage(7, 5), wide = testImage(64, 3);
    QTest::newRow("24-bit bottom-up, padded rows") << handBmp24(odd, false) << odd << int(QImage::Format_BGR888);
    QTest::newRow("24-bit top-down") << handBmp24(odd, true) << odd << int(QImage::Format_BGR888);
    QTest::newRow("24-bit, no padding") << handBmp24(wide, false) << wide << int(QImage::Format_BGR888);
    QByteArray badOffset = handBmp24(odd, false);
    qToLittleEndian<quint32>(quint32(badOffset.size() + 10), badOffset.data() + 10);
    QTest::newRow("24-bit, bits offset past the end") << badOffset << odd << -1;
    const QImage indexed = odd.convertToFormat(QImage::Format_Indexed8);
    QTest::newRow("8-bit palette") << encoded(indexed, "bmp") << indexed << -1;
}

void TestRasterImage::loadBmpLayouts()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QImage, expected);
    QFETCH(int, format);
    vztest::Sandbox box;
    RasterImage r;
    r.Load(box.write(QStringLiteral("x.bmp"), bytes));
    if (format >= 0)
        QCOMPARE(int(r.Bitmap().format()), format);
    QCOMPARE(vztest::maxChannelDiff(r.Bitmap(), expected), 0);
}

// A BMP's resolution survives loading and saving.
void TestRasterImage::resolutionIsKept()
{
    vztest::Sandbox box;
    RasterImage r;
    r.Load(box.write(QStringLiteral("in.bmp"), handBmp24(testImage(5, 4), false, 5905)));
    const QString out = box.path(QStringLiteral("out.bmp"));
    r.Save(out);
    const QByteArray saved = fileBytes(out);
    QCOMPARE(qFromLittleEndian<qint32>(saved.constData() + 38), 5905);
    QCOMPARE(qFromLittleEndian<qint32>(saved.constData() + 42), 5905);
}

// Passing a file through a band of rows at a time writes the very bytes that
// loading it whole, changing it and saving it writes.
void TestRasterImage::rowPassMatchesWholeImage_data()
{
    QTest::addColumn<Effect>("effect");
    QTest::addColumn<int>("value");
    QTest::addColumn<bool>("topDown");
    QTest::addColumn<QSize>("size");
    const std::pair<Effect, int> effects[] = {{Effect::Hue, 100},      {Effect::Saturation, -350},
                                              {Effect::Intensity, 420}, {Effect::Contrast, 640},
                                              {Effect::Flip, 0},        {Effect::Reverse, 0}};
    for (const auto &[effect, value] : effects)
        for (const bool topDown : {false, true})
            for (const QSize size : {QSize(7, 5), QSize(301, 700)}) // the larger one spans two bands
                QTest::addRow("%s, %s, %dx%d", qPrintable(effectName(effect)), topDown ? "top-down" : "bottom-up",
                              size.width(), size.height())
                    << effect << value << topDown << size;
}

void TestRasterImage::rowPassMatchesWholeImage()
{
    QFETCH(Effect, effect);
    QFETCH(int, value);
    QFETCH(bool, topDown);
    QFETCH(QSize, size);
    vztest::Sandbox box;
    const QString in = box.write(QStringLiteral("in.bmp"), handBmp24(testImage(size.width(), size.height()), topDown));
    const QString passed = box.path(QStringLiteral("passed.bmp")), whole = box.path(QStringLiteral("whole.bmp"));

    void (*rowEffect)(QImage &, int) = nullptr;
    switch (effect) {
    case Effect::Hue: rowEffect = changeHue; break;
    case Effect::Saturation: rowEffect = changeSaturation; break;
    case Effect::Intensity: rowEffect = changeIntensity; break;
    case Effect::Contrast: rowEffect = changeContrast; break;
    case Effect::Reverse: rowEffect = reverseRows; break;
    default: break;
    }
    QVERIFY(transformBmp24Rows(in, passed, effect == Effect::Flip, rowEffect, value));

    RasterImage r;
    r.Load(in);
    QImage img = r.Bitmap();
    applyEffect(img, effect, value);
    r.setBitmap(img);
    r.Save(whole);
    QCOMPARE(fileBytes(passed), fileBytes(whole));
}

// Only uncompressed 24-bit BMPs are passed through; for the others nothing
// is written and the caller reads them whole.
void TestRasterImage::rowPassLeavesOtherFiles()
{
    vztest::Sandbox box;
    const QImage img = testImage(6, 6);
    const QString out = box.path(QStringLiteral("out.bmp"));
    for (const QByteArray &bytes : {encoded(img.convertToFormat(QImage::Format_Indexed8), "bmp"), encoded(img, "jpeg"),
                                    handBmp24(img, false).left(60), QByteArray("BM")}) {
        const QString in = box.write(QStringLiteral("in.bmp"), bytes);
        QVERIFY(!transformBmp24Rows(in, out, false, changeHue, 30));
        QVERIFY(!QFileInfo::exists(out));
    }
    QVERIFY(!transformBmp24Rows(box.path(QStringLiteral("missing.bmp")), out, true, nullptr, 0));
}

void TestRasterImage::badFilesKeepTheImage_data()
{
    QTest::addColumn<QByteArray>("bytes"); // empty: no file at all
    const QByteArray bmp = encoded(testImage(40, 30), "bmp");
    QTest::newRow("missing") << QByteArray();
    QTest::newRow("PNG") << encoded(testImage(4, 4), "png");
    QTest::newRow("text") << QByteArray("not an image at all");
    QTest::newRow("BMP header only") << bmp.left(30);
    QTest::newRow("JPEG start only") << encoded(testImage(40, 30), "jpeg").left(20);
    QTest::newRow("JPEG with 600 scans") << manyScansJpeg(600);
}

void TestRasterImage::badFilesKeepTheImage()
{
    QFETCH(QByteArray, bytes);
    vztest::Sandbox box;
    const QString path = bytes.isEmpty() ? box.path(QStringLiteral("none.bmp")) : box.write(QStringLiteral("x.bmp"), bytes);
    RasterImage r;
    const QImage held = testImage(3, 2);
    r.setBitmap(held);
    QVERIFY_THROWS_EXCEPTION(FileError, r.Load(path));
    QCOMPARE(r.Bitmap(), held);
}

void TestRasterImage::failedSaveKeepsTheFile()
{
    vztest::Sandbox box;
    RasterImage r;
    r.setBitmap(testImage(4, 4));
    QVERIFY_THROWS_EXCEPTION(FileError, r.Save(box.path(QStringLiteral("no/such/folder/x.bmp"))));
    QVERIFY_THROWS_EXCEPTION(ImageError, r.Save(box.path(QStringLiteral("x.bmp")), 5));
    QVERIFY_THROWS_EXCEPTION(ImageError, r.Save(box.path(QStringLiteral("x.bmp")), 6, 32));

    // Saving over a folder fails and leaves it.
    box.mkdir(QStringLiteral("taken.bmp"));
    QVERIFY_THROWS_EXCEPTION(FileError, r.Save(box.path(QStringLiteral("taken.bmp"))));
    QVERIFY(QFileInfo(box.path(QStringLiteral("taken.bmp"))).isDir());
}

// The control holds its own copy: neither side sees the other's changes.
void TestRasterImage::bitmapIsACopy()
{
    QImage given = testImage(6, 6);
    const QImage original = given.copy();
    RasterImage r;
    r.setBitmap(given);
    r.Flip();
    QCOMPARE(given, original);
    QCOMPARE(r.Bitmap(), original.mirrored(false, true));

    QImage taken = r.Bitmap();
    taken.fill(Qt::red);
    QCOMPARE(r.Bitmap(), original.mirrored(false, true));
    given.fill(Qt::blue);
    QCOMPARE(r.Bitmap(), original.mirrored(false, true));
}

void TestRasterImage::valuesOutOfRange()
{
    RasterImage r;
    r.setBitmap(testImage(5, 5));
    const QImage before = r.Bitmap();
    QVERIFY_THROWS_EXCEPTION(ImageError, r.Hue(361));
    QVERIFY_THROWS_EXCEPTION(ImageError, r.Saturation(-1001));
    QVERIFY_THROWS_EXCEPTION(ImageError, r.Intensity(1001));
    QVERIFY_THROWS_EXCEPTION(ImageError, r.Contrast(5000));
    QVERIFY_THROWS_EXCEPTION(ImageError, r.Sharpen(-2000));
    QVERIFY_THROWS_EXCEPTION(ImageError, r.Median(0));
    QVERIFY_THROWS_EXCEPTION(ImageError, r.Median(21));
    QCOMPARE(r.Bitmap(), before);
    r.Hue(-360);
    r.Median(20);
    r.Contrast(1000);
}

void TestRasterImage::copyToSystemClipboard()
{
    RasterImage r;
    r.setBitmap(testImage(8, 5));
    r.Copy(RasterImage::kCopyFlags);
    QCOMPARE(vztest::maxChannelDiff(QGuiApplication::clipboard()->image(), testImage(8, 5)), 0);
}

void TestRasterImage::deleteEmpties()
{
    RasterImage r;
    r.DeleteBitmapListItems(0, 1); // nothing to remove is no fault
    r.setBitmap(testImage(2, 2));
    r.DeleteBitmapListItems(1, 1); // no such item
    QVERIFY(!r.isEmpty());
    r.DeleteBitmapListItems(0, 1);
    QVERIFY(r.isEmpty());
}

void TestRasterImage::commandLine()
{
    vztest::Sandbox box;
    const QImage img = testImage(11, 7);
    const QString in = box.write(QStringLiteral("in.bmp"), encoded(img, "bmp"));
    const QString out = box.path(QStringLiteral("out.bmp"));
    const QString tool = QStringLiteral(VZ_PROGRAM_DIR "/vztool");
    const auto run = [&](const QStringList &args) {
        QProcess p;
        p.start(tool, QStringList{QStringLiteral("effect")} + args);
        p.waitForFinished(30000);
        return p.exitCode();
    };

    QCOMPARE(run({QStringLiteral("reverse"), QStringLiteral("x"), in, out}), 0);
    QCOMPARE(vztest::maxChannelDiff(readPlainBmp24(fileBytes(out)), img.mirrored(true, false)), 0);
    const QString whole = box.path(QStringLiteral("whole.bmp"));
    QCOMPARE(run({QStringLiteral("--in-memory"), QStringLiteral("reverse"), QStringLiteral("x"), in, whole}), 0);
    QCOMPARE(fileBytes(whole), fileBytes(out));
    QCOMPARE(run({QStringLiteral("median"), QStringLiteral("3"), in, out}), 0);
    QImage expected = img;
    medianFilter(expected, 3);
    QCOMPARE(vztest::maxChannelDiff(readPlainBmp24(fileBytes(out)), expected), 0);

    QCOMPARE(run({QStringLiteral("blur"), QStringLiteral("3"), in, out}), 2);
    QCOMPARE(run({QStringLiteral("hue"), QStringLiteral("90")}), 2);
    QCOMPARE(run({QStringLiteral("hue"), QStringLiteral("ninety"), in, out}), 1);
    QCOMPARE(run({QStringLiteral("hue"), QStringLiteral("400"), in, out}), 1);
    QCOMPARE(run({QStringLiteral("hue"), QStringLiteral("90"), box.path(QStringLiteral("missing.bmp")), out}), 1);
    // A file cut short is unreadable, in the row pass and in memory alike.
    const QString cut = box.write(QStringLiteral("cut.bmp"), encoded(img, "bmp").left(100));
    QCOMPARE(run({QStringLiteral("reverse"), QStringLiteral("x"), cut, out}), 1);
    QCOMPARE(run({QStringLiteral("--in-memory"), QStringLiteral("hue"), QStringLiteral("90"), cut, out}), 1);
}

QTEST_MAIN(TestRasterImage)
#include "tst_rasterimage.moc"
