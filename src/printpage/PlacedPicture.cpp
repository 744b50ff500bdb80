#include "printpage/PlacedPicture.h"

#include <QPainter>

namespace vz {

PlacedPicture::PlacedPicture(const Picture &picture, QWidget *parent)
    : QWidget(parent)
    , m_picture(picture)
{
    // Pictures with see-through parts let the page show behind them.
    setAttribute(Qt::WA_OpaquePaintEvent, !picture.isMetafile() && !picture.image().hasAlphaChannel());
}

void PlacedPicture::setPicture(const Picture &picture)
{
    m_picture = picture;
    m_cache = QImage();
    setAttribute(Qt::WA_OpaquePaintEvent, !picture.isMetafile() && !picture.image().hasAlphaChannel());
    update();
}

void PlacedPicture::paintEvent(QPaintEvent *)
{
    if (m_picture.isNull() || width() <= 0 || height() <= 0)
        return;
    const qreal dpr = devicePixelRatioF();
    const QSize device = (QSizeF(size()) * dpr).toSize();
    if (m_cache.size() != device) {
        try {
            if (m_picture.isMetafile()) {
                // See-through where the metafile draws nothing.
                m_cache = QImage(device, QImage::Format_ARGB32_Premultiplied);
                m_cache.fill(Qt::transparent);
                QPainter p(&m_cache);
                p.setRenderHint(QPainter::Antialiasing);
                m_picture.draw(p, QRectF(QPointF(0, 0), QSizeF(device)));
            } else {
                const QImage raster = m_picture.image();
                m_cache = raster.size() == device ? raster
                                                  : raster.scaled(device, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            }
        } catch (...) {
            // Painting never reports a failure.
            m_cache = QImage();
            return;
        }
        m_cache.setDevicePixelRatio(dpr);
        ++m_renders;
    }
    QPainter p(this);
    p.drawImage(QPointF(0, 0), m_cache);
}

} // namespace vz
