// Damaged files of every type through the loader and the preview: every one
// must either load and draw, or fail with one of the loader's messages.
// Meant to run under the address sanitizer too.
#include "DataRow.h"
#include "Errors.h"
#include "Picture.h"
#include "PictureSamples.h"
#include "ScratchFolder.h"

#include <QFileInfo>
#include <QPainter>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>

using namespace jf;
using namespace jf::test;

class TestPictureCorpus : public QObject, private jftest::ScratchFolder
{
    Q_OBJECT

    // Loads a damaged file; returns false (with a failure recorded) when it
    // misbehaved.
    bool tryDamaged(const QString& ext, const QByteArray& bytes, const QString& what)
    {
        static const QRegularExpression allowed(QStringLiteral(
            "^(Bitmap image is not valid|Icon image is not valid|Metafile is not valid|"
            "(PNG|WebP|TIFF|GIF|SVG|HEIC) image is not valid|"
            "JPEG error #[1-9][0-9]*|Picture is too large \\([0-9]+ x [0-9]+ pixels\\))$"));
        const QString wrong = [&]() -> QString {
            try {
                const Picture picture = loadPicture(file(QStringLiteral("damaged.") + ext, bytes));
                if (picture.isNull())
                    return "null picture";
                if (picture.scaledTo(QSize(37, 23)).size() != QSize(37, 23))
                    return "wrong preview size";
                // Full decodes only where a flipped size bit keeps them small.
                const QSize size = picture.size();
                if (qint64(size.width()) * size.height() <= 4'000'000 &&
                    picture.fullImage().size() != size)
                    return "full image of the wrong size";
                QImage canvas(20, 20, QImage::Format_RGB32);
                QPainter painter(&canvas);
                picture.draw(painter, QRectF(1.5, 2, 15, 13.5));
            } catch (const Error& e) {
                if (!allowed.match(e.message()).hasMatch())
                    return QStringLiteral("unexpected message \"%1\"").arg(e.message());
            }
            return QString();
        }();
        if (!wrong.isEmpty())
            qWarning("%s: %s", qPrintable(what), qPrintable(wrong));
        return wrong.isEmpty();
    }

private slots:
    void damaged_data()
    {
        jftest::columns<QString, QByteArray, int>("ext", "bytes", "flips");
        // The samples of each type and layout, cut and flipped: fewer times the
        // larger ones, and the metafiles, each converted in a child process.
        const QStringList many =
            QStringList{"quadrants-96x64.jpg", "quadrants-96x64-progressive.jpg",
                        "quadrants-96x64-grey.jpg", "quadrants-96x64-cmyk.jpg", "oriented-7.jpg"} +
            QStringList{"bmp-1bit.bmp",     "bmp-4bit.bmp",           "bmp-rle4.bmp",
                        "bmp-rle8.bmp",     "bmp-24bit.bmp",          "bmp-os2-8bit.bmp",
                        "bmp-v5-32bit.bmp", "bmp-16bit-565-masks.bmp"} +
            QStringList{"quadrants-16x16.ico", "quadrants-40x30.png", "quadrants-40x30-palette.png",
                        "oriented-6.webp",     "quadrants-40x30.tif", "quadrants-40x30.gif",
                        "oriented-5.heic"};
        const QStringList fewer{"tiff-rgb16-planar.tif", "tiff-rgb12-tiles.tif",
                                "png-rgb16-trns.png", "png-grey2-trns.png", "quadrants-40x30.svg"};
        for (const QString& name :
             many + fewer + QStringList{"metafile-200x100.wmf", "metafile-200x100.emf"})
            QTest::newRow(qPrintable(name)) << QFileInfo(name).suffix() << sample(name)
                                            << (many.contains(name)    ? 200
                                                : fewer.contains(name) ? 100
                                                                       : 30);
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
