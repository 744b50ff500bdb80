// The fast bitmap, the Lanczos-3 resampler and the letter thumbnail maker.

#include "testutils.h"

#include "common/VzError.h"
#include "imagesets/LetterThumbnail.h"
#include "imaging/FastImage.h"

#include <QRandomGenerator>

using namespace vz;

namespace {

QImage noise(int w, int h, quint32 seed)
{
    QImage img(w, h, QImage::Format_RGB32);
    QRandomGenerator rng(seed);
    for (int y = 0; y < h; ++y) {
        QRgb *p = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < w; ++x)
            p[x] = rng.generate() | 0xff000000u;
    }
    return img;
}

bool rowIsWhite(const QImage &img, int y)
{
    const QRgb *p = reinterpret_cast<const QRgb *>(img.constScanLine(y));
    for (int x = 0; x < img.width(); ++x)
        if ((p[x] & 0xffffff) != 0xffffff)
            return false;
    return true;
}

// The two passes written plainly, one channel at a time.
QImage referenceResample(const QImage &src, int W, int H)
{
    const QImage s = src.convertToFormat(QImage::Format_RGB32);
    const auto cols = lanczosContributors(s.width(), W);
    const auto rows = lanczosContributors(s.height(), H);
    auto toByte = [](float v) { return v > 255.0f ? 255 : v < 0.0f ? 0 : int(std::nearbyint(v)); };
    QImage mid(W, s.height(), QImage::Format_RGB32);
    for (int y = 0; y < s.height(); ++y)
        for (int i = 0; i < W; ++i) {
            float ch[3] = {0, 0, 0};
            for (const Contributor &c : cols[i].items) {
                const QRgb p = reinterpret_cast<const QRgb *>(s.constScanLine(y))[c.index];
                ch[0] = ch[0] + float(qRed(p)) * c.weight;
                ch[1] = ch[1] + float(qGreen(p)) * c.weight;
                ch[2] = ch[2] + float(qBlue(p)) * c.weight;
            }
            reinterpret_cast<QRgb *>(mid.scanLine(y))[i] = qRgb(toByte(ch[0]), toByte(ch[1]), toByte(ch[2]));
        }
    QImage out(W, H, QImage::Format_RGB32);
    for (int y = 0; y < H; ++y)
        for (int i = 0; i < W; ++i) {
            float ch[3] = {0, 0, 0};
            for (const Contributor &c : rows[y].items) {
                const QRgb p = reinterpret_cast<const QRgb *>(mid.constScanLine(c.index))[i];
                ch[0] = ch[0] + float(qRed(p)) * c.weight;
                ch[1] = ch[1] + float(qGreen(p)) * c.weight;
                ch[2] = ch[2] + float(qBlue(p)) * c.weight;
            }
            reinterpret_cast<QRgb *>(out.scanLine(y))[i] = qRgb(toByte(ch[0]), toByte(ch[1]), toByte(ch[2]));
        }
    return out;
}

} // namespace

class TestFastImage : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void filterValues();
    void contributorsUpscale();
    void contributorsDownscale();
    void tinySourcesStayInside();
    void equalSizeGivesSource();
    void matchesPlainPasses_data();
    void matchesPlainPasses();
    void onePixelWideSource();
    void thumbnailSizes_data();
    void thumbnailSizes();
    void wideImageThumbnail();
    void bmpBytes();
    void badSizes();
};

void TestFastImage::filterValues()
{
    QCOMPARE(lanczos3(0.0f), 1.0f);
    QCOMPARE(lanczos3(3.0f), 0.0f);
    QCOMPARE(lanczos3(-3.5f), 0.0f);
    QVERIFY(qAbs(lanczos3(0.5f) - 0.6079271f) < 1e-6f);
    QVERIFY(qAbs(lanczos3(-1.5f) + 0.1350949f) < 1e-6f);
    QVERIFY(qAbs(lanczos3(2.5f) - 0.0243171f) < 1e-6f);
    // sin(pi) in single precision is not 0: whole numbers give tiny weights.
    QVERIFY(lanczos3(1.0f) != 0.0f);
    QVERIFY(qAbs(lanczos3(1.0f)) < 1e-6f);
}

