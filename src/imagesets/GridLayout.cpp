#include "imagesets/GridLayout.h"

#include <algorithm>

namespace vz {

GridShape gridShape(int clientWidth, int count)
{
    GridShape g;
    g.columns = std::max(1, (clientWidth - 5) / kThumbCell);
    g.rows = std::max(1, count / g.columns);
    if (count % g.columns > 0)
        ++g.rows;
    return g;
}

} // namespace vz
