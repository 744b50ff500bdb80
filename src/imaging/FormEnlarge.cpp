#include "imaging/FormEnlarge.h"

#include "clipboards/ToteBags.h"
#include "common/AlignLayout.h"
#include "common/SmallWidgets.h"
#include "common/Fitting.h"
#include "common/Palette.h"
#include "common/Rounding.h"
#include "common/ScaleForm.h"
#include "common/TempFile.h"
#include "common/VzError.h"
#include "common/WaitCursor.h"
#include "imaging/PictureView.h"
#include "imaging/RasterView.h"
#include "platform/SystemClipboard.h"

#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QSlider>
#include <QThreadPool>
#include <QTimer>
#include <QToolButton>

#include <cmath>

static void initEnlargeResources()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(enlarge);
        return true;
    }();
    Q_UNUSED(done);
}

namespace vz {

namespace {

// After the last move of a slider on a large image, the full-size result is
// computed once the slider has rested this long.
constexpr int kSettleMs = 300;

enum SliderIndex { kHue, kSaturation, kBrightness, kContrast, kSharpness, kPaint };

QToolButton *imageButton(QWidget *parent, const char *name, const char *hint, const char *icon, int x, int y)
{
    auto *b = new QToolButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setToolTip(QLatin1String(hint));
    b->setIcon(QIcon(QStringLiteral(":/enlarge/%1.svg").arg(QLatin1String(icon))));
    b->setIconSize(QSize(28, 28));
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);
    b->setGeometry(x, y, 35, 35);
    return b;
}

// Runs one effect through the image control, so an empty image raises its error.
void runEffect(RasterImage &image, Effect effect, int value)
{
    switch (effect) {
    case Effect::Hue: image.Hue(value); break;
    case Effect::Saturation: image.Saturation(value); break;
    case Effect::Intensity: image.Intensity(value); break;
    case Effect::Contrast: image.Contrast(value); break;
    case Effect::Sharpen: image.Sharpen(value); break;
    case Effect::Median: image.Median(value); break;
    case Effect::Flip: image.Flip(); break;
    case Effect::Reverse: image.Reverse(); break;
    }
}

const char *const kSliderStyle =
    "QSlider::groove:horizontal { height: 6px; border: 1px solid #5A78C8; background: %1; margin: 0 6px; }"
    "QSlider::handle:horizontal { background: #0148B2; border: 1px solid #D5DBF9; width: 11px;"
    " margin: -8px -6px; border-radius: 2px; }";

QString hueTrack()
{
    // Two turns of the colour wheel: the slider spans -360..360 degrees, and
    // the colour at each position is what pure red becomes by that rotation
    // (60 degrees: yellow, 120: green, -120: blue).
    QString stops;
    const char *const colours[] = {"#FF0000", "#FFFF00", "#00FF00", "#00FFFF", "#0000FF", "#FF00FF"};
    for (int i = 0; i <= 12; ++i)
        stops += QStringLiteral(", stop:%1 %2").arg(i / 12.0).arg(QLatin1String(colours[i % 6]));
    return QStringLiteral("qlineargradient(x1:0, y1:0, x2:1, y2:0%1)").arg(stops);
}

} // namespace

