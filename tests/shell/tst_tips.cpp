#include "common/CollapsiblePanel.h"
#include "common/ProgramFolder.h"
#include "imagesets/MemTable.h"
#include "shell/TipsPanel.h"
#include "shell/formVZMain.h"

#include "testutils.h"

#include <QAbstractButton>
#include <QLabel>
#include <QTextBrowser>
#include <QTimer>

using namespace vz;

namespace {

QByteArray tipsFile(const QStringList &tips)
{
    MemTable t({FieldDef::text(QStringLiteral("Tips"), 800)});
    for (const QString &tip : tips)
        t.setText(t.appendRecord(), 0, tip);
    return t.saveToBytes();
}

QString shownTip(QWidget &w)
{
    auto *box = w.findChild<QTextBrowser *>(QStringLiteral("txtTips"));
    return box ? box->toPlainText() : QStringLiteral("<no txtTips>");
}

void press(QWidget &w, const char *name)
{
    auto *b = w.findChild<QAbstractButton *>(QLatin1String(name));
    QVERIFY2(b, name);
    b->click();
}

} // namespace

class TestTips : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cycleBothWays_data();
    void cycleBothWays();
    void badTipsFiles_data();
    void badTipsFiles();
    void loadedOnce();
    void panelInMainWindow();
    void tipButtonStopsRotation_data();
    void tipButtonStopsRotation();

private:
    std::unique_ptr<vztest::Sandbox> m_box;
};

void TestTips::init()
{
    m_box = std::make_unique<vztest::Sandbox>();
    m_box->write("program/characters", "A=A\r\nsmalla=a\r\nSPACE= \r\n");
    m_box->write("program/Alphabets/Color/First/ImageSetData.qn", "Version=2\r\nName=First\r\nType=CA\r\n");
    setProgramFolder(m_box->path("program"));
}

void TestTips::cycleBothWays_data()
{
    QTest::addColumn<QStringList>("tips");
    QTest::addColumn<QString>("press");
    QTest::addColumn<QStringList>("shown"); // after each press
    const QStringList three{"First tip", "Second & <b>plain</b>", "Third"};
    QTest::newRow("three, next wraps") << three << "btnNexTip" << QStringList{three[1], three[2], three[0]};
    QTest::newRow("three, prior wraps") << three << "btnPriorTip" << QStringList{three[2], three[1], three[0]};
    QTest::newRow("one, next") << QStringList{"Only"} << "btnNexTip" << QStringList{"Only", "Only"};
    QTest::newRow("one, prior") << QStringList{"Only"} << "btnPriorTip" << QStringList{"Only", "Only"};
}

void TestTips::cycleBothWays()
{
    QFETCH(QStringList, tips);
    QFETCH(QString, press);
    QFETCH(QStringList, shown);
    TipsPanel panel;
    panel.loadTipsOnce(m_box->write("tips.dat", tipsFile(tips)));
    QCOMPARE(panel.dxTip().recordCount(), tips.size());
    // Plain text shows unchanged, markup and all.
    QCOMPARE(shownTip(panel), tips.first());
    for (const QString &expected : shown) {
        ::press(panel, qPrintable(press));
        QCOMPARE(shownTip(panel), expected);
    }
}

void TestTips::badTipsFiles_data()
{
    QTest::addColumn<QByteArray>("bytes"); // empty: no file
    QTest::addColumn<int>("records");
    QTest::addColumn<QString>("first");
    const QByteArray good = tipsFile({"One", "Two", "Three"});
    MemTable ints({FieldDef::fixed(QStringLiteral("Tips"), FieldType::Integer)});
    ints.setInteger(ints.appendRecord(), 0, 7);
    QTest::newRow("missing") << QByteArray() << 0 << QString();
    QTest::newRow("garbage") << QByteArray("not a table at all, just words") << 0 << QString();
    QTest::newRow("header only") << tipsFile({}) << 0 << QString();
    // The last record is cut: the whole ones before it stay.
    QTest::newRow("cut short") << good.left(good.size() - 3) << 2 << "One";
    QTest::newRow("field of another type") << ints.saveToBytes() << 1 << QString();
}