void TestFastImage::contributorsUpscale()
{
    // 4 -> 7: scale (7-1)/(4-1) = 2, centre i/2, window Trunc(c-3)..Trunc(c+3).
    QCOMPARE(resampleScale(4, 7), 2.0f);
    const auto c = lanczosContributors(4, 7);
    QCOMPARE(int(c.size()), 7);
    auto indices = [&](int i) {
        QList<int> out;
        for (const Contributor &k : c[i].items)
            out << k.index;
        return out;
    };
    // i = 1, c = 0.5: j = -2..3, mirrored at the left edge.
    QCOMPARE(indices(1), QList<int>({2, 1, 0, 1, 2, 3}));
    const float expected[] = {0.0243171f, -0.1350949f, 0.6079271f, 0.6079271f, -0.1350949f, 0.0243171f};
    for (int k = 0; k < 6; ++k)
        QVERIFY2(qAbs(c[1].items[k].weight - expected[k]) < 1e-6f, qPrintable(QString::number(k)));
    // i = 0: j = -3 and 3 weigh exactly 0 and are dropped; the rest are the
    // pixel itself with weight 1 and near-zero neighbours.
    QCOMPARE(indices(0), QList<int>({2, 1, 0, 1, 2}));
    QCOMPARE(c[0].items[2].weight, 1.0f);
    // i = 6, c = 3: mirrored at the right edge (2w - 1 - j).
    QCOMPARE(indices(6), QList<int>({1, 2, 3, 3, 2}));
}

void TestFastImage::contributorsDownscale()
{
    // 4 -> 2: scale 1/3, reach 9, weights filter((c - j) / 3) / 3.
    const auto c = lanczosContributors(4, 2);
    const auto &items = c[0].items;
    QCOMPARE(int(items.size()), 17); // j = -8..8; +-9 weigh exactly 0
    QVERIFY(qAbs(items[8].weight - 0.3333333f) < 1e-6f);
    QVERIFY(qAbs(items[7].weight - 0.2701003f) < 1e-6f);
    QVERIFY(qAbs(items[9].weight - 0.2701003f) < 1e-6f);
    QVERIFY(qAbs(items[6].weight - 0.1269052f) < 1e-6f);
    for (const Contributor &k : items)
        QVERIFY(k.index >= 0 && k.index < 4);
    QCOMPARE(items[0].index, 3); // j = -8 mirrors to 8, kept inside
}

void TestFastImage::tinySourcesStayInside()
{
    for (int src : {1, 2, 3})
        for (int dst : {1, 2, 5, 10, 40}) {
            for (const ContributorList &l : lanczosContributors(src, dst))
                for (const Contributor &k : l.items)
                    QVERIFY(k.index >= 0 && k.index < src);
            const FastBmp out = Resample(FastBmp::fromImage(noise(src, src, 7)), dst, dst);
            QCOMPARE(out.width(), dst);
        }
    // One destination column from a wide source has no scale factor of its
    // own; it must still give a pixel of the source's colours.
    QImage grey(9, 1, QImage::Format_RGB32);
    grey.fill(qRgb(100, 100, 100));
    const FastBmp one = Resample(FastBmp::fromImage(grey), 1, 1);
    QVERIFY(qAbs(int(one.scanLine(0)[0]) - 100) <= 2);
}

void TestFastImage::equalSizeGivesSource()
{
    const QImage src = noise(23, 17, 1);
    const FastBmp out = Resample(FastBmp::fromImage(src), 23, 17);
    QCOMPARE(vztest::maxChannelDiff(out.image(), src), 0);
}

void TestFastImage::matchesPlainPasses_data()
{
    QTest::addColumn<QSize>("from");
    QTest::addColumn<QSize>("to");
    QTest::newRow("down") << QSize(301, 203) << QSize(55, 37);
    QTest::newRow("up") << QSize(9, 7) << QSize(40, 31);
    QTest::newRow("mixed, odd rows") << QSize(50, 6) << QSize(13, 17);
    QTest::newRow("one row") << QSize(33, 1) << QSize(10, 3);
}