TEnlargedView::TEnlargedView(EnlargedViewHost *host, QWidget *parent)
    : QDialog(parent)
    , m_host(host)
    , m_computeTimer(new QTimer(this))
    , m_settleTimer(new QTimer(this))
    , m_worker(new QThreadPool(this))
{
    m_worker->setMaxThreadCount(1);
    initEnlargeResources();
    setObjectName(QStringLiteral("EnlargedView"));
    setWindowTitle(defaultCaption());
    setModal(true);
    resize(632, 412);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    m_computeTimer->setSingleShot(true);
    m_computeTimer->setInterval(0);
    connect(m_computeTimer, &QTimer::timeout, this, &TEnlargedView::computePending);
    m_settleTimer->setSingleShot(true);
    m_settleTimer->setInterval(kSettleMs);
    connect(m_settleTimer, &QTimer::timeout, this, &TEnlargedView::settleFullSize);

    auto *layout = new AlignLayout(this);
    QWidget *outer = colouredPanel(this, QStringLiteral("pnlOuter"), palette::mainBlue);
    layout->addWidget(outer, Align::Client);
    auto *outerLayout = new AlignLayout(outer);
    m_effectBar = colouredPanel(outer, QStringLiteral("pnlEffects"), palette::toolbar);
    outerLayout->addWidget(m_effectBar, Align::Top, QRect(0, 0, 0, 46));
    QWidget *strip = colouredPanel(outer, QStringLiteral("pnlBottom"), palette::sidePanel);
    outerLayout->addWidget(strip, Align::Bottom, QRect(0, 0, 0, 48));
    m_imageArea = colouredPanel(outer, QStringLiteral("pnlImage"), palette::mainBlue);
    outerLayout->addWidget(m_imageArea, Align::Client);
    auto *areaLayout = new AlignLayout(m_imageArea);
    areaLayout->setContentsMargins(8, 8, 8, 8);
    m_view = new RasterView(m_imageArea);
    m_view->setObjectName(QStringLiteral("imgMain"));
    areaLayout->addWidget(m_view, Align::Client);
    m_image = new PictureView(m_imageArea);
    m_image->setObjectName(QStringLiteral("Image"));
    m_image->hide();
    m_imageArea->installEventFilter(this);
    connect(m_view, &RasterView::clicked, this, &TEnlargedView::btnCancelClick);
    connect(m_image, &PictureView::clicked, this, &TEnlargedView::btnCancelClick);

    buildEffectBar(m_effectBar);
    buildBottomStrip(strip);
    ScaleFormToScreen(this, screenDpiOf(this));
}

TEnlargedView::~TEnlargedView()
{
    ++m_generation;
    m_worker->clear();
    m_worker->waitForDone();
}

void TEnlargedView::buildEffectBar(QWidget *bar)
{
    struct Btn { const char *name; const char *hint; const char *icon; int x; int panel; };
    const Btn effects[] = {
        {"btnColor", "Change Image Hue", "hue", 13, kHue},
        {"btnSaturation", "Change Image Saturation", "saturation", 84, kSaturation},
        {"btnBritness", "Change Image Brightness", "brightness", 156, kBrightness},
        {"btncontrast", "Change Image Contrast", "contrast", 227, kContrast},
        {"btnSharpen", "Change Image Sharpness", "sharpen", 299, kSharpness},
        {"btnMedian", "Change Image Paint Effects", "median", 370, kPaint},
    };
    for (const Btn &b : effects) {
        QToolButton *btn = imageButton(bar, b.name, b.hint, b.icon, b.x, 5);
        const int panel = b.panel;
        connect(btn, &QToolButton::clicked, this, [this, panel] { effectButtonClick(panel); });
    }
    connect(imageButton(bar, "btnFlip", "Flip Image", "flip", 441, 5), &QToolButton::clicked, this,
            &TEnlargedView::btnFlipClick);
    connect(imageButton(bar, "btnReverse", "Reverse Image", "reverse", 513, 5), &QToolButton::clicked, this,
            &TEnlargedView::btnReverseClick);
    connect(imageButton(bar, "btncopy", "Copy Image", "copy", 584, 5), &QToolButton::clicked, this,
            &TEnlargedView::btncopyClick);
}

