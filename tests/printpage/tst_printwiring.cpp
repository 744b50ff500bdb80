#include "printpagetestutils.h"

#include "clipboards/ClipboardPanel.h"
#include "clipboards/ToteBags.h"
#include "common/AlignLayout.h"
#include "common/Dialogs.h"
#include "common/PageChanged.h"
#include "common/ProgramFolder.h"
#include "imaging/ImageSizeTarget.h"
#include "imaging/PictureView.h"
#include "imaging/RasterImage.h"
#include "imaging/formImageSize.h"
#include "platform/SystemClipboard.h"
#include "printpage/PictureDrop.h"
#include "printpage/TStretchHandle.h"
#include "shell/formVZMain.h"
#include "testutils.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QTimer>
#include <QUndoStack>

using namespace vz;
using namespace pptest;

namespace {

// The main window with the print page on a fixed Letter page.
struct MainFixture
{
    QPrinter printer{QPrinter::HighResolution};
    TfrmVZMain w{{QStringLiteral("local")}};
    MainFixture()
    {
        setLetter(printer);
        w.printPage()->setPrinter(&printer);
        w.printPage()->setScreenWidth(1920);
        w.resize(1000, 760);
        w.show();
    }
    TfrmPrint *page() { return w.printPage(); }
    QWidget *embed() { return w.findChild<QWidget *>(QStringLiteral("pnlPrintEmbed")); }
    QAbstractButton *printButton() { return w.findChild<QAbstractButton *>(QStringLiteral("btnPrintPreview")); }
    void showPage() { printButton()->click(); }
};

} // namespace

class TestPrintWiring : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void pageFollowsHost();
    void thumbnailsOnShowAndStripAtClose();
    void clickPlacesInClipboardOrder();
    void copyOnThePrintPage();
    void sizeDialogSeesThePage();
    void hoverOverPrintButtonOpensPage();

private:
    std::unique_ptr<vztest::Sandbox> m_box;
};

void TestPrintWiring::init()
{
    m_box = std::make_unique<vztest::Sandbox>();
    m_box->write("program/characters", "A=A\r\nsmalla=a\r\nSPACE= \r\n");
    m_box->write("program/Alphabets/Color/First/ImageSetData.qn", "Version=2\r\nName=First\r\nType=CA\r\n");
    setProgramFolder(m_box->path("program"));
    clearAllToteBags();
    setCopiedImageShown(false);
    setPageChanged(false);
}

void TestPrintWiring::pageFollowsHost()
{
    MainFixture f;
    f.showPage();
    QVERIFY(f.page()->isShowing());
    QCOMPARE(f.page()->parentWidget(), f.embed());
    QCOMPARE(f.page()->geometry(), f.embed()->rect());
    const int before = f.page()->pnlPage()->width();
    f.w.resize(1200, 900);
    QTRY_COMPARE(f.page()->geometry(), f.embed()->rect());
    QVERIFY(f.page()->pnlPage()->width() != before);
}

void TestPrintWiring::thumbnailsOnShowAndStripAtClose()
{
    MainFixture f;
    RasterImage raster;
    QImage img(60, 30, QImage::Format_RGB32);
    img.fill(Qt::red);
    raster.setBitmap(img);
    toteBag(kClipartClip).SetRasterFrom(raster);
    QVERIFY(f.w.clipboardPanel()->thumbnail(kClipartClip)->isEmpty());
    f.showPage();
    QVERIFY(!f.w.clipboardPanel()->thumbnail(kClipartClip)->isEmpty());
    QVERIFY(f.printButton()->isChecked());
    // The strip gets its design height back when the page closes.
    QWidget *strip = f.w.findChild<QWidget *>(QStringLiteral("pnlClipboardandPreview"));
    AlignLayout::of(&f.w)->setExtent(strip, 200);
    QTRY_COMPARE(strip->height(), 200);
    f.w.findChild<QAbstractButton *>(QStringLiteral("btnAlpha"))->click();
    QVERIFY(!f.page()->isShowing());
    QTRY_COMPARE(strip->height(), kStripDesignHeight);
}

void TestPrintWiring::clickPlacesInClipboardOrder()
{
    MainFixture f;
    RasterImage raster;
    QImage img(60, 30, QImage::Format_RGB32);
    img.fill(Qt::red);
    raster.setBitmap(img);
    toteBag(kClipartClip).SetRasterFrom(raster);
    toteBag(kClipartClip).SetPicture(metafile(200, 100));
    // Hidden page: a click does nothing.
    f.w.clipboardPanel()->ClipBoardToPrint(kClipartClip - 1);
    QVERIFY(f.page()->model().isEmpty());
    f.showPage();
    const int steps = f.page()->undoStack()->count();
    QTest::mouseClick(f.w.clipboardPanel()->thumbnail(kClipartClip), Qt::LeftButton);
    const QList<PageObjectId> placed = f.page()->model().pictures();
    QCOMPARE(placed.size(), 2);
    QCOMPARE(f.page()->model().object(placed.at(0))->picture.kind(), Picture::Kind::Bitmap);
    QVERIFY(f.page()->model().object(placed.at(1))->picture.isMetafile());
    QCOMPARE(f.page()->undoStack()->count(), steps + 1);
    QVERIFY(pageChanged());
    f.page()->undo();
    QVERIFY(f.page()->model().isEmpty());
}

