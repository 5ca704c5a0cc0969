#include "NumberConvert.h"

#include "Errors.h"

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

} // namespace jf
