// End to end through the print system: the real job, a confirming setup
// dialog, and the default CUPS queue, which must be a cups-pdf queue (see
// scripts/cups-start). Its output folder comes from JF_CUPS_PDF_DIR, else
// from the queue's /etc/cups/cups-pdf-<queue>.conf. The printer options case
// prints to the second queue of scripts/cups-start and reads the job's
// attributes back with ipptool. Skips when no print service runs.
#include "CoverNames.h"
#include "CoverPrintJob.h"
#include "Errors.h"
#include "PrintTestSupport.h"
#include "PrinterSetupDialog.h"
#include "SheetPrinting.h"

#include <QApplication>
#include <QBuffer>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPrintEngine>
#include <QPrinterInfo>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

using namespace printtest;

namespace {

QString cupsPdfFolder(const QString& queue)
{
    const QString fromEnv = qEnvironmentVariable("JF_CUPS_PDF_DIR");
    if (!fromEnv.isEmpty())
        return fromEnv;
    QFile conf(QStringLiteral("/etc/cups/cups-pdf-%1.conf").arg(queue));
    if (!conf.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    while (!conf.atEnd()) {
        const QString line = QString::fromUtf8(conf.readLine()).trimmed();
        if (line.startsWith(QLatin1String("Out ")))
            return line.mid(4).trimmed();
    }
    return QString();
}

QStringList jobFiles(const QString& folder)
{
    return QDir(folder).entryList({QStringLiteral("*-job_*.pdf")}, QDir::Files, QDir::Name);
}

// No job waits on `queue` (other queues of a shared scheduler may hold
// jobs of their own).
bool queueEmpty(const QString& queue)
{
    QProcess p;
    p.start(QStringLiteral("lpstat"), {QStringLiteral("-o"), queue});
    p.waitForFinished(10000);
    return p.exitCode() == 0 && p.readAllStandardOutput().trimmed().isEmpty();
}

// The output folder of the default printer, a cups-pdf queue, when the
// end-to-end tests can run; else empty and `why` says what is missing.
QString defaultQueueFolder(QString& why)
{
    const QPrinterInfo printer = QPrinterInfo::defaultPrinter();
    if (printer.isNull() || QPrinterInfo::availablePrinters().isEmpty()) {
        why = QStringLiteral("no default printer: cupsd is not running (start it with "
                             "scripts/cups-start)");
        return QString();
    }
    const QString folder = cupsPdfFolder(printer.printerName());
    if (folder.isEmpty() || !QDir(folder).exists()) {
        why = QStringLiteral("default printer %1 is not a cups-pdf queue with a known output "
                             "folder (set JF_CUPS_PDF_DIR)")
                  .arg(printer.printerName());
        return QString();
    }
    if (!havePoppler()) {
        why = QStringLiteral("poppler-utils not installed");
        return QString();
    }
    return folder;
}

const QString kOptionsQueue = QStringLiteral("JacketforgeOptions");

// Highest job number the queue has ever had, 0 for none.
int lastJob(const QString& queue)
{
    QProcess p;
    p.start(QStringLiteral("lpstat"),
            {QStringLiteral("-W"), QStringLiteral("all"), QStringLiteral("-o"), queue});
    p.waitForFinished(10000);
    int last = 0;
    const QRegularExpression id(QStringLiteral("^%1-(\\d+)\\s").arg(queue),
                                QRegularExpression::MultilineOption);
    for (auto it = id.globalMatch(QString::fromUtf8(p.readAllStandardOutput())); it.hasNext();)
        last = std::max(last, it.next().captured(1).toInt());
    return last;
}

// The PDF of the next job of the cups-pdf queue writing to `folder`. The file
// shows up empty first, so this waits for the queue to drain; empty after
// 90 s.
QString waitForNewJob(const QString& folder, const QStringList& before)
{
    const QString queue = QPrinterInfo::defaultPrinter().printerName();
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 90000) {
        if (queueEmpty(queue)) {
            QStringList now = jobFiles(folder);
            for (const QString& f : before)
                now.removeAll(f);
            if (!now.isEmpty() && QFileInfo(QDir(folder).filePath(now.last())).size() > 0)
                return QDir(folder).filePath(now.last());
        }
        QThread::msleep(200);
    }
    return QString();
}

// A plain JPEG of one colour: printed with its file embedded as it is.
jf::Picture jpegPicture(const QColor& colour, QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 95);
    return jf::loadPictureData(bytes, QStringLiteral("jpg"));
}

