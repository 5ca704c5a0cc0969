// End to end through the print system: the real job, a confirming setup
// dialog, and the default CUPS queue, which must be a cups-pdf queue (see
// scripts/cups-start). Its output folder comes from JF_CUPS_PDF_DIR, else
// from the queue's /etc/cups/cups-pdf-<queue>.conf. Skips when no print
// service runs.
#include "CoverPrintJob.h"
#include "Errors.h"
#include "PrintTestSupport.h"
#include "PrintWindow.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPrinterInfo>
#include <QRegularExpression>
#include <QThread>

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

bool queueEmpty()
{
    QProcess p;
    p.start(QStringLiteral("lpstat"), {QStringLiteral("-o")});
    p.waitForFinished(10000);
    return p.exitCode() == 0 && p.readAllStandardOutput().trimmed().isEmpty();
}

} // namespace

class TestPrintCups : public QObject
{
    Q_OBJECT

private slots:
    void dvdCoverThroughCupsPdf();
};

void TestPrintCups::dvdCoverThroughCupsPdf()
{
    const QPrinterInfo printer = QPrinterInfo::defaultPrinter();
    if (printer.isNull() || QPrinterInfo::availablePrinters().isEmpty())
        QSKIP("no default printer: cupsd is not running (start it with scripts/cups-start)");
    const QString folder = cupsPdfFolder(printer.printerName());
    if (folder.isEmpty() || !QDir(folder).exists())
        QSKIP(qPrintable(QStringLiteral("default printer %1 is not a cups-pdf queue with a known "
                                        "output folder (set JF_CUPS_PDF_DIR)")
                             .arg(printer.printerName())));
    if (!havePoppler())
        QSKIP("poppler-utils not installed");

    const QStringList before = jobFiles(folder);

    ScriptedPrinterSetup setup;
    setup.edit = [](QPrinter& p) { // the user picks A4 landscape for a DVD
        p.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                    p.pageLayout().minimumMargins()));
    };
    jf::currentPrinter().replace(nullptr);
    jf::currentPrinter().setSetupService(&setup);
    const QColor teal(0, 128, 128);
    QImage picture(300, 200, QImage::Format_RGB32);
    picture.fill(teal);

    PrintWindow window;
    jf::printCover(nullptr, QStringLiteral("184"), QStringLiteral("270"),
                   jf::Picture::fromImage(picture), 2, QStringLiteral("Red"), window);
    QVERIFY(window.isHidden());
    QCOMPARE(setup.calls, 1);
    QCOMPARE(jf::currentPrinter().printer().printerName(), printer.printerName());
    jf::currentPrinter().setSetupService(nullptr);
    jf::currentPrinter().replace(nullptr);

    // The file shows up empty first: wait for the queue to drain.
    QString produced;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 90000) {
        if (queueEmpty()) {
            QStringList now = jobFiles(folder);
            for (const QString& f : before)
                now.removeAll(f);
            if (!now.isEmpty() && QFileInfo(QDir(folder).filePath(now.last())).size() > 0) {
                produced = QDir(folder).filePath(now.last());
                break;
            }
        }
        QThread::msleep(200);
    }
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

QTEST_MAIN(TestPrintCups)
#include "tst_printcups.moc"
