#pragma once

#include <QDate>

namespace jf {

// Prints the calibration page on the current printer: a 150 x 100 mm
// rectangle whose corner lies where a cover's picture starts, with
// millimetre rulers along its top and left edges, arrows naming the two
// lengths to measure, the printer's name and the date. Errors as
// PrintWindow::printPage.
void printCalibrationPage(const QDate& date = QDate::currentDate());

} // namespace jf
