#pragma once

namespace vz {

// Thumbnail grids lay their cells out in squares of 55 pixels.
constexpr int kThumbCell = 55;

struct GridShape
{
    int columns = 1;
    int rows = 1;
};

// Columns = (client width - 5) div 55, at least 1; rows = count div columns,
// at least 1, plus 1 when the division leaves a rest (so a category smaller
// than one row shows a second, empty row).
GridShape gridShape(int clientWidth, int count);

} // namespace vz
