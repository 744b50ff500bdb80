#pragma once

#include "printpage/PageModel.h"
#include "printpage/TextBoxCommands.h"

#include <QList>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QString>

#include <functional>
#include <memory>

class QWidget;

namespace vz {

class TTextBox;
class TextToolbar;
class TfrmPrint;

// A text box being drawn: its control, not yet on the page, the text it
// starts with (a paste), and the rectangle from press to release.
struct TNewTextBox
{
    std::shared_ptr<TTextBox> box;
    QString text;
    QPoint press;
    bool pressed = false;
};

// The text boxes of the print page: drawing new ones, selecting them, the
// toolbar and the font dialog, turning them into pictures for printing.
// The page window owns it and hands it the page's mouse events.
class TextBoxTool : public QObject
{
    Q_OBJECT
public:
    explicit TextBoxTool(TfrmPrint &page);
    ~TextBoxTool() override;

    TextToolbar *toolbar() const { return m_toolbar; }

    // A new box waits to be drawn (drawing mode); a new start replaces a
    // waiting box, and its text is the new one's.
    void StartTextBox(const QString &presetText = QString());
    // "New TextBox": the toolbar floats where the frame stands, then a box
    // is started.
    void ShowToolbar();
    // A press inside a box: the box is selected and the toolbar loaded from it.
    void pnlPageDblClick(TTextBox *box);
    void FontOptions();
    // Gives the selected box the keyboard focus.
    void EditTextBox();
    // Every box as a picture on the page, in list order, with its tag:
    // no undo step, no page-changed flag. Returns the pictures' ids.
    QList<PageObjectId> RenderTextBoxes(int dpi);

    bool drawingMode() const { return m_pending != nullptr; }
    QString pendingText() const { return m_pending ? m_pending->text : QString(); }
    // The selected object when it is a text box.
    TTextBox *selectedBox() const;
    // The text boxes in list order.
    QList<TTextBox *> textBoxes() const;

    void hideToolbar();
    // Ends the typing in a focused box, so a command that follows comes
    // after it in the history.
    void commitTyping();

    // The page's mouse events while drawing (press, move, release on the
    // page or anything on it); true when taken.
    bool pageMouseEvent(QObject *watched, QEvent *event);

    // A box read from a layout file, at its stored bounds and tag: no undo
    // step, no page-changed flag.
    PageObjectId appendTextBox(const TextBoxData &data);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void boxAdded(PageObjectId id);
    void placeTextBox(const QPoint &from, const QPoint &to);
    void showToolbarAtFrame();
    void loadToolbar(const TTextBox &box);
    void changeFormat(TextBoxProperty property, const std::function<void(TextBoxData &)> &change);
    bool onPage(QObject *watched) const;

    TfrmPrint &m_page;
    TextToolbar *m_toolbar = nullptr;
    std::unique_ptr<TNewTextBox> m_pending;
    QPointer<QWidget> m_overlay;
};

// A drawn rectangle as a box's bounds: either way round, and no side under
// the frame's minimum of 5 pixels (a click without a drag).
QRect normalisedTextBoxRect(const QPoint &press, const QPoint &release);

} // namespace vz
