// Colour conversion with Little CMS 2. Everything runs in one context of
// our own whose error messages go nowhere: a profile Little CMS cannot use is
// simply not used.
#include "ColourProfile.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <mutex>
#include <utility>
#include <vector>

#include <lcms2.h>

namespace jf {

namespace {

void ignoreError(cmsContext, cmsUInt32Number, const char*) {}

cmsContext colourContext()
{
    static const cmsContext context = [] {
        cmsContext c = cmsCreateContext(nullptr, nullptr);
        cmsSetLogErrorHandlerTHR(c, ignoreError);
        return c;
    }();
    return context;
}

// Pixel layouts of Little CMS for QImage's 32-bit pixels (0xAARRGGBB words).
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
constexpr cmsUInt32Number kRgb32 = TYPE_BGRA_8;
// A grey value in the first byte of four (blue's), the rest left alone.
constexpr cmsUInt32Number kGreyInRgb32 =
    COLORSPACE_SH(PT_GRAY) | CHANNELS_SH(1) | BYTES_SH(1) | EXTRA_SH(3);
#else
constexpr cmsUInt32Number kRgb32 = TYPE_ARGB_8;
constexpr cmsUInt32Number kGreyInRgb32 =
    COLORSPACE_SH(PT_GRAY) | CHANNELS_SH(1) | BYTES_SH(1) | EXTRA_SH(3) | SWAPFIRST_SH(1);
#endif

cmsColorSpaceSignature spaceOf(ColourProfile::Model model)
{
    switch (model) {
    case ColourProfile::Model::Grey:
        return cmsSigGrayData;
    case ColourProfile::Model::Rgb:
        break;
    case ColourProfile::Model::Cmyk:
        return cmsSigCmykData;
    }
    return cmsSigRgbData;
}

// The classes of profiles that describe a picture's pixels.
bool describesPictures(cmsProfileClassSignature deviceClass)
{
    return deviceClass == cmsSigInputClass || deviceClass == cmsSigDisplayClass ||
           deviceClass == cmsSigOutputClass || deviceClass == cmsSigColorSpaceClass;
}

} // namespace

struct ColourProfile::Data
{
    Data(cmsHPROFILE p, Model m, QByteArray bytes) : profile(p), model(m), icc(std::move(bytes)) {}
    ~Data()
    {
        for (const auto& entry : transforms)
            cmsDeleteTransform(entry.second);
        cmsCloseProfile(profile);
    }
    Data(const Data&) = delete;
    Data& operator=(const Data&) = delete;

    // The conversion of pixels laid out as `inFormat` into sRGB 32-bit
    // pixels, made once; nullptr when Little CMS cannot make it. Without a
    // cache of the last pixel, so threads may share it.
    cmsHTRANSFORM transform(cmsUInt32Number inFormat) const
    {
        const std::lock_guard<std::mutex> lock(mutex);
        for (const auto& [format, made] : transforms) {
            if (format == inFormat)
                return made;
        }
        cmsHPROFILE srgb = cmsCreate_sRGBProfileTHR(colourContext());
        cmsHTRANSFORM made =
            srgb ? cmsCreateTransformTHR(colourContext(), profile, inFormat, srgb, kRgb32,
                                         INTENT_RELATIVE_COLORIMETRIC, cmsFLAGS_NOCACHE)
                 : nullptr;
        if (srgb)
            cmsCloseProfile(srgb);
        if (made)
            transforms.emplace_back(inFormat, made);
        return made;
    }

