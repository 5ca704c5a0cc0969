// Embedded colour descriptions: each picture type shows the colours of the
// sRGB chart its tagged file was made from; bad profiles are ignored.
#include "ColourSamples.h"
#include "Errors.h"
#include "HangGuard.h"
#include "Picture.h"
#include "PictureSamples.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <lcms2.h>

using namespace jf;
using namespace jf::test;

namespace {

QString describe(const QList<QRgb>& seen, const QList<QRgb>& expected, const ChartDifference& d)
{
    return QStringLiteral("mean dE %1, max %2 at patch %3: %4 instead of %5")
        .arg(d.mean, 0, 'f', 2)
        .arg(d.max, 0, 'f', 2)
        .arg(d.worst)
        .arg(seen.value(d.worst), 6, 16)
        .arg(expected.value(d.worst), 6, 16);
}

// A copy of `icc` changed by `edit` through Little CMS.
QByteArray editedProfile(const QByteArray& icc, void (*edit)(cmsHPROFILE))
{
    cmsHPROFILE profile = cmsOpenProfileFromMem(icc.constData(), cmsUInt32Number(icc.size()));
    edit(profile);
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(profile, nullptr, &size);
    QByteArray bytes(qsizetype(size), '\0');
    cmsSaveProfileToMem(profile, bytes.data(), &size);
    cmsCloseProfile(profile);
    return bytes;
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

private:
    QTemporaryDir m_dir;
};

void TestColour::previewShowsChartColours_data()
{
    addChartRows(true);
    // PNGs with a gamma alone take sRGB's primaries, as those naming them do
    // (samples/README.md tells how each was made).
    const auto sample = [](const char* name) {
        QFile file(qEnvironmentVariable("JF_SOURCE_DIR") + "/tests/picture/samples/" + name);
        if (!file.open(QIODevice::ReadOnly))
            qFatal("no sample %s", name);
        return file.readAll();
    };
    QList<QRgb> greys;
    for (const QRgb c : kChartColours)
        greys << qRgb(qGray(c), qGray(c), qGray(c));
    for (const char* name : {"chart-gama100.png", "chart-gama100-chrm.png", "chart-gama035.png",
                             "chart-gama035-chrm.png", "chart-gama45455.png", "grey-gama100.png"})
        QTest::newRow(name) << "a.png" << sample(name) << (name[0] == 'g' ? greys : kChartColours);
}

void TestColour::previewShowsChartColours()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QList<QRgb>, expected);
    if (bytes.isEmpty())
        QSKIP("no encoder for this type here (libheif without HEVC encoder)");
    const Picture picture = loadPictureData(bytes, pictureExtension(name));
    // A preview-sized copy: JPEGs decode at a reduced scale.
    const QList<QRgb> seen = chartPatches(picture.scaledTo(QSize(64, 64)));
    const ChartDifference d = chartDifference(seen, expected);
    qInfo("%s: mean dE76 %.2f, max %.2f", QTest::currentDataTag(), d.mean, d.max);
    QVERIFY2(d.mean <= 1 && d.max <= 3, qPrintable(describe(seen, expected, d)));
    // Untagged pictures stored without loss come out exactly as stored.
    if (name.startsWith(QLatin1String("plain.")) && !name.endsWith(QLatin1String(".jpg")) &&
        !name.endsWith(QLatin1String(".heic")))
        QCOMPARE(picture.fullImage().convertToFormat(QImage::Format_RGB32),
                 chartImage(kChartColours));
}

