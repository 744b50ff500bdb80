// vztool picture info and render, run as processes.

#include "testutils.h"
#include "../metafile/emfplusbuilder.h"
#include "../metafile/wmfbuilder.h"

#include <QProcess>

namespace {

struct Run
{
    int code = -1;
    QString out, err;
};

Run vztool(const QStringList &args)
{
    Run r;
    QProcess p;
    p.start(QStringLiteral(VZ_PROGRAM_DIR "/vztool"), args);
    if (!p.waitForFinished(60000))
        return r;
    r.code = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

} // namespace

class TestPictureTool : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (!QFile::exists(QStringLiteral(VZ_PROGRAM_DIR "/vztool")))
            QSKIP("vztool not built");
    }
    void infoOfMetafile();
    void infoOfEmfPlus();
    void renderStretches();
    void errors();
};

void TestPictureTool::infoOfMetafile()
{
    vztest::Sandbox box;
    vztest::WmfBuilder b;
    b.windowExt(2000, 1000).brush(qRgb(0, 0, 255)).select(0).rectangle(0, 0, 1000, 1000);
    const QString file = box.write("a.wmf", b.build(QRect(0, 0, 2000, 1000), 1000));
    const Run r = vztool({QStringLiteral("picture"), QStringLiteral("info"), file});
    QCOMPARE(r.code, 0);
    QVERIFY2(r.out.contains(QStringLiteral("kind: metafile")), qPrintable(r.out));
    QVERIFY(r.out.contains(QStringLiteral("size: 192 x 96 pixels")));
    QVERIFY(r.out.contains(QStringLiteral("physical size: 5080 x 2540 (0.01 mm)")));
    QVERIFY(r.out.contains(QStringLiteral("units per inch: 1000")));
    QVERIFY(r.out.contains(QStringLiteral("bounding box: 0 0 2000 1000")));
    QVERIFY(r.out.contains(QStringLiteral("records: 4")));
}

void TestPictureTool::infoOfEmfPlus()
{
    vztest::Sandbox box;
    for (const bool dual : {false, true}) {
        vztest::EmfPlusBuilder b(dual);
        b.plus(0x400A, 0x8000, vztest::Bytes().u32(0xFFFF0000).u32(1).rect({0, 0, 100, 100}));
        const QString file = box.write(dual ? "dual.emf" : "only.emf", b.build());
        const Run r = vztool({QStringLiteral("picture"), QStringLiteral("info"), file});
        QCOMPARE(r.code, 0);
        QVERIFY2(r.out.contains(QStringLiteral("kind: enhanced metafile")), qPrintable(r.out));
        QVERIFY2(r.out.contains(dual ? QStringLiteral("drawing: EMF+ dual") : QStringLiteral("drawing: EMF+ only")),
                 qPrintable(r.out));
    }
}

void TestPictureTool::renderStretches()
{
    vztest::Sandbox box;
    vztest::WmfBuilder b;
    b.windowExt(2000, 1000).brush(qRgb(0, 0, 255)).select(0).pen(0, 5).select(1).rectangle(0, 0, 1000, 1000);
    const QString file = box.write("a.wmf", b.build(QRect(0, 0, 2000, 1000), 1000));
    const QString png = box.path("out.png");
    QCOMPARE(vztool({QStringLiteral("picture"), QStringLiteral("render"), file, png}).code, 0);
    QCOMPARE(QImage(png).size(), QSize(192, 96));
    QCOMPARE(vztool({QStringLiteral("picture"), QStringLiteral("render"), file, png, QStringLiteral("--width"),
                     QStringLiteral("40"), QStringLiteral("--height"), QStringLiteral("30")})
                 .code,
             0);
    const QImage img(png);
    QCOMPARE(img.size(), QSize(40, 30));
    QCOMPARE(img.pixel(5, 15) & 0xFFFFFF, 0x0000FFu); // left half blue
    QCOMPARE(img.pixel(35, 15) & 0xFFFFFF, 0xFFFFFFu); // right half white
}

void TestPictureTool::errors()
{
    vztest::Sandbox box;
    Run r = vztool({QStringLiteral("picture"), QStringLiteral("info"), box.write("x.png", "png")});
    QCOMPARE(r.code, 1);
    QVERIFY(r.err.contains(QStringLiteral("Unknown picture file extension (.png)")));
    r = vztool({QStringLiteral("picture"), QStringLiteral("info"), box.write("x.wmf", "not a metafile")});
    QCOMPARE(r.code, 1);
    QVERIFY(r.err.contains(QStringLiteral("Metafile is not valid")));
    QCOMPARE(vztool({QStringLiteral("picture"), QStringLiteral("render")}).code, 2);
    QCOMPARE(vztool({QStringLiteral("picture"), QStringLiteral("render"), QStringLiteral("a.wmf"),
                     QStringLiteral("b.png"), QStringLiteral("--width"), QStringLiteral("-4")})
                 .code,
             2);
}

QTEST_GUILESS_MAIN(TestPictureTool)
#include "tst_picturetool.moc"
