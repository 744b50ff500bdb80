// Bitmaps as the printer's two DIB blocks at their own depth.

#include "testutils.h"

#include "imaging/BmpFile.h"
#include "imaging/Picture.h"
#include "printpage/PrintDevice.h"

#include <QPainter>

using vz::DibBlocks;

Q_DECLARE_METATYPE(QImage::Format)

namespace {

quint32 u32(const QByteArray &b, int at)
{
    return quint32(quint8(b.at(at))) | quint32(quint8(b.at(at + 1))) << 8 | quint32(quint8(b.at(at + 2))) << 16
           | quint32(quint8(b.at(at + 3))) << 24;
}
int u16(const QByteArray &b, int at)
{
    return quint8(b.at(at)) | quint8(b.at(at + 1)) << 8;
}

// A 13 x 8 picture with a distinct top row, a left column and a gradient,
// so row order, column order and row padding all show.
QImage pattern()
{
    QImage img(13, 8, QImage::Format_RGB32);
    for (int y = 0; y < img.height(); ++y) {
        auto *row = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x)
            row[x] = qRgb(x * 19, y * 30, (x + y) % 2 ? 255 : 0);
    }
    img.setPixelColor(0, 0, Qt::red);
    return img;
}

} // namespace

class TestLoadDib : public QObject
{
    Q_OBJECT

private slots:
    void ownDepth_data();
    void ownDepth();
    void transparencyOnWhite();
    void refused_data();
    void refused();
};

void TestLoadDib::ownDepth_data()
{
    QTest::addColumn<QImage::Format>("format");
    QTest::addColumn<int>("bits");
    QTest::addColumn<int>("compression");
    QTest::addColumn<int>("colours");
    QTest::addColumn<int>("tolerance"); // 5- and 6-bit channels widen a little differently

    QTest::newRow("mono") << QImage::Format_Mono << 1 << 0 << 2 << 0;
    QTest::newRow("mono lsb") << QImage::Format_MonoLSB << 1 << 0 << 2 << 0;
    QTest::newRow("indexed8") << QImage::Format_Indexed8 << 8 << 0 << -1 << 0;
    QTest::newRow("rgb555") << QImage::Format_RGB555 << 16 << 0 << 0 << 1;
    QTest::newRow("rgb16") << QImage::Format_RGB16 << 16 << 3 << 0 << 1;
    QTest::newRow("bgr888") << QImage::Format_BGR888 << 24 << 0 << 0 << 0;
    QTest::newRow("rgb888") << QImage::Format_RGB888 << 24 << 0 << 0 << 0;
    QTest::newRow("rgb32") << QImage::Format_RGB32 << 32 << 0 << 0 << 0;
    QTest::newRow("argb32 opaque") << QImage::Format_ARGB32 << 32 << 0 << 0 << 0;
    QTest::newRow("grayscale8") << QImage::Format_Grayscale8 << 32 << 0 << 0 << 0;
    QTest::newRow("rgba64") << QImage::Format_RGBA64 << 32 << 0 << 0 << 1;
}

void TestLoadDib::ownDepth()
{
    QFETCH(QImage::Format, format);
    QFETCH(int, bits);
    QFETCH(int, compression);
    QFETCH(int, colours);
    QFETCH(int, tolerance);

    const QImage source = pattern().convertToFormat(format);
    const vz::Picture picture = vz::Picture::fromImage(source);
    QCOMPARE(picture.image().format(), format);

    DibBlocks dib;
    QVERIFY(vz::LoadDibFromBitmap(picture.image(), dib));
    QCOMPARE(dib.width, 13);
    QCOMPARE(dib.height, 8);

    const int masks = compression == 3 ? 3 : 0;
    const int tableSize = colours < 0 ? int(source.colorCount()) : colours;
    QCOMPARE(u32(dib.header, 0), 40u);
    QCOMPARE(int(u32(dib.header, 4)), 13);
    QCOMPARE(int(u32(dib.header, 8)), 8); // positive: bottom-up rows
    QCOMPARE(u16(dib.header, 12), 1);
    QCOMPARE(u16(dib.header, 14), bits);
    QCOMPARE(int(u32(dib.header, 16)), compression);
    QCOMPARE(int(u32(dib.header, 32)), tableSize);
    QCOMPARE(dib.header.size(), 40 + 4 * masks + 4 * tableSize);
    if (masks) {
        QCOMPARE(u32(dib.header, 40), 0xF800u);
        QCOMPARE(u32(dib.header, 44), 0x07E0u);
        QCOMPARE(u32(dib.header, 48), 0x001Fu);
    }

    const int rowBytes = ((bits * 13 + 31) / 32) * 4;
    QCOMPARE(dib.pixels.size(), rowBytes * 8);
    QCOMPARE(int(u32(dib.header, 20)), dib.pixels.size());

    // The top-left pixel is the first of the last row in memory.
    const QByteArray lastRow = dib.pixels.mid(7 * rowBytes, rowBytes);
    const QRgb topLeft = source.pixel(0, 0);
    if (bits == 24 || bits == 32) {
        QCOMPARE(quint8(lastRow.at(0)), quint8(qBlue(topLeft)));
        QCOMPARE(quint8(lastRow.at(1)), quint8(qGreen(topLeft)));
        QCOMPARE(quint8(lastRow.at(2)), quint8(qRed(topLeft)));
    }

    // Decoded independently, the blocks show the picture itself.
    const QImage back = vz::dibBlocksToImage(dib.header, dib.pixels);
    QVERIFY(!back.isNull());
    QVERIFY2(vztest::maxChannelDiff(back, source) <= tolerance,
             qPrintable(QString::number(vztest::maxChannelDiff(back, source))));
}

