// PNG, WebP, TIFF, GIF, SVG and HEIC files through the loader: colours and
// size, transparency, orientation tags and refusals.
#include "Errors.h"
#include "ImageReaderDecoder.h"
#include "Picture.h"
#include "PictureSamples.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

using namespace jf;
using namespace jf::test;

Q_DECLARE_METATYPE(jf::test::TiffLayout)

namespace {

QString loadError(const QString& path)
{
    try {
        loadPicture(path);
    } catch (const Error& e) {
        return e.message();
    }
    return QString();
}

// Checks the centre of each quadrant of `image` against kQuadrantColours.
bool quadrantsMatch(const QImage& image, int tolerance)
{
    const int w = image.width(), h = image.height();
    for (int q = 0; q < 4; ++q) {
        const QRgb seen = image.pixel(q % 2 ? 3 * w / 4 : w / 4, q / 2 ? 3 * h / 4 : h / 4);
        if (colourDistance(seen, kQuadrantColours[q]) > tolerance) {
            qWarning("quadrant %d: %08x, expected %08x", q, seen, kQuadrantColours[q]);
            return false;
        }
    }
    return true;
}

QByteArray pngClaiming(int width, int height)
{
    QByteArray png = buildWithQt(quadrantImage(8, 8), "png");
    qToBigEndian(quint32(width), png.data() + 16);
    qToBigEndian(quint32(height), png.data() + 20);
    qToBigEndian(pngCrc(png.mid(12, 17)), png.data() + 29);
    return png;
}

QByteArray gifClaiming(int width, int height)
{
    QByteArray gif = buildGif(quadrantImage(8, 8));
    qToLittleEndian(quint16(width), gif.data() + 6);
    qToLittleEndian(quint16(height), gif.data() + 8);
    const qsizetype descriptor = 13 + 128 * 3;
    qToLittleEndian(quint16(width), gif.data() + descriptor + 5);
    qToLittleEndian(quint16(height), gif.data() + descriptor + 7);
    return gif;
}

// A little-endian TIFF whose first directory claims the given size.
QByteArray tiffClaiming(int width, int height)
{
    QByteArray tiff = buildWithQt(quadrantImage(8, 8), "tiff");
    if (!tiff.startsWith("II"))
        return tiff;
    const quint32 ifd = qFromLittleEndian<quint32>(tiff.constData() + 4);
    const int count = qFromLittleEndian<quint16>(tiff.constData() + ifd);
    for (int i = 0; i < count; ++i) {
        char* entry = tiff.data() + ifd + 2 + 12 * i;
        const quint16 tag = qFromLittleEndian<quint16>(entry);
        const quint16 type = qFromLittleEndian<quint16>(entry + 2);
        if (tag != 256 && tag != 257)
            continue;
        const quint32 value = tag == 256 ? quint32(width) : quint32(height);
        if (type == 3)
            qToLittleEndian(quint16(value), entry + 8);
        else
            qToLittleEndian(value, entry + 8);
    }
    return tiff;
}

QByteArray heicClaiming(int width, int height)
{
    // Every item's size: the picture and its tile alike.
    QByteArray heic = buildHeic(quadrantImage(64, 48));
    for (qsizetype at = heic.indexOf("ispe"); at >= 0; at = heic.indexOf("ispe", at + 4)) {
        qToBigEndian(quint32(width), heic.data() + at + 8);
        qToBigEndian(quint32(height), heic.data() + at + 12);
    }
    return heic;
}

QImage withTransparentLeftHalf(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(qRgb(220, 30, 40));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width / 2; ++x)
            image.setPixel(x, y, qRgba(0, 0, 0, 0));
    return image;
}

// Qt's name for each EXIF orientation, for its TIFF writer.
QImageIOHandler::Transformations qtTransformation(int orientation)
{
    switch (orientation) {
    case 2:
        return QImageIOHandler::TransformationMirror;
    case 3:
        return QImageIOHandler::TransformationRotate180;
    case 4:
        return QImageIOHandler::TransformationFlip;
    case 5:
        return QImageIOHandler::TransformationFlipAndRotate90;
    case 6:
        return QImageIOHandler::TransformationRotate90;
    case 7:
        return QImageIOHandler::TransformationMirrorAndRotate90;
    case 8:
        return QImageIOHandler::TransformationRotate270;
    default:
        return QImageIOHandler::TransformationNone;
    }
}

