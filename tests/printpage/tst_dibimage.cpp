// The DIB resampler: loading every header form and depth, nearest-neighbour
// scaling, saving, and the inputs that must be refused.

#include "testutils.h"

#include "imaging/BmpFile.h"
#include "printpage/TDibImage.h"

#include <QBuffer>
#include <QProcess>
#include <QStandardPaths>
#include <QtEndian>

#include <algorithm>
#include <cstring>

using namespace vz;

namespace {

struct DibSpec
{
    int bits = 24;
    int width = 8;
    int height = 6;  // negative: top-down
    uint32_t compression = 0;
    int paletteCount = -1; // -1: the default for the depth, written as 0
    bool fileHeader = true;
    bool core = false;
    uint32_t masks[3] = {0, 0, 0};
};

void put16(QByteArray &b, int at, uint16_t v) { qToLittleEndian(v, b.data() + at); }
void put32(QByteArray &b, int at, uint32_t v) { qToLittleEndian(v, b.data() + at); }

int defaultPalette(int bits) { return bits <= 8 ? 1 << bits : 0; }

// A bitmap with a pixel pattern that differs in every byte, so any wrong
// source column or row shows.
QByteArray makeDib(const DibSpec &s)
{
    const int rows = s.height < 0 ? -s.height : s.height;
    const int rowSize = ((s.width * s.bits + 31) / 32) * 4;
    const int palCount = s.paletteCount >= 0 ? s.paletteCount : defaultPalette(s.bits);
    const int entry = s.core ? 3 : 4;
    const int info = s.core ? 12 : 40;
    const int masks = s.compression == 3 ? 12 : 0;
    const int fh = s.fileHeader ? 14 : 0;
    const int pixelsAt = fh + info + masks + palCount * entry;
    QByteArray b(pixelsAt + rowSize * rows, '\0');
    if (s.fileHeader) {
        b[0] = 'B';
        b[1] = 'M';
        put32(b, 2, uint32_t(b.size()));
        put32(b, 10, uint32_t(pixelsAt));
    }
    put32(b, fh, uint32_t(info));
    if (s.core) {
        put16(b, fh + 4, uint16_t(s.width));
        put16(b, fh + 6, uint16_t(s.height));
        put16(b, fh + 8, 1);
        put16(b, fh + 10, uint16_t(s.bits));
    } else {
        put32(b, fh + 4, uint32_t(s.width));
        put32(b, fh + 8, uint32_t(s.height));
        put16(b, fh + 12, 1);
        put16(b, fh + 14, uint16_t(s.bits));
        put32(b, fh + 16, s.compression);
        put32(b, fh + 20, uint32_t(rowSize * rows));
        put32(b, fh + 32, s.paletteCount >= 0 ? uint32_t(s.paletteCount) : 0u);
        for (int i = 0; i < masks / 4; ++i)
            put32(b, fh + 40 + 4 * i, s.masks[i]);
    }
    for (int i = 0; i < palCount; ++i)
        for (int k = 0; k < entry; ++k)
            b[fh + info + masks + i * entry + k] = char(k == 3 ? 0 : (i * 37 + k * 91 + 5) & 0xFF);
    for (int r = 0; r < rows; ++r)
        for (int i = 0; i < rowSize; ++i)
            b[pixelsAt + r * rowSize + i] = char((r * 131 + i * 29 + 7) ^ (i >> 3));
    return b;
}

bool load(TDibImage &img, const QByteArray &bytes)
{
    QBuffer buf;
    buf.setData(bytes);
    buf.open(QIODevice::ReadOnly);
    return img.LoadFromStream(buf);
}

QByteArray save(const TDibImage &img)
{
    QByteArray out;
    QBuffer buf(&out);
    buf.open(QIODevice::WriteOnly);
    return img.SaveToStream(buf) ? out : QByteArray();
}

// A pixel's value in its own packing, read independently of the scaler.
uint32_t rawPixel(const TDibImage &img, int x, int y)
{
    const uint8_t *row = img.scanLine(y);
    switch (img.bitsPerPixel()) {
    case 1: return (row[x / 8] >> (7 - x % 8)) & 1u;
    case 4: return x % 2 ? row[x / 2] & 0xFu : row[x / 2] >> 4;
    case 8: return row[x];
    case 16: return qFromLittleEndian<uint16_t>(row + 2 * x);
    case 24: return row[3 * x] | row[3 * x + 1] << 8 | row[3 * x + 2] << 16;
    default: return qFromLittleEndian<uint32_t>(row + 4 * x);
    }
}

QString imageMagick()
{
    return QStandardPaths::findExecutable(QStringLiteral("convert"));
}

// A BMP written by ImageMagick from its plasma pattern; empty when it fails.
QByteArray imageMagickBmp(const vztest::Sandbox &box, const QStringList &options, const QString &format, const QString &size)
{
    const QString out = box.path(QStringLiteral("im.bmp"));
    QFile::remove(out);
    QStringList args{QStringLiteral("-size"), size, QStringLiteral("plasma:fractal"), QStringLiteral("-seed"), QStringLiteral("5")};
    args << options << format + QLatin1Char(':') + out;
    if (QProcess::execute(imageMagick(), args) != 0)
        return QByteArray();
    QFile f(out);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestDibImage : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void halvesEveryDepth_data();
    void halvesEveryDepth();
    void otherProgramsFiles_data();
    void otherProgramsFiles();
    void paletteKept();
    void coreHeaderWidened();
    void topDownRows();
    void columnChoice_data();
    void columnChoice();
    void sameSizeCopies();
    void convertsIntoTrueColour_data();
    void convertsIntoTrueColour();
    void unsupportedConversionDoesNothing();
    void createLikeRefuses_data();
    void createLikeRefuses();
    void emptyImage();
    void streamNotAtStart();
    void refusesBadInput_data();
    void refusesBadInput();
    void reducesPagePicture();
};

void TestDibImage::halvesEveryDepth_data()
{
    QTest::addColumn<int>("bits");
    QTest::addColumn<uint32_t>("compression");
    QTest::addColumn<int>("width");
    QTest::newRow("1") << 1 << 0u << 37;
    QTest::newRow("4") << 4 << 0u << 13;
    QTest::newRow("8") << 8 << 0u << 11;
    QTest::newRow("16 5-5-5") << 16 << 0u << 9;
    QTest::newRow("16 bit fields") << 16 << 3u << 10;
    QTest::newRow("24") << 24 << 0u << 7;
    QTest::newRow("32") << 32 << 0u << 6;
    QTest::newRow("32 bit fields") << 32 << 3u << 5;
}

void TestDibImage::halvesEveryDepth()
{
    QFETCH(int, bits);
    QFETCH(uint32_t, compression);
    QFETCH(int, width);
    DibSpec s;
    s.bits = bits;
    s.width = width;
    s.height = 9;
    s.compression = compression;
    if (bits == 16) {
        s.masks[0] = 0xF800; s.masks[1] = 0x07E0; s.masks[2] = 0x001F;
    } else {
        s.masks[0] = 0xFF0000; s.masks[1] = 0xFF00; s.masks[2] = 0xFF;
    }
    TDibImage src;
    QVERIFY(load(src, makeDib(s)));
    QCOMPARE(src.Width(), width);
    QCOMPARE(src.Height(), 9);

    TDibImage half;
    QVERIFY(half.CreateLike(width / 2, 9 / 2, src));
    QVERIFY(half.StretchFrom(src));
    for (int y = 0; y < half.Height(); ++y)
        for (int x = 0; x < half.Width(); ++x)
            QCOMPARE(rawPixel(half, x, y), rawPixel(src, 2 * x, 2 * y));

    // Saved and read back, the result is the same image.
    TDibImage again;
    QVERIFY(load(again, save(half)));
    QCOMPARE(again.block(), half.block());
    QCOMPARE(again.compression(), compression);
}

void TestDibImage::otherProgramsFiles_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("format");
    QTest::addColumn<int>("bits");
    const QString none = QStringLiteral("-compress");
    QTest::newRow("1-bit") << QStringList{QStringLiteral("-monochrome")} << QStringLiteral("BMP3") << 1;
    QTest::newRow("4-bit") << QStringList{QStringLiteral("-colors"), QStringLiteral("12"), none, QStringLiteral("none")} << QStringLiteral("BMP3") << 4;
    QTest::newRow("8-bit") << QStringList{QStringLiteral("-type"), QStringLiteral("palette"), none, QStringLiteral("none")} << QStringLiteral("BMP3") << 8;
    QTest::newRow("24-bit") << QStringList{QStringLiteral("-type"), QStringLiteral("truecolor")} << QStringLiteral("BMP3") << 24;
    QTest::newRow("core 8-bit") << QStringList{QStringLiteral("-type"), QStringLiteral("palette")} << QStringLiteral("BMP2") << 8;
    QTest::newRow("core 24-bit") << QStringList{QStringLiteral("-type"), QStringLiteral("truecolor")} << QStringLiteral("BMP2") << 24;
}

