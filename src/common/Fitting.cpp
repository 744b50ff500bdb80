#include "common/Fitting.h"

#include "common/Rounding.h"

namespace vz {

std::optional<QRect> fitPictureRect(int w, int h, const QRect &box)
{
    if (w == 0)
        return std::nullopt;
    const double r = double(h) / double(w);
    const double q = box.width() == 0 ? 0.0 : double(box.height()) / double(box.width());
    int fw;
    int fh;
    if (box.width() == 0 || r > q) {
        fh = box.height();
        fw = r == 0.0 ? box.width() : roundHalfEven(box.height() / r);
    } else {
        fw = box.width();
        fh = roundHalfEven(box.width() * r);
    }
    const int left = box.left() + (box.width() - fw) / 2;
    const int top = box.top() + (box.height() - fh) / 2;
    // Shrink by 3 on every side; QRect(l, t, w, h) with the box's own size.
    return QRect(left + 3, top + 3, fw - 6, fh - 6);
}

} // namespace vz
