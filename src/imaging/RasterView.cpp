#include "imaging/RasterView.h"

#include <QMouseEvent>
#include <QPainter>

namespace vz {

RasterView::RasterView(QWidget *parent)
    : QWidget(parent)
{
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
}

void RasterView::setImage(const QImage &image)
{
    if (image.cacheKey() == m_image.cacheKey())
        return;
    m_image = image;
    m_scaled = QImage();
    update();
}

QRect RasterView::targetRect(const QSize &size) const
{
    if (size.isEmpty() || rect().isEmpty())
        return {};
    const QSize fitted = size.scaled(this->size(), Qt::KeepAspectRatio);
    return QRect(QPoint((width() - fitted.width()) / 2, (height() - fitted.height()) / 2), fitted);
}

void RasterView::paintEvent(QPaintEvent *)
{
    if (m_image.isNull())
        return;
    const QRect target = targetRect(m_image.size());
    if (target.isEmpty())
        return;
    if (m_scaled.size() != target.size())
        m_scaled = m_image.size() == target.size()
                       ? m_image
                       : m_image.scaled(target.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QPainter p(this);
    p.drawImage(target.topLeft(), m_scaled);
}

void RasterView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        event->accept(); // the box around must not take the same click
        Q_EMIT clicked();
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

} // namespace vz