void TestLoadDib::transparencyOnWhite()
{
    // 32 bits: clear, half-covered and opaque pixels.
    QImage argb(8, 2, QImage::Format_ARGB32);
    argb.fill(qRgba(0, 0, 255, 0));
    argb.setPixel(1, 0, qRgba(255, 0, 0, 128));
    argb.setPixel(2, 0, qRgba(0, 255, 0, 255));
    DibBlocks dib;
    QVERIFY(vz::LoadDibFromBitmap(argb, dib));
    QCOMPARE(u16(dib.header, 14), 32);
    const QImage back = vz::dibBlocksToImage(dib.header, dib.pixels);
    QCOMPARE(back.pixel(0, 0) & 0xFFFFFF, 0xFFFFFFu);
    QCOMPARE(qRed(back.pixel(1, 0)), 255);
    QVERIFY(qAbs(qGreen(back.pixel(1, 0)) - 127) <= 1);
    QCOMPARE(back.pixel(2, 0) & 0xFFFFFF, 0x00FF00u);

    // Indexed: a clear table entry is written white, the others unchanged.
    QImage indexed(32, 2, QImage::Format_Indexed8);
    indexed.setColorTable({qRgba(0, 0, 0, 0), qRgb(10, 20, 30)});
    indexed.fill(0);
    indexed.setPixel(3, 1, 1);
    QVERIFY(vz::LoadDibFromBitmap(indexed, dib));
    QCOMPARE(u16(dib.header, 14), 8);
    QCOMPARE(u32(dib.header, 40), 0x00FFFFFFu);
    QCOMPARE(u32(dib.header, 44), 0x000A141Eu);
    QCOMPARE(quint8(dib.pixels.at(3)), quint8(1)); // bottom row first
}

void TestLoadDib::refused_data()
{
    QTest::addColumn<QImage>("image");
    QTest::addColumn<bool>("loads");

    QTest::newRow("null") << QImage() << false;
    QTest::newRow("2x2 at 24 bits: 16 bytes") << QImage(2, 2, QImage::Format_RGB888) << false;
    QTest::newRow("2x2 at 32 bits: 16 bytes") << QImage(2, 2, QImage::Format_RGB32) << false;
    QTest::newRow("7x1 at 32 bits: 28 bytes") << QImage(7, 1, QImage::Format_RGB32) << false;
    QTest::newRow("8x1 at 32 bits: 32 bytes") << QImage(8, 1, QImage::Format_RGB32) << true;
    QTest::newRow("1x8 mono: 32 bytes") << QImage(1, 8, QImage::Format_Mono) << true;
    QTest::newRow("1x7 mono: 28 bytes") << QImage(1, 7, QImage::Format_Mono) << false;
}

void TestLoadDib::refused()
{
    QFETCH(QImage, image);
    QFETCH(bool, loads);
    if (!image.isNull())
        image.fill(0);
    DibBlocks dib;
    dib.width = 99;
    QCOMPARE(vz::LoadDibFromBitmap(image, dib), loads);
    if (!loads) {
        QVERIFY(dib.header.isEmpty());
        QVERIFY(dib.pixels.isEmpty());
        QCOMPARE(dib.width, 0);
    }
}

QTEST_MAIN(TestLoadDib)
#include "tst_loaddib.moc"
