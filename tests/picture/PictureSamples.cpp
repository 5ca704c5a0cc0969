#include "PictureSamples.h"

#include <QBuffer>
#include <QFile>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QtEndian>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>
#include <libexif/exif-data.h>
#include <libheif/heif.h>
#include <tiffio.h>

namespace jf::test {

namespace {

void put16(QByteArray& out, int v)
{
    out.append(char(v & 0xff));
    out.append(char((v >> 8) & 0xff));
}

void put32(QByteArray& out, qint64 v)
{
    for (int i = 0; i < 4; ++i)
        out.append(char((v >> (8 * i)) & 0xff));
}

void set32(QByteArray& out, int at, qint64 v)
{
    for (int i = 0; i < 4; ++i)
        out[at + i] = char((v >> (8 * i)) & 0xff);
}

void padRow(QByteArray& row)
{
    while (row.size() % 4)
        row.append('\0');
}

int bitsFor(BmpKind kind)
{
    switch (kind) {
    case BmpKind::Rgb1:
        return 1;
    case BmpKind::Rgb4:
    case BmpKind::Rle4:
        return 4;
    case BmpKind::Rgb8:
    case BmpKind::Rle8:
    case BmpKind::Os2Rgb8:
        return 8;
    case BmpKind::Rgb16:
    case BmpKind::Bitfields16:
        return 16;
    case BmpKind::Rgb24:
    case BmpKind::Rgb24TopDown:
    case BmpKind::Os2Rgb24:
        return 24;
    case BmpKind::Rgb32:
    case BmpKind::Bitfields32:
    case BmpKind::V5Rgb32:
        return 32;
    }
    return 0;
}

// One row of an uncompressed bitmap.
QByteArray packRow(const Pattern& p, int y, BmpKind kind)
{
    QByteArray row;
    const int bits = bitsFor(kind);
    if (bits <= 8) {
        int acc = 0, used = 0;
        for (int x = 0; x < p.width; ++x) {
            acc = (acc << bits) | p.indices[y * p.width + x];
            used += bits;
            if (used == 8) {
                row.append(char(acc));
                acc = used = 0;
            }
        }
        if (used)
            row.append(char(acc << (8 - used)));
    } else {
        for (int x = 0; x < p.width; ++x) {
            const QRgb c = p.pixel(x, y);
            const int r = qRed(c), g = qGreen(c), b = qBlue(c);
            const auto q = [](int v, int width) { return (v * ((1 << width) - 1) + 127) / 255; };
            switch (kind) {
            case BmpKind::Rgb16:
                put16(row, (q(r, 5) << 10) | (q(g, 5) << 5) | q(b, 5));
                break;
            case BmpKind::Bitfields16:
                put16(row, (q(r, 5) << 11) | (q(g, 6) << 5) | q(b, 5));
                break;
            case BmpKind::Bitfields32:
                row.append(char(r)).append(char(g)).append(char(b)).append('\0');
                break;
            case BmpKind::Rgb32:
            case BmpKind::V5Rgb32:
                row.append(char(b)).append(char(g)).append(char(r)).append(char(0xff));
                break;
            default:
                row.append(char(b)).append(char(g)).append(char(r));
            }
        }
    }
    padRow(row);
    return row;
}

// RLE: runs of equal pixels as (count, value), other stretches of three or
// more pixels in absolute mode.
QByteArray packRle(const Pattern& p, bool four)
{
    QByteArray out;
    for (int y = p.height - 1; y >= 0; --y) {
        const int* row = p.indices.constData() + y * p.width;
        int x = 0;
        while (x < p.width) {
            int run = 1;
            while (x + run < p.width && run < 255 && row[x + run] == row[x])
                ++run;
            if (run >= 2) {
                out.append(char(run)).append(char(four ? (row[x] << 4 | row[x]) : row[x]));
                x += run;
                continue;
            }
            int lit = 1;
            while (x + lit < p.width && lit < 255 &&
                   !(x + lit + 1 < p.width && row[x + lit] == row[x + lit + 1]))
                ++lit;
            if (lit < 3) {
                for (int i = 0; i < lit; ++i)
                    out.append('\1').append(char(four ? row[x + i] << 4 : row[x + i]));
            } else {
                out.append('\0').append(char(lit));
                QByteArray data;
                for (int i = 0; i < lit; ++i) {
                    if (!four)
                        data.append(char(row[x + i]));
                    else if (i % 2 == 0)
                        data.append(char(row[x + i] << 4));
                    else
                        data[data.size() - 1] = char(data.back() | row[x + i]);
                }
                if (data.size() % 2)
                    data.append('\0');
                out.append(data);
            }
            x += lit;
        }
        out.append('\0').append(y == 0 ? '\1' : '\0');
    }
    return out;
}

} // namespace

Pattern makePattern(int width, int height, int colours)
{
    Pattern p;
    p.width = width;
    p.height = height;
    for (int i = 0; i < colours; ++i)
        p.palette.append(qRgb(i * 97 % 256, (i * 53 + 29) % 256, (i * 181 + 7) % 256));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            p.indices.append(x < width / 2 ? y % colours : (x * 3 + y * 5) % colours);
    return p;
}

QByteArray buildBmp(const Pattern& p, BmpKind kind)
{
    const int bits = bitsFor(kind);
    const bool os2 = kind == BmpKind::Os2Rgb8 || kind == BmpKind::Os2Rgb24;
    const bool rle = kind == BmpKind::Rle4 || kind == BmpKind::Rle8;
    const bool masks = kind == BmpKind::Bitfields16 || kind == BmpKind::Bitfields32;
    const int infoSize = os2 ? 12 : kind == BmpKind::V5Rgb32 ? 124 : 40;
    const int colours = bits <= 8 ? int(p.palette.size()) : 0;

    QByteArray info;
    put32(info, infoSize);
    const int height = kind == BmpKind::Rgb24TopDown ? -p.height : p.height;
    if (os2) {
        put16(info, p.width);
        put16(info, p.height);
        put16(info, 1);
        put16(info, bits);
    } else {
        put32(info, p.width);
        put32(info, height);
        put16(info, 1);
        put16(info, bits);
        const int compression = kind == BmpKind::Rle8   ? 1
                                : kind == BmpKind::Rle4 ? 2
                                : masks                 ? 3
                                                        : 0;
        put32(info, compression);
        put32(info, 0); // image size, filled in below
        put32(info, 2835);
        put32(info, 2835);
        put32(info, colours);
        put32(info, 0);
        if (kind == BmpKind::V5Rgb32) {
            put32(info, 0x00ff0000);
            put32(info, 0x0000ff00);
            put32(info, 0x000000ff);
            put32(info, 0xff000000);
            put32(info, 0x73524742); // sRGB
            info.append(QByteArray(124 - info.size(), '\0'));
        } else if (kind == BmpKind::Bitfields16) {
            put32(info, 0xf800);
            put32(info, 0x07e0);
            put32(info, 0x001f);
        } else if (kind == BmpKind::Bitfields32) {
            put32(info, 0x000000ff);
            put32(info, 0x0000ff00);
            put32(info, 0x00ff0000);
        }
    }
    for (int i = 0; i < colours; ++i) {
        const QRgb c = p.palette[i];
        info.append(char(qBlue(c))).append(char(qGreen(c))).append(char(qRed(c)));
        if (!os2)
            info.append('\0');
    }

    QByteArray pixels;
    if (rle) {
        pixels = packRle(p, kind == BmpKind::Rle4);
    } else if (kind == BmpKind::Rgb24TopDown) {
        for (int y = 0; y < p.height; ++y)
            pixels.append(packRow(p, y, kind));
    } else {
        for (int y = p.height - 1; y >= 0; --y)
            pixels.append(packRow(p, y, kind));
    }
    if (!os2)
        set32(info, 20, pixels.size());

    QByteArray file("BM");
    put32(file, 14 + info.size() + pixels.size());
    put32(file, 0);
    put32(file, 14 + info.size());
    return file + info + pixels;
}

QByteArray bmpHeaderOnly(int width, int height, int bitsPerPixel)
{
    QByteArray file("BM");
    put32(file, 54);
    put32(file, 0);
    put32(file, 54);
    put32(file, 40);
    put32(file, width);
    put32(file, height);
    put16(file, 1);
    put16(file, bitsPerPixel);
    for (int i = 0; i < 6; ++i)
        put32(file, 0);
    return file;
}

QByteArray buildIco(const QImage& source)
{
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    const int w = image.width(), h = image.height();
    QByteArray bitmap;
    put32(bitmap, 40);
    put32(bitmap, w);
    put32(bitmap, 2 * h);
    put16(bitmap, 1);
    put16(bitmap, 32);
    for (int i = 0; i < 6; ++i)
        put32(bitmap, 0);
    for (int y = h - 1; y >= 0; --y)
        for (int x = 0; x < w; ++x)
            put32(bitmap, image.pixel(x, y));
    const int maskRow = ((w + 31) / 32) * 4;
    bitmap.append(QByteArray(maskRow * h, '\0'));

    QByteArray file;
    put16(file, 0);
    put16(file, 1);
    put16(file, 1);
    file.append(char(w >= 256 ? 0 : w)).append(char(h >= 256 ? 0 : h)).append('\0').append('\0');
    put16(file, 1);
    put16(file, 32);
    put32(file, bitmap.size());
    put32(file, 22);
    return file + bitmap;
}

QByteArray buildJpeg(const QImage& source, JpegKind kind, int quality)
{
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);

    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    cinfo.image_width = JDIMENSION(image.width());
    cinfo.image_height = JDIMENSION(image.height());
    const bool cmyk = kind == JpegKind::CmykAdobe || kind == JpegKind::CmykPlain;
    if (kind == JpegKind::Grey) {
        cinfo.input_components = 1;
        cinfo.in_color_space = JCS_GRAYSCALE;
    } else if (cmyk) {
        cinfo.input_components = 4;
        cinfo.in_color_space = JCS_CMYK;
    } else {
        cinfo.input_components = 3;
        cinfo.in_color_space = JCS_RGB;
    }
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    if (kind == JpegKind::Progressive || kind == JpegKind::ProgressiveArithmetic)
        jpeg_simple_progression(&cinfo);
    cinfo.arith_code = kind == JpegKind::Arithmetic || kind == JpegKind::ProgressiveArithmetic;
    if (kind == JpegKind::RgbAdobe)
        jpeg_set_colorspace(&cinfo, JCS_RGB);
    if (kind == JpegKind::CmykPlain)
        cinfo.write_Adobe_marker = FALSE;
    jpeg_start_compress(&cinfo, TRUE);

