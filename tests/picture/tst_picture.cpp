// Every picture type through the loader: colours and size, transparency,
// orientation tags, scaling and drawing, and refusals. What an SVG names
// outside itself is not read, and a compressed one is inflated no further
// than the ceiling.
#include "DataRow.h"
#include "Errors.h"
#include "ExpectFailure.h"
#include "HangGuard.h"
#include "ImageReaderDecoder.h"
#include "JpegDecoder.h"
#include "Picture.h"
#include "PictureSamples.h"
#include "SafeFileIO.h"
#include "ScratchFolder.h"
#include "TextCodec.h"

#include <QDir>
#include <QElapsedTimer>
#include <QPainter>
#include <QTest>
#include <QtEndian>

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <jerror.h>
#include <jpeglib.h>
#include <zlib.h>

using namespace jf;
using namespace jf::test;
using jftest::row;

namespace {

// A small JPEG whose frame header claims `width` x `height`, for bombs and
// zero sizes.
QByteArray jpegClaiming(int width, int height, bool progressive = false)
{
    QByteArray file =
        sample(progressive ? "quadrants-96x64-progressive.jpg" : "quadrants-16x16.jpg");
    const qsizetype frame = file.indexOf(progressive ? "\xff\xc2" : "\xff\xc0");
    qToBigEndian(quint16(height), file.data() + frame + 5);
    qToBigEndian(quint16(width), file.data() + frame + 7);
    return file;
}

// libjpeg's own idea of the output size at scale eighths/8.
QSize libjpegScaledSize(const QByteArray& file, int eighths)
{
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(file.constData()),
                 static_cast<unsigned long>(file.size()));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.scale_num = static_cast<unsigned int>(eighths);
    cinfo.scale_denom = 8;
    jpeg_calc_output_dimensions(&cinfo);
    const QSize size(int(cinfo.output_width), int(cinfo.output_height));
    jpeg_destroy_decompress(&cinfo);
    return size;
}

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

// Blue on the left half; on the right half the picture `href` names.
QByteArray svgNaming(const QString& href, const QString& before = QString())
{
    return (before + QString("<svg xmlns=\"http://www.w3.org/2000/svg\" "
                             "xmlns:xlink=\"http://www.w3.org/1999/xlink\" viewBox=\"0 0 100 "
                             "100\"><rect width=\"50\" height=\"100\" fill=\"#0000ff\"/><image "
                             "x=\"50\" width=\"50\" height=\"100\" xlink:href=\"%1\"/></svg>")
                         .arg(href))
        .toUtf8();
}

QByteArray gzip(const QByteArray& data)
{
    z_stream s{};
    deflateInit2(&s, 9, Z_DEFLATED, 16 + MAX_WBITS, 9, Z_DEFAULT_STRATEGY);
    QByteArray out(qsizetype(deflateBound(&s, uLong(data.size()))), '\0');
    s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
    s.avail_in = uInt(data.size());
    s.next_out = reinterpret_cast<Bytef*>(out.data());
    s.avail_out = uInt(out.size());
    deflate(&s, Z_FINISH);
    deflateEnd(&s);
    return out.left(qsizetype(s.total_out));
}

} // namespace

class TestPicture : public QObject, private jftest::ScratchFolder
{
    Q_OBJECT

private slots:
    // The extension decides the loader, by the name alone: an unknown one is
    // refused whether the file exists or not, whatever it holds.
    void extension_data()
    {
        jftest::columns<QString, QString, bool>("path", "extension", "refused");
        row("plain", "/a/photo.jpg", "jpg", false);
        row("upper case kept", "/a/PHOTO.JPG", "JPG", false);
        row("last dot", "/a/x.tar.bmp", "bmp", false);
        row("relative", "photo.ico", "ico", false);
        row("no dot", "/a/photo", "", true);
        row("dot only in folder", "/a.jpg/photo", "", true);
        row("trailing dot", "/a/photo.", "", true);
        row("xcf", "/a.xcf", "xcf", true);
        row("case kept", "/a.Psd", "Psd", true);
        row("near miss", "/a.jpgx", "jpgx", true);
    }
    void extension()
    {
        QFETCH(QString, path);
        QFETCH(QString, extension);
        QFETCH(bool, refused);
        QCOMPARE(pictureExtension(path), extension);
        if (!refused)
            return;
        const QString message =
            QStringLiteral("Unknown picture file extension (.%1)").arg(extension);
        QCOMPARE(loadError(root() + path), message);
        QCOMPARE(loadError(file(QFileInfo(path).fileName(), sample("bmp-1bit.bmp"))), message);
    }

