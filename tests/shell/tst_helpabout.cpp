#include "common/Dialogs.h"
#include "common/ProgramFolder.h"
#include "platform/ShellOpen.h"
#include "shell/AppState.h"
#include "shell/formAbout.h"
#include "shell/formHelpDlg.h"
#include "shell/formVZMain.h"

#include "testutils.h"

#include <QAbstractButton>
#include <QLabel>
#include <QRadioButton>
#include <QSignalSpy>
#include <QToolButton>

using namespace vz;

namespace {

// Answers each modal box by its objectName: the radio button to choose (or
// none) and then the button to press ("btnOk" or "fcImageBtn1").
struct BoxAnswer
{
    QString radio;
    QString button;
};

class ModalAnswers
{
public:
    explicit ModalAnswers(QHash<QString, BoxAnswer> answers)
        : m_answers(std::move(answers))
    {
        TfrmBaseDlg::setModalHook([this](TfrmBaseDlg &dlg) {
            m_seen.append(dlg.objectName());
            const BoxAnswer a = m_answers.value(dlg.objectName(), {QString(), QStringLiteral("fcImageBtn1")});
            if (!a.radio.isEmpty()) {
                auto *rb = dlg.findChild<QRadioButton *>(a.radio);
                QVERIFY2(rb, qPrintable(a.radio));
                rb->click();
            }
            auto *b = dlg.findChild<QAbstractButton *>(a.button);
            QVERIFY2(b, qPrintable(a.button));
            b->click();
        });
    }
    ~ModalAnswers() { TfrmBaseDlg::setModalHook({}); }
    QStringList seen() const { return m_seen; }

private:
    QHash<QString, BoxAnswer> m_answers;
    QStringList m_seen;
};

} // namespace

class TestHelpAbout : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup() { setShellOpenHook({}); }
    void baseDialogFrame();
    void helpChoices_data();
    void helpChoices();
    void aboutBox_data();
    void aboutBox();
    void helpButtonOfMainWindow();

private:
    std::unique_ptr<vztest::Sandbox> m_box;
    QStringList m_opened;
};

void TestHelpAbout::init()
{
    m_box = std::make_unique<vztest::Sandbox>();
    setProgramFolder(m_box->path("program"));
    m_opened.clear();
    setShellOpenHook([this](const QString &what) { m_opened.append(what); });
}

void TestHelpAbout::baseDialogFrame()
{
    TfrmBaseDlg dlg;
    QCOMPARE(dlg.size(), QSize(381, 178));
    for (const char *name : {"pnlMain", "pnlBottom", "Image1"})
        QVERIFY2(dlg.findChild<QWidget *>(QLatin1String(name)), name);
    QCOMPARE(dlg.btnOk()->geometry(), QRect(298, 5, 35, 35));
    QCOMPARE(dlg.fcImageBtn1()->geometry(), QRect(342, 5, 35, 35));
    // Buttons of the base do nothing until a derived dialog binds them.
    dlg.show();
    dlg.btnOk()->click();
    QVERIFY(dlg.isVisible());
}

void TestHelpAbout::helpChoices_data()
{
    QTest::addColumn<bool>("pagePresent");
    QTest::addColumn<QString>("radio");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("opened");   // "PAGE" stands for the help page
    QTest::addColumn<QStringList>("messages"); // likewise
    QTest::addColumn<QStringList>("boxes");    // the modal boxes shown, in order
    const QStringList help{"TfrmHelpDlg"};
    QTest::newRow("help page") << true << "" << "btnOk" << QStringList{"PAGE"} << QStringList{} << help;
    QTest::newRow("help page chosen again") << true << "rbHelpFile" << "btnOk" << QStringList{"PAGE"} << QStringList{} << help;
    QTest::newRow("help page missing") << false << "" << "btnOk" << QStringList{}
                                       << QStringList{"Cannot open \"PAGE\"."} << help;
    QTest::newRow("about") << true << "rbAbout" << "btnOk" << QStringList{} << QStringList{}
                           << QStringList{"TfrmHelpDlg", "TfrmAbout"};
    QTest::newRow("cancel") << true << "rbAbout" << "fcImageBtn1" << QStringList{} << QStringList{} << help;
}

void TestHelpAbout::helpChoices()
{
    QFETCH(bool, pagePresent);
    QFETCH(QString, radio);
    QFETCH(QString, button);
    QFETCH(QStringList, opened);
    QFETCH(QStringList, messages);
    QFETCH(QStringList, boxes);
    const QString page = programFolder() + QStringLiteral("Help/default.html");
    if (pagePresent)
        m_box->write("program/Help/default.html", "<html></html>");
    opened.replaceInStrings(QStringLiteral("PAGE"), page);
    messages.replaceInStrings(QStringLiteral("PAGE"), page);

    DialogResponder responder;
    ModalAnswers answers({{"TfrmHelpDlg", {radio, button}}, {"TfrmAbout", {QString(), "btnOk"}}});
    TfrmHelpDlg dlg;
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Help?"));
    QCOMPARE(dlg.runModal(), button == QLatin1String("btnOk") ? int(QDialog::Accepted) : int(QDialog::Rejected));
    QCOMPARE(answers.seen(), boxes);
    QCOMPARE(m_opened, opened);
    QCOMPARE(responder.messages(), messages);
}

void TestHelpAbout::aboutBox_data()
{
    QTest::addColumn<bool>("update");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("opened");
    QTest::newRow("OK") << false << "btnOk" << QStringList{};
    QTest::newRow("update, OK") << true << "btnOk" << QStringList{kUpdatePage};
    QTest::newRow("update, Cancel") << true << "fcImageBtn1" << QStringList{};
}

void TestHelpAbout::aboutBox()
{
    QFETCH(bool, update);
    QFETCH(QString, button);
    QFETCH(QStringList, opened);
    setVersionText(QStringLiteral("3.20.2"));
    ModalAnswers answers({{"TfrmAbout", {update ? QStringLiteral("rbUpdate") : QString(), button}}});
    TfrmAbout about;
    QCOMPARE(about.windowTitle(), QStringLiteral("About VZ Ririraz"));
    QCOMPARE(about.findChild<QRadioButton *>("rbUpdate")->text(), "Check " + kUpdatePage + " for an update");
    QVERIFY(!about.findChild<QRadioButton *>("rbUpdate")->isChecked());
    about.runModal();
    // The version is the one read at start, set when the box shows.
    QCOMPARE(about.shownVersion(), QStringLiteral("3.20.2"));
    QCOMPARE(m_opened, opened);
}

void TestHelpAbout::helpButtonOfMainWindow()
{
    m_box->write("program/characters", "A=A\r\nSPACE= \r\n");
    m_box->write("program/Help/default.html", "<html></html>");
    ModalAnswers answers({{"TfrmHelpDlg", {QString(), "btnOk"}}});
    TfrmVZMain w({"local"});
    m_opened.clear(); // start-up's own openings are not the point here
    QSignalSpy spy(&w, &TfrmVZMain::commandRun);
    w.findChild<QAbstractButton *>("btnHelp")->click();
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.first().at(0).toString(), QStringLiteral("btnHelp"));
    QCOMPARE(answers.seen(), QStringList{"TfrmHelpDlg"});
    QCOMPARE(m_opened, QStringList{programFolder() + "Help/default.html"});
}

QTEST_MAIN(TestHelpAbout)
#include "tst_helpabout.moc"
