// TIFF decoding with libtiff, called directly on the file's bytes in memory.
//
// The first page is read through libtiff's RGBA interface wherever that
// interface handles its layout (it knows every photometric interpretation and
// compression libtiff does, but only 1, 2, 4, 8 and 16-bit integer samples,
// and not every combination of those). Grey, RGB, palette and CMYK pages it
// refuses (10, 12, 14, 24 or 32-bit and floating point samples, 16-bit CMYK
// and palettes, RGB below 8 bits) are read sample by sample here.
#include "TiffDecoder.h"

#include "ColourProfile.h"
#include "Errors.h"
#include "ImageReaderDecoder.h"
#include "JpegDecoder.h"
#include "Orientation.h"

#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <vector>

#include <tiffio.h>

namespace jf {

namespace {

[[noreturn]] void throwInvalid()
{
    throw PictureError(QStringLiteral("TIFF image is not valid"));
}

// No single buffer libtiff takes for a strip or tile may exceed this (the
// largest a picture within kMaxPicturePixels needs as 32-bit pixels).
constexpr tmsize_t kMaxTiffAllocation = tmsize_t(kMaxPicturePixels) * 4;

// The file's bytes as libtiff's client I/O sees them: read-only, "mapped" at
// no cost since they are already in memory.
struct MemoryFile
{
    const char* data;
    toff_t size;
    toff_t pos = 0;
};

MemoryFile& memoryOf(thandle_t handle)
{
    return *static_cast<MemoryFile*>(handle);
}

tmsize_t readProc(thandle_t handle, void* buffer, tmsize_t count)
{
    MemoryFile& f = memoryOf(handle);
    if (count <= 0 || f.pos >= f.size)
        return 0;
    const toff_t n = std::min<toff_t>(toff_t(count), f.size - f.pos);
    std::memcpy(buffer, f.data + f.pos, size_t(n));
    f.pos += n;
    return tmsize_t(n);
}

tmsize_t writeProc(thandle_t, void*, tmsize_t)
{
    return -1;
}

toff_t seekProc(thandle_t handle, toff_t offset, int whence)
{
    MemoryFile& f = memoryOf(handle);
    toff_t base = 0;
    if (whence == SEEK_CUR)
        base = f.pos;
    else if (whence == SEEK_END)
        base = f.size;
    if (offset > toff_t(INT64_MAX) - base)
        return toff_t(-1);
    f.pos = base + offset;
    return f.pos;
}

int closeProc(thandle_t)
{
    return 0;
}

toff_t sizeProc(thandle_t handle)
{
    return memoryOf(handle).size;
}

int mapProc(thandle_t handle, void** base, toff_t* size)
{
    MemoryFile& f = memoryOf(handle);
    *base = const_cast<char*>(f.data);
    *size = f.size;
    return 1;
}

void unmapProc(thandle_t, void*, toff_t) {}

// libtiff's messages are not shown; a failing call is enough to know.
int quiet(TIFF*, void*, const char*, const char*, va_list)
{
    return 1;
}

struct TiffClose
{
    void operator()(TIFF* tif) const { TIFFClose(tif); }
};

std::unique_ptr<TIFF, TiffClose> openTiff(MemoryFile& memory)
{
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (!options)
        throwInvalid();
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, kMaxTiffAllocation);
    TIFFOpenOptionsSetErrorHandlerExtR(options, quiet, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options, quiet, nullptr);
    TIFF* tif = TIFFClientOpenExt("picture.tif", "r", &memory, readProc, writeProc, seekProc,
                                  closeProc, sizeProc, mapProc, unmapProc, options);
    TIFFOpenOptionsFree(options);
    return std::unique_ptr<TIFF, TiffClose>(tif);
}

// The page through libtiff's RGBA interface, rows top first as stored (the
// orientation is applied afterwards). Nothing when the interface does not
// handle this layout.
std::optional<QImage> readRgba(TIFF* tif, quint32 width, quint32 height)
{
    char message[1024];
    if (!TIFFRGBAImageOK(tif, message))
        return std::nullopt;
    TIFFRGBAImage rgba;
    if (!TIFFRGBAImageBegin(&rgba, tif, 1, message))
        return std::nullopt;
    const std::unique_ptr<TIFFRGBAImage, void (*)(TIFFRGBAImage*)> end(&rgba, TIFFRGBAImageEnd);
    // Stored order: claim the rows are stored top first and ask for that.
    rgba.orientation = ORIENTATION_TOPLEFT;
    rgba.req_orientation = ORIENTATION_TOPLEFT;
    // libtiff's pixels are R, G, B, A bytes; alpha comes premultiplied.
    QImage image(int(width), int(height),
                 rgba.alpha ? QImage::Format_RGBA8888_Premultiplied : QImage::Format_RGBX8888);
    if (image.isNull() || image.bytesPerLine() != qsizetype(width) * 4)
        throwInvalid();
    if (!TIFFRGBAImageGet(&rgba, reinterpret_cast<uint32_t*>(image.bits()), width, height))
        throwInvalid();
    return image;
}

// Which colour model the sample-by-sample reader turns into pixels.
enum class Model
{
    Grey,
    InvertedGrey,
    Rgb,
    Palette,
    Cmyk
};

struct Layout
{
    quint32 width = 0;
    quint32 height = 0;
    int bits = 1;
    int samples = 1;
    bool floating = false;
    bool planar = false;
    Model model = Model::Grey;
    int colours = 1;
    int alpha = -1; // the alpha sample's index, -1 when there is none
    bool associated = false;
};

Layout layoutOf(TIFF* tif, quint32 width, quint32 height)
{
    Layout l;
    l.width = width;
    l.height = height;
    uint16_t bits = 1, samples = 1, planar = PLANARCONFIG_CONTIG, format = SAMPLEFORMAT_UINT,
             photometric = 0, inkSet = INKSET_CMYK;
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLEFORMAT, &format);
    TIFFGetFieldDefaulted(tif, TIFFTAG_INKSET, &inkSet);
    if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric))
        throwInvalid();
    l.bits = bits;
    l.samples = samples;
    l.planar = planar == PLANARCONFIG_SEPARATE;
    l.floating = format == SAMPLEFORMAT_IEEEFP;
    switch (photometric) {
    case PHOTOMETRIC_MINISBLACK:
        l.model = Model::Grey;
        break;
    case PHOTOMETRIC_MINISWHITE:
        l.model = Model::InvertedGrey;
        break;
    case PHOTOMETRIC_RGB:
        l.model = Model::Rgb;
        l.colours = 3;
        break;
    case PHOTOMETRIC_PALETTE:
        l.model = Model::Palette;
        break;
    case PHOTOMETRIC_SEPARATED:
        if (inkSet != INKSET_CMYK)
            throwInvalid();
        l.model = Model::Cmyk;
        l.colours = 4;
        break;
    default:
        throwInvalid();
    }
    if (l.samples < l.colours)
        throwInvalid();
    if (l.floating ? (bits != 32 && bits != 64)
                   : (format != SAMPLEFORMAT_UINT || bits < 1 || bits > 32))
        throwInvalid();
    if (l.model == Model::Palette && (l.floating || bits > 16))
        throwInvalid();
    uint16_t extraCount = 0;
    uint16_t* extras = nullptr;
    if (l.model != Model::Cmyk && l.samples > l.colours &&
        TIFFGetField(tif, TIFFTAG_EXTRASAMPLES, &extraCount, &extras) && extraCount > 0 &&
        (extras[0] == EXTRASAMPLE_ASSOCALPHA || extras[0] == EXTRASAMPLE_UNASSALPHA)) {
        l.alpha = l.colours;
        l.associated = extras[0] == EXTRASAMPLE_ASSOCALPHA;
    }
    return l;
}

