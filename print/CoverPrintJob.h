#pragma once

#include "Calibration.h"
#include "Picture.h"

#include <QString>
#include <cstdint>

class QWidget;
class PrintWindow;

namespace jf {

// "Print Cover": prints the current cover on one page of the current printer.
//
//  1. Runs the printer-setup dialog (owned by `dialogParent`); cancel ends the
//     job silently.
//  2. Converts `heightText`, then `widthText` (millimetres, as the two boxes
//     show them) to numbers: ConvertError "'%s' is not a valid floating point
//     value" names the height's text first.
//  3. Converts height, then width, to window pixels at 3.8 per millimetre:
//     MathError "Invalid floating point operation" for sizes out of range.
//  4. Shows `window`, sets its height to pixels + 50 and its width to
//     pixels + 20, and gives it a copy of `picture`.
//  5. Gives the border the colour named by `borderColour` ("Black", "Red",
//     "Blue", "Green", "Yellow", "Gray"; exact comparison). Any other name
//     keeps the border colour of the previous job (gray at first).
//  6. Places the border `borderWidth` pixels around the picture, prints the
//     window (PrintWindow::printPage) and hides it again. When printing fails
//     the window stays visible and the error goes to the caller.
//
// Errors are jf::Error subclasses for the caller's error report; nothing is
// shown here except the dialog.
//
// A printer with a line in `calibration` prints the cover corrected (see
// PrintWindow::printPage); any other prints exactly as without it.
void printCover(QWidget* dialogParent, const QString& heightText, const QString& widthText,
                const Picture& picture, std::uint8_t borderWidth, const QString& borderColour,
                PrintWindow& window, const CalibrationTable* calibration = nullptr);

// "Printer Setup": runs the printer-setup dialog alone; a confirmed choice
// becomes the current printer, the outcome is otherwise ignored. Throws
// PrinterError "There is no default printer currently selected" (no printer
// at all, before any dialog) or "Printing in progress" (confirmed while a
// page prints).
void setUpPrinter(QWidget* parent);

} // namespace jf
