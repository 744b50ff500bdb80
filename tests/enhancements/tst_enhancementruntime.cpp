#include "clipboards/ClipboardPanel.h"
#include "clipboards/ToteBags.h"
#include "common/Dialogs.h"
#include "common/Palette.h"
#include "common/ProgramFolder.h"
#include "enhancements/EnhancementsPage.h"
#include "imaging/PictureView.h"
#include "shell/formVZMain.h"

#include "testutils.h"

#include <QApplication>
#include <QLibrary>
#include <QListWidget>

#include <dlfcn.h>
#include <memory>
#include <thread>

extern "C" void DllImage(void *holder);

using namespace vz;

namespace {

const QString kLoadFailed = QStringLiteral("Unable to load DLL.");
const QString kNoProc = QStringLiteral("Unable to locate procedure.");

// What a test library recorded (its exported globals).
struct Recorder
{
    int *mode = nullptr;
    int *entryCalls = nullptr;
    int *closeCalls = nullptr;
    int *closeArg = nullptr;
    void **args = nullptr;
    void **dllImage = nullptr;
    uint32_t *magic = nullptr;
    uint32_t *api = nullptr;
    uint32_t *servicesSize = nullptr;
    int *results = nullptr;

    explicit Recorder(const QString &path)
    {
        QLibrary lib(path);
        if (!lib.load())
            return;
        mode = static_cast<int *>(reinterpret_cast<void *>(lib.resolve("vzt_mode")));
        entryCalls = static_cast<int *>(reinterpret_cast<void *>(lib.resolve("vzt_entry_calls")));
        closeCalls = static_cast<int *>(reinterpret_cast<void *>(lib.resolve("vzt_close_calls")));
        closeArg = static_cast<int *>(reinterpret_cast<void *>(lib.resolve("vzt_close_arg")));
        args = static_cast<void **>(reinterpret_cast<void *>(lib.resolve("vzt_args")));
        dllImage = static_cast<void **>(reinterpret_cast<void *>(lib.resolve("vzt_dllimage")));
        magic = static_cast<uint32_t *>(reinterpret_cast<void *>(lib.resolve("vzt_magic")));
        api = static_cast<uint32_t *>(reinterpret_cast<void *>(lib.resolve("vzt_api")));
        servicesSize = static_cast<uint32_t *>(reinterpret_cast<void *>(lib.resolve("vzt_services_size")));
        results = static_cast<int *>(reinterpret_cast<void *>(lib.resolve("vzt_results")));
    }
    bool valid() const { return mode && entryCalls && closeCalls && args && results; }
};

enum Mode { SetPicture = 1, SetFlag = 2, CallDllImage = 4, Twice = 8, PostFinished = 16, PostImage = 32 };

QString entryFor(const QString &file, const QString &proc = QStringLiteral("EnhEntry"))
{
    return file + QStringLiteral("=  ") + QFileInfo(file).baseName() + QStringLiteral("=x=") + proc;
}

} // namespace

class TestEnhancementRuntime : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void pageLayout();
    void placeholderStartsNothing();
    void entryGetsSevenArguments();
    void badLibrary_data();
    void badLibrary();
    void missingEntryStillLaysOut();
    void dllImage_data();
    void dllImage();
    void dllImageIgnoresOtherHolders();
    void imageMessage_data();
    void imageMessage();
    void finishedMessageClosesOnce();
    void secondEnhancementClosesTheFirst();
    void sameEntryAgainCallsAgain();
    void missingCloseProcedure();
    void closingTheWindowCloses();
    void thrownExceptionsReported();
    void rowsDrawn();

private:
    QString lib(const QString &name) const { return m_box->path(QStringLiteral("program/Enhancements/Dll/") + name); }
    void openWindow();
    void click(const QString &entry);

    std::unique_ptr<vztest::Sandbox> m_box;
    std::unique_ptr<DialogResponder> m_dialogs;
    std::unique_ptr<TfrmVZMain> m_window;
    EnhancementsPage *m_page = nullptr;
};

