#pragma once

#include <QColor>
#include <QImage>

namespace vzsample {

enum class FrameKind { Plain, Double, Bevel, RoundedShadow };

struct FrameStyle
{
    FrameKind kind = FrameKind::Plain;
    int width = 12;
    QColor colour = QColor(0x00, 0x99, 0x00);
};

// The picture framed on white: `width` pixels on every side, the picture
// itself unchanged inside.
QImage renderFrame(const QImage &picture, const FrameStyle &style);

} // namespace vzsample
