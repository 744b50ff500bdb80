#pragma once

#include "printpage/PageCommands.h"
#include "printpage/TextBoxData.h"

namespace vz {

class TTextBox;

// What one format step changed; consecutive steps of one property of one box
// make one undo step.
enum class TextBoxProperty { Bold, Italic, Underline, FontName, FontSize, Border, Alignment, FontDialog };

// The box found by its id (null when it is not on the page or no TTextBox).
TTextBox *textBoxOf(PageModel &model, PageObjectId id);

// A change of a box's look (font, style, colour, border, alignment).
class TextBoxFormatCommand : public PageCommand
{
public:
    TextBoxFormatCommand(PageModel &model, PageObjectId id, TextBoxProperty property, const TextBoxData &before,
                         const TextBoxData &after);
    int id() const override;
    bool mergeWith(const QUndoCommand *other) override;

protected:
    void doRedo() override;
    void doUndo() override;

private:
    PageObjectId m_id;
    TextBoxProperty m_property;
    TextBoxData m_before;
    TextBoxData m_after;
};

// One stretch of typing in a box, from gaining the focus to losing it. It
// holds only the text; the box's own history is emptied so the two never
// disagree.
class TextBoxTextCommand : public PageCommand
{
public:
    TextBoxTextCommand(PageModel &model, PageObjectId id, const QString &before, const QString &after);

protected:
    void doRedo() override;
    void doUndo() override;

private:
    void setText(const QString &text);

    PageObjectId m_id;
    QString m_before;
    QString m_after;
    bool m_done = false;
};

} // namespace vz
