#pragma once

#include "imaging/Picture.h"
#include "printpage/PageGeometry.h"

#include <QList>
#include <QObject>
#include <QRect>
#include <QString>
#include <QUndoStack>

#include <memory>
#include <optional>

class QWidget;

namespace vz {

// Objects on the page are named by ids that stay valid across undo and redo.
using PageObjectId = quint64;
constexpr PageObjectId kNoObject = 0;

// A text box as the page sees it. The text-box control implements it; the
// page keeps the boxes by shared pointer, so a deleted box lives on in the
// undo history and comes back as it was.
class PageTextBox
{
public:
    virtual ~PageTextBox() = default;

    virtual QRect geometry() const = 0;       // page pixels
    virtual void setGeometry(const QRect &rect) = 0;
    virtual QString text() const = 0;
    // Selects all of the text (the Copy command copies it from there).
    virtual void selectAll() = 0;
    // Typing goes to the box: Delete, Paste and Undo are then the box's own.
    virtual bool hasKeyboardFocus() const = 0;
    // The box is put on the page (shown) or taken off it (hidden, kept).
    virtual void setOnPage(bool onPage) = 0;
    // The control itself, for the window; null for stand-ins.
    virtual QWidget *widget() const { return nullptr; }
};

// One placed object: a picture or a text box. The rectangle is the one shown
// now; `baseRect` is the rectangle as last set and `baseWidth` the page width
// it was set at; rescaling always starts from those.
struct PageObject
{
    enum class Type { Picture, TextBox };

    PageObjectId id = kNoObject;
    Type type = Type::Picture;
    Picture picture;
    std::shared_ptr<PageTextBox> textBox;
    QRect rect;
    QRect baseRect;
    int baseWidth = 0;
    int tag = 0; // text boxes: index in the text-box list when created; pictures rendered from boxes: the box's tag

    bool isTextBox() const { return type == Type::TextBox; }
};

// Where an object stood, so that removing it can be undone exactly.
struct PageObjectSlot
{
    PageObject object;
    int listIndex = -1;  // in the picture list (print order) or the text-box list
    int stackIndex = -1; // in the stacking order, bottom = 0
};

// The remembered copy rectangle and the page width it was set at.
struct CopyRectState
{
    QRect rect;
    int pageWidth = 0;
    friend bool operator==(const CopyRectState &, const CopyRectState &) = default;
};

// How a picture reaches the page.
enum class PlaceSource {
    Clipboard, // a clipboard thumbnail: reduced, fitted
    Paste,     // the system clipboard: reduced, placed beside the copied picture
    Drop,      // dropped files or cells: as a clipboard thumbnail
    OpenImage, // a picture file: as a clipboard thumbnail
};

// What a change of an object's rectangle came from (arrow moves of one
// object merge into one undo step).
enum class RectChange { Drag, Arrow, SizeDialog };

// The print page's content: pictures in print order, text boxes in creation
// order, the stacking order on screen, the remembered copy rectangle and the
// undo history. No widgets: the page window shows what this holds and
// follows its signals.
class PageModel : public QObject
{
    Q_OBJECT
public:
    explicit PageModel(QObject *parent = nullptr);
    ~PageModel() override;

    // --- geometry -------------------------------------------------------
    // Takes a new page geometry. When the page width changes from a non-zero
    // one, every object is rescaled from its base rectangle (no undo step,
    // no page-changed flag).
    void setGeometry(const PageGeometry &geometry);
    const PageGeometry &geometry() const { return m_geometry; }
    QSize pageSize() const { return m_geometry.page.size(); }
    int pageWidth() const { return m_pageWidth; }

    // Width of the page's screen in device pixels; bitmaps wider than it
    // are reduced when placed. 0 reduces nothing.
    void setScreenWidth(int devicePixels) { m_screenWidth = devicePixels; }
    int screenWidth() const { return m_screenWidth; }

    // --- user commands (each is one undo step and sets the page-changed flag)
    // Places pictures as one undo step, in list order; empty pictures are
    // skipped. Returns the ids placed (empty when none was).
    QList<PageObjectId> placePictures(const QList<Picture> &pictures, PlaceSource source);
    PageObjectId placePicture(const Picture &picture, PlaceSource source);
    // A text box drawn by the user, at its own geometry.
    PageObjectId addTextBox(std::shared_ptr<PageTextBox> box);
    // Gives an object a new rectangle (frame drag, arrow key, size dialog).
    void setObjectRect(PageObjectId id, const QRect &rect, RectChange change);
    void deleteObject(PageObjectId id);
    // The Delete key deletes the selected object, except a text box that
    // has the keyboard focus: there the key edits the text.
    bool deleteKeyDeletes(PageObjectId id) const;
    // Takes everything off the page as one undo step; returns whether
    // there was anything. The caller clears the page-changed flag.
    bool clearPage();
    void bringToFront(PageObjectId id);

