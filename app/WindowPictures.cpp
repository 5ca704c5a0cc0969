#include "WindowPictures.h"

#include "Errors.h"
#include "PreviewGeometry.h"
#include "WindowLook.h"

#include <QFile>
#include <QGuiApplication>

// Outside any namespace, as Q_INIT_RESOURCE requires.
static void initResources()
{
    // The pictures are compiled into static libraries, so they are
    // registered explicitly.
    Q_INIT_RESOURCE(resources);
    Q_INIT_RESOURCE(windowicon);
}

namespace jf {

namespace {

// A JPEG goes through the same decoder as the user's pictures. It is decoded
// now, at `size`, the size it is stored at: showing it then only draws it.
Picture decodedJpeg(const QString& path, const QSize& size)
{
    Picture picture;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        try {
            picture = loadPictureData(file.readAll(), pictureExtension(path));
        } catch (const Error&) {
            picture = Picture::fromImage(QImage(path));
        }
    }
    picture.scaledTo(size);
    return picture;
}

} // namespace

WindowPictures WindowPictures::decode(qreal devicePixelRatio)
{
    initResources();
    const bool doubled = devicePixelRatio > 1;
    const int scale = doubled ? 2 : 1;
    const auto path = [doubled](const char* name, const char* type) {
        return QStringLiteral(":/pictures/%1%2.%3")
            .arg(QLatin1String(name), doubled ? QStringLiteral("@2x") : QString(),
                 QLatin1String(type));
    };
    WindowPictures pictures;
    pictures.background = decodedJpeg(path("background", "jpg"), QSize(701, 500) * scale);
    pictures.panel = decodedJpeg(path("panel", "jpg"), QSize(501, 390) * scale);
    pictures.buttonUp = Picture::fromImage(builtInPng(path("button-up", "png")));
    pictures.buttonDown = Picture::fromImage(builtInPng(path("button-down", "png")));
    // Fitting the placeholder to a cover's proportions then only rescales.
    pictures.placeholder =
        decodedJpeg(path("preview-empty", "jpg"), QSize(previewBoxWidth, previewBoxHeight) * scale);
    for (int size : {16, 32, 48, 64})
        pictures.icon.append(builtInPng(QStringLiteral(":/icons/%1.png").arg(size)));
    return pictures;
}

WindowPictures WindowPictures::decodeForScreens()
{
    return decode(qGuiApp ? qGuiApp->devicePixelRatio() : 1.0);
}

} // namespace jf
