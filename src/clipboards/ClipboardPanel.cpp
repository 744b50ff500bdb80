#include "clipboards/ClipboardPanel.h"

#include "clipboards/ToteBags.h"
#include "common/AlignLayout.h"
#include "common/SmallWidgets.h"
#include "common/Fitting.h"
#include "common/Palette.h"
#include "common/WaitCursor.h"
#include "imaging/FormEnlarge.h"
#include "imaging/ImageLoader.h"
#include "imaging/PictureView.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>

namespace vz {

namespace {

const QString kPlaceHint = QStringLiteral("Click here to add this image.");

void setFrameColour(QWidget *w, const QColor &colour)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Window, colour);
    w->setPalette(p);
}

} // namespace

ClipboardPanel::ClipboardPanel(QWidget *content, QWidget *printPage, QObject *parent)
    : QObject(parent)
{
    auto *layout = new AlignLayout(content);
    m_lblClipboardName = new QLabel(toteBagLabel(kAlphaClip), content);
    m_lblClipboardName->setObjectName(QStringLiteral("lblClipboardName"));
    m_lblClipboardName->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_lblClipboardName, Align::Top, QRect(0, 0, 0, 18));
    m_pnlClipColor = colouredPanel(content, QStringLiteral("pnlClipColor"), toteBagColour(kAlphaClip));
    layout->addWidget(m_pnlClipColor, Align::Client);
    auto *inner = new AlignLayout(m_pnlClipColor);
    inner->setContentsMargins(3, 3, 3, 3);
    m_pnlClipAll = colouredPanel(m_pnlClipColor, QStringLiteral("pnlClipAll"), Qt::white);
    inner->addWidget(m_pnlClipAll, Align::Client);
    m_pnlClipAll->installEventFilter(this);
    m_imgTotebag = new PictureView(m_pnlClipAll);
    m_imgTotebag->setObjectName(QStringLiteral("imgTotebag"));
    m_imgTotebag->setGeometry(0, 0, 0, 0);
    connect(m_imgTotebag, &PictureView::clicked, this, [this] { ClipBoardToEffects(m_imgTotebag->tag()); });

    auto *printLayout = new AlignLayout(printPage);
    const char *const boxNames[] = {"pnlAlphaClip", "pnlClipartClip", "pnlMixMatchClip", "pnlWindowsClip"};
    const char *const thumbNames[] = {"ImgAlphaClip", "imgClipartClip", "imgMixMatchClip", "imgWidowClip"};
    for (int i = 0; i < 4; ++i) {
        QWidget *frame = colouredPanel(printPage, QLatin1String(boxNames[i]), toteBagColour(i + 1));
        printLayout->addWidget(frame, Align::Left, QRect(0, 0, 120, 0));
        QWidget *white = colouredPanel(frame, QLatin1String(boxNames[i]) + QStringLiteral("Inner"), Qt::white);
        auto *bl = new AlignLayout(frame);
        bl->setContentsMargins(3, 3, 3, 3);
        bl->addWidget(white, Align::Client);
        auto *thumb = new PictureView(white);
        thumb->setObjectName(QLatin1String(thumbNames[i]));
        thumb->setTag(i);
        thumb->setToolTip(kPlaceHint);
        thumb->setGeometry(0, 0, 0, 0);
        connect(thumb, &PictureView::clicked, this, [this, i] { ClipBoardToPrint(i); });
        if (i < 3) {
            white->setToolTip(kPlaceHint);
            white->installEventFilter(this);
        }
        if (i == 0)
            white->setMouseTracking(true); // moving over it repaints the Alphabets thumbnail
        m_thumbs[i] = thumb;
        m_thumbBoxes[i] = white;
    }
}

void ClipboardPanel::setPageNames(std::function<QString()> mainPage, std::function<QString()> lowerPage)
{
    m_mainPage = std::move(mainPage);
    m_lowerPage = std::move(lowerPage);
}

