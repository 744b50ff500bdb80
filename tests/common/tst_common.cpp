#include "common/DataFiles.h"
#include "common/Fitting.h"
#include "common/NameValueFile.h"
#include "common/Rounding.h"
#include "common/SplitFields.h"
#include "common/TempFile.h"
#include "common/VzError.h"
#include "common/AtomicFile.h"

#include "testutils.h"

#include <csignal>
#include <sys/resource.h>

using namespace vz;

class TestCommon : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void splitFields_data();
    void splitFields();
    void dataFileNames_data();
    void dataFileNames();
    void nameValue_data();
    void nameValue();
    void lineEndings();
    void fitting_data();
    void fitting();
    void rounding();
    void strToIntRules();
    void tempFilesAreRemoved();
    void atomicWriteKeepsOldFileOnFailure();
};

void TestCommon::dataFileNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("extension");
    QTest::addColumn<bool>("hasExtension");
    QTest::addColumn<bool>("isSetFile"); // is "ImageSetData.qn"
    QTest::newRow("exact") << "ImageSetData.qn" << "qn" << true << true;
    QTest::newRow("extension upper case") << "ImageSetData.QN" << "qn" << true << true;
    QTest::newRow("extension mixed case") << "ImageSetData.Qn" << "QN" << true << true;
    QTest::newRow("name in another case") << "imagesetdata.qn" << "qn" << true << false;
    QTest::newRow("longer name") << "MyImageSetData.qn" << "qn" << true << false;
    QTest::newRow("no dot") << "ImageSetDataqn" << "qn" << false << false;
    QTest::newRow("longer extension") << "ImageSetData.qnx" << "qn" << false << false;
    QTest::newRow("catalog") << "Images.CATALOG" << "catalog" << true << false;
    QTest::newRow("only the extension") << "catalog" << "catalog" << false << false;
    QTest::newRow("dot and extension") << ".jpg" << "jpg" << true << false;
}

void TestCommon::dataFileNames()
{
    QFETCH(QString, name);
    QFETCH(QString, extension);
    QTEST(hasDataExtension(name, extension), "hasExtension");
    QTEST(isDataFileNamed(name, QStringLiteral("ImageSetData.qn")), "isSetFile");
}

void TestCommon::splitFields_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("fields");
    QTest::newRow("three") << "a=b=c" << QStringList{"a", "b", "c"};
    QTest::newRow("empty middle") << "a==b" << QStringList{"a", "", "b"};
    QTest::newRow("separator last") << "a=" << QStringList{"a="};
    QTest::newRow("empty text") << "" << QStringList{""};
    QTest::newRow("leading separator") << "=a" << QStringList{"", "a"};
    QTest::newRow("only separator") << "=" << QStringList{"="};
    QTest::newRow("two at end") << "a==" << QStringList{"a", "="};
    QTest::newRow("no separator") << "abc" << QStringList{"abc"};
}

void TestCommon::splitFields()
{
    QFETCH(QString, text);
    QFETCH(QStringList, fields);
    QCOMPARE(SplitFields(text, QLatin1Char('=')), fields);
    // Appends to what the list already holds.
    QStringList list{"keep"};
    SplitFields(text, QLatin1Char('='), list);
    QCOMPARE(list, QStringList{"keep"} + fields);
}

void TestCommon::nameValue_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("value");
    const QStringList lines{"Version=2", "Name = Spaced", "name=second", "Fill=1=2", "no equals", "Empty=", "=anon"};
    QTest::newRow("plain") << lines << "Version" << true << "2";
    QTest::newRow("case-insensitive") << lines << "VERSION" << true << "2";
    QTest::newRow("not trimmed") << lines << "Name" << true << "second";
    QTest::newRow("blank is part of name") << lines << "Name " << true << " Spaced";
    QTest::newRow("value keeps equals") << lines << "fill" << true << "1=2";
    QTest::newRow("missing") << lines << "Cover" << false << "";
    QTest::newRow("empty value") << lines << "Empty" << true << "";
    QTest::newRow("line without equals defines nothing") << lines << "no equals" << false << "";
    QTest::newRow("empty name") << lines << "" << true << "anon";
}

void TestCommon::nameValue()
{
    QFETCH(QStringList, lines);
    QFETCH(QString, name);
    QFETCH(bool, found);
    QFETCH(QString, value);
    NameValueFile f(lines);
    QString v;
    QCOMPARE(f.find(name, &v), found);
    QCOMPARE(f.value(name), value);
}

