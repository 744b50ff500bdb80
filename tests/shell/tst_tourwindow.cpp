#include "platform/Registry.h"
#include "common/VzError.h"
#include "shell/AppState.h"
#include "shell/FormTour.h"

#include "testutils.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QPointer>
#include <QTextBrowser>
#include <QToolButton>

using namespace vz;

namespace {

struct Recorder : TourActions
{
    QStringList log;
    void perform(int code, const QString &) override { log.append(QString::number(code)); }
    void missTyped(int code) override { log.append(QStringLiteral("miss %1").arg(code)); }
};

const QString kSeedTour = QStringLiteral(VZ_SOURCE_DIR "/fuzz/corpus/tour/three_steps.tor");

QString shownTitle(QWidget *w) { return w->findChild<QLabel *>(QStringLiteral("lblTourTitle"))->text(); }

void pressNext(QWidget *w) { w->findChild<QAbstractButton *>(QStringLiteral("btnNext"))->click(); }

} // namespace

class TestTourWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void windowKind();
    void stepsToTheEnd();
    void emptyTourClosesOnFirstPress();
    void cancelFrees();
    void checkBoxWritesItsState_data();
    void checkBoxWritesItsState();
    void startupDecision_data();
    void startupDecision();
};

void TestTourWindow::windowKind()
{
    Recorder rec;
    QWidget owner;
    TfrmTour *w = new TfrmTour(rec, &owner);
    QCOMPARE(w->windowTitle(), QStringLiteral("Quick Tour"));
    QVERIFY(w->windowFlags() & Qt::WindowStaysOnTopHint);
    QCOMPARE(w->windowType(), Qt::Tool);
    QVERIFY(!w->isModal());
    QVERIFY(!w->checkBox1()->isVisibleTo(w));
    QVERIFY(w->checkBox1()->isChecked());
    QVERIFY(!w->btnOk()->isVisibleTo(w));
    QCOMPARE(w->fcImageBtn1()->pos(), QPoint(335, 5));
    QCOMPARE(w->findChild<QAbstractButton *>("btnNext")->toolTip(), QStringLiteral("Next Tour Page"));
}

void TestTourWindow::stepsToTheEnd()
{
    Recorder rec;
    QPointer<TfrmTour> w = new TfrmTour(rec);
    w->loadTour(kSeedTour);
    w->show();
    QCOMPARE(shownTitle(w), QStringLiteral("Welcome"));
    QVERIFY(!w->findChild<QLabel *>("imgTour")->pixmap().isNull());
    QVERIFY(rec.log.isEmpty());
    pressNext(w);
    QCOMPARE(shownTitle(w), QStringLiteral("Type"));
    QCOMPARE(w->findChild<QTextBrowser *>("txtTour")->toPlainText(), QStringLiteral("Some text for Type"));
    QCOMPARE(rec.log, (QStringList{"2", "6", "7"}));
    // The last step goes back to the first, so the tour goes round.
    pressNext(w);
    QCOMPARE(shownTitle(w), QStringLiteral("Welcome"));
    QVERIFY(w->isVisible());
    delete w;
}

void TestTourWindow::emptyTourClosesOnFirstPress()
{
    vztest::Sandbox box;
    Recorder rec;
    QPointer<TfrmTour> w = new TfrmTour(rec);
    w->loadTour(box.write("broken.tor", "Ver garbage"));
    w->show();
    QCOMPARE(shownTitle(w), QString());
    QVERIFY(w->findChild<QLabel *>("imgTour")->pixmap().isNull());
    pressNext(w);
    QVERIFY(rec.log.isEmpty());
    // Closed and freed.
    QTRY_VERIFY(w.isNull());
}

void TestTourWindow::cancelFrees()
{
    Recorder rec;
    QPointer<TfrmTour> w = new TfrmTour(rec);
    w->loadTour(kSeedTour);
    w->show();
    w->fcImageBtn1()->click();
    QTRY_VERIFY(w.isNull());
}

void TestTourWindow::checkBoxWritesItsState_data()
{
    QTest::addColumn<bool>("present");     // RunTour in the store before
    QTest::addColumn<bool>("usesSettings");
    QTest::addColumn<int>("clicks");
    QTest::addColumn<QString>("after");    // "absent", "true" or "false"
    QTest::newRow("one click") << true << true << 1 << "false";
    QTest::newRow("two clicks") << true << true << 2 << "true";
    QTest::newRow("three clicks") << true << true << 3 << "false";
    QTest::newRow("absent stays absent") << false << true << 1 << "absent";
    QTest::newRow("local writes nothing") << true << false << 1 << "true";
}

