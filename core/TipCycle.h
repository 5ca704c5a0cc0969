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

// Tips.txt as the settings window's tips box holds it: every line of the
// file, exactly, with "\n" between lines (LF and CR LF both end a line). Only
// what a text box cannot hold as such is marked: a CR that ends no line, and
// the paragraph separator U+2029, show as boxMark followed by a sign. Bytes
// from a Ctrl+Z on are not shown; they stay in `tail`.
struct TipsBoxText
{
    QString text;
    QByteArray tail;

    // Throws InOutError.
    static TipsBoxText read(const QString& path);
    static TipsBoxText fromContent(QByteArrayView content);

    // The file's content again: "\n" gives CR LF, the marks give back what
    // they stand for, and the tail follows. A text read and not edited gives
    // the file's bytes back, up to the line ends, which become CR LF.
    QByteArray content() const;
};

// The character that marks what a text box cannot hold (a private-use
// character that does not occur in ordinary text).
inline constexpr char16_t tipsBoxMark = 0xF8FF;

// Writes the text in one piece, each "\n" as CR LF and nothing else changed:
// a last line without a line break is written without one. Throws
// FileStreamError "Cannot create file "%s". %s"; the old file then stays
// whole.
void writeTipsText(const QString& path, const TipsBoxText& text);

} // namespace jf