void TEnlargedView::addSliderPanel(QWidget *strip, const char *name, const char *label, const char *sliderName,
                                   Effect effect, Base base, int min, int max, int reset)
{
    QWidget *panel = colouredPanel(strip, QLatin1String(name), palette::sidePanel);
    panel->setGeometry(0, 0, 500, 47);
    panel->hide();
    auto *lbl = new QLabel(QLatin1String(label), panel);
    QFont bold = lbl->font();
    bold.setBold(true);
    lbl->setFont(bold);
    lbl->move(16, 16);
    lbl->adjustSize();
    if (effect == Effect::Hue) {
        // Lies under the slider's colour track, as on the original panel.
        auto *change = new QLabel(QStringLiteral("Change Hue:"), panel);
        change->move(278, 14);
        change->adjustSize();
    }
    auto *slider = new QSlider(Qt::Horizontal, panel);
    slider->setObjectName(QLatin1String(sliderName));
    slider->setRange(min, max);
    slider->setValue(reset);
    slider->setTickPosition(QSlider::NoTicks);
    slider->setGeometry(99, 12, 401, 24);
    slider->setAutoFillBackground(true);
    slider->setStyleSheet(QString::fromLatin1(kSliderStyle)
                              .arg(effect == Effect::Hue ? hueTrack() : QStringLiteral("#FFFFFF")));
    slider->raise();
    const int index = int(m_sliders.size());
    m_sliders.append({panel, slider, effect, base, reset});
    connect(slider, &QSlider::valueChanged, this, [this, index](int v) { sliderChanged(index, v); });
}

void TEnlargedView::buildBottomStrip(QWidget *strip)
{
    // In the order of SliderIndex.
    addSliderPanel(strip, "pnlHue", "Color:", "tbHue", Effect::Hue, Base::Working, kHueMin, kHueMax, 0);
    addSliderPanel(strip, "pnlSaturation", "Saturation:", "tbSaturation", Effect::Saturation, Base::Working,
                   kEffectMin, kEffectMax, 0);
    addSliderPanel(strip, "pnlBrightness", "Brightness:", "tbBrightness", Effect::Intensity, Base::Applied,
                   kEffectMin, kEffectMax, 0);
    addSliderPanel(strip, "pnlContrast", "Contrast:", "tbContrast", Effect::Contrast, Base::Applied, kEffectMin,
                   kEffectMax, 0);
    addSliderPanel(strip, "pnlSharpness", "Sharpness:", "tbSharpness", Effect::Sharpen, Base::Working, kEffectMin,
                   kEffectMax, 0);
    addSliderPanel(strip, "pnlPaint", "Paint Effect:", "tbPaint", Effect::Median, Base::Working, kMedianMin,
                   kMedianMax, 1);
    connect(imageButton(strip, "btnApply", "Apply/Current", "apply", 504, 6), &QToolButton::clicked, this,
            &TEnlargedView::btnApplyClick);
    connect(imageButton(strip, "btnOK", "Ok/Close", "ok", 547, 6), &QToolButton::clicked, this,
            &TEnlargedView::btnOKClick);
    connect(imageButton(strip, "btnCancel", "Cancel/Close", "cancel", 590, 6), &QToolButton::clicked, this,
            &TEnlargedView::btnCancelClick);
}

// ---- entry ------------------------------------------------------------------

void TEnlargedView::RasterMode()
{
    m_rasterMode = true;
    m_image->hide();
    m_effectBar->show();
}

void TEnlargedView::PictureMode(const Picture &picture)
{
    m_rasterMode = false;
    m_effectBar->hide();
    if (!m_imgMain.isEmpty())
        m_imgMain.DeleteBitmapListItems(0, 1);
    clearPending();
    setMain(QImage());
    m_image->show();
    m_image->raise();
    m_image->clear();
    m_image->setPicture(picture);
    m_ratio = picture.width() > 0 ? double(picture.height()) / picture.width() : 0.0;
    resizePicture();
}

int TEnlargedView::showForRaster(const QImage &image, const QString &caption)
{
    RasterMode();
    m_imgMain.setBitmap(image);
    if (!caption.isEmpty())
        setWindowTitle(caption);
    return ShowModal();
}

