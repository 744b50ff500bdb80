// Binding an alphabet's letter files to the character map, and rebuilding
// letter catalogs.

#include "testutils.h"

#include "common/VzError.h"
#include "imagesets/CharacterMap.h"
#include "imagesets/LetterThumbnail.h"
#include "imagesets/Letters.h"
#include "imagesets/ThumbnailTable.h"

using namespace vz;

namespace {

QByteArray pictureBytes(const char *format, QRgb colour = qRgb(0, 0, 0), QSize size = QSize(8, 8))
{
    QImage img(size, QImage::Format_RGB32);
    img.fill(colour);
    QByteArray out;
    QBuffer buf(&out);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, format);
    return out;
}

QStringList names(const QStringList &paths)
{
    QStringList out;
    for (const QString &p : paths)
        out << QFileInfo(p).fileName();
    return out;
}

// "code=file name" for every code with a letter, in map order.
QStringList bound(const CharacterMap &map)
{
    QStringList out;
    for (const QString &code : map.codes())
        if (TCompleteLetter *l = map.letter(code))
            out << code + QLatin1Char('=') + l->fileName();
    return out;
}

} // namespace

class TestLetters : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void letterNames_data();
    void letterNames();
    void letterFilesOfFolder();
    void binding_data();
    void binding();
    void rebindingReleases();
    void mapOrderIsTextual();
    void pictureOnFirstUse();
    void rebuildCatalog();
    void rebuildReplacesCatalogInAnyCase_data();
    void rebuildReplacesCatalogInAnyCase();
    void rebuildStopsOnBadImage();
};

void TestLetters::letterNames_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("name");
    QTest::newRow("plain") << "/a/b/Bab_A.bmp" << "A";
    QTest::newRow("word") << "/a/b/Bab_comma.wmf" << "comma";
    QTest::newRow("last underscore") << "/a/b/x_y_z_Q.jpg" << "Q";
    QTest::newRow("first dot") << "/a/b/Bab_A.old.gif" << "A";
    QTest::newRow("folder underscore") << "/a/My_Set/A.bmp" << "Set/A";
    QTest::newRow("no underscore") << "/a/b/A.bmp" << "/a/b/A";
    QTest::newRow("empty name") << "/a/b/Bab_.bmp" << "";
}

void TestLetters::letterNames()
{
    QFETCH(QString, path);
    QFETCH(QString, name);
    QCOMPARE(letterName(path), name);
}

void TestLetters::letterFilesOfFolder()
{
    vztest::Sandbox box;
    for (const char *f : {"abc/Bab_b.Gif", "abc/Bab_A.bmp", "abc/Bab_A.txt", "abc/.Bab_C.JPG", "abc/Bab_D.wmf",
                          "abc/Bab_E.jpeg", "abc/sub/Bab_F.bmp", "abc/BAB_a2.BMP"})
        box.write(QString::fromLatin1(f), "x");
    QCOMPARE(names(letterFiles(box.path(QStringLiteral("abc")))),
             QStringList({".Bab_C.JPG", "Bab_A.bmp", "BAB_a2.BMP", "Bab_b.Gif", "Bab_D.wmf"}));
    QVERIFY(letterFiles(box.path(QStringLiteral("missing"))).isEmpty());
}

void TestLetters::binding_data()
{
    QTest::addColumn<QString>("characters");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("bound");
    QTest::addColumn<QStringList>("allowed");
    const QString chars = QStringLiteral("A=A\nB=B\ncomma=,\nwide=\xe9\n");
    QTest::newRow("simple") << chars << QStringList({"Bab_A.bmp", "Bab_comma.gif", "Bab_Z.bmp"})
                            << QStringList({"44=Bab_comma.gif", "65=Bab_A.bmp"}) << QStringList({"44", "65"});
    QTest::newRow("two files, one character: later path wins")
        << chars << QStringList({"Aa_A.bmp", "Bb_a.bmp"}) << QStringList({"65=Bb_a.bmp"}) << QStringList({"65"});
    QTest::newRow("SPACE without a line") << chars << QStringList({"Bab_SPACE.bmp", "Bab_B.bmp"})
                                          << QStringList({"32=Bab_SPACE.bmp", "66=Bab_B.bmp"}) << QStringList({"66"});
    QTest::newRow("lower-case space file") << chars << QStringList({"Bab_space.bmp"})
                                           << QStringList({"32=Bab_space.bmp"}) << QStringList();
    QTest::newRow("SPACE line with a blank") << chars + QStringLiteral("SPACE= \n") << QStringList({"Bab_SPACE.bmp"})
                                             << QStringList({"32=Bab_SPACE.bmp"}) << QStringList({"32"});
    QTest::newRow("accented letter") << chars << QStringList({"Bab_wide.bmp"}) << QStringList({"233=Bab_wide.bmp"})
                                     << QStringList({"233"});
}

