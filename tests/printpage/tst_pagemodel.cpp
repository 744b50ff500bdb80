// The print page model: placing rules (reduction, fitting, pasting beside
// the copied picture), print and stacking order, rescaling with the page,
// and the direct calls of layouts and printing.

#include "testutils.h"
#include "metafile/wmfbuilder.h"
#include "printpage/pagemodeltestutils.h"

#include "common/PageChanged.h"
#include "printpage/PageModel.h"

#include <QBuffer>
#include <QSignalSpy>
#include <QTest>

using namespace vz;
using namespace vztest;

namespace {

Picture jpeg(int w, int h)
{
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    if (!positionImage(w, h).save(&buf, "JPEG"))
        return {};
    return Picture::fromBytes(bytes, Picture::Kind::Jpeg);
}

Picture wmf(int w, int h)
{
    WmfBuilder b;
    b.windowExt(w, h).brush(qRgb(200, 10, 10)).rec(0x041B, {h, w, 0, 0}); // a filled rectangle
    return Picture::fromBytes(b.build(QRect(0, 0, w, h), 96), Picture::Kind::Metafile);
}

} // namespace

class TestPageModel : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void reducesOnlyWideBitmaps_data();
    void reducesOnlyWideBitmaps();
    void reducedPixelsAreEveryOther_data();
    void reducedPixelsAreEveryOther();
    void fitsIntoThePage();
    void pastesCascadeBesideTheCopy();
    void pasteWithoutCopyFits_data();
    void pasteWithoutCopyFits();
    void oneClickIsOneStep();
    void emptyPicturesAreNotPlaced();
    void printAndStackingOrder();
    void deleteAndClear();
    void rescalesFromTheBase();
    void textBoxesFollowThePage();
    void directCallsLeaveHistoryAndFlag();
};

void TestPageModel::init()
{
    setPageChanged(false);
}

void TestPageModel::reducesOnlyWideBitmaps_data()
{
    QTest::addColumn<Picture>("picture");
    QTest::addColumn<int>("screen");
    QTest::addColumn<QSize>("placed");
    QTest::addColumn<bool>("unchanged"); // the very same picture (kind and bytes)

    QTest::newRow("twice the screen plus one") << bitmap(2049, 6) << 1024 << QSize(1024, 3) << false;
    QTest::newRow("exactly the screen") << bitmap(1024, 6) << 1024 << QSize(1024, 6) << true;
    QTest::newRow("factor 1") << bitmap(1500, 6) << 1024 << QSize(1500, 6) << true;
    // Factor 2 leaves no row: the resampler refuses, the picture goes on whole.
    QTest::newRow("3000 x 1") << bitmap(3000, 1) << 1024 << QSize(3000, 1) << true;
    QTest::newRow("no screen width") << bitmap(5000, 6) << 0 << QSize(5000, 6) << true;
    QTest::newRow("metafile 5000 wide") << wmf(5000, 100) << 1024 << QSize(5000, 100) << true;
    QTest::newRow("JPEG 5000 wide") << jpeg(5000, 8) << 1024 << QSize(5000, 8) << true;
}

void TestPageModel::reducesOnlyWideBitmaps()
{
    QFETCH(Picture, picture);
    QFETCH(int, screen);
    QFETCH(QSize, placed);
    QFETCH(bool, unchanged);
    if (picture.isNull())
        QSKIP("no JPEG writer");

    PageModel m;
    m.setGeometry(pageOf(600, 776));
    m.setScreenWidth(screen);
    const PageObjectId id = m.placePicture(picture, PlaceSource::Clipboard);
    QVERIFY(id != kNoObject);
    const Picture &p = m.object(id)->picture;
    QCOMPARE(p.size(), placed);
    if (unchanged) {
        QCOMPARE(p.kind(), picture.kind());
        QCOMPARE(p.sourceBytes(), picture.sourceBytes());
        QCOMPARE(p.image(), picture.image());
    } else {
        QCOMPARE(p.kind(), Picture::Kind::Bitmap);
    }
}

void TestPageModel::reducedPixelsAreEveryOther_data()
{
    QTest::addColumn<QImage::Format>("format");
    QTest::newRow("RGB32") << QImage::Format_RGB32;
    QTest::newRow("RGB888") << QImage::Format_RGB888;
    QTest::newRow("ARGB32") << QImage::Format_ARGB32;
}

