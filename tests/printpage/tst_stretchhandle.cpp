#include "printpage/TStretchHandle.h"

#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QtTest>

using namespace vz;

namespace {

void send(QWidget *w, QEvent::Type type, QPoint local, QPoint global, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    QMouseEvent e(type, QPointF(local), QPointF(global), button, buttons, {});
    QApplication::sendEvent(w, &e);
}

// A page with one control of 100 x 50 at (40, 30) and the frame beside it.
struct Page
{
    QWidget page;
    QWidget *control;
    TStretchHandle *frame;
    Page()
    {
        page.resize(400, 300);
        control = new QWidget(&page);
        control->setGeometry(40, 30, 100, 50);
        frame = new TStretchHandle(&page);
        page.show();
    }
    // Drags the frame from `from` to `to` (frame coordinates of the press).
    // The frame follows the band, so global positions are taken at the press.
    void drag(QPoint from, QPoint to)
    {
        const QPoint origin = frame->mapToGlobal(QPoint(0, 0));
        send(frame, QEvent::MouseButtonPress, from, origin + from, Qt::LeftButton, Qt::LeftButton);
        send(frame, QEvent::MouseMove, to, origin + to, Qt::NoButton, Qt::LeftButton);
        send(frame, QEvent::MouseButtonRelease, to, origin + to, Qt::LeftButton, Qt::NoButton);
    }
};

} // namespace

class TestStretchHandle : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void attachAndDetach();
    void grips_data();
    void grips();
    void drags_data();
    void drags();
    void bandFollowsDragAndAppliesOnRelease();
    void pressOnControlContinuesAsMove();
    void arrowsMoveByOnePixel();
    void textBoxKeepsFocusUntilBorderPressed();
};

void TestStretchHandle::attachAndDetach()
{
    Page p;
    QVERIFY(!p.frame->isVisible());
    p.frame->Attach(p.control);
    QVERIFY(p.frame->isVisible());
    QCOMPARE(p.frame->geometry(), QRect(38, 28, 105, 55));
    QCOMPARE(TStretchHandle::controlFor(p.frame->geometry()), p.control->geometry());
    QTRY_VERIFY(p.frame->hasFocus());
    // On top of a control created after it.
    auto *later = new QWidget(&p.page);
    later->setGeometry(0, 0, 10, 10);
    later->show();
    p.frame->Attach(p.control);
    QCOMPARE(p.page.children().last(), p.frame);
    p.frame->Detach();
    QVERIFY(!p.frame->isVisible());
    QCOMPARE(p.frame->size(), QSize(24, 24));
    QVERIFY(!p.frame->isAttached());
    // A control of another parent is refused.
    QWidget stranger;
    p.frame->Attach(&stranger);
    QVERIFY(!p.frame->isAttached());
}

void TestStretchHandle::grips_data()
{
    QTest::addColumn<QPoint>("pos");
    QTest::addColumn<int>("grip");
    using G = TStretchHandle::Grip;
    // The frame is 105 x 55: corners at (0,0) and (104,54), middles at 52 and 27.
    QTest::newRow("top left exact") << QPoint(0, 0) << int(G::TopLeft);
    QTest::newRow("top left at 5") << QPoint(5, 5) << int(G::TopLeft);
    QTest::newRow("6 from top left") << QPoint(6, 6) << int(G::Body);
    QTest::newRow("bottom right at 5") << QPoint(99, 49) << int(G::BottomRight);
    QTest::newRow("top right") << QPoint(104, 0) << int(G::TopRight);
    QTest::newRow("bottom left") << QPoint(0, 54) << int(G::BottomLeft);
    QTest::newRow("top middle") << QPoint(52, 3) << int(G::Top);
    QTest::newRow("right middle") << QPoint(100, 27) << int(G::Right);
    QTest::newRow("bottom middle") << QPoint(57, 54) << int(G::Bottom);
    QTest::newRow("left middle") << QPoint(0, 22) << int(G::Left);
    QTest::newRow("left 6 off middle") << QPoint(0, 34) << int(G::Body);
    QTest::newRow("body") << QPoint(30, 20) << int(G::Body);
}

void TestStretchHandle::grips()
{
    QFETCH(QPoint, pos);
    QFETCH(int, grip);
    Page p;
    p.frame->Attach(p.control);
    QCOMPARE(int(p.frame->gripAt(pos)), grip);
}

void TestStretchHandle::drags_data()
{
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<QRect>("control");
    // Control 100 x 50 at (40, 30); frame 105 x 55 at (38, 28).
    QTest::newRow("body moves") << QPoint(50, 20) << QPoint(60, 5) << QRect(50, 15, 100, 50);
    QTest::newRow("corner keeps ratio") << QPoint(104, 54) << QPoint(204, 60) << QRect(40, 30, 200, 100);
    QTest::newRow("corner led by height") << QPoint(104, 54) << QPoint(106, 79) << QRect(40, 30, 150, 75);
    QTest::newRow("top left corner keeps far edges") << QPoint(0, 0) << QPoint(50, 0) << QRect(90, 55, 50, 25);
    QTest::newRow("right edge free") << QPoint(104, 27) << QPoint(54, 40) << QRect(40, 30, 50, 50);
    QTest::newRow("bottom edge free") << QPoint(52, 54) << QPoint(0, 154) << QRect(40, 30, 100, 150);
    QTest::newRow("left edge keeps right") << QPoint(0, 27) << QPoint(-20, 27) << QRect(20, 30, 120, 50);
    QTest::newRow("minimum width") << QPoint(104, 27) << QPoint(-300, 27) << QRect(40, 30, 5, 50);
    QTest::newRow("minimum height from top") << QPoint(52, 0) << QPoint(52, 200) << QRect(40, 75, 100, 5);
    QTest::newRow("corner at minimum keeps ratio") << QPoint(104, 54) << QPoint(-500, -500) << QRect(40, 30, 10, 5);
}