    QByteArray row(image.width() * cinfo.input_components, '\0');
    while (cinfo.next_scanline < cinfo.image_height) {
        const QRgb* in =
            reinterpret_cast<const QRgb*>(image.constScanLine(int(cinfo.next_scanline)));
        auto* out = reinterpret_cast<unsigned char*>(row.data());
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = in[x];
            if (kind == JpegKind::Grey) {
                *out++ = (unsigned char)qGray(c);
            } else if (cmyk) {
                // Simple separation: K from the darkest channel.
                const int k = 255 - std::max({qRed(c), qGreen(c), qBlue(c)});
                const int denom = 255 - k;
                int cyan = 0, magenta = 0, yellow = 0;
                if (denom > 0) {
                    cyan = (255 - qRed(c) - k) * 255 / denom;
                    magenta = (255 - qGreen(c) - k) * 255 / denom;
                    yellow = (255 - qBlue(c) - k) * 255 / denom;
                }
                const bool inverted = kind == JpegKind::CmykAdobe;
                for (int v : {cyan, magenta, yellow, k})
                    *out++ = (unsigned char)(inverted ? 255 - v : v);
            } else {
                *out++ = (unsigned char)qRed(c);
                *out++ = (unsigned char)qGreen(c);
                *out++ = (unsigned char)qBlue(c);
            }
        }
        JSAMPROW rows[1] = {reinterpret_cast<JSAMPROW>(row.data())};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    QByteArray result(reinterpret_cast<const char*>(buffer), qsizetype(size));
    std::free(buffer);
    return result;
}

