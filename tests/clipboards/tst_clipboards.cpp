#include "clipboards/ClipboardPanel.h"
#include "clipboards/ToteBags.h"
#include "common/Fitting.h"
#include "common/VzError.h"
#include "imaging/FormEnlarge.h"
#include "imaging/PictureView.h"

#include "testutils.h"

#include <QLabel>
#include <QTimer>

using namespace vz;

namespace {

// A raster whose column x has colour (x % 256, 40, 200), so cut and padded
// thumbnails can be told apart.
QImage stripes(int width, int height)
{
    QImage img(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < width; ++x)
            line[x] = qRgb(x % 256, 40, 200);
    }
    return img;
}

QString writeImage(const vztest::Sandbox &box, const QString &name, const QImage &img, const char *format)
{
    const QString path = box.path(name);
    if (!img.save(path, format))
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

// The side panel and the "Print" lower page as the main window hosts them,
// with page names the test sets.
struct PanelFixture
{
    QWidget panelHost;
    QWidget printHost;
    ClipboardPanel panel{&panelHost, &printHost};
    QString mainPage = QStringLiteral("VZAlphabet");
    QString lowerPage = QStringLiteral("Alpha");
    bool printShowing = false;
    QList<Picture> placed;
    int placeCalls = 0; // one call per click

    PanelFixture()
    {
        panelHost.resize(134, 121);
        printHost.resize(480, 121);
        panelHost.show();
        printHost.show();
        panel.setPageNames([this] { return mainPage; }, [this] { return lowerPage; });
        panel.setPrintPage([this] { return printShowing; }, [this](const QList<Picture> &p) {
            placed.append(p);
            ++placeCalls;
        });
    }
    void showPage(const char *main, const char *lower)
    {
        mainPage = QLatin1String(main);
        lowerPage = QLatin1String(lower);
    }
};

} // namespace

class TestClipboards : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void slotsAreIndependent();
    void storeFileKeepsContentOnError();
    void currentKind_data();
    void currentKind();
    void metafileThenJpegOnClipart();
    void clearCurrentOnEnhancementsPage();
    void clearCurrentOnOwnPage();
    void clearAll();
    void wordThumbnailWidth_data();
    void wordThumbnailWidth();
    void printThumbnailsRefresh();
    void previewOpensOnlyOnHeldRaster();

private:
    std::unique_ptr<vztest::Sandbox> m_box;
    QString metafile() const;
};

void TestClipboards::init()
{
    m_box = std::make_unique<vztest::Sandbox>();
    clearAllToteBags();
    for (int n = 1; n <= 4; ++n) {
        toteBag(n).RasterHolder.setBitmap(QImage());
        toteBag(n).PictureHolder = Picture();
    }
}

QString TestClipboards::metafile() const
{
    const QString path = vztest::testDataDir() + QStringLiteral("metafiles/ant.wmf");
    return QFile::exists(path) ? path : QString();
}

void TestClipboards::slotsAreIndependent()
{
    TToteBageImage bag;
    QVERIFY(!bag.holdsImage());
    RasterImage raster;
    raster.setBitmap(stripes(30, 10));
    bag.SetRasterFrom(raster);
    bag.SetPicture(Picture::fromImage(stripes(5, 5)));
    QVERIFY(bag.HasRaster && bag.HasPicture);
    QCOMPARE(bag.RasterHolder.Bitmap().size(), QSize(30, 10));
    QCOMPARE(bag.PictureHolder.size(), QSize(5, 5));

    // Clearing drops the flags only.
    bag.clear();
    QVERIFY(!bag.holdsImage());
    QCOMPARE(bag.RasterHolder.Bitmap().size(), QSize(30, 10));

    // An empty raster is not flagged as held.
    bag.SetRasterFrom(RasterImage());
    QVERIFY(!bag.HasRaster);

    // The rendered raster is a 24-bit copy.
    raster.setBitmap(QImage(8, 4, QImage::Format_ARGB32));
    bag.SetRasterFrom(raster);
    Picture rendered;
    bag.RenderRasterTo(rendered);
    QCOMPARE(rendered.kind(), Picture::Kind::Bitmap);
    QCOMPARE(rendered.size(), QSize(8, 4));
    QVERIFY(!rendered.image().hasAlphaChannel());
}

