#pragma once

#include "imaging/Picture.h"
#include "printpage/LayoutFile.h"
#include "printpage/PageModel.h"

#include <QHash>
#include <QList>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

class QDropEvent;
class QKeyEvent;
class QLabel;
class QMenu;
class QPrinter;
class QToolButton;
class QUndoStack;

namespace vz {

class PrintDevice;
class PrintPageHost;
struct PagePrintOptions;
struct PagePrintResult;
class Ruler;
class TStretchHandle;
class TTextBox;
class TextBoxTool;
class TfrmImageSize;
class ImageSizeTarget;

// The print page window: a page of placed pictures and text boxes, embedded
// in the main window's "VZPrint" page while that page is shown. The page
// model holds the content and the undo history; the window shows each
// object as a control on `pnlPage` and turns the user's actions into the
// model's commands.
class TfrmPrint : public QWidget
{
    Q_OBJECT
public:
    explicit TfrmPrint(QWidget *parent = nullptr);
    ~TfrmPrint() override;

    void setHost(PrintPageHost *host) { m_host = host; }
    // The size dialog the page fills and opens.
    void setImageSizeDialog(TfrmImageSize *dialog);
    ImageSizeTarget *sizeTarget() const;
    // A fixed printer instead of the page's own (tests give a PDF printer).
    void setPrinter(QPrinter *printer);
    QPrinter *printer() const { return m_printer; }
    // Bitmaps wider than this are reduced when placed: device pixels of the
    // page's screen unless set; 0 reduces nothing.
    void setScreenWidth(int width);

    // Places the window borderless inside `host`, following its size, and
    // shows it.
    void embedInto(QWidget *host);
    // Hides the window (it lives until the program ends).
    void closePage();
    bool isShowing() const { return isVisible(); }

    // Keys the main window passes on while the print page is shown.
    void FormKeyDown(QKeyEvent *event);

    // Commands.
    void FormShow();
    void RefreshPage();
    // A clipboard thumbnail's pictures, placed as one step.
    void placePictures(const QList<Picture> &pictures, PlaceSource source = PlaceSource::Clipboard);
    void AddPicture(const Picture &picture) { placePictures({picture}); }
    // Places what a drop carries, its unreadable files named in one error box; false (and the
    // drop ignored) when it carries nothing the page takes.
    bool dropPictures(QDropEvent *event);
    void ClearPage();
    void DeleteImage();
    void Copyer();
    void Cut();
    void tofront();
    void PasteFromClipboard();
    void OpenImage();
    void SaveImage();
    // Layout files. SavePage returns whether a file was written; OpenPage
    // and ReadLayoutFile whether a file's page replaced the page (the load
    // got past its Clear), also when its body was damaged.
    bool SavePage();
    bool OpenPage();
    bool WriteLayoutFile(const QString &fileName);
    bool ReadLayoutFile(const QString &fileName);
    void StatusBar1Click();
    void ResiseClipBoardImage();
    void ClearSelection();
    // "Clear All Images": returns whether the page was cleared.
    bool btnClearClick();
    void undo();
    void redo();
    // "New TextBox" (the button and the popup item): ShowToolbar.
    void btnTextBoxClick();
    void btnPrintClick();
    void showTroubleshooting();
    // Printing, run by the print dialog. PrinterSetup: the system's printer
    // dialog for the page's printer, then the page follows it.
    void PrinterSetup();
    // The page on the page's printer, then the completion question; a
    // printing-system error raises PrintError.
    void PrintPage();
    // The page in a preview of the page's printer; `layoutChanged` runs when
    // its orientation or paper changed there.
    void PrintPreview(QWidget *parent, const std::function<void()> &layoutChanged = {});
    // The page as a PDF file chosen by the user; true when one was written.
    bool SaveAsPdf(QWidget *parent);

    // Selects an object (a click on a picture, or a text box).
    void selectObject(PageObjectId id);
    PageObjectId selectedObject() const { return m_selected; }

