#pragma once

#include "Calibration.h"
#include "PageLayout.h"
#include "Picture.h"
#include "PictureFit.h"
#include "PrintPage.h"

#include <QColor>
#include <QString>
#include <cstdint>

class QWidget;

namespace jf {

// The colour borders print in: the colour a name gives ("Black", "Red",
// "Blue", "Green", "Yellow", "Gray"; exact comparison), or for any other
// name the colour of the job before (gray at first).
class BorderColourMemory
{
public:
    BorderColourMemory();
    // The colour a job with this name prints in, remembered for the next.
    QColor rememberColourFor(const QString& name);
    // The same colour, without remembering it (what the next job would use).
    QColor peekColourFor(const QString& name) const;
    QColor current() const { return QColor::fromRgb(m_colour); }

private:
    QRgb m_colour;
};

// What "Print Cover" prints: the two boxes' texts (millimetres), the picture
// in the preview, the border from the settings, the cover kind's name and
// how the picture is placed on the cover. A disc label has its hole's
// diameter (the disc is the boxes' size) and prints its cut guides with
// `cutGuides` (the sheet's "Cut marks").
struct CoverRequest
{
    QString heightText;
    QString widthText;
    Picture picture;
    std::uint8_t borderWidth = 0;
    QString borderColour;
    QString name;
    Placement placement{};
    std::optional<int> discHoleMm{};
    bool cutGuides = false;
};

// The picture's size in cover pixels as the boxes give it: the height's
// text, then the width's, converted to numbers (ConvertError "'%s' is not
// a valid floating point value"), refused when negative, the height first
// (Error "'-5' is not a valid size: sizes cannot be negative"), then
// height, then width to cover pixels (mmToCoverPixels; MathError "Invalid
// floating point operation").
QSize coverPixels(const QString& heightText, const QString& widthText);

// The current printer's correction in `calibration`, if it has one.
std::optional<PrinterCorrection> currentCorrection(const CalibrationTable* calibration);

// "Print Cover": prints the current cover on one page of the current printer.
//
//  1. Runs the printer-setup dialog (owned by `dialogParent`); cancel ends the
//     job silently.
//  2. Converts the sizes (coverPixels).
//  3. Lays out the page (layoutCover): when the cover does not fit the
//     printable area but fits the turned paper, the current printer's paper
//     is turned; when it fits neither way, PrinterError names both sizes and
//     nothing is touched or printed.
//  4. Prints the page (printPages): the picture at (10, 10) cover pixels
//     from the printable area's corner with the border ring around it, in
//     the colour `border` gives for the request's name.
//
// Errors are jf::Error subclasses for the caller's error report; nothing is
// shown here except the dialog. A printer with a line in `calibration`
// prints the cover corrected (see layoutCover); any other prints exactly as
// without it.
void printCover(QWidget* dialogParent, const CoverRequest& request, BorderColourMemory& border,
                const CalibrationTable* calibration = nullptr);

// Steps 2 to 4 of printCover, once the printer is chosen.
void printChosenCover(const CoverRequest& request, BorderColourMemory& border,
                      const CalibrationTable* calibration = nullptr);

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
void previewCover(QWidget* parent, const CoverRequest& request, BorderColourMemory& border,
                  const CalibrationTable* calibration = nullptr);

// Steps 2 and 3 of printCover without the dialog: the page as it will print
// on the current printer, the paper turned by the fit rule when needed.
PrintPage prepareCoverPage(const CoverRequest& request, BorderColourMemory& border,
                           const CalibrationTable* calibration);

} // namespace jf
