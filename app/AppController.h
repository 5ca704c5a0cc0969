#pragma once

#include "AddProgramDialog.h"
#include "CalibrationWindow.h"
#include "MainWindow.h"
#include "PrintWindow.h"
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

private:
    void startUp();
    void printCover();
    void setUpPrinter();
    void addProgram(const QString& commandLine, const QString& name);
    void loadCalibration();
    void openCalibration();
    void saveCalibration();
    void resetCalibration();

    Workspace m_workspace;
    MainWindow m_mainWindow{m_workspace};
    AddProgramDialog m_addProgramDialog{&m_mainWindow};
    PrintWindow m_printWindow;
    CalibrationWindow m_calibrationWindow{&m_mainWindow};
};

} // namespace jf
