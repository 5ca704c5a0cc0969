#include "Errors.h"
#include "ExpectFailure.h"
#include "PageLayout.h"
#include "PrintGeometry.h"

#include <QTest>
#include <limits>

class TestPrintGeometry : public QObject
{
    Q_OBJECT

private slots:
    void coverSizesToPixels_data();
    void coverSizesToPixels();
    void everyWholeMillimetreIsThreePointEight();
    void oversizedCountsKeepLowBits();
    void extendedPrecisionDecidesNearHalves();
    void outOfRangeIsInvalidOperation_data();
    void outOfRangeIsInvalidOperation();

    void coverOnPaper_data();
    void coverOnPaper();
};

namespace {

// A sheet with even margins; printable areas in both orientations.
jf::Paper sheet(const QString& name, QSizeF portrait, double margin, jf::PaperOrientation chosen,
                int dpi)
{
    jf::Paper paper;
    paper.name = name;
    const QSizeF area(portrait.width() - 2 * margin, portrait.height() - 2 * margin);
    paper.printablePortrait = QRectF(QPointF(margin, margin), area);
    paper.printableLandscape = QRectF(QPointF(margin, margin), area.transposed());
    paper.orientation = chosen;
    paper.dotsPerInchX = paper.dotsPerInchY = dpi;
    return paper;
}

} // namespace

void TestPrintGeometry::coverOnPaper_data()
{
    using O = jf::PaperOrientation;
    QTest::addColumn<int>("width"); // picture area, window pixels
    QTest::addColumn<int>("height");
    QTest::addColumn<jf::Paper>("paper");
    QTest::addColumn<QList<double>>("correction"); // empty: none
    QTest::addColumn<int>("printedOn");            // PaperOrientation
    QTest::addColumn<QRectF>("page");              // page image, dots
    QTest::addColumn<QRectF>("pictureMm");         // from the printable corner
    const QSizeF a4(210, 297);
    const QList<double> none;
    QTest::newRow("worked example, 600 dpi")
        << 456 << 456 << sheet("A4", a4, 0, O::Portrait, 600) << none << int(O::Portrait)
        << QRectF(0, 0, 2975, 3163) << QRectF(2.6458, 2.6463, 120.65, 120.6691);
    QTest::newRow("worked example, 300 dpi")
        << 456 << 456 << sheet("A4", a4, 0, O::Portrait, 300) << none << int(O::Portrait)
        << QRectF(0, 0, 1488, 1581) << QRectF(2.6467, 2.6454, 120.6906, 120.6309);
    QTest::newRow("DVD on A4 portrait: turned")
        << 1026 << 699 << sheet("A4", a4, 3.53, O::Portrait, 1200) << none << int(O::Landscape)
        << QRectF(0, 0, 13075, 9363) << QRectF(2.6458, 2.6460, 271.4625, 184.9536);
    // Measured 148.5 x 101 on portrait paper, printing 1 mm right and 2 mm
    // high: the short edge keeps 150 / 148.5 and the 1 mm either way round.
    const QList<double> measured{148.5, 101, 1, -2};
    QTest::newRow("calibrated, portrait")
        << 456 << 456 << sheet("A4", a4, 0, O::Portrait, 1200) << measured << int(O::Portrait)
        << QRectF() << QRectF(1.6481, 4.5857, 121.2121, 118.8119);
    QTest::newRow("calibrated, landscape")
        << 456 << 456 << sheet("A4", a4, 0, O::Landscape, 1200) << measured << int(O::Landscape)
        << QRectF() << QRectF(0.6253, 1.6481, 118.8119, 121.2121);
}

