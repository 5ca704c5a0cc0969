#include "DiscTrayPage.h"
#include "Errors.h"
#include "ExpectFailure.h"
#include "PageLayout.h"
#include "PageUnits.h"
#include "PrintTestSupport.h"
#include "TestPlatform.h"

#include <QTest>
#include <limits>

using namespace printtest;

class TestPrintGeometry : public QObject
{
    Q_OBJECT

    using O = jf::PaperOrientation;
    // The printer's dots per inch, the page image in dots, the picture in mm
    // from the printable corner.
    using PaperRow = std::tuple<int, QRectF, QRectF>;
    // The paper, its portrait sheet in mm, the orientation printed on, the
    // picture from the sheet's corner.
    using CalibratedRow = std::tuple<jf::Paper, QSizeF, O, QRectF>;
    // The page in points, what the driver does not take, hole and disc in mm.
    using TrayRow = std::tuple<double, QPointF, int, int>;
    // Millimetres, the pixels, the failure (empty: none).
    using PixelsRow = std::tuple<double, int, QString>;

private slots:
    // The worked example, CD 120 with a border of 1, at the printer's
    // resolution: its page image in whole dots, the picture where they fall.
    // The turned paper and the rectangles in cover pixels are checked where
    // the cover prints (tst_printpage).
    void coverOnPaper_data()
    {
        const auto row = jftest::rows<PaperRow>();
        row("600 dpi", 600, QRectF(0, 0, 2975, 3163), QRectF(2.6458, 2.6463, 120.65, 120.6691));
        row("300 dpi", 300, QRectF(0, 0, 1488, 1581), QRectF(2.6467, 2.6454, 120.6906, 120.6309));
    }
    void coverOnPaper()
    {
        const auto [dpi, page, pictureMm] = jftest::fetch<PaperRow>();
        const jf::PageLayout layout =
            jf::layoutCover(456, 456, 1, testPaper({210, 297}, dpi), std::nullopt);
        QCOMPARE(layout.pageInDots(), page);
        const QRectF mm = mmOf(layout.toDots(QRectF(layout.picture)), dpi);
        QVERIFY2(closeTo(mm, pictureMm, 0.001), qPrintable(describe(mm)));
    }

    // A printer measured to print the calibration rectangle 148.5 x 101 mm,
    // 2 mm right of and 1 mm above where it belongs. It places the portrait
    // sheet: a point sent p mm from the printable corner lands at margin +
    // offset + measured / nominal * p from the sheet's top-left corner,
    // whichever way the page lies on the sheet. The DVD picture (1026 x 699
    // pixels, 270 x 183.947 mm) must land where an exact printer would put
    // it, 2.632 mm (10 pixels) inside the printable corner of the page it is
    // printed on.
    void calibratedCoverLands_data()
    {
        const auto row = jftest::rows<CalibratedRow>();
        const QSizeF a4(210, 297), a3(297, 420);
        // Turned: the page's top lies along the sheet's left edge, the
        // picture's right end 2.632 mm from the sheet's top at 297 - 272.632 mm.
        row("DVD on A4, turned", testPaper(a4, 1200), a4, O::Landscape,
            QRectF(2.632, 24.368, 183.947, 270));
        row("DVD on A4, landscape chosen", testPaper(a4, 1200, 0, O::Landscape), a4, O::Landscape,
            QRectF(2.632, 24.368, 183.947, 270));
        row("DVD on A4 with 5 mm margins, turned", testPaper(a4, 1200, 5), a4, O::Landscape,
            QRectF(7.632, 19.368, 183.947, 270));
        row("DVD on A3, portrait", testPaper(a3, 1200, 0, O::Portrait, "A3"), a3, O::Portrait,
            QRectF(2.632, 2.632, 270, 183.947));
    }
    void calibratedCoverLands()
    {
        const auto [paper, sheet, printedOn, landed] = jftest::fetch<CalibratedRow>();
        const jf::PageLayout layout = jf::layoutCover(1026, 699, 0, paper, {{148.5, 101, 2, -1}});
        QCOMPARE(layout.orientation, printedOn);
        const QRectF page = mmOf(layout.toDots(QRectF(layout.picture)), 1200)
                                .translated(layout.printable.topLeft());
        // The picture as sent, on the portrait sheet: a landscape page's x runs
        // up from the sheet's bottom, its y across from the sheet's left.
        const QRectF sent = printedOn == O::Portrait
                                ? page
                                : QRectF(QPointF(page.top(), sheet.height() - page.right()),
                                         QPointF(page.bottom(), sheet.height() - page.left()));
        const QPointF corner = paper.printablePortrait.topLeft();
        const auto across = [&](double x) {
            return corner.x() + 2 + 148.5 / 150 * (x - corner.x());
        };
        const auto down = [&](double y) { return corner.y() - 1 + 101 / 100.0 * (y - corner.y()); };
        const QRectF seen(QPointF(across(sent.left()), down(sent.top())),
                          QPointF(across(sent.right()), down(sent.bottom())));
        QVERIFY2(closeTo(seen, landed, 0.05),
                 qPrintable("sent " + describe(sent) + ", lands " + describe(seen)));
    }

