// The picture type: BMP reading and writing, the picture kinds, the image
// loader and the letter picture rule.

#include "testutils.h"

#include "common/VzError.h"
#include "imaging/BmpFile.h"
#include "imaging/ImageLoader.h"
#include "imaging/Picture.h"
#include "imaging/RasterFile.h"

#include <QBuffer>
#include <QPainter>
#include <QtEndian>

using vz::Picture;

namespace {

void put16(QByteArray &b, int v)
{
    b.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF));
}
void put32(QByteArray &b, quint32 v)
{
    put16(b, int(v & 0xFFFF));
    put16(b, int(v >> 16));
}

// A BMP file from its parts; the bits offset follows the header, masks and
// palette unless given.
QByteArray bmp(int headerSize, int w, int h, int bpp, int compression, const QList<QRgb> &palette,
               const QByteArray &bits, const QList<quint32> &masks = {}, qint64 offBits = -1)
{
    QByteArray dib;
    put32(dib, quint32(headerSize));
    if (headerSize == 12) {
        put16(dib, w);
        put16(dib, h);
        put16(dib, 1);
        put16(dib, bpp);
    } else {
        put32(dib, quint32(w));
        put32(dib, quint32(h));
        put16(dib, 1);
        put16(dib, bpp);
        put32(dib, quint32(compression));
        put32(dib, quint32(bits.size()));
        put32(dib, 2835);
        put32(dib, 2835);
        put32(dib, quint32(palette.size()));
        put32(dib, 0);
        for (int i = 0; dib.size() < headerSize; ++i) {
            if (headerSize > 40 && i < masks.size())
                put32(dib, masks[i]);
            else
                put32(dib, 0);
        }
        if (headerSize == 40)
            for (quint32 m : masks)
                put32(dib, m);
    }
    for (QRgb c : palette) {
        dib.append(char(qBlue(c))).append(char(qGreen(c))).append(char(qRed(c)));
        if (headerSize != 12)
            dib.append('\0');
    }
    QByteArray file("BM");
    put32(file, quint32(14 + dib.size() + bits.size()));
    put32(file, 0);
    put32(file, quint32(offBits >= 0 ? offBits : 14 + dib.size()));
    return file + dib + bits;
}

QByteArray rows(std::initializer_list<const char *> hexRows)
{
    QByteArray b;
    for (const char *r : hexRows)
        b += QByteArray::fromHex(r);
    return b;
}

QList<QRgb> pixels(const QImage &img)
{
    QList<QRgb> out;
    const QImage c = img.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < c.height(); ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(c.constScanLine(y));
        for (int x = 0; x < c.width(); ++x)
            out << (line[x] | 0xFF000000u);
    }
    return out;
}

// A 1 x 1 GIF whose only pixel is transparent.
const QByteArray kTransparentGif = QByteArray::fromHex(
    "47494638396101000100f0000000000000000021f90401000000002c00000000010001000002024401003b");

const QRgb R = qRgb(255, 0, 0), G = qRgb(0, 255, 0), B = qRgb(0, 0, 255), W = qRgb(255, 255, 255),
           K = qRgb(0, 0, 0);

} // namespace

class TestPicture : public QObject
{
    Q_OBJECT

private slots:
    void readBmp_data();
    void readBmp();
    void badBmpIsRejected_data();
    void badBmpIsRejected();
    void dataInsideOtherFilesIsLenient();
    void cutShortFilesAreRefused_data();
    void cutShortFilesAreRefused();
    void filesFromAnotherWriter_data();
    void filesFromAnotherWriter();
    void writeBmp24Layout();
    void kindsKeepTheirBytes();
    void metafileSizesAndSave();
    void enhancedMetafileByTheRule();
    void drawStretches();
    void loadImageAsBitmap_data();
    void loadImageAsBitmap();
    void letterPicture();
};