int TEnlargedView::showForRasterFile(const QString &fileName, const QString &caption)
{
    RasterMode();
    m_imgMain.Load(fileName, 0, 0, 1);
    if (!caption.isEmpty())
        setWindowTitle(caption);
    return ShowModal();
}

int TEnlargedView::showForPicture(const Picture &picture, const QString &caption)
{
    PictureMode(picture);
    if (!caption.isEmpty())
        setWindowTitle(caption);
    return ShowModal();
}

int TEnlargedView::showForClipart(const QString &fileName, const QString &caption, bool anyKind)
{
    const Picture picture = fileName.isEmpty() ? Picture() : Picture::fromFile(fileName);
    const Picture::Kind kind = picture.kind();
    if (!anyKind && (kind == Picture::Kind::Bitmap || kind == Picture::Kind::Jpeg))
        return showForRasterFile(fileName, caption);
    return showForPicture(picture, caption);
}

int TEnlargedView::showForRendered(const std::function<void(const QString &)> &render, bool metafile)
{
    Picture picture;
    {
        TempFile file;
        if (!file.isValid())
            throw FileError(QStringLiteral("Cannot create a temporary file."));
        render(file.path());
        if (metafile) {
            picture = Picture::fromFile(file.path(), Picture::Kind::Metafile);
        } else {
            RasterMode();
            m_imgMain.Load(file.path(), 0, 0, 1);
        }
    }
    if (metafile)
        return showForPicture(picture);
    return ShowModal();
}

int TEnlargedView::ShowModal()
{
    // exec() on a window already up would neither block nor reset it.
    hideForNewShowing();
    setModal(true);
    return exec();
}

void TEnlargedView::showNonModal()
{
    hideForNewShowing();
    setModal(false);
    show();
    raise();
    activateWindow();
}

void TEnlargedView::hideForNewShowing()
{
    if (!isVisible())
        return;
    hide();
    hideSliderPanels();
}

void TEnlargedView::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_rasterMode) {
        clearPending();
        m_imgset = m_imgMain;
        m_imgTmp = m_imgMain;
        m_previewApplied = m_previewWorking = QImage();
        ResetSliders();
        clearPending();
        setMain(m_imgMain.Bitmap());
    } else if (m_image->picture().isMetafile()) {
        const Picture &p = m_image->picture();
        m_ratio = p.width() > 0 ? double(p.height()) / p.width() : 0.0;
        resizePicture();
    }
    if (!m_host || !m_host->clipartPageShown())
        setWindowTitle(defaultCaption());
}

void TEnlargedView::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    m_previewApplied = m_previewWorking = QImage();
    if (!m_rasterMode)
        resizePicture();
}

bool TEnlargedView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_imageArea && event->type() == QEvent::Resize && !m_rasterMode)
        resizePicture();
    return QDialog::eventFilter(watched, event);
}

void TEnlargedView::resizePicture()
{
    if (m_rasterMode)
        return;
    const Picture &p = m_image->picture();
    // Inside the blue border, as the raster is.
    const QRect area = m_imageArea->rect().marginsRemoved(m_imageArea->layout()->contentsMargins());
    if (p.isMetafile() && m_ratio > 0) {
        // The metafile grows with the window, keeping its aspect ratio.
        const int cw = width();
        const int ch = height();
        int w, h;
        if (m_ratio >= double(ch) / cw) {
            h = ch - 80;
            w = roundHalfEven(h / m_ratio);
        } else {
            w = cw - 20;
            h = roundHalfEven(w * m_ratio);
        }
        m_image->setGeometry(area.x() + (area.width() - w) / 2, area.y() + (area.height() - h) / 2, w, h);
    } else if (auto r = fitPictureRect(p.width(), p.height(), area)) {
        m_image->setGeometry(*r);
    }
}

// ---- images -----------------------------------------------------------------

void TEnlargedView::setMain(const QImage &image)
{
    m_display = image;
    m_view->setImage(image);
}

