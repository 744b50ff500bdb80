// The print page's undo steps: each one exact both ways, also across a
// page resize; arrow moves merging; the history's length; the page-changed
// flag; the selection the window is asked for.

#include "testutils.h"
#include "printpage/pagemodeltestutils.h"

#include "common/PageChanged.h"
#include "printpage/PageCommands.h"
#include "printpage/PageModel.h"

#include <QSignalSpy>
#include <QTest>

#include <functional>

using namespace vz;
using namespace vztest;

namespace {

// A page with three pictures and a text box between them, the first copied.
struct Fixture
{
    PageModel m;
    std::shared_ptr<StandInTextBox> box = std::make_shared<StandInTextBox>(QRect(20, 30, 200, 60), "text");
    PageObjectId a = 0, t = 0, b = 0, c = 0;

    Fixture()
    {
        m.setGeometry(pageOf(600, 776));
        m.setScreenWidth(1024);
        a = m.placePicture(bitmap(300, 100), PlaceSource::Clipboard);
        t = m.addTextBox(box);
        b = m.placePicture(bitmap(100, 300), PlaceSource::Clipboard);
        c = m.placePicture(bitmap(50, 50), PlaceSource::Clipboard);
        m.setObjectRect(c, QRect(400, 500, 60, 60), RectChange::Drag);
        m.bringToFront(a);
        m.setCopyRect(m.object(a)->rect);
    }
};

using Action = std::function<void(Fixture &)>;

} // namespace

Q_DECLARE_METATYPE(Action)

class TestPageUndo : public QObject
{
    Q_OBJECT

private slots:
    void init() { setPageChanged(false); }
    void eachStepIsExact_data();
    void eachStepIsExact();
    void undoAfterThePageResized_data();
    void undoAfterThePageResized();
    void arrowMovesMerge();
    void historyKeepsHundredSteps();
    void everyStepMarksThePageChanged();
    void undoAsksForTheObjectConcerned();
    void goingQuietly();
};

void TestPageUndo::eachStepIsExact_data()
{
    QTest::addColumn<Action>("action");
    QTest::newRow("add") << Action([](Fixture &f) { f.m.placePicture(bitmap(80, 40), PlaceSource::Clipboard); });
    QTest::newRow("paste") << Action([](Fixture &f) { f.m.placePicture(bitmap(80, 40), PlaceSource::Paste); });
    QTest::newRow("drop") << Action([](Fixture &f) {
        f.m.placePictures({bitmap(80, 40), bitmap(5000, 40)}, PlaceSource::Drop);
    });
    QTest::newRow("open image") << Action([](Fixture &f) { f.m.placePicture(bitmap(8, 4), PlaceSource::OpenImage); });
    QTest::newRow("new text box") << Action([](Fixture &f) {
        f.m.addTextBox(std::make_shared<StandInTextBox>(QRect(1, 1, 50, 50)));
    });
    QTest::newRow("move") << Action([](Fixture &f) {
        f.m.setObjectRect(f.b, f.m.object(f.b)->rect.translated(-7, 33), RectChange::Drag);
    });
    QTest::newRow("resize") << Action([](Fixture &f) { f.m.setObjectRect(f.b, QRect(5, 6, 7, 8), RectChange::Drag); });
    QTest::newRow("move text box") << Action([](Fixture &f) {
        f.m.setObjectRect(f.t, QRect(50, 60, 70, 80), RectChange::Drag);
    });
    QTest::newRow("size OK") << Action([](Fixture &f) {
        f.m.setObjectRect(f.a, QRect(72, 144, 144, 72), RectChange::SizeDialog);
    });
    QTest::newRow("arrow") << Action([](Fixture &f) {
        f.m.setObjectRect(f.a, f.m.object(f.a)->rect.translated(1, 0), RectChange::Arrow);
    });
    QTest::newRow("delete picture") << Action([](Fixture &f) { f.m.deleteObject(f.b); });
    QTest::newRow("delete text box") << Action([](Fixture &f) { f.m.deleteObject(f.t); });
    QTest::newRow("clear") << Action([](Fixture &f) { QVERIFY(f.m.clearPage()); });
    QTest::newRow("bring to front") << Action([](Fixture &f) { f.m.bringToFront(f.b); });
}

void TestPageUndo::eachStepIsExact()
{
    QFETCH(Action, action);
    Fixture f;
    const QString before = snapshot(f.m);
    const QRect boxBefore = f.box->geometry();
    const int steps = f.m.undoStack()->count();

    action(f);
    QCOMPARE(f.m.undoStack()->count(), steps + 1);
    const QString after = snapshot(f.m);
    QVERIFY(after != before);

    f.m.undoStack()->undo();
    QCOMPARE(snapshot(f.m), before);
    QCOMPARE(f.box->geometry(), boxBefore);
    QVERIFY(f.box->onPage);
    f.m.undoStack()->redo();
    QCOMPARE(snapshot(f.m), after);
    f.m.undoStack()->undo();
    QCOMPARE(snapshot(f.m), before);
}

void TestPageUndo::undoAfterThePageResized_data()
{
    QTest::addColumn<Action>("action");
    QTest::newRow("move") << Action([](Fixture &f) { f.m.setObjectRect(f.b, QRect(100, 200, 40, 20), RectChange::Drag); });
    QTest::newRow("delete") << Action([](Fixture &f) { f.m.deleteObject(f.t); });
    QTest::newRow("add") << Action([](Fixture &f) { f.m.placePicture(bitmap(80, 40), PlaceSource::Clipboard); });
    QTest::newRow("paste") << Action([](Fixture &f) { f.m.placePicture(bitmap(80, 40), PlaceSource::Paste); });
    QTest::newRow("clear") << Action([](Fixture &f) { f.m.clearPage(); });
}

