// The catalog, thumbnail and letters commands of vztool, run as processes.

#include "testutils.h"

#include <QProcess>

namespace {

QByteArray bmp(QSize size, QRgb colour = qRgb(0, 128, 0))
{
    QImage img(size, QImage::Format_RGB32);
    img.fill(colour);
    QByteArray out;
    QBuffer buf(&out);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "BMP");
    return out;
}

} // namespace

class TestCatalogTool : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void buildAndDump();
    void buildSetDataFile_data();
    void buildSetDataFile();
    void dumpEscapesAndJoins();
    void thumbnailCommand();
    void lettersCommand();
    void updateCommand();

private:
    // Runs vztool; returns stdout lines and leaves stderr in m_err.
    QStringList run(const QStringList &args, int expectedExit = 0);
    QString m_tool;
    QString m_err;
};

void TestCatalogTool::initTestCase()
{
    m_tool = QStringLiteral(VZ_PROGRAM_DIR) + "/vztool";
    if (!QFile::exists(m_tool))
        QSKIP("vztool not built");
}

QStringList TestCatalogTool::run(const QStringList &args, int expectedExit)
{
    QProcess p;
    p.start(m_tool, args);
    if (!p.waitForFinished(60000))
        return {QStringLiteral("<timeout>")};
    m_err = QString::fromUtf8(p.readAllStandardError());
    if (p.exitCode() != expectedExit)
        QTest::qFail(qPrintable(QStringLiteral("%1: exit %2, stderr: %3").arg(args.join(' ')).arg(p.exitCode()).arg(m_err)),
                     __FILE__, __LINE__);
    return QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}

void TestCatalogTool::buildAndDump()
{
    vztest::Sandbox box;
    box.write("set/Old_Barn-door.bmp", bmp(QSize(80, 40)));
    box.write("set/Old_Barn-door.txt", "farm\r\nRed Barn\n");
    box.write("set/apple.BMP", bmp(QSize(20, 30)));
    box.write("set/readme.txt", "not an image");
    box.write("set/broken.jpg", "not a jpeg");
    const QString longName = QString(50, 'x') + ".bmp";
    box.write("set/" + longName, bmp(QSize(5, 5)));
    box.write("set/sub/deep.bmp", bmp(QSize(5, 5)));

    const QString wmf = vztest::testDataDir() + "metafiles/ant.wmf";
    const bool withMetafile = !vztest::testDataDir().isEmpty() && QFile::exists(wmf);
    if (withMetafile)
        QVERIFY(QFile::copy(wmf, box.path("set/ant.wmf")));
    run({"catalog", "build", box.path("set"), "--set", "Farm", "--category", "On the farm"});
    QVERIFY(m_err.contains("broken.jpg"));
    QVERIFY(m_err.contains("longer than 40"));
    QFile qn(box.path("set/Farm.qn"));
    QVERIFY(qn.open(QIODevice::ReadOnly));
    QCOMPARE(qn.readAll(), QByteArray("Name=On the farm\r\nDescription=On the farm\r\nSet=Farm\r\n"));

    QStringList lines = run({"catalog", "dump", box.path("set/Images.catalog")});
    if (withMetafile)
        QCOMPARE(lines.takeAt(0), "ant.wmf\tant\tFarm\tant\t55x55");
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines[0], "apple.BMP\tapple\tFarm\tapple\t55x55");
    QCOMPARE(lines[1], "Old_Barn-door.bmp\tOld Barn door\tFarm\told\\r\\nbarn\\r\\ndoor\\r\\nfarm\\r\\nRed Barn\t55x55");
    QVERIFY(lines[2].startsWith(QString(40, 'x') + "\t"));

    // An existing set data file is left alone.
    box.write("set/Farm.qn", "Name=Mine\r\n");
    run({"catalog", "build", box.path("set"), "--set", "Other"});
    QVERIFY(!QFile::exists(box.path("set/Other.qn")));
    run({"catalog", "build", box.path("set")}, 2);
}

void TestCatalogTool::buildSetDataFile_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("existing"); // a set data file already there, or empty
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("written"); // the new Farm.qn, empty: none
    QTest::newRow("set name only") << QStringList{"--set", "Farm"} << "" << 0
                                   << QByteArray("Name=Farm\r\nDescription=Farm\r\nSet=Farm\r\n");
    QTest::newRow("description given") << QStringList{"--set", "Farm", "--category", "Barn", "--description", "Big red"}
                                       << "" << 0 << QByteArray("Name=Barn\r\nDescription=Big red\r\nSet=Farm\r\n");
    QTest::newRow("= in the category") << QStringList{"--set", "Farm", "--category", "a=b"} << "" << 2 << QByteArray();
    QTest::newRow("= in the description") << QStringList{"--set", "Farm", "--description", "x="} << "" << 2
                                          << QByteArray();
    QTest::newRow("= in the set") << QStringList{"--set", "F=m"} << "" << 2 << QByteArray();
    // A set data file from Windows is one already.
    QTest::newRow("existing X.QN") << QStringList{"--set", "Farm"} << "X.QN" << 0 << QByteArray();
}