void TestLetters::binding()
{
    QFETCH(QString, characters);
    QFETCH(QStringList, files);
    QFETCH(QStringList, bound);
    QFETCH(QStringList, allowed);
    CharacterMap map;
    QVERIFY(map.loadLines(characters.split(QLatin1Char('\n'), Qt::SkipEmptyParts)));
    QStringList paths;
    for (const QString &f : files)
        paths << QStringLiteral("/alpha/") + f;
    QStringList got;
    LoadAlphabetLetters(map, paths, got);
    QCOMPARE(::bound(map), bound);
    QCOMPARE(got, allowed);
}

void TestLetters::rebindingReleases()
{
    CharacterMap map;
    QVERIFY(map.loadLines({QStringLiteral("A=A"), QStringLiteral("B=B")}));
    QStringList allowed;
    LoadAlphabetLetters(map, {QStringLiteral("/one/x_A.bmp"), QStringLiteral("/one/x_B.bmp")}, allowed);
    QCOMPARE(allowed.size(), 2);
    LoadAlphabetLetters(map, {QStringLiteral("/two/x_B.gif")}, allowed);
    QCOMPARE(::bound(map), QStringList({"66=x_B.gif"}));
    QCOMPARE(allowed, QStringList({"66"}));
    QVERIFY(!map.letter(QStringLiteral("65")));
    QVERIFY(!map.letter(QStringLiteral("999")));
}

void TestLetters::mapOrderIsTextual()
{
    CharacterMap map;
    QVERIFY(map.loadLines({QStringLiteral("A=A"), QStringLiteral("d=d"), QStringLiteral("bang=!")}));
    QCOMPARE(map.codes(), QStringList({"100", "32", "33", "65"}));
    QStringList allowed;
    LoadAlphabetLetters(map, {QStringLiteral("/f/x_A.bmp"), QStringLiteral("/f/x_bang.bmp"), QStringLiteral("/f/x_d.bmp")},
                        allowed);
    QCOMPARE(::bound(map), QStringList({"100=x_d.bmp", "33=x_bang.bmp", "65=x_A.bmp"}));
    QCOMPARE(allowed, QStringList({"100", "33", "65"}));
}

void TestLetters::pictureOnFirstUse()
{
    vztest::Sandbox box;
    TCompleteLetter missing(box.path(QStringLiteral("Bab_A.gif")));
    QVERIFY(!LetterPicture(missing));
    QVERIFY(!missing.hasPicture());
    // The next request tries again.
    // Qt writes no GIF: a 3 x 2 red one.
    box.write(QStringLiteral("Bab_A.gif"),
              QByteArray::fromHex("47494638396103000200f00000ff000000000021f90400000000002c0000000003000200000202845f003b"));
    const Picture *p = LetterPicture(missing);
    QVERIFY(p);
    QCOMPARE(p->size(), QSize(3, 2));
    QCOMPARE(p->image().pixel(1, 1), qRgb(255, 0, 0));
    QCOMPARE(LetterPicture(missing), p);

    for (const char *fmt : {"BMP", "JPG"}) {
        TCompleteLetter l(box.write(QStringLiteral("x_B.") + QLatin1String(fmt), pictureBytes(fmt)));
        QVERIFY2(LetterPicture(l), fmt);
    }
    TCompleteLetter broken(box.write(QStringLiteral("x_C.bmp"), "BM not really"));
    QVERIFY(!LetterPicture(broken));

    // A metafile letter stays a metafile; its thumbnail is drawn from it.
    const QString wmf = vztest::testDataDir() + QStringLiteral("metafiles/ant.wmf");
    if (vztest::testDataDir().isEmpty() || !QFile::exists(wmf))
        QSKIP("no sample metafiles");
    TCompleteLetter meta(wmf);
    QVERIFY(LetterPicture(meta));
    QVERIFY(LetterPicture(meta)->isMetafile());
    const QImage thumb = MakeLetterThumbnail(wmf);
    QCOMPARE(thumb.size(), QSize(55, 55));
    int drawn = 0;
    const QImage t32 = thumb.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < t32.height(); ++y) {
        const QRgb *row = reinterpret_cast<const QRgb *>(t32.constScanLine(y));
        for (int x = 0; x < t32.width(); ++x)
            drawn += (row[x] & 0xffffff) != 0xffffff;
    }
    QVERIFY(drawn > 20);
}

