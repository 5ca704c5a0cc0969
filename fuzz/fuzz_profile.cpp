// Colour descriptions as pictures carry them: ICC profiles for each kind of
// pixels, and the same bytes read as nclx values and as PNG chromaticities.
// Every input is refused or converts pixels of the kind it describes.
#include "ColourProfile.h"
#include "FuzzSupport.h"

#include <cstring>

namespace {

using jf::ColourProfile;
using jf::fuzz::require;

QImage gradient(QImage::Format format)
{
    QImage image(9, 4, format);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y,
                           format == QImage::Format_Grayscale8
                               ? uint(x * 31)
                               : qRgb(x * 31, y * 80, 255 - x * 28));
    return image;
}

void convert(const ColourProfile& profile)
{
    if (profile.isNull())
        return;
    if (profile.model() == ColourProfile::Model::Cmyk) {
        for (const bool inverted : {false, true}) {
            QImage inks = gradient(QImage::Format_RGB32);
            require(profile.cmykToSrgb(inks, inks.height(), inverted), "CMYK converts");
            for (int y = 0; y < inks.height(); ++y)
                for (int x = 0; x < inks.width(); ++x)
                    require(qAlpha(inks.pixel(x, y)) == 255, "converted inks are opaque");
        }
        return;
    }
    const QImage rgb = profile.toSrgb(gradient(QImage::Format_RGB32));
    require(rgb.format() == QImage::Format_RGB32 && rgb.size() == QSize(9, 4), "RGB stays RGB");
    if (profile.model() == ColourProfile::Model::Grey) {
        const QImage grey = profile.toSrgb(gradient(QImage::Format_Grayscale8));
        require(grey.format() == QImage::Format_RGB32 && grey.size() == QSize(9, 4),
                "grey becomes RGB");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    for (const auto model :
         {ColourProfile::Model::Grey, ColourProfile::Model::Rgb, ColourProfile::Model::Cmyk}) {
        const ColourProfile profile = ColourProfile::fromIcc(bytes, model);
        require(profile.isNull() || (profile.model() == model && profile.icc() == bytes),
                "a profile keeps its model and bytes");
        convert(profile);
    }
    if (size >= 2)
        convert(ColourProfile::fromNclx(data[0], data[1]));
    if (size >= 9 * sizeof(double)) {
        double values[9];
        std::memcpy(values, data, sizeof values);
        convert(ColourProfile::fromChromaticities(values, values[8]));
    }
    return 0;
}
