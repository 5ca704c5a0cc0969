#include "CalibrationPage.h"
#include "CoverPreview.h"
#include "CoverPrintJob.h"
#include "DataFileFormats.h"
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

#include <QApplication>
#include <QPainter>
#include <QPrinterInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>

using jf::CoverPreviewDialog;
using namespace printtest;

namespace {

const QColor kTeal(0, 128, 128); // the test picture; no border colour is near it

jf::Picture solidPicture(const QColor& colour, QSize size = QSize(64, 48))
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return jf::Picture::fromImage(image);
}

// A sheet without margins at `dpi`: at 96 one dot per cover pixel.
jf::Paper paperAt(int dpi)
{
    jf::Paper paper;
    paper.name = QStringLiteral("A4");
    paper.sizePointsPortrait = QSizeF(595, 842);
    paper.printablePortrait = QRectF(0, 0, 210, 297);
    paper.printableLandscape = QRectF(0, 0, 297, 210);
    paper.dotsPerInchX = paper.dotsPerInchY = dpi;
    return paper;
}

// An A4 page at 1200 dpi without margins holding `cover`.
jf::PrintPage pageWith(const jf::PlacedCover& cover)
{
    jf::PrintPage page;
    page.sheetPoints = paperAt(1200).sizePointsPortrait;
    page.printableMm = paperAt(1200).printablePortrait;
    page.covers.append(cover);
    return page;
}

// A cover's page painted at one dot per cover pixel from the printable
// corner, on black.
QImage pageImage(const jf::PrintPage& page, QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    jf::paintPage(painter, page);
    return image;
}

// Cover pixels to printer dots at 1200 dpi (12.5 a pixel).
QRectF coverToDots1200(const QRect& r)
{
    return QRectF(r.x() * 12.5, r.y() * 12.5, r.width() * 12.5, r.height() * 12.5);
}

bool closeTo(const QRectF& measured, const QRectF& expected, double dots)
{
    return qAbs(measured.left() - expected.left()) <= dots &&
           qAbs(measured.top() - expected.top()) <= dots &&
           qAbs(measured.right() - expected.right()) <= dots &&
           qAbs(measured.bottom() - expected.bottom()) <= dots;
}

// Cover pixels to dots of a 600 dpi rendering (1200 dpi printer: 12.5 dots
// per cover pixel, halved).
QRect coverToDots600(const QRect& r)
{
    if (r.isNull())
        return QRect();
    const auto at = [](int v) { return qRound(v * 6.25); };
    return QRect(QPoint(at(r.left()), at(r.top())),
                 QPoint(at(r.left() + r.width()) - 1, at(r.top() + r.height()) - 1));
}

bool closeTo(const QRect& measured, const QRect& expected, int dots)
{
    return qAbs(measured.left() - expected.left()) <= dots &&
           qAbs(measured.top() - expected.top()) <= dots &&
           qAbs(measured.right() - expected.right()) <= dots &&
           qAbs(measured.bottom() - expected.bottom()) <= dots;
}

QString describe(const QRect& r)
{
    return QStringLiteral("(%1,%2 %3x%4)").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

// How a JPEG goes onto the page.
enum class JpegRoute
{
    AsIs,   // its file embedded as it is
    Redrawn // drawn from its decoded pixels
};

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

// A JPEG file decoded by libjpeg's own djpeg; null when it is missing.
QImage djpeg(const QString& file)
{
    QProcess p;
    p.start(QStringLiteral("djpeg"), {QStringLiteral("-ppm"), file});
    if (!p.waitForFinished(30000))
        return QImage();
    return QImage::fromData(p.readAllStandardOutput(), "PPM").convertToFormat(QImage::Format_RGB32);
}

// The mean difference per channel between the picture on a rendered page
// (everything that is not white) and `expected` stretched to its size, a few
// pixels in from its edges.
double meanDifference(const QImage& page, const QImage& expected)
{
    int left = page.width(), top = page.height(), right = -1, bottom = -1;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            if (qGray(page.pixel(x, y)) < 240) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    const QRect box(QPoint(left, top), QPoint(right, bottom));
    if (box.width() < 20 || box.height() < 20)
        return 255;
    const QImage scaled =
        expected.scaled(box.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    double sum = 0;
    qint64 n = 0;
    for (int y = 3; y < box.height() - 3; ++y)
        for (int x = 3; x < box.width() - 3; ++x) {
            const QRgb a = page.pixel(box.x() + x, box.y() + y), b = scaled.pixel(x, y);
            sum +=
                qAbs(qRed(a) - qRed(b)) + qAbs(qGreen(a) - qGreen(b)) + qAbs(qBlue(a) - qBlue(b));
            n += 3;
        }
    return sum / double(n);
}

} // namespace

Q_DECLARE_METATYPE(JpegRoute)
Q_DECLARE_METATYPE(jf::Placement)

class TestPrintPage : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void borderColours_data();
    void borderColours();

    void jobSizesPageAndBorder_data();
    void jobSizesPageAndBorder();
    void pageMeasuredAt600Dpi_data();
    void pageMeasuredAt600Dpi();
    void workedExampleOnPaper();
    void fineDetailSurvives();
    void borderColourCarriesOver();
    void pictureTypesOnPaper_data();
    void pictureTypesOnPaper();
    void jpegsPrintAsEveryReaderDrawsThem_data();
    void jpegsPrintAsEveryReaderDrawsThem();
    void croppedJpegPrintsAsPreviewed_data();
    void croppedJpegPrintsAsPreviewed();

    void badSizesPrintNothing_data();
    void badSizesPrintNothing();
    void cancelTwicePrintsNothing();
    void secondJobWhilePrinting();
    void invalidPrinterShowsNoWindow();
    void noQueuePrintsToPdf();
    void coverFitsThePaper();
    void previewSheetAndPaperDrawTheSamePage();
    void quarterTurnedCoverBothWays();
    void discPrintsAsPreviewed_data();
    void discPrintsAsPreviewed();
    void discsOnOneA4Sheet_data();
    void discsOnOneA4Sheet();

    void calibrationPageMeasures();
    void correctedCoverMeasures();
    void calibrationMovesTheSheetAsTheCover_data();
    void calibrationMovesTheSheetAsTheCover();

private:
    QString runJob(const QString& height, const QString& width, int border, const QString& colour,
                   QPageLayout::Orientation orientation = QPageLayout::Portrait,
                   const jf::Picture& picture = solidPicture(kTeal));

    QTemporaryDir m_dir;
    jf::BorderColourMemory m_border;
    int m_files = 0;
    ScriptedPrinterSetup m_setup;
};

