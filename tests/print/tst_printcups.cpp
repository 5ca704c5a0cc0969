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
    const QString conf =
        QString::fromUtf8(fileBytes(QStringLiteral("/etc/cups/cups-pdf-%1.conf").arg(queue)));
    return qEnvironmentVariable("JF_CUPS_PDF_DIR",
                                QRegularExpression(QStringLiteral("^\\s*Out\\s+(.*\\S)"),
                                                   QRegularExpression::MultilineOption)
                                    .match(conf)
                                    .captured(1));
}

QStringList jobFiles(const QString& folder)
{
    return QDir(folder).entryList({QStringLiteral("*-job_*.pdf")}, QDir::Files, QDir::Name);
}

// The output folder of the default printer, a cups-pdf queue, when the
// end-to-end tests can run; else empty and `why` says what is missing.
QString defaultQueueFolder(QString& why)
{
    const QString queue = QPrinterInfo::defaultPrinter().printerName();
    const QString folder = cupsPdfFolder(queue);
    why = queue.isEmpty() ? QStringLiteral("no default printer: cupsd is not running (start it "
                                           "with scripts/cups-start)")
          : folder.isEmpty() || !QDir(folder).exists()
              ? QStringLiteral("default printer %1 is not a cups-pdf queue with a known output "
                               "folder (set JF_CUPS_PDF_DIR)")
                    .arg(queue)
          : !havePoppler() ? QStringLiteral("poppler-utils not installed")
                           : QString();
    return why.isEmpty() ? folder : QString();
}

const QString kOptionsQueue = QStringLiteral("JacketforgeOptions");

// The PDF of the next job of the cups-pdf queue writing to `folder`. The file
// shows up empty first, so this waits for the queue to drain; empty after
// 90 s.
QString waitForNewJob(const QString& folder, const QStringList& before)
{
    const QString queue = QPrinterInfo::defaultPrinter().printerName();
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 90000) {
        // No job waits on the queue (other queues of a shared scheduler may
        // hold jobs of their own).
        const std::optional<QByteArray> jobs =
            outputOf({QStringLiteral("lpstat"), "-o", queue}, 10);
        if (jobs && jobs->trimmed().isEmpty()) {
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

} // namespace

class TestPrintCups : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void coverThroughCupsPdf_data();
    void coverThroughCupsPdf();
    void printerOptionsReachTheJob();
    void sheetThroughCupsPdf();
    void paintedColourFollowsTheQueue_data();
    void paintedColourFollowsTheQueue();

private:
    QString throughQueue(const std::function<void()>& print);

    QString m_folder; // the default queue's output; empty: m_why says why
    QString m_why;
    ScriptedPrinterSetup m_setup;
    jf::BorderColourMemory m_border;
};

void TestPrintCups::init()
{
    m_folder = defaultQueueFolder(m_why);
    m_setup = ScriptedPrinterSetup();
    m_border = jf::BorderColourMemory();
    jf::currentPrinter().replace(nullptr);
    jf::platform().printerSetup = &m_setup;
}

void TestPrintCups::cleanup()
{
    jf::platform().printerSetup = nullptr;
    jf::currentPrinter().replace(nullptr);
}

// What cups-pdf made of the job `print` sends to the default queue, through
// the setup dialog once, in a file that asks to print at actual size; empty
// when anything of that failed (a warning says what) or no new *-job_N.pdf
// came within 90 s.
QString TestPrintCups::throughQueue(const std::function<void()>& print)
{
    const QStringList before = jobFiles(m_folder);
    QSignalSpy sent(&jf::jobSender(), &jf::JobSender::finished);
    print();
    const jf::SentJob job =
        waitForSentJob() && sent.size() == 1 ? sent[0][0].value<jf::SentJob>() : jf::SentJob();
    const QString wrong =
        !job.accepted()      ? QStringLiteral("the queue did not take the job: ") + job.failure
        : m_setup.calls != 1 ? QStringLiteral("the setup dialog was not asked once")
        : jf::currentPrinter().printer().printerName() !=
                QPrinterInfo::defaultPrinter().printerName()
            ? QStringLiteral("the job went to another queue")
        : !fileBytes(spooledDocument(job.jobId)).contains("/PrintScaling /None")
            ? QStringLiteral("the PDF does not ask to print at actual size")
            : QString();
    if (!wrong.isEmpty())
        qWarning("%s", qPrintable(wrong));
    return wrong.isEmpty() ? waitForNewJob(m_folder, before) : QString();
}

