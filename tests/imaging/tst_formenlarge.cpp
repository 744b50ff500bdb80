#include "clipboards/ToteBags.h"
#include "common/Fitting.h"
#include "common/VzError.h"
#include "imaging/FormEnlarge.h"
#include "imaging/PictureView.h"
#include "imaging/RasterView.h"

#include "testutils.h"

#include <QClipboard>
#include <QElapsedTimer>
#include <QLabel>
#include <QPainter>
#include <QRandomGenerator>
#include <QSlider>
#include <QTimer>
#include <QToolButton>

using namespace vz;

namespace {

QImage colourful(int width, int height, quint32 seed = 7)
{
    QRandomGenerator rng(seed);
    QImage img(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < width; ++x)
            line[x] = qRgb(int(rng.bounded(256)), (x * 255) / qMax(1, width - 1), (y * 255) / qMax(1, height - 1));
    }
    return img;
}

// Shapes of many sizes with a little noise, like a photograph more than
// colourful() is.
QImage shapes(int width, int height)
{
    QImage img(width, height, QImage::Format_RGB32);
    img.fill(QColor(200, 220, 240));
    QRandomGenerator rng(3);
    {
        QPainter p(&img);
        p.setPen(Qt::NoPen);
        for (int i = 0; i < 300; ++i) {
            p.setBrush(QColor(int(rng.bounded(256)), int(rng.bounded(256)), int(rng.bounded(256))));
            p.drawEllipse(QRect(int(rng.bounded(width)), int(rng.bounded(height)), 5 + int(rng.bounded(200)),
                                5 + int(rng.bounded(120))));
        }
    }
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int n = int(rng.bounded(41)) - 20;
            line[x] = qRgb(qBound(0, qRed(line[x]) + n, 255), qBound(0, qGreen(line[x]) + n, 255),
                           qBound(0, qBlue(line[x]) + n, 255));
        }
    }
    return img;
}

// Mean difference per channel of two images of one size.
double meanDiff(const QImage &a, const QImage &b)
{
    const QImage x = a.convertToFormat(QImage::Format_RGB32), y = b.convertToFormat(QImage::Format_RGB32);
    double sum = 0;
    for (int row = 0; row < x.height(); ++row) {
        const auto *p = reinterpret_cast<const QRgb *>(x.constScanLine(row));
        const auto *q = reinterpret_cast<const QRgb *>(y.constScanLine(row));
        for (int col = 0; col < x.width(); ++col)
            sum += qAbs(qRed(p[col]) - qRed(q[col])) + qAbs(qGreen(p[col]) - qGreen(q[col]))
                   + qAbs(qBlue(p[col]) - qBlue(q[col]));
    }
    return sum / (3.0 * x.width() * x.height());
}

QImage with(QImage img, Effect effect, int value)
{
    applyEffect(img, effect, value);
    return img;
}

class FakeHost : public EnlargedViewHost
{
public:
    int kind = 1;
    bool clipart = false;
    QWidget box;
    PictureView *thumb = new PictureView(&box);
    QList<Picture> copied;
    int fits = 0;

    FakeHost() { box.resize(120, 90); }
    int currentClipboardKind() const override { return kind; }
    bool clipartPageShown() const override { return clipart; }
    PictureView *panelThumbnail() override { return thumb; }
    void fitPanelThumbnail() override { ++fits; }
    void showCopiedPicture(const Picture &picture) override
    {
        copied.append(picture);
        setCopiedImageShown(true);
    }
};

} // namespace

class TestFormEnlarge : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void layout_data();
    void layout();
    void sliders_data();
    void sliders();
    void hueThenContrastButton();
    void flipThenBrightness();
    void applyThenCancel();
    void copyLeavesUnappliedEffectOut();
    void okStoresInCurrentClipboard_data();
    void okStoresInCurrentClipboard();
    void pictureMode();
    void okInPictureModeStoresInCurrentClipboard_data();
    void okInPictureModeStoresInCurrentClipboard();
    void hueTrackShowsWhatRedBecomes();
    void metafileFollowsWindowSize_data();
    void metafileFollowsWindowSize();
    void burstComputesLatestOnly();
    void largeImagePreviewThenFullSize();
    void movingPreviewLooksLikeSettled_data();
    void movingPreviewLooksLikeSettled();
    void emptyImageRaises();
    void nonModalThenModal();

