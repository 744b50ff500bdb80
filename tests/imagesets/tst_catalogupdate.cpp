// The catalog update's walk over a program folder, without windows.

#include "common/VzError.h"
#include "imagesets/CatalogUpdate.h"
#include "imagesets/LetterThumbnail.h"
#include "imagesets/ThumbnailTable.h"
#include "imaging/FastImage.h"

#include "testutils.h"

#include <QBuffer>
#include <QThreadPool>

#include <unistd.h>

using namespace vz;

namespace {

QByteArray jpeg(QSize size, QRgb colour = qRgb(20, 40, 220))
{
    QImage img(size, QImage::Format_RGB32);
    img.fill(colour);
    // A little detail so the encoder writes real scan data.
    for (int y = 0; y < img.height(); ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x)
            if ((x / 4 + y / 4) % 2)
                line[x] = qRgb((x * 7) & 255, (y * 5) & 255, 90);
    }
    QByteArray out;
    QBuffer buf(&out);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "JPG", 90);
    return out;
}

// A JPEG whose frame header claims 0 x 0.
QByteArray zeroSizeJpeg()
{
    QByteArray b = jpeg(QSize(16, 16));
    const qsizetype sof = b.indexOf(QByteArray("\xFF\xC0", 2));
    if (sof < 0 || sof + 9 > b.size())
        return {};
    for (int i = 5; i < 9; ++i)
        b[sof + i] = 0;
    return b;
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

struct Log
{
    QStringList rebuilt;
    QStringList failed; // folder + "|" + error
    QStringList labels;
    int restarts = 0;
    CatalogUpdateCallbacks callbacks(bool canRestart = true)
    {
        CatalogUpdateCallbacks cb;
        cb.label = [this](const QString &t) { labels.append(t); };
        cb.rebuilt = [this](const QString &f) { rebuilt.append(f); };
        cb.failed = [this](const QString &f, const QString &e) { failed.append(f + QLatin1Char('|') + e); };
        if (canRestart)
            cb.restart = [this] {
                ++restarts;
                return true;
            };
        return cb;
    }
};

// Restores the real file operations when a test ends.
struct FileOpsGuard
{
    ~FileOpsGuard() { setCatalogFileOps({}); }
};

} // namespace

class TestCatalogUpdate : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void markersInWalkOrder();
    void runStopsAtThird_data();
    void runStopsAtThird();
    void noRestartWithoutCallback();
    void badImageKeepsMarker_data();
    void badImageKeepsMarker();
    void imageCutInScanIsRebuilt();
    void failedWriteKeepsOldCatalog();
    void failedDeleteNeverRestarts();
    void unwritableFolder();
    void parallelMatchesOneThread_data();
    void parallelMatchesOneThread();
    void wideLetterCentred();
    void emptyFolderHeaderOnly();

private:
    // A marked alphabet folder with two letters and an old catalog.
    void markedAlphabet(const vztest::Sandbox &box, const QString &rel, const QString &marker = "Replace.catalog");
};

void TestCatalogUpdate::markedAlphabet(const vztest::Sandbox &box, const QString &rel, const QString &marker)
{
    box.write(rel + "/Let_A.jpg", jpeg(QSize(30, 60)));
    box.write(rel + "/Let_B.jpg", jpeg(QSize(60, 30)));
    box.write(rel + "/Images.catalog", "old");
    box.write(rel + "/" + marker, "");
}

void TestCatalogUpdate::markersInWalkOrder()
{
    vztest::Sandbox box;
    box.write("prog/Alphabets/Replace.catalog", "");
    box.write("prog/Alphabets/Color/B/replace.CATALOG", "");
    box.write("prog/Alphabets/Color/B/Images.catalog", "");
    box.write("prog/Alphabets/Color/A/REPLACE.catalog", "");
    box.write("prog/Alphabets/Color/A/Deep/Replace.catalog", "");
    box.write("prog/Alphabets/Color/C/NotReplace.catalog", "");
    // Markers outside the alphabets are left alone, as is the program folder's own.
    box.write("prog/Replace.catalog", "");
    box.write("prog/Images/Color/Animals/Replace.catalog", "");
    const QString p = box.path("prog/");
    const QStringList expected = {p + "Alphabets/Replace.catalog", p + "Alphabets/Color/A/REPLACE.catalog",
                                  p + "Alphabets/Color/A/Deep/Replace.catalog",
                                  p + "Alphabets/Color/B/replace.CATALOG"};
    QCOMPARE(findReplaceMarkers(box.path("prog")), expected);
}

