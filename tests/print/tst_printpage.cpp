// Pages as the program lays them out and as they land in PDF files, measured
// with poppler (and Ghostscript, as CUPS's filters draw them): sizes, rings,
// picture types and their colours, calibration, and jobs that print nothing.
#include "CalibrationPage.h"
#include "ColourSamples.h"
#include "CoverPreview.h"
#include "CoverPrintJob.h"
#include "DataFileFormats.h"
#include "DataRow.h"
#include "DirectPdf.h"
#include "Errors.h"
#include "ExpectFailure.h"
#include "JpegDecoder.h"
#include "PageOutput.h"
#include "PicturePreview.h"
#include "PictureSamples.h"
#include "Preferences.h"
#include "PrintPage.h"
#include "PrintTestSupport.h"
#include "SheetWindow.h"
#include "TestPlatform.h"

#include <QApplication>
#include <QPainter>
#include <QPrinterInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>

using jf::CoverPreviewDialog;
using namespace printtest;
using namespace jf::test;

namespace {

const QColor kTeal(0, 128, 128); // the test picture; no border colour is near it

// An A4 page at 1200 dpi without margins holding `cover`.
jf::PrintPage pageWith(const jf::PlacedCover& cover)
{
    jf::PrintPage page;
    page.sheetPoints = QSizeF(595, 842);
    page.printableMm = QRectF(0, 0, 210, 297);
    page.covers.append(cover);
    return page;
}

// A JPEG file with its first segment of `marker` (APP0 0xe0 for JFIF, APP14
// 0xee for Adobe) taken out.
QByteArray withoutSegment(QByteArray file, uchar marker)
{
    for (qsizetype i = 2; i + 4 <= file.size() && uchar(file[i]) == 0xff;) {
        const uchar kind = uchar(file[i + 1]);
        const int length = (uchar(file[i + 2]) << 8) | uchar(file[i + 3]);
        if (kind == marker)
            return file.remove(i, 2 + length);
        if (kind == 0xda)
            break;
        i += 2 + length;
    }
    return file;
}

// A JPEG file decoded by libjpeg's own djpeg (which tells of damage, but
// draws what there is); null when it is missing.
QImage djpeg(const QString& file)
{
    QProcess p;
    p.start(QStringLiteral("djpeg"), {QStringLiteral("-ppm"), file});
    p.waitForFinished(30000);
    return QImage::fromData(p.readAllStandardOutput(), "PPM").convertToFormat(QImage::Format_RGB32);
}

// The difference of two pixels summed over their channels.
int difference(QRgb p, QRgb q)
{
    return qAbs(qRed(p) - qRed(q)) + qAbs(qGreen(p) - qGreen(q)) + qAbs(qBlue(p) - qBlue(q));
}

// The mean difference per channel of `a` within `box` and `b` from its
// corner.
double meanDifference(const QImage& a, const QImage& b, const QRect& box)
{
    double sum = 0;
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x)
            sum += difference(a.pixel(x, y), b.pixel(x - box.left(), y - box.top()));
    return sum / (3.0 * box.width() * box.height());
}

// The mean difference per channel between the picture on a rendered page
// (everything that is not white) and `expected` stretched to its size, a few
// pixels in from its edges.
double meanDifference(const QImage& page, const QImage& expected)
{
    const QRect box = boundsWhere(page, [](QRgb pixel) { return qGray(pixel) < 240; });
    if (box.width() < 20 || box.height() < 20)
        return 255;
    const QImage scaled =
        expected.scaled(box.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return meanDifference(page, scaled.copy(3, 3, box.width() - 6, box.height() - 6),
                          box.adjusted(3, 3, -3, -3));
}

} // namespace

Q_DECLARE_METATYPE(jf::Placement)

class TestPrintPage : public QObject
{
    Q_OBJECT

    // The previous job's colour (empty: none), the colour's name, the colour.
    using BorderRow = std::tuple<QString, QString, QColor>;
    // Height and width typed, the border, the orientation printed on (the
    // printer's is portrait), the picture in cover pixels (the page image 20
    // wider, 50 higher), the border's outer edge before the page image.
    using CoverRow = std::tuple<QString, QString, int, QPageLayout::Orientation, QRect, QRect>;
    // The file, whether it is embedded as it is (else drawn from its decoded
    // pixels).
    using JpegRow = std::tuple<QByteArray, bool>;
    // The placement, quarter-turned, the pixels per inch of the part that
    // prints (stretched: 69), the disc's border in cover pixels (-1: CD Back).
    using PlacedRow = std::tuple<jf::Placement, bool, int, int>;
    // Height and width typed, the message, whether the setup dialog is
    // confirmed, whether another job's pages are being made, the paper, the
    // PDF printer's file in the test's folder, the border colour.
    using NothingRow =
        std::tuple<QString, QString, QString, bool, bool, QPageSize::PageSizeId, QString, QString>;
    // The orientation, the picture in cover pixels.
    using CalibrationRow = std::tuple<QPageLayout::Orientation, QSize>;

    QTemporaryDir m_dir;
    jf::BorderColourMemory m_border;
    int m_files = 0;
    ScriptedPrinterSetup m_setup;