private:
    void open(TEnlargedView &view, const QImage &image);
    QSlider *slider(TEnlargedView &view, const char *name) { return view.findChild<QSlider *>(name); }
    void click(TEnlargedView &view, const char *name) { view.findChild<QToolButton *>(name)->click(); }

    std::unique_ptr<FakeHost> m_host;
};

void TestFormEnlarge::init()
{
    m_host = std::make_unique<FakeHost>();
    clearAllToteBags();
}

void TestFormEnlarge::open(TEnlargedView &view, const QImage &image)
{
    view.RasterMode();
    view.imgMain().setBitmap(image);
    view.show();
}

void TestFormEnlarge::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("hint");
    QTest::addColumn<int>("x");
    QTest::newRow("hue") << "btnColor" << "Change Image Hue" << 13;
    QTest::newRow("saturation") << "btnSaturation" << "Change Image Saturation" << 84;
    QTest::newRow("brightness") << "btnBritness" << "Change Image Brightness" << 156;
    QTest::newRow("contrast") << "btncontrast" << "Change Image Contrast" << 227;
    QTest::newRow("sharpness") << "btnSharpen" << "Change Image Sharpness" << 299;
    QTest::newRow("paint") << "btnMedian" << "Change Image Paint Effects" << 370;
    QTest::newRow("flip") << "btnFlip" << "Flip Image" << 441;
    QTest::newRow("reverse") << "btnReverse" << "Reverse Image" << 513;
    QTest::newRow("copy") << "btncopy" << "Copy Image" << 584;
    QTest::newRow("apply") << "btnApply" << "Apply/Current" << 504;
    QTest::newRow("ok") << "btnOK" << "Ok/Close" << 547;
    QTest::newRow("cancel") << "btnCancel" << "Cancel/Close" << 590;
}

void TestFormEnlarge::layout()
{
    QFETCH(QString, name);
    TEnlargedView view(m_host.get());
    QCOMPARE(view.windowTitle(), QStringLiteral("Preview Image/Change Effects"));
    QCOMPARE(view.size(), QSize(632, 412));
    auto *btn = view.findChild<QToolButton *>(name);
    QVERIFY(btn);
    QTEST(btn->toolTip(), "hint");
    QTEST(btn->x(), "x");
    QCOMPARE(btn->size(), QSize(35, 35));
    QCOMPARE(view.findChild<QWidget *>("pnlEffects")->height(), 46);
    QCOMPARE(view.findChild<QWidget *>("pnlBottom")->height(), 48);
}

void TestFormEnlarge::sliders_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("panel");
    QTest::addColumn<QString>("slider");
    QTest::addColumn<QString>("label");
    QTest::addColumn<int>("min");
    QTest::addColumn<int>("max");
    QTest::addColumn<int>("reset");
    QTest::newRow("hue") << "btnColor" << "pnlHue" << "tbHue" << "Color:" << -360 << 360 << 0;
    QTest::newRow("saturation") << "btnSaturation" << "pnlSaturation" << "tbSaturation" << "Saturation:" << -1000 << 1000 << 0;
    QTest::newRow("brightness") << "btnBritness" << "pnlBrightness" << "tbBrightness" << "Brightness:" << -1000 << 1000 << 0;
    QTest::newRow("contrast") << "btncontrast" << "pnlContrast" << "tbContrast" << "Contrast:" << -1000 << 1000 << 0;
    QTest::newRow("sharpness") << "btnSharpen" << "pnlSharpness" << "tbSharpness" << "Sharpness:" << -1000 << 1000 << 0;
    QTest::newRow("paint") << "btnMedian" << "pnlPaint" << "tbPaint" << "Paint Effect:" << 1 << 20 << 1;
}

