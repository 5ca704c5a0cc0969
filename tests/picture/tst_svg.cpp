// SVG pictures: what an SVG names outside itself is not read, and a
// compressed one is inflated no further than the ceiling.
#include "ExpectFailure.h"
#include "HangGuard.h"
#include "Picture.h"
#include "ScratchFolder.h"

#include <QBuffer>
#include <QFile>
#include <QTest>

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

namespace {

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

class TestSvg : public QObject, private jftest::ScratchFolder
{
    Q_OBJECT

private slots:
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
        QImage green(4, 4, QImage::Format_RGB32);
        green.fill(Qt::green);
        QByteArray png;
        QBuffer buffer(&png);
        QVERIFY(buffer.open(QIODevice::WriteOnly) && green.save(&buffer, "PNG"));
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
        const jftest::HangGuard hang(20);
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

QTEST_MAIN(TestSvg)
#include "tst_svg.moc"