void TestTourWindow::checkBoxWritesItsState()
{
    QFETCH(bool, present);
    QFETCH(bool, usesSettings);
    QFETCH(int, clicks);
    QFETCH(QString, after);
    QFile::remove(registryFilePath());
    {
        RegistryKey reg(RegRoot::LocalMachine);
        QVERIFY(reg.openKey(kSettingsKey, true));
        if (present)
            reg.writeBool(QStringLiteral("RunTour"), true);
    }
    Recorder rec;
    TfrmTour w(rec);
    w.setUsesSettings(usesSettings);
    w.checkBox1()->show();
    for (int i = 0; i < clicks; ++i)
        w.checkBox1()->click();
    RegistryKey reg(RegRoot::LocalMachine);
    QVERIFY(reg.openKey(kSettingsKey, false));
    const QString got = !reg.valueExists(QStringLiteral("RunTour")) ? QStringLiteral("absent")
                        : reg.readBool(QStringLiteral("RunTour")) ? QStringLiteral("true")
                                                                  : QStringLiteral("false");
    QCOMPARE(got, after);
}

void TestTourWindow::startupDecision_data()
{
    QTest::addColumn<QString>("stored");  // RunTour before: "absent", "1", "0" or "text"
    QTest::addColumn<QByteArray>("tour"); // buttons.tor; empty: none
    QTest::addColumn<bool>("shown");
    QTest::addColumn<QString>("after");
    QFile seed(kSeedTour);
    QVERIFY(seed.open(QIODevice::ReadOnly));
    const QByteArray good = seed.readAll();
    QTest::newRow("absent") << "absent" << good << true << "1";
    QTest::newRow("true") << "1" << good << true << "1";
    QTest::newRow("false") << "0" << good << false << "0";
    QTest::newRow("another type") << "text" << good << false << "text";
    QTest::newRow("no buttons.tor") << "1" << QByteArray() << false << "1";
    QTest::newRow("broken buttons.tor") << "1" << QByteArray("Ver") << true << "1";
}

void TestTourWindow::startupDecision()
{
    QFETCH(QString, stored);
    QFETCH(QByteArray, tour);
    QFETCH(bool, shown);
    QFETCH(QString, after);
    vztest::Sandbox box;
    if (!tour.isEmpty())
        box.write("program/Tours/buttons.tor", tour);
    QFile::remove(registryFilePath());
    auto readBack = [] {
        RegistryKey reg(RegRoot::LocalMachine);
        if (!reg.openKey(kSettingsKey, true) || !reg.valueExists(QStringLiteral("RunTour")))
            return QStringLiteral("absent");
        try {
            return QString::number(reg.readInteger(QStringLiteral("RunTour")));
        } catch (const VzError &) {
            return reg.readString(QStringLiteral("RunTour"));
        }
    };
    {
        RegistryKey reg(RegRoot::LocalMachine);
        QVERIFY(reg.openKey(kSettingsKey, true));
        if (stored == QLatin1String("text"))
            reg.writeString(QStringLiteral("RunTour"), QStringLiteral("text"));
        else if (stored != QLatin1String("absent"))
            reg.writeBool(QStringLiteral("RunTour"), stored == QLatin1String("1"));
    }
    Recorder rec;
    QWidget main;
    auto *w = new TfrmTour(rec, &main);
    QCOMPARE(w->startupTourDecision(box.path("program/")), shown);
    QCOMPARE(w->isVisible(), shown);
    QCOMPARE(w->checkBox1()->isVisible(), shown);
    QCOMPARE(readBack(), after);
    if (shown) {
        QCOMPARE(w->y() >= 0 && w->y() <= 40, true);
        const bool empty = tour.size() < 10;
        QCOMPARE(w->script().stepCount(), empty ? 0 : 3);
        pressNext(w);
        if (empty) // one press closes an empty tour
            QTRY_VERIFY(main.findChildren<TfrmTour *>().isEmpty());
    }
}

QTEST_MAIN(TestTourWindow)
#include "tst_tourwindow.moc"
