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
    QApplication::setDesktopFileName(QStringLiteral("org.jacketforge.Jacketforge"));
    installWindowFonts();
}

AppController::AppController()
{
    connect(&m_mainWindow, &MainWindow::printRequested, this,
            guard(this, &AppController::printCover));
    connect(&m_mainWindow, &MainWindow::printerSetupRequested, this,
            guard(this, &AppController::setUpPrinter));
    connect(&m_mainWindow, &MainWindow::helpRequested, this, guard(this, &AppController::showHelp));
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

void AppController::showHelp()
{
    m_helpWindow.open(&m_mainWindow, m_mainWindow.panelTopLeft(), m_mainWindow.panelPicture());
}

} // namespace jf
