#pragma once

#include "PageLayout.h"
#include "Picture.h"
#include "SheetLayout.h"

#include <QColor>
#include <QImage>
#include <QLineF>
#include <QList>
#include <QSizeF>
#include <QString>
#include <optional>

class QPainter;

namespace jf {

// A cover on a printed page: its rectangles (printer dots from the printable
// area's corner), the picture stretched into its picture rectangle, and the
// colour of its border ring.
struct PlacedCover
{
    QString name;
    Picture picture;
    CoverFrame frame;
    QColor borderColour;
};

// One printed page, as every way of printing and showing it takes it: the
// paper (its size and orientation, the printable area and the printer's
// resolution, whose dots are the page's units), the correction the covers
// are laid out with, the covers and the cut marks (printer dots from the
// printable area's corner).
struct PrintPage
{
    QSizeF sheetPoints; // the whole sheet as it prints
    PaperOrientation orientation = PaperOrientation::Portrait;
    QRectF printableMm; // from the sheet's corner
    int dotsPerInchX = 1200;
    int dotsPerInchY = 1200;
    std::optional<PageCorrection> correction; // calibrated printers only
    QList<PlacedCover> covers;
    QList<QLineF> cutMarks;

    QSizeF sheetMm() const;
    // The printable area's size in dots.
    QSizeF printableDots() const;
    // Dots on this page to PDF points from the sheet's bottom-left corner.
    QRectF dotsToPdfPoints(const QRectF& dots) const;
    QPointF dotsToPdfPoints(QPointF dots) const;
    // The printed size of a cover's picture in millimetres, across and down
    // the picture itself (a quarter-turned cover's width runs down the
    // page): what a ruler measures on paper.
    QSizeF printedMm(const PlacedCover& cover) const;
    // The picture's pixels per inch at that size.
    int pixelsPerInch(const PlacedCover& cover) const;
};

// The page of "Print Cover": the cover as layoutCover placed it, without cut
// marks.
PrintPage coverPage(const PageLayout& layout, const Paper& paper, const QString& name,
                    const Picture& picture, const QColor& borderColour,
                    const std::optional<PrinterCorrection>& correction);

// The pages of a sheet as arrangeSheet planned them: `pictures` and `names`
// by cover index, every border in `borderColour`, cut marks with `cutMarks`.
QList<PrintPage> sheetPages(const SheetPlan& plan, const Paper& paper, const QStringList& names,
                            const QList<Picture>& pictures, const QColor& borderColour,
                            bool cutMarks, const std::optional<PrinterCorrection>& correction);

// Paints `page` with the painter's units being the page's dots and its
// origin the printable area's corner (as on the printer): for each cover
// its area in white, the border ring, then the picture, each inside the
// area; then the cut marks, black lines 0.25 points wide.
void paintPage(QPainter& painter, const PrintPage& page);

// The whole sheet at `dotsPerInch`, white, with the page painted at its
// printable area: what a preview shows and a test compares.
QImage renderPage(const PrintPage& page, double dotsPerInch);

// One line per cover: "NAME: 300 pixels per inch", and the warning of
// blurWarning below each picture under kSharpPixelsPerInch.
QStringList resolutionLines(const QList<PrintPage>& pages);
QStringList blurWarnings(const QList<PrintPage>& pages);

} // namespace jf