void TestCatalogUpdate::runStopsAtThird_data()
{
    QTest::addColumn<int>("marked");
    QTest::addColumn<int>("rebuilt");
    QTest::addColumn<bool>("restart");
    QTest::newRow("none") << 0 << 0 << false;
    QTest::newRow("one") << 1 << 1 << false;
    QTest::newRow("two") << 2 << 2 << false;
    QTest::newRow("three") << 3 << 2 << true;
    QTest::newRow("five") << 5 << 2 << true;
}

void TestCatalogUpdate::runStopsAtThird()
{
    QFETCH(int, marked);
    QFETCH(int, rebuilt);
    QFETCH(bool, restart);
    vztest::Sandbox box;
    for (int i = 0; i < marked; ++i)
        markedAlphabet(box, QStringLiteral("prog/Alphabets/Color/S%1").arg(i), i == 1 ? "replace.CATALOG" : "Replace.catalog");
    box.write("prog/Images/Color/Animals/Replace.catalog", "clip");
    Log log;
    ThumbnailData work;
    const CatalogUpdateResult r = runCatalogUpdate(box.path("prog"), work, log.callbacks());
    QCOMPARE(r.rebuilt, rebuilt);
    QCOMPARE(log.rebuilt.size(), rebuilt);
    QCOMPARE(log.failed, QStringList());
    QCOMPARE(log.restarts, restart ? 1 : 0);
    QCOMPARE(r.restartAsked, restart);
    QCOMPARE(log.labels, restart ? QStringList{kRestartLabel} : QStringList());
    QCOMPARE(work.recordCount(), 0);
    for (int i = 0; i < marked; ++i) {
        const QString folder = box.path(QStringLiteral("prog/Alphabets/Color/S%1/").arg(i));
        const bool done = i < rebuilt;
        QCOMPARE(QFile::exists(folder + (i == 1 ? "replace.CATALOG" : "Replace.catalog")), !done);
        ThumbnailData t;
        if (done) {
            LoadLetterCatalogs(t, folder);
            QCOMPARE(t.count(), 2);
            QCOMPARE(t.fileName(0), QString("Let_A.jpg"));
        } else {
            QCOMPARE(fileBytes(folder + "Images.catalog"), QByteArray("old"));
        }
    }
    QVERIFY(QFile::exists(box.path("prog/Images/Color/Animals/Replace.catalog")));
    QVERIFY(!QFile::exists(box.path("prog/Images/Color/Animals/Images.catalog")));

    // The next run (after the restart) carries on with what is left.
    Log next;
    runCatalogUpdate(box.path("prog"), work, next.callbacks());
    QCOMPARE(next.rebuilt.size(), qMin(2, marked - rebuilt));
}

void TestCatalogUpdate::noRestartWithoutCallback()
{
    vztest::Sandbox box;
    for (int i = 0; i < 3; ++i)
        markedAlphabet(box, QStringLiteral("prog/Alphabets/S%1").arg(i));
    Log log;
    ThumbnailData work;
    const CatalogUpdateResult r = runCatalogUpdate(box.path("prog"), work, log.callbacks(false));
    QCOMPARE(r.rebuilt, 2);
    QVERIFY(r.stoppedAtLimit);
    QVERIFY(!r.restartAsked);
    QCOMPARE(log.labels, QStringList());
    QVERIFY(QFile::exists(box.path("prog/Alphabets/S2/Replace.catalog")));
    // Without a limit every marker goes in one run.
    const CatalogUpdateResult all = runCatalogUpdate(box.path("prog"), work, log.callbacks(false), {}, 0);
    QCOMPARE(all.rebuilt, 1);
    QVERIFY(!all.stoppedAtLimit);
}

void TestCatalogUpdate::badImageKeepsMarker_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray good = jpeg(QSize(40, 40));
    QTest::newRow("cut inside its header") << good.left(40);
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("0 x 0") << zeroSizeJpeg();
    QTest::newRow("not a JPEG") << QByteArray("GIF89a this is not what its name says");
}

