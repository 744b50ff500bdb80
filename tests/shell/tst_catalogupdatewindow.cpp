// The catalog update as the main window runs it: the start-up check, Ctrl+R,
// the progress window and the restart request.

#include "common/Dialogs.h"
#include "common/ProgramFolder.h"
#include "imagesets/CatalogUpdate.h"
#include "lettering/AlphabetPage.h"
#include "platform/Registry.h"
#include "platform/Restart.h"
#include "shell/AppState.h"
#include "shell/formVZMain.h"

#include "testutils.h"

#include <QAbstractButton>
#include <QBuffer>
#include <QLabel>

using namespace vz;

namespace {

QByteArray jpeg(QSize size)
{
    QImage img(size, QImage::Format_RGB32);
    img.fill(qRgb(200, 30, 30));
    QByteArray out;
    QBuffer buf(&out);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "JPG");
    return out;
}

// Follows the progress window: how often it was shown and hidden, whether
// it blocked the other windows, and each text its label painted.
class ProgressWatcher : public QObject
{
public:
    ProgressWatcher() { qApp->installEventFilter(this); }
    ~ProgressWatcher() override { qApp->removeEventFilter(this); }
    int shown = 0;
    int hidden = 0;
    bool modal = false;
    QString caption;
    QStringList labels;

protected:
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (o->objectName() == QLatin1String("frmReplaceDlg")) {
            auto *w = static_cast<QWidget *>(o);
            if (e->type() == QEvent::Show) {
                ++shown;
                modal = w->windowModality() == Qt::ApplicationModal;
                caption = w->windowTitle();
            } else if (e->type() == QEvent::Hide) {
                ++hidden;
            }
        } else if (e->type() == QEvent::Paint && o->objectName() == QLatin1String("Label1")) {
            if (auto *l = qobject_cast<QLabel *>(o); l && (labels.isEmpty() || labels.last() != l->text()))
                labels.append(l->text());
        }
        return false;
    }
};

} // namespace

class TestCatalogUpdateWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void startupCheck_data();
    void startupCheck();
    void absentValueRunsTwice();
    void threeMarkersRestartOnce();
    void ctrlRFromClipartPage();
    void noRestartWhenFlagCannotBeWritten();
    void failureShowsMessage();

private:
    void mark(const QString &alphabet, int letters = 2);
    bool marked(const QString &alphabet) const;
    std::optional<RegValue> storedFlag() const;

    std::unique_ptr<vztest::Sandbox> m_box;
};

void TestCatalogUpdateWindow::init()
{
    m_box = std::make_unique<vztest::Sandbox>();
    m_box->write("program/characters", "A=A\r\nB=B\r\nSPACE= \r\n");
    for (const char *name : {"First", "Second", "Third"})
        m_box->write(QStringLiteral("program/Alphabets/Color/%1/ImageSetData.qn").arg(QLatin1String(name)),
                     QByteArray("Version=2\r\nName=") + name + "\r\nType=CA\r\n");
    setProgramFolder(m_box->path("program"));
    // The settings store lives in the sandbox, never in the user's folder.
    qputenv("VZ_REGISTRY_DIR", m_box->path("settings").toLocal8Bit());
    clearRestartRequest();
}

void TestCatalogUpdateWindow::cleanup() { clearRestartRequest(); }

void TestCatalogUpdateWindow::mark(const QString &alphabet, int letters)
{
    for (int i = 0; i < letters; ++i)
        m_box->write(QStringLiteral("program/Alphabets/Color/%1/%1_%2.jpg").arg(alphabet).arg(QChar('A' + i)),
                     jpeg(QSize(40 + 10 * i, 60)));
    m_box->write(QStringLiteral("program/Alphabets/Color/%1/Replace.catalog").arg(alphabet), "");
}

bool TestCatalogUpdateWindow::marked(const QString &alphabet) const
{
    return QFile::exists(m_box->path(QStringLiteral("program/Alphabets/Color/%1/Replace.catalog").arg(alphabet)));
}