// ImageMagick's files, halved and decoded by Qt's own BMP reader: each
// result pixel is the source's pixel (2x, 2y).
void TestDibImage::otherProgramsFiles()
{
    QFETCH(QStringList, options);
    QFETCH(QString, format);
    QFETCH(int, bits);
    if (imageMagick().isEmpty())
        QSKIP("ImageMagick's convert is not installed");
    vztest::Sandbox box;
    const QByteArray file = imageMagickBmp(box, options, format, QStringLiteral("41x23"));
    QVERIFY(!file.isEmpty());
    TDibImage src;
    QVERIFY(load(src, file));
    QCOMPARE(src.bitsPerPixel(), bits);
    TDibImage half;
    QVERIFY(half.CreateLike(20, 11, src));
    QVERIFY(half.StretchFrom(src));
    const QImage before = QImage::fromData(file, "BMP").convertToFormat(QImage::Format_RGB32);
    const QImage after = QImage::fromData(save(half), "BMP").convertToFormat(QImage::Format_RGB32);
    QCOMPARE(after.size(), QSize(20, 11));
    for (int y = 0; y < after.height(); ++y) {
        const QRgb *a = reinterpret_cast<const QRgb *>(after.constScanLine(y));
        const QRgb *b = reinterpret_cast<const QRgb *>(before.constScanLine(2 * y));
        for (int x = 0; x < after.width(); ++x)
            QCOMPARE(a[x], b[2 * x]);
    }
}

