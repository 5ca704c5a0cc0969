#pragma once

#include <QByteArray>
#include <QImage>
#include <memory>

namespace jf {

// Embedded profiles above this size are not read: printers' CMYK profiles,
// the largest in use, stay well below it.
constexpr qsizetype kMaxColourProfileBytes = 4 * 1024 * 1024;

// The colour space a picture's pixels are stored in, as its file describes
// it, and the conversion from it to sRGB, the colour space of the screen (as
// the program takes it) and of the painted page. Conversions are relative
// colorimetric, made with Little CMS.
//
// A null profile stands for sRGB itself: pictures without a description,
// with one that says sRGB, or with one that cannot be used. Their pixels are
// shown exactly as stored.
class ColourProfile
{
public:
    // What the file's pixels are.
    enum class Model
    {
        Grey,
        Rgb,
        Cmyk
    };

    ColourProfile() = default;

    // An ICC profile embedded in a picture whose pixels are of `model`. Null
    // when it is over kMaxColourProfileBytes, damaged, for pixels of another
    // model, of a class that does not describe pictures (device links,
    // abstract and named-colour profiles), when it turns white into
    // something far from white, or when it converts like sRGB itself.
    static ColourProfile fromIcc(const QByteArray& icc, Model model);

    // RGB pixels described by ITU-T H.273 code points (HEIF's nclx box):
    // colour primaries and transfer characteristics (the matrix only matters
    // on the way from YCbCr, which the decoder takes). Null for sRGB's own
    // and for values out of range or not meant for pictures (HDR curves,
    // XYZ).
    static ColourProfile fromNclx(int primaries, int transfer);

    // RGB pixels described by chromaticities and a plain gamma (PNG's cHRM
    // and gAMA): x, y of white, red, green and blue in that order, and the
    // power that turns stored values into light (1 / the gAMA value). Null
    // for values out of range and for sRGB's own, within PNG's rounding.
    static ColourProfile fromChromaticities(const double xy[8], double gamma);

    bool isNull() const { return !m_data; }
    Model model() const;

    // The ICC profile as the file holds it, for embedding beside the file's
    // own pixels; empty unless the profile was made by fromIcc.
    QByteArray icc() const;

    // `image` converted to sRGB. Takes Format_RGB32 and Format_ARGB32
    // (alpha kept) pixels of an RGB profile, Format_Grayscale8 pixels or
    // grey Format_RGB32 pixels of a grey profile; the result is Format_RGB32
    // (or ARGB32). Returned unchanged for a null profile and for pixels that
    // do not fit the profile.
    QImage toSrgb(QImage image) const;

    // Converts the first `rows` rows of `image`, which hold CMYK pixels (C,
    // M, Y, K bytes in memory; inverted, as Adobe's programs store them,
    // when `inverted`), into Format_RGB32 pixels in place. False, with
    // nothing changed, unless the profile is a CMYK one.
    bool cmykToSrgb(QImage& image, int rows, bool inverted) const;

private:
    struct Data;
    explicit ColourProfile(std::shared_ptr<const Data> data) : m_data(std::move(data)) {}
    static ColourProfile adopt(void* profile, Model model, QByteArray icc);

    std::shared_ptr<const Data> m_data;
};

} // namespace jf