// Reads sample number `k` of a row of packed samples: multiples of 8 bits
// come in the machine's byte order (libtiff swaps them), other sizes are
// packed from the most significant bit down.
struct SampleRow
{
    const uchar* row;
    int bits;

    quint64 raw(quint64 k) const
    {
        switch (bits) {
        case 8:
            return row[k];
        case 16: {
            quint16 v;
            std::memcpy(&v, row + 2 * k, 2);
            return v;
        }
        case 32: {
            quint32 v;
            std::memcpy(&v, row + 4 * k, 4);
            return v;
        }
        case 64: {
            quint64 v;
            std::memcpy(&v, row + 8 * k, 8);
            return v;
        }
        default:
            break;
        }
        if (bits == 24) {
            const uchar* p = row + 3 * k;
            return Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? (p[0] | p[1] << 8 | quint32(p[2]) << 16)
                                                   : (quint32(p[0]) << 16 | p[1] << 8 | p[2]);
        }
        quint64 bit = k * quint64(bits);
        quint64 v = 0;
        for (int i = 0; i < bits; ++i, ++bit)
            v = (v << 1) | ((row[bit >> 3] >> (7 - (bit & 7))) & 1);
        return v;
    }
};

class SampleReader
{
public:
    // `profile`: CMYK pages go through it when it is a CMYK profile.
    SampleReader(TIFF* tif, const Layout& layout, const ColourProfile& profile)
        : m_tif(tif), m_l(layout), m_profile(profile)
    {
        if (!m_l.floating)
            m_max = (quint64(1) << m_l.bits) - 1;
        if (m_l.model == Model::Palette)
            readPalette();
    }