QByteArray jpegWithClaimedSize(int width, int height, bool progressive)
{
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray file = buildJpeg(image, progressive ? JpegKind::Progressive : JpegKind::Baseline);
    const char marker = progressive ? char(0xc2) : char(0xc0);
    for (qsizetype i = 2; i + 8 < file.size(); ++i) {
        if (file[i] == char(0xff) && file[i + 1] == marker) {
            file[i + 5] = char((height >> 8) & 0xff);
            file[i + 6] = char(height & 0xff);
            file[i + 7] = char((width >> 8) & 0xff);
            file[i + 8] = char(width & 0xff);
            break;
        }
    }
    return file;
}

QByteArray buildWmf(int width, int height)
{
    QByteArray records;
    const auto record = [&](int function, std::initializer_list<int> params) {
        put32(records, 3 + qint64(params.size()));
        put16(records, function);
        for (int p : params)
            put16(records, p);
    };
    record(0x020B, {0, 0});          // SETWINDOWORG y, x
    record(0x020C, {height, width}); // SETWINDOWEXT y, x
    // libwmf crops to what is drawn: paint the white field too.
    record(0x02FA, {5, 0, 0, 0, 0});        // CREATEPENINDIRECT 0: null pen
    record(0x012D, {0});                    // SELECTOBJECT
    record(0x02FC, {0, 0xffff, 0x00ff, 0}); // CREATEBRUSHINDIRECT 1: solid white
    record(0x012D, {1});
    record(0x041B, {height, width, 0, 0}); // RECTANGLE bottom, right, top, left
    record(0x01F0, {1});                   // DELETEOBJECT: slot 1 is free again
    record(0x02FC, {0, 0x00ff, 0, 0});     // CREATEBRUSHINDIRECT 1: solid red
    record(0x012D, {1});
    record(0x041B, {3 * height / 4, 3 * width / 4, height / 4, width / 4});
    record(0x0000, {}); // EOF

    QByteArray header;
    put16(header, 1); // in memory
    put16(header, 9);
    put16(header, 0x0300);
    put32(header, (18 + records.size()) / 2);
    put16(header, 2); // objects
    put32(header, 8); // longest record in words
    put16(header, 0);

    // Placeable header: bounds in logical units, 1440 units an inch.
    QByteArray placeable;
    put32(placeable, 0x9AC6CDD7);
    put16(placeable, 0);
    put16(placeable, 0);
    put16(placeable, 0);
    put16(placeable, width);
    put16(placeable, height);
    put16(placeable, 1440);
    put32(placeable, 0);
    int checksum = 0;
    for (int i = 0; i < 20; i += 2)
        checksum ^= uchar(placeable[i]) | uchar(placeable[i + 1]) << 8;
    put16(placeable, checksum);
    return placeable + header + records;
}