void TestClipboards::storeFileKeepsContentOnError()
{
    TToteBageImage bag;
    const QString bmp = writeImage(*m_box, "word.bmp", stripes(20, 6), "BMP");
    StoreFileInClipboard(bmp, StoreKind::Raster, bag);
    QVERIFY(bag.HasRaster);
    QCOMPARE(bag.RasterHolder.Bitmap().size(), QSize(20, 6));

    const QString broken = m_box->write("broken.bmp", "BM not really");
    QVERIFY_THROWS_EXCEPTION(FileError, StoreFileInClipboard(broken, StoreKind::Raster, bag));
    QVERIFY_THROWS_EXCEPTION(FileError, StoreFileInClipboard(broken, StoreKind::Picture, bag));
    QVERIFY_THROWS_EXCEPTION(FileError, StoreFileInClipboard(m_box->path("missing.bmp"), StoreKind::Raster, bag));
    QVERIFY(bag.HasRaster && !bag.HasPicture);
    QCOMPARE(bag.RasterHolder.Bitmap().size(), QSize(20, 6));

    if (!metafile().isEmpty()) {
        StoreFileInClipboard(metafile(), StoreKind::Picture, bag);
        QVERIFY(bag.HasPicture && bag.PictureHolder.isMetafile());
        QVERIFY(bag.HasRaster); // the other slot is untouched
    }
}

void TestClipboards::currentKind_data()
{
    QTest::addColumn<QString>("main");
    QTest::addColumn<QString>("lower");
    QTest::addColumn<int>("kind");
    QTest::newRow("alphabet") << "VZAlphabet" << "Alpha" << 1;
    QTest::newRow("mix & match") << "VZAlphabet" << "MixMatch" << 3;
    QTest::newRow("alphabet, other lower page") << "VZAlphabet" << "Print" << 3;
    QTest::newRow("clip-art") << "VZClipart" << "Clipart" << 2;
    QTest::newRow("enhancements") << "VZPlugins" << "Print" << 4;
    QTest::newRow("text effects") << "VZFlash" << "Print" << 5;
    QTest::newRow("print page") << "VZPrint" << "Print" << 0;
}

void TestClipboards::currentKind()
{
    QFETCH(QString, main);
    QFETCH(QString, lower);
    QTEST(CurrentClipboardKind(main, lower), "kind");
}

void TestClipboards::metafileThenJpegOnClipart()
{
    if (metafile().isEmpty())
        QSKIP("no sample metafiles");
    PanelFixture f;
    f.showPage("VZClipart", "Clipart");
    QSignalSpy expand(&f.panel, &ClipboardPanel::expandRequested);

    f.panel.btnSendtoClipartClipClick(Picture::fromFile(metafile()));
    const Picture jpeg = Picture::fromFile(writeImage(*m_box, "clip.jpg", stripes(60, 30), "JPEG"));
    QCOMPARE(jpeg.kind(), Picture::Kind::Jpeg);
    f.panel.btnSendtoClipartClipClick(jpeg);
    QCOMPARE(expand.count(), 2);

    // Right after the second send the thumbnail shows the JPEG...
    QCOMPARE(f.panel.imgTotebag()->picture().kind(), Picture::Kind::Jpeg);
    const TToteBageImage &bag = toteBag(kClipartClip);
    QVERIFY(bag.HasRaster && bag.HasPicture);
    QCOMPARE(bag.RasterHolder.Bitmap().size(), QSize(60, 30));
    // ...once the page is shown again the picture wins.
    f.panel.RefreshClipboardPanel();
    QVERIFY(f.panel.imgTotebag()->picture().isMetafile());
    QCOMPARE(f.panel.lblClipboardName()->text(), QStringLiteral("Clipart"));
    QCOMPARE(f.panel.pnlClipColor()->palette().color(QPalette::Window), QColor(0xFF, 0x80, 0x40));
    // Fitted into the white box, centred, inset by 3.
    const QRect thumb = f.panel.imgTotebag()->geometry();
    QVERIFY(f.panel.pnlClipAll()->rect().adjusted(3, 3, -3, -3).contains(thumb));

    // With the print page hidden a click places nothing.
    f.panel.ClipBoardToPrint(1);
    QVERIFY(f.placed.isEmpty());
    // Shown: the raster first, then the picture.
    f.printShowing = true;
    f.panel.refreshThumbnails();
    QTest::mouseClick(f.panel.thumbnail(kClipartClip), Qt::LeftButton);
    QCOMPARE(f.placeCalls, 1); // both in one step
    QCOMPARE(f.placed.size(), 2);
    QCOMPARE(f.placed.at(0).kind(), Picture::Kind::Bitmap);
    QCOMPARE(f.placed.at(0).size(), QSize(60, 30));
    QVERIFY(f.placed.at(1).isMetafile());
}