void TestPrintPage::init()
{
    m_setup.confirm = true;
    m_setup.calls = 0;
    m_setup.edit = nullptr;
    m_border = jf::BorderColourMemory();
    jf::platform().printerSetup = &m_setup;
}

void TestPrintPage::cleanup()
{
    jf::currentPrinter().replace(nullptr);
    jf::platform().printerSetup = nullptr;
}

QString TestPrintPage::runJob(const QString& height, const QString& width, int border,
                              const QString& colour, QPageLayout::Orientation orientation,
                              const jf::Picture& picture)
{
    const QString path = m_dir.filePath(QStringLiteral("page%1.pdf").arg(++m_files));
    jf::currentPrinter().replace(pdfPrinter(path, orientation));
    jf::printCover(nullptr, {height, width, picture, std::uint8_t(border), colour, "Cover"},
                   m_border);
    return path;
}

void TestPrintPage::borderColours_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("Yellow") << "Yellow" << QColor(255, 255, 0);
    QTest::newRow("Red") << "Red" << QColor(255, 0, 0);
    QTest::newRow("Blue") << "Blue" << QColor(0, 0, 255);
    QTest::newRow("Green") << "Green" << QColor(0, 255, 0);
    QTest::newRow("Black") << "Black" << QColor(0, 0, 0);
    QTest::newRow("Gray") << "Gray" << QColor(128, 128, 128);
}

void TestPrintPage::borderColours()
{
    QFETCH(QString, name);
    QFETCH(QColor, colour);
    QCOMPARE(jf::namedBorderColour(name), std::optional<jf::Rgb>(colour.rgb()));

    // Gray at first; set after another colour, the border is a solid fill of
    // exactly this one.
    jf::BorderColourMemory memory;
    QCOMPARE(memory.current(), QColor(128, 128, 128));
    memory.rememberColourFor(QLatin1String(name == QLatin1String("Red") ? "Blue" : "Red"));
    QCOMPARE(memory.rememberColourFor(name), colour);
    const jf::Paper paper = paperAt(96);
    const jf::PrintPage page = jf::coverPage(jf::layoutCover(20, 20, 3, paper, std::nullopt), paper,
                                             "CD", solidPicture(kTeal), colour, {});
    const QImage image = pageImage(page, QSize(40, 70));
    for (const QPoint at : {QPoint(7, 7), QPoint(8, 20), QPoint(32, 32)})
        QCOMPARE(image.pixelColor(at), colour);
    QCOMPARE(image.pixelColor(20, 20), kTeal);
    // The page image is white around the ring.
    QCOMPARE(image.pixelColor(6, 6), QColor(Qt::white));
    QCOMPARE(image.pixelColor(20, 60), QColor(Qt::white));
}

void TestPrintPage::jobSizesPageAndBorder_data()
{
    QTest::addColumn<QString>("height");
    QTest::addColumn<QString>("width");
    QTest::addColumn<int>("border");
    QTest::addColumn<QSize>("window");
    QTest::addColumn<QRect>("picture");
    QTest::addColumn<QRect>("borderRect");
    QTest::newRow("CD 120, border 2")
        << "120"
        << "120" << 2 << QSize(476, 506) << QRect(10, 10, 456, 456) << QRect(8, 8, 460, 460);
    QTest::newRow("DVD") << "184"
                         << "270" << 1 << QSize(1046, 749) << QRect(10, 10, 1026, 699)
                         << QRect(9, 9, 1028, 701);
    QTest::newRow("border 0") << "121"
                              << "121" << 0 << QSize(480, 510) << QRect(10, 10, 460, 460)
                              << QRect(10, 10, 460, 460);
    QTest::newRow("border 12") << "120"
                               << "120" << 12 << QSize(476, 506) << QRect(10, 10, 456, 456)
                               << QRect(-2, -2, 480, 480);
    QTest::newRow("both 0") << "0"
                            << "0" << 3 << QSize(20, 50) << QRect(10, 10, 0, 0)
                            << QRect(7, 7, 6, 6);
    QTest::newRow("fraction, blanks")
        << " 12.1 "
        << "1" << 1 << QSize(24, 96) << QRect(10, 10, 4, 46) << QRect(9, 9, 6, 48);
}

// The page's rectangles in cover pixels (12.5 dots each at 1200 dpi): the
// page image at the printable corner, the picture at (10, 10), the ring
// around it cut off by the page image.
void TestPrintPage::jobSizesPageAndBorder()
{
    QFETCH(QString, height);
    QFETCH(QString, width);
    QFETCH(int, border);
    QFETCH(QSize, window);
    QFETCH(QRect, picture);
    QFETCH(QRect, borderRect);
    const QString pdf = runJob(height, width, border, QStringLiteral("Red"));
    QVERIFY(QFileInfo(pdf).size() > 0);
    QCOMPARE(m_setup.calls, 1);
    const jf::PrintPage page = jf::prepareCoverPage(
        {height, width, solidPicture(kTeal), std::uint8_t(border), "Red", "Cover"}, m_border,
        nullptr);
    QCOMPARE(page.covers.size(), 1);
    const jf::CoverFrame& frame = page.covers[0].frame;
    const QRect area(QPoint(0, 0), window);
    const auto same = [](const QRectF& seen, const QRectF& expected) {
        return closeTo(seen, expected, 1) ||
               (seen.isEmpty() && expected.isEmpty()); // a picture of width 0
    };
    QVERIFY(same(frame.area, coverToDots1200(area)));
    QVERIFY(same(frame.picture, coverToDots1200(picture)));
    QVERIFY(same(frame.border, coverToDots1200(borderRect.intersected(area))));
    QVERIFY(page.cutMarks.isEmpty());
    QCOMPARE(page.covers[0].borderColour, QColor(Qt::red));
}

void TestPrintPage::pageMeasuredAt600Dpi_data()
{
    QTest::addColumn<QString>("height");
    QTest::addColumn<QString>("width");
    QTest::addColumn<int>("border");
    QTest::addColumn<QPageLayout::Orientation>("orientation");
    QTest::addColumn<QRect>("picture"); // cover pixels; null: none on paper
    QTest::addColumn<QRect>("ring");    // outer bounds of the border colour
    const auto portrait = QPageLayout::Portrait;
    QTest::newRow("CD 120, border 1")
        << "120"
        << "120" << 1 << portrait << QRect(10, 10, 456, 456) << QRect(9, 9, 458, 458);
    QTest::newRow("DVD landscape, border 2") << "184"
                                             << "270" << 2 << QPageLayout::Landscape
                                             << QRect(10, 10, 1026, 699) << QRect(8, 8, 1030, 703);
    QTest::newRow("width 0: a bar of border")
        << "120"
        << "0" << 2 << portrait << QRect() << QRect(8, 8, 4, 460);
    QTest::newRow("border 0: no border colour")
        << "120"
        << "120" << 0 << portrait << QRect(10, 10, 456, 456) << QRect();
    QTest::newRow("border 12: clipped by the window")
        << "120"
        << "120" << 12 << portrait << QRect(10, 10, 456, 456) << QRect(0, 0, 476, 478);
}

