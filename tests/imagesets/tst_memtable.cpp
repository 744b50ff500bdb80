// The memory table file and the catalogs built on it.

#include "testutils.h"

#include "common/VzError.h"
#include "imagesets/ClipartTree.h"
#include "imagesets/MemTable.h"
#include "imagesets/ThumbnailTable.h"
#include "imaging/FastImage.h"

#include <QtEndian>

using namespace vz;

namespace {

QByteArray le32(qint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    return QByteArray(b, 4);
}

QByteArray le16(qint16 v)
{
    char b[2];
    qToLittleEndian(v, b);
    return QByteArray(b, 2);
}

QByteArray descriptor(const QByteArray &name, qint16 type, qint32 size)
{
    return le32(size) + le16(type) + le16(qint16(name.size() + 1)) + name + '\0';
}

QByteArray textValue(const QByteArray &t)
{
    return le32(qint32(t.size() + 1)) + t + '\0';
}

QByteArray smallBmp(QRgb colour)
{
    QImage img(55, 55, QImage::Format_RGB32);
    img.fill(colour);
    return bmp24Bytes(img);
}

QByteArray clipCatalog(const QList<QStringList> &records)
{
    ThumbnailDataClip t;
    for (const QStringList &r : records)
        t.appendThumbnail(r.value(0), r.value(1), smallBmp(qRgb(10, 20, 30)), r.value(2), r.value(3));
    return t.saveToBytes();
}

} // namespace

class TestMemTable : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void catalogHeaders_data();
    void catalogHeaders();
    void roundTrip_data();
    void roundTrip();
    void fixedFieldsAndNulls();
    void withoutVer();
    void unknownFieldsSkipped();
    void picturePrefixStripped();
    void cutShortKeepsWholeRecords();
    void lyingLengths_data();
    void lyingLengths();
    void joinedCatalogs();
    void damagedCatalogKeepsLaterOnes_data();
    void damagedCatalogKeepsLaterOnes();
    void clipartWalkOrder();
    void letterLoaderOwnFolderOnly();
    void sortAndFilter();
    void searchWords();
    void thumbnailsDecodedOnDemand();
    void clipartTree();
};

void TestMemTable::catalogHeaders_data()
{
    QTest::addColumn<int>("flavour");
    QTest::addColumn<QByteArray>("expected");
    const QByteArray ver = QByteArray("Ver") + QByteArray::fromHex("666666666666F63F");
    QTest::newRow("clip-art") << int(CatalogFlavour::Clipart)
                              << ver + le32(5) + descriptor("Name", 1, 76) + descriptor("FileName", 1, 41)
                                     + descriptor("Image", 15, 0) + descriptor("Set", 1, 21)
                                     + descriptor("Search", 1, 66);
    QTest::newRow("letters") << int(CatalogFlavour::Letters)
                             << ver + le32(3) + descriptor("Name", 1, 41) + descriptor("FileName", 1, 41)
                                    + descriptor("Image", 15, 0);
}

void TestMemTable::catalogHeaders()
{
    QFETCH(int, flavour);
    QFETCH(QByteArray, expected);
    ThumbnailTable t(static_cast<CatalogFlavour>(flavour));
    QCOMPARE(t.headerBytes(), expected);
    QCOMPARE(t.saveToBytes(), expected);
    QCOMPARE(expected.size(), catalogHeaderSize(static_cast<CatalogFlavour>(flavour)));
}

void TestMemTable::roundTrip_data()
{
    QTest::addColumn<int>("flavour");
    QTest::newRow("clip-art") << int(CatalogFlavour::Clipart);
    QTest::newRow("letters") << int(CatalogFlavour::Letters);
}

