#pragma once

// A disc label: the eighth cover kind prints as a ring, the circle inscribed
// in the cover's square (an ellipse when the user makes the width and height
// differ) with a centre hole. Plain rectangles in whatever unit the caller
// draws in (printer dots, preview pixels, points); the painter paths are
// made where the drawing is.

#include "CoverSizes.h"
#include "DiscFiles.h"

#include <QRectF>
#include <QSizeF>

namespace jf {

// The disc is a kind, not a name: the eighth, whatever the user calls it.
inline constexpr int discCoverKind = coverKindCount;
constexpr bool isDiscKind(int kind)
{
    return kind == discCoverKind;
}

// Cut guides: thin mid-grey circles a little outside the disc's edge and a
// little inside its hole, never on the picture.
inline constexpr double discGuideGapMm = 0.5;
inline constexpr double discGuideWidthPoints = 0.25;

struct DiscRing
{
    QRectF outer; // the disc's edge: the ellipse's bounding rectangle
    QRectF hole;  // the hole's; empty when there is none

    bool hasHole() const { return !hole.isEmpty(); }
    // The bounding rectangle of the guide `gapX` x `gapY` inside the hole
    // (a unit along x need not be one along y: printer dots); empty when the
    // hole is too small for it.
    QRectF innerGuide(double gapX, double gapY) const;
};

// The ring of a disc `discMm` across (width x height) drawn in `box`, the
// rectangle the disc's picture fills: the edge is the ellipse inscribed in
// the box, the hole `holeMm` across, centred, in the box's own units per
// millimetre along each axis. A hole as large as the disc leaves no ring.
DiscRing discRing(const QRectF& box, QSizeF discMm, int holeMm);

// What makes a cover a disc label: its size as the boxes give it (width x
// height, millimetres) and the hole's diameter.
struct DiscSize
{
    QSizeF discMm;
    int holeMm = defaultDiscHoleMm;

    DiscRing ringIn(const QRectF& box) const { return discRing(box, discMm, holeMm); }
    bool operator==(const DiscSize&) const = default;
};

// The cut guides of a disc whose ring is `ring` and whose border ring ends
// at `border` (the ring's edge without a border): the outer one `gapX` x
// `gapY` outside the border, the inner one as far inside the hole (empty
// without room for it).
struct DiscGuides
{
    QRectF outer;
    QRectF inner;
};
DiscGuides discGuides(const DiscRing& ring, const QRectF& border, double gapX, double gapY);

} // namespace jf