void TestPrintPage::pageMeasuredAt600Dpi()
{
    if (!havePoppler())
        QSKIP("pdftoppm/pdfinfo (poppler-utils) not installed");
    QFETCH(QString, height);
    QFETCH(QString, width);
    QFETCH(int, border);
    QFETCH(QPageLayout::Orientation, orientation);
    QFETCH(QRect, picture);
    QFETCH(QRect, ring);
    const QColor red(255, 0, 0);

    const QString pdf = runJob(height, width, border, QStringLiteral("Red"), orientation);
    const QString info = pdfInfo(pdf);
    const QString a4 = orientation == QPageLayout::Portrait ? QStringLiteral("595 x 842 pts (A4)")
                                                            : QStringLiteral("842 x 595 pts (A4)");
    QVERIFY2(info.contains(a4), qPrintable(info));

    const QSize crop = orientation == QPageLayout::Portrait ? QSize(3200, 3300) : QSize(7000, 4900);
    const QImage page = renderPdf(pdf, 600, crop);
    QVERIFY(!page.isNull());

    const QRect measuredPicture = boundsOf(page, kTeal);
    const QRect expectedPicture = coverToDots600(picture);
    QVERIFY2(closeTo(measuredPicture, expectedPicture, 2),
             qPrintable(describe(measuredPicture) + " vs " + describe(expectedPicture)));

    const QRect measuredRing = boundsOf(page, red);
    const QRect expectedRing = coverToDots600(ring);
    QVERIFY2(closeTo(measuredRing, expectedRing, 2),
             qPrintable(describe(measuredRing) + " vs " + describe(expectedRing)));

    // Nothing else but white around the window's page image.
    const QSize windowSize(jf::mmToCoverPixels(width.toDouble()) + 20,
                           jf::mmToCoverPixels(height.toDouble()) + 50);
    const QRect window = coverToDots600(QRect(QPoint(0, 0), windowSize));
    if (window.right() + 4 < page.width())
        QCOMPARE(countInRow(page, window.center().y(), window.right() + 3, page.width(),
                            QColor(255, 255, 255), 3),
                 page.width() - window.right() - 3);
}

void TestPrintPage::pictureTypesOnPaper_data()
{
    using namespace jf::test;
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QList<QRgb>>("quadrants"); // top left, top right, bottom left, bottom right
    const QList<QRgb> upright(std::begin(kQuadrantColours), std::end(kQuadrantColours));
    const QRgb white = qRgb(255, 255, 255), red = qRgb(220, 30, 40);
    QTest::newRow("png, left half transparent")
        << "clear.png" << sample("half-clear-32x16.png") << QList<QRgb>{white, red, white, red};
    QTest::newRow("gif, left half transparent")
        << "clear.gif" << sample("half-clear-32x16.gif") << QList<QRgb>{white, red, white, red};
    QTest::newRow("jpeg as stored: embedded as it is")
        << "plain.jpg" << sample("quadrants-64x64.jpg") << upright;
    QTest::newRow("jpeg turned by its tag") << "turned.jpg" << sample("oriented-6.jpg") << upright;
    QTest::newRow("heic turned") << "turned.heic" << sample("oriented-8.heic") << upright;
    QTest::newRow("svg") << "drawing.svg" << sample("quadrants-40x30.svg") << upright;
}

void TestPrintPage::pictureTypesOnPaper()
{
    if (!havePoppler())
        QSKIP("poppler-utils not installed");
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QList<QRgb>, quadrants);
    if (bytes.isEmpty())
        QSKIP("no encoder for this type here (libheif without HEVC encoder)");
    const QString file = m_dir.filePath(name);
    QVERIFY(jf::test::writeFile(file, bytes));
    // 120 mm square from 2.65 mm off the printable corner, as on paper.
    const QString pdf =
        runJob(QStringLiteral("120"), QStringLiteral("120"), 1, QStringLiteral("Black"),
               QPageLayout::Portrait, jf::loadPicture(file));
    const QImage page = renderPdf(pdf, 150, QSize(800, 800));
    QVERIFY(!page.isNull());
    if (name == QLatin1String("plain.jpg")) {
        QFile written(pdf);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QVERIFY(written.readAll().contains(bytes));
        // The same page as the general way draws it, border ring included.
        const QImage drawn =
            renderPdf(runJob("120", "120", 1, "Black", QPageLayout::Portrait,
                             jf::Picture::fromImage(jf::loadPicture(file).fullImage())),
                      150, QSize(800, 800));
        for (const QColor colour : {QColor(Qt::black), QColor(quadrants[0]), QColor(quadrants[3])})
            QVERIFY(closeTo(boundsOf(page, colour), boundsOf(drawn, colour), 1));
    }
    const auto dot = [](double mm) { return qRound(mm / 25.4 * 150); };
    for (int q = 0; q < 4; ++q) {
        const QRgb seen = page.pixel(dot(2.65 + (q % 2 ? 90 : 30)), dot(2.65 + (q / 2 ? 90 : 30)));
        QVERIFY2(jf::test::colourDistance(seen, quadrants[q]) <= 20,
                 qPrintable(QStringLiteral("quadrant %1: %2").arg(q).arg(seen, 8, 16)));
    }
}

void TestPrintPage::jpegsPrintAsEveryReaderDrawsThem_data()
{
    using jf::test::sample;
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<JpegRoute>("route");
    // Gentle shades, so that resampling barely shows next to wrong colours
    // or missing rows; about as many pixels as the cover has dots at 100 dpi.
    const QByteArray baseline = sample("shades.jpg");
    const QByteArray progressive = sample("shades-progressive.jpg");
    QTest::newRow("baseline, JFIF") << baseline << JpegRoute::AsIs;
    QTest::newRow("progressive, JFIF") << progressive << JpegRoute::AsIs;
    QTest::newRow("grey") << sample("shades-grey.jpg") << JpegRoute::AsIs;
    QTest::newRow("ids 1 2 3, no marker") << withoutSegment(baseline, 0xe0) << JpegRoute::AsIs;
    QTest::newRow("RGB, Adobe marker") << sample("shades-rgb.jpg") << JpegRoute::AsIs;
    QTest::newRow("ids R G B, no marker")
        << withoutSegment(sample("shades-rgb.jpg"), 0xee) << JpegRoute::Redrawn;
    QTest::newRow("arithmetic") << sample("shades-arithmetic.jpg") << JpegRoute::Redrawn;
    QTest::newRow("progressive arithmetic")
        << sample("shades-progressive-arithmetic.jpg") << JpegRoute::Redrawn;
    QTest::newRow("cut in half") << baseline.left(baseline.size() / 2) << JpegRoute::Redrawn;
    QTest::newRow("progressive, cut short")
        << progressive.left(progressive.size() * 3 / 4) << JpegRoute::Redrawn;
    QTest::newRow("no end marker") << baseline.chopped(2) << JpegRoute::Redrawn;
    QByteArray stray = baseline;
    stray.insert(stray.size() * 2 / 3, QByteArray("\xff\xd3", 2)); // a restart marker out of place
    QTest::newRow("stray marker in the scan") << stray << JpegRoute::Redrawn;
}

