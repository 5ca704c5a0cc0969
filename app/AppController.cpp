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
    connect(&m_mainWindow, &MainWindow::addProgramRequested, &m_addProgramDialog,
            &AddProgramDialog::open);
    connect(&m_addProgramDialog, &AddProgramDialog::programChosen, this,
            guard(this, &AppController::addProgram));
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

void AppController::addProgram(const QString& commandLine, const QString& name)
{
    m_workspace.programs.append(name, commandLine);
    m_mainWindow.showFavourites();
}

void AppController::setUpPrinter()
{
    jf::setUpPrinter(&m_mainWindow);
}

} // namespace jf