    // Missing, a folder or a pipe: refused by name, without blocking. A file
    // larger than any picture within the pixel ceiling needs: refused by its
    // size alone.
    void cannotOpen_data()
    {
        jftest::columns<QString, QString>("name", "message");
        const QString cannot("Cannot open file \"<path>\". ");
        for (const char* ext : {"bmp", "jpg", "jpeg", "ico", "wmf", "emf", "JPG"})
            row(ext, QStringLiteral("none.") + QLatin1String(ext),
                cannot + "No such file or directory");
        row("a folder", "folder.bmp", cannot + "Is a directory");
        row("a pipe", "pipe.jpg", cannot + "Not a regular file");
        row("1000 MB", "huge.heic", "Picture file is too large (over 977 MB)");
    }
    void cannotOpen()
    {
        QFETCH(QString, name);
        QFETCH(QString, message);
        const QString where = path(name);
        if (name.startsWith(QLatin1String("folder")))
            QVERIFY(QDir().mkpath(where));
        else if (name.startsWith(QLatin1String("pipe")))
            QCOMPARE(::mkfifo(QFile::encodeName(where).constData(), 0666), 0);
        else if (name.startsWith(QLatin1String("huge"))) // sparse: quick to make
            QVERIFY(QFile::resize(file(name, QByteArray()), 1000LL * 1024 * 1024));
        jftest::HangGuard guard(20);
        QCOMPARE(loadError(where), message.replace("<path>", where));
        QFile::remove(where);
    }

    void bitmapVariants_data()
    {
        jftest::columns<QString, int, int>("name", "colours", "tolerance");
        QTest::newRow("1 bit") << "bmp-1bit.bmp" << 2 << 0;
        QTest::newRow("4 bits") << "bmp-4bit.bmp" << 16 << 0;
        QTest::newRow("8 bits, short palette") << "bmp-8bit-short-palette.bmp" << 40 << 0;
        QTest::newRow("RLE4") << "bmp-rle4.bmp" << 16 << 0;
        QTest::newRow("RLE8") << "bmp-rle8.bmp" << 40 << 0;
        // 5 bits a channel: within half a step of 255/31.
        QTest::newRow("16 bits 5-5-5") << "bmp-16bit-555.bmp" << 40 << 4;
        QTest::newRow("16 bits 5-6-5 masks") << "bmp-16bit-565-masks.bmp" << 40 << 4;
        QTest::newRow("24 bits") << "bmp-24bit.bmp" << 40 << 0;
        QTest::newRow("24 bits top-down") << "bmp-24bit-top-down.bmp" << 40 << 0;
        QTest::newRow("32 bits") << "bmp-32bit.bmp" << 40 << 0;
        QTest::newRow("32 bits RGBX masks") << "bmp-32bit-rgbx-masks.bmp" << 40 << 0;
        QTest::newRow("OS/2 8 bits") << "bmp-os2-8bit.bmp" << 40 << 0;
        QTest::newRow("OS/2 24 bits") << "bmp-os2-24bit.bmp" << 40 << 0;
        QTest::newRow("V5 header 32 bits") << "bmp-v5-32bit.bmp" << 40 << 0;
    }
    void bitmapVariants()
    {
        QFETCH(QString, name);
        QFETCH(int, colours);
        QFETCH(int, tolerance);
        // Odd width: rows need padding; runs and single pixels for RLE. The
        // file's name is not UTF-8: it is reached by its bytes.
        const QImage pattern = sampleImage(QStringLiteral("pattern-%1.png").arg(colours));
        const QString where = decodeLocal8Bit(QFile::encodeName(root()) + "/caf\xe9.bmp");
        QCOMPARE(replaceFileContent(where, sample(name)), 0);
        const Picture picture = loadPicture(where);
        QCOMPARE(picture.size(), QSize(13, 7));
        const QImage image = picture.fullImage();
        QCOMPARE(image.size(), QSize(13, 7));
        const QString apart = firstPixelApart(
            image, [&](int x, int y) { return pattern.pixel(x, y); }, tolerance);
        QVERIFY2(apart.isEmpty(), qPrintable(apart));
        // Opaque throughout: dropping the alpha channel changes nothing.
        QCOMPARE(image.convertToFormat(QImage::Format_RGB32).convertToFormat(image.format()),
                 image);
    }

