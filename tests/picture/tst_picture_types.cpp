// PNG, WebP, TIFF, GIF, SVG and HEIC files through the loader: colours and
// size, transparency, orientation tags and refusals.
#include "Errors.h"
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

quint32 crc32(const QByteArray& bytes)
{
    quint32 crc = 0xffffffff;
    for (const char c : bytes) {
        crc ^= quint8(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xedb88320 & (0 - (crc & 1)));
    }
    return ~crc;
}

QByteArray pngClaiming(int width, int height)
{
    QByteArray png = buildWithQt(quadrantImage(8, 8), "png");
    qToBigEndian(quint32(width), png.data() + 16);
    qToBigEndian(quint32(height), png.data() + 20);
    qToBigEndian(crc32(png.mid(12, 17)), png.data() + 29);
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
        QTest::newRow("gif") << "g.gif" << buildGif(image) << QSize(40, 30) << 0;
        QTest::newRow("svg") << "h.svg" << buildSvg(40, 30) << QSize(2400, 1800) << 0;
        QTest::newRow("heic") << "i.heic" << buildHeic(quadrantImage(64, 48)) << QSize(64, 48)
                              << 12;
        QTest::newRow("heif") << "j.HEIF" << buildHeic(quadrantImage(64, 48)) << QSize(64, 48)
                              << 12;
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
