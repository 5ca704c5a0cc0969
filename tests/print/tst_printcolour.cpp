// Tagged pictures printed to a PDF file and rendered by poppler, which
// manages ICCBased colour: the page shows the colours of the sRGB chart the
// pictures were made from.
#include "ColourSamples.h"
#include "CoverPrintJob.h"
#include "Picture.h"
#include "PrintTestSupport.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

using namespace printtest;
using namespace jf::test;

class TestPrintColour : public QObject
{
    Q_OBJECT

private slots:
    void printedChartColours_data() { addChartRows(false); }
    void printedChartColours();

private:
    QTemporaryDir m_dir;
    ScriptedPrinterSetup m_setup;
};

void TestPrintColour::printedChartColours()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QList<QRgb>, expected);
    if (!havePoppler())
        QSKIP("poppler-utils not installed");
    if (bytes.isEmpty())
        QSKIP("no encoder for this type here (libheif without HEVC encoder)");
    const QString pdf = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()) + ".pdf");
    jf::currentPrinter().replace(pdfPrinter(pdf, QPageLayout::Portrait));
    jf::platform().printerSetup = &m_setup;
    jf::BorderColourMemory border;
    jf::printCover(nullptr,
                   {QStringLiteral("120"), QStringLiteral("120"),
                    jf::loadPictureData(bytes, jf::pictureExtension(name)), 0,
                    QStringLiteral("Black"), QStringLiteral("CD")},
                   border);
    jf::platform().printerSetup = nullptr;
    jf::currentPrinter().replace(nullptr);

    // A JPEG goes in as it is, its profile beside it.
    if (name.endsWith(QLatin1String(".jpg")) && name != QLatin1String("cmyk.jpg")) {
        QFile file(pdf);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray written = file.readAll();
        QVERIFY(written.contains(bytes));
        QVERIFY(written.contains("/ColorSpace [/ICCBased "));
    }

    // The picture: 120.65 mm square from 2.65 mm off the corner.
    const int dpi = 50;
    const QImage page = renderPdf(pdf, dpi, QSize(260, 260));
    QVERIFY(!page.isNull());
    const auto dot = [dpi](double mm) { return qRound(mm / 25.4 * dpi); };
    QList<QRgb> seen;
    for (int i = 0; i < 16; ++i) {
        const double x = 2.65 + (i % 4 + 0.5) * 120.65 / 4, y = 2.65 + (i / 4 + 0.5) * 120.65 / 4;
        seen << meanColour(page,
                           QRect(QPoint(dot(x - 7), dot(y - 7)), QPoint(dot(x + 7), dot(y + 7))));
    }
    const ChartDifference d = chartDifference(seen, expected);
    qInfo("%s: mean dE76 %.2f, max %.2f", QTest::currentDataTag(), d.mean, d.max);
    QVERIFY2(d.mean <= 1 && d.max <= 3,
             qPrintable(QStringLiteral("mean %1, max %2 at patch %3: %4 instead of %5")
                            .arg(d.mean)
                            .arg(d.max)
                            .arg(d.worst)
                            .arg(seen.value(d.worst), 6, 16)
                            .arg(expected.value(d.worst), 6, 16)));
}

QTEST_MAIN(TestPrintColour)
#include "tst_printcolour.moc"
