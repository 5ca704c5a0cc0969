#pragma once

#include <QByteArray>
#include <QImage>

namespace jf {

// Decodes the primary image of a whole HEIC/HEIF file held in memory with
// libheif, which applies the file's rotation, mirroring and cropping itself.
// The size is checked before decoding; transparent areas are laid over white
// paper. Throws PictureError "HEIC image is not valid", or "Picture is too
// large (%d x %d pixels)" above kMaxPicturePixels.
QImage decodeHeif(const QByteArray& file);

} // namespace jf
