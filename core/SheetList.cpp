#include "SheetList.h"

#include "DataFileFormats.h"
#include "Errors.h"
#include "NumberConvert.h"
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

// A number of a cover's placement: written with a dot, read only so.
std::optional<double> placementNumber(const QString& field, double low, double high)
{
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double value = c.toDouble(field, &ok);
    if (!ok || !(value >= low && value <= high))
        return std::nullopt;
    return value;
}

// The placement at the end of a line's fields after the first three (the
// path and what follows it), which it shortens to the path's; nothing for
// damaged placement fields. The placement starts at the last field that
// names a way of placing: a path may hold tabs, but the program writes a
// placement after every path that could be read so. Without one the line
// is of the four old fields: stretch.
std::optional<Placement> takePlacement(QStringList& rest)
{
    qsizetype at = rest.size() - 1;
    while (at > 0 && !pictureFitNamed(rest[at]))
        --at;
    if (at <= 0)
        return Placement();
    Placement placement{*pictureFitNamed(rest[at]), Crop()};
    const QStringList values = rest.mid(at + 1);
    rest = rest.mid(0, at);
    if (placement.fit != PictureFit::Fill)
        return values.isEmpty() ? std::optional(placement) : std::nullopt;
    if (values.size() != 3)
        return std::nullopt;
    const std::optional<double> x = placementNumber(values[0], 0, 1);
    const std::optional<double> y = placementNumber(values[1], 0, 1);
    const std::optional<double> zoom = placementNumber(values[2], 1, kMostZoom);
    if (!x || !y || !zoom)
        return std::nullopt;
    placement.crop = {*x, *y, *zoom};
    return placement;
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
    QStringList rest = fields.mid(3);
    const std::optional<Placement> placement = takePlacement(rest);
    // The path is what precedes the placement: a tab belongs to it.
    const QString path = rest.join(QLatin1Char('\t'));
    if (!ok || kind < 1 || kind > 8 || !width || !height || !placement || path.isEmpty())
        return std::nullopt;
    return SheetEntry{kind, *width, *height, path, *placement};
}

QString formatLine(const SheetEntry& entry)
{
    QStringList fields{QString::number(entry.kind), sizeText(entry.width), sizeText(entry.height),
                       entry.picturePath};
    // A stretched cover is the four old fields, unless its path would read
    // as ending in a placement.
    if (entry.placement.fit == PictureFit::Stretch) {
        const std::optional<SheetEntry> read = parseLine(fields.join(QLatin1Char('\t')));
        if (read && read->picturePath == entry.picturePath)
            return fields.join(QLatin1Char('\t'));
    }
    fields << pictureFitName(entry.placement.fit);
    if (entry.placement.fit == PictureFit::Fill) {
        const Crop& crop = entry.placement.crop;
        fields << floatToShortStr(crop.centreX, 6) << floatToShortStr(crop.centreY, 6)
               << floatToShortStr(crop.zoom, 6);
    }
    return fields.join(QLatin1Char('\t'));
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

SheetSettings readSheetSettings(const QString& path)
{
    SheetSettings settings;
    try {
        SettingsFileReader file(path, FileUse::State, FailureText::NamingTheFile);
        settings.cutMarks = file.readLine() != QLatin1String("0");
        bool ok = false;
        const int bleed = file.readLine().trimmed().toInt(&ok);
        if (ok && bleed >= 0 && bleed <= kMostBleedMm)
            settings.bleedMm = bleed;
    } catch (const InOutError& e) {
        if (e.osError() != ENOENT && e.osError() != ENOTDIR)
            throw; // else never changed (or no Data folder at all)
    }
    return settings;
}

void writeSheetSettings(const QString& path, const SheetSettings& settings)
{
    writeSettingsFile(path,
                      {settings.cutMarks ? QStringLiteral("1") : QStringLiteral("0"),
                       QString::number(settings.bleedMm)},
                      FailureText::NamingTheFile);
}

} // namespace jf
