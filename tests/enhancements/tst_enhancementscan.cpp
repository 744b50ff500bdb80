#include "common/Dialogs.h"
#include "common/ProgramFolder.h"
#include "enhancements/EnhancementDescriptor.h"
#include "enhancements/EnhancementList.h"
#include "enhancements/EnhancementScan.h"
#include "platform/ShellOpen.h"
#include "shell/formVZMain.h"

#include "testutils.h"

#include <QListWidget>

#include <sys/stat.h>
#include <unistd.h>

using namespace vz;

namespace {

const QString kHost = QStringLiteral("3.20.2");

QString foundQuestion(const QString &name)
{
    return "VE Zaraz has found a new VZ Enhancenet by the name of \r\n" + name + ". Would you like to install it now?";
}
QString installedMessage(const QString &name) { return "The Enhancement " + name + " has been installed successfuly."; }
QString damagedMessage(const QString &name) { return "The Enhancement file " + name + " is damaged and cannot be installed."; }
const QString kUpdateQuestion = QStringLiteral(
    "This Enhancement file requires a new browser. To download the lates update goto \r\n"
    "vellozine.example/VARidivEzerudi/ Would you like to go there now?");
const QString kGiveUpQuestion = QStringLiteral(
    "Would you like to stop trying to install this Enhancement?\r\n\r\nIf so click yes to remove the Enhancement. "
    "\r\n\r\nClick no to do nothing.");

QByteArray descriptor(const QString &library, const QString &name, const QString &procedure = "VzRun",
                      const QString &version = "3.20.2")
{
    return ("PLUG-IN\r\n" + version + "\r\n" + library + "\r\n" + name + "\r\nthird\r\n" + procedure + "\r\n").toUtf8();
}

QStringList items(const QListWidget &list)
{
    QStringList out;
    for (int i = 0; i < list.count(); ++i)
        out << list.item(i)->text();
    return out;
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestEnhancementScan : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void versions_data();
    void versions();
    void versionOrder_data();
    void versionOrder();
    void libraryPaths_data();
    void libraryPaths();

    void descriptors_data();
    void descriptors();
    void oversizedDescriptorIsDamaged();
    void descriptorFilesFound();
    void listTextDecoding();

    void noDescriptors_data();
    void noDescriptors();
    void twoAcceptedInNameOrder();
    void allDeclinedGetPlaceholderBack();
    void updateQuestionOpensPage();
    void givingUp_data();
    void givingUp();
    void installedFolderCreated();
    void sameNameInInstalledReplaced();
    void repeatedEntryReplacedInPlace();
    void unreadableListOffersNothing();
    void readOnlyFolderOffersNothing();
    void failedListWriteKeepsDescriptor();
    void startupScanFillsList();

private:
    QString folder() const { return m_box->path("Enhancements") + '/'; }
    QString listPath() const { return folder() + "DllList.txt"; }
    void scan() { ScanEnhancements(folder(), &m_list, nullptr, kHost); }

    std::unique_ptr<vztest::Sandbox> m_box;
    std::unique_ptr<DialogResponder> m_answers;
    QListWidget m_list;
    QStringList m_opened;
};

void TestEnhancementScan::init()
{
    m_box = std::make_unique<vztest::Sandbox>();
    m_box->mkdir("Enhancements/Installed");
    m_answers = std::make_unique<DialogResponder>();
    m_list.clear();
    m_opened.clear();
    setShellOpenHook([this](const QString &url) { m_opened << url; });
}

void TestEnhancementScan::cleanup()
{
    setShellOpenHook({});
    m_answers.reset();
}

void TestEnhancementScan::versions_data()
{
    QTest::addColumn<QString>("required");
    QTest::addColumn<bool>("accepted");
    // Byte-wise order got 3.20.10 and 10.0 wrong; numbers compare by value.
    QTest::newRow("same") << "3.20.2" << true;
    QTest::newRow("shorter") << "3.20" << true;
    QTest::newRow("3.3") << "3.3" << true;
    QTest::newRow("one number") << "3" << true;
    QTest::newRow("leading zeros") << "03.020.002" << true;
    QTest::newRow("trailing zero part") << "3.20.2.0" << true;
    QTest::newRow("older with letter") << "3.20.1z" << true;
    QTest::newRow("3.20.10") << "3.20.10" << false;
    QTest::newRow("4.0") << "4.0" << false;
    QTest::newRow("10.0") << "10.0" << false;
    QTest::newRow("letter after none") << "3.20.2a" << false;
    QTest::newRow("extra part") << "3.20.2.1" << false;
    QTest::newRow("huge number") << "3.99999999999999999999999" << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("leading blank") << " 3.20" << false;
    QTest::newRow("trailing blank") << "3.20 " << false;
    QTest::newRow("double dot") << "3..2" << false;
    QTest::newRow("trailing dot") << "3.20." << false;
    QTest::newRow("letter inside") << "3a.1" << false;
    QTest::newRow("two letters") << "3.1ab" << false;
    QTest::newRow("other digits") << QString::fromUtf8("\u0663.1") << false;
}

void TestEnhancementScan::versions()
{
    QFETCH(QString, required);
    QFETCH(bool, accepted);
    QCOMPARE(versionAccepted(required, kHost), accepted);
}

void TestEnhancementScan::versionOrder_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<int>("order");
    QTest::newRow("missing parts are 0") << "3.20" << "3.20.0.0" << 0;
    QTest::newRow("by value") << "3.9" << "3.10" << -1;
    QTest::newRow("long numbers") << "123456789012345678901" << "123456789012345678900" << 1;
    QTest::newRow("letters") << "1.2a" << "1.2b" << -1;
    QTest::newRow("letter on shorter") << "3.20a" << "3.20.0" << 1;
    QTest::newRow("numbers before letter") << "3.20z" << "3.21" << -1;
}

