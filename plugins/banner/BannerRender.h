#pragma once

#include <QColor>
#include <QImage>
#include <QString>

namespace vzsample {

struct BannerStyle
{
    QString text = QStringLiteral("Banner");
    QString family = QStringLiteral("DejaVu Sans");
    int pixelSize = 72;
    QColor fill = QColor(0x01, 0x48, 0xB2);
    bool gradient = false;
    QColor fill2 = QColor(0xFF, 0x00, 0xFF); // the gradient's bottom colour
    int outlineWidth = 0;                    // 0: no outline
    QColor outline = Qt::black;
    bool shadow = false;
    QColor shadowColour = QColor(0x80, 0x80, 0x80);
    int shadowOffset = 6;
    int shadowSoftness = 3; // blur radius in pixels
};

// The banner on white: the text's outline path, filled and stroked, with
// the shadow behind it. The picture is the text's bounds grown by a margin
// of 4 pixels, half the outline width, and the shadow's offset and softness.
QImage renderBanner(const BannerStyle &style);

// The margin around the text's bounds on each side.
int bannerMargin(const BannerStyle &style);

} // namespace vzsample
