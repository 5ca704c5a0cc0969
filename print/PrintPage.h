#pragma once

#include "DiscGeometry.h"
#include "PageLayout.h"
#include "Picture.h"
#include "PictureFit.h"
#include "SheetLayout.h"

#include <QColor>
#include <QImage>
#include <QLineF>
#include <QList>
#include <QPainterPath>
#include <QSizeF>
#include <QString>
#include <optional>

class QPainter;

namespace jf {

// A cover on a printed page: its rectangles (printer dots from the printable
// area's corner), the picture, the colour of its border ring, and how the
// picture lies in its box: the frame's picture rectangle, or a larger one
// (a sheet's bleed). The placement works in the box's own proportions,
// `boxSize` (cover pixels, upright), which its size in dots need not have
// (printers' dots are not always square); empty, the box's size in dots.
// Nothing of the picture shows outside the box, nor outside `clip` (dots)
// when that is given. A disc label has its `ring` (dots; shapeAsDisc): the
// picture shows only within it, and its border ring is round.
struct PlacedCover
{
    QString name;
    Picture picture;
    CoverFrame frame;
    QColor borderColour;
    Placement placement{};
    QRectF box{}; // empty: the frame's picture rectangle
    QSizeF boxSize{};
    QPainterPath clip{};
    std::optional<DiscRing> ring{};

    QRectF pictureBox() const { return box.isEmpty() ? frame.picture : box; }
    // The part of a picture of `pixels` that prints and where it lands, as
    // fractions of the upright box (placePicture).
    PlacedPicture placed(QSizeF pixels) const;
    PlacedPicture placed() const { return placed(picture.size()); }
    // A rectangle given as fractions of the upright box, in dots on the
    // page: a quarter-turned cover's top lies along the box's right edge.
    QRectF onPage(const QRectF& fractions) const;
    // Where the part that prints lands, and where the whole picture would
    // lie at that scale (dots).
    QRectF target() const { return onPage(placed().target); }
    QRectF wholePicture() const;
    // The box, within `clip` when that is given.
    QPainterPath clipPath() const;
    // What the border colour fills: the band between the border's edge and
    // the picture's, round for a disc label; empty without a border.
    QPainterPath borderPath() const;
};

// Makes `cover` the disc label `disc`: its ring inscribed in the cover's
// picture rectangle, the picture clipped to the ring.
void shapeAsDisc(PlacedCover& cover, const DiscSize& disc);

// Colour of a disc label's cut guides, each channel of 255.
inline constexpr int kDiscGuideGrey = 128;

// One printed page, as every way of printing and showing it takes it: the
// paper (its size and orientation, the printable area and the printer's
// resolution, whose dots are the page's units), the correction the covers
// are laid out with, the covers, the cut marks and the disc labels' cut
// guides (printer dots from the printable area's corner).
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
    // Ellipses, by their bounding rectangles: thin grey circles just outside
    // a disc label's edge (its border) and just inside its hole.
    QList<QRectF> discGuides;

    QSizeF sheetMm() const;
    // The printable area's size in dots.
    QSizeF printableDots() const;
    // Dots on this page to PDF points from the sheet's bottom-left corner.
    QRectF dotsToPdfPoints(const QRectF& dots) const;
    QPointF dotsToPdfPoints(QPointF dots) const;
    // The printed size of a cover's picture (of `pixels`, as placed) in
    // millimetres, across and down the picture itself (a quarter-turned
    // cover's width runs down the page): what a ruler measures on paper.
    QSizeF printedMm(const PlacedCover& cover, QSizeF pixels) const;
    // The pixels per inch of the part of the picture that prints, at that
    // size; the picture's own size unless `pixels` is given (a picture not
    // read yet).
    int pixelsPerInch(const PlacedCover& cover, QSizeF pixels = QSizeF()) const;
    // Adds the cut guides of the disc label `cover` (discGuides in
    // DiscGeometry.h, discGuideGapMm off its edges); nothing for another.
    void addDiscGuides(const PlacedCover& cover);
};

// The page of "Print Cover": the cover as layoutCover placed it, the
// picture placed by `placement`, without cut marks. With `disc` the cover is
// that disc label, with its cut guides when `cutGuides` is set.
PrintPage coverPage(const PageLayout& layout, const Paper& paper, const QString& name,
                    const Picture& picture, const QColor& borderColour,
                    const std::optional<PrinterCorrection>& correction,
                    const Placement& placement = {},
                    const std::optional<DiscSize>& disc = std::nullopt, bool cutGuides = false);

// The pages of a sheet as arrangeSheet planned them: `pictures`, `names` and
// `placements` by cover index, every border in `borderColour`, cut marks
// with `cutMarks`. With the plan's bleed, each picture is placed in its
// cover's whole area. The covers `discs` gives a size (by cover index) are
// disc labels, which never bleed: with `cutMarks` they have cut guides
// instead of marks.
QList<PrintPage> sheetPages(const SheetPlan& plan, const Paper& paper, const QStringList& names,
                            const QList<Picture>& pictures, const QColor& borderColour,
                            bool cutMarks, const std::optional<PrinterCorrection>& correction,
                            const QList<Placement>& placements = {},
                            const QList<std::optional<DiscSize>>& discs = {});

// Paints `page` with the painter's units being the page's dots and its
// origin the printable area's corner (as on the printer): for each cover
// its area in white, the border ring, then the part of the picture that
// prints, each inside the area (the picture inside its clip too); then the
// cut marks, black lines 0.25 points wide, and the disc labels' cut guides,
// grey lines as wide.
void paintPage(QPainter& painter, const PrintPage& page);

// The whole sheet at `dotsPerInch`, white, with the page painted at its
// printable area: what a preview shows and a test compares.
QImage renderPage(const PrintPage& page, double dotsPerInch);

// One line per cover: "NAME: 300 pixels per inch", and the warning of
// blurWarning below each picture under kSharpPixelsPerInch.
QStringList resolutionLines(const QList<PrintPage>& pages);
QStringList blurWarnings(const QList<PrintPage>& pages);

} // namespace jf