void TestMemTable::roundTrip()
{
    QFETCH(int, flavour);
    const auto fl = static_cast<CatalogFlavour>(flavour);
    ThumbnailTable t(fl);
    const QString longName(100, QLatin1Char('n'));
    t.appendThumbnail(QStringLiteral("Zebra \xe9t\xe9"), QStringLiteral("zebra.wmf"), smallBmp(qRgb(255, 0, 0)),
                      QStringLiteral("Animals"), QStringLiteral("zebra\r\nstripes"));
    t.appendThumbnail(longName, QStringLiteral("Ant.bmp"), QByteArray(), QStringLiteral("Bugs"), QString());
    const QByteArray bytes = t.saveToBytes();

    ThumbnailTable back(fl);
    QCOMPARE(back.loadFromBytes(bytes), 2);
    QCOMPARE(back.saveToBytes(), bytes);
    QCOMPARE(back.text(0, back.nameField()), QStringLiteral("Zebra \xe9t\xe9"));
    // Texts are cut to the field's length when set.
    QCOMPARE(back.text(1, back.nameField()), longName.left(fl == CatalogFlavour::Clipart ? 75 : 40));
    QCOMPARE(back.blob(0, back.imageField()), smallBmp(qRgb(255, 0, 0)));
    QVERIFY(back.blob(1, back.imageField()).isEmpty());
    if (fl == CatalogFlavour::Clipart) {
        QCOMPARE(back.text(0, back.setField()), QStringLiteral("Animals"));
        QCOMPARE(back.text(0, back.searchField()), QStringLiteral("zebra\r\nstripes"));
    }
    // Sorted by file name without regard to case.
    QCOMPARE(back.fileName(0), QStringLiteral("Ant.bmp"));
    QCOMPARE(back.thumbnail(1).size(), QSize(55, 55));
    QVERIFY(back.thumbnail(0).isNull());

    vztest::Sandbox box;
    back.saveToFile(box.path(QStringLiteral("x.catalog")));
    QFile f(box.path(QStringLiteral("x.catalog")));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), bytes);
}

void TestMemTable::fixedFieldsAndNulls()
{
    const QList<FieldDef> fields = {FieldDef::text(QStringLiteral("Tip"), 200),
                                    FieldDef::fixed(QStringLiteral("Number"), FieldType::Integer),
                                    FieldDef::fixed(QStringLiteral("Small"), FieldType::SmallInt),
                                    FieldDef::fixed(QStringLiteral("When"), FieldType::DateTime),
                                    FieldDef::blob(QStringLiteral("Notes"), FieldType::Memo)};
    MemTable t(fields);
    int r = t.appendRecord();
    t.setText(r, 0, QStringLiteral("first"));
    t.setInteger(r, 1, -7);
    t.setInteger(r, 2, -2);
    t.setReal(r, 3, 39448.5);
    t.setBlob(r, 4, QByteArray("memo\0text", 9));
    r = t.appendRecord(); // all null
    const QByteArray bytes = t.saveToBytes();
    // Record 2: text (4+1), three flag+value fields, memo length 0.
    QCOMPARE(bytes.right(5 + 5 + 3 + 9 + 4), textValue("") + QByteArray(5, '\0') + QByteArray(3, '\0')
                                                  + QByteArray(9, '\0') + le32(0));

    MemTable back(fields);
    QCOMPARE(back.loadFromBytes(bytes), 2);
    QCOMPARE(back.integer(0, 1), -7);
    QCOMPARE(back.integer(0, 2), -2);
    QCOMPARE(back.real(0, 3), 39448.5);
    QCOMPARE(back.blob(0, 4), QByteArray("memo\0text", 9));
    QVERIFY(!back.isNull(0, 1));
    QVERIFY(back.isNull(1, 1));
    QVERIFY(back.isNull(1, 3));
}

void TestMemTable::withoutVer()
{
    // No "Ver": the stream starts at the field count, and fixed fields carry
    // no null-flag byte.
    QByteArray bytes = le32(2) + descriptor("Number", 3, 4) + descriptor("Tip", 1, 11);
    bytes += le32(42) + textValue("hello");
    bytes += le32(-1) + textValue("x");
    MemTable t({FieldDef::text(QStringLiteral("tip"), 10), FieldDef::fixed(QStringLiteral("NUMBER"), FieldType::Integer)});
    QCOMPARE(t.loadFromBytes(bytes), 2);
    QCOMPARE(t.text(0, 0), QStringLiteral("hello"));
    QCOMPARE(t.integer(0, 1), 42);
    QCOMPARE(t.integer(1, 1), -1);
    QVERIFY(!t.isNull(1, 1));
}

