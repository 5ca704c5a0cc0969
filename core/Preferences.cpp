#include "Preferences.h"

#include "DataFileFormats.h"
#include "NumberConvert.h"

#include <QLatin1StringView>

#include <utility>

namespace jf {

namespace {

const std::pair<QLatin1StringView, Rgb> kBorderColours[] = {
    {QLatin1StringView("Black"), 0xff000000},  {QLatin1StringView("Red"), 0xffff0000},
    {QLatin1StringView("Blue"), 0xff0000ff},   {QLatin1StringView("Green"), 0xff00ff00},
    {QLatin1StringView("Yellow"), 0xffffff00}, {QLatin1StringView("Gray"), 0xff808080},
};

} // namespace

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

std::optional<Rgb> namedBorderColour(const QString& name)
{
    for (const auto& [known, colour] : kBorderColours) {
        if (name == known)
            return colour;
    }
    return std::nullopt;
}

Rgb borderColourAfter(const QString& name, Rgb current)
{
    return namedBorderColour(name).value_or(current);
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
