#pragma once

#include <QByteArray>
#include <QImage>

namespace jf {

// Decodes the first page of a whole TIFF file held in memory with libtiff:
// whatever libtiff's RGBA interface reads (1 to 16 bits, strips or tiles,
// contiguous or planar, grey, RGB, palette, CMYK, YCbCr, CIE L*a*b*, JPEG and
// every other compression it knows), and besides that grey, RGB, palette and
// CMYK pictures of any other sample size up to 32 bits and 32- or 64-bit
// floating point samples. The picture comes out turned by its orientation
// tag and laid over white paper (Format_RGB32). The size is checked before
// any pixels are decoded. Throws PictureError "TIFF image is not valid", or
// "Picture is too large (%d x %d pixels)" above kMaxPicturePixels.
QImage decodeTiff(const QByteArray& file);

} // namespace jf
