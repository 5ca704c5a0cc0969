#include "PrintPage.h"

#include "PageUnits.h"
#include "RingPath.h"

#include <QPainter>

namespace jf {

namespace {

PrintPage emptyPage(const Paper& paper, PaperOrientation orientation,
                    const std::optional<PrinterCorrection>& correction)
{
    PrintPage page;
    page.sheetPoints = paper.sizePoints(orientation);
    page.orientation = orientation;
    page.printableMm = paper.printable(orientation);
    page.dotsPerInchX = paper.dotsPerInchX;
    page.dotsPerInchY = paper.dotsPerInchY;
    if (correction)
        page.correction = correctionOnPage(*correction, orientation, page.printableMm.width());
    return page;
}

// A one-pixel picture is a solid fill of its colour, as the preview shows it.
void drawPicture(QPainter& painter, const Picture& picture, const QRectF& target,
                 const QRectF& source)
{
    if (picture.isNull() || target.isEmpty())
        return;
    if (picture.size() == QSize(1, 1))
        painter.fillRect(target, picture.fullImage().pixelColor(0, 0));
    else
        picture.draw(painter, target, source);
}

// A cover with its picture placed in `box` (dots), whose own size in cover
// pixels `placement` gives: dots per cover pixel along each axis, upright.
PlacedCover placedCover(const QString& name, const Picture& picture, const CoverFrame& frame,
                        const QColor& borderColour, const Placement& placement, const QRectF& box,
                        const PagePlacement& scale)
{
    const QSizeF boxSize(box.width() / scale.scaleX, box.height() / scale.scaleY);
    return {name,
            picture,
            frame,
            borderColour,
            placement,
            box,
            frame.quarterTurned ? boxSize.transposed() : boxSize,
            {}};
}

} // namespace

PlacedPicture PlacedCover::placed(QSizeF pixels) const
{
    QSizeF size = boxSize;
    if (size.isEmpty()) {
        size = pictureBox().size();
        if (frame.quarterTurned)
            size.transpose();
    }
    return placePicture(placement, pixels, size);
}

QRectF PlacedCover::onPage(const QRectF& f) const
{
    const QRectF b = pictureBox();
    if (!frame.quarterTurned)
        return QRectF(b.x() + f.x() * b.width(), b.y() + f.y() * b.height(), f.width() * b.width(),
                      f.height() * b.height());
    // Across the picture runs down the page, down it from right to left.
    return QRectF(b.right() - f.bottom() * b.width(), b.y() + f.x() * b.height(),
                  f.height() * b.width(), f.width() * b.height());
}

QRectF PlacedCover::wholePicture() const
{
    const PlacedPicture p = placed();
    if (p.source.isEmpty())
        return onPage(p.target);
    const double perPixelX = p.target.width() / p.source.width();
    const double perPixelY = p.target.height() / p.source.height();
    const QSizeF pixels = picture.size();
    return onPage(QRectF(p.target.x() - p.source.x() * perPixelX,
                         p.target.y() - p.source.y() * perPixelY, pixels.width() * perPixelX,
                         pixels.height() * perPixelY));
}

QPainterPath PlacedCover::clipPath() const
{
    const QRectF within = pictureBox();
    // A clip within the box is the clip itself, its curves kept (an
    // intersection would flatten them).
    if (!clip.isEmpty() && within.adjusted(-0.5, -0.5, 0.5, 0.5).contains(clip.boundingRect()))
        return clip;
    QPainterPath path;
    path.addRect(within);
    return clip.isEmpty() ? path : path.intersected(clip);
}

QPainterPath PlacedCover::borderPath() const
{
    if (frame.border == frame.picture || frame.border.isEmpty())
        return QPainterPath();
    if (ring)
        return ellipseBand(frame.border, ring->outer);
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    path.addRect(frame.border);
    path.addRect(frame.picture);
    return path;
}

void shapeAsDisc(PlacedCover& cover, const DiscSize& disc)
{
    cover.ring = disc.ringIn(cover.frame.picture);
    cover.clip = ringPath(*cover.ring);
}

void PrintPage::addDiscGuides(const PlacedCover& cover)
{
    if (!cover.ring)
        return;
    const DiscGuides guides =
        jf::discGuides(*cover.ring, cover.frame.border, discGuideGapMm * dotsPerMm(dotsPerInchX),
                       discGuideGapMm * dotsPerMm(dotsPerInchY));
    discGuides << guides.outer;
    if (!guides.inner.isEmpty())
        discGuides << guides.inner;
}

QSizeF PrintPage::sheetMm() const
{
    return pointsToMm(sheetPoints);
}

QSizeF PrintPage::printableDots() const
{
    return mmToDots(printableMm.size(), dotsPerInchX, dotsPerInchY);
}

QRectF PrintPage::dotsToPdfPoints(const QRectF& dots) const
{
    const double x = mmToPoints(printableMm.x()) + dotsToPoints(dots.x(), dotsPerInchX);
    const double top = mmToPoints(printableMm.y()) + dotsToPoints(dots.y(), dotsPerInchY);
    const double w = dotsToPoints(dots.width(), dotsPerInchX);
    const double h = dotsToPoints(dots.height(), dotsPerInchY);
    return QRectF(x, sheetPoints.height() - top - h, w, h);
}

QPointF PrintPage::dotsToPdfPoints(QPointF dots) const
{
    return dotsToPdfPoints(QRectF(dots, QSizeF(0, 0))).topLeft();
}

QSizeF PrintPage::printedMm(const PlacedCover& cover, QSizeF pixels) const
{
    // Sent dots are what lands on paper, less a calibrated printer's own
    // scaling, which the correction took back.
    const double factorX = correction ? correction->factorX : 1.0;
    const double factorY = correction ? correction->factorY : 1.0;
    const QRectF target = cover.onPage(cover.placed(pixels).target);
    const QSizeF sent = dotsToMm(target.size(), dotsPerInchX, dotsPerInchY);
    const QSizeF onPage(sent.width() / factorX, sent.height() / factorY);
    return cover.frame.quarterTurned ? onPage.transposed() : onPage;
}

int PrintPage::pixelsPerInch(const PlacedCover& cover, QSizeF pixels) const
{
    if (pixels.isEmpty())
        pixels = cover.picture.size();
    return effectivePixelsPerInch(cover.placed(pixels).source.size(), printedMm(cover, pixels));
}

PrintPage coverPage(const PageLayout& layout, const Paper& paper, const QString& name,
                    const Picture& picture, const QColor& borderColour,
                    const std::optional<PrinterCorrection>& correction, const Placement& placement,
                    const std::optional<DiscSize>& disc, bool cutGuides)
{
    PrintPage page = emptyPage(paper, layout.orientation, correction);
    page.dotsPerInchX = layout.dotsPerInchX;
    page.dotsPerInchY = layout.dotsPerInchY;
    const CoverFrame frame = layout.frame();
    page.covers.append(placedCover(name, picture, frame, borderColour, placement, frame.picture,
                                   layout.placement));
    if (disc) {
        shapeAsDisc(page.covers.last(), *disc);
        if (cutGuides)
            page.addDiscGuides(page.covers.last());
    }
    return page;
}

QList<PrintPage> sheetPages(const SheetPlan& plan, const Paper& paper, const QStringList& names,
                            const QList<Picture>& pictures, const QColor& borderColour,
                            bool cutMarks, const std::optional<PrinterCorrection>& correction,
                            const QList<Placement>& placements,
                            const QList<std::optional<DiscSize>>& discs)
{
    QList<PrintPage> pages;
    for (const QList<PlacedFrame>& planned : plan.pages) {
        PrintPage page = emptyPage(paper, plan.orientation, correction);
        QList<CoverFrame> frames;
        QList<bool> isDisc;
        for (const PlacedFrame& placed : planned) {
            const CoverFrame& frame = placed.frame;
            const std::optional<DiscSize> disc = discs.value(placed.cover);
            page.covers.append(placedCover(names.value(placed.cover), pictures.value(placed.cover),
                                           frame, borderColour, placements.value(placed.cover),
                                           plan.bleedMm > 0 && !disc ? frame.area : frame.picture,
                                           plan.placement));
            if (disc) {
                shapeAsDisc(page.covers.last(), *disc);
                if (cutMarks)
                    page.addDiscGuides(page.covers.last());
            }
            frames << frame;
            isDisc << disc.has_value();
        }
        if (cutMarks)
            page.cutMarks = jf::cutMarks(frames, plan.printableDots(), dotsPerMm(plan.dotsPerInchX),
                                         dotsPerMm(plan.dotsPerInchY), isDisc);
        pages << page;
    }
    return pages;
}

void paintPage(QPainter& painter, const PrintPage& page)
{
    for (const PlacedCover& cover : page.covers) {
        const CoverFrame& frame = cover.frame;
        if (frame.area.isEmpty())
            continue;
        painter.save();
        painter.setClipRect(frame.area, Qt::IntersectClip);
        painter.fillRect(frame.area, Qt::white);
        if (cover.ring) {
            // Round edges, smoothed where the page is drawn at screen size.
            painter.setRenderHint(QPainter::Antialiasing, true);
            painter.fillPath(cover.borderPath(), cover.borderColour);
        } else if (frame.border != frame.picture && !frame.border.isEmpty()) {
            painter.fillRect(frame.border, cover.borderColour);
        }
        if (!cover.clip.isEmpty())
            painter.setClipPath(cover.clipPath(), Qt::IntersectClip);
        const PlacedPicture placed = cover.placed();
        const QRectF target = cover.onPage(placed.target);
        if (frame.quarterTurned) {
            // A quarter turn clockwise: the picture's top along the right edge.
            painter.translate(target.topRight());
            painter.rotate(90);
            drawPicture(painter, cover.picture, QRectF(0, 0, target.height(), target.width()),
                        placed.source);
        } else {
            drawPicture(painter, cover.picture, target, placed.source);
        }
        painter.restore();
    }
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(Qt::black, pointsToDots(kMarkWidthPoints, page.dotsPerInchX), Qt::SolidLine,
                        Qt::FlatCap));
    painter.drawLines(page.cutMarks);
    painter.setPen(QPen(QColor(kDiscGuideGrey, kDiscGuideGrey, kDiscGuideGrey),
                        pointsToDots(discGuideWidthPoints, page.dotsPerInchX)));
    painter.setBrush(Qt::NoBrush);
    for (const QRectF& guide : page.discGuides)
        painter.drawEllipse(guide);
    painter.restore();
}