// What CUPS prints (Ghostscript) and what a viewer shows (poppler) match
// the picture as libjpeg's djpeg decodes it, whichever way it went in.
void TestPrintPage::jpegsPrintAsEveryReaderDrawsThem()
{
    QFETCH(QByteArray, bytes);
    QFETCH(JpegRoute, route);
    const bool embedded = route == JpegRoute::AsIs;
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
        runJob(QStringLiteral("80"), QStringLiteral("120"), 0, QStringLiteral("Black"),
               QPageLayout::Portrait, jf::loadPicture(file));
    QFile written(pdf);
    QVERIFY(written.open(QIODevice::ReadOnly));
    const QByteArray content = written.readAll();
    QCOMPARE(content.contains(bytes), embedded);
    QProcess check;
    check.start(QStringLiteral("qpdf"), {QStringLiteral("--check"), pdf});
    QVERIFY(check.waitForFinished(30000));
    QVERIFY2(check.exitCode() == 0, check.readAllStandardOutput().constData());

    const QImage expected = djpeg(file);
    QVERIFY(!expected.isNull());
    const double poppler = meanDifference(renderPdf(pdf, 100), expected);
    const double ghostscript = meanDifference(renderWithGhostscript(pdf, 100), expected);
    QVERIFY2(
        poppler < 1 && ghostscript < 1,
        qPrintable(QStringLiteral("poppler %1, Ghostscript %2").arg(poppler).arg(ghostscript)));
}

void TestPrintPage::croppedJpegPrintsAsPreviewed_data()
{
    using F = jf::PictureFit;
    QTest::addColumn<jf::Placement>("placement");
    QTest::addColumn<bool>("quarterTurned");
    QTest::addColumn<int>("pixelsPerInch"); // of the part that prints (stretched: 69)
    QTest::newRow("filled, zoomed and moved")
        << jf::Placement{F::Fill, {0.3, 0.6, 2}} << false << 34;
    QTest::newRow("fitted") << jf::Placement{F::Fit, {}} << false << 80;
    QTest::newRow("quarter-turned, filled")
        << jf::Placement{F::Fill, {0.7, 0.4, 1.5}} << true << 46;
}

// A 3:2 JPEG on CD Back (151 x 118 mm), cropped or fitted: it passes
// through, its bytes unchanged, and Ghostscript and poppler draw the same
// part of it as they draw of the page painted from its pixels, which is
// what the preview shows; its resolution is that of the part.
void TestPrintPage::croppedJpegPrintsAsPreviewed()
{
    QFETCH(jf::Placement, placement);
    QFETCH(bool, quarterTurned);
    QFETCH(int, pixelsPerInch);
    if (QStandardPaths::findExecutable(QStringLiteral("gs")).isEmpty() || !havePoppler())
        QSKIP("Ghostscript or poppler-utils is not installed");
    const QByteArray bytes = jf::test::sample("shades.jpg");
    const jf::Picture jpeg = jf::loadPictureData(bytes, QStringLiteral("jpg"));
    const QSize cover(574, 448);
    const double corner = 10 / 25.4 * 1200; // 10 mm from the sheet's corner
    const jf::CoverFrame frame =
        jf::coverFrame({12.5, 12.5, corner, corner}, QPointF(0, 0), cover, 0, quarterTurned);
    const auto pageOf = [&](const jf::Picture& picture) {
        return pageWith({"CD Back", picture, frame, Qt::black, placement, {}, QSizeF(cover), {}});
    };
    const jf::PrintPage through = pageOf(jpeg);
    QVERIFY(jf::passesThrough(through.covers[0]));
    QCOMPARE(through.pixelsPerInch(through.covers[0]), pixelsPerInch);
    const QString direct = m_dir.filePath(QStringLiteral("cropped%1.pdf").arg(++m_files));
    const QByteArray pdf = jf::directPdf({through});
    QVERIFY(pdf.contains(bytes));
    jf::writeWholeFile(direct, pdf);
    const QString painted = m_dir.filePath(QStringLiteral("painted%1.pdf").arg(m_files));
    jf::currentPrinter().replace(pdfPrinter(painted, QPageLayout::Portrait));
    jf::printPages({pageOf(jf::Picture::fromImage(jpeg.fullImage()))});

    // Mean difference per channel within the cover, at 100 dpi.
    const QRect whole = QRectF(frame.area.topLeft() / 12, frame.area.size() / 12).toRect();
    const QRect box = whole.adjusted(2, 2, -2, -2);
    const auto difference = [&](const QImage& a, const QImage& b) {
        double sum = 0;
        for (int y = box.top(); y <= box.bottom(); ++y)
            for (int x = box.left(); x <= box.right(); ++x) {
                const QRgb p = a.pixel(x, y), q = b.pixel(x - box.left(), y - box.top());
                sum += qAbs(qRed(p) - qRed(q)) + qAbs(qGreen(p) - qGreen(q)) +
                       qAbs(qBlue(p) - qBlue(q));
            }
        return sum / (3.0 * box.width() * box.height()); // per channel
    };
    const QImage drawn = renderPdf(direct, 100);
    QList<double> seen{difference(drawn, renderPdf(painted, 100).copy(box)),
                       difference(renderWithGhostscript(direct, 100),
                                  renderWithGhostscript(painted, 100).copy(box))};
    if (!quarterTurned) {
        jf::PicturePreview preview;
        preview.resize(whole.size());
        preview.setCoverSize(QSizeF(cover));
        preview.setFit(placement.fit);
        preview.showPicture(jpeg, QStringLiteral("shades.jpg"));
        preview.setCrop(placement.crop);
        QImage shown(whole.size(), QImage::Format_RGB32);
        preview.render(&shown);
        seen << difference(drawn, shown.copy(box.translated(-whole.topLeft())));
    }
    for (const double d : seen) // poppler, Ghostscript, the preview
        QVERIFY2(d < 2, qPrintable(QString::number(d)));
}