void TestPageModel::reducedPixelsAreEveryOther()
{
    QFETCH(QImage::Format, format);
    const Picture source = Picture::fromImage(positionImage(2500, 9).convertToFormat(format));
    const Picture reduced = reducePictureForScreen(source, 1024);
    QCOMPARE(reduced.size(), QSize(1250, 4));
    const QImage src = source.image().convertToFormat(QImage::Format_RGB32);
    const QImage dst = reduced.image().convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < dst.height(); ++y) {
        const auto *d = reinterpret_cast<const QRgb *>(dst.constScanLine(y));
        const auto *s = reinterpret_cast<const QRgb *>(src.constScanLine(2 * y));
        for (int x = 0; x < dst.width(); ++x)
            if (qRgb(qRed(d[x]), qGreen(d[x]), qBlue(d[x])) != qRgb(qRed(s[2 * x]), qGreen(s[2 * x]), qBlue(s[2 * x])))
                QFAIL(qPrintable(QStringLiteral("pixel %1,%2 is not source %3,%4").arg(x).arg(y).arg(2 * x).arg(2 * y)));
    }
}

void TestPageModel::fitsIntoThePage()
{
    PageModel m;
    m.setGeometry(pageOf(600, 776));
    m.setScreenWidth(1920);
    // Wide: the width fills; centred vertically; 3 pixels in on every side.
    const PageObjectId wide = m.placePicture(bitmap(300, 100), PlaceSource::Clipboard);
    QCOMPARE(m.object(wide)->rect, QRect(3, 291, 594, 194));
    // Tall: the height fills.
    const PageObjectId tall = m.placePicture(bitmap(100, 400), PlaceSource::OpenImage);
    QCOMPARE(m.object(tall)->rect, QRect(206, 3, 188, 770));
    // A drop is placed as a clipboard picture is, never beside the copy.
    m.setCopyRect(QRect(50, 60, 100, 80));
    const PageObjectId dropped = m.placePicture(bitmap(300, 100), PlaceSource::Drop);
    QCOMPARE(m.object(dropped)->rect, QRect(3, 291, 594, 194));
    QCOMPARE(m.copyRect(), QRect(50, 60, 100, 80));
    QVERIFY(pageChanged());
}

void TestPageModel::pastesCascadeBesideTheCopy()
{
    PageModel m;
    m.setGeometry(pageOf(600, 776));
    const PageObjectId copied = m.placePicture(bitmap(300, 100), PlaceSource::Clipboard);
    m.setCopyRect(m.object(copied)->rect);
    const QRect c = m.object(copied)->rect;
    for (int i = 1; i <= 3; ++i) {
        // The pasted picture's own size does not matter: it takes the copied one's.
        const PageObjectId id = m.placePicture(bitmap(40, 40), PlaceSource::Paste);
        QCOMPARE(m.object(id)->rect, c.translated(10 * i, 10 * i));
    }
    QCOMPARE(m.copyRect(), c.translated(30, 30));

    // The copied picture and its rectangle grow with the page: the next
    // paste still stands beside it, at its new size.
    m.setCopyRect(QRect(100, 100, 200, 100));
    m.setGeometry(pageOf(900, 1164));
    QCOMPARE(m.copyRect(), QRect(150, 150, 300, 150));
    const PageObjectId after = m.placePicture(bitmap(40, 40), PlaceSource::Paste);
    QCOMPARE(m.object(after)->rect, QRect(160, 160, 300, 150));
}

void TestPageModel::pasteWithoutCopyFits_data()
{
    QTest::addColumn<QRect>("copy");
    QTest::addColumn<QRect>("expected");
    const QRect fitted(3, 291, 594, 194);
    QTest::newRow("nothing copied") << QRect() << fitted;
    // left + top + right + bottom = 1 + 1 + 4 + 4
    QTest::newRow("sum 10") << QRect(1, 1, 3, 3) << fitted;
    QTest::newRow("sum 11") << QRect(1, 1, 4, 3) << QRect(11, 11, 4, 3);
}

void TestPageModel::pasteWithoutCopyFits()
{
    QFETCH(QRect, copy);
    QFETCH(QRect, expected);
    PageModel m;
    m.setGeometry(pageOf(600, 776));
    m.setCopyRect(copy);
    const PageObjectId id = m.placePicture(bitmap(300, 100), PlaceSource::Paste);
    QCOMPARE(m.object(id)->rect, expected);
}