QByteArray tiffWithOrientation(const QImage& stored, int orientation)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "tiff");
    writer.setTransformation(qtTransformation(orientation));
    writer.write(stored);
    return buffer.data();
}

// Stored samples of 0, 85, 170 and 255 (exact at 2 and 4 bits too),
// colours and alpha mixed so that associated colours exceed their alpha.
QImage sampleGrid()
{
    QImage image(20, 13, QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y,
                           qRgba(85 * ((x + y) % 4), 85 * ((x / 2 + y) % 4), 85 * ((x + 2 * y) % 4),
                                 85 * ((3 * x + y / 3) % 4)));
    return image;
}

// What a correct decoder shows for one pixel of stored samples, on white.
QRgb onWhite(QRgb s, const TiffLayout& layout)
{
    int c[3] = {qRed(s), qGreen(s), qBlue(s)};
    int a = layout.alpha == TiffAlpha::None ? 255 : qAlpha(s);
    if (layout.colour == TiffColour::Grey || layout.colour == TiffColour::InvertedGrey) {
        const int v = layout.colour == TiffColour::Grey ? c[0] : 255 - c[0];
        c[0] = c[1] = c[2] = v;
    } else if (layout.colour == TiffColour::Cmyk) {
        for (int& v : c)
            v = (255 - qAlpha(s)) * (255 - v) / 255;
        a = 255;
    }
    for (int& v : c)
        v = layout.alpha == TiffAlpha::Associated ? std::min(v, a) + 255 - a
                                                  : (v * a + 255 * (255 - a) + 127) / 255;
    return qRgb(c[0], c[1], c[2]);
}

// What a correct PNG decoder shows for one pixel of stored samples as
// buildPng writes them, on white.
QRgb pngOnWhite(QRgb s, int colourType, int bits, std::optional<QRgb> transparent)
{
    const int max = (1 << bits) - 1;
    const auto stored = [max](int v) { return (v * max + 127) / 255; };
    const auto back = [&](int v) { return (stored(v) * 255 + max / 2) / max; };
    int c[3] = {qRed(s), qGreen(s), qBlue(s)};
    int a = 255;
    if (colourType == 3) {
        a = qAlpha(s);
    } else {
        if (colourType == 0 || colourType == 4)
            c[1] = c[2] = c[0];
        if (colourType >= 4)
            a = back(qAlpha(s));
        const QRgb t = transparent.value_or(0);
        const int tc[3] = {qRed(t), colourType == 0 ? qRed(t) : qGreen(t),
                           colourType == 0 ? qRed(t) : qBlue(t)};
        bool same = transparent.has_value();
        for (int i = 0; i < 3; ++i) {
            same = same && stored(c[i]) == stored(tc[i]);
            c[i] = back(c[i]);
        }
        if (same)
            a = 0;
    }
    for (int& v : c)
        v = (v * a + 255 * (255 - a) + 127) / 255;
    return qRgb(c[0], c[1], c[2]);
}

// `image` with at most `colours` distinct pixels, taken from its first row.
QImage fewColours(const QImage& image, int colours)
{
    QImage few(image.size(), QImage::Format_ARGB32);
    for (int y = 0; y < few.height(); ++y)
        for (int x = 0; x < few.width(); ++x)
            few.setPixel(x, y, image.pixel((3 * x + y) % colours, 0));
    return few;
}

} // namespace