void TestPrintPage::workedExampleOnPaper()
{
    // 120 x 120 mm, border width 1: about 120.65 mm square, 2.65 mm from the
    // printable area's corner, a 0.26 mm ring.
    if (!havePoppler())
        QSKIP("poppler-utils not installed");
    const QString pdf =
        runJob(QStringLiteral("120"), QStringLiteral("120"), 1, QStringLiteral("Black"));
    const QImage page = renderPdf(pdf, 600, QSize(3100, 3100));
    const QRect picture = boundsOf(page, kTeal);
    QVERIFY(!picture.isNull());
    QVERIFY2(qAbs(mmAt(picture.width(), 600) - 120.65) < 0.1, qPrintable(describe(picture)));
    QVERIFY2(qAbs(mmAt(picture.height(), 600) - 120.65) < 0.1, qPrintable(describe(picture)));
    QVERIFY(qAbs(mmAt(picture.left(), 600) - 2.65) < 0.1);
    QVERIFY(qAbs(mmAt(picture.top(), 600) - 2.65) < 0.1);

    const int y = picture.center().y();
    const int ring = countInRow(page, y, 0, picture.left(), QColor(0, 0, 0), 60);
    QVERIFY2(qAbs(mmAt(ring, 600) - 0.26) <= 0.09, qPrintable(QString::number(ring)));
}

void TestPrintPage::fineDetailSurvives()
{
    // Half a cover pixel per square: 3.125 dots at 600 dpi. A page drawn
    // through a 96 dpi image would keep none of it.
    if (!havePoppler())
        QSKIP("poppler-utils not installed");
    QImage board(1824, 1824, QImage::Format_RGB32);
    for (int y = 0; y < board.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(board.scanLine(y));
        for (int x = 0; x < board.width(); ++x)
            row[x] = ((x / 2 + y / 2) % 2) ? qRgb(255, 255, 255) : qRgb(0, 0, 0);
    }
    const QString pdf =
        runJob(QStringLiteral("120"), QStringLiteral("120"), 0, QStringLiteral("Gray"),
               QPageLayout::Portrait, jf::Picture::fromImage(board));
    const QImage page = renderPdf(pdf, 600, QSize(3000, 3000));
    QVERIFY(!page.isNull());
    // Count light/dark changes along a row through the picture.
    const int y = 1500;
    int changes = 0;
    bool dark = qGray(page.pixel(70, y)) < 128;
    for (int x = 70; x < 2900; ++x) {
        const bool d = qGray(page.pixel(x, y)) < 128;
        changes += d != dark ? 1 : 0;
        dark = d;
    }
    // 2830 dots hold about 905 squares.
    QVERIFY2(changes > 800, qPrintable(QString::number(changes)));
}

void TestPrintPage::borderColourCarriesOver()
{
    if (!havePoppler())
        QSKIP("poppler-utils not installed");
    // One run of jobs.
    const struct
    {
        const char* name;
        QColor expected;
    } jobs[] = {{"gray", QColor(128, 128, 128)}, {"Purple", QColor(128, 128, 128)},
                {"Red", QColor(255, 0, 0)},      {"Purple", QColor(255, 0, 0)},
                {"Blue", QColor(0, 0, 255)},     {"Green", QColor(0, 255, 0)},
                {"Yellow", QColor(255, 255, 0)}, {"Black", QColor(0, 0, 0)},
                {"Green ", QColor(0, 0, 0)},     {"Gray", QColor(128, 128, 128)}};
    for (const auto& job : jobs) {
        const QString pdf =
            runJob(QStringLiteral("20"), QStringLiteral("20"), 4, QString::fromLatin1(job.name));
        const QImage page = renderPdf(pdf, 150, QSize(200, 200));
        QVERIFY(!page.isNull());
        // Middle of the left ring: window x 6..10 -> 150 dpi dots 12.
        const QColor seen = page.pixelColor(12, 60);
        QVERIFY2(near(seen.rgb(), job.expected, 12),
                 qPrintable(QStringLiteral("%1 printed as %2").arg(job.name, seen.name())));
    }
}

void TestPrintPage::badSizesPrintNothing_data()
{
    QTest::addColumn<QString>("height");
    QTest::addColumn<QString>("width");
    QTest::addColumn<QString>("message");
    QTest::newRow("empty height") << ""
                                  << "120"
                                  << "'' is not a valid floating point value";
    QTest::newRow("empty width") << "120"
                                 << ""
                                 << "'' is not a valid floating point value";
    QTest::newRow("both bad: height named") << "12a"
                                            << "x"
                                            << "'12a' is not a valid floating point value";
    QTest::newRow("9e99 height") << "9e99"
                                 << "120"
                                 << "Invalid floating point operation";
    QTest::newRow("9e99 width") << "120"
                                << "9e99"
                                << "Invalid floating point operation";
    QTest::newRow("negative height") << "-5"
                                     << "-1"
                                     << "'-5' is not a valid size: sizes cannot be negative";
    QTest::newRow("negative width") << "120"
                                    << "-1e-300"
                                    << "'-1e-300' is not a valid size: sizes cannot be negative";
    QTest::newRow("bad width beats big height") << "9e99"
                                                << "-"
                                                << "'-' is not a valid floating point value";
}

void TestPrintPage::badSizesPrintNothing()
{
    QFETCH(QString, height);
    QFETCH(QString, width);
    QFETCH(QString, message);
    // The dialog's choice (landscape) must stay although the job fails.
    m_setup.edit = [](QPrinter& p) {
        QPageLayout layout = p.pageLayout();
        layout.setOrientation(QPageLayout::Landscape);
        p.setPageLayout(layout);
    };
    QString pdf;
    QCOMPARE(jftest::failureOf<jf::Error>(
                 [&] { pdf = runJob(height, width, 2, QStringLiteral("Red")); }),
             message);
    QCOMPARE(m_border.current(), QColor(128, 128, 128));
    QVERIFY(!QFileInfo::exists(m_dir.filePath(QStringLiteral("page%1.pdf").arg(m_files))));
    QCOMPARE(jf::currentPrinter().printer().pageLayout().orientation(), QPageLayout::Landscape);
}

void TestPrintPage::cancelTwicePrintsNothing()
{
    m_setup.confirm = false;
    const QString first =
        runJob(QStringLiteral("120"), QStringLiteral("120"), 1, QStringLiteral("Red"));
    const QString second =
        runJob(QStringLiteral("120"), QStringLiteral("120"), 1, QStringLiteral("Red"));
    QCOMPARE(m_setup.calls, 2);
    QVERIFY(!QFileInfo::exists(first));
    QVERIFY(!QFileInfo::exists(second));
}

