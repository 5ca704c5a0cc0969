#include "TipCycle.h"

#include "TextFiles.h"

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

QString readTipsText(const QString& path)
{
    SettingsFileReader reader(path);
    QString text;
    while (!reader.atEnd())
        text += reader.readLine() + QLatin1Char('\n');
    return text;
}

void writeTipsText(const QString& path, const QString& text)
{
    QString fileText = text;
    fileText.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    writeWholeTextFile(path, fileText);
}

} // namespace jf
