#include "HeifDecoder.h"

#include "Errors.h"
#include "ImageReaderDecoder.h"

#include <memory>

#include <libheif/heif.h>

namespace jf {

namespace {

[[noreturn]] void throwInvalid()
{
    throw PictureError(QStringLiteral("HEIC image is not valid"));
}

struct HeifFree
{
    void operator()(heif_context* p) const { heif_context_free(p); }
    void operator()(heif_image_handle* p) const { heif_image_handle_release(p); }
    void operator()(heif_image* p) const { heif_image_release(p); }
};

void releaseImage(void* image)
{
    heif_image_release(static_cast<heif_image*>(image));
}

} // namespace

QImage decodeHeif(const QByteArray& file)
{
    if (file.isEmpty())
        throwInvalid();
    std::unique_ptr<heif_context, HeifFree> context(heif_context_alloc());
    if (!context)
        throwInvalid();
    // libheif's own limit would refuse forged sizes as damage; we want them
    // refused by ours, as too large.
    heif_context_set_maximum_image_size_limit(context.get(), 65536);
    if (heif_context_read_from_memory_without_copy(context.get(), file.constData(),
                                                   size_t(file.size()), nullptr)
            .code != heif_error_Ok)
        throwInvalid();
    heif_image_handle* rawHandle = nullptr;
    if (heif_context_get_primary_image_handle(context.get(), &rawHandle).code != heif_error_Ok ||
        !rawHandle)
        throwInvalid();
    const std::unique_ptr<heif_image_handle, HeifFree> handle(rawHandle);
    // The coded size: what decoding allocates before any cropping.
    const int width = heif_image_handle_get_ispe_width(handle.get());
    const int height = heif_image_handle_get_ispe_height(handle.get());
    if (width <= 0 || height <= 0)
        throwInvalid();
    checkPicturePixels(width, height);
    // From here on libheif may allocate no more than we allow.
    heif_context_set_maximum_image_size_limit(context.get(), 16001);

    const bool alpha = heif_image_handle_has_alpha_channel(handle.get());
    heif_image* rawImage = nullptr;
    if (heif_decode_image(handle.get(), &rawImage, heif_colorspace_RGB,
                          alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB,
                          nullptr)
                .code != heif_error_Ok ||
        !rawImage)
        throwInvalid();
    std::unique_ptr<heif_image, HeifFree> image(rawImage);
    int stride = 0;
    const uint8_t* pixels =
        heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
    const int w = heif_image_get_width(image.get(), heif_channel_interleaved);
    const int h = heif_image_get_height(image.get(), heif_channel_interleaved);
    if (!pixels || w <= 0 || h <= 0 || stride < w * (alpha ? 4 : 3))
        throwInvalid();
    // Wraps libheif's pixels without a copy; the wrapper owns them from here.
    const QImage wrapped(pixels, w, h, stride,
                         alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888, releaseImage,
                         image.release());
    QImage result = onWhitePaper(wrapped);
    if (result.isNull())
        throwInvalid();
    return result;
}

} // namespace jf
