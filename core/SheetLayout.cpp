#include "SheetLayout.h"

#include "Errors.h"
#include "PageUnits.h"

#include <algorithm>
#include <cmath>

namespace jf {

namespace {

// Marks shorter than this are left out.
constexpr double kShortestMarkMm = 1.0;

struct Packing
{
    QList<QList<PlacedFrame>> pages;
    int unplaced = -1; // the first cover that fits no sheet, or -1
};

// The covers' place on pages of `area` dots at the scale of `placement`
// (its shift comes later), in rows; quarter-turned covers only with `mayTurn`.
// Each cover's area reaches `bleedMm` past its picture.
Packing pack(const QList<SheetCover>& covers, int borderWidth, double bleedMm, QSizeF area,
             const PagePlacement& placement, double dotsPerMmX, double dotsPerMmY, bool mayTurn)
{
    const double gapX = kCoverGapMm * dotsPerMmX, gapY = kCoverGapMm * dotsPerMmY;
    const double width = area.width() + kFitToleranceMm * dotsPerMmX;
    const double height = area.height() + kFitToleranceMm * dotsPerMmY;
    Packing packing;
    double rowTop = 0, rowHeight = 0, nextX = 0;
    for (int i = 0; i < covers.size(); ++i) {
        const QSize picture(std::max(0, covers[i].picture.width()),
                            std::max(0, covers[i].picture.height()));
        const double bleed = covers[i].disc ? 0.0 : bleedMm;
        const double bleedX = bleed * dotsPerMmX, bleedY = bleed * dotsPerMmY;
        // The area's top-left corner at `at` (dots).
        const auto frameAt = [&](QPointF at, bool quarterTurned) {
            const PagePlacement there{placement.scaleX, placement.scaleY, at.x() + bleedX,
                                      at.y() + bleedY};
            CoverFrame frame = coverFrame(there, QPointF(borderWidth, borderWidth), picture,
                                          borderWidth, quarterTurned);
            frame.area.adjust(-bleedX, -bleedY, bleedX, bleedY);
            return frame;
        };
        const auto fits = [&](QPointF at, bool quarterTurned) {
            const QRectF r = frameAt(at, quarterTurned).area;
            return r.right() <= width && r.bottom() <= height;
        };
        const QList<bool> ways = mayTurn ? QList<bool>{false, true} : QList<bool>{false};
        std::optional<std::pair<QPointF, bool>> place;
        if (!packing.pages.isEmpty()) {
            const QPointF inRow(nextX, rowTop);
            const QPointF newRow(0, rowTop + rowHeight + gapY);
            for (const QPointF at : {inRow, newRow}) {
                for (const bool quarterTurned : ways) {
                    if (!place && fits(at, quarterTurned))
                        place = std::pair{at, quarterTurned};
                }
            }
        }
        if (!place) {
            for (const bool quarterTurned : ways) {
                if (!place && fits(QPointF(0, 0), quarterTurned))
                    place = std::pair{QPointF(0, 0), quarterTurned};
            }
            if (!place) {
                packing.unplaced = i;
                return packing;
            }
            packing.pages.append(QList<PlacedFrame>());
            rowTop = rowHeight = 0;
        }
        const CoverFrame frame = frameAt(place->first, place->second);
        if (frame.area.top() > rowTop) { // a new row
            rowTop = frame.area.top();
            rowHeight = 0;
        }
        rowHeight = std::max(rowHeight, frame.area.height());
        nextX = frame.area.right() + gapX;
        packing.pages.last().append({i, frame});
    }
    return packing;
}

void moveInFromTheEdges(QList<PlacedFrame>& page, QSizeF area, double dotsPerMmX, double dotsPerMmY)
{
    double right = 0, bottom = 0;
    for (const PlacedFrame& placed : page) {
        right = std::max(right, placed.frame.area.right());
        bottom = std::max(bottom, placed.frame.area.bottom());
    }
    const double room = kMarkOffsetMm + kMarkLengthMm;
    const QPointF by(std::clamp((area.width() - right) / 2, 0.0, room * dotsPerMmX),
                     std::clamp((area.height() - bottom) / 2, 0.0, room * dotsPerMmY));
    for (PlacedFrame& placed : page)
        placed.frame.translate(by);
}

// Where a mark from `start` going `direction` (+1 or -1) along one axis ends
// before `end`, given the span [low, high] another cover blocks on that
// axis; nothing when the start itself is blocked.
std::optional<double> shortened(double start, double end, int direction, double low, double high)
{
    if (direction > 0) {
        if (high <= start)
            return end;
        if (low <= start)
            return std::nullopt;
        return std::min(end, low);
    }
    if (low >= start)
        return end;
    if (high >= start)
        return std::nullopt;
    return std::max(end, high);
}

} // namespace

QSizeF SheetPlan::printableDots() const
{
    return mmToDots(printable.size(), dotsPerInchX, dotsPerInchY);
}

void checkCoverFitsSheet(QSize picture, int borderWidth, const Paper& paper,
                         const std::optional<PrinterCorrection>& correction, int bleedMm)
{
    arrangeSheet({{QString(), picture}}, borderWidth, paper, correction, bleedMm);
}

SheetPlan arrangeSheet(const QList<SheetCover>& covers, int borderWidth, const Paper& paper,
                       const std::optional<PrinterCorrection>& correction, int bleedMm)
{
    // A border is the cut line: covers with one never bleed.
    const double bleed = borderWidth > 0 ? 0.0 : std::max(0, bleedMm);
    const PaperOrientation chosen = paper.orientation;
    // In order of preference: the paper as chosen, covers upright.
    const std::pair<PaperOrientation, bool> tries[] = {{chosen, false},
                                                       {otherOrientation(chosen), false},
                                                       {chosen, true},
                                                       {otherOrientation(chosen), true}};
    std::optional<SheetPlan> best;
    int unplaced = -1;
    for (const auto& [orientation, mayTurn] : tries) {
        SheetPlan plan;
        plan.orientation = orientation;
        plan.paperTurned = orientation != chosen;
        plan.printable = paper.printable(orientation);
        plan.dotsPerInchX = paper.dotsPerInchX;
        plan.dotsPerInchY = paper.dotsPerInchY;
        plan.placement = placementOn(paper, orientation, correction);
        plan.bleedMm = bleed;
        const PagePlacement& placement = plan.placement;
        const double dotsPerMmX = dotsPerMm(paper.dotsPerInchX);
        const double dotsPerMmY = dotsPerMm(paper.dotsPerInchY);
        Packing packing = pack(covers, borderWidth, bleed, plan.printableDots(), placement,
                               dotsPerMmX, dotsPerMmY, mayTurn);
        if (packing.unplaced >= 0) {
            unplaced = std::max(unplaced, packing.unplaced);
            continue;
        }
        for (QList<PlacedFrame>& page : packing.pages) {
            moveInFromTheEdges(page, plan.printableDots(), dotsPerMmX, dotsPerMmY);
            for (PlacedFrame& placed : page)
                placed.frame.translate(QPointF(placement.shiftX, placement.shiftY));
        }
        plan.pages = std::move(packing.pages);
        if (!best || plan.pages.size() < best->pages.size())
            best = std::move(plan);
    }
    if (best)
        return *best;

    // Told as "Print Cover" tells it: the cover with its margins, which is
    // larger still.
    const SheetCover& cover = covers[unplaced];
    const QString what = cover.name.isEmpty() ? QStringLiteral("The cover")
                                              : QStringLiteral("The cover \"%1\"").arg(cover.name);
    const QSizeF pageImage(double(cover.picture.width()) + kWidthMargin,
                           double(cover.picture.height()) + kHeightMargin);
    const auto needs = [&](PaperOrientation orientation) {
        return neededMm(pageImage, placementOn(paper, orientation, correction), paper);
    };
    fitOnPaper(paper, needs(chosen), needs(otherOrientation(chosen)), what);
    // Fits with its margins but not on a sheet: only a printable area far
    // from square gets here; told all the same.
    throw PrinterError(QStringLiteral("%1 does not fit the printable area of %2. Choose a larger "
                                      "paper in Printer Setup.")
                           .arg(what, paper.name));
}

QList<QLineF> cutMarks(const QList<CoverFrame>& frames, QSizeF printable, double dotsPerMmX,
                       double dotsPerMmY, const QList<bool>& discs)
{
    QList<QLineF> marks;
    const double offX = kMarkOffsetMm * dotsPerMmX, offY = kMarkOffsetMm * dotsPerMmY;
    const double lenX = kMarkLengthMm * dotsPerMmX, lenY = kMarkLengthMm * dotsPerMmY;
    for (qsizetype i = 0; i < frames.size(); ++i) {
        if (discs.value(i))
            continue;
        const QRectF& picture = frames[i].picture;
        const QRectF& outer = frames[i].area;
        for (const int dx : {-1, 1}) {
            for (const int dy : {-1, 1}) {
                const double x = dx < 0 ? picture.left() : picture.right();
                const double y = dy < 0 ? picture.top() : picture.bottom();
                // Along the horizontal edge, outward.
                const double startX = dx < 0 ? outer.left() - offX : outer.right() + offX;
                std::optional<double> endX = startX + dx * lenX;
                // Along the vertical edge, outward.
                const double startY = dy < 0 ? outer.top() - offY : outer.bottom() + offY;
                std::optional<double> endY = startY + dy * lenY;
                for (qsizetype j = 0; j < frames.size(); ++j) {
                    if (j == i)
                        continue;
                    const QRectF other = frames[j].area.adjusted(-offX, -offY, offX, offY);
                    if (endX && y > other.top() && y < other.bottom())
                        endX = shortened(startX, *endX, dx, other.left(), other.right());
                    if (endY && x > other.left() && x < other.right())
                        endY = shortened(startY, *endY, dy, other.top(), other.bottom());
                }
                // The printable area ends every mark.
                const auto inside = [](double v, double size) { return v >= 0 && v <= size; };
                if (endX && inside(startX, printable.width()) && inside(y, printable.height())) {
                    const double end = std::clamp(*endX, 0.0, printable.width());
                    if (std::abs(end - startX) >= kShortestMarkMm * dotsPerMmX)
                        marks << QLineF(startX, y, end, y);
                }
                if (endY && inside(startY, printable.height()) && inside(x, printable.width())) {
                    const double end = std::clamp(*endY, 0.0, printable.height());
                    if (std::abs(end - startY) >= kShortestMarkMm * dotsPerMmY)
                        marks << QLineF(x, startY, x, end);
                }
            }
        }
    }
    return marks;
}

int effectivePixelsPerInch(QSizeF pixels, QSizeF printedMm)
{
    if (pixels.isEmpty() || printedMm.isEmpty())
        return 0;
    const double across = pixels.width() / mmToInches(printedMm.width());
    const double down = pixels.height() / mmToInches(printedMm.height());
    return int(std::lround(std::min(across, down)));
}

QString resolutionText(int pixelsPerInch)
{
    return QStringLiteral("%1 pixels per inch").arg(pixelsPerInch);
}

QString blurWarning(const QString& name, int pixelsPerInch)
{
    if (pixelsPerInch >= kSharpPixelsPerInch)
        return QString();
    return QStringLiteral("The picture of \"%1\" has %2 pixels per inch at this size and may "
                          "print blurred.")
        .arg(name)
        .arg(pixelsPerInch);
}

} // namespace jf
