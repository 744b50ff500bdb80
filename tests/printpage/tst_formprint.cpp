#include "printpagetestutils.h"

#include "common/Dialogs.h"
#include "common/PageChanged.h"
#include "platform/SystemClipboard.h"
#include "printpage/PictureDrop.h"
#include "printpage/PlacedPicture.h"
#include "printpage/Ruler.h"
#include "printpage/TStretchHandle.h"
#include "testutils.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QProcess>
#include <QStandardPaths>
#include <QUndoStack>
#include <QUrl>

using namespace vz;
using namespace pptest;

namespace {

QStringList cadFiles()
{
    return QDir(QDir::tempPath()).entryList({QStringLiteral("cad*")}, QDir::Files);
}

void key(TfrmPrint &page, int k, Qt::KeyboardModifiers mods = {})
{
    QKeyEvent e(QEvent::KeyPress, k, mods);
    page.FormKeyDown(&e);
}

// Drops `mime` (taken over) in the middle of the page; returns whether it was taken.
bool dropOnPage(TfrmPrint &page, QMimeData *data)
{
    std::unique_ptr<QMimeData> mime(data);
    QWidget *target = page.pnlPage();
    const QPointF at(target->width() / 2.0, target->height() / 2.0);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, mime.get(), Qt::LeftButton, {});
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(at, Qt::CopyAction, mime.get(), Qt::LeftButton, {});
    QApplication::sendEvent(target, &drop);
    return drop.isAccepted();
}

QMimeData *filesMime(const QStringList &files)
{
    auto *m = new QMimeData;
    QList<QUrl> urls;
    for (const QString &f : files)
        urls << QUrl::fromLocalFile(f);
    m->setUrls(urls);
    return m;
}

// Presses on a control and drags it by `delta` through the selection frame.
void dragControl(QWidget *control, TStretchHandle *frame, QPoint delta)
{
    const QPoint local(5, 5);
    const QPoint global = control->mapToGlobal(local);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(local), QPointF(global), Qt::LeftButton, Qt::LeftButton, {});
    QApplication::sendEvent(control, &press);
    QMouseEvent move(QEvent::MouseMove, QPointF(local + delta), QPointF(global + delta), Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(control, &move);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(local + delta), QPointF(global + delta), Qt::LeftButton, Qt::NoButton, {});
    QApplication::sendEvent(control, &release);
    Q_UNUSED(frame);
}

} // namespace

class TestFormPrint : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { setPageChanged(false); }

    void windowAndNames();
    void pageGeometryAndRulers();
    void placeSelectAndReadouts();
    void pressesSelectAndClear();
    void frameDragIsOneUndoStep();
    void arrowMovesMerge();
    void deleteWithTextBox();
    void clear_data();
    void clear();
    void bringToFrontKeepsPrintOrder();
    void copyBitmapAndMetafile();
    void copyTextBox();
    void pasteCascadesAndTextOnly();
    void ctrlVShowsThenPastes();
    void keysAreTheBoxsWhenItHasFocus();
    void saveImage_data();
    void saveImage();
    void statusBarWithoutSelection();
    void openImage();
    void undoAfterResizeIsExact();
    void embeddedFollowsHost();
    void showAndClose();
    void drops();
    void dropsOfInProcessPictures();
};

void TestFormPrint::windowAndNames()
{
    PageFixture f;
    for (const char *name : {"pnlPage", "btnTextBox", "btnSize", "btnDelete1", "btnCut", "btnPaste", "btnToFront", "btnClear", "btnPrint"})
        QVERIFY2(f.page.findChild<QWidget *>(QLatin1String(name)), name);
    QMenu *menu = f.page.findChild<QMenu *>(QStringLiteral("PopupMenu1"));
    QVERIFY(menu);
    QStringList captions;
    for (QAction *a : menu->actions())
        captions << (a->isSeparator() ? QStringLiteral("-") : a->text());
    const QStringList expected = {
        "Undo (Ctrl + Z)", "Redo (Ctrl + Shift + Z)", "-",
        "Copy (Ctrl + C)", "Cut    (Ctrl + X)", "Paste (Ctrl + V)", "-",
        "Delete (Delete)", "Clear (Ctrl + Delete)", "-",
        "New Text Box (Ctrl + B)", "Font Options (Ctrl + F)", "Edit Text Box", "-",
        "Print (Ctrl + P)", "Print Troubleshooting  (Ctrl + T)", "Print Setup (Ctrl + O)", "-",
        "Open Image (Ctrl + O)", "Open Page (Crtl + E)", "Save Image (Ctrl + I)", "Save Page (Ctrl + S)",
        "Change Values  (Ctrl + H)", "-", "Help (F1)"};
    QCOMPARE(captions, expected);
    // Undo follows the history.
    QVERIFY(!menu->actions().at(0)->isEnabled());
    f.place(bitmap(40, 20));
    QVERIFY(menu->actions().at(0)->isEnabled());
    QCOMPARE(f.page.findChild<QAbstractButton *>("btnToFront")->toolTip(), QStringLiteral("Bring Image to Front"));
    QVERIFY(f.page.statusText(0).endsWith(QLatin1Char('"')));
    f.page.ClearSelection();
    QCOMPARE(f.page.statusText(0), QStringLiteral("Object Width: "));
    QCOMPARE(f.page.statusText(3), QStringLiteral("Object Left: "));
    QCOMPARE(f.page.statusText(4), QStringLiteral("Change Values"));
}

