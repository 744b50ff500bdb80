#include "printpage/PageCommands.h"

#include "common/PageChanged.h"

#include <algorithm>

namespace vz {

namespace {
// Arrow-key moves of one object make one step.
constexpr int kArrowMergeId = 0x5643; // "VC"
} // namespace

PageCommand::PageCommand(PageModel &model, const QString &text)
    : m_model(model)
{
    setText(text);
}

void PageCommand::redo()
{
    doRedo();
    setPageChanged(true);
}

void PageCommand::undo()
{
    doUndo();
    setPageChanged(true);
}

// --- add --------------------------------------------------------------------------

AddObjectsCommand::AddObjectsCommand(PageModel &model, const QString &text, QList<PageObject> objects,
                                     CopyRectState copyBefore, CopyRectState copyAfter)
    : PageCommand(model, text)
    , m_objects(std::move(objects))
    , m_copyBefore(copyBefore)
    , m_copyAfter(copyAfter)
{
}

QList<PageObjectId> AddObjectsCommand::ids() const
{
    QList<PageObjectId> ids;
    for (const PageObject &o : m_objects)
        ids.append(o.id);
    return ids;
}

void AddObjectsCommand::doRedo()
{
    for (const PageObject &o : m_objects) {
        PageObjectSlot slot;
        slot.object = o;
        m_model.insertObject(slot);
    }
    if (m_copyBefore != m_copyAfter)
        m_model.setCopyRectBase(m_copyAfter.rect, m_copyAfter.pageWidth);
    m_model.requestSelection(m_objects.isEmpty() ? kNoObject : m_objects.last().id);
}

void AddObjectsCommand::doUndo()
{
    for (auto it = m_objects.rbegin(); it != m_objects.rend(); ++it)
        if (auto slot = m_model.takeObject(it->id))
            *it = slot->object; // keep what it became (its base may have been rescaled from)
    if (m_copyBefore != m_copyAfter)
        m_model.setCopyRectBase(m_copyBefore.rect, m_copyBefore.pageWidth);
    m_model.requestSelection(kNoObject);
}

// --- rectangle ----------------------------------------------------------------------

SetRectCommand::SetRectCommand(PageModel &model, PageObjectId id, const QRect &rect, RectChange change)
    : PageCommand(model, change == RectChange::SizeDialog ? QStringLiteral("Size")
                         : change == RectChange::Arrow   ? QStringLiteral("Move")
                                                         : QStringLiteral("Move or Resize"))
    , m_id(id)
    , m_change(change)
    , m_newBase(rect)
    , m_newWidth(model.pageWidth())
{
    if (const PageObject *o = model.object(id)) {
        m_oldBase = o->baseRect;
        m_oldWidth = o->baseWidth;
    }
}

int SetRectCommand::id() const
{
    return m_change == RectChange::Arrow ? kArrowMergeId : -1;
}

bool SetRectCommand::mergeWith(const QUndoCommand *other)
{
    const auto *next = dynamic_cast<const SetRectCommand *>(other);
    if (!next || next->m_id != m_id || next->m_change != RectChange::Arrow || m_change != RectChange::Arrow)
        return false;
    m_newBase = next->m_newBase;
    m_newWidth = next->m_newWidth;
    return true;
}

void SetRectCommand::doRedo()
{
    m_model.setObjectBase(m_id, m_newBase, m_newWidth);
    m_model.requestSelection(m_model.contains(m_id) ? m_id : kNoObject);
}

void SetRectCommand::doUndo()
{
    m_model.setObjectBase(m_id, m_oldBase, m_oldWidth);
    m_model.requestSelection(m_model.contains(m_id) ? m_id : kNoObject);
}

// --- delete ---------------------------------------------------------------------------

DeleteObjectCommand::DeleteObjectCommand(PageModel &model, PageObjectId id)
    : PageCommand(model, QStringLiteral("Delete"))
    , m_id(id)
{
}

void DeleteObjectCommand::doRedo()
{
    m_slot = m_model.takeObject(m_id);
    m_model.requestSelection(kNoObject);
}

void DeleteObjectCommand::doUndo()
{
    if (!m_slot)
        return;
    m_model.insertObject(*m_slot);
    m_slot.reset();
    m_model.requestSelection(m_id);
}

// --- clear ------------------------------------------------------------------------------

ClearPageCommand::ClearPageCommand(PageModel &model)
    : PageCommand(model, QStringLiteral("Clear"))
{
}

void ClearPageCommand::doRedo()
{
    m_stack = m_model.stackIds();
    m_slots.clear();
    // Taken from the end of each list, so every recorded index is the one
    // it is restored to when put back from the front.
    for (const QList<PageObjectId> &list : {m_model.textBoxes(), m_model.pictures()})
        for (auto it = list.rbegin(); it != list.rend(); ++it)
            if (auto slot = m_model.takeObject(*it))
                m_slots.append(*slot);
    m_model.requestSelection(kNoObject);
}

void ClearPageCommand::doUndo()
{
    for (auto it = m_slots.rbegin(); it != m_slots.rend(); ++it) {
        PageObjectSlot slot = *it;
        slot.stackIndex = -1; // the whole stacking order is put back below
        m_model.insertObject(slot);
    }
    m_model.setStackIds(m_stack);
    m_slots.clear();
    m_model.requestSelection(kNoObject);
}

// --- bring to front -----------------------------------------------------------------------

BringToFrontCommand::BringToFrontCommand(PageModel &model, PageObjectId id)
    : PageCommand(model, QStringLiteral("Bring to Front"))
    , m_id(id)
{
}

void BringToFrontCommand::doRedo()
{
    m_oldIndex = m_model.stackIndex(m_id);
    m_model.moveInStack(m_id, int(m_model.stackIds().size()) - 1);
    m_model.requestSelection(m_model.contains(m_id) ? m_id : kNoObject);
}

void BringToFrontCommand::doUndo()
{
    if (m_oldIndex >= 0)
        m_model.moveInStack(m_id, m_oldIndex);
    m_model.requestSelection(m_model.contains(m_id) ? m_id : kNoObject);
}

} // namespace vz
