#pragma once

#include "PrinterTable.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace jf {

// The disc label's centre hole: its diameter in whole millimetres, 0 (no
// hole) up to 60.
inline constexpr int defaultDiscHoleMm = 41;
inline constexpr int largestDiscHoleMm = 60;

// Disc.ins in the Data folder: line 1 is the hole's diameter. A missing file,
// or a first line that is not a whole number from 0 to 60, gives the default
// (41); a missing file is noted as missing, so that a file another program
// makes meanwhile is not written over. A file that cannot be read throws
// InOutError, whose message names the file; the caller keeps the default.
int readDiscHole(const QString& path);
// Throws Error for a diameter outside 0..60 and InOutError (naming the file)
// when it cannot be written; the old file then stays as it was.
void writeDiscHole(const QString& path, int millimetres);

// How one printer prints on discs: whether "Print on the printer's disc tray"
// is on, and how far its prints are moved on the disc to land on its
// centre, in tenths of a millimetre, right and down positive (a print that
// lands 1 mm too far left is corrected by 10 across).
struct DiscPrinterSettings
{
    int offsetX = 0;
    int offsetY = 0;
    bool tray = false;

    bool operator==(const DiscPrinterSettings&) const = default;
};

// The largest correction kept, either way: 20 mm.
inline constexpr int largestDiscOffsetTenths = 200;

// The fields of a DiscCalibration.txt line after the queue name: X and Y in
// tenths of a millimetre, then 1 with the tray on or 0 with it off. A line
// of only X and Y is the tray off. A correction over 20 mm either way is
// damage.
struct DiscCalibrationLine
{
    static QStringList fields(const DiscPrinterSettings& settings);
    static std::optional<DiscPrinterSettings> value(const QStringList& fields);
};

// DiscCalibration.txt in the Data folder: one line per printer, the queue
// name, X, Y and the tray (1 or 0) separated by tabs, CR LF after every line;
// read and written as the calibration table is (PrinterTable.h): damaged
// lines are kept, the file goes with the last printer.
class DiscCalibrationTable
{
public:
    // The printer's settings; the defaults (tray off, no correction) for a
    // printer the table does not hold.
    DiscPrinterSettings find(const QString& printer) const;
    // Keeps the printer's settings; the defaults remove it. Throws Error,
    // and keeps nothing, for a correction over 20 mm either way.
    void set(const QString& printer, const DiscPrinterSettings& settings);
    bool isEmpty() const { return m_table.isEmpty(); }

    QList<int> read(const QString& path) { return m_table.read(path); }
    void write(const QString& path) const { m_table.write(path); }

private:
    PrinterTable<DiscPrinterSettings, DiscCalibrationLine> m_table;
};

} // namespace jf