QByteArray buildEmf(int width, int height)
{
    QByteArray records;
    const auto record = [&](int type, std::initializer_list<qint64> params) {
        put32(records, type);
        put32(records, 8 + 4 * qint64(params.size()));
        for (qint64 p : params)
            put32(records, p);
    };
    record(39, {1, 0, 0x000000ff, 0}); // CREATEBRUSHINDIRECT 1: solid red
    record(37, {1});                   // SELECTOBJECT
    record(37, {0x80000008});          // SELECTOBJECT stock NULL_PEN
    record(43, {width / 4, height / 4, 3 * width / 4, 3 * height / 4}); // RECTANGLE
    record(14, {0, 16, 20});                                            // EOF

    QByteArray header;
    put32(header, 1);
    put32(header, 88);
    for (qint64 v : {0, 0, width - 1, height - 1}) // bounds, device units
        put32(header, v);
    for (qint64 v : {0, 0, width * 100 * 254 / 960, height * 100 * 254 / 960}) // frame, 0.01 mm
        put32(header, v);
    put32(header, 0x464D4520); // " EMF"
    put32(header, 0x10000);
    put32(header, 88 + records.size());
    put32(header, 6); // records, header included
    put16(header, 2); // handles
    put16(header, 0);
    put32(header, 0); // description
    put32(header, 0);
    put32(header, 0);                      // palette entries
    for (qint64 v : {1024, 768, 270, 203}) // reference device: pixels, millimetres
        put32(header, v);
    return header + records;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QString sampleFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    const QString path = dir.filePath(name);
    if (!writeFile(path, bytes))
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

int colourDistance(QRgb a, QRgb b)
{
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b))});
}

QString firstPixelApart(const QImage& image, const std::function<QRgb(int, int)>& want,
                        int tolerance)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb expected = want(x, y);
            if (colourDistance(image.pixel(x, y), expected) > tolerance)
                return QStringLiteral("(%1, %2): %3, expected %4")
                    .arg(x)
                    .arg(y)
                    .arg(image.pixel(x, y), 8, 16)
                    .arg(expected, 8, 16);
        }
    return QString();
}

const QRgb kQuadrantColours[4] = {qRgb(220, 30, 40), qRgb(30, 180, 60), qRgb(40, 60, 200),
                                  qRgb(250, 240, 80)};

QImage quadrantImage(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, kQuadrantColours[(y >= height / 2) * 2 + (x >= width / 2)]);
    return image;
}

QByteArray buildWithQt(const QImage& image, const char* format)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(100); // lossless WebP
    if (!writer.write(image))
        qWarning("cannot write %s: %s", format, qPrintable(writer.errorString()));
    return buffer.data();
}

QByteArray exifWithOrientation(int orientation)
{
    ExifData* data = exif_data_new();
    exif_data_set_byte_order(data, EXIF_BYTE_ORDER_INTEL);
    ExifEntry* entry = exif_entry_new();
    exif_content_add_entry(data->ifd[EXIF_IFD_0], entry);
    exif_entry_initialize(entry, EXIF_TAG_ORIENTATION);
    exif_set_short(entry->data, EXIF_BYTE_ORDER_INTEL, ExifShort(orientation));
    exif_entry_unref(entry);
    unsigned char* bytes = nullptr;
    unsigned int size = 0;
    exif_data_save_data(data, &bytes, &size);
    const QByteArray block(reinterpret_cast<const char*>(bytes), qsizetype(size));
    std::free(bytes);
    exif_data_unref(data);
    return block;
}

