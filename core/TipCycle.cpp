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
    // The index is 8-bit; past the 128th tip the rotation starts again.
    m_index = m_index >= 127 ? std::int8_t(0) : std::int8_t(m_index + 1);
    if (m_index >= m_tips.size())
        m_index = 0;
    return m_tips.isEmpty() ? QString() : m_tips[m_index];
}

} // namespace jf
