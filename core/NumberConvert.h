#pragma once

#include <QString>
#include <cstdint>

namespace jf {

// Converts a text to a signed 32-bit integer: leading spaces, an optional
// sign, then decimal digits, or hexadecimal digits after "$", "x" or "0x"
// (either case). Nothing may follow the digits. Throws ConvertError
// "'%s' is not a valid integer value" otherwise.
std::int32_t strToInt(const QString& text);

// The same rules, reporting failure through the return value.
bool tryStrToInt(const QString& text, std::int32_t& value);

// Decimal text of a value, with a leading "-" when negative.
QString intToStr(std::int32_t value);

} // namespace jf
