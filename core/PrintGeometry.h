#pragma once

#include "PageUnits.h"

namespace jf {

// A cover's page image, in cover pixels: the picture at (10, 10), the image
// 20 pixels wider and 50 higher (10 above, 40 below).
inline constexpr int kPictureOrigin = 10;
inline constexpr int kWidthMargin = 20;
inline constexpr int kHeightMargin = 50;

// Printable areas come from the printer in points or millimetres; a page
// that overshoots one by less than this still fits.
inline constexpr double kFitToleranceMm = 0.05;

} // namespace jf
