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

void PictureBox::paintEvent(QPaintEvent *)
{
    if (m_image.isNull())
        return;
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(rect(), m_image);
}

void PictureBox::mouseReleaseEvent(QMouseEvent *e)
{
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()))
        Q_EMIT clicked();
    QWidget::mouseReleaseEvent(e);
}

} // namespace vz
