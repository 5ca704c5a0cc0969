#pragma once

#include "PageLayout.h"

#include <QLineF>
#include <QList>
#include <QSize>
#include <QString>
#include <optional>

namespace jf {

// Several covers on sheets of one paper: where each lies, and the cut marks
// around them. Everything is in printer dots from the printable area's corner
// of the page it is on, as the covers are sent to the printer.

// Cut marks continue a cover's edges outward: they start kMarkOffsetMm
// beyond the cover (its border ring) and run kMarkLengthMm, keeping
// kMarkOffsetMm off every other cover. Covers keep kCoverGapMm between
// them, room for both covers' marks.
inline constexpr double kMarkOffsetMm = 2.0;
inline constexpr double kMarkLengthMm = 5.0;
inline constexpr double kCoverGapMm = 2 * kMarkOffsetMm + kMarkLengthMm;
// A mark is a line 0.25 point wide.
inline constexpr double kMarkWidthPoints = 0.25;

// One cover to place: its picture in cover pixels (3.8 per millimetre) and
// the name that messages give it. A disc label is placed as the square (the
// rectangle) around its ring and never bleeds: its cut guides are circles at
// its edges, which a bleed would cover.
struct SheetCover
{
    QString name;
    QSize picture;
    bool disc = false;
};

// A cover placed on a page: which of the covers it is and its rectangles.
struct PlacedFrame
{
    int cover = 0;
    CoverFrame frame;
};

struct SheetPlan
{
    PaperOrientation orientation = PaperOrientation::Portrait;
    bool paperTurned = false; // the paper is used the other way round than chosen
    QRectF printable;         // millimetres from the sheet's corner, in `orientation`
    int dotsPerInchX = 1200;
    int dotsPerInchY = 1200;
    PagePlacement placement;
    // How far each cover's area reaches past its picture, in millimetres;
    // 0 for covers with a border. Disc labels never bleed.
    double bleedMm = 0;
    QList<QList<PlacedFrame>> pages;

    // The printable area in dots.
    QSizeF printableDots() const;
};

// Places `covers` in their order on as few sheets of `paper` as it can:
// rows from the printable area's top-left corner, kCoverGapMm apart, a new
// row where a cover does not fit the current one and a new sheet where it
// does not fit below. The paper lies the chosen way round unless the other
// way needs fewer sheets; covers lie upright unless turning some a quarter
// needs fewer sheets. Every page's covers are then moved in from the
// printable area's edges by up to the room of their marks, as far as the
// area leaves room. The covers are sized and placed by the rule of a single
// cover (placementOn): a calibrated printer's offsets move them back and its
// scale works from the printable area's corner. An empty list gives no pages.
// Without a border, each cover's area reaches `bleedMm` past its picture on
// every side (the picture is printed that much larger there), and the
// covers' areas keep kCoverGapMm apart; a cover with a border never bleeds.
//
// A cover that fits no way on a sheet of the paper throws the PrinterError
// of layoutCover ("The cover "NAME" needs W × H mm, but the printable area
// of PAPER is W × H mm. Choose a larger paper in Printer Setup.").
SheetPlan arrangeSheet(const QList<SheetCover>& covers, int borderWidth, const Paper& paper,
                       const std::optional<PrinterCorrection>& correction, int bleedMm = 0);

// Refuses a cover that fits no sheet of `paper` either way round with the
// message "Print Cover" gives for it (layoutCover's), unnamed ("The cover").
void checkCoverFitsSheet(QSize picture, int borderWidth, const Paper& paper,
                         const std::optional<PrinterCorrection>& correction, int bleedMm = 0);

// The cut marks of one page: at each corner of each picture, a line along
// each of its two edges, outward, from kMarkOffsetMm beyond the cover's
// area (its border ring, or what bleeds). A mark is shortened where it
// would come closer than kMarkOffsetMm to another cover's area or leave the
// printable area of `printable` dots, and left out where less than a
// millimetre remains. The frames `discs` marks true (by index) are disc
// labels: they have cut guides of their own instead, and keep the other
// covers' marks off as any cover does.
QList<QLineF> cutMarks(const QList<CoverFrame>& frames, QSizeF printable, double dotsPerMmX,
                       double dotsPerMmY, const QList<bool>& discs = {});

// The picture's pixels per inch where it prints as `printedMm`: the
// smaller of its two directions, rounded; 0 for an empty picture.
int effectivePixelsPerInch(QSizeF pixels, QSizeF printedMm);
// Below this a picture is said to print blurred.
inline constexpr int kSharpPixelsPerInch = 150;
// "300 pixels per inch".
QString resolutionText(int pixelsPerInch);
// The note shown below kSharpPixelsPerInch: "The picture of "NAME" has N
// pixels per inch at this size and may print blurred."; empty otherwise.
QString blurWarning(const QString& name, int pixelsPerInch);

} // namespace jf
