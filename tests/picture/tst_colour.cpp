// Embedded colour descriptions: each picture type shows the colours of the
// sRGB chart its tagged file was made from; bad profiles are ignored.
#include "ColourSamples.h"
#include "DataRow.h"
#include "Errors.h"
#include "HangGuard.h"
#include "Picture.h"
#include "PictureSamples.h"

#include <QFile>
#include <QTest>
#include <QtEndian>

using namespace jf;
using namespace jf::test;
using jftest::row;

namespace {

// `jpeg` with `icc` in APP2 "ICC_PROFILE" markers of `chunkBytes` each.
QByteArray jpegWithProfile(const QByteArray& jpeg, const QByteArray& icc, int chunkBytes = 65519)
{
    QByteArray markers;
    const int count = int((icc.size() + chunkBytes - 1) / chunkBytes);
    for (int i = 0; i < count; ++i) {
        const QByteArray part = icc.mid(qsizetype(i) * chunkBytes, chunkBytes);
        char length[2];
        qToBigEndian(quint16(2 + 14 + part.size()), length);
        markers += QByteArray("\xff\xe2", 2) + QByteArray(length, 2) +
                   QByteArray("ICC_PROFILE\0", 12) + char(i + 1) + char(count) + part;
    }
    return jpeg.left(2) + markers + jpeg.mid(2);
}

QImage decoded(const QByteArray& bytes, const QString& extension)
{
    return loadPictureData(bytes, extension).fullImage().convertToFormat(QImage::Format_RGB32);
}

} // namespace

class TestColour : public QObject
{
    Q_OBJECT

private slots:
    void previewShowsChartColours_data();
    void previewShowsChartColours();
    void badProfilesAreIgnored_data();
    void badProfilesAreIgnored();
};

void TestColour::previewShowsChartColours_data()
{
    addChartRows(true);
    // PNGs with a gamma alone take sRGB's primaries, as those naming them do
    // (samples/README.md tells how each was made).
    const QList<QRgb> greys = sampleColours("chart-greys.txt"); // qGray of each patch
    for (const char* name : {"chart-gama100.png", "chart-gama100-chrm.png", "chart-gama035.png",
                             "chart-gama035-chrm.png", "chart-gama45455.png", "grey-gama100.png"})
        QTest::newRow(name) << "a.png" << sample(name) << (name[0] == 'g' ? greys : chartColours());
}

void TestColour::previewShowsChartColours()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QList<QRgb>, expected);
    const Picture picture = loadPictureData(bytes, pictureExtension(name));
    // A preview-sized copy: JPEGs decode at a reduced scale.
    const QList<QRgb> seen = chartPatches(picture.scaledTo(QSize(64, 64)));
    const ChartDifference d = chartDifference(seen, expected);
    qInfo("%s: mean dE76 %.2f, max %.2f", QTest::currentDataTag(), d.mean, d.max);
    QVERIFY2(d.mean <= 1 && d.max <= 3, qPrintable(QStringLiteral("patch %1: %2 instead of %3")
                                                       .arg(d.worst)
                                                       .arg(seen.value(d.worst), 6, 16)
                                                       .arg(expected.value(d.worst), 6, 16)));
    // Untagged pictures stored without loss come out exactly as stored.
    if (name.startsWith(QLatin1String("plain.")) && !name.endsWith(QLatin1String(".jpg")) &&
        !name.endsWith(QLatin1String(".heic")))
        QCOMPARE(picture.fullImage().convertToFormat(QImage::Format_RGB32),
                 sampleImage(QStringLiteral("chart.png")).convertToFormat(QImage::Format_RGB32));
}

void TestColour::badProfilesAreIgnored_data()
{
    // untagged: the same picture without a description
    jftest::columns<QString, QByteArray, QByteArray>("name", "bytes", "untagged");

    // The chart in Display P3, with bad profiles or none.
    const QByteArray p3 = sample("display-p3.icc");
    const QByteArray jpeg = sample("chart16-p3.jpg");
    // 5 MB: the profile's own size field says so, its tags are all there.
    QByteArray oversized = p3 + QByteArray(5 * 1024 * 1024, '\0');
    qToBigEndian(quint32(oversized.size()), oversized.data());
    for (const auto& [tag, icc] : {std::pair{"truncated", p3.left(p3.size() / 2)},
                                   {"oversized", oversized},
                                   {"device link class", sample("display-p3-link-class.icc")},
                                   {"CMYK profile", sample("press-cmyk.icc")},
                                   {"grey profile", sample("linear-grey.icc")},
                                   {"tags beyond the end", sample("display-p3-far-tags.icc")},
                                   {"no colorants", sample("display-p3-no-colorants.icc")},
                                   {"not a profile", QByteArray(300, 'x')}})
        QTest::addRow("jpeg, %s", tag) << "a.jpg" << jpegWithProfile(jpeg, icc) << jpeg;
    row("jpeg, chunks numbered twice", "a.jpg", sample("chart16-p3-chunks-twice.jpg"), jpeg);
    row("png, truncated", "a.png", sample("chart16-p3-cut-profile.png"), sample("chart16-p3.png"));
    row("webp, wrong class", "a.webp", sample("chart16-p3-wrong-class.webp"),
        sample("chart16-p3.webp"));
    row("tiff, truncated", "a.tif", sample("chart16-p3-cut-profile.tif"), sample("chart16-p3.tif"));
    const QByteArray bmp = sample("chart16-p3.bmp"); // version 5 header, sRGB
    row("bmp, no colorants", "a.bmp", sample("chart16-p3-no-colorants.bmp"), bmp);
    // The colour space 'LINK': the profile data after the pixels is a path.
    QByteArray linked =
        bmp + QFile::encodeName(samplePath(QStringLiteral("display-p3.icc"))) + '\0';
    qToLittleEndian(quint32(0x4c494e4b), linked.data() + 14 + 56);
    qToLittleEndian(quint32(bmp.size() - 14), linked.data() + 14 + 112);
    qToLittleEndian(quint32(linked.size() - bmp.size()), linked.data() + 14 + 116);
    qToLittleEndian(quint32(linked.size()), linked.data() + 2);
    QTest::newRow("bmp, profile named by path") << "a.bmp" << linked << bmp;
    // The values as the file's colr box states them.
    for (const auto& [tag, values] : {std::pair{"primaries out of range", "99-13"},
                                      {"transfer out of range", "12-99"},
                                      {"transfer of HDR", "9-16"}})
        QTest::addRow("heic, nclx %s", tag)
            << "a.heic" << sample(QStringLiteral("chart16-p3-nclx-%1.heic").arg(values))
            << sample("chart16-p3-nclx-1-13.heic");
}

void TestColour::badProfilesAreIgnored()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, untagged);
    const jftest::HangGuard guard(30);
    const QString extension = pictureExtension(name);
    QCOMPARE(decoded(bytes, extension), decoded(untagged, extension));
}

QTEST_MAIN(TestColour)
#include "tst_colour.moc"
