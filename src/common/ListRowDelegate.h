#pragma once

#include <QColor>
#include <QFont>
#include <QStyledItemDelegate>

namespace vz {

// Draws the rows of the program's owner-drawn lists (alphabets, clip-art
// categories, enhancements): the text is the part of the row's entry before
// its first "=", at x 9; a selected row is main blue with a small triangle
// pointing at the text. The entry is taken from Qt::UserRole, else the text.
class ListRowDelegate : public QStyledItemDelegate
{
public:
    ListRowDelegate(QColor selectedText, int rowHeight, QObject *parent = nullptr);
    void setFont(const QFont &font) { m_font = font; m_hasFont = true; }

    void paint(QPainter *p, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    QColor m_selectedText;
    int m_rowHeight; // 0: from the font
    QFont m_font;
    bool m_hasFont = false;
};

} // namespace vz