QByteArray jpegWithOrientation(const QImage& stored, int orientation)
{
    const QByteArray jpeg = buildJpeg(stored, JpegKind::Baseline);
    const QByteArray exif = exifWithOrientation(orientation);
    QByteArray marker("\xff\xe1", 2);
    marker.append(char((exif.size() + 2) >> 8)).append(char((exif.size() + 2) & 0xff));
    return jpeg.left(2) + marker + exif + jpeg.mid(2);
}

namespace {

void appendLe(QByteArray& out, quint32 value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.append(char((value >> (8 * i)) & 0xff));
}

QByteArray riffChunk(const char* fourcc, const QByteArray& payload)
{
    QByteArray chunk(fourcc, 4);
    appendLe(chunk, quint32(payload.size()), 4);
    chunk += payload;
    if (payload.size() % 2)
        chunk.append('\0');
    return chunk;
}

} // namespace

QByteArray webpWithOrientation(const QImage& stored, int orientation, QSize canvas)
{
    if (!canvas.isValid())
        canvas = stored.size();
    const QByteArray simple = buildWithQt(stored, "webp");
    QByteArray header;
    header.append(char(0x08)); // EXIF present
    header.append(QByteArray(3, '\0'));
    appendLe(header, quint32(canvas.width() - 1), 3);
    appendLe(header, quint32(canvas.height() - 1), 3);
    // The EXIF chunk holds the TIFF data without the "Exif\0\0" prefix.
    const QByteArray body = riffChunk("VP8X", header) + simple.mid(12) +
                            riffChunk("EXIF", exifWithOrientation(orientation).mid(6));
    QByteArray file("RIFF");
    appendLe(file, quint32(body.size() + 4), 4);
    return file + "WEBP" + body;
}

namespace {

heif_error appendToArray(heif_context*, const void* data, size_t size, void* userdata)
{
    static_cast<QByteArray*>(userdata)->append(static_cast<const char*>(data), qsizetype(size));
    return heif_error{heif_error_Ok, heif_suberror_Unspecified, "ok"};
}

} // namespace

QByteArray buildHeic(const QImage& picture, int orientation)
{
    heif_context* context = heif_context_alloc();
    heif_encoder* encoder = nullptr;
    if (heif_context_get_encoder_for_format(context, heif_compression_HEVC, &encoder).code !=
        heif_error_Ok) {
        heif_context_free(context);
        return QByteArray();
    }
    heif_encoder_set_lossy_quality(encoder, 95);
    const bool alpha = picture.hasAlphaChannel();
    const QImage source =
        picture.convertToFormat(alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
    heif_image* image = nullptr;
    heif_image_create(source.width(), source.height(), heif_colorspace_RGB,
                      alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, &image);
    heif_image_add_plane(image, heif_channel_interleaved, source.width(), source.height(), 8);
    int stride = 0;
    uint8_t* plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
    const size_t rowBytes = size_t(source.width()) * (alpha ? 4 : 3);
    for (int y = 0; y < source.height(); ++y)
        std::memcpy(plane + qsizetype(y) * stride, source.constScanLine(y), rowBytes);
    heif_encoding_options* options = heif_encoding_options_alloc();
    options->image_orientation = heif_orientation(orientation);
    QByteArray file;
    if (heif_context_encode_image(context, image, encoder, options, nullptr).code ==
        heif_error_Ok) {
        heif_writer writer{1, appendToArray};
        heif_context_write(context, &writer, &file);
    }
    heif_encoding_options_free(options);
    heif_image_release(image);
    heif_encoder_release(encoder);
    heif_context_free(context);
    return file;
}

QImage storedFor(const QImage& shown, int orientation)
{
    const int w = shown.width(), h = shown.height();
    const bool swaps = orientation >= 5;
    QImage stored(swaps ? h : w, swaps ? w : h, QImage::Format_RGB32);
    // Where each shown pixel (x, y) lies in the stored picture: the EXIF
    // table of which side the stored first row and first column show.
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            QPoint s(x, y);
            switch (orientation) {
            case 2:
                s = QPoint(w - 1 - x, y);
                break;
            case 3:
                s = QPoint(w - 1 - x, h - 1 - y);
                break;
            case 4:
                s = QPoint(x, h - 1 - y);
                break;
            case 5:
                s = QPoint(y, x);
                break;
            case 6:
                s = QPoint(y, w - 1 - x);
                break;
            case 7:
                s = QPoint(h - 1 - y, w - 1 - x);
                break;
            case 8:
                s = QPoint(h - 1 - y, x);
                break;
            default:
                break;
            }
            stored.setPixel(s, shown.pixel(x, y));
        }
    }
    return stored;
}