void TestDibImage::paletteKept()
{
    DibSpec s;
    s.bits = 8;
    s.paletteCount = 77;
    s.width = 20;
    TDibImage src;
    QVERIFY(load(src, makeDib(s)));
    QCOMPARE(src.paletteCount(), 77);
    TDibImage half;
    QVERIFY(half.CreateLike(10, 3, src));
    QCOMPARE(half.paletteCount(), 77);
    QVERIFY(std::memcmp(half.palette(), src.palette(), 77 * 4) == 0);
    // The header says what the palette holds, so a reader finds it again.
    TDibImage again;
    QVERIFY(load(again, save(half)));
    QCOMPARE(again.paletteCount(), 77);
    QVERIFY(std::memcmp(again.palette(), src.palette(), 77 * 4) == 0);
}

void TestDibImage::coreHeaderWidened()
{
    DibSpec s;
    s.core = true;
    s.bits = 4;
    s.width = 10;
    s.height = 4;
    const QByteArray file = makeDib(s);
    TDibImage img;
    QVERIFY(load(img, file));
    QCOMPARE(img.paletteCount(), 16);
    QCOMPARE(img.bitsPerPixel(), 4);
    const uint8_t *pal = img.palette();
    for (int i = 0; i < 16; ++i) {
        QCOMPARE(int(pal[4 * i]), int(uint8_t(file[26 + 3 * i])));
        QCOMPARE(int(pal[4 * i + 2]), int(uint8_t(file[26 + 3 * i + 2])));
        QCOMPARE(int(pal[4 * i + 3]), 0);
    }
    // The bottom stored row is logical row 3.
    QVERIFY(std::memcmp(img.scanLine(3), file.constData() + 26 + 48, 8) == 0);
    QCOMPARE(qFromLittleEndian<uint32_t>(img.block().data()), 40u);
}

