#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

namespace jf {

// The picture types Qt's image readers decode for us.
enum class ReaderType
{
    Webp,
    Gif // the first frame
};

// Decodes a whole file of `type` held in memory with Qt's reader for that
// type alone (content of another type is refused). The size is read from the
// header and checked before any pixels are decoded; a WebP with an
// orientation tag comes out as a viewer shows it, one with an ICC profile
// converted from it to sRGB (GIFs are sRGB); a GIF's first frame shows
// whole even where it reaches past the file's logical screen; transparent
// areas are laid over white paper. Throws PictureError "WebP image is not
// valid" (GIF alike), or "Picture is too large (%d x %d pixels)" above
// kMaxPicturePixels.
QImage decodeWithImageReader(const QByteArray& file, ReaderType type);

// Whether Qt can read `format` ("webp", "gif"): its image plugins are
// loaded at run time and may be missing. When one is, decodeWithImageReader
// says so naming the type ("WebP pictures cannot be opened here: Qt's WebP
// image plugin is not installed"). Tests replace the check; nullptr restores
// Qt's own.
using ReaderCheck = bool (*)(const QByteArray& format);
void setReaderCheck(ReaderCheck check);

// Throws PictureError "Picture is too large (%d x %d pixels)" when `size`
// has more than kMaxPicturePixels pixels.
void checkPicturePixels(qint64 width, qint64 height);

// The picture as printed on white paper: an opaque Format_RGB32 image,
// transparent areas white, each pixel c * a + 255 * (1 - a) rounded.
// Premultiplied colour values above their alpha (damaged files) count as
// equal to it. Null when the memory cannot be had.
QImage onWhitePaper(QImage image);

// Lets Qt's readers allocate what kMaxPicturePixels allows (their own default
// limit is lower).
void allowPictureAllocations();

} // namespace jf