QByteArray buildSvg(int width, int height)
{
    QByteArray svg = QStringLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%1\" "
                                    "height=\"%2\" viewBox=\"0 0 %1 %2\">\n")
                         .arg(width)
                         .arg(height)
                         .toUtf8();
    for (int q = 0; q < 4; ++q)
        svg += QStringLiteral("<rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" fill=\"%5\"/>\n")
                   .arg(q % 2 ? width / 2.0 : 0)
                   .arg(q / 2 ? height / 2.0 : 0)
                   .arg(width / 2.0)
                   .arg(height / 2.0)
                   .arg(QColor(kQuadrantColours[q]).name())
                   .toUtf8();
    return svg + "</svg>\n";
}

QByteArray buildGif(const QImage& image)
{
    // Codes of 8 bits over a 7-bit minimum code size, with a clear code
    // before the table would grow: every code is one byte, no compression.
    QList<QRgb> palette;
    QByteArray codes;
    const int clear = 128, end = 129;
    int sinceClear = 0;
    bool transparent = false;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            int index = 127;
            if (qAlpha(pixel) == 0) {
                transparent = true;
            } else {
                index = int(palette.indexOf(pixel | 0xff000000));
                if (index < 0) {
                    index = int(palette.size());
                    palette.append(pixel | 0xff000000);
                }
            }
            if (sinceClear == 0 || sinceClear == 100) {
                codes.append(char(clear));
                sinceClear = 0;
            }
            codes.append(char(index));
            ++sinceClear;
        }
    }
    codes.append(char(end));
    QByteArray gif("GIF89a");
    appendLe(gif, quint32(image.width()), 2);
    appendLe(gif, quint32(image.height()), 2);
    gif.append(char(0xf6)).append('\0').append('\0');
    for (int i = 0; i < 128; ++i) {
        const QRgb c = i < palette.size() ? palette[i] : qRgb(255, 255, 255);
        gif.append(char(qRed(c))).append(char(qGreen(c))).append(char(qBlue(c)));
    }
    if (transparent)
        gif.append(QByteArray("\x21\xf9\x04\x01\x00\x00\x7f\x00", 8));
    gif.append(char(0x2c));
    appendLe(gif, 0, 4);
    appendLe(gif, quint32(image.width()), 2);
    appendLe(gif, quint32(image.height()), 2);
    gif.append('\0').append(char(7));
    for (qsizetype at = 0; at < codes.size(); at += 255) {
        const QByteArray block = codes.mid(at, 255);
        gif.append(char(block.size())).append(block);
    }
    gif.append('\0').append(char(0x3b));
    return gif;
}

namespace {

// One stored row of one plane (all samples when `plane` < 0), packed.
QByteArray tiffRow(const QImage& samples, const TiffLayout& layout, const QList<QRgb>& palette,
                   int y, int x0, int count, int perPixel, int plane)
{
    const quint64 max = (quint64(1) << layout.bits) - 1;
    QList<quint64> values;
    for (int x = x0; x < x0 + count; ++x) {
        const QRgb p = x < samples.width() ? samples.pixel(x, y) : 0;
        const int stored[4] = {qRed(p), qGreen(p), qBlue(p), qAlpha(p)};
        const bool grey =
            layout.colour == TiffColour::Grey || layout.colour == TiffColour::InvertedGrey;
        for (int s = 0; s < perPixel; ++s) {
            const int sample = plane >= 0 ? plane : s;
            if (layout.colour == TiffColour::Palette && sample == 0) {
                values.append(quint64(std::max<qsizetype>(0, palette.indexOf(p | 0xff000000))));
                continue;
            }
            // Grey and palette keep their alpha as sample 1.
            const int v =
                stored[(grey || layout.colour == TiffColour::Palette) && sample == 1 ? 3 : sample];
            if (layout.floating) {
                const float f = float(v / 255.0);
                quint32 bits;
                std::memcpy(&bits, &f, 4);
                values.append(bits);
            } else {
                values.append((quint64(v) * max + 127) / 255);
            }
        }
    }
    QByteArray row;
    if (layout.bits % 8 == 0) {
        for (const quint64 v : values)
            row.append(reinterpret_cast<const char*>(&v), layout.bits / 8); // machine order
        return row;
    }
    row.fill('\0', (values.size() * layout.bits + 7) / 8);
    qint64 bit = 0;
    for (const quint64 v : values)
        for (int i = layout.bits - 1; i >= 0; --i, ++bit)
            if ((v >> i) & 1)
                row[bit / 8] = char(row[bit / 8] | (0x80 >> (bit % 8)));
    return row;
}

} // namespace

