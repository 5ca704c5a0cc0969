#include "AppController.h"

#include "CommandLine.h"
#include "CoverPrintJob.h"
#include "CurrentPrinter.h"
#include "DiscGeometry.h"
#include "ErrorReport.h"
#include "JobSender.h"
#include "Platform.h"
#include "TextCodec.h"

#include <utility>

namespace jf {

namespace {

QString noPictureToPrint()
{
    return QStringLiteral("There is no picture to print. Import one first.");
}

} // namespace

AppController::AppController(const std::function<WindowPictures()>& windowPictures)
    : m_sending(&m_mainWindow,
                [this](const QString& text, bool kept) { m_mainWindow.showNote(text, kept); })
{
    m_mainWindow.showPictures(windowPictures());
    m_mainWindow.setCloseCheck(
        [this] { return m_sending.mayEnd([this] { return listsSaved(); }); });
    connect(&m_mainWindow, &MainWindow::printRequested, this,
            guard(this, &AppController::printCover));
    connect(&m_mainWindow, &MainWindow::printPreviewRequested, this,
            guard(this, &AppController::previewCover));
    connect(&m_mainWindow, &MainWindow::addToSheetRequested, this,
            guard(this, &AppController::addToSheet));
    connect(&m_mainWindow, &MainWindow::sheetRequested, this,
            guard(&m_sheet, &SheetController::open));
    connect(&m_mainWindow, &MainWindow::discLabelRequested, this,
            guard(&m_disc, &DiscLabelController::open));
    connect(&m_mainWindow, &MainWindow::printerSetupRequested, this,
            guard(this, &AppController::setUpPrinter));
    connect(&m_mainWindow, &MainWindow::addProgramRequested, this,
            guard(this, &AppController::openAddProgram));
    connect(&m_mainWindow, &MainWindow::calibrationRequested, this,
            guard(&m_calibration, &CalibrationController::open));
    connectSettingsWindow();
    connect(&m_mainWindow, &MainWindow::helpRequested, this, guard(this, &AppController::showHelp));
    // The calibration window's note of a page sent goes before the main
    // window tells how the job ended.
    connect(&m_sending, &SendingController::jobEnding, this,
            guard(&m_calibration, &CalibrationController::jobEnded));
    connect(&m_sending, &SendingController::jobEnding, this,
            guard(&m_disc, &DiscLabelController::jobEnded));
    // A disc label in the preview shows the hole chosen.
    connect(&m_disc, &DiscLabelController::holeChanged, &m_mainWindow, &MainWindow::setDiscHole);
    guarded([this] { startUp(); });
    guarded([this] { m_calibration.load(); });
    guarded([this] { m_sheet.load(); });
    guarded([this] { m_disc.load(); });
    // The sheet window shows the border in force and the cover names.
    connect(this, &AppController::settingsReloaded, this,
            [this] { guarded([this] { m_sheet.refresh(); }); });
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

bool AppController::listsSaved()
{
    const std::optional<QString> question = m_closingSave.save(m_workspace);
    MessageService* messages = platform().messages;
    return !question || (messages && messages->askYesNo(*question));
}

CoverRequest AppController::coverRequest(const QString& placeholderMessage) const
{
    if (m_mainWindow.showsPlaceholder())
        throw Error(placeholderMessage);
    const Preferences& preferences = m_workspace.preferences;
    const int kind = m_mainWindow.selectedCoverKind();
    CoverRequest request{m_mainWindow.heightText(),     m_mainWindow.widthText(),
                         m_mainWindow.previewPicture(), preferences.borderWidth,
                         preferences.borderColour,      m_workspace.coverNames.value(kind - 1),
                         m_mainWindow.placement()};
    // The kind, not its name, makes a disc label.
    if (isDiscKind(kind))
        request.discHoleMm = m_workspace.discHoleMm;
    request.cutGuides = m_workspace.sheetSettings.cutMarks;
    return request;
}

void AppController::printCover()
{
    jobSender().refuseWhileSending();
    const CoverRequest request = coverRequest(noPictureToPrint());
    if (!currentPrinter().runSetupDialog(&m_mainWindow))
        return;
    m_disc.printerChanged();
    if (isDiscKind(m_mainWindow.selectedCoverKind()) && m_disc.printsOnTray()) {
        m_disc.printCover(request, [this, request] {
            printChosenCover(request, m_borderColour, &m_workspace.calibration);
        });
        return;
    }
    printChosenCover(request, m_borderColour, &m_workspace.calibration);
}

void AppController::previewCover()
{
    jobSender().refuseWhileSending();
    jf::previewCover(&m_mainWindow, coverRequest(noPictureToPrint()), m_borderColour,
                     &m_workspace.calibration);
}

void AppController::addToSheet()
{
    const CoverRequest cover =
        coverRequest(QStringLiteral("There is no picture to add. Import one first."));
    // The picture's own name on disk, also where it is opened through a
    // link of the program's (a name that is not valid UTF-8).
    m_sheet.add(cover, m_mainWindow.selectedCoverKind(),
                decodeLocal8Bit(localPathBytes(m_mainWindow.currentImagePath())));
}

void AppController::setUpPrinter()
{
    jf::setUpPrinter(&m_mainWindow);
    m_sheet.refresh(); // the paper may have changed
    m_disc.printerChanged();
}

void AppController::addProgram(const QString& commandLine, const QString& name)
{
    m_mainWindow.addProgram(commandLine, name);
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

// ---- Add-program and help windows -----------------------------------------------

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