void TestCommon::lineEndings()
{
    NameValueFile f;
    f.setText("a=1\rb=2\nc=3\r\nd=4\r\n\r\ne=5");
    QCOMPARE(f.lines(), (QStringList{"a=1", "b=2", "c=3", "d=4", "", "e=5"}));
    // Latin-1 text that is not UTF-8 still reads.
    f.setText("x=\xe9t\xe9");
    QCOMPARE(f.value("x"), QString::fromUtf8("été"));
}

void TestCommon::fitting_data()
{
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QRect>("box");
    QTest::addColumn<QRect>("fitted");
    // Wide picture: full width, height = round(55 * 0.5) = 28 (27.5 -> 28 even).
    QTest::newRow("wide") << QSize(110, 55) << QRect(0, 0, 55, 55) << QRect(3, 16, 49, 22);
    // Tall picture: full height, width = round(55 / 2) = 28.
    QTest::newRow("tall") << QSize(50, 100) << QRect(0, 0, 55, 55) << QRect(16, 3, 22, 49);
    // Same ratio as the box takes the width branch.
    QTest::newRow("square") << QSize(10, 10) << QRect(10, 20, 100, 100) << QRect(13, 23, 94, 94);
    // Half-to-even: 45 * (1/2) = 22.5 -> 22.
    QTest::newRow("half to even") << QSize(2, 1) << QRect(0, 0, 45, 45) << QRect(3, 14, 39, 16);
    QTest::newRow("offset box") << QSize(200, 100) << QRect(5, 7, 100, 100) << QRect(8, 35, 94, 44);
}

void TestCommon::fitting()
{
    QFETCH(QSize, picture);
    QFETCH(QRect, box);
    QFETCH(QRect, fitted);
    const auto r = fitPictureRect(picture.width(), picture.height(), box);
    QVERIFY(r.has_value());
    QCOMPARE(*r, fitted);
}

void TestCommon::rounding()
{
    QCOMPARE(roundHalfEven(0.5), 0);
    QCOMPARE(roundHalfEven(1.5), 2);
    QCOMPARE(roundHalfEven(2.5), 2);
    QCOMPARE(roundHalfEven(-2.5), -2);
    QCOMPARE(roundHalfEven(2.5000001), 3);
    QCOMPARE(idiv(-7, 2), -3);
    QVERIFY(!fitPictureRect(0, 10, QRect(0, 0, 55, 55)).has_value());
}

void TestCommon::strToIntRules()
{
    QCOMPARE(strToInt("12"), 12);
    QCOMPARE(strToInt("-3"), -3);
    QCOMPARE(strToInt("+4"), 4);
    for (const char *bad : {"", "x", "1 ", " 1", "1.5", "99999999999"}) {
        try {
            strToInt(QString::fromLatin1(bad));
            QFAIL(bad);
        } catch (const ConvertError &e) {
            QVERIFY(e.message().contains("is not a valid integer value"));
        }
    }
}

void TestCommon::tempFilesAreRemoved()
{
    QString path;
    try {
        TempFile vz(QStringLiteral("vz"));
        QVERIFY(vz.isValid());
        path = vz.path();
        QVERIFY(QFileInfo(path).fileName().startsWith("vz"));
        QVERIFY(QFile::exists(path));
        throw VzError("boom");
    } catch (const VzError &) {
    }
    QVERIFY(!QFile::exists(path));
    TempFile cad(QStringLiteral("cad"));
    QVERIFY(QFileInfo(cad.path()).fileName().startsWith("cad"));
}

void TestCommon::atomicWriteKeepsOldFileOnFailure()
{
    vztest::Sandbox box;
    const QString file = box.write("settings.txt", "old");
    QVERIFY(writeFileAtomically(file, "new"));
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("new"));
    f.close();
    // A folder that cannot be written: the write fails and reports it.
    QString err;
    QVERIFY(!writeFileAtomically(box.path("missing/dir/x.txt"), "x", &err));
    QVERIFY(!err.isEmpty());
    // A write cut short by a file size limit (which binds root too) fails
    // instead of putting the cut file in the old one's place.
    rlimit old {};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 64;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    err.clear();
    const bool written = writeFileAtomically(file, QByteArray(1000, 'x'), &err);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    QVERIFY(!written);
    QVERIFY(!err.isEmpty());
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("new"));
    QCOMPARE(QDir(box.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"settings.txt"});
}

QTEST_GUILESS_MAIN(TestCommon)
#include "tst_common.moc"
