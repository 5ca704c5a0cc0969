#include "CoverSizes.h"

#include "DataFileFormats.h"
#include "Errors.h"
#include "NumberConvert.h"
#include "SafeFileIO.h"

#include <QStringList>
#include <cerrno>
#include <stdexcept>

namespace jf {

int CoverSizes::lineOfWidth(int kind)
{
    if (!isKind(kind))
        throw std::out_of_range("cover kind outside 1 to 8");
    return 2 * (kind - 1);
}

void CoverSizes::set(int line, std::int32_t value)
{
    m_values[line] = value;
    m_known[line] = true;
}

void CoverSizes::setWidth(int kind, std::int32_t millimetres)
{
    set(lineOfWidth(kind), millimetres);
}

void CoverSizes::setHeight(int kind, std::int32_t millimetres)
{
    set(lineOfWidth(kind) + 1, millimetres);
}

void CoverSizes::read(const QString& path)
{
    SettingsFileReader reader(path);
    for (int line = 0; line < lineCount; ++line)
        set(line, strToInt(reader.readLine()));
}

void CoverSizes::write(const QString& path) const
{
    QStringList fileLines;
    bool allKnown = true;
    for (bool known : m_known)
        allKnown = allKnown && known;
    if (!allKnown) {
        // The file must still be the one the known values came from; only
        // then are its other lines copied.
        refuseChangedSettingsFile(path);
        try {
            SettingsFileReader reader(path, FileUse::Look);
            for (int line = 0; line < lineCount; ++line)
                fileLines << reader.readLine();
        } catch (const InOutError& e) {
            if (e.osError() != ENOENT)
                throw;
        }
    }
    QStringList lines;
    for (int line = 0; line < lineCount; ++line) {
        if (m_known[line] || fileLines.isEmpty())
            lines << intToStr(m_values[line]);
        else
            lines << fileLines[line];
    }
    writeSettingsFile(path, lines);
}

CoverSizes CoverSizes::defaults()
{
    CoverSizes s;
    const int w[] = {270, 265, 280, 130, 121, 120, 151, 117};
    const int h[] = {184, 184, 184, 184, 121, 120, 118, 117};
    for (int kind = 1; kind <= coverKindCount; ++kind) {
        s.setWidth(kind, w[kind - 1]);
        s.setHeight(kind, h[kind - 1]);
    }
    return s;
}

SizeTexts SizeTexts::read(const QString& path)
{
    SettingsFileReader reader(path);
    SizeTexts texts;
    for (int i = 0; i < coverKindCount; ++i) {
        texts.widths[i] = reader.readLine();
        texts.heights[i] = reader.readLine();
    }
    return texts;
}

void SizeTexts::write(const QString& path) const
{
    QStringList lines;
    for (int i = 0; i < coverKindCount; ++i)
        lines << widths[i] << heights[i];
    writeSettingsFile(path, lines);
}

SizeTexts SizeTexts::defaults()
{
    const CoverSizes sizes = CoverSizes::defaults();
    SizeTexts texts;
    for (int kind = 1; kind <= coverKindCount; ++kind) {
        texts.widths[kind - 1] = intToStr(sizes.width(kind));
        texts.heights[kind - 1] = intToStr(sizes.height(kind));
    }
    return texts;
}

} // namespace jf
