// Our own .bmp reader. Qt's reader accepts truncated files without a word
// (the missing rows come out black), drops the low bits of 16-bit pixels
// (white becomes 248, 248, 248) and refuses OS/2 files with short palettes,
// so bitmaps are decoded here. Qt's icon reader takes every bitmap in an icon
// to have the 40-byte header (a version 5 one comes out shifted), so icons'
// bitmaps are decoded here too; their PNG images still go through Qt.
#include "BitmapDecoder.h"

#include "ColourProfile.h"
#include "Errors.h"
#include "JpegDecoder.h"

#include <QBuffer>
#include <QImageReader>
#include <QtEndian>

#include <algorithm>
#include <bit>
#include <cstring>
#include <optional>

namespace jf {

namespace {

enum Compression : quint32
{
    Rgb = 0,
    Rle8 = 1,
    Rle4 = 2,
    Bitfields = 3,
    AlphaBitfields = 6,
};

[[noreturn]] void throwInvalid()
{
    throw PictureError(QStringLiteral("Bitmap image is not valid"));
}

[[noreturn]] void throwTooLarge(qint64 width, qint64 height)
{
    throw PictureError(
        QStringLiteral("Picture is too large (%1 x %2 pixels)").arg(width).arg(height));
}

// Little-endian reads that fail instead of reading past the end.
class Bytes
{
public:
    explicit Bytes(const QByteArray& data)
        : m_p(reinterpret_cast<const uchar*>(data.constData())), m_size(data.size())
    {
    }
    qsizetype size() const { return m_size; }
    const uchar* at(qsizetype offset) const { return m_p + offset; }
    bool has(qint64 offset, qint64 count) const
    {
        return offset >= 0 && count >= 0 && offset <= m_size && count <= m_size - offset;
    }
    quint32 u16(qsizetype offset) const
    {
        if (!has(offset, 2))
            throwInvalid();
        return quint32(m_p[offset]) | quint32(m_p[offset + 1]) << 8;
    }
    quint32 u32(qsizetype offset) const
    {
        if (!has(offset, 4))
            throwInvalid();
        return u16(offset) | u16(offset + 2) << 16;
    }
    qint32 i32(qsizetype offset) const { return qint32(u32(offset)); }

private:
    const uchar* m_p;
    qsizetype m_size;
};

// One colour channel of a bit-field pixel, widened to 8 bits.
struct Channel
{
    quint32 mask = 0;
    int shift = 0;
    quint32 max = 0;