void TestEnhancementRuntime::init()
{
    m_box = std::make_unique<vztest::Sandbox>();
    m_box->write("program/characters", "A=A\r\n");
    m_box->mkdir("program/Enhancements/Dll");
    for (const char *name : {"vzt_first.so", "vzt_second.so", "vzt_noclose.so", "vzt_unresolved.so", "vzt_throwing.so"})
        QVERIFY(QFile::copy(QStringLiteral(VZ_TEST_ENHANCEMENT_DIR "/") + QLatin1String(name), lib(QLatin1String(name))));
    setProgramFolder(m_box->path("program"));
    setCopiedImageShown(false);
    m_dialogs = std::make_unique<DialogResponder>();
    openWindow();
}

void TestEnhancementRuntime::openWindow()
{
    m_window = std::make_unique<TfrmVZMain>(QStringList{QStringLiteral("local")});
    m_window->resize(1000, 760);
    m_window->show();
    m_window->ShowEnhancement();
    m_page = EnhancementsPage::current();
    QVERIFY(m_page);
    m_dialogs->clear();
}

void TestEnhancementRuntime::cleanup()
{
    m_window.reset();
    m_dialogs.reset();
    m_box.reset();
}

// Puts the entry into the list and clicks it with the mouse.
void TestEnhancementRuntime::click(const QString &entry)
{
    QListWidget *list = m_page->pluginListbox();
    list->addItem(entry);
    QListWidgetItem *item = list->item(list->count() - 1);
    list->scrollToItem(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
}

void TestEnhancementRuntime::pageLayout()
{
    QWidget *embed = m_page->pnlEmbed();
    QListWidget *list = m_page->pluginListbox();
    QCOMPARE(list->width(), 122);
    QCOMPARE(m_page->imgPlugin()->geometry(), embed->rect());
    auto *notice = embed->findChild<QWidget *>(QStringLiteral("pnlNotice"));
    QVERIFY(notice);
    QCOMPARE(notice->size(), QSize(478, 131));
    QVERIFY(qAbs(notice->geometry().center().x() - embed->rect().center().x()) <= 1);
    // List column right of the embedding panel, with the 11-pixel splitter between.
    const QPoint listLeft = list->mapTo(m_window.get(), QPoint(0, 0));
    const QPoint embedRight = embed->mapTo(m_window.get(), QPoint(embed->width(), 0));
    QCOMPARE(listLeft.x() - embedRight.x(), 11);
    // Arrow keys select but start nothing.
    list->addItem(entryFor(QStringLiteral("vzt_first.so")));
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down);
    QVERIFY(!m_page->running());
}

void TestEnhancementRuntime::placeholderStartsNothing()
{
    click(QStringLiteral("  =  None Found = = "));
    QVERIFY(m_dialogs->requests().isEmpty());
    QVERIFY(!m_page->running());
}

void TestEnhancementRuntime::entryGetsSevenArguments()
{
    Recorder rec(lib("vzt_first.so"));
    QVERIFY(rec.valid());
    click(entryFor(QStringLiteral("vzt_first.so")));
    QCOMPARE(*rec.entryCalls, 1);
    QVERIFY(m_dialogs->requests().isEmpty());
    QCOMPARE(rec.args[0], static_cast<void *>(&m_page->holder()));
    QCOMPARE(rec.args[1], static_cast<void *>(m_page->pnlEmbed()));
    QCOMPARE(rec.args[2], static_cast<void *>(m_window->clipboardPanel()->imgWidowClip()));
    QCOMPARE(rec.args[3], static_cast<void *>(m_window.get()));
    QCOMPARE(rec.args[4], static_cast<void *>(&toteBag(kWindowsClip)));
    QCOMPARE(rec.args[5], static_cast<void *>(qApp));
    // Argument 7 finds the host's export.
    QVERIFY(*rec.dllImage);
    QCOMPARE(*rec.dllImage, dlsym(RTLD_DEFAULT, "DllImage"));
    QCOMPARE(*rec.magic, 0x485A4556u);
    QCOMPARE(*rec.api, 1u);
    QVERIFY(*rec.servicesSize >= 6 * sizeof(void *));
    // The services refuse a foreign control, a bad size, an unknown message and a missing file.
    QCOMPARE(rec.results[0], -1);
    QCOMPARE(rec.results[1], -1);
    QCOMPARE(rec.results[2], -1);
    QCOMPARE(rec.results[3], -3);
    QVERIFY(m_page->running());
    QCOMPARE(m_page->runningPath(), lib("vzt_first.so"));
    QCOMPARE(m_page->runningProc(), QStringLiteral("EnhEntry"));
}

