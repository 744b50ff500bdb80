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
        const QImage &raster = m_picture.image();
        if (!raster.isNull() && !size().isEmpty()) {
            // Scaling a large raster on every paint is slow: keep the result.
            if (m_scaled.size() != size())
                m_scaled = raster.scaled(size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            p.drawImage(0, 0, m_scaled);
            return;
        }
        m_picture.draw(p, QRectF(rect()));
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