void TestPrintPage::secondJobWhilePrinting()
{
    const QString path = m_dir.filePath(QStringLiteral("busy.pdf"));
    jf::currentPrinter().replace(pdfPrinter(path, QPageLayout::Portrait));
    const jf::CurrentPrinter::JobMark running(jf::currentPrinter());

    // Cancelling the dialog ends silently.
    m_setup.confirm = false;
    jf::printCover(nullptr, {"120", "120", solidPicture(kTeal), 1, "Red", "CD"}, m_border);
    // Confirming fails: the printer cannot change while a page prints.
    m_setup.confirm = true;
    m_setup.edit = [](QPrinter& p) { p.setOutputFileName(QStringLiteral("/nonexistent/x.pdf")); };
    for (auto run :
         {+[](jf::BorderColourMemory& border) {
              jf::printCover(nullptr, {"120", "120", jf::Picture(), 1, "Red", "CD"}, border);
          },
          +[](jf::BorderColourMemory&) { jf::setUpPrinter(nullptr); },
          +[](jf::BorderColourMemory&) { jf::printPages({}); }}) {
        QCOMPARE(jftest::failureOf<jf::PrinterError>([&] { run(m_border); }),
                 QStringLiteral("Printing in progress"));
    }
    QCOMPARE(jf::currentPrinter().printer().outputFileName(), path);
    QVERIFY(!QFileInfo::exists(path));
}

void TestPrintPage::invalidPrinterShowsNoWindow()
{
    // A PDF file that cannot be created.
    auto printer =
        pdfPrinter(m_dir.filePath(QStringLiteral("missing/folder/x.pdf")), QPageLayout::Portrait);
    jf::currentPrinter().replace(std::move(printer));
    QCOMPARE(
        jftest::failureOf<jf::PrinterError>([&] {
            jf::printCover(nullptr, {"120", "121", solidPicture(kTeal), 1, "Red", "CD"}, m_border);
        }),
        QStringLiteral("Printer selected is not valid"));
    QVERIFY(!jf::currentPrinter().jobRunning());
    // Printing shows no window, and leaves none behind when it fails.
    for (const QWidget* window : QApplication::topLevelWidgets())
        QVERIFY2(!window->isVisible(), window->metaObject()->className());
}

void TestPrintPage::noQueuePrintsToPdf()
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

void TestPrintPage::calibrationPageMeasures()
{
    if (!havePoppler())
        QSKIP("poppler-utils not installed");
    const QString path = m_dir.filePath(QStringLiteral("calibration.pdf"));
    jf::currentPrinter().replace(pdfPrinter(path, QPageLayout::Landscape));
    jf::printCalibrationPage(QDate(2026, 12, 8));
    const QImage page = renderPdf(path, 600);
    const QRect box = boundsOf(page, Qt::black, 100);
    const QString seen = describe(box);
    QVERIFY2(qAbs(mmAt(box.width(), 600) - 150) < 0.1, qPrintable(seen));
    QVERIFY2(qAbs(mmAt(box.height(), 600) - 100) < 0.1, qPrintable(seen));
    // Its corner lies where a cover's picture starts: 10 cover pixels in.
    QVERIFY2(qAbs(mmAt(box.left(), 600) - 10 / 3.8) < 0.1, qPrintable(seen));
}

void TestPrintPage::correctedCoverMeasures()
{
    if (!havePoppler())
        QSKIP("poppler-utils not installed");
    // A printer measured to print the rectangle 148.5 x 101 mm: the cover is
    // scaled by 150 / 148.5 and 100 / 101 of its true size.
    jf::CalibrationTable calibration;
    calibration.set(QStringLiteral("Office"), {148.5, 101.0, 0, 0});
    const QString plain = runJob("184", "270", 0, "Gray", QPageLayout::Landscape);
    const QString path = m_dir.filePath(QStringLiteral("corrected.pdf"));
    jf::currentPrinter().replace(pdfPrinter(path, QPageLayout::Landscape));
    jf::printCover(nullptr, {"184", "270", solidPicture(kTeal), 0, "Gray", "DVD"}, m_border,
                   &calibration);
    // A printer without a line prints exactly as without a table.
    QCOMPARE(renderPdf(path, 150), renderPdf(plain, 150));

    const jf::PrinterCorrection correction = *calibration.find(QStringLiteral("Office"));
    jf::currentPrinter().replace(pdfPrinter(path, QPageLayout::Portrait));
    const jf::PageLayout layout =
        jf::layoutCover(1026, 699, 0, jf::paperOf(jf::currentPrinter().printer()), correction);
    QCOMPARE(layout.orientation, jf::PaperOrientation::Landscape); // turned to fit
    jf::currentPrinter().setPaperOrientation(layout.orientation);
    const jf::Paper paper = jf::paperOf(jf::currentPrinter().printer());
    jf::printPages(
        {jf::coverPage(layout, paper, "DVD", solidPicture(kTeal), Qt::gray, correction)});
    const QRect cover = boundsOf(renderPdf(path, 600), kTeal);
    const QString seen = describe(cover);
    // Landscape: the cover's width runs along the sheet's long edge, which
    // keeps the long edge's factor.
    QVERIFY2(qAbs(mmAt(cover.width(), 600) - 270 * 100 / 101.0) < 0.1, qPrintable(seen));
    QVERIFY2(qAbs(mmAt(cover.height(), 600) - 184 * 150 / 148.5) < 0.1, qPrintable(seen));
}

void TestPrintPage::calibrationMovesTheSheetAsTheCover_data()
{
    QTest::addColumn<QPageLayout::Orientation>("orientation");
    QTest::addColumn<QSize>("picture"); // cover pixels
    QTest::newRow("CD Front, portrait") << QPageLayout::Portrait << QSize(460, 460);
    QTest::newRow("CD Back, landscape") << QPageLayout::Landscape << QSize(574, 448);
}

