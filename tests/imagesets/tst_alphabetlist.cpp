#include "common/SplitFields.h"
#include "common/VzError.h"
#include "imagesets/AlphabetList.h"
#include "imagesets/CharacterMap.h"

#include "testutils.h"

#include <QProcess>

using namespace vz;

class TestAlphabetList : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void entryShapes_data();
    void entryShapes();
    void treeScan();
    void missingTreeIsEmpty();
    void unreadableSetFileStopsScan();
    void findFilesOwnBeforeSubfolders();
    void setFileExtensionInAnyCase();
    void folderLinksVisitEachFolderOnce();
    void foldersDifferingInCaseBothListed();
    void moreEntry();
    void characterMap_data();
    void characterMap();
    void vztoolPrintsTheList();

private:
    static QByteArray setFile(const QString &name, const QString &type, const QString &extra = QString())
    {
        return QStringLiteral("Version=2\r\nName=%1\r\nType=%2\r\n%3").arg(name, type, extra).toUtf8();
    }
};

void TestAlphabetList::entryShapes_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("entry");
    const QString d = "/a/Bab/";
    QTest::newRow("CA") << QStringList{"Version=2", "Name=Bab", "Type=CA", "Description=Baby", "Fill=3", "Cover=c.bmp"}
                        << "Bab=CA=/a/Bab/=@=Baby=3=c.bmp";
    QTest::newRow("Font") << QStringList{"Version=2", "Name=Lob", "Type=Font", "Baser=b", "Description=D", "Fill=", "Month=May"}
                          << "Lob=Font=/a/Bab/=b=D=0=May=blank";
    QTest::newRow("font lower case is not Font") << QStringList{"Version=2", "Name=X", "Type=font", "Baser=b", "Month=May"}
                                                 << "X=font=/a/Bab/=@==0=blank";
    QTest::newRow("description with equals shifts fields")
        << QStringList{"Version=2", "Name=E", "Type=CA", "Description=a=b", "Fill=2"} << "E=CA=/a/Bab/=@=a=b=2=blank";
    QTest::newRow("version with trailing blank") << QStringList{"Version=2 ", "Name=V"} << "";
    QTest::newRow("version 1") << QStringList{"Version=1", "Name=V"} << "";
    QTest::newRow("first line wins") << QStringList{"version=2", "VERSION=3", "Name=First", "name=Second", "Type=CA"}
                                     << "First=CA=/a/Bab/=@==0=blank";
    Q_UNUSED(d);
}

void TestAlphabetList::entryShapes()
{
    QFETCH(QStringList, lines);
    QFETCH(QString, entry);
    QCOMPARE(alphabetEntry(lines, "/a/Bab"), entry);
    if (!entry.isEmpty()) {
        const QStringList fields = SplitFields(entry);
        QCOMPARE(fields.value(2), QString("/a/Bab/"));
    }
}

void TestAlphabetList::treeScan()
{
    vztest::Sandbox box;
    box.write("tree/Zeta/ImageSetData.qn", setFile("Zeta", "CA"));
    box.write("tree/one/ImageSetData.qn", setFile("alpha", "CA"));
    box.write("tree/two/ImageSetData.qn", setFile("Alpha", "CA"));
    // Nested alphabet inside another alphabet, and below a non-alphabet.
    box.write("tree/one/inner/ImageSetData.qn", setFile("Beta", "Font", "Baser=x\r\nMonth=m\r\n"));
    box.write("tree/skip/ImageSetData.qn", "Version=3\r\nName=Nope\r\n");
    box.write("tree/skip/deeper/ImageSetData.qn", setFile("Gamma", "CA"));
    box.write("tree/.hidden/ImageSetData.qn", setFile("Hidden", "CA"));
    // The file name compares exactly.
    box.write("tree/case/imagesetdata.qn", setFile("Lower", "CA"));

    QStringList list{"stale"};
    LoadAlphabetList(list, box.path("tree"));
    QStringList names;
    for (const QString &e : list)
        names << SplitFields(e).value(0);
    // Same names sit next to each other, ordered by the rest of the entry (the folder).
    QCOMPARE(names, (QStringList{"alpha", "Alpha", "Beta", "Gamma", "Zeta"}));
    QVERIFY(list.at(0).contains("/tree/one/"));
    QVERIFY(list.at(1).contains("/tree/two/"));

    // Exactly equal entries (same folder scanned twice is impossible, so
    // check the rule directly through two identical trees' entries).
    QStringList again;
    LoadAlphabetList(again, box.path("tree/"));
    QCOMPARE(again, list);
}