void TestFormPrint::pageGeometryAndRulers()
{
    PageFixture f;
    const PageGeometry &g = f.model().geometry();
    QVERIFY(g.isValid());
    QCOMPARE(f.page.pnlPage()->geometry(), g.page);
    // The page has the Letter proportions and stands inside the work area.
    QVERIFY(std::abs(double(g.page.height()) / g.page.width() - 6600.0 / 5100.0) < 0.01);
    QVERIFY(f.page.workArea()->rect().contains(g.page));
    QCOMPARE(f.page.horizontalRuler()->unitSize(), double(g.ppiX));
    QCOMPARE(f.page.verticalRuler()->unitSize(), double(g.ppiY));
    QCOMPARE(f.page.horizontalRuler()->start(), g.rulerStartX);
    QCOMPARE(f.page.verticalRuler()->start(), g.rulerStartY);
    QVERIFY(!f.page.horizontalHighlight()->isVisible());
    // Landscape A4: the page turns.
    f.printer.setPageSize(QPageSize(QPageSize::A4));
    f.printer.setPageOrientation(QPageLayout::Landscape);
    f.page.RefreshPage();
    const QRect landscape = f.page.pnlPage()->geometry();
    QVERIFY(landscape.width() > landscape.height());
}

void TestFormPrint::placeSelectAndReadouts()
{
    PageFixture f;
    const PageObjectId id = f.place(bitmap(400, 200));
    QVERIFY(id != kNoObject);
    QWidget *control = f.page.control(id);
    QVERIFY(qobject_cast<PlacedPicture *>(control));
    QCOMPARE(control->geometry(), f.rectOf(id));
    QVERIFY(pageChanged());
    // Placing selects the new picture; the frame has the focus (arrows move it).
    QCOMPARE(f.page.selectedObject(), id);
    QCOMPARE(f.page.stretchHandle()->attached(), control);
    QTRY_VERIFY(f.page.stretchHandle()->hasFocus());
    QVERIFY(f.page.horizontalHighlight()->isVisible() && f.page.verticalHighlight()->isVisible());
    const PageGeometry &g = f.model().geometry();
    const QRect r = control->geometry();
    QCOMPARE(f.page.statusText(0), QStringLiteral("Object Width: %1\"").arg(r.width() / double(g.ppiX), 0, 'f', 2));
    QCOMPARE(f.page.statusText(1), QStringLiteral("Object Height: %1\"").arg(r.height() / double(g.ppiY), 0, 'f', 2));
    QCOMPARE(f.page.statusText(2), QStringLiteral("Object Top: %1\"").arg(r.top() / double(g.ppiY), 0, 'f', 2));
    QCOMPARE(f.page.statusText(3), QStringLiteral("Object Left: %1\"").arg(r.left() / double(g.ppiX), 0, 'f', 2));
    // The highlight rulers cover the object and count from its edges.
    Ruler *h = f.page.horizontalHighlight();
    QCOMPARE(h->width(), r.width());
    QCOMPARE(h->x(), f.page.pnlPage()->x() + r.left() + 17);
    QCOMPARE(h->start(), r.left() / double(g.ppiX));
    QCOMPARE(f.page.verticalHighlight()->y(), f.page.pnlPage()->y() + r.top());
    QCOMPARE(f.page.verticalHighlight()->height(), r.height());
    // Empty pictures are not placed.
    f.page.placePictures({Picture()});
    QCOMPARE(f.model().pictures().size(), 1);
}