QByteArray buildTiff(const QImage& source, const TiffLayout& layout)
{
    const QImage samples = source.convertToFormat(QImage::Format_ARGB32);
    QTemporaryDir dir;
    const QByteArray path = dir.filePath(QStringLiteral("t.tif")).toLocal8Bit();
    TIFF* tif = TIFFOpen(path.constData(), layout.bigEndian ? "wb" : "wl");
    if (!tif)
        return QByteArray();
    const bool alpha = layout.alpha != TiffAlpha::None;
    int colours = 1, photometric = PHOTOMETRIC_MINISBLACK;
    switch (layout.colour) {
    case TiffColour::Grey:
        break;
    case TiffColour::InvertedGrey:
        photometric = PHOTOMETRIC_MINISWHITE;
        break;
    case TiffColour::Rgb:
        colours = 3;
        photometric = PHOTOMETRIC_RGB;
        break;
    case TiffColour::Palette:
        photometric = PHOTOMETRIC_PALETTE;
        break;
    case TiffColour::Cmyk:
        colours = 4;
        photometric = PHOTOMETRIC_SEPARATED;
        break;
    case TiffColour::YCbCrJpeg:
        colours = 3;
        photometric = PHOTOMETRIC_YCBCR;
        break;
    }
    const int samplesPerPixel = colours + (alpha ? 1 : 0);
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, uint32_t(samples.width()));
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, uint32_t(samples.height()));
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, uint16_t(layout.bits));
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, uint16_t(samplesPerPixel));
    TIFFSetField(tif, TIFFTAG_SAMPLEFORMAT,
                 uint16_t(layout.floating ? SAMPLEFORMAT_IEEEFP : SAMPLEFORMAT_UINT));
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG,
                 uint16_t(layout.planar ? PLANARCONFIG_SEPARATE : PLANARCONFIG_CONTIG));
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, uint16_t(photometric));
    if (alpha) {
        const uint16_t extra =
            layout.alpha == TiffAlpha::Associated ? EXTRASAMPLE_ASSOCALPHA : EXTRASAMPLE_UNASSALPHA;
        TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &extra);
    }
    QList<QRgb> palette;
    if (layout.colour == TiffColour::Palette) {
        for (int y = 0; y < samples.height(); ++y)
            for (int x = 0; x < samples.width(); ++x)
                if (!palette.contains(samples.pixel(x, y) | 0xff000000))
                    palette.append(samples.pixel(x, y) | 0xff000000);
        const size_t entries = size_t(1) << layout.bits;
        std::vector<uint16_t> r(entries), g(entries), b(entries);
        for (qsizetype i = 0; i < palette.size() && size_t(i) < entries; ++i) {
            r[size_t(i)] = uint16_t(qRed(palette[i]) * 257);
            g[size_t(i)] = uint16_t(qGreen(palette[i]) * 257);
            b[size_t(i)] = uint16_t(qBlue(palette[i]) * 257);
        }
        TIFFSetField(tif, TIFFTAG_COLORMAP, r.data(), g.data(), b.data());
    }
    if (layout.colour == TiffColour::YCbCrJpeg) {
        TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_JPEG);
        TIFFSetField(tif, TIFFTAG_JPEGQUALITY, 95);
        TIFFSetField(tif, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
    } else if (layout.lzw) {
        TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
    }
    const int perPixel = layout.planar ? 1 : samplesPerPixel;
    const int planes = layout.planar ? samplesPerPixel : 1;
    bool ok = true;
    if (layout.tile > 0) {
        TIFFSetField(tif, TIFFTAG_TILEWIDTH, uint32_t(layout.tile));
        TIFFSetField(tif, TIFFTAG_TILELENGTH, uint32_t(layout.tile));
        for (int plane = 0; plane < planes; ++plane)
            for (int y0 = 0; y0 < samples.height(); y0 += layout.tile)
                for (int x0 = 0; x0 < samples.width(); x0 += layout.tile) {
                    QByteArray tile;
                    for (int y = y0; y < y0 + layout.tile; ++y)
                        tile += tiffRow(samples, layout, palette, std::min(y, samples.height() - 1),
                                        x0, layout.tile, perPixel, layout.planar ? plane : -1);
                    ok = ok && TIFFWriteTile(tif, tile.data(), uint32_t(x0), uint32_t(y0), 0,
                                             uint16_t(plane)) >= 0;
                }
    } else {
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP,
                     uint32_t(layout.colour == TiffColour::YCbCrJpeg ? 16 : 5));
        for (int plane = 0; plane < planes; ++plane)
            for (int y = 0; y < samples.height(); ++y) {
                QByteArray row = tiffRow(samples, layout, palette, y, 0, samples.width(), perPixel,
                                         layout.planar ? plane : -1);
                ok = ok && TIFFWriteScanline(tif, row.data(), uint32_t(y), uint16_t(plane)) >= 0;
            }
    }
    TIFFClose(tif);
    QFile file(QString::fromLocal8Bit(path));
    return ok && file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