    QUndoStack *undoStack() { return &m_undo; }
    // A new page (a layout loaded): forget the history.
    void clearHistory() { m_undo.clear(); }

    // --- copy rectangle ----------------------------------------------------
    // Copy remembers the copied picture's rectangle; each Paste places the
    // next picture 10 pixels further down and right. Like the objects, it
    // follows the page when the page is rescaled.
    void setCopyRect(const QRect &rect) { setCopyRectBase(rect, m_pageWidth); }
    QRect copyRect() const { return rescaleRect(m_copyRect, m_copyWidth, m_pageWidth); }
    void setCopyRectBase(const QRect &rect, int pageWidth)
    {
        m_copyRect = rect;
        m_copyWidth = pageWidth;
    }
    QRect copyRectBase() const { return m_copyRect; }
    int copyRectWidth() const { return m_copyWidth; }

    // --- direct access (layout reading, text-box rendering, printing) -----
    // Appends a picture at exactly `rect`: no reduction, no fitting, no undo
    // step, no page-changed flag.
    PageObjectId appendPictureAt(const Picture &picture, const QRect &rect, int tag = 0);
    // A text box's tag is its index in the list unless given (a layout
    // stores the tag each box was created with).
    PageObjectId appendTextBoxAt(std::shared_ptr<PageTextBox> box, const QRect &rect, int tag = -1);
    // Takes an object off the page, likewise without undo or flag.
    void removeObject(PageObjectId id);
    // Takes everything off the page without undo or flag (a layout replaces it).
    void removeAll();
    // Gives a placed picture another form of itself (printing's 24-bit
    // conversion), likewise without undo or flag.
    void replacePicture(PageObjectId id, const Picture &picture);

    // --- reading ------------------------------------------------------------
    const PageObject *object(PageObjectId id) const;
    bool contains(PageObjectId id) const { return object(id) != nullptr; }
    PageObjectId idOf(const PageTextBox *box) const;
    QList<PageObjectId> pictures() const;   // print order
    QList<PageObjectId> textBoxes() const;  // text-box list order
    // Bottom to top as shown: pictures in their stacking order, then text
    // boxes in theirs, so boxes always stand above pictures.
    QList<PageObjectId> stackingOrder() const;
    bool isEmpty() const { return m_pictures.isEmpty() && m_textBoxes.isEmpty(); }

    // --- building blocks of the undo commands --------------------------------
    PageObjectId newId() { return m_nextId++; }
    // A new picture object as placing makes it: reduced for the screen and
    // fitted or placed beside the copy rectangle (not yet on the page).
    // `copyRect` is advanced when it was used.
    PageObject preparePicture(const Picture &picture, bool pastePending, QRect &copyRect);
    void insertObject(const PageObjectSlot &slot);
    std::optional<PageObjectSlot> takeObject(PageObjectId id);
    // Sets the base rectangle and the page width it belongs to; the shown
    // rectangle follows for the present page width.
    void setObjectBase(PageObjectId id, const QRect &baseRect, int baseWidth);
    int stackIndex(PageObjectId id) const;
    void moveInStack(PageObjectId id, int index);
    // The stacking order of every object, bottom to top, as kept (text
    // boxes and pictures interleaved); setting it takes only a reordering
    // of the objects present.
    QList<PageObjectId> stackIds() const { return m_stack; }
    void setStackIds(const QList<PageObjectId> &ids);
    // Asks the window to select an object (kNoObject: clear the selection).
    // Undo steps ask after every redo and undo, also when pushed, so the
    // window must take a request for the selected object calmly.
    void requestSelection(PageObjectId id) { emit selectionRequested(id); }

signals:
    void objectAdded(vz::PageObjectId id);
    void objectRemoved(vz::PageObjectId id);
    void objectChanged(vz::PageObjectId id); // rectangle changed
    void stackingChanged();
    void selectionRequested(vz::PageObjectId id);

private:
    PageObject *find(PageObjectId id);
    void applyBase(PageObject &o);

    PageGeometry m_geometry;
    int m_pageWidth = 0;
    int m_screenWidth = 0;
    QRect m_copyRect;
    int m_copyWidth = 0;
    QList<PageObject> m_pictures;  // print order
    QList<PageObject> m_textBoxes; // creation order
    QList<PageObjectId> m_stack;   // bottom to top
    PageObjectId m_nextId = 1;
    QUndoStack m_undo;
};

// A bitmap wider than the screen reduced by the whole factor width div
// screen width through the DIB resampler; every other picture, a factor of
// 1, a screen width of 0 or a resampler refusal gives the picture back as
// it is.
Picture reducePictureForScreen(const Picture &picture, int screenWidth);

} // namespace vz
