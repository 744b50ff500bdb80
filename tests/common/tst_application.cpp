#include "common/Dialogs.h"
#include "common/VzApplication.h"
#include "common/VzError.h"
#include "common/WaitCursor.h"

#include <QTest>
#include <QTimer>

using namespace vz;

// An object whose event handler fails, as a handler of the program may.
class Failing : public QObject
{
public:
    bool event(QEvent *e) override
    {
        if (e->type() == QEvent::User)
            throw FileError(QStringLiteral("Cannot open file \"x\"."));
        if (e->type() == QEvent::User + 1)
            throw std::runtime_error("plain failure");
        return QObject::event(e);
    }
};

class TestApplication : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void uncaughtErrorsAreReported()
    {
        DialogResponder responder;
        Failing f;
        QCoreApplication::postEvent(&f, new QEvent(QEvent::User));
        QCoreApplication::postEvent(&f, new QEvent(QEvent::Type(QEvent::User + 1)));
        QCoreApplication::processEvents();
        QCOMPARE(responder.messages(), (QStringList{"Cannot open file \"x\".", "plain failure"}));
        QCOMPARE(responder.requests().first().icon, MsgIcon::Error);
        // The program goes on: later events are delivered.
        bool ran = false;
        QTimer::singleShot(0, [&] { ran = true; });
        QTRY_VERIFY(ran);
    }

    void waitCursorRestoredOnEveryPath()
    {
        try {
            WaitCursor wait;
            QCOMPARE(WaitCursor::depth(), 1);
            QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
            throw VzError("stop");
        } catch (const VzError &) {
        }
        QCOMPARE(WaitCursor::depth(), 0);
        QVERIFY(!QGuiApplication::overrideCursor());
    }
};

int main(int argc, char **argv)
{
    VzApplication app(argc, argv);
    TestApplication t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_application.moc"
