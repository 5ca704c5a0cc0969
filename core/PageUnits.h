#pragma once

#include <QSizeF>
#include <cstdint>

namespace jf {

// The four units a printed page is measured in, and every conversion
// between them:
//  - millimetres: what the user types and a ruler measures;
//  - cover pixels: the cover's own unit, in which its picture, border and
//    page image are laid out. A size typed in millimetres becomes
//    mmToCoverPixels(mm) of them, 3.8 per millimetre. On paper an
//    uncalibrated printer is sent 96 of them per inch (a side of s mm prints
//    round(3.8 * s) / 96 inches), a calibrated one 3.8 per true millimetre;
//  - printer dots: the printer's resolution along each axis of the page;
//  - points: PDF's unit, 72 per inch.
// A conversion through the inch divides first, then multiplies: printed
// figures depend on that order to the last bit.

inline constexpr double kMmPerInch = 25.4;
inline constexpr double kPointsPerInch = 72.0;
inline constexpr double kCoverPixelsPerMm = 3.8;
inline constexpr int kCoverPixelsPerInch = 96;

// A cover's page image, in cover pixels: the picture at (10, 10), the image
// 20 pixels wider and 50 higher (10 above, 40 below).
inline constexpr int kPictureOrigin = 10;
inline constexpr int kWidthMargin = 20;
inline constexpr int kHeightMargin = 50;

// Printable areas come from the printer in points or millimetres; a page
// that overshoots one by less than this still fits.
inline constexpr double kFitToleranceMm = 0.05;

constexpr double mmToInches(double mm)
{
    return mm / kMmPerInch;
}
constexpr double mmToPoints(double mm)
{
    return mm / kMmPerInch * kPointsPerInch;
}
constexpr double pointsToMm(double points)
{
    return points / kPointsPerInch * kMmPerInch;
}
constexpr double coverPixelsToMm(double coverPixels)
{
    return coverPixels / kCoverPixelsPerMm;
}
constexpr double dotsPerMm(double dotsPerInch)
{
    return dotsPerInch / kMmPerInch;
}
constexpr double mmToDots(double mm, double dotsPerInch)
{
    return mm / kMmPerInch * dotsPerInch;
}
constexpr double dotsToMm(double dots, double dotsPerInch)
{
    return dots / dotsPerInch * kMmPerInch;
}
constexpr double dotsToPoints(double dots, double dotsPerInch)
{
    return dots / dotsPerInch * kPointsPerInch;
}
constexpr double pointsToDots(double points, double dotsPerInch)
{
    return points / kPointsPerInch * dotsPerInch;
}

// Both axes at once, each at its own resolution.
QSizeF mmToDots(QSizeF mm, double dotsPerInchX, double dotsPerInchY);
QSizeF dotsToMm(QSizeF dots, double dotsPerInchX, double dotsPerInchY);
QSizeF pointsToMm(QSizeF points);

// Millimetres to cover pixels: 0.95 (as a double) * mm * 1000 / 250, each
// step in extended precision, rounded to nearest with halves to even. Throws
// MathError "Invalid floating point operation" when the result is not a
// number or leaves the 64-bit integer range; only the low 32 bits of the
// count are returned.
std::int32_t mmToCoverPixels(double millimetres);

} // namespace jf
