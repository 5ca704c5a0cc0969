// Damaged files of every type through the loader and the preview: every one
// must either load and draw, or fail with one of the loader's messages.
// Meant to run under the address sanitizer too.
#include "Errors.h"
#include "Picture.h"
#include "PictureSamples.h"

#include <QPainter>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace jf;
using namespace jf::test;

class TestPictureCorpus : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    // Loads a damaged file; returns false (with a failure recorded) when it
    // misbehaved.
    bool tryDamaged(const QString& ext, const QByteArray& bytes, const QString& what)
    {
        static const QRegularExpression allowed(QStringLiteral(
            "^(Bitmap image is not valid|Icon image is not valid|Metafile is not valid|"
            "(PNG|WebP|TIFF|GIF|SVG|HEIC) image is not valid|"
            "JPEG error #[1-9][0-9]*|Picture is too large \\([0-9]+ x [0-9]+ pixels\\))$"));
        const QString path = m_dir.filePath(QStringLiteral("damaged.") + ext);
        if (!writeFile(path, bytes)) {
            qWarning("cannot write %s", qPrintable(path));
            return false;
        }
        try {
            const Picture picture = loadPicture(path);
            if (picture.isNull()) {
                qWarning("%s: null picture", qPrintable(what));
                return false;
            }
            if (picture.scaledTo(QSize(37, 23)).size() != QSize(37, 23)) {
                qWarning("%s: wrong preview size", qPrintable(what));
                return false;
            }
            // Full decodes only where a flipped size bit keeps them small.
            const QSize size = picture.size();
            if (qint64(size.width()) * size.height() <= 4'000'000 &&
                picture.fullImage().size() != size) {
                qWarning("%s: full image of the wrong size", qPrintable(what));
                return false;
            }
            QImage canvas(20, 20, QImage::Format_RGB32);
            QPainter painter(&canvas);
            picture.draw(painter, QRectF(1.5, 2, 15, 13.5));
        } catch (const Error& e) {
            if (!allowed.match(e.message()).hasMatch()) {
                qWarning("%s: unexpected message \"%s\"", qPrintable(what),
                         qPrintable(e.message()));
                return false;
            }
        }
        return true;
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void damaged_data()
    {
        QTest::addColumn<QString>("ext");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("flips");
        QImage photo(40, 28, QImage::Format_RGB32);
        for (int y = 0; y < photo.height(); ++y)
            for (int x = 0; x < photo.width(); ++x)
                photo.setPixel(x, y, qRgb(x * 6, y * 9, (x + y) * 4));
        QTest::newRow("jpeg baseline") << "jpg" << buildJpeg(photo, JpegKind::Baseline, 80) << 200;
        QTest::newRow("jpeg progressive")
            << "jpg" << buildJpeg(photo, JpegKind::Progressive, 80) << 200;
        QTest::newRow("jpeg grey") << "jpg" << buildJpeg(photo, JpegKind::Grey, 80) << 200;
        QTest::newRow("jpeg cmyk") << "jpg" << buildJpeg(photo, JpegKind::CmykAdobe, 80) << 200;
        const Pattern pattern = makePattern(23, 11, 16);
        QTest::newRow("bmp 1 bit")
            << "bmp" << buildBmp(makePattern(23, 11, 2), BmpKind::Rgb1) << 200;
        QTest::newRow("bmp 4 bits") << "bmp" << buildBmp(pattern, BmpKind::Rgb4) << 200;
        QTest::newRow("bmp rle4") << "bmp" << buildBmp(pattern, BmpKind::Rle4) << 200;
        QTest::newRow("bmp rle8") << "bmp" << buildBmp(pattern, BmpKind::Rle8) << 200;
        QTest::newRow("bmp 16 bits") << "bmp" << buildBmp(pattern, BmpKind::Bitfields16) << 200;
        QTest::newRow("bmp 24 bits") << "bmp" << buildBmp(pattern, BmpKind::Rgb24) << 200;
        QTest::newRow("bmp os/2") << "bmp" << buildBmp(pattern, BmpKind::Os2Rgb8) << 200;
        QTest::newRow("bmp v5") << "bmp" << buildBmp(pattern, BmpKind::V5Rgb32) << 200;
        // Each metafile is converted in a child process: fewer cases.
        QTest::newRow("wmf") << "wmf" << buildWmf(300, 200) << 30;
        QTest::newRow("emf") << "emf" << buildEmf(300, 200) << 30;
        QTest::newRow("ico") << "ico" << buildIco(photo.copy(0, 0, 16, 16)) << 200;
        QTest::newRow("png") << "png" << buildWithQt(photo, "png") << 200;
        QTest::newRow("png palette")
            << "png" << buildWithQt(photo.convertToFormat(QImage::Format_Indexed8), "png") << 200;
        QTest::newRow("webp") << "webp" << webpWithOrientation(photo, 6) << 200;
        QTest::newRow("tiff") << "tif" << buildWithQt(photo, "tiff") << 200;
        TiffLayout planar16;
        planar16.bits = 16;
        planar16.planar = true;
        planar16.alpha = TiffAlpha::Associated;
        planar16.lzw = true;
        QTest::newRow("tiff 16 bits planar") << "tif" << buildTiff(photo, planar16) << 100;
        TiffLayout tiles12;
        tiles12.bits = 12;
        tiles12.tile = 16;
        QTest::newRow("tiff 12 bits tiles") << "tif" << buildTiff(photo, tiles12) << 100;
        QTest::newRow("png 16 bits trns")
            << "png" << buildPng(photo, 2, 16, photo.pixel(3, 3)) << 100;
        QTest::newRow("png grey 2 bits") << "png" << buildPng(photo, 0, 2) << 100;
        QTest::newRow("gif") << "gif" << buildGif(quadrantImage(40, 28)) << 200;
        QTest::newRow("svg") << "svg" << buildSvg(40, 28) << 100;
        QTest::newRow("jpeg with orientation") << "jpg" << jpegWithOrientation(photo, 7) << 200;
        const QByteArray heic = buildHeic(photo, 5);
        if (!heic.isEmpty())
            QTest::newRow("heic") << "heic" << heic << 200;
    }
    void damaged()
    {
        QFETCH(QString, ext);
        QFETCH(QByteArray, bytes);
        QFETCH(int, flips);
        int failures = 0;
        // Truncations: every length through the headers, then spread out.
        const qsizetype dense = flips < 100 ? 48 : 160;
        for (qsizetype n = 0; n < bytes.size(); n += n < dense ? 1 : bytes.size() / 40 + 1)
            failures += !tryDamaged(ext, bytes.left(n), QStringLiteral("cut at %1").arg(n));
        // Bit flips, mostly in the headers where they do the most harm.
        QRandomGenerator random(0x5eed + quint32(bytes.size()));
        for (int i = 0; i < flips; ++i) {
            QByteArray damaged = bytes;
            const int count = 1 + random.bounded(4);
            QString what = QStringLiteral("flips");
            for (int f = 0; f < count; ++f) {
                const qsizetype limit =
                    i % 2 ? bytes.size() : std::min<qsizetype>(bytes.size(), 200);
                const qsizetype at = random.bounded(int(limit));
                const int bit = random.bounded(8);
                damaged[at] = char(damaged[at] ^ (1 << bit));
                what += QStringLiteral(" %1:%2").arg(at).arg(bit);
            }
            failures += !tryDamaged(ext, damaged, what);
        }
        // Random bytes after a valid start.
        for (int i = 0; i < flips / 10; ++i) {
            QByteArray damaged = bytes.left(random.bounded(int(bytes.size())));
            for (int j = 0; j < 64; ++j)
                damaged.append(char(random.bounded(256)));
            failures += !tryDamaged(ext, damaged, QStringLiteral("garbage tail %1").arg(i));
        }
        QCOMPARE(failures, 0);
    }
};

QTEST_MAIN(TestPictureCorpus)
#include "tst_picture_corpus.moc"
