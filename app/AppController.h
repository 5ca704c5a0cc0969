#pragma once

#include "AddProgramDialog.h"
#include "CalibrationController.h"
#include "CoverPrintJob.h"
#include "DiscLabelController.h"
#include "HelpWindow.h"
#include "MainWindow.h"
#include "SendingController.h"
#include "SettingsWindow.h"
#include "SheetController.h"
#include "WindowPictures.h"
#include "Workspace.h"

#include <QObject>
#include <exception>
#include <functional>
#include <memory>

namespace jf {

// Owns what the program keeps in memory, the main window and the owners of
// the other jobs (the sheet, the calibration, jobs on their way to a
// queue), and wires the windows to them. The settings, help and add-program
// windows are made when first needed. Making it loads the Data folder and
// reports any failure before a window is shown; the main window then shows
// whatever was read.
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
    SheetController& sheet() { return m_sheet; }
    CalibrationController& calibration() { return m_calibration; }
    DiscLabelController& disc() { return m_disc; }
    // Made when first asked for (the first frame needs none of them); each
    // is made once and kept until exit.
    AddProgramDialog& addProgramDialog();
    SettingsWindow& settingsWindow();
    HelpWindow& helpWindow();

signals:
    // The settings files were read again after the settings window closed;
    // `read` tells which were read whole (reading stops at a failure).
    void settingsReloaded(const jf::SettingsReread& read);

private:
    void startUp();
    // What ending the program saves: the lists (ClosingSave); when they
    // cannot be saved, a second close in a row asks the user. Whether the
    // program may end.
    bool listsSaved();
    CoverRequest coverRequest(const QString& placeholderMessage) const;

    // "Print Cover", "Print Preview" and "Add to Sheet"; a second print while
    // a job is on its way is refused. A disc label goes to the printer's
    // disc tray where its "Disc Label..." choice says so.
    void printCover();
    void previewCover();
    void addToSheet();
    void setUpPrinter();
    void addProgram(const QString& commandLine, const QString& name);

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
    // The border colour "Print Cover" and "Print Sheet" share.
    BorderColourMemory m_borderColour;
    SheetController m_sheet{m_workspace, m_borderColour, &m_mainWindow};
    CalibrationController m_calibration{m_workspace, &m_mainWindow};
    DiscLabelController m_disc{m_workspace, &m_mainWindow};
    SendingController m_sending;
    std::unique_ptr<AddProgramDialog> m_addProgramDialog;
    std::unique_ptr<SettingsWindow> m_settingsWindow;
    std::unique_ptr<HelpWindow> m_helpWindow;
};

} // namespace jf