    PageModel &model() { return *m_model; }
    QUndoStack *undoStack() const;
    TStretchHandle *stretchHandle() const { return m_handle; }
    QWidget *pnlPage() const { return m_pnlPage; }
    QWidget *workArea() const { return m_pnlWork; }
    QMenu *popupMenu() const { return m_popup; }
    Ruler *horizontalRuler() const { return m_rulerH; }
    Ruler *verticalRuler() const { return m_rulerV; }
    Ruler *horizontalHighlight() const { return m_highlightH; }
    Ruler *verticalHighlight() const { return m_highlightV; }
    // The status panel texts: 0 width, 1 height, 2 top, 3 left.
    QString statusText(int panel) const;
    // The control showing an object (null when none).
    QWidget *control(PageObjectId id) const { return m_controls.value(id); }
    // The text of a paste that is waiting for the user to draw its box.
    QString pendingTextBoxText() const;

    // Text boxes (the tool does the work).
    TextBoxTool *textTool() const { return m_text; }
    void StartTextBox(const QString &presetText = QString());
    void ShowToolbar();
    void FontOptions();
    // Every text box as a picture on the page for printing; returns their
    // ids. Measured at `dpi`, by default the page's screen resolution.
    QList<PageObjectId> RenderTextBoxes(int dpi = 0);
    QList<TTextBox *> textBoxList() const;

Q_SIGNALS:
    // Each command announces itself ("Copyer", "DeleteImage", ...).
    void commandRun(const QString &name);

protected:
    void resizeEvent(QResizeEvent *e) override;
    void showEvent(QShowEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    class SizeTarget;

    void buildWindow();
    void buildPopup();
    QWidget *buildButtonColumn(QWidget *parent);
    void objectAdded(PageObjectId id);
    void objectRemoved(PageObjectId id);
    void objectChanged(PageObjectId id);
    void restack();
    // The readouts from a frame rectangle; `fromDrag` also sets the flag.
    void measure(const QRect &frame);
    void clearReadouts();
    void frameBoundsChanged(QWidget *control, const QRect &after, bool arrow);
    PageObjectId idOfControl(const QObject *control) const;
    const PageObject *selected() const;
    bool textBoxHasFocus() const;
    bool handleDrop(QEvent *event);
    void hideTextToolbar();
    void command(const char *name) { Q_EMIT commandRun(QLatin1String(name)); }
    // One run of the page printer on `device`: text boxes rendered first and
    // taken off again, the wait cursor shown, on every path.
    PagePrintResult printPageOnto(PrintDevice &device, const PagePrintOptions &options);
    // A layout file's page put on the (cleared) page.
    void placeLayout(DecodedLayout &layout);

    PrintPageHost *m_host = nullptr;
    TfrmImageSize *m_sizeDialog = nullptr;
    std::unique_ptr<SizeTarget> m_sizeTarget;
    std::unique_ptr<QPrinter> m_ownPrinter;
    QPrinter *m_printer = nullptr;
    bool m_screenWidthSet = false;
    std::unique_ptr<PageModel> m_model;
    QHash<PageObjectId, QWidget *> m_controls;
    // The stacking order the controls show (restack raises from where it differs).
    QList<PageObjectId> m_shownStack;
    PageObjectId m_selected = kNoObject;
    RectChange m_nextChange = RectChange::Drag;
    TextBoxTool *m_text = nullptr;
    QPointer<QWidget> m_embedHost;

    QWidget *m_pnlCenter = nullptr;
    QWidget *m_pnlTopRuler = nullptr;
    QWidget *m_pnlLeftRuler = nullptr;
    QWidget *m_pnlWork = nullptr;
    QWidget *m_pnlPage = nullptr;
    QWidget *m_textToolbar = nullptr;
    QWidget *m_statusBar = nullptr;
    QLabel *m_status[5] = {};
    Ruler *m_rulerH = nullptr;
    Ruler *m_rulerV = nullptr;
    Ruler *m_highlightH = nullptr;
    Ruler *m_highlightV = nullptr;
    TStretchHandle *m_handle = nullptr;
    QMenu *m_popup = nullptr;
};

} // namespace vz