QImage renderPage(const PrintPage& page, double dotsPerInch)
{
    const QSizeF sheet = page.sheetMm();
    QImage image(qRound(mmToDots(sheet.width(), dotsPerInch)),
                 qRound(mmToDots(sheet.height(), dotsPerInch)), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.scale(dotsPerInch / page.dotsPerInchX, dotsPerInch / page.dotsPerInchY);
    painter.translate(mmToDots(page.printableMm.left(), page.dotsPerInchX),
                      mmToDots(page.printableMm.top(), page.dotsPerInchY));
    paintPage(painter, page);
    return image;
}

QStringList resolutionLines(const QList<PrintPage>& pages)
{
    QStringList lines;
    for (const PrintPage& page : pages) {
        for (const PlacedCover& cover : page.covers)
            lines << QStringLiteral("%1: %2").arg(cover.name,
                                                  resolutionText(page.pixelsPerInch(cover)));
    }
    return lines;
}

QStringList blurWarnings(const QList<PrintPage>& pages)
{
    QStringList warnings;
    for (const PrintPage& page : pages) {
        for (const PlacedCover& cover : page.covers) {
            const QString warning = blurWarning(cover.name, page.pixelsPerInch(cover));
            if (!warning.isEmpty())
                warnings << warning;
        }
    }
    return warnings;
}

} // namespace jf
