#include "PageUnits.h"

#include "Errors.h"
#include "Rounding.h"

namespace jf {

QSizeF mmToDots(QSizeF mm, double dotsPerInchX, double dotsPerInchY)
{
    return QSizeF(mmToDots(mm.width(), dotsPerInchX), mmToDots(mm.height(), dotsPerInchY));
}

QSizeF dotsToMm(QSizeF dots, double dotsPerInchX, double dotsPerInchY)
{
    return QSizeF(dotsToMm(dots.width(), dotsPerInchX), dotsToMm(dots.height(), dotsPerInchY));
}

QSizeF pointsToMm(QSizeF points)
{
    return QSizeF(pointsToMm(points.width()), pointsToMm(points.height()));
}

std::int32_t mmToCoverPixels(double millimetres)
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