void TestLetters::rebuildCatalog()
{
    vztest::Sandbox box;
    box.write(QStringLiteral("abc/Bab_B.jpg"), pictureBytes("JPG", qRgb(0, 0, 255), QSize(110, 55)));
    box.write(QStringLiteral("abc/Bab_A.JPG"), pictureBytes("JPG", qRgb(0, 0, 255), QSize(30, 60)));
    box.write(QStringLiteral("abc/Bab_C.bmp"), pictureBytes("BMP"));
    box.write(QStringLiteral("abc/sub/Bab_D.jpg"), pictureBytes("JPG"));
    box.write(QStringLiteral("abc/Images.catalog"), "old");
    ThumbnailData work;
    RebuildLetterCatalog(box.path(QStringLiteral("abc")), work);
    QCOMPARE(work.recordCount(), 0);

    ThumbnailData t;
    LoadLetterCatalogs(t, box.path(QStringLiteral("abc")));
    QCOMPARE(t.count(), 2);
    QCOMPARE(t.fileName(0), QStringLiteral("Bab_A.JPG"));
    QCOMPARE(t.name(1), QStringLiteral("Bab_B.jpg"));
    const QImage thumb = t.thumbnail(1);
    QCOMPARE(thumb.size(), QSize(55, 55));
    QCOMPARE(thumb.pixel(27, 0), qRgb(255, 255, 255));
    QVERIFY(qBlue(thumb.pixel(27, 27)) > 200 && qRed(thumb.pixel(27, 27)) < 40);

    // An empty folder gets a catalog of the header alone.
    box.mkdir(QStringLiteral("empty"));
    RebuildLetterCatalog(box.path(QStringLiteral("empty")), work);
    QFile f(box.path(QStringLiteral("empty/Images.catalog")));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), ThumbnailData().headerBytes());
}

void TestLetters::rebuildReplacesCatalogInAnyCase_data()
{
    QTest::addColumn<QStringList>("existing");
    QTest::addColumn<QString>("written");
    QTest::newRow("none") << QStringList{} << "Images.catalog";
    QTest::newRow("upper case") << QStringList{"IMAGES.CATALOG"} << "IMAGES.CATALOG";
    QTest::newRow("extension upper case") << QStringList{"Images.CATALOG"} << "Images.CATALOG";
    QTest::newRow("two spellings, the exact one kept") << QStringList{"images.catalog", "Images.catalog"}
                                                       << "Images.catalog";
}

void TestLetters::rebuildReplacesCatalogInAnyCase()
{
    QFETCH(QStringList, existing);
    QFETCH(QString, written);
    vztest::Sandbox box;
    box.write(QStringLiteral("abc/Bab_A.jpg"), pictureBytes("JPG"));
    box.write(QStringLiteral("abc/Other.catalog"), ThumbnailData().headerBytes());
    for (const QString &name : existing)
        box.write(QStringLiteral("abc/") + name, "old");
    ThumbnailData work;
    RebuildLetterCatalog(box.path(QStringLiteral("abc")), work);
    QStringList catalogs = QDir(box.path(QStringLiteral("abc"))).entryList({QStringLiteral("*.catalog")}, QDir::Files);
    QStringList expected{QStringLiteral("Other.catalog"), written};
    catalogs.sort();
    expected.sort();
    QCOMPARE(catalogs, expected);
    // One letter, not one per spelling.
    ThumbnailData t;
    LoadLetterCatalogs(t, box.path(QStringLiteral("abc")));
    QCOMPARE(t.count(), 1);
    QCOMPARE(t.fileName(0), QStringLiteral("Bab_A.jpg"));
}

void TestLetters::rebuildStopsOnBadImage()
{
    vztest::Sandbox box;
    box.write(QStringLiteral("abc/Bab_A.jpg"), pictureBytes("JPG"));
    box.write(QStringLiteral("abc/Bab_B.jpg"), "not a picture");
    box.write(QStringLiteral("abc/Images.catalog"), "old catalog");
    ThumbnailData work;
    QVERIFY_THROWS_EXCEPTION(FileError, RebuildLetterCatalog(box.path(QStringLiteral("abc")), work));
    QCOMPARE(work.recordCount(), 0);
    QFile f(box.path(QStringLiteral("abc/Images.catalog")));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("old catalog"));
}

QTEST_GUILESS_MAIN(TestLetters)
#include "tst_letters.moc"
