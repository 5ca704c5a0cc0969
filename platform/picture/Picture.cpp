#include "Picture.h"

#include "BitmapDecoder.h"
#include "Errors.h"
#include "HeifDecoder.h"
#include "ImageReaderDecoder.h"
#include "JpegDecoder.h"
#include "Metafile.h"
#include "Orientation.h"
#include "PngDecoder.h"
#include "SafeFileIO.h"
#include "SvgDecoder.h"
#include "TiffDecoder.h"

#include <QPainter>
#include <QtMath>
#include <utility>

#include <algorithm>
#include <cmath>
#include <mutex>
#include <optional>

#include <cerrno>

namespace jf {

// Shared, immutable from the outside. The caches are filled lazily on the UI
// thread behind the const interface of Picture.
class PictureData
{
public:
    explicit PictureData(QSize fullSize) : size(fullSize) {}
    virtual ~PictureData() = default;
    PictureData(const PictureData&) = delete;
    PictureData& operator=(const PictureData&) = delete;

    // An image whose sides are at least those of `pixels`, or the full image
    // when it is smaller. Null when the pixels could not be had at all.
    virtual QImage covering(const QSize& pixels) const = 0;
    virtual void release() const { lastScaled = QImage(); }

    const QSize size;
    mutable QImage lastScaled; // the last result of Picture::scaledTo
};

namespace {

class ImageData final : public PictureData
{
public:
    explicit ImageData(const QImage& picture) : PictureData(picture.size()), image(picture) {}
    QImage covering(const QSize&) const override { return image; }

    const QImage image;
};

// A JPEG file kept compressed. One decoded image is cached, at the DCT scale
// last asked for; asking for another scale replaces it, so a full-size decode
// made for printing does not stay next to the preview's small one. Sizes are
// those shown, after the orientation tag's turn; the cached image is turned
// and in sRGB.
class JpegData final : public PictureData
{
public:
    JpegData(QByteArray bytes, const JpegHeader& header)
        : PictureData(orientedSize(header.size, header.orientation)), file(std::move(bytes)),
          orientation(header.orientation), components(header.components),
          profile(ColourProfile::fromIcc(header.iccProfile, jpegColourModel(header.components)))
    {
    }

    QImage covering(const QSize& pixels) const override
    {
        return atScale(
            jpegScaleEighths(orientedSize(size, orientation), orientedSize(pixels, orientation)));
    }

    void release() const override
    {
        PictureData::release();
        decoded = QImage();
        decodedEighths = 0;
    }

    QImage atScale(int eighths) const
    {
        if (decodedEighths != eighths) {
            decoded = QImage(); // let go of the old one before decoding the next
            // Decoding reads the whole file: a clean read answers the check
            // below, so that printing after the preview need not read it again.
            bool clean = false;
            decoded = decodeJpeg(file, eighths, nullptr, profile, &clean);
            if (clean)
                std::call_once(passCheck, [this] { passes = true; });
            if (orientation != 1 && !decoded.isNull())
                decoded = applyOrientation(decoded, orientation);
            decodedEighths = eighths;
        }
        return decoded;
    }

    // Reads the whole file the first time only; the answer cannot change.
    bool passesThrough() const
    {
        std::call_once(passCheck, [this] { passes = jpegPassesThrough(file); });
        return passes;
    }

    const QByteArray file;
    const int orientation;
    const int components;
    const ColourProfile profile;
    mutable QImage decoded;
    mutable int decodedEighths = 0;
    mutable std::once_flag passCheck;
    mutable bool passes = false;
};

// Plain grey, for pixels that could not be decoded at all.
QImage greyImage(const QSize& size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(0x80, 0x80, 0x80));
    return image;
}

// Whole picture files are read into memory; no valid picture within
// kMaxPicturePixels needs more than this (32-bit bitmaps need 4 bytes a pixel,
// plus their headers). A larger file is refused by its size, unread.
constexpr qint64 kMaxFileBytes = 4 * kMaxPicturePixels + 1024 * 1024;

QByteArray readPictureFile(const QString& path)
{
    QByteArray bytes;
    const int err = readFileBytes(path, bytes, kMaxFileBytes);
    if (err == EFBIG)
        throw PictureError(QStringLiteral("Picture file is too large (over %1 MB)")
                               .arg(kMaxFileBytes / (1024 * 1024)));
    if (err)
        throw FileStreamError(cannotOpenFileMessage(path, err));
    return bytes;
}

enum class Kind
{
    Bitmap,
    Jpeg,
    Icon,
    Wmf,
    Emf,
    Png,
    Webp,
    Tiff,
    Gif,
    Svg,
    Heif
};

} // namespace

Picture Picture::fromImage(const QImage& image)
{
    return Picture(std::make_shared<ImageData>(image));
}

QByteArray Picture::plainJpeg(int* components) const
{
    const auto* jpeg = dynamic_cast<const JpegData*>(m_data.get());
    if (!jpeg || jpeg->orientation != 1 || (jpeg->components != 1 && jpeg->components != 3))
        return QByteArray();
    if (components)
        *components = jpeg->components;
    return jpeg->file;
}

bool Picture::plainJpegPassesThrough() const
{
    const auto* jpeg = dynamic_cast<const JpegData*>(m_data.get());
    return !plainJpeg().isEmpty() && jpeg->passesThrough();
}

