#include "PageLayout.h"

#include "Errors.h"
#include "NumberConvert.h"
#include "PageUnits.h"

namespace jf {

namespace {

// Page image sizes wrap like the 32-bit integers they are; only pasted sizes
// far beyond any paper get there.
std::int32_t wrappingAdd(std::int32_t pixels, int margin)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(pixels) +
                                     static_cast<std::uint32_t>(margin));
}

// Dots per cover pixel and shift along one axis; with `rounded`, the page
// image's size in pixels rounds the uncalibrated scale, as it always did.
void placeAxis(bool rounded, int pagePixels, int dotsPerInch, const std::optional<double>& factor,
               double offsetMm, double& scale, double& shift)
{
    shift = 0;
    if (factor) {
        const double perMm = dotsPerMm(dotsPerInch);
        scale = perMm / kCoverPixelsPerMm * *factor;
        shift = -offsetMm * perMm * *factor;
        return;
    }
    if (!rounded) {
        scale = double(dotsPerInch) / kCoverPixelsPerInch;
        return;
    }
    const std::int32_t dots = mulDiv(pagePixels, dotsPerInch, kCoverPixelsPerInch);
    scale = pagePixels > 0 && dots > 0 ? double(dots) / pagePixels : 0.0;
}

PageLayout layoutOn(PaperOrientation orientation, const QSize& pageImage, const Paper& paper,
                    const std::optional<PrinterCorrection>& correction)
{
    PageLayout layout;
    layout.orientation = orientation;
    layout.printable = paper.printable(orientation);
    layout.dotsPerInchX = paper.dotsPerInchX;
    layout.dotsPerInchY = paper.dotsPerInchY;
    layout.pageImage = pageImage;
    layout.placement = placementOn(paper, orientation, correction, pageImage);
    return layout;
}

bool fits(QSizeF needed, const QRectF& area)
{
    return needed.width() <= area.width() + kFitToleranceMm &&
           needed.height() <= area.height() + kFitToleranceMm;
}

QString millimetres(QSizeF size)
{
    return QStringLiteral("%1 \u00d7 %2 mm")
        .arg(size.width(), 0, 'f', 1)
        .arg(size.height(), 0, 'f', 1);
}

} // namespace

PaperOrientation otherOrientation(PaperOrientation orientation)
{
    return orientation == PaperOrientation::Portrait ? PaperOrientation::Landscape
                                                     : PaperOrientation::Portrait;
}

PageCorrection correctionOnPage(const PrinterCorrection& c, PaperOrientation orientation,
                                double length)
{
    const double alongShortEdge = calibrationWidthMm / c.measuredWidth;
    const double alongLongEdge = calibrationHeightMm / c.measuredHeight;
    if (orientation == PaperOrientation::Portrait)
        return {alongShortEdge, alongLongEdge, c.offsetX, c.offsetY};
    // The page's y runs across the short edge as a portrait page's x does.
    // Its x lies at length - x down the long edge, which the printer puts at
    // offsetY + f * (length - x): on the page, at f * x - offsetY +
    // (1 - f) * length, f being measured / nominal.
    const double printerFactor = c.measuredHeight / calibrationHeightMm;
    return {alongLongEdge, alongShortEdge, -c.offsetY + (1 - printerFactor) * length, c.offsetX};
}

PagePlacement placementOn(const Paper& paper, PaperOrientation orientation,
                          const std::optional<PrinterCorrection>& correction,
                          std::optional<QSize> pageImage)
{
    std::optional<double> factorX, factorY;
    PageCorrection onPage;
    if (correction) {
        onPage = correctionOnPage(*correction, orientation, paper.printable(orientation).width());
        factorX = onPage.factorX;
        factorY = onPage.factorY;
    }
    const QSize pixels = pageImage.value_or(QSize());
    PagePlacement placement;
    placeAxis(pageImage.has_value(), pixels.width(), paper.dotsPerInchX, factorX, onPage.offsetX,
              placement.scaleX, placement.shiftX);
    placeAxis(pageImage.has_value(), pixels.height(), paper.dotsPerInchY, factorY, onPage.offsetY,
              placement.scaleY, placement.shiftY);
    return placement;
}

