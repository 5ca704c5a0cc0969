#include "AppController.h"

#include "CalibrationPage.h"
#include "CoverPrintJob.h"
#include "CurrentPrinter.h"
#include "DataFileFormats.h"
#include "ErrorReport.h"
#include "JobSender.h"
#include "Platform.h"
#include "SafeFileIO.h"

#include <QFile>
#include <QPageLayout>
#include <QPrinter>
#include <QTimer>

#include <utility>

namespace jf {

AppController::AppController(const std::function<WindowPictures()>& windowPictures)
{
    m_mainWindow.showPictures(windowPictures());
    m_mainWindow.setCloseCheck([this] { return mayEnd(); });
    connect(&m_mainWindow, &MainWindow::printRequested, this,
            guard(this, &AppController::printCover));
    connect(&m_mainWindow, &MainWindow::printPreviewRequested, this,
            guard(this, &AppController::previewCover));
    connect(&m_mainWindow, &MainWindow::printerSetupRequested, this,
            guard(this, &AppController::setUpPrinter));
    connect(&m_mainWindow, &MainWindow::addProgramRequested, this,
            guard(this, &AppController::openAddProgram));
    connect(&m_mainWindow, &MainWindow::calibrationRequested, this,
            guard(this, &AppController::openCalibration));
    connectSettingsWindow();
    connect(&m_mainWindow, &MainWindow::helpRequested, this, guard(this, &AppController::showHelp));
    connectJobSender();
    guarded([this] { startUp(); });
    guarded([this] { loadCalibration(); });
}

void AppController::startUp()
{
    // The window shows what was read, also when reading stopped part-way.
    try {
        loadWorkspace(m_workspace);
    } catch (...) {
        m_mainWindow.showWorkspace();
        throw;
    }
    m_mainWindow.showWorkspace();
    m_mainWindow.selectCoverKind(1);
}

bool AppController::mayEnd()
{
    MessageService* messages = platform().messages;
    if (jobSender().isSending()) {
        // A job on its way is cancelled only when the user says so; else the
        // program ends once it has been sent.
        const QueueJob& job = jobSender().job();
        const QString question =
            QStringLiteral("%1 is still being sent to \"%2\". Cancel it and quit now?\n\n"
                           "Choose No to quit once it has been sent.")
                .arg(jobSubject(job.title), job.queue);
        if (!messages || !messages->askYesNo(question)) {
            m_quitWhenSent = true;
            return false;
        }
        jobSender().cancel();
        jobSender().waitForThread(10000);
    }
    const std::optional<QString> question = m_closingSave.save(m_workspace);
    if (!question)
        return true;
    return messages && messages->askYesNo(*question);
}

// ---- Jobs on their way to a queue -------------------------------------------------

void AppController::connectJobSender()
{
    JobSender& sender = jobSender();
    connect(&sender, &JobSender::sendingStarted, this,
            [this](const QString& title, const QString& queue) {
                m_mainWindow.showNote(sendingNote(title, queue), true);
            });
    connect(&sender, &JobSender::finished, this, guard(this, &AppController::jobFinished));
}

void AppController::refuseWhileSending()
{
    // One job at a time: the spooler's own words for a job in progress.
    if (jobSender().isSending())
        throw PrinterError(QStringLiteral("Printing in progress"));
}

void AppController::jobFinished(const SentJob& job)
{
    m_lastJob = job;
    if (std::exchange(m_quitWhenSent, false))
        QTimer::singleShot(0, &m_mainWindow, &QWidget::close);
    if (job.cancelled)
        return;
    if (!job.failure.isEmpty()) {
        m_mainWindow.showNote(QString());
        throw PrinterError(sendFailureMessage(job));
    }
    const QString sent = QStringLiteral("%1 went to \"%2\"").arg(jobSubject(job.title), job.queue) +
                         (job.jobId > 0 ? QStringLiteral(" as job %1").arg(job.jobId) : QString());
    m_mainWindow.showNote(sent + QLatin1Char('.'));
    if (!job.note.isEmpty()) {
        if (MessageService* messages = platform().messages)
            messages->showMessage(
                QStringLiteral("%1, but it waits there: %2.").arg(sent, job.note));
    }
}

namespace {

void refuseThePlaceholder(const MainWindow& window)
{
    if (window.showsPlaceholder())
        throw Error(QStringLiteral("There is no picture to print. Import one first."));
}

} // namespace

void AppController::printCover()
{
    refuseWhileSending();
    refuseThePlaceholder(m_mainWindow);
    const Preferences& preferences = m_workspace.preferences;
    jf::printCover(&m_mainWindow, m_mainWindow.heightText(), m_mainWindow.widthText(),
                   m_mainWindow.previewPicture(), preferences.borderWidth, preferences.borderColour,
                   m_printWindow, &m_workspace.calibration);
}

void AppController::previewCover()
{
    refuseWhileSending();
    refuseThePlaceholder(m_mainWindow);
    const Preferences& preferences = m_workspace.preferences;
    jf::previewCover(&m_mainWindow, m_mainWindow.heightText(), m_mainWindow.widthText(),
                     m_mainWindow.previewPicture(), preferences.borderWidth,
                     preferences.borderColour, m_printWindow, &m_workspace.calibration);
}

void AppController::addProgram(const QString& commandLine, const QString& name)
{
    m_mainWindow.addProgram(commandLine, name);
}

void AppController::loadCalibration()
{
    const QString path = m_workspace.folder.path(datafile::calibration);
    const QList<int> damaged = m_workspace.calibration.read(path);
    if (damaged.isEmpty())
        return;
    QStringList numbers;
    for (int line : damaged)
        numbers << QString::number(line);
    throw Error(QStringLiteral("Damaged lines of \"%1\" were ignored: line %2")
                    .arg(path, numbers.join(QStringLiteral(", "))));
}

namespace {

// The queue a calibration belongs to. "Print to File (PDF)" and any other
// destination without a queue name have no paper of their own to correct.
QString calibratedQueue()
{
    const QPrinter& printer = currentPrinter().printer();
    if (printer.outputFormat() == QPrinter::NativeFormat && !printer.printerName().isEmpty())
        return printer.printerName();
    const QString name = printer.outputFormat() == QPrinter::PdfFormat
                             ? QStringLiteral("\"Print to File (PDF)\"")
                             : QStringLiteral("This destination");
    throw Error(QStringLiteral("%1 is not a printer and cannot be calibrated. Choose a printer "
                               "in Printer Setup first.")
                    .arg(name));
}

} // namespace

void AppController::openCalibration()
{
    const QString printer = calibratedQueue();
    const QPointF corner =
        paperOf(currentPrinter().printer()).printable(PaperOrientation::Portrait).topLeft();
    calibrationWindow().open(printer, m_workspace.calibration.find(printer), corner);
}

void AppController::printCalibrationPage()
{
    const QString printer = calibratedQueue();
    refuseWhileSending();
    // The page is told to have gone only once the queue took it (PaintedJob
    // reads the print service's answer), with the job's number.
    m_lastJob = SentJob();
    m_calibrationPaper = jf::printCalibrationPage();
    const QString job =
        m_lastJob.jobId > 0 ? QStringLiteral(" as job %1").arg(m_lastJob.jobId) : QString();
    calibrationWindow().showStatus(
        QStringLiteral("The calibration page went to %1%2%3. Measure it, type the values and "
                       "click Save.")
            .arg(printer, job,
                 m_calibrationPaper == PaperOrientation::Landscape ? QStringLiteral(" in landscape")
                                                                   : QString()));
}

void AppController::saveCalibration()
{
    const QString printer = calibratedQueue();
    std::optional<PrinterCorrection> correction = calibrationWindow().unchangedSaved();
    if (!correction) {
        // A cover's page starts at the printer's own margins on the paper
        // the calibration page was printed on.
        const Paper paper = paperOf(currentPrinter().printer());
        correction = correctionFromMeasurements(calibrationWindow().measurements(),
                                                paper.printable(m_calibrationPaper),
                                                m_calibrationPaper == PaperOrientation::Landscape);
    }
    CalibrationTable table = m_workspace.calibration;
    table.set(printer, *correction);
    table.write(m_workspace.folder.path(datafile::calibration));
    m_workspace.calibration = table;
    calibrationWindow().showStatus(
        QStringLiteral("Saved: covers on %1 now print corrected.").arg(printer));
}

void AppController::resetCalibration()
{
    const QString printer = calibrationWindow().printer();
    CalibrationTable table = m_workspace.calibration;
    table.remove(printer);
    const QString path = m_workspace.folder.path(datafile::calibration);
    // No calibrated printer left: no file either. A file that still holds
    // damaged lines, or was not read whole, goes through the table's writer,
    // which keeps them or refuses.
    if (!table.isEmpty()) {
        table.write(path);
    } else if (QFile::exists(path)) {
        // Not a file another program changed since it was read.
        refuseChangedFile(path);
        if (!QFile::remove(path))
            throw Error(QStringLiteral("Cannot delete \"%1\"").arg(path));
        noteFileMissing(path);
    }
    m_workspace.calibration = table;
    calibrationWindow().clearMeasurements();
    calibrationWindow().showStatus(
        QStringLiteral("Reset: covers on %1 print without correction.").arg(printer));
}

void AppController::setUpPrinter()
{
    jf::setUpPrinter(&m_mainWindow);
}

// ---- Settings window ------------------------------------------------------------

void AppController::connectSettingsWindow()
{
    connect(&m_mainWindow, &MainWindow::settingsRequested, this,
            guard(this, &AppController::openSettings));
    // Runs inside reloadSettings, which reports what fails here.
    connect(this, &AppController::settingsReloaded, &m_mainWindow,
            [this](const SettingsReread& read) {
                try {
                    m_mainWindow.takeUpSettings(read);
                } catch (...) {
                    m_takeUpFailure = std::current_exception();
                }
            });
}

SettingsWindow& AppController::settingsWindow()
{
    if (m_settingsWindow)
        return *m_settingsWindow;
    m_settingsWindow = std::make_unique<SettingsWindow>(m_workspace, &m_mainWindow);
    connect(m_settingsWindow.get(), &SettingsWindow::favouritesCleared, this,
            guard(&m_mainWindow, &MainWindow::showFavourites));
    m_settingsWindow->setCloseRefresh([this] { reloadSettings(); });
    // A settings window left open by a failed close follows the main window
    // when it is dragged.
    m_mainWindow.carryWhenDragged(m_settingsWindow.get());
    return *m_settingsWindow;
}

void AppController::openSettings()
{
    settingsWindow().open(m_mainWindow.panelPicture(), m_mainWindow.panelTopLeft());
}

void AppController::reloadSettings()
{
    SettingsReread read;
    std::exception_ptr readFailure;
    try {
        readSettings(m_workspace, read);
    } catch (...) {
        readFailure = std::current_exception();
    }
    // The main window shows what was read, also when reading stopped
    // part-way. What fails there (a refit of the preview) is reported rather
    // than a failed reading after it.
    m_takeUpFailure = nullptr;
    emit settingsReloaded(read);
    if (std::exception_ptr failure = std::exchange(m_takeUpFailure, nullptr))
        std::rethrow_exception(failure);
    if (readFailure)
        std::rethrow_exception(readFailure);
}

// ---- Add-program and calibration windows ----------------------------------------

AddProgramDialog& AppController::addProgramDialog()
{
    if (m_addProgramDialog)
        return *m_addProgramDialog;
    m_addProgramDialog = std::make_unique<AddProgramDialog>(&m_mainWindow);
    connect(m_addProgramDialog.get(), &AddProgramDialog::programChosen, this,
            guard(this, &AppController::addProgram));
    return *m_addProgramDialog;
}

void AppController::openAddProgram()
{
    addProgramDialog().open();
}

CalibrationWindow& AppController::calibrationWindow()
{
    if (m_calibrationWindow)
        return *m_calibrationWindow;
    m_calibrationWindow = std::make_unique<CalibrationWindow>(&m_mainWindow);
    CalibrationWindow* window = m_calibrationWindow.get();
    connect(window, &CalibrationWindow::printPageRequested, this,
            guard(this, &AppController::printCalibrationPage));
    connect(window, &CalibrationWindow::saveRequested, this,
            guard(this, &AppController::saveCalibration));
    connect(window, &CalibrationWindow::resetRequested, this,
            guard(this, &AppController::resetCalibration));
    return *m_calibrationWindow;
}

// ---- Help window ----------------------------------------------------------------

HelpWindow& AppController::helpWindow()
{
    if (!m_helpWindow)
        m_helpWindow = std::make_unique<HelpWindow>();
    return *m_helpWindow;
}

void AppController::showHelp()
{
    helpWindow().open(&m_mainWindow, m_mainWindow.panelTopLeft(), m_mainWindow.panelPicture());
}

} // namespace jf
