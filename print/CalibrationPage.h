#pragma once

#include "PageLayout.h"

#include <QDate>

namespace jf {

// Prints the calibration page on the current printer: a 150 x 100 mm
// rectangle whose corner lies where a cover's picture starts, with
// millimetre rulers along its top and left edges, arrows naming the two
// lengths to measure, the printer's name and the date. Errors as
// printPages.
//
// The page prints on portrait paper, or on the turned paper when only that
// holds it (the fit rule of layoutCover, PrinterError when neither does);
// the printer's own orientation is kept for covers. Returns the orientation
// the page was printed in, which the measurements are taken in.
PaperOrientation printCalibrationPage(const QDate& date = QDate::currentDate());

} // namespace jf
