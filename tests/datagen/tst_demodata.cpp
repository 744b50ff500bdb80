// The demo data the build lays out in the program folder: every alphabet,
// clip-art set, catalog, tip and tour must be what the program can use.

#include "common/NameValueFile.h"
#include "common/SplitFields.h"
#include "imagesets/AlphabetList.h"
#include "imagesets/CharacterMap.h"
#include "imagesets/ClipartTree.h"
#include "imagesets/Letters.h"
#include "imagesets/MemTable.h"
#include "imagesets/ThumbnailTable.h"
#include "imaging/Picture.h"

#include "testutils.h"

#include <QDirIterator>
#include <QSet>

class TestDemoData : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void alphabets();
    void clipart();
    void tips();
    void tours();
    void folders();

private:
    QString m_program;
};

void TestDemoData::initTestCase()
{
    m_program = QStringLiteral(VZ_PROGRAM_DIR) + QLatin1Char('/');
    if (!QFile::exists(m_program + QStringLiteral("tips.dat")))
        QSKIP("the demo data is not built (VZ_BUILD_DATA=OFF)");
}

static QSize imageSize(const QString &file)
{
    return vz::Picture::fromFile(file).size();
}

static QString extOf(const QString &file)
{
    return QFileInfo(file).suffix().toLower();
}

void TestDemoData::alphabets()
{
    QStringList entries;
    vz::LoadAlphabetList(entries, m_program + QStringLiteral("Alphabets/Color"));
    QVERIFY(entries.size() >= 10);
    vz::CharacterMap map;
    QVERIFY(map.load(m_program + QStringLiteral("characters")));
    QCOMPARE(map.codes().size(), 95); // 33..126 and the space

    QSet<QString> types, formats;
    QSet<int> heights;
    bool capitalsOnly = false, allPrintable = false, withSpace = false, nested = false;
    int wmfAlphabets = 0;
    for (const QString &entry : entries) {
        const QStringList f = vz::SplitFields(entry);
        QVERIFY2(f.size() == (f.at(1) == QLatin1String("Font") ? 8 : 7), qPrintable(entry));
        bool fillOk = false;
        f.at(5).toInt(&fillOk);
        QVERIFY2(fillOk, qPrintable(entry));
        types << f.at(1);
        const QString folder = f.at(2);
        nested |= QDir(folder).absolutePath().count(QLatin1Char('/'))
                  > QDir(m_program + QStringLiteral("Alphabets/Color")).absolutePath().count(QLatin1Char('/')) + 1;
        QVERIFY2(QFile::exists(folder + f.last()), qPrintable(entry)); // the cover is a letter

        const QStringList files = vz::letterFiles(folder);
        QVERIFY2(!files.isEmpty(), qPrintable(folder));
        QStringList allowed;
        vz::LoadAlphabetLetters(map, files, allowed);
        bool space = false;
        for (const QString &file : files) {
            const QString name = vz::letterName(file);
            space |= name == QLatin1String("SPACE");
            QVERIFY2(!map.names().value(name).isEmpty(), qPrintable(file)); // every letter file binds
        }
        // Each file binds a character of its own (the space through "SPACE= ").
        QCOMPARE(allowed.size(), files.size());
        withSpace |= space;
        capitalsOnly |= allowed.size() == 26 && allowed.contains(QStringLiteral("65")) && !allowed.contains(QStringLiteral("97"));
        allPrintable |= allowed.size() >= 94;
        const QString ext = extOf(files.first());
        formats << ext;
        for (const QString &file : files)
            QCOMPARE(extOf(file), ext);
        if (ext == QLatin1String("wmf"))
            ++wmfAlphabets;
        // Letters of one alphabet share one height.
        const int h = imageSize(files.first()).height();
        QVERIFY2(h >= 60 && h <= 150, qPrintable(QString::number(h)));
        heights << h;
        for (const QString &file : files)
            QCOMPARE(imageSize(file).height(), h);
        // Mix & Match's space is the last letter in file name order.
        if (space) {
            QStringList sorted = files;
            std::sort(sorted.begin(), sorted.end(), [](const QString &a, const QString &b) {
                return QFileInfo(a).fileName().toCaseFolded() < QFileInfo(b).fileName().toCaseFolded();
            });
            QCOMPARE(vz::letterName(sorted.last()), QStringLiteral("SPACE"));
        }

        // The letter catalog: one 55 x 55 thumbnail per letter file.
        vz::ThumbnailData table;
        vz::LoadLetterCatalogs(table, folder);
        QCOMPARE(table.count(), int(files.size()));
        for (int i = 0; i < table.count(); ++i) {
            QCOMPARE(table.name(i), table.fileName(i));
            QVERIFY(QFile::exists(folder + table.fileName(i)));
            QCOMPARE(table.thumbnail(i).size(), QSize(55, 55));
        }
    }
    QVERIFY(types.contains(QStringLiteral("CA")) && types.contains(QStringLiteral("Font")));
    for (const char *ext : {"bmp", "jpg", "gif", "wmf"})
        QVERIFY2(formats.contains(QLatin1String(ext)), ext);
    QVERIFY(wmfAlphabets >= 2);
    QVERIFY(heights.size() >= 5);
    QVERIFY(capitalsOnly);
    QVERIFY(allPrintable);
    QVERIFY(withSpace);
    QVERIFY(nested);
}