void TestFormEnlarge::sliders()
{
    QFETCH(QString, button);
    QFETCH(QString, panel);
    QFETCH(QString, slider);
    QFETCH(int, max);
    TEnlargedView view(m_host.get());
    open(view, colourful(40, 30));
    auto *s = view.findChild<QSlider *>(slider);
    QVERIFY(s);
    QTEST(s->minimum(), "min");
    QTEST(s->maximum(), "max");
    QTEST(s->value(), "reset");
    QCOMPARE(s->geometry(), QRect(99, 12, 401, s->height()));
    QWidget *p = view.findChild<QWidget *>(panel);
    QVERIFY(!p->isVisible());
    view.findChild<QToolButton *>(button)->click();
    QVERIFY(p->isVisible());
    QCOMPARE(p->height(), 47);
    QFETCH(QString, label);
    bool labelled = false;
    for (auto *l : p->findChildren<QLabel *>())
        labelled |= l->text() == label && l->pos() == QPoint(16, 16) && l->font().bold();
    QVERIFY(labelled);
    // Only one panel at a time; Cancel resets the slider and hides the panel.
    s->setValue(max);
    int shown = 0;
    for (const char *name : {"pnlHue", "pnlSaturation", "pnlBrightness", "pnlContrast", "pnlSharpness", "pnlPaint"})
        shown += view.findChild<QWidget *>(name)->isVisible();
    QCOMPARE(shown, 1);
    view.btnCancelClick();
    QTEST(s->value(), "reset");
    QVERIFY(!p->isVisible());
    QVERIFY(!view.isVisible());
}

void TestFormEnlarge::hueThenContrastButton()
{
    TEnlargedView view(m_host.get());
    const QImage orig = colourful(30, 20);
    open(view, orig);
    click(view, "btnColor");
    slider(view, "tbHue")->setValue(90);
    QCOMPARE(view.imgMain().Bitmap(), with(orig, Effect::Hue, 90));
    click(view, "btncontrast");
    // The hue change is dropped...
    QCOMPARE(slider(view, "tbHue")->value(), 0);
    QCOMPARE(view.imgMain().Bitmap(), orig);
    // ...and contrast works on the applied image.
    slider(view, "tbContrast")->setValue(400);
    QCOMPARE(view.imgMain().Bitmap(), with(orig, Effect::Contrast, 400));
    QCOMPARE(view.Fimgset().Bitmap(), orig);
}

void TestFormEnlarge::flipThenBrightness()
{
    TEnlargedView view(m_host.get());
    const QImage orig = colourful(30, 20);
    const QImage flipped = with(orig, Effect::Flip, 0);
    open(view, orig);
    click(view, "btnBritness");
    click(view, "btnFlip");
    QCOMPARE(view.imgMain().Bitmap(), flipped);
    // Brightness starts from the applied image: the flip is lost from the display.
    slider(view, "tbBrightness")->setValue(300);
    QCOMPARE(view.imgMain().Bitmap(), with(orig, Effect::Intensity, 300));
    // The sliders on the working base still show it; brightness keeps its position.
    struct Case { const char *slider; Effect effect; int value; };
    for (const Case &c : {Case{"tbHue", Effect::Hue, 120}, Case{"tbSaturation", Effect::Saturation, -500},
                          Case{"tbSharpness", Effect::Sharpen, 600}, Case{"tbPaint", Effect::Median, 3}}) {
        slider(view, c.slider)->setValue(c.value);
        QCOMPARE(view.imgMain().Bitmap(), with(flipped, c.effect, c.value));
    }
    QCOMPARE(slider(view, "tbBrightness")->value(), 300);
    // Reverse mirrors the working base, dropping the moving slider's effect.
    click(view, "btnReverse");
    QCOMPARE(view.imgMain().Bitmap(), with(flipped, Effect::Reverse, 0));
    QCOMPARE(view.FimgTmp().Bitmap(), with(flipped, Effect::Reverse, 0));
}

