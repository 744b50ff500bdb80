// Text boxes rendered for printing: the metafile played back has ink where
// the layout put the text, the outline only with the border, no background;
// libwmf reads every rendered box. Real fonts through fontconfig.

#include "testutils.h"

#include "metafile/WmfGenerator.h"
#include "printpage/TPolyTextLines.h"
#include "printpage/TextBoxRender.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

using namespace vz;

namespace {

constexpr int kDpi = 96;

TextBoxData sampleBox()
{
    TextBoxData box;
    box.bounds = QRect(120, 80, 300, 160);
    box.text = QStringLiteral("The quick brown fox jumps over the lazy dog.\r\n\r\nPack my box with five dozen liquor jugs.");
    box.fontName = QStringLiteral("Arial");
    box.fontSize = 12;
    box.tag = 3;
    return box;
}

// The lines as the engine places them for `box`, in picture pixels (the
// box's corner at (5, 5)), measured on a metafile device as the renderer does.
struct PlacedLine
{
    QRect rect; // text cell: left .. left + width, top .. top + line height
    QString text;
};

QList<PlacedLine> expectedLines(const TextBoxData &box)
{
    mf::WmfGenerator device;
    device.setSize(box.bounds.size() + QSize(10, 10));
    device.setResolution(kDpi);
    QPainter p(&device);
    p.setFont(box.font());
    PainterTextCanvas canvas(&p);
    const QRect b = box.bounds;
    TPolyTextLines layout(&canvas, QPolygon({b.topLeft(), QPoint(b.left() + b.width(), b.top()),
                                             QPoint(b.left() + b.width(), b.top() + b.height()),
                                             QPoint(b.left(), b.top() + b.height())}));
    layout.setMargin(box.borderFlag ? 5 : 0);
    layout.SetAlignment(box.alignment);
    layout.SetText(box.text);
    QList<PlacedLine> out;
    for (const TPolyTextLine &line : layout.lines()) {
        if (line.text().isEmpty())
            continue;
        const int w = canvas.textWidth(line.text());
        int x = line.left();
        if (line.alignment() == 1)
            x = line.right() - w;
        else if (line.alignment() == 2)
            x = line.left() + (line.width() - w) / 2;
        out.append({QRect(x + 5 - b.left(), line.top() + 5 - b.top(), w, layout.lineHeight()), line.text()});
    }
    p.end();
    return out;
}

QImage played(const TextBoxPicture &pic)
{
    return pic.picture.render(pic.frame.size(), Qt::white, true).convertToFormat(QImage::Format_RGB32);
}

bool isInk(QRgb c)
{
    return qGray(c) < 160;
}

// Ink pixels inside `r` (clipped to the image).
int inkIn(const QImage &img, const QRect &r)
{
    const QRect c = r & img.rect();
    int n = 0;
    for (int y = c.top(); y <= c.bottom(); ++y) {
        const QRgb *row = reinterpret_cast<const QRgb *>(img.constScanLine(y));
        for (int x = c.left(); x <= c.right(); ++x)
            n += isInk(row[x]) ? 1 : 0;
    }
    return n;
}

// Pixels that are not pure white outside every rectangle of `keep`.
int markedOutside(const QImage &img, const QList<QRect> &keep)
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y) {
        const QRgb *row = reinterpret_cast<const QRgb *>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            if ((row[x] & 0xFFFFFF) == 0xFFFFFF)
                continue;
            bool kept = false;
            for (const QRect &r : keep)
                kept = kept || r.contains(x, y);
            n += kept ? 0 : 1;
        }
    }
    return n;
}

void checkLibwmfReads(const QByteArray &wmf, const QString &name)
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("wmf2svg"));
    if (tool.isEmpty())
        QSKIP("wmf2svg (libwmf-bin) is not installed");
    vztest::Sandbox sandbox;
    const QString in = sandbox.write(name + QStringLiteral(".wmf"), wmf);
    QProcess proc;
    proc.start(tool, {QStringLiteral("-o"), sandbox.path(name + QStringLiteral(".svg")), in});
    QVERIFY(proc.waitForFinished(30000));
    QCOMPARE(proc.exitStatus(), QProcess::NormalExit);
    QVERIFY2(proc.exitCode() == 0, proc.readAllStandardError().constData());
    QFile svg(sandbox.path(name + QStringLiteral(".svg")));
    QVERIFY(svg.open(QIODevice::ReadOnly));
    QVERIFY(svg.readAll().contains("<svg"));
}

} // namespace