void TestPageModel::oneClickIsOneStep()
{
    PageModel m;
    m.setGeometry(pageOf(600, 776));
    QSignalSpy added(&m, &PageModel::objectAdded);
    // A clipboard holding a raster and a picture places both, in that order.
    const QList<PageObjectId> ids = m.placePictures({bitmap(300, 100), wmf(200, 200)}, PlaceSource::Clipboard);
    QCOMPARE(ids.size(), 2);
    QCOMPARE(m.pictures(), ids);
    QCOMPARE(m.object(ids[1])->picture.kind(), Picture::Kind::Metafile);
    QCOMPARE(added.size(), 2);
    QCOMPARE(m.undoStack()->count(), 1);
    m.undoStack()->undo();
    QVERIFY(m.isEmpty());
    m.undoStack()->redo();
    QCOMPARE(m.pictures(), ids);
}

void TestPageModel::emptyPicturesAreNotPlaced()
{
    PageModel m;
    m.setGeometry(pageOf(600, 776));
    QCOMPARE(m.placePicture(Picture(), PlaceSource::Paste), kNoObject);
    QVERIFY(m.placePictures({Picture(), Picture()}, PlaceSource::Clipboard).isEmpty());
    QCOMPARE(m.undoStack()->count(), 0);
    QVERIFY(!pageChanged());
    // Among others, an empty one is skipped and the rest make one step.
    QCOMPARE(m.placePictures({Picture(), bitmap(10, 10)}, PlaceSource::Clipboard).size(), 1);
    QCOMPARE(m.undoStack()->count(), 1);
}

void TestPageModel::printAndStackingOrder()
{
    PageModel m;
    m.setGeometry(pageOf(600, 776));
    auto box = std::make_shared<StandInTextBox>(QRect(5, 5, 100, 40), QStringLiteral("hello"));
    const PageObjectId t = m.addTextBox(box);
    QVERIFY(box->onPage);
    const PageObjectId a = m.placePicture(bitmap(30, 10), PlaceSource::Clipboard);
    const PageObjectId b = m.placePicture(bitmap(30, 10), PlaceSource::Clipboard);
    const PageObjectId c = m.placePicture(bitmap(30, 10), PlaceSource::Clipboard);
    QCOMPARE(m.idOf(box.get()), t);
    // Boxes stand above pictures even when placed first.
    QCOMPARE(m.stackingOrder(), (QList<PageObjectId>{a, b, c, t}));

    m.bringToFront(a);
    QCOMPARE(m.stackingOrder(), (QList<PageObjectId>{b, c, a, t}));
    // Print order is placing order, whatever the stacking.
    QCOMPARE(m.pictures(), (QList<PageObjectId>{a, b, c}));
    QCOMPARE(m.textBoxes(), (QList<PageObjectId>{t}));
    // The box goes to the very top of the kept order, still shown last.
    m.bringToFront(t);
    m.bringToFront(b);
    QCOMPARE(m.stackingOrder(), (QList<PageObjectId>{c, a, b, t}));
    // Already on top: no step.
    const int steps = m.undoStack()->count();
    m.bringToFront(b);
    m.bringToFront(t);
    QCOMPARE(m.undoStack()->count(), steps);
}

void TestPageModel::deleteAndClear()
{
    PageModel m;
    m.setGeometry(pageOf(600, 776));
    const PageObjectId a = m.placePicture(bitmap(30, 10), PlaceSource::Clipboard);
    auto box = std::make_shared<StandInTextBox>(QRect(5, 5, 100, 40));
    const PageObjectId t = m.addTextBox(box);
    const PageObjectId b = m.placePicture(bitmap(30, 10), PlaceSource::Clipboard);
    QSignalSpy removed(&m, &PageModel::objectRemoved);

    // Typing in the box: Delete is the box's own key; selected only, it deletes.
    box->focused = true;
    QVERIFY(!m.deleteKeyDeletes(t));
    QVERIFY(m.deleteKeyDeletes(a));
    box->focused = false;
    QVERIFY(m.deleteKeyDeletes(t));
    QVERIFY(!m.deleteKeyDeletes(kNoObject));
    m.deleteObject(t);
    QVERIFY(!m.contains(t));
    QVERIFY(!box->onPage);
    QCOMPARE(removed.size(), 1);
    m.deleteObject(t); // gone already: no step
    QCOMPARE(m.undoStack()->count(), 4);

    QVERIFY(m.clearPage());
    QVERIFY(m.isEmpty());
    QVERIFY(!m.clearPage()); // an empty page has nothing to clear
    QCOMPARE(m.undoStack()->count(), 5);
    m.undoStack()->undo();
    QCOMPARE(m.pictures(), (QList<PageObjectId>{a, b}));
    m.undoStack()->undo();
    QVERIFY(box->onPage);
    QCOMPARE(m.stackingOrder(), (QList<PageObjectId>{a, b, t}));
}

