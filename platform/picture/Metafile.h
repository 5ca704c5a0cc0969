#pragma once

#include <QByteArray>
#include <QImage>

namespace jf {

// Renders a whole .wmf (or, with `enhanced`, .emf) file held in memory into
// an image. Throws PictureError "Metafile is not valid" for anything that
// cannot be rendered.
QImage decodeMetafile(const QByteArray& file, bool enhanced);

} // namespace jf
