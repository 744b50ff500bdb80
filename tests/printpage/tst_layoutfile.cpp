// The layout file: header, picture and text-box records, the memo component
// stream and its name tables, and how damaged files end.

#include "testutils.h"

#include "imaging/Picture.h"
#include "metafile/WmfGenerator.h"
#include "printpage/ComponentStream.h"
#include "printpage/LayoutFile.h"
#include "printpage/TextBoxStream.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <cmath>
#include <limits>

using namespace vz;

namespace {

qint32 int32At(const QByteArray &b, qsizetype at)
{
    return qFromLittleEndian<qint32>(b.constData() + at);
}

void setInt32(QByteArray &b, qsizetype at, qint32 v)
{
    qToLittleEndian(v, b.data() + at);
}

void fixLength(QByteArray &b)
{
    setInt32(b, 0, qint32(b.size()));
}

QByteArray sstr(const QByteArray &s)
{
    return char(s.size()) + s;
}

QByteArray le32(qint32 v)
{
    QByteArray b(4, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

Picture bitmap(const QColor &c, QSize size = QSize(4, 3))
{
    QImage img(size, QImage::Format_RGB32);
    img.fill(c);
    return Picture::fromImage(img);
}

QByteArray encoded(const QImage &img, const char *format)
{
    QByteArray out;
    QBuffer b(&out);
    b.open(QIODevice::WriteOnly);
    img.save(&b, format);
    return out;
}

const QByteArray kGif = QByteArray::fromHex(
    "47494638396101000100f0000000000000000021f90401000000002c00000000010001000002024401003b");

QByteArray wmfBytes()
{
    mf::WmfGenerator gen;
    gen.setSize(QSize(40, 30));
    {
        QPainter p(&gen);
        p.fillRect(QRect(5, 5, 20, 10), Qt::blue);
    }
    return gen.data();
}

TextBoxData sampleBox(const QString &text = QStringLiteral("Hi"))
{
    TextBoxData box;
    box.bounds = QRect(10, 20, 100, 50);
    box.text = text;
    box.fontName = QStringLiteral("Arial");
    box.fontSize = 12;
    box.borderSingle = true;
    box.borderFlag = true;
    return box;
}

// A memo stream built by hand: the header, raw property bytes, the ends.
QByteArray memoStream(const QByteArray &properties)
{
    return QByteArray("TPF0", 4) + sstr("TMemo") + sstr("") + properties + QByteArray(2, '\0');
}

} // namespace

class TestLayoutFile : public QObject
{
    Q_OBJECT

private slots:
    void emptyPage();
    void oneBoxGolden();
    void picturesOfEveryKindAndTwoBoxes();
    void laterUnknownKindReadsAsLastKind();
    void tooManyPictures();
    void headerErrors_data();
    void headerErrors();
    void bodyErrors_data();
    void bodyErrors();
    void picturesScaleToAnotherPage();
    void handBuiltFilesRead();

    void integerEdges_data();
    void integerEdges();
    void strings_data();
    void strings();
    void unknownPropertiesOfEveryTypeAreSkipped();
    void badTextBoxStreams_data();
    void badTextBoxStreams();
    void colorNames();
    void charsetNames();
    void fontHeight_data();
    void fontHeight();
    void boxPropertiesRoundTrip();
    void dumpCommand();
};

void TestLayoutFile::emptyPage()
{
    for (const bool landscape : {false, true}) {
        PageLayout page;
        page.landscape = landscape;
        const QByteArray bytes = encodeLayout(page);
        QByteArray expected = QByteArray::fromHex("16000000" "565a" "0100000000000000");
        expected += landscape ? QByteArray::fromHex("01000000") : QByteArray::fromHex("00000000");
        expected += QByteArray::fromHex("96110000");
        QCOMPARE(bytes, expected);

        const DecodedLayout d = decodeLayout(bytes, 96);
        QCOMPARE(d.status, DecodedLayout::Status::Ok);
        QCOMPARE(d.landscape, landscape);
        QVERIFY(d.pictures.isEmpty());
        QVERIFY(d.boxes.isEmpty());
    }
}

void TestLayoutFile::oneBoxGolden()
{
    const QByteArray golden = memoStream(
        sstr("Left") + "\x02\x0a" + sstr("Top") + "\x02\x14" + sstr("Width") + "\x02\x64"
        + sstr("Height") + "\x02\x32" + sstr("Cursor") + "\x07" + sstr("crIBeam")
        + sstr("Color") + QByteArray::fromHex("04f9f9f900") + sstr("Font.Charset") + "\x07"
        + sstr("DEFAULT_CHARSET") + sstr("Font.Color") + "\x07" + sstr("clWindowText")
        + sstr("Font.Height") + "\x02\xf0" + sstr("Font.Name") + "\x06" + sstr("Arial")
        + sstr("Font.Style") + QByteArray("\x0b\x00", 2) + sstr("Lines.Strings") + "\x01\x06"
        + sstr("Hi") + QByteArray(1, '\0') + sstr("ParentFont") + "\x08" + sstr("ParentShowHint")
        + "\x08" + sstr("PopupMenu") + "\x07" + sstr("frmPrint.PopupMenu1") + sstr("ShowHint")
        + "\x09" + sstr("TabOrder") + QByteArray("\x02\x00", 2));
    const TextBoxData box = sampleBox();
    QCOMPARE(encodeTextBox(box, 0, 96), golden);
    QCOMPARE(decodeTextBox(golden, 96), box);

    PageLayout page;
    page.boxes = {box};
    const QByteArray bytes = encodeLayout(page);
    QCOMPARE(int32At(bytes, 0), bytes.size());
    QCOMPARE(int32At(bytes, 18), kLayoutTextBoxMarker);
    QCOMPARE(int32At(bytes, 22), 1);
    QCOMPARE(int32At(bytes, 26), golden.size());
    QCOMPARE(bytes.mid(30, golden.size()), golden);
    QCOMPARE(int32At(bytes, bytes.size() - 4), golden.size()); // trailer repeats the length
    QCOMPARE(bytes.size(), 30 + golden.size() + 4);

    const DecodedLayout d = decodeLayout(bytes, 96);
    QCOMPARE(d.status, DecodedLayout::Status::Ok);
    QCOMPARE(d.boxes, QList<TextBoxData>{box});
}

void TestLayoutFile::picturesOfEveryKindAndTwoBoxes()
{
    QImage red(5, 4, QImage::Format_RGB32);
    red.fill(Qt::red);
    const QByteArray jpeg = encoded(red, "JPEG");
    const QByteArray ico = encoded(red, "ICO");
    const QByteArray wmf = wmfBytes();
    QVERIFY(!wmf.isEmpty());

    PageLayout page;
    page.ppiX = 50;
    page.ppiY = 40;
    page.pictures = {
        {bitmap(Qt::green), QRect(10, 20, 30, 40)},
        {Picture::fromBytes(jpeg, Picture::Kind::Jpeg), QRect(0, 0, 50, 40)},
        {Picture::fromBytes(kGif, Picture::Kind::Gif), QRect(5, 4, 1, 1)},
        {Picture::fromBytes(wmf, Picture::Kind::Metafile), QRect(100, 80, 40, 30)},
        {Picture::fromBytes(ico, Picture::Kind::Icon), QRect(1, 2, 5, 4)},
    };
    const QString emfPath = vztest::testDataDir() + QStringLiteral("metafiles/test_libuemf_ref.emf");
    QByteArray emf;
    if (QFile f(emfPath); !vztest::testDataDir().isEmpty() && f.open(QIODevice::ReadOnly)) {
        emf = f.readAll();
        page.pictures.append({Picture::fromBytes(emf, Picture::Kind::Metafile), QRect(0, 0, 10, 10)});
        QCOMPARE(page.pictures.last().picture.kind(), Picture::Kind::EnhancedMetafile);
    }
    TextBoxData second = sampleBox(QStringLiteral("one\r\ntwo"));
    second.tag = 1;
    page.boxes = {sampleBox(), second};

    const QByteArray bytes = encodeLayout(page);
    const qint32 n = qint32(page.pictures.size());
    const QList<qint32> kinds = {1, 3, 4, 2, 1, 2};
    QList<QByteArray> expectedData = {page.pictures[0].picture.saveData(), jpeg, kGif,
                                      page.pictures[3].picture.saveData(), QByteArray(), emf};
    qsizetype at = 18;
    for (qint32 i = 0; i < n; ++i) {
        QCOMPARE(int32At(bytes, at), n);
        QCOMPARE(int32At(bytes, at + 4), kinds[i]);
        const qint32 len = int32At(bytes, at + 8);
        const QByteArray data = bytes.mid(at + 12, len);
        if (i == 4)
            QVERIFY(data.startsWith("BM")); // the icon as a bitmap
        else
            QCOMPARE(data, expectedData[i]);
        at += 12 + len;
        const QRect &r = page.pictures[i].rect;
        // The inches stand unaligned in the stream.
        const auto inch = [&](int k) { return qFromLittleEndian<double>(bytes.constData() + at + 8 * k); };
        QCOMPARE(inch(0), r.top() / 40.0);
        QCOMPARE(inch(1), r.left() / 50.0);
        QCOMPARE(inch(2), r.height() / 40.0);
        QCOMPARE(inch(3), r.width() / 50.0);
        at += 32;
    }
    QVERIFY(wmf.startsWith(QByteArray::fromHex("d7cdc69a"))); // placeable, as held
    qint32 lastLength = 0;
    for (int i = 0; i < 2; ++i) {
        QCOMPARE(int32At(bytes, at), kLayoutTextBoxMarker);
        QCOMPARE(int32At(bytes, at + 4), 2);
        lastLength = int32At(bytes, at + 8);
        at += 12 + lastLength;
    }
    QCOMPARE(int32At(bytes, at), lastLength);
    QCOMPARE(at + 4, bytes.size());

    const DecodedLayout d = decodeLayout(bytes, 96);
    QCOMPARE(d.status, DecodedLayout::Status::Ok);
    QCOMPARE(d.pictures.size(), page.pictures.size());
    const QList<Picture::Kind> back = {Picture::Kind::Bitmap, Picture::Kind::Jpeg, Picture::Kind::Gif,
                                       Picture::Kind::Metafile, Picture::Kind::Bitmap,
                                       Picture::Kind::EnhancedMetafile};
    for (qsizetype i = 0; i < d.pictures.size(); ++i) {
        QCOMPARE(d.pictures[i].picture.kind(), back[i]);
        QCOMPARE(layoutPictureRect(d.pictures[i], 50, 40), std::optional<QRect>(page.pictures[i].rect));
    }
    QCOMPARE(d.pictures[1].picture.sourceBytes(), jpeg);
    QCOMPARE(d.pictures[2].picture.sourceBytes(), kGif);
    QCOMPARE(d.pictures[4].picture.image().pixel(2, 2), qRgb(255, 0, 0));
    QCOMPARE(d.boxes, page.boxes);
}

void TestLayoutFile::laterUnknownKindReadsAsLastKind()
{
    PageLayout page;
    page.pictures = {{bitmap(Qt::blue), QRect(0, 0, 4, 3)}, {bitmap(Qt::yellow), QRect(4, 0, 4, 3)}};
    QByteArray bytes = encodeLayout(page);
    const qsizetype second = 18 + 12 + int32At(bytes, 26) + 32;
    setInt32(bytes, second + 4, 9);
    const DecodedLayout d = decodeLayout(bytes, 96);
    QCOMPARE(d.status, DecodedLayout::Status::Ok);
    QCOMPARE(d.pictures.size(), 2);
    QCOMPARE(d.pictures[1].picture.kind(), Picture::Kind::Bitmap);
    QCOMPARE(d.pictures[1].picture.image().pixel(0, 0), qRgb(255, 255, 0));
}

void TestLayoutFile::tooManyPictures()
{
    PageLayout page;
    const Picture dot = bitmap(Qt::black, QSize(1, 1));
    page.pictures.fill({dot, QRect(0, 0, 1, 1)}, kMaxLayoutPictures);
    const QByteArray bytes = encodeLayout(page);
    QCOMPARE(int32At(bytes, 18), 4500);

    page.pictures.append({dot, QRect(0, 0, 1, 1)});
    try {
        encodeLayout(page);
        QFAIL("a page of 4501 pictures was encoded");
    } catch (const FileError &e) {
        QCOMPARE(e.message(), QStringLiteral("This page has too many pictures to be saved."));
    }
}

void TestLayoutFile::headerErrors_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("status");

    PageLayout page;
    page.boxes = {sampleBox()};
    const QByteArray good = encodeLayout(page);
    const int corrupt = int(DecodedLayout::Status::HeaderCorrupt);
    QTest::newRow("one byte more") << good + 'x' << corrupt;
    QTest::newRow("one byte less") << good.chopped(1) << corrupt;
    QByteArray vy = good;
    vy[5] = 'Y';
    QTest::newRow("magic VY") << vy << corrupt;
    for (const int n : {0, 4, 6, 13}) {
        QByteArray cut = good.left(n);
        if (n >= 4)
            fixLength(cut);
        QTest::newRow(qPrintable(QStringLiteral("%1 bytes").arg(n))) << cut << corrupt;
    }
    QByteArray v2 = good;
    v2[6] = 2;
    QTest::newRow("version 2") << v2 << int(DecodedLayout::Status::Version);
    QByteArray big = good;
    big[13] = char(0x80);
    QTest::newRow("negative version") << big << int(DecodedLayout::Status::Version);
    // A header alone passes; the missing orientation is a body fault.
    QByteArray headOnly = good.left(14);
    fixLength(headOnly);
    QTest::newRow("header only") << headOnly << int(DecodedLayout::Status::BodyError);
}

void TestLayoutFile::headerErrors()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, status);
    const DecodedLayout d = decodeLayout(bytes, 96);
    QCOMPARE(int(d.status), status);
    QVERIFY(d.pictures.isEmpty() && d.boxes.isEmpty());
    if (d.status == DecodedLayout::Status::Version && d.version == 2) {
        QCOMPARE(layoutVersionText(d.version),
                 QStringLiteral("This version of ZO Dodiduv cannot open the file specified.\r"
                                "It requires version 2.00."));
    }
}

