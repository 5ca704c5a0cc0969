// SVG pictures: what an SVG names outside itself is not read, and a
// compressed one is inflated no further than the ceiling.
#include "Errors.h"
#include "ExpectFailure.h"
#include "HangGuard.h"
#include "Picture.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

namespace {

// Blue on the left half; on the right half the picture `href` names.
QByteArray svgNaming(const QString& href, const QString& before = QString())
{
    return (before + QStringLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\" "
                                    "xmlns:xlink=\"http://www.w3.org/1999/xlink\" width=\"100\" "
                                    "height=\"100\" viewBox=\"0 0 100 100\"><rect width=\"50\" "
                                    "height=\"100\" fill=\"#0000ff\"/><image x=\"50\" width=\"50\" "
                                    "height=\"100\" xlink:href=\"%1\"/></svg>")
                         .arg(href))
        .toUtf8();
}

QByteArray greenPng()
{
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::green);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
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
    out.truncate(qsizetype(s.total_out));
    deflateEnd(&s);
    return out;
}

} // namespace

class TestSvg : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString write(const QString& name, const QByteArray& bytes)
    {
        QFile f(m_dir.filePath(name));
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return QString();
        f.write(bytes);
        return f.fileName();
    }

private slots:
    void outsidePicturesNotRead_data();
    void outsidePicturesNotRead();
    void compressedSvgBounded();
};

void TestSvg::outsidePicturesNotRead_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QRgb>("right"); // the colour of the right half
    QTest::newRow("system file") << "/etc/shadow" << qRgb(255, 255, 255);
    QTest::newRow("local picture") << "png" << qRgb(255, 255, 255);
    QTest::newRow("FIFO") << "fifo" << qRgb(255, 255, 255);
    QTest::newRow("FIFO as style sheet") << "fifo css" << qRgb(255, 255, 255);
    QTest::newRow("itself") << "self" << qRgb(255, 255, 255);
    QTest::newRow("embedded picture") << "data" << qRgb(0, 255, 0);
}

void TestSvg::outsidePicturesNotRead()
{
    QFETCH(QString, kind);
    QFETCH(QRgb, right);
    const jftest::HangGuard hang(20);
    const QString png = write("green.png", greenPng());
    const QString fifo = m_dir.filePath("pipe");
    ::unlink(fifo.toLocal8Bit().constData());
    QCOMPARE(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    const QString self = m_dir.filePath("self.svg");
    QByteArray svg;
    if (kind == "png")
        svg = svgNaming(png);
    else if (kind == "fifo")
        svg = svgNaming(fifo);
    else if (kind == "fifo css")
        svg = svgNaming(QString(),
                        QString("<?xml-stylesheet type=\"text/css\" href=\"%1\"?>").arg(fifo));
    else if (kind == "self")
        svg = svgNaming(self);
    else if (kind == "data")
        svg = svgNaming("data:image/png;base64," + QString::fromLatin1(greenPng().toBase64()));
    else
        svg = svgNaming(kind);
    write("self.svg", svg);

    // Nothing outside the SVG is opened.
    const int watch = ::inotify_init1(IN_NONBLOCK);
    QVERIFY(watch >= 0);
    ::inotify_add_watch(watch, png.toLocal8Bit().constData(), IN_OPEN);
    const QImage image = jf::loadPicture(self).fullImage();
    char events[4096];
    QCOMPARE(::read(watch, events, sizeof events), ssize_t(-1));
    ::close(watch);

    QCOMPARE(image.pixel(image.width() / 4, image.height() / 2), qRgb(0, 0, 255));
    QCOMPARE(image.pixel(image.width() * 3 / 4, image.height() / 2), right);
}

// A compressed SVG is checked while it inflates: 100 MB of blanks from a
// file of a few hundred KB are refused without taking them all.
void TestSvg::compressedSvgBounded()
{
    const jftest::HangGuard hang(20);
    const QByteArray small = svgNaming(QString());
    QCOMPARE(jf::loadPictureData(gzip(small), "svg").size().width() > 0, true);

    QByteArray bomb = small;
    bomb.insert(bomb.indexOf("<rect"), QByteArray(100 * 1024 * 1024, ' '));
    const QString path = write("bomb.svg", gzip(bomb));
    bomb.clear();
    QCOMPARE(jftest::failureOf([&] { jf::loadPicture(path); }),
             QString("SVG image is too large (over 64 MB uncompressed)"));
    QCOMPARE(jftest::failureOf([&] { jf::loadPictureData(gzip(small).left(40), "svg"); }),
             QString("SVG image is not valid"));
}

QTEST_MAIN(TestSvg)
#include "tst_svg.moc"