void TestColour::badProfilesAreIgnored_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("untagged"); // the same picture without a description

    const QByteArray p3 = displayP3Profile();
    const QImage stored = chartImage(fromSrgb(kChartColours, p3), 16);
    const QByteArray jpeg = buildJpeg(stored, JpegKind::Baseline);
    const auto withClass = [&p3](const char* deviceClass) {
        QByteArray icc = p3;
        icc.replace(12, 4, deviceClass);
        return icc;
    };
    // 5 MB: the profile's own size field says so, its tags are all there.
    QByteArray oversized = p3 + QByteArray(5 * 1024 * 1024, '\0');
    qToBigEndian(quint32(oversized.size()), oversized.data());
    // Every tag's data said to lie far beyond the end.
    QByteArray farTags = p3;
    for (quint32 i = 0; i < qFromBigEndian<quint32>(p3.constData() + 128); ++i)
        qToBigEndian(quint32(0x7ffffff0), farTags.data() + 128 + 4 + 12 * i + 4);
    const QByteArray noColorants = editedProfile(p3, [](cmsHPROFILE profile) {
        const cmsCIEXYZ zero = {0, 0, 0};
        for (const cmsTagSignature tag :
             {cmsSigRedColorantTag, cmsSigGreenColorantTag, cmsSigBlueColorantTag})
            cmsWriteTag(profile, tag, &zero);
    });

    QTest::newRow("jpeg, truncated")
        << "a.jpg" << jpegWithProfile(jpeg, p3.left(p3.size() / 2)) << jpeg;
    QTest::newRow("jpeg, oversized") << "a.jpg" << jpegWithProfile(jpeg, oversized) << jpeg;
    QTest::newRow("jpeg, device link class")
        << "a.jpg" << jpegWithProfile(jpeg, withClass("link")) << jpeg;
    QTest::newRow("jpeg, CMYK profile") << "a.jpg" << jpegWithProfile(jpeg, cmykProfile()) << jpeg;
    QTest::newRow("jpeg, grey profile")
        << "a.jpg" << jpegWithProfile(jpeg, linearGreyProfile()) << jpeg;
    QTest::newRow("jpeg, tags beyond the end") << "a.jpg" << jpegWithProfile(jpeg, farTags) << jpeg;
    QTest::newRow("jpeg, no colorants") << "a.jpg" << jpegWithProfile(jpeg, noColorants) << jpeg;
    QTest::newRow("jpeg, not a profile")
        << "a.jpg" << jpegWithProfile(jpeg, QByteArray(300, 'x')) << jpeg;
    QByteArray twoFirsts = jpegWithProfile(jpeg, p3, 200);
    twoFirsts[2 + (4 + 12 + 2 + 200) + 4 + 12] = 1; // the second chunk numbered 1 too
    QTest::newRow("jpeg, chunks numbered twice") << "a.jpg" << twoFirsts << jpeg;
    QTest::newRow("png, truncated")
        << "a.png" << pngWithProfile(stored, p3.left(200)) << buildPng(stored, 2, 8);
    QTest::newRow("webp, wrong class")
        << "a.webp" << webpWithProfile(stored, withClass("nmcl")) << buildWithQt(stored, "webp");
    QTest::newRow("tiff, truncated")
        << "a.tif" << buildTiff(stored, TiffLayout{}, p3.left(300)) << buildTiff(stored, {});
    QTest::newRow("bmp, no colorants")
        << "a.bmp" << bmpWithProfile(stored, noColorants) << bmpV5(stored, 0x73524742, {});
    const QString named = sampleFile(m_dir, QStringLiteral("p3.icc"), p3);
    QTest::newRow("bmp, profile named by path")
        << "a.bmp" << bmpV5(stored, 0x4c494e4b, QFile::encodeName(named) + '\0')
        << bmpV5(stored, 0x73524742, {});
    // The values as the file's colr box states them (libheif writes only
    // those it knows).
    const QByteArray heic =
        buildHeic(stored, 1, HeicColour{.icc = {}, .primaries = 12, .transfer = 13, .matrix = 6});
    const auto nclx = [&heic](int primaries, int transfer) {
        QByteArray file = heic;
        const qsizetype at = file.indexOf("nclx");
        if (at < 0)
            return QByteArray();
        qToBigEndian(quint16(primaries), file.data() + at + 4);
        qToBigEndian(quint16(transfer), file.data() + at + 6);
        return file;
    };
    QTest::newRow("heic, nclx primaries out of range") << "a.heic" << nclx(99, 13) << nclx(1, 13);
    QTest::newRow("heic, nclx transfer out of range") << "a.heic" << nclx(12, 99) << nclx(1, 13);
    QTest::newRow("heic, nclx transfer of HDR") << "a.heic" << nclx(9, 16) << nclx(1, 13);
}

void TestColour::badProfilesAreIgnored()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, untagged);
    if (bytes.isEmpty() || untagged.isEmpty())
        QSKIP("no encoder for this type here (libheif without HEVC encoder)");
    const jftest::HangGuard guard(30);
    const QString extension = pictureExtension(name);
    QCOMPARE(decoded(bytes, extension), decoded(untagged, extension));
}

QTEST_MAIN(TestColour)
#include "tst_colour.moc"