// The PDF the program handed to CUPS for `job`: the scheduler's copy of the
// document (kept after the job), before its filters rewrite it.
QByteArray handedPdf(int job)
{
    QFile spool(QStringLiteral("/var/spool/cups/d%1-001").arg(job, 5, 10, QLatin1Char('0')));
    return spool.open(QIODevice::ReadOnly) ? spool.readAll() : QByteArray();
}

} // namespace

class TestPrintCups : public QObject
{
    Q_OBJECT

private slots:
    void dvdCoverThroughCupsPdf();
    void printerOptionsReachTheJob();
    void qtDialogKeepsEarlierOptions();
    void calibrationTurnsWithThePaper();
    void sheetThroughCupsPdf();
    void paintedColourFollowsTheQueue_data();
    void paintedColourFollowsTheQueue();
};

void TestPrintCups::dvdCoverThroughCupsPdf()
{
    QString why;
    const QString folder = defaultQueueFolder(why);
    if (folder.isEmpty())
        QSKIP(qPrintable(why));
    const QPrinterInfo printer = QPrinterInfo::defaultPrinter();

    const QStringList before = jobFiles(folder);

    ScriptedPrinterSetup setup;
    setup.edit = [](QPrinter& p) { // the user picks A4 landscape for a DVD
        p.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                    p.pageLayout().minimumMargins()));
    };
    jf::currentPrinter().replace(nullptr);
    jf::platform().printerSetup = &setup;
    const QColor teal(0, 128, 128);
    jf::BorderColourMemory border;
    QSignalSpy sent(&jf::jobSender(), &jf::JobSender::finished);
    jf::printCover(nullptr,
                   {QStringLiteral("184"), QStringLiteral("270"),
                    jpegPicture(teal, QSize(300, 200)), 2, QStringLiteral("Red"), "DVD"},
                   border);
    QVERIFY(waitForSentJob());
    QCOMPARE(sent.size(), 1);
    QVERIFY2(sent[0][0].value<jf::SentJob>().accepted(),
             qPrintable(sent[0][0].value<jf::SentJob>().failure));
    QCOMPARE(setup.calls, 1);
    QCOMPARE(jf::currentPrinter().printer().printerName(), printer.printerName());
    jf::platform().printerSetup = nullptr;
    jf::currentPrinter().replace(nullptr);

    const QString produced = waitForNewJob(folder, before);
    QVERIFY2(!produced.isEmpty(), "no new *-job_N.pdf from the queue within 90 s");

    const QImage page = renderPdf(produced, 300);
    QVERIFY(!page.isNull());
    const QRect cover = boundsOf(page, teal);
    const QRect ring = boundsOf(page, QColor(255, 0, 0));
    QVERIFY(!cover.isNull());
    QVERIFY(!ring.isNull());
    // Ghostscript may have turned the page: compare the long and short sides.
    const double longSide = mmAt(std::max(cover.width(), cover.height()), 300);
    const double shortSide = mmAt(std::min(cover.width(), cover.height()), 300);
    const QString seen = QStringLiteral("cover %1 x %2 mm in %3")
                             .arg(longSide, 0, 'f', 2)
                             .arg(shortSide, 0, 'f', 2)
                             .arg(produced);
    QVERIFY2(qAbs(longSide - 1026 * 25.4 / 96) < 0.3, qPrintable(seen)); // 271.46 mm
    QVERIFY2(qAbs(shortSide - 699 * 25.4 / 96) < 0.3, qPrintable(seen)); // 184.94 mm
    const double ringAcross = mmAt((ring.width() - cover.width()) / 2.0, 300);
    QVERIFY2(qAbs(ringAcross - 2 * 25.4 / 96) < 0.15, qPrintable(QString::number(ringAcross)));
    QFile::remove(produced);
}