quint32 pngCrc(const QByteArray& bytes)
{
    quint32 crc = 0xffffffff;
    for (const char c : bytes) {
        crc ^= quint8(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xedb88320 & (0 - (crc & 1)));
    }
    return ~crc;
}

namespace {

void appendPngChunk(QByteArray& png, const char* type, const QByteArray& data)
{
    QByteArray chunk(type);
    chunk += data;
    char length[4], crc[4];
    qToBigEndian(quint32(data.size()), length);
    qToBigEndian(pngCrc(chunk), crc);
    png.append(length, 4).append(chunk).append(crc, 4);
}

} // namespace

QByteArray buildPng(const QImage& source, int colourType, int bits, std::optional<QRgb> transparent)
{
    const QImage samples = source.convertToFormat(QImage::Format_ARGB32);
    const quint32 max = (1u << bits) - 1;
    const auto scaled = [max](int v) { return (quint32(v) * max + 127) / 255; };
    QList<QRgb> palette;
    for (int y = 0; y < samples.height() && colourType == 3; ++y)
        for (int x = 0; x < samples.width(); ++x)
            if (!palette.contains(samples.pixel(x, y)))
                palette.append(samples.pixel(x, y));
    QByteArray raw;
    for (int y = 0; y < samples.height(); ++y) {
        QList<quint32> values;
        for (int x = 0; x < samples.width(); ++x) {
            const QRgb p = samples.pixel(x, y);
            switch (colourType) {
            case 3:
                values << quint32(palette.indexOf(p));
                break;
            case 0:
            case 4:
                values << scaled(qRed(p));
                break;
            default:
                values << scaled(qRed(p)) << scaled(qGreen(p)) << scaled(qBlue(p));
            }
            if (colourType == 4 || colourType == 6)
                values << scaled(qAlpha(p));
        }
        QByteArray row(qsizetype((values.size() * bits + 7) / 8), '\0');
        qint64 bit = 0;
        for (const quint32 v : values)
            for (int i = bits - 1; i >= 0; --i, ++bit)
                if ((v >> i) & 1)
                    row[bit / 8] = char(row[bit / 8] | (0x80 >> (bit % 8)));
        raw.append('\0').append(row); // filter: none
    }
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    QByteArray header(13, '\0');
    qToBigEndian(quint32(samples.width()), header.data());
    qToBigEndian(quint32(samples.height()), header.data() + 4);
    header[8] = char(bits);
    header[9] = char(colourType);
    appendPngChunk(png, "IHDR", header);
    QByteArray trns;
    if (colourType == 3) {
        QByteArray plte;
        for (const QRgb c : palette) {
            plte.append(char(qRed(c))).append(char(qGreen(c))).append(char(qBlue(c)));
            trns.append(char(qAlpha(c)));
        }
        appendPngChunk(png, "PLTE", plte);
        if (trns.count(char(0xff)) == trns.size())
            trns.clear();
    } else if (transparent) {
        const int channels = colourType == 0 ? 1 : 3;
        const int parts[3] = {qRed(*transparent), qGreen(*transparent), qBlue(*transparent)};
        for (int i = 0; i < channels; ++i) {
            char value[2];
            qToBigEndian(quint16(scaled(parts[i])), value);
            trns.append(value, 2);
        }
    }
    if (!trns.isEmpty())
        appendPngChunk(png, "tRNS", trns);
    appendPngChunk(png, "IDAT", qCompress(raw).mid(4)); // a zlib stream after Qt's length
    appendPngChunk(png, "IEND", QByteArray());
    return png;
}

} // namespace jf::test
