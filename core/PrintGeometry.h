#pragma once

#include <QString>
#include <cstdint>

namespace jf {

// Window pixels per millimetre of a printed cover are 0.95 * 1000 / 250 = 3.8.
// A cover's page image has the picture at (10, 10) and is 20 pixels wider
// and 50 higher (10 above, 40 below).
inline constexpr int kPictureOrigin = 10;
inline constexpr int kWidthMargin = 20;
inline constexpr int kHeightMargin = 50;
// Window pixels per millimetre as a plain number, for layouts in true
// millimetres.
inline constexpr double kWindowPixelsPerMm = 3.8;

// Window pixels per inch on paper: 96 everywhere, never read from a screen,
// so a side of s mm prints at round(3.8 * s) / 96 inches.
inline constexpr int kWindowPixelsPerInch = 96;

inline constexpr double kMmPerInch = 25.4;
inline constexpr double kPointsPerInch = 72.0;

// Printable areas come from the printer in points or millimetres; a page
// that overshoots one by less than this still fits.
inline constexpr double kFitToleranceMm = 0.05;

// Millimetres to window pixels: 0.95 (as a double) * mm * 1000 / 250, each
// step in extended precision, rounded to nearest with halves to even. Throws
// MathError "Invalid floating point operation" when the result is not a
// number or leaves the 64-bit integer range; only the low 32 bits of the
// count are returned.
std::int32_t mmToPixels(double millimetres);

} // namespace jf