class TestPictureTypes : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString file(const QString& name, const QByteArray& bytes)
    {
        return sampleFile(m_dir, name, bytes);
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void colours_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("tolerance");
        const QImage image = quadrantImage(40, 30);
        QTest::newRow("png") << "a.png" << buildWithQt(image, "png") << QSize(40, 30) << 0;
        QTest::newRow("png 16 bits")
            << "b.PNG" << buildWithQt(image.convertToFormat(QImage::Format_RGBX64), "png")
            << QSize(40, 30) << 1;
        QTest::newRow("png palette")
            << "c.png" << buildWithQt(image.convertToFormat(QImage::Format_Indexed8), "png")
            << QSize(40, 30) << 0;
        QTest::newRow("webp") << "d.Webp" << buildWithQt(image, "webp") << QSize(40, 30) << 2;
        QTest::newRow("tiff") << "e.tiff" << buildWithQt(image, "tiff") << QSize(40, 30) << 0;
        QTest::newRow("tif") << "f.TIF" << buildWithQt(image, "tiff") << QSize(40, 30) << 0;
        TiffLayout ycbcr;
        ycbcr.colour = TiffColour::YCbCrJpeg;
        QTest::newRow("tiff ycbcr jpeg")
            << "y.tif" << buildTiff(image, ycbcr) << QSize(40, 30) << 8;
        QTest::newRow("gif") << "g.gif" << buildGif(image) << QSize(40, 30) << 0;
        QByteArray frameOverScreen = buildGif(image);
        qToLittleEndian(quint16(20), frameOverScreen.data() + 6); // screen 20 x 15
        qToLittleEndian(quint16(15), frameOverScreen.data() + 8);
        QTest::newRow("gif frame larger than screen")
            << "s.gif" << frameOverScreen << QSize(40, 30) << 0;
        QTest::newRow("svg") << "h.svg" << buildSvg(40, 30) << QSize(2400, 1800) << 0;
        QTest::newRow("heic") << "i.heic" << buildHeic(quadrantImage(64, 48)) << QSize(64, 48)
                              << 12;
        QTest::newRow("heif") << "j.HEIF" << buildHeic(quadrantImage(64, 48)) << QSize(64, 48)
                              << 12;
        // Icons whose bitmaps have version 5 headers (samples/README.md).
        for (const char* name : {"icon-v5-24bit.ico", "icon-v5-4bit.ico"}) {
            QFile ico(qEnvironmentVariable("JF_SOURCE_DIR") + "/tests/picture/samples/" + name);
            if (!ico.open(QIODevice::ReadOnly))
                qFatal("no sample %s", name);
            QTest::newRow(name) << "k.ico" << ico.readAll() << QSize(20, 16) << 0;
        }
    }
    void colours()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QSize, size);
        QFETCH(int, tolerance);
        if (bytes.isEmpty())
            QSKIP("no encoder for this type here (libheif without HEVC encoder)");
        const Picture picture = loadPicture(file(name, bytes));
        QCOMPARE(picture.size(), size);
        QVERIFY(quadrantsMatch(picture.fullImage(), tolerance));
        const QImage preview = picture.scaledTo(QSize(21, 13));
        QCOMPARE(preview.size(), QSize(21, 13));
        QVERIFY(quadrantsMatch(preview, tolerance));
    }

    void transparentIsWhite_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        const QImage image = withTransparentLeftHalf(32, 16);
        QTest::newRow("png") << "t.png" << buildWithQt(image, "png");
        QTest::newRow("png 16 bits")
            << "t16.png" << buildWithQt(image.convertToFormat(QImage::Format_RGBA64), "png");
        QTest::newRow("webp") << "t.webp" << buildWithQt(image, "webp");
        QTest::newRow("tiff") << "t.tif" << buildWithQt(image, "tiff");
        QTest::newRow("gif") << "t.gif" << buildGif(image);
        QTest::newRow("heic") << "t.heic" << buildHeic(withTransparentLeftHalf(64, 48));
    }
    void transparentIsWhite()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        if (bytes.isEmpty())
            QSKIP("no encoder for this type here (libheif without HEVC encoder)");
        const QImage image = loadPicture(file(name, bytes)).fullImage();
        const int h = image.height() / 2;
        QVERIFY(!image.hasAlphaChannel());
        QVERIFY(colourDistance(image.pixel(image.width() / 4, h), qRgb(255, 255, 255)) <= 2);
        QVERIFY(colourDistance(image.pixel(3 * image.width() / 4, h), qRgb(220, 30, 40)) <= 12);
    }

    void orientation_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("tolerance");
        const QImage shown = quadrantImage(64, 48);
        for (int o = 1; o <= 8; ++o) {
            const QImage stored = storedFor(shown, o);
            QTest::addRow("jpeg %d", o) << "o.jpg" << jpegWithOrientation(stored, o) << 8;
            QTest::addRow("webp %d", o) << "o.webp" << webpWithOrientation(stored, o) << 2;
            QTest::addRow("tiff %d", o) << "o.tif" << tiffWithOrientation(stored, o) << 0;
            QTest::addRow("heic %d", o) << "o.heic" << buildHeic(stored, o) << 12;
        }
    }
    void orientation()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(int, tolerance);
        if (bytes.isEmpty())
            QSKIP("no encoder for this type here (libheif without HEVC encoder)");
        const Picture picture = loadPicture(file(name, bytes));
        QCOMPARE(picture.size(), QSize(64, 48));
        QVERIFY(quadrantsMatch(picture.fullImage(), tolerance));
        QVERIFY(quadrantsMatch(picture.scaledTo(QSize(16, 12)), tolerance));
    }

    void refusals_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        const QImage image = quadrantImage(40, 30);
        const QString png = QStringLiteral("PNG image is not valid");
        const QString webp = QStringLiteral("WebP image is not valid");
        const QString tiff = QStringLiteral("TIFF image is not valid");
        const QString gif = QStringLiteral("GIF image is not valid");
        const QString svg = QStringLiteral("SVG image is not valid");
        const QString heic = QStringLiteral("HEIC image is not valid");
        const auto cut = [](const QByteArray& bytes) { return bytes.left(bytes.size() / 2); };
        const auto tooLarge = [](int w, int h) {
            return QStringLiteral("Picture is too large (%1 x %2 pixels)").arg(w).arg(h);
        };
        QTest::newRow("png empty") << "e.png" << QByteArray() << png;
        QTest::newRow("png cut") << "c.png" << cut(buildWithQt(image, "png")) << png;
        QTest::newRow("png is a jpeg") << "j.png" << buildJpeg(image, JpegKind::Baseline) << png;
        QTest::newRow("png bomb") << "b.png" << pngClaiming(65500, 65500) << tooLarge(65500, 65500);
        QTest::newRow("png just over")
            << "o.png" << pngClaiming(16001, 16000) << tooLarge(16001, 16000);
        QTest::newRow("webp empty") << "e.webp" << QByteArray() << webp;
        QTest::newRow("webp cut") << "c.webp" << cut(buildWithQt(image, "webp")) << webp;
        QTest::newRow("webp bomb") << "b.webp" << webpWithOrientation(image, 1, QSize(16384, 16384))
                                   << tooLarge(16384, 16384);
        QTest::newRow("tiff empty") << "e.tif" << QByteArray() << tiff;
        QTest::newRow("tiff cut") << "c.tif" << cut(buildWithQt(image, "tiff")) << tiff;
        QTest::newRow("tiff bomb")
            << "b.tif" << tiffClaiming(65500, 65500) << tooLarge(65500, 65500);
        QTest::newRow("gif empty") << "e.gif" << QByteArray() << gif;
        QTest::newRow("gif cut") << "c.gif" << cut(buildGif(image)) << gif;
        QTest::newRow("gif bomb") << "b.gif" << gifClaiming(65535, 65535) << tooLarge(65535, 65535);
        QTest::newRow("svg empty") << "e.svg" << QByteArray() << svg;
        QTest::newRow("svg cut") << "c.svg" << cut(buildSvg(40, 30)) << svg;
        QTest::newRow("svg not xml") << "x.svg" << QByteArray("GIF89a\x01\x02") << svg;
        QTest::newRow("heic empty") << "e.heic" << QByteArray() << heic;
        QTest::newRow("heic cut") << "c.heic" << cut(buildHeic(quadrantImage(64, 48))) << heic;
        QTest::newRow("heic bomb")
            << "b.heic" << heicClaiming(65500, 65500) << tooLarge(65500, 65500);
    }
    void refusals()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        if (bytes.isEmpty() && name.endsWith(QLatin1String("heic")) && !name.startsWith('e'))
            QSKIP("no encoder for this type here (libheif without HEVC encoder)");
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(loadError(file(name, bytes)), message);
        QVERIFY2(timer.elapsed() < 2000, "took too long");
    }

    // Layouts Qt's TIFF reader refused or misread, and the usual ones.
    void tiffLayouts_data()
    {
        QTest::addColumn<TiffLayout>("layout");
        using C = TiffColour;
        using A = TiffAlpha;
        enum
        {
            Lzw = 1,
            BigEndian = 2,
            Float = 4
        };
        const auto row = [](const char* name, C colour, int bits, A alpha = A::None,
                            bool planar = false, int tile = 0, int flags = 0) {
            QTest::newRow(name) << TiffLayout{.colour = colour,
                                              .bits = bits,
                                              .floating = (flags & Float) != 0,
                                              .alpha = alpha,
                                              .planar = planar,
                                              .tile = tile,
                                              .lzw = (flags & Lzw) != 0,
                                              .bigEndian = (flags & BigEndian) != 0};
        };
        row("rgb 8 lzw", C::Rgb, 8, A::None, false, 0, Lzw);
        row("rgb 16 big-endian", C::Rgb, 16, A::Unassociated, false, 0, BigEndian);
        row("rgb float unassociated", C::Rgb, 32, A::Unassociated, false, 0, Float);
        row("rgb 8 one tile", C::Rgb, 8, A::None, false, 32);
        row("rgb 8 tiles planar", C::Rgb, 8, A::None, true, 16);
        row("rgb 16 planar", C::Rgb, 16, A::None, true);
        row("rgb 8 associated above alpha", C::Rgb, 8, A::Associated);
        row("rgb 8 unassociated", C::Rgb, 8, A::Unassociated);
        row("rgb 16 associated tiles", C::Rgb, 16, A::Associated, false, 16);
        row("grey 8 associated planar", C::Grey, 8, A::Associated, true);
        row("grey 16 unassociated planar", C::Grey, 16, A::Unassociated, true);
        row("grey 2", C::Grey, 2);
        row("grey 4 inverted", C::InvertedGrey, 4);
        row("rgb 2", C::Rgb, 2);
        row("rgb 4 planar", C::Rgb, 4, A::None, true);
        row("grey 10", C::Grey, 10);
        row("grey 12 unassociated", C::Grey, 12, A::Unassociated);
        row("rgb 12 tiles", C::Rgb, 12, A::None, false, 16);
        row("rgb 14 associated planar", C::Rgb, 14, A::Associated, true);
        row("rgb 24", C::Rgb, 24);
        row("grey 32 inverted", C::InvertedGrey, 32);
        row("cmyk 8", C::Cmyk, 8);
        row("cmyk 16 planar", C::Cmyk, 16, A::None, true);
        row("palette 8", C::Palette, 8);
        row("palette 16", C::Palette, 16);
    }
    void tiffLayouts()
    {
        QFETCH(TiffLayout, layout);
        const QImage samples = sampleGrid();
        const QByteArray bytes = buildTiff(samples, layout);
        QVERIFY(!bytes.isEmpty());
        const QImage image = loadPicture(file(QStringLiteral("l.tif"), bytes)).fullImage();
        QCOMPARE(image.size(), samples.size());
        const int tolerance = layout.bits > 8 ? 1 : 0; // 16 to 8 bits may round either way
        const QString apart = firstPixelApart(
            image, [&](int x, int y) { return onWhite(samples.pixel(x, y), layout); }, tolerance);
        QVERIFY2(apart.isEmpty(), qPrintable(apart));
    }

    // Every colour type and depth, with tRNS where the type allows it.
    void pngLayouts_data()
    {
        QTest::addColumn<int>("colourType");
        QTest::addColumn<int>("bits");
        QTest::addColumn<bool>("withTrns");
        const int rows[][3] = {{0, 1, 0},  {0, 2, 1},  {0, 4, 0}, {0, 8, 1}, {0, 16, 1}, {2, 8, 1},
                               {2, 16, 0}, {2, 16, 1}, {3, 1, 0}, {3, 2, 0}, {3, 4, 0},  {3, 8, 0},
                               {4, 8, 0},  {4, 16, 0}, {6, 8, 0}, {6, 16, 0}};
        for (const auto& r : rows)
            QTest::addRow("type %d, %d bits%s", r[0], r[1], r[2] ? ", tRNS" : "")
                << r[0] << r[1] << bool(r[2]);
    }
    void pngLayouts()
    {
        QFETCH(int, colourType);
        QFETCH(int, bits);
        QFETCH(bool, withTrns);
        const QImage samples =
            colourType == 3 && bits < 8 ? fewColours(sampleGrid(), 1 << bits) : sampleGrid();
        const std::optional<QRgb> transparent =
            withTrns ? std::optional<QRgb>(samples.pixel(1, 0)) : std::nullopt;
        const QByteArray bytes = buildPng(samples, colourType, bits, transparent);
        const QImage image = loadPicture(file(QStringLiteral("l.png"), bytes)).fullImage();
        QCOMPARE(image.size(), samples.size());
        const QString apart = firstPixelApart(
            image,
            [&](int x, int y) {
                return pngOnWhite(samples.pixel(x, y), colourType, bits, transparent);
            },
            bits == 16 ? 1 : 0);
        QVERIFY2(apart.isEmpty(), qPrintable(apart));
    }

    void premultipliedAboveAlphaOnWhite_data()
    {
        QTest::addColumn<QImage::Format>("format");
        QTest::newRow("8 bits") << QImage::Format_ARGB32_Premultiplied;
        QTest::newRow("16 bits") << QImage::Format_RGBA64_Premultiplied;
    }
    void premultipliedAboveAlphaOnWhite()
    {
        QFETCH(QImage::Format, format);
        // Raw stored values: colours above their alpha, as damaged files have.
        QImage image(2, 1, format);
        if (format == QImage::Format_ARGB32_Premultiplied) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(0));
            line[0] = qRgba(200, 90, 10, 100);
            line[1] = qRgba(255, 255, 255, 0);
        } else {
            auto* line = reinterpret_cast<QRgba64*>(image.scanLine(0));
            line[0] = QRgba64::fromRgba(200, 90, 10, 100);
            line[1] = QRgba64::fromRgba(255, 255, 255, 0);
        }
        const QImage paper = onWhitePaper(image);
        QCOMPARE(paper.format(), QImage::Format_RGB32);
        QCOMPARE(paper.pixel(0, 0), qRgb(255, 245, 165)); // colour clamped to 100, + 155
        QCOMPARE(paper.pixel(1, 0), qRgb(255, 255, 255));
    }

    void missingReaderNamesTheType()
    {
        setReaderCheck([](const QByteArray& format) { return format != "webp"; });
        const QString message =
            loadError(file(QStringLiteral("m.webp"), buildWithQt(quadrantImage(8, 8), "webp")));
        setReaderCheck(nullptr);
        QCOMPARE(message, QStringLiteral("WebP pictures cannot be opened here: Qt's WebP image "
                                         "plugin is not installed"));
    }

    void fileOverLimit_data()
    {
        QTest::addColumn<QString>("extension");
        for (const char* ext : {"png", "webp", "tiff", "gif", "svg", "heic"})
            QTest::newRow(ext) << QString::fromLatin1(ext);
    }
    void fileOverLimit()
    {
        QFETCH(QString, extension);
        // A sparse file of 1000 MB, more than any picture within the pixel
        // ceiling needs: refused from its size alone.
        const QString path = m_dir.filePath(QStringLiteral("huge.") + extension);
        QFile huge(path);
        QVERIFY(huge.open(QIODevice::WriteOnly));
        QVERIFY(huge.resize(1000LL * 1024 * 1024));
        huge.close();
        QCOMPARE(loadError(path), QStringLiteral("Picture file is too large (over 977 MB)"));
        QFile::remove(path);
    }
};

QTEST_MAIN(TestPictureTypes)
#include "tst_picture_types.moc"
