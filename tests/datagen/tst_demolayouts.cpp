// The demo page layouts: made the same each run, holding what they promise
// (every picture kind, every box look, all on an 800-pixel page), and opened
// silently by `vztool layout dump` while a damaged copy is refused.

#include "Layouts.h"

#include "printpage/LayoutFile.h"
#include "printpage/PageGeometry.h"

#include "testutils.h"

#include <QProcess>
#include <QSet>

class TestDemoLayouts : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void sameBytesEachRun();
    void missingDataWritesNothing();
    void content_data();
    void content();
    void stylesAcrossPages();
    void dump_data();
    void dump();

private:
    QString m_program;
};

static const QStringList kLayouts = {QStringLiteral("Welcome.VZL"), QStringLiteral("Garden Party.VZL")};

static QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void TestDemoLayouts::initTestCase()
{
    m_program = QStringLiteral(VZ_PROGRAM_DIR) + QLatin1Char('/');
    if (!QFile::exists(m_program + QStringLiteral("PageLayout/Welcome.VZL")))
        QSKIP("the demo data is not built (VZ_BUILD_DATA=OFF)");
}

void TestDemoLayouts::sameBytesEachRun()
{
    vztest::Sandbox a, b;
    QString log;
    QTextStream logStream(&log);
    const QString characters = m_program + QStringLiteral("characters");
    QVERIFY2(datagen::generateLayouts(m_program, characters, a.path("PageLayout"), logStream), qPrintable(log));
    QVERIFY2(datagen::generateLayouts(m_program, characters, b.path("PageLayout"), logStream), qPrintable(log));
    for (const QString &name : kLayouts) {
        const QByteArray first = readAll(a.path("PageLayout/" + name));
        QVERIFY2(first.size() > 10000, qPrintable(name));
        QVERIFY2(first == readAll(b.path("PageLayout/" + name)), qPrintable(name));
        // And the build's own run made the very same file.
        QVERIFY2(first == readAll(m_program + "PageLayout/" + name), qPrintable(name));
    }
}

void TestDemoLayouts::missingDataWritesNothing()
{
    vztest::Sandbox empty, out;
    QString log;
    QTextStream logStream(&log);
    QVERIFY(!datagen::generateLayouts(empty.path(), m_program + QStringLiteral("characters"), out.path("PageLayout"),
                                      logStream));
    QVERIFY(log.contains(QStringLiteral("demo layouts")));
    QVERIFY(QDir(out.path("PageLayout")).entryList(QDir::Files).isEmpty());
}

void TestDemoLayouts::content_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("landscape");
    QTest::newRow("Welcome") << kLayouts.at(0) << false;
    QTest::newRow("Garden Party") << kLayouts.at(1) << true;
}

void TestDemoLayouts::content()
{
    QFETCH(QString, name);
    QFETCH(bool, landscape);
    const vz::DecodedLayout d = vz::decodeLayout(readAll(m_program + "PageLayout/" + name), 96);
    QCOMPARE(d.status, vz::DecodedLayout::Status::Ok);
    QCOMPARE(d.landscape, landscape);

    // On the page an 800-pixel-high A4 panel gives, every picture lies inside.
    const auto g = vz::computePageGeometry(
        vz::printerPageFor(QPageSize(QPageSize::A4), landscape ? QPageLayout::Landscape : QPageLayout::Portrait, 600),
        QSize(), QSize(4000, 820));
    QVERIFY(g);
    QCOMPARE(g->page.height(), 800);
    const QRect page(QPoint(0, 0), g->page.size());
    QSet<vz::Picture::Kind> kinds;
    for (const vz::DecodedPicture &p : d.pictures) {
        kinds.insert(p.picture.kind());
        const auto r = vz::layoutPictureRect(p, g->ppiX, g->ppiY);
        QVERIFY(r && page.contains(*r));
        QVERIFY(r->width() >= 30 && r->height() >= 30);
    }
    // Each page has all four kinds of the file (a WMF is kind 2).
    QCOMPARE(kinds, (QSet<vz::Picture::Kind>{vz::Picture::Kind::Bitmap, vz::Picture::Kind::Metafile,
                                             vz::Picture::Kind::Jpeg, vz::Picture::Kind::Gif}));

    QVERIFY(d.boxes.size() >= 3);
    QSet<int> alignments;
    bool border = false, noBorder = false;
    for (const vz::TextBoxData &b : d.boxes) {
        QVERIFY(page.contains(b.bounds));
        QVERIFY(!b.text.isEmpty());
        QCOMPARE(b.borderSingle, b.borderFlag);
        (b.borderFlag ? border : noBorder) = true;
        alignments.insert(b.alignment);
    }
    QVERIFY(border && noBorder);
    QCOMPARE(alignments.size(), 3); // left, right and centred
}

void TestDemoLayouts::stylesAcrossPages()
{
    // Between them the pages show plain text and every style.
    bool plain = false, bold = false, italic = false, underline = false, strikeOut = false;
    for (const QString &name : kLayouts) {
        const vz::DecodedLayout d = vz::decodeLayout(readAll(m_program + "PageLayout/" + name), 96);
        QCOMPARE(d.status, vz::DecodedLayout::Status::Ok);
        for (const vz::TextBoxData &b : d.boxes) {
            plain |= !b.bold && !b.italic && !b.underline && !b.strikeOut;
            bold |= b.bold;
            italic |= b.italic;
            underline |= b.underline;
            strikeOut |= b.strikeOut;
        }
    }
    QVERIFY(plain && bold && italic && underline && strikeOut);
}

void TestDemoLayouts::dump_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("damage"); // "", "longer" or "cut"
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    for (const QString &name : kLayouts) {
        QTest::addRow("%s", qPrintable(name)) << name << QByteArray() << 0 << QString();
        QTest::addRow("%s one byte longer", qPrintable(name))
            << name << QByteArray("longer") << 1 << QStringLiteral("The file header appears to be corrupt.");
        QTest::addRow("%s cut in a picture", qPrintable(name))
            << name << QByteArray("cut") << 1 << QStringLiteral("An error occured while loading the file.");
    }
}

void TestDemoLayouts::dump()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, damage);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    const QString tool = m_program + QStringLiteral("vztool");
    if (!QFile::exists(tool))
        QSKIP("vztool not built");
    QString file = m_program + "PageLayout/" + name;
    vztest::Sandbox box;
    if (!damage.isEmpty()) {
        QByteArray bytes = readAll(file);
        if (damage == "longer") {
            bytes.append('\0');
        } else {
            // Cut inside the first picture's data, length field set to match:
            // the header passes and the body fails.
            bytes.truncate(1000);
            const qint32 n = qint32(bytes.size());
            bytes.replace(0, 4, QByteArray(reinterpret_cast<const char *>(&n), 4));
        }
        file = box.write(name, bytes);
    }
    QProcess p;
    p.start(tool, {QStringLiteral("layout"), QStringLiteral("dump"), file});
    QVERIFY(p.waitForFinished(60000));
    const QString err = QString::fromUtf8(p.readAllStandardError());
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    QCOMPARE(p.exitCode(), exitCode);
    if (message.isEmpty()) {
        QVERIFY2(!err.contains(QStringLiteral("error")) && !err.contains(QStringLiteral("corrupt")), qPrintable(err));
        QVERIFY(out.contains(QStringLiteral("kind 4")) && out.contains(QStringLiteral("class TMemo")));
        QVERIFY(!out.contains(QStringLiteral("unreadable")));
    } else {
        QVERIFY2(err.contains(message), qPrintable(err));
    }
}

QTEST_MAIN(TestDemoLayouts)
#include "tst_demolayouts.moc"
