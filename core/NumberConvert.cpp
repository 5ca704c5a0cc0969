#include "NumberConvert.h"

#include "Errors.h"

#include <QLocale>

#include <charconv>
#include <string>

namespace jf {

namespace {

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

bool tryStrToInt(const QString& text, std::int32_t& value)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && text[i] == QLatin1Char(' '))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }

    bool hex = false;
    if (i < n && (text[i] == QLatin1Char('$') || text[i] == QLatin1Char('x') ||
                  text[i] == QLatin1Char('X'))) {
        hex = true;
        ++i;
    } else if (i + 1 < n && text[i] == QLatin1Char('0') &&
               (text[i + 1] == QLatin1Char('x') || text[i + 1] == QLatin1Char('X'))) {
        hex = true;
        i += 2;
    }

    if (i >= n)
        return false; // no digits at all

    if (hex) {
        // Up to eight hexadecimal digits give the 32-bit pattern of the value.
        std::uint32_t acc = 0;
        for (; i < n; ++i) {
            const int d = hexDigit(text[i]);
            if (d < 0)
                return false;
            if (acc > 0x0FFFFFFFu)
                return false;
            acc = (acc << 4) | std::uint32_t(d);
        }
        if (negative)
            acc = 0u - acc;
        value = static_cast<std::int32_t>(acc);
        return true;
    }

    std::int64_t acc = 0;
    for (; i < n; ++i) {
        const char16_t u = text[i].unicode();
        if (u < '0' || u > '9')
            return false;
        acc = acc * 10 + (u - '0');
        if (acc > std::int64_t(INT32_MAX) + 1)
            return false;
    }
    if (negative)
        acc = -acc;
    if (acc > INT32_MAX || acc < INT32_MIN)
        return false;
    value = static_cast<std::int32_t>(acc);
    return true;
}

std::int32_t strToInt(const QString& text)
{
    std::int32_t value = 0;
    if (!tryStrToInt(text, value))
        throw ConvertError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    return value;
}

QString intToStr(std::int32_t value)
{
    return QString::number(value);
}

QString floatToShortStr(double value, int decimals)
{
    QString text = QString::number(value, 'f', decimals);
    if (text.contains(QLatin1Char('.'))) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(QLatin1Char('.')))
            text.chop(1);
    }
    return text == QLatin1String("-0") ? QStringLiteral("0") : text;
}

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
