#pragma once

#include <cmath>

namespace vz {

// Floating-point values become integers by rounding half to even ("banker's
// rounding"), as the stored files and layouts of this program expect.
inline int roundHalfEven(double v)
{
    return static_cast<int>(std::nearbyint(v)); // default FE_TONEAREST mode
}

inline long long roundHalfEven64(double v)
{
    return static_cast<long long>(std::nearbyint(v));
}

// Integer division that truncates toward zero ("div").
constexpr int idiv(int a, int b) { return a / b; }

} // namespace vz