void TestFormEnlarge::applyThenCancel()
{
    TEnlargedView view(m_host.get());
    const QImage orig = colourful(30, 20);
    open(view, orig);
    click(view, "btnSaturation");
    slider(view, "tbSaturation")->setValue(-1000);
    click(view, "btnApply");
    QCOMPARE(view.Fimgset().Bitmap(), with(orig, Effect::Saturation, -1000));
    QCOMPARE(slider(view, "tbSaturation")->value(), 0);
    // Applied effects accumulate: hue on the applied (grey) image stays grey.
    slider(view, "tbSaturation")->setValue(1000);
    QCOMPARE(view.imgMain().Bitmap(), with(with(orig, Effect::Saturation, -1000), Effect::Saturation, 1000));
    click(view, "btnCancel");
    QVERIFY(!view.isVisible());
    for (int n = 1; n <= 4; ++n)
        QVERIFY(!toteBag(n).holdsImage());
    QVERIFY(m_host->thumb->isEmpty());
    QVERIFY(view.Fimgset().isEmpty() && view.FimgTmp().isEmpty() && view.imgMain().isEmpty());
}

void TestFormEnlarge::copyLeavesUnappliedEffectOut()
{
    TEnlargedView view(m_host.get());
    const QImage orig = colourful(30, 20);
    open(view, orig);
    click(view, "btnColor");
    slider(view, "tbHue")->setValue(180);
    click(view, "btncopy");
    const TToteBageImage &windows = toteBag(kWindowsClip);
    QVERIFY(windows.HasRaster);
    QCOMPARE(windows.RasterHolder.Bitmap(), orig);
    QCOMPARE(vztest::maxChannelDiff(QGuiApplication::clipboard()->image(), orig), 0);
    QVERIFY(!copiedImageShown());
    // An applied one is included.
    click(view, "btnApply");
    click(view, "btncopy");
    QCOMPARE(windows.RasterHolder.Bitmap(), with(orig, Effect::Hue, 180));
    QVERIFY(view.isVisible());
}

void TestFormEnlarge::okStoresInCurrentClipboard_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("thumbWidth");
    QTest::newRow("alphabets") << 1 << 800;
    QTest::newRow("clipart") << 2 << 900;
    QTest::newRow("mix & match") << 3 << 800;
    QTest::newRow("enhancements") << 4 << 0;
}

void TestFormEnlarge::okStoresInCurrentClipboard()
{
    QFETCH(int, kind);
    QFETCH(int, thumbWidth);
    m_host->kind = kind;
    TEnlargedView view(m_host.get());
    const QImage orig = colourful(900, 20);
    open(view, orig);
    click(view, "btnMedian");
    slider(view, "tbPaint")->setValue(3); // taken by OK without Apply
    click(view, "btnOK");
    QVERIFY(!view.isVisible());
    QCOMPARE(view.result(), int(QDialog::Accepted));
    for (int n = 1; n <= 4; ++n)
        QCOMPARE(toteBag(n).HasRaster, n == kind && kind <= 3);
    if (kind <= 3)
        QCOMPARE(toteBag(kind).RasterHolder.Bitmap(), with(orig, Effect::Median, 3));
    QCOMPARE(m_host->thumb->picture().width(), thumbWidth);
    QCOMPARE(m_host->fits, 1);
    QVERIFY(view.Fimgset().isEmpty());
    QCOMPARE(slider(view, "tbPaint")->value(), 1);
}

void TestFormEnlarge::pictureMode()
{
    TEnlargedView view(m_host.get());
    open(view, colourful(20, 20));
    view.btnCancelClick();
    const Picture picture = Picture::fromImage(colourful(200, 100));
    view.PictureMode(picture);
    view.setWindowTitle(QStringLiteral("Rose"));
    m_host->clipart = true;
    m_host->kind = kClipartClip;
    view.show();
    QCOMPARE(view.windowTitle(), QStringLiteral("Rose")); // the clip-art page keeps its caption
    QVERIFY(!view.findChild<QWidget *>("pnlEffects")->isVisible());
    QVERIFY(view.Image()->isVisible());
    QVERIFY(view.imgMain().isEmpty());
    // Fitted inside the 8-pixel border, then inset by 3 by the fitting rule.
    const QRect area = view.findChild<QWidget *>("pnlImage")->rect().adjusted(8, 8, -8, -8);
    QCOMPARE(view.Image()->geometry(), *fitPictureRect(200, 100, area));
    QCOMPARE(view.Image()->geometry(), view.findChild<QWidget *>("imgMain")->geometry().adjusted(3, 3, -3, -3)
                                           .intersected(view.Image()->geometry()));
    QVERIFY(view.findChild<QWidget *>("imgMain")->geometry().adjusted(2, 2, -2, -2).contains(view.Image()->geometry()));

    click(view, "btncopy");
    QCOMPARE(m_host->copied.size(), 1);
    QVERIFY(copiedImageShown());
    QCOMPARE(QGuiApplication::clipboard()->image().size(), QSize(200, 100));

    click(view, "btnOK");
    QVERIFY(toteBag(kClipartClip).HasPicture);
    QCOMPARE(toteBag(kClipartClip).PictureHolder.size(), QSize(200, 100));
    QCOMPARE(m_host->thumb->picture().size(), QSize(200, 100));
    QVERIFY(!toteBag(kClipartClip).HasRaster);

    // Elsewhere the caption is the window's own.
    m_host->clipart = false;
    view.show();
    QCOMPARE(view.windowTitle(), QStringLiteral("Preview Image/Change Effects"));
    view.btnCancelClick();
}