void TestMemTable::unknownFieldsSkipped()
{
    // A catalog with extra fields of every storage kind among the known ones.
    QByteArray bytes = QByteArray("Ver") + QByteArray::fromHex("666666666666F63F") + le32(6);
    bytes += descriptor("Extra", 1, 30) + descriptor("FileName", 1, 41) + descriptor("Count", 3, 4)
             + descriptor("Image", 15, 0) + descriptor("Blob", 13, 0) + descriptor("Name", 1, 41);
    const QByteArray bmp = smallBmp(qRgb(0, 0, 255));
    for (const QByteArray &n : {QByteArray("b.bmp"), QByteArray("a.bmp")})
        bytes += textValue("ignored words") + textValue(n) + QByteArray(1, '\1') + le32(99) + le32(bmp.size()) + bmp
                 + le32(3) + "xyz" + textValue("Letter " + n);
    ThumbnailData t;
    QCOMPARE(t.loadFromBytes(bytes), 2);
    QCOMPARE(t.text(0, t.fileNameField()), QStringLiteral("b.bmp"));
    QCOMPARE(t.text(1, t.nameField()), QStringLiteral("Letter a.bmp"));
    QCOMPARE(t.blob(1, t.imageField()), bmp);
    QCOMPARE(t.fileName(0), QStringLiteral("a.bmp"));
}

void TestMemTable::picturePrefixStripped()
{
    const QByteArray bmp = smallBmp(qRgb(1, 2, 3));
    QByteArray prefixed = le16(1) + le16(0x0100) + le32(bmp.size()) + bmp;
    QByteArray bytes = ThumbnailData().headerBytes();
    bytes += textValue("A") + textValue("a.bmp") + le32(prefixed.size()) + prefixed;
    // A prefix whose length does not match is not a prefix: kept as it is.
    QByteArray odd = le16(1) + le16(0x0100) + le32(5) + bmp;
    bytes += textValue("B") + textValue("b.bmp") + le32(odd.size()) + odd;
    ThumbnailData t;
    QCOMPARE(t.loadFromBytes(bytes), 2);
    QCOMPARE(t.blob(0, t.imageField()), bmp);
    QCOMPARE(t.thumbnailOfRecord(0).pixel(0, 0), qRgb(1, 2, 3));
    QCOMPARE(t.blob(1, t.imageField()), odd);
}

void TestMemTable::cutShortKeepsWholeRecords()
{
    const QByteArray whole = clipCatalog({{QStringLiteral("One"), QStringLiteral("1.bmp")},
                                          {QStringLiteral("Two"), QStringLiteral("2.bmp")},
                                          {QStringLiteral("Six"), QStringLiteral("3.bmp")}});
    const qsizetype header = catalogHeaderSize(CatalogFlavour::Clipart);
    const qsizetype recordSize = (whole.size() - header) / 3;
    for (qsizetype cut = 0; cut <= whole.size(); ++cut) {
        ThumbnailDataClip t;
        const int expected = cut < header ? 0 : int((cut - header) / recordSize);
        QCOMPARE(t.loadFromBytes(whole.left(cut)), expected);
        QCOMPARE(t.recordCount(), expected);
        if (expected > 0)
            QCOMPARE(t.text(expected - 1, t.fileNameField()), QStringLiteral("%1.bmp").arg(expected));
    }
}

void TestMemTable::lyingLengths_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("records");
    const QByteArray head = ThumbnailData().headerBytes();
    const QByteArray good = textValue("A") + textValue("a.bmp") + le32(4) + "BMxx";
    QTest::newRow("text length past end") << head + good + le32(0x7fffffff) + "A" << 1;
    QTest::newRow("negative text length") << head + good + le32(-5) + "AAAAAAAAAAAA" << 1;
    QTest::newRow("picture length past end") << head + good + textValue("B") + textValue("b") + le32(1 << 30) << 1;
    QTest::newRow("huge field count") << QByteArray("Ver") + QByteArray(8, '\0') + le32(0x7fffffff) << 0;
    QTest::newRow("name length past end")
        << QByteArray("Ver") + QByteArray::fromHex("666666666666F63F") + le32(1) + le32(41) + le16(1) + le16(3000)
        << 0;
    QTest::newRow("records of no bytes")
        << le32(1) + descriptor("Name", 3, 0) + QByteArray(64, 'x') << 0;
    QTest::newRow("only Ver") << QByteArray("Ver") << 0;
    QTest::newRow("empty") << QByteArray() << 0;
}

void TestMemTable::lyingLengths()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, records);
    ThumbnailData t;
    QCOMPARE(t.loadFromBytes(bytes), records);
}

