// End to end through the print system: the real job, a scripted setup
// dialog, and the default CUPS queue, which must be a cups-pdf queue (see
// scripts/cups-start). Its output folder comes from JF_CUPS_PDF_DIR, else
// from the queue's /etc/cups/cups-pdf-<queue>.conf; the job's attributes are
// read back with ipptool. Skips when no print service runs.
#include "CoverNames.h"
#include "CoverPrintJob.h"
#include "PrintTestSupport.h"
#include "PrinterSetupDialog.h"
#include "SheetPrinting.h"
#include "TestPlatform.h"

#include <QApplication>
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

// The output folder of the default printer, a cups-pdf queue, when the
// end-to-end tests can run; else empty and `why` says what is missing.
QString defaultQueueFolder(QString& why)
{
    const QString queue = QPrinterInfo::defaultPrinter().printerName();
    const QString conf =
        QString::fromUtf8(fileBytes(QStringLiteral("/etc/cups/cups-pdf-%1.conf").arg(queue)));
    const QString folder = qEnvironmentVariable(
        "JF_CUPS_PDF_DIR", QRegularExpression(QStringLiteral("^\\s*Out\\s+(.*\\S)"),
                                              QRegularExpression::MultilineOption)
                               .match(conf)
                               .captured(1));
    why = queue.isEmpty() ? QStringLiteral("no default printer: cupsd is not running (start it "
                                           "with scripts/cups-start)")
          : folder.isEmpty() || !QDir(folder).exists()
              ? QStringLiteral("default printer %1 is not a cups-pdf queue with a known output "
                               "folder (set JF_CUPS_PDF_DIR)")
                    .arg(queue)
          : !havePoppler() ? QStringLiteral("poppler-utils not installed")
          : QStandardPaths::findExecutable(QStringLiteral("ipptool")).isEmpty()
              ? QStringLiteral("ipptool (cups-ipp-utils) not installed")
              : QString();
    return why.isEmpty() ? folder : QString();
}

const QString kOptionsQueue = QStringLiteral("JacketforgeOptions");
// Where Qt's setup dialog keeps the choices of a queue's properties page.
const auto kOptions = QPrintEngine::PrintEnginePropertyKey(0xfe00);

// The PDF the cups-pdf queue writing to `folder` made of job `id`. The file
// shows up empty first, so this waits for the queue to drain; empty after
// 90 s.
QString waitForJobFile(const QString& folder, int id)
{
    const QString queue = QPrinterInfo::defaultPrinter().printerName();
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 90000) {
        // No job waits on the queue (other queues of a shared scheduler may
        // hold jobs of their own).
        const std::optional<QByteArray> jobs =
            outputOf({QStringLiteral("lpstat"), "-o", queue}, 10);
        const QFileInfoList made =
            QDir(folder).entryInfoList({QStringLiteral("*-job_%1.pdf").arg(id)}, QDir::Files);
        if (jobs && jobs->trimmed().isEmpty() && !made.isEmpty() && made[0].size() > 0)
            return made[0].filePath();
        QThread::msleep(200);
    }
    return QString();
}

} // namespace

class TestPrintCups : public QObject
{
    Q_OBJECT

    // The paper, its orientation, a JPEG (passed through; else painted), the
    // border, the calibration's line (empty: none).
    using CoverRow =
        std::tuple<QPageSize::PageSizeId, QPageLayout::Orientation, bool, int, QList<double>>;

    QString m_folder; // the default queue's output; empty: m_why says why
    QString m_why;
    ScriptedPrinterSetup m_setup;
    jf::BorderColourMemory m_border;
    jf::SentJob m_sent; // the last job throughQueue sent

    // The setup dialog is confirmed on `paper`, turned as `orientation`, with
    // `options` chosen on the queue's properties page.
    void choosePaper(QPageSize::PageSizeId paper, QPageLayout::Orientation orientation,
                     const QStringList& options = {})
    {
        m_setup.edit = [=](QPrinter& p) {
            p.setPageLayout(
                QPageLayout(QPageSize(paper), orientation, p.pageLayout().minimumMargins()));
            if (!options.isEmpty())
                p.printEngine()->setProperty(
                    kOptions, p.printEngine()->property(kOptions).toStringList() + options);
        };
    }
    // What cups-pdf made of the job `print` sends to the default queue,
    // through the setup dialog once, in a file that asks to print at actual
    // size; empty when anything of that failed (a warning says what) or its
    // *-job_N.pdf did not come within 90 s.
    QString throughQueue(const std::function<void()>& print)
    {
        QSignalSpy sent(&jf::jobSender(), &jf::JobSender::finished);
        print();
        const jf::SentJob job = m_sent =
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
        return wrong.isEmpty() ? waitForJobFile(m_folder, job.jobId) : QString();
    }

private slots:
    void init()
    {
        m_folder = defaultQueueFolder(m_why);
        m_setup = ScriptedPrinterSetup();
        m_border = jf::BorderColourMemory();
        jf::currentPrinter().replace(nullptr);
        jf::platform().printerSetup = &m_setup;
    }
    void cleanup()
    {
        jf::platform().printerSetup = nullptr;
        jf::currentPrinter().replace(nullptr);
    }

