#include "LineBreaks.h"

#include "Errors.h"

#include <algorithm>

namespace jf {

bool isLineBreak(QChar c)
{
    return c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar(0x2028) ||
           c == QChar(0x2029);
}

bool hasLineBreak(QStringView text)
{
    return std::any_of(text.begin(), text.end(), isLineBreak);
}

QString blanksForLineBreaks(QStringView text, int* position)
{
    QString result;
    result.reserve(text.size());
    int moved = position ? *position : 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (!isLineBreak(c)) {
            result += c;
            continue;
        }
        result += QLatin1Char(' ');
        if (c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n')) {
            ++i;
            if (position && i < *position)
                --moved;
        }
    }
    if (position)
        *position = std::min(moved, int(result.size()));
    return result;
}

void refuseLineBreaks(const QString& path, const QStringList& entries)
{
    for (qsizetype i = 0; i < entries.size(); ++i) {
        if (hasLineBreak(entries[i]))
            throw Error(QStringLiteral("\"%1\" was not written: entry %2 contains a line break, "
                                       "which would split it over two lines")
                            .arg(path)
                            .arg(i + 1));
    }
}

} // namespace jf