    QString pdfPath() { return m_dir.filePath(QStringLiteral("page%1.pdf").arg(++m_files)); }
    // A fresh PDF file the program's printer now writes.
    QString printTo(QPageLayout::Orientation orientation,
                    QPageSize::PageSizeId paper = QPageSize::A4)
    {
        const QString path = pdfPath();
        jf::currentPrinter().replace(pdfPrinter(path, orientation, paper));
        return path;
    }
    // A fresh PDF file holding `page` as the program writes it directly.
    QString written(const jf::PrintPage& page)
    {
        const QString path = pdfPath();
        jf::writeWholeFile(path, jf::directPdf({page}));
        return path;
    }
    // A fresh PDF file holding the cover the program's "Print Cover" printed.
    QString runJob(const QString& height, const QString& width, int border, const QString& colour,
                   QPageLayout::Orientation orientation = QPageLayout::Portrait,
                   const jf::Picture& picture = solidPicture(kTeal))
    {
        const QString path = printTo(orientation);
        jf::printCover(nullptr, {height, width, picture, std::uint8_t(border), colour, "Cover"},
                       m_border);
        return path;
    }

private slots:
    void init()
    {
        m_setup = ScriptedPrinterSetup();
        m_border = jf::BorderColourMemory();
        jf::platform().printerSetup = &m_setup;
    }
    void cleanup()
    {
        jf::currentPrinter().replace(nullptr);
        jf::platform().printerSetup = nullptr;
    }

    void borderColours_data()
    {
        const auto rows = jftest::rows<BorderRow>();
        const auto row = [&](const char* before, const char* name, QColor colour) {
            rows(qPrintable(QStringLiteral("'%1' after '%2'").arg(name, before)), before, name,
                 colour);
        };
        row("Red", "Yellow", QColor(255, 255, 0));
        row("Blue", "Red", QColor(255, 0, 0));
        row("Red", "Blue", QColor(0, 0, 255));
        row("Red", "Green", QColor(0, 255, 0));
        row("Red", "Black", QColor(0, 0, 0));
        row("Red", "Gray", QColor(128, 128, 128));
        // A name it does not know keeps the colour of the job before, gray at first.
        row("", "Purple", QColor(128, 128, 128));
        row("Red", "gray", QColor(255, 0, 0));
        row("Black", "Green ", QColor(0, 0, 0));
    }
    void borderColours()
    {
        const auto [before, name, colour] = jftest::fetch<BorderRow>();
        if (!before.isEmpty())
            m_border.rememberColourFor(before);
        const QString pdf = runJob(QStringLiteral("20"), QStringLiteral("20"), 4, name);
        QCOMPARE(m_border.current(), colour);

        // The border is a solid fill of exactly this colour, the page image
        // white around the ring.
        const jf::Paper paper = testPaper({210, 297}, 96);
        const jf::PrintPage page = jf::coverPage(jf::layoutCover(20, 20, 3, paper, std::nullopt),
                                                 paper, "CD", solidPicture(kTeal), colour, {});
        QImage image(40, 70, QImage::Format_RGB32); // one dot a cover pixel, on black
        image.fill(Qt::black);
        QPainter painter(&image);
        jf::paintPage(painter, page);
        painter.end();
        for (const auto& [at, expected] : {std::pair{QPoint(7, 7), colour},
                                           {QPoint(8, 20), colour},
                                           {QPoint(32, 32), colour},
                                           {QPoint(20, 20), kTeal},
                                           {QPoint(6, 6), QColor(Qt::white)},
                                           {QPoint(20, 60), QColor(Qt::white)}})
            QCOMPARE(image.pixelColor(at), expected);

        PRINTTEST_NEED_POPPLER();
        // On paper, the middle of the left ring: window x 6..10 -> 150 dpi dots 12.
        const QColor seen = renderPdf(pdf, 150, QSize(200, 200)).pixelColor(12, 60);
        QVERIFY2(near(seen.rgb(), colour, 12), qPrintable(seen.name()));
    }

