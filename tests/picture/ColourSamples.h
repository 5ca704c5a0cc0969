#pragma once

// The colour chart of the colour tests, the files that carry it (in
// tests/picture/samples) and the colour difference the tests measure.
#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>

namespace jf::test {

// The chart: primaries, secondaries, orange, purple, three skin tones, sky,
// forest green and three greys, in sRGB, as 4 x 4 patches row by row (the
// patches of the sample chart.png, whose README entry lists them).
const QList<QRgb>& chartColours();

// The colour of each of the 4 x 4 patches of `image`: the mean of the
// middle half of the patch.
QList<QRgb> chartPatches(const QImage& image);

// The mean of the pixels of `area` (within `image`).
QRgb meanColour(const QImage& image, const QRect& area);

// The colours of the sample text file `name`, "R G B" a line.
QList<QRgb> sampleColours(const QString& name);

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
// Columns "name" (a file name), "bytes" (the file) and "expected" (the sRGB
// patch colours it shows).
void addChartRows(bool untagged);

} // namespace jf::test
