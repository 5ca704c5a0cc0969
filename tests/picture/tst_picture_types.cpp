// PNG, WebP, TIFF, GIF, SVG and HEIC files through the loader: colours and
// size, transparency, orientation tags and refusals.
#include "DataRow.h"
#include "Errors.h"
#include "ImageReaderDecoder.h"
#include "Picture.h"
#include "PictureSamples.h"
#include "ScratchFolder.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTest>

using namespace jf;
using namespace jf::test;

using jftest::row;

namespace {

// Checks the centre of each quadrant of `image` against kQuadrantColours,
// or their greys.
bool quadrantsMatch(const QImage& image, int tolerance, bool grey = false)
{
    const int w = image.width(), h = image.height();
    for (int q = 0; q < 4; ++q) {
        const QRgb seen = image.pixel(q % 2 ? 3 * w / 4 : w / 4, q / 2 ? 3 * h / 4 : h / 4);
        const int g = qGray(kQuadrantColours[q]);
        const QRgb want = grey ? qRgb(g, g, g) : kQuadrantColours[q];
        if (colourDistance(seen, want) > tolerance) {
            qWarning("quadrant %d: %08x, expected %08x", q, seen, want);
            return false;
        }
    }
    return true;
}

} // namespace

class TestPictureTypes : public QObject, private jftest::ScratchFolder
{
    Q_OBJECT

private slots:
    void colours_data()
    {
        jftest::columns<QString, QByteArray, QSize, int>("name", "bytes", "size", "tolerance");
        const QSize size(40, 30);
        row("png", "a.png", sample("quadrants-40x30.png"), size, 0);
        row("png 16 bits", "b.PNG", sample("quadrants-40x30-16bit.png"), size, 1);
        row("png palette", "c.png", sample("quadrants-40x30-palette.png"), size, 0);
        row("webp", "d.Webp", sample("quadrants-40x30.webp"), size, 2);
        row("tiff", "e.tiff", sample("quadrants-40x30.tif"), size, 0);
        row("tif", "f.TIF", sample("quadrants-40x30.tif"), size, 0);
        row("tiff ycbcr jpeg", "y.tif", sample("quadrants-40x30-ycbcr-jpeg.tif"), size, 8);
        row("gif", "g.gif", sample("quadrants-40x30.gif"), size, 0);
        QByteArray frameOverScreen = sample("quadrants-40x30.gif");
        frameOverScreen[6] = 20; // screen 20 x 15
        frameOverScreen[8] = 15;
        row("gif frame larger than screen", "s.gif", frameOverScreen, size, 0);
        row("svg", "h.svg", sample("quadrants-40x30.svg"), QSize(2400, 1800), 0);
        row("heic", "i.heic", sample("quadrants-64x48.heic"), QSize(64, 48), 12);
        row("heif", "j.HEIF", sample("quadrants-64x48.heic"), QSize(64, 48), 12);
        // Icons whose bitmaps have version 5 headers, and the usual.
        for (const char* name : {"icon-v5-24bit.ico", "icon-v5-4bit.ico"})
            row(name, "k.ico", sample(name), QSize(20, 16), 0);
        row("icon", "i.ico", sample("quadrants-32x32.ico"), QSize(32, 32), 0);
        // JPEGs decode scaled down by libjpeg for a preview.
        for (const auto& [tag, name] : {std::pair{"jpeg baseline", "quadrants-96x64.jpg"},
                                        {"jpeg progressive", "quadrants-96x64-progressive.jpg"},
                                        {"jpeg grey", "quadrants-96x64-grey.jpg"},
                                        {"jpeg CMYK, Adobe inverted", "quadrants-96x64-cmyk.jpg"},
                                        {"jpeg CMYK, plain", "quadrants-96x64-cmyk-plain.jpg"}})
            row(tag, "q.jpg", sample(name), QSize(96, 64), 16);
        // Extensions in capitals.
        row("PHOTO.JPG", "PHOTO.JPG", sample("quadrants-16x16.jpg"), QSize(16, 16), 8);
        row("photo.Jpeg", "photo.Jpeg", sample("quadrants-16x16.jpg"), QSize(16, 16), 8);
        row("PIC.BMP", "PIC.BMP", sample("quadrants-16x16.bmp"), QSize(16, 16), 0);
        row("ICON.ICO", "ICON.ICO", sample("quadrants-16x16.ico"), QSize(16, 16), 0);
        // The quadrants stored turned or mirrored, and tagged to show upright.
        for (int o = 1; o <= 8; ++o) {
            const auto stored = [o](const char* type) {
                return sample(QStringLiteral("oriented-%1.%2").arg(o).arg(QLatin1String(type)));
            };
            QTest::addRow("jpeg %d", o) << "o.jpg" << stored("jpg") << QSize(64, 48) << 8;
            QTest::addRow("webp %d", o) << "o.webp" << stored("webp") << QSize(64, 48) << 2;
            QTest::addRow("tiff %d", o) << "o.tif" << stored("tif") << QSize(64, 48) << 0;
            QTest::addRow("heic %d", o) << "o.heic" << stored("heic") << QSize(64, 48) << 12;
        }
    }
    void colours()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QSize, size);
        QFETCH(int, tolerance);
        const Picture picture = loadPicture(file(name, bytes));
        const bool grey = QByteArray(QTest::currentDataTag()).endsWith("grey");
        QCOMPARE(picture.size(), size);
        QVERIFY(quadrantsMatch(picture.fullImage(), tolerance, grey));
        const QImage preview = picture.scaledTo(QSize(21, 13));
        QCOMPARE(preview.size(), QSize(21, 13));
        QVERIFY(quadrantsMatch(preview, tolerance, grey));
    }

    void transparentIsWhite_data()
    {
        QTest::addColumn<QString>("name");
        for (const char* name :
             {"half-clear-32x16.png", "half-clear-32x16-16bit.png", "half-clear-32x16.webp",
              "half-clear-32x16.tif", "half-clear-32x16.gif", "half-clear-64x48.heic"})
            QTest::newRow(name) << QString(name);
    }
    void transparentIsWhite()
    {
        QFETCH(QString, name);
        const QImage image = loadPicture(file(name, sample(name))).fullImage();
        const int h = image.height() / 2;
        QVERIFY(!image.hasAlphaChannel());
        QVERIFY(colourDistance(image.pixel(image.width() / 4, h), qRgb(255, 255, 255)) <= 2);
        QVERIFY(colourDistance(image.pixel(3 * image.width() / 4, h), qRgb(220, 30, 40)) <= 12);
    }

    // Every PNG colour type and depth, with tRNS where the type allows it,
    // and the TIFF layouts Qt's reader refused or misread with the usual
    // ones: grid.png's samples (or a palette's first ones) as they show on
    // white, which on-white-*.png holds (samples/README.md tells how).
    void layouts_data()
    {
        // tolerance: more than 8 bits may round either way
        jftest::columns<QString, QString, int>("name", "onWhite", "tolerance");
        const auto add = [](const char* type, const char* name, const char* shown, int bits) {
            row(name, QStringLiteral("%1-%2.%3").arg(type, name, type[0] == 't' ? "tif" : "png"),
                QStringLiteral("on-white-%1-%2.png").arg(type, shown), int(bits > 8));
        };
        add("tiff", "rgb8-lzw", "rgb", 8);
        add("tiff", "rgb16-big-endian-unassociated", "rgb-unassociated", 16);
        add("tiff", "rgb-float-unassociated", "rgb-unassociated", 32);
        add("tiff", "rgb8-one-tile", "rgb", 8);
        add("tiff", "rgb8-tiles-planar", "rgb", 8);
        add("tiff", "rgb16-planar", "rgb", 16);
        add("tiff", "rgb8-associated", "rgb-associated", 8); // colours above alpha
        add("tiff", "rgb8-unassociated", "rgb-unassociated", 8);
        add("tiff", "rgb16-associated-tiles", "rgb-associated", 16);
        add("tiff", "grey8-associated-planar", "grey-associated", 8);
        add("tiff", "grey16-unassociated-planar", "grey-unassociated", 16);
        add("tiff", "grey2", "grey", 2);
        add("tiff", "grey4-inverted", "inverted-grey", 4);
        add("tiff", "rgb2", "rgb", 2);
        add("tiff", "rgb4-planar", "rgb", 4);
        add("tiff", "grey10", "grey", 10);
        add("tiff", "grey12-unassociated", "grey-unassociated", 12);
        add("tiff", "rgb12-tiles", "rgb", 12);
        add("tiff", "rgb14-associated-planar", "rgb-associated", 14);
        add("tiff", "rgb24", "rgb", 24);
        add("tiff", "grey32-inverted", "inverted-grey", 32);
        add("tiff", "cmyk8", "cmyk", 8);
        add("tiff", "cmyk16-planar", "cmyk", 16);
        add("tiff", "palette8", "rgb", 8);
        add("tiff", "palette16", "rgb", 16);
        for (const char* name :
             {"grey1", "grey2-trns", "grey4", "grey8-trns", "rgb8-trns", "palette-2-colours",
              "palette-4-colours", "palette-16-colours", "palette", "grey-alpha8", "rgba8"})
            add("png", name, name, 8);
        for (const char* name : {"grey16-trns", "rgb16", "rgb16-trns", "grey-alpha16", "rgba16"})
            add("png", name, name, 16);
    }
    void layouts()
    {
        QFETCH(QString, name);
        QFETCH(QString, onWhite);
        QFETCH(int, tolerance);
        const QImage shown = sampleImage(onWhite);
        const QImage image = loadPicture(file(name, sample(name))).fullImage();
        QCOMPARE(image.size(), shown.size());
        const QString apart = firstPixelApart(
            image, [&](int x, int y) { return shown.pixel(x, y); }, tolerance);
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
        const QString huge = file(QStringLiteral("huge.") + extension, QByteArray());
        QVERIFY(QFile::resize(huge, 1000LL * 1024 * 1024));
        QCOMPARE(loadError(huge), QStringLiteral("Picture file is too large (over 977 MB)"));
        QFile::remove(huge);
    }
};

QTEST_MAIN(TestPictureTypes)
#include "tst_picture_types.moc"
