#pragma once

#include "imaging/Picture.h"
#include "imaging/FormEnlarge.h"

#include <QObject>

#include <functional>

class QLabel;
class QWidget;

namespace vz {

class PictureView;
class TEnlargedView;

// The clipboard side panel (label, frame and thumbnail of the current page's
// clipboard) and the four clipboard thumbnails of the lower page "Print".
// The clipboards themselves are the process-wide TToteBageImage objects
// (ToteBags.h); this class shows them and runs the commands on them.
//
// Pages send their results here: SendToalphaClipBoard, SendMixToClip and
// btnSendtoClipartClipClick. The preview window opens on a clipboard through
// ClipBoardToEffects and writes back through the EnlargedViewHost calls.
class ClipboardPanel : public QObject, public EnlargedViewHost
{
    Q_OBJECT
public:
    ClipboardPanel(QWidget *panelContent, QWidget *printLowerPage, QObject *parent = nullptr);

    // Where the panel learns which pages are shown (the main window's page
    // names); without it the current kind is 0.
    void setPageNames(std::function<QString()> mainPage, std::function<QString()> lowerPage);
    // The preview window ClipBoardToEffects opens.
    void setPreviewWindow(TEnlargedView *view) { m_preview = view; }
    // The print page: whether its window is showing, and how a click's
    // pictures are placed on it (all of them at once, in the clipboard's
    // order). Unset, clicks on the print-panel thumbnails do nothing.
    void setPrintPage(std::function<bool()> showing, std::function<void(const QList<Picture> &)> place);

    QLabel *lblClipboardName() const { return m_lblClipboardName; }
    QWidget *pnlClipColor() const { return m_pnlClipColor; }
    QWidget *pnlClipAll() const { return m_pnlClipAll; }
    PictureView *imgTotebag() const { return m_imgTotebag; }
    // The print-panel thumbnail of clipboard 1..4 (ImgAlphaClip,
    // imgClipartClip, imgMixMatchClip, imgWidowClip).
    PictureView *thumbnail(int number) const;
    PictureView *imgWidowClip() const { return thumbnail(4); }

    // Shows the current page's clipboard in the side panel (kinds 1 to 3).
    void RefreshClipboardPanel();
    // Redraws the four print-panel thumbnails from their clipboards (the
    // print page and the enhancements page do this when shown).
    void refreshThumbnails();
    // Fits the print-panel thumbnails into their boxes; empties those of
    // clipboards that hold nothing.
    void ResiseClipBoardImage();
    // Puts a copied picture on the "Windows" thumbnail and sets CopiedImageShown.
    void showWindowsPicture(const Picture &picture);

    // A page's result arrives. The file is the rendered result; the caller
    // deletes it afterwards. Errors of reading it are raised and the
    // clipboard keeps what it held.
    void SendToalphaClipBoard(const QString &renderedFile, bool metafileAlphabet);
    void SendMixToClip(const QString &renderedFile);
    // The clip-art page's send button with the picture of MainImage.
    void btnSendtoClipartClipClick(const Picture &mainImage);

    // EnlargedViewHost
    int currentClipboardKind() const override;
    bool clipartPageShown() const override;
    PictureView *panelThumbnail() override { return m_imgTotebag; }
    void fitPanelThumbnail() override;
    void showCopiedPicture(const Picture &picture) override { showWindowsPicture(picture); }

public Q_SLOTS:
    void ClearCurrentClipboard();
    void ClearallClipboards();
    // Opens the preview window on a clipboard: `kind` 1..3, or 0 for the
    // current one (the toolbar, Ctrl+Z and the white box).
    void ClipBoardToEffects(int kind = 0);
    // Places a clipboard's images on the print page; `tag` 0..3 = clipboards 1..4.
    void ClipBoardToPrint(int tag);

Q_SIGNALS:
    // A page sent a result: the clipboard panel is to be expanded.
    void expandRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The raster, cut or widened to 800 pixels for clipboards 1 and 3, with
    // a held picture over it; an empty picture when the clipboard holds nothing.
    static Picture thumbnailPicture(int number);
    void fitInto(PictureView *thumb);
    void showOnPanel(const Picture &picture);

    QLabel *m_lblClipboardName;
    QWidget *m_pnlClipColor;
    QWidget *m_pnlClipAll;
    PictureView *m_imgTotebag;
    PictureView *m_thumbs[4] = {};
    QWidget *m_thumbBoxes[4] = {};
    TEnlargedView *m_preview = nullptr;
    std::function<QString()> m_mainPage;
    std::function<QString()> m_lowerPage;
    std::function<bool()> m_printShowing;
    std::function<void(const QList<Picture> &)> m_placeOnPrint;
};

} // namespace vz
