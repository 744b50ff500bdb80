#include "common/ListRowDelegate.h"

#include "common/Palette.h"
#include "common/SplitFields.h"

#include <QPainter>

namespace vz {

ListRowDelegate::ListRowDelegate(QColor selectedText, int rowHeight, QObject *parent)
    : QStyledItemDelegate(parent)
    , m_selectedText(selectedText)
    , m_rowHeight(rowHeight)
{
}

void ListRowDelegate::paint(QPainter *p, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const QRect r = option.rect;
    const bool selected = option.state & QStyle::State_Selected;
    QString entry = index.data(Qt::UserRole).toString();
    if (entry.isEmpty())
        entry = index.data(Qt::DisplayRole).toString();
    const QString text = SplitFields(entry).value(0);
    p->save();
    p->setFont(m_hasFont ? m_font : option.font);
    if (selected) {
        p->fillRect(r, palette::mainBlue);
        const QPoint tri[3] = {QPoint(r.left() + 2, r.top() + 7), QPoint(r.left() + 2, r.top() + 16),
                               QPoint(r.left() + 6, r.top() + 11)};
        p->setPen(palette::listBack);
        p->setBrush(palette::listBack);
        p->drawPolygon(tri, 3);
        p->setPen(m_selectedText);
        p->drawText(QRect(r.left() + 9, r.top() + 5, r.width() - 9, r.height() - 5), Qt::AlignLeft | Qt::AlignTop, text);
    } else {
        p->fillRect(r, palette::listBack);
        p->setPen(palette::mainBlue);
        p->drawText(QRect(r.left() + 9, r.top() + 1, r.width() - 9, r.height() - 1), Qt::AlignLeft | Qt::AlignTop, text);
    }
    p->restore();
}

QSize ListRowDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const
{
    if (m_rowHeight > 0)
        return QSize(100, m_rowHeight);
    const QFontMetrics fm(m_hasFont ? m_font : option.font);
    return QSize(100, qMax(22, fm.height() + 8));
}

} // namespace vz