void TestLayoutFile::bodyErrors_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("pictures");
    QTest::addColumn<int>("boxes");

    PageLayout page;
    page.pictures = {{bitmap(Qt::red), QRect(0, 0, 4, 3)}, {bitmap(Qt::blue), QRect(4, 0, 4, 3)}};
    page.boxes = {sampleBox(), sampleBox(QStringLiteral("second"))};
    const QByteArray good = encodeLayout(page);
    const qsizetype second = 18 + 12 + int32At(good, 26) + 32;
    const qsizetype boxes = second + 12 + int32At(good, second + 8) + 32;
    const qsizetype box2 = boxes + 12 + int32At(good, boxes + 8);

    QByteArray b = good;
    setInt32(b, second + 8, int32At(b, second + 8) + 1000000);
    QTest::newRow("picture data past the end") << b << 1 << 0;
    b = good;
    setInt32(b, second + 8, -5);
    QTest::newRow("negative data length") << b << 1 << 0;
    b = good;
    setInt32(b, 18, -1);
    QTest::newRow("negative picture count") << b << 0 << 0;
    b = good;
    setInt32(b, 22, 7);
    QTest::newRow("first kind 7") << b << 0 << 0;
    b = good;
    qToLittleEndian(std::numeric_limits<double>::quiet_NaN(), b.data() + boxes - 32);
    QTest::newRow("NaN inch") << b << 1 << 0;
    b = good;
    qToLittleEndian(-1.0, b.data() + boxes - 8);
    QTest::newRow("negative width") << b << 1 << 0;
    b = good;
    b.replace(second + 12, 2, "XX");
    QTest::newRow("unreadable bitmap") << b << 1 << 0;
    b = good;
    b[box2 + 12 + 3] = '1';
    QTest::newRow("wrong TPF0") << b << 2 << 1;
    b = good;
    setInt32(b, boxes + 4, -3);
    QTest::newRow("negative box count") << b << 2 << 0;
    b = good.left(box2 + 30);
    fixLength(b);
    QTest::newRow("cut stream") << b << 2 << 1;
    b = good.left(boxes + 2);
    fixLength(b);
    QTest::newRow("cut at the marker") << b << 2 << 0;
}

