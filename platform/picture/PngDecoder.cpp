// PNG decoding with libpng, called directly.
//
// libpng reports fatal errors by longjmp out of its error callback. As with
// libjpeg, the jump lands in small "guarded" functions that touch only plain
// C data; whatever owns memory lives in their callers.
#include "PngDecoder.h"

#include "ColourProfile.h"
#include "Errors.h"
#include "ImageReaderDecoder.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include <png.h>

namespace jf {

namespace {

[[noreturn]] void throwInvalid()
{
    throw PictureError(QStringLiteral("PNG image is not valid"));
}

struct PngReader
{
    png_structp png = nullptr;
    png_infop info = nullptr;
    const uchar* data = nullptr;
    size_t size = 0;
    size_t pos = 0;

    ~PngReader() { png_destroy_read_struct(&png, info ? &info : nullptr, nullptr); }
};

void readData(png_structp png, png_bytep out, size_t count)
{
    auto* reader = static_cast<PngReader*>(png_get_io_ptr(png));
    if (count > reader->size - reader->pos)
        png_error(png, "file cut short");
    std::memcpy(out, reader->data + reader->pos, count);
    reader->pos += count;
}

[[noreturn]] void onError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void onWarning(png_structp, png_const_charp) {}

// Reads the header. False on any error.
bool guardedReadInfo(PngReader& r, png_uint_32* width, png_uint_32* height)
{
    if (setjmp(png_jmpbuf(r.png)))
        return false;
    png_set_read_fn(r.png, &r, readData);
    // Sizes are judged by our own limit, so a large one gets its own message.
    png_set_user_limits(r.png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
    png_read_info(r.png, r.info);
    *width = png_get_image_width(r.png, r.info);
    *height = png_get_image_height(r.png, r.info);
    return true;
}

// Sets up 8-bit RGBA (or RGBX when nothing is transparent) output rows.
bool guardedSetUpRows(PngReader& r, png_uint_32 width, bool* alpha)
{
    if (setjmp(png_jmpbuf(r.png)))
        return false;
    const int type = png_get_color_type(r.png, r.info);
    *alpha = (type & PNG_COLOR_MASK_ALPHA) || png_get_valid(r.png, r.info, PNG_INFO_tRNS);
    // Palette to RGB, grey below 8 bits to 8, tRNS to alpha (compared at the
    // file's own depth), then 16 bits rounded to 8.
    png_set_expand(r.png);
    png_set_scale_16(r.png);
    png_set_gray_to_rgb(r.png);
    if (!*alpha)
        png_set_filler(r.png, 0xff, PNG_FILLER_AFTER);
    png_set_interlace_handling(r.png);
    png_read_update_info(r.png, r.info);
    return png_get_rowbytes(r.png, r.info) == size_t(width) * 4;
}

// The colour space the header's chunks describe: an ICC profile (iCCP),
// sRGB itself (sRGB), or a gamma (gAMA) with the chromaticities of cHRM, or
// sRGB's own primaries and white where there is no cHRM (as PNG's third
// edition and web browsers take gAMA alone). A cHRM without gAMA says
// nothing of its own. None of them reports an error.
ColourProfile colourProfileOf(const PngReader& r)
{
    const bool grey = !(png_get_color_type(r.png, r.info) & PNG_COLOR_MASK_COLOR);
    png_charp name = nullptr;
    int compression = 0;
    png_bytep icc = nullptr;
    png_uint_32 length = 0;
    if (png_get_iCCP(r.png, r.info, &name, &compression, &icc, &length) && icc)
        return length > png_uint_32(kMaxColourProfileBytes)
                   ? ColourProfile()
                   : ColourProfile::fromIcc(
                         QByteArray(reinterpret_cast<const char*>(icc), qsizetype(length)),
                         grey ? ColourProfile::Model::Grey : ColourProfile::Model::Rgb);
    double gamma = 0;
    if (png_get_valid(r.png, r.info, PNG_INFO_sRGB) || !png_get_gAMA(r.png, r.info, &gamma) ||
        gamma <= 0)
        return ColourProfile();
    double xy[8] = {0.3127, 0.3290, 0.64, 0.33, 0.30, 0.60, 0.15, 0.06};
    double chrm[8];
    if (png_get_cHRM(r.png, r.info, &chrm[0], &chrm[1], &chrm[2], &chrm[3], &chrm[4], &chrm[5],
                     &chrm[6], &chrm[7]))
        std::copy(chrm, chrm + 8, xy);
    // Grey pixels reach the profile as equal red, green and blue.
    return ColourProfile::fromChromaticities(xy, 1 / gamma);
}

bool guardedReadImage(PngReader& r, png_bytepp rows)
{
    if (setjmp(png_jmpbuf(r.png)))
        return false;
    png_read_image(r.png, rows);
    return true;
}

} // namespace

QImage decodePng(const QByteArray& file)
{
    if (file.size() < 8 || png_sig_cmp(reinterpret_cast<png_const_bytep>(file.constData()), 0, 8))
        throwInvalid();
    PngReader r;
    r.data = reinterpret_cast<const uchar*>(file.constData());
    r.size = size_t(file.size());
    r.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, onError, onWarning);
    if (!r.png)
        throwInvalid();
    r.info = png_create_info_struct(r.png);
    if (!r.info)
        throwInvalid();
    png_uint_32 width = 0, height = 0;
    bool alpha = false;
    if (!guardedReadInfo(r, &width, &height) || width == 0 || height == 0)
        throwInvalid();
    checkPicturePixels(width, height);
    const ColourProfile profile = colourProfileOf(r);
    if (!guardedSetUpRows(r, width, &alpha))
        throwInvalid();
    QImage image(int(width), int(height),
                 alpha ? QImage::Format_RGBA8888 : QImage::Format_RGBX8888);
    if (image.isNull())
        throwInvalid();
    std::vector<png_bytep> rows(height);
    for (png_uint_32 y = 0; y < height; ++y)
        rows[y] = image.scanLine(int(y));
    if (!guardedReadImage(r, rows.data()))
        throwInvalid();
    rows = {};
    image = onWhitePaper(std::move(image));
    if (image.isNull())
        throwInvalid();
    return profile.toSrgb(std::move(image));
}

} // namespace jf
