// PNG, WebP, TIFF, GIF, SVG and HEIC files through the loader: colours and
// size, transparency, orientation tags and refusals.
#include "Errors.h"
#include "ImageReaderDecoder.h"
#include "Picture.h"
#include "PictureSamples.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace jf;
using namespace jf::test;

namespace {

// How a TIFF sample stores grid.png's samples: grey is red's value, an
// alpha sample is alpha's, CMYK's C, M, Y, K are red, green, blue and
// alpha; a palette holds the distinct colours.
enum class TiffColour
{
    Grey,
    InvertedGrey,
    Rgb,
    Palette,
    Cmyk
};
enum class TiffAlpha
{
    None,
    Associated,
    Unassociated
};
struct TiffLayout
{
    TiffColour colour = TiffColour::Rgb;
    int bits = 8;
    TiffAlpha alpha = TiffAlpha::None;
};

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

// What a correct PNG decoder shows for one pixel of stored samples (scaled
// to `bits` with rounding), on white.
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

} // namespace

Q_DECLARE_METATYPE(TiffLayout)

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
        const QSize size(40, 30);
        QTest::newRow("png") << "a.png" << sample("quadrants-40x30.png") << size << 0;
        QTest::newRow("png 16 bits") << "b.PNG" << sample("quadrants-40x30-16bit.png") << size << 1;
        QTest::newRow("png palette")
            << "c.png" << sample("quadrants-40x30-palette.png") << size << 0;
        QTest::newRow("webp") << "d.Webp" << sample("quadrants-40x30.webp") << size << 2;
        QTest::newRow("tiff") << "e.tiff" << sample("quadrants-40x30.tif") << size << 0;
        QTest::newRow("tif") << "f.TIF" << sample("quadrants-40x30.tif") << size << 0;
        QTest::newRow("tiff ycbcr jpeg")
            << "y.tif" << sample("quadrants-40x30-ycbcr-jpeg.tif") << size << 8;
        QTest::newRow("gif") << "g.gif" << sample("quadrants-40x30.gif") << size << 0;
        QByteArray frameOverScreen = sample("quadrants-40x30.gif");
        frameOverScreen[6] = 20; // screen 20 x 15
        frameOverScreen[8] = 15;
        QTest::newRow("gif frame larger than screen") << "s.gif" << frameOverScreen << size << 0;
        QTest::newRow("svg") << "h.svg" << sample("quadrants-40x30.svg") << QSize(2400, 1800) << 0;
        QTest::newRow("heic") << "i.heic" << sample("quadrants-64x48.heic") << QSize(64, 48) << 12;
        QTest::newRow("heif") << "j.HEIF" << sample("quadrants-64x48.heic") << QSize(64, 48) << 12;
        // Icons whose bitmaps have version 5 headers.
        for (const char* name : {"icon-v5-24bit.ico", "icon-v5-4bit.ico"})
            QTest::newRow(name) << "k.ico" << sample(name) << QSize(20, 16) << 0;
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
        QTest::newRow("png") << "t.png" << sample("half-clear-32x16.png");
        QTest::newRow("png 16 bits") << "t16.png" << sample("half-clear-32x16-16bit.png");
        QTest::newRow("webp") << "t.webp" << sample("half-clear-32x16.webp");
        QTest::newRow("tiff") << "t.tif" << sample("half-clear-32x16.tif");
        QTest::newRow("gif") << "t.gif" << sample("half-clear-32x16.gif");
        QTest::newRow("heic") << "t.heic" << sample("half-clear-64x48.heic");
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
        // The quadrants stored turned or mirrored, and tagged to show upright.
        for (int o = 1; o <= 8; ++o) {
            const auto stored = [o](const char* type) {
                return sample(QStringLiteral("oriented-%1.%2").arg(o).arg(QLatin1String(type)));
            };
            QTest::addRow("jpeg %d", o) << "o.jpg" << stored("jpg") << 8;
            QTest::addRow("webp %d", o) << "o.webp" << stored("webp") << 2;
            QTest::addRow("tiff %d", o) << "o.tif" << stored("tif") << 0;
            QTest::addRow("heic %d", o) << "o.heic" << stored("heic") << 12;
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
        QTest::newRow("png cut") << "c.png" << cut(sample("quadrants-40x30.png")) << png;
        QTest::newRow("png is a jpeg") << "j.png" << sample("quadrants-32x32.jpg") << png;
        QTest::newRow("png bomb") << "b.png" << sample("png-65500x65500.png")
                                  << tooLarge(65500, 65500);
        QTest::newRow("png just over")
            << "o.png" << sample("png-16001x16000.png") << tooLarge(16001, 16000);
        QTest::newRow("webp empty") << "e.webp" << QByteArray() << webp;
        QTest::newRow("webp cut") << "c.webp" << cut(sample("quadrants-40x30.webp")) << webp;
        QTest::newRow("webp bomb")
            << "b.webp" << sample("webp-16384x16384.webp") << tooLarge(16384, 16384);
        QTest::newRow("tiff empty") << "e.tif" << QByteArray() << tiff;
        QTest::newRow("tiff cut") << "c.tif" << cut(sample("quadrants-40x30.tif")) << tiff;
        QTest::newRow("tiff bomb")
            << "b.tif" << sample("tiff-65500x65500.tif") << tooLarge(65500, 65500);
        QTest::newRow("gif empty") << "e.gif" << QByteArray() << gif;
        QTest::newRow("gif cut") << "c.gif" << cut(sample("quadrants-40x30.gif")) << gif;
        QTest::newRow("gif bomb") << "b.gif" << sample("gif-65535x65535.gif")
                                  << tooLarge(65535, 65535);
        QTest::newRow("svg empty") << "e.svg" << QByteArray() << svg;
        QTest::newRow("svg cut") << "c.svg" << cut(sample("quadrants-40x30.svg")) << svg;
        QTest::newRow("svg not xml") << "x.svg" << QByteArray("GIF89a\x01\x02") << svg;
        QTest::newRow("heic empty") << "e.heic" << QByteArray() << heic;
        QTest::newRow("heic cut") << "c.heic" << cut(sample("quadrants-64x48.heic")) << heic;
        QTest::newRow("heic bomb")
            << "b.heic" << sample("heic-65500x65500.heic") << tooLarge(65500, 65500);
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
        QTest::addColumn<QString>("name");
        QTest::addColumn<TiffLayout>("layout");
        using C = TiffColour;
        using A = TiffAlpha;
        const auto row = [](const char* tag, const char* name, C colour, int bits,
                            A alpha = A::None) {
            QTest::newRow(tag) << QStringLiteral("tiff-%1.tif").arg(QLatin1String(name))
                               << TiffLayout{colour, bits, alpha};
        };
        row("rgb 8 lzw", "rgb8-lzw", C::Rgb, 8);
        row("rgb 16 big-endian", "rgb16-big-endian-unassociated", C::Rgb, 16, A::Unassociated);
        row("rgb float unassociated", "rgb-float-unassociated", C::Rgb, 32, A::Unassociated);
        row("rgb 8 one tile", "rgb8-one-tile", C::Rgb, 8);
        row("rgb 8 tiles planar", "rgb8-tiles-planar", C::Rgb, 8);
        row("rgb 16 planar", "rgb16-planar", C::Rgb, 16);
        row("rgb 8 associated above alpha", "rgb8-associated", C::Rgb, 8, A::Associated);
        row("rgb 8 unassociated", "rgb8-unassociated", C::Rgb, 8, A::Unassociated);
        row("rgb 16 associated tiles", "rgb16-associated-tiles", C::Rgb, 16, A::Associated);
        row("grey 8 associated planar", "grey8-associated-planar", C::Grey, 8, A::Associated);
        row("grey 16 unassociated planar", "grey16-unassociated-planar", C::Grey, 16,
            A::Unassociated);
        row("grey 2", "grey2", C::Grey, 2);
        row("grey 4 inverted", "grey4-inverted", C::InvertedGrey, 4);
        row("rgb 2", "rgb2", C::Rgb, 2);
        row("rgb 4 planar", "rgb4-planar", C::Rgb, 4);
        row("grey 10", "grey10", C::Grey, 10);
        row("grey 12 unassociated", "grey12-unassociated", C::Grey, 12, A::Unassociated);
        row("rgb 12 tiles", "rgb12-tiles", C::Rgb, 12);
        row("rgb 14 associated planar", "rgb14-associated-planar", C::Rgb, 14, A::Associated);
        row("rgb 24", "rgb24", C::Rgb, 24);
        row("grey 32 inverted", "grey32-inverted", C::InvertedGrey, 32);
        row("cmyk 8", "cmyk8", C::Cmyk, 8);
        row("cmyk 16 planar", "cmyk16-planar", C::Cmyk, 16);
        row("palette 8", "palette8", C::Palette, 8);
        row("palette 16", "palette16", C::Palette, 16);
    }
    void tiffLayouts()
    {
        QFETCH(QString, name);
        QFETCH(TiffLayout, layout);
        const QImage samples = sampleImage(QStringLiteral("grid.png"));
        const QImage image = loadPicture(file(QStringLiteral("l.tif"), sample(name))).fullImage();
        QCOMPARE(image.size(), samples.size());
        const int tolerance = layout.bits > 8 ? 1 : 0; // 16 to 8 bits may round either way
        const QString apart = firstPixelApart(
            image, [&](int x, int y) { return onWhite(samples.pixel(x, y), layout); }, tolerance);
        QVERIFY2(apart.isEmpty(), qPrintable(apart));
    }

    // Every colour type and depth, with tRNS where the type allows it.
    void pngLayouts_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("colourType");
        QTest::addColumn<int>("bits");
        QTest::addColumn<bool>("withTrns");
        const struct
        {
            const char* name;
            int colourType, bits, trns;
        } rows[] = {{"grey1", 0, 1, 0},
                    {"grey2-trns", 0, 2, 1},
                    {"grey4", 0, 4, 0},
                    {"grey8-trns", 0, 8, 1},
                    {"grey16-trns", 0, 16, 1},
                    {"rgb8-trns", 2, 8, 1},
                    {"rgb16", 2, 16, 0},
                    {"rgb16-trns", 2, 16, 1},
                    {"palette-2-colours", 3, 1, 0},
                    {"palette-4-colours", 3, 2, 0},
                    {"palette-16-colours", 3, 4, 0},
                    {"palette", 3, 8, 0},
                    {"grey-alpha8", 4, 8, 0},
                    {"grey-alpha16", 4, 16, 0},
                    {"rgba8", 6, 8, 0},
                    {"rgba16", 6, 16, 0}};
        for (const auto& r : rows)
            QTest::addRow("type %d, %d bits%s", r.colourType, r.bits, r.trns ? ", tRNS" : "")
                << QStringLiteral("png-%1.png").arg(QLatin1String(r.name)) << r.colourType << r.bits
                << bool(r.trns);
    }
    void pngLayouts()
    {
        QFETCH(QString, name);
        QFETCH(int, colourType);
        QFETCH(int, bits);
        QFETCH(bool, withTrns);
        // grid.png, or for short palettes its first 2, 4 or 16 samples.
        const QImage samples = sampleImage(
            colourType == 3 && bits < 8 ? QStringLiteral("grid-%1-colours.png").arg(1 << bits)
                                        : QStringLiteral("grid.png"));
        const std::optional<QRgb> transparent =
            withTrns ? std::optional<QRgb>(samples.pixel(1, 0)) : std::nullopt;
        const QImage image = loadPicture(file(QStringLiteral("l.png"), sample(name))).fullImage();
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
            loadError(file(QStringLiteral("m.webp"), sample("quadrants-40x30.webp")));
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