void TestTips::badTipsFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, records);
    QFETCH(QString, first);
    TipsPanel panel;
    const QString path = m_box->path("tips.dat");
    if (!bytes.isEmpty())
        m_box->write("tips.dat", bytes);
    panel.loadTipsOnce(path);
    QCOMPARE(panel.dxTip().recordCount(), records);
    QCOMPARE(shownTip(panel), first);
    // The buttons never fail on what was read: there and back again.
    press(panel, "btnNexTip");
    press(panel, "btnPriorTip");
    QCOMPARE(shownTip(panel), first);
}

void TestTips::loadedOnce()
{
    TipsPanel panel;
    panel.loadTipsOnce(m_box->write("a.dat", tipsFile({"A1", "A2"})));
    panel.advance();
    panel.loadTipsOnce(m_box->write("b.dat", tipsFile({"B1"})));
    QCOMPARE(panel.dxTip().recordCount(), 2);
    QCOMPARE(shownTip(panel), QStringLiteral("A2"));
}

void TestTips::panelInMainWindow()
{
    m_box->write("program/tips.dat", tipsFile({"Alpha tip", "Beta tip"}));
    TfrmVZMain w({"local"});
    auto *panel = w.tipsPanel();
    QVERIFY(panel);
    auto *hide = w.findChild<CollapsiblePanel *>(QStringLiteral("pnlhideTip"));
    QVERIFY(hide && panel->parentWidget() == hide->content());
    auto *label = panel->findChild<QLabel *>(QStringLiteral("lblTips"));
    QVERIFY(label);
    QCOMPARE(label->text(), QStringLiteral("Tips & Hints"));
    QVERIFY(!panel->findChild<QWidget *>(QStringLiteral("pnlTipText"))->isEnabled());
    QCOMPARE(panel->findChild<QAbstractButton *>(QStringLiteral("btnNexTip"))->toolTip(), QStringLiteral("Next tip"));
    QCOMPARE(panel->findChild<QAbstractButton *>(QStringLiteral("btnPriorTip"))->toolTip(), QStringLiteral("Prior tip"));

    // The rotation runs from creation; the start-up tick loads the tips.
    QVERIFY(w.tipTimer()->isActive());
    QCOMPARE(w.tipTimer()->interval(), 15000);
    QTRY_COMPARE(panel->dxTip().recordCount(), 2);
    QCOMPARE(shownTip(*panel), QStringLiteral("Alpha tip"));
    // The timer is connected to the rotation: a short interval shows it turn.
    w.tipTimer()->start(20);
    QTRY_COMPARE(shownTip(*panel), QStringLiteral("Beta tip"));
    QTRY_COMPARE(shownTip(*panel), QStringLiteral("Alpha tip"));
}

void TestTips::tipButtonStopsRotation_data()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("next") << "btnNexTip";
    QTest::newRow("prior") << "btnPriorTip";
}

void TestTips::tipButtonStopsRotation()
{
    QFETCH(QString, button);
    m_box->write("program/tips.dat", tipsFile({"Alpha tip", "Beta tip"}));
    TfrmVZMain w({"local"});
    QTRY_COMPARE(w.tipsPanel()->dxTip().recordCount(), 2);
    auto *toggle = w.findChild<QAbstractButton *>(QStringLiteral("btnTipsHide"));
    QVERIFY(toggle && toggle->isChecked());
    press(*w.tipsPanel(), qPrintable(button));
    QCOMPARE(shownTip(*w.tipsPanel()), QStringLiteral("Beta tip"));
    QVERIFY(!w.tipTimer()->isActive());
    // Only the toggle going up and down starts it again.
    toggle->click();
    QVERIFY(!w.tipTimer()->isActive());
    toggle->click();
    QVERIFY(toggle->isChecked());
    QVERIFY(w.tipTimer()->isActive());
}

QTEST_MAIN(TestTips)
#include "tst_tips.moc"
