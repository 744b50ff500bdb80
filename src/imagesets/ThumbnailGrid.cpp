#include "imagesets/ThumbnailGrid.h"

#include "common/VzError.h"
#include "printpage/PictureDrop.h"

#include <QApplication>
#include <QDrag>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionFocusRect>

namespace vz {

ThumbnailGrid::ThumbnailGrid(QWidget *parent)
    : QAbstractScrollArea(parent)
{
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setAutoFillBackground(true);
    QPalette p = viewport()->palette();
    p.setColor(QPalette::Window, Qt::white);
    viewport()->setPalette(p);
    verticalScrollBar()->setSingleStep(kThumbCell);
}

void ThumbnailGrid::setCount(int count)
{
    m_count = count;
    relayout();
}

void ThumbnailGrid::setShowFocusCell(bool on)
{
    m_focusCell = on;
    viewport()->update();
}

void ThumbnailGrid::relayout()
{
    m_shape = gridShape(viewport()->width(), m_count);
    m_row = qBound(0, m_row, m_shape.rows - 1);
    m_col = qBound(0, m_col, m_shape.columns - 1);
    const int total = m_shape.rows * kThumbCell;
    verticalScrollBar()->setRange(0, qMax(0, total - viewport()->height()));
    verticalScrollBar()->setPageStep(qMax(kThumbCell, viewport()->height()));
    viewport()->update();
}

void ThumbnailGrid::setCurrentCell(int row, int column)
{
    m_row = qBound(0, row, m_shape.rows - 1);
    m_col = qBound(0, column, m_shape.columns - 1);
    ensureCurrentVisible();
    viewport()->update();
}

void ThumbnailGrid::ensureCurrentVisible()
{
    QScrollBar *sb = verticalScrollBar();
    const int top = m_row * kThumbCell;
    if (top < sb->value())
        sb->setValue(top);
    else if (top + kThumbCell > sb->value() + viewport()->height())
        sb->setValue(top + kThumbCell - viewport()->height());
}

void ThumbnailGrid::paintEvent(QPaintEvent *e)
{
    QPainter p(viewport());
    const int offset = verticalScrollBar()->value();
    const QRect dirty = e->rect();
    const int firstRow = qMax(0, (dirty.top() + offset) / kThumbCell);
    const int lastRow = qMin(m_shape.rows - 1, (dirty.bottom() + offset) / kThumbCell);
    const int lastCol = qMin(m_shape.columns - 1, dirty.right() / kThumbCell);
    for (int row = firstRow; row <= lastRow; ++row) {
        for (int col = dirty.left() / kThumbCell; col <= lastCol; ++col) {
            const QRect cell(col * kThumbCell, row * kThumbCell - offset, kThumbCell, kThumbCell);
            const int index = col + row * m_shape.columns;
            p.fillRect(cell, Qt::white);
            if (index < m_count && m_draw) {
                p.save();
                p.setClipRect(cell);
                m_draw(p, index, cell);
                p.restore();
            }
            if (m_focusCell && row == m_row && col == m_col && hasFocus()) {
                QStyleOptionFocusRect opt;
                opt.initFrom(this);
                opt.rect = cell.adjusted(1, 1, -1, -1);
                style()->drawPrimitive(QStyle::PE_FrameFocusRect, &opt, &p, this);
            }
        }
    }
}

void ThumbnailGrid::resizeEvent(QResizeEvent *e)
{
    QAbstractScrollArea::resizeEvent(e);
    relayout();
}

void ThumbnailGrid::mousePressEvent(QMouseEvent *e)
{
    const QPoint pos = e->position().toPoint();
    const int col = pos.x() / kThumbCell;
    const int row = (pos.y() + verticalScrollBar()->value()) / kThumbCell;
    if (col >= m_shape.columns || row >= m_shape.rows)
        return;
    m_row = row;
    m_col = col;
    viewport()->update();
    if (e->button() == Qt::LeftButton && currentIndex() < m_count) {
        m_dragIndex = currentIndex();
        m_dragStart = pos;
    }
    Q_EMIT cellPressed(currentIndex());
}

void ThumbnailGrid::mouseMoveEvent(QMouseEvent *e)
{
    if (m_dragIndex < 0 || !(e->buttons() & Qt::LeftButton) || !m_dragPicture
        || (e->position().toPoint() - m_dragStart).manhattanLength() < QApplication::startDragDistance()) {
        QAbstractScrollArea::mouseMoveEvent(e);
        return;
    }
    const int index = m_dragIndex;
    m_dragIndex = -1; // one drag per press
    CellPicture cell;
    try {
        cell = m_dragPicture(index);
    } catch (const VzError &) {
        return; // a cell whose file cannot be read is not dragged
    }
    if (cell.picture.isNull())
        return;
    auto *data = new PictureMimeData(cell.picture, cell.fileName);
    const QSize thumb = cell.picture.size().scaled(kThumbCell, kThumbCell, Qt::KeepAspectRatio);
    const QPixmap pixmap = QPixmap::fromImage(cell.picture.render(thumb.isEmpty() ? QSize(kThumbCell, kThumbCell) : thumb));
    if (m_dragStarter) {
        m_dragStarter(data, pixmap);
        return;
    }
    auto *drag = new QDrag(this);
    drag->setMimeData(data);
    drag->setPixmap(pixmap);
    drag->exec(Qt::CopyAction, Qt::CopyAction);
}

void ThumbnailGrid::mouseReleaseEvent(QMouseEvent *e)
{
    m_dragIndex = -1;
    QAbstractScrollArea::mouseReleaseEvent(e);
}

void ThumbnailGrid::keyPressEvent(QKeyEvent *e)
{
    int row = m_row, col = m_col;
    switch (e->key()) {
    case Qt::Key_Left: --col; break;
    case Qt::Key_Right: ++col; break;
    case Qt::Key_Up: --row; break;
    case Qt::Key_Down: ++row; break;
    case Qt::Key_PageUp: row -= qMax(1, viewport()->height() / kThumbCell); break;
    case Qt::Key_PageDown: row += qMax(1, viewport()->height() / kThumbCell); break;
    case Qt::Key_Home: col = 0; break;
    case Qt::Key_End: col = m_shape.columns - 1; break;
    default:
        QAbstractScrollArea::keyPressEvent(e);
        return;
    }
    setCurrentCell(row, col);
}

void ThumbnailGrid::keyReleaseEvent(QKeyEvent *e)
{
    if (!e->isAutoRepeat())
        Q_EMIT keyReleased(e->key());
    QAbstractScrollArea::keyReleaseEvent(e);
}

} // namespace vz