void TestStretchHandle::drags()
{
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    QFETCH(QRect, control);
    Page p;
    p.frame->Attach(p.control);
    QSignalSpy changed(p.frame, &TStretchHandle::boundsChanged);
    p.drag(from, to);
    QCOMPARE(p.control->geometry(), control);
    QCOMPARE(p.frame->geometry(), TStretchHandle::frameFor(control));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.at(0).at(1).toRect(), QRect(40, 30, 100, 50));
    QCOMPARE(changed.at(0).at(2).toRect(), control);
    QCOMPARE(changed.at(0).at(3).toBool(), false);
}

void TestStretchHandle::bandFollowsDragAndAppliesOnRelease()
{
    Page p;
    p.frame->Attach(p.control);
    QSignalSpy band(p.frame, &TStretchHandle::bandMoved);
    const QPoint origin = p.frame->mapToGlobal(QPoint(0, 0));
    send(p.frame, QEvent::MouseButtonPress, {50, 20}, origin + QPoint(50, 20), Qt::LeftButton, Qt::LeftButton);
    send(p.frame, QEvent::MouseMove, {70, 20}, origin + QPoint(70, 20), Qt::NoButton, Qt::LeftButton);
    QVERIFY(p.frame->isDragging());
    QCOMPARE(band.count(), 1);
    QCOMPARE(band.at(0).at(0).toRect(), QRect(58, 28, 105, 55));
    QCOMPARE(p.control->geometry(), QRect(40, 30, 100, 50)); // not yet
    // A move without the button reports nothing.
    send(p.frame, QEvent::MouseMove, {90, 20}, origin + QPoint(90, 20), Qt::NoButton, Qt::NoButton);
    QCOMPARE(band.count(), 1);
    send(p.frame, QEvent::MouseButtonRelease, {30, 20}, origin + QPoint(50, 20), Qt::LeftButton, Qt::NoButton);
    QCOMPARE(p.control->geometry(), QRect(40, 30, 100, 50)); // back where it started: nothing applied
}

void TestStretchHandle::pressOnControlContinuesAsMove()
{
    Page p;
    p.frame->Attach(p.control);
    QTest::mousePress(p.control, Qt::LeftButton, {}, QPoint(10, 10));
    p.frame->beginMove(p.control->mapToGlobal(QPoint(10, 10)));
    QMouseEvent move(QEvent::MouseMove, QPointF(15, 22), p.control->mapToGlobal(QPointF(15, 22)), Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(p.control, &move);
    QTest::mouseRelease(p.control, Qt::LeftButton, {}, QPoint(15, 22));
    QCOMPARE(p.control->geometry(), QRect(45, 42, 100, 50));
    QVERIFY(!p.frame->isDragging());
}

void TestStretchHandle::arrowsMoveByOnePixel()
{
    Page p;
    p.frame->Attach(p.control);
    QSignalSpy changed(p.frame, &TStretchHandle::boundsChanged);
    QTest::keyClick(p.frame, Qt::Key_Right);
    QTest::keyClick(p.frame, Qt::Key_Right);
    QTest::keyClick(p.frame, Qt::Key_Up);
    QTest::keyClick(p.frame, Qt::Key_Down);
    QTest::keyClick(p.frame, Qt::Key_Down);
    QTest::keyClick(p.frame, Qt::Key_Left);
    QCOMPARE(p.control->geometry(), QRect(41, 31, 100, 50));
    QCOMPARE(p.frame->geometry(), QRect(39, 29, 105, 55));
    QCOMPARE(changed.count(), 6);
    QVERIFY(changed.at(0).at(3).toBool());
}

void TestStretchHandle::textBoxKeepsFocusUntilBorderPressed()
{
    QWidget page;
    page.resize(400, 300);
    auto *box = new QPlainTextEdit(&page);
    box->setGeometry(40, 30, 100, 50);
    auto *frame = new TStretchHandle(&page);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    page.activateWindow();
    box->setFocus();
    QTRY_VERIFY(box->hasFocus());
    frame->Attach(box, false);
    QVERIFY(frame->isVisible());
    QVERIFY(box->hasFocus());
    // The inside of the box is not the frame's; its border and handles are.
    QCOMPARE(page.childAt(QPoint(90, 55)), box->viewport());
    QCOMPARE(page.childAt(QPoint(39, 55)), frame);
    QTest::mousePress(frame, Qt::LeftButton, {}, QPoint(1, 27));
    QTest::mouseRelease(frame, Qt::LeftButton, {}, QPoint(1, 27));
    QTRY_VERIFY(frame->hasFocus());
}

QTEST_MAIN(TestStretchHandle)
#include "tst_stretchhandle.moc"
