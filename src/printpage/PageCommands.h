#pragma once

#include "printpage/PageModel.h"

#include <QList>
#include <QRect>
#include <QUndoCommand>

namespace vz {

// The print page's undo steps. They name objects by id, so they stay
// exact however often the page is rescaled in between. Every redo and undo
// marks the page changed and asks the window to select the object concerned.
class PageCommand : public QUndoCommand
{
public:
    PageCommand(PageModel &model, const QString &text);
    void redo() final;
    void undo() final;

protected:
    virtual void doRedo() = 0;
    virtual void doUndo() = 0;
    PageModel &m_model;
};

// Add, Paste, Drop, Open Image: new objects appended to the page.
class AddObjectsCommand : public PageCommand
{
public:
    // `copyBefore`/`After`: the remembered copy rectangle around a paste.
    AddObjectsCommand(PageModel &model, const QString &text, QList<PageObject> objects,
                      CopyRectState copyBefore = {}, CopyRectState copyAfter = {});
    QList<PageObjectId> ids() const;

protected:
    void doRedo() override;
    void doUndo() override;

private:
    QList<PageObject> m_objects;
    CopyRectState m_copyBefore;
    CopyRectState m_copyAfter;
};

// Move, resize, arrow keys, the size dialog's OK: a new base rectangle.
class SetRectCommand : public PageCommand
{
public:
    SetRectCommand(PageModel &model, PageObjectId id, const QRect &rect, RectChange change);
    int id() const override;
    bool mergeWith(const QUndoCommand *other) override;

protected:
    void doRedo() override;
    void doUndo() override;

private:
    PageObjectId m_id;
    RectChange m_change;
    QRect m_oldBase;
    int m_oldWidth = 0;
    QRect m_newBase;
    int m_newWidth = 0;
};

// Delete (and the delete half of Cut): the object comes back at its place
// in its list and in the stacking order.
class DeleteObjectCommand : public PageCommand
{
public:
    DeleteObjectCommand(PageModel &model, PageObjectId id);

protected:
    void doRedo() override;
    void doUndo() override;

private:
    PageObjectId m_id;
    std::optional<PageObjectSlot> m_slot;
};

// Clear: everything comes back in print order and stacking order.
class ClearPageCommand : public PageCommand
{
public:
    explicit ClearPageCommand(PageModel &model);

protected:
    void doRedo() override;
    void doUndo() override;

private:
    QList<PageObjectSlot> m_slots;
    QList<PageObjectId> m_stack;
};

class BringToFrontCommand : public PageCommand
{
public:
    BringToFrontCommand(PageModel &model, PageObjectId id);

protected:
    void doRedo() override;
    void doUndo() override;

private:
    PageObjectId m_id;
    int m_oldIndex = -1;
};

} // namespace vz
