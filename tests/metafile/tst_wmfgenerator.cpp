// The WMF generator: what is painted on it reads back as a metafile that
// draws the same, with a sound header.

#include "testutils.h"
#include "wmfbuilder.h"

#include "imaging/Picture.h"
#include "metafile/EmfPlayer.h"
#include "metafile/WmfGenerator.h"
#include "metafile/WmfPlayer.h"

#include <QPainter>
#include <QProcess>
#include <QStandardPaths>

#include <functional>
#include <map>

using namespace vz::mf;

namespace {

using Scene = std::function<void(QPainter &)>;

void shapes(QPainter &p)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(QRectF(0, 0, 200, 40), QColor(30, 60, 200));
    p.setPen(QPen(Qt::black, 3));
    p.setBrush(Qt::red);
    p.drawEllipse(QRectF(10, 50, 60, 40));
    p.setPen(QPen(Qt::darkGreen, 2));
    p.drawPolyline(QPolygonF({{80, 60}, {110, 90}, {140, 55}, {190, 95}}));
    const QPolygonF star({{40, 100}, {58, 148}, {12, 118}, {68, 118}, {22, 148}});
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::yellow);
    p.drawPolygon(star, Qt::OddEvenFill);
    p.drawPolygon(star.translated(70, 0), Qt::WindingFill);
    p.setClipRect(QRectF(150, 100, 30, 30));
    p.fillRect(QRectF(140, 90, 60, 60), Qt::magenta);
    p.setClipping(false);
}

void text(QPainter &p)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(28);
    p.setFont(f);
    p.setPen(Qt::blue);
    p.drawText(QPointF(10, 40), QStringLiteral("Abc d\u00e9f"));
    p.save();
    p.translate(100, 130);
    p.rotate(-30);
    p.drawText(QPointF(0, 0), QStringLiteral("turn"));
    p.restore();
}

void images(QPainter &p)
{
    QImage img(20, 10, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    for (int y = 0; y < 10; ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < 10; ++x)
            line[x] = qRgba(0, 128, 0, 255);
    }
    p.fillRect(QRectF(0, 0, 200, 150), QColor(250, 220, 180));
    p.drawImage(QRectF(20, 20, 160, 80), img);
    QImage opaque(4, 4, QImage::Format_RGB32);
    opaque.fill(Qt::darkRed);
    p.drawImage(QRectF(150, 110, 40, 30), opaque);
}

QImage direct(const Scene &scene, QSize size)
{
    QImage img(size, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    scene(p);
    return img;
}

QByteArray generate(const Scene &scene, QSize size, int dpi = 96)
{
    WmfGenerator gen;
    gen.setSize(size);
    gen.setResolution(dpi);
    QPainter p(&gen);
    scene(p);
    p.end();
    return gen.data();
}

// Walks the records: every object created is deleted by the end, and the
// table never needs more slots than the header declares.
struct Census
{
    int created = 0, deleted = 0, peak = 0;
    quint32 largest = 0;
    qint64 words = 0;
};

Census census(const QByteArray &wmf)
{
    Census c;
    const auto doc = WmfDocument::parse(wmf);
    std::map<int, bool> live;
    for (const WmfRecord &r : doc->records()) {
        c.largest = std::max<quint32>(c.largest, quint32((r.size + 6) / 2));
        const ByteReader p = doc->params(r);
        switch (r.function) {
        case wmf::CREATEPENINDIRECT:
        case wmf::CREATEBRUSHINDIRECT:
        case wmf::CREATEFONTINDIRECT:
        case wmf::DIBCREATEPATTERNBRUSH: {
            int slot = 0;
            while (live.count(slot))
                ++slot;
            live[slot] = true;
            ++c.created;
            c.peak = std::max(c.peak, slot + 1);
            break;
        }
        case wmf::DELETEOBJECT:
            live.erase(p.u16(0));
            ++c.deleted;
            break;
        default: break;
        }
    }
    return c;
}

} // namespace

class TestWmfGenerator : public QObject
{
    Q_OBJECT

private slots:
    void drawsTheSame_data();
    void drawsTheSame();
    void headerIsSound_data();
    void headerIsSound();
    void lettersIntoOneMetafile();
    void flatLinesReplay_data();
    void flatLinesReplay();
    void realFilesReplay_data();
    void realFilesReplay();
    void writesFile();
    void libwmfAccepts();
};

void TestWmfGenerator::drawsTheSame_data()
{
    QTest::addColumn<Scene>("scene");
    QTest::addColumn<double>("allowed");
    QTest::newRow("shapes") << Scene(shapes) << 0.02;
    QTest::newRow("text") << Scene(text) << 0.03;
    QTest::newRow("images") << Scene(images) << 0.02;
}

