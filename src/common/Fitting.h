#pragma once

#include <QRect>
#include <optional>

namespace vz {

// The fitting rule used for every thumbnail, preview and newly placed
// picture: keep the aspect ratio, centre in the box, then shrink by 3
// pixels on every side. A picture of width 0 is not fitted (nullopt).
std::optional<QRect> fitPictureRect(int pictureWidth, int pictureHeight, const QRect &box);

} // namespace vz