void TestEnhancementScan::versionOrder()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(int, order);
    QVERIFY(isVersionText(a) && isVersionText(b));
    QCOMPARE(qBound(-1, compareVersions(a, b), 1), order);
    QCOMPARE(qBound(-1, compareVersions(b, a), 1), -order);
}

void TestEnhancementScan::libraryPaths_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<bool>("safe");
    QTest::newRow("plain") << "banner.so" << true;
    QTest::newRow("subfolder") << "sub/x.so" << true;
    QTest::newRow("backslash subfolder") << "sub\\x.so" << true;
    QTest::newRow("dots inside a name") << "x..y.so" << true;
    QTest::newRow("blank") << "   " << false;
    QTest::newRow("absolute") << "/x.so" << false;
    QTest::newRow("backslash absolute") << "\\x.so" << false;
    QTest::newRow("drive") << "C:\\x.so" << false;
    QTest::newRow("parent") << "../x.so" << false;
    QTest::newRow("parent inside") << "sub/../../x.so" << false;
    QTest::newRow("backslash parent") << "sub\\..\\x.so" << false;
    QTest::newRow("beyond the first plane") << QString::fromUtf8("\U0001F600.so") << true;
    QTest::newRow("control character") << "a\tb.so" << false;
    // The list file would lose it at the start of its line.
    QTest::newRow("byte order mark") << QChar(0xFEFF) + QString("x.so") << false;
}

void TestEnhancementScan::libraryPaths()
{
    QFETCH(QString, field);
    QFETCH(bool, safe);
    QCOMPARE(isSafeLibraryPath(field), safe);
}