void TestMemTable::joinedCatalogs()
{
    vztest::Sandbox box;
    const QString a = box.write(QStringLiteral("a.catalog"), clipCatalog({{QStringLiteral("Zed"), QStringLiteral("z.bmp")}}));
    const QString b = box.write(QStringLiteral("b.catalog"), clipCatalog({{QStringLiteral("Ant"), QStringLiteral("A.bmp")},
                                                                         {QStringLiteral("Bee"), QStringLiteral("b.bmp")}}));
    // A further file's header is not read at all: garbage there is harmless.
    QByteArray c = clipCatalog({{QStringLiteral("Cat"), QStringLiteral("c.bmp")}});
    c.replace(0, 86, QByteArray(86, '\xff'));
    const QString cPath = box.write(QStringLiteral("c.catalog"), c);
    const QString empty = box.write(QStringLiteral("d.catalog"), QByteArray());

    ThumbnailDataClip t;
    t.loadCatalogFiles({a, empty, b, cPath});
    QCOMPARE(t.recordCount(), 4);
    QStringList loadOrder, sorted;
    for (int r = 0; r < t.recordCount(); ++r)
        loadOrder << t.text(r, t.fileNameField());
    for (int i = 0; i < t.count(); ++i)
        sorted << t.fileName(i);
    QCOMPARE(loadOrder, QStringList({"z.bmp", "A.bmp", "b.bmp", "c.bmp"}));
    QCOMPARE(sorted, QStringList({"A.bmp", "b.bmp", "c.bmp", "z.bmp"}));

    QVERIFY_THROWS_EXCEPTION(FileError, t.loadCatalogFiles({a, box.path(QStringLiteral("missing.catalog"))}));
}

void TestMemTable::damagedCatalogKeepsLaterOnes_data()
{
    QTest::addColumn<bool>("letters");
    QTest::addColumn<int>("damaged");   // index of the catalog cut short
    QTest::addColumn<int>("halfRecords"); // what is left of its records, in half records
    QTest::addColumn<QStringList>("loaded");
    // Catalogs: a1 a2 a3 | b1 b2 | c1.
    for (const bool letters : {false, true}) {
        const char *kind = letters ? "letters: " : "clip-art: ";
        QTest::newRow(qPrintable(QString(kind) + "first cut mid-record"))
            << letters << 0 << 3 << QStringList{"a1", "b1", "b2", "c1"};
        QTest::newRow(qPrintable(QString(kind) + "middle cut mid-record"))
            << letters << 1 << 1 << QStringList{"a1", "a2", "a3", "c1"};
        QTest::newRow(qPrintable(QString(kind) + "middle cut after a record"))
            << letters << 1 << 2 << QStringList{"a1", "a2", "a3", "b1", "c1"};
        QTest::newRow(qPrintable(QString(kind) + "last cut mid-record"))
            << letters << 2 << 1 << QStringList{"a1", "a2", "a3", "b1", "b2"};
        // Cut inside its header: no records of its own.
        QTest::newRow(qPrintable(QString(kind) + "middle cut in its header"))
            << letters << 1 << -1 << QStringList{"a1", "a2", "a3", "c1"};
        // Without fields from the first, the next readable header gives them.
        QTest::newRow(qPrintable(QString(kind) + "first cut in its header"))
            << letters << 0 << -1 << QStringList{"b1", "b2", "c1"};
    }
}

void TestMemTable::damagedCatalogKeepsLaterOnes()
{
    QFETCH(bool, letters);
    QFETCH(int, damaged);
    QFETCH(int, halfRecords);
    QFETCH(QStringList, loaded);
    const CatalogFlavour flavour = letters ? CatalogFlavour::Letters : CatalogFlavour::Clipart;
    const qsizetype header = catalogHeaderSize(flavour);
    vztest::Sandbox box;
    QStringList files;
    const QList<QStringList> names = {{"a1", "a2", "a3"}, {"b1", "b2"}, {"c1"}};
    for (int i = 0; i < names.size(); ++i) {
        ThumbnailTable t(flavour);
        for (const QString &n : names[i])
            t.appendThumbnail(n, n + ".bmp", smallBmp(qRgb(10, 20, 30)), QStringLiteral("Set"), n);
        QByteArray bytes = t.saveToBytes();
        if (i == damaged) {
            const qsizetype record = (bytes.size() - header) / names[i].size();
            bytes.truncate(halfRecords < 0 ? header / 2 : header + record * halfRecords / 2);
        }
        files << box.write(QStringLiteral("c%1.catalog").arg(i), bytes);
    }
    ThumbnailTable t(flavour);
    t.loadCatalogFiles(files);
    QStringList got;
    for (int r = 0; r < t.recordCount(); ++r)
        got << t.text(r, t.nameField());
    QCOMPARE(got, loaded);
    // The records after the damage are whole, thumbnails included.
    QCOMPARE(t.thumbnailOfRecord(t.recordCount() - 1).size(), QSize(55, 55));
}

