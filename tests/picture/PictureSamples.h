#pragma once

// The sample pictures in tests/picture/samples (its README says how each
// was made), and the pixel comparisons the picture tests share.
#include "ExpectFailure.h"
#include "Picture.h"

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QString>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdlib>
#include <functional>

namespace jf::test {

inline QString samplePath(const QString& name)
{
    return qEnvironmentVariable("JF_SOURCE_DIR") + QLatin1String("/tests/picture/samples/") + name;
}

// The bytes of the sample `name`; stops the test when it cannot be read.
inline QByteArray sample(const QString& name)
{
    QFile file(samplePath(name));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read the sample %s", qPrintable(file.fileName()));
    return file.readAll();
}

// The pixels of the lossless sample `name` as Qt reads them, in ARGB32.
inline QImage sampleImage(const QString& name)
{
    const QImage image(samplePath(name));
    if (image.isNull())
        qFatal("cannot read the sample %s", qPrintable(name));
    return image.convertToFormat(QImage::Format_ARGB32);
}

// The quadrant samples' colours: red top left, green top right, blue
// bottom left, yellow bottom right.
inline constexpr QRgb kQuadrantColours[4] = {qRgb(220, 30, 40), qRgb(30, 180, 60),
                                             qRgb(40, 60, 200), qRgb(250, 240, 80)};

inline bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The message loading the picture `path` fails with; "<no failure>" when it
// loads.
inline QString loadError(const QString& path)
{
    return jftest::failureOf([&] { loadPicture(path); });
}

// The largest difference of one colour channel.
inline int colourDistance(QRgb a, QRgb b)
{
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b))});
}

// The first pixel of `image` further than `tolerance` from want(x, y), as
// "(x, y): found, expected want"; empty when every pixel is near enough.
inline QString firstPixelApart(const QImage& image, const std::function<QRgb(int, int)>& want,
                               int tolerance)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (colourDistance(image.pixel(x, y), want(x, y)) > tolerance)
                return QStringLiteral("(%1, %2): %3, expected %4")
                    .arg(x)
                    .arg(y)
                    .arg(image.pixel(x, y), 8, 16)
                    .arg(want(x, y), 8, 16);
    return QString();
}

} // namespace jf::test