// Each descriptor goes through a whole scan: accepted at the first question,
// then "No" to every question after it.
void TestEnhancementScan::descriptors_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("verdict"); // passed, update or damaged
    QTest::addColumn<QString>("entry");

    QTest::newRow("good") << descriptor("banner.so", "Banner") << "passed" << "banner.so=  Banner=third=VzRun";
    QTest::newRow("LF ends, no final end") << QByteArray("PLUG-IN\n3.20\nb.so\nB\n\nRun") << "passed" << "b.so=  B==Run";
    QTest::newRow("byte order mark") << "\xEF\xBB\xBF" + descriptor("b.so", "B") << "passed" << "b.so=  B=third=VzRun";
    QTest::newRow("seven lines") << descriptor("b.so", "B") + "more=stuff\r\n" << "passed" << "b.so=  B=third=VzRun";
    QTest::newRow("Windows-1252 name") << QByteArray("PLUG-IN\r\n3\r\nb.so\r\nCaf\xE9\r\n\r\nRun\r\n") << "passed"
                                       << QString::fromUtf8("b.so=  Caf\u00e9==Run");
    QTest::newRow("backslash path") << descriptor("sub\\x.so", " Sub") << "passed" << "sub\\x.so=   Sub=third=VzRun";
    QTest::newRow("leading blank marker") << " " + descriptor("b.so", "B") << "update" << "";
    QTest::newRow("lower case marker") << descriptor("b.so", "B").replace("PLUG-IN", "plug-in") << "update" << "";
    QTest::newRow("too new") << descriptor("b.so", "B", "Run", "3.20.10") << "update" << "";
    QTest::newRow("empty version") << descriptor("b.so", "B", "Run", "") << "update" << "";
    QTest::newRow("one other line") << QByteArray("HELLO\r\n") << "update" << "";
    QTest::newRow("no lines") << QByteArray() << "damaged" << "";
    QTest::newRow("only the marker") << QByteArray("PLUG-IN\r\n") << "damaged" << "";
    QTest::newRow("five lines") << QByteArray("PLUG-IN\r\n3.20.2\r\nb.so\r\nB\r\nthird\r\n") << "damaged" << "";
    QTest::newRow("equals sign") << descriptor("b.so", "B=C") << "damaged" << "";
    QTest::newRow("empty library") << descriptor("", "B") << "damaged" << "";
    QTest::newRow("empty procedure") << descriptor("b.so", "B", "") << "damaged" << "";
    QTest::newRow("parent path") << descriptor("../x.so", "B") << "damaged" << "";
    QTest::newRow("absolute path") << descriptor("/x.so", "B") << "damaged" << "";
}

void TestEnhancementScan::descriptors()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, verdict);
    QFETCH(QString, entry);
    m_box->write("Enhancements/x.hmp", bytes);
    m_answers->queueResult(MsgResult::Yes);
    for (int i = 0; i < 3; ++i)
        m_answers->queueResult(MsgResult::No);
    scan();

    const bool passed = verdict == "passed";
    QStringList expected{foundQuestion("x.hmp")};
    if (passed)
        expected << installedMessage("x.hmp");
    else
        expected << (verdict == "update" ? kUpdateQuestion : damagedMessage("x.hmp")) << kGiveUpQuestion;
    QCOMPARE(m_answers->messages(), expected);
    if (!passed)
        QCOMPARE(m_answers->requests().at(1).icon, verdict == "update" ? MsgIcon::Information : MsgIcon::Error);
    QCOMPARE(items(m_list), QStringList{passed ? entry : kPlaceholderEntry});
    QCOMPARE(readAll(listPath()), passed ? (entry + "\r\n").toUtf8() : QByteArray());
    QCOMPARE(QFile::exists(folder() + "x.hmp"), !passed);
    QCOMPARE(QFile::exists(folder() + "Installed/x.hmp"), passed);
    QVERIFY(m_opened.isEmpty());
}

void TestEnhancementScan::oversizedDescriptorIsDamaged()
{
    QByteArray big = descriptor("b.so", "B");
    QStringList lines;
    m_box->write("Enhancements/fits.hmp", big + QByteArray(kMaxDescriptorBytes - big.size(), ' '));
    QVERIFY(readDescriptorFile(folder() + "fits.hmp", &lines));
    QCOMPARE(checkDescriptorLines(lines, kHost).verdict, DescriptorVerdict::Passed);
    m_box->write("Enhancements/big.hmp", big + QByteArray(kMaxDescriptorBytes - big.size() + 1, ' '));
    QVERIFY(!readDescriptorFile(folder() + "big.hmp", &lines));
}

