#pragma once

// A colour chart, colour profiles made with Little CMS, picture files that
// carry a profile, and the colour difference the colour tests measure.
#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>

namespace jf::test {

// The chart: primaries, secondaries, orange, purple, three skin tones, sky,
// forest green and three greys, in sRGB, as 4 x 4 patches row by row.
extern const QList<QRgb> kChartColours;

// The chart with `colours`, each patch `patch` pixels square.
QImage chartImage(const QList<QRgb>& colours, int patch = 32,
                  QImage::Format format = QImage::Format_RGB32);

// The colour of each of the 4 x 4 patches of `image`: the mean of the
// middle half of the patch.
QList<QRgb> chartPatches(const QImage& image);

// The mean of the pixels of `area` (within `image`).
QRgb meanColour(const QImage& image, const QRect& area);

// ICC profiles made from published primaries and curves: Display P3 (D65,
// the sRGB curve; version 4) and Adobe RGB (1998) (D65, gamma 563/256;
// version 2).
QByteArray displayP3Profile();
QByteArray adobeRgbProfile();
// Display P3 as a table from pixel values to Lab, as printer and camera
// profiles are made.
QByteArray tableDisplayP3Profile();
// A grey profile with a linear curve.
QByteArray linearGreyProfile();
// A printer's CMYK profile (a table from CMYK to Lab) whose inks are far
// from the plain "one minus" separation.
QByteArray cmykProfile();

// `colours` (sRGB) in the space of the RGB profile `icc`, relative
// colorimetric, rounded to 8 bits.
QList<QRgb> fromSrgb(const QList<QRgb>& colours, const QByteArray& icc);

// Stored samples as the profile `icc` (grey or CMYK) turns them into sRGB:
// grey is red's value; CMYK's C, M, Y, K are red, green, blue and alpha.
QList<QRgb> toSrgb(const QList<QRgb>& samples, const QByteArray& icc);

// The CMYK samples (C, M, Y, K in red, green, blue, alpha) of the plain
// separation buildJpeg makes of `colours`.
QList<QRgb> plainSeparation(const QList<QRgb>& colours);

// Files carrying `icc`: a JPEG with its profile in APP2 "ICC_PROFILE"
// markers (split at `chunkBytes`), a PNG with an iCCP chunk, a lossless WebP
// with an ICCP chunk, a bitmap with a version 5 header embedding it.
QByteArray jpegWithProfile(const QByteArray& jpeg, const QByteArray& icc, int chunkBytes = 65519);
QByteArray pngWithProfile(const QImage& image, const QByteArray& icc);
QByteArray webpWithProfile(const QImage& image, const QByteArray& icc);
QByteArray bmpWithProfile(const QImage& image, const QByteArray& icc);
// A PNG with the given chunks (type and data) after its header.
QByteArray pngWithChunks(const QImage& image,
                         const QList<std::pair<QByteArray, QByteArray>>& chunks);
// A bitmap with a version 5 header of colour space `csType` ('MBED' embeds
// a profile, 'LINK' names its file), the profile data after the pixels.
QByteArray bmpV5(const QImage& image, quint32 csType, const QByteArray& profileData);

// CIE 1976 colour difference of two sRGB colours.
double deltaE76(QRgb a, QRgb b);

struct ChartDifference
{
    double mean = 0;
    double max = 0;
    int worst = 0; // the patch of the largest difference
};
ChartDifference chartDifference(const QList<QRgb>& seen, const QList<QRgb>& expected);

// Data rows of the chart in every picture type that carries a profile, with
// Display P3 and Adobe RGB (1998) embedded; as an nclx-only HEIC, a PNG with
// a table-based profile, one with gAMA and cHRM, CMYK and grey JPEGs and a
// CMYK TIFF with profiles; and, when `untagged`, without a description.
// Columns "name" (a file name), "bytes" (the file; empty where no encoder is
// here) and "expected" (the sRGB patch colours it shows).
void addChartRows(bool untagged);

} // namespace jf::test
