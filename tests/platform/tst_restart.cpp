// Starting the program again: the request, the hook, and a real detached
// start of a child program.

#include "platform/Restart.h"

#include "testutils.h"

#include <QProcess>

using namespace vz;

class TestRestart : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { setRestartHook({}); clearRestartRequest(); }
    void requestAndHook();
    void childStartsItselfAgain();
};

void TestRestart::requestAndHook()
{
    QVERIFY(!restartRequested());
    requestRestart({"a", "b c"});
    QVERIFY(restartRequested());
    QCOMPARE(restartArguments(), QStringList({"a", "b c"}));
    QString program, folder;
    QStringList args;
    bool answer = false;
    setRestartHook([&](const QString &p, const QStringList &a, const QString &f) {
        program = p;
        args = a;
        folder = f;
        return answer;
    });
    QString why;
    QVERIFY(!startProgramAgain(&why));
    answer = true;
    QVERIFY(startProgramAgain());
    QCOMPARE(program, QCoreApplication::applicationFilePath());
    QCOMPARE(args, QStringList({"a", "b c"}));
    QCOMPARE(folder, QDir::currentPath());
    clearRestartRequest();
    QVERIFY(!restartRequested());
    QVERIFY(restartArguments().isEmpty());
}

void TestRestart::childStartsItselfAgain()
{
    vztest::Sandbox box;
    box.mkdir("work");
    box.mkdir("log");
    QProcess child;
    child.setWorkingDirectory(box.path("work"));
    child.start(QStringLiteral(VZ_RESTART_CHILD), {box.path("log"), "alpha", "two words", ""});
    QVERIFY(child.waitForFinished(30000));
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), 0);
    auto runs = [&box] {
        QFile f(box.path("log/runs.txt"));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts)
                                           : QStringList();
    };
    QTRY_COMPARE_WITH_TIMEOUT(runs().size(), 2, 20000);
    const QStringList lines = runs();
    QCOMPARE(lines[1], lines[0]);
    QCOMPARE(lines[0], QDir(box.path("work")).canonicalPath() + "\t" + box.path("log") + "\talpha\ttwo words\t");
}

QTEST_GUILESS_MAIN(TestRestart)
#include "tst_restart.moc"
