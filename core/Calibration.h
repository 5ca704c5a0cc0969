#pragma once

#include "PageUnits.h"

#include <QList>
#include <QPair>
#include <QRectF>
#include <QString>
#include <optional>

namespace jf {

// The rectangle of the calibration page, in millimetres, and where its top
// left corner lies from the corner a cover starts at (the page image's
// 10-pixel margin at 3.8 cover pixels per millimetre).
inline constexpr double calibrationWidthMm = 150.0;
inline constexpr double calibrationHeightMm = 100.0;
inline constexpr double calibrationInsetMm = coverPixelsToMm(kPictureOrigin);

// How one printer puts a page on paper, found with the calibration page: the
// measured size of its 150 x 100 mm rectangle, and how far (in millimetres,
// right and down positive) the page lands from where it should. A calibrated
// printer prints covers in true millimetres, scaled by nominal / measured and
// moved back by the offset, so they measure what was asked.
struct PrinterCorrection
{
    double measuredWidth = calibrationWidthMm;
    double measuredHeight = calibrationHeightMm;
    double offsetX = 0;
    double offsetY = 0;

    bool operator==(const PrinterCorrection&) const = default;
};

// What the user typed in the calibration window: the rectangle's measured
// width and height, and optionally its distances from the sheet's left and
// top edges (millimetres, either decimal separator).
struct CalibrationMeasurements
{
    QString width;
    QString height;
    QString left;
    QString top;
};

// The correction the measurements give, in the axes of portrait paper.
// `printable` is the printable area (millimetres from the sheet's corner;
// a cover's page starts at its corner) of the page the measurements were
// taken on; with `measuredOnLandscape` the page was landscape and the values
// are turned into the sheet's portrait axes as correctionOnPage turns them
// back. A value that is not a number, a size more than 10% off, or a
// distance that puts the page more than 20 mm off is refused with an Error
// naming the field: such values are almost always typing mistakes.
PrinterCorrection correctionFromMeasurements(const CalibrationMeasurements& typed,
                                             const QRectF& printable,
                                             bool measuredOnLandscape = false);

// Calibration.txt in the Data folder: one line per printer, the queue name
// and the four numbers of its correction separated by tabs, CR LF after
// every line.
class CalibrationTable
{
public:
    std::optional<PrinterCorrection> find(const QString& printer) const;
    void set(const QString& printer, const PrinterCorrection& correction);
    void remove(const QString& printer);
    // True when the file would hold nothing: no printer, no damaged line kept,
    // and the file was read whole (one not read whole is never replaced).
    bool isEmpty() const { return m_entries.isEmpty() && m_keptLines.isEmpty() && !m_notReadWhole; }

    // Replaces the table with the file's lines. A missing file is an empty
    // table; damaged lines are left out of the table and their numbers
    // (from 1) returned. A file that cannot be read throws InOutError. What
    // was read, or that the file is missing, is noted (SafeFileIO.h).
    QList<int> read(const QString& path);
    // Writes the table, replacing the file in one step; damaged lines read
    // last follow it unchanged. A table that holds nothing (isEmpty) removes
    // the file instead. A file the last read could not read whole, or one
    // another program changed since, is never written or removed:
    // InOutError. Every failure's message names the file.
    void write(const QString& path) const;

private:
    QList<QPair<QString, PrinterCorrection>> m_entries;
    QStringList m_keptLines; // damaged lines, as read
    bool m_notReadWhole = false;
};

} // namespace jf