void TestCatalogUpdate::badImageKeepsMarker()
{
    QFETCH(QByteArray, bytes);
    vztest::Sandbox box;
    for (int i = 0; i < 3; ++i)
        markedAlphabet(box, QStringLiteral("prog/Alphabets/S%1").arg(i));
    const QString bad = box.write("prog/Alphabets/S0/Let_C.jpg", bytes);
    Log log;
    ThumbnailData work;
    const CatalogUpdateResult r = runCatalogUpdate(box.path("prog"), work, log.callbacks());
    QCOMPARE(log.failed.size(), 1);
    QVERIFY2(log.failed.first().startsWith(box.path("prog/Alphabets/S0/") + "|"), qPrintable(log.failed.first()));
    QVERIFY2(log.failed.first().contains(bad), qPrintable(log.failed.first()));
    QVERIFY(QFile::exists(box.path("prog/Alphabets/S0/Replace.catalog")));
    QCOMPARE(fileBytes(box.path("prog/Alphabets/S0/Images.catalog")), QByteArray("old"));
    QCOMPARE(r.rebuilt, 2);
    QCOMPARE(log.rebuilt, QStringList({box.path("prog/Alphabets/S1/"), box.path("prog/Alphabets/S2/")}));
    QCOMPARE(log.restarts, 0);
    QCOMPARE(work.recordCount(), 0);
}

void TestCatalogUpdate::imageCutInScanIsRebuilt()
{
    vztest::Sandbox box;
    markedAlphabet(box, "prog/Alphabets/S0");
    const QByteArray whole = jpeg(QSize(200, 200));
    box.write("prog/Alphabets/S0/Let_C.jpg", whole.left(whole.size() * 2 / 3));
    Log log;
    ThumbnailData work;
    QCOMPARE(runCatalogUpdate(box.path("prog"), work, log.callbacks()).rebuilt, 1);
    ThumbnailData t;
    LoadLetterCatalogs(t, box.path("prog/Alphabets/S0/"));
    QCOMPARE(t.count(), 3);
}

void TestCatalogUpdate::failedWriteKeepsOldCatalog()
{
    FileOpsGuard guard;
    vztest::Sandbox box;
    for (int i = 0; i < 2; ++i)
        markedAlphabet(box, QStringLiteral("prog/Alphabets/S%1").arg(i));
    const QString target = box.path("prog/Alphabets/S0/Images.catalog");
    setCatalogFileOps({[target](const QString &path, const QByteArray &data, QString *error) {
                           if (path == target) {
                               *error = QStringLiteral("No space left on device");
                               return false;
                           }
                           QFile f(path);
                           return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
                       },
                       {}});
    Log log;
    ThumbnailData work;
    const CatalogUpdateResult r = runCatalogUpdate(box.path("prog"), work, log.callbacks());
    QCOMPARE(r.rebuilt, 1);
    QCOMPARE(log.failed.size(), 1);
    QVERIFY(log.failed.first().contains(target));
    QVERIFY(log.failed.first().contains("No space left on device"));
    QCOMPARE(fileBytes(target), QByteArray("old"));
    QVERIFY(QFile::exists(box.path("prog/Alphabets/S0/Replace.catalog")));
    QVERIFY(!QFile::exists(box.path("prog/Alphabets/S1/Replace.catalog")));
}

void TestCatalogUpdate::failedDeleteNeverRestarts()
{
    FileOpsGuard guard;
    vztest::Sandbox box;
    for (int i = 0; i < 4; ++i)
        markedAlphabet(box, QStringLiteral("prog/Alphabets/S%1").arg(i));
    setCatalogFileOps({{}, [](const QString &path, QString *error) {
                           if (isReplaceMarker(path)) {
                               *error = QStringLiteral("Read-only file system");
                               return false;
                           }
                           return QFile::remove(path);
                       }});
    // However often it runs, nothing is counted, so nothing restarts.
    for (int run = 0; run < 2; ++run) {
        Log log;
        ThumbnailData work;
        const CatalogUpdateResult r = runCatalogUpdate(box.path("prog"), work, log.callbacks());
        QCOMPARE(r.rebuilt, 0);
        QCOMPARE(log.failed.size(), 4);
        QVERIFY(log.failed.first().contains(box.path("prog/Alphabets/S0/Replace.catalog")));
        QCOMPARE(log.restarts, 0);
    }
    // The catalogs themselves were rebuilt.
    ThumbnailData t;
    LoadLetterCatalogs(t, box.path("prog/Alphabets/S0/"));
    QCOMPARE(t.count(), 2);
}

