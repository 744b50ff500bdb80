// The thumbnail grid's focus frame and key releases, and keyboard choice in
// the clip-art category list.

#include "common/Dialogs.h"
#include "imagesets/ClipartPage.h"
#include "imagesets/ThumbnailGrid.h"
#include "imagesets/ThumbnailTable.h"
#include "shell/AppState.h"

#include "testutils.h"

#include <QBuffer>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QSignalSpy>

using namespace vz;

namespace {

QByteArray bmpBytes(const QColor &c, QSize size = QSize(55, 55))
{
    QImage img(size, QImage::Format_RGB888);
    img.fill(c);
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "BMP");
    return bytes;
}

// A clip-art set of one catalog, its pictures named after their files.
void writeSet(const vztest::Sandbox &box, const QString &folder, const QString &set, const QStringList &files)
{
    box.write(folder + "/set.qn", QStringLiteral("Name=%1\r\nDescription=%1 pictures\r\nSet=%1\r\n").arg(set).toUtf8());
    ThumbnailDataClip table;
    for (const QString &f : files) {
        table.appendThumbnail(f, f, bmpBytes(Qt::red), set, f);
        box.write(folder + "/" + f, bmpBytes(Qt::red, QSize(80, 40)));
    }
    table.saveToFile(box.path(folder + "/Images.catalog"));
}

// Pixels on the frame line one pixel inside a cell that differ from the fill.
int framePixels(const QImage &shot, int row, int col, const QColor &fill)
{
    int n = 0;
    const int x0 = col * kThumbCell, y0 = row * kThumbCell;
    for (int x = x0 + 1; x < x0 + kThumbCell - 1; ++x)
        for (int y : {y0 + 1, y0 + kThumbCell - 2})
            n += shot.pixelColor(x, y) != fill;
    return n;
}

} // namespace

class TestThumbnailGrid : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void focusFrame_data();
    void focusFrame();
    void keyReleaseNeedsOwnPress_data();
    void keyReleaseNeedsOwnPress();
    void categoryChosenWithKeys();
};

void TestThumbnailGrid::focusFrame_data()
{
    QTest::addColumn<bool>("showFocus");
    QTest::addColumn<QString>("how"); // "click", "key" or "none" (no focus)
    QTest::addColumn<bool>("framed");
    QTest::newRow("clicked") << true << "click" << true;
    QTest::newRow("arrow key") << true << "key" << true;
    QTest::newRow("without focus") << true << "none" << false;
    QTest::newRow("plain grid, clicked") << false << "click" << false;
}

// The current cell is framed whenever the grid has the focus, by mouse or key.
void TestThumbnailGrid::focusFrame()
{
    QFETCH(bool, showFocus);
    QFETCH(QString, how);
    QFETCH(bool, framed);
    const QColor fill(Qt::blue);
    QWidget window;
    window.resize(300, 200);
    auto *edit = new QLineEdit(&window);
    edit->setGeometry(0, 170, 100, 22);
    auto *grid = new ThumbnailGrid(&window);
    grid->setGeometry(0, 0, 300, 165);
    grid->setDrawCell([&](QPainter &p, int, const QRect &cell) { p.fillRect(cell, fill); });
    grid->setCount(8);
    grid->setShowFocusCell(showFocus);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    edit->setFocus();
    if (how == "click") {
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, QPoint(55 + 20, 20));
    } else if (how == "key") {
        grid->setFocus(Qt::OtherFocusReason);
        QTest::keyClick(grid, Qt::Key_Right);
    } else {
        grid->setCurrentCell(0, 1);
    }
    QCOMPARE(grid->currentIndex(), 1);
    QCOMPARE(grid->hasFocus(), how != "none");
    const QImage shot = grid->viewport()->grab().toImage();
    QCOMPARE(framePixels(shot, 0, 0, fill), 0);
    if (framed)
        QVERIFY(framePixels(shot, 0, 1, fill) > 40);
    else
        QCOMPARE(framePixels(shot, 0, 1, fill), 0);
    // The frame goes with the focus.
    edit->setFocus();
    QTRY_COMPARE(framePixels(grid->viewport()->grab().toImage(), 0, 1, fill), 0);
}

void TestThumbnailGrid::keyReleaseNeedsOwnPress_data()
{
    QTest::addColumn<QString>("sequence"); // p: press in grid, e: press in the edit, g: focus to grid,
                                           // r: release in grid, a: auto-repeated release in grid
    QTest::addColumn<int>("reported");
    QTest::newRow("pressed and released in the grid") << "gpr" << 1;
    QTest::newRow("release alone") << "gr" << 0;
    QTest::newRow("pressed in a box, released in the grid") << "egr" << 0;
    QTest::newRow("auto-repeat, then the release") << "gpapar" << 1;
    QTest::newRow("released twice") << "gprr" << 1;
}

// A key release counts only for a key pressed while the grid had the focus:
// Enter on a message box must not show the same picture (and error) again.
void TestThumbnailGrid::keyReleaseNeedsOwnPress()
{
    QFETCH(QString, sequence);
    QFETCH(int, reported);
    QWidget window;
    auto *edit = new QLineEdit(&window);
    auto *grid = new ThumbnailGrid(&window);
    grid->setGeometry(0, 30, 200, 200);
    grid->setCount(3);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QSignalSpy spy(grid, &ThumbnailGrid::keyReleased);
    for (QChar c : sequence) {
        switch (c.toLatin1()) {
        case 'e':
            edit->setFocus();
            QTest::keyPress(edit, Qt::Key_Return);
            break;
        case 'g': grid->setFocus(); break;
        case 'p': QTest::keyPress(grid, Qt::Key_Return); break;
        case 'a': {
            QKeyEvent repeat(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"), true);
            QCoreApplication::sendEvent(grid, &repeat);
            break;
        }
        case 'r': QTest::keyRelease(grid, Qt::Key_Return); break;
        }
    }
    QCOMPARE(spy.count(), reported);
}

// Arrowing through the category list loads each category as a click does
// and remembers its row.
void TestThumbnailGrid::categoryChosenWithKeys()
{
    vztest::Sandbox box;
    writeSet(box, "Images/Color/Animals", "Animals", {"a.bmp", "b.bmp"});
    writeSet(box, "Images/Color/Birds", "Birds", {"c.bmp"});
    writeSet(box, "Images/Color/Cars", "Cars", {"d.bmp", "e.bmp", "f.bmp"});
    AppState state;
    state.programFolder = box.path();
    QWidget mainPage, lowerPage;
    mainPage.resize(600, 400);
    ClipartPage page(state, &mainPage, &lowerPage);
    mainPage.show();
    mainPage.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&mainPage));
    page.ShowClipart();
    QListWidget *list = page.categories();
    QCOMPARE(list->currentRow(), 0);
    QCOMPARE(page.table().count(), 2);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(list->currentRow(), 1);
    QCOMPARE(state.categoryRow, 1);
    QCOMPARE(page.table().count(), 1);
    QTest::keyClick(list, Qt::Key_End);
    QCOMPARE(list->currentItem()->text(), QString("Everything"));
    QCOMPARE(state.categoryRow, list->count() - 1);
    QCOMPARE(page.table().count(), 6);
    // Rows set from code load nothing by themselves.
    list->setCurrentRow(0);
    QCOMPARE(page.table().count(), 6);
}

QTEST_MAIN(TestThumbnailGrid)
#include "tst_thumbnailgrid.moc"