void TestPrintCups::coverThroughCupsPdf_data()
{
    QTest::addColumn<QPageSize::PageSizeId>("paper");
    QTest::addColumn<QPageLayout::Orientation>("orientation");
    QTest::addColumn<bool>("jpeg"); // passed through; else painted
    QTest::addColumn<int>("border");
    QTest::addColumn<QList<double>>("measured"); // the calibration's line; empty: none
    const QList<double> none, measured{148.5, 101, 1.5, -1};
    QTest::newRow("DVD, A4 landscape")
        << QPageSize::A4 << QPageLayout::Landscape << true << 2 << none;
    // Measured on portrait paper: the rectangle 148.5 x 101 mm, the page
    // 1.5 mm right of and 1 mm above where it belongs.
    QTest::newRow("DVD, A3 portrait, calibrated")
        << QPageSize::A3 << QPageLayout::Portrait << false << 0 << measured;
    QTest::newRow("DVD, A4 landscape, calibrated")
        << QPageSize::A4 << QPageLayout::Landscape << false << 0 << measured;
}

// A DVD cover through the default queue: as large as it should be and where
// it should be on the sheet. Uncalibrated, 96 cover pixels an inch;
// calibrated, 3.8 a true millimetre, scaled by 150 / 148.5 along the
// sheet's short edge and 100 / 101 along the long one, and moved.
void TestPrintCups::coverThroughCupsPdf()
{
    if (m_folder.isEmpty())
        QSKIP(qPrintable(m_why));
    QFETCH(QPageSize::PageSizeId, paper);
    QFETCH(QPageLayout::Orientation, orientation);
    QFETCH(bool, jpeg);
    QFETCH(int, border);
    QFETCH(QList<double>, measured);
    const bool calibrated = !measured.isEmpty(), portrait = orientation == QPageLayout::Portrait;
    jf::CalibrationTable calibration;
    if (calibrated)
        calibration.set(QPrinterInfo::defaultPrinter().printerName(),
                        {measured[0], measured[1], measured[2], measured[3]});
    const double mm = calibrated ? 1 / 3.8 : 25.4 / 96; // one cover pixel
    const QList<double> m = calibrated ? measured : QList<double>{150, 100, 0, 0};
    const double shortEdge = 150 / m[0], longEdge = 100 / m[1], right = m[2], down = m[3];
    const double inset = 10 * mm;

    const QColor teal(0, 128, 128);
    m_setup.edit = [&](QPrinter& p) {
        p.setPageLayout(
            QPageLayout(QPageSize(paper), orientation, p.pageLayout().minimumMargins()));
    };
    const QString produced = throughQueue([&] {
        jf::printCover(nullptr,
                       {QStringLiteral("184"), QStringLiteral("270"),
                        jpeg ? jf::loadPictureData(solidJpeg(teal, {300, 200}), "jpg")
                             : solidPicture(teal, {300, 200}),
                        std::uint8_t(border), QStringLiteral("Red"), "DVD"},
                       m_border, &calibration);
    });
    QVERIFY(!produced.isEmpty());
    const QRectF area =
        jf::paperOf(jf::currentPrinter().printer())
            .printable(portrait ? jf::PaperOrientation::Portrait : jf::PaperOrientation::Landscape);
    const QImage sheet = renderPdf(produced, 600);
    QFile::remove(produced);
    const double sheetHeight = mmAt(sheet.height(), 600);
    // cups-pdf puts a landscape page on a portrait sheet, its top along the
    // sheet's left edge: back to the page's axes.
    const auto onPage = [&](const QRect& dots) {
        const QRectF r = mmOf(dots, 600);
        return portrait ? r : QRectF(sheetHeight - r.bottom(), r.left(), r.height(), r.width());
    };
    const QRectF cover = onPage(boundsOf(sheet, teal)), ring = onPage(boundsOf(sheet, Qt::red));
    // Down the long edge the printer puts a point p mm below the printable
    // area's top down + 1.01 * p below it. Landscape, page x lies length - x
    // below it, so x is sent where length - down - 1.01 * (length - x) = inset.
    const QSizeF size = portrait ? QSizeF(1026 * mm * shortEdge, 699 * mm * longEdge)
                                 : QSizeF(1026 * mm * longEdge, 699 * mm * shortEdge);
    const QPointF at = portrait ? QPointF((inset - right) * shortEdge, (inset - down) * longEdge)
                                : QPointF(area.width() - (area.width() - down - inset) * longEdge,
                                          (inset - right) * shortEdge);
    const QString seen =
        describe(cover) + " in the printable area " + describe(area) + ", ring " + describe(ring);
    QVERIFY2(closeTo(cover, QRectF(area.topLeft() + at, size), 0.1), qPrintable(seen));
    QVERIFY2(border == 0 || qAbs((ring.width() - cover.width()) / 2 - border * mm) < 0.15,
             qPrintable(seen));
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
    m_setup.edit = [](QPrinter& p) { p.setPrinterName("JacketforgeColour"); };
    QVERIFY(jf::currentPrinter().runSetupDialog(nullptr));
    QCOMPARE(jf::currentPrinter().printer().colorMode(),
             grey ? QPrinter::GrayScale : QPrinter::Color);
}

