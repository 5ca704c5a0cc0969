#include "PrintGeometry.h"

#include "Errors.h"
#include "Rounding.h"

#include <QLocale>

#include <charconv>
#include <cmath>
#include <string>

namespace jf {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

bool tryStrToFloat(const QString& pasted, double& value)
{
    // A fraction may be written with the user's decimal separator ("12,5" in
    // German) as well as with a point.
    QString text = pasted;
    const QString separator = QLocale().decimalPoint();
    if (separator.size() == 1 && separator != QLatin1String("."))
        text.replace(separator.front(), QLatin1Char('.'));

    // Anything outside ASCII cannot belong to a number.
    for (const QChar c : text) {
        if (c.unicode() > 0x7f)
            return false;
    }
    const std::string s = text.toStdString();
    std::size_t i = 0;
    std::size_t n = s.size();
    while (i < n && s[i] == ' ')
        ++i;
    while (n > i && s[n - 1] == ' ')
        --n;

    bool negative = false;
    if (i < n && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    const std::size_t numberStart = i;

    std::size_t mantissaDigits = 0;
    while (i < n && isDigit(s[i])) {
        ++i;
        ++mantissaDigits;
    }
    if (i < n && s[i] == '.') {
        ++i;
        while (i < n && isDigit(s[i])) {
            ++i;
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0)
        return false;

    bool negativeExponent = false;
    if (i < n && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < n && (s[i] == '+' || s[i] == '-')) {
            negativeExponent = s[i] == '-';
            ++i;
        }
        std::size_t exponentDigits = 0;
        while (i < n && isDigit(s[i])) {
            ++i;
            ++exponentDigits;
        }
        if (exponentDigits == 0)
            return false;
    }
    if (i != n)
        return false;

    // The text is now known to be a plain decimal number; from_chars reads it
    // independently of the process locale.
    std::string number = s.substr(numberStart, n - numberStart);
    if (number.front() == '.')
        number.insert(number.begin(), '0');
    double parsed = 0.0;
    const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), parsed,
                                           std::chars_format::general);
    if (ec == std::errc::result_out_of_range) {
        if (!negativeExponent)
            return false; // too large for a double
        parsed = 0.0;     // too small: underflows to zero
    } else if (ec != std::errc() || end != number.data() + number.size()) {
        return false;
    }
    value = negative ? -parsed : parsed;
    return true;
}

double strToFloat(const QString& text)
{
    double value = 0.0;
    if (!tryStrToFloat(text, value))
        throw ConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(text));
    return value;
}

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

std::int32_t mulDiv(std::int32_t a, std::int32_t b, std::int32_t c)
{
    if (c == 0)
        return -1;
    const std::int64_t product = static_cast<std::int64_t>(a) * b;
    std::int64_t quotient = product / c;
    const std::int64_t remainder = product % c;
    // |remainder| * 2 >= |c|: the exact result lies at or beyond the half.
    const std::int64_t twiceRest = (remainder < 0 ? -remainder : remainder) * 2;
    const std::int64_t divisor = c < 0 ? -static_cast<std::int64_t>(c) : c;
    if (twiceRest >= divisor)
        quotient += ((product < 0) != (c < 0)) ? -1 : 1;
    if (quotient < INT32_MIN || quotient > INT32_MAX)
        return -1;
    return static_cast<std::int32_t>(quotient);
}

} // namespace jf
