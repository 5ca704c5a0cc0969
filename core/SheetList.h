#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace jf {

// One cover on the sheet: the kind it was added as (1 to 8, whose name the
// sheet shows), its size in millimetres as the boxes showed it, and the
// picture file it prints.
struct SheetEntry
{
    int kind = 1;
    double width = 0;
    double height = 0;
    QString picturePath;

    bool operator==(const SheetEntry&) const = default;
};

// Sheet.txt in the Data folder: the covers of the sheet in the order they
// were added, one line each: kind, width, height and the picture's path,
// separated by tabs, CR LF after every line.
//
// Nothing is lost: a line that is not such an entry is kept as it is and
// written back after the entries; a file that could not be read whole (over
// the list ceilings, holding a NUL byte, unreadable) is never written over.
class SheetList
{
public:
    const QList<SheetEntry>& entries() const { return m_entries; }
    void append(const SheetEntry& entry) { m_entries.append(entry); }
    // Nothing for an index that is no entry.
    void removeAt(qsizetype index);
    // Removes every entry; damaged lines kept from the file stay.
    void clear() { m_entries.clear(); }

    // Replaces the list with the file's. A missing file is an empty sheet
    // (noted as missing, see SafeFileIO.h); the numbers (from 1) of damaged
    // lines are returned. Throws
    // FileStreamError (FileTooLargeError) for a file that cannot be read.
    QList<int> read(const QString& path);
    // Replaces the file with the entries and the damaged lines, in one step.
    // Throws FileStreamError, also for a file the last read could not read
    // whole, and for a picture path holding a line break; the file then
    // stays as it was.
    void write(const QString& path) const;

private:
    QList<SheetEntry> m_entries;
    QStringList m_keptLines;
    bool m_notReadWhole = false;
};

// SheetSettings.ins in the Data folder: whether the sheet prints cut marks
// (line 1: "1" or "0"). A missing file is the default, marks on; it is noted
// as missing, so that a file another program makes meanwhile is not written
// over. Throws InOutError, whose message names the file.
bool readSheetCutMarks(const QString& path);
void writeSheetCutMarks(const QString& path, bool on);

} // namespace jf
