#include "common/PictureBox.h"

#include <QMouseEvent>
#include <QPainter>

namespace vz {

PictureBox::PictureBox(QWidget *parent)
    : QWidget(parent)
{
}

void PictureBox::setPicture(const Picture &picture)
{
    m_picture = picture;
    update();
}

void PictureBox::setTargetRect(const QRect &r)
{
    m_target = r;
    update();
}

void PictureBox::paintEvent(QPaintEvent *)
{
    if (m_picture.isNull())
        return;
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    m_picture.draw(p, m_target.isNull() ? QRectF(rect()) : QRectF(m_target));
}

void PictureBox::mouseReleaseEvent(QMouseEvent *e)
{
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()))
        Q_EMIT clicked();
    QWidget::mouseReleaseEvent(e);
}

} // namespace vz