void TestAlphabetList::missingTreeIsEmpty()
{
    QStringList list{"x"};
    LoadAlphabetList(list, "/nonexistent/folder/");
    QVERIFY(list.isEmpty());
}

void TestAlphabetList::unreadableSetFileStopsScan()
{
    vztest::Sandbox box;
    const QString f = box.write("tree/a/ImageSetData.qn", setFile("A", "CA"));
    if (!vztest::makeUnreadable(f))
        QSKIP("no way to make an unreadable file here");
    QStringList list{"keep"};
    QVERIFY_THROWS_EXCEPTION(FileError, LoadAlphabetList(list, box.path("tree")));
    QCOMPARE(list, QStringList{"keep"});
}

void TestAlphabetList::findFilesOwnBeforeSubfolders()
{
    vztest::Sandbox box;
    box.write("t/b.catalog", "");
    box.write("t/a.catalog", "");
    box.write("t/a/z.catalog", "");
    box.write("t/a/deep/y.catalog", "");
    box.write("t/b/x.catalog", "");
    // Sets copied from Windows: the extension in any case counts.
    box.write("t/c.CATALOG", "");
    box.write("t/b/Images.Catalog", "");
    box.write("t/notes.txt", "");
    box.write("t/catalog", "");
    box.write("t/xcatalog", "");
    box.write("t/.hid.catalog", "");
    box.write("t/.hidden/w.catalog", "");
    QStringList found{"first"};
    FindFilesInTree(box.path("t"), "catalog", found);
    const QString t = box.path("t/");
    QCOMPARE(found, (QStringList{"first", t + "a.catalog", t + "b.catalog", t + "c.CATALOG", t + "a/z.catalog",
                                 t + "a/deep/y.catalog", t + "b/Images.Catalog", t + "b/x.catalog"}));
}

void TestAlphabetList::setFileExtensionInAnyCase()
{
    vztest::Sandbox box;
    box.write("tree/upper/ImageSetData.QN", setFile("Upper", "CA"));
    // Both spellings in one folder: the exact one is read.
    box.write("tree/both/ImageSetData.Qn", setFile("Wrong", "CA"));
    box.write("tree/both/ImageSetData.qn", setFile("Both", "CA"));
    // The name itself still compares as the file system does.
    box.write("tree/lower/imagesetdata.QN", setFile("Lower", "CA"));
    QStringList list;
    LoadAlphabetList(list, box.path("tree"));
    QStringList names;
    for (const QString &e : list)
        names << SplitFields(e).value(0);
    QCOMPARE(names, (QStringList{"Both", "Upper"}));
}

void TestAlphabetList::folderLinksVisitEachFolderOnce()
{
    vztest::Sandbox box;
    box.write("t/a/ImageSetData.qn", setFile("Alpha", "CA"));
    box.write("t/a/b/ImageSetData.qn", setFile("Beta", "CA"));
    box.write("t/a/b/x.catalog", "");
    box.write("t/c/w.catalog", "");
    box.write("outside/ImageSetData.qn", setFile("Gamma", "CA"));
    box.write("outside/y.catalog", "");
    box.write("elsewhere/z.catalog", "");
    // Two links back up the tree, a second way into t/c, a folder and a file
    // outside it.
    QVERIFY(QFile::link("..", box.path("t/a/up")));
    QVERIFY(QFile::link("../..", box.path("t/a/b/top")));
    QVERIFY(QFile::link("../c", box.path("t/a/alias")));
    QVERIFY(QFile::link(box.path("outside"), box.path("t/ext")));
    QVERIFY(QFile::link(box.path("elsewhere/z.catalog"), box.path("t/link.catalog")));
    const QString t = box.path("t/");

    QStringList files;
    FindFilesInTree(t, "catalog", files);
    // t/c is met first as t/a/alias.
    QCOMPARE(files, (QStringList{t + "link.catalog", t + "a/alias/w.catalog", t + "a/b/x.catalog", t + "ext/y.catalog"}));

    QStringList list;
    LoadAlphabetList(list, t);
    QStringList folders;
    for (const QString &e : list)
        folders << SplitFields(e).value(2);
    QCOMPARE(folders, (QStringList{t + "a/", t + "a/b/", t + "ext/"}));
}