// Steps taken at one page width and undone at another come back as the
// page would show them at that width.
void TestPageUndo::undoAfterThePageResized()
{
    QFETCH(Action, action);
    Fixture f;
    Fixture reference; // the same page, only resized
    reference.m.setGeometry(pageOf(900, 1164));
    const QString beforeAt900 = snapshot(reference.m);

    action(f);
    f.m.setGeometry(pageOf(900, 1164));
    const QString afterAt900 = snapshot(f.m);
    f.m.undoStack()->undo();
    QCOMPARE(snapshot(f.m), beforeAt900);
    f.m.undoStack()->redo();
    QCOMPARE(snapshot(f.m), afterAt900);
}

void TestPageUndo::arrowMovesMerge()
{
    Fixture f;
    const QRect start = f.m.object(f.a)->rect;
    const int steps = f.m.undoStack()->count();
    for (int i = 1; i <= 5; ++i)
        f.m.setObjectRect(f.a, start.translated(i, -i), RectChange::Arrow);
    QCOMPARE(f.m.undoStack()->count(), steps + 1);
    // Another object's arrows, or a drag, start steps of their own.
    f.m.setObjectRect(f.b, f.m.object(f.b)->rect.translated(1, 0), RectChange::Arrow);
    f.m.setObjectRect(f.b, f.m.object(f.b)->rect.translated(0, 1), RectChange::Drag);
    f.m.setObjectRect(f.b, f.m.object(f.b)->rect.translated(0, 1), RectChange::Arrow);
    QCOMPARE(f.m.undoStack()->count(), steps + 4);
    f.m.undoStack()->undo();
    f.m.undoStack()->undo();
    f.m.undoStack()->undo();
    QCOMPARE(f.m.object(f.a)->rect, start.translated(5, -5));
    f.m.undoStack()->undo();
    QCOMPARE(f.m.object(f.a)->rect, start);
    // Setting the rectangle an object already has is no step.
    f.m.setObjectRect(f.a, start, RectChange::Drag);
    QCOMPARE(f.m.undoStack()->index(), steps);
}

void TestPageUndo::historyKeepsHundredSteps()
{
    Fixture f;
    for (int i = 1; i <= 130; ++i)
        f.m.setObjectRect(f.a, QRect(i, i, 10, 10), RectChange::Drag);
    QCOMPARE(f.m.undoStack()->count(), 100);
    while (f.m.undoStack()->canUndo())
        f.m.undoStack()->undo();
    QCOMPARE(f.m.object(f.a)->rect, QRect(30, 30, 10, 10));
    // A loaded layout starts a history of its own.
    f.m.clearHistory();
    QCOMPARE(f.m.undoStack()->count(), 0);
}

void TestPageUndo::everyStepMarksThePageChanged()
{
    Fixture f;
    QVERIFY(pageChanged());
    setPageChanged(false);
    f.m.deleteObject(f.c);
    QVERIFY(pageChanged());
    setPageChanged(false);
    f.m.undoStack()->undo();
    QVERIFY(pageChanged());
    setPageChanged(false);
    f.m.undoStack()->redo();
    QVERIFY(pageChanged());
    setPageChanged(false);
    f.m.bringToFront(f.b);
    QVERIFY(pageChanged());
    // Forgetting the history and the page's own rescaling change nothing.
    setPageChanged(false);
    f.m.clearHistory();
    f.m.setGeometry(pageOf(300, 388));
    QVERIFY(!pageChanged());
}

void TestPageUndo::undoAsksForTheObjectConcerned()
{
    Fixture f;
    QSignalSpy asked(&f.m, &PageModel::selectionRequested);
    auto last = [&] { return asked.isEmpty() ? PageObjectId(~0ull) : asked.last().first().value<PageObjectId>(); };

    f.m.deleteObject(f.b);
    QCOMPARE(last(), kNoObject);
    f.m.undoStack()->undo();
    QCOMPARE(last(), f.b);
    f.m.setObjectRect(f.t, QRect(1, 2, 3, 4), RectChange::Drag);
    f.m.undoStack()->undo();
    QCOMPARE(last(), f.t);
    const QList<PageObjectId> ids = f.m.placePictures({bitmap(5, 5), bitmap(6, 6)}, PlaceSource::Drop);
    QCOMPARE(last(), ids.last());
    f.m.undoStack()->undo();
    QCOMPARE(last(), kNoObject);
    f.m.clearPage();
    f.m.undoStack()->undo();
    QCOMPARE(last(), kNoObject);
}

// A window that owns the model must hear nothing from the history while
// both are being destroyed.
void TestPageUndo::goingQuietly()
{
    int heard = 0;
    {
        Fixture f;
        QObject::connect(f.m.undoStack(), &QUndoStack::indexChanged, [&heard] { ++heard; });
        QObject::connect(f.m.undoStack(), &QUndoStack::canUndoChanged, [&heard] { ++heard; });
        f.m.deleteObject(f.a);
        QVERIFY(heard > 0);
        heard = 0;
    }
    QCOMPARE(heard, 0);
}

QTEST_GUILESS_MAIN(TestPageUndo)
#include "tst_pageundo.moc"
