#include "clipboards/ClipboardPanel.h"
#include "clipboards/ToteBags.h"
#include "common/Dialogs.h"
#include "common/ProgramFolder.h"
#include "enhancements/ClipboardRecovery.h"
#include "enhancements/EnhancementsPage.h"
#include "imaging/PictureView.h"
#include "metafile/WmfGenerator.h"
#include "platform/Registry.h"
#include "shell/formVZMain.h"

#include "testutils.h"

#include <QApplication>
#include <QBuffer>
#include <QLibrary>
#include <QPainter>
#include <QProcess>

#include <memory>

using namespace vz;

// The test runs itself as a helper program: with VZT_CRASH_HELPER set to a
// sandbox it fills the clipboards from the sandbox's files, starts a test
// enhancement that crashes, and dies with it.

namespace {

const QString kQuestion = QStringLiteral("The program ended while an enhancement was running. Restore the clipboards?");

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QImage gradient(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < w; ++x)
            row[x] = qRgb(x * 7 % 256, y * 11 % 256, (x + y) % 256);
    }
    return image;
}

// Fills the clipboards from the sandbox's files: a raster on "Alphabets",
// a JPEG on "Clipart", a metafile on "Mix & Match", a picture of its own on
// the "Windows" thumbnail.
void fillClipboards(const QString &box, ClipboardPanel *panel)
{
    QImage raster;
    raster.load(box + QStringLiteral("raster.png"));
    toteBag(kAlphaClip).RasterHolder.setBitmap(raster);
    toteBag(kAlphaClip).HasRaster = true;
    toteBag(kClipartClip).SetPicture(Picture::fromBytes(readAll(box + QStringLiteral("photo.jpg")), Picture::Kind::Jpeg));
    toteBag(kMixClip).SetPicture(Picture::fromBytes(readAll(box + QStringLiteral("drawing.wmf")), Picture::Kind::Metafile));
    panel->showWindowsPicture(Picture::fromBytes(readAll(box + QStringLiteral("photo.jpg")), Picture::Kind::Jpeg));
}

int crashHelper(int argc, char **argv, const QString &box)
{
    QApplication app(argc, argv);
    setProgramFolder(box + QStringLiteral("program"));
    DialogResponder dialogs;
    TfrmVZMain window({});
    fillClipboards(box, window.clipboardPanel());
    const QString lib = box + QStringLiteral("program/Enhancements/Dll/vzt_first.so");
    QLibrary recorder(lib);
    if (!recorder.load())
        return 2;
    *static_cast<int *>(reinterpret_cast<void *>(recorder.resolve("vzt_mode"))) = 64; // crash
    EnhancementsPage::current()->startEnhancement(QStringLiteral("vzt_first.so=  First=x=EnhEntry"));
    return 3; // not reached
}

} // namespace

class TestEnhancementCrash : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void crashLeavesCopy();
    void restore_data();
    void restore();
    void localKeepsNoCopy();
    void copyFollowsTheRun();
    void unchangedSlotsNotRewritten();
    void changedSlotRewrittenAfterUnchangedCopy_data();
    void changedSlotRewrittenAfterUnchangedCopy();

private:
    QString recoveryFolder() const { return registryFolder() + QStringLiteral("/recovery/"); }
    QString box() const { return m_box->path(); }

    std::unique_ptr<vztest::Sandbox> m_box;
    QByteArray m_crashCopy[16];
    QStringList m_crashFiles;
    int m_crashExit = -1;
    QProcess::ExitStatus m_crashStatus = QProcess::NormalExit;
};