void TestFormPrint::pressesSelectAndClear()
{
    PageFixture f;
    const PageObjectId a = f.place(bitmap(100, 100));
    f.page.model().setObjectRect(a, QRect(10, 10, 50, 50), RectChange::Drag);
    const PageObjectId b = f.place(bitmap(100, 100));
    f.page.model().setObjectRect(b, QRect(200, 200, 50, 50), RectChange::Drag);
    f.page.ClearSelection();
    // A press on a picture with any button selects it.
    QTest::mousePress(f.page.control(a), Qt::RightButton, {}, QPoint(5, 5));
    QCOMPARE(f.page.selectedObject(), a);
    QTest::mouseRelease(f.page.control(a), Qt::RightButton, {}, QPoint(5, 5));
    // The popup comes up over the frame as over the page.
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, QPoint(5, 5), f.page.stretchHandle()->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(f.page.stretchHandle(), &menuEvent);
    QTRY_VERIFY(f.page.popupMenu()->isVisible());
    f.page.popupMenu()->hide();
    // A right press on the empty page keeps it; another button clears it.
    QTest::mousePress(f.page.pnlPage(), Qt::RightButton, {}, QPoint(150, 5));
    QCOMPARE(f.page.selectedObject(), a);
    setPageChanged(false);
    QTest::mousePress(f.page.pnlPage(), Qt::LeftButton, {}, QPoint(150, 5));
    QCOMPARE(f.page.selectedObject(), kNoObject);
    QVERIFY(!pageChanged()); // emptying the readouts changes nothing
    QVERIFY(!f.page.stretchHandle()->isVisible());
    QCOMPARE(f.page.stretchHandle()->size(), QSize(24, 24));
    QVERIFY(!f.page.horizontalHighlight()->isVisible());
    // The work area around the page clears it too.
    QTest::mousePress(f.page.control(b), Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(f.page.control(b), Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(f.page.selectedObject(), b);
    QTest::mousePress(f.page.workArea(), Qt::LeftButton, {}, QPoint(2, 2));
    QCOMPARE(f.page.selectedObject(), kNoObject);
    QCOMPARE(f.page.statusText(1), QStringLiteral("Object Height: "));
}

void TestFormPrint::frameDragIsOneUndoStep()
{
    PageFixture f;
    const PageObjectId id = f.place(bitmap(100, 100));
    f.page.model().setObjectRect(id, QRect(20, 30, 60, 60), RectChange::Drag);
    setPageChanged(false);
    const int steps = f.page.undoStack()->count();
    dragControl(f.page.control(id), f.page.stretchHandle(), QPoint(15, 7));
    QCOMPARE(f.rectOf(id), QRect(35, 37, 60, 60));
    QCOMPARE(f.page.control(id)->geometry(), QRect(35, 37, 60, 60));
    QVERIFY(pageChanged());
    QCOMPARE(f.page.undoStack()->count(), steps + 1);
    // The readout shows the band's measures: left 35.
    const int ppiX = f.model().geometry().ppiX;
    QCOMPARE(f.page.statusText(3), QStringLiteral("Object Left: %1\"").arg(35.0 / ppiX, 0, 'f', 2));
    setPageChanged(false);
    f.page.undo();
    QCOMPARE(f.rectOf(id), QRect(20, 30, 60, 60));
    QCOMPARE(f.page.control(id)->geometry(), QRect(20, 30, 60, 60));
    QCOMPARE(f.page.stretchHandle()->geometry(), TStretchHandle::frameFor(QRect(20, 30, 60, 60)));
    QVERIFY(pageChanged()); // undo changes the page
    f.page.redo();
    QCOMPARE(f.rectOf(id), QRect(35, 37, 60, 60));
}

void TestFormPrint::arrowMovesMerge()
{
    PageFixture f;
    const PageObjectId id = f.place(bitmap(100, 100));
    const QRect start = f.rectOf(id);
    const int steps = f.page.undoStack()->count();
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(f.page.stretchHandle(), Qt::Key_Right);
    QTest::keyClick(f.page.stretchHandle(), Qt::Key_Down);
    QCOMPARE(f.rectOf(id), start.translated(3, 1));
    QCOMPARE(f.page.undoStack()->count(), steps + 1);
    f.page.undo();
    QCOMPARE(f.rectOf(id), start);
}

void TestFormPrint::deleteWithTextBox()
{
    PageFixture f;
    QVERIFY(QTest::qWaitForWindowExposed(&f.page));
    f.page.activateWindow();
    const PageObjectId pic = f.place(bitmap(50, 50));
    auto box = std::make_shared<StandInBox>(QRect(30, 40, 120, 60), QStringLiteral("words"));
    const PageObjectId boxId = f.model().addTextBox(box);
    QCOMPARE(f.page.control(boxId), box->edit.get());
    QCOMPARE(box->edit->parentWidget(), f.page.pnlPage());
    // Boxes stand above pictures.
    const QObjectList kids = f.page.pnlPage()->children();
    QVERIFY(kids.indexOf(box->edit.get()) > kids.indexOf(f.page.control(pic)));
    // Selected and focused: Delete is the box's key.
    QCOMPARE(f.page.selectedObject(), boxId);
    box->edit->setFocus();
    QTRY_VERIFY(box->edit->hasFocus());
    key(f.page, Qt::Key_Delete);
    QVERIFY(f.model().contains(boxId));
    // Selected but not focused: Delete deletes the box.
    f.page.pnlPage()->setFocus();
    QTRY_VERIFY(!box->edit->hasFocus());
    key(f.page, Qt::Key_Delete);
    QVERIFY(!f.model().contains(boxId));
    QVERIFY(!box->edit->isVisible());
    QVERIFY(f.page.control(boxId) == nullptr);
    QCOMPARE(f.page.selectedObject(), kNoObject);
    // Undo brings it back at its place.
    f.page.undo();
    QVERIFY(f.model().contains(boxId));
    QCOMPARE(f.page.control(boxId), box->edit.get());
    QCOMPARE(box->edit->geometry(), QRect(30, 40, 120, 60));
    // The Delete button deletes a picture; delete marks the page changed.
    f.page.selectObject(pic);
    setPageChanged(false);
    f.page.findChild<QAbstractButton *>("btnDelete1")->click();
    QVERIFY(!f.model().contains(pic));
    QVERIFY(f.page.control(pic) == nullptr);
    QVERIFY(pageChanged());
    // Nothing selected: nothing happens.
    const int count = int(f.model().pictures().size() + f.model().textBoxes().size());
    f.page.DeleteImage();
    QCOMPARE(int(f.model().pictures().size() + f.model().textBoxes().size()), count);
}

void TestFormPrint::clear_data()
{
    QTest::addColumn<bool>("changed");
    QTest::addColumn<int>("answer"); // -1: no question expected
    QTest::addColumn<bool>("cleared");
    QTest::newRow("unchanged asks nothing") << false << -1 << true;
    QTest::newRow("Yes with a save not written keeps the page") << true << int(MsgResult::Yes) << false;
    QTest::newRow("No clears") << true << int(MsgResult::No) << true;
    QTest::newRow("Cancel keeps the page") << true << int(MsgResult::Cancel) << false;
}

void TestFormPrint::clear()
{
    QFETCH(bool, changed);
    QFETCH(int, answer);
    QFETCH(bool, cleared);
    PageFixture f;
    f.place(bitmap(50, 50));
    auto box = std::make_shared<StandInBox>(QRect(30, 40, 120, 60), QStringLiteral("words"));
    f.model().addTextBox(box);
    setPageChanged(changed);
    DialogResponder responder;
    if (answer >= 0)
        responder.queueResult(MsgResult(answer));
    QCOMPARE(f.page.findChild<QAbstractButton *>("btnClear") != nullptr, true);
    QCOMPARE(f.page.btnClearClick(), cleared);
    if (answer < 0)
        QVERIFY(responder.messages().isEmpty());
    else
        QCOMPARE(responder.messages(), QStringList{"Would you like to save before you clear this page?"});
    QCOMPARE(f.model().isEmpty(), cleared);
    QCOMPARE(box->edit->isVisible(), !cleared);
    if (cleared) {
        QVERIFY(!pageChanged());
        QCOMPARE(f.page.selectedObject(), kNoObject);
        QVERIFY(f.page.pnlPage()->findChildren<PlacedPicture *>().isEmpty());
        // One undo step brings everything back.
        f.page.undo();
        QCOMPARE(f.model().pictures().size(), 1);
        QCOMPARE(f.model().textBoxes().size(), 1);
        QVERIFY(box->edit->isVisible());
    } else {
        QVERIFY(pageChanged());
    }
}

void TestFormPrint::bringToFrontKeepsPrintOrder()
{
    PageFixture f;
    const PageObjectId first = f.place(bitmap(50, 50));
    const PageObjectId second = f.place(bitmap(60, 60));
    f.page.selectObject(first);
    f.page.findChild<QAbstractButton *>("btnToFront")->click();
    QCOMPARE(f.model().pictures(), (QList<PageObjectId>{first, second}));
    QCOMPARE(f.model().stackingOrder().last(), first);
    const QObjectList kids = f.page.pnlPage()->children();
    QVERIFY(kids.indexOf(f.page.control(first)) > kids.indexOf(f.page.control(second)));
    // The frame stays on top.
    QCOMPARE(kids.last(), f.page.stretchHandle());
    f.page.undo();
    QCOMPARE(f.model().stackingOrder().last(), second);
    // The controls follow every change of the order, also a picture put
    // back in the middle by an undo.
    const PageObjectId third = f.place(bitmap(70, 70));
    f.page.selectObject(second);
    f.page.DeleteImage();
    QVERIFY(!f.model().contains(second));
    f.page.undo();
    QCOMPARE(f.model().stackingOrder(), (QList<PageObjectId>{first, second, third}));
    const QObjectList after = f.page.pnlPage()->children();
    QVERIFY(after.indexOf(f.page.control(first)) < after.indexOf(f.page.control(second)));
    QVERIFY(after.indexOf(f.page.control(second)) < after.indexOf(f.page.control(third)));
    QCOMPARE(after.last(), f.page.stretchHandle());
}

void TestFormPrint::copyBitmapAndMetafile()
{
    PageFixture f;
    QGuiApplication::clipboard()->clear();
    const QStringList cadBefore = cadFiles();
    const PageObjectId bmp = f.place(bitmap(120, 60));
    f.page.Copyer();
    QCOMPARE(f.model().copyRect(), f.rectOf(bmp));
    const QMimeData *m = QGuiApplication::clipboard()->mimeData();
    QVERIFY(m && m->hasImage());
    QCOMPARE(qvariant_cast<QImage>(m->imageData()).size(), QSize(120, 60));
    QCOMPARE(f.host.windowsPictures.size(), 1);
    QCOMPARE(f.host.log.mid(f.host.log.size() - 2), (QStringList{"showWindowsPicture", "ResiseClipBoardImage"}));

    const PageObjectId wmf = f.place(metafile(300, 150));
    f.page.selectObject(wmf);
    f.page.Copyer();
    m = QGuiApplication::clipboard()->mimeData();
    QVERIFY(m && m->hasFormat(QString::fromLatin1(kWmfMimeType)));
    const Picture back = SystemClipboard::takePicture();
    QCOMPARE(back.kind(), Picture::Kind::Metafile);
    QCOMPARE(back.size(), QSize(300, 150));
    QCOMPARE(cadFiles(), cadBefore); // the temporary file is gone
    QCOMPARE(f.host.windowsPictures.last().kind(), Picture::Kind::Metafile);

    // Nothing selected: nothing is copied.
    f.page.ClearSelection();
    QGuiApplication::clipboard()->clear();
    f.page.Copyer();
    QVERIFY(!SystemClipboard::hasPicture());
    QCOMPARE(f.host.windowsPictures.size(), 2);
}

void TestFormPrint::copyTextBox()
{
    PageFixture f;
    auto box = std::make_shared<StandInBox>(QRect(30, 40, 120, 60), QStringLiteral("two\nlines"));
    const PageObjectId id = f.model().addTextBox(box);
    f.page.selectObject(id);
    QGuiApplication::clipboard()->clear();
    f.page.Copyer();
    QVERIFY(box->selectedAll);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("two\nlines"));
    QVERIFY(f.host.windowsPictures.isEmpty());
    // Cut copies, then deletes.
    f.page.Cut();
    QVERIFY(!f.model().contains(id));
}

void TestFormPrint::pasteCascadesAndTextOnly()
{
    PageFixture f;
    const PageObjectId id = f.place(bitmap(120, 60));
    f.page.model().setObjectRect(id, QRect(50, 40, 120, 60), RectChange::Drag);
    f.page.Copyer();
    for (int i = 1; i <= 3; ++i) {
        f.page.findChild<QAbstractButton *>("btnPaste")->click();
        QCOMPARE(f.model().pictures().size(), 1 + i);
        QCOMPARE(f.rectOf(f.model().pictures().last()), QRect(50 + 10 * i, 40 + 10 * i, 120, 60));
    }
    QCOMPARE(f.page.selectedObject(), f.model().pictures().last());
    // Text only: no picture, the text waits for its box.
    QGuiApplication::clipboard()->setText(QStringLiteral("pasted words"));
    f.page.PasteFromClipboard();
    QCOMPARE(f.model().pictures().size(), 4);
    QCOMPARE(f.page.pendingTextBoxText(), QStringLiteral("pasted words"));
}

void TestFormPrint::ctrlVShowsThenPastes()
{
    PageFixture f;
    QStringList order;
    f.host.onShow = [&] { order << QStringLiteral("show"); };
    connect(&f.page, &TfrmPrint::commandRun, &f.page, [&](const QString &c) { order << c; });
    SystemClipboard::putBitmap(bitmap(30, 30).image());
    key(f.page, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(order, (QStringList{"show", "PasteFromClipboard"}));
    QCOMPARE(f.model().pictures().size(), 1);
    // Ctrl+C is the main window's Copy.
    key(f.page, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(f.host.log.count(QStringLiteral("mainCopy")), 1);
    // F1 is not the page's.
    f.host.log.clear();
    key(f.page, Qt::Key_F1);
    QVERIFY(f.host.log.isEmpty());
}

void TestFormPrint::keysAreTheBoxsWhenItHasFocus()
{
    PageFixture f;
    QVERIFY(QTest::qWaitForWindowExposed(&f.page));
    f.page.activateWindow();
    const PageObjectId pic = f.place(bitmap(30, 30));
    auto box = std::make_shared<StandInBox>(QRect(30, 40, 120, 60));
    f.model().addTextBox(box);
    box->edit->setFocus();
    QTRY_VERIFY(box->edit->hasFocus());
    SystemClipboard::putBitmap(bitmap(30, 30).image());
    const int steps = f.page.undoStack()->index();
    key(f.page, Qt::Key_V, Qt::ControlModifier);
    key(f.page, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(f.model().pictures().size(), 1);
    QCOMPARE(f.page.undoStack()->index(), steps);
    f.page.pnlPage()->setFocus();
    QTRY_VERIFY(!box->edit->hasFocus());
    key(f.page, Qt::Key_Z, Qt::ControlModifier); // takes the box off again
    QCOMPARE(f.model().textBoxes().size(), 0);
    key(f.page, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(f.model().textBoxes().size(), 1);
    QVERIFY(f.model().contains(pic));
}

void TestFormPrint::saveImage_data()
{
    QTest::addColumn<Picture>("picture");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("written");
    QTest::newRow("bitmap, bare name") << bitmap(20, 10) << "Bitmap (*.bmp)" << "out" << "out.bmp";
    QTest::newRow("metafile, bare name") << metafile(40, 20) << "Metafile (*.wmf)" << "art" << "art.wmf";
    QTest::newRow("extension kept") << bitmap(20, 10) << "Bitmap (*.bmp)" << "pic.dat" << "pic.dat";
    QByteArray jpeg;
    QBuffer buf(&jpeg);
    buf.open(QIODevice::WriteOnly);
    bitmap(24, 16).image().save(&buf, "JPG");
    QTest::newRow("JPEG keeps its bytes") << Picture::fromBytes(jpeg, Picture::Kind::Jpeg) << "JPEG (*.jpg)" << "photo" << "photo.jpg";
}

void TestFormPrint::saveImage()
{
    QFETCH(Picture, picture);
    QFETCH(QString, filter);
    QFETCH(QString, name);
    QFETCH(QString, written);
    vztest::Sandbox box;
    PageFixture f;
    f.place(picture);
    DialogResponder responder;
    responder.queueFileName(box.path(name));
    f.page.SaveImage();
    QCOMPARE(responder.requests().size(), 1);
    QCOMPARE(responder.requests().at(0).filter, filter);
    QVERIFY(QFileInfo::exists(box.path(written)));
    const Picture back = Picture::fromFile(box.path(written), picture.kind());
    QCOMPARE(back.size(), picture.size());
    if (picture.kind() == Picture::Kind::Jpeg)
        QCOMPARE(back.sourceBytes(), picture.sourceBytes());
    // Nothing selected: no dialog.
    f.page.ClearSelection();
    f.page.SaveImage();
    QCOMPARE(responder.requests().size(), 1);
}

void TestFormPrint::statusBarWithoutSelection()
{
    PageFixture f;
    DialogResponder responder;
    QTest::mouseClick(f.page.findChild<QWidget *>("StatusBar1"), Qt::LeftButton);
    QCOMPARE(responder.messages(), QStringList{"Please select and image to size."});
    QVERIFY(!pageChanged());
}

void TestFormPrint::openImage()
{
    vztest::Sandbox box;
    PageFixture f;
    QImage img(50, 40, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    const QString png = box.path(QStringLiteral("see-through.PNG"));
    QVERIFY(img.save(png, "PNG"));
    DialogResponder responder;
    f.page.OpenImage(); // cancelled: nothing
    QVERIFY(f.model().isEmpty());
    QVERIFY(!f.host.log.contains(QStringLiteral("showPrintPage")));
    responder.queueFileName(png);
    f.page.OpenImage();
    QCOMPARE(f.host.log.count(QStringLiteral("showPrintPage")), 1);
    QCOMPARE(f.model().pictures().size(), 1);
    // A PNG is placed as a bitmap on white.
    const Picture placed = f.model().object(f.model().pictures().first())->picture;
    QCOMPARE(placed.kind(), Picture::Kind::Bitmap);
    QCOMPARE(placed.image().pixelColor(10, 10), QColor(Qt::white));
    QVERIFY(responder.requests().at(0).filter.contains(QStringLiteral("*.ico")));
}

void TestFormPrint::undoAfterResizeIsExact()
{
    PageFixture f(QSize(900, 700));
    const PageObjectId id = f.place(bitmap(400, 300));
    f.page.model().setObjectRect(id, QRect(40, 50, 100, 80), RectChange::Drag);
    const int width = f.page.pnlPage()->width();
    f.page.resize(1300, 1000);
    const int wider = f.page.pnlPage()->width();
    QVERIFY(wider > width);
    QCOMPARE(f.page.control(id)->geometry(), rescaleRect(QRect(40, 50, 100, 80), width, wider));
    f.page.undo(); // back to the fitted rectangle, at the new size
    f.page.redo();
    QCOMPARE(f.page.control(id)->geometry(), rescaleRect(QRect(40, 50, 100, 80), width, wider));
    f.page.resize(900, 700);
    QCOMPARE(f.page.pnlPage()->width(), width);
    QCOMPARE(f.page.control(id)->geometry(), QRect(40, 50, 100, 80));
}

void TestFormPrint::embeddedFollowsHost()
{
    PageFixture f;
    QWidget host;
    host.resize(500, 300); // smaller than the window's own minimum
    host.show();
    f.page.embedInto(&host);
    QCOMPARE(f.page.parentWidget(), &host);
    QCOMPARE(f.page.geometry(), host.rect());
    host.resize(1000, 800);
    QCOMPARE(f.page.geometry(), host.rect());
    QVERIFY(f.page.pnlPage()->width() > 0);
    QVERIFY(f.page.workArea()->rect().contains(f.page.pnlPage()->geometry()));
    f.page.setParent(nullptr);
}

void TestFormPrint::showAndClose()
{
    PageFixture f;
    f.page.hide();
    f.host.log.clear();
    f.place(bitmap(20, 20));
    f.page.show();
    // Showing refreshes the thumbnails and detaches the frame.
    QCOMPARE(f.host.log, (QStringList{"refreshThumbnails", "ResiseClipBoardImage"}));
    QCOMPARE(f.page.selectedObject(), kNoObject);
    f.page.closePage();
    QVERIFY(!f.page.isShowing());
    QCOMPARE(f.host.log.last(), QStringLiteral("pageClosed"));
}

void TestFormPrint::drops()
{
    vztest::Sandbox box;
    PageFixture f;
    DialogResponder responder;
    QStringList files;
    const QString convert = QStandardPaths::findExecutable(QStringLiteral("convert"));
    if (!convert.isEmpty()) {
        // Other programs' files: BMP depths, RLE8, JPEG, GIF, PNG.
        const QList<QStringList> made = {
            {"-size", "40x30", "gradient:red-blue", "-type", "TrueColor", "BMP3:" + box.path("true.bmp")},
            {"-size", "40x30", "gradient:red-blue", "-colors", "16", "-type", "Palette", "BMP3:" + box.path("pal.bmp")},
            {"-size", "40x30", "xc:white", "-fill", "black", "-draw", "rectangle 5,5 20,20", "-type", "Bilevel", "BMP3:" + box.path("mono.BMP")},
            {"-size", "40x30", "gradient:red-blue", "-colors", "200", "-compress", "RLE", "BMP3:" + box.path("rle8.bmp")},
            {"-size", "40x30", "gradient:red-blue", box.path("photo.JPG")},
            {"-size", "40x30", "gradient:red-blue", box.path("anim.gif")},
            {"-size", "40x30", "gradient:red-blue", box.path("see.png")},
        };
        for (const QStringList &args : made) {
            QCOMPARE(QProcess::execute(convert, args), 0);
            files << box.path(QFileInfo(args.last().section(QLatin1Char(':'), -1)).fileName());
        }
    }
    const QString metafiles = vztest::sampleMetafileDir();
    if (!metafiles.isEmpty())
        for (const QString &m : QDir(metafiles).entryList({QStringLiteral("*.wmf"), QStringLiteral("*.emf")}, QDir::Files))
            files << metafiles + m;
    const int readable = int(files.size());
    QByteArray bmp;
    {
        QBuffer buf(&bmp);
        buf.open(QIODevice::WriteOnly);
        bitmap(40, 30).image().save(&buf, "BMP");
    }
    // Cut inside its headers (a file short of rows reads, the missing rows white).
    const QString truncated = box.write(QStringLiteral("cut.bmp"), bmp.left(40));
    files << truncated;
    const int steps = f.page.undoStack()->count();
    QVERIFY(dropOnPage(f.page, filesMime(files)));
    QCOMPARE(int(f.model().pictures().size()), readable);
    QCOMPARE(responder.messages().size(), 1);
    QVERIFY(responder.messages().at(0).contains(QStringLiteral("cut.bmp: ")));
    if (readable > 0)
        QCOMPARE(f.page.undoStack()->count(), steps + 1);
    // Not a picture file: refused at the door.
    const QString text = box.write(QStringLiteral("notes.txt"), "words");
    QVERIFY(!dropOnPage(f.page, filesMime({text})));
    if (convert.isEmpty())
        QSKIP("ImageMagick's convert is not installed; only the truncated file was dropped");
    QCOMPARE(f.model().object(f.model().pictures().at(0))->picture.kind(), Picture::Kind::Bitmap);
    QCOMPARE(f.model().object(f.model().pictures().at(4))->picture.kind(), Picture::Kind::Jpeg);
    QCOMPARE(f.model().object(f.model().pictures().at(6))->picture.kind(), Picture::Kind::Bitmap); // the PNG
}

void TestFormPrint::dropsOfInProcessPictures()
{
    PageFixture f;
    DialogResponder responder;
    // What a grid cell carries: its picture, metafiles included.
    QVERIFY(dropOnPage(f.page, new PictureMimeData(metafile(200, 100), QStringLiteral("/nowhere/letter.wmf"))));
    QCOMPARE(f.model().pictures().size(), 1);
    QVERIFY(f.model().object(f.model().pictures().at(0))->picture.isMetafile());
    QVERIFY(dropOnPage(f.page, new PictureMimeData(bitmap(80, 40), QStringLiteral("/nowhere/art.bmp"))));
    QCOMPARE(f.model().pictures().size(), 2);
    QVERIFY(responder.messages().isEmpty());
    // A truncated file among good ones: one error box, the rest placed.
    vztest::Sandbox box;
    QByteArray bmp;
    {
        QBuffer buf(&bmp);
        buf.open(QIODevice::WriteOnly);
        bitmap(40, 30).image().save(&buf, "BMP");
    }
    const QString good = box.write(QStringLiteral("good.bmp"), bmp);
    const QString bad = box.write(QStringLiteral("bad.bmp"), bmp.left(30));
    QVERIFY(dropOnPage(f.page, filesMime({good, bad})));
    QCOMPARE(f.model().pictures().size(), 3);
    QCOMPARE(responder.messages().size(), 1);
    QVERIFY(responder.messages().at(0).startsWith(QStringLiteral("These files could not be placed:")));
    QVERIFY(responder.messages().at(0).contains(QStringLiteral("bad.bmp: ")));
}

QTEST_MAIN(TestFormPrint)
#include "tst_formprint.moc"
