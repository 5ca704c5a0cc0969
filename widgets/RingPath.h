#pragma once

#include "DiscGeometry.h"

#include <QPainterPath>

namespace jf {

// The band between the ellipse inscribed in `outer` and the one inscribed
// in `inner` (the whole ellipse when `inner` is empty), as a path filled by
// the odd-even rule: a disc label's ring, or its border ring.
inline QPainterPath ellipseBand(const QRectF& outer, const QRectF& inner)
{
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    path.addEllipse(outer);
    if (!inner.isEmpty())
        path.addEllipse(inner);
    return path;
}

// What of a disc label shows: its ring, less the hole.
inline QPainterPath ringPath(const DiscRing& ring)
{
    return ellipseBand(ring.outer, ring.hole);
}

} // namespace jf
