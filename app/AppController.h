#pragma once

#include "HelpWindow.h"
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
    HelpWindow& helpWindow() { return m_helpWindow; }

private:
    void startUp();
    void printCover();
    void setUpPrinter();
    void showHelp();

    Workspace m_workspace;
    MainWindow m_mainWindow{m_workspace};
    PrintWindow m_printWindow;
    HelpWindow m_helpWindow;
};

} // namespace jf