void TestFormEnlarge::okInPictureModeStoresInCurrentClipboard_data()
{
    QTest::addColumn<int>("kind");
    QTest::newRow("alphabets (a metafile word)") << 1;
    QTest::newRow("clipart") << 2;
    QTest::newRow("mix & match") << 3;
    QTest::newRow("enhancements: none") << 4;
}

// OK in picture mode stores into the clipboard of the page the preview came
// from, as raster mode does.
void TestFormEnlarge::okInPictureModeStoresInCurrentClipboard()
{
    QFETCH(int, kind);
    m_host->kind = kind;
    const Picture old = Picture::fromImage(colourful(10, 10));
    m_host->thumb->setPicture(old);
    TEnlargedView view(m_host.get());
    view.PictureMode(Picture::fromImage(colourful(120, 40)));
    view.show();
    click(view, "btnOK");
    QCOMPARE(view.result(), int(QDialog::Accepted));
    for (int n = 1; n <= 4; ++n) {
        QCOMPARE(toteBag(n).HasPicture, n == kind && kind <= 3);
        QVERIFY(!toteBag(n).HasRaster);
    }
    QCOMPARE(m_host->thumb->picture().size(), kind <= 3 ? QSize(120, 40) : QSize(10, 10));
}

// Under the thumb the hue slider's track shows what pure red becomes at the
// thumb's value.
void TestFormEnlarge::hueTrackShowsWhatRedBecomes()
{
    TEnlargedView view(m_host.get());
    open(view, colourful(20, 20));
    click(view, "btnColor");
    QSlider *hue = slider(view, "tbHue");
    QVERIFY(hue->isVisible());
    const QColor thumb(0x01, 0x48, 0xB2);
    const int y = hue->height() / 2;
    for (int value : {-360, -240, -180, -120, -60, 0, 60, 90, 120, 180, 240, 300, 360}) {
        hue->setValue(value);
        const QImage withThumb = hue->grab().toImage();
        int left = -1, right = -1;
        for (int x = 0; x < withThumb.width(); ++x) {
            if (withThumb.pixelColor(x, y) == thumb) {
                if (left < 0)
                    left = x;
                right = x;
            }
        }
        QVERIFY2(left >= 0, "thumb not found");
        // The track where the thumb was, with the thumb moved out of the way.
        hue->setValue(value < 0 ? 360 : -360);
        const QColor track = hue->grab().toImage().pixelColor((left + right) / 2, y);
        QImage red(1, 1, QImage::Format_RGB32);
        red.fill(Qt::red);
        applyEffect(red, Effect::Hue, value);
        const QColor expected = red.pixelColor(0, 0);
        const int diff = qMax(qAbs(track.red() - expected.red()),
                              qMax(qAbs(track.green() - expected.green()), qAbs(track.blue() - expected.blue())));
        QVERIFY2(diff <= 24, qPrintable(QStringLiteral("value %1: track %2, red becomes %3")
                                            .arg(value).arg(track.name(), expected.name())));
    }
    view.btnCancelClick();
}

