#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace jf {

// A data file with one line per printer: the queue name and its values,
// separated by tabs, CR LF after every line (Calibration.txt,
// DiscCalibration.txt). Nothing is lost: a damaged line is kept as it was
// read and written back after the printers' lines, and a file that could
// not be read whole is never replaced or removed.
class PrinterTableFile
{
public:
    // Reads the file's lines, also those after a Ctrl+Z byte. Each line that
    // is not empty is split at its tabs and given to `take`, which returns
    // false for a damaged line; a line holding a control character other
    // than the tab is damaged as it stands. Returns the numbers (from 1) of
    // the damaged lines. A missing file (or folder) holds nothing; a file
    // that cannot be read throws InOutError. What was read, or that the file
    // is missing, is noted (SafeFileIO.h).
    QList<int> read(const QString& path, const std::function<bool(const QStringList&)>& take);
    // Replaces the file with `lines` and the damaged lines, in one step; with
    // neither, removes the file. A file the last read could not read whole,
    // or one another program changed since, is never written or removed:
    // InOutError. Every failure's message names the file.
    void write(const QString& path, const QStringList& lines) const;
    // No damaged line kept, and the file was read whole.
    bool holdsNothing() const { return m_keptLines.isEmpty() && !m_notReadWhole; }

private:
    QStringList m_keptLines; // damaged lines, as read
    bool m_notReadWhole = false;
};

// The values of such a file by printer, in the order they were first set.
// `Format` turns a value into its line's fields after the queue name and
// back: static `QStringList fields(const Value&)` and
// `std::optional<Value> value(const QStringList&)`, nothing for damaged
// fields.
template <class Value, class Format> class PrinterTable
{
public:
    std::optional<Value> find(const QString& printer) const
    {
        for (const auto& [name, value] : m_entries) {
            if (name == printer)
                return value;
        }
        return std::nullopt;
    }
    // Replaces the printer's value in its place, or appends it.
    void set(const QString& printer, const Value& value)
    {
        for (auto& entry : m_entries) {
            if (entry.first == printer) {
                entry.second = value;
                return;
            }
        }
        m_entries.append({printer, value});
    }
    void remove(const QString& printer)
    {
        m_entries.removeIf([&](const auto& entry) { return entry.first == printer; });
    }
    // True when the file would hold nothing: no printer, no damaged line kept,
    // and the file was read whole (one not read whole is never replaced).
    bool isEmpty() const { return m_entries.isEmpty() && m_file.holdsNothing(); }

    // Replaces the table with the file's lines (PrinterTableFile::read); a
    // line whose queue name is empty is damaged.
    QList<int> read(const QString& path)
    {
        m_entries.clear();
        return m_file.read(path, [this](const QStringList& fields) {
            const std::optional<Value> value = Format::value(fields.mid(1));
            if (fields[0].isEmpty() || !value)
                return false;
            set(fields[0], *value);
            return true;
        });
    }
    // Writes the table, or removes the file when it would hold nothing
    // (PrinterTableFile::write).
    void write(const QString& path) const
    {
        QStringList lines;
        for (const auto& [name, value] : m_entries)
            lines << (QStringList{name} + Format::fields(value)).join(QLatin1Char('\t'));
        m_file.write(path, lines);
    }

private:
    QList<QPair<QString, Value>> m_entries;
    PrinterTableFile m_file;
};

// After a table was read with `damaged` lines (their numbers from 1): throws
// Error "Damaged lines of "PATH" were ignored: line 3, 7, 12"; nothing when
// there are none.
void reportDamagedLines(const QString& path, const QList<int>& damaged);

} // namespace jf
