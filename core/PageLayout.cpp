#include "PageLayout.h"

#include "Errors.h"
#include "NumberConvert.h"
#include "PrintGeometry.h"

namespace jf {

namespace {

// Window sizes wrap like the 32-bit integers they are; only pasted sizes far
// beyond any paper get there.
std::int32_t plus(std::int32_t pixels, int margin)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(pixels) +
                                     static_cast<std::uint32_t>(margin));
}

// Dots per cover pixel and shift along one axis; with `rounded`, the page
// image's size in pixels rounds the uncalibrated scale as the print window
// did.
void placeAxis(bool rounded, int pagePixels, int dotsPerInch, const std::optional<double>& factor,
               double offsetMm, double& scale, double& shift)
{
    shift = 0;
    if (factor) {
        const double dotsPerMm = dotsPerInch / kMmPerInch;
        scale = dotsPerMm / kWindowPixelsPerMm * *factor;
        shift = -offsetMm * dotsPerMm * *factor;
        return;
    }
    if (!rounded) {
        scale = double(dotsPerInch) / kWindowPixelsPerInch;
        return;
    }
    const std::int32_t dots = mulDiv(pagePixels, dotsPerInch, kWindowPixelsPerInch);
    scale = pagePixels > 0 && dots > 0 ? double(dots) / pagePixels : 0.0;
}

PageLayout layoutOn(PaperOrientation orientation, const QSize& window, const Paper& paper,
                    const std::optional<PrinterCorrection>& correction)
{
    PageLayout layout;
    layout.orientation = orientation;
    layout.printable = paper.printable(orientation);
    layout.dotsPerInchX = paper.dotsPerInchX;
    layout.dotsPerInchY = paper.dotsPerInchY;
    layout.window = window;
    const PagePlacement placement = placementOn(paper, orientation, correction, window);
    layout.scaleX = placement.scaleX;
    layout.scaleY = placement.scaleY;
    layout.shiftX = placement.shiftX;
    layout.shiftY = placement.shiftY;
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

PaperOrientation turned(PaperOrientation orientation)
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

QRectF PageLayout::toDots(const QRectF& r) const
{
    return QRectF(r.x() * scaleX + shiftX, r.y() * scaleY + shiftY, r.width() * scaleX,
                  r.height() * scaleY);
}

QRectF PageLayout::pageInDots() const
{
    return toDots(QRectF(QPointF(0, 0), QSizeF(window)));
}

QSizeF PageLayout::neededMm() const
{
    return QSizeF(window.width() * scaleX / dotsPerInchX * kMmPerInch,
                  window.height() * scaleY / dotsPerInchY * kMmPerInch);
}

CoverFrame PageLayout::frame() const
{
    CoverFrame frame;
    frame.area = pageInDots();
    frame.picture = toDots(QRectF(picture)).intersected(frame.area);
    frame.border = toDots(QRectF(border)).intersected(frame.area);
    if (border == picture)
        frame.border = frame.picture;
    return frame;
}

CoverFrame coverFrame(QPointF at, QSize picture, int borderWidth, double scaleX, double scaleY,
                      bool turned)
{
    const QSize upright = turned ? picture.transposed() : picture;
    CoverFrame frame;
    frame.turned = turned;
    frame.border = QRectF(at.x(), at.y(), (upright.width() + 2.0 * borderWidth) * scaleX,
                          (upright.height() + 2.0 * borderWidth) * scaleY);
    frame.picture = QRectF(at.x() + borderWidth * scaleX, at.y() + borderWidth * scaleY,
                           upright.width() * scaleX, upright.height() * scaleY);
    frame.area = frame.border;
    return frame;
}

PaperOrientation fitOnPaper(const Paper& paper, QSizeF needed, QSizeF neededTurned,
                            const QString& what)
{
    const PaperOrientation chosen = paper.orientation;
    if (fits(needed, paper.printable(chosen)))
        return chosen;
    if (fits(neededTurned, paper.printable(turned(chosen))))
        return turned(chosen);
    throw PrinterError(QStringLiteral("%1 needs %2, but the printable area of %3 is %4. Choose a "
                                      "larger paper in Printer Setup.")
                           .arg(what, millimetres(needed), paper.name,
                                millimetres(paper.printable(chosen).size())));
}

PageLayout layoutCover(std::int32_t widthPixels, std::int32_t heightPixels, int borderWidth,
                       const Paper& paper, const std::optional<PrinterCorrection>& correction)
{
    const QSize window(plus(widthPixels, kWidthMargin), plus(heightPixels, kHeightMargin));
    const PaperOrientation chosen = paper.orientation;
    PageLayout asChosen = layoutOn(chosen, window, paper, correction);
    PageLayout onTurned = layoutOn(turned(chosen), window, paper, correction);
    const PaperOrientation use =
        fitOnPaper(paper, asChosen.neededMm(), onTurned.neededMm(), QStringLiteral("The cover"));
    PageLayout layout = use == chosen ? asChosen : onTurned;
    layout.turned = use != chosen;
    // The page image's rule: the picture at (10, 10), 20 pixels narrower
    // and 50 lower than the image, the border around it.
    layout.picture = QRect(kPictureOrigin, kPictureOrigin, window.width() - kWidthMargin,
                           window.height() - kHeightMargin);
    layout.border =
        QRect(kPictureOrigin - borderWidth, kPictureOrigin - borderWidth,
              layout.picture.width() + 2 * borderWidth, layout.picture.height() + 2 * borderWidth);
    return layout;
}

} // namespace jf