void TestEnhancementRuntime::badLibrary_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("not a library") << "junk.so";
    QTest::newRow("missing") << "absent.so";
    QTest::newRow("unresolved symbol") << "vzt_unresolved.so";
    QTest::newRow("outside the folder") << "../outside.so";
    QTest::newRow("outside with backslashes") << "..\\outside.so";
    QTest::newRow("absolute") << "/outside.so";
    QTest::newRow("folder") << "sub";
}

void TestEnhancementRuntime::badLibrary()
{
    QFETCH(QString, file);
    m_box->write("program/Enhancements/Dll/junk.so", "This is not a library.\n");
    m_box->mkdir("program/Enhancements/Dll/sub");
    QVERIFY(QFile::copy(lib("vzt_first.so"), m_box->path("program/Enhancements/outside.so")));
    QVERIFY(QFile::copy(lib("vzt_first.so"), m_box->path("outside.so")));
    click(entryFor(file));
    QCOMPARE(m_dialogs->messages(), QStringList{kLoadFailed});
    QVERIFY(!m_page->running());
    // The list stays usable.
    Recorder rec(lib("vzt_first.so"));
    click(entryFor(QStringLiteral("vzt_first.so")));
    QCOMPARE(*rec.entryCalls, 1);
    QVERIFY(m_page->running());
}

void TestEnhancementRuntime::missingEntryStillLaysOut()
{
    auto *child = new QWidget(m_page->pnlEmbed());
    child->setGeometry(1, 1, 10, 10);
    child->show();
    click(entryFor(QStringLiteral("vzt_first.so"), QStringLiteral("NoSuchEntry")));
    QCOMPARE(m_dialogs->messages(), QStringList{kNoProc});
    QVERIFY(!m_page->running());
    QCOMPARE(child->geometry(), m_page->pnlEmbed()->rect());
    // Raised over the notice and the picture.
    QCOMPARE(m_page->pnlEmbed()->children().last(), child);
    m_page->pnlEmbed()->resize(m_page->pnlEmbed()->size() + QSize(20, 10));
    QTRY_COMPARE(child->geometry(), m_page->pnlEmbed()->rect());
}

void TestEnhancementRuntime::dllImage_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QSize>("shown"); // empty: nothing taken
    QTest::addColumn<QRgb>("colour");
    QTest::newRow("flag 0") << int(SetPicture | CallDllImage) << QSize() << QRgb(0);
    QTest::newRow("flag 1") << int(SetPicture | SetFlag | CallDllImage) << QSize(3, 2) << qRgb(255, 0, 0);
    QTest::newRow("twice") << int(SetPicture | SetFlag | CallDllImage | Twice) << QSize(5, 4) << qRgb(0, 0, 255);
    QTest::newRow("flag 1, no picture") << int(SetFlag | CallDllImage) << QSize() << QRgb(0);
}

void TestEnhancementRuntime::dllImage()
{
    QFETCH(int, mode);
    QFETCH(QSize, shown);
    QFETCH(QRgb, colour);
    Recorder rec(lib("vzt_first.so"));
    *rec.mode = mode;
    click(entryFor(QStringLiteral("vzt_first.so")));
    PictureView *windows = m_window->clipboardPanel()->imgWidowClip();
    QCOMPARE(copiedImageShown(), !shown.isEmpty());
    if (shown.isEmpty()) {
        QVERIFY(windows->isEmpty());
        return;
    }
    QCOMPARE(windows->picture().size(), shown);
    const QImage image = windows->image().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(image.pixel(0, 0), colour | 0xFF000000u);
    // Fitted into its box on the strip.
    QVERIFY(windows->geometry().isValid());
    QVERIFY(windows->parentWidget()->rect().contains(windows->geometry()));
}