    void coverThroughCupsPdf_data()
    {
        const auto row = jftest::rows<CoverRow>();
        const QList<double> none, measured{148.5, 101, 1.5, -1};
        row("DVD, A4 landscape", QPageSize::A4, QPageLayout::Landscape, true, 2, none);
        // Measured on portrait paper: the rectangle 148.5 x 101 mm, the page
        // 1.5 mm right of and 1 mm above where it belongs.
        row("DVD, A3 portrait, calibrated", QPageSize::A3, QPageLayout::Portrait, false, 0,
            measured);
        row("DVD, A4 landscape, calibrated", QPageSize::A4, QPageLayout::Landscape, false, 0,
            measured);
    }
    // A DVD cover through the default queue: as large as it should be and
    // where it should be on the sheet. Uncalibrated, 96 cover pixels an inch;
    // calibrated, 3.8 a true millimetre, scaled by 150 / 148.5 along the
    // sheet's short edge and 100 / 101 along the long one, and moved.
    void coverThroughCupsPdf()
    {
        if (m_folder.isEmpty())
            QSKIP(qPrintable(m_why));
        const auto [paper, orientation, jpeg, border, measured] = jftest::fetch<CoverRow>();
        const bool calibrated = !measured.isEmpty(),
                   portrait = orientation == QPageLayout::Portrait;
        jf::CalibrationTable calibration;
        if (calibrated)
            calibration.set(QPrinterInfo::defaultPrinter().printerName(),
                            {measured[0], measured[1], measured[2], measured[3]});
        const double mm = calibrated ? 1 / 3.8 : 25.4 / 96; // one cover pixel
        const QList<double> m = calibrated ? measured : QList<double>{150, 100, 0, 0};
        const double shortEdge = 150 / m[0], longEdge = 100 / m[1], right = m[2], down = m[3];
        const double inset = 10 * mm;

        // "Printer Setup": the paper and, on the queue's properties page, a
        // PDF version other than the driver's default. "Print Cover" then
        // confirms the dialog as it comes: the choices reach the job.
        choosePaper(paper, orientation, {"PDFVer", "1.5"});
        jf::setUpPrinter(nullptr);
        m_setup = ScriptedPrinterSetup();
        const QColor teal(0, 128, 128);
        const QString produced = throughQueue([&] {
            jf::printCover(nullptr,
                           {QStringLiteral("184"), QStringLiteral("270"),
                            jpeg ? jf::loadPictureData(solidJpeg(teal, {300, 200}), "jpg")
                                 : solidPicture(teal, {300, 200}),
                            std::uint8_t(border), QStringLiteral("Red"), "DVD"},
                           m_border, &calibration);
        });
        QVERIFY(!produced.isEmpty());
        QTemporaryDir temp;
        const QString attributes =
            jobAttributes(QPrinterInfo::defaultPrinter().printerName(), m_sent.jobId, temp.path());
        for (const char* attribute : {"job-id (integer) = ", "PDFVer (nameWithoutLanguage) = 1.5",
                                      "print-scaling (keyword) = none"})
            QVERIFY2(attributes.contains(QLatin1String(attribute)), qPrintable(attributes));
        const QRectF area = jf::paperOf(jf::currentPrinter().printer())
                                .printable(portrait ? jf::PaperOrientation::Portrait
                                                    : jf::PaperOrientation::Landscape);
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
        const QPointF at = portrait
                               ? QPointF((inset - right) * shortEdge, (inset - down) * longEdge)
                               : QPointF(area.width() - (area.width() - down - inset) * longEdge,
                                         (inset - right) * shortEdge);
        const QString seen = describe(cover) + " in the printable area " + describe(area) +
                             ", ring " + describe(ring);
        QVERIFY2(closeTo(cover, QRectF(area.topLeft() + at, size), 0.1), qPrintable(seen));
        QVERIFY2(border == 0 || qAbs((ring.width() - cover.width()) / 2 - border * mm) < 0.15,
                 qPrintable(seen));
    }

