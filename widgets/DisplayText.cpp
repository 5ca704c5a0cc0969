#include "DisplayText.h"

namespace jf {

QString shownText(const QString& text)
{
    if (text.size() <= maxShownCharacters)
        return text;
    qsizetype length = maxShownCharacters;
    if (text.at(length - 1).isHighSurrogate())
        --length;
    return text.left(length);
}

} // namespace jf