    explicit Channel(quint32 m = 0) : mask(m)
    {
        if (m) {
            shift = std::countr_zero(m);
            max = m >> shift;
        }
    }
    bool valid() const { return mask == 0 || (max & (max + 1)) == 0; } // contiguous bits
    int value(quint32 pixel) const
    {
        if (!max)
            return 0;
        return int((quint64((pixel & mask) >> shift) * 255 + max / 2) / max);
    }
};

struct Header
{
    qint64 width = 0;
    qint64 height = 0; // negative: top-down rows
    int bits = 0;
    quint32 compression = Rgb;
    qint64 pixelOffset = 0;
    qint64 paletteOffset = 0;
    int paletteEntry = 4;
    qint64 colours = 0;
    quint32 masks[4] = {0, 0, 0, 0}; // red, green, blue, alpha
    QByteArray profile;              // an ICC profile the version 5 header embeds
};

// The headers of a .bmp file. An icon's bitmap (`icon`) keeps an alpha
// channel in the top byte of its 32-bit pixels, whatever its compression
// says.
Header readHeader(const Bytes& b, bool icon)
{
    if (!b.has(0, 18) || b.at(0)[0] != 'B' || b.at(0)[1] != 'M')
        throwInvalid();
    Header h;
    h.pixelOffset = b.u32(10);
    const qint64 infoSize = b.u32(14);
    const bool os2v1 = infoSize == 12;
    const bool os2v2 = infoSize == 16 || infoSize == 64;
    if (!os2v1 && !os2v2 && infoSize != 40 && infoSize != 52 && infoSize != 56 && infoSize != 108 &&
        infoSize != 124)
        throwInvalid();
    if (!b.has(14, infoSize))
        throwInvalid();
    quint32 clrUsed = 0;
    if (os2v1) {
        h.width = b.u16(18);
        h.height = b.u16(20);
        h.bits = int(b.u16(24));
        h.paletteEntry = 3;
    } else {
        h.width = b.i32(18);
        h.height = b.i32(22);
        h.bits = int(b.u16(28));
        if (infoSize >= 20)
            h.compression = b.u32(30);
        if (infoSize >= 36)
            clrUsed = b.u32(46);
    }
    h.paletteOffset = 14 + infoSize;
    // Version 5 headers may embed a profile, placed by its offset from the
    // header. One named by a file path ('LINK') is never followed: that is
    // some other machine's file.
    constexpr quint32 kEmbeddedProfile = 0x4d424544; // 'MBED'
    if (infoSize == 124 && b.u32(14 + 56) == kEmbeddedProfile) {
        const qint64 at = 14 + qint64(b.u32(14 + 112));
        const qint64 size = b.u32(14 + 116);
        if (size <= kMaxColourProfileBytes && b.has(at, size))
            h.profile = QByteArray(reinterpret_cast<const char*>(b.at(at)), qsizetype(size));
    }

    if (h.compression == Bitfields || h.compression == AlphaBitfields) {
        if (os2v2) // OS/2's code 3 is Huffman 1D, which nobody supports
            throwInvalid();
        const int count = h.compression == AlphaBitfields ? 4 : 3;
        qint64 at = 54;
        if (infoSize == 40) {
            at = h.paletteOffset;
            h.paletteOffset += 4 * count;
        }
        for (int i = 0; i < count; ++i)
            h.masks[i] = b.u32(at + 4 * i);
        if (infoSize >= 56 && count == 3)
            h.masks[3] = b.u32(66);
    } else if (h.bits == 16) {
        h.masks[0] = 0x7c00;
        h.masks[1] = 0x03e0;
        h.masks[2] = 0x001f;
    } else if (h.bits == 32 || h.bits == 24) {
        h.masks[0] = 0x00ff0000;
        h.masks[1] = 0x0000ff00;
        h.masks[2] = 0x000000ff;
    }
    if (icon && h.bits == 32 && h.compression == Rgb)
        h.masks[3] = 0xff000000;

    const bool combination =
        (h.compression == Rgb && (h.bits == 1 || h.bits == 4 || h.bits == 8 || h.bits == 16 ||
                                  h.bits == 24 || h.bits == 32)) ||
        (h.compression == Rle8 && h.bits == 8) || (h.compression == Rle4 && h.bits == 4) ||
        ((h.compression == Bitfields || h.compression == AlphaBitfields) &&
         (h.bits == 16 || h.bits == 32));
    if (!combination || h.width <= 0 || h.height == 0 || h.height == INT32_MIN)
        throwInvalid();
    for (quint32 mask : h.masks)
        if (!Channel(mask).valid())
            throwInvalid();
    if (h.width * std::abs(h.height) > kMaxPicturePixels)
        throwTooLarge(h.width, std::abs(h.height));

    if (h.bits <= 8) {
        const qint64 max = qint64(1) << h.bits;
        h.colours = clrUsed && clrUsed < max ? clrUsed : max;
        // Some writers store fewer entries than the bit depth allows (OS/2
        // files have no count at all): keep those before the pixels.
        if (h.pixelOffset > h.paletteOffset)
            h.colours = std::min(h.colours, (h.pixelOffset - h.paletteOffset) / h.paletteEntry);
        if (h.colours <= 0 || !b.has(h.paletteOffset, h.colours * h.paletteEntry))
            throwInvalid();
    }
    if (h.pixelOffset < h.paletteOffset + h.colours * h.paletteEntry)
        h.pixelOffset = h.paletteOffset + h.colours * h.paletteEntry;
    return h;
}

QList<QRgb> readPalette(const Bytes& b, const Header& h)
{
    QList<QRgb> palette(qsizetype(1) << std::min(h.bits, 8), qRgb(0, 0, 0));
    for (qint64 i = 0; i < h.colours; ++i) {
        const uchar* p = b.at(h.paletteOffset + i * h.paletteEntry);
        palette[i] = qRgb(p[2], p[1], p[0]);
    }
    return palette;
}

void decodeUncompressed(const Bytes& b, const Header& h, const QList<QRgb>& palette, QImage& image,
                        bool& anyAlpha)
{
    const qint64 rows = std::abs(h.height);
    const qint64 stride = (h.width * h.bits + 31) / 32 * 4;
    const Channel r(h.masks[0]), g(h.masks[1]), bl(h.masks[2]), a(h.masks[3]);
    const int width = int(h.width);
    for (qint64 row = 0; row < rows; ++row) {
        const uchar* in = b.at(h.pixelOffset + row * stride);
        const int y = int(h.height > 0 ? rows - 1 - row : row);
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        switch (h.bits) {
        case 1:
        case 4:
        case 8: {
            const int perByte = 8 / h.bits;
            const int mask = (1 << h.bits) - 1;
            for (int x = 0; x < width; ++x) {
                const int shift = 8 - h.bits * (x % perByte + 1);
                out[x] = palette[(in[x / perByte] >> shift) & mask];
            }
            break;
        }
        case 24:
            for (int x = 0; x < width; ++x, in += 3)
                out[x] = qRgb(in[2], in[1], in[0]);
            break;
        default: // 16 and 32 bits, through the masks
            for (int x = 0; x < width; ++x) {
                quint32 v;
                if (h.bits == 16) {
                    v = quint32(in[0]) | quint32(in[1]) << 8;
                    in += 2;
                } else {
                    v = quint32(in[0]) | quint32(in[1]) << 8 | quint32(in[2]) << 16 |
                        quint32(in[3]) << 24;
                    in += 4;
                }
                const int alpha = a.mask ? a.value(v) : 255;
                anyAlpha = anyAlpha || alpha != 0;
                out[x] = qRgba(r.value(v), g.value(v), bl.value(v), alpha);
            }
        }
    }
}

// RLE4 and RLE8. Pixels that a delta or an early end of line skips take the
// first palette colour. The stream must reach its end-of-bitmap code, or at
// least the end of the last row.
void decodeRle(const Bytes& b, const Header& h, const QList<QRgb>& palette, QImage& image)
{
    const bool four = h.compression == Rle4;
    const qint64 rows = std::abs(h.height);
    const qint64 width = h.width;
    image.fill(palette[0]);
    qint64 pos = h.pixelOffset;
    qint64 x = 0, row = 0;
    auto put = [&](int index) {
        if (x < width && row < rows) {
            const int y = int(h.height > 0 ? rows - 1 - row : row);
            reinterpret_cast<QRgb*>(image.scanLine(y))[x] = palette[index];
        }
        ++x;
    };
    for (;;) {
        if (!b.has(pos, 2)) {
            if (row >= rows || (row == rows - 1 && x >= width))
                return;
            throwInvalid();
        }
        const int count = b.at(pos)[0];
        const int value = b.at(pos)[1];
        pos += 2;
        if (count > 0) {
            for (int i = 0; i < count; ++i)
                put(four ? (i % 2 ? value & 0x0f : value >> 4) : value);
            continue;
        }
        switch (value) {
        case 0: // end of line
            x = 0;
            ++row;
            break;
        case 1: // end of bitmap
            return;
        case 2: // delta
            if (!b.has(pos, 2))
                throwInvalid();
            x += b.at(pos)[0];
            row += b.at(pos)[1];
            pos += 2;
            break;
        default: { // absolute run of `value` pixels, padded to a 16-bit word
            const qint64 bytes = four ? (value + 1) / 2 : value;
            if (!b.has(pos, bytes))
                throwInvalid();
            const uchar* in = b.at(pos);
            for (int i = 0; i < value; ++i)
                put(four ? (i % 2 ? in[i / 2] & 0x0f : in[i / 2] >> 4) : in[i]);
            pos += (bytes + 1) / 2 * 2;
        }
        }
    }
}

bool hasPrefix(const Bytes& b, qint64 offset, const char* prefix, qint64 length)
{
    return b.has(offset, length) && std::memcmp(b.at(offset), prefix, size_t(length)) == 0;
}

// The size an icon image claims, read before Qt allocates anything for it.
std::optional<QSize> iconImageSize(const Bytes& b, qint64 offset)
{
    if (hasPrefix(b, offset, "\x89PNG\r\n\x1a\n", 8)) {
        if (!b.has(offset + 16, 8))
            return std::nullopt;
        const uchar* p = b.at(offset + 16);
        const qint64 w = qint64(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
        const qint64 hgt = qint64(p[4]) << 24 | p[5] << 16 | p[6] << 8 | p[7];
        // Each side may be near 2^32: their product would overflow.
        if (w > kMaxPicturePixels || hgt > kMaxPicturePixels || w * hgt > kMaxPicturePixels)
            throwTooLarge(w, hgt);
        return QSize(int(w), int(hgt));
    }
    if (!b.has(offset, 16))
        return std::nullopt;
    const qint64 w = b.i32(offset + 4);
    const qint64 hgt = b.i32(offset + 8) / 2; // colour and mask bitmaps stacked
    if (w <= 0 || hgt <= 0)
        return std::nullopt;
    if (w * hgt > kMaxPicturePixels)
        throwTooLarge(w, hgt);
    return QSize(int(w), int(hgt));
}

// The pixels the headers `h` describe, in the colour space of the file.
QImage decodePixels(const Bytes& b, const Header& h)
{
    const QList<QRgb> palette = h.bits <= 8 ? readPalette(b, h) : QList<QRgb>();
    const bool rle = h.compression == Rle4 || h.compression == Rle8;
    // A truncated file is refused before its pixel memory is taken.
    if (!rle && !b.has(h.pixelOffset, (h.width * h.bits + 31) / 32 * 4 * std::abs(h.height)))
        throwInvalid();
    const bool alpha = h.masks[3] != 0;
    QImage image(int(h.width), int(std::abs(h.height)),
                 alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (image.isNull())
        throwTooLarge(h.width, std::abs(h.height));
    bool anyAlpha = false;
    if (rle)
        decodeRle(b, h, palette, image);
    else
        decodeUncompressed(b, h, palette, image, anyAlpha);
    // An alpha mask whose values are all zero is a writer's mistake, not an
    // invisible picture.
    if (alpha && !anyAlpha)
        image.reinterpretAsFormat(QImage::Format_RGB32);
    return image;
}

// An icon's bitmap: a .bmp without its file header, twice as high as its
// image, whose colour rows are followed by as many rows of a one-bit mask
// (1: transparent), used where the colours bring no alpha of their own.
QImage decodeIconBitmap(const QByteArray& file, qint64 offset, qint64 bytes)
{
    QByteArray bmp = QByteArray("BM", 2) + QByteArray(12, '\0') + file.mid(offset, bytes);
    const qint64 infoSize = Bytes(bmp).u32(14);
    const bool os2v1 = infoSize == 12;
    const qint64 height = os2v1 ? qint64(Bytes(bmp).u16(20)) : qint64(Bytes(bmp).i32(22));
    if (height / 2 == 0)
        throwInvalid();
    // The pixels follow the header; readHeader moves them past the palette
    // and the bit-field masks.
    qToLittleEndian(quint32(14 + infoSize), bmp.data() + 10);
    if (os2v1)
        qToLittleEndian(quint16(height / 2), bmp.data() + 20);
    else
        qToLittleEndian(qint32(height / 2), bmp.data() + 22);
    const Bytes b(bmp);
    const Header h = readHeader(b, true);
    QImage image = decodePixels(b, h);
    const qint64 rows = image.height();
    const qint64 maskStride = (qint64(image.width()) + 31) / 32 * 4;
    const qint64 mask = h.pixelOffset + (h.width * h.bits + 31) / 32 * 4 * rows;
    const bool compressed = h.compression == Rle4 || h.compression == Rle8;
    if (!image.hasAlphaChannel() && !compressed && b.has(mask, maskStride * rows)) {
        for (qint64 row = 0; row < rows; ++row) {
            const uchar* bits = b.at(mask + row * maskStride);
            const int y = int(h.height > 0 ? rows - 1 - row : row);
            for (int x = 0; x < image.width(); ++x) {
                if (!(bits[x / 8] & (0x80 >> (x % 8))))
                    continue;
                if (!image.hasAlphaChannel())
                    image = std::move(image).convertToFormat(QImage::Format_ARGB32);
                image.setPixel(x, y, qRgba(0, 0, 0, 0));
            }
        }
    }
    return ColourProfile::fromIcc(h.profile, ColourProfile::Model::Rgb).toSrgb(std::move(image));
}

[[noreturn]] void throwInvalidIcon()
{
    throw PictureError(QStringLiteral("Icon image is not valid"));
}

} // namespace

QImage decodeBitmap(const QByteArray& file)
{
    const Bytes b(file);
    const Header h = readHeader(b, false);
    return ColourProfile::fromIcc(h.profile, ColourProfile::Model::Rgb).toSrgb(decodePixels(b, h));
}

QImage decodeIcon(const QByteArray& file)
{
    const Bytes b(file);
    // Directory: reserved 0, type 1, image count, then 16-byte entries. The
    // first image is the one shown.
    try {
        if (b.size() < 22 || b.u16(0) != 0 || b.u16(2) != 1 || b.u16(4) == 0)
            throwInvalidIcon();
        const qint64 bytes = b.u32(6 + 8);
        const qint64 offset = b.u32(6 + 12);
        if (bytes <= 0 || !b.has(offset, bytes) || !iconImageSize(b, offset))
            throwInvalidIcon();
        if (!hasPrefix(b, offset, "\x89PNG\r\n\x1a\n", 8))
            return decodeIconBitmap(file, offset, bytes);
    } catch (const PictureError& e) {
        if (e.message().startsWith(QLatin1String("Picture is too large")))
            throw;
        throwInvalidIcon();
    }

    // Qt's own limit (128 MB by default) would refuse some pictures below
    // ours; raise it to what kMaxPicturePixels allows at 4 bytes a pixel.
    constexpr int limitMb = int(kMaxPicturePixels * 4 / (1024 * 1024) + 1);
    if (QImageReader::allocationLimit() < limitMb)
        QImageReader::setAllocationLimit(limitMb);
    QBuffer buffer;
    buffer.setData(file);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "ico");
    QImage image;
    if (!reader.read(&image) || image.isNull())
        throwInvalidIcon();
    return image;
}

} // namespace jf
