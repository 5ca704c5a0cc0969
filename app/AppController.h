#pragma once

#include "AddProgramDialog.h"
#include "CalibrationWindow.h"
#include "HelpWindow.h"
#include "MainWindow.h"
#include "PrintWindow.h"
#include "SettingsWindow.h"
#include "Workspace.h"

#include <QObject>

namespace jf {

// Names the application to the desktop (the title captions every message
// box) and makes the window fonts available. Runs before any window exists.
void prepareApplication();

// Owns what the program keeps in memory and its windows, made hidden in their
// start-up order, and wires them together. Making it loads the Data folder
// and reports any failure before a window is shown; the main window then
// shows whatever was read.
class AppController : public QObject
{
    Q_OBJECT

public:
    AppController();

    Workspace& workspace() { return m_workspace; }
    MainWindow& mainWindow() { return m_mainWindow; }
    PrintWindow& printWindow() { return m_printWindow; }
    AddProgramDialog& addProgramDialog() { return m_addProgramDialog; }
    CalibrationWindow& calibrationWindow() { return m_calibrationWindow; }
    SettingsWindow& settingsWindow() { return m_settingsWindow; }
    HelpWindow& helpWindow() { return m_helpWindow; }

private:
    void startUp();
    void printCover();
    void previewCover();
    void printCalibrationPage();
    void setUpPrinter();
    void addProgram(const QString& commandLine, const QString& name);
    void loadCalibration();
    void openCalibration();
    void saveCalibration();
    void resetCalibration();

    // The settings window: opened over the main window's panel; when it
    // closes the main window takes up the settings files again.
    void connectSettingsWindow();
    void openSettings();
    void takeUpSettings();
    void showHelp();

    Workspace m_workspace;
    MainWindow m_mainWindow{m_workspace};
    AddProgramDialog m_addProgramDialog{&m_mainWindow};
    PrintWindow m_printWindow;
    SettingsWindow m_settingsWindow{m_workspace, &m_mainWindow};
    HelpWindow m_helpWindow;
    CalibrationWindow m_calibrationWindow{&m_mainWindow};
    // The paper the last calibration page was printed on, which its
    // measurements are taken on.
    PaperOrientation m_calibrationPaper = PaperOrientation::Portrait;
};

} // namespace jf