void ClipboardPanel::setPrintPage(std::function<bool()> showing, std::function<void(const QList<Picture> &)> place)
{
    m_printShowing = std::move(showing);
    m_placeOnPrint = std::move(place);
}

PictureView *ClipboardPanel::thumbnail(int number) const
{
    return number >= 1 && number <= 4 ? m_thumbs[number - 1] : nullptr;
}

int ClipboardPanel::currentClipboardKind() const
{
    if (!m_mainPage || !m_lowerPage)
        return 0;
    return CurrentClipboardKind(m_mainPage(), m_lowerPage());
}

bool ClipboardPanel::clipartPageShown() const
{
    return m_mainPage && m_mainPage() == QLatin1String("VZClipart");
}

Picture ClipboardPanel::thumbnailPicture(int number)
{
    const TToteBageImage &bag = toteBag(number);
    Picture shown;
    if (bag.HasRaster) {
        bag.RenderRasterTo(shown);
        if (number == kAlphaClip || number == kMixClip)
            setBitmapWidth(shown, kClipThumbnailWidth);
    }
    if (bag.HasPicture)
        bag.AssignPictureTo(shown); // the picture wins when both are held
    return shown;
}

void ClipboardPanel::fitInto(PictureView *thumb)
{
    const Picture &p = thumb->picture();
    if (auto r = fitPictureRect(p.width(), p.height(), thumb->parentWidget()->rect()))
        thumb->setGeometry(*r);
}

void ClipboardPanel::fitPanelThumbnail() { fitInto(m_imgTotebag); }

void ClipboardPanel::RefreshClipboardPanel()
{
    const int kind = currentClipboardKind();
    if (kind < 1 || kind > 3)
        return;
    m_lblClipboardName->setText(toteBagLabel(kind));
    setFrameColour(m_pnlClipColor, toteBagColour(kind));
    m_imgTotebag->setTag(kind);
    m_imgTotebag->clear();
    const Picture shown = thumbnailPicture(kind);
    if (shown.isNull())
        return;
    m_imgTotebag->setPicture(shown);
    fitPanelThumbnail();
}

void ClipboardPanel::refreshThumbnails()
{
    for (int number = 1; number <= 4; ++number) {
        if (number == kWindowsClip && copiedImageShown())
            continue; // the copied picture stays
        m_thumbs[number - 1]->setPicture(thumbnailPicture(number));
    }
    ResiseClipBoardImage();
}

void ClipboardPanel::ResiseClipBoardImage()
{
    for (int number = 1; number <= 4; ++number) {
        PictureView *thumb = m_thumbs[number - 1];
        const bool holds = toteBag(number).holdsImage() || (number == kWindowsClip && copiedImageShown());
        if (holds)
            fitInto(thumb);
        else
            thumb->clear();
    }
}

void ClipboardPanel::showWindowsPicture(const Picture &picture)
{
    PictureView *thumb = imgWidowClip();
    thumb->clear();
    thumb->setPicture(picture);
    setCopiedImageShown(true);
    ResiseClipBoardImage();
}

void ClipboardPanel::showOnPanel(const Picture &picture)
{
    m_imgTotebag->clear();
    m_imgTotebag->setPicture(picture);
    fitPanelThumbnail();
}

void ClipboardPanel::SendToalphaClipBoard(const QString &renderedFile, bool metafileAlphabet)
{
    Q_EMIT expandRequested();
    WaitCursor wait;
    Picture shown;
    if (metafileAlphabet) {
        shown = Picture::fromFile(renderedFile, Picture::Kind::Metafile);
    } else {
        QImage bitmap;
        LoadImageAsBitmap(renderedFile, bitmap);
        shown = Picture::fromImage(bitmap);
        setBitmapWidth(shown, kClipThumbnailWidth);
    }
    StoreFileInClipboard(renderedFile, metafileAlphabet ? StoreKind::Picture : StoreKind::Raster, toteBag(kAlphaClip));
    showOnPanel(shown);
}

