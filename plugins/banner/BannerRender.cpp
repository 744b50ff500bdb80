#include "BannerRender.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <vector>

namespace vzsample {

namespace {

// A box blur of the alpha channel, rows then columns, a few passes (close
// to a Gaussian). Works on premultiplied ARGB scan lines.
void blurAlpha(QImage &image, int radius)
{
    if (radius <= 0)
        return;
    const int w = image.width(), h = image.height();
    std::vector<int> line(size_t(std::max(w, h)));
    for (int pass = 0; pass < 3; ++pass) {
        for (int y = 0; y < h; ++y) {
            auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
            for (int x = 0; x < w; ++x)
                line[size_t(x)] = qAlpha(row[x]);
            int sum = 0;
            for (int x = -radius; x <= radius; ++x)
                sum += (x >= 0 && x < w) ? line[size_t(x)] : 0;
            for (int x = 0; x < w; ++x) {
                const int a = sum / (2 * radius + 1);
                const QRgb c = row[x];
                row[x] = qRgba(qRed(c), qGreen(c), qBlue(c), a);
                const int out = x - radius, in = x + radius + 1;
                sum += (in < w ? line[size_t(in)] : 0) - (out >= 0 ? line[size_t(out)] : 0);
            }
        }
        for (int x = 0; x < w; ++x) {
            for (int y = 0; y < h; ++y)
                line[size_t(y)] = qAlpha(reinterpret_cast<const QRgb *>(image.constScanLine(y))[x]);
            int sum = 0;
            for (int y = -radius; y <= radius; ++y)
                sum += (y >= 0 && y < h) ? line[size_t(y)] : 0;
            for (int y = 0; y < h; ++y) {
                QRgb &c = reinterpret_cast<QRgb *>(image.scanLine(y))[x];
                c = qRgba(qRed(c), qGreen(c), qBlue(c), sum / (2 * radius + 1));
                const int out = y - radius, in = y + radius + 1;
                sum += (in < h ? line[size_t(in)] : 0) - (out >= 0 ? line[size_t(out)] : 0);
            }
        }
    }
}

QPainterPath textPath(const BannerStyle &style)
{
    QFont font(style.family);
    font.setPixelSize(std::clamp(style.pixelSize, 4, 1000));
    QPainterPath path;
    path.addText(0, 0, font, style.text.isEmpty() ? QStringLiteral(" ") : style.text);
    return path;
}

} // namespace

int bannerMargin(const BannerStyle &style)
{
    int m = 4 + (std::max(0, style.outlineWidth) + 1) / 2;
    if (style.shadow)
        m += std::abs(style.shadowOffset) + 3 * std::max(0, style.shadowSoftness);
    return m;
}

QImage renderBanner(const BannerStyle &style)
{
    QPainterPath path = textPath(style);
    QRectF bounds = path.boundingRect();
    if (bounds.isEmpty())
        bounds = QRectF(0, -style.pixelSize, style.pixelSize / 2.0, style.pixelSize);
    const int margin = bannerMargin(style);
    const QRect box = bounds.toAlignedRect();
    const QSize size(box.width() + 2 * margin, box.height() + 2 * margin);
    path.translate(margin - box.left(), margin - box.top());

    QImage out(size, QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::white);
    QPainter p(&out);
    p.setRenderHint(QPainter::Antialiasing);
    if (style.shadow) {
        QImage shadow(size, QImage::Format_ARGB32_Premultiplied);
        shadow.fill(Qt::transparent);
        {
            QPainter sp(&shadow);
            sp.setRenderHint(QPainter::Antialiasing);
            sp.translate(style.shadowOffset, style.shadowOffset);
            sp.fillPath(path, QColor(style.shadowColour.red(), style.shadowColour.green(), style.shadowColour.blue()));
        }
        shadow = shadow.convertToFormat(QImage::Format_ARGB32);
        // Colour kept, alpha blurred.
        for (int y = 0; y < shadow.height(); ++y) {
            auto *row = reinterpret_cast<QRgb *>(shadow.scanLine(y));
            for (int x = 0; x < shadow.width(); ++x)
                row[x] = qRgba(style.shadowColour.red(), style.shadowColour.green(), style.shadowColour.blue(), qAlpha(row[x]));
        }
        blurAlpha(shadow, style.shadowSoftness);
        p.drawImage(0, 0, shadow);
    }
    if (style.gradient) {
        const QRectF b = path.boundingRect();
        QLinearGradient g(b.topLeft(), b.bottomLeft());
        g.setColorAt(0, style.fill);
        g.setColorAt(1, style.fill2);
        p.fillPath(path, g);
    } else {
        p.fillPath(path, style.fill);
    }
    if (style.outlineWidth > 0) {
        QPen pen(style.outline, style.outlineWidth);
        pen.setJoinStyle(Qt::RoundJoin);
        p.strokePath(path, pen);
    }
    p.end();
    return out.convertToFormat(QImage::Format_RGB32);
}

} // namespace vzsample
