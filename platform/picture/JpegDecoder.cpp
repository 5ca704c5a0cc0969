// JPEG decoding with libjpeg(-turbo), called directly.
//
// libjpeg reports fatal errors through error_exit, which must not return. We
// leave it with longjmp back into small "guarded" functions that touch only
// plain C data (the decompressor and raw pixel pointers), so no C++ object is
// ever skipped by the jump. Everything that owns memory (QImage, QByteArray)
// lives in the callers, outside the jump's reach.
#include "JpegDecoder.h"

#include "Errors.h"
#include "Orientation.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jerror.h>
#include <jpeglib.h>

namespace jf {

namespace {

struct ErrorManager
{
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    int fatalCode;
    int warnings; // damage libjpeg carried on through
};

[[noreturn]] void onFatalError(j_common_ptr cinfo)
{
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    if (err->fatalCode == 0)
        err->fatalCode = err->pub.msg_code;
    std::longjmp(err->jump, 1);
}

// Warnings (a truncated file, corrupt entropy data) are not reported: libjpeg
// carries on and the damaged part comes out grey. They are counted, as a
// file with damage must not go into a PDF as it is.
void onMessage(j_common_ptr cinfo, int level)
{
    if (level < 0)
        ++reinterpret_cast<ErrorManager*>(cinfo->err)->warnings;
}
void onOutputMessage(j_common_ptr) {}

// A libjpeg decompressor reading a whole file held in memory.
struct Decompressor
{
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    bool created = false;

