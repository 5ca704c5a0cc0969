#pragma once

#include "PictureFit.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace jf {

// One cover on the sheet: the kind it was added as (1 to 8, whose name the
// sheet shows), its size in millimetres as the boxes showed it, the
// picture file it prints and how the picture was placed on it.
struct SheetEntry
{
    int kind = 1;
    double width = 0;
    double height = 0;
    QString picturePath;
    Placement placement{};

    bool operator==(const SheetEntry&) const = default;
};

// The most covers a sheet holds.
inline constexpr qsizetype kMostSheetCovers = 500;

// Whether `mm` is a side a cover on the sheet may have: from 1 mm (a smaller
// cover has nothing to print or cut around) up to 99999 mm.
bool isSheetCoverSide(double mm);

// Sheet.txt in the Data folder: the covers of the sheet in the order they
// were added, one line each: kind, width, height, the picture's path and
// the placement ("stretch", "fit", or "fill" followed by the crop's centre
// across and down and its zoom, with a dot and at most six decimals),
// separated by tabs, CR LF after every line. A line of the first four
// fields alone is a stretched cover, and a stretched cover is written so
// unless its path ends in what reads as a placement.
//
// Nothing is lost: a line that is not such an entry is kept as it is and
// written back after the entries, as are the entries beyond
// kMostSheetCovers; a file that could not be read whole (over the list
// ceilings, holding a NUL byte, unreadable) is never written over. A line
// whose sizes are no cover's on the sheet (isSheetCoverSide) is damaged.
class SheetList
{
public:
    const QList<SheetEntry>& entries() const { return m_entries; }
    // Adds a cover at the end. Throws Error, the list unchanged, when the
    // sheet is full ("The sheet holds 500 covers, as many as it takes. ...")
    // or a size is outside isSheetCoverSide ("A cover on the sheet must be at
    // least 1 mm wide and 1 mm high; this one is 0 × 121 mm.").
    void append(const SheetEntry& entry);
    // Nothing for an index that is no entry.
    void removeAt(qsizetype index);
    // Removes every entry; damaged lines kept from the file stay.
    void clear() { m_entries.clear(); }

    // Replaces the list with the file's. A missing file is an empty sheet
    // (noted as missing, see SafeFileIO.h); the numbers (from 1) of damaged
    // lines are returned. Throws
    // FileStreamError (FileTooLargeError) for a file that cannot be read.
    QList<int> read(const QString& path);
    // How many entries the last read kept in the file only, beyond
    // kMostSheetCovers.
    qsizetype leftOver() const { return m_leftOver; }
    // Replaces the file with the entries and the damaged lines, in one step.
    // Throws FileStreamError, also for a file the last read could not read
    // whole, and for a picture path holding a line break; the file then
    // stays as it was.
    void write(const QString& path) const;

private:
    QList<SheetEntry> m_entries;
    QStringList m_keptLines;
    bool m_notReadWhole = false;
    qsizetype m_leftOver = 0;
};

// What the user is told after reading `path`: its damaged lines, by number,
// and the entries beyond the ceiling; empty when there is nothing to tell.
QString sheetReadNote(const QString& path, const QList<int>& damaged, qsizetype leftOver);

// The sheet window's choices: cut marks, and how far (whole millimetres,
// 0 to kMostBleedMm) the pictures of covers without a border run past
// their cut lines.
struct SheetSettings
{
    bool cutMarks = true;
    int bleedMm = 0;

    bool operator==(const SheetSettings&) const = default;
};

inline constexpr int kMostBleedMm = 3;

// SheetSettings.ins in the Data folder: line 1 the cut marks ("1" or "0"),
// line 2 the bleed. A missing file, or a missing line, is the default
// (marks on, no bleed), as is a bleed that is no whole number from 0 to
// kMostBleedMm; a missing file is noted as missing, so that a file another
// program makes meanwhile is not written over. Throws InOutError, whose
// message names the file.
SheetSettings readSheetSettings(const QString& path);
void writeSheetSettings(const QString& path, const SheetSettings& settings);

} // namespace jf