void TestPrintCups::printerOptionsReachTheJob()
{
    if (!QPrinterInfo::availablePrinterNames().contains(kOptionsQueue))
        QSKIP("no queue JacketforgeOptions (scripts/cups-start adds it)");
    if (QStandardPaths::findExecutable(QStringLiteral("ipptool")).isEmpty())
        QSKIP("ipptool (cups-ipp-utils) not installed");
    QTemporaryDir temp;

    // "Printer Setup": the user picks the queue and, on its properties page,
    // a PDF version other than the driver's default. Qt's dialog keeps such a
    // choice in the print engine's option list.
    const auto key = QPrintEngine::PrintEnginePropertyKey(0xfe00);
    m_setup.edit = [key](QPrinter& p) {
        p.setPrinterName(kOptionsQueue);
        QStringList options = p.printEngine()->property(key).toStringList();
        options << QStringLiteral("PDFVer") << QStringLiteral("1.5");
        p.printEngine()->setProperty(key, options);
    };
    jf::setUpPrinter(nullptr);

    // "Print Cover": the dialog is confirmed as it comes.
    // A JPEG picture: the page goes to the queue with its file embedded.
    m_setup.edit = nullptr;
    QSignalSpy sent(&jf::jobSender(), &jf::JobSender::finished);
    jf::printCover(nullptr,
                   {QStringLiteral("20"), QStringLiteral("20"),
                    jf::loadPictureData(solidJpeg(QColor(0, 128, 128), {40, 40}), "jpg"), 1,
                    QStringLiteral("Red"), "CD"},
                   m_border);
    QVERIFY(waitForSentJob());
    QCOMPARE(m_setup.calls, 2);
    QCOMPARE(sent.size(), 1);
    const jf::SentJob taken = sent[0][0].value<jf::SentJob>();
    QVERIFY2(taken.accepted() && taken.queue == kOptionsQueue, qPrintable(taken.failure));
    const int job = taken.jobId;
    const QString attributes = jobAttributes(kOptionsQueue, job, temp.path());
    for (const char* attribute : {"job-id (integer) = ", "PDFVer (nameWithoutLanguage) = 1.5",
                                  "print-scaling (keyword) = none"})
        QVERIFY2(attributes.contains(QLatin1String(attribute)), qPrintable(attributes));
    // The JPEG went in as it is, in a file that asks to print at actual size.
    QVERIFY(fileBytes(spooledDocument(job)).contains("/PrintScaling /None"));

    // Qt's own dialog, confirmed without opening its printer properties,
    // rebuilds the option list from the queue's defaults; the program's
    // setup keeps the earlier options.
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

// "CD Front" (a JPEG, passed through) and "CD Back" (a PNG, painted) on one
// A4 page with cut marks: each as large as printed alone, the marks beside
// every corner and nothing of them inside the covers.
void TestPrintCups::sheetThroughCupsPdf()
{
    if (m_folder.isEmpty())
        QSKIP(qPrintable(m_why));
    QTemporaryDir temp;
    const QColor teal(0, 128, 128), orange(255, 128, 0);
    const QString frontFile = temp.filePath("front.jpg"), backFile = temp.filePath("back.png");
    QVERIFY(solidPicture(teal, {600, 600}).fullImage().save(frontFile, "JPEG", 95) &&
            solidPicture(orange, {760, 590}).fullImage().save(backFile, "PNG"));
    m_setup.edit = [](QPrinter& p) {
        p.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                    p.pageLayout().minimumMargins()));
    };
    jf::SheetPictures pictures;
    const QString produced = throughQueue([&] {
        jf::printSheet(nullptr, {{5, 121, 121, frontFile}, {7, 151, 118, backFile}},
                       {jf::defaultCoverNames(), 0, Qt::gray, true}, pictures, nullptr);
    });
    QVERIFY(!produced.isEmpty());
    QVERIFY(pdfInfo(produced).contains(QRegularExpression("Pages: +1\\n")));
    const int dpi = 600;
    const QImage page = renderPdf(produced, dpi);
    QFile::remove(produced);
    const double dotsPerMm = dpi / 25.4;
    // Each as large as printed alone: 1/96 inch a pixel.
    for (const auto& [colour, alone] :
         {std::pair{teal, QSizeF(460, 460) * 25.4 / 96}, {orange, QSizeF(574, 448) * 25.4 / 96}}) {
        const QRect r = boundsOf(page, colour, 30);
        const QSizeF size(mmAt(r.width(), dpi), mmAt(r.height(), dpi));
        QVERIFY2(qAbs(size.width() - alone.width()) < 0.1 &&
                     qAbs(size.height() - alone.height()) < 0.1,
                 qPrintable(colour.name() + describe(QRectF(QPointF(), size))));
        // Nothing dark inside the cover.
        for (int y = r.top() + 2; y < r.bottom() - 1; y += 7)
            QCOMPARE(countInRow(page, y, r.left() + 2, r.right() - 1, Qt::black, 100), 0);
        // A mark along each edge at each corner, 3 to 6 mm out: something dark
        // within 3 dots of the edge's line.
        for (const QPoint corner : {r.topLeft(), r.topRight(), r.bottomLeft(), r.bottomRight()}) {
            const int dx = corner.x() < r.center().x() ? -1 : 1;
            const int dy = corner.y() < r.center().y() ? -1 : 1;
            for (const double mm : {3.0, 4.5, 6.0}) {
                const int out = qRound(mm * dotsPerMm);
                for (const QRect strip : {QRect(corner.x() + dx * out, corner.y() - 3, 1, 7),
                                          QRect(corner.x() - 3, corner.y() + dy * out, 7, 1)})
                    QVERIFY2(!boundsWhere(page.copy(strip & page.rect()),
                                          [](QRgb p) { return qGray(p) < 160; })
                                  .isNull(),
                             qPrintable(colour.name() + describe(strip)));
            }
        }
    }
}

QTEST_MAIN(TestPrintCups)
#include "tst_printcups.moc"
