#pragma once

#include "Calibration.h"
#include "PageLayout.h"
#include "Picture.h"

#include <QString>
#include <cstdint>

class QWidget;

namespace jf {

class PrintWindow;

// "Print Cover": prints the current cover on one page of the current printer.
//
//  1. Runs the printer-setup dialog (owned by `dialogParent`); cancel ends the
//     job silently.
//  2. Converts `heightText`, then `widthText` (millimetres, as the two boxes
//     show them) to numbers: ConvertError "'%s' is not a valid floating point
//     value" names the height's text first.
//  3. Converts height, then width, to window pixels at 3.8 per millimetre:
//     MathError "Invalid floating point operation" for sizes out of range.
//  4. Lays out the page (layoutCover): when the cover does not fit the
//     printable area but fits the turned paper, the current printer's paper
//     is turned; when it fits neither way, PrinterError names both sizes and
//     nothing is touched or printed.
//  5. Shows `window`, sets its height to pixels + 50 and its width to
//     pixels + 20, and gives it a copy of `picture`.
//  6. Gives the border the colour named by `borderColour` ("Black", "Red",
//     "Blue", "Green", "Yellow", "Gray"; exact comparison). Any other name
//     keeps the border colour of the previous job (gray at first).
//  7. Places the border `borderWidth` pixels around the picture, prints the
//     window as laid out (PrintWindow::printPage) and hides it again. When printing fails
//     the window stays visible and the error goes to the caller.
//
// Errors are jf::Error subclasses for the caller's error report; nothing is
// shown here except the dialog.
//
// A printer with a line in `calibration` prints the cover corrected (see
// layoutCover); any other prints exactly as without it.
void printCover(QWidget* dialogParent, const QString& heightText, const QString& widthText,
                const Picture& picture, std::uint8_t borderWidth, const QString& borderColour,
                PrintWindow& window, const CalibrationTable* calibration = nullptr);

// "Printer Setup": runs the printer-setup dialog alone; a confirmed choice
// becomes the current printer, the outcome is otherwise ignored. Throws
// PrinterError "There is no default printer currently selected" (queues but
// no default, before any dialog) or "Printing in progress" (confirmed while a
// page prints).
void setUpPrinter(QWidget* parent);

// "Print Preview": lays the cover out on the current printer as printCover
// does (same errors; a paper turned by the fit rule stays turned), shows it
// in CoverPreviewDialog and, when the user chooses "Print" there, prints it
// as shown, without the printer-setup dialog.
void previewCover(QWidget* parent, const QString& heightText, const QString& widthText,
                  const Picture& picture, std::uint8_t borderWidth, const QString& borderColour,
                  PrintWindow& window, const CalibrationTable* calibration = nullptr);

// Steps 2 to 6 of printCover without the dialog and without showing
// `window`: the page as it will print on the current printer, the paper
// turned by the fit rule when needed.
PageLayout prepareCoverPage(const QString& heightText, const QString& widthText,
                            const Picture& picture, std::uint8_t borderWidth,
                            const QString& borderColour, PrintWindow& window,
                            const CalibrationTable* calibration);

} // namespace jf
