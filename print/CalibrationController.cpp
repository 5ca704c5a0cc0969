#include "CalibrationController.h"

#include "CalibrationPage.h"
#include "CurrentPrinter.h"
#include "DataFileFormats.h"
#include "ErrorReport.h"

#include <QPrinter>

#include <utility>

namespace jf {

namespace {

// The queue a calibration belongs to. "Print to File (PDF)" and any other
// destination without a queue name have no paper of their own to correct.
QString calibratedQueue()
{
    const QPrinter& printer = currentPrinter().printer();
    if (const QString queue = printerQueue(printer); !queue.isEmpty())
        return queue;
    const QString name = printer.outputFormat() == QPrinter::PdfFormat
                             ? QStringLiteral("\"Print to File (PDF)\"")
                             : QStringLiteral("This destination");
    throw Error(QStringLiteral("%1 is not a printer and cannot be calibrated. Choose a printer "
                               "in Printer Setup first.")
                    .arg(name));
}

} // namespace

CalibrationController::CalibrationController(Workspace& workspace, QWidget* windowParent)
    : m_workspace(workspace), m_windowParent(windowParent)
{
}

void CalibrationController::load()
{
    const QString path = m_workspace.folder.path(datafile::calibration);
    reportDamagedLines(path, m_workspace.calibration.read(path));
}

CalibrationWindow& CalibrationController::window()
{
    if (m_window)
        return *m_window;
    m_window = std::make_unique<CalibrationWindow>(m_windowParent);
    CalibrationWindow* window = m_window.get();
    connect(window, &CalibrationWindow::printPageRequested, this,
            guard(this, &CalibrationController::printPage));
    connect(window, &CalibrationWindow::saveRequested, this,
            guard(this, &CalibrationController::save));
    connect(window, &CalibrationWindow::resetRequested, this,
            guard(this, &CalibrationController::reset));
    return *m_window;
}

void CalibrationController::open()
{
    const QString printer = calibratedQueue();
    const QPointF corner =
        paperOf(currentPrinter().printer()).printable(PaperOrientation::Portrait).topLeft();
    window().open(printer, m_workspace.calibration.find(printer), corner);
}

void CalibrationController::printPage()
{
    const QString printer = calibratedQueue();
    jobSender().refuseWhileSending();
    m_paper = printCalibrationPage();
    // A page on its way to a queue is told to have gone once the queue took
    // it, with the job's number (jobEnded); one written to a file now.
    if (jobSender().isSending()) {
        m_sentTo = printer;
        window().showStatus(
            sendingNote(QStringLiteral("Calibration page"), jobSender().job().queue));
        return;
    }
    showSent(printer, 0);
}

void CalibrationController::jobEnded(const SentJob& job)
{
    const QString printer = std::exchange(m_sentTo, QString());
    if (printer.isEmpty())
        return;
    window().showStatus(QString());
    if (!job.cancelled && job.failure.isEmpty())
        showSent(printer, job.jobId);
}

void CalibrationController::showSent(const QString& printer, int jobId)
{
    window().showStatus(
        QStringLiteral("The calibration page went to %1%2%3. Measure it, type the values and "
                       "click Save.")
            .arg(printer, asJobNumber(jobId),
                 m_paper == PaperOrientation::Landscape ? QStringLiteral(" in landscape")
                                                        : QString()));
}

void CalibrationController::save()
{
    const QString printer = calibratedQueue();
    std::optional<PrinterCorrection> correction = window().unchangedSaved();
    if (!correction) {
        // A cover's page starts at the printer's own margins on the paper
        // the calibration page was printed on.
        const Paper paper = paperOf(currentPrinter().printer());
        correction = correctionFromMeasurements(window().measurements(), paper.printable(m_paper),
                                                m_paper == PaperOrientation::Landscape);
    }
    CalibrationTable table = m_workspace.calibration;
    table.set(printer, *correction);
    table.write(m_workspace.folder.path(datafile::calibration));
    m_workspace.calibration = table;
    window().showStatus(QStringLiteral("Saved: covers on %1 now print corrected.").arg(printer));
}

void CalibrationController::reset()
{
    const QString printer = window().printer();
    CalibrationTable table = m_workspace.calibration;
    table.remove(printer);
    // No calibrated printer left: the file goes (CalibrationTable::write).
    table.write(m_workspace.folder.path(datafile::calibration));
    m_workspace.calibration = table;
    window().clearMeasurements();
    window().showStatus(
        QStringLiteral("Reset: covers on %1 print without correction.").arg(printer));
}

} // namespace jf