void TestPrintCups::paintedColourFollowsTheQueue_data()
{
    // Makes the queue; $0 is a scratch file.
    QTest::addColumn<QString>("make");
    QTest::addColumn<bool>("grey");
    const QString add = "lpadmin -p JacketforgeColour -v file:///dev/null -E";
    QTest::newRow("queue without a driver description") << add << false;
    QTest::newRow("queue whose description says grey")
        << "sed 's/^.ColorDevice:.*/*ColorDevice: False/' "
           "/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd >$0 && " +
               add + " -P $0"
        << true;
}

void TestPrintCups::paintedColourFollowsTheQueue()
{
    QFETCH(QString, make);
    QFETCH(bool, grey);
    if (QPrinterInfo::availablePrinters().isEmpty())
        QSKIP("no print service runs (start it with scripts/cups-start)");
    QTemporaryDir temp;
    QCOMPARE(QProcess::execute("sh", {"-c", make, temp.filePath("grey.ppd")}), 0);
    const auto remove = qScopeGuard([] {
        QProcess::execute("lpadmin", {"-x", "JacketforgeColour"});
    });
    // The queue is picked in "Printer Setup"; Qt's own choice there is grey
    // for both. Pages are painted in the printer's colour mode.
    ScriptedPrinterSetup setup;
    setup.edit = [](QPrinter& p) { p.setPrinterName("JacketforgeColour"); };
    jf::currentPrinter().replace(nullptr);
    jf::platform().printerSetup = &setup;
    QVERIFY(jf::currentPrinter().runSetupDialog(nullptr));
    jf::platform().printerSetup = nullptr;
    QCOMPARE(jf::currentPrinter().printer().colorMode(),
             grey ? QPrinter::GrayScale : QPrinter::Color);
}

void TestPrintCups::printerOptionsReachTheJob()
{
    if (QPrinterInfo::defaultPrinter().isNull() || QPrinterInfo::availablePrinters().isEmpty())
        QSKIP("no default printer: cupsd is not running (start it with scripts/cups-start)");
    if (!QPrinterInfo::availablePrinterNames().contains(kOptionsQueue))
        QSKIP(qPrintable(
            QStringLiteral("no queue %1 (scripts/cups-start adds it)").arg(kOptionsQueue)));
    if (QStandardPaths::findExecutable(QStringLiteral("ipptool")).isEmpty())
        QSKIP("ipptool (cups-ipp-utils) not installed");
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    const int before = lastJob(kOptionsQueue);

    // "Printer Setup": the user picks the queue and, on its properties page,
    // a PDF version other than the driver's default. Qt's dialog keeps such a
    // choice in the print engine's option list.
    ScriptedPrinterSetup setup;
    setup.edit = [](QPrinter& p) {
        p.setPrinterName(kOptionsQueue);
        const auto key = QPrintEngine::PrintEnginePropertyKey(0xfe00);
        QStringList options = p.printEngine()->property(key).toStringList();
        options << QStringLiteral("PDFVer") << QStringLiteral("1.5");
        p.printEngine()->setProperty(key, options);
    };
    jf::currentPrinter().replace(nullptr);
    jf::platform().printerSetup = &setup;
    jf::setUpPrinter(nullptr);

    // "Print Cover": the dialog is confirmed as it comes.
    // A JPEG picture: the page goes to the queue with its file embedded.
    setup.edit = nullptr;
    jf::BorderColourMemory border;
    jf::printCover(nullptr,
                   {QStringLiteral("20"), QStringLiteral("20"),
                    jpegPicture(QColor(0, 128, 128), QSize(40, 40)), 1, QStringLiteral("Red"),
                    "CD"},
                   border);
    QVERIFY(waitForSentJob());
    QCOMPARE(setup.calls, 2);
    jf::platform().printerSetup = nullptr;
    jf::currentPrinter().replace(nullptr);

    const int job = lastJob(kOptionsQueue); // job numbers count across all queues
    QVERIFY2(job > before, "no new job on the queue");
    const QString attributes = jobAttributes(kOptionsQueue, job, temp.path());
    QVERIFY2(attributes.contains(QLatin1String("job-id (integer) = ")), qPrintable(attributes));
    QVERIFY2(attributes.contains(QLatin1String("PDFVer (nameWithoutLanguage) = 1.5")),
             qPrintable(attributes));
    QVERIFY2(attributes.contains(QLatin1String("print-scaling (keyword) = none")),
             qPrintable(attributes));
    // The JPEG went in as it is, in a file that asks to print at actual size.
    QVERIFY(handedPdf(job).contains("/PrintScaling /None"));
}