void TestCatalogUpdate::unwritableFolder()
{
    if (::geteuid() == 0)
        QSKIP("root writes whatever the permissions say");
    vztest::Sandbox box;
    markedAlphabet(box, "prog/Alphabets/S0");
    const QString folder = box.path("prog/Alphabets/S0");
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
    Log log;
    ThumbnailData work;
    const CatalogUpdateResult r = runCatalogUpdate(box.path("prog"), work, log.callbacks());
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(r.rebuilt, 0);
    QCOMPARE(log.failed.size(), 1);
    QCOMPARE(fileBytes(folder + "/Images.catalog"), QByteArray("old"));
    QVERIFY(QFile::exists(folder + "/Replace.catalog"));
}

void TestCatalogUpdate::parallelMatchesOneThread_data()
{
    QTest::addColumn<int>("threads");
    QTest::newRow("pool of 1") << 1;
    QTest::newRow("pool of 4") << 4;
}

void TestCatalogUpdate::parallelMatchesOneThread()
{
    QFETCH(int, threads);
    vztest::Sandbox box;
    for (int i = 0; i < 24; ++i)
        box.write(QStringLiteral("a/L%1.jpg").arg(i, 2, 10, QLatin1Char('0')),
                  jpeg(QSize(20 + 7 * i, 90 - 3 * i), qRgb(10 * i, 200 - 5 * i, 60)));
    // The reference: the records made one by one, in listing order.
    ThumbnailData reference;
    QStringList names = QDir(box.path("a")).entryList({"*.jpg"}, QDir::Files, QDir::Name);
    for (const QString &n : names)
        reference.appendThumbnail(n, n, bmp24Bytes(MakeLetterThumbnail(box.path("a/") + n)));

    QThreadPool *pool = QThreadPool::globalInstance();
    const int before = pool->maxThreadCount();
    pool->setMaxThreadCount(threads);
    ThumbnailData work;
    int waits = 0;
    RebuildLetterCatalog(box.path("a"), work, [&waits](const QFuture<void> &f) {
        ++waits;
        QFuture<void> running = f;
        running.waitForFinished();
    });
    pool->setMaxThreadCount(before);
    QCOMPARE(waits, 1);
    QCOMPARE(fileBytes(box.path("a/Images.catalog")), reference.saveToBytes());
}

void TestCatalogUpdate::wideLetterCentred()
{
    vztest::Sandbox box;
    QImage img(110, 55, QImage::Format_RGB32);
    img.fill(qRgb(0, 0, 0));
    img.save(box.path("a.jpg"), "JPG", 100);
    QCOMPARE(letterThumbnailSize(110, 55), QSize(55, 28));
    const QImage t = MakeLetterThumbnail(box.path("a.jpg"));
    QCOMPARE(t.size(), QSize(55, 55));
    // Rows 13 to 40 hold the letter, white above and below.
    auto rowIsWhite = [&t](int y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(t.constScanLine(y));
        return qGray(line[27]) > 240;
    };
    QVERIFY(rowIsWhite(12));
    QVERIFY(!rowIsWhite(13));
    QVERIFY(!rowIsWhite(40));
    QVERIFY(rowIsWhite(41));
}

void TestCatalogUpdate::emptyFolderHeaderOnly()
{
    vztest::Sandbox box;
    box.write("prog/Alphabets/E/Replace.catalog", "");
    box.write("prog/Alphabets/E/readme.txt", "no letters yet");
    Log log;
    ThumbnailData work;
    QCOMPARE(runCatalogUpdate(box.path("prog"), work, log.callbacks()).rebuilt, 1);
    QCOMPARE(fileBytes(box.path("prog/Alphabets/E/Images.catalog")), ThumbnailData().headerBytes());
}

QTEST_GUILESS_MAIN(TestCatalogUpdate)
#include "tst_catalogupdate.moc"
