#pragma once

#include "PageUnits.h"
#include "PrinterTable.h"

#include <QRectF>
#include <QString>
#include <QStringList>
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

// The fields of a Calibration.txt line after the queue name: the four
// numbers of the correction. Values more than 10% off (or an offset of more
// than 20 mm) are damage.
struct CalibrationLine
{
    static QStringList fields(const PrinterCorrection& correction);
    static std::optional<PrinterCorrection> value(const QStringList& fields);
};

// Calibration.txt in the Data folder: one line per printer, the queue name
// and the four numbers of its correction separated by tabs, CR LF after
// every line. Read and written as PrinterTable says: damaged lines are kept,
// the file goes with the last printer.
using CalibrationTable = PrinterTable<PrinterCorrection, CalibrationLine>;

} // namespace jf
