#include "ColourSamples.h"

#include "PictureSamples.h"

#include <QTest>
#include <QtEndian>

#include <algorithm>
#include <cmath>

#include <lcms2.h>

namespace jf::test {

const QList<QRgb> kChartColours = {
    qRgb(255, 0, 0),     qRgb(0, 255, 0),    qRgb(0, 0, 255),     qRgb(0, 255, 255),
    qRgb(255, 0, 255),   qRgb(255, 255, 0),  qRgb(255, 140, 0),   qRgb(128, 0, 128),
    qRgb(241, 194, 160), qRgb(198, 134, 66), qRgb(141, 85, 36),   qRgb(135, 206, 235),
    qRgb(34, 139, 34),   qRgb(50, 50, 50),   qRgb(128, 128, 128), qRgb(200, 200, 200)};

QImage chartImage(const QList<QRgb>& colours, int patch, QImage::Format format)
{
    QImage image(4 * patch, 4 * patch, format);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, colours[(y / patch) * 4 + x / patch]);
    return image;
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

namespace {

QByteArray saved(cmsHPROFILE profile)
{
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(profile, nullptr, &size);
    QByteArray bytes(qsizetype(size), '\0');
    cmsSaveProfileToMem(profile, bytes.data(), &size);
    cmsCloseProfile(profile);
    // A fixed creation date (1 January 2026), so the same profile makes the
    // same bytes.
    const quint16 date[6] = {2026, 1, 1, 0, 0, 0};
    for (int i = 0; i < 6 && bytes.size() >= 36; ++i)
        qToBigEndian(date[i], bytes.data() + 24 + 2 * i);
    return bytes;
}

void describe(cmsHPROFILE profile, const char* text)
{
    cmsMLU* mlu = cmsMLUalloc(nullptr, 1);
    cmsMLUsetASCII(mlu, "en", "US", text);
    cmsWriteTag(profile, cmsSigProfileDescriptionTag, mlu);
    cmsMLUfree(mlu);
}

const cmsCIExyY kD65 = {0.3127, 0.3290, 1.0};

QByteArray rgbProfile(const cmsCIExyYTRIPLE& primaries, cmsToneCurve* curve, double version,
                      const char* text)
{
    cmsToneCurve* curves[3] = {curve, curve, curve};
    cmsHPROFILE profile = cmsCreateRGBProfile(&kD65, &primaries, curves);
    cmsFreeToneCurve(curve);
    cmsSetProfileVersion(profile, version);
    describe(profile, text);
    return saved(profile);
}

// A transform between two profiles given as bytes (an empty one is sRGB).
cmsHTRANSFORM transform(const QByteArray& from, cmsUInt32Number inFormat, const QByteArray& to,
                        cmsUInt32Number outFormat)
{
    const auto open = [](const QByteArray& icc) {
        return icc.isEmpty() ? cmsCreate_sRGBProfile()
                             : cmsOpenProfileFromMem(icc.constData(), cmsUInt32Number(icc.size()));
    };
    cmsHPROFILE in = open(from), out = open(to);
    cmsHTRANSFORM t =
        cmsCreateTransform(in, inFormat, out, outFormat, INTENT_RELATIVE_COLORIMETRIC, 0);
    cmsCloseProfile(in);
    cmsCloseProfile(out);
    return t;
}

// Linear light of the three inks' mixtures, as the CMYK profile's table
// holds them (in Lab).
int sampleInks(const cmsUInt16Number in[], cmsUInt16Number out[], void* cargo)
{
    const double c = in[0] / 65535.0, m = in[1] / 65535.0, y = in[2] / 65535.0, k = in[3] / 65535.0;
    const double black = 1 - 0.92 * k;
    const double rgb[3] = {(1 - 0.95 * c) * (1 - 0.15 * m) * (1 - 0.03 * y) * black,
                           (1 - 0.45 * c) * (1 - 0.90 * m) * (1 - 0.10 * y) * black,
                           (1 - 0.15 * c) * (1 - 0.40 * m) * (1 - 0.92 * y) * black};
    cmsCIELab lab;
    cmsDoTransform(static_cast<cmsHTRANSFORM>(cargo), rgb, &lab, 1);
    cmsFloat2LabEncoded(out, &lab);
    return TRUE;
}

} // namespace

QByteArray displayP3Profile()
{
    const cmsFloat64Number srgbCurve[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
    const cmsCIExyYTRIPLE p3 = {{0.680, 0.320, 1}, {0.265, 0.690, 1}, {0.150, 0.060, 1}};
    return rgbProfile(p3, cmsBuildParametricToneCurve(nullptr, 4, srgbCurve), 4.3,
                      "Display P3 (test)");
}

QByteArray adobeRgbProfile()
{
    const cmsCIExyYTRIPLE adobe = {{0.640, 0.330, 1}, {0.210, 0.710, 1}, {0.150, 0.060, 1}};
    return rgbProfile(adobe, cmsBuildGamma(nullptr, 563.0 / 256.0), 2.1, "Adobe RGB (1998) (test)");
}

QByteArray linearGreyProfile()
{
    cmsToneCurve* linear = cmsBuildGamma(nullptr, 1.0);
    cmsHPROFILE profile = cmsCreateGrayProfile(cmsD50_xyY(), linear);
    cmsFreeToneCurve(linear);
    describe(profile, "Linear grey (test)");
    return saved(profile);
}

namespace {

// Pixel values through `toLab` into a table's Lab entries.
int sampleThrough(const cmsUInt16Number in[], cmsUInt16Number out[], void* toLab)
{
    cmsCIELab lab;
    cmsDoTransform(static_cast<cmsHTRANSFORM>(toLab), in, &lab, 1);
    cmsFloat2LabEncoded(out, &lab);
    return TRUE;
}

// A profile whose only way to Lab is a table of `grid` points a side
// (stored as A curves, table, B curves; the curves do nothing), filled by
// `sampler`.
QByteArray tableProfile(cmsProfileClassSignature deviceClass, cmsColorSpaceSignature space,
                        int grid, cmsSAMPLER16 sampler, void* cargo, const char* text)
{
    const int inputs = int(cmsChannelsOf(space));
    cmsPipeline* table = cmsPipelineAlloc(nullptr, cmsUInt32Number(inputs), 3);
    cmsStage* clut =
        cmsStageAllocCLut16bit(nullptr, cmsUInt32Number(grid), cmsUInt32Number(inputs), 3, nullptr);
    cmsStageSampleCLut16bit(clut, sampler, cargo, 0);
    cmsPipelineInsertStage(table, cmsAT_END,
                           cmsStageAllocToneCurves(nullptr, cmsUInt32Number(inputs), nullptr));
    cmsPipelineInsertStage(table, cmsAT_END, clut);
    cmsPipelineInsertStage(table, cmsAT_END, cmsStageAllocToneCurves(nullptr, 3, nullptr));

    cmsHPROFILE profile = cmsCreateProfilePlaceholder(nullptr);
    cmsSetProfileVersion(profile, 4.3);
    cmsSetDeviceClass(profile, deviceClass);
    cmsSetColorSpace(profile, space);
    cmsSetPCS(profile, cmsSigLabData);
    describe(profile, text);
    cmsWriteTag(profile, cmsSigMediaWhitePointTag, cmsD50_XYZ());
    cmsWriteTag(profile, cmsSigAToB0Tag, table);
    cmsPipelineFree(table);
    return saved(profile);
}

// A conversion from the RGB profile `icc` (pixels of `format`) to Lab.
cmsHTRANSFORM toLab(const QByteArray& icc, cmsUInt32Number format)
{
    cmsHPROFILE lab = cmsCreateLab4Profile(nullptr);
    cmsHPROFILE in = cmsOpenProfileFromMem(icc.constData(), cmsUInt32Number(icc.size()));
    cmsHTRANSFORM t =
        cmsCreateTransform(in, format, lab, TYPE_Lab_DBL, INTENT_RELATIVE_COLORIMETRIC, 0);
    cmsCloseProfile(in);
    cmsCloseProfile(lab);
    return t;
}

} // namespace

QByteArray cmykProfile()
{
    // The inks' mixtures in linear light with sRGB's primaries.
    const cmsCIExyYTRIPLE srgb = {{0.64, 0.33, 1}, {0.30, 0.60, 1}, {0.15, 0.06, 1}};
    const cmsHTRANSFORM linearToLab = toLab(
        rgbProfile(srgb, cmsBuildGamma(nullptr, 1.0), 4.3, "linear sRGB (test)"), TYPE_RGB_DBL);
    const QByteArray icc = tableProfile(cmsSigOutputClass, cmsSigCmykData, 9, sampleInks,
                                        linearToLab, "Press inks (test)");
    cmsDeleteTransform(linearToLab);
    return icc;
}

QByteArray tableDisplayP3Profile()
{
    const cmsHTRANSFORM p3ToLab = toLab(displayP3Profile(), TYPE_RGB_16);
    const QByteArray icc = tableProfile(cmsSigDisplayClass, cmsSigRgbData, 33, sampleThrough,
                                        p3ToLab, "Display P3 as a table (test)");
    cmsDeleteTransform(p3ToLab);
    return icc;
}

QList<QRgb> fromSrgb(const QList<QRgb>& colours, const QByteArray& icc)
{
    cmsHTRANSFORM t = transform(QByteArray(), TYPE_RGB_DBL, icc, TYPE_RGB_DBL);
    QList<QRgb> result;
    for (const QRgb c : colours) {
        const double in[3] = {qRed(c) / 255.0, qGreen(c) / 255.0, qBlue(c) / 255.0};
        double out[3];
        cmsDoTransform(t, in, out, 1);
        const auto to8 = [](double v) { return std::clamp(int(std::lround(v * 255)), 0, 255); };
        result << qRgb(to8(out[0]), to8(out[1]), to8(out[2]));
    }
    cmsDeleteTransform(t);
    return result;
}

QList<QRgb> toSrgb(const QList<QRgb>& samples, const QByteArray& icc)
{
    cmsHPROFILE probe = cmsOpenProfileFromMem(icc.constData(), cmsUInt32Number(icc.size()));
    const bool cmyk = cmsGetColorSpace(probe) == cmsSigCmykData;
    cmsCloseProfile(probe);
    cmsHTRANSFORM t = transform(icc, cmyk ? TYPE_CMYK_8 : TYPE_GRAY_8, QByteArray(), TYPE_RGB_8);
    QList<QRgb> result;
    for (const QRgb s : samples) {
        const uchar in[4] = {uchar(qRed(s)), uchar(qGreen(s)), uchar(qBlue(s)), uchar(qAlpha(s))};
        uchar out[3];
        cmsDoTransform(t, in, out, 1);
        result << qRgb(out[0], out[1], out[2]);
    }
    cmsDeleteTransform(t);
    return result;
}

QList<QRgb> plainSeparation(const QList<QRgb>& colours)
{
    QList<QRgb> inks;
    for (const QRgb c : colours) {
        // As buildJpeg separates: K from the darkest channel.
        const int k = 255 - std::max({qRed(c), qGreen(c), qBlue(c)});
        const int denom = 255 - k;
        const auto ink = [&](int v) { return denom > 0 ? (255 - v - k) * 255 / denom : 0; };
        inks << qRgba(ink(qRed(c)), ink(qGreen(c)), ink(qBlue(c)), k);
    }
    return inks;
}

QByteArray jpegWithProfile(const QByteArray& jpeg, const QByteArray& icc, int chunkBytes)
{
    QByteArray markers;
    const int count = int((icc.size() + chunkBytes - 1) / chunkBytes);
    for (int i = 0; i < count; ++i) {
        const QByteArray part = icc.mid(qsizetype(i) * chunkBytes, chunkBytes);
        char length[2];
        qToBigEndian(quint16(2 + 14 + part.size()), length);
        markers += QByteArray("\xff\xe2", 2) + QByteArray(length, 2) +
                   QByteArray("ICC_PROFILE\0", 12) + char(i + 1) + char(count) + part;
    }
    return jpeg.left(2) + markers + jpeg.mid(2);
}

QByteArray pngWithChunks(const QImage& image,
                         const QList<std::pair<QByteArray, QByteArray>>& chunks)
{
    const QByteArray png = buildPng(image, 2, 8);
    QByteArray inserted;
    for (const auto& [type, data] : chunks) {
        char length[4], crc[4];
        qToBigEndian(quint32(data.size()), length);
        qToBigEndian(pngCrc(type + data), crc);
        inserted += QByteArray(length, 4) + type + data + QByteArray(crc, 4);
    }
    const qsizetype afterHeader = 8 + 4 + 4 + 13 + 4;
    return png.left(afterHeader) + inserted + png.mid(afterHeader);
}

QByteArray pngWithProfile(const QImage& image, const QByteArray& icc)
{
    // Name, compression method 0, then a zlib stream (Qt's after its length).
    return pngWithChunks(image, {{"iCCP", QByteArray("Photo\0\0", 7) + qCompress(icc).mid(4)}});
}

QByteArray bmpV5(const QImage& image, quint32 csType, const QByteArray& profileData)
{
    Pattern pattern{image.width(), image.height(), {}, {}};
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y) | 0xff000000u;
            if (!pattern.palette.contains(c))
                pattern.palette << c;
            pattern.indices << int(pattern.palette.indexOf(c));
        }
    QByteArray file = buildBmp(pattern, BmpKind::V5Rgb32);
    // The colour space, and where the profile data lies from the header on.
    qToLittleEndian(csType, file.data() + 14 + 56);
    qToLittleEndian(quint32(file.size() - 14), file.data() + 14 + 112);
    qToLittleEndian(quint32(profileData.size()), file.data() + 14 + 116);
    file += profileData;
    qToLittleEndian(quint32(file.size()), file.data() + 2);
    return file;
}