    void discTrayPageLands_data()
    {
        const auto row = jftest::rows<TrayRow>();
        row("5-inch disc page", 329.0, QPointF(), 41, 80);
        row("moved, no hole", 340.0, QPointF(1.5, -2.0), 0, 100);
    }
    // A disc printed on a tray: the page is the driver's disc page, the ring
    // centred on it but for the correction the driver does not take, with its
    // hole, and nothing of the picture outside the ring.
    void discTrayPageLands()
    {
        const auto [pagePoints, ringOffsetMm, holeMm, discMm] = jftest::fetch<TrayRow>();
        const QString across = QString::number(discMm);
        jf::CoverRequest cover{across, across, solidPicture(Qt::red), 2, "Black", "CD Disk"};
        cover.discHoleMm = holeMm;
        const jf::DiscJob job{{}, QSizeF(pagePoints, pagePoints), ringOffsetMm};
        const jf::PrintPage page = jf::discTrayPage(cover, job);
        QCOMPARE(page.sheetPoints, job.pagePoints);
        constexpr int dpi = 300;
        const QImage image = jf::renderPage(page, dpi);
        const QRect ring = boundsOf(image, Qt::red);
        const QPointF centre = QPointF(1, 1) * jf::pointsToMm(pagePoints) / 2 + ringOffsetMm;
        const QPointF off = mmOf(ring, dpi).center() - centre;
        QVERIFY(qAbs(off.x()) < 0.1 && qAbs(off.y()) < 0.1 &&
                qAbs(mmAt(ring.width(), dpi) - discMm) < 0.2);
        const QPoint middle = (centre * jf::dotsPerMm(dpi)).toPoint();
        QCOMPARE(image.pixelColor(middle) == Qt::red, holeMm == 0);
        QCOMPARE(image.pixelColor(ring.topLeft() + QPoint(2, 2)), QColor(Qt::white));
    }

    void coverSizesToPixels_data()
    {
        QTest::addColumn<PixelsRow>("row");
        // Every whole millimetre is 3.8 pixels, never an exact half.
        for (int mm = 0; mm <= 9999; ++mm)
            QTest::addRow("%d mm", mm) << PixelsRow(mm, (38 * mm + 5) / 10, QString());
        // The double 0.95 lies just below 0.95. Kept in extended precision,
        // 2.5 mm gives 9.4999999999999996 pixels and rounds down; in double
        // arithmetic the product would round to 9.5 and then up to 10. 3.8e9
        // pixels do not fit 32 bits: the low 32 bits remain.
        const double rows[][2] = {
            {2.5, 9}, {7.5, 28}, {-10, -38}, {1e9, 3800000000.0 - 4294967296.0}};
        for (const auto& [mm, pixels] : rows)
            QTest::addRow("%g mm", mm) << PixelsRow(mm, int(pixels), QString());
        // Out of range (2.5e18 is just past 2^63 pixels) or not a number.
        for (const double mm : {9e99, -9e99, 2.5e18, std::numeric_limits<double>::infinity(),
                                std::numeric_limits<double>::quiet_NaN()})
            QTest::addRow("%g mm", mm)
                << PixelsRow(mm, 0, QStringLiteral("Invalid floating point operation"));
    }
    void coverSizesToPixels()
    {
        const auto [mm, pixels, failure] = jftest::fetch<PixelsRow>();
        if (!failure.isEmpty())
            QCOMPARE(jftest::failureOf<jf::MathError>([&] { jf::mmToCoverPixels(mm); }), failure);
        else
            QCOMPARE(jf::mmToCoverPixels(mm), pixels);
    }
};

QTEST_APPLESS_MAIN(TestPrintGeometry)
#include "tst_printgeometry.moc"