void TestFormEnlarge::metafileFollowsWindowSize_data()
{
    QTest::addColumn<QSize>("window");
    QTest::newRow("as created") << QSize(632, 412);
    QTest::newRow("tall") << QSize(500, 700);
    QTest::newRow("wide") << QSize(900, 400);
}

void TestFormEnlarge::metafileFollowsWindowSize()
{
    QFETCH(QSize, window);
    const QString file = vztest::testDataDir() + QStringLiteral("metafiles/ant.wmf");
    if (!QFile::exists(file))
        QSKIP("no sample metafiles");
    const Picture wmf = Picture::fromFile(file);
    QVERIFY(wmf.isMetafile());
    TEnlargedView view(m_host.get());
    view.PictureMode(wmf);
    view.show();
    view.resize(window);
    QTRY_COMPARE(view.size(), window);
    const double ratio = double(wmf.height()) / wmf.width();
    QSize expected;
    if (ratio >= double(window.height()) / window.width()) {
        const int h = window.height() - 80;
        expected = QSize(qRound(h / ratio), h);
    } else {
        const int w = window.width() - 20;
        expected = QSize(w, qRound(w * ratio));
    }
    QTRY_VERIFY(qAbs(view.Image()->width() - expected.width()) <= 1
                && qAbs(view.Image()->height() - expected.height()) <= 1);
    view.btnCancelClick();
}

void TestFormEnlarge::burstComputesLatestOnly()
{
    TEnlargedView view(m_host.get());
    const QImage orig = colourful(60, 40);
    open(view, orig);
    click(view, "btnSharpen");
    const int before = view.effectComputations();
    for (int v = 100; v <= 1000; v += 100)
        slider(view, "tbSharpness")->setValue(v);
    QCOMPARE(view.effectComputations(), before);
    QTRY_COMPARE(view.effectComputations(), before + 1);
    QCOMPARE(view.displayedImage(), with(orig, Effect::Sharpen, 1000));
}

void TestFormEnlarge::largeImagePreviewThenFullSize()
{
    TEnlargedView view(m_host.get());
    const QImage orig = colourful(2000, 1000);
    open(view, orig);
    click(view, "btnBritness");
    const int before = view.effectComputations();
    slider(view, "tbBrightness")->setValue(-500);
    // While moving: the effect on the displayed size (the first result; the
    // full size cannot follow before the slider has rested).
    QElapsedTimer guard;
    guard.start();
    while (view.effectComputations() == before && guard.elapsed() < 5000)
        QCoreApplication::processEvents();
    QVERIFY(view.displayedImage().width() < 1000 && view.displayedImage().width() > 0);
    const QSize shown = view.findChild<RasterView *>("imgMain")->targetRect(orig.size()).size();
    QCOMPARE(view.displayedImage().size(), shown);
    // At rest: the full size.
    QTRY_COMPARE(view.displayedImage().size(), orig.size());
    QCOMPARE(view.displayedImage(), with(orig, Effect::Intensity, -500));
    // Apply takes the full-size result even straight after a move.
    slider(view, "tbBrightness")->setValue(200);
    click(view, "btnApply");
    QCOMPARE(view.Fimgset().Bitmap(), with(orig, Effect::Intensity, 200));
}

void TestFormEnlarge::movingPreviewLooksLikeSettled_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("slider");
    QTest::addColumn<int>("value");
    QTest::addColumn<QSize>("window");
    QTest::addColumn<double>("bound"); // mean difference in levels
    // The settled sharpening of the noise clips at black and white, which no
    // preview at the shown size can copy: the bounds leave room for that.
    const QSize design(632, 412), small(420, 330);
    QTest::newRow("sharpen 1000") << "btnSharpen" << "tbSharpness" << 1000 << design << 5.0;
    QTest::newRow("sharpen 300") << "btnSharpen" << "tbSharpness" << 300 << design << 2.0;
    QTest::newRow("blur -1000") << "btnSharpen" << "tbSharpness" << -1000 << design << 2.5;
    QTest::newRow("median 5") << "btnMedian" << "tbPaint" << 5 << design << 3.5;
    QTest::newRow("median 10") << "btnMedian" << "tbPaint" << 10 << design << 3.5;
    QTest::newRow("median 20") << "btnMedian" << "tbPaint" << 20 << design << 3.5;
    QTest::newRow("median 8, small window") << "btnMedian" << "tbPaint" << 8 << small << 3.5;
    QTest::newRow("median 20, small window") << "btnMedian" << "tbPaint" << 20 << small << 3.5;
}

