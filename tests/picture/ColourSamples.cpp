#include "ColourSamples.h"

#include "DataRow.h"
#include "PictureSamples.h"

#include <QTest>

#include <algorithm>

#include <lcms2.h>

namespace jf::test {

const QList<QRgb>& chartColours()
{
    static const QList<QRgb> colours = chartPatches(sampleImage(QStringLiteral("chart.png")));
    return colours;
}

QRgb meanColour(const QImage& image, const QRect& area)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    double sum[3] = {0, 0, 0};
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x, ++n) {
            const QRgb p = rgb.pixel(x, y);
            sum[0] += qRed(p);
            sum[1] += qGreen(p);
            sum[2] += qBlue(p);
        }
    n = std::max(n, 1);
    return qRgb(qRound(sum[0] / n), qRound(sum[1] / n), qRound(sum[2] / n));
}

QList<QRgb> chartPatches(const QImage& image)
{
    QList<QRgb> patches;
    const double w = image.width() / 4.0, h = image.height() / 4.0;
    for (int i = 0; i < 16; ++i) {
        const double x = (i % 4) * w, y = (i / 4) * h;
        patches << meanColour(image,
                              QRect(QPoint(qRound(x + w / 4), qRound(y + h / 4)),
                                    QPoint(qRound(x + 3 * w / 4) - 1, qRound(y + 3 * h / 4) - 1)));
    }
    return patches;
}

QList<QRgb> sampleColours(const QString& name)
{
    QList<QRgb> colours;
    for (const QByteArray& line : sample(name).split('\n')) {
        const QList<QByteArray> values = line.simplified().split(' ');
        if (values.size() == 3)
            colours << qRgb(values[0].toInt(), values[1].toInt(), values[2].toInt());
    }
    return colours;
}

// CIE 1976 colour difference of two sRGB colours.
static double deltaE76(QRgb a, QRgb b)
{
    static const cmsHTRANSFORM toLab = [] {
        cmsHPROFILE srgb = cmsCreate_sRGBProfile();
        cmsHPROFILE lab = cmsCreateLab4Profile(nullptr);
        cmsHTRANSFORM t = cmsCreateTransform(srgb, TYPE_RGB_8, lab, TYPE_Lab_DBL,
                                             INTENT_RELATIVE_COLORIMETRIC, 0);
        cmsCloseProfile(srgb);
        cmsCloseProfile(lab);
        return t;
    }();
    const uchar in[6] = {uchar(qRed(a)), uchar(qGreen(a)), uchar(qBlue(a)),
                         uchar(qRed(b)), uchar(qGreen(b)), uchar(qBlue(b))};
    cmsCIELab lab[2];
    cmsDoTransform(toLab, in, lab, 2);
    return cmsDeltaE(&lab[0], &lab[1]);
}

ChartDifference chartDifference(const QList<QRgb>& seen, const QList<QRgb>& expected)
{
    ChartDifference d;
    for (qsizetype i = 0; i < seen.size() && i < expected.size(); ++i) {
        const double e = deltaE76(seen[i], expected[i]);
        d.mean += e / double(expected.size());
        if (e > d.max) {
            d.max = e;
            d.worst = int(i);
        }
    }
    return d;
}

namespace {

// Each picture type that carries a profile: its name and its extension.
const std::pair<const char*, const char*> kChartTypes[] = {{"jpeg", "jpg"},  {"png", "png"},
                                                           {"webp", "webp"}, {"tiff", "tif"},
                                                           {"heic", "heic"}, {"bmp", "bmp"}};

} // namespace

void addChartRows(bool untagged)
{
    jftest::columns<QString, QByteArray, QList<QRgb>>("name", "bytes", "expected");
    for (const auto& [profileName, space] :
         {std::pair{"Display P3", "p3"}, {"Adobe RGB", "adobe"}}) {
        for (const auto& [type, extension] : kChartTypes)
            QTest::addRow("%s, %s", type, profileName)
                << QStringLiteral("chart.%1").arg(QLatin1String(extension))
                << sample(QStringLiteral("chart-%1.%2").arg(QLatin1String(space), extension))
                << chartColours();
    }
    using jftest::row;
    row("png, table-based Display P3", "table.png", sample("chart-p3-table.png"), chartColours());
    row("heic, nclx Display P3", "nclx.heic", sample("chart-p3-nclx.heic"), chartColours());
    // Adobe RGB's primaries and (nearly) its gamma, in PNG's own chunks.
    row("png, gAMA and cHRM of Adobe RGB", "chrm.png", sample("chart-adobe-chrm.png"),
        chartColours());
    // The plain separation of the chart (K from the darkest channel), and
    // its greys, as their profiles show them (samples/README.md tells how).
    const QList<QRgb> cmyk = sampleColours("chart-cmyk-as-srgb.txt");
    row("jpeg, CMYK with a press profile", "cmyk.jpg", sample("chart-cmyk.jpg"), cmyk);
    row("tiff, CMYK with a press profile", "cmyk.tif", sample("chart-cmyk.tif"), cmyk);
    row("jpeg, grey with a linear profile", "grey.jpg", sample("chart-grey.jpg"),
        sampleColours("chart-grey-as-srgb.txt"));
    if (!untagged)
        return;
    for (const auto& [type, extension] : kChartTypes)
        QTest::addRow("%s, untagged", type)
            << QStringLiteral("plain.%1").arg(QLatin1String(extension))
            << sample(QStringLiteral("chart.%1").arg(QLatin1String(extension))) << chartColours();
}

} // namespace jf::test