void TestWmfGenerator::drawsTheSame()
{
    QFETCH(Scene, scene);
    QFETCH(double, allowed);
    const QSize size(200, 150);
    const QByteArray wmf = generate(scene, size);
    const vz::Picture pic = vz::Picture::fromBytes(wmf, vz::Picture::Kind::Metafile);
    QCOMPARE(pic.size(), size);
    const QImage back = pic.render(size);
    const QImage want = direct(scene, size);
    const double share = vztest::differingShare(back, want, 64);
    qInfo("%.2f%% of pixels differ clearly", share * 100);
    QVERIFY2(share <= allowed, qPrintable(QString::number(share)));
}

void TestWmfGenerator::headerIsSound_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("dpi");
    QTest::newRow("small") << QSize(200, 150) << 96;
    QTest::newRow("wide") << QSize(20000, 300) << 96;
    QTest::newRow("print resolution") << QSize(2400, 3300) << 300;
    QTest::newRow("one pixel") << QSize(1, 1) << 96;
}

void TestWmfGenerator::headerIsSound()
{
    QFETCH(QSize, size);
    QFETCH(int, dpi);
    const QByteArray wmf = generate(
        [size](QPainter &p) {
            shapes(p);
            p.setPen(QPen(Qt::black, 1));
            p.drawLine(QPointF(0, 0), QPointF(size.width(), size.height()));
            p.drawLine(QPointF(-size.width(), 0), QPointF(2 * size.width(), size.height())); // reaches outside
        },
        size, dpi);
    const auto doc = WmfDocument::parse(wmf);
    QVERIFY(doc);
    QVERIFY(doc->isPlaceable());
    QVERIFY(doc->checksumValid());
    const PlaceableHeader &h = *doc->placeableHeader();
    QCOMPARE(h.left, qint16(0));
    QCOMPARE(h.top, qint16(0));
    // The box is the size at the chosen units per inch, inside 16 bits.
    QVERIFY(h.right > 0 && h.right <= 16001 && h.bottom > 0 && h.bottom <= 16001);
    QCOMPARE(h.right, qint16(std::lround(size.width() * double(h.unitsPerInch) / dpi)));
    QCOMPARE(h.bottom, qint16(std::lround(size.height() * double(h.unitsPerInch) / dpi)));
    // Physical size survives, within one logical unit: pixels at the
    // resolution make the same inches.
    QVERIFY(qAbs(doc->physicalSize().width() - size.width() * 2540.0 / dpi) <= 2540.0 / h.unitsPerInch + 1);

    const ByteReader in(wmf);
    QCOMPARE(qint64(in.u32(22 + 6)) * 2, qint64(wmf.size() - 22)); // size in words
    const Census c = census(wmf);
    QCOMPARE(in.u32(22 + 12), c.largest);        // largest record
    QCOMPARE(int(in.u16(22 + 10)), c.peak);      // object count
    QCOMPARE(c.deleted, c.created);              // nothing left behind
    QVERIFY(c.created > 0);
}

void TestWmfGenerator::lettersIntoOneMetafile()
{
    // Two metafile letters played side by side into the generator draw as
    // they do played straight onto an image.
    vztest::WmfBuilder a;
    a.windowExt(100, 200).brush(qRgb(200, 0, 0)).select(0).pen(qRgb(0, 0, 0), 0, 4).select(1);
    a.polygon({{50, 0}, {100, 200}, {0, 200}});
    vztest::WmfBuilder b;
    b.windowOrg(0, 100).windowExt(100, -100).brush(qRgb(0, 0, 200)).select(0).rectangle(10, 10, 90, 90);
    const vz::Picture la = vz::Picture::fromBytes(a.build(QRect(0, 0, 100, 200), 300), vz::Picture::Kind::Metafile);
    const vz::Picture lb = vz::Picture::fromBytes(b.build(QRect(0, 0, 100, 100), 150), vz::Picture::Kind::Metafile);
    const Scene word = [&](QPainter &p) {
        p.setRenderHint(QPainter::Antialiasing);
        la.draw(p, QRectF(0, 0, 80, 160));
        lb.draw(p, QRectF(80, 0, 80, 160));
    };
    const QSize size(160, 160);
    const QImage back = vz::Picture::fromBytes(generate(word, size), vz::Picture::Kind::Metafile).render(size);
    QVERIFY(vztest::differingShare(back, direct(word, size), 64) < 0.01);
}