void TestPicture::readBmp_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("width");
    QTest::addColumn<QList<QRgb>>("expected"); // top row first

    // 2 x 2 pictures stored bottom row first unless said otherwise.
    QTest::newRow("1 bit") << bmp(40, 2, 2, 1, 0, {K, W}, rows({"40000000", "80000000"})) << 2
                           << QList<QRgb>{W, K, K, W};
    QTest::newRow("4 bit") << bmp(40, 2, 2, 4, 0, {R, G, B}, rows({"12000000", "01000000"})) << 2
                           << QList<QRgb>{R, G, G, B};
    QTest::newRow("8 bit") << bmp(40, 2, 2, 8, 0, {R, G, B}, rows({"02010000", "00020000"})) << 2
                           << QList<QRgb>{R, B, B, G};
    QTest::newRow("8 bit index past table clamps") << bmp(40, 2, 1, 8, 0, {R, G}, rows({"00070000"})) << 2
                                                   << QList<QRgb>{R, G};
    QTest::newRow("16 bit 5-5-5") << bmp(40, 2, 1, 16, 0, {}, rows({"007C1F00"})) << 2 << QList<QRgb>{R, B};
    QTest::newRow("16 bit fields 5-6-5")
        << bmp(40, 2, 1, 16, 3, {}, rows({"00F8E007"}), {0xF800, 0x07E0, 0x001F}) << 2 << QList<QRgb>{R, G};
    QTest::newRow("24 bit") << bmp(40, 2, 2, 24, 0, {}, rows({"0000FF00FF000000", "FF0000FFFFFF0000"})) << 2
                            << QList<QRgb>{B, W, R, G};
    QTest::newRow("32 bit") << bmp(40, 2, 1, 32, 0, {}, rows({"0000FF0000FF0000"})) << 2 << QList<QRgb>{R, G};
    QTest::newRow("32 bit fields in V4 header")
        << bmp(108, 2, 1, 32, 3, {}, rows({"FF00000000FF0000"}), {0x000000FF, 0x0000FF00, 0x00FF0000, 0})
        << 2 << QList<QRgb>{R, G};
    QTest::newRow("core header 8 bit") << bmp(12, 2, 1, 8, 0, {R, G, B}, rows({"02000000"})) << 2
                                       << QList<QRgb>{B, R};
    QTest::newRow("top-down 24 bit") << bmp(40, 2, -2, 24, 0, {}, rows({"0000FF00FF000000", "FF0000FFFFFF0000"}))
                                     << 2 << QList<QRgb>{R, G, B, W};
    // RLE8: a run of 3 index 1, end of line; absolute run 0,2,1 (padded), end.
    QTest::newRow("RLE8") << bmp(40, 3, 2, 8, 1, {R, G, B}, rows({"03010000", "0003000201000001"})) << 3
                          << QList<QRgb>{R, B, G, G, G, G};
    // RLE8 delta: skip one pixel right and one row up; skipped pixels take index 0.
    QTest::newRow("RLE8 delta") << bmp(40, 2, 2, 8, 1, {K, R}, rows({"00020101", "01010001"})) << 2
                                << QList<QRgb>{K, R, K, K};
    // RLE4: a run of 3 alternating 1,2; end of line; absolute 2,0,1; end.
    QTest::newRow("RLE4") << bmp(40, 3, 2, 4, 2, {R, G, B}, rows({"03120000", "0003201000000001"})) << 3
                          << QList<QRgb>{B, R, G, G, B, G};
    QTest::newRow("bits offset honoured")
        << bmp(40, 1, 1, 24, 0, {}, rows({"FFFFFFFF", "0000FF00"}), {}, 14 + 40 + 4) << 1 << QList<QRgb>{R};
}

void TestPicture::readBmp()
{
    QFETCH(QByteArray, file);
    QFETCH(int, width);
    QFETCH(QList<QRgb>, expected);
    QString error;
    const QImage img = vz::readBmp(file, &error);
    QVERIFY2(!img.isNull(), qPrintable(error));
    QCOMPARE(img.width(), width);
    QCOMPARE(pixels(img), expected);
    // Qt reads the uncompressed and RLE files the same way.
    const QImage qt = QImage::fromData(file, "BMP");
    // (Qt widens 5-bit channels by shifting, and differs on clamped indices
    // and skipped pixels.)
    const QByteArray tag = QTest::currentDataTag();
    if (!qt.isNull() && !tag.contains("clamps") && !tag.contains("delta") && !tag.contains("16 bit"))
        QCOMPARE(pixels(qt), expected);
}