void TestLayoutFile::bodyErrors()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, pictures);
    QFETCH(int, boxes);
    const DecodedLayout d = decodeLayout(bytes, 96);
    QCOMPARE(d.status, DecodedLayout::Status::BodyError);
    QCOMPARE(d.pictures.size(), pictures);
    QCOMPARE(d.boxes.size(), boxes);
    if (pictures > 0)
        QCOMPARE(d.pictures[0].picture.image().pixel(0, 0), qRgb(255, 0, 0));
    if (boxes > 0)
        QCOMPARE(d.boxes[0], sampleBox());
}

void TestLayoutFile::picturesScaleToAnotherPage()
{
    PageLayout page;
    page.ppiX = page.ppiY = 50; // a page 500 pixels high
    page.pictures = {{bitmap(Qt::red), QRect(100, 200, 150, 250)}, {bitmap(Qt::red), QRect(5, 15, 10, 10)}};
    page.boxes = {sampleBox()};
    const DecodedLayout d = decodeLayout(encodeLayout(page), 96);
    QCOMPARE(d.status, DecodedLayout::Status::Ok);
    // Loaded at 40: four fifths; halves round to even (2.5 → 2, 7.5 → 8).
    QCOMPARE(layoutPictureRect(d.pictures[0], 40, 40), std::optional<QRect>(QRect(80, 160, 120, 200)));
    QCOMPARE(layoutPictureRect(d.pictures[1], 20, 20), std::optional<QRect>(QRect(2, 6, 4, 4)));
    QCOMPARE(layoutPictureRect(d.pictures[1], 25, 25)->topLeft(), QPoint(2, 8));
    QCOMPARE(d.boxes[0].bounds, sampleBox().bounds); // boxes keep their pixels
    DecodedPicture huge = d.pictures[0];
    huge.left = 1e6;
    QVERIFY(!layoutPictureRect(huge, 40, 40));
    QVERIFY(layoutPictureRect(d.pictures[0], 1e12, 40) == std::nullopt);
}

