#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

namespace jf {

// Orientations are numbered as the EXIF "Orientation" tag numbers them: 1 is
// upright, 2 to 8 say how the stored pixels must be mirrored and turned to
// show the picture as the camera saw it.

// The orientation an EXIF block states ("Exif\0\0" and TIFF data, or the
// TIFF data alone), read with libexif. 1 when the block has no usable tag.
int exifOrientation(const QByteArray& exif);

// The orientation stated by the EXIF chunk of a whole WebP file held in
// memory (found with libwebp's demuxer). 1 when there is none.
int webpOrientation(const QByteArray& file);

// Whether the orientation exchanges width and height (5 to 8).
bool orientationSwapsSides(int orientation);

// The size a stored picture of `stored` size is shown at.
QSize orientedSize(const QSize& stored, int orientation);

// The stored pixels turned as a viewer shows them.
QImage applyOrientation(const QImage& stored, int orientation);

} // namespace jf