    void paintedColourFollowsTheQueue_data()
    {
        // Makes the queue ($0 is a scratch file); whether it prints grey.
        const auto row = jftest::rows<std::tuple<QString, bool>>();
        const QString add = "lpadmin -p JacketforgeColour -v file:///dev/null -E";
        row("queue without a driver description", add, false);
        row("queue whose description says grey",
            "sed 's/^.ColorDevice:.*/*ColorDevice: False/' "
            "/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd >$0 && " +
                add + " -P $0",
            true);
    }
    void paintedColourFollowsTheQueue()
    {
        const auto [make, grey] = jftest::fetch<std::tuple<QString, bool>>();
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

    void desktopSetupKeepsTheOptions()
    {
        if (!QPrinterInfo::availablePrinterNames().contains(kOptionsQueue))
            QSKIP("no queue JacketforgeOptions (scripts/cups-start adds it)");
        // Qt's own dialog, confirmed without opening its printer properties,
        // rebuilds the option list from the queue's defaults; the program's
        // setup keeps the earlier options.
        QPrinter printer(QPrinter::HighResolution);
        printer.setPrinterName(kOptionsQueue);
        printer.setColorMode(QPrinter::GrayScale);
        printer.printEngine()->setProperty(
            kOptions, QStringList{QStringLiteral("PDFVer"), QStringLiteral("1.5")});
        QTimer::singleShot(0, [] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                dialog->accept();
        });
        jf::DesktopPrinterSetup setup;
        QVERIFY(setup.run(nullptr, printer));
        const QStringList options = printer.printEngine()->property(kOptions).toStringList();
        const qsizetype at = options.indexOf(QStringLiteral("PDFVer"));
        QVERIFY2(at >= 0 && at % 2 == 0 && options.value(at + 1) == QLatin1String("1.5"),
                 qPrintable(options.join(u' ')));
        QCOMPARE(printer.colorMode(), QPrinter::GrayScale);
        QCOMPARE(printer.printerName(), kOptionsQueue);
    }

    // "CD Front" (a JPEG, passed through) and "CD Back" (a PNG, painted) on
    // one A4 page with cut marks: each as large as printed alone, the marks
    // beside every corner and nothing of them inside the covers.
    void sheetThroughCupsPdf()
    {
        if (m_folder.isEmpty())
            QSKIP(qPrintable(m_why));
        QTemporaryDir temp;
        const QColor teal(0, 128, 128), orange(255, 128, 0);
        const QString frontFile = temp.filePath("front.jpg"), backFile = temp.filePath("back.png");
        QVERIFY(solidPicture(teal, {600, 600}).fullImage().save(frontFile, "JPEG", 95) &&
                solidPicture(orange, {760, 590}).fullImage().save(backFile, "PNG"));
        choosePaper(QPageSize::A4, QPageLayout::Portrait);
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
        // Each as large as printed alone: 1/96 inch a pixel.
        for (const auto& [colour, alone] : {std::pair{teal, QSizeF(460, 460) * 25.4 / 96},
                                            {orange, QSizeF(574, 448) * 25.4 / 96}}) {
            const QRect r = boundsOf(page, colour, 30);
            const QSizeF size(mmAt(r.width(), dpi), mmAt(r.height(), dpi));
            QVERIFY2(qAbs(size.width() - alone.width()) < 0.1 &&
                         qAbs(size.height() - alone.height()) < 0.1,
                     qPrintable(colour.name() + describe(QRectF(QPointF(), size))));
            // Nothing dark inside the cover.
            for (int y = r.top() + 2; y < r.bottom() - 1; y += 7)
                QCOMPARE(countInRow(page, y, r.left() + 2, r.right() - 1, Qt::black, 100), 0);
            // A mark along each edge at each corner, 3 to 6 mm out: something
            // dark within 3 dots of the edge's line.
            for (const QPoint corner :
                 {r.topLeft(), r.topRight(), r.bottomLeft(), r.bottomRight()}) {
                const QPoint out(corner.x() < r.center().x() ? -1 : 1,
                                 corner.y() < r.center().y() ? -1 : 1);
                for (const double mm : {3.0, 4.5, 6.0}) {
                    const QPoint to = corner + out * qRound(mm * dpi / 25.4);
                    for (const QRect strip :
                         {QRect(to.x(), corner.y() - 3, 1, 7), QRect(corner.x() - 3, to.y(), 7, 1)})
                        QVERIFY2(!boundsWhere(page.copy(strip & page.rect()),
                                              [](QRgb p) { return qGray(p) < 160; })
                                      .isNull(),
                                 qPrintable(colour.name() + describe(strip)));
                }
            }
        }
    }
};

QTEST_MAIN(TestPrintCups)
#include "tst_printcups.moc"