void TestEnhancementCrash::initTestCase()
{
    m_box = std::make_unique<vztest::Sandbox>();
    qputenv("VZ_REGISTRY_DIR", m_box->path("registry").toLocal8Bit());
    m_box->write("program/characters", "A=A\r\n");
    m_box->mkdir("program/Enhancements/Dll");
    QVERIFY(QFile::copy(QStringLiteral(VZ_TEST_ENHANCEMENT_DIR "/vzt_first.so"), m_box->path("program/Enhancements/Dll/vzt_first.so")));
    QVERIFY(gradient(37, 23).save(m_box->path("raster.png")));
    QVERIFY(gradient(64, 48).save(m_box->path("photo.jpg"), "JPEG", 80));
    mf::WmfGenerator wmf;
    wmf.setSize(QSize(80, 60));
    {
        QPainter p(&wmf);
        p.fillRect(QRect(5, 5, 50, 30), Qt::red);
        p.drawEllipse(QRect(20, 20, 40, 30));
    }
    m_box->write("drawing.wmf", wmf.data());

    QProcess helper;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("VZT_CRASH_HELPER"), m_box->path());
    helper.setProcessEnvironment(env);
    helper.start(QCoreApplication::applicationFilePath(), {});
    QVERIFY(helper.waitForFinished(120000));
    m_crashStatus = helper.exitStatus();
    m_crashExit = helper.exitCode();
    // Kept for each test that restores it.
    m_crashFiles = QDir(recoveryFolder()).entryList(QDir::Files);
    for (int i = 0; i < m_crashFiles.size() && i < 16; ++i)
        m_crashCopy[i] = readAll(recoveryFolder() + m_crashFiles[i]);
}

void TestEnhancementCrash::init()
{
    clearAllToteBags();
    QDir(recoveryFolder()).removeRecursively();
    QDir().mkpath(recoveryFolder());
    for (int i = 0; i < m_crashFiles.size() && i < 16; ++i)
        m_box->write(QStringLiteral("registry/recovery/") + m_crashFiles[i], m_crashCopy[i]);
    setProgramFolder(m_box->path("program"));
}

void TestEnhancementCrash::cleanup()
{
    clearAllToteBags();
}

void TestEnhancementCrash::crashLeavesCopy()
{
    QCOMPARE(m_crashStatus, QProcess::CrashExit);
    QVERIFY(m_crashFiles.contains(QStringLiteral("index.txt")));
    QVERIFY(m_crashFiles.contains(QStringLiteral("raster1.png")));
    QVERIFY(m_crashFiles.contains(QStringLiteral("picture2.dat")));
    QVERIFY(m_crashFiles.contains(QStringLiteral("picture3.dat")));
    QVERIFY(m_crashFiles.contains(QStringLiteral("windows.dat")));
}

void TestEnhancementCrash::restore_data()
{
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QString>("damaged"); // a file of the copy made unreadable
    QTest::newRow("yes") << true << QString();
    QTest::newRow("no") << false << QString();
    QTest::newRow("yes, damaged JPEG") << true << "picture2.dat";
    QTest::newRow("yes, damaged raster") << true << "raster1.png";
}

void TestEnhancementCrash::restore()
{
    QFETCH(bool, yes);
    QFETCH(QString, damaged);
    if (!damaged.isEmpty())
        m_box->write(QStringLiteral("registry/recovery/") + damaged, "damaged");
    DialogResponder dialogs;
    dialogs.queueResult(yes ? MsgResult::Yes : MsgResult::No);
    TfrmVZMain window({});
    QCOMPARE(dialogs.messages(), QStringList{kQuestion});
    // Gone either way.
    QVERIFY(!QFile::exists(recoveryFolder() + QStringLiteral("index.txt")));
    if (!yes) {
        for (int n = 1; n <= 4; ++n)
            QVERIFY(!toteBag(n).holdsImage());
        return;
    }
    QCOMPARE(toteBag(kAlphaClip).HasRaster, damaged != QLatin1String("raster1.png"));
    if (toteBag(kAlphaClip).HasRaster) {
        QImage original;
        QVERIFY(original.load(box() + QStringLiteral("raster.png")));
        QCOMPARE(toteBag(kAlphaClip).RasterHolder.Bitmap().convertToFormat(QImage::Format_RGB32),
                 original.convertToFormat(QImage::Format_RGB32));
    }
    QCOMPARE(toteBag(kClipartClip).HasPicture, damaged != QLatin1String("picture2.dat"));
    if (toteBag(kClipartClip).HasPicture)
        QCOMPARE(toteBag(kClipartClip).PictureHolder.saveData(), readAll(box() + QStringLiteral("photo.jpg")));
    QVERIFY(toteBag(kMixClip).HasPicture);
    QCOMPARE(toteBag(kMixClip).PictureHolder.saveData(), readAll(box() + QStringLiteral("drawing.wmf")));
    QVERIFY(copiedImageShown());
    PictureView *windows = window.clipboardPanel()->imgWidowClip();
    QCOMPARE(windows->picture().saveData(), readAll(box() + QStringLiteral("photo.jpg")));
}

