#pragma once

#include <QString>

namespace jf {

// The box the cover preview is fitted into, in window pixels.
inline constexpr int previewBoxWidth = 356;
inline constexpr int previewBoxHeight = 276;

struct PreviewSize
{
    int width = previewBoxWidth;
    int height = previewBoxHeight;
};

// The largest rectangle of the proportions width : height that fits into
// 356 x 276, up to rounding. The height text is read first, then the width
// text; products are 32-bit, quotients are rounded half to even. Throws
// ConvertError for a text that is not an integer and MathError
// ("Floating point division by zero", "Invalid floating point operation")
// for a width that reads as zero.
PreviewSize fitPreview(const QString& widthText, const QString& heightText);

} // namespace jf
