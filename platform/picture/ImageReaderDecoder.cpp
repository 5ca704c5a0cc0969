#include "ImageReaderDecoder.h"

#include "ColourProfile.h"
#include "Errors.h"
#include "JpegDecoder.h"
#include "Orientation.h"

#include <QBuffer>
#include <QColorSpace>
#include <QImageReader>
#include <QtEndian>

#include <algorithm>

#include <webp/demux.h>

namespace jf {

namespace {

struct TypeInfo
{
    const char* format; // Qt's name for its reader
    const char* name;   // as the user reads it in messages
};

TypeInfo infoOf(ReaderType type)
{
    switch (type) {
    case ReaderType::Webp:
        return {"webp", "WebP"};
    case ReaderType::Gif:
        break;
    }
    return {"gif", "GIF"};
}

// Qt's GIF reader shows a frame cut short as far as it got. A whole file
// ends with the trailer byte (some writers pad after it with zeros).
bool gifHasTrailer(const QByteArray& file)
{
    qsizetype end = file.size();
    while (end > 0 && file[end - 1] == '\0')
        --end;
    return end > 0 && file[end - 1] == ';';
}

// Qt cuts a GIF's first frame to the file's logical screen; viewers show the
// whole frame. The file with its screen grown to hold the first frame (or
// as it is when the frame fits, or the file is too damaged to tell).
QByteArray withScreenHoldingFirstFrame(const QByteArray& file)
{
    const auto u16 = [&file](qsizetype at) {
        return int(uchar(file[at])) | int(uchar(file[at + 1])) << 8;
    };
    if (file.size() < 13)
        return file;
    qsizetype at = 13;
    if (uchar(file[10]) & 0x80) // global colour table
        at += 3 * (qsizetype(2) << (uchar(file[10]) & 7));
    while (at < file.size() && file[at] == '!') { // extensions: skip their blocks
        at += 2;
        while (at < file.size() && file[at] != '\0')
            at += 1 + uchar(file[at]);
        ++at;
    }
    if (at + 9 >= file.size() || file[at] != ',')
        return file;
    const int right = std::min(u16(at + 1) + u16(at + 5), 0xffff);
    const int bottom = std::min(u16(at + 3) + u16(at + 7), 0xffff);
    if (right <= u16(6) && bottom <= u16(8))
        return file;
    QByteArray grown = file;
    qToLittleEndian(quint16(std::max(right, u16(6))), grown.data() + 6);
    qToLittleEndian(quint16(std::max(bottom, u16(8))), grown.data() + 8);
    return grown;
}

// The ICC profile of a WebP file's ICCP chunk, found with libwebp's
// demuxer; empty when there is none.
QByteArray webpIccProfile(const QByteArray& file)
{
    WebPData webp{reinterpret_cast<const uint8_t*>(file.constData()), size_t(file.size())};
    WebPDemuxer* demux = WebPDemux(&webp);
    if (!demux)
        return QByteArray();
    QByteArray profile;
    WebPChunkIterator chunk;
    if ((WebPDemuxGetI(demux, WEBP_FF_FORMAT_FLAGS) & ICCP_FLAG) &&
        WebPDemuxGetChunk(demux, "ICCP", 1, &chunk)) {
        if (chunk.chunk.size <= size_t(kMaxColourProfileBytes))
            profile = QByteArray(reinterpret_cast<const char*>(chunk.chunk.bytes),
                                 qsizetype(chunk.chunk.size));
        WebPDemuxReleaseChunkIterator(&chunk);
    }
    WebPDemuxDelete(demux);
    return profile;
}

bool qtHasReader(const QByteArray& format)
{
    return QImageReader::supportedImageFormats().contains(format);
}

ReaderCheck g_readerCheck = qtHasReader;

} // namespace

void setReaderCheck(ReaderCheck check)
{
    g_readerCheck = check ? check : qtHasReader;
}

void checkPicturePixels(qint64 width, qint64 height)
{
    if (width * height > kMaxPicturePixels)
        throw PictureError(
            QStringLiteral("Picture is too large (%1 x %2 pixels)").arg(width).arg(height));
}

void allowPictureAllocations()
{
    // Up to 8 bytes a pixel: 16-bit PNGs are read as 64-bit pixels.
    constexpr int limitMb = int(kMaxPicturePixels * 8 / (1024 * 1024) + 1);
    if (QImageReader::allocationLimit() < limitMb)
        QImageReader::setAllocationLimit(limitMb);
}

QImage onWhitePaper(QImage image)
{
    // Conversions of an image nobody else holds happen in place where Qt can.
    if (!image.hasAlphaChannel())
        return std::move(image).convertToFormat(QImage::Format_RGB32);
    // Premultiplied pixels stay premultiplied on the way to 8 bits, so colour
    // values above their alpha (damaged files) are never divided by it.
    const bool premultiplied = image.pixelFormat().premultiplied() == QPixelFormat::Premultiplied;
    QImage paper = std::move(image).convertToFormat(
        premultiplied ? QImage::Format_ARGB32_Premultiplied : QImage::Format_ARGB32);
    if (paper.isNull())
        return QImage();
    for (int y = 0; y < paper.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(paper.scanLine(y));
        for (int x = 0; x < paper.width(); ++x) {
            const QRgb p = line[x];
            const uint a = uint(qAlpha(p));
            const uint white = 255 - a;
            // Over white: c * a / 255 + (255 - a), rounded; a premultiplied
            // c already is c * a / 255, and never more than a.
            const auto lay = [&](uint c) {
                return premultiplied ? std::min(c, a) + white : (c * a + 255 * white + 127) / 255;
            };
            line[x] =
                qRgb(int(lay(uint(qRed(p)))), int(lay(uint(qGreen(p)))), int(lay(uint(qBlue(p)))));
        }
    }
    paper.reinterpretAsFormat(QImage::Format_RGB32);
    return paper;
}

QImage decodeWithImageReader(const QByteArray& file, ReaderType type)
{
    const TypeInfo info = infoOf(type);
    const auto invalid = [&info] {
        return PictureError(QStringLiteral("%1 image is not valid").arg(QLatin1String(info.name)));
    };
    if (!g_readerCheck(QByteArray(info.format)))
        throw PictureError(
            QStringLiteral(
                "%1 pictures cannot be opened here: Qt's %1 image plugin is not installed")
                .arg(QLatin1String(info.name)));
    if (file.isEmpty() || (type == ReaderType::Gif && !gifHasTrailer(file)))
        throw invalid();
    QBuffer buffer;
    buffer.setData(type == ReaderType::Gif ? withScreenHoldingFirstFrame(file) : file);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, info.format);
    reader.setAutoDetectImageFormat(false);
    if (!reader.canRead())
        throw invalid();
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty())
        throw invalid();
    checkPicturePixels(size.width(), size.height());

    // Qt's WebP reader ignores the EXIF chunk, which we read ourselves.
    const bool readerTurns = reader.supportsOption(QImageIOHandler::ImageTransformation);
    reader.setAutoTransform(true);
    allowPictureAllocations();
    QImage image;
    if (!reader.read(&image) || image.isNull())
        throw invalid();
    // Qt's WebP reader notes the ICCP chunk's profile with the pixels without
    // converting them; the conversion below is the one that counts.
    image.setColorSpace(QColorSpace());
    if (!readerTurns && type == ReaderType::Webp)
        image = applyOrientation(image, webpOrientation(file));
    image = onWhitePaper(std::move(image));
    if (image.isNull())
        throw invalid();
    if (type == ReaderType::Webp)
        image = ColourProfile::fromIcc(webpIccProfile(file), ColourProfile::Model::Rgb)
                    .toSrgb(std::move(image));
    return image;
}

} // namespace jf