void TestPrintCups::qtDialogKeepsEarlierOptions()
{
    // Qt's own dialog, confirmed without opening its printer properties,
    // rebuilds the option list from the queue's defaults.
    if (!QPrinterInfo::availablePrinterNames().contains(kOptionsQueue))
        QSKIP(qPrintable(
            QStringLiteral("no queue %1 (scripts/cups-start adds it)").arg(kOptionsQueue)));
    const auto key = QPrintEngine::PrintEnginePropertyKey(0xfe00);
    QPrinter printer(QPrinter::HighResolution);
    printer.setPrinterName(kOptionsQueue);
    printer.setColorMode(QPrinter::GrayScale);
    printer.printEngine()->setProperty(
        key, QStringList{QStringLiteral("PDFVer"), QStringLiteral("1.5")});
    QTimer::singleShot(0, [] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            dialog->accept();
    });
    jf::DesktopPrinterSetup setup;
    QVERIFY(setup.run(nullptr, printer));
    const QStringList options = printer.printEngine()->property(key).toStringList();
    const qsizetype at = options.indexOf(QStringLiteral("PDFVer"));
    QVERIFY2(at >= 0 && at % 2 == 0 && options.value(at + 1) == QLatin1String("1.5"),
             qPrintable(options.join(u' ')));
    QCOMPARE(printer.colorMode(), QPrinter::GrayScale);
    QCOMPARE(printer.printerName(), kOptionsQueue);
}