    QImage read()
    {
        QImage image(int(m_l.width), int(m_l.height),
                     m_l.alpha < 0    ? QImage::Format_RGB32
                     : m_l.associated ? QImage::Format_ARGB32_Premultiplied
                                      : QImage::Format_ARGB32);
        if (image.isNull())
            throwInvalid();
        image.fill(0xff000000u);
        const bool tiled = TIFFIsTiled(m_tif);
        quint32 blockWidth = m_l.width, blockHeight = m_l.height;
        if (tiled) {
            if (!TIFFGetField(m_tif, TIFFTAG_TILEWIDTH, &blockWidth) ||
                !TIFFGetField(m_tif, TIFFTAG_TILELENGTH, &blockHeight))
                throwInvalid();
        } else {
            TIFFGetFieldDefaulted(m_tif, TIFFTAG_ROWSPERSTRIP, &blockHeight);
            blockHeight = std::min(blockHeight, m_l.height);
        }
        if (blockWidth == 0 || blockHeight == 0)
            throwInvalid();
        const int perPlane = m_l.planar ? 1 : m_l.samples;
        const quint64 rowBytes = (quint64(blockWidth) * perPlane * m_l.bits + 7) / 8;
        const tmsize_t blockBytes = tiled ? TIFFTileSize(m_tif) : TIFFStripSize(m_tif);
        if (blockBytes <= 0 || quint64(blockBytes) < rowBytes * blockHeight ||
            blockBytes > kMaxTiffAllocation)
            throwInvalid();
        std::vector<uchar> buffer;
        try {
            buffer.resize(size_t(blockBytes));
        } catch (const std::bad_alloc&) {
            throwInvalid();
        }
        // Planes past the colours and alpha hold nothing shown.
        const int used = std::max(m_l.colours, m_l.alpha + 1);
        const int planes = m_l.planar ? std::min(m_l.samples, used) : 1;
        for (int plane = 0; plane < planes; ++plane) {
            for (quint32 y0 = 0; y0 < m_l.height; y0 += blockHeight) {
                for (quint32 x0 = 0; x0 < m_l.width; x0 += blockWidth) {
                    const tmsize_t got =
                        tiled ? TIFFReadEncodedTile(
                                    m_tif, TIFFComputeTile(m_tif, x0, y0, 0, uint16_t(plane)),
                                    buffer.data(), blockBytes)
                              : TIFFReadEncodedStrip(m_tif,
                                                     TIFFComputeStrip(m_tif, y0, uint16_t(plane)),
                                                     buffer.data(), blockBytes);
                    const quint32 rows = std::min(blockHeight, m_l.height - y0);
                    if (got < 0 ||
                        quint64(got) <
                            rowBytes * (rows - 1) + (quint64(std::min(blockWidth, m_l.width - x0)) *
                                                         perPlane * m_l.bits +
                                                     7) /
                                                        8)
                        throwInvalid();
                    for (quint32 r = 0; r < rows; ++r)
                        putRow(image, SampleRow{buffer.data() + r * rowBytes, m_l.bits}, x0, y0 + r,
                               std::min(blockWidth, m_l.width - x0), m_l.planar ? plane : -1);
                }
            }
        }
        if (m_l.model == Model::Cmyk && !inksThroughProfile(image))
            cmykToRgb(image);
        return image;
    }

private:
    void readPalette()
    {
        uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
        if (!TIFFGetField(m_tif, TIFFTAG_COLORMAP, &red, &green, &blue))
            throwInvalid();
        const size_t entries = size_t(1) << m_l.bits;
        // Some writers store 8-bit values in the 16-bit map, as libtiff
        // itself recognises.
        bool eightBit = true;
        for (size_t i = 0; i < entries && eightBit; ++i)
            eightBit = red[i] < 256 && green[i] < 256 && blue[i] < 256;
        const auto to8 = [eightBit](uint16_t v) {
            return eightBit ? v : (v * 255u + 32767) / 65535;
        };
        m_palette.resize(entries);
        for (size_t i = 0; i < entries; ++i)
            m_palette[i] = qRgb(int(to8(red[i])), int(to8(green[i])), int(to8(blue[i])));
    }