void TestPicture::badBmpIsRejected_data()
{
    QTest::addColumn<QByteArray>("file");
    const QByteArray good = bmp(40, 2, 2, 24, 0, {}, rows({"0000FF00FF000000", "FF0000FFFFFF0000"}));
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("not BM") << QByteArray("XX") + good.mid(2);
    QTest::newRow("file header only") << good.left(14);
    QTest::newRow("header cut") << good.left(30);
    QTest::newRow("no bits") << good.left(54);
    QTest::newRow("zero width") << bmp(40, 0, 2, 24, 0, {}, rows({"00000000"}));
    QTest::newRow("bit count 7") << bmp(40, 2, 2, 7, 0, {}, rows({"00000000", "00000000"}));
    QTest::newRow("RLE8 with 24 bits") << bmp(40, 2, 2, 24, 1, {}, rows({"00000000"}));
    QTest::newRow("huge size, tiny data") << bmp(40, 60000, 60000, 24, 0, {}, rows({"00000000"}));
    QTest::newRow("bitfields without masks") << bmp(40, 1, 1, 16, 3, {}, QByteArray()).left(54);
}

void TestPicture::badBmpIsRejected()
{
    QFETCH(QByteArray, file);
    QVERIFY(vz::readBmp(file).isNull());
    try {
        Picture::fromBytes(file, Picture::Kind::Bitmap);
        QFAIL("no error raised");
    } catch (const vz::FileError &e) {
        QCOMPARE(e.message(), QStringLiteral("Bitmap image is not valid"));
    }
}

void TestPicture::dataInsideOtherFilesIsLenient()
{
    // A bitmap held inside another file (a layout, a tour, clipboard data):
    // two rows declared, one stored (the bottom one), the top row is white.
    const QByteArray data = bmp(40, 1, 2, 24, 0, {}, rows({"0000FF00"}));
    QCOMPARE(pixels(Picture::fromBytes(data, Picture::Kind::Bitmap).image()), (QList<QRgb>{W, R}));
}

void TestPicture::cutShortFilesAreRefused_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QList<QRgb>>("expected"); // empty: refused
    // Rows are stored bottom-up: the first stored row is the lower one.
    const QByteArray rgb = bmp(40, 1, 2, 24, 0, {}, rows({"0000FF00", "00FF0000"}));
    QTest::newRow("24 bit whole") << rgb << QList<QRgb>{G, R};
    QTest::newRow("24 bit, last padding missing") << rgb.chopped(1) << QList<QRgb>{G, R};
    QTest::newRow("24 bit, last row cut") << rgb.chopped(2) << QList<QRgb>{};
    QTest::newRow("24 bit, one row of two") << rgb.chopped(4) << QList<QRgb>{};
    const QByteArray indexed = bmp(40, 3, 2, 8, 0, {R, G, B}, rows({"00010200", "02020100"}));
    QTest::newRow("8 bit, last padding missing") << indexed.chopped(1) << QList<QRgb>{B, B, G, R, G, B};
    QTest::newRow("8 bit, last pixel missing") << indexed.chopped(2) << QList<QRgb>{};
    const QByteArray top = bmp(40, 1, -2, 24, 0, {}, rows({"0000FF00", "00FF0000"}));
    QTest::newRow("top-down, last row cut") << top.chopped(3) << QList<QRgb>{};
    // Shorter than its own header says by a wide margin, as a download cut off.
    QImage big(100, 60, QImage::Format_RGB32);
    big.fill(Qt::red);
    QTest::newRow("large picture cut in half") << vz::writeBmp24(big).left(9000) << QList<QRgb>{};
}

void TestPicture::cutShortFilesAreRefused()
{
    QFETCH(QByteArray, file);
    QFETCH(QList<QRgb>, expected);
    vztest::Sandbox box;
    const QString path = box.write(QStringLiteral("cut.bmp"), file);
    if (expected.isEmpty()) {
        QVERIFY_THROWS_EXCEPTION(vz::FileError, Picture::fromFile(path));
        QVERIFY_THROWS_EXCEPTION(vz::FileError, vz::readRasterFile(path));
        // Held inside another file the same bytes still give a picture.
        QVERIFY(!Picture::fromBytes(file, Picture::Kind::Bitmap).isNull());
        return;
    }
    QCOMPARE(pixels(Picture::fromFile(path).image()), expected);
    QCOMPARE(pixels(vz::readRasterFile(path)), expected);
}

void TestPicture::filesFromAnotherWriter_data()
{
    QTest::addColumn<QString>("path");
    // Small BMPs written by ImageMagick in several depths and headers.
    QDir dir(QStringLiteral(VZ_SOURCE_DIR "/fuzz/corpus/bmp"));
    for (const QString &f : dir.entryList({QStringLiteral("*.bmp")}, QDir::Files, QDir::Name))
        QTest::newRow(qPrintable(f)) << dir.filePath(f);
}

