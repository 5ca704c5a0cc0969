#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <optional>

namespace jf {

// How a picture is placed on its cover: stretched to the cover's size (the
// picture's proportions lost), filling it (the proportions kept, what falls
// outside the cover cut off) or fitting in it (the whole picture shown,
// centred, the rest of the cover paper white).
enum class PictureFit
{
    Stretch,
    Fill,
    Fit
};

// The part of the picture a filled cover shows: its centre as fractions of
// the picture's width and height, and how far it is zoomed in, 1 being the
// largest part of the cover's proportions the picture holds, up to
// kMostZoom. A crop is kept within the picture when it is placed
// (clampedCrop), so no paper shows.
struct Crop
{
    double centreX = 0.5;
    double centreY = 0.5;
    double zoom = 1;

    bool operator==(const Crop&) const = default;
};

inline constexpr double kMostZoom = 8;

// A cover's placement: the way, and for Fill the crop.
struct Placement
{
    PictureFit fit = PictureFit::Stretch;
    Crop crop;

    bool operator==(const Placement&) const = default;
};

// A picture placed in a box of the cover's proportions: `source` is the
// part of the picture that shows, in its pixels; `target` where that part
// lands, as fractions of the box (0 to 1 across and down).
struct PlacedPicture
{
    QRectF source;
    QRectF target;
};

// Places a picture of `picture` pixels in a box of `box` (any unit the same
// across and down: the cover's own pixels, millimetres). Stretch: the whole
// picture on the whole box. Fill: the crop, clamped, on the whole box.
// Fit: the whole picture on the largest rectangle of its proportions the
// box holds, centred. An empty picture or box is stretched.
PlacedPicture placePicture(const Placement& placement, QSizeF picture, QSizeF box);

// The crop with its zoom within 1 to kMostZoom and its centre where the part
// it shows lies wholly inside the picture.
Crop clampedCrop(const Crop& crop, QSizeF picture, QSizeF box);

// The crop after the picture moved under the cover by `by`, as fractions of
// the box (a drag across the whole preview moves it by 1), clamped.
Crop draggedCrop(const Crop& crop, QSizeF picture, QSizeF box, QPointF by);
// The crop after the picture moved by `by` as fractions of its own width
// and height (the arrow keys' steps), clamped.
Crop shiftedCrop(const Crop& crop, QSizeF picture, QSizeF box, QPointF by);
// The crop zoomed by `factor` about the point `at` of the box (fractions of
// it): the part of the picture there stays there, as far as the clamp
// allows.
Crop zoomedCrop(const Crop& crop, QSizeF picture, QSizeF box, double factor, QPointF at);

// The file names of the three ways ("stretch", "fill", "fit") and back;
// nothing for any other text.
QString pictureFitName(PictureFit fit);
std::optional<PictureFit> pictureFitNamed(const QString& name);

// What a cover's placement is called where the user reads it: "Stretch",
// "Fit", "Fill, 1.4 ×".
QString placementText(const Placement& placement);

// PictureFit.ins in the Data folder: the way pictures are placed, one line
// ("stretch", "fill" or "fit"). A missing file or any other text is
// stretch; a missing file is noted as missing, so one another program makes
// meanwhile is not written over. Throws InOutError, whose message names the
// file.
PictureFit readPictureFit(const QString& path);
void writePictureFit(const QString& path, PictureFit fit);

} // namespace jf