void TestAlphabetList::foldersDifferingInCaseBothListed()
{
    vztest::Sandbox box;
    box.write("tree/dupA/ImageSetData.qn", setFile("Dup", "CA"));
    box.write("tree/dupa/ImageSetData.qn", setFile("Dup", "CA"));
    if (QDir(box.path("tree")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size() != 2)
        QSKIP("this file system ignores case");
    QStringList list;
    LoadAlphabetList(list, box.path("tree"));
    QCOMPARE(list.size(), 2);
    QStringList folders{SplitFields(list[0]).value(2), SplitFields(list[1]).value(2)};
    folders.sort();
    QCOMPARE(folders, (QStringList{box.path("tree/dupA/"), box.path("tree/dupa/")}));
}

void TestAlphabetList::moreEntry()
{
    const QStringList f = SplitFields(moreAlphabetsEntry());
    QCOMPARE(f.size(), 8);
    QCOMPARE(f.at(0), QString("More..."));
    QCOMPARE(f.at(1), QString("CA"));
    QCOMPARE(f.at(2), QString("FileName"));
    QCOMPARE(f.at(3), QString("Bab"));
    QVERIFY(f.at(4).startsWith("Next Stop https://vellozine.example/"));
    QVERIFY(f.at(4).endsWith(" for more great fonts"));
    QCOMPARE(f.at(5), QString("1"));
    QCOMPARE(f.at(7), QString("babybottle.bmp"));
}

void TestAlphabetList::characterMap_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QStringList>("codes");
    QTest::newRow("textual order, space added") << QByteArray("A=A\r\nsmalld=d\nexclam=!") << true
                                                << QStringList{"100", "32", "33", "65"};
    QTest::newRow("repeats once") << QByteArray("A=A\nB=A\n") << true << QStringList{"32", "65"};
    QTest::newRow("second name finds first value") << QByteArray("A=A\na=b\n") << true << QStringList{"32", "65"};
    QTest::newRow("equals sign as character") << QByteArray("equal==\n") << true << QStringList{"32", "61"};
    QTest::newRow("empty value fails") << QByteArray("A=A\nB=\n") << false << QStringList{};
    QTest::newRow("empty line fails") << QByteArray("A=A\n\nB=B\n") << false << QStringList{};
    QTest::newRow("line without equals fails") << QByteArray("A=A\nplain\n") << false << QStringList{};
    QTest::newRow("line naming empty name works") << QByteArray("=x\nplain\n") << true << QStringList{"120", "32"};
    QTest::newRow("space named") << QByteArray("SPACE= \n") << true << QStringList{"32"};
}

void TestAlphabetList::characterMap()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, ok);
    QFETCH(QStringList, codes);
    vztest::Sandbox box;
    CharacterMap map;
    QCOMPARE(map.load(box.write("characters", file)), ok);
    QCOMPARE(map.codes(), codes);
    if (ok)
        QVERIFY(map.contains("32"));
    QVERIFY(!CharacterMap().load(box.path("absent")));
}

void TestAlphabetList::vztoolPrintsTheList()
{
    const QString tool = QStringLiteral(VZ_PROGRAM_DIR) + "/vztool";
    if (!QFile::exists(tool))
        QSKIP("vztool not built");
    vztest::Sandbox box;
    box.write("tree/b/ImageSetData.qn", setFile("Bee", "CA"));
    box.write("tree/a/ImageSetData.qn", setFile("Ant", "Font"));
    QProcess p;
    p.start(tool, {"alphabets", box.path("tree")});
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitCode(), 0);
    const QStringList lines = QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 2);
    QVERIFY(lines.at(0).startsWith("Ant=Font=" + box.path("tree/a/")));
    QVERIFY(lines.at(1).startsWith("Bee=CA="));
    p.start(tool, {"--help"});
    QVERIFY(p.waitForFinished(30000));
    QVERIFY(p.readAllStandardOutput().contains("alphabets TREE"));
}

QTEST_GUILESS_MAIN(TestAlphabetList)
#include "tst_alphabetlist.moc"