void TEnlargedView::clearPending()
{
    ++m_generation;
    m_pending = false;
    m_computeTimer->stop();
    m_settleTimer->stop();
}

RasterImage &TEnlargedView::imgMain()
{
    finishPending();
    return m_imgMain;
}

void TEnlargedView::finishPending()
{
    if (!m_pending)
        return;
    const Base base = m_pendingBase;
    const Effect effect = m_pendingEffect;
    const int value = m_pendingValue;
    clearPending();
    m_imgMain = baseImage(base);
    if (value != effectNeutral(effect)) {
        ++m_computations;
        runEffect(m_imgMain, effect, value);
    } else if (m_imgMain.isEmpty()) {
        runEffect(m_imgMain, effect, value); // raises the empty image's error
    }
    setMain(m_imgMain.Bitmap());
}

QImage TEnlargedView::previewBase(Base base)
{
    QImage &cached = base == Base::Applied ? m_previewApplied : m_previewWorking;
    const QImage full = baseImage(base).Bitmap();
    const QSize target = m_view->targetRect(full.size()).size();
    if (cached.isNull() || cached.size() != target) {
        if (target.isEmpty() || target.width() >= full.width())
            cached = full;
        else
            cached = full.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    return cached;
}

void TEnlargedView::sliderChanged(int index, int value)
{
    const Slider &s = m_sliders.at(index);
    m_pending = true;
    m_pendingBase = s.base;
    m_pendingEffect = s.effect;
    m_pendingValue = value;
    ++m_generation;
    m_settleTimer->stop();
    // Coalesce a burst of moves: only the value current when the event loop
    // comes round is computed.
    m_computeTimer->start();
}

void TEnlargedView::computePending()
{
    if (!m_pending)
        return;
    const RasterImage &base = baseImage(m_pendingBase);
    const qint64 pixels = qint64(base.Bitmap().width()) * base.Bitmap().height();
    if (pixels <= kFullSizeLimit || m_pendingValue == effectNeutral(m_pendingEffect)) {
        finishPending();
        return;
    }
    // A large image: show the effect on the displayed size now, the full
    // size once the slider rests.
    QImage preview = previewBase(m_pendingBase).copy();
    // Effects that reach over neighbouring pixels work at the shown scale,
    // so the moving preview looks as the result will once it has settled.
    const double scale = double(preview.width()) / base.Bitmap().width();
    ++m_computations;
    if (m_pendingEffect == Effect::Median)
        medianFilterAtScale(preview, m_pendingValue, scale);
    else if (m_pendingEffect == Effect::Sharpen)
        sharpenImageAtScale(preview, m_pendingValue, scale);
    else
        applyEffect(preview, m_pendingEffect, m_pendingValue);
    m_display = preview;
    m_view->setImage(preview);
    m_settleTimer->start();
}

void TEnlargedView::settleFullSize()
{
    if (!m_pending)
        return;
    const quint64 generation = m_generation;
    const QImage base = baseImage(m_pendingBase).Bitmap();
    const Effect effect = m_pendingEffect;
    const int value = m_pendingValue;
    m_worker->start([this, generation, base, effect, value] {
        if (m_generation != generation)
            return; // moved on before this one started
        QImage result = base;
        applyEffect(result, effect, value);
        QMetaObject::invokeMethod(
            this, [this, generation, result] { fullSizeReady(generation, result); }, Qt::QueuedConnection);
    });
}

void TEnlargedView::fullSizeReady(quint64 generation, const QImage &result)
{
    if (generation != m_generation || !m_pending)
        return;
    m_pending = false;
    ++m_computations;
    m_imgMain.setBitmap(result);
    setMain(m_imgMain.Bitmap());
}

// ---- commands ---------------------------------------------------------------

void TEnlargedView::ResetSliders()
{
    for (int index : {kHue, kSharpness, kSaturation, kPaint, kContrast, kBrightness})
        m_sliders[index].slider->setValue(m_sliders[index].reset);
}

void TEnlargedView::hideSliderPanels()
{
    for (const Slider &s : m_sliders)
        s.panel->hide();
}

void TEnlargedView::effectButtonClick(int panel)
{
    ResetSliders();
    hideSliderPanels();
    m_sliders[panel].panel->show();
    clearPending();
    m_imgMain = m_imgset;
    m_imgTmp = m_imgMain;
    m_previewWorking = m_previewApplied;
    setMain(m_imgMain.Bitmap());
}

void TEnlargedView::btnFlipClick()
{
    clearPending();
    m_imgMain = m_imgTmp;
    m_imgMain.Flip();
    m_imgTmp = m_imgMain;
    m_previewWorking = QImage();
    setMain(m_imgMain.Bitmap());
}

void TEnlargedView::btnReverseClick()
{
    clearPending();
    m_imgMain = m_imgTmp;
    m_imgMain.Reverse();
    m_imgTmp = m_imgMain;
    m_previewWorking = QImage();
    setMain(m_imgMain.Bitmap());
}

void TEnlargedView::btnApplyClick()
{
    WaitCursor wait;
    finishPending();
    m_imgset = m_imgMain;
    m_imgTmp = m_imgMain;
    m_previewApplied = m_previewWorking = QImage();
    ResetSliders();
    // Every slider is back at its neutral value over an image equal to the
    // one shown: nothing is left to compute.
    clearPending();
}

void TEnlargedView::btnOKClick()
{
    WaitCursor wait;
    PictureView *thumb = m_host ? m_host->panelThumbnail() : nullptr;
    if (!m_rasterMode) {
        // Into the clipboard of the page the picture came from, as in raster
        // mode: a metafile word belongs on the Alphabets clipboard.
        const Picture picture = m_image->picture();
        const int kind = m_host ? m_host->currentClipboardKind() : 0;
        if (kind >= 1 && kind <= 3 && !picture.isNull()) {
            if (thumb) {
                thumb->clear();
                thumb->repaint();
                thumb->setPicture(picture);
            }
            toteBag(kind).SetPicture(picture);
        }
    } else {
        btnApplyClick();
        const int kind = m_host ? m_host->currentClipboardKind() : 0;
        if (kind >= 1 && kind <= 3) {
            TToteBageImage &bag = toteBag(kind);
            bag.SetRasterFrom(m_imgset);
            if (thumb) {
                Picture shown;
                bag.RenderRasterTo(shown);
                // The word clipboards show their first 800 pixels, as the
                // panel does when it is refreshed.
                if (kind != kClipartClip)
                    setBitmapWidth(shown, kClipThumbnailWidth);
                thumb->setPicture(shown);
            }
        }
    }
    if (m_host)
        m_host->fitPanelThumbnail();
    cancelReset();
    accept();
    if (thumb)
        thumb->update();
}

void TEnlargedView::btnCancelClick()
{
    cancelReset();
    reject();
}

void TEnlargedView::cancelReset()
{
    ResetSliders();
    hideSliderPanels();
    clearPending();
    m_imgMain.DeleteBitmapListItems(0, 1);
    m_imgset.DeleteBitmapListItems(0, 1);
    m_imgTmp.DeleteBitmapListItems(0, 1);
    m_previewApplied = m_previewWorking = QImage();
    setMain(QImage());
}

void TEnlargedView::btncopyClick()
{
    WaitCursor wait;
    if (m_rasterMode) {
        // The applied image: an unapplied slider effect is not part of it.
        TToteBageImage &windows = toteBag(kWindowsClip);
        windows.SetRasterFrom(m_imgset);
        windows.CopyRasterToClipboard();
        return;
    }
    const Picture picture = m_image->picture();
    if (picture.isNull())
        return;
    SystemClipboard::putPicture(picture);
    if (m_host)
        m_host->showCopiedPicture(picture);
    else
        setCopiedImageShown(true);
}

} // namespace vz
