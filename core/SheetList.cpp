#include "SheetList.h"

#include "DataFileFormats.h"
#include "Errors.h"
#include "SafeFileIO.h"

#include <QLocale>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <optional>

namespace jf {

namespace {

// Sizes beyond what the size boxes take (four digits) are damage.
constexpr double kLargestSizeMm = 99999;

std::optional<double> size(const QString& field)
{
    bool ok = false;
    const double value = QLocale::c().toDouble(field, &ok);
    if (!ok || !std::isfinite(value) || value < 0 || value > kLargestSizeMm)
        return std::nullopt;
    return value;
}

std::optional<SheetEntry> parseLine(const QString& line)
{
    const bool control = std::any_of(line.cbegin(), line.cend(), [](QChar c) {
        return (c.unicode() < 0x20 && c != QLatin1Char('\t')) || c.unicode() == 0x7f;
    });
    const QStringList fields = line.split(QLatin1Char('\t'));
    if (control || fields.size() < 4)
        return std::nullopt;
    bool ok = false;
    const int kind = fields[0].toInt(&ok);
    const std::optional<double> width = size(fields[1]);
    const std::optional<double> height = size(fields[2]);
    // The path is the rest of the line: a tab belongs to it.
    const QString path = fields.mid(3).join(QLatin1Char('\t'));
    if (!ok || kind < 1 || kind > 8 || !width || !height || path.isEmpty())
        return std::nullopt;
    return SheetEntry{kind, *width, *height, path};
}

QString formatLine(const SheetEntry& entry)
{
    return QStringList{QString::number(entry.kind), QString::number(entry.width, 'g', 12),
                       QString::number(entry.height, 'g', 12), entry.picturePath}
        .join(QLatin1Char('\t'));
}

} // namespace

void SheetList::removeAt(qsizetype index)
{
    if (index >= 0 && index < m_entries.size())
        m_entries.removeAt(index);
}

QList<int> SheetList::read(const QString& path)
{
    m_entries.clear();
    m_keptLines.clear();
    m_notReadWhole = false;
    QList<int> damaged;
    if (!nameExists(path)) {
        // Nothing added yet; a sheet another program makes meanwhile is
        // not written over.
        noteFileMissing(path);
        return damaged;
    }
    QStringList lines;
    bool complete = true;
    try {
        lines = readListFile(path, &complete);
    } catch (...) {
        m_notReadWhole = true;
        throw;
    }
    m_notReadWhole = !complete;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines[i].isEmpty())
            continue;
        if (const std::optional<SheetEntry> entry = parseLine(lines[i])) {
            m_entries.append(*entry);
        } else {
            damaged << int(i + 1);
            m_keptLines << lines[i];
        }
    }
    return damaged;
}

void SheetList::write(const QString& path) const
{
    if (m_notReadWhole)
        throw FileStreamError(keptUnreadMessage(path));
    QStringList lines;
    for (const SheetEntry& entry : m_entries)
        lines << formatLine(entry);
    writeListFile(path, lines + m_keptLines);
}

bool readSheetCutMarks(const QString& path)
{
    try {
        return SettingsFileReader(path, FileUse::State, FailureText::NamingTheFile).readLine() !=
               QLatin1String("0");
    } catch (const InOutError& e) {
        if (e.osError() == ENOENT || e.osError() == ENOTDIR)
            return true; // never changed (or no Data folder at all)
        throw;
    }
}

void writeSheetCutMarks(const QString& path, bool on)
{
    writeSettingsFile(path, {on ? QStringLiteral("1") : QStringLiteral("0")},
                      FailureText::NamingTheFile);
}

} // namespace jf