    void coverOnPage_data()
    {
        const auto rows = jftest::rows<CoverRow>();
        const auto row = [&](const char* tag, const char* height, const char* width, int border,
                             QRect picture, QRect ring, bool turned = false) {
            rows(tag, height, width, border,
                 turned ? QPageLayout::Landscape : QPageLayout::Portrait, picture, ring);
        };
        // The worked example: about 120.65 mm square, 2.65 mm from the printable
        // area's corner, a 0.26 mm ring.
        row("CD 120, border 1", "120", "120", 1, {10, 10, 456, 456}, {9, 9, 458, 458});
        row("DVD, turned", "184", "270", 2, {10, 10, 1026, 699}, {8, 8, 1030, 703}, true);
        row("width 0: a bar of border", "120", "0", 2, {10, 10, 0, 456}, {8, 8, 4, 460});
        row("border 0: no ring", "121", "121", 0, {10, 10, 460, 460}, {10, 10, 460, 460});
        row("border 12: cut by the page image", "120", "120", 12, {10, 10, 456, 456},
            {-2, -2, 480, 480});
        row("both 0", "0", "0", 3, {10, 10, 0, 0}, {7, 7, 6, 6});
        row("fraction, blanks", " 12.1 ", "1", 1, {10, 10, 4, 46}, {9, 9, 6, 48});
    }
    // The page's rectangles in cover pixels (12.5 dots each at 1200 dpi): the
    // page image at the printable corner, the picture at (10, 10), the ring
    // around it cut off by the page image; and the same on paper at 600 dpi,
    // nothing but white beside the page image.
    void coverOnPage()
    {
        const auto [height, width, border, printedOn, picture, ring] = jftest::fetch<CoverRow>();
        const QRect area(0, 0, picture.width() + 20, picture.height() + 50);
        const QRect onPage = ring.intersected(area);
        const QString pdf = runJob(height, width, border, QStringLiteral("Red"));
        QVERIFY(QFileInfo(pdf).size() > 0);
        QCOMPARE(m_setup.calls, 1);
        // A table without a line for the printer changes nothing.
        jf::CalibrationTable calibration;
        calibration.set(QStringLiteral("Office"), {148.5, 101.0, 0, 0});
        const jf::PrintPage page = jf::prepareCoverPage(
            {height, width, solidPicture(kTeal), std::uint8_t(border), "Red", "Cover"}, m_border,
            &calibration);
        QCOMPARE(page.covers.size(), 1);
        const jf::CoverFrame& frame = page.covers[0].frame;
        for (const auto& [dots, pixels] :
             {std::pair{frame.area, area}, {frame.picture, picture}, {frame.border, onPage}})
            QVERIFY2(closeTo(dots,
                             QRectF(QPointF(pixels.topLeft()) * 12.5, QSizeF(pixels.size()) * 12.5),
                             1),
                     qPrintable(describe(dots)));
        QVERIFY(page.cutMarks.isEmpty());
        // The next setup dialog opens on the paper the cover printed on.
        QPageLayout::Orientation offered = QPageLayout::Portrait;
        m_setup.edit = [&](QPrinter& p) { offered = p.pageLayout().orientation(); };
        jf::setUpPrinter(nullptr);
        QCOMPARE(offered, printedOn);

        PRINTTEST_NEED_POPPLER();
        const bool portrait = printedOn == QPageLayout::Portrait;
        const QString info = pdfInfo(pdf);
        QVERIFY2(info.contains(portrait ? "595 x 842 pts (A4)" : "842 x 595 pts (A4)"),
                 qPrintable(info));
        const QImage paper = renderPdf(pdf, 600, portrait ? QSize(3200, 3300) : QSize(7000, 4900));
        QVERIFY(!paper.isNull());
        // Cover pixels are 1/96 inch.
        const QRect teal = boundsOf(paper, kTeal);
        for (const auto& [seen, expected] :
             {std::pair{teal, picture}, {boundsOf(paper, Qt::red), border > 0 ? onPage : QRect()}})
            QVERIFY2(closeTo(mmOf(seen, 600), mmOf(expected, 96), 0.085),
                     qPrintable(describe(seen) + " vs " + describe(expected)));
        if (border > 0 && !teal.isEmpty()) { // the ring as thick as it should be
            const int thick = countInRow(paper, teal.center().y(), 0, teal.left(), Qt::red);
            QVERIFY2(qAbs(thick - (picture.left() - onPage.left()) * 6.25) <= 2,
                     qPrintable(QString::number(thick)));
        }
        const QPoint beside = (QPointF(area.width(), area.height() / 2.0) * 6.25).toPoint();
        if (beside.x() + 3 < paper.width())
            QCOMPARE(countInRow(paper, beside.y(), beside.x() + 2, paper.width(), Qt::white, 3),
                     paper.width() - beside.x() - 2);
    }

    void fineDetailSurvives()
    {
        // Half a cover pixel per square: 3.125 dots at 600 dpi. A page drawn
        // through a 96 dpi image would keep none of it.
        PRINTTEST_NEED_POPPLER();
        QImage board(912, 912, QImage::Format_RGB32); // checked pixel by pixel, then doubled
        board.fill(Qt::white);
        QPainter(&board).fillRect(board.rect(), QBrush(Qt::black, Qt::Dense4Pattern));
        board = board.scaled(1824, 1824);
        const QString pdf =
            runJob("120", "120", 0, "Gray", QPageLayout::Portrait, jf::Picture::fromImage(board));
        const QImage page = renderPdf(pdf, 600, QSize(3000, 3000));
        QVERIFY(!page.isNull());
        // Count light/dark changes along a row through the picture.
        const auto dark = [&](int x) { return qGray(page.pixel(x, 1500)) < 128; };
        int changes = 0;
        for (int x = 71; x < 2900; ++x)
            changes += dark(x) != dark(x - 1) ? 1 : 0;
        // 2830 dots hold about 905 squares.
        QVERIFY2(changes > 800, qPrintable(QString::number(changes)));
    }

    void picturesPrintTheirColours_data()
    {
        addChartRows(false);
        const QList<QRgb> upright(std::begin(kQuadrantColours), std::end(kQuadrantColours));
        const QRgb white = qRgb(255, 255, 255), red = qRgb(220, 30, 40);
        using jftest::row;
        const QList<QRgb> clear{white, red, white, red};
        row("png, left half transparent", "clear.png", sample("half-clear-32x16.png"), clear);
        row("gif, left half transparent", "clear.gif", sample("half-clear-32x16.gif"), clear);
        row("jpeg as stored: embedded as it is", "plain.jpg", sample("quadrants-64x64.jpg"),
            upright);
        row("jpeg turned by its tag", "turned.jpg", sample("oriented-6.jpg"), upright);
        row("heic turned", "turned.heic", sample("oriented-8.heic"), upright);
        row("svg", "drawing.svg", sample("quadrants-40x30.svg"), upright);
    }
    // The picture, 120.65 mm square from 2.65 mm off the printable corner, as
    // 2 x 2 quadrants or the 4 x 4 patches of the colour chart: poppler, which
    // manages ICCBased colour, shows the colours the picture was made with.
    void picturesPrintTheirColours()
    {
        PRINTTEST_NEED_POPPLER();
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QList<QRgb>, expected);
        if (bytes.isEmpty())
            QSKIP("no encoder for this type here (libheif without HEVC encoder)");
        const jf::Picture picture = jf::loadPictureData(bytes, jf::pictureExtension(name));
        const QString pdf = runJob("120", "120", 1, "Black", QPageLayout::Portrait, picture);
        const QByteArray written = fileBytes(pdf);
        const int n = expected.size() == 16 ? 4 : 2;
        // A JPEG as stored goes in as it is, its profile beside it.
        if (QStringList{"plain.jpg", "chart.jpg", "grey.jpg"}.contains(name))
            QVERIFY(written.contains(bytes) &&
                    (n == 2 || written.contains("/ColorSpace [/ICCBased ")));