void TestEnhancementRuntime::dllImageIgnoresOtherHolders()
{
    PictureView image;
    image.setImage(QImage(4, 4, QImage::Format_RGB32));
    THasDllImage other;
    other.type = m_page->holder().type;
    other.Image = &image;
    other.HasImage = 1;
    DllImage(&other);
    QVERIFY(!copiedImageShown());
    QVERIFY(m_window->clipboardPanel()->imgWidowClip()->isEmpty());
    // Our own holder, but from another thread: widgets are not touched there.
    THasDllImage &own = m_page->holder();
    own.Image->setImage(QImage(4, 4, QImage::Format_RGB32));
    own.HasImage = 1;
    std::thread([&own] { DllImage(&own); }).join();
    QVERIFY(!copiedImageShown());
    QVERIFY(m_window->clipboardPanel()->imgWidowClip()->isEmpty());
    DllImage(&own);
    QVERIFY(copiedImageShown());
}

void TestEnhancementRuntime::imageMessage_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("flagged");
    QTest::newRow("HasImage set") << int(SetPicture | SetFlag | PostImage) << true;
    QTest::newRow("HasImage clear") << int(SetPicture | PostImage) << false;
}

void TestEnhancementRuntime::imageMessage()
{
    QFETCH(int, mode);
    QFETCH(bool, flagged);
    Recorder rec(lib("vzt_first.so"));
    *rec.mode = mode;
    click(entryFor(QStringLiteral("vzt_first.so")));
    // Served after the entry returned, by the event loop.
    QVERIFY(!copiedImageShown());
    QCoreApplication::processEvents();
    QCOMPARE(copiedImageShown(), flagged);
    // Only the flag: nothing is copied.
    QVERIFY(m_window->clipboardPanel()->imgWidowClip()->isEmpty());
}

void TestEnhancementRuntime::finishedMessageClosesOnce()
{
    Recorder rec(lib("vzt_first.so"));
    *rec.mode = PostFinished;
    click(entryFor(QStringLiteral("vzt_first.so")));
    QVERIFY(m_page->running());
    QCOMPARE(*rec.closeCalls, 0);
    QTRY_COMPARE(*rec.closeCalls, 1);
    QCOMPARE(*rec.closeArg, 0);
    QVERIFY(!m_page->running());
    // A finished message while idle, posted to any object, is ignored.
    QCoreApplication::postEvent(m_page->pluginListbox(), new QEvent(QEvent::Type(EnhancementsPage::kFinishedMessage)));
    QCoreApplication::processEvents();
    QCOMPARE(*rec.closeCalls, 1);
    QVERIFY(m_dialogs->requests().isEmpty());
    // Running again, the message to another object closes it too.
    *rec.mode = 0;
    click(entryFor(QStringLiteral("vzt_first.so")));
    QCoreApplication::postEvent(m_page->pnlEmbed(), new QEvent(QEvent::Type(EnhancementsPage::kFinishedMessage)));
    QTRY_COMPARE(*rec.closeCalls, 2);
}

void TestEnhancementRuntime::secondEnhancementClosesTheFirst()
{
    Recorder first(lib("vzt_first.so"));
    Recorder second(lib("vzt_second.so"));
    click(entryFor(QStringLiteral("vzt_first.so")));
    click(entryFor(QStringLiteral("vzt_second.so")));
    QCOMPARE(*first.closeCalls, 1);
    QCOMPARE(*second.entryCalls, 1);
    QCOMPARE(m_page->runningPath(), lib("vzt_second.so"));
    QCoreApplication::postEvent(qApp, new QEvent(QEvent::Type(EnhancementsPage::kFinishedMessage)));
    QTRY_COMPARE(*second.closeCalls, 1);
    QCOMPARE(*first.closeCalls, 1);
}

