#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

namespace jf {

// The picture types Qt's image readers decode for us.
enum class ReaderType
{
    Png,
    Webp,
    Tiff, // the first page
    Gif   // the first frame
};

// Decodes a whole file of `type` held in memory with Qt's reader for that
// type alone (content of another type is refused). The size is read from the
// header and checked before any pixels are decoded; a TIFF or WebP with an
// orientation tag comes out as a viewer shows it; transparent areas are laid
// over white paper. Throws PictureError "PNG image is not valid" (WebP,
// TIFF, GIF alike), or "Picture is too large (%d x %d pixels)" above
// kMaxPicturePixels.
QImage decodeWithImageReader(const QByteArray& file, ReaderType type);

// Throws PictureError "Picture is too large (%d x %d pixels)" when `size`
// has more than kMaxPicturePixels pixels.
void checkPicturePixels(qint64 width, qint64 height);

// The picture as printed on white paper: an opaque Format_RGB32 image,
// transparent areas white.
QImage onWhitePaper(const QImage& image);

// Lets Qt's readers allocate what kMaxPicturePixels allows (their own default
// limit is lower).
void allowPictureAllocations();

} // namespace jf
