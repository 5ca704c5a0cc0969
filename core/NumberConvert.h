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

// Converts a decimal text to a floating-point value: optional blanks, an
// optional sign, digits with "." or the default QLocale's decimal separator
// (a pasted "12,5" in German) as decimal separator, an optional exponent
// ("e" or "E", optional sign, digits), optional blanks. Throws ConvertError
// "'%s' is not a valid floating point value" otherwise (an empty text too).
double strToFloat(const QString& text);

// The same rules, reporting failure through the return value.
bool tryStrToFloat(const QString& text, double& value);

// A value with at most `decimals` places and a "." as separator, without
// trailing zeros or a trailing ".": 2.5, 41, -0.125 ("-0" is written "0").
QString floatToShortStr(double value, int decimals);

// a * b / c with a 64-bit intermediate product, rounded to nearest with exact
// halves away from zero; -1 when c is 0 or the result leaves the 32-bit range.
std::int32_t mulDiv(std::int32_t a, std::int32_t b, std::int32_t c);

} // namespace jf
