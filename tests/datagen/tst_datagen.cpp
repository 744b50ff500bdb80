// The demo data generator's own pieces: the GIF encoder, the grey SVG
// rewrite, picture names and search words, and letter layout.

#include "ComingSoon.h"
#include "GifWriter.h"
#include "LetterArt.h"
#include "SvgArt.h"

#include "imaging/Picture.h"

#include "testutils.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>

using namespace datagen;

class TestDatagen : public QObject
{
    Q_OBJECT

private slots:
    void gifRoundTrip_data();
    void gifRoundTrip();
    void gifDithersManyColours();
    void greySvgKeepsReferences();
    void translucency_data();
    void translucency();
    void names_data();
    void names();
    void searchWordsFitAtLineBoundary();
    void svgCropAndBlank();
    void lettersShareHeightAndBaseline();
    void comingSoonBitmap();
};

static QImage decodeGif(const QByteArray &bytes)
{
    QBuffer buf;
    buf.setData(bytes);
    buf.open(QIODevice::ReadOnly);
    QImageReader reader(&buf, "gif");
    return reader.read().convertToFormat(QImage::Format_RGB32);
}

void TestDatagen::gifRoundTrip_data()
{
    QTest::addColumn<QImage>("image");
    // Sizes around the LZW code-width steps and the 4096-code reset.
    QImage flat(7, 3, QImage::Format_RGB32);
    flat.fill(qRgb(10, 20, 30));
    QTest::newRow("one colour") << flat;
    QImage stripes(300, 200, QImage::Format_RGB32);
    for (int y = 0; y < stripes.height(); ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(stripes.scanLine(y));
        for (int x = 0; x < stripes.width(); ++x)
            line[x] = qRgb((x * 7 + y * 3) % 256, (x * y) % 200, (x ^ y) & 0x3F);
    }
    // At most 256 colours: exact.
    QImage few = stripes;
    for (int y = 0; y < few.height(); ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(few.scanLine(y));
        for (int x = 0; x < few.width(); ++x)
            line[x] = qRgb((x * 13 + y * 7) % 16 * 16, (x / 5 + y / 3) % 16 * 16, 0);
    }
    QTest::newRow("256 colours, long runs of new codes") << few;
    QImage single(1, 1, QImage::Format_RGB32);
    single.fill(Qt::white);
    QTest::newRow("one pixel") << single;
}

void TestDatagen::gifRoundTrip()
{
    QFETCH(QImage, image);
    const QImage back = decodeGif(encodeGif(image));
    QCOMPARE(back.size(), image.size());
    QCOMPARE(vztest::maxChannelDiff(back, image), 0);
}

void TestDatagen::gifDithersManyColours()
{
    // A smooth gradient has more than 256 colours: the cube with dithering
    // keeps every pixel within one cube step and the average close.
    QImage img(256, 64, QImage::Format_RGB32);
    for (int y = 0; y < img.height(); ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x)
            line[x] = qRgb(x, 255 - x, (x + y * 4) % 256);
    }
    const QImage back = decodeGif(encodeGif(img));
    QCOMPARE(back.size(), img.size());
    QVERIFY(vztest::maxChannelDiff(back, img) <= 51);
    qint64 sum = 0, sumBack = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            sum += qRed(reinterpret_cast<const QRgb *>(img.constScanLine(y))[x]);
            sumBack += qRed(reinterpret_cast<const QRgb *>(back.constScanLine(y))[x]);
        }
    QVERIFY(qAbs(sum - sumBack) < img.width() * img.height() * 4);
    // The same pixels give the same bytes.
    QCOMPARE(encodeGif(img), encodeGif(img));
}

void TestDatagen::greySvgKeepsReferences()
{
    const QByteArray svg = "<svg><linearGradient id=\"face12\"/><rect fill=\"url(#face12)\" "
                           "style=\"fill:#ff0000;stroke:#0f0\"/><use xlink:href=\"#abc\"/>"
                           "<circle fill=\"blue\" stroke=\"rgb(0,0,255)\"/><path fill=\"none\"/></svg>";
    const QByteArray grey = greySvg(svg);
    QVERIFY(grey.contains("url(#face12)"));
    QVERIFY(grey.contains("href=\"#abc\""));
    QVERIFY(grey.contains("fill:#4c4c4c")); // luma of red
    QVERIFY(grey.contains("stroke:#969696"));
    QVERIFY(grey.contains("fill=\"#1d1d1d\""));
    QVERIFY(grey.contains("stroke=\"#1d1d1d\""));
    QVERIFY(grey.contains("fill=\"none\""));
}

void TestDatagen::translucency_data()
{
    QTest::addColumn<QByteArray>("svg");
    QTest::addColumn<bool>("translucent");
    QTest::newRow("opaque") << QByteArray("<path style=\"opacity:1;fill-opacity:1.0000\"/>") << false;
    QTest::newRow("style") << QByteArray("<path style=\"fill:#fff;fill-opacity:0.79\"/>") << true;
    QTest::newRow("attribute") << QByteArray("<stop stop-opacity=\"0\"/>") << true;
    QTest::newRow("leading dot") << QByteArray("<g opacity='.5'/>") << true;
    QTest::newRow("none") << QByteArray("<path fill=\"red\"/>") << false;
    QTest::newRow("editor's page") << QByteArray("<namedview borderopacity=\"1.0\" inkscape:pageopacity=\"0.0\"/>")
                                   << false;
}

void TestDatagen::translucency()
{
    QFETCH(QByteArray, svg);
    QTEST(usesTranslucency(svg), "translucent");
}

