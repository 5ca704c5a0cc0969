#pragma once

#include <QByteArray>
#include <QImage>

namespace jf {

// Most SVG text read, after a compressed file has been inflated.
constexpr qint64 kMaxSvgBytes = 64 * 1024 * 1024;

// Decodes an SVG file, plain or gzip-compressed, onto white paper. The
// drawing is read on its own: pictures that an <image> element names by a
// file or address are left out (so is an xml-stylesheet instruction), and an
// embedded "data:" picture is kept only when the program's own decoders read
// it. A compressed file is inflated no further than kMaxSvgBytes. Throws
// PictureError "SVG image is not valid" or "SVG image is too large (over
// 64 MB uncompressed)".
QImage decodeSvg(const QByteArray& file);

} // namespace jf
