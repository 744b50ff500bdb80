#include "common/Splitter.h"

#include "common/AlignLayout.h"

#include <QMouseEvent>

namespace vz {

Splitter::Splitter(Qt::Orientation orientation, QWidget *parent)
    : QWidget(parent)
    , m_orientation(orientation)
{
    setCursor(orientation == Qt::Horizontal ? Qt::SplitHCursor : Qt::SplitVCursor);
}

void Splitter::mousePressEvent(QMouseEvent *e)
{
    AlignLayout *l = AlignLayout::of(parentWidget());
    m_target = l ? l->neighbourBefore(this) : nullptr;
    if (!m_target)
        return;
    m_startExtent = l->extent(m_target);
    m_startPos = e->globalPosition().toPoint();
}

void Splitter::mouseMoveEvent(QMouseEvent *e)
{
    AlignLayout *l = AlignLayout::of(parentWidget());
    if (!m_target || !l)
        return;
    const QPoint d = e->globalPosition().toPoint() - m_startPos;
    const Align a = AlignLayout::alignOf(this);
    int delta = m_orientation == Qt::Horizontal ? d.x() : d.y();
    if (a == Align::Right || a == Align::Bottom)
        delta = -delta;
    const int limit = m_orientation == Qt::Horizontal ? parentWidget()->width() : parentWidget()->height();
    const int extent = qBound(m_minExtent, m_startExtent + delta, qMax(m_minExtent, limit / 2));
    l->setExtent(m_target, extent);
    Q_EMIT moved(extent);
}

void Splitter::mouseReleaseEvent(QMouseEvent *) { m_target = nullptr; }

} // namespace vz
