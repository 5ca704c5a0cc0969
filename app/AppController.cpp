#include "AppController.h"

#include "CalibrationPage.h"
#include "CommandLine.h"
#include "CoverPrintJob.h"
#include "CurrentPrinter.h"
#include "DataFileFormats.h"
#include "ErrorReport.h"
#include "JobSender.h"
#include "NumberConvert.h"
#include "Platform.h"
#include "PrintServiceCheck.h"
#include "SafeFileIO.h"
#include "TextCodec.h"

#include <QPageLayout>
#include <QPrinter>
#include <QScopeGuard>
#include <QTimer>

#include <utility>

namespace jf {

namespace {

// " as job 12" after "went to ...", when the print service gave a number.
QString asJob(int jobId)
{
    return jobId > 0 ? QStringLiteral(" as job %1").arg(jobId) : QString();
}

// "3, 7, 12": the damaged lines a data file was read with.
QString lineList(const QList<int>& lines)
{
    QStringList numbers;
    for (int line : lines)
        numbers << QString::number(line);
    return numbers.join(QStringLiteral(", "));
}

QString noPictureToPrint()
{
    return QStringLiteral("There is no picture to print. Import one first.");
}

} // namespace

AppController::AppController(const std::function<WindowPictures()>& windowPictures)
{
    m_mainWindow.showPictures(windowPictures());
    m_mainWindow.setCloseCheck([this] { return mayEnd(); });
    connect(&m_mainWindow, &MainWindow::printRequested, this,
            guard(this, &AppController::printCover));
    connect(&m_mainWindow, &MainWindow::printPreviewRequested, this,
            guard(this, &AppController::previewCover));
    connect(&m_mainWindow, &MainWindow::addToSheetRequested, this,
            guard(this, &AppController::addToSheet));
    connect(&m_mainWindow, &MainWindow::sheetRequested, this,
            guard(this, &AppController::openSheet));
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
    guarded([this] { loadSheet(); });
    // The sheet window shows the border in force and the cover names.
    connect(this, &AppController::settingsReloaded, this,
            [this] { guarded([this] { refreshSheet(); }); });
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
    }
    // The lists are saved first: a close they keep open keeps the job too.
    const std::optional<QString> question = m_closingSave.save(m_workspace);
    if (question && !(messages && messages->askYesNo(*question)))
        return false;
    // The program ends: a job still on its way is taken back. The sending
    // thread stops within about two seconds; it is joined when the program
    // ends, after the window has gone.
    if (jobSender().isSending())
        jobSender().cancel();
    return true;
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
    // The tips line tells while a slow print service is asked, then shows
    // what it showed before.
    PrintServiceCheck& check = printServiceCheck();
    connect(&check, &PrintServiceCheck::askingStarted, this,
            [this] { m_mainWindow.showNote(askingNote(), true); });
    connect(&check, &PrintServiceCheck::askingEnded, this, [this, &sender] {
        m_mainWindow.showNote(
            sender.isSending() ? sendingNote(sender.job().title, sender.job().queue) : QString(),
            sender.isSending());
    });
}

void AppController::jobFinished(const SentJob& job)
{
    // A close that waited for the job comes once its outcome has been told;
    // a job that failed keeps the program open, with the failure shown.
    const bool quit = std::exchange(m_quitWhenSent, false) && job.failure.isEmpty();
    const auto close = qScopeGuard([this, quit] {
        if (quit)
            QTimer::singleShot(0, &m_mainWindow, &QWidget::close);
    });
    const QString calibrated = std::exchange(m_calibrationSentTo, QString());
    if (!calibrated.isEmpty())
        calibrationWindow().showStatus(QString());
    if (job.cancelled)
        return;
    if (!job.failure.isEmpty()) {
        m_mainWindow.showNote(QString());
        throw PrinterError(sendFailureMessage(job));
    }
    const QString sent = QStringLiteral("%1 went to \"%2\"").arg(jobSubject(job.title), job.queue) +
                         asJob(job.jobId);
    m_mainWindow.showNote(sent + QLatin1Char('.'));
    if (!calibrated.isEmpty())
        showCalibrationSent(calibrated, job.jobId);
    if (!job.note.isEmpty()) {
        if (MessageService* messages = platform().messages)
            messages->showMessage(
                QStringLiteral("%1, but it waits there: %2.").arg(sent, job.note));
    }
}

CoverRequest AppController::coverRequest(const QString& placeholderMessage) const
{
    if (m_mainWindow.showsPlaceholder())
        throw Error(placeholderMessage);
    const Preferences& preferences = m_workspace.preferences;
    const int kind = m_mainWindow.selectedCoverKind();
    return {m_mainWindow.heightText(),     m_mainWindow.widthText(),
            m_mainWindow.previewPicture(), preferences.borderWidth,
            preferences.borderColour,      m_workspace.coverNames.value(kind - 1),
            m_mainWindow.placement()};
}

void AppController::printCover()
{
    jobSender().refuseWhileSending();
    jf::printCover(&m_mainWindow, coverRequest(noPictureToPrint()), m_borderColour,
                   &m_workspace.calibration);
}

void AppController::previewCover()
{
    jobSender().refuseWhileSending();
    jf::previewCover(&m_mainWindow, coverRequest(noPictureToPrint()), m_borderColour,
                     &m_workspace.calibration);
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
    throw Error(QStringLiteral("Damaged lines of \"%1\" were ignored: line %2")
                    .arg(path, lineList(damaged)));
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
    jobSender().refuseWhileSending();
    m_calibrationPaper = jf::printCalibrationPage();
    // A page on its way to a queue is told to have gone once the queue took
    // it, with the job's number (jobFinished); one written to a file now.
    if (jobSender().isSending()) {
        m_calibrationSentTo = printer;
        calibrationWindow().showStatus(
            sendingNote(QStringLiteral("Calibration page"), jobSender().job().queue));
        return;
    }
    showCalibrationSent(printer, 0);
}