class TestTextBoxRender : public QObject
{
    Q_OBJECT

private slots:
    void frameAndTag();
    void inkWhereTheLayoutPutIt_data();
    void inkWhereTheLayoutPutIt();
    void outlineOnlyWithTheBorder_data();
    void outlineOnlyWithTheBorder();
    void textInTheFontColour();
    void charactersBeyondAnsi();
    void oddBoxesStillRender_data();
    void oddBoxesStillRender();
    void vztoolPrintsTheLines();
    void vztoolRefusesBadArguments_data();
    void vztoolRefusesBadArguments();
};

void TestTextBoxRender::frameAndTag()
{
    const TextBoxData box = sampleBox();
    const TextBoxPicture pic = renderTextBoxPicture(box, kDpi);
    QCOMPARE(pic.frame, QRect(116, 75, 310, 170));
    QCOMPARE(pic.tag, 3);
    QCOMPARE(pic.picture.kind(), Picture::Kind::Metafile);
    QCOMPARE(pic.picture.sourceBytes(), pic.wmf);
    QCOMPARE(pic.picture.size(), QSize(310, 170));
    QCOMPARE(textBoxPictureFrame(QRect(0, 0, 0, 0)), QRect(-4, -5, 10, 10));
}

void TestTextBoxRender::inkWhereTheLayoutPutIt_data()
{
    QTest::addColumn<int>("alignment");
    QTest::addColumn<bool>("border");
    QTest::newRow("left, no border") << 0 << false;
    QTest::newRow("right, border") << 1 << true;
    QTest::newRow("centre, border") << 2 << true;
}

void TestTextBoxRender::inkWhereTheLayoutPutIt()
{
    QFETCH(int, alignment);
    QFETCH(bool, border);
    TextBoxData box = sampleBox();
    box.alignment = alignment;
    box.borderFlag = border;
    box.borderSingle = border;
    const TextBoxPicture pic = renderTextBoxPicture(box, kDpi);
    const QImage img = played(pic);
    const QList<PlacedLine> lines = expectedLines(box);
    QVERIFY(lines.size() >= 3);

    QList<QRect> keep;
    for (const PlacedLine &line : lines) {
        QVERIFY2(inkIn(img, line.rect) > line.text.size(), qPrintable(line.text));
        // A character's ink may reach a pixel or two past its advance.
        keep << line.rect.adjusted(-2, -1, 2, 1);
    }
    if (border)
        keep << QRect(3, 3, box.bounds.width() + 5, box.bounds.height() + 5);
    else
        QCOMPARE(lines.front().rect.left(), 5); // at the box's own left edge: page x = left + 1
    // Nothing else is drawn: no grey background, no stray text.
    QCOMPARE(markedOutside(img, keep), 0);
    checkLibwmfReads(pic.wmf, QStringLiteral("box"));
}

void TestTextBoxRender::outlineOnlyWithTheBorder_data()
{
    QTest::addColumn<bool>("border");
    QTest::newRow("border on") << true;
    QTest::newRow("border off") << false;
}

void TestTextBoxRender::outlineOnlyWithTheBorder()
{
    QFETCH(bool, border);
    TextBoxData box = sampleBox();
    box.text.clear();
    box.borderFlag = border;
    const QImage img = played(renderTextBoxPicture(box, kDpi));
    const int w = box.bounds.width(), h = box.bounds.height();
    // The four sides, each checked along its middle part.
    const QList<QRect> sides = {QRect(20, 4, w - 30, 3), QRect(20, 4 + h, w - 30, 3), QRect(4, 20, 3, h - 30),
                                QRect(4 + w, 20, 3, h - 30)};
    for (const QRect &side : sides) {
        const int along = std::max(side.width(), side.height());
        if (border)
            QVERIFY2(inkIn(img, side) >= along, qPrintable(QStringLiteral("side %1,%2").arg(side.x()).arg(side.y())));
        else
            QCOMPARE(inkIn(img, side), 0);
    }
    if (!border)
        QCOMPARE(markedOutside(img, {}), 0);
}

