#include "printpage/TextBoxCommands.h"

#include "printpage/TTextBox.h"

#include <QTextCursor>
#include <QTextDocument>

namespace vz {

namespace {
constexpr int kFormatMergeBase = 0x5446; // "TF"
} // namespace

TTextBox *textBoxOf(PageModel &model, PageObjectId id)
{
    const PageObject *o = model.object(id);
    return o && o->textBox ? dynamic_cast<TTextBox *>(o->textBox.get()) : nullptr;
}

TextBoxFormatCommand::TextBoxFormatCommand(PageModel &model, PageObjectId id, TextBoxProperty property,
                                           const TextBoxData &before, const TextBoxData &after)
    : PageCommand(model, QStringLiteral("Format Text Box"))
    , m_id(id)
    , m_property(property)
    , m_before(before)
    , m_after(after)
{
}

int TextBoxFormatCommand::id() const { return kFormatMergeBase + int(m_property); }

bool TextBoxFormatCommand::mergeWith(const QUndoCommand *other)
{
    const auto *next = dynamic_cast<const TextBoxFormatCommand *>(other);
    if (!next || next->m_id != m_id || next->m_property != m_property)
        return false;
    m_after = next->m_after;
    // A toggle pressed twice changes nothing: the step goes.
    if (m_after == m_before)
        setObsolete(true);
    return true;
}

void TextBoxFormatCommand::doRedo()
{
    if (TTextBox *box = textBoxOf(m_model, m_id))
        box->applyFormat(m_after);
    m_model.requestSelection(m_model.contains(m_id) ? m_id : kNoObject);
}

void TextBoxFormatCommand::doUndo()
{
    if (TTextBox *box = textBoxOf(m_model, m_id))
        box->applyFormat(m_before);
    m_model.requestSelection(m_model.contains(m_id) ? m_id : kNoObject);
}

TextBoxTextCommand::TextBoxTextCommand(PageModel &model, PageObjectId id, const QString &before, const QString &after)
    : PageCommand(model, QStringLiteral("Typing"))
    , m_id(id)
    , m_before(before)
    , m_after(after)
{
}

void TextBoxTextCommand::setText(const QString &text)
{
    TTextBox *box = textBoxOf(m_model, m_id);
    if (!box)
        return;
    // The first redo finds the text already typed: the caret stays.
    if (box->text() != text) {
        box->setBoxText(text);
        box->moveCursor(QTextCursor::End);
    }
    box->document()->clearUndoRedoStacks();
}

void TextBoxTextCommand::doRedo()
{
    setText(m_after);
    // Pushed when the box loses the focus, often to another object being
    // selected: only undo and redo select the box.
    if (m_done)
        m_model.requestSelection(m_model.contains(m_id) ? m_id : kNoObject);
    m_done = true;
}

void TextBoxTextCommand::doUndo()
{
    setText(m_before);
    m_model.requestSelection(m_model.contains(m_id) ? m_id : kNoObject);
}

} // namespace vz