void AppController::showCalibrationSent(const QString& printer, int jobId)
{
    calibrationWindow().showStatus(
        QStringLiteral("The calibration page went to %1%2%3. Measure it, type the values and "
                       "click Save.")
            .arg(printer, asJob(jobId),
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
    // No calibrated printer left: the file goes (CalibrationTable::write).
    table.write(m_workspace.folder.path(datafile::calibration));
    m_workspace.calibration = table;
    calibrationWindow().clearMeasurements();
    calibrationWindow().showStatus(
        QStringLiteral("Reset: covers on %1 print without correction.").arg(printer));
}

void AppController::setUpPrinter()
{
    jf::setUpPrinter(&m_mainWindow);
    refreshSheet(); // the paper may have changed
}

// ---- The sheet ------------------------------------------------------------------

void AppController::loadSheet()
{
    // The sheet is read also when its settings cannot be: a sheet left
    // unread would be written over by the next "Add to Sheet".
    guarded([this] {
        m_workspace.sheetSettings =
            readSheetSettings(m_workspace.folder.path(datafile::sheetSettings));
    });
    const QString path = m_workspace.folder.path(datafile::sheet);
    const QList<int> damaged = m_workspace.sheet.read(path);
    const QString note = sheetReadNote(path, damaged, m_workspace.sheet.leftOver());
    if (!note.isEmpty())
        throw Error(note);
}

void AppController::saveSheet(const SheetList& sheet)
{
    sheet.write(m_workspace.folder.path(datafile::sheet));
    m_workspace.sheet = sheet;
    m_sheetPictures.tidy(sheet.entries());
    refreshSheet();
}

void AppController::addToSheet()
{
    const CoverRequest cover =
        coverRequest(QStringLiteral("There is no picture to add. Import one first."));
    // The checks and messages of "Print Cover".
    const QSize pixels = coverPixels(cover.heightText, cover.widthText);
    checkCoverFitsSheet(pixels, cover.borderWidth, paperOf(currentPrinter().printer()),
                        currentCorrection(&m_workspace.calibration),
                        m_workspace.sheetSettings.bleedMm);
    SheetEntry entry;
    entry.kind = std::max(1, m_mainWindow.selectedCoverKind());
    entry.width = strToFloat(cover.widthText);
    entry.height = strToFloat(cover.heightText);
    // The picture's own name on disk, also where it is opened through a
    // link of the program's (a name that is not valid UTF-8).
    entry.picturePath = decodeLocal8Bit(localPathBytes(m_mainWindow.currentImagePath()));
    entry.placement = cover.placement;
    SheetList sheet = m_workspace.sheet;
    sheet.append(entry);
    m_sheetPictures.keep(entry.picturePath, cover.picture);
    saveSheet(sheet);
}

SheetStyle AppController::sheetStyle() const
{
    // The border in the colour the next job prints it in.
    return {m_workspace.coverNames, m_workspace.preferences.borderWidth,
            m_borderColour.colourAfter(m_workspace.preferences.borderColour),
            m_workspace.sheetSettings.cutMarks, m_workspace.sheetSettings.bleedMm};
}

SheetWindow& AppController::sheetWindow()
{
    if (m_sheetWindow)
        return *m_sheetWindow;
    m_sheetWindow = std::make_unique<SheetWindow>(&m_mainWindow);
    SheetWindow* window = m_sheetWindow.get();
    connect(window, &SheetWindow::printRequested, this, guard(this, &AppController::printSheet));
    connect(window, &SheetWindow::removeRequested, this,
            guard(this, &AppController::removeFromSheet));
    connect(window, &SheetWindow::clearRequested, this, guard(this, &AppController::clearSheet));
    connect(window, &SheetWindow::settingsChanged, this,
            guard(this, &AppController::setSheetSettings));
    return *m_sheetWindow;
}

void AppController::openSheet()
{
    SheetWindow& window = sheetWindow();
    window.setSettings(m_workspace.sheetSettings);
    window.show();
    window.raise();
    window.activateWindow();
    refreshSheet();
}

void AppController::refreshSheet()
{
    if (!m_sheetWindow || !m_sheetWindow->isVisible())
        return;
    m_sheetWindow->showSheet(
        viewSheet(m_workspace.sheet.entries(), sheetStyle(), &m_workspace.calibration));
}

void AppController::printSheet()
{
    jobSender().refuseWhileSending();
    // Shown again whatever comes of it: a picture found missing is marked.
    const auto refresh = qScopeGuard([this] { guarded([this] { refreshSheet(); }); });
    m_borderColour.colourFor(m_workspace.preferences.borderColour); // remembered
    jf::printSheet(m_sheetWindow.get(), m_workspace.sheet.entries(), sheetStyle(), m_sheetPictures,
                   &m_workspace.calibration);
}

void AppController::removeFromSheet(int row)
{
    SheetList sheet = m_workspace.sheet;
    sheet.removeAt(row);
    saveSheet(sheet);
}

void AppController::clearSheet()
{
    SheetList sheet = m_workspace.sheet;
    sheet.clear();
    saveSheet(sheet);
}

void AppController::setSheetSettings(const SheetSettings& settings)
{
    // The boxes show the choices in force, also when they could not be saved.
    const auto shown = qScopeGuard([this] {
        if (m_sheetWindow)
            m_sheetWindow->setSettings(m_workspace.sheetSettings);
    });
    writeSheetSettings(m_workspace.folder.path(datafile::sheetSettings), settings);
    m_workspace.sheetSettings = settings;
    refreshSheet();
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
