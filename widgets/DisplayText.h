#pragma once

#include <QString>

namespace jf {

// The most characters of one line any control of the program can show: the
// widest window is 701 pixels, and no font draws a character in less than a
// pixel. Texts from data files are cut to this before they are shown, so a
// line of megabytes costs no more than a short one.
inline constexpr qsizetype maxShownCharacters = 2048;

// `text` cut to maxShownCharacters, never between the two halves of a
// surrogate pair.
QString shownText(const QString& text);

} // namespace jf