// The fuzz seeds are built by hand, apart from the encoder: they read as
// the files they describe.
void TestLayoutFile::handBuiltFilesRead()
{
    const QString dir = QStringLiteral(VZ_SOURCE_DIR "/fuzz/corpus/layoutfile/");
    const struct { const char *name; bool landscape; int pictures; int boxes; } files[] = {
        {"empty.vzl", false, 0, 0}, {"onebox.vzl", true, 0, 1}, {"pictures.vzl", false, 2, 2}};
    for (const auto &f : files) {
        QFile file(dir + QLatin1StringView(f.name));
        QVERIFY2(file.open(QIODevice::ReadOnly), f.name);
        const DecodedLayout d = decodeLayout(file.readAll(), 96);
        QCOMPARE(d.status, DecodedLayout::Status::Ok);
        QCOMPARE(d.landscape, f.landscape);
        QCOMPARE(d.pictures.size(), f.pictures);
        QCOMPARE(d.boxes.size(), f.boxes);
        for (const TextBoxData &box : d.boxes) {
            QCOMPARE(box.bounds, QRect(10, 20, 100, 50));
            QCOMPARE(box.alignment, int(TextAlign::Center));
            QVERIFY(!box.borderSingle && box.borderFlag && box.bold && box.italic);
            QVERIFY(box.text.endsWith(QStringLiteral("\r\n\u041f\u0440")));
        }
    }
}

