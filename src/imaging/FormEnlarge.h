#pragma once

#include "imaging/Picture.h"
#include "imaging/RasterEffects.h"
#include "imaging/RasterImage.h"

#include <QDialog>
#include <QImage>

#include <atomic>
#include <functional>

class QAbstractButton;
class QLabel;
class QSlider;
class QThreadPool;
class QTimer;
class QWidget;

namespace vz {

class PictureView;
class RasterView;

// What the preview window needs of the rest of the program: the clipboard of
// the shown page and its thumbnail in the clipboard panel, the "Windows"
// thumbnail for copies, and whether the clip-art page is shown (it sets its
// own caption).
class EnlargedViewHost
{
public:
    virtual ~EnlargedViewHost() = default;
    virtual int currentClipboardKind() const = 0;
    virtual bool clipartPageShown() const = 0;
    virtual PictureView *panelThumbnail() = 0;
    virtual void fitPanelThumbnail() = 0;
    virtual void showCopiedPicture(const Picture &picture) = 0;
};

// The preview and effects window, created once and reused. Raster mode shows
// `imgMain` with the effect bar; picture mode shows a picture without effects.
//
// Callers:
//   view->showForRaster(image)           raster mode on a copy of `image`
//   view->showForRasterFile(path)        raster mode on a BMP or JPEG file
//   view->showForPicture(picture)        picture mode
// each runs the window modally (ShowModal) and returns its result. A caller
// that needs more can call RasterMode()/PictureMode(), fill imgMain() and
// call ShowModal() or showNonModal() itself.
//
// Slider moves are coalesced: a burst of moves computes only the latest
// value. On a large image the moving slider's effect is computed on the
// displayed size, and the full-size result follows in the background when
// the slider rests; Apply, OK and Copy always take the full-size result.
class TEnlargedView : public QDialog
{
    Q_OBJECT
public:
    explicit TEnlargedView(EnlargedViewHost *host, QWidget *parent = nullptr);
    ~TEnlargedView() override;

    static QString defaultCaption() { return QStringLiteral("Preview Image/Change Effects"); }

    int showForRaster(const QImage &image, const QString &caption = QString());
    int showForRasterFile(const QString &fileName, const QString &caption = QString());
    int showForPicture(const Picture &picture, const QString &caption = QString());
    // The clip-art page: the image click (`anyKind` false) shows a bitmap or
    // JPEG with effects and a metafile as a picture; the preview button
    // (`anyKind` true) shows any kind as a picture. An empty `fileName` (no
    // image shown) opens the window on no picture.
    int showForClipart(const QString &fileName, const QString &caption, bool anyKind);
    // A word or composition: `render` writes it into a temporary "vz" file,
    // which is read (a raster with effects, a metafile as a picture) and
    // deleted before the window shows.
    int showForRendered(const std::function<void(const QString &fileName)> &render, bool metafile);

    void RasterMode();
    void PictureMode(const Picture &picture);
    bool isRasterMode() const { return m_rasterMode; }
    // A modal showing hides a non-modal one first.
    int ShowModal();
    // Shows the window without blocking the others (the quick tour drives it
    // from its own window); OK, Cancel and Copy work as in a modal showing.
    void showNonModal();
    bool isShownNonModal() const { return isVisible() && !isModal(); }

    // The shown raster at full size (an unfinished slider move is computed
    // first), the applied image and the working base.
    RasterImage &imgMain();
    const RasterImage &Fimgset() const { return m_imgset; }
    const RasterImage &FimgTmp() const { return m_imgTmp; }
    PictureView *Image() const { return m_image; }
    // What the window paints for imgMain (on a large image during a slider
    // move, the effect computed on the displayed size).
    QImage displayedImage() const { return m_display; }
    // Slider results computed so far (full size or displayed size).
    int effectComputations() const { return m_computations; }

    // Images up to this many pixels are always computed at full size.
    static constexpr qint64 kFullSizeLimit = 1'500'000;

public Q_SLOTS:
    void btnApplyClick();
    void btnOKClick();
    void btnCancelClick();
    void btncopyClick();
    void btnFlipClick();
    void btnReverseClick();

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    enum class Base { Applied, Working };
    struct Slider
    {
        QWidget *panel;
        QSlider *slider;
        Effect effect;
        Base base;
        int reset;
    };

    void buildEffectBar(QWidget *bar);
    void buildBottomStrip(QWidget *strip);
    void addSliderPanel(QWidget *strip, const char *name, const char *label, const char *sliderName, Effect effect,
                        Base base, int min, int max, int reset);
    void effectButtonClick(int panel);
    void sliderChanged(int index, int value);
    void computePending();
    void settleFullSize();
    void fullSizeReady(quint64 generation, const QImage &result);
    void finishPending();
    void ResetSliders();
    // Cancel's reset: sliders to their reset values, panels hidden, the
    // three images emptied.
    void cancelReset();
    void hideSliderPanels();
    // Hides a showing window, so the next show starts afresh.
    void hideForNewShowing();
    void setMain(const QImage &image);
    void clearPending();
    void resizePicture();
    QImage previewBase(Base base);
    const RasterImage &baseImage(Base base) const { return base == Base::Applied ? m_imgset : m_imgTmp; }

    EnlargedViewHost *m_host;
    bool m_rasterMode = true;
    double m_ratio = 0.0;
    RasterImage m_imgMain;
    RasterImage m_imgset;
    RasterImage m_imgTmp;
    QImage m_display;
    int m_computations = 0;

    // The slider move not yet computed at full size.
    bool m_pending = false;
    Base m_pendingBase = Base::Applied;
    Effect m_pendingEffect = Effect::Hue;
    int m_pendingValue = 0;
    QTimer *m_computeTimer;
    QTimer *m_settleTimer;
    // The resting slider's full-size result is computed here, so the window
    // keeps answering; a result whose generation is no longer current is
    // dropped.
    QThreadPool *m_worker;
    std::atomic<quint64> m_generation{0};
    // The bases scaled to the displayed size, made on first need.
    QImage m_previewApplied;
    QImage m_previewWorking;

    QWidget *m_effectBar = nullptr;
    QWidget *m_imageArea = nullptr;
    RasterView *m_view = nullptr;
    PictureView *m_image = nullptr;
    QList<Slider> m_sliders;
};

} // namespace vz
