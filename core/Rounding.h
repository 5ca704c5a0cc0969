#pragma once

#include <cfenv>
#include <cmath>

namespace jf {

// Rounds to the nearest whole number, an exact half to the even neighbour,
// whatever rounding mode is in force.
inline long double roundHalfEven(long double value)
{
    const int saved = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const long double rounded = std::nearbyintl(value);
    std::fesetround(saved);
    return rounded;
}

} // namespace jf
