#pragma once

#include "AddProgramDialog.h"
#include "CalibrationWindow.h"
#include "CoverPrintJob.h"
#include "HelpWindow.h"
#include "JobSender.h"
#include "MainWindow.h"
#include "SettingsWindow.h"
#include "SheetPrinting.h"
#include "SheetWindow.h"
#include "WindowPictures.h"
#include "Workspace.h"

#include <QObject>
#include <exception>
#include <functional>
#include <memory>

namespace jf {

// Owns what the program keeps in memory and its windows (the main window at
// start, the tool windows when first needed), and wires them together.
// Making it loads the Data folder and reports any failure before a window
// is shown; the main window then shows whatever was read.
class AppController : public QObject
{
    Q_OBJECT

public:
    // `windowPictures` gives the pictures the main window is drawn from: it
    // is asked once the window's controls are made (they are made in the
    // window font, which must be known by then), and may wait for the thread
    // decoding them.
    explicit AppController(
        const std::function<WindowPictures()>& windowPictures = &WindowPictures::decodeForScreens);

    Workspace& workspace() { return m_workspace; }
    MainWindow& mainWindow() { return m_mainWindow; }
    // Made when first asked for (the first frame needs none of them); each
    // is made once and kept until exit.
    AddProgramDialog& addProgramDialog();
    CalibrationWindow& calibrationWindow();
    SettingsWindow& settingsWindow();
    HelpWindow& helpWindow();
    SheetWindow& sheetWindow();

signals:
    // The settings files were read again after the settings window closed;
    // `read` tells which were read whole (reading stops at a failure).
    void settingsReloaded(const jf::SettingsReread& read);

private:
    void startUp();
    // Whether closing the main window may end the program: the lists are
    // saved (ClosingSave), and when they cannot be, a second close in a row
    // asks the user.
    bool mayEnd();
    CoverRequest coverRequest(const QString& placeholderMessage) const;

    // Jobs sent to a queue: the tips line tells while one is on its way,
    // and its end is told (a failure in a message box). A second print
    // meanwhile is refused.
    void connectJobSender();
    void jobFinished(const SentJob& job);
    void printCover();
    void previewCover();

    // The sheet: "Add to Sheet" checks the cover as "Print Cover" does and
    // adds it; the sheet window lists and prints it. Every change is written
    // to Sheet.txt before it is taken up.
    void loadSheet();
    void addToSheet();
    void openSheet();
    void printSheet();
    void removeFromSheet(int row);
    void clearSheet();
    void setSheetSettings(const SheetSettings& settings);
    void saveSheet(const SheetList& sheet);
    SheetStyle sheetStyle() const;
    // Shows the sheet again in its window, when that is open.
    void refreshSheet();
    void printCalibrationPage();
    void showCalibrationSent(const QString& printer, int jobId);
    void setUpPrinter();
    void addProgram(const QString& commandLine, const QString& name);
    void loadCalibration();
    void openCalibration();
    void saveCalibration();
    void resetCalibration();

    // The settings window: opened over the main window's panel; when it
    // closes the settings files are read again and the main window takes
    // them up (settingsReloaded). A failure of either is thrown, which keeps
    // the settings window open.
    void connectSettingsWindow();
    void openSettings();
    void reloadSettings();
    void showHelp();
    void openAddProgram();

    Workspace m_workspace;
    ClosingSave m_closingSave;
    MainWindow m_mainWindow{m_workspace};
    // What went wrong while the main window took up the reloaded settings.
    std::exception_ptr m_takeUpFailure;
    std::unique_ptr<AddProgramDialog> m_addProgramDialog;
    BorderColourMemory m_borderColour;
    SheetPictures m_sheetPictures;
    std::unique_ptr<SheetWindow> m_sheetWindow;
    std::unique_ptr<SettingsWindow> m_settingsWindow;
    std::unique_ptr<HelpWindow> m_helpWindow;
    std::unique_ptr<CalibrationWindow> m_calibrationWindow;
    // The paper the last calibration page was printed on, which its
    // measurements are taken on.
    PaperOrientation m_calibrationPaper = PaperOrientation::Portrait;
    // Whether a close waits for the job being sent.
    bool m_quitWhenSent = false;
    // The calibrated queue while its calibration page is being sent.
    QString m_calibrationSentTo;
};

} // namespace jf