void TestTextBoxRender::textInTheFontColour()
{
    TextBoxData box = sampleBox();
    box.color = 0x000000FF; // red, as 0x00BBGGRR
    box.bold = true;
    const QImage img = played(renderTextBoxPicture(box, kDpi));
    int red = 0, other = 0;
    for (int y = 0; y < img.height(); ++y) {
        const QRgb *row = reinterpret_cast<const QRgb *>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            if (qRed(row[x]) > 200 && qGreen(row[x]) < 60 && qBlue(row[x]) < 60)
                ++red;
            else if (isInk(row[x]) && qRed(row[x]) < 100)
                ++other;
        }
    }
    QVERIFY(red > 200);
    QCOMPARE(other, 0);
}

void TestTextBoxRender::charactersBeyondAnsi()
{
    // Polish and Greek letters have no Windows-1252 byte: they are drawn as
    // filled outlines, each where its advance puts it.
    TextBoxData box;
    box.bounds = QRect(0, 0, 400, 60);
    box.text = QStringLiteral("Łódź ΑΩ");
    box.fontSize = 20;
    const TextBoxPicture pic = renderTextBoxPicture(box, kDpi);
    const QImage img = played(pic);
    const QList<PlacedLine> lines = expectedLines(box);
    QCOMPARE(lines.size(), 1);
    const PlacedLine &line = lines.front();
    QCOMPARE(line.text, box.text);

    QImage probe(1, 1, QImage::Format_RGB32);
    const QFontMetricsF fm(box.font(), &probe);
    double x = line.rect.left();
    for (QChar c : box.text) {
        const double advance = fm.horizontalAdvance(c);
        if (!c.isSpace()) {
            const QRect cell(int(x + 1), line.rect.top(), std::max(1, int(advance) - 2), line.rect.height());
            QVERIFY2(inkIn(img, cell) > 5, qPrintable(QStringLiteral("no ink for %1").arg(c)));
        }
        x += advance;
    }
    checkLibwmfReads(pic.wmf, QStringLiteral("unicode"));
}

void TestTextBoxRender::oddBoxesStillRender_data()
{
    QTest::addColumn<TextBoxData>("box");
    TextBoxData zero;
    zero.bounds = QRect(10, 10, 0, 0);
    zero.text = QStringLiteral("nothing fits");
    zero.borderFlag = true;
    QTest::newRow("zero-sized") << zero;
    TextBoxData empty = sampleBox();
    empty.text.clear();
    QTest::newRow("empty text") << empty;
    TextBoxData missing = sampleBox();
    missing.fontName = QStringLiteral("No Such Font Family 12345");
    QTest::newRow("missing font") << missing;
    TextBoxData huge = sampleBox();
    huge.fontSize = 100000;
    QTest::newRow("size beyond 1000 points") << huge;
    TextBoxData tiny = sampleBox();
    tiny.fontSize = -3;
    QTest::newRow("negative size") << tiny;
}

void TestTextBoxRender::oddBoxesStillRender()
{
    QFETCH(TextBoxData, box);
    const TextBoxPicture pic = renderTextBoxPicture(box, kDpi);
    QVERIFY(!pic.wmf.isEmpty());
    QCOMPARE(pic.frame.size(), box.bounds.size() + QSize(10, 10));
    const QImage img = played(pic);
    QCOMPARE(img.size(), pic.frame.size());
    const QList<PlacedLine> lines = expectedLines(box);
    // Whatever the layout placed shows (a one-point font leaves no ink to
    // speak of); a box with no lines stays blank apart from its outline.
    if (box.font().pointSize() >= 4)
        for (const PlacedLine &line : lines)
            QVERIFY(inkIn(img, line.rect) > 0);
    if (lines.isEmpty() && !box.borderFlag)
        QCOMPARE(markedOutside(img, {}), 0);
    checkLibwmfReads(pic.wmf, QStringLiteral("odd"));
}