std::optional<RegValue> TestCatalogUpdateWindow::storedFlag() const
{
    RegistryDocument doc;
    QFile f(registryFilePath());
    if (!f.open(QIODevice::ReadOnly) || !doc.parse(f.readAll()))
        return std::nullopt;
    RegKeyData *key = doc.findKey(RegistryKey::rootName(RegRoot::LocalMachine) + "\\" + kSettingsKey);
    if (!key)
        return std::nullopt;
    for (const RegValue &v : key->values)
        if (v.name == QLatin1String("HasNewQNFile"))
            return v;
    return std::nullopt;
}

void TestCatalogUpdateWindow::startupCheck_data()
{
    QTest::addColumn<QString>("stored"); // "absent", "1", "0" or "text"
    QTest::addColumn<bool>("local");
    QTest::addColumn<bool>("runs");
    QTest::addColumn<QString>("after"); // "absent", "1", "0" or "text"
    QTest::newRow("absent") << "absent" << false << true << "1";
    QTest::newRow("true") << "1" << false << true << "0";
    QTest::newRow("false") << "0" << false << false << "0";
    QTest::newRow("wrong type") << "text" << false << false << "text";
    QTest::newRow("local") << "1" << true << false << "1";
}

void TestCatalogUpdateWindow::startupCheck()
{
    QFETCH(QString, stored);
    QFETCH(bool, local);
    QFETCH(bool, runs);
    QFETCH(QString, after);
    if (stored != QLatin1String("absent")) {
        RegistryKey reg(RegRoot::LocalMachine);
        QVERIFY(reg.openKey(kSettingsKey, true));
        if (stored == QLatin1String("text"))
            reg.writeString("HasNewQNFile", "yes");
        else
            reg.writeBool("HasNewQNFile", stored == QLatin1String("1"));
    }
    mark("First");
    TfrmVZMain w(local ? QStringList{"local"} : QStringList{});
    QSignalSpy spy(&w, &TfrmVZMain::commandRun);
    w.Timer1Timer();
    QCOMPARE(spy.count(), runs ? 1 : 0);
    QCOMPARE(marked("First"), !runs);
    QVERIFY(!w.state().updateRunning);
    QVERIFY(!restartRequested());
    const std::optional<RegValue> flag = storedFlag();
    if (after == QLatin1String("absent")) {
        QVERIFY(!flag);
    } else if (after == QLatin1String("text")) {
        QVERIFY(flag && flag->type == RegValue::String);
        QCOMPARE(flag->text, QString("yes"));
    } else {
        QVERIFY(flag && flag->type == RegValue::DWord);
        QCOMPARE(flag->dword, after.toUInt());
    }
    // The letters of the rebuilt catalog are on the page.
    if (runs)
        QCOMPARE(w.alphabetPage()->letters().recordCount(), 2);
}

void TestCatalogUpdateWindow::absentValueRunsTwice()
{
    mark("First");
    {
        TfrmVZMain w({});
        w.Timer1Timer();
    }
    QVERIFY(!marked("First"));
    QCOMPARE(storedFlag()->dword, 1u);
    mark("Second");
    {
        TfrmVZMain w({});
        w.Timer1Timer();
    }
    QVERIFY(!marked("Second"));
    QCOMPARE(storedFlag()->dword, 0u);
}

namespace {
// The start-up tour's step writes RunTour the first time it runs.
bool runTourStored()
{
    RegistryKey reg(RegRoot::LocalMachine);
    return reg.openKey(kSettingsKey, false) && reg.valueExists(QStringLiteral("RunTour"));
}
} // namespace