void TestDibImage::topDownRows()
{
    DibSpec s;
    s.height = -6;
    s.width = 6;
    const QByteArray file = makeDib(s);
    TDibImage src;
    QVERIFY(load(src, file));
    QVERIFY(src.topDown());
    QCOMPARE(src.Height(), 6);
    // Logical row 0 is the first stored row.
    QVERIFY(std::memcmp(src.scanLine(0), file.constData() + 54, 18) == 0);
    TDibImage half;
    QVERIFY(half.CreateLike(3, 3, src));
    QVERIFY(half.StretchFrom(src));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x)
            QCOMPARE(rawPixel(half, x, y), rawPixel(src, 2 * x, 2 * y));
    // Whole-image copy between orientations keeps the picture upright.
    TDibImage same;
    QVERIFY(same.CreateLike(6, 6, src));
    QVERIFY(same.StretchFrom(src));
    QCOMPARE(vztest::maxChannelDiff(QImage::fromData(save(same), "BMP"), QImage::fromData(file, "BMP")), 0);
}

void TestDibImage::columnChoice_data()
{
    QTest::addColumn<int>("sourceWidth");
    QTest::addColumn<int>("destWidth");
    QTest::addColumn<QList<int>>("columns"); // source column of each destination column, checked from 0
    QTest::newRow("3 to 2") << 3 << 2 << QList<int>{0, 1};
    // 41 x (2 / 82) lands a hair below 1 in extended precision.
    QList<int> wide;
    for (int x = 0; x < 82; ++x)
        wide << (x <= 41 ? 0 : 1);
    QTest::newRow("2 to 82") << 2 << 82 << wide;
    QTest::newRow("5 to 3") << 5 << 3 << QList<int>{0, 1, 3};
}

void TestDibImage::columnChoice()
{
    QFETCH(int, sourceWidth);
    QFETCH(int, destWidth);
    QFETCH(QList<int>, columns);
    DibSpec s;
    s.bits = 8;
    s.width = sourceWidth;
    s.height = 1;
    TDibImage src;
    QVERIFY(load(src, makeDib(s)));
    // Distinct indexes per source column.
    for (int x = 0; x < sourceWidth; ++x)
        src.scanLine(0)[x] = uint8_t(100 + x);
    TDibImage dst;
    QVERIFY(dst.CreateLike(destWidth, 1, src));
    QVERIFY(dst.StretchFrom(src));
    for (int x = 0; x < columns.size(); ++x)
        QCOMPARE(int(dst.scanLine(0)[x]) - 100, columns[x]);
}

void TestDibImage::sameSizeCopies()
{
    DibSpec s;
    s.bits = 4;
    s.width = 15;
    TDibImage src;
    QVERIFY(load(src, makeDib(s)));
    TDibImage copy;
    QVERIFY(copy.CreateLike(15, 6, src));
    QVERIFY(copy.StretchFrom(src));
    QVERIFY(std::memcmp(copy.scanLine(5), src.scanLine(5), size_t(src.rowSize() * 6)) == 0);

    // Part onto part: a 2x2 source corner onto a 4x4 spot, the rest zero.
    TDibImage big;
    QVERIFY(big.CreateLike(15, 6, src));
    QVERIFY(big.StretchFrom(src, QRect(3, 1, 4, 4), QRect(1, 1, 2, 2)));
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 15; ++x) {
            const bool inside = x >= 3 && x < 7 && y >= 1 && y < 5;
            QCOMPARE(rawPixel(big, x, y), inside ? rawPixel(src, 1 + (x - 3) / 2, 1 + (y - 1) / 2) : 0u);
        }
    // Rectangles reaching outside either image are refused.
    QVERIFY(!big.StretchFrom(src, QRect(12, 0, 4, 4), QRect(0, 0, 2, 2)));
    QVERIFY(!big.StretchFrom(src, QRect(0, 0, 4, 4), QRect(-1, 0, 2, 2)));
}