void TestPageModel::rescalesFromTheBase()
{
    PageModel m;
    // Placed before the page was ever laid out: the first width rescales nothing.
    const PageObjectId early = m.appendPictureAt(bitmap(10, 10), QRect(10, 20, 100, 50));
    m.setGeometry(pageOf(400, 518));
    QCOMPARE(m.object(early)->rect, QRect(10, 20, 100, 50));

    QSignalSpy changed(&m, &PageModel::objectChanged);
    m.setGeometry(pageOf(600, 777));
    QCOMPARE(m.object(early)->rect, QRect(15, 30, 150, 75));
    QCOMPARE(changed.size(), 1);
    QCOMPARE(m.pageWidth(), 600);

    // Ten rounds of shrinking and growing with awkward ratios end where they began.
    const QRect odd(13, 27, 101, 55);
    m.setObjectRect(early, odd, RectChange::Drag);
    for (int i = 0; i < 10; ++i) {
        m.setGeometry(pageOf(437, 566));
        QCOMPARE(m.object(early)->rect, QRect(9, 20, 74, 40));
        m.setGeometry(pageOf(613, 793));
        m.setGeometry(pageOf(600, 776));
    }
    QCOMPARE(m.object(early)->rect, odd);

    // A rectangle set at another width becomes the new base.
    m.setGeometry(pageOf(300, 388));
    m.setObjectRect(early, QRect(7, 7, 21, 21), RectChange::Drag);
    m.setGeometry(pageOf(600, 776));
    QCOMPARE(m.object(early)->rect, QRect(14, 14, 42, 42));
    // A page without width (a hidden window) keeps everything.
    m.setGeometry(PageGeometry());
    QCOMPARE(m.object(early)->rect, QRect(14, 14, 42, 42));
}

void TestPageModel::textBoxesFollowThePage()
{
    PageModel m;
    m.setGeometry(pageOf(400, 518));
    auto box = std::make_shared<StandInTextBox>(QRect(40, 40, 200, 100));
    m.addTextBox(box);
    m.setGeometry(pageOf(600, 777));
    QCOMPARE(box->geometry(), QRect(60, 60, 300, 150));
    m.setGeometry(pageOf(400, 518));
    QCOMPARE(box->geometry(), QRect(40, 40, 200, 100));
}

void TestPageModel::directCallsLeaveHistoryAndFlag()
{
    PageModel m;
    m.setGeometry(pageOf(600, 776));
    m.setScreenWidth(1024);
    // A layout's or a rendered text box's picture: exactly where asked, unreduced.
    const PageObjectId id = m.appendPictureAt(bitmap(5000, 10), QRect(-4, -5, 5000, 10), 3);
    QCOMPARE(m.object(id)->rect, QRect(-4, -5, 5000, 10));
    QCOMPARE(m.object(id)->picture.width(), 5000);
    QCOMPARE(m.object(id)->tag, 3);
    auto box = std::make_shared<StandInTextBox>(QRect());
    const PageObjectId t = m.appendTextBoxAt(box, QRect(1, 2, 3, 4));
    QCOMPARE(box->geometry(), QRect(1, 2, 3, 4));
    QCOMPARE(m.object(t)->tag, 0);
    const PageObjectId t2 = m.appendTextBoxAt(std::make_shared<StandInTextBox>(QRect()), QRect(), 7);
    QCOMPARE(m.object(t2)->tag, 7);
    QCOMPARE(m.object(m.appendTextBoxAt(std::make_shared<StandInTextBox>(QRect()), QRect()))->tag, 2);
    m.removeObject(id);
    QVERIFY(!m.contains(id));
    m.removeAll();
    QVERIFY(m.isEmpty());
    QVERIFY(!m.contains(t));
    QVERIFY(!box->onPage);
    QCOMPARE(m.undoStack()->count(), 0);
    QVERIFY(!pageChanged());
}

QTEST_GUILESS_MAIN(TestPageModel)
#include "tst_pagemodel.moc"
