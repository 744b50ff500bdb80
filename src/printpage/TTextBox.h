#pragma once

#include "printpage/PageModel.h"
#include "printpage/TextBoxData.h"

#include <QColor>
#include <QFont>
#include <QMenu>
#include <QPointer>
#include <QTextEdit>

namespace vz {

// A text box on the print page: plain text on #F9F9F9, no scroll bars, the
// I-beam, a single frame or none. The page keeps it through `PageTextBox`
// (by shared pointer, so a deleted box lives on in the undo history).
// Its text is the program's, with CR LF between lines.
class TTextBox : public QTextEdit, public PageTextBox
{
    Q_OBJECT
public:
    explicit TTextBox(QWidget *parent = nullptr);
    ~TTextBox() override;

    // PageTextBox
    QRect geometry() const override { return QWidget::geometry(); }
    void setGeometry(const QRect &rect) override { QWidget::setGeometry(rect); }
    QString text() const override;
    void selectAll() override { QTextEdit::selectAll(); }
    bool hasKeyboardFocus() const override { return hasFocus(); }
    void setOnPage(bool onPage) override;
    QWidget *widget() const override { return const_cast<TTextBox *>(this); }

    // Lines separated by CR LF, LF or CR; nothing is reported as typed.
    void setBoxText(const QString &text);

    // Everything the box is, as a value, and back (bounds and text too).
    TextBoxData data() const;
    void apply(const TextBoxData &data);
    // The look only: font, colour, charset, alignment, border, tag.
    void applyFormat(const TextBoxData &format);
    const TextBoxData &format() const { return m_format; }

    int alignmentValue() const { return m_format.alignment; }
    bool borderFlag() const { return m_format.borderFlag; }
    bool borderStyle() const { return m_format.borderSingle; }
    int tag() const { return m_format.tag; }
    void setTag(int tag) { m_format.tag = tag; }

    // Ends a stretch of typing now (as losing the focus does): reports the
    // text edited since the stretch began, if it changed.
    void commitTyping();
    // The text at the start of the present stretch of typing.
    QString textAtFocus() const { return m_textAtFocus; }

    // The page's popup menu, shown on a right click.
    void setPopupMenu(QMenu *menu) { m_popup = menu; }

Q_SIGNALS:
    // The text changed between gaining and losing the focus.
    void textEdited(const QString &before, const QString &after);
    // Any change the user typed (not a text set by the program).
    void typed();

protected:
    void focusInEvent(QFocusEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;
    void contextMenuEvent(QContextMenuEvent *e) override;

private:
    void showFormat();

    TextBoxData m_format; // bounds and text are the widget's own
    bool m_loading = false;
    QString m_textAtFocus;
    bool m_focused = false;
    QPointer<QMenu> m_popup;
};

// The alignment values of the edit control as Qt alignments and back.
Qt::Alignment qtAlignment(int alignment);

} // namespace vz