void TestMemTable::clipartWalkOrder()
{
    vztest::Sandbox box;
    box.write(QStringLiteral("cat/sub/a.catalog"), clipCatalog({{QStringLiteral("Sub"), QStringLiteral("sub.bmp")}}));
    box.write(QStringLiteral("cat/z.catalog"), clipCatalog({{QStringLiteral("Own"), QStringLiteral("own.bmp")}}));
    box.write(QStringLiteral("cat/notes.txt"), "x");
    const QStringList files = clipartCatalogFiles(box.path(QStringLiteral("cat")));
    QCOMPARE(files.size(), 2);
    QVERIFY(files[0].endsWith(QLatin1String("cat/z.catalog")));
    ThumbnailDataClip t;
    LoadClipartCatalogs(t, box.path(QStringLiteral("cat")));
    QCOMPARE(t.text(0, t.fileNameField()), QStringLiteral("own.bmp"));
    QCOMPARE(t.text(1, t.fileNameField()), QStringLiteral("sub.bmp"));
}

void TestMemTable::letterLoaderOwnFolderOnly()
{
    vztest::Sandbox box;
    ThumbnailData letters;
    letters.appendThumbnail(QStringLiteral("A"), QStringLiteral("Bab_A.bmp"), smallBmp(qRgb(0, 0, 0)));
    box.write(QStringLiteral("abc/Images.catalog"), letters.saveToBytes());
    box.write(QStringLiteral("abc/deeper/Images.catalog"), letters.saveToBytes());
    ThumbnailData t;
    LoadLetterCatalogs(t, box.path(QStringLiteral("abc")));
    QCOMPARE(t.recordCount(), 1);
    LoadLetterCatalogs(t, box.path(QStringLiteral("nothing-here")));
    QCOMPARE(t.recordCount(), 0);
    QCOMPARE(t.count(), 0);
}

void TestMemTable::sortAndFilter()
{
    ThumbnailDataClip t;
    t.loadFromBytes(clipCatalog({{QStringLiteral("Cat"), QStringLiteral("cat.wmf"), QStringLiteral("Pets"), QStringLiteral("cat\r\npet")},
                                 {QStringLiteral("Hat"), QStringLiteral("Hat.wmf"), QStringLiteral("Wear"), QStringLiteral("Hat")},
                                 {QStringLiteral("Dog"), QStringLiteral("DOG.wmf"), QStringLiteral("Pets"), QStringLiteral("dog\npet")},
                                 {QStringLiteral("Ant"), QStringLiteral("ant.wmf"), QStringLiteral("Bugs"), QString()}}));
    auto visible = [&] {
        QStringList names;
        for (int i = 0; i < t.count(); ++i)
            names << t.name(i);
        return names;
    };
    QCOMPARE(visible(), QStringList({"Ant", "Cat", "Dog", "Hat"}));

    t.setSearch(QStringLiteral("at"), true);
    QCOMPARE(visible(), QStringList({"Cat", "Hat"})); // "Hat" lower-cased on the record side
    t.setSearch(QStringLiteral("Cat"), true);
    QCOMPARE(visible(), QStringList());
    t.setSearch(QStringLiteral("cat"), true);
    QCOMPARE(visible(), QStringList({"Cat"}));
    t.setSearch(QStringLiteral("t\r\np"), true); // across a line break only with it
    QCOMPARE(visible(), QStringList({"Cat"}));
    t.setSearch(QStringLiteral("pet"), true);
    QCOMPARE(visible(), QStringList({"Cat", "Dog"}));
    t.setSearch(QStringLiteral("pet"), false);
    QCOMPARE(t.count(), 4);

    QVERIFY(ThumbnailDataFilterRecord(QStringLiteral("CAT"), QStringLiteral("cat"), true));
    QVERIFY(!ThumbnailDataFilterRecord(QStringLiteral("cat"), QStringLiteral("Cat"), true));
    QVERIFY(ThumbnailDataFilterRecord(QStringLiteral("cat"), QStringLiteral("Cat"), false));
    // Only A-Z are lower-cased: an accented capital stays as it is.
    QVERIFY(!ThumbnailDataFilterRecord(QStringLiteral("\xc9T\xc9"), QStringLiteral("\xe9t\xe9"), true));
}

