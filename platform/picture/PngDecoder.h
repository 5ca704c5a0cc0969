#pragma once

#include <QByteArray>
#include <QImage>

namespace jf {

// Decodes a whole PNG file held in memory with libpng: every colour type
// and depth (1 to 16 bits, palette, grey, RGB, with alpha or a tRNS
// transparent colour, interlaced or not), 16-bit samples rounded to 8 bits,
// laid over white paper (Format_RGB32). The size is checked before any pixels
// are decoded. Throws PictureError "PNG image is not valid", or "Picture is
// too large (%d x %d pixels)" above kMaxPicturePixels.
QImage decodePng(const QByteArray& file);

} // namespace jf