void TestDemoData::clipart()
{
    QSet<QString> setNames;
    QMap<QString, QStringList> filesByFolder[2];
    int pictures[2] = {0, 0};
    int wmf = 0;
    bool split = false;
    for (int t = 0; t < 2; ++t) {
        const QString tree = m_program + (t == 0 ? QStringLiteral("Images/Color") : QStringLiteral("Images/BW"));
        vz::SetFolderMap map;
        const QStringList categories = vz::scanClipartTree(tree, map);
        QVERIFY(categories.size() >= 12);
        QCOMPARE(categories.last().section(QLatin1Char('='), 0, 0), QStringLiteral("Everything"));
        for (const QString &category : categories.mid(0, categories.size() - 1)) {
            const QString folder = vz::categoryFolder(category);
            QDir dir(folder);
            const QStringList qn = dir.entryList({QStringLiteral("*.qn")}, QDir::Files);
            QCOMPARE(qn.size(), 1);
            vz::NameValueFile data;
            QVERIFY(data.load(folder + qn.first()));
            const QString set = data.value(QStringLiteral("Set"));
            QVERIFY(!data.value(QStringLiteral("Name")).isEmpty() && !data.value(QStringLiteral("Description")).isEmpty());
            QVERIFY2(!set.isEmpty() && set.size() <= 20, qPrintable(set));
            // Set names are unique across both trees, or pictures would come from the wrong folder.
            QVERIFY2(!setNames.contains(set.toLower()), qPrintable(set));
            setNames << set.toLower();
            const QStringList catalogs = vz::clipartCatalogFiles(folder);
            QVERIFY(!catalogs.isEmpty());
            split |= catalogs.size() > 1;

            vz::ThumbnailDataClip table;
            table.loadCatalogFiles(catalogs);
            QVERIFY(table.count() > 0);
            const QString relative = QDir(tree).relativeFilePath(folder);
            for (int i = 0; i < table.count(); ++i) {
                const QString file = table.fileName(i);
                QVERIFY2(QFile::exists(folder + file), qPrintable(folder + file));
                QVERIFY(!table.name(i).isEmpty() && table.name(i).size() <= 75);
                QVERIFY(file.size() <= 40);
                QCOMPARE(table.set(i), set);
                const QString search = table.search(i);
                QVERIFY2(search.size() <= 65 && !search.isEmpty(), qPrintable(file));
                for (const QString &word : vz::textLines(search))
                    QVERIFY2(!word.isEmpty() && word == word.toLower(), qPrintable(search));
                QCOMPARE(table.thumbnail(i).size(), QSize(55, 55));
                filesByFolder[t][relative] << file;
                if (t == 0 && extOf(file) == QLatin1String("wmf"))
                    ++wmf;
            }
            pictures[t] += table.count();
        }
    }
    QVERIFY(split);
    QVERIFY(pictures[0] >= 800);
    QCOMPARE(pictures[1], pictures[0]);
    QVERIFY(wmf * 4 >= pictures[0]);
    // The same sets with the same pictures in both trees.
    QCOMPARE(filesByFolder[1].keys(), filesByFolder[0].keys());
    for (auto it = filesByFolder[0].cbegin(); it != filesByFolder[0].cend(); ++it) {
        QStringList a = it.value(), b = filesByFolder[1].value(it.key());
        a.sort();
        b.sort();
        QCOMPARE(b, a);
    }
}

