#include "AppController.h"

#include "CoverPrintJob.h"
#include "ErrorReport.h"
#include "Fonts.h"
#include "Platform.h"

#include <QApplication>

namespace jf {

void prepareApplication()
{
    QApplication::setApplicationName(applicationTitle());
    QApplication::setApplicationDisplayName(applicationTitle());
    QApplication::setDesktopFileName(QStringLiteral("jacketforge"));
    installWindowFonts();
}

AppController::AppController()
{
    connect(&m_mainWindow, &MainWindow::printRequested, this,
            guard(this, &AppController::printCover));
    connect(&m_mainWindow, &MainWindow::printerSetupRequested, this,
            guard(this, &AppController::setUpPrinter));
    connectSettingsWindow();
    guarded([this] { startUp(); });
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

void AppController::printCover()
{
    const Preferences& preferences = m_workspace.preferences;
    jf::printCover(&m_mainWindow, m_mainWindow.heightText(), m_mainWindow.widthText(),
                   m_mainWindow.previewPicture(), preferences.borderWidth, preferences.borderColour,
                   m_printWindow);
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
    connect(&m_settingsWindow, &SettingsWindow::favouritesCleared, this,
            guard(&m_mainWindow, &MainWindow::showWorkspace));
    m_settingsWindow.setCloseRefresh([this] { takeUpSettings(); });
}

void AppController::openSettings()
{
    m_settingsWindow.open(m_mainWindow.panelPicture(), m_mainWindow.panelScreenPosition());
}

void AppController::takeUpSettings()
{
    // The selection is forgotten before the sizes are read, so the boxes are
    // not stored back: sizes typed and not saved in the main window are
    // dropped, and the same kind shows its stored sizes. When a read fails,
    // no kind stays selected and the later files are not read.
    const DataFolder& folder = m_workspace.folder;
    const int kind = m_mainWindow.selectedCoverKind();
    m_mainWindow.clearSelection();
    m_workspace.sizes.read(folder.path(datafile::sizes));
    m_mainWindow.selectCoverKind(kind);
    m_workspace.coverNames = readCoverNames(folder.path(datafile::names));
    m_mainWindow.showCoverNames();
    // A changed interval restarts the tips' period, an equal one does not.
    m_workspace.preferences.read(folder.path(datafile::settings));
    m_mainWindow.setTipInterval(m_workspace.preferences.tipInterval);
    m_workspace.tips.read(folder.path(datafile::tips));
}

} // namespace jf