void TestClipboards::clearCurrentOnEnhancementsPage()
{
    PanelFixture f;
    RasterImage raster;
    raster.setBitmap(stripes(50, 20));
    for (int n = 1; n <= 3; ++n)
        toteBag(n).SetRasterFrom(raster);
    f.panel.RefreshClipboardPanel();
    f.panel.refreshThumbnails();
    QVERIFY(!f.panel.imgTotebag()->isEmpty());

    f.showPage("VZPlugins", "Print");
    f.panel.ClearCurrentClipboard();
    QVERIFY(f.panel.imgTotebag()->isEmpty());
    for (int n = 1; n <= 3; ++n) {
        QVERIFY(toteBag(n).HasRaster);
        QVERIFY(!f.panel.thumbnail(n)->isEmpty());
    }
}

void TestClipboards::clearCurrentOnOwnPage()
{
    PanelFixture f;
    RasterImage raster;
    raster.setBitmap(stripes(50, 20));
    toteBag(kMixClip).SetRasterFrom(raster);
    toteBag(kMixClip).SetPicture(Picture::fromImage(stripes(4, 4)));
    toteBag(kAlphaClip).SetRasterFrom(raster);
    f.panel.refreshThumbnails();
    f.showPage("VZAlphabet", "MixMatch");
    f.panel.RefreshClipboardPanel();
    QCOMPARE(f.panel.lblClipboardName()->text(), QStringLiteral("Mix & Match"));

    f.panel.ClearCurrentClipboard();
    QVERIFY(!toteBag(kMixClip).holdsImage());
    QVERIFY(f.panel.thumbnail(kMixClip)->isEmpty());
    QVERIFY(f.panel.imgTotebag()->isEmpty());
    QVERIFY(toteBag(kAlphaClip).HasRaster);
    QVERIFY(!f.panel.thumbnail(kAlphaClip)->isEmpty());
}

void TestClipboards::clearAll()
{
    PanelFixture f;
    RasterImage raster;
    raster.setBitmap(stripes(50, 20));
    for (int n = 1; n <= 4; ++n)
        toteBag(n).SetRasterFrom(raster);
    f.panel.showWindowsPicture(Picture::fromImage(stripes(9, 9)));
    QVERIFY(copiedImageShown());
    f.panel.refreshThumbnails();
    f.panel.RefreshClipboardPanel();

    f.panel.ClearallClipboards();
    QVERIFY(!copiedImageShown());
    QVERIFY(f.panel.imgTotebag()->isEmpty());
    for (int n = 1; n <= 4; ++n) {
        QVERIFY(!toteBag(n).holdsImage());
        QVERIFY(f.panel.thumbnail(n)->isEmpty());
    }
}

void TestClipboards::wordThumbnailWidth_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<bool>("mixMatch");
    QTest::newRow("wide word") << 1300 << false;
    QTest::newRow("narrow word") << 300 << false;
    QTest::newRow("wide composition") << 1000 << true;
}