void TestDemoData::tips()
{
    QFile f(m_program + QStringLiteral("tips.dat"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    vz::MemTable table({vz::FieldDef::text(QStringLiteral("Tips"), 800)});
    QVERIFY(table.loadFromBytes(f.readAll()) >= 12);
    for (int r = 0; r < table.recordCount(); ++r)
        QVERIFY(table.text(r, 0).size() > 20);
}

void TestDemoData::tours()
{
    const QStringList tours = QDir(m_program + QStringLiteral("Tours")).entryList({QStringLiteral("*.tor")}, QDir::Files);
    QVERIFY(tours.contains(QStringLiteral("buttons.tor")));
    QVERIFY(tours.size() >= 2);
    using vz::FieldDef;
    using vz::FieldType;
    for (const QString &tour : tours) {
        QFile f(m_program + QStringLiteral("Tours/") + tour);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        vz::MemTable table({FieldDef::text(QStringLiteral("TourTitle"), 120), FieldDef::text(QStringLiteral("TourText"), 500),
                            FieldDef::fixed(QStringLiteral("TourMethodint"), FieldType::Integer),
                            FieldDef::fixed(QStringLiteral("TourMethodint2"), FieldType::Integer),
                            FieldDef::fixed(QStringLiteral("TourMethodint3"), FieldType::Integer),
                            FieldDef::text(QStringLiteral("TourMeathodText"), 500),
                            FieldDef::blob(QStringLiteral("TourImage"), FieldType::Graphic)});
        QVERIFY(table.loadFromBytes(bytes) >= 5);
        // The stored descriptors are exactly the tour table's.
        const QList<FieldDef> stored = vz::storedFields(bytes);
        QCOMPARE(stored.size(), 10);
        for (int r = 0; r < table.recordCount(); ++r) {
            QVERIFY(!table.text(r, 0).isEmpty() && !table.text(r, 1).isEmpty());
            for (int c = 2; c <= 4; ++c) {
                const qint64 code = table.integer(r, c);
                QVERIFY2(code >= 0 && code <= 35 && code != 32, qPrintable(QString::number(code)));
                if (code == 6)
                    QVERIFY(!table.text(r, 5).isEmpty());
            }
            QImage picture;
            QVERIFY(picture.loadFromData(table.blob(r, 6), "BMP"));
            QCOMPARE(picture.size(), QSize(141, 94));
        }
    }
}

void TestDemoData::folders()
{
    for (const char *d : {"PageLayout", "Enhancements/Installed", "Enhancements/Dll", "Help"})
        QVERIFY2(QFileInfo(m_program + QLatin1String(d)).isDir(), d);
    QFile help(m_program + QStringLiteral("Help/default.html"));
    QVERIFY(help.open(QIODevice::ReadOnly));
    const QByteArray html = help.readAll();
    for (const char *part : {"Keyboard shortcuts", "Mix &amp; Match", "Preview and effects", "print page", "Clipboards"})
        QVERIFY2(html.contains(part), part);
}

QTEST_MAIN(TestDemoData)
#include "tst_demodata.moc"
