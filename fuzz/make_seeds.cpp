// Writes the fuzz targets' seed inputs into the folder given (fuzz/seeds):
// small valid files of every kind the picture tests build, and typical data
// file content. Run again when the samples change.
#include "ColourSamples.h"
#include "PictureSamples.h"

#include <QDir>
#include <QGuiApplication>

#include <utility>

using namespace jf::test;

namespace {

QString g_root;

void seed(const char* target, const QString& name, const QByteArray& bytes)
{
    const QString dir = g_root + QLatin1Char('/') + QLatin1String(target);
    QDir().mkpath(dir);
    if (!writeFile(dir + QLatin1Char('/') + name, bytes))
        qFatal("cannot write %s", qPrintable(name));
}

QImage patternImage(int width, int height)
{
    const Pattern p = makePattern(width, height, 16);
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, p.pixel(x, y));
    return image;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2)
        qFatal("usage: make_seeds FOLDER");
    g_root = QString::fromLocal8Bit(argv[1]);

    const Pattern pattern = makePattern(7, 5, 16);
    const Pattern twoColours = makePattern(7, 5, 2);
    int n = 0;
    for (BmpKind kind :
         {BmpKind::Rgb1, BmpKind::Rgb4, BmpKind::Rgb8, BmpKind::Rle4, BmpKind::Rle8, BmpKind::Rgb16,
          BmpKind::Bitfields16, BmpKind::Rgb24, BmpKind::Rgb24TopDown, BmpKind::Rgb32,
          BmpKind::Bitfields32, BmpKind::Os2Rgb8, BmpKind::Os2Rgb24, BmpKind::V5Rgb32})
        seed("bmp", QStringLiteral("kind%1.bmp").arg(n++),
             buildBmp(kind == BmpKind::Rgb1 ? twoColours : pattern, kind));

    const QImage small = patternImage(16, 12);
    n = 0;
    for (JpegKind kind : {JpegKind::Baseline, JpegKind::Progressive, JpegKind::Grey,
                          JpegKind::CmykAdobe, JpegKind::CmykPlain})
        seed("jpeg", QStringLiteral("kind%1.jpg").arg(n++), buildJpeg(small, kind, 75));

    // TIFF: the layouts the RGBA interface reads and those read sample by
    // sample, strips and tiles, each kind of alpha, LZW and JPEG.
    const QImage tiny = patternImage(7, 5);
    const auto tiff = [&tiny](const char* name, TiffColour colour, int bits, TiffAlpha alpha,
                              bool planar, int tile, bool lzw, bool floating = false) {
        const TiffLayout layout{.colour = colour,
                                .bits = bits,
                                .floating = floating,
                                .alpha = alpha,
                                .planar = planar,
                                .tile = tile,
                                .lzw = lzw};
        seed("tiff", QString::fromLatin1(name), buildTiff(tiny, layout));
    };
    tiff("rgb8-lzw.tif", TiffColour::Rgb, 8, TiffAlpha::None, false, 0, true);
    tiff("rgb8-tile.tif", TiffColour::Rgb, 8, TiffAlpha::Associated, false, 16, false);
    tiff("rgb16-planar.tif", TiffColour::Rgb, 16, TiffAlpha::Unassociated, true, 0, true);
    tiff("grey8-planar.tif", TiffColour::Grey, 8, TiffAlpha::Associated, true, 0, false);
    tiff("grey12.tif", TiffColour::Grey, 12, TiffAlpha::None, false, 0, true);
    tiff("rgb14-tiles.tif", TiffColour::Rgb, 14, TiffAlpha::Associated, true, 16, false);
    tiff("float.tif", TiffColour::Rgb, 32, TiffAlpha::None, false, 0, false, true);
    tiff("cmyk16.tif", TiffColour::Cmyk, 16, TiffAlpha::None, false, 0, true);
    tiff("palette4.tif", TiffColour::Palette, 4, TiffAlpha::None, false, 0, false);
    tiff("ycbcr-jpeg.tif", TiffColour::YCbCrJpeg, 8, TiffAlpha::None, false, 0, false);

    // PNG: each colour type, low and high depths, tRNS.
    for (const auto& [type, bits] :
         {std::pair{0, 1}, {0, 16}, {2, 8}, {2, 16}, {3, 4}, {3, 8}, {4, 8}, {6, 16}})
        seed("png", QStringLiteral("type%1-%2.png").arg(type).arg(bits),
             buildPng(tiny, type, bits, tiny.pixel(1, 0)));

    // Colour profiles of each kind, alone and inside the picture types that
    // carry them.
    const QByteArray p3 = displayP3Profile();
    seed("profile", QStringLiteral("display-p3-v4.icc"), p3);
    seed("profile", QStringLiteral("adobe-rgb-v2.icc"), adobeRgbProfile());
    seed("profile", QStringLiteral("p3-table.icc"), tableDisplayP3Profile());
    seed("profile", QStringLiteral("linear-grey.icc"), linearGreyProfile());
    seed("profile", QStringLiteral("press-cmyk.icc"), cmykProfile());
    seed("profile", QStringLiteral("nclx-p3"), QByteArray("\x0c\x0d", 2));
    const QImage chart = chartImage(fromSrgb(kChartColours, p3), 4);
    seed("jpeg", QStringLiteral("p3.jpg"),
         jpegWithProfile(buildJpeg(chart, JpegKind::Baseline), p3));
    seed("jpeg", QStringLiteral("cmyk-profile.jpg"),
         jpegWithProfile(buildJpeg(chart, JpegKind::CmykAdobe), cmykProfile()));
    seed("png", QStringLiteral("p3.png"), pngWithProfile(chart, p3));
    seed("tiff", QStringLiteral("p3.tif"), buildTiff(chart, TiffLayout{}, p3));
    seed("bmp", QStringLiteral("p3-v5.bmp"), bmpWithProfile(chart, p3));

    seed("ico", QStringLiteral("32bit.ico"), buildIco(patternImage(8, 8)));
    seed("metafile", QStringLiteral("red.wmf"), buildWmf(40, 20));
    seed("metafile", QStringLiteral("red.emf"), buildEmf(40, 20));

    seed("settings", QStringLiteral("sizes.ins"),
         "270\r\n184\r\n265\r\n184\r\n280\r\n184\r\n130\r\n184\r\n"
         "121\r\n121\r\n120\r\n120\r\n151\r\n118\r\n117\r\n117\r\n");
    seed("settings", QStringLiteral("preferences.ins"), "1\r\nBlack\r\n6000\r\n");
    seed("settings", QStringLiteral("hex.ins"),
         " -$7fffffff\n0x10\rX1f\r\n+12\x1a"
         "9");
    seed("lists", QStringLiteral("programs.lst"),
         "/usr/bin/gimp\r\nGIMP\r\n/usr/bin/inkscape\r\nInkscape\r\n");
    seed("lists", QStringLiteral("mixed.lst"), QByteArray("a\rb\nc\r\n\r\nd\0e", 12));
    seed("float", QStringLiteral("plain"), "120");
    seed("float", QStringLiteral("fraction"), " 12.5 ");
    seed("float", QStringLiteral("comma"), "-12,5e+3");
    seed("float", QStringLiteral("big"), "9e99");
    return 0;
}