void TestPrintGeometry::coverOnPaper()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(jf::Paper, paper);
    QFETCH(QList<double>, correction);
    QFETCH(int, printedOn);
    QFETCH(QRectF, page);
    QFETCH(QRectF, pictureMm);
    std::optional<jf::PrinterCorrection> c;
    if (!correction.isEmpty())
        c = jf::PrinterCorrection{correction[0], correction[1], correction[2], correction[3]};
    const jf::PageLayout layout = jf::layoutCover(width, height, 1, paper, c);
    QCOMPARE(int(layout.orientation), printedOn);
    QCOMPARE(layout.turned, printedOn != int(paper.orientation));
    QCOMPARE(layout.picture, QRect(10, 10, width, height));
    QCOMPARE(layout.border, QRect(9, 9, width + 2, height + 2));
    if (!page.isNull())
        QCOMPARE(layout.pageInDots(), page);
    const QRectF dots = layout.toDots(QRectF(layout.picture));
    const double mmPerDot = 25.4 / paper.dotsPerInchX;
    const QRectF mm(dots.x() * mmPerDot, dots.y() * mmPerDot, dots.width() * mmPerDot,
                    dots.height() * mmPerDot);
    for (const auto& [seen, expected] : {std::pair{mm.x(), pictureMm.x()},
                                         {mm.y(), pictureMm.y()},
                                         {mm.width(), pictureMm.width()},
                                         {mm.height(), pictureMm.height()}})
        QVERIFY2(qAbs(seen - expected) < 0.001, qPrintable(QStringLiteral("%1,%2 %3x%4 mm")
                                                               .arg(mm.x())
                                                               .arg(mm.y())
                                                               .arg(mm.width())
                                                               .arg(mm.height())));
}

void TestPrintGeometry::coverSizesToPixels_data()
{
    QTest::addColumn<double>("mm");
    QTest::addColumn<int>("pixels");
    QTest::addColumn<int>("windowHeight");
    QTest::addColumn<int>("windowWidth");
    const int rows[][4] = {{0, 0, 50, 20},          {1, 4, 54, 24},
                           {12, 46, 96, 66},        {117, 445, 495, 465},
                           {118, 448, 498, 468},    {120, 456, 506, 476},
                           {121, 460, 510, 480},    {130, 494, 544, 514},
                           {151, 574, 624, 594},    {184, 699, 749, 719},
                           {265, 1007, 1057, 1027}, {270, 1026, 1076, 1046},
                           {280, 1064, 1114, 1084}, {9999, 37996, 38046, 38016}};
    for (const auto& r : rows)
        QTest::addRow("%d mm", r[0]) << double(r[0]) << r[1] << r[2] << r[3];
}

void TestPrintGeometry::coverSizesToPixels()
{
    QFETCH(double, mm);
    QFETCH(int, pixels);
    QFETCH(int, windowHeight);
    QFETCH(int, windowWidth);
    const int p = jf::mmToPixels(mm);
    QCOMPARE(p, pixels);
    QCOMPARE(p + jf::kHeightMargin, windowHeight);
    QCOMPARE(p + jf::kWidthMargin, windowWidth);
}

void TestPrintGeometry::everyWholeMillimetreIsThreePointEight()
{
    for (int mm = 0; mm <= 9999; ++mm) {
        const int expected = (38 * mm + 5) / 10; // never an exact half
        if (jf::mmToPixels(mm) != expected)
            QFAIL(qPrintable(QStringLiteral("%1 mm gave %2, expected %3")
                                 .arg(mm)
                                 .arg(jf::mmToPixels(mm))
                                 .arg(expected)));
    }
}

void TestPrintGeometry::oversizedCountsKeepLowBits()
{
    // 3.8e9 pixels do not fit 32 bits: the low 32 bits remain.
    QCOMPARE(jf::mmToPixels(1e9), std::int32_t(3800000000LL - 4294967296LL));
    QCOMPARE(jf::mmToPixels(-10), -38);
}

void TestPrintGeometry::extendedPrecisionDecidesNearHalves()
{
    // The double 0.95 lies just below 0.95. Kept in extended precision,
    // 2.5 mm gives 9.4999999999999996 pixels and rounds down; in double
    // arithmetic the product would round to 9.5 and then up to 10.
    QCOMPARE(jf::mmToPixels(2.5), 9);
    QCOMPARE(jf::mmToPixels(7.5), 28); // 28.4999...
}

void TestPrintGeometry::outOfRangeIsInvalidOperation_data()
{
    QTest::addColumn<double>("mm");
    QTest::newRow("9e99") << 9e99;
    QTest::newRow("-9e99") << -9e99;
    QTest::newRow("2.5e18 (just past 2^63 pixels)") << 2.5e18;
    QTest::newRow("infinity") << std::numeric_limits<double>::infinity();
    QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN();
}

void TestPrintGeometry::outOfRangeIsInvalidOperation()
{
    QFETCH(double, mm);
    QCOMPARE(jftest::failureOf<jf::MathError>([&] { jf::mmToPixels(mm); }),
             QStringLiteral("Invalid floating point operation"));
}

QTEST_APPLESS_MAIN(TestPrintGeometry)
#include "tst_printgeometry.moc"