        const int dpi = 50;
        const QImage page = renderPdf(pdf, dpi, QSize(260, 260));
        QVERIFY(!page.isNull());
        const auto dot = [dpi](double mm) { return qRound(mm / 25.4 * dpi); };
        QList<QRgb> seen;
        for (int i = 0; i < n * n; ++i) {
            const double x = 2.65 + (i % n + 0.5) * 120.65 / n,
                         y = 2.65 + (i / n + 0.5) * 120.65 / n;
            seen << meanColour(
                page, QRect(QPoint(dot(x - 7), dot(y - 7)), QPoint(dot(x + 7), dot(y + 7))));
        }
        for (int q = 0; q < 4 && n == 2; ++q)
            QVERIFY2(colourDistance(seen[q], expected[q]) <= 20,
                     qPrintable(QStringLiteral("quadrant %1: %2").arg(q).arg(seen[q], 8, 16)));
        const ChartDifference d = chartDifference(seen, expected);
        qInfo("%s: mean dE76 %.2f, max %.2f", QTest::currentDataTag(), d.mean, d.max);
        QVERIFY2(n == 2 || (d.mean <= 1 && d.max <= 3),
                 qPrintable(QStringLiteral("patch %1: %2 instead of %3")
                                .arg(d.worst)
                                .arg(seen.value(d.worst), 6, 16)
                                .arg(expected.value(d.worst), 6, 16)));
    }

    void jpegsPrintAsEveryReaderDrawsThem_data()
    {
        const auto row = jftest::rows<JpegRow>();
        // Gentle shades, so that resampling barely shows next to wrong colours
        // or missing rows; about as many pixels as the cover has dots at 100 dpi.
        const QByteArray baseline = sample("shades.jpg");
        const QByteArray progressive = sample("shades-progressive.jpg");
        row("baseline, JFIF", baseline, true);
        row("progressive, JFIF", progressive, true);
        row("grey", sample("shades-grey.jpg"), true);
        row("ids 1 2 3, no marker", withoutSegment(baseline, 0xe0), true);
        row("RGB, Adobe marker", sample("shades-rgb.jpg"), true);
        row("ids R G B, no marker", withoutSegment(sample("shades-rgb.jpg"), 0xee), false);
        row("arithmetic", sample("shades-arithmetic.jpg"), false);
        row("progressive arithmetic", sample("shades-progressive-arithmetic.jpg"), false);
        row("cut in half", baseline.left(baseline.size() / 2), false);
        row("progressive, cut short", progressive.left(progressive.size() * 3 / 4), false);
        row("no end marker", baseline.chopped(2), false);
        QByteArray stray = baseline; // a restart marker out of place
        stray.insert(stray.size() * 2 / 3, QByteArray("\xff\xd3", 2));
        row("stray marker in the scan", stray, false);
    }
    // What CUPS prints (Ghostscript) and what a viewer shows (poppler) match
    // the picture as libjpeg's djpeg decodes it, whichever way it went in.
    void jpegsPrintAsEveryReaderDrawsThem()
    {
        const auto [bytes, embedded] = jftest::fetch<JpegRow>();
        QCOMPARE(jf::jpegPassesThrough(bytes), embedded);
        bool readClean = !embedded; // decoding the picture tells the same
        jf::decodeJpeg(bytes, 1, nullptr, {}, &readClean);
        QCOMPARE(readClean, embedded);
        const QString file = m_dir.filePath(QStringLiteral("shades%1.jpg").arg(++m_files));
        QVERIFY(jf::test::writeFile(file, bytes));
        for (const char* tool : {"gs", "djpeg", "qpdf"})
            if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty() || !havePoppler())
                QSKIP("Ghostscript, djpeg, qpdf or poppler-utils is not installed");

        const QString pdf =
            runJob("80", "120", 0, "Black", QPageLayout::Portrait, jf::loadPicture(file));
        QCOMPARE(fileBytes(pdf).contains(bytes), embedded);
        QVERIFY(outputOf({QStringLiteral("qpdf"), "--check", pdf})); // a sound file

        const QImage expected = djpeg(file);
        QVERIFY(!expected.isNull());
        const double poppler = meanDifference(renderPdf(pdf, 100), expected);
        const double ghostscript = meanDifference(renderWithGhostscript(pdf, 100), expected);
        QVERIFY2(
            poppler < 1 && ghostscript < 1,
            qPrintable(QStringLiteral("poppler %1, Ghostscript %2").arg(poppler).arg(ghostscript)));
    }

    void placedJpegPrintsAsPreviewed_data()
    {
        using F = jf::PictureFit;
        const auto row = jftest::rows<PlacedRow>();
        row("filled, zoomed and moved", jf::Placement{F::Fill, {0.3, 0.6, 2}}, false, 34, -1);
        row("fitted", jf::Placement{F::Fit, {}}, false, 80, -1);
        row("quarter-turned, filled", jf::Placement{F::Fill, {0.7, 0.4, 1.5}}, true, 46, -1);
        row("disc stretched", jf::Placement{}, false, 69, 0);
        row("disc filled, zoomed and moved", jf::Placement{F::Fill, {0.4, 0.6, 1.5}}, false, 46, 0);
        row("disc fitted", jf::Placement{F::Fit, {}}, false, 104, 0);
        row("disc stretched, with a border", jf::Placement{}, false, 69, 8);
    }
    // A 3:2 JPEG placed on CD Back (151 x 118 mm) or on a 117 mm disc with a
    // 41 mm hole, the border's edge an inch from the sheet's corner: it passes
    // through, its bytes unchanged, its resolution that of the part that
    // prints. At 96 dpi, one cover pixel a pixel, the preview shows what
    // Ghostscript and poppler draw of CD Back's page, as they draw the page
    // painted from its pixels. The disc's page, painted and in the PDF, shows
    // the preview's ring; outside it and in the hole the paper is white and the
    // panel shows through the preview; a border is a blue ring just outside.
    void placedJpegPrintsAsPreviewed()
    {
        const auto [placement, quarterTurned, pixelsPerInch, disc] = jftest::fetch<PlacedRow>();
        const int border = std::max(disc, 0);
        const QByteArray bytes = jf::test::sample("shades.jpg");
        const jf::Picture jpeg = jf::loadPictureData(bytes, QStringLiteral("jpg"));
        const QSize cover = disc < 0 ? QSize(574, 448) : QSize(445, 445);
        const jf::DiscSize discSize{QSizeF(117, 117), 41};
        const jf::CoverFrame frame = jf::coverFrame(
            {12.5, 12.5, 1200, 1200}, QPointF(border, border), cover, border, quarterTurned);
        const auto pageOf = [&](const jf::Picture& picture) {
            jf::PlacedCover placed{"Cover",   picture, frame,         Qt::blue,
                                   placement, {},      QSizeF(cover), {}};
            if (disc >= 0)
                jf::shapeAsDisc(placed, discSize);
            return pageWith(placed);
        };
        const jf::PrintPage through = pageOf(jpeg);
        QVERIFY(jf::passesThrough(through.covers[0]));
        QCOMPARE(through.pixelsPerInch(through.covers[0]), pixelsPerInch);
        const QString direct = written(through);
        QVERIFY(fileBytes(direct).contains(bytes));
        jf::PicturePreview preview;
        preview.resize(cover);
        preview.setCoverSize(QSizeF(cover));
        preview.setFit(placement.fit);
        preview.showPicture(jpeg, QStringLiteral("shades.jpg"));
        preview.setCrop(placement.crop);
        if (disc >= 0)
            preview.setDisc(discSize);
        QImage shown(cover, QImage::Format_RGB32);
        shown.fill(Qt::magenta); // the panel behind a disc's preview
        preview.render(&shown, QPoint(), QRegion(),
                       disc < 0 ? QWidget::DrawWindowBackground | QWidget::DrawChildren
                                : QWidget::RenderFlags(QWidget::DrawChildren));

        if (disc < 0) {
            if (QStandardPaths::findExecutable(QStringLiteral("gs")).isEmpty() || !havePoppler())
                QSKIP("Ghostscript or poppler-utils is not installed");
            const QString painted = printTo(QPageLayout::Portrait);
            jf::printPages({pageOf(jf::Picture::fromImage(jpeg.fullImage()))});
            // Mean difference per channel within the cover.
            const QRect box = QRectF(frame.area.topLeft() / 12.5, frame.area.size() / 12.5)
                                  .toRect()
                                  .adjusted(2, 2, -2, -2);
            const QImage drawn = renderPdf(direct, 96);
            QList<double> seen{meanDifference(drawn, renderPdf(painted, 96).copy(box), box),
                               meanDifference(renderWithGhostscript(direct, 96),
                                              renderWithGhostscript(painted, 96).copy(box), box)};
            if (!quarterTurned)
                seen << meanDifference(drawn, shown.copy(box.translated(-96, -96)), box);
            for (const double d : seen) // poppler, Ghostscript, the preview
                QVERIFY2(d < 2, qPrintable(QString::number(d)));
            return;
        }
        QList<QImage> printed{jf::renderPage(through, 96)};
        if (havePoppler())
            printed << renderPdf(direct, 96);
        // Two pixels clear of every edge: the ring, the hole, the border ring
        // and what lies beyond.
        const double radius = 222.5, hole = 41 / 117.0 * 445 / 2, outer = radius + border;
        for (const QImage& image : printed) {
            double sum = 0;
            int ring = 0, wrong = 0;
            for (int y = -border; y < 445 + border; ++y)
                for (int x = -border; x < 445 + border; ++x) {
                    const double d = std::hypot(x + 0.5 - radius, y + 0.5 - radius);
                    const QRgb p = image.pixel(96 + border + x, 96 + border + y);
                    const QRgb q = shown.pixel(std::clamp(x, 0, 444), std::clamp(y, 0, 444));
                    if (d > hole + 2 && d < radius - 2)
                        sum += difference(p, q), ++ring;
                    else if (d < hole - 2 || d > radius + 2) {
                        if (d < hole || d > outer + 2)
                            wrong += near(p, Qt::white, 8) ? 0 : 1;
                        else if (d < outer - 2)
                            wrong += near(p, Qt::blue, 40) ? 0 : 1;
                        const bool inPreview = x >= 0 && y >= 0 && x < 445 && y < 445;
                        wrong += !inPreview || near(q, Qt::magenta, 8) ? 0 : 1;
                    }
                }
            QVERIFY2(sum / (3.0 * ring) < 3, qPrintable(QString::number(sum / (3.0 * ring))));
            QCOMPARE(wrong, 0);
        }
    }

    void jobsThatPrintNothing_data()
    {
        const auto rows = jftest::rows<NothingRow>();
        const auto row = [&](const char* tag, const char* height, const char* width,
                             const QString& message, bool confirm = true, bool busy = false,
                             QPageSize::PageSizeId paper = QPageSize::A4,
                             const char* file = "x.pdf", const char* colour = "Red") {
            rows(tag, height, width, message, confirm, busy, paper, file, colour);
        };
        row("empty height", "", "120", "'' is not a valid floating point value");
        row("empty width", "120", "", "'' is not a valid floating point value");
        row("both bad: height named", "12a", "x", "'12a' is not a valid floating point value");
        row("9e99 height", "9e99", "120", "Invalid floating point operation");
        row("9e99 width", "120", "9e99", "Invalid floating point operation");
        row("negative height", "-5", "-1", "'-5' is not a valid size: sizes cannot be negative");
        row("negative width", "120", "-1e-300",
            "'-1e-300' is not a valid size: sizes cannot be negative");
        row("bad width beats big height", "9e99", "-", "'-' is not a valid floating point value");
        row("cancelled", "120", "120", "<no failure>", false);
        row("while printing", "120", "120", "Printing in progress", true, true);
        row("cancelled while printing", "120", "120", "<no failure>", false, true);
        row("too big either way round", "184", "270",
            "The cover needs 276.8 \u00d7 198.2 mm, but the printable area of A5 is 210.0 \u00d7 "
            "148.0 mm. Choose a larger paper in Printer Setup.",
            true, false, QPageSize::A5);
        row("far too big", "9999", "9999",
            "The cover needs 10058.4 \u00d7 10066.3 mm, but the printable area of A5 is 210.0 "
            "\u00d7 148.0 mm. Choose a larger paper in Printer Setup.",
            true, false, QPageSize::A5);
        row("file cannot be made", "120", "121", "Printer selected is not valid", true, false,
            QPageSize::A4, "missing/folder/x.pdf", "Gray");
    }
    // Twice: each time the setup dialog, then the message; no file, the border
    // colour as it was, the dialog's choice (landscape) kept unless cancelled or
    // another job runs, and no window shown or left behind.
    void jobsThatPrintNothing()
    {
        const auto [height, width, message, confirm, busy, paper, file, colour] =
            jftest::fetch<NothingRow>();
        m_setup.confirm = confirm;
        m_setup.edit = [](QPrinter& p) { p.setPageOrientation(QPageLayout::Landscape); };
        const QString pdf = m_dir.filePath(file);
        jf::currentPrinter().replace(pdfPrinter(pdf, QPageLayout::Portrait, paper));
        std::optional<jf::CurrentPrinter::JobMark> running;
        if (busy)
            running.emplace(jf::currentPrinter());
        for (int i = 0; i < 2; ++i)
            QCOMPARE(jftest::failureOf([&] {
                         jf::printCover(nullptr,
                                        {height, width, solidPicture(kTeal), 2, colour, "CD"},
                                        m_border);
                     }),
                     message);
        QCOMPARE(m_setup.calls, 2);
        if (busy && confirm) { // nothing else changes the printer or prints meanwhile
            QCOMPARE(jftest::failureOf([] { jf::setUpPrinter(nullptr); }), message);
            QCOMPARE(jftest::failureOf([] { jf::printPages({}); }), message);
        }
        QCOMPARE(m_border.current(), QColor(128, 128, 128));
        QVERIFY(!QFileInfo::exists(pdf));
        QCOMPARE(jf::currentPrinter().printer().pageLayout().orientation(),
                 confirm && !busy ? QPageLayout::Landscape : QPageLayout::Portrait);
        QCOMPARE(jf::currentPrinter().jobRunning(), busy);
        for (const QWidget* window : QApplication::topLevelWidgets())
            QVERIFY2(!window->isVisible(), window->metaObject()->className());
    }

    void noQueuePrintsToPdf()
    {
        if (!QPrinterInfo::availablePrinters().isEmpty())
            QSKIP("a print service with printers is running here");
        jf::currentPrinter().replace(nullptr);
        // The dialog opens on "Print to File (PDF)"; the user names the file.
        const QString path = m_dir.filePath(QStringLiteral("noqueue.pdf"));
        QPrinter::OutputFormat offered = QPrinter::NativeFormat;
        m_setup.edit = [&](QPrinter& p) {
            offered = p.outputFormat();
            p.setOutputFileName(path);
        };
        jf::setUpPrinter(nullptr);
        QCOMPARE(offered, QPrinter::PdfFormat);
        jf::printCover(nullptr, {"120", "120", solidPicture(kTeal), 1, "Red", "CD"}, m_border);
        QCOMPARE(m_setup.calls, 2);
        QVERIFY(QFileInfo(path).size() > 0);
    }

    void calibrationMovesTheSheetAsTheCover_data()
    {
        const auto row = jftest::rows<CalibrationRow>();
        row("CD Front, portrait", QPageLayout::Portrait, QSize(460, 460));
        row("CD Back, landscape", QPageLayout::Landscape, QSize(574, 448));
    }
    // One cover printed alone and on a sheet of its own, on a printer measured
    // as printing 148.5 x 101 mm, 2 mm right and 1 mm up: the correction moves
    // the picture on paper by the same amount either way. (How far, and how it
    // scales the picture, tst_printgeometry and tst_printcups measure.)
    void calibrationMovesTheSheetAsTheCover()
    {
        const auto [orientation, picture] = jftest::fetch<CalibrationRow>();
        PRINTTEST_NEED_POPPLER();
        // The picture on paper, millimetres from the sheet's corner.
        const auto landing = [&](bool onSheet, std::optional<jf::PrinterCorrection> c, int dpi) {
            const QString path = printTo(orientation);
            const jf::Paper paper = jf::paperOf(jf::currentPrinter().printer());
            const jf::Picture teal = solidPicture(kTeal);
            const auto alone = jf::layoutCover(picture.width(), picture.height(), 0, paper, c);
            jf::printPages(onSheet
                               ? jf::sheetPages(jf::arrangeSheet({{"CD", picture}}, 0, paper, c),
                                                paper, {"CD"}, {teal}, Qt::gray, false, c)
                               : QList{jf::coverPage(alone, paper, "CD", teal, Qt::gray, c)});
            return mmOf(boundsOf(renderPdf(path, dpi), kTeal), dpi);
        };
        const jf::PrinterCorrection measured{148.5, 101, 2, -1};
        const QPointF alone =
            landing(false, measured, 600).topLeft() - landing(false, std::nullopt, 600).topLeft();
        const QPointF sheet =
            landing(true, measured, 300).topLeft() - landing(true, std::nullopt, 300).topLeft();
        const QString seen =
            "alone moves " + QDebug::toString(alone) + ", on the sheet " + QDebug::toString(sheet);
        QVERIFY2(alone.manhattanLength() > 1.5, qPrintable(seen));
        QVERIFY2(qAbs(sheet.x() - alone.x()) < 0.2 && qAbs(sheet.y() - alone.y()) < 0.2,
                 qPrintable(seen));
    }

    // The calibration page: portrait when it fits, else turned, else refused;
    // the cover's orientation stays the printer's.
    void calibrationPageFitsThePaper()
    {
        const QString a5 = printTo(QPageLayout::Portrait, QPageSize::A5);
        QCOMPARE(jf::printCalibrationPage(QDate(2026, 12, 8)), jf::PaperOrientation::Landscape);
        QCOMPARE(jf::currentPrinter().printer().pageLayout().orientation(), QPageLayout::Portrait);
        printTo(QPageLayout::Landscape, QPageSize::A6);
        QCOMPARE(
            jftest::failureOf<jf::PrinterError>([] { jf::printCalibrationPage(); }),
            QStringLiteral("The calibration page needs 152.6 \u00d7 102.6 mm, but the printable "
                           "area of A6 is 105.0 \u00d7 148.0 mm. Choose a larger paper in "
                           "Printer Setup."));
        PRINTTEST_NEED_POPPLER();
        QVERIFY(pdfInfo(a5).contains(QLatin1String("595 x 420 pts")));
        // Its rectangle measures 150 x 100 mm, its corner where a cover's
        // picture starts: 10 cover pixels in.
        const QRectF box = mmOf(boundsOf(renderPdf(a5, 600), Qt::black, 100), 600);
        QVERIFY2(qAbs(box.width() - 150) < 0.1 && qAbs(box.height() - 100) < 0.1 &&
                     qAbs(box.left() - 10 / 3.8) < 0.1,
                 qPrintable(describe(box)));
    }

    // One page of a sheet (a teal and an orange cover, blue rings, cut
    // marks), as the print preview shows it, as the sheet window draws it and
    // as it lands in the PDF: the same at 100 dpi, within a pixel.
    void previewSheetAndPaperDrawTheSamePage()
    {
        PRINTTEST_NEED_POPPLER();
        const QString path = printTo(QPageLayout::Portrait);
        const jf::Paper paper = jf::paperOf(jf::currentPrinter().printer());
        const QColor orange(255, 128, 0);
        const QList<jf::SheetCover> covers{{"CD Front", QSize(460, 460)},
                                           {"CD Back", QSize(574, 448)}};
        const jf::SheetPlan plan = jf::arrangeSheet(covers, 3, paper, std::nullopt);
        const QList<jf::PrintPage> pages = jf::sheetPages(
            plan, paper, {"CD Front", "CD Back"}, {solidPicture(kTeal), solidPicture(orange)},
            Qt::blue, true, std::nullopt);
        QCOMPARE(pages.size(), 1);

        const CoverPreviewDialog preview(jf::currentPrinter().printer(), pages);
        // Each picture's resolution at its printed size, and what may blur.
        QCOMPARE(
            preview.resolutionNote(),
            QStringLiteral("CD Front: 10 pixels per inch\nCD Back: 10 pixels per inch\n"
                           "The picture of \"CD Front\" has 10 pixels per inch at this size and "
                           "may print blurred.\nThe picture of \"CD Back\" has 10 pixels per inch "
                           "at this size and may print blurred."));
        jf::SheetWindow window;
        window.showSheet({{}, pages, QString(), {}, {}});
        jf::printPages(pages);
        QVERIFY(fileBytes(path).contains("/PrintScaling /None"));

        const QImage printed = renderPdf(path, 100);
        for (const QImage& shown : {preview.pagePicture(100), window.pageImage(0, 100)}) {
            QVERIFY2(qAbs(shown.width() - printed.width()) <= 1 &&
                         qAbs(shown.height() - printed.height()) <= 1,
                     qPrintable(describe(shown.rect()) + " vs " + describe(printed.rect())));
            // Every colour lies at the same place within a pixel.
            for (const QColor colour : {kTeal, orange, QColor(Qt::blue)}) {
                const QRect a = boundsOf(shown, colour), b = boundsOf(printed, colour);
                QVERIFY2(!a.isNull() && closeTo(a, b, 1),
                         qPrintable(describe(a) + " vs " + describe(b)));
            }
            // The marks, thin grey lines at 100 dpi, span the same places.
            const auto grey = [](QRgb p) {
                return qRed(p) < 235 && qAbs(qRed(p) - qGreen(p)) < 12 &&
                       qAbs(qRed(p) - qBlue(p)) < 12;
            };
            const QRect a = boundsWhere(shown, grey), b = boundsWhere(printed, grey);
            QVERIFY2(!a.isNull() && closeTo(a, b, 2),
                     qPrintable(describe(a) + " vs " + describe(b)));
        }
    }

    // A cover turned a quarter clockwise, painted and passed through: its top
    // along the right edge either way.
    void quarterTurnedCoverBothWays()
    {
        PRINTTEST_NEED_POPPLER();
        const jf::Picture picture =
            jf::loadPictureData(sample("quadrants-400x300.jpg"), QStringLiteral("jpg"));
        // 60 x 80 mm on paper, its top-left corner 10 mm from the sheet's.
        const double scale = 0.2 * 1200 / 25.4, corner = 10 * 1200 / 25.4;
        const jf::PrintPage page =
            pageWith({"CD", picture,
                      jf::coverFrame({scale, scale, corner, corner}, QPointF(0, 0), QSize(400, 300),
                                     0, true),
                      Qt::black});
        QVERIFY(jf::passesThrough(page.covers[0]));
        const auto dot = [](double mm) { return qRound(mm / 25.4 * 100); };
        // The picture's quadrants: top left, top right, bottom left, bottom
        // right, turned: top right, bottom right, top left, bottom left.
        const QPoint at[] = {
            {dot(55), dot(30)}, {dot(55), dot(70)}, {dot(25), dot(30)}, {dot(25), dot(70)}};
        for (const QImage& drawn : {jf::renderPage(page, 100), renderPdf(written(page), 100)}) {
            for (int q = 0; q < 4; ++q)
                QVERIFY2(colourDistance(drawn.pixel(at[q]), kQuadrantColours[q]) <= 20,
                         qPrintable(QString::number(drawn.pixel(at[q]), 16)));
        }
    }

    void discsOnOneA4Sheet_data()
    {
        jftest::eitherWay("secondIsDisc", "a disc and CD Front", "two discs");
    }
    // Discs on an A4 sheet with cut marks on and a bleed: two fit one page,
    // each the square of its diameter; a disc does not bleed and has a grey
    // guide just outside its edge and one just inside its hole, no marks; the
    // other covers keep their bleed and marks.
    void discsOnOneA4Sheet()
    {
        QFETCH(bool, secondIsDisc);
        const jf::Paper paper = testPaper({210, 297}, 1200);
        const QSize disc(445, 445);
        const QList<jf::SheetCover> covers{
            {"CD Disk", disc, true},
            {"Second", secondIsDisc ? disc : QSize(460, 460), secondIsDisc}};
        const jf::SheetPlan plan = jf::arrangeSheet(covers, 0, paper, std::nullopt, 3);
        const std::optional<jf::DiscSize> size = jf::DiscSize{QSizeF(117, 117), 41};
        const QList<std::optional<jf::DiscSize>> discs{size, secondIsDisc ? size : std::nullopt};
        const auto pagesOf = [&](bool cutMarks) {
            return jf::sheetPages(plan, paper, {"CD Disk", "Second"},
                                  {solidPicture(kTeal), solidPicture(kTeal)}, Qt::black, cutMarks,
                                  std::nullopt, {}, discs);
        };
        const QList<jf::PrintPage> pages = pagesOf(true);
        QCOMPARE(pages.size(), 1);
        const jf::PrintPage& page = pages[0];
        QCOMPARE(page.covers.size(), 2);
        QCOMPARE(page.discGuides.size(), secondIsDisc ? 4 : 2);
        QCOMPARE(page.cutMarks.isEmpty(), secondIsDisc);
        QVERIFY(pagesOf(false)[0].discGuides.isEmpty());

        const QImage drawn = jf::renderPage(page, 100); // 12 dots a pixel
        for (const jf::PlacedCover& cover : page.covers) {
            QCOMPARE(cover.frame.area == cover.frame.picture, cover.ring.has_value());
            if (!cover.ring)
                continue;
            // Each guide 0.5 mm off the edge, and drawn: grey at its top.
            const double gap = 0.5 / 25.4 * 1200;
            for (const QRectF& guide : {cover.frame.picture.adjusted(-gap, -gap, gap, gap),
                                        cover.ring->hole.adjusted(gap, gap, -gap, -gap)}) {
                QVERIFY(std::any_of(page.discGuides.cbegin(), page.discGuides.cend(),
                                    [&](const QRectF& g) { return closeTo(g, guide, 0.01); }));
                const QRect top(int(guide.center().x() / 12), int(guide.top() / 12) - 1, 1, 3);
                QVERIFY(
                    !boundsWhere(drawn.copy(top), [](QRgb p) { return qGray(p) < 235; }).isNull());
            }
        }
    }
};

QTEST_MAIN(TestPrintPage)
#include "tst_printpage.moc"