void TestClipboards::wordThumbnailWidth()
{
    QFETCH(int, width);
    QFETCH(bool, mixMatch);
    PanelFixture f;
    if (mixMatch)
        f.showPage("VZAlphabet", "MixMatch");
    const QImage word = stripes(width, 40);
    const QString file = writeImage(*m_box, "word.bmp", word, "BMP");
    if (mixMatch)
        f.panel.SendMixToClip(file);
    else
        f.panel.SendToalphaClipBoard(file, false);

    const int number = mixMatch ? kMixClip : kAlphaClip;
    // The stored raster keeps its full width.
    QCOMPARE(toteBag(number).RasterHolder.Bitmap().size(), word.size());
    // Each way the thumbnail gets its picture shows the first 800 pixels,
    // padded with white when the word is narrower.
    auto checkThumb = [&](const Picture &shown) {
        QCOMPARE(shown.size(), QSize(800, 40));
        const int kept = qMin(width, 800);
        QCOMPARE(vztest::maxChannelDiff(shown.image().copy(0, 0, kept, 40), word.copy(0, 0, kept, 40)), 0);
        if (kept < 800) {
            QImage white(800 - kept, 40, QImage::Format_RGB32);
            white.fill(Qt::white);
            QCOMPARE(vztest::maxChannelDiff(shown.image().copy(kept, 0, 800 - kept, 40), white), 0);
        }
    };
    checkThumb(f.panel.imgTotebag()->picture());
    f.panel.imgTotebag()->clear();
    f.panel.RefreshClipboardPanel();
    checkThumb(f.panel.imgTotebag()->picture());
    f.panel.refreshThumbnails();
    checkThumb(f.panel.thumbnail(number)->picture());
}

void TestClipboards::printThumbnailsRefresh()
{
    PanelFixture f;
    RasterImage raster;
    raster.setBitmap(stripes(1200, 30));
    toteBag(kClipartClip).SetRasterFrom(raster);
    toteBag(kWindowsClip).SetRasterFrom(raster);
    f.panel.thumbnail(kAlphaClip)->setPicture(Picture::fromImage(stripes(10, 10)));
    f.panel.refreshThumbnails();
    // The clip-art raster is shown whole; an empty clipboard's thumbnail is emptied.
    QCOMPARE(f.panel.thumbnail(kClipartClip)->picture().size(), QSize(1200, 30));
    QVERIFY(f.panel.thumbnail(kAlphaClip)->isEmpty());
    QCOMPARE(f.panel.thumbnail(kWindowsClip)->picture().size(), QSize(1200, 30));

    // A copied picture on the Windows thumbnail stays over the raster.
    f.panel.showWindowsPicture(Picture::fromImage(stripes(7, 3)));
    f.panel.refreshThumbnails();
    QCOMPARE(f.panel.imgWidowClip()->picture().size(), QSize(7, 3));
    const QRect box = f.panel.imgWidowClip()->parentWidget()->rect();
    QCOMPARE(f.panel.imgWidowClip()->geometry(), *fitPictureRect(7, 3, box));

    // Places the raster, then the copied picture.
    f.printShowing = true;
    f.panel.ClipBoardToPrint(3);
    QCOMPARE(f.placeCalls, 1);
    QCOMPARE(f.placed.size(), 2);
    QCOMPARE(f.placed.at(0).size(), QSize(1200, 30));
    QCOMPARE(f.placed.at(1).size(), QSize(7, 3));
}

void TestClipboards::previewOpensOnlyOnHeldRaster()
{
    PanelFixture f;
    TEnlargedView view(&f.panel);
    f.panel.setPreviewWindow(&view);
    int opened = 0;
    QObject::connect(&view, &QDialog::finished, &view, [&] { ++opened; });
    auto closeWhenShown = [&] {
        QTimer::singleShot(0, &view, [&] {
            QVERIFY(view.isVisible());
            view.btnCancelClick();
        });
    };

    f.panel.ClipBoardToEffects(0); // Alphabets holds nothing
    QCOMPARE(opened, 0);

    RasterImage raster;
    raster.setBitmap(stripes(40, 20));
    toteBag(kAlphaClip).SetRasterFrom(raster);
    bool wasRaster = false;
    QSize shown;
    QTimer::singleShot(0, &view, [&] {
        wasRaster = view.isRasterMode();
        shown = view.Fimgset().Bitmap().size();
        view.btnCancelClick();
    });
    f.panel.ClipBoardToEffects(0);
    QCOMPARE(opened, 1);
    QVERIFY(wasRaster);
    QCOMPARE(shown, QSize(40, 20));

    // The Clipart clipboard opens even when empty, without effects.
    f.showPage("VZClipart", "Clipart");
    closeWhenShown();
    f.panel.ClipBoardToEffects(0);
    QCOMPARE(opened, 2);
    QVERIFY(!view.isRasterMode());
}

QTEST_MAIN(TestClipboards)
#include "tst_clipboards.moc"