void TestDibImage::convertsIntoTrueColour_data()
{
    QTest::addColumn<int>("sourceBits");
    QTest::addColumn<uint32_t>("compression");
    QTest::addColumn<int>("destBits");
    QTest::newRow("8 into 24") << 8 << 0u << 24;
    QTest::newRow("1 into 32") << 1 << 0u << 32;
    QTest::newRow("16 5-5-5 into 24") << 16 << 0u << 24;
    QTest::newRow("16 5-6-5 fields into 32") << 16 << 3u << 32;
    QTest::newRow("32 into 24") << 32 << 0u << 24;
    QTest::newRow("24 into 32") << 24 << 0u << 32;
}

// Qt's reader decodes the source; the converted 2:1 result must hold the
// same colours at (2x, 2y).
void TestDibImage::convertsIntoTrueColour()
{
    QFETCH(int, sourceBits);
    QFETCH(uint32_t, compression);
    QFETCH(int, destBits);
    DibSpec s;
    s.bits = sourceBits;
    s.width = 12;
    s.height = 8;
    s.compression = compression;
    s.masks[0] = 0xF800; s.masks[1] = 0x07E0; s.masks[2] = 0x001F;
    const QByteArray file = makeDib(s);
    TDibImage src;
    QVERIFY(load(src, file));
    DibSpec t;
    t.bits = destBits;
    t.width = 1;
    t.height = 1;
    TDibImage model;
    QVERIFY(load(model, makeDib(t)));
    TDibImage dst;
    QVERIFY(dst.CreateLike(6, 4, model));
    QVERIFY(dst.StretchFrom(src));
    const QImage before = QImage::fromData(file, "BMP").convertToFormat(QImage::Format_RGB32);
    QVERIFY(!before.isNull());
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) {
            // Qt widens 5- and 6-bit channels by a shift, we to the full
            // 0..255 range: they differ by less than one step.
            const QRgb want = before.pixel(2 * x, 2 * y);
            const uint32_t got = rawPixel(dst, x, y);
            const int tolerance = sourceBits == 16 ? 7 : 0;
            for (int shift : {0, 8, 16})
                QVERIFY(qAbs(int((got >> shift) & 0xFF) - int((want >> shift) & 0xFF)) <= tolerance);
        }
}

void TestDibImage::unsupportedConversionDoesNothing()
{
    DibSpec s;
    TDibImage src;
    QVERIFY(load(src, makeDib(s)));
    DibSpec p;
    p.bits = 8;
    TDibImage model;
    QVERIFY(load(model, makeDib(p)));
    TDibImage dst;
    QVERIFY(dst.CreateLike(4, 3, model));
    const auto before = dst.block();
    QVERIFY(!dst.StretchFrom(src));
    QCOMPARE(dst.block(), before);
}

void TestDibImage::createLikeRefuses_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    DibSpec rle;
    rle.bits = 8;
    rle.compression = 1;
    QTest::newRow("RLE8 source") << makeDib(rle) << 4 << 3;
    rle.bits = 4;
    rle.compression = 2;
    QTest::newRow("RLE4 source") << makeDib(rle) << 4 << 3;
    DibSpec fields;
    fields.bits = 24;
    fields.compression = 3;
    QTest::newRow("24-bit bit fields") << makeDib(fields) << 4 << 3;
    fields.bits = 8;
    QTest::newRow("8-bit bit fields") << makeDib(fields) << 4 << 3;
    DibSpec plain;
    QTest::newRow("height 0 (3000 x 1 halved)") << makeDib(plain) << 4 << 0;
    QTest::newRow("width 0") << makeDib(plain) << 0 << 3;
    QTest::newRow("negative") << makeDib(plain) << 4 << -3;
    QTest::newRow("beyond any block") << makeDib(plain) << 2000000000 << 2000000000;
}

