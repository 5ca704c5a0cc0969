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

constexpr double kSmallestSideMm = 1;
constexpr double kLargestSideMm = 99999;

std::optional<double> size(const QString& field)
{
    bool ok = false;
    const double value = QLocale::c().toDouble(field, &ok);
    if (!ok || !isSheetCoverSide(value))
        return std::nullopt;
    return value;
}

QString sizeText(double mm)
{
    return QString::number(mm, 'g', 12);
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
    return QStringList{QString::number(entry.kind), sizeText(entry.width), sizeText(entry.height),
                       entry.picturePath}
        .join(QLatin1Char('\t'));
}

} // namespace

bool isSheetCoverSide(double mm)
{
    return mm >= kSmallestSideMm && mm <= kLargestSideMm; // NaN is neither
}

void SheetList::append(const SheetEntry& entry)
{
    if (m_entries.size() >= kMostSheetCovers)
        throw Error(QStringLiteral("The sheet holds %1 covers, as many as it takes. Print it, or "
                                   "remove covers first.")
                        .arg(kMostSheetCovers));
    if (!isSheetCoverSide(entry.width) || !isSheetCoverSide(entry.height))
        throw Error(QStringLiteral("A cover on the sheet must be at least 1 mm wide and 1 mm high; "
                                   "this one is %1 \u00d7 %2 mm.")
                        .arg(sizeText(entry.width), sizeText(entry.height)));
    m_entries.append(entry);
}

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
    m_leftOver = 0;
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
        const std::optional<SheetEntry> entry = parseLine(lines[i]);
        if (entry && m_entries.size() < kMostSheetCovers) {
            m_entries.append(*entry);
        } else if (entry) {
            ++m_leftOver;
            m_keptLines << lines[i];
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

QString sheetReadNote(const QString& path, const QList<int>& damaged, qsizetype leftOver)
{
    QStringList notes;
    if (!damaged.isEmpty()) {
        QStringList numbers;
        for (int line : damaged)
            numbers << QString::number(line);
        notes << QStringLiteral("Damaged lines of \"%1\" were left out of the sheet and are kept "
                                "in the file: line %2")
                     .arg(path, numbers.join(QStringLiteral(", ")));
    }
    if (leftOver > 0)
        notes << QStringLiteral("\"%1\" holds more covers than a sheet takes: the first %2 are "
                                "on the sheet, the other %3 are kept in the file")
                     .arg(path)
                     .arg(kMostSheetCovers)
                     .arg(leftOver);
    return notes.join(QStringLiteral(".\n\n"));
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