void TestLayoutFile::integerEdges_data()
{
    QTest::addColumn<qint64>("value");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("0") << qint64(0) << QByteArray::fromHex("0200");
    QTest::newRow("-1") << qint64(-1) << QByteArray::fromHex("02ff");
    QTest::newRow("127") << qint64(127) << QByteArray::fromHex("027f");
    QTest::newRow("-128") << qint64(-128) << QByteArray::fromHex("0280");
    QTest::newRow("128") << qint64(128) << QByteArray::fromHex("038000");
    QTest::newRow("-129") << qint64(-129) << QByteArray::fromHex("037fff");
    QTest::newRow("32767") << qint64(32767) << QByteArray::fromHex("03ff7f");
    QTest::newRow("-32768") << qint64(-32768) << QByteArray::fromHex("030080");
    QTest::newRow("32768") << qint64(32768) << QByteArray::fromHex("0400800000");
    QTest::newRow("-32769") << qint64(-32769) << QByteArray::fromHex("04ff7fffff");
    QTest::newRow("int32 max") << qint64(INT32_MAX) << QByteArray::fromHex("04ffffff7f");
    QTest::newRow("int32 min") << qint64(INT32_MIN) << QByteArray::fromHex("0400000080");
    QTest::newRow("int32 max + 1") << qint64(INT32_MAX) + 1 << QByteArray::fromHex("130000008000000000");
    QTest::newRow("int64 min") << std::numeric_limits<qint64>::min() << QByteArray::fromHex("130000000000000080");
}

void TestLayoutFile::integerEdges()
{
    QFETCH(qint64, value);
    QFETCH(QByteArray, bytes);
    ComponentWriter w;
    w.writeInteger(value);
    QCOMPARE(w.data(), bytes);
    ComponentReader r(bytes);
    const ComponentValue v = r.readValue();
    QVERIFY(v.isInteger());
    QCOMPARE(v.integer, value);
    QCOMPARE(r.position(), bytes.size());
    // Cut by one byte, the value is refused rather than read past the end.
    ComponentReader cut(QByteArrayView(bytes).chopped(1));
    QVERIFY_THROWS_EXCEPTION(ComponentStreamError, cut.readValue());
}

void TestLayoutFile::strings_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    const QString a255(255, QLatin1Char('a')), a256(256, QLatin1Char('a'));
    QTest::newRow("empty") << QString() << QByteArray::fromHex("0600");
    QTest::newRow("255 bytes") << a255 << "\x06\xff" + a255.toLatin1();
    QTest::newRow("256 bytes") << a256 << "\x0c" + le32(256) + a256.toLatin1();
    QTest::newRow("Latin-1") << QStringLiteral("caf\u00e9") << QByteArray("\x06\x04" "caf\xe9");
    QTest::newRow("euro in 1252") << QStringLiteral("\u20ac5") << QByteArray("\x06\x02\x80" "5");
    QTest::newRow("Cyrillic as wide") << QStringLiteral("\u041f\u0440")
                                      << QByteArray("\x12", 1) + le32(2) + QByteArray::fromHex("1f044004");
    QTest::newRow("emoji as wide") << QStringLiteral("a\U0001F600")
                                   << QByteArray("\x12", 1) + le32(3) + QByteArray::fromHex("61003dd800de");
}

void TestLayoutFile::strings()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    ComponentWriter w;
    w.writeString(text);
    QCOMPARE(w.data(), bytes);
    ComponentReader r(bytes);
    const ComponentValue v = r.readValue();
    QVERIFY(v.isString());
    QCOMPARE(v.text, text);

    // The UTF-8 form reads as the same text.
    const QByteArray utf8 = text.toUtf8();
    const QByteArray wide = QByteArray("\x14", 1) + le32(qint32(utf8.size())) + utf8;
    ComponentReader u(wide);
    QCOMPARE(u.readValue().text, text);

    // A font name and a line that 1252 cannot hold survive a whole box.
    TextBoxData box = sampleBox(text.isEmpty() ? QStringLiteral("x") : text);
    box.fontName = text.isEmpty() ? QStringLiteral("Arial") : text;
    QCOMPARE(decodeTextBox(encodeTextBox(box, 3, 96), 96), box);
}

void TestLayoutFile::unknownPropertiesOfEveryTypeAreSkipped()
{
    const QByteArray extended = QByteArray::fromHex("0000000000000080ff3f"); // 1.0
    const QByteArray props =
        sstr("A") + QByteArray(1, '\0')                                          // end-of-list value
        + sstr("B") + "\x01\x02\x05\x06\x02xy" + QByteArray(1, '\0')            // list
        + sstr("C") + "\x05" + extended + sstr("D") + "\x07" + sstr("idName")
        + sstr("E") + "\x08" + sstr("F") + "\x09" + sstr("G") + "\x0a" + le32(3) + "abc"
        + sstr("H") + "\x0b" + sstr("one") + sstr("two") + QByteArray(1, '\0')
        + sstr("I") + "\x0d"
        + sstr("J") + "\x0e\x01" + sstr("P") + "\x02\x01" + QByteArray(1, '\0')  // collection item
        + "\x02\x07\x01" + sstr("Q") + "\x09" + QByteArray(2, '\0')             // with an order value
        + sstr("K") + "\x0f" + QByteArray::fromHex("0000803f")
        + sstr("L") + "\x10" + QByteArray(8, '\x01') + sstr("M") + "\x11" + QByteArray(8, '\0')
        + sstr("N") + "\x13" + QByteArray(8, '\x7f') + sstr("O") + "\x14" + le32(2) + "ok"
        + sstr("Font.Name") + "\x06" + sstr("Symbolic");
    const TextBoxData box = decodeTextBox(memoStream(props), 96);
    QCOMPARE(box.fontName, QStringLiteral("Symbolic"));

    const QByteArray ten = QByteArray("\x05", 1) + extended;
    ComponentReader r(ten);
    QCOMPARE(r.readValue().real, 1.0);
}