void TestTextBoxRender::vztoolPrintsTheLines()
{
    const QString tool = QStringLiteral(VZ_PROGRAM_DIR "/vztool");
    if (!QFileInfo::exists(tool))
        QSKIP("vztool not built");
    vztest::Sandbox sandbox;
    // LF, CR LF and a lone CR all end lines; UTF-8 is read as such.
    const QString file = sandbox.write(QStringLiteral("text.txt"), QStringLiteral("Zwölf Boxkämpfer jagen Viktor quer über den großen Sylter Deich.\n\nzwei\r\ndrei\rvier").toUtf8());
    QProcess proc;
    proc.start(tool, {QStringLiteral("textbox"), QStringLiteral("lines"), QStringLiteral("220"), QStringLiteral("150"),
                      QStringLiteral("Arial"), QStringLiteral("25"), QStringLiteral("--border"), QStringLiteral("--align"),
                      QStringLiteral("right"), file});
    QVERIFY(proc.waitForFinished(30000));
    QCOMPARE(proc.exitCode(), 0);
    const QStringList got = QString::fromUtf8(proc.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);

    TextBoxData box;
    box.bounds = QRect(0, 0, 220, 150);
    box.fontSize = fontSizeFromSizeField(25);
    box.borderFlag = true;
    box.alignment = 1;
    box.text = QStringLiteral("Zwölf Boxkämpfer jagen Viktor quer über den großen Sylter Deich.\r\n\r\nzwei\r\ndrei\r\nvier");
    mf::WmfGenerator device;
    QPainter p(&device);
    p.setFont(box.font());
    PainterTextCanvas canvas(&p);
    TPolyTextLines layout(&canvas, QPolygon(QRect(0, 0, 220, 150)));
    layout.setMargin(5);
    layout.SetText(box.text);
    QStringList expected;
    for (const TPolyTextLine &line : layout.lines())
        expected << QStringLiteral("%1\t%2\t%3\t%4").arg(line.left()).arg(line.right()).arg(line.top()).arg(line.text());
    p.end();
    QCOMPARE(got, expected);
    QVERIFY(got.size() >= 6);
    QVERIFY(got.first().startsWith(QStringLiteral("5\t215\t0\tZwölf")));
    QVERIFY(got.contains(QStringLiteral("5\t215\t%1\tvier").arg(layout.lines()[0].top() + 5 * layout.lineHeight())));
}

void TestTextBoxRender::vztoolRefusesBadArguments_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("code");
    const QString f = QStringLiteral("@file");
    QTest::newRow("no subcommand") << QStringList({"textbox"}) << 2;
    QTest::newRow("width 0") << QStringList({"textbox", "lines", "0", "100", "Arial", "15", f}) << 2;
    QTest::newRow("height above a million") << QStringList({"textbox", "lines", "100", "1000001", "Arial", "15", f}) << 2;
    QTest::newRow("width not a number") << QStringList({"textbox", "lines", "wide", "100", "Arial", "15", f}) << 2;
    QTest::newRow("size field 0") << QStringList({"textbox", "lines", "100", "100", "Arial", "0", f}) << 2;
    QTest::newRow("bad alignment") << QStringList({"textbox", "lines", "100", "100", "Arial", "15", "--align", "up", f}) << 2;
    QTest::newRow("missing text file") << QStringList({"textbox", "lines", "100", "100", "Arial", "15", "/no/such/file"}) << 1;
    QTest::newRow("a million each way") << QStringList({"textbox", "lines", "1000000", "1000000", "Arial", "15", f}) << 0;
}

void TestTextBoxRender::vztoolRefusesBadArguments()
{
    QFETCH(QStringList, args);
    QFETCH(int, code);
    const QString tool = QStringLiteral(VZ_PROGRAM_DIR "/vztool");
    if (!QFileInfo::exists(tool))
        QSKIP("vztool not built");
    vztest::Sandbox sandbox;
    const QString file = sandbox.write(QStringLiteral("t.txt"), "a few words");
    args.replaceInStrings(QStringLiteral("@file"), file);
    QProcess proc;
    proc.start(tool, args);
    QVERIFY(proc.waitForFinished(60000));
    QCOMPARE(proc.exitCode(), code);
    if (code != 0)
        QVERIFY(!proc.readAllStandardError().isEmpty());
}

QTEST_MAIN(TestTextBoxRender)
#include "tst_textboxrender.moc"
