#include "printpage/PageModel.h"

#include "common/Fitting.h"
#include "printpage/PageCommands.h"

#include <QSet>

#include <algorithm>

namespace vz {

namespace {

constexpr int kUndoSteps = 100;
// Each paste stands this far down and right of the picture before it.
constexpr int kPasteOffset = 10;

bool placeable(const Picture &p)
{
    return !p.isNull() && p.width() > 0 && p.height() > 0;
}

QString stepText(PlaceSource source)
{
    switch (source) {
    case PlaceSource::Paste: return QStringLiteral("Paste");
    case PlaceSource::Drop: return QStringLiteral("Drop");
    case PlaceSource::OpenImage: return QStringLiteral("Open Image");
    case PlaceSource::Clipboard: break;
    }
    return QStringLiteral("Add");
}

} // namespace

PageModel::PageModel(QObject *parent)
    : QObject(parent)
{
    m_undo.setUndoLimit(kUndoSteps);
}

PageModel::~PageModel()
{
    // The history (the last member, so its steps go before the objects they
    // name) empties itself when destroyed; its signals must not reach a
    // window that is itself half destroyed.
    m_undo.blockSignals(true);
}

// --- geometry ---------------------------------------------------------------

void PageModel::setGeometry(const PageGeometry &geometry)
{
    m_geometry = geometry;
    const int width = geometry.page.width();
    if (width <= 0)
        return;
    const int previous = m_pageWidth;
    m_pageWidth = width;
    if (previous == width)
        return;
    for (QList<PageObject> *list : {&m_pictures, &m_textBoxes}) {
        for (PageObject &o : *list) {
            if (previous == 0 || o.baseWidth <= 0) {
                // A page shown for the first time rescales nothing: what is
                // on it now belongs to this width.
                o.baseRect = o.rect;
                o.baseWidth = width;
            } else {
                applyBase(o);
                emit objectChanged(o.id);
            }
        }
    }
}

void PageModel::applyBase(PageObject &o)
{
    o.rect = rescaleRect(o.baseRect, o.baseWidth, m_pageWidth);
    if (o.textBox)
        o.textBox->setGeometry(o.rect);
}

// --- user commands ------------------------------------------------------------

PageObject PageModel::preparePicture(const Picture &picture, bool pastePending, QRect &copyRect)
{
    PageObject o;
    o.id = newId();
    o.type = PageObject::Type::Picture;
    o.picture = reducePictureForScreen(picture, m_screenWidth);

    const QSize page = pageSize();
    auto fitted = [&]() {
        // A page not laid out yet has nothing to fit into.
        if (page.width() <= 0 || page.height() <= 0)
            return QRect(QPoint(0, 0), o.picture.size());
        return fitPictureRect(o.picture.width(), o.picture.height(), QRect(QPoint(0, 0), page))
            .value_or(QRect(QPoint(0, 0), o.picture.size()));
    };

    QRect rect;
    if (pastePending) {
        // left + top + right + bottom, right and bottom just past the picture
        const int sum = copyRect.left() + copyRect.top() + (copyRect.left() + copyRect.width())
                        + (copyRect.top() + copyRect.height());
        if (sum <= 10) {
            rect = fitted();
        } else {
            copyRect.translate(kPasteOffset, kPasteOffset);
            rect = copyRect;
        }
    } else {
        rect = fitted();
    }
    o.rect = rect;
    o.baseRect = rect;
    o.baseWidth = m_pageWidth;
    return o;
}

QList<PageObjectId> PageModel::placePictures(const QList<Picture> &pictures, PlaceSource source)
{
    const CopyRectState before{m_copyRect, m_copyWidth};
    QRect copy = copyRect();
    QList<PageObject> objects;
    for (const Picture &p : pictures)
        if (placeable(p))
            objects.append(preparePicture(p, source == PlaceSource::Paste, copy));
    if (objects.isEmpty())
        return {};
    const CopyRectState after = copy == copyRect() ? before : CopyRectState{copy, m_pageWidth};
    auto *step = new AddObjectsCommand(*this, stepText(source), objects, before, after);
    const QList<PageObjectId> ids = step->ids();
    m_undo.push(step);
    return ids;
}

PageObjectId PageModel::placePicture(const Picture &picture, PlaceSource source)
{
    const QList<PageObjectId> ids = placePictures({picture}, source);
    return ids.isEmpty() ? kNoObject : ids.first();
}

PageObjectId PageModel::addTextBox(std::shared_ptr<PageTextBox> box)
{
    if (!box)
        return kNoObject;
    PageObject o;
    o.id = newId();
    o.type = PageObject::Type::TextBox;
    o.rect = box->geometry();
    o.baseRect = o.rect;
    o.baseWidth = m_pageWidth;
    o.tag = int(m_textBoxes.size());
    o.textBox = std::move(box);
    m_undo.push(new AddObjectsCommand(*this, QStringLiteral("New Text Box"), {o}));
    return o.id;
}

void PageModel::setObjectRect(PageObjectId id, const QRect &rect, RectChange change)
{
    const PageObject *o = object(id);
    if (!o || o->rect == rect)
        return;
    m_undo.push(new SetRectCommand(*this, id, rect, change));
}

void PageModel::deleteObject(PageObjectId id)
{
    if (contains(id))
        m_undo.push(new DeleteObjectCommand(*this, id));
}

bool PageModel::deleteKeyDeletes(PageObjectId id) const
{
    const PageObject *o = object(id);
    return o && !(o->textBox && o->textBox->hasKeyboardFocus());
}

bool PageModel::clearPage()
{
    if (isEmpty())
        return false;
    m_undo.push(new ClearPageCommand(*this));
    return true;
}

void PageModel::bringToFront(PageObjectId id)
{
    const PageObject *o = object(id);
    if (!o)
        return;
    // Already the top of its kind: nothing would change on screen.
    const QList<PageObjectId> &group = o->isTextBox() ? textBoxes() : pictures();
    const QList<PageObjectId> shown = stackingOrder();
    PageObjectId top = kNoObject;
    for (PageObjectId s : shown)
        if (group.contains(s))
            top = s;
    if (top == id)
        return;
    m_undo.push(new BringToFrontCommand(*this, id));
}

// --- direct access ---------------------------------------------------------------

PageObjectId PageModel::appendPictureAt(const Picture &picture, const QRect &rect, int tag)
{
    if (picture.isNull())
        return kNoObject;
    PageObjectSlot slot;
    slot.object.id = newId();
    slot.object.type = PageObject::Type::Picture;
    slot.object.picture = picture;
    slot.object.rect = rect;
    slot.object.baseRect = rect;
    slot.object.baseWidth = m_pageWidth;
    slot.object.tag = tag;
    insertObject(slot);
    return slot.object.id;
}

PageObjectId PageModel::appendTextBoxAt(std::shared_ptr<PageTextBox> box, const QRect &rect, int tag)
{
    if (!box)
        return kNoObject;
    PageObjectSlot slot;
    slot.object.id = newId();
    slot.object.type = PageObject::Type::TextBox;
    slot.object.rect = rect;
    slot.object.baseRect = rect;
    slot.object.baseWidth = m_pageWidth;
    slot.object.tag = tag < 0 ? int(m_textBoxes.size()) : tag;
    slot.object.textBox = std::move(box);
    insertObject(slot);
    return slot.object.id;
}

void PageModel::removeObject(PageObjectId id)
{
    takeObject(id);
}

void PageModel::replacePicture(PageObjectId id, const Picture &picture)
{
    PageObject *o = find(id);
    if (o && !o->isTextBox() && !picture.isNull())
        o->picture = picture;
}

void PageModel::removeAll()
{
    const QList<PageObjectId> ids = stackingOrder();
    for (auto it = ids.rbegin(); it != ids.rend(); ++it)
        takeObject(*it);
}

// --- reading ----------------------------------------------------------------------

const PageObject *PageModel::object(PageObjectId id) const
{
    return const_cast<PageModel *>(this)->find(id);
}

PageObject *PageModel::find(PageObjectId id)
{
    if (id == kNoObject)
        return nullptr;
    for (QList<PageObject> *list : {&m_pictures, &m_textBoxes})
        for (PageObject &o : *list)
            if (o.id == id)
                return &o;
    return nullptr;
}

PageObjectId PageModel::idOf(const PageTextBox *box) const
{
    for (const PageObject &o : m_textBoxes)
        if (o.textBox.get() == box)
            return o.id;
    return kNoObject;
}

QList<PageObjectId> PageModel::pictures() const
{
    QList<PageObjectId> ids;
    ids.reserve(m_pictures.size());
    for (const PageObject &o : m_pictures)
        ids.append(o.id);
    return ids;
}

QList<PageObjectId> PageModel::textBoxes() const
{
    QList<PageObjectId> ids;
    ids.reserve(m_textBoxes.size());
    for (const PageObject &o : m_textBoxes)
        ids.append(o.id);
    return ids;
}

QList<PageObjectId> PageModel::stackingOrder() const
{
    // Looked up by a set: a page of thousands of pictures asks for this on
    // every change.
    QSet<PageObjectId> boxIds;
    boxIds.reserve(m_textBoxes.size());
    for (const PageObject &o : m_textBoxes)
        boxIds.insert(o.id);
    QList<PageObjectId> order;
    QList<PageObjectId> boxes;
    order.reserve(m_stack.size());
    for (PageObjectId id : m_stack) {
        if (boxIds.contains(id))
            boxes.append(id);
        else
            order.append(id);
    }
    order.append(boxes);
    return order;
}

// --- building blocks ------------------------------------------------------------------

void PageModel::insertObject(const PageObjectSlot &slot)
{
    if (slot.object.id == kNoObject || contains(slot.object.id))
        return;
    QList<PageObject> &list = slot.object.isTextBox() ? m_textBoxes : m_pictures;
    const qsizetype at = slot.listIndex < 0 ? list.size() : std::min<qsizetype>(slot.listIndex, list.size());
    list.insert(at, slot.object);
    const qsizetype z = slot.stackIndex < 0 ? m_stack.size() : std::min<qsizetype>(slot.stackIndex, m_stack.size());
    m_stack.insert(z, slot.object.id);
    PageObject &o = list[at];
    if (o.baseWidth <= 0) {
        o.baseRect = o.rect;
        o.baseWidth = m_pageWidth;
    }
    applyBase(o);
    if (o.textBox)
        o.textBox->setOnPage(true);
    emit objectAdded(o.id);
    emit stackingChanged();
}

std::optional<PageObjectSlot> PageModel::takeObject(PageObjectId id)
{
    for (QList<PageObject> *list : {&m_pictures, &m_textBoxes}) {
        for (qsizetype i = 0; i < list->size(); ++i) {
            if ((*list)[i].id != id)
                continue;
            PageObjectSlot slot;
            slot.object = list->takeAt(i);
            slot.listIndex = int(i);
            slot.stackIndex = int(m_stack.indexOf(id));
            m_stack.removeAll(id);
            if (slot.object.textBox)
                slot.object.textBox->setOnPage(false);
            emit objectRemoved(id);
            emit stackingChanged();
            return slot;
        }
    }
    return std::nullopt;
}

void PageModel::setObjectBase(PageObjectId id, const QRect &baseRect, int baseWidth)
{
    PageObject *o = find(id);
    if (!o)
        return;
    o->baseRect = baseRect;
    o->baseWidth = baseWidth;
    applyBase(*o);
    emit objectChanged(id);
}

int PageModel::stackIndex(PageObjectId id) const
{
    return int(m_stack.indexOf(id));
}

void PageModel::moveInStack(PageObjectId id, int index)
{
    const qsizetype from = m_stack.indexOf(id);
    if (from < 0)
        return;
    const qsizetype to = std::clamp<qsizetype>(index, 0, m_stack.size() - 1);
    if (from == to)
        return;
    m_stack.move(from, to);
    emit stackingChanged();
}

void PageModel::setStackIds(const QList<PageObjectId> &ids)
{
    QList<PageObjectId> a = ids;
    QList<PageObjectId> b = m_stack;
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    if (a != b || ids == m_stack)
        return;
    m_stack = ids;
    emit stackingChanged();
}

} // namespace vz