void TestCatalogUpdateWindow::threeMarkersRestartOnce()
{
    {
        RegistryKey reg(RegRoot::LocalMachine);
        QVERIFY(reg.openKey(kSettingsKey, true));
        reg.writeBool("HasNewQNFile", true);
    }
    mark("First");
    mark("Second");
    mark("Third");
    const QStringList args{"--from-test", "two words"};
    ProgressWatcher watcher;
    {
        TfrmVZMain w(args);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.Timer1Timer();
        QVERIFY(!marked("First"));
        QVERIFY(!marked("Second"));
        QVERIFY(marked("Third"));
        QVERIFY(restartRequested());
        QCOMPARE(restartArguments(), args);
        QVERIFY(w.state().restarting);
        QCOMPARE(storedFlag()->dword, 1u);
        // A run that is about to restart skips the start-up tour: it does
        // not even ask the store for RunTour.
        QVERIFY(!runTourStored());
        // The window closes once the run is over.
        QTRY_VERIFY(!w.isVisible());
    }
    QCOMPARE(watcher.shown, 1);
    QCOMPARE(watcher.hidden, 1);
    QVERIFY(watcher.modal);
    QCOMPARE(watcher.caption, QString("Please Wait Updating"));
    QVERIFY(!watcher.labels.isEmpty());
    QCOMPARE(watcher.labels.last(), kRestartLabel);

    // The program as started again.
    clearRestartRequest();
    TfrmVZMain again(args);
    again.Timer1Timer();
    QVERIFY(!marked("Third"));
    QVERIFY(!restartRequested());
    QVERIFY(!again.state().restarting);
    QCOMPARE(storedFlag()->dword, 0u);
    QVERIFY(runTourStored());
}

void TestCatalogUpdateWindow::ctrlRFromClipartPage()
{
    mark("First", 3);
    mark("Second");
    mark("Third");
    TfrmVZMain w({"local"});
    w.Timer1Timer();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QVERIFY(marked("First"));
    w.findChild<QAbstractButton *>("btnClipart")->click();
    QCOMPARE(w.mainPageName(), QString("VZClipart"));
    ProgressWatcher watcher;
    QSignalSpy spy(&w, &TfrmVZMain::commandRun);
    QWidget *focus = QApplication::focusWidget();
    QTest::keyClick(focus ? focus : &w, Qt::Key_R, Qt::ControlModifier);
    QTRY_COMPARE(watcher.hidden, 1);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(watcher.shown, 1);
    QCOMPARE(watcher.hidden, 1);
    QCOMPARE(watcher.labels.value(0), QString("Please wait while HM Browser is being updated"));
    QVERIFY(!watcher.labels.contains(kRestartLabel));
    QCOMPARE(w.mainPageName(), QString("VZAlphabet"));
    QCOMPARE(w.lowerPageName(), QString("Alpha"));
    QVERIFY(w.findChild<QAbstractButton *>("btnAlpha")->isChecked());
    // Two rebuilt; the third waits, and without the store there is no restart.
    QVERIFY(!marked("First"));
    QVERIFY(!marked("Second"));
    QVERIFY(marked("Third"));
    QVERIFY(!restartRequested());
    QVERIFY(w.isVisible());
    QCOMPARE(w.alphabetPage()->letters().recordCount(), 3);
}

void TestCatalogUpdateWindow::noRestartWhenFlagCannotBeWritten()
{
    mark("First");
    mark("Second");
    mark("Third");
    TfrmVZMain w({});
    // The store turns unreadable after start-up, so "HasNewQNFile" cannot be
    // set and nothing would carry the run on: no restart.
    QFile store(registryFilePath());
    QVERIFY(store.open(QIODevice::WriteOnly));
    store.write("not a registry file");
    store.close();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.RunCatalogUpdate();
    QVERIFY(!marked("First"));
    QVERIFY(!marked("Second"));
    QVERIFY(marked("Third"));
    QVERIFY(!restartRequested());
    QVERIFY(!w.state().restarting);
    QVERIFY(w.isVisible());
}

void TestCatalogUpdateWindow::failureShowsMessage()
{
    mark("First");
    mark("Second");
    const QString bad = m_box->write("program/Alphabets/Color/First/First_Z.jpg", "not a picture");
    DialogResponder responder;
    TfrmVZMain w({"local"});
    w.RunCatalogUpdate();
    QCOMPARE(responder.messages().size(), 1);
    QVERIFY2(responder.messages().first().contains(bad), qPrintable(responder.messages().first()));
    QCOMPARE(responder.requests().first().icon, MsgIcon::Error);
    QVERIFY(marked("First"));
    QVERIFY(!marked("Second"));
}

QTEST_MAIN(TestCatalogUpdateWindow)
#include "tst_catalogupdatewindow.moc"
