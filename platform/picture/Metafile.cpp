// Windows metafiles: libwmf (WMF) and libemf2svg (EMF) turn them into SVG,
// which Qt SVG draws into an image.
//
// Both converters are old C code that has crashed and looped on damaged
// files, so each conversion runs in a forked child process under CPU and
// memory limits and hands its SVG back through a pipe. A child that crashes,
// hangs or fails just means "Metafile is not valid" here.
#include "Metafile.h"

#include "Errors.h"

#include <QElapsedTimer>
#include <QPainter>
#include <QSvgRenderer>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <emf2svg.h>
#include <libwmf/api.h>
#include <libwmf/svg.h>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define JF_CLANG_ADDRESS_SANITIZER 1
#endif
#endif
#ifndef JF_CLANG_ADDRESS_SANITIZER
#define JF_CLANG_ADDRESS_SANITIZER 0
#endif

namespace jf {

namespace {

// Metafiles have no pixel size of their own worth trusting: they are drawn
// with this many pixels along their longer side (about 225 dpi across a DVD
// cover's 270 mm).
constexpr int kLongSide = 2400;
constexpr qsizetype kMaxSvgBytes = 256 * 1024 * 1024;
constexpr int kTimeLimitSeconds = 20;

[[noreturn]] void throwInvalid()
{
    throw PictureError(QStringLiteral("Metafile is not valid"));
}

bool writeAll(int fd, const char* data, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= size_t(n);
    }
    return true;
}

// The converters, run in the child only.

bool wmfToSvg(const QByteArray& file, int out)
{
    wmfAPI_Options options;
    std::memset(&options, 0, sizeof options);
    options.function = wmf_svg_function;
    wmfAPI* api = nullptr;
    if (wmf_api_create(
            &api, WMF_OPT_FUNCTION | WMF_OPT_IGNORE_NONFATAL | WMF_OPT_NO_ERROR | WMF_OPT_NO_DEBUG,
            &options) != wmf_E_None)
        return false;
    bool ok = false;
    std::string svg;
    QByteArray bytes = file; // libwmf wants a writable buffer
    wmfD_Rect bbox;
    if (wmf_mem_open(api, reinterpret_cast<unsigned char*>(bytes.data()), long(bytes.size())) ==
            wmf_E_None &&
        wmf_scan(api, 0, &bbox) == wmf_E_None) {
        wmf_svg_t* device = WMF_SVG_GetData(api);
        device->out = wmf_stream_create(api, nullptr);
        device->Description = const_cast<char*>("");
        device->bbox = bbox;
        unsigned int width = 0, height = 0;
        wmf_display_size(api, &width, &height, 72, 72);
        device->width = width;
        device->height = height;
        if (device->out && width > 0 && height > 0 && wmf_play(api, 0, &bbox) == wmf_E_None) {
            char* data = nullptr;
            unsigned long size = 0;
            wmf_stream_destroy(api, device->out, &data, &size);
            device->out = nullptr;
            ok = data && size > 0 && writeAll(out, data, size);
        }
    }
    wmf_api_destroy(api);
    return ok;
}

bool emfToSvg(const QByteArray& file, int out)
{
    generatorOptions options;
    std::memset(&options, 0, sizeof options);
    options.nameSpace = const_cast<char*>("svg");
    options.svgDelimiter = true;
    options.emfplus = true;
    QByteArray bytes = file;
    char* svg = nullptr;
    size_t size = 0;
    const int done = emf2svg(bytes.data(), size_t(bytes.size()), &svg, &size, &options);
    const bool ok = done == 1 && svg && size > 0 && writeAll(out, svg, size);
    std::free(svg);
    return ok;
}

void limitChild()
{
    const rlimit cpu{kTimeLimitSeconds, kTimeLimitSeconds};
    ::setrlimit(RLIMIT_CPU, &cpu);
#if !defined(__SANITIZE_ADDRESS__) && !JF_CLANG_ADDRESS_SANITIZER
    // The sanitizers reserve terabytes of address space; limit only real
    // builds (gcc tells of the address sanitizer by a macro, clang by a
    // feature test).
    const rlimit memory{rlim_t(2048) * 1024 * 1024, rlim_t(2048) * 1024 * 1024};
    ::setrlimit(RLIMIT_AS, &memory);
#endif
}

// The SVG text the converter child produced, or empty when it failed.
QByteArray convertInChild(const QByteArray& file, bool enhanced)
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return QByteArray();
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        return QByteArray();
    }
    if (pid == 0) {
        ::close(fds[0]);
        limitChild();
        const bool ok = enhanced ? emfToSvg(file, fds[1]) : wmfToSvg(file, fds[1]);
        ::_exit(ok ? 0 : 1);
    }
    ::close(fds[1]);

    QByteArray svg;
    bool failed = false;
    QElapsedTimer clock;
    clock.start();
    char buffer[65536];
    for (;;) {
        const qint64 left = qint64(kTimeLimitSeconds) * 1000 - clock.elapsed();
        pollfd p{fds[0], POLLIN, 0};
        const int ready = left > 0 ? ::poll(&p, 1, int(left)) : 0;
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0) {
            failed = true;
            break;
        }
        const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        if (svg.size() + n > kMaxSvgBytes) {
            failed = true;
            break;
        }
        svg.append(buffer, n);
    }
    ::close(fds[0]);
    if (failed)
        ::kill(pid, SIGKILL);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (failed || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return QByteArray();
    return svg;
}

} // namespace

QImage renderSvg(const QByteArray& svg)
{
    QSvgRenderer renderer(svg);
    QSizeF size = renderer.viewBoxF().size();
    if (!renderer.isValid() || !(size.width() > 0 && size.height() > 0) ||
        !std::isfinite(size.width()) || !std::isfinite(size.height()))
        return QImage();
    const qreal scale = kLongSide / std::max(size.width(), size.height());
    const QSize pixels(std::max(1, qRound(size.width() * scale)),
                       std::max(1, qRound(size.height() * scale)));
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return QImage();
    image.fill(Qt::white); // paper
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(pixels)));
    painter.end();
    return image.convertToFormat(QImage::Format_RGB32);
}

QImage decodeMetafile(const QByteArray& file, bool enhanced)
{
    if (file.isEmpty())
        throwInvalid();
    const QByteArray svg = convertInChild(file, enhanced);
    if (svg.isEmpty())
        throwInvalid();
    const QImage image = renderSvg(svg);
    if (image.isNull())
        throwInvalid();
    return image;
}

} // namespace jf