void TestEnhancementCrash::localKeepsNoCopy()
{
    DialogResponder dialogs;
    {
        TfrmVZMain window({QStringLiteral("local")});
        QVERIFY(dialogs.messages().isEmpty());
        // Running an enhancement under "local" writes nothing either.
        QDir(recoveryFolder()).removeRecursively();
        EnhancementsPage::current()->startEnhancement(QStringLiteral("vzt_first.so=  First=x=EnhEntry"));
        QVERIFY(EnhancementsPage::current()->running());
        QVERIFY(!QDir(recoveryFolder()).exists());
    }
}

void TestEnhancementCrash::copyFollowsTheRun()
{
    QDir(recoveryFolder()).removeRecursively();
    DialogResponder dialogs;
    const QString index = recoveryFolder() + QStringLiteral("index.txt");
    {
        TfrmVZMain window({});
        EnhancementsPage *page = EnhancementsPage::current();
        QVERIFY(!QFile::exists(index));
        // Written before the entry is called.
        page->startEnhancement(QStringLiteral("vzt_first.so=  First=x=EnhEntry"));
        QVERIFY(QFile::exists(index));
        QVERIFY(!QFile::exists(recoveryFolder() + QStringLiteral("picture2.dat")));
        // Showing the page while it runs takes what changed meanwhile.
        toteBag(kClipartClip).SetPicture(Picture::fromImage(gradient(8, 8)));
        window.ShowEnhancement();
        QVERIFY(QFile::exists(recoveryFolder() + QStringLiteral("picture2.dat")));
        // A picture handed back is copied too.
        page->holder().Image->setImage(gradient(9, 9));
        page->holder().HasImage = 1;
        page->DllImage(&page->holder());
        QVERIFY(QFile::exists(recoveryFolder() + QStringLiteral("windows.dat")));
        // Closing the enhancement ends the copy.
        page->closeEnhancement();
        QVERIFY(!QDir(recoveryFolder()).exists());
        page->startEnhancement(QStringLiteral("vzt_first.so=  First=x=EnhEntry"));
        QVERIFY(QFile::exists(index));
    }
    // So does a normal end of the program.
    QVERIFY(!QDir(recoveryFolder()).exists());
}

void TestEnhancementCrash::unchangedSlotsNotRewritten()
{
    QDir(recoveryFolder()).removeRecursively();
    vztest::Sandbox local;
    ClipboardRecovery recovery(local.path("copy"));
    toteBag(kAlphaClip).RasterHolder.setBitmap(gradient(10, 10));
    toteBag(kAlphaClip).HasRaster = true;
    toteBag(kMixClip).SetPicture(Picture::fromImage(gradient(5, 5)));
    QVERIFY(recovery.save(Picture()));
    QVERIFY(QFile::remove(local.path("copy/raster1.png")));
    QVERIFY(QFile::remove(local.path("copy/picture3.dat")));
    // Only the changed slot is written again.
    toteBag(kMixClip).SetPicture(Picture::fromImage(gradient(6, 6)));
    QVERIFY(recovery.save(Picture()));
    QVERIFY(!QFile::exists(local.path("copy/raster1.png")));
    QVERIFY(QFile::exists(local.path("copy/picture3.dat")));
    recovery.remove();
    QVERIFY(!recovery.exists());
    QVERIFY(!QDir(local.path("copy")).exists());
}

void TestEnhancementCrash::changedSlotRewrittenAfterUnchangedCopy_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("rewritten"); // the one file written again, none when empty
    QTest::newRow("nothing") << "nothing" << "";
    QTest::newRow("raster replaced") << "raster replaced" << "raster1.png";
    QTest::newRow("raster edited in place") << "raster edited" << "raster1.png";
    QTest::newRow("bitmap picture replaced") << "picture replaced" << "picture2.dat";
    QTest::newRow("bitmap picture width set") << "picture width" << "picture2.dat";
    QTest::newRow("metafile resized") << "metafile resized" << "picture3.dat";
    QTest::newRow("thumbnail replaced") << "thumbnail replaced" << "windows.dat";
}