void TestEnhancementScan::descriptorFilesFound()
{
    for (const char *name : {"b.HMP", "a.hmp", "c.Hmp", ".hidden.hmp", "x.hmpx", "x.txt", "hmp", "Installed/in.hmp"})
        m_box->write(QString("Enhancements/") + name, descriptor("b.so", "B"));
    m_box->mkdir("Enhancements/folder.hmp");
    // Reading a pipe would wait for ever.
    QCOMPARE(::mkfifo(QFile::encodeName(folder() + "pipe.hmp").constData(), 0644), 0);
    QVERIFY(QFile::link(folder() + "gone.so", folder() + "dangling.hmp"));
    QCOMPARE(findDescriptors(folder()), (QStringList{"a.hmp", "b.HMP", "c.Hmp"}));
}

void TestEnhancementScan::listTextDecoding()
{
    m_box->write("Enhancements/DllList.txt",
                 "\xEF\xBB\xBF" "a.so=  A=x=Run\r\n\r\nb.so=  B\xC3\xA9=x=Run\nc.so=  C=x=Run");
    QStringList entries;
    QCOMPARE(readEnhancementList(listPath(), &entries), ListRead::Ok);
    QCOMPARE(entries, (QStringList{"a.so=  A=x=Run", QString::fromUtf8("b.so=  B\u00e9=x=Run"), "c.so=  C=x=Run"}));
    QCOMPARE(encodeEnhancementList(entries), QByteArray("a.so=  A=x=Run\r\nb.so=  B\xC3\xA9=x=Run\r\nc.so=  C=x=Run\r\n"));
    m_box->write("Enhancements/DllList.txt", "d.so=  Caf\xE9=x=Run\r\n");
    QCOMPARE(readEnhancementList(listPath(), &entries), ListRead::Ok);
    QCOMPARE(entries, QStringList{QString::fromUtf8("d.so=  Caf\u00e9=x=Run")});
}

void TestEnhancementScan::noDescriptors_data()
{
    QTest::addColumn<bool>("listExists");
    QTest::addColumn<QByteArray>("list");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("no list") << false << QByteArray() << QStringList{kPlaceholderEntry};
    QTest::newRow("empty list") << true << QByteArray() << QStringList{kPlaceholderEntry};
    QTest::newRow("entries") << true << QByteArray("a.so=  A=x=Run\r\nb.so=  B=x=Run\r\n")
                             << QStringList{"a.so=  A=x=Run", "b.so=  B=x=Run"};
}

void TestEnhancementScan::noDescriptors()
{
    QFETCH(bool, listExists);
    QFETCH(QByteArray, list);
    QFETCH(QStringList, shown);
    if (listExists)
        m_box->write("Enhancements/DllList.txt", list);
    m_list.addItem("design-time item");
    scan();
    QCOMPARE(items(m_list), shown);
    QVERIFY(m_answers->requests().isEmpty());
    // Not rewritten, nor created.
    QCOMPARE(QFile::exists(listPath()), listExists);
    QCOMPARE(readAll(listPath()), list);
}

void TestEnhancementScan::twoAcceptedInNameOrder()
{
    m_box->write("Enhancements/DllList.txt", "  =  None Found = = \r\n");
    m_box->write("Enhancements/zeta.hmp", descriptor("z.so", "Zeta"));
    m_box->write("Enhancements/alpha.hmp", descriptor("a.so", "Alpha"));
    scan();
    QCOMPARE(m_answers->messages(), (QStringList{foundQuestion("alpha.hmp"), installedMessage("alpha.hmp"),
                                                 foundQuestion("zeta.hmp"), installedMessage("zeta.hmp")}));
    const QStringList entries{"a.so=  Alpha=third=VzRun", "z.so=  Zeta=third=VzRun"};
    QCOMPARE(items(m_list), entries);
    QCOMPARE(readAll(listPath()), QByteArray("a.so=  Alpha=third=VzRun\r\nz.so=  Zeta=third=VzRun\r\n"));
    QVERIFY(QFile::exists(folder() + "Installed/alpha.hmp") && QFile::exists(folder() + "Installed/zeta.hmp"));
    QVERIFY(!QFile::exists(folder() + "alpha.hmp") && !QFile::exists(folder() + "zeta.hmp"));
}