    void invalidFiles_data()
    {
        jftest::columns<QString, QByteArray, QString>("name", "bytes", "message");
        const auto tooLarge = [](qint64 w, qint64 h) {
            return QStringLiteral("Picture is too large (%1 x %2 pixels)").arg(w).arg(h);
        };

        // A damaged sample, loaded under its own name.
        const auto damaged = [](const char* tag, const char* name, const QString& message) {
            row(tag, QString(name), sample(name), message);
        };
        const QString bmpInvalid = QStringLiteral("Bitmap image is not valid");
        const QByteArray bmp24 = sample("bmp-24bit.bmp");
        const QByteArray rle8 = sample("bmp-rle8.bmp");
        row("bmp empty", "e.bmp", QByteArray(), bmpInvalid);
        row("bmp magic only", "m.bmp", QByteArray("BM"), bmpInvalid);
        row("bmp is a jpeg", "j.bmp", sample("quadrants-16x16.jpg"), bmpInvalid);
        row("bmp header cut", "h.bmp", bmp24.left(30), bmpInvalid);
        row("bmp pixels cut", "p.bmp", bmp24.left(bmp24.size() - 1), bmpInvalid);
        row("bmp rle cut", "r.bmp", rle8.left(rle8.size() - 12), bmpInvalid);
        // Headers only, claiming another size.
        damaged("bmp zero width", "bmp-claims-0x5.bmp", bmpInvalid);
        damaged("bmp zero height", "bmp-claims-5x0.bmp", bmpInvalid);
        damaged("bmp negative width", "bmp-claims-minus5x5.bmp", bmpInvalid);
        damaged("bmp 7 bits", "bmp-7bit.bmp", bmpInvalid);
        damaged("bmp split mask", "bmp-32bit-split-mask.bmp", bmpInvalid);
        damaged("bmp rle on 24 bits", "bmp-24bit-claims-rle8.bmp", bmpInvalid);
        damaged("bmp bomb", "bmp-claims-65500x65500.bmp", tooLarge(65500, 65500));
        damaged("bmp top-down bomb", "bmp-claims-65500x65500-top-down.bmp", tooLarge(65500, 65500));
        damaged("bmp just over the limit", "bmp-claims-16001x16000.bmp", tooLarge(16001, 16000));
        // Within the limit the size is accepted; the missing pixels are not.
        damaged("bmp at the limit, no pixels", "bmp-claims-16000x16000.bmp", bmpInvalid);

        const QString icoInvalid = QStringLiteral("Icon image is not valid");
        const QByteArray ico = sample("quadrants-16x16.ico");
        row("ico empty", "e.ico", QByteArray(), icoInvalid);
        row("ico garbage", "g.ico", QByteArray(100, 'x'), icoInvalid);
        row("ico is a bitmap", "b.ico", bmp24, icoInvalid);
        row("ico cut", "c.ico", ico.left(ico.size() / 2), icoInvalid);
        damaged("ico no images", "ico-no-images.ico", icoInvalid);
        // The inner bitmap header: 65500 wide, 2 x 65500 high.
        damaged("ico bomb", "ico-claims-65500x65500.ico", tooLarge(65500, 65500));
        // A PNG frame's sides are 32 bits each: their product overflowed.
        damaged("ico png bomb", "ico-png-claims-4294967295x4294967295.ico",
                tooLarge(4294967295, 4294967295));

        const auto jpegError = [](int code) { return QStringLiteral("JPEG error #%1").arg(code); };
        const QByteArray jpeg = sample("quadrants-32x32.jpg");
        row("jpeg empty", "e.jpg", QByteArray(), jpegError(JERR_INPUT_EMPTY));
        row("jpeg header cut", "cut.jpg", jpeg.left(100), jpegError(JERR_NO_IMAGE));
        row("jpeg not a jpeg", "b.jpg", bmp24, jpegError(JERR_NO_SOI));
        row("jpeg soi only", "s.jpg", jpeg.left(2), jpegError(JERR_NO_IMAGE));
        row("jpeg zero width", "zw.jpg", jpegClaiming(0, 16), jpegError(JERR_EMPTY_IMAGE));
        row("jpeg zero height", "zh.jpg", jpegClaiming(16, 0), jpegError(JERR_EMPTY_IMAGE));
        row("jpeg bomb", "bomb.jpg", jpegClaiming(65500, 65500), tooLarge(65500, 65500));
        row("jpeg progressive bomb", "pbomb.jpg", jpegClaiming(65500, 65500, true),
            tooLarge(65500, 65500));
        row("jpeg just over the limit", "over.jpg", jpegClaiming(16001, 16000),
            tooLarge(16001, 16000));

        const QString metafileInvalid = QStringLiteral("Metafile is not valid");
        row("wmf empty", "e.wmf", QByteArray(), metafileInvalid);
        row("wmf garbage", "g.wmf", QByteArray(200, '\x7f'), metafileInvalid);
        row("emf empty", "e.emf", QByteArray(), metafileInvalid);
        row("emf is a jpeg", "j.emf", jpeg, metafileInvalid);
        row("wmf header only", "h.wmf", sample("metafile-200x100.wmf").left(40), metafileInvalid);
        row("emf header only", "h.emf", sample("metafile-200x100.emf").left(88), metafileInvalid);
        row("wmf is an emf", "x.wmf", sample("metafile-200x100.emf"), metafileInvalid);

        // The types Qt's readers and libheif decode: empty, cut and bombs.
        for (const auto& [type, ext, whole] : {std::tuple{"PNG", "png", "quadrants-40x30.png"},
                                               {"WebP", "webp", "quadrants-40x30.webp"},
                                               {"TIFF", "tif", "quadrants-40x30.tif"},
                                               {"GIF", "gif", "quadrants-40x30.gif"},
                                               {"SVG", "svg", "quadrants-40x30.svg"},
                                               {"HEIC", "heic", "quadrants-64x48.heic"}}) {
            const QString invalid =
                QStringLiteral("%1 image is not valid").arg(QLatin1String(type));
            const QByteArray bytes = sample(whole);
            QTest::addRow("%s empty", type)
                << QStringLiteral("e.") + ext << QByteArray() << invalid;
            QTest::addRow("%s cut", type)
                << QStringLiteral("c.") + ext << bytes.left(bytes.size() / 2) << invalid;
        }
        row("png is a jpeg", "j.png", jpeg, "PNG image is not valid");
        row("svg not xml", "x.svg", QByteArray("GIF89a\x01\x02"), "SVG image is not valid");
        row("png bomb", "b.png", sample("png-65500x65500.png"), tooLarge(65500, 65500));
        row("png just over", "o.png", sample("png-16001x16000.png"), tooLarge(16001, 16000));
        row("webp bomb", "b.webp", sample("webp-16384x16384.webp"), tooLarge(16384, 16384));
        row("tiff bomb", "b.tif", sample("tiff-65500x65500.tif"), tooLarge(65500, 65500));
        row("gif bomb", "b.gif", sample("gif-65535x65535.gif"), tooLarge(65535, 65535));
        row("heic bomb", "b.heic", sample("heic-65500x65500.heic"), tooLarge(65500, 65500));
    }
    void invalidFiles()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(loadError(file(name, bytes)), message);
        // Bombs are refused from the header, at once.
        QVERIFY2(timer.elapsed() < 2000, "took too long");
    }

    void metafiles_data()
    {
        jftest::columns<QString, QByteArray>("name", "bytes");
        QTest::newRow("wmf") << "m.wmf" << sample("metafile-200x100.wmf");
        QTest::newRow("emf") << "m.emf" << sample("metafile-200x100.emf");
        QTest::newRow("upper-case WMF") << "M.WMF" << sample("metafile-200x100.wmf");
    }
    void metafiles()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        const Picture picture = loadPicture(file(name, bytes));
        // Drawn 2400 pixels along the longer side, in the frame's proportions
        // (give or take the converters' rounding of the frame).
        QCOMPARE(picture.size().width(), 2400);
        QVERIFY(std::abs(picture.size().height() - 1200) <= 12);
        const QImage image = picture.scaledTo(QSize(200, 100));
        for (const auto& [x, y, want] : {std::tuple{100, 50, qRgb(255, 0, 0)},
                                         {60, 30, qRgb(255, 0, 0)},
                                         {5, 5, qRgb(255, 255, 255)},
                                         {190, 90, qRgb(255, 255, 255)}})
            QVERIFY(colourDistance(image.pixel(x, y), want) <= 8);
    }

    void halfTruncatedJpeg()
    {
        // Reddish texture, so that the picture data outweighs the tables.
        const QByteArray jpeg = sample("texture-256x256.jpg");
        const Picture picture =
            loadPicture(file(QStringLiteral("half.jpg"), jpeg.left(jpeg.size() / 2)));
        const QImage full = picture.fullImage();
        QCOMPARE(full.size(), QSize(256, 256));
        const auto reddish = [](QRgb c) {
            return qRed(c) > 150 && qGreen(c) < 80 && qBlue(c) < 80;
        };
        QVERIFY(reddish(full.pixel(128, 2)));
        // What is missing comes out grey, and only warnings were met.
        QVERIFY(colourDistance(full.pixel(128, 250), qRgb(128, 128, 128)) <= 12);
        int fatalCode = -1;
        decodeJpeg(jpeg.left(jpeg.size() / 2), 8, &fatalCode);
        QCOMPARE(fatalCode, 0);

        QImage canvas(40, 30, QImage::Format_RGB32);
        canvas.fill(Qt::white);
        QPainter painter(&canvas);
        picture.draw(painter, QRectF(0, 0, 40, 30));
        painter.end();
        QVERIFY(reddish(canvas.pixel(20, 1)));
        QVERIFY(colourDistance(canvas.pixel(20, 28), qRgb(128, 128, 128)) <= 16);
    }

    void scaledToExactSize_data()
    {
        jftest::columns<QString, QByteArray, QSize>("name", "bytes", "target");
        const QByteArray jpeg = sample("quadrants-300x200.jpg");
        const QByteArray bmp = sample("quadrants-300x200.bmp");
        for (const QSize& target : {QSize(356, 243), QSize(195, 276), QSize(1, 1), QSize(37, 5),
                                    QSize(300, 200), QSize(900, 10)}) {
            const QString size = QStringLiteral(" %1x%2").arg(target.width()).arg(target.height());
            QTest::newRow(qPrintable(QStringLiteral("jpeg") + size)) << "s.jpg" << jpeg << target;
            QTest::newRow(qPrintable(QStringLiteral("bmp") + size)) << "s.bmp" << bmp << target;
        }
        // 16000 x 16000 is within the limit: it loads from the header alone,
        // and a preview decodes at 1/8 (2000 x 2000), mostly grey.
        row("jpeg claiming 16000x16000", "big.jpg", jpegClaiming(16000, 16000), QSize(100, 80));
    }
    void scaledToExactSize()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QSize, target);
        const Picture picture = loadPicture(file(name, bytes));
        const QImage first = picture.scaledTo(target);
        QCOMPARE(first.size(), target);
        // A repaint at the same size gets the cached image.
        QCOMPARE(picture.scaledTo(target).cacheKey(), first.cacheKey());
        // Copies share the cache.
        const Picture copy = picture;
        QCOMPARE(copy.scaledTo(target).cacheKey(), first.cacheKey());
        QVERIFY(picture.scaledTo(QSize(0, 10)).isNull());
    }

    void scaleChoice_data()
    {
        jftest::columns<QSize, QSize, int>("full", "target", "eighths");
        QTest::newRow("camera photo to preview") << QSize(6000, 4000) << QSize(356, 243) << 1;
        QTest::newRow("just covering at 1/2") << QSize(712, 486) << QSize(356, 243) << 4;
        QTest::newRow("one pixel short of 1/2") << QSize(710, 486) << QSize(356, 243) << 5;
        QTest::newRow("height decides") << QSize(800, 300) << QSize(356, 243) << 7;
        QTest::newRow("same size") << QSize(356, 243) << QSize(356, 243) << 8;
        QTest::newRow("enlarging") << QSize(100, 80) << QSize(356, 243) << 8;
        QTest::newRow("rounding up helps") << QSize(9, 9) << QSize(2, 2) << 1;
        QTest::newRow("odd widths") << QSize(17, 1) << QSize(5, 1) << 2;
        QTest::newRow("printer 1200 dpi") << QSize(6000, 4000) << QSize(12756, 8693) << 8;
        for (const QSize& s :
             {QSize(431, 363), QSize(1, 1), QSize(17, 9), QSize(65500, 3), QSize(1023, 767)})
            QTest::addRow("%dx%d to nothing", s.width(), s.height()) << s << QSize(0, 0) << 1;
    }
    void scaleChoice()
    {
        QFETCH(QSize, full);
        QFETCH(QSize, target);
        QFETCH(int, eighths);
        QCOMPARE(jpegScaleEighths(full, target), eighths);
        // The sizes libjpeg decodes to, each eighth.
        const QByteArray header = jpegClaiming(full.width(), full.height());
        for (int k = 1; k <= 8; ++k)
            QCOMPARE(jpegScaledSize(full, k), libjpegScaledSize(header, k));
        // Smallest covering: one eighth less would not cover.
        if (eighths > 1) {
            const QSize below = jpegScaledSize(full, eighths - 1);
            QVERIFY(below.width() < target.width() || below.height() < target.height());
        }
    }

    void drawFollowsDeviceTransform_data()
    {
        jftest::columns<QString, QByteArray, qreal, qreal>("name", "bytes", "scale", "rotation");
        const QByteArray jpeg = sample("quadrants-400x300.jpg");
        const QByteArray bmp = sample("quadrants-400x300.bmp");
        QTest::newRow("jpeg screen") << "d.jpg" << jpeg << 1.0 << 0.0;
        QTest::newRow("jpeg printer-like scale") << "d.jpg" << jpeg << 12.5 << 0.0;
        QTest::newRow("jpeg rotated") << "d.jpg" << jpeg << 2.0 << 90.0;
        QTest::newRow("bmp screen") << "d.bmp" << bmp << 1.0 << 0.0;
        QTest::newRow("bmp scaled") << "d.bmp" << bmp << 3.0 << 0.0;
    }
    void drawFollowsDeviceTransform()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(qreal, scale);
        QFETCH(qreal, rotation);
        const Picture picture = loadPicture(file(name, bytes));
        const QImage reference = picture.fullImage();
        const QSizeF logical(32, 24);
        const int side = qCeil(std::max(logical.width(), logical.height()) * scale) + 2;
        QImage canvas(side, side, QImage::Format_RGB32);
        canvas.fill(Qt::black);
        QPainter painter(&canvas);
        painter.translate(side / 2.0, side / 2.0);
        painter.rotate(rotation);
        painter.scale(scale, scale);
        painter.translate(-logical.width() / 2, -logical.height() / 2);
        picture.draw(painter, QRectF(QPointF(0, 0), logical));
        const QTransform toDevice = painter.deviceTransform();
        painter.end();
        // Sample well inside each quarter of the picture.
        for (const QPointF& f : {QPointF(0.25, 0.25), QPointF(0.75, 0.25), QPointF(0.25, 0.75),
                                 QPointF(0.75, 0.75), QPointF(0.4, 0.1)}) {
            const QPoint at =
                toDevice.map(QPointF(f.x() * logical.width(), f.y() * logical.height())).toPoint();
            const QRgb want =
                reference.pixel(int(f.x() * reference.width()), int(f.y() * reference.height()));
            QVERIFY2(colourDistance(canvas.pixel(at), want) <= 24,
                     qPrintable(QStringLiteral("at %1, %2").arg(at.x()).arg(at.y())));
        }
    }
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
        row("gif frame larger than screen", "s.gif", sample("gif-frame-over-screen.gif"), size, 0);
        row("svg", "h.svg", sample("quadrants-40x30.svg"), QSize(2400, 1800), 0);
        row("heic", "i.heic", sample("quadrants-64x48.heic"), QSize(64, 48), 12);
        row("heif", "j.HEIF", sample("quadrants-64x48.heic"), QSize(64, 48), 12);
        // Icons whose bitmaps have version 5 headers (ICON.ICO below: the usual).
        for (const char* name : {"icon-v5-24bit.ico", "icon-v5-4bit.ico"})
            row(name, "k.ico", sample(name), QSize(20, 16), 0);
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
    // white, which on-white-*.png holds (samples/README.md tells how); and
    // 16-bit bitmaps' white, which is white to the last bit.
    void layouts_data()
    {
        // tolerance: more than 8 bits may round either way
        jftest::columns<QString, QString, int>("name", "onWhite", "tolerance");
        // shown: empty: the file of the same name
        const auto add = [](const char* type, const QStringList& names, const QString& shown,
                            int bits) {
            for (const QString& name : names)
                row(qPrintable(name),
                    QStringLiteral("%1-%2.%3").arg(type, name, type[0] == 't' ? "tif" : "png"),
                    QStringLiteral("on-white-%1-%2.png").arg(type, shown.isEmpty() ? name : shown),
                    int(bits > 8));
        };
        add("tiff",
            {"rgb8-lzw", "rgb8-one-tile", "rgb8-tiles-planar", "rgb2", "rgb4-planar", "palette8"},
            "rgb", 8);
        add("tiff", {"rgb16-planar", "rgb12-tiles", "rgb24", "palette16"}, "rgb", 16);
        add("tiff", {"rgb8-unassociated"}, "rgb-unassociated", 8);
        add("tiff", {"rgb16-big-endian-unassociated", "rgb-float-unassociated"}, "rgb-unassociated",
            16);
        // Colours above alpha.
        add("tiff", {"rgb8-associated"}, "rgb-associated", 8);
        add("tiff", {"rgb16-associated-tiles", "rgb14-associated-planar"}, "rgb-associated", 16);
        add("tiff", {"grey8-associated-planar"}, "grey-associated", 8);
        add("tiff", {"grey16-unassociated-planar", "grey12-unassociated"}, "grey-unassociated", 16);
        add("tiff", {"grey2"}, "grey", 8);
        add("tiff", {"grey10"}, "grey", 16);
        add("tiff", {"grey4-inverted"}, "inverted-grey", 8);
        add("tiff", {"grey32-inverted"}, "inverted-grey", 16);
        add("tiff", {"cmyk8"}, "cmyk", 8);
        add("tiff", {"cmyk16-planar"}, "cmyk", 16);
        add("png",
            {"grey1", "grey2-trns", "grey4", "grey8-trns", "rgb8-trns", "palette-2-colours",
             "palette-4-colours", "palette-16-colours", "palette", "grey-alpha8", "rgba8"},
            "", 8);
        add("png", {"grey16-trns", "rgb16", "rgb16-trns", "grey-alpha16", "rgba16"}, "", 16);
        for (const char* name : {"white-555.bmp", "white-565.bmp"})
            row(name, QString(name), QStringLiteral("white-2x2.png"), 0);
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

    void missingReaderNamesTheType()
    {
        setReaderCheck([](const QByteArray& format) { return format != "webp"; });
        const QString message =
            loadError(file(QStringLiteral("m.webp"), sample("quadrants-40x30.webp")));
        setReaderCheck(nullptr);
        QCOMPARE(message, QStringLiteral("WebP pictures cannot be opened here: Qt's WebP image "
                                         "plugin is not installed"));
    }

    void outsidePicturesNotRead_data()
    {
        QTest::addColumn<QString>("kind");
        for (const char* kind :
             {"/etc/shadow", "green.png", "pipe", "pipe as style sheet", "self.svg", "embedded"})
            QTest::newRow(kind) << QString(kind);
    }

    // An outside file, a local picture, a FIFO (as picture or style sheet) and
    // the SVG itself are neither opened nor drawn; an embedded picture is.
    void outsidePicturesNotRead()
    {
        QFETCH(QString, kind);
        const jftest::HangGuard hang(20);
        const QByteArray png = sample("green-4x4.png");
        file("green.png", png);
        const QString fifo = path("pipe");
        QVERIFY(QFile::exists(fifo) || ::mkfifo(fifo.toLocal8Bit().constData(), 0600) == 0);
        QByteArray svg = svgNaming(kind.startsWith('/') ? kind : path(kind));
        if (kind == "pipe as style sheet")
            svg = svgNaming("",
                            QString("<?xml-stylesheet type=\"text/css\" href=\"%1\"?>").arg(fifo));
        else if (kind == "embedded")
            svg = svgNaming("data:image/png;base64," + QString::fromLatin1(png.toBase64()));

        const int watch = ::inotify_init1(IN_NONBLOCK);
        ::inotify_add_watch(watch, path("green.png").toLocal8Bit().constData(), IN_OPEN);
        const QImage image = jf::loadPicture(file("self.svg", svg)).fullImage();
        char events[4096];
        QCOMPARE(::read(watch, events, sizeof events), ssize_t(-1)); // nothing opened it
        ::close(watch);
        QCOMPARE(image.pixel(image.width() / 4, image.height() / 2), qRgb(0, 0, 255));
        QCOMPARE(image.pixel(image.width() * 3 / 4, image.height() / 2),
                 kind == "embedded" ? qRgb(0, 255, 0) : qRgb(255, 255, 255));
    }

    // 100 MB of blanks in a few hundred KB are refused while inflating.
    void compressedSvgBounded()
    {
        const jftest::HangGuard hang(60);
        const QByteArray small = svgNaming(QString());
        QVERIFY(!jf::loadPictureData(gzip(small), "svg").isNull());
        QByteArray bomb = small;
        bomb.insert(bomb.indexOf("<rect"), QByteArray(100 * 1024 * 1024, ' '));
        const QString bombFile = file("bomb.svg", gzip(bomb));
        bomb.clear();
        QCOMPARE(jftest::failureOf([&] { jf::loadPicture(bombFile); }),
                 QString("SVG image is too large (over 64 MB uncompressed)"));
        QCOMPARE(jftest::failureOf([&] { jf::loadPictureData(gzip(small).left(40), "svg"); }),
                 QString("SVG image is not valid"));
    }
};

QTEST_MAIN(TestPicture)
#include "tst_picture.moc"