    const cmsHPROFILE profile;
    const Model model;
    const QByteArray icc;
    mutable std::mutex mutex;
    mutable std::vector<std::pair<cmsUInt32Number, cmsHTRANSFORM>> transforms;
};

ColourProfile ColourProfile::adopt(void* handle, Model model, QByteArray icc)
{
    if (!handle)
        return ColourProfile();
    const auto data =
        std::make_shared<const Data>(static_cast<cmsHPROFILE>(handle), model, std::move(icc));
    const cmsUInt32Number format = model == Model::Rgb    ? kRgb32
                                   : model == Model::Grey ? cmsUInt32Number(TYPE_GRAY_8)
                                                          : cmsUInt32Number(TYPE_CMYK_8);
    const cmsHTRANSFORM transform = data->transform(format);
    if (!transform)
        return ColourProfile();

    // Sample colours, white (or bare paper) first: a grid of RGB values, the
    // grey scale, or paper alone.
    std::vector<quint32> samples;
    std::vector<uchar> bytes;
    if (model == Model::Rgb) {
        for (int r = 0; r <= 255; r += 51)
            for (int g = 0; g <= 255; g += 51)
                for (int b = 0; b <= 255; b += 51)
                    samples.push_back(qRgb(255 - r, 255 - g, 255 - b));
        bytes.resize(samples.size() * 4);
        std::memcpy(bytes.data(), samples.data(), bytes.size());
    } else if (model == Model::Grey) {
        for (int v = 255; v >= 0; --v) {
            samples.push_back(qRgb(v, v, v));
            bytes.push_back(uchar(v));
        }
    } else {
        samples.push_back(qRgb(255, 255, 255));
        bytes.assign(4, 0);
    }
    std::vector<quint32> out(samples.size(), 0);
    cmsDoTransform(transform, bytes.data(), out.data(), cmsUInt32Number(samples.size()));

    // A profile that turns white dark is broken (all its colorants zero,
    // say), whatever Little CMS makes of it.
    if (qRed(out[0]) < 192 || qGreen(out[0]) < 192 || qBlue(out[0]) < 192)
        return ColourProfile();
    // One that converts like sRGB is left out: its pictures stay as stored.
    if (model != Model::Cmyk) {
        bool same = true;
        for (size_t i = 0; i < samples.size() && same; ++i) {
            same = std::abs(qRed(out[i]) - qRed(samples[i])) <= 1 &&
                   std::abs(qGreen(out[i]) - qGreen(samples[i])) <= 1 &&
                   std::abs(qBlue(out[i]) - qBlue(samples[i])) <= 1;
        }
        if (same)
            return ColourProfile();
    }
    return ColourProfile(data);
}

ColourProfile ColourProfile::fromIcc(const QByteArray& icc, Model model)
{
    // A header (128 bytes) and a tag count at least.
    if (icc.size() < 132 || icc.size() > kMaxColourProfileBytes)
        return ColourProfile();
    cmsHPROFILE profile =
        cmsOpenProfileFromMemTHR(colourContext(), icc.constData(), cmsUInt32Number(icc.size()));
    if (!profile)
        return ColourProfile();
    if (!describesPictures(cmsGetDeviceClass(profile)) ||
        cmsGetColorSpace(profile) != spaceOf(model) ||
        (cmsGetPCS(profile) != cmsSigXYZData && cmsGetPCS(profile) != cmsSigLabData)) {
        cmsCloseProfile(profile);
        return ColourProfile();
    }
    return adopt(profile, model, icc);
}

namespace {

struct Primaries
{
    int code;
    cmsCIExyY white;
    cmsCIExyYTRIPLE rgb;
};

constexpr cmsCIExyY kD65 = {0.3127, 0.3290, 1};
constexpr cmsCIExyY kIlluminantC = {0.310, 0.316, 1};

// ITU-T H.273, table 2 (XYZ, 10, is no picture's).
constexpr Primaries kPrimaries[] = {
    {1, kD65, {{0.640, 0.330, 1}, {0.300, 0.600, 1}, {0.150, 0.060, 1}}},
    {4, kIlluminantC, {{0.670, 0.330, 1}, {0.210, 0.710, 1}, {0.140, 0.080, 1}}},
    {5, kD65, {{0.640, 0.330, 1}, {0.290, 0.600, 1}, {0.150, 0.060, 1}}},
    {6, kD65, {{0.630, 0.340, 1}, {0.310, 0.595, 1}, {0.155, 0.070, 1}}},
    {7, kD65, {{0.630, 0.340, 1}, {0.310, 0.595, 1}, {0.155, 0.070, 1}}},
    {8, kIlluminantC, {{0.681, 0.319, 1}, {0.243, 0.692, 1}, {0.145, 0.049, 1}}},
    {9, kD65, {{0.708, 0.292, 1}, {0.170, 0.797, 1}, {0.131, 0.046, 1}}},
    {11, {0.314, 0.351, 1}, {{0.680, 0.320, 1}, {0.265, 0.690, 1}, {0.150, 0.060, 1}}},
    {12, kD65, {{0.680, 0.320, 1}, {0.265, 0.690, 1}, {0.150, 0.060, 1}}},
    {22, kD65, {{0.630, 0.340, 1}, {0.295, 0.605, 1}, {0.155, 0.077, 1}}},
};

// The curve from stored values to light for an H.273 transfer
// characteristic (table 3): the inverse of the published curve. Nothing for
// the curves of high dynamic range, logarithmic ones and unknown values.
cmsToneCurve* transferCurve(int code)
{
    const auto parametric = [](std::array<cmsFloat64Number, 5> p) {
        return cmsBuildParametricToneCurve(colourContext(), 4, p.data());
    };
    switch (code) {
    case 1: // BT.709, and BT.601 and BT.2020 with the same curve
    case 6:
    case 14:
    case 15:
        return parametric({1 / 0.45, 1 / 1.099, 0.099 / 1.099, 1 / 4.5, 0.081});
    case 4:
        return cmsBuildGamma(colourContext(), 2.2);
    case 5:
        return cmsBuildGamma(colourContext(), 2.8);
    case 7: // SMPTE 240M
        return parametric({1 / 0.45, 1 / 1.1115, 0.1115 / 1.1115, 1 / 4.0, 0.0913});
    case 8:
        return cmsBuildGamma(colourContext(), 1.0);
    case 2: // unspecified: as sRGB
    case 13:
        return parametric({2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045});
    default:
        return nullptr;
    }
}

// An RGB profile of the given white, primaries and one curve for all three.
void* rgbProfile(const cmsCIExyY& white, const cmsCIExyYTRIPLE& primaries, cmsToneCurve* curve)
{
    if (!curve)
        return nullptr;
    cmsToneCurve* curves[3] = {curve, curve, curve};
    cmsHPROFILE profile = cmsCreateRGBProfileTHR(colourContext(), &white, &primaries, curves);
    cmsFreeToneCurve(curve);
    return profile;
}

} // namespace

ColourProfile ColourProfile::fromNclx(int primaries, int transfer)
{
    if ((primaries == 1 || primaries == 2) && (transfer == 2 || transfer == 13))
        return ColourProfile();
    const Primaries* found = nullptr;
    for (const Primaries& p : kPrimaries) {
        if (p.code == (primaries == 2 ? 1 : primaries))
            found = &p;
    }
    if (!found)
        return ColourProfile();
    return adopt(rgbProfile(found->white, found->rgb, transferCurve(transfer)), Model::Rgb,
                 QByteArray());
}

ColourProfile ColourProfile::fromChromaticities(const double xy[8], double gamma)
{
    for (int i = 0; i < 8; i += 2) {
        const double x = xy[i], y = xy[i + 1];
        if (!std::isfinite(x) || !std::isfinite(y) || x < 0 || y <= 0.001 || x + y > 1)
            return ColourProfile();
    }
    if (!std::isfinite(gamma) || gamma < 0.25 || gamma > 4)
        return ColourProfile();
    // sRGB's values as PNG writers round them, with a gamma near 2.2.
    const double srgb[8] = {0.3127, 0.3290, 0.64, 0.33, 0.30, 0.60, 0.15, 0.06};
    bool nearSrgb = std::abs(gamma - 2.2) < 0.05;
    for (int i = 0; i < 8 && nearSrgb; ++i)
        nearSrgb = std::abs(xy[i] - srgb[i]) < 0.01;
    if (nearSrgb)
        return ColourProfile();
    const cmsCIExyY white = {xy[0], xy[1], 1};
    const cmsCIExyYTRIPLE primaries = {{xy[2], xy[3], 1}, {xy[4], xy[5], 1}, {xy[6], xy[7], 1}};
    return adopt(rgbProfile(white, primaries, cmsBuildGamma(colourContext(), gamma)), Model::Rgb,
                 QByteArray());
}

ColourProfile::Model ColourProfile::model() const
{
    return m_data ? m_data->model : Model::Rgb;
}

QByteArray ColourProfile::icc() const
{
    return m_data ? m_data->icc : QByteArray();
}

QImage ColourProfile::toSrgb(QImage image) const
{
    if (!m_data || image.isNull())
        return image;
    const Model model = m_data->model;
    switch (image.format()) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32: {
        if (model == Model::Cmyk)
            return image;
        const cmsHTRANSFORM transform =
            m_data->transform(model == Model::Rgb ? kRgb32 : kGreyInRgb32);
        if (!transform)
            return image;
        uchar* bits = image.bits();
        cmsDoTransformLineStride(
            transform, bits, bits, cmsUInt32Number(image.width()), cmsUInt32Number(image.height()),
            cmsUInt32Number(image.bytesPerLine()), cmsUInt32Number(image.bytesPerLine()), 0, 0);
        return image;
    }
    case QImage::Format_Grayscale8: {
        if (model != Model::Grey)
            return image;
        const cmsHTRANSFORM transform = m_data->transform(TYPE_GRAY_8);
        QImage rgb(image.size(), QImage::Format_RGB32);
        if (!transform || rgb.isNull())
            return image;
        rgb.fill(qRgb(0, 0, 0)); // the bytes Little CMS leaves alone are opaque
        cmsDoTransformLineStride(transform, image.constBits(), rgb.bits(),
                                 cmsUInt32Number(image.width()), cmsUInt32Number(image.height()),
                                 cmsUInt32Number(image.bytesPerLine()),
                                 cmsUInt32Number(rgb.bytesPerLine()), 0, 0);
        return rgb;
    }
    default:
        return image;
    }
}

bool ColourProfile::cmykToSrgb(QImage& image, int rows, bool inverted) const
{
    if (!m_data || m_data->model != Model::Cmyk || image.depth() != 32)
        return false;
    const cmsHTRANSFORM transform = m_data->transform(inverted ? TYPE_CMYK_8_REV : TYPE_CMYK_8);
    if (!transform)
        return false;
    rows = std::clamp(rows, 0, image.height());
    for (int y = 0; y < rows; ++y) {
        auto* line = reinterpret_cast<quint32*>(image.scanLine(y));
        cmsDoTransform(transform, line, line, cmsUInt32Number(image.width()));
        // K stays where alpha goes: the pixels are opaque.
        for (int x = 0; x < image.width(); ++x)
            line[x] |= 0xff000000u;
    }
    return true;
}

} // namespace jf
