#pragma once

#include "ColourProfile.h"

#include <QByteArray>
#include <QImage>
#include <QSize>

namespace jf {

// Pictures with more pixels than this are refused before anything is
// decoded: 256,000,000 pixels is about 1 GB as 32-bit pixels, far above any
// cover scan (a 300 dpi DVD cover is about 10 megapixels) and far below what
// a forged header can claim (65500 x 65500 is 4.3 gigapixels).
constexpr qint64 kMaxPicturePixels = 256'000'000;

// Upper bound for libjpeg's working memory (mostly the coefficient buffer of
// progressive and multi-scan files).
constexpr long kMaxJpegWorkMemory = 1024L * 1024 * 1024;

// The DCT scale, in eighths (1 to 8), that libjpeg should decode a picture of
// `full` size at so that both sides of its output still reach `target`: the
// smallest such scale, or 8 when only the full size covers it. Output sides
// are full * eighths / 8 rounded up, as libjpeg computes them.
int jpegScaleEighths(const QSize& full, const QSize& target);

// The output size libjpeg gives for `full` decoded at `eighths` / 8.
QSize jpegScaledSize(const QSize& full, int eighths);

// Facts read from a JPEG file's header.
struct JpegHeader
{
    QSize size;
    int components = 0;
    bool progressive = false; // also any other file with several scans
    int orientation = 1;      // the EXIF orientation tag, 1 to 8 (1 when absent)
    QByteArray iccProfile;    // reassembled from the APP2 "ICC_PROFILE" markers
};

// Reads the header of a whole JPEG file held in memory. Throws PictureError
// "JPEG error #%d" (libjpeg's code of its first fatal error) for a damaged
// header and "Picture is too large (%d x %d pixels)" above kMaxPicturePixels
// or kMaxJpegWorkMemory.
JpegHeader readJpegHeader(const QByteArray& file);

// Decodes a JPEG file, whose header readJpegHeader accepted, at `eighths` / 8
// of its size into a Format_RGB32 or Format_Grayscale8 image, converted to
// sRGB from `profile` (the file's own, or null). Damage in the picture data
// is not fatal: rows libjpeg could not decode stay grey, and `*fatalCode`
// (when given) receives the code of a fatal error met on the way, 0 if
// there was none. `*passesThrough` (when given) receives what
// jpegPassesThrough would say of the file, which the decoding read whole.
QImage decodeJpeg(const QByteArray& file, int eighths, int* fatalCode = nullptr,
                  const ColourProfile& profile = ColourProfile(), bool* passesThrough = nullptr);

// The model of a JPEG's pixels with `components` components, for its profile.
ColourProfile::Model jpegColourModel(int components);

// Whether a JPEG file may go into a PDF as it is (a /DCTDecode image) and
// be drawn alike by every PDF reader, printers' Ghostscript among them, as
// this program's decoder draws it: only 8-bit Huffman-coded files (baseline
// or progressive) with one component, or three with a JFIF marker, an Adobe
// marker or the usual component ids 1, 2, 3, read to the end without a
// single warning from libjpeg (no damage, nothing cut off).
bool jpegPassesThrough(const QByteArray& file);

} // namespace jf