void TestEnhancementScan::allDeclinedGetPlaceholderBack()
{
    m_box->write("Enhancements/a.hmp", descriptor("a.so", "A"));
    m_box->write("Enhancements/b.hmp", descriptor("b.so", "B"));
    m_answers->queueResult(MsgResult::No);
    m_answers->queueResult(MsgResult::No);
    scan();
    QCOMPARE(m_answers->messages(), (QStringList{foundQuestion("a.hmp"), foundQuestion("b.hmp")}));
    QCOMPARE(items(m_list), QStringList{kPlaceholderEntry});
    QVERIFY(!QFile::exists(listPath()));
    QVERIFY(QFile::exists(folder() + "a.hmp") && QFile::exists(folder() + "b.hmp"));
}

void TestEnhancementScan::updateQuestionOpensPage()
{
    m_box->write("Enhancements/new.hmp", descriptor("n.so", "N", "Run", "4.0"));
    m_answers->queueResult(MsgResult::Yes);
    m_answers->queueResult(MsgResult::Yes);
    scan();
    QCOMPARE(m_answers->messages(), (QStringList{foundQuestion("new.hmp"), kUpdateQuestion}));
    QCOMPARE(m_answers->requests().at(1).buttons, MsgButtons::YesNo);
    QCOMPARE(m_opened, QStringList{"https://vellozine.example/VARidivEzerudi/"});
    QCOMPARE(m_opened.first(), kUpdatePage);
    QVERIFY(QFile::exists(folder() + "new.hmp"));
    QCOMPARE(items(m_list), QStringList{kPlaceholderEntry});
}

void TestEnhancementScan::givingUp_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("giveUp");
    const QByteArray tooNew = descriptor("n.so", "N", "Run", "10.0");
    const QByteArray damaged("PLUG-IN\r\n");
    QTest::newRow("update, give up") << tooNew << true;
    QTest::newRow("update, keep") << tooNew << false;
    QTest::newRow("damaged, give up") << damaged << true;
    QTest::newRow("damaged, keep") << damaged << false;
}

void TestEnhancementScan::givingUp()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, giveUp);
    m_box->write("Enhancements/DllList.txt", "a.so=  A=x=Run\r\n");
    m_box->write("Enhancements/n.hmp", bytes);
    m_answers->queueResult(MsgResult::Yes);
    m_answers->queueResult(MsgResult::No); // not to the update page; OK for damage
    m_answers->queueResult(giveUp ? MsgResult::Yes : MsgResult::No);
    scan();
    QCOMPARE(m_answers->messages().size(), 3);
    QCOMPARE(m_answers->messages().last(), kGiveUpQuestion);
    QCOMPARE(QFile::exists(folder() + "n.hmp"), !giveUp);
    QCOMPARE(QFile::exists(folder() + "Installed/n.hmp"), giveUp);
    // Given up: moved without an entry or a success message.
    QCOMPARE(items(m_list), QStringList{"a.so=  A=x=Run"});
    QCOMPARE(readAll(listPath()), QByteArray("a.so=  A=x=Run\r\n"));
    QVERIFY(m_opened.isEmpty());
}

void TestEnhancementScan::installedFolderCreated()
{
    QDir(m_box->path("Enhancements/Installed")).removeRecursively();
    m_box->write("Enhancements/a.hmp", descriptor("a.so", "A"));
    scan();
    QVERIFY(QFile::exists(folder() + "Installed/a.hmp"));
    QCOMPARE(m_answers->messages().last(), installedMessage("a.hmp"));
}

void TestEnhancementScan::sameNameInInstalledReplaced()
{
    m_box->write("Enhancements/Installed/a.hmp", "old descriptor");
    const QByteArray bytes = descriptor("a.so", "A");
    m_box->write("Enhancements/a.hmp", bytes);
    scan();
    QVERIFY(!QFile::exists(folder() + "a.hmp"));
    QCOMPARE(readAll(folder() + "Installed/a.hmp"), bytes);
    QCOMPARE(m_answers->messages().last(), installedMessage("a.hmp"));
}