// On a large picture the preview shown while the slider moves approximates
// the result once it has settled, both seen at the displayed size, and a
// median shows while moving.
void TestFormEnlarge::movingPreviewLooksLikeSettled()
{
    QFETCH(QString, button);
    QFETCH(QString, slider);
    QFETCH(int, value);
    QFETCH(QSize, window);
    QFETCH(double, bound);
    TEnlargedView view(m_host.get());
    view.resize(window);
    const QImage orig = shapes(1800, 1000);
    open(view, orig);
    click(view, qPrintable(button));
    const int before = view.effectComputations();
    this->slider(view, qPrintable(slider))->setValue(value);
    QTRY_VERIFY(view.effectComputations() > before);
    const QImage moving = view.displayedImage();
    QVERIFY(moving.width() < orig.width() / 2);
    // The settled median runs on the full picture: slow under the sanitizers.
    QTRY_COMPARE_WITH_TIMEOUT(view.displayedImage().size(), orig.size(), 60000);
    const QImage settled = view.displayedImage().scaled(moving.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QImage plain = orig.scaled(moving.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const double diff = meanDiff(moving, settled);
    qDebug("%s: moving preview %.2f levels from the settled result (the unchanged picture: %.2f)",
           QTest::currentDataTag(), diff, meanDiff(plain, settled));
    QVERIFY2(diff < bound, qPrintable(QString::number(diff)));
    if (button == "btnMedian")
        QVERIFY(meanDiff(moving, plain) > 0.5); // the effect shows while moving
    view.btnCancelClick();
}

void TestFormEnlarge::emptyImageRaises()
{
    TEnlargedView view(m_host.get());
    open(view, QImage());
    QVERIFY_THROWS_EXCEPTION(ImageError, click(view, "btnFlip"));
    click(view, "btnColor");
    slider(view, "tbHue")->setValue(30);
    QVERIFY_THROWS_EXCEPTION(ImageError, view.imgMain());
    QVERIFY(view.isVisible());
    view.btnCancelClick();
}

void TestFormEnlarge::nonModalThenModal()
{
    TEnlargedView view(m_host.get());
    const QImage first = colourful(60, 40, 1);
    view.RasterMode();
    view.imgMain().setBitmap(first);
    view.showNonModal();
    QVERIFY(view.isVisible());
    QVERIFY(!view.isModal());
    QVERIFY(view.isShownNonModal());
    click(view, "btnColor");
    slider(view, "tbHue")->setValue(110);
    click(view, "btnApply");
    QCOMPARE(view.Fimgset().Bitmap(), with(first, Effect::Hue, 110));

    // A modal opening hides the non-modal one and starts afresh on its own image.
    const QImage second = colourful(50, 30, 2);
    bool checked = false;
    QTimer::singleShot(0, &view, [&] {
        checked = true;
        QVERIFY(view.isModal());
        QVERIFY(view.isVisible());
        QVERIFY(!view.isShownNonModal());
        QVERIFY(!view.findChild<QWidget *>("pnlHue")->isVisible());
        QCOMPARE(view.Fimgset().Bitmap(), second);
        click(view, "btnCancel");
    });
    QCOMPARE(view.showForRaster(second), int(QDialog::Rejected));
    QVERIFY(checked);
    QVERIFY(!view.isVisible());

    // Showing again without blocking while up starts afresh too.
    view.RasterMode();
    view.imgMain().setBitmap(first);
    view.showNonModal();
    click(view, "btnFlip");
    view.RasterMode();
    view.imgMain().setBitmap(second);
    view.showNonModal();
    QCOMPARE(view.Fimgset().Bitmap(), second);
    QVERIFY(view.isShownNonModal());
}

QTEST_MAIN(TestFormEnlarge)
#include "tst_formenlarge.moc"