void TestDibImage::createLikeRefuses()
{
    QFETCH(QByteArray, file);
    QFETCH(int, width);
    QFETCH(int, height);
    TDibImage src;
    QVERIFY(load(src, file));
    TDibImage dst;
    QVERIFY(!dst.CreateLike(width, height, src));
    QVERIFY(dst.isEmpty());
    QCOMPARE(dst.Width(), 0);
    QVERIFY(!dst.StretchFrom(src));
    QVERIFY(save(dst).isEmpty());
}

void TestDibImage::emptyImage()
{
    TDibImage empty;
    QCOMPARE(empty.Width(), 0);
    QCOMPARE(empty.Height(), 0);
    QByteArray out;
    QBuffer buf(&out);
    buf.open(QIODevice::WriteOnly);
    QVERIFY(!empty.SaveToStream(buf));
    QVERIFY(out.isEmpty());
    TDibImage other;
    QVERIFY(!other.CreateLike(3, 3, empty));
    // A failed load leaves a filled image empty.
    TDibImage img;
    QVERIFY(load(img, makeDib(DibSpec())));
    QVERIFY(!load(img, QByteArray("BM nonsense that is no bitmap")));
    QVERIFY(img.isEmpty());
    QCOMPARE(img.Width(), 0);
}

void TestDibImage::streamNotAtStart()
{
    DibSpec a;
    a.width = 5;
    DibSpec b;
    b.bits = 8;
    b.fileHeader = false;
    b.width = 3;
    const QByteArray first = makeDib(a);
    const QByteArray second = makeDib(b);
    QByteArray data = QByteArray("leading bytes") + first + second;
    QBuffer buf(&data);
    buf.open(QIODevice::ReadOnly);
    buf.seek(13);
    TDibImage one, two;
    QVERIFY(one.LoadFromStream(buf));
    QCOMPARE(buf.pos(), 13 + first.size());
    QCOMPARE(one.Width(), 5);
    QVERIFY(two.LoadFromStream(buf));
    QCOMPARE(two.Width(), 3);
    QCOMPARE(two.bitsPerPixel(), 8);
    QCOMPARE(buf.pos(), data.size());
    // A pipe that cannot seek and gives a few bytes at a time reads the same.
    struct Pipe : QIODevice
    {
        QByteArray bytes;
        qsizetype at = 0;
        bool isSequential() const override { return true; }
        qint64 bytesAvailable() const override { return bytes.size() - at + QIODevice::bytesAvailable(); }
        qint64 readData(char *data, qint64 max) override
        {
            const qint64 n = std::min<qint64>({max, 7, bytes.size() - at});
            std::memcpy(data, bytes.constData() + at, size_t(n));
            at += n;
            return n > 0 ? n : -1;
        }
        qint64 writeData(const char *, qint64) override { return -1; }
    } pipe;
    pipe.bytes = first + second;
    pipe.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    TDibImage three, four;
    QVERIFY(three.LoadFromStream(pipe));
    QVERIFY(four.LoadFromStream(pipe));
    QCOMPARE(three.block(), one.block());
    QCOMPARE(four.block(), two.block());
    // Saved with a file header, the header-less one gains one.
    const QByteArray saved = save(two);
    QCOMPARE(saved.left(2), QByteArray("BM"));
    QCOMPARE(saved.mid(14), second);
}