void TestPicture::filesFromAnotherWriter()
{
    QFETCH(QString, path);
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    const QImage mine = vz::readBmp(bytes);
    const QImage qt = QImage::fromData(bytes, "BMP");
    QVERIFY(!mine.isNull() && !qt.isNull());
    // Qt widens narrow channels by shifting, so allow a few levels.
    QVERIFY(vztest::maxChannelDiff(mine, qt) <= 8);
}

void TestPicture::writeBmp24Layout()
{
    QImage img(3, 2, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QRgb *top = reinterpret_cast<QRgb *>(img.scanLine(0));
    QRgb *bottom = reinterpret_cast<QRgb *>(img.scanLine(1));
    top[0] = R | 0xFF000000u;
    top[1] = G | 0xFF000000u;
    bottom[0] = B | 0xFF000000u;
    const QByteArray f = vz::writeBmp24(img);
    const auto *d = reinterpret_cast<const uchar *>(f.constData());
    QCOMPARE(f.left(2), QByteArray("BM"));
    QCOMPARE(qFromLittleEndian<quint32>(d + 2), quint32(f.size()));
    QCOMPARE(qFromLittleEndian<quint32>(d + 10), quint32(54));
    QCOMPARE(qFromLittleEndian<quint32>(d + 14), quint32(40));
    QCOMPARE(qFromLittleEndian<qint32>(d + 22), 2); // bottom-up
    QCOMPARE(qFromLittleEndian<quint16>(d + 28), quint16(24));
    QCOMPARE(f.size(), 54 + 2 * 12); // 9 bytes of pixels padded to 12
    // The first stored row is the bottom one: blue, then white (transparent on white).
    QCOMPARE(f.mid(54, 12), QByteArray::fromHex("FF0000FFFFFFFFFFFF000000"));
    QCOMPARE(pixels(vz::readBmp(f)), (QList<QRgb>{R, G, W, B, W, W}));
    QCOMPARE(pixels(QImage::fromData(f, "BMP")), (QList<QRgb>{R, G, W, B, W, W}));
    // A bitmap picture saves as such a file.
    const Picture pic = Picture::fromImage(img);
    QCOMPARE(pic.saveData(), f);
}

void TestPicture::kindsKeepTheirBytes()
{
    QImage img(5, 4, QImage::Format_RGB32);
    img.fill(qRgb(10, 200, 30));
    QByteArray jpg;
    QBuffer buf(&jpg);
    buf.open(QIODevice::WriteOnly);
    QVERIFY(img.save(&buf, "JPEG"));
    const Picture pic = Picture::fromBytes(jpg, Picture::Kind::Jpeg);
    QCOMPARE(pic.size(), QSize(5, 4));
    QCOMPARE(pic.image().format(), QImage::Format_RGB32); // opaque 0xffRRGGBB, ready to draw
    QCOMPARE(qAlpha(pic.image().pixel(2, 2)), 255);
    QVERIFY(vztest::maxChannelDiff(pic.image(), img) <= 8);
    QCOMPARE(pic.saveData(), jpg); // stored unchanged, no re-encoding
    QCOMPARE(pic.sourceBytes(), jpg);
    const Picture gif = Picture::fromBytes(kTransparentGif, Picture::Kind::Gif);
    QCOMPARE(gif.size(), QSize(1, 1));
    QCOMPARE(gif.saveData(), kTransparentGif);
    QVERIFY_THROWS_EXCEPTION(vz::FileError, Picture::fromBytes("not a jpeg", Picture::Kind::Jpeg));
    QCOMPARE(Picture::kindForExtension(".Wmf"), Picture::Kind::Metafile);
    QCOMPARE(Picture::kindForExtension("jpeg"), Picture::Kind::Jpeg);
    QCOMPARE(Picture::kindForExtension(".png"), Picture::Kind::None);
}

namespace {

// A placeable metafile with one filled rectangle.
QByteArray smallWmf(int inch, qint16 right, qint16 bottom, bool placeable = true)
{
    QByteArray recs;
    auto rec = [&recs](quint16 fn, std::initializer_list<int> words) {
        put32(recs, quint32(3 + words.size()));
        put16(recs, fn);
        for (int w : words)
            put16(recs, w);
    };
    rec(0x020C, {bottom, right});                 // SETWINDOWEXT
    rec(0x02FC, {0, 0x00FF, 0x0000, 0});          // CREATEBRUSHINDIRECT red
    rec(0x012D, {0});                             // SELECTOBJECT
    rec(0x041B, {bottom / 2, right / 2, 0, 0});   // RECTANGLE
    rec(0x0000, {});
    QByteArray head;
    put16(head, 1);
    put16(head, 9);
    put16(head, 0x300);
    put32(head, quint32((18 + recs.size()) / 2));
    put16(head, 1);
    put32(head, 7);
    put16(head, 0);
    if (!placeable)
        return head + recs;
    QByteArray ph;
    put32(ph, 0x9AC6CDD7);
    put16(ph, 0);
    put16(ph, 0);
    put16(ph, 0);
    put16(ph, right);
    put16(ph, bottom);
    put16(ph, inch);
    put32(ph, 0);
    quint16 sum = 0;
    for (int i = 0; i < 20; i += 2)
        sum ^= quint16(uchar(ph[i]) | (uchar(ph[i + 1]) << 8));
    put16(ph, sum);
    return ph + head + recs;
}

} // namespace

void TestPicture::metafileSizesAndSave()
{
    // 2000 units at 1000 per inch: 2 inches = 5080 hundredths of a mm = 192 pixels.
    const QByteArray bytes = smallWmf(1000, 2000, 1000);
    Picture pic = Picture::fromBytes(bytes, Picture::Kind::Metafile);
    QCOMPARE(pic.kind(), Picture::Kind::Metafile);
    QCOMPARE(pic.physicalSize(), QSize(5080, 2540));
    QCOMPARE(pic.size(), QSize(192, 96));
    QCOMPARE(pic.unitsPerInch(), 1000);
    QCOMPARE(pic.saveData(), bytes);

    // Without a header: 96 per inch, bounds from the window; saved placeable.
    const Picture raw = Picture::fromBytes(smallWmf(0, 300, 150, false), Picture::Kind::Metafile);
    QCOMPARE(raw.size(), QSize(300, 150));
    QCOMPARE(raw.unitsPerInch(), 96);
    const QByteArray saved = raw.saveData();
    QCOMPARE(saved.size(), smallWmf(0, 300, 150, false).size() + 22);
    const Picture reread = Picture::fromBytes(saved, Picture::Kind::Metafile);
    QCOMPARE(reread.size(), QSize(300, 150));

    // Units per inch of 0 count as 96.
    QCOMPARE(Picture::fromBytes(smallWmf(0, 96, 48), Picture::Kind::Metafile).size(), QSize(96, 48));

    // A new size moves the bounding box the file is saved with.
    pic.setSize(QSize(96, 48));
    QCOMPARE(pic.physicalSize(), QSize(2540, 1270));
    const Picture resized = Picture::fromBytes(pic.saveData(), Picture::Kind::Metafile);
    QCOMPARE(resized.size(), QSize(96, 48));
    // and still draws its rectangle over the top-left quarter
    const QImage img = resized.render(QSize(40, 20));
    QCOMPARE(img.pixel(5, 5), R | 0xFF000000u);
    QCOMPARE(img.pixel(30, 15), W | 0xFF000000u);

    // Drawing is lenient about a wrong checksum.
    QByteArray bad = bytes;
    bad[20] = char(bad[20] ^ 0x55);
    QCOMPARE(Picture::fromBytes(bad, Picture::Kind::Metafile).render(QSize(40, 20)).pixel(5, 5), R | 0xFF000000u);
    QVERIFY_THROWS_EXCEPTION(vz::FileError, Picture::fromBytes(QByteArray(40, 'x'), Picture::Kind::Metafile));
}

void TestPicture::enhancedMetafileByTheRule()
{
    QByteArray emf(120, '\0');
    emf[0] = 1;
    emf[40] = 0x20;
    emf[41] = 0x45;
    emf[42] = 0x4D;
    emf[43] = 0x46;
    const Picture pic = Picture::fromBytes(emf, Picture::Kind::Metafile);
    QCOMPARE(pic.kind(), Picture::Kind::EnhancedMetafile);
    QCOMPARE(pic.saveData(), emf);
    // 100 bytes are not enough to count as enhanced: read as WMF, which it is not.
    QVERIFY_THROWS_EXCEPTION(vz::FileError, Picture::fromBytes(emf.left(100), Picture::Kind::Metafile));
}

void TestPicture::drawStretches()
{
    QImage src(2, 1, QImage::Format_RGB32);
    src.setPixel(0, 0, R);
    src.setPixel(1, 0, B);
    const Picture pic = Picture::fromImage(src);
    const QImage out = pic.render(QSize(40, 10));
    QCOMPARE(out.pixel(5, 5), R | 0xFF000000u);
    QCOMPARE(out.pixel(35, 5), B | 0xFF000000u);
}

void TestPicture::loadImageAsBitmap_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("outcome"); // "bitmap", "unchanged" or the error text
    QTest::addColumn<QRgb>("corner");     // top-left pixel of a bitmap outcome

    const QByteArray bmpFile = bmp(40, 2, 2, 24, 0, {}, rows({"0000FF00FF000000", "FF0000FFFFFF0000"}));
    const QByteArray gif = kTransparentGif;
    QByteArray jpg, ico;
    {
        QImage red(3, 3, QImage::Format_RGB32);
        red.fill(Qt::red);
        QBuffer j(&jpg);
        j.open(QIODevice::WriteOnly);
        red.save(&j, "JPEG", 100);
        QBuffer i(&ico);
        i.open(QIODevice::WriteOnly);
        red.save(&i, "ICO");
    }
    QTest::newRow("bmp") << "a.bmp" << bmpFile << "bitmap" << B;
    QTest::newRow("upper-case BMP") << "A.BMP" << bmpFile << "bitmap" << B;
    QTest::newRow("tmp read as BMP") << "vz1234.tmp" << bmpFile << "bitmap" << B;
    QTest::newRow("MSK1 read as BMP") << "letter.MSK1" << bmpFile << "bitmap" << B;
    QTest::newRow("msk2 read as BMP") << "letter.msk2" << bmpFile << "bitmap" << B;
    QTest::newRow("tmp that is no BMP") << "x.tmp" << jpg << "Bitmap image is not valid" << QRgb(0);
    QTest::newRow("jpeg on white") << "a.jpg" << jpg << "bitmap" << R;
    QTest::newRow("transparent gif on white") << "a.gif" << gif << "bitmap" << W;
    QTest::newRow("metafile leaves target") << "a.wmf" << smallWmf(1000, 100, 100) << "unchanged" << QRgb(0);
    QTest::newRow("icon leaves target") << "a.ico" << ico << "unchanged" << QRgb(0);
    QTest::newRow("unknown extension") << "a.xyz" << bmpFile << "Unknown picture file extension (.xyz)" << QRgb(0);
    QTest::newRow("no extension") << "plain" << bmpFile << "Unknown picture file extension (.)" << QRgb(0);
}

