#pragma once

#include <QString>
#include <QStringList>

namespace jf {

// Every data file holds one entry a line, so no entry may hold a line break:
// CR, LF, U+2028 LINE SEPARATOR or U+2029 PARAGRAPH SEPARATOR.
bool isLineBreak(QChar c);
bool hasLineBreak(QStringView text);

// The text with each line break turned into one blank; CR LF counts as one
// break. When `position` is given it is moved along with the text before it.
QString blanksForLineBreaks(QStringView text, int* position = nullptr);

// Throws Error naming `path` and the first entry that holds a line break;
// writing such an entry would split it over two lines of the file.
void refuseLineBreaks(const QString& path, const QStringList& entries);

} // namespace jf