    uint to8(const SampleRow& row, quint64 k) const
    {
        const quint64 raw = row.raw(k);
        if (m_l.floating) {
            double v;
            if (m_l.bits == 32) {
                float f;
                const quint32 r32 = quint32(raw);
                std::memcpy(&f, &r32, 4);
                v = f;
            } else {
                std::memcpy(&v, &raw, 8);
            }
            return std::isnan(v) ? 0 : uint(std::lround(std::clamp(v, 0.0, 1.0) * 255));
        }
        return uint((raw * 255 + m_max / 2) / m_max);
    }

    // Puts the samples of one stored row (one plane's when `plane` >= 0)
    // into `count` pixels from (x0, y).
    void putRow(QImage& image, const SampleRow& row, quint32 x0, quint32 y, quint32 count,
                int plane) const
    {
        auto* out = reinterpret_cast<quint32*>(image.scanLine(int(y))) + x0;
        const int perPlane = plane >= 0 ? 1 : m_l.samples;
        // Samples past the colours and alpha hold nothing shown.
        const int used = plane >= 0 ? 1 : std::max(m_l.colours, m_l.alpha + 1);
        for (quint32 x = 0; x < count; ++x) {
            quint32& pixel = out[x];
            for (int s = 0; s < used; ++s) {
                const int sample = plane >= 0 ? plane : s;
                const quint64 k = quint64(x) * perPlane + s;
                if (sample == m_l.alpha) {
                    pixel = (pixel & 0x00ffffffu) | to8(row, k) << 24;
                } else if (sample < m_l.colours) {
                    pixel = putColour(pixel, sample, row, k);
                }
            }
        }
    }

    quint32 putColour(quint32 pixel, int sample, const SampleRow& row, quint64 k) const
    {
        const quint32 alpha = pixel & 0xff000000u;
        switch (m_l.model) {
        case Model::Palette:
            return alpha | (m_palette[size_t(row.raw(k))] & 0xffffffu);
        case Model::Grey:
        case Model::InvertedGrey: {
            uint v = to8(row, k);
            if (m_l.model == Model::InvertedGrey)
                v = 255 - v;
            return alpha | v << 16 | v << 8 | v;
        }
        case Model::Rgb: {
            const int shift = 16 - 8 * sample;
            return (pixel & ~(0xffu << shift)) | to8(row, k) << shift;
        }
        case Model::Cmyk: {
            // C, M, Y in the places of R, G, B and K in the alpha byte until
            // cmykToRgb.
            const int shift = sample == 3 ? 24 : 16 - 8 * sample;
            return (pixel & ~(0xffu << shift)) | to8(row, k) << shift;
        }
        }
        return pixel;
    }