// One cover printed alone and on a sheet of its own, on a printer measured
// as printing 148.5 x 101 mm, 2 mm right and 1 mm up: the correction moves
// the picture on paper by the same amount either way.
void TestPrintPage::calibrationMovesTheSheetAsTheCover()
{
    if (!havePoppler())
        QSKIP("poppler-utils not installed");
    QFETCH(QPageLayout::Orientation, orientation);
    QFETCH(QSize, picture);
    // The picture's top-left corner on paper, millimetres from the sheet's.
    const auto landing = [&](bool onSheet, std::optional<jf::PrinterCorrection> c) {
        const QString path = m_dir.filePath(QStringLiteral("lands%1.pdf").arg(++m_files));
        jf::currentPrinter().replace(pdfPrinter(path, orientation));
        const jf::Paper paper = jf::paperOf(jf::currentPrinter().printer());
        const jf::Picture teal = solidPicture(kTeal);
        const jf::PageLayout alone =
            jf::layoutCover(picture.width(), picture.height(), 0, paper, c);
        jf::printPages(onSheet ? jf::sheetPages(jf::arrangeSheet({{"CD", picture}}, 0, paper, c),
                                                paper, {"CD"}, {teal}, Qt::gray, false, c)
                               : QList{jf::coverPage(alone, paper, "CD", teal, Qt::gray, c)});
        const QRect r = boundsOf(renderPdf(path, 300), kTeal);
        return QPointF(mmAt(r.left(), 300), mmAt(r.top(), 300));
    };
    const jf::PrinterCorrection measured{148.5, 101, 2, -1};
    const QPointF alone = landing(false, measured) - landing(false, std::nullopt);
    const QPointF sheet = landing(true, measured) - landing(true, std::nullopt);
    const QString seen = QStringLiteral("alone moves %1, %2 mm; on the sheet %3, %4 mm")
                             .arg(alone.x())
                             .arg(alone.y())
                             .arg(sheet.x())
                             .arg(sheet.y());
    QVERIFY2(alone.manhattanLength() > 1.5, qPrintable(seen));
    QVERIFY2(qAbs(sheet.x() - alone.x()) < 0.2 && qAbs(sheet.y() - alone.y()) < 0.2,
             qPrintable(seen));
}

void TestPrintPage::coverFitsThePaper()
{
    if (!havePoppler())
        QSKIP("poppler-utils not installed");
    // A DVD on A4 portrait prints whole on the turned paper, and the next
    // setup dialog opens on landscape.
    const QString landscape = runJob("184", "270", 2, "Red");
    QVERIFY2(pdfInfo(landscape).contains(QLatin1String("842 x 595 pts")), qPrintable(landscape));
    const QRect cover = boundsOf(renderPdf(landscape, 150), kTeal);
    QVERIFY2(qAbs(mmAt(cover.width(), 150) - 271.46) < 0.3, qPrintable(describe(cover)));
    QPageLayout::Orientation offered = QPageLayout::Portrait;
    m_setup.edit = [&](QPrinter& p) { offered = p.pageLayout().orientation(); };
    jf::setUpPrinter(nullptr);
    QCOMPARE(offered, QPageLayout::Landscape);
    m_setup.edit = nullptr;

    // Too big either way round: one message, no job.
    const QString a5 = m_dir.filePath(QStringLiteral("a5.pdf"));
    const auto onA5 = [&](const QString& height, const QString& width) {
        jf::currentPrinter().replace(pdfPrinter(a5, QPageLayout::Portrait, QPageSize::A5));
        return jftest::failureOf<jf::PrinterError>([&] {
            jf::printCover(nullptr, {height, width, solidPicture(kTeal), 1, "Red", "DVD"},
                           m_border);
        });
    };
    QCOMPARE(onA5("184", "270"),
             QStringLiteral("The cover needs 276.8 \u00d7 198.2 mm, but the printable area of A5 "
                            "is 148.0 \u00d7 210.0 mm. Choose a larger paper in Printer Setup."));
    QVERIFY(
        onA5("9999", "9999").startsWith(QStringLiteral("The cover needs 10058.4 \u00d7 10066.3")));
    QVERIFY(!QFileInfo::exists(a5));

    // The calibration page: portrait when it fits, else turned, else refused;
    // the cover's orientation stays the printer's.
    jf::currentPrinter().replace(pdfPrinter(a5, QPageLayout::Portrait, QPageSize::A5));
    QCOMPARE(jf::printCalibrationPage(), jf::PaperOrientation::Landscape);
    QVERIFY(pdfInfo(a5).contains(QLatin1String("595 x 420 pts")));
    QCOMPARE(jf::currentPrinter().printer().pageLayout().orientation(), QPageLayout::Portrait);
    jf::currentPrinter().replace(pdfPrinter(a5, QPageLayout::Landscape, QPageSize::A6));
    QCOMPARE(jftest::failureOf<jf::PrinterError>([] { jf::printCalibrationPage(); }),
             QStringLiteral("The calibration page needs 152.6 \u00d7 102.6 mm, but the printable "
                            "area of A6 is 105.0 \u00d7 148.0 mm. Choose a larger paper in "
                            "Printer Setup."));
}

// One page of a sheet (a teal and an orange cover, blue rings, cut marks),
// as the print preview shows it, as the sheet window draws it and as it
// lands in the PDF: the same at 100 dpi, within a pixel.
void TestPrintPage::previewSheetAndPaperDrawTheSamePage()
{
    if (!havePoppler())
        QSKIP("poppler-utils not installed");
    const QString path = m_dir.filePath(QStringLiteral("threeways.pdf"));
    jf::currentPrinter().replace(pdfPrinter(path, QPageLayout::Portrait));
    const jf::Paper paper = jf::paperOf(jf::currentPrinter().printer());
    const QColor orange(255, 128, 0);
    const QList<jf::SheetCover> covers{{"CD Front", QSize(460, 460)}, {"CD Back", QSize(574, 448)}};
    const jf::SheetPlan plan = jf::arrangeSheet(covers, 3, paper, std::nullopt);
    const QList<jf::PrintPage> pages =
        jf::sheetPages(plan, paper, {"CD Front", "CD Back"},
                       {solidPicture(kTeal), solidPicture(orange)}, Qt::blue, true, std::nullopt);
    QCOMPARE(pages.size(), 1);
    QVERIFY(!pages[0].cutMarks.isEmpty());

    const CoverPreviewDialog preview(jf::currentPrinter().printer(), pages);
    // Each picture's resolution at its printed size, and what may blur.
    QCOMPARE(preview.resolutionNote(),
             QStringLiteral("CD Front: 10 pixels per inch\nCD Back: 10 pixels per inch\n"
                            "The picture of \"CD Front\" has 10 pixels per inch at this size and "
                            "may print blurred.\nThe picture of \"CD Back\" has 10 pixels per inch "
                            "at this size and may print blurred."));
    jf::SheetWindow window;
    window.showSheet({{}, pages, QString(), {}, {}});
    jf::printPages(pages);
    QFile written(path);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QVERIFY(written.readAll().contains("/PrintScaling /None"));

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
        const auto marks = [](const QImage& page) {
            QImage grey(page.size(), QImage::Format_RGB32);
            for (int y = 0; y < page.height(); ++y)
                for (int x = 0; x < page.width(); ++x) {
                    const QRgb p = page.pixel(x, y);
                    const bool mark = qRed(p) < 235 && qAbs(qRed(p) - qGreen(p)) < 12 &&
                                      qAbs(qRed(p) - qBlue(p)) < 12;
                    grey.setPixel(x, y, mark ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
                }
            return boundsOf(grey, Qt::black, 0);
        };
        const QRect a = marks(shown), b = marks(printed);
        QVERIFY2(!a.isNull() && closeTo(a, b, 2), qPrintable(describe(a) + " vs " + describe(b)));
    }
}