QByteArray Picture::embeddedProfile() const
{
    const auto* jpeg = dynamic_cast<const JpegData*>(m_data.get());
    return jpeg ? jpeg->profile.icc() : QByteArray();
}

bool Picture::isNull() const
{
    return !m_data || m_data->size.isEmpty();
}

QSize Picture::size() const
{
    return m_data ? m_data->size : QSize();
}

QImage Picture::scaledTo(const QSize& target) const
{
    if (isNull() || target.isEmpty())
        return QImage();
    if (m_data->lastScaled.size() == target)
        return m_data->lastScaled;
    m_data->lastScaled = QImage();
    const QImage source = m_data->covering(target);
    QImage result;
    if (source.isNull())
        result = greyImage(target);
    else if (source.size() == target)
        result = source;
    else
        result = source.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    m_data->lastScaled = result;
    return result;
}

QImage Picture::fullImage() const
{
    return isNull() ? QImage() : m_data->covering(m_data->size);
}

void Picture::draw(QPainter& painter, const QRectF& target) const
{
    draw(painter, target, QRectF(QPointF(0, 0), QSizeF(size())));
}

void Picture::draw(QPainter& painter, const QRectF& target, const QRectF& source) const
{
    if (isNull() || target.isEmpty() || source.isEmpty())
        return;
    // Device pixels the whole picture would cover at the target's scale.
    const QTransform t = painter.deviceTransform();
    const qreal sx = std::hypot(t.m11(), t.m12()) * target.width() / source.width();
    const qreal sy = std::hypot(t.m21(), t.m22()) * target.height() / source.height();
    const QSize device(std::max(1, qCeil(m_data->size.width() * sx - 1e-6)),
                       std::max(1, qCeil(m_data->size.height() * sy - 1e-6)));
    QImage image;
    if (t.type() <= QTransform::TxScale && device.width() <= m_data->size.width() &&
        device.height() <= m_data->size.height()) {
        // Shrink smoothly to the exact device pixels ourselves: the painter's
        // own smoothing is bilinear and loses detail on strong reductions.
        image = scaledTo(device);
    } else {
        image = m_data->covering(device);
        if (image.isNull())
            image = greyImage(QSize(1, 1));
    }
    const double fx = double(image.width()) / m_data->size.width();
    const double fy = double(image.height()) / m_data->size.height();
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(
        target, image,
        QRectF(source.x() * fx, source.y() * fy, source.width() * fx, source.height() * fy));
    painter.restore();
}

void Picture::releaseCaches() const
{
    if (m_data)
        m_data->release();
}

QString pictureExtension(const QString& path)
{
    const QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot + 1);
}

namespace {

std::optional<Kind> kindOf(const QString& extension)
{
    static const std::pair<const char*, Kind> kinds[] = {
        {"bmp", Kind::Bitmap}, {"jpg", Kind::Jpeg},  {"jpeg", Kind::Jpeg}, {"ico", Kind::Icon},
        {"wmf", Kind::Wmf},    {"emf", Kind::Emf},   {"png", Kind::Png},   {"webp", Kind::Webp},
        {"tif", Kind::Tiff},   {"tiff", Kind::Tiff}, {"gif", Kind::Gif},   {"svg", Kind::Svg},
        {"heic", Kind::Heif},  {"heif", Kind::Heif}, {"jpe", Kind::Jpeg}};
    for (const auto& [name, kind] : kinds) {
        if (extension.compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
            return kind;
    }
    return std::nullopt;
}

Picture decodePicture(QByteArray bytes, Kind kind)
{
    switch (kind) {
    case Kind::Jpeg: {
        const JpegHeader header = readJpegHeader(bytes);
        return Picture(std::make_shared<JpegData>(std::move(bytes), header));
    }
    case Kind::Bitmap:
        return Picture::fromImage(decodeBitmap(bytes));
    case Kind::Icon:
        return Picture::fromImage(decodeIcon(bytes));
    case Kind::Png:
        return Picture::fromImage(decodePng(bytes));
    case Kind::Webp:
        return Picture::fromImage(decodeWithImageReader(bytes, ReaderType::Webp));
    case Kind::Tiff:
        return Picture::fromImage(decodeTiff(bytes));
    case Kind::Gif:
        return Picture::fromImage(decodeWithImageReader(bytes, ReaderType::Gif));
    case Kind::Heif:
        return Picture::fromImage(decodeHeif(bytes));
    case Kind::Svg:
        return Picture::fromImage(decodeSvg(bytes));
    case Kind::Wmf:
    case Kind::Emf:
        break;
    }
    return Picture::fromImage(decodeMetafile(bytes, kind == Kind::Emf));
}

[[noreturn]] void throwUnknownExtension(const QString& extension)
{
    throw PictureError(QStringLiteral("Unknown picture file extension (.%1)").arg(extension));
}

} // namespace

Picture loadPicture(const QString& path)
{
    const QString ext = pictureExtension(path);
    const std::optional<Kind> kind = kindOf(ext);
    if (!kind)
        throwUnknownExtension(ext);
    return decodePicture(readPictureFile(path), *kind);
}

Picture loadPictureData(QByteArray bytes, const QString& extension)
{
    const std::optional<Kind> kind = kindOf(extension);
    if (!kind)
        throwUnknownExtension(extension);
    return decodePicture(std::move(bytes), *kind);
}

} // namespace jf
