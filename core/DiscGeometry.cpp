#include "DiscGeometry.h"

#include <algorithm>

namespace jf {

namespace {

QRectF centred(QPointF centre, double width, double height)
{
    return QRectF(centre.x() - width / 2, centre.y() - height / 2, width, height);
}

} // namespace

QRectF DiscRing::innerGuide(double gapX, double gapY) const
{
    if (!hasHole() || hole.width() <= 2 * gapX || hole.height() <= 2 * gapY)
        return QRectF();
    return hole.adjusted(gapX, gapY, -gapX, -gapY);
}

DiscRing discRing(const QRectF& box, QSizeF discMm, int holeMm)
{
    DiscRing ring;
    ring.outer = box.normalized();
    if (holeMm <= 0 || discMm.width() <= 0 || discMm.height() <= 0)
        return ring;
    const double across =
        std::min(holeMm * ring.outer.width() / discMm.width(), ring.outer.width());
    const double down =
        std::min(holeMm * ring.outer.height() / discMm.height(), ring.outer.height());
    ring.hole = centred(ring.outer.center(), across, down);
    return ring;
}

DiscGuides discGuides(const DiscRing& ring, const QRectF& border, double gapX, double gapY)
{
    const QRectF edge = border.isEmpty() ? ring.outer : border.normalized().united(ring.outer);
    return {edge.adjusted(-gapX, -gapY, gapX, gapY), ring.innerGuide(gapX, gapY)};
}

} // namespace jf
