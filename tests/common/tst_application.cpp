#include "common/Dialogs.h"
#include "common/VzApplication.h"
#include "common/VzError.h"
#include "common/WaitCursor.h"

#include <QPrinter>
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

    // What the responder hands back is what the real dialogs would: a save
    // name gets the default suffix only when it has none, a chooser answers
    // -1 for Cancel and for an index it does not offer, and a printer
    // "dialog" can change the printer before it is accepted.
    void responderAnswersLikeTheDialogs()
    {
        DialogResponder responder;
        SaveFileOptions options;
        options.defaultSuffix = QStringLiteral("pdf");
        options.overwriteQuestion = false;
        responder.queueFileName(QStringLiteral("/tmp/page"));
        responder.queueFileName(QStringLiteral("/tmp/page.PDF"));
        QCOMPARE(dialogs::saveFileName(nullptr, "Save", "/tmp", "PDF (*.pdf)", nullptr, options), QStringLiteral("/tmp/page.pdf"));
        QCOMPARE(dialogs::saveFileName(nullptr, "Save", "/tmp", "PDF (*.pdf)", nullptr, options), QStringLiteral("/tmp/page.PDF"));
        QCOMPARE(responder.requests().first().defaultSuffix, QStringLiteral("pdf"));
        QVERIFY(!responder.requests().first().overwriteQuestion);

        dialogs::message("Printing", MsgIcon::None, MsgButtons::OK, nullptr, "TExcellentImagePrinter");
        QCOMPARE(responder.requests().last().caption, QStringLiteral("TExcellentImagePrinter"));

        int shown = 0;
        const auto show = [&] { ++shown; return 1; };
        responder.queueChoice(1);
        responder.queueChoice(5);
        QCOMPARE(dialogs::choose("Open", {"a", "b"}, show), 1);
        QCOMPARE(dialogs::choose("Open", {"a", "b"}, show), -1);
        QCOMPARE(dialogs::choose("Open", {"a", "b"}, show), -1);
        QCOMPARE(shown, 0);
        QCOMPARE(responder.requests().last().choices, (QStringList{"a", "b"}));

        QPrinter printer(QPrinter::ScreenResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        responder.queuePrinterSetup([](QPrinter *p) {
            p->setPageOrientation(QPageLayout::Landscape);
            return true;
        });
        responder.queuePrinterAccepted(false);
        QVERIFY(dialogs::printerSetup(&printer));
        QCOMPARE(printer.pageLayout().orientation(), QPageLayout::Landscape);
        QVERIFY(!dialogs::printerSetup(&printer));
        QVERIFY(!dialogs::printerSetup(&printer));
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
