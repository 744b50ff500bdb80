#include "common/AlignLayout.h"
#include "common/CollapsiblePanel.h"
#include "common/ScaleForm.h"

#include "testutils.h"

#include <QLineEdit>

using namespace vz;

class TestScaleForm : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void scalesTree_data();
    void scalesTree();
    void alignLayoutPlacesAndAnchors();
    void alignedControlsTakeImpliedAnchors_data();
    void alignedControlsTakeImpliedAnchors();
    void collapsiblePanel();
};

void TestScaleForm::scalesTree_data()
{
    QTest::addColumn<int>("dpi");
    QTest::addColumn<QSize>("window");
    QTest::addColumn<int>("top");
    QTest::addColumn<int>("left");
    QTest::addColumn<QRect>("a");
    QTest::addColumn<QRect>("b");
    QTest::addColumn<QRect>("c");
    QTest::addColumn<QRect>("d");
    QTest::addColumn<QRect>("e");
    QTest::newRow("96") << 96 << QSize(400, 300) << 40 << 100 << QRect(10, 10, 50, 20) << QRect(10, 40, 280, 20)
                        << QRect(240, 70, 50, 20) << QRect(10, 200, 50, 30) << QRect(10, 100, 100, 21);
    QTest::newRow("120") << 120 << QSize(500, 375) << 50 << 125 << QRect(13, 13, 63, 25) << QRect(13, 50, 349, 25)
                         << QRect(299, 88, 63, 25) << QRect(13, 249, 63, 38) << QRect(13, 125, 125, 21);
    QTest::newRow("144") << 144 << QSize(600, 450) << 60 << 150 << QRect(15, 15, 75, 30) << QRect(15, 60, 420, 30)
                         << QRect(360, 105, 75, 30) << QRect(15, 300, 75, 45) << QRect(15, 150, 150, 21);
}

void TestScaleForm::scalesTree()
{
    QFETCH(int, dpi);
    QWidget window;
    window.resize(400, 300);
    auto *layout = new AlignLayout(&window);
    auto *top = new QWidget(&window);
    layout->addWidget(top, Align::Top, QRect(0, 0, 0, 40));
    auto *left = new QWidget(&window);
    layout->addWidget(left, Align::Left, QRect(0, 0, 100, 0));
    auto *client = new QWidget(&window);
    layout->addWidget(client, Align::Client);
    layout->setGeometry(window.rect());
    QCOMPARE(client->size(), QSize(300, 260));

    auto *inner = new AlignLayout(client);
    auto add = [&](QWidget *w, const QRect &r, int anchors) {
        inner->addWidget(w, Align::None, r, anchors);
        return w;
    };
    QWidget *a = add(new QWidget(client), QRect(10, 10, 50, 20), AnchorLeft | AnchorTop);
    QWidget *b = add(new QWidget(client), QRect(10, 40, 280, 20), AnchorLeft | AnchorTop | AnchorRight);
    QWidget *c = add(new QWidget(client), QRect(240, 70, 50, 20), AnchorRight | AnchorTop);
    QWidget *d = add(new QWidget(client), QRect(10, 200, 50, 30), AnchorLeft | AnchorBottom);
    QWidget *e = add(new QLineEdit(client), QRect(10, 100, 100, 21), AnchorLeft | AnchorTop);
    inner->setGeometry(client->rect());

    ScaleFormToScreen(&window, dpi);

    QTEST(window.size(), "window");
    QTEST(top->height(), "top");
    QTEST(left->width(), "left");
    QTEST(a->geometry(), "a");
    QTEST(b->geometry(), "b");
    QTEST(c->geometry(), "c");
    QTEST(d->geometry(), "d");
    QTEST(e->geometry(), "e");

    // The new design sticks: laying out again changes nothing.
    const QRect before = c->geometry();
    inner->setGeometry(client->rect());
    QCOMPARE(c->geometry(), before);
}