void TestWmfGenerator::flatLinesReplay_data()
{
    QTest::addColumn<QLineF>("line");
    QTest::addColumn<int>("width");
    QTest::newRow("horizontal hairline") << QLineF(20, 50, 180, 50) << 0;
    QTest::newRow("vertical, 1 pixel") << QLineF(100, 10, 100, 140) << 1;
    QTest::newRow("horizontal, 6 pixels") << QLineF(20, 75, 180, 75) << 6;
    QTest::newRow("a point, 8 pixels") << QLineF(100, 75, 100, 75) << 8;
}

void TestWmfGenerator::flatLinesReplay()
{
    // A line along one row or column survives the round trip through a
    // metafile: the same ink, where it was drawn.
    QFETCH(QLineF, line);
    QFETCH(int, width);
    const Scene scene = [&](QPainter &p) {
        if (line.length() == 0) {
            p.setPen(QPen(Qt::black, width, Qt::SolidLine, Qt::RoundCap));
            p.drawPoint(line.p1());
            return;
        }
        p.setPen(QPen(Qt::black, width, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(line);
    };
    const QSize size(200, 150);
    const QImage back = vz::Picture::fromBytes(generate(scene, size), vz::Picture::Kind::Metafile).render(size, Qt::white, false);
    const QRect want = vztest::inkBounds(direct(scene, size));
    const QRect got = vztest::inkBounds(back);
    QVERIFY(want.isValid());
    QVERIFY2(got.isValid(), "the line vanished");
    QVERIFY2(qAbs(got.left() - want.left()) <= 1 && qAbs(got.right() - want.right()) <= 1
                 && qAbs(got.top() - want.top()) <= 1 && qAbs(got.bottom() - want.bottom()) <= 1,
             qPrintable(QStringLiteral("%1,%2 %3x%4").arg(got.x()).arg(got.y()).arg(got.width()).arg(got.height())));
}

void TestWmfGenerator::realFilesReplay_data()
{
    VZ_SAMPLE_METAFILE_ROWS();
}

void TestWmfGenerator::realFilesReplay()
{
    QFETCH(QString, path);
    const vz::Picture pic = vz::Picture::fromFile(path);
    const QSize size = pic.size().scaled(300, 300, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    const Scene scene = [&](QPainter &p) {
        p.setRenderHint(QPainter::Antialiasing);
        pic.draw(p, QRectF(QPointF(0, 0), QSizeF(size)));
    };
    const QByteArray wmf = generate(scene, size);
    QVERIFY(WmfDocument::parse(wmf)->checksumValid());
    const QImage back = vz::Picture::fromBytes(wmf, vz::Picture::Kind::Metafile).render(size);
    const double share = vztest::differingShare(back, direct(scene, size), 64);
    qInfo("%.2f%% of pixels differ clearly", share * 100);
    QVERIFY2(share < 0.03, qPrintable(QString::number(share)));
}

void TestWmfGenerator::writesFile()
{
    vztest::Sandbox box;
    WmfGenerator gen;
    gen.setSize(QSize(50, 50));
    gen.setFileName(box.path("out.wmf"));
    QPainter p(&gen);
    shapes(p);
    p.end();
    QVERIFY(gen.errorString().isEmpty());
    QFile f(box.path("out.wmf"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), gen.data());

    WmfGenerator bad;
    bad.setSize(QSize(10, 10));
    bad.setFileName(box.path("no/such/folder/out.wmf"));
    QPainter q(&bad);
    q.fillRect(0, 0, 5, 5, Qt::red);
    q.end();
    QVERIFY(!bad.errorString().isEmpty());
    QVERIFY(!bad.data().isEmpty());
}

void TestWmfGenerator::libwmfAccepts()
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("wmf2svg"));
    if (tool.isEmpty())
        QSKIP("wmf2svg (libwmf-bin) is not installed");
    vztest::Sandbox box;
    const QString in = box.write("scene.wmf", generate(
                                                  [](QPainter &p) {
                                                      shapes(p);
                                                      text(p);
                                                      images(p);
                                                  },
                                                  QSize(200, 150)));
    QProcess proc;
    proc.start(tool, {QStringLiteral("-o"), box.path("scene.svg"), in});
    QVERIFY(proc.waitForFinished(30000));
    QCOMPARE(proc.exitCode(), 0);
    QFile svg(box.path("scene.svg"));
    QVERIFY(svg.open(QIODevice::ReadOnly));
    const QByteArray out = svg.readAll();
    QVERIFY(out.contains("<svg"));
    QVERIFY(out.contains("<polygon") || out.contains("<path") || out.contains("<ellipse"));
}

QTEST_MAIN(TestWmfGenerator)
#include "tst_wmfgenerator.moc"
