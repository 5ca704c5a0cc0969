#include "Preferences.h"

#include "DataFileFormats.h"
#include "NumberConvert.h"

namespace jf {

void Preferences::read(const QString& path)
{
    SettingsFileReader reader(path);
    borderWidth = static_cast<std::uint8_t>(std::uint32_t(strToInt(reader.readLine())) & 0xFFu);
    borderColour = reader.readLine();
    tipInterval = strToInt(reader.readLine());
}

void Preferences::write(const QString& path) const
{
    writeSettingsFile(path, {intToStr(borderWidth), borderColour, intToStr(tipInterval)});
}

QStringList readPreferenceLines(const QString& path)
{
    SettingsFileReader reader(path);
    QStringList lines;
    for (int line = 1; line <= 3; ++line)
        lines << reader.readLine();
    return lines;
}

void writePreferenceLines(const QString& path, const QStringList& lines)
{
    writeSettingsFile(path, {lines.value(0), lines.value(1), lines.value(2)});
}

} // namespace jf
