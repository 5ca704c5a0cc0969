#pragma once

#include <QStringList>

namespace jf {

// The tips of Tips.txt, one per line, and which one the tips line shows.
class TipCycle
{
public:
    const QStringList& tips() const { return m_tips; }

    // Empties the tips, then appends every line of the file up to its end;
    // a failure leaves the lines read before it.
    void read(const QString& path);

    // Moves on to the next tip and returns it: the first again after the
    // last, also when the list became shorter than the index; empty when
    // there are no tips.
    QString next();

    // The tip shown last, -1 before the first.
    int index() const { return m_index; }

private:
    QStringList m_tips;
    int m_index = -1;
};

// Tips.txt as one editable text, the way the settings window shows it: every
// line of the file followed by "\n", so an empty file gives an empty text.
// Throws InOutError.
QString readTipsText(const QString& path);

// Writes the text in one piece, each "\n" as CR LF and nothing else changed:
// a last line without a line break is written without one. Throws
// FileStreamError "Cannot create file "%s". %s"; the old file then stays
// whole.
void writeTipsText(const QString& path, const QString& text);

} // namespace jf
