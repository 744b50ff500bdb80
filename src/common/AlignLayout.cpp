#include "common/AlignLayout.h"

#include <QWidget>
#include <QWidgetItem>

namespace vz {

AlignLayout::AlignLayout(QWidget *parent)
    : QLayout(parent)
{
    setContentsMargins(0, 0, 0, 0);
    setSpacing(0);
    setSizeConstraint(QLayout::SetNoConstraint);
}

AlignLayout::~AlignLayout()
{
    while (QLayoutItem *item = takeAt(0))
        delete item;
}

AlignLayout *AlignLayout::of(QWidget *parent)
{
    return parent ? qobject_cast<AlignLayout *>(parent->layout()) : nullptr;
}

Align AlignLayout::alignOf(const QWidget *w)
{
    if (AlignLayout *l = of(w->parentWidget()))
        if (const Spec *s = l->spec(const_cast<QWidget *>(w)))
            return s->align;
    return Align::None;
}

int AlignLayout::anchorsOf(const QWidget *w)
{
    if (AlignLayout *l = of(w->parentWidget()))
        if (const Spec *s = l->spec(const_cast<QWidget *>(w)))
            return s->anchors;
    return AnchorsDefault;
}

int impliedAnchors(Align align)
{
    switch (align) {
    case Align::Top: return AnchorLeft | AnchorTop | AnchorRight;
    case Align::Bottom: return AnchorLeft | AnchorBottom | AnchorRight;
    case Align::Left: return AnchorLeft | AnchorTop | AnchorBottom;
    case Align::Right: return AnchorRight | AnchorTop | AnchorBottom;
    case Align::Client: return AnchorsAll;
    case Align::None: break;
    }
    return AnchorsDefault;
}

void AlignLayout::addWidget(QWidget *w, Align align, const QRect &design, int anchors)
{
    if (anchors == AnchorsImplied)
        anchors = impliedAnchors(align);
    if (parentWidget() && w->parentWidget() != parentWidget())
        w->setParent(parentWidget());
    Spec s;
    s.widget = w;
    s.align = align;
    s.anchors = anchors;
    s.rect = design.isNull() ? w->geometry() : design;
    s.base = m_designSize.isValid() ? m_designSize : clientSize();
    m_specs.append(s);
    m_items.append(new QWidgetItem(w));
    invalidate();
    if (parentWidget())
        setGeometry(parentWidget()->rect());
}

AlignLayout::Spec *AlignLayout::spec(QWidget *w)
{
    for (Spec &s : m_specs)
        if (s.widget == w)
            return &s;
    return nullptr;
}

void AlignLayout::setDesignRect(QWidget *w, const QRect &rect)
{
    if (Spec *s = spec(w)) {
        s->rect = rect;
        s->base = clientSize();
        invalidate();
        if (parentWidget())
            setGeometry(parentWidget()->contentsRect());
    }
}

void AlignLayout::setExtent(QWidget *w, int extent)
{
    Spec *s = spec(w);
    if (!s)
        return;
    if (s->align == Align::Left || s->align == Align::Right)
        s->rect.setWidth(extent);
    else if (s->align == Align::Top || s->align == Align::Bottom)
        s->rect.setHeight(extent);
    invalidate();
    if (parentWidget())
        setGeometry(parentWidget()->contentsRect());
}

int AlignLayout::extent(QWidget *w) const
{
    for (const Spec &s : m_specs) {
        if (s.widget != w)
            continue;
        if (s.align == Align::Left || s.align == Align::Right)
            return s.rect.width();
        return s.rect.height();
    }
    return 0;
}

QWidget *AlignLayout::neighbourBefore(QWidget *w) const
{
    Align side = Align::None;
    qsizetype index = -1;
    for (qsizetype i = 0; i < m_specs.size(); ++i) {
        if (m_specs[i].widget == w) {
            side = m_specs[i].align;
            index = i;
        }
    }
    if (index < 0 || side == Align::None || side == Align::Client)
        return nullptr;
    for (qsizetype i = index - 1; i >= 0; --i) {
        const Spec &s = m_specs[i];
        if (s.align == side && !s.widget->isHidden())
            return s.widget;
    }
    return nullptr;
}

void AlignLayout::addItem(QLayoutItem *item)
{
    // Items added through the generic interface are placed freely.
    Spec s;
    s.widget = item->widget();
    s.rect = s.widget ? s.widget->geometry() : QRect();
    s.base = clientSize();
    m_specs.append(s);
    m_items.append(item);
}

int AlignLayout::count() const { return int(m_items.size()); }

QLayoutItem *AlignLayout::itemAt(int index) const
{
    return index >= 0 && index < m_items.size() ? m_items.at(index) : nullptr;
}

QLayoutItem *AlignLayout::takeAt(int index)
{
    if (index < 0 || index >= m_items.size())
        return nullptr;
    m_specs.removeAt(index);
    return m_items.takeAt(index);
}

namespace {
// Sets a child's geometry and lays out its own children at once, also while
// the window is hidden (Qt would wait for the window to be shown).
void place(QWidget *w, const QRect &g)
{
    w->setGeometry(g);
    if (AlignLayout *inner = AlignLayout::of(w))
        inner->setGeometry(w->rect());
}
} // namespace

void AlignLayout::setGeometry(const QRect &outer)
{
    QLayout::setGeometry(outer);
    const QRect r = outer.marginsRemoved(contentsMargins());
    QRect free = r;
    auto visible = [](const Spec &s) { return s.widget && !s.widget->isHidden(); };

    // The original alignment order: top, bottom, left, right, client.
    for (const Spec &s : m_specs)
        if (s.align == Align::Top && visible(s)) {
            place(s.widget, QRect(free.left(), free.top(), free.width(), s.rect.height()));
            free.setTop(free.top() + s.rect.height());
        }
    for (const Spec &s : m_specs)
        if (s.align == Align::Bottom && visible(s)) {
            place(s.widget, QRect(free.left(), free.bottom() + 1 - s.rect.height(), free.width(), s.rect.height()));
            free.setBottom(free.bottom() - s.rect.height());
        }
    for (const Spec &s : m_specs)
        if (s.align == Align::Left && visible(s)) {
            place(s.widget, QRect(free.left(), free.top(), s.rect.width(), free.height()));
            free.setLeft(free.left() + s.rect.width());
        }
    for (const Spec &s : m_specs)
        if (s.align == Align::Right && visible(s)) {
            place(s.widget, QRect(free.right() + 1 - s.rect.width(), free.top(), s.rect.width(), free.height()));
            free.setRight(free.right() - s.rect.width());
        }
    for (const Spec &s : m_specs)
        if (s.align == Align::Client && visible(s))
            place(s.widget, free);

    for (const Spec &s : m_specs) {
        if (s.align != Align::None || !s.widget)
            continue;
        const int dw = r.width() - s.base.width();
        const int dh = r.height() - s.base.height();
        int x = s.rect.x(), y = s.rect.y(), w = s.rect.width(), h = s.rect.height();
        const bool al = s.anchors & AnchorLeft, ar = s.anchors & AnchorRight;
        const bool at = s.anchors & AnchorTop, ab = s.anchors & AnchorBottom;
        if (al && ar)
            w += dw;
        else if (ar)
            x += dw;
        else if (!al)
            x += dw / 2;
        if (at && ab)
            h += dh;
        else if (ab)
            y += dh;
        else if (!at)
            y += dh / 2;
        place(s.widget, QRect(r.left() + x, r.top() + y, qMax(0, w), qMax(0, h)));
    }
}

QSize AlignLayout::clientSize() const
{
    if (!parentWidget())
        return QSize();
    return parentWidget()->contentsRect().marginsRemoved(contentsMargins()).size();
}

QRect AlignLayout::clientRect() const
{
    if (!parentWidget())
        return QRect();
    return parentWidget()->contentsRect().marginsRemoved(contentsMargins());
}

QSize AlignLayout::sizeHint() const
{
    return parentWidget() ? parentWidget()->size() : QSize(100, 100);
}

QSize AlignLayout::minimumSize() const { return QSize(0, 0); }

} // namespace vz
