#include "common/PictureBox.h"

#include <QMouseEvent>
#include <QPainter>

namespace vz {

PictureBox::PictureBox(QWidget *parent)
    : QWidget(parent)
{
}

void PictureBox::setImage(const QImage &image)
{
    m_image = image;
    update();
}

void PictureBox::setTargetRect(const QRect &r)
{
    m_target = r;
    update();
}

void PictureBox::paintEvent(QPaintEvent *)
{
    if (m_image.isNull())
        return;
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRect target = m_target.isNull() ? rect() : m_target;
    if (target.size() == m_image.size())
        p.drawImage(target.topLeft(), m_image);
    else
        p.drawImage(target, m_image);
}

void PictureBox::mouseReleaseEvent(QMouseEvent *e)
{
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()))
        Q_EMIT clicked();
    QWidget::mouseReleaseEvent(e);
}

} // namespace vz