void TestLayoutFile::badTextBoxStreams_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QByteArray>("properties");
    const QByteArray none;
    QTest::newRow("unknown colour") << none << sstr("Font.Color") + "\x07" + sstr("clPlaid");
    QTest::newRow("unknown charset") << none << sstr("Font.Charset") + "\x07" + sstr("KLINGON_CHARSET");
    QTest::newRow("unknown alignment") << none << sstr("Alignment") + "\x07" + sstr("taJustify");
    QTest::newRow("unknown border") << none << sstr("BorderStyle") + "\x07" + sstr("bsDouble");
    QTest::newRow("unknown style") << none << sstr("Font.Style") + "\x0b" + sstr("fsWavy") + QByteArray(1, '\0');
    QTest::newRow("height 0") << none << sstr("Font.Height") + QByteArray("\x02\x00", 2);
    QTest::newRow("height 10001") << none << sstr("Font.Height") + "\x03\x11\x27";
    QTest::newRow("height -10001") << none << sstr("Font.Height") + "\x03\xef\xd8";
    QTest::newRow("left beyond a million") << none << sstr("Left") + "\x04" + le32(1000001);
    QTest::newRow("negative width") << none << sstr("Width") + "\x02\xff";
    QTest::newRow("name as integer") << none << sstr("Font.Name") + "\x02\x01";
    QTest::newRow("unknown value type") << none << sstr("Zzz") + "\x15";
    QTest::newRow("long string past the end") << none << sstr("Zzz") + "\x0c" + le32(1000);
    QTest::newRow("negative binary length") << none << sstr("Zzz") + "\x0a" + le32(-1);
    QTest::newRow("wide string past the end") << none << sstr("Zzz") + "\x12" + le32(0x40000000);
    QByteArray deep = sstr("Zzz");
    for (int i = 0; i < 70; ++i)
        deep += '\x01';
    deep += QByteArray(70, '\0');
    QTest::newRow("lists 70 deep") << none << deep;
    QTest::newRow("no TPF0") << QByteArray("TPF1\x05TMemo\x00\x00\x00", 13) << none;
    QTest::newRow("a child component") << QByteArray("TPF0\x05TMemo\x00\x00\x01", 13) << none;
    QTest::newRow("no end") << QByteArray("TPF0\x05TMemo\x00", 11) << none;
    QTest::newRow("class name past the end") << QByteArray("TPF0\x45TMemo", 10) << none;
}

void TestLayoutFile::badTextBoxStreams()
{
    QFETCH(QByteArray, stream);
    QFETCH(QByteArray, properties);
    if (stream.isEmpty())
        stream = memoStream(properties);
    QVERIFY_THROWS_EXCEPTION(ComponentStreamError, decodeTextBox(stream, 96));
}

void TestLayoutFile::colorNames()
{
    const struct { const char *name; ColorValue value; } names[] = {
        {"clBlack", 0x000000}, {"clMaroon", 0x000080}, {"clGreen", 0x008000}, {"clOlive", 0x008080},
        {"clNavy", 0x800000}, {"clPurple", 0x800080}, {"clTeal", 0x808000}, {"clGray", 0x808080},
        {"clSilver", 0xC0C0C0}, {"clRed", 0x0000FF}, {"clLime", 0x00FF00}, {"clYellow", 0x00FFFF},
        {"clBlue", 0xFF0000}, {"clFuchsia", 0xFF00FF}, {"clAqua", 0xFFFF00}, {"clWhite", 0xFFFFFF},
        {"clMoneyGreen", 0xC0DCC0}, {"clSkyBlue", 0xF0CAA6}, {"clCream", 0xF0FBFF},
        {"clMedGray", 0xA4A0A0}, {"clNone", 0x1FFFFFFF}, {"clDefault", 0x20000000},
        {"clScrollBar", 0x80000000}, {"clBackground", 0x80000001}, {"clActiveCaption", 0x80000002},
        {"clInactiveCaption", 0x80000003}, {"clMenu", 0x80000004}, {"clWindow", 0x80000005},
        {"clWindowFrame", 0x80000006}, {"clMenuText", 0x80000007}, {"clWindowText", 0x80000008},
        {"clCaptionText", 0x80000009}, {"clActiveBorder", 0x8000000A},
        {"clInactiveBorder", 0x8000000B}, {"clAppWorkSpace", 0x8000000C},
        {"clHighlight", 0x8000000D}, {"clHighlightText", 0x8000000E}, {"clBtnFace", 0x8000000F},
        {"clBtnShadow", 0x80000010}, {"clGrayText", 0x80000011}, {"clBtnText", 0x80000012},
        {"clInactiveCaptionText", 0x80000013}, {"clBtnHighlight", 0x80000014},
        {"cl3DDkShadow", 0x80000015}, {"cl3DLight", 0x80000016}, {"clInfoText", 0x80000017},
        {"clInfoBk", 0x80000018}, {"clHotLight", 0x8000001A},
        {"clGradientActiveCaption", 0x8000001B}, {"clGradientInactiveCaption", 0x8000001C},
        {"clMenuHighlight", 0x8000001D}, {"clMenuBar", 0x8000001E},
    };
    for (const auto &n : names) {
        const QString name = QLatin1StringView(n.name);
        QCOMPARE(colorFromIdentifier(name), std::optional<ColorValue>(n.value));
        QCOMPARE(colorIdentifier(n.value), name);
        TextBoxData box = sampleBox();
        box.color = n.value;
        const QByteArray stream = encodeTextBox(box, 0, 96);
        QVERIFY2(stream.contains(sstr("Font.Color") + '\x07' + sstr(n.name)), n.name);
        QCOMPARE(decodeTextBox(stream, 96).color, n.value);
    }
    // A colour without a name is written as its integer and read back.
    TextBoxData box = sampleBox();
    box.color = 0x123456;
    const QByteArray stream = encodeTextBox(box, 0, 96);
    QVERIFY(stream.contains(sstr("Font.Color") + '\x04' + le32(0x123456)));
    QCOMPARE(decodeTextBox(stream, 96).color, ColorValue(0x123456));
    QVERIFY(!colorFromIdentifier(QStringLiteral("clLtGrayish")));
}