void TestMemTable::searchWords()
{
    ThumbnailDataClip t;
    t.loadFromBytes(clipCatalog({{QStringLiteral("a"), QStringLiteral("a"), QString(), QStringLiteral("Zoo\r\napple\n\nZOO")},
                                 {QStringLiteral("b"), QStringLiteral("b"), QString(), QStringLiteral("apple\rbanana\r\n")},
                                 {QStringLiteral("c"), QStringLiteral("c"), QString(), QString()}}));
    QCOMPARE(t.searchWords(), QStringList({"apple", "banana", "zoo"}));
    QCOMPARE(textLines(QStringLiteral("a\r\nb\rc\nd\n")), QStringList({"a", "b", "c", "d"}));
}

void TestMemTable::thumbnailsDecodedOnDemand()
{
    QList<QStringList> records;
    for (int i = 0; i < 200; ++i)
        records.append({QStringLiteral("n%1").arg(i), QStringLiteral("f%1.bmp").arg(i, 3, 10, QLatin1Char('0'))});
    ThumbnailDataClip t;
    t.loadFromBytes(clipCatalog(records));
    QCOMPARE(t.count(), 200);
    QCOMPARE(t.decodedCount(), 0);
    QCOMPARE(t.thumbnail(7).size(), QSize(55, 55));
    QCOMPARE(t.thumbnail(7).pixel(3, 3), qRgb(10, 20, 30));
    QCOMPARE(t.decodedCount(), 1);
    t.thumbnail(7);
    QCOMPARE(t.decodedCount(), 1);
    t.setSearch(QStringLiteral("x"), true); // filtering decodes nothing
    QCOMPARE(t.decodedCount(), 1);
    QVERIFY(t.thumbnail(500).isNull());
}

void TestMemTable::clipartTree()
{
    vztest::Sandbox box;
    box.write(QStringLiteral("Color/zoo/animals.qn"), "Name=Zoo Animals\r\nDescription=Big cats\r\nSet=ZOO\r\n");
    box.write(QStringLiteral("Color/bugs/b.qn"), "Name=bugs\nSet=Bugs\n");
    box.write(QStringLiteral("Color/bugs/more/x.qn"), "Name=Ants\nSet=zoo\n");
    box.write(QStringLiteral("BW/zoo/animals.qn"), "Name=Zoo\nSet=Zoo\n");
    SetFolderMap map;
    const QStringList cats = scanClipartTree(box.path(QStringLiteral("Color")), map);
    const QString color = box.path(QStringLiteral("Color")) + QLatin1Char('/');
    QCOMPARE(cats, QStringList({"Ants=" + color + "bugs/more/=", "bugs=" + color + "bugs/=",
                                "Zoo Animals=" + color + "zoo/=Big cats", "Everything=" + color}));
    QCOMPARE(categoryFolder(cats.last()), color);
    QCOMPARE(categoryFolder(cats[2]), color + "zoo/");
    scanClipartTree(box.path(QStringLiteral("BW")), map);
    QCOMPARE(map.entries().size(), 4);
    QVERIFY(map.entries().contains("bugs=" + color + "bugs/"));
    // The first scanned folder wins for a set declared twice.
    QCOMPARE(map.folderOf(QStringLiteral("Zoo")), map.folderOf(QStringLiteral("zoo")));
    QVERIFY(map.folderOf(QStringLiteral("ZOO")).startsWith(color));
    QCOMPARE(map.folderOf(QStringLiteral("none")), QString());

    SetFolderMap none;
    QCOMPARE(scanClipartTree(box.path(QStringLiteral("missing")), none).size(), 1);
}

QTEST_GUILESS_MAIN(TestMemTable)
#include "tst_memtable.moc"