    Decompressor()
    {
        std::memset(&cinfo, 0, sizeof cinfo);
        std::memset(&err, 0, sizeof err);
        cinfo.err = jpeg_std_error(&err.pub);
        err.pub.error_exit = onFatalError;
        err.pub.emit_message = onMessage;
        err.pub.output_message = onOutputMessage;
    }
    ~Decompressor()
    {
        if (created)
            jpeg_destroy_decompress(&cinfo);
    }
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;
};

// The guarded steps return 0 on success, or libjpeg's code of the fatal error
// that stopped them.

// `keepMarkers`: the EXIF and ICC profile markers are kept for reading.
int guardedReadHeader(Decompressor& d, const QByteArray& file, bool keepMarkers = false)
{
    if (setjmp(d.err.jump))
        return d.err.fatalCode;
    d.created = true;
    jpeg_create_decompress(&d.cinfo);
    d.cinfo.mem->max_memory_to_use = kMaxJpegWorkMemory;
    if (keepMarkers) {
        jpeg_save_markers(&d.cinfo, JPEG_APP0 + 1, 0xffff);
        jpeg_save_markers(&d.cinfo, JPEG_APP0 + 2, 0xffff);
    }
    jpeg_mem_src(&d.cinfo, reinterpret_cast<const unsigned char*>(file.constData()),
                 static_cast<unsigned long>(file.size()));
    jpeg_read_header(&d.cinfo, TRUE);
    return 0;
}

// The ICC profile of the saved APP2 markers, reassembled by libjpeg (which
// checks their numbering) into a buffer of malloc's that the caller frees;
// false when there is none or it is incomplete.
bool guardedReadIccProfile(Decompressor& d, JOCTET** data, unsigned int* length)
{
    if (setjmp(d.err.jump))
        return false;
    return jpeg_read_icc_profile(&d.cinfo, data, length) && *data;
}

int guardedPrepare(Decompressor& d, int eighths, J_COLOR_SPACE outSpace)
{
    if (setjmp(d.err.jump))
        return d.err.fatalCode;
    d.cinfo.scale_num = static_cast<unsigned int>(eighths);
    d.cinfo.scale_denom = 8;
    d.cinfo.out_color_space = outSpace;
    jpeg_calc_output_dimensions(&d.cinfo);
    return 0;
}

int guardedStart(Decompressor& d)
{
    if (setjmp(d.err.jump))
        return d.err.fatalCode;
    jpeg_start_decompress(&d.cinfo);
    return 0;
}

// Decodes rows into `bits` until the end or a fatal error; the rows reached
// are counted in d.cinfo.output_scanline.
int guardedReadRows(Decompressor& d, unsigned char* bits, qsizetype bytesPerLine)
{
    if (setjmp(d.err.jump))
        return d.err.fatalCode;
    while (d.cinfo.output_scanline < d.cinfo.output_height) {
        JSAMPROW row = bits + static_cast<qsizetype>(d.cinfo.output_scanline) * bytesPerLine;
        if (jpeg_read_scanlines(&d.cinfo, &row, 1) != 1)
            break;
    }
    return 0;
}

// Decodes every row into the one row `row` and reads on to the end of the
// file, so that every warning about its data is heard.
int guardedReadAll(Decompressor& d, unsigned char* row)
{
    if (setjmp(d.err.jump))
        return d.err.fatalCode;
    while (d.cinfo.output_scanline < d.cinfo.output_height) {
        JSAMPROW rows[1] = {row};
        if (jpeg_read_scanlines(&d.cinfo, rows, 1) != 1)
            return JERR_INPUT_EOF;
    }
    jpeg_finish_decompress(&d.cinfo);
    return 0;
}

// Whether a header is of a file every PDF reader draws as libjpeg does.
bool headerPassesThrough(const jpeg_decompress_struct& c)
{
    // Arithmetic coding and 12-bit samples are what some readers (Ghostscript,
    // which CUPS runs) draw wrongly or not at all.
    if (c.arith_code || c.data_precision != 8)
        return false;
    if (c.num_components == 3) {
        // Without a marker, readers disagree: libjpeg (and poppler) take ids
        // 'R', 'G', 'B' for RGB, Ghostscript takes every such file for
        // YCbCr, even when told otherwise by a /ColorTransform.
        const bool usualIds = c.comp_info[0].component_id == 1 &&
                              c.comp_info[1].component_id == 2 && c.comp_info[2].component_id == 3;
        if (!c.saw_JFIF_marker && !c.saw_Adobe_marker && !usualIds)
            return false;
        return c.jpeg_color_space == JCS_YCbCr || c.jpeg_color_space == JCS_RGB;
    }
    return c.num_components == 1 && c.jpeg_color_space == JCS_GRAYSCALE;
}

// Reads on to the end of the file after the last row.
int guardedFinish(Decompressor& d)
{
    if (setjmp(d.err.jump))
        return d.err.fatalCode;
    jpeg_finish_decompress(&d.cinfo);
    return 0;
}

[[noreturn]] void throwJpegError(int code)
{
    throw PictureError(QStringLiteral("JPEG error #%1").arg(code));
}

[[noreturn]] void throwTooLarge(const QSize& size)
{
    throw PictureError(QStringLiteral("Picture is too large (%1 x %2 pixels)")
                           .arg(size.width())
                           .arg(size.height()));
}

// The colour space we ask libjpeg for, or JCS_UNKNOWN when we cannot show the
// file's colour space.
J_COLOR_SPACE outputSpaceFor(const jpeg_decompress_struct& cinfo)
{
    switch (cinfo.jpeg_color_space) {
    case JCS_GRAYSCALE:
        return cinfo.num_components == 1 ? JCS_GRAYSCALE : JCS_UNKNOWN;
    case JCS_YCbCr:
    case JCS_RGB:
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
        return cinfo.num_components == 3 ? JCS_EXT_BGRX : JCS_UNKNOWN;
#else
        return cinfo.num_components == 3 ? JCS_EXT_XRGB : JCS_UNKNOWN;
#endif
    case JCS_CMYK:
    case JCS_YCCK:
        return cinfo.num_components == 4 ? JCS_CMYK : JCS_UNKNOWN;
    default:
        return JCS_UNKNOWN;
    }
}

// Bytes of libjpeg's whole-image coefficient buffer, which files with several
// scans (progressive ones above all) need.
qint64 coefficientBufferBytes(const jpeg_decompress_struct& cinfo)
{
    qint64 total = 0;
    for (int i = 0; i < cinfo.num_components; ++i) {
        const jpeg_component_info& c = cinfo.comp_info[i];
        const qint64 h = std::max(c.h_samp_factor, 1);
        const qint64 v = std::max(c.v_samp_factor, 1);
        const qint64 w = (qint64(c.width_in_blocks) + h - 1) / h * h;
        const qint64 rows = (qint64(c.height_in_blocks) + v - 1) / v * v;
        total += w * rows * qint64(sizeof(JBLOCK));
    }
    return total;
}

// CMYK as libjpeg gives it, four bytes a pixel, turned into RGB32 in place.
// Files with an Adobe marker (Photoshop's) store the inks inverted.
void cmykToRgb(QImage& image, int rows, bool inverted)
{
    for (int y = 0; y < rows; ++y) {
        uchar* p = image.scanLine(y);
        auto* out = reinterpret_cast<QRgb*>(p);
        for (int x = 0; x < image.width(); ++x, p += 4) {
            int c = p[0], m = p[1], ye = p[2], k = p[3];
            if (!inverted) {
                c = 255 - c;
                m = 255 - m;
                ye = 255 - ye;
                k = 255 - k;
            }
            out[x] = qRgb(c * k / 255, m * k / 255, ye * k / 255);
        }
    }
}

} // namespace

ColourProfile::Model jpegColourModel(int components)
{
    return components == 1   ? ColourProfile::Model::Grey
           : components == 4 ? ColourProfile::Model::Cmyk
                             : ColourProfile::Model::Rgb;
}

QSize jpegScaledSize(const QSize& full, int eighths)
{
    const qint64 k = std::clamp(eighths, 1, 8);
    return QSize(int((qint64(full.width()) * k + 7) / 8), int((qint64(full.height()) * k + 7) / 8));
}

int jpegScaleEighths(const QSize& full, const QSize& target)
{
    for (int k = 1; k < 8; ++k) {
        const QSize s = jpegScaledSize(full, k);
        if (s.width() >= target.width() && s.height() >= target.height())
            return k;
    }
    return 8;
}

JpegHeader readJpegHeader(const QByteArray& file)
{
    Decompressor d;
    if (const int code = guardedReadHeader(d, file, true))
        throwJpegError(code);

    JpegHeader header;
    header.size = QSize(int(std::min<JDIMENSION>(d.cinfo.image_width, 65535)),
                        int(std::min<JDIMENSION>(d.cinfo.image_height, 65535)));
    header.components = d.cinfo.num_components;
    header.progressive = jpeg_has_multiple_scans(&d.cinfo);
    for (jpeg_saved_marker_ptr m = d.cinfo.marker_list; m; m = m->next) {
        if (m->marker == JPEG_APP0 + 1 && m->data_length > 6 &&
            std::memcmp(m->data, "Exif\0\0", 6) == 0) {
            header.orientation = exifOrientation(QByteArray::fromRawData(
                reinterpret_cast<const char*>(m->data), qsizetype(m->data_length)));
            break;
        }
    }
    JOCTET* icc = nullptr;
    unsigned int iccLength = 0;
    if (guardedReadIccProfile(d, &icc, &iccLength) && iccLength <= unsigned(kMaxColourProfileBytes))
        header.iccProfile = QByteArray(reinterpret_cast<const char*>(icc), qsizetype(iccLength));
    std::free(icc);
    if (qint64(d.cinfo.image_width) * d.cinfo.image_height > kMaxPicturePixels)
        throwTooLarge(header.size);

    const J_COLOR_SPACE outSpace = outputSpaceFor(d.cinfo);
    if (outSpace == JCS_UNKNOWN)
        throwJpegError(JERR_CONVERSION_NOTIMPL);
    if (header.progressive) {
        // Starting would read every scan; judge the memory from the header.
        if (coefficientBufferBytes(d.cinfo) > kMaxJpegWorkMemory)
            throwTooLarge(header.size);
    } else {
        // Cheap for a single scan, and it checks the tables the scan uses.
        if (const int code = guardedPrepare(d, 1, outSpace))
            throwJpegError(code);
        if (const int code = guardedStart(d))
            throwJpegError(code);
    }
    return header;
}

QImage decodeJpeg(const QByteArray& file, int eighths, int* fatalCode, const ColourProfile& profile,
                  bool* passesThrough)
{
    if (fatalCode)
        *fatalCode = 0;
    if (passesThrough)
        *passesThrough = false;
    Decompressor d;
    int code = guardedReadHeader(d, file);
    const bool headerPasses = !code && d.err.warnings == 0 && headerPassesThrough(d.cinfo);
    const J_COLOR_SPACE outSpace = code ? JCS_UNKNOWN : outputSpaceFor(d.cinfo);
    if (!code && outSpace == JCS_UNKNOWN)
        code = JERR_CONVERSION_NOTIMPL;
    if (!code)
        code = guardedPrepare(d, std::clamp(eighths, 1, 8), outSpace);
    if (!code && qint64(d.cinfo.output_width) * d.cinfo.output_height > kMaxPicturePixels)
        code = JERR_OUT_OF_MEMORY;
    if (code) {
        if (fatalCode)
            *fatalCode = code;
        return QImage();
    }

    const QImage::Format format =
        outSpace == JCS_GRAYSCALE ? QImage::Format_Grayscale8 : QImage::Format_RGB32;
    QImage image(int(d.cinfo.output_width), int(d.cinfo.output_height), format);
    if (image.isNull()) {
        if (fatalCode)
            *fatalCode = JERR_OUT_OF_MEMORY;
        return QImage();
    }
    code = guardedStart(d);
    if (!code)
        code = guardedReadRows(d, image.bits(), image.bytesPerLine());
    // Rows never reached are shown grey, as libjpeg shows missing data.
    const int reached = std::min<int>(int(d.cinfo.output_scanline), image.height());
    if (passesThrough && headerPasses && !code && reached == image.height())
        *passesThrough = guardedFinish(d) == 0 && d.err.warnings == 0;
    if (outSpace == JCS_CMYK && !profile.cmykToSrgb(image, reached, d.cinfo.saw_Adobe_marker))
        cmykToRgb(image, reached, d.cinfo.saw_Adobe_marker);
    for (int y = reached; y < image.height(); ++y) {
        if (format == QImage::Format_Grayscale8) {
            std::memset(image.scanLine(y), 0x80, size_t(image.width()));
        } else {
            auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
            std::fill(row, row + image.width(), qRgb(0x80, 0x80, 0x80));
        }
    }
    if (fatalCode)
        *fatalCode = code;
    return outSpace == JCS_CMYK ? image : profile.toSrgb(std::move(image));
}

bool jpegPassesThrough(const QByteArray& file)
{
    Decompressor d;
    if (guardedReadHeader(d, file) != 0 || d.err.warnings != 0 || !headerPassesThrough(d.cinfo))
        return false;
    const jpeg_decompress_struct& c = d.cinfo;
    // Every scan read to the end, at the smallest scale (the entropy-coded
    // data is read whole all the same) and without colour conversion.
    d.cinfo.dct_method = JDCT_IFAST;
    d.cinfo.do_fancy_upsampling = FALSE;
    d.cinfo.do_block_smoothing = FALSE;
    if (guardedPrepare(d, 1, c.jpeg_color_space) != 0)
        return false;
    QByteArray row(qsizetype(c.output_width) * c.out_color_components, Qt::Uninitialized);
    return guardedStart(d) == 0 &&
           guardedReadAll(d, reinterpret_cast<unsigned char*>(row.data())) == 0 &&
           d.err.warnings == 0;
}

} // namespace jf