// A cover turned a quarter clockwise, painted and passed through: its top
// along the right edge either way.
void TestPrintPage::quarterTurnedCoverBothWays()
{
    if (!havePoppler())
        QSKIP("poppler-utils not installed");
    using namespace jf::test;
    const jf::Picture picture =
        jf::loadPictureData(sample("quadrants-400x300.jpg"), QStringLiteral("jpg"));
    // 60 x 80 mm on paper, its top-left corner 10 mm from the sheet's.
    const double scale = 0.2 * 1200 / 25.4, corner = 10 * 1200 / 25.4;
    const jf::PrintPage page = pageWith(
        {"CD", picture,
         jf::coverFrame({scale, scale, corner, corner}, QPointF(0, 0), QSize(400, 300), 0, true),
         Qt::black});
    QVERIFY(jf::passesThrough(page.covers[0]));
    const QString pdf = m_dir.filePath(QStringLiteral("turned.pdf"));
    jf::writeWholeFile(pdf, jf::directPdf({page}));
    const auto dot = [](double mm) { return qRound(mm / 25.4 * 100); };
    // The picture's quadrants: top left, top right, bottom left, bottom
    // right, turned: top right, bottom right, top left, bottom left.
    const QPoint at[] = {
        {dot(55), dot(30)}, {dot(55), dot(70)}, {dot(25), dot(30)}, {dot(25), dot(70)}};
    for (const QImage& drawn : {jf::renderPage(page, 100), renderPdf(pdf, 100)}) {
        for (int q = 0; q < 4; ++q)
            QVERIFY2(colourDistance(drawn.pixel(at[q]), kQuadrantColours[q]) <= 20,
                     qPrintable(
                         QStringLiteral("quadrant %1: %2").arg(q).arg(drawn.pixel(at[q]), 8, 16)));
    }
}

void TestPrintPage::discPrintsAsPreviewed_data()
{
    using F = jf::PictureFit;
    QTest::addColumn<jf::Placement>("placement");
    QTest::addColumn<int>("border"); // cover pixels
    QTest::newRow("stretched") << jf::Placement{} << 0;
    QTest::newRow("filled, zoomed and moved") << jf::Placement{F::Fill, {0.4, 0.6, 1.5}} << 0;
    QTest::newRow("fitted") << jf::Placement{F::Fit, {}} << 0;
    QTest::newRow("stretched, with a border") << jf::Placement{} << 8;
}

// A 117 mm disc with a 41 mm hole (a JPEG, passed through), at 96 dpi one
// cover pixel a pixel: the page painted, the PDF and the preview show the
// same ring; outside it and in the hole the paper is white and the panel
// shows through the preview; a border is a blue ring just outside.
void TestPrintPage::discPrintsAsPreviewed()
{
    QFETCH(jf::Placement, placement);
    QFETCH(int, border);
    const jf::Picture jpeg =
        jf::loadPictureData(jf::test::sample("shades.jpg"), QStringLiteral("jpg"));
    const QSize cover(445, 445);
    const jf::DiscSize disc{QSizeF(117, 117), 41};
    // The border's edge an inch from the sheet's corner.
    const jf::CoverFrame frame =
        jf::coverFrame({12.5, 12.5, 1200, 1200}, QPointF(border, border), cover, border, false);
    jf::PlacedCover placed{"CD Disk", jpeg, frame, Qt::blue, placement, {}, QSizeF(cover), {}};
    jf::shapeAsDisc(placed, disc);
    const jf::PrintPage page = pageWith(placed);
    QVERIFY(jf::passesThrough(page.covers[0]));
    QList<QImage> printed{jf::renderPage(page, 96)};
    if (havePoppler()) {
        const QString pdf = m_dir.filePath(QStringLiteral("disc%1.pdf").arg(++m_files));
        jf::writeWholeFile(pdf, jf::directPdf({page}));
        printed << renderPdf(pdf, 96);
    }
    jf::PicturePreview preview;
    preview.resize(cover);
    preview.setCoverSize(QSizeF(cover));
    preview.setFit(placement.fit);
    preview.showPicture(jpeg, QStringLiteral("shades.jpg"));
    preview.setCrop(placement.crop);
    preview.setDisc(disc);
    QImage shown(cover, QImage::Format_RGB32);
    shown.fill(Qt::magenta); // the panel behind the preview
    preview.render(&shown, QPoint(), QRegion(), QWidget::DrawChildren);

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
                if (d > hole + 2 && d < radius - 2) {
                    sum += qAbs(qRed(p) - qRed(q)) + qAbs(qGreen(p) - qGreen(q)) +
                           qAbs(qBlue(p) - qBlue(q));
                    ++ring;
                } else if (d < hole - 2 || d > radius + 2) {
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

void TestPrintPage::discsOnOneA4Sheet_data()
{
    QTest::addColumn<bool>("secondIsDisc");
    QTest::newRow("two discs") << true;
    QTest::newRow("a disc and CD Front") << false;
}

// Discs on an A4 sheet with cut marks on and a bleed: two fit one page,
// each the square of its diameter; a disc does not bleed and has a grey
// guide just outside its edge and one just inside its hole, no marks; the
// other covers keep their bleed and marks.
void TestPrintPage::discsOnOneA4Sheet()
{
    QFETCH(bool, secondIsDisc);
    const jf::Paper paper = paperAt(1200);
    const QSize disc(445, 445);
    const QList<jf::SheetCover> covers{
        {"CD Disk", disc, true}, {"Second", secondIsDisc ? disc : QSize(460, 460), secondIsDisc}};
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
            const QPoint top(int(guide.center().x() / 12), int(guide.top() / 12));
            int darkest = 255;
            for (int dy = -1; dy <= 1; ++dy)
                darkest = std::min(darkest, qGray(drawn.pixel(top + QPoint(0, dy))));
            QVERIFY2(darkest < 235, qPrintable(QString::number(darkest)));
        }
    }
}

QTEST_MAIN(TestPrintPage)
#include "tst_printpage.moc"
