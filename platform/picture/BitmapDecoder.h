#pragma once

#include <QByteArray>
#include <QImage>

namespace jf {

// Decodes a whole .bmp file held in memory: Windows and OS/2 headers; 1, 4,
// 8, 16, 24 and 32 bits a pixel; uncompressed, RLE4, RLE8 and bit-field
// masks; bottom-up and top-down rows. The headers are checked before any
// pixel memory is taken. Throws PictureError "Bitmap image is not valid", or
// "Picture is too large (%d x %d pixels)" above kMaxPicturePixels.
QImage decodeBitmap(const QByteArray& file);

// Decodes the first image of a whole .ico file held in memory: a bitmap
// (whatever its header's size, as decodeBitmap reads it, with the icon's
// transparency mask) or a PNG image (through Qt). Throws PictureError "Icon
// image is not valid", or "Picture is too large ...".
QImage decodeIcon(const QByteArray& file);

} // namespace jf