void TestEnhancementScan::repeatedEntryReplacedInPlace()
{
    m_box->write("Enhancements/DllList.txt", "a.so=  Old A=x=Run\r\nb.so=  B=x=Run\r\na.so=  Other=x=Start\r\n");
    m_box->write("Enhancements/a.hmp", descriptor("a.so", "New A", "Run"));
    scan();
    const QStringList expected{"a.so=  New A=third=Run", "b.so=  B=x=Run", "a.so=  Other=x=Start"};
    QCOMPARE(items(m_list), expected);
    QCOMPARE(readAll(listPath()), encodeEnhancementList(expected));
}

void TestEnhancementScan::unreadableListOffersNothing()
{
    if (!vztest::makeUnreadable(listPath()))
        QSKIP("no unreadable file on this system");
    m_box->write("Enhancements/a.hmp", descriptor("a.so", "A"));
    scan();
    QCOMPARE(m_answers->messages().size(), 1);
    QVERIFY(m_answers->messages().first().startsWith("Unable to read the Enhancement list "));
    QCOMPARE(m_answers->requests().first().icon, MsgIcon::Error);
    QCOMPARE(items(m_list), QStringList{kPlaceholderEntry});
    QVERIFY(QFileInfo(listPath()).isSymLink());
    QVERIFY(QFile::exists(folder() + "a.hmp"));
}

void TestEnhancementScan::readOnlyFolderOffersNothing()
{
    m_box->write("Enhancements/DllList.txt", "a.so=  A=x=Run\r\n");
    m_box->write("Enhancements/b.hmp", descriptor("b.so", "B"));
    QVERIFY(::chmod(QFile::encodeName(folder()).constData(), 0555) == 0);
    const bool writable = ::access(QFile::encodeName(folder()).constData(), W_OK) == 0;
    if (!writable)
        scan();
    ::chmod(QFile::encodeName(folder()).constData(), 0755);
    if (writable)
        QSKIP("permissions do not hold for this user");
    QVERIFY(m_answers->requests().isEmpty());
    QCOMPARE(items(m_list), QStringList{"a.so=  A=x=Run"});
    QVERIFY(QFile::exists(folder() + "b.hmp"));
}

void TestEnhancementScan::failedListWriteKeepsDescriptor()
{
    // A list file that names a folder that does not exist cannot be written.
    QVERIFY(QFile::link(m_box->path("gone/DllList.txt"), listPath()));
    m_box->write("Enhancements/a.hmp", descriptor("a.so", "A"));
    m_box->write("Enhancements/b.hmp", descriptor("b.so", "B"));
    m_answers->queueResult(MsgResult::Yes);
    m_answers->queueResult(MsgResult::OK);
    m_answers->queueResult(MsgResult::No);
    scan();
    const QStringList shown = m_answers->messages();
    QCOMPARE(shown.size(), 3);
    QVERIFY(shown.at(1).startsWith("Unable to save the Enhancement list "));
    QCOMPARE(shown.at(2), foundQuestion("b.hmp"));
    QCOMPARE(items(m_list), QStringList{kPlaceholderEntry});
    QVERIFY(QFile::exists(folder() + "a.hmp"));
    QVERIFY(!QFile::exists(folder() + "Installed/a.hmp"));
}

void TestEnhancementScan::startupScanFillsList()
{
    m_box->write("program/characters", "A=A\r\n");
    m_box->write("program/Enhancements/DllList.txt", "a.so=  A=x=Run\r\n");
    m_box->write("program/Enhancements/b.hmp", descriptor("b.so", "B"));
    setProgramFolder(m_box->path("program"));
    TfrmVZMain w({"local"});
    auto *list = w.findChild<QListWidget *>("PluginListbox");
    QVERIFY(list);
    QCOMPARE(items(*list), (QStringList{"a.so=  A=x=Run", "b.so=  B=third=VzRun"}));
    QVERIFY(QFile::exists(m_box->path("program/Enhancements/Installed/b.hmp")));
    QVERIFY(m_answers->messages().contains(installedMessage("b.hmp")));
}

QTEST_MAIN(TestEnhancementScan)
#include "tst_enhancementscan.moc"
