#include "FrameRender.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace vzsample {

QImage renderFrame(const QImage &picture, const FrameStyle &style)
{
    if (picture.isNull())
        return QImage();
    const int w = std::clamp(style.width, 1, 500);
    QImage out(picture.width() + 2 * w, picture.height() + 2 * w, QImage::Format_RGB32);
    if (out.isNull())
        return out;
    out.fill(Qt::white);
    QPainter p(&out);
    const QRect all = out.rect();
    switch (style.kind) {
    case FrameKind::Plain:
        p.fillRect(all, style.colour);
        break;
    case FrameKind::Double: {
        // Two bands with white between, each about a third of the width.
        const int band = std::max(1, w / 3);
        p.fillRect(all, style.colour);
        p.fillRect(all.adjusted(band, band, -band, -band), Qt::white);
        p.fillRect(all.adjusted(w - band, w - band, band - w, band - w), style.colour);
        break;
    }
    case FrameKind::Bevel: {
        // Light top and left, dark bottom and right, meeting at the corners.
        const int W = all.width(), H = all.height();
        const QPolygon topLeft({QPoint(0, 0), QPoint(W, 0), QPoint(W - w, w), QPoint(w, w), QPoint(w, H - w), QPoint(0, H)});
        const QPolygon bottomRight({QPoint(W, 0), QPoint(W, H), QPoint(0, H), QPoint(w, H - w), QPoint(W - w, H - w), QPoint(W - w, w)});
        p.setPen(Qt::NoPen);
        p.setBrush(style.colour.lighter(150));
        p.drawPolygon(topLeft);
        p.setBrush(style.colour.darker(170));
        p.drawPolygon(bottomRight);
        break;
    }
    case FrameKind::RoundedShadow: {
        // A grey shadow below right, the rounded frame over it.
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        const int shadow = std::max(1, w / 3);
        const qreal radius = w;
        p.setBrush(QColor(0x80, 0x80, 0x80));
        p.drawRoundedRect(QRectF(all.adjusted(shadow, shadow, 0, 0)), radius, radius);
        p.setBrush(style.colour);
        p.drawRoundedRect(QRectF(all.adjusted(0, 0, -shadow, -shadow)), radius, radius);
        break;
    }
    }
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(w, w, picture.convertToFormat(QImage::Format_RGB32));
    p.end();
    return out;
}

} // namespace vzsample