    // The inks (C, M, Y in red, green, blue, K in alpha) laid out as C, M,
    // Y, K bytes and turned into RGB by the CMYK profile.
    bool inksThroughProfile(QImage& image) const
    {
        if (m_profile.model() != ColourProfile::Model::Cmyk)
            return false;
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<quint32*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                const quint32 p = line[x];
                line[x] = qToBigEndian((p >> 16 & 0xff) << 24 | (p >> 8 & 0xff) << 16 |
                                       (p & 0xff) << 8 | p >> 24);
            }
        }
        return m_profile.cmykToSrgb(image, image.height(), false);
    }

    // As libtiff's RGBA interface turns 8-bit CMYK into RGB.
    static void cmykToRgb(QImage& image)
    {
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<quint32*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                const quint32 p = line[x];
                const uint k = 255 - (p >> 24);
                const auto ink = [k](uint c) { return k * (255 - c) / 255; };
                line[x] =
                    qRgb(int(ink((p >> 16) & 0xff)), int(ink((p >> 8) & 0xff)), int(ink(p & 0xff)));
            }
        }
    }

    TIFF* m_tif;
    const Layout m_l;
    const ColourProfile m_profile;
    quint64 m_max = 1;
    std::vector<QRgb> m_palette;
};

// The page's ICC profile tag, for the pixels its photometric
// interpretation gives (grey, RGB or a palette of RGB, CMYK inks).
ColourProfile colourProfileOf(TIFF* tif)
{
    uint32_t count = 0;
    const void* data = nullptr;
    uint16_t photometric = 0, inkSet = INKSET_CMYK;
    if (!TIFFGetField(tif, TIFFTAG_ICCPROFILE, &count, &data) || !data ||
        count > uint32_t(kMaxColourProfileBytes) ||
        !TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric))
        return ColourProfile();
    TIFFGetFieldDefaulted(tif, TIFFTAG_INKSET, &inkSet);
    ColourProfile::Model model = ColourProfile::Model::Rgb;
    switch (photometric) {
    case PHOTOMETRIC_MINISBLACK:
        model = ColourProfile::Model::Grey;
        break;
    case PHOTOMETRIC_RGB:
    case PHOTOMETRIC_YCBCR:
    case PHOTOMETRIC_PALETTE:
        break;
    case PHOTOMETRIC_SEPARATED:
        if (inkSet != INKSET_CMYK)
            return ColourProfile();
        model = ColourProfile::Model::Cmyk;
        break;
    default:
        return ColourProfile();
    }
    return ColourProfile::fromIcc(QByteArray(static_cast<const char*>(data), qsizetype(count)),
                                  model);
}

} // namespace

QImage decodeTiff(const QByteArray& file)
{
    if (file.isEmpty())
        throwInvalid();
    MemoryFile memory{file.constData(), toff_t(file.size())};
    const std::unique_ptr<TIFF, TiffClose> tif = openTiff(memory);
    if (!tif)
        throwInvalid();
    quint32 width = 0, height = 0;
    if (!TIFFGetField(tif.get(), TIFFTAG_IMAGEWIDTH, &width) ||
        !TIFFGetField(tif.get(), TIFFTAG_IMAGELENGTH, &height) || width == 0 || height == 0)
        throwInvalid();
    checkPicturePixels(width, height);
    uint16_t orientation = ORIENTATION_TOPLEFT;
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_ORIENTATION, &orientation);

    // CMYK pages with a profile of their own are read sample by sample, so
    // their inks reach the profile as stored.
    const ColourProfile profile = colourProfileOf(tif.get());
    std::optional<QImage> stored;
    if (profile.model() != ColourProfile::Model::Cmyk)
        stored = readRgba(tif.get(), width, height);
    if (!stored)
        stored = SampleReader(tif.get(), layoutOf(tif.get(), width, height), profile).read();
    QImage image = onWhitePaper(std::move(*stored));
    stored.reset();
    if (image.isNull())
        throwInvalid();
    image = profile.toSrgb(std::move(image));
    if (orientation >= 2 && orientation <= 8)
        image = applyOrientation(image, orientation);
    return image;
}

} // namespace jf
