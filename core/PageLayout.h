#pragma once

#include "Calibration.h"

#include <QRect>
#include <QRectF>
#include <QSize>
#include <QSizeF>
#include <QString>
#include <optional>

namespace jf {

enum class PaperOrientation
{
    Portrait,
    Landscape
};

// Portrait for landscape and landscape for portrait.
PaperOrientation otherOrientation(PaperOrientation orientation);

// The paper of the current printer as the layout needs it: its name for
// messages, the printable area in millimetres from the sheet's top-left
// corner in each orientation, the orientation chosen in the printer-setup
// dialog, and the printer's dots per inch.
//
// Landscape is the portrait sheet turned a quarter counter-clockwise: the
// page's top lies along the sheet's left edge, the page's left along its
// bottom edge.
struct Paper
{
    QString name;
    QSizeF sizePointsPortrait; // the whole sheet, portrait, in points
    QRectF printablePortrait;
    QRectF printableLandscape;
    PaperOrientation orientation = PaperOrientation::Portrait;
    int dotsPerInchX = 1200;
    int dotsPerInchY = 1200;

    const QRectF& printable(PaperOrientation o) const
    {
        return o == PaperOrientation::Portrait ? printablePortrait : printableLandscape;
    }
    QSizeF sizePoints(PaperOrientation o) const
    {
        return o == PaperOrientation::Portrait ? sizePointsPortrait
                                               : sizePointsPortrait.transposed();
    }
};

// A printer's correction in the axes of a page of one orientation: the factor
// each page axis is scaled by and how far (millimetres) the printer moves
// the page along it.
struct PageCorrection
{
    double factorX = 1;
    double factorY = 1;
    double offsetX = 0;
    double offsetY = 0;
};

// A correction measured on a portrait page, turned with the page. The
// printer places the sheet: a position p from the printable area's top-left
// corner along either edge lands at offset + measured / nominal * p. A
// landscape page's x runs up the long edge, so x lies at p = length - x,
// `length` being the printable area's length along that edge (the landscape
// page's printable width): besides the offset, the page moves by
// (1 - measured / nominal) * length. Portrait pages do not use `length`.
PageCorrection correctionOnPage(const PrinterCorrection& correction, PaperOrientation orientation,
                                double length);

// Where a page's covers go on paper along each axis: a cover pixel at p
// lands on the dot p * scale + shift from the printable area's corner.
struct PagePlacement
{
    double scaleX = 1; // dots per cover pixel
    double scaleY = 1;
    double shiftX = 0; // dots
    double shiftY = 0;

    QRectF toDots(const QRectF& coverPixels) const;
};

// The placement rule of every page, a single cover's and the sheet's, in
// `orientation`. Uncalibrated, a cover pixel is 1/96 inch; for a page image
// of `pageImage` pixels, MulDiv(size, dpi, 96) / size dots, as it always was.
// Calibrated, a pixel is the true millimetre / 3.8, scaled by nominal /
// measured about the printable area's corner and moved back by the
// printer's offset, both turned with the page (correctionOnPage).
PagePlacement placementOn(const Paper& paper, PaperOrientation orientation,
                          const std::optional<PrinterCorrection>& correction,
                          std::optional<QSize> pageImage = std::nullopt);

// A cover's rectangles on a page, in printer dots from the printable area's
// corner: its area (painted white first; nothing of the cover reaches past
// it), the picture, and the border ring's outer edge (inside the area; equal
// to the picture without a border). A quarter-turned cover's picture lies a
// quarter turn clockwise: its top along the right edge of `picture`.
struct CoverFrame
{
    QRectF area;
    QRectF picture;
    QRectF border;
    bool quarterTurned = false;

    void translate(QPointF by);
};

// The rectangles of a cover placed by `placement`: its picture, `picture`
// cover pixels with the top-left corner at `pictureAt` (cover pixels), and a
// ring `borderWidth` pixels wide around it, whose outer edge is the area.
// With `quarterTurned` the picture lies a quarter turn clockwise, its width
// running down the page.
CoverFrame coverFrame(const PagePlacement& placement, QPointF pictureAt, QSize picture,
                      int borderWidth, bool quarterTurned);

// The size on paper, in millimetres, that a cover's page image of
// `pageImage` cover pixels takes when placed by `placement` on `paper`: what
// the fit rule measures.
QSizeF neededMm(QSizeF pageImage, const PagePlacement& placement, const Paper& paper);

// Where a cover lands on paper. The cover's page image (cover pixels, the
// picture at (10, 10) with the 20/50-pixel margins and the border ring) goes
// to printer dots by `placement`, from the corner of the printable area, in
// the orientation the paper is printed in.
struct PageLayout
{
    PaperOrientation orientation = PaperOrientation::Portrait;
    bool paperTurned = false; // the paper had to be turned for the cover to fit
    QRectF printable;         // millimetres from the sheet's corner, in `orientation`
    int dotsPerInchX = 1200;
    int dotsPerInchY = 1200;

    QSize pageImage; // cover pixels
    QRect picture;   // cover pixels
    QRect border;    // cover pixels; equal to `picture` for border width 0
    PagePlacement placement;

    // The page image in printer dots from the printable area's corner.
    QRectF pageInDots() const;
    QRectF toDots(const QRectF& coverPixels) const { return placement.toDots(coverPixels); }
    // The cover's rectangles (coverFrame), with the page image as the area
    // and the picture and the border ring cut off where they leave it.
    CoverFrame frame() const;
};

// Lays out a cover of `widthPixels` x `heightPixels` (the picture area, in
// cover pixels) with a border `borderWidth` pixels wide on `paper`,
// corrected by `correction` when the printer has one, placed by placementOn.
//
// The fit rule: the chosen orientation when the page image fits its printable
// area; otherwise the turned paper when it fits there; otherwise PrinterError
// "The cover needs W × H mm, but the printable area of PAPER is W × H mm.
// Choose a larger paper in Printer Setup."
PageLayout layoutCover(std::int32_t widthPixels, std::int32_t heightPixels, int borderWidth,
                       const Paper& paper, const std::optional<PrinterCorrection>& correction);

// The fit rule alone for something of `needed` millimetres in the chosen
// orientation and `neededOtherWay` on the turned paper; `what` names it in
// the message ("The cover").
PaperOrientation fitOnPaper(const Paper& paper, QSizeF needed, QSizeF neededOtherWay,
                            const QString& what);

} // namespace jf