void TestLayoutFile::charsetNames()
{
    const struct { const char *name; int value; } names[] = {
        {"ANSI_CHARSET", 0}, {"DEFAULT_CHARSET", 1}, {"SYMBOL_CHARSET", 2}, {"MAC_CHARSET", 77},
        {"SHIFTJIS_CHARSET", 128}, {"HANGEUL_CHARSET", 129}, {"JOHAB_CHARSET", 130},
        {"GB2312_CHARSET", 134}, {"CHINESEBIG5_CHARSET", 136}, {"GREEK_CHARSET", 161},
        {"TURKISH_CHARSET", 162}, {"VIETNAMESE_CHARSET", 163}, {"HEBREW_CHARSET", 177},
        {"ARABIC_CHARSET", 178}, {"BALTIC_CHARSET", 186}, {"RUSSIAN_CHARSET", 204},
        {"THAI_CHARSET", 222}, {"EASTEUROPE_CHARSET", 238}, {"OEM_CHARSET", 255},
    };
    for (const auto &n : names) {
        TextBoxData box = sampleBox();
        box.charset = n.value;
        const QByteArray stream = encodeTextBox(box, 0, 96);
        QVERIFY2(stream.contains(sstr("Font.Charset") + '\x07' + sstr(n.name)), n.name);
        QCOMPARE(decodeTextBox(stream, 96).charset, n.value);
    }
    TextBoxData box = sampleBox();
    box.charset = 100; // no name: an integer
    QCOMPARE(decodeTextBox(encodeTextBox(box, 0, 96), 96).charset, 100);
}

void TestLayoutFile::fontHeight_data()
{
    QTest::addColumn<int>("dpi");
    QTest::addColumn<int>("points");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("readBack"); // the size `height` reads as
    QTest::newRow("96: 12") << 96 << 12 << -16 << 12;
    QTest::newRow("96: 10") << 96 << 10 << -13 << 10;  // 13.33; 9.75 back
    QTest::newRow("96: 1") << 96 << 1 << -1 << 1;       // 1.33; 0.75 back
    QTest::newRow("120: 9") << 120 << 9 << -15 << 9;
    QTest::newRow("120: 11") << 120 << 11 << -18 << 11; // 18.33; 10.8 back
    QTest::newRow("120: 3") << 120 << 3 << -5 << 3;     // exactly 5
    QTest::newRow("144: 7") << 144 << 7 << -14 << 7;
    QTest::newRow("144: 5") << 144 << 5 << -10 << 5;
}

void TestLayoutFile::fontHeight()
{
    QFETCH(int, dpi);
    QFETCH(int, points);
    QFETCH(int, height);
    QFETCH(int, readBack);
    QCOMPARE(fontHeightFromSize(points, dpi), height);
    QCOMPARE(fontSizeFromHeight(height, dpi), readBack);
    TextBoxData box = sampleBox();
    box.fontSize = points;
    const QByteArray stream = encodeTextBox(box, 0, dpi);
    QVERIFY(stream.contains(sstr("Font.Height") + '\x02' + char(height)));
    QCOMPARE(decodeTextBox(stream, dpi).fontSize, readBack);
    // Halves go away from zero: 2.5 points is 3, -2.5 is -3.
    QCOMPARE(fontSizeFromHeight(-5, 144), 3);
    QCOMPARE(fontSizeFromHeight(5, 144), 3);
    QCOMPARE(fontHeightFromSize(3, 60), -3); // 2.5
}