void TestPrintWiring::copyOnThePrintPage()
{
    MainFixture f;
    f.showPage();
    f.page()->placePictures({bitmap(90, 45)});
    QGuiApplication::clipboard()->clear();
    QSignalSpy spy(&f.w, &TfrmVZMain::commandRun);
    f.w.findChild<QAbstractButton *>(QStringLiteral("btncopy"))->click();
    QCOMPARE(spy.count(), 1);
    QVERIFY(SystemClipboard::hasPicture());
    QCOMPARE(SystemClipboard::takePicture().size(), QSize(90, 45));
    // The copy shows on the "Windows" thumbnail.
    QVERIFY(copiedImageShown());
    QCOMPARE(f.w.clipboardPanel()->imgWidowClip()->picture().size(), QSize(90, 45));
}

void TestPrintWiring::sizeDialogSeesThePage()
{
    MainFixture f;
    TfrmImageSize *dialog = f.w.imageSizeDialog();
    QVERIFY(dialog);
    QCOMPARE(dialog->target(), f.page()->sizeTarget());
    f.showPage();
    f.page()->placePictures({bitmap(400, 200)});
    // The readout follows the frame.
    const QRect r = f.page()->control(f.page()->selectedObject())->geometry();
    const int ppiX = f.page()->model().geometry().ppiX;
    QCOMPARE(dialog->widthText(), formatInches(double(r.width()) / ppiX));
    ImageSizeTarget *target = f.page()->sizeTarget();
    QCOMPARE(target->frameRect(), TStretchHandle::frameFor(r));
    const int steps = f.page()->undoStack()->count();
    target->setFrameRect(TStretchHandle::frameFor(QRect(10, 20, 100, 50)));
    QCOMPARE(f.page()->model().object(f.page()->selectedObject())->rect, QRect(10, 20, 100, 50));
    QCOMPARE(f.page()->undoStack()->count(), steps + 1);
    QCOMPARE(dialog->leftText(), formatInches(10.0 / ppiX));
    f.page()->ClearSelection();
    QVERIFY(dialog->widthText().isEmpty());
    QVERIFY(!target->hasSelection());
    // With the page showing, the status bar opens the dialog on a selection.
    f.page()->selectObject(f.page()->model().pictures().first());
    bool opened = false;
    QTimer::singleShot(0, dialog, [&] {
        opened = dialog->isVisible();
        dialog->reject();
    });
    f.page()->StatusBar1Click();
    QVERIFY(opened);
}

void TestPrintWiring::hoverOverPrintButtonOpensPage()
{
    MainFixture f;
    QAbstractButton *button = f.printButton();
    auto *mime = new PictureMimeData(bitmap(70, 35), QString());
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, mime, Qt::LeftButton, {});
    QApplication::sendEvent(button, &enter);
    QVERIFY(enter.isAccepted());
    QVERIFY(!f.page()->isShowing()); // not at once
    QTRY_VERIFY(f.page()->isShowing());
    QCOMPARE(f.w.mainPageName(), QStringLiteral("VZPrint"));
    QVERIFY(button->isChecked());
    // A drop there places as a thumbnail click does.
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, mime, Qt::LeftButton, {});
    QApplication::sendEvent(button, &drop);
    QCOMPARE(f.page()->model().pictures().size(), 1);
    // Leaving before the time is up opens nothing.
    f.w.findChild<QAbstractButton *>(QStringLiteral("btnAlpha"))->click();
    QVERIFY(!f.page()->isShowing());
    QDragEnterEvent again(QPoint(5, 5), Qt::CopyAction, mime, Qt::LeftButton, {});
    QApplication::sendEvent(button, &again);
    const auto hoverTimers = [&] {
        int active = 0;
        for (QTimer *t : f.w.findChildren<QTimer *>())
            active += t->isActive() && t->isSingleShot() && t->interval() == 500;
        return active;
    };
    QCOMPARE(hoverTimers(), 1);
    QDragLeaveEvent leave;
    QApplication::sendEvent(button, &leave);
    QCOMPARE(hoverTimers(), 0);
    QVERIFY(!f.page()->isShowing());
    delete mime;
}

QTEST_MAIN(TestPrintWiring)
#include "tst_printwiring.moc"