void TestDatagen::names_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("keywords");
    QTest::addColumn<QStringList>("authors");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("search");

    QTest::newRow("title and keywords") << "bird of peace" << QStringList{"", "animal", "bird"}
                                        << QStringList{"Mauro Olivo"} << "bird_of_peace_mauro_oliv_01.svg"
                                        << "Bird of peace" << "animal\r\nbird\r\npeace";
    QTest::newRow("no title: file words without the author")
        << "" << QStringList{} << QStringList{"Jarno Vasamaa"} << "soup_jarno_vasamaa_.svg" << "Soup" << "soup";
    QTest::newRow("placeholder title") << "HASH(0x8a41038)" << QStringList{"Music Stuff"} << QStringList{}
                                       << "drums_01.svg" << "Drums" << "music\r\ndrums";
    QTest::newRow("keyword that is the author") << "Cello" << QStringList{"cello", "Gerald"}
                                                << QStringList{"Gerald G."} << "cello_gerald_g._01.svg"
                                                << "Cello" << "cello";
}

void TestDatagen::names()
{
    QFETCH(QString, title);
    QFETCH(QStringList, keywords);
    QFETCH(QStringList, authors);
    QFETCH(QString, file);
    SvgInfo info;
    info.title = title;
    info.keywords = keywords;
    info.authors = authors;
    QTEST(pictureName(info, file, 75), "name");
    QTEST(searchWords(info, file, 65), "search");
}

void TestDatagen::searchWordsFitAtLineBoundary()
{
    SvgInfo info;
    for (int i = 0; i < 20; ++i)
        info.keywords << QStringLiteral("keyword%1").arg(QChar('a' + i)).repeated(1);
    const QString words = searchWords(info, QStringLiteral("x.svg"), 65);
    QVERIFY(words.size() <= 65);
    // Cut between words, never inside one.
    for (const QString &w : words.split(QStringLiteral("\r\n")))
        QCOMPARE(w.size(), 8);
}

void TestDatagen::svgCropAndBlank()
{
    // A small square on a big page is cropped to the square (and a margin).
    const QByteArray page = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"1000\" height=\"1000\" "
                            "viewBox=\"0 0 1000 1000\"><rect x=\"400\" y=\"450\" width=\"200\" height=\"100\" "
                            "fill=\"#336699\"/></svg>";
    SvgPicture pic;
    QString reason;
    QVERIFY(pic.load(page, &reason));
    QVERIFY(qAbs(pic.viewBox().width() - 208) < 12);
    QVERIFY(qAbs(pic.viewBox().height() - 108) < 12);
    const QImage img = pic.render(300);
    QCOMPARE(img.width(), 300);
    QVERIFY(img.height() < 170 && img.height() > 130);
    QCOMPARE(QColor(img.pixel(150, img.height() / 2)), QColor(0x33, 0x66, 0x99));

    const QByteArray blank = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"100\" height=\"100\">"
                             "<rect width=\"100\" height=\"100\" fill=\"white\"/></svg>";
    QVERIFY(!pic.load(blank, &reason));
    QCOMPARE(reason, QStringLiteral("blank"));
    QVERIFY(!pic.load("not svg", &reason));
}

void TestDatagen::lettersShareHeightAndBaseline()
{
    const QString font = QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
    if (!QFile::exists(font))
        QSKIP("DejaVu Sans is not installed");
    LetterStyle style;
    style.look = QStringLiteral("gradient");
    style.colours = {Qt::red, Qt::blue};
    style.outline = Qt::black;
    style.outlineWidth = 3;
    style.shadow = Qt::gray;
    style.shadowOffset = 4;
    LetterFont f;
    QVERIFY(f.load(font, 100, style));
    QVERIFY(f.hasGlyph(QLatin1Char('g')));
    const LetterShape g = f.shape(QLatin1Char('g'), 0);
    const LetterShape i = f.shape(QLatin1Char('i'), 1);
    QVERIFY(g.width > i.width);
    // Everything drawn, shadow and outline included, stays inside the image.
    for (const LetterShape &s : {g, i, f.shape(QLatin1Char('W'), 2), f.shape(QLatin1Char('j'), 3)}) {
        QImage img(s.width, 100, QImage::Format_RGB32);
        img.fill(Qt::white);
        QPainter p(&img);
        paintLetter(p, s, 100, style, false);
        p.end();
        const QRectF ink = s.path.boundingRect().adjusted(-1.5, -1.5, 1.5 + 4, 1.5 + 4);
        QVERIFY2(QRectF(0, 0, s.width, 100).contains(ink), qPrintable(QString::number(s.width)));
    }
}

// The text effects list shows this file on the enhancements page: a 24-bit
// bitmap the program's picture type reads, with the words drawn on it.
void TestDatagen::comingSoonBitmap()
{
    vztest::Sandbox box;
    QVERIFY(writeComingSoon(box.path()));
    const vz::Picture picture = vz::Picture::fromFile(box.path("CommingSoon.bmp"), vz::Picture::Kind::Bitmap);
    QCOMPARE(picture.kind(), vz::Picture::Kind::Bitmap);
    QCOMPARE(picture.size(), QSize(640, 400));
    QFile f(box.path("CommingSoon.bmp"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    QCOMPARE(bytes.left(2), QByteArray("BM"));
    QCOMPARE(quint8(bytes.at(28)), quint8(24));
    // White title pixels on the blue ground, not a blank picture.
    const QImage image = picture.image().convertToFormat(QImage::Format_RGB32);
    int white = 0;
    for (int y = 90; y < 200; ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        white += int(std::count(line, line + image.width(), qRgb(255, 255, 255)));
    }
    QVERIFY2(white > 1000, qPrintable(QString::number(white)));
}

QTEST_MAIN(TestDatagen)
#include "tst_datagen.moc"