void TestDibImage::refusesBadInput_data()
{
    QTest::addColumn<QByteArray>("file");
    const QByteArray good = makeDib(DibSpec());
    auto with32 = [&](int at, uint32_t v) { QByteArray b = good; put32(b, at, v); return b; };
    auto with16 = [&](int at, uint16_t v) { QByteArray b = good; put16(b, at, v); return b; };
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("file header alone") << good.left(14);
    QTest::newRow("rows cut short") << good.left(good.size() - 1);
    QTest::newRow("file size short of the rows") << with32(2, uint32_t(good.size() - 4));
    QTest::newRow("file size beyond the stream") << with32(2, uint32_t(good.size() + 100));
    QTest::newRow("pixel offset outside") << with32(10, uint32_t(good.size() + 8));
    QTest::newRow("pixel offset inside the header") << with32(10, 20);
    QTest::newRow("header size 64") << with32(14, 64);
    QTest::newRow("width 0") << with32(18, 0);
    QTest::newRow("width negative") << with32(18, uint32_t(-8));
    QTest::newRow("height 0") << with32(22, 0);
    QTest::newRow("height min") << with32(22, 0x80000000u);
    QTest::newRow("planes 2") << with16(26, 2);
    QTest::newRow("bits 7") << with16(28, 7);
    QTest::newRow("compression 4") << with32(30, 4);
    QTest::newRow("huge claimed size") << with32(18, 0x7FFFFFFF);
    // 20000 x 20000 at 24 bits: a gigabyte claimed by a few bytes.
    QByteArray gigabyte = with32(18, 20000);
    put32(gigabyte, 22, 20000);
    put32(gigabyte, 2, 0x7FFFFFF0);
    QTest::newRow("gigabyte claimed") << gigabyte;
    // With a file header the info header is still checked.
    QTest::newRow("info header garbage after file header") << with32(14, 0xDEADBEEF);
    DibSpec p;
    p.bits = 4;
    p.paletteCount = 17;
    QTest::newRow("palette over 2^bits") << makeDib(p);
    p.bits = 24;
    p.paletteCount = 257;
    QTest::newRow("palette over 256 at 24 bits") << makeDib(p);
    DibSpec rle;
    rle.bits = 8;
    rle.compression = 1;
    QByteArray noSize = makeDib(rle);
    put32(noSize, 34, 0);
    QTest::newRow("RLE without image size") << noSize;
    rle.height = -6;
    QTest::newRow("RLE top-down") << makeDib(rle);
    DibSpec core;
    core.core = true;
    core.bits = 16;
    QTest::newRow("core 16-bit") << makeDib(core);
    DibSpec noHeader;
    noHeader.fileHeader = false;
    QTest::newRow("no file header, short") << makeDib(noHeader).left(60);
}

void TestDibImage::refusesBadInput()
{
    QFETCH(QByteArray, file);
    TDibImage img;
    QVERIFY(!load(img, file));
    QVERIFY(img.isEmpty());
    QVERIFY(save(img).isEmpty());
}

// The page's own use: its bitmap as a 24-bit BMP, reduced by the factor.
void TestDibImage::reducesPagePicture()
{
    QImage picture(2500, 7, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y) {
        QRgb *row = reinterpret_cast<QRgb *>(picture.scanLine(y));
        for (int x = 0; x < picture.width(); ++x)
            row[x] = qRgb(x & 0xFF, (x >> 8) * 20 + y, y * 30);
    }
    const auto halved = reduceBmpFile(writeBmp24(picture), 2500 / 1024);
    QVERIFY(halved.has_value());
    const QImage result = readBmp(*halved).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(result.size(), QSize(1250, 3));
    for (int y = 0; y < result.height(); ++y) {
        const QRgb *r = reinterpret_cast<const QRgb *>(result.constScanLine(y));
        const QRgb *s = reinterpret_cast<const QRgb *>(picture.constScanLine(2 * y));
        for (int x = 0; x < result.width(); ++x)
            QCOMPARE(r[x], s[2 * x]);
    }
    // Factor 1 gives the same picture back.
    const QImage small = picture.copy(0, 0, 1500, 7);
    const auto same = reduceBmpFile(writeBmp24(small), 1500 / 1024);
    QVERIFY(same.has_value());
    QCOMPARE(vztest::maxChannelDiff(readBmp(*same), small), 0);
    // 3000 x 1 halved has no rows.
    QVERIFY(!reduceBmpFile(writeBmp24(QImage(3000, 1, QImage::Format_RGB32)), 2).has_value());
    QVERIFY(!reduceBmpFile(QByteArray("not a bitmap"), 2).has_value());
}

QTEST_GUILESS_MAIN(TestDibImage)
#include "tst_dibimage.moc"
