#pragma once

#include <QRect>
#include <QSize>
#include <QString>

#include <cmath>

namespace vz {

// What the image size dialog sees of the print page: the page panel's size
// and pixels per inch, and the selection frame's bounds (page pixels). The
// frame stands 2 pixels left of and above the selected object and is 5
// pixels wider and taller than it.
class ImageSizeTarget
{
public:
    virtual ~ImageSizeTarget() = default;

    virtual QSize pageSize() const = 0;
    virtual int ppiX() const = 0;
    virtual int ppiY() const = 0;
    // Whether an object is attached to the frame.
    virtual bool hasSelection() const = 0;
    virtual QRect frameRect() const = 0;
    // Moves and sizes the frame and with it the selected object; the dialog
    // calls it once per OK with the frame the values give.
    virtual void setFrameRect(const QRect &frame) = 0;
};

// The selected object's measures from the frame's bounds (page pixels).
struct FrameMeasures
{
    int x = 0, y = 0, w = 0, h = 0;
};

inline FrameMeasures measuresFromFrame(const QRect &frame)
{
    return {frame.left() + 2, frame.top() + 2, frame.width() - 5, frame.height() - 5};
}

// Offsets between the object's measures and the frame's bounds.
constexpr int kFrameInset = 2;
constexpr int kFrameExtra = 5;

// Inches as the page shows them: "0.00", halves away from zero, with ".",
// whatever the locale; never "-0.00".
inline QString formatInches(double inches)
{
    const double hundredths = std::round(inches * 100.0); // halves away from zero
    if (hundredths == 0.0)
        return QStringLiteral("0.00");
    return QString::number(hundredths / 100.0, 'f', 2);
}

} // namespace vz