void TestCatalogTool::buildSetDataFile()
{
    QFETCH(QStringList, options);
    QFETCH(QString, existing);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, written);
    vztest::Sandbox box;
    box.write("set/a.bmp", bmp(QSize(10, 10)));
    if (!existing.isEmpty())
        box.write("set/" + existing, "Name=Theirs\r\n");
    run(QStringList{"catalog", "build", box.path("set")} + options, exitCode);
    if (exitCode != 0) {
        QVERIFY(m_err.contains("must not contain \"=\""));
        QVERIFY(!QFile::exists(box.path("set/Images.catalog")));
    }
    QFile qn(box.path("set/Farm.qn"));
    QCOMPARE(qn.exists(), !written.isEmpty());
    if (!written.isEmpty()) {
        QVERIFY(qn.open(QIODevice::ReadOnly));
        QCOMPARE(qn.readAll(), written);
    }
}

void TestCatalogTool::dumpEscapesAndJoins()
{
    vztest::Sandbox box;
    box.write("a/Bab_B.jpg", QByteArray());
    box.write("a/x.bmp", bmp(QSize(8, 8)));
    run({"catalog", "build", box.path("a"), "--set", "S"});
    box.write("b/Z_back\\slash\tx.bmp", bmp(QSize(8, 8)));
    run({"catalog", "build", box.path("b"), "--set", "S"});
    const QStringList joined = run({"catalog", "dump", box.path("b/Images.catalog"), box.path("a/Images.catalog")});
    QCOMPARE(joined.size(), 2);
    QVERIFY(joined[0].startsWith("Z_back\\\\slash\\tx.bmp\tZ back\\\\slash\\tx\tS\t"));
    QVERIFY(joined[1].startsWith("x.bmp\t"));
    const QStringList sorted =
        run({"catalog", "dump", "--sorted", box.path("b/Images.catalog"), box.path("a/Images.catalog")});
    QVERIFY(sorted[0].startsWith("x.bmp\t"));
    run({"catalog", "dump", box.path("missing.catalog")}, 1);
}

void TestCatalogTool::thumbnailCommand()
{
    vztest::Sandbox box;
    box.write("in.bmp", bmp(QSize(140, 70), qRgb(200, 0, 0)));
    run({"thumbnail", box.path("in.bmp"), box.path("out.bmp"), "--size", "70"});
    QImage t(box.path("out.bmp"));
    QCOMPARE(t.size(), QSize(70, 70));
    QCOMPARE(t.depth(), 32); // read back as 32-bit; the file is 24-bit
    QFile f(box.path("out.bmp"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.read(30).at(28), char(24));
    QCOMPARE(t.pixel(35, 10), qRgb(255, 255, 255));
    QVERIFY(qRed(t.pixel(35, 35)) > 190);
    run({"thumbnail", box.path("none.bmp"), box.path("x.bmp")}, 1);
    run({"thumbnail", box.path("in.bmp"), box.path("x.bmp"), "--size", "0"}, 2);
}

void TestCatalogTool::lettersCommand()
{
    vztest::Sandbox box;
    box.write("characters", "A=A\r\nd=d\r\nSPACE= \r\n");
    for (const char *f : {"abc/Bab_A.bmp", "abc/Bab_d.gif", "abc/Bab_SPACE.jpg", "abc/Bab_Q.bmp", "abc/Bab_A.txt"})
        box.write(f, "x");
    const QStringList lines = run({"letters", box.path("characters"), box.path("abc")});
    QCOMPARE(lines, QStringList({"100\tBab_d.gif", "32\tBab_SPACE.jpg", "65\tBab_A.bmp", "allowed: 100 32 65"}));
    run({"letters", box.path("absent"), box.path("abc")}, 1);
}

void TestCatalogTool::updateCommand()
{
    vztest::Sandbox box;
    QImage letter(30, 50, QImage::Format_RGB32);
    letter.fill(qRgb(0, 0, 200));
    QByteArray jpg;
    QBuffer buf(&jpg);
    buf.open(QIODevice::WriteOnly);
    letter.save(&buf, "JPG");
    // Every marker goes in one run, more than the program's two.
    for (const char *set : {"A", "B", "C"}) {
        box.write(QStringLiteral("prog/Alphabets/Color/%1/%1_A.jpg").arg(set), jpg);
        box.write(QStringLiteral("prog/Alphabets/Color/%1/Replace.catalog").arg(set), "");
    }
    QStringList lines = run({"catalog", "update", box.path("prog")});
    QCOMPARE(lines, QStringList({"rebuilt " + box.path("prog/Alphabets/Color/A/"),
                                 "rebuilt " + box.path("prog/Alphabets/Color/B/"),
                                 "rebuilt " + box.path("prog/Alphabets/Color/C/")}));
    QVERIFY(!QFile::exists(box.path("prog/Alphabets/Color/C/Replace.catalog")));
    QVERIFY(QFile::exists(box.path("prog/Alphabets/Color/C/Images.catalog")));

    // A folder that fails is named, keeps its marker, and the others go on.
    box.write("prog/Alphabets/Color/A/A_B.jpg", "not a picture");
    box.write("prog/Alphabets/Color/A/Replace.catalog", "");
    box.write("prog/Alphabets/Color/B/Replace.catalog", "");
    lines = run({"catalog", "update", box.path("prog")}, 1);
    QCOMPARE(lines, QStringList({"rebuilt " + box.path("prog/Alphabets/Color/B/")}));
    QVERIFY(m_err.contains("failed " + box.path("prog/Alphabets/Color/A/")));
    QVERIFY(m_err.contains(box.path("prog/Alphabets/Color/A/A_B.jpg")));
    QVERIFY(QFile::exists(box.path("prog/Alphabets/Color/A/Replace.catalog")));

    run({"catalog", "update"}, 2);
    run({"catalog", "update", box.path("absent")}, 1);
}

QTEST_GUILESS_MAIN(TestCatalogTool)
#include "tst_catalogtool.moc"
