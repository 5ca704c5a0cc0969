#include "PreviewGeometry.h"

#include "Errors.h"
#include "NumberConvert.h"
#include "Rounding.h"

#include <cstdint>

namespace jf {

namespace {

// 32-bit signed product that wraps as the machine's integer multiply does.
std::int32_t product32(std::int32_t a, std::int32_t b)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) * static_cast<std::uint32_t>(b));
}

long double divide(std::int32_t numerator, std::int32_t denominator)
{
    if (denominator == 0) {
        if (numerator == 0)
            throw MathError(QStringLiteral("Invalid floating point operation"));
        throw MathError(QStringLiteral("Floating point division by zero"));
    }
    return static_cast<long double>(numerator) / static_cast<long double>(denominator);
}

} // namespace

PreviewSize fitPreview(const QString& widthText, const QString& heightText)
{
    PreviewSize size;
    std::int32_t h = strToInt(heightText);
    std::int32_t product = product32(h, size.width);
    std::int32_t w = strToInt(widthText);
    size.height = static_cast<int>(roundHalfEven(divide(product, w)));
    if (size.height <= previewBoxHeight)
        return size;

    size.height = previewBoxHeight;
    w = strToInt(widthText);
    product = product32(w, size.height);
    h = strToInt(heightText);
    size.width = static_cast<int>(roundHalfEven(divide(product, h)));
    return size;
}

} // namespace jf