void TestEnhancementCrash::changedSlotRewrittenAfterUnchangedCopy()
{
    QFETCH(QString, change);
    QFETCH(QString, rewritten);
    vztest::Sandbox local;
    ClipboardRecovery recovery(local.path("copy"));
    toteBag(kAlphaClip).RasterHolder.setBitmap(gradient(10, 10));
    toteBag(kAlphaClip).HasRaster = true;
    toteBag(kClipartClip).SetPicture(Picture::fromImage(gradient(12, 9)));
    toteBag(kMixClip).SetPicture(Picture::fromBytes(readAll(box() + QStringLiteral("drawing.wmf")), Picture::Kind::Metafile));
    setCopiedImageShown(true);
    Picture thumbnail = Picture::fromImage(gradient(7, 7));
    QVERIFY(recovery.save(thumbnail));

    const QStringList files{QStringLiteral("raster1.png"), QStringLiteral("picture2.dat"), QStringLiteral("picture3.dat"),
                            QStringLiteral("windows.dat")};
    const auto removeAll = [&] {
        for (const QString &f : files)
            QVERIFY(QFile::remove(local.path(QStringLiteral("copy/") + f)));
    };
    const auto present = [&] {
        QStringList out;
        for (const QString &f : files)
            if (QFile::exists(local.path(QStringLiteral("copy/") + f)))
                out << f;
        return out.join(QLatin1Char(' '));
    };
    // An unchanged copy writes nothing but the index...
    removeAll();
    QVERIFY(recovery.save(thumbnail));
    QCOMPARE(present(), QString());
    QVERIFY(QFile::exists(local.path("copy/index.txt")));

    // ...and does not hide a change made after it.
    if (change == QLatin1String("raster replaced"))
        toteBag(kAlphaClip).RasterHolder.setBitmap(gradient(11, 10));
    else if (change == QLatin1String("raster edited"))
        toteBag(kAlphaClip).RasterHolder.Reverse();
    else if (change == QLatin1String("picture replaced"))
        toteBag(kClipartClip).SetPicture(Picture::fromImage(gradient(13, 9)));
    else if (change == QLatin1String("picture width"))
        setBitmapWidth(toteBag(kClipartClip).PictureHolder, 20);
    else if (change == QLatin1String("metafile resized"))
        toteBag(kMixClip).PictureHolder.setSize(QSize(160, 120));
    else if (change == QLatin1String("thumbnail replaced"))
        thumbnail = Picture::fromImage(gradient(8, 7));
    QVERIFY(recovery.save(thumbnail));
    QCOMPARE(present(), rewritten);

    // What was written is what the clipboards now hold.
    if (rewritten.startsWith(QLatin1String("raster"))) {
        QImage back;
        QVERIFY(back.load(local.path(QStringLiteral("copy/") + rewritten), "PNG"));
        QCOMPARE(back.convertToFormat(QImage::Format_RGB32),
                 toteBag(kAlphaClip).RasterHolder.Bitmap().convertToFormat(QImage::Format_RGB32));
    } else if (!rewritten.isEmpty()) {
        const Picture held = rewritten == QLatin1String("windows.dat") ? thumbnail
                             : rewritten == QLatin1String("picture2.dat") ? toteBag(kClipartClip).PictureHolder
                                                                           : toteBag(kMixClip).PictureHolder;
        QCOMPARE(readAll(local.path(QStringLiteral("copy/") + rewritten)), held.saveData());
    }
}

int main(int argc, char **argv)
{
    const QByteArray helperBox = qgetenv("VZT_CRASH_HELPER");
    if (!helperBox.isEmpty())
        return crashHelper(argc, argv, QString::fromLocal8Bit(helperBox));
    QApplication app(argc, argv);
    TestEnhancementCrash test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_enhancementcrash.moc"