void TestFastImage::matchesPlainPasses()
{
    QFETCH(QSize, from);
    QFETCH(QSize, to);
    const QImage src = noise(from.width(), from.height(), 11);
    const QImage expected = referenceResample(src, to.width(), to.height());
    // Both entry points: the 24-bit fast bitmap and a 32-bit image.
    QCOMPARE(vztest::maxChannelDiff(Resample(FastBmp::fromImage(src), to.width(), to.height()).image(), expected), 0);
    QCOMPARE(vztest::maxChannelDiff(resampleImage(src, to.width(), to.height()).image(), expected), 0);
}

void TestFastImage::onePixelWideSource()
{
    QCOMPARE(resampleScale(1, 10), 10.0f);
    QImage src(1, 3, QImage::Format_RGB32);
    src.fill(qRgb(50, 100, 150));
    const FastBmp out = Resample(FastBmp::fromImage(src), 10, 3);
    QCOMPARE(out.width(), 10);
    // Every column sums the one pixel with its column's weights: the centre
    // column (weight 1 plus tiny ones) keeps the colour exactly.
    const uchar *row = out.scanLine(1);
    QCOMPARE(int(row[0]), 150);
    QCOMPARE(int(row[1]), 100);
    QCOMPARE(int(row[2]), 50);
}

void TestFastImage::thumbnailSizes_data()
{
    QTest::addColumn<QSize>("image");
    QTest::addColumn<int>("side");
    QTest::addColumn<QSize>("thumb");
    QTest::newRow("wide, 27.5 to even") << QSize(110, 55) << 55 << QSize(55, 28);
    QTest::newRow("tall") << QSize(55, 110) << 55 << QSize(28, 55);
    QTest::newRow("square") << QSize(300, 300) << 55 << QSize(55, 55);
    QTest::newRow("side 70") << QSize(200, 100) << 70 << QSize(70, 35);
    QTest::newRow("hair line") << QSize(1, 500) << 55 << QSize(1, 55);
}

void TestFastImage::thumbnailSizes()
{
    QFETCH(QSize, image);
    QFETCH(int, side);
    QFETCH(QSize, thumb);
    QCOMPARE(letterThumbnailSize(image.width(), image.height(), side), thumb);
}

void TestFastImage::wideImageThumbnail()
{
    vztest::Sandbox box;
    QImage src(110, 55, QImage::Format_RGB32);
    src.fill(qRgb(20, 40, 60));
    const QString path = box.path(QStringLiteral("wide.bmp"));
    QVERIFY(src.save(path, "BMP"));
    const QImage t = MakeLetterThumbnail(path);
    QCOMPARE(t.size(), QSize(55, 55));
    for (int y = 0; y < 55; ++y)
        QCOMPARE(rowIsWhite(t, y), y < 13 || y >= 13 + 28);
    QVERIFY(qAbs(qRed(t.pixel(27, 26)) - 20) <= 1);

    QVERIFY_THROWS_EXCEPTION(FileError, MakeLetterThumbnail(box.path(QStringLiteral("none.jpg"))));
}

void TestFastImage::bmpBytes()
{
    const QImage src = noise(7, 5, 3);
    const QByteArray b = bmp24Bytes(src);
    QCOMPARE(b.size(), 54 + 24 * 5); // rows of 21 bytes padded to 24
    QCOMPARE(b.left(2), QByteArray("BM"));
    QCOMPARE(int(uchar(b[28])), 24);
    QCOMPARE(vztest::maxChannelDiff(QImage::fromData(b, "BMP"), src), 0);
    QCOMPARE(bmp24Bytes(QImage(55, 55, QImage::Format_RGB32)).size(), 9294);
}

void TestFastImage::badSizes()
{
    const FastBmp src = FastBmp::fromImage(noise(4, 4, 2));
    QVERIFY_THROWS_EXCEPTION(ImageError, Resample(src, 0, 4));
    QVERIFY_THROWS_EXCEPTION(ImageError, Resample(FastBmp(), 4, 4));
}

QTEST_GUILESS_MAIN(TestFastImage)
#include "tst_fastimage.moc"