void ClipboardPanel::SendMixToClip(const QString &renderedFile)
{
    Q_EMIT expandRequested();
    WaitCursor wait;
    QImage bitmap;
    LoadImageAsBitmap(renderedFile, bitmap);
    Picture shown = Picture::fromImage(bitmap);
    setBitmapWidth(shown, kClipThumbnailWidth);
    StoreFileInClipboard(renderedFile, StoreKind::Raster, toteBag(kMixClip));
    showOnPanel(shown);
}

void ClipboardPanel::btnSendtoClipartClipClick(const Picture &mainImage)
{
    if (mainImage.isNull())
        return;
    Q_EMIT expandRequested();
    WaitCursor wait;
    TToteBageImage &bag = toteBag(kClipartClip);
    if (mainImage.isMetafile()) {
        bag.SetPicture(mainImage);
    } else {
        // A bitmap, JPEG or GIF goes to the raster slot as decoded; no file
        // round trip is needed for a picture already in memory.
        RasterImage raster;
        raster.setBitmap(mainImage.image());
        bag.SetRasterFrom(raster);
    }
    showOnPanel(mainImage);
}

void ClipboardPanel::ClearCurrentClipboard()
{
    const int kind = currentClipboardKind();
    if (kind >= 1 && kind <= 3) {
        m_thumbs[kind - 1]->clear();
        toteBag(kind).clear();
    }
    m_imgTotebag->clear();
}

void ClipboardPanel::ClearallClipboards()
{
    for (PictureView *thumb : m_thumbs)
        thumb->clear();
    m_imgTotebag->clear();
    clearAllToteBags();
}

void ClipboardPanel::ClipBoardToEffects(int kind)
{
    if (kind < 1 || kind > 3)
        kind = currentClipboardKind();
    if (!m_preview)
        return;
    switch (kind) {
    case kAlphaClip:
    case kMixClip: {
        const TToteBageImage &bag = toteBag(kind);
        if (!bag.HasRaster)
            return;
        m_preview->showForRaster(bag.RasterHolder.Bitmap());
        return;
    }
    case kClipartClip: {
        // Opens in every case: on the raster when the thumbnail shows one,
        // else on the picture (an empty picture for an empty clipboard).
        const TToteBageImage &bag = toteBag(kClipartClip);
        const Picture &shown = m_imgTotebag->picture();
        if (!shown.isNull() && !shown.isMetafile() && bag.HasRaster) {
            m_preview->showForRaster(bag.RasterHolder.Bitmap());
            return;
        }
        if (shown.isMetafile() && bag.HasPicture)
            m_imgTotebag->setPicture(bag.PictureHolder);
        m_preview->showForPicture(m_imgTotebag->picture(), QStringLiteral("Preview Image/Change Effects"));
        return;
    }
    default:
        return;
    }
}

void ClipboardPanel::ClipBoardToPrint(int tag)
{
    if (tag < 0 || tag > 3 || !m_printShowing || !m_placeOnPrint || !m_printShowing())
        return;
    const int number = tag + 1;
    const TToteBageImage &bag = toteBag(number);
    QList<Picture> pictures;
    if (bag.HasRaster) {
        Picture raster;
        bag.RenderRasterTo(raster);
        if (!raster.isNull())
            pictures.append(raster);
    }
    if (bag.HasPicture)
        pictures.append(bag.PictureHolder);
    if (number == kWindowsClip && copiedImageShown() && !imgWidowClip()->isEmpty())
        pictures.append(imgWidowClip()->picture());
    if (!pictures.isEmpty())
        m_placeOnPrint(pictures);
}

bool ClipboardPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        if (watched == m_pnlClipAll) {
            ClipBoardToEffects(0);
            return true;
        }
        for (int i = 0; i < 3; ++i) {
            if (watched == m_thumbBoxes[i]) {
                ClipBoardToPrint(i);
                return true;
            }
        }
    }
    if (event->type() == QEvent::MouseMove && watched == m_thumbBoxes[0])
        m_thumbs[0]->update();
    return QObject::eventFilter(watched, event);
}

} // namespace vz