void TestPicture::loadImageAsBitmap()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(QString, outcome);
    QFETCH(QRgb, corner);
    vztest::Sandbox box;
    const QString path = box.write(name, content);
    QImage target(7, 7, QImage::Format_RGB32);
    target.fill(qRgb(1, 2, 3));
    const QImage before = target;
    try {
        vz::LoadImageAsBitmap(path, target);
    } catch (const vz::FileError &e) {
        QCOMPARE(e.message(), outcome);
        QCOMPARE(target, before);
        return;
    }
    if (outcome == QLatin1String("unchanged")) {
        QCOMPARE(target, before);
    } else {
        QCOMPARE(outcome, QStringLiteral("bitmap"));
        QVERIFY(target.size() != QSize(7, 7));
        const QRgb c = target.pixel(0, 0);
        QVERIFY2(qAbs(qRed(c) - qRed(corner)) < 8 && qAbs(qGreen(c) - qGreen(corner)) < 8
                     && qAbs(qBlue(c) - qBlue(corner)) < 8,
                 qPrintable(QString::number(c, 16)));
    }
}

void TestPicture::letterPicture()
{
    vztest::Sandbox box;
    const QString wmfPath = box.write("A.WMF", smallWmf(1000, 100, 100));
    QCOMPARE(vz::LetterPicture(wmfPath).kind(), Picture::Kind::Metafile);
    const QString bmpPath = box.write("B.bmp", bmp(40, 1, 1, 24, 0, {}, rows({"0000FF00"})));
    QCOMPARE(vz::LetterPicture(bmpPath).kind(), Picture::Kind::Bitmap);
    // A metafile under another name is no letter bitmap: no picture.
    QVERIFY(vz::LetterPicture(box.write("C.emf", smallWmf(1000, 100, 100))).isNull());
    QVERIFY(vz::LetterPicture(box.write("D.wmf", "garbage")).isNull());
    QVERIFY(vz::LetterPicture(box.path("missing.bmp")).isNull());
    QVERIFY(vz::LetterPicture(box.write("E.txt", "x")).isNull());
}

QTEST_MAIN(TestPicture)
#include "tst_picture.moc"