void TestEnhancementRuntime::sameEntryAgainCallsAgain()
{
    Recorder rec(lib("vzt_first.so"));
    click(entryFor(QStringLiteral("vzt_first.so")));
    click(entryFor(QStringLiteral("vzt_first.so")));
    QCOMPARE(*rec.entryCalls, 2);
    QCOMPARE(*rec.closeCalls, 0);
    QVERIFY(m_page->running());
}

void TestEnhancementRuntime::missingCloseProcedure()
{
    click(entryFor(QStringLiteral("vzt_noclose.so")));
    QVERIFY(m_page->running());
    QCoreApplication::postEvent(qApp, new QEvent(QEvent::Type(EnhancementsPage::kFinishedMessage)));
    QTRY_COMPARE(m_dialogs->messages(), QStringList{kNoProc});
    QVERIFY(!m_page->running());
}

void TestEnhancementRuntime::closingTheWindowCloses()
{
    Recorder rec(lib("vzt_first.so"));
    click(entryFor(QStringLiteral("vzt_first.so")));
    m_window->close();
    QCOMPARE(*rec.closeCalls, 1);
    // Destroyed without closing: the destructor closes it, once.
    openWindow();
    click(entryFor(QStringLiteral("vzt_first.so")));
    m_window.reset();
    QCOMPARE(*rec.closeCalls, 2);
}

void TestEnhancementRuntime::thrownExceptionsReported()
{
    click(entryFor(QStringLiteral("vzt_throwing.so")));
    QCOMPARE(m_dialogs->messages(), QStringList{QStringLiteral("The enhancement failed: entry went wrong")});
    QVERIFY(m_page->running());
    m_dialogs->clear();
    m_page->closeEnhancement();
    QCOMPARE(m_dialogs->messages(), QStringList{QStringLiteral("The enhancement failed.")});
    QVERIFY(!m_page->running());
}

void TestEnhancementRuntime::rowsDrawn()
{
    QListWidget *list = m_page->pluginListbox();
    list->clear(); // the start-up scan left the placeholder
    list->addItem(QStringLiteral("a.so=W=x=E"));
    list->addItem(QStringLiteral("a.so=    W=x=E"));
    list->setCurrentRow(1);
    const QImage shot = list->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    auto firstInk = [&](int row, QRgb back) {
        const QRect r = list->visualItemRect(list->item(row));
        for (int x = r.left(); x < r.right(); ++x)
            for (int y = r.top(); y <= r.bottom(); ++y)
                if (shot.pixel(x, y) != back)
                    return x;
        return -1;
    };
    const QRect r0 = list->visualItemRect(list->item(0));
    QCOMPARE(r0.height(), 26);
    QCOMPARE(shot.pixel(r0.right() - 2, r0.center().y()), palette::listBack.rgb());
    const QRect r1 = list->visualItemRect(list->item(1));
    QCOMPARE(shot.pixel(r1.right() - 2, r1.center().y()), palette::mainBlue.rgb());
    const int x0 = firstInk(0, palette::listBack.rgb());
    const int x1 = firstInk(1, palette::mainBlue.rgb());
    QVERIFY2(x0 >= 4 && x0 <= 6, qPrintable(QString::number(x0)));
    // The display field's own blanks are drawn.
    QVERIFY2(x1 > x0 + 4, qPrintable(QStringLiteral("%1 %2").arg(x0).arg(x1)));
    // Black text on the light rows, white on the selected one.
    bool black = false, white = false;
    for (int x = r0.left(); x < r0.left() + 40; ++x)
        for (int y = r0.top(); y <= r0.bottom(); ++y) {
            black |= qGray(shot.pixel(x, y)) < 40;
            white |= shot.pixel(x, r1.top() + (y - r0.top())) == qRgb(255, 255, 255);
        }
    QVERIFY(black);
    QVERIFY(white);
}

QTEST_MAIN(TestEnhancementRuntime)
#include "tst_enhancementruntime.moc"