void CoverFrame::translate(QPointF by)
{
    area.translate(by);
    picture.translate(by);
    border.translate(by);
}

QRectF PagePlacement::toDots(const QRectF& r) const
{
    return QRectF(r.x() * scaleX + shiftX, r.y() * scaleY + shiftY, r.width() * scaleX,
                  r.height() * scaleY);
}

CoverFrame coverFrame(const PagePlacement& placement, QPointF pictureAt, QSize picture,
                      int borderWidth, bool quarterTurned)
{
    const QSizeF upright = quarterTurned ? picture.transposed() : picture;
    CoverFrame frame;
    frame.quarterTurned = quarterTurned;
    frame.picture = placement.toDots(QRectF(pictureAt, upright));
    frame.border = placement.toDots(QRectF(pictureAt.x() - borderWidth, pictureAt.y() - borderWidth,
                                           upright.width() + 2.0 * borderWidth,
                                           upright.height() + 2.0 * borderWidth));
    frame.area = frame.border;
    return frame;
}

QSizeF neededMm(QSizeF pageImage, const PagePlacement& placement, const Paper& paper)
{
    return dotsToMm(
        QSizeF(pageImage.width() * placement.scaleX, pageImage.height() * placement.scaleY),
        paper.dotsPerInchX, paper.dotsPerInchY);
}

QRectF PageLayout::pageInDots() const
{
    return toDots(QRectF(QPointF(0, 0), QSizeF(pageImage)));
}

CoverFrame PageLayout::frame() const
{
    CoverFrame frame = coverFrame(placement, QPointF(picture.topLeft()), picture.size(),
                                  picture.x() - border.x(), false);
    frame.area = pageInDots();
    frame.picture = frame.picture.intersected(frame.area);
    frame.border = frame.border.intersected(frame.area);
    return frame;
}

PaperOrientation fitOnPaper(const Paper& paper, QSizeF needed, QSizeF neededOtherWay,
                            const QString& what)
{
    const PaperOrientation chosen = paper.orientation;
    if (fits(needed, paper.printable(chosen)))
        return chosen;
    if (fits(neededOtherWay, paper.printable(otherOrientation(chosen))))
        return otherOrientation(chosen);
    throw PrinterError(QStringLiteral("%1 needs %2, but the printable area of %3 is %4. Choose a "
                                      "larger paper in Printer Setup.")
                           .arg(what, millimetres(needed), paper.name,
                                millimetres(paper.printable(chosen).size())));
}

PageLayout layoutCover(std::int32_t widthPixels, std::int32_t heightPixels, int borderWidth,
                       const Paper& paper, const std::optional<PrinterCorrection>& correction)
{
    const QSize pageImage(wrappingAdd(widthPixels, kWidthMargin),
                          wrappingAdd(heightPixels, kHeightMargin));
    const PaperOrientation chosen = paper.orientation;
    PageLayout asChosen = layoutOn(chosen, pageImage, paper, correction);
    PageLayout otherWay = layoutOn(otherOrientation(chosen), pageImage, paper, correction);
    const PaperOrientation use = fitOnPaper(
        paper, neededMm(QSizeF(pageImage), asChosen.placement, paper),
        neededMm(QSizeF(pageImage), otherWay.placement, paper), QStringLiteral("The cover"));
    PageLayout layout = use == chosen ? asChosen : otherWay;
    layout.paperTurned = use != chosen;
    // The page image's rule: the picture at (10, 10), 20 pixels narrower
    // and 50 lower than the image, the border around it.
    layout.picture = QRect(kPictureOrigin, kPictureOrigin, pageImage.width() - kWidthMargin,
                           pageImage.height() - kHeightMargin);
    layout.border =
        QRect(kPictureOrigin - borderWidth, kPictureOrigin - borderWidth,
              layout.picture.width() + 2 * borderWidth, layout.picture.height() + 2 * borderWidth);
    return layout;
}

} // namespace jf
