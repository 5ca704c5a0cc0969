#pragma once

// Picture files built byte by byte for the tests.
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QList>
#include <QSize>
#include <QString>
#include <QTemporaryDir>

#include <functional>

namespace jf::test {

// The test pattern: `width` x `height` pixels, top row first, each a colour
// of `palette` (so every palette format can store it exactly).
struct Pattern
{
    int width = 0;
    int height = 0;
    QList<QRgb> palette;
    QList<int> indices;

    QRgb pixel(int x, int y) const { return palette[indices[y * width + x]]; }
};

// A pattern with runs (for RLE) and single pixels (absolute mode) mixed.
Pattern makePattern(int width, int height, int colours);

enum class BmpKind
{
    Rgb1,
    Rgb4,
    Rgb8,
    Rle4,
    Rle8,
    Rgb16,       // 5-5-5, no masks
    Bitfields16, // 5-6-5 masks
    Rgb24,
    Rgb24TopDown,
    Rgb32,
    Bitfields32, // R in the low byte, G, B, X above it
    Os2Rgb8,     // 12-byte OS/2 header, 3-byte palette entries
    Os2Rgb24,
    V5Rgb32, // 124-byte header with an alpha mask
};

// A complete .bmp file holding `pattern`.
QByteArray buildBmp(const Pattern& pattern, BmpKind kind);

// A .bmp file's headers only, claiming the given size (for bombs and
// zero sizes): 24 bits, uncompressed, no pixel data.
QByteArray bmpHeaderOnly(int width, int height, int bitsPerPixel = 24);

// A one-frame .ico file holding `image` as a 32-bit bitmap.
QByteArray buildIco(const QImage& image);

// JPEG files written with libjpeg.
enum class JpegKind
{
    Baseline,
    Progressive,
    Grey,
    CmykAdobe,
    CmykPlain,
    Arithmetic,
    ProgressiveArithmetic,
    RgbAdobe // RGB samples, component ids 'R', 'G', 'B', an Adobe marker
};
QByteArray buildJpeg(const QImage& image, JpegKind kind, int quality = 95);

// A JPEG whose frame header claims `width` x `height` (the rest is a valid
// tiny file's), for bombs and zero sizes.
QByteArray jpegWithClaimedSize(int width, int height, bool progressive = false);

// Metafiles: a `width` x `height` white field with a red rectangle from
// (width / 4, height / 4) to (3 * width / 4, 3 * height / 4).
QByteArray buildWmf(int width, int height);
QByteArray buildEmf(int width, int height);

// Four flat quadrants: red top left, green top right, blue bottom left,
// yellow bottom right.
QImage quadrantImage(int width, int height);
extern const QRgb kQuadrantColours[4];

// Files written by Qt's writers ("png", "webp", "tiff", "gif"); `image`'s
// format decides PNG's depth and palette.
QByteArray buildWithQt(const QImage& image, const char* format);

// An EXIF block ("Exif\0\0" and TIFF data) made with libexif holding only
// the orientation tag.
QByteArray exifWithOrientation(int orientation);

// A JPEG of `stored` with an APP1 EXIF marker stating `orientation`.
QByteArray jpegWithOrientation(const QImage& stored, int orientation);

// A lossless WebP of `stored` in the extended layout, with an EXIF chunk
// stating `orientation`; `canvas` overrides the size the header claims.
QByteArray webpWithOrientation(const QImage& stored, int orientation, QSize canvas = QSize());

// A HEIC file encoded with libheif, turned by `orientation` (as the file's
// transforms), keeping alpha when `image` has it. Empty when libheif has no
// HEVC encoder here.
QByteArray buildHeic(const QImage& image, int orientation = 1);

// The pixels a camera stores for a picture that shows as `shown` under
// `orientation`, following the EXIF definition of each value.
QImage storedFor(const QImage& shown, int orientation);

// A GIF drawing `image` (at most 127 colours) with a 128-colour palette;
// fully transparent pixels use a transparent palette entry.
QByteArray buildGif(const QImage& image);

// TIFF files written with libtiff from `samples`, whose ARGB32 channels are
// the stored 8-bit sample values: grey is red's value, an alpha sample is
// alpha's, CMYK's C, M, Y, K are red, green, blue and alpha; a palette holds
// the distinct RGB colours. Samples of other sizes hold v * max / 255
// rounded (floating point: v / 255), so they decode to v again; below 8
// bits use multiples of 255 / max. Strips of 5 rows unless `tile` gives
// square tiles of that side.
enum class TiffColour
{
    Grey,
    InvertedGrey,
    Rgb,
    Palette,
    Cmyk,
    YCbCrJpeg // RGB samples stored as JPEG-compressed YCbCr (lossy)
};
enum class TiffAlpha
{
    None,
    Associated,
    Unassociated
};
struct TiffLayout
{
    TiffColour colour = TiffColour::Rgb;
    int bits = 8;
    bool floating = false;
    TiffAlpha alpha = TiffAlpha::None;
    bool planar = false;
    int tile = 0;
    bool lzw = false;
    bool bigEndian = false;
};
QByteArray buildTiff(const QImage& samples, const TiffLayout& layout);

// A PNG file written byte by byte from `samples` (stored 8-bit values as
// for buildTiff: grey is red's value), of PNG colour type `colourType` (0
// grey, 2 RGB, 3 palette, 4 grey and alpha, 6 RGBA) and `bits` a sample:
// values are v * max / 255 rounded. A palette holds the distinct ARGB
// colours, their alpha in a tRNS chunk when any is below 255; `transparent`
// (grey: red's value) becomes the tRNS colour of types 0 and 2.
QByteArray buildPng(const QImage& samples, int colourType, int bits,
                    std::optional<QRgb> transparent = std::nullopt);

// An SVG drawing the quadrant picture in a `width` x `height` view box.
QByteArray buildSvg(int width, int height);

// Writes bytes to `path`; fails the test on error.
bool writeFile(const QString& path, const QByteArray& bytes);

// Writes bytes to the file `name` in `dir` and returns its path; stops the
// test when it cannot.
QString sampleFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes);

// The largest difference of one colour channel.
int colourDistance(QRgb a, QRgb b);

// The first pixel of `image` further than `tolerance` from want(x, y), as
// "(x, y): found, expected want"; empty when every pixel is near enough.
QString firstPixelApart(const QImage& image, const std::function<QRgb(int, int)>& want,
                        int tolerance);

// The CRC of a PNG chunk's type and data.
quint32 pngCrc(const QByteArray& bytes);

} // namespace jf::test
