#include "imaging/PictureView.h"

#include "clipboards/ToteBags.h"

#include <QMouseEvent>
#include <QPainter>

namespace vz {

PictureView::PictureView(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_NoSystemBackground, false);
}

void PictureView::setPicture(const Picture &picture)
{
    m_picture = picture;
    m_scaled = QImage();
    update();
}

void PictureView::clear()
{
    m_picture = Picture();
    m_scaled = QImage();
    update();
}

void PictureView::setTargetRect(const QRect &target)
{
    m_target = target;
    m_scaled = QImage();
    update();
}

void PictureView::setBitmapWidth(int width)
{
    vz::setBitmapWidth(m_picture, width);
    m_scaled = QImage();
    update();
}

void PictureView::paintEvent(QPaintEvent *)
{
    if (m_picture.isNull())
        return;
    QPainter p(this);
    try {
        const QRect target = m_target.isNull() ? rect() : m_target;
        const QImage &raster = m_picture.image();
        if (!raster.isNull() && !target.size().isEmpty()) {
            // Scaling a large raster on every paint is slow: keep the result.
            if (raster.size() == target.size()) {
                p.drawImage(target.topLeft(), raster);
                return;
            }
            if (m_scaled.size() != target.size())
                m_scaled = raster.scaled(target.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            p.drawImage(target.topLeft(), m_scaled);
            return;
        }
        m_picture.draw(p, QRectF(target));
    } catch (...) {
        // Painting never reports a failure.
    }
}

void PictureView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        event->accept(); // the box around must not take the same click
        Q_EMIT clicked();
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

} // namespace vz