void TestScaleForm::alignLayoutPlacesAndAnchors()
{
    QWidget w;
    w.resize(200, 100);
    auto *l = new AlignLayout(&w);
    auto *right = new QWidget(&w);
    l->addWidget(right, Align::Right, QRect(0, 0, 30, 0));
    auto *bottom = new QWidget(&w);
    l->addWidget(bottom, Align::Bottom, QRect(0, 0, 0, 10));
    auto *free = new QWidget(&w);
    l->addWidget(free, Align::None, QRect(150, 5, 20, 20), AnchorRight | AnchorBottom);
    l->setGeometry(w.rect());
    // Bottom comes before right in the alignment order.
    QCOMPARE(bottom->geometry(), QRect(0, 90, 200, 10));
    QCOMPARE(right->geometry(), QRect(170, 0, 30, 90));
    w.resize(300, 150);
    l->setGeometry(w.rect());
    QCOMPARE(free->geometry(), QRect(250, 55, 20, 20));
    right->hide();
    l->setGeometry(w.rect());
    QCOMPARE(bottom->geometry(), QRect(0, 140, 300, 10));
}

void TestScaleForm::alignedControlsTakeImpliedAnchors_data()
{
    QTest::addColumn<int>("align");
    QTest::addColumn<int>("anchors"); // AnchorsImplied: none given
    QTest::addColumn<int>("dpi");
    QTest::addColumn<int>("extent"); // width for left/right, height for top/bottom, after scaling
    // A 400 x 300 window with a 121-high or 134-wide strip; 120 dpi makes it
    // 500 x 375, 144 dpi 600 x 450.
    QTest::newRow("bottom, 120") << int(Align::Bottom) << AnchorsImplied << 120 << 151;
    QTest::newRow("bottom, 144") << int(Align::Bottom) << AnchorsImplied << 144 << 182;
    QTest::newRow("top, 144") << int(Align::Top) << AnchorsImplied << 144 << 182;
    QTest::newRow("right, 120") << int(Align::Right) << AnchorsImplied << 120 << 168;
    QTest::newRow("left, 144") << int(Align::Left) << AnchorsImplied << 144 << 201;
    // Anchored to the opposite side as well: it keeps the scaled distance
    // from that side and stretches.
    QTest::newRow("bottom anchored top") << int(Align::Bottom) << int(AnchorLeft | AnchorTop | AnchorBottom) << 120 << 57;
    QTest::newRow("left anchored right") << int(Align::Left) << int(AnchorLeft | AnchorRight) << 120 << 42;
}

void TestScaleForm::alignedControlsTakeImpliedAnchors()
{
    QFETCH(int, align);
    QFETCH(int, anchors);
    QFETCH(int, dpi);
    const Align a = Align(align);
    const bool vertical = a == Align::Top || a == Align::Bottom;
    QWidget window;
    window.resize(400, 300);
    auto *layout = new AlignLayout(&window);
    auto *strip = new QWidget(&window);
    layout->addWidget(strip, a, vertical ? QRect(0, 0, 0, 121) : QRect(0, 0, 134, 0), anchors);
    auto *rest = new QWidget(&window);
    layout->addWidget(rest, Align::Client);
    layout->setGeometry(window.rect());
    ScaleFormToScreen(&window, dpi);
    QTEST(vertical ? strip->height() : strip->width(), "extent");
    // It stays where its alignment puts it, and the client area keeps the rest.
    const QRect r = strip->geometry();
    QVERIFY(window.rect().contains(r));
    QVERIFY(!rest->geometry().intersects(r));
    QCOMPARE(vertical ? rest->height() + r.height() : rest->width() + r.width(),
             vertical ? window.height() : window.width());
}

void TestScaleForm::collapsiblePanel()
{
    QWidget w;
    w.resize(400, 100);
    auto *l = new AlignLayout(&w);
    auto *panel = new CollapsiblePanel(Qt::RightEdge, &w);
    l->addWidget(panel, Align::Left, QRect(0, 0, 134, 0));
    auto *rest = new QWidget(&w);
    l->addWidget(rest, Align::Client);
    l->setGeometry(w.rect());
    QSignalSpy spy(panel, &CollapsiblePanel::resized);
    panel->setExpanded(false);
    QCOMPARE(panel->width(), CollapsiblePanel::kTabWidth);
    QCOMPARE(rest->x(), CollapsiblePanel::kTabWidth);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.last().at(0).toBool(), false);
    panel->setExpanded(false); // no change, no signal
    QCOMPARE(spy.count(), 1);
    // Its own tab expands it again to the width it had.
    QTest::mouseClick(panel->findChild<QWidget *>("collapseTab"), Qt::LeftButton);
    QCOMPARE(panel->width(), 134);
    QCOMPARE(spy.last().at(0).toBool(), true);
}

QTEST_MAIN(TestScaleForm)
#include "tst_scaleform.moc"