QByteArray webpWithProfile(const QImage& image, const QByteArray& icc)
{
    QByteArray header(10, '\0');
    header[0] = 0x20; // ICC profile present
    qToLittleEndian(quint32(image.width() - 1), header.data() + 4);
    qToLittleEndian(quint32(image.height() - 1), header.data() + 7);
    const QByteArray body =
        riffChunk("VP8X", header) + riffChunk("ICCP", icc) + buildWithQt(image, "webp").mid(12);
    char size[4];
    qToLittleEndian(quint32(body.size() + 4), size);
    return "RIFF" + QByteArray(size, 4) + "WEBP" + body;
}

QByteArray bmpWithProfile(const QImage& image, const QByteArray& icc)
{
    return bmpV5(image, 0x4d424544, icc); // 'MBED'
}

double deltaE76(QRgb a, QRgb b)
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

} // namespace jf::test

namespace jf::test {

void addChartRows(bool untagged)
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QList<QRgb>>("expected");
    const struct
    {
        const char* name;
        QByteArray icc;
    } profiles[] = {{"Display P3", displayP3Profile()}, {"Adobe RGB", adobeRgbProfile()}};
    for (const auto& [profileName, icc] : profiles) {
        const QImage stored = chartImage(fromSrgb(kChartColours, icc));
        const auto row = [&](const char* type) {
            return &QTest::newRow(qPrintable(
                QStringLiteral("%1, %2").arg(QLatin1String(type), QLatin1String(profileName))));
        };
        *row("jpeg") << "chart.jpg" << jpegWithProfile(buildJpeg(stored, JpegKind::Baseline), icc)
                     << kChartColours;
        *row("png") << "chart.png" << pngWithProfile(stored, icc) << kChartColours;
        *row("webp") << "chart.webp" << webpWithProfile(stored, icc) << kChartColours;
        *row("tiff") << "chart.tif" << buildTiff(stored, TiffLayout{}, icc) << kChartColours;
        *row("heic") << "chart.heic" << buildHeic(stored, 1, HeicColour{.icc = icc})
                     << kChartColours;
        *row("bmp") << "chart.bmp" << bmpWithProfile(stored, icc) << kChartColours;
    }
    const QList<QRgb> p3 = fromSrgb(kChartColours, displayP3Profile());
    QTest::newRow("png, table-based Display P3")
        << "table.png" << pngWithProfile(chartImage(p3), tableDisplayP3Profile()) << kChartColours;
    QTest::newRow("heic, nclx Display P3")
        << "nclx.heic"
        << buildHeic(chartImage(p3), 1,
                     HeicColour{.icc = {}, .primaries = 12, .transfer = 13, .matrix = 1})
        << kChartColours;
    // Adobe RGB's primaries and (nearly) its gamma, in PNG's own chunks.
    QByteArray chrm, gama(4, '\0');
    for (const int v : {31270, 32900, 64000, 33000, 21000, 71000, 15000, 6000}) {
        char be[4];
        qToBigEndian(quint32(v), be);
        chrm.append(be, 4);
    }
    qToBigEndian(quint32(45470), gama.data());
    QTest::newRow("png, gAMA and cHRM of Adobe RGB")
        << "chrm.png"
        << pngWithChunks(chartImage(fromSrgb(kChartColours, adobeRgbProfile())),
                         {{"gAMA", gama}, {"cHRM", chrm}})
        << kChartColours;
    const QImage chart = chartImage(kChartColours);
    QTest::newRow("jpeg, CMYK with a press profile")
        << "cmyk.jpg" << jpegWithProfile(buildJpeg(chart, JpegKind::CmykAdobe), cmykProfile())
        << toSrgb(plainSeparation(kChartColours), cmykProfile());
    QTest::newRow("tiff, CMYK with a press profile")
        << "cmyk.tif"
        << buildTiff(chartImage(plainSeparation(kChartColours), 32, QImage::Format_ARGB32),
                     TiffLayout{.colour = TiffColour::Cmyk}, cmykProfile())
        << toSrgb(plainSeparation(kChartColours), cmykProfile());
    QList<QRgb> greys;
    for (const QRgb c : kChartColours)
        greys << qRgb(qGray(c), qGray(c), qGray(c));
    QTest::newRow("jpeg, grey with a linear profile")
        << "grey.jpg" << jpegWithProfile(buildJpeg(chart, JpegKind::Grey), linearGreyProfile())
        << toSrgb(greys, linearGreyProfile());
    if (!untagged)
        return;
    QTest::newRow("jpeg, untagged")
        << "plain.jpg" << buildJpeg(chart, JpegKind::Baseline) << kChartColours;
    QTest::newRow("png, untagged") << "plain.png" << buildPng(chart, 2, 8) << kChartColours;
    QTest::newRow("webp, untagged") << "plain.webp" << buildWithQt(chart, "webp") << kChartColours;
    QTest::newRow("tiff, untagged")
        << "plain.tif" << buildTiff(chart, TiffLayout{}) << kChartColours;
    QTest::newRow("heic, untagged") << "plain.heic" << buildHeic(chart) << kChartColours;
    QTest::newRow("bmp, untagged")
        << "plain.bmp" << bmpV5(chart, 0x73524742, QByteArray()) << kChartColours;
}

} // namespace jf::test
