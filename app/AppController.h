#pragma once

#include "AddProgramDialog.h"
#include "CalibrationWindow.h"
#include "HelpWindow.h"
#include "MainWindow.h"
#include "PrintWindow.h"
#include "SettingsWindow.h"
#include "Workspace.h"

#include <QObject>
#include <memory>

namespace jf {

// The program's name and version, as the command line and the desktop see
// them: the name is the class part of the windows' X11 WM_CLASS, which
// matches the desktop entry's StartupWMClass.
void nameApplication();

// Names the application to the desktop (the title captions every message
// box and is the windows' title), gives every window the program's icon and
// starts making the window fonts available beside the rest of the start
// (see Fonts.h: the main window waits for them). Runs before any window
// exists.
void prepareApplication();

// Owns what the program keeps in memory and its windows (the main window at
// start, the tool windows when first needed), and wires them together.
// Making it loads the Data folder and reports any failure before a window
// is shown; the main window then shows whatever was read.
class AppController : public QObject
{
    Q_OBJECT

public:
    AppController();

    Workspace& workspace() { return m_workspace; }
    MainWindow& mainWindow() { return m_mainWindow; }
    PrintWindow& printWindow() { return m_printWindow; }
    // Made when first asked for (the first frame needs none of them); each
    // is made once and kept until exit.
    AddProgramDialog& addProgramDialog();
    CalibrationWindow& calibrationWindow();
    SettingsWindow& settingsWindow();
    HelpWindow& helpWindow();

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
    void openAddProgram();

    Workspace m_workspace;
    MainWindow m_mainWindow{m_workspace};
    std::unique_ptr<AddProgramDialog> m_addProgramDialog;
    PrintWindow m_printWindow;
    std::unique_ptr<SettingsWindow> m_settingsWindow;
    std::unique_ptr<HelpWindow> m_helpWindow;
    std::unique_ptr<CalibrationWindow> m_calibrationWindow;
    // The paper the last calibration page was printed on, which its
    // measurements are taken on.
    PaperOrientation m_calibrationPaper = PaperOrientation::Portrait;
};

} // namespace jf
