#pragma once

#include <QByteArray>
#include <QImage>

namespace jf {

// Renders a whole .wmf (or, with `enhanced`, .emf) file held in memory into
// an image. Throws PictureError "Metafile is not valid" for anything that
// cannot be rendered.
QImage decodeMetafile(const QByteArray& file, bool enhanced);

// Draws an SVG document on white paper, 2400 pixels along its longer
// side, with Qt SVG. Null when it cannot be drawn.
QImage renderSvg(const QByteArray& svg);

} // namespace jf
