#include "HeifDecoder.h"

#include "ColourProfile.h"
#include "Errors.h"
#include "ImageReaderDecoder.h"

#include <memory>
#include <optional>

#include <dlfcn.h>
#include <libheif/heif.h>

namespace jf {

namespace {

// libheif is opened with the first HEIC picture, not with the program:
// loading it, and the video decoders it brings, costs every start a few
// milliseconds that only HEIC pictures need. Once opened it stays.
struct HeifLibrary
{
    decltype(&heif_context_alloc) contextAlloc = nullptr;
    decltype(&heif_context_free) contextFree = nullptr;
    decltype(&heif_context_set_maximum_image_size_limit) setMaximumImageSize = nullptr;
    decltype(&heif_context_read_from_memory_without_copy) readFromMemory = nullptr;
    decltype(&heif_context_get_primary_image_handle) primaryImageHandle = nullptr;
    decltype(&heif_image_handle_release) handleRelease = nullptr;
    decltype(&heif_image_handle_get_ispe_width) codedWidth = nullptr;
    decltype(&heif_image_handle_get_ispe_height) codedHeight = nullptr;
    decltype(&heif_image_handle_has_alpha_channel) hasAlpha = nullptr;
    decltype(&heif_decode_image) decodeImage = nullptr;
    decltype(&heif_image_release) imageRelease = nullptr;
    decltype(&heif_image_get_plane_readonly) planeReadOnly = nullptr;
    decltype(&heif_image_get_width) imageWidth = nullptr;
    decltype(&heif_image_get_height) imageHeight = nullptr;
    decltype(&heif_image_handle_get_raw_color_profile_size) iccSize = nullptr;
    decltype(&heif_image_handle_get_raw_color_profile) icc = nullptr;
    decltype(&heif_image_handle_get_nclx_color_profile) nclx = nullptr;
    decltype(&heif_nclx_color_profile_free) nclxFree = nullptr;
};

std::optional<HeifLibrary> openHeifLibrary()
{
    // The run-time name of the library libheif-dev builds against (Debian's
    // libheif1).
    void* handle = ::dlopen("libheif.so.1", RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        return std::nullopt;
    HeifLibrary library;
    bool complete = true;
    const auto bind = [&](auto& function, const char* name) {
        function =
            reinterpret_cast<std::remove_reference_t<decltype(function)>>(::dlsym(handle, name));
        complete = complete && function;
    };
    bind(library.contextAlloc, "heif_context_alloc");
    bind(library.contextFree, "heif_context_free");
    bind(library.setMaximumImageSize, "heif_context_set_maximum_image_size_limit");
    bind(library.readFromMemory, "heif_context_read_from_memory_without_copy");
    bind(library.primaryImageHandle, "heif_context_get_primary_image_handle");
    bind(library.handleRelease, "heif_image_handle_release");
    bind(library.codedWidth, "heif_image_handle_get_ispe_width");
    bind(library.codedHeight, "heif_image_handle_get_ispe_height");
    bind(library.hasAlpha, "heif_image_handle_has_alpha_channel");
    bind(library.decodeImage, "heif_decode_image");
    bind(library.imageRelease, "heif_image_release");
    bind(library.planeReadOnly, "heif_image_get_plane_readonly");
    bind(library.imageWidth, "heif_image_get_width");
    bind(library.imageHeight, "heif_image_get_height");
    bind(library.iccSize, "heif_image_handle_get_raw_color_profile_size");
    bind(library.icc, "heif_image_handle_get_raw_color_profile");
    bind(library.nclx, "heif_image_handle_get_nclx_color_profile");
    bind(library.nclxFree, "heif_nclx_color_profile_free");
    if (!complete) {
        ::dlclose(handle);
        return std::nullopt;
    }
    return library;
}

const HeifLibrary& heif()
{
    static const std::optional<HeifLibrary> library = openHeifLibrary();
    if (!library)
        throw PictureError(
            QStringLiteral("HEIC pictures cannot be opened here: libheif is not installed"));
    return *library;
}

[[noreturn]] void throwInvalid()
{
    throw PictureError(QStringLiteral("HEIC image is not valid"));
}

struct HeifFree
{
    void operator()(heif_context* p) const { heif().contextFree(p); }
    void operator()(heif_image_handle* p) const { heif().handleRelease(p); }
    void operator()(heif_image* p) const { heif().imageRelease(p); }
};

// The picture's colour description: an ICC profile, else nclx values. When
// the file has both, libheif hands out the profile.
ColourProfile colourProfileOf(const HeifLibrary& lib, const heif_image_handle* handle)
{
    const size_t size = lib.iccSize(handle);
    if (size > 0) {
        if (size > size_t(kMaxColourProfileBytes))
            return ColourProfile();
        QByteArray icc(qsizetype(size), '\0');
        if (lib.icc(handle, icc.data()).code != heif_error_Ok)
            return ColourProfile();
        return ColourProfile::fromIcc(icc, ColourProfile::Model::Rgb);
    }
    // libheif hands out the values it read even when it reports them out of
    // range; they are ours to free either way.
    heif_color_profile_nclx* nclx = nullptr;
    const bool read = lib.nclx(handle, &nclx).code == heif_error_Ok && nclx;
    const ColourProfile profile = read
                                      ? ColourProfile::fromNclx(int(nclx->color_primaries),
                                                                int(nclx->transfer_characteristics))
                                      : ColourProfile();
    lib.nclxFree(nclx);
    return profile;
}

void releaseImage(void* image)
{
    heif().imageRelease(static_cast<heif_image*>(image));
}

} // namespace

QImage decodeHeif(const QByteArray& file)
{
    const HeifLibrary& lib = heif();
    if (file.isEmpty())
        throwInvalid();
    std::unique_ptr<heif_context, HeifFree> context(lib.contextAlloc());
    if (!context)
        throwInvalid();
    // libheif's own limit would refuse forged sizes as damage; we want them
    // refused by ours, as too large.
    lib.setMaximumImageSize(context.get(), 65536);
    if (lib.readFromMemory(context.get(), file.constData(), size_t(file.size()), nullptr).code !=
        heif_error_Ok)
        throwInvalid();
    heif_image_handle* rawHandle = nullptr;
    if (lib.primaryImageHandle(context.get(), &rawHandle).code != heif_error_Ok || !rawHandle)
        throwInvalid();
    const std::unique_ptr<heif_image_handle, HeifFree> handle(rawHandle);
    // The coded size: what decoding allocates before any cropping.
    const int width = lib.codedWidth(handle.get());
    const int height = lib.codedHeight(handle.get());
    if (width <= 0 || height <= 0)
        throwInvalid();
    checkPicturePixels(width, height);
    // From here on libheif may allocate no more than we allow.
    lib.setMaximumImageSize(context.get(), 16001);

    const bool alpha = lib.hasAlpha(handle.get());
    heif_image* rawImage = nullptr;
    if (lib.decodeImage(handle.get(), &rawImage, heif_colorspace_RGB,
                        alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, nullptr)
                .code != heif_error_Ok ||
        !rawImage)
        throwInvalid();
    std::unique_ptr<heif_image, HeifFree> image(rawImage);
    int stride = 0;
    const uint8_t* pixels = lib.planeReadOnly(image.get(), heif_channel_interleaved, &stride);
    const int w = lib.imageWidth(image.get(), heif_channel_interleaved);
    const int h = lib.imageHeight(image.get(), heif_channel_interleaved);
    if (!pixels || w <= 0 || h <= 0 || stride < w * (alpha ? 4 : 3))
        throwInvalid();
    // Wraps libheif's pixels without a copy; the wrapper owns them from here.
    const QImage wrapped(pixels, w, h, stride,
                         alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888, releaseImage,
                         image.release());
    QImage result = onWhitePaper(wrapped);
    if (result.isNull())
        throwInvalid();
    // libheif has turned YCbCr into RGB with the nclx matrix; the primaries
    // and the curve are ours to take care of.
    return colourProfileOf(lib, handle.get()).toSrgb(std::move(result));
}

} // namespace jf