void TestPrintCups::calibrationTurnsWithThePaper()
{
    QString why;
    const QString folder = defaultQueueFolder(why);
    if (folder.isEmpty())
        QSKIP(qPrintable(why));
    const QPrinterInfo printer = QPrinterInfo::defaultPrinter();

    // Measured on portrait paper: the rectangle 148.5 x 101 mm, the page
    // 1.5 mm right of and 1 mm above where it belongs.
    const double shortEdge = 150 / 148.5, longEdge = 100 / 101.0;
    const double inset = 10 / 3.8, right = 1.5, down = -1.0;
    jf::CalibrationTable calibration;
    calibration.set(printer.printerName(), {148.5, 101.0, right, down});

    const QColor teal(0, 128, 128);
    QImage picture(300, 200, QImage::Format_RGB32);
    picture.fill(teal);
    jf::BorderColourMemory border;
    ScriptedPrinterSetup setup;
    jf::currentPrinter().replace(nullptr);
    jf::platform().printerSetup = &setup;
    const struct
    {
        const char* name;
        QPageSize::PageSizeId paper;
        QPageLayout::Orientation orientation;
        QSizeF cover; // millimetres across and down the page
        QPointF at;   // from the printable area's corner
    } cases[] = {
        {"DVD, A3 portrait",
         QPageSize::A3,
         QPageLayout::Portrait,
         {270 * shortEdge, 184 * longEdge},
         {(inset - right) * shortEdge, (inset - down) * longEdge}},
        // The page lies across the sheet: its width runs up the long edge.
        // Its x is set below: it depends on the length of the printable area.
        {"DVD, A4 landscape",
         QPageSize::A4,
         QPageLayout::Landscape,
         {270 * longEdge, 184 * shortEdge},
         {qQNaN(), (inset - right) * shortEdge}},
    };
    for (const auto& c : cases) {
        setup.edit = [&](QPrinter& p) {
            p.setPageLayout(
                QPageLayout(QPageSize(c.paper), c.orientation, p.pageLayout().minimumMargins()));
        };
        const QStringList before = jobFiles(folder);
        jf::printCover(nullptr,
                       {QStringLiteral("184"), QStringLiteral("270"),
                        jf::Picture::fromImage(picture), 0, QStringLiteral("Gray"), "DVD"},
                       border, &calibration);
        QVERIFY(waitForSentJob());
        const jf::Paper paper = jf::paperOf(jf::currentPrinter().printer());
        const QRectF area = paper.printable(c.orientation == QPageLayout::Portrait
                                                ? jf::PaperOrientation::Portrait
                                                : jf::PaperOrientation::Landscape);
        // Down the long edge the printer puts a point p mm below the printable
        // area's top down + 1.01 * p below it. Page x lies length - x below
        // it, so x is sent where length - down - 1.01 * (length - x) = inset.
        QPointF at = c.at;
        if (c.orientation == QPageLayout::Landscape)
            at.setX(area.width() - (area.width() - down - inset) * longEdge);
        const QString produced = waitForNewJob(folder, before);
        QVERIFY2(!produced.isEmpty(), c.name);
        const QImage sheet = renderPdf(produced, 600);
        QFile::remove(produced);
        QRectF cover = boundsOf(sheet, teal);
        cover = QRectF(mmAt(cover.x(), 600), mmAt(cover.y(), 600), mmAt(cover.width(), 600),
                       mmAt(cover.height(), 600));
        const double sheetHeight = mmAt(sheet.height(), 600);
        // cups-pdf puts a landscape page on a portrait sheet, its top along
        // the sheet's left edge: back to the page's axes.
        if (c.orientation == QPageLayout::Landscape)
            cover =
                QRectF(sheetHeight - cover.bottom(), cover.left(), cover.height(), cover.width());
        const QString seen = QStringLiteral("%1: %2 x %3 mm at %4, %5 (area at %6, %7)")
                                 .arg(QLatin1String(c.name))
                                 .arg(cover.width())
                                 .arg(cover.height())
                                 .arg(cover.x())
                                 .arg(cover.y())
                                 .arg(area.x())
                                 .arg(area.y());
        QVERIFY2(qAbs(cover.width() - c.cover.width()) < 0.1, qPrintable(seen));
        QVERIFY2(qAbs(cover.height() - c.cover.height()) < 0.1, qPrintable(seen));
        QVERIFY2(qAbs(cover.x() - area.x() - at.x()) < 0.1, qPrintable(seen));
        QVERIFY2(qAbs(cover.y() - area.y() - at.y()) < 0.1, qPrintable(seen));
    }
    jf::platform().printerSetup = nullptr;
    jf::currentPrinter().replace(nullptr);
}

