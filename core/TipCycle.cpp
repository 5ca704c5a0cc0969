#include "TipCycle.h"

#include "DataFileFormats.h"
#include "TextCodec.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace jf {

void TipCycle::read(const QString& path)
{
    m_tips.clear();
    SettingsFileReader reader(path);
    while (!reader.atEnd())
        m_tips << reader.readLine();
}

QString TipCycle::next()
{
    // Re-reading may have shortened the list below the index; the cycle
    // then goes on at the first tip.
    ++m_index;
    if (m_index >= m_tips.size())
        m_index = 0;
    return m_tips.isEmpty() ? QString() : m_tips[m_index];
}

namespace {

// What a text box cannot hold, and the sign that stands for it after
// tipsBoxMark. The mark itself is marked too, so every text comes back.
constexpr std::pair<char16_t, char16_t> boxSigns[] = {
    {u'\r', u'\u240D'},  // a CR that ends no line: "SYMBOL FOR CARRIAGE RETURN"
    {0x2029, u'\u00B6'}, // paragraph separator: pilcrow
    {0xFDD0, u'['},      // the two characters text boxes take as frame marks
    {0xFDD1, u']'},      {tipsBoxMark, tipsBoxMark},
};

void appendMarked(QString& out, QStringView line)
{
    for (const QChar c : line) {
        bool marked = false;
        for (const auto& [special, sign] : boxSigns) {
            if (c.unicode() == special) {
                out += QChar(tipsBoxMark);
                out += QChar(sign);
                marked = true;
                break;
            }
        }
        if (!marked)
            out += c;
    }
}

} // namespace

TipsBoxText TipsBoxText::read(const QString& path)
{
    return fromContent(readSettingsFileBytes(path));
}

TipsBoxText TipsBoxText::fromContent(QByteArrayView content)
{
    TipsBoxText result;
    const qsizetype eof = content.indexOf('\x1a');
    if (eof >= 0) {
        result.tail = content.sliced(eof).toByteArray();
        content = content.first(eof);
    }
    const QString text = decodeLocal8Bit(content);
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        const bool atEnd = i == text.size();
        if (!atEnd && text[i] != u'\n')
            continue;
        qsizetype end = i;
        if (!atEnd && end > start && text[end - 1] == u'\r')
            --end;
        appendMarked(result.text, QStringView(text).sliced(start, end - start));
        if (!atEnd)
            result.text += u'\n';
        start = i + 1;
    }
    return result;
}

QByteArray TipsBoxText::content() const
{
    QString plain;
    plain.reserve(text.size() + text.count(u'\n'));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\n') {
            plain += QLatin1String("\r\n");
            continue;
        }
        if (c.unicode() == tipsBoxMark && i + 1 < text.size()) {
            const char16_t next = text[i + 1].unicode();
            const auto found = std::find_if(std::begin(boxSigns), std::end(boxSigns),
                                            [next](const auto& p) { return p.second == next; });
            if (found != std::end(boxSigns)) {
                plain += QChar(found->first);
                ++i;
                continue;
            }
        }
        plain += c;
    }
    return encodeLocal8Bit(plain) + tail;
}

void writeTipsText(const QString& path, const TipsBoxText& text)
{
    writeWholeFile(path, text.content());
}

} // namespace jf
