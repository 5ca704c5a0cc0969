#include "PrintGeometry.h"

#include "Errors.h"
#include "Rounding.h"

#include <cmath>

namespace jf {

std::int32_t mmToPixels(double millimetres)
{
    const double scale = 0.95;
    long double pixels = static_cast<long double>(scale) * static_cast<long double>(millimetres);
    pixels = pixels * 1000.0L;
    pixels = pixels / 250.0L;
    const long double rounded = roundHalfEven(pixels);
    constexpr long double lowest = -9223372036854775808.0L; // -2^63
    if (!(rounded >= lowest && rounded < -lowest))
        throw MathError(QStringLiteral("Invalid floating point operation"));
    const auto whole = static_cast<std::int64_t>(rounded);
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(whole)));
}

} // namespace jf
