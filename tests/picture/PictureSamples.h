#pragma once

// Picture files built byte by byte for the tests.
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QList>
#include <QString>

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
    CmykPlain
};
QByteArray buildJpeg(const QImage& image, JpegKind kind, int quality = 95);

// A JPEG whose frame header claims `width` x `height` (the rest is a valid
// tiny file's), for bombs and zero sizes.
QByteArray jpegWithClaimedSize(int width, int height, bool progressive = false);

// Metafiles: a `width` x `height` white field with a red rectangle from
// (width / 4, height / 4) to (3 * width / 4, 3 * height / 4).
QByteArray buildWmf(int width, int height);
QByteArray buildEmf(int width, int height);

// Writes bytes to `path`; fails the test on error.
bool writeFile(const QString& path, const QByteArray& bytes);

// The largest difference of one colour channel.
int colourDistance(QRgb a, QRgb b);

} // namespace jf::test