void TestLayoutFile::boxPropertiesRoundTrip()
{
    TextBoxData box;
    box.bounds = QRect(-5, 7, 300, 0);
    box.text = QStringLiteral("first\r\n\r\nthird\r\n"); // an empty last line is left out
    box.fontName = QStringLiteral("Times New Roman");
    box.fontSize = 30;
    box.bold = box.underline = true;
    box.color = 0x0000FF;
    box.charset = 0;
    box.alignment = int(TextAlign::Center);
    box.borderSingle = false;
    box.borderFlag = false;
    box.tag = 7;
    const QByteArray stream = encodeTextBox(box, 4, 120);
    QVERIFY(stream.contains(sstr("Tag") + "\x02\x07"));
    QVERIFY(stream.contains(sstr("Alignment") + "\x07" + sstr("taCenter")));
    QVERIFY(stream.contains(sstr("BorderStyle") + "\x07" + sstr("bsNone")));
    QVERIFY(stream.contains(sstr("Font.Style") + "\x0b" + sstr("fsBold") + sstr("fsUnderline") + '\0'));
    QVERIFY(stream.contains(sstr("TabOrder") + "\x02\x04"));
    const TextBoxData back = decodeTextBox(stream, 120);
    TextBoxData expected = box;
    expected.text = QStringLiteral("first\r\n\r\nthird");
    QCOMPARE(back, expected);

    // The defaults are left out: left alignment, a single border, tag 0, no text.
    TextBoxData plain = sampleBox(QString());
    const QByteArray p = encodeTextBox(plain, 0, 96);
    for (const char *omitted : {"Tag", "Alignment", "BorderStyle", "Lines.Strings"})
        QVERIFY2(!p.contains(sstr(omitted)), omitted);
    QCOMPARE(decodeTextBox(p, 96), plain);
    // Right alignment, and any PopupMenu value means the page's menu.
    box.alignment = int(TextAlign::Right);
    QByteArray right = encodeTextBox(box, 0, 120);
    QVERIFY(right.contains(sstr("taRightJustify")));
    right.replace(sstr("frmPrint.PopupMenu1"), sstr("other.Menu"));
    QCOMPARE(decodeTextBox(right, 120).alignment, int(TextAlign::Right));
}

// vztool layout dump, run as a process.
void TestLayoutFile::dumpCommand()
{
    const QString tool = QStringLiteral(VZ_PROGRAM_DIR "/vztool");
    if (!QFile::exists(tool))
        QSKIP("vztool not built");
    const auto run = [&](const QStringList &args, QString *stdOut, QString *stdErr) {
        QProcess p;
        p.start(tool, args);
        if (!p.waitForFinished(60000))
            return -1;
        *stdOut = QString::fromUtf8(p.readAllStandardOutput());
        *stdErr = QString::fromUtf8(p.readAllStandardError());
        return p.exitCode();
    };
    QTemporaryDir dir;
    PageLayout page;
    page.landscape = true;
    page.pictures = {{bitmap(Qt::red, QSize(6, 5)), QRect(0, 96, 192, 48)}};
    page.boxes = {sampleBox(QStringLiteral("Hello"))};
    const QByteArray good = encodeLayout(page);
    const QString goodPath = dir.filePath(QStringLiteral("good.VZL"));
    QFile f(goodPath);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(good) == good.size());
    f.close();
    QString o, e;
    QCOMPARE(run({QStringLiteral("layout"), QStringLiteral("dump"), goodPath, QStringLiteral("--lines")}, &o, &e), 0);
    for (const QString &line : {QStringLiteral("length %1 (matching").arg(good.size()), QStringLiteral("magic \"VZ\""),
                                QStringLiteral("orientation 1 (landscape)"),
                                QStringLiteral("picture 1: kind 1, "), QStringLiteral("top 1 left 0 height 0.5 width 2 in, 6x5"),
                                QStringLiteral("    Font.Height = -16 (12 pt at 96 dpi)"),
                                QStringLiteral("    Lines.Strings = (\"Hello\")"), QStringLiteral("\tHello\n"),
                                QStringLiteral("trailer %1").arg(int32At(good, good.size() - 4))})
        QVERIFY2(o.contains(line), qPrintable(line + QStringLiteral(" not in:\n") + o));

    QByteArray v2 = good;
    v2[6] = 2;
    const QString v2Path = dir.filePath(QStringLiteral("v2.VZL"));
    QFile g(v2Path);
    QVERIFY(g.open(QIODevice::WriteOnly) && g.write(v2) == v2.size());
    g.close();
    QCOMPARE(run({QStringLiteral("layout"), QStringLiteral("dump"), v2Path}, &o, &e), 1);
    QVERIFY2(e.contains(QStringLiteral("It requires version 2.00.")), qPrintable(e));
    QCOMPARE(run({QStringLiteral("layout"), QStringLiteral("dump"), dir.filePath(QStringLiteral("none.VZL"))}, &o, &e), 1);
    QVERIFY(e.contains(QStringLiteral("The file you requested does not exist.")));
    QCOMPARE(run({QStringLiteral("layout"), QStringLiteral("show")}, &o, &e), 2);
}

QTEST_GUILESS_MAIN(TestLayoutFile)
#include "tst_layoutfile.moc"
