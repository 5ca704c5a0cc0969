#include "PictureFit.h"

#include "DataFileFormats.h"
#include "Errors.h"

#include <algorithm>
#include <cerrno>
#include <cmath>

namespace jf {

namespace {

bool placeable(QSizeF picture, QSizeF box)
{
    return picture.width() > 0 && picture.height() > 0 && box.width() > 0 && box.height() > 0;
}

// The largest size of the box's proportions the picture holds, made smaller
// by `zoom`.
QSizeF cropSize(QSizeF picture, QSizeF box, double zoom)
{
    const double scale = std::min(picture.width() / box.width(), picture.height() / box.height());
    return box * (scale / zoom);
}

double withinOrMiddle(double value, double low, double high)
{
    if (!std::isfinite(value))
        return (low + high) / 2;
    return std::clamp(value, low, high);
}

} // namespace

Crop clampedCrop(const Crop& crop, QSizeF picture, QSizeF box)
{
    Crop clamped;
    clamped.zoom = std::isfinite(crop.zoom) ? std::clamp(crop.zoom, 1.0, kMostZoom) : 1.0;
    if (!placeable(picture, box))
        return clamped;
    const QSizeF part = cropSize(picture, box, clamped.zoom);
    // Half the part's size from either edge, as fractions of the picture
    // (half of it at most, whatever the rounding).
    const double halfX = std::min(0.5, part.width() / picture.width() / 2);
    const double halfY = std::min(0.5, part.height() / picture.height() / 2);
    clamped.centreX = withinOrMiddle(crop.centreX, halfX, 1 - halfX);
    clamped.centreY = withinOrMiddle(crop.centreY, halfY, 1 - halfY);
    return clamped;
}

PlacedPicture placePicture(const Placement& placement, QSizeF picture, QSizeF box)
{
    PlacedPicture placed{QRectF(QPointF(0, 0), picture), QRectF(0, 0, 1, 1)};
    if (!placeable(picture, box))
        return placed;
    if (placement.fit == PictureFit::Fill) {
        const Crop crop = clampedCrop(placement.crop, picture, box);
        const QSizeF part = cropSize(picture, box, crop.zoom);
        placed.source = QRectF(crop.centreX * picture.width() - part.width() / 2,
                               crop.centreY * picture.height() - part.height() / 2, part.width(),
                               part.height());
    } else if (placement.fit == PictureFit::Fit) {
        const double scale =
            std::min(box.width() / picture.width(), box.height() / picture.height());
        const double width = picture.width() * scale / box.width();
        const double height = picture.height() * scale / box.height();
        placed.target = QRectF((1 - width) / 2, (1 - height) / 2, width, height);
    }
    return placed;
}

Crop draggedCrop(const Crop& crop, QSizeF picture, QSizeF box, QPointF by)
{
    if (!placeable(picture, box))
        return clampedCrop(crop, picture, box);
    const QSizeF part = cropSize(picture, box, clampedCrop(crop, picture, box).zoom);
    return shiftedCrop(crop, picture, box,
                       QPointF(by.x() * part.width() / picture.width(),
                               by.y() * part.height() / picture.height()));
}

Crop shiftedCrop(const Crop& crop, QSizeF picture, QSizeF box, QPointF by)
{
    // The picture moves, so the part shown moves the other way.
    Crop moved = clampedCrop(crop, picture, box);
    moved.centreX -= by.x();
    moved.centreY -= by.y();
    return clampedCrop(moved, picture, box);
}

Crop zoomedCrop(const Crop& crop, QSizeF picture, QSizeF box, double factor, QPointF at)
{
    const Crop from = clampedCrop(crop, picture, box);
    if (!placeable(picture, box) || !(factor > 0))
        return from;
    Crop to = from;
    to.zoom = std::clamp(from.zoom * factor, 1.0, kMostZoom);
    // The picture's point under `at` stays under it: its distance from the
    // centre shrinks with the part's size.
    const QSizeF before = cropSize(picture, box, from.zoom);
    const QSizeF after = cropSize(picture, box, to.zoom);
    to.centreX += (at.x() - 0.5) * (before.width() - after.width()) / picture.width();
    to.centreY += (at.y() - 0.5) * (before.height() - after.height()) / picture.height();
    return clampedCrop(to, picture, box);
}

QString pictureFitName(PictureFit fit)
{
    switch (fit) {
    case PictureFit::Fill:
        return QStringLiteral("fill");
    case PictureFit::Fit:
        return QStringLiteral("fit");
    case PictureFit::Stretch:
        break;
    }
    return QStringLiteral("stretch");
}

std::optional<PictureFit> pictureFitNamed(const QString& name)
{
    for (const PictureFit fit : {PictureFit::Stretch, PictureFit::Fill, PictureFit::Fit}) {
        if (name == pictureFitName(fit))
            return fit;
    }
    return std::nullopt;
}

QString placementText(const Placement& placement)
{
    switch (placement.fit) {
    case PictureFit::Fill:
        return QStringLiteral("Fill, %1 \u00d7").arg(placement.crop.zoom, 0, 'f', 1);
    case PictureFit::Fit:
        return QStringLiteral("Fit");
    case PictureFit::Stretch:
        break;
    }
    return QStringLiteral("Stretch");
}

PictureFit readPictureFit(const QString& path)
{
    try {
        const QString line =
            SettingsFileReader(path, FileUse::State, FailureText::NamingTheFile).readLine();
        return pictureFitNamed(line.trimmed()).value_or(PictureFit::Stretch);
    } catch (const InOutError& e) {
        if (e.osError() == ENOENT || e.osError() == ENOTDIR)
            return PictureFit::Stretch; // never chosen (or no Data folder at all)
        throw;
    }
}

void writePictureFit(const QString& path, PictureFit fit)
{
    writeSettingsFile(path, {pictureFitName(fit)}, FailureText::NamingTheFile);
}

} // namespace jf