// "CD Front" (a JPEG, passed through) and "CD Back" (a PNG, painted) on one
// A4 page with cut marks: each as large as printed alone, the marks beside
// every corner and nothing of them inside the covers.
void TestPrintCups::sheetThroughCupsPdf()
{
    QString why;
    const QString folder = defaultQueueFolder(why);
    if (folder.isEmpty())
        QSKIP(qPrintable(why));
    const QPrinterInfo printer = QPrinterInfo::defaultPrinter();
    QTemporaryDir temp;
    const QColor teal(0, 128, 128), orange(255, 128, 0);
    QImage front(600, 600, QImage::Format_RGB32), back(760, 590, QImage::Format_RGB32);
    front.fill(teal);
    back.fill(orange);
    const QString frontFile = temp.filePath("front.jpg"), backFile = temp.filePath("back.png");
    QVERIFY(front.save(frontFile, "JPEG", 95) && back.save(backFile, "PNG"));

    ScriptedPrinterSetup setup;
    setup.edit = [](QPrinter& p) {
        p.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                    p.pageLayout().minimumMargins()));
    };
    jf::currentPrinter().replace(nullptr);
    jf::platform().printerSetup = &setup;
    const QStringList before = jobFiles(folder);
    jf::SheetPictures pictures;
    jf::printSheet(nullptr, {{5, 121, 121, frontFile}, {7, 151, 118, backFile}},
                   {jf::defaultCoverNames(), 0, Qt::gray, true}, pictures, nullptr);
    QVERIFY(waitForSentJob());
    QCOMPARE(setup.calls, 1);
    jf::platform().printerSetup = nullptr;
    jf::currentPrinter().replace(nullptr);
    QVERIFY(handedPdf(lastJob(printer.printerName())).contains("/PrintScaling /None"));
    const QString produced = waitForNewJob(folder, before);
    QVERIFY2(!produced.isEmpty(), "no new *-job_N.pdf from the queue within 90 s");
    QVERIFY(pdfInfo(produced).contains(QRegularExpression("Pages: +1\\n")));
    const int dpi = 600;
    const QImage page = renderPdf(produced, dpi);
    QFile::remove(produced);
    const double dotsPerMm = dpi / 25.4;
    const struct
    {
        QColor colour;
        QSizeF alone; // millimetres, as printed alone: 1/96 inch a pixel
    } covers[] = {{teal, QSizeF(460, 460) * 25.4 / 96}, {orange, QSizeF(574, 448) * 25.4 / 96}};
    for (const auto& cover : covers) {
        const QRect r = boundsOf(page, cover.colour, 30);
        const QString seen = QStringLiteral("%1: %2 x %3 mm")
                                 .arg(cover.colour.name())
                                 .arg(mmAt(r.width(), dpi))
                                 .arg(mmAt(r.height(), dpi));
        QVERIFY2(qAbs(mmAt(r.width(), dpi) - cover.alone.width()) < 0.1, qPrintable(seen));
        QVERIFY2(qAbs(mmAt(r.height(), dpi) - cover.alone.height()) < 0.1, qPrintable(seen));
        // Nothing dark inside the cover.
        for (int y = r.top() + 2; y < r.bottom() - 1; y += 7)
            QCOMPARE(countInRow(page, y, r.left() + 2, r.right() - 1, Qt::black, 100), 0);
        // A mark along each edge at each corner, 3 to 6 mm out.
        const auto darkNear = [&](QPointF at, bool across) {
            int darkest = 255;
            for (int d = -3; d <= 3; ++d) {
                const QPoint p = (at + (across ? QPointF(0, d) : QPointF(d, 0))).toPoint();
                if (page.rect().contains(p))
                    darkest = std::min(darkest, qGray(page.pixel(p)));
            }
            return darkest < 160;
        };
        for (const QPointF corner : {QPointF(r.topLeft()), QPointF(r.topRight()),
                                     QPointF(r.bottomLeft()), QPointF(r.bottomRight())}) {
            const int dx = corner.x() < r.center().x() ? -1 : 1;
            const int dy = corner.y() < r.center().y() ? -1 : 1;
            for (const double mm : {3.0, 4.5, 6.0}) {
                const QString where = QStringLiteral("%1 corner %2,%3 at %4 mm")
                                          .arg(cover.colour.name())
                                          .arg(corner.x())
                                          .arg(corner.y())
                                          .arg(mm);
                QVERIFY2(darkNear(corner + QPointF(dx * mm * dotsPerMm, 0), true),
                         qPrintable(where));
                QVERIFY2(darkNear(corner + QPointF(0, dy * mm * dotsPerMm), false),
                         qPrintable(where));
            }
        }
    }
}

QTEST_MAIN(TestPrintCups)
#include "tst_printcups.moc"
